// libFuzzer target for the cache header walk: any bytes (as many as the
// reader would read, at most 4,096) are walked; a header that passes must
// iterate back exactly as the walk counted it, and every text built from it
// must stay inside its buffer. The sanitizers catch any read past the input.
#include "header_walk.h"

#include <stdlib.h>
#include <string.h>

static void Require(bool condition)
{
    if (!condition)
        abort();
}

static void CheckQueries(const uint8_t *data, size_t size, const CacheHeaderFields &f)
{
    HeaderCursor c = MakeHeaderCursor(data, size, f.QueryOffset);
    for (uint32_t i = 0; i < f.QueryCount; i++) {
        StoredQueryArgument argument;
        Require(NextQueryArgument(&c, &argument) == 1);
        Require(strlen(FormatQueryArgument(&argument, (int)i)) < QUERY_TEXT_SIZE);
    }
    Require(c.Pos + 8 <= f.HeadersOffset);  // the status code and header count follow
}

static void CheckHeaders(const uint8_t *data, size_t size, const CacheHeaderFields &f)
{
    HeaderCursor c = MakeHeaderCursor(data, size, f.HeadersOffset);
    for (uint32_t i = 0; i < f.HeaderCount; i++) {
        StoredHeader header;
        Require(NextStoredHeader(&c, &header) == 1);
        Require(strlen(ExtractMediaType(header.Value)) < MEDIA_TYPE_SIZE);
    }
    Require(c.Pos + 4 == f.PayloadOffset);  // the payload size comes right after
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CacheHeaderFields f;
    int result = WalkCacheHeader(data, size, &f);
    if (size < CACHE_HEADER_FIXED_SIZE)
        Require(result == HEADER_WALK_TOO_SMALL);
    if (result != HEADER_WALK_OK) {
        Require(result >= HEADER_WALK_TOO_SMALL && result <= HEADER_WALK_OUT_OF_BOUNDS);
        return 0;
    }
    Require(f.PayloadOffset <= size);
    Require(f.Host == (const char *)data + CACHE_HEADER_FIXED_SIZE);
    CheckQueries(data, size, f);
    CheckHeaders(data, size, f);
    char url[URL_TEXT_SIZE];
    BuildUrlText(data, size, &f, url);
    Require(strncmp(url, "http://", 7) == 0 && strlen(url) < URL_TEXT_SIZE);
    return 0;
}
