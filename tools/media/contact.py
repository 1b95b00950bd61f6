"""The contact sheet in docs/: every frame of every sheet at twice its size
over a grey checkerboard, labelled with the file name."""

from PIL import Image

import strokefont
from raster import Canvas

SCALE = 2
MAX_W = 1600
PAD = 12
GAP = 6
LABEL_H = 22
PAPER = (238, 238, 236)
CHECK = ((206, 206, 206), (178, 178, 178))
LABEL = (40, 40, 48)


def checker(w, h, cell=8):
    im = Image.new('RGB', (w, h), CHECK[0])
    dark = Image.new('RGB', (cell, cell), CHECK[1])
    for y in range(0, h, cell):
        for x in range((y // cell) % 2 * cell, w, 2 * cell):
            im.paste(dark, (x, y))
    return im


def label(text):
    w = int(strokefont.width(text, 11, 1.6)) + 6
    cv = Canvas(w, LABEL_H)
    for st in strokefont.shapes(text, 2, 15, 11, 1.6):
        cv.fill(st, LABEL)
    return cv.resolve()


def frame_image(pal, idx, sheet_w, fw, fh, f):
    """One frame, key made transparent: (RGB, mask)."""
    rgb = Image.new('RGB', (fw, fh))
    mask = Image.new('L', (fw, fh))
    px, mk = [], []
    for y in range(fh):
        row = idx[y * sheet_w + f * fw:y * sheet_w + f * fw + fw]
        px += [pal[i] for i in row]
        mk += [255 if i else 0 for i in row]
    rgb.putdata(px)
    mask.putdata(mk)
    return rgb, mask


def block(name, sheet, pal, idx):
    fw, fh, n = sheet.fw * SCALE, sheet.fh * SCALE, sheet.count
    per_row = max(1, min(n, (MAX_W - 2 * PAD + GAP) // (fw + GAP)))
    rows = (n + per_row - 1) // per_row
    text_rgb, text_mask = label(name)
    w = max(per_row * (fw + GAP) - GAP, text_rgb.width)
    h = LABEL_H + rows * (fh + GAP) - GAP
    im = Image.new('RGB', (w, h), PAPER)
    im.paste(text_rgb, (0, 0), text_mask)
    for f in range(n):
        rgb, mask = frame_image(pal, idx, sheet.size[0], sheet.fw, sheet.fh, f)
        rgb = rgb.resize((fw, fh), Image.NEAREST)
        mask = mask.resize((fw, fh), Image.NEAREST)
        tile = checker(fw, fh)
        tile.paste(rgb, (0, 0), mask)
        x = (f % per_row) * (fw + GAP)
        y = LABEL_H + (f // per_row) * (fh + GAP)
        im.paste(tile, (x, y))
    return im


def contact_sheet(entries):
    """entries: [(file name, Sheet, palette, indices)] -> RGB image.
    Blocks are packed left to right onto shelves."""
    blocks = [block(*e) for e in entries]
    shelves, cur, cur_w = [], [], PAD
    for b in blocks:
        if cur and cur_w + b.width > MAX_W - PAD:
            shelves.append(cur)
            cur, cur_w = [], PAD
        cur.append(b)
        cur_w += b.width + 2 * PAD
    if cur:
        shelves.append(cur)
    width = max(sum(b.width for b in s) + 2 * PAD * len(s) for s in shelves)
    height = sum(max(b.height for b in s) + 2 * PAD for s in shelves)
    out = Image.new('RGB', (width, height), PAPER)
    y = 0
    for s in shelves:
        x = PAD
        for b in s:
            out.paste(b, (x, y + PAD))
            x += b.width + 2 * PAD
        y += max(b.height for b in s) + 2 * PAD
    return out
