// The rate files on disk: ReadRateFile under Wine, with Chinese file names,
// missing, locked and reloaded files, and the sample files that ship.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "app/Globals.h"
#include "core/Core.h"
#include "data/RateFile.h"
#include "framework/Text.h"

using testsupport::ExeDir;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

class RateFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        core = std::make_unique<CCore>();
        g_core = core.get();
        // A folder of this program's own: other test programs share ExeDir.
        dir = ExeDir() + L"rate_file_test\\";
        ::CreateDirectoryW(dir.c_str(), nullptr);
        roomPath = Narrow(dir) + "_房价.txt";
        fxPath = Narrow(dir) + "_外币兑换.txt";
    }
    void TearDown() override {
        ::DeleteFileW(Widen(roomPath).c_str());
        ::DeleteFileW(Widen(fxPath).c_str());
        ::RemoveDirectoryW(dir.c_str());
        g_core = nullptr;
    }
    void Write(const CString& path, const std::string& bytes) { ASSERT_TRUE(WriteFileBytes(Widen(path), bytes)); }
    int Read(const CString& path) { return ReadRateFile(path, table.data()); }
    std::string Field(int record, int field) const { return rates::RateField(table.data(), record, field); }
    bool ZeroFrom(int record) const {
        for (size_t i = static_cast<size_t>(record) * RATE_RECORD_SIZE; i < table.size(); ++i) {
            if (table[i] != 0) return false;
        }
        return true;
    }

    std::unique_ptr<CCore> core;
    std::wstring dir;
    CString roomPath;
    CString fxPath;
    std::vector<char> table = std::vector<char>(RATE_BUFFER_SIZE, '\x77');
};

}  // namespace

TEST_F(RateFileTest, ReadsRecordsFromAFileWithAChineseName) {
    Write(roomPath, "; 类别|标准价|今日价\r\n标准间|388|*268\r\n\r\n豪华套房/含早|988|688\r\n行政间|588|488|多余\r\n");
    ASSERT_EQ(Read(roomPath), 3);
    EXPECT_EQ(Field(0, 0), "标准间");
    EXPECT_EQ(Field(0, 2), "*268");
    EXPECT_EQ(Field(1, 0), "豪华套房/含早");
    EXPECT_EQ(Field(2, 2), "488");
    EXPECT_TRUE(ZeroFrom(3));
}

TEST_F(RateFileTest, MissingFolderOrLockedFileGivesAnEmptyTable) {
    EXPECT_EQ(Read(roomPath), 0);  // missing
    EXPECT_TRUE(ZeroFrom(0));

    std::fill(table.begin(), table.end(), '\x77');
    EXPECT_EQ(Read(Narrow(dir)), 0);  // a folder, not a file
    EXPECT_TRUE(ZeroFrom(0));
    EXPECT_EQ(Read(Narrow(dir) + "没有这个文件夹\\_房价.txt"), 0);

    Write(roomPath, "标准间|388|268\r\n");
    {
        // Held by another program that shares nothing: it cannot be opened.
        HANDLE held = ::CreateFileW(Widen(roomPath).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        std::fill(table.begin(), table.end(), '\x77');
        EXPECT_EQ(Read(roomPath), 0);
        EXPECT_TRUE(ZeroFrom(0));
        ::CloseHandle(held);
    }
    {
        // Open in an editor that shares reading and writing: still read.
        HANDLE editor = ::CreateFileW(Widen(roomPath).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(editor, INVALID_HANDLE_VALUE);
        EXPECT_EQ(Read(roomPath), 1);
        ::CloseHandle(editor);
    }
    EXPECT_EQ(ReadRateFile(roomPath, nullptr), 0);
}

TEST_F(RateFileTest, ReloadingAfterRemovingRowsOrTheFileLeavesNoTrace) {
    std::vector<char> fx(RATE_BUFFER_SIZE);
    Write(roomPath, "一|1|2\n二|3|4\n三|5|6\n四|7|8\n");
    Write(fxPath, "美元|100|718.25\n欧元|100|781.50\n");
    ASSERT_EQ(Read(roomPath), 4);
    ASSERT_EQ(ReadRateFile(fxPath, fx.data()), 2);

    Write(roomPath, "; 只剩一行\n二|3|4\n");
    ASSERT_EQ(Read(roomPath), 1);
    EXPECT_EQ(Field(0, 0), "二");
    EXPECT_TRUE(ZeroFrom(1));

    ASSERT_TRUE(::DeleteFileW(Widen(roomPath).c_str()));
    EXPECT_EQ(Read(roomPath), 0);
    EXPECT_TRUE(ZeroFrom(0));
    // The other table is untouched, and reads the same again.
    EXPECT_STREQ(rates::RateField(fx.data(), 1, 0), "欧元");
    std::vector<char> again(RATE_BUFFER_SIZE);
    EXPECT_EQ(ReadRateFile(fxPath, again.data()), 2);
    EXPECT_EQ(again, fx);
}

TEST_F(RateFileTest, LargeFilesAreReadInPiecesAndKeepTheFirstHundredRows) {
    // A first line of 5 MB, then 150 rows spread over several read pieces.
    std::string text(5u << 20, '\xb0');
    text += "|1|2\r\n";
    for (int i = 0; i < 150; ++i) text += "房" + std::to_string(i) + "|" + std::to_string(i) + "|0\r\n";
    Write(roomPath, text);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Read(roomPath), MAX_RATE_ROWS);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count(), 5);
    EXPECT_EQ(Field(0, 0), std::string(20, '\xb0'));
    EXPECT_EQ(Field(1, 0), "房0");
    EXPECT_EQ(Field(99, 0), "房98");
    EXPECT_EQ(Field(99, 1), "98");
}

