// Commands, menu states and notifications of the real main window, driven by
// the messages the controls and menus send.
#include "test_mainwindow_fixture.h"
#include "cache_writer.h"

class CommandsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Create();
    }

    LRESULT Notify(NMHDR *header) { return SendMessageA(Main, WM_NOTIFY, header->idFrom, (LPARAM)header); }

    LRESULT ListNotify(UINT code, NMHDR *header)
    {
        header->hwndFrom = ListViewHandle;
        header->idFrom = IDC_LIST;
        header->code = code;
        return Notify(header);
    }

    void Command(int command) { SendMessageA(Main, WM_COMMAND, MAKEWPARAM(command, 0), 0); }

    // MF_GRAYED / MF_CHECKED bits of an item addressed by command.
    static UINT State(HMENU menu, int command) { return GetMenuState(menu, command, MF_BYCOMMAND); }

    static bool Checked(HMENU menu, int command) { return (State(menu, command) & MF_CHECKED) != 0; }

    static bool Radio(HMENU menu, int command)
    {
        MENUITEMINFOA info;
        ZeroMemory(&info, sizeof(info));
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE;
        GetMenuItemInfoA(menu, command, FALSE, &info);
        return (info.fType & MFT_RADIOCHECK) && (info.fState & MFS_CHECKED);
    }

    static std::string StatusText()
    {
        char text[128] = "";
        SendMessageA(StatusBarHandle, SB_GETTEXTA, 0, (LPARAM)text);
        return text;
    }
};

TEST_F(CommandsTest, SelectionConditionsOfEveryCommand)
{
    AddRows({10, 20, 30});
    struct Case {
        int Command;
        bool Allowed[3];  // with 0, 1 and 2 rows selected
    } cases[] = {
        {IDM_OPEN_CACHE_FILE, {false, true, false}}, {IDM_OPEN_LINK, {false, true, false}},
        {IDM_PROPERTIES, {false, true, false}},      {IDM_COPY_CACHE_FILES, {false, true, true}},
        {IDM_DELETE_FILES, {false, true, true}},     {IDM_COPY_ITEMS, {false, true, true}},
        {IDM_COPY_URLS, {false, true, true}},        {IDM_SAVE_ITEMS, {false, true, true}},
        {IDM_SELECT_CACHE_FOLDER, {true, true, true}}, {IDM_REFRESH, {true, true, true}},
        {IDM_FIND, {true, true, true}},              {IDM_FIND_NEXT, {true, true, true}},
        {IDM_DEFAULT_OPEN_LINK, {true, true, true}}, {IDM_DEFAULT_PROPERTIES, {true, true, true}},
        {IDM_SHOW_GMT, {true, true, true}},          {IDM_MARK_EMPTY, {true, true, true}},
        {IDM_DELETE_TO_RECYCLE, {true, true, true}}, {IDM_ABOUT, {true, true, true}},
        {IDM_EXIT, {true, true, true}},              {IDM_SELECT_ALL, {true, true, true}},
        {IDM_INVERT_SELECTION, {true, true, true}},  {IDM_COLUMN_FIRST, {true, true, true}},
        {IDM_COLUMN_FIRST + 9, {true, true, true}},  {IDM_COLUMN_FIRST + 10, {false, false, false}},
        {IDM_DELETE_PERMANENTLY, {false, true, true}}, {1041, {false, false, false}}, {0, {false, false, false}},
    };
    for (int selected = 0; selected <= 2; selected++) {
        SelectFirst(selected);
        for (const Case &c : cases)
            EXPECT_EQ(CommandAllowed(c.Command) != 0, c.Allowed[selected]) << c.Command << " with " << selected;
    }
}

