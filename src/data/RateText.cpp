#include "data/RateText.h"

#include <algorithm>
#include <utility>

namespace rates {

namespace {
constexpr char32_t kReplacement = 0xFFFD;  // code page 936 has none: "?"
bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
}  // namespace

RateTextReader::Lane::Lane(bool keepNotes)
    : table(RATE_BUFFER_SIZE),
      parser(table.data(), keepNotes ? RateParser::Observer([this](const LineNote& n) { notes.push_back(n); })
                                     : nullptr) {}

RateTextReader::RateTextReader(WideTo936 narrow, bool keepNotes)
    : m_narrow(std::move(narrow)), m_bytes(keepNotes), m_text(keepNotes) {}

void RateTextReader::Feed(const char* data, std::size_t size) {
    if (m_mode == Mode::Head) {
        // A byte-order mark is at most three bytes: wait for them.
        const std::size_t take = std::min(size, 3 - m_head.size());
        m_head.append(data, take);
        data += take;
        size -= take;
        if (m_head.size() < 3) return;
        Start();
    }
    Take(data, size);
    Flush(false);
}

void RateTextReader::Start() {
    auto marked = [&](const char* mark, std::size_t length) {
        return m_head.size() >= length && m_head.compare(0, length, mark, length) == 0;
    };
    std::size_t skip = 0;
    if (marked("\xEF\xBB\xBF", 3)) {
        m_mode = Mode::Utf8;
        skip = 3;
    } else if (marked("\xFF\xFE", 2)) {
        m_mode = Mode::Utf16LE;
        skip = 2;
    } else if (marked("\xFE\xFF", 2)) {
        m_mode = Mode::Utf16BE;
        skip = 2;
    } else {
        m_mode = Mode::Sniff;
    }
    const std::string rest = m_head.substr(skip);
    m_head.clear();
    Take(rest.data(), rest.size());
}

void RateTextReader::Take(const char* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    switch (m_mode) {
    case Mode::Sniff:
        m_bytes.parser.Feed(data, size);
        // Once the bytes are not UTF-8, that reading is out: stop making it.
        for (std::size_t i = 0; i < size && m_valid; ++i) Utf8Byte(bytes[i]);
        break;
    case Mode::Utf8:
        for (std::size_t i = 0; i < size; ++i) Utf8Byte(bytes[i]);
        break;
    case Mode::Utf16LE:
    case Mode::Utf16BE:
        for (std::size_t i = 0; i < size; ++i) Utf16Byte(bytes[i]);
        break;
    case Mode::Head:
        break;
    }
}

void RateTextReader::Utf8Byte(unsigned char b) {
    if (m_need > 0) {
        if (b >= m_low && b <= m_high) {
            m_code = (m_code << 6) | (b & 0x3F);
            ++m_have;
            m_low = 0x80;
            m_high = 0xBF;
            if (--m_need == 0) EndUtf8Sequence(true);
            return;
        }
        EndUtf8Sequence(false);  // cut short; b starts afresh
    }
    if (b < 0x80) {
        Emit(b);
        return;
    }
    // The second byte's range rules out overlong forms, surrogates and
    // anything past U+10FFFF.
    if (b >= 0xC2 && b <= 0xDF) {
        m_need = 1;
        m_code = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        m_need = 2;
        m_code = b & 0x0F;
        if (b == 0xE0) m_low = 0xA0;
        if (b == 0xED) m_high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        m_need = 3;
        m_code = b & 0x07;
        if (b == 0xF0) m_low = 0x90;
        if (b == 0xF4) m_high = 0x8F;
    } else {
        m_valid = false;
        Emit(kReplacement);
        return;
    }
    m_have = 1;
}

void RateTextReader::EndUtf8Sequence(bool complete) {
    if (complete) {
        ++(m_have == 2 ? m_twoByte : m_longer);
        Emit(m_code);
    } else {
        m_valid = false;
        Emit(kReplacement);
    }
    m_need = m_have = 0;
    m_low = 0x80;
    m_high = 0xBF;
}

void RateTextReader::Utf16Byte(unsigned char b) {
    if (m_oddByte < 0) {
        m_oddByte = b;
        return;
    }
    const unsigned first = static_cast<unsigned>(m_oddByte);
    m_oddByte = -1;
    m_wide.push_back(static_cast<char16_t>(m_mode == Mode::Utf16LE ? (b << 8 | first) : (first << 8 | b)));
}

void RateTextReader::Emit(char32_t c) {
    if (c < 0x10000) {
        m_wide.push_back(static_cast<char16_t>(c));
        return;
    }
    c -= 0x10000;
    m_wide.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    m_wide.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
}

void RateTextReader::Flush(bool atEnd) {
    if (m_mode == Mode::Sniff && !m_valid) {
        m_wide.clear();
        return;
    }
    std::size_t whole = m_wide.size();
    // A pair split by the end of a piece waits for its second half.
    if (!atEnd && whole > 0 && IsHighSurrogate(m_wide[whole - 1])) --whole;
    if (whole == 0) return;
    const std::string text = m_narrow(m_wide.data(), whole);
    m_text.parser.Feed(text.data(), text.size());
    m_wide.erase(0, whole);
}

RateEncoding RateTextReader::Finish() {
    if (m_mode == Mode::Head) Start();  // a file of fewer than three bytes
    // A character cut short by the end of the file; an odd last byte of a
    // UTF-16 file is no character at all.
    if (m_need > 0 && (m_mode == Mode::Utf8 || m_valid)) EndUtf8Sequence(false);
    Flush(true);
    m_bytes.count = m_bytes.parser.Finish();
    m_text.count = m_text.parser.Finish();
    RateEncoding encoding = RateEncoding::CodePage936;
    switch (m_mode) {
    case Mode::Utf8: encoding = RateEncoding::Utf8; break;
    case Mode::Utf16LE: encoding = RateEncoding::Utf16LE; break;
    case Mode::Utf16BE: encoding = RateEncoding::Utf16BE; break;
    default:
        if (m_valid && m_longer > 0 && m_longer >= m_twoByte) encoding = RateEncoding::Utf8;
        break;
    }
    m_chosenBytes = encoding == RateEncoding::CodePage936;
    return encoding;
}

}  // namespace rates
