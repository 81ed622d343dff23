// Start-up, message loop and settings file; the main window procedure with
// its commands, menu states, notifications, layout and focus.
#ifndef MARROWICK_MAINWINDOW_H
#define MARROWICK_MAINWINDOW_H

#include <commdlg.h>

#define MAIN_WINDOW_CLASS "MarrowickWindowClass"
#define MAIN_WINDOW_TITLE "Marrowick"

// Smallest size the user can drag the main window to.
enum { MAIN_MIN_WIDTH = 250, MAIN_MIN_HEIGHT = 145 };

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

// --- Settings file (settings.cpp) -------------------------------------------
// Settings path for an executable path: the last extension (a '.' after the
// last '\') is replaced by ".cfg", or ".cfg" is appended. `path` holds MAX_PATH.
void MakeSettingsFilePath(const char *exePath, char *path);
void GetSettingsFilePath(char *path);
// The first error of a settings write since it was last set to 0, or 0.
extern DWORD SettingsWriteError;
// One key of SettingsFilePath; a failure is kept in SettingsWriteError.
BOOL WriteSettingText(const char *section, const char *key, const char *text);
BOOL WriteSettingInt(const char *section, const char *key, int value);
// Parses up to `count` comma-separated integers over `slots`; slots after the
// last entry keep their values. Returns the number of slots written.
int ParseIntList(const char *text, int count, int *slots);
void LoadSettings(void);
void SaveSettings(void);
void RestoreWindowPlacement(HWND window);
void SaveWindowPlacement(HWND window, HWND listView);

// --- Main window (mainwindow.cpp) -------------------------------------------
// Registers MAIN_WINDOW_CLASS with AppInstance; 0 on failure.
ATOM RegisterMainWindowClass(void);
// Creates the main window (WM_CREATE builds the children and reads the
// settings from SettingsFilePath) and places it as it was saved, maximized
// or hidden; null on failure.
HWND CreateMainWindow(void);
// The keyboard steps of the message loop: accelerators for every window of
// the thread, then dialog navigation of the main window and of the find
// dialog. TRUE when one of them took the message.
BOOL RouteKeyboardMessage(MSG *msg, HWND mainWindow, HACCEL accelerators);
// Runs the message loop until WM_QUIT; returns its wParam.
int RunMessageLoop(HWND mainWindow, HACCEL accelerators);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// --- Commands and menu states (commands.cpp) --------------------------------
// 1 when the command's selection or option condition holds right now.
int CommandAllowed(int command);
void RunCommand(HWND mainWindow, int command);
// Check marks, radio marks and gray states for the menu about to be shown.
void UpdateMenuStates(HMENU menu);
// Draws the file menu's item for the current DefaultAction in bold.
void SetFileMenuDefaultItem(void);

// --- Notifications (notify.cpp) ---------------------------------------------
LRESULT OnNotify(HWND mainWindow, NMHDR *header);
// WM_CONTEXTMENU from the list view or its header: the column menu for a
// click on the header, the file menu at the focused row for Shift+F10 or the
// menu key (lParam -1). Always 0.
LRESULT OnContextMenu(HWND mainWindow, HWND from, LPARAM lParam);
// Posts WM_UPDATESTATUS unless one is already on its way.
void RequestStatusUpdate(HWND mainWindow);
// Sets SelectedSizeTotal from the payload sizes of the shown rows that the
// store marks selected (listrows.cpp).
void RecountSelectedSize(HWND listView);

// --- Layout and focus (layout.cpp) ------------------------------------------
void LayoutMainWindow(WPARAM sizeType, LPARAM clientSize);
LRESULT OnActivate(HWND window, WPARAM wParam, LPARAM lParam);

#endif
