// Cache reading: the cache file format and entry reader, field conversion,
// local file name and icon, folder scan and cache location.
#ifndef MARROWICK_CACHE_H
#define MARROWICK_CACHE_H

// --- Entry reader ---------------------------------------------------------
// Reads the header of one cache file and appends one row to the list view.
// Returns 1 to go on with the bucket folder, 0 to stop reading it.
int ReadCacheEntry(HWND owner, HWND listView, const char *path);
// HeaderKind of a response header name (2 to 8, or -1).
int ClassifyHeaderName(const char *name);
// Media type of a Content-Type value. Process-wide buffer.
const char *ExtractMediaType(const char *value);

// --- Field conversion -----------------------------------------------------
// Each returns its text in a process-wide buffer of its own, valid until the
// same function is called again.
const char *FormatStatusLine(unsigned int code);
const char *FormatGroupedNumber(const char *digits);
const NUMBERFMTA *GetLocaleNumberFormat(LCID locale);
int ParseHttpDate(const char *text, SYSTEMTIME *date);
const char *FormatHeaderDate(const char *value);
const char *ExtractAttachmentName(const char *value);
int ParseInteger(const char *text);
int CompareLeading(const char *a, const char *b, int n);

// --- Local file name and icon ---------------------------------------------
// Derives the Filename text from a working copy of the URL (which it
// changes; the result points into it) and chooses the row's icon.
const char *MakeLocalFileName(char *url, const char *attachment, const char *mediaType, int *iconIndex);
// 1 if the value exists, is REG_SZ and fits `size` bytes; always terminated.
int ReadRegistryString(HKEY root, const char *subKey, const char *valueName, char *buffer, DWORD size);
// Last occurrence of `c` in `text`, or null.
const char *FindLastChar(const char *text, char c);

// --- Folder scan ----------------------------------------------------------
extern int ScanFileCount;
void LoadCacheFolder(HWND mainWindow, HWND listView, const char *folder);
void ScanBucketFolder(HWND mainWindow, HWND listView, char *path);
void SetCacheWindowTitle(HWND mainWindow, const char *folder);
int CheckCacheFolderAccess(HWND listView, const char *folder);

// --- Cache location -------------------------------------------------------
// Writes the main (0) or Big Picture (1) cache folder of the client's
// installation into `buffer` (MAX_PATH) and returns 1; empty text and 0 when
// it cannot be determined.
int DetectCachePath(char *buffer, int index);

#endif
