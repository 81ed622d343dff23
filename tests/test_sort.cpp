// Sorting by column kind, the header arrow, parsing date cells back and the
// GMT/local switch, under United States English formats in Asia/Kolkata.
#include <gtest/gtest.h>

#include "test_sort_listview.h"

#include <stdio.h>

namespace {

struct SortTest : SortListTest {
    void SetUp() override
    {
        SortListTest::SetUp();
        ArrowColumn = -1;
    }
    std::vector<std::string> SortedBy(int key, int column)
    {
        SortList(List, key);
        return TestColumnTexts(List, column);
    }
};

typedef std::vector<std::string> Texts;

// Restores the patterns of the user locale after a test injected its own.
struct PatternGuard {
    ~PatternGuard() { CompiledDatePattern = CompileLocaleDatePattern(LOCALE_USER_DEFAULT); }
};

void UsePattern(const char *date, const char *time, const char *am, const char *pm, int limit)
{
    lstrcpyA(LocaleDatePattern.DatePattern, date);
    lstrcpyA(LocaleDatePattern.TimePattern, time);
    lstrcpyA(LocaleDatePattern.AmDesignator, am);
    lstrcpyA(LocaleDatePattern.PmDesignator, pm);
    LocaleDatePattern.TwoDigitYearMax = limit;
    CompiledDatePattern = &LocaleDatePattern;
}

}  // namespace

TEST(DigitsValue, ReadsEveryDigitAndSaturates)
{
    const struct {
        const char *Text;
        unsigned long long Value;
    } cases[] = {
        {"", 0},
        {"abc", 0},
        {"999", 999},
        {"1,000", 1000},
        {"1 234 567", 1234567},
        {"3,000,000,000", 3000000000ULL},
        {"4,294,967,296", 4294967296ULL},
        {"18,446,744,073,709,551,615", 18446744073709551615ULL},
        {"18,446,744,073,709,551,616", 18446744073709551615ULL},
        {"123456789012345678901234567890", 18446744073709551615ULL},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DigitsValue(c.Text), c.Value) << c.Text;
}

TEST(CompileFormatPattern, CollapsesRunsAndKeepsLiterals)
{
    const struct {
        const char *Format;
        const char *Letters;
        const char *Pattern;
        int DesignatorRun;
    } cases[] = {
        {"M/d/yyyy", "dMyg", "M/d/y", 0},
        {"dd.MM.yyyy", "dMyg", "d.M.y", 0},
        {"yyyy-MM-dd", "dMyg", "y-M-d", 0},
        {"gg yyyy/M/d", "dMyg", "g y/M/d", 0},
        {"d.M.yyyy 'г.'", "dMyg", "d.M.y 'г.'", 0},
        {"d 'de' MMMM", "dMyg", "d 'de' M", 0},
        {"dd 'o''clock' yy", "dMyg", "d 'o''clock' y", 0},
        {"d 'unclosed", "dMyg", "d 'unclosed", 0},
        {"h:mm:ss tt", "Hhmst", "h:m:s t", 2},
        {"HH:mm:ss", "Hhmst", "H:m:s", 0},
        {"H:mm", "Hhmst", "H:m", 0},
        {"tt hh:mm", "Hhmst", "t h:m", 2},
        {"h:mm:ss t", "Hhmst", "h:m:s t", 1},
        {"HH 'h' mm", "Hhmst", "H 'h' m", 0},
    };
    for (const auto &c : cases) {
        char pattern[80];
        EXPECT_EQ(CompileFormatPattern(c.Format, c.Letters, pattern, sizeof(pattern)), c.DesignatorRun) << c.Format;
        EXPECT_STREQ(pattern, c.Pattern) << c.Format;
    }
}

TEST(CompileLocaleDatePattern, UnitedStatesFormatsAndCalendarLimit)
{
    LocaleDatePatternRecord *p = CompileLocaleDatePattern(LOCALE_USER_DEFAULT);
    EXPECT_STREQ(p->DatePattern, "M/d/y");
    EXPECT_STREQ(p->TimePattern, "h:m:s t");
    EXPECT_STREQ(p->AmDesignator, "AM");
    EXPECT_STREQ(p->PmDesignator, "PM");
    EXPECT_EQ(p->TwoDigitYearMax, 2049);    // Wine's CAL_ITWODIGITYEARMAX
}

