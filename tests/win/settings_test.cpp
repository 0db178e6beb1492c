// The settings dialog under Wine, real and driven through its controls: what
// it validates and in which order, where it puts the board, that its boxes
// hand it back, that every end saves what the operator set, and what the
// operator is told when a file cannot be read or written.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "app/FolderCheck.h"
#include "app/SettingsDialog.h"
#include "board/BoardWindow.h"
#include "board/ScreenWatch.h"
#include "core/Globals.h"
#include "core/PathText.h"
#include "data/RateParser.h"
#include "framework/Handles.h"
#include "support/Support.h"

using namespace testsupport;

namespace {

const std::wstring kWidthWarning = L"输出显示宽度必须是100到8000之间的整数";
const std::wstring kHeightWarning = L"输出显示高度必须是100到3000之间的整数";

std::wstring TextOf(HWND hwnd) {
    wchar_t text[256] = {};
    ::GetWindowTextW(hwnd, text, 256);
    return text;
}

// Reads every modal box of this thread and presses its OK, from a thread
// timer that also runs inside the boxes' own modal loops.
class BoxWatcher {
public:
    BoxWatcher() : m_timer(::SetTimer(nullptr, 0, 15, &BoxWatcher::Tick)) { s_texts.clear(); }
    ~BoxWatcher() { ::KillTimer(nullptr, m_timer); }
    static std::vector<std::wstring> Take() { return std::exchange(s_texts, {}); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { ::EnumThreadWindows(::GetCurrentThreadId(), &Visit, 0); }
    static BOOL CALLBACK Visit(HWND box, LPARAM) {
        // An owned dialog with an OK button: a message box (its text has the
        // id 0xFFFF) or the about box (its caption is taken).
        const HWND ok = ::GetDlgItem(box, IDOK);
        if (::IsWindowVisible(box) && ok && ::GetWindow(box, GW_OWNER)) {
            const HWND text = ::GetDlgItem(box, 0xFFFF);
            s_texts.push_back(TextOf(text ? text : box));
            ::SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
        }
        return TRUE;
    }
    static inline std::vector<std::wstring> s_texts;
    UINT_PTR m_timer;
};

BOOL CALLBACK FindExchangeEditor(HWND w, LPARAM out) {
    if (!::IsWindowVisible(w) || TextOf(w).find(L"_外币兑换") == std::wstring::npos) return TRUE;
    *reinterpret_cast<HWND*>(out) = w;
    return FALSE;
}

void EndNotepads() {
    const UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, L"notepad.exe") != 0) continue;
        const UniqueKernelHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (!process) continue;
        ::TerminateProcess(process.get(), 0);
        ::WaitForSingleObject(process.get(), 5000);
    }
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseProxy("http://127.0.0.1:9");
        ASSERT_EQ(::GetSystemMetrics(SM_CXSCREEN), 1920) << "the figures below are those of a 1920 x 1080 screen";
        WriteFileBytes(room, "标准间|388|268\n大床房|428|298\n");
        WriteFileBytes(ExeDir() + L"config.ini", "[board]\r\non=1\r\nwidth=800\r\nheight=450\r\n");
    }
    void TearDown() override {
        if (dialog.m_hWnd) dialog.DestroyWindow();
        for (const std::wstring& f : {room, ExeDir() + L"config.ini"}) RemoveFile(f);
    }
    void Start() {
        ASSERT_TRUE(dialog.Create(IDD_SETTINGS));
        ::SetForegroundWindow(dialog.m_hWnd);  // the keyboard focus is the operator's
        EXPECT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == dialog.m_hWnd && ::GetFocus(); }, 3000));
    }
    void Type(int id, const wchar_t* text) { ::SetWindowTextW(dialog.GetDlgItem(id), text); }
    void Click(int id) {
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(dialog.GetDlgItem(id)));
        PumpMessages(50);
    }
    RECT Board() const {
        RECT rc{};
        ::GetWindowRect(g_board->m_hWnd, &rc);
        return rc;
    }
    static std::vector<LONG> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
    bool HandedBack() const { return ::IsWindowEnabled(dialog.m_hWnd) && ::GetActiveWindow() == dialog.m_hWnd; }

    const std::wstring room = ExeDir() + L"_房价.txt";
    BoxWatcher boxes;
    SettingsDialog dialog;
};

}  // namespace

