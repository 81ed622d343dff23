// The cache list view: columns from the settings file, column toggling, the
// header's arrows, the empty-list text and the Enter key.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_list.h"
#include "test_util.h"

static int ReturnNotifications;

// Taken before any test changes them: the widths columns come back at.
static const std::vector<int> InitialRestoreWidths(RestoreColumnWidths, RestoreColumnWidths + COLUMN_COUNT);

static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY && ((NMHDR *)lParam)->code == (UINT)NM_RETURN)
        ReturnNotifications++;
    return DefWindowProcA(window, message, wParam, lParam);
}

class ListViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        AppInstance = GetModuleHandleA(NULL);
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = AppInstance;
        wc.lpszClassName = "ListViewTestParent";
        RegisterClassA(&wc);
        Dir = MakeTempDir("lv");
        lstrcpyA(SettingsFilePath, (Dir + "\\marrowick.cfg").c_str());
        for (int i = 0; i < COLUMN_COUNT; i++)
            RestoreColumnWidths[i] = ListColumns[i].DefaultWidth;
        ActiveEmptyText = NULL;
        Parent = CreateWindowA("ListViewTestParent", "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                               NULL, NULL, AppInstance, NULL);
    }
    void TearDown() override
    {
        DestroyWindow(Parent);
        RemoveTree(Dir);
    }
    HWND Create(const char *widths, const char *order)
    {
        if (widths)
            WritePrivateProfileStringA("WinPositions", "ColumnWidths", widths, SettingsFilePath);
        if (order)
            WritePrivateProfileStringA("WinPositions", "ColumnOrder", order, SettingsFilePath);
        HWND list = CreateCacheListView(Parent);
        RouteListNotifications(Parent);
        SetWindowPos(list, NULL, 0, 0, 600, 400, SWP_NOZORDER);
        ListViewHandle = list;
        return list;
    }
    static void AddRow(HWND list, const char *text) { AddTestRow(list, {text}); }
    std::string Dir;
    HWND Parent = NULL;
};

static std::string Widths(HWND list)
{
    std::string s;
    for (int i = 0; i < COLUMN_COUNT; i++)
        s += (i ? "," : "") + std::to_string(SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0));
    return s;
}

static std::string Order(HWND list)
{
    int order[COLUMN_COUNT] = {0};
    SendMessageA(list, LVM_GETCOLUMNORDERARRAY, COLUMN_COUNT, (LPARAM)order);
    std::string s;
    for (int i = 0; i < COLUMN_COUNT; i++)
        s += (i ? "," : "") + std::to_string(order[i]);
    return s;
}

TEST_F(ListViewTest, FirstStartHasTheTableColumns)
{
    HWND list = Create(NULL, NULL);
    ASSERT_NE(list, (HWND)NULL);
    EXPECT_EQ(GetDlgCtrlID(list), IDC_LIST);
    EXPECT_EQ(Widths(list), "120,350,110,100,120,120,120,120,120,120");
    EXPECT_EQ(Order(list), "0,1,2,3,4,5,6,7,8,9");
    for (int i = 0; i < COLUMN_COUNT; i++)
        EXPECT_EQ(InitialRestoreWidths[i], ListColumns[i].DefaultWidth) << i;
    for (int i = 0; i < COLUMN_COUNT; i++) {
        char title[64] = "";
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_FMT;
        column.pszText = title;
        column.cchTextMax = sizeof(title);
        ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, i, (LPARAM)&column));
        EXPECT_STREQ(title, ListColumns[i].Title);
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, i == COL_FILE_SIZE ? LVCFMT_RIGHT : LVCFMT_LEFT) << title;
    }
    DWORD ex = (DWORD)SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_EQ(ex, (DWORD)(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_LABELTIP));
    EXPECT_NE(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
}

// The manifest linked into the program asks for version 6 of the common
// controls for whatever architecture it is built for; a wrong architecture
// there silently falls back to version 5 from the system folder (or stops the
// program from loading). Version 6 is the one from the side-by-side store.
// (Wine's DllGetVersion answers 5.81 for both, so the path is what tells.)
TEST_F(ListViewTest, RunsOnVersionSixCommonControls)
{
    Create(NULL, NULL);
    char path[MAX_PATH + 1] = "";
    HMODULE controls = GetModuleHandleA("comctl32.dll");
    ASSERT_TRUE(controls != NULL);
    GetModuleFileNameA(controls, path, MAX_PATH);
    CharLowerA(path);
    EXPECT_NE(std::string(path).find("\\winsxs\\"), std::string::npos) << path;
    EXPECT_NE(std::string(path).find("microsoft.windows.common-controls_6595b64144ccf1df_6."), std::string::npos) << path;
}

