// Weather downloads under Wine against a loopback server that WinINet
// reaches as its proxy: what gets published, how the board tries again
// after a failure, what a stop leaves behind, what no misbehaving server can
// do to the board, and what boardcheck tells whoever looks after the PC.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <mutex>

#include "board/BoardWindow.h"
#include "core/Globals.h"
#include "data/WeatherThread.h"
#include "res/resource.h"
#include "data/HttpBody.h"
#include "data/WeatherScraper.h"
#include "support/LoopbackHttpServer.h"
#include "support/ResourceProbe.h"
#include "support/Support.h"

using namespace testsupport;

namespace {

const char kSameDay[] = "上海 07:30 发布,多云,31,3-4级/东南风,05:01,阴,26,<3级/无持续风向,19:01";

std::mutex g_mutex;
HttpReply g_reply;                        // for any city without one of its own
std::map<std::string, HttpReply> g_byCity;  // bad servers side by side, one per city

void Serve(HttpReply reply) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_reply = std::move(reply);
}
HttpReply Page(const char* name, int status = 200) {
    HttpReply r;
    r.status = status;
    r.pieces = {SourceFile(std::string("tests/data/weather/") + name)};
    return r;
}
HttpReply Kind(HttpReply::Kind kind) {
    HttpReply r;
    r.kind = kind;
    return r;
}

LoopbackHttpServer& Server() {
    static LoopbackHttpServer server([](const std::string& request) {
        const size_t at = request.find("/weather1d/") + 11, end = request.find(".shtml");
        const std::string city = at > 11 && end > at ? request.substr(at, end - at) : "";
        std::lock_guard<std::mutex> lock(g_mutex);
        if (city == "loop") {  // on to the same page with a counter, for ever
            HttpReply r;
            r.status = 302;
            static int hops = 0;
            r.headers = "Location: /weather1d/loop.shtml?" + std::to_string(++hops) + "\r\n";
            return r;
        }
        return g_byCity.count(city) ? g_byCity[city] : g_reply;
    });
    return server;
}
int RequestsFor(const std::string& city) {
    int n = 0;
    for (const std::string& r : Server().Requests()) n += r.find("/weather1d/" + city + ".shtml") != std::string::npos;
    return n;
}
void UseCity(const char* city) { WriteFileBytes(ExeDir() + L"config.ini", std::string("[board]\r\ncityid=") + city + "\r\n"); }
const bool kProxySet = (UseProxy(Server().ProxyUrl()), true);  // before WinINet's first session

// A window that takes the downloads' messages: the result of each.
class Listener {
public:
    Listener() : m_hwnd(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~Listener() { ::DestroyWindow(m_hwnd); }
    // One download from start to end: whether it published, and the record.
    std::pair<bool, CString> Download() {
        g_weatherRecord.Set("Loading");
        EXPECT_TRUE(StartWeatherDownload(m_hwnd));
        MSG msg{};
        const DWORD start = ::GetTickCount();
        while (!::PeekMessageW(&msg, m_hwnd, WM_WEATHER_RESULT, WM_WEATHER_RESULT, PM_REMOVE)) {
            if (::GetTickCount() - start > 20000) return {false, "no result"};
            ::Sleep(10);
        }
        return {msg.wParam != 0, g_weatherRecord.Get()};
    }

private:
    HWND m_hwnd;
};

class WeatherTest : public ::testing::Test {
protected:
    void SetUp() override { RemoveFile(ExeDir() + L"config.ini"); }
    SharedSettings settings{768, 432};
};

// boardcheck weather ARGS started now, its downloads through proxy.
ConsoleProgram Boardcheck(const std::wstring& args, const std::string& proxy = Server().ProxyUrl()) {
    ::SetEnvironmentVariableA("http_proxy", proxy.c_str());
    ConsoleProgram run(L"\"" + ExeDir() + L"boardcheck.exe\" weather " + args);
    ::SetEnvironmentVariableA("http_proxy", Server().ProxyUrl().c_str());
    return run;
}

}  // namespace

