// The selected rows on the clipboard as CF_TEXT: byte for byte the
// tab-delimited report of the same rows and columns (no header, CR LF after
// every row) followed by a zero byte. The text is measured first and then
// built in one allocation of exactly that size, each whole cell text copied
// from the row store straight into the clipboard memory.
#include "marrowick.h"

#include <string.h>

// -1 stands for the visible columns; bits above the ten columns mean nothing.
static int ResolveColumnMask(HWND listView, int columnMask)
{
    if (columnMask == -1)
        return VisibleColumnMask(listView);
    return columnMask & ((1 << COLUMN_COUNT) - 1);
}

// Bytes of the text of `rows` without the terminating zero; with `text`
// non-null the text is written there as well.
static DWORD LayOutRows(const int *rows, int count, int mask, char *text)
{
    DWORD at = 0;
    for (int i = 0; i < count; i++) {
        bool first = true;
        for (int column = 0; column < COLUMN_COUNT; column++) {
            if (!(mask & (1 << column)))
                continue;
            if (!first) {
                if (text)
                    text[at] = '\t';
                at++;
            }
            first = false;
            const char *cell = RowText(rows[i], column);
            DWORD length = (DWORD)strlen(cell);
            if (text)
                memcpy(text + at, cell, length);
            at += length;
        }
        if (text)
            memcpy(text + at, "\r\n", 2);
        at += 2;
    }
    return at;
}

DWORD MeasureClipboardText(HWND listView, int columnMask)
{
    int *rows;
    int count = CollectSelectedRows(GetParent(listView), listView, &rows);
    DWORD size = LayOutRows(rows, count > 0 ? count : 0, ResolveColumnMask(listView, columnMask), NULL) + 1;
    FreeSelectedRows(rows);
    return size;
}

int CopyRowsToClipboard(HWND owner, HWND listView, int columnMask)
{
    int mask = ResolveColumnMask(listView, columnMask);
    int *rows;
    int count = CollectSelectedRows(owner, listView, &rows);
    if (count < 0)
        return 0;
    if (!OpenClipboard(owner)) {
        FreeSelectedRows(rows);
        return 0;
    }
    EmptyClipboard();
    DWORD size = LayOutRows(rows, count, mask, NULL) + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    char *text = memory ? (char *)GlobalLock(memory) : NULL;
    if (!text) {
        if (memory)
            GlobalFree(memory);
        CloseClipboard();  // the clipboard stays empty
        FreeSelectedRows(rows);
        return 0;
    }
    text[LayOutRows(rows, count, mask, text)] = '\0';
    FreeSelectedRows(rows);
    GlobalUnlock(memory);
    // The clipboard owns the memory only once SetClipboardData succeeds; a
    // text that never reached the clipboard is no success.
    int placed = SetClipboardData(CF_TEXT, memory) != NULL;
    if (!placed)
        GlobalFree(memory);
    int closed = CloseClipboard() ? 1 : 0;
    return placed && closed;
}
