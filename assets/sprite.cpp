#include "sprite.h"

#include "../state/show_state.h"

HBITMAP makeColourKeyMask(HBITMAP bitmap, COLORREF key)
{
    if (!bitmap)
        return nullptr;
    HDC screen = GetDC(nullptr);
    HDC imageDC = CreateCompatibleDC(screen);
    HDC maskDC = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);

    BITMAP size{};
    if (!GetObjectA(bitmap, sizeof size, &size)) {
        DeleteDC(maskDC);
        DeleteDC(imageDC);
        return nullptr;
    }
    HGDIOBJ keptImage = SelectObject(imageDC, bitmap);
    HBITMAP mask = CreateBitmap(size.bmWidth, size.bmHeight, 1, 1, nullptr);
    HGDIOBJ keptMask = SelectObject(maskDC, mask);

    // Colour to monochrome: pixels of the source's background colour become 1.
    SetBkColor(imageDC, key);
    BitBlt(maskDC, 0, 0, size.bmWidth, size.bmHeight, imageDC, 0, 0, SRCCOPY);
    // Monochrome to colour: 1 bits become the background (black), 0 bits the text colour
    // (white), so ANDing blackens the key and keeps everything else.
    SetBkColor(imageDC, RGB(0, 0, 0));
    SetTextColor(imageDC, RGB(255, 255, 255));
    BitBlt(imageDC, 0, 0, size.bmWidth, size.bmHeight, maskDC, 0, 0, SRCAND);

    SelectObject(maskDC, keptMask);
    SelectObject(imageDC, keptImage);
    DeleteDC(maskDC);
    DeleteDC(imageDC);
    return mask;
}

void selectSpriteSheet(HDC imageDC, HDC maskDC, const SpriteSheet &sheet)
{
    SelectObject(imageDC, sheet.image);
    SelectObject(maskDC, sheet.mask);
}

bool selectSheetOnce(std::int32_t &sheetSelected, HDC imageDC, HDC maskDC, const SpriteSheet &sheet)
{
    if (sheetSelected != 0)
        return false;
    selectSpriteSheet(imageDC, maskDC, sheet);
    sheetSelected = 1;
    return true;
}

void drawSpriteFrame(HDC imageDC, HDC maskDC, const SpriteSheet &sheet, std::int32_t frame, std::int32_t x,
                     std::int32_t y)
{
    // A sheet that failed to load is not in the pair (selecting null changes nothing), so the
    // pair may still hold the default bitmap or the owner's previous sheet: draw nothing.
    if (!sheet.image || !sheet.mask || frame < 0 || frame >= sheet.frameCount)
        return;
    std::int32_t w = sheet.frameWidth, h = sheet.frameHeight;
    BitBlt(composeSurface, x, y, w, h, maskDC, frame * w, 0, SRCAND);
    BitBlt(composeSurface, x, y, w, h, imageDC, frame * w, 0, SRCPAINT);
}
