// The rate file line format: which lines become records, how fields fill the
// 21-byte slots, and what the report says about the rest.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "data/RateParser.h"

using rates::ParseRateText;
using rates::ParseReport;
using rates::RateField;
using rates::SkipReason;

namespace {

struct Table {
    std::vector<char> bytes = std::vector<char>(RATE_BUFFER_SIZE, '\x55');  // stale garbage
    int count = -1;
    ParseReport report;

    explicit Table(const std::string& text) { count = ParseRateText(text.data(), text.size(), bytes.data(), &report); }
    std::string Field(int record, int field) const { return RateField(bytes.data(), record, field); }
    // The slot's 21 bytes as they are, terminator and padding included.
    std::string Slot(int record, int field) const {
        return std::string(RateField(bytes.data(), record, field), RATE_FIELD_SIZE);
    }
    bool ZeroFrom(int record) const {
        for (int i = record * RATE_RECORD_SIZE; i < RATE_BUFFER_SIZE; ++i) {
            if (bytes[static_cast<size_t>(i)] != 0) return false;
        }
        return true;
    }
};

std::string Padded(const std::string& text) { return text + std::string(RATE_FIELD_SIZE - text.size(), '\0'); }

}  // namespace

TEST(RateParser, CommentsAndEmptyLinesAreSkippedAndRecordsStayContiguous) {
    Table t("; 房型|门市价|今日价\r\n"
            "\r\n"
            "标准间|388|*268\r\n"
            "\n"
            "\n"
            "豪华套房/含早|988|688\r\n"
            "备注：以下价格含税;不是数据|1|2\r\n"
            "行政间|588|");
    ASSERT_EQ(t.count, 3);
    EXPECT_EQ(t.Field(0, 0), "标准间");
    EXPECT_EQ(t.Field(0, 1), "388");
    EXPECT_EQ(t.Field(0, 2), "*268");
    EXPECT_EQ(t.Field(1, 0), "豪华套房/含早");
    EXPECT_EQ(t.Field(2, 0), "行政间");
    EXPECT_EQ(t.Field(2, 2), "");
    EXPECT_TRUE(t.ZeroFrom(3));
    EXPECT_EQ(t.report.lines, 8);
    EXPECT_EQ(t.report.recordLines, (std::vector<int>{3, 6, 8}));
    ASSERT_EQ(t.report.skipped.size(), 5u);
    EXPECT_EQ(t.report.skipped[0].line, 1);
    EXPECT_EQ(t.report.skipped[0].reason, SkipReason::Comment);
    EXPECT_EQ(t.report.skipped[1].line, 2);
    EXPECT_EQ(t.report.skipped[1].reason, SkipReason::Empty);
    EXPECT_EQ(t.report.skipped[4].line, 7);
    EXPECT_EQ(t.report.skipped[4].reason, SkipReason::Comment);
    EXPECT_TRUE(t.report.cut.empty());
}

TEST(RateParser, SlotsAreZeroPaddedAndFieldsTakenAsTheyStand) {
    Table t("  美元 | 100|718.25 \r\n");
    ASSERT_EQ(t.count, 1);
    EXPECT_EQ(t.Slot(0, 0), Padded("  美元 "));
    EXPECT_EQ(t.Slot(0, 1), Padded(" 100"));
    EXPECT_EQ(t.Slot(0, 2), Padded("718.25 "));
}

TEST(RateParser, FourthFieldOnIsIgnoredAndMissingFieldsAreEmpty) {
    Table t("欧元|100|781.50|备注|更多\n日元\n|only|\n");
    ASSERT_EQ(t.count, 3);
    EXPECT_EQ(t.Slot(0, 2), Padded("781.50"));
    EXPECT_EQ(t.Field(1, 0), "日元");
    EXPECT_EQ(t.Slot(1, 1), Padded(""));
    EXPECT_EQ(t.Slot(1, 2), Padded(""));
    EXPECT_EQ(t.Field(2, 0), "");
    EXPECT_EQ(t.Field(2, 1), "only");
    EXPECT_EQ(t.Field(2, 2), "");
}

TEST(RateParser, LineEndsAsInTextMode) {
    // CR LF and LF end lines; a CR elsewhere is text; the last line needs no end.
    Table t("a|1|2\r\nb|3|4\nc|5\r|6\r\r\nd|7|8\r");
    ASSERT_EQ(t.count, 4);
    EXPECT_EQ(t.Field(0, 2), "2");
    EXPECT_EQ(t.Field(1, 2), "4");
    EXPECT_EQ(t.Field(2, 1), "5\r");
    EXPECT_EQ(t.Field(2, 2), "6\r");
    EXPECT_EQ(t.Field(3, 2), "8\r");
}

