// The board under Wine: a real layered window, its picture on the screen,
// its timers and messages, and sizes it cannot draw.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "board/BoardWindow.h"
#include "board/FrameBuffer.h"
#include "core/Globals.h"
#include "res/resource.h"
#include "support/Support.h"

using namespace testsupport;

namespace {

// What the windows were given (the board's and its clock band's): every
// update the board makes, applied to a picture of our own per window and
// passed on to the system. A test can make the windows refuse the parts.
struct Given {
    struct Shown { FrameBuffer pixels; POINT at{}; };
    static inline std::map<HWND, Shown> windows;
    static inline bool refuseParts = false;
    static inline int partsOutside = 0;  // dirty rectangles reaching past the picture
    static const FrameBuffer& Of(HWND w, const POINT* at, const SIZE* size) {
        Shown& shown = windows[w];
        if (shown.pixels.width() != size->cx || shown.pixels.height() != size->cy) {
            shown.pixels = FrameBuffer(nullptr, size->cx, size->cy);
        }
        shown.at = *at;
        return shown.pixels;
    }
    static BOOL WINAPI Whole(HWND w, HDC dst, POINT* at, SIZE* size, HDC src, POINT* from, COLORREF key,
                             BLENDFUNCTION* blend, DWORD flags) {
        ::BitBlt(Of(w, at, size).dc(), 0, 0, size->cx, size->cy, src, from->x, from->y, SRCCOPY);
        return ::UpdateLayeredWindow(w, dst, at, size, src, from, key, blend, flags);
    }
    static BOOL WINAPI Part(HWND w, const UPDATELAYEREDWINDOWINFO* info) {
        if (refuseParts) return FALSE;
        const RECT& d = *info->prcDirty;
        const FrameBuffer& shown = Of(w, info->pptDst, info->psize);
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
        Given::refuseParts = false, Given::partsOutside = 0, Given::windows.clear();
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
}

namespace {

// What the board's window and its clock band's were given, composed where
// they stand, against a whole picture drawn from nothing, byte for byte.
::testing::AssertionResult SameAsWholeFrame(BoardWindow& board) {
    const Given::Shown& own = Given::windows[board.m_hWnd];
    const FrameBuffer& kept = own.pixels;
    FrameBuffer whole(nullptr, kept.width(), kept.height()), composed(nullptr, kept.width(), kept.height());
    board.ComposeFrame(whole.dc());
    composed.CopyFrom(kept, RECT{0, 0, kept.width(), kept.height()});
    int underBand = 0;  // pixels of the board's own picture showing under the band
    if (const auto band = Given::windows.find(board.ClockBandWindow()); band != Given::windows.end()) {
        const FrameBuffer& pixels = band->second.pixels;
        const POINT off{band->second.at.x - own.at.x, band->second.at.y - own.at.y};
        for (int y = 0; y < pixels.height(); ++y) {
            for (int x = 0; x < pixels.width(); ++x) underBand += kept.Pixel(off.x + x, off.y + y) != 0;
        }
        ::BitBlt(composed.dc(), off.x, off.y, pixels.width(), pixels.height(), pixels.dc(), 0, 0, SRCCOPY);
    }
    ::GdiFlush();
    int differ = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < kept.height(); ++y) {
        for (int x = 0; x < kept.width(); ++x) {
            if (composed.Pixel(x, y) != whole.Pixel(x, y) && differ++ == 0) firstX = x, firstY = y;
        }
    }
    // Something at the corner: bg.jpg or the background colour, never a transparent board.
    const bool drawn = kept.Pixel(1, 1) >> 24 != 0;
    if (kept.valid() && differ == 0 && underBand == 0 && drawn) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << (drawn ? "" : "transparent at the corner; ") << underBand
                                         << " pixels of the board under the band; " << differ << " differ, the first "
                                         << firstX << "," << firstY << ": " << std::hex << composed.Pixel(firstX, firstY)
                                         << " for " << whole.Pixel(firstX, firstY);
}

// The screen over the board against its whole picture as Xvfb shows it
// (blended over black): every pixel, the board and its clock band composed.
::testing::AssertionResult ScreenIsTheBoard(BoardWindow& board) {
    RECT rc{};
    board.GetWindowRect(&rc);
    const Pixels shot = CaptureScreen(rc);
    FrameBuffer whole(nullptr, shot.width, shot.height);
    board.ComposeFrame(whole.dc());
    ::GdiFlush();
    int differ = 0;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) differ += shot.At(x, y) != Blended(whole.Pixel(x, y) & 0xFFFFFF);
    }
    if (differ == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differ << " pixels on the screen are not the board's";
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
        for (const auto& [what, step] : steps) {
            step();
            Tick();
            EXPECT_TRUE(SameAsWholeFrame(board)) << what << " at " << size.cx;
        }
    }
    EXPECT_EQ(Given::partsOutside, 0) << "every dirty rectangle lies inside the picture";
    Place(10, 10, 1000, 500);
    EXPECT_TRUE(SameAsWholeFrame(board)) << "a placement with a new size";
    RemoveFile(picture);
}

