// Small helpers shared by the sort and extraction benchmarks: a wall clock,
// a fresh folder in the temporary folder and its removal, and a
// deterministic pseudo-random number per index so every run writes the same
// files.
#ifndef MARROWICK_BENCH_UTIL_H
#define MARROWICK_BENCH_UTIL_H

#include "marrowick.h"

#include <string>

namespace bench {

inline double Seconds()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

// A new, empty folder "mw_<tag>_<pid>_<n>" in the temporary folder; empty
// string on failure.
inline std::string MakeFolder(const char *tag)
{
    static int counter;
    char base[MAX_PATH];
    GetTempPathA(sizeof(base), base);
    for (;;) {
        char path[MAX_PATH];
        wsprintfA(path, "%smw_%s_%lu_%d", base, tag, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(path, NULL))
            return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return std::string();
    }
}

// Deletes the files of a folder and, with `removeSelf`, its sub-folders and
// the folder itself. Never follows a reparse point.
inline void EmptyFolder(const std::string &folder, bool removeSelf)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = folder + "\\" + name;
            bool directory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (directory && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                EmptyFolder(child, true);
            else if (directory)
                RemoveDirectoryA(child.c_str());
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    if (removeSelf)
        RemoveDirectoryA(folder.c_str());
}

// A well-mixed 32-bit number for index `i` (a 32-bit finaliser of a hash).
inline unsigned Mix(unsigned i)
{
    i ^= i >> 16;
    i *= 0x7feb352du;
    i ^= i >> 15;
    i *= 0x846ca68bu;
    i ^= i >> 16;
    return i;
}

// Dispatches everything queued for the thread, paint included.
inline void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Creates the 256 bucket folders "00" to "ff" below `folder`.
inline void MakeBucketFolders(const std::string &folder)
{
    for (int b = 0; b < 256; ++b) {
        char bucket[8];
        wsprintfA(bucket, "\\%02x", b);
        CreateDirectoryA((folder + bucket).c_str(), NULL);
    }
}

// Path of cache file `i` below `folder`: bucket i % 256, a name that begins
// with the bucket and ends with the index, so name order is index order.
inline std::string BucketFilePath(const std::string &folder, int i, unsigned scramble)
{
    char name[40];
    wsprintfA(name, "\\%02x\\%02x%08x%06x", i % 256, i % 256, scramble, i);
    return folder + name;
}

// The real main window, shown and painted, with its settings file in
// `settingsFolder`: a file that does not exist gives the defaults throughout,
// no sort key. Null when it cannot be created.
inline HWND CreateBenchMainWindow(const std::string &settingsFolder)
{
    AppInstance = GetModuleHandleA(NULL);
    InitCommonControls();
    if (!RegisterMainWindowClass())
        return NULL;
    wsprintfA(SettingsFilePath, "%s\\marrowick.cfg", settingsFolder.c_str());
    HWND main = CreateMainWindow();
    if (!main)
        return NULL;
    ShowWindow(main, SW_SHOW);
    UpdateWindow(main);
    PumpMessages();
    return main;
}

}  // namespace bench

#endif
