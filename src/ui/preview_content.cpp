// What the preview pane shows for one cache file: the payload read as the
// extraction reads it, its kind decided from the row's media type and the
// payload's first bytes, and the text, hex dump or image made from it. Text
// is decoded to UTF-16 for the pane's Unicode edit control: UTF-8 by its
// charset, its byte order mark or its bytes, UTF-16 by its mark, anything
// else in the ANSI code page.
//
// Length rule (the extraction's): the payload is every byte after the
// stored payload size up to the end of the file; when the stored size is
// larger, the extracted file is that long and its missing tail reads as
// zeros. The preview sees the same bytes, but reads only what its view
// needs: 4 KiB for a hex dump, 64 KiB for text, the whole of an image.
#include "marrowick.h"

#include <string.h>

#include "ui/preview.h"

namespace {

// The header is walked from the first 4 KiB; a longer header gets the
// extraction's limit, the first 131,072 bytes.
unsigned char HeaderBytes[SHARED_READ_BUFFER_SIZE];

struct PayloadFile {
    HANDLE File;
    unsigned long long Offset;   // of the first payload byte in the file
    unsigned long long Present;  // payload bytes the file holds
    unsigned long long Length;   // as the extraction leaves it
    int Utf8;                    // Content-Type says charset=utf-8
    const char *Compression;     // Content-Encoding gzip, br or deflate; null otherwise
};

enum { ENCODING_NAME_SIZE = 16 };

// Content-Encoding values whose payload is not the resource's own bytes.
const char *const CompressionNames[] = {"gzip", "br", "deflate"};

// The first token of a header value ("gzip", "text/html"), lower case.
void FirstToken(const char *value, char *token, int size)
{
    int n = 0;
    while (*value == ' ' || *value == '\t')
        value++;
    for (; *value && *value != ';' && *value != ',' && *value != ' ' && n < size - 1; value++)
        token[n++] = *value;
    token[n] = '\0';
    CharLowerBuffA(token, (DWORD)n);
}

// charset=utf-8 among a Content-Type's parameters, in any case, quoted or not.
int SaysUtf8(const char *value)
{
    char lower[CACHE_HEADER_READ_SIZE];
    lstrcpynA(lower, value, sizeof(lower));
    CharLowerBuffA(lower, (DWORD)lstrlenA(lower));
    const char *charset = strstr(lower, "charset=");
    if (!charset)
        return 0;
    charset += 8;
    if (*charset == '"')
        charset++;
    return strncmp(charset, "utf-8", 5) == 0 || strncmp(charset, "utf8", 4) == 0;
}

// The response headers the text view needs: the charset and the encoding.
void ReadPayloadHeaders(size_t count, const CacheHeaderFields *fields, PayloadFile *payload)
{
    HeaderCursor cursor = MakeHeaderCursor(HeaderBytes, count, fields->HeadersOffset);
    StoredHeader header;
    for (uint32_t i = 0; i < fields->HeaderCount && NextStoredHeader(&cursor, &header); i++) {
        if (lstrcmpiA(header.Name, "Content-Type") == 0) {
            payload->Utf8 = SaysUtf8(header.Value);
        } else if (lstrcmpiA(header.Name, "Content-Encoding") == 0) {
            char token[ENCODING_NAME_SIZE];
            FirstToken(header.Value, token, sizeof(token));
            payload->Compression = NULL;
            for (const char *name : CompressionNames)
                if (lstrcmpA(token, name) == 0)
                    payload->Compression = name;
        }
    }
}

void SetStatus(PreviewContent *content, int kind, const char *format, const char *argument)
{
    content->Kind = kind;
    wsprintfA(content->Status, format, argument);
}

// The system's text for the last error as one line, without its period
// and line break.
void SetSystemMessage(PreviewContent *content, const char *format)
{
    char text[200] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, GetLastError(), 0, text,
                   sizeof(text), NULL);
    int n = lstrlenA(text);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == '.' || text[n - 1] == ' '))
        text[--n] = '\0';
    SetStatus(content, PREVIEW_MESSAGE, format, text);
}

