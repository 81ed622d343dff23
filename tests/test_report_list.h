// A real ten-column report list view for the report and clipboard tests,
// filled with rows given as ten texts by ColumnId (dates as header values).
#ifndef MARROWICK_TEST_REPORT_LIST_H
#define MARROWICK_TEST_REPORT_LIST_H

#include "test_list.h"
#include "test_util.h"

#include <string>
#include <vector>

struct ReportList {
    HWND Owner = NULL;
    HWND List = NULL;

    ReportList()
    {
        AppSettings.ShowTimeInGMT = 1;  // date cells are given as GMT header dates
        Owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 900, 500, NULL, NULL, NULL, NULL);
        List = CreateTestList(Owner, 80);
    }
    ~ReportList() { DestroyWindow(Owner); }

    // Appends a row; returns its index.
    int Add(const char *const (&texts)[COLUMN_COUNT], bool selected = true)
    {
        int row = AddTestRow(List, std::vector<std::string>(texts, texts + COLUMN_COUNT));
        if (selected)
            SelectTestRow(List, row);
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
