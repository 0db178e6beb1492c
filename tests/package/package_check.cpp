// The unpacked package or the installed program, as a hotel gets it: every
// file is there, and the program started from that folder shows the board
// with the sample tables.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/ProgramDriver.h"

namespace {

std::wstring PackageFolder() {
    const char* dir = std::getenv("RATEBOARD_PACKAGE_DIR");
    return dir ? Widen(CString(dir)) + L"\\" : std::wstring();
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST(Package, UnpackedFolderRunsAndShowsTheBoard) {
    const std::wstring folder = PackageFolder();
    ASSERT_FALSE(folder.empty()) << "RATEBOARD_PACKAGE_DIR names the unpacked package";
    for (const wchar_t* file : {L"RateBoard.exe", L"boardcheck.exe", L"HelveticaDigit.otf", L"OFL.txt", L"README.txt",
                                L"_\u623F\u4EF7.txt", L"_\u5916\u5E01\u5151\u6362.txt"}) {
        EXPECT_TRUE(Exists(folder + file)) << Narrow(file).GetString();
    }
    EXPECT_FALSE(Exists(folder + L"config.ini")) << "the package ships no settings of its own";

    testsupport::ProgramDriver program(folder);
    ASSERT_TRUE(program.Start());  // weather requests go to a closed loopback port
    ASSERT_TRUE(program.Dialog()) << "no settings dialog appeared";
    HWND board = nullptr;
    for (int i = 0; i < 100 && !(board && ::IsWindowVisible(board)); ++i) {
        ::Sleep(100);
        board = program.Board();
    }
    ASSERT_TRUE(board && ::IsWindowVisible(board)) << "no board appeared";
    ::Sleep(1500);  // a few ticks

    RECT rc;
    ::GetWindowRect(board, &rc);
    EXPECT_EQ(rc.right - rc.left, 768);
    EXPECT_EQ(rc.bottom - rc.top, 432);
    const testsupport::Pixels shot = testsupport::CaptureScreen(rc);
    // Default colours as the screen shows them, blended at 253/255 over black:
    // navy background, gold digits of the sample rows.
    int navy = 0, gold = 0;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const unsigned c = shot.At(x, y);
            if (c == 0x00007F) ++navy;
            if (c == 0xFDD500) ++gold;
        }
    }
    const int total = shot.width * shot.height;
    EXPECT_GT(navy, total / 2) << "background";
    EXPECT_GT(gold, 500) << "digits of the sample tables";

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
            EXPECT_EQ(code, 2u) << Narrow(cmd).GetString();
        }
        EXPECT_TRUE(program.Running());
    }

    // Esc on the settings dialog ends the program and leaves its settings.
    program.Key(VK_ESCAPE);
    EXPECT_TRUE(program.WaitExit(15000));
    EXPECT_TRUE(Exists(folder + L"config.ini"));
}