// Reads up to `size` bytes at `offset`; the count read, or -1 on failure.
long long ReadAt(HANDLE file, unsigned long long offset, void *buffer, DWORD size)
{
    LARGE_INTEGER at;
    at.QuadPart = (LONGLONG)offset;
    DWORD done = 0;
    if (!SetFilePointerEx(file, at, NULL, FILE_BEGIN) || !ReadFile(file, buffer, size, &done, NULL))
        return -1;
    return done;
}

// Walks the header; a message in `content` and 0 when it cannot be read.
int ReadPayloadHeader(PayloadFile *payload, PreviewContent *content)
{
    CacheHeaderFields fields;
    long long count = ReadAt(payload->File, 0, HeaderBytes, CACHE_HEADER_READ_SIZE);
    int walk = count < 0 ? HEADER_WALK_OK : WalkCacheHeader(HeaderBytes, (size_t)count, &fields);
    if (walk == HEADER_WALK_OUT_OF_BOUNDS && count == CACHE_HEADER_READ_SIZE) {
        count = ReadAt(payload->File, 0, HeaderBytes, sizeof(HeaderBytes));
        walk = count < 0 ? HEADER_WALK_OK : WalkCacheHeader(HeaderBytes, (size_t)count, &fields);
    }
    if (count < 0) {
        SetSystemMessage(content, "Could not read the cache file: %s.");
        return 0;
    }
    if (walk == HEADER_WALK_OUT_OF_BOUNDS) {
        SetStatus(content, PREVIEW_MESSAGE, "Cache file header is out of bounds.", NULL);
        return 0;
    }
    if (walk != HEADER_WALK_OK) {
        SetStatus(content, PREVIEW_MESSAGE, "Unknown or invalid cache file header.", NULL);
        return 0;
    }
    ReadPayloadHeaders((size_t)count, &fields, payload);
    LARGE_INTEGER size;
    unsigned long long fileSize = GetFileSizeEx(payload->File, &size) ? (unsigned long long)size.QuadPart : 0;
    payload->Offset = fields.PayloadOffset;
    payload->Present = fileSize > payload->Offset ? fileSize - payload->Offset : 0;
    payload->Length = fields.PayloadSize > payload->Present ? fields.PayloadSize : payload->Present;
    return 1;
}

// The first `count` payload bytes into `buffer`: those the file holds, then
// zeros. 0 (with the message) when the read fails.
int ReadPayload(const PayloadFile *payload, unsigned char *buffer, DWORD count, PreviewContent *content)
{
    DWORD present = payload->Present < count ? (DWORD)payload->Present : count;
    long long done = ReadAt(payload->File, payload->Offset, buffer, present);
    if (done < 0) {
        SetSystemMessage(content, "Could not read the cache file: %s.");
        return 0;
    }
    ZeroMemory(buffer + done, count - (DWORD)done);
    return 1;
}

// --- Kinds --------------------------------------------------------------------

struct Signature {
    const char *Bytes;
    int Offset;
    int Length;
    const char *Name;
};

// First bytes of the image formats the platform's decoder may read. The
// name comes from here, not from the decoder: Wine's GDI+ turns an icon
// into a bitmap and reports BMP. Other formats the decoder reads show as
// "image".
const Signature ImageSignatures[] = {
    {"\x89PNG\r\n\x1a\n", 0, 8, "PNG"}, {"\xFF\xD8\xFF", 0, 3, "JPEG"}, {"GIF8", 0, 4, "GIF"},
    {"BM", 0, 2, "BMP"},                 {"\0\0\1\0", 0, 4, "ICO"},      {"\0\0\2\0", 0, 4, "CUR"},
    {"WEBP", 8, 4, "WebP"},              {"II*\0", 0, 4, "TIFF"},       {"MM\0*", 0, 4, "TIFF"},
};

// Media types shown as text, whatever their bytes: a prefix, or a suffix
// after the subtype's "+" (image/svg+xml, application/ld+json).
const char *const TextTypePrefixes[] = {"text/", "application/json", "application/javascript",
                                         "application/x-javascript", "application/ecmascript",
                                         "application/xml", "application/xhtml"};
const char *const TextTypeSuffixes[] = {"+xml", "+json"};

