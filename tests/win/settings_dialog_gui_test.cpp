// The settings dialog, real and modeless under Wine: what it loads, how it
// validates, where it puts the board and which calls each click makes.
#include "settings_harness.h"

#include <climits>
#include <cstring>

#include "core/Core.h"
#include "data/RateFile.h"
#include "data/WeatherThread.h"

using namespace settingstest;

namespace {

constexpr char kValidOn[] = "on=1\r\nwidth=800\r\nheight=450\r\nclrfont=FF102030\r\nclrbg=FF405060\r\nclrdigi=FF708090\r\n";
constexpr char kValidOff[] = "on=0\r\nwidth=1600\r\nheight=900\r\nclrfont=FF102030\r\nclrbg=FF405060\r\nclrdigi=FF708090\r\n";

void ExpectRect(const RECT& rc, int left, int top, int right, int bottom) {
    EXPECT_EQ(rc.left, left);
    EXPECT_EQ(rc.top, top);
    EXPECT_EQ(rc.right, right);
    EXPECT_EQ(rc.bottom, bottom);
}

void ExpectSizes(int large, int small, int medium) {
    EXPECT_EQ(g_textSizeLarge, large);
    EXPECT_EQ(g_textSizeSmall, small);
    EXPECT_EQ(g_textSizeMedium, medium);
}

class SettingsDialogTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        // The figures below are those of the 1920 x 1080 test display.
        ASSERT_EQ(::GetSystemMetrics(SM_CXSCREEN), 1920);
        ASSERT_EQ(::GetSystemMetrics(SM_CYSCREEN), 1080);
        g_textSizeLarge = g_textSizeSmall = g_textSizeMedium = -1;
    }
};

}  // namespace

TEST_F(SettingsDialogTest, OutputOffAtStartLoadsEverythingButLeavesTheBoardHiddenAndFilesUnread) {
    WriteConfig(kValidOff);
    dlg = std::make_unique<TracingDialog>();
    ASSERT_TRUE(dlg->Create(IDD_SETTINGS));
    testsupport::PumpMessages(50);
    EXPECT_EQ(dlg->trace, std::vector<std::string>{"apply"}) << "no collection, no file read";
    EXPECT_TRUE(watcher.boxes.empty());

    EXPECT_FALSE(Checked());
    EXPECT_EQ(WindowText(Item(IDC_BOARD_WIDTH)), L"1600");
    EXPECT_EQ(WindowText(Item(IDC_BOARD_HEIGHT)), L"900");
    EXPECT_EQ(dlg->FontPicker().GetColour(), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(dlg->BgPicker().GetColour(), RGB(0x40, 0x50, 0x60));
    EXPECT_EQ(dlg->DigiPicker().GetColour(), RGB(0x70, 0x80, 0x90));
    EXPECT_EQ(g_width, 1600);
    EXPECT_EQ(g_height, 900);
    EXPECT_EQ(g_clrBg.GetValue(), 0xFF405060u);
    EXPECT_EQ(g_fontName, "黑体");
    EXPECT_EQ(g_appPath, Narrow(testsupport::ExeDir()));
    EXPECT_EQ(g_roomRatePath, g_appPath + "_房价.txt");
    EXPECT_EQ(g_exchangeRatePath, g_appPath + "_外币兑换.txt");

    EXPECT_EQ(g_screenCx, 1920);
    EXPECT_EQ(g_screenCy, 1080);
    EXPECT_EQ(g_boardRect.left, 1152);
    EXPECT_EQ(g_boardRect.top, 32);
    ExpectSizes(-1, -1, -1);  // sized only when output is on

    ASSERT_TRUE(g_core && g_board && g_roomRates && g_exchangeRates);
    EXPECT_TRUE(::IsWindow(g_board->m_hWnd));
    EXPECT_EQ(::GetWindow(g_board->m_hWnd, GW_OWNER), dlg->m_hWnd);
    EXPECT_FALSE(BoardShown());
    EXPECT_EQ(g_roomRateCount, 0);
    EXPECT_EQ(g_exchangeRateCount, 0);
    for (int i = 0; i < RATE_BUFFER_SIZE; ++i) {
        ASSERT_EQ(g_roomRates[i], 0) << i;
        ASSERT_EQ(g_exchangeRates[i], 0) << i;
    }
    // The application icon, big and small; also the drag icon.
    HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(dlg->m_hWnd, WM_GETICON, ICON_BIG, 0)), icon);
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(dlg->m_hWnd, WM_GETICON, ICON_SMALL, 0)), icon);
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(dlg->m_hWnd, WM_QUERYDRAGICON, 0, 0)), icon);
}

