// A day at the front desk, compressed: the board renders over and over while
// weather downloads succeed, fail and stall, and the process must not pile
// up GDI handles, user handles, threads or memory. Wine has no
// GetGuiResources, so handles are counted by how many more can be made.
//   RATEBOARD_SOAK_LONG=1: 10,000 renders and 200 downloads.
#include <gtest/gtest.h>

#include <cstdlib>

#include "board/BoardWindow.h"
#include "core/Globals.h"
#include "data/WeatherThread.h"
#include "res/resource.h"
#include "support/LoopbackHttpServer.h"
#include "support/ResourceProbe.h"
#include "support/Support.h"

using namespace testsupport;

TEST(Endurance, HandlesThreadsAndMemoryStayFlat) {
    const bool longRun = std::getenv("RATEBOARD_SOAK_LONG") != nullptr;
    const int renders = longRun ? 10000 : 300;
    const int downloads = longRun ? 200 : 12;
    const std::string page = SourceFile("tests/data/weather/sameday.html");
    ASSERT_FALSE(page.empty());
    int served = 0;
    LoopbackHttpServer server([&](const std::string&) {
        HttpReply reply;
        switch (served++ % 3) {
        case 0: reply.pieces = {page}; break;
        case 1: reply.status = 500; break;
        default: reply.kind = HttpReply::Kind::Hang, reply.hangMs = 300; break;
        }
        return reply;
    });
    UseProxy(server.ProxyUrl());

    SharedSettings settings(768, 432);
    SharedSettings::FillTables(20);
    BoardWindow board;
    ASSERT_TRUE(board.Create(IDD_BOARD, nullptr));
    board.PlaceBoard(RECT{0, 0, 768, 432});
    auto run = [&](int count, int fetches) {
        for (int i = 0; i < count; ++i) {
            // Every tenth picture in new colours: the whole board is drawn again.
            if (i % 10 == 0) g_clrDigi = Gdiplus::Color(0xFF000000u | static_cast<unsigned>(i * 2654435761u >> 8));
            board.PostMessage(WM_TIMER, BoardWindow::TIMER_TICK);
            PumpMessages(0);
            if (fetches > 0 && i % (count / fetches) == 0) StartWeatherDownload(board.m_hWnd);
        }
        PumpUntil([] { return RunningWeatherDownloads() == 0; }, 30000);
        PumpMessages(200);
    };
    run(30, 3);  // warm-up: fonts, caches, the first downloads
    const ResourceCounts before = CountResources();
    run(renders, downloads);
    const ResourceCounts after = CountResources();
    EXPECT_GE(served, downloads);
    EXPECT_EQ(after.freeGdiHandles, before.freeGdiHandles);
    EXPECT_EQ(after.freeUserHandles, before.freeUserHandles);
    EXPECT_EQ(after.threads, before.threads);
    EXPECT_LT(after.memoryMiB - before.memoryMiB, longRun ? 1.0 : 2.0);
    std::printf("renders %d, downloads %d: free GDI %d -> %d, threads %d -> %d, memory %.1f -> %.1f MiB\n", renders,
                served, before.freeGdiHandles, after.freeGdiHandles, before.threads, after.threads, before.memoryMiB,
                after.memoryMiB);
    board.DestroyWindow();
}
