// Rows given cell by cell and date cells for the sort and find tests, over
// the ten-column test list (test_list.h).
#ifndef MARROWICK_TEST_SORT_LISTVIEW_H
#define MARROWICK_TEST_SORT_LISTVIEW_H

#include "test_list.h"
#include "test_util.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// One cell of a row: ColumnId and text.
typedef std::pair<int, const char *> Cell;

// Appends a row; cells not given stay empty. Returns its index.
inline int AddRow(HWND list, std::initializer_list<Cell> cells, LPARAM data = 0)
{
    std::vector<std::string> texts(COLUMN_COUNT);
    for (const Cell &cell : cells)
        texts[cell.first] = cell.second;
    return AddTestRow(list, texts, data);
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
