// The rate files' line format on awkward files: which lines become records,
// how fields fill their 21-byte slots, and which files are read as UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/RateParser.h"

namespace {

// The records of a file as "field0|field1|field2" each, fed in pieces of
// `piece` bytes; also checks that nothing but records is left in the table.
std::vector<std::string> Records(const std::string& file, std::size_t piece = 0) {
    std::vector<char> table(RATE_BUFFER_SIZE, '\x55');  // stale garbage must go
    rates::RateParser parser(table.data());
    if (piece == 0) piece = file.size() + 1;
    for (std::size_t at = 0; at < file.size(); at += piece) parser.Feed(file.data() + at, std::min(piece, file.size() - at));
    const int count = parser.Finish();
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) {
        std::string row;
        for (int k = 0; k < RATE_FIELD_COUNT; ++k) {
            const char* slot = rates::RateField(table.data(), i, k);
            row += (k ? "|" : "") + std::string(slot);
            for (std::size_t b = std::string(slot).size(); b < RATE_FIELD_SIZE; ++b) EXPECT_EQ(slot[b], 0) << row;
        }
        out.push_back(row);
    }
    for (std::size_t b = static_cast<std::size_t>(count) * RATE_RECORD_SIZE; b < table.size(); ++b) EXPECT_EQ(table[b], 0);
    return out;
}

using Rows = std::vector<std::string>;

}  // namespace

TEST(RateFile, AwkwardFiles) {
    struct Case { const char* what; std::string file; Rows records; };
    const Case cases[] = {
        {"comments, empty lines, last line without end",
         "; 房型|门市价|今日价\r\n\r\n标准间|388|*268\r\n\n豪华套房/含早|988|688\r\n备注;不是数据|1|2\r\n行政间|588|",
         {"标准间|388|*268", "豪华套房/含早|988|688", "行政间|588|"}},
        {"fields as they stand, a fourth ignored, missing ones empty",
         "  美元 | 100|718.25 \n欧元|100|781.50|备注\n日元\n|only|\n", {"  美元 | 100|718.25 ", "欧元|100|781.50", "日元||", "|only|"}},
        {"line ends as in text mode", "a|1|2\r\nb|3|4\nc|5\r|6\r\r\nd|7|8\r", {"a|1|2", "b|3|4", "c|5\r|6\r", "d|7|8\r"}},
        {"Ctrl-Z ends the text", std::string("a|1|2\r\n\x1a" "b|3|4\r\n"), {"a|1|2"}},
        {"a NUL ends a field's text", std::string("ab\0cd|1|2\n", 10), {"ab|1|2"}},
        {"20 bytes kept, a double-byte character never split",
         "一二三四五六七八九十|1234567890123456789012|a一二三四五六七八九十\n",
         {"一二三四五六七八九十|12345678901234567890|a一二三四五六七八九"}},
        // 東 is 0x96 0x7C in code page 936: its second byte is "|".
        {"a \"|\" inside a double-byte character", "東方|388|268\n億元|1|2\n", {"東方|388|268", "億元|1|2"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Records(c.file), c.records) << c.what;
        EXPECT_EQ(Records(c.file, 1), c.records) << c.what << ", fed byte by byte";
    }
}

TEST(RateFile, AtMostAHundredRecords) {
    std::string file;
    for (int i = 0; i < 150; ++i) file += "房" + std::to_string(i) + "|1|2\n";
    const Rows records = Records(file);
    ASSERT_EQ(records.size(), 100u);
    EXPECT_EQ(records.back(), "房99|1|2");
}

TEST(RateFile, LineNotesForBoardcheck) {
    std::vector<rates::LineNote> notes;
    std::vector<char> table(RATE_BUFFER_SIZE);
    rates::RateParser parser(table.data(), [&](const rates::LineNote& n) { notes.push_back(n); });
    const std::string file = "; 注释\n\n一二三四五六七八九十一|1|2\n";
    parser.Feed(file.data(), file.size());
    EXPECT_EQ(parser.Finish(), 1);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].kind, rates::LineKind::Comment);
    EXPECT_EQ(notes[1].kind, rates::LineKind::Empty);
    EXPECT_EQ(notes[2].kind, rates::LineKind::Record);
    EXPECT_EQ(notes[2].line, 3);
    EXPECT_EQ(std::make_pair(notes[2].kept[0], notes[2].length[0]), std::make_pair(20, std::size_t{22}));
}

TEST(RateFile, WhichFilesAreUtf8) {
    struct Case { std::string bytes; bool utf8; };
    const Case cases[] = {
        {"\xEF\xBB\xBF" "a|1|2\n", true},                                 // byte-order mark
        {"\xE6\xA0\x87\xE5\x87\x86\xE9\x97\xB4|388|298\n", true},          // 标准间 in UTF-8
        {"a|1|2\n", false},                                               // ASCII: the same either way
        {"\xB1\xEA\xD7\xBC\xBC\xE4|388|298\n", false},                    // 标准间 in code page 936
        {"\xC3\xA9t\xE9|1|2\n", false},   // valid UTF-8 in places (é) but not as a whole
        {"\xC0\xAF|1|2\n", false},        // an overlong form
        {"\xED\xA0\x80|1|2\n", false},    // a UTF-16 surrogate
        {"\xE6\xA0|1|2\n", false},        // a character cut short
    };
    for (const Case& c : cases) {
        for (std::size_t piece : {c.bytes.size(), std::size_t{1}}) {
            rates::Utf8Sniffer sniffer;
            for (std::size_t at = 0; at < c.bytes.size(); at += piece) sniffer.Feed(c.bytes.data() + at, std::min(piece, c.bytes.size() - at));
            EXPECT_EQ(sniffer.IsUtf8(), c.utf8) << c.bytes << " in pieces of " << piece;
        }
    }
}
