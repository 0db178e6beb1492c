#include "data/WeatherScraper.h"

#include "core/StrUtil.h"

namespace weather {
namespace {

using strutil::Between;

// Markers of the page's markup and Chinese labels, byte for byte.
const char kBodyStart[] = "con today";
const char kBodyEnd[] = "id=\"ab_yjfk\">";
const char kPlaceStart[] = "od1\":\"";
const char kUpdateStart[] = "\"update_time\" value=\"";
const char kQuote[] = "\"";
const char kDayHeading[] = "白天</h1>";
const char kNightHeading[] = "夜间</h1>";
const char kSectionEnd[] = "curve_livezs";
const char kWeatherStart[] = "wea\" title=\"";
const char kTempBlockStart[] = "tem\">";
const char kTempBlockEnd[] = "<em>";
const char kTempStart[] = "span>";
const char kWindBlockStart[] = "win\">";
const char kWindBlockEnd[] = "</p>";
const char kTitleStart[] = "title=\"";
const char kForceStart[] = "<span ";
const char kForceEnd[] = "span>";
const char kSunriseStart[] = ">日出 ";
const char kSunsetStart[] = ">日落 ";
const char kSpanEnd[] = "</span>";
const char kLeftLabelRegion[] = "fc_24h_internal_update_time";
const char kRightLabelRegion[] = "<span>日落";
const char kRegionEnd[] = "<big class";
const char kLabelStart[] = "<h1>";
const char kLabelEnd[] = "</h1>";

// A value goes into a comma-separated record: a comma of its own would move
// every later field, so it is written as the full-width comma.
CString Value(CString text) {
    text.Replace(",", "，");
    return text;
}

CString DecodeEntities(CString text) {
    text.Replace("&lt;", "<");
    text.Replace("&gt;", ">");
    text.Replace("&quot;", "\"");
    text.Replace("&amp;", "&");
    return text;
}

// The force is the text of the <span> in the wind block, "&lt;3级" or, as
// pages also write it, a bare "<3级": everything after the element's first
// ">" up to its closing "</", with the markup entities decoded.
CString WindForce(const CString& block) {
    const CString element = Between(block, kForceStart, kForceEnd);
    const int open = element.Find('>');
    if (open < 0) return CString();
    CString text = element.Mid(open + 1);
    if (text.GetLength() >= 2 && text.Right(2) == "</") text = text.Left(text.GetLength() - 2);
    return DecodeEntities(text);
}

CString Wind(const CString& section) {
    const CString block = Between(section, kWindBlockStart, kWindBlockEnd);
    return Value(WindForce(block)) + "/" + Value(Between(block, kTitleStart, kQuote));
}

// Description, temperature and wind of a section, each followed by ",".
CString SectionFields(const CString& section) {
    CString out = Value(Between(section, kWeatherStart, kQuote)) + ",";
    out += Value(Between(Between(section, kTempBlockStart, kTempBlockEnd), kTempStart, "<")) + ",";
    out += Wind(section) + ",";
    return out;
}

bool Has(const CString& text, const char* marker) { return !text.IsEmpty() && text.Find(marker) >= 0; }

}  // namespace

CString CityOrDefault(const CString& configured) { return configured.IsEmpty() ? CString(kDefaultCity) : configured; }

CString PageAddress(const CString& cityId) {
    return CString("http://") + kHost + "/weather1d/" + CityOrDefault(cityId) + ".shtml";
}

std::optional<CString> ScrapeRecord(const CString& page) {
    const CString body = Between(page, kBodyStart, kBodyEnd);
    if (body.IsEmpty()) return std::nullopt;

    CString record = Value(Between(body, kPlaceStart, kQuote)) + " " + Value(Between(body, kUpdateStart, kQuote)) +
                     " 发布,";
    CString day = Between(body, kDayHeading, kNightHeading);
    const CString night = Between(body, kNightHeading, kSectionEnd);
    const bool nextDay = day.IsEmpty();
    if (nextDay) day = Between(body, kDayHeading, kSectionEnd);

    record += SectionFields(day);
    record += Value(Between(day, kSunriseStart, kSpanEnd)) + ",";
    record += SectionFields(night);
    record += Value(Between(night, kSunsetStart, kSpanEnd));
    if (nextDay) {
        record += CString(",") + kNextDayMark;
        record += "," + Value(Between(Between(body, kLeftLabelRegion, kRegionEnd), kLabelStart, kLabelEnd));
        record += "," + Value(Between(Between(body, kRightLabelRegion, kRegionEnd), kLabelStart, kLabelEnd));
    }
    return record;
}

std::vector<MarkerCheck> CheckMarkers(const CString& page) {
    const CString body = Between(page, kBodyStart, kBodyEnd);
    CString day = Between(body, kDayHeading, kNightHeading);
    if (day.IsEmpty()) day = Between(body, kDayHeading, kSectionEnd);
    const CString night = Between(body, kNightHeading, kSectionEnd);
    std::vector<MarkerCheck> checks;
    auto check = [&](const CString& text, const char* marker, const char* where) {
        checks.push_back(MarkerCheck{marker, where, Has(text, marker)});
    };
    check(page, kBodyStart, "page");
    check(page, kBodyEnd, "page");
    for (const char* m : {kPlaceStart, kUpdateStart, kDayHeading, kNightHeading, kSectionEnd}) check(body, m, "body");
    for (int i = 0; i < 2; ++i) {
        const CString& section = i == 0 ? day : night;
        const char* where = i == 0 ? "daytime" : "night";
        for (const char* m : {kWeatherStart, kTempBlockStart, kTempBlockEnd, kWindBlockStart}) check(section, m, where);
        const CString wind = Between(section, kWindBlockStart, kWindBlockEnd);
        check(wind, kForceStart, i == 0 ? "daytime wind" : "night wind");
        check(wind, kTitleStart, i == 0 ? "daytime wind" : "night wind");
    }
    check(day, kSunriseStart, "daytime");
    check(night, kSunsetStart, "night");
    check(body, kLeftLabelRegion, "body");
    check(body, kRightLabelRegion, "body");
    return checks;
}

}  // namespace weather
