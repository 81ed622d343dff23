// Folder dialogs: Select Cache Folder and Copy Selected Files, the shell's
// folder browser that their "..." buttons open, the window-centring rule and
// the placement hook of the Save Selected Items dialog.
#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include "marrowick.h"

// Texts above the folder browser's tree: what the chosen folder is for.
static const char CacheBrowseTitle[] = "Select cache folder.";
static const char CopyBrowseTitle[] = "Select the folder to copy the files to.";

// Each dialog's scratch buffer: the browser's start folder and its answer,
// and in Select Cache Folder also a freshly detected path.
static char SelectFolderScratch[MAX_PATH];
static char CopyFilesScratch[MAX_PATH];

// Where the Save dialog was when it last closed; all zero until then. Lives
// for the run only, never saved.
static RECT SaveDialogRect;

// Cuts `path` back to its nearest existing folder, one backslash at a time.
// A text without a backslash that names no folder is left as it is.
void TrimToExistingFolder(char *path)
{
    for (;;) {
        DWORD attributes = GetFileAttributesA(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return;
        char *cut = NULL;
        for (char *p = path; *p; p = CharNextA(p))
            if (*p == '\\')
                cut = p;
        if (!cut)
            return;
        *cut = '\0';
    }
}

// Moves `window` so that it is centred over `reference` (or the primary
// screen when null), kept on screen on the top and left. The right and bottom
// tests compare the window's left/top edge, not its far edge, with the screen
// size: a window centred over a reference that hangs off the right side is
// moved back only when its left edge itself is off the screen.
void CenterWindow(HWND window, HWND reference)
{
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT self, area;
    GetWindowRect(window, &self);
    if (reference)
        GetWindowRect(reference, &area);
    else
        SetRect(&area, 0, 0, screenWidth, screenHeight);
    int width = self.right - self.left;
    int height = self.bottom - self.top;

    int x = area.left + (area.right - area.left - width) / 2;
    if (x > screenWidth)
        x = screenWidth - width;
    if (x < 0)
        x = 0;
    int y = area.top + (area.bottom - area.top - height) / 2;
    if (y > screenHeight)
        y = screenHeight - height;
    if (y < 0)
        y = 0;
    SetWindowPos(window, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The browser's settling on its start folder. Wine's browser may stop its
// walk towards a path part-way (often at the drive) and select the ancestor
// it reached; asked again a little later it goes on. So for a short while
// after it opens, a timer asks again while the selection is a proper
// ancestor of the start folder, and scrolls the tree to the selection once
// it is there (the resizable browser may leave it out of view). The first
// tick that finds any other selection ends the settling, so the user's own
// choice is left alone.
static const char *BrowseStartFolder;
static char BrowseSelected[MAX_PATH];
static int BrowseSettleTicks;

enum { BROWSE_SETTLE_TIMER = 0x4D57, BROWSE_SETTLE_MS = 100, BROWSE_SETTLE_TICKS = 20 };

// 1 when `folder` is a proper ancestor of `path` ("C:\a" of "C:\a\b").
static int IsAncestorFolder(const char *folder, const char *path)
{
    int length = lstrlenA(folder);
    if (length == 0 || length >= lstrlenA(path) ||
        CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, folder, length, path, length) != CSTR_EQUAL)
        return 0;
    return folder[length - 1] == '\\' || path[length] == '\\';
}

static BOOL CALLBACK ShowTreeSelection(HWND child, LPARAM)
{
    char cls[32];
    if (GetClassNameA(child, cls, sizeof(cls)) && lstrcmpiA(cls, WC_TREEVIEWA) == 0) {
        LPARAM item = SendMessageA(child, TVM_GETNEXTITEM, TVGN_CARET, 0);
        if (item)
            SendMessageA(child, TVM_ENSUREVISIBLE, 0, item);
        return FALSE;
    }
    return TRUE;
}

static void EndSettling(HWND window)
{
    KillTimer(window, BROWSE_SETTLE_TIMER);
    BrowseStartFolder = NULL;
}

static void CALLBACK SettleBrowserTimer(HWND window, UINT, UINT_PTR, DWORD)
{
    if (!BrowseStartFolder) {
        EndSettling(window);
        return;
    }
    if (IsAncestorFolder(BrowseSelected, BrowseStartFolder) && ++BrowseSettleTicks < BROWSE_SETTLE_TICKS) {
        SendMessageA(window, BFFM_SETSELECTIONA, TRUE, (LPARAM)BrowseStartFolder);
        return;
    }
    EnumChildWindows(window, ShowTreeSelection, 0);
    EndSettling(window);
}

// Folder browser callback: once the browser is up, select the start folder
// (`data`, a path text; one that does not exist leaves the browser's own
// selection), see that the selection gets there, and centre the browser on
// the screen. Always 0.
int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data)
{
    if (message == BFFM_INITIALIZED) {
        BrowseStartFolder = (const char *)data;
        BrowseSelected[0] = '\0';
        BrowseSettleTicks = 0;
        SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
        CenterWindow(window, NULL);
        SetTimer(window, BROWSE_SETTLE_TIMER, BROWSE_SETTLE_MS, SettleBrowserTimer);
    } else if (message == BFFM_SELCHANGED && BrowseStartFolder) {
        if (!SHGetPathFromIDListA((LPCITEMIDLIST)lParam, BrowseSelected))
            BrowseSelected[0] = '\0';
    }
    return 0;
}

// Opens the shell's folder browser owned by `owner`, starting at
// `startFolder`. Returns 1 with the chosen folder's path in `result`
// (MAX_PATH; may be the same buffer as `startFolder`), or 0 when the user
// cancels, the shell fails, or the choice has no file-system path.
int BrowseForFolder(HWND owner, const char *title, const char *startFolder, char *result)
{
    IMalloc *shellMalloc = NULL;
    if (FAILED(SHGetMalloc(&shellMalloc)) || !shellMalloc)
        return 0;
    // The resizable browser (BIF_NEWDIALOGSTYLE) needs COM in an apartment
    // on this thread; balance only an initialisation that this call made.
    HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);

    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseCallback;
    info.lParam = (LPARAM)startFolder;

    int found = 0;
    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (item) {
        found = SHGetPathFromIDListA(item, result) ? 1 : 0;
        shellMalloc->Free(item);
    }
    shellMalloc->Release();
    if (SUCCEEDED(com))
        CoUninitialize();
    return found;
}

