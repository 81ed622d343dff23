// Payload extraction: lengths and bytes of the target, create modes, the
// Last-Modified stamp and every failure with its message. Runs in the
// default zone Asia/Kolkata (+5:30), so local clock readings differ from GMT.
#include <gtest/gtest.h>

#include "cache_writer.h"
#include "test_util.h"

namespace {

std::string Pattern(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; i++)
        bytes[i] = (char)((i * 31 + seed * 7 + (i >> 9)) & 0xFF);
    return bytes;
}

class ExtractTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Folder = MakeTempDir("extract");
        ASSERT_FALSE(Folder.empty());
        SharedReadBuffer = (unsigned char *)GlobalAlloc(GPTR, SHARED_READ_BUFFER_SIZE);
        AppSettings.ShowTimeInGMT = 1;
        Owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
    }
    void TearDown() override
    {
        DestroyWindow(Owner);
        if (SharedReadBuffer)
            GlobalFree(SharedReadBuffer);
        SharedReadBuffer = NULL;
        RemoveTree(Folder);
    }
    std::string Put(const std::string &name, const std::string &bytes)
    {
        std::string path = Folder + "\\" + name;
        EXPECT_TRUE(WriteBytesToFile(path, bytes));
        return path;
    }
    std::string PutRecipe(const std::string &name, const CacheFileRecipe &recipe) { return Put(name, BuildCacheFile(recipe)); }
    // Last-write time of a file as a SYSTEMTIME (the stored file time taken as is).
    SYSTEMTIME WriteTime(const std::string &path)
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        SYSTEMTIME st = {};
        if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
            FileTimeToSystemTime(&data.ftLastWriteTime, &st);
        return st;
    }

    std::string Folder;
    HWND Owner = NULL;
};

struct SizeCase {
    const char *Name;
    size_t Present;          // payload bytes in the file
    int64_t Declared;        // stored payload size (-1: the present count)
    size_t ExpectedLength;
};

TEST_F(ExtractTest, TargetLengthIsTheLargerOfStoredAndPresentBytes)
{
    const SizeCase cases[] = {
        {"empty", 0, 0, 0},
        {"stored 1000, 600 present", 600, 1000, 1000},
        {"stored 100, 150 present", 150, 100, 150},
        {"three chunks", 300000, -1, 300000},
        {"exactly one buffer after the header", 131072, -1, 131072},
    };
    for (const SizeCase &c : cases) {
        CacheFileRecipe recipe;
        recipe.Payload = Pattern(c.Present, (unsigned)c.Present);
        recipe.DeclaredPayloadSize = c.Declared;
        std::string cache = PutRecipe("cache", recipe);
        std::string target = Folder + "\\out.bin";
        BoxCapture capture;
        EXPECT_EQ(ExtractPayload(Owner, cache.c_str(), target.c_str(), 1), 1) << c.Name;
        EXPECT_TRUE(capture.Boxes.empty()) << c.Name;
        std::string written = ReadFileBytes(target);
        ASSERT_EQ(written.size(), c.ExpectedLength) << c.Name;
        EXPECT_EQ(written.substr(0, c.Present), recipe.Payload) << c.Name;
        EXPECT_EQ(written.substr(c.Present), std::string(c.ExpectedLength - c.Present, '\0')) << c.Name;
    }
}

// A 300-byte header (payload size included): the first read carries the
// header and 130,772 payload bytes, then two more chunks follow.
TEST_F(ExtractTest, HeaderOf300BytesWithLargePayload)
{
    CacheFileRecipe recipe;
    CacheFileLayout layout;
    BuildCacheFile(recipe, &layout);
    recipe.Host = std::string(recipe.Host.size() + 300 - layout.Payload, 'h');
    recipe.Payload = Pattern(300000, 5);
    std::string bytes = BuildCacheFile(recipe, &layout);
    ASSERT_EQ(layout.Payload, 300u);
    std::string cache = Put("cache", bytes);
    std::string target = Folder + "\\big.bin";
    ASSERT_EQ(ExtractPayload(Owner, cache.c_str(), target.c_str(), 0), 1);
    EXPECT_EQ(ReadFileBytes(target), recipe.Payload);
}

TEST_F(ExtractTest, ExistingTargetFailsWithoutOverwriteAndIsReplacedWithIt)
{
    CacheFileRecipe recipe;
    recipe.Payload = "new payload";
    std::string cache = PutRecipe("cache", recipe);
    std::string target = Put("exists.txt", "old contents");
    {
        BoxCapture capture;
        EXPECT_EQ(ExtractPayload(Owner, cache.c_str(), target.c_str(), 0), 0);
        ASSERT_EQ(capture.Boxes.size(), 1u);
        EXPECT_EQ(TrimBreaks(capture.Boxes[0].Text),
                  TrimBreaks("Could not open file for writing: " + target + "\n\n" + SystemText(ERROR_FILE_EXISTS)));
        EXPECT_EQ(capture.Boxes[0].Owner, Owner);
        EXPECT_EQ(ReadFileBytes(target), "old contents");
    }
    EXPECT_EQ(ExtractPayload(Owner, cache.c_str(), target.c_str(), 1), 1);
    EXPECT_EQ(ReadFileBytes(target), "new payload");
}

