// The walker's storyline and the closing badge: one routine per scene, called by renderFrame
// for the current walkerScene (1 walk, 2 swallow, 3 trip walk, 4 badge). A scene that changes
// walkerScene calls the new scene's routine itself, so every frame shows exactly one scene.
#pragma once

#include <windows.h>

void drawWalkScene();
void drawSwallowScene();
void drawTripScene();
void drawBadgeScene();

// The badge's screen rectangle, for the window procedure's hit test.
void badgeRect(RECT *rect);
