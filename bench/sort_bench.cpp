// sort_bench: sorting and selecting a loaded cache list in the real main
// window, timed against the scan that filled it, in one process.
//
//   sort_bench [FILES]        default: 20000
//
// It writes a cache folder of FILES files (Last-Modified dates spread over
// twenty years, payload sizes from 0 bytes to 16 MiB), creates the program's
// own main window (list view, toolbar, status bar, MainWindowProc) and then
// measures:
//   scan     LoadCacheFolder with no saved sort key (the old rows deleted
//            first, as on every reload);
//   sorts    SortList by Last Modified and by File Size, ascending and
//            descending, each starting from the scan order (restored by an
//            untimed sort on Cache File, the order the bucket listing gives),
//            with each time's ratio to the scan; the order each sort leaves
//            is checked against the parsed cell texts; one more sort runs
//            with the list view's redraw switched off around SortList.
//            Scan and sorts run interleaved in three rounds, best of each:
//            the machine's load changes during a run;
//   load     LoadCacheFolder once more with a saved Last Modified key, the
//            start-up path that sorts inside the load;
//   select   Select All and Invert Selection sent as WM_COMMAND to the main
//            window, then the queue drained; a subclass of the main window
//            counts the LVN_ITEMCHANGED selection changes and the
//            WM_UPDATESTATUS refreshes that reach it.
//
// SortList reads every row's key once into a snapshot before LVM_SORTITEMS
// and the comparisons use the snapshot, never the list view: Wine's
// LVM_SORTITEMSEX hands its callback indexes that do not match what
// LVM_GETITEMTEXT reads during the sort. So a sort pays one cell read and
// two item data writes per row, not two cell reads per comparison.
#include "marrowick.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_util.h"
#include "cache_writer.h"

namespace {

using bench::Mix;
using bench::Seconds;

const char *const DayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char *const MonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char *const Hosts[3] = {"cdn.akamai.steamstatic.com", "store.steampowered.com",
                              "shared.cloudflare.steamstatic.com"};
const unsigned TwentyYears = 631152000u;  // seconds

// An HTTP date (RFC 1123, GMT) `seconds` after 1 January 2004.
std::string HttpDate(unsigned seconds)
{
    SYSTEMTIME base = {};
    base.wYear = 2004;
    base.wMonth = 1;
    base.wDay = 1;
    FILETIME file;
    SystemTimeToFileTime(&base, &file);
    ULARGE_INTEGER ticks;
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    ticks.QuadPart += (unsigned long long)seconds * 10000000ull;
    file.dwLowDateTime = ticks.LowPart;
    file.dwHighDateTime = ticks.HighPart;
    SYSTEMTIME t;
    FileTimeToSystemTime(&file, &t);
    char text[40];
    wsprintfA(text, "%s, %02d %s %04d %02d:%02d:%02d GMT", DayNames[t.wDayOfWeek], t.wDay, MonthNames[t.wMonth - 1],
              t.wYear, t.wHour, t.wMinute, t.wSecond);
    return text;
}

// One cache file: its own dates and a payload size spread roughly evenly
// over the orders of magnitude. Only the first 256 payload bytes are
// written; the stored size and Content-Length give the File Size text.
CacheFileSpec SortRecipe(int i)
{
    unsigned h = Mix((unsigned)i), g = Mix((unsigned)i ^ 0x9e3779b9u);
    unsigned size = Mix(g) >> (8 + g % 24);
    unsigned modified = h % TwentyYears;
    CacheFileSpec recipe;
    recipe.Host = Hosts[h % 3];
    recipe.Path = "/steam/apps/" + std::to_string(10000 + i) + "/capsule_" + std::to_string(g % 1000) + ".jpg";
    recipe.Query.push_back({"t", std::to_string(1700000000u + h % 9999999u)});
    recipe.Headers = {{"Server", "nginx"},
                    {"Content-Type", "image/jpeg"},
                    {"Content-Length", std::to_string(size)},
                    {"Date", HttpDate(modified + g % 86400u)},
                    {"Last-Modified", HttpDate(modified)},
                    {"Expires", HttpDate(modified + 86400u + g % 604800u)},
                    {"ETag", "\"" + std::to_string(h) + "-" + std::to_string(size) + "\""},
                    {"Cache-Control", "max-age=86400"}};
    recipe.Payload.assign(size < 256 ? size : 256, (char)(i & 0xFF));
    recipe.DeclaredPayloadSize = size;
    return recipe;
}

// Bucket i % 256, named by the bucket and the index, so that name order is
// scan order.
std::string MakeSortFolder(int files)
{
    std::string folder = bench::MakeFolder("sortbench");
    bench::MakeBucketFolders(folder);
    for (int i = 0; i < files; ++i)
        WriteCacheFile(bench::BucketFilePath(folder, i, Mix((unsigned)i)), SortRecipe(i));
    return folder;
}

// --- Counting what reaches the main window -----------------------------------

WNDPROC RealMainProc;
int StatusRefreshes;     // WM_UPDATESTATUS, posted or sent
int SelectionChanges;    // LVN_ITEMCHANGED that change a row's selected state

LRESULT CALLBACK CountingMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_UPDATESTATUS) {
        ++StatusRefreshes;
    } else if (message == WM_NOTIFY) {
        const NMHDR *header = (const NMHDR *)lParam;
        if (header->idFrom == IDC_LIST && header->code == LVN_ITEMCHANGED) {
            const NMLISTVIEW *change = (const NMLISTVIEW *)lParam;
            if ((change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_SELECTED))
                ++SelectionChanges;
        }
    }
    return CallWindowProcA(RealMainProc, window, message, wParam, lParam);
}

