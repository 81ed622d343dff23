// The cache file header, walked without any Win32: plain C++ over the bytes
// read from the start of a cache file, so the same code runs in the program
// and in the native fuzz build.
//
// Header layout (integers are u32 little-endian, strings end with one NUL,
// nothing is aligned or padded):
//   0 u32 2 | 4 twelve bytes, not interpreted | 16 u32 1 | 20 host | path |
//   u32 pair count, pairs of two strings (skipped) |
//   u32 query count, queries: name, u32 value length, value bytes |
//   u32 status code | u32 header count, headers: name, value |
//   u32 payload size | payload.
//
// The walk never reads a byte at or beyond `count` and never follows a value
// length past it: every field must lie wholly inside the bytes read.
#ifndef MARROWICK_HEADER_WALK_H
#define MARROWICK_HEADER_WALK_H

#include <stddef.h>
#include <stdint.h>

enum HeaderWalkResult {
    HEADER_WALK_OK = 0,
    HEADER_WALK_TOO_SMALL = 1,      // fewer than the 20 fixed bytes
    HEADER_WALK_BAD_SIGNATURE = 2,  // lead word not 2 or second word not 1
    HEADER_WALK_OUT_OF_BOUNDS = 3   // a field reaches past the bytes read
};

enum {
    CACHE_HEADER_FIXED_SIZE = 20,
    // The whole URL: "http://" and every text the 4,096 header bytes can
    // hold (a query argument adds at most 2 characters to the 5 bytes it
    // takes in the header) fit with room to spare.
    URL_TEXT_SIZE = 4200,
    QUERY_TEXT_SIZE = 4200,     // one query argument's text
    MEDIA_TYPE_SIZE = 100       // media type: 99 characters and the terminator
};

// A read position inside the bytes read; Pos never exceeds Count.
struct HeaderCursor {
    const unsigned char *Bytes;
    size_t Count;
    size_t Pos;
};

// One query argument. Value is not terminated: it has ValueLength bytes.
struct StoredQueryArgument {
    const char *Name;
    const char *Value;
    uint32_t ValueLength;
};

// One response header; both texts are terminated inside the bytes read.
struct StoredHeader {
    const char *Name;
    const char *Value;
};

// What a successful walk found. Texts point into the bytes walked; the
// offsets let a second pass iterate the query arguments and headers.
struct CacheHeaderFields {
    const char *Host;
    const char *Path;
    uint32_t QueryCount;
    size_t QueryOffset;     // first query argument's name
    uint32_t Status;
    uint32_t HeaderCount;
    size_t HeadersOffset;   // first response header's name
    uint32_t PayloadSize;
    size_t PayloadOffset;   // the byte after the payload size
};

// Checks and walks the whole header up to and including the payload size.
// On HEADER_WALK_OK every field of `fields` is set; otherwise none is used.
int WalkCacheHeader(const unsigned char *bytes, size_t count, CacheHeaderFields *fields);

// Cursor at `offset` of the walked bytes (QueryOffset or HeadersOffset).
HeaderCursor MakeHeaderCursor(const unsigned char *bytes, size_t count, size_t offset);
// Read the next entry and step over it; 0 (cursor unchanged) on an overrun.
int NextQueryArgument(HeaderCursor *cursor, StoredQueryArgument *argument);
int NextStoredHeader(HeaderCursor *cursor, StoredHeader *header);

// Text of one query argument: "?" for index 0, else "&", then the name, "="
// and the value up to its first NUL, at most ValueLength bytes; cut to
// QUERY_TEXT_SIZE - 1 characters (whole for every argument a header holds).
// Process-wide buffer.
const char *FormatQueryArgument(const StoredQueryArgument *argument, int index);

// Writes "http://", host, path and every query argument's text in stored
// order into `url` (URL_TEXT_SIZE bytes, which the whole URL fits). `fields` must come from a successful walk of the same bytes.
void BuildUrlText(const unsigned char *bytes, size_t count, const CacheHeaderFields *fields, char *url);

// Media type of a Content-Type value: leading blanks skipped, then up to the
// first blank, ";" or the end, at most 99 characters. Process-wide buffer.
const char *ExtractMediaType(const char *value);

#endif
