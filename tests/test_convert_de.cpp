// ctest-env: MARROWICK_LOCALE=de_DE.UTF-8
// Field conversion under German formats: "." groups thousands, dates are
// day.month.year with a 24-hour clock; local time is Asia/Kolkata (+5:30).
#include <gtest/gtest.h>

#include "test_convert_dates.h"
#include "test_util.h"

TEST(ConvertGerman, GroupedNumbers)
{
    const NUMBERFMTA *format = GetLocaleNumberFormat(LOCALE_USER_DEFAULT);
    EXPECT_EQ(format->Grouping, 3u);
    EXPECT_STREQ(format->lpThousandSep, ".");
    EXPECT_STREQ(format->lpDecimalSep, ",");
    const struct { const char *Digits, *Text; } cases[] = {
        {"1234567", "1.234.567"}, {"999", "999"}, {"0", "0"}, {"4294967295", "4.294.967.295"},
        {"12a", "12a"},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(FormatGroupedNumber(c.Digits), c.Text) << c.Digits;
}

TEST(ConvertGerman, HeaderDateInGmtAndLocalTime)
{
    // Wine's German short date is "d.M.yyyy", its time "HH:mm:ss".
    const HeaderDateCase cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", "6.11.1994 08:49:37", "6.11.1994 14:19:37"},
        {"Wed, 31 Dec 2036 20:00:00 GMT", "31.12.2036 20:00:00", "1.1.2037 01:30:00"},
        {"Sun Nov  6 08:49:37 1994", "", ""},
    };
    CheckHeaderDates(cases, countof(cases));
}
