// The program's entry point: register, create, show, run the message loop.
#include "host/win32/mainWindow.h"

using namespace korvel::win32;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int showState) {
    if (!previous && !registerMainClass(instance)) return 0;
    HWND window = createMainWindow(instance);
    ShowWindow(window, showState);
    UpdateWindow(window);
    return runMessageLoop();
}
