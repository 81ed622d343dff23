// The real main window: first start and close, placement, menus and
// accelerators as loaded, the keyboard steps of the message loop, layout,
// focus and the minimum size.
#include "test_mainwindow_fixture.h"

#include <sstream>

static std::vector<std::string> KeysInFile(const std::string &bytes)
{
    std::vector<std::string> keys;
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (!line.empty() && line[0] == '[')
            keys.push_back(line.substr(0, line.find(']') + 1));
        else if (eq != std::string::npos)
            keys.push_back(line.substr(0, eq));
    }
    return keys;
}

static std::string Setting(const std::string &file, const char *section, const char *key)
{
    char text[256];
    GetPrivateProfileStringA(section, key, "<missing>", text, sizeof(text), file.c_str());
    return text;
}

TEST_F(MainWindowTest, FirstStartUsesDefaultsAndCloseWritesFifteenKeys)
{
    lstrcpyA(ReportFileName, "left over");
    Create();
    char cls[64], title[64];
    GetClassNameA(Main, cls, sizeof(cls));
    GetWindowTextA(Main, title, sizeof(title));
    EXPECT_STREQ(cls, "MarrowickWindowClass");
    EXPECT_STREQ(title, "Marrowick");
    RECT r;
    GetWindowRect(Main, &r);
    EXPECT_EQ(r.right - r.left, 640);
    EXPECT_EQ(r.bottom - r.top, 480);
    EXPECT_FALSE(IsZoomed(Main));
    EXPECT_EQ(MainMenuBar, GetMenu(Main));
    EXPECT_TRUE(ColumnMenu != NULL && FileMenu != NULL);
    EXPECT_EQ(FocusWindow, ListViewHandle);
    EXPECT_STREQ(ReportFileName, "");
    EXPECT_EQ(FindMessage, RegisterWindowMessageA("commdlg_FindReplace"));
    EXPECT_EQ(AppSettings.DefaultAction, 2);
    EXPECT_EQ(AppSettings.SortByColumn, -1);
    EXPECT_FALSE(FileExists(SettingsPath)) << "nothing is written before the close";

    Close();
    const std::vector<std::string> expected = {
        "[Options]", "SaveFilterIndex", "DefaultAction", "FindFlags", "ShowTimeInGMT", "DeleteToRecycle",
        "SelectedCacheFolder", "AutoDetectCachePath", "SortByColumn", "HttpCachePath", "CopyFilesPath",
        "AutoRenameIfExist", "MarkEmptyFiles", "[WinPositions]", "MainWindow", "ColumnWidths", "ColumnOrder"};
    std::string bytes = ReadFileBytes(SettingsPath);
    EXPECT_EQ(KeysInFile(bytes), expected) << bytes;
    EXPECT_EQ(Setting(SettingsPath, "Options", "SortByColumn"), "-1");
    EXPECT_EQ(Setting(SettingsPath, "WinPositions", "ColumnWidths"), "120,350,110,100,120,120,120,120,120,120");
    EXPECT_EQ(Setting(SettingsPath, "WinPositions", "ColumnOrder"), "0,1,2,3,4,5,6,7,8,9");
    std::string placement = Setting(SettingsPath, "WinPositions", "MainWindow");
    EXPECT_EQ(placement.substr(placement.size() - 10), ",640,480,0") << placement;

    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(MainWindowTest, PlacementIsRestoredFromTheSettingsFile)
{
    struct Case {
        const char *Value;
        bool Maximized;
        int Left, Top, Width, Height;  // Left/Top -1: the system's choice
    } cases[] = {
        {"10,20", false, 10, 20, 640, 480},
        {"30,40,500,300,0", false, 30, 40, 500, 300},
        {"-2147483648,40,500,300", false, -1, -1, 500, 300},
        {",,800,600,1", true, 0, 0, 800, 600},
        // Sizes below one pixel and maximized flags other than 0 and 1 are
        // not the program's: the defaults.
        {"10,20,0,-300,2", false, 10, 20, 640, 480},
        {"10,20,-1,300,-1", false, 10, 20, 640, 300},
    };
    for (const Case &c : cases) {
        DeleteFileA(SettingsPath.c_str());
        WriteSetting("WinPositions", "MainWindow", c.Value);
        Create();
        // A maximized window keeps the rectangle in its restored placement.
        WINDOWPLACEMENT placement;
        placement.length = sizeof(placement);
        GetWindowPlacement(Main, &placement);
        RECT r;
        GetWindowRect(Main, &r);
        if (c.Maximized)
            r = placement.rcNormalPosition;
        EXPECT_EQ(IsZoomed(Main) != 0, c.Maximized) << c.Value;
        EXPECT_EQ(r.right - r.left, c.Width) << c.Value;
        EXPECT_EQ(r.bottom - r.top, c.Height) << c.Value;
        if (c.Left != -1) {
            EXPECT_EQ(r.left, c.Left) << c.Value;
            EXPECT_EQ(r.top, c.Top) << c.Value;
        }
        DestroyWindow(Main);
        DrainQueue();
    }
}

TEST_F(MainWindowTest, CloseSavesPlacementColumnsAndMaximizedState)
{
    WriteSetting("WinPositions", "ColumnWidths", "200,,80");
    WriteSetting("WinPositions", "ColumnOrder", "9,0,1,2,3,4,5,6,7,8");
    Create();
    EXPECT_EQ(SendMessageA(ListViewHandle, LVM_GETCOLUMNWIDTH, 1, 0), 0);
    SetWindowPos(Main, NULL, 30, 40, 500, 300, SWP_NOZORDER);
    ShowWindow(Main, SW_MAXIMIZE);
    Close();
    EXPECT_EQ(Setting(SettingsPath, "WinPositions", "MainWindow"), "30,40,500,300,1");
    EXPECT_EQ(Setting(SettingsPath, "WinPositions", "ColumnWidths"), "200,0,80,100,120,120,120,120,120,120");
    EXPECT_EQ(Setting(SettingsPath, "WinPositions", "ColumnOrder"), "9,0,1,2,3,4,5,6,7,8");
}

TEST_F(MainWindowTest, SettingsThatCannotBeWrittenSayItOnceAtClose)
{
    // A folder that does not exist stands for one that cannot be written.
    Create();
    std::string unwritable = Folder + "\\gone\\marrowick.cfg";
    lstrcpyA(SettingsFilePath, unwritable.c_str());
    BoxCapture boxes;
    Close();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "Could not save the settings to " + unwritable + "\n\n" +
                                       SystemText(ERROR_PATH_NOT_FOUND));
}

