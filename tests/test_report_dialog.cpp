// The save dialog of reports: filters, proposed name and filter, the default
// title; Cancel changes nothing, OK stores the name and the chosen format.
// A thread timer drives the real dialog from inside its own modal loop.
#include <gtest/gtest.h>

#include "test_report_list.h"

#include <dlgs.h>  // control ids of the common file dialog

#include <vector>

namespace {

// What the timer saw of the dialog, and what it does to it.
struct DialogProbe {
    HWND Owner = NULL;
    bool Accept = false;    // OK with AcceptName and AcceptFilter, else Cancel
    std::string AcceptName;
    int AcceptFilter = 0;   // 0-based position in the file type list
    bool Found = false;
    std::string Title, Name;
    std::vector<std::string> Filters;
    int Selected = -1;
    int Ticks = 0;
};

DialogProbe *Probe;

BOOL CALLBACK FindSaveDialog(HWND window, LPARAM result)
{
    char cls[32];
    GetClassNameA(window, cls, sizeof(cls));
    if (lstrcmpA(cls, "#32770") == 0 && GetWindow(window, GW_OWNER) == Probe->Owner) {
        *(HWND *)result = window;
        return FALSE;
    }
    return TRUE;
}

std::string ItemText(HWND dialog, int id)
{
    char text[MAX_PATH] = "";
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

void Inspect(HWND dialog)
{
    char title[128] = "";
    GetWindowTextA(dialog, title, sizeof(title));
    Probe->Title = title;
    Probe->Name = GetDlgItem(dialog, edt1) ? ItemText(dialog, edt1) : ItemText(dialog, cmb13);
    HWND types = GetDlgItem(dialog, cmb1);
    int count = (int)SendMessageA(types, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; i++) {
        char item[128] = "";
        SendMessageA(types, CB_GETLBTEXT, i, (LPARAM)item);
        Probe->Filters.push_back(item);
    }
    Probe->Selected = (int)SendMessageA(types, CB_GETCURSEL, 0, 0);
}

void Act(HWND dialog)
{
    if (!Probe->Accept) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    HWND types = GetDlgItem(dialog, cmb1);
    SendMessageA(types, CB_SETCURSEL, Probe->AcceptFilter, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), (LPARAM)types);
    SetDlgItemTextA(dialog, GetDlgItem(dialog, edt1) ? edt1 : cmb13, Probe->AcceptName.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

// Every 50 ms: inspect the dialog once it exists, then press the button;
// press again every second in case a press was lost; give up after 20 s.
void CALLBACK ProbeTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (++Probe->Ticks > 400)
        return;
    HWND dialog = NULL;
    EnumThreadWindows(GetCurrentThreadId(), FindSaveDialog, (LPARAM)&dialog);
    if (!dialog || !IsWindowVisible(dialog))
        return;
    if (!Probe->Found) {
        Probe->Found = true;
        Inspect(dialog);
        Probe->Ticks = 0;
        Act(dialog);
    } else if (Probe->Ticks % 20 == 0) {
        Act(dialog);
    }
}

int RunDialog(DialogProbe &probe, char *fileName, int *filterIndex)
{
    Probe = &probe;
    UINT_PTR timer = SetTimer(NULL, 0, 50, ProbeTimer);
    int result = ChooseReportFile(probe.Owner, fileName, filterIndex);
    KillTimer(NULL, timer);
    Probe = nullptr;
    return result;
}

const std::vector<std::string> ExpectedFilters = {
    "Text File (*.txt)", "Tab Delimited Text File (*.txt)", "Comma Delimited Text File (*.csv)",
    "HTML File (*.htm)"};

TEST(ReportDialog, CancelChangesNothing)
{
    ReportList list;
    char fileName[MAX_PATH] = "previous.csv";
    int filter = 3;
    DialogProbe probe;
    probe.Owner = list.Owner;
    EXPECT_EQ(RunDialog(probe, fileName, &filter), 0);
    ASSERT_TRUE(probe.Found);
    EXPECT_EQ(probe.Title, "Save As");
    EXPECT_EQ(probe.Filters, ExpectedFilters);
    EXPECT_EQ(probe.Selected, 2);
    EXPECT_EQ(probe.Name, "previous.csv");
    EXPECT_STREQ(fileName, "previous.csv");
    EXPECT_EQ(filter, 3);
}

TEST(ReportDialog, OkStoresNameAndFormat)
{
    ReportList list;
    std::string dir = MakeTempDir("dialog");
    std::string path = dir + "\\cache report.htm";
    char fileName[MAX_PATH] = "";
    int filter = 1;
    DialogProbe probe;
    probe.Owner = list.Owner;
    probe.Accept = true;
    probe.AcceptName = path;
    probe.AcceptFilter = 3;
    EXPECT_EQ(RunDialog(probe, fileName, &filter), 1);
    ASSERT_TRUE(probe.Found);
    EXPECT_EQ(probe.Selected, 0);
    EXPECT_EQ(probe.Name, "");
    EXPECT_STREQ(fileName, path.c_str());
    EXPECT_EQ(filter, 4);
    RemoveTree(dir);
}

}  // namespace
