// Sorting the cache list by one column, the header's sort arrow, and the
// GMT/local switch of the three date columns.
//
// The list view is the only store of rows, so everything here works on the
// displayed texts: sizes are read back from their grouped digits, dates are
// parsed back with the user locale's own short date and time formats.
#include "marrowick.h"

#include <string.h>

int ArrowColumn = -1;
LocaleDatePatternRecord LocaleDatePattern;
LocaleDatePatternRecord *CompiledDatePattern;

// Kind of each ColumnId; columns past the table compare as text.
static const ColumnKind ColumnKinds[COLUMN_COUNT] = {
    KIND_TEXT, KIND_TEXT, KIND_TEXT,    // Filename, URL, Content Type
    KIND_NUMBER,                        // File Size
    KIND_DATE, KIND_DATE, KIND_DATE,    // Server Time, Last Modified, Expire Time
    KIND_TEXT, KIND_TEXT, KIND_TEXT,    // Server Response, ETag, Cache File
};

// Image indexes of IDB_SORT_ARROWS in the header's image list.
enum { ARROW_DOWN_IMAGE = 0, ARROW_UP_IMAGE = 1 };

enum { SORT_TEXT_SIZE = 260, DATE_CELL_SIZE = 100 };

// --- Header arrow and sort --------------------------------------------------

static void SetHeaderArrow(HWND header, int item, int show, int image)
{
    HDITEMA hd = {};
    hd.mask = HDI_FORMAT;
    // An item that does not exist (a foreign key from the settings file) is
    // left alone rather than written with a garbage format.
    if (!SendMessageA(header, HDM_GETITEMA, (WPARAM)item, (LPARAM)&hd))
        return;
    if (show) {
        hd.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
        hd.mask |= HDI_IMAGE;
        hd.iImage = image;
    } else {
        // The image index stays in the item; without HDF_IMAGE it is not drawn.
        hd.fmt &= ~(HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
    }
    SendMessageA(header, HDM_SETITEMA, (WPARAM)item, (LPARAM)&hd);
}

// --- Snapshot of the sort column ---------------------------------------------
//
// The rows are ordered with LVM_SORTITEMS over a snapshot of the sort column
// taken just before, not by fetching cells inside the comparison. Wine's
// LVM_SORTITEMSEX sorts a private copy of the rows and hands the callback
// indexes into that copy while LVM_GETITEMTEXT still reads the unsorted
// rows, so per-comparison fetches pair the wrong cells; and the documented
// rule is that the list is unstable while it sorts. The snapshot also turns
// each size and date into its number once instead of once per comparison.
// For the sort, every row's item data holds its snapshot index; the row's
// own item data (the payload size) is kept in the snapshot and put back.

static LPARAM GetItemData(HWND listView, int row)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageA(listView, LVM_GETITEMA, 0, (LPARAM)&item);
    return item.lParam;
}

static void SetItemData(HWND listView, int row, LPARAM data)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = data;
    SendMessageA(listView, LVM_SETITEMA, 0, (LPARAM)&item);
}

// Copies a text into the snapshot's text pool, growing it as needed.
static int AddSnapshotText(SortContext *sort, const char *text, int length, int *offset)
{
    if (sort->TextsUsed + length + 1 > sort->TextsSize) {
        int size = sort->TextsSize * 2 + length + 1;
        char *texts = (char *)HeapReAlloc(GetProcessHeap(), 0, sort->Texts, (SIZE_T)size);
        if (!texts)
            return 0;
        sort->Texts = texts;
        sort->TextsSize = size;
    }
    *offset = sort->TextsUsed;
    memcpy(sort->Texts + sort->TextsUsed, text, (size_t)length + 1);
    sort->TextsUsed += length + 1;
    return 1;
}

// The key of one cell: its length, its text, and for sizes and dates the
// number they stand for.
static int TakeSortKey(SortContext *sort, int row)
{
    SortRow *key = &sort->Rows[row];
    // Longer texts are compared cut to 259 characters.
    char text[SORT_TEXT_SIZE + 1];
    key->Length = ReadListCellText(sort->ListView, row, sort->Column, text, sizeof(text));
    key->Value = 0;
    key->Parsed = 0;
    if (sort->Kind == KIND_NUMBER) {
        key->Value = DigitsValue(text);
    } else if (sort->Kind == KIND_DATE) {
        SYSTEMTIME time = {};
        FILETIME file;
        key->Parsed = ParseDisplayedDate(text, &time) && SystemTimeToFileTime(&time, &file);
        if (key->Parsed)
            key->Value = ((unsigned long long)file.dwHighDateTime << 32) | file.dwLowDateTime;
    }
    return AddSnapshotText(sort, text, key->Length, &key->TextOffset);
}

