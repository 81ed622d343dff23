// The preview pane window: a child of the main window between the list and
// the status bar. Its top strip is the splitter the user drags; below it a
// read-only edit control shows text and hex dumps, or the pane paints the
// picture itself; the bottom line tells what is shown.
//
// Focus changes in the list only restart a short timer; the row that still
// has the focus when it fires is read and decoded, so holding an arrow key
// down costs one decode at the end, not one per row.
//
// The [Preview] section (Show, Height) is written after the other sections,
// and only once it was read from the file or the pane was used: a user who
// never opens the pane keeps the settings file of fifteen keys.
#include "marrowick.h"

#include "ui/preview.h"

PreviewPaneState PreviewPane;

namespace {

const char PANE_CLASS[] = "MarrowickPreviewPane";
const char PREVIEW_SECTION[] = "Preview";
const char KEY_SHOW[] = "Show";
const char KEY_HEIGHT[] = "Height";

enum {
    SPLITTER_SIZE = 5,      // the strip along the pane's top edge
    LIST_MIN_ROWS = 3,      // full rows the list keeps above the pane
    STATUS_MARGIN = 4,
    PREVIEW_TIMER = 1
};

HFONT TextFont;        // fixed pitch, for the edit control
int StatusHeight;      // of the bottom line
int DragOffset = -1;   // cursor y within the splitter while dragging
WNDPROC PreviousTextViewProc;
// The shown text's extent in the view's font, for its scroll bars.
int TextWidth, TextHeight;

void LayoutMain(HWND mainWindow)
{
    if (IsIconic(mainWindow))
        return;
    RECT client;
    GetClientRect(mainWindow, &client);
    SendMessageA(mainWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

// The content area: below the splitter, above the status line.
RECT ContentArea(HWND pane)
{
    RECT r;
    GetClientRect(pane, &r);
    r.top = SPLITTER_SIZE;
    r.bottom -= StatusHeight;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}

void PaintPane(HWND pane)
{
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(pane, &ps);
    RECT client;
    GetClientRect(pane, &client);
    // Drawn off screen first: the checkerboard and the picture would
    // flicker while the splitter is dragged.
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right > 0 ? client.right : 1, client.bottom > 0 ? client.bottom : 1);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    RECT strip = {0, 0, client.right, SPLITTER_SIZE};
    DrawEdge(dc, &strip, EDGE_RAISED, BF_TOP | BF_BOTTOM);
    RECT area = ContentArea(pane);
    if (PreviewPane.Content.Kind == PREVIEW_IMAGE)
        DrawPreviewImage(dc, &area, &PreviewPane.Content);
    RECT line = {STATUS_MARGIN, area.bottom, client.right - STATUS_MARGIN, client.bottom};
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextA(dc, PreviewPane.Content.Status, -1, &line, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
    BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EndPaint(pane, &ps);
}

// Scroll bars only where the text needs them. The edit control keeps its
// bars shown (disabled) whenever it has the styles, so the styles come and
// go with the need; each bar's need depends on whether the other is shown.
// Returns 1 when a bar appeared or went.
int FitTextScrollBars(void)
{
    HWND view = PreviewPane.TextView;
    RECT outer;
    GetWindowRect(view, &outer);
    DWORD margins = (DWORD)SendMessageW(view, EM_GETMARGINS, 0, 0);
    int width = (int)(outer.right - outer.left) - 2 * GetSystemMetrics(SM_CXEDGE) - LOWORD(margins) - HIWORD(margins);
    int height = (int)(outer.bottom - outer.top) - 2 * GetSystemMetrics(SM_CYEDGE);
    int across = TextWidth > width;
    int down = TextHeight > height - (across ? GetSystemMetrics(SM_CYHSCROLL) : 0);
    across = TextWidth > width - (down ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    LONG style = GetWindowLongW(view, GWL_STYLE);
    int changed = ((style & WS_HSCROLL) != 0) != across || ((style & WS_VSCROLL) != 0) != down;
    if (changed) {
        ShowScrollBar(view, SB_HORZ, across);
        ShowScrollBar(view, SB_VERT, down);
    }
    return changed;
}

// Measures the text about to be shown: its lines and its widest line.
void MeasureText(const WCHAR *text)
{
    TextWidth = TextHeight = 0;
    if (!text || !text[0])
        return;
    HDC dc = GetDC(PreviewPane.TextView);
    HGDIOBJ old = SelectObject(dc, TextFont);
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    int lines = 0;
    for (const WCHAR *line = text; *line;) {
        const WCHAR *end = line;
        while (*end && *end != '\r')
            end++;
        SIZE size = {0, 0};
        GetTextExtentPoint32W(dc, line, (int)(end - line), &size);
        if (size.cx > TextWidth)
            TextWidth = (int)size.cx;
        lines++;
        line = *end ? end + 2 : end;  // every line break is CR LF
    }
    SelectObject(dc, old);
    ReleaseDC(PreviewPane.TextView, dc);
    TextHeight = lines * (int)metrics.tmHeight;
}

void PlaceTextView(HWND pane)
{
    RECT area = ContentArea(pane);
    MoveWindow(PreviewPane.TextView, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    // A bar that appears later has no range yet: the control sets it when
    // its text is set.
    if (FitTextScrollBars() && GetWindowTextLengthW(PreviewPane.TextView) > 0) {
        int length = GetWindowTextLengthW(PreviewPane.TextView);
        WCHAR *text = (WCHAR *)HeapAlloc(GetProcessHeap(), 0, ((SIZE_T)length + 1) * sizeof(WCHAR));
        if (text && GetWindowTextW(PreviewPane.TextView, text, length + 1))
            SetWindowTextW(PreviewPane.TextView, text);
        if (text)
            HeapFree(GetProcessHeap(), 0, text);
    }
}

// The pane's text keeps Tab for the dialog navigation of the main window
// (a multi-line edit control would take it and do nothing, being read-only),
// and selects all and copies its own text on Ctrl+A and Ctrl+C.
LRESULT CALLBACK TextViewProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE: {
        LRESULT code = CallWindowProcW(PreviousTextViewProc, view, message, wParam, lParam);
        const MSG *msg = (const MSG *)lParam;
        if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB)
            code &= ~(LRESULT)(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
        return code;
    }
    case WM_KEYDOWN:
        if (GetKeyState(VK_CONTROL) < 0 && (wParam == 'A' || wParam == 'C')) {
            if (wParam == 'A')
                SendMessageW(view, EM_SETSEL, 0, -1);
            else
                SendMessageW(view, WM_COPY, 0, 0);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == 1 || wParam == 3)
            return 0;  // Ctrl+A, Ctrl+C: done on the key
        break;
    }
    return CallWindowProcW(PreviousTextViewProc, view, message, wParam, lParam);
}

// A new height from the splitter, kept between the pane's least height and
// what leaves the list its least height.
void DragSplitter(HWND pane, int y)
{
    HWND parent = GetParent(pane);
    RECT paneRect, listRect;
    GetWindowRect(pane, &paneRect);
    GetWindowRect(ListViewHandle, &listRect);
    POINT cursor = {0, y};
    MapWindowPoints(pane, NULL, &cursor, 1);
    int height = (int)paneRect.bottom - (cursor.y - DragOffset);
    int most = (int)(paneRect.bottom - listRect.top) - ListMinHeight();
    if (height > most)
        height = most;
    if (height < PREVIEW_MIN_HEIGHT)
        height = PREVIEW_MIN_HEIGHT;
    if (height != PreviewPane.Height) {
        PreviewPane.Height = height;
        LayoutMain(parent);
    }
}

LRESULT OnMouse(HWND pane, UINT message, LPARAM lParam)
{
    int y = (short)HIWORD(lParam);
    switch (message) {
    case WM_LBUTTONDOWN:
        if (y < SPLITTER_SIZE) {
            DragOffset = y;
            SetCapture(pane);
        }
        break;
    case WM_MOUSEMOVE:
        if (DragOffset >= 0)
            DragSplitter(pane, y);
        break;
    case WM_LBUTTONUP:
        if (DragOffset >= 0)
            ReleaseCapture();  // WM_CAPTURECHANGED ends the drag
        break;
    }
    return 0;
}

int OverSplitter(HWND pane)
{
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(pane, &cursor);
    return cursor.y >= 0 && cursor.y < SPLITTER_SIZE;
}

LRESULT CALLBACK PaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        PaintPane(pane);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT fills everything
    case WM_SIZE:
        PlaceTextView(pane);
        InvalidateRect(pane, NULL, FALSE);
        return 0;
    case WM_SETCURSOR:
        if ((HWND)wParam == pane && LOWORD(lParam) == HTCLIENT && OverSplitter(pane)) {
            SetCursor(LoadCursorA(NULL, (LPCSTR)IDC_SIZENS));
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        return OnMouse(pane, message, lParam);
    case WM_CAPTURECHANGED:
        DragOffset = -1;
        return 0;
    case WM_TIMER:
        RefreshPreview();
        return 0;
    case WM_CTLCOLORSTATIC:
        // A read-only edit asks as a static; text reads best on the window colour.
        SetBkColor((HDC)wParam, GetSysColor(COLOR_WINDOW));
        SetTextColor((HDC)wParam, GetSysColor(COLOR_WINDOWTEXT));
        return (LRESULT)GetSysColorBrush(COLOR_WINDOW);
    case WM_DESTROY:
        KillTimer(pane, PREVIEW_TIMER);
        FreePreviewContent(&PreviewPane.Content);
        PreviewPane.ShownFile[0] = '\0';
        return 0;
    }
    return DefWindowProcA(pane, message, wParam, lParam);
}

void RegisterPaneClass(void)
{
    WNDCLASSA wc;
    if (GetClassInfoA(AppInstance, PANE_CLASS, &wc))
        return;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = PaneProc;
    wc.hInstance = AppInstance;
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.lpszClassName = PANE_CLASS;
    RegisterClassA(&wc);
}

void MeasureStatusLine(HWND pane)
{
    HDC dc = GetDC(pane);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(pane, dc);
    StatusHeight = metrics.tmHeight + 2 * STATUS_MARGIN;
}

void OpenPane(HWND mainWindow)
{
    RegisterPaneClass();
    // WS_EX_CONTROLPARENT: the dialog navigation of the main window tabs
    // into the edit control.
    PreviewPane.Window = CreateWindowExA(WS_EX_CONTROLPARENT, PANE_CLASS, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                         0, 0, 0, 0, mainWindow, (HMENU)(INT_PTR)IDC_PREVIEW, AppInstance, NULL);
    if (!PreviewPane.Window)
        return;
    MeasureStatusLine(PreviewPane.Window);
    TextFont = CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
    // The only Unicode window of the program: UTF-8 and UTF-16 text shows
    // as the characters it holds, whatever the ANSI code page.
    PreviewPane.TextView = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                           WS_CHILD | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                                               ES_AUTOHSCROLL,
                                           0, 0, 0, 0, PreviewPane.Window, (HMENU)(INT_PTR)IDC_PREVIEW_TEXT,
                                           AppInstance, NULL);
    if (!PreviewPane.TextView)
        return;
    SendMessageW(PreviewPane.TextView, WM_SETFONT, (WPARAM)TextFont, FALSE);
    // Text set by the program is not bound by the limit for typing, but a
    // 64 KiB payload with lone line feeds doubles: lift it anyway.
    SendMessageW(PreviewPane.TextView, EM_SETLIMITTEXT, 0, 0);
    PreviousTextViewProc =
        (WNDPROC)SetWindowLongPtrW(PreviewPane.TextView, GWLP_WNDPROC, (LONG_PTR)TextViewProc);
}

void ClosePane(void)
{
    HWND focus = GetFocus();
    if (focus && (focus == PreviewPane.Window || IsChild(PreviewPane.Window, focus)))
        SetFocus(ListViewHandle);
    if (FocusWindow == PreviewPane.TextView)
        FocusWindow = ListViewHandle;
    DestroyWindow(PreviewPane.Window);
    PreviewPane.Window = PreviewPane.TextView = NULL;
    if (TextFont)
        DeleteObject(TextFont);
    TextFont = NULL;
    DragOffset = -1;
}

// Hands the loaded content to the view: the edit control keeps its own copy
// of the text; pictures and lines are painted by the pane.
void ShowContent(void)
{
    PreviewContent *content = &PreviewPane.Content;
    HWND view = PreviewPane.TextView;
    int textual = content->Kind == PREVIEW_TEXT || content->Kind == PREVIEW_HEX;
    if (!textual && GetFocus() == view)
        SetFocus(ListViewHandle);
    // Hidden before its text changes, and emptied only when it held text:
    // every line set costs the edit control a layout pass.
    if (!textual && IsWindowVisible(view))
        ShowWindow(view, SW_HIDE);
    if (textual || GetWindowTextLengthW(view) > 0) {
        const WCHAR *text = textual && content->Text ? content->Text : L"";
        MeasureText(text);
        FitTextScrollBars();
        SetWindowTextW(view, text);
    }
    if (textual && !IsWindowVisible(view))
        ShowWindow(view, SW_SHOWNA);
    if (content->Text)
        HeapFree(GetProcessHeap(), 0, content->Text);
    content->Text = NULL;
    InvalidateRect(PreviewPane.Window, NULL, FALSE);
}

// The focused row's cache file path in `path` (ACTION_PATH_SIZE), "" for no
// row; the row's Content Type text in `mediaType`.
int FocusedCacheFile(char *path, char *mediaType)
{
    path[0] = mediaType[0] = '\0';
    int row = ShownRowAt((int)SendMessageA(ListViewHandle, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED));
    if (row < 0)
        return 1;
    lstrcpynA(mediaType, RowText(row, COL_CONTENT_TYPE), ROW_TEXT_SIZE + 1);
    return BuildRowCachePath(NULL, NULL, path, AppSettings.CacheFolder, row);
}

}  // namespace

