// Copy and open of selected cache files: target names (auto-rename,
// replaced characters), skipped rows, reported failures and too-long paths,
// the Copy Selected Files command, and opening through the shell's real
// associations (registered to the recorder helper).
#include "test_copy_fixture.h"

namespace {

class CopyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Cache = MakeTempDir("cache");
        Dest = MakeTempDir("dest");
        Window = CreateListWindow();
        lstrcpyA(AppSettings.CacheFolder, Cache.c_str());
        AppSettings.TempOpenFolder[0] = '\0';
        AppInstance = GetModuleHandleA(NULL);
    }
    void TearDown() override
    {
        DestroyListWindow(Window);
        RemoveTree(Cache);
        RemoveTree(Dest);
        if (AppSettings.TempOpenFolder[0])
            DeleteFolderTree(AppSettings.TempOpenFolder);
        AppSettings.TempOpenFolder[0] = '\0';
    }
    // Adds one cache file per row: cache name "<bucket><index>", payload given.
    std::vector<RowTexts> MakeRows(const std::vector<std::pair<std::string, std::string>> &namesAndPayloads)
    {
        std::vector<RowTexts> rows;
        for (size_t i = 0; i < namesAndPayloads.size(); i++) {
            char name[32];
            wsprintfA(name, "%02xc0ffee%04d", (int)(i * 37 % 256), (int)i);
            PutCacheFile(Cache, name, namesAndPayloads[i].second);
            rows.push_back({namesAndPayloads[i].first, "http://host.example/" + std::string(name), name, true});
        }
        return rows;
    }
    std::string Cache, Dest;
    ListWindow Window;
};

struct NamingCase {
    const char *Name;
    std::vector<std::pair<std::string, std::string>> Existing;  // file name, contents
    std::vector<std::pair<std::string, std::string>> Rows;      // Filename, payload
    int Flags;
    std::vector<std::pair<std::string, std::string>> Expected;  // the whole destination afterwards
};