TEST_F(MainWindowTest, AutoDetectingRunWritesBackTheOwnFolderItRead)
{
    WriteSetting("Options", "HttpCachePath", "D:\\own cache");
    Create();
    lstrcpyA(AppSettings.CacheFolder, "C:\\somewhere\\detected");
    Close();
    EXPECT_EQ(Setting(SettingsPath, "Options", "HttpCachePath"), "D:\\own cache");
}

TEST_F(MainWindowTest, CloseRemovesTheTemporaryOpenFolder)
{
    Create();
    std::string temp = MakeTempDir("open");
    CreateDirectoryA((temp + "\\sub").c_str(), NULL);
    for (const char *name : {"\\a.png", "\\sub\\b.htm"}) {
        HANDLE h = CreateFileA((temp + name).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        CloseHandle(h);
    }
    lstrcpyA(AppSettings.TempOpenFolder, temp.c_str());
    Close();
    EXPECT_FALSE(FileExists(temp));
    EXPECT_STREQ(AppSettings.TempOpenFolder, temp.c_str()) << "the field itself is not cleared";
    RemoveTree(temp);
}

// Flattened menu: one line per item, "-" for a separator, ">" before the
// caption of a sub-menu and "<" after its last item.
static void FlattenMenu(HMENU menu, std::vector<std::string> &out)
{
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        char text[128] = "";
        MENUITEMINFOA info;
        ZeroMemory(&info, sizeof(info));
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = sizeof(text);
        GetMenuItemInfoA(menu, i, TRUE, &info);
        if (info.fType & MFT_SEPARATOR) {
            out.push_back("-");
        } else if (info.hSubMenu) {
            out.push_back(std::string(">") + text);
            FlattenMenu(info.hSubMenu, out);
            out.push_back("<");
        } else {
            out.push_back(std::string(text) + " " + std::to_string(info.wID));
        }
    }
}