TEST_F(SettingsDialogTest, OutputOnAtStartPlacesTheBoardAtTheDefaultCorner) {
    WriteConfig(kValidOn);
    dlg = std::make_unique<TracingDialog>();
    ASSERT_TRUE(dlg->Create(IDD_SETTINGS));
    testsupport::PumpMessages(50);
    EXPECT_EQ(dlg->trace, (std::vector<std::string>{"apply", "collect+validate"}));
    EXPECT_TRUE(watcher.boxes.empty());
    EXPECT_TRUE(Checked());
    ExpectSizes(29, 17, 20);
    ExpectRect(g_boardRect, 1152, 32, 1952, 482);
    ASSERT_TRUE(BoardShown());
    ExpectRect(BoardWindowRect(), 1152, 32, 1952, 482);
    ExpectRect(g_board->BoardRect(), 1152, 32, 1952, 482);
}

TEST_F(SettingsDialogTest, StoredWidthOf50WarnsOnceAtStartAndIsWrittenBackUnchanged) {
    Start("on=1\r\nwidth=50\r\nheight=600\r\n");
    ASSERT_EQ(watcher.boxes.size(), 1u);
    const SeenBox& box = watcher.boxes[0];
    EXPECT_EQ(box.text, kWidthWarning);
    EXPECT_EQ(box.owner, dlg->m_hWnd);
    EXPECT_FALSE(box.ownerEnabled) << "the warning is modal to the dialog";
    EXPECT_EQ(box.icon, ::LoadIconW(nullptr, IDI_WARNING));
    // The callers go on: the board is placed with the size entered.
    ExpectRect(g_boardRect, 1152, 32, 1202, 632);
    EXPECT_TRUE(BoardShown());
    dlg->DestroyWindow();
    EXPECT_EQ(ConfigValue("width"), "50");
    EXPECT_EQ(ConfigValue("height"), "600");
    EXPECT_EQ(ConfigValue("on"), "1");
}

TEST_F(SettingsDialogTest, EachValidatedCollectionChecksWidthThenHeightBoundsIncluded) {
    Start(kValidOff);
    struct Case {
        const wchar_t* width;
        const wchar_t* height;
        const wchar_t* warning;  // null: accepted
        int focus;
        int widthRead, heightRead;
    };
    const Case cases[] = {
        {L"100", L"100", nullptr, 0, 100, 100},
        {L"8000", L"3000", nullptr, 0, 8000, 3000},
        {L"99", L"500", kWidthWarning, IDC_BOARD_WIDTH, 99, 500},
        {L"8001", L"500", kWidthWarning, IDC_BOARD_WIDTH, 8001, 500},
        {L"500", L"99", kHeightWarning, IDC_BOARD_HEIGHT, 500, 99},
        {L"500", L"3001", kHeightWarning, IDC_BOARD_HEIGHT, 500, 3001},
        {L"99", L"3001", kWidthWarning, IDC_BOARD_WIDTH, 99, 3001},  // only the width's warning
        {L"", L"500", kWidthWarning, IDC_BOARD_WIDTH, 0, 500},      // empty reads as 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "width '" << Narrow(c.width).GetString() << "' height '"
                                        << Narrow(c.height).GetString() << "'");
        watcher.boxes.clear();
        ::SetFocus(Item(IDC_REFRESH));
        SetText(IDC_BOARD_WIDTH, c.width);
        SetText(IDC_BOARD_HEIGHT, c.height);
        Click(IDC_REFRESH);  // output off: exactly one validated collection
        EXPECT_EQ(g_width, c.widthRead);
        EXPECT_EQ(g_height, c.heightRead);
        if (!c.warning) {
            EXPECT_TRUE(watcher.boxes.empty());
            continue;
        }
        ASSERT_EQ(watcher.boxes.size(), 1u);
        EXPECT_EQ(watcher.boxes[0].text, c.warning);
        EXPECT_EQ(watcher.boxes[0].owner, dlg->m_hWnd);
        EXPECT_EQ(::GetFocus(), Item(c.focus));
    }
    EXPECT_FALSE(BoardShown());
}

