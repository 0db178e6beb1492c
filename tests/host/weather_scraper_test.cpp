// The weather scraper on pages written in the weather service's markup:
// a morning page (daytime, then night), an evening page (tonight, then
// tomorrow's daytime) and the ways a page can go wrong. Pages are stored
// as UTF-8 and converted to code page 936 first, as the download does.
#include <gtest/gtest.h>
#include <iconv.h>

#include <fstream>
#include <iterator>
#include <string>

#include "core/StrUtil.h"
#include "data/HttpBody.h"
#include "data/WeatherScraper.h"

namespace {

// UTF-8 to code page 936. Plain literals in this file are code page 936
// already; markup edited into a stored UTF-8 page is written as u8"...".
CString ToCp936(const std::string& utf8) {
    iconv_t cd = iconv_open("CP936", "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string out(utf8.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* dst = &out[0];
    size_t outLeft = out.size();
    const size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
    EXPECT_NE(rc, static_cast<size_t>(-1)) << "page not convertible";
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return CString(out);
}

std::string ReadUtf8(const char* name) {
    std::string path(__FILE__);
    path = path.substr(0, path.find_last_of('/')) + "/../data/weather/" + name;
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

CString Page(const char* name) { return ToCp936(ReadUtf8(name)); }

// The page with one piece of markup replaced (all occurrences), in UTF-8.
CString Edited(const char* name, const std::string& from, const std::string& to) {
    std::string s = ReadUtf8(name);
    EXPECT_NE(s.find(from), std::string::npos) << from;
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
    return ToCp936(s);
}

CString Field(const CString& record, int i) { return strutil::Field(record, ',', i); }

int FieldCount(const CString& record) {
    int n = 1;
    for (int i = 0; i < record.GetLength(); ++i) n += record[i] == ',';
    return n;
}

}  // namespace

TEST(WeatherScraper, MorningPageGivesTheSameDayRecord) {
    auto record = weather::ScrapeRecord(Page("sameday.html"));
    ASSERT_TRUE(record);
    EXPECT_EQ(*record, "上海 07:30 发布,多云,31,3-4级/东南风,05:01,阴,26,<3级/无持续风向,19:01");
    EXPECT_EQ(FieldCount(*record), 9);
}

TEST(WeatherScraper, EveningPageGivesTheNextDayRecordWithItsLabels) {
    auto record = weather::ScrapeRecord(Page("nextday.html"));
    ASSERT_TRUE(record);
    EXPECT_EQ(*record,
              "上海 18:00 发布,雷阵雨,33,4-5级/南风,05:02,阴,26,<3级/无持续风向,19:01,nextday,8日夜间,9日白天");
    EXPECT_EQ(FieldCount(*record), 12);
}

TEST(WeatherScraper, PageWithoutTheForecastBodyGivesNoRecord) {
    EXPECT_FALSE(weather::ScrapeRecord(CString()));
    EXPECT_FALSE(weather::ScrapeRecord(Edited("sameday.html", "con today", "con yesterday")));
    EXPECT_FALSE(weather::ScrapeRecord(Edited("sameday.html", "id=\"ab_yjfk\">", "id=\"ab_fk\">")));
    // The end marker before the start marker is no body either.
    EXPECT_FALSE(weather::ScrapeRecord(ToCp936("<a id=\"ab_yjfk\">x</a><div class=\"con today\">")));
    // A body with nothing recognisable still replaces the record, with every
    // field empty and the positions kept.
    auto bare = weather::ScrapeRecord(ToCp936("<div class=\"con today\"></div><a id=\"ab_yjfk\">"));
    ASSERT_TRUE(bare);
    EXPECT_EQ(*bare, "  发布,,,/,,,,/,,nextday,,");
}

TEST(WeatherScraper, MissingMarkersLeaveTheirFieldsEmptyInPlace) {
    auto noUpdate = weather::ScrapeRecord(Edited("sameday.html", "id=\"update_time\"", "id=\"utime\""));
    ASSERT_TRUE(noUpdate);
    EXPECT_EQ(Field(*noUpdate, 0), "上海  发布");
    EXPECT_EQ(Field(*noUpdate, 1), "多云");

    auto noTemperatureUnit = weather::ScrapeRecord(Edited("sameday.html", u8"<em>°C</em>", u8"°C"));
    ASSERT_TRUE(noTemperatureUnit);
    EXPECT_EQ(Field(*noTemperatureUnit, 2), "");
    EXPECT_EQ(Field(*noTemperatureUnit, 6), "");
    EXPECT_EQ(Field(*noTemperatureUnit, 7), "<3级/无持续风向");

    auto noSun = weather::ScrapeRecord(Edited("sameday.html", u8"<span>日出 05:01</span>", ""));
    ASSERT_TRUE(noSun);
    EXPECT_EQ(Field(*noSun, 4), "");
    EXPECT_EQ(Field(*noSun, 8), "19:01");
    EXPECT_EQ(FieldCount(*noSun), 9);

    // Without the curve block the night section cannot be cut.
    auto noCurve = weather::ScrapeRecord(Edited("sameday.html", "curve_livezs", "curve"));
    ASSERT_TRUE(noCurve);
    EXPECT_EQ(*noCurve, "上海 07:30 发布,多云,31,3-4级/东南风,05:01,,,/,");
}

TEST(WeatherScraper, NightHeadingFirstOrNoDaytimeGivesTheNextDayLayout) {
    auto noDay = weather::ScrapeRecord(Edited("sameday.html", u8"8日白天</h1>", u8"8日上午</h1>"));
    ASSERT_TRUE(noDay);
    EXPECT_EQ(FieldCount(*noDay), 12);
    EXPECT_EQ(Field(*noDay, 1), "");
    EXPECT_EQ(Field(*noDay, 3), "/");
    EXPECT_EQ(Field(*noDay, 5), "阴");
    EXPECT_EQ(Field(*noDay, 8), "19:01");
    EXPECT_EQ(Field(*noDay, 9), "nextday");
    EXPECT_EQ(Field(*noDay, 10), "8日上午");
    EXPECT_EQ(Field(*noDay, 11), "") << "no heading follows the sunset";

    // "nextday" only when the daytime section is really empty: a night
    // heading anywhere after the daytime one keeps the same-day layout.
    auto late = weather::ScrapeRecord(Edited("nextday.html", "</ul>", u8"<li><h1>9日夜间</h1></li></ul>"));
    ASSERT_TRUE(late);
    EXPECT_EQ(FieldCount(*late), 9);
    EXPECT_EQ(Field(*late, 1), "雷阵雨");
}

TEST(WeatherScraper, WindForceInAllItsSpellings) {
    const std::string plain = u8"<span class=\"\" title=\"无持续风向\">&lt;3级</span>";
    auto bare = weather::ScrapeRecord(Edited("sameday.html", plain, u8"<span class=\"\" title=\"无持续风向\"><3级</span>"));
    ASSERT_TRUE(bare);
    EXPECT_EQ(Field(*bare, 7), "<3级/无持续风向") << "an unescaped \"<\" must not lose the force";

    auto noForce = weather::ScrapeRecord(Edited("sameday.html", plain, u8"<em title=\"无持续风向\"></em>"));
    ASSERT_TRUE(noForce);
    EXPECT_EQ(Field(*noForce, 7), "/无持续风向");

    auto neither = weather::ScrapeRecord(Edited("sameday.html", plain, ""));
    ASSERT_TRUE(neither);
    EXPECT_EQ(Field(*neither, 7), "/");
    EXPECT_EQ(Field(*neither, 8), "19:01");

    auto noDirection = weather::ScrapeRecord(Edited("sameday.html", u8"title=\"东南风\"", "class=\"dir\""));
    ASSERT_TRUE(noDirection);
    EXPECT_EQ(Field(*noDirection, 3), "3-4级/");
}

TEST(WeatherScraper, CommaInsideAValueKeepsTheFieldsInPlace) {
    auto record = weather::ScrapeRecord(Edited("sameday.html", u8"title=\"多云\"", u8"title=\"多云,局部有雨\""));
    ASSERT_TRUE(record);
    EXPECT_EQ(FieldCount(*record), 9);
    EXPECT_EQ(Field(*record, 1), "多云，局部有雨");
    EXPECT_EQ(Field(*record, 2), "31");
    auto place = weather::ScrapeRecord(Edited("sameday.html", u8"\"od1\":\"上海\"", u8"\"od1\":\"上海,浦东\""));
    ASSERT_TRUE(place);
    EXPECT_EQ(Field(*place, 0), "上海，浦东 07:30 发布");
}

TEST(WeatherScraper, PageAsDownloadedWithCrLfAndCrCrLfLinesStillScrapes) {
    // The download turns LF into CR LF, and a CR LF page into CR CR LF.
    const std::string utf8 = ReadUtf8("sameday.html");
    CString lf, crlf;
    httpbody::AppendChunk(lf, utf8.data(), static_cast<int>(utf8.size()));
    std::string dos;
    for (char c : utf8) dos += c == '\n' ? std::string("\r\n") : std::string(1, c);
    httpbody::AppendChunk(crlf, dos.data(), static_cast<int>(dos.size()));
    const CString expected = *weather::ScrapeRecord(Page("sameday.html"));
    EXPECT_EQ(*weather::ScrapeRecord(ToCp936(lf.str())), expected);
    EXPECT_EQ(*weather::ScrapeRecord(ToCp936(crlf.str())), expected);
}

TEST(WeatherAddress, CityFromTheConfigurationOrTheDefault) {
    EXPECT_EQ(weather::PageAddress(""), "http://www.weather.com.cn/weather1d/101020100.shtml");
    EXPECT_EQ(weather::PageAddress("101010100"), "http://www.weather.com.cn/weather1d/101010100.shtml");
    EXPECT_EQ(weather::CityOrDefault(""), "101020100");
}

TEST(WeatherMarkers, ReportWhatTheScraperFoundAndMissed) {
    auto missing = [](const CString& page) {
        std::string names;
        for (const auto& m : weather::CheckMarkers(page)) {
            if (!m.found) names += std::string(m.where) + ":" + m.marker + ";";
        }
        return names;
    };
    EXPECT_EQ(missing(Page("sameday.html")), "");
    EXPECT_EQ(missing(Page("nextday.html")), "") << "night first still has every marker";
    const std::string noBody = missing(Edited("sameday.html", "con today", "con"));
    EXPECT_NE(noBody.find("page:con today;"), std::string::npos);
    EXPECT_NE(noBody.find("body:白天</h1>"), std::string::npos);
    EXPECT_EQ(missing(Edited("sameday.html", u8"<em>°C</em>", u8"°C")), "daytime:<em>;night:<em>;");
    EXPECT_EQ(missing(Edited("sameday.html", u8"<span>日落 19:01</span>", "")),
              "night:>日落 ;body:<span>日落;");
    EXPECT_EQ(missing(ToCp936("")).empty(), false);
}

TEST(HttpBody, ChunksAppendInOrderWithLineEndsAndNulRules) {
    CString body;
    httpbody::AppendChunk(body, "ab\ncd", 5);
    httpbody::AppendChunk(body, "ef\r\n", 4);
    EXPECT_EQ(body, "ab\r\ncdef\r\r\n");
    // Only the bytes read count, and a NUL ends the chunk's text.
    httpbody::AppendChunk(body, "gh\0ij\nk", 7);
    EXPECT_EQ(body, "ab\r\ncdef\r\r\ngh");
    httpbody::AppendChunk(body, "lmnop", 2);
    httpbody::AppendChunk(body, "\0zz", 3);
    httpbody::AppendChunk(body, nullptr, 4);
    httpbody::AppendChunk(body, "x", 0);
    EXPECT_EQ(body, "ab\r\ncdef\r\r\nghlm");
    CString lines;
    httpbody::AppendChunk(lines, "\n\n\n", 3);
    EXPECT_EQ(lines, "\r\n\r\n\r\n");
}
