// Where the board's strings go: label splitting, "*" enlargement, the centring
// formulas with their single-precision factors, the digit font's coverage and
// the sizes a render accepts.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "board/FrameSize.h"
#include "board/TextPlacement.h"

using textplace::LabelParts;
using textplace::SplitLabel;

TEST(SplitLabel, SlashGivesUnitWithItsSlash) {
    LabelParts p = SplitLabel("标准价/元");
    EXPECT_EQ(p.main, "标准价");
    EXPECT_EQ(p.suffix, "/元");
    EXPECT_FALSE(p.mainIsDigits);

    // Only the second field is the unit; a third is dropped.
    p = SplitLabel("A/B/C");
    EXPECT_EQ(p.main, "A");
    EXPECT_EQ(p.suffix, "/B");

    // A trailing slash has an empty unit: no suffix at all, and no stray "/".
    p = SplitLabel("豪华间/");
    EXPECT_EQ(p.main, "豪华间");
    EXPECT_TRUE(p.suffix.IsEmpty());

    p = SplitLabel("/晚");
    EXPECT_TRUE(p.main.IsEmpty());
    EXPECT_EQ(p.suffix, "/晚");
}

TEST(SplitLabel, CaretMarksDigitsAndUnitAfterASpace) {
    LabelParts p = SplitLabel("25^℃");
    EXPECT_EQ(p.main, "25");
    EXPECT_EQ(p.suffix, " ℃");
    EXPECT_TRUE(p.mainIsDigits);

    p = SplitLabel("-3^");
    EXPECT_EQ(p.main, "-3");
    EXPECT_TRUE(p.suffix.IsEmpty());
    EXPECT_TRUE(p.mainIsDigits);

    p = SplitLabel("1^2^3");
    EXPECT_EQ(p.main, "1");
    EXPECT_EQ(p.suffix, " 2");
}

TEST(SplitLabel, BothSeparatorsSplitAtTheCaretOnly) {
    LabelParts p = SplitLabel("12/15^℃");
    EXPECT_EQ(p.main, "12/15");
    EXPECT_EQ(p.suffix, " ℃");
    EXPECT_TRUE(p.mainIsDigits);

    p = SplitLabel("8^元/晚");
    EXPECT_EQ(p.main, "8");
    EXPECT_EQ(p.suffix, " 元/晚");
}

TEST(SplitLabel, PlainLabelIsWhole) {
    LabelParts p = SplitLabel("商务大床房");
    EXPECT_EQ(p.main, "商务大床房");
    EXPECT_TRUE(p.suffix.IsEmpty());
    EXPECT_FALSE(p.mainIsDigits);
    p = SplitLabel("");
    EXPECT_TRUE(p.main.IsEmpty());
    EXPECT_TRUE(p.suffix.IsEmpty());
}

TEST(SplitLabel, CaretInsideADoubleByteCharacterIsNoSeparator) {
    // 0x81 0x5E is one character of code page 936 whose second byte is "^".
    const std::string wide = "\x81\x5E";
    LabelParts p = SplitLabel(CString(wide + "\xB7\xBF"));  // that character, then "房"
    EXPECT_EQ(p.main.str(), wide + "\xB7\xBF");
    EXPECT_FALSE(p.mainIsDigits);
    // A real "^" after such a character still splits, and the character is kept whole.
    p = SplitLabel(CString(wide + "9^" + wide));
    EXPECT_EQ(p.main.str(), wide + "9");
    EXPECT_EQ(p.suffix.str(), " " + wide);
    EXPECT_TRUE(p.mainIsDigits);
    // A lone lead byte at the very end does not swallow anything past the text.
    p = SplitLabel(CString("5^\x81"));
    EXPECT_EQ(p.main, "5");
    EXPECT_EQ(p.suffix.str(), std::string(" \x81"));
}

TEST(EnlargeMarks, AllRemovedSizeTimesOnePointFiveOnce) {
    CString t("12:34*");
    EXPECT_TRUE(textplace::TakeEnlargeMarks(t));
    EXPECT_EQ(t, "12:34");
    CString many("*1*2**");
    EXPECT_TRUE(textplace::TakeEnlargeMarks(many));
    EXPECT_EQ(many, "12");
    CString none("888");
    EXPECT_FALSE(textplace::TakeEnlargeMarks(none));
    EXPECT_EQ(none, "888");

    EXPECT_EQ(textplace::EnlargedSize(59), 88);  // 88.5 truncated
    EXPECT_EQ(textplace::EnlargedSize(42), 63);
    EXPECT_EQ(textplace::EnlargedSize(71), 106);
    EXPECT_EQ(textplace::EnlargedSize(-3), -4);  // toward zero
}

TEST(SuffixSize, SixTenthsTruncated) {
    EXPECT_EQ(textplace::SuffixSize(35), 21);
    EXPECT_EQ(textplace::SuffixSize(59), 35);
    EXPECT_EQ(textplace::SuffixSize(42), 25);  // 25.2000001
    EXPECT_EQ(textplace::SuffixSize(5), 3);    // 3.0000001: the single-precision 0.6 is a bit above
    EXPECT_EQ(textplace::SuffixSize(0), 0);
}

