// WM_NOTIFY of the main window: list view events (keys, sorting by header
// click, the running total of selected payload sizes, zero-length marking,
// context menus, the default action) and the toolbar's tooltip texts; and
// WM_CONTEXTMENU, for the header's and the keyboard's context menus.
#include "marrowick.h"

long long SelectedSizeTotal;
int StatusUpdatePending;

enum { SORT_KEY_COLUMN_BITS = 0xFF, SORT_KEY_REVERSED_BIT = 0x100 };

static const COLORREF EmptyRowBackground = RGB(255, 220, 220);

static void ShowContextMenu(HWND mainWindow, HMENU menu, POINT at)
{
    if (!menu)
        return;  // the popup menu resource did not load
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, mainWindow, NULL);
}

// Where the header right click was whose NM_RCLICK opened the column menu.
// Wine's header sends WM_CONTEXTMENU for the same click whatever the answer
// to NM_RCLICK was; the same point tells that message apart from a click of
// its own, so the menu opens once.
static POINT HeaderClickPoint;
static int HeaderClickAnswered;

static POINT CursorPoint(void)
{
    POINT cursor;
    GetCursorPos(&cursor);
    return cursor;
}

static HWND ListHeader(void)
{
    return ListViewHandle ? (HWND)SendMessageA(ListViewHandle, LVM_GETHEADER, 0, 0) : NULL;
}

// Where a menu opened from the keyboard goes: below the focused row's label,
// scrolled into view first; with no focused row, the top left of the rows.
static POINT FocusedRowPoint(HWND listView)
{
    RECT client, header = {0, 0, 0, 0};
    GetClientRect(listView, &client);
    GetClientRect(ListHeader(), &header);
    POINT at = {client.left, header.bottom};
    int row = (int)SendMessageA(listView, LVM_GETNEXTITEM, (WPARAM)-1, MAKELPARAM(LVNI_FOCUSED, 0));
    RECT label;
    label.left = LVIR_LABEL;
    if (row != -1 && SendMessageA(listView, LVM_ENSUREVISIBLE, (WPARAM)row, FALSE) &&
        SendMessageA(listView, LVM_GETITEMRECT, (WPARAM)row, (LPARAM)&label)) {
        at.x = label.left < client.left ? client.left : label.left > client.right ? client.right : label.left;
        at.y = label.bottom > client.bottom ? client.bottom : label.bottom;
    }
    ClientToScreen(listView, &at);
    return at;
}

LRESULT OnContextMenu(HWND mainWindow, HWND from, LPARAM lParam)
{
    HWND header = ListHeader();
    if (!from || (from != ListViewHandle && from != header))
        return 0;
    // Shift+F10 or the menu key: the rows' menu, at the focused row.
    if (lParam == -1) {
        ShowContextMenu(mainWindow, FileMenu, FocusedRowPoint(ListViewHandle));
        return 0;
    }
    // A right click on the header that came without NM_RCLICK (or whose
    // NM_RCLICK went unanswered). Right clicks on the rows came as NM_RCLICK
    // and were answered, so nothing more opens for them here.
    POINT at = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    int answered = HeaderClickAnswered && at.x == HeaderClickPoint.x && at.y == HeaderClickPoint.y;
    HeaderClickAnswered = 0;
    RECT headerRect;
    if (!answered && header && GetWindowRect(header, &headerRect) && PtInRect(&headerRect, at))
        ShowContextMenu(mainWindow, ColumnMenu, at);
    return 0;
}

// Same column: flip the reversed bit; another column (or no key, whose low
// byte 255 matches none): ascending.
static int NextSortKey(int key, int column)
{
    if ((key & SORT_KEY_COLUMN_BITS) == column)
        return column | ((key & SORT_KEY_REVERSED_BIT) ^ SORT_KEY_REVERSED_BIT);
    return column;
}

void RequestStatusUpdate(HWND mainWindow)
{
    // One posted refresh per burst: it runs after every notification of a
    // Select All or Invert Selection has arrived.
    if (!StatusUpdatePending) {
        PostMessageA(mainWindow, WM_UPDATESTATUS, 0, 0);
        StatusUpdatePending = 1;
    }
}

// Halfway between two colours: the selection of a list without the focus.
static COLORREF MixColors(COLORREF a, COLORREF b)
{
    return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2, (GetBValue(a) + GetBValue(b)) / 2);
}

