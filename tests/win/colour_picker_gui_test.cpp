// The colour picker button in a real parent window under Wine: a click opens
// the palette below it, the parent's notifications arrive in order with
// their payload, the button's drawing in real pixels, disabling, and the
// custom colours each picker keeps.
#include "colour_harness.h"

using namespace colourtest;

namespace {

constexpr COLORREF kRed = Rgb(255, 0, 0);
constexpr COLORREF kDeepPink = Rgb(255, 0, 128);
constexpr LPARAM kId = 1009;

class PickerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::GetSystemMetrics(SM_CXEDGE), 2);
        ASSERT_EQ(::GetSystemMetrics(SM_CYEDGE), 2);
        ASSERT_TRUE(m_parent.CreateTop(100, 100, 400, 300));
        m_parent.watched = &m_picker;
        ASSERT_TRUE(AddButton(m_picker, 1009, 20));
        ParkPointer();
        Pump();
    }
    void TearDown() override {
        CloseAnyPopup();
        m_parent.DestroyWindow();
        Pump(20);
    }

    // A template-like plain push button (style 0 in its low nibble), taken
    // over by the picker.
    bool AddButton(CXColourPicker& picker, int id, int y) {
        HWND button = ::CreateWindowExW(0, L"BUTTON", L"template text", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, y,
                                        80, 24, m_parent.m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                        ::GetModuleHandleW(nullptr), nullptr);
        return button && picker.SubclassWindow(button);
    }

    void Click() {
        ::SendMessageW(m_picker.m_hWnd, BM_CLICK, 0, 0);
        Pump();
    }

    COLORREF Pixel(int x, int y) {
        ::UpdateWindow(m_picker.m_hWnd);
        WindowDC dc(m_picker.m_hWnd);
        return ::GetPixel(dc.get(), x, y);
    }

    std::vector<Note>& Notes() { return m_parent.notes; }

    Recorder m_parent;
    CXColourPicker m_picker;
};

void ExpectNote(const Note& n, UINT msg, COLORREF colour, COLORREF pickerColour) {
    EXPECT_EQ(n.msg, msg);
    EXPECT_EQ(n.wp, colour) << std::hex << n.wp;
    EXPECT_EQ(n.lp, kId) << "lParam is the button's id";
    EXPECT_EQ(n.pickerColour, pickerColour) << "GetColour during the notice";
}

}  // namespace

TEST_F(PickerTest, SubclassingMakesAnOwnerDrawButtonHoldingWhite) {
    EXPECT_EQ(m_picker.GetStyle() & 0x0F, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_EQ(m_picker.GetColour(), 0x00FFFFFFu);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m_picker.GetCustomColours()[i], 0x00FFFFFFu);
    m_picker.SetColour(kRed);
    EXPECT_EQ(m_picker.GetColour(), kRed);
    EXPECT_TRUE(Notes().empty()) << "SetColour tells nobody";
}

TEST_F(PickerTest, ClickOpensThePaletteBelowAndAcceptingTheSameColourChangesNothing) {
    m_picker.SetColour(kRed);
    Click();
    ColourPopup* popup = OpenPopup();
    ASSERT_NE(popup, nullptr) << "the palette holds the capture";
    RECT button{}, rc{};
    m_picker.GetWindowRect(&button);
    ::GetWindowRect(popup->m_hWnd, &rc);
    EXPECT_EQ(rc.left, button.left);
    EXPECT_EQ(rc.top, button.bottom);
    EXPECT_EQ(rc.right - rc.left, 148);
    EXPECT_EQ(rc.bottom - rc.top, 238);
    EXPECT_EQ(popup->ChosenCell(), (PaletteCell{0, 2}));
    ASSERT_EQ(Notes().size(), 1u) << Dump(Notes());
    ExpectNote(Notes()[0], CLRN_DROPDOWN, kRed, kRed);

    Key(popup->m_hWnd, VK_RETURN);
    EXPECT_EQ(OpenPopup(), nullptr);
    ASSERT_EQ(Notes().size(), 3u) << "no CLRN_SELCHANGE for the same colour" << Dump(Notes());
    ExpectNote(Notes()[1], CLRN_CLOSEUP, kRed, kRed);
    ExpectNote(Notes()[2], CLRN_SELENDOK, kRed, kRed);
    EXPECT_EQ(m_picker.GetColour(), kRed);
}

