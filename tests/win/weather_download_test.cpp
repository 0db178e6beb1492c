// Weather downloads against a loopback HTTP server reached as the proxy:
// pages in chunks and with either line end, failures of every kind, the
// request as sent, overlapping downloads, and the stop at shutdown while a
// server holds a request without answering.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>

#include "WeatherServer.h"
#include "TestSupport.h"
#include "app/Globals.h"
#include "core/Core.h"
#include "data/WeatherThread.h"

namespace {

using Mode = WeatherServer::Mode;
using Script = WeatherServer::Script;

const char kSameDay[] = "上海 07:30 发布,多云,31,3-4级/东南风,05:01,阴,26,<3级/无持续风向,19:01";
const char kNextDay[] = "上海 18:00 发布,雷阵雨,33,4-5级/南风,05:02,阴,26,<3级/无持续风向,19:01,nextday,8日夜间,9日白天";
const char kUserAgent[] = "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n";

std::string ReadPage(const char* name) {
    const char* root = std::getenv("RATEBOARD_SOURCE_DIR");
    std::string path = std::string(root ? root : ".") + "/tests/data/weather/" + name;
    if (!path.empty() && path[0] == '/') path = "Z:" + path;  // the Unix tree under Wine
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Split(const std::string& s, size_t pieces) {
    std::vector<std::string> out;
    const size_t step = s.size() / pieces + 1;
    for (size_t at = 0; at < s.size(); at += step) out.push_back(s.substr(at, step));
    return out;
}

Script Answer(int status, std::vector<std::string> chunks, DWORD delayMs = 0) {
    Script s;
    s.status = status;
    s.chunks = std::move(chunks);
    s.chunkDelayMs = delayMs;
    return s;
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

bool WaitUntilIdle(DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (RunningWeatherDownloads() > 0) {
        if (::GetTickCount() - start > ms) return false;
        ::Sleep(10);
    }
    return true;
}

class WeatherDownload : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_server = std::make_unique<WeatherServer>();
        // Read by WinINet when a session opens with the system's settings.
        ::SetEnvironmentVariableA("http_proxy", s_server->ProxyAddress().c_str());
    }
    static void TearDownTestSuite() {
        StopAllWeatherDownloads(1000);
        s_server.reset();
    }

    void SetUp() override {
        WriteConfig("[board]\r\ncityid=\r\n");
        m_core = std::make_unique<CCore>();
        g_core = m_core.get();
        g_weatherRecord.Set("Loading");
        m_board = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(m_board, nullptr);
        m_requestsBefore = s_server->Requests().size();
    }
    void TearDown() override {
        EXPECT_TRUE(WaitUntilIdle(15000)) << "a download did not end";
        g_core = nullptr;
        m_core.reset();
        ::DestroyWindow(m_board);
        ::DeleteFileW((testsupport::ExeDir() + L"config.ini").c_str());
    }

    static void WriteConfig(const std::string& text) {
        ASSERT_TRUE(testsupport::WriteFileBytes(testsupport::ExeDir() + L"config.ini", text));
    }

    // The messages the downloads posted to the board window.
    int PostedNotices(LPARAM* last = nullptr) {
        int n = 0;
        MSG msg;
        while (::PeekMessageW(&msg, m_board, WM_WEATHER_DONE, WM_WEATHER_DONE, PM_REMOVE)) {
            ++n;
            if (last) *last = msg.lParam;
        }
        return n;
    }

    std::string LastRequest() {
        auto all = s_server->Requests();
        return all.size() > m_requestsBefore ? all.back() : std::string();
    }

    // One download through the board's path, run to its end.
    CString Download() {
        g_weatherRecord.Set("Loading");
        EXPECT_TRUE(StartWeatherDownload(m_board));
        EXPECT_TRUE(WaitUntilIdle(15000));
        return g_weatherRecord.Get();
    }

    static std::unique_ptr<WeatherServer> s_server;
    std::unique_ptr<CCore> m_core;
    HWND m_board = nullptr;
    size_t m_requestsBefore = 0;
};
std::unique_ptr<WeatherServer> WeatherDownload::s_server;

}  // namespace

