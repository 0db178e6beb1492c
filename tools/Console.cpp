#include "Console.h"

#include <cstdio>
#include <string>

#include "framework/Text.h"
#include "framework/Win.h"

namespace console {
namespace {
bool g_english = false;
bool g_utf8 = false;

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != FALSE;
}
}  // namespace

void SetEnglish(bool english) { g_english = english; }
void SetUtf8(bool utf8) { g_utf8 = utf8; }

const char* Say(const Bilingual& words) { return g_english ? words.en : words.zh; }

void Line(const CString& text) {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (IsConsole(out)) {
        const std::wstring wide = Widen(text + "\n");
        DWORD written = 0;
        ::WriteConsoleW(out, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::string bytes = text.str() + "\n";
    if (g_utf8) {
        const std::wstring wide = Widen(text + "\n");
        const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0,
                                            nullptr, nullptr);
        bytes.assign(static_cast<size_t>(n > 0 ? n : 0), '\0');
        if (n > 0) {
            ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), &bytes[0], n, nullptr,
                                  nullptr);
        }
    }
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

CString Num(long long value) {
    CString s;
    s.Format("%lld", value);
    return s;
}

bool OwnsConsole() {
    DWORD processes[2] = {};
    return ::GetConsoleProcessList(processes, 2) == 1 && IsConsole(::GetStdHandle(STD_INPUT_HANDLE)) &&
           IsConsole(::GetStdHandle(STD_OUTPUT_HANDLE));
}

void WaitForKey() {
    Line(Say("按任意键关闭此窗口……", "Press any key to close this window..."));
    const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    ::FlushConsoleInputBuffer(in);
    INPUT_RECORD record{};
    DWORD read = 0;
    while (::ReadConsoleInputW(in, &record, 1, &read)) {
        if (read == 1 && record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) return;
    }
}

}  // namespace console
