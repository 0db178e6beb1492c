// The rate table painter: every string it hands to the text-path drawing,
// with its column, top edge, size and ink, on boards of 1600 x 900 and
// 1920 x 1080.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/Globals.h"
#include "board/BoardWindow.h"
#include "core/Core.h"
#include "data/RateParser.h"

namespace {

enum class Ink { Text, Digit };
enum class Via { Label, Digits };

struct Call {
    Via via;
    Ink ink;
    std::string text;
    int x, width, y;
    int size;  // em size of a label; for digits, 1 when large
};

// A board that records where the painter puts each string instead of
// drawing it.
class RecordingBoard : public BoardWindow {
public:
    void LayOut(int width, int height) {
        g_width = width;
        g_height = height;
        const layout::BoardLayout l = layout::ComputeBoardLayout(width, height);
        m_margin = l.margin;
        m_xLeftDivider = l.xLeftDivider;
        m_xRightDivider = l.xRightDivider;
        m_yHeaderRule = l.yHeaderRule;
        m_yPanelRule = l.yPanelRule;
        const layout::TextSizes sizes = layout::ComputeTextSizes(width);
        g_textSizeLarge = sizes.large;
        g_textSizeSmall = sizes.small;
        g_textSizeMedium = sizes.medium;
    }
    std::vector<Call> Paint() {
        calls.clear();
        DrawRateTables();
        return calls;
    }

protected:
    void AddDigitText(const CString& text, int x, int width, int y, BOOL large) override {
        calls.push_back(Call{Via::Digits, Ink::Digit, text.str(), x, width, y, large ? 1 : 0});
    }
    void AddLabelText(Gdiplus::GraphicsPath& path, const CString& text, int x, int width, int y,
                      int emSize) override {
        EXPECT_TRUE(&path == &m_textPath || &path == &m_digitPath);
        calls.push_back(Call{Via::Label, &path == &m_textPath ? Ink::Text : Ink::Digit, text.str(), x, width, y, emSize});
    }

private:
    std::vector<Call> calls;
};

class RatePanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        core = std::make_unique<CCore>();
        g_core = core.get();
        g_fontName = "黑体";
        g_roomRates = rooms.data();
        g_exchangeRates = exchange.data();
        Load(rooms, "; 类别|标准价|今日价\n标准间|388|*268\n家庭房/含早|688|\n总统套房|3888|2888\n", &g_roomRateCount);
        Load(exchange, "美元|100|718.25\n欧元|100|781.50\n日元|100|4.62\n港币|100|92.31\n英镑|100|912.40\n",
             &g_exchangeRateCount);
        ASSERT_EQ(g_roomRateCount, 3);
        ASSERT_EQ(g_exchangeRateCount, 5);
    }
    void TearDown() override {
        g_roomRates = g_exchangeRates = nullptr;
        g_roomRateCount = g_exchangeRateCount = 0;
        g_core = nullptr;
    }
    static void Load(std::vector<char>& table, const std::string& text, int* count) {
        *count = rates::ParseRateText(text.data(), text.size(), table.data());
    }
    int SmallTextHeight() { return core->getTextBounds("黑体", g_textSizeSmall, "你好").Height; }

    std::unique_ptr<CCore> core;
    std::vector<char> rooms = std::vector<char>(RATE_BUFFER_SIZE);
    std::vector<char> exchange = std::vector<char>(RATE_BUFFER_SIZE);
    RecordingBoard board;
};

void ExpectCall(const Call& c, Via via, Ink ink, const std::string& text, int left, int right, int y, int size) {
    SCOPED_TRACE(text);
    EXPECT_EQ(c.via, via);
    EXPECT_EQ(c.ink, ink);
    EXPECT_EQ(c.text, text);
    EXPECT_EQ(c.x, left);
    EXPECT_EQ(c.x + c.width, right);
    EXPECT_EQ(c.y, y);
    EXPECT_EQ(c.size, size);
}

// The two titles and five headings, in the order they are drawn.
void ExpectTitlesAndHeadings(const std::vector<Call>& calls, int xL, int xR, int width, int margin, int hy,
                             int large, int small, const int room[4], const int fx[4]) {
    ASSERT_GE(calls.size(), 7u);
    ExpectCall(calls[0], Via::Label, Ink::Text, "房价表", 0, xL, margin, large);
    ExpectCall(calls[1], Via::Label, Ink::Text, "兑换", xR, width, margin, large);
    ExpectCall(calls[2], Via::Label, Ink::Text, "类别", room[0], room[1], hy, small);
    ExpectCall(calls[3], Via::Label, Ink::Text, "标准价/元", room[1], room[2], hy, small);
    ExpectCall(calls[4], Via::Label, Ink::Text, "今日价/元", room[2], room[3], hy, small);
    ExpectCall(calls[5], Via::Label, Ink::Text, "外币/100", fx[0], fx[2], hy, small);
    ExpectCall(calls[6], Via::Label, Ink::Text, "人民币/元", fx[2], fx[2] + (fx[2] - fx[0]), hy, small);
}

