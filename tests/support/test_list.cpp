#include "test_list.h"

#include <stdlib.h>

static WNDPROC PreviousParentProc;

// The list's parent answers the owner-data notifications as the main window does.
static LRESULT CALLBACK TestParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result;
    if (message == WM_NOTIFY && ((NMHDR *)lParam)->idFrom == IDC_LIST &&
        HandleRowListNotify(window, (NMHDR *)lParam, &result))
        return result;
    return CallWindowProcA(PreviousParentProc, window, message, wParam, lParam);
}

void RouteListNotifications(HWND parent)
{
    WNDPROC previous = (WNDPROC)SetWindowLongPtrA(parent, GWLP_WNDPROC, (LONG_PTR)TestParentProc);
    if (previous != TestParentProc)
        PreviousParentProc = previous;
}

HWND CreateTestList(HWND parent, int columnWidth)
{
    INITCOMMONCONTROLSEX init = {sizeof(init), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&init);
    ClearRowStore();
    AppliedFilter[0] = '\0';
    RouteListNotifications(parent);
    RECT area = {0, 0, 600, 400};
    GetClientRect(parent, &area);
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                                0, 0, area.right, area.bottom, parent, (HMENU)(INT_PTR)IDC_LIST, NULL, NULL);
    for (int i = 0; i < COLUMN_COUNT; i++) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = ListColumns[i].Format;
        column.pszText = (char *)ListColumns[i].Title;
        column.cx = columnWidth;
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, (WPARAM)i, (LPARAM)&column);
    }
    return list;
}

int AddTestRow(HWND list, const std::vector<std::string> &texts, LPARAM data)
{
    CacheRow row = {};
    for (int i = 0; i < COLUMN_COUNT; i++)
        row.Text[i] = i < (int)texts.size() ? texts[i].c_str() : "";
    row.PayloadSize = (unsigned int)data;
    char bucket[3] = {};
    lstrcpynA(bucket, row.Text[COL_CACHE_FILE], sizeof(bucket));
    char *end;
    long number = strtol(bucket, &end, 16);
    AppendStoreRow(&row, end == bucket + 2 ? (int)number : 0);
    // The new row at the end, in store order; selections stay by index.
    ResetRowOrder();
    SendMessageA(list, LVM_SETITEMCOUNT, (WPARAM)RowView.ShownCount, LVSICF_NOSCROLL);
    return RowView.ShownCount - 1;
}

void ShowTestRows(HWND list)
{
    ResetRowOrder();
    ShowRowView(list, 1);
}

void ClearTestRows(HWND list)
{
    HideRowView(list);
    ClearRowStore();
}

void SelectTestRow(HWND list, int row, bool selected)
{
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED;
    state.state = selected ? LVIS_SELECTED : 0;
    SendMessageA(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&state);
}

std::string TestCellText(HWND list, int row, int column)
{
    char text[1024 + 1] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 1024;
    SendMessageA(list, LVM_GETITEMTEXTA, (WPARAM)row, (LPARAM)&item);
    return text;
}

std::vector<std::string> TestColumnTexts(HWND list, int column)
{
    std::vector<std::string> texts;
    int rows = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    for (int row = 0; row < rows; row++)
        texts.push_back(TestCellText(list, row, column));
    return texts;
}
