// Endurance: the board rendering and downloading the weather over and over
// against a loopback server that alternates good pages, errors and stalls.
// GDI handles, user handles, threads and private memory must stay flat.
//
// The suite runs the short form (1,000 renders, 20 downloads); set
// RATEBOARD_SOAK_LONG=1 for the long form (10,000 renders, 200 downloads).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BoardTestSupport.h"
#include "TestSupport.h"
#include "app/Globals.h"
#include "board/BoardWindow.h"
#include "core/Core.h"
#include "data/RateFile.h"
#include "data/WeatherThread.h"
#include "res/resource.h"
#include "support/LoopbackHttpServer.h"
#include "support/ResourceProbe.h"

using testsupport::HttpReply;
using testsupport::LoopbackHttpServer;

namespace {

struct Sample {
    int renders;
    testsupport::ResourceCounts counts;
};

std::string SourceFile(const char* relative) {
    const char* root = std::getenv("RATEBOARD_SOURCE_DIR");
    std::string path = std::string(root ? root : ".") + "/" + relative;
    if (path[0] == '/') path = "Z:" + path;  // the Unix tree, seen from Wine
    return testsupport::ReadFileBytes(Widen(CString(path)));
}

bool WaitForDownloads(DWORD ms) {
    return testsupport::PumpUntil([] { return RunningWeatherDownloads() == 0; }, ms);
}

}  // namespace

TEST(Soak, RendersAndDownloadsLeaveNothingBehind) {
    const bool longForm = std::getenv("RATEBOARD_SOAK_LONG") != nullptr;
    const int renders = longForm ? 10000 : 1000;
    const int downloads = longForm ? 200 : 20;

    const std::string page = SourceFile("tests/data/weather/sameday.html");
    ASSERT_FALSE(page.empty());
    int served = 0;
    LoopbackHttpServer server([&](const std::string&) {
        HttpReply reply;
        switch (served++ % 3) {
        case 0:
            reply.body = page;
            reply.chunks = 3;
            break;
        case 1:
            reply.status = 500;
            reply.body = "<html>error</html>";
            break;
        default:
            // Accepts and says nothing for longer than the download's receive
            // time-out, then hangs up.
            reply.kind = HttpReply::Kind::Hang;
            reply.hangMs = 7000;
            break;
        }
        return reply;
    });
    ::SetEnvironmentVariableA("http_proxy", server.ProxyUrl().c_str());

    // What the settings dialog sets up before it places the board.
    boardtest::SharedSettings settings(800, 450);
    std::vector<char> rooms(RATE_BUFFER_SIZE), exchange(RATE_BUFFER_SIZE);
    g_roomRates = rooms.data();
    g_exchangeRates = exchange.data();
    const std::string sample = SourceFile("samples/_房价.txt");
    const std::wstring roomFile = testsupport::ExeDir() + L"soak-rooms.txt";
    testsupport::WriteFileBytes(roomFile, sample);
    g_roomRateCount = ReadRateFile(Narrow(roomFile), g_roomRates);
    g_exchangeRateCount = ReadRateFile(Narrow(roomFile), g_exchangeRates);
    ::DeleteFileW(roomFile.c_str());
    ASSERT_GT(g_roomRateCount, 0);

    {
        BoardWindow board;
        ASSERT_TRUE(board.Create(IDD_BOARD, nullptr));
        board.PlaceBoard(RECT{100, 100, 900, 550});
        // Warm up: caches, the first sessions, GDI+'s own first-use objects.
        for (int i = 0; i < 30; ++i) board.Render();
        board.StartWeatherThread();
        board.StartWeatherThread();
        board.StartWeatherThread();
        ASSERT_TRUE(WaitForDownloads(20000));
        testsupport::PumpMessages(100);

        std::vector<Sample> samples{{0, testsupport::CountResources()}};
        const int every = renders / downloads;
        for (int i = 1; i <= renders; ++i) {
            board.Render();
            if (i % every == 0) board.StartWeatherThread();
            if (i % 20 == 0) testsupport::PumpMessages(0);
            if (i % (renders / 10) == 0) samples.push_back({i, testsupport::CountResources(false)});
        }
        ASSERT_TRUE(WaitForDownloads(30000)) << "downloads still running";
        testsupport::PumpMessages(200);
        samples.push_back({renders, testsupport::CountResources()});

        std::printf("soak: %d renders of %d x %d, %d downloads (%d requests served)\n", renders, g_width, g_height,
                    downloads, server.RequestCount());
        std::printf("soak: renders  free GDI  free user  threads  memory MiB\n");
        for (const Sample& s : samples) {
            std::printf("soak: %7d %9d %10d %8d %11.2f\n", s.renders, s.counts.freeGdiHandles,
                        s.counts.freeUserHandles, s.counts.threads, s.counts.memoryMiB);
        }
        const testsupport::ResourceCounts& first = samples.front().counts;
        const testsupport::ResourceCounts& last = samples.back().counts;
        EXPECT_GE(server.RequestCount(), downloads + 3) << "every download reached the server";
        EXPECT_GT(first.freeGdiHandles, 1000) << "the GDI probe works";
        EXPECT_GE(last.freeGdiHandles, first.freeGdiHandles) << "GDI handles leaked";
        EXPECT_GE(last.freeUserHandles, first.freeUserHandles) << "user handles leaked";
        EXPECT_LE(last.threads, first.threads) << "threads outlived their downloads";
        for (const Sample& s : samples) {
            EXPECT_GE(s.counts.freeGdiHandles, first.freeGdiHandles - 8) << "GDI handles piled up at " << s.renders;
        }
        // Memory: flat within the allocator's noise once the heaps have
        // settled (the sample after the first tenth), never growing with the
        // number of renders and downloads.
        const double settled = samples[1].counts.memoryMiB;
        EXPECT_GT(settled, 1.0) << "the memory counter works";
        EXPECT_LT(last.memoryMiB - settled, longForm ? 6.0 : 3.0) << "memory grew";
    }
    StopAllWeatherDownloads(1000);
    g_roomRates = nullptr;
    g_exchangeRates = nullptr;
}
