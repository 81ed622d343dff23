// Cache folder scan: fills the row store with one row per cache file of the
// 256 bucket folders 00 to ff of a cache folder, and shows them in the list.
//
// A cache folder holds bucket folders named by two lower-case hexadecimal
// digits; every non-folder entry of a bucket is a cache file. Nothing below a
// bucket is visited and files lying in the cache folder itself are ignored.
#include "marrowick.h"

// Files handled by the current (or last) scan; reported with WM_LOADPROGRESS.
int ScanFileCount;

enum {
    SCAN_PATH_SIZE = 1024,      // pattern and file paths; 259 + 4 + 259 fit easily
    PROGRESS_INTERVAL = 50,     // files between two WM_LOADPROGRESS messages
    BUCKET_COUNT = 256,
    SYSTEM_TEXT_SIZE = 512
};

// Points at the last backslash of `path`, or at its end if it has none.
static char *LastBackslash(char *path)
{
    char *last = NULL;
    for (char *p = path; *p; ++p)
        if (*p == '\\')
            last = p;
    return last ? last : path + lstrlenA(path);
}

void SetCacheWindowTitle(HWND mainWindow, const char *folder)
{
    if (!folder || !*folder) {
        SetWindowTextA(mainWindow, "Marrowick");
        return;
    }
    char title[SCAN_PATH_SIZE];
    wsprintfA(title, "Marrowick:  %s", folder);
    SetWindowTextA(mainWindow, title);
    // The arrow comes back by itself with the next mouse movement over the
    // window, which the scan's own pump lets through.
    SetCursor(LoadCursorA(NULL, IDC_WAIT));
}

// 1 when `path` is a file, not a folder.
static int NamesFile(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int CheckCacheFolderAccess(HWND listView, const char *folder)
{
    if (!folder || !*folder) {
        SendMessageA(listView, WM_SETEMPTYTEXT, 0, 0);
        return 0;
    }
    char pattern[SCAN_PATH_SIZE];
    wsprintfA(pattern, "%s\\*", folder);
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
        SendMessageA(listView, WM_SETEMPTYTEXT, 0, 0);
        return 1;
    }
    // The system text usually ends with a line break; the list view centres
    // the whole text, so it does no harm.
    DWORD error = GetLastError();
    char systemText[SYSTEM_TEXT_SIZE] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, error,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), systemText, sizeof(systemText), NULL);
    char text[SCAN_PATH_SIZE];
    // "folder\*" of a file fails with a code that depends on the system
    // ("Invalid name." under Wine, "The directory name is invalid." on Windows).
    if (NamesFile(folder))
        lstrcpyA(text, "Could not access cache directory.\n\nNot a folder.");
    else
        wsprintfA(text, "Could not access cache directory.\n\nError: %s", systemText);
    SendMessageA(listView, WM_SETEMPTYTEXT, 0, (LPARAM)text);
    return 0;
}

// Counts one handled file, reports every PROGRESS_INTERVAL-th and lets the
// window live now and then; 1 when the user has asked the scan to stop.
static int CountScannedFile(HWND owner)
{
    ++ScanFileCount;
    if (owner && ScanFileCount % PROGRESS_INTERVAL == 0)
        SendMessageA(owner, WM_LOADPROGRESS, (WPARAM)ScanFileCount, 0);
    return RunPumpDue() ? PumpRunMessages() : RunStopRequested();
}

void ScanBucketFolder(HWND owner, char *path, int bucket)
{
    char *name = LastBackslash(path);
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(path, &entry);
    if (find == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        *name = '\0';
        // A missing bucket folder is normal: the client creates them lazily.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return;
        SetLastError(error);
        ShowErrorBox(owner, "Could not access cache directory: %s\n\n%s", path);
        return;
    }
    // File names go behind the backslash; the room left there always holds a
    // name of MAX_PATH characters because the folder part is at most 263.
    int room = SCAN_PATH_SIZE - (int)(name + 1 - path);
    do {
        // Skips ".", ".." and sub-folders; hidden and system files are cache
        // files like any other.
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        lstrcpynA(name + 1, entry.cFileName, room);
        if (!ReadCacheEntry(owner, path, bucket))
            break;
        // Esc stops after this file; the rows read so far stay.
        if (CountScannedFile(owner))
            break;
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    *name = '\0';
}

int ScanCacheFolder(HWND owner, const char *folder)
{
    SharedReadBuffer = (unsigned char *)GlobalAlloc(GPTR, SHARED_READ_BUFFER_SIZE);
    if (!SharedReadBuffer)
        return 0;
    ClearRowStore();
    ScanFileCount = 0;
    if (owner)
        SendMessageA(owner, WM_LOADPROGRESS, 0, 0);
    PumpRunMessages();
    // A folder of foreign files fails on every file: after ten boxes the
    // user may choose to see one summary instead of the rest.
    BeginErrorBoxRun(BOX_RUN_SCAN);

    // The folder is at most 259 characters (CacheFolder); a longer one from
    // elsewhere is cut so that the pattern always ends in "\xx\*".
    char folderPart[MAX_PATH];
    lstrcpynA(folderPart, folder, sizeof(folderPart));
    char path[SCAN_PATH_SIZE];
    // Below a file every bucket would fail with a box of its own.
    unsigned long buckets = NamesFile(folder) ? 0 : BUCKET_COUNT;
    for (unsigned long bucket = 0; bucket < buckets && !RunStopRequested(); ++bucket) {
        wsprintfA(path, "%s\\%2.2lx\\*", folderPart, bucket);
        ScanBucketFolder(owner, path, (int)bucket);
    }

    GlobalFree(SharedReadBuffer);
    SharedReadBuffer = NULL;
    EndErrorBoxRun(owner);
    return 1;
}

void LoadCacheFolder(HWND mainWindow, HWND listView, const char *folder)
{
    if (!folder)
        folder = "";
    SetCacheWindowTitle(mainWindow, folder);
    int accessible = CheckCacheFolderAccess(listView, folder);

    BeginBusyRun();
    // The list lets go of the old rows before the store drops them (it asks
    // for texts by index while it paints, and the scan lets it paint): the
    // empty list shows under the new title while the files are read.
    HideRowView(listView);
    // The filter's marks and the sort come before the list learns the
    // count: the new rows are shown once, already narrowed and in order.
    int shown = ScanCacheFolder(mainWindow, folder);
    if (shown) {
        MarkFilteredRows();
        shown = ResetRowOrder();
    }
    if (shown && AppSettings.SortByColumn != -1)
        SortList(listView, AppSettings.SortByColumn);
    else if (shown)
        ShowRowView(listView, 0);
    // A readable folder without a single cache file (the client's root
    // folder, a flat folder of files) says so instead of an empty list; a
    // scan stopped by Esc has not looked everywhere.
    if (accessible && !RunStopRequested() && RowStore.Count == 0)
        SendMessageA(listView, WM_SETEMPTYTEXT, 0, (LPARAM) "No cache files in this folder.");
    EndBusyRun();
}
