// The quick filter: an edit box at the right end of the toolbar that narrows
// the list to the rows holding every word typed into it.
//
// While a filter is applied, only the row store's rows marked ROW_SHOWN are
// in the list's view; commands work on the list's rows, so they act on the
// rows shown.
#ifndef MARROWICK_FILTER_H
#define MARROWICK_FILTER_H

enum {
    FILTER_TEXT_SIZE = 256,     // what the box takes, terminator included
    FILTER_DELAY_MS = 150,      // pause after the last key before filtering
    FILTER_BOX_WIDTH = 180,
    FILTER_TIMER_ID = 1         // the box's own timer
};

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

// Shows the rows of the store that match `text` (all rows for a text without
// words) in the current sort order, none of them selected. Returns 1.
int ApplyFilter(HWND mainWindow, HWND listView, const char *text);
// Marks the live rows of the store that match the applied filter ROW_SHOWN
// (every row without a filter) and clears the mark of the others.
void MarkFilteredRows(void);
// 1 while a filter is applied.
int FilterActive(void);
// Splits `text` at blanks into `words` (FILTER_TEXT_SIZE + 1 bytes): each
// word terminated, the list ended by an empty word. Returns the word count.
int SplitFilterWords(const char *text, char *words);
// 1 when every word occurs in one of the ten texts, letters compared without
// regard to case in the ANSI code page; a list without words matches every row.
int RowMatchesWords(const char *const texts[COLUMN_COUNT], const char *words);

// "%d item(s)", or "%d of %d item(s)" while a filter is applied, into
// `text`; returns the text's length.
int FormatRowCountText(char *text, int rows);

#endif
