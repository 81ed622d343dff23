// Properties window over a real report list view: labels from the column
// titles, values from the first selected row, always in ColumnId order
// whatever the columns' display order and visibility; Enter/Escape close.
#include "dialog_driver.h"

#include "test_list.h"

typedef std::vector<std::string> RowTexts;

// Texts naming column and row; the dates (given as header values) are the
// n-th of November 1994, shown in GMT.
static RowTexts MakeRow(int n)
{
    RowTexts row;
    for (int i = 0; i < COLUMN_COUNT; i++)
        row.push_back(std::string(ListColumns[i].Title) + " of row " + std::to_string(n));
    for (int i = COL_SERVER_TIME; i <= COL_EXPIRE_TIME; i++)
        row[i] = "Day, 0" + std::to_string(n + 1) + " Nov 1994 0" + std::to_string(i) + ":49:37 GMT";
    return row;
}

static std::string Shown(const std::string &cell, int column)
{
    if (column < COL_SERVER_TIME || column > COL_EXPIRE_TIME || cell.empty())
        return cell;
    return "11/" + cell.substr(6, 1) + "/1994 " + std::to_string(column) + ":49:37 AM";
}

static HWND CreateList(HWND owner, const std::vector<RowTexts> &rows)
{
    HWND list = CreateTestList(owner, 60);
    for (const RowTexts &row : rows)
        AddTestRow(list, row);
    return list;
}

class Properties : public testing::Test {
protected:
    void SetUp() override
    {
        AppSettings.ShowTimeInGMT = 1;
        Owner = CreateOwnerWindow();
    }
    void TearDown() override { DestroyWindow(Owner); PumpMessages(); }
    HWND Owner = NULL;
};

struct PropertiesCase {
    const char *Name;
    std::vector<int> Hidden;        // columns set to width 0
    std::vector<int> Order;         // display order, empty: as inserted
    std::vector<int> Selected;      // selected rows
    int EmptyColumn;                // cell of every row emptied, or -1
    int LongColumn;                 // cell of every row made 1,500 characters long, or -1
    WPARAM Key;                     // VK_RETURN or VK_ESCAPE
    int ShownRow;
};

TEST_F(Properties, ShowsEveryColumnOfFirstSelectedRowInColumnIdOrder)
{
    const PropertiesCase cases[] = {
        {"plain", {}, {}, {1}, -1, -1, VK_RETURN, 1},
        {"hidden URL still shown", {COL_URL}, {}, {2}, -1, -1, VK_ESCAPE, 2},
        {"reordered and hidden columns", {COL_ETAG, COL_FILENAME}, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0}, {0}, -1, -1, VK_RETURN, 0},
        {"empty ETag", {}, {3, 0, 1, 2, 4, 5, 6, 7, 8, 9}, {1}, COL_ETAG, -1, VK_ESCAPE, 1},
        {"first of several selected", {}, {}, {2, 0}, -1, -1, VK_RETURN, 0},
        {"long URL whole", {}, {}, {1}, -1, COL_URL, VK_RETURN, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<RowTexts> rows = {MakeRow(0), MakeRow(1), MakeRow(2)};
        for (auto &row : rows) {
            if (c.EmptyColumn >= 0)
                row[c.EmptyColumn].clear();
            if (c.LongColumn >= 0)
                row[c.LongColumn] = "http://host/" + std::string(1488, 'u');
        }
        HWND list = CreateList(Owner, rows);
        for (int column : c.Hidden)
            SendMessageA(list, LVM_SETCOLUMNWIDTH, column, 0);
        if (!c.Order.empty())
            SendMessageA(list, LVM_SETCOLUMNORDERARRAY, COLUMN_COUNT, (LPARAM)c.Order.data());
        for (int row : c.Selected)
            SelectTestRow(list, row);

        INT_PTR result = RunDialog(Owner, IDD_PROPERTIES, PropertiesDialogProc, (LPARAM)list, [&](HWND d) {
            EXPECT_EQ(GetFocus(), GetDlgItem(d, IDOK));
            for (int i = 0; i < COLUMN_COUNT; i++) {
                EXPECT_EQ(ItemText(d, IDC_PROP_LABEL_FIRST + i), std::string(ListColumns[i].Title) + ":");
                EXPECT_EQ(ItemText(d, IDC_PROP_VALUE_FIRST + i), Shown(rows[c.ShownRow][i], i)) << i;
            }
            PressKey(GetDlgItem(d, IDC_PROP_VALUE_FIRST + COL_URL), c.Key);
        });
        EXPECT_EQ(result, c.Key == VK_RETURN ? IDOK : IDCANCEL);
        DestroyWindow(list);
    }
}

// The close box ends the dialog like Cancel; other commands are not taken.
TEST_F(Properties, CloseBoxEndsWithCancel)
{
    HWND list = CreateList(Owner, {MakeRow(0)});
    SelectTestRow(list, 0);
    INT_PTR result = RunDialog(Owner, IDD_PROPERTIES, PropertiesDialogProc, (LPARAM)list, [&](HWND d) {
        EXPECT_EQ(PropertiesDialogProc(d, WM_COMMAND, MAKEWPARAM(IDC_PROP_VALUE_FIRST, EN_SETFOCUS), 0), FALSE);
        PostMessageA(d, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    DestroyWindow(list);
}

// A dialog procedure that only accepts the defaults, to show the raw template.
static INT_PTR CALLBACK AcceptDefaults(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

TEST_F(Properties, TemplateMatchesItsTable)
{
    const DWORD mask = WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_BORDER | 0xFFFF;
    const int y[COLUMN_COUNT] = {7, 23, 40, 57, 74, 91, 108, 125, 142, 159};
    std::vector<TemplateControl> controls = {
        {IDOK, "Button", 260, 177, 50, 14, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, mask, "OK"},
    };
    for (int i = 0; i < COLUMN_COUNT; i++) {
        controls.push_back({IDC_PROP_LABEL_FIRST + i, "Static", 7, y[i] + 1, 60, 10,
                            WS_VISIBLE | WS_GROUP | SS_LEFT, mask, ""});
        controls.push_back({IDC_PROP_VALUE_FIRST + i, "Edit", 69, y[i], 240, 12,
                            WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, mask, ""});
    }
    // A dialog procedure that only accepts the defaults shows the raw template.
    HWND dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_PROPERTIES), Owner,
                                     AcceptDefaults, 0);
    ASSERT_TRUE(dialog != NULL);
    ExpectDialogFrame(dialog, 320, 200, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SHELLFONT,
                      "Properties");
    ExpectControls(dialog, controls.data(), (int)controls.size());
    DestroyWindow(dialog);
}