static void FreeSnapshot(SortContext *sort)
{
    HeapFree(GetProcessHeap(), 0, sort->Rows);
    HeapFree(GetProcessHeap(), 0, sort->Texts);
}

// Takes the keys of every row and numbers the rows by their snapshot index.
static int TakeSnapshot(SortContext *sort, int rows)
{
    sort->TextsSize = rows * 32 + SORT_TEXT_SIZE;
    sort->Rows = (SortRow *)HeapAlloc(GetProcessHeap(), 0, sizeof(SortRow) * (SIZE_T)(rows + 1));
    sort->Texts = (char *)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)sort->TextsSize);
    int ok = sort->Rows && sort->Texts;
    for (int row = 0; ok && row < rows; row++)
        ok = TakeSortKey(sort, row);
    if (!ok) {
        FreeSnapshot(sort);
        return 0;
    }
    for (int row = 0; row < rows; row++) {
        sort->Rows[row].Data = GetItemData(sort->ListView, row);
        SetItemData(sort->ListView, row, row);
    }
    return 1;
}

// Gives every row its own item data back, wherever the sort moved it.
static void RestoreItemData(const SortContext *sort, int rows)
{
    for (int row = 0; row < rows; row++) {
        LPARAM index = GetItemData(sort->ListView, row);
        if (index >= 0 && index < rows)
            SetItemData(sort->ListView, row, sort->Rows[index].Data);
    }
}

// --- Sort ---------------------------------------------------------------------

int SortList(HWND listView, int key)
{
    int column = key & SORT_KEY_COLUMN_MASK;
    int descending = (key & SORT_KEY_DESCENDING) ? 1 : 0;
    HWND header = (HWND)SendMessageA(listView, LVM_GETHEADER, 0, 0);
    if (header) {
        if (ArrowColumn != column && ArrowColumn != -1)
            SetHeaderArrow(header, ArrowColumn, 0, 0);
        SetHeaderArrow(header, column, 1, descending ? ARROW_DOWN_IMAGE : ARROW_UP_IMAGE);
    }
    ArrowColumn = column;

    SortContext sort = {};
    sort.ListView = listView;
    sort.Column = column;
    sort.Descending = descending;
    sort.Kind = column < COLUMN_COUNT ? ColumnKinds[column] : KIND_TEXT;
    int rows = (int)SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0);
    if (!TakeSnapshot(&sort, rows))
        return 0;   // out of memory: the rows stay as they are
    int result = (int)SendMessageA(listView, LVM_SORTITEMS, (WPARAM)&sort, (LPARAM)CompareRows);
    RestoreItemData(&sort, rows);
    FreeSnapshot(&sort);
    return result;
}

static int CompareNumbers(unsigned long long a, unsigned long long b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM context)
{
    const SortContext *sort = (const SortContext *)context;
    const SortRow *a = &sort->Rows[first], *b = &sort->Rows[second];
    const char *textA = sort->Texts + a->TextOffset, *textB = sort->Texts + b->TextOffset;
    int result;
    if (a->Length == 0 || b->Length == 0)
        result = a->Length - b->Length;     // empty cells first, equal among themselves
    else if (sort->Kind == KIND_NUMBER)
        // Compared, not subtracted: the difference of two sizes overflows an int.
        result = CompareNumbers(a->Value, b->Value);
    else if (sort->Kind == KIND_DATE && a->Parsed && b->Parsed)
        result = CompareNumbers(a->Value, b->Value);
    else if (sort->Kind == KIND_DATE && a->Parsed != b->Parsed)
        // A date that does not parse back (regional settings changed during
        // the run, or month names) goes after every parsable date ...
        result = a->Parsed ? -1 : 1;
    else
        result = lstrcmpiA(textA, textB);   // ... and among its like by text
    return sort->Descending ? -result : result;
}

unsigned long long DigitsValue(const char *text)
{
    const unsigned long long max = ~0ULL;
    unsigned long long value = 0;
    for (; *text; text++) {
        if (*text < '0' || *text > '9')
            continue;   // group separators, blanks, letters
        unsigned digit = (unsigned)(*text - '0');
        if (value > (max - digit) / 10)
            return max;
        value = value * 10 + digit;
    }
    return value;
}

// --- GMT / local switch -------------------------------------------------------