TEST_F(ListViewTest, WidthsAndOrderFromTheSettingsFile)
{
    struct Case {
        const char *Widths, *Order, *ExpectedWidths, *ExpectedOrder;
    } cases[] = {
        {"", "", "120,350,110,100,120,120,120,120,120,120", "0,1,2,3,4,5,6,7,8,9"},
        {"200,0,80", NULL, "200,0,80,100,120,120,120,120,120,120", "0,1,2,3,4,5,6,7,8,9"},
        {"200,,80", NULL, "200,0,80,100,120,120,120,120,120,120", "0,1,2,3,4,5,6,7,8,9"},
        {" 12px,30,x", NULL, "12,30,0,100,120,120,120,120,120,120", "0,1,2,3,4,5,6,7,8,9"},
        // Negative widths are not the program's: each column's default.
        {"-1,-2,0,-100,5", NULL, "120,350,0,100,5,120,120,120,120,120", "0,1,2,3,4,5,6,7,8,9"},
        {"-2147483648,,,,,,,,,-7", NULL, "120,0,0,0,0,0,0,0,0,120", "0,1,2,3,4,5,6,7,8,9"},
        {NULL, "9,0,1,2,3,4,5,6,7,8", "120,350,110,100,120,120,120,120,120,120", "9,0,1,2,3,4,5,6,7,8"},
        {NULL, "1,0", "120,350,110,100,120,120,120,120,120,120", "1,0,2,3,4,5,6,7,8,9"},
        // Not a permutation of 0..9: left at the creation order.
        {NULL, "1,1,2,3,4,5,6,7,8,9", "120,350,110,100,120,120,120,120,120,120", "0,1,2,3,4,5,6,7,8,9"},
        {NULL, "10,1,2,3,4,5,6,7,8,9", "120,350,110,100,120,120,120,120,120,120", "0,1,2,3,4,5,6,7,8,9"},
        {NULL, "3,2", "120,350,110,100,120,120,120,120,120,120", "0,1,2,3,4,5,6,7,8,9"},
    };
    for (const Case &c : cases) {
        DeleteFileA(SettingsFilePath);
        HWND list = Create(c.Widths, c.Order);
        EXPECT_EQ(Widths(list), c.ExpectedWidths) << (c.Widths ? c.Widths : c.Order);
        EXPECT_EQ(Order(list), c.ExpectedOrder) << (c.Widths ? c.Widths : c.Order);
        DestroyWindow(list);
    }
}

TEST_F(ListViewTest, ToggleHidesAndRestoresWidthsOnly)
{
    HWND list = Create("200,0,80", "2,0,1,3,4,5,6,7,8,9");
    for (const char *row : {"b", "a", "c"})
        AddRow(list, row);
    SendMessageA(list, LVM_SETCOLUMNWIDTH, COL_ETAG, MAKELPARAM(180, 0));

    ToggleColumn(list, COL_URL);     // hidden at start: back at its default
    ToggleColumn(list, COL_ETAG);    // hidden now ...
    EXPECT_EQ(Widths(list), "200,350,80,100,120,120,120,120,0,120");
    ToggleColumn(list, COL_ETAG);    // ... and back at the width it had
    ToggleColumn(list, COL_URL);
    EXPECT_EQ(Widths(list), "200,0,80,100,120,120,120,120,180,120");
    ToggleColumn(list, COL_URL);
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, COL_URL, 0), 350);
    EXPECT_EQ(RestoreColumnWidths[COL_ETAG], 180);

    EXPECT_EQ(Order(list), "2,0,1,3,4,5,6,7,8,9");
    char text[8];
    for (int i = 0; i < 3; i++) {
        ListView_GetItemText(list, i, 0, text, sizeof(text));
        EXPECT_EQ(text[0], "bac"[i]);
    }
}

TEST_F(ListViewTest, SortArrowImagesAreAttachedAndFreed)
{
    HWND list = Create(NULL, NULL);
    HWND header = (HWND)SendMessageA(list, LVM_GETHEADER, 0, 0);
    HIMAGELIST arrows = (HIMAGELIST)SendMessageA(header, HDM_GETIMAGELIST, 0, 0);
    ASSERT_NE(arrows, (HIMAGELIST)NULL);
    EXPECT_EQ(ImageList_GetImageCount(arrows), 2);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(arrows, &cx, &cy);
    EXPECT_EQ(cx, 14);
    EXPECT_EQ(cy, 14);
    FreeSortArrowImages(list);
    EXPECT_EQ(SendMessageA(header, HDM_GETIMAGELIST, 0, 0), 0);
    FreeSortArrowImages(list);   // a second call finds nothing to free
}

// Dark pixels inside `rect` after the list erased its background into a
// memory bitmap: the empty text is drawn in the default (black) text colour.
static int DarkPixelsAfterErase(HWND list, const RECT &rect)
{
    RECT client;
    GetClientRect(list, &client);
    HDC screen = GetDC(list);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageA(list, WM_ERASEBKGND, (WPARAM)dc, 0);
    int dark = 0;
    for (int y = rect.top; y < rect.bottom; y++)
        for (int x = rect.left > 0 ? rect.left : 0; x < rect.right && x < client.right; x++)
            dark += GetRValue(GetPixel(dc, x, y)) < 100;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(list, screen);
    return dark;
}

