// Entry point of Marrowick. The command line and the show command are not
// used: the window shows with its remembered placement.
#include "marrowick.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    AppInstance = instance;
    ZeroMemory(&AppSettings, sizeof(AppSettings));
    if (!RegisterMainWindowClass())
        return 1;
    InitCommonControls();
    GetSettingsFilePath(SettingsFilePath);
    HWND mainWindow = CreateMainWindow();
    if (!mainWindow)
        return 1;
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    // SW_SHOW keeps a window that RestoreWindowPlacement maximized maximized.
    ShowWindow(mainWindow, SW_SHOW);
    UpdateWindow(mainWindow);
    // The first scan starts from the loop, after the window painted once.
    PostMessageA(mainWindow, WM_RELOADCACHE, 0, 0);
    return RunMessageLoop(mainWindow, accelerators);
}
