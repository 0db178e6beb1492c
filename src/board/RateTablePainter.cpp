// The room-rate table on the left panel and the exchange-rate table on the
// right one: titles and headings in the text colour, every record that the
// count admits in the digit colour. Rows below the board simply fall outside
// the bitmap.
#include <algorithm>
#include <cstring>

#include "core/Globals.h"
#include "board/BoardWindow.h"
#include "board/RateLayout.h"
#include "core/Core.h"
#include "data/RateFile.h"

namespace {

// The rows a table may show: the count, within what a buffer holds.
int RowsOf(const char* table, int count) { return table ? std::clamp(count, 0, MAX_RATE_ROWS) : 0; }

// A slot's text, never read past the slot even if its terminator is missing.
CString SlotText(const char* table, int record, int field) {
    const char* slot = rates::RateField(table, record, field);
    const void* end = std::memchr(slot, 0, RATE_FIELD_SIZE - 1);
    const int length = end ? static_cast<int>(static_cast<const char*>(end) - slot) : RATE_FIELD_SIZE - 1;
    return CString(slot, length);
}

}  // namespace

void BoardWindow::DrawRateTables() {
    const int small = g_textSizeSmall;
    const int textHeight = Measure(small, "你好").Height;
    const layout::RateTableLayout t = layout::ComputeRateTableLayout(Layout(), g_width, textHeight);

    AddLabelText(Ink::Text, "房价表", t.roomTitle.x, t.roomTitle.width, t.titleY, g_textSizeLarge);
    AddLabelText(Ink::Text, "兑换", t.fxTitle.x, t.fxTitle.width, t.titleY, g_textSizeLarge);

    AddLabelText(Ink::Text, "类别", t.room[0].x, t.room[0].width, t.headingY, small);
    AddLabelText(Ink::Text, "标准价/元", t.room[1].x, t.room[1].width, t.headingY, small);
    AddLabelText(Ink::Text, "今日价/元", t.room[2].x, t.room[2].width, t.headingY, small);
    AddLabelText(Ink::Text, "外币/100", t.fxForeign.x, t.fxForeign.width, t.headingY, small);
    AddLabelText(Ink::Text, "人民币/元", t.fxYuan.x, t.fxYuan.width, t.headingY, small);

    // Every record the count admits: the first field as a label, the other
    // two as centred digit text, all in the digit colour.
    const auto rows = [&](const char* table, int count, const layout::Column(&columns)[3]) {
        for (int i = 0; i < RowsOf(table, count); ++i) {
            const int y = t.RowY(i);
            AddLabelText(Ink::Digit, SlotText(table, i, 0), columns[0].x, columns[0].width, y, small);
            AddDigitText(SlotText(table, i, 1), columns[1].x, columns[1].width, y, FALSE);
            AddDigitText(SlotText(table, i, 2), columns[2].x, columns[2].width, y, FALSE);
        }
    };
    rows(g_roomRates, g_roomRateCount, t.room);
    rows(g_exchangeRates, g_exchangeRateCount, t.fx);
}
