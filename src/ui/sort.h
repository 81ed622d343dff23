// Sorting the list by any column, the header's sort arrow, and the GMT/local
// display of the date columns. The rows and their keys are the row store's
// (cache/rowstore.h); this is the list's side of it.
#ifndef MARROWICK_SORT_H
#define MARROWICK_SORT_H

// Header item that shows the sort arrow, or -1. Kept across loads.
extern int ArrowColumn;

// Moves the header's sort arrow to the key's column and sorts every row of
// the store by it; the list shows the sorted rows with their selection.
// `key` must not be -1. Returns 0 when the memory for the sort was missing.
int SortList(HWND listView, int key);
// Shows the three date columns in the zone of ShowTimeInGMT: the store's
// instants are formatted anew as the rows are painted.
void RedisplayDates(HWND listView);

#endif
