// About box: icon, name and version, and a link button that looks and acts
// like a hyperlink (hot-tracking colour where it reads on the dialog, else a
// fixed blue; underlined at rest, hand cursor and clickable only over its
// text).
#include "marrowick.h"

#include <shellapi.h>

// The page the link opens; the link's caption in the dialog template is
// "Website - " followed by this same address.
const char WebsiteAddress[] = "https://marrowick.github.io/";

LinkButtonStateRecord LinkButtonState;

enum { LINK_TEXT_MAX = 1024 };

// Caption of the link button, up to LINK_TEXT_MAX characters.
static void GetLinkCaption(HWND button, char *caption)
{
    GetWindowTextA(button, caption, LINK_TEXT_MAX + 1);
}

// WM_LINKINIT: loads the hand cursor, keeps the dialog's font as the plain
// font, measures the caption (one line, no '&' prefixes) from 0,0 and gives
// the button an underlined copy of the font, owned by LinkButtonState until
// the button is destroyed.
static LRESULT OnLinkInit(HWND button)
{
    LinkButtonState.HandCursor = LoadCursorA(NULL, IDC_HAND);
    LinkButtonState.PlainFont = (HFONT)SendMessageA(button, WM_GETFONT, 0, 0);
    LinkButtonState.Hot = 0;

    char caption[LINK_TEXT_MAX + 1];
    GetLinkCaption(button, caption);
    SetRectEmpty(&LinkButtonState.TextRect);
    HDC dc = GetDC(button);
    HGDIOBJ previousFont = LinkButtonState.PlainFont ? SelectObject(dc, LinkButtonState.PlainFont) : NULL;
    DrawTextA(dc, caption, -1, &LinkButtonState.TextRect, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    if (previousFont)
        SelectObject(dc, previousFont);
    ReleaseDC(button, dc);

    LinkButtonState.UnderlinedFont = NULL;
    LOGFONTA description;
    if (LinkButtonState.PlainFont && GetObjectA(LinkButtonState.PlainFont, sizeof(description), &description)) {
        description.lfUnderline = TRUE;
        LinkButtonState.UnderlinedFont = CreateFontIndirectA(&description);
        SendMessageA(button, WM_SETFONT, (WPARAM)LinkButtonState.UnderlinedFont, FALSE);
    }
    return 1;
}

// WM_NCHITTEST: only the caption's extent belongs to the button; elsewhere
// the click falls through to the dialog beneath. Screen coordinates are
// signed: monitors left of or above the primary one have negative ones.
static LRESULT OnLinkHitTest(HWND button, LPARAM lParam)
{
    const RECT &text = LinkButtonState.TextRect;
    RECT hit;
    GetWindowRect(button, &hit);
    OffsetRect(&hit, text.left, text.top);
    hit.right = hit.left + (text.right - text.left);
    hit.bottom = hit.top + (text.bottom - text.top);
    POINT point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    if (!PtInRect(&hit, point))
        return HTTRANSPARENT;
    return CallWindowProcA(LinkButtonState.PreviousProc, button, WM_NCHITTEST, 0, lParam);
}

// WM_MOUSEMOVE: entering the caption shows the plain font and captures the
// mouse, so that leaving it (even onto the rest of the button) is seen and
// brings the underline back. The right and bottom edges count as inside.
static void OnLinkMouseMove(HWND button, LPARAM lParam)
{
    int x = (short)LOWORD(lParam), y = (short)HIWORD(lParam);
    const RECT &text = LinkButtonState.TextRect;
    bool inside = x >= text.left && x <= text.right && y >= text.top && y <= text.bottom;
    if (inside && !LinkButtonState.Hot) {
        SendMessageA(button, WM_SETFONT, (WPARAM)LinkButtonState.PlainFont, FALSE);
        InvalidateRect(button, &LinkButtonState.TextRect, TRUE);
        SetCapture(button);
        LinkButtonState.Hot = 1;
    } else if (!inside && LinkButtonState.Hot) {
        // Hot is cleared first: ReleaseCapture sends WM_CAPTURECHANGED here.
        LinkButtonState.Hot = 0;
        SendMessageA(button, WM_SETFONT, (WPARAM)LinkButtonState.UnderlinedFont, FALSE);
        InvalidateRect(button, &LinkButtonState.TextRect, FALSE);
        if (!ReleaseCapture())
            LinkButtonState.Hot = 1;
    }
}

// The capture went elsewhere (another window activated, a click pressed the
// button): back to the underlined font.
static void OnLinkCaptureChanged(HWND button)
{
    if (!LinkButtonState.Hot)
        return;
    SendMessageA(button, WM_SETFONT, (WPARAM)LinkButtonState.UnderlinedFont, FALSE);
    InvalidateRect(button, &LinkButtonState.TextRect, TRUE);
    LinkButtonState.Hot = 0;
}

// Window procedure of the subclassed link button; the rest goes to the
// button's own procedure.
LRESULT CALLBACK LinkButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETCURSOR:
        if (!LinkButtonState.HandCursor)
            break;
        SetCursor(LinkButtonState.HandCursor);
        return 1;
    case WM_NCHITTEST:      return OnLinkHitTest(button, lParam);
    case WM_MOUSEMOVE:      OnLinkMouseMove(button, lParam); return 0;
    case WM_CAPTURECHANGED: OnLinkCaptureChanged(button); return 0;
    case WM_LINKINIT:       return OnLinkInit(button);
    case WM_LINKGETRECT:
        if (lParam)
            *(RECT *)lParam = LinkButtonState.TextRect;
        return 1;
    case WM_DESTROY:
        if (LinkButtonState.UnderlinedFont)
            DeleteObject(LinkButtonState.UnderlinedFont);
        LinkButtonState.UnderlinedFont = NULL;
        break;
    }
    return CallWindowProcA(LinkButtonState.PreviousProc, button, message, wParam, lParam);
}