TEST_F(PickerTest, AcceptingANewColourNotifiesWhileTheOldOneIsStillHeld) {
    m_picker.SetColour(kRed);
    // The parent's WM_COMMAND is reflected to the picker, as a click sends it.
    ::SendMessageW(m_parent.m_hWnd, WM_COMMAND, MAKEWPARAM(1009, BN_CLICKED),
                   reinterpret_cast<LPARAM>(m_picker.m_hWnd));
    Pump();
    ColourPopup* popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    Key(popup->m_hWnd, VK_RIGHT);  // (0, 2) -> (0, 3) "Deep Pink"
    EXPECT_EQ(Notes().size(), 1u) << "previews stay between palette and button";
    EXPECT_EQ(m_picker.GetColour(), kRed);
    Key(popup->m_hWnd, VK_RETURN);
    ASSERT_EQ(Notes().size(), 4u) << Dump(Notes());
    ExpectNote(Notes()[0], CLRN_DROPDOWN, kRed, kRed);
    ExpectNote(Notes()[1], CLRN_CLOSEUP, kDeepPink, kRed);
    ExpectNote(Notes()[2], CLRN_SELENDOK, kDeepPink, kRed);
    ExpectNote(Notes()[3], CLRN_SELCHANGE, kDeepPink, kDeepPink);
    EXPECT_EQ(m_picker.GetColour(), kDeepPink);
    EXPECT_EQ(Pixel(20, 12), kDeepPink) << "redrawn with the new colour";
}

TEST_F(PickerTest, OperatorClicksTheButtonThenACell) {
    m_picker.SetColour(kRed);
    MoveOver(m_picker.m_hWnd, 30, 12);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    ColourPopup* popup = OpenPopup();
    ASSERT_NE(popup, nullptr) << "the palette keeps the capture the button let go";
    const HWND hwnd = popup->m_hWnd;
    MoveOver(hwnd, 2 + 6 * 18 + 9, 2 + 4 * 18 + 9);  // (4, 6) "Medium Blue"
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(::IsWindow(hwnd)) << "the press does nothing";
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_FALSE(::IsWindow(hwnd));
    const COLORREF mediumBlue = Rgb(0, 64, 128);
    ASSERT_EQ(Notes().size(), 4u) << Dump(Notes());
    ExpectNote(Notes()[0], CLRN_DROPDOWN, kRed, kRed);
    ExpectNote(Notes()[1], CLRN_CLOSEUP, mediumBlue, kRed);
    ExpectNote(Notes()[2], CLRN_SELENDOK, mediumBlue, kRed);
    ExpectNote(Notes()[3], CLRN_SELCHANGE, mediumBlue, mediumBlue);
    EXPECT_EQ(Pixel(20, 12), mediumBlue);
}

TEST_F(PickerTest, EscapeAndAReleaseOutsideCancel) {
    m_picker.SetColour(kRed);
    Click();
    ColourPopup* popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    Key(popup->m_hWnd, VK_RIGHT);
    Key(popup->m_hWnd, VK_ESCAPE);
    ASSERT_EQ(Notes().size(), 3u) << Dump(Notes());
    ExpectNote(Notes()[1], CLRN_CLOSEUP, kRed, kRed);
    ExpectNote(Notes()[2], CLRN_SELENDCANCEL, kRed, kRed);
    EXPECT_EQ(m_picker.GetColour(), kRed);

    Notes().clear();
    Click();
    popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    MoveOver(popup->m_hWnd, 30, 30);  // a colour previewed, then left
    ReleaseAt(popup->m_hWnd, 200, 30);
    EXPECT_EQ(OpenPopup(), nullptr);
    ASSERT_EQ(Notes().size(), 3u) << Dump(Notes());
    ExpectNote(Notes()[0], CLRN_DROPDOWN, kRed, kRed);
    ExpectNote(Notes()[1], CLRN_CLOSEUP, kRed, kRed);
    ExpectNote(Notes()[2], CLRN_SELENDCANCEL, kRed, kRed);
    EXPECT_EQ(m_picker.GetColour(), kRed);
}

