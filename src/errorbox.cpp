// The one error message box of the program.
#include "marrowick.h"

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

void ShowErrorBox(HWND owner, const char *format, const char *argument)
{
    // Fetched first: nothing below may run before it.
    DWORD lastError = GetLastError();
    char systemText[512];
    char message[1024];

    int placeholders = CountStringPlaceholders(format);
    if (placeholders != 1 && placeholders != 2)
        return;

    systemText[0] = '\0';
    if (placeholders == 2 || argument == ERROR_ARG_SYSTEM) {
        if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, lastError,
                            MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), systemText, sizeof(systemText), NULL))
            systemText[0] = '\0';
    }
    if (argument == ERROR_ARG_SYSTEM)
        argument = systemText;

    // wsprintfA writes at most 1,024 bytes including the terminator.
    if (placeholders == 2)
        wsprintfA(message, format, argument, systemText);
    else
        wsprintfA(message, format, argument);
    MessageBoxA(owner, message, "Error", MB_OK | MB_ICONERROR);
}
