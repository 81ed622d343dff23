// Dialogs: the two folder dialogs with the folder browser and the save
// dialog's placement hook, the properties window and the about box.
#ifndef MARROWICK_DIALOGS_H
#define MARROWICK_DIALOGS_H

// --- Folder dialogs -------------------------------------------------------
// Dialog procedures of IDD_SELECT_CACHE_FOLDER and IDD_COPY_FILES, opened
// with DialogBoxParamA (main window as owner, no parameter); they end with
// IDOK after storing into AppSettings, or IDCANCEL storing nothing. OK in
// Select Cache Folder also posts WM_RELOADCACHE to the owner.
INT_PTR CALLBACK SelectCacheFolderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CopyFilesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Cuts the writable `path` back to its nearest existing folder.
void TrimToExistingFolder(char *path);
// The shell's folder browser at `startFolder`, `title` above its tree; 1 and
// the chosen folder in `result` (MAX_PATH, may be `startFolder` itself), or 0.
int BrowseForFolder(HWND owner, const char *title, const char *startFolder, char *result);
// Why the Copy Selected Files dialog refuses a destination on OK: a system
// error code (ERROR_INVALID_NAME for an empty or blank path or one holding
// < > | ? " or *, ERROR_DIRECTORY for an existing file), or 0 when the copy
// may try it.
DWORD CopyTargetProblem(const char *path);
// Folder browser callback: selects the start folder (`data`) and centres the
// browser once it is initialised. Always 0.
int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data);
// Centres `window` over `reference` (the primary screen when null).
void CenterWindow(HWND window, HWND reference);
// Hook of the explorer-style Save Selected Items dialog: centred over its
// owner the first time in a run, afterwards where the user left it.
UINT_PTR CALLBACK SaveDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// --- Properties window ----------------------------------------------------
// Dialog procedure of IDD_PROPERTIES; the creation parameter is the list
// view, whose first selected row is shown. Ends with IDOK or IDCANCEL.
INT_PTR CALLBACK PropertiesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// --- About box ------------------------------------------------------------
// The page the link opens; the link's caption is "Website - " and this text.
extern const char WebsiteAddress[];

// State of the about box's link button, process-wide; every field is set
// again each time the about box opens.
struct LinkButtonStateRecord {
    HCURSOR HandCursor;     // the system's hand cursor, or null
    HFONT PlainFont;        // the dialog's font, shown while hot
    HFONT UnderlinedFont;   // owned: created on WM_LINKINIT, deleted on WM_DESTROY
    int Hot;                // 1 while the mouse is over the caption and captured
    RECT TextRect;          // the caption's extent, client coordinates from 0,0
    WNDPROC PreviousProc;   // the button's own procedure
};
extern LinkButtonStateRecord LinkButtonState;

// Dialog procedure of IDD_ABOUT; ends with IDOK or IDCANCEL.
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Subclass procedure of the link button (WM_LINKINIT, WM_LINKGETRECT, hit
// testing, hot state); the rest goes to LinkButtonState.PreviousProc.
LRESULT CALLBACK LinkButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);
// Owner-draws the link button from its WM_DRAWITEM record.
void DrawLinkButton(const DRAWITEMSTRUCT *item);
// Contrast ratio of two colours by their relative luminance: 1 for equal
// luminance up to 21 for black on white.
double ContrastRatio(COLORREF first, COLORREF second);
// `preferred` when it contrasts at least 4.5:1 with `background`; else the
// first fixed link blue that does; else whichever of them contrasts most.
COLORREF ReadableLinkColor(COLORREF preferred, COLORREF background);

#endif
