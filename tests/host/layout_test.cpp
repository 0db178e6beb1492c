// The board's figures for worked examples, exactly as the single-precision
// rule gives them: 0.38f is 0.37999999..., so a 1600-pixel board has its left
// divider at 607, and every product is truncated toward zero, never rounded.
#include <gtest/gtest.h>

#include <climits>

#include "app/BoardPlacement.h"
#include "board/ClockWeatherPlan.h"
#include "board/FrameSize.h"
#include "board/RateLayout.h"
#include "board/Screens.h"
#include "board/TextPlacement.h"
#include "core/PictureCheck.h"

TEST(Layout, BoardTextSizesAndPlacement) {
    struct Row { int w, h, margin, left, right, header, panel, large, small, medium; };
    for (const Row& r : {Row{1600, 900, 45, 607, 1119, 197, 558, 59, 35, 42},
                         Row{1920, 1080, 54, 729, 1343, 237, 669, 71, 42, 50},
                         Row{768, 432, 21, 291, 537, 95, 267, 28, 16, 19},
                         Row{100, 100, 5, 37, 69, 21, 62, 3, 1, 1}}) {
        const layout::BoardLayout b = layout::ComputeBoardLayout(r.w, r.h);
        EXPECT_EQ((std::vector<int>{b.margin, b.xLeftDivider, b.xRightDivider, b.yHeaderRule, b.yPanelRule}),
                  (std::vector<int>{r.margin, r.left, r.right, r.header, r.panel})) << r.w;
        const layout::TextSizes t = layout::ComputeTextSizes(r.w);
        EXPECT_EQ((std::vector<int>{t.large, t.small, t.medium}), (std::vector<int>{r.large, r.small, r.medium})) << r.w;
    }
    int left = 0, top = 0;
    layout::DefaultBoardOrigin(1920, 1080, &left, &top);
    EXPECT_EQ(std::make_pair(left, top), std::make_pair(1152, 32));
    layout::DefaultBoardOrigin(1280, 1000, &left, &top);
    EXPECT_EQ(std::make_pair(left, top), std::make_pair(768, 29));  // 29.99999933, not 30

    // A size that failed validation still reaches the board: nothing overflows.
    const placement::Rect huge = screens::SecondScreenRect({}, {}, 1920, INT_MAX, INT_MAX);
    EXPECT_EQ(std::make_pair(huge.right, huge.bottom), std::make_pair(INT_MAX, INT_MAX));
    const placement::Rect low = placement::BoardRectAt(-100, -100, INT_MIN, -30);
    EXPECT_EQ(std::make_pair(low.right, low.bottom), std::make_pair(INT_MIN, -130));
    EXPECT_TRUE(framesize::Drawable(8000, 3000));
    EXPECT_FALSE(framesize::Drawable(8001, 10));
    EXPECT_FALSE(framesize::Drawable(framesize::Extent(INT_MIN, INT_MAX), 10));
    EXPECT_FALSE(framesize::Drawable(1600, 0));
}

TEST(Layout, RateTables) {
    struct Col { int left, right; };
    struct Row {
        int w, h, textHeight, headingY, firstRowY, pitch;
        Col room[3], fx[3], foreign, yuan;
    };
    const Row rows[] = {
        {1600, 900, 41, 147, 245, 82, {{0, 200}, {200, 400}, {400, 607}}, {{1119, 1253}, {1253, 1359}, {1359, 1600}},
         {1119, 1359}, {1359, 1599}},
        {1920, 1080, 50, 177, 297, 100, {{0, 240}, {240, 481}, {481, 729}}, {{1343, 1504}, {1504, 1631}, {1631, 1920}},
         {1343, 1631}, {1631, 1919}},
        {768, 432, 17, 71, 111, 34, {{0, 96}, {96, 192}, {192, 291}}, {{537, 601}, {601, 652}, {652, 768}},
         {537, 652}, {652, 767}},
    };
    auto same = [](const layout::Column& c, const Col& e) { return c.x == e.left && c.x + c.width == e.right; };
    for (const Row& r : rows) {
        const auto t = layout::ComputeRateTableLayout(layout::ComputeBoardLayout(r.w, r.h), r.w, r.textHeight);
        EXPECT_EQ((std::vector<int>{t.headingY, t.firstRowY, t.pitch, t.RowY(4)}),
                  (std::vector<int>{r.headingY, r.firstRowY, r.pitch, r.firstRowY + 4 * r.pitch})) << r.w;
        for (int k = 0; k < 3; ++k) {
            EXPECT_TRUE(same(t.room[k], r.room[k])) << r.w << " room column " << k;
            EXPECT_TRUE(same(t.fx[k], r.fx[k])) << r.w << " exchange column " << k;
        }
        EXPECT_TRUE(same(t.fxForeign, r.foreign) && same(t.fxYuan, r.yuan)) << r.w;
    }
}

