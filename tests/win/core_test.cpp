// The core library under Wine: config.ini beside the program, text
// conversion, fonts and measuring.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "core/Core.h"

using testsupport::ExeDir;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = ExeDir() + L"config.ini";
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
    }
    void TearDown() override {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
    }
    std::wstring path;
    CCore core;
};

}  // namespace

TEST_F(ConfigTest, MissingFileIsCreatedWithEveryDefault) {
    core.autoFileConfig();
    std::string ini = ReadFileBytes(path);
    for (const char* key : {"on=1", "width=768", "height=432", "clrfont=FFFFFFFF", "clrbg=FF000080",
                            "clrdigi=FFFFD700", "cityid=101020100"}) {
        EXPECT_NE(ini.find(key), std::string::npos) << key << " in\n" << ini;
    }
    EXPECT_EQ(core.getConfigInt("width"), 768);
    EXPECT_EQ(core.getConfigInt("height"), 432);
    EXPECT_TRUE(core.getConfigB("on"));
    EXPECT_EQ(core.getConfigClr("clrbg").GetValue(), 0xFF000080u);
    EXPECT_EQ(core.getConfigStr("cityid"), "101020100");
}

TEST_F(ConfigTest, PresentKeysAreNeverTouchedAndMissingOnesAdded) {
    WriteFileBytes(path, "[board]\r\nwidth=1600\r\ncityid=101010100\r\n");
    core.autoFileConfig();
    EXPECT_EQ(core.getConfigInt("width"), 1600);
    EXPECT_EQ(core.getConfigStr("cityid"), "101010100");
    EXPECT_EQ(core.getConfigInt("height"), 432);
    EXPECT_NE(ReadFileBytes(path).find("height=432"), std::string::npos);
}

TEST_F(ConfigTest, SavedValuesReadBackAndHandEditedCitySurvives) {
    core.autoFileConfig();
    ::WritePrivateProfileStringW(L"board", L"cityid", L"101280101", path.c_str());
    core.saveConfigInt("width", 1920);
    core.saveConfigInt("height", -5);
    core.saveConfigB("on", FALSE);
    core.saveConfigClr("clrfont", Gdiplus::Color(0xFF123456));
    EXPECT_EQ(core.getConfigInt("width"), 1920);
    EXPECT_EQ(core.getConfigInt("height"), -5);
    EXPECT_FALSE(core.getConfigB("on"));
    EXPECT_EQ(core.getConfigClr("clrfont").GetValue(), 0xFF123456u);
    EXPECT_EQ(core.getConfigStr("cityid"), "101280101");
}

TEST_F(ConfigTest, GarbageValuesReadAsTheKeysDefaults) {
    WriteFileBytes(path,
                   "[board]\r\nwidth=12px\r\nheight=\xB8\xDF\r\non=yes\r\nclrbg=blue\r\n"
                   "clrfont=\r\nclrdigi=FFFFD7000000\r\n");
    EXPECT_EQ(core.getConfigInt("width"), 768);
    EXPECT_EQ(core.getConfigInt("height"), 432);
    EXPECT_TRUE(core.getConfigB("on"));
    EXPECT_EQ(core.getConfigClr("clrbg").GetValue(), 0xFF000080u);
    EXPECT_EQ(core.getConfigClr("clrfont").GetValue(), 0xFFFFFFFFu);
    EXPECT_EQ(core.getConfigClr("clrdigi").GetValue(), 0xFFFFD700u);
    // A file of random bytes does not upset anything either.
    std::string noise;
    for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919 + 13) & 0xFF);
    WriteFileBytes(path, noise);
    EXPECT_EQ(core.getConfigInt("width"), 768);
}

TEST_F(ConfigTest, UnwritableFileKeepsItsValuesWithoutFailing) {
    core.autoFileConfig();
    core.saveConfigInt("width", 1000);
    // Read-only: saving must not fail loudly (as root under Wine the write
    // may even go through, so only survival is checked here).
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    core.saveConfigInt("height", 500);
    core.autoFileConfig();
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    // Held open by another program without sharing: the save cannot reach
    // the file, and the stored value stays as it was.
    HANDLE held = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    core.saveConfigInt("width", 2000);
    ::CloseHandle(held);
    EXPECT_EQ(core.getConfigInt("width"), 1000);
}

