// boardcheck.exe, run as a maintainer would: a saved page, a page fetched
// through the board's own download, a rate file and the configuration, with
// either output encoding and the exit status that tells success.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "WeatherServer.h"
#include "TestSupport.h"
#include "framework/Handles.h"

namespace {

struct ToolRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
};

// The tool sits beside the program, and reads config.ini there as the board does.
std::wstring ToolDir() { return testsupport::ExeDir(); }

std::wstring DataFile(const char* name) {
    const char* root = std::getenv("RATEBOARD_SOURCE_DIR");
    std::string path = std::string(root ? root : ".") + "/tests/data/weather/" + name;
    if (path[0] == '/') path = "Z:" + path;
    return std::wstring(path.begin(), path.end());
}

// Runs the tool with its output on a pipe; at most 30 s.
ToolRun Check(const std::wstring& args) {
    ToolRun run;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readRaw = nullptr, writeRaw = nullptr;
    if (!::CreatePipe(&readRaw, &writeRaw, &inherit, 0)) return run;
    UniqueKernelHandle readEnd(readRaw), writeEnd(writeRaw);
    ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd.get();
    si.hStdError = writeEnd.get();
    si.hStdInput = nullptr;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + ToolDir() + L"boardcheck.exe\" " + args;
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, ToolDir().c_str(),
                          &si, &pi)) {
        ADD_FAILURE() << "cannot start boardcheck.exe: " << ::GetLastError();
        return run;
    }
    UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    writeEnd.reset();  // the pipe ends when the tool's copy closes
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(readEnd.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) run.out.append(buffer, read);
    if (::WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), 99);
        ADD_FAILURE() << "boardcheck.exe did not end";
    }
    ::GetExitCodeProcess(process.get(), &run.exitCode);
    return run;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class BoardCheck : public ::testing::Test {
protected:
    void TearDown() override { ::DeleteFileW((ToolDir() + L"config.ini").c_str()); }
};

}  // namespace

TEST_F(BoardCheck, SavedPageInUtf8AndInCodePage936) {
    ToolRun utf8 = Check(L"weather --page \"" + DataFile("sameday.html") + L"\" --utf8");
    EXPECT_EQ(utf8.exitCode, 0u) << utf8.out;
    EXPECT_TRUE(Has(utf8.out, "markers missing: 0")) << utf8.out;
    EXPECT_TRUE(Has(utf8.out, u8"record: 上海 07:30 发布,多云,31,3-4级/东南风,05:01,阴,26,<3级/无持续风向,19:01")) << utf8.out;
    EXPECT_TRUE(Has(utf8.out, u8" 8 sunset             19:01")) << utf8.out;

    ToolRun ansi = Check(L"weather --page \"" + DataFile("nextday.html") + L"\"");
    EXPECT_EQ(ansi.exitCode, 0u);
    // Plain literals here are code page 936, as the tool prints by default.
    EXPECT_TRUE(Has(ansi.out, "10 left label         8日夜间")) << ansi.out;
    EXPECT_TRUE(Has(ansi.out, "11 right label        9日白天")) << ansi.out;
}

TEST_F(BoardCheck, PageWithoutARecordOrAMissingFileFails) {
    const std::wstring broken = testsupport::ExeDir() + L"broken_page.html";
    ASSERT_TRUE(testsupport::WriteFileBytes(broken, "<html><div class=\"con yesterday\"><h1>8日白天</h1></div></html>"));
    ToolRun run = Check(L"weather --page \"" + broken + L"\"");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(Has(run.out, "MISSING  page  con today")) << run.out;
    EXPECT_TRUE(Has(run.out, "record: none")) << run.out;
    ::DeleteFileW(broken.c_str());

    ToolRun missing = Check(L"weather --page \"" + testsupport::ExeDir() + L"no_such_page.html\"");
    EXPECT_EQ(missing.exitCode, 1u);
    EXPECT_TRUE(Has(missing.out, "cannot read")) << missing.out;
    EXPECT_EQ(Check(L"weather --pages x").exitCode, 2u);
    EXPECT_EQ(Check(L"forecast").exitCode, 2u);
    EXPECT_EQ(Check(L"").exitCode, 2u);
}

