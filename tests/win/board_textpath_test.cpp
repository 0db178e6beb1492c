// Text into the board's paths under Wine: which part goes where, at which
// size, in which family, measured in the text family; and that the outlines
// really land in the paths.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "BoardTestSupport.h"

using boardtest::Outline;
using boardtest::SharedSettings;
using boardtest::TestBoard;

namespace {

class TextPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        board.LoadFamilies();
        ASSERT_TRUE(board.m_pTextFamily);
        ASSERT_TRUE(board.m_pTextFamily->IsAvailable());
        ASSERT_TRUE(board.m_digitFamily.IsAvailable()) << "HelveticaDigit.otf beside the test program";
        board.m_margin = 45;
    }
    static Gdiplus::Size Bounds(int em, const char* text) { return g_core->getTextBounds(g_fontName, em, text); }
    const Gdiplus::FontFamily* TextFamily() { return board.m_pTextFamily.get(); }
    const Gdiplus::FontFamily* DigitFamily() { return &board.m_digitFamily; }

    // The outline GDI+ makes for text at (x, y) in the board's fixed way.
    static void AddReference(Gdiplus::GraphicsPath& path, const wchar_t* text, const Gdiplus::FontFamily* family,
                             int em, int x, int y) {
        Gdiplus::StringFormat format(0, LANG_NEUTRAL);
        ASSERT_EQ(path.AddString(text, -1, family, Gdiplus::FontStyleRegular, static_cast<Gdiplus::REAL>(em),
                                 Gdiplus::Rect(x, y, 0, 0), &format),
                  Gdiplus::Ok);
    }
    static void ExpectSamePath(Gdiplus::GraphicsPath& actual, Gdiplus::GraphicsPath& expected) {
        const INT n = expected.GetPointCount();
        ASSERT_GT(n, 0);
        ASSERT_EQ(actual.GetPointCount(), n);
        std::vector<Gdiplus::PointF> a(n), e(n);
        std::vector<BYTE> ta(n), te(n);
        actual.GetPathPoints(a.data(), n);
        expected.GetPathPoints(e.data(), n);
        actual.GetPathTypes(ta.data(), n);
        expected.GetPathTypes(te.data(), n);
        for (INT i = 0; i < n; ++i) {
            ASSERT_EQ(a[i].X, e[i].X) << "point " << i;
            ASSERT_EQ(a[i].Y, e[i].Y) << "point " << i;
            ASSERT_EQ(ta[i], te[i]) << "point " << i;
        }
    }

    SharedSettings settings{1600, 900};
    TestBoard board;
};

}  // namespace

TEST_F(TextPathTest, UnitAfterSlashIsSmallerSharesTheBottomAndThePairIsCentred) {
    board.AddLabelText(board.m_textPath, "标准价/元", 45, 517, 240, 35);
    ASSERT_EQ(board.outlines.size(), 2u);
    const Outline& main = board.outlines[0];
    const Outline& unit = board.outlines[1];
    const Gdiplus::Size b0 = Bounds(35, "标准价");
    const Gdiplus::Size b1 = Bounds(21, "/元");
    ASSERT_GT(b0.Width, 60);
    ASSERT_GT(b0.Height, b1.Height);

    EXPECT_EQ(main.text, L"标准价");
    EXPECT_EQ(main.family, TextFamily());
    EXPECT_EQ(main.emSize, 35);
    EXPECT_EQ(main.y, 240);
    EXPECT_FALSE(main.toDigitPath);
    EXPECT_EQ(unit.text, L"/元");
    EXPECT_EQ(unit.family, TextFamily());
    EXPECT_EQ(unit.emSize, 21);  // trunc(35 x 0.6)
    EXPECT_FALSE(unit.toDigitPath);

    const double half = (517 - (b0.Width + b1.Width)) * 0.5;
    EXPECT_EQ(main.x, static_cast<int>(45 + half));
    EXPECT_EQ(unit.x, static_cast<int>(b0.Width * 1.059999942779541 + 45 + half));
    EXPECT_EQ(unit.y + b1.Height, main.y + b0.Height);  // same bottom
    // Centred as a pair: the slack left and right differ by at most a pixel.
    const int right = 45 + 517 - (main.x + b0.Width + b1.Width);
    EXPECT_LE(std::abs((main.x - 45) - right), 1);

    // And the outlines are in the chosen path, nowhere else.
    Gdiplus::GraphicsPath expected(Gdiplus::FillModeAlternate);
    AddReference(expected, L"标准价", TextFamily(), 35, main.x, 240);
    AddReference(expected, L"/元", TextFamily(), 21, unit.x, unit.y);
    ExpectSamePath(board.m_textPath, expected);
    EXPECT_EQ(board.m_digitPath.GetPointCount(), 0);
}

