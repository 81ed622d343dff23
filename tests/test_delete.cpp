// Deleting the cache files of selected rows (for good and to the Recycle
// Bin, which Wine keeps in the desktop's trash folder) and opening links
// through the shell's real http association, registered to the recorder.
#include "test_copy_fixture.h"

namespace {

class DeleteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Cache = MakeTempDir("delcache");
        Window = CreateListWindow();
        lstrcpyA(AppSettings.CacheFolder, Cache.c_str());
    }
    void TearDown() override
    {
        DestroyListWindow(Window);
        RemoveTree(Cache);
    }
    // `count` rows, each with its own cache file; `selected` rows selected.
    std::vector<RowTexts> MakeRows(int count, const std::vector<int> &selected)
    {
        std::vector<RowTexts> rows;
        for (int i = 0; i < count; i++) {
            char name[32];
            wsprintfA(name, "%02xdeadbeef%02d", i * 16, i);
            PutCacheFile(Cache, name, "payload");
            bool isSelected = std::find(selected.begin(), selected.end(), i) != selected.end();
            rows.push_back({"f.txt", "http://host.example/" + std::string(name), name, isSelected});
        }
        return rows;
    }
    std::string PathOf(const RowTexts &row) { return Cache + "\\" + row.CacheFile.substr(0, 2) + "\\" + row.CacheFile; }
    std::vector<std::string> ListedCacheFiles()
    {
        std::vector<std::string> names;
        int count = (int)SendMessageA(Window.List, LVM_GETITEMCOUNT, 0, 0);
        for (int i = 0; i < count; i++)
            names.push_back(TestCellText(Window.List, i, COL_CACHE_FILE));
        return names;
    }
    std::string Cache;
    ListWindow Window;
};

// Enter answers No: nothing is deleted, in either mode.
TEST_F(DeleteTest, OneConfirmationPerModeAndEnterAnswersNo)
{
    const struct {
        int Mode;
        const char *Text;
    } cases[] = {
        {0, "Are you sure you want to permanently delete the selected files?"},
        {1, "Are you sure you want to move the selected files to the Recycke Bin?"},
        {7, "Are you sure you want to move the selected files to the Recycke Bin?"},
    };
    std::vector<RowTexts> rows = MakeRows(3, {0, 1, 2});
    FillList(Window.List, rows);
    for (const auto &c : cases) {
        BoxCapture capture;
        capture.Answer(PRESS_ENTER);
        DeleteSelectedCacheFiles(Window.Parent, Window.List, Cache.c_str(), c.Mode);
        ASSERT_EQ(capture.Boxes.size(), 1u) << c.Mode;
        EXPECT_EQ(capture.Boxes[0].Text, c.Text) << c.Mode;
        EXPECT_EQ(capture.Boxes[0].Caption, "Delete selected files") << c.Mode;
        EXPECT_TRUE(capture.Boxes[0].HasYesNo) << c.Mode;
        EXPECT_EQ(capture.Boxes[0].Owner, Window.Parent) << c.Mode;
        EXPECT_EQ(ListedCacheFiles().size(), 3u) << c.Mode;
        for (const RowTexts &row : rows)
            EXPECT_TRUE(FileExists(PathOf(row))) << c.Mode;
    }
}

