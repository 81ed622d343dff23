// The one error message box of the program, and the limit that keeps a scan
// over a wrong folder, or a copy or deletion that fails file after file,
// from showing one modal box per file. A run from the command line shows no
// box: the same messages go to standard error there, all of them.
#include "marrowick.h"

enum {
    SYSTEM_TEXT_SIZE = 512,
    MESSAGE_SIZE = 1024,       // wsprintfA writes at most this many bytes
    ERROR_BOX_RUN_LIMIT = 10   // boxes of a run shown before the question
};

// How the boxes of a run are shown: as they come until the limit, then,
// after the user's answer, all of them or none.
enum ErrorBoxRunMode { RUN_OFF, RUN_ASK_AT_LIMIT, RUN_SHOW_ALL, RUN_HOLD_BACK };

struct ErrorBoxRunState {
    ErrorBoxRunMode Mode;
    ErrorBoxRunKind Kind;
    int Shown;      // boxes shown before the question
    int HeldBack;   // boxes left out after the answer No
};

struct ErrorBoxRunTexts {
    const char *Question;
    const char *HeldBack;   // "%d" of them; null where the run's summary counts them
};

// By ErrorBoxRunKind.
static const ErrorBoxRunTexts RunTexts[] = {
    {"More cache files could not be read. Show a message for each of them?",
     "%d more cache files could not be read."},
    {"More files could not be copied. Show a message for each of them?", NULL},
    {"More cache files could not be deleted. Show a message for each of them?",
     "%d more cache files could not be deleted."},
};

static ErrorBoxRunState ErrorBoxRun;

// Counts the "%s" placeholders of `format`; -1 when any other "%" sequence
// appears, since wsprintfA would then read arguments that were never passed.
static int CountStringPlaceholders(const char *format)
{
    int count = 0;
    for (const char *p = format; *p; p++) {
        if (*p != '%')
            continue;
        if (p[1] != 's')
            return -1;
        count++;
        p++;
    }
    return count;
}

// Length of the insert sequence at `p` ("%1" to "%99", optionally followed
// by a printf-style type such as "!s!"), or 0 when there is none.
static int InsertSequenceLength(const char *p)
{
    if (p[0] != '%' || p[1] < '1' || p[1] > '9')
        return 0;
    int length = (p[2] >= '0' && p[2] <= '9') ? 3 : 2;
    if (p[length] == '!') {
        const char *close = p + length + 1;
        while (*close && *close != '!')
            close++;
        if (*close)
            length = (int)(close + 1 - p);
    }
    return length;
}

void FillMessageInserts(const char *text, const char *insert, char *out, int size)
{
    int at = 0;
    for (const char *p = text; *p && at < size - 1;) {
        int length = InsertSequenceLength(p);
        if (!length) {
            out[at++] = *p++;
            continue;
        }
        for (const char *q = insert; *q && at < size - 1; q++)
            out[at++] = *q;
        p += length;
    }
    out[at] = '\0';
}

// The system's text for `error` with every insert filled with `insert`
// (a message such as "Bad EXE format for %1." names the path it is about).
static void GetSystemText(DWORD error, const char *insert, char *out)
{
    char raw[SYSTEM_TEXT_SIZE];
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, error,
                        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), raw, sizeof(raw), NULL))
        raw[0] = '\0';
    FillMessageInserts(raw, insert ? insert : "", out, SYSTEM_TEXT_SIZE);
}

// Whether the next box of a run is shown. The question comes once, before
// the box after the limit; from the answer on, all boxes or none are shown.
// No is the default button: someone pressing Enter through the boxes is not
// sent through hundreds more.
static int AdmitErrorBox(HWND owner)
{
    // Standard error takes every message: nobody is there to answer.
    if (CommandLineMode)
        return 1;
    if (ErrorBoxRun.Mode == RUN_ASK_AT_LIMIT) {
        if (ErrorBoxRun.Shown < ERROR_BOX_RUN_LIMIT) {
            ErrorBoxRun.Shown++;
            return 1;
        }
        int answer = ShowMessageBox(owner, RunTexts[ErrorBoxRun.Kind].Question, "Marrowick",
                                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
        ErrorBoxRun.Mode = answer == IDYES ? RUN_SHOW_ALL : RUN_HOLD_BACK;
    }
    if (ErrorBoxRun.Mode == RUN_HOLD_BACK) {
        ErrorBoxRun.HeldBack++;
        return 0;
    }
    return 1;
}

// `insert` fills the inserts of the system's text; `argument` may be
// ERROR_ARG_SYSTEM (with one placeholder only).
static void ShowFilledErrorBox(HWND owner, DWORD lastError, const char *format, const char *argument,
                               const char *insert)
{
    int placeholders = CountStringPlaceholders(format);
    if (placeholders != 1 && placeholders != 2)
        return;
    char systemText[SYSTEM_TEXT_SIZE] = "";
    if (placeholders == 2 || argument == ERROR_ARG_SYSTEM)
        GetSystemText(lastError, insert, systemText);
    if (argument == ERROR_ARG_SYSTEM)
        argument = systemText;
    if (!AdmitErrorBox(owner))
        return;
    char message[MESSAGE_SIZE];
    if (placeholders == 2)
        wsprintfA(message, format, argument, systemText);
    else
        wsprintfA(message, format, argument);
    ShowMessageBox(owner, message, "Error", MB_OK | MB_ICONERROR);
}

void ShowErrorBox(HWND owner, const char *format, const char *argument)
{
    // Fetched first: nothing below may run before it.
    DWORD lastError = GetLastError();
    ShowFilledErrorBox(owner, lastError, format, argument, argument == ERROR_ARG_SYSTEM ? NULL : argument);
}

void ShowSystemErrorBox(HWND owner, const char *path)
{
    DWORD lastError = GetLastError();
    ShowFilledErrorBox(owner, lastError, "%s", ERROR_ARG_SYSTEM, path);
}

void BeginErrorBoxRun(ErrorBoxRunKind kind)
{
    ErrorBoxRun.Mode = RUN_ASK_AT_LIMIT;
    ErrorBoxRun.Kind = kind;
    ErrorBoxRun.Shown = 0;
    ErrorBoxRun.HeldBack = 0;
}

void EndErrorBoxRun(HWND owner)
{
    int heldBack = ErrorBoxRun.HeldBack;
    ErrorBoxRun.Mode = RUN_OFF;
    ErrorBoxRun.HeldBack = 0;
    const char *format = RunTexts[ErrorBoxRun.Kind].HeldBack;
    if (heldBack == 0 || !format)
        return;
    char text[64];
    wsprintfA(text, format, heldBack);
    ShowErrorBox(owner, "%s", text);
}
