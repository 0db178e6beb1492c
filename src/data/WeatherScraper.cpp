#include "data/WeatherScraper.h"

#include <string>

#include "core/StrUtil.h"

namespace weather {
namespace {

// A cut: the text strictly between the first start marker and the first end
// marker after it. Markers of the page's markup and Chinese labels, byte for
// byte; every cut the scraper makes is one of these.
struct Cut {
    Bilingual what;
    const char* start;
    const char* end;
};

constexpr Cut kBody{{"预报正文", "forecast body"}, "con today", "id=\"ab_yjfk\">"};
constexpr Cut kPlace{{"地点", "place"}, "od1\":\"", "\""};
constexpr Cut kUpdate{{"发布时间", "publication time"}, "\"update_time\" value=\"", "\""};
constexpr Cut kDay{{"白天部分", "daytime section"}, "白天</h1>", "夜间</h1>"};
constexpr Cut kDayToEnd{{"白天部分（次日）", "daytime section (next day)"}, "白天</h1>", "curve_livezs"};
constexpr Cut kNight{{"夜间部分", "night section"}, "夜间</h1>", "curve_livezs"};
constexpr Cut kWeather{{"天气", "description"}, "wea\" title=\"", "\""};
constexpr Cut kTempBlock{{"气温块", "temperature block"}, "tem\">", "<em>"};
constexpr Cut kTemp{{"气温", "temperature"}, "span>", "<"};
constexpr Cut kWindBlock{{"风块", "wind block"}, "win\">", "</p>"};
constexpr Cut kWindDirection{{"风向", "wind direction"}, "title=\"", "\""};
constexpr Cut kWindForce{{"风力", "wind force"}, "<span ", "span>"};
constexpr Cut kSunrise{{"日出", "sunrise"}, ">日出 ", "</span>"};
constexpr Cut kSunset{{"日落", "sunset"}, ">日落 ", "</span>"};
constexpr Cut kLeftLabelRegion{{"左栏标题区", "left label region"}, "fc_24h_internal_update_time", "<big class"};
constexpr Cut kRightLabelRegion{{"右栏标题区", "right label region"}, "<span>日落", "<big class"};
constexpr Cut kLabel{{"栏标题", "column label"}, "<h1>", "</h1>"};

// Where a cut is made: the page, a region of it, or a block of a section.
constexpr Bilingual kInPage{"页面", "page"};
constexpr Bilingual kInBody{"正文", "body"};
constexpr Bilingual kInDay{"白天", "daytime"};
constexpr Bilingual kInNight{"夜间", "night"};
constexpr Bilingual kInDayTemperature{"白天气温", "daytime temperature"};
constexpr Bilingual kInNightTemperature{"夜间气温", "night temperature"};
constexpr Bilingual kInDayWind{"白天风", "daytime wind"};
constexpr Bilingual kInNightWind{"夜间风", "night wind"};

const char kEllipsis[] = "…";

// The start of a value, whole characters of it, and "…", in kMaxValueBytes.
CString Shorten(const std::string& text) {
    const std::size_t room = kMaxValueBytes - (sizeof(kEllipsis) - 1);
    std::size_t end = 0;
    while (end < text.size()) {
        // A byte from 0x81 to 0xFE starts a double-byte character of code page 936.
        const unsigned char c = static_cast<unsigned char>(text[end]);
        const std::size_t size = c >= 0x81 && c <= 0xFE && end + 1 < text.size() ? 2 : 1;
        if (end + size > room) break;
        end += size;
    }
    return CString(text.substr(0, end)) + kEllipsis;
}

CString DecodeEntities(CString text) {
    text.Replace("&lt;", "<");
    text.Replace("&gt;", ">");
    text.Replace("&quot;", "\"");
    text.Replace("&amp;", "&");
    return text;
}

// One scrape of a page. With a trace, every cut it makes is written down
// with the region it was made in, whether or not its markers were found.
class Scraper {
public:
    Scraper(std::vector<MarkerCheck>* trace, std::vector<ShortenedValue>* shortened)
        : m_trace(trace), m_shortened(shortened) {}

    std::optional<CString> Record(const CString& page) {
        CString body = Take(page, kBody, kInPage);
        if (body.IsEmpty()) {
            // Pages of today no longer end the forecast with the feedback
            // link: the body then runs to the end of the page.
            const int start = page.Find(kBody.start);
            if (start >= 0 && page.Find(kBody.end, start) < 0) body = page.Mid(start + Length(kBody.start));
        }
        if (body.IsEmpty()) return std::nullopt;

        CString record = TakeValue(body, kPlace, kInBody) + " " + TakeValue(body, kUpdate, kInBody) + " 发布,";
        CString day = Take(body, kDay, kInBody);
        const CString night = Take(body, kNight, kInBody);
        const bool nextDay = day.IsEmpty();
        if (nextDay) day = Take(body, kDayToEnd, kInBody);

        record += SectionFields(day, true);
        record += TakeValue(day, kSunrise, kInDay) + ",";
        record += SectionFields(night, false);
        record += TakeValue(night, kSunset, kInNight);
        if (nextDay) {
            record += CString(",") + kNextDayMark;
            record += "," + TakeValue(Take(body, kLeftLabelRegion, kInBody), kLabel, kLeftLabelRegion.what);
            record += "," + TakeValue(Take(body, kRightLabelRegion, kInBody), kLabel, kRightLabelRegion.what);
        }
        return record;
    }

private:
    static int Length(const char* text) { return CString(text).GetLength(); }

