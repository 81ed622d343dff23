// Keeping extracted payloads harmless: names that would open a device
// instead of a file, types that run as programs when opened, and the mark
// that tells the system a file came from the internet.
//
// A payload's name comes from a remote server (its URL or its
// Content-Disposition), so none of it can be trusted.
#include "marrowick.h"

// Device names that the system resolves in every folder, whatever the
// extension: "nul.txt" opens the null device, and a payload written there
// vanishes while the write succeeds.
static const char *const ReservedDeviceNames[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
// These take one digit 1 to 9 behind them: com1 to com9, lpt1 to lpt9.
static const char *const NumberedDeviceNames[] = {"com", "lpt"};

// Types that the shell runs, or hands to a script host or installer, when
// they are opened.
static const char *const DangerousExtensions[] = {".exe", ".scr", ".bat", ".cmd", ".com", ".pif",
                                                   ".hta", ".js",  ".jse", ".vbs", ".vbe", ".wsf",
                                                   ".ps1", ".msi", ".lnk", ".reg", ".cpl"};

enum { DEVICE_STEM_SIZE = 8, EXTENSION_SIZE = 8 };

// Length of `name` without the trailing dots and blanks that the file
// system drops when it creates the file ("run.exe." becomes "run.exe").
static int StoredNameLength(const char *name)
{
    int length = lstrlenA(name);
    while (length > 0 && (name[length - 1] == '.' || name[length - 1] == ' '))
        length--;
    return length;
}

static int InTable(const char *text, const char *const *table, int count)
{
    for (int i = 0; i < count; i++)
        if (lstrcmpiA(text, table[i]) == 0)
            return 1;
    return 0;
}

// The stem is what the system compares: the name up to its first dot,
// without trailing blanks.
static int IsReservedDeviceName(const char *name)
{
    int length = 0;
    while (name[length] && name[length] != '.')
        length++;
    while (length > 0 && name[length - 1] == ' ')
        length--;
    if (length >= DEVICE_STEM_SIZE)
        return 0;
    char stem[DEVICE_STEM_SIZE];
    lstrcpynA(stem, name, length + 1);
    if (InTable(stem, ReservedDeviceNames, countof(ReservedDeviceNames)))
        return 1;
    if (length != 4 || stem[3] < '1' || stem[3] > '9')
        return 0;
    stem[3] = '\0';
    return InTable(stem, NumberedDeviceNames, countof(NumberedDeviceNames));
}

void PrefixReservedDeviceName(char *name, int size)
{
    int length = lstrlenA(name);
    if (!IsReservedDeviceName(name) || length + 2 > size)
        return;
    MoveMemory(name + 1, name, (size_t)length + 1);
    name[0] = '_';
}

int IsDangerousFileType(const char *name)
{
    int end = StoredNameLength(name);
    int dot = end;
    while (dot > 0 && name[dot - 1] != '.')
        dot--;
    if (dot == 0 || end - (dot - 1) >= EXTENSION_SIZE)
        return 0;
    char extension[EXTENSION_SIZE];
    lstrcpynA(extension, name + dot - 1, end - (dot - 1) + 1);
    return InTable(extension, DangerousExtensions, countof(DangerousExtensions));
}

int ConfirmOpenDangerousFile(HWND owner, const char *name)
{
    if (!IsDangerousFileType(name))
        return 1;
    char shown[MAX_PATH], text[MAX_PATH + 128];
    lstrcpynA(shown, name, sizeof(shown));
    wsprintfA(text, "%s is a program or script file. Opening it may run it and harm your computer.\n\n"
                    "Do you want to open it?", shown);
    return MessageBoxA(owner, text, "Marrowick", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void WriteZoneIdentifier(const char *path)
{
    static const char zone[] = "[ZoneTransfer]\r\nZoneId=3\r\n";
    char stream[ACTION_PATH_SIZE + 32];
    if (lstrlenA(path) >= ACTION_PATH_SIZE)
        return;
    wsprintfA(stream, "%s:Zone.Identifier", path);
    // Writing a stream may touch the file's last-write time, which holds the
    // payload's Last-Modified: keep it.
    HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING, 0, NULL);
    FILETIME written;
    int keepTime = file != INVALID_HANDLE_VALUE && GetFileTime(file, NULL, NULL, &written);
    HANDLE mark = CreateFileA(stream, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (mark != INVALID_HANDLE_VALUE) {
        DWORD count;
        WriteFile(mark, zone, sizeof(zone) - 1, &count, NULL);
        CloseHandle(mark);
    }
    if (keepTime)
        SetFileTime(file, NULL, NULL, &written);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

void MarkDownloadedFromInternet(const char *path)
{
    // Only where the volume has named streams: elsewhere (FAT, network
    // shares of other systems) the name with a colon would be refused or,
    // worse, become a file of its own.
    char root[MAX_PATH];
    DWORD flags = 0;
    if (GetVolumePathNameA(path, root, sizeof(root)) &&
        GetVolumeInformationA(root, NULL, 0, NULL, NULL, &flags, NULL, 0) && (flags & FILE_NAMED_STREAMS))
        WriteZoneIdentifier(path);
}