TEST(ParseDisplayedDate, UnitedStatesCells)
{
    const ParseCase cases[] = {
        {"12/31/2013 12:05:00 AM", 1, 2013, 12, 31, 0, 5, 0},
        {"1/1/2014 12:05:00 PM", 1, 2014, 1, 1, 12, 5, 0},
        {"1/1/2014 1:05:09 PM", 1, 2014, 1, 1, 13, 5, 9},
        {"11/6/1994 8:49:37 AM", 1, 1994, 11, 6, 8, 49, 37},
        {"1/1/2014 11:59:59 PM", 1, 2014, 1, 1, 23, 59, 59},
        {NULL, 0},
        {"", 0},
        {"1/1/2014", 0},
        {"1/1/2014 1:05:09", 0},
        {"1/1/2014  1:05:09 PM", 0},
        {"1/1/2014 1:05:09 PM extra", 0},
        {"1-1-2014 1:05:09 PM", 0},
        {"1/1/2014 1:05:09 XM", 0},
    };
    CheckParses(cases, countof(cases));
}

TEST(ParseDisplayedDate, InjectedPatterns)
{
    PatternGuard guard;
    // Two-digit years: the century that ends at the calendar's limit.
    UsePattern("d.M.y", "H:m:s", "", "", 2029);
    const ParseCase window2029[] = {
        {"1.2.45 10:00:00", 1, 1945, 2, 1, 10, 0, 0},
        {"1.2.29 10:00:00", 1, 2029, 2, 1, 10, 0, 0},
        {"1.2.30 10:00:00", 1, 1930, 2, 1, 10, 0, 0},
        {"1.2.00 10:00:00", 1, 2000, 2, 1, 10, 0, 0},
        {"1.2.100 10:00:00", 1, 100, 2, 1, 10, 0, 0},
    };
    CheckParses(window2029, countof(window2029));
    UsePattern("d.M.y", "H:m:s", "", "", 2049);
    const ParseCase window2049[] = {
        {"1.2.45 10:00:00", 1, 2045, 2, 1, 10, 0, 0},
        {"1.2.49 10:00:00", 1, 2049, 2, 1, 10, 0, 0},
        {"1.2.50 10:00:00", 1, 1950, 2, 1, 10, 0, 0},
    };
    CheckParses(window2049, countof(window2049));
    // No seconds in the time format: seconds stay 0.
    UsePattern("d.M.y", "H:m", "", "", 2049);
    const ParseCase noSeconds[] = {
        {"31.12.2013 23:59", 1, 2013, 12, 31, 23, 59, 0},
        {"31.12.2013 23:59:10", 0},
    };
    CheckParses(noSeconds, countof(noSeconds));
    // Single "t": one-letter designators, here before the hour.
    UsePattern("y-M-d", "t h:m:s", "A", "P", 2049);
    const ParseCase leading[] = {
        {"2014-1-1 P 12:00:00", 1, 2014, 1, 1, 12, 0, 0},
        {"2014-1-1 A 12:00:00", 1, 2014, 1, 1, 0, 0, 0},
        {"2014-1-1 P 3:04:05", 1, 2014, 1, 1, 15, 4, 5},
        {"2014-1-1 P13:00:00", 0},      // PM needs the blank that follows "t"
        {"2014-1-1 X 3:00:00", 0},
    };
    CheckParses(leading, countof(leading));
    // Quoted literals, a doubled quote inside them, and the era.
    UsePattern("d 'de' M 'de' y", "H'h'm 'o''clock'", "", "", 2049);
    const ParseCase literals[] = {
        {"5 de 6 de 2020 7h8 o'clock", 1, 2020, 6, 5, 7, 8, 0},
        {"5 da 6 de 2020 7h8 o'clock", 0},
        {"5 de 6 de 2020 7h8 o'clack", 0},
    };
    CheckParses(literals, countof(literals));
    UsePattern("g y/M/d", "H:m:s", "", "", 2049);
    const ParseCase era[] = {
        {"A.D. 2020/6/5 7:08:09", 1, 2020, 6, 5, 7, 8, 9},
    };
    CheckParses(era, countof(era));
    UsePattern("d 'open", "H", "", "", 2049);
    const ParseCase unclosed[] = {{"5 open 7", 0}};
    CheckParses(unclosed, countof(unclosed));
}

