// Select Cache Folder and Copy Selected Files, driven in their real modal
// loops with the program's templates: opening state, the check box, typed
// paths, OK/Cancel/Escape/close box, what reaches AppSettings and the reload
// posted to the main window.
#include "dialog_driver.h"

#include <algorithm>
#include <cstring>

#include <commdlg.h>

static std::string Detected(int index)
{
    char path[MAX_PATH] = "";
    DetectCachePath(path, index);
    return path;
}

enum CloseBy { CLOSE_OK, CLOSE_CANCEL, CLOSE_ESCAPE, CLOSE_BOX, CLOSE_ENTER };

// Closes a dialog the way a user would: a button command, a key through the
// dialog manager, or the close box (WM_CLOSE, which the dialog manager turns
// into IDCANCEL).
static void CloseDialog(HWND dialog, CloseBy how)
{
    switch (how) {
    case CLOSE_OK:     SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK)); break;
    case CLOSE_CANCEL: SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDCANCEL)); break;
    case CLOSE_ESCAPE: PressKey(GetDlgItem(dialog, IDC_PATH_EDIT), VK_ESCAPE); break;
    case CLOSE_ENTER:  PressKey(GetDlgItem(dialog, IDC_PATH_EDIT), VK_RETURN); break;
    case CLOSE_BOX:    PostMessageA(dialog, WM_CLOSE, 0, 0); break;
    }
}

static void ResetSettings()
{
    memset(&AppSettings, 0, sizeof(AppSettings));
    lstrcpyA(AppSettings.CopyFilesPath, "K:\\keep copy");
    lstrcpyA(AppSettings.TempOpenFolder, "K:\\keep temp");
}

class FolderDialogs : public testing::Test {
protected:
    void SetUp() override { ResetSettings(); Owner = CreateOwnerWindow(); }
    void TearDown() override { DestroyWindow(Owner); PumpMessages(); }
    // Reloads that reached the main window, including any still queued.
    int Reloads() { PumpMessages(); return OwnerReloads(); }
    HWND Owner = NULL;
};

// A detected path stands for "<detect0>"/"<detect1>" in the tables.
static std::string Expand(const char *text)
{
    if (!strcmp(text, "<detect0>")) return Detected(0);
    if (!strcmp(text, "<detect1>")) return Detected(1);
    return text;
}

struct SelectCase {
    const char *Name;
    int AutoDetect, Selected;
    const char *CacheFolder, *HttpCachePath;
    int Clicks;            // clicks on the check box
    const char *Typed;     // then typed into the path field, or null
    CloseBy Close;
    INT_PTR Result;
    int AutoDetectAfter;
    const char *CacheFolderAfter, *HttpCachePathAfter;
    int ReloadsAfter;
};

