// The quick filter: the box at the right end of the toolbar, the store of
// the rows a filter takes out of the list view, and the matching.
//
// Applying a filter takes every row of the list into FilterStore once, then
// refills the list with the rows that match, frozen, and sorts them by the
// current key; a new text or an empty one refills it again from the store.
// So rows always come back in the current sort order (or in scan order
// without a key), with the texts, icon and size they had, and nothing is
// read from disk again. Deleting a shown row marks its copy, found by its
// Cache File text, so that it stays gone.
#include "marrowick.h"

#include <stdlib.h>
#include <string.h>

FilterStoreRecord FilterStore;
char AppliedFilter[FILTER_TEXT_SIZE];
HWND FilterBoxHandle;

static HWND FilterClearButton;     // "x" right of the box, enabled while it holds text
static HWND ClearButtonTip;        // its tooltip
static WNDPROC PreviousFilterBoxProc;
static int FilterBoxHeight;

enum {
    // A cell holds at most what the 4,096 header bytes gave it, and its
    // terminator (the read buffer has one byte more: ReadListCellText).
    STORE_CELL_SIZE = CACHE_HEADER_READ_SIZE + 1,
    STORE_TEXT_GUESS = 256,         // bytes per row to start the text pool with
    FILTER_BOX_GAP = 8,             // between the last button and the box
    FILTER_BOX_MARGIN = 4           // between the box and the toolbar's right end
};

// --- Matching -------------------------------------------------------------

int SplitFilterWords(const char *text, char *words)
{
    int count = 0;
    char *out = words;
    for (const char *p = text; *p && out - words < FILTER_TEXT_SIZE - 1;) {
        if (*p == ' ') {
            p++;
            continue;
        }
        while (*p && *p != ' ' && out - words < FILTER_TEXT_SIZE - 1)
            *out++ = *p++;
        *out++ = '\0';
        count++;
    }
    *out = '\0';
    return count;
}

// Every byte's lower case as the system maps it in the ANSI code page: A to Z
// and the code page's own letters (in code page 1252 \xC4 against \xE4 and
// so on); other bytes map to themselves. Built on first use.
static unsigned char FilterFold[256];

static void BuildFilterFold()
{
    if (FilterFold['A'])
        return;
    for (int i = 0; i < 256; i++) {
        char c = (char)i;
        if (i)
            CharLowerBuffA(&c, 1);
        FilterFold[i] = (unsigned char)c;
    }
}

// 1 when `word` occurs in `cell` without regard to case.
static int ContainsFolded(const char *cell, const char *word)
{
    for (; *cell; cell++) {
        const unsigned char *c = (const unsigned char *)cell, *w = (const unsigned char *)word;
        while (*w && FilterFold[*c] == FilterFold[*w]) {
            c++;
            w++;
        }
        if (!*w)
            return 1;
    }
    return 0;
}

int RowMatchesWords(const char *const texts[COLUMN_COUNT], const char *words)
{
    BuildFilterFold();
    for (const char *word = words; *word; word += strlen(word) + 1) {
        int found = 0;
        for (int column = 0; column < COLUMN_COUNT && !found; column++)
            found = ContainsFolded(texts[column], word);
        if (!found)
            return 0;
    }
    return 1;
}

// The words joined by one blank: what AppliedFilter holds for them.
static void JoinWords(const char *words, char *joined)
{
    joined[0] = '\0';
    for (const char *word = words; *word; word += strlen(word) + 1) {
        if (joined[0])
            lstrcatA(joined, " ");
        lstrcatA(joined, word);
    }
}

// --- The store ------------------------------------------------------------

static void FreeFilterStore(void)
{
    HANDLE heap = GetProcessHeap();
    HeapFree(heap, 0, FilterStore.Rows);
    HeapFree(heap, 0, FilterStore.Texts);
    HeapFree(heap, 0, FilterStore.ByCacheFile);
    ZeroMemory(&FilterStore, sizeof(FilterStore));
}

static const char *StoredText(const FilterRow *row, int column)
{
    return FilterStore.Texts + row->TextOffset[column];
}

