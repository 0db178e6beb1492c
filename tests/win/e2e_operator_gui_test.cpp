// The whole program as a hotel's operator uses it: the real RateBoard.exe in
// a fresh folder, a loopback weather server behind http_proxy, the mouse and
// the dialog's buttons, and what ends up on the screen and on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "support/LoopbackHttpServer.h"
#include "support/OperatorInput.h"
#include "support/ProgramDriver.h"
#include "support/ScreenScan.h"

using testsupport::Band;
using testsupport::HttpReply;
using testsupport::LoopbackHttpServer;
using testsupport::Pixels;
using testsupport::ProgramDriver;

namespace {

// ---- Figures the checks rely on ---------------------------------------------------
// The test display is 1920 x 1080 (Xvfb -screen 0 1920x1080x24).
constexpr int kScreenCx = 1920;
constexpr int kScreenCy = 1080;
// Default top-left corner of the board: trunc(1920 x 0.6f), trunc(1080 x 0.03f).
constexpr int kDefaultLeft = 1152;
constexpr int kDefaultTop = 32;
// Values config.ini receives for missing keys (the program's defaults).
constexpr int kDefaultWidth = 768;
constexpr int kDefaultHeight = 432;
constexpr unsigned kDefaultBg = 0x000080;  // "clrbg" FF000080, navy
// Layout of a 768 x 432 board, by the board's arithmetic (single-precision
// factors, truncated): margin trunc(H x 0.05f), left divider trunc(W x 0.38f),
// right divider trunc(W x 0.7f), header rule trunc(H x 0.22f), panel rule
// trunc(H x 0.62f).
constexpr int kMargin = 21;
constexpr int kLeftDivider = 291;
constexpr int kRightDivider = 537;
constexpr int kHeaderRule = 95;
constexpr int kPanelRule = 267;
// The clock panel's rows: the time's top is trunc(margin x 7.5), the weather
// heading's top is panel rule - margin.
constexpr int kTimeTop = 157;
constexpr int kHeadingTop = kPanelRule - kMargin;
// Lines are drawn with round caps and anti-aliasing; keep this far from them.
constexpr int kLineClearance = 4;
// The clock is watched this long, a shot every so often.
constexpr DWORD kClockWatchMs = 3600;
constexpr DWORD kClockSampleMs = 200;
// Palette popup: cells of 18 pixels from the client origin + SM_CXEDGE;
// "Red" (RGB 255, 0, 0) is row 0, column 2.
constexpr int kPaletteBox = 18;
constexpr int kRedRow = 0;
constexpr int kRedCol = 2;
constexpr unsigned kRed = 0xFF0000;

const wchar_t kRoomFile[] = L"_\u623F\u4EF7.txt";                // _房价.txt
const wchar_t kExchangeFile[] = L"_\u5916\u5E01\u5151\u6362.txt";  // _外币兑换.txt
const wchar_t kWidthWarning[] = L"输出显示宽度必须是100到8000之间的整数";

constexpr int kIdRefresh = 1002;
constexpr int kIdOutputOn = 1005;
constexpr int kIdSecondScreen = 1006;
constexpr int kIdWidth = 1007;
constexpr int kIdHeight = 1008;
constexpr int kIdBgColour = 1010;

// ---- Areas of a 768 x 432 board (board coordinates) -------------------------------
const RECT kRoomRows{0, kHeaderRule + kLineClearance, kLeftDivider - kLineClearance, kDefaultHeight};
const RECT kExchangeRows{kRightDivider + kLineClearance, kHeaderRule + kLineClearance, kDefaultWidth, kDefaultHeight};
const RECT kClockArea{kLeftDivider + kLineClearance, kTimeTop, kRightDivider - kLineClearance, kHeadingTop};
const RECT kWeatherHeading{kLeftDivider + kLineClearance, kHeadingTop, kRightDivider - kLineClearance,
                           kPanelRule - kLineClearance};
const RECT kWeatherTable{kLeftDivider + kLineClearance, kPanelRule + kLineClearance, kRightDivider - kLineClearance,
                         kDefaultHeight};
// A strip of pure background: under the left divider's end, left of the room table.
const RECT kBackgroundPatch{2, kDefaultHeight - kMargin + kLineClearance, 40, kDefaultHeight - 2};

// ---- Small helpers ------------------------------------------------------------------

bool WaitFor(const std::function<bool()>& pred, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (!pred()) {
        if (::GetTickCount() - start > ms) return pred();
        ::Sleep(50);
    }
    return true;
}

// A file of the source tree, which ctest names in RATEBOARD_SOURCE_DIR (a
// Unix path; under Wine it is on drive Z:).
std::string SourceFile(const std::wstring& relative) {
    const wchar_t* dir = ::_wgetenv(L"RATEBOARD_SOURCE_DIR");
    if (!dir) return std::string();
    const std::wstring path = std::wstring(L"Z:") + dir + L"/" + relative;
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Config(int on, int width, int height, const char* clrbg = "FF000080") {
    return "[board]\r\non=" + std::to_string(on) + "\r\nwidth=" + std::to_string(width) +
           "\r\nheight=" + std::to_string(height) + "\r\nclrfont=FFFFFFFF\r\nclrbg=" + clrbg +
           "\r\nclrdigi=FFFFD700\r\ncityid=101020100\r\n";
}

// Rate files, code page 936 (the narrow literals of this file are).
std::string RoomRows(int n) {
    const char* rows[] = {"标准间|388|268\r\n", "大床房|428|298\r\n", "商务房|498|358\r\n", "套房|1288|888\r\n",
                          "钟点房|128|98\r\n"};
    std::string text = "; 类别|标准价|今日价\r\n";
    for (int i = 0; i < n; ++i) text += rows[i];
    return text;
}

std::string ExchangeRows(int n) {
    const char* rows[] = {"美元|100|718.25\r\n", "欧元|100|781.50\r\n", "日元|100|4.62\r\n", "港币|100|92.31\r\n"};
    std::string text = "; 币种|外币|人民币\r\n";
    for (int i = 0; i < n; ++i) text += rows[i];
    return text;
}

RECT WindowRect(HWND hwnd) {
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    return rc;
}

::testing::AssertionResult RectIs(const RECT& rc, int left, int top, int width, int height) {
    if (rc.left == left && rc.top == top && rc.right - rc.left == width && rc.bottom - rc.top == height) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "window at (" << rc.left << ", " << rc.top << ") size "
                                         << rc.right - rc.left << " x " << rc.bottom - rc.top << ", expected ("
                                         << left << ", " << top << ") size " << width << " x " << height;
}

// The board's shown picture: the screen under the board window's rectangle.
Pixels BoardShot(HWND board) { return testsupport::CaptureScreen(WindowRect(board)); }

// The board window, once it is shown (layered and visible).
HWND WaitForShownBoard(ProgramDriver& program, DWORD ms = 15000) {
    HWND board = nullptr;
    WaitFor(
        [&] {
            board = program.Board();
            return board && ::IsWindowVisible(board) && (::GetWindowLongW(board, GWL_EXSTYLE) & WS_EX_LAYERED);
        },
        ms);
    return board;
}

std::string ShortBands(const std::vector<Band>& bands) {
    std::string s;
    for (const Band& b : bands) s += "[" + std::to_string(b.top) + "," + std::to_string(b.bottom) + ") ";
    return s;
}

// Text rows of the two tables of a 768 x 432 board, as shown.
struct Tables {
    std::vector<Band> room;
    std::vector<Band> exchange;
    unsigned background = 0;
};

Tables ReadTables(const Pixels& shot) {
    Tables t;
    t.background = testsupport::MostCommon(shot, kBackgroundPatch);
    t.room = testsupport::InkBands(shot, kRoomRows, t.background);
    t.exchange = testsupport::InkBands(shot, kExchangeRows, t.background);
    return t;
}

int WeatherTableInk(const Pixels& shot) {
    return testsupport::CountInk(shot, kWeatherTable, testsupport::MostCommon(shot, kBackgroundPatch));
}

// Clicks the program's message boxes away as they appear, until none has
// come for quietMs; returns their texts in order. quietMs leaves room for a
// slow hide: Wine with managed windows and no window manager waits up to 2 s
// for each box's X window to be withdrawn before the program goes on.
std::vector<std::wstring> DismissMessageBoxes(ProgramDriver& program, DWORD quietMs, DWORD limitMs) {
    std::vector<std::wstring> texts;
    const DWORD start = ::GetTickCount();
    DWORD lastSeen = start;
    while (::GetTickCount() - lastSeen < quietMs && ::GetTickCount() - start < limitMs) {
        std::vector<HWND> boxes = program.MessageBoxes();
        if (boxes.empty()) {
            ::Sleep(50);
            continue;
        }
        HWND box = boxes.front();
        texts.push_back(ProgramDriver::MessageBoxText(box));
        ::PostMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        WaitFor([&] { return !::IsWindow(box) || !::IsWindowVisible(box); }, 5000);
        lastSeen = ::GetTickCount();
    }
    return texts;
}

// Presses Esc on the dialog; the milliseconds until the process has ended,
// or INFINITE when it has not within 15 s.
DWORD TimeToClose(ProgramDriver& program) {
    const DWORD start = ::GetTickCount();
    program.Key(VK_ESCAPE);
    if (!program.WaitExit(15000)) return INFINITE;
    return ::GetTickCount() - start;
}

// A weather server whose answers the test switches: a page, an error, or
// silence after accepting; the page can be held back until released.
class WeatherServer {
public:
    enum class Mode { Page, Error500, Hang };

    WeatherServer() : m_server([this](const std::string& request) { return Answer(request); }) {}
    ~WeatherServer() { Release(); }

    std::string ProxyUrl() const { return m_server.ProxyUrl(); }
    int Requests() const { return m_server.RequestCount(); }
    int OpenConnections() const { return m_server.OpenConnections(); }
    std::vector<std::string> RequestTexts() const { return m_server.Requests(); }
    void SetMode(Mode mode) { m_mode = mode; }
    void SetPage(const std::string& page) { m_page = page; }
    void HoldPage() { m_release.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr)); }
    void Release() {
        if (m_release) ::SetEvent(m_release.get());
    }

private:
    HttpReply Answer(const std::string&) {
        HttpReply reply;
        switch (m_mode.load()) {
        case Mode::Page:
            // Held pages wait for the test, bounded so that no request loop hangs.
            if (m_release) ::WaitForSingleObject(m_release.get(), 20000);
            reply.body = m_page;
            break;
        case Mode::Error500:
            reply.status = 500;
            reply.body = "<html><body>Internal Server Error</body></html>";
            break;
        case Mode::Hang:
            reply.kind = HttpReply::Kind::Hang;
            break;
        }
        return reply;
    }

