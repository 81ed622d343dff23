// The list view as a view of the row store (LVS_OWNERDATA): the control
// holds a row count and the selection by index; texts and icons come from
// the store on LVN_GETDISPINFO, type-ahead on LVN_ODFINDITEM. The store's
// ROW_SELECTED marks follow the control's selection notifications, so that
// SelectedSizeTotal changes only by rows whose state really changed, and so
// that a sort or a deletion can give the same rows their selection back at
// their new places.
#include "marrowick.h"

#include <string.h>

// Set while the view itself changes the control's selection: those changes
// are the view's doing and say nothing about the rows.
static int ViewUpdating;
// The store row that has the list's focus, -1 for none: its index may change
// under the control before ShowRowView puts the focus back on the row.
static int FocusedRow = -1;

static void SetListRowState(HWND listView, int index, UINT mask, UINT state)
{
    LVITEMA item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(listView, LVM_SETITEMSTATE, (WPARAM)index, (LPARAM)&item);
}

static void ClearSelectionMarks(void)
{
    for (int row = 0; row < RowStore.Count; row++)
        RowStore.Rows[row].Flags &= (unsigned char)~ROW_SELECTED;
    SelectedSizeTotal = 0;
}

void HideRowView(HWND listView)
{
    ViewUpdating = 1;
    SendMessageA(listView, LVM_SETITEMCOUNT, 0, 0);
    ViewUpdating = 0;
    ClearSelectionMarks();
    ClearStatusNote();
    FocusedRow = -1;
    PreviewViewChanged(1);
}

static int ListIndexOf(int row)
{
    for (int i = 0; row >= 0 && i < RowView.ShownCount; i++)
        if (RowView.Shown[i] == row)
            return i;
    return -1;
}

// Gives the marked rows their selection at their present indexes: one
// request for all when every shown row is marked, else one per row.
static void PushSelectionMarks(HWND listView)
{
    int marked = 0;
    for (int i = 0; i < RowView.ShownCount; i++)
        if (RowStore.Rows[RowView.Shown[i]].Flags & ROW_SELECTED)
            marked++;
    if (marked && marked == RowView.ShownCount) {
        SetListRowState(listView, -1, LVIS_SELECTED, LVIS_SELECTED);
        return;
    }
    for (int i = 0; marked && i < RowView.ShownCount; i++)
        if (RowStore.Rows[RowView.Shown[i]].Flags & ROW_SELECTED)
            SetListRowState(listView, i, LVIS_SELECTED, LVIS_SELECTED);
}

// Scrolls the list back to `top` as its first row shown, where a count of 0
// has taken it to the top.
static void ScrollToTopRow(HWND listView, int top)
{
    RECT rect = {};
    rect.left = LVIR_BOUNDS;
    if (top <= 0 || top >= RowView.ShownCount || !SendMessageA(listView, LVM_GETITEMRECT, 0, (LPARAM)&rect))
        return;
    int now = (int)SendMessageA(listView, LVM_GETTOPINDEX, 0, 0);
    SendMessageA(listView, LVM_SCROLL, 0, (LPARAM)((top - now) * (rect.bottom - rect.top)));
}

void ShowRowView(HWND listView, int keepSelection)
{
    ViewUpdating = 1;
    // Wine's owner-data list keeps its selection as sorted ranges and takes
    // a row out of them with a search from the first range on; a deselection
    // of every row goes row by row. With a fragmented selection (every third
    // of 100,000 rows) that costs rows x ranges: half a minute. A count of 0
    // drops every range in one pass, and giving the rows their selection
    // back in ascending order only ever appends a range.
    int top = (int)SendMessageA(listView, LVM_GETTOPINDEX, 0, 0);
    SendMessageA(listView, LVM_SETITEMCOUNT, 0, LVSICF_NOINVALIDATEALL);
    // No invalidation by the count: one repaint follows below.
    SendMessageA(listView, LVM_SETITEMCOUNT, (WPARAM)RowView.ShownCount, LVSICF_NOINVALIDATEALL);
    ScrollToTopRow(listView, top);
    if (keepSelection) {
        PushSelectionMarks(listView);
        int index = ListIndexOf(FocusedRow);
        if (index >= 0) {
            SetListRowState(listView, index, LVIS_FOCUSED, LVIS_FOCUSED);
            SendMessageA(listView, LVM_SETSELECTIONMARK, 0, (LPARAM)index);
        } else {
            FocusedRow = -1;
        }
    }
    ViewUpdating = 0;
    if (!keepSelection) {
        ClearSelectionMarks();
        FocusedRow = -1;
    }
    RecountSelectedSize(listView);
    InvalidateRect(listView, NULL, TRUE);
    PreviewViewChanged(0);
}

void InvertRowSelection(HWND listView)
{
    for (int i = 0; i < RowView.ShownCount; i++)
        RowStore.Rows[RowView.Shown[i]].Flags ^= ROW_SELECTED;
    ShowRowView(listView, 1);
    ClearStatusNote();
    RequestStatusUpdate(GetParent(listView));
}

