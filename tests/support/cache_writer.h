// Writes cache files for tests, the demo generator, the benchmark and the
// fuzz seeds: the one place that knows how to produce the on-disk format.
// Plain C++ without Win32, so the native fuzz build can use it too.
//
// Layout: u32 2, 12 bytes, u32 1, host\0, path\0, u32 pair count, pairs
// (two strings each), u32 query count, queries (name\0, u32 length, bytes),
// u32 status, u32 header count, headers (name\0 value\0), u32 payload size,
// payload. All integers little-endian.
#ifndef MARROWICK_CACHE_WRITER_H
#define MARROWICK_CACHE_WRITER_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct QueryArgument {
    std::string Name;
    std::string Value;           // written as is; may hold NUL bytes
    int64_t DeclaredLength = -1; // stored length; -1 means Value.size()
};

struct CacheFileRecipe {
    uint32_t LeadWord = 2;
    uint32_t SecondWord = 1;
    std::string Host = "example.com";
    std::string Path = "/";
    std::vector<std::pair<std::string, std::string>> Pairs;
    std::vector<QueryArgument> Query;
    uint32_t Status = 200;
    std::vector<std::pair<std::string, std::string>> Headers;
    std::string Payload;
    int64_t DeclaredPayloadSize = -1; // stored payload size; -1 means Payload.size()
};

// Byte offsets of the fields of a built file, for truncating it at any field.
struct CacheFileLayout {
    size_t Host, Path, PairCount, QueryCount, Status, HeaderCount;
    std::vector<size_t> HeaderNames;  // start of each header's name
    size_t PayloadSize, Payload, End;
};

std::string BuildCacheFile(const CacheFileRecipe &recipe, CacheFileLayout *layout = nullptr);
// Writes raw bytes to a file (created or replaced); false on failure.
bool WriteBytesToFile(const std::string &path, const std::string &bytes);
bool WriteCacheFile(const std::string &path, const CacheFileRecipe &recipe);

#endif