TEST_F(TextPathTest, CaretPutsDigitsInTheDigitFamilyAndTheUnitAfterASpace) {
    board.AddLabelText(board.m_textPath, "25^℃", 607, 512, 600, 40);
    ASSERT_EQ(board.outlines.size(), 2u);
    EXPECT_EQ(board.outlines[0].text, L"25");
    EXPECT_EQ(board.outlines[0].family, DigitFamily());
    EXPECT_EQ(board.outlines[0].emSize, 40);
    EXPECT_EQ(board.outlines[1].text, L" ℃");
    EXPECT_EQ(board.outlines[1].family, TextFamily());
    EXPECT_EQ(board.outlines[1].emSize, 24);
    const Gdiplus::Size b0 = Bounds(40, "25");
    const Gdiplus::Size b1 = Bounds(24, " ℃");
    EXPECT_EQ(board.outlines[0].x, static_cast<int>(607 + (512 - (b0.Width + b1.Width)) * 0.5));
    EXPECT_EQ(board.outlines[1].y + b1.Height, 600 + b0.Height);

    // Slash and caret: split at the caret only, the slash stays with the digits.
    board.outlines.clear();
    board.AddLabelText(board.m_digitPath, "12/15^℃", 0, 400, 0, 30);
    ASSERT_EQ(board.outlines.size(), 2u);
    EXPECT_EQ(board.outlines[0].text, L"12/15");
    EXPECT_EQ(board.outlines[0].family, DigitFamily());
    EXPECT_TRUE(board.outlines[0].toDigitPath);
    EXPECT_EQ(board.outlines[1].text, L" ℃");
    EXPECT_TRUE(board.outlines[1].toDigitPath);
    for (const Outline& o : board.outlines) EXPECT_EQ(o.text.find(L'^'), std::wstring::npos);
}

TEST_F(TextPathTest, PlainLabelIsDrawnWholeAndCentred) {
    board.AddLabelText(board.m_textPath, "商务大床房", 100, 300, 50, 35);
    ASSERT_EQ(board.outlines.size(), 1u);
    EXPECT_EQ(board.outlines[0].text, L"商务大床房");
    EXPECT_EQ(board.outlines[0].x, static_cast<int>(100 + (300 - Bounds(35, "商务大床房").Width) * 0.5));
    EXPECT_EQ(board.outlines[0].y, 50);

    // Wider than its column: starts left of it, nothing clipped.
    board.outlines.clear();
    board.AddLabelText(board.m_textPath, "商务大床房", 100, 20, 50, 35);
    ASSERT_EQ(board.outlines.size(), 1u);
    EXPECT_LT(board.outlines[0].x, 100);
}

