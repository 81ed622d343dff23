// Find and selection: cell matching, the search's direction and start rules,
// the find dialog's round trip through the registered message, Select All
// and Invert Selection, on a real list view and a real find dialog.
#include <gtest/gtest.h>

#include "test_sort_listview.h"

#include <dlgs.h>

#include <set>

namespace {

UINT TestFindMessage;

// Stands in for the main window: hands the find message on as it does.
LRESULT CALLBACK TestMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TestFindMessage && TestFindMessage)
        return HandleFindMessage(window, (FINDREPLACEA *)lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateTestMain()
{
    static ATOM atom;
    if (!atom) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = TestMainProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "FindTestMain";
        atom = RegisterClassA(&wc);
        TestFindMessage = RegisterWindowMessageA(FINDMSGSTRINGA);
    }
    return CreateWindowA("FindTestMain", "main", WS_OVERLAPPEDWINDOW, 0, 0, 700, 400, NULL, NULL, NULL, NULL);
}

typedef std::set<int> Rows;

struct FindTest : testing::Test {
    HWND Main = NULL;
    HWND List = NULL;
    void SetUp() override
    {
        Main = CreateTestMain();
        List = CreateTestList(Main, 50);
        SendMessageA(List, LVM_SETCOLUMNWIDTH, COL_ETAG, 0);   // hidden column
        FindDialogHandle = NULL;
        FindWhatText[0] = 0;
        AppSettings.FindFlags = FR_DOWN | FR_WHOLEWORD;
    }
    void TearDown() override
    {
        if (FindDialogHandle)
            DestroyWindow(FindDialogHandle);
        FindDialogHandle = NULL;
        DestroyWindow(Main);
    }
    // Rows 0-9: a name, a type and, in row 6 only, an ETag in the hidden column.
    void AddTenRows()
    {
        static const char *types[] = {"text/html", "image/png", "text/css", "Image/PNG", "text/html",
                                      "application/x-thing", "text/plain", "IMAGE/GIF", "image/png", "text/html"};
        for (int i = 0; i < 10; i++) {
            char name[16];
            wsprintfA(name, "file%d.txt", i);
            AddRow(List, {{COL_FILENAME, name}, {COL_CONTENT_TYPE, types[i]}, {COL_ETAG, i == 6 ? "\"etag-6\"" : ""}});
        }
    }
    void Select(const Rows &rows)
    {
        SetState(-1, 0);
        for (int r : rows)
            SetState(r, 1);
    }
    void SetState(int row, int selected)
    {
        SelectTestRow(List, row, selected != 0);
    }
    Rows Selected()
    {
        Rows rows;
        for (int r = -1; (r = (int)SendMessageA(List, LVM_GETNEXTITEM, (WPARAM)r, LVNI_SELECTED)) != -1;)
            rows.insert(r);
        return rows;
    }
    int Focused() { return (int)SendMessageA(List, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED); }
};

FINDREPLACEA Request(const char *text, DWORD flags)
{
    static char buffer[FIND_TEXT_SIZE];
    lstrcpynA(buffer, text, sizeof(buffer));
    FINDREPLACEA request = {};
    request.lStructSize = sizeof(request);
    request.Flags = flags | FR_FINDNEXT;
    request.lpstrFindWhat = buffer;
    request.wFindWhatLen = FIND_TEXT_SIZE;
    return request;
}

// The options the find dialog shows (Wine's dialog clears the request's own
// flags when it starts, so the controls are what counts).
DWORD DialogOptions(HWND dialog)
{
    DWORD flags = 0;
    if (IsDlgButtonChecked(dialog, rad2) == BST_CHECKED)
        flags |= FR_DOWN;
    if (IsDlgButtonChecked(dialog, chx1) == BST_CHECKED)
        flags |= FR_WHOLEWORD;
    if (IsDlgButtonChecked(dialog, chx2) == BST_CHECKED)
        flags |= FR_MATCHCASE;
    return flags;
}

std::string DialogText(HWND dialog)
{
    char text[FIND_TEXT_SIZE] = "";
    GetDlgItemTextA(dialog, edt1, text, sizeof(text));
    return text;
}

}  // namespace

