// The cache list view, a view of the row store. Creates the report list with
// its ten columns (remembered widths and order from the settings file), the
// shell's small icons and the header's sort arrows; hides and shows columns;
// and subclasses the control for the centred empty-list text and for Enter.
#include "marrowick.h"

#include <shellapi.h>

const ListColumn ListColumns[COLUMN_COUNT] = {
    {"Filename", LVCFMT_LEFT, 120},
    {"URL", LVCFMT_LEFT, 350},
    {"Content Type", LVCFMT_LEFT, 110},
    {"File Size", LVCFMT_RIGHT, 100},
    {"Server Time", LVCFMT_LEFT, 120},
    {"Last Modified", LVCFMT_LEFT, 120},
    {"Expire Time", LVCFMT_LEFT, 120},
    {"Server Response", LVCFMT_LEFT, 120},
    {"ETag", LVCFMT_LEFT, 120},
    {"Cache File", LVCFMT_LEFT, 120},
};

// Starts at the DefaultWidth entries above (the list view tests check that).
int RestoreColumnWidths[COLUMN_COUNT] = {120, 350, 110, 100, 120, 120, 120, 120, 120, 120};

EmptyTextRecord EmptyTextState;
EmptyTextRecord *ActiveEmptyText;

// The list view's own window procedure, saved when it is subclassed.
static WNDPROC PreviousListViewProc;

static const char SECTION_WIN_POSITIONS[] = "WinPositions";
static const char KEY_COLUMN_WIDTHS[] = "ColumnWidths";
static const char KEY_COLUMN_ORDER[] = "ColumnOrder";
enum { LIST_SETTING_SIZE = 120 };   // longer values are cut

// Header notifications during column tracking: the empty text must be
// repainted because the header's redraw may wipe the band it lies in.
static const UINT HeaderTrackCodes[] = {HDN_ITEMCHANGINGA, HDN_ITEMCHANGINGW, HDN_ENDTRACKA, HDN_ENDTRACKW};

// Reads a comma list of ten integers over `slots` (which hold the defaults);
// returns 0 when the key is missing or empty, leaving the slots alone.
static int ReadColumnSetting(const char *key, int *slots)
{
    char text[LIST_SETTING_SIZE];
    GetPrivateProfileStringA(SECTION_WIN_POSITIONS, key, "", text, sizeof(text), SettingsFilePath);
    if (text[0] == '\0')
        return 0;
    ParseIntList(text, COLUMN_COUNT, slots);
    return 1;
}

// A hand-edited or damaged ColumnOrder could name a column twice or one that
// does not exist; the header would then lose a column for good (the broken
// array is written back at close). Only a true permutation of 0..9 is used.
static int IsColumnPermutation(const int *order)
{
    int seen[COLUMN_COUNT] = {0};
    for (int i = 0; i < COLUMN_COUNT; i++) {
        if (order[i] < 0 || order[i] >= COLUMN_COUNT || seen[order[i]])
            return 0;
        seen[order[i]] = 1;
    }
    return 1;
}

int InsertListColumn(HWND listView, int format, int width, const char *title, int index)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = (char *)title;
    column.iSubItem = index;
    return (int)SendMessageA(listView, LVM_INSERTCOLUMNA, index, (LPARAM)&column);
}

