/* Every resource the program carries, written once. The resource script, the sheet catalogue,
   the media generator (tools/media) and the tests all read these tables: to add or change a
   sheet or a sound, change its row here and rerun the generator. */
#ifndef HOWDY_MEDIA_H
#define HOWDY_MEDIA_H

/* Frame sizes that other numbers follow: the walker starts one frame left of the screen with
   his feet on its bottom edge, and the badge's rectangle is what a click hits. */
#define WALK_FRAME_WIDTH 121
#define WALK_FRAME_HEIGHT 116
#define BADGE_WIDTH 262
#define BADGE_HEIGHT 199

/* The sprite sheets, in the order they are loaded: the sheet's variable, its PNG resource id,
   its file under resources/, the frame as drawn (width, height), the frames in the strip, the
   strip's height and its key colour. A strip is frames x width wide. Only the elephant's strip
   is higher than its drawn frame: its bottom rows never show. */
#define SPRITE_SHEETS(SHEET) \
    SHEET(walkSheet, 113, "images/walk.png", WALK_FRAME_WIDTH, WALK_FRAME_HEIGHT, 6, 116, KEY_RED) \
    SHEET(swallowSheet, 122, "images/swallow.png", 71, 116, 6, 116, KEY_RED) \
    SHEET(tripSheet, 121, "images/trip.png", 95, 116, 6, 116, KEY_RED) \
    SHEET(badgeSheet, 125, "images/badge.png", BADGE_WIDTH, BADGE_HEIGHT, 1, 199, KEY_RED) \
    SHEET(startTiltSheet, 119, "images/start-tilt.png", 84, 58, 6, 58, KEY_RED) \
    SHEET(startUprightSheet, 116, "images/start-upright.png", 84, 68, 6, 68, KEY_RED) \
    SHEET(blueDuckSheet, 114, "images/duck-blue.png", 59, 61, 2, 61, KEY_GREEN) \
    SHEET(redDuckSheet, 120, "images/duck-red.png", 59, 61, 2, 61, KEY_GREEN) \
    SHEET(yellowDuckSheet, 124, "images/duck-yellow.png", 59, 61, 2, 61, KEY_GREEN) \
    SHEET(elephantSheet, 117, "images/elephant.png", 96, 54, 2, 64, KEY_GREEN) \
    SHEET(startPileSheet, 118, "images/start-pile.png", 173, 277, 6, 277, KEY_GREEN) \
    SHEET(startCreatureSheet, 123, "images/start-creature.png", 232, 257, 6, 257, KEY_GREEN) \
    SHEET(mouthSheet, 130, "images/mouth.png", 119, 100, 15, 100, KEY_GREEN)

/* The sounds: the program's constant, the resource name it plays (names match without regard
   to case) and the file under resources/. */
#define SOUNDS(SOUND) \
    SOUND(SOUND_QUACK1, Quack1, "sounds/quack1.wav") \
    SOUND(SOUND_QUACK2, Quack2, "sounds/quack2.wav") \
    SOUND(SOUND_ELEPHANT, Elephant, "sounds/elephant.wav") \
    SOUND(SOUND_CANNON, Cannon, "sounds/cannon.wav")

/* The pointing hand shown over the badge, the window's icon, and the popup menu with its
   commands. */
#define HAND_CURSOR(CURSOR) CURSOR(CURSOR_HAND, Hand, "hand.cur")
#define IDI_HOWDY 132
#define IDR_POPUP_MENU 126
#define ID_TELL_A_FRIEND 40001
#define ID_OPEN_SITE 40002
#define ID_EXIT 40003

#endif
