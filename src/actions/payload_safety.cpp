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
// These take one digit 1 to 9 behind them: com1 to com9, lpt1 to lpt9. The
// system also takes the superscript digits 1, 2 and 3 (bytes 0xB9, 0xB2 and
// 0xB3 in the ANSI code page 1252) for the same devices.
static const char *const NumberedDeviceNames[] = {"com", "lpt"};
static const char SuperscriptDigits[] = "\xB9\xB2\xB3";

// Types that the shell runs, or hands to a script host, installer, help
// viewer or management console, when they are opened. The system's own
// list (AssocIsDangerous) is asked as well.
static const char *const DangerousExtensions[] = {
    ".exe", ".scr", ".bat", ".cmd", ".com", ".pif", ".hta", ".js",  ".jse", ".vbs", ".vbe", ".wsf",
    ".ps1", ".msi", ".lnk", ".reg", ".cpl", ".chm", ".scf", ".url", ".jar", ".msp", ".msc", ".wsh",
    ".appref-ms", ".settingcontent-ms"};

// Media types under which servers send Windows programs.
static const char *const ProgramMediaTypes[] = {"application/x-msdownload", "application/x-msdos-program",
                                                "application/x-dosexec",
                                                "application/vnd.microsoft.portable-executable"};

enum { DEVICE_STEM_SIZE = 8, EXTENSION_SIZE = 24, PROGRAM_TYPE_SIZE = 64 };

// Length of `name` without what does not change the type the shell sees:
// the trailing dots and blanks that the file system drops when it creates
// the file ("run.exe." becomes "run.exe"), and trailing "%20", a blank
// left encoded by the URL the name came from.
static int TypeNameLength(const char *name)
{
    int length = lstrlenA(name);
    for (;;) {
        if (length > 0 && (name[length - 1] == '.' || name[length - 1] == ' '))
            length--;
        else if (length >= 3 && name[length - 3] == '%' && name[length - 2] == '2' && name[length - 1] == '0')
            length -= 3;
        else
            return length;
    }
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
    if (length != 4 || !((stem[3] >= '1' && stem[3] <= '9') || strchr(SuperscriptDigits, stem[3])))
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

typedef BOOL(WINAPI *AssocIsDangerousProc)(LPCWSTR);

// The system's own judgement of an extension (shlwapi's AssocIsDangerous,
// taken from the system folder's copy at first use); 0 where the system
// has no such list.
static int SystemCallsDangerous(const char *extension)
{
    static AssocIsDangerousProc assocIsDangerous;
    static int looked;
    if (!looked) {
        looked = 1;
        char path[MAX_PATH];
        UINT length = GetSystemDirectoryA(path, MAX_PATH - 16);
        HMODULE shlwapi = length && length < MAX_PATH - 16 ? LoadLibraryA(lstrcatA(path, "\\shlwapi.dll")) : NULL;
        if (shlwapi)
            assocIsDangerous = (AssocIsDangerousProc)(void *)GetProcAddress(shlwapi, "AssocIsDangerous");
    }
    WCHAR wide[EXTENSION_SIZE];
    return assocIsDangerous && MultiByteToWideChar(CP_ACP, 0, extension, -1, wide, EXTENSION_SIZE) &&
           assocIsDangerous(wide);
}

int IsDangerousFileType(const char *name)
{
    int end = TypeNameLength(name);
    int dot = end;
    while (dot > 0 && name[dot - 1] != '.')
        dot--;
    if (dot == 0 || end - (dot - 1) >= EXTENSION_SIZE)
        return 0;
    char extension[EXTENSION_SIZE];
    lstrcpynA(extension, name + dot - 1, end - (dot - 1) + 1);
    return InTable(extension, DangerousExtensions, countof(DangerousExtensions)) ||
           SystemCallsDangerous(extension);
}

int IsProgramMediaType(const char *contentType)
{
    while (*contentType == ' ')
        contentType++;
    int length = 0;
    while (contentType[length] && contentType[length] != ';' && contentType[length] != ' ')
        length++;
    if (length >= PROGRAM_TYPE_SIZE)
        return 0;
    char mediaType[PROGRAM_TYPE_SIZE];
    lstrcpynA(mediaType, contentType, length + 1);
    return InTable(mediaType, ProgramMediaTypes, countof(ProgramMediaTypes));
}

int StartsWithProgramHeader(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    char head[2];
    DWORD count = 0;
    int program = ReadFile(file, head, sizeof(head), &count, NULL) && count == 2 && head[0] == 'M' && head[1] == 'Z';
    CloseHandle(file);
    return program;
}

int ConfirmOpenDangerousFile(HWND owner, const char *name, const char *contentType, const char *path)
{
    // A shell may hand a program file to the loader whatever its name says
    // (Wine's does, for a type without an association), so the type, the
    // media type and the first bytes each raise the question.
    if (!IsDangerousFileType(name) && !IsProgramMediaType(contentType) && !StartsWithProgramHeader(path))
        return 1;
    char shown[MAX_PATH], text[MAX_PATH + 128];
    lstrcpynA(shown, name, sizeof(shown));
    wsprintfA(text, "%s is a program or script file. Opening it may run it and harm your computer.\n\n"
                    "Do you want to open it?", shown);
    return ShowMessageBox(owner, text, "Marrowick", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
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

int HasNamedStreams(const char *folder)
{
    char root[MAX_PATH];
    DWORD flags = 0;
    return GetVolumePathNameA(folder, root, sizeof(root)) &&
           GetVolumeInformationA(root, NULL, 0, NULL, NULL, &flags, NULL, 0) && (flags & FILE_NAMED_STREAMS);
}
