// The quick filter in the real main window: matching, the rows shown and
// their order, commands on the shown rows, reloads, and the status text.
#include "cache_folder.h"
#include "test_mainwindow_fixture.h"

namespace {

// Ten cells of one row; the last is the Cache File text.
typedef std::vector<std::string> Cells;

Cells MakeCells(const std::string &name, const std::string &type, const std::string &size, const std::string &etag)
{
    return {name, "http://cdn.example/" + name, type, size, "", "", "", "HTTP/1.1 200 OK", etag, "0a" + name};
}

struct FilterCase {
    const char *Filter;
    bool Shown;
};

TEST(FilterMatching, EveryWordInAnyCellWithoutRegardToCase)
{
    Cells cells = MakeCells("logo.png", "image/png", "1,234", "\"etag-7\"");
    cells[COL_SERVER_TIME] = "Stra\xDF" "e \xC4pfel";
    const char *texts[COLUMN_COUNT];
    for (int i = 0; i < COLUMN_COUNT; i++)
        texts[i] = cells[i].c_str();
    const FilterCase cases[] = {
        {"PNG", true},                  // case
        {"Image/PNG", true},
        {"logo 200 ETAG-7", true},      // words in different cells, hidden ETag included
        {"  logo   200  ", true},       // blanks around and between words
        {"png missing", false},         // every word must occur
        {"0alogo", true},               // Cache File
        {"\xC4pfel", true},             // the ANSI code page's letters (1252 here)
        {"\xE4PFEL", true},             // ... fold too
        {"STRA\xDF", true},             // a letter without another case
        {"stra\xDF\xC4", false},
        {"", true},                     // no words: every row
        {"   ", true},
    };
    for (const FilterCase &c : cases) {
        char words[FILTER_TEXT_SIZE + 1];
        SplitFilterWords(c.Filter, words);
        EXPECT_EQ(RowMatchesWords(texts, words) != 0, c.Shown) << c.Filter;
    }
    char words[FILTER_TEXT_SIZE + 1];
    EXPECT_EQ(SplitFilterWords(" a  bb c ", words), 3);
    EXPECT_EQ(std::string(words, 8), std::string("a\0bb\0c\0\0", 8));
}

class FilterTest : public MainWindowTest {
protected:
    void TearDown() override
    {
        ApplyFilter(Main, ListViewHandle, "");
        MainWindowTest::TearDown();
    }

    // Appends a row with its icon and payload size.
    static void AddRow(const Cells &cells, int icon, unsigned int size)
    {
        int row = AddTestRow(ListViewHandle, cells, (LPARAM)size);
        RowStore.Rows[ShownRowAt(row)].IconIndex = icon;
    }

    // Six rows; ETag (hidden in the tests that hide it) marks rows 1 and 4.
    static void AddSixRows()
    {
        AddRow(MakeCells("a.png", "image/png", "300", ""), 1, 300);
        AddRow(MakeCells("b.css", "text/css", "20", "\"tag\""), 2, 20);
        AddRow(MakeCells("c.png", "image/png", "1,000", ""), 3, 1000);
        AddRow(MakeCells("d.js", "text/javascript", "5", ""), 4, 5);
        AddRow(MakeCells("e.png", "image/png", "40", "\"tag\""), 5, 40);
        AddRow(MakeCells("f.htm", "text/html", "0", ""), 6, 0);
    }

    static std::vector<std::string> Names() { return TestColumnTexts(ListViewHandle, COL_FILENAME); }

    void Filter(const char *text)
    {
        ASSERT_TRUE(ApplyFilter(Main, ListViewHandle, text));
        SendMessageA(Main, WM_UPDATESTATUS, 0, 0);
    }

    void ClickHeader(int column)
    {
        NMLISTVIEW click = {};
        click.hdr.hwndFrom = ListViewHandle;
        click.hdr.idFrom = IDC_LIST;
        click.hdr.code = LVN_COLUMNCLICK;
        click.iItem = -1;
        click.iSubItem = column;
        SendMessageA(Main, WM_NOTIFY, IDC_LIST, (LPARAM)&click);
    }

