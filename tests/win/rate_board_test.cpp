// The rate tables in a composed board picture under Wine: with 3 room rows
// and 5 exchange rows, ink appears in exactly those row bands of each side
// panel, in the digit colour, and the titles and headings in the text colour.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BoardTestSupport.h"
#include "board/FrameBuffer.h"
#include "board/RateLayout.h"
#include "data/RateParser.h"

using boardtest::SharedSettings;

namespace {

constexpr std::uint32_t kBg = 0xFF204080;  // SharedSettings' background

// The real board with its real painters; only the font loading is opened up.
class RateBoard : public BoardWindow {
public:
    void LoadFamilies() { OnInitDialog(); }
};

// Ink in one row of pixels between two columns: none, or which colour leads.
// Over the blue background, white text raises the blue channel above the
// background's and gold digits lower it.
struct RowInk {
    bool any = false;
    bool text = false;   // some pixel bluer than the background: the text colour
    bool digit = false;  // some pixel less blue: the digit colour
};

RowInk InkIn(const FrameBuffer& f, int y, int x0, int x1) {
    RowInk ink;
    for (int x = x0; x <= x1; ++x) {
        const std::uint32_t p = f.Pixel(x, y);
        if (p == kBg) continue;
        ink.any = true;
        const int blue = static_cast<int>(p & 0xFF);
        if (blue > 0x80 + 8) ink.text = true;
        if (blue < 0x80 - 8) ink.digit = true;
    }
    return ink;
}

class RateBoardTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_roomRates = rooms.data();
        g_exchangeRates = exchange.data();
        const std::string roomText = "标准间|388|268\r\n豪华双床房|588|*398\r\n家庭房/含早|688|528\r\n";
        const std::string fxText =
            "美元|100|718.25\r\n欧元|100|781.50\r\n日元|100|4.62\r\n港币|100|92.31\r\n英镑|100|912.40\r\n";
        g_roomRateCount = rates::ParseRateText(roomText.data(), roomText.size(), rooms.data());
        g_exchangeRateCount = rates::ParseRateText(fxText.data(), fxText.size(), exchange.data());
        board.LoadFamilies();
    }
    void TearDown() override {
        g_roomRates = g_exchangeRates = nullptr;
        g_roomRateCount = g_exchangeRateCount = 0;
    }

    SharedSettings settings{1600, 900};
    std::vector<char> rooms = std::vector<char>(RATE_BUFFER_SIZE);
    std::vector<char> exchange = std::vector<char>(RATE_BUFFER_SIZE);
    RateBoard board;
};

}  // namespace

TEST_F(RateBoardTest, ThreeRoomRowsAndFiveExchangeRowsInTheirBands) {
    ASSERT_EQ(g_roomRateCount, 3);
    ASSERT_EQ(g_exchangeRateCount, 5);
    for (int size : {0, 1}) {
        const int width = size ? 1920 : 1600, height = size ? 1080 : 900;
        SCOPED_TRACE(width);
        SharedSettings::Resize(width, height);
        board.LayOut();
        FrameBuffer frame(nullptr, width, height);
        ASSERT_TRUE(frame.valid());
        board.ComposeFrame(frame.dc());

        const layout::BoardLayout l = board.Layout();
        const int textHeight = g_core->getTextBounds(g_fontName, g_textSizeSmall, "你好").Height;
        const layout::RateTableLayout t = layout::ComputeRateTableLayout(l, width, textHeight);
        ASSERT_GT(t.pitch, 0);
        // A row's strings start at most 0.15 margin above its top (digits
        // are nudged up) and end well within its pitch.
        const int above = l.margin / 5;
        const int below = t.pitch * 3 / 4;
        struct Panel {
            const char* name;
            int x0, x1, rows;
        };
        const Panel panels[2] = {{"rooms", 0, l.xLeftDivider - 4, 3}, {"exchange", l.xRightDivider + 4, width - 1, 5}};
        for (const Panel& p : panels) {
            SCOPED_TRACE(p.name);
            std::vector<int> inkPerRow(static_cast<size_t>(p.rows), 0);
            for (int y = l.yHeaderRule + 3; y < height; ++y) {
                const RowInk ink = InkIn(frame, y, p.x0, p.x1);
                if (!ink.any) continue;
                EXPECT_FALSE(ink.text) << "text colour below the headings at y " << y;
                int row = -1;
                for (int k = 0; k < p.rows; ++k) {
                    if (y >= t.RowY(k) - above && y < t.RowY(k) + below) row = k;
                }
                ASSERT_GE(row, 0) << "ink outside every row band at y " << y;
                ++inkPerRow[static_cast<size_t>(row)];
            }
            for (int k = 0; k < p.rows; ++k) {
                // Each row has a line of text: ink in at least a third of the text height.
                EXPECT_GT(inkPerRow[static_cast<size_t>(k)], textHeight / 3) << "row " << k;
            }
            // Titles and headings: text colour above the header rule.
            bool titleInk = false, headingInk = false;
            for (int y = l.margin; y < t.headingY; ++y) titleInk = titleInk || InkIn(frame, y, p.x0, p.x1).text;
            for (int y = t.headingY; y < l.yHeaderRule - 2; ++y) {
                const RowInk ink = InkIn(frame, y, p.x0, p.x1);
                headingInk = headingInk || ink.text;
                EXPECT_FALSE(ink.digit) << "digit colour in the headings at y " << y;
            }
            EXPECT_TRUE(titleInk);
            EXPECT_TRUE(headingInk);
        }
    }
}

TEST_F(RateBoardTest, EmptyTablesLeaveThePanelsBelowTheHeadingsBlank) {
    g_roomRateCount = 0;
    g_exchangeRateCount = 0;
    board.LayOut();
    FrameBuffer frame(nullptr, 1600, 900);
    ASSERT_TRUE(frame.valid());
    board.ComposeFrame(frame.dc());
    const layout::BoardLayout l = board.Layout();
    for (int y = l.yHeaderRule + 3; y < 900; ++y) {
        ASSERT_FALSE(InkIn(frame, y, 0, l.xLeftDivider - 4).any) << y;
        ASSERT_FALSE(InkIn(frame, y, l.xRightDivider + 4, 1599).any) << y;
    }
    bool headings = false;
    for (int y = l.margin; y < l.yHeaderRule - 2; ++y) headings = headings || InkIn(frame, y, 0, l.xLeftDivider - 4).text;
    EXPECT_TRUE(headings);
}
