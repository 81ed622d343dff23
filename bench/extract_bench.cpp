// extract_bench: payload extraction against a plain copy of the same bytes,
// in one process.
//
//   extract_bench [SMALL_COUNT [SMALL_KIB [LARGE_MIB]]]   default: 1000 100 200
//   extract_bench rows [ROWS [SAME [ROUNDS]]]             default: 20000 5000 3
//
// It writes SMALL_COUNT cache files with SMALL_KIB KiB payloads and one with
// a LARGE_MIB MiB payload, and beside each a plain file holding exactly its
// payload bytes. For each set it then times (best of four rounds for the
// small payloads and of ten for the large one, the order of the methods
// reversed in every other round, every target created anew):
//   extract  ExtractPayload of every cache file, with SharedReadBuffer
//            allocated once for the run as a copy run does;
//   copy     the plain files copied with ReadFile/WriteFile in chunks of the
//            same 131,072 bytes (the floor any extraction pays);
//   CopyFile the plain files copied with CopyFileA, for reference;
//   copy, pre-sized  the plain copy plus the extraction's extra steps (the
//            target set to its final length before the first write, its
//            last-write time set at the end), to show what those cost.
// It prints MB/s (1 MB = 1,000,000 payload bytes) for each and the ratio
// extract/copy, checks every target's size and the first target's bytes
// after each pass, and removes everything it wrote.
//
// With "rows" it times whole copy runs the way the Copy command makes them,
// in the program's own main window: a cache of ROWS files named as a real
// cache names them (a quarter "header.jpg", an eighth each of two other
// repeated names, the rest distinct; payloads of 1 to 48 KiB) loaded by the
// scan, all rows selected and copied by ExtractSelectedPayloads into an
// empty folder, against a plain per-file copy of the same payloads under
// distinct names. Then SAME rows that all carry one name against SAME rows
// of distinct names (equal payloads). Best of ROUNDS rounds each, the order
// reversed every other round; auto-rename off, the default. Lines are
// printed as they come: a run over 20,000 rows may take minutes.
#include "marrowick.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_util.h"
#include "cache_writer.h"

