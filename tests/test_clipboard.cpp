// The clipboard text: the tab-delimited rows read back from the real
// clipboard, its exact measured size, the -1 and URL-only column masks.
#include <gtest/gtest.h>

#include "test_report_list.h"

#include <thread>

namespace {

const char *const Rows[][COLUMN_COUNT] = {
    {"a.png", "http://x.example/a.png", "image/png", "1,024", "", "", "", "HTTP/1.1 200 OK", "\"e1\"", "0a11"},
    {"b.js", "http://x.example/b.js", "text/javascript", "77", "", "", "", "HTTP/1.1 200 OK", "", "1b22"},
    {"c.html", "http://y.example/c?q=1", "text/html", "5", "", "", "", "HTTP/1.1 304", "", "ff33"},
    {"d.css", "http://y.example/d.css", "text/css", "9", "", "", "", "HTTP/1.1 200 OK", "", "0c44"},
};

// The clipboard's CF_TEXT as bytes up to its zero, read inside the process.
std::string ReadClipboard(HWND owner, SIZE_T *blockSize = nullptr)
{
    std::string text;
    if (!OpenClipboard(owner))
        return "<cannot open>";
    HANDLE data = GetClipboardData(CF_TEXT);
    const char *bytes = data ? (const char *)GlobalLock(data) : nullptr;
    if (bytes) {
        text = bytes;
        if (blockSize)
            *blockSize = GlobalSize(data);
        GlobalUnlock(data);
    } else {
        text = "<no text>";
    }
    CloseClipboard();
    return text;
}

struct ClipboardCase {
    const char *Name;
    int Mask;
    int Visible;
    const char *Expected;
};

TEST(Clipboard, SelectedRowsAsTabDelimitedText)
{
    ReportList list;
    list.Add(Rows[0]);
    list.Add(Rows[1], false);
    list.Add(Rows[2]);
    list.Add(Rows[3]);
    const int nameSizeEtag = Bit(COL_FILENAME) | Bit(COL_FILE_SIZE) | Bit(COL_ETAG);
    const ClipboardCase cases[] = {
        {"visible columns, no header", -1, nameSizeEtag, "a.png\t1,024\t\"e1\"\r\nc.html\t5\t\r\nd.css\t9\t\r\n"},
        {"URLs only, whatever is visible", 2, nameSizeEtag,
         "http://x.example/a.png\r\nhttp://y.example/c?q=1\r\nhttp://y.example/d.css\r\n"},
        {"explicit mask ignores visibility", Bit(COL_CACHE_FILE) | Bit(COL_FILENAME), Bit(COL_URL),
         "a.png\t0a11\r\nc.html\tff33\r\nd.css\t0c44\r\n"},
        {"hidden columns left out, ColumnId order", -1, Bit(COL_CACHE_FILE) | Bit(COL_CONTENT_TYPE),
         "image/png\t0a11\r\ntext/html\tff33\r\ntext/css\t0c44\r\n"},
        {"empty cells keep their tabs", -1, Bit(COL_SERVER_TIME) | Bit(COL_LAST_MODIFIED), "\t\r\n\t\r\n\t\r\n"},
    };
    for (const ClipboardCase &c : cases) {
        list.Show(c.Visible);
        DWORD measured = MeasureClipboardText(list.List, c.Mask);
        EXPECT_TRUE(CopyRowsToClipboard(list.Owner, list.List, c.Mask)) << c.Name;
        SIZE_T block = 0;
        std::string text = ReadClipboard(list.Owner, &block);
        EXPECT_EQ(text, c.Expected) << c.Name;
        EXPECT_EQ(measured, text.size() + 1) << c.Name;
        EXPECT_GE(block, (SIZE_T)measured) << c.Name;
    }
}

TEST(Clipboard, ScreenOrderDoesNotChangeColumnOrder)
{
    ReportList list;
    list.Add(Rows[0]);
    int order[COLUMN_COUNT] = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    ASSERT_TRUE(SendMessageA(list.List, LVM_SETCOLUMNORDERARRAY, COLUMN_COUNT, (LPARAM)order));
    list.Show(Bit(COL_FILENAME) | Bit(COL_CACHE_FILE));
    ASSERT_TRUE(CopyRowsToClipboard(list.Owner, list.List, -1));
    EXPECT_EQ(ReadClipboard(list.Owner), "a.png\t0a11\r\n");
}

// Cells of 1,024 characters and more go whole into the clipboard block,
// measured exactly.
TEST(Clipboard, LongCellsAreWholeAndMeasuredExactly)
{
    ReportList list;
    std::string longUrl(1500, 'u'), exact(1024, 'v'), fits(1023, 'w');
    const char *const row[COLUMN_COUNT] = {"n", longUrl.c_str(), exact.c_str(), fits.c_str(), "", "", "", "", "", "z"};
    list.Add(row);
    list.Add(row);
    const int mask = Bit(COL_URL) | Bit(COL_CONTENT_TYPE) | Bit(COL_FILE_SIZE) | Bit(COL_CACHE_FILE);
    std::string line = longUrl + "\t" + exact + "\t" + fits + "\tz\r\n";
    DWORD measured = MeasureClipboardText(list.List, mask);
    EXPECT_EQ(measured, 2 * line.size() + 1);
    ASSERT_TRUE(CopyRowsToClipboard(list.Owner, list.List, mask));
    EXPECT_EQ(ReadClipboard(list.Owner), line + line);
}

TEST(Clipboard, ClipboardHeldByAnotherThreadChangesNothing)
{
    ReportList list;
    list.Add(Rows[0]);
    ASSERT_TRUE(CopyRowsToClipboard(list.Owner, list.List, 1));
    // The clipboard is locked per thread: hold it open from a second one.
    HANDLE opened = CreateEventA(NULL, TRUE, FALSE, NULL), release = CreateEventA(NULL, TRUE, FALSE, NULL);
    std::thread holder([&] {
        BOOL held = OpenClipboard(NULL);
        SetEvent(opened);
        WaitForSingleObject(release, 10000);
        if (held)
            CloseClipboard();
    });
    ASSERT_EQ(WaitForSingleObject(opened, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(CopyRowsToClipboard(list.Owner, list.List, 2), 0);
    SetEvent(release);
    holder.join();
    CloseHandle(opened);
    CloseHandle(release);
    EXPECT_EQ(ReadClipboard(list.Owner), "a.png\r\n");
}

}  // namespace
