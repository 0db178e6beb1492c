// The rate files' line format on awkward files: which lines become records,
// how fields fill their 21-byte slots, and which encoding each file is read in.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <vector>

#include "data/RateParser.h"
#include "data/RateText.h"

namespace {

using Rows = std::vector<std::string>;

// The records of a filled table as "field0|field1|field2" each; also checks
// that nothing but records is left in the table.
Rows TableRows(const char* table, int count) {
    Rows out;
    for (int i = 0; i < count; ++i) {
        std::string row;
        for (int k = 0; k < RATE_FIELD_COUNT; ++k) {
            const char* slot = rates::RateField(table, i, k);
            row += (k ? "|" : "") + std::string(slot);
            for (std::size_t b = std::string(slot).size(); b < RATE_FIELD_SIZE; ++b) EXPECT_EQ(slot[b], 0) << row;
        }
        out.push_back(row);
    }
    for (int b = count * RATE_RECORD_SIZE; b < RATE_BUFFER_SIZE; ++b) EXPECT_EQ(table[b], 0);
    return out;
}

// Feeds a reader or parser the bytes in pieces of `piece` bytes (all at once for 0).
template <typename Reader>
void FeedInPieces(Reader& reader, const std::string& bytes, std::size_t piece) {
    if (piece == 0) piece = bytes.size() + 1;
    for (std::size_t at = 0; at < bytes.size(); at += piece) reader.Feed(bytes.data() + at, std::min(piece, bytes.size() - at));
}

// The records of a file fed to the line parser.
Rows Records(const std::string& file, std::size_t piece = 0) {
    std::vector<char> table(RATE_BUFFER_SIZE, '\x55');  // stale garbage must go
    rates::RateParser parser(table.data());
    FeedInPieces(parser, file, piece);
    return TableRows(table.data(), parser.Finish());
}

}  // namespace

TEST(RateFile, AwkwardFiles) {
    struct Case { const char* what; std::string file; Rows records; };
    const Case cases[] = {
        {"comments, empty lines, last line without end",
         "; 房型|门市价|今日价\r\n\r\n标准间|388|*268\r\n\n豪华套房/含早|988|688\r\n备注;不是数据|1|2\r\n行政间|588|",
         {"标准间|388|*268", "豪华套房/含早|988|688", "行政间|588|"}},
        {"fields as they stand, a fourth ignored, missing ones empty",
         "  美元 | 100|718.25 \n欧元|100|781.50|备注\n日元\n|only|\n", {"  美元 | 100|718.25 ", "欧元|100|781.50", "日元||", "|only|"}},
        {"CR LF, LF and a CR alone each end a line", "a|1|2\r\nb|3|4\nc|5\r|6\r\r\nd|7|8\r",
         {"a|1|2", "b|3|4", "c|5|", "|6|", "d|7|8"}},
        {"an old Mac editor's file", "; 房型\r标准间|388|268\r大床房|428|298\r", {"标准间|388|268", "大床房|428|298"}},
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
    const std::string file = "; 注释\r\n\r\n一二三四五六七八九十一|1|2\r\n";
    parser.Feed(file.data(), file.size());
    EXPECT_EQ(parser.Finish(), 1);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].kind, rates::LineKind::Comment);
    EXPECT_EQ(notes[1].kind, rates::LineKind::Empty);
    EXPECT_EQ(notes[2].kind, rates::LineKind::Record);
    EXPECT_EQ(notes[2].line, 3);
    EXPECT_EQ(std::make_pair(notes[2].kept[0], notes[2].length[0]), std::make_pair(20, std::size_t{22}));
}

namespace {

// glibc's GBK stands in here for the system's code page 936, one "?" for
// each character it lacks.
std::string To936(const char16_t* text, std::size_t length) {
    const iconv_t cd = iconv_open("GBK", "UTF-16LE");
    std::string out;
    for (std::size_t i = 0; i < length; ++i) {
        const std::size_t units = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < length ? 2 : 1;
        char in[4], converted[8];
        for (std::size_t k = 0; k < units; ++k) in[2 * k] = char(text[i + k] & 0xFF), in[2 * k + 1] = char(text[i + k] >> 8);
        char *from = in, *to = converted;
        std::size_t left = 2 * units, room = sizeof converted;
        out += iconv(cd, &from, &left, &to, &room) == std::size_t(-1) ? std::string("?") : std::string(converted, to);
        i += units - 1;
    }
    iconv_close(cd);
    return out;
}

// A file as Notepad saves it as "Unicode" (little endian) or big endian.
std::string Utf16(const std::u16string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : text) bytes += bigEndian ? std::string{char(u >> 8), char(u & 0xFF)} : std::string{char(u & 0xFF), char(u >> 8)};
    return bytes;
}

}  // namespace

