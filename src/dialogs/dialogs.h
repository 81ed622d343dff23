// Dialogs: the two folder dialogs with the folder browser and the save
// dialog's placement hook, the properties window and the about box.
#ifndef MARROWICK_DIALOGS_H
#define MARROWICK_DIALOGS_H

// --- Folder dialogs -------------------------------------------------------
INT_PTR CALLBACK SelectCacheFolderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CopyFilesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void TrimToExistingFolder(char *path);
int BrowseForFolder(HWND owner, const char *startFolder, char *result);
int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data);
void CenterWindow(HWND window, HWND reference);
UINT_PTR CALLBACK SaveDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// --- Properties window ----------------------------------------------------
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

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK LinkButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);
void DrawLinkButton(const DRAWITEMSTRUCT *item);

#endif