// Short date, one blank, time: the same text the entry reader writes.
static int FormatDateCell(const SYSTEMTIME *time, char *cell)
{
    int dateLength = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, time, NULL, cell, DATE_PART_SIZE);
    if (dateLength == 0)
        return 0;
    cell[dateLength - 1] = ' ';      // the count includes the terminator
    return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, time, NULL, cell + dateLength, DATE_PART_SIZE) != 0;
}

// Shifts one displayed time by the zone's present bias (the same for every
// date, so rows keep their order) and formats it again.
int ShiftDateCell(const char *text, int toGmt, char *cell)
{
    SYSTEMTIME time = {};
    FILETIME shown, shifted;
    if (!ParseDisplayedDate(text, &time) || !SystemTimeToFileTime(&time, &shown))
        return 0;
    BOOL converted = toGmt ? LocalFileTimeToFileTime(&shown, &shifted) : FileTimeToLocalFileTime(&shown, &shifted);
    if (!converted || !FileTimeToSystemTime(&shifted, &time))
        return 0;
    return FormatDateCell(&time, cell);
}

void RedisplayDates(HWND listView, int showGmt)
{
    SendMessageA(listView, WM_SETREDRAW, FALSE, 0);
    int rows = (int)SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0);
    for (int row = 0; row < rows; row++) {
        for (int column = COL_SERVER_TIME; column <= COL_EXPIRE_TIME; column++) {
            char text[DATE_CELL_SIZE + 1], cell[2 * DATE_PART_SIZE];
            if (ReadListCellText(listView, row, column, text, sizeof(text)) == 0)
                continue;
            if (!ShiftDateCell(text, showGmt, cell))
                continue;   // left as it was
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = cell;
            SendMessageA(listView, LVM_SETITEMTEXTA, (WPARAM)row, (LPARAM)&item);
        }
    }
    SendMessageA(listView, WM_SETREDRAW, TRUE, 0);
}

// --- Locale patterns ----------------------------------------------------------

// Compiles a date or time format: a run of one of `letters` becomes that
// single letter, a quoted literal is copied with both quotes, anything else
// unchanged. Returns the length of the last run of "t" (0 if none).
int CompileFormatPattern(const char *format, const char *letters, char *pattern, int size)
{
    int out = 0, designatorRun = 0;
    for (const char *f = format; *f && out < size - 1;) {
        char c = *f;
        if (c == '\'') {
            pattern[out++] = *f++;
            while (*f && *f != '\'' && out < size - 1)
                pattern[out++] = *f++;
            if (*f == '\'' && out < size - 1)
                pattern[out++] = *f++;
        } else if (strchr(letters, c)) {
            int run = 0;
            while (*f == c) {
                f++;
                run++;
            }
            pattern[out++] = c;
            if (c == 't')
                designatorRun = run;
        } else {
            pattern[out++] = *f++;
        }
    }
    pattern[out] = 0;
    return designatorRun;
}

LocaleDatePatternRecord *CompileLocaleDatePattern(LCID locale)
{
    LocaleDatePatternRecord *p = &LocaleDatePattern;
    char text[80] = "";
    // Numbers straight from the system rather than parsed from their text.
    DWORD calendar = CAL_GREGORIAN, limit = 0;
    GetLocaleInfoA(locale, LOCALE_ICALENDARTYPE | LOCALE_RETURN_NUMBER, (LPSTR)&calendar, sizeof(calendar));
    p->AmDesignator[0] = p->PmDesignator[0] = 0;
    GetLocaleInfoA(locale, LOCALE_S1159, p->AmDesignator, sizeof(p->AmDesignator));
    GetLocaleInfoA(locale, LOCALE_S2359, p->PmDesignator, sizeof(p->PmDesignator));
    p->TwoDigitYearMax = 2029;
    if (GetCalendarInfoA(locale, calendar, CAL_ITWODIGITYEARMAX | CAL_RETURN_NUMBER, NULL, 0, &limit))
        p->TwoDigitYearMax = (int)limit;
    text[0] = 0;
    GetCalendarInfoA(locale, calendar, CAL_SSHORTDATE, text, sizeof(text), NULL);
    CompileFormatPattern(text, "dMyg", p->DatePattern, sizeof(p->DatePattern));
    text[0] = 0;
    GetLocaleInfoA(locale, LOCALE_STIMEFORMAT, text, sizeof(text));
    if (CompileFormatPattern(text, "Hhmst", p->TimePattern, sizeof(p->TimePattern)) == 1) {
        p->AmDesignator[1] = 0;     // "t" shows only the first character
        p->PmDesignator[1] = 0;
    }
    return p;
}

// --- Parsing a date cell ------------------------------------------------------

