// Toolbar buttons and tooltips, button states and status texts by selection,
// scan progress, the size text at every unit threshold, and the images.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_list.h"
#include "test_util.h"

TEST(FormatSizeText, EveryThreshold)
{
    struct Case {
        unsigned long long Bytes;
        const char *Text;
    } cases[] = {
        {0, "0 B"},
        {1, "1 B"},
        {1024, "1024 B"},
        {1025, "1.00 KB"},
        {1024000, "1000.00 KB"},
        {1024001, "0.98 MB"},
        {123456789, "117.74 MB"},
        {1048576000, "1000.00 MB"},
        {1048576001, "0.98 GB"},
        {5368709120ULL, "5.00 GB"},
        {1073741824000ULL, "1000.00 GB"},
        {1073741824001ULL, "0.98 TB"},
        {1ULL << 40, "1.00 TB"},
        {~0ULL, "16777216.00 TB"},   // v >> 30 rounds up to 2^34 in single precision
    };
    for (const Case &c : cases)
        EXPECT_STREQ(FormatSizeText(&c.Bytes), c.Text) << c.Bytes;
}

TEST(ToolTips, OneTextPerButtonCommand)
{
    struct Case {
        int Command;
        const char *Text;
    } cases[] = {
        {IDM_SELECT_CACHE_FOLDER, "Select cache folder"},
        {IDM_OPEN_LINK, "Open link in web browser"},
        {IDM_COPY_CACHE_FILES, "Copy selected files to..."},
        {IDM_SAVE_ITEMS, "Save selected items"},
        {IDM_REFRESH, "Refresh"},
        {IDM_PROPERTIES, "Properties"},
        {IDM_FIND, "Find"},
        {0, NULL},   // the separator
        {IDM_OPEN_CACHE_FILE, NULL},
    };
    for (const Case &c : cases) {
        const char *text = GetToolTipText(c.Command);
        if (c.Text == NULL) {
            EXPECT_EQ(text, (const char *)NULL) << c.Command;
        } else {
            EXPECT_STREQ(text, c.Text) << c.Command;
        }
    }
}

class StatusTest : public testing::Test {
protected:
    void SetUp() override
    {
        AppInstance = GetModuleHandleA(NULL);
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&icc);
        Dir = MakeTempDir("tb");
        lstrcpyA(SettingsFilePath, (Dir + "\\marrowick.cfg").c_str());
        Parent = CreateWindowA("STATIC", "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600, NULL, NULL,
                               AppInstance, NULL);
        ToolbarHandle = CreateToolbar(Parent);
        ListViewHandle = CreateCacheListView(Parent);
        RouteListNotifications(Parent);
        StatusBarHandle = CreateStatusBar(Parent);
        SelectedSizeTotal = 0;
    }
    void TearDown() override
    {
        ImageList_Destroy(ToolbarImageList);
        ToolbarImageList = NULL;
        DestroyWindow(Parent);
        RemoveTree(Dir);
    }
    // Rows with the given payload sizes; the first `selected` rows selected.
    // The first rows, of the given sizes, selected: the list's notifications
    // sum SelectedSizeTotal.
    void Fill(int rows, const std::vector<unsigned> &selectedSizes)
    {
        SendMessageA(ListViewHandle, WM_SETREDRAW, FALSE, 0);
        for (int i = 0; i < rows; i++) {
            CacheRow row = {{"row", "", "", "", "", "", "", "", "", ""}, 0,
                            i < (int)selectedSizes.size() ? selectedSizes[i] : 7};
            AppendStoreRow(&row, 0);
        }
        ResetRowOrder();
        ShowRowView(ListViewHandle, 0);
        for (size_t i = 0; i < selectedSizes.size(); i++)
            ListView_SetItemState(ListViewHandle, (int)i, LVIS_SELECTED, LVIS_SELECTED);
        SendMessageA(ListViewHandle, WM_SETREDRAW, TRUE, 0);
    }
    static std::string StatusText(int part)
    {
        char text[128] = "";
        SendMessageA(StatusBarHandle, SB_GETTEXTA, part, (LPARAM)text);
        return text;
    }
    // The enabled commands, in button order.
    static std::string EnabledButtons()
    {
        std::string s;
        for (int command : {IDM_SELECT_CACHE_FOLDER, IDM_OPEN_LINK, IDM_COPY_CACHE_FILES, IDM_SAVE_ITEMS,
                            IDM_REFRESH, IDM_PROPERTIES, IDM_FIND})
            if (SendMessageA(ToolbarHandle, TB_ISBUTTONENABLED, command, 0))
                s += (s.empty() ? "" : " ") + std::to_string(command);
        return s;
    }
    std::string Dir;
    HWND Parent = NULL;
};