TEST(RateParser, CrLfSplitAcrossPiecesIsStillOneLineEnd) {
    const std::string text = "a|1|2\r\nb|3|4\r\n";
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        std::vector<char> table(RATE_BUFFER_SIZE);
        ParseReport report;
        rates::RateParser parser(table.data(), &report);
        parser.Feed(text.data(), cut);
        parser.Feed(text.data() + cut, text.size() - cut);
        ASSERT_EQ(parser.Finish(), 2) << cut;
        EXPECT_STREQ(RateField(table.data(), 0, 2), "2") << cut;
        EXPECT_STREQ(RateField(table.data(), 1, 2), "4") << cut;
        EXPECT_EQ(report.lines, 2) << cut;
    }
}

TEST(RateParser, CtrlZEndsTheText) {
    Table t("a|1|2\r\n\x1a" "b|3|4\r\n");
    EXPECT_EQ(t.count, 1);
    EXPECT_EQ(t.report.endMarker, 7u);
    Table mid("a|1|2\x1a" "junk\r\n");
    ASSERT_EQ(mid.count, 1);
    EXPECT_EQ(mid.Field(0, 2), "2");
    Table none("a|1|2\r\n");
    EXPECT_EQ(none.report.endMarker, std::string::npos);
}

TEST(RateParser, OnlyTheFirstHundredRowsAreKept) {
    std::string text = "; 101 rows\n";
    for (int i = 0; i < 101; ++i) text += "R" + std::to_string(i) + "|" + std::to_string(100 + i) + "|1\r\n\r\n";
    Table t(text);
    ASSERT_EQ(t.count, MAX_RATE_ROWS);
    EXPECT_EQ(t.Field(0, 0), "R0");
    EXPECT_EQ(t.Field(99, 0), "R99");
    EXPECT_EQ(t.Field(99, 1), "199");
    EXPECT_TRUE(t.ZeroFrom(MAX_RATE_ROWS));
    // The row read on after the table is full is reported; lines are still counted.
    std::vector<rates::SkippedLine> dropped;
    for (const rates::SkippedLine& s : t.report.skipped) {
        if (s.reason == SkipReason::TableFull) dropped.push_back(s);
    }
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0].line, 2 + 2 * 100);
    EXPECT_EQ(text.substr(dropped[0].offset, dropped[0].length), "R100|200|1");
    EXPECT_EQ(t.report.lines, 1 + 2 * 101);
    EXPECT_EQ(t.report.count, MAX_RATE_ROWS);
}

TEST(RateParser, LongFieldsAreCutWithoutSplittingADoubleByteCharacter) {
    // 21 ASCII bytes: cut at 20.
    Table a("ABCDEFGHIJKLMNOPQRSTU|1|2\n");
    EXPECT_EQ(a.Slot(0, 0), std::string("ABCDEFGHIJKLMNOPQRST") + '\0');
    // 19 ASCII bytes, then a double-byte character across the cut: cut at 19.
    Table b("ABCDEFGHIJKLMNOPQRS中|1|2\n");
    EXPECT_EQ(b.Slot(0, 0), std::string("ABCDEFGHIJKLMNOPQRS") + '\0' + '\0');
    // Ten double-byte characters fit exactly; the eleventh is dropped.
    Table c("一二三四五六七八九十百|1|2\n");
    EXPECT_EQ(c.Field(0, 0), "一二三四五六七八九十");
    // 40 bytes: one ASCII byte shifts every character by one, so the
    // character that would straddle bytes 19 and 20 is dropped whole.
    Table d("1一二三四五六七八九十百千万亿元角分厘毫2|x|y\n");
    EXPECT_EQ(d.Field(0, 0), "1一二三四五六七八九");
    EXPECT_EQ(std::strlen(RateField(d.bytes.data(), 0, 0)), 19u);
    // A field of exactly 20 bytes is whole even when it ends in a lead byte.
    Table e(std::string("ABCDEFGHIJKLMNOPQRS\xb0") + "|1|2\n");
    EXPECT_EQ(e.Field(0, 0), std::string("ABCDEFGHIJKLMNOPQRS\xb0"));
    EXPECT_TRUE(e.report.cut.empty());

    ASSERT_EQ(d.report.cut.size(), 1u);
    const rates::CutField& cut = d.report.cut[0];
    EXPECT_EQ(cut.line, 1);
    EXPECT_EQ(cut.record, 0);
    EXPECT_EQ(cut.field, 0);
    EXPECT_EQ(cut.offset, 0u);
    EXPECT_EQ(cut.length, 40u);
    EXPECT_EQ(cut.kept, 19);
    EXPECT_FALSE(cut.endedAtNul);
}

