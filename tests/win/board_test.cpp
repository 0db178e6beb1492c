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

// What the window was given: every update the board makes, applied to a
// picture of our own and passed on to the system. A test can make the
// window refuse the parts.
struct Given {
    static inline FrameBuffer shown;
    static inline bool refuseParts = false;
    static inline int partsOutside = 0;  // dirty rectangles reaching past the picture
    static BOOL WINAPI Whole(HWND w, HDC dst, POINT* at, SIZE* size, HDC src, POINT* from, COLORREF key,
                             BLENDFUNCTION* blend, DWORD flags) {
        if (shown.width() != size->cx || shown.height() != size->cy) shown = FrameBuffer(nullptr, size->cx, size->cy);
        ::BitBlt(shown.dc(), 0, 0, size->cx, size->cy, src, from->x, from->y, SRCCOPY);
        return ::UpdateLayeredWindow(w, dst, at, size, src, from, key, blend, flags);
    }
    static BOOL WINAPI Part(HWND w, const UPDATELAYEREDWINDOWINFO* info) {
        if (refuseParts) return FALSE;
        const RECT& d = *info->prcDirty;
        partsOutside += d.left < 0 || d.top < 0 || d.right > shown.width() || d.bottom > shown.height();
        ::BitBlt(shown.dc(), d.left, d.top, d.right - d.left, d.bottom - d.top, info->hdcSrc, d.left + info->pptSrc->x,
                 d.top + info->pptSrc->y, SRCCOPY);
        return ::UpdateLayeredWindowIndirect(w, info);
    }
};

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
        board.UseLayeredUpdate(&Given::Whole, &Given::Part);
        Given::refuseParts = false, Given::partsOutside = 0;
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

// What the window was given against a whole picture drawn from nothing, byte for byte.
::testing::AssertionResult SameAsWholeFrame(BoardWindow& board) {
    const FrameBuffer& kept = Given::shown;
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
    // Something at the corner: bg.jpg or the background colour, never a transparent board.
    const bool drawn = kept.Pixel(1, 1) >> 24 != 0;
    if (kept.valid() && differ == 0 && drawn) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << (drawn ? "" : "transparent at the corner; ") << differ
                                         << " pixels differ, the first at " << firstX << "," << firstY << ": kept "
                                         << std::hex << kept.Pixel(firstX, firstY) << ", whole "
                                         << whole.Pixel(firstX, firstY);
}

// A PNG, or a BMP, whose size depends on width and height alone.
void WritePicture(const std::wstring& path, int width, int height, Gdiplus::ARGB colour, bool bmp = false) {
    Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
    Gdiplus::Graphics graphics(&bitmap);
    Gdiplus::LinearGradientBrush brush(Gdiplus::Point(0, 0), Gdiplus::Point(width, height), Gdiplus::Color(colour),
                                       Gdiplus::Color(0xFF000000));
    graphics.FillRectangle(&brush, 0, 0, width, height);
    CLSID format{};
    CLSIDFromString(bmp ? L"{557CF400-1A04-11D3-9A73-0000F81EF32E}" : L"{557CF406-1A04-11D3-9A73-0000F81EF32E}", &format);
    bitmap.Save(path.c_str(), &format, nullptr);  // GDI+ knows a picture by its bytes, not its name
}

// As a copy tool that keeps the time leaves it: every copy written at one time.
void KeepTime(const std::wstring& path) {
    const UniqueKernelHandle file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    const FILETIME time{0xD53E8000, 0x01DC7A1B};
    ::SetFileTime(file.get(), nullptr, nullptr, &time);
}

}  // namespace

