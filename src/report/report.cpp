// The report writer: the selected rows of the cache list as plain text,
// tab- or comma-delimited text or HTML. The four formats are rows of one
// table of text pieces, written by one loop; the save dialog that picks the
// file and the format lives here too.
//
// Reports are ANSI bytes as the list displays them, every text whole (they
// are read from the row store, not from the control), CR LF line ends, no
// byte-order mark. Only two kinds of text are altered on the way out, so that
// a value can never break the file's structure: HTML cells and titles have
// & < > " written as entities, and a comma-delimited field holding a comma,
// a double quote, CR or LF is put in double quotes with inner quotes doubled.
#include "marrowick.h"

#include <stddef.h>
#include <string.h>

char ReportFileName[MAX_PATH];

// One piece of output with its length in bytes; a length of 0 writes nothing.
struct ReportText {
    const char *Text;
    int Length;
};

template <size_t N>
constexpr ReportText Piece(const char (&text)[N]) { return {text, (int)N - 1}; }

constexpr ReportText NO_TEXT = {"", 0};

// How cell texts and column titles reach the file: an index into
// EscapeSchemes.
enum ReportEscape { ESCAPE_NONE, ESCAPE_CSV, ESCAPE_HTML };

struct CharEntity {
    char Char;
    ReportText Replacement;
};

struct EscapeScheme {
    const char *QuoteTriggers;  // any of these puts the whole field in Quote
    ReportText Quote;
    CharEntity Entities[4];     // replaced wherever they occur
};

static const EscapeScheme EscapeSchemes[] = {
    /* ESCAPE_NONE */ {"", NO_TEXT, {}},
    /* ESCAPE_CSV  */ {",\"\r\n", Piece("\""), {{'"', Piece("\"\"")}}},
    /* ESCAPE_HTML */ {"", NO_TEXT,
                       {{'&', Piece("&amp;")}, {'<', Piece("&lt;")}, {'>', Piece("&gt;")},
                        {'"', Piece("&quot;")}}},
};

// One report format. A descriptor's headerStyle names the descriptor whose
// row texts shape the header row (0: no header row); that descriptor's
// closing text doubles as the filler written for an empty cell.
struct ReportFormat {
    int headerStyle;
    ReportEscape escape;
    int labelled;  // every cell is preceded by its column's "%-17s: " label
    ReportText prologue;
    ReportText rowStart;
    ReportText separator;
    ReportText rowEnd;
    ReportText closing;
};

static const char HtmlHead[] =
    "<html>\r\n"
    "<head>\r\n"
    "  <title>Marrowick</title>\r\n"
    "  <style type=\"text/css\">\r\n"
    "    body   { font-family: Verdana, Geneva, sans-serif; }\r\n"
    "    table  { width: 100%; border-collapse: collapse; font-size: 0.8125em; }\r\n"
    "    th, td { border: 1px solid #4e4e4e; padding: 2px; text-align: left; white-space: nowrap; }\r\n"
    "    th     { color: #ffffff; background-color: #5f91c8; }\r\n"
    "  </style>\r\n"
    "</head>\r\n"
    "<body>\r\n"
    "\r\n"
    "<h2>Marrowick</h2>\r\n"
    "\r\n"
    "<table>\r\n";

// Indexed by format number, which is also the save dialog's filter index
// and the SaveFilterIndex setting. Index 5 is only HTML's header style.
static const ReportFormat ReportFormatTable[] = {
    /* 0: bare cell texts */
    {0, ESCAPE_NONE, 0, NO_TEXT, NO_TEXT, NO_TEXT, NO_TEXT, NO_TEXT},
    /* 1: text */
    {0, ESCAPE_NONE, 1, NO_TEXT, Piece("================================\r\n"), Piece("\r\n"),
     Piece("\r\n================================\r\n\r\n"), NO_TEXT},
    /* 2: tab-delimited */
    {0, ESCAPE_NONE, 0, NO_TEXT, NO_TEXT, Piece("\t"), Piece("\r\n"), NO_TEXT},
    /* 3: comma-delimited, its own header style */
    {3, ESCAPE_CSV, 0, NO_TEXT, NO_TEXT, Piece(","), Piece("\r\n"), NO_TEXT},
    /* 4: HTML */
    {5, ESCAPE_HTML, 0, Piece(HtmlHead), Piece("  <tr>\r\n    <td>"), Piece("</td>\r\n    <td>"),
     Piece("</td>\r\n  </tr>\r\n"), Piece("</table>\r\n\r\n</body>\r\n</html>\r\n")},
    /* 5: header row of HTML; its closing is the empty-cell filler */
    {0, ESCAPE_NONE, 0, NO_TEXT, Piece("  <tr>\r\n    <th>"), Piece("</th>\r\n    <th>"),
     Piece("</th>\r\n  </tr>\r\n"), Piece("&nbsp;")},
};

