// The main window: its class, creation, close and destruction, the keyboard
// steps of the message loop, and MainWindowProc, which hands every message
// to the handler of its concern (commands.cpp, notify.cpp, layout.cpp).
#include "marrowick.h"

HWND MainWindowHandle;
HWND ToolbarHandle;
HWND ListViewHandle;
HWND StatusBarHandle;
HWND FocusWindow;
HMENU MainMenuBar;
HMENU PopupMenus;
HMENU ColumnMenu;
HMENU FileMenu;
UINT FindMessage;
HWND FindDialogHandle;

// Open link, open cache file, show properties: indexed by DefaultAction.
const int DefaultActionCommands[3] = {IDM_OPEN_LINK, IDM_OPEN_CACHE_FILE, IDM_PROPERTIES};

ATOM RegisterMainWindowClass(void)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = AppInstance;
    wc.hIcon = LoadIconA(AppInstance, MAKEINTRESOURCEA(IDI_MAIN));
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(INT_PTR)(COLOR_BTNFACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    wc.lpszClassName = MAIN_WINDOW_CLASS;
    return RegisterClassA(&wc);
}

HWND CreateMainWindow(void)
{
    // The class supplies the menu bar.
    HWND window = CreateWindowExA(0, MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, AppInstance, NULL);
    // The real size and position once the window exists: Wine maximizes a
    // window that became maximized during WM_CREATE once more at the end of
    // its creation, and so takes the maximized rectangle for the normal one.
    if (window) {
        RestoreWindowPlacement(window);
        FitPreviewHeightToWindow(window);
    }
    return window;
}

BOOL RouteKeyboardMessage(MSG *msg, HWND mainWindow, HACCEL accelerators)
{
    // Accelerators first, whatever window the key is meant for, so Ctrl+C in
    // the find dialog's edit field copies the selected rows, not the text.
    // Ctrl+C and Ctrl+A in the preview's text act on that text.
    if (!IsPreviewTextKey(msg) && TranslateAcceleratorA(mainWindow, accelerators, msg)) {
        // Wine opens the menu bar when Alt goes up unless some key went
        // through DefWindowProc while it was down; the accelerator took the
        // key (Alt+1, Alt+P), so hand it on there too or the next arrow key
        // would walk the menu instead of the list.
        if (msg->message == WM_SYSKEYDOWN)
            DefWindowProcA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
        return TRUE;
    }
    if (IsDialogMessageA(mainWindow, msg))
        return TRUE;
    return FindDialogHandle && IsDialogMessageA(FindDialogHandle, msg);
}

int RunMessageLoop(HWND mainWindow, HACCEL accelerators)
{
    MSG msg;
    // GetMessageA gives -1 only for an invalid window filter; with none it
    // returns 0 exactly at WM_QUIT.
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (RouteKeyboardMessage(&msg, mainWindow, accelerators))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}

