// The settings file: its path, the integer lists, defaults, foreign values
// and the bytes written at close.
#include <gtest/gtest.h>

#include <string>

#include "test_util.h"

TEST(SettingsPath, ReplacesOnlyTheLastExtensionOfTheFileName)
{
    struct Case {
        const char *Exe;
        const char *Expected;
    } cases[] = {
        {"C:\\Tools\\Marrowick.exe", "C:\\Tools\\Marrowick.cfg"},
        {"C:\\Tools\\Marrowick.beta.exe", "C:\\Tools\\Marrowick.beta.cfg"},
        {"C:\\My.Tools\\Marrowick", "C:\\My.Tools\\Marrowick.cfg"},
        {"C:\\Tools\\Marrowick", "C:\\Tools\\Marrowick.cfg"},
        {"Marrowick.exe", "Marrowick.cfg"},
        {"\\\\server\\share.x\\bin\\m.exe", "\\\\server\\share.x\\bin\\m.cfg"},
    };
    for (const Case &c : cases) {
        char path[MAX_PATH];
        MakeSettingsFilePath(c.Exe, path);
        EXPECT_STREQ(path, c.Expected) << c.Exe;
    }
}

TEST(SettingsPath, LongPathWithoutExtensionStaysInsideTheBuffer)
{
    std::string exe = "C:\\" + std::string(MAX_PATH - 4, 'a');
    char path[MAX_PATH + 16];
    memset(path, 'x', sizeof(path));
    MakeSettingsFilePath(exe.c_str(), path);
    EXPECT_LT(strlen(path), (size_t)MAX_PATH);
}

TEST(SettingsPath, GetSettingsFilePathUsesThisExecutable)
{
    char exe[MAX_PATH], expected[MAX_PATH], path[MAX_PATH];
    GetModuleFileNameA(NULL, exe, MAX_PATH);
    MakeSettingsFilePath(exe, expected);
    GetSettingsFilePath(path);
    EXPECT_STREQ(path, expected);
    EXPECT_EQ(std::string(path).substr(strlen(path) - 4), ".cfg");
}

TEST(ParseIntList, ShortAndMalformedListsKeepTheirDefaults)
{
    struct Case {
        const char *Text;
        int Count;
        int Written;
        int Expected[10];
    } cases[] = {
        {"200,,80", 10, 3, {200, 0, 80, 100, 120, 120, 120, 120, 120, 120}},
        {"200,0,80", 10, 3, {200, 0, 80, 100, 120, 120, 120, 120, 120, 120}},
        {"12px,30", 10, 2, {12, 30, 110, 100, 120, 120, 120, 120, 120, 120}},
        {",,800,600,1", 5, 5, {0, 0, 800, 600, 1}},
        {"10,20", 5, 2, {10, 20, 110, 100, 120}},
        {"  -5, --3,+4,7 ", 5, 4, {-5, 0, 0, 7, 120}},
        {"1,2,3,4,5,6,7", 5, 5, {1, 2, 3, 4, 5}},
        {"-2147483648,2147483647", 2, 2, {(int)0x80000000, 2147483647}},
        {"7,", 3, 2, {7, 0, 110}},
        {"abc", 3, 1, {0, 350, 110}},
    };
    for (const Case &c : cases) {
        int slots[10] = {120, 350, 110, 100, 120, 120, 120, 120, 120, 120};
        EXPECT_EQ(ParseIntList(c.Text, c.Count, slots), c.Written) << c.Text;
        for (int i = 0; i < c.Count; i++)
            EXPECT_EQ(slots[i], c.Expected[i]) << c.Text << " slot " << i;
    }
}

class SettingsFileTest : public ::testing::Test {
protected:
    std::string Folder;
    std::string Path;

    void SetUp() override
    {
        Folder = MakeTempDir("settings");
        Path = Folder + "\\m.cfg";
        lstrcpyA(SettingsFilePath, Path.c_str());
        ZeroMemory(&AppSettings, sizeof(AppSettings));
    }
    void TearDown() override { RemoveTree(Folder); }
    void Set(const char *key, const char *value) { WritePrivateProfileStringA("Options", key, value, Path.c_str()); }
};

