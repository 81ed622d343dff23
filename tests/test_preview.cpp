// The preview pane: what each kind of payload becomes (read from real cache
// files, decoded by the platform's GDI+), the text and hex views, the pane
// following the focused row, its layout and the [Preview] settings.
#include "test_mainwindow_fixture.h"

#include "cache_folder.h"
#include "image_payloads.h"

namespace {

const unsigned char Palette[12] = {0, 0, 0, 255, 255, 255, 200, 30, 30, 30, 30, 200};

std::string Size(unsigned long long bytes)
{
    return FormatSizeText(&bytes);
}

struct PayloadCase {
    const char *Name;
    const char *MediaType;
    std::string Payload;
    long long DeclaredSize;   // -1: the payload's own size
    int Kind;
    std::string Status;
    const char *Encoding = nullptr;  // Content-Encoding header, if any
};

std::vector<PayloadCase> PayloadCases()
{
    std::string png = MakePngImage(48, 32, 10, 20, 30);
    std::string jpeg = MakeJpegImage(10, 4, 60);
    std::string gif = MakeGifImage(24, 16, Palette);
    std::string ico = MakeIcoImage(200, 40, 40);
    std::string css = "body {\n  color: #c6d4df;\n}\n";
    std::string json = "{\"success\":1,\"appid\":440}";
    std::string font = std::string("\0\1\0\0\0\x0A\0\x80", 8) + std::string(600, '\x11');
    std::string longText(100000, 'x');
    std::string garbageJpeg = "\xFF\xD8\xFF\xE0" + std::string(300, '\x5A');
    std::string gzip = std::string("\x1F\x8B\x08\0\0\0\0\0\0\x03", 10) + std::string(27, 'k');
    return {
        {"png", "image/png", png, -1, PREVIEW_IMAGE, "48 x 32 pixels, PNG, " + Size(png.size())},
        {"jpeg", "image/jpeg", jpeg, -1, PREVIEW_IMAGE, "80 x 32 pixels, JPEG, " + Size(jpeg.size())},
        {"gif", "image/gif", gif, -1, PREVIEW_IMAGE, "24 x 16 pixels, GIF, " + Size(gif.size())},
        {"ico", "image/x-icon", ico, -1, PREVIEW_IMAGE, "16 x 16 pixels, ICO, " + Size(ico.size())},
        // Known by its bytes whatever the server called it.
        {"png as octet-stream", "application/octet-stream", png, -1, PREVIEW_IMAGE,
         "48 x 32 pixels, PNG, " + Size(png.size())},
        {"css", "text/css", css, -1, PREVIEW_TEXT, "Text, " + Size(css.size())},
        {"json", "application/json", json, -1, PREVIEW_TEXT, "Text, " + Size(json.size())},
        {"svg is source", "image/svg+xml", "<svg xmlns=\"http://www.w3.org/2000/svg\"/>", -1, PREVIEW_TEXT,
         "Text, 41 B"},
        {"untyped text", "", "plain words\r\n", -1, PREVIEW_TEXT, "Text, 13 B"},
        {"long text", "text/plain", longText, -1, PREVIEW_TEXT, "Text, first 64.00 KB of " + Size(100000)},
        {"binary", "font/ttf", font, -1, PREVIEW_HEX, "Binary, " + Size(font.size())},
        {"zero length", "image/png", "", -1, PREVIEW_MESSAGE, "Zero-length payload: nothing to preview."},
        {"truncated png", "image/png", png.substr(0, png.size() / 2), -1, PREVIEW_MESSAGE,
         "The image could not be decoded (image/png)."},
        {"garbage jpeg", "image/jpeg", garbageJpeg, -1, PREVIEW_MESSAGE,
         "The image could not be decoded (image/jpeg)."},
        // The extraction's length rule: a larger stored size counts, its
        // missing tail as zeros.
        {"stored size beyond the file", "text/plain", "abc", 10, PREVIEW_TEXT, "Text, 10 B"},
        {"image over 32 MiB", "image/png", png, 40LL * 1024 * 1024, PREVIEW_MESSAGE,
         "Image too large to preview (40.00 MB)."},
        {"utf-16 by its mark", "application/octet-stream", std::string("\xFF\xFEH\0i\0", 6), -1, PREVIEW_TEXT,
         "Text, 6 B"},
        // A compressed body is neither the text nor the picture its type says.
        {"gzip", "text/html", gzip, -1, PREVIEW_HEX, "Compressed (gzip), 37 B", "gzip"},
        {"br", "image/png", css, -1, PREVIEW_HEX, "Compressed (br), " + Size(css.size()), "BR"},
        {"identity", "text/css", css, -1, PREVIEW_TEXT, "Text, " + Size(css.size()), "identity"},
    };
}

class PreviewContentTest : public ::testing::Test {
protected:
    std::string Folder;
    void SetUp() override { Folder = MakeTempDir("preview"); }
    void TearDown() override
    {
        ShutdownPreviewImages();
        RemoveTree(Folder);
    }