// Format numbers a caller may ask for; anything else writes format 0.
enum { FIRST_FILE_FORMAT = 1, LAST_FILE_FORMAT = 4 };

// The visible columns in ColumnId order with their text-format labels.
struct ReportColumns {
    int Count;
    int Id[COLUMN_COUNT];
    int LabelLength[COLUMN_COUNT];
    char Label[COLUMN_COUNT][REPORT_TEXT_BUFFER];
};

// --- List view access -----------------------------------------------------

// Reads column `column`'s title into `buffer` (REPORT_TEXT_BUFFER bytes).
static void FetchColumnTitle(HWND listView, int column, char *buffer)
{
    LVCOLUMNA info = {};
    info.mask = LVCF_TEXT;
    info.pszText = buffer;
    info.cchTextMax = REPORT_TEXT_CHARS;
    buffer[0] = '\0';
    SendMessageA(listView, LVM_GETCOLUMNA, (WPARAM)column, (LPARAM)&info);
    buffer[REPORT_TEXT_CHARS - 1] = '\0';
}

int VisibleColumnMask(HWND listView)
{
    int mask = 0;
    for (int column = 0; column < COLUMN_COUNT; column++)
        if (SendMessageA(listView, LVM_GETCOLUMNWIDTH, (WPARAM)column, 0) != 0)
            mask |= 1 << column;
    return mask;
}

// --- Writing --------------------------------------------------------------

// The error of the first write of the current report that failed (a full
// disk), 0 while all went well. After a failure nothing more is written:
// the file is already incomplete, and the error is reported once, at the end.
static DWORD ReportWriteError;

// Pieces are gathered here and reach the file in blocks: a report of 100,000
// rows has millions of pieces, and a system call for each would cost more
// than reading the cache files did.
enum { REPORT_BLOCK_SIZE = 65536 };
static char ReportBlock[REPORT_BLOCK_SIZE];
static int ReportBlockUsed;

static void WriteThrough(HANDLE file, const char *bytes, int length)
{
    if (length <= 0 || ReportWriteError)
        return;
    DWORD written = 0;
    if (!WriteFile(file, bytes, (DWORD)length, &written, NULL) || written != (DWORD)length) {
        DWORD error = GetLastError();
        ReportWriteError = error ? error : ERROR_DISK_FULL;  // a short write sets none
    }
}

static void FlushReportBlock(HANDLE file)
{
    WriteThrough(file, ReportBlock, ReportBlockUsed);
    ReportBlockUsed = 0;
}

static void WriteBytes(HANDLE file, const char *bytes, int length)
{
    if (length <= 0 || ReportWriteError)
        return;
    if (ReportBlockUsed + length > REPORT_BLOCK_SIZE)
        FlushReportBlock(file);
    if (length > REPORT_BLOCK_SIZE) {
        WriteThrough(file, bytes, length);
        return;
    }
    CopyMemory(ReportBlock + ReportBlockUsed, bytes, (SIZE_T)length);
    ReportBlockUsed += length;
}

static void WritePiece(HANDLE file, const ReportText &piece)
{
    WriteBytes(file, piece.Text, piece.Length);
}

static const ReportText *FindEntity(const EscapeScheme &scheme, char c)
{
    for (const CharEntity &entity : scheme.Entities)
        if (entity.Replacement.Length && entity.Char == c)
            return &entity.Replacement;
    return nullptr;
}

// Writes a cell text or title (zero-terminated, `length` bytes) under the
// format's escape scheme: runs of plain bytes go out in one write each.
static void WriteValue(HANDLE file, const char *text, int length, ReportEscape escape)
{
    const EscapeScheme &scheme = EscapeSchemes[escape];
    bool quoted = scheme.Quote.Length && text[strcspn(text, scheme.QuoteTriggers)] != '\0';
    if (quoted)
        WritePiece(file, scheme.Quote);
    int runStart = 0;
    for (int i = 0; i < length; i++) {
        const ReportText *entity = FindEntity(scheme, text[i]);
        if (!entity)
            continue;
        WriteBytes(file, text + runStart, i - runStart);
        WritePiece(file, *entity);
        runStart = i + 1;
    }
    WriteBytes(file, text + runStart, length - runStart);
    if (quoted)
        WritePiece(file, scheme.Quote);
}