TEST_F(WeatherTest, OnlyWholeForecastsArePublished) {
    Listener listener;
    struct Case { const char* what; HttpReply reply; bool published; CString record; };
    const Case cases[] = {
        {"a good page", Page("sameday.html"), true, kSameDay},
        {"an evening page", Page("nextday.html"), true,
         "上海 18:00 发布,雷阵雨,33,4-5级/南风,05:02,阴,26,<3级/无持续风向,19:01,nextday,8日夜间,9日白天"},
        {"the page with HTTP 500", Page("sameday.html", 500), false, "Loading"},
        {"a page without the forecast", [] { HttpReply r; r.pieces = {"<html>维护中</html>"}; return r; }(), false, "Loading"},
        {"a dropped connection", Kind(HttpReply::Kind::Drop), false, "Loading"},
    };
    for (const Case& c : cases) {
        Serve(c.reply);
        EXPECT_EQ(listener.Download(), std::make_pair(c.published, c.record)) << c.what;
        EXPECT_EQ(OpenInternetHandles(), 0) << c.what << ": a download the board hears about holds no handle";
    }
    const std::string request = Server().Requests().front();
    for (const char* line : {"GET http://www.weather.com.cn:80/weather1d/101020100.shtml HTTP/1.1\r\n", "Accept: */*\r\n",
                             "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"}) {
        EXPECT_NE(request.find(line), std::string::npos) << line << " in\n" << request;
    }
}

TEST_F(WeatherTest, TheBoardTriesAgainAfterAFailure) {
    BoardWindow board;
    ASSERT_TRUE(board.Create(IDD_BOARD, nullptr));
    auto settle = [&] {
        PumpUntil([] { return RunningWeatherDownloads() == 0; }, 15000);
        PumpMessages(100);
        return board.PendingRetryMs() / 60000;
    };
    auto hourlyArmed = [&] {  // the hourly download's timer runs: kill it to see, then arm it again
        const bool armed = ::KillTimer(board.m_hWnd, BoardWindow::TIMER_WEATHER);
        ::SetTimer(board.m_hWnd, BoardWindow::TIMER_WEATHER, BoardWindow::WEATHER_PERIOD_MS, nullptr);
        return armed;
    };
    auto retry = [&] {
        // The retry's timer runs (minutes long): fire it now instead.
        EXPECT_TRUE(::KillTimer(board.m_hWnd, BoardWindow::TIMER_RETRY));
        board.PostMessage(WM_TIMER, BoardWindow::TIMER_RETRY);
        return settle();
    };
    Serve(Page("sameday.html", 500));  // the network is not up yet
    board.PlaceBoard(RECT{0, 0, 768, 432});
    EXPECT_EQ(settle(), 1u);
    EXPECT_EQ(retry(), 2u);
    board.PlaceBoard(RECT{0, 0, 768, 432});  // a placement starts the schedule again
    EXPECT_EQ(settle(), 1u);
    EXPECT_EQ(g_weatherRecord.Get(), "Loading");
    Serve(Page("sameday.html"));  // the network is up
    EXPECT_EQ(retry(), 0u);
    EXPECT_EQ(g_weatherRecord.Get(), kSameDay);
    EXPECT_TRUE(hourlyArmed()) << "after a retry that succeeded";

    // A retry never overlaps a download of the board that is still running.
    HttpReply hang = Kind(HttpReply::Kind::Hang);
    hang.hangMs = 8000;
    Serve(hang);
    const int before = Server().RequestCount();
    board.PlaceBoard(RECT{0, 0, 768, 432});
    std::vector<DWORD> delays;
    for (int i = 0; i < 6; ++i) {
        board.PostMessage(WM_WEATHER_RESULT, FALSE);  // failures while that download hangs
        PumpMessages(20);
        delays.push_back(board.PendingRetryMs() / 60000);
        board.PostMessage(WM_TIMER, BoardWindow::TIMER_RETRY);
        PumpMessages(20);
    }
    EXPECT_EQ(delays, (std::vector<DWORD>{1, 2, 5, 10, 30, 0}));
    EXPECT_TRUE(hourlyArmed()) << "after the retries ran out";
    PumpMessages(300);
    EXPECT_EQ(Server().RequestCount(), before + 1);
    board.DestroyWindow();
}

