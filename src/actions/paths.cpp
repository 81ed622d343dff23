// Small file-system helpers of the copy, open and delete commands: path
// building from row texts, valid and numbered file names, folder paths,
// the per-run temporary folder and its removal at close.
#include "marrowick.h"

// Appends `part` at `*length`; 0 when it does not fit (the rest is cut).
static int AppendPart(char *out, int size, int *length, const char *part)
{
    int room = size - 1 - *length;
    int partLength = lstrlenA(part);
    int taken = partLength < room ? partLength : room;
    CopyMemory(out + *length, part, (size_t)taken);
    *length += taken;
    out[*length] = '\0';
    return taken == partLength;
}

int JoinPathParts(char *out, int size, const char *first, const char *second, const char *third)
{
    int length = 0;
    out[0] = '\0';
    int fits = AppendPart(out, size, &length, first) && AppendPart(out, size, &length, "\\") &&
               AppendPart(out, size, &length, second);
    if (fits && third)
        fits = AppendPart(out, size, &length, "\\") && AppendPart(out, size, &length, third);
    return fits;
}

void ShowPathTooLong(HWND owner, const char *format, const char *first, const char *second, const char *third)
{
    char shown[ROW_TEXT_SIZE];  // the message cannot show more anyway
    JoinPathParts(shown, sizeof(shown), first, second, third);
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    ShowErrorBox(owner, format, shown);
}

void ReplaceInvalidFileNameChars(char *text)
{
    static const char invalid[] = "\\/:*?\"<>|";
    // Control characters (1 to 31) are refused in names as well.
    for (char *p = text; *p; p++)
        if ((unsigned char)*p < 0x20 || strchr(invalid, *p))
            *p = '_';
}

void TrimToStoredName(char *name)
{
    int length = lstrlenA(name);
    while (length > 0 && (name[length - 1] == '.' || name[length - 1] == ' '))
        length--;
    name[length] = '\0';
    if (length == 0)
        lstrcpyA(name, "_");
}

// Where `text` must end to hold at most `limit` bytes without splitting a
// double-byte character.
static int CutLength(const char *text, int limit)
{
    const char *p = text;
    for (;;) {
        const char *next = CharNextA(p);
        if (next == p || next - text > limit)
            return (int)(p - text);
        p = next;
    }
}

int MakeTargetName(char *out, int room, const char *name, int number)
{
    char suffix[16] = "";
    if (number > 1)
        wsprintfA(suffix, " (%d)", number);
    const char *dot = strrchr(name, '.');
    int stemLength = dot ? (int)(dot - name) : lstrlenA(name);
    int suffixLength = lstrlenA(suffix);
    int extensionLength = dot ? lstrlenA(dot) : 0;
    // An extension that leaves no room for a stem is no extension worth
    // keeping: then the whole name is the stem.
    if (stemLength + suffixLength + extensionLength > room && room - suffixLength - extensionLength < 1) {
        stemLength = lstrlenA(name);
        extensionLength = 0;
    }
    int keep = room - suffixLength - extensionLength;
    if (keep < 1)
        return 0;
    if (stemLength > keep)
        stemLength = CutLength(name, keep);
    CopyMemory(out, name, (size_t)stemLength);
    out[stemLength] = '\0';
    lstrcatA(out, suffix);
    if (extensionLength)
        lstrcatA(out, dot);
    // A cut stem at the very end may leave dots or blanks that the file
    // system would drop.
    TrimToStoredName(out);
    return 1;
}

int PathExists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

static const char *SkipBackslashes(const char *p)
{
    while (*p == '\\')
        p++;
    return p;
}

static const char *SkipName(const char *p)
{
    while (*p && *p != '\\')
        p++;
    return p;
}

// Where the part below the root begins: after "X:\" for a drive, after
// "\\server\share" for a network path. Null for a relative path, one that
// starts with a single backslash, or a server without a share.
static const char *SkipRoot(const char *path)
{
    if (path[0] && path[1] == ':' && path[2] == '\\')
        return path + 3;
    if (path[0] != '\\' || path[1] != '\\')
        return NULL;
    const char *p = SkipBackslashes(SkipName(SkipBackslashes(path)));
    if (!*p)
        return NULL;
    return SkipName(p);
}

int IsFullFolderPath(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    const char *below = SkipRoot(path);
    return below && *SkipBackslashes(below) ? 1 : 0;
}

int CreateFolderPath(const char *path)
{
    char copy[276];
    if (lstrlenA(path) >= (int)sizeof(copy))
        return 0;  // never create a cut-off path
    lstrcpyA(copy, path);
    char *p = copy;
    if (copy[0] && copy[1] == ':' && copy[2] == '\\') {
        p = copy + 3;
    } else if (copy[0] == '\\' && copy[1] == '\\') {
        p = (char *)SkipName(SkipBackslashes(SkipName(SkipBackslashes(copy))));
    }
    for (;;) {
        p = (char *)SkipBackslashes(p);
        p = (char *)SkipName(p);
        char cut = *p;
        *p = '\0';
        if (!PathExists(copy) && !CreateDirectoryA(copy, NULL))
            return 0;
        *p = cut;
        if (!cut)
            return 1;
    }
}

int CreateTempFolder(char *buffer)
{
    char tempPath[MAX_PATH];
    DWORD length = GetTempPathA(sizeof(tempPath), tempPath);
    // GetTempFileNameA creates the empty file mwkXXXX.tmp; the folder takes its place.
    if (length == 0 || length >= sizeof(tempPath) || !GetTempFileNameA(tempPath, "mwk", 0, buffer) ||
        !DeleteFileA(buffer) || !CreateDirectoryA(buffer, NULL)) {
        buffer[0] = '\0';
        return 0;
    }
    return 1;
}

static void ClearReadOnly(const char *path, DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        attributes &= ~(DWORD)FILE_ATTRIBUTE_READONLY;
        SetFileAttributesA(path, attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    }
}

// Deletes one entry of a folder listing whose full path is in `path`. A
// reparse point (junction, symbolic link) is removed as the link itself:
// its target lies outside the tree and must stay untouched.
static void DeleteTreeEntry(char *path, DWORD attributes)
{
    ClearReadOnly(path, attributes);
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveDirectoryA(path);
        else
            DeleteFileA(path);
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteFolderTree(path);
    } else {
        DeleteFileA(path);
    }
}

int DeleteFolderTree(char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        ClearReadOnly(path, attributes);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return RemoveDirectoryA(path) ? 1 : 0;  // a linked folder: remove the link only
    int length = lstrlenA(path);
    if (length + 2 < MAX_PATH) {
        lstrcpyA(path + length, "\\*");
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA(path, &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const char *name = entry.cFileName;
                if (lstrcmpA(name, ".") == 0 || lstrcmpA(name, "..") == 0)
                    continue;
                if (length + 1 + lstrlenA(name) >= MAX_PATH)
                    continue;  // would not fit: skip rather than delete a cut path
                lstrcpyA(path + length + 1, name);
                DeleteTreeEntry(path, entry.dwFileAttributes);
            } while (FindNextFileA(find, &entry));
            FindClose(find);
        }
        path[length] = '\0';
    }
    return RemoveDirectoryA(path) ? 1 : 0;
}
