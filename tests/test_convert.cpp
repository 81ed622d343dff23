// Field conversion in United States English and Asia/Kolkata (+5:30): status
// lines, grouped numbers, HTTP dates in GMT and local time, attachment names,
// media types, query argument texts and header names.
#include <gtest/gtest.h>

#include "test_convert_dates.h"
#include "test_util.h"

TEST(Convert, StatusLine)
{
    const struct { unsigned int Code; const char *Text; } cases[] = {
        {200, "HTTP/1.1 200 OK"}, {404, "HTTP/1.1 404 Not Found"}, {304, "HTTP/1.1 304"},
        {500, "HTTP/1.1 500"},    {0, "HTTP/1.1 0"},               {4294967295u, "HTTP/1.1 4294967295"},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(FormatStatusLine(c.Code), c.Text) << c.Code;
}

TEST(Convert, IntegersAndLeadingComparison)
{
    const struct { const char *Text; int Value; } integers[] = {
        {"42", 42}, {"  -17x", -17}, {"", 0}, {"-", 0}, {"x5", 0}, {"0012", 12}, {" - 3", 0},
    };
    for (const auto &c : integers)
        EXPECT_EQ(ParseInteger(c.Text), c.Value) << c.Text;

    const struct { const char *A, *B; int N, Sign; } compares[] = {
        {"Nov 1994", "Nov", 3, 0}, {"nov", "Nov", 3, 1}, {"No", "Nov", 3, -1},
        {"No", "No", 3, 0},        {"abc", "abd", 2, 0}, {"\xE9", "a", 1, -1},  // signed 8-bit
    };
    for (const auto &c : compares) {
        int r = CompareLeading(c.A, c.B, c.N);
        EXPECT_EQ((r > 0) - (r < 0), c.Sign) << c.A << " / " << c.B;
    }
}

TEST(Convert, GroupingText)
{
    const struct { const char *Text; int Grouping; } cases[] = {
        {"3;0", 3}, {"3;2;0", 32}, {"3", 30}, {"", 0}, {"0;0", 0}, {"3;", 30},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParseGroupingText(c.Text), c.Grouping) << c.Text;
}

TEST(Convert, GroupedNumbersInUnitedStatesEnglish)
{
    const NUMBERFMTA *format = GetLocaleNumberFormat(LOCALE_USER_DEFAULT);
    EXPECT_EQ(format->Grouping, 3u);
    EXPECT_STREQ(format->lpThousandSep, ",");
    EXPECT_STREQ(format->lpDecimalSep, ".");
    const struct { const char *Digits, *Text; } cases[] = {
        {"1234567", "1,234,567"}, {"999", "999"}, {"0", "0"}, {"4294967295", "4,294,967,295"},
        {"-1234", "-1,234"},
        // Refused by the locale formatting: shown as stored.
        {" 12", " 12"}, {"12a", "12a"}, {"1 2", "1 2"},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(FormatGroupedNumber(c.Digits), c.Text) << c.Digits;
}

struct DateCase {
    const char *Text;
    int Parsed;
    WORD Year, Month, Day, DayOfWeek, Hour, Minute, Second;
};

TEST(Convert, ParseHttpDate)
{
    const DateCase cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", 1, 1994, 11, 6, 0, 8, 49, 37},
        {"Sun, 06 Nov 1994 08:49:37 PST", 1, 1994, 11, 6, 0, 8, 49, 37},
        {"Sun, 06 Nov 1994 08:49 GMT", 1, 1994, 11, 6, 0, 8, 49, 0},
        {" 06 Nov 1994 08:49:37 GMT", 1, 1994, 11, 6, 0, 8, 49, 37},
        {"Tue, 29 Feb 2000 23:59:59 GMT", 1, 2000, 2, 29, 2, 23, 59, 59},
        {"Sun Nov  6 08:49:37 1994", 1, 6, 11, 0, 0, 8, 49, 37},  // asctime: day 0, year 6
        {"Sunday, 06-Nov-94 08:49:37 GMT", 0, 0, 0, 0, 0, 0, 0, 0},
        {"Sun, 06 nov 1994 08:49:37 GMT", 0, 0, 0, 0, 0, 0, 0, 0},
        {"Sun, 06 Nov 1994 08:49:37", 0, 0, 0, 0, 0, 0, 0, 0},
        {"Sun,", 0, 0, 0, 0, 0, 0, 0, 0},
        {"", 0, 0, 0, 0, 0, 0, 0, 0},
        {nullptr, 0, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Text ? c.Text : "(null)");
        SYSTEMTIME st = {};
        ASSERT_EQ(ParseHttpDate(c.Text, &st), c.Parsed);
        if (!c.Parsed)
            continue;
        EXPECT_EQ(st.wYear, c.Year);
        EXPECT_EQ(st.wMonth, c.Month);
        EXPECT_EQ(st.wDay, c.Day);
        EXPECT_EQ(st.wHour, c.Hour);
        EXPECT_EQ(st.wMinute, c.Minute);
        EXPECT_EQ(st.wSecond, c.Second);
        EXPECT_EQ(st.wMilliseconds, 0);
        if (c.Day) {
            EXPECT_EQ(st.wDayOfWeek, c.DayOfWeek);
        }
    }
}

TEST(Convert, HeaderDateInGmtAndLocalTime)
{
    const HeaderDateCase cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", "11/6/1994 8:49:37 AM", "11/6/1994 2:19:37 PM"},
        {"Wed, 31 Dec 2036 20:00:00 GMT", "12/31/2036 8:00:00 PM", "1/1/2037 1:30:00 AM"},
        {" 06 Nov 1994 08:49:37 GMT", "11/6/1994 8:49:37 AM", "11/6/1994 2:19:37 PM"},
        {"06 Nov 1994 08:49:37 GMT", "", ""},  // "06" taken as the day name
        {"Sun Nov  6 08:49:37 1994", "", ""},
        {"Sunday, 06-Nov-94 08:49:37 GMT", "", ""},
        {"Sun, 32 Nov 1994 08:49:37 GMT", "", ""},
        // Hour 25 names no moment: no date in either zone.
        {"Sun, 06 Nov 1994 25:00:00 GMT", "", ""},
        {"Sun, 06 Nov 94 08:49:37 GMT", "", ""},
        {"garbage", "", ""},
    };
    CheckHeaderDates(cases, countof(cases));
}

