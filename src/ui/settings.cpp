// The settings file: its path, the Options keys with their defaults and the
// order in which they are read and written, the comma-separated integer
// lists, and the main window's placement in WinPositions.
//
// The file is read once while the main window is created and written once
// when it is closed; options changed in between live only in AppSettings.
// The private-profile functions own the INI syntax. A first write creates
// the file with the sections and keys in the order they are written here.
#include "marrowick.h"

#include <stdio.h>

static const char OPTIONS_SECTION[] = "Options";
static const char POSITIONS_SECTION[] = "WinPositions";
static const char KEY_HTTP_CACHE_PATH[] = "HttpCachePath";
static const char KEY_COPY_FILES_PATH[] = "CopyFilesPath";
static const char KEY_MAIN_WINDOW[] = "MainWindow";
static const char KEY_COLUMN_WIDTHS[] = "ColumnWidths";
static const char KEY_COLUMN_ORDER[] = "ColumnOrder";

// A stored value outside Min..Max is replaced by Default when it is read.
// The program itself only writes values inside the range; a hand-edited or
// foreign file could index past DefaultActionCommands, the save dialog's
// four file types or the two cache sub-folders.
struct IntSetting {
    const char *Key;
    int *Field;
    int Default;
    int Min, Max;
};

enum { SORT_KEY_COLUMN_BITS = 0xFF, SORT_KEY_REVERSED_BIT = 0x100 };

// Integer keys read and written before the two path keys, in file order.
static const IntSetting LeadingIntSettings[] = {
    {"SaveFilterIndex", &AppSettings.SaveFilterIndex, 1, 1, 4},
    {"DefaultAction", &AppSettings.DefaultAction, 2, 0, 2},
    {"FindFlags", &AppSettings.FindFlags, 3, 0, 7},
    {"ShowTimeInGMT", &AppSettings.ShowTimeInGMT, 1, 0, 1},
    {"DeleteToRecycle", &AppSettings.DeleteToRecycle, 1, 0, 1},
    {"SelectedCacheFolder", &AppSettings.SelectedCacheFolder, 0, 0, 1},
    {"AutoDetectCachePath", &AppSettings.AutoDetectCachePath, 1, 0, 1},
    // Further checked by IsSortKey: column numbers 10 to 255 are in range.
    {"SortByColumn", &AppSettings.SortByColumn, -1, -1, SORT_KEY_REVERSED_BIT | (COLUMN_COUNT - 1)},
};

// Integer keys after the two path keys.
static const IntSetting TrailingIntSettings[] = {
    {"AutoRenameIfExist", &AppSettings.AutoRenameIfExist, 0, 0, 1},
    {"MarkEmptyFiles", &AppSettings.MarkEmptyFiles, 0, 0, 1},
};

// MainWindow: left, top, width, height, maximized. CW_USEDEFAULT for the
// position lets the system place the window.
static const int DefaultPlacement[5] = {(int)CW_USEDEFAULT, (int)CW_USEDEFAULT, 640, 480, 0};

enum { PLACEMENT_TEXT_SIZE = 80 };

void MakeSettingsFilePath(const char *exePath, char *path)
{
    char buffer[MAX_PATH];
    lstrcpynA(buffer, exePath, MAX_PATH - 4);
    char *dot = NULL;
    char *slash = NULL;
    for (char *p = buffer; *p; p++) {
        if (*p == '.')
            dot = p;
        else if (*p == '\\')
            slash = p;
    }
    // Only a '.' in the file name itself starts the extension, not one in a
    // folder name such as C:\My.Tools\Marrowick.
    if (dot && (!slash || dot > slash))
        *dot = '\0';
    lstrcatA(buffer, ".cfg");
    lstrcpyA(path, buffer);
}

void GetSettingsFilePath(char *path)
{
    char exePath[MAX_PATH] = "";
    GetModuleFileNameA(NULL, exePath, MAX_PATH);
    exePath[MAX_PATH - 1] = '\0';
    MakeSettingsFilePath(exePath, path);
}

DWORD SettingsWriteError;

BOOL WriteSettingText(const char *section, const char *key, const char *text)
{
    BOOL written = WritePrivateProfileStringA(section, key, text, SettingsFilePath);
    if (!written && SettingsWriteError == ERROR_SUCCESS) {
        DWORD error = GetLastError();
        SettingsWriteError = error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
    }
    return written;
}

BOOL WriteSettingInt(const char *section, const char *key, int value)
{
    char text[16];
    wsprintfA(text, "%d", value);
    return WriteSettingText(section, key, text);
}

int ParseIntList(const char *text, int count, int *slots)
{
    int done = 0;
    const char *p = text;
    while (done < count) {
        while (*p == ' ')
            p++;
        int negative = 0;
        if (*p == '-') {
            negative = 1;
            p++;
        }
        // Unsigned arithmetic: an overlong number wraps instead of being
        // undefined behaviour; the list is not checked for overflow.
        unsigned int value = 0;
        while (*p >= '0' && *p <= '9')
            value = value * 10u + (unsigned int)(*p++ - '0');
        slots[done++] = (int)(negative ? 0u - value : value);
        while (*p && *p != ',')
            p++;
        if (!*p)
            break;
        p++;
    }
    return done;
}

static void ReadIntSettings(const IntSetting *table, int count)
{
    for (int i = 0; i < count; i++) {
        const IntSetting &setting = table[i];
        int value = (int)GetPrivateProfileIntA(OPTIONS_SECTION, setting.Key, setting.Default, SettingsFilePath);
        *setting.Field = value < setting.Min || value > setting.Max ? setting.Default : value;
    }
}

