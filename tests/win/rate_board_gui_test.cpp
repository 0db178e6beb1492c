// The real program with its rate files: the board on the screen shows ink in
// exactly as many row bands of each table as the files have rows, and a
// Refresh after editing or deleting a file shows the new tables.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "board/RateLayout.h"
#include "core/Core.h"
#include "TestSupport.h"
#include "support/ProgramDriver.h"

using testsupport::Pixels;
using testsupport::ProgramDriver;

namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 900;

// Rows of one panel that hold ink, by row band; -1 counts ink outside every band.
struct Bands {
    std::vector<int> rows;  // pixel rows with ink, per band
    int outside = 0;        // pixel rows with ink below the headings but in no band
    int textInk = 0;        // pixel rows below the headings with text-colour ink
};

class RateBoardProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Blue background, white text, gold digits: the two inks differ in blue.
        program.PutFile(L"config.ini",
                        "[board]\r\non=1\r\nwidth=1600\r\nheight=900\r\nclrfont=FFFFFFFF\r\nclrbg=FF204080\r\n"
                        "clrdigi=FFFFD700\r\ncityid=101010100\r\n");
        CCore core;
        const int small = layout::ComputeTextSizes(kWidth).small;
        table = layout::ComputeRateTableLayout(layout::ComputeBoardLayout(kWidth, kHeight), kWidth,
                                               core.getTextBounds("黑体", small, "你好").Height);
        board = layout::ComputeBoardLayout(kWidth, kHeight);
    }

    // Moves the board to the screen's corner (the default place runs off a
    // 1920-pixel screen) and the dialog below it, where it cannot cover the
    // board on a display without a window manager, and waits for the next
    // one-second render there.
    Pixels Shot() {
        HWND hwnd = program.Board();
        EXPECT_TRUE(hwnd);
        if (!hwnd) return Pixels();
        ::SetWindowPos(program.Dialog(), nullptr, 0, kHeight + 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::Sleep(2500);
        RECT rc{};
        ::GetWindowRect(hwnd, &rc);
        EXPECT_EQ(rc.left, 0);
        EXPECT_EQ(rc.right - rc.left, kWidth);
        EXPECT_EQ(rc.bottom - rc.top, kHeight);
        return testsupport::CaptureScreen(RECT{0, 0, kWidth, kHeight});
    }

    Bands Scan(const Pixels& shot, int x0, int x1, int rows) const {
        // The background as shown (blended over black at 253/255): a pixel
        // of the left panel's bottom corner, where no table reaches.
        const unsigned bg = shot.At(8, kHeight - 8);
        const int bgBlue = static_cast<int>(bg & 0xFF);
        Bands b;
        b.rows.assign(static_cast<size_t>(rows), 0);
        const int above = board.margin / 5, below = table.pitch * 3 / 4;
        for (int y = board.yHeaderRule + 3; y < kHeight; ++y) {
            bool ink = false, text = false;
            for (int x = x0; x <= x1; ++x) {
                const unsigned p = shot.At(x, y);
                const int blue = static_cast<int>(p & 0xFF);
                const int green = static_cast<int>((p >> 8) & 0xFF);
                if (std::abs(blue - bgBlue) > 6 || std::abs(green - static_cast<int>((bg >> 8) & 0xFF)) > 6) ink = true;
                if (blue > bgBlue + 24) text = true;
            }
            if (!ink) continue;
            if (text) ++b.textInk;
            int band = -1;
            for (int k = 0; k < rows; ++k) {
                if (y >= table.RowY(k) - above && y < table.RowY(k) + below) band = k;
            }
            if (band < 0) {
                ++b.outside;
            } else {
                ++b.rows[static_cast<size_t>(band)];
            }
        }
        return b;
    }

    // Both tables show ink in exactly `rooms` and `currencies` row bands.
    void ExpectRows(const Pixels& shot, int rooms, int currencies) {
        ASSERT_EQ(shot.width, kWidth);
        const struct {
            const char* name;
            int x0, x1, rows;
        } panels[2] = {{"rooms", 0, board.xLeftDivider - 4, rooms},
                       {"exchange", board.xRightDivider + 4, kWidth - 1, currencies}};
        for (const auto& p : panels) {
            SCOPED_TRACE(p.name);
            // Scan more bands than expected: the extra ones must stay blank.
            const Bands b = Scan(shot, p.x0, p.x1, p.rows + 2);
            EXPECT_EQ(b.outside, 0);
            EXPECT_EQ(b.textInk, 0) << "names and prices are in the digit colour";
            for (int k = 0; k < p.rows + 2; ++k) {
                if (k < p.rows) {
                    EXPECT_GT(b.rows[static_cast<size_t>(k)], table.pitch / 8) << "row " << k;
                } else {
                    EXPECT_EQ(b.rows[static_cast<size_t>(k)], 0) << "row " << k;
                }
            }
        }
    }

    ProgramDriver program;
    layout::RateTableLayout table;
    layout::BoardLayout board;
};

const char kRooms[] =
    "; 类别|标准价|今日价\r\n标准间|388|268\r\n\r\n豪华双床房|588|*398\r\n家庭房/含早|688|528\r\n";
const char kExchange[] =
    "; 币种|外币|人民币\r\n美元|100|718.25\r\n欧元|100|781.50\r\n日元|100|4.62\r\n港币|100|92.31\r\n"
    "英镑|100|912.40\r\n";

}  // namespace

TEST_F(RateBoardProgramTest, ShowsTheRowsOfBothFilesAndReloadsOnRefresh) {
    ASSERT_GT(table.pitch, 40);
    program.PutFile(L"_房价.txt", kRooms);  // the name as the program's folder holds it
    program.PutFile(L"_外币兑换.txt", kExchange);
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.Dialog());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return program.Board() && ::IsWindowVisible(program.Board()); }, 20000))
        << "the board did not appear";
    {
        SCOPED_TRACE("3 room rows, 5 exchange rows");
        ExpectRows(Shot(), 3, 5);
    }

    // One room row removed, the exchange file deleted, then Refresh.
    program.PutFile(L"_房价.txt", "; 类别|标准价|今日价\r\n标准间|388|268\r\n豪华双床房|588|*398\r\n");
    program.RemoveFile(L"_外币兑换.txt");
    program.Click(1002);
    ::Sleep(500);
    {
        SCOPED_TRACE("after Refresh: 2 room rows, no exchange rows");
        ExpectRows(Shot(), 2, 0);
    }
}
