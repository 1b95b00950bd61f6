/* Prints the cursor the X server shows now, as XFixes reads it back: size and hot spot, then a line
   a row, '.' clear, 'w' white, 'b' black, 'x' else. --escape-when-held: presses Esc within a
   millisecond of another client taking the keyboard (waiting up to ten seconds). --pixels X Y W H:
   the screen's pixels there, RRGGBB a line, row by row. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static int escapeWhenHeld(Display *display)
{
    KeyCode escape = XKeysymToKeycode(display, XK_Escape);
    struct timespec pause = {0, 1000000};
    for (int tries = 0; tries < 10000; ++tries) {
        int result = XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync,
                                   CurrentTime);
        if (result == AlreadyGrabbed) {
            XTestFakeKeyEvent(display, escape, True, CurrentTime);
            XTestFakeKeyEvent(display, escape, False, CurrentTime);
            XCloseDisplay(display);
            return 0;
        }
        /* Let go at once: howdy's own grab, tried every 20 ms, must find the keyboard free. */
        if (result == GrabSuccess) {
            XUngrabKeyboard(display, CurrentTime);
            XFlush(display);
        }
        nanosleep(&pause, NULL);
    }
    XCloseDisplay(display);
    return 1;
}

int main(int argc, char **argv)
{
    Display *display = XOpenDisplay(NULL);
    if (display && argc > 1 && strcmp(argv[1], "--escape-when-held") == 0)
        return escapeWhenHeld(display);
    if (display && argc == 6 && strcmp(argv[1], "--pixels") == 0) {
        XImage *image = XGetImage(display, DefaultRootWindow(display), atoi(argv[2]), atoi(argv[3]),
                                  (unsigned)atoi(argv[4]), (unsigned)atoi(argv[5]), AllPlanes, ZPixmap);
        for (int y = 0; image && y < image->height; ++y)
            for (int x = 0; x < image->width; ++x)
                printf("%06lx\n", XGetPixel(image, x, y) & 0xFFFFFF);
        int status = image ? 0 : 1;
        if (image)
            XDestroyImage(image);
        XCloseDisplay(display);
        return status;
    }
    XFixesCursorImage *image = display ? XFixesGetCursorImage(display) : NULL;
    if (!image) {
        fputs("cursor_probe: no cursor image from XFixes\n", stderr);
        return 1;
    }
    printf("%dx%d hot %d,%d\n", image->width, image->height, image->xhot, image->yhot);
    for (long i = 0; i < (long)image->width * image->height; ++i) {
        /* Premultiplied ARGB, in the low 32 bits of a long. */
        unsigned long pixel = image->pixels[i] & 0xFFFFFFFF;
        putchar(pixel == 0 ? '.' : pixel == 0xFFFFFFFF ? 'w' : pixel == 0xFF000000 ? 'b' : 'x');
        if ((i + 1) % image->width == 0)
            putchar('\n');
    }
    XFree(image);
    XCloseDisplay(display);
    return 0;
}