int StartsWithNoCase(const char *text, const char *prefix)
{
    int n = lstrlenA(prefix);
    return lstrlenA(text) >= n && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text, n, prefix, n) == CSTR_EQUAL;
}

int EndsWithNoCase(const char *text, const char *suffix)
{
    int n = lstrlenA(text), m = lstrlenA(suffix);
    return n >= m && lstrcmpiA(text + n - m, suffix) == 0;
}

int IsTextMediaType(const char *mediaType)
{
    for (const char *prefix : TextTypePrefixes)
        if (StartsWithNoCase(mediaType, prefix))
            return 1;
    for (const char *suffix : TextTypeSuffixes)
        if (EndsWithNoCase(mediaType, suffix))
            return 1;
    return 0;
}

// The format's name by the payload's first bytes, or null.
const char *ImageFormatName(const unsigned char *bytes, unsigned int count)
{
    for (const Signature &s : ImageSignatures)
        if (count >= (unsigned int)(s.Offset + s.Length) && memcmp(bytes + s.Offset, s.Bytes, s.Length) == 0)
            return s.Name;
    return NULL;
}

// Text in any 8-bit code page: no NUL and no control character other than
// tab, line ends, form feed and escape.
int LooksLikeText(const unsigned char *bytes, unsigned int count)
{
    for (unsigned int i = 0; i < count; i++)
        if (bytes[i] < 0x20 && bytes[i] != '\t' && bytes[i] != '\n' && bytes[i] != '\r' && bytes[i] != '\f' &&
            bytes[i] != 0x1B)
            return 0;
    return 1;
}

int HasUtf16Mark(const unsigned char *bytes, unsigned int count)
{
    return count >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF));
}

int ChooseKind(const char *mediaType, const unsigned char *start, unsigned int count)
{
    if (IsTextMediaType(mediaType))
        return PREVIEW_TEXT;
    if (HasUtf16Mark(start, count) && !StartsWithNoCase(mediaType, "image/"))
        return PREVIEW_TEXT;
    if (StartsWithNoCase(mediaType, "image/") || ImageFormatName(start, count))
        return PREVIEW_IMAGE;
    return LooksLikeText(start, count) ? PREVIEW_TEXT : PREVIEW_HEX;
}

// "Text, 1.21 KB" or "Text, first 64.00 KB of 1.50 MB".
void SetShownStatus(PreviewContent *content, const char *what, unsigned long long shown,
                    unsigned long long length)
{
    char whole[20];
    lstrcpynA(whole, FormatSizeText(&length), sizeof(whole));
    if (shown >= length)
        wsprintfA(content->Status, "%s, %s", what, whole);
    else
        wsprintfA(content->Status, "%s, first %s of %s", what, FormatSizeText(&shown), whole);
}

// Text or hex dump of the first `limit` bytes.
void LoadTextView(const PayloadFile *payload, int kind, DWORD count, PreviewContent *content)
{
    unsigned char *bytes = (unsigned char *)HeapAlloc(GetProcessHeap(), 0, count + 1);
    if (!bytes) {
        SetStatus(content, PREVIEW_MESSAGE, "Not enough memory to preview this payload.", NULL);
        return;
    }
    if (ReadPayload(payload, bytes, count, content)) {
        int encoding = ChooseTextEncoding(bytes, count, payload->Utf8);
        content->Text = kind == PREVIEW_TEXT ? MakePreviewText(bytes, count, encoding) : MakeHexDump(bytes, count);
        content->Kind = kind;
        char what[32] = "Binary";
        if (payload->Compression)
            wsprintfA(what, "Compressed (%s)", payload->Compression);
        SetShownStatus(content, kind == PREVIEW_TEXT ? "Text" : what, count, payload->Length);
        if (!content->Text)
            SetStatus(content, PREVIEW_MESSAGE, "Not enough memory to preview this payload.", NULL);
    }
    HeapFree(GetProcessHeap(), 0, bytes);
}