TEST(Convert, AttachmentName)
{
    const struct { const char *Value, *Name; } cases[] = {
        {"attachment; filename=\"report 1.pdf\"", "report 1.pdf"},
        {"attachment;filename=a.txt; size=10", "a.txt"},
        {"filename=x.bin", "x.bin"},
        {"attachment; filename=\"a;b.txt\"", "a"},
        {"attachment; filename=\"abc", "abc"},
        {"attachment; filename=first.txt; filename=second.txt", "first.txt"},
        {"attachment; filename=", ""},
        {"inline", ""},
        {"attachment; FileName=a.txt", ""},
        {"attachment; filename =a.txt", ""},
        {"attachment; filename*=UTF-8''a.txt", ""},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(ExtractAttachmentName(c.Value), c.Name) << c.Value;
    std::string longName(150, 'n');
    EXPECT_EQ(ExtractAttachmentName(("attachment; filename=" + longName).c_str()), longName.substr(0, 99));
}

TEST(Convert, MediaType)
{
    const struct { const char *Value, *Type; } cases[] = {
        {"text/html; charset=UTF-8", "text/html"}, {"  image/png", "image/png"}, {"image/png;q=1", "image/png"},
        {"text/plain more", "text/plain"},        {"", ""},                     {" ;text/html", ""},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(ExtractMediaType(c.Value), c.Type) << c.Value;
    std::string longType(150, 't');
    EXPECT_EQ(ExtractMediaType(longType.c_str()), longType.substr(0, 99));
}

TEST(Convert, QueryArgumentText)
{
    std::string longName(1100, 'n');
    const struct { StoredQueryArgument Argument; int Index; std::string Text; } cases[] = {
        {{"x", "1", 1}, 0, "?x=1"},
        {{"y", "two", 3}, 1, "&y=two"},
        {{"a", "abcdef", 3}, 2, "&a=abc"},        // cut at the value length
        {{"b", "a\0b", 3}, 1, "&b=a"},            // a NUL ends the value early
        {{"", "", 0}, 0, "?="},
        {{longName.c_str(), "v", 1}, 0, "?" + longName + "=v"},  // whole
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatQueryArgument(&c.Argument, c.Index), c.Text);
}

TEST(Convert, HeaderNames)
{
    const struct { const char *Name; int Kind; } cases[] = {
        {"Content-Type", HEADER_CONTENT_TYPE}, {"content-type", HEADER_CONTENT_TYPE},
        {"CONTENT-LENGTH", HEADER_CONTENT_LENGTH}, {"Date", HEADER_DATE},
        {"last-modified", HEADER_LAST_MODIFIED}, {"Expires", HEADER_EXPIRES},
        {"Content-Disposition", HEADER_CONTENT_DISPOSITION}, {"ETag", HEADER_ETAG}, {"ETAG", HEADER_ETAG},
        {"Content-Type2", HEADER_OTHER}, {"X-Content-Type", HEADER_OTHER}, {"Content", HEADER_OTHER},
        {"", HEADER_OTHER},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ClassifyHeaderName(c.Name), c.Kind) << c.Name;
}
