// The rate file parser against any bytes: the table keeps its shape, and the
// records are those that a plain line-by-line reading gives.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "data/RateParser.h"

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "rate parser invariant broken: %s\n", what);
        std::abort();
    }
}

// The slower, obvious reading of the same format.
std::vector<std::vector<std::string>> Reference(const std::string& bytes) {
    std::string text = bytes.substr(0, bytes.find('\x1a'));
    std::vector<std::string> lines;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos) {
            lines.push_back(text.substr(begin));
            break;
        }
        std::string line = text.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        begin = end + 1;
    }
    std::vector<std::vector<std::string>> records;
    for (const std::string& line : lines) {
        if (line.empty() || line.find(';') != std::string::npos) continue;
        if (records.size() == MAX_RATE_ROWS) continue;
        std::vector<std::string> fields;
        size_t from = 0;
        for (int k = 0; k < RATE_FIELD_COUNT; ++k) {
            std::string field;
            if (from != std::string::npos && from <= line.size()) {
                size_t bar = line.find('|', from);
                field = line.substr(from, bar == std::string::npos ? std::string::npos : bar - from);
                from = bar == std::string::npos ? std::string::npos : bar + 1;
            }
            field = field.substr(0, field.find('\0'));
            // Whole characters, at most 20 bytes.
            size_t keep = 0;
            if (field.size() <= 20) {
                keep = field.size();
            } else {
                for (size_t i = 0;;) {
                    const unsigned char b = static_cast<unsigned char>(field[i]);
                    const size_t step = (b >= 0x81 && b <= 0xfe) ? 2 : 1;
                    if (i + step > 20) break;
                    i += step;
                    keep = i;
                }
            }
            fields.push_back(field.substr(0, keep));
        }
        records.push_back(fields);
    }
    return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    std::vector<char> table(RATE_BUFFER_SIZE, '\x5a');
    rates::ParseReport report;
    const int count = rates::ParseRateText(bytes, size, table.data(), &report);

    Check(count >= 0 && count <= MAX_RATE_ROWS, "count within 0..100");
    Check(report.count == count && static_cast<int>(report.recordLines.size()) == count, "report agrees");
    for (int r = 0; r < MAX_RATE_ROWS; ++r) {
        for (int k = 0; k < RATE_FIELD_COUNT; ++k) {
            const char* slot = rates::RateField(table.data(), r, k);
            const void* nul = std::memchr(slot, 0, RATE_FIELD_SIZE);
            Check(nul != nullptr, "slot terminated within 21 bytes");
            const size_t length = static_cast<size_t>(static_cast<const char*>(nul) - slot);
            for (size_t i = length; i < RATE_FIELD_SIZE; ++i) Check(slot[i] == 0, "zero after the terminator");
            if (r >= count) Check(length == 0, "records from the count on are zero");
        }
    }
    for (const rates::SkippedLine& s : report.skipped) {
        Check(s.offset + s.length <= size, "skipped line inside the input");
    }
    for (const rates::CutField& c : report.cut) {
        Check(c.record < count && c.kept <= 20 && c.offset + c.length <= size, "cut field inside the input");
    }

    const auto expected = Reference(std::string(bytes, size));
    Check(static_cast<int>(expected.size()) == count, "same number of records as a plain reading");
    for (int r = 0; r < count; ++r) {
        for (int k = 0; k < RATE_FIELD_COUNT; ++k) {
            Check(expected[static_cast<size_t>(r)][static_cast<size_t>(k)] == rates::RateField(table.data(), r, k),
                  "same fields as a plain reading");
        }
    }

    // Fed in two pieces split anywhere, the parser gives the same table.
    if (size > 0) {
        const size_t cut = data[0] % (size + 1);
        std::vector<char> again(RATE_BUFFER_SIZE, '\x33');
        rates::RateParser parser(again.data(), nullptr);
        parser.Feed(bytes, cut);
        parser.Feed(bytes + cut, size - cut);
        Check(parser.Finish() == count, "same count in pieces");
        Check(again == table, "same table in pieces");
    }
    return 0;
}
