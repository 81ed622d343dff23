// Marrowick: the types, process-wide state and helpers that every area of
// the program shares. Each area's own functions are declared in its header
// (cache/cache.h, actions/actions.h, report/report.h, ui/ui.h,
// dialogs/dialogs.h); this file includes them all.
//
// Everything runs on the one thread of the message loop: no state here is
// locked, and the conversion functions that return texts in buffers of their
// own are not reentrant.
#ifndef MARROWICK_H
#define MARROWICK_H

#include <windows.h>
#include <commctrl.h>
#include <stddef.h>

#include "resource.h"

// Number of elements of a fixed array; never repeat a table's length by hand.
template <typename T, size_t N>
constexpr int countof(T (&)[N]) { return (int)N; }

// The ten list columns. The number is the list view's column and sub-item
// index whatever the display order, and the offset of the column's command
// in the column menu (IDM_COLUMN_FIRST + id).
enum ColumnId {
    COL_FILENAME = 0,
    COL_URL = 1,
    COL_CONTENT_TYPE = 2,
    COL_FILE_SIZE = 3,
    COL_SERVER_TIME = 4,
    COL_LAST_MODIFIED = 5,
    COL_EXPIRE_TIME = 6,
    COL_SERVER_RESPONSE = 7,
    COL_ETAG = 8,
    COL_CACHE_FILE = 9,
    COLUMN_COUNT = 10
};

// Class of a stored response header: its position in the header-name table
// plus 2. Kinds 2 to 6 and 8 equal the ColumnId of the column they fill.
enum HeaderKind {
    HEADER_OTHER = -1,
    HEADER_CONTENT_TYPE = 2,
    HEADER_CONTENT_LENGTH = 3,
    HEADER_DATE = 4,
    HEADER_LAST_MODIFIED = 5,
    HEADER_EXPIRES = 6,
    HEADER_CONTENT_DISPOSITION = 7,
    HEADER_ETAG = 8
};

// What one cache file becomes, as the entry reader hands it to the row
// store: ten column texts by ColumnId (the three date columns hold the
// response's HTTP date values, which the store keeps as instants), an index
// into the system's small-icon image list and the payload size (0 marks a
// zero-length row).
struct CacheRow {
    const char *Text[COLUMN_COUNT];
    int IconIndex;
    unsigned int PayloadSize;
};

// Options and paths of the run. Field order is fixed; the settings file
// keys, defaults and moments of reading and writing are in ui/settings.cpp.
struct AppSettingsRecord {
    char CacheFolder[MAX_PATH];     // the cache folder in use
    char CopyFilesPath[MAX_PATH];   // destination of copied payloads
    char HttpCachePath[MAX_PATH];   // the user's own cache folder
    char TempOpenFolder[MAX_PATH];  // this run's temporary folder, never saved
    int SaveFilterIndex;
    int DefaultAction;
    int SelectedCacheFolder;
    int AutoDetectCachePath;
    int AutoRenameIfExist;
    int DeleteToRecycle;
    int ShowTimeInGMT;
    int MarkEmptyFiles;
    int SortByColumn;
    int FindFlags;
};

extern AppSettingsRecord AppSettings;
extern char SettingsFilePath[MAX_PATH];
extern HINSTANCE AppInstance;

// One zero-filled buffer of SHARED_READ_BUFFER_SIZE bytes, allocated only
// while a folder scan or a copy/open run is in progress, null otherwise.
enum { SHARED_READ_BUFFER_SIZE = 131072, CACHE_HEADER_READ_SIZE = 4096 };
extern unsigned char *SharedReadBuffer;

// Private window messages.
#define WM_RELOADCACHE   (WM_USER + 1203)  // 2227, to the main window
#define WM_UPDATESTATUS  (WM_USER + 1204)  // 2228
#define WM_LOADPROGRESS  (WM_USER + 1205)  // 2229, wParam = files so far
#define WM_COPYPROGRESS  (WM_USER + 1206)  // 2230, wParam = files done, lParam = files in all
#define WM_SETEMPTYTEXT  (WM_APP + 26)     // 0x801A, to the list view, lParam = text or NULL
#define WM_LINKINIT      (WM_APP + 35)     // 0x8023, to the about box's link button
#define WM_LINKGETRECT   (WM_APP + 36)     // 0x8024

// The one error message box. `format` holds one or two "%s": with two, the
// first gets `argument` and the second the system's text for the thread's
// last error; with one, it gets `argument`, or the system's text when
// `argument` is ERROR_ARG_SYSTEM. Any other "%" or count shows nothing.
// Shown modally, titled "Error", MB_OK | MB_ICONERROR, owned by `owner`.
// The last error is fetched inside, so call it straight after the failure.
// Inserts of the system's text ("%1") are filled with `argument`.
#define ERROR_ARG_SYSTEM ((const char *)(INT_PTR)-1)
void ShowErrorBox(HWND owner, const char *format, const char *argument);
// The system's text for the last error alone, its inserts filled with `path`.
void ShowSystemErrorBox(HWND owner, const char *path);
// Copies `text` into `out` (`size` bytes, always terminated) with every
// insert sequence ("%1" to "%99", also typed as "%1!s!") replaced by `insert`.
void FillMessageInserts(const char *text, const char *insert, char *out, int size);
// A run of boxes (a folder scan, a copy or open, a deletion): the first ten
// are shown, then the user is asked once (default No) whether to see the
// rest. After the answer No the rest are held back, and EndErrorBoxRun
// shows one box with their number, except after a copy, whose own summary
// counts its failures.
enum ErrorBoxRunKind { BOX_RUN_SCAN, BOX_RUN_COPY, BOX_RUN_DELETE };
void BeginErrorBoxRun(ErrorBoxRunKind kind);
void EndErrorBoxRun(HWND owner);

// --- The busy state (busy.cpp) ----------------------------------------------
// Held by a scan, a copy/open/delete run, a command and every message box of
// ours: anything that runs a message loop, in which other handlers can run.
// Entry points that arrive meanwhile (a reload, the filter's timer, a status
// refresh, a close) leave their message with DeferUntilIdle, posted again
// when the last holder lets go; other commands are refused.
void EnterBusy(void);
void LeaveBusy(void);
int IsBusy(void);
void DeferUntilIdle(HWND window, UINT message, WPARAM wParam);
// MessageBoxA, holding the busy state while the box is shown. In a run from
// the command line the text goes to standard error as one line instead, and
// the answer is IDOK, which no Yes/No question takes for Yes.
int ShowMessageBox(HWND owner, const char *text, const char *caption, UINT type);
// A long run (scan, copy) holds the state from BeginBusyRun to EndBusyRun
// and, whenever RunPumpDue says so, calls PumpRunMessages: the window
// repaints, moves and resizes, keyboard and mouse input to its contents is
// dropped, and Esc asks the run to stop. 1 once a stop has been asked.
void BeginBusyRun(void);
void EndBusyRun(void);
int RunPumpDue(void);
int PumpRunMessages(void);
void RequestRunStop(void);
int RunStopRequested(void);

#include "cache/cache.h"
#include "actions/actions.h"
#include "report/report.h"
#include "ui/ui.h"
#include "dialogs/dialogs.h"

#endif
