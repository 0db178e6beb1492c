// Render benchmark: a board of W x H pixels with 20 room rows, 20 exchange
// rows and a full weather record, ticking once a simulated second. In
// alternating blocks of one run it measures the CPU of
//   - the whole frame: the board drawn from nothing and pushed whole, as it
//     drew before it kept its picture (RenderWholeFrame);
//   - the bare GDI+ work such a frame needs: the same lines, fills,
//     measurements and strings drawn straight with GDI+;
//   - the kept picture: the board's own ticks (Render), which draw again and
//     push only what changed, a minute of them a block (the safety net's
//     whole push included);
//   - the board's own whole picture, as a placement or the safety net draws
//     and pushes it (to the board's window and the clock's band);
// and then the same ticks with the window's update left out (the board's
// own work), and the layered update alone: the board's window whole, a part
// of it the size of the clock's band, and the band's own window.
//
//   render_bench [blocks [W H]]       the comparison (12 blocks, 1920 x 1080)
//   render_bench stats SECS [W H]     the real program ticking at W x H for
//                                     SECS after its start, with the content
//                                     above: 20 + 20 rows in its rate files and
//                                     the weather page served on loopback. It
//                                     prints the start-up time; bench/run-bench
//                                     reads CPU and memory from /proc.
#include "framework/Win.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "board/BoardWindow.h"
#include "board/FrameBuffer.h"
#include "core/Globals.h"
#include "data/WeatherThread.h"
#include "res/resource.h"
#include "support/LoopbackHttpServer.h"
#include "support/ProgramDriver.h"
#include "support/Support.h"

