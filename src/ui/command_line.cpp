// The command line for scripts. Started with arguments, the program creates
// no window: it reads the settings file (and never writes it), scans the
// cache folder once into the row store, narrows and sorts the rows as the
// window would, writes the reports and payloads asked for, prints one count
// line on standard output and ends with an exit code. Nothing waits for a
// person: every message a box would show goes to standard error.
//
// A program of the GUI subsystem gets the caller's standard handles only
// when they were redirected (a script's file or pipe); started from a
// console window without redirection it has none and writes to that
// console after attaching to it. Wine hands a GUI program started from a
// terminal a console handle of its own, so both cases end up writable there.
#include "marrowick.h"

int CommandLineMode;
HANDLE CommandLineOutput;
HANDLE CommandLineErrors;

enum {
    MAX_REPORTS = 8,       // report switches in one run
    NOT_GIVEN = -2,        // an option left to the settings file
    ARGUMENT_TEXT = 200,   // characters of an argument quoted in a message
    MESSAGE_LINE_SIZE = 1200   // a message box's text (at most 1,024 bytes) and its title
};

static const char UsageText[] =
    "Usage: marrowick.exe [switches]\r\n"
    "  /stext FILE      save the rows as text\r\n"
    "  /stab FILE       save the rows as tab-delimited text\r\n"
    "  /scomma FILE     save the rows as comma-delimited text\r\n"
    "  /shtml FILE      save the rows as HTML\r\n"
    "  /copy FOLDER     extract the rows' payloads into FOLDER\r\n"
    "  /rename 0|1      1 numbers a copied file whose name is taken, 0 replaces it\r\n"
    "  /folder PATH     the cache folder to read\r\n"
    "  /bigpicture      the Big Picture cache folder\r\n"
    "  /filter \"WORDS\"  only the rows holding every word\r\n"
    "  /sort N          sort by column N (0-9, +256 descending, -1 none)\r\n"
    "  /gmt 0|1         dates in GMT (1) or local time (0)\r\n"
    "  /?               this text\r\n"
    "Exit codes: 0 done, 1 bad arguments, 2 cache folder unreadable, 3 a file not written.\r\n";

enum SwitchKind {
    SWITCH_REPORT, SWITCH_COPY, SWITCH_RENAME, SWITCH_FOLDER, SWITCH_BIG_PICTURE,
    SWITCH_FILTER, SWITCH_SORT, SWITCH_GMT, SWITCH_HELP
};

struct CommandSwitch {
    const char *Name;    // after the "/" or "-", any letter case
    SwitchKind Kind;
    int TakesValue;      // the next argument is its value
    int Format;          // report format number (SWITCH_REPORT)
};

static const CommandSwitch Switches[] = {
    {"stext", SWITCH_REPORT, 1, 1},    {"stab", SWITCH_REPORT, 1, 2},
    {"scomma", SWITCH_REPORT, 1, 3},   {"shtml", SWITCH_REPORT, 1, 4},
    {"copy", SWITCH_COPY, 1, 0},       {"rename", SWITCH_RENAME, 1, 0},
    {"folder", SWITCH_FOLDER, 1, 0},   {"bigpicture", SWITCH_BIG_PICTURE, 0, 0},
    {"filter", SWITCH_FILTER, 1, 0},   {"sort", SWITCH_SORT, 1, 0},
    {"gmt", SWITCH_GMT, 1, 0},         {"?", SWITCH_HELP, 0, 0},
};

struct ReportRequest {
    int Format;
    char File[MAX_PATH];
};

// What the switches asked for; paths are full paths.
struct CommandLineRequest {
    ReportRequest Reports[MAX_REPORTS];
    int ReportCount;
    char CopyFolder[MAX_PATH];    // empty: no copy
    char Folder[MAX_PATH];        // empty: the settings file's choice
    const char *Filter;           // null: every row
    int BigPicture;
    int Rename, Gmt, SortKey;     // NOT_GIVEN: the settings file's
    int Help;
};

struct RunCounts {
    int Written;
    int Failed;
};

// --- Standard handles -------------------------------------------------------

void WriteStandardText(HANDLE handle, const char *text, int length)
{
    DWORD written;
    if (handle && length > 0)
        WriteFile(handle, text, (DWORD)length, &written, NULL);
}

void WriteMessageLine(const char *title, const char *text)
{
    char line[MESSAGE_LINE_SIZE];
    int at = wsprintfA(line, "%s: ", title);
    int limit = (int)sizeof(line) - 3;
    for (const char *p = text; *p && at < limit;) {
        if (*p != '\r' && *p != '\n') {
            line[at++] = *p++;
            continue;
        }
        while (*p == '\r' || *p == '\n')
            p++;
        for (const char *q = " - "; *p && *q && at < limit; q++)
            line[at++] = *q;
    }
    line[at++] = '\r';
    line[at++] = '\n';
    WriteStandardText(CommandLineErrors, line, at);
}

