// The unpacked package or the installed program, as a hotel gets it: every
// file is there, and the program started from that folder shows the board
// with the sample tables.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/ProgramDriver.h"
#include "support/Support.h"

using namespace testsupport;

TEST(Package, UnpackedFolderRunsAndShowsTheBoard) {
    const char* dir = std::getenv("RATEBOARD_PACKAGE_DIR");
    ASSERT_TRUE(dir) << "RATEBOARD_PACKAGE_DIR names the unpacked package";
    const std::wstring folder = Widen(CString(dir)) + L"\\";
    for (const wchar_t* file : {L"RateBoard.exe", L"boardcheck.exe", L"HelveticaDigit.otf", L"OFL.txt", L"README.txt",
                                L"_\u623F\u4EF7.txt", L"_\u5916\u5E01\u5151\u6362.txt"}) {
        EXPECT_NE(::GetFileAttributesW((folder + file).c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(file).str();
    }
    ProgramDriver program(folder);
    ASSERT_TRUE(program.Start());  // weather requests go to a closed loopback port
    const HWND board = program.ShownBoard();
    ASSERT_TRUE(board) << "no board appeared";
    ::Sleep(1500);  // a few ticks
    RECT rc;
    ::GetWindowRect(board, &rc);
    const Pixels shot = CaptureScreen(rc);
    // The default colours as the screen shows them: navy background, gold
    // digits of the sample rows (drawn in the digit font shipped beside it).
    int navy = 0, gold = 0;
    for (std::uint32_t c : shot.rgb) {
        navy += (c & 0xFFFFFF) == Blended(0x000080);
        gold += (c & 0xFFFFFF) == Blended(0xFFD700);
    }
    EXPECT_GT(navy, shot.width * shot.height / 2);
    EXPECT_GT(gold, 500);

    // The installer and the uninstaller run silently beside the running board
    // give up (NSIS's exit code 2) rather than replace or remove the program.
    if (const char* setup = std::getenv("RATEBOARD_INSTALLER")) {
        for (std::wstring cmd : {L"\"" + Widen(CString(setup)) + L"\" /S",
                                 L"\"" + folder + L"uninstall.exe\" /S _?=" + folder.substr(0, folder.size() - 1)}) {
            STARTUPINFOW si{};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi{};
            ASSERT_TRUE(::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
            EXPECT_EQ(::WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
            DWORD code = 0;
            ::GetExitCodeProcess(pi.hProcess, &code);
            ::CloseHandle(pi.hThread);
            ::CloseHandle(pi.hProcess);
            EXPECT_EQ(code, 2u) << Narrow(cmd).str();
        }
        EXPECT_FALSE(program.WaitExit(0)) << "the board still runs";
    }
    program.Key(VK_ESCAPE);
    EXPECT_TRUE(program.WaitExit(15000));
}
