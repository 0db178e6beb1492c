#include "board/BoardWindow.h"
#include "board/ClockWeatherPlan.h"
#include "board/TextPlacement.h"
#include "core/Core.h"
#include "core/Globals.h"

// The middle panel: date, weekday, blinking clock, weather heading and the
// two-column weather table. The date, weekday and time come from one clock
// reading, and the weather from one copy of the record, so that nothing on
// the panel disagrees with the rest (at midnight, or while a download
// publishes a new record). A text wider than its cell is drawn smaller, so
// that nothing of the weather reaches the other column or the rate tables.
void BoardWindow::DrawClockWeather() {
    const COleDateTime& now = m_now;
    clockweather::Inputs in;
    in.margin = m_margin;
    in.xLeft = m_xLeftDivider;
    in.xRight = m_xRightDivider;
    in.yPanelRule = m_yPanelRule;
    in.tick = m_tickCount;
    in.sizeLarge = g_textSizeLarge;
    in.sizeSmall = g_textSizeSmall;
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
