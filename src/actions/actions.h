// Cache file actions: payload extraction, copy and open of selected cache
// files, deletion and links.
#ifndef MARROWICK_ACTIONS_H
#define MARROWICK_ACTIONS_H

// Cache file paths built from row texts live in buffers of this many
// characters. A path that would not fit is reported, never cut into
// another, valid path. (Extraction targets are MAX_PATH: a name too long for
// it is shortened instead.)
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

// Replaces the characters that a file name cannot hold (\ / : * ? " < > |
// and the control characters 1 to 31) by "_".
void ReplaceInvalidFileNameChars(char *text);
// Removes the trailing dots and blanks that the file system drops when it
// creates a file ("x.png. " is stored as "x.png"); a name of nothing else
// becomes "_".
void TrimToStoredName(char *name);
// The target name for `name` (a stored name) and `number` into `out`, at
// most `room` characters plus the terminator: the name itself for number 1,
// else "stem (n).ext" or "name (n)". A name too long for `room` loses the
// end of its stem, keeping its extension and number. 0 when not even one
// stem character fits.
int MakeTargetName(char *out, int room, const char *name, int number);
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
// prn, aux, nul, com1-com9, lpt1-lpt9 and com/lpt with a superscript 1, 2
// or 3, with any extension), if `size` bytes hold one more character.
void PrefixReservedDeviceName(char *name, int size);
// 1 when a file of this name runs as a program or script when opened, by
// the system's list or by ours; trailing dots, blanks and "%20" do not hide
// the type.
int IsDangerousFileType(const char *name);
// 1 for a Content-Type (parameters allowed) that names a Windows program.
int IsProgramMediaType(const char *contentType);
// 1 when the file at `path` starts with "MZ", the mark of a Windows program.
int StartsWithProgramHeader(const char *path);
// Asks (warning, Yes/No, default No) whether to open the extracted file at
// `path`, shown as `name`, when its name's type, its `contentType` or its
// first bytes say it may run. 1 to go on (also for any other file), 0 when
// the user said No.
int ConfirmOpenDangerousFile(HWND owner, const char *name, const char *contentType, const char *path);
// Writes the "downloaded from the internet" mark (the Zone.Identifier
// stream, ZoneId=3) of a written file, keeping its last-write time. Failures
// are silent: the mark is a courtesy to the system's own protections.
void WriteZoneIdentifier(const char *path);
// 1 when the volume of `folder` has named streams, so that the mark can be
// written there: elsewhere (FAT, shares of other systems) the name with a
// colon would be refused or, worse, become a file of its own.
int HasNamedStreams(const char *folder);

// --- Names of a copy run (written_names.cpp) --------------------------------
struct RunNameSlot {
    unsigned long long Hash;  // of the upper-case name; 0 for an empty slot
    int NextNumber;           // as a base name: the number to try next, or 0
    int Written;              // 1 when the run wrote a file of this name
};
struct RunNameTable {
    RunNameSlot *Slots;
    int Capacity;  // a power of two
};
// Room for the names of `rows` rows; 0 when the memory is not there.
int OpenRunNameTable(RunNameTable *table, int rows);
void CloseRunNameTable(RunNameTable *table);
// Names compare without regard to case, as the file system compares them.
int WasNameWritten(const RunNameTable *table, const char *name);

// Where one row's payload goes.
struct TargetChoice {
    char Path[MAX_PATH];     // target folder, backslash, name
    int NameOffset;          // where the name begins in Path
    int Number;              // 1 for the base name itself, else its " (n)"
    char AliasOf[MAX_PATH];  // the long name that the name opened as an 8.3 alias, or ""
};
// Chooses the target for a row whose stored name is `baseName`: the first
// name from the base name and its numbers on that this run has not written
// (nor reached through an alias) and, with `autoRename`, that does not
// exist; shortened to fit MAX_PATH. 0 when the folder leaves no room.
int ChooseTarget(const RunNameTable *table, const char *folder, const char *baseName, int autoRename,
                 TargetChoice *choice);
// After the payload went to `choice`: its name (and alias) count as
// written, and the base name's next row goes on after its number.
void RememberTarget(RunNameTable *table, const char *baseName, const TargetChoice *choice);

// --- Delete and links -----------------------------------------------------
void DeleteSelectedCacheFiles(HWND mainWindow, HWND listView, const char *cacheFolder, int toRecycle);
// `path` ends with a second NUL when `toRecycle` is non-zero.
int DeleteCacheFile(HWND owner, const char *path, int toRecycle);
void OpenSelectedLink(HWND mainWindow, HWND listView);

#endif
