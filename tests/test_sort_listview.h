// Rows given cell by cell and date cells for the sort and find tests, over
// the ten-column test list (test_list.h).
#ifndef MARROWICK_TEST_SORT_LISTVIEW_H
#define MARROWICK_TEST_SORT_LISTVIEW_H

#include <gtest/gtest.h>

#include "test_list.h"
#include "test_util.h"

#include <initializer_list>
#include <string.h>
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

// A parent window holding the ten-column test list; dates shown in GMT, so
// a HttpDate shows as the DateCell of the same values.
struct SortListTest : testing::Test {
    HWND Parent = NULL;
    HWND List = NULL;
    void SetUp() override
    {
        AppSettings.ShowTimeInGMT = 1;
        Parent = CreateWindowA("STATIC", "main", WS_OVERLAPPEDWINDOW, 0, 0, 700, 400, NULL, NULL, NULL, NULL);
        List = CreateTestList(Parent, 50);
    }
    void TearDown() override { DestroyWindow(Parent); }
};

// A date as a response header holds it, the form the store takes: "Sun,
// 06 Nov 1994 08:49:37 GMT" (the day name is not examined).
inline std::string HttpDate(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    wsprintfA(text, "Day, %02u %s %04u %02u:%02u:%02u GMT", day, months[month - 1], year, hour, minute, second);
    return text;
}

// A date cell as the list shows it: short date, blank, time.
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
