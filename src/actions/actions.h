// Cache file actions: payload extraction, copy and open of selected cache
// files, deletion and links.
#ifndef MARROWICK_ACTIONS_H
#define MARROWICK_ACTIONS_H

// Paths built from row texts (cache file, extraction target, numbered
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
// Extracts the payloads of the list's selected rows (ExtractRowPayloads).
void ExtractSelectedPayloads(HWND owner, HWND listView, const char *cacheFolder, const char *targetFolder, int flags);
// Extracts the payloads of `count` rows of the row store into `targetFolder`
// under their Filename texts; needs no window beyond the owner of its boxes.
// Returns the number of payloads written.
int ExtractRowPayloads(HWND owner, const int *rows, int count, const char *cacheFolder, const char *targetFolder,
                       int flags);

// --- Path helpers ---------------------------------------------------------
// Joins `first`, `second` and (if not null) `third` with backslashes into
// `out` of `size` characters. 1 when the whole path fits; else 0 with the
// cut text in `out`, meant only for a message. Leaves the last error alone.
int JoinPathParts(char *out, int size, const char *first, const char *second, const char *third);
// Shows `format` (two "%s") for a path that would not fit its buffer: the
// joined path as far as a message can hold it, and the system's text for
// ERROR_FILENAME_EXCED_RANGE.
void ShowPathTooLong(HWND owner, const char *format, const char *first, const char *second, const char *third);
// A row's Filename or media type copied for changes: ROW_TEXT_SIZE + 1 bytes.
enum { ROW_TEXT_SIZE = 1024 };

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

// --- Safe payload files (payload_safety.cpp) -------------------------------
// Puts "_" in front of a name that the system would take for a device (con,
// prn, aux, nul, com1-com9, lpt1-lpt9, with any extension), if `size`
// bytes hold one more character.
void PrefixReservedDeviceName(char *name, int size);
// 1 when a file of this name runs as a program or script when opened.
int IsDangerousFileType(const char *name);
// For such a file: asks (warning, Yes/No, default No) whether to open it.
// 1 to go on (also for any other file), 0 when the user said No.
int ConfirmOpenDangerousFile(HWND owner, const char *name);
// Writes the "downloaded from the internet" mark (the Zone.Identifier
// stream, ZoneId=3) of a written file, keeping its last-write time.
void WriteZoneIdentifier(const char *path);
// The same, only where the file's volume has named streams; failures are
// silent: the mark is a courtesy to the system's own protections.
void MarkDownloadedFromInternet(const char *path);

// --- Names written by a copy run (written_names.cpp) ------------------------
struct WrittenNameSet {
    unsigned long long *Slots;  // name hashes, 0 for an empty slot
    int Capacity;               // a power of two
};
// Room for the names of `rows` rows; 0 when the memory is not there.
int OpenWrittenNameSet(WrittenNameSet *set, int rows);
void CloseWrittenNameSet(WrittenNameSet *set);
// Names compare without regard to case, as the file system compares them.
int WasNameWritten(const WrittenNameSet *set, const char *name);
void RememberWrittenName(WrittenNameSet *set, const char *name);

// --- Delete and links -----------------------------------------------------
void DeleteSelectedCacheFiles(HWND mainWindow, HWND listView, const char *cacheFolder, int toRecycle);
// `path` ends with a second NUL when `toRecycle` is non-zero.
int DeleteCacheFile(HWND owner, const char *path, int toRecycle);
void OpenSelectedLink(HWND mainWindow, HWND listView);

#endif