TEST(Layout, ClockAndWeatherRows) {
    struct Row { int margin, panelRule, date, weekday, time, heading, labels, weather, temperature, wind, sun; };
    for (const Row& r : {Row{54, 669, 135, 243, 405, 615, 696, 750, 814, 878, 942},
                         Row{45, 558, 112, 202, 337, 513, 580, 625, 679, 733, 787},
                         Row{21, 267, 52, 94, 157, 246, 277, 298, 323, 348, 373}}) {
        const clockweather::Rows w = clockweather::ComputeRows(r.margin, r.panelRule);
        EXPECT_EQ((std::vector<int>{w.date, w.weekday, w.time, w.heading, w.labels, w.weather, w.temperature, w.wind,
                                    w.sun}),
                  (std::vector<int>{r.date, r.weekday, r.time, r.heading, r.labels, r.weather, r.temperature, r.wind,
                                    r.sun}))
            << r.margin;
    }
    EXPECT_EQ(clockweather::HalfWidth(1343 - 729), 307);
    EXPECT_EQ(clockweather::LabelSize(42), 33);  // 33.6000001
    EXPECT_EQ(clockweather::LabelSize(5), 4);
}

TEST(Layout, TextPlacement) {
    // Digit text: centred on its measured width, nudged by the margin.
    EXPECT_EQ(textplace::DigitTextX(607, 512, 100, 45), 803);  // 607 + 206 - 9.0000001
    EXPECT_EQ(textplace::DigitTextX(0, 50, 150, 45), -59);     // toward zero, not -60
    EXPECT_EQ(textplace::DigitTextX(INT_MAX, INT_MAX, 0, 0), INT_MAX);
    EXPECT_EQ(textplace::DigitTextY(405, 45), 398);            // 405 - 6.7500003
    EXPECT_EQ(textplace::DigitTextY(0, 45), -6);
    // A label and its suffix centred as one unit, sharing the bottom edge.
    const textplace::LabelPlacement p = textplace::PlaceLabel(45, 517, 240, 108, 36, 38, 22);
    EXPECT_EQ((std::vector<int>{p.mainX, p.mainY, p.suffixX, p.suffixY}), (std::vector<int>{230, 240, 344, 254}));
    const textplace::LabelPlacement wide = textplace::PlaceLabel(100, 20, 0, 50, 10, 11, 6);
    EXPECT_EQ(std::make_pair(wide.mainX, wide.suffixX), std::make_pair(79, 132));
    EXPECT_EQ(textplace::SuffixSize(42), 25);   // 25.2000001
    EXPECT_EQ(textplace::SuffixSize(5), 3);     // 0.6f is a little above 0.6
    EXPECT_EQ(textplace::EnlargedSize(59), 88);
    EXPECT_EQ(textplace::EnlargedSize(-3), -4);

    // Too wide for its cell: smaller in proportion to the overflow. Eight
    // full-width characters in a 307-pixel cell at 42 fit at 38 (304 pixels);
    // a main part of three and a suffix of four at 20 in 100 pixels fit at 18
    // (at 19 the suffix, 6 % after the main part, ends at 103).
    struct Fit { int width, em, mainChars, suffixChars, fitted; std::vector<int> measured; };
    for (const Fit& f : {Fit{307, 42, 7, 0, 42, {42}}, Fit{307, 42, 8, 0, 38, {42, 38}},
                         Fit{100, 20, 3, 4, 18, {20, 18}}, Fit{5, 3, 10, 0, 1, {3}}}) {
        std::vector<int> measured;
        const int fitted = textplace::FitLabelSize(f.width, f.em, [&](int em) {
            measured.push_back(em);
            return textplace::LabelWidths{f.mainChars * em, f.suffixChars * textplace::SuffixSize(em)};
        });
        EXPECT_EQ(std::make_pair(fitted, measured), std::make_pair(f.fitted, f.measured)) << f.width << " " << f.mainChars;
    }
}