struct TimeCase {
    const char *Name;
    std::vector<std::pair<std::string, std::string>> Headers;
    int Gmt;
    WORD Day, Hour, Minute, Second;  // expected stored instant (UTC); Day 0: no stamp
};

TEST_F(ExtractTest, LastModifiedStampsTheTarget)
{
    const char *date = "Sun, 06 Nov 1994 08:49:37 GMT";
    const TimeCase cases[] = {
        {"GMT", {{"Last-Modified", date}}, 1, 6, 8, 49, 37},
        // Asia/Kolkata is 5:30 ahead; the local display changes nothing:
        // a file time is the instant itself.
        {"local display stamps the instant", {{"Last-Modified", date}}, 0, 6, 8, 49, 37},
        {"name in lower case", {{"last-modified", date}}, 1, 6, 8, 49, 37},
        {"longer name does not count", {{"Last-Modified-Date", date}}, 1, 0, 0, 0, 0},
        {"second unparsable keeps the first", {{"Last-Modified", date}, {"Last-Modified", "soon"}}, 1, 6, 8, 49, 37},
        {"last parsable wins",
         {{"Last-Modified", date}, {"Etag", "x"}, {"Last-Modified", "Mon, 07 Nov 1994 23:59:59 GMT"}}, 1, 7, 23, 59, 59},
        {"no shift across midnight", {{"Last-Modified", "Mon, 07 Nov 1994 23:59:59 GMT"}}, 0, 7, 23, 59, 59},
        {"invalid calendar date is ignored", {{"Last-Modified", "Sun, 31 Feb 1994 08:49:37 GMT"}}, 1, 0, 0, 0, 0},
    };
    for (const TimeCase &c : cases) {
        AppSettings.ShowTimeInGMT = c.Gmt;
        CacheFileRecipe recipe;
        recipe.Headers = c.Headers;
        recipe.Payload = "x";
        std::string cache = PutRecipe("cache", recipe);
        std::string target = Folder + "\\stamped.txt";
        ASSERT_EQ(ExtractPayload(Owner, cache.c_str(), target.c_str(), 1), 1) << c.Name;
        SYSTEMTIME st = WriteTime(target);
        if (c.Day == 0) {
            EXPECT_GT(st.wYear, 2000) << c.Name;  // the time of writing
            continue;
        }
        EXPECT_EQ(st.wYear, 1994) << c.Name;
        EXPECT_EQ(st.wMonth, 11) << c.Name;
        EXPECT_EQ(st.wDay, c.Day) << c.Name;
        EXPECT_EQ(st.wHour, c.Hour) << c.Name;
        EXPECT_EQ(st.wMinute, c.Minute) << c.Name;
        EXPECT_EQ(st.wSecond, c.Second) << c.Name;
    }
}

TEST_F(ExtractTest, EmptyPayloadKeepsItsLastModifiedTime)
{
    CacheFileRecipe recipe;
    recipe.Headers = {{"Last-Modified", "Sun, 06 Nov 1994 08:49:37 GMT"}};
    std::string cache = PutRecipe("cache", recipe);
    std::string target = Folder + "\\empty.txt";
    ASSERT_EQ(ExtractPayload(Owner, cache.c_str(), target.c_str(), 0), 1);
    EXPECT_EQ(ReadFileBytes(target).size(), 0u);
    EXPECT_EQ(WriteTime(target).wYear, 1994);
}

// A header case: the file as built, optionally cut at a length that the
// built layout gives.
using CutRule = size_t (*)(const CacheFileLayout &);
struct HeaderFailureCase {
    const char *Name;
    CacheFileRecipe Recipe;
    CutRule Cut;  // null: keep the whole file
    const char *Message;
};

