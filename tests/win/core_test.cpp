// The core library and the rate files under Wine: config.ini beside the
// program, text crossing into Windows as code page 936 whatever the system's
// own code page, fonts, and the rate files as the board reads them.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/RateFileSeed.h"
#include "core/Core.h"
#include "data/RateFile.h"
#include "support/Support.h"

using namespace testsupport;

namespace {

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override { RemoveFile(path); }
    void TearDown() override { RemoveFile(path); }
    const std::wstring path = ExeDir() + L"config.ini";
    CCore core;
};

std::vector<std::string> Rows(const char* table, int count) {
    std::vector<std::string> rows;
    for (int i = 0; i < count; ++i) {
        rows.push_back(std::string(rates::RateField(table, i, 0)) + "|" + rates::RateField(table, i, 1) + "|" +
                       rates::RateField(table, i, 2));
    }
    return rows;
}

}  // namespace

TEST_F(ConfigTest, DefaultsUnreadableValuesAndSaving) {
    WriteFileBytes(path, "[board]\r\nwidth=12px\r\nheight=\xB8\xDF\r\nclrbg=blue\r\ncityid=101010100\r\n");
    core.autoFileConfig();  // adds the missing keys only
    const std::string ini = ReadFileBytes(path);
    for (const char* line : {"width=12px", "on=1", "clrfont=FFFFFFFF", "clrdigi=FFFFD700", "cityid=101010100"}) {
        EXPECT_NE(ini.find(line), std::string::npos) << line << " in\n" << ini;
    }
    // What cannot be read gives the key's default, not 0 or black.
    EXPECT_EQ(core.getConfigInt("width"), 768);
    EXPECT_EQ(core.getConfigInt("height"), 432);
    EXPECT_EQ(core.getConfigClr("clrbg").GetValue(), 0xFF000080u);
    EXPECT_TRUE(core.getConfigB("on"));

    core.saveConfigInt("width", 1920);
    core.saveConfigB("on", FALSE);
    core.saveConfigClr("clrfont", Gdiplus::Color(0xFF123456));
    EXPECT_EQ(core.getConfigInt("width"), 1920);
    EXPECT_FALSE(core.getConfigB("on"));
    EXPECT_NE(ReadFileBytes(path).find("clrfont=FF123456"), std::string::npos);
    EXPECT_EQ(core.getConfigStr("cityid"), "101010100") << "the hand-set city survives";

    // Held open by another program: the save does not reach the file and
    // does not fail either.
    HANDLE held = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    core.saveConfigInt("width", 2000);
    ::CloseHandle(held);
    EXPECT_EQ(core.getConfigInt("width"), 1920);
}

TEST(Core, TextFontsAndFiles) {
    CCore core;
    CString page("\xE5\xA4\xA9\xE6\xB0\x94 28\xC2\xB0" "C x\xF0\x9F\x98\x80y");  // "天气 28°C x😀y" in UTF-8
    core.UTF8_ANSI(page);
    EXPECT_EQ(page, "天气 28°C x?y") << "code page 936, and \"?\" for what it lacks";
    EXPECT_EQ(Widen(CString("房价")), L"\u623F\u4EF7");
    EXPECT_EQ(Narrow(L"\u623F\u4EF7"), "房价");

    const Gdiplus::Size text = core.getTextBounds("黑体", 35, "你好");
    EXPECT_TRUE(text.Width > 60 && text.Width < 100 && text.Height > 30 && text.Height < 60)
        << text.Width << " x " << text.Height;
    EXPECT_GT(core.getTextBounds("No Such Family", 35, "你好").Width, 30) << "a missing family falls back";
    Gdiplus::FontFamily digits;
    ASSERT_TRUE(core.initFontFamily("HelveticaDigit.otf", &digits));
    WCHAR name[LF_FACESIZE] = {};
    digits.GetFamilyName(name);
    EXPECT_STREQ(name, L"HelveticaDigit");
    EXPECT_EQ(core.getWeekStr(CTime(2026, 12, 7, 12, 0, 0)), "星期一");

}

