// Find and selection: the modeless find dialog, the search through the
// shown rows' cells in the row store, Select All and Invert Selection.
//
// Every selection change here goes through LVM_SETITEMSTATE, so the list
// view's LVN_ITEMCHANGED notifications keep the main window's selected-size
// total and status bar up to date.
#include "marrowick.h"

#include <string.h>

FINDREPLACEA FindState;
char FindWhatText[FIND_TEXT_SIZE];

// --- Find dialog --------------------------------------------------------------

void OpenFindDialog(HWND mainWindow, UINT message)
{
    ZeroMemory(&FindState, sizeof(FindState));
    FindState.lStructSize = sizeof(FindState);
    FindState.hwndOwner = mainWindow;
    FindState.Flags = (DWORD)AppSettings.FindFlags & FIND_OPTION_MASK;
    FindState.lpstrFindWhat = FindWhatText;
    FindState.wFindWhatLen = FIND_TEXT_SIZE;
    if (message != 0 && FindWhatText[0]) {
        // Find Next with a text: search as the dialog's button would.
        FindState.Flags |= FR_FINDNEXT;
        SendMessageA(mainWindow, message, 0, (LPARAM)&FindState);
        return;
    }
    if (!FindDialogHandle)
        FindDialogHandle = FindTextA(&FindState);
}

LRESULT HandleFindMessage(HWND mainWindow, FINDREPLACEA *state)
{
    if (state->Flags & FR_DIALOGTERM) {
        FindDialogHandle = NULL;
    } else if (state->Flags & FR_FINDNEXT) {
        // Options chosen in the dialog become the remembered ones; F3 sends
        // the remembered ones back, so this changes nothing then.
        AppSettings.FindFlags = (int)(state->Flags & FIND_OPTION_MASK);
        FindNextRow(GetDlgItem(mainWindow, IDC_LIST), state);
    }
    return 0;
}

// --- Search -------------------------------------------------------------------

static int RowMatches(int row, const FINDREPLACEA *state)
{
    int wholeWord = (state->Flags & FR_WHOLEWORD) ? 1 : 0;
    int matchCase = (state->Flags & FR_MATCHCASE) ? 1 : 0;
    // Every column, shown or hidden (hidden ones merely have width 0), each
    // text whole.
    for (int column = 0; column < COLUMN_COUNT; column++)
        if (MatchCellText(RowText(row, column), state->lpstrFindWhat, wholeWord, matchCase))
            return 1;
    return 0;
}

int FindMatchingRow(HWND listView, const FINDREPLACEA *state)
{
    int step = (state->Flags & FR_DOWN) ? 1 : -1;
    // The topmost selected row is the start in either direction; it is not
    // searched again, so the next search begins right after (above) a hit.
    // Nothing lies above "no row", and there is no wrap-around.
    int index = (int)SendMessageA(listView, LVM_GETNEXTITEM, (WPARAM)-1, MAKELPARAM(LVNI_SELECTED, 0));
    if (index == -1 && step < 0)
        return -1;
    for (index += step; index >= 0 && index < RowView.ShownCount; index += step)
        if (RowMatches(RowView.Shown[index], state))
            return index;
    return -1;
}

// Sets the `mask` bits of the row's state (row -1: every row) to `state`.
static void SetRowState(HWND listView, int row, UINT mask, UINT state)
{
    LVITEMA item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(listView, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
}

static void SetRowSelected(HWND listView, int row, int selected)
{
    SetRowState(listView, row, LVIS_SELECTED, selected ? LVIS_SELECTED : 0);
}

void FindNextRow(HWND listView, FINDREPLACEA *state)
{
    int row = FindMatchingRow(listView, state);
    if (row == -1) {
        // The selection stays as it was; the note stays until it changes.
        MessageBeep(MB_ICONASTERISK);
        char note[24 + FIND_TEXT_SIZE];
        wsprintfA(note, "Cannot find \"%s\"", state->lpstrFindWhat);
        ShowStatusNote(note);
        return;
    }
    // The hit becomes the only selected row and takes the focus mark and
    // the selection mark with it, so the keys (Down, Shift+Down) go on from
    // there rather than from the row the user had before the search.
    SetRowSelected(listView, -1, 0);
    SetRowState(listView, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageA(listView, LVM_SETSELECTIONMARK, 0, (LPARAM)row);
    SendMessageA(listView, LVM_ENSUREVISIBLE, (WPARAM)row, FALSE);
}

// Equal bytes, or with matchCase 0 an ASCII letter of the find text against
// the same letter in the other case. Bytes from 128 up compare only as
// themselves, whatever the code page.
static int CharsEqual(unsigned char cell, unsigned char find, int matchCase)
{
    if (cell == find)
        return 1;
    if (matchCase)
        return 0;
    int letter = (find >= 'A' && find <= 'Z') || (find >= 'a' && find <= 'z');
    return letter && (cell ^ 0x20) == find;
}

static int MatchesAt(const char *cell, const char *find, int matchCase)
{
    for (; *find; cell++, find++)
        if (!*cell || !CharsEqual((unsigned char)*cell, (unsigned char)*find, matchCase))
            return 0;
    return 1;
}

int MatchCellText(const char *cell, const char *findText, int wholeWord, int matchCase)
{
    if (!findText[0])
        return 0;
    if (wholeWord)
        return strlen(cell) == strlen(findText) && MatchesAt(cell, findText, matchCase);
    for (; *cell; cell++)
        if (MatchesAt(cell, findText, matchCase))
            return 1;
    return 0;
}

// --- Selection ----------------------------------------------------------------

void SelectAllRows(HWND listView)
{
    SendMessageA(listView, WM_SETREDRAW, FALSE, 0);
    SetRowSelected(listView, -1, 1);    // one request for every row; focus unchanged
    SendMessageA(listView, WM_SETREDRAW, TRUE, 0);
}

void InvertSelection(HWND listView)
{
    SendMessageA(listView, WM_SETREDRAW, FALSE, 0);
    InvertRowSelection(listView);
    SendMessageA(listView, WM_SETREDRAW, TRUE, 0);
}