TEST(MenuResources, MenuBarAndContextMenusHoldEveryItem)
{
    HINSTANCE self = GetModuleHandleA(NULL);
    HMENU bar = LoadMenuA(self, MAKEINTRESOURCEA(IDR_MAIN_MENU));
    HMENU popups = LoadMenuA(self, MAKEINTRESOURCEA(IDR_POPUP_MENUS));
    ASSERT_TRUE(bar && popups);
    std::vector<std::string> items;
    FlattenMenu(bar, items);
    const std::vector<std::string> expectedBar = {
        ">&File", "Open Link In &Web Browser\tAlt+1 1022", "Open Selected Cache File\tAlt+2 1021",
        "Copy Selected Cache Files To...\tAlt+3 1023", "-", "&Save Selected Items\tCtrl+S 1027",
        "&Properties\tAlt+Enter 1029", "-", "&Refresh\tF5 1028", "-", "E&xit 1040", "<",
        ">&Edit", "&Find\tCtrl+F 1030", "Find &Next\tF3 1031", "-", "Select &All\tCtrl+A 1050",
        "&Invert Selection 1051", "<",
        ">&View", "Main HTTP Cache\tCtrl+1 1060", "Big Picture HTTP Cache\tCtrl+2 1061", "-",
        "Preview &Pane\tAlt+P 1100", "<",
        ">&Options", "Select Cache &Folder\tCtrl+O 1020", ">Default File Action", "Open Link In Web Browser 1032",
        "Open Selected Cache File 1033", "Show Properties Window 1034", "<", "-",
        "Delete Files To &Recycle Bin 1037", "-", "Show Date/Time in &GMT 1035", "Mark &Zero-Length Files 1036", "<",
        ">&Help", "&About...\tF1 1038", "<"};
    EXPECT_EQ(items, expectedBar);
    items.clear();
    FlattenMenu(popups, items);
    const std::vector<std::string> expectedPopups = {
        ">[cols]", "Filename 2010", "URL 2011", "Content Type 2012", "File Size 2013", "Server Time 2014",
        "Last Modified 2015", "Expire Time 2016", "Server Response 2017", "ETag 2018", "Cache File 2019", "<",
        ">[file]", "Open Selected Cache &File 1021", "Open Link In &Web Browser 1022", "-",
        "&Delete Selected Files\tDel 1024", "Delete Per&manently\tShift+Del 1039", "-", "&Save Selected Items 1027",
        "&Copy Selected Items 1025", "Copy &URLs 1026", "-", "Select &All 1050", "&Invert Selection 1051", "-",
        "&Properties\tAlt+Enter 1029", "<"};
    EXPECT_EQ(items, expectedPopups);
    DestroyMenu(bar);
    DestroyMenu(popups);
}