TEST_F(SettingsFileTest, MissingFileGivesEveryDefault)
{
    LoadSettings();
    EXPECT_EQ(AppSettings.SaveFilterIndex, 1);
    EXPECT_EQ(AppSettings.DefaultAction, 2);
    EXPECT_EQ(AppSettings.FindFlags, 3);
    EXPECT_EQ(AppSettings.ShowTimeInGMT, 1);
    EXPECT_EQ(AppSettings.DeleteToRecycle, 1);
    EXPECT_EQ(AppSettings.SelectedCacheFolder, 0);
    EXPECT_EQ(AppSettings.AutoDetectCachePath, 1);
    EXPECT_EQ(AppSettings.SortByColumn, -1);
    EXPECT_STREQ(AppSettings.HttpCachePath, "");
    EXPECT_STREQ(AppSettings.CopyFilesPath, "");
    EXPECT_STREQ(AppSettings.TempOpenFolder, "");
    EXPECT_EQ(AppSettings.AutoRenameIfExist, 0);
    EXPECT_EQ(AppSettings.MarkEmptyFiles, 0);
    EXPECT_FALSE(FileExists(Path)) << "reading never creates the file";
}

TEST_F(SettingsFileTest, OwnFolderIsTheCacheFolderWhenDetectionIsOff)
{
    Set("AutoDetectCachePath", "0");
    Set("HttpCachePath", "D:\\cache");
    Set("CopyFilesPath", "E:\\out");
    Set("SortByColumn", "259");
    Set("MarkEmptyFiles", "1");
    LoadSettings();
    EXPECT_STREQ(AppSettings.CacheFolder, "D:\\cache");
    EXPECT_STREQ(AppSettings.HttpCachePath, "D:\\cache");
    EXPECT_STREQ(AppSettings.CopyFilesPath, "E:\\out");
    EXPECT_EQ(AppSettings.SortByColumn, 259);
    EXPECT_EQ(AppSettings.MarkEmptyFiles, 1);
}

TEST_F(SettingsFileTest, ForeignValuesAreClampedToTheirDefaults)
{
    struct Case {
        const char *Key;
        const char *Value;
        int AppSettingsRecord::*Field;
        int Expected;
    } cases[] = {
        {"SelectedCacheFolder", "1", &AppSettingsRecord::SelectedCacheFolder, 1},
        {"SelectedCacheFolder", "2", &AppSettingsRecord::SelectedCacheFolder, 0},
        {"SelectedCacheFolder", "-1", &AppSettingsRecord::SelectedCacheFolder, 0},
        {"DefaultAction", "0", &AppSettingsRecord::DefaultAction, 0},
        {"DefaultAction", "3", &AppSettingsRecord::DefaultAction, 2},
        {"DefaultAction", "-7", &AppSettingsRecord::DefaultAction, 2},
        {"SortByColumn", "-1", &AppSettingsRecord::SortByColumn, -1},
        {"SortByColumn", "9", &AppSettingsRecord::SortByColumn, 9},
        {"SortByColumn", "265", &AppSettingsRecord::SortByColumn, 265},
        {"SortByColumn", "10", &AppSettingsRecord::SortByColumn, -1},
        {"SortByColumn", "266", &AppSettingsRecord::SortByColumn, -1},
        {"SortByColumn", "515", &AppSettingsRecord::SortByColumn, -1},
        {"SortByColumn", "-2", &AppSettingsRecord::SortByColumn, -1},
        {"SaveFilterIndex", "4", &AppSettingsRecord::SaveFilterIndex, 4},
        {"SaveFilterIndex", "0", &AppSettingsRecord::SaveFilterIndex, 1},
        {"SaveFilterIndex", "5", &AppSettingsRecord::SaveFilterIndex, 1},
        {"FindFlags", "7", &AppSettingsRecord::FindFlags, 7},
        {"FindFlags", "8", &AppSettingsRecord::FindFlags, 3},
        {"FindFlags", "-1", &AppSettingsRecord::FindFlags, 3},
        {"ShowTimeInGMT", "2", &AppSettingsRecord::ShowTimeInGMT, 1},
        {"DeleteToRecycle", "-1", &AppSettingsRecord::DeleteToRecycle, 1},
        {"AutoDetectCachePath", "5", &AppSettingsRecord::AutoDetectCachePath, 1},
        {"AutoRenameIfExist", "2", &AppSettingsRecord::AutoRenameIfExist, 0},
        {"MarkEmptyFiles", "-1", &AppSettingsRecord::MarkEmptyFiles, 0},
    };
    for (const Case &c : cases) {
        DeleteFileA(Path.c_str());
        Set(c.Key, c.Value);
        LoadSettings();
        EXPECT_EQ(AppSettings.*c.Field, c.Expected) << c.Key << "=" << c.Value;
    }
}

