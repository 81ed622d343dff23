// The main window's commands (menu items, accelerators, toolbar buttons and
// posted WM_COMMAND messages alike) and the menu states that display their
// conditions.
//
// Every command checks its own condition when it arrives, however it
// arrived: the gray menu items and disabled toolbar buttons only show those
// conditions, they do not guard them. A command holds the busy state while
// it runs, dialogs and boxes included.
#include "marrowick.h"

enum CommandCondition {
    NEEDS_NOTHING,
    NEEDS_ONE_SELECTED,    // exactly one selected row
    NEEDS_SELECTION,       // at least one selected row
    NEEDS_AUTO_DETECT      // AutoDetectCachePath is not 0
};

typedef void (*CommandHandler)(HWND mainWindow, int command);

struct CommandEntry {
    int First;             // the command, or the first of a range
    int Last;              // the last of the range (First for one command)
    CommandCondition Condition;
    CommandHandler Handler;
};

static int SelectedCount(void)
{
    return (int)SendMessageA(ListViewHandle, LVM_GETSELECTEDCOUNT, 0, 0);
}

static int ToggledOption(int value)
{
    return value == 0 ? 1 : 0;
}

static void DoSelectCacheFolder(HWND mainWindow, int)
{
    // The dialog posts WM_RELOADCACHE itself when it is confirmed.
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_SELECT_CACHE_FOLDER), mainWindow, SelectCacheFolderDialogProc, 0);
}

static void DoOpenCacheFile(HWND mainWindow, int)
{
    OpenSelectedCacheFile(mainWindow, ListViewHandle);
}

static void DoOpenLink(HWND mainWindow, int)
{
    OpenSelectedLink(mainWindow, ListViewHandle);
}

static void DoCopyCacheFiles(HWND mainWindow, int)
{
    CopySelectedCacheFiles(mainWindow, ListViewHandle);
    // The counts come back in place of "Copying...".
    RequestStatusUpdate(mainWindow);
}

static void DoDeleteFiles(HWND mainWindow, int command)
{
    // Shift+Del deletes for good whatever the Recycle Bin option says.
    int toRecycle = command == IDM_DELETE_PERMANENTLY ? 0 : AppSettings.DeleteToRecycle;
    DeleteSelectedCacheFiles(mainWindow, ListViewHandle, AppSettings.CacheFolder, toRecycle);
    // A deleted row leaves the selection without a selection change on
    // some systems: count the total again and show the new counts.
    RecountSelectedSize(ListViewHandle);
    RequestStatusUpdate(mainWindow);
}

static void DoCopyItems(HWND mainWindow, int)
{
    CopyRowsToClipboard(mainWindow, ListViewHandle, -1);  // every visible column
}

static void DoCopyUrls(HWND mainWindow, int)
{
    CopyRowsToClipboard(mainWindow, ListViewHandle, 1 << COL_URL);
}

static void DoSaveItems(HWND mainWindow, int)
{
    // The dialog stores the chosen file type back into SaveFilterIndex.
    if (ChooseReportFile(mainWindow, ReportFileName, &AppSettings.SaveFilterIndex) == 1)
        WriteReportFile(mainWindow, ListViewHandle, ReportFileName, AppSettings.SaveFilterIndex);
}

static void DoRefresh(HWND mainWindow, int)
{
    PostMessageA(mainWindow, WM_RELOADCACHE, 0, 0);
}

static void DoProperties(HWND mainWindow, int)
{
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_PROPERTIES), mainWindow, PropertiesDialogProc,
                    (LPARAM)ListViewHandle);
}

static void DoFind(HWND mainWindow, int)
{
    if (FindDialogHandle)
        SetForegroundWindow(FindDialogHandle);
    else
        OpenFindDialog(mainWindow, 0);
}

static void DoFindNext(HWND mainWindow, int)
{
    OpenFindDialog(mainWindow, FindMessage);
}

static void DoDefaultAction(HWND, int command)
{
    AppSettings.DefaultAction = command - IDM_DEFAULT_OPEN_LINK;
    SetFileMenuDefaultItem();
}

static void DoShowGmt(HWND, int)
{
    AppSettings.ShowTimeInGMT = ToggledOption(AppSettings.ShowTimeInGMT);
    RedisplayDates(ListViewHandle);
}

static void DoMarkEmpty(HWND, int)
{
    AppSettings.MarkEmptyFiles = ToggledOption(AppSettings.MarkEmptyFiles);
    // Background included: the light red lies behind the text.
    InvalidateRect(ListViewHandle, NULL, TRUE);
}

static void DoDeleteToRecycle(HWND, int)
{
    AppSettings.DeleteToRecycle = ToggledOption(AppSettings.DeleteToRecycle);
}

static void DoAbout(HWND mainWindow, int)
{
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_ABOUT), mainWindow, AboutDialogProc, 0);
}

