// Toolbar with tooltips and the two-part status bar.
#ifndef MARROWICK_TOOLBAR_H
#define MARROWICK_TOOLBAR_H

HWND CreateToolbar(HWND mainWindow);
HWND CreateStatusBar(HWND mainWindow);
const char *GetToolTipText(int command);
const char *FormatSizeText(const unsigned long long *bytes);
void RefreshStatus(void);
void ShowLoadProgress(int count);

#endif
