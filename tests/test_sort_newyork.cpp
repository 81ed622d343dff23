// ctest-env: MARROWICK_TZ=America/New_York
// The GMT/local switch in a zone behind GMT with daylight saving time: every
// date moves by the zone's present bias, whatever its own season, and the
// switch back restores the texts.
#include <gtest/gtest.h>

#include "test_sort_listview.h"

typedef std::vector<std::string> Texts;

// The date shown for a GMT date moved by `hours`.
static std::string Shifted(const WORD *v, int hours)
{
    SYSTEMTIME t = {v[0], v[1], 0, v[2], v[3], v[4], v[5], 0};
    FILETIME f;
    SystemTimeToFileTime(&t, &f);
    unsigned long long ticks = ((unsigned long long)f.dwHighDateTime << 32 | f.dwLowDateTime) + hours * 36000000000LL;
    f.dwLowDateTime = (DWORD)ticks;
    f.dwHighDateTime = (DWORD)(ticks >> 32);
    FileTimeToSystemTime(&f, &t);
    return DateCell(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

TEST(NewYorkDates, OneBiasForEveryDateAndBack)
{
    HWND parent = CreateWindowA("STATIC", "main", WS_OVERLAPPEDWINDOW, 0, 0, 700, 400, NULL, NULL, NULL, NULL);
    HWND list = CreateTestList(parent, 50);
    const WORD dates[][6] = {{2014, 1, 1, 2, 0, 0},      // winter, crosses the year back
                             {2014, 7, 15, 12, 0, 0},    // summer
                             {2014, 3, 9, 6, 30, 0}};    // the morning DST began
    Texts gmt, winter, summer;
    for (const auto &d : dates) {
        AddRow(list, {{COL_LAST_MODIFIED, HttpDate(d[0], d[1], d[2], d[3], d[4], d[5]).c_str()}, {COL_EXPIRE_TIME, ""}});
        gmt.push_back(Shifted(d, 0));
        winter.push_back(Shifted(d, -5));
        summer.push_back(Shifted(d, -4));
    }
    AppSettings.ShowTimeInGMT = 0;
    RedisplayDates(list);
    Texts local = TestColumnTexts(list, COL_LAST_MODIFIED);
    EXPECT_TRUE(local == winter || local == summer) << local[0] << ", " << local[1] << ", " << local[2];
    EXPECT_EQ(local[0].substr(0, 10), "12/31/2013");
    EXPECT_EQ(TestColumnTexts(list, COL_EXPIRE_TIME), (Texts{"", "", ""}));
    AppSettings.ShowTimeInGMT = 1;
    RedisplayDates(list);
    EXPECT_EQ(TestColumnTexts(list, COL_LAST_MODIFIED), gmt);
    DestroyWindow(parent);
}