TEST_F(FolderDialogs, SelectCacheFolderStoresOnlyOnOk)
{
    const SelectCase cases[] = {
        {"detecting, OK untouched", 1, 0, "C:\\in use", "D:\\mine", 0, nullptr, CLOSE_OK,
         IDOK, 1, "C:\\in use", "D:\\mine", 1},
        {"switch detection off, typed path", 1, 0, "C:\\in use", "D:\\mine", 1, "E:\\typed", CLOSE_OK,
         IDOK, 0, "E:\\typed", "E:\\typed", 1},
        {"switch detection off, own folder kept", 1, 0, "C:\\in use", "D:\\mine", 1, nullptr, CLOSE_ENTER,
         IDOK, 0, "D:\\mine", "D:\\mine", 1},
        {"switch detection on, Big Picture", 0, 1, "D:\\mine", "D:\\mine", 1, nullptr, CLOSE_OK,
         IDOK, 1, "<detect1>", "D:\\mine", 1},
        {"switch detection on, the shown text is the folder in use", 0, 0, "D:\\mine", "D:\\mine", 1,
         "F:\\odd", CLOSE_OK, IDOK, 1, "F:\\odd", "D:\\mine", 1},
        {"empty path accepted", 0, 0, "D:\\mine", "D:\\mine", 0, "", CLOSE_OK,
         IDOK, 0, "", "", 1},
        {"toggled three times, Cancel", 1, 0, "C:\\in use", "D:\\mine", 3, "X:\\no", CLOSE_CANCEL,
         IDCANCEL, 1, "C:\\in use", "D:\\mine", 0},
        {"Escape", 0, 0, "D:\\mine", "D:\\mine", 1, nullptr, CLOSE_ESCAPE,
         IDCANCEL, 0, "D:\\mine", "D:\\mine", 0},
        {"close box", 1, 1, "C:\\in use", "", 2, nullptr, CLOSE_BOX,
         IDCANCEL, 1, "C:\\in use", "", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetSettings();
        OwnerReloads() = 0;
        AppSettings.AutoDetectCachePath = c.AutoDetect;
        AppSettings.SelectedCacheFolder = c.Selected;
        lstrcpyA(AppSettings.CacheFolder, c.CacheFolder);
        lstrcpyA(AppSettings.HttpCachePath, c.HttpCachePath);
        INT_PTR result = RunDialog(Owner, IDD_SELECT_CACHE_FOLDER, SelectCacheFolderDialogProc, 0, [&](HWND d) {
            for (int i = 0; i < c.Clicks; i++)
                SendDlgItemMessageA(d, IDC_AUTO_DETECT, BM_CLICK, 0, 0);
            if (c.Typed)
                SetDlgItemTextA(d, IDC_PATH_EDIT, c.Typed);
            CloseDialog(d, c.Close);
        });
        EXPECT_EQ(result, c.Result);
        EXPECT_EQ(AppSettings.AutoDetectCachePath, c.AutoDetectAfter);
        EXPECT_EQ(std::string(AppSettings.CacheFolder), Expand(c.CacheFolderAfter));
        EXPECT_EQ(std::string(AppSettings.HttpCachePath), Expand(c.HttpCachePathAfter));
        EXPECT_EQ(Reloads(), c.ReloadsAfter);
        EXPECT_EQ(AppSettings.SelectedCacheFolder, c.Selected);
        EXPECT_STREQ(AppSettings.CopyFilesPath, "K:\\keep copy");
    }
}

// What the path field shows, and whether it and "..." are usable, as the box
// is toggled: detection shows a fresh detection for the View choice, no
// detection the user's own folder.
TEST_F(FolderDialogs, SelectCacheFolderCheckBoxSwapsPathAndEnabling)
{
    AppSettings.AutoDetectCachePath = 1;
    AppSettings.SelectedCacheFolder = 1;
    lstrcpyA(AppSettings.CacheFolder, "C:\\in use");
    lstrcpyA(AppSettings.HttpCachePath, "");
    struct Step { const char *Field; bool Checked; bool Enabled; };
    const Step steps[] = {
        {"C:\\in use", true, false},   // opening
        {"", false, true},             // cleared: the (empty) own folder
        {"<detect1>", true, false},    // ticked again: detected afresh
        {"", false, true},
    };
    RunDialog(Owner, IDD_SELECT_CACHE_FOLDER, SelectCacheFolderDialogProc, 0, [&](HWND d) {
        for (int i = 0; i < countof(steps); i++) {
            SCOPED_TRACE(i);
            if (i > 0)
                SendDlgItemMessageA(d, IDC_AUTO_DETECT, BM_CLICK, 0, 0);
            EXPECT_EQ(ItemText(d, IDC_PATH_EDIT), Expand(steps[i].Field));
            EXPECT_EQ(IsDlgButtonChecked(d, IDC_AUTO_DETECT) == BST_CHECKED, steps[i].Checked);
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(d, IDC_PATH_EDIT)) != FALSE, steps[i].Enabled);
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(d, IDC_BROWSE)) != FALSE, steps[i].Enabled);
        }
        // Other notifications of the box are swallowed without effect.
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_AUTO_DETECT, BN_SETFOCUS), (LPARAM)GetDlgItem(d, IDC_AUTO_DETECT));
        EXPECT_EQ(ItemText(d, IDC_PATH_EDIT), "");
        CloseDialog(d, CLOSE_CANCEL);
    });
    EXPECT_STREQ(AppSettings.CacheFolder, "C:\\in use");
    EXPECT_EQ(Reloads(), 0);
}