// "...": start the browser at the nearest existing folder of what is typed
// and put the chosen folder into the path field.
static void BrowseIntoPathField(HWND dialog, const char *title, char *scratch)
{
    GetDlgItemTextA(dialog, IDC_PATH_EDIT, scratch, MAX_PATH);
    TrimToExistingFolder(scratch);
    if (BrowseForFolder(dialog, title, scratch, scratch))
        SetDlgItemTextA(dialog, IDC_PATH_EDIT, scratch);
}

// Gives the path field the keyboard the way Tab would, its text selected,
// so typing replaces it.
static void FocusPathField(HWND dialog)
{
    SendMessageA(dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dialog, IDC_PATH_EDIT), TRUE);
}

// Both path fields hold what fits a MAX_PATH buffer, so nothing typed is
// silently cut when it is stored.
static void InitPathField(HWND dialog, const char *text)
{
    SendDlgItemMessageA(dialog, IDC_PATH_EDIT, EM_LIMITTEXT, MAX_PATH - 1, 0);
    SetDlgItemTextA(dialog, IDC_PATH_EDIT, text);
}

// The path field and "..." are usable only while detection is off.
static void EnableUserPath(HWND dialog, BOOL enable)
{
    EnableWindow(GetDlgItem(dialog, IDC_PATH_EDIT), enable);
    EnableWindow(GetDlgItem(dialog, IDC_BROWSE), enable);
}

// Ticking the box shows the folder that detection finds for the current View
// choice (empty when it finds none); clearing it brings back the user's own
// folder. Nothing is stored until OK.
static void OnAutoDetectClicked(HWND dialog)
{
    BOOL detect = IsDlgButtonChecked(dialog, IDC_AUTO_DETECT) == BST_CHECKED;
    if (detect) {
        DetectCachePath(SelectFolderScratch, AppSettings.SelectedCacheFolder);
        SetDlgItemTextA(dialog, IDC_PATH_EDIT, SelectFolderScratch);
    } else {
        SetDlgItemTextA(dialog, IDC_PATH_EDIT, AppSettings.HttpCachePath);
    }
    EnableUserPath(dialog, !detect);
}

// The path field as a full path: a relative one would resolve against
// whatever the current folder is when the path is used later. A text that
// cannot be made full (or would not fit) is taken as typed.
static void GetFullPathField(HWND dialog, char *path)
{
    char typed[MAX_PATH];
    GetDlgItemTextA(dialog, IDC_PATH_EDIT, typed, MAX_PATH);
    DWORD length = typed[0] ? GetFullPathNameA(typed, MAX_PATH, path, NULL) : 0;
    if (length == 0 || length >= MAX_PATH)
        lstrcpynA(path, typed, MAX_PATH);
}