// Row k of both tables: names as labels in the digit ink, prices as digits.
void ExpectRows(const std::vector<Call>& calls, int y0, int pitch, int small, const int room[4], const int fx[4]) {
    ASSERT_EQ(calls.size(), 7u + 3 * 3 + 5 * 3);
    const Call* c = &calls[7];
    const char* roomRows[3][3] = {{"标准间", "388", "*268"}, {"家庭房/含早", "688", ""}, {"总统套房", "3888", "2888"}};
    for (int i = 0; i < 3; ++i, c += 3) {
        const int y = y0 + i * pitch;
        ExpectCall(c[0], Via::Label, Ink::Digit, roomRows[i][0], room[0], room[1], y, small);
        ExpectCall(c[1], Via::Digits, Ink::Digit, roomRows[i][1], room[1], room[2], y, 0);
        ExpectCall(c[2], Via::Digits, Ink::Digit, roomRows[i][2], room[2], room[3], y, 0);
    }
    const char* fxRows[5][3] = {{"美元", "100", "718.25"}, {"欧元", "100", "781.50"}, {"日元", "100", "4.62"},
                                {"港币", "100", "92.31"}, {"英镑", "100", "912.40"}};
    for (int j = 0; j < 5; ++j, c += 3) {
        const int y = y0 + j * pitch;
        ExpectCall(c[0], Via::Label, Ink::Digit, fxRows[j][0], fx[0], fx[1], y, small);
        ExpectCall(c[1], Via::Digits, Ink::Digit, fxRows[j][1], fx[1], fx[2], y, 0);
        ExpectCall(c[2], Via::Digits, Ink::Digit, fxRows[j][2], fx[2], fx[3], y, 0);
    }
}

}  // namespace

TEST_F(RatePanelTest, Board1600x900) {
    board.LayOut(1600, 900);
    const int h = SmallTextHeight();
    ASSERT_GT(h, 20);  // "你好" at 35 px, measured in the real font
    const int pitch = 2 * h;
    const int y0 = static_cast<int>(pitch * static_cast<double>(1.2f) + 147);
    const int room[4] = {0, 200, 400, 607};
    const int fx[4] = {1119, 1253, 1359, 1600};
    const std::vector<Call> calls = board.Paint();
    ExpectTitlesAndHeadings(calls, 607, 1119, 1600, 45, 147, 59, 35, room, fx);
    ExpectRows(calls, y0, pitch, 35, room, fx);
}

TEST_F(RatePanelTest, Board1920x1080) {
    board.LayOut(1920, 1080);
    const int pitch = 2 * SmallTextHeight();
    const int y0 = static_cast<int>(pitch * static_cast<double>(1.2f) + 177);
    const int room[4] = {0, 240, 481, 729};
    const int fx[4] = {1343, 1504, 1631, 1920};
    const std::vector<Call> calls = board.Paint();
    ExpectTitlesAndHeadings(calls, 729, 1343, 1920, 54, 177, 71, 42, room, fx);
    ExpectRows(calls, y0, pitch, 42, room, fx);
}

TEST_F(RatePanelTest, EmptyTablesShowTitlesAndHeadingsOnly) {
    board.LayOut(1600, 900);
    g_roomRateCount = 0;
    g_exchangeRateCount = 0;
    std::vector<Call> calls = board.Paint();
    ASSERT_EQ(calls.size(), 7u);
    for (const Call& c : calls) EXPECT_EQ(c.ink, Ink::Text) << c.text;
    // No buffers at all (before the settings dialog has made them): the same.
    g_roomRates = g_exchangeRates = nullptr;
    g_roomRateCount = 3;
    g_exchangeRateCount = 5;
    EXPECT_EQ(board.Paint().size(), 7u);
}

TEST_F(RatePanelTest, CountsAndSlotsAreNeverTrustedBeyondTheBuffer) {
    board.LayOut(1600, 900);
    // A count past the table and slots without terminators: 100 rows of
    // 20-byte names, never more.
    std::fill(rooms.begin(), rooms.end(), 'A');
    g_roomRateCount = 250;
    g_exchangeRateCount = -4;
    const std::vector<Call> calls = board.Paint();
    ASSERT_EQ(calls.size(), 7u + 3u * MAX_RATE_ROWS);
    EXPECT_EQ(calls[7].text, std::string(20, 'A'));
    const int pitch = 2 * SmallTextHeight();
    EXPECT_EQ(calls.back().y, static_cast<int>(pitch * static_cast<double>(1.2f) + 147) + 99 * pitch);
}