TEST_F(CopyTest, TargetNamesFollowTheRowsAndTheRenameOption)
{
    const NamingCase cases[] = {
        {"third numbered name", {{"logo.png", "1"}, {"logo (2).png", "2"}}, {{"logo.png", "new"}}, EXTRACT_AUTO_RENAME,
         {{"logo (2).png", "2"}, {"logo (3).png", "new"}, {"logo.png", "1"}}},
        {"two equal names renamed", {}, {{"x.png", "first"}, {"x.png", "second"}}, EXTRACT_AUTO_RENAME,
         {{"x (2).png", "second"}, {"x.png", "first"}}},
        // A run never replaces a file it has just written, whatever the option.
        {"two equal names without auto-rename", {}, {{"x.png", "first"}, {"X.PNG", "second"}}, 0,
         {{"X (2).PNG", "second"}, {"x.png", "first"}}},
        // Copying the same rows again into one folder replaces the files of
        // the first copy, numbered ones included, instead of adding more.
        {"copied again without auto-rename", {{"x.png", "old"}, {"x (2).png", "old 2"}},
         {{"x.png", "first"}, {"x.png", "second"}, {"x.png", "third"}}, 0,
         {{"x (2).png", "second"}, {"x (3).png", "third"}, {"x.png", "first"}}},
        // Names compare as stored: trailing dots and blanks dropped, any case.
        {"trailing dots and blanks", {},
         {{"x.png", "1"}, {"x.png.", "2"}, {"y.txt", "3"}, {"Y.TXT  ", "4"}, {". .", "5"}}, 0,
         {{"Y (2).TXT", "4"}, {"_", "5"}, {"x (2).png", "2"}, {"x.png", "1"}, {"y.txt", "3"}}},
        {"a row named like a numbered name", {}, {{"y.txt", "1"}, {"y.txt", "2"}, {"y (2).txt", "3"}}, 0,
         {{"y (2) (2).txt", "3"}, {"y (2).txt", "2"}, {"y.txt", "1"}}},
        // Device names would swallow the payload: they get a "_" in front.
        {"device names", {},
         {{"nul", "n"}, {"CON.txt", "c"}, {"com1.tar.gz", "m"}, {"lpt9 .log", "l"}, {"Aux.json", "a"},
          {"com0.txt", "0"}, {"console.txt", "k"}, {"nul_x", "x"}},
         0,
         {{"_Aux.json", "a"}, {"_CON.txt", "c"}, {"_com1.tar.gz", "m"}, {"_lpt9 .log", "l"}, {"_nul", "n"},
          {"com0.txt", "0"}, {"console.txt", "k"}, {"nul_x", "x"}}},
        {"existing file replaced", {{"x.png", "old"}}, {{"x.png", "new"}}, 0, {{"x.png", "new"}}},
        {"invalid and control characters", {}, {{"a:b?\t\x01.txt", "p"}}, 0, {{"a_b___.txt", "p"}}},
        {"no extension", {{"index", "old"}}, {{"index", "new"}}, EXTRACT_AUTO_RENAME,
         {{"index", "old"}, {"index (2)", "new"}}},
        {"only an extension", {{".htaccess", "old"}}, {{".htaccess", "new"}}, EXTRACT_AUTO_RENAME,
         {{" (2).htaccess", "new"}, {".htaccess", "old"}}},
        {"numbered from the base name", {{"a.js", "1"}, {"a (2).js", "2"}, {"a (2) (2).js", "x"}},
         {{"a.js", "new"}}, EXTRACT_AUTO_RENAME, {{"a (2) (2).js", "x"}, {"a (2).js", "2"}, {"a (3).js", "new"}, {"a.js", "1"}}},
    };
    for (const NamingCase &c : cases) {
        RemoveTree(Dest);
        CreateDirectoryA(Dest.c_str(), NULL);
        for (const auto &file : c.Existing)
            WriteBytesToFile(Dest + "\\" + file.first, file.second);
        FillList(Window.List, MakeRows(c.Rows));
        BoxCapture capture;
        ExtractSelectedPayloads(Window.Parent, Window.List, Cache.c_str(), Dest.c_str(), c.Flags);
        // Several files written: one summary, nothing else.
        std::vector<std::string> texts;
        for (const CapturedBox &box : capture.Boxes)
            texts.push_back(box.Text);
        std::vector<std::string> expectedTexts;
        if (c.Rows.size() > 1)
            expectedTexts.push_back(std::to_string(c.Rows.size()) + " file(s) written, 0 failed.");
        EXPECT_EQ(texts, expectedTexts) << c.Name;
        std::vector<std::pair<std::string, std::string>> found;
        for (const std::string &name : ListFolder(Dest))
            found.push_back({name, ReadFileBytes(Dest + "\\" + name)});
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, c.Expected) << c.Name;
        EXPECT_EQ(SharedReadBuffer, nullptr) << c.Name;
    }
}

// Incomplete rows get no message of their own; the summary counts them.
TEST_F(CopyTest, UnselectedAndIncompleteRowsAreSkippedSilently)
{
    std::vector<RowTexts> rows = MakeRows({{"a.txt", "A"}, {"b.txt", "B"}, {"", "C"}, {"d.txt", "D"}});
    rows[1].Selected = false;
    rows[3].CacheFile.clear();
    FillList(Window.List, rows);
    BoxCapture capture;
    ExtractSelectedPayloads(Window.Parent, Window.List, Cache.c_str(), Dest.c_str(), 0);
    ASSERT_EQ(capture.Boxes.size(), 1u);
    EXPECT_EQ(capture.Boxes[0].Text, "1 file(s) written, 2 failed.");
    EXPECT_EQ(capture.Boxes[0].Caption, "Marrowick");
    EXPECT_EQ(ListFolder(Dest), std::vector<std::string>{"a.txt"});
}