// The shell's system image list of small icons: the same list whose indexes
// the entry reader computes for every row. Shared; never destroyed here.
static HIMAGELIST GetSystemSmallImages(void)
{
    SHFILEINFOA info = {};
    return (HIMAGELIST)SHGetFileInfoA("", FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                                      SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
}

// Image 0 a downward, image 1 an upward triangle, 14 x 14, light grey masked.
static void AttachSortArrows(HWND listView)
{
    HWND header = (HWND)SendMessageA(listView, LVM_GETHEADER, 0, 0);
    if (header == NULL)
        return;
    HIMAGELIST arrows = ImageList_LoadImageA(AppInstance, MAKEINTRESOURCEA(IDB_SORT_ARROWS), 14, 0,
                                             RGB(192, 192, 192), IMAGE_BITMAP, LR_DEFAULTCOLOR);
    SendMessageA(header, HDM_SETIMAGELIST, 0, (LPARAM)arrows);
}

int ReadListCellText(HWND listView, int row, int column, char *buffer, int size)
{
    if (size < 2) {
        if (size)
            buffer[0] = '\0';
        return 0;
    }
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = size - 1;
    buffer[0] = '\0';
    SendMessageA(listView, LVM_GETITEMTEXTA, (WPARAM)row, (LPARAM)&item);
    buffer[size - 2] = '\0';
    return lstrlenA(buffer);
}

void ReadColumnWidths(int *widths)
{
    for (int i = 0; i < COLUMN_COUNT; i++)
        widths[i] = ListColumns[i].DefaultWidth;
    ReadColumnSetting(KEY_COLUMN_WIDTHS, widths);
    // The program never writes a negative width (0 hides the column): the
    // column's default instead.
    for (int i = 0; i < COLUMN_COUNT; i++)
        if (widths[i] < 0)
            widths[i] = ListColumns[i].DefaultWidth;
}

HWND CreateCacheListView(HWND mainWindow)
{
    int widths[COLUMN_COUNT];
    int order[COLUMN_COUNT];
    for (int i = 0; i < COLUMN_COUNT; i++)
        order[i] = i;
    // No sort style: the list never sorts itself, the sort code does. Owner
    // data: the rows live in the row store, the control holds their count.
    DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS |
                  LVS_SHAREIMAGELISTS | LVS_ALIGNLEFT | LVS_OWNERDATA;
    HWND listView = CreateWindowExA(0, WC_LISTVIEWA, NULL, style, 0, 0, 0, 0, mainWindow,
                                    (HMENU)(INT_PTR)IDC_LIST, AppInstance, NULL);
    if (listView == NULL)
        return NULL;
    ClearRowStore();    // a new list starts without rows
    SendMessageA(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_LABELTIP);

    ReadColumnWidths(widths);
    for (int i = 0; i < COLUMN_COUNT; i++)
        InsertListColumn(listView, ListColumns[i].Format, widths[i], ListColumns[i].Title, i);

    SendMessageA(listView, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)GetSystemSmallImages());

    if (ReadColumnSetting(KEY_COLUMN_ORDER, order) && IsColumnPermutation(order))
        SendMessageA(listView, LVM_SETCOLUMNORDERARRAY, COLUMN_COUNT, (LPARAM)order);

    AttachSortArrows(listView);
    PreviousListViewProc =
        (WNDPROC)SetWindowLongPtrA(listView, GWLP_WNDPROC, (LONG_PTR)ListViewSubclassProc);
    return listView;
}

void FreeSortArrowImages(HWND listView)
{
    HWND header = (HWND)SendMessageA(listView, LVM_GETHEADER, 0, 0);
    if (header == NULL)
        return;
    HIMAGELIST arrows = (HIMAGELIST)SendMessageA(header, HDM_GETIMAGELIST, 0, 0);
    // Detach before destroying, so a second call cannot free the list twice
    // and the header never holds a dead handle.
    SendMessageA(header, HDM_SETIMAGELIST, 0, 0);
    if (arrows != NULL)
        ImageList_Destroy(arrows);
}

void ToggleColumn(HWND listView, int column)
{
    if (column < 0 || column >= COLUMN_COUNT)
        return;
    int width = (int)SendMessageA(listView, LVM_GETCOLUMNWIDTH, column, 0);
    if (width > 0) {
        RestoreColumnWidths[column] = width;
        width = 0;
    } else {
        width = RestoreColumnWidths[column];
    }
    SendMessageA(listView, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0));
}

void ScrollListToTop(HWND listView)
{
    // Emptying the list does not reset its scroll position, so a new scan
    // would open scrolled to wherever the previous list was left.
    int left = GetScrollPos(listView, SB_HORZ);
    if (left > 0)
        SendMessageA(listView, LVM_SCROLL, (WPARAM)-left, 0);
    if (SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0) > 0)
        SendMessageA(listView, LVM_ENSUREVISIBLE, 0, FALSE);
}

static int ListHasRows(HWND listView)
{
    return SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0) > 0;
}