TEST_F(SettingsTest, StartSwitchAndSecondScreen) {
    Start();
    ASSERT_TRUE(g_board && ::IsWindowVisible(g_board->m_hWnd));
    EXPECT_EQ(Edges(Board()), (std::vector<LONG>{1152, 32, 1952, 482})) << "60 % across and 3 % down the screen";
    EXPECT_EQ(g_roomRateCount, 2);
    EXPECT_EQ((std::vector<int>{g_textSizeLarge, g_textSizeSmall, g_textSizeMedium}), (std::vector<int>{29, 17, 20}));

    ::SendMessageW(dialog.GetDlgItem(IDC_OUTPUT_ON), BM_CLICK, 0, 0);  // off
    PumpMessages(50);
    EXPECT_FALSE(::IsWindowVisible(g_board->m_hWnd));
    Type(IDC_BOARD_WIDTH, L"1600");
    Type(IDC_BOARD_HEIGHT, L"900");
    ::SendMessageW(dialog.GetDlgItem(IDC_OUTPUT_ON), BM_CLICK, 0, 0);  // on: takes the typed size
    PumpMessages(50);
    EXPECT_EQ(Edges(Board()), (std::vector<LONG>{1152, 32, 2752, 932}));
    Click(IDC_LOCATE_SECOND_SCREEN);
    EXPECT_EQ(Edges(Board()), (std::vector<LONG>{1920, 0, 3520, 900}));

    // Minimised, the dialog takes the board along; restored, brings it back.
    dialog.ShowWindow(SW_MINIMIZE);
    PumpMessages(50);
    EXPECT_FALSE(::IsWindowVisible(g_board->m_hWnd));
    dialog.ShowWindow(SW_RESTORE);
    PumpMessages(50);
    EXPECT_TRUE(::IsWindowVisible(g_board->m_hWnd));

    // A rate file not there yet is made, with its heading, and opened in the editor.
    const std::wstring exchange = ExeDir() + L"_外币兑换.txt";
    RemoveFile(exchange);
    Click(IDC_EXCHANGE_RATES);
    EXPECT_EQ(ReadFileBytes(exchange).rfind("; 外币兑换：", 0), 0u);
    const auto editor = [] {
        HWND found = nullptr;
        ::EnumWindows(&FindExchangeEditor, reinterpret_cast<LPARAM>(&found));
        return found;
    };
    EXPECT_TRUE(PumpUntil([&] { return editor() != nullptr; }, 15000)) << "Notepad with the file";
    EndNotepads();  // whatever it shows: it holds ctest's output pipes
    ::SetForegroundWindow(dialog.m_hWnd);  // taken back from the editor, as the operator would
    EXPECT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == dialog.m_hWnd; }, 3000));
    RemoveFile(exchange);
    EXPECT_TRUE(BoxWatcher::Take().empty());
}

TEST_F(SettingsTest, SizesAreCheckedWidthFirst) {
    Start();
    struct Case { const wchar_t* width; const wchar_t* height; std::wstring warning; int focus; };
    const Case cases[] = {
        {L"50", L"450", kWidthWarning, IDC_BOARD_WIDTH},
        {L"800", L"3001", kHeightWarning, IDC_BOARD_HEIGHT},
        {L"8001", L"0", kWidthWarning, IDC_BOARD_WIDTH},  // both wrong: the width is named
        {L"100", L"3000", L"", 0},                         // the bounds themselves are accepted
    };
    for (const Case& c : cases) {
        Type(IDC_BOARD_WIDTH, c.width);
        Type(IDC_BOARD_HEIGHT, c.height);
        BoxWatcher::Take();
        Click(IDC_REFRESH);
        // Refresh collects, then places the board, which collects again.
        const std::vector<std::wstring> expected =
            c.warning.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{c.warning, c.warning};
        EXPECT_EQ(BoxWatcher::Take(), expected) << c.width << " x " << c.height;
        if (c.focus) {
            EXPECT_EQ(::GetFocus(), dialog.GetDlgItem(c.focus)) << c.width << " x " << c.height;
        }
        EXPECT_TRUE(HandedBack()) << c.width << " x " << c.height << ": the dialog is enabled and active again";
    }
    Click(IDC_ABOUT);
    EXPECT_EQ(BoxWatcher::Take().size(), 1u);
    EXPECT_TRUE(HandedBack()) << "after the about box";
}