// A folder in the target's place stands for a target that cannot be
// written (a read-only file does not: these tests run as root under Wine,
// which then writes it anyway).
TEST_F(CopyTest, FailedRowsAreReportedAndTheRunGoesOn)
{
    std::vector<RowTexts> rows = MakeRows({{"gone.txt", "G"}, {"taken.txt", "new"}, {"ok.txt", "K"}});
    std::string goneCache = Cache + "\\" + rows[0].CacheFile.substr(0, 2) + "\\" + rows[0].CacheFile;
    DeleteFileA(goneCache.c_str());
    CreateDirectoryA((Dest + "\\taken.txt").c_str(), NULL);
    FillList(Window.List, rows);
    BoxCapture capture;
    ExtractSelectedPayloads(Window.Parent, Window.List, Cache.c_str(), Dest.c_str(), 0);
    ASSERT_EQ(capture.Boxes.size(), 3u);
    EXPECT_EQ(capture.Boxes[2].Text, "1 file(s) written, 2 failed.");
    EXPECT_EQ(TrimBreaks(capture.Boxes[0].Text),
              TrimBreaks("Could not open cache file: " + goneCache + "\n\n" + SystemText(ERROR_FILE_NOT_FOUND)));
    EXPECT_EQ(TrimBreaks(capture.Boxes[1].Text), TrimBreaks("Could not open file for writing: " + Dest +
                                                            "\\taken.txt\n\n" + SystemText(ERROR_ACCESS_DENIED)));
    EXPECT_EQ(capture.Boxes[1].Owner, Window.Parent);
    EXPECT_TRUE(GetFileAttributesA((Dest + "\\taken.txt").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(ReadFileBytes(Dest + "\\ok.txt"), "K");
}

// Copies and deletions failing file after file: ten boxes, then one
// question, which Enter answers No; the run's summary then counts the rest.
// (Yes shows them all: the scan's test covers that answer.)
TEST_F(CopyTest, FailingCopyAndDeleteAskOnceAfterTenBoxes)
{
    const struct {
        bool Delete;
        const char *Question, *Summary;
    } cases[] = {
        {false, "More files could not be copied.", "2 file(s) written, 13 failed."},
        {true, "More cache files could not be deleted.", "3 more cache files could not be deleted."},
    };
    for (const auto &c : cases) {
        std::vector<RowTexts> rows = MakeRows(std::vector<std::pair<std::string, std::string>>(15, {"f.txt", "x"}));
        for (size_t i = 1; i + 1 < rows.size(); i++)  // all but the first and the last
            DeleteFileA((Cache + "\\" + rows[i].CacheFile.substr(0, 2) + "\\" + rows[i].CacheFile).c_str());
        FillList(Window.List, rows);
        BoxCapture capture;
        if (c.Delete)
            capture.Answer(IDYES);  // the confirmation
        for (int i = 0; i < 10; i++)
            capture.Answer(IDOK);
        capture.Answer(PRESS_ENTER);
        if (c.Delete)
            DeleteSelectedCacheFiles(Window.Parent, Window.List, Cache.c_str(), 0);
        else
            ExtractSelectedPayloads(Window.Parent, Window.List, Cache.c_str(), Dest.c_str(), EXTRACT_AUTO_RENAME);
        std::vector<std::string> texts;
        for (const CapturedBox &box : capture.Boxes)
            texts.push_back(box.Text.rfind("Could not ", 0) == 0 ? "error" : box.Text);
        std::vector<std::string> expected(c.Delete ? 1 : 0, texts[0]);
        expected.insert(expected.end(), 10, "error");
        expected.push_back(std::string(c.Question) + " Show a message for each of them?");
        expected.push_back(c.Summary);
        EXPECT_EQ(texts, expected) << c.Question;
        EXPECT_FALSE(IsBusy());
    }
}

// A name too long for MAX_PATH loses the end of its stem, keeping its
// extension and number; a folder that leaves no room, and a cache file path
// too long for its buffer, are reported, never cut into another path.
TEST_F(CopyTest, TooLongNamesAreShortenedAndHopelessPathsReported)
{
    size_t room = MAX_PATH - 1 - Dest.size() - 1;
    std::string longName = std::string(300, 'n') + ".txt";
    FillList(Window.List, MakeRows({{longName, "1"}, {longName, "2"}, {std::string(300, 'm'), "3"}}));
    BoxCapture capture;
    ExtractSelectedPayloads(Window.Parent, Window.List, Cache.c_str(), Dest.c_str(), 0);
    ASSERT_EQ(capture.Boxes.size(), 1u);
    EXPECT_EQ(capture.Boxes[0].Text, "3 file(s) written, 0 failed.");
    EXPECT_EQ(ReadFileBytes(Dest + "\\" + std::string(room - 4, 'n') + ".txt"), "1");
    EXPECT_EQ(ReadFileBytes(Dest + "\\" + std::string(room - 8, 'n') + " (2).txt"), "2");
    EXPECT_EQ(ReadFileBytes(Dest + "\\" + std::string(room, 'm')), "3");

    std::string deep = Dest + "\\" + std::string(MAX_PATH, 'd');
    FillList(Window.List, MakeRows({{"x.txt", "X"}}));
    capture.Boxes.clear();
    ExtractSelectedPayloads(Window.Parent, Window.List, Cache.c_str(), deep.c_str(), 0);
    ASSERT_EQ(capture.Boxes.size(), 2u);
    EXPECT_EQ(TrimBreaks(capture.Boxes[0].Text), TrimBreaks("Could not open file for writing: " + deep +
                                                            "\\x.txt\n\n" + SystemText(ERROR_FILENAME_EXCED_RANGE)));
    EXPECT_EQ(capture.Boxes[1].Text, "0 file(s) written, 1 failed.");

    // A cache file name too long for its path.
    std::string longCache = "ab" + std::string(280, 'c');
    FillList(Window.List, {{"x.txt", "u", longCache, true}});
    capture.Boxes.clear();
    ExtractSelectedPayloads(Window.Parent, Window.List, Cache.c_str(), Dest.c_str(), 0);
    ASSERT_EQ(capture.Boxes.size(), 2u);
    EXPECT_EQ(TrimBreaks(capture.Boxes[0].Text),
              TrimBreaks("Could not open cache file: " + Cache + "\\ab\\" + longCache + "\n\n" +
                         SystemText(ERROR_FILENAME_EXCED_RANGE)));
    EXPECT_FALSE(FileExists(Dest + "\\x.txt"));
}

// A short (8.3) name of a file this run wrote opens that file: its row is
// numbered instead of replacing the payload.
TEST_F(CopyTest, ShortNameOfAWrittenFileIsNotReplaced)
{
    std::string longPath = Dest + "\\longfilename.html";
    WriteBytesToFile(longPath, "probe");
    char shortPath[MAX_PATH] = "";
    GetShortPathNameA(longPath.c_str(), shortPath, MAX_PATH);
    DeleteFileA(longPath.c_str());
    std::string alias = shortPath;
    alias = alias.substr(alias.rfind('\\') + 1);
    if (alias.empty() || alias == "longfilename.html")
        GTEST_SKIP() << "the volume makes no short names";
    FillList(Window.List, MakeRows({{"longfilename.html", "long"}, {alias, "alias"}}));
    BoxCapture capture;
    ExtractSelectedPayloads(Window.Parent, Window.List, Cache.c_str(), Dest.c_str(), 0);
    size_t dot = alias.rfind('.');
    EXPECT_EQ(ReadFileBytes(longPath), "long");
    EXPECT_EQ(ReadFileBytes(Dest + "\\" + alias.substr(0, dot) + " (2)" + alias.substr(dot)), "alias") << alias;
}

// --- The Copy Selected Files command ---------------------------------------

// Fills the Copy Selected Files dialog when it opens and presses a button.
struct DialogAnswer {
    std::string Path;
    bool AutoRename;
    int Button;
    int Shown;
};
DialogAnswer *PendingAnswer;
HHOOK DialogHook;

LRESULT CALLBACK AnswerDialog(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && PendingAnswer && GetDlgItem((HWND)wParam, IDC_AUTO_RENAME)) {
        HWND dialog = (HWND)wParam;
        // Active again after refusing the answer (its error box closed):
        // Cancel, rather than give the same answer for ever.
        int button = PendingAnswer->Shown++ ? IDCANCEL : PendingAnswer->Button;
        SetDlgItemTextA(dialog, IDC_PATH_EDIT, PendingAnswer->Path.c_str());
        CheckDlgButton(dialog, IDC_AUTO_RENAME, PendingAnswer->AutoRename ? BST_CHECKED : BST_UNCHECKED);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(dialog, button));
    }
    return CallNextHookEx(DialogHook, code, wParam, lParam);
}