    std::string WriteEntry(const std::string &payload, long long declared, const char *mediaType,
                           const char *encoding = nullptr)
    {
        CacheFileRecipe recipe = SimpleCacheRecipe("file");
        recipe.Headers.push_back({"Content-Type", mediaType});
        if (encoding)
            recipe.Headers.push_back({"Content-Encoding", encoding});
        recipe.Payload = payload;
        recipe.DeclaredPayloadSize = declared;
        std::string path = Folder + "\\entry";
        EXPECT_TRUE(WriteCacheFile(path, recipe));
        return path;
    }
};

}  // namespace

TEST_F(PreviewContentTest, EachKindOfPayloadGetsItsViewAndStatusLine)
{
    for (const PayloadCase &c : PayloadCases()) {
        std::string path = WriteEntry(c.Payload, c.DeclaredSize, c.MediaType, c.Encoding);
        PreviewContent content = {};
        LoadPreviewContent(path.c_str(), c.MediaType, &content);
        EXPECT_EQ(content.Kind, c.Kind) << c.Name;
        EXPECT_EQ(std::string(content.Status), c.Status) << c.Name;
        EXPECT_EQ(content.Image != NULL, c.Kind == PREVIEW_IMAGE) << c.Name;
        EXPECT_EQ(content.Text != NULL, c.Kind == PREVIEW_TEXT || c.Kind == PREVIEW_HEX) << c.Name;
        if (c.Kind == PREVIEW_TEXT && c.DeclaredSize > 0) {
            EXPECT_STREQ(content.Text, L"abc       ") << "zeros shown as blanks";
        }
        if (c.Name == std::string("long text")) {
            EXPECT_EQ(lstrlenW(content.Text), PREVIEW_TEXT_LIMIT);
        }
        FreePreviewContent(&content);
        EXPECT_EQ(content.Image, nullptr);
    }
}

TEST_F(PreviewContentTest, UnreadableCacheFilesSaySoInOneLine)
{
    const std::string goodFile = BuildCacheFile(SimpleCacheRecipe("x"));
    std::string badLead = goodFile;
    badLead[0] = 3;
    CacheFileLayout layout;
    std::string cut = BuildCacheFile(SimpleCacheRecipe("x"), &layout).substr(0, layout.Status + 2);
    const struct {
        const char *Name;
        std::string Bytes;
        const char *Status;
    } cases[] = {
        {"wrong lead word", badLead, "Unknown or invalid cache file header."},
        {"under 20 bytes", "tiny", "Unknown or invalid cache file header."},
        {"header cut short", cut, "Cache file header is out of bounds."},
    };
    BoxCapture boxes;
    for (const auto &c : cases) {
        std::string path = Folder + "\\raw";
        ASSERT_TRUE(WriteBytesToFile(path, c.Bytes));
        PreviewContent content = {};
        LoadPreviewContent(path.c_str(), "text/plain", &content);
        EXPECT_EQ(content.Kind, PREVIEW_MESSAGE) << c.Name;
        EXPECT_STREQ(content.Status, c.Status) << c.Name;
        FreePreviewContent(&content);
    }
    PreviewContent content = {};
    LoadPreviewContent((Folder + "\\missing").c_str(), "text/plain", &content);
    EXPECT_EQ(content.Kind, PREVIEW_MESSAGE);
    EXPECT_EQ(std::string(content.Status).rfind("Could not open the cache file: ", 0), 0u) << content.Status;
    EXPECT_TRUE(boxes.Boxes.empty()) << "the preview never shows a message box";
}

