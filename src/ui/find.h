// The modeless find dialog, Find Next, Select All and Invert Selection.
#ifndef MARROWICK_FIND_H
#define MARROWICK_FIND_H

#include <commdlg.h>

void OpenFindDialog(HWND mainWindow, UINT message);
void FindNextRow(HWND listView, FINDREPLACEA *state);
int MatchCellText(const char *cell, const char *findText, int wholeWord, int matchCase);
void SelectAllRows(HWND listView);
void InvertSelection(HWND listView);

#endif