TEST_F(SortTest, SizesByValueEmptyFirst)
{
    const char *sizes[] = {"1,000", "999", "", "3,000,000,000", "5", "4,294,967,296", "0", ""};
    for (const char *s : sizes)
        AddRow(List, {{COL_FILE_SIZE, s}});
    EXPECT_EQ(SortedBy(COL_FILE_SIZE, COL_FILE_SIZE),
              (Texts{"", "", "0", "5", "999", "1,000", "3,000,000,000", "4,294,967,296"}));
    EXPECT_EQ(SortedBy(COL_FILE_SIZE | SORT_KEY_DESCENDING, COL_FILE_SIZE),
              (Texts{"4,294,967,296", "3,000,000,000", "1,000", "999", "5", "0", "", ""}));
}

TEST_F(SortTest, TextIsCaseInsensitive)
{
    const char *types[] = {"text/html", "image/png", "", "IMAGE/GIF", "Application/json"};
    for (const char *s : types)
        AddRow(List, {{COL_CONTENT_TYPE, s}});
    EXPECT_EQ(SortedBy(COL_CONTENT_TYPE, COL_CONTENT_TYPE),
              (Texts{"", "Application/json", "IMAGE/GIF", "image/png", "text/html"}));
    EXPECT_EQ(SortedBy(COL_CONTENT_TYPE | SORT_KEY_DESCENDING, COL_CONTENT_TYPE),
              (Texts{"text/html", "image/png", "IMAGE/GIF", "Application/json", ""}));
}

// URLs and ETags of 260 characters and more are common: they are compared
// cut to 259 characters, and a full buffer never spills past its end.
TEST_F(SortTest, LongTextsCompareByTheirFirst259Characters)
{
    const std::string a259(259, 'a');
    const std::string texts[] = {
        a259 + std::string(741, 'z'),         // 1,000 characters
        std::string(258, 'a') + "b",          // differs at the 259th
        a259 + "0",                            // 260: equal to the first when cut
        a259,
    };
    for (const std::string &text : texts)
        AddRow(List, {{COL_URL, text.c_str()}, {COL_ETAG, text.c_str()}});
    for (int column : {COL_URL, COL_ETAG}) {
        Texts sorted = SortedBy(column, column);
        ASSERT_EQ(sorted.size(), 4u);
        EXPECT_EQ(sorted[3], texts[1]) << column;
        sorted = SortedBy(column | SORT_KEY_DESCENDING, column);
        EXPECT_EQ(sorted[0], texts[1]) << column;
    }
}

TEST_F(SortTest, DatesByTimeNotText)
{
    // In text order these would all be wrong: 1/ before 12/, "1:" before
    // "11:", AM/PM compared as letters.
    const std::string cells[] = {
        DateCell(2014, 1, 1, 0, 0, 1),     DateCell(2013, 12, 31, 23, 59, 59),
        DateCell(2013, 12, 5, 12, 30, 0),  DateCell(2013, 12, 5, 0, 30, 0),
        DateCell(2013, 12, 5, 11, 0, 0),   DateCell(2013, 12, 5, 13, 0, 0),
        DateCell(2013, 2, 10, 9, 0, 0),
    };
    for (const auto &c : cells)
        AddRow(List, {{COL_SERVER_TIME, c.c_str()}});
    AddRow(List, {{COL_SERVER_TIME, ""}});
    AddRow(List, {{COL_SERVER_TIME, "not a date"}});
    Texts ascending = {"",
                       "2/10/2013 9:00:00 AM",
                       "12/5/2013 12:30:00 AM",
                       "12/5/2013 11:00:00 AM",
                       "12/5/2013 12:30:00 PM",
                       "12/5/2013 1:00:00 PM",
                       "12/31/2013 11:59:59 PM",
                       "1/1/2014 12:00:01 AM",
                       "not a date"};
    EXPECT_EQ(SortedBy(COL_SERVER_TIME, COL_SERVER_TIME), ascending);
    Texts descending(ascending.rbegin(), ascending.rend());
    EXPECT_EQ(SortedBy(COL_SERVER_TIME | SORT_KEY_DESCENDING, COL_SERVER_TIME), descending);
}

TEST_F(SortTest, UnparsableDatesKeepOneConsistentPlace)
{
    const char *cells[] = {"zeta", "1/1/2014 1:00:00 AM", "Alpha", "12/31/2013 1:00:00 AM", "13/45/2013 1:00:00 AM"};
    for (const char *c : cells)
        AddRow(List, {{COL_EXPIRE_TIME, c}});
    // 13/45/2013 parses but is no calendar date: it counts as unparsable.
    EXPECT_EQ(SortedBy(COL_EXPIRE_TIME, COL_EXPIRE_TIME),
              (Texts{"12/31/2013 1:00:00 AM", "1/1/2014 1:00:00 AM", "13/45/2013 1:00:00 AM", "Alpha", "zeta"}));
}