TEST_F(BoardTest, KeptPictureIsTheWholePicture) {
    const std::wstring picture = ExeDir() + L"bg.jpg";
    UniqueKernelHandle writer;  // the program writing bg.jpg, holding it without sharing
    for (const SIZE size : {SIZE{768, 432}, SIZE{1920, 1080}, SIZE{3840, 2160}}) {
        SharedSettings::FillTables(20);  // the last rows lie below the bottom edge
        g_now = CTime(2026, 12, 7, 23, 58, 59);
        Place(0, 0, size.cx, size.cy);
        ASSERT_TRUE(SameAsWholeFrame(board)) << "placement at " << size.cx;
        const std::pair<const char*, std::function<void()>> steps[] = {
            {"the colon's blink", [] {}},
            {"a minute: the digit that changed", [] { g_now = CTime(2026, 12, 7, 23, 59, 0); }},
            {"a drag, half a minute on", [&] {
                 board.SetWindowPos(nullptr, 50, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER), g_now = CTime(2026, 12, 7, 23, 59, 30);
             }},
            {"midnight: date and weekday", [] { g_now = CTime(2026, 12, 8, 0, 0, 0); }},
            {"a record", [] { g_weatherRecord.Set("上海 18:00 发布,雷阵雨,33,4-5级/南风,05:02,阴,26,<3级,19:01,nextday,8日夜间,9日白天"); }},
            {"the window refuses a part: all of it at once", [] { Given::refuseParts = true, g_weatherRecord.Set("Loading"); }},
            {"Refresh with new tables", [] { Given::refuseParts = false, SharedSettings::FillTables(7); }},
            {"Refresh with a deleted file", [] { g_exchangeRateCount = 0; }},
            {"bg.jpg appears", [&] { WritePicture(picture, 500, 300, 0xFFC08040, true), KeepTime(picture); }},
            {"the colon's blink over it", [] {}},
            {"replaced, same size and time: within a minute", [&] {
                 WritePicture(picture, 500, 300, 0xFF40C080, true), KeepTime(picture), g_now = CTime(g_now.GetTime() + 60);
             }},
            {"written, still held by the writer", [&] {
                 WritePicture(picture, 2000, 1200, 0xFF4080C0);
                 writer.reset(::CreateFileW(picture.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
             }},
            {"let go", [&] { writer.reset(); }},
            {"cut short", [&] { const std::string bytes = ReadFileBytes(picture); WriteFileBytes(picture, bytes.substr(0, bytes.size() / 2)); }},
            {"bg.jpg removed: never kept open", [&] { EXPECT_TRUE(::DeleteFileW(picture.c_str())); }},
            {"text colour", [] { g_clrFont = Gdiplus::Color(0xFF00FF00); }},
            {"a background colour that lets the screen through", [] { g_clrBg = Gdiplus::Color(0xC0400000); }},
            {"the colon's blink over it", [] {}},
            {"digit colour", [] { g_clrDigi = Gdiplus::Color(0xFFFF00FF); }},
        };
        // At 3840 x 2160 the steps up to bg.jpg's, which redraw only a part;
        // a whole picture there costs a second and is the same at every size.
        const size_t count = size.cx > 1920 ? 8 : std::size(steps);
        for (size_t i = 0; i < count; ++i) {
            steps[i].second();
            Tick();
            EXPECT_TRUE(SameAsWholeFrame(board)) << steps[i].first << " at " << size.cx;
        }
    }
    EXPECT_EQ(Given::partsOutside, 0) << "every dirty rectangle lies inside the picture";
    Place(10, 10, 1000, 500);
    EXPECT_TRUE(SameAsWholeFrame(board)) << "a placement with a new size";
    RemoveFile(picture);
}

TEST_F(BoardTest, WhatTheSystemDropsComesBackWhole) {
    Place(100, 50, 800, 450);
    const RECT rc{100, 50, 900, 500};
    POINT at{100, 50}, from{0, 0};
    SIZE size{800, 450};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const std::pair<const char*, std::function<void()>> events[] = {
        {"a lost layered style", [&] { ::SetWindowLongW(board.m_hWnd, GWL_EXSTYLE, board.GetExStyle() & ~WS_EX_LAYERED); }},
        {"a display change", [&] { board.SendMessage(WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080)); }},
        {"a resume from sleep", [&] { board.SendMessage(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC); }},
        {"a minute", [] { g_now = CTime(g_now.GetTime() + 60); }},
    };
    for (const auto& [what, happen] : events) {
        Tick();
        const FrameBuffer nothing(nullptr, 800, 450);  // the system drops what the window showed: black now
        Given::Whole(board.m_hWnd, nullptr, &at, &size, nothing.dc(), &from, 0, &blend, ULW_ALPHA);
        ASSERT_EQ(CaptureScreen(rc).At(5, 200), 0u) << what;
        happen();
        Tick();
        EXPECT_EQ(CaptureScreen(rc).At(5, 200), Blended(0x204080)) << what << ": the board whole, not the clock alone";
    }
}