TEST(Layout, LabelSplittingAndDigitFont) {
    struct Row { const char* text; const char* main; const char* suffix; bool digits; };
    for (const Row& r : {Row{"标准价/元", "标准价", "/元", false}, Row{"A/B/C", "A", "/B", false},
                         Row{"豪华间/", "豪华间", "", false}, Row{"25^℃", "25", " ℃", true},
                         Row{"12/15^℃", "12/15", " ℃", true}, Row{"1^2^3", "1", " 2", true},
                         // 0x81 0x5E is one character whose second byte is "^".
                         Row{"\x81\x5E\xB7\xBF", "\x81\x5E\xB7\xBF", "", false},
                         Row{"\x81\x5E" "9^\x81\x5E", "\x81\x5E" "9", " \x81\x5E", true}}) {
        const textplace::LabelParts parts = textplace::SplitLabel(r.text);
        EXPECT_EQ(parts.main, r.main) << r.text;
        EXPECT_EQ(parts.suffix, r.suffix) << r.text;
        EXPECT_EQ(parts.mainIsDigits, r.digits) << r.text;
    }
    CString marked("*1*2**");
    EXPECT_TRUE(textplace::TakeEnlargeMarks(marked));
    EXPECT_EQ(marked, "12");

    auto covers = [](const std::wstring& s) { return textplace::DigitFontCovers(s.c_str(), s.size()); };
    EXPECT_TRUE(covers(L" !~0123456789.,-+/%$()-3\u00B0\u00B1\u00B7\u00A5\u00A0\u2212"));
    for (const wchar_t* text : {L"\u9762\u8BAE", L"888\u5143", L"\u2103", L"\uFFE5", L"1\t2", L"\x7F"}) {
        EXPECT_FALSE(covers(text)) << static_cast<unsigned>(text[0]);
    }
}