// --- Scan and sorts -----------------------------------------------------------

double TimeScan(HWND main, const std::string &folder, int files)
{
    bench::PumpMessages();
    double start = Seconds();
    LoadCacheFolder(main, ListViewHandle, folder.c_str());
    double took = Seconds() - start;
    if (ScanFileCount != files)
        std::printf("warning: %d files written, the scan handled %d\n", files, ScanFileCount);
    SendMessageA(main, WM_UPDATESTATUS, 0, 0);
    bench::PumpMessages();
    return took;
}

// The number a sorted cell stands for: digits of a size, file time of a date.
unsigned long long CellKey(int row, int column, int *unparsed)
{
    char text[ROW_TEXT_SIZE + 1];
    ReadRowColumnText(ListViewHandle, row, column, text);
    if (column == COL_FILE_SIZE)
        return DigitsValue(text);
    SYSTEMTIME time = {};
    FILETIME file;
    if (!ParseDisplayedDate(text, &time) || !SystemTimeToFileTime(&time, &file)) {
        ++*unparsed;
        return 0;
    }
    return ((unsigned long long)file.dwHighDateTime << 32) | file.dwLowDateTime;
}

// Rows whose key goes before the previous row's in the key's direction.
int CountOutOfOrder(int key, int *unparsed)
{
    int column = key & SORT_KEY_COLUMN_MASK, descending = (key & SORT_KEY_DESCENDING) != 0;
    int rows = (int)SendMessageA(ListViewHandle, LVM_GETITEMCOUNT, 0, 0), wrong = 0;
    unsigned long long previous = 0;
    for (int row = 0; row < rows; ++row) {
        unsigned long long value = CellKey(row, column, unparsed);
        if (row > 0 && (descending ? value > previous : value < previous))
            ++wrong;
        previous = value;
    }
    return wrong;
}

struct SortCase {
    const char *Name;
    int Key;
    int RedrawOff;   // list view redraw switched off around the call
};

const SortCase SortCases[] = {
    {"sort Last Modified ascending", COL_LAST_MODIFIED, 0},
    {"sort Last Modified descending", COL_LAST_MODIFIED | SORT_KEY_DESCENDING, 0},
    {"sort File Size ascending", COL_FILE_SIZE, 0},
    {"sort File Size descending", COL_FILE_SIZE | SORT_KEY_DESCENDING, 0},
    // What a header click would cost if the sort ran with redraw off, as the
    // sort inside a load does: with redraw on, every item data write of the
    // snapshot and its restore makes the list view invalidate that row.
    {"  the same, redraw off around it", COL_FILE_SIZE | SORT_KEY_DESCENDING, 1},
};

// Rounds of one scan and the four sorts: the machine's load changes during a
// run, so the scan and the sorts are interleaved and each keeps its best.
enum { ROUNDS = 3 };

