// The toolbar (seven commands with tooltips) and the two-part status bar:
// row and selection counts, the selected payload size and scan progress.
#include "marrowick.h"

#include <stdio.h>

HIMAGELIST ToolbarImageList;

enum {
    TOOLBAR_IMAGE_SIZE = 16,
    STATUS_PART_WIDTH = 250,   // right edge of part 0; part 1 takes the rest
    STATUS_TEXT_SIZE = 80,
    SIZE_TEXT_SIZE = 16,       // "16777216.00 TB" and its terminator fit
};

// Image index into IDB_TOOLBAR, command, state, style; the separator has
// command 0 and no image.
static const TBBUTTON ToolbarButtons[] = {
    {0, IDM_SELECT_CACHE_FOLDER, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
    {1, IDM_OPEN_LINK, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
    {2, IDM_COPY_CACHE_FILES, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
    {0, 0, TBSTATE_ENABLED, BTNS_SEP, {0}, 0, 0},
    {3, IDM_SAVE_ITEMS, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
    {4, IDM_REFRESH, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
    {5, IDM_PROPERTIES, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
    {6, IDM_FIND, TBSTATE_ENABLED, BTNS_BUTTON, {0}, 0, 0},
};

// Tooltip texts are their own wording, not the menu items' texts.
struct ToolTipEntry {
    int Command;
    const char *Text;
};
static const ToolTipEntry ToolTipTable[] = {
    {IDM_SELECT_CACHE_FOLDER, "Select cache folder"},
    {IDM_OPEN_LINK, "Open link in web browser"},
    {IDM_COPY_CACHE_FILES, "Copy selected files to..."},
    {IDM_SAVE_ITEMS, "Save selected items"},
    {IDM_REFRESH, "Refresh"},
    {IDM_PROPERTIES, "Properties"},
    {IDM_FIND, "Find"},
};

// Buttons that depend on the selection: enabled for exactly one selected row
// (ExactlyOne) or for any selection. The other three are always enabled.
struct SelectionRule {
    int Command;
    int ExactlyOne;
};
static const SelectionRule SelectionRules[] = {
    {IDM_OPEN_LINK, 1},
    {IDM_COPY_CACHE_FILES, 0},
    {IDM_SAVE_ITEMS, 0},
    {IDM_PROPERTIES, 1},
};

HWND CreateToolbar(HWND mainWindow)
{
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBSTYLE_TRANSPARENT | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS;
    HWND toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, NULL, style, 0, 0, 0, 0, mainWindow,
                                   (HMENU)(INT_PTR)IDC_TOOLBAR, AppInstance, NULL);
    if (toolbar == NULL)
        return NULL;
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // Every common controls library this program runs on has masked image
    // lists, so the bitmap is always attached as one (light grey is the mask).
    ToolbarImageList = ImageList_LoadImageA(AppInstance, MAKEINTRESOURCEA(IDB_TOOLBAR), TOOLBAR_IMAGE_SIZE, 0,
                                            RGB(192, 192, 192), IMAGE_BITMAP, LR_DEFAULTCOLOR);
    SendMessageA(toolbar, TB_SETIMAGELIST, 0, (LPARAM)ToolbarImageList);
    SendMessageA(toolbar, TB_ADDBUTTONSA, countof(ToolbarButtons), (LPARAM)ToolbarButtons);
    SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
    return toolbar;
}

HWND CreateStatusBar(HWND mainWindow)
{
    HWND statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, NULL, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0,
                                     0, mainWindow, (HMENU)(INT_PTR)IDC_STATUSBAR, AppInstance, NULL);
    if (statusBar == NULL)
        return NULL;
    int rightEdges[] = {STATUS_PART_WIDTH, -1};
    SendMessageA(statusBar, SB_SETPARTS, countof(rightEdges), (LPARAM)rightEdges);
    // A status bar places itself along its parent's bottom edge on WM_SIZE.
    SendMessageA(statusBar, WM_SIZE, 0, 0);
    return statusBar;
}

const char *GetToolTipText(int command)
{
    for (const ToolTipEntry &entry : ToolTipTable)
        if (entry.Command == command)
            return entry.Text;
    return NULL;
}

// One row per unit, the first whose inclusive limit holds decides. The value
// shown is (v >> Shift) / Divisor in double precision; the TB row rounds
// v >> 30 to single precision first, so the largest count reads 16777216.00.
struct SizeUnit {
    unsigned long long Limit;
    const char *Format;
    int Shift;
    double Divisor;
    int SinglePrecision;
};
static const SizeUnit SizeUnits[] = {
    {1024ULL, "%1.0f B", 0, 1.0, 0},
    {1000ULL << 10, "%1.2f KB", 0, 1024.0, 0},
    {1000ULL << 20, "%1.2f MB", 0, 1048576.0, 0},
    {1000ULL << 30, "%1.2f GB", 10, 1048576.0, 0},
    {~0ULL, "%1.2f TB", 30, 1024.0, 1},
};

const char *FormatSizeText(const unsigned long long *bytes)
{
    static char text[SIZE_TEXT_SIZE];
    unsigned long long v = *bytes;
    for (const SizeUnit &unit : SizeUnits) {
        if (v > unit.Limit)
            continue;
        unsigned long long whole = v >> unit.Shift;
        double number = unit.SinglePrecision ? (double)(float)whole : (double)whole;
        snprintf(text, sizeof(text), unit.Format, number / unit.Divisor);
        break;
    }
    return text;
}

static void SetStatusText(const char *text)
{
    SendMessageA(StatusBarHandle, SB_SETTEXTA, 0, (LPARAM)text);
}

void RefreshStatus(void)
{
    int rows = (int)SendMessageA(ListViewHandle, LVM_GETITEMCOUNT, 0, 0);
    int selected = (int)SendMessageA(ListViewHandle, LVM_GETSELECTEDCOUNT, 0, 0);
    for (const SelectionRule &rule : SelectionRules) {
        BOOL enable = rule.ExactlyOne ? selected == 1 : selected > 0;
        SendMessageA(ToolbarHandle, TB_ENABLEBUTTON, rule.Command, MAKELPARAM(enable, 0));
    }
    char text[STATUS_TEXT_SIZE];
    // "%d item(s)", or "%d of %d item(s)" while a filter is applied.
    int length = FormatRowCountText(text, rows);
    if (selected != 0) {
        unsigned long long total = (unsigned long long)SelectedSizeTotal;
        wsprintfA(text + length, ", %d selected (%s)", selected, FormatSizeText(&total));
    }
    SetStatusText(text);
}

// Painted at once: a run pumps messages only every so often.
void ShowLoadProgress(int count)
{
    char text[STATUS_TEXT_SIZE];
    wsprintfA(text, "Loading... %d", count);
    SetStatusText(text);
    UpdateWindow(StatusBarHandle);
}

void ShowCopyProgress(int done, int total)
{
    char text[STATUS_TEXT_SIZE];
    wsprintfA(text, "Copying... %d of %d", done, total);
    SetStatusText(text);
    UpdateWindow(StatusBarHandle);
}
