// The weather scraper, the body reader and the panel plan against any page
// bytes: a record always keeps its shape (9 fields, or 12 ending in the
// next-day mark and the two labels), and the panel draws either the heading
// alone or the whole table.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "board/ClockWeatherPlan.h"
#include "core/StrUtil.h"
#include "data/HttpBody.h"
#include "data/WeatherScraper.h"

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "weather invariant broken: %s\n", what);
        std::abort();
    }
}

int Count(const std::string& s, char c) {
    int n = 0;
    for (char x : s) n += x == c;
    return n;
}

}  // namespace

extern "C" const char* const* FuzzDictionary(size_t* count) {
    static const char* const words[] = {
        "con today", "id=\"ab_yjfk\">", "od1\":\"", "\"update_time\" value=\"", "\"", "白天</h1>", "夜间</h1>",
        "curve_livezs", "wea\" title=\"", "tem\">", "<em>", "span>", "<", ">", "win\">", "</p>", "title=\"",
        "<span ", ">日出 ", ">日落 ", "</span>", "fc_24h_internal_update_time", "<span>日落", "<big class",
        "<h1>", "</h1>", "&lt;", "&amp;", "</", ",", "nextday",
    };
    *count = sizeof(words) / sizeof(words[0]);
    return words;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CString page(reinterpret_cast<const char*>(data), static_cast<int>(size));

    const auto record = weather::ScrapeRecord(page);
    const bool hasBody = !strutil::Between(page, "con today", "id=\"ab_yjfk\">").IsEmpty();
    Check(record.has_value() == hasBody, "a record exactly when the body is there");
    if (record) {
        const int commas = Count(record->str(), ',');
        Check(commas == 8 || commas == 11, "9 or 12 fields");
        Check((strutil::Field(*record, ',', 9) == "nextday") == (commas == 11), "field 9 marks the 12-field record");
        Check(strutil::Field(*record, ',', 0).Find(" 发布") >= 0, "field 0 ends in the publication word");
        Check(strutil::Field(*record, ',', 3).Find('/') >= 0 && strutil::Field(*record, ',', 7).Find('/') >= 0,
              "wind fields keep their slash");
        // Each of the 12 fields is cut from the page (sections may overlap, so a
        // value can appear twice), never made up: the record stays bounded.
        Check(record->GetLength() <= page.GetLength() * 12 + 64, "record bounded by its fields cut from the page");
    }
    Check(!weather::CheckMarkers(page).empty(), "markers reported");

    CString body;
    const int half = static_cast<int>(size / 2);
    httpbody::AppendChunk(body, page.GetString(), half);
    httpbody::AppendChunk(body, page.GetString() + half, static_cast<int>(size) - half);
    const std::string& b = body.str();
    Check(b.find('\0') == std::string::npos, "no NUL in the body");
    for (size_t i = 0; i < b.size(); ++i) {
        if (b[i] == '\n') Check(i > 0 && b[i - 1] == '\r', "every LF follows a CR");
    }
    Check(b.size() <= size * 2, "at most doubled");

    clockweather::Inputs in;
    in.margin = 54;
    in.xLeft = 729;
    in.xRight = 1343;
    in.yPanelRule = 669;
    in.tick = static_cast<int>(size);
    in.sizeLarge = 70;
    in.sizeSmall = 42;
    in.record = record ? *record : page;
    const auto items = clockweather::PlanPanel(in);
    Check(items.size() == (in.record.Find(',') >= 0 ? 14u : 4u), "heading alone or the whole table");
    return 0;
}
