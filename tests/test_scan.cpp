// Folder scan: rows and their order, damaged files amid valid ones, skipped
// entries, progress, title, empty-list text, sorting and reloading.
#include <gtest/gtest.h>

#include "cache_folder.h"
#include "test_list.h"
#include "test_util.h"

#include <string>
#include <vector>

namespace {

std::vector<WPARAM> Progress;          // WM_LOADPROGRESS counts, in order
std::vector<std::string> EmptyTexts;   // WM_SETEMPTYTEXT texts; "<null>" for none
WNDPROC ListViewProc;

LRESULT CALLBACK RecordingMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LOADPROGRESS) {
        Progress.push_back(wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK RecordingListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETEMPTYTEXT) {
        EmptyTexts.push_back(lParam ? (const char *)lParam : "<null>");
        return 0;
    }
    return CallWindowProcA(ListViewProc, window, message, wParam, lParam);
}

class ScanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = RecordingMainProc;
        wc.lpszClassName = "ScanTestMain";
        RegisterClassA(&wc);
        Main = CreateWindowA("ScanTestMain", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, NULL, NULL, NULL, NULL);
        List = CreateTestList(Main, 100);
        ListViewProc = (WNDPROC)SetWindowLongPtrA(List, GWLP_WNDPROC, (LONG_PTR)RecordingListProc);
        Folder = MakeTempDir("scan");
        Progress.clear();
        EmptyTexts.clear();
        AppSettings.SortByColumn = -1;
    }
    void TearDown() override
    {
        DestroyWindow(Main);
        RemoveTree(Folder);
    }
    void Scan(const std::string &folder) { LoadCacheFolder(Main, List, folder.c_str()); }
    std::vector<std::string> CacheFileColumn()
    {
        return TestColumnTexts(List, COL_CACHE_FILE);
    }
    std::string Title()
    {
        char text[1024] = "";
        GetWindowTextA(Main, text, sizeof(text));
        return text;
    }
    HWND Main = NULL, List = NULL;
    std::string Folder;
};

TEST_F(ScanTest, ListsBucketsInOrderAndSkipsWhatIsNoCacheFile)
{
    AddCacheFile(Folder, "ff", "ff01", SimpleCacheSpec("ff01"));
    AddCacheFile(Folder, "0a", "0a01", SimpleCacheSpec("0a01"));
    AddCacheFile(Folder, "00", "0001", SimpleCacheSpec("0001"));
    AddCacheFile(Folder, "00", "0002", SimpleCacheSpec("0002"));
    // Nothing below a bucket folder, nor beside the buckets, is a cache file;
    // neither are folders that merely look like buckets.
    CreateDirectoryA((Folder + "\\0a\\sub").c_str(), NULL);
    AddCacheFile(Folder + "\\0a", "sub", "0a99", SimpleCacheSpec("0a99"));
    WriteCacheFile(Folder + "\\loose", SimpleCacheSpec("loose"));
    AddCacheFile(Folder, "100", "1001", SimpleCacheSpec("1001"));
    AddCacheFile(Folder, "0A0", "0a0x", SimpleCacheSpec("0a0x"));
    // Hidden files are cache files like any other.
    std::string hidden = AddCacheFile(Folder, "7f", "7f01", SimpleCacheSpec("7f01"));
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);

    BoxCapture boxes;
    Scan(Folder);

    EXPECT_EQ(CacheFileColumn(), (std::vector<std::string>{"0001", "0002", "0a01", "7f01", "ff01"}));
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(ScanFileCount, 5);
    EXPECT_EQ(SharedReadBuffer, nullptr);
    char url[256] = "";
    ListView_GetItemText(List, 0, COL_URL, url, sizeof(url));
    EXPECT_STREQ(url, "http://cdn.example.com/0001");
}

// Short files first in their bucket's name order: each shows its box, and
// the valid files after them in the same folder are listed and counted.
TEST_F(ScanTest, ShortFilesDoNotHideTheRestOfTheirBucket)
{
    std::string empty = AddRawCacheFile(Folder, "10", "10a", "");
    std::string cut = AddRawCacheFile(Folder, "10", "10b", BuildCacheFile(SimpleCacheSpec("10b")).substr(0, 19));
    AddCacheFile(Folder, "10", "10c", SimpleCacheSpec("10c"));
    AddCacheFile(Folder, "10", "10d", SimpleCacheSpec("10d"));
    AddCacheFile(Folder, "11", "11a", SimpleCacheSpec("11a"));

    BoxCapture boxes;
    Scan(Folder);

    EXPECT_EQ(CacheFileColumn(), (std::vector<std::string>{"10c", "10d", "11a"}));
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[0].Text, "File is too small to contain cache file header\n\n" + empty);
    EXPECT_EQ(boxes.Boxes[1].Text, "File is too small to contain cache file header\n\n" + cut);
    EXPECT_EQ(boxes.Boxes[0].Owner, Main);
    EXPECT_EQ(ScanFileCount, 5);
}

