// Layout of the main window's three children and the keyboard focus that
// comes back when the window is activated again.
#include "marrowick.h"

enum {
    LIST_GAP_BELOW_TOOLBAR = 3,
    LIST_GAP_ABOVE_STATUS = 1
};

static int ClientHeight(HWND window)
{
    RECT r = {0, 0, 0, 0};
    if (window)
        GetClientRect(window, &r);
    return r.bottom;
}

void LayoutMainWindow(WPARAM sizeType, LPARAM clientSize)
{
    // Sizes of another window being maximized over this one: nothing moves.
    if (sizeType == SIZE_MAXSHOW || sizeType == SIZE_MAXHIDE)
        return;
    int width = LOWORD(clientSize);
    int height = HIWORD(clientSize);
    SendMessageA(ToolbarHandle, TB_AUTOSIZE, 0, 0);
    PlaceFilterBox();
    // The main window (no WS_CLIPCHILDREN) erases its newly exposed band
    // after the box moved into it, over the box; the box, a child of the
    // toolbar, is not painted again unless the toolbar is, with its children.
    RedrawWindow(ToolbarHandle, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    // A status bar places itself along the bottom edge on any WM_SIZE.
    SendMessageA(StatusBarHandle, WM_SIZE, 0, 0);
    int top = ClientHeight(ToolbarHandle) + LIST_GAP_BELOW_TOOLBAR;
    int listHeight = height - top - ClientHeight(StatusBarHandle) - LIST_GAP_ABOVE_STATUS;
    // A minimized window reports a client of 0 x 0.
    if (listHeight < 0)
        listHeight = 0;
    listHeight = PlacePreviewPane(width, top, listHeight);
    MoveWindow(ListViewHandle, 0, top, width, listHeight, TRUE);
    // The status bar moves itself keeping its old pixels and repaints only
    // what it thinks changed; the main window (no WS_CLIPCHILDREN) has by
    // then painted its background over the band the bar moved into, which
    // left it blank, without text or divider, after the window grew.
    InvalidateRect(StatusBarHandle, NULL, TRUE);
}

LRESULT OnActivate(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (wParam == WA_INACTIVE) {
        // Remember the control that had the keyboard; with none, keep the
        // previous one rather than leave the keyboard nowhere later.
        HWND focus = GetFocus();
        if (focus)
            FocusWindow = focus;
        return DefWindowProcA(window, WM_ACTIVATE, wParam, lParam);
    }
    if (HIWORD(wParam))
        return DefWindowProcA(window, WM_ACTIVATE, wParam, lParam);  // minimized
    SetFocus(FocusWindow);
    return 0;
}
