#include "data/RateParser.h"

#include <cstring>

namespace rates {

namespace {
constexpr int kFieldText = RATE_FIELD_SIZE - 1;  // 20 bytes of text per slot
constexpr char kCtrlZ = '\x1a';

bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
}  // namespace

const char* SkipReasonText(SkipReason reason) {
    switch (reason) {
    case SkipReason::Empty:
        return "empty line";
    case SkipReason::Comment:
        return "comment";
    case SkipReason::TableFull:
        return "table full";
    }
    return "";
}

int KeptFieldLength(const char* text, std::size_t length) {
    if (length <= static_cast<std::size_t>(kFieldText)) return static_cast<int>(length);
    // Longer than a slot: only the first 21 bytes decide where the cut falls.
    int i = 0;
    while (i < kFieldText) {
        const int step = IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + step > kFieldText) break;
        i += step;
    }
    return i;
}

RateParser::RateParser(char* table, ParseReport* report) : m_table(table), m_report(report) {
    std::memset(m_table, 0, RATE_BUFFER_SIZE);
    if (m_report) *m_report = ParseReport();
}

void RateParser::Feed(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size && !m_ended; ++i) {
        const char c = data[i];
        if (m_pendingCr) {
            m_pendingCr = false;
            if (c == '\n') {
                ++m_offset;  // the CR
                EndLine();
                ++m_offset;  // the LF
                continue;
            }
            Byte('\r');
        }
        if (c == kCtrlZ) {
            if (m_report) m_report->endMarker = m_offset;
            Finish();
            return;
        }
        if (c == '\r') {
            m_pendingCr = true;  // its offset is counted once its fate is known
        } else if (c == '\n') {
            EndLine();
            ++m_offset;
        } else {
            Byte(c);
        }
    }
}

void RateParser::Byte(char c) {
    if (m_lineLength == 0) {
        m_lineStart = m_offset;
        m_fields[0].offset = m_offset;
    }
    ++m_lineLength;
    if (c == ';') m_comment = true;
    if (c == '|') {
        ++m_field;
        if (m_field < RATE_FIELD_COUNT) m_fields[m_field].offset = m_offset + 1;
    } else if (m_field < RATE_FIELD_COUNT) {
        Field& f = m_fields[m_field];
        ++f.length;
        if (c == '\0') f.nul = true;
        if (!f.nul) {
            if (f.textLength < sizeof f.head) f.head[f.textLength] = c;
            ++f.textLength;
        }
    }
    ++m_offset;
}

void RateParser::EndLine() {
    ++m_line;
    if (m_lineLength == 0) m_lineStart = m_offset;
    SkipReason reason = SkipReason::Empty;
    bool skip = true;
    if (m_lineLength == 0) {
        reason = SkipReason::Empty;
    } else if (m_comment) {
        reason = SkipReason::Comment;
    } else if (m_count >= MAX_RATE_ROWS) {
        reason = SkipReason::TableFull;
    } else {
        skip = false;
        StoreRecord();
    }
    if (skip && m_report) m_report->skipped.push_back(SkippedLine{m_line, m_lineStart, m_lineLength, reason});
    if (m_report) m_report->lines = m_line;

    m_lineLength = 0;
    m_comment = false;
    m_field = 0;
    for (Field& f : m_fields) f = Field();
}

void RateParser::StoreRecord() {
    char* record = m_table + m_count * RATE_RECORD_SIZE;
    for (int k = 0; k < RATE_FIELD_COUNT; ++k) {
        const Field& f = m_fields[k];
        const int kept = KeptFieldLength(f.head, f.textLength);
        std::memcpy(record + k * RATE_FIELD_SIZE, f.head, static_cast<std::size_t>(kept));
        // The slot's remaining bytes, the terminator included, are still zero.
        if (m_report && (f.nul || static_cast<std::size_t>(kept) < f.textLength)) {
            m_report->cut.push_back(CutField{m_line, m_count, k, f.offset, f.length, kept, f.nul});
        }
    }
    if (m_report) m_report->recordLines.push_back(m_line);
    ++m_count;
    if (m_report) m_report->count = m_count;
}

int RateParser::Finish() {
    if (m_ended) return m_count;
    if (m_pendingCr) {
        // A CR with no LF after it is text, as it is in text mode.
        m_pendingCr = false;
        Byte('\r');
    }
    if (m_lineLength > 0) EndLine();
    m_ended = true;
    return m_count;
}

int ParseRateText(const char* data, std::size_t size, char* table, ParseReport* report) {
    RateParser parser(table, report);
    parser.Feed(data, size);
    return parser.Finish();
}

}  // namespace rates
