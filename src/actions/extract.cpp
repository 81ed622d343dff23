// Payload extraction: turns one cache file into an ordinary file holding only
// the cached resource, stamped with the response's Last-Modified time.
//
// The header (lead word, 12 bytes, second word, host, path, pair list, query
// arguments, status, response headers, payload size) must lie within the
// first SHARED_READ_BUFFER_SIZE bytes; every field is taken only from the
// bytes actually read. The payload is everything after the payload size up
// to the end of the file; the stored size only pre-sizes the target.
#include "marrowick.h"

namespace {

// A walk over the bytes of the first read. Every step checks that what it
// takes lies within `Size`; a step that would leave them fails.
struct HeaderWalk {
    const unsigned char *Data;
    DWORD Size;
    DWORD Pos;
};

// Reads a little-endian u32 at the current position and steps over it.
int WalkU32(HeaderWalk *walk, DWORD *value)
{
    if (walk->Size - walk->Pos < 4)
        return 0;
    const unsigned char *p = walk->Data + walk->Pos;
    *value = (DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24);
    walk->Pos += 4;
    return 1;
}

// Steps over a NUL-terminated string; `text` (if given) receives its start.
// A string whose NUL lies beyond the bytes read fails.
int WalkString(HeaderWalk *walk, const char **text)
{
    const void *nul = memchr(walk->Data + walk->Pos, 0, walk->Size - walk->Pos);
    if (!nul)
        return 0;
    if (text)
        *text = (const char *)(walk->Data + walk->Pos);
    walk->Pos = (DWORD)((const unsigned char *)nul - walk->Data) + 1;
    return 1;
}

int WalkBytes(HeaderWalk *walk, DWORD count)
{
    if (walk->Size - walk->Pos < count)
        return 0;
    walk->Pos += count;
    return 1;
}

// Steps over `count` entries of two strings each (the pair list). Each entry
// takes at least two bytes, so a huge stored count fails within the read.
int WalkStringPairs(HeaderWalk *walk, DWORD count)
{
    for (DWORD i = 0; i < count; i++)
        if (!WalkString(walk, NULL) || !WalkString(walk, NULL))
            return 0;
    return 1;
}

// Query arguments: name string, u32 value length, that many value bytes.
int WalkQueryArguments(HeaderWalk *walk, DWORD count)
{
    for (DWORD i = 0; i < count; i++) {
        DWORD length;
        if (!WalkString(walk, NULL) || !WalkU32(walk, &length) || !WalkBytes(walk, length))
            return 0;
    }
    return 1;
}

// A Last-Modified value that parses becomes the file time to stamp: the
// instant itself, or with ShowTimeInGMT off the local clock reading at that
// instant stored as a file time, matching the dates the list shows.
void TakeLastModified(const char *value, FILETIME *time)
{
    SYSTEMTIME parsed;
    FILETIME instant, local;
    if (!ParseHttpDate(value, &parsed) || !SystemTimeToFileTime(&parsed, &instant))
        return;
    if (AppSettings.ShowTimeInGMT) {
        *time = instant;
    } else if (FileTimeToLocalFileTime(&instant, &local)) {
        *time = local;
    }
}

// Response headers in stored order; with several Last-Modified headers each
// one that parses replaces the earlier time.
int WalkResponseHeaders(HeaderWalk *walk, FILETIME *time)
{
    DWORD count;
    if (!WalkU32(walk, &count))
        return 0;
    for (DWORD i = 0; i < count; i++) {
        const char *name, *value;
        if (!WalkString(walk, &name) || !WalkString(walk, &value))
            return 0;
        if (ClassifyHeaderName(name) == HEADER_LAST_MODIFIED)
            TakeLastModified(value, time);
    }
    return 1;
}

// Walks from offset 20 to just after the payload size. 1 with the walk's
// position at the first payload byte; 0 when any field lies beyond the read.
int WalkToPayload(HeaderWalk *walk, DWORD *payloadSize, FILETIME *time)
{
    DWORD count;
    walk->Pos = 20;
    if (!WalkString(walk, NULL) || !WalkString(walk, NULL))  // host, path
        return 0;
    if (!WalkU32(walk, &count) || !WalkStringPairs(walk, count))
        return 0;
    if (!WalkU32(walk, &count) || !WalkQueryArguments(walk, count))
        return 0;
    if (!WalkBytes(walk, 4))  // status code
        return 0;
    if (!WalkResponseHeaders(walk, time))
        return 0;
    return WalkU32(walk, payloadSize);
}

// Reads the first chunk and checks the two fixed words. Shows the failure's
// message itself; 1 when the header walk can begin.
int ReadCacheHeader(HWND owner, HANDLE cacheFile, const char *cachePath, HeaderWalk *walk)
{
    walk->Data = SharedReadBuffer;
    walk->Size = 0;
    walk->Pos = 0;
    if (!ReadFile(cacheFile, SharedReadBuffer, SHARED_READ_BUFFER_SIZE, &walk->Size, NULL)) {
        ShowErrorBox(owner, "Error reading file: %s\n\n%s", cachePath);
        return 0;
    }
    DWORD lead = 0, second = 0;
    if (walk->Size >= 20) {
        WalkU32(walk, &lead);
        walk->Pos = 16;
        WalkU32(walk, &second);
    }
    if (lead != 2 || second != 1) {
        ShowErrorBox(owner, "Unknown or invalid cache file header\n\n%s", cachePath);
        return 0;
    }
    return 1;
}

// Sets the target's length to the stored payload size with a 64-bit
// position, so sizes of 2 GiB and more are pre-sized too, then rewinds.
// Outcomes are not checked: the copy decides success.
void PresizeTarget(HANDLE target, DWORD payloadSize)
{
    LONG high = 0;
    SetFilePointer(target, (LONG)payloadSize, &high, FILE_BEGIN);
    SetEndOfFile(target);
    high = 0;
    SetFilePointer(target, 0, &high, FILE_BEGIN);
}

// Writes the bytes at hand, then reads and writes chunks until the end of
// the cache file. Shows the failure's message itself.
int CopyPayload(HWND owner, HANDLE cacheFile, const char *cachePath, HANDLE target, const char *targetPath,
                const unsigned char *atHand, DWORD count)
{
    for (;;) {
        DWORD written = 0;
        if (!WriteFile(target, atHand, count, &written, NULL) || written != count) {
            if (written != count && GetLastError() == ERROR_SUCCESS)
                SetLastError(ERROR_WRITE_FAULT);
            ShowErrorBox(owner, "Error writing file: %s\n\n%s", targetPath);
            return 0;
        }
        if (!ReadFile(cacheFile, SharedReadBuffer, SHARED_READ_BUFFER_SIZE, &count, NULL)) {
            ShowErrorBox(owner, "Error reading file: %s\n\n%s", cachePath);
            return 0;
        }
        if (count == 0)
            return 1;
        atHand = SharedReadBuffer;
    }
}

// Everything after the cache file is open; the caller closes it.
int ExtractFromOpenFile(HWND owner, HANDLE cacheFile, const char *cachePath, const char *targetPath,
                        int overwrite)
{
    FILETIME time;
    time.dwLowDateTime = time.dwHighDateTime = 0xFFFFFFFF;  // none found
    HeaderWalk walk;
    DWORD payloadSize = 0;
    if (!ReadCacheHeader(owner, cacheFile, cachePath, &walk))
        return 0;
    if (!WalkToPayload(&walk, &payloadSize, &time)) {
        ShowErrorBox(owner, "Cache file header is out of bounds\n\n%s", cachePath);
        return 0;
    }
    HANDLE target = CreateFileA(targetPath, GENERIC_WRITE, 0, NULL, overwrite ? CREATE_ALWAYS : CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (target == INVALID_HANDLE_VALUE) {
        ShowErrorBox(owner, "Could not open file for writing: %s\n\n%s", targetPath);
        return 0;
    }
    PresizeTarget(target, payloadSize);
    int ok = CopyPayload(owner, cacheFile, cachePath, target, targetPath, walk.Data + walk.Pos,
                         walk.Size - walk.Pos);
    if (ok && (time.dwLowDateTime != 0xFFFFFFFF || time.dwHighDateTime != 0xFFFFFFFF))
        SetFileTime(target, NULL, NULL, &time);
    CloseHandle(target);
    return ok;
}

}  // namespace

int ExtractPayload(HWND owner, const char *cachePath, const char *targetPath, int overwrite)
{
    // Read and write sharing: the client may keep writing its cache meanwhile.
    HANDLE cacheFile = CreateFileA(cachePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (cacheFile == INVALID_HANDLE_VALUE) {
        ShowErrorBox(owner, "Could not open cache file: %s\n\n%s", cachePath);
        return 0;
    }
    int ok = 0;
    if (SharedReadBuffer)
        ok = ExtractFromOpenFile(owner, cacheFile, cachePath, targetPath, overwrite);
    CloseHandle(cacheFile);
    return ok;
}
