// The weather page scraper on pages in the weather service's markup, and the
// clock and weather panel that draws its record. Pages are stored as UTF-8
// and converted to code page 936 first, as the download does.
#include <gtest/gtest.h>
#include <iconv.h>

#include <fstream>
#include <iterator>
#include <string>

#include "board/ClockWeatherPlan.h"
#include "data/RetrySchedule.h"
#include "data/WeatherScraper.h"

namespace {

CString ToCp936(const std::string& utf8) {
    iconv_t cd = iconv_open("CP936", "UTF-8");
    std::string out(utf8.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    char* dst = &out[0];
    size_t inLeft = utf8.size(), outLeft = out.size();
    EXPECT_NE(iconv(cd, &in, &inLeft, &dst, &outLeft), static_cast<size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return CString(out);
}

// A stored page with pieces of its UTF-8 markup replaced, as code page 936.
CString Page(const char* name, std::vector<std::pair<std::string, std::string>> edits = {}) {
    std::ifstream in(std::string(RB_TEST_DATA) + "/weather/" + name, std::ios::binary);
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(s.empty()) << name;
    for (const auto& [from, to] : edits) {
        const size_t at = s.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) s.replace(at, from.size(), to);
    }
    return ToCp936(s);
}

// Pages of today: no feedback link closing the forecast body.
const std::pair<std::string, std::string> kNoEndMarker{"id=\"ab_yjfk\">", "class=\"fb\">"};

const char kSameDay[] = "上海 07:30 发布,多云,31,3-4级/东南风,05:01,阴,26,<3级/无持续风向,19:01";
const char kNextDay[] = "上海 18:00 发布,雷阵雨,33,4-5级/南风,05:02,阴,26,<3级/无持续风向,19:01,nextday,8日夜间,9日白天";

}  // namespace

TEST(WeatherScraper, RecordsAsAPersonReadsThem) {
    std::string many;
    for (int i = 0; i < 9999; ++i) many += u8"多";
    struct Case { const char* what; CString page; const char* record; };
    const Case cases[] = {
        {"morning page", Page("sameday.html"), kSameDay},
        {"evening page: tonight, then tomorrow's daytime", Page("nextday.html"), kNextDay},
        {"morning page without the end marker", Page("sameday.html", {kNoEndMarker}), kSameDay},
        {"evening page without the end marker, force with a bare \"<\"",
         Page("nextday.html", {kNoEndMarker, {"&lt;", "<"}}), kNextDay},
        {"a comma in a value does not move the fields",
         Page("sameday.html", {{u8"title=\"多云\"", u8"title=\"多云,有雾\""}}),
         "上海 07:30 发布,多云，有雾,31,3-4级/东南风,05:01,阴,26,<3级/无持续风向,19:01"},
        {"wind without a force element, temperature without its end",
         Page("sameday.html", {{u8"<span class=\"\" title=\"东南风\">3-4级</span>", u8"<i title=\"东南风\"></i>"},
                               {"<span>31</span><em>", "<span>31</span>"}}),
         "上海 07:30 发布,多云,,/东南风,05:01,阴,26,<3级/无持续风向,19:01"},
        // 10,000 characters keep their start, whole characters of it, in 28 bytes.
        {"values longer than the record takes",
         Page("sameday.html", {{u8"title=\"多云\"", "title=\"a" + many + "\""},
                               {"<span>31</span>", "<span>" + std::string(10000, '3') + "</span>"}}),
         "上海 07:30 发布,a多多多多多多多多多多多多…,33333333333333333333333333…,3-4级/东南风,05:01,阴,26,<3级/无持续风向,19:01"},
    };
    for (const Case& c : cases) {
        const auto record = weather::ScrapeRecord(c.page);
        ASSERT_TRUE(record) << c.what;
        EXPECT_EQ(*record, c.record) << c.what;
    }
    EXPECT_FALSE(weather::ScrapeRecord(Page("sameday.html", {{"con today", "con"}})));
    EXPECT_FALSE(weather::ScrapeRecord(CString()));
    EXPECT_EQ(weather::PageAddress(""), "http://www.weather.com.cn/weather1d/101020100.shtml");
    EXPECT_EQ(weather::PageAddress("101010100"), "http://www.weather.com.cn/weather1d/101010100.shtml");
    for (const char* id : {"", "abc", "10102010", "1010201000", "10102010x", "-10102010"}) EXPECT_FALSE(weather::IsCityCode(id)) << id;
    EXPECT_TRUE(weather::IsCityCode("101020100"));
}

TEST(WeatherScraper, MarkerCheckFollowsTheScraper) {
    auto missing = [](const CString& page) {
        std::vector<std::string> out;
        for (const weather::MarkerCheck& m : weather::CheckMarkers(page)) {
            if (!m.startFound) out.push_back(std::string("start ") + m.what.en + " in " + m.where.en);
            if (m.startFound && !m.endFound) out.push_back(std::string("end ") + m.what.en + " in " + m.where.en);
        }
        return out;
    };
    EXPECT_EQ(missing(Page("sameday.html")), std::vector<std::string>{});
    EXPECT_EQ(missing(Page("sameday.html", {kNoEndMarker})), std::vector<std::string>{"end forecast body in page"});
    EXPECT_EQ(missing(Page("sameday.html", {{u8"<em>°C</em></p>", "</p>"}})),
              (std::vector<std::string>{"end temperature block in daytime", "start temperature in daytime temperature"}));
    EXPECT_EQ(missing(Page("sameday.html", {{"con today", "con"}})), std::vector<std::string>{"start forecast body in page"});
}

TEST(ClockWeatherPanel, CellsOfTheMiddlePanel) {
    auto plan = [](const CString& record, int tick) {
        clockweather::Inputs in;
        in.margin = 54, in.xLeft = 729, in.xRight = 1343, in.yPanelRule = 669, in.tick = tick;
        in.sizeLarge = 70, in.sizeSmall = 42;
        in.date = "2026-07-08", in.time = "09:05", in.weekday = "星期三", in.record = record;
        std::vector<std::string> cells;
        for (const clockweather::Item& i : clockweather::PlanPanel(in)) {
            cells.push_back((i.digitText ? "D " : i.path == clockweather::Path::Digit ? "d " : "t ") + i.text.str() + " " +
                            std::to_string(i.x) + "+" + std::to_string(i.width) + " " + std::to_string(i.y) + " " +
                            std::to_string(i.emSize));
        }
        return cells;
    };
    using Cells = std::vector<std::string>;
    const Cells clock{"D 2026-07-08 729+614 135 0", "t 星期三 729+614 243 70", "D 09:05* 729+614 405 0"};
    EXPECT_EQ(plan("Loading", 1), (Cells{clock[0], clock[1], clock[2], "t 天气/Loading 729+614 615 42"}));
    EXPECT_EQ(plan("", 0)[2], "D 09 05* 729+614 405 0") << "the colon is hidden on even ticks";
    EXPECT_EQ(plan(kSameDay, 1),
              (Cells{clock[0], clock[1], clock[2], "t 天气/上海 07:30 发布 729+614 615 42", "t 白天 729+307 696 33",
                     "t 夜间 1036+307 696 33", "d 多云 729+307 750 42", "d 阴 1036+307 750 42", "d 31^℃ 729+307 814 42",
                     "d 26^℃ 1036+307 814 42", "d 3-4级/东南风 729+307 878 42", "d <3级/无持续风向 1036+307 878 42",
                     "d 05:01^日出 729+307 942 42", "d 19:01^日落 1036+307 942 42"}));
    // A next-day record: tonight on the left under the record's own labels.
    EXPECT_EQ(plan(kNextDay, 1),
              (Cells{clock[0], clock[1], clock[2], "t 天气/上海 18:00 发布 729+614 615 42", "t 8日夜间 729+307 696 33",
                     "t 9日白天 1036+307 696 33", "d 阴 729+307 750 42", "d 雷阵雨 1036+307 750 42", "d 26^℃ 729+307 814 42",
                     "d 33^℃ 1036+307 814 42", "d <3级/无持续风向 729+307 878 42", "d 4-5级/南风 1036+307 878 42",
                     "d 19:01^日落 729+307 942 42", "d 05:02^日出 1036+307 942 42"}));
}

TEST(WeatherRetries, OneRetryWaitsAtATimeOnTheSchedule) {
    RetrySchedule retries;
    std::vector<unsigned long> minutes;
    for (int i = 0; i < 7; ++i) minutes.push_back(retries.Failed() / 60000);
    EXPECT_EQ(minutes, (std::vector<unsigned long>{1, 2, 5, 10, 30, 0, 0})) << "then the hourly download";
    EXPECT_FALSE(retries.Fire());
    retries.Restart();  // a published record, or a placement
    EXPECT_EQ(retries.Failed() + retries.Failed(), 180000u) << "one retry waits: the second in the first's place";
    EXPECT_TRUE(retries.Fire());
    EXPECT_FALSE(retries.Fire());
    for (int i = 0; i < 100000; ++i) retries.Failed();  // years of failed hourly downloads
    EXPECT_EQ(std::make_pair(retries.Failed(), retries.PendingMs()), std::make_pair(0ul, 0ul));
}