// OK: the shown folder becomes the one in use; with detection off it is also
// the user's own folder. The main window (the owner) then reloads the list.
static void OnSelectCacheFolderOk(HWND dialog)
{
    GetFullPathField(dialog, AppSettings.CacheFolder);
    AppSettings.AutoDetectCachePath = IsDlgButtonChecked(dialog, IDC_AUTO_DETECT) == BST_CHECKED ? 1 : 0;
    if (!AppSettings.AutoDetectCachePath)
        lstrcpynA(AppSettings.HttpCachePath, AppSettings.CacheFolder, MAX_PATH);
    PostMessageA(GetWindow(dialog, GW_OWNER), WM_RELOADCACHE, 0, 0);
    EndDialog(dialog, IDOK);
}

static INT_PTR OnSelectCacheFolderCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_AUTO_DETECT:
        if (code == BN_CLICKED)
            OnAutoDetectClicked(dialog);
        return TRUE;
    case IDC_BROWSE:    BrowseIntoPathField(dialog, CacheBrowseTitle, SelectFolderScratch); return TRUE;
    case IDOK:          OnSelectCacheFolderOk(dialog); return TRUE;
    case IDCANCEL:      EndDialog(dialog, IDCANCEL); return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK SelectCacheFolderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        InitPathField(dialog, AppSettings.CacheFolder);
        CheckDlgButton(dialog, IDC_AUTO_DETECT, AppSettings.AutoDetectCachePath ? BST_CHECKED : BST_UNCHECKED);
        EnableUserPath(dialog, AppSettings.AutoDetectCachePath == 0);
        return TRUE;
    case WM_COMMAND:
        return OnSelectCacheFolderCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}

DWORD CopyTargetProblem(const char *path)
{
    const char *p = path;
    while (*p == ' ')
        p++;
    if (!*p)
        return ERROR_INVALID_NAME;  // nothing typed: the copy would go nowhere
    // Characters no folder name can hold: the folders could not be made and
    // nothing would be copied. Only the "\\?\" prefix may hold a "?".
    if (p[0] == '\\' && p[1] == '\\' && p[2] == '?' && p[3] == '\\')
        p += 4;
    for (; *p; p = CharNextA(p))
        if (strchr("<>|?\"*", *p))
            return ERROR_INVALID_NAME;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ERROR_DIRECTORY;     // a file: every payload would fail on it
    return 0;
}

// OK with a destination the copy cannot use: the reason in the error box,
// then the path field again with its text selected; the dialog stays open
// and nothing is stored.
static int AcceptCopyTarget(HWND dialog, const char *path)
{
    DWORD problem = CopyTargetProblem(path);
    if (!problem)
        return 1;
    SetLastError(problem);
    ShowErrorBox(dialog, "Cannot copy the files to \"%s\":\n\n%s", path);
    FocusPathField(dialog);
    return 0;
}

// OK: both values stay in the settings even if the copy that follows fails.
static void OnCopyFilesOk(HWND dialog)
{
    char path[MAX_PATH];
    GetDlgItemTextA(dialog, IDC_PATH_EDIT, path, MAX_PATH);
    if (!AcceptCopyTarget(dialog, path))
        return;
    GetFullPathField(dialog, AppSettings.CopyFilesPath);
    AppSettings.AutoRenameIfExist = IsDlgButtonChecked(dialog, IDC_AUTO_RENAME) == BST_CHECKED ? 1 : 0;
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK CopyFilesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        InitPathField(dialog, AppSettings.CopyFilesPath);
        CheckDlgButton(dialog, IDC_AUTO_RENAME, AppSettings.AutoRenameIfExist ? BST_CHECKED : BST_UNCHECKED);
        // The destination is what the user came to type: the keyboard
        // starts there (FALSE: the focus is set already).
        FocusPathField(dialog);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_BROWSE:    BrowseIntoPathField(dialog, CopyBrowseTitle, CopyFilesScratch); return TRUE;
        case IDOK:          OnCopyFilesOk(dialog); return TRUE;
        case IDCANCEL:      EndDialog(dialog, IDCANCEL); return TRUE;
        }
        break;
    }
    return FALSE;
}

// Hook of the explorer-style Save Selected Items dialog. The hook runs in a
// child window of the dialog, so the dialog itself is the hook's parent.
// First opening in a run: centred over the owner named in OPENFILENAME;
// afterwards: where the user left it (same size, the dialog's own).
UINT_PTR CALLBACK SaveDialogHook(HWND hook, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    HWND dialog = GetParent(hook);
    if (message == WM_NOTIFY && ((const NMHDR *)lParam)->code == CDN_INITDONE) {
        const OFNOTIFYA *notify = (const OFNOTIFYA *)lParam;
        if (IsRectEmpty(&SaveDialogRect))
            CenterWindow(dialog, notify->lpOFN->hwndOwner);
        else
            SetWindowPos(dialog, NULL, SaveDialogRect.left, SaveDialogRect.top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 1;
    }
    if (message == WM_DESTROY) {
        GetWindowRect(dialog, &SaveDialogRect);
        return 1;
    }
    return 0;
}
