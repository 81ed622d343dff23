// Sorting by any column and the GMT/local display of the date columns.
#ifndef MARROWICK_SORT_H
#define MARROWICK_SORT_H

// Sort key (SortByColumn): bits 0-7 the ColumnId, bit 8 set for descending;
// -1 means no sort.
enum { SORT_KEY_COLUMN_MASK = 0xFF, SORT_KEY_DESCENDING = 0x100 };

enum ColumnKind { KIND_TEXT, KIND_NUMBER, KIND_DATE };

// One row's key in the snapshot of the sort column taken before a sort.
struct SortRow {
    LPARAM Data;                // the row's own item data, put back afterwards
    unsigned long long Value;   // size, or date as file time ticks
    int Length;                 // of the cell text; 0 for an empty cell
    int Parsed;                 // date cells: 1 when the text parsed back
    int TextOffset;             // of the cell text in SortContext.Texts
};

// Handed to every CompareRows call of one sort.
struct SortContext {
    HWND ListView;
    int Column;       // ColumnId, 0 to 255
    int Descending;   // 0 or 1
    ColumnKind Kind;
    SortRow *Rows;    // by snapshot index, the rows' item data during the sort
    char *Texts;      // the cell texts, each terminated
    int TextsUsed;
    int TextsSize;
};

// The user locale's short date and time formats compiled for parsing date
// cells back: runs of one format letter collapse to that letter ("dd" and
// "d" both become "d"), quoted literals are kept with their quotes.
struct LocaleDatePatternRecord {
    char DatePattern[80];
    char TimePattern[80];
    char AmDesignator[16];    // cut to one character for a single "t"
    char PmDesignator[16];
    int TwoDigitYearMax;      // two-digit years fall in the century ending here
};

// Header item that shows the sort arrow, or -1. Kept across loads.
extern int ArrowColumn;
// Built on the first ParseDisplayedDate and kept for the run.
extern LocaleDatePatternRecord LocaleDatePattern;
extern LocaleDatePatternRecord *CompiledDatePattern;   // null until then

// Moves the header's sort arrow to the key's column and sorts every row by
// it. `key` must not be -1. Returns the list view's answer to LVM_SORTITEMSEX.
int SortList(HWND listView, int key);
// LVM_SORTITEMS callback: two snapshot indexes and a SortContext pointer;
// negative when the first row goes first.
int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM context);
// Rewrites every date cell from local time to GMT (showGmt != 0) or back.
void RedisplayDates(HWND listView, int showGmt);
// One date cell text shifted to GMT (toGmt != 0) or back into `cell`
// (DATE_CELL_TEXT_SIZE bytes); 0 when the text does not parse back.
enum { DATE_CELL_TEXT_SIZE = 100 };
int ShiftDateCell(const char *text, int toGmt, char *cell);
// Reads a date cell written in the user's short date and time format.
// Returns 1 and fills `time` (day of week and milliseconds 0), or 0.
int ParseDisplayedDate(const char *text, SYSTEMTIME *time);
// Compiles one date or time format into `pattern` (`size` bytes): a run of
// one of `letters` becomes that letter, quoted literals are copied with their
// quotes. Returns the length of the last run of "t" (0 if none).
int CompileFormatPattern(const char *format, const char *letters, char *pattern, int size);
// Fills LocaleDatePattern from `locale` and returns it.
LocaleDatePatternRecord *CompileLocaleDatePattern(LCID locale);
// The number formed by all decimal digits of `text`, anything else skipped;
// saturates at the largest 64-bit value.
unsigned long long DigitsValue(const char *text);

#endif