TEST_F(SettingsDialogTest, OnlyAnAcceptedSizeReloadsTheRateTables) {
    Start(kValidOff);
    // Tables as an earlier reload left them.
    std::memset(g_roomRates, 'X', 10);
    std::memset(g_exchangeRates, 'Y', 10);
    g_roomRateCount = 7;
    g_exchangeRateCount = 5;
    SetText(IDC_BOARD_HEIGHT, L"3001");
    Click(IDC_REFRESH);
    EXPECT_EQ(watcher.boxes.size(), 1u);
    EXPECT_EQ(g_roomRateCount, 7);
    EXPECT_EQ(g_exchangeRateCount, 5);
    EXPECT_EQ(g_roomRates[0], 'X');
    EXPECT_EQ(g_exchangeRates[0], 'Y');

    ASSERT_TRUE(testsupport::WriteFileBytes(RoomRatePath(), "; 房价表\r\n标准间|388|298\r\n豪华间|588|458\r\n"));
    SetText(IDC_BOARD_HEIGHT, L"3000");
    Click(IDC_REFRESH);
    EXPECT_EQ(watcher.boxes.size(), 1u);
    EXPECT_EQ(g_roomRateCount, 2);
    EXPECT_STREQ(g_roomRates, "标准间");
    EXPECT_EQ(g_exchangeRateCount, 0) << "missing file, empty table";
    EXPECT_EQ(g_exchangeRates[0], 0);
}

TEST_F(SettingsDialogTest, TurningOutputOnAppliesTwiceAndTakesTheTypedSize) {
    Start(kValidOff);
    SetText(IDC_BOARD_WIDTH, L"1920");
    SetText(IDC_BOARD_HEIGHT, L"1080");
    ClickSwitch();
    EXPECT_EQ(dlg->trace,
              (std::vector<std::string>{"apply", "collect+validate", "collect+validate", "apply", "collect+validate"}));
    EXPECT_TRUE(watcher.boxes.empty());
    EXPECT_TRUE(g_outputOn);
    ExpectSizes(71, 42, 50);
    ASSERT_TRUE(BoardShown());
    ExpectRect(BoardWindowRect(), 1152, 32, 3072, 1112);

    dlg->trace.clear();
    ClickSwitch();  // off again: hidden, nothing collected
    EXPECT_EQ(dlg->trace, std::vector<std::string>{"apply"});
    EXPECT_FALSE(g_outputOn);
    EXPECT_FALSE(BoardShown());
}

TEST_F(SettingsDialogTest, TurningOutputOnWithABadWidthWarnsThreeTimes) {
    Start(kValidOff);
    SetText(IDC_BOARD_WIDTH, L"");
    ClickSwitch();
    EXPECT_EQ(watcher.Texts(), (std::vector<std::wstring>{kWidthWarning, kWidthWarning, kWidthWarning}));
    EXPECT_EQ(::GetFocus(), Item(IDC_BOARD_WIDTH));
    EXPECT_EQ(g_width, 0);
}

TEST_F(SettingsDialogTest, RefreshWithOutputOnCollectsTwiceAndWarnsTwice) {
    Start(kValidOn);
    SetText(IDC_BOARD_HEIGHT, L"99");
    Click(IDC_REFRESH);
    EXPECT_EQ(dlg->trace, (std::vector<std::string>{"collect+validate", "apply", "collect+validate"}));
    EXPECT_EQ(watcher.Texts(), (std::vector<std::wstring>{kHeightWarning, kHeightWarning}));
    EXPECT_EQ(::GetFocus(), Item(IDC_BOARD_HEIGHT));
    // Still placed, with the height entered.
    ExpectRect(BoardWindowRect(), 1152, 32, 1952, 131);
}

TEST_F(SettingsDialogTest, TextSizesComeFromTheWidthOfTheCollectionBefore) {
    Start(kValidOn);  // 800 wide
    ExpectSizes(29, 17, 20);
    SetText(IDC_BOARD_WIDTH, L"1600");
    dlg->ApplyOutput();  // sizes from 800, then 1600 collected and placed
    ExpectSizes(29, 17, 20);
    EXPECT_EQ(g_width, 1600);
    ExpectRect(BoardWindowRect(), 1152, 32, 2752, 482);
    Click(IDC_REFRESH);
    ExpectSizes(59, 35, 42);
    SetText(IDC_BOARD_WIDTH, L"100");
    Click(IDC_REFRESH);
    ExpectSizes(3, 1, 1);
    ExpectRect(g_boardRect, 1152, 32, 1252, 482);
    EXPECT_TRUE(watcher.boxes.empty());
}

