// make_demo_cache: writes a client-like installation folder holding both HTTP
// caches (appcache\httpcache and tenfoot\config\httpcache) filled with a few
// hundred realistic cache files, for demonstrations and screenshots.
//
//   make_demo_cache <install folder>
//
// The payloads are small but valid files generated here (PNG, JPEG, GIF and
// ICO images from tests/support/image_payloads, a TrueType font, HTML, CSS,
// JavaScript, JSON); the headers look like a CDN's answers. A fixed seed makes every run write the same bytes.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cache_writer.h"
#include "image_payloads.h"

namespace {

// --- Deterministic randomness ---------------------------------------------

uint32_t RandomState = 0x4d61726fu;

uint32_t NextRandom()
{
    // xorshift32: tiny, and the same sequence on every compiler.
    RandomState ^= RandomState << 13;
    RandomState ^= RandomState >> 17;
    RandomState ^= RandomState << 5;
    return RandomState;
}

int Below(int limit) { return (int)(NextRandom() % (uint32_t)limit); }

template <typename T, size_t N>
const T &Pick(const T (&table)[N]) { return table[Below((int)N)]; }

// --- Images ---------------------------------------------------------------
// The random draws come one per statement, in the order every earlier
// version of this tool made them, so the demo cache keeps its bytes.

std::string DemoPng()
{
    int height = 16 + Below(3) * 16;
    int width = 16 + Below(4) * 16;
    int red = Below(256), green = Below(256), blue = Below(256);
    return MakePngImage(width, height, red, green, blue);
}

std::string DemoJpeg()
{
    int blocksHigh = 2 + Below(6);
    int blocksWide = 4 + Below(12);
    return MakeJpegImage(blocksWide, blocksHigh, Below(80) + 40);
}

std::string DemoGif()
{
    int width = 16 + Below(3) * 8;
    unsigned char palette[12];
    for (unsigned char &c : palette)
        c = (unsigned char)Below(256);
    return MakeGifImage(width, 16, palette);
}

std::string DemoIco()
{
    int red = Below(256), green = Below(256), blue = Below(256);
    return MakeIcoImage(red, green, blue);
}

// --- TrueType: .notdef and one square glyph for "A" ------------------------

uint32_t TableChecksum(const std::string &t)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < t.size(); i += 4) {
        uint32_t word = 0;
        for (size_t k = 0; k < 4; ++k)
            word = (word << 8) | (i + k < t.size() ? (uint8_t)t[i + k] : 0);
        sum += word;
    }
    return sum;
}

std::string FontNameTable(const std::string &family)
{
    const std::pair<int, std::string> names[] = {
        {1, family}, {2, "Regular"}, {4, family + " Regular"}, {6, family + "-Regular"}};
    std::string records, strings;
    for (const auto &n : names) {
        std::string utf16;
        for (char c : n.second)
            PutBE16(utf16, (uint8_t)c);
        PutBE16(records, 3);
        PutBE16(records, 1);
        PutBE16(records, 0x409);
        PutBE16(records, (uint32_t)n.first);
        PutBE16(records, (uint32_t)utf16.size());
        PutBE16(records, (uint32_t)strings.size());
        strings += utf16;
    }
    std::string t;
    PutBE16(t, 0);
    PutBE16(t, 4);
    PutBE16(t, 6 + 4 * 12);
    return t + records + strings;
}

std::string FontOs2Table()
{
    std::string t;
    const int16_t head[] = {1, 500, 400, 5, 0, 650, 600, 0, 75, 650, 600, 0, 350, 50, 250, 0};
    for (int16_t v : head)
        PutBE16(t, (uint16_t)v);
    t += std::string(10, '\0');   // panose
    t += std::string(16, '\0');   // unicode ranges
    t[t.size() - 16 + 3] = 1;     // Basic Latin
    t += "DEMO";
    const int16_t tail[] = {0x40, 65, 65, 800, -200, 0, 800, 200};
    for (int16_t v : tail)
        PutBE16(t, (uint16_t)v);
    PutBE32(t, 1);                // code page Latin 1
    PutBE32(t, 0);
    return t;
}

std::string FontCmapTable()
{
    std::string sub;
    const uint16_t fields[] = {4, 32, 0, 4, 4, 1, 0, 65, 0xFFFF, 0, 65, 0xFFFF, (uint16_t)(1 - 65), 1, 0, 0};
    for (uint16_t v : fields)
        PutBE16(sub, v);
    std::string t;
    PutBE16(t, 0);
    PutBE16(t, 1);
    PutBE16(t, 3);
    PutBE16(t, 1);
    PutBE32(t, 12);
    return t + sub;
}

