#include "board/ClockWeatherPlan.h"

#include "board/Layout.h"
#include "core/StrUtil.h"

namespace clockweather {
namespace {

using layout::Scale;
using layout::Trunc;

const char kNextDay[] = "nextday";

}  // namespace

Rows ComputeRows(int margin, int yPanelRule) {
    const double u = margin;
    Rows r;
    r.date = Scale(u, 2.5f);
    r.weekday = Scale(u, 4.5f);
    r.time = Scale(u, 7.5f);
    r.heading = yPanelRule - margin;
    r.labels = Trunc(u * 0.5 + yPanelRule);
    r.weather = r.labels + margin;
    r.temperature = Trunc(u * static_cast<double>(1.2f) + r.weather);
    r.wind = Trunc(u * static_cast<double>(1.2f) + r.temperature);
    r.sun = Trunc(u * static_cast<double>(1.2f) + r.wind);
    return r;
}

int HalfWidth(int panelWidth) { return Scale(panelWidth, 0.5f); }

int LabelSize(int smallSize) { return Scale(smallSize, 0.8f); }

std::vector<Item> PlanPanel(const Inputs& in) {
    const int width = in.xRight - in.xLeft;
    const Rows rows = ComputeRows(in.margin, in.yPanelRule);
    std::vector<Item> items;

    auto digit = [&](const CString& text, int y) { items.push_back(Item{true, Path::Digit, text, in.xLeft, width, y, 0}); };
    auto label = [&](Path path, const CString& text, int x, int w, int y, int em) {
        items.push_back(Item{false, path, text, x, w, y, em});
    };

    digit(in.date, rows.date);
    label(Path::Text, in.weekday, in.xLeft, width, rows.weekday, in.sizeLarge);
    // The colon blinks: hidden on even ticks, starting with the placement's own render.
    CString time = in.time + "*";
    if (in.tick % 2 == 0) time.Replace(":", " ");
    digit(time, rows.time);

    auto field = [&](int index) { return strutil::Field(in.record, ',', index); };
    label(Path::Text, CString("天气/") + field(0), in.xLeft, width, rows.heading, in.sizeSmall);
    if (in.record.Find(',') < 0) return items;  // "Loading" or empty: heading only

    // A next-day record puts the night values in the left column under the
    // record's own labels.
    const bool nextDay = field(9) == kNextDay;
    const int half = HalfWidth(width);
    const int xLeftCell = in.xLeft;
    const int xRightCell = in.xLeft + half;
    const int dayFirst = nextDay ? 5 : 1;   // fields of the left column
    const int nightFirst = nextDay ? 1 : 5;  // fields of the right column

    const int labelSize = LabelSize(in.sizeSmall);
    label(Path::Text, nextDay ? field(10) : CString("白天"), xLeftCell, half, rows.labels, labelSize);
    label(Path::Text, nextDay ? field(11) : CString("夜间"), xRightCell, half, rows.labels, labelSize);

    auto row = [&](int offset, int y, const char* leftSuffix, const char* rightSuffix) {
        label(Path::Digit, field(dayFirst + offset) + leftSuffix, xLeftCell, half, y, in.sizeSmall);
        label(Path::Digit, field(nightFirst + offset) + rightSuffix, xRightCell, half, y, in.sizeSmall);
    };
    row(0, rows.weather, "", "");
    row(1, rows.temperature, "^℃", "^℃");
    row(2, rows.wind, "", "");
    // Sunrise belongs to the daytime fields (4), sunset to the night ones (8).
    row(3, rows.sun, nextDay ? "^日落" : "^日出", nextDay ? "^日出" : "^日落");
    return items;
}

}  // namespace clockweather