TEST_F(ExtractTest, BadHeadersFailBeforeTheTargetIsCreated)
{
    const char *outOfBounds = "Cache file header is out of bounds\n\n";
    const char *invalid = "Unknown or invalid cache file header\n\n";
    CacheFileRecipe normal;
    normal.Headers = {{"Content-Type", "text/plain"}, {"Last-Modified", "Sun, 06 Nov 1994 08:49:37 GMT"}};
    normal.Payload = "payload";
    CacheFileRecipe lead3 = normal, second0 = normal, hugeValue = normal, hugeHeader = normal;
    lead3.LeadWord = 3;
    second0.SecondWord = 0;
    hugeValue.Query = {{"q", "v", 0x7FFFFFF0}};
    hugeHeader.Headers.push_back({"X-Big", std::string(140000, 'v')});
    const HeaderFailureCase cases[] = {
        {"lead word 3", lead3, nullptr, invalid},
        {"second word 0", second0, nullptr, invalid},
        {"ten bytes", normal, [](const CacheFileLayout &) -> size_t { return 10; }, invalid},
        {"nineteen bytes", normal, [](const CacheFileLayout &) -> size_t { return 19; }, invalid},
        {"twenty bytes", normal, [](const CacheFileLayout &) -> size_t { return 20; }, outOfBounds},
        {"host without its NUL", normal, [](const CacheFileLayout &l) { return l.Host + 3; }, outOfBounds},
        {"pair count cut", normal, [](const CacheFileLayout &l) { return l.PairCount + 2; }, outOfBounds},
        {"query count cut", normal, [](const CacheFileLayout &l) { return l.QueryCount + 3; }, outOfBounds},
        {"status cut", normal, [](const CacheFileLayout &l) { return l.Status + 1; }, outOfBounds},
        {"header count missing", normal, [](const CacheFileLayout &l) { return l.HeaderCount; }, outOfBounds},
        {"header name cut", normal, [](const CacheFileLayout &l) { return l.HeaderNames[1] + 4; }, outOfBounds},
        {"payload size cut", normal, [](const CacheFileLayout &l) { return l.PayloadSize + 3; }, outOfBounds},
        {"query value length past the read", hugeValue, nullptr, outOfBounds},
        {"header beyond 131,072 bytes", hugeHeader, nullptr, outOfBounds},
    };
    for (const HeaderFailureCase &c : cases) {
        CacheFileLayout layout;
        std::string bytes = BuildCacheFile(c.Recipe, &layout);
        if (c.Cut)
            bytes.resize(c.Cut(layout));
        std::string cache = Put("cache", bytes);
        std::string target = Folder + "\\never.txt";
        BoxCapture capture;
        EXPECT_EQ(ExtractPayload(Owner, cache.c_str(), target.c_str(), 1), 0) << c.Name;
        ASSERT_EQ(capture.Boxes.size(), 1u) << c.Name;
        EXPECT_EQ(capture.Boxes[0].Text, c.Message + cache) << c.Name;
        EXPECT_FALSE(FileExists(target)) << c.Name;
    }
}

TEST_F(ExtractTest, HugePairCountEndsWithinTheRead)
{
    CacheFileRecipe recipe;
    recipe.Pairs = {{"a", "b"}};
    CacheFileLayout layout;
    std::string bytes = BuildCacheFile(recipe, &layout);
    bytes[layout.PairCount] = '\xFF';
    bytes[layout.PairCount + 1] = '\xFF';
    bytes[layout.PairCount + 2] = '\xFF';
    bytes[layout.PairCount + 3] = '\xFF';
    std::string cache = Put("cache", bytes);
    BoxCapture capture;
    EXPECT_EQ(ExtractPayload(Owner, cache.c_str(), (Folder + "\\t").c_str(), 1), 0);
    ASSERT_EQ(capture.Boxes.size(), 1u);
    EXPECT_EQ(capture.Boxes[0].Text, "Cache file header is out of bounds\n\n" + cache);
}

TEST_F(ExtractTest, OpenAndBufferFailures)
{
    std::string missing = Folder + "\\00\\missing";
    std::string target = Folder + "\\t.txt";
    {
        BoxCapture capture;
        EXPECT_EQ(ExtractPayload(Owner, missing.c_str(), target.c_str(), 1), 0);
        ASSERT_EQ(capture.Boxes.size(), 1u);
        EXPECT_EQ(TrimBreaks(capture.Boxes[0].Text),
                  TrimBreaks("Could not open cache file: " + missing + "\n\n" + SystemText(ERROR_PATH_NOT_FOUND)));
    }
    std::string cache = PutRecipe("cache", CacheFileRecipe());
    GlobalFree(SharedReadBuffer);
    SharedReadBuffer = NULL;
    BoxCapture capture;
    EXPECT_EQ(ExtractPayload(Owner, cache.c_str(), target.c_str(), 1), 0);
    EXPECT_TRUE(capture.Boxes.empty());
    EXPECT_FALSE(FileExists(target));
}

TEST_F(ExtractTest, TargetInMissingFolderIsReported)
{
    CacheFileRecipe recipe;
    recipe.Payload = "abc";
    std::string cache = PutRecipe("cache", recipe);
    std::string target = Folder + "\\no\\such\\folder.txt";
    BoxCapture capture;
    EXPECT_EQ(ExtractPayload(Owner, cache.c_str(), target.c_str(), 1), 0);
    ASSERT_EQ(capture.Boxes.size(), 1u);
    EXPECT_EQ(TrimBreaks(capture.Boxes[0].Text),
              TrimBreaks("Could not open file for writing: " + target + "\n\n" + SystemText(ERROR_PATH_NOT_FOUND)));
}

// Stored sizes of 2 GiB and more are pre-sized with a 64-bit position (the
// file is sparse, so this costs no disk space).
TEST_F(ExtractTest, StoredSizeAbove2GiBPreSizesTheTarget)
{
    CacheFileRecipe recipe;
    recipe.Payload = "head";
    recipe.DeclaredPayloadSize = 0x90000000LL;
    std::string cache = PutRecipe("cache", recipe);
    std::string target = Folder + "\\huge.bin";
    ASSERT_EQ(ExtractPayload(Owner, cache.c_str(), target.c_str(), 1), 1);
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_EQ(data.nFileSizeLow, 0x90000000u);
    DeleteFileA(target.c_str());
}

}  // namespace