    std::atomic<Mode> m_mode{Mode::Page};
    std::string m_page;
    UniqueKernelHandle m_release;
    LoopbackHttpServer m_server;  // last: its threads stop before the members above go
};

// A program with the given config.ini and rate files, started and with its
// board shown.
struct RunningBoard {
    ProgramDriver program;
    HWND dialog = nullptr;
    HWND board = nullptr;

    ::testing::AssertionResult Start(const std::string& proxy = "http://127.0.0.1:9") {
        if (::GetSystemMetrics(SM_CXSCREEN) != kScreenCx || ::GetSystemMetrics(SM_CYSCREEN) != kScreenCy) {
            return ::testing::AssertionFailure() << "these checks expect a " << kScreenCx << " x " << kScreenCy
                                                 << " screen";
        }
        if (!program.Start(proxy)) return ::testing::AssertionFailure() << "RateBoard.exe did not start";
        dialog = program.Dialog();
        if (!dialog) return ::testing::AssertionFailure() << "the settings dialog did not appear";
        board = WaitForShownBoard(program);
        if (!board) return ::testing::AssertionFailure() << "the board was not shown";
        return ::testing::AssertionSuccess();
    }
    // Presses a dialog button and gives the board time for the render after it.
    void Press(int id, DWORD settleMs = 1500) {
        program.Click(id);
        ::Sleep(settleMs);
    }
};

}  // namespace