TEST_F(CommandsTest, ViewCommandsFollowAutomaticDetection)
{
    for (int autoDetect = 0; autoDetect <= 1; autoDetect++) {
        AppSettings.AutoDetectCachePath = autoDetect;
        AppSettings.SelectedCacheFolder = 0;
        lstrcpyA(AppSettings.CacheFolder, "D:\\own");
        DrainQueue();
        Command(IDM_VIEW_BIG_PICTURE_CACHE);
        EXPECT_EQ(AppSettings.SelectedCacheFolder, autoDetect);
        EXPECT_EQ(CountQueued(Main, WM_RELOADCACHE), autoDetect);
        if (!autoDetect) {
            EXPECT_STREQ(AppSettings.CacheFolder, "D:\\own");
        }
        SendMessageA(Main, WM_INITMENU, (WPARAM)MainMenuBar, 0);
        EXPECT_EQ((State(MainMenuBar, IDM_VIEW_MAIN_CACHE) & MF_GRAYED) != 0, autoDetect == 0);
        EXPECT_EQ((State(MainMenuBar, IDM_VIEW_BIG_PICTURE_CACHE) & MF_GRAYED) != 0, autoDetect == 0);
    }
    DrainQueue();
    Command(IDM_VIEW_BIG_PICTURE_CACHE);  // the view already shown reloads too
    EXPECT_EQ(CountQueued(Main, WM_RELOADCACHE), 1);
}

TEST_F(CommandsTest, SimpleCommandsChangeTheirOptionOrPostTheirMessage)
{
    struct Case {
        int Command;
        int AppSettingsRecord::*Option;  // null: none
        UINT Posted;                     // 0: none
    } cases[] = {
        {IDM_SHOW_GMT, &AppSettingsRecord::ShowTimeInGMT, 0},
        {IDM_MARK_EMPTY, &AppSettingsRecord::MarkEmptyFiles, 0},
        {IDM_DELETE_TO_RECYCLE, &AppSettingsRecord::DeleteToRecycle, 0},
        {IDM_REFRESH, nullptr, WM_RELOADCACHE},
        {IDM_EXIT, nullptr, WM_CLOSE},
    };
    for (const Case &c : cases) {
        DrainQueue();
        if (c.Option) {
            AppSettings.*c.Option = 5;  // any non-zero value toggles to 0
            Command(c.Command);
            EXPECT_EQ(AppSettings.*c.Option, 0) << c.Command;
            Command(c.Command);
            EXPECT_EQ(AppSettings.*c.Option, 1) << c.Command;
        } else {
            Command(c.Command);
            EXPECT_EQ(CountQueued(Main, c.Posted), 1) << c.Command;
            MSG msg;
            while (PeekMessageA(&msg, Main, c.Posted, c.Posted, PM_REMOVE)) {
            }
        }
    }
    EXPECT_EQ(SendMessageA(Main, WM_COMMAND, 9999, 0), 0) << "unknown numbers are ignored";
    EXPECT_TRUE(IsWindow(Main));
}

TEST_F(CommandsTest, MenuItemsAreGrayedBySelectionCount)
{
    AddRows({1, 2, 3});
    const int oneOnly[] = {IDM_OPEN_CACHE_FILE, IDM_OPEN_LINK, IDM_PROPERTIES};
    const int any[] = {IDM_COPY_CACHE_FILES, IDM_SAVE_ITEMS, IDM_DELETE_FILES, IDM_DELETE_PERMANENTLY, IDM_COPY_ITEMS,
                       IDM_COPY_URLS};
    for (int selected = 0; selected <= 2; selected++) {
        SelectFirst(selected);
        SendMessageA(Main, WM_INITMENU, (WPARAM)MainMenuBar, 0);
        SendMessageA(Main, WM_INITMENUPOPUP, (WPARAM)FileMenu, 1);
        for (HMENU menu : {MainMenuBar, FileMenu}) {
            for (int id : oneOnly)
                EXPECT_EQ((State(menu, id) & MF_GRAYED) != 0, selected != 1) << id << " with " << selected;
            for (int id : any) {
                if (State(menu, id) == (UINT)-1)
                    continue;  // the menu bar has no delete or copy items
                EXPECT_EQ((State(menu, id) & MF_GRAYED) != 0, selected == 0) << id << " with " << selected;
            }
        }
        EXPECT_FALSE(State(FileMenu, IDM_SELECT_ALL) & MF_GRAYED);
        EXPECT_FALSE(State(MainMenuBar, IDM_REFRESH) & MF_GRAYED);
    }
}

