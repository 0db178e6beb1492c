// libFuzzer target: the rate file parser and the weather scraper against any
// bytes. The first byte picks the parser; whatever comes, the table keeps its
// shape and a record keeps its fields (9, or 12 ending in the next-day mark),
// none longer than two bounded values and their joining text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "data/RateParser.h"
#include "data/RateText.h"
#include "data/WeatherScraper.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1) {
        std::vector<char> table(RATE_BUFFER_SIZE, '\x55');
        rates::RateParser parser(table.data());
        parser.Feed(input.data(), input.size() / 2);
        parser.Feed(input.data() + input.size() / 2, input.size() - input.size() / 2);
        const int count = parser.Finish();
        if (count < 0 || count > MAX_RATE_ROWS) std::abort();
        for (int i = 0; i < count * RATE_FIELD_COUNT; ++i) {
            if (table[static_cast<std::size_t>(i) * RATE_FIELD_SIZE + RATE_FIELD_SIZE - 1] != 0) std::abort();
        }
        for (std::size_t b = static_cast<std::size_t>(count) * RATE_RECORD_SIZE; b < table.size(); ++b) {
            if (table[b] != 0) std::abort();
        }
        // The same bytes as a file in whatever encoding they look like; each
        // code unit's low byte stands in for code page 936.
        rates::RateTextReader reader([](const char16_t* text, std::size_t n) { return std::string(text, text + n); }, true);
        reader.Feed(input.data(), input.size() / 3);
        reader.Feed(input.data() + input.size() / 3, input.size() - input.size() / 3);
        reader.Finish();
        if (reader.Count() < 0 || reader.Count() > MAX_RATE_ROWS) std::abort();
        return 0;
    }
    const auto record = weather::ScrapeRecord(CString(input));
    weather::CheckMarkers(CString(input));
    if (!record) return 0;
    int fields = 1, length = 0;
    for (int i = 0; i < record->GetLength(); ++i) {
        const bool comma = (*record)[i] == ',';
        fields += comma;
        length = comma ? 0 : length + 1;
        if (length > 2 * weather::kMaxValueBytes + 8) std::abort();
    }
    // A value's own commas are written full-width: the fields never move.
    if (fields != 9 && fields != 12) std::abort();
    return 0;
}
