// Shared by the copy, delete and integrity tests of the cache file actions:
// a plain ten-column list view filled by the test, a cache folder built with
// the one writer, and "open" associations that start the recorder helper.
#ifndef MARROWICK_TEST_COPY_FIXTURE_H
#define MARROWICK_TEST_COPY_FIXTURE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cache_writer.h"
#include "test_list.h"
#include "test_util.h"

#include <shellapi.h>

// One list row: the texts the actions read back.
struct RowTexts {
    std::string Filename;
    std::string Url;
    std::string CacheFile;
    bool Selected;
    std::string ContentType = "";
};

// A parent window with a ten-column report list view.
struct ListWindow {
    HWND Parent = NULL;
    HWND List = NULL;
};

inline ListWindow CreateListWindow()
{
    ListWindow w;
    w.Parent = CreateWindowA("STATIC", "main", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, NULL, NULL, NULL, NULL);
    w.List = CreateTestList(w.Parent, 80);
    return w;
}

inline void DestroyListWindow(ListWindow &w)
{
    DestroyWindow(w.Parent);
    PumpMessages();
}

inline void FillList(HWND list, const std::vector<RowTexts> &rows)
{
    ClearTestRows(list);
    for (const RowTexts &texts : rows) {
        std::vector<std::string> cells(COLUMN_COUNT);
        cells[COL_FILENAME] = texts.Filename;
        cells[COL_URL] = texts.Url;
        cells[COL_CACHE_FILE] = texts.CacheFile;
        cells[COL_CONTENT_TYPE] = texts.ContentType;
        SelectTestRow(list, AddTestRow(list, cells), texts.Selected);
    }
}

inline bool RowSelected(HWND list, int row)
{
    return SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) != 0;
}

// Writes a cache file <folder>\<bucket>\<name> holding `payload`.
inline std::string PutCacheFile(const std::string &folder, const std::string &name, const std::string &payload,
                                const std::vector<std::pair<std::string, std::string>> &headers = {})
{
    std::string bucket = folder + "\\" + name.substr(0, 2);
    CreateDirectoryA(bucket.c_str(), NULL);
    CacheFileSpec recipe;
    recipe.Host = "host.example";
    recipe.Path = "/" + name;
    recipe.Headers = headers;
    recipe.Payload = payload;
    std::string path = bucket + "\\" + name;
    EXPECT_TRUE(WriteCacheFile(path, recipe)) << path;
    return path;
}

inline std::vector<std::string> ListFolder(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

// --- Registered "open" commands -------------------------------------------
// HKCR keys that route a file type or a URL scheme to the recorder helper;
// the previous default value of each command key is put back afterwards.
struct OpenAssociation {
    std::string Key;       // command key below HKCR
    bool HadValue = false;
    std::string OldValue;
    std::vector<std::string> CreatedKeys;  // deleted afterwards, deepest first
};

inline std::string RecorderPath()
{
    char exe[MAX_PATH];
    GetModuleFileNameA(NULL, exe, sizeof(exe));
    std::string path = exe;
    return path.substr(0, path.rfind('\\') + 1) + "open_recorder.exe";
}

inline void SetDefaultValue(const std::string &key, const std::string &value, OpenAssociation *record)
{
    HKEY handle;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &handle, &disposition),
              ERROR_SUCCESS) << key;
    if (record && disposition == REG_CREATED_NEW_KEY)
        record->CreatedKeys.insert(record->CreatedKeys.begin(), key);
    RegSetValueExA(handle, NULL, 0, REG_SZ, (const BYTE *)value.c_str(), (DWORD)value.size() + 1);
    RegCloseKey(handle);
}

// Makes `root` (".ext" or a scheme such as "http") open through the recorder.
inline OpenAssociation RegisterRecorder(const std::string &root, bool isScheme)
{
    OpenAssociation a;
    std::string classKey = isScheme ? root : "MarrowickTest" + root;
    if (!isScheme) {
        SetDefaultValue(root, classKey, &a);
        SetDefaultValue(classKey, "Marrowick test file", &a);
    } else {
        HKEY handle;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, root.c_str(), 0, KEY_READ, &handle) == ERROR_SUCCESS) {
            RegCloseKey(handle);  // an existing scheme keeps its own key
        } else {
            SetDefaultValue(root, "URL:" + root, &a);
            if (RegOpenKeyExA(HKEY_CLASSES_ROOT, root.c_str(), 0, KEY_ALL_ACCESS, &handle) == ERROR_SUCCESS) {
                RegSetValueExA(handle, "URL Protocol", 0, REG_SZ, (const BYTE *)"", 1);
                RegCloseKey(handle);
            }
        }
    }
    for (const char *sub : {"\\shell", "\\shell\\open"}) {
        HKEY handle;
        DWORD disposition = 0;
        std::string key = classKey + sub;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &handle,
                            &disposition) == ERROR_SUCCESS) {
            if (disposition == REG_CREATED_NEW_KEY)
                a.CreatedKeys.insert(a.CreatedKeys.begin(), key);
            RegCloseKey(handle);
        }
    }
    a.Key = classKey + "\\shell\\open\\command";
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, a.Key.c_str(), 0, KEY_READ, &handle) == ERROR_SUCCESS) {
        char old[1024];
        DWORD size = sizeof(old), type = 0;
        if (RegQueryValueExA(handle, NULL, NULL, &type, (BYTE *)old, &size) == ERROR_SUCCESS && type == REG_SZ) {
            a.HadValue = true;
            a.OldValue.assign(old);
        }
        RegCloseKey(handle);
    }
    SetDefaultValue(a.Key, "\"" + RecorderPath() + "\" \"%1\"", &a);
    return a;
}

inline void UnregisterRecorder(const OpenAssociation &a)
{
    if (a.HadValue) {
        HKEY handle;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, a.Key.c_str(), 0, KEY_ALL_ACCESS, &handle) == ERROR_SUCCESS) {
            RegSetValueExA(handle, NULL, 0, REG_SZ, (const BYTE *)a.OldValue.c_str(), (DWORD)a.OldValue.size() + 1);
            RegCloseKey(handle);
        }
    }
    for (const std::string &key : a.CreatedKeys)
        RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
}

// The recorder writes asynchronously: wait until it has logged `count` lines.
inline std::vector<std::string> WaitForRecords(const std::string &recordFile, size_t count, DWORD timeoutMs = 20000)
{
    std::vector<std::string> lines;
    for (DWORD waited = 0;; waited += 50) {
        lines.clear();
        std::string text = ReadFileBytes(recordFile);
        size_t start = 0, end;
        while ((end = text.find('\n', start)) != std::string::npos) {
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        if (lines.size() >= count || waited >= timeoutMs)
            return lines;
        Sleep(50);
    }
}

#endif