TEST_F(CommandsTest, OptionMarksFollowTheSettings)
{
    struct Case {
        int DefaultAction, Folder, Gmt, Mark, Recycle;
    } cases[] = {{0, 1, 1, 0, 1}, {1, 0, 0, 1, 0}, {2, 1, 0, 0, 1}};
    for (const Case &c : cases) {
        AppSettings.DefaultAction = c.DefaultAction;
        AppSettings.SelectedCacheFolder = c.Folder;
        AppSettings.ShowTimeInGMT = c.Gmt;
        AppSettings.MarkEmptyFiles = c.Mark;
        AppSettings.DeleteToRecycle = c.Recycle;
        SendMessageA(Main, WM_INITMENU, (WPARAM)MainMenuBar, 0);
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(Radio(MainMenuBar, IDM_DEFAULT_OPEN_LINK + i), i == c.DefaultAction) << i;
        for (int i = 0; i < 2; i++)
            EXPECT_EQ(Radio(MainMenuBar, IDM_VIEW_MAIN_CACHE + i), i == c.Folder) << i;
        EXPECT_EQ(Checked(MainMenuBar, IDM_SHOW_GMT), c.Gmt != 0);
        EXPECT_EQ(Checked(MainMenuBar, IDM_MARK_EMPTY), c.Mark != 0);
        EXPECT_EQ(Checked(MainMenuBar, IDM_DELETE_TO_RECYCLE), c.Recycle != 0);
    }
}

TEST_F(CommandsTest, DefaultActionIsTheBoldFileMenuItem)
{
    EXPECT_EQ(GetMenuDefaultItem(FileMenu, FALSE, 0), (UINT)IDM_PROPERTIES);
    const int expected[] = {IDM_OPEN_LINK, IDM_OPEN_CACHE_FILE, IDM_PROPERTIES};
    for (int i = 0; i < 3; i++) {
        Command(IDM_DEFAULT_OPEN_LINK + i);
        EXPECT_EQ(AppSettings.DefaultAction, i);
        EXPECT_EQ(GetMenuDefaultItem(FileMenu, FALSE, 0), (UINT)expected[i]);
    }
}

TEST_F(CommandsTest, DoubleClickAndEnterPostTheDefaultAction)
{
    const int expected[] = {IDM_OPEN_LINK, IDM_OPEN_CACHE_FILE, IDM_PROPERTIES};
    for (int action = 0; action < 3; action++) {
        AppSettings.DefaultAction = action;
        for (UINT code : {(UINT)NM_DBLCLK, (UINT)NM_RETURN}) {
            DrainQueue();
            NMITEMACTIVATE activate;
            ZeroMemory(&activate, sizeof(activate));
            activate.iItem = -1;  // empty space
            ListNotify(code, &activate.hdr);
            MSG msg;
            ASSERT_TRUE(PeekMessageA(&msg, Main, WM_COMMAND, WM_COMMAND, PM_REMOVE));
            EXPECT_EQ(LOWORD(msg.wParam), expected[action]);
        }
    }
}

TEST_F(CommandsTest, ColumnMenuChecksShownColumnsAndTogglesThem)
{
    SendMessageA(ListViewHandle, LVM_SETCOLUMNWIDTH, 1, 0);
    SendMessageA(Main, WM_INITMENUPOPUP, (WPARAM)ColumnMenu, 0);
    for (int column = 0; column < COLUMN_COUNT; column++)
        EXPECT_EQ(Checked(ColumnMenu, IDM_COLUMN_FIRST + column), column != 1) << column;
    Command(IDM_COLUMN_FIRST + 1);
    EXPECT_EQ(SendMessageA(ListViewHandle, LVM_GETCOLUMNWIDTH, 1, 0), 350);
    for (int column = 0; column < COLUMN_COUNT; column++)
        Command(IDM_COLUMN_FIRST + column);
    SendMessageA(Main, WM_INITMENUPOPUP, (WPARAM)ColumnMenu, 0);
    for (int column = 0; column < COLUMN_COUNT; column++)
        EXPECT_FALSE(Checked(ColumnMenu, IDM_COLUMN_FIRST + column)) << column;
}

