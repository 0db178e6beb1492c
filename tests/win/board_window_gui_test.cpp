// The board as a real layered window under Wine: placement, the picture it
// hands to UpdateLayeredWindow, timers and the tick counter, the weather
// message, dragging, the layered style, sizes no picture can be made for,
// and what finally shows on the screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "BoardTestSupport.h"
#include "TestSupport.h"
#include "board/FrameBuffer.h"

using boardtest::SharedSettings;
using boardtest::TestBoard;
using boardtest::UpdateCall;
using boardtest::UpdateCalls;
using testsupport::PumpMessages;
using testsupport::PumpUntil;

namespace {

constexpr std::uint32_t kFont = 0xFFFFFFFF;
constexpr std::uint32_t kBg = 0xFF204080;

class BoardWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Any weather download a placement starts goes to a closed loopback
        // port, never out of the machine.
        ::SetEnvironmentVariableW(L"http_proxy", L"http://127.0.0.1:9");
        _wputenv(L"http_proxy=http://127.0.0.1:9");
        UpdateCalls().clear();
        board = std::make_unique<TestBoard>();
        ASSERT_TRUE(board->CreateHidden());
    }
    void TearDown() override {
        board.reset();
        UpdateCalls().clear();
    }
    void Place(int left, int top, int width, int height) {
        SharedSettings::Resize(width, height);
        board->PlaceBoard(RECT{left, top, left + width, top + height});
    }
    size_t Renders() const { return UpdateCalls().size(); }
    const UpdateCall& Last() const { return UpdateCalls().back(); }
    bool HasTimer(UINT_PTR id) const {
        // Killing a timer succeeds only when it runs; put it back afterwards.
        if (!::KillTimer(board->m_hWnd, id)) return false;
        ::SetTimer(board->m_hWnd, id, id == BoardWindow::TIMER_TICK ? BoardWindow::TICK_PERIOD_MS
                                                                       : BoardWindow::WEATHER_PERIOD_MS, nullptr);
        return true;
    }

    SharedSettings settings{400, 225};
    std::unique_ptr<TestBoard> board;
};

}  // namespace

TEST_F(BoardWindowTest, PlacementRendersOnceAndShowsTheWholePicture) {
    EXPECT_FALSE(board->IsWindowVisible());
    EXPECT_EQ(Renders(), 0u);
    Place(100, 50, 1600, 900);
    ASSERT_EQ(Renders(), 1u);
    EXPECT_TRUE(board->IsWindowVisible());
    EXPECT_EQ(board->TickCount(), 0);
    EXPECT_EQ(g_weatherRecord.Get(), "Loading");

    const UpdateCall& c = Last();
    EXPECT_EQ(c.hwnd, board->m_hWnd);
    ASSERT_TRUE(c.hasDestination);
    EXPECT_EQ(c.destination.x, 100);
    EXPECT_EQ(c.destination.y, 50);
    EXPECT_EQ(c.size.cx, 1600);
    EXPECT_EQ(c.size.cy, 900);
    EXPECT_EQ(c.source.x, 0);
    EXPECT_EQ(c.source.y, 0);
    EXPECT_EQ(c.key, 0u);
    EXPECT_EQ(c.blend.BlendOp, AC_SRC_OVER);
    EXPECT_EQ(c.blend.BlendFlags, 0);
    EXPECT_EQ(c.blend.SourceConstantAlpha, 253);
    EXPECT_EQ(c.blend.AlphaFormat, AC_SRC_ALPHA);
    EXPECT_EQ(c.flags, static_cast<DWORD>(ULW_ALPHA));
    EXPECT_TRUE(c.exStyle & WS_EX_LAYERED);
    EXPECT_TRUE(c.result);
    // A 32-bit DIB section of the board's size.
    EXPECT_EQ(c.bitsPerPixel, 32);
    ASSERT_EQ(c.width, 1600);
    ASSERT_EQ(c.height, 900);

    const layout::BoardLayout l = board->Layout();
    EXPECT_EQ(l.margin, 45);
    EXPECT_EQ(l.xLeftDivider, 607);
    EXPECT_EQ(l.xRightDivider, 1119);
    EXPECT_EQ(l.yHeaderRule, 197);
    EXPECT_EQ(l.yPanelRule, 558);
    EXPECT_EQ(c.Pixel(0, 0), kBg);
    EXPECT_EQ(c.Pixel(1599, 899), kBg);
    for (int x = 605; x <= 608; ++x) EXPECT_EQ(c.Pixel(x, 450), kFont) << x;
    EXPECT_EQ(c.Pixel(604, 450), kBg);
    EXPECT_EQ(c.Pixel(609, 450), kBg);
    for (int x = 1117; x <= 1120; ++x) EXPECT_EQ(c.Pixel(x, 100), kFont) << x;
    EXPECT_EQ(c.Pixel(300, 196), kFont);
    EXPECT_EQ(c.Pixel(300, 197), kFont);
    EXPECT_EQ(c.Pixel(300, 899 - 197), kBg);  // rows run top-down
    EXPECT_EQ(c.Pixel(1300, 197), kFont);
    EXPECT_EQ(c.Pixel(800, 557), kFont);
    EXPECT_EQ(c.Pixel(800, 559), kBg);
    RECT rc{};
    ::GetWindowRect(board->m_hWnd, &rc);
    EXPECT_EQ(rc.left, 100);
    EXPECT_EQ(rc.top, 50);
    EXPECT_EQ(rc.right - rc.left, 1600);
    EXPECT_EQ(rc.bottom - rc.top, 900);
}

