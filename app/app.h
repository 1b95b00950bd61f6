// The application shell: program entry, the overlay window and its procedure, the user's
// commands and the site launcher.
#pragma once

#include <windows.h>

// WinMain's first steps: registers the window class, reads the screen's size and creates the
// overlay window, whose WM_CREATE builds everything the show draws with. The window is not yet
// shown and the render thread not yet started.
HWND createOverlayWindow(HINSTANCE instance);

LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Whether the pointer is over the badge, which only the badge scene shows.
bool hitTestBadge();
// Shows the popup menu at the pointer and carries out the command chosen, if any.
void showPopupMenu(HWND window);

// The campaign's page, and the launcher that opens it in the program registered for HTML files
// with `parameters` as that program's command line.
extern const char campaignUrl[];
void openCampaignUrl(const char *parameters);
// Opens a new mail message whose body points to the campaign's page.
void tellAFriend();
