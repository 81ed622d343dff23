// The Open Selected Cache File and Copy Selected Cache Files commands: each
// selected row's payload is extracted under the row's Filename, into the
// run's temporary folder (and opened) or into the chosen destination.
#include "marrowick.h"

#include <shellapi.h>

// Hands an extracted file to the program the shell associates with it.
static void OpenExtractedFile(HWND owner, const char *path)
{
    HINSTANCE result = ShellExecuteA(owner, "open", path, NULL, NULL, SW_SHOWNORMAL);
    if ((INT_PTR)result <= 31)
        ShowSystemErrorBox(owner, path);
}

// One copy or open run over rows of the row store.
struct ExtractRun {
    HWND Owner;
    const int *Rows;       // rows of the row store, in the order they are copied
    const char *CacheFolder;
    const char *TargetFolder;
    int Flags;
    int MarkDownloaded;    // the target folder's volume keeps the internet mark
    RunNameTable Names;    // what this run has written into TargetFolder
    int Written;
    int Failed;            // rows that gave no file, for whatever reason
    int Total;             // rows of the run
    int Stopped;           // Esc ended the run early
};

// Opens an extracted file once it is known what it holds: a file that may
// run is opened only after a Yes, and removed again after a No. 1 when it
// was handed to the shell.
static int OpenIfConfirmed(ExtractRun *run, int row, const char *target, const char *name)
{
    if (!ConfirmOpenDangerousFile(run->Owner, name, RowText(row, COL_CONTENT_TYPE), target)) {
        DeleteFileA(target);
        return 0;
    }
    OpenExtractedFile(run->Owner, target);
    return 1;
}

// The row's Filename as the file system will store it: forbidden and
// control characters as "_", no trailing dots or blanks, no device name.
static void MakeBaseName(char *name, int size)
{
    ReplaceInvalidFileNameChars(name);
    TrimToStoredName(name);
    PrefixReservedDeviceName(name, size);
}

// One row: its cache file path, the target, the extraction. 1 when the
// payload was written.
static int ExtractRowPayload(ExtractRun *run, int row)
{
    char baseName[ROW_TEXT_SIZE + 1];
    char cachePath[ACTION_PATH_SIZE];
    TargetChoice target;
    lstrcpynA(baseName, RowText(row, COL_FILENAME), sizeof(baseName));
    if (!RowText(row, COL_CACHE_FILE)[0] || !baseName[0])
        return 0;
    if (!BuildRowCachePath(run->Owner, "Could not open cache file: %s\n\n%s", cachePath, run->CacheFolder, row))
        return 0;
    MakeBaseName(baseName, sizeof(baseName));
    // A file that this run has written is never replaced by it: the later
    // row gets a numbered name as if auto-rename were on. The option only
    // decides about files that were there before.
    int autoRename = (run->Flags & EXTRACT_AUTO_RENAME) != 0;
    if (!ChooseTarget(&run->Names, run->TargetFolder, baseName, autoRename, &target)) {
        ShowPathTooLong(run->Owner, "Could not open file for writing: %s\n\n%s", run->TargetFolder, baseName, NULL);
        return 0;
    }
    // Without auto-rename a file from before the run is replaced; with it
    // the chosen name is new and must still be new when it is created.
    if (!ExtractPayload(run->Owner, cachePath, target.Path, !autoRename))
        return 0;
    RememberTarget(&run->Names, baseName, &target);
    if (run->MarkDownloaded)
        WriteZoneIdentifier(target.Path);
    if (run->Flags & EXTRACT_OPEN)
        return OpenIfConfirmed(run, row, target.Path, target.Path + target.NameOffset);
    return 1;
}

// After a copy that wrote several files, missed any or was stopped: how
// many of each. Every miss has had its own message already, unless the
// user chose to see no more of them.
static void ShowCopySummary(const ExtractRun *run)
{
    if ((run->Flags & EXTRACT_OPEN) || (run->Written <= 1 && run->Failed == 0 && !run->Stopped))
        return;
    char text[128];
    if (run->Stopped)
        wsprintfA(text, "Copy stopped: %d file(s) written, %d failed, %d not copied.", run->Written, run->Failed,
                  run->Total - run->Written - run->Failed);
    else
        wsprintfA(text, "%d file(s) written, %d failed.", run->Written, run->Failed);
    ShowMessageBox(run->Owner, text, "Marrowick", MB_OK | (run->Failed ? MB_ICONWARNING : MB_ICONINFORMATION));
}

// Progress in the owner's status bar and a live window between two files;
// 1 when Esc has asked the run to stop. Opening a single file shows none.
static int PaceExtractRun(const ExtractRun *run)
{
    if (!RunPumpDue())
        return RunStopRequested();
    if (!(run->Flags & EXTRACT_OPEN))
        SendMessageA(run->Owner, WM_COPYPROGRESS, (WPARAM)(run->Written + run->Failed), (LPARAM)run->Total);
    return PumpRunMessages();
}

// Every row of the run in turn: store rows, so that nothing the run's pump
// lets the list do changes which files are copied.
static void ExtractRows(ExtractRun *run)
{
    for (int i = 0; i < run->Total; i++) {
        if (PaceExtractRun(run)) {
            run->Stopped = 1;
            break;
        }
        if (ExtractRowPayload(run, run->Rows[i]))
            run->Written++;
        else
            run->Failed++;
    }
}

int ExtractRowPayloads(HWND owner, const int *rows, int count, const char *cacheFolder, const char *targetFolder,
                       int flags)
{
    // The volume is asked once per run, not per file.
    ExtractRun run = {owner, rows, cacheFolder, targetFolder, flags, HasNamedStreams(targetFolder),
                      {NULL, 0}, 0, 0, count, 0};
    if (!OpenRunNameTable(&run.Names, run.Total))
        return 0;
    SharedReadBuffer = (unsigned char *)GlobalAlloc(GPTR, SHARED_READ_BUFFER_SIZE);
    if (SharedReadBuffer) {
        BeginBusyRun();
        // After ten failures the user may choose to see only the summary.
        BeginErrorBoxRun(BOX_RUN_COPY);
        ExtractRows(&run);
        GlobalFree(SharedReadBuffer);
        SharedReadBuffer = NULL;
        EndErrorBoxRun(owner);
        ShowCopySummary(&run);
        EndBusyRun();
    }
    CloseRunNameTable(&run.Names);
    return run.Written;
}

void ExtractSelectedPayloads(HWND owner, HWND listView, const char *cacheFolder, const char *targetFolder, int flags)
{
    int *rows;
    int count = CollectSelectedRows(owner, listView, &rows);
    if (count > 0)
        ExtractRowPayloads(owner, rows, count, cacheFolder, targetFolder, flags);
    FreeSelectedRows(rows);
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
