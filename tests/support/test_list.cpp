#include "test_list.h"

HWND CreateTestList(HWND parent, int columnWidth)
{
    INITCOMMONCONTROLSEX init = {sizeof(init), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&init);
    RECT area = {0, 0, 600, 400};
    GetClientRect(parent, &area);
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0,
                                area.right, area.bottom, parent, (HMENU)(INT_PTR)IDC_LIST, NULL, NULL);
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
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    item.pszText = (char *)(texts.empty() ? "" : texts[0].c_str());
    item.lParam = data;
    int row = (int)SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
    for (int i = 1; i < COLUMN_COUNT && i < (int)texts.size(); i++) {
        LVITEMA sub = {};
        sub.iSubItem = i;
        sub.pszText = (char *)texts[i].c_str();
        SendMessageA(list, LVM_SETITEMTEXTA, (WPARAM)row, (LPARAM)&sub);
    }
    return row;
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
