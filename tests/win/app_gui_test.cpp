// The real program, started as an operator would start it: its dialog
// appears with its caption, and every way of closing it ends the program
// with config.ini saved beside it.
#include <gtest/gtest.h>

#include "TestSupport.h"

using testsupport::ExeDir;
using testsupport::ReadFileBytes;

namespace {

const wchar_t kCaption[] = L"Tavix\u7535\u5B50\u623F\u4EF7\u724C";  // Tavix电子房价牌

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindSettingsDialog(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[32] = {};
    ::GetClassNameW(hwnd, cls, 32);
    if (pid == s->pid && std::wstring(cls) == L"#32770" && ::GetDlgItem(hwnd, 1007)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct Program {
    PROCESS_INFORMATION pi{};
    std::wstring folder;

    ~Program() {
        if (pi.hProcess) {
            if (::WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(pi.hProcess, 1);
            ::CloseHandle(pi.hProcess);
            ::CloseHandle(pi.hThread);
        }
        for (const wchar_t* f : {L"RateBoard.exe", L"HelveticaDigit.otf", L"config.ini"}) {
            ::DeleteFileW((folder + f).c_str());
        }
        ::RemoveDirectoryW(folder.c_str());
    }

    // Copies the program into a fresh folder and starts it there. Weather
    // downloads go to a closed loopback port, so none leaves the machine.
    bool Start(const char* configIni = nullptr) {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"rateboard-app-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                 std::to_wstring(::GetTickCount()) + L"\\";
        ::CreateDirectoryW(folder.c_str(), nullptr);
        for (const wchar_t* f : {L"RateBoard.exe", L"HelveticaDigit.otf"}) {
            if (!::CopyFileW((ExeDir() + f).c_str(), (folder + f).c_str(), FALSE)) return false;
        }
        if (configIni) testsupport::WriteFileBytes(folder + L"config.ini", configIni);
        ::SetEnvironmentVariableW(L"http_proxy", L"http://127.0.0.1:9");
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        std::wstring cmd = L"\"" + folder + L"RateBoard.exe\"";
        return ::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi);
    }

    HWND FindDialog(DWORD timeoutMs) const {
        Search search{pi.dwProcessId, nullptr};
        const DWORD start = ::GetTickCount();
        while (!search.found && ::GetTickCount() - start < timeoutMs) {
            ::EnumWindows(&FindSettingsDialog, reinterpret_cast<LPARAM>(&search));
            if (!search.found) ::Sleep(100);
        }
        return search.found;
    }

    bool Exited(DWORD timeoutMs) const { return ::WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0; }

    std::string Config() const { return ReadFileBytes(folder + L"config.ini"); }
};

void ExpectEndsAndSaves(void (*close)(HWND)) {
    Program program;
    ASSERT_TRUE(program.Start("[board]\r\non=0\r\ncityid=101010100\r\n"));
    HWND dialog = program.FindDialog(20000);
    ASSERT_TRUE(dialog) << "the settings dialog did not appear";
    wchar_t caption[64] = {};
    ::GetWindowTextW(dialog, caption, 64);
    EXPECT_STREQ(caption, kCaption);
    ::SendMessageW(::GetDlgItem(dialog, 1007), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"1234"));
    ::SendMessageW(::GetDlgItem(dialog, 1008), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    close(dialog);
    ASSERT_TRUE(program.Exited(10000)) << "the program did not end";
    DWORD code = 1;
    ::GetExitCodeProcess(program.pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    std::string ini = program.Config();
    EXPECT_NE(ini.find("width=1234"), std::string::npos) << ini;
    EXPECT_NE(ini.find("height=0"), std::string::npos) << "an empty edit is saved as 0\n" << ini;
    EXPECT_NE(ini.find("on=0"), std::string::npos) << ini;
    EXPECT_NE(ini.find("cityid=101010100"), std::string::npos) << "the hand-edited city survives\n" << ini;
    for (const char* key : {"clrfont=", "clrbg=", "clrdigi="}) EXPECT_NE(ini.find(key), std::string::npos) << key;
}

}  // namespace

TEST(Program, EscEndsItAndSavesTheSettings) {
    ExpectEndsAndSaves([](HWND dialog) { ::PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0); });
}

TEST(Program, EnterEndsItAndSavesTheSettings) {
    ExpectEndsAndSaves([](HWND dialog) { ::PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0); });
}

TEST(Program, CloseBoxEndsItAndSavesTheSettings) {
    ExpectEndsAndSaves([](HWND dialog) { ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
}
