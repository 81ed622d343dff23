// scan_bench: times the real folder scan against the floor that any scan of
// the same folder must pay, in one process.
//
//   scan_bench [FILES...]        default: 20000 100000
//
// For each size it writes a cache folder of that many files spread over the
// 256 buckets, then measures (best of two, after a warm-up pass):
//   scan   LoadCacheFolder into the row store, shown by the program's list;
//   floor  the same bucket listing, one open + one 4,096-byte read + close
//          per file, and nothing kept.
// It prints files per second for both, their ratio, the scaling of the scan
// from the first size to the last, and the peak working set.
#include "marrowick.h"

#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_util.h"
#include "cache_writer.h"

using bench::FloorPass;
using bench::Seconds;

namespace {

LRESULT CALLBACK BenchMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LOADPROGRESS)
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

// A typical cache file: an image answer with the usual headers.
CacheFileRecipe BenchRecipe(int i)
{
    CacheFileRecipe recipe;
    recipe.Host = i % 3 ? "cdn.akamai.steamstatic.com" : "store.steampowered.com";
    recipe.Path = "/steam/apps/" + std::to_string(10000 + i) + "/header.jpg";
    recipe.Query.push_back({"t", std::to_string(1700000000 + i)});
    recipe.Headers = {{"Server", "nginx"},
                    {"Content-Type", "image/jpeg"},
                    {"Content-Length", "2048"},
                    {"Date", "Thu, 14 Mar 2024 10:22:31 GMT"},
                    {"Last-Modified", "Mon, 04 Mar 2024 08:00:00 GMT"},
                    {"Expires", "Fri, 15 Mar 2024 10:22:31 GMT"},
                    {"ETag", "\"65e580c0-800\""},
                    {"Cache-Control", "max-age=86400"}};
    recipe.Payload.assign(2048, (char)(i & 0xFF));
    return recipe;
}

std::string MakeBenchFolder(int files)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    std::string folder = std::string(temp) + "mw_bench_" + std::to_string(files);
    CreateDirectoryA(folder.c_str(), NULL);
    bench::MakeBucketFolders(folder);
    for (int i = 0; i < files; ++i) {
        std::string path = bench::BucketFilePath(folder, i, (unsigned)(i * 2654435761u));
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            WriteCacheFile(path, BenchRecipe(i));
    }
    return folder;
}

void RemoveBenchFolder(const std::string &folder)
{
    // SHFileOperation wants a double-terminated list.
    std::string from = folder + '\0';
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&op);
}


struct Timing {
    int Files;
    double Scan, Floor;
};

Timing Measure(HWND main, HWND list, int files)
{
    std::string folder = MakeBenchFolder(files);
    Timing t = {files, 1e30, 1e30};
    FloorPass(folder);  // warm the file system cache
    for (int round = 0; round < 2; ++round) {
        double start = Seconds();
        LoadCacheFolder(main, list, folder.c_str());
        double scanned = Seconds();
        int floorFiles = FloorPass(folder);
        double floored = Seconds();
        if (scanned - start < t.Scan)
            t.Scan = scanned - start;
        if (floored - scanned < t.Floor)
            t.Floor = floored - scanned;
        if (ScanFileCount != files || floorFiles != files)
            std::printf("warning: %d files, scan handled %d, floor %d\n", files, ScanFileCount, floorFiles);
    }
    HideRowView(list);
    ClearRowStore();
    RemoveBenchFolder(folder);
    return t;
}

}  // namespace

int main(int argc, char **argv)
{
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {20000, 100000};

    AppInstance = GetModuleHandleA(NULL);
    AppSettings.SortByColumn = -1;  // the floor does not sort either
    InitCommonControls();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BenchMainProc;
    wc.hInstance = AppInstance;
    wc.lpszClassName = "MarrowickBench";
    RegisterClassA(&wc);
    HWND main = CreateWindowA("MarrowickBench", "Marrowick", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, NULL, NULL,
                              AppInstance, NULL);
    // The program's own list view, with its columns at their default widths:
    // the settings file named here does not exist.
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    wsprintfA(SettingsFilePath, "%smw_bench_none.cfg", temp);
    HWND list = CreateCacheListView(main);

    std::vector<Timing> timings;
    for (int files : sizes) {
        Timing t = Measure(main, list, files);
        timings.push_back(t);
        std::printf("%7d files: scan %.3f s (%.0f files/s), floor %.3f s (%.0f files/s), scan/floor %.2f\n",
                    t.Files, t.Scan, t.Files / t.Scan, t.Floor, t.Files / t.Floor, t.Scan / t.Floor);
    }
    if (timings.size() > 1)
        std::printf("scaling t(%d)/t(%d) = %.2f\n", timings.back().Files, timings.front().Files,
                    timings.back().Scan / timings.front().Scan);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    std::printf("peak working set %.1f MiB\n", memory.PeakWorkingSetSize / 1048576.0);
    DestroyWindow(main);
    return 0;
}
