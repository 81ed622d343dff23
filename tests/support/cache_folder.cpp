#include "cache_folder.h"

#include <windows.h>

#include <cstdio>

CacheFileRecipe SimpleCacheRecipe(const std::string &name, const std::string &host)
{
    CacheFileRecipe recipe;
    recipe.Host = host;
    recipe.Path = "/" + name;
    recipe.Headers = {{"Content-Type", "text/plain"}};
    recipe.Payload = "payload of " + name;
    return recipe;
}

std::string AddRawCacheFile(const std::string &folder, const std::string &bucket, const std::string &name,
                            const std::string &bytes)
{
    std::string dir = folder + "\\" + bucket;
    CreateDirectoryA(dir.c_str(), NULL);
    std::string path = dir + "\\" + name;
    return WriteBytesToFile(path, bytes) ? path : std::string();
}

std::string AddCacheFile(const std::string &folder, const std::string &bucket, const std::string &name,
                         const CacheFileRecipe &recipe)
{
    return AddRawCacheFile(folder, bucket, name, BuildCacheFile(recipe));
}

void FillCacheFolder(const std::string &folder, int count)
{
    for (int i = 0; i < count; ++i) {
        char bucket[3], name[32];
        std::snprintf(bucket, sizeof(bucket), "%02x", i % 256);
        std::snprintf(name, sizeof(name), "%s%014x", bucket, (unsigned)i * 2654435761u);
        AddCacheFile(folder, bucket, name, SimpleCacheRecipe(name));
    }
}