TEST_F(WeatherDownload, PageInSeveralChunksGivesTheRecordAndNoMessage) {
    s_server->SetScript(Answer(200, Split(ReadPage("sameday.html"), 5), 40));
    EXPECT_EQ(Download(), kSameDay);
    EXPECT_EQ(PostedNotices(), 0) << "success is not announced";

    const std::string request = LastRequest();
    EXPECT_EQ(request.rfind("GET http://www.weather.com.cn", 0), 0u) << request;
    EXPECT_NE(request.find("/weather1d/101020100.shtml HTTP/1.1\r\n"), std::string::npos) << request;
    EXPECT_EQ(Count(request, "\r\nAccept: */*\r\n"), 1) << request;
    EXPECT_EQ(Count(request, "User-Agent:"), 1) << request;
    EXPECT_EQ(Count(request, kUserAgent), 1) << request;
}

TEST_F(WeatherDownload, NextDayPageWithCrLfLines) {
    std::string page = ReadPage("nextday.html");
    std::string dos;
    for (char c : page) dos += c == '\n' ? std::string("\r\n") : std::string(1, c);
    s_server->SetScript(Answer(200, Split(dos, 3), 20));
    EXPECT_EQ(Download(), kNextDay);
}

TEST_F(WeatherDownload, ConfiguredCityIsAsked) {
    WriteConfig("[board]\r\ncityid=101010100\r\n");
    s_server->SetScript(Answer(200, {ReadPage("sameday.html")}));
    EXPECT_EQ(Download(), kSameDay);
    EXPECT_NE(LastRequest().find("/weather1d/101010100.shtml HTTP/1.1\r\n"), std::string::npos) << LastRequest();
}

TEST_F(WeatherDownload, BodyReadsConcatenateWithTheLineEndAndNulRules) {
    // A body far longer than one read, in pieces that do not match reads.
    std::string big;
    for (int i = 0; big.size() < 20000; ++i) big += "line " + std::to_string(i) + (i % 3 ? "\n" : "\r\n");
    std::string expected;
    for (char c : big) expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    s_server->SetScript(Answer(200, Split(big, 7), 15));
    WeatherThreadParam param;
    WeatherThread fetch(&WeatherThread::WeatherThreadProc, &param);
    ASSERT_TRUE(fetch.OpenSession());
    const CString body = fetch.HttpGet("http://www.weather.com.cn/weather1d/101020100.shtml");
    EXPECT_EQ(fetch.LastStatus(), 200u);
    EXPECT_EQ(body.GetLength(), static_cast<int>(expected.size()));
    EXPECT_TRUE(body.str() == expected);

    // One short read holding a NUL gives only what came before it.
    s_server->SetScript(Answer(200, {std::string("abc\ndef\r\n\0hidden\n", 17)}));
    EXPECT_EQ(fetch.HttpGet("http://www.weather.com.cn/weather1d/101020100.shtml"), "abc\r\ndef\r\r\n");
}

TEST_F(WeatherDownload, ErrorStatusesGiveNothing) {
    WeatherThreadParam param;
    WeatherThread fetch(&WeatherThread::WeatherThreadProc, &param);
    ASSERT_TRUE(fetch.OpenSession());
    for (int status : {404, 500}) {
        s_server->SetScript(Answer(status, {ReadPage("sameday.html")}));
        EXPECT_EQ(fetch.HttpGet("http://www.weather.com.cn/weather1d/101020100.shtml"), "");
        EXPECT_EQ(fetch.LastStatus(), static_cast<DWORD>(status));
    }
    s_server->SetScript(Answer(500, {ReadPage("sameday.html")}));
    EXPECT_EQ(Download(), "Loading") << "a page with an error status is not scraped";
    EXPECT_EQ(PostedNotices(), 0);
}

TEST_F(WeatherDownload, DroppedConnectionsLeaveLoading) {
    Script drop;
    drop.mode = Mode::DropAfterRequest;
    s_server->SetScript(drop);
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(Download(), "Loading");
    EXPECT_LT(::GetTickCount() - start, 6000u);

    Script half = Answer(200, Split(ReadPage("sameday.html"), 4), 20);
    half.mode = Mode::DropMidBody;
    s_server->SetScript(half);
    EXPECT_EQ(Download(), "Loading") << "a cut-off page has no body end marker";
    EXPECT_EQ(PostedNotices(), 0);
}

