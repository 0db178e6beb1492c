// The palette popup as a real window under Wine: its class, size and place,
// painting, pointer and keys, the end messages with their lParam, the custom
// colours, and the colour dialog behind the custom button.
#include "colour_harness.h"

#include <cstring>

using namespace colourtest;

namespace {

constexpr COLORREF kRed = Rgb(255, 0, 0);
constexpr COLORREF kLightMaroon = Rgb(128, 0, 64);
constexpr COLORREF kVeryLightPink = Rgb(255, 208, 232);
constexpr COLORREF kAquamarine = Rgb(127, 255, 212);
constexpr COLORREF kDarkOrange = Rgb(255, 140, 0);
constexpr COLORREF kNotInTable = 0x00010203;

class PopupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::GetSystemMetrics(SM_CXEDGE), 2);
        ASSERT_TRUE(m_top.CreateTop(100, 100, 400, 300));
        ASSERT_TRUE(m_owner.CreateChild(&m_top, 20, 20, 80, 24, 77));
        for (COLORREF& c : m_custom) c = 0x00FFFFFF;
        ParkPointer();
        Pump();
    }
    void TearDown() override {
        CloseAnyPopup();
        m_top.DestroyWindow();
        Pump(20);
    }

    // Opens at the owner's bottom-left corner, as the picker does.
    ColourPopup* Open(COLORREF initial) {
        RECT rc{};
        m_owner.GetWindowRect(&rc);
        ColourPopup* popup = ColourPopup::Open(&m_owner, POINT{rc.left, rc.bottom}, initial, m_custom);
        Pump();
        return popup;
    }

    static POINT CellCentre(ColourPopup* p, int row, int col) {
        PaletteRect r = PaletteCellRect(p->Layout(), row, col);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    std::vector<Note>& Notes() { return m_owner.notes; }

    Recorder m_top;
    Recorder m_owner;
    COLORREF m_custom[16];
};

void ExpectNote(const Note& n, UINT msg, COLORREF colour, LPARAM lp) {
    EXPECT_EQ(n.msg, msg);
    EXPECT_EQ(n.wp, colour) << std::hex << n.wp;
    EXPECT_EQ(static_cast<DWORD>(n.lp), static_cast<DWORD>(lp)) << std::hex << n.lp;
}

}  // namespace