TEST_F(ScanTest, ReportsProgressEveryFiftyFiles)
{
    struct Case { int Files; std::vector<WPARAM> Expected; };
    const Case cases[] = {
        {0, {0}},
        {49, {0}},
        {50, {0, 50}},
        {100, {0, 50, 100}},
    };
    for (const Case &c : cases) {
        std::string folder = MakeTempDir("progress");
        FillCacheFolder(folder, c.Files);
        Progress.clear();
        Scan(folder);
        EXPECT_EQ(Progress, c.Expected) << c.Files << " files";
        EXPECT_EQ(ScanFileCount, c.Files);
        EXPECT_EQ((int)SendMessageA(List, LVM_GETITEMCOUNT, 0, 0), c.Files);
        RemoveTree(folder);
    }
}

TEST_F(ScanTest, TitleAndEmptyListText)
{
    std::string missing = Folder + "\\missing";
    WIN32_FIND_DATAA entry;
    HANDLE probe = FindFirstFileA((missing + "\\*").c_str(), &entry);
    ASSERT_EQ(probe, INVALID_HANDLE_VALUE);
    std::string missingText = "Could not access cache directory.\n\nError: " + SystemText(GetLastError());

    // A folder that holds files but no bucket folder, and a file named as
    // the folder.
    std::string flat = Folder + "\\flat", file = flat + "\\readme.txt";
    CreateDirectoryA(flat.c_str(), NULL);
    WriteBytesToFile(file, "not a cache");
    const std::string none = "No cache files in this folder.";
    struct Case { std::string Folder; std::string Title; std::vector<std::string> EmptyText; int Access; };
    const Case cases[] = {
        {Folder, "Marrowick:  " + Folder, {"<null>", none}, 1},
        {flat, "Marrowick:  " + flat, {"<null>", none}, 1},
        {missing, "Marrowick:  " + missing, {missingText}, 0},
        {file, "Marrowick:  " + file, {"Could not access cache directory.\n\nNot a folder."}, 0},
        {"", "Marrowick", {"<null>"}, 0},
    };
    for (const Case &c : cases) {
        BoxCapture boxes;
        EmptyTexts.clear();
        Scan(c.Folder);
        EXPECT_EQ(Title(), c.Title);
        EXPECT_EQ(EmptyTexts, c.EmptyText) << c.Folder;
        EXPECT_EQ((int)SendMessageA(List, LVM_GETITEMCOUNT, 0, 0), 0);
        // A missing cache folder makes every bucket fail with "not found":
        // no message box, only the list's text.
        EXPECT_TRUE(boxes.Boxes.empty()) << c.Folder;
        EmptyTexts.clear();
        EXPECT_EQ(CheckCacheFolderAccess(List, c.Folder.c_str()), c.Access) << c.Folder;
    }
}

TEST_F(ScanTest, BucketThatCannotBeListedShowsItsPath)
{
    // A file where a bucket folder belongs cannot be listed for a reason
    // other than "not found".
    WriteBytesToFile(Folder + "\\3c", "not a folder");
    char path[1024];
    wsprintfA(path, "%s\\3c\\*", Folder.c_str());
    WIN32_FIND_DATAA entry;
    if (FindFirstFileA(path, &entry) == INVALID_HANDLE_VALUE &&
        (GetLastError() == ERROR_PATH_NOT_FOUND || GetLastError() == ERROR_FILE_NOT_FOUND))
        GTEST_SKIP() << "this file system reports a file as a missing folder";

    BoxCapture boxes;
    ScanBucketFolder(Main, path, 0x3c);
    EXPECT_EQ(std::string(path), Folder + "\\3c");
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text.rfind("Could not access cache directory: " + Folder + "\\3c\n\n", 0), 0u);
}

TEST_F(ScanTest, BucketCallLeavesTheBucketPath)
{
    AddCacheFile(Folder, "42", "4201", SimpleCacheSpec("4201"));
    const char *buckets[] = {"42", "43"};
    for (const char *bucket : buckets) {
        char path[1024];
        wsprintfA(path, "%s\\%s\\*", Folder.c_str(), bucket);
        SharedReadBuffer = (unsigned char *)GlobalAlloc(GPTR, SHARED_READ_BUFFER_SIZE);
        ScanBucketFolder(Main, path, (int)strtol(bucket, NULL, 16));
        GlobalFree(SharedReadBuffer);
        SharedReadBuffer = NULL;
        EXPECT_EQ(std::string(path), Folder + "\\" + bucket);
    }
}

TEST_F(ScanTest, ReloadReplacesRowsAndSortsByRememberedKey)
{
    AddCacheFile(Folder, "01", "01aa", SimpleCacheSpec("01aa", "c.example.com"));
    AddCacheFile(Folder, "02", "02aa", SimpleCacheSpec("02aa", "a.example.com"));
    AddCacheFile(Folder, "03", "03aa", SimpleCacheSpec("03aa", "b.example.com"));

    struct Case { int Key; std::vector<std::string> Expected; };
    const Case cases[] = {
        {-1, {"01aa", "02aa", "03aa"}},
        {-1, {"01aa", "02aa", "03aa"}},                  // reloading never duplicates
        {COL_URL, {"02aa", "03aa", "01aa"}},
        {COL_CACHE_FILE | 256, {"03aa", "02aa", "01aa"}}, // bit 8: reversed
    };
    for (const Case &c : cases) {
        AppSettings.SortByColumn = c.Key;
        Scan(Folder);
        EXPECT_EQ(CacheFileColumn(), c.Expected) << "key " << c.Key;
    }
}