void InitPreviewPane(HWND mainWindow)
{
    ZeroMemory(&PreviewPane, sizeof(PreviewPane));
    char keys[64] = "";
    PreviewPane.Remember = GetPrivateProfileStringA(PREVIEW_SECTION, NULL, "", keys, sizeof(keys), SettingsFilePath) > 0;
    int show = (int)GetPrivateProfileIntA(PREVIEW_SECTION, KEY_SHOW, 0, SettingsFilePath);
    int height = (int)GetPrivateProfileIntA(PREVIEW_SECTION, KEY_HEIGHT, PREVIEW_DEFAULT_HEIGHT, SettingsFilePath);
    // Anything but 1 is off; a height out of range takes the default.
    PreviewPane.Shown = show == 1;
    PreviewPane.Height = height >= PREVIEW_MIN_HEIGHT && height <= PREVIEW_MAX_HEIGHT ? height : PREVIEW_DEFAULT_HEIGHT;
    if (PreviewPane.Shown)
        OpenPane(mainWindow);
}

void SavePreviewSettings(void)
{
    if (!PreviewPane.Remember)
        return;
    WriteSettingInt(PREVIEW_SECTION, KEY_SHOW, PreviewPane.Shown);
    WriteSettingInt(PREVIEW_SECTION, KEY_HEIGHT, PreviewPane.Height);
}

