// Entry reader: one cache file becomes one row of the row store. The header
// is walked and checked completely first (header_walk.cpp); only then are its
// values converted and the row appended in one step, so a failure never
// leaves a partial row behind.
#include "marrowick.h"

// Response headers that fill a column or name the file; position + 2 is the
// HeaderKind. Payload extraction looks up Last-Modified through this table.
static const char *const HeaderNames[] = {"Content-Type", "Content-Length",      "Date", "Last-Modified",
                                          "Expires",      "Content-Disposition", "Etag"};

enum { COLUMN_TEXT_SIZE = 100 };

// The texts gathered from the response headers; the last occurrence of a
// header decides. Conversions return shared buffers, so their results are
// copied here until the row is appended.
struct HeaderTexts {
    char MediaType[MEDIA_TYPE_SIZE];
    char FileSize[COLUMN_TEXT_SIZE];
    const char *Dates[3];             // Server Time, Last Modified, Expire Time values
    char Attachment[COLUMN_TEXT_SIZE];
    const char *ETag;                 // points into the read buffer
    int SawContentType;
    int SawContentLength;
};

int ClassifyHeaderName(const char *name)
{
    for (int i = 0; i < countof(HeaderNames); i++)
        if (lstrcmpiA(name, HeaderNames[i]) == 0)
            return i + 2;
    return HEADER_OTHER;
}

static void ApplyHeader(HeaderTexts *texts, const StoredHeader *header)
{
    int kind = ClassifyHeaderName(header->Name);
    switch (kind) {
    case HEADER_CONTENT_TYPE:
        lstrcpynA(texts->MediaType, ExtractMediaType(header->Value), sizeof(texts->MediaType));
        texts->SawContentType = 1;
        break;
    case HEADER_CONTENT_LENGTH:
        lstrcpynA(texts->FileSize, FormatGroupedNumber(header->Value), sizeof(texts->FileSize));
        texts->SawContentLength = 1;
        break;
    case HEADER_DATE:
    case HEADER_LAST_MODIFIED:
    case HEADER_EXPIRES:
        texts->Dates[kind - HEADER_DATE] = header->Value;  // the store keeps its instant
        break;
    case HEADER_CONTENT_DISPOSITION:
        lstrcpynA(texts->Attachment, ExtractAttachmentName(header->Value), sizeof(texts->Attachment));
        break;
    case HEADER_ETAG:
        texts->ETag = header->Value;
        break;
    default:
        break;
    }
}

static void ReadHeaderTexts(const unsigned char *bytes, size_t count, const CacheHeaderFields *fields,
                            HeaderTexts *texts)
{
    ZeroMemory(texts, sizeof(*texts));
    texts->ETag = texts->Dates[0] = texts->Dates[1] = texts->Dates[2] = "";
    HeaderCursor cursor = MakeHeaderCursor(bytes, count, fields->HeadersOffset);
    StoredHeader header;
    for (uint32_t i = 0; i < fields->HeaderCount && NextStoredHeader(&cursor, &header); i++)
        ApplyHeader(texts, &header);
    if (!texts->SawContentLength) {
        char digits[16];
        wsprintfA(digits, "%u", fields->PayloadSize);
        lstrcpynA(texts->FileSize, FormatGroupedNumber(digits), sizeof(texts->FileSize));
    }
}

// Converts the walked header into the row's texts and appends it to the
// store; 0 when the store could not take it.
static int AddRowFromHeader(const char *path, int bucket, const unsigned char *bytes, size_t count,
                             const CacheHeaderFields *fields)
{
    char url[URL_TEXT_SIZE], workCopy[URL_TEXT_SIZE], status[32];
    HeaderTexts texts;
    BuildUrlText(bytes, count, fields, url);
    lstrcpynA(status, FormatStatusLine(fields->Status), sizeof(status));
    ReadHeaderTexts(bytes, count, fields, &texts);

    CacheRow row;
    lstrcpyA(workCopy, url);
    row.Text[COL_FILENAME] = MakeLocalFileName(workCopy, sizeof(workCopy), texts.Attachment[0] ? texts.Attachment : NULL,
                                               texts.SawContentType ? texts.MediaType : NULL, &row.IconIndex);
    row.Text[COL_URL] = url;
    row.Text[COL_CONTENT_TYPE] = texts.MediaType;
    row.Text[COL_FILE_SIZE] = texts.FileSize;
    row.Text[COL_SERVER_TIME] = texts.Dates[0];
    row.Text[COL_LAST_MODIFIED] = texts.Dates[1];
    row.Text[COL_EXPIRE_TIME] = texts.Dates[2];
    row.Text[COL_SERVER_RESPONSE] = status;
    row.Text[COL_ETAG] = texts.ETag;
    const char *slash = FindLastChar(path, '\\');
    row.Text[COL_CACHE_FILE] = slash ? slash + 1 : path;
    row.PayloadSize = fields->PayloadSize;
    return AppendStoreRow(&row, bucket) >= 0;
}

// Reads the first bytes of the file; 0 after showing the failure. The file
// is closed before any message about its contents is shown.
static int ReadHeaderBytes(HWND owner, const char *path, DWORD *count, int *result)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        ShowErrorBox(owner, "Could not open cache file: %s\n\n%s", path);
        *result = 1;
        return 0;
    }
    if (!SharedReadBuffer) {
        CloseHandle(file);
        *result = 0;
        return 0;
    }
    if (!ReadFile(file, SharedReadBuffer, CACHE_HEADER_READ_SIZE, count, NULL)) {
        ShowErrorBox(owner, "Error reading file: %s\n\n%s", path);  // before CloseHandle resets the error
        CloseHandle(file);
        *result = 1;
        return 0;
    }
    CloseHandle(file);
    return 1;
}

int ReadCacheEntry(HWND owner, const char *path, int bucket)
{
    DWORD count = 0;
    int result;
    if (!ReadHeaderBytes(owner, path, &count, &result))
        return result;

    CacheHeaderFields fields;
    switch (WalkCacheHeader(SharedReadBuffer, count, &fields)) {
    case HEADER_WALK_TOO_SMALL:
        ShowErrorBox(owner, "File is too small to contain cache file header\n\n%s", path);
        return 1;
    case HEADER_WALK_BAD_SIGNATURE:
        ShowErrorBox(owner, "Unknown or invalid cache file header\n\n%s", path);
        return 1;
    case HEADER_WALK_OUT_OF_BOUNDS:
        ShowErrorBox(owner, "Cache file header is out of bounds\n\n%s", path);
        return 1;
    default:
        if (!AddRowFromHeader(path, bucket, SharedReadBuffer, count, &fields)) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            ShowErrorBox(owner, "%s", ERROR_ARG_SYSTEM);
            return 0;
        }
        return 1;
    }
}
