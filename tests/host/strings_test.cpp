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

    // A page read in pieces: LF becomes CR LF, a piece ends at a NUL byte.
    CString body;
    httpbody::AppendChunk(body, "a\r\nb\n", 5);
    httpbody::AppendChunk(body, "c\0d", 3);
    EXPECT_EQ(body, "a\r\r\nb\r\nc");
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
