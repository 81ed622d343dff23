// A real list view with the program's ten columns for the sort and find
// tests, and helpers to fill and read it.
#ifndef MARROWICK_TEST_SORT_LISTVIEW_H
#define MARROWICK_TEST_SORT_LISTVIEW_H

#include "test_util.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// One cell of a row: ColumnId and text.
typedef std::pair<int, const char *> Cell;

// A report-view list view with ten columns, child IDC_LIST of `parent`.
inline HWND CreateTenColumnList(HWND parent)
{
    InitCommonControls();
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS,
                                0, 0, 600, 300, parent, (HMENU)(INT_PTR)IDC_LIST, NULL, NULL);
    for (int c = 0; c < COLUMN_COUNT; c++) {
        char title[16];
        wsprintfA(title, "col%d", c);
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.fmt = c == COL_FILE_SIZE ? LVCFMT_RIGHT : LVCFMT_LEFT;
        col.cx = 50;
        col.pszText = title;
        SendMessageA(list, LVM_INSERTCOLUMNA, (WPARAM)c, (LPARAM)&col);
    }
    return list;
}

// Appends a row; cells not given stay empty. Returns its index.
inline int AddRow(HWND list, std::initializer_list<Cell> cells, LPARAM data = 0)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    item.pszText = (char *)"";
    item.lParam = data;
    int row = (int)SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
    for (const Cell &cell : cells) {
        LVITEMA sub = {};
        sub.iSubItem = cell.first;
        sub.pszText = (char *)cell.second;
        SendMessageA(list, LVM_SETITEMTEXTA, (WPARAM)row, (LPARAM)&sub);
    }
    return row;
}

inline std::string CellText(HWND list, int row, int column)
{
    char text[1100] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 1024;
    SendMessageA(list, LVM_GETITEMTEXTA, (WPARAM)row, (LPARAM)&item);
    return text;
}

// The texts of one column from the first row to the last.
inline std::vector<std::string> ColumnTexts(HWND list, int column)
{
    std::vector<std::string> texts;
    int rows = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    for (int row = 0; row < rows; row++)
        texts.push_back(CellText(list, row, column));
    return texts;
}

// A date cell as the entry reader writes it: short date, blank, time.
inline std::string DateCell(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME t = {};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    char date[50] = "", time[50] = "";
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, NULL, date, sizeof(date));
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, NULL, time, sizeof(time));
    return std::string(date) + " " + time;
}

#endif