// Copies and measures the text once: every line break starts a new line, the
// block starts EMPTY_TEXT_TOP pixels below the top and is centred across the
// client width (left may go negative when the text is wider than the list).
static LRESULT SetEmptyText(HWND listView, const char *text)
{
    if (text == NULL) {
        ActiveEmptyText = NULL;
        return 1;
    }
    EmptyTextRecord &state = EmptyTextState;
    lstrcpynA(state.Text, text, EMPTY_TEXT_SIZE);
    state.Font = (HFONT)SendMessageA(listView, WM_GETFONT, 0, 0);
    RECT rect = {0, EMPTY_TEXT_TOP, 0, 0};
    HDC dc = GetDC(listView);
    HGDIOBJ oldFont = state.Font ? SelectObject(dc, state.Font) : NULL;
    DrawTextA(dc, state.Text, -1, &rect, DT_CALCRECT | DT_NOPREFIX);
    if (oldFont != NULL)
        SelectObject(dc, oldFont);
    ReleaseDC(listView, dc);

    RECT client;
    GetClientRect(listView, &client);
    LONG width = rect.right - rect.left;
    rect.left = (client.right - width) / 2;
    rect.right = rect.left + width;
    state.Rect = rect;
    ActiveEmptyText = &state;

    RECT band = {client.left, rect.top, client.right, rect.bottom};
    InvalidateRect(listView, &band, TRUE);
    return 1;
}

// newWidth < 0: no size, repaint the text where it is (scrolling and column
// tracking draw over it). Otherwise centre it across the new client width and
// repaint only the horizontal union of the old and the new place.
static void RecentreEmptyText(HWND listView, int newWidth)
{
    if (ActiveEmptyText == NULL || ListHasRows(listView))
        return;
    RECT &rect = ActiveEmptyText->Rect;
    if (newWidth < 0) {
        InvalidateRect(listView, &rect, TRUE);
        return;
    }
    LONG width = rect.right - rect.left;
    LONG left = (newWidth - width) / 2;
    LONG right = left + width;
    if (right == rect.right)
        return;
    RECT dirty = {left < rect.left ? left : rect.left, rect.top, right > rect.right ? right : rect.right,
                  rect.bottom};
    InvalidateRect(listView, &dirty, TRUE);
    rect.left = left;
    rect.right = right;
}

// The list erases its background first; the text goes on top, in the
// device context's current text colour, only while the list is empty.
static LRESULT PaintEmptyText(HWND listView, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallWindowProcA(PreviousListViewProc, listView, WM_ERASEBKGND, wParam, lParam);
    if (ActiveEmptyText == NULL || ListHasRows(listView))
        return result;
    HDC dc = (HDC)wParam;
    int oldMode = SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = ActiveEmptyText->Font ? SelectObject(dc, ActiveEmptyText->Font) : NULL;
    RECT rect = ActiveEmptyText->Rect;
    DrawTextA(dc, ActiveEmptyText->Text, -1, &rect, DT_CENTER | DT_NOPREFIX);
    if (oldFont != NULL)
        SelectObject(dc, oldFont);
    SetBkMode(dc, oldMode);
    return result;
}

static int IsHeaderTracking(const NMHDR *header)
{
    if (header == NULL || header->idFrom != 0)
        return 0;
    for (UINT code : HeaderTrackCodes)
        if (header->code == code)
            return 1;
    return 0;
}

static int IsHeaderRightClick(HWND listView, const NMHDR *header)
{
    return header != NULL && header->code == (UINT)NM_RCLICK &&
           header->hwndFrom == (HWND)SendMessageA(listView, LVM_GETHEADER, 0, 0);
}

// The main window's dialog navigation would take Enter for itself; claiming
// its key-down lets the list report NM_RETURN for the default action.
static int IsEnterKeyDown(LPARAM lParam)
{
    const MSG *msg = (const MSG *)lParam;
    return msg != NULL && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN;
}

LRESULT CALLBACK ListViewSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETEMPTYTEXT:
        return SetEmptyText(window, (const char *)lParam);
    case WM_ERASEBKGND:
        return PaintEmptyText(window, wParam, lParam);
    case WM_SIZE:
        RecentreEmptyText(window, lParam == 0 ? -1 : (int)LOWORD(lParam));
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
        RecentreEmptyText(window, -1);
        break;
    case WM_NOTIFY:
        if (IsHeaderTracking((const NMHDR *)lParam))
            RecentreEmptyText(window, -1);
        // Not every list view passes its header's right click on to its
        // parent; the main window's answer goes back to the header.
        if (IsHeaderRightClick(window, (const NMHDR *)lParam))
            return SendMessageA(GetParent(window), WM_NOTIFY, wParam, lParam);
        break;
    case WM_GETDLGCODE:
        if (IsEnterKeyDown(lParam))
            return DLGC_WANTALLKEYS;
        break;
    }
    return CallWindowProcA(PreviousListViewProc, window, message, wParam, lParam);
}
