// ctest-env: MARROWICK_TZ=Asia/Calcutta
// Cache location from the client's InstallPath value, its per-user SteamPath
// value or Program Files.
// The zone above is Kolkata's old name: same offset, but a Wine prefix of its
// own, so the registry value written here is seen by no other test program.
#include <gtest/gtest.h>

#include "test_util.h"

#include <shlobj.h>

#include <string>

namespace {

const char *const SteamKey = "Software\\Valve\\Steam";

// Sets InstallPath (type REG_SZ unless told), or removes the key when value
// is null. "<zero>" stores a value of no bytes at all.
void SetInstallPath(const char *value, DWORD type = REG_SZ)
{
    if (!value) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, SteamKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Valve");
        return;
    }
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, SteamKey, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL),
              ERROR_SUCCESS);
    bool zero = lstrcmpA(value, "<zero>") == 0;
    RegSetValueExA(key, "InstallPath", 0, type, (const BYTE *)value, zero ? 0 : lstrlenA(value) + 1);
    RegCloseKey(key);
}

// Sets the per-user SteamPath, or removes the key when value is null.
void SetSteamPath(const char *value)
{
    RegDeleteKeyA(HKEY_CURRENT_USER, SteamKey);
    if (!value)
        return;
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, SteamKey, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL),
              ERROR_SUCCESS);
    RegSetValueExA(key, "SteamPath", 0, REG_SZ, (const BYTE *)value, lstrlenA(value) + 1);
    RegCloseKey(key);
}

std::string ProgramFiles()
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(NULL, CSIDL_PROGRAM_FILES, NULL, SHGFP_TYPE_CURRENT, path);
    return path;
}

struct DetectCase {
    const char *Name;
    std::string InstallPath;  // "<none>" for no key
    DWORD Type;
    int Index;
    std::string Expected;     // "<pf>" stands for the Program Files folder
    int Result;
    const char *SteamPath = nullptr;  // per-user value; none when null
};

TEST(DetectCachePath, InstallPathSteamPathOrProgramFiles)
{
    const std::string long240(240, 'd');
    const std::string long241(241, 'd');
    const DetectCase cases[] = {
        {"main", "D:\\Steam", REG_SZ, 0, "D:\\Steam\\appcache\\httpcache", 1},
        {"big picture", "D:\\Steam", REG_SZ, 1, "D:\\Steam\\tenfoot\\config\\httpcache", 1},
        {"trailing backslash kept", "D:\\Steam\\", REG_SZ, 0, "D:\\Steam\\\\appcache\\httpcache", 1},
        {"unknown index is main", "D:\\Steam", REG_SZ, 7, "D:\\Steam\\appcache\\httpcache", 1},
        {"no key", "<none>", REG_SZ, 0, "<pf>\\Steam\\appcache\\httpcache", 1},
        {"no key, big picture", "<none>", REG_SZ, 1, "<pf>\\Steam\\tenfoot\\config\\httpcache", 1},
        {"expandable string", "%ProgramFiles%\\Steam", REG_EXPAND_SZ, 0, "<pf>\\Steam\\appcache\\httpcache", 1},
        {"value too long", long241, REG_SZ, 0, "<pf>\\Steam\\appcache\\httpcache", 1},
        // An empty value names no folder; one of no bytes writes nothing
        // into the buffer, which must not be read as a path.
        {"empty value", "", REG_SZ, 0, "<pf>\\Steam\\appcache\\httpcache", 1},
        {"value of no bytes", "<zero>", REG_SZ, 1, "<pf>\\Steam\\tenfoot\\config\\httpcache", 1},
        // 240 + 1 + 18 characters fit exactly; the Big Picture folder does not.
        {"longest value, main", long240, REG_SZ, 0, long240 + "\\appcache\\httpcache", 1},
        {"longest value, big picture", long240, REG_SZ, 1, "", 0},
        // The per-user value counts only when the machine-wide one is missing.
        {"per-user, slashes turned", "<none>", REG_SZ, 1, "c:\\games\\steam\\tenfoot\\config\\httpcache", 1,
         "c:/games/steam"},
        {"machine-wide first", "D:\\Steam", REG_SZ, 0, "D:\\Steam\\appcache\\httpcache", 1, "c:/games/steam"},
        {"per-user empty", "", REG_SZ, 0, "<pf>\\Steam\\appcache\\httpcache", 1, ""},
    };
    const std::string programFiles = ProgramFiles();
    ASSERT_FALSE(programFiles.empty());
    for (const DetectCase &c : cases) {
        SetInstallPath(NULL);
        if (c.InstallPath != "<none>")
            SetInstallPath(c.InstallPath.c_str(), c.Type);
        SetSteamPath(c.SteamPath);
        std::string expected = c.Expected;
        if (expected.rfind("<pf>", 0) == 0)
            expected.replace(0, 4, programFiles);

        char buffer[MAX_PATH];
        memset(buffer, 'x', sizeof(buffer));
        EXPECT_EQ(DetectCachePath(buffer, c.Index), c.Result) << c.Name;
        EXPECT_EQ(std::string(buffer), expected) << c.Name;
    }
    SetInstallPath(NULL);
    SetSteamPath(NULL);
}

}  // namespace
