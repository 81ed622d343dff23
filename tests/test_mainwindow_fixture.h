// The real main window, created in-process for the main window's tests with
// its own settings file in a fresh temporary folder.
#ifndef MARROWICK_TEST_MAINWINDOW_FIXTURE_H
#define MARROWICK_TEST_MAINWINDOW_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_list.h"
#include "test_util.h"

class MainWindowTest : public ::testing::Test {
protected:
    std::string Folder;
    std::string SettingsPath;
    HWND Main = NULL;

    void SetUp() override
    {
        static bool registered;
        AppInstance = GetModuleHandleA(NULL);
        if (!registered) {
            InitCommonControls();
            ASSERT_NE(RegisterMainWindowClass(), 0);
            registered = true;
        }
        Folder = MakeTempDir("mainwin");
        SettingsPath = Folder + "\\marrowick.cfg";
        ZeroMemory(&AppSettings, sizeof(AppSettings));
        lstrcpyA(SettingsFilePath, SettingsPath.c_str());
        SelectedSizeTotal = 0;
        StatusUpdatePending = 0;
    }

    void TearDown() override
    {
        if (Main && IsWindow(Main))
            DestroyWindow(Main);
        DrainQueue();
        RemoveTree(Folder);
    }

    // Writes a settings file before the window is created.
    void WriteSetting(const char *section, const char *key, const char *value)
    {
        WritePrivateProfileStringA(section, key, value, SettingsPath.c_str());
    }

    void Create()
    {
        Main = CreateMainWindow();
        ASSERT_TRUE(Main != NULL);
        ShowWindow(Main, SW_SHOW);
        UpdateWindow(Main);
        PumpMessages();
    }

    // WM_CLOSE as the close box sends it; the window is gone afterwards.
    void Close()
    {
        SendMessageA(Main, WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindow(Main));
        Main = NULL;
    }

    // Drops whatever is queued, WM_QUIT included.
    static void DrainQueue()
    {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            if (msg.message != WM_QUIT) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
    }

    // Rows with the given payload sizes and Filename texts "row<i>", behind
    // the rows the list shows (a list showing none starts an empty store).
    static void AddRows(const std::vector<unsigned int> &sizes)
    {
        if (SendMessageA(ListViewHandle, LVM_GETITEMCOUNT, 0, 0) == 0)
            ClearRowStore();
        for (size_t i = 0; i < sizes.size(); i++) {
            char text[32];
            wsprintfA(text, "row%d", (int)i);
            CacheRow row = {{text, "", "", "", "", "", "", "", "", ""}, 0, sizes[i]};
            AppendStoreRow(&row, 0);
        }
        ResetRowOrder();
        ShowRowView(ListViewHandle, 1);
    }

    static void SelectRow(int row, bool selected)
    {
        SelectTestRow(ListViewHandle, row, selected);
    }

    static void SelectFirst(int count)
    {
        SelectRow(-1, false);
        for (int i = 0; i < count; i++)
            SelectRow(i, true);
    }

    static int CountQueued(HWND window, UINT message)
    {
        std::vector<MSG> taken;
        MSG msg;
        while (PeekMessageA(&msg, window, message, message, PM_REMOVE))
            taken.push_back(msg);
        for (const MSG &m : taken)
            PostMessageA(m.hwnd, m.message, m.wParam, m.lParam);
        return (int)taken.size();
    }
};

#endif