    static std::string StatusText()
    {
        char text[128] = "";
        SendMessageA(StatusBarHandle, SB_GETTEXTA, 0, (LPARAM)text);
        return text;
    }
};

TEST_F(FilterTest, ShownRowsFollowFilterSortAndClear)
{
    Create();
    AddSixRows();
    ToggleColumn(ListViewHandle, COL_ETAG);     // hidden columns are searched too
    struct Step {
        const char *Filter;
        int SortColumn;     // header click before the filter, or -1
        std::vector<std::string> Names;
    };
    const Step steps[] = {
        {"tag", -1, {"b.css", "e.png"}},
        {"PNG", -1, {"a.png", "c.png", "e.png"}},
        {"png", COL_FILE_SIZE, {"e.png", "a.png", "c.png"}},            // the shown rows sorted
        {"", -1, {"f.htm", "d.js", "b.css", "e.png", "a.png", "c.png"}},  // all back, in that order
        {"text", COL_FILE_SIZE, {"b.css", "d.js", "f.htm"}},            // descending
        {"no such row", -1, {}},
    };
    for (const Step &s : steps) {
        if (s.SortColumn != -1)
            ClickHeader(s.SortColumn);
        Filter(s.Filter);
        EXPECT_EQ(Names(), s.Names) << s.Filter;
    }
    // Back with their texts, icons and sizes as they were.
    Filter("");
    ASSERT_EQ(SendMessageA(ListViewHandle, LVM_GETITEMCOUNT, 0, 0), 6);
    const int icons[] = {3, 1, 5, 2, 4, 6};
    const unsigned int sizes[] = {1000, 300, 40, 20, 5, 0};
    for (int row = 0; row < 6; row++) {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        SendMessageA(ListViewHandle, LVM_GETITEMA, 0, (LPARAM)&item);
        EXPECT_EQ(item.iImage, icons[row]) << row;
        EXPECT_EQ(RowStore.Rows[ShownRowAt(row)].PayloadSize, sizes[row]) << row;
    }
    EXPECT_EQ(TestCellText(ListViewHandle, 1, COL_URL), "http://cdn.example/a.png");
    EXPECT_EQ(TestCellText(ListViewHandle, 3, COL_ETAG), "\"tag\"");
}

TEST_F(FilterTest, StatusCountsShownOfAllRowsWhileFiltered)
{
    Create();
    AddSixRows();
    const struct {
        const char *Filter;
        int Selected;
        const char *Status;
    } cases[] = {
        {"", 0, "6 item(s)"},
        {"png", 0, "3 of 6 item(s)"},
        {"png", 2, "3 of 6 item(s), 2 selected (1.27 KB)"},
        {"nothing", 0, "0 of 6 item(s)"},
        {"   ", 1, "6 item(s), 1 selected (300 B)"},
    };
    for (const auto &c : cases) {
        Filter(c.Filter);
        SelectFirst(c.Selected);
        PumpMessages();
        EXPECT_EQ(StatusText(), c.Status) << c.Filter;
    }
}

TEST_F(FilterTest, SelectAllAndCopyTakeTheShownRowsOnly)
{
    Create();
    AddSixRows();
    Filter("png");
    SendMessageA(Main, WM_COMMAND, IDM_SELECT_ALL, 0);
    PumpMessages();
    EXPECT_EQ(StatusText(), "3 of 6 item(s), 3 selected (1.31 KB)");
    SendMessageA(Main, WM_COMMAND, IDM_COPY_URLS, 0);
    ASSERT_TRUE(OpenClipboard(Main));
    HANDLE data = GetClipboardData(CF_TEXT);
    std::string text = data ? (const char *)GlobalLock(data) : "";
    if (data)
        GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(text, "http://cdn.example/a.png\r\nhttp://cdn.example/c.png\r\nhttp://cdn.example/e.png\r\n");
}

TEST_F(FilterTest, GmtSwitchAlsoShiftsTheRowsFilteredOut)
{
    Create();
    ASSERT_EQ(AppSettings.ShowTimeInGMT, 1);
    Cells shown = MakeCells("a.png", "image/png", "1", ""), hidden = MakeCells("b.css", "text/css", "2", "");
    shown[COL_SERVER_TIME] = hidden[COL_LAST_MODIFIED] = "Thu, 02 Jan 2014 03:04:05 GMT";
    AddRow(shown, 0, 1);
    AddRow(hidden, 0, 2);
    Filter("png");
    SendMessageA(Main, WM_COMMAND, IDM_SHOW_GMT, 0);    // to local time, +5:30 here
    EXPECT_EQ(TestCellText(ListViewHandle, 0, COL_SERVER_TIME), "1/2/2014 8:34:05 AM");
    Filter("");
    EXPECT_EQ(TestCellText(ListViewHandle, 0, COL_SERVER_TIME), "1/2/2014 8:34:05 AM");
    EXPECT_EQ(TestCellText(ListViewHandle, 1, COL_LAST_MODIFIED), "1/2/2014 8:34:05 AM");
}

class FilterFolderTest : public FilterTest {
protected:
    std::string Cache;
    void SetUp() override
    {
        FilterTest::SetUp();
        Cache = MakeTempDir("filtercache");
        for (const char *name : {"00cat1", "01dog1", "02cat2", "03bird"})
            AddCacheFile(Cache, std::string(name, 2), name, SimpleCacheSpec(name));
        WriteSetting("Options", "AutoDetectCachePath", "0");
        WriteSetting("Options", "HttpCachePath", Cache.c_str());
    }
    void TearDown() override
    {
        FilterTest::TearDown();
        RemoveTree(Cache);
    }
    void Reload()
    {
        SendMessageA(Main, WM_RELOADCACHE, 0, 0);
        PumpMessages();
    }
    std::vector<std::string> CacheFiles() { return TestColumnTexts(ListViewHandle, COL_CACHE_FILE); }
};

TEST_F(FilterFolderTest, DeletedShownRowStaysGoneAndRefreshKeepsTheFilter)
{
    Create();
    Reload();
    Filter("CAT");
    ASSERT_EQ(CacheFiles(), std::vector<std::string>({"00cat1", "02cat2"}));
    SelectRow(1, true);
    {
        BoxCapture capture;
        capture.Answer(IDYES);
        SendMessageA(Main, WM_COMMAND, IDM_DELETE_FILES, 0);
    }
    PumpMessages();
    EXPECT_FALSE(FileExists(Cache + "\\02\\02cat2"));
    EXPECT_EQ(CacheFiles(), std::vector<std::string>({"00cat1"}));
    SendMessageA(Main, WM_UPDATESTATUS, 0, 0);
    EXPECT_EQ(StatusText(), "1 of 3 item(s)");
    Filter("");
    EXPECT_EQ(CacheFiles(), std::vector<std::string>({"00cat1", "01dog1", "03bird"}));
    // F5 with a filter: the new rows are filtered by the same text.
    Filter("cat");
    AddCacheFile(Cache, "04", "04cat3", SimpleCacheSpec("04cat3"));
    SendMessageA(Main, WM_COMMAND, IDM_REFRESH, 0);
    PumpMessages();
    EXPECT_EQ(CacheFiles(), std::vector<std::string>({"00cat1", "04cat3"}));
    EXPECT_EQ(StatusText(), "2 of 4 item(s)");
    Filter("");
    EXPECT_EQ(CacheFiles(), std::vector<std::string>({"00cat1", "01dog1", "03bird", "04cat3"}));
}

// The filter's timer and a second reload that come inside an error box of
// the scan wait until the reload has ended; a command there is refused.
TEST_F(FilterFolderTest, TimerReloadAndCommandInsideAScanBoxWait)
{
    Create();
    Reload();
    AddRawCacheFile(Cache, "00", "00bad", "");  // a box at the scan's first file
    SetWindowTextA(FilterBoxHandle, "cat");  // the filter's timer starts
    BoxCapture capture;
    capture.AnswerLater(IDOK, FILTER_DELAY_MS * 3);  // the timer comes due while the box is shown
    PostMessageA(Main, WM_RELOADCACHE, 0, 0);
    PostMessageA(Main, WM_COMMAND, IDM_SELECT_ALL, 0);
    SendMessageA(Main, WM_RELOADCACHE, 0, 0);
    PumpMessages();
    EXPECT_EQ(CacheFiles(), std::vector<std::string>({"00cat1", "02cat2"}));
    EXPECT_EQ(StatusText(), "2 of 4 item(s)");
    EXPECT_EQ(SendMessageA(ListViewHandle, LVM_GETSELECTEDCOUNT, 0, 0), 0);
    EXPECT_EQ(capture.Boxes.size(), 2u);  // the second reload ran after the first
    Filter("");
    EXPECT_EQ(CacheFiles(), std::vector<std::string>({"00cat1", "01dog1", "02cat2", "03bird"}));
}

TEST_F(FilterTest, BoxFiltersAfterThePauseAndEscClears)
{
    Create();
    AddSixRows();
    ASSERT_TRUE(FilterBoxHandle != NULL);
    EXPECT_EQ(GetParent(FilterBoxHandle), ToolbarHandle);
    SendMessageA(Main, WM_COMMAND, IDM_FOCUS_FILTER, 0);
    EXPECT_EQ(GetFocus(), FilterBoxHandle);
    SetWindowTextA(FilterBoxHandle, "css");
    EXPECT_EQ(Names().size(), 6u) << "nothing before the pause";
    Sleep(FILTER_DELAY_MS + 100);
    PumpMessages();
    EXPECT_EQ(Names(), std::vector<std::string>({"b.css"}));
    SendMessageA(FilterBoxHandle, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(Names().size(), 6u);
    EXPECT_EQ(GetWindowTextLengthA(FilterBoxHandle), 0);
    SendMessageA(FilterBoxHandle, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(GetFocus(), ListViewHandle);
    // The clear button, enabled while the box holds text.
    HWND clear = GetDlgItem(ToolbarHandle, IDC_FILTER_CLEAR);
    ASSERT_TRUE(clear != NULL);
    SetWindowTextA(FilterBoxHandle, "js");
    SendMessageA(FilterBoxHandle, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(Names(), std::vector<std::string>({"d.js"}));
    EXPECT_TRUE(IsWindowEnabled(clear));
    SendMessageA(clear, BM_CLICK, 0, 0);
    EXPECT_EQ(Names().size(), 6u);
    EXPECT_FALSE(IsWindowEnabled(clear));
    EXPECT_EQ(GetFocus(), FilterBoxHandle);
    // At the toolbar's right end, wide or narrow, never over the last button.
    RECT last, box, button, bar;
    int buttons = (int)SendMessageA(ToolbarHandle, TB_BUTTONCOUNT, 0, 0);
    for (int width : {900, 300}) {
        SetWindowPos(Main, NULL, 0, 0, width, 400, SWP_NOMOVE | SWP_NOZORDER);
        PumpMessages();
        SendMessageA(ToolbarHandle, TB_GETITEMRECT, (WPARAM)(buttons - 1), (LPARAM)&last);
        GetClientRect(ToolbarHandle, &bar);
        GetWindowRect(FilterBoxHandle, &box);
        GetWindowRect(clear, &button);
        MapWindowPoints(NULL, ToolbarHandle, (POINT *)&box, 2);
        MapWindowPoints(NULL, ToolbarHandle, (POINT *)&button, 2);
        EXPECT_GE(box.left, last.right) << width;
        EXPECT_EQ(button.left, box.right) << width;
        EXPECT_EQ(button.right, bar.right - 4) << width;
    }
    EXPECT_EQ(box.left, last.right + 8) << "a narrow window shrinks the box";
}

}  // namespace
