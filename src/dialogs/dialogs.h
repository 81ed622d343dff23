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
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK LinkButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);
void DrawLinkButton(const DRAWITEMSTRUCT *item);

#endif