TEST(MatchCellText, WholeWordCaseAndHighBytes)
{
    const struct {
        const char *Cell;
        const char *Find;
        int WholeWord, MatchCase, Match;
    } cases[] = {
        {"image/png", "png", 1, 0, 0},          // one word of a longer cell is no whole word
        {"image/png", "png", 0, 0, 1},
        {"png", "png", 1, 0, 1},
        {"png", "PNG", 1, 0, 1},
        {"png", "PNG", 1, 1, 0},
        {"image/PNG", "png", 0, 1, 0},
        {"image/PNG", "PnG", 0, 0, 1},
        {"aab", "ab", 0, 1, 1},
        {"xyzab", "ab", 0, 1, 1},
        {"ab", "abc", 0, 0, 0},                 // never past the cell's end
        {"ab", "ab ", 1, 0, 0},
        {"abc", "", 0, 0, 0},                   // an empty find text matches nothing
        {"", "", 1, 0, 0},
        {"@[`{", "`{@[", 0, 0, 0},              // neighbours of the letters do not fold
        {"[", "{", 1, 0, 0},
        {"\xC4rger", "\xE4rger", 1, 0, 0},      // bytes from 128 up only as themselves
        {"\xC4rger", "\xC4RGER", 1, 0, 1},
        {"caf\xE9", "CAF\xE9", 0, 0, 1},
        {"caf\xC9", "caf\xE9", 0, 0, 0},
        {"x\xFFy", "\xFFY", 0, 0, 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MatchCellText(c.Cell, c.Find, c.WholeWord, c.MatchCase), c.Match)
            << "'" << c.Cell << "' / '" << c.Find << "' whole " << c.WholeWord << " case " << c.MatchCase;
}

TEST_F(FindTest, DirectionStartAndColumns)
{
    AddTenRows();
    const struct {
        Rows Selected;
        const char *Text;
        DWORD Flags;
        int Expected;   // row found, or -1
    } cases[] = {
        {{}, "image/png", FR_DOWN | FR_WHOLEWORD, 1},
        {{}, "png", FR_DOWN | FR_WHOLEWORD, -1},
        {{}, "png", FR_DOWN, 1},
        {{}, "IMAGE/PNG", FR_DOWN | FR_WHOLEWORD | FR_MATCHCASE, -1},
        {{}, "Image/PNG", FR_DOWN | FR_WHOLEWORD | FR_MATCHCASE, 3},
        {{}, "image/png", 0, -1},                       // up from no row: nothing above
        {{1}, "image/png", FR_DOWN | FR_WHOLEWORD, 3},  // the start row is not searched again
        {{3, 7}, "image/png", FR_DOWN | FR_WHOLEWORD, 8},
        {{3, 7}, "text/", FR_DOWN, 4},
        {{3, 7}, "image/png", FR_WHOLEWORD, 1},         // up from the topmost selected row
        {{8}, "image/png", FR_DOWN, -1},                // no wrap-around
        {{1}, "image/png", FR_WHOLEWORD, -1},
        {{}, "etag-6", FR_DOWN, 6},                     // hidden column searched too
        {{}, "file9.txt", FR_DOWN | FR_WHOLEWORD, 9},
    };
    for (const auto &c : cases) {
        Select(c.Selected);
        FINDREPLACEA request = Request(c.Text, c.Flags);
        EXPECT_EQ(FindMatchingRow(List, &request), c.Expected) << c.Text << " flags " << c.Flags;
    }
}

// The hit also takes the focus and the selection mark: Down and Shift+Down
// go on from the found row, not from where the user was before.
TEST_F(FindTest, HitBecomesOnlySelectionTakesTheFocusAndIsScrolledIn)
{
    for (int i = 0; i < 300; i++)
        AddRow(List, {{COL_URL, i == 250 ? "http://needle/" : "http://hay/"}});
    LVITEMA focus = {};
    focus.stateMask = LVIS_FOCUSED;
    focus.state = LVIS_FOCUSED;
    SendMessageA(List, LVM_SETITEMSTATE, 2, (LPARAM)&focus);
    Select({2, 5});
    FINDREPLACEA request = Request("needle", FR_DOWN);
    FindNextRow(List, &request);
    EXPECT_EQ(Selected(), (Rows{250}));
    EXPECT_EQ(Focused(), 250);
    EXPECT_EQ(SendMessageA(List, LVM_GETSELECTIONMARK, 0, 0), 250);
    int top = (int)SendMessageA(List, LVM_GETTOPINDEX, 0, 0);
    int page = (int)SendMessageA(List, LVM_GETCOUNTPERPAGE, 0, 0);
    EXPECT_LE(top, 250);
    EXPECT_LT(250, top + page);
}

TEST_F(FindTest, NothingFoundLeavesSelectionAndDoesNotStartOver)
{
    AddTenRows();
    Select({8});
    FINDREPLACEA request = Request("image/png", FR_DOWN | FR_WHOLEWORD);
    for (int i = 0; i < 2; i++) {
        FindNextRow(List, &request);     // beeps
        EXPECT_EQ(Selected(), (Rows{8})) << "search " << i;
    }
    Select({});
    request.Flags = FR_FINDNEXT;         // upwards
    FindNextRow(List, &request);
    EXPECT_EQ(Selected(), Rows{});
}

TEST_F(FindTest, DialogRoundTripRemembersOptionsAndF3Repeats)
{
    AddTenRows();
    OpenFindDialog(Main, 0);
    HWND dialog = FindDialogHandle;
    ASSERT_TRUE(dialog != NULL);
    EXPECT_EQ(FindState.hwndOwner, Main);
    EXPECT_EQ(FindState.lpstrFindWhat, FindWhatText);
    EXPECT_EQ(DialogOptions(dialog), (DWORD)(FR_DOWN | FR_WHOLEWORD));
    OpenFindDialog(Main, 0);
    EXPECT_EQ(FindDialogHandle, dialog) << "no second dialog";

    // The user types "PNG", turns whole word off and presses Find Next.
    SetDlgItemTextA(dialog, edt1, "PNG");
    CheckDlgButton(dialog, chx1, BST_UNCHECKED);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
    EXPECT_STREQ(FindWhatText, "PNG");
    EXPECT_EQ(AppSettings.FindFlags, FR_DOWN);
    EXPECT_EQ(Selected(), (Rows{1}));

    // Closing the dialog clears its handle; F3 then repeats the search.
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDCANCEL));
    PumpMessages();
    EXPECT_TRUE(FindDialogHandle == NULL);
    OpenFindDialog(Main, TestFindMessage);
    EXPECT_TRUE(FindDialogHandle == NULL) << "F3 with a text searches without the dialog";
    EXPECT_EQ(Selected(), (Rows{3}));
    EXPECT_EQ(AppSettings.FindFlags, FR_DOWN);

    // Reopened, the dialog shows the last text and the options last chosen.
    OpenFindDialog(Main, 0);
    ASSERT_TRUE(FindDialogHandle != NULL);
    EXPECT_EQ(DialogText(FindDialogHandle), "PNG");
    EXPECT_EQ(DialogOptions(FindDialogHandle), (DWORD)FR_DOWN);
}

