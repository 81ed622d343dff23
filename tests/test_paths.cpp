// Path helpers of the cache file actions: file names, folder paths, the
// temporary folder and its removal (long entries and linked folders).
#include <gtest/gtest.h>

#include "cache_writer.h"
#include "test_util.h"

namespace {

TEST(FileNames, InvalidCharactersBecomeUnderscores)
{
    const struct {
        const char *In, *Out;
    } cases[] = {
        {"a:b?.txt", "a_b_.txt"},
        {"\\/:*?\"<>|", "_________"},
        {"keep. spaces\tand\x1f\x01 dots..\x7f\xe9", "keep. spaces_and__ dots..\x7f\xe9"},
        {"", ""},
    };
    for (const auto &c : cases) {
        char text[64];
        lstrcpyA(text, c.In);
        ReplaceInvalidFileNameChars(text);
        EXPECT_STREQ(text, c.Out) << c.In;
    }
}

// The superscript digits 1 to 3 (code page 1252) name the same devices as
// the plain ones. (The copy tests write the other device names; Wine here
// cannot create files with such characters.)
TEST(FileNames, SuperscriptDeviceNamesGetALeadingUnderscore)
{
    const struct {
        const char *In, *Out;
    } cases[] = {
        {"COM\xB9.txt", "_COM\xB9.txt"}, {"com\xB2", "_com\xB2"}, {"LPT\xB3 .log", "_LPT\xB3 .log"},
        {"lpt\xB9", "_lpt\xB9"},          {"com\xB4.txt", "com\xB4.txt"}, {"com\xB9x", "com\xB9x"},
    };
    for (const auto &c : cases) {
        char text[32];
        lstrcpyA(text, c.In);
        PrefixReservedDeviceName(text, sizeof(text));
        EXPECT_STREQ(text, c.Out) << c.In;
    }
}

// Numbered names keep the last extension; a name too long for the room
// loses the end of its stem, never its extension or number.
TEST(FileNames, TargetNamesAreNumberedAndShortenedToFit)
{
    const struct {
        const char *Name;
        int Room, Number;
        const char *Out;  // null: does not fit
    } cases[] = {
        {"logo.png", 100, 1, "logo.png"},
        {"logo.png", 100, 2, "logo (2).png"},
        {"logo.png", 100, 13, "logo (13).png"},
        {"archive.tar.gz", 100, 3, "archive.tar (3).gz"},
        {".htaccess", 100, 2, " (2).htaccess"},
        {"index", 100, 2, "index (2)"},
        {"abcdefgh.png", 9, 1, "abcde.png"},
        {"abcdefgh.png", 11, 2, "abc (2).png"},
        {"abcdefgh", 5, 1, "abcde"},
        {"abc. defgh", 5, 1, "abc"},          // no trailing blank or dot left by the cut
        {"a.verylongextension", 8, 1, "a.verylo"},  // no room for the extension: cut as one stem
        {"abcdefgh.png", 4, 2, NULL},
        {"abcdefgh.png", 0, 1, NULL},
    };
    for (const auto &c : cases) {
        char out[MAX_PATH] = "";
        int fits = MakeTargetName(out, c.Room, c.Name, c.Number);
        EXPECT_EQ(fits, c.Out != NULL) << c.Name << " " << c.Room;
        if (fits) {
            EXPECT_STREQ(out, c.Out) << c.Name << " " << c.Room;
        }
    }
}

TEST(FolderPaths, IsFullFolderPathNeedsAnExistingFolderBelowARoot)
{
    std::string temp = MakeTempDir("full");
    std::string file = temp + "\\file.txt";
    WriteBytesToFile(file, "x");
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof(current), current);
    SetCurrentDirectoryA("C:\\");
    const struct {
        std::string Path;
        int Expected;
    } cases[] = {
        {"C:\\", 0},
        {"C:\\\\\\", 0},
        {"C:", 0},
        {"C:\\windows", 1},
        {"C:\\windows\\", 1},
        {temp, 1},
        {file, 0},
        {temp + "\\missing", 0},
        {"windows", 0},            // relative, though it exists from C:\ .
        {"\\windows", 0},          // rooted on the current drive only
        {"\\\\?\\C:\\windows", 1}, // network form: server "?", share "C:"
        {"\\\\?\\C:\\", 0},        // a bare share
        {"\\\\?\\C:", 0},
        {"", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsFullFolderPath(c.Path.c_str()), c.Expected) << c.Path;
    SetCurrentDirectoryA(current);
    RemoveTree(temp);
}

TEST(FolderPaths, CreateFolderPathMakesEveryMissingFolder)
{
    std::string temp = MakeTempDir("create");
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof(current), current);
    SetCurrentDirectoryA(temp.c_str());
    WriteBytesToFile(temp + "\\afile", "x");
    const struct {
        std::string Path;
        int Expected;
        std::string MustExist;
    } cases[] = {
        {temp + "\\a\\b", 1, temp + "\\a\\b"},
        {temp + "\\a\\b\\", 1, temp + "\\a\\b"},
        {temp + "\\\\c\\\\d", 1, temp + "\\c\\d"},
        {"\\\\?\\" + temp + "\\unc\\x", 1, temp + "\\unc\\x"},
        {"rel\\one\\two", 1, temp + "\\rel\\one\\two"},
        {"C:\\", 1, "C:\\"},
        {temp + "\\afile\\below", 0, ""},  // a file stands in the way
        {"Q:\\out\\a", 0, ""},             // no such drive
        {"", 0, ""},
        {temp + "\\" + std::string(280, 'l'), 0, ""},  // longer than the work copy
    };
    for (const auto &c : cases) {
        EXPECT_EQ(CreateFolderPath(c.Path.c_str()), c.Expected) << c.Path;
        if (!c.MustExist.empty()) {
            DWORD attributes = GetFileAttributesA(c.MustExist.c_str());
            EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << c.Path;
        }
    }
    EXPECT_FALSE(FileExists("Q:\\out"));
    SetCurrentDirectoryA(current);
    RemoveTree(temp);
}