void ShutdownPreviewPane(void)
{
    if (PreviewPane.Window)
        ClosePane();
    ShutdownPreviewImages();
}

void TogglePreviewPane(HWND mainWindow)
{
    PreviewPane.Remember = 1;
    PreviewPane.Shown = PreviewPane.Shown ? 0 : 1;
    if (PreviewPane.Shown)
        OpenPane(mainWindow);
    else
        ClosePane();
    LayoutMain(mainWindow);
    RefreshPreview();
}

// A row's height in the list: measured on the first row; without rows, the
// taller of the font and a small icon with a margin, a little more than a
// row rather than less.
static int ListRowHeight(void)
{
    RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
    if (SendMessageA(ListViewHandle, LVM_GETITEMRECT, 0, (LPARAM)&bounds))
        return (int)(bounds.bottom - bounds.top);
    HDC dc = GetDC(ListViewHandle);
    HGDIOBJ old = SelectObject(dc, (HGDIOBJ)SendMessageA(ListViewHandle, WM_GETFONT, 0, 0));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(ListViewHandle, dc);
    int icon = GetSystemMetrics(SM_CYSMICON);
    return (metrics.tmHeight > icon ? (int)metrics.tmHeight : icon) + 2;
}

int ListMinHeight(void)
{
    int row = ListRowHeight();
    RECT header = {0, 0, 0, 0};
    GetWindowRect((HWND)SendMessageA(ListViewHandle, LVM_GETHEADER, 0, 0), &header);
    return (int)(header.bottom - header.top) + LIST_MIN_ROWS * row + GetSystemMetrics(SM_CYHSCROLL) +
           2 * GetSystemMetrics(SM_CYBORDER);
}