TEST_F(PickerTest, APaletteThatCannotOpenStillSendsDropDownOnly) {
    m_picker.SetColour(kRed);
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, &RefusePalette, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    Click();
    ::UnhookWindowsHookEx(hook);
    EXPECT_EQ(::GetCapture(), nullptr);
    ASSERT_EQ(Notes().size(), 1u) << Dump(Notes());
    ExpectNote(Notes()[0], CLRN_DROPDOWN, kRed, kRed);
    EXPECT_EQ(m_picker.GetColour(), kRed);
    Click();  // and the next click opens it
    ColourPopup* popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    Key(popup->m_hWnd, VK_ESCAPE);
    EXPECT_EQ(Notes().size(), 4u) << Dump(Notes());
}

TEST_F(PickerTest, DisabledHoldsSilverAndReEnablingRestores) {
    m_picker.SetColour(kRed);
    m_picker.EnableWindow(FALSE);
    EXPECT_EQ(m_picker.GetColour(), 0x00C0C0C0u);
    EXPECT_EQ(Pixel(20, 12), ::GetSysColor(COLOR_BTNFACE)) << "no swatch while disabled";
    EXPECT_EQ(Pixel(62, 12), ::GetSysColor(COLOR_BTNSHADOW)) << "etched line still drawn";
    m_picker.EnableWindow(TRUE);
    EXPECT_EQ(m_picker.GetColour(), kRed);
    EXPECT_EQ(Pixel(20, 12), kRed);

    m_picker.EnableWindow(FALSE);
    m_picker.SetColour(kDeepPink);  // while disabled: shown once enabled again
    m_picker.EnableWindow(TRUE);
    EXPECT_EQ(m_picker.GetColour(), kDeepPink);
    EXPECT_EQ(Pixel(20, 12), kDeepPink);
}

