// The colour picker button and its palette under Wine, in a real parent
// window: the button shows its colour, the palette opens below it, the keys
// move and end it, the parent hears the end, colours made in the colour
// dialog stay with the picker even when the palette is then cancelled, and a
// click outside still ends the palette after it lost the capture.
#include <gtest/gtest.h>

#include <colordlg.h>

#include "controls/ColourPicker.h"
#include "controls/ColourPopup.h"
#include "support/Support.h"

using namespace testsupport;

namespace {

// A top-level window holding one picker; it writes down every notice.
class Parent : public CWnd {
public:
    std::vector<std::pair<UINT, WPARAM>> notes;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg >= CLRN_SELCHANGE && msg <= CLRN_SELENDCANCEL) {
            if (msg != CLRN_SELCHANGE) notes.emplace_back(msg, wp);
            return 1;
        }
        return CWnd::WindowProc(msg, wp, lp);
    }
};

class ColourTest : public ::testing::Test {
protected:
    void SetUp() override {
        LPCWSTR cls = AfxRegisterWndClass(0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
        ASSERT_TRUE(parent.CreateEx(0, cls, CString("colours"), WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr, nullptr));
        const HWND button = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE, 20, 20, 80, 24, parent.m_hWnd,
                                              reinterpret_cast<HMENU>(1009), nullptr, nullptr);
        ASSERT_TRUE(picker.SubclassWindow(button));
        picker.SetColour(RGB(255, 255, 255));
    }
    void TearDown() override { parent.DestroyWindow(); }

    ColourPopup* Open() {
        ::SendMessageW(picker.m_hWnd, BM_CLICK, 0, 0);
        PumpMessages(50);
        return dynamic_cast<ColourPopup*>(CWnd::FromHandle(::GetCapture()));
    }
    void Keys(std::initializer_list<UINT> keys) {
        for (UINT key : keys) {
            ::PostMessageW(::GetCapture(), WM_KEYDOWN, key, 1);
            PumpMessages(30);
        }
    }

    Parent parent;
    CXColourPicker picker;
};

HWND g_popup = nullptr;

// Inside the colour dialog's own loop: makes (10, 20, 30) the colour and a
// custom colour, then presses OK.
void CALLBACK DriveColourDialog(HWND, UINT, UINT_PTR id, DWORD) {
    struct Find {
        static BOOL CALLBACK Visit(HWND hwnd, LPARAM out) {
            if (::IsWindowVisible(hwnd) && ::GetWindow(hwnd, GW_OWNER) == g_popup && ::GetDlgItem(hwnd, COLOR_ADD)) {
                *reinterpret_cast<HWND*>(out) = hwnd;
            }
            return TRUE;
        }
    };
    HWND dialog = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &Find::Visit, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    ::KillTimer(nullptr, id);
    for (int item : {COLOR_RED, COLOR_GREEN, COLOR_BLUE}) ::SetDlgItemInt(dialog, item, item == COLOR_RED ? 10 : item == COLOR_GREEN ? 20 : 30, FALSE);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(COLOR_ADD, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, COLOR_ADD)));
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
}

}  // namespace