int RunCopyCommand(HWND parent, HWND list, DialogAnswer answer)
{
    PendingAnswer = &answer;
    DialogHook = SetWindowsHookExA(WH_CBT, AnswerDialog, NULL, GetCurrentThreadId());
    CopySelectedCacheFiles(parent, list);
    UnhookWindowsHookEx(DialogHook);
    PendingAnswer = nullptr;
    return answer.Shown;
}

bool HasCopyDialog()
{
    return FindResourceA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_COPY_FILES), (LPCSTR)RT_DIALOG) != NULL;
}

TEST_F(CopyTest, CopyCommandCreatesTheDestinationFolders)
{
    if (!HasCopyDialog())
        GTEST_SKIP() << "the Copy Selected Files dialog is not in the resources yet";
    FillList(Window.List, MakeRows({{"one.txt", "1"}, {"one.txt", "2"}}));
    std::string deep = Dest + "\\a\\b";
    BoxCapture capture;
    EXPECT_EQ(RunCopyCommand(Window.Parent, Window.List, {deep, true, IDOK, 0}), 1);
    EXPECT_EQ(std::string(AppSettings.CopyFilesPath), deep);
    EXPECT_EQ(AppSettings.AutoRenameIfExist, 1);
    EXPECT_EQ(ReadFileBytes(deep + "\\one.txt"), "1");
    EXPECT_EQ(ReadFileBytes(deep + "\\one (2).txt"), "2");
    ASSERT_EQ(capture.Boxes.size(), 1u);
    EXPECT_EQ(capture.Boxes[0].Text, "2 file(s) written, 0 failed.");
    capture.Boxes.clear();

    // Cancel, a missing drive: nothing happens, no message.
    std::string other = Dest + "\\other";
    EXPECT_EQ(RunCopyCommand(Window.Parent, Window.List, {other, false, IDCANCEL, 0}), 1);
    EXPECT_FALSE(FileExists(other));
    EXPECT_EQ(RunCopyCommand(Window.Parent, Window.List, {"Q:\\out\\x", false, IDOK, 0}), 1);
    EXPECT_TRUE(capture.Boxes.empty());
    // An empty path: the dialog refuses it with one message and stays open
    // (active again once the message closes); then Cancel, nothing stored.
    EXPECT_EQ(RunCopyCommand(Window.Parent, Window.List, {"", false, IDOK, 0}), 2);
    EXPECT_EQ(capture.Boxes.size(), 1u);
    EXPECT_EQ(std::string(AppSettings.CopyFilesPath), "Q:\\out\\x");

    // No selected row: no dialog at all.
    ClearTestRows(Window.List);
    EXPECT_EQ(RunCopyCommand(Window.Parent, Window.List, {deep, false, IDOK, 0}), 0);
}