TEST_F(PreviewContentTest, CacheFileIsReadSharedAndNeverWritten)
{
    std::string path = WriteEntry("body { }", -1, "text/css");
    // The client keeps its files open for writing; the preview must still
    // read them, and must not stop the client from deleting them.
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    std::string before = ReadFileBytes(path);
    PreviewContent content = {};
    LoadPreviewContent(path.c_str(), "text/css", &content);
    EXPECT_EQ(content.Kind, PREVIEW_TEXT);
    CloseHandle(writer);
    FreePreviewContent(&content);
    EXPECT_EQ(ReadFileBytes(path), before);
}

// Bounding box of the pixels that are not the background after drawing
// `payload` fitted into `room` (a width x height area at 10,10).
static RECT DrawnBox(const std::string &path, SIZE room, COLORREF *corner)
{
    PreviewContent content = {};
    LoadPreviewContent(path.c_str(), "", &content);
    const COLORREF background = RGB(255, 0, 255);
    HDC screen = GetDC(NULL);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 300, 300);
    ReleaseDC(NULL, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, 300, 300}, area = {10, 10, 10 + room.cx, 10 + room.cy};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    DrawPreviewImage(dc, &area, &content);
    RECT box = {300, 300, 0, 0};
    for (int y = 0; y < 300; y++)
        for (int x = 0; x < 300; x++)
            if (GetPixel(dc, x, y) != background) {
                box.left = x < box.left ? x : box.left;
                box.top = y < box.top ? y : box.top;
                box.right = x + 1 > box.right ? x + 1 : box.right;
                box.bottom = y + 1 > box.bottom ? y + 1 : box.bottom;
            }
    *corner = GetPixel(dc, box.left, box.top);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    FreePreviewContent(&content);
    return box;
}

TEST_F(PreviewContentTest, PicturesAreFittedCentredNeverEnlargedOnACheckerboard)
{
    std::string png = WriteEntry(MakePngImage(64, 48, 250, 0, 0), -1, "image/png");
    const struct {
        SIZE Room;
        RECT Box;
    } cases[] = {
        {{200, 100}, {78, 36, 142, 84}},   // 100 %, centred
        {{32, 100}, {10, 48, 42, 72}},     // half size, aspect kept
        {{200, 24}, {94, 10, 126, 34}},
        {{0, 50}, {300, 300, 0, 0}},       // no room, nothing drawn
    };
    COLORREF corner;
    for (const auto &c : cases) {
        RECT box = DrawnBox(png, c.Room, &corner);
        EXPECT_TRUE(EqualRect(&box, &c.Box)) << c.Room.cx << "x" << c.Room.cy << ": " << box.left << "," << box.top
                                             << "," << box.right << "," << box.bottom;
    }
    std::string ico = WriteEntry(MakeIcoImage(0, 0, 200), -1, "image/x-icon");
    RECT box = DrawnBox(ico, {100, 100}, &corner);
    EXPECT_EQ(box.right - box.left, 16);
    EXPECT_EQ(corner, RGB(224, 224, 224)) << "a transparent corner shows the checkerboard's first square";
}