// A path field text longer than a path buffer is stored cut to 259
// characters and terminated, without running into the next field.
TEST_F(FolderDialogs, OverlongPathIsCutNotOverrun)
{
    std::string longPath = "C:\\" + std::string(400, 'p');
    AppSettings.AutoDetectCachePath = 0;
    RunDialog(Owner, IDD_SELECT_CACHE_FOLDER, SelectCacheFolderDialogProc, 0, [&](HWND d) {
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_PATH_EDIT, EM_GETLIMITTEXT, 0, 0), MAX_PATH - 1);
        SetDlgItemTextA(d, IDC_PATH_EDIT, longPath.c_str());
        CloseDialog(d, CLOSE_OK);
    });
    EXPECT_EQ(std::string(AppSettings.CacheFolder), longPath.substr(0, MAX_PATH - 1));
    EXPECT_EQ(std::string(AppSettings.HttpCachePath), longPath.substr(0, MAX_PATH - 1));
    EXPECT_STREQ(AppSettings.CopyFilesPath, "K:\\keep copy");
    EXPECT_STREQ(AppSettings.TempOpenFolder, "K:\\keep temp");
}

struct CopyCase {
    const char *Name;
    const char *Path;
    int Rename;
    bool Click;
    const char *Typed;
    CloseBy Close;
    INT_PTR Result;
    const char *PathAfter;
    int RenameAfter;
};

TEST_F(FolderDialogs, CopyFilesStoresPathAndRenameOnOk)
{
    const CopyCase cases[] = {
        {"OK untouched", "C:\\out", 1, false, nullptr, CLOSE_OK, IDOK, "C:\\out", 1},
        {"typed path, rename ticked", "", 0, true, "D:\\new out", CLOSE_OK, IDOK, "D:\\new out", 1},
        {"rename cleared, Enter", "C:\\out", 1, true, nullptr, CLOSE_ENTER, IDOK, "C:\\out", 0},
        {"folder still to be made accepted", "C:\\out", 0, false, "Z:\\not yet there", CLOSE_OK, IDOK,
         "Z:\\not yet there", 0},
        {"Cancel keeps both", "C:\\out", 0, true, "Z:\\no", CLOSE_CANCEL, IDCANCEL, "C:\\out", 0},
        {"Escape keeps both", "C:\\out", 1, true, "Z:\\no", CLOSE_ESCAPE, IDCANCEL, "C:\\out", 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ResetSettings();
        OwnerReloads() = 0;
        lstrcpyA(AppSettings.CopyFilesPath, c.Path);
        AppSettings.AutoRenameIfExist = c.Rename;
        INT_PTR result = RunDialog(Owner, IDD_COPY_FILES, CopyFilesDialogProc, 0, [&](HWND d) {
            EXPECT_EQ(ItemText(d, IDC_PATH_EDIT), c.Path);
            EXPECT_EQ(IsDlgButtonChecked(d, IDC_AUTO_RENAME), c.Rename ? (UINT)BST_CHECKED : (UINT)BST_UNCHECKED);
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_PATH_EDIT)));
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_BROWSE)));
            if (c.Click)
                SendDlgItemMessageA(d, IDC_AUTO_RENAME, BM_CLICK, 0, 0);
            if (c.Typed)
                SetDlgItemTextA(d, IDC_PATH_EDIT, c.Typed);
            CloseDialog(d, c.Close);
        });
        EXPECT_EQ(result, c.Result);
        EXPECT_STREQ(AppSettings.CopyFilesPath, c.PathAfter);
        EXPECT_EQ(AppSettings.AutoRenameIfExist, c.RenameAfter);
        EXPECT_EQ(Reloads(), 0);
        EXPECT_STREQ(AppSettings.CacheFolder, "");
    }
}

