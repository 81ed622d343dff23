// The selected rows on the clipboard as CF_TEXT: byte for byte the
// tab-delimited report of the same rows and columns (no header, CR LF after
// every row) followed by a zero byte. The text is measured first and then
// built in one allocation of exactly that size, each cell text fetched
// straight into the clipboard memory.
#include "marrowick.h"

// -1 stands for the visible columns; bits above the ten columns mean nothing.
static int ResolveColumnMask(HWND listView, int columnMask)
{
    if (columnMask == -1)
        return VisibleColumnMask(listView);
    return columnMask & ((1 << COLUMN_COUNT) - 1);
}

DWORD MeasureClipboardText(HWND listView, int columnMask)
{
    char text[REPORT_TEXT_BUFFER];
    int mask = ResolveColumnMask(listView, columnMask);
    DWORD size = 0;
    for (int row = NextSelectedRow(listView, -1); row >= 0; row = NextSelectedRow(listView, row)) {
        bool first = true;
        for (int column = 0; column < COLUMN_COUNT; column++) {
            if (!(mask & (1 << column)))
                continue;
            if (!first)
                size += 1;  // tab
            first = false;
            size += (DWORD)FetchCellText(listView, row, column, text, sizeof(text));
        }
        size += 2;  // CR LF
    }
    return size + 1;  // terminating zero
}

// Builds the text into `text` of exactly `size` bytes. Every write is kept
// inside the block, and the zero byte always fits, even if a cell were to
// come back longer than it was measured.
static void BuildClipboardText(HWND listView, int mask, char *text, DWORD size)
{
    static const char rowEnd[] = "\r\n";
    DWORD at = 0;
    DWORD limit = size - 1;  // the last byte is the terminator's
    for (int row = NextSelectedRow(listView, -1); row >= 0; row = NextSelectedRow(listView, row)) {
        bool first = true;
        for (int column = 0; column < COLUMN_COUNT; column++) {
            if (!(mask & (1 << column)))
                continue;
            if (!first && at < limit)
                text[at++] = '\t';
            first = false;
            at += (DWORD)FetchCellText(listView, row, column, text + at, size - at);
        }
        for (int i = 0; rowEnd[i] && at < limit; i++)
            text[at++] = rowEnd[i];
    }
    text[at < limit ? at : limit] = '\0';
}

int CopyRowsToClipboard(HWND owner, HWND listView, int columnMask)
{
    int mask = ResolveColumnMask(listView, columnMask);
    if (!OpenClipboard(owner))
        return 0;
    EmptyClipboard();
    DWORD size = MeasureClipboardText(listView, mask);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    char *text = memory ? (char *)GlobalLock(memory) : NULL;
    if (!text) {
        if (memory)
            GlobalFree(memory);
        CloseClipboard();  // the clipboard stays empty
        return 0;
    }
    BuildClipboardText(listView, mask, text, size);
    GlobalUnlock(memory);
    // The clipboard owns the memory only once SetClipboardData succeeds; a
    // text that never reached the clipboard is no success.
    int placed = SetClipboardData(CF_TEXT, memory) != NULL;
    if (!placed)
        GlobalFree(memory);
    int closed = CloseClipboard() ? 1 : 0;
    return placed && closed;
}
