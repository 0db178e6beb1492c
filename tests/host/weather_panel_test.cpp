// The clock and weather panel's plan: rows of the worked example, the
// blinking colon, and which record field lands in which cell.
#include <gtest/gtest.h>

#include "board/ClockWeatherPlan.h"

using clockweather::Item;
using clockweather::Path;

namespace {

clockweather::Inputs Example(const CString& record, int tick = 1) {
    clockweather::Inputs in;
    in.margin = 54;
    in.xLeft = 729;
    in.xRight = 1343;
    in.yPanelRule = 669;
    in.tick = tick;
    in.sizeLarge = 70;
    in.sizeSmall = 42;
    in.date = "2026-07-08";
    in.time = "09:05";
    in.weekday = "星期三";
    in.record = record;
    return in;
}

const char kSameDay[] = "上海 07:30 发布,多云,31,3-4级/东南风,05:01,阴,26,<3级/无持续风向,19:01";
const char kNextDay[] = "上海 18:00 发布,雷阵雨,33,4-5级/南风,05:02,阴,26,<3级/无持续风向,19:01,nextday,8日夜间,9日白天";

::testing::AssertionResult Cell(const Item& item, Path path, const char* text, int x, int width, int y, int em) {
    if (item.digitText || item.path != path || item.text != text || item.x != x || item.width != width ||
        item.y != y || item.emSize != em) {
        return ::testing::AssertionFailure()
               << "got " << (item.digitText ? "digit" : item.path == Path::Digit ? "label/digit" : "label/text")
               << " '" << item.text.str() << "' x " << item.x << " w " << item.width << " y " << item.y << " em "
               << item.emSize;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(ClockWeatherRows, WorkedExample) {
    const auto r = clockweather::ComputeRows(54, 669);
    EXPECT_EQ(r.date, 135);
    EXPECT_EQ(r.weekday, 243);
    EXPECT_EQ(r.time, 405);
    EXPECT_EQ(r.heading, 615);
    EXPECT_EQ(r.labels, 696);
    EXPECT_EQ(r.weather, 750);
    EXPECT_EQ(r.temperature, 814);
    EXPECT_EQ(r.wind, 878);
    EXPECT_EQ(r.sun, 942);
    EXPECT_EQ(clockweather::HalfWidth(1343 - 729), 307);
    EXPECT_EQ(clockweather::LabelSize(42), 33);
}

TEST(ClockWeatherRows, SinglePrecisionFactorsTruncate) {
    // 1.2f is a little above 1.2: U 45 gives 54.0000021 per step, so r3 is
    // r2 + 54, not 53; 0.8f x 40 = 32.0000005 -> 32, and 0.8f x 5 -> 4.
    const auto r = clockweather::ComputeRows(45, 558);
    EXPECT_EQ(r.labels, 580);  // 22.5 + 558
    EXPECT_EQ(r.weather, 625);
    EXPECT_EQ(r.temperature, 679);
    EXPECT_EQ(r.sun, 787);
    EXPECT_EQ(clockweather::LabelSize(40), 32);
    EXPECT_EQ(clockweather::LabelSize(5), 4);
    EXPECT_EQ(clockweather::HalfWidth(615), 307);
    const auto odd = clockweather::ComputeRows(21, 267);
    EXPECT_EQ(odd.date, 52);     // 52.5
    EXPECT_EQ(odd.time, 157);    // 157.5
    EXPECT_EQ(odd.labels, 277);  // 277.5
}

TEST(ClockWeatherPanel, ColonHiddenOnEvenTicksFromPlacement) {
    for (int tick : {0, 1, 2, 3, 3600}) {
        const auto items = clockweather::PlanPanel(Example("Loading", tick));
        ASSERT_GE(items.size(), 3u);
        const Item& time = items[2];
        EXPECT_TRUE(time.digitText);
        EXPECT_EQ(time.y, 405);
        EXPECT_EQ(time.text, tick % 2 == 0 ? "09 05*" : "09:05*") << "tick " << tick;
    }
}

TEST(ClockWeatherPanel, LoadingDrawsTheClockAndTheHeadingOnly) {
    const auto items = clockweather::PlanPanel(Example("Loading"));
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(items[0].digitText);
    EXPECT_EQ(items[0].text, "2026-07-08");
    EXPECT_EQ(items[0].x, 729);
    EXPECT_EQ(items[0].width, 614);
    EXPECT_EQ(items[0].y, 135);
    EXPECT_TRUE(Cell(items[1], Path::Text, "星期三", 729, 614, 243, 70));
    EXPECT_TRUE(Cell(items[3], Path::Text, "天气/Loading", 729, 614, 615, 42));
    // Before the first download the record is empty: "天气/" alone.
    const auto empty = clockweather::PlanPanel(Example(""));
    ASSERT_EQ(empty.size(), 4u);
    EXPECT_EQ(empty[3].text, "天气/");
}

TEST(ClockWeatherPanel, SameDayRecordFillsDaytimeLeftAndNightRight) {
    const auto items = clockweather::PlanPanel(Example(kSameDay));
    ASSERT_EQ(items.size(), 14u);
    EXPECT_TRUE(Cell(items[3], Path::Text, "天气/上海 07:30 发布", 729, 614, 615, 42));
    EXPECT_TRUE(Cell(items[4], Path::Text, "白天", 729, 307, 696, 33));
    EXPECT_TRUE(Cell(items[5], Path::Text, "夜间", 1036, 307, 696, 33));
    EXPECT_TRUE(Cell(items[6], Path::Digit, "多云", 729, 307, 750, 42));
    EXPECT_TRUE(Cell(items[7], Path::Digit, "阴", 1036, 307, 750, 42));
    EXPECT_TRUE(Cell(items[8], Path::Digit, "31^℃", 729, 307, 814, 42));
    EXPECT_TRUE(Cell(items[9], Path::Digit, "26^℃", 1036, 307, 814, 42));
    EXPECT_TRUE(Cell(items[10], Path::Digit, "3-4级/东南风", 729, 307, 878, 42));
    EXPECT_TRUE(Cell(items[11], Path::Digit, "<3级/无持续风向", 1036, 307, 878, 42));
    EXPECT_TRUE(Cell(items[12], Path::Digit, "05:01^日出", 729, 307, 942, 42));
    EXPECT_TRUE(Cell(items[13], Path::Digit, "19:01^日落", 1036, 307, 942, 42));
}

TEST(ClockWeatherPanel, NextDayRecordPutsTonightLeftUnderTheRecordsLabels) {
    const auto items = clockweather::PlanPanel(Example(kNextDay));
    ASSERT_EQ(items.size(), 14u);
    EXPECT_TRUE(Cell(items[4], Path::Text, "8日夜间", 729, 307, 696, 33));
    EXPECT_TRUE(Cell(items[5], Path::Text, "9日白天", 1036, 307, 696, 33));
    EXPECT_TRUE(Cell(items[6], Path::Digit, "阴", 729, 307, 750, 42));
    EXPECT_TRUE(Cell(items[7], Path::Digit, "雷阵雨", 1036, 307, 750, 42));
    EXPECT_TRUE(Cell(items[8], Path::Digit, "26^℃", 729, 307, 814, 42));
    EXPECT_TRUE(Cell(items[9], Path::Digit, "33^℃", 1036, 307, 814, 42));
    EXPECT_TRUE(Cell(items[10], Path::Digit, "<3级/无持续风向", 729, 307, 878, 42));
    EXPECT_TRUE(Cell(items[11], Path::Digit, "4-5级/南风", 1036, 307, 878, 42));
    EXPECT_TRUE(Cell(items[12], Path::Digit, "19:01^日落", 729, 307, 942, 42));
    EXPECT_TRUE(Cell(items[13], Path::Digit, "05:02^日出", 1036, 307, 942, 42));
}

TEST(ClockWeatherPanel, OnlyTheExactNextDayMarkSwapsTheColumns) {
    for (const char* mark : {"nextday ", "NextDay", "nextda", ""}) {
        CString record = CString("p,d,1,f/x,06:00,n,2,g/y,18:00,") + mark + ",L,R";
        const auto items = clockweather::PlanPanel(Example(record));
        ASSERT_EQ(items.size(), 14u);
        EXPECT_EQ(items[4].text, "白天") << "mark '" << mark << "'";
        EXPECT_EQ(items[6].text, "d");
        EXPECT_EQ(items[12].text, "06:00^日出");
    }
}

TEST(ClockWeatherPanel, ShortRecordsDrawTheFixedPartsOnly) {
    const auto items = clockweather::PlanPanel(Example("上海 07:30 发布,多云"));
    ASSERT_EQ(items.size(), 14u);
    EXPECT_EQ(items[6].text, "多云");
    EXPECT_EQ(items[7].text, "");
    EXPECT_EQ(items[8].text, "^℃") << "empty temperature: the degree sign alone";
    EXPECT_EQ(items[11].text, "");
    EXPECT_EQ(items[13].text, "^日落");
}
