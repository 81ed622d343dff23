// cli_bench: the program run from the command line (a comma-delimited
// report of every row, no window) timed against the floor of its scan.
//
//   cli_bench MARROWICK_EXE [FILES...]        default: 20000 100000
//
// For each count it writes a cache folder (four kinds of resource under
// three hosts, dates spread over ten years) and measures, best of two after
// a warm-up pass:
//   run    "marrowick.exe /folder F /scomma R" as a process of its own, from
//          its start until it ended (Wine's process start included);
//   floor  the same bucket listing, one open + one 4,096-byte read + close
//          per file, in this process.
// The program is copied into a folder of its own first, so it runs with
// the settings' defaults. Nothing is asserted; the figures are printed.
#include "marrowick.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_util.h"
#include "cache_writer.h"

namespace {

using bench::Mix;
using bench::Seconds;
using bench::FloorPass;
using bench::HttpDate;

const char *const Hosts[3] = {"cdn.akamai.steamstatic.com", "store.steampowered.com", "community.steamstatic.com"};
const char *const Kinds[4][3] = {
    {"capsule", ".jpg", "image/jpeg"},
    {"header", ".png", "image/png"},
    {"page", ".html", "text/html"},
    {"script", ".js", "application/javascript"},
};


CacheFileRecipe Recipe(int i)
{
    unsigned h = Mix((unsigned)i);
    const char *const *kind = Kinds[h % 4];
    unsigned size = Mix(h) >> (12 + h % 20);
    CacheFileRecipe recipe;
    recipe.Host = Hosts[h / 4 % 3];
    recipe.Path = "/steam/apps/" + std::to_string(10000 + h % 50000) + "/" + kind[0] + "_" +
                  std::to_string(h % 1000) + kind[1];
    recipe.Headers = {{"Content-Type", kind[2]},
                      {"Content-Length", std::to_string(size)},
                      {"Date", HttpDate(h % 3360)},
                      {"Last-Modified", HttpDate(h / 7 % 3360)},
                      {"Expires", HttpDate(h / 3 % 3360)},
                      {"ETag", "\"" + std::to_string(h) + "\""}};
    recipe.Payload.assign(size < 64 ? size : 64, 'x');
    recipe.DeclaredPayloadSize = size;
    return recipe;
}

std::string MakeCacheFolder(int files)
{
    std::string folder = bench::MakeFolder("clibench");
    bench::MakeBucketFolders(folder);
    for (int i = 0; i < files; ++i)
        WriteCacheFile(bench::BucketFilePath(folder, i, Mix((unsigned)i)), Recipe(i));
    return folder;
}


// Runs the command line and waits for it; its count line goes to our
// standard output. The exit code, or -1 when it did not start.
int RunProgram(const std::string &exe, const std::string &arguments)
{
    std::string command = "\"" + exe + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)code;
}

struct Timing {
    int Files;
    double Run, Floor;
    long long ReportBytes;
};

Timing Measure(const std::string &exe, const std::string &work, int files)
{
    std::string folder = MakeCacheFolder(files);
    std::string report = work + "\\rows.csv";
    std::string arguments = "/folder \"" + folder + "\" /scomma \"" + report + "\"";
    Timing t = {files, 1e30, 1e30, 0};
    FloorPass(folder);  // warm the file system cache
    for (int round = 0; round < 2; ++round) {
        std::fflush(stdout);
        double start = Seconds();
        int code = RunProgram(exe, arguments);
        double ran = Seconds();
        int floorFiles = FloorPass(folder);
        double floored = Seconds();
        t.Run = ran - start < t.Run ? ran - start : t.Run;
        t.Floor = floored - ran < t.Floor ? floored - ran : t.Floor;
        if (code != 0 || floorFiles != files)
            std::printf("warning: %d files, exit code %d, floor %d files\n", files, code, floorFiles);
    }
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (GetFileAttributesExA(report.c_str(), GetFileExInfoStandard, &data))
        t.ReportBytes = (long long)data.nFileSizeHigh << 32 | data.nFileSizeLow;
    DeleteFileA(report.c_str());
    bench::EmptyFolder(folder, true);
    return t;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::printf("usage: cli_bench MARROWICK_EXE [FILES...]\n");
        return 1;
    }
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {20000, 100000};

    std::string work = bench::MakeFolder("clibench_exe");
    std::string exe = work + "\\marrowick.exe";
    if (!CopyFileA(argv[1], exe.c_str(), FALSE)) {
        std::printf("cannot copy %s\n", argv[1]);
        return 1;
    }
    for (int files : sizes) {
        Timing t = Measure(exe, work, files);
        std::printf("%7d files: command line /scomma %.3f s (%.0f files/s, report %.1f MiB), floor %.3f s "
                    "(%.0f files/s), run/floor %.2f\n",
                    t.Files, t.Run, t.Files / t.Run, t.ReportBytes / 1048576.0, t.Floor, t.Files / t.Floor,
                    t.Run / t.Floor);
    }
    bench::EmptyFolder(work, true);
    return 0;
}