TEST_F(BoardWindowTest, TicksCountAndRenderAndPlacementRestartsBothTimers) {
    EXPECT_FALSE(HasTimer(BoardWindow::TIMER_TICK));
    EXPECT_FALSE(HasTimer(BoardWindow::TIMER_WEATHER));
    Place(0, 0, 400, 225);
    EXPECT_TRUE(HasTimer(BoardWindow::TIMER_TICK));
    EXPECT_TRUE(HasTimer(BoardWindow::TIMER_WEATHER));
    EXPECT_EQ(board->TickCount(), 0);
    ASSERT_TRUE(PumpUntil([&] { return board->TickCount() == 1; }, 3000));
    EXPECT_EQ(Renders(), 2u);  // the placement's and the first tick's

    // Placed again 700 ms in: without a restart the old period would tick
    // 300 ms later; restarted, the next tick is a whole second away.
    Place(0, 0, 400, 225);
    EXPECT_EQ(board->TickCount(), 0);
    PumpMessages(700);
    Place(0, 0, 400, 225);
    PumpMessages(500);
    EXPECT_EQ(board->TickCount(), 0) << "the first placement's period was not restarted";
    ASSERT_TRUE(PumpUntil([&] { return board->TickCount() == 1; }, 2000));

    // Another timer id changes nothing.
    const size_t before = Renders();
    board->SendMessage(WM_TIMER, 7, 0);
    EXPECT_EQ(board->TickCount(), 1);
    EXPECT_EQ(Renders(), before);

    // Hidden, it keeps ticking and rendering.
    board->ShowWindow(SW_HIDE);
    ASSERT_TRUE(PumpUntil([&] { return board->TickCount() == 2; }, 3000));
    EXPECT_EQ(Renders(), before + 1);
    EXPECT_FALSE(board->IsWindowVisible());
}

