// store_bench: the list as a view of the row store in the real main window,
// with rows put straight into the store (no disk), in one process.
//
//   store_bench [ROWS]        default: 100000
//
// Prints, each the best of three: the quick filter applied ("capsule", a
// quarter of the rows) and cleared; Invert Selection with a third of the
// rows selected; a header click sorting by Last Modified, by File Size and
// by URL; the GMT switch with the repaint it causes; and the private bytes
// the rows cost, per row. Nothing is asserted.
#include "marrowick.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_util.h"

namespace {

using bench::Mix;
using bench::Seconds;

const char *const Kinds[4] = {"capsule", "header", "page", "script"};
const char *const Months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

size_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS *)&memory, sizeof(memory));
    return memory.PrivateUsage;
}

// Rows like a client's cache: a host, a path of about 90 characters with a
// query, a media type, a size, three dates, a status, an ETag, a file name.
void FillStore(int rows)
{
    for (int i = 0; i < rows; i++) {
        unsigned h = Mix((unsigned)i);
        char url[256], name[64], size[16], etag[48], file[24], dates[3][48];
        const char *kind = Kinds[h % 4];
        wsprintfA(url, "http://cdn.akamai.steamstatic.com/steam/apps/%u/%s_%u.jpg?t=%u", h % 900000, kind, i,
                  Mix(h) % 2000000000);
        wsprintfA(name, "%s_%u.jpg", kind, i);
        wsprintfA(size, "%u", Mix(h) >> (12 + h % 16));
        wsprintfA(etag, "\"%08x%08x\"", h, Mix(h + 1));
        wsprintfA(file, "%02x%08x%04x", h & 0xFF, Mix(h + 2), i & 0xFFFF);
        for (int d = 0; d < 3; d++) {
            unsigned v = Mix(h + 3 + d);
            wsprintfA(dates[d], "Mon, %02u %s %u %02u:%02u:%02u GMT", v % 28 + 1, Months[v / 28 % 12],
                      2010 + v / 336 % 14, v % 24, v / 7 % 60, v / 11 % 60);
        }
        CacheRow row = {{name, url, "image/jpeg", FormatGroupedNumber(size), dates[0], dates[1], dates[2],
                         "HTTP/1.1 200 OK", etag, file},
                        0, (unsigned)atoi(size)};
        AppendStoreRow(&row, (int)(h & 0xFF));
    }
}

template <typename Step>
double Best(Step step)
{
    double best = 1e30;
    for (int round = 0; round < 3; round++) {
        double start = Seconds();
        step();
        bench::PumpMessages();
        double took = Seconds() - start;
        if (took < best)
            best = took;
    }
    return best;
}

void SelectEveryThird(HWND list)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&item);
    item.state = LVIS_SELECTED;
    for (int i = 0; i < RowView.ShownCount; i += 3)
        SendMessageA(list, LVM_SETITEMSTATE, (WPARAM)i, (LPARAM)&item);
}

void ClickHeader(HWND main, HWND list, int column)
{
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = list;
    click.hdr.idFrom = IDC_LIST;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageA(main, WM_NOTIFY, IDC_LIST, (LPARAM)&click);
    UpdateWindow(list);
}

}  // namespace

int main(int argc, char **argv)
{
    int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::string settings = bench::MakeFolder("store");
    HWND main = bench::CreateBenchMainWindow(settings);
    HWND list = ListViewHandle;
    AppSettings.SortByColumn = -1;

    size_t before = PrivateBytes();
    double start = Seconds();
    FillStore(rows);
    ResetRowOrder();
    ShowRowView(list, 0);
    double filled = Seconds() - start;
    size_t after = PrivateBytes();
    // Wine may leave PrivateUsage at 0: the store's own blocks are printed too.
    double blocks = (double)RowStore.Capacity * sizeof(StoredRow) + (double)RowStore.ChunkCount * STORE_TEXT_CHUNK_SIZE +
                    2.0 * RowView.Capacity * sizeof(int);
    std::printf("%d rows put into the store in %.3f s; %.0f private bytes per row, %.0f bytes of store blocks per row\n",
                rows, filled, (double)(after - before) / rows, blocks / rows);

    double apply = 1e30, clear = 1e30;
    int shown = 0;
    for (int round = 0; round < 3; round++) {
        double t0 = Seconds();
        ApplyFilter(main, list, "capsule");
        UpdateWindow(list);
        double t1 = Seconds();
        shown = RowView.ShownCount;
        ApplyFilter(main, list, "");
        UpdateWindow(list);
        double t2 = Seconds();
        apply = t1 - t0 < apply ? t1 - t0 : apply;
        clear = t2 - t1 < clear ? t2 - t1 : clear;
    }
    std::printf("filter \"capsule\" (%d of %d rows): apply %.3f s, clear %.3f s\n", shown, rows, apply, clear);

    double invert = 1e30;
    for (int round = 0; round < 3; round++) {
        SelectEveryThird(list);
        bench::PumpMessages();
        double t0 = Seconds();
        RunCommand(main, IDM_INVERT_SELECTION);
        bench::PumpMessages();
        double took = Seconds() - t0;
        if (took < invert)
            invert = took;
    }
    std::printf("Invert Selection with a third selected: %.3f s (%d selected after)\n", invert,
                (int)SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
    RunCommand(main, IDM_SELECT_ALL);
    bench::PumpMessages();
    SelectEveryThird(list);   // sorts carry a third of the rows' selection along
    bench::PumpMessages();

    const struct {
        const char *Name;
        int Column;
    } sorts[] = {{"Last Modified", COL_LAST_MODIFIED}, {"File Size", COL_FILE_SIZE}, {"URL", COL_URL}};
    for (const auto &s : sorts)
        std::printf("header click sort by %s: %.3f s\n", s.Name, Best([&] { ClickHeader(main, list, s.Column); }));

    double gmt = Best([&] { RunCommand(main, IDM_SHOW_GMT); UpdateWindow(list); });
    size_t afterGmt = PrivateBytes();
    for (int i = 0; i < 20; i++)
        RunCommand(main, IDM_SHOW_GMT);
    std::printf("GMT switch with its repaint: %.4f s; private bytes after 20 more switches: %+ld\n", gmt,
                (long)(PrivateBytes() - afterGmt));
    DestroyWindow(main);
    bench::EmptyFolder(settings, true);
    return 0;
}