// --- Open through the shell -------------------------------------------------

class OpenTest : public CopyTest {
protected:
    void SetUp() override
    {
        CopyTest::SetUp();
        Record = Dest + "\\opened.log";
        SetEnvironmentVariableA("MARROWICK_OPEN_RECORD", Record.c_str());
        Association = RegisterRecorder(".mwktest", false);
    }
    void TearDown() override
    {
        UnregisterRecorder(Association);
        SetEnvironmentVariableA("MARROWICK_OPEN_RECORD", NULL);
        CopyTest::TearDown();
    }
    std::string Record;
    OpenAssociation Association;
};

TEST_F(OpenTest, OpensTheExtractedPayloadFromTheRunsTemporaryFolder)
{
    FillList(Window.List, MakeRows({{"page.mwktest", "first"}}));
    BoxCapture capture;
    OpenSelectedCacheFile(Window.Parent, Window.List);
    std::string folder = AppSettings.TempOpenFolder;
    ASSERT_EQ(IsFullFolderPath(folder.c_str()), 1);
    EXPECT_NE(folder.find("\\mwk"), std::string::npos);
    std::string opened = folder + "\\page.mwktest";
    std::vector<std::string> lines = WaitForRecords(Record, 1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lstrcmpiA(lines[0].c_str(), opened.c_str()), 0) << lines[0];
    EXPECT_EQ(ReadFileBytes(opened), "first");

    // Again: the same folder, the earlier file replaced.
    WriteBytesToFile(opened, "changed by the program that opened it");
    OpenSelectedCacheFile(Window.Parent, Window.List);
    EXPECT_EQ(std::string(AppSettings.TempOpenFolder), folder);
    EXPECT_EQ(WaitForRecords(Record, 2).size(), 2u);
    EXPECT_EQ(ReadFileBytes(opened), "first");

    // The folder has gone: a new one is made.
    char path[MAX_PATH];
    lstrcpyA(path, folder.c_str());
    ASSERT_EQ(DeleteFolderTree(path), 1);
    OpenSelectedCacheFile(Window.Parent, Window.List);
    EXPECT_EQ(IsFullFolderPath(AppSettings.TempOpenFolder), 1);
    EXPECT_EQ(ReadFileBytes(std::string(AppSettings.TempOpenFolder) + "\\page.mwktest"), "first");
    EXPECT_EQ(WaitForRecords(Record, 3).size(), 3u);
    EXPECT_TRUE(capture.Boxes.empty());

    // Closing removes the folder with its files.
    lstrcpyA(path, AppSettings.TempOpenFolder);
    EXPECT_EQ(DeleteFolderTree(path), 1);
    EXPECT_FALSE(FileExists(path));
}