// Draws the link: its caption in a readable link colour on the button face,
// and a focus rectangle around the caption's extent when the focus arrives
// or leaves (ODA_FOCUS; DrawFocusRect inverts, so twice removes it) or on a
// full redraw while focused, unless keyboard cues are hidden.
void DrawLinkButton(const DRAWITEMSTRUCT *item)
{
    RECT textRect = {};
    SendMessageA(item->hwndItem, WM_LINKGETRECT, 0, (LPARAM)&textRect);
    if (item->itemAction & ODA_DRAWENTIRE) {
        char caption[LINK_TEXT_MAX + 1];
        GetLinkCaption(item->hwndItem, caption);
        HGDIOBJ previousBrush = SelectObject(item->hDC, GetSysColorBrush(COLOR_BTNFACE));
        COLORREF face = GetSysColor(COLOR_BTNFACE);
        COLORREF link = ReadableLinkColor(GetSysColor(COLOR_HOTLIGHT), face);
        COLORREF previousText = SetTextColor(item->hDC, link);
        COLORREF previousBack = SetBkColor(item->hDC, face);
        RECT itemRect = item->rcItem;
        DrawTextA(item->hDC, caption, -1, &itemRect, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
        SetTextColor(item->hDC, previousText);
        SetBkColor(item->hDC, previousBack);
        SelectObject(item->hDC, previousBrush);
    }
    bool focus = (item->itemAction & ODA_FOCUS)
              || ((item->itemState & ODS_FOCUS) && (item->itemAction & ODA_DRAWENTIRE));
    if (focus && !(item->itemState & ODS_NOFOCUSRECT))
        DrawFocusRect(item->hDC, &textRect);
}

static INT_PTR OnAboutCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDOK:
    case IDCANCEL:
        EndDialog(dialog, id);
        return TRUE;
    case IDC_WEBSITE:
        // A click on the caption or Space while focused. Whether a browser
        // could be started is not reported.
        if (code == BN_CLICKED)
            ShellExecuteA(dialog, "open", WebsiteAddress, NULL, NULL, SW_SHOWNORMAL);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        HWND link = GetDlgItem(dialog, IDC_WEBSITE);
        LinkButtonState.PreviousProc = (WNDPROC)SetWindowLongPtrA(link, GWLP_WNDPROC, (LONG_PTR)LinkButtonProc);
        SendMessageA(link, WM_LINKINIT, 0, 0);
        return TRUE;
    }
    case WM_DRAWITEM:
        if (wParam != IDC_WEBSITE)
            break;
        DrawLinkButton((const DRAWITEMSTRUCT *)lParam);
        return TRUE;
    case WM_COMMAND:
        return OnAboutCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}