// 1. First start without config.ini: the dialog, the board at its default
// place and size with the sample tables, a ticking clock, the weather from
// the server, and every key in config.ini after Esc.
TEST(EndToEnd, FirstStartShowsTheSampleBoardClockAndWeather) {
    const std::string page = SourceFile(L"tests/data/weather/sameday.html");
    ASSERT_FALSE(page.empty()) << "the weather page was not found through RATEBOARD_SOURCE_DIR";
    const std::string roomSample = SourceFile(std::wstring(L"samples/") + kRoomFile);
    const std::string exchangeSample = SourceFile(std::wstring(L"samples/") + kExchangeFile);
    ASSERT_FALSE(roomSample.empty());
    ASSERT_FALSE(exchangeSample.empty());

    WeatherServer weather;
    weather.SetPage(page);
    weather.HoldPage();
    RunningBoard run;
    run.program.PutFile(kRoomFile, roomSample);
    run.program.PutFile(kExchangeFile, exchangeSample);
    ASSERT_TRUE(run.Start(weather.ProxyUrl()));
    // The board is shown inside the dialog's initialisation, before the dialog.
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(run.dialog) != FALSE; }, 5000)) << "the dialog is hidden";

    const RECT rc = WindowRect(run.board);
    ASSERT_TRUE(RectIs(rc, kDefaultLeft, kDefaultTop, kDefaultWidth, kDefaultHeight));

    // While the page is held back, the panel shows "Loading": a heading, no table.
    ASSERT_TRUE(WaitFor([&] { return weather.Requests() >= 1; }, 15000)) << "no weather request arrived";
    ::Sleep(1500);
    Pixels loading = BoardShot(run.board);
    const unsigned bg = testsupport::MostCommon(loading, kBackgroundPatch);
    EXPECT_TRUE(testsupport::Near(bg, testsupport::Blended(kDefaultBg), 2)) << std::hex << bg;
    EXPECT_GT(testsupport::CountInk(loading, kWeatherHeading, bg), 0) << "no weather heading";
    EXPECT_EQ(WeatherTableInk(loading), 0) << "a weather table while the record reads Loading";
    const std::string request = weather.RequestTexts().front();
    const std::string firstLine = request.substr(0, request.find("\r\n"));
    EXPECT_EQ(firstLine.rfind("GET http://www.weather.com.cn", 0), 0u) << firstLine;
    EXPECT_NE(firstLine.find("/weather1d/101020100.shtml"), std::string::npos) << firstLine;

    // The board's edges are where the window is: background inside, not outside.
    const Pixels around = testsupport::CaptureScreen(RECT{rc.left - 4, rc.top - 4, rc.right, rc.bottom + 4});
    EXPECT_TRUE(testsupport::Near(around.At(6, 6), bg, 2)) << "top-left corner inside the board";
    EXPECT_FALSE(testsupport::Near(around.At(1, 6), bg, 2)) << "left of the board";
    EXPECT_FALSE(testsupport::Near(around.At(6, 1), bg, 2)) << "above the board";
    EXPECT_TRUE(testsupport::Near(around.At(6, around.height - 6), bg, 2)) << "bottom-left corner inside";
    EXPECT_FALSE(testsupport::Near(around.At(6, around.height - 1), bg, 2)) << "below the board";

    // The sample tables: 8 room rows; the 10 exchange rows at the same tops,
    // as many as fit above the board's bottom edge.
    const Tables tables = ReadTables(loading);
    EXPECT_EQ(tables.room.size(), 8u) << ShortBands(tables.room);
    ASSERT_GE(tables.room.size(), 2u);
    const int pitch = tables.room[1].top - tables.room[0].top;
    // A row counts as shown when its ink starts a few pixel rows above the
    // board's bottom edge.
    constexpr int kShownRows = 4;
    size_t fitting = 0;
    while (fitting < 10 && !tables.exchange.empty() &&
           tables.exchange.front().top + static_cast<int>(fitting) * pitch + kShownRows <= kDefaultHeight) {
        ++fitting;
    }
    EXPECT_GE(tables.exchange.size(), 8u) << ShortBands(tables.exchange);
    EXPECT_EQ(tables.exchange.size(), fitting) << ShortBands(tables.exchange) << " pitch " << pitch;
    for (size_t i = 0; i < std::min(tables.room.size(), tables.exchange.size()); ++i) {
        EXPECT_NEAR(tables.exchange[i].top, tables.room[i].top, 2) << "row " << i;
    }

    // The page released: the weather table fills in below the panel rule.
    weather.Release();
    EXPECT_TRUE(WaitFor([&] { return WeatherTableInk(BoardShot(run.board)) > 0; }, 10000))
        << "the weather table did not appear";

    // The clock ticks: shots taken several times a second change about once a
    // second (the colon blinks at every one-second render), and only inside
    // the clock area.
    std::vector<DWORD> changes;
    Pixels before = BoardShot(run.board);
    const DWORD watchStart = ::GetTickCount();
    while (::GetTickCount() - watchStart < kClockWatchMs) {
        ::Sleep(kClockSampleMs);
        Pixels after = BoardShot(run.board);
        const RECT diff = testsupport::DiffBounds(before, after);
        if (diff.right > diff.left) {
            changes.push_back(::GetTickCount() - watchStart);
            EXPECT_TRUE(testsupport::Inside(diff, kClockArea))
                << "change at (" << diff.left << ", " << diff.top << ")-(" << diff.right << ", " << diff.bottom
                << ") outside the clock area";
        }
        before = std::move(after);
    }
    EXPECT_GE(changes.size(), 3u) << "the clock does not tick once a second";
    for (size_t i = 1; i < changes.size(); ++i) {
        EXPECT_GE(changes[i] - changes[i - 1], 600u) << "the board changes more often than once a second";
    }

    // Esc ends the program and config.ini holds every key.
    run.program.Key(VK_ESCAPE);
    ASSERT_TRUE(run.program.WaitExit(10000)) << "Esc did not end the program";
    const std::string ini = run.program.ReadFile(L"config.ini");
    for (const char* entry : {"on=1", "width=768", "height=432", "clrfont=FFFFFFFF", "clrbg=FF000080",
                              "clrdigi=FFFFD700", "cityid=101020100"}) {
        EXPECT_NE(ini.find(entry), std::string::npos) << entry << " missing from\n" << ini;
    }
}

