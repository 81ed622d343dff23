// Cache reading: the cache file format and entry reader, field conversion,
// local file name and icon, folder scan and cache location.
#ifndef MARROWICK_CACHE_H
#define MARROWICK_CACHE_H

#include "cache/header_walk.h"

// --- Entry reader ---------------------------------------------------------
// Reads the first 4,096 bytes of one cache file into SharedReadBuffer and
// appends one complete row, found in bucket folder `bucket` (0-255), to the
// row store, or none at all (every failure is shown with ShowErrorBox, the
// path as its argument). Returns 1 to go on with the bucket folder, also
// after a damaged or unreadable file, whose neighbours may well be sound; 0
// only without a read buffer or when the store is out of memory.
int ReadCacheEntry(HWND owner, const char *path, int bucket);
// HeaderKind of a response header name (2 to 8, or -1): only whole names
// count, compared without regard to case.
int ClassifyHeaderName(const char *name);
// ExtractMediaType, FormatQueryArgument and the header walk itself are
// platform-free and declared in cache/header_walk.h.

// --- Field conversion -----------------------------------------------------
// Each returns its text in a process-wide buffer of its own, valid until the
// same function is called again.
// "HTTP/1.1 200 OK", "HTTP/1.1 404 Not Found", else "HTTP/1.1 <code>".
const char *FormatStatusLine(unsigned int code);
// A decimal text grouped by the user's locale, without decimals; a text the
// locale formatting refuses comes back as given (cut to 99 characters).
const char *FormatGroupedNumber(const char *digits);
// Fills the one process-wide number format record for `locale`.
const NUMBERFMTA *GetLocaleNumberFormat(LCID locale);
// LOCALE_SGROUPING text as NUMBERFMTA.Grouping: "3;0" 3, "3;2;0" 32, "3" 30.
int ParseGroupingText(const char *text);
// RFC 1123 date into `date` (taken as GMT, ranges unchecked); 1 or 0.
int ParseHttpDate(const char *text, SYSTEMTIME *date);
// Short date, one blank, time, in GMT or local time by ShowTimeInGMT; empty
// when the value is no date that can be shown.
const char *FormatHeaderDate(const char *value);
// The instant of an RFC 1123 date as UTC file time ticks; 0 when the text is
// no date or names no moment of the calendar.
unsigned long long HttpDateTicks(const char *value);
// Formats an instant (0: none) as FormatHeaderDate does into `text`
// (DATE_TEXT_SIZE bytes); returns the length, 0 for an empty text.
enum { DATE_PART_SIZE = 50, DATE_TEXT_SIZE = 2 * DATE_PART_SIZE };
int FormatDateTicks(unsigned long long ticks, char *text);
// File name of the first "filename=" parameter, at most 99 characters.
const char *ExtractAttachmentName(const char *value);
int ParseInteger(const char *text);
// 0 when the first n characters are equal (case counts), else the
// difference of the first differing characters as signed 8-bit values.
int CompareLeading(const char *a, const char *b, int n);

// --- Local file name and icon ---------------------------------------------
enum { ICON_CACHE_SIZE = 10, ICON_EXTENSION_SIZE = 16 };
struct IconCacheEntry {
    int IconIndex;                         // in the system small-icon list
    char Extension[ICON_EXTENSION_SIZE];   // with its ".", any letter case
};
// The first ten extensions met, in that order; never emptied.
struct IconCacheRecord {
    IconCacheEntry Entries[ICON_CACHE_SIZE];
    int Count;
};
extern IconCacheRecord IconCache;
// Small-icon index of a name without extension; -1 until first needed.
extern int DefaultFileIcon;

// Derives the Filename text from a working copy of the URL (`urlSize`
// bytes, which it changes; the result points into it) and chooses the
// row's icon. `attachment` and `mediaType` may be null.
const char *MakeLocalFileName(char *url, int urlSize, const char *attachment, const char *mediaType, int *iconIndex);
// Small-icon index of an extension such as ".png", through IconCache.
int GetExtensionIcon(const char *extension);
// 1 if the value exists, is REG_SZ and fits `size` bytes; always terminated.
int ReadRegistryString(HKEY root, const char *subKey, const char *valueName, char *buffer, DWORD size);
// Last occurrence of `c` in `text`, or null.
const char *FindLastChar(const char *text, char c);

// --- Folder scan ----------------------------------------------------------
extern int ScanFileCount;
// Title, empty-list text, the scan into the store, the sort by SortByColumn
// and the filter, then the list shows the new rows.
void LoadCacheFolder(HWND mainWindow, HWND listView, const char *folder);
// Empties the row store and fills it with the rows of the 256 bucket folders
// of `folder`; needs no window (`owner` gets the error boxes and
// WM_LOADPROGRESS, and may be null). 0 when the read buffer was not there.
int ScanCacheFolder(HWND owner, const char *folder);
void ScanBucketFolder(HWND owner, char *path, int bucket);
void SetCacheWindowTitle(HWND mainWindow, const char *folder);
int CheckCacheFolderAccess(HWND listView, const char *folder);

#include "cache/rowstore.h"

// --- Cache location -------------------------------------------------------
// Writes the main (0) or Big Picture (1) cache folder of the client's
// installation into `buffer` (MAX_PATH) and returns 1; empty text and 0 when
// it cannot be determined.
int DetectCachePath(char *buffer, int index);

#endif
