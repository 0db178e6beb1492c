// The board under Wine: a real layered window, its picture on the screen,
// its timers and messages, and sizes it cannot draw.
#include <gtest/gtest.h>

#include <functional>

#include "board/BoardWindow.h"
#include "board/FrameBuffer.h"
#include "core/Globals.h"
#include "res/resource.h"
#include "support/Support.h"

using namespace testsupport;

namespace {

int g_clockReadings = 0;
CTime g_now(2026, 12, 7, 9, 5, 0);
COleDateTime CountingClock() {
    ++g_clockReadings;  // one reading per render
    return COleDateTime(g_now);
}

class BoardTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseProxy("http://127.0.0.1:9");  // downloads fail at once
        ASSERT_TRUE(board.Create(IDD_BOARD, nullptr));
        board.SetClock(&CountingClock);
        g_clockReadings = 0;
        g_now = CTime(2026, 12, 7, 9, 5, 0);
    }
    void Tick() {
        board.PostMessage(WM_TIMER, BoardWindow::TIMER_TICK);
        PumpMessages(20);
    }
    void Place(int left, int top, int width, int height) {
        SharedSettings::Resize(width, height);
        board.PlaceBoard(RECT{left, top, left + width, top + height});
        PumpMessages(100);
    }
    SharedSettings settings{1600, 900};
    BoardWindow board;
};

}  // namespace

TEST_F(BoardTest, PictureOnTheScreen) {
    SharedSettings::FillTables(3);
    Place(0, 0, 1600, 900);
    ASSERT_TRUE(board.GetExStyle() & WS_EX_LAYERED);
    RECT rc{};
    board.GetWindowRect(&rc);
    EXPECT_EQ((std::vector<LONG>{rc.left, rc.top, rc.right, rc.bottom}), (std::vector<LONG>{0, 0, 1600, 900}));
    const Pixels shot = CaptureScreen(rc);
    const std::uint32_t bg = Blended(0x204080), ink = Blended(0xFFFFFF);
    EXPECT_EQ(bg, 0x203F7Fu) << "shown at 253/255 of its opacity";
    // The dividers at 1600 x 900: 4 pixels wide around x = 607 and 1119 (from
    // x - 2 to x + 1), 2 pixels high around y = 197 and 558.
    struct Probe { int x, y; std::uint32_t colour; };
    for (const Probe& p : {Probe{30, 700, bg}, Probe{604, 450, bg}, Probe{605, 450, ink}, Probe{608, 450, ink},
                           Probe{609, 450, bg}, Probe{1116, 450, bg}, Probe{1117, 450, ink}, Probe{1120, 450, ink},
                           Probe{1121, 450, bg}, Probe{50, 195, bg}, Probe{50, 196, ink}, Probe{50, 197, ink},
                           Probe{50, 198, bg}, Probe{700, 557, ink}, Probe{700, 559, bg}, Probe{607, 40, bg}}) {
        EXPECT_EQ(shot.At(p.x, p.y), p.colour) << p.x << "," << p.y;
    }
    int gold = 0;  // the rate rows in the digit colour
    for (std::uint32_t c : shot.rgb) gold += (c & 0xFFFFFF) == Blended(0xFFD700);
    EXPECT_GT(gold, 500);
}

TEST(BoardInks, TextColourLiesOverDigitColour) {
    FrameBuffer frame(nullptr, 20, 20);
    ASSERT_TRUE(frame.valid());
    Gdiplus::Graphics graphics(frame.dc());
    Gdiplus::GraphicsPath digits, text;
    digits.AddRectangle(Gdiplus::Rect(0, 0, 20, 20));
    text.AddRectangle(Gdiplus::Rect(5, 5, 10, 10));
    FillInks(graphics, digits, text, Gdiplus::Color(0xFFFFD700), Gdiplus::Color(0xFF0000FF));
    graphics.Flush(Gdiplus::FlushIntentionSync);
    EXPECT_EQ(frame.Pixel(10, 10), 0xFF0000FFu);
    EXPECT_EQ(frame.Pixel(1, 1), 0xFFFFD700u);
}