// 2. Rate files edited on disk reach the board at Refresh: added rows
// appear, removed rows go, a deleted file empties its table only.
TEST(EndToEnd, RefreshShowsTheRateFilesAsEditedOnDisk) {
    RunningBoard run;
    run.program.PutFile(L"config.ini", Config(1, kDefaultWidth, kDefaultHeight));
    run.program.PutFile(kRoomFile, RoomRows(2));
    run.program.PutFile(kExchangeFile, ExchangeRows(3));
    ASSERT_TRUE(run.Start());
    ::Sleep(1000);
    const Tables start = ReadTables(BoardShot(run.board));
    EXPECT_EQ(start.room.size(), 2u) << ShortBands(start.room);
    EXPECT_EQ(start.exchange.size(), 3u) << ShortBands(start.exchange);

    run.program.PutFile(kRoomFile, RoomRows(4));
    run.Press(kIdRefresh);
    const Tables added = ReadTables(BoardShot(run.board));
    EXPECT_EQ(added.room.size(), 4u) << "rows added on disk " << ShortBands(added.room);
    EXPECT_EQ(added.exchange.size(), 3u) << ShortBands(added.exchange);

    run.program.PutFile(kRoomFile, RoomRows(3));
    run.Press(kIdRefresh);
    const Tables removed = ReadTables(BoardShot(run.board));
    ASSERT_EQ(removed.room.size(), 3u) << "a row removed on disk " << ShortBands(removed.room);
    for (size_t i = 0; i < removed.room.size(); ++i) {
        EXPECT_NEAR(removed.room[i].top, added.room[i].top, 1) << "rows stay contiguous from the top, row " << i;
    }

    const Pixels withFile = BoardShot(run.board);
    run.program.RemoveFile(kRoomFile);
    run.Press(kIdRefresh);
    const Pixels withoutFile = BoardShot(run.board);
    const Tables deleted = ReadTables(withoutFile);
    EXPECT_EQ(deleted.room.size(), 0u) << "the deleted file's table " << ShortBands(deleted.room);
    EXPECT_EQ(deleted.exchange.size(), 3u) << ShortBands(deleted.exchange);
    EXPECT_TRUE(testsupport::SamePixels(testsupport::Crop(withFile, kExchangeRows),
                                        testsupport::Crop(withoutFile, kExchangeRows)))
        << "the other table changed";
}