std::string MakeTrueTypeFont(const std::string &family)
{
    std::string glyph;
    const int16_t outline[] = {1, 50, 0, 450, 700, 3, 0};
    for (int16_t v : outline)
        PutBE16(glyph, (uint16_t)v);
    glyph += std::string(4, '\x01');  // four on-curve points, 16-bit deltas
    const int16_t deltas[] = {50, 0, 400, 0, 0, 700, 0, -700};
    for (int16_t v : deltas)
        PutBE16(glyph, (uint16_t)v);

    std::string head, hhea, maxp, hmtx, loca, post;
    const uint16_t headFields[] = {1, 0, 1, 0, 0, 0, 0x5F0F, 0x3CF5, 0x000B, 1000};
    for (uint16_t v : headFields)
        PutBE16(head, v);
    head += std::string(16, '\0');  // created, modified
    const int16_t headTail[] = {0, 0, 500, 700, 0, 8, 2, 0, 0};
    for (int16_t v : headTail)
        PutBE16(head, (uint16_t)v);
    const int16_t hheaFields[] = {1, 0, 800, -200, 0, 500, 0, 50, 450, 1, 0, 0, 0, 0, 0, 0, 0, 2};
    for (int16_t v : hheaFields)
        PutBE16(hhea, (uint16_t)v);
    const uint16_t maxpFields[] = {1, 0, 2, 4, 1, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0};
    for (uint16_t v : maxpFields)
        PutBE16(maxp, v);
    const uint16_t hmtxFields[] = {500, 0, 500, 50};
    for (uint16_t v : hmtxFields)
        PutBE16(hmtx, v);
    const uint16_t locaFields[] = {0, 0, (uint16_t)(glyph.size() / 2)};
    for (uint16_t v : locaFields)
        PutBE16(loca, v);
    const uint16_t postFields[] = {3, 0, 0, 0, (uint16_t)-100, 50, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (uint16_t v : postFields)
        PutBE16(post, v);

    const std::pair<const char *, std::string> tables[] = {
        {"OS/2", FontOs2Table()}, {"cmap", FontCmapTable()}, {"glyf", glyph}, {"head", head},
        {"hhea", hhea}, {"hmtx", hmtx}, {"loca", loca}, {"maxp", maxp},
        {"name", FontNameTable(family)}, {"post", post}};
    const int count = 10;
    std::string font, body;
    const uint16_t offsetTable[] = {1, 0, count, 128, 3, count * 16 - 128};
    for (uint16_t v : offsetTable)
        PutBE16(font, v);
    size_t offset = 12 + 16 * count, headOffset = 0;
    for (const auto &t : tables) {
        font += t.first;
        PutBE32(font, TableChecksum(t.second));
        if (std::string(t.first) == "head")
            headOffset = offset + body.size();
        PutBE32(font, (uint32_t)(offset + body.size()));
        PutBE32(font, (uint32_t)t.second.size());
        body += t.second;
        body.append((4 - body.size() % 4) % 4, '\0');
    }
    font += body;
    uint32_t adjust = 0xB1B0AFBAu - TableChecksum(font);
    for (int k = 0; k < 4; ++k)
        font[headOffset + 8 + k] = (char)(adjust >> (24 - 8 * k));
    return font;
}

}  // namespace

