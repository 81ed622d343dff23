// Writes the fuzz seeds: cache files of every shape from the one writer,
// whole and cut at each field boundary. Usage: make_fuzz_seeds <folder>
#include "cache_writer.h"

#include <cstdio>

static CacheFileRecipe Plain()
{
    CacheFileRecipe s;
    s.Host = "host1";
    s.Path = "/a/b.php";
    s.Payload = "hello";
    return s;
}

static std::vector<CacheFileRecipe> Recipes()
{
    std::vector<CacheFileRecipe> recipes;
    recipes.push_back(Plain());
    CacheFileRecipe s = Plain();
    s.Pairs = {{"k1", "v1"}, {"", ""}};
    s.Query = {{"x", "1"}, {"y", "two"}, {"z", std::string("a\0b", 3)}, {"w", "abc", 1}};
    s.Headers = {{"Content-Type", "text/html; charset=UTF-8"}, {"Content-Length", "5000"},
                 {"Date", "Sun, 06 Nov 1994 08:49:37 GMT"}, {"Last-Modified", "Sun, 06 Nov 1994 08:49:37 GMT"},
                 {"Expires", "0"}, {"Content-Disposition", "attachment; filename=\"report 1.pdf\""},
                 {"Etag", "\"abc\""}, {"X-Other", ""}};
    recipes.push_back(s);
    s = Plain();
    s.Host = std::string(600, 'h');
    s.Path = "/" + std::string(600, 'p');
    s.Query = {{std::string(300, 'n'), std::string(900, 'v')}};
    recipes.push_back(s);
    s = Plain();
    s.Query = {{"big", "x", 0x7FFFFFFF}};
    recipes.push_back(s);
    s = Plain();
    s.DeclaredPayloadSize = 0xFFFFFFFF;
    s.Headers = {{"content-type", "  image/png"}};
    recipes.push_back(s);
    return recipes;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds <folder>\n");
        return 2;
    }
    int n = 0;
    for (const CacheFileRecipe &recipe : Recipes()) {
        CacheFileLayout l;
        std::string bytes = BuildCacheFile(recipe, &l);
        std::vector<size_t> cuts = {l.Host, l.Path, l.PairCount, l.QueryCount, l.Status, l.HeaderCount,
                                    l.PayloadSize, l.PayloadSize + 2, l.Payload, bytes.size()};
        for (size_t h : l.HeaderNames)
            cuts.push_back(h);
        for (size_t cut : cuts) {
            char name[4096];
            std::snprintf(name, sizeof(name), "%s/seed_%03d", argv[1], n++);
            if (!WriteBytesToFile(name, bytes.substr(0, cut < 4096 ? cut : 4096)))
                return 1;
        }
    }
    std::printf("%d seeds\n", n);
    return 0;
}