static LRESULT OnCustomDraw(NMLVCUSTOMDRAW *draw)
{
    int unfocused = GetFocus() != draw->nmcd.hdr.hwndFrom;
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return AppSettings.MarkEmptyFiles || unfocused ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT: {
        // An owner-data list has no item data: the size is the store's.
        int row = ShownRowAt((int)draw->nmcd.dwItemSpec);
        if (AppSettings.MarkEmptyFiles && row >= 0 && RowStore.Rows[row].PayloadSize == 0)
            draw->clrTextBk = EmptyRowBackground;
        // Wine draws the selection of a list without the focus in the
        // button face colour, next to invisible on the white rows: while
        // the filter box or the preview has the keyboard the rows are
        // drawn as unselected, on a pale highlight colour.
        if (unfocused && (draw->nmcd.uItemState & CDIS_SELECTED)) {
            draw->nmcd.uItemState &= ~(UINT)CDIS_SELECTED;
            draw->clrTextBk = MixColors(GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_WINDOW));
            draw->clrText = GetSysColor(COLOR_WINDOWTEXT);
        }
        return CDRF_DODEFAULT;
    }
    default:
        return 0;
    }
}

static void PostDefaultAction(HWND mainWindow)
{
    // The command's own condition applies, so a double-click on empty space
    // acts on the current selection, or does nothing.
    int action = AppSettings.DefaultAction;
    if (action >= 0 && action < countof(DefaultActionCommands))
        PostMessageA(mainWindow, WM_COMMAND, DefaultActionCommands[action], 0);
}

static void SupplyToolTipText(NMHDR *header)
{
    // The toolbar's tooltip asks by button command; TTF_DI_SETITEM makes it
    // keep the text instead of asking again.
    NMTTDISPINFOA *info = (NMTTDISPINFOA *)header;
    info->lpszText = (LPSTR)GetToolTipText((int)header->idFrom);
    info->uFlags |= TTF_DI_SETITEM;
}

// Keys that act only while the list has the keyboard: Del and Shift+Del
// must not delete rows while the filter box is being edited.
static void OnListKey(HWND mainWindow, WORD key)
{
    int command = 0;
    if (key == 'A' && GetKeyState(VK_CONTROL) < 0)
        command = IDM_SELECT_ALL;
    else if (key == VK_DELETE && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0)
        command = GetKeyState(VK_SHIFT) < 0 ? IDM_DELETE_PERMANENTLY : IDM_DELETE_FILES;
    if (command)
        PostMessageA(mainWindow, WM_COMMAND, command, 0);
}

static LRESULT OnListNotify(HWND mainWindow, NMHDR *header)
{
    PreviewListChanged(header);
    LRESULT result;
    if (HandleRowListNotify(mainWindow, header, &result))
        return result;
    switch (header->code) {
    case LVN_KEYDOWN:
        OnListKey(mainWindow, ((NMLVKEYDOWN *)header)->wVKey);
        return 0;
    case LVN_COLUMNCLICK:
        AppSettings.SortByColumn = NextSortKey(AppSettings.SortByColumn, ((NMLISTVIEW *)header)->iSubItem);
        SortList(ListViewHandle, AppSettings.SortByColumn);
        return 0;
    case NM_CUSTOMDRAW:
        return OnCustomDraw((NMLVCUSTOMDRAW *)header);
    case NM_RCLICK:
        // Non-zero: answered, so the list sends no WM_CONTEXTMENU after it.
        ShowContextMenu(mainWindow, FileMenu, CursorPoint());
        return 1;
    case NM_DBLCLK:
    case NM_RETURN:
        PostDefaultAction(mainWindow);
        return 0;
    case TTN_GETDISPINFOA:
        SupplyToolTipText(header);
        return 0;
    }
    return 0;
}

LRESULT OnNotify(HWND mainWindow, NMHDR *header)
{
    if (header->idFrom == IDC_LIST)
        return OnListNotify(mainWindow, header);
    // The header control has no id of its own; tell it by its handle. The
    // list view's subclass passes its NM_RCLICK on; non-zero keeps the
    // header from sending WM_CONTEXTMENU as well.
    if (header->idFrom == 0 && header->code == NM_RCLICK && header->hwndFrom && header->hwndFrom == ListHeader()) {
        DWORD click = GetMessagePos();
        HeaderClickPoint.x = (short)LOWORD(click);
        HeaderClickPoint.y = (short)HIWORD(click);
        HeaderClickAnswered = 1;
        ShowContextMenu(mainWindow, ColumnMenu, CursorPoint());
        return 1;
    }
    if (header->code == TTN_GETDISPINFOA)
        SupplyToolTipText(header);
    return 0;
}