// Copies a text into the pool, which grows by doubling; 0 when out of memory.
static int AddStoredText(const char *text, int length, int *offset)
{
    if (FilterStore.TextsUsed + length + 1 > FilterStore.TextsSize) {
        int size = FilterStore.TextsSize * 2 + length + 1;
        char *texts = (char *)HeapReAlloc(GetProcessHeap(), 0, FilterStore.Texts, (SIZE_T)size);
        if (!texts)
            return 0;
        FilterStore.Texts = texts;
        FilterStore.TextsSize = size;
    }
    *offset = FilterStore.TextsUsed;
    memcpy(FilterStore.Texts + FilterStore.TextsUsed, text, (size_t)length + 1);
    FilterStore.TextsUsed += length + 1;
    return 1;
}

// Reads one row's ten texts, icon and item data into the store.
static int TakeListRow(HWND listView, int index, FilterRow *row)
{
    static char cell[STORE_CELL_SIZE + 1];
    LVITEMA item = {};
    item.mask = LVIF_IMAGE | LVIF_PARAM;
    item.iItem = index;
    SendMessageA(listView, LVM_GETITEMA, 0, (LPARAM)&item);
    row->IconIndex = item.iImage;
    row->PayloadSize = (unsigned int)item.lParam;
    row->Deleted = 0;
    for (int column = 0; column < COLUMN_COUNT; column++) {
        int length = ReadListCellText(listView, index, column, cell, sizeof(cell));
        if (!AddStoredText(cell, length, &row->TextOffset[column]))
            return 0;
    }
    return 1;
}

static int CompareCacheFiles(const void *a, const void *b)
{
    const FilterRow *rows = FilterStore.Rows;
    return strcmp(StoredText(&rows[*(const int *)a], COL_CACHE_FILE),
                  StoredText(&rows[*(const int *)b], COL_CACHE_FILE));
}

// Takes every row of the list into the store, in list order. 0 when out of
// memory; the store is empty then.
static int TakeListRows(HWND listView)
{
    int count = (int)SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0);
    HANDLE heap = GetProcessHeap();
    // One more than needed: an empty list still gets a store.
    FilterStore.Rows = (FilterRow *)HeapAlloc(heap, 0, sizeof(FilterRow) * (SIZE_T)(count + 1));
    FilterStore.ByCacheFile = (int *)HeapAlloc(heap, 0, sizeof(int) * (SIZE_T)(count + 1));
    FilterStore.TextsSize = count * STORE_TEXT_GUESS + STORE_CELL_SIZE;
    FilterStore.Texts = (char *)HeapAlloc(heap, 0, (SIZE_T)FilterStore.TextsSize);
    int ok = FilterStore.Rows && FilterStore.ByCacheFile && FilterStore.Texts;
    for (int i = 0; ok && i < count; i++) {
        ok = TakeListRow(listView, i, &FilterStore.Rows[i]);
        FilterStore.ByCacheFile[i] = i;
    }
    if (!ok) {
        FreeFilterStore();
        return 0;
    }
    FilterStore.RowCount = FilterStore.LiveCount = count;
    qsort(FilterStore.ByCacheFile, (size_t)count, sizeof(int), CompareCacheFiles);
    return 1;
}

static void AppendStoredRow(HWND listView, const FilterRow *stored)
{
    CacheRow row;
    for (int column = 0; column < COLUMN_COUNT; column++)
        row.Text[column] = StoredText(stored, column);
    row.IconIndex = stored->IconIndex;
    row.PayloadSize = stored->PayloadSize;
    AppendCacheRow(listView, &row);
}

// Refills the list with the live rows that match `words`, frozen, and sorts
// them by the current key. The selection starts empty, as after a scan.
static void ShowStoredRows(HWND listView, const char *words)
{
    SendMessageA(listView, WM_SETREDRAW, FALSE, 0);
    FilterStore.Rebuilding = 1;
    SendMessageA(listView, LVM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < FilterStore.RowCount; i++) {
        const FilterRow *row = &FilterStore.Rows[i];
        if (row->Deleted)
            continue;
        const char *texts[COLUMN_COUNT];
        for (int column = 0; column < COLUMN_COUNT; column++)
            texts[column] = StoredText(row, column);
        if (RowMatchesWords(texts, words))
            AppendStoredRow(listView, row);
    }
    FilterStore.Rebuilding = 0;
    if (AppSettings.SortByColumn != -1)
        SortList(listView, AppSettings.SortByColumn);
    SendMessageA(listView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listView, NULL, TRUE);
}

