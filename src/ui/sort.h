// Sorting by any column and the GMT/local display of the date columns.
#ifndef MARROWICK_SORT_H
#define MARROWICK_SORT_H

int SortList(HWND listView, int key);
int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM context);
void RedisplayDates(HWND listView, int showGmt);
int ParseDisplayedDate(const char *text, SYSTEMTIME *time);
unsigned long long DigitsValue(const char *text);

#endif
