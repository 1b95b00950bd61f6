#include "catalogue.h"

#include "png_decoder.h"

#define DEFINE_SHEET(sheet, id, file, width, height, frames, stripHeight, key) \
    SpriteSheet sheet{nullptr, nullptr, width, height, frames};
SPRITE_SHEETS(DEFINE_SHEET)
#undef DEFINE_SHEET

namespace {

struct CatalogueEntry {
    SpriteSheet *sheet;
    WORD id;
    COLORREF key;
};

#define CATALOGUE_ENTRY(sheet, id, file, width, height, frames, stripHeight, key) {&sheet, id, key},
const CatalogueEntry catalogue[] = {SPRITE_SHEETS(CATALOGUE_ENTRY)};
#undef CATALOGUE_ENTRY

} // namespace

void loadSpriteSheets()
{
    for (const CatalogueEntry &entry : catalogue) {
        entry.sheet->image = decodePngResource(entry.id, nullptr);
        entry.sheet->mask = makeColourKeyMask(entry.sheet->image, entry.key);
    }
}