TEST_F(OpenTest, BareDriveRootIsNeverUsedAsTheTemporaryFolder)
{
    FillList(Window.List, MakeRows({{"root.mwktest", "r"}}));
    lstrcpyA(AppSettings.TempOpenFolder, "C:\\");
    OpenSelectedCacheFile(Window.Parent, Window.List);
    EXPECT_STRNE(AppSettings.TempOpenFolder, "C:\\");
    EXPECT_EQ(IsFullFolderPath(AppSettings.TempOpenFolder), 1);
    EXPECT_FALSE(FileExists("C:\\root.mwktest"));
    EXPECT_EQ(WaitForRecords(Record, 1).size(), 1u);
}

TEST_F(OpenTest, NothingHappensUnlessExactlyOneRowIsSelected)
{
    std::vector<RowTexts> rows = MakeRows({{"a.mwktest", "a"}, {"b.mwktest", "b"}});
    FillList(Window.List, rows);
    OpenSelectedCacheFile(Window.Parent, Window.List);
    rows[0].Selected = rows[1].Selected = false;
    FillList(Window.List, rows);
    OpenSelectedCacheFile(Window.Parent, Window.List);
    EXPECT_STREQ(AppSettings.TempOpenFolder, "");
    Sleep(300);
    EXPECT_FALSE(FileExists(Record));
}

// A file that may run is opened only after a Yes (default No), and kept
// only then: a type on the system's list or ours, also behind trailing dots,
// blanks or "%20"; a program's media type; a payload that starts with "MZ".
TEST_F(OpenTest, PayloadsThatMayRunAskBeforeOpening)
{
    struct Case {
        const char *Name;
        const char *ContentType;
        const char *Payload;
        int Answer;      // 0: no question expected
    };
    const Case cases[] = {
        {"setup.ps1", "", "payload", PRESS_ENTER},   // No is the default
        {"script.js", "", "payload", IDNO},
        {"Setup.EXE", "", "payload", IDNO},
        {"run.cmd. ", "", "payload", IDNO},
        {"evil.exe%20", "", "payload", IDNO},
        {"help.chm", "", "payload", IDNO},
        {"app.appref-ms", "", "payload", IDNO},
        {"x.settingcontent-ms", "", "payload", IDNO},
        {"realdownload", "", "MZ\x90", IDNO},
        {"picture.png", "image/png", "MZ\x90", IDNO},
        {"drawing.svg", "image/svg+xml", "MZ", IDNO},
        {"update.dat", "application/x-msdownload", "payload", IDNO},
        {"get.bin", "Application/X-DosExec; charset=binary", "payload", IDNO},
        {"tool.hta", "", "payload", IDYES},
        {"page.mwktest", "text/plain", "payload", 0},
        {"exe.txt", "", "Mz: only the upper-case mark counts", 0},
    };
    for (const Case &c : cases) {
        std::vector<RowTexts> rows = MakeRows({{c.Name, c.Payload}});
        rows[0].ContentType = c.ContentType;
        FillList(Window.List, rows);
        BoxCapture capture;
        if (c.Answer)
            capture.Answer(c.Answer);
        OpenSelectedCacheFile(Window.Parent, Window.List);
        std::string stored = c.Name;
        stored.erase(stored.find_last_not_of(". ") + 1);
        std::string target = std::string(AppSettings.TempOpenFolder) + "\\" + stored;
        EXPECT_EQ(FileExists(target), !c.Answer || c.Answer == IDYES) << c.Name;
        if (!c.Answer) {
            for (const CapturedBox &box : capture.Boxes)
                EXPECT_EQ(box.Text.find("program or script"), std::string::npos) << c.Name;
            continue;
        }
        ASSERT_FALSE(capture.Boxes.empty()) << c.Name;
        const CapturedBox &question = capture.Boxes[0];
        EXPECT_EQ(question.Text.rfind(stored + " is a program or script file.", 0), 0u) << question.Text;
        EXPECT_EQ(question.Caption, "Marrowick");
        EXPECT_TRUE(question.HasYesNo);
    }
    EXPECT_EQ(WaitForRecords(Record, 1).size(), 1u) << "only the .mwktest file went to a program";
}

