// CString and the string contracts the board, the rate reader and the
// weather scraper stand on.
#include <gtest/gtest.h>

#include "core/ConfigText.h"
#include "core/StrUtil.h"
#include "framework/CString.h"

using strutil::Between;
using strutil::Field;

TEST(CString, FindReplaceRemoveAndSlices) {
    CString s("12:34*");
    EXPECT_EQ(s.Find('*'), 5);
    EXPECT_EQ(s.Find(':', 3), -1);
    EXPECT_EQ(s.Find("34"), 3);
    EXPECT_EQ(s.Find("", 6), 6);
    EXPECT_EQ(s.Find('x', 99), -1);
    EXPECT_EQ(s.Remove('*'), 1);
    EXPECT_EQ(s, "12:34");
    EXPECT_EQ(s.Replace(":", " "), 1);
    EXPECT_EQ(s, "12 34");
    CString t("a\nb\nc");
    EXPECT_EQ(t.Replace("\n", "\r\n"), 2);  // replacement text holds the pattern's tail
    EXPECT_EQ(t, "a\r\nb\r\nc");
    EXPECT_EQ(t.Replace("", "x"), 0);
    EXPECT_EQ(CString("abcdef").Mid(2, 3), "cde");
    EXPECT_EQ(CString("abc").Mid(5), "");
    EXPECT_EQ(CString("abc").Mid(-1, 2), "ab");
    EXPECT_EQ(CString("abc").Left(10), "abc");
    EXPECT_EQ(CString("abc").Right(2), "bc");
}

TEST(CString, FormatConcatenationAndBytes) {
    CString s;
    s.Format("%d-%02d %s", 2026, 7, "x");
    EXPECT_EQ(s, "2026-07 x");
    CString gbk("天气");
    EXPECT_EQ(gbk.GetLength(), 4) << "literals are code page 936: two bytes a character";
    EXPECT_EQ(static_cast<unsigned char>(gbk[0]), 0xCC);
    CString joined = gbk + "/" + CString("Loading");
    EXPECT_EQ(joined.GetLength(), 12);
    CString withNul("a\0b", 3);
    EXPECT_EQ(withNul.GetLength(), 3);
}

TEST(Field, SplitsAtTheSeparatorKeepingEmptyFields) {
    EXPECT_EQ(Field("a|b|c", '|', 0), "a");
    EXPECT_EQ(Field("a|b|c", '|', 2), "c");
    EXPECT_EQ(Field("a|b|c", '|', 3), "");
    EXPECT_EQ(Field("a||c", '|', 1), "");
    EXPECT_EQ(Field("a||c", '|', 2), "c");
    EXPECT_EQ(Field("whole", '|', 0), "whole");
    EXPECT_EQ(Field("whole", '|', 1), "");
    EXPECT_EQ(Field("", ',', 0), "");
    EXPECT_EQ(Field(",", ',', 0), "");
    EXPECT_EQ(Field(",", ',', 1), "");
    EXPECT_EQ(Field(",", ',', 2), "");
    EXPECT_EQ(Field("a,b", ',', -1), "");
    EXPECT_EQ(Field("3级/东南风", '/', 1), "东南风");
    EXPECT_EQ(Field("标准价/元", '/', 0), "标准价");
}

TEST(Between, CutsBetweenTheFirstStartAndTheNextEnd) {
    EXPECT_EQ(Between("<a>x</a>", "<a>", "</a>"), "x");
    EXPECT_EQ(Between("<a></a>", "<a>", "</a>"), "");
    EXPECT_EQ(Between("no markers", "<a>", "</a>"), "");
    EXPECT_EQ(Between("<a>unterminated", "<a>", "</a>"), "");
    // The end marker must begin after the start marker ends.
    EXPECT_EQ(Between("span>28<", "span>", "<"), "28");
    EXPECT_EQ(Between("\"x\"", "\"", "\""), "x");
    // Overlapping markers: "aba" start "ab", end "ba" → end searched after "ab".
    EXPECT_EQ(Between("abab", "ab", "ba"), "");
    EXPECT_EQ(Between("ab-ba", "ab", "ba"), "-");
    // Markers at the very start and the very end of the text.
    EXPECT_EQ(Between("[mid]", "[", "]"), "mid");
    EXPECT_EQ(Between("x]", "[", "]"), "");
    // Only the first start marker counts.
    EXPECT_EQ(Between("[1][2]", "[", "]"), "1");
    EXPECT_EQ(Between(">日出 06:21</span>", ">日出 ", "</span>"), "06:21");
}

TEST(WeekdayText, NamesEveryDay) {
    EXPECT_EQ(strutil::WeekdayText(0), "星期日");
    EXPECT_EQ(strutil::WeekdayText(1), "星期一");
    EXPECT_EQ(strutil::WeekdayText(6), "星期六");
    EXPECT_EQ(strutil::WeekdayText(7), "");
    EXPECT_EQ(strutil::IntText(-50), "-50");
}

TEST(ConfigText, IntegersParseStrictly) {
    using configtext::ParseInt;
    EXPECT_EQ(ParseInt("768"), 768);
    EXPECT_EQ(ParseInt(" -50 "), -50);
    EXPECT_EQ(ParseInt("+7"), 7);
    EXPECT_EQ(ParseInt("2147483647"), 2147483647);
    EXPECT_EQ(ParseInt("-2147483648"), -2147483647 - 1);
    EXPECT_FALSE(ParseInt("2147483648"));
    EXPECT_FALSE(ParseInt("99999999999999999999"));
    EXPECT_FALSE(ParseInt(""));
    EXPECT_FALSE(ParseInt("-"));
    EXPECT_FALSE(ParseInt("12px"));
    EXPECT_FALSE(ParseInt("\xB0\xD7"));
}

TEST(ConfigText, ColoursRoundTripAsArgbHex) {
    using configtext::FormatColour;
    using configtext::ParseColour;
    EXPECT_EQ(ParseColour("FF000080"), 0xFF000080u);
    EXPECT_EQ(ParseColour("#ffd700"), 0xFFFFD700u);
    EXPECT_EQ(ParseColour("0x80112233"), 0x80112233u);
    EXPECT_FALSE(ParseColour("FFGG0000"));
    EXPECT_FALSE(ParseColour("123"));
    EXPECT_EQ(FormatColour(0xFF0A0B0C), "FF0A0B0C");
    EXPECT_EQ(ParseColour(FormatColour(0x01020304)), 0x01020304u);
    for (const auto& d : configtext::kDefaults) {
        EXPECT_STREQ(configtext::DefaultText(d.key), d.text);
    }
    EXPECT_EQ(configtext::DefaultText("nonsense"), nullptr);
}
