// The walker's storyline and the closing badge: one routine per scene, called by renderFrame
// for the current walkerScene (SCENE_WALK ... SCENE_BADGE). A scene that changes
// walkerScene calls the new scene's routine itself, so every frame shows exactly one scene.
#pragma once

#include <windows.h>

void drawWalkScene();
void drawSwallowScene();
void drawTripScene();
void drawBadgeScene();

// The badge's screen rectangle, for the window procedure's hit test.
void badgeRect(RECT *rect);