TEST_F(RateFileTest, SampleFilesThatShip) {
    const char* source = std::getenv("RATEBOARD_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    // The source folder as Wine sees it: the Unix path on drive Z:.
    std::string unixDir = std::string("Z:") + source + "/samples/";
    for (char& c : unixDir) {
        if (c == '/') c = '\\';
    }
    const CString samples(unixDir);

    const std::string roomBytes = ReadFileBytes(Widen(samples + "_房价.txt"));
    ASSERT_FALSE(roomBytes.empty());
    EXPECT_NE(roomBytes.substr(0, roomBytes.find('\n')).find(';'), std::string::npos) << "opens with a comment";
    const int rooms = Read(samples + "_房价.txt");
    EXPECT_GE(rooms, 6);
    EXPECT_LE(rooms, 12);
    bool star = false, slash = false;
    for (int i = 0; i < rooms; ++i) {
        EXPECT_FALSE(Field(i, 0).empty()) << i;
        EXPECT_FALSE(Field(i, 1).empty()) << i;
        EXPECT_FALSE(Field(i, 2).empty()) << i;
        star = star || Field(i, 1).find('*') != std::string::npos || Field(i, 2).find('*') != std::string::npos;
        slash = slash || Field(i, 0).find('/') != std::string::npos;
    }
    EXPECT_TRUE(star) << "one price marked with *";
    EXPECT_TRUE(slash) << "one category with a / suffix";
    // Stored as code page 936 bytes (these literals are), without a byte-order mark.
    EXPECT_NE(roomBytes.find("标准间"), std::string::npos);
    EXPECT_NE(roomBytes.substr(0, 3), "\xef\xbb\xbf");

    const std::string fxBytes = ReadFileBytes(Widen(samples + "_外币兑换.txt"));
    EXPECT_NE(fxBytes.substr(0, fxBytes.find('\n')).find(';'), std::string::npos) << "opens with a comment";
    const int currencies = Read(samples + "_外币兑换.txt");
    EXPECT_GE(currencies, 8);
    EXPECT_LE(currencies, 14);
    bool usd = false;
    for (int i = 0; i < currencies; ++i) {
        EXPECT_FALSE(Field(i, 1).empty()) << i;
        EXPECT_NE(std::strtod(Field(i, 2).c_str(), nullptr), 0.0) << Field(i, 2);
        usd = usd || Field(i, 0) == "美元";
    }
    EXPECT_TRUE(usd);
    EXPECT_NE(fxBytes.substr(0, 3), "\xef\xbb\xbf");
}
