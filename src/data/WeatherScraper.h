// The weather page scraper: cuts the weather record out of the page of the
// weather service by literal markers of its markup. Portable: the page comes
// in as code page 936 text, already converted from the page's UTF-8.
//
// Record: fields joined by ",":
//   0  place, publication time and " 发布"
//   1-4  daytime description, temperature, wind (force "/" direction), sunrise
//   5-8  night description, temperature, wind, sunset
//   9-11 next-day record only: "nextday", left column label, right column label
// A same-day record has fields 0-8; the next-day one (no daytime section
// before the night heading) all twelve, with the night values meant for the
// left column. A missing value leaves its field empty. A value longer than
// kMaxValueBytes keeps its start and ends in "…".
#pragma once
#include <optional>
#include <vector>

#include "core/Bilingual.h"
#include "framework/CString.h"

namespace weather {

constexpr char kHost[] = "www.weather.com.cn";
constexpr char kDefaultCity[] = "101020100";
constexpr char kNextDayMark[] = "nextday";
constexpr int kRecordFields = 12;
// The longest value the record takes from a page, in bytes: 14 double-byte
// characters, as many as the middle panel is wide at the weather's text size
// (the panel is 0.32 of the board's width, that size 0.0225 of it: 14.2 em).
// A real value is a few characters; a page with a longer one is broken or
// hostile, and drawing thousands of characters would stall the board.
constexpr int kMaxValueBytes = 28;

// The weather service names a city by 9 digits: 101 for China, then the
// province, the city and the district (101020100 is Shanghai). Anything else
// cannot be the name of one of its pages.
constexpr int kCityCodeDigits = 9;
bool IsCityCode(const CString& id);

// The configured city id, or the default one when it is empty.
CString CityOrDefault(const CString& configured);
// "http://" + host + "/weather1d/" + city + ".shtml"
CString PageAddress(const CString& cityId);

// The record of a page, or nothing when the page holds no forecast body.
// The body runs from its start marker to its end marker, or to the end of
// the page when a page no longer carries the end marker.
std::optional<CString> ScrapeRecord(const CString& page);

// "published", "day weather", ... : what field `index` of a record holds.
Bilingual FieldName(int index);

// Every cut the scraper makes, checked on a page for whoever has to find out
// why the board shows no weather: whether the start marker occurs where the
// scraper looks, and the end marker after it.
struct MarkerCheck {
    Bilingual what;   // the value or region the cut gives
    Bilingual where;  // "page", "body", "daytime", "night", or a block of either
    const char* start;  // the markers, code page 936
    const char* end;
    bool startFound;
    bool endFound;
};
std::vector<MarkerCheck> CheckMarkers(const CString& page);

// A value the scraper shortened to kMaxValueBytes, with its length on the page.
struct ShortenedValue {
    Bilingual what;
    Bilingual where;
    int length;  // bytes, commas counted full-width as written
};
std::vector<ShortenedValue> ShortenedValues(const CString& page);

}  // namespace weather