// 3. A width out of range: the warning twice (once per validated
// collection of Refresh with output on), the focus on the width, and a valid
// size then places and sizes the board.
TEST(EndToEnd, WidthOutOfRangeWarnsTwiceThenAValidSizeResizesTheBoard) {
    RunningBoard run;
    run.program.PutFile(L"config.ini", Config(1, kDefaultWidth, kDefaultHeight));
    ASSERT_TRUE(run.Start());

    run.program.SetText(kIdWidth, L"99");
    run.program.Click(kIdRefresh);
    const std::vector<std::wstring> warnings = DismissMessageBoxes(run.program, 4000, 20000);
    ASSERT_EQ(warnings.size(), 2u) << "warning boxes shown";
    for (const std::wstring& text : warnings) EXPECT_EQ(text, kWidthWarning);
    EXPECT_TRUE(WaitFor([&] { return testsupport::FocusOfThreadOf(run.dialog) == ::GetDlgItem(run.dialog, kIdWidth); },
                        3000))
        << "focus on " << testsupport::FocusOfThreadOf(run.dialog) << ", not on the width edit";

    // The rejected size is still placed: 99 wide, at the same corner.
    EXPECT_TRUE(RectIs(WindowRect(run.board), kDefaultLeft, kDefaultTop, 99, kDefaultHeight));

    constexpr int kWidth = 640, kHeight = 360;
    run.program.SetText(kIdWidth, std::to_wstring(kWidth));
    run.program.SetText(kIdHeight, std::to_wstring(kHeight));
    run.program.Click(kIdRefresh);
    EXPECT_TRUE(DismissMessageBoxes(run.program, 3000, 8000).empty()) << "a warning for a valid size";
    const RECT rc = WindowRect(run.board);
    ASSERT_TRUE(RectIs(rc, kDefaultLeft, kDefaultTop, kWidth, kHeight));
    ::Sleep(1200);
    const Pixels around = testsupport::CaptureScreen(RECT{rc.left, rc.top, rc.right + 4, rc.bottom + 4});
    const unsigned bg = testsupport::Blended(kDefaultBg);
    EXPECT_TRUE(testsupport::Near(around.At(kWidth - 3, kHeight - 3), bg, 2)) << "bottom-right corner inside";
    EXPECT_FALSE(testsupport::Near(around.At(kWidth + 1, kHeight / 2), bg, 2)) << "right of the board";
    EXPECT_FALSE(testsupport::Near(around.At(kWidth / 2, kHeight + 1), bg, 2)) << "below the board";
}

