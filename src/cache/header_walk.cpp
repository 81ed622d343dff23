// Bounds-checked walk of a cache file header (layout in header_walk.h) and
// the texts built straight from its fields: the URL, query arguments and the
// media type. No Win32 here: the fuzz build compiles this file natively.
#include "header_walk.h"

#include <string.h>

// Little-endian u32 at any offset: the format does not align its integers.
static int TakeU32(HeaderCursor *c, uint32_t *value)
{
    if (c->Count - c->Pos < 4)
        return 0;
    const unsigned char *p = c->Bytes + c->Pos;
    *value = (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
    c->Pos += 4;
    return 1;
}

// A string counts only if its NUL lies inside the bytes read.
static int TakeString(HeaderCursor *c, const char **text)
{
    const unsigned char *start = c->Bytes + c->Pos;
    const void *nul = memchr(start, 0, c->Count - c->Pos);
    if (!nul)
        return 0;
    *text = (const char *)start;
    c->Pos = (size_t)((const unsigned char *)nul - c->Bytes) + 1;
    return 1;
}

// `length` comes from the file: compare it with what is left, never add it.
static int TakeBytes(HeaderCursor *c, uint32_t length, const char **bytes)
{
    if (length > c->Count - c->Pos)
        return 0;
    *bytes = (const char *)(c->Bytes + c->Pos);
    c->Pos += length;
    return 1;
}

HeaderCursor MakeHeaderCursor(const unsigned char *bytes, size_t count, size_t offset)
{
    HeaderCursor c = {bytes, count, offset <= count ? offset : count};
    return c;
}

int NextQueryArgument(HeaderCursor *cursor, StoredQueryArgument *argument)
{
    HeaderCursor c = *cursor;
    if (!TakeString(&c, &argument->Name) || !TakeU32(&c, &argument->ValueLength) ||
        !TakeBytes(&c, argument->ValueLength, &argument->Value))
        return 0;
    *cursor = c;
    return 1;
}

int NextStoredHeader(HeaderCursor *cursor, StoredHeader *header)
{
    HeaderCursor c = *cursor;
    if (!TakeString(&c, &header->Name) || !TakeString(&c, &header->Value))
        return 0;
    *cursor = c;
    return 1;
}

// Pair list and query arguments: each entry takes at least two bytes, so a
// huge stored count ends at the first overrun, within count / 2 steps.
static int SkipPairsAndQueries(HeaderCursor *c, CacheHeaderFields *f)
{
    uint32_t pairCount;
    if (!TakeU32(c, &pairCount))
        return 0;
    for (uint32_t i = 0; i < pairCount; i++) {
        const char *first, *second;
        if (!TakeString(c, &first) || !TakeString(c, &second))
            return 0;
    }
    if (!TakeU32(c, &f->QueryCount))
        return 0;
    f->QueryOffset = c->Pos;
    for (uint32_t i = 0; i < f->QueryCount; i++) {
        StoredQueryArgument argument;
        if (!NextQueryArgument(c, &argument))
            return 0;
    }
    return 1;
}

static int WalkResponseHeaders(HeaderCursor *c, CacheHeaderFields *f)
{
    if (!TakeU32(c, &f->Status) || !TakeU32(c, &f->HeaderCount))
        return 0;
    f->HeadersOffset = c->Pos;
    for (uint32_t i = 0; i < f->HeaderCount; i++) {
        StoredHeader header;
        if (!NextStoredHeader(c, &header))
            return 0;
        // The u32 after every value (the next name's first bytes, or the
        // payload size after the last header) must lie inside the bytes read.
        if (c->Count - c->Pos < 4)
            return 0;
    }
    return TakeU32(c, &f->PayloadSize);
}

int WalkCacheHeader(const unsigned char *bytes, size_t count, CacheHeaderFields *fields)
{
    if (count < CACHE_HEADER_FIXED_SIZE)
        return HEADER_WALK_TOO_SMALL;
    HeaderCursor c = {bytes, count, 0};
    uint32_t lead, second;
    TakeU32(&c, &lead);
    c.Pos = 16;
    TakeU32(&c, &second);
    if (lead != 2 || second != 1)
        return HEADER_WALK_BAD_SIGNATURE;

    CacheHeaderFields f;
    if (!TakeString(&c, &f.Host) || !TakeString(&c, &f.Path) || !SkipPairsAndQueries(&c, &f) ||
        !WalkResponseHeaders(&c, &f))
        return HEADER_WALK_OUT_OF_BOUNDS;
    f.PayloadOffset = c.Pos;
    *fields = f;
    return HEADER_WALK_OK;
}

// Appends at most `length` bytes of `text` (stopping at a NUL) to `buffer`,
// which holds `*used` characters; cuts whatever does not fit `size`.
static void AppendCut(char *buffer, size_t size, size_t *used, const char *text, size_t length)
{
    size_t i = 0;
    while (i < length && text[i] && *used + 1 < size)
        buffer[(*used)++] = text[i++];
    buffer[*used] = '\0';
}

const char *FormatQueryArgument(const StoredQueryArgument *argument, int index)
{
    static char text[QUERY_TEXT_SIZE];
    size_t used = 0;
    text[0] = '\0';
    AppendCut(text, sizeof(text), &used, index == 0 ? "?" : "&", 1);
    AppendCut(text, sizeof(text), &used, argument->Name, (size_t)-1);
    AppendCut(text, sizeof(text), &used, "=", 1);
    // The stored value need not hold a NUL: its length bounds the text.
    AppendCut(text, sizeof(text), &used, argument->Value, argument->ValueLength);
    return text;
}

void BuildUrlText(const unsigned char *bytes, size_t count, const CacheHeaderFields *fields, char *url)
{
    size_t used = 0;
    url[0] = '\0';
    AppendCut(url, URL_TEXT_SIZE, &used, "http://", 7);
    AppendCut(url, URL_TEXT_SIZE, &used, fields->Host, (size_t)-1);
    AppendCut(url, URL_TEXT_SIZE, &used, fields->Path, (size_t)-1);
    HeaderCursor c = MakeHeaderCursor(bytes, count, fields->QueryOffset);
    StoredQueryArgument argument;
    for (uint32_t i = 0; i < fields->QueryCount && NextQueryArgument(&c, &argument); i++)
        AppendCut(url, URL_TEXT_SIZE, &used, FormatQueryArgument(&argument, (int)i), (size_t)-1);
}

const char *ExtractMediaType(const char *value)
{
    static char mediaType[MEDIA_TYPE_SIZE];
    size_t used = 0;
    while (*value == ' ')
        value++;
    size_t length = strcspn(value, " ;");
    mediaType[0] = '\0';
    AppendCut(mediaType, sizeof(mediaType), &used, value, length);
    return mediaType;
}