TEST_F(WeatherDownload, OverlappingDownloadsPublishWholeRecords) {
    Script slow;
    slow.mode = Mode::Hang;
    s_server->SetScript(slow);
    ASSERT_TRUE(StartWeatherDownload(m_board));
    ASSERT_TRUE(s_server->WaitForRequests(m_requestsBefore + 1, 5000));
    s_server->SetScript(Answer(200, Split(ReadPage("nextday.html"), 4), 10));
    ASSERT_TRUE(StartWeatherDownload(m_board));
    const Script late = Answer(200, Split(ReadPage("sameday.html"), 4), 10);

    std::set<std::string> seen;
    const DWORD start = ::GetTickCount();
    bool released = false;
    while (RunningWeatherDownloads() > 0 && ::GetTickCount() - start < 15000) {
        seen.insert(g_weatherRecord.Get().str());
        if (!released && g_weatherRecord.Get() == kNextDay) {
            s_server->Release(&late);
            released = true;
        }
    }
    ASSERT_TRUE(released) << "the second download never published";
    EXPECT_EQ(RunningWeatherDownloads(), 0);
    EXPECT_EQ(g_weatherRecord.Get(), kSameDay) << "the later answer is the last record";
    for (const std::string& value : seen) {
        EXPECT_TRUE(value == "Loading" || value == CString(kSameDay).str() || value == CString(kNextDay).str())
            << "a reader saw a record being written: " << value;
    }
}

TEST_F(WeatherDownload, StopDuringASilentServerIsQuickAndFinal) {
    Script hang;
    hang.mode = Mode::Hang;
    s_server->SetScript(hang);
    ASSERT_TRUE(StartWeatherDownload(m_board));
    ASSERT_TRUE(StartWeatherDownload(m_board));
    ASSERT_TRUE(s_server->WaitForRequests(m_requestsBefore + 2, 5000));
    EXPECT_EQ(RunningWeatherDownloads(), 2);

    const DWORD start = ::GetTickCount();
    StopAllWeatherDownloads(500);
    const DWORD took = ::GetTickCount() - start;
    EXPECT_LT(took, 1000u);

    // The settings dialog deletes the core right after the stop; here it is
    // kept, so that only the stop itself can keep a worker that was still
    // waiting from using it. Now the server answers with a good page: that
    // worker must neither publish it nor post anything.
    const Script page = Answer(200, {ReadPage("sameday.html")});
    s_server->Release(&page);
    EXPECT_TRUE(WaitUntilIdle(10000));
    EXPECT_EQ(g_weatherRecord.Get(), "Loading");
    EXPECT_EQ(PostedNotices(), 0);
}

TEST_F(WeatherDownload, DownloadsAfterAStopRunNormally) {
    const DWORD start = ::GetTickCount();
    StopAllWeatherDownloads(500);
    EXPECT_LT(::GetTickCount() - start, 100u) << "nothing to wait for";
    s_server->SetScript(Answer(200, {ReadPage("sameday.html")}));
    EXPECT_EQ(Download(), kSameDay);
}

TEST_F(WeatherDownload, ASilentServerDoesNotHoldTheDownloadForGood) {
    Script hang;
    hang.mode = Mode::Hang;
    s_server->SetScript(hang);
    const DWORD start = ::GetTickCount();
    ASSERT_TRUE(StartWeatherDownload(m_board));
    ASSERT_TRUE(s_server->WaitForRequests(m_requestsBefore + 1, 5000));
    // The five-second receive time-out ends the wait; the worker goes away
    // by itself, with nothing published and nothing posted.
    EXPECT_TRUE(WaitUntilIdle(9000)) << "the download was still waiting after " << ::GetTickCount() - start << " ms";
    EXPECT_EQ(g_weatherRecord.Get(), "Loading");
    EXPECT_EQ(PostedNotices(), 0);
    s_server->Release();
}
