// Sorting the row store by column kind, the header arrow and the GMT/local
// switch, under United States English formats in Asia/Kolkata.
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
// whole, never cut.
TEST_F(SortTest, LongTextsCompareWhole)
{
    const std::string a259(259, 'a');
    const std::string texts[] = {
        a259 + std::string(741, 'z'),         // 1,000 characters
        std::string(258, 'a') + "b",          // differs at the 259th
        a259 + "0",                            // 260
        a259,
    };
    for (const std::string &text : texts)
        AddRow(List, {{COL_URL, text.c_str()}, {COL_ETAG, text.c_str()}});
    for (int column : {COL_URL, COL_ETAG}) {
        SortList(List, column);
        Texts order;
        for (int i = 0; i < 4; i++)
            order.push_back(RowText(ShownRowAt(i), column));
        EXPECT_EQ(order, (Texts{texts[3], texts[2], texts[0], texts[1]})) << column;
        SortList(List, column | SORT_KEY_DESCENDING);
        EXPECT_EQ(RowText(ShownRowAt(0), column), texts[1]) << column;
    }
}

TEST_F(SortTest, DatesByInstantEmptyFirst)
{
    // In text order these would all be wrong: 1/ before 12/, "1:" before
    // "11:", AM/PM compared as letters. A value that is no date is empty.
    const WORD dates[][6] = {
        {2014, 1, 1, 0, 0, 1},  {2013, 12, 31, 23, 59, 59}, {2013, 12, 5, 12, 30, 0}, {2013, 12, 5, 0, 30, 0},
        {2013, 12, 5, 11, 0, 0}, {2013, 12, 5, 13, 0, 0},   {2013, 2, 10, 9, 0, 0},
    };
    for (const auto &d : dates)
        AddRow(List, {{COL_SERVER_TIME, HttpDate(d[0], d[1], d[2], d[3], d[4], d[5]).c_str()}});
    AddRow(List, {{COL_SERVER_TIME, ""}});
    AddRow(List, {{COL_SERVER_TIME, "not a date"}});
    Texts ascending = {"",
                       "",
                       "2/10/2013 9:00:00 AM",
                       "12/5/2013 12:30:00 AM",
                       "12/5/2013 11:00:00 AM",
                       "12/5/2013 12:30:00 PM",
                       "12/5/2013 1:00:00 PM",
                       "12/31/2013 11:59:59 PM",
                       "1/1/2014 12:00:01 AM"};
    EXPECT_EQ(SortedBy(COL_SERVER_TIME, COL_SERVER_TIME), ascending);
    Texts descending(ascending.rbegin(), ascending.rend());
    EXPECT_EQ(SortedBy(COL_SERVER_TIME | SORT_KEY_DESCENDING, COL_SERVER_TIME), descending);
}

static unsigned PayloadSizeAt(int index)
{
    return RowStore.Rows[ShownRowAt(index)].PayloadSize;
}