double MeasureScanAndSorts(HWND main, const std::string &folder, int files)
{
    double scan = 1e30, sorts[countof(SortCases)];
    for (double &s : sorts)
        s = 1e30;
    TimeScan(main, folder, files);  // warm-up
    for (int round = 0; round < ROUNDS; ++round) {
        double took = TimeScan(main, folder, files);
        if (took < scan)
            scan = took;
        for (int c = 0; c < countof(SortCases); ++c) {
            if (c > 0)
                SortList(ListViewHandle, COL_CACHE_FILE);   // back to scan order
            bench::PumpMessages();
            double start = Seconds();
            if (SortCases[c].RedrawOff)
                SendMessageA(ListViewHandle, WM_SETREDRAW, FALSE, 0);
            SortList(ListViewHandle, SortCases[c].Key);
            if (SortCases[c].RedrawOff)
                SendMessageA(ListViewHandle, WM_SETREDRAW, TRUE, 0);
            took = Seconds() - start;
            bench::PumpMessages();
            if (took < sorts[c])
                sorts[c] = took;
        }
    }
    std::printf("  %-34s %7.3f s  (%.0f files/s)\n", "scan (no sort key)", scan, files / scan);
    for (int c = 0; c < countof(SortCases); ++c) {
        SortList(ListViewHandle, SortCases[c].Key);
        int unparsed = 0, wrong = CountOutOfOrder(SortCases[c].Key, &unparsed);
        std::printf("  %-34s %7.3f s  sort/scan %.2f  (%d out of order, %d unparsed)\n", SortCases[c].Name,
                    sorts[c], sorts[c] / scan, wrong, unparsed);
    }
    return scan;
}

// --- Selection commands -------------------------------------------------------

// Sum of the item data (payload sizes) of the selected rows.
long long SelectedSizeSum()
{
    long long sum = 0;
    int row = -1;
    while ((row = (int)SendMessageA(ListViewHandle, LVM_GETNEXTITEM, (WPARAM)row, LVNI_SELECTED)) != -1) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        SendMessageA(ListViewHandle, LVM_GETITEMA, 0, (LPARAM)&item);
        sum += (unsigned int)item.lParam;
    }
    return sum;
}

void RunSelectionCommand(HWND main, const char *name, int command)
{
    bench::PumpMessages();
    StatusRefreshes = SelectionChanges = 0;
    double start = Seconds();
    SendMessageA(main, WM_COMMAND, command, 0);
    double handled = Seconds();
    bench::PumpMessages();
    double drained = Seconds();
    char status[256] = "";
    SendMessageA(StatusBarHandle, SB_GETTEXTA, 0, (LPARAM)status);
    int selected = (int)SendMessageA(ListViewHandle, LVM_GETSELECTEDCOUNT, 0, 0);
    std::printf("  %-34s command %.3f s + queue %.3f s = %.3f s; %d selection changes, %d status refresh(es);"
                " %d selected, total %s; status \"%s\"\n",
                name, handled - start, drained - handled, drained - start, SelectionChanges, StatusRefreshes,
                selected, SelectedSizeTotal == SelectedSizeSum() ? "matches" : "DIFFERS", status);
}

void MeasureSelection(HWND main)
{
    RealMainProc = (WNDPROC)SetWindowLongPtrA(main, GWLP_WNDPROC, (LONG_PTR)CountingMainProc);
    RunSelectionCommand(main, "Select All (none selected)", IDM_SELECT_ALL);
    RunSelectionCommand(main, "Invert Selection (all selected)", IDM_INVERT_SELECTION);
    // Every third row, by hand and untimed, for an inversion of a mixed set.
    int rows = (int)SendMessageA(ListViewHandle, LVM_GETITEMCOUNT, 0, 0);
    LVITEMA item = {};
    item.stateMask = item.state = LVIS_SELECTED;
    for (int row = 0; row < rows; row += 3)
        SendMessageA(ListViewHandle, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
    RunSelectionCommand(main, "Invert Selection (a third)", IDM_INVERT_SELECTION);
    SetWindowLongPtrA(main, GWLP_WNDPROC, (LONG_PTR)RealMainProc);
}

}  // namespace

int main(int argc, char **argv)
{
    int files = argc > 1 ? std::atoi(argv[1]) : 20000;
    if (files <= 0)
        files = 20000;
    std::string settings = bench::MakeFolder("sortbench_cfg");
    HWND main = bench::CreateBenchMainWindow(settings);
    if (!main) {
        std::printf("could not create the main window\n");
        return 1;
    }
    double start = Seconds();
    std::string folder = MakeSortFolder(files);
    std::printf("%d cache files written in %.1f s\n", files, Seconds() - start);

    AppSettings.SortByColumn = -1;
    double scan = MeasureScanAndSorts(main, folder, files);

    AppSettings.SortByColumn = COL_LAST_MODIFIED;
    double load = TimeScan(main, folder, files);
    int unparsed = 0, wrong = CountOutOfOrder(COL_LAST_MODIFIED, &unparsed);
    std::printf("  %-34s %7.3f s  load/scan %.2f  (%d out of order)\n", "scan with a Last Modified sort key", load,
                load / scan, wrong);
    AppSettings.SortByColumn = -1;

    MeasureSelection(main);

    DestroyWindow(main);
    bench::PumpMessages();
    bench::EmptyFolder(folder, true);
    bench::EmptyFolder(settings, true);
    return 0;
}
