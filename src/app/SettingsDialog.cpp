#include "app/SettingsDialog.h"

#include "app/AboutBox.h"
#include "app/BoardPlacement.h"
#include "core/Globals.h"
#include "app/RateFileSeed.h"
#include "board/BoardWindow.h"
#include "board/ScreenWatch.h"
#include "board/FrameSize.h"
#include "board/Layout.h"
#include "core/Core.h"
#include "core/FileErrorText.h"
#include "data/RateFile.h"
#include "data/WeatherThread.h"

namespace {
// How long the end of the dialog waits for weather downloads still in flight.
// Once stopped, no download touches the core instance or the board again; the
// wait lets a worker whose connection closed at once end cleanly, and is
// short because WinINet may keep a call blocked on a silent server (Wine
// does) and closing the program must stay well under a second.
constexpr DWORD kWeatherStopTimeoutMs = 400;

constexpr int kMinWidth = 100;
constexpr int kMinHeight = 100;
using framesize::kMaxHeight;
using framesize::kMaxWidth;

RECT ToRect(const placement::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

CString UnreadRateFilesText(const std::vector<std::pair<CString, unsigned long>>& files) {
    CString text;
    for (const auto& file : files) text += "无法读取价格文件：" + file.first + "\n原因：" + FileErrorText(file.second) + "\n\n";
    return text + "板上仍显示上次读到的价格。处理好之后，请按“刷新”重新读取。";
}

CString SettingsNotSavedText(const CString& path, unsigned long error) {
    return "设置没有保存：无法写入 " + path + "\n原因：" + FileErrorText(error) +
           "\n\n这次更改的尺寸、颜色和输出开关没有记下，下次启动时仍是原来的设置。";
}
}  // namespace

SettingsDialog::SettingsDialog(CWnd* parent) : CDialog(IDD_SETTINGS, parent) {
    m_hIcon = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

SettingsDialog::~SettingsDialog() {
    // Destroy here, while OnDestroy can still save and tear down.
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

void SettingsDialog::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_CLR_DIGI, m_clrDigiPicker);
    DDX_Control(dx, IDC_CLR_BG, m_clrBgPicker);
    DDX_Control(dx, IDC_CLR_FONT, m_clrFontPicker);
}

BOOL SettingsDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_core = std::make_unique<CCore>();
    g_core = m_core.get();
    LoadSettings();

    // Zeroed rate tables; the files are read at the first validated collection.
    g_roomRateCount = 0;
    m_roomRates = std::make_unique<char[]>(RATE_BUFFER_SIZE);
    g_roomRates = m_roomRates.get();
    g_exchangeRateCount = 0;
    m_exchangeRates = std::make_unique<char[]>(RATE_BUFFER_SIZE);
    g_exchangeRates = m_exchangeRates.get();

    int left = 0, top = 0;
    layout::DefaultBoardOrigin(g_screenCx, g_screenCy, &left, &top);
    g_boardRect.left = left;
    g_boardRect.top = top;

    CreateBoard();
    ApplyOutput();
    ReportUnreadRateFiles();
    return TRUE;
}

void SettingsDialog::LoadSettings() {
    g_core->autoFileConfig();
    g_appPath = g_core->getAppPath();
    g_roomRatePath = g_appPath + kRoomRateFile;
    g_exchangeRatePath = g_appPath + kExchangeRateFile;
    g_fontName = "黑体";
    g_screenCx = ::GetSystemMetrics(SM_CXSCREEN);
    g_screenCy = ::GetSystemMetrics(SM_CYSCREEN);
    g_width = g_core->getConfigInt("width");
    g_height = g_core->getConfigInt("height");
    g_clrFont = g_core->getConfigClr("clrfont");
    g_clrBg = g_core->getConfigClr("clrbg");
    g_clrDigi = g_core->getConfigClr("clrdigi");
    g_outputOn = g_core->getConfigB("on");
    ::SendDlgItemMessageW(m_hWnd, IDC_OUTPUT_ON, BM_SETCHECK, static_cast<WPARAM>(g_outputOn), 0);
    SetDlgItemText(IDC_BOARD_WIDTH, g_core->getStrInt(g_width));
    SetDlgItemText(IDC_BOARD_HEIGHT, g_core->getStrInt(g_height));
    m_clrFontPicker.SetColour(g_core->getClrRef(g_clrFont));
    m_clrDigiPicker.SetColour(g_core->getClrRef(g_clrDigi));
    m_clrBgPicker.SetColour(g_core->getClrRef(g_clrBg));
}

void SettingsDialog::CreateBoard() {
    // The board is a popup with this dialog as its owner: it is minimised,
    // restored and destroyed along with the dialog.
    auto board = std::make_unique<BoardWindow>();
    if (!board->Create(IDD_BOARD, this)) return;
    m_board = std::move(board);
    g_board = m_board.get();
}

