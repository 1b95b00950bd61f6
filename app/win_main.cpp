// Program entry: the overlay window, the render thread and the message loop.
#include "app.h"

#include "../assets/catalogue.h"
#include "../show/render.h"
#include "../state/show_state.h"

HWND createOverlayWindow(HINSTANCE instance)
{
    appInstance = instance;

    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWndProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = appInstance;
    windowClass.hIcon = LoadIconA(appInstance, MAKEINTRESOURCEA(IDI_HOWDY));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = "Hello World";
    RegisterClassA(&windowClass);

    showState.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    showState.screenHeight = GetSystemMetrics(SM_CYSCREEN);

    // WM_CREATE builds everything the show draws with, inside this call.
    mainWindow = CreateWindowExA(0, "Hello World", "Howdy Partner", WS_POPUP, 0, 0, showState.screenWidth,
                                 showState.screenHeight, nullptr, nullptr, appInstance, nullptr);
    return mainWindow;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    createOverlayWindow(instance);
    ShowWindow(mainWindow, SW_SHOWNORMAL);
    UpdateWindow(mainWindow);

    CreateThread(nullptr, 0, renderThread, nullptr, 0, nullptr);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return int(message.wParam);
}