static HANDLE UsableHandle(HANDLE handle)
{
    return handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN ? handle : NULL;
}

static void OpenStandardHandles(void)
{
    CommandLineOutput = UsableHandle(GetStdHandle(STD_OUTPUT_HANDLE));
    CommandLineErrors = UsableHandle(GetStdHandle(STD_ERROR_HANDLE));
    if ((CommandLineOutput && CommandLineErrors) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    HANDLE console = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 NULL, OPEN_EXISTING, 0, NULL);
    if (console == INVALID_HANDLE_VALUE)
        return;
    if (!CommandLineOutput)
        CommandLineOutput = console;
    if (!CommandLineErrors)
        CommandLineErrors = console;
}

static void WriteUsage(HANDLE handle)
{
    WriteStandardText(handle, UsageText, (int)sizeof(UsageText) - 1);
}

// --- Arguments --------------------------------------------------------------

static const CommandSwitch *FindSwitch(const char *argument)
{
    if (argument[0] != '/' && argument[0] != '-')
        return NULL;
    for (const CommandSwitch &option : Switches)
        if (lstrcmpiA(argument + 1, option.Name) == 0)
            return &option;
    return NULL;
}

// "0" or "1".
static int ParseFlag(const char *text, int *value)
{
    if ((text[0] != '0' && text[0] != '1') || text[1])
        return 0;
    *value = text[0] - '0';
    return 1;
}

// -1, or a column 0-9 with 256 added for descending, as SortByColumn holds it.
static int ParseSortKey(const char *text, int *key)
{
    int negative = text[0] == '-';
    const char *p = text + negative;
    int value = 0;
    for (; *p >= '0' && *p <= '9' && value < 1000; p++)
        value = value * 10 + (*p - '0');
    if (*p || p == text + negative)
        return 0;
    value = negative ? -value : value;
    if (value != -1 && (value < 0 || value > (SORT_KEY_DESCENDING | 0xFF) || (value & 0xFF) >= COLUMN_COUNT))
        return 0;
    *key = value;
    return 1;
}

// The full path of `path` into `out` (MAX_PATH); 0 when it does not fit.
static int TakeFullPath(const char *path, char *out)
{
    char *name;
    DWORD length = GetFullPathNameA(path, MAX_PATH, out, &name);
    return length > 0 && length < MAX_PATH;
}

static int TakeSwitch(CommandLineRequest *request, const CommandSwitch *option, const char *value)
{
    switch (option->Kind) {
    case SWITCH_REPORT:
        if (request->ReportCount == MAX_REPORTS)
            return 0;
        request->Reports[request->ReportCount].Format = option->Format;
        return TakeFullPath(value, request->Reports[request->ReportCount++].File);
    case SWITCH_COPY:
        return TakeFullPath(value, request->CopyFolder);
    case SWITCH_FOLDER:
        return TakeFullPath(value, request->Folder);
    case SWITCH_FILTER:
        request->Filter = value;
        return lstrlenA(value) < FILTER_TEXT_SIZE;
    case SWITCH_RENAME:
        return ParseFlag(value, &request->Rename);
    case SWITCH_GMT:
        return ParseFlag(value, &request->Gmt);
    case SWITCH_SORT:
        return ParseSortKey(value, &request->SortKey);
    case SWITCH_BIG_PICTURE:
        request->BigPicture = 1;
        return 1;
    case SWITCH_HELP:
        request->Help = 1;
        return 1;
    }
    return 0;
}

// Reports what is wrong with the arguments (`detail` names the argument).
static int RefuseArgument(const char *format, const char *detail)
{
    char text[ARGUMENT_TEXT + 100];
    wsprintfA(text, format, detail);
    ShowErrorBox(NULL, "%s", text);
    return 0;
}

static int ParseArguments(int argc, char **argv, CommandLineRequest *request)
{
    ZeroMemory(request, sizeof(*request));
    request->Rename = request->Gmt = request->SortKey = NOT_GIVEN;
    for (int i = 1; i < argc; i++) {
        const char *argument = argv[i];
        const CommandSwitch *option = FindSwitch(argument);
        if (!option)
            return RefuseArgument("Unknown switch: %.200s", argument);
        const char *value = NULL;
        if (option->TakesValue) {
            if (i + 1 >= argc || !argv[i + 1][0])
                return RefuseArgument("The switch %.200s needs a value", argument);
            value = argv[++i];
        }
        if (!TakeSwitch(request, option, value))
            return RefuseArgument("Bad value for %.200s", argument);
    }
    if (request->Folder[0] && request->BigPicture)
        return RefuseArgument("%s", "/folder and /bigpicture name two different cache folders");
    return 1;
}

