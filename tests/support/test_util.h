// Helpers shared by the test programs: temporary folders, files, message
// pumping and the capture of real message boxes.
#ifndef MARROWICK_TEST_UTIL_H
#define MARROWICK_TEST_UTIL_H

#include "marrowick.h"

#include <string>
#include <vector>

// A new, empty folder below the temporary folder (no trailing backslash).
std::string MakeTempDir(const char *tag = "t");
// Removes a folder tree made by a test (best effort).
void RemoveTree(const std::string &path);
std::string ReadFileBytes(const std::string &path);
bool FileExists(const std::string &path);

// Dispatches every message waiting in this thread's queue.
void PumpMessages();

// The system's text for an error code, as FormatMessageA gives it (with its
// trailing line break).
std::string SystemText(DWORD code);
// Message box texts lose their trailing line breaks in the static control:
// compare them without.
std::string TrimBreaks(std::string s);

// Message boxes shown while a BoxCapture lives are recorded and closed at
// once, through the real MessageBoxA: a WH_CBT hook reads the box when it is
// activated and presses a button (the next queued answer, else OK, else No,
// else Cancel).
struct CapturedBox {
    std::string Text;
    std::string Caption;
    HWND Owner;
    bool HasYesNo;
};

enum { PRESS_ENTER = -1 };

struct BoxCapture {
    BoxCapture();
    ~BoxCapture();
    BoxCapture(const BoxCapture &) = delete;
    BoxCapture &operator=(const BoxCapture &) = delete;
    // Queues the button for the next box; PRESS_ENTER presses the box's
    // default button through the keyboard instead.
    void Answer(int buttonId);
    // Queues a button pressed only `delayMs` after the box is shown: the
    // box's own message loop runs meanwhile.
    void AnswerLater(int buttonId, UINT delayMs);
    std::vector<CapturedBox> Boxes;
};

#endif
