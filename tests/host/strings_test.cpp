// The string contracts the board, the rate reader and the weather scraper
// stand on, and the values config.ini holds.
#include <gtest/gtest.h>

#include "core/ConfigText.h"
#include "core/StrUtil.h"
#include "data/HttpBody.h"

TEST(Strings, FieldsAndCuts) {
    using strutil::Between;
    using strutil::Field;
    struct Row { const char* text; char sep; int index; const char* want; };
    for (const Row& r : {Row{"a|b|c", '|', 2, "c"}, Row{"a|b|c", '|', 3, ""}, Row{"a||c", '|', 1, ""},
                         Row{"whole", '|', 0, "whole"}, Row{",", ',', 1, ""}, Row{"a,b", ',', -1, ""},
                         Row{"3级/东南风", '/', 1, "东南风"}}) {
        EXPECT_EQ(Field(r.text, r.sep, r.index), r.want) << r.text << " " << r.index;
    }
    EXPECT_EQ(Between("span>28<", "span>", "<"), "28");
    EXPECT_EQ(Between("abab", "ab", "ba"), "");  // the end begins after the start ends
    EXPECT_EQ(Between("[1][2]", "[", "]"), "1");
    EXPECT_EQ(Between("<a>unterminated", "<a>", "</a>"), "");
    EXPECT_EQ(strutil::WeekdayText(0), "星期日");
    EXPECT_EQ(strutil::WeekdayText(6), "星期六");
    EXPECT_EQ(CString("天气").GetLength(), 4) << "literals are code page 936";
}

TEST(Strings, DownloadBodies) {
    // A page read in pieces: LF becomes CR LF; a NUL byte stays data and
    // makes the page binary; a compressed answer is named as such.
    using httpbody::Kind;
    struct Row { const char* what; std::vector<std::string> reads; bool encoded; Kind kind; std::string text; };
    const Row rows[] = {
        {"text", {"a\r\nb\n", "c"}, false, Kind::Text, "a\r\r\nb\r\nc"},
        {"NUL", {"a\n", std::string("c\0d", 3), "e"}, false, Kind::Binary, std::string("a\r\nc\0de", 7)},
        {"gzip signature across two reads", {"\x1F", "\x8B\x08"}, false, Kind::Compressed, "\x1F\x8B\x08"},
        {"Content-Encoding", {"<html>"}, true, Kind::Compressed, "<html>"},
    };
    for (const Row& r : rows) {
        httpbody::Body body;
        for (const std::string& read : r.reads) EXPECT_TRUE(body.Append(read.data(), static_cast<int>(read.size())));
        EXPECT_EQ(body.Check(r.encoded), r.kind) << r.what;
        EXPECT_EQ(body.Text().str(), r.text) << r.what;
    }
    // 8 MiB is a page; one byte more is not, and no more is kept.
    const std::string block(httpbody::kMaxBytes, 'x');
    httpbody::Body body;
    EXPECT_TRUE(body.Append(block.data(), static_cast<int>(block.size())) && body.Check() == Kind::Text);
    EXPECT_FALSE(body.Append("y", 1));
    EXPECT_EQ(body.Check(), Kind::TooLarge);
    EXPECT_EQ(body.Text().GetLength(), httpbody::kMaxBytes);
}

TEST(Strings, ConfigValues) {
    using configtext::ParseColour;
    using configtext::ParseInt;
    EXPECT_EQ(ParseInt(" -50 "), -50);
    EXPECT_EQ(ParseInt("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"2147483648", "", "-", "12px", "\xB0\xD7"}) EXPECT_FALSE(ParseInt(bad)) << bad;
    EXPECT_EQ(ParseColour("FF000080"), 0xFF000080u);
    EXPECT_EQ(ParseColour("#ffd700"), 0xFFFFD700u);
    EXPECT_EQ(ParseColour("0x80112233"), 0x80112233u);
    for (const char* bad : {"FFGG0000", "123", ""}) EXPECT_FALSE(ParseColour(bad)) << bad;
    EXPECT_EQ(configtext::FormatColour(0x0A0B0C0D), "0A0B0C0D");
}
