// Cache file actions: payload extraction, copy and open of selected cache
// files, deletion and links.
#ifndef MARROWICK_ACTIONS_H
#define MARROWICK_ACTIONS_H

// Paths built from list texts (cache file, extraction target, numbered
// name) live in buffers of this many characters. A path that would not fit
// is reported, never cut into another, valid path.
enum { ACTION_PATH_SIZE = 272 };

// Options of ExtractSelectedPayloads, as bit flags.
enum { EXTRACT_AUTO_RENAME = 2, EXTRACT_OPEN = 4 };

// --- Payload extraction ---------------------------------------------------
// Writes the payload of a cache file into `targetPath` (replacing an existing
// file when `overwrite` is non-zero). 1 when written completely, else 0
// after the failure's message box (none when SharedReadBuffer is absent).
int ExtractPayload(HWND owner, const char *cachePath, const char *targetPath, int overwrite);

// --- Copy and open --------------------------------------------------------
void OpenSelectedCacheFile(HWND mainWindow, HWND listView);
void CopySelectedCacheFiles(HWND mainWindow, HWND listView);
void ExtractSelectedPayloads(HWND owner, HWND listView, const char *cacheFolder, const char *targetFolder, int flags);

// --- Path helpers ---------------------------------------------------------
// Joins `first`, `second` and (if not null) `third` with backslashes into
// `out` of `size` characters. 1 when the whole path fits; else 0 with the
// cut text in `out`, meant only for a message. Leaves the last error alone.
int JoinPathParts(char *out, int size, const char *first, const char *second, const char *third);
// Shows `format` (two "%s") for a path that would not fit its buffer: the
// joined path as far as a message can hold it, and the system's text for
// ERROR_FILENAME_EXCED_RANGE.
void ShowPathTooLong(HWND owner, const char *format, const char *first, const char *second, const char *third);
// "%s\%s\%s" of the cache folder, the bucket (first two characters of the
// Cache File text) and the Cache File text, in `out` (ACTION_PATH_SIZE).
// A path that would not fit is reported with `format`; 0 then.
int BuildCacheFilePath(HWND owner, const char *format, char *out, const char *cacheFolder,
                       const char *cacheFileName);
// Reads one column text of a list row into `buffer` (1,024 characters plus
// one spare byte: Wine writes the terminator one byte past a full buffer).
enum { ROW_TEXT_SIZE = 1024 };
void ReadRowColumnText(HWND listView, int row, int column, char *buffer);

void ReplaceInvalidFileNameChars(char *text);
// "name (n).ext" or "name (n)" in a process-wide buffer of ACTION_PATH_SIZE
// characters, overwritten by the next call; null when it would not fit.
const char *MakeNumberedFileName(const char *name, int number);
int PathExists(const char *path);
int IsFullFolderPath(const char *path);
int CreateFolderPath(const char *path);
// Makes a new folder mwkXXXX.tmp in the user's temporary folder; its path
// goes into `buffer` (MAX_PATH). On failure the buffer is emptied; 0.
int CreateTempFolder(char *buffer);
// Deletes a folder and everything in it; `path` is a writable MAX_PATH
// buffer, restored before return. Never descends into a reparse point.
int DeleteFolderTree(char *path);

// --- Delete and links -----------------------------------------------------
void DeleteSelectedCacheFiles(HWND mainWindow, HWND listView, const char *cacheFolder, int toRecycle);
// `path` ends with a second NUL when `toRecycle` is non-zero.
int DeleteCacheFile(HWND owner, const char *path, int toRecycle);
void OpenSelectedLink(HWND mainWindow, HWND listView);

#endif
