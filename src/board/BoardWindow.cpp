#include "board/BoardWindow.h"

#include <algorithm>
#include <climits>

#include "board/FrameSize.h"
#include "core/Core.h"
#include "core/Globals.h"
#include "data/WeatherThread.h"
#include "res/resource.h"

BoardWindow::BoardWindow(CWnd* parent)
    : CDialog(IDD_BOARD, parent),
      m_format(0, LANG_NEUTRAL),
      m_textPath(Gdiplus::FillModeAlternate),
      m_digitPath(Gdiplus::FillModeAlternate) {}

BoardWindow::~BoardWindow() {
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

int BoardWindow::OnCreate(LPCREATESTRUCT) {
    if (Default() == -1) return -1;
    m_hUser32.reset(::LoadLibraryW(L"User32.DLL"));
    if (!m_hUser32) {
        AfxMessageBox("User32.dll ERROR!", MB_OK);
        ::ExitProcess(0);
    }
    m_picture.UseUpdate(reinterpret_cast<KeptPicture::UpdateFn>(
                            reinterpret_cast<void*>(::GetProcAddress(m_hUser32.get(), "UpdateLayeredWindow"))),
                        reinterpret_cast<KeptPicture::UpdateIndirectFn>(
                            reinterpret_cast<void*>(::GetProcAddress(m_hUser32.get(), "UpdateLayeredWindowIndirect"))));
    // Without it the board shows the clock itself, at the cost of its own size.
    m_band.Create(m_hWnd);
    return 0;
}

BOOL BoardWindow::OnInitDialog() {
    CDialog::OnInitDialog();
    g_core->initFontFamily("HelveticaDigit.otf", &m_digitFamily);
    m_pTextFamily = g_core->createFontFamily(g_fontName);
    return TRUE;
}

void BoardWindow::PlaceBoard(RECT rc) {
    m_rcBoard = rc;
    // A rectangle the settings dialog failed to validate must not overflow here.
    const auto extent = [](LONG from, LONG to) {
        return static_cast<int>(std::clamp(framesize::Extent(from, to), 0LL, static_cast<long long>(INT_MAX)));
    };
    SetWindowPos(nullptr, rc.left, rc.top, extent(rc.left, rc.right), extent(rc.top, rc.bottom), SWP_NOZORDER);
    m_picture.ForgetMeasurements();  // before the layout measures the clock's row
    LayOut();
    m_tickCount = 0;
    m_picture.PushWholeNext();  // the window moved or changed size: it gets all of the picture
    SetTimer(TIMER_TICK, TICK_PERIOD_MS);
    SetTimer(TIMER_WEATHER, WEATHER_PERIOD_MS);
    RestartRetries();
    StartWeatherThread();
    Render();
    // Layered before it is first shown, even when no picture could be made
    // for this size: a layered window without one shows nothing, where a
    // plain one would show a grey dialog-coloured rectangle.
    KeepLayered(m_hWnd);
    ShowWindow(SW_SHOW);
    m_screens.Placed(m_hWnd);
}

void BoardWindow::LayOut() {
    const layout::BoardLayout l = layout::ComputeBoardLayout(g_width, g_height);
    m_margin = l.margin;
    m_xLeftDivider = l.xLeftDivider;
    m_xRightDivider = l.xRightDivider;
    m_yHeaderRule = l.yHeaderRule;
    m_yPanelRule = l.yPanelRule;
    m_band.SetArea(ClockRow());
}

void BoardWindow::OnTimer(UINT_PTR id) {
    switch (id) {
    case TIMER_TICK:
        CheckScreens();
        ++m_tickCount;
        Render();
        break;
    case TIMER_WEATHER:
        StartWeatherThread();
        break;
    case TIMER_RETRY:
        KillTimer(TIMER_RETRY);
        if (!m_retries.Fire()) break;
        // A download of this board still running decides for itself.
        if (RunningWeatherDownloads(m_hWnd) == 0) StartWeatherThread();
        break;
    default:
        break;
    }
}

void BoardWindow::OnWeatherResult(BOOL published) {
    if (published) {
        RestartRetries();
        return;
    }
    // One retry waits at a time; once they are used up, the hourly download comes next.
    const unsigned long delay = m_retries.Failed();
    if (delay != 0) SetTimer(TIMER_RETRY, delay);
}

void BoardWindow::RestartRetries() {
    m_retries.Restart();
    KillTimer(TIMER_RETRY);
}

void BoardWindow::Hide() {
    m_screens.Reset();
    ShowWindow(SW_HIDE);
}

bool BoardWindow::CheckScreens() {
    if (m_screens.Check(m_hWnd) != ScreenWatch::Result::Returned) return false;
    m_picture.PushWholeNext();  // shown again: the window gets all of the picture
    return true;
}

void BoardWindow::OnLButtonDown(UINT, POINT) {
    // Let the system drag the board as if by its caption; the next render
    // reads the new position from the window.
    SendMessage(WM_SYSCOMMAND, 0xF012, 0);
}

BOOL BoardWindow::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_WEATHER_DONE && msg->lParam == 0) Render();
    return CDialog::PreTranslateMessage(msg);
}

LRESULT BoardWindow::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<LPCREATESTRUCT>(lp));
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wp));
        return Default();
    // The system may drop a layered window's picture on a display change or a resume.
    case WM_DISPLAYCHANGE:
        m_picture.PushWholeNext();
        if (CheckScreens()) Render();
        return Default();
    // Moved, dragged, shown or hidden, by whatever path: the band goes along.
    case WM_WINDOWPOSCHANGED:
        m_band.Follow();
        return Default();
    case WM_WEATHER_RESULT:
        OnWeatherResult(static_cast<BOOL>(wp));
        return 0;
    case WM_POWERBROADCAST:
        if (wp == PBT_APMRESUMEAUTOMATIC || wp == PBT_APMRESUMESUSPEND) m_picture.PushWholeNext();
        return Default();
    case WM_LBUTTONDOWN: {
        OnLButtonDown(static_cast<UINT>(wp), POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
        return Default();
    }
    default:
        return CDialog::WindowProc(msg, wp, lp);
    }
}
