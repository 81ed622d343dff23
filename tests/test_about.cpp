// About box and its link button: the template, the measured caption, hit
// testing that lets clicks beside the caption fall through, the hot state
// with its font swap and capture, the drawing rules and the font's lifetime.
#include "dialog_driver.h"

#include <algorithm>
#include <cstring>

class About : public testing::Test {
protected:
    void SetUp() override
    {
        Owner = CreateOwnerWindow();
        Dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_ABOUT), Owner, AboutDialogProc, 0);
        ASSERT_TRUE(Dialog != NULL);
        ShowWindow(Dialog, SW_SHOW);
        PumpMessages();
        Link = GetDlgItem(Dialog, IDC_WEBSITE);
        SendMessageA(Link, WM_LINKGETRECT, 0, (LPARAM)&Text);
    }
    void TearDown() override
    {
        if (GetCapture())
            ReleaseCapture();
        DestroyWindow(Dialog);
        DestroyWindow(Owner);
        PumpMessages();
    }
    HFONT LinkFont() { return (HFONT)SendMessageA(Link, WM_GETFONT, 0, 0); }
    HWND Owner = NULL, Dialog = NULL, Link = NULL;
    RECT Text = {};
};

TEST_F(About, TemplateMatchesItsTable)
{
    const DWORD mask = WS_VISIBLE | WS_TABSTOP | WS_GROUP | 0xFFFF;
    const std::string caption = std::string("Website - ") + WebsiteAddress;
    const TemplateControl controls[] = {
        {IDOK, "Button", 179, 7, 50, 14, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, mask, "OK"},
        // An icon control takes the size of its icon: the size is not compared.
        {-1, "Static", 7, 7, -1, -1, WS_VISIBLE | SS_ICON, WS_VISIBLE | WS_TABSTOP | SS_TYPEMASK, nullptr},
        {-1, "Static", 39, 7, 125, 8, WS_VISIBLE | WS_GROUP | SS_LEFT, mask, "Marrowick v1.06"},
        {-1, "Static", 39, 18, 125, 8, WS_VISIBLE | WS_GROUP | SS_LEFT, mask, "HTTP cache viewer"},
        {IDC_WEBSITE, "Button", 38, 29, 125, 8, WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, mask, caption.c_str()},
    };
    ExpectDialogFrame(Dialog, 236, 52, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SHELLFONT,
                      "About Marrowick");
    ExpectControls(Dialog, controls, countof(controls));
}

// The caption is measured once, as one line in the dialog's own font, from
// 0,0; a null rectangle pointer is ignored.
TEST_F(About, LinkRectIsTheCaptionExtentInThePlainFont)
{
    char caption[256];
    GetWindowTextA(Link, caption, sizeof(caption));
    HDC dc = GetDC(Link);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(Dialog, WM_GETFONT, 0, 0));
    RECT expected = {};
    DrawTextA(dc, caption, -1, &expected, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(Link, dc);
    EXPECT_EQ(Text.left, 0);
    EXPECT_EQ(Text.top, 0);
    EXPECT_EQ(Text.right, expected.right);
    EXPECT_EQ(Text.bottom, expected.bottom);
    EXPECT_GT(Text.right, 0);
    EXPECT_EQ(SendMessageA(Link, WM_LINKGETRECT, 0, 0), 1);
    // The plain font is the dialog's; the link shows an underlined copy.
    EXPECT_EQ(LinkButtonState.PlainFont, (HFONT)SendMessageA(Dialog, WM_GETFONT, 0, 0));
    EXPECT_EQ(LinkFont(), LinkButtonState.UnderlinedFont);
    LOGFONTA plain = {}, underlined = {};
    GetObjectA(LinkButtonState.PlainFont, sizeof(plain), &plain);
    GetObjectA(LinkButtonState.UnderlinedFont, sizeof(underlined), &underlined);
    EXPECT_FALSE(plain.lfUnderline);
    EXPECT_TRUE(underlined.lfUnderline);
    EXPECT_STREQ(underlined.lfFaceName, plain.lfFaceName);
    EXPECT_EQ(underlined.lfHeight, plain.lfHeight);
}