TEST_F(WeatherTest, AStoppedDownloadPublishesNothing) {
    Listener listener;
    HttpReply slow = Page("sameday.html");
    const std::string page = slow.pieces.front();
    slow.pieces = {page.substr(0, 100), page.substr(100)};
    slow.pauseBetweenMs = 1500;
    Serve(slow);
    g_weatherRecord.Set("Loading");
    ASSERT_TRUE(StartWeatherDownload(::GetDesktopWindow()));
    ::Sleep(500);  // inside the body now
    const DWORD start = ::GetTickCount();
    StopAllWeatherDownloads(400);
    EXPECT_LT(::GetTickCount() - start, 700u);
    // The worker may stay blocked in WinINet until its time-out; when it
    // ends, it has published nothing.
    EXPECT_TRUE(PumpUntil([] { return RunningWeatherDownloads() == 0; }, 10000));
    EXPECT_EQ(g_weatherRecord.Get(), "Loading");
}

// Bad servers side by side, each at a city of its own: each ends within the
// deadline as a failed download (or a record with shortened values), holds
// nothing after it, never stalls or overflows the board, and is named by boardcheck.
TEST_F(WeatherTest, NoServerHoldsFloodsOrOverflowsTheBoard) {
    const std::string page = SourceFile("tests/data/weather/sameday.html");
    auto edit = [](std::string text, const std::string& from, const std::string& to) {
        return text.replace(text.find(from), from.size(), to);
    };
    std::string many;
    for (int i = 0; i < 5000; ++i) many += u8"多";
    HttpReply trickle{{}, 200, "", {std::string(1000, ' ')}, 1000};
    trickle.pieces.resize(40, "x");  // then a byte a second
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_byCity = {
            {"trickle", trickle},
            {"long", {{}, 200, "", {edit(edit(page, u8"title=\"多云\"", u8"title=\"" + many + "\""), "<span>31</span>",
                                         "<span>" + std::string(10000, '3') + "</span>")}}},
            {"nul", {{}, 200, "", {edit(page, "<html", std::string("\0<html", 6))}}},
            {"gzip", {{}, 200, "Content-Encoding: gzip\r\n", {std::string("\x1F\x8B\x08\0\0\0\0\0\0\x03", 10)}}},
            {"huge", {{}, 200, "", {page + std::string(httpbody::kMaxBytes + 1 - page.size(), ' ')}}},
            {"silent", Kind(HttpReply::Kind::Hang)},
            {"500", Page("sameday.html", 500)},
            {"maintenance", {{}, 200, "", {"<html>维护中</html>"}}},
            {"noend", {{}, 200, "", {edit(page, "id=\"ab_yjfk\">", "class=\"fb\">")}}},
            {"good", Page("sameday.html")},
        };
    }
    WriteFileBytes(ExeDir() + L"binary.html", g_byCity["nul"].pieces[0]);
    WriteFileBytes(ExeDir() + L"huge.html", g_byCity["huge"].pieces[0]);

    // The board's download trickles; Refreshes and the hourly timer start no other.
    UseCity("trickle");
    const int threadsBefore = CountThreads();
    BoardWindow board;
    ASSERT_TRUE(board.Create(IDD_BOARD, nullptr));
    const DWORD start = ::GetTickCount();
    board.PlaceBoard(RECT{0, 0, 768, 432});
    ASSERT_TRUE(PumpUntil([] { return RequestsFor("trickle") == 1; }, 5000));
    const int threadsOfOne = CountThreads();
    for (int i = 0; i < 3; ++i) {
        board.PlaceBoard(RECT{0, 0, 768, 432});
        board.PostMessage(WM_TIMER, BoardWindow::TIMER_WEATHER);
        PumpMessages(200);
    }
    EXPECT_EQ(RequestsFor("trickle"), 1);
    EXPECT_EQ(Server().OpenConnections(), 1);
    EXPECT_EQ(CountThreads(), threadsOfOne);

    // A page with long values: the record keeps them short, and the board
    // draws them at once, inside the middle panel.
    Listener listener;
    UseCity("long");
    EXPECT_TRUE(listener.Download().first);
    const DWORD drawing = ::GetTickCount();
    board.SendMessage(WM_TIMER, BoardWindow::TIMER_TICK);
    EXPECT_LT(::GetTickCount() - drawing, 100u) << "the interface thread drew the long values for too long";
    const Pixels shot = CaptureScreen(RECT{0, 0, 768, 432});
    int inside = 0, outside = 0;  // inked pixels under the panel's rule (267), off the dividers (291, 537)
    for (int i = 270 * 768; i < 432 * 768; ++i) {
        const int x = i % 768;
        if (std::abs(x - 291) > 3 && std::abs(x - 537) > 3 && shot.At(x, i / 768) != Blended(0x204080)) ++(x > 291 && x < 537 ? inside : outside);
    }
    EXPECT_GT(inside, 500) << "the weather table is on the board";
    EXPECT_EQ(outside, 0) << "weather text outside its panel, over the rate tables";

    // A redirect loop, a NUL, a compressed answer, a page over the limit: failed downloads.
    for (const char* city : {"loop", "nul", "gzip", "huge"}) {
        UseCity(city);
        EXPECT_EQ(listener.Download(), std::make_pair(false, CString("Loading"))) << city;
    }
    EXPECT_EQ(RequestsFor("loop"), 1 + WeatherThread::MAX_REDIRECTS);

    // boardcheck's verdicts and exit status (1: the board gets no record, 0:
    // it does), all at once while the board's download trickles on.
    struct Check { const wchar_t* args; DWORD status; std::vector<std::string> lines; const char* proxy = nullptr; };
    const Check checks[] = {
        {L"--city trickle", 1, {"verdict: the download failed: the page had not arrived after 15 s"}},
        {L"--city loop", 1, {"redirected to: http://www.weather.com.cn/weather1d/loop.shtml?",
                             "redirect loop: the server sent the download on more than 5 times -> http://"}},
        {L"--city long", 0, {"shortened: description (daytime), 10000 bytes", "shortened: temperature", "cut to their first 28 bytes"}},
        {L"--city nul", 1, {"verdict: the download failed: the page is binary"}},
        {L"--page binary.html", 1, {"verdict: the page is binary", "so the board shows \"Loading\""}},
        {L"--city gzip", 1, {"verdict: the download failed: the page arrived compressed"}},
        {L"--city huge", 1, {"verdict: the download failed: the page is larger than 8 MiB"}},
        {L"--page huge.html", 1, {"verdict: the page is larger than 8 MiB"}},
        {L"--city good", 1, {"ERROR_INTERNET_CANNOT_CONNECT", "verdict: the download failed: no page arrived",
                             "again after 1, 2, 5, 10, 30 minutes, then every hour; 刷新"}, "http://127.0.0.1:9"},
        {L"--city silent", 1, {"timed out: no answer within 5 s", "verdict: the download failed: no page arrived"}},
        {L"--city 500", 1, {"status: 500", "the server answered 500 instead of the page"}},
        {L"--city maintenance", 1, {"MISSING START  forecast body (page)", "holds no forecast"}},
        {L"--city noend", 0, {"MISSING END    forecast body (page)", std::string("record: ") + kSameDay, "every field has a value"}},
        {L"--city good", 0, {"markers missing: 0", "every field has a value"}},
    };
    std::vector<ConsoleProgram> runs;
    for (const Check& c : checks) runs.push_back(Boardcheck(c.args, c.proxy ? c.proxy : Server().ProxyUrl()));
    for (size_t i = 0; i < runs.size(); ++i) {
        const auto [out, status] = runs[i].Finish();
        for (const std::string& line : checks[i].lines) EXPECT_NE(out.find(line), std::string::npos) << line << " in\n" << out;
        EXPECT_EQ(status, checks[i].status) << out;
        // No marker list that would blame the page for a failed download.
        EXPECT_EQ(out.find("markers missing") != std::string::npos,
                  out.find("so the board shows \"Loading\"") == std::string::npos) << out;
    }
    RemoveFile(ExeDir() + L"binary.html");
    RemoveFile(ExeDir() + L"huge.html");

    // The trickle given up at the deadline: a failed download, nothing left open.
    EXPECT_TRUE(PumpUntil([&] { return RunningWeatherDownloads(board.m_hWnd) == 0; }, 25000));
    EXPECT_NEAR(static_cast<double>(::GetTickCount() - start), WeatherThread::DEADLINE_MS, 1500.0);
    PumpMessages(100);
    EXPECT_EQ(board.PendingRetryMs(), 60000u) << "tried again after a minute, as after any failure";
    EXPECT_TRUE(PumpUntil([] { return Server().OpenConnections() == 0; }, 5000));
    EXPECT_TRUE(PumpUntil([&] { return CountThreads() == threadsBefore; }, 5000)) << CountThreads();
    EXPECT_EQ(OpenInternetHandles(), 0);
    board.DestroyWindow();
    std::lock_guard<std::mutex> lock(g_mutex);
    g_byCity.clear();
}