namespace {

constexpr int kRows = 20;
constexpr int kFramesPerBlock = 5;

double ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& f) {
        return ((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

double WallMs() {
    LARGE_INTEGER now, freq;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&freq);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(freq.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : (v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2);
}

// The bare GDI+ work of one frame: what the board draws, drawn straight.
class BareFrame {
public:
    explicit BareFrame(const BoardWindow& board)
        : m_board(board), m_hwnd(board.m_hWnd), m_outlines(board.Outlines()), m_format(&board.Format()),
          m_layout(layout::ComputeBoardLayout(g_width, g_height)) {
        for (const Outline& o : m_outlines) Font(o.emSize);
        Font(g_textSizeSmall);
    }

    void Draw() {
        HDC window = ::GetDC(m_hwnd);
        HDC mem = ::CreateCompatibleDC(window);
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = g_width;
        bmi.bmiHeader.biHeight = -g_height;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP dib = ::CreateDIBSection(window, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = ::SelectObject(mem, dib);
        RECT rc;
        ::GetWindowRect(m_hwnd, &rc);
        {
            Gdiplus::Graphics g(mem);
            g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
            g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
            Gdiplus::SolidBrush bg(g_clrBg);
            g.FillRectangle(&bg, 0.0f, 0.0f, static_cast<Gdiplus::REAL>(g_width), static_cast<Gdiplus::REAL>(g_height));
            Gdiplus::Pen wide(g_clrFont, 4.0f), thin(g_clrFont, 2.0f);
            for (Gdiplus::Pen* p : {&wide, &thin}) {
                p->SetStartCap(Gdiplus::LineCapRound);
                p->SetEndCap(Gdiplus::LineCapRound);
            }
            const layout::BoardLayout& l = m_layout;
            g.DrawLine(&thin, l.margin, l.yHeaderRule, l.xLeftDivider - l.margin, l.yHeaderRule);
            g.DrawLine(&thin, l.xRightDivider + l.margin, l.yHeaderRule, g_width - l.margin, l.yHeaderRule);
            g.DrawLine(&thin, l.xLeftDivider + l.margin, l.yPanelRule, l.xRightDivider - l.margin, l.yPanelRule);
            g.DrawLine(&wide, l.xLeftDivider, l.margin, l.xLeftDivider, g_height - l.margin);
            g.DrawLine(&wide, l.xRightDivider, l.margin, l.xRightDivider, g_height - l.margin);
            m_text.Reset();
            m_digits.Reset();
            Gdiplus::RectF box;
            g.MeasureString(L"\u4F60\u597D", 2, &Font(g_textSizeSmall), Gdiplus::PointF(0, 0), m_format, &box);
            for (const Outline& o : m_outlines) {
                g.MeasureString(o.text.c_str(), static_cast<INT>(o.text.size()), &Font(o.emSize), Gdiplus::PointF(0, 0),
                                m_format, &box);
                (o.ink == Ink::Digit ? m_digits : m_text)
                    .AddString(o.text.c_str(), static_cast<INT>(o.text.size()), m_board.FamilyOf(o),
                               Gdiplus::FontStyleRegular, static_cast<Gdiplus::REAL>(o.emSize),
                               Gdiplus::Rect(o.x, o.y, 0, 0), m_format);
            }
            Gdiplus::SolidBrush digits(g_clrDigi), text(g_clrFont);
            g.FillPath(&digits, &m_digits);
            g.FillPath(&text, &m_text);
        }
        POINT dst{rc.left, rc.top}, src{0, 0};
        SIZE size{g_width, g_height};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 253, AC_SRC_ALPHA};
        ::UpdateLayeredWindow(m_hwnd, window, &dst, &size, mem, &src, 0, &blend, ULW_ALPHA);
        ::SelectObject(mem, old);
        ::DeleteObject(dib);
        ::DeleteDC(mem);
        ::ReleaseDC(m_hwnd, window);
    }

private:
    Gdiplus::Font& Font(int em) {
        auto& slot = m_fonts[em];
        if (!slot) {
            slot = std::make_unique<Gdiplus::Font>(m_board.FamilyOf(Outline{}), static_cast<Gdiplus::REAL>(em),
                                                   Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
        }
        return *slot;
    }

    const BoardWindow& m_board;
    HWND m_hwnd;
    std::vector<Outline> m_outlines;
    const Gdiplus::StringFormat* m_format;
    std::map<int, std::unique_ptr<Gdiplus::Font>> m_fonts;
    Gdiplus::GraphicsPath m_text, m_digits;
    layout::BoardLayout m_layout;
};

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

CTime g_now(2026, 12, 7, 9, 5, 0);
COleDateTime BenchClock() { return COleDateTime(g_now); }

// CPU milliseconds of this thread spent in fn.
template <typename Fn>
double CpuOf(Fn&& fn) {
    const double before = ThreadCpuMs();
    fn();
    return ThreadCpuMs() - before;
}

BOOL WINAPI NoWindowUpdate(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD) { return TRUE; }
BOOL WINAPI NoWindowUpdatePart(HWND, const UPDATELAYEREDWINDOWINFO*) { return TRUE; }

int Compare(int blocks, int width, int height) {
    testsupport::SharedSettings settings(width, height);  // core, tables, sizes, colours
    BoardWindow board;
    if (!board.Create(IDD_BOARD, nullptr)) {
        std::fprintf(stderr, "render_bench: the board window could not be created\n");
        return 1;
    }
    board.SetClock(&BenchClock);
    board.PlaceBoard(RECT{0, 0, width, height});
    // The placement's download fails at once (run-bench points WinINet at a
    // closed port); then the tables and a full weather record.
    while (RunningWeatherDownloads() > 0) ::Sleep(10);
    testsupport::SharedSettings::FillTables(kRows);
    board.Render();
    Pump();  // the failed download's word: a retry armed, which must not set "Loading" meanwhile
    for (UINT_PTR timer : {BoardWindow::TIMER_WEATHER, BoardWindow::TIMER_RETRY}) ::KillTimer(board.m_hWnd, timer);
    BareFrame bare(board);
    bare.Draw();  // warm every path up before measuring
    board.RenderWholeFrame();

    // One simulated second: the clock moves on, and the board ticks.
    auto keptTick = [&] {
        g_now = CTime(g_now.GetTime() + 1);
        board.SendMessage(WM_TIMER, BoardWindow::TIMER_TICK);
    };
    auto wholeTick = [&] {
        g_now = CTime(g_now.GetTime() + 1);
        board.RenderWholeFrame();
    };
    // A minute of ticks a block: the last one brings the safety net's whole
    // push (the block's first render pushed whole a minute before).
    constexpr int kKeptTicks = 60;
    std::vector<double> wholeCpu, bareCpu, ownWholeCpu;
    double keptMs = 0, minuteMs = 0;
    for (int b = 0; b < blocks; ++b) {
        wholeCpu.push_back(CpuOf([&] { for (int f = 0; f < kFramesPerBlock; ++f) wholeTick(); }) / kFramesPerBlock);
        bareCpu.push_back(CpuOf([&] { for (int f = 0; f < kFramesPerBlock; ++f) bare.Draw(); }) / kFramesPerBlock);
        // The window shows the kept picture again: the board's own whole picture.
        ownWholeCpu.push_back(CpuOf([&] { board.Render(); }));
        keptMs += CpuOf([&] { for (int f = 0; f < kKeptTicks - 1; ++f) keptTick(); });
        minuteMs += CpuOf(keptTick);
        Pump();
    }
    const double whole = Median(wholeCpu), bareMs = Median(bareCpu), ownWhole = Median(ownWholeCpu);
    const double kept = (keptMs + minuteMs) / (blocks * kKeptTicks);
    const double otherTick = keptMs / (blocks * (kKeptTicks - 1)), minuteTick = minuteMs / blocks;
    // The same minutes of ticks with the window's update left out.
    board.UseLayeredUpdate(&NoWindowUpdate, &NoWindowUpdatePart);
    double ownMs = 0;
    for (int b = 0; b < blocks; ++b) {
        board.Render();
        ownMs += CpuOf([&] { for (int f = 0; f < kKeptTicks; ++f) keptTick(); });
    }
    const double own = ownMs / (blocks * kKeptTicks);
    board.UseLayeredUpdate(&::UpdateLayeredWindow, &::UpdateLayeredWindowIndirect);

    // The layered update alone: the board's window whole, the part of it
    // the clock's band covers, and the band's own window.
    FrameBuffer frame(nullptr, width, height);
    board.ComposeFrame(frame.dc());
    WindowDC windowDC(board.m_hWnd);
    const RECT band = board.ClockBandArea();
    POINT at{0, 0}, source{0, 0}, bandAt{band.left, band.top}, bandSource = bandAt;
    SIZE size{width, height}, bandSize{band.right - band.left, band.bottom - band.top};
    const RECT bandDirty{0, 0, bandSize.cx, bandSize.cy};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, kBoardAlpha, AC_SRC_ALPHA};
    UPDATELAYEREDWINDOWINFO part{sizeof part, windowDC.get(), &at, &size, frame.dc(), &source, 0, &blend, ULW_ALPHA, &band};
    UPDATELAYEREDWINDOWINFO inBand{sizeof inBand, windowDC.get(), &bandAt, &bandSize, frame.dc(), &bandSource, 0,
                                   &blend,        ULW_ALPHA,      &bandDirty};
    constexpr int kPushes = 60;
    const double pushWhole = CpuOf([&] {
        for (int i = 0; i < kPushes; ++i) ::UpdateLayeredWindow(board.m_hWnd, windowDC.get(), &at, &size, frame.dc(), &source, 0, &blend, ULW_ALPHA);
    }) / kPushes;
    const double pushBand = CpuOf([&] {
        for (int i = 0; i < kPushes; ++i) ::UpdateLayeredWindowIndirect(board.m_hWnd, &part);
    }) / kPushes;
    const double pushOwn = CpuOf([&] {
        for (int i = 0; i < kPushes; ++i) ::UpdateLayeredWindowIndirect(board.ClockBandWindow(), &inBand);
    }) / kPushes;

    std::printf("board: %d x %d, %d room rows, %d exchange rows, %zu strings, %d blocks\n", width, height, kRows,
                kRows, board.Outlines().size(), blocks);
    std::printf("whole frame (drawn and pushed whole)   CPU %7.1f ms per frame\n", whole);
    std::printf("bare GDI+ work of that frame           CPU %7.1f ms per frame   ratio %.3f (budget 1.15)\n", bareMs,
                bareMs > 0 ? whole / bareMs : 0.0);
    std::printf("the board's own whole picture          CPU %7.1f ms per frame   ratio %.3f to the bare work\n", ownWhole,
                bareMs > 0 ? ownWhole / bareMs : 0.0);
    std::printf("ticking, whole frame each second       CPU %7.1f ms per second\n", whole);
    std::printf("ticking, kept picture (the board)      CPU %7.1f ms per second   ratio %.3f (budget 0.15)\n", kept,
                whole > 0 ? kept / whole : 0.0);
    std::printf("  of which the safety net: the minute's tick %.1f ms against %.1f ms, %.2f ms per second\n",
                minuteTick, otherTick, (minuteTick - otherTick) / kKeptTicks);
    std::printf("  the board's own work (the window's update left out)  %.2f ms per second\n", own);
    std::printf("layered update alone: the board whole %.1f ms, its clock band's part %.1f ms; the band's own "
                "window (%ld x %ld) %.2f ms\n",
                pushWhole, pushBand, bandSize.cx, bandSize.cy, pushOwn);
    return 0;
}

// ---- the real program ------------------------------------------------------------

int Stats(int seconds, int width, int height) {
    // A fresh folder with the program and its font (ended and removed at the
    // end), config.ini for a width x height board, and both rate files with
    // kRows rows each.
    using testsupport::WriteFileBytes;
    testsupport::ProgramDriver program;
    const auto [rooms, money] = testsupport::SampleRateFiles(kRows);
    WriteFileBytes(program.Folder() + L"_\u623F\u4EF7.txt", rooms);
    WriteFileBytes(program.Folder() + L"_\u5916\u5E01\u5151\u6362.txt", money);
    WriteFileBytes(program.Folder() + L"config.ini", "[board]\r\non=1\r\nwidth=" + std::to_string(width) +
                                                         "\r\nheight=" + std::to_string(height) + "\r\n");
    // A full weather record: the program's requests get the stored page
    // (bench/run-bench names the source tree in RATEBOARD_SOURCE_DIR).
    const std::string page = testsupport::SourceFile("tests/data/weather/sameday.html");
    if (page.empty()) {
        std::fprintf(stderr, "render_bench: no weather page (RATEBOARD_SOURCE_DIR)\n");
        return 1;
    }
    testsupport::LoopbackHttpServer server([&page](const std::string&) {
        testsupport::HttpReply reply;
        reply.pieces = {page};
        return reply;
    });
    const double start = WallMs();
    if (!program.Start(server.ProxyUrl())) {
        std::fprintf(stderr, "render_bench: RateBoard.exe could not be started\n");
        return 1;
    }
    const HWND board = program.ShownBoard(30000);
    const double startup = WallMs() - start;
    // The default place is partly off the screen: the whole board in view.
    if (board) ::SetWindowPos(board, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::Sleep(static_cast<DWORD>(seconds) * 1000);  // bench/run-bench measures meanwhile
    std::printf("%d x %d: start-up to a visible board %.0f ms%s, weather requests served: %d\n", width, height,
                startup, board ? "" : " (no board seen)", server.RequestCount());
    return board && server.RequestCount() > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    int result;
    const bool stats = argc > 1 && std::string(argv[1]) == "stats";
    const int at = stats ? 3 : 2;  // where W and H stand
    const int width = argc > at + 1 ? std::atoi(argv[at]) : 1920, height = argc > at + 1 ? std::atoi(argv[at + 1]) : 1080;
    if (stats) {
        result = Stats(argc > 2 ? std::max(5, std::atoi(argv[2])) : 60, width, height);
    } else {
        result = Compare(argc > 1 ? std::max(3, std::atoi(argv[1])) : 12, width, height);
    }
    Gdiplus::GdiplusShutdown(token);
    return result;
}
