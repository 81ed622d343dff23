// Entry reader: each failure's message, row and result; the column texts,
// icon and item data of the row a cache file becomes.
#include <gtest/gtest.h>

#include <map>

#include "cache_writer.h"
#include "test_list.h"
#include "test_util.h"

// The ten-column test list standing in for the
// program's list view; the owner window receives the error boxes.
class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, NULL, NULL, NULL, NULL);
        List = CreateTestList(Owner, 100);
        SharedReadBuffer = (unsigned char *)GlobalAlloc(GPTR, SHARED_READ_BUFFER_SIZE);
        Dir = MakeTempDir("reader");
        Bucket = Dir + "\\0a";
        CreateDirectoryA(Bucket.c_str(), NULL);
        AppSettings.ShowTimeInGMT = 1;
    }
    void TearDown() override
    {
        GlobalFree(SharedReadBuffer);
        SharedReadBuffer = nullptr;
        DestroyWindow(Owner);
        RemoveTree(Dir);
    }
    std::string Write(const std::string &bytes, const char *name = "0a1b2c3d4e5f")
    {
        std::string path = Bucket + "\\" + name;
        EXPECT_TRUE(WriteBytesToFile(path, bytes));
        return path;
    }
    // Reads a file of bucket 0a into the store, which the list then shows.
    int Read(const std::string &path)
    {
        int result = ReadCacheEntry(Owner, path.c_str(), 0x0a);
        ShowTestRows(List);
        return result;
    }
    void Clear()
    {
        ClearRowStore();
        ShowTestRows(List);
    }
    int Rows() { return (int)SendMessageA(List, LVM_GETITEMCOUNT, 0, 0); }
    // The store's whole text; the list's shows up to 1,023 characters.
    std::string Cell(int row, int column) { return RowText(ShownRowAt(row), column); }
    const StoredRow &Item(int row) { return RowStore.Rows[ShownRowAt(row)]; }
    HWND Owner, List;
    std::string Dir, Bucket;
};

static CacheFileSpec Recipe()
{
    CacheFileSpec s;
    s.Host = "host1";
    s.Path = "/a/b.php";
    return s;
}

// The file cut `extra` bytes after (or before) the start of a field.
static std::string Cut(const CacheFileSpec &recipe, size_t CacheFileLayout::*field, ptrdiff_t extra)
{
    CacheFileLayout l;
    std::string bytes = BuildCacheFile(recipe, &l);
    return bytes.substr(0, (size_t)((ptrdiff_t)(l.*field) + extra));
}

struct FailureCase {
    const char *Name;
    std::string Bytes;
    const char *Message;  // followed by "\n\n" and the path; null: no box
    bool Row;
    int Result;
};

