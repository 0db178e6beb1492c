// Weather downloads under Wine against a loopback server that WinINet
// reaches as its proxy: what gets published, how the board tries again
// after a failure, what a stop leaves behind, and what boardcheck tells
// whoever looks after the PC.
#include <gtest/gtest.h>

#include <mutex>

#include "board/BoardWindow.h"
#include "core/Globals.h"
#include "data/WeatherThread.h"
#include "res/resource.h"
#include "support/LoopbackHttpServer.h"
#include "support/Support.h"

using namespace testsupport;

namespace {

const char kSameDay[] = "上海 07:30 发布,多云,31,3-4级/东南风,05:01,阴,26,<3级/无持续风向,19:01";

std::mutex g_mutex;
HttpReply g_reply;

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
    static LoopbackHttpServer server([](const std::string&) {
        std::lock_guard<std::mutex> lock(g_mutex);
        return g_reply;
    });
    return server;
}
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

// boardcheck's output (code page 936) for one download through proxy.
std::string Boardcheck(const std::string& proxy) {
    ::SetEnvironmentVariableA("http_proxy", proxy.c_str());
    const std::string out = RunConsole(L"\"" + ExeDir() + L"boardcheck.exe\" weather");
    ::SetEnvironmentVariableA("http_proxy", Server().ProxyUrl().c_str());
    return out;
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

    // Tries at 1, 2, 5, 10 and 30 minutes, then the hourly rhythm; and a
    // retry never overlaps a download of the board that is still running.
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

TEST_F(WeatherTest, BoardcheckSaysWhyTheBoardShowsLoading) {
    struct Case { const char* what; HttpReply reply; bool pageArrived; std::vector<std::string> lines; };
    HttpReply noEnd = Page("sameday.html");
    noEnd.pieces.front().replace(noEnd.pieces.front().find("id=\"ab_yjfk\">"), 13, "class=\"fb\">");
    const Case cases[] = {
        {"refused", HttpReply{}, false, {"ERROR_INTERNET_CANNOT_CONNECT", "verdict: the download failed: no page arrived",
                                   "again after 1, 2, 5, 10, 30 minutes, then every hour; 刷新"}},
        {"silent", Kind(HttpReply::Kind::Hang), false, {"no answer within 5 s", "verdict: the download failed"}},
        {"HTTP 500", Page("sameday.html", 500), false, {"status: 500", "the server answered 500 instead of the page"}},
        {"no forecast", [] { HttpReply r; r.pieces = {"<html>维护中</html>"}; return r; }(), true,
         {"MISSING START  forecast body (page)", "holds no forecast"}},
        {"no end marker", noEnd, true,
         {"MISSING END    forecast body (page)", std::string("record: ") + kSameDay, "every field has a value"}},
        {"good", Page("sameday.html"), true, {"markers missing: 0", "every field has a value"}},
    };
    for (const Case& c : cases) {
        Serve(c.reply);
        const std::string out = Boardcheck(std::string(c.what) == "refused" ? "http://127.0.0.1:9" : Server().ProxyUrl());
        for (const std::string& line : c.lines) EXPECT_NE(out.find(line), std::string::npos) << c.what << ": " << line << " in\n" << out;
        // No marker list that would blame the page for a failed download.
        EXPECT_EQ(out.find("markers missing") != std::string::npos, c.pageArrived) << c.what << "\n" << out;
    }
}
