// ctest-env: MARROWICK_LOCALE=de_DE.UTF-8
// Sorting and date cells under German formats (day before month, 24-hour
// time without designators, "." as the thousands separator) in Asia/Kolkata.
#include <gtest/gtest.h>

#include "test_sort_listview.h"

typedef std::vector<std::string> Texts;

struct GermanSortTest : SortListTest {};

TEST_F(GermanSortTest, SizesAndDatesInDayMonthOrder)
{
    const char *sizes[] = {"1.000", "999", "2.147.483.648", "12"};
    const WORD values[][6] = {{2014, 1, 2, 0, 0, 0}, {2013, 12, 31, 23, 59, 59}, {2013, 2, 12, 8, 0, 0},
                              {2013, 12, 31, 9, 5, 0}};
    std::string dates[4];
    for (int i = 0; i < 4; i++) {
        const WORD *v = values[i];
        dates[i] = DateCell(v[0], v[1], v[2], v[3], v[4], v[5]);
        AddRow(List, {{COL_FILE_SIZE, sizes[i]}, {COL_EXPIRE_TIME, HttpDate(v[0], v[1], v[2], v[3], v[4], v[5]).c_str()}});
    }
    SortList(List, COL_FILE_SIZE);
    EXPECT_EQ(TestColumnTexts(List, COL_FILE_SIZE), (Texts{"12", "999", "1.000", "2.147.483.648"}));
    SortList(List, COL_EXPIRE_TIME);
    EXPECT_EQ(TestColumnTexts(List, COL_EXPIRE_TIME), (Texts{dates[2], dates[3], dates[1], dates[0]}));
    EXPECT_EQ(dates[1], "31.12.2013 23:59:59");
}

TEST_F(GermanSortTest, GmtLocalGmtRestoresTexts)
{
    // Asia/Kolkata: GMT+5:30.
    const std::string gmt[] = {DateCell(2013, 12, 31, 20, 0, 0), DateCell(2014, 3, 1, 0, 10, 0)};
    const std::string local[] = {DateCell(2014, 1, 1, 1, 30, 0), DateCell(2014, 3, 1, 5, 40, 0)};
    AddRow(List, {{COL_SERVER_TIME, HttpDate(2013, 12, 31, 20, 0, 0).c_str()}});
    AddRow(List, {{COL_SERVER_TIME, HttpDate(2014, 3, 1, 0, 10, 0).c_str()}});
    AppSettings.ShowTimeInGMT = 0;
    RedisplayDates(List);
    EXPECT_EQ(TestColumnTexts(List, COL_SERVER_TIME), (Texts{local[0], local[1]}));
    AppSettings.ShowTimeInGMT = 1;
    RedisplayDates(List);
    EXPECT_EQ(TestColumnTexts(List, COL_SERVER_TIME), (Texts{gmt[0], gmt[1]}));
}