TEST_F(BoardCheck, FetchesTheConfiguredCityAsTheBoardDoes) {
    WeatherServer server;
    ::SetEnvironmentVariableA("http_proxy", server.ProxyAddress().c_str());  // inherited by the tool
    ASSERT_TRUE(testsupport::WriteFileBytes(ToolDir() + L"config.ini", "[board]\r\ncityid=101010100\r\n"));
    WeatherServer::Script page;
    page.chunks = {testsupport::ReadFileBytes(DataFile("sameday.html"))};
    ASSERT_FALSE(page.chunks[0].empty());
    server.SetScript(page);

    ToolRun run = Check(L"weather --utf8");
    EXPECT_EQ(run.exitCode, 0u) << run.out;
    EXPECT_TRUE(Has(run.out, "status: 200")) << run.out;
    EXPECT_TRUE(Has(run.out, "address: http://www.weather.com.cn/weather1d/101010100.shtml")) << run.out;
    EXPECT_TRUE(Has(run.out, u8" 1 day weather        多云")) << run.out;
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_TRUE(Has(server.Requests()[0], "/weather1d/101010100.shtml HTTP/1.1\r\n"));

    WeatherServer::Script notFound = page;
    notFound.status = 404;
    server.SetScript(notFound);
    ToolRun missing = Check(L"weather --city 101280101");
    EXPECT_EQ(missing.exitCode, 1u);
    EXPECT_TRUE(Has(missing.out, "status: 404")) << missing.out;
    EXPECT_TRUE(Has(missing.out, "bytes: 0")) << missing.out;
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_TRUE(Has(server.Requests()[1], "/weather1d/101280101.shtml HTTP/1.1\r\n"));
    ::SetEnvironmentVariableA("http_proxy", nullptr);
}

TEST_F(BoardCheck, RateFileRecordsSkippedLinesAndCutFields) {
    const std::wstring file = testsupport::ExeDir() + L"check_rates.txt";
    // Code page 936 text, as the operator keeps it.
    ASSERT_TRUE(testsupport::WriteFileBytes(
        file, "房型|门市价|优惠价\r\n标准间|488|388\r\n;停用|0|0\r\n\r\n豪华大床房豪华大床房豪华|688|588\r\n"));
    ToolRun run = Check(L"rates \"" + file + L"\"");
    EXPECT_EQ(run.exitCode, 0u) << run.out;
    EXPECT_TRUE(Has(run.out, "records: 3, skipped: 2, cut fields: 1")) << run.out;
    EXPECT_TRUE(Has(run.out, "record  1 (line 2): 标准间 | 488 | 388")) << run.out;
    EXPECT_TRUE(Has(run.out, "skipped line 3: comment")) << run.out;
    EXPECT_TRUE(Has(run.out, "record  2 (line 5): 豪华大床房豪华大床房 | 688 | 588")) << run.out;
    EXPECT_TRUE(Has(run.out, "cut: line 5, record 2, field 0: 20 of 24 bytes kept")) << run.out;
    ::DeleteFileW(file.c_str());
    EXPECT_EQ(Check(L"rates \"" + file + L"\"").exitCode, 1u) << "the file is gone";
    EXPECT_EQ(Check(L"rates").exitCode, 2u);
}

TEST_F(BoardCheck, ConfigurationAsTheBoardReadsIt) {
    ASSERT_TRUE(testsupport::WriteFileBytes(ToolDir() + L"config.ini",
                                            "[board]\r\nwidth=1600\r\nheight=abc\r\nclrbg=FF102030\r\non=0\r\n"));
    ToolRun run = Check(L"config --utf8");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(Has(run.out, "width = 1600\r\n")) << run.out;
    EXPECT_TRUE(Has(run.out, "height = 432  (\"abc\" is unreadable: the default is used)")) << run.out;
    EXPECT_TRUE(Has(run.out, "clrbg = FF102030")) << run.out;
    EXPECT_TRUE(Has(run.out, "on = 0 (board hidden)")) << run.out;
    EXPECT_TRUE(Has(run.out, "cityid = 101020100  -> http://www.weather.com.cn/weather1d/101020100.shtml")) << run.out;
}
