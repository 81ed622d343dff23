// A real report-view list view laid out like the program's: ten columns with
// the program's titles and alignments, sub-item = ColumnId, control id
// IDC_LIST. Tests fill it with rows of texts and read the cells back.
#ifndef MARROWICK_TEST_LIST_H
#define MARROWICK_TEST_LIST_H

#include "marrowick.h"

#include <string>
#include <vector>

// Creates the list as a visible child of `parent`; every column gets
// `columnWidth` pixels.
HWND CreateTestList(HWND parent, int columnWidth);

// Appends a row; texts[i] goes to column i, missing texts stay empty, `data`
// becomes the item data. Returns the row's index.
int AddTestRow(HWND list, const std::vector<std::string> &texts, LPARAM data = 0);

// Sets or clears the selected state of one row.
void SelectTestRow(HWND list, int row, bool selected = true);

// The text of one cell, up to 1,023 characters as a 1,024-byte buffer takes
// them (Wine hands out a 1,024th and writes the terminator past the buffer:
// the buffer has a spare byte for it).
std::string TestCellText(HWND list, int row, int column);

// The texts of one column from the first row to the last.
std::vector<std::string> TestColumnTexts(HWND list, int column);

#endif
