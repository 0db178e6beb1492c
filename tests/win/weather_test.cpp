// Weather downloads under Wine against a loopback server that WinINet
// reaches as its proxy: what gets published, how the board tries again
// after a failure, what a stop leaves behind, what no misbehaving server can
// do to the board, and what boardcheck tells whoever looks after the PC.
#include <gtest/gtest.h>

#include <algorithm>
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
        if (city == "900000302") {  // on to the same page with a counter, for ever
            HttpReply r;
            r.status = 302;
            static int hops = 0;
            r.headers = "Location: /weather1d/900000302.shtml?" + std::to_string(++hops) + "\r\n";
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
    HWND Window() const { return m_hwnd; }
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

// boardcheck ARGS started now, its downloads through proxy.
ConsoleProgram Boardcheck(const std::wstring& args, const std::string& proxy = Server().ProxyUrl()) {
    ::SetEnvironmentVariableA("http_proxy", proxy.c_str());
    ConsoleProgram run(L"\"" + ExeDir() + L"boardcheck.exe\" " + args);
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
    Serve(Page("sameday.html", 500));  // down again at the next hour
    board.PostMessage(WM_TIMER, BoardWindow::TIMER_WEATHER);
    EXPECT_EQ(settle(), 1u) << "a success starts the retries over";
    Serve(Page("sameday.html"));
    board.PostMessage(WM_TIMER, BoardWindow::TIMER_WEATHER);  // up before the retry's time
    settle();
    EXPECT_FALSE(::KillTimer(board.m_hWnd, BoardWindow::TIMER_RETRY)) << "a success ends the pending retry";

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
            {"900000001", trickle},  // a trickle
            {"900000002", {{}, 200, "", {edit(edit(page, u8"title=\"多云\"", u8"title=\"" + many + "\""), "<span>31</span>",  // long values
                                         "<span>" + std::string(10000, '3') + "</span>")}}},
            {"900000003", {{}, 200, "", {edit(page, "<html", std::string("\0<html", 6))}}},  // a NUL
            {"900000004", {{}, 200, "Content-Encoding: gzip\r\n", {std::string("\x1F\x8B\x08\0\0\0\0\0\0\x03", 10)}}},  // compressed
            {"900000005", {{}, 200, "", {page + std::string(httpbody::kMaxBytes + 1 - page.size(), ' ')}}},  // over 8 MiB
            {"900000006", Kind(HttpReply::Kind::Hang)},  // silent
            {"900000007", {HttpReply::Kind::TrickleHeaders, 200, "", {}, 0, WeatherThread::OVERDUE_MS + 2500}},
            {"900000500", Page("sameday.html", 500)},
            {"900000008", {{}, 200, "", {"<html>维护中</html>"}}},  // no forecast
            {"900000009", {{}, 200, "", {edit(page, "id=\"ab_yjfk\">", "class=\"fb\">")}}},  // no end marker
            {"101020100", Page("sameday.html")},  // good: Shanghai
        };
    }
    WriteFileBytes(ExeDir() + L"binary.html", g_byCity["900000003"].pieces[0]);
    WriteFileBytes(ExeDir() + L"huge.html", g_byCity["900000005"].pieces[0]);

    // Headers a byte now and then hold WinINet's own read: the download's handles are closed from outside.
    const int threadsBefore = CountThreads();
    Listener headers;
    UseCity("900000007");
    ASSERT_TRUE(StartWeatherDownload(headers.Window()));
    ASSERT_TRUE(PumpUntil([] { return RequestsFor("900000007") == 1; }, 5000));
    // The board's download trickles; Refreshes and the hourly timer start no other.
    UseCity("900000001");
    BoardWindow board;
    ASSERT_TRUE(board.Create(IDD_BOARD, nullptr));
    const DWORD start = ::GetTickCount();
    board.PlaceBoard(RECT{0, 0, 768, 432});
    ASSERT_TRUE(PumpUntil([] { return RequestsFor("900000001") == 1; }, 5000));
    const int threadsOfOne = CountThreads();
    for (int i = 0; i < 3; ++i) {
        board.PlaceBoard(RECT{0, 0, 768, 432});
        board.PostMessage(WM_TIMER, BoardWindow::TIMER_WEATHER);
        PumpMessages(200);
    }
    EXPECT_EQ(RequestsFor("900000001"), 1);
    EXPECT_EQ(Server().OpenConnections(), 2);  // the board's and the headers'
    EXPECT_EQ(CountThreads(), threadsOfOne);

    // A page with long values: the record keeps them short, and the board
    // draws them at once, inside the middle panel.
    Listener listener;
    UseCity("900000002");
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
    for (const char* city : {"900000302", "900000003", "900000004", "900000005"}) {
        UseCity(city);
        EXPECT_EQ(listener.Download(), std::make_pair(false, CString("Loading"))) << city;
    }
    EXPECT_EQ(RequestsFor("900000302"), 1 + WeatherThread::MAX_REDIRECTS);

    // boardcheck in Chinese and with --en, its exit status (0 all well, 1 a check failed, 2 a bad command line), all
    // at once while the board's download trickles on; with no command, every check; on its own console, a key.
    UseCity("101020100");
    WriteFileBytes(ExeDir() + L"_房价.txt", ";类别|标准价|今日价\r\n标准间|388|268\r\n豪华江景套房带早餐双人|1888|1588\r\n");
    WriteFileBytes(ExeDir() + L"_外币兑换.txt", u8"\uFEFF美元|100|718.25\r\n");  // Notepad's UTF-8
    struct Check { const wchar_t* args; DWORD status; std::vector<std::string> lines; const char* proxy = nullptr; };
    const Check checks[] = {
        {L"weather --city 900000001", 1, {"结论：下载失败：过了 15 秒页面还没到齐"}},
        {L"weather --city 900000302", 1, {"转向到：http://www.weather.com.cn/weather1d/900000302.shtml?",
                                          "转向循环：服务器让下载转向超过 5 次 -> http://"}},
        {L"weather --city 900000002", 0, {"截短：天气（白天），页面上有 10000 字节", "截短：气温", "只保留前 28 字节"}},
        {L"weather --city 900000003 --en", 1, {"verdict: the download failed: the page is binary"}},
        {L"weather --page binary.html", 1, {"结论：页面是二进制数据", "所以房价牌显示“Loading”"}},
        {L"weather --city 900000004", 1, {"结论：下载失败：页面是压缩过的"}},
        {L"weather --city 900000005", 1, {"结论：下载失败：页面大于 8 MiB"}},
        {L"--en weather --page huge.html", 1, {"verdict: the page is larger than 8 MiB"}},
        {L"weather", 1, {"12029 ERROR_INTERNET_CANNOT_CONNECT：连接被拒绝", "结论：下载失败：没有收到页面",
                         "在 1、2、5、10、30 分钟后再试，之后每小时一次；在设置窗口点击“刷新”"}, "http://127.0.0.1:9"},
        {L"weather --city 900000006 --en", 1, {"timed out: no answer within 5 s", "verdict: the download failed: no page arrived"}},
        {L"weather --city 900000500", 1, {"状态：500", "服务器回答 500，而不是页面"}},
        {L"weather --city 900000008", 1, {"缺少开头 预报正文（页面）", "页面里没有天气预报"}},
        {L"weather --city 900000009 --en", 0, {"MISSING END    forecast body (page)", std::string("record: ") + kSameDay, "every field has a value"}},
        {L"weather", 0, {"城市代码：101020100", "缺少的标记：0", "每一项都有值"}},
        {L"weather --city abc", 2, {"--city “abc”不是城市代码：城市代码是 9 位数字，例如 101020100（上海）"}},
        {L"rates", 0, {"\\_房价.txt\r\n编码：代码页 936（GBK）", "第 2 行：记录 0：标准间 | 388 | 268",
                    "记录 1：豪华江景套房带早餐双 | 1888 | 1588（第 0 项被截短：保留 20 字节，原有 22 字节）", "\\_外币兑换.txt\r\n编码：UTF-8（已转换"}},
        {L"", 0, {"== 设置（config.ini） ==\r\n文件：", "cityid = 101020100", "== 房价 ==", "== 外币兑换 ==\r\n文件：",
                  "记录 0：美元 | 100 | 718.25", "== 天气 ==", "每一项都有值", "总结：全部正常\r\n"}},
        {L"--en", 1, {"== weather ==", "summary: failed: weather (the reasons are above)"}, "http://127.0.0.1:9"},
    };
    std::vector<ConsoleProgram> runs;
    for (const Check& c : checks) runs.push_back(Boardcheck(c.args, c.proxy ? c.proxy : Server().ProxyUrl()));
    ConsoleProgram clicked(L"\"" + ExeDir() + L"boardcheck.exe\"", true);  // as from the Start menu
    EXPECT_TRUE(PumpUntil([&] { return clicked.Screen().find("总结：全部正常") != std::string::npos; }, 15000))
        << (clicked.Running() ? "running, its console: " : "ended, its console: ") << clicked.Screen();
    EXPECT_TRUE(PumpUntil([&] { return clicked.Screen().find("按任意键关闭此窗口") != std::string::npos; }, 5000))
        << "it waits for a key";
    PumpMessages(300);
    EXPECT_TRUE(clicked.Running()) << "still waiting for it";
    clicked.Screen(true);
    for (size_t i = 0; i < runs.size(); ++i) {
        const auto [out, status] = runs[i].Finish();
        for (const std::string& line : checks[i].lines) EXPECT_NE(out.find(line), std::string::npos) << line << " in\n" << out;
        EXPECT_EQ(status, checks[i].status) << out;
        // No marker list that would blame the page for a failed download.
        EXPECT_FALSE(out.find("缺少的标记") != std::string::npos && out.find("所以房价牌显示") != std::string::npos) << out;
    }
    EXPECT_EQ(clicked.Finish().second, 0u);
    for (const wchar_t* file : {L"binary.html", L"huge.html", L"_房价.txt", L"_外币兑换.txt"}) RemoveFile(ExeDir() + file);

    // The trickle given up at the deadline: a failed download, nothing left open.
    EXPECT_TRUE(PumpUntil([&] { return RunningWeatherDownloads(board.m_hWnd) == 0; }, 25000));
    EXPECT_NEAR(static_cast<double>(::GetTickCount() - start), WeatherThread::DEADLINE_MS, 1500.0);
    PumpMessages(100);
    EXPECT_EQ(board.PendingRetryMs(), 60000u) << "tried again after a minute, as after any failure";
    const int overdueLeft = static_cast<int>(start + WeatherThread::OVERDUE_MS + 1000 - ::GetTickCount());
    EXPECT_TRUE(PumpUntil([] { return OpenInternetHandles() == 0; }, std::max(overdueLeft, 0)))
        << "the handles of a download past its deadline are closed, even while WinINet still reads its headers";
    EXPECT_TRUE(PumpUntil([] { return Server().OpenConnections() == 0; }, 5000));
    EXPECT_TRUE(PumpUntil([&] { return CountThreads() == threadsBefore; }, 5000)) << CountThreads();
    EXPECT_EQ(OpenInternetHandles(), 0);
    board.DestroyWindow();
    UseCity("abc");  // typed by hand: the board downloads that page, boardcheck says what a city code is
    EXPECT_NE(Boardcheck(L"weather", "http://127.0.0.1:9").Finish().first.find("“abc”不是城市代码"), std::string::npos);
    std::lock_guard<std::mutex> lock(g_mutex);
    g_byCity.clear();
}
