// Shared by the settings dialog's test programs: config.ini and the rate
// files beside the test program, a dialog that records the calls each click
// makes, a watcher that reads and closes every box the dialog opens, and a
// driver for the modal dialog.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "support/LoopbackHttpServer.h"
#include "app/Globals.h"
#include "app/SettingsDialog.h"
#include "board/BoardWindow.h"

namespace settingstest {

// Every weather download of the test program goes to this loopback server,
// named once in http_proxy before the first download (WinINet takes the
// variable's value once per process). It drops each request at once, or,
// while hangMs is set, holds it unanswered that long.
class WeatherProxy {
public:
    static WeatherProxy& Get() {
        static WeatherProxy proxy;
        return proxy;
    }
    std::atomic<unsigned> hangMs{0};
    int RequestCount() const { return m_server.RequestCount(); }

private:
    WeatherProxy()
        : m_server([this](const std::string&) {
              testsupport::HttpReply reply;
              reply.kind = hangMs ? testsupport::HttpReply::Kind::Hang : testsupport::HttpReply::Kind::Drop;
              reply.hangMs = hangMs;
              return reply;
          }) {
        const std::wstring url = Widen(CString(m_server.ProxyUrl().c_str()));
        ::SetEnvironmentVariableW(L"http_proxy", url.c_str());
        _wputenv((L"http_proxy=" + url).c_str());
    }
    testsupport::LoopbackHttpServer m_server;
};
inline const bool kWeatherProxyReady = (WeatherProxy::Get(), true);

inline std::wstring ConfigPath() { return testsupport::ExeDir() + L"config.ini"; }
inline std::wstring RoomRatePath() { return testsupport::ExeDir() + L"_房价.txt"; }
inline std::wstring ExchangeRatePath() { return testsupport::ExeDir() + L"_外币兑换.txt"; }

inline void RemoveFile(const std::wstring& path) {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path.c_str());
}

// config.ini with the [board] section holding exactly these lines.
inline void WriteConfig(const std::string& lines) {
    ASSERT_TRUE(testsupport::WriteFileBytes(ConfigPath(), "[board]\r\n" + lines + "cityid=101010100\r\n"));
}

// The value of key as it stands in config.ini, or "<missing>".
inline std::string ConfigValue(const std::string& key) {
    const std::string ini = testsupport::ReadFileBytes(ConfigPath());
    size_t pos = 0;
    while (pos < ini.size()) {
        size_t end = ini.find('\n', pos);
        if (end == std::string::npos) end = ini.size();
        std::string line = ini.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
        pos = end + 1;
    }
    return "<missing>";
}

inline std::wstring WindowText(HWND hwnd) {
    wchar_t text[512] = {};
    ::GetWindowTextW(hwnd, text, 512);
    return text;
}

inline std::wstring ClassName(HWND hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return name;
}

// One box seen by the watcher: its owner, caption, the longest static text
// (a message box's message) and every static text by control id.
struct SeenBox {
    HWND owner = nullptr;
    std::wstring caption;
    std::wstring text;
    HICON icon = nullptr;  // of the message box's icon static, when there is one
    std::vector<std::pair<int, std::wstring>> statics;
    bool ownerEnabled = true;  // a modal box disables its owner
};