TEST(BoardPicture, WhenTheBackgroundIsDrawnAgain) {
    using picture::Next;
    using Kind = picture::Seen::Kind;
    const picture::Stamp none{}, drawn{true, 1000, 7}, rewritten{true, 1000, 9}, grown{true, 1200, 7};
    struct Row { const char* what; Kind kind; picture::Stamp now; bool minute; Next next; };
    for (const Row& r : {Row{"no file, still none", Kind::None, none, true, Next::Keep},
                         Row{"a file appears", Kind::None, drawn, false, Next::Redraw},
                         Row{"the file drawn, as it was", Kind::Read, drawn, false, Next::Keep},
                         Row{"a minute on: its bytes", Kind::Read, drawn, true, Next::CompareContent},
                         Row{"written again", Kind::Read, rewritten, false, Next::Redraw},
                         Row{"grown", Kind::Read, grown, false, Next::Redraw},
                         Row{"removed", Kind::Read, none, false, Next::Redraw},
                         Row{"held by its writer: tried every second", Kind::Unreadable, drawn, false, Next::TryRead},
                         Row{"held, then removed", Kind::Unreadable, none, false, Next::Redraw}}) {
        const picture::Seen seen{r.kind, r.kind == Kind::None ? none : drawn};
        EXPECT_EQ(picture::Decide(seen, r.now, r.minute), r.next) << r.what;
    }
    // FNV-1a's published values; a file read in pieces hashes as a whole.
    EXPECT_EQ(picture::ContentHash("a", 1), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(picture::ContentHash("bc", 2, picture::ContentHash("a", 1)), picture::ContentHash("abc", 3));
    picture::MinuteCheck minute;
    minute.Done(1000);
    EXPECT_EQ((std::vector<bool>{minute.Due(1059), minute.Due(1060), minute.Due(999)}),
              (std::vector<bool>{false, true, true})) << "a minute on; a clock set back";
}

namespace {
using screens::Monitor, screens::Rect;
std::vector<int> Edges(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
const Monitor kPrimary{{0, 0, 1920, 1080}, true}, kRight{{1920, 0, 3200, 1024}, false}, kLeft{{-1280, 0, 0, 1024}, false};
}  // namespace

TEST(Screens, SecondScreenWhereverTheTvIs) {
    const Monitor above{{0, -1024, 1280, 0}, false}, below{{320, 1080, 1600, 2104}, false};
    const Monitor lower{{1920, 200, 3200, 1224}, false}, farRight{{3200, 0, 4480, 1024}, false};
    struct Row { const char* what; std::vector<Monitor> monitors; Rect board; std::vector<int> placed; };
    const Rect home{1152, 32, 1952, 482}, onLeft{-1000, 100, -200, 550}, onPrimary{100, 100, 900, 550};
    const Row rows[] = {
        {"right, top 0: (primary width, 0)", {kPrimary, kRight}, home, {1920, 0, 2720, 450}},
        {"left", {kLeft, kPrimary}, home, {-1280, 0, -480, 450}},
        {"above", {kPrimary, above}, home, {0, -1024, 800, -574}},
        {"below", {kPrimary, below}, home, {320, 1080, 1120, 1530}},
        {"lower top", {kPrimary, lower}, home, {1920, 200, 2720, 650}},
        {"two: the nearest to the right", {farRight, kLeft, kPrimary, kRight}, home, {1920, 0, 2720, 450}},
        {"two: the one the board is on", {farRight, kLeft, kPrimary, kRight}, onLeft, {-1280, 0, -480, 450}},
        {"above and right: the one to the right", {above, kPrimary, kRight}, onPrimary, {1920, 0, 2720, 450}},
        {"two, none to the right: the first listed", {above, kPrimary, kLeft}, home, {0, -1024, 800, -574}},
        {"none: where a screen on the right would be", {kPrimary}, home, {1920, 0, 2720, 450}},
        {"no list", {}, home, {1920, 0, 2720, 450}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(Edges(screens::SecondScreenRect(r.monitors, r.board, 1920, 800, 450)), r.placed) << r.what;
    }
}

TEST(Screens, TheBoardFollowsItsMonitor) {
    using A = screens::Watch::Action;
    const std::vector<Monitor> both{kPrimary, kRight}, alone{kPrimary}, left{kPrimary, kLeft}, unread{},
        smaller{{{0, 0, 1280, 720}, true}};
    const Rect tv{1920, 0, 2720, 450}, dragged{1300, 600, 2100, 1050}, moved{0, 0, 800, 450};
    struct Step { std::vector<Monitor> monitors; Rect window; bool visible, mayShow; A action; std::vector<int> to; };
    const std::pair<const char*, std::vector<Step>> stories[] = {
        {"TV off and on, the board left standing (Wine)",
         {{both, tv, true, true, A::None, {}}, {alone, tv, true, true, A::Hide, {}},
          {alone, tv, false, true, A::None, {}}, {both, tv, false, false, A::None, {}},  // owner minimised
          {both, tv, false, true, A::Return, Edges(tv)}, {alone, tv, true, true, A::Hide, {}}}},
        {"the system moves the board onto the primary; the TV comes back on the left",
         {{both, tv, true, true, A::None, {}}, {alone, moved, true, true, A::Hide, {}},
          {left, moved, false, true, A::Return, {-1280, 0, -480, 450}}}},
        {"dragged mostly onto the primary: left alone, even off a smaller primary",
         {{both, tv, true, true, A::None, {}}, {both, dragged, true, true, A::None, {}},
          {alone, dragged, true, true, A::None, {}}, {smaller, dragged, true, true, A::None, {}}}},
        {"a list that cannot be read decides nothing", {{both, tv, true, true, A::None, {}}, {unread, tv, true, true, A::None, {}}}},
        {"one monitor, 1006: stays where it is put", {{alone, tv, true, true, A::None, {}}, {alone, tv, true, true, A::None, {}}}},
    };
    for (const auto& [what, steps] : stories) {
        screens::Watch watch;
        for (size_t i = 0; i < steps.size(); ++i) {
            const Step& s = steps[i];
            const screens::Watch::Step got = watch.Check(s.monitors, s.window, s.visible, s.mayShow);
            EXPECT_EQ(got.action, s.action) << what << ", step " << i;
            EXPECT_TRUE(got.action != A::Return || Edges(got.to) == s.to) << what << ", step " << i;
        }
    }
}
