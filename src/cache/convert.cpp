// Field conversion: the status line, locale-grouped numbers, HTTP dates and
// the attachment name of a Content-Disposition header. Every conversion
// returns its text in a process-wide buffer of its own, valid until it is
// called again; none of them allocates or shows a message.
#include "marrowick.h"

static const char *const MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
// Month offsets of Sakamoto's day-of-week method, January to December.
static const int DayOfWeekOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};

enum { ATTACHMENT_NAME_SIZE = 100, NUMBER_TEXT_SIZE = 100 };

const char *FormatStatusLine(unsigned int code)
{
    static char text[32];
    if (code == 200)
        lstrcpyA(text, "HTTP/1.1 200 OK");
    else if (code == 404)
        lstrcpyA(text, "HTTP/1.1 404 Not Found");
    else
        wsprintfA(text, "HTTP/1.1 %u", code);
    return text;
}

int ParseInteger(const char *text)
{
    while (*text == ' ')
        text++;
    int negative = *text == '-';
    if (negative)
        text++;
    // Unsigned arithmetic: the value wraps instead of overflowing.
    unsigned int value = 0;
    for (; *text >= '0' && *text <= '9'; text++)
        value = value * 10 + (unsigned int)(*text - '0');
    return negative ? (int)(0u - value) : (int)value;
}

int CompareLeading(const char *a, const char *b, int n)
{
    for (int i = 0; i < n; i++) {
        if (a[i] != b[i])
            return (signed char)a[i] - (signed char)b[i];
        if (!a[i])
            break;
    }
    return 0;
}

// LOCALE_SGROUPING ("3;0", "3;2;0", "3") as NUMBERFMTA's Grouping number:
// the group sizes as decimal digits, times 10 unless the text ends in a 0
// group (without the trailing 0 the last size does not repeat).
int ParseGroupingText(const char *text)
{
    int value = 0;
    const char *p = text;
    for (;;) {
        if (*p >= '1' && *p <= '9')
            value = value * 10 + (*p++ - '0');
        if (*p == ';' && p[1]) {
            p++;
            continue;
        }
        break;
    }
    if (*p != '0')
        value *= 10;
    return value;
}

static int ReadLocaleInteger(LCID locale, LCTYPE type)
{
    char text[16] = "";
    GetLocaleInfoA(locale, type, text, sizeof(text));
    return ParseInteger(text);
}

const NUMBERFMTA *GetLocaleNumberFormat(LCID locale)
{
    static NUMBERFMTA format;
    static char decimalSep[4], thousandSep[4];
    char grouping[16] = "";
    format.NumDigits = (UINT)ReadLocaleInteger(locale, LOCALE_IDIGITS);
    format.LeadingZero = (UINT)ReadLocaleInteger(locale, LOCALE_ILZERO);
    GetLocaleInfoA(locale, LOCALE_SGROUPING, grouping, sizeof(grouping));
    format.Grouping = (UINT)ParseGroupingText(grouping);
    decimalSep[0] = thousandSep[0] = '\0';
    GetLocaleInfoA(locale, LOCALE_SDECIMAL, decimalSep, sizeof(decimalSep));
    GetLocaleInfoA(locale, LOCALE_STHOUSAND, thousandSep, sizeof(thousandSep));
    format.lpDecimalSep = decimalSep;
    format.lpThousandSep = thousandSep;
    format.NegativeOrder = (UINT)ReadLocaleInteger(locale, LOCALE_INEGNUMBER);
    return &format;
}

const char *FormatGroupedNumber(const char *digits)
{
    static char text[NUMBER_TEXT_SIZE];
    static NUMBERFMTA format;
    static int built;
    if (!built) {
        format = *GetLocaleNumberFormat(LOCALE_USER_DEFAULT);
        format.NumDigits = 0;
        built = 1;
    }
    // An explicit format record: a NULL one makes Wine mis-group. A value
    // the locale formatting refuses (blanks, letters) is shown as stored.
    if (!GetNumberFormatA(LOCALE_USER_DEFAULT, 0, digits, &format, text, sizeof(text)))
        lstrcpynA(text, digits, sizeof(text));
    return text;
}

static const char *SkipBlanks(const char *p)
{
    while (*p == ' ')
        p++;
    return p;
}

// Decimal digits up to the first other character; no digits give 0.
static WORD ReadNumber(const char **p)
{
    unsigned int value = 0;
    for (; **p >= '0' && **p <= '9'; (*p)++)
        value = value * 10 + (unsigned int)(**p - '0');
    return (WORD)value;
}