// Reads and closes (with IDOK) every visible, owned dialog-class window of
// this thread except the board, from a thread timer that also runs inside
// the boxes' own modal loops. One watcher at a time.
class BoxWatcher {
public:
    BoxWatcher() {
        s_active = this;
        m_timer = ::SetTimer(nullptr, 0, 15, &BoxWatcher::OnTimer);
    }
    ~BoxWatcher() {
        ::KillTimer(nullptr, m_timer);
        s_active = nullptr;
    }
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    std::vector<SeenBox> boxes;
    std::vector<std::wstring> Texts() const {
        std::vector<std::wstring> texts;
        for (const SeenBox& b : boxes) texts.push_back(b.text);
        return texts;
    }

private:
    static BOOL CALLBACK Visit(HWND hwnd, LPARAM) {
        BoxWatcher* self = s_active;
        if (!self || !::IsWindowVisible(hwnd) || ClassName(hwnd) != L"#32770") return TRUE;
        HWND owner = ::GetWindow(hwnd, GW_OWNER);
        if (!owner || (g_board && hwnd == g_board->m_hWnd)) return TRUE;
        for (HWND closing : self->m_closing) {
            if (closing == hwnd) return TRUE;
        }
        SeenBox box;
        box.owner = owner;
        box.caption = WindowText(hwnd);
        box.ownerEnabled = ::IsWindowEnabled(owner) != FALSE;
        for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (ClassName(child) != L"Static") continue;
            if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                box.icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
                continue;
            }
            std::wstring text = WindowText(child);
            box.statics.emplace_back(::GetDlgCtrlID(child), text);
            if (text.size() > box.text.size()) box.text = text;
        }
        self->boxes.push_back(box);
        self->m_closing.push_back(hwnd);
        ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return TRUE;
    }
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        BoxWatcher* self = s_active;
        if (!self) return;
        std::vector<HWND> still;
        for (HWND h : self->m_closing) {
            if (::IsWindow(h)) still.push_back(h);
        }
        self->m_closing.swap(still);
        ::EnumThreadWindows(::GetCurrentThreadId(), &BoxWatcher::Visit, 0);
    }

    static inline BoxWatcher* s_active = nullptr;
    UINT_PTR m_timer = 0;
    std::vector<HWND> m_closing;
};

// The real dialog, with the calls of each click written down and the rate
// files' editor replaced by a record of what would be opened.
class TracingDialog : public SettingsDialog {
public:
    std::vector<std::string> trace;
    std::vector<CString> opened;

    BOOL CollectSettings(BOOL validate) override {
        trace.push_back(validate ? "collect+validate" : "collect");
        return SettingsDialog::CollectSettings(validate);
    }
    void ApplyOutput() override {
        trace.push_back("apply");
        SettingsDialog::ApplyOutput();
    }
    int Count(const std::string& call) const {
        int n = 0;
        for (const std::string& t : trace) n += t == call;
        return n;
    }
    CXColourPicker& FontPicker() { return m_clrFontPicker; }
    CXColourPicker& BgPicker() { return m_clrBgPicker; }
    CXColourPicker& DigiPicker() { return m_clrDigiPicker; }

protected:
    void OpenForEditing(const CString& path) override { opened.push_back(path); }
};

// Test fixture: fresh config.ini, no rate files, a box watcher; the dialog
// made by Start is destroyed (saving) at the end of the test.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveFile(ConfigPath());
        RemoveFile(RoomRatePath());
        RemoveFile(ExchangeRatePath());
    }
    void TearDown() override {
        if (dlg) {
            dlg->DestroyWindow();
            dlg.reset();
        }
        testsupport::PumpMessages(20);
        RemoveFile(ConfigPath());
        RemoveFile(RoomRatePath());
        RemoveFile(ExchangeRatePath());
    }

    // Writes config.ini and creates the dialog modelessly (as the modal
    // loop would, minus the loop), then lets it settle on screen.
    void Start(const std::string& configLines) {
        WriteConfig(configLines);
        dlg = std::make_unique<TracingDialog>();
        ASSERT_TRUE(dlg->Create(IDD_SETTINGS));
        testsupport::PumpMessages(50);
        dlg->trace.clear();
    }

    HWND Item(int id) const { return ::GetDlgItem(dlg->m_hWnd, id); }
    void SetText(int id, const wchar_t* text) const {
        ::SendMessageW(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    // A click as the button reports it to the dialog.
    void Click(int id) const {
        ::SendMessageW(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
    }
    // The check box clicked for real: it toggles itself, then notifies.
    void ClickSwitch() const { ::SendMessageW(Item(IDC_OUTPUT_ON), BM_CLICK, 0, 0); }
    bool Checked() const { return ::SendMessageW(Item(IDC_OUTPUT_ON), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool BoardShown() const { return g_board && ::IsWindowVisible(g_board->m_hWnd); }
    RECT BoardWindowRect() const {
        RECT rc{};
        if (g_board) ::GetWindowRect(g_board->m_hWnd, &rc);
        return rc;
    }

    BoxWatcher watcher;
    std::unique_ptr<TracingDialog> dlg;
};

inline const wchar_t kWidthWarning[] = L"输出显示宽度必须是100到8000之间的整数";
inline const wchar_t kHeightWarning[] = L"输出显示高度必须是100到3000之间的整数";

}  // namespace settingstest
