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
