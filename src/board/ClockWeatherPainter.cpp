#include <string>

#include "board/BoardWindow.h"
#include "board/ClockWeatherPlan.h"
#include "board/TextPlacement.h"
#include "core/Core.h"
#include "core/Globals.h"

namespace {

// Where the panel stands and its text sizes: the same whatever it shows.
clockweather::Inputs PanelFrame(const layout::BoardLayout& l) {
    clockweather::Inputs in;
    in.margin = l.margin;
    in.xLeft = l.xLeftDivider;
    in.xRight = l.xRightDivider;
    in.yPanelRule = l.yPanelRule;
    in.sizeLarge = g_textSizeLarge;
    in.sizeSmall = g_textSizeSmall;
    return in;
}

}  // namespace

// The middle panel: date, weekday, blinking clock, weather heading and the
// two-column weather table. The date, weekday and time come from one clock
// reading, and the weather from one copy of the record, so that nothing on
// the panel disagrees with the rest (at midnight, or while a download
// publishes a new record). A text wider than its cell is drawn smaller, so
// that nothing of the weather reaches the other column or the rate tables.
void BoardWindow::DrawClockWeather() {
    const COleDateTime& now = m_now;
    clockweather::Inputs in = PanelFrame(Layout());
    in.tick = m_tickCount;
    in.date = now.Format("%Y-%m-%d");
    in.time = now.Format("%H:%M");
    in.weekday = g_core->getWeekStr(now);
    in.record = g_weatherRecord.Get();

    for (const clockweather::Item& item : clockweather::PlanPanel(in)) {
        if (item.digitText) {
            AddDigitText(item.text, item.x, item.width, item.y, TRUE);
            continue;
        }
        const textplace::LabelParts parts = textplace::SplitLabel(item.text);
        const int em = textplace::FitLabelSize(item.width, item.emSize, [&](int size) {
            return textplace::LabelWidths{Measure(size, parts.main).Width,
                                          Measure(textplace::SuffixSize(size), parts.suffix).Width};
        });
        AddLabelText(item.path == clockweather::Path::Digit ? Ink::Digit : Ink::Text, item.text, item.x, item.width,
                     item.y, em);
    }
}

// The clock's row: every pixel any time of day can reach, each digit in
// every place with the colon shown and hidden, laid out as the painter lays
// the time out (in the digit font at the clock's size), with the pixels
// anti-aliasing reaches around them. It stays put while the time changes;
// its window gets what changes there each second. A font whose digits
// differ in width may reach past it: the board then shows that part too.
RECT BoardWindow::ClockRow() {
    std::vector<Outline> board;
    m_outlines.swap(board);
    clockweather::Inputs in = PanelFrame(Layout());
    const int timeRow = clockweather::ComputeRows(m_margin, m_yPanelRule).time;
    for (char digit = '0'; digit <= '9'; ++digit) {
        for (in.tick = 0; in.tick < 2; ++in.tick) {
            in.time = CString(std::string(2, digit) + ":" + std::string(2, digit));
            for (const clockweather::Item& item : clockweather::PlanPanel(in)) {
                if (item.digitText && item.y == timeRow) AddDigitText(item.text, item.x, item.width, item.y, TRUE);
            }
        }
    }
    Gdiplus::GraphicsPath path;
    for (const Outline& o : m_outlines) {
        AddOutlinePath(path, o, m_pTextFamily.get(), &m_digitFamily, &m_format);
    }
    m_outlines.swap(board);
    Gdiplus::RectF box;
    // No digit font: no band, the board shows the clock itself.
    if (path.GetPointCount() == 0 || path.GetBounds(&box) != Gdiplus::Ok) return RECT{0, 0, 0, 0};
    return InkReach(box.X, box.Y, box.X + box.Width, box.Y + box.Height);
}
