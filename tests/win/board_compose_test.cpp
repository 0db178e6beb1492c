// One board picture composed off-screen under Wine, read back pixel by pixel:
// the background, the five divider lines on exactly their pixels, the two
// text colours and their order, and the background picture.
#include <gtest/gtest.h>

#include <vector>

#include "BoardTestSupport.h"
#include "TestSupport.h"
#include "board/FrameBuffer.h"

using boardtest::SharedSettings;
using boardtest::TestBoard;

namespace {

constexpr std::uint32_t kFont = 0xFFFFFFFF;
constexpr std::uint32_t kBg = 0xFF204080;
constexpr std::uint32_t kDigi = 0xFFFFD700;

struct Lines {
    int margin, xLeft, xRight, yHeader, yPanel;
};

class ComposeTest : public ::testing::Test {
protected:
    void SetUp() override {
        board.LoadFamilies();
        // The background picture is looked for in a folder of this test's own.
        folder = testsupport::ExeDir() + L"board_compose_test.d\\";
        ::CreateDirectoryW(folder.c_str(), nullptr);
        ::DeleteFileW((folder + L"bg.jpg").c_str());
        g_appPath = Narrow(folder);
    }
    void TearDown() override {
        ::DeleteFileW((folder + L"bg.jpg").c_str());
        ::RemoveDirectoryW(folder.c_str());
    }

    FrameBuffer Compose(int width, int height) {
        SharedSettings::Resize(width, height);
        board.LayOut();
        FrameBuffer frame(nullptr, width, height);
        EXPECT_TRUE(frame.valid());
        if (frame.valid()) board.ComposeFrame(frame.dc());
        return frame;
    }

    // A horizontal line of width 2 at y covers rows y-1 and y; a vertical
    // one of width 4 at x covers columns x-2 .. x+1. The round caps make the
    // ends partial, so the solid core is checked, and the neighbours on both
    // sides must be untouched background.
    static void ExpectRule(const FrameBuffer& f, int x0, int x1, int y) {
        for (int x = x0 + 2; x <= x1 - 2; ++x) {
            ASSERT_EQ(f.Pixel(x, y - 1), kFont) << x << "," << y - 1;
            ASSERT_EQ(f.Pixel(x, y), kFont) << x << "," << y;
            ASSERT_EQ(f.Pixel(x, y - 2), kBg) << x << "," << y - 2;
            ASSERT_EQ(f.Pixel(x, y + 1), kBg) << x << "," << y + 1;
        }
        EXPECT_EQ(f.Pixel(x0 - 4, y), kBg);
        EXPECT_EQ(f.Pixel(x1 + 4, y), kBg);
        EXPECT_NE(f.Pixel(x0, y), kBg);  // the ends are drawn
        EXPECT_NE(f.Pixel(x1, y), kBg);
    }
    static void ExpectDivider(const FrameBuffer& f, int x, int y0, int y1) {
        for (int y = y0 + 3; y <= y1 - 3; ++y) {
            for (int c = x - 2; c <= x + 1; ++c) ASSERT_EQ(f.Pixel(c, y), kFont) << c << "," << y;
            ASSERT_EQ(f.Pixel(x - 3, y), kBg) << x - 3 << "," << y;
            ASSERT_EQ(f.Pixel(x + 2, y), kBg) << x + 2 << "," << y;
        }
        EXPECT_EQ(f.Pixel(x, y0 - 5), kBg);
        EXPECT_EQ(f.Pixel(x, y1 + 5), kBg);
        EXPECT_NE(f.Pixel(x, y0), kBg);
        EXPECT_NE(f.Pixel(x, y1), kBg);
    }
    static void ExpectFiveLines(const FrameBuffer& f, int w, int h, Lines l) {
        ExpectRule(f, l.margin, l.xLeft - l.margin, l.yHeader);
        ExpectRule(f, l.xRight + l.margin, w - l.margin, l.yHeader);
        ExpectRule(f, l.xLeft + l.margin, l.xRight - l.margin, l.yPanel);
        ExpectDivider(f, l.xLeft, l.margin, h - l.margin);
        ExpectDivider(f, l.xRight, l.margin, h - l.margin);
    }
    static int Count(const FrameBuffer& f, std::uint32_t colour, int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += f.Pixel(x, y) == colour;
        return n;
    }
    void WriteJpeg(int width, int height, Gdiplus::Color colour) {
        UINT count = 0, size = 0;
        ASSERT_EQ(Gdiplus::GetImageEncodersSize(&count, &size), Gdiplus::Ok);
        std::vector<BYTE> buffer(size);
        auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
        ASSERT_EQ(Gdiplus::GetImageEncoders(count, size, codecs), Gdiplus::Ok);
        const CLSID* jpeg = nullptr;
        for (UINT i = 0; i < count; ++i)
            if (std::wstring(codecs[i].MimeType) == L"image/jpeg") jpeg = &codecs[i].Clsid;
        ASSERT_NE(jpeg, nullptr);
        Gdiplus::Bitmap picture(width, height, PixelFormat24bppRGB);
        {
            Gdiplus::Graphics g(&picture);
            g.Clear(colour);
        }
        ASSERT_EQ(picture.Save((folder + L"bg.jpg").c_str(), jpeg, nullptr), Gdiplus::Ok);
    }
    static bool Near(std::uint32_t pixel, int r, int g, int b) {
        auto close = [](int a, int e) { return a >= e - 4 && a <= e + 4; };
        return (pixel >> 24) == 0xFF && close((pixel >> 16) & 0xFF, r) && close((pixel >> 8) & 0xFF, g) &&
               close(pixel & 0xFF, b);
    }

