// The real RateBoard.exe in a folder of its own, as the front desk meets it:
// the first start, the weather arriving from the loopback server, and a
// close while a download hangs, which must not wait for it.
#include <gtest/gtest.h>

#include <atomic>

#include "res/resource.h"
#include "support/LoopbackHttpServer.h"
#include "support/ProgramDriver.h"
#include "support/Support.h"

using namespace testsupport;

TEST(Program, FirstStartWeatherAndAQuickClose) {
    std::atomic<bool> hang{false};
    const std::string page = SourceFile("tests/data/weather/sameday.html");
    LoopbackHttpServer server([&](const std::string&) {
        HttpReply reply;
        if (hang) reply.kind = HttpReply::Kind::Hang;
        reply.pieces = {page};
        return reply;
    });
    ProgramDriver program;
    ASSERT_TRUE(program.Start(server.ProxyUrl()));
    const HWND board = program.ShownBoard();
    ASSERT_TRUE(board) << "no board appeared";
    RECT rc{};
    ::GetWindowRect(board, &rc);
    EXPECT_EQ((std::vector<LONG>{rc.left, rc.top, rc.right, rc.bottom}), (std::vector<LONG>{1152, 32, 1920, 464}))
        << "the default size, 60 % across and 3 % down the screen";
    EXPECT_NE(ReadFileBytes(program.Folder() + L"config.ini").find("width=768"), std::string::npos);

    // The record fills the weather table under the middle panel's rule in
    // the digit colour (gold by default) at the next tick.
    auto weatherInk = [&] {
        const Pixels shot = CaptureScreen(RECT{rc.left + 291, rc.top + 275, rc.left + 537, rc.bottom});
        int gold = 0;
        for (std::uint32_t c : shot.rgb) gold += (c & 0xFFFFFF) == Blended(0xFFD700);
        return gold;
    };
    const DWORD wait = ::GetTickCount();
    while (weatherInk() < 200 && ::GetTickCount() - wait < 5000) ::Sleep(100);
    EXPECT_GE(weatherInk(), 200) << "no weather on the board";

    // Refresh starts a download that hangs; Esc must end the program at once.
    hang = true;
    ::PostMessageW(::GetDlgItem(program.Dialog(), IDC_REFRESH), BM_CLICK, 0, 0);
    const int requests = server.RequestCount();
    for (int i = 0; i < 50 && server.RequestCount() == requests; ++i) ::Sleep(50);
    ASSERT_GT(server.RequestCount(), requests);
    const DWORD start = ::GetTickCount();
    program.Key(VK_ESCAPE);
    ASSERT_TRUE(program.WaitExit(5000));
    EXPECT_LT(::GetTickCount() - start, 1000u) << "the close waited for the download";
}