TEST(TempFolder, CreatedWithTheMwkPrefixInTheTemporaryFolder)
{
    char temp[MAX_PATH], folder[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    ASSERT_EQ(CreateTempFolder(folder), 1);
    std::string path = folder;
    EXPECT_EQ(path.substr(0, lstrlenA(temp) + 3), std::string(temp) + "mwk");
    EXPECT_EQ(path.substr(path.size() - 4), ".tmp");
    EXPECT_EQ(IsFullFolderPath(folder), 1);
    char second[MAX_PATH];
    ASSERT_EQ(CreateTempFolder(second), 1);
    EXPECT_STRNE(folder, second);
    EXPECT_EQ(DeleteFolderTree(folder), 1);
    EXPECT_EQ(DeleteFolderTree(second), 1);
    EXPECT_FALSE(FileExists(path));
}

TEST(DeleteTree, RemovesNestedFoldersAndReadOnlyFiles)
{
    std::string root = MakeTempDir("tree");
    CreateDirectoryA((root + "\\sub").c_str(), NULL);
    CreateDirectoryA((root + "\\sub\\deeper").c_str(), NULL);
    WriteBytesToFile(root + "\\a.txt", "a");
    WriteBytesToFile(root + "\\sub\\deeper\\ro.txt", "r");
    SetFileAttributesA((root + "\\sub\\deeper\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((root + "\\sub").c_str(), FILE_ATTRIBUTE_READONLY);
    char path[MAX_PATH];
    lstrcpyA(path, root.c_str());
    EXPECT_EQ(DeleteFolderTree(path), 1);
    EXPECT_EQ(std::string(path), root);  // the buffer is restored
    EXPECT_FALSE(FileExists(root));
}

TEST(DeleteTree, LockedFileKeepsItsFolder)
{
    std::string root = MakeTempDir("locked");
    WriteBytesToFile(root + "\\busy.txt", "b");
    WriteBytesToFile(root + "\\free.txt", "f");
    HANDLE busy = CreateFileA((root + "\\busy.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    char path[MAX_PATH];
    lstrcpyA(path, root.c_str());
    EXPECT_EQ(DeleteFolderTree(path), 0);
    EXPECT_TRUE(FileExists(root + "\\busy.txt"));
    EXPECT_FALSE(FileExists(root + "\\free.txt"));
    CloseHandle(busy);
    RemoveTree(root);
}

// An entry whose full path would not fit MAX_PATH is skipped, never cut to
// a shorter path (which could name another file).
TEST(DeleteTree, OverLongEntriesAreSkipped)
{
    std::string root = MakeTempDir("long");
    std::string base = root + "\\" + std::string(MAX_PATH - 2 - root.size() - 12, 'd');
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), NULL));
    // base + "\x" fits; base + "\" + a long name does not, yet "\\?\" creates it.
    std::string longName = base + "\\" + std::string(40, 'f');
    ASSERT_TRUE(WriteBytesToFile("\\\\?\\" + longName, "long"));
    char path[MAX_PATH];
    lstrcpyA(path, root.c_str());
    EXPECT_EQ(DeleteFolderTree(path), 0);
    // Wine's ANSI calls stop at MAX_PATH; look at the file through the wide one.
    std::wstring wideName(longName.begin(), longName.end());
    EXPECT_NE(GetFileAttributesW((L"\\\\?\\" + wideName).c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW((L"\\\\?\\" + wideName).c_str());
    RemoveTree(root);
}

// Unix symbolic links show as reparse points under Wine; Windows programs
// here cannot make junctions, so the test asks the host to link.
// ntdll exports the spawn as stdcall, kernel32 the name conversion as cdecl:
// on i686 a wrong convention unbalances the stack.
typedef LONG(WINAPI *UnixSpawn)(char *const argv[], int wait);
typedef char *(CDECL *UnixFileName)(const WCHAR *);

bool MakeHostSymlink(const std::string &target, const std::string &link)
{
    auto spawn = (UnixSpawn)(void *)GetProcAddress(GetModuleHandleA("ntdll"), "__wine_unix_spawnvp");
    auto unixName = (UnixFileName)(void *)GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name");
    if (!spawn || !unixName)
        return false;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, wide, MAX_PATH);
    std::string unixTarget = unixName(wide);
    MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
    std::string unixLink = unixName(wide);
    char *argv[] = {(char *)"ln", (char *)"-s", (char *)unixTarget.c_str(), (char *)unixLink.c_str(), NULL};
    return spawn(argv, 1) == 0 && FileExists(link);
}

void UnlinkHostPath(const std::string &path)
{
    auto spawn = (UnixSpawn)(void *)GetProcAddress(GetModuleHandleA("ntdll"), "__wine_unix_spawnvp");
    auto unixName = (UnixFileName)(void *)GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name");
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    std::string unixPath = unixName(wide);
    char *argv[] = {(char *)"rm", (char *)"-f", (char *)unixPath.c_str(), NULL};
    spawn(argv, 1);
}

// Wine 8 cannot remove a host symbolic link through RemoveDirectoryA (it
// fails: the link stays); what matters is that nothing behind it is touched.
// File links are left out: Wine shows them as plain files and deletes their
// targets through any deletion call.
TEST(DeleteTree, LinkedFoldersAreNeverEntered)
{
    std::string outside = MakeTempDir("outside");
    CreateDirectoryA((outside + "\\inner").c_str(), NULL);
    WriteBytesToFile(outside + "\\keep.txt", "keep");
    WriteBytesToFile(outside + "\\inner\\keep2.txt", "keep");
    std::string root = MakeTempDir("linked");
    CreateDirectoryA((root + "\\sub").c_str(), NULL);
    WriteBytesToFile(root + "\\sub\\own.txt", "own");
    if (!MakeHostSymlink(outside, root + "\\sub\\link"))
        GTEST_SKIP() << "no host symbolic links here";
    ASSERT_TRUE(GetFileAttributesA((root + "\\sub\\link").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
    char path[MAX_PATH];
    lstrcpyA(path, root.c_str());
    DeleteFolderTree(path);
    EXPECT_FALSE(FileExists(root + "\\sub\\own.txt"));
    EXPECT_EQ(ReadFileBytes(outside + "\\keep.txt"), "keep");
    EXPECT_EQ(ReadFileBytes(outside + "\\inner\\keep2.txt"), "keep");
    // The temporary folder itself replaced by a link: nothing behind it goes.
    std::string linkedRoot = root + "x";
    ASSERT_TRUE(MakeHostSymlink(outside, linkedRoot));
    lstrcpyA(path, linkedRoot.c_str());
    DeleteFolderTree(path);
    EXPECT_EQ(ReadFileBytes(outside + "\\keep.txt"), "keep");
    EXPECT_EQ(ReadFileBytes(outside + "\\inner\\keep2.txt"), "keep");
    UnlinkHostPath(root + "\\sub\\link");
    UnlinkHostPath(linkedRoot);
    RemoveTree(root);
    RemoveTree(outside);
}

}  // namespace