    SharedSettings settings{1600, 900};
    TestBoard board;
    std::wstring folder;
};

}  // namespace

TEST_F(ComposeTest, BackgroundEdgeToEdgeAndTheFiveLinesOnTheirPixels1600x900) {
    FrameBuffer f = Compose(1600, 900);
    ASSERT_TRUE(f.valid());
    for (auto [x, y] : {std::pair{0, 0}, {1599, 0}, {0, 899}, {1599, 899}, {300, 500}, {860, 300}, {1300, 700}})
        EXPECT_EQ(f.Pixel(x, y), kBg) << x << "," << y;
    // (45,197)-(562,197), (1164,197)-(1555,197), (652,558)-(1074,558),
    // (607,45)-(607,855), (1119,45)-(1119,855)
    ExpectFiveLines(f, 1600, 900, Lines{45, 607, 1119, 197, 558});
    EXPECT_EQ(board.panelCalls, 1);
    EXPECT_EQ(board.memDCDuringPanels, f.dc());
    EXPECT_EQ(board.m_hMemDC, nullptr);  // only while composing
}

TEST_F(ComposeTest, FiveLinesOnTheirPixels800x450) {
    FrameBuffer f = Compose(800, 450);
    ASSERT_TRUE(f.valid());
    // margin 22, dividers 303 and 559, rules 98 and 279: all truncated, none rounded.
    ExpectFiveLines(f, 800, 450, Lines{22, 303, 559, 98, 279});
    EXPECT_EQ(f.Pixel(799, 449), kBg);
}

TEST_F(ComposeTest, TextColourLiesOverDigitColour) {
    board.panels = [](TestBoard& b) {
        b.m_textPath.AddRectangle(Gdiplus::Rect(200, 300, 200, 100));
        b.m_digitPath.AddRectangle(Gdiplus::Rect(100, 300, 200, 100));
    };
    FrameBuffer f = Compose(1600, 900);
    EXPECT_EQ(f.Pixel(150, 350), kDigi);
    EXPECT_EQ(f.Pixel(250, 350), kFont);  // both: text on top
    EXPECT_EQ(f.Pixel(350, 350), kFont);
    EXPECT_EQ(f.Pixel(450, 350), kBg);
    EXPECT_EQ(Count(f, kDigi, 0, 0, 1600, 900), 100 * 100);

    // The paths start empty at every picture.
    board.panels = nullptr;
    FrameBuffer again = Compose(1600, 900);
    EXPECT_EQ(Count(again, kDigi, 0, 0, 1600, 900), 0);
    EXPECT_EQ(again.Pixel(250, 350), kBg);
}

