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
// left column. A missing value leaves its field empty.
#pragma once
#include <optional>
#include <vector>

#include "framework/CString.h"

namespace weather {

constexpr char kHost[] = "www.weather.com.cn";
constexpr char kDefaultCity[] = "101020100";
constexpr char kNextDayMark[] = "nextday";

// The configured city id, or the default one when it is empty.
CString CityOrDefault(const CString& configured);
// "http://" + host + "/weather1d/" + city + ".shtml"
CString PageAddress(const CString& cityId);

// The record of a page, or nothing when the page holds no forecast body.
std::optional<CString> ScrapeRecord(const CString& page);

// Which of the markers the scraper relies on occur where it looks for them,
// for whoever has to find out why the board shows no weather.
struct MarkerCheck {
    const char* marker;  // as searched, code page 936
    const char* where;   // "page", "body", "daytime", "night" or the wind block of either
    bool found;
};
std::vector<MarkerCheck> CheckMarkers(const CString& page);

}  // namespace weather
