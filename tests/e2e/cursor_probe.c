/* Prints the cursor that the X server shows now, as XFixes reads it back: its size, hot spot,
   and the number of shown (not fully transparent) and of shown white pixels. */
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <stdio.h>

int main(void)
{
    Display *display = XOpenDisplay(NULL);
    int events, errors;
    if (!display || !XFixesQueryExtension(display, &events, &errors)) {
        fprintf(stderr, "cursor_probe: no display with XFixes\n");
        return 1;
    }
    XFixesCursorImage *image = XFixesGetCursorImage(display);
    if (!image) {
        fprintf(stderr, "cursor_probe: no cursor image\n");
        return 1;
    }
    long shown = 0, white = 0;
    for (long i = 0; i < (long)image->width * image->height; ++i) {
        unsigned long pixel = image->pixels[i];
        if ((pixel >> 24) & 0xFF) {
            ++shown;
            white += (pixel & 0xFFFFFF) == 0xFFFFFF;
        }
    }
    printf("%dx%d hot %d,%d shown %ld white %ld\n", image->width, image->height, image->xhot, image->yhot, shown,
           white);
    XFree(image);
    XCloseDisplay(display);
    return 0;
}