TEST_F(PopupTest, OpensBelowTheOwnerWithItsClassSizeAndTips) {
    ColourPopup* p = Open(kRed);
    ASSERT_NE(p, nullptr);
    const HWND hwnd = p->m_hWnd;
    EXPECT_EQ(::GetCapture(), hwnd);
    EXPECT_EQ(::GetClassLongW(hwnd, GCL_STYLE), 0x0843u);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(::GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND)), ::GetStockObject(LTGRAY_BRUSH));
    // The system adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE)) & ~static_cast<DWORD>(WS_CLIPSIBLINGS),
              0x90000000u);
    EXPECT_EQ(::GetWindowLongW(hwnd, GWL_EXSTYLE), 0);
    EXPECT_EQ(::GetParent(hwnd), m_top.m_hWnd) << "a popup's owner is the owner's top-level window";

    RECT owner{}, rc{};
    m_owner.GetWindowRect(&owner);
    ::GetWindowRect(hwnd, &rc);
    EXPECT_EQ(rc.left, owner.left);
    EXPECT_EQ(rc.top, owner.bottom);
    ASSERT_LE(p->Layout().custom.Width(), 144) << "the caption is narrower than the grid here";
    EXPECT_EQ(rc.right - rc.left, 148);
    EXPECT_EQ(rc.bottom - rc.top, 238);
    EXPECT_EQ(p->Layout().custom.top, 182);
    EXPECT_EQ(p->Layout().separator.top, 164);

    EXPECT_EQ(p->ChosenCell(), (PaletteCell{0, 2}));
    EXPECT_TRUE(p->HotCell().IsNone());
    // One tool per colour cell and one for the custom button, all id 1.
    const HWND tips = p->ToolTipWindow();
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(::GetWindow(tips, GW_OWNER), hwnd);
    ASSERT_EQ(::SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 89);
    const struct { int index; const wchar_t* text; RECT rc; } tools[] = {
        {0, L"Light Maroon", {2, 2, 20, 20}},
        {71, L"Desktop", {128, 146, 146, 164}},
        {72, L"Selects a custom color", {2, 182, 146, p->Layout().custom.bottom}},
        {73, L"Custom color 1", {2, 200, 20, 218}},
        {88, L"Custom color 16", {128, 218, 146, 236}},
    };
    for (const auto& t : tools) {
        wchar_t text[80] = {};
        TTTOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        info.lpszText = text;
        ASSERT_TRUE(::SendMessageW(tips, TTM_ENUMTOOLSW, t.index, reinterpret_cast<LPARAM>(&info))) << t.index;
        EXPECT_STREQ(text, t.text) << t.index;
        EXPECT_EQ(info.uId, 1u);
        EXPECT_EQ(info.hwnd, hwnd);
        EXPECT_TRUE(::EqualRect(&info.rect, &t.rc)) << t.index << ": " << info.rect.left << "," << info.rect.top
                                                    << "," << info.rect.right << "," << info.rect.bottom;
    }
    // System colours are refreshed when a palette opens.
    EXPECT_EQ(g_palette[64].colour, ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(g_palette[71].colour, ::GetSysColor(COLOR_DESKTOP));

    // Painted: the chosen cell sunken, the others flat, swatches in their
    // colours with a shadow outline, the groove across row 9.
    ::UpdateWindow(hwnd);
    WindowDC dc(hwnd);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(::GetPixel(dc.get(), 38, 2), shadow) << "sunken edge of (0, 2)";
    EXPECT_EQ(::GetPixel(dc.get(), 20, 2), face) << "(0, 1) has no edge";
    EXPECT_EQ(::GetPixel(dc.get(), 38 + 3, 2 + 3), shadow) << "swatch outline";
    EXPECT_EQ(::GetPixel(dc.get(), 38 + 9, 2 + 9), kRed);
    EXPECT_EQ(::GetPixel(dc.get(), 2 + 9, 2 + 9), kLightMaroon);
    EXPECT_EQ(::GetPixel(dc.get(), 128 + 9, 218 + 9), 0x00FFFFFFu) << "custom colour 16";
    EXPECT_EQ(::GetPixel(dc.get(), 60, 164 + 7), shadow) << "groove top";
    EXPECT_EQ(::GetPixel(dc.get(), 60, 164 + 3), face) << "above the groove";
    EXPECT_EQ(::GetPixel(dc.get(), 0, 100), ::GetSysColor(COLOR_3DLIGHT)) << "raised window edge, outer";
    EXPECT_EQ(::GetPixel(dc.get(), 1, 100), ::GetSysColor(COLOR_BTNHIGHLIGHT)) << "raised window edge, inner";
    EXPECT_EQ(::GetPixel(dc.get(), 147, 100), ::GetSysColor(COLOR_3DDKSHADOW));

    Key(hwnd, VK_ESCAPE);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(::GetCapture(), nullptr);
    ASSERT_EQ(Notes().size(), 1u) << Dump(Notes());
    ExpectNote(Notes()[0], CLRN_SELENDCANCEL, kRed, static_cast<LPARAM>(0xFFFFFFFF));
}

TEST_F(PopupTest, AWindowThatCannotBeCreatedOpensNothing) {
    m_custom[0] = 0x00445566;
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, &RefusePalette, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    ColourPopup* p = Open(kRed);
    ::UnhookWindowsHookEx(hook);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(::GetCapture(), nullptr);
    Key(m_owner.m_hWnd, VK_ESCAPE);
    EXPECT_TRUE(Notes().empty()) << Dump(Notes());
    EXPECT_EQ(m_custom[0], 0x00445566u);
    // The next one opens normally.
    p = Open(kRed);
    ASSERT_NE(p, nullptr);
    Key(p->m_hWnd, VK_ESCAPE);
    EXPECT_EQ(Notes().size(), 1u);
}