static LPARAM ItemData(HWND list, int row)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageA(list, LVM_GETITEMA, 0, (LPARAM)&item);
    return item.lParam;
}

TEST_F(SortTest, RowsMoveWholeWithTheirItemDataAndSelection)
{
    // Item data is the payload size: the sort borrows it and must give each
    // row its own back.
    AddRow(List, {{COL_URL, "c"}, {COL_CACHE_FILE, "f3"}}, 3000000000u);
    AddRow(List, {{COL_URL, "a"}, {COL_CACHE_FILE, "f1"}}, 0);
    AddRow(List, {{COL_URL, "b"}, {COL_CACHE_FILE, "f2"}}, 7);
    SelectTestRow(List, 0);
    EXPECT_TRUE(SortList(List, COL_URL));
    EXPECT_EQ(TestColumnTexts(List, COL_CACHE_FILE), (Texts{"f1", "f2", "f3"}));
    EXPECT_EQ(ItemData(List, 0), 0);
    EXPECT_EQ(ItemData(List, 1), 7);
    EXPECT_EQ((unsigned)ItemData(List, 2), 3000000000u);
    EXPECT_EQ((int)SendMessageA(List, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED), 2);
}

struct HeaderState {
    int Arrow;      // 1 when HDF_IMAGE | HDF_BITMAP_ON_RIGHT are both set
    int Image;
    int Right;      // HDF_RIGHT kept
};