TEST_F(FindTest, FindNextWithoutTextOpensTheDialog)
{
    AddTenRows();
    AppSettings.FindFlags = 0x7F;     // foreign bits from the settings file are masked
    OpenFindDialog(Main, TestFindMessage);
    ASSERT_TRUE(FindDialogHandle != NULL);
    EXPECT_EQ(DialogOptions(FindDialogHandle), (DWORD)(FR_DOWN | FR_WHOLEWORD | FR_MATCHCASE));
    EXPECT_EQ(Selected(), Rows{});
}

TEST_F(FindTest, SelectAllAndInvert)
{
    const struct {
        int Count;
        Rows Before;
        int Invert;       // 0 Select All, 1 Invert Selection
        Rows After;
    } cases[] = {
        {0, {}, 0, {}},
        {0, {}, 1, {}},
        {5, {}, 0, {0, 1, 2, 3, 4}},
        {5, {1, 3}, 0, {0, 1, 2, 3, 4}},
        {5, {}, 1, {0, 1, 2, 3, 4}},
        {5, {1, 3}, 1, {0, 2, 4}},
        {5, {0, 1, 2, 3, 4}, 1, {}},
    };
    for (const auto &c : cases) {
        ClearTestRows(List);
        for (int i = 0; i < c.Count; i++)
            AddRow(List, {{COL_URL, "u"}});
        Select(c.Before);
        if (c.Invert)
            InvertSelection(List);
        else
            SelectAllRows(List);
        EXPECT_EQ(Selected(), c.After) << "case with " << c.Count << " rows, invert " << c.Invert;
        if (c.Invert) {
            InvertSelection(List);
            EXPECT_EQ(Selected(), c.Before) << "twice restores";
        }
    }
}