TEST_F(StatusTest, ToolbarHasSevenButtonsAndASeparator)
{
    EXPECT_EQ(GetDlgCtrlID(ToolbarHandle), IDC_TOOLBAR);
    const int commands[] = {IDM_SELECT_CACHE_FOLDER, IDM_OPEN_LINK, IDM_COPY_CACHE_FILES, 0,
                            IDM_SAVE_ITEMS, IDM_REFRESH, IDM_PROPERTIES, IDM_FIND};
    const int images[] = {0, 1, 2, -1, 3, 4, 5, 6};
    ASSERT_EQ(SendMessageA(ToolbarHandle, TB_BUTTONCOUNT, 0, 0), countof(commands));
    for (int i = 0; i < countof(commands); i++) {
        TBBUTTON button = {};
        ASSERT_TRUE(SendMessageA(ToolbarHandle, TB_GETBUTTON, i, (LPARAM)&button));
        EXPECT_EQ(button.idCommand, commands[i]) << i;
        EXPECT_EQ((button.fsStyle & BTNS_SEP) != 0, commands[i] == 0) << i;
        if (commands[i] != 0) {
            EXPECT_EQ(button.iBitmap, images[i]) << i;
        }
    }
    HIMAGELIST images16 = (HIMAGELIST)SendMessageA(ToolbarHandle, TB_GETIMAGELIST, 0, 0);
    ASSERT_NE(images16, (HIMAGELIST)NULL);
    EXPECT_EQ(images16, ToolbarImageList);
    EXPECT_EQ(ImageList_GetImageCount(images16), 7);
    // Before the first status refresh every button is enabled.
    EXPECT_EQ(EnabledButtons(), "1020 1022 1023 1027 1028 1029 1030");
}

TEST_F(StatusTest, StatusBarHasTwoPartsAndShowsProgress)
{
    EXPECT_EQ(GetDlgCtrlID(StatusBarHandle), IDC_STATUSBAR);
    int edges[4] = {0};
    ASSERT_EQ(SendMessageA(StatusBarHandle, SB_GETPARTS, 4, (LPARAM)edges), 2);
    EXPECT_EQ(edges[0], 250);
    EXPECT_EQ(edges[1], -1);
    ShowLoadProgress(0);
    EXPECT_EQ(StatusText(0), "Loading... 0");
    ShowLoadProgress(150);
    EXPECT_EQ(StatusText(0), "Loading... 150");
    EXPECT_EQ(StatusText(1), "");
    // The scan pumps no messages: each progress text is painted at once,
    // so nothing of the status bar is left waiting for a WM_PAINT.
    UpdateWindow(Parent);
    ShowLoadProgress(200);
    EXPECT_FALSE(GetUpdateRect(StatusBarHandle, NULL, FALSE));
}

// Part 0 is wide enough for whatever it says; a find miss stays until the
// selection changes.
TEST_F(StatusTest, FirstPartFitsItsText)
{
    auto fits = [](const std::string &text) {
        RECT part = {};
        SendMessageA(StatusBarHandle, SB_GETRECT, 0, (LPARAM)&part);
        HDC dc = GetDC(StatusBarHandle);
        HGDIOBJ old = SelectObject(dc, (HGDIOBJ)SendMessageA(StatusBarHandle, WM_GETFONT, 0, 0));
        SIZE size = {};
        GetTextExtentPoint32A(dc, text.c_str(), (int)text.size(), &size);
        SelectObject(dc, old);
        ReleaseDC(StatusBarHandle, dc);
        return part.right - part.left >= size.cx + 8;
    };
    Fill(20000, {4000000000u, 4000000000u});
    SelectedSizeTotal = 20000LL * 4000000000LL;
    RefreshStatus();
    EXPECT_TRUE(fits(StatusText(0))) << StatusText(0);
    const std::string miss = "Cannot find \"" + std::string(60, 'w') + "\"";
    ShowStatusNote(miss.c_str());
    RefreshStatus();
    EXPECT_EQ(StatusText(0), miss);
    EXPECT_TRUE(fits(miss));
    ClearStatusNote();
    RefreshStatus();
    EXPECT_EQ(StatusText(0).rfind("20000 item(s), 2 selected", 0), 0u) << StatusText(0);
}

