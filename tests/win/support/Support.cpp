#include "support/Support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "board/Layout.h"
#include "board/ScreenWatch.h"
#include "core/Globals.h"
#include "data/RateParser.h"
#include "data/WeatherThread.h"

namespace testsupport {

std::wstring ExeDir() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string SourceFile(const std::string& relative) {
    const char* root = std::getenv("RATEBOARD_SOURCE_DIR");
    std::ifstream in(std::string(root ? root : ".") + "/" + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

void RemoveFile(const std::wstring& path) {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path.c_str());
}

void PumpMessages(DWORD ms) {
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!CWnd::WalkPreTranslateTree(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (::GetTickCount() - start < ms);
}

Pixels CaptureScreen(const RECT& rc) {
    Pixels p;
    p.width = rc.right - rc.left;
    p.height = rc.bottom - rc.top;
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
    if (!bits) return Pixels{};
    {
        ScopedSelect select(mem.get(), dib.get());
        ::BitBlt(mem.get(), 0, 0, p.width, p.height, screen.get(), rc.left, rc.top, SRCCOPY);
    }
    ::GdiFlush();
    const auto* src = static_cast<const std::uint32_t*>(bits);
    p.rgb.assign(src, src + static_cast<size_t>(p.width) * p.height);
    return p;
}

std::uint32_t Blended(std::uint32_t rgb) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t t = ((rgb >> shift) & 0xFF) * 253 + 0x80;  // X's rounded c x a / 255
        out |= (((t >> 8) + t) >> 8) << shift;
    }
    return out;
}

ConsoleProgram::ConsoleProgram(const std::wstring& commandLine, bool ownConsole) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    ::CreatePipe(&read, &write, &inherit, 0);
    m_read.reset(read);
    m_start = ::GetTickCount();
    const UniqueKernelHandle writeEnd(write);  // the program's own copy is the one that counts
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = ownConsole ? STARTF_USESHOWWINDOW : STARTF_USESTDHANDLES;  // a console window hidden
    si.hStdOutput = si.hStdError = write;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = commandLine;
    if (::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, !ownConsole, ownConsole ? CREATE_NEW_CONSOLE : CREATE_NO_WINDOW,
                         nullptr, ExeDir().c_str(), &si, &pi)) {
        m_process.reset(pi.hProcess);
        ::CloseHandle(pi.hThread);
    }
}

std::pair<std::string, DWORD> ConsoleProgram::Finish() {
    std::string out;
    char buffer[4096];
    DWORD got = 0, status = 99;
    bool ended = !m_process.get();
    while (!ended && ::GetTickCount() - m_start < 30000) {
        ended = ::WaitForSingleObject(m_process.get(), 10) == WAIT_OBJECT_0;
        while (::PeekNamedPipe(m_read.get(), nullptr, 0, nullptr, &got, nullptr) && got && ::ReadFile(m_read.get(), buffer, sizeof buffer, &got, nullptr)) out.append(buffer, got);
    }
    // One that has not ended is ended, so that no test leaves it behind.
    if (m_process.get()) ended ? ::GetExitCodeProcess(m_process.get(), &status) : ::TerminateProcess(m_process.get(), status);
    return {out, status};
}

std::string ConsoleProgram::Screen(bool pressKey) const {
    std::wstring text;
    ::FreeConsole();  // this process joins the program's console meanwhile
    if (m_process.get() && ::AttachConsole(::GetProcessId(m_process.get()))) {
        const DWORD rw = GENERIC_READ | GENERIC_WRITE, share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        const UniqueKernelHandle in(::CreateFileW(L"CONIN$", rw, share, nullptr, OPEN_EXISTING, 0, nullptr)),
            out(::CreateFileW(L"CONOUT$", rw, share, nullptr, OPEN_EXISTING, 0, nullptr));
        CONSOLE_SCREEN_BUFFER_INFO info{};
        DWORD n = ::GetConsoleScreenBufferInfo(out.get(), &info);
        text.resize(static_cast<size_t>(info.dwSize.X) * info.dwSize.Y);
        ::ReadConsoleOutputCharacterW(out.get(), &text[0], static_cast<DWORD>(text.size()), COORD{0, 0}, &n);
        INPUT_RECORD key{KEY_EVENT, {}};
        key.Event.KeyEvent = {TRUE, 1, VK_SPACE, 0, {L' '}, 0};
        if (pressKey) ::WriteConsoleInputW(in.get(), &key, 1, &n);
        ::FreeConsole();
    }
    return Narrow(text).str();
}

