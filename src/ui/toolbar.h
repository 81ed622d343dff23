// Toolbar with tooltips and the two-part status bar.
#ifndef MARROWICK_TOOLBAR_H
#define MARROWICK_TOOLBAR_H

// The toolbar's masked image list made from IDB_TOOLBAR, or null. The main
// window destroys it when it is destroyed (ImageList_Destroy of null is harmless).
extern HIMAGELIST ToolbarImageList;

HWND CreateToolbar(HWND mainWindow);
HWND CreateStatusBar(HWND mainWindow);
// The constant tooltip text of a toolbar command, or null for none.
const char *GetToolTipText(int command);
// "1024 B", "1.00 KB" ... "16777216.00 TB": a text in a process-wide buffer
// that the next call overwrites.
const char *FormatSizeText(const unsigned long long *bytes);
// Toolbar button states and the counts in the status bar (WM_UPDATESTATUS).
void RefreshStatus(void);
// "Loading... %d" in the status bar while a scan runs (WM_LOADPROGRESS).
void ShowLoadProgress(int count);
// "Copying... %d of %d" while a copy runs (WM_COPYPROGRESS).
void ShowCopyProgress(int done, int total);

#endif