// A folder of foreign files: every file gives "Unknown or invalid cache
// file header". The first ten boxes come as they are, then one question;
// the answer decides about the rest. Rows and their order never change.
TEST_F(ScanTest, ManyUnreadableFilesAskOnceAfterTenBoxes)
{
    const std::string question = "More cache files could not be read. Show a message for each of them?";
    struct Case {
        int BadFiles;
        int Answer;              // to the question; 0: no question expected
        int ErrorBoxes;          // "Unknown or invalid..." boxes shown
        const char *Summary;     // the last box, or null
    };
    const Case cases[] = {
        {10, 0, 10, nullptr},
        {15, IDYES, 15, nullptr},
        {15, PRESS_ENTER, 10, "5 more cache files could not be read."},  // No is the default
        {11, IDNO, 10, "1 more cache files could not be read."},
    };
    for (const Case &c : cases) {
        std::string folder = MakeTempDir("flood");
        // Valid files before, between and after the foreign ones.
        AddCacheFile(folder, "00", "00ok", SimpleCacheSpec("00ok"));
        for (int i = 0; i < c.BadFiles; i++) {
            char bucket[3], name[8];
            wsprintfA(bucket, "%02x", 1 + i);
            wsprintfA(name, "%sbad", bucket);
            AddRawCacheFile(folder, bucket, name, std::string(64, 'x'));
        }
        AddCacheFile(folder, "0c", "0cok", SimpleCacheSpec("0cok"));
        AddCacheFile(folder, "ff", "ffok", SimpleCacheSpec("ffok"));

        BoxCapture boxes;
        for (int i = 0; i < 10; i++)
            boxes.Answer(IDOK);
        if (c.Answer)
            boxes.Answer(c.Answer);
        Scan(folder);

        int errors = 0, questions = 0;
        for (const CapturedBox &box : boxes.Boxes) {
            errors += box.Text.rfind("Unknown or invalid cache file header\n\n", 0) == 0;
            if (box.Text == question) {
                questions++;
                EXPECT_EQ(box.Caption, "Marrowick");
                EXPECT_TRUE(box.HasYesNo);
                EXPECT_EQ(errors, 10) << "the question comes before the eleventh box";
            }
        }
        EXPECT_EQ(errors, c.ErrorBoxes) << c.BadFiles;
        EXPECT_EQ(questions, c.Answer ? 1 : 0) << c.BadFiles;
        if (c.Summary) {
            EXPECT_EQ(boxes.Boxes.back().Text, c.Summary);
            EXPECT_EQ(boxes.Boxes.back().Caption, "Error");
        }
        EXPECT_EQ((int)boxes.Boxes.size(), c.ErrorBoxes + (c.Answer ? 1 : 0) + (c.Summary ? 1 : 0)) << c.BadFiles;
        EXPECT_EQ(CacheFileColumn(), (std::vector<std::string>{"00ok", "0cok", "ffok"})) << c.BadFiles;
        EXPECT_EQ(ScanFileCount, c.BadFiles + 3);

        // The next scan starts counting afresh and asks nothing here.
        boxes.Boxes.clear();
        Scan(Folder);
        EXPECT_TRUE(boxes.Boxes.empty());
        RemoveTree(folder);
    }
}

// The demo generator's caches are what the README shows: every file must
// make a row, without a single message box.
TEST_F(ScanTest, DemoCachesListEveryFile)
{
    const char *build = getenv("MARROWICK_BUILD_DIR");
    if (!build)
        GTEST_SKIP() << "MARROWICK_BUILD_DIR not set";
    std::string tool = std::string("Z:") + build + "/tools/make_demo_cache.exe";
    for (char &c : tool)
        c = c == '/' ? '\\' : c;
    std::string command = "\"" + tool + "\" \"" + Folder + "\\Steam\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) << tool;
    WaitForSingleObject(process.hProcess, 120000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_EQ(exitCode, 0u);

    const struct { const char *Sub; int Files; } caches[] = {
        {"\\Steam\\appcache\\httpcache", 360},
        {"\\Steam\\tenfoot\\config\\httpcache", 140},
    };
    for (const auto &cache : caches) {
        BoxCapture boxes;
        Scan(Folder + cache.Sub);
        EXPECT_EQ((int)SendMessageA(List, LVM_GETITEMCOUNT, 0, 0), cache.Files) << cache.Sub;
        EXPECT_EQ(ScanFileCount, cache.Files);
        EXPECT_TRUE(boxes.Boxes.empty()) << (boxes.Boxes.empty() ? "" : boxes.Boxes[0].Text);
    }
}

}  // namespace
