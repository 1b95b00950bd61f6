#include "catalogue.h"

#include "png_decoder.h"

SpriteSheet walkSheet{nullptr, nullptr, 121, 116, 6};
SpriteSheet swallowSheet{nullptr, nullptr, 71, 116, 6};
SpriteSheet tripSheet{nullptr, nullptr, 95, 116, 6};
SpriteSheet badgeSheet{nullptr, nullptr, 262, 199, 1};
SpriteSheet startTiltSheet{nullptr, nullptr, 84, 58, 6};
SpriteSheet startUprightSheet{nullptr, nullptr, 84, 68, 6};
SpriteSheet blueDuckSheet{nullptr, nullptr, 59, 61, 2};
SpriteSheet redDuckSheet{nullptr, nullptr, 59, 61, 2};
SpriteSheet yellowDuckSheet{nullptr, nullptr, 59, 61, 2};
// The strip's frames are 64 rows high; only the top 54 are ever drawn.
SpriteSheet elephantSheet{nullptr, nullptr, 96, 54, 2};
SpriteSheet startPileSheet{nullptr, nullptr, 173, 277, 6};
SpriteSheet startCreatureSheet{nullptr, nullptr, 232, 257, 6};
SpriteSheet mouthSheet{nullptr, nullptr, 119, 100, 15};

namespace {

struct CatalogueEntry {
    SpriteSheet *sheet;
    WORD id;
    COLORREF key;
};

// Red-keyed sheets first, then green-keyed ones.
const CatalogueEntry catalogue[] = {
    {&walkSheet, 113, KEY_RED},          {&swallowSheet, 122, KEY_RED},      {&tripSheet, 121, KEY_RED},
    {&badgeSheet, 125, KEY_RED},         {&startTiltSheet, 119, KEY_RED},    {&startUprightSheet, 116, KEY_RED},
    {&blueDuckSheet, 114, KEY_GREEN},    {&redDuckSheet, 120, KEY_GREEN},    {&yellowDuckSheet, 124, KEY_GREEN},
    {&elephantSheet, 117, KEY_GREEN},    {&startPileSheet, 118, KEY_GREEN},  {&startCreatureSheet, 123, KEY_GREEN},
    {&mouthSheet, 130, KEY_GREEN},
};

} // namespace

void loadSpriteSheets()
{
    for (const CatalogueEntry &entry : catalogue) {
        entry.sheet->image = decodePngResource(entry.id, nullptr);
        entry.sheet->mask = makeColourKeyMask(entry.sheet->image, entry.key);
    }
}
