// The settings dialog run modally, as the program runs it, driven from a
// timer inside its own loop: every way of closing it saves config.ini and
// tears the board down; the about box.
#include "settings_harness.h"

using namespace settingstest;

namespace {

// Runs dlg modally; once it is on screen, script(dialog) runs inside its
// loop. A watchdog ends a dialog that the script failed to close.
class ModalRun {
public:
    ModalRun(SettingsDialog& dlg, std::function<void(HWND)> script) : m_dlg(dlg), m_script(std::move(script)) {
        s_run = this;
        m_start = ::SetTimer(nullptr, 0, 50, &ModalRun::OnStart);
        m_watchdog = ::SetTimer(nullptr, 0, 15000, &ModalRun::OnWatchdog);
        m_dlg.DoModal();
        ::KillTimer(nullptr, m_start);
        ::KillTimer(nullptr, m_watchdog);
        s_run = nullptr;
    }
    bool timedOut = false;
    bool scriptRan = false;

private:
    static void CALLBACK OnStart(HWND, UINT, UINT_PTR, DWORD) {
        ModalRun* run = s_run;
        if (!run || run->scriptRan || !run->m_dlg.m_hWnd || !::IsWindowVisible(run->m_dlg.m_hWnd)) return;
        ::KillTimer(nullptr, run->m_start);
        run->scriptRan = true;
        run->m_script(run->m_dlg.m_hWnd);
    }
    static void CALLBACK OnWatchdog(HWND, UINT, UINT_PTR, DWORD) {
        ModalRun* run = s_run;
        if (!run || !run->m_dlg.m_hWnd) return;
        run->timedOut = true;
        run->m_dlg.EndDialog(IDABORT);
    }

    static inline ModalRun* s_run = nullptr;
    SettingsDialog& m_dlg;
    std::function<void(HWND)> m_script;
    UINT_PTR m_start = 0;
    UINT_PTR m_watchdog = 0;
};

class ModalTest : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveFile(ConfigPath());
        RemoveFile(RoomRatePath());
        RemoveFile(ExchangeRatePath());
    }
    void TearDown() override {
        RemoveFile(ConfigPath());
        RemoveFile(RoomRatePath());
        RemoveFile(ExchangeRatePath());
    }

    // Starts with output on and a valid size, changes every control, then
    // closes the dialog through close(edit box of the width).
    void ExpectClosingSaves(void (*close)(HWND dialog, HWND widthEdit)) {
        WriteConfig("on=1\r\nwidth=800\r\nheight=450\r\nclrfont=FF102030\r\nclrbg=FF405060\r\nclrdigi=FF708090\r\n");
        HWND board = nullptr;
        SettingsDialog dlg;
        ModalRun run(dlg, [&](HWND dialog) {
            board = g_board ? g_board->m_hWnd : nullptr;
            EXPECT_TRUE(board && ::IsWindowVisible(board));
            HWND width = ::GetDlgItem(dialog, IDC_BOARD_WIDTH);
            ::SendMessageW(width, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
            ::SendMessageW(::GetDlgItem(dialog, IDC_BOARD_HEIGHT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"777"));
            ::SendMessageW(::GetDlgItem(dialog, IDC_OUTPUT_ON), BM_SETCHECK, BST_UNCHECKED, 0);
            ::SetFocus(width);
            close(dialog, width);
        });
        EXPECT_TRUE(run.scriptRan);
        EXPECT_FALSE(run.timedOut) << "the dialog did not close";
        EXPECT_TRUE(watcher.boxes.empty()) << "closing never validates";
        EXPECT_EQ(ConfigValue("width"), "0") << "an empty width edit is saved as 0";
        EXPECT_EQ(ConfigValue("height"), "777");
        EXPECT_EQ(ConfigValue("on"), "0");
        EXPECT_EQ(ConfigValue("clrfont"), "FF102030");
        EXPECT_EQ(ConfigValue("clrbg"), "FF405060");
        EXPECT_EQ(ConfigValue("clrdigi"), "FF708090");
        EXPECT_EQ(ConfigValue("cityid"), "101010100");
        EXPECT_FALSE(board && ::IsWindow(board));
        EXPECT_EQ(g_board, nullptr);
        EXPECT_EQ(g_core, nullptr);
        EXPECT_EQ(g_roomRates, nullptr);
        EXPECT_EQ(g_exchangeRates, nullptr);
    }

    BoxWatcher watcher;
};

}  // namespace

TEST_F(ModalTest, EscInAnEditSavesAndEnds) {
    ExpectClosingSaves([](HWND, HWND edit) { ::PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0); });
}

TEST_F(ModalTest, EnterInAnEditSavesAndEnds) {
    ExpectClosingSaves([](HWND, HWND edit) { ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0); });
}

TEST_F(ModalTest, TheCloseBoxSavesAndEnds) {
    ExpectClosingSaves([](HWND dialog, HWND) { ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
}

TEST_F(ModalTest, AStoredWidthOf50WarnsBeforeTheDialogIsUsedAndIsKept) {
    WriteConfig("on=1\r\nwidth=50\r\nheight=600\r\n");
    SettingsDialog dlg;
    size_t boxesWhenShown = 0;
    ModalRun run(dlg, [&](HWND dialog) {
        boxesWhenShown = watcher.boxes.size();
        ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(boxesWhenShown, 1u);
    EXPECT_EQ(watcher.Texts(), std::vector<std::wstring>{kWidthWarning});
    EXPECT_EQ(ConfigValue("width"), "50");
    EXPECT_EQ(ConfigValue("on"), "1");
}

TEST_F(ModalTest, AboutShowsProductVersionWeatherSourceAndFontLicence) {
    WriteConfig("on=0\r\nwidth=800\r\nheight=450\r\n");
    SettingsDialog dlg;
    HWND dialogHwnd = nullptr;
    bool enabledAfter = false;
    ModalRun run(dlg, [&](HWND dialog) {
        dialogHwnd = dialog;
        ::SendMessageW(::GetDlgItem(dialog, IDC_ABOUT), BM_CLICK, 0, 0);  // returns when the box is closed
        enabledAfter = ::IsWindowEnabled(dialog) != FALSE;
        ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_FALSE(run.timedOut);
    ASSERT_EQ(watcher.boxes.size(), 1u);
    const SeenBox& box = watcher.boxes[0];
    EXPECT_EQ(box.owner, dialogHwnd);
    EXPECT_FALSE(box.ownerEnabled) << "modal to the settings dialog";
    EXPECT_TRUE(enabledAfter);
    EXPECT_NE(box.caption.find(L"Tavix电子房价牌"), std::wstring::npos);
    auto text = [&](int id) {
        for (const auto& s : box.statics) {
            if (s.first == id) return s.second;
        }
        return std::wstring(L"<none>");
    };
    EXPECT_EQ(text(IDC_ABOUT_PRODUCT), L"Tavix电子房价牌");
    EXPECT_NE(text(IDC_ABOUT_VERSION).find(L"1.0.8.17"), std::wstring::npos);
    EXPECT_FALSE(text(IDC_ABOUT_DESCRIPTION).empty());
    EXPECT_NE(text(IDC_ABOUT_WEATHER).find(L"www.weather.com.cn"), std::wstring::npos);
    EXPECT_NE(text(IDC_ABOUT_WEATHER).find(L"cityid"), std::wstring::npos);
    for (const wchar_t* part : {L"HelveticaDigit.otf", L"Liberation Sans", L"SIL Open Font License 1.1", L"OFL.txt"}) {
        EXPECT_NE(text(IDC_ABOUT_FONT).find(part), std::wstring::npos) << Narrow(part).GetString();
    }
}