TEST(MenuResources, AcceleratorTableHoldsExactlySixteenKeys)
{
    HACCEL table = LoadAcceleratorsA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ASSERT_TRUE(table != NULL);
    ACCEL keys[32];
    int count = CopyAcceleratorTableA(table, keys, 32);
    const BYTE ctrl = FVIRTKEY | FCONTROL | FNOINVERT, alt = FVIRTKEY | FALT | FNOINVERT, plain = FVIRTKEY | FNOINVERT;
    const ACCEL expected[] = {
        {ctrl, 'A', 1050}, {ctrl, 'C', 1025}, {ctrl, 'F', 1030}, {ctrl, 'E', 1121}, {ctrl, 'S', 1027}, {ctrl, 'O', 1020},
        {ctrl, '1', 1060}, {ctrl, '2', 1061}, {alt, '1', 1022}, {alt, '2', 1021}, {alt, '3', 1023},
        {plain, VK_F1, 1038}, {plain, VK_F3, 1031}, {plain, VK_F5, 1028}, {alt, 'P', 1100}, {alt, VK_RETURN, 1029}};
    ASSERT_EQ(count, countof(expected));
    for (int i = 0; i < count; i++) {
        EXPECT_EQ(keys[i].fVirt & 0x7F, expected[i].fVirt) << i;
        EXPECT_EQ(keys[i].key, expected[i].key) << i;
        EXPECT_EQ(keys[i].cmd, expected[i].cmd) << i;
    }
    DestroyAcceleratorTable(table);
}

// Records the WM_COMMAND numbers that reach the main window.
static std::vector<int> CommandsSeen;
static HWND CommandTarget;
static LRESULT CALLBACK RecordCommands(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *call = (const CWPSTRUCT *)lParam;
    if (code == HC_ACTION && call->hwnd == CommandTarget && call->message == WM_COMMAND)
        CommandsSeen.push_back(LOWORD(call->wParam));
    return CallNextHookEx(NULL, code, wParam, lParam);
}

static MSG KeyDown(HWND window, UINT key)
{
    MSG msg;
    ZeroMemory(&msg, sizeof(msg));
    msg.hwnd = window;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    msg.lParam = 1;
    return msg;
}

static void SetCtrl(bool down)
{
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(state);
}

TEST_F(MainWindowTest, ShortcutsInTheFindDialogActOnTheMainWindow)
{
    Create();
    HACCEL accelerators = LoadAcceleratorsA(AppInstance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    static char findText[64] = "abc";
    FINDREPLACEA find;
    ZeroMemory(&find, sizeof(find));
    find.lStructSize = sizeof(find);
    find.hwndOwner = Main;
    find.Flags = FR_DOWN;
    find.lpstrFindWhat = findText;
    find.wFindWhatLen = sizeof(findText);
    FindDialogHandle = FindTextA(&find);
    ASSERT_TRUE(FindDialogHandle != NULL);
    HWND edit = GetDlgItem(FindDialogHandle, 0x480);  // the dialog's find-what field
    ASSERT_TRUE(edit != NULL);

    CommandTarget = Main;
    CommandsSeen.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, RecordCommands, NULL, GetCurrentThreadId());
    SetCtrl(true);
    MSG ctrlC = KeyDown(edit, 'C'), ctrlA = KeyDown(edit, 'A');
    EXPECT_TRUE(RouteKeyboardMessage(&ctrlC, Main, accelerators));
    EXPECT_TRUE(RouteKeyboardMessage(&ctrlA, Main, accelerators));
    SetCtrl(false);
    MSG tab = KeyDown(edit, VK_TAB), listTab = KeyDown(ListViewHandle, VK_TAB);
    EXPECT_TRUE(RouteKeyboardMessage(&tab, Main, accelerators)) << "the find dialog's own navigation";
    EXPECT_TRUE(RouteKeyboardMessage(&listTab, Main, accelerators)) << "the main window's navigation";
    HWND other = CreateWindowA("EDIT", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
    MSG letter = KeyDown(other, 'X');
    EXPECT_FALSE(RouteKeyboardMessage(&letter, Main, accelerators)) << "other windows get their keys";
    DestroyWindow(other);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(CommandsSeen, std::vector<int>({IDM_COPY_ITEMS, IDM_SELECT_ALL}));

    DestroyWindow(FindDialogHandle);
    FindDialogHandle = NULL;
    DestroyAcceleratorTable(accelerators);
}

// What the status bar repaints: the union of its WM_PAINT rectangles.
static WNDPROC StatusBarProc;
static RECT StatusPainted;
static LRESULT CALLBACK RecordStatusPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    RECT dirty;
    if (message == WM_PAINT && GetUpdateRect(window, &dirty, FALSE))
        UnionRect(&StatusPainted, &StatusPainted, &dirty);
    return CallWindowProcA(StatusBarProc, window, message, wParam, lParam);
}