TEST_F(BoardTest, TimersMessagesAndSizesItCannotDraw) {
    // Too wide for any picture: nothing is drawn, yet the window is layered
    // before it shows, so it shows nothing rather than a grey rectangle.
    Place(0, 0, 9000, 900);
    EXPECT_TRUE(board.IsWindowVisible());
    EXPECT_TRUE(board.GetExStyle() & WS_EX_LAYERED);
    EXPECT_EQ(g_clockReadings, 0);
    EXPECT_EQ(CaptureScreen(RECT{0, 0, 800, 450}).At(400, 200), 0u) << "nothing but the black screen";

    Place(100, 50, 800, 450);
    EXPECT_EQ(g_clockReadings, 1);
    EXPECT_EQ(board.TickCount(), 0);
    EXPECT_EQ(CaptureScreen(RECT{100, 50, 900, 500}).At(5, 200), Blended(0x204080));

    auto after = [&](UINT msg, WPARAM wp, LPARAM lp) {
        board.PostMessage(msg, wp, lp);
        PumpMessages(50);
        return g_clockReadings;
    };
    EXPECT_EQ(after(WM_WEATHER_DONE, 0, 0), 2) << "renders at once";
    EXPECT_EQ(after(WM_WEATHER_DONE, 0, -1), 2) << "no session: no render of its own";
    EXPECT_EQ(after(WM_TIMER, BoardWindow::TIMER_TICK, 0), 3);
    EXPECT_EQ(board.TickCount(), 1);
    EXPECT_EQ(after(WM_TIMER, 99, 0), 3);

    // Dragged away: the next renders keep it where it was dropped.
    board.SetWindowPos(nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    after(WM_TIMER, BoardWindow::TIMER_TICK, 0);
    RECT rc{};
    board.GetWindowRect(&rc);
    EXPECT_EQ((std::vector<LONG>{rc.left, rc.top, rc.right, rc.bottom}), (std::vector<LONG>{300, 200, 1100, 650}));
    EXPECT_EQ(CaptureScreen(rc).At(5, 200), Blended(0x204080));
}

namespace {

// The kept picture against a whole one drawn from nothing, byte for byte.
::testing::AssertionResult SameAsWholeFrame(BoardWindow& board) {
    const FrameBuffer& kept = board.Picture();
    FrameBuffer whole(nullptr, kept.width(), kept.height());
    board.ComposeFrame(whole.dc());
    ::GdiFlush();
    int differ = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < kept.height(); ++y) {
        for (int x = 0; x < kept.width(); ++x) {
            if (kept.Pixel(x, y) == whole.Pixel(x, y)) continue;
            if (differ++ == 0) firstX = x, firstY = y;
        }
    }
    if (kept.valid() && differ == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differ << " pixels differ, the first at " << firstX << "," << firstY
                                         << ": kept " << std::hex << kept.Pixel(firstX, firstY) << ", whole "
                                         << whole.Pixel(firstX, firstY);
}

void WritePicture(const std::wstring& path, int width, int height, Gdiplus::ARGB colour) {
    Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
    Gdiplus::Graphics graphics(&bitmap);
    Gdiplus::LinearGradientBrush brush(Gdiplus::Point(0, 0), Gdiplus::Point(width, height), Gdiplus::Color(colour),
                                       Gdiplus::Color(0xFF000000));
    graphics.FillRectangle(&brush, 0, 0, width, height);
    CLSID png{};
    CLSIDFromString(L"{557CF406-1A04-11D3-9A73-0000F81EF32E}", &png);
    bitmap.Save(path.c_str(), &png, nullptr);  // GDI+ knows a picture by its bytes, not its name
}

}  // namespace

TEST_F(BoardTest, KeptPictureIsTheWholePicture) {
    const std::wstring picture = ExeDir() + L"bg.jpg";
    for (const SIZE size : {SIZE{768, 432}, SIZE{1920, 1080}}) {
        SharedSettings::FillTables(20);
        g_now = CTime(2026, 12, 7, 23, 58, 0);
        Place(0, 0, size.cx, size.cy);
        ASSERT_TRUE(SameAsWholeFrame(board)) << "placement at " << size.cx;
        const std::pair<const char*, std::function<void()>> steps[] = {
            {"the colon's blink", [] {}},
            {"a minute", [] { g_now = CTime(2026, 12, 7, 23, 59, 0); }},
            {"midnight: date and weekday", [] { g_now = CTime(2026, 12, 8, 0, 0, 0); }},
            {"a record", [] { g_weatherRecord.Set("上海 18:00 发布,雷阵雨,33,4-5级/南风,05:02,阴,26,<3级,19:01,nextday,8日夜间,9日白天"); }},
            {"Loading", [] { g_weatherRecord.Set("Loading"); }},
            {"Refresh with new tables", [] { SharedSettings::FillTables(7); }},
            {"Refresh with a deleted file", [] { g_exchangeRateCount = 0; }},
            {"bg.jpg appears", [&] { WritePicture(picture, 500, 300, 0xFFC08040); }},
            {"bg.jpg replaced", [&] { WritePicture(picture, 2000, 1200, 0xFF4080C0); }},
            {"bg.jpg removed", [&] { RemoveFile(picture); }},
            {"text colour", [] { g_clrFont = Gdiplus::Color(0xFF00FF00); }},
            {"background colour", [] { g_clrBg = Gdiplus::Color(0xFF400000); }},
            {"digit colour", [] { g_clrDigi = Gdiplus::Color(0xFFFF00FF); }},
            {"a drag", [&] { board.SetWindowPos(nullptr, 50, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER); }},
        };
        for (const auto& [what, change] : steps) {
            change();
            Tick();
            EXPECT_TRUE(SameAsWholeFrame(board)) << what << " at " << size.cx;
        }
    }
    Place(10, 10, 1000, 500);
    EXPECT_TRUE(SameAsWholeFrame(board)) << "a placement with a new size";
    RemoveFile(picture);
}