TEST_F(SortTest, RowsMoveWholeWithTheirSizeSelectionAndFocus)
{
    AddRow(List, {{COL_URL, "c"}, {COL_CACHE_FILE, "f3"}}, 3000000000u);
    AddRow(List, {{COL_URL, "a"}, {COL_CACHE_FILE, "f1"}}, 0);
    AddRow(List, {{COL_URL, "b"}, {COL_CACHE_FILE, "f2"}}, 7);
    SelectTestRow(List, 0);
    LVITEMA focus = {};
    focus.stateMask = focus.state = LVIS_FOCUSED;
    SendMessageA(List, LVM_SETITEMSTATE, 0, (LPARAM)&focus);
    EXPECT_TRUE(SortList(List, COL_URL));
    EXPECT_EQ(TestColumnTexts(List, COL_CACHE_FILE), (Texts{"f1", "f2", "f3"}));
    EXPECT_EQ(PayloadSizeAt(0), 0u);
    EXPECT_EQ(PayloadSizeAt(1), 7u);
    EXPECT_EQ(PayloadSizeAt(2), 3000000000u);
    EXPECT_EQ((int)SendMessageA(List, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED), 2);
    EXPECT_EQ((int)SendMessageA(List, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED), 2);
    EXPECT_EQ((int)SendMessageA(List, LVM_GETSELECTEDCOUNT, 0, 0), 1);
    EXPECT_EQ(SelectedSizeTotal, 3000000000LL);
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
        WORD Gmt[6];
        const char *Local;
    } cells[] = {
        {{2013, 12, 31, 23, 0, 0}, "1/1/2014 4:30:00 AM"},
        {{2013, 12, 31, 18, 30, 0}, "1/1/2014 12:00:00 AM"},
        {{2014, 6, 15, 6, 30, 0}, "6/15/2014 12:00:00 PM"},
        {{2014, 3, 1, 0, 0, 0}, "3/1/2014 5:30:00 AM"},
    };
    for (const auto &c : cells) {
        std::string date = HttpDate(c.Gmt[0], c.Gmt[1], c.Gmt[2], c.Gmt[3], c.Gmt[4], c.Gmt[5]);
        AddRow(List, {{COL_SERVER_TIME, date.c_str()}, {COL_LAST_MODIFIED, date.c_str()}, {COL_EXPIRE_TIME, "junk"}});
    }
    AddRow(List, {{COL_URL, "no dates"}});
    SortList(List, COL_LAST_MODIFIED);
    Texts gmt = TestColumnTexts(List, COL_LAST_MODIFIED);

    AppSettings.ShowTimeInGMT = 0;
    RedisplayDates(List);
    Texts local = TestColumnTexts(List, COL_LAST_MODIFIED);
    EXPECT_EQ(local, TestColumnTexts(List, COL_SERVER_TIME));
    for (const auto &c : cells) {
        std::string shown = DateCell(c.Gmt[0], c.Gmt[1], c.Gmt[2], c.Gmt[3], c.Gmt[4], c.Gmt[5]);
        int row = 0;
        while (row < (int)gmt.size() && gmt[row] != shown)
            row++;
        ASSERT_LT(row, (int)gmt.size());
        EXPECT_EQ(local[row], c.Local) << shown;
    }
    EXPECT_EQ(TestColumnTexts(List, COL_EXPIRE_TIME), (Texts{"", "", "", "", ""}));
    EXPECT_EQ(SortedBy(COL_LAST_MODIFIED, COL_LAST_MODIFIED), local) << "the shift keeps the order";

    AppSettings.ShowTimeInGMT = 1;
    RedisplayDates(List);
    EXPECT_EQ(TestColumnTexts(List, COL_LAST_MODIFIED), gmt);
    EXPECT_EQ(TestColumnTexts(List, COL_SERVER_TIME), gmt);
}

// Many rows of random sizes and dates in both directions: every neighbour
// pair in order, rows of equal keys in the order they had before the sort.
TEST_F(SortTest, ManyRowsInOrderAndStable)
{
    unsigned seed = 12345;
    for (int i = 0; i < 3001; i++) {
        seed = seed * 1103515245u + 12345u;
        std::string date = HttpDate((WORD)(2005 + seed % 3), (WORD)(1 + (seed >> 4) % 12), (WORD)(1 + (seed >> 8) % 28),
                                    (WORD)((seed >> 12) % 24), 0, 0);
        char size[32], name[32];
        wsprintfA(size, "%u", (seed >> 3) % 500);
        wsprintfA(name, "%05d", i);
        CacheRow row = {{name, "", "", size, "", date.c_str(), "", "", "", name}, 0, 0};
        AppendStoreRow(&row, 0);
    }
    ShowTestRows(List);
    for (int key : {(int)COL_FILE_SIZE, COL_LAST_MODIFIED | SORT_KEY_DESCENDING, COL_FILE_SIZE | SORT_KEY_DESCENDING}) {
        SortList(List, COL_FILENAME);
        SortList(List, key);
        int column = key & SORT_KEY_COLUMN_MASK, sign = (key & SORT_KEY_DESCENDING) ? -1 : 1;
        for (int i = 1; i < RowView.ShownCount; i++) {
            int a = RowView.Shown[i - 1], b = RowView.Shown[i];
            int result = sign * CompareStoredRows(a, b, column);
            ASSERT_LE(result, 0) << key << " at " << i;
            if (result == 0) {
                ASSERT_LT(a, b) << key << " tie at " << i;
            }
        }
    }
}
