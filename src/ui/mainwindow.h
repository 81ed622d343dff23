// Start-up, message loop and settings file; the main window procedure with
// its commands, menu states, notifications, layout and focus.
#ifndef MARROWICK_MAINWINDOW_H
#define MARROWICK_MAINWINDOW_H

// Handles of the main window and its parts, valid while the window exists.
extern HWND MainWindowHandle;
extern HWND ToolbarHandle;
extern HWND ListViewHandle;
extern HWND StatusBarHandle;
extern HWND FocusWindow;        // gets the focus back on activation
extern HMENU MainMenuBar;
extern HMENU PopupMenus;        // IDR_POPUP_MENUS
extern HMENU ColumnMenu;        // its sub-menu 0, "[cols]"
extern HMENU FileMenu;          // its sub-menu 1, "[file]"
extern UINT FindMessage;        // registered "commdlg_FindReplace"
extern HWND FindDialogHandle;   // the modeless find dialog, or null

// Commands run by a double-click or Enter, indexed by DefaultAction.
extern const int DefaultActionCommands[3];

// Payload sizes of the selected rows; see the LVN_ITEMCHANGED handling.
extern long long SelectedSizeTotal;
extern int StatusUpdatePending;

void GetSettingsFilePath(char *path);
BOOL WriteSettingInt(const char *section, const char *key, int value, const char *file);
int ParseIntList(const char *text, int count, int *slots);
void LoadSettings(void);
void SaveSettings(void);
void RestoreWindowPlacement(HWND window);
void SaveWindowPlacement(HWND window, HWND listView);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
