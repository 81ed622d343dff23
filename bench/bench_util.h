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

// An HTTP date that varies with `day`, for the rows' date headers.
inline std::string HttpDate(unsigned day)
{
    static const char *const Months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[48];
    wsprintfA(text, "Mon, %02u %s %u %02u:%02u:%02u GMT", day % 28 + 1, Months[day / 28 % 12], 2014 + day / 336 % 10,
              day % 24, day % 60, day * 7 % 60);
    return text;
}

// The floor: what any scan of the folder costs, without parsing or
// formatting anything.
inline int FloorPass(const std::string &folder)
{
    static unsigned char buffer[CACHE_HEADER_READ_SIZE];
    int files = 0;
    char path[1024];
    for (int b = 0; b < 256; ++b) {
        int length = wsprintfA(path, "%s\\%02x\\*", folder.c_str(), b);
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA(path, &entry);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do {
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            lstrcpyA(path + length - 1, entry.cFileName);
            HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                      OPEN_EXISTING, 0, NULL);
            if (file == INVALID_HANDLE_VALUE)
                continue;
            DWORD got = 0;
            ReadFile(file, buffer, sizeof(buffer), &got, NULL);
            CloseHandle(file);
            ++files;
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    return files;
}

}  // namespace bench

#endif