int FilterActive(void)
{
    return AppliedFilter[0] && FilterStore.Rows;
}

int ApplyFilter(HWND mainWindow, HWND listView, const char *text)
{
    char words[FILTER_TEXT_SIZE + 1], joined[FILTER_TEXT_SIZE];
    int count = SplitFilterWords(text, words);
    JoinWords(words, joined);
    if (FilterStore.Rows && lstrcmpA(joined, AppliedFilter) == 0)
        return 1;   // only blanks changed
    if (count == 0) {
        if (FilterStore.Rows) {
            ShowStoredRows(listView, words);
            FreeFilterStore();
        }
        AppliedFilter[0] = '\0';
        return 1;
    }
    if (!FilterStore.Rows && !TakeListRows(listView)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        ShowErrorBox(mainWindow, "%s", ERROR_ARG_SYSTEM);
        return 0;
    }
    lstrcpyA(AppliedFilter, joined);
    ShowStoredRows(listView, words);
    return 1;
}

// --- Hooks of the list view and the main window ---------------------------

void OnFilterListEmptied(void)
{
    // A scan starts over; the filter text stays for its rows.
    if (FilterStore.Rows && !FilterStore.Rebuilding)
        FreeFilterStore();
}

// First position in ByCacheFile whose row's Cache File text is not below `name`.
static int LowerBoundCacheFile(const char *name)
{
    int low = 0, high = FilterStore.RowCount;
    while (low < high) {
        int middle = low + (high - low) / 2;
        if (strcmp(StoredText(&FilterStore.Rows[FilterStore.ByCacheFile[middle]], COL_CACHE_FILE), name) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

void OnFilterRowDeleting(HWND listView, int row)
{
    if (!FilterStore.Rows || FilterStore.Rebuilding)
        return;
    char name[ROW_TEXT_SIZE + 1], url[ROW_TEXT_SIZE + 1];
    ReadRowColumnText(listView, row, COL_CACHE_FILE, name);
    ReadRowColumnText(listView, row, COL_URL, url);
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageA(listView, LVM_GETITEMA, 0, (LPARAM)&item);
    // The Cache File text names the file, so it is unique in a real load;
    // URL and size tell apart rows that share it anyway.
    for (int i = LowerBoundCacheFile(name); i < FilterStore.RowCount; i++) {
        FilterRow *stored = &FilterStore.Rows[FilterStore.ByCacheFile[i]];
        if (strcmp(StoredText(stored, COL_CACHE_FILE), name) != 0)
            break;
        if (!stored->Deleted && stored->PayloadSize == (unsigned int)item.lParam &&
            strcmp(StoredText(stored, COL_URL), url) == 0) {
            stored->Deleted = 1;
            FilterStore.LiveCount--;
            return;
        }
    }
}

void ReapplyFilterAfterLoad(HWND mainWindow, HWND listView)
{
    if (!AppliedFilter[0] || FilterStore.Rows)
        return;     // no filter, or the scan never emptied the list
    char text[FILTER_TEXT_SIZE];
    lstrcpyA(text, AppliedFilter);
    AppliedFilter[0] = '\0';
    ApplyFilter(mainWindow, listView, text);
}

void RedisplayFilteredDates(int showGmt)
{
    for (int i = 0; FilterStore.Rows && i < FilterStore.RowCount; i++) {
        FilterRow *row = &FilterStore.Rows[i];
        for (int column = COL_SERVER_TIME; column <= COL_EXPIRE_TIME; column++) {
            char cell[DATE_CELL_TEXT_SIZE];
            const char *text = StoredText(row, column);
            // The new text goes to the end of the pool; should the pool fail
            // to grow, the row keeps its old text.
            if (text[0] && ShiftDateCell(text, showGmt, cell))
                AddStoredText(cell, lstrlenA(cell), &row->TextOffset[column]);
        }
    }
}

int FormatRowCountText(char *text, int rows)
{
    if (FilterActive())
        return wsprintfA(text, "%d of %d item(s)", rows, FilterStore.LiveCount);
    return wsprintfA(text, "%d item(s)", rows);
}

// --- The filter box -------------------------------------------------------

static void ApplyFilterBoxText(void)
{
    KillTimer(FilterBoxHandle, FILTER_TIMER_ID);
    // Inside a scan, a copy or a box of ours the rows are not to be touched:
    // the text is applied once that has ended.
    if (IsBusy()) {
        DeferUntilIdle(FilterBoxHandle, WM_TIMER, FILTER_TIMER_ID);
        return;
    }
    char text[FILTER_TEXT_SIZE];
    GetWindowTextA(FilterBoxHandle, text, sizeof(text));
    if (ApplyFilter(MainWindowHandle, ListViewHandle, text))
        SendMessageA(MainWindowHandle, WM_UPDATESTATUS, 0, 0);
}

// The list takes the keyboard at its focused row, or at the first one.
static void FocusList(void)
{
    HWND list = ListViewHandle;
    SetFocus(list);
    if (SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)-1, MAKELPARAM(LVNI_FOCUSED, 0)) != -1)
        return;
    LVITEMA item = {};
    item.stateMask = item.state = LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, (LPARAM)&item);
}