// Collects the report's columns with their labels and writes the header row
// in the header style `header` (all empty texts when the format has none).
static void WriteHeaderRow(HANDLE file, const ReportSource *source, const ReportFormat &format,
                           const ReportFormat &header, ReportColumns *columns)
{
    columns->Count = 0;
    WritePiece(file, header.rowStart);
    for (int column = 0; column < COLUMN_COUNT; column++) {
        if (!(source->ColumnMask & (1 << column)))
            continue;
        int slot = columns->Count++;
        columns->Id[slot] = column;
        if (format.headerStyle && slot > 0)
            WritePiece(file, header.separator);
        const char *title = source->Titles[column];
        int titleLength = lstrlenA(title);
        // Titles are at most 15 characters, so every label is 19 bytes.
        columns->LabelLength[slot] = wsprintfA(columns->Label[slot], "%-17s: ", title);
        if (format.headerStyle)
            WriteValue(file, title, titleLength, format.escape);
    }
    WritePiece(file, header.rowEnd);
}

static void WriteRow(HANDLE file, int row, const ReportFormat &format, const ReportFormat &header,
                     const ReportColumns &columns)
{
    WritePiece(file, format.rowStart);
    for (int slot = 0; slot < columns.Count; slot++) {
        if (slot > 0)
            WritePiece(file, format.separator);
        if (format.labelled)
            WriteBytes(file, columns.Label[slot], columns.LabelLength[slot]);
        const char *text = RowText(row, columns.Id[slot]);
        int length = lstrlenA(text);
        if (length)
            WriteValue(file, text, length, format.escape);
        else
            WritePiece(file, header.closing);
    }
    WritePiece(file, format.rowEnd);
}

int WriteReportRows(HWND owner, const char *fileName, int format, const ReportSource *source)
{
    HANDLE file = CreateFileA(fileName, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        ShowErrorBox(owner, "Could not open file for writing: %s\n\n%s", fileName);
        return 0;
    }
    // The number comes from the settings file unchecked; 5 is no file format.
    if (format < FIRST_FILE_FORMAT || format > LAST_FILE_FORMAT)
        format = 0;
    const ReportFormat &f = ReportFormatTable[format];
    const ReportFormat &h = ReportFormatTable[f.headerStyle];
    static ReportColumns columns;  // 10 KB of labels: kept off the stack
    ReportWriteError = 0;
    ReportBlockUsed = 0;
    WritePiece(file, f.prologue);
    WriteHeaderRow(file, source, f, h, &columns);
    for (int i = 0; i < source->Count; i++)
        WriteRow(file, source->Rows[i], f, h, columns);
    WritePiece(file, f.closing);
    FlushReportBlock(file);
    CloseHandle(file);
    if (!ReportWriteError)
        return 1;
    SetLastError(ReportWriteError);
    ReportWriteError = 0;
    ShowErrorBox(owner, "Error writing file: %s\n\n%s", fileName);
    return 0;
}

void WriteReportFile(HWND owner, HWND listView, const char *fileName, int format)
{
    static char titles[COLUMN_COUNT][REPORT_TEXT_BUFFER];
    ReportSource source = {};
    source.Count = CollectSelectedRows(owner, listView, &source.Rows);
    if (source.Count < 0)
        return;
    source.ColumnMask = VisibleColumnMask(listView);
    for (int column = 0; column < COLUMN_COUNT; column++) {
        FetchColumnTitle(listView, column, titles[column]);
        source.Titles[column] = titles[column];
    }
    WriteReportRows(owner, fileName, format, &source);
    FreeSelectedRows(source.Rows);
}

// --- Save dialog ----------------------------------------------------------

// Description and pattern pairs; the position (from 1) is the format number.
static const char ReportFilters[] =
    "Text File (*.txt)\0*.txt\0"
    "Tab Delimited Text File (*.txt)\0*.txt\0"
    "Comma Delimited Text File (*.csv)\0*.csv\0"
    "HTML File (*.htm)\0*.htm\0";

// The dialog record without the fields later systems added: 76 bytes in the
// 32-bit program (the 64-bit test build has wider pointers).
// OPENFILENAME_SIZE_VERSION_400A is that size, up to and with lpTemplateName.
static_assert(sizeof(void *) != 4 || offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76,
              "the save dialog record's old form is 76 bytes");

int ChooseReportFile(HWND owner, char *fileName, int *filterIndex)
{
    // The dialog edits a copy, so a cancelled dialog changes nothing.
    char chosen[MAX_PATH];
    lstrcpynA(chosen, fileName, sizeof(chosen));
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = ReportFilters;
    dialog.nFilterIndex = (DWORD)*filterIndex;
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = sizeof(chosen);
    dialog.lpstrDefExt = "txt";
    // OFN_NOCHANGEDIR: browsing must not move the process's current folder,
    // which relative paths typed elsewhere would otherwise resolve against.
    dialog.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_ENABLESIZING |
                   OFN_NOCHANGEDIR;
    dialog.lpfnHook = SaveDialogHook;
    if (!GetSaveFileNameA(&dialog))
        return 0;
    lstrcpyA(fileName, chosen);
    *filterIndex = (int)dialog.nFilterIndex;
    return 1;
}
