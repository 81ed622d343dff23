// The quick filter: an edit box at the right end of the toolbar that narrows
// the list to the rows holding every word typed into it.
//
// While a filter is applied, every row of the load is kept in FilterStore
// (ten texts, icon, payload size) and the list view holds only the rows that
// match; commands keep working on the list view as always, so they act on
// the rows shown. With the box empty none of this is in play: the store is
// empty and every hook below does nothing.
#ifndef MARROWICK_FILTER_H
#define MARROWICK_FILTER_H

enum {
    FILTER_TEXT_SIZE = 256,     // what the box takes, terminator included
    FILTER_DELAY_MS = 150,      // pause after the last key before filtering
    FILTER_BOX_WIDTH = 180,
    FILTER_TIMER_ID = 1         // the box's own timer
};

// One row of the load as the list view showed it when it was taken.
struct FilterRow {
    int TextOffset[COLUMN_COUNT];   // into FilterStore.Texts
    int IconIndex;
    unsigned int PayloadSize;
    int Deleted;                    // its cache file was deleted: never shown again
};

// Every row of the load while a filter is applied; empty (Rows null) otherwise.
struct FilterStoreRecord {
    FilterRow *Rows;        // in the order of the load (scan order)
    int RowCount;
    int LiveCount;          // rows not deleted
    char *Texts;            // every cell text, each terminated
    int TextsUsed;
    int TextsSize;
    int *ByCacheFile;       // row numbers ordered by Cache File text
    int Rebuilding;         // the list is being refilled from the store
};
extern FilterStoreRecord FilterStore;
// The words applied to the list, joined by one blank; empty: no filter.
extern char AppliedFilter[FILTER_TEXT_SIZE];
extern HWND FilterBoxHandle;

// Creates the filter box as a child of the toolbar (cue text "Filter").
HWND CreateFilterBox(HWND toolbar);
// Puts the box at the right end of the toolbar, behind the last button.
void PlaceFilterBox(void);
// Ctrl+E: the keyboard goes to the box and its text is selected.
void FocusFilterBox(void);
// WM_COMMAND of the main window: 1 when it came from the filter box.
int OnFilterBoxCommand(WPARAM wParam, LPARAM lParam);

// Shows the rows of `listView` that match `text` (all rows for a text without
// words) in the current sort order. Returns 0 when the rows could not be
// kept (out of memory, reported); the list is then left as it was.
int ApplyFilter(HWND mainWindow, HWND listView, const char *text);
// 1 while a filter is applied.
int FilterActive(void);
// Splits `text` at blanks into `words` (FILTER_TEXT_SIZE + 1 bytes): each
// word terminated, the list ended by an empty word. Returns the word count.
int SplitFilterWords(const char *text, char *words);
// 1 when every word occurs in one of the ten texts, letters compared without
// regard to case in the ANSI code page; a list without words matches every row.
int RowMatchesWords(const char *const texts[COLUMN_COUNT], const char *words);

// The list view emptied all its rows (a scan): the kept rows are dropped.
void OnFilterListEmptied(void);
// The list view is about to delete `row`: its kept copy is marked deleted.
void OnFilterRowDeleting(HWND listView, int row);
// After a scan: applies the filter text to the new rows.
void ReapplyFilterAfterLoad(HWND mainWindow, HWND listView);
// After the GMT switch: the kept date texts follow the list's.
void RedisplayFilteredDates(int showGmt);
// "%d item(s)", or "%d of %d item(s)" while a filter is applied, into
// `text`; returns the text's length.
int FormatRowCountText(char *text, int rows);

#endif
