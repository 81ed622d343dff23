#include "test_util.h"

#include <deque>
#include <fstream>
#include <sstream>

std::string MakeTempDir(const char *tag)
{
    static int counter;
    char base[MAX_PATH];
    GetTempPathA(sizeof(base), base);
    for (;;) {
        char path[MAX_PATH];
        wsprintfA(path, "%smwt_%s_%lu_%d", base, tag, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(path, NULL))
            return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return std::string();
    }
}

void RemoveTree(const std::string &path)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveTree(child);
            else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryA(child.c_str());
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

std::string ReadFileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

static BoxCapture *ActiveCapture;
static HHOOK CaptureHook;
static std::deque<std::pair<int, UINT>> Answers;  // button, delay in ms

// Presses the button whose id is the timer's id, once.
static void CALLBACK PressLater(HWND box, UINT, UINT_PTR buttonId, DWORD)
{
    KillTimer(box, buttonId);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), (LPARAM)GetDlgItem(box, (int)buttonId));
}

static LRESULT CALLBACK CaptureProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && ActiveCapture) {
        HWND box = (HWND)wParam;
        char cls[32];
        GetClassNameA(box, cls, sizeof(cls));
        if (lstrcmpA(cls, "#32770") == 0 && GetDlgItem(box, 0xFFFF)) {
            char text[2048], caption[256];
            GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
            GetWindowTextA(box, caption, sizeof(caption));
            bool yesNo = GetDlgItem(box, IDYES) != NULL;
            ActiveCapture->Boxes.push_back({text, caption, GetWindow(box, GW_OWNER), yesNo});
            int answer;
            UINT delay = 0;
            if (!Answers.empty()) {
                answer = Answers.front().first;
                delay = Answers.front().second;
                Answers.pop_front();
            } else {
                answer = GetDlgItem(box, IDOK) ? IDOK : GetDlgItem(box, IDNO) ? IDNO : IDCANCEL;
            }
            // Enter is handled once the box has set up its default button,
            // which it does only after this activation.
            if (answer == PRESS_ENTER)
                PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
            else if (delay)
                SetTimer(box, (UINT_PTR)answer, delay, PressLater);
            else
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), (LPARAM)GetDlgItem(box, answer));
        }
    }
    return CallNextHookEx(CaptureHook, code, wParam, lParam);
}

BoxCapture::BoxCapture()
{
    ActiveCapture = this;
    Answers.clear();
    CaptureHook = SetWindowsHookExA(WH_CBT, CaptureProc, NULL, GetCurrentThreadId());
}

BoxCapture::~BoxCapture()
{
    UnhookWindowsHookEx(CaptureHook);
    CaptureHook = NULL;
    ActiveCapture = nullptr;
}

void BoxCapture::Answer(int buttonId)
{
    Answers.push_back({buttonId, 0});
}

void BoxCapture::AnswerLater(int buttonId, UINT delayMs)
{
    Answers.push_back({buttonId, delayMs});
}

std::string SystemText(DWORD code)
{
    char text[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof(text), NULL);
    return text;
}

std::string TrimBreaks(std::string s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
    return s;
}
