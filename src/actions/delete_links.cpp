// The Delete Selected Files and Open Link In Web Browser commands.
#include "marrowick.h"

#include <shellapi.h>

// Shell flags for the Recycle Bin: FOF_SILENT | FOF_NOCONFIRMATION |
// FOF_ALLOWUNDO | FOF_NOERRORUI | FOF_WANTNUKEWARNING. No progress window,
// no confirmation or error box of the shell's own, but its warning when a
// file would be destroyed instead of recycled.
static const FILEOP_FLAGS RecycleFlags = 0x4454;

struct DeleteConfirmation {
    const char *Text;
    UINT Icon;
};

// By mode: 0 deletes for good, 1 recycles. "Recycke" is the program's own
// long-standing wording. Both default to No: Enter pressed in passing must
// not delete thousands of files.
static const DeleteConfirmation Confirmations[] = {
    {"Are you sure you want to permanently delete the selected files?", MB_ICONEXCLAMATION},
    {"Are you sure you want to move the selected files to the Recycke Bin?", MB_ICONQUESTION},
};

int DeleteCacheFile(HWND owner, const char *path, int toRecycle)
{
    if (toRecycle) {
        SHFILEOPSTRUCTA operation;
        ZeroMemory(&operation, sizeof(operation));
        operation.hwnd = owner;
        operation.wFunc = FO_DELETE;
        operation.pFrom = path;  // a list of one path, ended by a second NUL
        operation.fFlags = RecycleFlags;
        int result = SHFileOperationA(&operation);
        if (result != 0) {
            // Below 0x71 the result is a Win32 error code; from there on it is
            // one of the shell's older DE_ codes, which the system's message
            // table does not know.
            if (result < 0x71)
                SetLastError((DWORD)result);
            else if (GetLastError() == ERROR_SUCCESS)
                SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
        if (operation.fAnyOperationsAborted) {  // the nuke warning answered No
            SetLastError(ERROR_CANCELLED);
            return 0;
        }
        return 1;
    }
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        attributes &= ~(DWORD)FILE_ATTRIBUTE_READONLY;
        SetFileAttributesA(path, attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    }
    return DeleteFileA(path) ? 1 : 0;
}

// Deletes the cache file of one row of the store, in the bucket folder it
// was found in; 1 when it is gone. A failure has been reported.
static int DeleteRowFile(HWND mainWindow, int row, const char *cacheFolder, int toRecycle)
{
    static const char failure[] = "Could not delete cache file: %s\n\n%s";
    char path[ACTION_PATH_SIZE + 1];  // room for the second NUL of the shell's list
    if (!RowText(row, COL_CACHE_FILE)[0])
        return 0;
    if (!BuildRowCachePath(mainWindow, failure, path, cacheFolder, row))
        return 0;
    path[lstrlenA(path) + 1] = '\0';
    if (!DeleteCacheFile(mainWindow, path, toRecycle)) {
        ShowErrorBox(mainWindow, failure, path);
        return 0;
    }
    return 1;
}

void DeleteSelectedCacheFiles(HWND mainWindow, HWND listView, const char *cacheFolder, int toRecycle)
{
    // Any stored non-zero value means the Recycle Bin, for the question and
    // the deletion alike.
    int mode = toRecycle ? 1 : 0;
    const DeleteConfirmation &confirmation = Confirmations[mode];
    if (ShowMessageBox(mainWindow, confirmation.Text, "Delete selected files",
                       MB_YESNO | MB_DEFBUTTON2 | confirmation.Icon) != IDYES)
        return;
    EnterBusy();
    // After ten failures the user may choose to see one count instead.
    BeginErrorBoxRun(BOX_RUN_DELETE);
    int *rows;
    int count = CollectSelectedRows(mainWindow, listView, &rows);
    for (int i = 0; i < count; i++)
        if (DeleteRowFile(mainWindow, rows[i], cacheFolder, mode))
            MarkRowDeleted(rows[i]);
    FreeSelectedRows(rows);
    // The rows that stay keep their selection; the deleted ones leave the
    // store's view (and the filter's rows) for good.
    RemoveDeletedRows();
    ShowRowView(listView, 1);
    EndErrorBoxRun(mainWindow);
    LeaveBusy();
}

void OpenSelectedLink(HWND mainWindow, HWND listView)
{
    int *rows;
    int count = CollectSelectedRows(mainWindow, listView, &rows);
    for (int i = 0; i < count; i++) {
        const char *url = RowText(rows[i], COL_URL);
        if (!url[0])
            continue;
        // The whole URL text goes to the shell exactly as the row shows it.
        HINSTANCE result = ShellExecuteA(mainWindow, "open", url, NULL, NULL, SW_SHOWNORMAL);
        if ((INT_PTR)result <= 31)
            ShowSystemErrorBox(mainWindow, url);
    }
    FreeSelectedRows(rows);
}
