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

// Keyboard input and clicks or wheel turns inside the window would change
// the selection, the sort or the filter under a run that reads them. The
// frame's own mouse messages (WM_NC...: caption, borders, size grip, menu
// bar) stay live, so the window can still be moved and resized.
static int IsRunInput(const MSG *msg)
{
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST)
        return 1;
    return msg->message >= WM_LBUTTONDOWN && msg->message <= WM_MOUSELAST;
}

int PumpRunMessages(void)
{
    Busy.LastPump = GetTickCount();
    MSG msg;
    for (int i = 0; i < RUN_PUMP_MESSAGE_LIMIT && PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE); i++) {
        if (msg.message == WM_QUIT) {
            // Left for the main message loop, which ends on it.
            PostQuitMessage((int)msg.wParam);
            break;
        }
        if (IsRunInput(&msg)) {
            if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)
                Busy.StopRequested = 1;
            continue;
        }
        DispatchMessageA(&msg);
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