void RecountSelectedSize(HWND)
{
    long long total = 0;
    for (int i = 0; i < RowView.ShownCount; i++) {
        const StoredRow *stored = &RowStore.Rows[RowView.Shown[i]];
        if (stored->Flags & ROW_SELECTED)
            total += stored->PayloadSize;
    }
    SelectedSizeTotal = total;
}

// One row's selection mark; the total changes only when the mark does.
static void MarkRowSelected(int row, int selected)
{
    if (row < 0)
        return;
    StoredRow *stored = &RowStore.Rows[row];
    if (selected == ((stored->Flags & ROW_SELECTED) != 0))
        return;
    stored->Flags ^= ROW_SELECTED;
    // The payload size is unsigned 32-bit: 2 GiB and more count positive.
    SelectedSizeTotal += selected ? (long long)stored->PayloadSize : -(long long)stored->PayloadSize;
}

static void OnRowsStateChanged(HWND mainWindow, int from, int to, UINT oldState, UINT newState)
{
    if (ViewUpdating)
        return;
    if (from == to && ((oldState ^ newState) & LVIS_FOCUSED))
        FocusedRow = (newState & LVIS_FOCUSED) ? ShownRowAt(from) : -1;
    if (!((oldState | newState) & LVIS_SELECTED))
        return;
    // A find miss is said until the selection changes.
    ClearStatusNote();
    int selected = (newState & LVIS_SELECTED) != 0;
    if (from < 0) {     // every row at once
        from = 0;
        to = RowView.ShownCount - 1;
    }
    for (int i = from; i <= to; i++)
        MarkRowSelected(ShownRowAt(i), selected);
    RequestStatusUpdate(mainWindow);
}

static void SupplyRowDisplay(NMLVDISPINFOA *info)
{
    LVITEMA &item = info->item;
    int row = ShownRowAt(item.iItem);
    if (row < 0)
        return;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
        lstrcpynA(item.pszText, RowText(row, item.iSubItem), item.cchTextMax);
    if (item.mask & LVIF_IMAGE)
        item.iImage = RowStore.Rows[row].IconIndex;
}

// Type-ahead: the first row from iStart on (wrapping when asked) whose
// Filename starts with the typed text, letter case aside; -1 for none.
static int FindRowByName(const NMLVFINDITEMA *find)
{
    const LVFINDINFOA &info = find->lvfi;
    if (!(info.flags & (LVFI_STRING | LVFI_PARTIAL)) || !info.psz || RowView.ShownCount == 0)
        return -1;
    int length = lstrlenA(info.psz);
    int count = RowView.ShownCount;
    int start = find->iStart >= 0 && find->iStart < count ? find->iStart : 0;
    int steps = (info.flags & LVFI_WRAP) ? count : count - start;
    for (int k = 0; k < steps; k++) {
        int index = (start + k) % count;
        const char *name = RowText(RowView.Shown[index], COL_FILENAME);
        int nameLength = lstrlenA(name);
        int compared = (info.flags & LVFI_PARTIAL) && nameLength > length ? length : nameLength;
        if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name, compared, info.psz, length) == CSTR_EQUAL)
            return index;
    }
    return -1;
}

int HandleRowListNotify(HWND mainWindow, NMHDR *header, LRESULT *result)
{
    *result = 0;
    switch (header->code) {
    case LVN_GETDISPINFOA:
        SupplyRowDisplay((NMLVDISPINFOA *)header);
        return 1;
    case LVN_ODFINDITEMA:
        *result = FindRowByName((const NMLVFINDITEMA *)header);
        return 1;
    case LVN_ODSTATECHANGED: {
        const NMLVODSTATECHANGE *change = (const NMLVODSTATECHANGE *)header;
        OnRowsStateChanged(mainWindow, change->iFrom, change->iTo, change->uOldState, change->uNewState);
        return 1;
    }
    case LVN_ITEMCHANGED: {
        const NMLISTVIEW *change = (const NMLISTVIEW *)header;
        if (change->uChanged & LVIF_STATE)
            OnRowsStateChanged(mainWindow, change->iItem, change->iItem, change->uOldState, change->uNewState);
        return 1;
    }
    }
    return 0;
}

int CollectSelectedRows(HWND owner, HWND listView, int **rows)
{
    *rows = NULL;
    int count = (int)SendMessageA(listView, LVM_GETSELECTEDCOUNT, 0, 0);
    if (count <= 0)
        return 0;
    *rows = (int *)HeapAlloc(GetProcessHeap(), 0, sizeof(int) * (SIZE_T)count);
    if (!*rows) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        ShowErrorBox(owner, "%s", ERROR_ARG_SYSTEM);
        return -1;
    }
    int taken = 0, index = -1;
    while (taken < count &&
           (index = (int)SendMessageA(listView, LVM_GETNEXTITEM, (WPARAM)index, MAKELPARAM(LVNI_SELECTED, 0))) != -1) {
        int row = ShownRowAt(index);
        if (row >= 0)
            (*rows)[taken++] = row;
    }
    return taken;
}

void FreeSelectedRows(int *rows)
{
    if (rows)
        HeapFree(GetProcessHeap(), 0, rows);
}