static LRESULT OnCreate(HWND window, const CREATESTRUCTA *create)
{
    MainWindowHandle = window;
    ToolbarHandle = CreateToolbar(window);
    CreateFilterBox(ToolbarHandle);
    ListViewHandle = CreateCacheListView(window);
    // Tab follows the order of the children: the list first, then the
    // toolbar's filter box, then the preview pane's text.
    SetWindowPos(ToolbarHandle, ListViewHandle, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    StatusBarHandle = CreateStatusBar(window);
    FocusWindow = ListViewHandle;
    // The class menu arrives in the creation data; GetMenu is the fallback
    // for a system that leaves it out there.
    MainMenuBar = create->hMenu ? create->hMenu : GetMenu(window);
    PopupMenus = LoadMenuA(AppInstance, MAKEINTRESOURCEA(IDR_POPUP_MENUS));
    if (PopupMenus) {
        ColumnMenu = GetSubMenu(PopupMenus, 0);
        FileMenu = GetSubMenu(PopupMenus, 1);
    }
    LoadSettings();
    InitPreviewPane(window);
    ReportFileName[0] = '\0';
    SetFileMenuDefaultItem();
    FindMessage = RegisterWindowMessageA(FINDMSGSTRINGA);
    return 0;
}

static LRESULT OnClose(HWND window)
{
    // The close box stays live during a scan or a copy: the run stops after
    // its current file, and the window closes once it has ended.
    if (IsBusy()) {
        RequestRunStop();
        DeferUntilIdle(window, WM_CLOSE, 0);
        return 0;
    }
    SettingsWriteError = ERROR_SUCCESS;
    SaveSettings();
    if (IsFullFolderPath(AppSettings.TempOpenFolder) == 1)
        DeleteFolderTree(AppSettings.TempOpenFolder);
    SaveWindowPlacement(window, ListViewHandle);
    SavePreviewSettings();
    // A read-only file or folder: one box for all the keys, and close anyway.
    if (SettingsWriteError != ERROR_SUCCESS) {
        SetLastError(SettingsWriteError);
        ShowErrorBox(window, "Could not save the settings to %s\n\n%s", SettingsFilePath);
    }
    DestroyWindow(window);
    return 0;
}

static LRESULT OnDestroy(void)
{
    // A toolbar does not own an image list handed to it with TB_SETIMAGELIST.
    ImageList_Destroy(ToolbarImageList);
    ToolbarImageList = NULL;
    FreeSortArrowImages(ListViewHandle);
    if (PopupMenus)
        DestroyMenu(PopupMenus);
    PopupMenus = ColumnMenu = FileMenu = NULL;
    MainMenuBar = NULL;
    ShutdownPreviewPane();
    PostQuitMessage(0);
    return 0;
}

// The whole reload, filter and scroll included, holds the busy state: a
// second reload (F5 twice, the folder dialog's own) or the filter's timer
// that comes inside a box of the scan waits until it has ended.
static void ReloadCache(HWND window)
{
    if (IsBusy()) {
        DeferUntilIdle(window, WM_RELOADCACHE, 0);
        return;
    }
    EnterBusy();
    LoadCacheFolder(window, ListViewHandle, AppSettings.CacheFolder);
    ScrollListToTop(ListViewHandle);
    LeaveBusy();
    // Sent, not posted: the counts replace "Loading..." before anything
    // else is handled.
    SendMessageA(window, WM_UPDATESTATUS, 0, 0);
}

static void OnPrivateMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_RELOADCACHE:
        ReloadCache(window);
        break;
    case WM_UPDATESTATUS:
        // The counts would replace a run's progress; they come after it.
        if (IsBusy()) {
            DeferUntilIdle(window, WM_UPDATESTATUS, 0);
            break;
        }
        RefreshStatus();
        StatusUpdatePending = 0;
        break;
    case WM_LOADPROGRESS:
        ShowLoadProgress((int)wParam);
        break;
    case WM_COPYPROGRESS:
        ShowCopyProgress((int)wParam, (int)lParam);
        break;
    }
}

static LRESULT OnMinMaxInfo(MINMAXINFO *info)
{
    info->ptMinTrackSize.x = MAIN_MIN_WIDTH;
    info->ptMinTrackSize.y = MAIN_MIN_HEIGHT;
    return 0;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The find dialog's message number is only known at run time.
    // The find dialog stays enabled while a box of ours is shown, but a find
    // would select rows under a scan or a copy.
    if (FindMessage && message == FindMessage)
        return IsBusy() ? 0 : HandleFindMessage(window, (FINDREPLACEA *)lParam);
    switch (message) {
    case WM_CREATE:
        return OnCreate(window, (const CREATESTRUCTA *)lParam);
    case WM_CLOSE:
        return OnClose(window);
    case WM_DESTROY:
        return OnDestroy();
    case WM_COMMAND:
        if (OnFilterBoxCommand(wParam, lParam))
            return 0;
        RunCommand(window, LOWORD(wParam));
        return 0;
    case WM_NOTIFY:
        return OnNotify(window, (NMHDR *)lParam);
    case WM_CONTEXTMENU:
        // A right click on the caption comes from the window itself: the
        // default procedure opens the system menu there.
        if ((HWND)wParam == window)
            break;
        return OnContextMenu(window, (HWND)wParam, lParam);
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
        UpdateMenuStates((HMENU)wParam);
        return 0;
    case WM_SIZE:
        LayoutMainWindow(wParam, lParam);
        return 0;
    case WM_ACTIVATE:
        return OnActivate(window, wParam, lParam);
    case WM_SETFOCUS:
        SetFocus(FocusWindow);
        return 0;
    case WM_GETMINMAXINFO:
        return OnMinMaxInfo((MINMAXINFO *)lParam);
    case WM_NULL:
        return 0;
    case WM_RELOADCACHE:
    case WM_UPDATESTATUS:
    case WM_LOADPROGRESS:
    case WM_COPYPROGRESS:
        OnPrivateMessage(window, message, wParam, lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