// 4. The output switch: off hides the board, which goes on rendering; on
// shows it with the rate files read again; the second-screen button puts it
// at the primary screen's right edge.
TEST(EndToEnd, OutputSwitchHidesAndShowsTheBoardAndSecondScreenPlacesIt) {
    RunningBoard run;
    run.program.PutFile(L"config.ini", Config(1, kDefaultWidth, kDefaultHeight));
    run.program.PutFile(kRoomFile, RoomRows(2));
    ASSERT_TRUE(run.Start());
    const RECT rc = WindowRect(run.board);

    run.program.Click(kIdOutputOn);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(run.board); }, 5000)) << "the board stays visible";
    EXPECT_FALSE(run.program.Checked(kIdOutputOn));
    ::Sleep(500);
    const Pixels hidden = testsupport::CaptureScreen(rc);
    EXPECT_FALSE(testsupport::Near(testsupport::MostCommon(hidden, RECT{0, 0, hidden.width, hidden.height}),
                                   testsupport::Blended(kDefaultBg), 2))
        << "the board's picture is still on the screen";

    // Still rendering while hidden: every render gives the window back its
    // layered style, so a style taken away comes back within a tick.
    for (int round = 0; round < 2; ++round) {
        const LONG style = ::GetWindowLongW(run.board, GWL_EXSTYLE);
        ::SetWindowLongW(run.board, GWL_EXSTYLE, style & ~WS_EX_LAYERED);
        EXPECT_TRUE(WaitFor([&] { return (::GetWindowLongW(run.board, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }, 3000))
            << "no render of the hidden board restored its layered style, round " << round;
    }
    EXPECT_FALSE(::IsWindowVisible(run.board)) << "a render showed the hidden board";

    // Edited while off, read when switched on.
    run.program.PutFile(kRoomFile, RoomRows(5));
    run.Press(kIdOutputOn);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(run.board) != FALSE; }, 5000)) << "the board stays hidden";
    EXPECT_TRUE(run.program.Checked(kIdOutputOn));
    EXPECT_TRUE(RectIs(WindowRect(run.board), rc.left, rc.top, kDefaultWidth, kDefaultHeight));
    const Tables tables = ReadTables(BoardShot(run.board));
    EXPECT_EQ(tables.room.size(), 5u) << "the file edited while off " << ShortBands(tables.room);

    run.program.Click(kIdSecondScreen);
    EXPECT_TRUE(WaitFor([&] { return WindowRect(run.board).left == kScreenCx; }, 5000));
    EXPECT_TRUE(RectIs(WindowRect(run.board), kScreenCx, 0, kDefaultWidth, kDefaultHeight));
    EXPECT_TRUE(::IsWindowVisible(run.board));
}