TEST_F(PopupTest, ArrowKeysFromNothingHotOrChosen) {
    m_custom[15] = 0x00112233;
    ColourPopup* p = Open(kNotInTable);
    ASSERT_NE(p, nullptr);
    const HWND hwnd = p->m_hWnd;
    EXPECT_TRUE(p->ChosenCell().IsNone());
    Key(hwnd, VK_UP);
    Key(hwnd, VK_DOWN);
    EXPECT_TRUE(Notes().empty()) << "Up and Down have nowhere to start";
    EXPECT_TRUE(p->HotCell().IsNone());

    Key(hwnd, VK_LEFT);  // custom colour 16
    EXPECT_EQ(p->HotCell(), (PaletteCell{12, 7}));
    Key(hwnd, VK_DOWN);  // wraps to the top row
    EXPECT_EQ(p->HotCell(), (PaletteCell{0, 7}));
    Key(hwnd, VK_UP);    // and back to the bottom
    Key(hwnd, VK_UP);
    Key(hwnd, VK_UP);    // onto the custom button
    EXPECT_EQ(p->HotCell(), (PaletteCell{10, 7}));
    Key(hwnd, VK_RIGHT);  // stays on the custom button, previews again
    EXPECT_EQ(p->HotCell(), (PaletteCell{10, 0}));
    Key(hwnd, VK_UP);     // over the separator
    EXPECT_EQ(p->HotCell(), (PaletteCell{8, 0}));
    Key(hwnd, VK_DOWN);
    EXPECT_EQ(p->HotCell(), (PaletteCell{10, 0}));
    Key(hwnd, VK_HOME);   // other keys move nothing
    EXPECT_EQ(p->HotCell(), (PaletteCell{10, 0}));

    const COLORREF expected[] = {0x00112233, kVeryLightPink, 0x00112233, 0x00FFFFFF, kNotInTable,
                                 kNotInTable, ::GetSysColor(COLOR_BTNFACE), kNotInTable};
    ASSERT_EQ(Notes().size(), std::size(expected)) << Dump(Notes());
    for (size_t i = 0; i < Notes().size(); ++i) {
        SCOPED_TRACE(i);
        ExpectNote(Notes()[i], CLRN_SELCHANGE, expected[i], 0);
    }
    Key(hwnd, VK_ESCAPE);
    ASSERT_EQ(Notes().size(), std::size(expected) + 1);
    // A cancel carries the opening colour and the cell that was hot.
    ExpectNote(Notes().back(), CLRN_SELENDCANCEL, kNotInTable, 0x0000000A);
}

TEST_F(PopupTest, RightFromNothingThenEnterAccepts) {
    ColourPopup* p = Open(kNotInTable);
    ASSERT_NE(p, nullptr);
    const HWND hwnd = p->m_hWnd;
    Key(hwnd, VK_RIGHT);
    EXPECT_EQ(p->HotCell(), (PaletteCell{0, 0}));
    Key(hwnd, VK_RETURN);
    EXPECT_FALSE(::IsWindow(hwnd));
    ASSERT_EQ(Notes().size(), 2u) << Dump(Notes());
    ExpectNote(Notes()[0], CLRN_SELCHANGE, kLightMaroon, 0);
    ExpectNote(Notes()[1], CLRN_SELENDOK, kLightMaroon, 0);
}

TEST_F(PopupTest, EnterWithNothingHotAcceptsTheOpeningColour) {
    ColourPopup* p = Open(kRed);
    ASSERT_NE(p, nullptr);
    Key(p->m_hWnd, VK_RETURN);
    ASSERT_EQ(Notes().size(), 1u) << Dump(Notes());
    ExpectNote(Notes()[0], CLRN_SELENDOK, kRed, static_cast<LPARAM>(0xFFFFFFFF));
}