TEST_F(MainWindowTest, ListFillsTheSpaceBetweenToolbarAndStatusBar)
{
    Create();
    ShowWindow(Main, SW_SHOWNORMAL);   // a hidden window paints nothing
    StatusBarProc = (WNDPROC)SetWindowLongPtrA(StatusBarHandle, GWLP_WNDPROC, (LONG_PTR)RecordStatusPaint);
    const SIZE sizes[] = {{640, 480}, {900, 700}, {300, 200}};
    for (const SIZE &s : sizes) {
        RedrawWindow(Main, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
        SetRectEmpty(&StatusPainted);
        RECT before;
        GetWindowRect(Main, &before);
        SetWindowPos(Main, NULL, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER);
        RedrawWindow(Main, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
        RECT client, toolbar, status, list;
        GetClientRect(Main, &client);
        GetClientRect(ToolbarHandle, &toolbar);
        GetWindowRect(StatusBarHandle, &status);
        GetWindowRect(ListViewHandle, &list);
        MapWindowPoints(NULL, Main, (POINT *)&status, 2);
        MapWindowPoints(NULL, Main, (POINT *)&list, 2);
        EXPECT_EQ(list.left, 0);
        EXPECT_EQ(list.top, toolbar.bottom + 3);
        EXPECT_EQ(list.right, client.right);
        EXPECT_EQ(list.bottom, client.bottom - (status.bottom - status.top) - 1);
        EXPECT_EQ(status.bottom, client.bottom);
        // The whole status bar is painted again, not only what it moved into.
        RECT statusClient;
        GetClientRect(StatusBarHandle, &statusClient);
        if (before.right - before.left != s.cx || before.bottom - before.top != s.cy) {
            EXPECT_TRUE(EqualRect(&StatusPainted, &statusClient)) << s.cx << " x " << s.cy;
        }
    }
    SetWindowLongPtrA(StatusBarHandle, GWLP_WNDPROC, (LONG_PTR)StatusBarProc);
}

TEST_F(MainWindowTest, WindowCannotBeMadeSmallerThanTheMinimum)
{
    Create();
    MINMAXINFO info;
    ZeroMemory(&info, sizeof(info));
    info.ptMaxSize.x = 1234;
    EXPECT_EQ(SendMessageA(Main, WM_GETMINMAXINFO, 0, (LPARAM)&info), 0);
    EXPECT_EQ(info.ptMinTrackSize.x, 250);
    EXPECT_EQ(info.ptMinTrackSize.y, 145);
    EXPECT_EQ(info.ptMaxSize.x, 1234) << "nothing else changes";
    SetWindowPos(Main, NULL, 0, 0, 100, 50, SWP_NOMOVE | SWP_NOZORDER);
    RECT r;
    GetWindowRect(Main, &r);
    EXPECT_EQ(r.right - r.left, 250);
    EXPECT_EQ(r.bottom - r.top, 145);
}

TEST_F(MainWindowTest, FocusReturnsToTheControlThatHadItAfterDeactivation)
{
    Create();
    HWND other = CreateWindowA("STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, NULL, NULL,
                               NULL, NULL);
    SetActiveWindow(Main);
    EXPECT_EQ(GetFocus(), ListViewHandle) << "the list has the keyboard first";
    SetFocus(ToolbarHandle);
    SetActiveWindow(other);
    PumpMessages();
    EXPECT_EQ(FocusWindow, ToolbarHandle);
    SetActiveWindow(Main);
    PumpMessages();
    EXPECT_EQ(GetFocus(), ToolbarHandle);

    SetFocus(ListViewHandle);
    SetActiveWindow(other);
    SetActiveWindow(Main);
    EXPECT_EQ(GetFocus(), ListViewHandle);
    DestroyWindow(other);
}