TEST_F(CommandsTest, HeaderClicksToggleTheSortDirection)
{
    AddRows({3, 1, 2});
    struct Click {
        int Column;
        int Key;
    } clicks[] = {{3, 3}, {3, 259}, {3, 3}, {1, 1}, {1, 257}, {9, 9}};
    EXPECT_EQ(AppSettings.SortByColumn, -1);
    for (const Click &c : clicks) {
        NMLISTVIEW click;
        ZeroMemory(&click, sizeof(click));
        click.iItem = -1;
        click.iSubItem = c.Column;
        EXPECT_EQ(ListNotify(LVN_COLUMNCLICK, &click.hdr), 0);
        EXPECT_EQ(AppSettings.SortByColumn, c.Key) << "column " << c.Column;
    }
}

TEST_F(CommandsTest, ZeroLengthRowsGetALightRedBackground)
{
    struct Case {
        int Mark;
        DWORD Stage;
        int Row;                // of rows of 0, 1 and 2 GiB bytes
        LRESULT Result;
        COLORREF Background;
    } cases[] = {
        {0, CDDS_PREPAINT, 0, CDRF_DODEFAULT, CLR_DEFAULT},
        {1, CDDS_PREPAINT, 0, CDRF_NOTIFYITEMDRAW, CLR_DEFAULT},
        {1, CDDS_ITEMPREPAINT, 0, CDRF_DODEFAULT, RGB(255, 220, 220)},
        {1, CDDS_ITEMPREPAINT, 1, CDRF_DODEFAULT, CLR_DEFAULT},
        {1, CDDS_ITEMPREPAINT, 2, CDRF_DODEFAULT, CLR_DEFAULT},
        {1, CDDS_ITEMPOSTPAINT, 0, 0, CLR_DEFAULT},
        {1, CDDS_POSTPAINT, 0, 0, CLR_DEFAULT},
    };
    AddRows({0, 1, 0x80000000u});
    for (const Case &c : cases) {
        AppSettings.MarkEmptyFiles = c.Mark;
        NMLVCUSTOMDRAW draw;
        ZeroMemory(&draw, sizeof(draw));
        draw.nmcd.dwDrawStage = c.Stage;
        draw.nmcd.dwItemSpec = (DWORD_PTR)c.Row;
        draw.clrTextBk = CLR_DEFAULT;
        EXPECT_EQ(ListNotify(NM_CUSTOMDRAW, &draw.nmcd.hdr), c.Result) << c.Stage;
        EXPECT_EQ(draw.clrTextBk, c.Background) << c.Stage << " " << c.Row;
    }
}

TEST_F(CommandsTest, BurstOfSelectionChangesPostsOneStatusUpdate)
{
    // 2 GiB and 4 GiB - 1 count as the unsigned sizes they are.
    AddRows({1000, 24, 0, 0x80000000u, 0xFFFFFFFFu});
    PumpMessages();
    DrainQueue();
    Command(IDM_SELECT_ALL);
    EXPECT_EQ(SendMessageA(ListViewHandle, LVM_GETSELECTEDCOUNT, 0, 0), 5);
    EXPECT_EQ(CountQueued(Main, WM_UPDATESTATUS), 1);
    EXPECT_EQ(StatusUpdatePending, 1);
    EXPECT_EQ(SelectedSizeTotal, 1024LL + 0x80000000LL + 0xFFFFFFFFLL);
    PumpMessages();
    EXPECT_EQ(StatusUpdatePending, 0);
    EXPECT_EQ(StatusText().substr(0, 21), "5 item(s), 5 selected");

    Command(IDM_INVERT_SELECTION);
    EXPECT_EQ(SelectedSizeTotal, 0);
    EXPECT_EQ(CountQueued(Main, WM_UPDATESTATUS), 1);
    PumpMessages();
    EXPECT_EQ(StatusText(), "5 item(s)");

    SelectFirst(2);
    EXPECT_EQ(SelectedSizeTotal, 1024);
    HideRowView(ListViewHandle);
    EXPECT_EQ(SelectedSizeTotal, 0) << "a reload starts the total from 0";
}