TEST(RateFiles, EncodingsSeedingAndReloads) {
    const std::wstring file = ExeDir() + L"_房价.txt";
    std::vector<char> table(RATE_BUFFER_SIZE);
    RateEncoding encoding = RateEncoding::Unread;
    auto read = [&](const std::string& bytes) {
        WriteFileBytes(file, bytes);
        const RateFileRead got = ReadRateFile(Narrow(file), table.data());
        encoding = got.encoding;
        return Rows(table.data(), got.count);
    };
    // The same table as code page 936, as UTF-8 with the mark and without it.
    const std::vector<std::string> expected{"標準間|388|*268", "東方|1|2"};
    EXPECT_EQ(read("; 注释\r\n標準間|388|*268\r\n東方|1|2\r\n"), expected);
    EXPECT_EQ(encoding, RateEncoding::CodePage936);
    const std::string utf8 = u8"; 注\r\n標準間|388|*268\r\n東方|1|2\r\n";
    EXPECT_EQ(read("\xEF\xBB\xBF" + utf8), expected);
    EXPECT_EQ(encoding, RateEncoding::Utf8);
    EXPECT_EQ(read(utf8), expected);
    EXPECT_EQ(read(u8"x|\U0001F600|\u0E01" "9€\n"), (std::vector<std::string>{"x|?|?9\x80"}))
        << "what code page 936 lacks: one \"?\" a character; € it has, at 0x80";
    // The 20-byte cut after the conversion; a character split by the end of
    // the first 64 KiB piece.
    std::string straddling = std::string(65533, ';') + "\n\xE6\x9D\xB1";
    for (int i = 0; i < 10; ++i) straddling += "\xE6\x96\xB9";
    EXPECT_EQ(read(straddling + "|1|2\n"), (std::vector<std::string>{"東方方方方方方方方方|1|2"}));

    // Another program rewrites the file all the while, the same table in code
    // page 936 and in UTF-8, of the same length: every read gives the table,
    // never one version's encoding with the other's records.
    const std::string body936 = "標準間|388|*268\n東方|1|2\n", body8 = u8"標準間|388|*268\n東方|1|2\n";
    const std::string versions[] = {std::string(body8.size() - body936.size() + 1, ';') + "\n" + body936, ";\n" + body8};
    WriteFileBytes(file, versions[0]);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        const HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD wrote = 0;
        for (unsigned i = 1; !done; ++i) {
            OVERLAPPED at{};  // the start of the file
            ::WriteFile(h, versions[i % 2].data(), static_cast<DWORD>(versions[i % 2].size()), &wrote, &at);
        }
        ::CloseHandle(h);
    });
    int whole = 0;
    for (int i = 0; i < 300; ++i) whole += Rows(table.data(), ReadRateFile(Narrow(file), table.data()).count) == expected;
    done = true;
    writer.join();
    EXPECT_EQ(whole, 300);

    RemoveFile(file);
    const RateFileRead missing = ReadRateFile(Narrow(file), table.data());
    EXPECT_TRUE(missing.count == 0 && missing.readable && missing.encoding == RateEncoding::Unread)
        << "a missing file gives an empty table";
    EXPECT_EQ(table, std::vector<char>(RATE_BUFFER_SIZE));

    // A file the operator opens before it exists is made with a comment line
    // in code page 936; one that exists is never touched.
    EXPECT_TRUE(SeedRateFile(Narrow(file), kRoomRateHeader));
    EXPECT_EQ(ReadFileBytes(file), std::string(kRoomRateHeader) + "\r\n");
    EXPECT_EQ(read(ReadFileBytes(file)).size(), 0u) << "the comment never becomes a row";
    WriteFileBytes(file, "a|1|2\n");
    EXPECT_TRUE(SeedRateFile(Narrow(file), kRoomRateHeader));
    EXPECT_EQ(ReadFileBytes(file), "a|1|2\n");
    RemoveFile(file);
}