TEST_F(SettingsFileTest, SaveWritesTwelveOptionsInFileOrder)
{
    LoadSettings();
    lstrcpyA(AppSettings.HttpCachePath, "D:\\mine");
    lstrcpyA(AppSettings.CacheFolder, "C:\\detected");
    lstrcpyA(AppSettings.CopyFilesPath, "E:\\out");
    AppSettings.SortByColumn = 259;
    SaveSettings();
    EXPECT_EQ(ReadFileBytes(Path),
              "[Options]\r\n"
              "SaveFilterIndex=1\r\n"
              "DefaultAction=2\r\n"
              "FindFlags=3\r\n"
              "ShowTimeInGMT=1\r\n"
              "DeleteToRecycle=1\r\n"
              "SelectedCacheFolder=0\r\n"
              "AutoDetectCachePath=1\r\n"
              "SortByColumn=259\r\n"
              "HttpCachePath=D:\\mine\r\n"
              "CopyFilesPath=E:\\out\r\n"
              "AutoRenameIfExist=0\r\n"
              "MarkEmptyFiles=0\r\n");
}

TEST_F(SettingsFileTest, CacheFolderIsSavedAsOwnFolderOnlyWhenDetectionIsOff)
{
    for (int autoDetect = 0; autoDetect <= 1; autoDetect++) {
        DeleteFileA(Path.c_str());
        AppSettings.AutoDetectCachePath = autoDetect;
        lstrcpyA(AppSettings.HttpCachePath, "D:\\mine");
        lstrcpyA(AppSettings.CacheFolder, "C:\\in use");
        SaveSettings();
        char text[MAX_PATH];
        GetPrivateProfileStringA("Options", "HttpCachePath", "?", text, MAX_PATH, Path.c_str());
        EXPECT_STREQ(text, autoDetect ? "D:\\mine" : "C:\\in use");
    }
}

TEST_F(SettingsFileTest, SavedValuesReadBackUnchanged)
{
    AppSettings.SaveFilterIndex = 4;
    AppSettings.DefaultAction = 0;
    AppSettings.FindFlags = 5;
    AppSettings.ShowTimeInGMT = 0;
    AppSettings.DeleteToRecycle = 0;
    AppSettings.SelectedCacheFolder = 1;
    AppSettings.AutoDetectCachePath = 0;
    AppSettings.SortByColumn = 256;
    AppSettings.AutoRenameIfExist = 1;
    AppSettings.MarkEmptyFiles = 1;
    lstrcpyA(AppSettings.CacheFolder, "D:\\x y");
    lstrcpyA(AppSettings.CopyFilesPath, "E:\\out");
    AppSettingsRecord saved = AppSettings;
    SaveSettings();
    ZeroMemory(&AppSettings, sizeof(AppSettings));
    LoadSettings();
    EXPECT_EQ(memcmp(&saved.SaveFilterIndex, &AppSettings.SaveFilterIndex, 10 * sizeof(int)), 0);
    EXPECT_STREQ(AppSettings.CacheFolder, "D:\\x y");
    EXPECT_STREQ(AppSettings.HttpCachePath, "D:\\x y");
    EXPECT_STREQ(AppSettings.CopyFilesPath, "E:\\out");
}

TEST_F(SettingsFileTest, WriteSettingIntWritesSignedDecimal)
{
    const int values[] = {0, -1, 259, (int)0x80000000, 2147483647};
    for (int v : values) {
        WriteSettingInt("Options", "Value", v);
        char text[32];
        GetPrivateProfileStringA("Options", "Value", "", text, sizeof(text), Path.c_str());
        EXPECT_EQ(std::string(text), std::to_string(v));
    }
}
