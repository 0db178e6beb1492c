#include "support/ProgramDriver.h"

#include <vector>

#include "res/resource.h"
#include "support/Support.h"

namespace testsupport {
namespace {

// The program's top-level dialog-class windows: the settings dialog (it has
// the width edit) and the board (it has no controls).
struct Search {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    wchar_t cls[16] = {};
    ::GetClassNameW(hwnd, cls, 16);
    if (owner == s->pid && std::wstring(cls) == L"#32770") s->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> DialogsOf(DWORD pid) {
    Search search{pid, {}};
    ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

ProgramDriver::ProgramDriver() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    m_folder = std::wstring(temp) + L"rateboard-e2e-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
               std::to_wstring(::GetTickCount()) + L"\\";
    ::CreateDirectoryW(m_folder.c_str(), nullptr);
    for (const wchar_t* f : {L"RateBoard.exe", L"HelveticaDigit.otf"}) {
        ::CopyFileW((ExeDir() + f).c_str(), (m_folder + f).c_str(), FALSE);
    }
}

ProgramDriver::ProgramDriver(const std::wstring& installedFolder) : m_folder(installedFolder), m_ownsFolder(false) {}

ProgramDriver::~ProgramDriver() {
    if (m_pi.hProcess) {
        if (!WaitExit(0)) {
            ::TerminateProcess(m_pi.hProcess, 1);
            ::WaitForSingleObject(m_pi.hProcess, 5000);
        }
        ::CloseHandle(m_pi.hProcess);
        ::CloseHandle(m_pi.hThread);
    }
    if (!m_ownsFolder) return;
    WIN32_FIND_DATAW fd;
    HANDLE find = ::FindFirstFileW((m_folder + L"*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) RemoveFile(m_folder + fd.cFileName);
        } while (::FindNextFileW(find, &fd));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(m_folder.c_str());
}

bool ProgramDriver::Start(const std::string& proxyUrl) {
    UseProxy(proxyUrl);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring cmd = L"\"" + m_folder + L"RateBoard.exe\"";
    return ::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, m_folder.c_str(), &si, &m_pi);
}

bool ProgramDriver::WaitExit(DWORD ms) const {
    return m_pi.hProcess && ::WaitForSingleObject(m_pi.hProcess, ms) == WAIT_OBJECT_0;
}

HWND ProgramDriver::Dialog(DWORD waitMs) {
    const DWORD start = ::GetTickCount();
    while (!m_dialog || !::IsWindow(m_dialog)) {
        m_dialog = nullptr;
        for (HWND h : DialogsOf(m_pi.dwProcessId)) {
            if (::GetDlgItem(h, IDC_BOARD_WIDTH)) m_dialog = h;
        }
        if (m_dialog || ::GetTickCount() - start > waitMs || WaitExit(0)) break;
        ::Sleep(100);
    }
    return m_dialog;
}

HWND ProgramDriver::Board() {
    for (HWND h : DialogsOf(m_pi.dwProcessId)) {
        if (!::GetWindow(h, GW_CHILD) && ::GetWindow(h, GW_OWNER) == Dialog()) return h;
    }
    return nullptr;
}

HWND ProgramDriver::ShownBoard(DWORD waitMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const HWND board = Board();
        if (board && ::IsWindowVisible(board)) return board;
        if (::GetTickCount() - start > waitMs) return nullptr;
        ::Sleep(50);
    }
}

void ProgramDriver::SetText(int id, const std::wstring& text) {
    ::SendMessageW(::GetDlgItem(Dialog(), id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ProgramDriver::Key(UINT vk) { ::PostMessageW(Dialog(), WM_KEYDOWN, vk, 0); }

}  // namespace testsupport