void LoadImageView(const PayloadFile *payload, const char *mediaType, PreviewContent *content)
{
    unsigned long long length = payload->Length;
    if (length > PREVIEW_IMAGE_LIMIT) {
        SetStatus(content, PREVIEW_MESSAGE, "Image too large to preview (%s).", FormatSizeText(&length));
        return;
    }
    unsigned char *bytes = (unsigned char *)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)length);
    if (!bytes) {
        SetStatus(content, PREVIEW_MESSAGE, "Not enough memory to preview this payload.", NULL);
        return;
    }
    int decoded = 0;
    if (ReadPayload(payload, bytes, (DWORD)length, content))
        decoded = DecodePreviewImage(bytes, (unsigned int)length, content);
    const char *format = ImageFormatName(bytes, (unsigned int)length);
    HeapFree(GetProcessHeap(), 0, bytes);
    if (content->Kind == PREVIEW_MESSAGE)
        return;  // the read failed
    if (decoded < 0) {
        content->Kind = PREVIEW_MESSAGE;
        wsprintfA(content->Status, "Image too large to preview (%u x %u pixels).", content->Width, content->Height);
        return;
    }
    if (!decoded) {
        SetStatus(content, PREVIEW_MESSAGE, "The image could not be decoded (%s).",
                  mediaType[0] ? mediaType : "unknown type");
        return;
    }
    content->Kind = PREVIEW_IMAGE;
    wsprintfA(content->Status, "%u x %u pixels, %s, %s", content->Width, content->Height, format ? format : "image",
              FormatSizeText(&length));
}

void LoadFromOpenFile(PayloadFile *payload, const char *mediaType, PreviewContent *content)
{
    if (!ReadPayloadHeader(payload, content))
        return;
    if (payload->Length == 0) {
        SetStatus(content, PREVIEW_MESSAGE, "Zero-length payload: nothing to preview.", NULL);
        return;
    }
    unsigned char start[PREVIEW_HEX_LIMIT];
    DWORD sniff = payload->Length < sizeof(start) ? (DWORD)payload->Length : (DWORD)sizeof(start);
    if (!ReadPayload(payload, start, sniff, content))
        return;
    // A compressed body is not the text or picture its type names.
    int kind = payload->Compression ? PREVIEW_HEX : ChooseKind(mediaType, start, sniff);
    if (kind == PREVIEW_IMAGE) {
        LoadImageView(payload, mediaType, content);
        return;
    }
    DWORD limit = kind == PREVIEW_TEXT ? PREVIEW_TEXT_LIMIT : PREVIEW_HEX_LIMIT;
    LoadTextView(payload, kind, payload->Length < limit ? (DWORD)payload->Length : limit, content);
}

}  // namespace

void LoadPreviewContent(const char *path, const char *mediaType, PreviewContent *content)
{
    // Read-only, sharing everything: the client may write or delete its
    // cache files while one is shown.
    PayloadFile payload;
    ZeroMemory(&payload, sizeof(payload));
    payload.File = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (payload.File == INVALID_HANDLE_VALUE) {
        SetSystemMessage(content, "Could not open the cache file: %s.");
        return;
    }
    LoadFromOpenFile(&payload, mediaType ? mediaType : "", content);
    CloseHandle(payload.File);
}

void FreePreviewContent(PreviewContent *content)
{
    ReleasePreviewImage(content);
    if (content->Text)
        HeapFree(GetProcessHeap(), 0, content->Text);
    ZeroMemory(content, sizeof(*content));
}

// Bytes of a complete UTF-8 text: a sequence cut by the read limit is left out.
static unsigned int CompleteUtf8Length(const unsigned char *bytes, unsigned int count)
{
    for (unsigned int back = 1; back <= 3 && back <= count; back++) {
        unsigned char c = bytes[count - back];
        if ((c & 0xC0) == 0x80)
            continue;   // a continuation byte: look further back
        unsigned int need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return need > back ? count - back : count;
    }
    return count;
}

