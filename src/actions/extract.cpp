// Payload extraction: turns one cache file into an ordinary file holding only
// the cached resource, stamped with the response's Last-Modified time.
//
// The header (layout in cache/header_walk.h) must lie within the first
// SHARED_READ_BUFFER_SIZE bytes; every field is taken only from the bytes
// actually read. The payload is everything after the payload size up
// to the end of the file; the stored size only pre-sizes the target.
#include "marrowick.h"

#include "cache/header_walk.h"

namespace {

// A Last-Modified value that parses becomes the file time to stamp. A file
// time is an instant: the list's GMT/local display has no say in it.
void TakeLastModified(const char *value, FILETIME *time)
{
    SYSTEMTIME parsed;
    FILETIME instant;
    if (ParseHttpDate(value, &parsed) && SystemTimeToFileTime(&parsed, &instant))
        *time = instant;
}

// Response headers in stored order; with several Last-Modified headers each
// one that parses replaces the earlier time. The walk has checked them all.
void FindLastModified(DWORD count, const CacheHeaderFields *fields, FILETIME *time)
{
    HeaderCursor cursor = MakeHeaderCursor(SharedReadBuffer, count, fields->HeadersOffset);
    StoredHeader header;
    for (uint32_t i = 0; i < fields->HeaderCount && NextStoredHeader(&cursor, &header); i++)
        if (ClassifyHeaderName(header.Name) == HEADER_LAST_MODIFIED)
            TakeLastModified(header.Value, time);
}

// Reads the first chunk and walks the header to the payload, taking nothing
// from beyond the bytes read. Shows the failure's message itself.
int ReadCacheHeader(HWND owner, HANDLE cacheFile, const char *cachePath, DWORD *count, CacheHeaderFields *fields)
{
    if (!ReadFile(cacheFile, SharedReadBuffer, SHARED_READ_BUFFER_SIZE, count, NULL)) {
        ShowErrorBox(owner, "Error reading file: %s\n\n%s", cachePath);
        return 0;
    }
    switch (WalkCacheHeader(SharedReadBuffer, *count, fields)) {
    case HEADER_WALK_OK:
        return 1;
    case HEADER_WALK_OUT_OF_BOUNDS:
        ShowErrorBox(owner, "Cache file header is out of bounds\n\n%s", cachePath);
        return 0;
    default:  // under 20 bytes, or a wrong lead or second word
        ShowErrorBox(owner, "Unknown or invalid cache file header\n\n%s", cachePath);
        return 0;
    }
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
    DWORD count = 0;
    CacheHeaderFields fields;
    if (!ReadCacheHeader(owner, cacheFile, cachePath, &count, &fields))
        return 0;
    FindLastModified(count, &fields, &time);
    HANDLE target = CreateFileA(targetPath, GENERIC_WRITE, 0, NULL, overwrite ? CREATE_ALWAYS : CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (target == INVALID_HANDLE_VALUE) {
        ShowErrorBox(owner, "Could not open file for writing: %s\n\n%s", targetPath);
        return 0;
    }
    PresizeTarget(target, fields.PayloadSize);
    int ok = CopyPayload(owner, cacheFile, cachePath, target, targetPath, SharedReadBuffer + fields.PayloadOffset,
                         count - (DWORD)fields.PayloadOffset);
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