    CString Take(const CString& text, const Cut& cut, const Bilingual& where) {
        if (m_trace) {
            const int start = text.Find(cut.start);
            const bool end = start >= 0 && text.Find(cut.end, start + Length(cut.start)) >= 0;
            m_trace->push_back(MarkerCheck{cut.what, where, cut.start, cut.end, start >= 0, end});
        }
        return strutil::Between(text, cut.start, cut.end);
    }

    // A value goes into a comma-separated record: a comma of its own would
    // move every later field, so it is written as the full-width comma. A
    // value longer than the record takes is shortened, never dropped.
    CString Value(CString text, const Bilingual& what, const Bilingual& where) {
        text.Replace(",", "，");
        if (text.GetLength() <= kMaxValueBytes) return text;
        if (m_shortened) m_shortened->push_back(ShortenedValue{what, where, text.GetLength()});
        return Shorten(text.str());
    }
    CString TakeValue(const CString& text, const Cut& cut, const Bilingual& where) {
        return Value(Take(text, cut, where), cut.what, where);
    }

    // The force is the text of the <span> in the wind block, "&lt;3级" or,
    // as pages also write it, a bare "<3级": everything after the element's
    // first ">" up to its closing "</", with the markup entities decoded.
    CString WindForce(const CString& block, const Bilingual& where) {
        const CString element = Take(block, kWindForce, where);
        const int open = element.Find('>');
        if (open < 0) return CString();
        CString text = element.Mid(open + 1);
        if (text.GetLength() >= 2 && text.Right(2) == "</") text = text.Left(text.GetLength() - 2);
        return DecodeEntities(text);
    }

    // Description, temperature and wind of a section, each followed by ",".
    CString SectionFields(const CString& section, bool day) {
        const Bilingual& where = day ? kInDay : kInNight;
        const CString wind = Take(section, kWindBlock, where);
        const CString temperature = Take(section, kTempBlock, where);
        CString out = TakeValue(section, kWeather, where) + ",";
        out += TakeValue(temperature, kTemp, day ? kInDayTemperature : kInNightTemperature) + ",";
        const Bilingual& windWhere = day ? kInDayWind : kInNightWind;
        out += Value(WindForce(wind, windWhere), kWindForce.what, windWhere) + "/" +
               TakeValue(wind, kWindDirection, windWhere) + ",";
        return out;
    }

    std::vector<MarkerCheck>* m_trace;
    std::vector<ShortenedValue>* m_shortened;
};

}  // namespace

bool IsCityCode(const CString& id) {
    if (id.GetLength() != kCityCodeDigits) return false;
    for (int i = 0; i < id.GetLength(); ++i) {
        if (id[i] < '0' || id[i] > '9') return false;
    }
    return true;
}

CString CityOrDefault(const CString& configured) { return configured.IsEmpty() ? CString(kDefaultCity) : configured; }

CString PageAddress(const CString& cityId) {
    return CString("http://") + kHost + "/weather1d/" + CityOrDefault(cityId) + ".shtml";
}

std::optional<CString> ScrapeRecord(const CString& page) { return Scraper(nullptr, nullptr).Record(page); }

Bilingual FieldName(int index) {
    static const Bilingual kNames[kRecordFields] = {
        {"发布", "published"},      {"白天天气", "day weather"},     {"白天气温", "day temperature"},
        {"白天风", "day wind"},     {"日出", "sunrise"},             {"夜间天气", "night weather"},
        {"夜间气温", "night temperature"}, {"夜间风", "night wind"}, {"日落", "sunset"},
        {"次日标记", "next-day mark"}, {"左栏标题", "left label"},   {"右栏标题", "right label"},
    };
    return index >= 0 && index < kRecordFields ? kNames[index] : Bilingual{"", ""};
}

std::vector<MarkerCheck> CheckMarkers(const CString& page) {
    std::vector<MarkerCheck> checks;
    Scraper(&checks, nullptr).Record(page);
    return checks;
}

std::vector<ShortenedValue> ShortenedValues(const CString& page) {
    std::vector<ShortenedValue> shortened;
    Scraper(nullptr, &shortened).Record(page);
    return shortened;
}

}  // namespace weather