TEST_F(BoardTest, WhatTheSystemDropsComesBackWhole) {
    Place(100, 50, 800, 450);
    EXPECT_TRUE(ScreenIsTheBoard(board)) << "placed";
    const HWND band = board.ClockBandWindow();
    const RECT area = board.ClockBandArea();
    ASSERT_FALSE(::IsRectEmpty(&area));
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const std::pair<const char*, std::function<void()>> events[] = {
        {"a lost layered style", [&] { ::SetWindowLongW(board.m_hWnd, GWL_EXSTYLE, board.GetExStyle() & ~WS_EX_LAYERED); }},
        {"the band's lost layered style", [&] { ::SetWindowLongW(band, GWL_EXSTYLE, ::GetWindowLongW(band, GWL_EXSTYLE) & ~WS_EX_LAYERED); }},
        {"a display change", [&] { board.SendMessage(WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080)); }},
        {"a resume from sleep", [&] { board.SendMessage(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC); }},
        {"a minute", [] { g_now = CTime(g_now.GetTime() + 60); }},
    };
    for (const auto& [what, happen] : events) {
        Tick();
        for (const HWND window : {board.m_hWnd, band}) {  // the system drops what both showed: black now
            RECT r{};
            ::GetWindowRect(window, &r);
            POINT at{r.left, r.top}, from{0, 0};
            SIZE size{r.right - r.left, r.bottom - r.top};
            const FrameBuffer nothing(nullptr, size.cx, size.cy);
            Given::Whole(window, nullptr, &at, &size, nothing.dc(), &from, 0, &blend, ULW_ALPHA);
        }
        ASSERT_EQ(CaptureScreen(RECT{100, 50, 900, 500}).At(5, 200), 0u) << what;
        happen();
        Tick();
        EXPECT_TRUE(ScreenIsTheBoard(board)) << what << ": both windows whole, not the clock alone";
    }
    // A press on the clock's band drags the board, as a press on the board
    // does; the band goes along.
    ::SetCursorPos(100 + area.left + 20, 50 + area.top + 5);
    INPUT move{};
    move.type = INPUT_MOUSE;
    std::vector<INPUT> input(12, move);
    for (INPUT& step : input) step.mi = MOUSEINPUT{5, 3, 0, MOUSEEVENTF_MOVE, 0, 0};  // too slow to be sped up
    input.front().mi.dwFlags = MOUSEEVENTF_LEFTDOWN, input.back().mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
    PumpMessages(200);
    RECT rc{}, bandRc{};
    board.GetWindowRect(&rc);
    ::GetWindowRect(band, &bandRc);
    EXPECT_EQ((std::vector<LONG>{rc.left, rc.top, rc.right, rc.bottom, bandRc.left, bandRc.top}),
              (std::vector<LONG>{150, 80, 950, 530, 150 + area.left, 80 + area.top}))
        << "dropped where the mouse let go, the same size, the band along";
    EXPECT_EQ(::GetForegroundWindow(), board.m_hWnd) << "the board active, so Esc hides it";
    Tick();
    EXPECT_TRUE(ScreenIsTheBoard(board)) << "dragged";
    // Hidden and shown again (the settings dialog minimised and restored): the band with it.
    board.ShowWindow(SW_HIDE);
    EXPECT_FALSE(::IsWindowVisible(band));
    board.ShowWindow(SW_SHOWNOACTIVATE);
    Tick();
    EXPECT_TRUE(ScreenIsTheBoard(board)) << "shown again";
    board.DestroyWindow();
    EXPECT_FALSE(::IsWindow(band)) << "gone with the board";
}