void FitPreviewHeightToWindow(HWND mainWindow)
{
    if (!PreviewPane.Window || IsIconic(mainWindow))
        return;
    RECT pane, list;
    GetWindowRect(PreviewPane.Window, &pane);
    GetWindowRect(ListViewHandle, &list);
    int most = (int)(pane.bottom - list.top) - ListMinHeight();
    if (most < PREVIEW_MIN_HEIGHT)
        most = PREVIEW_MIN_HEIGHT;
    if (PreviewPane.Height > most)
        PreviewPane.Height = most;
}

int PlacePreviewPane(int width, int top, int height)
{
    if (!PreviewPane.Window)
        return height;
    int pane = PreviewPane.Height;
    int least = ListMinHeight();
    if (pane > height - least)
        pane = height - least;
    if (pane < 0)
        pane = 0;
    MoveWindow(PreviewPane.Window, 0, top + height - pane, width, pane, TRUE);
    return height - pane;
}

void PreviewListChanged(const NMHDR *header)
{
    if (!PreviewPane.Window)
        return;
    if (header->code == LVN_ITEMCHANGED) {
        const NMLISTVIEW *change = (const NMLISTVIEW *)header;
        if (!(change->uChanged & LVIF_STATE) || !((change->uNewState ^ change->uOldState) & LVIS_FOCUSED))
            return;
    } else {
        return;
    }
    // Restarted by every change: only the row that keeps the focus is read.
    SetTimer(PreviewPane.Window, PREVIEW_TIMER, PREVIEW_DELAY_MS, NULL);
}

