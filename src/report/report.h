// Reports: the selected rows as text, tab- or comma-delimited text or HTML,
// and as tab-delimited text on the clipboard.
#ifndef MARROWICK_REPORT_H
#define MARROWICK_REPORT_H

extern char ReportFileName[MAX_PATH];

int ChooseReportFile(HWND owner, char *fileName, int *filterIndex);
void WriteReportFile(HWND owner, HWND listView, const char *fileName, int format);
// columnMask: bit i for ColumnId i, or -1 for every visible column.
int CopyRowsToClipboard(HWND owner, HWND listView, int columnMask);
DWORD MeasureClipboardText(HWND listView, int columnMask);

#endif