BOOL SettingsDialog::CollectSettings(BOOL validate) {
    g_outputOn = static_cast<BOOL>(::SendDlgItemMessageW(m_hWnd, IDC_OUTPUT_ON, BM_GETCHECK, 0, 0));
    g_width = static_cast<int>(GetDlgItemInt(IDC_BOARD_WIDTH, nullptr, TRUE));
    g_height = static_cast<int>(GetDlgItemInt(IDC_BOARD_HEIGHT, nullptr, TRUE));
    g_clrFont = g_core->getColorFromClrRef(m_clrFontPicker.GetColour());
    g_clrBg = g_core->getColorFromClrRef(m_clrBgPicker.GetColour());
    g_clrDigi = g_core->getColorFromClrRef(m_clrDigiPicker.GetColour());
    if (!validate) return TRUE;

    if (g_width < kMinWidth || g_width > kMaxWidth) {
        g_core->msgboxWarning(m_hWnd, "输出显示宽度必须是100到8000之间的整数");
        ::SetFocus(GetDlgItem(IDC_BOARD_WIDTH));
        return FALSE;
    }
    if (g_height < kMinHeight || g_height > kMaxHeight) {
        g_core->msgboxWarning(m_hWnd, "输出显示高度必须是100到3000之间的整数");
        ::SetFocus(GetDlgItem(IDC_BOARD_HEIGHT));
        return FALSE;
    }
    ReloadRates(g_roomRatePath, g_roomRates, &g_roomRateCount);
    ReloadRates(g_exchangeRatePath, g_exchangeRates, &g_exchangeRateCount);
    return TRUE;
}

void SettingsDialog::ReloadRates(const CString& path, char* table, int* count) {
    const RateFileRead read = ReadRateFile(path, table);
    if (read.readable) {
        *count = read.count;
        return;
    }
    for (const auto& file : m_unreadRateFiles) {
        if (file.first == path) return;
    }
    m_unreadRateFiles.emplace_back(path, read.error);
}

void SettingsDialog::ReportUnreadRateFiles() {
    if (m_unreadRateFiles.empty()) return;
    const CString text = UnreadRateFilesText(m_unreadRateFiles);
    m_unreadRateFiles.clear();
    g_core->msgboxWarning(m_hWnd, text);
}

void SettingsDialog::ApplyOutput() {
    if (!g_outputOn) {
        if (g_board) g_board->Hide();
        return;
    }
    // From the width of the last collection, before this one.
    const layout::TextSizes sizes = layout::ComputeTextSizes(g_width);
    g_textSizeLarge = sizes.large;
    g_textSizeSmall = sizes.small;
    g_textSizeMedium = sizes.medium;
    // A rejected size is still placed: the board copes with any size.
    CollectSettings(TRUE);
    g_boardRect = ToRect(placement::BoardRectAt(g_boardRect.left, g_boardRect.top, g_width, g_height));
    PlaceBoard(g_boardRect);
}

void SettingsDialog::PlaceBoard(const RECT& rc) {
    if (!g_board) return;
    // Showing the board activates it; the operator's keys (Enter and Esc
    // included) must stay with the dialog, on the edit a warning pointed to.
    HWND focus = ::GetFocus();
    const bool ours = focus && (focus == m_hWnd || ::IsChild(m_hWnd, focus));
    g_board->PlaceBoard(rc);
    if (ours && ::GetFocus() != focus && ::IsWindow(focus)) ::SetFocus(focus);
}

void SettingsDialog::OnOutputSwitch() {
    g_outputOn = static_cast<BOOL>(::SendDlgItemMessageW(m_hWnd, IDC_OUTPUT_ON, BM_GETCHECK, 0, 0));
    ApplyOutput();
    if (g_outputOn) OnRefresh();
    ReportUnreadRateFiles();
}

void SettingsDialog::OnRefresh() {
    CollectSettings(TRUE);
    ApplyOutput();
    if (g_board) g_board->Render();
    ReportUnreadRateFiles();
}

void SettingsDialog::OnLocateSecondScreen() {
    // The size of the last collection; the controls are not read here. With
    // several extended monitors, the one the board is on stays its screen.
    const screens::Rect now = g_board ? WindowRect(g_board->m_hWnd)
                                      : screens::Rect{g_boardRect.left, g_boardRect.top, g_boardRect.right,
                                                      g_boardRect.bottom};
    g_boardRect = ToRect(screens::SecondScreenRect(SystemMonitors(), now, g_screenCx, g_width, g_height));
    ::SendDlgItemMessageW(m_hWnd, IDC_OUTPUT_ON, BM_SETCHECK, static_cast<WPARAM>(g_outputOn), 0);
    PlaceBoard(g_boardRect);
}