static void WriteIntSettings(const IntSetting *table, int count)
{
    for (int i = 0; i < count; i++)
        WriteSettingInt(OPTIONS_SECTION, table[i].Key, *table[i].Field);
}

static void ReadTextSetting(const char *key, char *field)
{
    GetPrivateProfileStringA(OPTIONS_SECTION, key, "", field, MAX_PATH, SettingsFilePath);
}

// -1, or a column the list has with or without the reversed-order bit.
static int IsSortKey(int key)
{
    return key == -1 || (key & SORT_KEY_COLUMN_BITS) < COLUMN_COUNT;
}

void LoadSettings(void)
{
    ReadIntSettings(LeadingIntSettings, countof(LeadingIntSettings));
    if (!IsSortKey(AppSettings.SortByColumn))
        AppSettings.SortByColumn = -1;
    if (AppSettings.AutoDetectCachePath)
        DetectCachePath(AppSettings.CacheFolder, AppSettings.SelectedCacheFolder);
    else
        ReadTextSetting(KEY_HTTP_CACHE_PATH, AppSettings.CacheFolder);
    ReadTextSetting(KEY_COPY_FILES_PATH, AppSettings.CopyFilesPath);
    // Read whatever detection says, so the user's own folder is at hand when
    // detection is switched off later.
    ReadTextSetting(KEY_HTTP_CACHE_PATH, AppSettings.HttpCachePath);
    ReadIntSettings(TrailingIntSettings, countof(TrailingIntSettings));
}

void SaveSettings(void)
{
    WriteIntSettings(LeadingIntSettings, countof(LeadingIntSettings));
    // A detected folder never replaces the user's own folder in the file.
    const char *cachePath = AppSettings.AutoDetectCachePath ? AppSettings.HttpCachePath : AppSettings.CacheFolder;
    WriteSettingText(OPTIONS_SECTION, KEY_HTTP_CACHE_PATH, cachePath);
    WriteSettingText(OPTIONS_SECTION, KEY_COPY_FILES_PATH, AppSettings.CopyFilesPath);
    WriteIntSettings(TrailingIntSettings, countof(TrailingIntSettings));
}

void RestoreWindowPlacement(HWND window)
{
    int slots[5];
    for (int i = 0; i < 5; i++)
        slots[i] = DefaultPlacement[i];
    char text[PLACEMENT_TEXT_SIZE] = "";
    GetPrivateProfileStringA(POSITIONS_SECTION, KEY_MAIN_WINDOW, "", text, sizeof(text), SettingsFilePath);
    if (text[0])
        ParseIntList(text, 5, slots);
    // A size below one pixel or a maximized flag other than 0 and 1 was not
    // written by the program: the default instead.
    for (int i = 2; i < 4; i++)
        if (slots[i] < 1)
            slots[i] = DefaultPlacement[i];
    if (slots[4] != 0 && slots[4] != 1)
        slots[4] = DefaultPlacement[4];
    // The normal rectangle first and then, in the same call, the maximized
    // state: sizing a window that is maximized already would leave it
    // "maximized" at the normal size, and Restore would not give the
    // saved rectangle back. A hidden window stays hidden until WinMain.
    WINDOWPLACEMENT placement;
    ZeroMemory(&placement, sizeof(placement));
    placement.length = sizeof(placement);
    GetWindowPlacement(window, &placement);
    RECT &r = placement.rcNormalPosition;
    if (slots[0] != (int)CW_USEDEFAULT && slots[1] != (int)CW_USEDEFAULT) {
        r.left = slots[0];
        r.top = slots[1];
    }
    r.right = r.left + slots[2];
    r.bottom = r.top + slots[3];
    placement.flags = 0;
    placement.showCmd = slots[4] == 1 ? SW_SHOWMAXIMIZED : SW_HIDE;
    SetWindowPlacement(window, &placement);
}

static void WriteSettingList(const char *key, const int *values)
{
    char text[16 * COLUMN_COUNT];
    wsprintfA(text, "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d", values[0], values[1], values[2], values[3], values[4],
              values[5], values[6], values[7], values[8], values[9]);
    WriteSettingText(POSITIONS_SECTION, key, text);
}

void SaveWindowPlacement(HWND window, HWND listView)
{
    WINDOWPLACEMENT placement;
    ZeroMemory(&placement, sizeof(placement));
    placement.length = sizeof(placement);
    if (GetWindowPlacement(window, &placement)) {
        // The restored rectangle, so a maximized or minimized window comes
        // back at its normal size next time.
        const RECT &r = placement.rcNormalPosition;
        char text[PLACEMENT_TEXT_SIZE];
        wsprintfA(text, "%d,%d,%d,%d,%d", (int)r.left, (int)r.top, (int)(r.right - r.left), (int)(r.bottom - r.top),
                  placement.showCmd == SW_SHOWMAXIMIZED ? 1 : 0);
        WriteSettingText(POSITIONS_SECTION, KEY_MAIN_WINDOW, text);
    }
    int widths[COLUMN_COUNT];
    for (int i = 0; i < COLUMN_COUNT; i++)
        widths[i] = (int)SendMessageA(listView, LVM_GETCOLUMNWIDTH, i, 0);
    WriteSettingList(KEY_COLUMN_WIDTHS, widths);
    int order[COLUMN_COUNT] = {0};
    SendMessageA(listView, LVM_GETCOLUMNORDERARRAY, COLUMN_COUNT, (LPARAM)order);
    WriteSettingList(KEY_COLUMN_ORDER, order);
}
