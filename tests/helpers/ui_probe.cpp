// Reads the state of a running Marrowick from another process, for the
// end-to-end scripts: only messages that carry no pointer (or whose text
// user32 copies across processes, WM_GETTEXT) and window rectangles, so the
// answers are what the program itself holds. One query per run, one line out:
//   ui_probe list       row count, selected count, first selected row,
//                       focused row, top row, rows per page, row height
//   ui_probe status     status bar part 0 (its window text) and the length
//                       that SB_GETTEXTLENGTH reports, as "length<TAB>text"
//   ui_probe header     the list header's screen rectangle "l t r b"
//   ui_probe list-rect, status-rect, main-rect
//                       the screen rectangle of the list view, the status
//                       bar, the main window
//   ui_probe widths     the ten column widths
//   ui_probe menus      how many popup menus are shown, then "l t r b" of each
//   ui_probe focus      the focused control of the foreground window: its id,
//                       class, selection start and end, then a tab and its text
//   ui_probe box        the message box owned by the main window: its caption,
//                       a tab, its text with line breaks as "|"; or "none"
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <string.h>

static HWND MainWindow(void)
{
    return FindWindowA("MarrowickWindowClass", NULL);
}

static HWND ListView(void)
{
    return GetDlgItem(MainWindow(), 1011);
}

static void PrintRect(HWND window)
{
    RECT r = {0, 0, 0, 0};
    GetWindowRect(window, &r);
    printf("%ld %ld %ld %ld", r.left, r.top, r.right, r.bottom);
}

static int ListQuery(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    return (int)SendMessageA(list, message, wParam, lParam);
}

static void PrintList(void)
{
    HWND list = ListView();
    // The height one more row adds to the report view's approximate size.
    int one = HIWORD(ListQuery(list, LVM_APPROXIMATEVIEWRECT, 1, MAKELPARAM(-1, -1)));
    int two = HIWORD(ListQuery(list, LVM_APPROXIMATEVIEWRECT, 2, MAKELPARAM(-1, -1)));
    printf("%d %d %d %d %d %d %d\n", ListQuery(list, LVM_GETITEMCOUNT, 0, 0),
           ListQuery(list, LVM_GETSELECTEDCOUNT, 0, 0),
           ListQuery(list, LVM_GETNEXTITEM, (WPARAM)-1, MAKELPARAM(LVNI_SELECTED, 0)),
           ListQuery(list, LVM_GETNEXTITEM, (WPARAM)-1, MAKELPARAM(LVNI_FOCUSED, 0)),
           ListQuery(list, LVM_GETTOPINDEX, 0, 0), ListQuery(list, LVM_GETCOUNTPERPAGE, 0, 0), two - one);
}

static void PrintStatus(void)
{
    HWND status = GetDlgItem(MainWindow(), 1012);
    char text[256] = "";
    // Sent, not GetWindowTextA: for another process's window that would
    // return a stored title instead of asking the status bar.
    SendMessageA(status, WM_GETTEXT, sizeof(text), (LPARAM)text);
    printf("%d\t%s\n", LOWORD(SendMessageA(status, SB_GETTEXTLENGTHA, 0, 0)), text);
}

static BOOL CALLBACK PrintMenu(HWND window, LPARAM count)
{
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof(cls));
    if (strcmp(cls, "#32768") != 0 || !IsWindowVisible(window))
        return TRUE;
    if (count) {
        ++*(int *)count;
    } else {
        printf(" ");
        PrintRect(window);
    }
    return TRUE;
}

static void PrintMenus(void)
{
    int count = 0;
    EnumWindows(PrintMenu, (LPARAM)&count);
    printf("%d", count);
    EnumWindows(PrintMenu, 0);
    printf("\n");
}

static void PrintFocus(void)
{
    HWND foreground = GetForegroundWindow();
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(foreground, NULL), &info) || !info.hwndFocus) {
        printf("none\n");
        return;
    }
    char cls[64] = "";
    GetClassNameA(info.hwndFocus, cls, sizeof(cls));
    DWORD start = 0, end = 0;
    if (_stricmp(cls, "Edit") == 0) {
        DWORD both = (DWORD)SendMessageA(info.hwndFocus, EM_GETSEL, 0, 0);
        start = LOWORD(both);
        end = HIWORD(both);
    }
    char text[300] = "";
    SendMessageA(info.hwndFocus, WM_GETTEXT, sizeof(text), (LPARAM)text);
    printf("%d %s %lu %lu\t%s\n", GetDlgCtrlID(info.hwndFocus), cls, start, end, text);
}

static BOOL CALLBACK PrintMessageBox(HWND box, LPARAM none)
{
    char cls[16] = "", caption[128] = "", text[1024] = "";
    GetClassNameA(box, cls, sizeof(cls));
    if (strcmp(cls, "#32770") || !IsWindowVisible(box) || GetWindow(box, GW_OWNER) != MainWindow() ||
        !GetDlgItem(box, 0xFFFF))
        return TRUE;
    SendMessageA(box, WM_GETTEXT, sizeof(caption), (LPARAM)caption);
    SendDlgItemMessageA(box, 0xFFFF, WM_GETTEXT, sizeof(text), (LPARAM)text);
    for (char *p = text; *p; p++)
        *p = *p == '\r' || *p == '\n' ? '|' : *p;
    printf("%s\t%s\n", caption, text);
    *(int *)none = 0;
    return FALSE;
}

int main(int argc, char **argv)
{
    if (argc != 2 || !MainWindow()) {
        fprintf(stderr, "ui_probe: no query, or no Marrowick window\n");
        return 1;
    }
    const char *query = argv[1];
    if (!strcmp(query, "list")) {
        PrintList();
    } else if (!strcmp(query, "status")) {
        PrintStatus();
    } else if (!strcmp(query, "header")) {
        PrintRect((HWND)SendMessageA(ListView(), LVM_GETHEADER, 0, 0));
        printf("\n");
    } else if (!strcmp(query, "list-rect")) {
        PrintRect(ListView());
        printf("\n");
    } else if (!strcmp(query, "status-rect")) {
        PrintRect(GetDlgItem(MainWindow(), 1012));
        printf("\n");
    } else if (!strcmp(query, "main-rect")) {
        PrintRect(MainWindow());
        printf("\n");
    } else if (!strcmp(query, "widths")) {
        for (int column = 0; column < 10; column++)
            printf(column ? " %d" : "%d", ListQuery(ListView(), LVM_GETCOLUMNWIDTH, column, 0));
        printf("\n");
    } else if (!strcmp(query, "menus")) {
        PrintMenus();
    } else if (!strcmp(query, "focus")) {
        PrintFocus();
    } else if (!strcmp(query, "box")) {
        int none = 1;
        EnumWindows(PrintMessageBox, (LPARAM)&none);
        if (none)
            printf("none\n");
    } else {
        fprintf(stderr, "ui_probe: unknown query %s\n", query);
        return 1;
    }
    return 0;
}