TEST_F(ColourTest, PaletteOpensBelowAndKeysEndIt) {
    ColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    RECT button{}, palette{};
    picker.GetWindowRect(&button);
    popup->GetWindowRect(&palette);
    EXPECT_EQ(std::make_pair(palette.left, palette.top), std::make_pair(button.left, button.bottom));
    EXPECT_EQ(popup->ChosenCell(), (PaletteCell{6, 7})) << "white marks its own cell";
    Keys({VK_RIGHT, VK_RETURN});  // from the end of the row to its start: black
    EXPECT_EQ(picker.GetColour(), RGB(0, 0, 0));
    ASSERT_TRUE(Open());
    Keys({VK_DOWN, VK_ESCAPE});
    EXPECT_EQ(picker.GetColour(), RGB(0, 0, 0)) << "Esc keeps the colour";
    EXPECT_EQ(parent.notes, (std::vector<std::pair<UINT, WPARAM>>{{CLRN_DROPDOWN, 0xFFFFFF},
                                                                  {CLRN_CLOSEUP, 0},
                                                                  {CLRN_SELENDOK, 0},
                                                                  {CLRN_DROPDOWN, 0},
                                                                  {CLRN_CLOSEUP, 0},
                                                                  {CLRN_SELENDCANCEL, 0}}));

    // The operator goes to another window while it is open, a colour under
    // the keys: it ends, cancelled, the button's colour kept.
    const HWND leaving = Open()->m_hWnd;
    Keys({VK_DOWN});
    ::SetActiveWindow(parent.m_hWnd);
    ::SendMessageW(leaving, WM_CANCELMODE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(leaving); }, 1000));
    EXPECT_EQ(parent.notes.back(), std::make_pair(UINT{CLRN_SELENDCANCEL}, WPARAM{0}));
    EXPECT_EQ(picker.GetColour(), RGB(0, 0, 0));

    // The face shows the swatch in the button's colour, on the screen.
    ASSERT_TRUE(Open());
    Keys({VK_UP, VK_RETURN});  // from black up to Cornflower Blue
    ASSERT_EQ(picker.GetColour(), RGB(100, 149, 237));
    RECT face{};
    picker.GetWindowRect(&face);
    const Pixels shot = CaptureScreen(face);
    int swatch = 0;
    for (std::uint32_t c : shot.rgb) swatch += (c & 0xFFFFFF) == 0x6495ED;
    // 80 x 24: the face is 76 x 20 inside the frame and 72 x 16 inside the
    // edges; 12 + 5 pixels on the right go to the arrow and the etched line;
    // a black frame of one pixel goes round the swatch.
    ASSERT_EQ(std::make_pair(shot.width, shot.height), std::make_pair(80, 24));
    EXPECT_EQ(swatch, 53 * 14);
    EXPECT_EQ(shot.At(20, shot.height / 2), 0x6495EDu);
}

TEST_F(ColourTest, CustomColoursSurviveACancelledPalette) {
    ColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    g_popup = popup->m_hWnd;
    const UINT_PTR driver = ::SetTimer(nullptr, 0, 50, &DriveColourDialog);
    Keys({VK_DOWN, VK_DOWN, VK_DOWN});  // from white (6, 7) over the separator to the custom button
    EXPECT_EQ(popup->HotCell(), (PaletteCell{10, 7}));
    Keys({VK_RETURN});  // the colour dialog, pressed through by the timer
    ::KillTimer(nullptr, driver);
    ASSERT_EQ(::GetCapture(), g_popup) << "the palette stays open after the dialog";
    // Wine may deliver a focus-out of the dialog's time only now, and with
    // it WM_CANCELMODE, which takes the capture away: the palette takes it
    // back, so that a click outside still ends it.
    ::SendMessageW(g_popup, WM_CANCELMODE, 0, 0);
    ASSERT_TRUE(PumpUntil([] { return ::GetCapture() == g_popup; }, 1000));
    POINT separator{70, 173};  // a click there takes nothing: still open
    ::ClientToScreen(g_popup, &separator);
    ClickScreen(separator.x, separator.y);
    PumpMessages(100);
    ASSERT_TRUE(::IsWindow(g_popup) && ::GetCapture() == g_popup) << "after a click on the separator";
    parent.notes.clear();
    ClickScreen(380, 110);  // on the parent, beside the palette
    ASSERT_TRUE(PumpUntil([] { return !::IsWindow(g_popup); }, 1000));
    EXPECT_EQ(picker.GetColour(), RGB(255, 255, 255)) << "not the dialog's colour";
    EXPECT_EQ(parent.notes, (std::vector<std::pair<UINT, WPARAM>>{{CLRN_CLOSEUP, 0xFFFFFF}, {CLRN_SELENDCANCEL, 0xFFFFFF}}));
    EXPECT_EQ(picker.GetCustomColours()[0], RGB(10, 20, 30));
    EXPECT_TRUE(::IsWindowEnabled(parent.m_hWnd) && ::GetActiveWindow() == parent.m_hWnd) << "handed back to the parent";
}