// The keyboard starts in the path field with its text selected. OK with a
// destination the copy cannot use shows why, keeps the dialog open with the
// field focused and its text selected, and stores nothing.
TEST_F(FolderDialogs, CopyFilesStartsInThePathAndRefusesUnusablePaths)
{
    std::string dir = MakeTempDir("cp");
    std::string file = dir + "\\a file";
    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    const struct {
        const char *Typed;
        DWORD Error;
    } cases[] = {{"", ERROR_INVALID_NAME},      {"   ", ERROR_INVALID_NAME},   {file.c_str(), ERROR_DIRECTORY},
                 {"C:\\out<1", ERROR_INVALID_NAME}, {"D:\\a|b\\c", ERROR_INVALID_NAME}, {"E:\\what?", ERROR_INVALID_NAME},
                 {"F:\\\"q\"", ERROR_INVALID_NAME}, {"G:\\*", ERROR_INVALID_NAME},  {"H:\\x>", ERROR_INVALID_NAME}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string("typed '") + c.Typed + "'");
        ResetSettings();
        BoxCapture boxes;
        INT_PTR result = RunDialog(Owner, IDD_COPY_FILES, CopyFilesDialogProc, 0, [&](HWND d) {
            HWND field = GetDlgItem(d, IDC_PATH_EDIT);
            EXPECT_EQ(GetFocus(), field);
            EXPECT_EQ(SendMessageA(field, EM_GETSEL, 0, 0), MAKELRESULT(0, lstrlenA(AppSettings.CopyFilesPath)));
            SetDlgItemTextA(d, IDC_PATH_EDIT, c.Typed);
            CloseDialog(d, CLOSE_OK);
            EXPECT_TRUE(IsWindow(d) && IsWindowVisible(d));
            EXPECT_EQ(GetFocus(), field);
            EXPECT_EQ(SendMessageA(field, EM_GETSEL, 0, 0), MAKELRESULT(0, lstrlenA(c.Typed)));
            CloseDialog(d, CLOSE_CANCEL);
        });
        EXPECT_EQ(result, IDCANCEL);
        ASSERT_EQ(boxes.Boxes.size(), 1u);
        EXPECT_EQ(boxes.Boxes[0].Caption, "Error");
        EXPECT_EQ(TrimBreaks(boxes.Boxes[0].Text),
                  TrimBreaks(std::string("Cannot copy the files to \"") + c.Typed + "\":\n\n" + SystemText(c.Error)));
        EXPECT_STREQ(AppSettings.CopyFilesPath, "K:\\keep copy");
        EXPECT_EQ(CopyTargetProblem(c.Typed), c.Error);
    }
    EXPECT_EQ(CopyTargetProblem(dir.c_str()), 0u);
    EXPECT_EQ(CopyTargetProblem((dir + "\\to be made").c_str()), 0u);
    EXPECT_EQ(CopyTargetProblem(("\\\\?\\" + dir).c_str()), 0u);
    RemoveTree(dir);
}

