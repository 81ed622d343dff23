// A real ten-column report list view for the report and clipboard tests,
// filled with rows given as ten texts by ColumnId.
#ifndef MARROWICK_TEST_REPORT_LIST_H
#define MARROWICK_TEST_REPORT_LIST_H

#include "test_util.h"

#include <string>

static const char *const ReportTitles[COLUMN_COUNT] = {
    "Filename", "URL", "Content Type", "File Size", "Server Time",
    "Last Modified", "Expire Time", "Server Response", "ETag", "Cache File"};

struct ReportList {
    HWND Owner = NULL;
    HWND List = NULL;

    ReportList()
    {
        INITCOMMONCONTROLSEX init = {sizeof(init), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&init);
        Owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 900, 500, NULL, NULL, NULL, NULL);
        List = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 880, 480,
                               Owner, (HMENU)(INT_PTR)IDC_LIST, NULL, NULL);
        for (int i = 0; i < COLUMN_COUNT; i++) {
            LVCOLUMNA column = {};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            column.pszText = (char *)ReportTitles[i];
            column.cx = 80;
            column.iSubItem = i;
            SendMessageA(List, LVM_INSERTCOLUMNA, i, (LPARAM)&column);
        }
    }
    ~ReportList() { DestroyWindow(Owner); }

    // Appends a row; returns its index.
    int Add(const char *const (&texts)[COLUMN_COUNT], bool selected = true)
    {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = (int)SendMessageA(List, LVM_GETITEMCOUNT, 0, 0);
        item.pszText = (char *)texts[0];
        int row = (int)SendMessageA(List, LVM_INSERTITEMA, 0, (LPARAM)&item);
        for (int i = 1; i < COLUMN_COUNT; i++) {
            LVITEMA sub = {};
            sub.iSubItem = i;
            sub.pszText = (char *)texts[i];
            SendMessageA(List, LVM_SETITEMTEXTA, row, (LPARAM)&sub);
        }
        if (selected) {
            LVITEMA state = {};
            state.stateMask = LVIS_SELECTED;
            state.state = LVIS_SELECTED;
            SendMessageA(List, LVM_SETITEMSTATE, row, (LPARAM)&state);
        }
        return row;
    }

    // Shows exactly the columns of `mask` (hidden columns have width 0).
    void Show(int mask)
    {
        for (int i = 0; i < COLUMN_COUNT; i++)
            SendMessageA(List, LVM_SETCOLUMNWIDTH, i, (mask & (1 << i)) ? 80 : 0);
    }

    void SetTitle(int column, const char *title)
    {
        LVCOLUMNA info = {};
        info.mask = LVCF_TEXT;
        info.pszText = (char *)title;
        SendMessageA(List, LVM_SETCOLUMNA, column, (LPARAM)&info);
    }
};

static inline int Bit(int column) { return 1 << column; }

#endif
