// Cache location: finds the client's two HTTP cache folders below its
// installation folder, from its machine-wide or per-user registry key or the
// Program Files folder.
#include "marrowick.h"

#include <shlobj.h>

// Cache sub-folders of the installation, indexed by SelectedCacheFolder.
static const char *const CacheSubFolders[] = {
    "appcache\\httpcache",          // main window
    "tenfoot\\config\\httpcache",   // Big Picture mode
};

enum {
    INSTALL_PATH_SIZE = 241,        // InstallPath: up to 240 characters
    PROGRAM_FILES_MAX_LENGTH = 231  // longest Program Files path accepted
};

// Joins `base`, an optional middle part and the sub-folder into `buffer`
// (MAX_PATH). A result that would not fit MAX_PATH - 1 characters leaves the
// buffer empty and returns 0: a cut path would name the wrong folder.
static int JoinCachePath(char *buffer, const char *base, const char *middle, const char *sub)
{
    int length = lstrlenA(base) + 1 + lstrlenA(middle) + lstrlenA(sub);
    if (length > MAX_PATH - 1) {
        buffer[0] = '\0';
        return 0;
    }
    wsprintfA(buffer, "%s\\%s%s", base, middle, sub);
    return 1;
}

int DetectCachePath(char *buffer, int index)
{
    // Only 0 and 1 name a sub-folder; any other stored value means the main cache.
    const char *sub = CacheSubFolders[index == 1 ? 1 : 0];

    // The client writes its install folder as a plain string; an expandable
    // string, another type, a longer value or an empty one counts as missing.
    char installPath[INSTALL_PATH_SIZE];
    if (ReadRegistryString(HKEY_LOCAL_MACHINE, "Software\\Valve\\Steam", "InstallPath", installPath,
                           sizeof(installPath)) &&
        installPath[0])
        return JoinCachePath(buffer, installPath, "", sub);
    // A client installed for one user only registers SteamPath under the
    // user's own key, written with forward slashes ("c:/games/steam").
    if (ReadRegistryString(HKEY_CURRENT_USER, "Software\\Valve\\Steam", "SteamPath", installPath,
                           sizeof(installPath)) &&
        installPath[0]) {
        for (char *p = installPath; *p; p++)
            if (*p == '/')
                *p = '\\';
        return JoinCachePath(buffer, installPath, "", sub);
    }

    char programFiles[MAX_PATH];
    if (FAILED(SHGetFolderPathA(NULL, CSIDL_PROGRAM_FILES, NULL, SHGFP_TYPE_CURRENT, programFiles)) ||
        lstrlenA(programFiles) > PROGRAM_FILES_MAX_LENGTH) {
        buffer[0] = '\0';
        return 0;
    }
    return JoinCachePath(buffer, programFiles, "Steam\\", sub);
}