TEST_F(SettingsDialogTest, SecondScreenPlacesWithTheLastCollectedSizeWhateverTheSwitch) {
    Start(kValidOff);  // 1600 x 900 loaded, output off
    SetText(IDC_BOARD_WIDTH, L"1000");  // not collected by this button
    Click(IDC_LOCATE_SECOND_SCREEN);
    EXPECT_TRUE(dlg->trace.empty());
    EXPECT_FALSE(Checked());
    ASSERT_TRUE(BoardShown());
    ExpectRect(BoardWindowRect(), 1920, 0, 3520, 900);
    ExpectRect(g_boardRect, 1920, 0, 3520, 900);

    Click(IDC_REFRESH);  // output off hides it again, the corner stays
    EXPECT_FALSE(BoardShown());
    ClickSwitch();
    ASSERT_TRUE(BoardShown());
    ExpectRect(BoardWindowRect(), 1920, 0, 2920, 900);
    EXPECT_TRUE(Checked());
    Click(IDC_LOCATE_SECOND_SCREEN);
    EXPECT_TRUE(Checked());
    ExpectRect(BoardWindowRect(), 1920, 0, 2920, 900);
}

TEST_F(SettingsDialogTest, SizesThatFailValidationStillReachTheBoardWithoutHarm) {
    Start(kValidOn);
    const struct {
        const wchar_t* width;
        const wchar_t* height;
        int right, bottom;
    } cases[] = {
        {L"", L"", 1152, 32},
        {L"-40", L"-30", 1112, 2},
        {L"2147483647", L"2147483647", INT_MAX, INT_MAX},  // the far edges saturate
        {L"8001", L"3001", 1152 + 8001, 32 + 3001},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.width).GetString());
        watcher.boxes.clear();
        SetText(IDC_BOARD_WIDTH, c.width);
        SetText(IDC_BOARD_HEIGHT, c.height);
        Click(IDC_REFRESH);
        EXPECT_EQ(watcher.boxes.size(), 2u);
        ExpectRect(g_boardRect, 1152, 32, c.right, c.bottom);
        testsupport::PumpMessages(1100);  // a tick of the board's clock
        ASSERT_TRUE(::IsWindow(g_board->m_hWnd));
    }
    SetText(IDC_BOARD_WIDTH, L"800");
    SetText(IDC_BOARD_HEIGHT, L"450");
    watcher.boxes.clear();
    Click(IDC_REFRESH);
    EXPECT_TRUE(watcher.boxes.empty());
    ExpectRect(BoardWindowRect(), 1152, 32, 1952, 482);
}

TEST_F(SettingsDialogTest, ColoursGoFromThePickersIntoTheVariablesAndConfig) {
    Start(kValidOff);
    dlg->FontPicker().SetColour(RGB(1, 2, 3));
    dlg->BgPicker().SetColour(RGB(4, 5, 6));
    EXPECT_EQ(g_clrFont.GetValue(), 0xFF102030u) << "not before the next collection";
    Click(IDC_REFRESH);
    EXPECT_EQ(g_clrFont.GetValue(), 0xFF010203u);
    EXPECT_EQ(g_clrBg.GetValue(), 0xFF040506u);
    dlg->DigiPicker().SetColour(RGB(7, 8, 9));  // never applied, still saved
    dlg->DestroyWindow();
    EXPECT_EQ(ConfigValue("clrfont"), "FF010203");
    EXPECT_EQ(ConfigValue("clrbg"), "FF040506");
    EXPECT_EQ(ConfigValue("clrdigi"), "FF070809");
}

TEST_F(SettingsDialogTest, TheEndSavesUnvalidatedAndTearsEverythingDown) {
    Start(kValidOn);
    HWND board = g_board->m_hWnd;
    SetText(IDC_BOARD_WIDTH, L"");
    SetText(IDC_BOARD_HEIGHT, L"123456");
    ClickSwitch();
    dlg->DestroyWindow();
    EXPECT_EQ(ConfigValue("width"), "0");
    EXPECT_EQ(ConfigValue("height"), "123456");
    EXPECT_EQ(ConfigValue("on"), "0");
    EXPECT_EQ(ConfigValue("cityid"), "101010100") << "the hand-set city is never written";
    EXPECT_FALSE(::IsWindow(board));
    EXPECT_EQ(g_board, nullptr);
    EXPECT_EQ(g_core, nullptr);
    EXPECT_EQ(g_roomRates, nullptr);
    EXPECT_EQ(g_exchangeRates, nullptr);
}