std::string RunConsole(const std::wstring& commandLine) { return ConsoleProgram(commandLine).Finish().first; }

void ClickScreen(int x, int y) {
    ::SetCursorPos(x, y);
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, input, sizeof(INPUT));
}

bool SwitchTv(bool on) {
    // xrandr, a Unix program, which Wine starts without a handle to wait on.
    const char* command = std::getenv(on ? "RATEBOARD_TV_ON" : "RATEBOARD_TV_OFF");
    if (!command) return false;
    std::string line = command;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    const size_t expected = on ? 2 : 1;
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 5000;) {
        if (SystemMonitors().size() == expected) return true;
        on ? PumpMessages(20) : ::Sleep(20);
    }
    return false;
}

void UseProxy(const std::string& proxyUrl) {
    ::SetEnvironmentVariableA("http_proxy", proxyUrl.c_str());
    _putenv(("http_proxy=" + proxyUrl).c_str());
}

SharedSettings::SharedSettings(int width, int height)
    : m_core(std::make_unique<CCore>()), m_roomRates(RATE_BUFFER_SIZE), m_exchangeRates(RATE_BUFFER_SIZE) {
    g_core = m_core.get();
    g_appPath = g_core->getAppPath();
    g_fontName = "黑体";
    g_roomRates = m_roomRates.data();
    g_exchangeRates = m_exchangeRates.data();
    g_roomRateCount = g_exchangeRateCount = 0;
    g_clrFont = Gdiplus::Color(0xFFFFFFFF);
    g_clrBg = Gdiplus::Color(0xFF204080);
    g_clrDigi = Gdiplus::Color(0xFFFFD700);
    g_weatherRecord.Set("");
    Resize(width, height);
}

SharedSettings::~SharedSettings() {
    // No download of the test may reach the core instance once it is gone.
    StopAllWeatherDownloads(400);
    g_core = nullptr;
    g_roomRates = g_exchangeRates = nullptr;
    g_roomRateCount = g_exchangeRateCount = 0;
    g_width = g_height = 0;
}

void SharedSettings::Resize(int width, int height) {
    g_width = width;
    g_height = height;
    const layout::TextSizes t = layout::ComputeTextSizes(width);
    g_textSizeLarge = t.large;
    g_textSizeSmall = t.small;
    g_textSizeMedium = t.medium;
}

std::pair<std::string, std::string> SampleRateFiles(int rows) {
    static const char* const kRooms[] = {"标准间", "大床房", "商务大床房", "豪华双床房", "家庭房/亲子"};
    static const char* const kCurrencies[] = {"美元", "欧元", "日元", "港币", "英镑"};
    std::string rooms, money;
    for (int i = 0; i < rows; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "%s|%d|%s%d\n", kRooms[i % 5], 388 + 40 * i, i == 3 ? "*" : "", 298 + 30 * i);
        rooms += line;
        std::snprintf(line, sizeof line, "%s|100|%d.%02d\n", kCurrencies[i % 5], 100 + 37 * i, (i * 17) % 100);
        money += line;
    }
    return {rooms, money};
}

void SharedSettings::FillTables(int rows) {
    const auto [rooms, money] = SampleRateFiles(rows);
    g_roomRateCount = rates::ParseRateText(rooms.data(), rooms.size(), g_roomRates);
    g_exchangeRateCount = rates::ParseRateText(money.data(), money.size(), g_exchangeRates);
    g_weatherRecord.Set("上海 08:00 发布,多云转晴,28,<3级/无持续风向,06:21,阴,21,3-4级/东北风,18:45");
}

}  // namespace testsupport