TEST_F(StatusTest, ButtonsAndTextFollowTheSelection)
{
    struct Case {
        int Rows;
        std::vector<unsigned> SelectedSizes;
        const char *Text;
        const char *Enabled;
    } cases[] = {
        {0, {}, "0 item(s)", "1020 1028 1030"},
        {5, {}, "5 item(s)", "1020 1028 1030"},
        {5, {300}, "5 item(s), 1 selected (300 B)", "1020 1022 1023 1027 1028 1029 1030"},
        {5, {0, 0}, "5 item(s), 2 selected (0 B)", "1020 1023 1027 1028 1030"},
        {1200, {1000, 24, 1}, "1200 item(s), 3 selected (1.00 KB)", "1020 1023 1027 1028 1030"},
        {1200, {1000, 23, 1}, "1200 item(s), 3 selected (1024 B)", "1020 1023 1027 1028 1030"},
        {3, {4000000000u, 4000000000u}, "3 item(s), 2 selected (7.45 GB)", "1020 1023 1027 1028 1030"},
    };
    for (const Case &c : cases) {
        ClearTestRows(ListViewHandle);
        SelectedSizeTotal = 0;
        Fill(c.Rows, c.SelectedSizes);
        RefreshStatus();
        EXPECT_EQ(StatusText(0), c.Text);
        EXPECT_EQ(EnabledButtons(), c.Enabled) << c.Text;
        EXPECT_EQ(StatusText(1), "");
    }
}

TEST(Images, BitmapsAndIconSizesInTheResources)
{
    struct Case {
        int Id;
        int Width, Height, Bits;
    } bitmaps[] = {
        {IDB_TOOLBAR, 112, 16, 4},
        {IDB_SORT_ARROWS, 28, 14, 4},
    };
    for (const Case &c : bitmaps) {
        HBITMAP bitmap = (HBITMAP)LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(c.Id), IMAGE_BITMAP, 0, 0,
                                             LR_CREATEDIBSECTION);
        ASSERT_NE(bitmap, (HBITMAP)NULL) << c.Id;
        DIBSECTION dib = {};
        ASSERT_TRUE(GetObjectA(bitmap, sizeof(dib), &dib));
        EXPECT_EQ(dib.dsBm.bmWidth, c.Width) << c.Id;
        EXPECT_EQ(dib.dsBm.bmHeight, c.Height) << c.Id;
        EXPECT_EQ(dib.dsBmih.biBitCount, c.Bits) << c.Id;
        DeleteObject(bitmap);
    }
    // The icon group lists its images as 14-byte entries after a 6-byte header.
    HRSRC group = FindResourceA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDI_MAIN), (LPCSTR)RT_GROUP_ICON);
    ASSERT_NE(group, (HRSRC)NULL);
    const BYTE *dir = (const BYTE *)LockResource(LoadResource(GetModuleHandleA(NULL), group));
    ASSERT_EQ(dir[4], 3);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(dir[6 + 14 * i], 16 * (i + 1));
}

// Each sort arrow is a solid black triangle, one run per row, centred on
// column 6 and pointing the right way, and no black pixel touches the mask
// colour: the white ring is what shows the shape on a dark header.
TEST(Images, SortArrowsAreSolidTrianglesRingedInWhite)
{
    struct Case {
        int Image;
        int FirstRow;
        int Widths[5];
    } arrows[] = {
        {0, 5, {9, 7, 5, 3, 1}},   // down
        {1, 4, {1, 3, 5, 7, 9}},   // up
    };
    HBITMAP bitmap = (HBITMAP)LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDB_SORT_ARROWS), IMAGE_BITMAP,
                                         0, 0, LR_CREATEDIBSECTION);
    ASSERT_NE(bitmap, (HBITMAP)NULL);
    HDC dc = CreateCompatibleDC(NULL);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255);
    for (const Case &c : arrows) {
        int left = 14 * c.Image;
        for (int y = 0; y < 14; y++) {
            int row = y - c.FirstRow;
            int width = row >= 0 && row < 5 ? c.Widths[row] : 0;
            for (int x = 0; x < 14; x++) {
                bool inside = width > 0 && x >= 6 - width / 2 && x <= 6 + width / 2;
                COLORREF pixel = GetPixel(dc, left + x, y);
                EXPECT_EQ(pixel == black, inside) << "image " << c.Image << " at " << x << "," << y;
                if (!inside)
                    continue;
                const int steps[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
                for (const auto &d : steps) {
                    COLORREF next = GetPixel(dc, left + x + d[0], y + d[1]);
                    EXPECT_TRUE(next == black || next == white) << "image " << c.Image << " at " << x << "," << y;
                }
            }
        }
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
}
