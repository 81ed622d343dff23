// The Open Selected Cache File and Copy Selected Cache Files commands: each
// selected row's payload is extracted under the row's Filename, into the
// run's temporary folder (and opened) or into the chosen destination.
#include "marrowick.h"

#include <shellapi.h>

// Chooses the target path for `baseName` in `folder`: the name itself, or
// with auto-rename the first of "name (2).ext", "name (3).ext"... that does
// not exist yet. Numbered names always come from the base name. Reports a
// path that would not fit; 0 then.
static int ChooseTargetPath(HWND owner, char *target, const char *folder, const char *baseName, int autoRename)
{
    const char *name = baseName;
    for (int number = 2;; number++) {
        if (!name || !JoinPathParts(target, ACTION_PATH_SIZE, folder, name, NULL)) {
            ShowPathTooLong(owner, "Could not open file for writing: %s\n\n%s", folder, name ? name : baseName, NULL);
            return 0;
        }
        if (!autoRename || !PathExists(target))
            return 1;
        name = MakeNumberedFileName(baseName, number);
    }
}

// Hands an extracted file to the program the shell associates with it.
static void OpenExtractedFile(HWND owner, const char *path)
{
    HINSTANCE result = ShellExecuteA(owner, "open", path, NULL, NULL, SW_SHOWNORMAL);
    if ((INT_PTR)result <= 31)
        ShowErrorBox(owner, "%s", ERROR_ARG_SYSTEM);
}

// One selected row: rebuild its cache file path, choose the target, extract.
static void ExtractRowPayload(HWND owner, HWND listView, int row, const char *cacheFolder, const char *targetFolder,
                              int flags)
{
    char cacheFileName[ROW_TEXT_SIZE + 1], baseName[ROW_TEXT_SIZE + 1];
    char cachePath[ACTION_PATH_SIZE], target[ACTION_PATH_SIZE];
    ReadRowColumnText(listView, row, COL_CACHE_FILE, cacheFileName);
    ReadRowColumnText(listView, row, COL_FILENAME, baseName);
    if (!cacheFileName[0] || !baseName[0])
        return;
    if (!BuildCacheFilePath(owner, "Could not open cache file: %s\n\n%s", cachePath, cacheFolder, cacheFileName))
        return;
    ReplaceInvalidFileNameChars(baseName);
    int autoRename = (flags & EXTRACT_AUTO_RENAME) != 0;
    if (!ChooseTargetPath(owner, target, targetFolder, baseName, autoRename))
        return;
    // Without auto-rename an existing file is replaced; with it the chosen
    // name is new and must still be new when the target is created.
    if (ExtractPayload(owner, cachePath, target, !autoRename) && (flags & EXTRACT_OPEN))
        OpenExtractedFile(owner, target);
}

void ExtractSelectedPayloads(HWND owner, HWND listView, const char *cacheFolder, const char *targetFolder, int flags)
{
    if (SharedReadBuffer)
        return;  // a scan or another run owns the buffer
    SharedReadBuffer = (unsigned char *)GlobalAlloc(GPTR, SHARED_READ_BUFFER_SIZE);
    if (!SharedReadBuffer)
        return;
    int row = -1;
    while ((row = (int)SendMessageA(listView, LVM_GETNEXTITEM, (WPARAM)row, MAKELPARAM(LVNI_SELECTED, 0))) != -1)
        ExtractRowPayload(owner, listView, row, cacheFolder, targetFolder, flags);
    GlobalFree(SharedReadBuffer);
    SharedReadBuffer = NULL;
}

void OpenSelectedCacheFile(HWND mainWindow, HWND listView)
{
    if (SendMessageA(listView, LVM_GETSELECTEDCOUNT, 0, 0) != 1)
        return;
    // A bare drive root or share never counts as the temporary folder.
    if (!IsFullFolderPath(AppSettings.TempOpenFolder) && !CreateTempFolder(AppSettings.TempOpenFolder))
        return;
    ExtractSelectedPayloads(mainWindow, listView, AppSettings.CacheFolder, AppSettings.TempOpenFolder, EXTRACT_OPEN);
}

void CopySelectedCacheFiles(HWND mainWindow, HWND listView)
{
    if (SendMessageA(listView, LVM_GETSELECTEDCOUNT, 0, 0) == 0)
        return;
    if (DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_COPY_FILES), mainWindow, CopyFilesDialogProc, 0) != 1)
        return;
    if (!CreateFolderPath(AppSettings.CopyFilesPath))
        return;
    ExtractSelectedPayloads(mainWindow, listView, AppSettings.CacheFolder, AppSettings.CopyFilesPath,
                            AppSettings.AutoRenameIfExist ? EXTRACT_AUTO_RENAME : 0);
}
