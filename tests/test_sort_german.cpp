// ctest-env: MARROWICK_LOCALE=de_DE.UTF-8
// Sorting and date cells under German formats (day before month, 24-hour
// time without designators, "." as the thousands separator) in Asia/Kolkata.
#include <gtest/gtest.h>

#include "test_sort_listview.h"

typedef std::vector<std::string> Texts;

TEST(GermanDates, PatternsFromTheLocale)
{
    LocaleDatePatternRecord *p = CompileLocaleDatePattern(LOCALE_USER_DEFAULT);
    EXPECT_STREQ(p->DatePattern, "d.M.y");
    EXPECT_STREQ(p->TimePattern, "H:m:s");
    EXPECT_EQ(p->TwoDigitYearMax, 2049);
}

TEST(GermanDates, ParsesCellsBack)
{
    const ParseCase cases[] = {
        {"31.12.2013 23:59:59", 1, 2013, 12, 31, 23, 59, 59},
        {"01.01.2014 00:00:01", 1, 2014, 1, 1, 0, 0, 1},
        {"06.11.1994 08:49:37", 1, 1994, 11, 6, 8, 49, 37},
        {"31.12.2013", 0, 0, 0, 0, 0, 0, 0},
        {"31.12.2013 23:59:59 PM", 0, 0, 0, 0, 0, 0, 0},
        {"12/31/2013 11:59:59 PM", 0, 0, 0, 0, 0, 0, 0},
    };
    CheckParses(cases, countof(cases));
}

struct GermanSortTest : SortListTest {};

TEST_F(GermanSortTest, SizesAndDatesInDayMonthOrder)
{
    const char *sizes[] = {"1.000", "999", "2.147.483.648", "12"};
    const std::string dates[] = {DateCell(2014, 1, 2, 0, 0, 0), DateCell(2013, 12, 31, 23, 59, 59),
                                 DateCell(2013, 2, 12, 8, 0, 0), DateCell(2013, 12, 31, 9, 5, 0)};
    for (int i = 0; i < 4; i++)
        AddRow(List, {{COL_FILE_SIZE, sizes[i]}, {COL_EXPIRE_TIME, dates[i].c_str()}});
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
    for (const auto &g : gmt)
        AddRow(List, {{COL_SERVER_TIME, g.c_str()}});
    RedisplayDates(List, 0);
    EXPECT_EQ(TestColumnTexts(List, COL_SERVER_TIME), (Texts{local[0], local[1]}));
    RedisplayDates(List, 1);
    EXPECT_EQ(TestColumnTexts(List, COL_SERVER_TIME), (Texts{gmt[0], gmt[1]}));
}
