// The cache list view: columns, widths and order, column hiding, the header's
// sort-arrow images and the centred empty-list text.
#ifndef MARROWICK_LISTVIEW_H
#define MARROWICK_LISTVIEW_H

// One column of the list: its header title, its alignment as a list view
// column format (LVCFMT_LEFT 0, LVCFMT_RIGHT 1) and its width in pixels on a
// first start. Indexed by ColumnId; reports and the properties window read
// the titles from here.
struct ListColumn {
    const char *Title;
    int Format;
    int DefaultWidth;
};
extern const ListColumn ListColumns[COLUMN_COUNT];

// Width each column gets back when it is shown again, by ColumnId. Starts at
// the default widths; changed only when ToggleColumn hides a column.
extern int RestoreColumnWidths[COLUMN_COUNT];

// The empty-list text, drawn centred while the list holds no rows.
// ActiveEmptyText points at EmptyTextState while a text is set and is null
// otherwise: the pointer, not the text, decides whether anything is drawn.
enum { EMPTY_TEXT_SIZE = 1024, EMPTY_TEXT_TOP = 60 };
struct EmptyTextRecord {
    char Text[EMPTY_TEXT_SIZE];
    RECT Rect;      // client coordinates of the list view where it is drawn
    HFONT Font;     // the list view's font when the text was set
};
extern EmptyTextRecord EmptyTextState;
extern EmptyTextRecord *ActiveEmptyText;

// Reads the text of `column` in `row` into `buffer` (`size` bytes) and
// returns its length: at most size - 2 characters, as Windows gives them for
// cchTextMax = size - 1, always terminated inside the buffer. Wine differs
// with a text that fills cchTextMax: its version-5 list view terminates it
// one byte past (the last byte of `buffer` takes that), its version-6 one
// not at all. Every cell read of the program goes through here.
int ReadListCellText(HWND listView, int row, int column, char *buffer, int size);
// The ten column widths of the settings file (0: hidden), each missing or
// negative one at its column's default; needs no window.
void ReadColumnWidths(int *widths);
// Creates the report list view with its ten columns, remembered widths and
// order, the shell's small icons, the header's sort arrows and the subclass.
HWND CreateCacheListView(HWND mainWindow);
// Inserts a column at `index` with the same sub-item; returns its index or -1.
int InsertListColumn(HWND listView, int format, int width, const char *title, int index);
// Destroys the header's sort-arrow image list (the small icons are the shell's).
void FreeSortArrowImages(HWND listView);
// Hides a visible column (width 0) or shows a hidden one at its restore width.
void ToggleColumn(HWND listView, int column);
// Scrolls to the first row and the left edge, as a freshly filled list starts.
void ScrollListToTop(HWND listView);
LRESULT CALLBACK ListViewSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// --- The list as a view of the row store (listrows.cpp) ---------------------
// The list shows RowView.Shown: its count is set and the selection starts
// empty, or (keepSelection) the rows marked selected, and the focused row,
// get their marks back at their new indexes. One repaint.
void ShowRowView(HWND listView, int keepSelection);
// Every shown row's selection turned over in the store, then given to the
// list in one pass (the focus stays on its row); one status refresh.
void InvertRowSelection(HWND listView);
// The list shows no rows (before the store is emptied) and nothing is selected.
void HideRowView(HWND listView);
// The list's owner-data notifications (texts, icons, type-ahead, selection
// changes by row, by range and for all rows). 1 when `header` was one of
// them, its answer in `result`. Every parent of the list passes them here.
int HandleRowListNotify(HWND mainWindow, NMHDR *header, LRESULT *result);
// The store rows of the selected list rows, in list order, in a block for
// FreeSelectedRows (null for none). Returns the count; -1 after an error box
// when the memory is not there.
int CollectSelectedRows(HWND owner, HWND listView, int **rows);
void FreeSelectedRows(int *rows);

#endif
