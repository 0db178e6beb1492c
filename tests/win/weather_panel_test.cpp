// The clock and weather panel as the board draws it: every string handed to
// the text-path operations, with its column, top edge, size and path.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "app/Globals.h"
#include "board/BoardWindow.h"
#include "core/Core.h"

namespace {

struct Call {
    bool digit;      // AddDigitText
    bool digitPath;  // the path the text went into
    CString text;
    int x, width, y, size;  // size: em size of a label, 1 for a large digit text
};

class RecordingBoard : public BoardWindow {
public:
    RecordingBoard(int margin, int x0, int x1, int y1, int tick) {
        m_margin = margin;
        m_xLeftDivider = x0;
        m_xRightDivider = x1;
        m_yPanelRule = y1;
        m_tickCount = tick;
    }
    std::vector<Call> Draw() {
        calls.clear();
        DrawClockWeather();
        return calls;
    }
    std::vector<Call> calls;

protected:
    void AddDigitText(const CString& text, int x, int width, int y, BOOL large) override {
        calls.push_back(Call{true, true, text, x, width, y, large ? 1 : 0});
    }
    void AddLabelText(Gdiplus::GraphicsPath& path, const CString& text, int x, int width, int y, int emSize) override {
        calls.push_back(Call{false, &path == &m_digitPath, text, x, width, y, emSize});
    }
};

class WeatherPanel : public ::testing::Test {
protected:
    void SetUp() override {
        m_core = std::make_unique<CCore>();
        g_core = m_core.get();
        g_textSizeLarge = 70;
        g_textSizeSmall = 42;
    }
    void TearDown() override {
        g_weatherRecord.Set("");
        g_core = nullptr;
    }
    std::unique_ptr<CCore> m_core;
};

::testing::AssertionResult Label(const Call& c, bool digitPath, const char* text, int x, int width, int y, int size) {
    if (c.digit || c.digitPath != digitPath || c.text != text || c.x != x || c.width != width || c.y != y ||
        c.size != size) {
        return ::testing::AssertionFailure() << (c.digit ? "digit " : "label ") << (c.digitPath ? "[digit path] " : "")
                                             << "'" << c.text.str() << "' " << c.x << "+" << c.width << " y " << c.y
                                             << " em " << c.size;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(WeatherPanel, ClockRowsFromOneReading) {
    g_weatherRecord.Set("Loading");
    RecordingBoard board(54, 729, 1343, 669, 1);
    const auto calls = board.Draw();
    ASSERT_EQ(calls.size(), 4u) << "Loading: the clock and the heading only";

    const Call& date = calls[0];
    EXPECT_TRUE(date.digit && date.size == 1);
    EXPECT_EQ(date.x, 729);
    EXPECT_EQ(date.width, 614);
    EXPECT_EQ(date.y, 135);
    int year = 0, month = 0, day = 0;
    ASSERT_EQ(std::sscanf(date.text, "%4d-%2d-%2d", &year, &month, &day), 3) << date.text.str();
    EXPECT_EQ(date.text.GetLength(), 10);
    // The weekday is that of the date shown, not of a second reading.
    EXPECT_TRUE(Label(calls[1], false, g_core->getWeekStr(CTime(year, month, day, 12, 0, 0)), 729, 614, 243, 70));

    const Call& time = calls[2];
    EXPECT_TRUE(time.digit && time.size == 1);
    EXPECT_EQ(time.y, 405);
    ASSERT_EQ(time.text.GetLength(), 6) << time.text.str();
    EXPECT_EQ(time.text[2], ':') << "odd tick: colon shown";
    EXPECT_EQ(time.text[5], '*') << "the clock is drawn half as large again";

    EXPECT_TRUE(Label(calls[3], false, "天气/Loading", 729, 614, 615, 42));
}

TEST_F(WeatherPanel, ColonHiddenOnEvenTicks) {
    for (int tick : {0, 2, 1, 7}) {
        RecordingBoard board(54, 729, 1343, 669, tick);
        const auto calls = board.Draw();
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(calls[2].text[2], tick % 2 ? ':' : ' ') << "tick " << tick;
        EXPECT_EQ(calls[2].text.Find(':'), tick % 2 ? 2 : -1);
    }
}

TEST_F(WeatherPanel, SameDayRecordInTheWorkedExampleCells) {
    g_weatherRecord.Set("上海 07:30 发布,多云,31,3-4级/东南风,05:01,阴,26,<3级/无持续风向,19:01");
    RecordingBoard board(54, 729, 1343, 669, 0);
    const auto calls = board.Draw();
    ASSERT_EQ(calls.size(), 14u);
    EXPECT_TRUE(Label(calls[3], false, "天气/上海 07:30 发布", 729, 614, 615, 42));
    EXPECT_TRUE(Label(calls[4], false, "白天", 729, 307, 696, 33));
    EXPECT_TRUE(Label(calls[5], false, "夜间", 1036, 307, 696, 33));
    EXPECT_TRUE(Label(calls[6], true, "多云", 729, 307, 750, 42));
    EXPECT_TRUE(Label(calls[7], true, "阴", 1036, 307, 750, 42));
    EXPECT_TRUE(Label(calls[8], true, "31^℃", 729, 307, 814, 42));
    EXPECT_TRUE(Label(calls[9], true, "26^℃", 1036, 307, 814, 42));
    EXPECT_TRUE(Label(calls[10], true, "3-4级/东南风", 729, 307, 878, 42));
    EXPECT_TRUE(Label(calls[11], true, "<3级/无持续风向", 1036, 307, 878, 42));
    EXPECT_TRUE(Label(calls[12], true, "05:01^日出", 729, 307, 942, 42));
    EXPECT_TRUE(Label(calls[13], true, "19:01^日落", 1036, 307, 942, 42));
}

TEST_F(WeatherPanel, NextDayRecordSwapsTheColumns) {
    g_weatherRecord.Set("上海 18:00 发布,雷阵雨,33,4-5级/南风,05:02,阴,26,<3级/无持续风向,19:01,nextday,8日夜间,9日白天");
    RecordingBoard board(54, 729, 1343, 669, 3);
    const auto calls = board.Draw();
    ASSERT_EQ(calls.size(), 14u);
    EXPECT_TRUE(Label(calls[4], false, "8日夜间", 729, 307, 696, 33));
    EXPECT_TRUE(Label(calls[5], false, "9日白天", 1036, 307, 696, 33));
    EXPECT_TRUE(Label(calls[6], true, "阴", 729, 307, 750, 42));
    EXPECT_TRUE(Label(calls[7], true, "雷阵雨", 1036, 307, 750, 42));
    EXPECT_TRUE(Label(calls[9], true, "33^℃", 1036, 307, 814, 42));
    EXPECT_TRUE(Label(calls[12], true, "19:01^日落", 729, 307, 942, 42));
    EXPECT_TRUE(Label(calls[13], true, "05:02^日出", 1036, 307, 942, 42));
}

TEST_F(WeatherPanel, ABoardOfAnotherSizeMovesEveryRow) {
    // A 1600 x 900 board: U 45, dividers 607 and 1120, rule 558, small 36.
    g_textSizeSmall = 36;
    g_weatherRecord.Set("p,d,1,f/x,06:00,n,2,g/y,18:00");
    RecordingBoard board(45, 607, 1120, 558, 1);
    const auto calls = board.Draw();
    ASSERT_EQ(calls.size(), 14u);
    EXPECT_EQ(calls[0].y, 112);
    EXPECT_EQ(calls[1].y, 202);
    EXPECT_EQ(calls[2].y, 337);
    EXPECT_TRUE(Label(calls[3], false, "天气/p", 607, 513, 513, 36));
    EXPECT_TRUE(Label(calls[4], false, "白天", 607, 256, 580, 28));
    EXPECT_TRUE(Label(calls[7], true, "n", 863, 256, 625, 36));
    EXPECT_EQ(calls[8].y, 679);
    EXPECT_EQ(calls[10].y, 733);
    EXPECT_EQ(calls[13].y, 787);
}
