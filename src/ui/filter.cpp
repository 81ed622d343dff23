// The quick filter: the box at the right end of the toolbar and the
// matching. Applying a filter marks the row store's rows that match and the
// list shows those of the current sort order; a new text or an empty one
// marks them again. So rows always come back in the current sort order (or
// in scan order without a key), and nothing is read from disk again. A
// deleted row is gone from the store, so it never comes back.
#include "marrowick.h"

#include <string.h>

char AppliedFilter[FILTER_TEXT_SIZE];
HWND FilterBoxHandle;

static HWND FilterClearButton;     // "x" right of the box, enabled while it holds text
static HWND ClearButtonTip;        // its tooltip
static WNDPROC PreviousFilterBoxProc;
static int FilterBoxHeight;

enum {
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

// --- Applying ---------------------------------------------------------------

int FilterActive(void)
{
    return AppliedFilter[0] != '\0';
}

void MarkFilteredRows(void)
{
    char words[FILTER_TEXT_SIZE + 1];
    SplitFilterWords(AppliedFilter, words);
    for (int row = 0; row < RowStore.Count; row++) {
        StoredRow *stored = &RowStore.Rows[row];
        if (stored->Flags & ROW_DELETED)
            continue;
        const char *texts[COLUMN_COUNT];
        for (int column = 0; column < COLUMN_COUNT; column++)
            texts[column] = RowText(row, column);
        if (RowMatchesWords(texts, words))
            stored->Flags |= ROW_SHOWN;
        else
            stored->Flags &= (unsigned char)~ROW_SHOWN;
    }
}

int ApplyFilter(HWND, HWND listView, const char *text)
{
    char words[FILTER_TEXT_SIZE + 1], joined[FILTER_TEXT_SIZE];
    SplitFilterWords(text, words);
    JoinWords(words, joined);
    if (lstrcmpA(joined, AppliedFilter) == 0)
        return 1;   // only blanks changed
    lstrcpyA(AppliedFilter, joined);
    // The rows keep the current sort order; the selection starts empty, as
    // after a scan. Nothing is read from disk again.
    MarkFilteredRows();
    RebuildShownRows();
    ShowRowView(listView, 0);
    return 1;
}

int FormatRowCountText(char *text, int rows)
{
    if (FilterActive())
        return wsprintfA(text, "%d of %d item(s)", rows, RowStore.LiveCount);
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
