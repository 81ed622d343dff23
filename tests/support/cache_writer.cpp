#include "cache_writer.h"

#include <cstdio>

static void PutU32(std::string &out, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        out.push_back((char)((v >> (8 * i)) & 0xFF));
}

static void PutString(std::string &out, const std::string &s)
{
    out.append(s);
    out.push_back('\0');
}

std::string BuildCacheFile(const CacheFileRecipe &recipe, CacheFileLayout *layout)
{
    CacheFileLayout l;
    std::string out;
    PutU32(out, recipe.LeadWord);
    out.append(12, '\0');
    PutU32(out, recipe.SecondWord);
    l.Host = out.size();
    PutString(out, recipe.Host);
    l.Path = out.size();
    PutString(out, recipe.Path);
    l.PairCount = out.size();
    PutU32(out, (uint32_t)recipe.Pairs.size());
    for (const auto &p : recipe.Pairs) {
        PutString(out, p.first);
        PutString(out, p.second);
    }
    l.QueryCount = out.size();
    PutU32(out, (uint32_t)recipe.Query.size());
    for (const auto &q : recipe.Query) {
        PutString(out, q.Name);
        PutU32(out, q.DeclaredLength < 0 ? (uint32_t)q.Value.size() : (uint32_t)q.DeclaredLength);
        out.append(q.Value);
    }
    l.Status = out.size();
    PutU32(out, recipe.Status);
    l.HeaderCount = out.size();
    PutU32(out, (uint32_t)recipe.Headers.size());
    for (const auto &h : recipe.Headers) {
        l.HeaderNames.push_back(out.size());
        PutString(out, h.first);
        PutString(out, h.second);
    }
    l.PayloadSize = out.size();
    PutU32(out, recipe.DeclaredPayloadSize < 0 ? (uint32_t)recipe.Payload.size() : (uint32_t)recipe.DeclaredPayloadSize);
    l.Payload = out.size();
    out.append(recipe.Payload);
    l.End = out.size();
    if (layout)
        *layout = l;
    return out;
}

bool WriteBytesToFile(const std::string &path, const std::string &bytes)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool WriteCacheFile(const std::string &path, const CacheFileRecipe &recipe)
{
    return WriteBytesToFile(path, BuildCacheFile(recipe));
}