TEST_F(ListViewTest, EmptyTextIsCentredBelowTheTopAndFollowsTheWidth)
{
    HWND list = Create(NULL, NULL);
    const char *text = "Could not access cache directory.\n\nError: Access denied.";
    EXPECT_EQ(SendMessageA(list, WM_SETEMPTYTEXT, 0, (LPARAM)text), 1);
    ASSERT_EQ(ActiveEmptyText, &EmptyTextState);
    EXPECT_STREQ(EmptyTextState.Text, text);

    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(list, WM_GETFONT, 0, 0));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(list, dc);

    RECT client;
    GetClientRect(list, &client);
    RECT r = EmptyTextState.Rect;
    LONG width = r.right - r.left;
    EXPECT_EQ(r.top, 60);
    EXPECT_EQ(r.bottom - r.top, 3 * metrics.tmHeight);   // three lines, one blank
    EXPECT_GT(width, 0);
    EXPECT_EQ(r.left, (client.right - width) / 2);
    EXPECT_GT(DarkPixelsAfterErase(list, r), 0);

    SetWindowPos(list, NULL, 0, 0, 300, 400, SWP_NOZORDER | SWP_NOMOVE);
    GetClientRect(list, &client);
    EXPECT_EQ(EmptyTextState.Rect.left, (client.right - width) / 2);
    EXPECT_EQ(EmptyTextState.Rect.right - EmptyTextState.Rect.left, width);

    // Rows hide the text; removing the text keeps it hidden once rows are gone.
    AddRow(list, "row");
    EXPECT_EQ(DarkPixelsAfterErase(list, EmptyTextState.Rect), 0);
    ClearTestRows(list);
    EXPECT_GT(DarkPixelsAfterErase(list, EmptyTextState.Rect), 0);
    EXPECT_EQ(SendMessageA(list, WM_SETEMPTYTEXT, 0, 0), 1);
    EXPECT_EQ(ActiveEmptyText, (EmptyTextRecord *)NULL);
    EXPECT_EQ(DarkPixelsAfterErase(list, EmptyTextState.Rect), 0);
}

TEST_F(ListViewTest, EmptyTextWiderThanTheListAndTooLong)
{
    HWND list = Create(NULL, NULL);
    SetWindowPos(list, NULL, 0, 0, 100, 200, SWP_NOZORDER | SWP_NOMOVE);
    std::string longText(1500, 'W');
    SendMessageA(list, WM_SETEMPTYTEXT, 0, (LPARAM)longText.c_str());
    EXPECT_EQ(strlen(EmptyTextState.Text), 1023u);
    RECT client;
    GetClientRect(list, &client);
    LONG width = EmptyTextState.Rect.right - EmptyTextState.Rect.left;
    EXPECT_LT(EmptyTextState.Rect.left, 0);
    EXPECT_EQ(EmptyTextState.Rect.left, (client.right - width) / 2);   // truncated towards zero
}

// A list scrolled down and right (or an empty one) comes back to row 0 and
// the left edge.
TEST_F(ListViewTest, ScrollToTopResetsBothScrollPositions)
{
    HWND list = Create("400,400,400,0,0,0,0,0,0,0", nullptr);
    for (int rows : {0, 200}) {
        ClearTestRows(list);
        for (int i = 0; i < rows; i++)
            AddTestRow(list, {"f" + std::to_string(i)});
        if (rows) {
            SendMessageA(list, LVM_ENSUREVISIBLE, rows - 1, FALSE);
            SendMessageA(list, LVM_SCROLL, 300, 0);
            ASSERT_GT(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 0);
            ASSERT_GT(GetScrollPos(list, SB_HORZ), 0);
        }
        ScrollListToTop(list);
        EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 0) << rows;
        EXPECT_EQ(GetScrollPos(list, SB_HORZ), 0) << rows;
    }
}

TEST_F(ListViewTest, OnlyTheEnterKeyDownIsClaimed)
{
    HWND list = Create(NULL, NULL);
    LRESULT own = SendMessageA(list, WM_GETDLGCODE, 0, 0);
    EXPECT_NE(own, DLGC_WANTALLKEYS);
    struct Case {
        UINT Message;
        WPARAM Key;
        bool Claimed;
    } cases[] = {
        {WM_KEYDOWN, VK_RETURN, true},
        {WM_KEYDOWN, VK_DOWN, false},
        {WM_KEYUP, VK_RETURN, false},
        {WM_CHAR, '\r', false},
    };
    for (const Case &c : cases) {
        MSG msg = {list, c.Message, c.Key, 0, 0, {0, 0}};
        LRESULT code = SendMessageA(list, WM_GETDLGCODE, c.Key, (LPARAM)&msg);
        EXPECT_EQ(code == DLGC_WANTALLKEYS, c.Claimed) << c.Message << " " << c.Key;
    }

    // Through the main window's dialog navigation, Enter still reaches the list.
    AddRow(list, "row");
    ListView_SetItemState(list, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    SetFocus(list);
    ReturnNotifications = 0;
    MSG enter = {list, WM_KEYDOWN, VK_RETURN, 0x001C0001, GetTickCount(), {0, 0}};
    if (!IsDialogMessageA(Parent, &enter)) {
        TranslateMessage(&enter);
        DispatchMessageA(&enter);
    }
    EXPECT_EQ(ReturnNotifications, 1);
}