// Only the caption's extent belongs to the button; clicks beside it go to
// the dialog beneath. Also with the dialog at negative screen coordinates
// (a monitor left of and above the primary one).
TEST_F(About, HitTestCoversOnlyTheCaption)
{
    RECT client;
    GetClientRect(Link, &client);
    ASSERT_LT(Text.right + 2, client.right) << "caption fills the whole button";
    struct Case { int X, Y; bool Inside; };
    const Case cases[] = {
        {0, 0, true},
        {Text.right - 1, Text.bottom - 1, true},
        {Text.right / 2, Text.bottom / 2, true},
        {Text.right + 1, 1, false},            // on the button, right of the caption
        {client.right - 1, 1, false},
        {-1, 1, false},
        {1, Text.bottom, false},
    };
    const POINT dialogAt[] = {{100, 100}, {-900, -700}};
    for (POINT at : dialogAt) {
        SetWindowPos(Dialog, NULL, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        RECT button;
        GetWindowRect(Link, &button);
        for (const auto &c : cases) {
            LPARAM point = MAKELPARAM(button.left + c.X, button.top + c.Y);
            LRESULT hit = SendMessageA(Link, WM_NCHITTEST, 0, point);
            EXPECT_EQ(hit, c.Inside ? HTCLIENT : HTTRANSPARENT) << at.x << ": " << c.X << "," << c.Y;
        }
    }
}

// The hot state follows the mouse over the caption: plain font and capture
// while over it, underline back when it leaves (also for the rest of the
// button, for positions left of it, and when the capture is lost).
TEST_F(About, HotStateSwapsFontAndHoldsCapture)
{
    enum Do { MOVE, LOSE_CAPTURE };
    struct Step { const char *Name; Do Action; int X, Y; bool Hot; };
    const Step steps[] = {
        {"onto the caption", MOVE, 1, 1, true},
        {"along the caption", MOVE, 5, 2, true},
        {"right of the caption", MOVE, (int)Text.right + 3, 1, false},
        {"still beside it", MOVE, (int)Text.right + 4, 1, false},
        {"right/bottom edge counts as inside", MOVE, (int)Text.right, (int)Text.bottom, true},
        {"left of the button (captured)", MOVE, -5, 1, false},
        {"back on", MOVE, 2, 2, true},
        {"above the button (captured)", MOVE, 2, -3, false},
        {"on again", MOVE, 2, 2, true},
        {"capture lost to another window", LOSE_CAPTURE, 0, 0, false},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.Name);
        if (s.Action == MOVE) {
            EXPECT_EQ(SendMessageA(Link, WM_MOUSEMOVE, 0, MAKELPARAM(s.X, s.Y)), 0);
        } else {
            SetCapture(Owner);
        }
        EXPECT_EQ(LinkButtonState.Hot, s.Hot ? 1 : 0);
        EXPECT_EQ(LinkFont(), s.Hot ? LinkButtonState.PlainFont : LinkButtonState.UnderlinedFont);
        if (s.Action == MOVE) {
            EXPECT_EQ(GetCapture() == Link, s.Hot);
        }
    }
    ReleaseCapture();
    EXPECT_EQ(SendMessageA(Link, WM_SETCURSOR, (WPARAM)Link, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 1);
    EXPECT_TRUE(LinkButtonState.HandCursor != NULL);
    EXPECT_EQ(GetCursor(), LinkButtonState.HandCursor);
}

// Renders DrawLinkButton into a bitmap and returns its pixels.
static std::vector<COLORREF> Render(HWND link, UINT action, UINT state, COLORREF *textColorAfter)
{
    RECT client;
    GetClientRect(link, &client);
    HDC screen = GetDC(NULL);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(NULL, screen);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, (HFONT)SendMessageA(link, WM_GETFONT, 0, 0));
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    SetTextColor(dc, RGB(1, 2, 3));
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = IDC_WEBSITE;
    item.itemAction = action;
    item.itemState = state;
    item.hwndItem = link;
    item.hDC = dc;
    item.rcItem = client;
    DrawLinkButton(&item);
    *textColorAfter = GetTextColor(dc);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < client.bottom; y++)
        for (int x = 0; x < client.right; x++)
            pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