TEST_F(PopupTest, PointerHighlightsSeparatorKeepsItOpenBorderEndsWithNoCell) {
    ColourPopup* p = Open(0x00C0C0C0);
    ASSERT_NE(p, nullptr);
    const HWND hwnd = p->m_hWnd;
    EXPECT_EQ(p->ChosenCell(), (PaletteCell{6, 3})) << "silver is \"Silver\", not a placeholder";
    POINT c = CellCentre(p, 3, 4);
    MoveOver(hwnd, c.x, c.y);
    EXPECT_EQ(p->HotCell(), (PaletteCell{3, 4}));
    MoveOver(hwnd, c.x + 1, c.y + 1);  // same cell: nothing new
    ASSERT_EQ(Notes().size(), 1u) << Dump(Notes());
    ExpectNote(Notes()[0], CLRN_SELCHANGE, kAquamarine, 0);
    {
        WindowDC dc(hwnd);
        PaletteRect r = PaletteCellRect(p->Layout(), 3, 4);
        EXPECT_EQ(::GetPixel(dc.get(), r.left, r.top), ::GetSysColor(COLOR_3DLIGHT)) << "raised hot cell";
        EXPECT_EQ(::GetPixel(dc.get(), r.right - 1, r.bottom - 1), ::GetSysColor(COLOR_3DDKSHADOW));
    }

    MoveOver(hwnd, 100, 170);  // the separator
    EXPECT_EQ(p->HotCell(), (PaletteCell{9, 0}));
    EXPECT_EQ(Notes().size(), 1u) << "the separator previews nothing";
    {
        WindowDC dc(hwnd);
        PaletteRect r = PaletteCellRect(p->Layout(), 3, 4);
        EXPECT_EQ(::GetPixel(dc.get(), r.left, r.top), ::GetSysColor(COLOR_BTNFACE)) << "old hot cell flat again";
    }
    ReleaseAt(hwnd, 100, 170);
    EXPECT_TRUE(::IsWindow(hwnd)) << "a release on the separator keeps the palette open";
    EXPECT_EQ(::GetCapture(), hwnd);
    EXPECT_EQ(Notes().size(), 1u);

    MoveOver(hwnd, 147, 50);  // right border: column 8
    EXPECT_TRUE(p->HotCell().IsNone());
    ReleaseAt(hwnd, 147, 50);
    EXPECT_FALSE(::IsWindow(hwnd));
    ASSERT_EQ(Notes().size(), 2u) << Dump(Notes());
    ExpectNote(Notes()[1], CLRN_SELENDOK, kAquamarine, static_cast<LPARAM>(0xFFFFFFFF));
}

TEST_F(PopupTest, BorderStripsCountAsFirstRowAndColumn) {
    ColourPopup* p = Open(kNotInTable);
    ASSERT_NE(p, nullptr);
    const HWND hwnd = p->m_hWnd;
    MoveOver(hwnd, 0, 0);
    EXPECT_EQ(p->HotCell(), (PaletteCell{0, 0}));
    MoveOver(hwnd, 1, 25);
    EXPECT_EQ(p->HotCell(), (PaletteCell{1, 0}));
    ReleaseAt(hwnd, 1, 25);
    ASSERT_EQ(Notes().size(), 3u) << Dump(Notes());
    ExpectNote(Notes()[0], CLRN_SELCHANGE, kLightMaroon, 0);
    ExpectNote(Notes()[1], CLRN_SELCHANGE, kDarkOrange, 0);
    ExpectNote(Notes()[2], CLRN_SELENDOK, kDarkOrange, 0x00000001);
}