void PreviewViewChanged(int reloaded)
{
    if (!PreviewPane.Window)
        return;
    if (reloaded) {
        // The same cache file name may now hold another payload.
        FreePreviewContent(&PreviewPane.Content);
        PreviewPane.ShownFile[0] = '\0';
        ShowContent();
    }
    SetTimer(PreviewPane.Window, PREVIEW_TIMER, PREVIEW_DELAY_MS, NULL);
}

void RefreshPreview(void)
{
    if (!PreviewPane.Window)
        return;
    KillTimer(PreviewPane.Window, PREVIEW_TIMER);
    char path[ACTION_PATH_SIZE];
    char mediaType[ROW_TEXT_SIZE + 1];
    int fits = FocusedCacheFile(path, mediaType);
    if (fits && lstrcmpiA(path, PreviewPane.ShownFile) == 0)
        return;
    FreePreviewContent(&PreviewPane.Content);
    PreviewPane.ShownFile[0] = '\0';
    if (!fits) {
        PreviewPane.Content.Kind = PREVIEW_MESSAGE;
        lstrcpyA(PreviewPane.Content.Status, "The cache file path is too long to preview.");
    } else if (path[0]) {
        LoadPreviewContent(path, mediaType, &PreviewPane.Content);
        lstrcpyA(PreviewPane.ShownFile, path);
    }
    ShowContent();
}

int IsPreviewTextKey(const MSG *msg)
{
    return PreviewPane.TextView && msg->hwnd == PreviewPane.TextView && msg->message == WM_KEYDOWN &&
           (msg->wParam == 'A' || msg->wParam == 'C') && GetKeyState(VK_CONTROL) < 0;
}
