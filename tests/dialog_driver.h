// Test helpers for the dialogs: a main-window-like owner, running a real
// modal dialog with an action that acts on it from inside its modal loop,
// and comparing a live dialog with the table of its template.
#ifndef MARROWICK_DIALOG_DRIVER_H
#define MARROWICK_DIALOG_DRIVER_H

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "test_util.h"

// Top-level overlapped window standing in for the main window; counts the
// WM_RELOADCACHE messages that reach it.
inline int &OwnerReloads()
{
    static int count;
    return count;
}

inline LRESULT CALLBACK DriverOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_RELOADCACHE)
        OwnerReloads()++;
    return DefWindowProcA(window, message, wParam, lParam);
}

inline HWND CreateOwnerWindow()
{
    static ATOM atom;
    if (!atom) {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DriverOwnerProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "MarrowickTestOwner";
        atom = RegisterClassA(&wc);
    }
    HWND owner = CreateWindowA("MarrowickTestOwner", "Marrowick", WS_OVERLAPPEDWINDOW, 50, 50, 800, 600,
                               NULL, NULL, GetModuleHandleA(NULL), NULL);
    ShowWindow(owner, SW_SHOWNORMAL);
    PumpMessages();
    OwnerReloads() = 0;
    return owner;
}

// EnumThreadWindows callback of FindOwnedDialog: a named stdcall function,
// since a lambda does not convert to a 32-bit WNDENUMPROC.
struct OwnedDialogSearch { HWND Owner; HWND Found; };
inline BOOL CALLBACK FindOwnedDialogProc(HWND window, LPARAM data)
{
    OwnedDialogSearch *s = (OwnedDialogSearch *)data;
    char cls[16];
    GetClassNameA(window, cls, sizeof(cls));
    if (lstrcmpA(cls, "#32770") == 0 && GetWindow(window, GW_OWNER) == s->Owner && IsWindowVisible(window)) {
        s->Found = window;
        return FALSE;
    }
    return TRUE;
}

// The visible dialog owned by `owner` (class #32770), or null.
inline HWND FindOwnedDialog(HWND owner)
{
    OwnedDialogSearch search = {owner, NULL};
    EnumThreadWindows(GetCurrentThreadId(), FindOwnedDialogProc, (LPARAM)&search);
    return search.Found;
}

struct DialogRun {
    HWND Owner;
    std::function<void(HWND)> Action;
    bool Acted;
};

inline DialogRun *&ActiveRun()
{
    static DialogRun *run;
    return run;
}

// Runs when the modal loop is idle: the dialog is up; act on it once.
inline void CALLBACK DialogActionTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    DialogRun *run = ActiveRun();
    HWND dialog = run ? FindOwnedDialog(run->Owner) : NULL;
    if (!dialog || run->Acted)
        return;
    KillTimer(NULL, id);
    run->Acted = true;
    run->Action(dialog);
}

// Ends a dialog that the action left open, so a failing test cannot hang.
inline void CALLBACK DialogWatchdogTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    DialogRun *run = ActiveRun();
    HWND dialog = run ? FindOwnedDialog(run->Owner) : NULL;
    if (dialog) {
        ADD_FAILURE() << "dialog left open by the test action";
        KillTimer(NULL, id);
        EndDialog(dialog, -3);
    }
}

// DialogBoxParamA on the program's own template; `action` gets the dialog
// once it is up and must end it (by a command, a key or WM_CLOSE).
inline INT_PTR RunDialog(HWND owner, int templateId, DLGPROC proc, LPARAM param,
                         std::function<void(HWND)> action)
{
    DialogRun run = {owner, std::move(action), false};
    ActiveRun() = &run;
    UINT_PTR actTimer = SetTimer(NULL, 0, 10, DialogActionTimer);
    UINT_PTR watchdog = SetTimer(NULL, 0, 5000, DialogWatchdogTimer);
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(templateId), owner, proc, param);
    KillTimer(NULL, actTimer);
    KillTimer(NULL, watchdog);
    ActiveRun() = nullptr;
    EXPECT_TRUE(run.Acted) << "the dialog never came up";
    return result;
}

// Typing into the focused control of a dialog in its modal loop: the key
// goes through IsDialogMessage like a real key press.
inline void PressKey(HWND control, WPARAM key)
{
    PostMessageA(control, WM_KEYDOWN, key, 1);
    PostMessageA(control, WM_KEYUP, key, 0xC0000001);
}

inline std::string ItemText(HWND dialog, int id)
{
    char text[2048] = "";
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

// One control of a template as its table gives it, in dialog units.
struct TemplateControl {
    int Id;
    const char *Class;   // "Button", "Static", "Edit"
    int X, Y, W, H;      // W and H -1: size not compared
    DWORD Style;         // the bits that must be set
    DWORD StyleMask;     // the bits compared (Style within it)
    const char *Text;    // null: not compared
};

// Compares the live children of `dialog` in template (Z) order with the
// table, mapping dialog units with the dialog's own font.
inline void ExpectControls(HWND dialog, const TemplateControl *controls, int count)
{
    HWND child = GetWindow(dialog, GW_CHILD);
    for (int i = 0; i < count; i++, child = GetWindow(child, GW_HWNDNEXT)) {
        const TemplateControl &c = controls[i];
        ASSERT_TRUE(child != NULL) << "control " << i << " missing";
        SCOPED_TRACE(testing::Message() << "control " << i << " id " << c.Id);
        EXPECT_EQ((WORD)GetDlgCtrlID(child), (WORD)c.Id);
        char cls[32];
        GetClassNameA(child, cls, sizeof(cls));
        EXPECT_EQ(lstrcmpiA(cls, c.Class), 0) << cls;
        RECT units = {c.X, c.Y, c.W, c.H};
        MapDialogRect(dialog, &units);
        RECT actual;
        GetWindowRect(child, &actual);
        MapWindowPoints(NULL, dialog, (POINT *)&actual, 2);
        EXPECT_EQ(actual.left, units.left);
        EXPECT_EQ(actual.top, units.top);
        if (c.W >= 0) {
            EXPECT_EQ(actual.right - actual.left, units.right);
            EXPECT_EQ(actual.bottom - actual.top, units.bottom);
        }
        DWORD style = (DWORD)GetWindowLongPtrA(child, GWL_STYLE);
        // An edit control turns its WS_BORDER into a sunken client edge.
        if (GetWindowLongPtrA(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)
            style |= WS_BORDER;
        EXPECT_EQ(style & c.StyleMask, c.Style) << std::hex << style;
        if (c.Text) {
            char text[512] = "";
            GetWindowTextA(child, text, sizeof(text));
            EXPECT_STREQ(text, c.Text);
        }
    }
    EXPECT_TRUE(child == NULL) << "more controls than the table has";
}

// Client size of the dialog in dialog units, and its style bits.
inline void ExpectDialogFrame(HWND dialog, int w, int h, DWORD style, const char *caption)
{
    RECT units = {0, 0, w, h};
    MapDialogRect(dialog, &units);
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    DWORD actual = (DWORD)GetWindowLongPtrA(dialog, GWL_STYLE);
    EXPECT_EQ(actual & style, style) << std::hex << actual;
    char text[256];
    GetWindowTextA(dialog, text, sizeof(text));
    EXPECT_STREQ(text, caption);
    LOGFONTA font = {};
    GetObjectA((HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0), sizeof(font), &font);
    EXPECT_EQ(std::string(font.lfFaceName).rfind("MS Shell Dlg", 0), 0u) << font.lfFaceName;
}

#endif
