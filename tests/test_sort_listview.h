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

// A parent window holding the ten-column test list.
struct SortListTest : testing::Test {
    HWND Parent = NULL;
    HWND List = NULL;
    void SetUp() override
    {
        Parent = CreateWindowA("STATIC", "main", WS_OVERLAPPEDWINDOW, 0, 0, 700, 400, NULL, NULL, NULL, NULL);
        List = CreateTestList(Parent, 50);
    }
    void TearDown() override { DestroyWindow(Parent); }
};

// A date cell parsed back: Ok 0 for a text that must be refused.
struct ParseCase {
    const char *Text;
    int Ok;
    WORD Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

inline void CheckParses(const ParseCase *cases, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        const ParseCase &c = cases[i];
        SYSTEMTIME t;
        memset(&t, 0x55, sizeof(t));
        ASSERT_EQ(ParseDisplayedDate(c.Text, &t), c.Ok) << c.Text;
        if (!c.Ok)
            continue;
        EXPECT_EQ(t.wYear, c.Year) << c.Text;
        EXPECT_EQ(t.wMonth, c.Month) << c.Text;
        EXPECT_EQ(t.wDay, c.Day) << c.Text;
        EXPECT_EQ(t.wHour, c.Hour) << c.Text;
        EXPECT_EQ(t.wMinute, c.Minute) << c.Text;
        EXPECT_EQ(t.wSecond, c.Second) << c.Text;
        EXPECT_EQ(t.wDayOfWeek, 0) << c.Text;
        EXPECT_EQ(t.wMilliseconds, 0) << c.Text;
    }
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
