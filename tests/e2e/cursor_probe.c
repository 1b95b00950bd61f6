/* Prints the cursor that the X server shows now, as XFixes reads it back: its size, hot spot,
   and the number of shown (not fully transparent) and of shown white pixels.
   With --keyboard-held it prints nothing and succeeds when another client holds the keyboard. */
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <stdio.h>
#include <string.h>

static int keyboardHeld(Display *display)
{
    int result = XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync,
                               CurrentTime);
    if (result == GrabSuccess)
        XUngrabKeyboard(display, CurrentTime);
    XCloseDisplay(display);
    return result == AlreadyGrabbed ? 0 : 1;
}

int main(int argc, char **argv)
{
    Display *display = XOpenDisplay(NULL);
    if (display && argc > 1 && strcmp(argv[1], "--keyboard-held") == 0)
        return keyboardHeld(display);
    XFixesCursorImage *image = display ? XFixesGetCursorImage(display) : NULL;
    if (!image) {
        fputs("cursor_probe: no cursor image from XFixes\n", stderr);
        return 1;
    }
    long shown = 0, white = 0;
    for (long i = 0; i < (long)image->width * image->height; ++i) {
        /* Premultiplied ARGB: white shows only where it is opaque. */
        shown += (image->pixels[i] & 0xFF000000) != 0;
        white += (image->pixels[i] & 0xFFFFFFFF) == 0xFFFFFFFF;
    }
    printf("%dx%d hot %d,%d shown %ld white %ld\n", image->width, image->height, image->xhot, image->yhot, shown,
           white);
    XFree(image);
    XCloseDisplay(display);
    return 0;
}
