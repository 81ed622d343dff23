// Header date cases shared by the conversion tests of each locale: the text
// a date header shows in GMT and in local time.
#ifndef MARROWICK_TEST_CONVERT_DATES_H
#define MARROWICK_TEST_CONVERT_DATES_H

#include <gtest/gtest.h>

#include "test_util.h"

struct HeaderDateCase {
    const char *Value, *Gmt, *Local;
};

// Formats every case with ShowTimeInGMT on and off; restores the setting.
inline void CheckHeaderDates(const HeaderDateCase *cases, int count)
{
    int saved = AppSettings.ShowTimeInGMT;
    for (int i = 0; i < count; i++) {
        const HeaderDateCase &c = cases[i];
        AppSettings.ShowTimeInGMT = 1;
        EXPECT_STREQ(FormatHeaderDate(c.Value), c.Gmt) << c.Value;
        AppSettings.ShowTimeInGMT = 0;
        EXPECT_STREQ(FormatHeaderDate(c.Value), c.Local) << c.Value;
    }
    AppSettings.ShowTimeInGMT = saved;
}

#endif