TEST_F(CommandsTest, ReloadScansThenShowsTheCounts)
{
    AddRows({5, 6});
    SelectFirst(1);
    PumpMessages();
    SendMessageA(Main, WM_LOADPROGRESS, 50, 0);
    EXPECT_EQ(StatusText(), "Loading... 50");
    StatusUpdatePending = 1;
    SendMessageA(Main, WM_UPDATESTATUS, 0, 0);
    EXPECT_EQ(StatusUpdatePending, 0);
    PostMessageA(Main, WM_RELOADCACHE, 0, 0);
    PumpMessages();
    EXPECT_EQ(SelectedSizeTotal, 0);
    EXPECT_EQ(StatusUpdatePending, 0);
    EXPECT_EQ(StatusText().substr(0, 9), "0 item(s)");
}

TEST_F(CommandsTest, CtrlAInTheListSelectsAllRows)
{
    AddRows({1, 2, 3});
    for (bool ctrl : {false, true}) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(keys);
        NMLVKEYDOWN key;
        ZeroMemory(&key, sizeof(key));
        key.wVKey = 'A';
        ListNotify(LVN_KEYDOWN, &key.hdr);
        PumpMessages();
        EXPECT_EQ(SendMessageA(ListViewHandle, LVM_GETSELECTEDCOUNT, 0, 0), ctrl ? 3 : 0);
    }
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
}

// Records which popup menu opens and closes it at once.
static std::vector<HMENU> MenusShown;
static LRESULT CALLBACK WatchMenus(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *call = (const CWPSTRUCT *)lParam;
    if (code == HC_ACTION && call->message == WM_INITMENUPOPUP)
        MenusShown.push_back((HMENU)call->wParam);
    if (code == HC_ACTION && call->message == WM_ENTERIDLE)
        EndMenu();
    return CallNextHookEx(NULL, code, wParam, lParam);
}

TEST_F(CommandsTest, RightClicksOpenTheColumnOrTheFileMenu)
{
    HWND header = (HWND)SendMessageA(ListViewHandle, LVM_GETHEADER, 0, 0);
    ASSERT_TRUE(header != NULL);
    // Result 1: answered, so the list or header sends no WM_CONTEXTMENU for
    // the same click. Via the list: sent to the list view as the header
    // sends it, which the subclass must pass on to the main window.
    struct Case {
        HWND From;
        UINT_PTR Id;
        UINT Code;
        bool ViaList;
        HMENU Expected;  // null: no menu
        LRESULT Result;
    } cases[] = {
        {ListViewHandle, IDC_LIST, (UINT)NM_RCLICK, false, FileMenu, 1},
        {header, 0, (UINT)NM_RCLICK, false, ColumnMenu, 1},
        {header, 0, (UINT)NM_RCLICK, true, ColumnMenu, 1},
        {header, 0, (UINT)NM_CLICK, false, NULL, 0},
        {ToolbarHandle, 0, (UINT)NM_RCLICK, false, NULL, 0},
    };
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchMenus, NULL, GetCurrentThreadId());
    for (const Case &c : cases) {
        MenusShown.clear();
        NMHDR note = {c.From, c.Id, c.Code};
        HWND to = c.ViaList ? ListViewHandle : Main;
        EXPECT_EQ(SendMessageA(to, WM_NOTIFY, c.Id, (LPARAM)&note), c.Result);
        PumpMessages();
        if (c.Expected) {
            EXPECT_EQ(MenusShown, std::vector<HMENU>({c.Expected}));
        } else {
            EXPECT_TRUE(MenusShown.empty());
        }
    }
    UnhookWindowsHookEx(hook);
}

