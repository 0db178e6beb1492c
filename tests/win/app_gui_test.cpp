// The real program, started as an operator would start it: its dialog
// appears with its caption, and every way of closing it ends the program
// with config.ini saved beside it.
#include <gtest/gtest.h>

#include "support/ProgramDriver.h"

using testsupport::ProgramDriver;

namespace {

const wchar_t kCaption[] = L"Tavix\u7535\u5B50\u623F\u4EF7\u724C";  // Tavix电子房价牌

void ExpectEndsAndSaves(void (*close)(ProgramDriver&)) {
    ProgramDriver program;
    program.PutFile(L"config.ini", "[board]\r\non=0\r\ncityid=101010100\r\n");
    ASSERT_TRUE(program.Start());
    HWND dialog = program.Dialog();
    ASSERT_TRUE(dialog) << "the settings dialog did not appear";
    wchar_t caption[64] = {};
    ::GetWindowTextW(dialog, caption, 64);
    EXPECT_STREQ(caption, kCaption);
    program.SetText(1007, L"1234");
    program.SetText(1008, L"");
    close(program);
    ASSERT_TRUE(program.WaitExit(10000)) << "the program did not end";
    EXPECT_EQ(program.ExitCode(), 0u);
    std::string ini = program.ReadFile(L"config.ini");
    EXPECT_NE(ini.find("width=1234"), std::string::npos) << ini;
    EXPECT_NE(ini.find("height=0"), std::string::npos) << "an empty edit is saved as 0\n" << ini;
    EXPECT_NE(ini.find("on=0"), std::string::npos) << ini;
    EXPECT_NE(ini.find("cityid=101010100"), std::string::npos) << "the hand-edited city survives\n" << ini;
    for (const char* key : {"clrfont=", "clrbg=", "clrdigi="}) EXPECT_NE(ini.find(key), std::string::npos) << key;
}

}  // namespace

TEST(Program, EscEndsItAndSavesTheSettings) {
    ExpectEndsAndSaves([](ProgramDriver& p) { p.Key(VK_ESCAPE); });
}

TEST(Program, EnterEndsItAndSavesTheSettings) {
    ExpectEndsAndSaves([](ProgramDriver& p) { p.Key(VK_RETURN); });
}

TEST(Program, CloseBoxEndsItAndSavesTheSettings) {
    ExpectEndsAndSaves([](ProgramDriver& p) { ::PostMessageW(p.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0); });
}