// A relative path would later resolve against whatever the current folder
// is then: both dialogs store the full path at OK.
TEST_F(FolderDialogs, RelativePathsBecomeFullAtOk)
{
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof(current), current);
    std::string base = current;
    if (!base.empty() && base.back() == '\\')
        base.pop_back();
    const struct {
        const char *Typed;
        std::string Stored;
    } cases[] = {
        {"rel\\cache", base + "\\rel\\cache"},
        {"E:\\a\\..\\typed", "E:\\typed"},
        {"E:\\full", "E:\\full"},
    };
    for (const auto &c : cases) {
        ResetSettings();
        RunDialog(Owner, IDD_SELECT_CACHE_FOLDER, SelectCacheFolderDialogProc, 0, [&](HWND d) {
            SetDlgItemTextA(d, IDC_PATH_EDIT, c.Typed);
            CloseDialog(d, CLOSE_OK);
        });
        EXPECT_EQ(std::string(AppSettings.CacheFolder), c.Stored) << c.Typed;
        EXPECT_EQ(std::string(AppSettings.HttpCachePath), c.Stored) << c.Typed;
        RunDialog(Owner, IDD_COPY_FILES, CopyFilesDialogProc, 0, [&](HWND d) {
            SetDlgItemTextA(d, IDC_PATH_EDIT, c.Typed);
            CloseDialog(d, CLOSE_OK);
        });
        EXPECT_EQ(std::string(AppSettings.CopyFilesPath), c.Stored) << c.Typed;
    }
    PumpMessages();
}