namespace {

using bench::Seconds;

// Rounds per set: a pass over the large payload lasts only some 50 ms, so
// it gets more of them.
enum { CHUNK = SHARED_READ_BUFFER_SIZE, FILL_CHUNK = 1 << 20, SMALL_ROUNDS = 4, LARGE_ROUNDS = 10 };

// Payload byte `offset` of file `index`: varied, so no layer can shortcut
// runs of equal bytes.
void FillPayload(unsigned index, unsigned long long offset, unsigned char *bytes, unsigned count)
{
    for (unsigned i = 0; i < count; i += 4) {
        unsigned value = bench::Mix(index * 0x10001u + (unsigned)((offset + i) >> 2));
        for (unsigned k = 0; k < 4 && i + k < count; ++k)
            bytes[i + k] = (unsigned char)(value >> (8 * k));
    }
}

bool WriteAll(HANDLE file, const void *bytes, DWORD count)
{
    DWORD written = 0;
    return WriteFile(file, bytes, count, &written, NULL) && written == count;
}

// The cache file (header as the one writer lays it down, then the payload)
// and the plain file of the same payload, written chunk by chunk.
bool WritePair(const std::string &cachePath, const std::string &plainPath, unsigned index,
               unsigned long long payloadSize)
{
    CacheFileSpec recipe;
    recipe.Host = "cdn.akamai.steamstatic.com";
    recipe.Path = "/steam/apps/" + std::to_string(20000 + index) + "/movie_max.webm";
    recipe.Headers = {{"Content-Type", "video/webm"},
                    {"Content-Length", std::to_string(payloadSize)},
                    {"Last-Modified", "Mon, 04 Mar 2024 08:00:00 GMT"},
                    {"ETag", "\"65e580c0\""}};
    recipe.DeclaredPayloadSize = (int64_t)payloadSize;
    std::string header = BuildCacheFile(recipe);
    HANDLE cache = CreateFileA(cachePath.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    HANDLE plain = CreateFileA(plainPath.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    bool ok = cache != INVALID_HANDLE_VALUE && plain != INVALID_HANDLE_VALUE &&
              WriteAll(cache, header.data(), (DWORD)header.size());
    static std::vector<unsigned char> chunk(FILL_CHUNK);
    for (unsigned long long done = 0; ok && done < payloadSize; done += FILL_CHUNK) {
        unsigned long long left = payloadSize - done;
        unsigned count = left < FILL_CHUNK ? (unsigned)left : (unsigned)FILL_CHUNK;
        FillPayload(index, done, chunk.data(), count);
        ok = WriteAll(cache, chunk.data(), count) && WriteAll(plain, chunk.data(), count);
    }
    if (cache != INVALID_HANDLE_VALUE)
        CloseHandle(cache);
    if (plain != INVALID_HANDLE_VALUE)
        CloseHandle(plain);
    return ok;
}

// One set of payloads: the folders of its cache files, plain files and
// targets, and the names inside them.
struct PayloadSet {
    const char *Name;
    std::string Cache, Plain, Target;
    std::vector<std::string> Files;
    unsigned long long PayloadSize;
};

bool MakeSet(PayloadSet *set, unsigned firstIndex, int count)
{
    set->Cache = bench::MakeFolder("xb_cache");
    set->Plain = bench::MakeFolder("xb_plain");
    set->Target = bench::MakeFolder("xb_target");
    for (int i = 0; i < count; ++i) {
        char name[32];
        wsprintfA(name, "\\%08x", firstIndex + (unsigned)i);
        set->Files.push_back(name);
        if (!WritePair(set->Cache + name, set->Plain + name, firstIndex + (unsigned)i, set->PayloadSize))
            return false;
    }
    return true;
}

// --- The three methods ---------------------------------------------------------

int ExtractAll(const PayloadSet &set)
{
    int done = 0;
    SharedReadBuffer = (unsigned char *)GlobalAlloc(GPTR, SHARED_READ_BUFFER_SIZE);
    for (const std::string &name : set.Files)
        done += ExtractPayload(NULL, (set.Cache + name).c_str(), (set.Target + name).c_str(), 0);
    GlobalFree(SharedReadBuffer);
    SharedReadBuffer = NULL;
    return done;
}

bool PlainCopy(const std::string &from, const std::string &to, unsigned char *buffer)
{
    HANDLE source = CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (source == INVALID_HANDLE_VALUE)
        return false;
    HANDLE target = CreateFileA(to.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    bool ok = target != INVALID_HANDLE_VALUE;
    DWORD count = 0;
    while (ok && ReadFile(source, buffer, CHUNK, &count, NULL) && count > 0)
        ok = WriteAll(target, buffer, count);
    if (target != INVALID_HANDLE_VALUE)
        CloseHandle(target);
    CloseHandle(source);
    return ok;
}

// The plain copy with the extraction's extra steps: the target set to its
// final length before the first write and its last-write time set at the end.
bool PresizedCopy(const std::string &from, const std::string &to, unsigned char *buffer, LONGLONG size)
{
    HANDLE source = CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (source == INVALID_HANDLE_VALUE)
        return false;
    HANDLE target = CreateFileA(to.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    bool ok = target != INVALID_HANDLE_VALUE;
    if (ok) {
        LARGE_INTEGER length, start = {};
        length.QuadPart = size;
        SetFilePointerEx(target, length, NULL, FILE_BEGIN);
        SetEndOfFile(target);
        SetFilePointerEx(target, start, NULL, FILE_BEGIN);
    }
    DWORD count = 0;
    while (ok && ReadFile(source, buffer, CHUNK, &count, NULL) && count > 0)
        ok = WriteAll(target, buffer, count);
    if (target != INVALID_HANDLE_VALUE) {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        SetFileTime(target, NULL, NULL, &now);
        CloseHandle(target);
    }
    CloseHandle(source);
    return ok;
}

int PlainCopyAll(const PayloadSet &set, bool presize)
{
    int done = 0;
    unsigned char *buffer = (unsigned char *)GlobalAlloc(GPTR, CHUNK);
    for (const std::string &name : set.Files)
        done += presize ? PresizedCopy(set.Plain + name, set.Target + name, buffer, (LONGLONG)set.PayloadSize)
                        : PlainCopy(set.Plain + name, set.Target + name, buffer);
    GlobalFree(buffer);
    return done;
}

int CopyAll(const PayloadSet &set)
{
    return PlainCopyAll(set, false);
}

int PresizedCopyAll(const PayloadSet &set)
{
    return PlainCopyAll(set, true);
}

int CopyFileAll(const PayloadSet &set)
{
    int done = 0;
    for (const std::string &name : set.Files)
        done += CopyFileA((set.Plain + name).c_str(), (set.Target + name).c_str(), TRUE) ? 1 : 0;
    return done;
}

typedef int (*CopyMethod)(const PayloadSet &set);

struct Method {
    const char *Name;
    CopyMethod Run;
};

const Method Methods[] = {{"extract", ExtractAll},
                          {"copy", CopyAll},
                          {"CopyFile", CopyFileAll},
                          {"copy, pre-sized", PresizedCopyAll}};

// --- Checks -----------------------------------------------------------------------

unsigned long long FileSize(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return ~0ull;
    return ((unsigned long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

bool SameBytes(const std::string &a, const std::string &b)
{
    HANDLE fa = CreateFileA(a.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    HANDLE fb = CreateFileA(b.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    bool same = fa != INVALID_HANDLE_VALUE && fb != INVALID_HANDLE_VALUE;
    static std::vector<unsigned char> x(FILL_CHUNK), y(FILL_CHUNK);
    DWORD nx = 1, ny = 0;
    while (same && nx > 0) {
        same = ReadFile(fa, x.data(), FILL_CHUNK, &nx, NULL) && ReadFile(fb, y.data(), FILL_CHUNK, &ny, NULL) &&
               nx == ny && memcmp(x.data(), y.data(), nx) == 0;
    }
    if (fa != INVALID_HANDLE_VALUE)
        CloseHandle(fa);
    if (fb != INVALID_HANDLE_VALUE)
        CloseHandle(fb);
    return same;
}

// Targets of the wrong size, plus one if the first target's bytes differ
// from its plain file.
int CheckTargets(const PayloadSet &set)
{
    int wrong = 0;
    for (const std::string &name : set.Files)
        wrong += FileSize(set.Target + name) != set.PayloadSize;
    if (!SameBytes(set.Target + set.Files[0], set.Plain + set.Files[0]))
        ++wrong;
    return wrong;
}

// --- Measurement -----------------------------------------------------------------

void MeasureSet(const PayloadSet &set, int rounds)
{
    const int methodCount = countof(Methods);
    double best[countof(Methods)];
    int wrong[countof(Methods)] = {};
    for (double &b : best)
        b = 1e30;
    for (int round = 0; round < rounds; ++round) {
        for (int k = 0; k < methodCount; ++k) {
            int m = round % 2 == 0 ? k : methodCount - 1 - k;
            bench::EmptyFolder(set.Target, false);
            double start = Seconds();
            int done = Methods[m].Run(set);
            double took = Seconds() - start;
            if (took < best[m])
                best[m] = took;
            wrong[m] += (int)set.Files.size() - done + CheckTargets(set);
        }
    }
    bench::EmptyFolder(set.Target, false);
    double bytes = (double)set.PayloadSize * (double)set.Files.size();
    std::printf("%s (%.1f MB in all), best of %d rounds\n", set.Name, bytes / 1e6, rounds);
    for (int m = 0; m < methodCount; ++m)
        std::printf("  %-16s %7.3f s  %7.1f MB/s%s\n", Methods[m].Name, best[m], bytes / 1e6 / best[m],
                    wrong[m] ? "  (WRONG OUTPUT)" : "");
    std::printf("  extract/copy %.2f   extract/CopyFile %.2f   extract/pre-sized copy %.2f   (throughput ratios)\n",
                best[1] / best[0], best[2] / best[0], best[3] / best[0]);
}

void RemoveSet(const PayloadSet &set)
{
    bench::EmptyFolder(set.Cache, true);
    bench::EmptyFolder(set.Plain, true);
    bench::EmptyFolder(set.Target, true);
}

// Any error box is a failure of the run: record its text and close it, so
// the benchmark never waits for a click. A copy run's summary without
// failures is closed silently (the row benchmarks count the files written).
LRESULT CALLBACK CloseErrorBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        char text[512] = "";
        GetDlgItemTextA((HWND)wParam, 0xFFFF, text, sizeof(text));
        if (text[0] && !strstr(text, "written, 0 failed."))
            std::printf("box: %s\n", text);
        PostMessageA((HWND)wParam, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

// --- Copy runs over list rows -------------------------------------------------

// The names a real cache repeats most: store capsules and headers.
const char *RowName(int i, bool allSame, char *buffer)
{
    if (allSame)
        return "header.jpg";
    if (i % 4 == 0)
        return "header.jpg";
    if (i % 8 == 1)
        return "capsule_231x87.jpg";
    if (i % 8 == 3)
        return "library_600x900.jpg";
    wsprintfA(buffer, "%08x.jpg", bench::Mix((unsigned)i));
    return buffer;
}

// A cache folder of `count` files below 256 buckets and a plain folder of
// their payloads; `distinct` gives every row a name of its own, `allSame`
// one name for all, neither the mix of a real cache. Payloads of `kib` KiB,
// or of 1 to 48 KiB when it is 0.
struct RowSet {
    std::string Cache, Plain, Target;
    int Count;
    double Bytes;
};

bool MakeRowSet(RowSet *set, int count, bool allSame, bool distinct, int kib)
{
    set->Cache = bench::MakeFolder("xr_cache");
    set->Plain = bench::MakeFolder("xr_plain");
    set->Target = bench::MakeFolder("xr_target");
    set->Count = count;
    set->Bytes = 0;
    bench::MakeBucketFolders(set->Cache);
    for (int i = 0; i < count; ++i) {
        char buffer[32], plain[32];
        unsigned size = (kib ? (unsigned)kib : 1 + bench::Mix((unsigned)i * 7u) % 48u) * 1024u;
        CacheFileSpec recipe;
        recipe.Host = "shared.akamai.steamstatic.com";
        recipe.Path = "/store_item_assets/steam/apps/" + std::to_string(10 + i) + "/" +
                      (distinct ? std::to_string(i) + ".jpg" : std::string(RowName(i, allSame, buffer)));
        recipe.Headers = {{"Content-Type", "image/jpeg"}, {"Last-Modified", "Mon, 04 Mar 2024 08:00:00 GMT"}};
        recipe.Payload.resize(size);
        FillPayload((unsigned)i, 0, (unsigned char *)&recipe.Payload[0], size);
        wsprintfA(plain, "\\%06d.jpg", i);
        if (!WriteCacheFile(bench::BucketFilePath(set->Cache, i, 0xc0ffeeu), recipe) ||
            !WriteBytesToFile(set->Plain + plain, recipe.Payload))
            return false;
        set->Bytes += size;
    }
    return true;
}

void RemoveRowSet(const RowSet &set)
{
    bench::EmptyFolder(set.Cache, true);
    bench::EmptyFolder(set.Plain, true);
    bench::EmptyFolder(set.Target, true);
}

int CountFiles(const std::string &folder)
{
    int count = 0;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do
        count += !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    while (FindNextFileA(find, &entry));
    FindClose(find);
    return count;
}

// The copy run of every row, as the Copy command starts it.
double TimeCopyRun(HWND main, const RowSet &set)
{
    bench::EmptyFolder(set.Target, false);
    double start = Seconds();
    ExtractSelectedPayloads(main, ListViewHandle, set.Cache.c_str(), set.Target.c_str(), 0);
    return Seconds() - start;
}

// The floor: each plain payload file copied with ReadFile/WriteFile.
double TimePlainCopy(const RowSet &set)
{
    bench::EmptyFolder(set.Target, false);
    unsigned char *buffer = (unsigned char *)GlobalAlloc(GPTR, CHUNK);
    double start = Seconds();
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((set.Plain + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                PlainCopy(set.Plain + "\\" + entry.cFileName, set.Target + "\\" + entry.cFileName, buffer);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    double took = Seconds() - start;
    GlobalFree(buffer);
    return took;
}

// Loads the set's cache into the main window and selects every row.
void LoadAndSelect(HWND main, const RowSet &set)
{
    double start = Seconds();
    LoadCacheFolder(main, ListViewHandle, set.Cache.c_str());
    SendMessageA(main, WM_COMMAND, IDM_SELECT_ALL, 0);
    bench::PumpMessages();
    std::printf("  %d rows loaded and selected in %.1f s\n",
                (int)SendMessageA(ListViewHandle, LVM_GETSELECTEDCOUNT, 0, 0), Seconds() - start);
}

// Best of `rounds` rounds of two timed runs, the order reversed every other
// round; the second is either the plain copy or a second set's copy run.
void CompareRuns(HWND main, int rounds, const char *title, const RowSet &a, const char *nameA, const RowSet *b,
                 const char *nameB)
{
    double best[2] = {1e30, 1e30};
    int files[2] = {0, 0};
    for (int round = 0; round < rounds; ++round) {
        for (int k = 0; k < 2; ++k) {
            int which = round % 2 == 0 ? k : 1 - k;
            const RowSet &set = which == 0 || !b ? a : *b;
            double took;
            if (which == 1 && !b) {
                took = TimePlainCopy(a);
            } else {
                if (b)
                    LoadAndSelect(main, set);
                took = TimeCopyRun(main, set);
            }
            files[which] = CountFiles(set.Target);
            std::printf("  round %d: %s %.2f s\n", round + 1, which == 0 ? nameA : nameB, took);
            if (took < best[which])
                best[which] = took;
        }
    }
    std::printf("%s, best of %d rounds\n  %-28s %8.2f s  %6d files\n  %-28s %8.2f s  %6d files\n  ratio %.2f\n",
                title, rounds, nameA, best[0], files[0], nameB, best[1], files[1], best[0] / best[1]);
}

int RunRowBenchmarks(int rows, int same, int rounds)
{
    std::string settings = bench::MakeFolder("xr_cfg");
    HWND main = bench::CreateBenchMainWindow(settings);
    RowSet bulk, one, distinct;
    double start = Seconds();
    if (!main || !MakeRowSet(&bulk, rows, false, false, 0)) {
        std::printf("could not set up the rows\n");
        return 1;
    }
    std::printf("bulk cache of %d files (%.1f MB) written in %.1f s\n", rows, bulk.Bytes / 1e6, Seconds() - start);
    LoadAndSelect(main, bulk);
    char title[96];
    wsprintfA(title, "copy %d rows of a bulk cache", rows);
    CompareRuns(main, rounds, title, bulk, "copy run", NULL, "plain per-file copy");
    RemoveRowSet(bulk);
    if (!MakeRowSet(&one, same, true, false, 4) || !MakeRowSet(&distinct, same, false, true, 4)) {
        std::printf("could not set up the rows\n");
        return 1;
    }
    wsprintfA(title, "copy %d rows of one name against %d distinct names", same, same);
    CompareRuns(main, rounds, title, one, "one name (header.jpg)", &distinct, "distinct names");
    RemoveRowSet(one);
    RemoveRowSet(distinct);
    DestroyWindow(main);
    bench::EmptyFolder(settings, true);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && lstrcmpA(argv[1], "rows") == 0) {
        setvbuf(stdout, NULL, _IONBF, 0);
        HHOOK hook = SetWindowsHookExA(WH_CBT, CloseErrorBoxes, NULL, GetCurrentThreadId());
        int result = RunRowBenchmarks(argc > 2 ? std::atoi(argv[2]) : 20000, argc > 3 ? std::atoi(argv[3]) : 5000,
                                      argc > 4 ? std::atoi(argv[4]) : 3);
        UnhookWindowsHookEx(hook);
        return result;
    }
    int smallCount = argc > 1 ? std::atoi(argv[1]) : 1000;
    int smallKiB = argc > 2 ? std::atoi(argv[2]) : 100;
    int largeMiB = argc > 3 ? std::atoi(argv[3]) : 200;
    AppInstance = GetModuleHandleA(NULL);
    HHOOK hook = SetWindowsHookExA(WH_CBT, CloseErrorBoxes, NULL, GetCurrentThreadId());

    char smallName[64], largeName[64];
    wsprintfA(smallName, "%d payloads of %d KiB", smallCount, smallKiB);
    wsprintfA(largeName, "1 payload of %d MiB", largeMiB);
    PayloadSet sets[2];
    sets[0].Name = smallName;
    sets[0].PayloadSize = (unsigned long long)smallKiB * 1024;
    sets[1].Name = largeName;
    sets[1].PayloadSize = (unsigned long long)largeMiB * 1048576;
    int counts[2] = {smallCount, 1};
    for (int s = 0; s < 2; ++s) {
        double start = Seconds();
        bool made = MakeSet(&sets[s], (unsigned)s * 1000000u, counts[s]);
        std::printf("%s written in %.1f s\n", sets[s].Name, Seconds() - start);
        if (made)
            MeasureSet(sets[s], s == 0 ? SMALL_ROUNDS : LARGE_ROUNDS);
        else
            std::printf("  could not write the files\n");
        RemoveSet(sets[s]);
    }
    UnhookWindowsHookEx(hook);
    return 0;
}