TEST(RateFile, EveryEncodingNotepadWrites) {
    using E = RateEncoding;
    struct Case { const char* what; std::string bytes; E encoding; Rows records; };
    const Case cases[] = {
        // GBK that happens to be valid UTF-8 throughout: two-byte sequences only.
        {"GBK 欧元", "欧元|100|781.50", E::CodePage936, {"欧元|100|781.50"}},
        {"GBK 欧元 and an ASCII line", "欧元|100|781.50\r\nUSD|100|718.25\r\n", E::CodePage936, {"欧元|100|781.50", "USD|100|718.25"}},
        {"GBK 欧元 under a heading", "; 外币|金额|人民币\r\n欧元|100|781.50\r\n", E::CodePage936, {"欧元|100|781.50"}},
        {"GBK of common characters only", "楼路平千前全|1|2\n", E::CodePage936, {"楼路平千前全|1|2"}},
        {"GBK 标准间, not UTF-8 at all", "标准间|388|298\n", E::CodePage936, {"标准间|388|298"}},
        {"ASCII: the same either way", "USD|100|718.25\n", E::CodePage936, {"USD|100|718.25"}},
        {"UTF-8 in places only", "\xC3\xA9t\xE9t|1|2\n", E::CodePage936, {"\xC3\xA9t\xE9t|1|2"}},
        {"an overlong form", "\xC0\xAF|1|2\n", E::CodePage936, {"\xC0\xAF|1|2"}},
        {"a UTF-16 surrogate", "\xED\xA0\x80|1|2\n", E::CodePage936, {"\xED\xA0\x80|1|2"}},
        {"a character cut short", "\xE6\xA0|1|2\n", E::CodePage936, {"\xE6\xA0|1|2"}},
        {"UTF-8 with two-byte letters only: the rule's price", u8"Café|1|2\n", E::CodePage936, {"Caf\xC3\xA9|1|2"}},
        // UTF-8 without the mark: mostly three- and four-byte sequences.
        {"UTF-8 欧元", u8"欧元|100|781.50\nUSD|100|718.25", E::Utf8, {"欧元|100|781.50", "USD|100|718.25"}},
        {"UTF-8 €", u8"欧元€|100|781.50\n", E::Utf8, {"欧元\x80|100|781.50"}},
        {"UTF-8 € alone", u8"€|1|2\n", E::Utf8, {"\x80|1|2"}},
        {"UTF-8 with an emoji", u8"\U0001F600房|1|2\n", E::Utf8, {"?房|1|2"}},
        {"UTF-8, a character of the last plane", u8"\U0010FFFD房|1|2\n", E::Utf8, {"?房|1|2"}},
        {"UTF-8 Café beside Chinese, as many of each", u8"Café 茶|1|2\n", E::Utf8, {"Café 茶|1|2"}},
        {"UTF-8 with the mark, a record first", u8"\uFEFF标准间|388|268\n", E::Utf8, {"标准间|388|268"}},
        {"UTF-8 with the mark, ASCII only", u8"\uFEFFUSD|100|718.25", E::Utf8, {"USD|100|718.25"}},
        {"UTF-16 LE", Utf16(u"标准间|388|268\r\n欧元€|1|\U0001F600\r\n", false), E::Utf16LE, {"标准间|388|268", "欧元\x80|1|?"}},
        {"UTF-16 BE", Utf16(u"标准间|388|268\r\n欧元€|1|\U0001F600\r\n", true), E::Utf16BE, {"标准间|388|268", "欧元\x80|1|?"}},
        {"UTF-16: 20 bytes kept after the conversion", Utf16(u"abcdefghijklmnopqrstuvwxyz|1|2", false), E::Utf16LE,
         {"abcdefghijklmnopqrst|1|2"}},
        {"UTF-16, the mark alone", Utf16(u"", false), E::Utf16LE, {}},
    };
    for (const Case& c : cases) {
        for (std::size_t piece : {std::size_t{0}, std::size_t{1}}) {
            rates::RateTextReader reader(&To936, false);
            FeedInPieces(reader, c.bytes, piece);
            EXPECT_EQ(reader.Finish(), c.encoding) << c.what << ", in pieces of " << piece;
            EXPECT_EQ(TableRows(reader.Table(), reader.Count()), c.records) << c.what << ", in pieces of " << piece;
        }
    }
}