TEST_F(ComposeTest, RealTextIsFilledInItsColour) {
    board.panels = [](TestBoard& b) {
        b.AddDigitText("8888*", 0, 600, 300, TRUE);
        b.AddLabelText(b.m_textPath, "标准价/元", 700, 800, 300, 60);
        b.AddDigitText("面议", 0, 600, 600, TRUE);
    };
    FrameBuffer f = Compose(1600, 900);
    EXPECT_GT(Count(f, kDigi, 0, 250, 600, 450), 1000);
    EXPECT_EQ(Count(f, kFont, 0, 250, 600, 450), 0);
    EXPECT_GT(Count(f, kFont, 700, 250, 1500, 450), 1000);
    EXPECT_EQ(Count(f, kDigi, 700, 250, 1500, 450), 0);
    // The fallback string is drawn, in the digit colour.
    EXPECT_GT(Count(f, kDigi, 0, 550, 600, 750), 500);
}

TEST_F(ComposeTest, PictureReplacesTheFillAndTakesEffectWhenItComesAndGoes) {
    FrameBuffer plain = Compose(800, 450);
    EXPECT_EQ(plain.Pixel(10, 10), kBg);

    WriteJpeg(800, 450, Gdiplus::Color(255, 200, 30, 60));
    FrameBuffer pictured = Compose(800, 450);
    EXPECT_TRUE(Near(pictured.Pixel(10, 10), 200, 30, 60)) << std::hex << pictured.Pixel(10, 10);
    EXPECT_TRUE(Near(pictured.Pixel(799, 449), 200, 30, 60)) << std::hex << pictured.Pixel(799, 449);
    EXPECT_EQ(Count(pictured, kBg, 0, 0, 800, 450), 0);
    EXPECT_EQ(pictured.Pixel(303, 200), kFont);  // lines over the picture

    // Replaced by a smaller picture of another colour: nothing is drawn around it.
    WriteJpeg(400, 200, Gdiplus::Color(255, 20, 180, 40));
    FrameBuffer smaller = Compose(800, 450);
    EXPECT_TRUE(Near(smaller.Pixel(10, 10), 20, 180, 40)) << std::hex << smaller.Pixel(10, 10);
    EXPECT_EQ(smaller.Pixel(700, 400), 0u);

    ASSERT_TRUE(::DeleteFileW((folder + L"bg.jpg").c_str()));
    FrameBuffer gone = Compose(800, 450);
    EXPECT_EQ(gone.Pixel(10, 10), kBg);
    EXPECT_EQ(gone.Pixel(700, 400), kBg);
}

TEST_F(ComposeTest, TranslucentColoursArePremultiplied) {
    g_clrBg = Gdiplus::Color(0x80FF0000);
    FrameBuffer f = Compose(200, 100);
    const std::uint32_t p = f.Pixel(50, 50);
    EXPECT_EQ(p >> 24, 0x80u) << std::hex << p;
    EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), 0x80, 1) << std::hex << p;
    EXPECT_EQ(p & 0xFFFF, 0u) << std::hex << p;
}

TEST_F(ComposeTest, NoSurfaceForSizesNoBitmapShouldBeMadeFor) {
    for (auto [w, h] : {std::pair{0, 900}, {1600, 0}, {-1600, 900}, {1600, -900}, {9000, 4000}, {8001, 1}, {20000, 20000}}) {
        FrameBuffer f(nullptr, w, h);
        EXPECT_FALSE(f.valid()) << w << "x" << h;
        EXPECT_EQ(f.dc(), nullptr);
        EXPECT_EQ(f.Pixel(0, 0), 0u);
    }
    FrameBuffer one(nullptr, 1, 1);
    ASSERT_TRUE(one.valid());
    EXPECT_EQ(one.Pixel(0, 0), 0u);  // starts transparent
    FrameBuffer moved(std::move(one));
    EXPECT_TRUE(moved.valid());
    EXPECT_FALSE(one.valid());  // NOLINT(bugprone-use-after-move): the moved-from owner is empty
}