TEST(PreviewText, EncodingsLineEndsNulBytesAndHexDump)
{
    const struct {
        std::string In;
        int SaysUtf8;
        int Encoding;
        const wchar_t *Out;
    } texts[] = {
        {"a\rb\nc\r\nd", 0, TEXT_ANSI, L"a\r\nb\r\nc\r\nd"},
        {"\n\r", 0, TEXT_ANSI, L"\r\n\r\n"},
        {std::string("x\0y", 3), 0, TEXT_ANSI, L"x y"},
        {"caf\xE9", 0, TEXT_ANSI, L"caf\u00E9"},
        // UTF-8 by its bytes, by its mark, by the response's charset.
        {"caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC", 0, TEXT_UTF8, L"caf\u00E9 \u65E5\u672C"},
        {"\xEF\xBB\xBFhi", 0, TEXT_UTF8, L"hi"},
        {"plain", 1, TEXT_UTF8, L"plain"},
        // A character cut by the read limit is left out.
        {"\xC3\xA9\xE6\x97", 0, TEXT_UTF8, L"\u00E9"},
        {std::string("\xFF\xFEH\0\n\0\xE5\x65", 8), 0, TEXT_UTF16LE, L"H\r\n\u65E5"},
        {std::string("\xFE\xFF\0H\0i", 6), 1, TEXT_UTF16BE, L"Hi"},
    };
    for (const auto &t : texts) {
        const unsigned char *bytes = (const unsigned char *)t.In.data();
        int encoding = ChooseTextEncoding(bytes, (unsigned int)t.In.size(), t.SaysUtf8);
        EXPECT_EQ(encoding, t.Encoding) << t.In;
        WCHAR *text = MakePreviewText(bytes, (unsigned int)t.In.size(), encoding);
        EXPECT_STREQ(text, t.Out) << t.In;
        HeapFree(GetProcessHeap(), 0, text);
    }
    std::string bytes = std::string("\x89PNG\r\n\x1a\n", 8) + "0123456789ABCDEFxyz";
    WCHAR *dump = MakeHexDump((const unsigned char *)bytes.data(), (unsigned int)bytes.size());
    EXPECT_STREQ(dump, L"00000000  89 50 4E 47 0D 0A 1A 0A 30 31 32 33 34 35 36 37  .PNG....01234567\r\n"
                       L"00000010  38 39 41 42 43 44 45 46 78 79 7A                 89ABCDEFxyz\r\n");
    HeapFree(GetProcessHeap(), 0, dump);
}

// --- The pane in the real main window ----------------------------------------

class PreviewPaneTest : public MainWindowTest {
protected:
    std::string Cache;

    // A cache folder of three rows in a known order (sorted by Cache File):
    // a PNG, a CSS file and a zero-length answer.
    void LoadRows()
    {
        Cache = Folder + "\\cache";
        CreateDirectoryA(Cache.c_str(), NULL);
        const struct {
            const char *Name;
            const char *Type;
            std::string Payload;
        } rows[] = {
            {"0a01", "image/png", MakePngImage(64, 48, 1, 2, 3)},
            {"0a02", "text/css", "p { margin: 0 }\n"},
            {"0a03", "image/gif", ""},
        };
        for (const auto &r : rows) {
            CacheFileRecipe recipe = SimpleCacheRecipe(r.Name);
            recipe.Headers.push_back({"Content-Type", r.Type});
            recipe.Payload = r.Payload;
            AddCacheFile(Cache, "0a", r.Name, recipe);
        }
        lstrcpyA(AppSettings.CacheFolder, Cache.c_str());
        AppSettings.SortByColumn = COL_CACHE_FILE;
        SendMessageA(Main, WM_RELOADCACHE, 0, 0);
        ASSERT_EQ(SendMessageA(ListViewHandle, LVM_GETITEMCOUNT, 0, 0), 3);
    }

    static void FocusRow(int row)
    {
        LVITEMA item = {};
        item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
        item.state = LVIS_FOCUSED | LVIS_SELECTED;
        SendMessageA(ListViewHandle, LVM_SETITEMSTATE, row, (LPARAM)&item);
    }

    // Lets the coalescing timer fire.
    static void WaitForPreview()
    {
        for (int i = 0; i < 20; i++) {
            Sleep(PREVIEW_DELAY_MS / 2);
            PumpMessages();
        }
    }

    static void SetAlt(bool down)
    {
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_MENU] = down ? 0x80 : 0;
        SetKeyboardState(state);
    }

    static RECT ChildRect(HWND child)
    {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(NULL, GetParent(child), (POINT *)&r, 2);
        return r;
    }
};

TEST_F(PreviewPaneTest, OffByDefaultLeavesWindowAndSettingsFileAsBefore)
{
    Create();
    EXPECT_FALSE(PreviewPane.Shown);
    EXPECT_EQ(PreviewPane.Window, nullptr);
    EXPECT_EQ(GetDlgItem(Main, IDC_PREVIEW), nullptr);
    RECT list = ChildRect(ListViewHandle), status = ChildRect(StatusBarHandle);
    EXPECT_EQ(list.bottom, status.top - 1) << "the list ends one pixel above the status bar";
    Close();
    char sections[256] = "";
    GetPrivateProfileSectionNamesA(sections, sizeof(sections), SettingsPath.c_str());
    EXPECT_STREQ(sections, "Options") << "then WinPositions, and nothing after";
    EXPECT_STREQ(sections + lstrlenA(sections) + 1, "WinPositions");
    EXPECT_EQ(sections[lstrlenA(sections) + 1 + lstrlenA("WinPositions") + 1], '\0');
}

