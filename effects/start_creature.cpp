// The Start-button creature: in the corner a lone Start button grows into a pile that stands up
// as a figure, and the figure walks off to the right.
#include "effects.h"

#include "../assets/catalogue.h"
#include "../state/show_state.h"

namespace {

// 0 not begun, 1 the pile assembling, 2 the figure walking.
std::int32_t creatureStage;
std::int32_t creatureFrame;
std::int32_t creatureX;
std::int32_t creatureY;
std::int32_t creatureStepX;
const SpriteSheet *creatureSheet = &startPileSheet;

// Both stages stand on the bottom edge of the screen.
void selectStage(const SpriteSheet &sheet)
{
    creatureSheet = &sheet;
    creatureY = showState.screenHeight - sheet.frameHeight;
    selectSpriteSheet(creatureImageDC, creatureMaskDC, sheet);
}

} // namespace

void drawStartCreature()
{
    if (creatureStage == 0) {
        selectStage(startPileSheet);
        creatureStage = 1;
        creatureFrame = -1;
        creatureStepX = 0;
    } else if (creatureFrame == 5 && creatureStage == 1) {
        selectStage(startCreatureSheet);
        creatureStepX = 20;
        creatureX += 30;
        creatureStage = 2;
    }
    creatureFrame += 1;
    if (creatureFrame == 6)
        creatureFrame = 0;
    creatureX += creatureStepX;
    if (creatureX < showState.screenWidth)
        drawSpriteFrame(creatureImageDC, creatureMaskDC, *creatureSheet, creatureFrame, creatureX, creatureY);
    else
        showState.creatureActive = CUE_FINISHED;
}