TEST_F(SettingsTest, UnreadableRatesAndUnwritableSettingsAreNamed) {
    Start();
    ASSERT_EQ(g_roomRateCount, 2);
    // A spreadsheet program holds the room rates open without sharing.
    HANDLE held = ::CreateFileW(room.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    BoxWatcher::Take();
    Click(IDC_REFRESH);  // reads the files twice
    std::vector<std::wstring> boxes = BoxWatcher::Take();
    ASSERT_EQ(boxes.size(), 1u) << "one word per Refresh";
    EXPECT_TRUE(boxes[0].find(room) != std::wstring::npos && boxes[0].find(room) == boxes[0].rfind(room)) << "which file, once";
    EXPECT_NE(boxes[0].find(L"被另一个程序独占打开"), std::wstring::npos) << "and why";
    EXPECT_EQ(g_roomRateCount, 2);
    EXPECT_STREQ(rates::RateField(g_roomRates, 1, 0), "大床房") << "the board keeps the prices it shows";
    const std::string check = RunConsole(L"\"" + ExeDir() + L"boardcheck.exe\" rates _房价.txt");
    EXPECT_NE(check.find("文件读不出来：文件正被另一个程序独占打开"), std::string::npos) << check;
    ::CloseHandle(held);

    // config.ini held the same way when the dialog ends.
    const std::wstring config = ExeDir() + L"config.ini";
    const std::string before = ReadFileBytes(config);
    Type(IDC_BOARD_WIDTH, L"1000");
    held = ::CreateFileW(config.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_NE(RunConsole(L"\"" + ExeDir() + L"boardcheck.exe\" config").find("写不进去：文件正被另一个程序独占打开"),
              std::string::npos);
    dialog.DestroyWindow();
    boxes = BoxWatcher::Take();
    ::CloseHandle(held);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(config), std::wstring::npos) << "where";
    EXPECT_NE(boxes[0].find(L"被另一个程序独占打开"), std::wstring::npos) << "and why";
    EXPECT_EQ(ReadFileBytes(config), before);
    EXPECT_TRUE(!g_core && !g_board && !g_roomRates) << "and the program still ends";
}

SettingsDialog* g_running = nullptr;

// Sets every setting to a value of its own, none the default, then presses
// Esc in the width, inside the dialog's own modal loop.
void CALLBACK TypeAndEscape(HWND, UINT, UINT_PTR id, DWORD) {
    if (!g_running->m_hWnd || !::IsWindowVisible(g_running->m_hWnd)) return;
    ::KillTimer(nullptr, id);
    const std::pair<int, COLORREF> colours[] = {
        {IDC_CLR_FONT, RGB(0x12, 0x34, 0x56)}, {IDC_CLR_BG, RGB(0x65, 0x43, 0x21)}, {IDC_CLR_DIGI, RGB(0xAB, 0xCD, 0xEF)}};
    for (const auto& c : colours) dynamic_cast<CXColourPicker*>(CWnd::FromHandle(g_running->GetDlgItem(c.first)))->SetColour(c.second);
    ::SendMessageW(g_running->GetDlgItem(IDC_OUTPUT_ON), BM_SETCHECK, BST_UNCHECKED, 0);
    ::SetWindowTextW(g_running->GetDlgItem(IDC_BOARD_HEIGHT), L"600");
    const HWND width = g_running->GetDlgItem(IDC_BOARD_WIDTH);
    ::SetWindowTextW(width, L"1000");
    ::SetFocus(width);
    ::PostMessageW(width, WM_KEYDOWN, VK_ESCAPE, 0);
}

void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
    if (g_running->m_hWnd) g_running->EndDialog(IDABORT);
}

TEST_F(SettingsTest, EscSavesEverySettingAsShown) {
    // Modal, as the program runs it; the keys arrive inside its own loop.
    g_running = &dialog;
    const UINT_PTR script = ::SetTimer(nullptr, 0, 200, &TypeAndEscape);
    const UINT_PTR watchdog = ::SetTimer(nullptr, 0, 10000, &Watchdog);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    ::KillTimer(nullptr, script);
    ::KillTimer(nullptr, watchdog);
    // Each under its own key, with the value shown.
    EXPECT_EQ(ReadFileBytes(ExeDir() + L"config.ini"), "[board]\r\non=0\r\nwidth=1000\r\nheight=600\r\nclrfont=FF123456\r\n"
                                                       "clrbg=FF654321\r\nclrdigi=FFABCDEF\r\ncityid=101020100\r\n");
    EXPECT_TRUE(!g_core && !g_board && !g_roomRates) << "the end tears everything down";
}

