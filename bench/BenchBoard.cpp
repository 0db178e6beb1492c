#include "BenchBoard.h"

#include <cstdio>
#include <cstring>

#include "app/Globals.h"
#include "data/RateFile.h"

namespace {
void PutRecord(char* buffer, int row, const char* a, const char* b, const char* c) {
    char* record = buffer + row * RATE_RECORD_SIZE;
    std::strncpy(record, a, RATE_FIELD_SIZE - 1);
    std::strncpy(record + RATE_FIELD_SIZE, b, RATE_FIELD_SIZE - 1);
    std::strncpy(record + 2 * RATE_FIELD_SIZE, c, RATE_FIELD_SIZE - 1);
}
}  // namespace

void FillBenchData(int rows) {
    static const char* const kRooms[] = {"标准间", "大床房", "商务大床房", "豪华双床房", "家庭房/亲子",
                                         "行政套房", "钟点房", "总统套房", "湖景房", "园景房"};
    static const char* const kCurrencies[] = {"美元", "欧元", "日元", "港币", "英镑",
                                              "澳元", "加元", "瑞郎", "新加坡元", "韩元"};
    std::memset(g_roomRates, 0, RATE_BUFFER_SIZE);
    std::memset(g_exchangeRates, 0, RATE_BUFFER_SIZE);
    for (int i = 0; i < rows; ++i) {
        char standard[16], today[16], value[16];
        std::snprintf(standard, sizeof standard, "%d", 388 + 40 * i);
        std::snprintf(today, sizeof today, i == 3 ? "*%d" : "%d", 298 + 30 * i);
        std::snprintf(value, sizeof value, "%d.%02d", 100 + 37 * i, (i * 17) % 100);
        PutRecord(g_roomRates, i, kRooms[i % 10], standard, today);
        PutRecord(g_exchangeRates, i, kCurrencies[i % 10], "100", value);
    }
    g_roomRateCount = rows;
    g_exchangeRateCount = rows;
    g_weatherRecord.Set(
        "多云 08:00 发布,多云转晴,28,<3级/无持续风向,06:21,阴,21,3-4级/东北风,18:45");
}

void BenchBoard::Show(RECT rc) {
    m_rcBoard = rc;
    SetWindowPos(nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_NOZORDER);
    LayOut();
    ShowWindow(SW_SHOWNOACTIVATE);
}

void BenchBoard::AddOutline(Gdiplus::GraphicsPath& path, const std::wstring& text, const Gdiplus::FontFamily* family,
                            int emSize, int x, int y) {
    if (m_recording) m_calls.push_back(OutlineCall{&path == &m_digitPath, text, family, emSize, x, y});
    BoardWindow::AddOutline(path, text, family, emSize, x, y);
}