// WM_CONTEXTMENU: a point on the header opens the column menu whichever of
// the list and the header sends it; the keyboard's (-1) from the list opens
// the file menu; a point on the rows opens nothing (NM_RCLICK did already).
TEST_F(CommandsTest, ContextMenuMessagesOpenOneMenuByWhereAndHow)
{
    AddRows({1, 2, 3});
    HWND header = (HWND)SendMessageA(ListViewHandle, LVM_GETHEADER, 0, 0);
    RECT headerRect, listRect;
    GetWindowRect(header, &headerRect);
    GetWindowRect(ListViewHandle, &listRect);
    LPARAM onHeader = MAKELPARAM(headerRect.left + 20, (headerRect.top + headerRect.bottom) / 2);
    LPARAM onRows = MAKELPARAM(listRect.left + 20, listRect.bottom - 20);
    struct Case {
        HWND From;
        LPARAM At;
        HMENU Expected;
    } cases[] = {
        {header, onHeader, ColumnMenu},
        {ListViewHandle, onHeader, ColumnMenu},
        {ListViewHandle, -1, FileMenu},
        {ListViewHandle, onRows, NULL},
        {ToolbarHandle, -1, NULL},
        {ToolbarHandle, onHeader, NULL},
    };
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchMenus, NULL, GetCurrentThreadId());
    for (const Case &c : cases) {
        MenusShown.clear();
        EXPECT_EQ(SendMessageA(Main, WM_CONTEXTMENU, (WPARAM)c.From, c.At), 0);
        PumpMessages();
        EXPECT_EQ(MenusShown, c.Expected ? std::vector<HMENU>({c.Expected}) : std::vector<HMENU>())
            << (c.From == header ? "header " : c.From == ListViewHandle ? "list " : "toolbar ") << c.At;
    }
    UnhookWindowsHookEx(hook);
}

TEST_F(CommandsTest, ToolbarTooltipsGetTheirTextOnce)
{
    struct Case {
        UINT_PTR Command;
        const char *Text;
    } cases[] = {{IDM_OPEN_LINK, "Open link in web browser"}, {IDM_FIND, "Find"}, {0, NULL}};
    for (const Case &c : cases) {
        NMTTDISPINFOA info;
        ZeroMemory(&info, sizeof(info));
        info.hdr.hwndFrom = (HWND)SendMessageA(ToolbarHandle, TB_GETTOOLTIPS, 0, 0);
        info.hdr.idFrom = c.Command;
        info.hdr.code = TTN_GETDISPINFOA;
        EXPECT_EQ(Notify(&info.hdr), 0);
        if (c.Text) {
            EXPECT_STREQ(info.lpszText, c.Text);
        } else {
            EXPECT_TRUE(info.lpszText == NULL);
        }
        EXPECT_TRUE(info.uFlags & TTF_DI_SETITEM);
    }
}

// After a deletion the counts and the selected size show what is left, on
// every system (not all list views report a deleted row's deselection).
TEST_F(CommandsTest, DeletionRefreshesCountsAndSelectedSize)
{
    lstrcpyA(AppSettings.CacheFolder, Folder.c_str());
    AppSettings.DeleteToRecycle = 0;
    CreateDirectoryA((Folder + "\\0a").c_str(), NULL);
    const char *names[] = {"0a01", "0a02", "0a03", "0a04"};
    const unsigned sizes[] = {1000, 24, 1, 7};
    ClearRowStore();
    for (int i = 0; i < 4; i++) {
        if (i != 1)  // the second file is missing: its deletion fails
            WriteBytesToFile(Folder + "\\0a\\" + names[i], "x");
        CacheRow row = {{"f", "", "", "", "", "", "", "", "", names[i]}, 0, sizes[i]};
        AppendStoreRow(&row, 0x0a);
    }
    ResetRowOrder();
    ShowRowView(ListViewHandle, 0);
    SelectFirst(3);
    PumpMessages();
    EXPECT_EQ(StatusText(), "4 item(s), 3 selected (1.00 KB)");

    BoxCapture capture;
    capture.Answer(IDYES);
    Command(IDM_DELETE_FILES);
    PumpMessages();
    ASSERT_EQ(capture.Boxes.size(), 2u);  // the question and the failed file
    EXPECT_EQ(capture.Boxes[1].Text.rfind("Could not delete cache file: ", 0), 0u);
    EXPECT_EQ(SendMessageA(ListViewHandle, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(SelectedSizeTotal, 24);
    EXPECT_EQ(StatusText(), "2 item(s), 1 selected (24 B)");
    EXPECT_EQ(StatusUpdatePending, 0);
}