TEST_F(PreviewPaneTest, AltPOpensThePaneBetweenListAndStatusBarAndClosesIt)
{
    Create();
    RECT listBefore = ChildRect(ListViewHandle);
    MSG key = {};
    key.hwnd = ListViewHandle;
    key.message = WM_SYSKEYDOWN;
    key.wParam = 'P';
    key.lParam = 0x20000001;  // context code: Alt is down
    HACCEL accelerators = LoadAcceleratorsA(AppInstance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    SetAlt(true);
    EXPECT_TRUE(RouteKeyboardMessage(&key, Main, accelerators));
    ASSERT_TRUE(PreviewPane.Window != NULL);
    EXPECT_TRUE(IsWindowVisible(PreviewPane.Window));
    RECT list = ChildRect(ListViewHandle), pane = ChildRect(PreviewPane.Window), status = ChildRect(StatusBarHandle);
    EXPECT_EQ(list.bottom, pane.top);
    EXPECT_EQ(pane.bottom, status.top - 1);
    EXPECT_EQ(pane.bottom - pane.top, PREVIEW_DEFAULT_HEIGHT);
    UpdateMenuStates(MainMenuBar);
    EXPECT_EQ(GetMenuState(MainMenuBar, IDM_PREVIEW_PANE, MF_BYCOMMAND) & MF_CHECKED, (UINT)MF_CHECKED);

    EXPECT_TRUE(RouteKeyboardMessage(&key, Main, accelerators));
    EXPECT_EQ(PreviewPane.Window, nullptr);
    RECT listAfter = ChildRect(ListViewHandle);
    EXPECT_TRUE(EqualRect(&listBefore, &listAfter)) << "the list gets its whole height back";
    SetAlt(false);
    DestroyAcceleratorTable(accelerators);
    UpdateMenuStates(MainMenuBar);
    EXPECT_EQ(GetMenuState(MainMenuBar, IDM_PREVIEW_PANE, MF_BYCOMMAND) & MF_CHECKED, 0u);
}

TEST_F(PreviewPaneTest, ListKeepsThreeFullRowsAboveItsScrollBar)
{
    // A height saved in a maximized window is lowered at a normal start.
    WriteSetting("Preview", "Show", "1");
    WriteSetting("Preview", "Height", "900");
    Create();
    EXPECT_LT(PreviewPane.Height, 480);
    EXPECT_GE(SendMessageA(ListViewHandle, LVM_GETCOUNTPERPAGE, 0, 0), 3);
    // A window made small later shows the pane smaller but keeps the height.
    int height = PreviewPane.Height;
    SetWindowPos(Main, NULL, 0, 0, 400, 240, SWP_NOMOVE | SWP_NOZORDER);
    RECT pane = ChildRect(PreviewPane.Window), status = ChildRect(StatusBarHandle);
    EXPECT_TRUE(GetWindowLongA(ListViewHandle, GWL_STYLE) & WS_HSCROLL) << "ten columns are wider than 400 pixels";
    EXPECT_GE(SendMessageA(ListViewHandle, LVM_GETCOUNTPERPAGE, 0, 0), 3);
    EXPECT_LE(pane.bottom, status.top);
    EXPECT_EQ(PreviewPane.Height, height) << "the remembered height is kept";
}

TEST_F(PreviewPaneTest, PaneFollowsTheFocusedRow)
{
    Create();
    LoadRows();
    RunCommand(Main, IDM_PREVIEW_PANE);
    EXPECT_EQ(PreviewPane.Content.Kind, PREVIEW_NOTHING) << "no focused row, nothing shown";
    const struct {
        int Row;
        int Kind;
        const char *Status;
    } steps[] = {
        {0, PREVIEW_IMAGE, "64 x 48 pixels, PNG, "},
        {1, PREVIEW_TEXT, "Text, 16 B"},
        {2, PREVIEW_MESSAGE, "Zero-length payload: nothing to preview."},
        {0, PREVIEW_IMAGE, "64 x 48 pixels, PNG, "},
    };
    for (const auto &s : steps) {
        FocusRow(s.Row);
        WaitForPreview();
        EXPECT_EQ(PreviewPane.Content.Kind, s.Kind) << s.Row;
        EXPECT_EQ(std::string(PreviewPane.Content.Status).rfind(s.Status, 0), 0u) << PreviewPane.Content.Status;
        EXPECT_EQ(IsWindowVisible(PreviewPane.TextView) != 0, s.Kind == PREVIEW_TEXT) << s.Row;
    }
    char text[64] = "";
    FocusRow(1);
    WaitForPreview();
    GetWindowTextA(PreviewPane.TextView, text, sizeof(text));
    EXPECT_STREQ(text, "p { margin: 0 }\r\n");
    // A burst of focus moves ends on the row that keeps the focus.
    FocusRow(0);
    FocusRow(2);
    FocusRow(1);
    FocusRow(0);
    EXPECT_EQ(PreviewPane.Content.Kind, PREVIEW_TEXT) << "nothing decoded before the timer";
    WaitForPreview();
    EXPECT_EQ(PreviewPane.Content.Kind, PREVIEW_IMAGE);
    SendMessageA(Main, WM_RELOADCACHE, 0, 0);
    EXPECT_EQ(PreviewPane.Content.Kind, PREVIEW_NOTHING) << "a reload empties the pane";
}

TEST_F(PreviewPaneTest, SettingsRoundTripAfterTheFifteenKeys)
{
    Create();
    RunCommand(Main, IDM_PREVIEW_PANE);
    PreviewPane.Height = 150;
    Close();
    std::string bytes = ReadFileBytes(SettingsPath);
    std::vector<std::string> keys;
    for (size_t at = 0; at < bytes.size();) {
        size_t end = bytes.find("\r\n", at);
        std::string line = bytes.substr(at, end - at);
        keys.push_back(line.substr(0, line.find('=')));
        at = end == std::string::npos ? bytes.size() : end + 2;
    }
    const std::vector<std::string> expected = {
        "[Options]", "SaveFilterIndex", "DefaultAction", "FindFlags", "ShowTimeInGMT", "DeleteToRecycle",
        "SelectedCacheFolder", "AutoDetectCachePath", "SortByColumn", "HttpCachePath", "CopyFilesPath",
        "AutoRenameIfExist", "MarkEmptyFiles", "[WinPositions]", "MainWindow", "ColumnWidths", "ColumnOrder",
        "[Preview]", "Show", "Height"};
    EXPECT_EQ(keys, expected) << bytes;

    Create();
    EXPECT_TRUE(PreviewPane.Shown);
    ASSERT_TRUE(PreviewPane.Window != NULL);
    RECT pane = ChildRect(PreviewPane.Window);
    EXPECT_EQ(pane.bottom - pane.top, 150);
    RunCommand(Main, IDM_PREVIEW_PANE);
    Close();
    char value[16];
    GetPrivateProfileStringA("Preview", "Show", "", value, sizeof(value), SettingsPath.c_str());
    EXPECT_STREQ(value, "0") << "turned off, and remembered so";
}

TEST_F(PreviewPaneTest, ForeignSettingsFallBackToOffAndTheDefaultHeight)
{
    const struct {
        const char *Show;
        const char *Height;
        int Shown;
        int ExpectHeight;
    } cases[] = {
        {"1", "5", 1, PREVIEW_DEFAULT_HEIGHT},
        {"1", "99999", 1, PREVIEW_DEFAULT_HEIGHT},
        {"2", "150", 0, 150},
        {"yes", "abc", 0, PREVIEW_DEFAULT_HEIGHT},
        {"1", "-1", 1, PREVIEW_DEFAULT_HEIGHT},
    };
    for (const auto &c : cases) {
        WriteSetting("Preview", "Show", c.Show);
        WriteSetting("Preview", "Height", c.Height);
        Create();
        EXPECT_EQ(PreviewPane.Shown, c.Shown) << c.Show;
        EXPECT_EQ(PreviewPane.Height, c.ExpectHeight) << c.Height;
        EXPECT_EQ(PreviewPane.Window != NULL, c.Shown != 0);
        DestroyWindow(Main);
        Main = NULL;
        DrainQueue();
    }
}