static HeaderState ReadHeader(HWND list, int column)
{
    HDITEMA hd = {};
    hd.mask = HDI_FORMAT | HDI_IMAGE;
    SendMessageA((HWND)SendMessageA(list, LVM_GETHEADER, 0, 0), HDM_GETITEMA, (WPARAM)column, (LPARAM)&hd);
    int arrow = (hd.fmt & (HDF_IMAGE | HDF_BITMAP_ON_RIGHT)) == (HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
    return {arrow, hd.iImage, (hd.fmt & HDF_RIGHT) != 0};
}

TEST_F(SortTest, HeaderArrowFollowsKey)
{
    AddRow(List, {{COL_URL, "x"}});
    const struct {
        int Key;
        int Column;
        int Image;      // 1 up for ascending, 0 down for descending
    } steps[] = {
        {COL_FILE_SIZE, COL_FILE_SIZE, 1},
        {COL_FILE_SIZE | SORT_KEY_DESCENDING, COL_FILE_SIZE, 0},
        {COL_FILE_SIZE, COL_FILE_SIZE, 1},
        {COL_URL, COL_URL, 1},
        {COL_CACHE_FILE | SORT_KEY_DESCENDING, COL_CACHE_FILE, 0},
    };
    for (const auto &s : steps) {
        SortList(List, s.Key);
        EXPECT_EQ(ArrowColumn, s.Column) << s.Key;
        for (int c = 0; c < COLUMN_COUNT; c++) {
            HeaderState h = ReadHeader(List, c);
            EXPECT_EQ(h.Arrow, c == s.Column ? 1 : 0) << "key " << s.Key << " column " << c;
            if (c == s.Column) {
                EXPECT_EQ(h.Image, s.Image) << s.Key;
            }
        }
        EXPECT_TRUE(ReadHeader(List, COL_FILE_SIZE).Right) << "other header formatting kept";
    }
}

TEST_F(SortTest, KeyForMissingColumnLeavesHeaderAlone)
{
    AddRow(List, {{COL_URL, "b"}});
    AddRow(List, {{COL_URL, "a"}});
    SortList(List, COL_URL);
    SortList(List, 40);     // a foreign key from a hand-edited settings file
    EXPECT_EQ(ArrowColumn, 40);
    for (int c = 0; c < COLUMN_COUNT; c++)
        EXPECT_EQ(ReadHeader(List, c).Arrow, 0) << c;
    EXPECT_EQ(TestColumnTexts(List, COL_URL), (Texts{"a", "b"}));
}

TEST_F(SortTest, GmtLocalGmtRestoresTextsAndOrder)
{
    // Asia/Kolkata is GMT+5:30 all year round.
    const struct {
        std::string Gmt;
        const char *Local;
    } cells[] = {
        {DateCell(2013, 12, 31, 23, 0, 0), "1/1/2014 4:30:00 AM"},
        {DateCell(2013, 12, 31, 18, 30, 0), "1/1/2014 12:00:00 AM"},
        {DateCell(2014, 6, 15, 6, 30, 0), "6/15/2014 12:00:00 PM"},
        {DateCell(2014, 3, 1, 0, 0, 0), "3/1/2014 5:30:00 AM"},
    };
    for (const auto &c : cells)
        AddRow(List, {{COL_SERVER_TIME, c.Gmt.c_str()}, {COL_LAST_MODIFIED, c.Gmt.c_str()}, {COL_EXPIRE_TIME, "junk"}});
    AddRow(List, {{COL_URL, "no dates"}});
    SortList(List, COL_LAST_MODIFIED);
    Texts gmt = TestColumnTexts(List, COL_LAST_MODIFIED);

    RedisplayDates(List, 0);
    Texts local = TestColumnTexts(List, COL_LAST_MODIFIED);
    EXPECT_EQ(local, TestColumnTexts(List, COL_SERVER_TIME));
    for (const auto &c : cells) {
        int row = 0;
        while (row < (int)gmt.size() && gmt[row] != c.Gmt)
            row++;
        ASSERT_LT(row, (int)gmt.size());
        EXPECT_EQ(local[row], c.Local) << c.Gmt;
    }
    EXPECT_EQ(TestColumnTexts(List, COL_EXPIRE_TIME), (Texts{"", "junk", "junk", "junk", "junk"}));
    Texts resorted = SortedBy(COL_LAST_MODIFIED, COL_LAST_MODIFIED);
    EXPECT_EQ(resorted, local) << "the shift keeps the order";

    RedisplayDates(List, 1);
    EXPECT_EQ(TestColumnTexts(List, COL_LAST_MODIFIED), gmt);
    EXPECT_EQ(TestColumnTexts(List, COL_SERVER_TIME), gmt);
}

// Size or date of a cell as one number, to check an order.
static unsigned long long SortKey(int column, const std::string &text)
{
    if (column == COL_FILE_SIZE)
        return DigitsValue(text.c_str());
    SYSTEMTIME t;
    FILETIME f = {};
    if (!ParseDisplayedDate(text.c_str(), &t) || !SystemTimeToFileTime(&t, &f))
        return ~0ULL;
    return ((unsigned long long)f.dwHighDateTime << 32) | f.dwLowDateTime;
}

// Not a check: the time of sorting 20,000 rows, printed for the record.
TEST_F(SortTest, Timing20000Rows)
{
    const int rows = 20000;
    SendMessageA(List, WM_SETREDRAW, FALSE, 0);
    SendMessageA(List, LVM_SETITEMCOUNT, rows, 0);
    unsigned seed = 12345;
    for (int i = 0; i < rows; i++) {
        seed = seed * 1103515245u + 12345u;
        std::string date = DateCell((WORD)(2005 + seed % 15), (WORD)(1 + (seed >> 4) % 12), (WORD)(1 + (seed >> 8) % 28),
                                    (WORD)((seed >> 12) % 24), (WORD)((seed >> 16) % 60), (WORD)((seed >> 20) % 60));
        char size[32];
        wsprintfA(size, "%u", (seed >> 3) % 50000000);
        AddRow(List, {{COL_FILE_SIZE, size}, {COL_LAST_MODIFIED, date.c_str()}});
    }
    const struct {
        const char *Name;
        int Column;
    } sorts[] = {{"Last Modified", COL_LAST_MODIFIED}, {"File Size", COL_FILE_SIZE}};
    for (const auto &s : sorts) {
        LARGE_INTEGER f, a, b;
        QueryPerformanceFrequency(&f);
        QueryPerformanceCounter(&a);
        SortList(List, s.Column);
        QueryPerformanceCounter(&b);
        printf("sort %d rows by %s: %.0f ms\n", rows, s.Name, (double)(b.QuadPart - a.QuadPart) * 1000.0 / (double)f.QuadPart);
        Texts sorted = TestColumnTexts(List, s.Column);
        for (int i = 1; i < rows; i++)
            ASSERT_LE(SortKey(s.Column, sorted[i - 1]), SortKey(s.Column, sorted[i])) << s.Name << " row " << i;
    }
}
