// The error message box: placeholder rules, the system text, title and owner.
#include <gtest/gtest.h>

#include "test_util.h"

struct ErrorBoxCase {
    const char *Format;
    const char *Argument;   // ERROR_ARG_SYSTEM allowed
    DWORD LastError;
    bool Shown;
    const char *Expected;   // with "<sys>" standing for the system text
};

TEST(ErrorBox, PlaceholderRulesAndSystemText)
{
    const ErrorBoxCase cases[] = {
        {"Could not open cache file: %s\n\n%s", "C:\\x\\00\\abc", ERROR_FILE_NOT_FOUND, true,
         "Could not open cache file: C:\\x\\00\\abc\n\n<sys>"},
        {"File is too small to contain cache file header\n\n%s", "C:\\f", 0, true,
         "File is too small to contain cache file header\n\nC:\\f"},
        {"Failed: %s", ERROR_ARG_SYSTEM, ERROR_ACCESS_DENIED, true, "Failed: <sys>"},
        {"no placeholder", "x", 0, false, ""},
        {"%s %s %s", "x", 0, false, ""},
        {"%d items %s", "x", 0, false, ""},
        {"100%% %s", "x", 0, false, ""},
    };
    HWND owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
    for (const auto &c : cases) {
        BoxCapture capture;
        SetLastError(c.LastError);
        ShowErrorBox(owner, c.Format, c.Argument);
        if (!c.Shown) {
            EXPECT_TRUE(capture.Boxes.empty()) << c.Format;
            continue;
        }
        ASSERT_EQ(capture.Boxes.size(), 1u) << c.Format;
        std::string expected = c.Expected;
        size_t at = expected.find("<sys>");
        if (at != std::string::npos)
            expected.replace(at, 5, SystemText(c.LastError));
        // The static control shows the text; compare without trailing line breaks.
        auto trim = [](std::string s) { while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back(); return s; };
        EXPECT_EQ(trim(capture.Boxes[0].Text), trim(expected));
        EXPECT_EQ(capture.Boxes[0].Caption, "Error");
        EXPECT_EQ(capture.Boxes[0].Owner, owner);
    }
    DestroyWindow(owner);
}

// System texts that take inserts ("Bad EXE format for %1.") get the path,
// never the raw placeholder.
TEST(ErrorBox, SystemTextInsertsGetThePath)
{
    struct InsertCase {
        const char *Text;
        int Size;
        const char *Expected;
    };
    const InsertCase cases[] = {
        {"Bad EXE format for %1.", 64, "Bad EXE format for C:\\t\\x.exe."},
        {"%1 and %2", 64, "C:\\t\\x.exe and C:\\t\\x.exe"},
        {"typed %1!s! end", 64, "typed C:\\t\\x.exe end"},
        {"two digits %12.", 64, "two digits C:\\t\\x.exe."},
        {"unclosed %1!s", 64, "unclosed C:\\t\\x.exe!s"},
        {"100%% %0 %n stay", 64, "100%% %0 %n stay"},
        {"cut %1", 10, "cut C:\\t\\"},
    };
    for (const InsertCase &c : cases) {
        char out[64];
        memset(out, 'z', sizeof(out));
        FillMessageInserts(c.Text, "C:\\t\\x.exe", out, c.Size);
        EXPECT_STREQ(out, c.Expected) << c.Text;
    }

    HWND owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
    const char *path = "C:\\temp\\mwk1.tmp\\setup.mwknone";
    BoxCapture capture;
    SetLastError(ERROR_BAD_EXE_FORMAT);
    ShowSystemErrorBox(owner, path);
    SetLastError(ERROR_BAD_EXE_FORMAT);
    ShowErrorBox(owner, "Could not open cache file: %s\n\n%s", path);
    ASSERT_EQ(capture.Boxes.size(), 2u);
    for (const CapturedBox &box : capture.Boxes) {
        EXPECT_EQ(box.Text.find("%1"), std::string::npos) << box.Text;
        EXPECT_NE(box.Text.find(std::string(path) + "."), std::string::npos) << box.Text;
        EXPECT_EQ(box.Caption, "Error");
    }
    DestroyWindow(owner);
}