TEST_F(DeleteTest, ConsecutiveSelectedRowsAreAllDeleted)
{
    std::vector<RowTexts> rows = MakeRows(8, {4, 5, 6});
    SetFileAttributesA(PathOf(rows[5]).c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    FillList(Window.List, rows);
    BoxCapture capture;
    capture.Answer(IDYES);
    DeleteSelectedCacheFiles(Window.Parent, Window.List, Cache.c_str(), 0);
    EXPECT_EQ(capture.Boxes.size(), 1u);  // the confirmation only
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(FileExists(PathOf(rows[i])), i < 4 || i > 6) << i;
    std::vector<std::string> expected = {rows[0].CacheFile, rows[1].CacheFile, rows[2].CacheFile, rows[3].CacheFile,
                                         rows[7].CacheFile};
    EXPECT_EQ(ListedCacheFiles(), expected);
}

// One name in two bucket folders: each row acts on the file it was found in,
// whatever its name's first two characters say.
TEST_F(DeleteTest, EachRowDeletesTheFileOfItsOwnBucket)
{
    for (const char *bucket : {"00", "ff"}) {
        CreateDirectoryA((Cache + "\\" + bucket).c_str(), NULL);
        WriteBytesToFile(Cache + "\\" + bucket + "\\ff01", "x");
    }
    ClearTestRows(Window.List);
    for (int bucket : {0x00, 0xff}) {
        CacheRow row = {{"f", "", "", "", "", "", "", "", "", "ff01"}, 0, 1};
        AppendStoreRow(&row, bucket);
    }
    ShowTestRows(Window.List);
    SelectTestRow(Window.List, 0);
    BoxCapture capture;
    capture.Answer(IDYES);
    DeleteSelectedCacheFiles(Window.Parent, Window.List, Cache.c_str(), 0);
    EXPECT_FALSE(FileExists(Cache + "\\00\\ff01"));
    EXPECT_TRUE(FileExists(Cache + "\\ff\\ff01"));
    ASSERT_EQ(RowView.ShownCount, 1);
    EXPECT_EQ(RowStore.Rows[ShownRowAt(0)].Bucket, 0xff);
    EXPECT_EQ(SelectedSizeTotal, 0);
}

TEST_F(DeleteTest, LockedFileKeepsItsRowAndTheOthersGo)
{
    std::vector<RowTexts> rows = MakeRows(4, {0, 1, 2});
    // Opened without delete sharing, as a program that still reads it would.
    HANDLE busy = CreateFileA(PathOf(rows[1]).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    FillList(Window.List, rows);
    BoxCapture capture;
    capture.Answer(IDYES);
    DeleteSelectedCacheFiles(Window.Parent, Window.List, Cache.c_str(), 0);
    CloseHandle(busy);
    ASSERT_EQ(capture.Boxes.size(), 2u);
    EXPECT_EQ(TrimBreaks(capture.Boxes[1].Text), TrimBreaks("Could not delete cache file: " + PathOf(rows[1]) +
                                                            "\n\n" + SystemText(ERROR_SHARING_VIOLATION)));
    EXPECT_EQ(capture.Boxes[1].Caption, "Error");
    EXPECT_FALSE(FileExists(PathOf(rows[0])));
    EXPECT_TRUE(FileExists(PathOf(rows[1])));
    EXPECT_FALSE(FileExists(PathOf(rows[2])));
    EXPECT_EQ(ListedCacheFiles(), (std::vector<std::string>{rows[1].CacheFile, rows[3].CacheFile}));
    EXPECT_TRUE(RowSelected(Window.List, 0));
}

TEST_F(DeleteTest, UnusableRowsAreSkippedOrReported)
{
    std::vector<RowTexts> rows = MakeRows(4, {0, 1, 2, 3});
    DeleteFileA(PathOf(rows[1]).c_str());  // already gone
    rows[2].CacheFile.clear();
    rows[3].CacheFile = "ab" + std::string(300, 'z');  // path longer than its buffer
    FillList(Window.List, rows);
    BoxCapture capture;
    capture.Answer(IDYES);
    DeleteSelectedCacheFiles(Window.Parent, Window.List, Cache.c_str(), 0);
    ASSERT_EQ(capture.Boxes.size(), 3u);
    EXPECT_EQ(TrimBreaks(capture.Boxes[1].Text), TrimBreaks("Could not delete cache file: " + PathOf(rows[1]) +
                                                            "\n\n" + SystemText(ERROR_FILE_NOT_FOUND)));
    EXPECT_EQ(TrimBreaks(capture.Boxes[2].Text), TrimBreaks("Could not delete cache file: " + PathOf(rows[3]) +
                                                            "\n\n" + SystemText(ERROR_FILENAME_EXCED_RANGE)));
    EXPECT_FALSE(FileExists(PathOf(rows[0])));
    EXPECT_EQ(ListedCacheFiles(), (std::vector<std::string>{rows[1].CacheFile, "", rows[3].CacheFile}));
}

// Wine's Recycle Bin is the desktop's trash: <data home>/Trash/files, with a
// .trashinfo file per entry naming the original path.
std::string TrashFolder()
{
    char path[MAX_PATH];
    if (GetEnvironmentVariableA("XDG_DATA_HOME", path, sizeof(path))) {
        return std::string("Z:") + path + "\\Trash";  // a host path
    }
    if (!GetEnvironmentVariableA("WINEHOMEDIR", path, sizeof(path)))
        return std::string();
    std::string home = path;
    if (home.rfind("\\??\\", 0) == 0)
        home = home.substr(4);
    return home + "\\.local\\share\\Trash";
}

// Finds (and removes) the trash entries whose name begins with `name`.
int TakeFromTrash(const std::string &trash, const std::string &name)
{
    int found = 0;
    for (const std::string &entry : ListFolder(trash + "\\files")) {
        if (entry.rfind(name, 0) != 0)
            continue;
        std::string info = ReadFileBytes(trash + "\\info\\" + entry + ".trashinfo");
        if (info.find(name) == std::string::npos)
            continue;
        found++;
        DeleteFileA((trash + "\\files\\" + entry).c_str());
        DeleteFileA((trash + "\\info\\" + entry + ".trashinfo").c_str());
    }
    return found;
}

TEST_F(DeleteTest, RecycledFilesLandInTheTrash)
{
    std::string trash = TrashFolder();
    ASSERT_FALSE(trash.empty());
    for (int mode : {1, 5}) {  // every non-zero value recycles
        std::vector<RowTexts> rows = MakeRows(3, {0, 2});
        FillList(Window.List, rows);
        BoxCapture capture;
        capture.Answer(IDYES);
        DeleteSelectedCacheFiles(Window.Parent, Window.List, Cache.c_str(), mode);
        EXPECT_EQ(capture.Boxes.size(), 1u) << mode;
        EXPECT_FALSE(FileExists(PathOf(rows[0]))) << mode;
        EXPECT_TRUE(FileExists(PathOf(rows[1]))) << mode;
        EXPECT_FALSE(FileExists(PathOf(rows[2]))) << mode;
        EXPECT_EQ(ListedCacheFiles(), std::vector<std::string>{rows[1].CacheFile}) << mode;
        EXPECT_EQ(TakeFromTrash(trash, rows[0].CacheFile), 1) << mode;
        EXPECT_EQ(TakeFromTrash(trash, rows[2].CacheFile), 1) << mode;
    }
}

TEST_F(DeleteTest, DeleteCacheFileClearsReadOnlyOnly)
{
    std::vector<RowTexts> rows = MakeRows(1, {});
    std::string path = PathOf(rows[0]);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(DeleteCacheFile(Window.Parent, path.c_str(), 0), 1);
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(DeleteCacheFile(Window.Parent, path.c_str(), 0), 0);
}

// --- Open Link ----------------------------------------------------------------

class LinkTest : public DeleteTest {
protected:
    void SetUp() override
    {
        DeleteTest::SetUp();
        Record = Cache + "\\links.log";
        SetEnvironmentVariableA("MARROWICK_OPEN_RECORD", Record.c_str());
        Association = RegisterRecorder("http", true);
    }
    void TearDown() override
    {
        UnregisterRecorder(Association);
        SetEnvironmentVariableA("MARROWICK_OPEN_RECORD", NULL);
        DeleteTest::TearDown();
    }
    std::string Record;
    OpenAssociation Association;
};

TEST_F(LinkTest, TheShellGetsTheUrlTextUnchanged)
{
    const char *url = "http://host1/a/b.php?x=1&y=two%20three&z=a b";
    FillList(Window.List, {{"b.php", url, "00aa", true}, {"", "", "00bb", true}});
    BoxCapture capture;
    OpenSelectedLink(Window.Parent, Window.List);
    std::vector<std::string> lines = WaitForRecords(Record, 1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], url);
    EXPECT_TRUE(capture.Boxes.empty());
}

TEST_F(LinkTest, SchemeWithoutHandlerShowsTheSystemsText)
{
    const char *url = "mwknoscheme://host/x";
    ShellExecuteA(NULL, "open", url, NULL, NULL, SW_SHOWNORMAL);
    DWORD expected = GetLastError();
    FillList(Window.List, {{"x", url, "00aa", true}});
    BoxCapture capture;
    OpenSelectedLink(Window.Parent, Window.List);
    ASSERT_EQ(capture.Boxes.size(), 1u);
    EXPECT_EQ(TrimBreaks(capture.Boxes[0].Text), TrimBreaks(SystemText(expected)));
    EXPECT_EQ(capture.Boxes[0].Owner, Window.Parent);
}

}  // namespace
