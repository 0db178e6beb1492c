// The unpacked package or the installed program, as a hotel gets it: every
// file is there, and the program started from that folder shows the board
// with the sample tables. And the installer's and the uninstaller's pages as
// the operator clicks through them, in states run-installer-check sets up.
#include <gtest/gtest.h>

#include <vector>

#include "support/ProgramDriver.h"
#include "support/Support.h"

using namespace testsupport;

namespace {

std::wstring Env(const wchar_t* name) {
    const wchar_t* value = ::_wgetenv(name);
    return value ? value : L"";
}

// The texts of a window and its controls, and its visible control `id`.
struct Look {
    int id;
    std::wstring texts;
    HWND control;
};

BOOL CALLBACK Read(HWND hwnd, LPARAM lp) {
    auto* look = reinterpret_cast<Look*>(lp);
    wchar_t text[1024] = {};
    ::GetWindowTextW(hwnd, text, 1024);
    look->texts += std::wstring(text) + L"\n";
    if (::GetDlgCtrlID(hwnd) == look->id && ::IsWindowVisible(hwnd)) look->control = hwnd;
    return TRUE;
}

// The operator at the installer or the uninstaller: each click waits for a
// window of the program showing its text, then clicks that window's control.
// The program's exit code.
DWORD Operate(std::wstring cmd, const std::vector<std::pair<std::wstring, int>>& clicks) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return ~0u;
    for (const auto& [text, id] : clicks) {
        HWND control = nullptr;
        for (DWORD start = ::GetTickCount(); !control && ::GetTickCount() - start < 20000; ::Sleep(100)) {
            for (HWND w = ::GetTopWindow(nullptr); w && !control; w = ::GetWindow(w, GW_HWNDNEXT)) {
                DWORD pid = 0;
                ::GetWindowThreadProcessId(w, &pid);
                Look look{id, L"", nullptr};
                if (pid != pi.dwProcessId || !::IsWindowVisible(w)) continue;
                Read(w, reinterpret_cast<LPARAM>(&look));
                ::EnumChildWindows(w, &Read, reinterpret_cast<LPARAM>(&look));
                if (look.texts.find(text) != std::wstring::npos) control = look.control;
            }
        }
        EXPECT_TRUE(control) << "no window shows: " << Narrow(text).str();
        if (control) ::PostMessageW(control, BM_CLICK, 0, 0);
    }
    DWORD code = ~0u;
    if (::WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, code);
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return code;
}

const std::wstring kInstalled = Env(L"RATEBOARD_PACKAGE_DIR");
const bool kInstallerRun = !Env(L"RATEBOARD_INSTALLER").empty();
const std::wstring kSetup = L"\"" + Env(L"RATEBOARD_INSTALLER") + L"\"";
const std::wstring kComponents = L"示例房价只装在还没有房价文件的文件夹里";

}  // namespace

TEST(Package, UnpackedFolderRunsAndShowsTheBoard) {
    ASSERT_FALSE(kInstalled.empty()) << "RATEBOARD_PACKAGE_DIR names the unpacked package";
    const std::wstring folder = kInstalled + L"\\";
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
    program.Key(VK_ESCAPE);
    EXPECT_TRUE(program.WaitExit(15000));
}

// An install registered as 1.0.8.16 in RATEBOARD_PACKAGE_DIR; /D= names
// another folder. The first page says it upgrades that install in place, and
// going back to it from the next page stays in the installer.
TEST(Installer, UpgradePageSaysFromWhichVersionAndWhere) {
    if (!kInstallerRun) GTEST_SKIP();
    const std::wstring upgrade = L"从版本 1.0.8.16 升级到 1.0.8.17，设置和房价会保留。\r\n\r\n房价牌安装在：\r\n" + kInstalled;
    EXPECT_EQ(Operate(kSetup + L" /D=C:\\OtherRB",
                      {{upgrade, IDOK}, {kComponents, 3}, {upgrade, IDCANCEL}, {L"确定要退出安装吗", IDYES}}),
              1u);
}

// The install is registered as version 9.9.
TEST(Installer, DowngradeAsks) {
    if (!kInstallerRun) GTEST_SKIP();
    EXPECT_EQ(Operate(kSetup, {{L"已经安装了较新的版本 9.9（在 " + kInstalled + L"）", IDNO}}), 1u);
}

// Nothing installed; a copy from the ZIP runs from RATEBOARD_ZIP_DIR. The
// operator takes its files over and closes it, or (RATEBOARD_TAKE_OVER=0)
// declines both and is told why the board will not start with Windows.
TEST(Installer, OffersTheFilesOfTheBoardRunningElsewhere) {
    if (!kInstallerRun) GTEST_SKIP();
    const int answer = Env(L"RATEBOARD_TAKE_OVER") == L"0" ? IDNO : IDYES;
    std::vector<std::pair<std::wstring, int>> clicks = {
        {L"此程序将在这台电脑上安装", IDOK},
        {L"请选择一个您有写入权限的文件夹", IDOK},
        {kComponents, IDOK},
        {L"房价牌正在从另一个文件夹运行：\r\n" + Env(L"RATEBOARD_ZIP_DIR"), answer},
        {L"现在关闭从 " + Env(L"RATEBOARD_ZIP_DIR"), answer}};
    if (answer == IDNO) clicks.push_back({L"没有设置开机启动：新文件夹里是示例房价", IDOK});
    clicks.push_back({L"房价牌已安装在", IDOK});  // "现在启动房价牌" ticked
    EXPECT_EQ(Operate(kSetup, clicks), 0u);
}

// Removing the operator's files is asked once more, naming them; "No" keeps them.
TEST(Uninstaller, AsksOnceMoreNamingTheOperatorsFiles) {
    if (!kInstallerRun) GTEST_SKIP();
    std::wstring files = L"删除后无法恢复：\r\n";
    for (const wchar_t* f : {L"config.ini", L"_房价.txt", L"_外币兑换.txt", L"bg.jpg"}) {
        files += L"\r\n" + kInstalled + L"\\" + f;
    }
    EXPECT_EQ(Operate(L"\"" + kInstalled + L"\\uninstall.exe\" /DELDATA",
                      {{L"选择要删除的内容", IDOK}, {files, IDNO}, {L"卸载完成", IDOK}}),
              0u);
}