TEST_F(ReaderTest, FailureTableMessageRowAndResult)
{
    const char *tooSmall = "File is too small to contain cache file header";
    const char *invalid = "Unknown or invalid cache file header";
    const char *bounds = "Cache file header is out of bounds";
    CacheFileSpec lead3 = Recipe(), second0 = Recipe(), oneHeader = Recipe(), longHeader = Recipe(), hugeQuery = Recipe();
    lead3.LeadWord = 3;
    second0.SecondWord = 0;
    oneHeader.Headers = {{"X-A", "v"}};
    longHeader.Headers = {{"X-Pad", std::string(4100, 'p')}};
    longHeader.Payload = "payload";
    hugeQuery.Query = {{"x", "1", 0xFFFFFFF0u}};
    CacheFileLayout l;
    std::string valid = BuildCacheFile(Recipe(), &l);
    std::string badPairs = valid;
    badPairs[l.PairCount + 3] = 0x7F;

    const FailureCase cases[] = {
        {"empty", "", tooSmall, false, 1},
        {"19 bytes", valid.substr(0, 19), tooSmall, false, 1},
        {"lead word 3", BuildCacheFile(lead3), invalid, false, 1},
        {"second word 0", BuildCacheFile(second0), invalid, false, 1},
        {"20 bytes", valid.substr(0, 20), bounds, false, 1},
        {"host without end", Cut(Recipe(), &CacheFileLayout::Path, -2), bounds, false, 1},
        {"no room for pair count", Cut(Recipe(), &CacheFileLayout::PairCount, 3), bounds, false, 1},
        {"huge pair count", badPairs, bounds, false, 1},
        {"value length past the end", BuildCacheFile(hugeQuery), bounds, false, 1},
        {"no status code", Cut(Recipe(), &CacheFileLayout::Status, 2), bounds, false, 1},
        {"payload size cut, no headers", Cut(Recipe(), &CacheFileLayout::PayloadSize, 3), bounds, false, 1},
        {"last value ends 2 bytes before the end", Cut(oneHeader, &CacheFileLayout::PayloadSize, 2), bounds, false, 1},
        {"header beyond the first 4,096 bytes", BuildCacheFile(longHeader), bounds, false, 1},
        {"valid", valid, nullptr, true, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        Clear();
        std::string path = Write(c.Bytes);
        BoxCapture capture;
        EXPECT_EQ(Read(path), c.Result);
        EXPECT_EQ(Rows(), c.Row ? 1 : 0);
        if (!c.Message) {
            EXPECT_TRUE(capture.Boxes.empty());
            continue;
        }
        ASSERT_EQ(capture.Boxes.size(), 1u);
        EXPECT_EQ(capture.Boxes[0].Text, std::string(c.Message) + "\n\n" + path);
        EXPECT_EQ(capture.Boxes[0].Caption, "Error");
        EXPECT_EQ(capture.Boxes[0].Owner, Owner);
    }
}

TEST_F(ReaderTest, MissingFileIsReportedAndTheScanGoesOn)
{
    std::string path = Bucket + "\\missing";
    BoxCapture capture;
    EXPECT_EQ(Read(path), 1);
    EXPECT_EQ(Rows(), 0);
    ASSERT_EQ(capture.Boxes.size(), 1u);
    EXPECT_EQ(TrimBreaks(capture.Boxes[0].Text),
              TrimBreaks("Could not open cache file: " + path + "\n\n" + SystemText(ERROR_FILE_NOT_FOUND)));
}

TEST_F(ReaderTest, WithoutReadBufferStopsSilently)
{
    std::string path = Write(BuildCacheFile(Recipe()));
    GlobalFree(SharedReadBuffer);
    SharedReadBuffer = nullptr;
    BoxCapture capture;
    EXPECT_EQ(Read(path), 0);
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(capture.Boxes.empty());
}

// A pipe whose server goes away once the reader has connected makes the
// read itself fail, which no ordinary file does.
static DWORD WINAPI DropPipeClient(LPVOID pipe)
{
    ConnectNamedPipe((HANDLE)pipe, NULL);
    DisconnectNamedPipe((HANDLE)pipe);
    return 0;
}

TEST_F(ReaderTest, FailedReadIsReportedAndTheBucketGoesOn)
{
    const char *path = "\\\\.\\pipe\\marrowick_reader_test";
    HANDLE pipe = CreateNamedPipeA(path, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, NULL);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    HANDLE thread = CreateThread(NULL, 0, DropPipeClient, pipe, 0, NULL);
    BoxCapture capture;
    EXPECT_EQ(ReadCacheEntry(Owner, path, 0x0a), 1);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    CloseHandle(pipe);
    EXPECT_EQ(Rows(), 0);
    ASSERT_EQ(capture.Boxes.size(), 1u);
    std::string lead = std::string("Error reading file: ") + path + "\n\n";
    EXPECT_EQ(capture.Boxes[0].Text.substr(0, lead.size()), lead);
    EXPECT_GT(capture.Boxes[0].Text.size(), lead.size());  // the system's text follows
}

// Expected texts by column; columns not named are empty.
struct RowCase {
    const char *Name;
    CacheFileSpec Recipe;
    std::map<int, std::string> Texts;
    unsigned int ItemData;
};

static std::vector<RowCase> RowCases()
{
    std::vector<RowCase> cases;
    CacheFileSpec s = Recipe();
    s.DeclaredPayloadSize = 1234;
    cases.push_back({"no response headers", s,
                     {{COL_FILENAME, "b.php"}, {COL_URL, "http://host1/a/b.php"}, {COL_FILE_SIZE, "1,234"},
                      {COL_SERVER_RESPONSE, "HTTP/1.1 200 OK"}},
                     1234});
    s = Recipe();
    s.Headers = {{"Content-Length", "5000"}};
    cases.push_back({"content length over payload size", s,
                     {{COL_FILENAME, "b.php"}, {COL_URL, "http://host1/a/b.php"}, {COL_FILE_SIZE, "5,000"},
                      {COL_SERVER_RESPONSE, "HTTP/1.1 200 OK"}},
                     0});
    s = Recipe();
    s.Status = 304;
    s.Payload = "abc";
    s.Headers = {{"Content-Type", "text/plain"}, {"content-type", "image/png; q=1"}, {"Content-Type2", "a/b"},
                 {"X-Content-Type", "c/d"}, {"ETAG", "\"e1\""}, {"Etag", "\"e2\""}, {"Content-Length", " 12"}};
    cases.push_back({"last header wins, whole names only, any case", s,
                     {{COL_FILENAME, "b.php"}, {COL_URL, "http://host1/a/b.php"}, {COL_CONTENT_TYPE, "image/png"},
                      {COL_FILE_SIZE, " 12"}, {COL_SERVER_RESPONSE, "HTTP/1.1 304"}, {COL_ETAG, "\"e2\""}},
                     3});
    s = Recipe();
    s.Path = "/a/b.php?v=2";
    s.Query = {{"x", "1"}, {"y", "two"}, {"z", "abc"}, {"w", std::string("a\0b", 3)}};
    s.Status = 404;
    cases.push_back({"query arguments", s,
                     {{COL_FILENAME, "b.php?v=2"}, {COL_URL, "http://host1/a/b.php?v=2?x=1&y=two&z=abc&w=a"},
                      {COL_FILE_SIZE, "0"}, {COL_SERVER_RESPONSE, "HTTP/1.1 404 Not Found"}},
                     0});
    s = Recipe();
    s.Path = "/dl/get";
    s.Query = {{"id", "5"}};
    s.Status = 500;
    s.Headers = {{"Date", "Sun, 06 Nov 1994 08:49:37 GMT"}, {"Last-Modified", "Sunday, 06-Nov-94 08:49:37 GMT"},
                 {"Expires", "Mon, 07 Nov 1994 18:00:00 GMT"},
                 {"Content-Disposition", "attachment; filename=\"report 1.pdf\""}};
    cases.push_back({"dates and attachment name", s,
                     {{COL_FILENAME, "report 1.pdf"}, {COL_URL, "http://host1/dl/get?id=5"}, {COL_FILE_SIZE, "0"},
                      {COL_SERVER_TIME, "11/6/1994 8:49:37 AM"}, {COL_EXPIRE_TIME, "11/7/1994 6:00:00 PM"},
                      {COL_SERVER_RESPONSE, "HTTP/1.1 500"}},
                     0});
    s.Headers.push_back({"Content-Disposition", "inline"});
    cases.push_back({"last disposition without a name", s,
                     {{COL_FILENAME, "get"}, {COL_URL, "http://host1/dl/get?id=5"}, {COL_FILE_SIZE, "0"},
                      {COL_SERVER_TIME, "11/6/1994 8:49:37 AM"}, {COL_EXPIRE_TIME, "11/7/1994 6:00:00 PM"},
                      {COL_SERVER_RESPONSE, "HTTP/1.1 500"}},
                     0});
    s = Recipe();
    s.Path = "/" + std::string(1100, 'p');
    cases.push_back({"a URL of more than 1,023 characters whole", s,
                     {{COL_FILENAME, std::string(1100, 'p')}, {COL_URL, "http://host1/" + std::string(1100, 'p')},
                      {COL_FILE_SIZE, "0"}, {COL_SERVER_RESPONSE, "HTTP/1.1 200 OK"}},
                     0});
    return cases;
}

TEST_F(ReaderTest, RowTexts)
{
    for (const RowCase &c : RowCases()) {
        SCOPED_TRACE(c.Name);
        Clear();
        std::string path = Write(BuildCacheFile(c.Recipe));
        BoxCapture capture;
        ASSERT_EQ(Read(path), 1);
        EXPECT_TRUE(capture.Boxes.empty());
        ASSERT_EQ(Rows(), 1);
        for (int column = 0; column < COLUMN_COUNT; column++) {
            std::string expected = column == COL_CACHE_FILE ? "0a1b2c3d4e5f" : "";
            auto it = c.Texts.find(column);
            if (it != c.Texts.end())
                expected = it->second;
            EXPECT_EQ(Cell(0, column), expected) << "column " << column;
        }
        EXPECT_EQ(Item(0).PayloadSize, c.ItemData);
    }
}

TEST_F(ReaderTest, RowsAreAppendedWithTheFileTypeIcon)
{
    CacheFileSpec png = Recipe(), bare = Recipe();
    png.Path = "/img/logo.png";
    bare.Path = "/feed";
    std::string first = Write(BuildCacheFile(png), "0a01");
    std::string second = Write(BuildCacheFile(bare), "0a02");
    ASSERT_EQ(Read(first), 1);
    ASSERT_EQ(Read(second), 1);
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(Cell(0, COL_CACHE_FILE), "0a01");
    EXPECT_EQ(Cell(1, COL_CACHE_FILE), "0a02");
    EXPECT_EQ(Item(0).IconIndex, GetExtensionIcon(".png"));
    EXPECT_EQ(Item(1).IconIndex, DefaultFileIcon);
    EXPECT_EQ(Item(1).Bucket, 0x0a);
}

TEST_F(ReaderTest, LocalTimeFollowsTheSetting)
{
    CacheFileSpec s = Recipe();
    s.Headers = {{"Date", "Sun, 06 Nov 1994 08:49:37 GMT"}};
    std::string path = Write(BuildCacheFile(s));
    AppSettings.ShowTimeInGMT = 0;
    ASSERT_EQ(Read(path), 1);
    EXPECT_EQ(Cell(0, COL_SERVER_TIME), "11/6/1994 2:19:37 PM");  // Asia/Kolkata, +5:30
}
