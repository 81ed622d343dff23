// The cache list view: columns, widths and order, column hiding, the header's
// sort-arrow images and the centred empty-list text.
#ifndef MARROWICK_LISTVIEW_H
#define MARROWICK_LISTVIEW_H

HWND CreateCacheListView(HWND mainWindow);
int InsertListColumn(HWND listView, int format, int width, const char *title, int index);
void FreeSortArrowImages(HWND listView);
void ToggleColumn(HWND listView, int column);
LRESULT CALLBACK ListViewSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