static void DoExit(HWND mainWindow, int)
{
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
}

static void DoSelectAll(HWND, int)
{
    SelectAllRows(ListViewHandle);
}

static void DoInvertSelection(HWND, int)
{
    InvertSelection(ListViewHandle);
}

static void DoViewCache(HWND mainWindow, int command)
{
    // Choosing the view already shown detects and reloads all the same.
    AppSettings.SelectedCacheFolder = command - IDM_VIEW_MAIN_CACHE;
    DetectCachePath(AppSettings.CacheFolder, AppSettings.SelectedCacheFolder);
    PostMessageA(mainWindow, WM_RELOADCACHE, 0, 0);
}

static void DoFocusFilter(HWND, int)
{
    FocusFilterBox();
}

static void DoToggleColumn(HWND, int command)
{
    ToggleColumn(ListViewHandle, command - IDM_COLUMN_FIRST);
}

static void DoTogglePreview(HWND mainWindow, int)
{
    TogglePreviewPane(mainWindow);
}

static const CommandEntry CommandTable[] = {
    {IDM_SELECT_CACHE_FOLDER, IDM_SELECT_CACHE_FOLDER, NEEDS_NOTHING, DoSelectCacheFolder},
    {IDM_OPEN_CACHE_FILE, IDM_OPEN_CACHE_FILE, NEEDS_ONE_SELECTED, DoOpenCacheFile},
    {IDM_OPEN_LINK, IDM_OPEN_LINK, NEEDS_ONE_SELECTED, DoOpenLink},
    {IDM_COPY_CACHE_FILES, IDM_COPY_CACHE_FILES, NEEDS_SELECTION, DoCopyCacheFiles},
    {IDM_DELETE_FILES, IDM_DELETE_FILES, NEEDS_SELECTION, DoDeleteFiles},
    {IDM_DELETE_PERMANENTLY, IDM_DELETE_PERMANENTLY, NEEDS_SELECTION, DoDeleteFiles},
    {IDM_COPY_ITEMS, IDM_COPY_ITEMS, NEEDS_SELECTION, DoCopyItems},
    {IDM_COPY_URLS, IDM_COPY_URLS, NEEDS_SELECTION, DoCopyUrls},
    {IDM_SAVE_ITEMS, IDM_SAVE_ITEMS, NEEDS_SELECTION, DoSaveItems},
    {IDM_REFRESH, IDM_REFRESH, NEEDS_NOTHING, DoRefresh},
    {IDM_PROPERTIES, IDM_PROPERTIES, NEEDS_ONE_SELECTED, DoProperties},
    {IDM_FIND, IDM_FIND, NEEDS_NOTHING, DoFind},
    {IDM_FIND_NEXT, IDM_FIND_NEXT, NEEDS_NOTHING, DoFindNext},
    {IDM_DEFAULT_OPEN_LINK, IDM_DEFAULT_PROPERTIES, NEEDS_NOTHING, DoDefaultAction},
    {IDM_SHOW_GMT, IDM_SHOW_GMT, NEEDS_NOTHING, DoShowGmt},
    {IDM_MARK_EMPTY, IDM_MARK_EMPTY, NEEDS_NOTHING, DoMarkEmpty},
    {IDM_DELETE_TO_RECYCLE, IDM_DELETE_TO_RECYCLE, NEEDS_NOTHING, DoDeleteToRecycle},
    {IDM_ABOUT, IDM_ABOUT, NEEDS_NOTHING, DoAbout},
    {IDM_EXIT, IDM_EXIT, NEEDS_NOTHING, DoExit},
    {IDM_SELECT_ALL, IDM_SELECT_ALL, NEEDS_NOTHING, DoSelectAll},
    {IDM_INVERT_SELECTION, IDM_INVERT_SELECTION, NEEDS_NOTHING, DoInvertSelection},
    {IDM_VIEW_MAIN_CACHE, IDM_VIEW_BIG_PICTURE_CACHE, NEEDS_AUTO_DETECT, DoViewCache},
    {IDM_COLUMN_FIRST, IDM_COLUMN_FIRST + COLUMN_COUNT - 1, NEEDS_NOTHING, DoToggleColumn},
    {IDM_FOCUS_FILTER, IDM_FOCUS_FILTER, NEEDS_NOTHING, DoFocusFilter},
    {IDM_PREVIEW_PANE, IDM_PREVIEW_PANE, NEEDS_NOTHING, DoTogglePreview},
};

static const CommandEntry *FindCommand(int command)
{
    for (int i = 0; i < countof(CommandTable); i++)
        if (command >= CommandTable[i].First && command <= CommandTable[i].Last)
            return &CommandTable[i];
    return NULL;
}

