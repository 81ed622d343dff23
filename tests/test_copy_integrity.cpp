// Nothing is lost: every action that does not delete (copy with and without
// auto-rename, open, open link, and a deletion answered No) leaves the whole
// cache folder exactly as it was: names, sizes, attributes, write times and
// every byte.
#include "test_copy_fixture.h"

namespace {

// FNV-1a over every entry of a folder tree, in sorted order.
void HashBytes(uint64_t *hash, const void *data, size_t size)
{
    const unsigned char *bytes = (const unsigned char *)data;
    for (size_t i = 0; i < size; i++) {
        *hash ^= bytes[i];
        *hash *= 1099511628211ULL;
    }
}

void HashTree(uint64_t *hash, const std::string &folder, const std::string &relative)
{
    std::vector<std::string> names = ListFolder(folder);
    std::sort(names.begin(), names.end());
    for (const std::string &name : names) {
        std::string path = folder + "\\" + name;
        WIN32_FILE_ATTRIBUTE_DATA data;
        ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) << path;
        std::string key = relative + "\\" + name;
        HashBytes(hash, key.data(), key.size());
        HashBytes(hash, &data.dwFileAttributes, sizeof(data.dwFileAttributes));
        HashBytes(hash, &data.ftLastWriteTime, sizeof(data.ftLastWriteTime));
        HashBytes(hash, &data.ftCreationTime, sizeof(data.ftCreationTime));
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            HashTree(hash, path, key);
        } else {
            std::string bytes = ReadFileBytes(path);
            HashBytes(hash, bytes.data(), bytes.size());
        }
    }
}

uint64_t HashFolder(const std::string &folder)
{
    uint64_t hash = 14695981039346656037ULL;
    HashTree(&hash, folder, "");
    return hash;
}

// A cache of many kinds of files, built with the one writer: empty and
// large payloads, stored sizes that disagree with the bytes, dates, queries,
// a read-only file and a damaged header.
std::vector<RowTexts> BuildCache(const std::string &cache)
{
    std::vector<RowTexts> rows;
    for (int i = 0; i < 60; i++) {
        char name[32];
        wsprintfA(name, "%02x%08x%02d", (i * 53) % 256, 0x1234567u * (unsigned)i, i);
        CacheFileRecipe recipe;
        recipe.Host = "cdn.example";
        recipe.Path = "/assets/file" + std::to_string(i) + (i % 3 ? ".png" : ".js");
        if (i % 4 == 0)
            recipe.Query = {{"v", std::to_string(i)}};
        recipe.Headers = {{"Content-Type", i % 3 ? "image/png" : "text/javascript"}};
        if (i % 5 == 0)
            recipe.Headers.push_back({"Last-Modified", "Sun, 06 Nov 1994 08:49:37 GMT"});
        recipe.Payload = std::string((size_t)(i % 7 == 0 ? 0 : i * 997 + (i == 13 ? 400000 : 0)), (char)('a' + i % 26));
        if (i % 11 == 0)
            recipe.DeclaredPayloadSize = (int64_t)recipe.Payload.size() + 500;
        if (i == 17)
            recipe.LeadWord = 3;  // extraction fails with a message
        std::string bucket = cache + "\\" + std::string(name, 2);
        CreateDirectoryA(bucket.c_str(), NULL);
        std::string path = bucket + "\\" + name;
        WriteCacheFile(path, recipe);
        if (i == 23)
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        std::string filename = "file" + std::to_string(i % 20) + (i % 3 ? ".png" : ".mwktest");
        rows.push_back({filename, "http://" + recipe.Host + recipe.Path, name, true});
    }
    return rows;
}

TEST(NothingIsLost, NonDeletingActionsLeaveTheCacheFolderUntouched)
{
    std::string cache = MakeTempDir("intact");
    std::string dest = MakeTempDir("intactdest");
    ListWindow window = CreateListWindow();
    lstrcpyA(AppSettings.CacheFolder, cache.c_str());
    AppSettings.TempOpenFolder[0] = '\0';
    std::vector<RowTexts> rows = BuildCache(cache);
    FillList(window.List, rows);
    uint64_t before = HashFolder(cache);

    std::string record = dest + "\\opened.log";
    SetEnvironmentVariableA("MARROWICK_OPEN_RECORD", record.c_str());
    OpenAssociation files = RegisterRecorder(".mwktest", false);
    OpenAssociation links = RegisterRecorder("http", true);
    {
        BoxCapture capture;
        ExtractSelectedPayloads(window.Parent, window.List, cache.c_str(), dest.c_str(), 0);
        ExtractSelectedPayloads(window.Parent, window.List, cache.c_str(), dest.c_str(), EXTRACT_AUTO_RENAME);
        EXPECT_EQ(capture.Boxes.size(), 4u);  // the damaged header and the run's count, per run
        for (int mode : {0, 1}) {
            capture.Answer(IDNO);
            DeleteSelectedCacheFiles(window.Parent, window.List, cache.c_str(), mode);
        }
        std::vector<RowTexts> one = rows;
        for (size_t i = 0; i < one.size(); i++)
            one[i].Selected = i == 0;
        FillList(window.List, one);
        OpenSelectedCacheFile(window.Parent, window.List);
        OpenSelectedLink(window.Parent, window.List);
        EXPECT_EQ(WaitForRecords(record, 2).size(), 2u);
    }
    UnregisterRecorder(files);
    UnregisterRecorder(links);
    SetEnvironmentVariableA("MARROWICK_OPEN_RECORD", NULL);

    EXPECT_EQ(HashFolder(cache), before);
    EXPECT_GT(ListFolder(dest).size(), 40u);  // the copies really were made
    DeleteFolderTree(AppSettings.TempOpenFolder);
    DestroyListWindow(window);
    SetFileAttributesA((cache + "\\" + rows[23].CacheFile.substr(0, 2) + "\\" + rows[23].CacheFile).c_str(),
                       FILE_ATTRIBUTE_NORMAL);
    RemoveTree(cache);
    RemoveTree(dest);
}

}  // namespace