TEST(TrimToExistingFolder, CutsBackToNearestExistingFolder)
{
    std::string base = MakeTempDir("trim");
    ASSERT_FALSE(base.empty());
    CreateDirectoryA((base + "\\data").c_str(), NULL);
    HANDLE file = CreateFileA((base + "\\data\\file.txt").c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    CloseHandle(file);
    struct Case { std::string In, Out; };
    const Case cases[] = {
        {base + "\\data\\gone\\x", base + "\\data"},
        {base + "\\data", base + "\\data"},
        {base + "\\data\\file.txt", base + "\\data"},     // a file is not a folder
        {base + "\\data\\file.txt\\deeper", base + "\\data"},
        {base + "\\gone", base},
        {"no such folder", "no such folder"},             // no backslash: unchanged
        {"", ""},
    };
    for (const auto &c : cases) {
        char path[MAX_PATH];
        lstrcpynA(path, c.In.c_str(), MAX_PATH);
        TrimToExistingFolder(path);
        EXPECT_EQ(std::string(path), c.Out) << c.In;
    }
    RemoveTree(base);
}

// Centring over a reference or the screen, with the division truncating
// toward zero and the left/top-edge-only clamping on the far side.
TEST(CenterWindow, CentresAndClampsByLeftAndTopEdges)
{
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    struct Case {
        const char *Name;
        RECT Window;       // left, top, right, bottom
        bool Reference;
        RECT Ref;
        int X, Y;
    };
    const Case cases[] = {
        {"over reference", {0, 0, 400, 200}, true, {100, 100, 400, 400}, 50, 150},
        {"truncates toward zero", {0, 0, 401, 301}, true, {100, 100, 400, 400}, 50, 100},
        {"left of screen", {0, 0, 400, 200}, true, {-500, -400, -200, -100}, 0, 0},
        {"left edge exactly at screen width stays", {0, 0, 200, 100}, true, {sw - 100, 0, sw + 300, 100}, sw, 0},
        {"left edge beyond screen width", {0, 0, 200, 100}, true, {sw - 50, sh - 50, sw + 350, sh + 250}, sw - 200, sh - 100},
        {"screen without reference", {0, 0, 400, 200}, false, {}, (sw - 400) / 2, (sh - 200) / 2},
        {"larger than the screen", {0, 0, sw + 100, sh + 100}, false, {}, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        HWND w = CreateWindowA("STATIC", "w", WS_POPUP, c.Window.left, c.Window.top, c.Window.right - c.Window.left,
                               c.Window.bottom - c.Window.top, NULL, NULL, NULL, NULL);
        HWND r = c.Reference ? CreateWindowA("STATIC", "r", WS_POPUP, c.Ref.left, c.Ref.top, c.Ref.right - c.Ref.left,
                                             c.Ref.bottom - c.Ref.top, NULL, NULL, NULL, NULL) : NULL;
        CenterWindow(w, r);
        RECT after;
        GetWindowRect(w, &after);
        EXPECT_EQ(after.left, c.X);
        EXPECT_EQ(after.top, c.Y);
        EXPECT_EQ(after.right - after.left, c.Window.right - c.Window.left);
        EXPECT_EQ(after.bottom - after.top, c.Window.bottom - c.Window.top);
        DestroyWindow(w);
        if (r)
            DestroyWindow(r);
    }
}

// The Save dialog hook: centred over the owner the first time in a run,
// afterwards where the user left it.
static RECT SaveDialogAt;
static POINT SaveDialogMoveTo;
static HWND SaveDialogOwner;

static void CALLBACK SaveDialogTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND dialog = FindOwnedDialog(SaveDialogOwner);
    if (!dialog)
        return;
    KillTimer(NULL, id);
    RECT r;
    GetWindowRect(dialog, &r);
    SaveDialogAt = r;
    SetWindowPos(dialog, NULL, SaveDialogMoveTo.x, SaveDialogMoveTo.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

static RECT OpenSaveDialog(HWND owner, POINT moveTo)
{
    char file[MAX_PATH] = "report.txt";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "Text File\0*.txt\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_ENABLESIZING;
    ofn.lpfnHook = SaveDialogHook;
    SaveDialogOwner = owner;
    SaveDialogMoveTo = moveTo;
    SetRect(&SaveDialogAt, -12345, -12345, -12345, -12345);
    UINT_PTR timer = SetTimer(NULL, 0, 20, SaveDialogTimer);
    EXPECT_FALSE(GetSaveFileNameA(&ofn));
    KillTimer(NULL, timer);
    return SaveDialogAt;
}

TEST_F(FolderDialogs, SaveDialogOpensCentredThenWhereLeft)
{
    MoveWindow(Owner, 120, 80, 900, 700, TRUE);
    RECT first = OpenSaveDialog(Owner, {33, 44});
    RECT owner;
    GetWindowRect(Owner, &owner);
    EXPECT_EQ(first.left, owner.left + (900 - (first.right - first.left)) / 2);
    EXPECT_EQ(first.top, owner.top + (700 - (first.bottom - first.top)) / 2);
    RECT second = OpenSaveDialog(Owner, {60, 70});
    EXPECT_EQ(second.left, 33);
    EXPECT_EQ(second.top, 44);
    RECT third = OpenSaveDialog(Owner, {0, 0});
    EXPECT_EQ(third.left, 60);
    EXPECT_EQ(third.top, 70);
}

// Both templates, control by control in template order, against the table
// of the dialogs (positions in dialog units mapped with the dialog's font).
TEST_F(FolderDialogs, TemplatesMatchTheirTables)
{
    const DWORD shown = WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_BORDER | 0xFFFF;
    struct Case { int Template; DLGPROC Proc; const char *Caption, *Label; int CheckId; const char *Check; };
    const Case cases[] = {
        {IDD_SELECT_CACHE_FOLDER, SelectCacheFolderDialogProc, "Select Cache Folder", "HTTP cache path:",
         IDC_AUTO_DETECT, "Automatically detect the cache folders"},
        {IDD_COPY_FILES, CopyFilesDialogProc, "Copy Selected Files", "Copy files to:",
         IDC_AUTO_RENAME, "Automatically rename file if filename already exists"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Caption);
        const TemplateControl controls[] = {
            {IDOK, "Button", 184, 48, 50, 14, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, shown, "OK"},
            {IDCANCEL, "Button", 242, 48, 50, 14, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, shown, "Cancel"},
            {-1, "Static", 7, 7, 100, 9, WS_VISIBLE | WS_GROUP | SS_LEFT, shown, c.Label},
            {IDC_PATH_EDIT, "Edit", 7, 18, 261, 12, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, shown, nullptr},
            {IDC_BROWSE, "Button", 276, 18, 16, 12, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, shown, "..."},
            {c.CheckId, "Button", 7, 35, 280, 9, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, shown, c.Check},
        };
        HWND dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(c.Template), Owner, c.Proc, 0);
        ASSERT_TRUE(dialog != NULL);
        ExpectDialogFrame(dialog, 300, 68, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SHELLFONT,
                          c.Caption);
        ExpectControls(dialog, controls, countof(controls));
        DestroyWindow(dialog);
    }
}

// "..." opens the shell's folder browser owned by the dialog, titled for
// what the folder is for, centred on the screen and starting at the nearest
// existing folder of what is typed; OK takes its folder, Cancel keeps the
// field.
struct BrowserVisit {
    HWND Dialog;
    const char *Title;    // the text above the tree
    int Press;            // IDOK or IDCANCEL
    int Ticks;
    bool Seen;
    bool Titled;
    RECT At;
};
static BrowserVisit Visit;

// Notes whether any control of the browser shows the expected caption.
static BOOL CALLBACK NoteBrowserTitle(HWND child, LPARAM)
{
    char text[80] = "";
    GetWindowTextA(child, text, sizeof(text));
    if (!strcmp(text, Visit.Title))
        Visit.Titled = true;
    return TRUE;
}

static void CALLBACK BrowserTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    // Give the browser's tree a second to settle on its selection.
    HWND browser = FindOwnedDialog(Visit.Dialog);
    if (!browser || ++Visit.Ticks < 20)
        return;
    KillTimer(NULL, id);
    Visit.Seen = true;
    GetWindowRect(browser, &Visit.At);
    EnumChildWindows(browser, NoteBrowserTitle, 0);
    PostMessageA(browser, WM_COMMAND, MAKEWPARAM(Visit.Press, BN_CLICKED), (LPARAM)GetDlgItem(browser, Visit.Press));
}

TEST_F(FolderDialogs, BrowseStartsAtNearestExistingFolder)
{
    // Not below the temporary folder: the browser's tree does not show the
    // hidden AppData folder on the way to it, so it could not be selected.
    std::string base = "C:\\mwt_browse_" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), NULL));
    std::string data = base + "\\data";
    CreateDirectoryA(data.c_str(), NULL);
    std::string typed = data + "\\gone\\x";
    struct Case { int Template; DLGPROC Proc; int Press; std::string FieldAfter; const char *Title; };
    const char *cacheTitle = "Select cache folder.";
    const Case cases[] = {
        {IDD_SELECT_CACHE_FOLDER, SelectCacheFolderDialogProc, IDOK, data, cacheTitle},
        {IDD_SELECT_CACHE_FOLDER, SelectCacheFolderDialogProc, IDCANCEL, typed, cacheTitle},
        {IDD_COPY_FILES, CopyFilesDialogProc, IDOK, data, "Select the folder to copy the files to."},
    };
    AppSettings.AutoDetectCachePath = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Template * 10 + c.Press);
        std::string field;
        // Wine's browser now and then misses the start folder of the first
        // opening in a process and keeps the desktop: one more try then.
        for (int attempt = 0; attempt < 2; attempt++) {
            Visit = {NULL, c.Title, c.Press, 0, false, false, {}};
            RunDialog(Owner, c.Template, c.Proc, 0, [&](HWND d) {
                SetDlgItemTextA(d, IDC_PATH_EDIT, typed.c_str());
                Visit.Dialog = d;
                UINT_PTR timer = SetTimer(NULL, 0, 50, BrowserTimer);
                SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED), (LPARAM)GetDlgItem(d, IDC_BROWSE));
                KillTimer(NULL, timer);
                field = ItemText(d, IDC_PATH_EDIT);
                CloseDialog(d, CLOSE_CANCEL);
            });
            if (lstrcmpiA(field.c_str(), c.FieldAfter.c_str()) == 0)
                break;
        }
        ASSERT_TRUE(Visit.Seen);
        EXPECT_TRUE(Visit.Titled);
        EXPECT_EQ(Visit.At.left, std::max(0L, (GetSystemMetrics(SM_CXSCREEN) - (Visit.At.right - Visit.At.left)) / 2));
        EXPECT_EQ(lstrcmpiA(field.c_str(), c.FieldAfter.c_str()), 0) << field;
    }
    RemoveTree(base);
}
