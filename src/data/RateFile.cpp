#include "data/RateFile.h"

#include <cstring>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "framework/Text.h"

namespace {

constexpr DWORD kChunk = 64 * 1024;

// Reads the whole file in pieces through fn; false on a read error.
template <typename Fn>
bool ForEachChunk(HANDLE file, std::vector<char>& chunk, Fn&& fn) {
    if (::SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, chunk.data(), kChunk, &got, nullptr)) return false;
        if (got == 0) return true;
        fn(chunk.data(), static_cast<std::size_t>(got));
    }
}

// UTF-8 pieces to code page 936 bytes. A character cut in two by a piece's
// end waits for the next piece.
class Utf8To936 {
public:
    explicit Utf8To936(rates::RateParser& parser) : m_parser(parser) {}

    void Feed(const char* data, std::size_t size) {
        m_pending.append(data, size);
        std::size_t whole = m_pending.size();
        // Back up over a sequence that has not ended yet (at most 3 bytes).
        for (std::size_t back = 1; back <= 3 && back <= m_pending.size(); ++back) {
            const unsigned char b = static_cast<unsigned char>(m_pending[m_pending.size() - back]);
            if ((b & 0xC0) == 0x80) continue;  // a continuation byte: look further back
            const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
            if (length > back) whole = m_pending.size() - back;
            break;
        }
        Convert(m_pending.data(), whole);
        m_pending.erase(0, whole);
    }
    void Finish() {
        Convert(m_pending.data(), m_pending.size());
        m_pending.clear();
    }

private:
    void Convert(const char* data, std::size_t size) {
        if (size == 0) return;
        const int n = static_cast<int>(size);
        const int wide = ::MultiByteToWideChar(CP_UTF8, 0, data, n, nullptr, 0);
        if (wide <= 0) return;
        std::wstring text(static_cast<std::size_t>(wide), L'\0');
        ::MultiByteToWideChar(CP_UTF8, 0, data, n, &text[0], wide);
        const CString bytes = Narrow(text);  // "?" for what code page 936 lacks
        m_parser.Feed(bytes.GetString(), static_cast<std::size_t>(bytes.GetLength()));
    }

    rates::RateParser& m_parser;
    std::string m_pending;
};

}  // namespace

int ReadRateFile(const CString& path, char* buffer, RateEncoding* encoding,
                 const rates::RateParser::Observer& observer) {
    if (encoding) *encoding = RateEncoding::Unread;
    if (!buffer) return 0;
    std::memset(buffer, 0, RATE_BUFFER_SIZE);
    // Shared for reading and writing, as a text-mode open is, so that an
    // editor holding the file open does not keep the board from reading it.
    const HANDLE opened = ::CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return 0;
    UniqueKernelHandle file(opened);

    // Two passes in pieces: a file of any size, or a line of many megabytes,
    // costs a fixed amount of memory. The first tells the encoding.
    std::vector<char> chunk(kChunk);
    rates::Utf8Sniffer sniffer;
    if (!ForEachChunk(file.get(), chunk, [&](const char* p, std::size_t n) { sniffer.Feed(p, n); })) return 0;
    const bool utf8 = sniffer.IsUtf8();

    rates::RateParser parser(buffer, observer);
    Utf8To936 converter(parser);
    std::size_t markLeft = sniffer.HasByteOrderMark() ? 3 : 0;
    const bool read = ForEachChunk(file.get(), chunk, [&](const char* p, std::size_t n) {
        if (!utf8) return parser.Feed(p, n);
        const std::size_t skip = markLeft < n ? markLeft : n;
        markLeft -= skip;
        converter.Feed(p + skip, n - skip);
    });
    if (!read) {
        // Half a table would look like a whole one: show none.
        std::memset(buffer, 0, RATE_BUFFER_SIZE);
        return 0;
    }
    if (utf8) converter.Finish();
    if (encoding) *encoding = utf8 ? RateEncoding::Utf8 : RateEncoding::CodePage936;
    return parser.Finish();
}