TEST(RateParser, KeptFieldLengthWalksFromTheStart) {
    // A trail byte that looks like a lead byte does not shift the walk:
    // "\xb0\xa1" is one character however its second byte reads.
    const std::string pairs = "\xb0\xa1\xb0\xa1\xb0\xa1\xb0\xa1\xb0\xa1\xb0\xa1\xb0\xa1\xb0\xa1\xb0\xa1\xb0\xa1\xb0\xa1";
    EXPECT_EQ(rates::KeptFieldLength(pairs.data(), pairs.size()), 20);
    const std::string odd = "a" + pairs;
    EXPECT_EQ(rates::KeptFieldLength(odd.data(), odd.size()), 19);
    EXPECT_EQ(rates::KeptFieldLength("", 0), 0);
    // 0x80 and 0xFF are not lead bytes.
    const std::string high(25, '\x80');
    EXPECT_EQ(rates::KeptFieldLength(high.data(), high.size()), 20);
    const std::string ff(25, '\xff');
    EXPECT_EQ(rates::KeptFieldLength(ff.data(), ff.size()), 20);
}

TEST(RateParser, NulEndsOnlyItsOwnField) {
    Table t(std::string("美\0元|1\0" "00|7\n", 13));
    ASSERT_EQ(t.count, 1);
    EXPECT_EQ(t.Slot(0, 0), Padded("美"));
    EXPECT_EQ(t.Slot(0, 1), Padded("1"));
    EXPECT_EQ(t.Field(0, 2), "7");
    ASSERT_EQ(t.report.cut.size(), 2u);
    EXPECT_TRUE(t.report.cut[0].endedAtNul);
    EXPECT_EQ(t.report.cut[0].field, 0);
    EXPECT_EQ(t.report.cut[0].length, 5u);
    EXPECT_EQ(t.report.cut[0].kept, 2);
    EXPECT_EQ(t.report.cut[1].field, 1);
    EXPECT_EQ(t.report.cut[1].offset, 6u);
}

TEST(RateParser, Utf8IsReadAsBytes) {
    // "美元|100|718.25" in UTF-8 with a byte-order mark, then without.
    const std::string usd = "\xef\xbb\xbf\xe7\xbe\x8e\xe5\x85\x83|100|718.25\r\n\xe6\x97\xa5\xe5\x85\x83|100|4.62\r\n";
    Table t(usd);
    ASSERT_EQ(t.count, 2);
    EXPECT_EQ(t.Field(0, 0), "\xef\xbb\xbf\xe7\xbe\x8e\xe5\x85\x83");
    EXPECT_EQ(t.Field(0, 2), "718.25");
    EXPECT_EQ(t.Field(1, 0), "\xe6\x97\xa5\xe5\x85\x83");
}

TEST(RateParser, OnlyCommentsOrNothingGiveNoRecordsAndAClearedTable) {
    for (const std::string& text : {std::string(), std::string("\r\n\r\n"), std::string("; a|b|c\n;\n"),
                                    std::string("\x1a" "a|b|c")}) {
        Table t(text);
        EXPECT_EQ(t.count, 0);
        EXPECT_TRUE(t.ZeroFrom(0));
    }
}

TEST(RateParser, ReparsingLeavesNoTraceOfEarlierRows) {
    std::vector<char> table(RATE_BUFFER_SIZE);
    const std::string full = "一|1|2\n二|3|4\n三|5|6\n";
    ASSERT_EQ(ParseRateText(full.data(), full.size(), table.data()), 3);
    const std::string fewer = "一|1|2\n";
    ASSERT_EQ(ParseRateText(fewer.data(), fewer.size(), table.data()), 1);
    for (int i = RATE_RECORD_SIZE; i < RATE_BUFFER_SIZE; ++i) ASSERT_EQ(table[static_cast<size_t>(i)], 0) << i;
}

TEST(RateParser, MegabyteLinesAreReadInOnePass) {
    // A line of 8 MB in one field, one of 8 MB of separators, one of 8 MB of
    // lead bytes; each is handled in linear time and then the next line is read.
    std::string text(8u << 20, 'x');
    text += "|1|2\n";
    text += std::string(8u << 20, '|') + "\n";
    text += std::string(8u << 20, '\xb0') + "\n";
    text += "后|3|4\n";
    const auto start = std::chrono::steady_clock::now();
    Table t(text);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(t.count, 4);
    EXPECT_EQ(t.Field(0, 0), std::string(20, 'x'));
    EXPECT_EQ(t.Field(1, 0), "");
    EXPECT_EQ(t.Field(2, 0), std::string(20, '\xb0'));
    EXPECT_EQ(t.Field(3, 0), "后");
    EXPECT_EQ(t.report.cut.size(), 2u);
    EXPECT_EQ(t.report.cut[0].length, 8u << 20);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count(), 10);
}

TEST(RateParser, SkipReasonsHaveNames) {
    EXPECT_STREQ(rates::SkipReasonText(SkipReason::Empty), "empty line");
    EXPECT_STREQ(rates::SkipReasonText(SkipReason::Comment), "comment");
    EXPECT_STREQ(rates::SkipReasonText(SkipReason::TableFull), "table full");
}