static WORD DayOfWeek(int year, int month, int day)
{
    int y = month < 3 ? year - 1 : year;
    int dow = (y + y / 4 - y / 100 + y / 400 + DayOfWeekOffsets[month - 1] + day) % 7;
    return (WORD)(dow < 0 ? dow + 7 : dow);
}

// RFC 1123 dates, "Sun, 06 Nov 1994 08:49:37 GMT". Ranges are not checked
// here; the zone is neither read nor applied (the time is taken as GMT).
int ParseHttpDate(const char *text, SYSTEMTIME *date)
{
    if (!text || !*text)
        return 0;
    const char *p = text;
    if (*p != ' ')
        while (*p && *p != ' ')
            p++;  // the day name with its comma, not examined
    SYSTEMTIME st = {};
    p = SkipBlanks(p);
    st.wDay = ReadNumber(&p);
    p = SkipBlanks(p);
    for (int m = 0; m < countof(MonthNames) && !st.wMonth; m++)
        if (CompareLeading(p, MonthNames[m], 3) == 0)
            st.wMonth = (WORD)(m + 1);
    if (!st.wMonth)
        return 0;
    p = SkipBlanks(p + 3);
    st.wYear = ReadNumber(&p);
    p = SkipBlanks(p);
    st.wHour = ReadNumber(&p);
    if (*p == ':') {
        p++;
        st.wMinute = ReadNumber(&p);
    }
    if (*p == ':') {
        p++;
        st.wSecond = ReadNumber(&p);
    }
    if (!*p)
        return 0;
    st.wDayOfWeek = DayOfWeek(st.wYear, st.wMonth, st.wDay);
    *date = st;
    return 1;
}

unsigned long long HttpDateTicks(const char *value)
{
    SYSTEMTIME st;
    FILETIME time;
    // SystemTimeToFileTime refuses what no calendar has (32 Nov, hour 25).
    if (!ParseHttpDate(value, &st) || !SystemTimeToFileTime(&st, &time))
        return 0;
    return ((unsigned long long)time.dwHighDateTime << 32) | time.dwLowDateTime;
}

int FormatDateTicks(unsigned long long ticks, char *text)
{
    text[0] = '\0';
    if (!ticks)
        return 0;
    FILETIME time = {(DWORD)ticks, (DWORD)(ticks >> 32)}, local;
    if (!AppSettings.ShowTimeInGMT) {
        // The zone's present offset (with today's daylight saving) is
        // applied whatever the date: FileTimeToLocalFileTime works that way.
        if (!FileTimeToLocalFileTime(&time, &local))
            return 0;
        time = local;
    }
    SYSTEMTIME st;
    if (!FileTimeToSystemTime(&time, &st))
        return 0;
    int dateLength = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, NULL, text, DATE_PART_SIZE);
    if (dateLength <= 0) {
        text[0] = '\0';
        return 0;
    }
    char *clock = text + dateLength;  // dateLength counts the terminator
    clock[-1] = ' ';
    int timeLength = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, NULL, clock, DATE_PART_SIZE);
    if (timeLength <= 0) {
        clock[0] = '\0';
        timeLength = 1;
    }
    return dateLength + timeLength - 1;
}

const char *FormatHeaderDate(const char *value)
{
    static char text[DATE_TEXT_SIZE];
    FormatDateTicks(HttpDateTicks(value), text);
    return text;
}

// The file name of the first "filename=" parameter (exact spelling): quoted
// up to the next quote or ";", unquoted up to a blank or ";". No decoding.
const char *ExtractAttachmentName(const char *value)
{
    static char name[ATTACHMENT_NAME_SIZE];
    name[0] = '\0';
    const char *p = value;
    while (*p) {
        p = SkipBlanks(p);
        if (CompareLeading(p, "filename=", 9) == 0) {
            p += 9;
            // A quoted name ends at the next quote, a bare one at a blank.
            char end = ' ';
            if (*p == '"') {
                p++;
                end = '"';
            }
            int length = 0;
            while (p[length] && p[length] != end && p[length] != ';')
                length++;
            lstrcpynA(name, p, (length < ATTACHMENT_NAME_SIZE - 1 ? length : ATTACHMENT_NAME_SIZE - 1) + 1);
            break;
        }
        while (*p && *p != ';')
            p++;
        if (*p == ';')
            p++;
    }
    return name;
}