TEST_F(SettingsDialogTest, TheEndLeavesNoDownloadThatCouldTouchWhatItTearsDown) {
    WeatherProxy& proxy = WeatherProxy::Get();
    proxy.hangMs = 9000;  // the page does not come before the dialog ends
    const int before = proxy.RequestCount();
    Start(kValidOn);
    const bool asked = testsupport::PumpUntil([&] { return proxy.RequestCount() > before; }, 10000);
    proxy.hangMs = 0;
    ASSERT_TRUE(asked);
    EXPECT_GE(RunningWeatherDownloads(), 1);
    EXPECT_EQ(g_weatherRecord.Get(), "Loading");
    const DWORD start = ::GetTickCount();
    dlg->DestroyWindow();
    // Hiding the two windows alone takes Wine about 4 s here without a window
    // manager; the download is waited for only within its bound on top.
    EXPECT_LT(::GetTickCount() - start, 7500u) << "the end waited for the page";
    EXPECT_EQ(g_core, nullptr);
    EXPECT_EQ(g_board, nullptr);
    // A worker still blocked in the network may finish later, but never
    // writes the record or reaches the core instance again.
    g_weatherRecord.Set("after the end");
    EXPECT_TRUE(testsupport::PumpUntil([] { return RunningWeatherDownloads() == 0; }, 15000));
    EXPECT_EQ(g_weatherRecord.Get(), "after the end");
}

TEST_F(SettingsDialogTest, MinimisingTheDialogHidesTheBoardAndRestoringBringsItBack) {
    Start(kValidOn);
    ASSERT_TRUE(BoardShown());
    ::ShowWindow(dlg->m_hWnd, SW_MINIMIZE);
    testsupport::PumpMessages(100);
    EXPECT_TRUE(::IsIconic(dlg->m_hWnd));
    EXPECT_FALSE(BoardShown());
    ::ShowWindow(dlg->m_hWnd, SW_RESTORE);
    testsupport::PumpMessages(100);
    EXPECT_TRUE(BoardShown());
    ExpectRect(BoardWindowRect(), 1152, 32, 1952, 482);

    ClickSwitch();  // off: a hidden board stays hidden through both
    ::ShowWindow(dlg->m_hWnd, SW_MINIMIZE);
    testsupport::PumpMessages(100);
    ::ShowWindow(dlg->m_hWnd, SW_RESTORE);
    testsupport::PumpMessages(100);
    EXPECT_FALSE(BoardShown());
}

TEST_F(SettingsDialogTest, RateFileButtonsCreateAMissingFileWithItsFormatLineThenOpenIt) {
    Start(kValidOff);
    Click(IDC_ROOM_RATES);
    Click(IDC_EXCHANGE_RATES);
    EXPECT_EQ(dlg->opened, (std::vector<CString>{g_roomRatePath, g_exchangeRatePath}));
    EXPECT_EQ(testsupport::ReadFileBytes(RoomRatePath()),
              std::string("; 房价表：类别|标准价|今日价   例如  标准间|388|298\r\n"));
    EXPECT_EQ(testsupport::ReadFileBytes(ExchangeRatePath()),
              std::string("; 外币兑换：外币|外币/100|人民币/元   例如  美元|100|718.25\r\n"));
    // The format line is a comment to the reader.
    EXPECT_EQ(ReadRateFile(g_roomRatePath, g_roomRates), 0);
    EXPECT_EQ(ReadRateFile(g_exchangeRatePath, g_exchangeRates), 0);

    // An existing file is opened as it is; nothing is reloaded.
    const std::string mine = "标准间|388|298";
    ASSERT_TRUE(testsupport::WriteFileBytes(RoomRatePath(), mine));
    dlg->trace.clear();
    Click(IDC_ROOM_RATES);
    EXPECT_EQ(testsupport::ReadFileBytes(RoomRatePath()), mine);
    EXPECT_EQ(dlg->opened.size(), 3u);
    EXPECT_TRUE(dlg->trace.empty());
}