TEST(DigitText, WorkedExampleTruncatesNotRounds) {
    // Margin 45, measured 100, column x 607 width 512: 607 + 206 - 9.0000001.
    EXPECT_EQ(textplace::DigitTextX(607, 512, 100, 45), 803);
    // 405 - 6.7500003
    EXPECT_EQ(textplace::DigitTextY(405, 45), 398);
    EXPECT_EQ(textplace::DigitTextY(0, 45), -6);  // toward zero, not -7
    // Odd slack: 10 + 0.5 - 0 stays 10.
    EXPECT_EQ(textplace::DigitTextX(10, 101, 100, 0), 10);
    // Margin 54 (a 1080-high board): 10.8 and 8.1.
    EXPECT_EQ(textplace::DigitTextX(0, 200, 100, 54), 39);
    EXPECT_EQ(textplace::DigitTextY(100, 54), 91);
}

TEST(DigitText, NarrowColumnStartsLeftOfIt) {
    EXPECT_EQ(textplace::DigitTextX(100, 50, 150, 0), 50);
    EXPECT_EQ(textplace::DigitTextX(0, 50, 150, 45), -59);  // -50 - 9.0000001, toward zero
    // Absurd figures stay inside int instead of overflowing.
    EXPECT_EQ(textplace::DigitTextX(INT_MAX, INT_MAX, 0, 0), INT_MAX);
    EXPECT_EQ(textplace::DigitTextX(INT_MIN, 0, INT_MAX, 0), INT_MIN);
}

TEST(PlaceLabel, PairCentredAsOneUnitSuffixOnTheSameBottom) {
    // Main 108 x 36, suffix 38 x 22 in a column at 45, 517 wide:
    // half = (517 - 146) / 2 = 185.5.
    textplace::LabelPlacement p = textplace::PlaceLabel(45, 517, 240, 108, 36, 38, 22);
    EXPECT_EQ(p.mainX, 230);                 // trunc(230.5)
    EXPECT_EQ(p.mainY, 240);
    EXPECT_EQ(p.suffixX, 344);               // trunc(114.4799938 + 230.5)
    EXPECT_EQ(p.suffixY, 254);               // 240 + 36 - 22
    EXPECT_EQ(p.suffixY + 22, p.mainY + 36); // same bottom

    // No suffix: measured width 0, centred on the main part alone.
    p = textplace::PlaceLabel(0, 100, 7, 40, 20, 0, 0);
    EXPECT_EQ(p.mainX, 30);
    EXPECT_EQ(p.mainY, 7);

    // Wider than its column: negative slack, starts left of x.
    p = textplace::PlaceLabel(100, 20, 0, 50, 10, 11, 6);
    EXPECT_EQ(p.mainX, 79);  // 100 - 20.5, toward zero
    EXPECT_EQ(p.suffixX, 132);  // 53.0000 + 79.5
}

TEST(DigitFontCovers, AsciiAndTheFewSignsOnly) {
    auto covers = [](const std::wstring& s) { return textplace::DigitFontCovers(s.c_str(), s.size()); };
    EXPECT_TRUE(covers(L"12:34"));
    EXPECT_TRUE(covers(L" !~ 0123456789.,-+/%$()"));
    EXPECT_TRUE(covers(L"-3\u00B0 \u00B1 \u00B7 \u00A5 \u00A0 \u2212"));
    EXPECT_TRUE(covers(L""));
    EXPECT_FALSE(covers(L"\u9762\u8BAE"));   // 面议
    EXPECT_FALSE(covers(L"888\u5143"));      // 888元
    EXPECT_FALSE(covers(L"\u2103"));          // ℃
    EXPECT_FALSE(covers(L"\uFFE5"));          // fullwidth yuan sign
    EXPECT_FALSE(covers(L"1\t2"));
    EXPECT_FALSE(covers(std::wstring(1, static_cast<wchar_t>(0x7F))));
    EXPECT_TRUE(textplace::DigitFontCovers(nullptr, 0));
}

TEST(FrameSize, ValidBoardsOnlyAndNoOverflow) {
    using framesize::Drawable;
    EXPECT_TRUE(Drawable(1920, 1080));
    EXPECT_TRUE(Drawable(1, 1));
    EXPECT_TRUE(Drawable(3840, 2160));
    EXPECT_TRUE(Drawable(8000, 3000));  // the largest size the dialog accepts
    EXPECT_FALSE(Drawable(0, 900));
    EXPECT_FALSE(Drawable(1600, 0));
    EXPECT_FALSE(Drawable(-1600, 900));
    EXPECT_FALSE(Drawable(9000, 4000));
    EXPECT_FALSE(Drawable(8001, 10));
    EXPECT_FALSE(Drawable(10, 3001));
    EXPECT_EQ(framesize::Extent(INT_MIN, INT_MAX), 4294967295LL);
    EXPECT_FALSE(Drawable(framesize::Extent(INT_MIN, INT_MAX), 10));
    EXPECT_EQ(framesize::Extent(100, 50), -50);
}