TEST_F(PopupTest, ReleaseOutsideCancelsWithTheOpeningColour) {
    ColourPopup* p = Open(kRed);
    ASSERT_NE(p, nullptr);
    const HWND hwnd = p->m_hWnd;
    POINT c = CellCentre(p, 2, 2);
    MoveOver(hwnd, c.x, c.y);
    MoveOver(hwnd, -20, 30);  // left of the palette: negative client x
    EXPECT_TRUE(p->HotCell().IsNone());
    ReleaseAt(hwnd, -20, 30);
    EXPECT_FALSE(::IsWindow(hwnd));
    ASSERT_EQ(Notes().size(), 2u) << Dump(Notes());
    ExpectNote(Notes()[0], CLRN_SELCHANGE, Rgb(0, 128, 0), 0);
    ExpectNote(Notes()[1], CLRN_SELENDCANCEL, kRed, static_cast<LPARAM>(0xFFFFFFFF));
}

TEST_F(PopupTest, CustomColoursShowAndEachOwnerKeepsItsOwn) {
    m_custom[5] = 0x00ABCDEF;
    ColourPopup* p = Open(0x00ABCDEF);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->ChosenCell(), (PaletteCell{11, 5}));
    EXPECT_EQ(g_palette[93].colour, 0x00ABCDEFu);
    {
        ::UpdateWindow(p->m_hWnd);
        WindowDC dc(p->m_hWnd);
        EXPECT_EQ(::GetPixel(dc.get(), 2 + 5 * 18 + 9, 200 + 9), 0x00ABCDEFu);
        EXPECT_EQ(::GetPixel(dc.get(), 2 + 5 * 18, 200), ::GetSysColor(COLOR_BTNSHADOW)) << "sunken";
    }
    Key(p->m_hWnd, VK_ESCAPE);
    EXPECT_EQ(m_custom[5], 0x00ABCDEFu);

    COLORREF other[16];
    for (COLORREF& c : other) c = 0x00FFFFFF;
    RECT rc{};
    m_owner.GetWindowRect(&rc);
    ColourPopup* q = ColourPopup::Open(&m_owner, POINT{rc.left, rc.bottom}, 0x00ABCDEF, other);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(g_palette[93].colour, 0x00FFFFFFu) << "the table shows the new owner's colours";
    EXPECT_TRUE(q->ChosenCell().IsNone());
    Key(q->m_hWnd, VK_ESCAPE);
    EXPECT_EQ(m_custom[5], 0x00ABCDEFu);
}

// ---- The colour dialog behind the custom button ------------------------------

namespace {

class ColourDialogTest : public PopupTest {
protected:
    void SetUp() override {
        PopupTest::SetUp();
        g_dialogScript = DialogScript{};
        g_dialogScript.timer = ::SetTimer(nullptr, 0, 150, &DriveColourDialog);
    }
    void TearDown() override {
        ::KillTimer(nullptr, g_dialogScript.timer);
        PopupTest::TearDown();
    }
};

}  // namespace

TEST_F(ColourDialogTest, OkFillsCustomRowsWhichSurviveACancel) {
    const COLORREF initial = Rgb(0, 0, 160);  // "Dark Blue"
    ColourPopup* p = Open(initial);
    ASSERT_NE(p, nullptr);
    const HWND hwnd = p->m_hWnd;
    g_dialogScript.popup = hwnd;
    MoveOver(hwnd, 70, 186);  // the custom button
    EXPECT_EQ(p->HotCell(), (PaletteCell{10, 0}));
    ReleaseAt(hwnd, 70, 186);  // runs the dialog, which the timer presses OK in
    EXPECT_EQ(g_dialogScript.runs, 1);
    EXPECT_EQ(g_dialogScript.initialShown, initial);
    ASSERT_TRUE(::IsWindow(hwnd)) << "the palette stays open after the dialog";
    EXPECT_EQ(::GetCapture(), hwnd);
    EXPECT_EQ(p->HotCell(), (PaletteCell{10, 0}));
    EXPECT_EQ(g_palette[88].colour, Rgb(10, 20, 30)) << "custom colour 1 from the dialog";
    EXPECT_EQ(m_custom[0], 0x00FFFFFFu) << "the owner's copy changes only when the palette ends";
    Pump(100);
    {
        WindowDC dc(hwnd);
        EXPECT_EQ(::GetPixel(dc.get(), 2 + 9, 200 + 9), Rgb(10, 20, 30)) << "custom row repainted";
    }
    Key(hwnd, VK_ESCAPE);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(m_custom[0], Rgb(10, 20, 30)) << "kept although the palette was cancelled";
    for (int i = 1; i < 16; ++i) EXPECT_EQ(m_custom[i], 0x00FFFFFFu) << i;
    ASSERT_FALSE(Notes().empty());
    ExpectNote(Notes().back(), CLRN_SELENDCANCEL, initial, 0x0000000A);
}

