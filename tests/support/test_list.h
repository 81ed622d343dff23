// A real report-view list view laid out like the program's: a view of the
// row store (owner data) with ten columns of the program's titles and
// alignments, sub-item = ColumnId, control id IDC_LIST. Tests fill the store
// with rows of texts and read the cells back through the control.
#ifndef MARROWICK_TEST_LIST_H
#define MARROWICK_TEST_LIST_H

#include "marrowick.h"

#include <string>
#include <vector>

// Makes `parent` answer its list's owner-data notifications as the main
// window does.
void RouteListNotifications(HWND parent);

// Empties the row store and creates the list as a visible child of `parent`,
// whose list notifications go to the program's owner-data handling; every
// column gets `columnWidth` pixels.
HWND CreateTestList(HWND parent, int columnWidth);

// Appends a row to the store and shows every row in store order; texts[i]
// goes to column i (date columns take HTTP date values such as "Sun, 06 Nov
// 1994 08:49:37 GMT"), missing texts stay empty, `data` becomes the payload
// size, and the bucket folder is the Cache File text's first two characters
// read as hexadecimal digits (00 otherwise). Returns the row's list index.
int AddTestRow(HWND list, const std::vector<std::string> &texts, LPARAM data = 0);
// The row store's rows shown in the list again, in store order.
void ShowTestRows(HWND list);
// Empties the row store and the list.
void ClearTestRows(HWND list);

// Sets or clears the selected state of one row.
void SelectTestRow(HWND list, int row, bool selected = true);

// The text of one cell, up to 1,023 characters as a 1,024-byte buffer takes
// them (Wine hands out a 1,024th and writes the terminator past the buffer:
// the buffer has a spare byte for it).
std::string TestCellText(HWND list, int row, int column);

// The texts of one column from the first row to the last.
std::vector<std::string> TestColumnTexts(HWND list, int column);

#endif
