// Builds cache folders for tests: bucket folders 00 to ff with cache files
// written by the one cache file writer.
#ifndef MARROWICK_CACHE_FOLDER_H
#define MARROWICK_CACHE_FOLDER_H

#include "cache_writer.h"

#include <string>

// A small valid cache file whose URL is http://<host>/<name>.
CacheFileRecipe SimpleCacheRecipe(const std::string &name, const std::string &host = "cdn.example.com");

// Writes <folder>\<bucket>\<name> (creating the bucket folder) from a recipe or
// raw bytes; returns the file's full path, empty on failure.
std::string AddCacheFile(const std::string &folder, const std::string &bucket, const std::string &name,
                         const CacheFileRecipe &recipe);
std::string AddRawCacheFile(const std::string &folder, const std::string &bucket, const std::string &name,
                            const std::string &bytes);

// Writes `count` valid cache files spread round-robin over the buckets 00 to
// ff; file names start with their bucket's digits, as the client's do.
void FillCacheFolder(const std::string &folder, int count);

#endif