TEST_F(ColourDialogTest, DialogColourIsAcceptedUntilACellIsHighlighted) {
    const COLORREF initial = kNotInTable;
    ColourPopup* p = Open(initial);
    ASSERT_NE(p, nullptr);
    const HWND hwnd = p->m_hWnd;
    g_dialogScript.popup = hwnd;
    Key(hwnd, VK_LEFT);  // (12, 7)
    Key(hwnd, VK_UP);
    Key(hwnd, VK_UP);    // custom button
    EXPECT_EQ(p->HotCell(), (PaletteCell{10, 7}));
    Key(hwnd, VK_RETURN);
    ASSERT_EQ(g_dialogScript.runs, 1);
    ASSERT_TRUE(::IsWindow(hwnd));
    Key(hwnd, VK_RETURN);  // still on the custom button: the dialog again
    EXPECT_EQ(g_dialogScript.runs, 2);
    ASSERT_TRUE(::IsWindow(hwnd));
    MoveOver(hwnd, 147, 230);  // bottom-right border: nothing hot
    EXPECT_TRUE(p->HotCell().IsNone());
    ReleaseAt(hwnd, 147, 230);
    EXPECT_FALSE(::IsWindow(hwnd));
    ASSERT_FALSE(Notes().empty());
    ExpectNote(Notes().back(), CLRN_SELENDOK, Rgb(10, 20, 30), static_cast<LPARAM>(0xFFFFFFFF));
    EXPECT_EQ(m_custom[0], Rgb(10, 20, 30));
}

TEST_F(ColourDialogTest, CancelledDialogChangesNothing) {
    g_dialogScript.pressOk = false;
    ColourPopup* p = Open(kRed);
    ASSERT_NE(p, nullptr);
    const HWND hwnd = p->m_hWnd;
    g_dialogScript.popup = hwnd;
    Key(hwnd, VK_DOWN);  // from the chosen (0, 2)
    Key(hwnd, VK_DOWN);
    Key(hwnd, VK_DOWN);
    Key(hwnd, VK_DOWN);
    Key(hwnd, VK_DOWN);
    Key(hwnd, VK_DOWN);
    Key(hwnd, VK_DOWN);
    Key(hwnd, VK_DOWN);
    Key(hwnd, VK_DOWN);  // rows 1..8 ("BtnShadow" last), then the custom button
    EXPECT_EQ(p->HotCell(), (PaletteCell{10, 2}));
    Key(hwnd, VK_RETURN);
    EXPECT_EQ(g_dialogScript.runs, 1);
    ASSERT_TRUE(::IsWindow(hwnd));
    EXPECT_EQ(::GetCapture(), hwnd);
    EXPECT_EQ(g_palette[88].colour, 0x00FFFFFFu);
    MoveOver(hwnd, 147, 10);
    ReleaseAt(hwnd, 147, 10);
    ASSERT_FALSE(Notes().empty());
    // The last colour previewed, row 8's "BtnShadow": the custom button and a
    // cancelled dialog leave it.
    ExpectNote(Notes().back(), CLRN_SELENDOK, ::GetSysColor(COLOR_BTNSHADOW), static_cast<LPARAM>(0xFFFFFFFF));
    EXPECT_EQ(m_custom[0], 0x00FFFFFFu);
}
