#include "support/ProgramDriver.h"

#include <fstream>
#include <iterator>

#include "TestSupport.h"
#include "framework/Handles.h"

namespace testsupport {
namespace {

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<WindowSearch*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[32] = {};
    ::GetClassNameW(hwnd, cls, 32);
    if (pid == s->pid && std::wstring(cls) == L"#32770") s->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> DialogsOf(DWORD pid) {
    WindowSearch search{pid, {}};
    ::EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsBoard(HWND hwnd) { return (::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) && !::GetDlgItem(hwnd, 1007); }

}  // namespace

Pixels CaptureScreen(const RECT& rc) {
    Pixels p;
    p.width = rc.right - rc.left;
    p.height = rc.bottom - rc.top;
    if (p.width <= 0 || p.height <= 0) return p;
    WindowDC screen(nullptr);
    UniqueMemDC mem(::CreateCompatibleDC(screen.get()));
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = p.width;
    bmi.bmiHeader.biHeight = -p.height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    UniqueBitmap dib(::CreateDIBSection(screen.get(), &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        ScopedSelect select(mem.get(), dib.get());
        ::BitBlt(mem.get(), 0, 0, p.width, p.height, screen.get(), rc.left, rc.top, SRCCOPY);
    }
    ::GdiFlush();
    const auto* src = static_cast<const unsigned*>(bits);
    p.argb.assign(src, src + static_cast<size_t>(p.width) * p.height);
    return p;
}

ProgramDriver::ProgramDriver() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    m_folder = std::wstring(temp) + L"rateboard-e2e-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
               std::to_wstring(++counter) + L"-" + std::to_wstring(::GetTickCount()) + L"\\";
    ::CreateDirectoryW(m_folder.c_str(), nullptr);
}

ProgramDriver::ProgramDriver(const std::wstring& installedFolder)
    : m_folder(installedFolder), m_ownsFolder(false), m_installed(true) {}

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
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ::DeleteFileW((m_folder + fd.cFileName).c_str());
        } while (::FindNextFileW(find, &fd));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(m_folder.c_str());
}

void ProgramDriver::PutFile(const std::wstring& name, const std::string& bytes) const {
    std::ofstream out((m_folder + name).c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ProgramDriver::ReadFile(const std::wstring& name) const {
    std::ifstream in((m_folder + name).c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ProgramDriver::RemoveFile(const std::wstring& name) const { ::DeleteFileW((m_folder + name).c_str()); }

bool ProgramDriver::Start(const std::string& proxyUrl) {
    for (const wchar_t* f : {L"RateBoard.exe", L"HelveticaDigit.otf"}) {
        if (m_installed) break;
        if (!::CopyFileW((ExeDir() + f).c_str(), (m_folder + f).c_str(), FALSE)) return false;
    }
    return Launch(proxyUrl);
}

bool ProgramDriver::Launch(const std::string& proxyUrl) {
    ::SetEnvironmentVariableA("http_proxy", proxyUrl.c_str());
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring cmd = L"\"" + m_folder + L"RateBoard.exe\"";
    return ::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, m_folder.c_str(), &si, &m_pi);
}

bool ProgramDriver::Restart(const std::string& proxyUrl) {
    if (Running()) return false;
    if (m_pi.hProcess) {
        ::CloseHandle(m_pi.hProcess);
        ::CloseHandle(m_pi.hThread);
    }
    m_pi = PROCESS_INFORMATION{};
    m_dialog = nullptr;
    return Start(proxyUrl);
}

bool ProgramDriver::Running() const { return m_pi.hProcess && !WaitExit(0); }

bool ProgramDriver::WaitExit(DWORD ms) const {
    return m_pi.hProcess && ::WaitForSingleObject(m_pi.hProcess, ms) == WAIT_OBJECT_0;
}

DWORD ProgramDriver::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (m_pi.hProcess) ::GetExitCodeProcess(m_pi.hProcess, &code);
    return code;
}

HWND ProgramDriver::Dialog(DWORD waitMs) {
    const DWORD start = ::GetTickCount();
    while (!m_dialog || !::IsWindow(m_dialog)) {
        m_dialog = nullptr;
        for (HWND h : DialogsOf(m_pi.dwProcessId)) {
            if (::GetDlgItem(h, 1007)) m_dialog = h;
        }
        if (m_dialog || ::GetTickCount() - start > waitMs || !Running()) break;
        ::Sleep(100);
    }
    return m_dialog;
}

HWND ProgramDriver::Board() const {
    for (HWND h : DialogsOf(m_pi.dwProcessId)) {
        if (IsBoard(h)) return h;
    }
    // Before its first render the board has no layered style yet: the
    // dialog's owned #32770 without controls.
    for (HWND h : DialogsOf(m_pi.dwProcessId)) {
        if (!::GetDlgItem(h, 1007) && ::GetWindow(h, GW_OWNER) == m_dialog && !::GetWindow(h, GW_CHILD)) return h;
    }
    return nullptr;
}

std::vector<HWND> ProgramDriver::MessageBoxes() const {
    std::vector<HWND> boxes;
    for (HWND h : DialogsOf(m_pi.dwProcessId)) {
        if (h == m_dialog || IsBoard(h) || ::GetDlgItem(h, 1007)) continue;
        if (::IsWindowVisible(h) && ::GetDlgItem(h, 0xFFFF)) boxes.push_back(h);  // the box's text control
    }
    return boxes;
}

std::wstring ProgramDriver::MessageBoxText(HWND box) {
    wchar_t text[512] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 512);
    return text;
}

void ProgramDriver::SetText(int id, const std::wstring& text) {
    ::SendMessageW(::GetDlgItem(Dialog(), id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring ProgramDriver::Text(int id) {
    wchar_t text[256] = {};
    ::GetDlgItemTextW(Dialog(), id, text, 256);
    return text;
}

void ProgramDriver::Click(int id) { ::PostMessageW(::GetDlgItem(Dialog(), id), BM_CLICK, 0, 0); }

bool ProgramDriver::Checked(int id) {
    return ::SendMessageW(::GetDlgItem(Dialog(), id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ProgramDriver::Key(UINT vk) { ::PostMessageW(Dialog(), WM_KEYDOWN, vk, 0); }

}  // namespace testsupport