TEST_F(TextPathTest, DigitTextWorkedExampleAndEnlargement) {
    // A clock with "*" on a 1600-wide board: 59 x 1.5 = 88.5, drawn at 88 without the mark.
    board.AddDigitText("12:34*", 607, 512, 405, TRUE);
    ASSERT_EQ(board.outlines.size(), 1u);
    const Outline clock = board.outlines[0];
    EXPECT_EQ(clock.text, L"12:34");
    EXPECT_EQ(clock.emSize, 88);
    EXPECT_EQ(clock.family, DigitFamily());
    EXPECT_TRUE(clock.toDigitPath);
    const int wt = Bounds(88, "12:34").Width;
    ASSERT_GT(wt, 100);
    EXPECT_EQ(clock.x, static_cast<int>(607 + (512 - wt) * 0.5 - 9.0000001341104507));
    EXPECT_EQ(clock.y, 398);  // trunc(405 - 6.7500003)

    // Several marks anywhere: all removed, size x 1.5 once.
    board.outlines.clear();
    board.AddDigitText("*1*2**", 0, 100, 0, TRUE);
    ASSERT_EQ(board.outlines.size(), 1u);
    EXPECT_EQ(board.outlines[0].text, L"12");
    EXPECT_EQ(board.outlines[0].emSize, 88);

    // Not large: the medium size, no mark, no enlargement.
    board.outlines.clear();
    board.AddDigitText("368", 0, 100, 0, FALSE);
    ASSERT_EQ(board.outlines.size(), 1u);
    EXPECT_EQ(board.outlines[0].emSize, g_textSizeMedium);
    EXPECT_EQ(g_textSizeMedium, 42);

    // The clock's outline, alone in the path, is exactly GDI+'s for that placement.
    const int clockX = clock.x, clockY = clock.y;
    board.m_digitPath.Reset();
    board.AddDigitText("12:34*", 607, 512, 405, TRUE);
    Gdiplus::GraphicsPath expected(Gdiplus::FillModeAlternate);
    AddReference(expected, L"12:34", DigitFamily(), 88, clockX, clockY);
    ExpectSamePath(board.m_digitPath, expected);
}

TEST_F(TextPathTest, DigitStringWithCharactersTheDigitFontLacksUsesTheTextFamily) {
    board.AddDigitText("面议", 45, 200, 300, FALSE);
    ASSERT_EQ(board.outlines.size(), 1u);
    EXPECT_EQ(board.outlines[0].family, TextFamily());
    EXPECT_TRUE(board.outlines[0].toDigitPath);  // still the digit colour
    // Measured the same way as any digit string.
    EXPECT_EQ(board.outlines[0].x, static_cast<int>(45 + (200 - Bounds(42, "面议").Width) * 0.5 - 9.0000001341104507));

    Gdiplus::GraphicsPath expected(Gdiplus::FillModeAlternate);
    AddReference(expected, L"面议", TextFamily(), 42, board.outlines[0].x, board.outlines[0].y);
    ExpectSamePath(board.m_digitPath, expected);
    // In the digit font the same string is two missing-glyph boxes: a different outline.
    Gdiplus::GraphicsPath boxes(Gdiplus::FillModeAlternate);
    AddReference(boxes, L"面议", DigitFamily(), 42, board.outlines[0].x, board.outlines[0].y);
    EXPECT_NE(boxes.GetPointCount(), expected.GetPointCount());

    // A mixed string falls back whole; signs the digit font has do not.
    board.outlines.clear();
    board.AddDigitText("888元", 0, 100, 0, FALSE);
    board.AddDigitText("-3°", 0, 100, 0, FALSE);
    board.AddLabelText(board.m_textPath, "约^元", 0, 100, 0, 30);
    ASSERT_EQ(board.outlines.size(), 4u);
    EXPECT_EQ(board.outlines[0].family, TextFamily());
    EXPECT_EQ(board.outlines[1].family, DigitFamily());
    EXPECT_EQ(board.outlines[2].text, L"约");
    EXPECT_EQ(board.outlines[2].family, TextFamily());
}

TEST_F(TextPathTest, EmptyAndMissingPiecesAddNothing) {
    board.AddLabelText(board.m_textPath, "", 0, 100, 0, 30);
    board.AddDigitText("*", 0, 100, 0, TRUE);
    board.AddLabelText(board.m_textPath, "^", 0, 100, 0, 30);
    EXPECT_EQ(board.m_textPath.GetPointCount(), 0);
    EXPECT_EQ(board.m_digitPath.GetPointCount(), 0);
    // Without a core there is nothing to measure with: nothing is added, nothing crashes.
    g_core = nullptr;
    board.AddDigitText("12", 0, 100, 0, TRUE);
    board.AddLabelText(board.m_textPath, "A/B", 0, 100, 0, 30);
    EXPECT_EQ(board.m_textPath.GetPointCount() + board.m_digitPath.GetPointCount(), 0);
}