static void ClearFilterBox(void)
{
    SetWindowTextA(FilterBoxHandle, "");
    ApplyFilterBoxText();
}

static LRESULT OnFilterBoxKey(WPARAM key)
{
    if (key == VK_RETURN || key == VK_DOWN) {
        ApplyFilterBoxText();
        FocusList();
        return 1;
    }
    if (key == VK_ESCAPE) {
        ClearFilterBox();
        return 1;
    }
    return 0;
}

static LRESULT CALLBACK FilterBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE: {
        // The main window's dialog navigation would take Enter and Esc.
        const MSG *msg = (const MSG *)lParam;
        if (msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
            return DLGC_WANTALLKEYS;
        break;
    }
    case WM_KEYDOWN:
        if (OnFilterBoxKey(wParam))
            return 0;
        break;
    case WM_CHAR:
        // The characters of Enter, Ctrl+Enter and Esc would only beep.
        if (wParam == '\r' || wParam == '\n' || wParam == VK_ESCAPE)
            return 0;
        break;
    case WM_TIMER:
        if (wParam == FILTER_TIMER_ID) {
            ApplyFilterBoxText();
            return 0;
        }
        break;
    }
    return CallWindowProcA(PreviousFilterBoxProc, box, message, wParam, lParam);
}

// The clear button's tooltip. It is registered on the toolbar by the
// button's rectangle (kept up to date by PlaceFilterBox), not on the button
// itself: a disabled button gets no mouse messages, its parent gets them.
// The button's own messages are relayed too, so the tip shows either way.
static void AddClearButtonTip(HWND toolbar)
{
    ClearButtonTip = CreateWindowExA(0, TOOLTIPS_CLASSA, NULL, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, toolbar, NULL,
                                     AppInstance, NULL);
    if (!ClearButtonTip)
        return;
    TTTOOLINFOA tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = toolbar;
    tool.uId = IDC_FILTER_CLEAR;
    tool.lpszText = (LPSTR) "Clear the filter (Esc)";
    SendMessageA(ClearButtonTip, TTM_ADDTOOLA, 0, (LPARAM)&tool);
    tool.uFlags = TTF_SUBCLASS | TTF_IDISHWND;
    tool.uId = (UINT_PTR)FilterClearButton;
    SendMessageA(ClearButtonTip, TTM_ADDTOOLA, 0, (LPARAM)&tool);
}