namespace {

// --- Text payloads --------------------------------------------------------

std::string MakeHtml(const std::string &title)
{
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
           "</title>\n<link rel=\"stylesheet\" href=\"/public/css/store.css\">\n</head>\n<body>\n<h1>" + title +
           "</h1>\n<p>Featured deals, new releases and recommendations.</p>\n"
           "<script src=\"/public/javascript/main.js\"></script>\n</body>\n</html>\n";
}

std::string MakeCss()
{
    char css[512];
    std::snprintf(css, sizeof(css),
                  "body { background: #%06x; color: #c6d4df; font-family: Arial, sans-serif; }\n"
                  ".capsule { width: %dpx; margin: 4px; border-radius: 2px; }\n"
                  ".price { color: #beee11; font-weight: bold; }\n",
                  (unsigned)(NextRandom() & 0x3F3F3F), 184 + Below(8) * 8);
    return css;
}

std::string MakeJavaScript()
{
    char js[512];
    std::snprintf(js, sizeof(js),
                  "\"use strict\";\n(function () {\n  var capsules = document.querySelectorAll('.capsule');\n"
                  "  for (var i = 0; i < capsules.length; i++) {\n    capsules[i].dataset.slot = i %% %d;\n  }\n"
                  "  window.storeBuild = %u;\n})();\n",
                  2 + Below(6), (unsigned)(NextRandom() % 100000));
    return js;
}

std::string MakeJson()
{
    char json[512];
    std::snprintf(json, sizeof(json),
                  "{\"success\":1,\"appid\":%d,\"name\":\"Demo Title %d\",\"price_overview\":"
                  "{\"currency\":\"EUR\",\"initial\":%d,\"discount_percent\":%d},\"tags\":[\"Indie\",\"Puzzle\"]}\n",
                  200000 + Below(900000), Below(1000), 499 + Below(50) * 100, Below(9) * 10);
    return json;
}

// --- Resource kinds -------------------------------------------------------

enum PayloadKind { PAY_PNG, PAY_JPEG, PAY_GIF, PAY_ICO, PAY_FONT, PAY_HTML, PAY_CSS, PAY_JS, PAY_JSON };

struct ResourceKind {
    PayloadKind Kind;
    const char *ContentType;
    const char *PathFormat;   // %d: a number
    int Weight;
};

const ResourceKind ResourceKinds[] = {
    {PAY_JPEG, "image/jpeg", "/steam/apps/%d/header.jpg", 18},
    {PAY_JPEG, "image/jpeg", "/steam/apps/%d/capsule_231x87.jpg", 10},
    {PAY_PNG, "image/png", "/public/images/v6/icon_%d.png", 12},
    {PAY_GIF, "image/gif", "/public/images/loading_%d.gif", 4},
    {PAY_ICO, "image/x-icon", "/favicon_%d.ico", 2},
    {PAY_FONT, "font/ttf", "/public/fonts/MotivaSans-%d.ttf", 2},
    {PAY_HTML, "text/html; charset=UTF-8", "/app/%d/", 10},
    {PAY_CSS, "text/css; charset=UTF-8", "/public/css/v6/store_%d.css", 6},
    {PAY_JS, "application/javascript; charset=UTF-8", "/public/javascript/main_%d.js", 7},
    {PAY_JSON, "application/json; charset=utf-8", "/api/appdetails/%d", 9},
};

const char *const Hosts[] = {
    "store.steampowered.com", "cdn.akamai.steamstatic.com", "shared.cloudflare.steamstatic.com",
    "community.cloudflare.steamstatic.com", "steamcommunity.com", "api.steampowered.com",
};

const char *const Servers[] = {"nginx", "Apache", "AkamaiNetStorage", "cloudflare"};

std::string MakePayload(PayloadKind kind, int number)
{
    switch (kind) {
    case PAY_PNG: return DemoPng();
    case PAY_JPEG: return DemoJpeg();
    case PAY_GIF: return DemoGif();
    case PAY_ICO: return DemoIco();
    case PAY_FONT: return MakeTrueTypeFont(number % 2 ? "Motiva Demo" : "Marrow Sans");
    case PAY_HTML: return MakeHtml("Store page " + std::to_string(number));
    case PAY_CSS: return MakeCss();
    case PAY_JS: return MakeJavaScript();
    case PAY_JSON: return MakeJson();
    }
    return std::string();
}

// --- Dates ----------------------------------------------------------------

// "Thu, 14 Mar 2024 10:22:31 GMT" for seconds since 1970-01-01.
std::string HttpDate(long long seconds)
{
    static const char *const Days[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static const char *const Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    long long days = seconds / 86400, rest = seconds % 86400;
    // Civil date from a day count (proleptic Gregorian).
    long long z = days + 719468, era = z / 146097, doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    int day = (int)(doy - (153 * mp + 2) / 5 + 1), month = (int)(mp < 10 ? mp + 3 : mp - 9);
    long long year = yoe + era * 400 + (month <= 2);
    char text[64];
    std::snprintf(text, sizeof(text), "%s, %02d %s %lld %02d:%02d:%02d GMT", Days[days % 7], day,
                  Months[month - 1], year, (int)(rest / 3600), (int)(rest / 60 % 60), (int)(rest % 60));
    return text;
}

// --- Cache entries --------------------------------------------------------

const ResourceKind &PickKind()
{
    int total = 0;
    for (const ResourceKind &k : ResourceKinds)
        total += k.Weight;
    int at = Below(total);
    for (const ResourceKind &k : ResourceKinds) {
        if (at < k.Weight)
            return k;
        at -= k.Weight;
    }
    return ResourceKinds[0];
}

void AddQuery(CacheFileRecipe &recipe, const ResourceKind &kind)
{
    if (kind.Kind == PAY_JSON) {
        recipe.Query.push_back({"appids", std::to_string(200000 + Below(900000))});
        recipe.Query.push_back({"cc", Below(2) ? "de" : "us"});
        recipe.Query.push_back({"l", "english"});
    } else if (Below(3) == 0) {
        char version[16];
        std::snprintf(version, sizeof(version), "%08x", (unsigned)NextRandom());
        recipe.Query.push_back({"v", version});
    } else if (kind.Kind == PAY_HTML && Below(2)) {
        recipe.Query.push_back({"snr", "1_4_4__" + std::to_string(100 + Below(50))});
    }
}

// One answer: 200 with a payload (some empty), 304 or 404.
CacheFileRecipe MakeEntry(long long now)
{
    const ResourceKind &kind = PickKind();
    int number = 10 + Below(2000000);
    char path[128];
    std::snprintf(path, sizeof(path), kind.PathFormat, number);
    CacheFileRecipe recipe;
    recipe.Host = Pick(Hosts);
    recipe.Path = path;
    AddQuery(recipe, kind);

    long long served = now - Below(30 * 86400);
    int roll = Below(100);
    recipe.Status = roll < 6 ? 304 : roll < 10 ? 404 : 200;
    recipe.Headers.push_back({"Server", Pick(Servers)});
    recipe.Headers.push_back({"Date", HttpDate(served)});
    if (recipe.Status == 404) {
        recipe.Payload = MakeHtml("404 Not Found");
        recipe.Headers.push_back({"Content-Type", "text/html; charset=UTF-8"});
    } else if (recipe.Status == 200) {
        recipe.Payload = roll < 13 ? std::string() : MakePayload(kind.Kind, number);
        recipe.Headers.push_back({"Content-Type", kind.ContentType});
        recipe.Headers.push_back({"Last-Modified", HttpDate(served - 86400LL * (1 + Below(400)))});
        if (kind.Kind == PAY_JSON && Below(3) == 0)
            recipe.Headers.push_back({"Content-Disposition", "attachment; filename=\"appdetails_" +
                                                               std::to_string(number) + ".json\""});
        if (kind.Kind == PAY_FONT)
            recipe.Headers.push_back({"Content-Disposition", "inline; filename=MotivaSans.ttf"});
    }
    if (recipe.Status != 404) {
        char etag[40];
        std::snprintf(etag, sizeof(etag), "\"%08x%04x\"", (unsigned)NextRandom(), (unsigned)Below(0x10000));
        recipe.Headers.push_back({Below(4) ? "ETag" : "Etag", etag});
    }
    // Some answers omit Content-Length; the size then comes from the payload.
    if (Below(5))
        recipe.Headers.push_back({"Content-Length", std::to_string(recipe.Payload.size())});
    recipe.Headers.push_back({"Cache-Control", Below(2) ? "public, max-age=86400" : "max-age=3600"});
    recipe.Headers.push_back({"Expires", HttpDate(served + 3600LL * (1 + Below(240)))});
    if (Below(3) == 0)
        recipe.Headers.push_back({"Access-Control-Allow-Origin", "*"});
    if (Below(4) == 0)
        recipe.Headers.push_back({"X-Cache", Below(2) ? "HIT" : "MISS"});
    return recipe;
}

bool MakeFolders(const std::string &root, const char *const *parts, int count, std::string &path)
{
    path = root;
    CreateDirectoryA(path.c_str(), NULL);
    for (int i = 0; i < count; ++i) {
        path += "\\";
        path += parts[i];
        CreateDirectoryA(path.c_str(), NULL);
    }
    return GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY;
}

// Writes `count` entries into `cache`; returns the number written.
int FillCache(const std::string &cache, int count, long long now)
{
    int written = 0;
    for (int i = 0; i < count; ++i) {
        // The client names a cache file by a 64-bit hash in hexadecimal; the
        // first two digits name its bucket folder.
        char name[32], bucket[3];
        std::snprintf(name, sizeof(name), "%08x%08x", (unsigned)NextRandom(), (unsigned)NextRandom());
        std::snprintf(bucket, sizeof(bucket), "%.2s", name);
        std::string folder = cache + "\\" + bucket;
        CreateDirectoryA(folder.c_str(), NULL);
        if (WriteCacheFile(folder + "\\" + name, MakeEntry(now)))
            ++written;
    }
    return written;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_cache <install folder>\n");
        return 2;
    }
    const std::string root = argv[1];
    const long long now = 1710411751LL;  // fixed: 14 Mar 2024
    const char *const mainParts[] = {"appcache", "httpcache"};
    const char *const bigParts[] = {"tenfoot", "config", "httpcache"};
    std::string mainCache, bigCache;
    if (!MakeFolders(root, mainParts, 2, mainCache) || !MakeFolders(root, bigParts, 3, bigCache)) {
        std::fprintf(stderr, "make_demo_cache: cannot create folders below %s\n", root.c_str());
        return 1;
    }
    int mainCount = FillCache(mainCache, 360, now);
    int bigCount = FillCache(bigCache, 140, now);
    std::printf("%s: %d cache files\n%s: %d cache files\n", mainCache.c_str(), mainCount, bigCache.c_str(),
                bigCount);
    return mainCount == 360 && bigCount == 140 ? 0 : 1;
}
