// ctest-env: MARROWICK_TZ=America/New_York
// The GMT/local switch in a zone behind GMT with daylight saving time: every
// date moves by the zone's present bias, whatever its own season, and the
// switch back restores the texts.
#include <gtest/gtest.h>

#include "test_sort_listview.h"

typedef std::vector<std::string> Texts;

static long long Ticks(const std::string &cell)
{
    SYSTEMTIME t;
    FILETIME f = {};
    if (!ParseDisplayedDate(cell.c_str(), &t) || !SystemTimeToFileTime(&t, &f))
        return -1;
    return (long long)(((unsigned long long)f.dwHighDateTime << 32) | f.dwLowDateTime);
}

TEST(NewYorkDates, OneBiasForEveryDateAndBack)
{
    HWND parent = CreateWindowA("STATIC", "main", WS_OVERLAPPEDWINDOW, 0, 0, 700, 400, NULL, NULL, NULL, NULL);
    HWND list = CreateTestList(parent, 50);
    const std::string gmt[] = {DateCell(2014, 1, 1, 2, 0, 0),      // winter, crosses the year back
                               DateCell(2014, 7, 15, 12, 0, 0),    // summer
                               DateCell(2014, 3, 9, 6, 30, 0)};    // the morning DST began
    for (const auto &g : gmt)
        AddRow(list, {{COL_LAST_MODIFIED, g.c_str()}, {COL_EXPIRE_TIME, ""}});
    RedisplayDates(list, 0);
    Texts local = TestColumnTexts(list, COL_LAST_MODIFIED);
    const long long hour = 36000000000LL;
    long long shift = Ticks(local[0]) - Ticks(gmt[0]);
    EXPECT_TRUE(shift == -5 * hour || shift == -4 * hour) << shift / hour;
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(Ticks(local[i]) - Ticks(gmt[i]), shift) << gmt[i] << " -> " << local[i];
    EXPECT_EQ(local[0].substr(0, 10), "12/31/2013");
    EXPECT_EQ(TestColumnTexts(list, COL_EXPIRE_TIME), (Texts{"", "", ""}));
    RedisplayDates(list, 1);
    EXPECT_EQ(TestColumnTexts(list, COL_LAST_MODIFIED), (Texts{gmt[0], gmt[1], gmt[2]}));
    DestroyWindow(parent);
}