TEST_F(SettingsTest, FolderNamesCodePage936CannotWrite) {
    // Found through the short name: the file written there is the folder's own.
    for (const std::wstring name : {L"\u623F\u4EF7\u724C", L"Hotel\u00F1", L"\uD638\uD154 \uBCF4\uB4DC"}) {
        const std::wstring folder = ExeDir() + name + L"\\";
        ::CreateDirectoryW(folder.c_str(), nullptr);
        const std::optional<CString> text = PathText(folder);
        ASSERT_TRUE(text) << Narrow(name).str();
        EXPECT_EQ(*text == Narrow(folder), name == L"\u623F\u4EF7\u724C") << text->str();
        EXPECT_TRUE(WriteFileBytes(Widen(*text + "config.ini"), "[board]")) << text->str();
        EXPECT_EQ(ReadFileBytes(folder + L"config.ini"), "[board]");
        EXPECT_TRUE(ProgramFolderUsable(folder, dialog.m_hWnd));
        RemoveFile(folder + L"config.ini");
        ::RemoveDirectoryW(folder.c_str());
    }
    EXPECT_TRUE(BoxWatcher::Take().empty());
    // No short name (as on a volume that keeps none): the operator is told why.
    Start();
    const std::wstring gone = ExeDir() + L"Hotel\u00F1 gone\\";
    EXPECT_FALSE(PathText(gone));
    EXPECT_FALSE(ProgramFolderUsable(gone, dialog.m_hWnd));
    const std::vector<std::wstring> boxes = BoxWatcher::Take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(gone), std::wstring::npos) << Narrow(boxes[0]).str();
    EXPECT_NE(boxes[0].find(L"\u623F\u4EF7\u724C\u4E0D\u80FD\u5728"), std::wstring::npos);  // "房价牌不能在"
}

namespace {

// On the two-monitor desktop of cmake/two-screens (ctest's win.two_screens
// entries): the operator's 1920 x 1080 monitor and a 1280 x 1024 TV.
class TwoScreens : public SettingsTest {
protected:
    void SetUp() override {
        const char* tv = std::getenv("RATEBOARD_SCREENS");
        if (!tv) GTEST_SKIP() << "needs the two-monitor desktop of cmake/two-screens";
        SettingsTest::SetUp();
        tvLeft = std::string(tv) == "left" ? -1280 : 1920;
        ASSERT_EQ(SystemMonitors().size(), 2u);
    }
    // Pixels of the board's background colour (navy, the default) in rc.
    static int BoardPixels(const RECT& rc) {
        const Pixels shot = CaptureScreen(rc);
        return std::count_if(shot.rgb.begin(), shot.rgb.end(), [](auto c) { return (c & 0xFFFFFF) == Blended(0x80); });
    }
    void ExpectOnTheTv() {
        EXPECT_EQ(Edges(Board()), (std::vector<LONG>{tvLeft, 0, tvLeft + 800, 450}));
        EXPECT_GT(BoardPixels(Board()), 800 * 450 / 2) << "the board on the TV";
        EXPECT_EQ(BoardPixels(RECT{0, 0, 1920, 1080}), 0) << "the board on the operator's screen";
    }
    int tvLeft = 0;
};

}  // namespace

TEST_F(TwoScreens, LocateSecondScreenThenTheTvGoesDarkAndComesBack) {
    Start();
    Click(IDC_LOCATE_SECOND_SCREEN);
    ExpectOnTheTv();
    const HWND board = g_board->m_hWnd;
    auto shown = [&] { return ::IsWindowVisible(board) != FALSE; };

    // Wine moves nothing and sends no WM_DISPLAYCHANGE: the tick sees it.
    ASSERT_TRUE(SwitchTv(false));
    EXPECT_TRUE(PumpUntil([&] { return !shown(); }, 2500)) << "left on a monitor that is gone";
    EXPECT_EQ(::SendDlgItemMessageW(dialog.m_hWnd, IDC_OUTPUT_ON, BM_GETCHECK, 0, 0), BST_CHECKED) << "switch touched";
    ASSERT_TRUE(SwitchTv(true));
    EXPECT_TRUE(PumpUntil(shown, 2500)) << "not back with the TV";
    PumpMessages(100);
    ExpectOnTheTv();

    // Windows moves the board of a vanished monitor onto the primary one
    // and says so with WM_DISPLAYCHANGE: it must not stay there.
    ASSERT_TRUE(SwitchTv(false));
    ::SetWindowPos(board, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(board, WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
    EXPECT_FALSE(shown()) << "stayed on the operator's screen";
    // Output off meanwhile: the TV's return does not bring it back.
    ::SendMessageW(dialog.GetDlgItem(IDC_OUTPUT_ON), BM_CLICK, 0, 0);
    ASSERT_TRUE(SwitchTv(true));
    PumpMessages(1200);
    EXPECT_FALSE(shown()) << "back although the output is off";
}