// Fields read while walking the two patterns.
struct DateFields {
    SYSTEMTIME *Time;
    int HourOffset;       // -1 until a designator was read, then 0 or 12
};

// The decimal number at *text (0 if no digit), stepping over every digit.
static WORD ReadNumber(const char **text)
{
    unsigned value = 0;
    for (; **text >= '0' && **text <= '9'; (*text)++)
        if (value < 100000)
            value = value * 10 + (unsigned)(**text - '0');
    return (WORD)(value > 0xFFFF ? 0xFFFF : value);
}

// Places a year of 99 or less in the hundred years ending at `limit`.
static WORD WindowYear(WORD year, int limit)
{
    if (year > 99)
        return year;
    int e = limit % 100;
    return (WORD)(year <= e ? year + (limit - e) : year + (limit - e) - 100);
}

// Matches a quoted literal; *p is at the opening quote. A doubled quote that
// the text matches stands for one quote; the first quote the text does not
// match closes the literal. Fails on a mismatch or a missing closing quote.
static int MatchLiteral(const char **p, const char **t)
{
    const char *pattern = *p + 1, *text = *t;
    for (;;) {
        if (!*pattern)
            return 0;
        if (*pattern == '\'') {
            if (*text == '\'' && pattern[1] == '\'') {
                pattern += 2;
                text++;
                continue;
            }
            *p = pattern + 1;
            *t = text;
            return 1;
        }
        if (*pattern != *text)
            return 0;
        pattern++;
        text++;
    }
}

static int StartsWith(const char *text, const char *prefix, size_t *length)
{
    *length = strlen(prefix);
    return strncmp(text, prefix, *length) == 0;
}

// The AM/PM designator at *t. PM needs the pattern's next character right
// after it (so "P" in a text is not taken for a PM that only starts there).
static int ReadDesignator(const char **t, char next, DateFields *fields)
{
    const LocaleDatePatternRecord *locale = CompiledDatePattern;
    size_t length;
    if (StartsWith(*t, locale->PmDesignator, &length) && (*t)[length] == next) {
        *t += length;
        fields->HourOffset = 12;
        return 1;
    }
    if (StartsWith(*t, locale->AmDesignator, &length)) {
        *t += length;
        fields->HourOffset = 0;
        return 1;
    }
    return 0;
}

// Walks one compiled pattern over the text; `letters` are its field letters.
static int WalkPattern(const char *p, const char **t, const char *letters, DateFields *fields)
{
    SYSTEMTIME *time = fields->Time;
    while (*p) {
        char c = *p;
        if (c == '\'') {
            if (!MatchLiteral(&p, t))
                return 0;
            continue;
        }
        p++;
        if (!strchr(letters, c)) {
            if (**t != c)
                return 0;
            (*t)++;
            continue;
        }
        switch (c) {
        case 'd': time->wDay = ReadNumber(t); break;
        case 'M': time->wMonth = ReadNumber(t); break;
        case 'y': time->wYear = WindowYear(ReadNumber(t), CompiledDatePattern->TwoDigitYearMax); break;
        case 'H': case 'h': time->wHour = ReadNumber(t); break;
        case 'm': time->wMinute = ReadNumber(t); break;
        case 's': time->wSecond = ReadNumber(t); break;
        case 'g':   // era: skip up to what the pattern expects next
            while (**t && **t != *p)
                (*t)++;
            break;
        case 't':
            if (!ReadDesignator(t, *p, fields))
                return 0;
            break;
        }
    }
    return 1;
}

int ParseDisplayedDate(const char *text, SYSTEMTIME *time)
{
    if (!CompiledDatePattern)
        CompiledDatePattern = CompileLocaleDatePattern(LOCALE_USER_DEFAULT);
    if (!text || !*text)
        return 0;
    ZeroMemory(time, sizeof(*time));    // fields the patterns lack stay 0
    DateFields fields = {time, -1};
    const char *t = text;
    if (!WalkPattern(CompiledDatePattern->DatePattern, &t, "dMyg", &fields))
        return 0;
    if (*t != ' ')
        return 0;
    t++;
    if (!WalkPattern(CompiledDatePattern->TimePattern, &t, "Hhmst", &fields) || *t)
        return 0;
    if (fields.HourOffset >= 0) {
        if (time->wHour < 12)
            time->wHour = (WORD)(time->wHour + fields.HourOffset);
        else if (time->wHour == 12)
            time->wHour = (WORD)fields.HourOffset;    // 12 AM is 0, 12 PM is 12
    }
    time->wDayOfWeek = 0;
    time->wMilliseconds = 0;
    return 1;
}