// --- The run ----------------------------------------------------------------

// The settings file, then the switches over it.
static void ApplyRequest(const CommandLineRequest *request)
{
    GetSettingsFilePath(SettingsFilePath);
    LoadSettings();
    if (request->Gmt != NOT_GIVEN)
        AppSettings.ShowTimeInGMT = request->Gmt;
    if (request->Rename != NOT_GIVEN)
        AppSettings.AutoRenameIfExist = request->Rename;
    if (request->SortKey != NOT_GIVEN)
        AppSettings.SortByColumn = request->SortKey;
    if (request->Folder[0])
        lstrcpyA(AppSettings.CacheFolder, request->Folder);
    else if (request->BigPicture)
        DetectCachePath(AppSettings.CacheFolder, 1);
}

static int CanListFolder(const char *folder)
{
    if (!folder[0]) {
        ShowErrorBox(NULL, "%s", "No cache folder: the client's cache was not found (name one with /folder)");
        return 0;
    }
    char pattern[MAX_PATH + 4];
    wsprintfA(pattern, "%s\\*", folder);
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE) {
        ShowErrorBox(NULL, "Could not access cache directory: %s\n\n%s", folder);
        return 0;
    }
    FindClose(find);
    return 1;
}

static int ReportNoMemory(void)
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    ShowErrorBox(NULL, "%s", ERROR_ARG_SYSTEM);
    return 0;
}

// Scans the folder into the row store and puts the rows the quick filter
// would show for the words in the sort order into RowView.Shown.
static int LoadRows(const CommandLineRequest *request)
{
    if (!CanListFolder(AppSettings.CacheFolder))
        return 0;
    if (!ScanCacheFolder(NULL, AppSettings.CacheFolder))
        return ReportNoMemory();
    if (request->Filter) {
        lstrcpyA(AppliedFilter, request->Filter);
        MarkFilteredRows();
    }
    return ResetRowOrder() && SortRowOrder(AppSettings.SortByColumn) ? 1 : ReportNoMemory();
}

// Every report with the columns the window shows and their titles.
static void WriteReports(const CommandLineRequest *request, RunCounts *counts)
{
    int widths[COLUMN_COUNT];
    ReadColumnWidths(widths);
    ReportSource source = {};
    source.Rows = RowView.Shown;
    source.Count = RowView.ShownCount;
    for (int column = 0; column < COLUMN_COUNT; column++) {
        if (widths[column])
            source.ColumnMask |= 1 << column;
        source.Titles[column] = ListColumns[column].Title;
    }
    for (int i = 0; i < request->ReportCount; i++) {
        const ReportRequest &report = request->Reports[i];
        if (WriteReportRows(NULL, report.File, report.Format, &source))
            counts->Written++;
        else
            counts->Failed++;
    }
}

static void CopyPayloads(const CommandLineRequest *request, RunCounts *counts)
{
    int count = RowView.ShownCount;
    if (!request->CopyFolder[0] || count == 0)
        return;
    if (!CreateFolderPath(request->CopyFolder)) {
        ShowErrorBox(NULL, "Could not create folder: %s\n\n%s", request->CopyFolder);
        counts->Failed += count;
        return;
    }
    int flags = AppSettings.AutoRenameIfExist ? EXTRACT_AUTO_RENAME : 0;
    int written = ExtractRowPayloads(NULL, RowView.Shown, count, AppSettings.CacheFolder, request->CopyFolder, flags);
    counts->Written += written;
    counts->Failed += count - written;
}

static void WriteCountLine(int rows, const RunCounts *counts)
{
    char line[80];
    int length = wsprintfA(line, "%d rows, %d written, %d failed\r\n", rows, counts->Written, counts->Failed);
    WriteStandardText(CommandLineOutput, line, length);
}

int RunCommandLine(int argc, char **argv)
{
    CommandLineMode = 1;
    OpenStandardHandles();
    static CommandLineRequest request;   // 3 KB of paths: kept off the stack
    if (!ParseArguments(argc, argv, &request)) {
        WriteUsage(CommandLineErrors);
        return EXIT_BAD_ARGUMENTS;
    }
    if (request.Help) {
        WriteUsage(CommandLineOutput);
        return EXIT_ALL_DONE;
    }
    ApplyRequest(&request);
    RunCounts counts = {0, 0};
    if (!LoadRows(&request)) {
        WriteCountLine(0, &counts);
        return EXIT_FOLDER_UNREADABLE;
    }
    WriteReports(&request, &counts);
    CopyPayloads(&request, &counts);
    WriteCountLine(RowView.ShownCount, &counts);
    return counts.Failed ? EXIT_WRITE_FAILED : EXIT_ALL_DONE;
}
