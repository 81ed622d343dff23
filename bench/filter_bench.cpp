// filter_bench: the quick filter on a loaded cache list in the real main
// window, timed against the scan that filled it, in one process.
//
//   filter_bench [FILES...]        default: 20000 100000
//
// For each count it writes a cache folder (four kinds of resource under
// three hosts, dates spread over ten years), creates the program's own main
// window, scans the folder (one untimed warm-up, then the best of two) and
// measures, each as its ratio to the scan:
//   apply    the first filter on the full list ("capsule": a quarter of the
//            rows), which takes every row into the store and refills the list;
//   narrow   a second word ("capsule 7"), refilled from the store;
//   widen    a word that every row holds ("http");
//   clear    the empty filter, every row back;
//   sorted   apply and clear once more with a Last Modified sort key, where
//            each refill ends with a sort of the rows shown.
// Nothing is asserted; the figures are printed.
#include "marrowick.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_util.h"
#include "cache_writer.h"

namespace {

using bench::HttpDate;
using bench::Mix;
using bench::Seconds;

const char *const Hosts[3] = {"cdn.akamai.steamstatic.com", "store.steampowered.com", "community.steamstatic.com"};

struct ResourceKind {
    const char *Name;
    const char *Extension;
    const char *MediaType;
};
const ResourceKind Kinds[4] = {
    {"capsule", ".jpg", "image/jpeg"},
    {"header", ".png", "image/png"},
    {"page", ".html", "text/html"},
    {"script", ".js", "application/javascript"},
};


CacheFileRecipe FilterRecipe(int i)
{
    unsigned h = Mix((unsigned)i);
    const ResourceKind &kind = Kinds[h % 4];
    unsigned size = Mix(h) >> (12 + h % 20);
    CacheFileRecipe recipe;
    recipe.Host = Hosts[h / 4 % 3];
    recipe.Path = "/steam/apps/" + std::to_string(10000 + h % 50000) + "/" + kind.Name + "_" +
                  std::to_string(h % 1000) + kind.Extension;
    recipe.Headers = {{"Content-Type", kind.MediaType},
                      {"Content-Length", std::to_string(size)},
                      {"Date", HttpDate(h % 3360)},
                      {"Last-Modified", HttpDate(h / 7 % 3360)},
                      {"ETag", "\"" + std::to_string(h) + "\""}};
    recipe.Payload.assign(size < 64 ? size : 64, 'x');
    recipe.DeclaredPayloadSize = size;
    return recipe;
}

std::string MakeFilterFolder(int files)
{
    std::string folder = bench::MakeFolder("filterbench");
    bench::MakeBucketFolders(folder);
    for (int i = 0; i < files; ++i)
        WriteCacheFile(bench::BucketFilePath(folder, i, Mix((unsigned)i)), FilterRecipe(i));
    return folder;
}

double TimeScan(HWND main)
{
    bench::PumpMessages();
    double start = Seconds();
    SendMessageA(main, WM_RELOADCACHE, 0, 0);
    double took = Seconds() - start;
    bench::PumpMessages();
    return took;
}

int ListRows()
{
    return (int)SendMessageA(ListViewHandle, LVM_GETITEMCOUNT, 0, 0);
}

void TimeFilter(HWND main, const char *name, const char *text, double scan)
{
    bench::PumpMessages();
    double start = Seconds();
    ApplyFilter(main, ListViewHandle, text);
    double took = Seconds() - start;
    SendMessageA(main, WM_UPDATESTATUS, 0, 0);
    bench::PumpMessages();
    char status[128] = "";
    SendMessageA(StatusBarHandle, SB_GETTEXTA, 0, (LPARAM)status);
    std::printf("  %-30s %7.3f s  filter/scan %.2f  (%d rows shown; status \"%s\")\n", name, took, took / scan,
                ListRows(), status);
}

void MeasureFilters(HWND main, int files)
{
    AppSettings.SortByColumn = -1;
    TimeScan(main);     // warm-up
    double scan = TimeScan(main), again = TimeScan(main);
    if (again < scan)
        scan = again;
    if (ListRows() != files)
        std::printf("warning: %d files written, %d rows listed\n", files, ListRows());
    std::printf("%d rows: scan %.3f s (%.0f files/s)\n", files, scan, files / scan);
    TimeFilter(main, "apply \"capsule\"", "capsule", scan);
    TimeFilter(main, "narrow to \"capsule 7\"", "capsule 7", scan);
    TimeFilter(main, "widen to \"http\"", "http", scan);
    TimeFilter(main, "clear", "", scan);
    AppSettings.SortByColumn = COL_LAST_MODIFIED;
    SortList(ListViewHandle, AppSettings.SortByColumn);
    TimeFilter(main, "apply, Last Modified key", "capsule", scan);
    TimeFilter(main, "clear, Last Modified key", "", scan);
    AppSettings.SortByColumn = -1;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string settings = bench::MakeFolder("filterbench_cfg");
    HWND main = bench::CreateBenchMainWindow(settings);
    if (!main) {
        std::printf("could not create the main window\n");
        return 1;
    }
    const int defaults[] = {20000, 100000};
    int count = argc > 1 ? argc - 1 : countof(defaults);
    for (int n = 0; n < count; ++n) {
        int files = argc > 1 ? std::atoi(argv[n + 1]) : defaults[n];
        if (files <= 0)
            continue;
        double start = Seconds();
        std::string folder = MakeFilterFolder(files);
        std::printf("%d cache files written in %.1f s\n", files, Seconds() - start);
        lstrcpynA(AppSettings.CacheFolder, folder.c_str(), MAX_PATH);
        MeasureFilters(main, files);
        bench::EmptyFolder(folder, true);
    }
    DestroyWindow(main);
    bench::PumpMessages();
    bench::EmptyFolder(settings, true);
    return 0;
}
