// A live desktop's backend without a screen: the real clock, threads, drive C: and shell, and
// nothing to show. Tests override what they listen to.
#pragma once

#include "../../platform/desktop/desktop_backend.h"

struct ScreenlessBackend : desktop::DesktopBackend {
    int screenWidth() override { return 0; }
    int screenHeight() override { return 0; }
    RECT workArea() override { return {}; }
    void captureScreen(int, int, const win32::Surface &) override {}
    void createWindow(win32::Window &, COLORREF) override {}
    void showWindow(win32::Window &, bool) override {}
    void presentWindow(win32::Window &, const RECT &) override {}
    void timerSet(UINT_PTR, UINT) override {}
    POINT cursorPosition() override { return {}; }
    void setCursor(const win32::Cursor *) override {}
    void showMenu(const win32::Menu &, POINT) override {}
    void highlightMenu(int) override {}
    void hideMenu() override {}
    void playSound(const win32::Wave &, const std::string &) override {}
    void stopSounds() override {}
};