// 5. A background colour picked from the palette with the mouse reaches the
// board at Refresh and survives a restart.
TEST(EndToEnd, BackgroundColourPickedWithTheMousePersists) {
    RunningBoard run;
    run.program.PutFile(L"config.ini", Config(1, kDefaultWidth, kDefaultHeight));
    ASSERT_TRUE(run.Start());
    ::Sleep(1000);
    EXPECT_TRUE(testsupport::Near(ReadTables(BoardShot(run.board)).background, testsupport::Blended(kDefaultBg), 2));

    const RECT button = WindowRect(::GetDlgItem(run.dialog, kIdBgColour));
    const POINT press = testsupport::CentreOf(button);
    testsupport::MouseClickAt(press.x, press.y);
    std::vector<HWND> popups;
    ASSERT_TRUE(WaitFor([&] { return !(popups = testsupport::OwnedPopups(run.program.ProcessId(), run.dialog)).empty(); },
                        5000))
        << "the palette did not open";
    ASSERT_EQ(popups.size(), 1u);
    HWND popup = popups.front();
    const RECT popupRect = WindowRect(popup);
    EXPECT_EQ(popupRect.left, button.left) << "the palette opens below the button";
    EXPECT_EQ(popupRect.top, button.bottom) << "the palette opens below the button";

    POINT origin{0, 0};
    ::ClientToScreen(popup, &origin);
    const int edge = ::GetSystemMetrics(SM_CXEDGE);
    const int cellX = origin.x + edge + kRedCol * kPaletteBox + kPaletteBox / 2;
    const int cellY = origin.y + edge + kRedRow * kPaletteBox + kPaletteBox / 2;
    testsupport::MouseMoveTo(cellX - 20, cellY + 20);  // across the palette to the cell
    testsupport::MouseMoveTo(cellX, cellY);
    testsupport::MouseDown();
    testsupport::MouseUp();
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(popup); }, 5000)) << "the palette stays open";

    run.Press(kIdRefresh);
    const unsigned red = testsupport::Blended(kRed);
    EXPECT_TRUE(testsupport::Near(ReadTables(BoardShot(run.board)).background, red, 2))
        << "background after Refresh " << std::hex << ReadTables(BoardShot(run.board)).background;

    run.program.Key(VK_ESCAPE);
    ASSERT_TRUE(run.program.WaitExit(10000));
    const std::string ini = run.program.ReadFile(L"config.ini");
    EXPECT_NE(ini.find("clrbg=FFFF0000"), std::string::npos) << ini;

    ASSERT_TRUE(run.program.Restart());
    run.dialog = run.program.Dialog();
    run.board = WaitForShownBoard(run.program);
    ASSERT_TRUE(run.board) << "the board was not shown after the restart";
    ::Sleep(1000);
    EXPECT_TRUE(testsupport::Near(ReadTables(BoardShot(run.board)).background, red, 2)) << "after the restart";
    run.program.Key(VK_ESCAPE);
    EXPECT_TRUE(run.program.WaitExit(10000));
}