TEST(CoreText, Utf8BecomesCodePage936AndBadBytesDoNotCutTheRest) {
    CCore core;
    CString text("\xE5\xA4\xA9\xE6\xB0\x94 28\xC2\xB0" "C");  // "天气 28°C" in UTF-8
    core.UTF8_ANSI(text);
    EXPECT_EQ(text, "天气 28°C");
    CString invalid("ab\xFF\xFE" "cd\xE5\xA4");  // stray bytes, truncated sequence at the end
    core.UTF8_ANSI(invalid);
    ASSERT_GE(invalid.GetLength(), 4);
    EXPECT_EQ(invalid.Left(2), "ab");
    EXPECT_NE(invalid.Find("cd"), -1);
    CString emoji("x\xF0\x9F\x98\x80y");  // U+1F600 has no GBK form
    core.UTF8_ANSI(emoji);
    EXPECT_EQ(emoji.Left(1), "x");
    EXPECT_EQ(emoji.Right(1), "y");
    CString empty;
    core.UTF8_ANSI(empty);
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(CoreText, BoundsArePositiveStableAndCountLeadingBlanks) {
    CCore core;
    Gdiplus::Size a = core.getTextBounds("黑体", 35, "你好");
    Gdiplus::Size b = core.getTextBounds("黑体", 35, "你好");
    EXPECT_GT(a.Width, 60);
    EXPECT_LT(a.Width, 100);
    EXPECT_GT(a.Height, 30);
    EXPECT_LT(a.Height, 60);
    EXPECT_EQ(a.Width, b.Width);
    EXPECT_EQ(a.Height, b.Height);
    Gdiplus::Size wider = core.getTextBounds("黑体", 70, "你好");
    EXPECT_GT(wider.Width, a.Width * 3 / 2);
    EXPECT_GT(core.getTextBounds("黑体", 35, " 1").Width, core.getTextBounds("黑体", 35, "1").Width);
    Gdiplus::Size none = core.getTextBounds("黑体", 35, "");
    EXPECT_EQ(none.Width, 0);
    EXPECT_EQ(none.Height, 0);
}

TEST(CoreFonts, MissingFamilyFallsBackToAnInstalledOne) {
    CCore core;
    auto family = core.createFontFamily("No Such Family 12345");
    ASSERT_TRUE(family);
    EXPECT_TRUE(family->IsAvailable());
    // Measuring in a missing family still gives real sizes, not 0 x 0.
    EXPECT_GT(core.getTextBounds("No Such Family 12345", 35, "你好").Width, 30);
}

TEST(CoreFonts, DigitFontLoadsFromTheProgramsFolder) {
    CCore core;
    Gdiplus::FontFamily family;
    ASSERT_TRUE(core.initFontFamily("HelveticaDigit.otf", &family));
    WCHAR name[LF_FACESIZE] = {};
    family.GetFamilyName(name);
    EXPECT_STREQ(name, L"HelveticaDigit");
    Gdiplus::FontFamily missing;
    EXPECT_FALSE(core.initFontFamily("NoSuchFont.otf", &missing));
}

TEST(CoreMisc, WeekdayColoursAndFiles) {
    CCore core;
    EXPECT_EQ(core.getWeekStr(CTime(2026, 12, 6, 12, 0, 0)), "星期日");
    EXPECT_EQ(core.getWeekStr(CTime(2026, 12, 7, 12, 0, 0)), "星期一");
    Gdiplus::Color c = core.getColorFromClrRef(RGB(1, 2, 3));
    EXPECT_EQ(c.GetValue(), 0xFF010203u);
    EXPECT_EQ(core.getClrRef(Gdiplus::Color(0x80A0B0C0)), RGB(0xA0, 0xB0, 0xC0));
    EXPECT_TRUE(core.isFileExist(Narrow(ExeDir()) + "HelveticaDigit.otf"));
    EXPECT_FALSE(core.isFileExist(Narrow(ExeDir()) + "nothing-here.jpg"));
    EXPECT_FALSE(core.isFileExist(Narrow(ExeDir())));  // a folder is not a picture
    CString dir = core.getAppPath();
    EXPECT_EQ(dir.Right(1), "\\");
}
