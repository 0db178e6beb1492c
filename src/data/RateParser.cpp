#include "data/RateParser.h"

#include <cstring>

namespace rates {

namespace {
constexpr int kFieldText = RATE_FIELD_SIZE - 1;  // 20 bytes of text per slot
constexpr char kCtrlZ = '\x1a';

bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }
}  // namespace

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

RateParser::RateParser(char* table, Observer observer) : m_table(table), m_observer(std::move(observer)) {
    std::memset(m_table, 0, RATE_BUFFER_SIZE);
}

void RateParser::Feed(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size && !m_ended; ++i) {
        const char c = data[i];
        if (m_afterCr) {
            m_afterCr = false;
            if (c == '\n') continue;  // CR LF: one line end
        }
        if (c == kCtrlZ) {
            m_ctrlZ = true;
            Finish();
            return;
        }
        if (c == '\r' || c == '\n') {
            m_afterCr = c == '\r';
            EndLine();
        } else {
            Byte(c);
        }
    }
}

void RateParser::Byte(char c) {
    const unsigned char b = static_cast<unsigned char>(c);
    const bool trail = m_trailNext && IsTrailByte(b);
    m_trailNext = !trail && IsLeadByte(b);
    ++m_lineLength;
    if (c == ';') m_comment = true;
    if (c == '|' && !trail) {
        ++m_field;
        return;
    }
    if (m_field >= RATE_FIELD_COUNT) return;
    ++m_note.length[m_field];
    if (c == '\0') m_nul[m_field] = true;
    if (m_nul[m_field]) return;
    std::size_t& text = m_text[m_field];
    if (text < sizeof m_head[m_field]) m_head[m_field][text] = c;
    ++text;
}

void RateParser::EndLine() {
    ++m_note.line;
    if (m_lineLength == 0) {
        m_note.kind = LineKind::Empty;
    } else if (m_comment) {
        m_note.kind = LineKind::Comment;
    } else if (m_count >= MAX_RATE_ROWS) {
        m_note.kind = LineKind::TableFull;
    } else {
        m_note.kind = LineKind::Record;
        m_note.record = m_count;
        char* record = m_table + m_count * RATE_RECORD_SIZE;
        for (int k = 0; k < RATE_FIELD_COUNT; ++k) {
            m_note.kept[k] = KeptFieldLength(m_head[k], m_text[k]);
            // The slot's remaining bytes, the terminator included, are still zero.
            std::memcpy(record + k * RATE_FIELD_SIZE, m_head[k], static_cast<std::size_t>(m_note.kept[k]));
        }
        ++m_count;
    }
    if (m_observer) m_observer(m_note);

    const int line = m_note.line;
    m_note = LineNote();
    m_note.line = line;
    m_lineLength = 0;
    m_comment = false;
    m_trailNext = false;
    m_field = 0;
    std::memset(m_head, 0, sizeof m_head);
    std::memset(m_nul, 0, sizeof m_nul);
    std::memset(m_text, 0, sizeof m_text);
}

int RateParser::Finish() {
    if (m_ended) return m_count;
    if (m_lineLength > 0) EndLine();
    m_ended = true;
    return m_count;
}

int ParseRateText(const char* data, std::size_t size, char* table) {
    RateParser parser(table);
    parser.Feed(data, size);
    return parser.Finish();
}

}  // namespace rates