void SettingsDialog::OnAbout() {
    AboutBox about(this);
    about.DoModal();
}

void SettingsDialog::EditRateFile(const CString& path, const char* headerLine) {
    // A missing file would only give the operator an error from the editor.
    SeedRateFile(path, headerLine);
    // Where no program is associated with .txt files (a broken association,
    // a stripped-down system), Notepad: it comes with every Windows.
    if (g_core->openUrl(path) || g_core->openWith(L"notepad.exe", path)) return;
    g_core->msgboxWarning(m_hWnd, "打不开“" + path + "”：这台电脑上没有能编辑它的程序。请用记事本打开这个文件，"
                                  "改好保存后点击“刷新”。");
}

void SettingsDialog::OnEditRoomRates() { EditRateFile(g_roomRatePath, kRoomRateHeader); }

void SettingsDialog::OnEditExchangeRates() { EditRateFile(g_exchangeRatePath, kExchangeRateHeader); }

void SettingsDialog::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    PaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rc;
    GetClientRect(&rc);
    const int x = (rc.right - rc.left - cxIcon + 1) / 2;
    const int y = (rc.bottom - rc.top - cyIcon + 1) / 2;
    ::DrawIcon(dc.get(), x, y, m_hIcon);
}

void SettingsDialog::OnSize(UINT type) {
    // The board goes and comes back with its owner. Windows hides owned
    // popups of a minimised window itself; Wine does not, so do it here.
    if (!g_board) return;
    if (type == SIZE_MINIMIZED) {
        if (g_board->IsWindowVisible()) {
            g_board->ShowWindow(SW_HIDE);
            m_boardHiddenByMinimise = true;
        }
    } else if (m_boardHiddenByMinimise) {
        m_boardHiddenByMinimise = false;
        g_board->ShowWindow(SW_SHOWNOACTIVATE);
    }
}

HCURSOR SettingsDialog::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

unsigned long SettingsDialog::SaveSettings() {
    CollectSettings(FALSE);
    // Every key is tried, so that one that fails takes no other with it.
    unsigned long error = 0;
    auto saved = [&error](BOOL ok) {
        const DWORD code = ok ? 0 : ::GetLastError();
        if (!ok && error == 0) error = code ? code : ERROR_WRITE_FAULT;
    };
    saved(g_core->saveConfigB("on", g_outputOn));
    saved(g_core->saveConfigInt("width", g_width));
    saved(g_core->saveConfigInt("height", g_height));
    saved(g_core->saveConfigClr("clrfont", g_clrFont));
    saved(g_core->saveConfigClr("clrbg", g_clrBg));
    saved(g_core->saveConfigClr("clrdigi", g_clrDigi));
    return error;
}

void SettingsDialog::OnDestroy() {
    Default();
    if (!m_core) return;
    const unsigned long notSaved = SaveSettings();
    // Nothing may still run that reaches the board or the core instance.
    StopAllWeatherDownloads(kWeatherStopTimeoutMs);
    g_board = nullptr;
    m_board.reset();
    // The operator's changes are lost: say where and why before the program
    // ends. The board and the downloads are gone, so nothing runs meanwhile.
    if (notSaved) g_core->msgboxWarning(m_hWnd, SettingsNotSavedText(g_core->getConfigPath(), notSaved));
    g_roomRates = nullptr;
    g_roomRateCount = 0;
    m_roomRates.reset();
    g_exchangeRates = nullptr;
    g_exchangeRateCount = 0;
    m_exchangeRates.reset();
    g_core = nullptr;
    m_core.reset();
}

BOOL SettingsDialog::OnCommand(WPARAM wp, LPARAM lp) {
    if (HIWORD(wp) == BN_CLICKED) {
        switch (LOWORD(wp)) {
        case IDC_OUTPUT_ON:
            OnOutputSwitch();
            return TRUE;
        case IDC_LOCATE_SECOND_SCREEN:
            OnLocateSecondScreen();
            return TRUE;
        case IDC_ABOUT:
            OnAbout();
            return TRUE;
        case IDC_REFRESH:
            OnRefresh();
            return TRUE;
        case IDC_ROOM_RATES:
            OnEditRoomRates();
            return TRUE;
        case IDC_EXCHANGE_RATES:
            OnEditExchangeRates();
            return TRUE;
        default:
            break;
        }
    }
    return CDialog::OnCommand(wp, lp);
}

LRESULT SettingsDialog::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wp));
        return Default();
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(OnQueryDragIcon());
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        return CDialog::WindowProc(msg, wp, lp);
    }
}