static int ConditionHolds(CommandCondition condition)
{
    switch (condition) {
    case NEEDS_ONE_SELECTED:
        return SelectedCount() == 1;
    case NEEDS_SELECTION:
        return SelectedCount() >= 1;
    case NEEDS_AUTO_DETECT:
        return AppSettings.AutoDetectCachePath != 0;
    default:
        return 1;
    }
}

int CommandAllowed(int command)
{
    const CommandEntry *entry = FindCommand(command);
    return entry && ConditionHolds(entry->Condition);
}

// Commands that arrive while the program is busy and are worth doing once
// it is done: the reloads. Any other command then would act on rows that a
// scan or a copy is changing or reading, or open a dialog over a box:
// refused. Exit goes through, since WM_CLOSE stops a run and waits itself.
static const int WaitingCommands[] = {IDM_REFRESH, IDM_VIEW_MAIN_CACHE, IDM_VIEW_BIG_PICTURE_CACHE};

static int CommandWaits(int command)
{
    for (int i = 0; i < countof(WaitingCommands); i++)
        if (WaitingCommands[i] == command)
            return 1;
    return 0;
}

void RunCommand(HWND mainWindow, int command)
{
    // Unknown numbers and failed conditions do nothing, silently.
    const CommandEntry *entry = FindCommand(command);
    if (!entry || !ConditionHolds(entry->Condition))
        return;
    if (IsBusy() && command != IDM_EXIT) {
        if (CommandWaits(command))
            DeferUntilIdle(mainWindow, WM_COMMAND, (WPARAM)command);
        else
            MessageBeep(MB_OK);
        return;
    }
    EnterBusy();
    entry->Handler(mainWindow, command);
    LeaveBusy();
}

void SetFileMenuDefaultItem(void)
{
    if (FileMenu)
        SetMenuDefaultItem(FileMenu, DefaultActionCommands[AppSettings.DefaultAction], FALSE);
}

// --- Menu states ------------------------------------------------------------

// Items grayed by the selection count, in the menu bar and the file menu.
static const int OneSelectedItems[] = {IDM_OPEN_CACHE_FILE, IDM_OPEN_LINK, IDM_PROPERTIES};
static const int SelectionItems[] = {IDM_COPY_CACHE_FILES, IDM_DELETE_FILES, IDM_DELETE_PERMANENTLY,
                                     IDM_COPY_ITEMS, IDM_COPY_URLS, IDM_SAVE_ITEMS};

static void CheckItem(HMENU menu, int command, int checked)
{
    CheckMenuItem(menu, command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

static void EnableItems(HMENU menu, const int *commands, int count, int enabled)
{
    for (int i = 0; i < count; i++)
        EnableMenuItem(menu, commands[i], MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

static void UpdateColumnChecks(HMENU menu)
{
    // A column is shown exactly when its width is not 0.
    for (int column = 0; column < COLUMN_COUNT; column++)
        CheckItem(menu, IDM_COLUMN_FIRST + column,
                  SendMessageA(ListViewHandle, LVM_GETCOLUMNWIDTH, column, 0) != 0);
}

static void UpdateOptionMarks(HMENU menu)
{
    CheckMenuRadioItem(menu, IDM_VIEW_MAIN_CACHE, IDM_VIEW_BIG_PICTURE_CACHE,
                       IDM_VIEW_MAIN_CACHE + AppSettings.SelectedCacheFolder, MF_BYCOMMAND);
    UINT viewState = MF_BYCOMMAND | (AppSettings.AutoDetectCachePath ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(menu, IDM_VIEW_MAIN_CACHE, viewState);
    EnableMenuItem(menu, IDM_VIEW_BIG_PICTURE_CACHE, viewState);
    CheckMenuRadioItem(menu, IDM_DEFAULT_OPEN_LINK, IDM_DEFAULT_PROPERTIES,
                       IDM_DEFAULT_OPEN_LINK + AppSettings.DefaultAction, MF_BYCOMMAND);
    CheckItem(menu, IDM_SHOW_GMT, AppSettings.ShowTimeInGMT != 0);
    CheckItem(menu, IDM_MARK_EMPTY, AppSettings.MarkEmptyFiles != 0);
    CheckItem(menu, IDM_DELETE_TO_RECYCLE, AppSettings.DeleteToRecycle != 0);
    CheckItem(menu, IDM_PREVIEW_PANE, PreviewPane.Shown);
}

void UpdateMenuStates(HMENU menu)
{
    // Three independent tests; items are addressed by command, so a rule
    // reaches an item in any sub-menu below `menu`.
    if (!menu)
        return;
    if (menu == ColumnMenu)
        UpdateColumnChecks(menu);
    if (menu == MainMenuBar)
        UpdateOptionMarks(menu);
    if (menu == FileMenu || menu == MainMenuBar) {
        int selected = SelectedCount();
        EnableItems(menu, OneSelectedItems, countof(OneSelectedItems), selected == 1);
        EnableItems(menu, SelectionItems, countof(SelectionItems), selected >= 1);
    }
}
