// The row store: every row of the current load, owned by the program, and
// the view of it that the list shows. The list view holds nothing but a row
// count (LVS_OWNERDATA); readers (reports, clipboard, find, properties,
// preview, extraction, deletion, links) read the store. Nothing here needs a
// window, so a scan can fill the store and readers can read it without one.
//
// Memory: a few large blocks. Row records lie in one array that grows by
// doubling; their texts lie in 1 MiB chunks, each row's texts one after the
// other, never split between chunks. Nothing is allocated per row.
#ifndef MARROWICK_ROWSTORE_H
#define MARROWICK_ROWSTORE_H

enum {
    STORE_TEXT_CHUNK_SIZE = 1 << 20,
    DATE_COLUMN_FIRST = COL_SERVER_TIME,     // Server Time, Last Modified, Expire Time
    DATE_COLUMN_COUNT = 3,
    DATE_SLOT_SIZE = 32                      // a formatted date kept with its row
};

enum StoredRowFlag {
    ROW_DELETED = 1,     // its cache file was deleted: in no view again
    ROW_SHOWN = 2,       // matches the quick filter (every live row without one)
    ROW_SELECTED = 4     // selected in the list; kept in step with the control
};

// One row. The seven text columns lie in the pool from TextStart on, each
// terminated, at TextOffset[column]; the three dates are instants (UTC file
// time ticks, 0 for an empty cell) formatted when asked for, in the zone of
// the moment: a switch between GMT and local time rewrites nothing.
struct StoredRow {
    unsigned int TextStart;
    unsigned short TextOffset[COLUMN_COUNT];
    unsigned long long SizeKey;                       // the File Size text's digits as a number
    unsigned long long Instant[DATE_COLUMN_COUNT];
    unsigned int PayloadSize;
    int IconIndex;
    unsigned int DateGeneration;                      // zone of DateText; 0 none yet
    unsigned char Bucket;                             // bucket folder 00-ff it was found in
    unsigned char Flags;
    char DateText[DATE_COLUMN_COUNT][DATE_SLOT_SIZE];
};

struct RowStoreRecord {
    StoredRow *Rows;        // in scan order
    int Count;              // rows appended, deleted ones included
    int Capacity;
    int LiveCount;          // rows not deleted
    char **Chunks;          // text chunks of STORE_TEXT_CHUNK_SIZE bytes
    int ChunkCount;
    int ChunkCapacity;
    int ChunkUsed;          // bytes used in the last chunk
    unsigned int DateGeneration;   // raised by every zone switch
};
extern RowStoreRecord RowStore;

// The rows the list shows. Order holds every live row in the current sort
// order (scan order without a sort key); Shown the rows of Order that are
// ROW_SHOWN, in the same order: list index i shows store row Shown[i].
struct RowViewRecord {
    int *Order;
    int OrderCount;
    int *Shown;
    int ShownCount;
    int Capacity;           // of both arrays
};
extern RowViewRecord RowView;

// --- Store (rowstore.cpp) ---------------------------------------------------
// Drops every row and the view; the blocks are freed.
void ClearRowStore(void);
// Appends one row: the texts of CacheRow by ColumnId, except that the three
// date columns hold the response's HTTP date values (or ""), converted here
// into instants. Returns the new row's number, or -1 when the memory is not
// there (nothing appended then).
int AppendStoreRow(const CacheRow *row, int bucket);
// The whole text of one cell. Text columns point into the pool (valid until
// the store is cleared); a date column's text is formatted in the zone of
// ShowTimeInGMT and the user's locale formats, kept with the row while it
// fits DATE_SLOT_SIZE, else in a process-wide buffer of the column's own.
const char *RowText(int row, int column);
// A row's date as a file time (UTC) and whether it has one.
int RowInstant(int row, int column, FILETIME *time);
// The three date columns are to be shown in the other zone: one counter is
// raised, the rows' kept texts are formatted again when next asked for.
void SwitchDateZone(void);
// Builds "<cacheFolder>\<bucket>\<Cache File>" of the row into `out`
// (ACTION_PATH_SIZE): the folder the file was found in, never one derived
// from its name. A path that would not fit is reported with `format` (two
// "%s"; null: not reported); 0 then.
int BuildRowCachePath(HWND owner, const char *format, char *out, const char *cacheFolder, int row);
// Marks a row's cache file deleted; RemoveDeletedRows takes it out of the view.
void MarkRowDeleted(int row);

// --- View (rowview.cpp) -----------------------------------------------------
// Sort key (SortByColumn): bits 0-7 the ColumnId, bit 8 set for descending;
// -1 means no sort.
enum { SORT_KEY_COLUMN_MASK = 0xFF, SORT_KEY_DESCENDING = 0x100 };
enum ColumnKind { KIND_TEXT, KIND_NUMBER, KIND_DATE };
// Order becomes every live row in scan order; Shown those marked ROW_SHOWN.
int ResetRowOrder(void);
// Sorts Order by a sort key (bits 0-7 ColumnId, bit 8 descending; -1 leaves
// the order), rows that compare equal keeping their order, then rebuilds
// Shown. 0 when out of memory (the order stays as it was).
int SortRowOrder(int key);
// Shown from Order and the ROW_SHOWN marks.
void RebuildShownRows(void);
// Takes deleted rows out of Order and Shown, keeping their order.
void RemoveDeletedRows(void);
// Store row shown at list index `index`, or -1.
int ShownRowAt(int index);
// Compares two rows by one column: empty cells first, File Size by number,
// dates by instant, other columns by lstrcmpiA of the whole texts. Negative
// when `a` goes first in ascending order.
int CompareStoredRows(int a, int b, int column);
// The number formed by all decimal digits of `text`, anything else skipped;
// saturates at the largest 64-bit value (the File Size column's sort key).
unsigned long long DigitsValue(const char *text);

#endif
