// Properties window: all ten fields of the selected list row at once, each a
// labelled, read-only, horizontally scrolling edit the user can copy from.
#include "marrowick.h"

// Titles are read up to 1,024 characters; the buffer has room for a title of
// that length, the colon and the terminator. Values are the row store's
// whole texts.
enum { PROPERTY_TEXT_MAX = 1024 };

// Label i gets column i's title and a colon, value i the row's text of
// column i: every column, hidden ones (width 0) included, in ColumnId order
// whatever the display order. An empty cell leaves its field empty.
static void FillProperties(HWND dialog, HWND listView)
{
    char text[PROPERTY_TEXT_MAX + 2];
    int row = ShownRowAt((int)SendMessageA(listView, LVM_GETNEXTITEM, (WPARAM)-1, MAKELPARAM(LVNI_SELECTED, 0)));
    for (int i = 0; i < COLUMN_COUNT; i++) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = PROPERTY_TEXT_MAX;
        text[0] = '\0';
        if (SendMessageA(listView, LVM_GETCOLUMNA, i, (LPARAM)&column)) {
            lstrcatA(text, ":");
            SetDlgItemTextA(dialog, IDC_PROP_LABEL_FIRST + i, text);
        }
        if (row >= 0 && RowText(row, i)[0])
            SetDlgItemTextA(dialog, IDC_PROP_VALUE_FIRST + i, RowText(row, i));
    }
}

// Opened with the list view as creation parameter; ends with the id of the
// button that closed it (OK, or Cancel for Escape and the close box).
INT_PTR CALLBACK PropertiesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        FillProperties(dialog, (HWND)lParam);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}