// 6. A weather server that fails, then one that accepts and never answers:
// the panel keeps "Loading", and closing during the hang is quick and clean.
TEST(EndToEnd, WeatherErrorsKeepLoadingAndClosingDuringAHangIsQuick) {
    WeatherServer weather;
    weather.SetMode(WeatherServer::Mode::Error500);

    RunningBoard run;
    run.program.PutFile(L"config.ini", Config(1, kDefaultWidth, kDefaultHeight));
    const int earlier = weather.Requests();
    ASSERT_TRUE(run.Start(weather.ProxyUrl()));
    ASSERT_TRUE(WaitFor([&] { return weather.Requests() > earlier; }, 15000)) << "no weather request arrived";
    ::Sleep(2500);
    Pixels shot = BoardShot(run.board);
    const unsigned bg = testsupport::MostCommon(shot, kBackgroundPatch);
    EXPECT_GT(testsupport::CountInk(shot, kWeatherHeading, bg), 0) << "no weather heading";
    EXPECT_EQ(WeatherTableInk(shot), 0) << "a weather table after an error answer";

    weather.SetMode(WeatherServer::Mode::Hang);
    const int before = weather.Requests();
    run.Press(kIdRefresh, 0);  // places the board again: a new download
    ASSERT_TRUE(WaitFor([&] { return weather.Requests() > before; }, 15000)) << "no request after Refresh";
    ::Sleep(2000);
    shot = BoardShot(run.board);
    EXPECT_GT(testsupport::CountInk(shot, kWeatherHeading, bg), 0) << "no weather heading";
    EXPECT_EQ(WeatherTableInk(shot), 0) << "a weather table during the hang";

    ASSERT_GE(weather.OpenConnections(), 1) << "the download is not hanging on the server";

    const DWORD took = TimeToClose(run.program);
    ASSERT_NE(took, INFINITE) << "the program did not end during the hang";
    ::testing::Test::RecordProperty("close_during_hang_ms", static_cast<int>(took));
    EXPECT_LT(took, 1000u) << "closing during the hang took " << took << " ms";
    EXPECT_EQ(testsupport::ProcessesNamed(L"RateBoard.exe"), 0) << "a RateBoard.exe process is left";
    EXPECT_TRUE(WaitFor([&] { return weather.OpenConnections() == 0; }, 3000))
        << "the hanging connection stays open after the program ended";
}

// 7. The board dragged with the mouse stays where it was dropped.
TEST(EndToEnd, BoardDraggedWithTheMouseStaysWhereDropped) {
    RunningBoard run;
    run.program.PutFile(L"config.ini", Config(1, kDefaultWidth, kDefaultHeight));
    ASSERT_TRUE(run.Start());
    ::Sleep(1000);
    const RECT rc = WindowRect(run.board);
    const POINT from{rc.left + 400, rc.top + 300};
    const POINT to{from.x - 1100, from.y + 500};
    testsupport::MouseDrag(from, to);
    ::Sleep(2000);  // two renders after the drop
    const RECT dropped = WindowRect(run.board);
    ASSERT_TRUE(RectIs(dropped, rc.left + (to.x - from.x), rc.top + (to.y - from.y), kDefaultWidth, kDefaultHeight));
    const Pixels shot = BoardShot(run.board);
    EXPECT_TRUE(testsupport::Near(testsupport::MostCommon(shot, kBackgroundPatch), testsupport::Blended(kDefaultBg), 2))
        << "the board is not drawn where it was dropped";
    const Pixels old = testsupport::CaptureScreen(RECT{kScreenCx - 40, rc.top + 10, kScreenCx - 10, rc.top + 40});
    EXPECT_FALSE(testsupport::Near(testsupport::MostCommon(old, RECT{0, 0, old.width, old.height}),
                                   testsupport::Blended(kDefaultBg), 2))
        << "the board is still drawn at its old place";
}