// The mark goes into the file's Zone.Identifier stream. Wine has no named
// streams (and reports none), so a copy run writes no mark
// there; WriteZoneIdentifier's text and kept time show in the file that
// Wine makes of the stream's name.
TEST_F(CopyTest, ExtractedFilesAreMarkedAsDownloaded)
{
    FillList(Window.List, MakeRows({{"a.png", "A"}}));
    ExtractSelectedPayloads(Window.Parent, Window.List, Cache.c_str(), Dest.c_str(), 0);
    char root[MAX_PATH];
    DWORD flags = 0;
    GetVolumePathNameA(Dest.c_str(), root, sizeof(root));
    GetVolumeInformationA(root, NULL, 0, NULL, NULL, &flags, NULL, 0);
    std::string stream = Dest + "\\a.png:Zone.Identifier";
    if (flags & FILE_NAMED_STREAMS) {
        EXPECT_EQ(ReadFileBytes(stream), "[ZoneTransfer]\r\nZoneId=3\r\n");
    } else {
        EXPECT_EQ(ListFolder(Dest), std::vector<std::string>{"a.png"}) << "no stray file beside the payload";
        std::string file = Dest + "\\a.png";
        HANDLE handle = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, NULL, OPEN_EXISTING, 0, NULL);
        FILETIME old = {0x12345600, 0x01A00000}, after = {};
        SetFileTime(handle, NULL, NULL, &old);
        CloseHandle(handle);
        WriteZoneIdentifier(file.c_str());
        EXPECT_EQ(ReadFileBytes(stream), "[ZoneTransfer]\r\nZoneId=3\r\n");
        WIN32_FILE_ATTRIBUTE_DATA data;
        GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data);
        after = data.ftLastWriteTime;
        EXPECT_EQ(CompareFileTime(&old, &after), 0);
    }
}

TEST_F(OpenTest, TypeWithoutAssociationShowsTheSystemsText)
{
    // What the shell leaves as the last error for such a type on this system.
    std::string probe = Dest + "\\probe.mwknone";
    WriteBytesToFile(probe, "p");
    ShellExecuteA(NULL, "open", probe.c_str(), NULL, NULL, SW_SHOWNORMAL);
    DWORD expected = GetLastError();

    FillList(Window.List, MakeRows({{"data.mwknone", "payload"}}));
    BoxCapture capture;
    OpenSelectedCacheFile(Window.Parent, Window.List);
    ASSERT_EQ(capture.Boxes.size(), 1u);
    // A text with an insert ("Bad EXE format for %1.") names the file.
    std::string text = SystemText(expected);
    std::string opened = std::string(AppSettings.TempOpenFolder) + "\\data.mwknone";
    size_t insert = text.find("%1");
    if (insert != std::string::npos)
        text.replace(insert, 2, opened);
    EXPECT_EQ(TrimBreaks(capture.Boxes[0].Text), TrimBreaks(text));
    EXPECT_EQ(capture.Boxes[0].Caption, "Error");
    EXPECT_EQ(ReadFileBytes(std::string(AppSettings.TempOpenFolder) + "\\data.mwknone"), "payload");
}

}  // namespace
