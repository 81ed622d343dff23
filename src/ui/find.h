// The modeless find dialog, Find Next, Select All and Invert Selection.
#ifndef MARROWICK_FIND_H
#define MARROWICK_FIND_H

#include <commdlg.h>

enum { FIND_TEXT_SIZE = 1024 };
// The remembered option bits of FindFlags.
enum { FIND_OPTION_MASK = FR_DOWN | FR_WHOLEWORD | FR_MATCHCASE };

// The one find request of the run. The find dialog keeps a pointer to it, so
// it lives at one address for the whole process; FindWhatText is its text buffer
// (the last search text, shown again when the dialog reopens).
extern FINDREPLACEA FindState;
extern char FindWhatText[FIND_TEXT_SIZE];

// IDM_FIND (message 0) opens the dialog; IDM_FIND_NEXT (the registered
// "commdlg_FindReplace" number) repeats the last search, or opens the dialog
// when there is no find text yet.
void OpenFindDialog(HWND mainWindow, UINT message);
// The registered find message sent to the main window (lParam = the request):
// closes down the dialog's handle or runs a search on the IDC_LIST child.
// Returns 0, the message's result.
LRESULT HandleFindMessage(HWND mainWindow, FINDREPLACEA *state);
// Searches from the topmost selected row in the request's direction and
// makes a hit the only selected row; beeps when nothing is found.
void FindNextRow(HWND listView, FINDREPLACEA *state);
// The row FindNextRow would select, or -1 (no wrap-around).
int FindMatchingRow(HWND listView, const FINDREPLACEA *state);
// 1 when `cell` matches: whole word = the whole cell; ASCII letters only are
// folded when matchCase is 0. An empty find text matches nothing.
int MatchCellText(const char *cell, const char *findText, int wholeWord, int matchCase);
void SelectAllRows(HWND listView);
void InvertSelection(HWND listView);

#endif
