// The one busy state of the program, and the message pump of long runs.
//
// A folder scan, a copy, open or delete run, a command with the dialogs it
// opens and every message box of ours hold the busy state. Each of them runs
// a message loop (the box's, the dialog's, the run's own pump), inside which
// any handler may be called: a posted reload, the quick filter's timer, a
// menu command. Those entry points check the state and, while it is held,
// either leave a message here to be posted again once it is released or
// refuse outright.
#include "marrowick.h"

enum {
    DEFERRED_LIMIT = 8,           // distinct messages waiting; there are only a few kinds
    RUN_PUMP_INTERVAL_MS = 50,    // a run looks at its queue this often
    RUN_PUMP_MESSAGE_LIMIT = 256  // messages one pump handles at most, so a window
                                  // that keeps asking to be painted cannot hold a run
};

struct DeferredMessage {
    HWND Window;
    UINT Message;
    WPARAM WParam;
};

struct BusyStateRecord {
    int Depth;                    // holders nested inside each other
    DeferredMessage Deferred[DEFERRED_LIMIT];
    int DeferredCount;
    int StopRequested;            // Esc (or a close) during the current run
    DWORD LastPump;
};

static BusyStateRecord Busy;

void EnterBusy(void)
{
    Busy.Depth++;
}

void LeaveBusy(void)
{
    if (Busy.Depth == 0 || --Busy.Depth > 0)
        return;
    // Posted, not handled here: the caller is still inside its own handler.
    for (int i = 0; i < Busy.DeferredCount; i++)
        PostMessageA(Busy.Deferred[i].Window, Busy.Deferred[i].Message, Busy.Deferred[i].WParam, 0);
    Busy.DeferredCount = 0;
}

int IsBusy(void)
{
    return Busy.Depth > 0;
}

void DeferUntilIdle(HWND window, UINT message, WPARAM wParam)
{
    // The same request twice is one request: two F5 presses reload once.
    for (int i = 0; i < Busy.DeferredCount; i++) {
        const DeferredMessage &waiting = Busy.Deferred[i];
        if (waiting.Window == window && waiting.Message == message && waiting.WParam == wParam)
            return;
    }
    if (Busy.DeferredCount < DEFERRED_LIMIT)
        Busy.Deferred[Busy.DeferredCount++] = {window, message, wParam};
}

int ShowMessageBox(HWND owner, const char *text, const char *caption, UINT type)
{
    // From the command line nobody is there to answer.
    if (CommandLineMode) {
        WriteMessageLine(caption, text);
        return IDOK;
    }
    EnterBusy();
    int answer = MessageBoxA(owner, text, caption, type);
    LeaveBusy();
    return answer;
}

// --- Long runs --------------------------------------------------------------

void BeginBusyRun(void)
{
    EnterBusy();
    Busy.StopRequested = 0;
    // The first pump comes at the first chance: the window shows at once
    // what the run has just changed (an emptied list, a closed dialog).
    Busy.LastPump = GetTickCount() - RUN_PUMP_INTERVAL_MS;
}

void EndBusyRun(void)
{
    Busy.StopRequested = 0;
    LeaveBusy();
}

int RunPumpDue(void)
{
    return GetTickCount() - Busy.LastPump >= RUN_PUMP_INTERVAL_MS;
}

// A run's pump handles everything but keyboard input and mouse input inside
// the window: those would change the selection, the sort or the filter
// under a run that reads them, so they wait in the queue for the main loop
// (Ctrl+A pressed while a folder loads still selects the rows afterwards).
// The frame's own mouse messages (WM_NC...: caption, borders, size grip,
// menu bar) lie in the first range, so the window can still be moved,
// resized and closed.
static const UINT PumpRanges[][2] = {
    {0, WM_KEYFIRST - 1},
    {WM_KEYLAST + 1, WM_MOUSEFIRST - 1},
    {WM_MOUSELAST + 1, 0xFFFFFFFF},
};

static int IsModifierKey(WPARAM key)
{
    return key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU;
}

// Looks at the keys waiting at the head of the queue: an Esc press asks the
// run to stop; releases and lone modifier presses do nothing by themselves
// (the release of the Enter that closed the Copy dialog comes in during the
// copy) and go too, so that they do not hide an Esc behind them. The first
// other key stays, with all keys after it.
static void TakeLeadingEscape(void)
{
    MSG key;
    while (PeekMessageA(&key, NULL, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE)) {
        int release = key.message == WM_KEYUP || key.message == WM_SYSKEYUP;
        int press = key.message == WM_KEYDOWN || key.message == WM_SYSKEYDOWN;
        if (!release && !(press && (key.wParam == VK_ESCAPE || IsModifierKey(key.wParam))))
            return;
        PeekMessageA(&key, NULL, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE);
        if (key.message == WM_KEYDOWN && key.wParam == VK_ESCAPE)
            Busy.StopRequested = 1;
    }
}

int PumpRunMessages(void)
{
    Busy.LastPump = GetTickCount();
    TakeLeadingEscape();
    MSG msg;
    for (const auto &range : PumpRanges) {
        for (int i = 0; i < RUN_PUMP_MESSAGE_LIMIT && PeekMessageA(&msg, NULL, range[0], range[1], PM_REMOVE); i++) {
            if (msg.message == WM_QUIT) {
                // Left for the main message loop, which ends on it.
                PostQuitMessage((int)msg.wParam);
                return Busy.StopRequested;
            }
            DispatchMessageA(&msg);
        }
    }
    return Busy.StopRequested;
}

void RequestRunStop(void)
{
    Busy.StopRequested = 1;
}

int RunStopRequested(void)
{
    return Busy.StopRequested;
}