TEST_F(BoardWindowTest, WeatherDoneRendersOnlyForZero) {
    Place(0, 0, 400, 225);
    ::KillTimer(board->m_hWnd, BoardWindow::TIMER_TICK);  // no ticks in between
    const size_t before = Renders();
    board->PostMessage(WM_WEATHER_DONE, 0, -1);
    PumpMessages(150);
    EXPECT_EQ(Renders(), before);
    board->PostMessage(WM_WEATHER_DONE, 0, 5);
    PumpMessages(150);
    EXPECT_EQ(Renders(), before);
    board->PostMessage(WM_WEATHER_DONE, 0, 0);
    PumpMessages(150);
    EXPECT_EQ(Renders(), before + 1);
    // The message is never consumed by the board's filter.
    MSG msg{board->m_hWnd, WM_WEATHER_DONE, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(board->PreTranslateMessage(&msg));
    EXPECT_EQ(Renders(), before + 2);
}

TEST_F(BoardWindowTest, DraggedBoardStaysWhereItWasDropped) {
    Place(100, 100, 400, 225);
    // A drag moves the window as SetWindowPos does.
    ::SetWindowPos(board->m_hWnd, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    board->Render();
    EXPECT_EQ(Last().destination.x, 300);
    EXPECT_EQ(Last().destination.y, 200);
    EXPECT_EQ(Last().size.cx, 400);
    EXPECT_EQ(Last().size.cy, 225);
    EXPECT_EQ(board->BoardRect().left, 100);
    EXPECT_EQ(board->BoardRect().top, 100);
    EXPECT_EQ(board->BoardRect().right, 500);
    RECT rc{};
    ::GetWindowRect(board->m_hWnd, &rc);
    EXPECT_EQ(rc.left, 300);
    EXPECT_EQ(rc.top, 200);
    EXPECT_EQ(rc.right - rc.left, 400);
}

TEST_F(BoardWindowTest, LayeredStyleIsPutBackAndOtherStylesKept) {
    Place(0, 0, 400, 225);
    const DWORD original = board->GetExStyle();
    ASSERT_TRUE(original & WS_EX_LAYERED);
    ::SetWindowLongPtrW(board->m_hWnd, GWL_EXSTYLE, (original & ~WS_EX_LAYERED) | WS_EX_TOOLWINDOW);
    ASSERT_FALSE(board->GetExStyle() & WS_EX_LAYERED);
    board->Render();
    EXPECT_TRUE(Last().exStyle & WS_EX_LAYERED);  // already back when the picture is handed over
    EXPECT_EQ(board->GetExStyle(), original | WS_EX_TOOLWINDOW);
    EXPECT_TRUE(Last().result);
    // Already layered: nothing changes.
    board->Render();
    EXPECT_EQ(board->GetExStyle(), original | WS_EX_TOOLWINDOW);
}

TEST_F(BoardWindowTest, SizesNoPictureCanBeMadeForAreSkippedAndTheBoardRecovers) {
    Place(0, 0, 400, 225);
    ASSERT_EQ(Renders(), 1u);
    struct Bad { int w, h; };
    for (Bad b : {Bad{0, 225}, Bad{400, 0}, Bad{-400, 225}, Bad{400, -225}, Bad{9000, 4000}, Bad{8001, 3000}}) {
        Place(0, 0, b.w, b.h);
        board->Render();
        EXPECT_EQ(Renders(), 1u) << b.w << "x" << b.h;
        EXPECT_TRUE(::IsWindow(board->m_hWnd));
    }
    // A rectangle whose edges overflow int when subtracted.
    SharedSettings::Resize(400, 225);
    board->PlaceBoard(RECT{INT_MIN + 1, 0, INT_MAX, 10});
    EXPECT_EQ(Renders(), 1u);
    // The ticks go on without a picture and without trouble.
    board->SendMessage(WM_TIMER, BoardWindow::TIMER_TICK, 0);
    EXPECT_EQ(Renders(), 1u);

    Place(10, 20, 640, 360);
    ASSERT_EQ(Renders(), 2u);
    EXPECT_EQ(Last().size.cx, 640);
    EXPECT_EQ(Last().size.cy, 360);
    EXPECT_EQ(Last().Pixel(5, 5), kBg);
    EXPECT_TRUE(Last().result);
}

TEST_F(BoardWindowTest, TheLargestSizeTheDialogAcceptsIsDrawn) {
    Place(0, 0, 8000, 3000);
    ASSERT_EQ(Renders(), 1u);
    EXPECT_EQ(Last().size.cx, 8000);
    EXPECT_EQ(Last().size.cy, 3000);
    EXPECT_TRUE(Last().result);
    EXPECT_EQ(Last().Pixel(7990, 2990), kBg);
    UpdateCalls().clear();  // 96 MB of pixels
}

TEST_F(BoardWindowTest, MissingUpdateLayeredWindowIsReportedOnceAndNeverCalled) {
    board->m_pfnUpdateLayeredWindow = nullptr;
    Place(0, 0, 400, 225);
    board->Render();
    board->SendMessage(WM_TIMER, BoardWindow::TIMER_TICK, 0);
    EXPECT_EQ(board->missingReports, 1);
    EXPECT_EQ(Renders(), 0u);
    EXPECT_EQ(board->panelCalls, 0);
}

TEST_F(BoardWindowTest, EscAfterAClickHidesAndTheNextPlacementShowsAgain) {
    Place(0, 0, 400, 225);
    ASSERT_TRUE(board->IsWindowVisible());
    board->PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(PumpUntil([&] { return !board->IsWindowVisible(); }, 2000));
    EXPECT_TRUE(::IsWindow(board->m_hWnd));
    EXPECT_TRUE(HasTimer(BoardWindow::TIMER_TICK));
    Place(0, 0, 400, 225);
    EXPECT_TRUE(board->IsWindowVisible());
}

TEST_F(BoardWindowTest, DeletingTheBoardDestroysItsWindowAndTimers) {
    Place(0, 0, 400, 225);
    const HWND hwnd = board->m_hWnd;
    board.reset();
    EXPECT_FALSE(::IsWindow(hwnd));
    const size_t renders = Renders();
    PumpMessages(1300);  // a tick would have come by now
    EXPECT_EQ(Renders(), renders);
}

TEST_F(BoardWindowTest, ThePictureReachesTheScreenAtAlpha253) {
    g_clrBg = Gdiplus::Color(255, 90, 180, 30);
    Place(200, 100, 400, 225);
    PumpMessages(300);
    WindowDC screen(nullptr);
    FrameBuffer shot(screen.get(), 400, 225);
    ASSERT_TRUE(shot.valid());
    ASSERT_TRUE(::BitBlt(shot.dc(), 0, 0, 400, 225, screen.get(), 200, 100, SRCCOPY));
    // Over the black root window: c x 253 / 255.
    const std::uint32_t p = shot.Pixel(50, 50);
    EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), 90 * 253 / 255, 1) << std::hex << p;
    EXPECT_NEAR(static_cast<int>((p >> 8) & 0xFF), 180 * 253 / 255, 1) << std::hex << p;
    EXPECT_NEAR(static_cast<int>(p & 0xFF), 30 * 253 / 255, 1) << std::hex << p;
    // The left divider (x 152 on a 400-wide board) in the text colour.
    const std::uint32_t line = shot.Pixel(151, 100);
    EXPECT_EQ(line & 0xFFFFFF, 0xFDFDFDu) << std::hex << line;
}
