// Reports: the selected rows as text, tab- or comma-delimited text or HTML,
// and as tab-delimited text on the clipboard.
#ifndef MARROWICK_REPORT_H
#define MARROWICK_REPORT_H

// The report's file name, kept for the whole run so that the save dialog
// proposes the previous name. The main window empties it when it is created.
extern char ReportFileName[MAX_PATH];

// Runs the save dialog for a report. On OK stores the chosen name in
// `fileName` (MAX_PATH characters) and the chosen filter, which is the
// report format number 1 to 4, in `*filterIndex`, and returns 1. On cancel
// or failure returns 0 and changes neither.
int ChooseReportFile(HWND owner, char *fileName, int *filterIndex);

// What a report is written from: rows of the row store in the order given,
// the columns of ColumnMask (bit i for ColumnId i) with their titles.
struct ReportSource {
    int *Rows;
    int Count;
    int ColumnMask;
    const char *Titles[COLUMN_COUNT];
};

// Writes the source's rows to `fileName` in `format` (1 text, 2
// tab-delimited, 3 comma-delimited, 4 HTML; any other number writes the bare
// cell texts), every cell text whole. A file that cannot be created, or a
// write that fails part-way, is reported through the error box owned by
// `owner`. Needs no window. 1 when the whole file was written.
int WriteReportRows(HWND owner, const char *fileName, int format, const ReportSource *source);
// The same for the list's selected rows, its visible columns and titles.
void WriteReportFile(HWND owner, HWND listView, const char *fileName, int format);

// Puts the selected rows on the clipboard as CF_TEXT: tab-delimited, CR LF
// after each row, no header, every cell text whole. columnMask: bit i for
// ColumnId i, or -1 for every visible column. Returns 1 when the text is on the clipboard; 0 when
// the clipboard cannot be opened, the memory cannot be had, or the
// clipboard refused the text.
int CopyRowsToClipboard(HWND owner, HWND listView, int columnMask);

// The exact size in bytes, terminating zero included, of the text that
// CopyRowsToClipboard builds for the same rows and mask.
DWORD MeasureClipboardText(HWND listView, int columnMask);

// --- Shared by the report files -------------------------------------------

// Column titles are read into buffers of REPORT_TEXT_CHARS characters
// (longer titles are cut to REPORT_TEXT_CHARS - 1) plus one spare byte:
// Wine's list view writes the terminator one byte past the buffer when the
// text fills it.
enum { REPORT_TEXT_CHARS = 1024, REPORT_TEXT_BUFFER = REPORT_TEXT_CHARS + 1 };

// Bit i set for every column i whose width is not 0.
int VisibleColumnMask(HWND listView);

#endif