// The caption in the readable link colour on a full redraw; a focus rectangle
// when the focus changes, or on a full redraw while focused, never while
// keyboard cues are hidden.
TEST_F(About, DrawsCaptionAndFocusRectangleByTheRules)
{
    struct Case { const char *Name; UINT Action, State; bool Caption, Focus; };
    const Case cases[] = {
        {"redraw", ODA_DRAWENTIRE, 0, true, false},
        {"redraw focused", ODA_DRAWENTIRE, ODS_FOCUS, true, true},
        {"redraw focused, cues hidden", ODA_DRAWENTIRE, ODS_FOCUS | ODS_NOFOCUSRECT, true, false},
        {"focus arrives", ODA_FOCUS, ODS_FOCUS, false, true},
        {"focus leaves", ODA_FOCUS, 0, false, true},
        {"focus change, cues hidden", ODA_FOCUS, ODS_FOCUS | ODS_NOFOCUSRECT, false, false},
        {"selection change while focused", ODA_SELECT, ODS_FOCUS | ODS_SELECTED, false, false},
    };
    COLORREF color;
    const std::vector<COLORREF> blank = Render(Link, 0, 0, &color);
    const std::vector<COLORREF> caption = Render(Link, ODA_DRAWENTIRE, 0, &color);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF hot = ReadableLinkColor(GetSysColor(COLOR_HOTLIGHT), face);
    EXPECT_GE(ContrastRatio(hot, face), 4.5);
    EXPECT_NE(std::count(caption.begin(), caption.end(), hot), 0);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<COLORREF> pixels = Render(Link, c.Action, c.State, &color);
        EXPECT_EQ(color, RGB(1, 2, 3));   // the context's text colour is restored
        EXPECT_EQ(std::count(pixels.begin(), pixels.end(), hot) != 0, c.Caption);
        const std::vector<COLORREF> &without = c.Caption ? caption : blank;
        EXPECT_EQ(pixels != without, c.Focus);
    }
}

// Every opening creates one underlined font and every closing deletes it;
// Enter and Escape end the box with OK and Cancel.
TEST_F(About, OpeningAndClosingManyTimesKeepsGdiObjectsStable)
{
    DestroyWindow(Dialog);
    Dialog = NULL;
    auto gdiObjects = [] { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS); };
    RunDialog(Owner, IDD_ABOUT, AboutDialogProc, 0, [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); });
    DWORD before = gdiObjects();
    for (int i = 0; i < 25; i++) {
        HFONT created = NULL;
        WPARAM key = i % 2 ? VK_ESCAPE : VK_RETURN;
        INT_PTR result = RunDialog(Owner, IDD_ABOUT, AboutDialogProc, 0, [&](HWND d) {
            created = LinkButtonState.UnderlinedFont;
            EXPECT_EQ(GetObjectType(created), (DWORD)OBJ_FONT);
            EXPECT_EQ((HFONT)SendDlgItemMessageA(d, IDC_WEBSITE, WM_GETFONT, 0, 0), created);
            PressKey(GetDlgItem(d, IDOK), key);
        });
        EXPECT_EQ(result, key == VK_RETURN ? IDOK : IDCANCEL);
        EXPECT_EQ(GetObjectType(created), 0u) << "underlined font of opening " << i << " not deleted";
        EXPECT_TRUE(LinkButtonState.UnderlinedFont == NULL);
    }
    EXPECT_EQ(gdiObjects(), before);
}

// Ratios against reference points of the accessibility guidelines (#767676
// is the lightest grey that passes on white, #777777 just fails), and the
// link colour: the hot-tracking colour while it passes, else the first fixed
// blue that does, else the best of them.
TEST(LinkColor, ContrastDecidesBetweenHotTrackingAndFixedBlues)
{
    struct Ratio { COLORREF A, B; double Expected; } ratios[] = {
        {RGB(0, 0, 0), RGB(255, 255, 255), 21.0},
        {RGB(37, 111, 149), RGB(37, 111, 149), 1.0},
        {RGB(118, 118, 118), RGB(255, 255, 255), 4.542},
        {RGB(119, 119, 119), RGB(255, 255, 255), 4.478},
    };
    for (const Ratio &r : ratios)
        EXPECT_NEAR(ContrastRatio(r.A, r.B), r.Expected, 0.001) << std::hex << r.A << " on " << r.B;

    const COLORREF darkBlue = RGB(0, 0, 204), lightBlue = RGB(102, 170, 255);
    struct Pick { const char *Name; COLORREF Hot, Face, Expected; } picks[] = {
        {"classic blue on white", RGB(0, 102, 204), RGB(255, 255, 255), RGB(0, 102, 204)},
        {"just passing grey", RGB(118, 118, 118), RGB(255, 255, 255), RGB(118, 118, 118)},
        {"just failing grey", RGB(119, 119, 119), RGB(255, 255, 255), darkBlue},
        {"light grey on light grey", RGB(224, 224, 224), RGB(245, 245, 245), darkBlue},
        {"classic blue on classic grey", RGB(0, 102, 204), RGB(192, 192, 192), darkBlue},
        {"navy on a dark face", RGB(0, 0, 128), RGB(40, 40, 40), lightBlue},
        {"mid grey face: none passes, the best wins", RGB(128, 128, 128), RGB(128, 128, 128), darkBlue},
    };
    for (const Pick &p : picks)
        EXPECT_EQ(ReadableLinkColor(p.Hot, p.Face), p.Expected) << p.Name;
}