// Button 80 x 24 with SM_CXEDGE 2: face (2, 2)-(78, 22), inner (4, 4)-(76, 20);
// arrow from x 66, rows at y 10..13 of 7, 5, 3, 1 pixels; etched line at
// x 62/63; swatch (4, 4)-(59, 20) framed in black.
TEST_F(PickerTest, DrawsFramedSwatchEtchedLineAndArrow) {
    ASSERT_EQ(std::max(::GetSystemMetrics(SM_CXHTHUMB) / 3 + 2, ::GetSystemMetrics(SM_CYVTHUMB) / 3 + 2), 7);
    m_picker.SetColour(kRed);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF black = 0;
    EXPECT_EQ(Pixel(4, 4), black);
    EXPECT_EQ(Pixel(58, 19), black);
    EXPECT_EQ(Pixel(4, 12), black);
    EXPECT_EQ(Pixel(5, 5), kRed);
    EXPECT_EQ(Pixel(57, 18), kRed);
    EXPECT_EQ(Pixel(59, 12), face);
    EXPECT_EQ(Pixel(62, 12), ::GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(Pixel(63, 12), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    const struct { int x0, x1, y; } rows[] = {{66, 72, 10}, {67, 71, 11}, {68, 70, 12}, {69, 69, 13}};
    for (auto r : rows) {
        EXPECT_EQ(Pixel(r.x0 - 1, r.y), face) << r.y;
        for (int x = r.x0; x <= r.x1; ++x) EXPECT_EQ(Pixel(x, r.y), black) << x << "," << r.y;
        EXPECT_EQ(Pixel(r.x1 + 1, r.y), face) << r.y;
    }
    EXPECT_EQ(Pixel(69, 14), face);
    EXPECT_EQ(Pixel(69, 9), face);

    // Pushed: everything inside the frame moves one pixel right and down.
    ::SendMessageW(m_picker.m_hWnd, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(Pixel(5, 5), black);
    EXPECT_EQ(Pixel(59, 20), black);
    EXPECT_EQ(Pixel(6, 6), kRed);
    EXPECT_EQ(Pixel(67, 11), black);
    ::SendMessageW(m_picker.m_hWnd, BM_SETSTATE, FALSE, 0);

    // CLR_DEFAULT shows the application-workspace colour; GetColour keeps it.
    m_picker.SetColour(CLR_DEFAULT);
    EXPECT_EQ(m_picker.GetColour(), static_cast<COLORREF>(CLR_DEFAULT));
    EXPECT_EQ(Pixel(20, 12), ::GetSysColor(COLOR_APPWORKSPACE));
}

// The dotted focus rectangle runs over the face (2, 2)-(77, 22): one pixel
// short of the face on the right.
TEST_F(PickerTest, FocusRectangleInsideTheFace) {
    m_picker.SetColour(kRed);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    auto changed = [&](int x, int y0, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y) n += Pixel(x, y) != face;
        return n;
    };
    ::SetFocus(m_parent.m_hWnd);
    Pump();
    EXPECT_EQ(changed(2, 2, 22), 0);
    EXPECT_EQ(changed(76, 2, 22), 0);
    m_picker.SetFocus();
    Pump();
    ASSERT_EQ(::GetFocus(), m_picker.m_hWnd);
    EXPECT_GT(changed(2, 2, 22), 0) << "left side of the focus rectangle";
    EXPECT_GT(changed(76, 2, 22), 0) << "right side";
    EXPECT_EQ(changed(77, 2, 22), 0) << "the face's last column stays clear";
    EXPECT_EQ(Pixel(20, 12), kRed);
}

TEST_F(PickerTest, TheSwatchOnTheScreen) {
    m_picker.SetColour(Rgb(0, 0, 255));
    ::UpdateWindow(m_picker.m_hWnd);
    Pump(100);
    // Read back from the screen, not the window's own DC.
    POINT inside{30, 12}, frame{4, 12};
    ::ClientToScreen(m_picker.m_hWnd, &inside);
    ::ClientToScreen(m_picker.m_hWnd, &frame);
    WindowDC screen(nullptr);
    EXPECT_EQ(::GetPixel(screen.get(), inside.x, inside.y), Rgb(0, 0, 255));
    EXPECT_EQ(::GetPixel(screen.get(), frame.x, frame.y), 0u);
}

TEST_F(PickerTest, EachPickerKeepsItsOwnCustomColours) {
    CXColourPicker second;
    ASSERT_TRUE(AddButton(second, 1010, 60));
    g_dialogScript = DialogScript{};
    g_dialogScript.timer = ::SetTimer(nullptr, 0, 150, &DriveColourDialog);

    m_picker.SetColour(kRed);
    Click();
    ColourPopup* popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    g_dialogScript.popup = popup->m_hWnd;
    MoveOver(popup->m_hWnd, 70, 186);  // the custom button
    Key(popup->m_hWnd, VK_RETURN);     // dialog: (10, 20, 30) added, OK
    EXPECT_EQ(g_dialogScript.runs, 1);
    Key(popup->m_hWnd, VK_ESCAPE);
    ::KillTimer(nullptr, g_dialogScript.timer);
    EXPECT_EQ(m_picker.GetCustomColours()[0], Rgb(10, 20, 30)) << "kept through the cancel";
    EXPECT_EQ(m_picker.GetColour(), kRed);

    ::SendMessageW(second.m_hWnd, BM_CLICK, 0, 0);
    Pump();
    popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(g_palette[88].colour, 0x00FFFFFFu) << "the second picker's own colours";
    Key(popup->m_hWnd, VK_ESCAPE);
    EXPECT_EQ(second.GetCustomColours()[0], 0x00FFFFFFu);

    Click();
    popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(g_palette[88].colour, Rgb(10, 20, 30));
    Key(popup->m_hWnd, VK_ESCAPE);
}