int ChooseTextEncoding(const unsigned char *bytes, unsigned int count, int saysUtf8)
{
    if (count >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        return TEXT_UTF16LE;
    if (count >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        return TEXT_UTF16BE;
    if (saysUtf8 || (count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF))
        return TEXT_UTF8;
    // Bytes beyond ASCII that all form valid UTF-8 are almost never text of
    // an 8-bit code page.
    unsigned int length = CompleteUtf8Length(bytes, count);
    int high = 0;
    for (unsigned int i = 0; i < length && !high; i++)
        high = bytes[i] >= 0x80;
    if (high && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, (const char *)bytes, (int)length, NULL, 0) > 0)
        return TEXT_UTF8;
    return TEXT_ANSI;
}

// The characters of `count` bytes in `encoding`, byte order marks dropped.
// Heap text of *chars characters, not terminated; null when out of memory.
static WCHAR *DecodeText(const unsigned char *bytes, unsigned int count, int encoding, unsigned int *chars)
{
    HANDLE heap = GetProcessHeap();
    if (encoding == TEXT_UTF16LE || encoding == TEXT_UTF16BE) {
        unsigned int n = count >= 2 ? (count - 2) / 2 : 0;
        WCHAR *wide = (WCHAR *)HeapAlloc(heap, 0, (SIZE_T)n * sizeof(WCHAR) + sizeof(WCHAR));
        for (unsigned int i = 0; wide && i < n; i++) {
            const unsigned char *pair = bytes + 2 + 2 * i;
            wide[i] = encoding == TEXT_UTF16LE ? (WCHAR)(pair[0] | pair[1] << 8) : (WCHAR)(pair[0] << 8 | pair[1]);
        }
        *chars = n;
        return wide;
    }
    UINT codePage = encoding == TEXT_UTF8 ? CP_UTF8 : CP_ACP;
    if (encoding == TEXT_UTF8) {
        if (count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
            bytes += 3;
            count -= 3;
        }
        count = CompleteUtf8Length(bytes, count);
    }
    // One character per byte at most, in every code page.
    WCHAR *wide = (WCHAR *)HeapAlloc(heap, 0, (SIZE_T)count * sizeof(WCHAR) + sizeof(WCHAR));
    int n = wide && count ? MultiByteToWideChar(codePage, 0, (const char *)bytes, (int)count, wide, (int)count) : 0;
    *chars = (unsigned int)n;
    return wide;
}

WCHAR *MakePreviewText(const unsigned char *bytes, unsigned int count, int encoding)
{
    unsigned int chars = 0;
    WCHAR *wide = DecodeText(bytes, count, encoding, &chars);
    if (!wide)
        return NULL;
    // Every character may become two (a lone CR or LF), plus the terminator.
    WCHAR *text = (WCHAR *)HeapAlloc(GetProcessHeap(), 0, ((SIZE_T)chars * 2 + 1) * sizeof(WCHAR));
    WCHAR *out = text;
    for (unsigned int i = 0; text && i < chars; i++) {
        WCHAR c = wide[i];
        if (c == '\r' || c == '\n') {
            *out++ = '\r';
            *out++ = '\n';
            if (c == '\r' && i + 1 < chars && wide[i + 1] == '\n')
                i++;
        } else {
            *out++ = c ? c : L' ';  // a NUL would end the control's text
        }
    }
    if (text)
        *out = 0;
    HeapFree(GetProcessHeap(), 0, wide);
    return text;
}

WCHAR *MakeHexDump(const unsigned char *bytes, unsigned int count)
{
    enum { LINE_SIZE = 8 + 2 + 16 * 3 + 1 + 16 + 2 };
    WCHAR *text = (WCHAR *)HeapAlloc(GetProcessHeap(), 0, ((SIZE_T)(count / 16 + 1) * LINE_SIZE + 1) * sizeof(WCHAR));
    if (!text)
        return NULL;
    static const char Digits[] = "0123456789ABCDEF";
    WCHAR *out = text;
    for (unsigned int line = 0; line < count; line += 16) {
        out += wsprintfW(out, L"%08X  ", line);
        for (unsigned int i = line; i < line + 16; i++) {
            out[0] = i < count ? Digits[bytes[i] >> 4] : ' ';
            out[1] = i < count ? Digits[bytes[i] & 15] : ' ';
            out[2] = ' ';
            out += 3;
        }
        *out++ = ' ';
        for (unsigned int i = line; i < line + 16 && i < count; i++)
            *out++ = bytes[i] >= 0x20 && bytes[i] < 0x7F ? (WCHAR)bytes[i] : L'.';
        *out++ = '\r';
        *out++ = '\n';
    }
    *out = '\0';
    return text;
}
