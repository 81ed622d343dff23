// Entry point of Marrowick. Without arguments the window shows with its
// remembered placement (the show command is not used); with arguments the
// program runs them as a command for scripts and creates no window at all.
#include "marrowick.h"

#include <stdlib.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    AppInstance = instance;
    ZeroMemory(&AppSettings, sizeof(AppSettings));
    // The C runtime splits the command line as every Windows program does.
    if (__argc > 1)
        return RunCommandLine(__argc, __argv);
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