HWND CreateFilterBox(HWND toolbar)
{
    HWND box = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0,
                               FILTER_BOX_WIDTH, 0, toolbar, (HMENU)(INT_PTR)IDC_FILTER_BOX, AppInstance, NULL);
    FilterBoxHandle = box;
    if (!box)
        return NULL;
    HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    SendMessageA(box, WM_SETFONT, (WPARAM)font, FALSE);
    SendMessageA(box, EM_LIMITTEXT, FILTER_TEXT_SIZE - 1, 0);
    // The cue text is a wide string whatever the window's character set.
    SendMessageA(box, EM_SETCUEBANNER, FALSE, (LPARAM)L"Filter");
    TEXTMETRICA metrics = {};
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, font);
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    FilterBoxHeight = metrics.tmHeight + 2 * GetSystemMetrics(SM_CYEDGE) + 4;
    PreviousFilterBoxProc = (WNDPROC)SetWindowLongPtrA(box, GWLP_WNDPROC, (LONG_PTR)FilterBoxProc);
    FilterClearButton = CreateWindowExA(0, "BUTTON", "x", WS_CHILD | WS_VISIBLE | WS_DISABLED | BS_PUSHBUTTON, 0, 0, 0,
                                        0, toolbar, (HMENU)(INT_PTR)IDC_FILTER_CLEAR, AppInstance, NULL);
    SendMessageA(FilterClearButton, WM_SETFONT, (WPARAM)font, FALSE);
    AddClearButtonTip(toolbar);
    return box;
}

void PlaceFilterBox(void)
{
    if (!FilterBoxHandle)
        return;
    RECT bar = {}, last = {};
    GetClientRect(ToolbarHandle, &bar);
    int buttons = (int)SendMessageA(ToolbarHandle, TB_BUTTONCOUNT, 0, 0);
    SendMessageA(ToolbarHandle, TB_GETITEMRECT, (WPARAM)(buttons - 1), (LPARAM)&last);
    // At the right end; in a narrow window it shrinks rather than cover a button.
    int left = bar.right - FILTER_BOX_MARGIN - FILTER_BOX_WIDTH;
    if (left < last.right + FILTER_BOX_GAP)
        left = last.right + FILTER_BOX_GAP;
    // The clear button is as wide as the box is high, right of the box.
    int width = bar.right - FILTER_BOX_MARGIN - FilterBoxHeight - left;
    int top = (bar.bottom - FilterBoxHeight) / 2;
    if (top < 0)
        top = 0;
    if (width < 0)
        width = 0;
    MoveWindow(FilterBoxHandle, left, top, width, FilterBoxHeight, TRUE);
    MoveWindow(FilterClearButton, left + width, top, FilterBoxHeight, FilterBoxHeight, TRUE);
    TTTOOLINFOA tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = ToolbarHandle;
    tool.uId = IDC_FILTER_CLEAR;
    SetRect(&tool.rect, left + width, top, left + width + FilterBoxHeight, top + FilterBoxHeight);
    SendMessageA(ClearButtonTip, TTM_NEWTOOLRECTA, 0, (LPARAM)&tool);
}

void FocusFilterBox(void)
{
    if (!FilterBoxHandle)
        return;
    SetFocus(FilterBoxHandle);
    SendMessageA(FilterBoxHandle, EM_SETSEL, 0, -1);
}

// The toolbar hands its children's WM_COMMAND on to the main window.
int OnFilterBoxCommand(WPARAM wParam, LPARAM lParam)
{
    if (!FilterBoxHandle || !lParam)
        return 0;
    if ((HWND)lParam == FilterClearButton) {
        if (HIWORD(wParam) == BN_CLICKED) {
            ClearFilterBox();
            SetFocus(FilterBoxHandle);
        }
        return 1;
    }
    if ((HWND)lParam != FilterBoxHandle)
        return 0;
    if (HIWORD(wParam) == EN_CHANGE) {
        // Every change restarts the pause, so fast typing filters once.
        SetTimer(FilterBoxHandle, FILTER_TIMER_ID, FILTER_DELAY_MS, NULL);
        EnableWindow(FilterClearButton, GetWindowTextLengthA(FilterBoxHandle) > 0);
    }
    return 1;
}
