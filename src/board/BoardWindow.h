// The board: a borderless popup dialog on the extended screen that shows the
// room rates, the clock with today's weather and the exchange rates, drawn
// only through UpdateLayeredWindow with per-pixel alpha. It ticks once a
// second (a new picture) and once an hour (a new weather download, sooner
// after a failed one), and the operator can drag it.
#pragma once
#include <string>
#include <vector>

#include "board/ClockBand.h"
#include "board/KeptPicture.h"
#include "board/ScreenWatch.h"
#include "board/SolidFill.h"
#include "data/RetrySchedule.h"
#include "framework/Handles.h"

class BoardWindow : public CDialog {
public:
    static constexpr UINT_PTR TIMER_TICK = 1;
    static constexpr UINT TICK_PERIOD_MS = 1000;
    static constexpr UINT_PTR TIMER_WEATHER = 2;
    static constexpr UINT WEATHER_PERIOD_MS = 3600000;
    static constexpr UINT_PTR TIMER_RETRY = 3;  // a download after a failed one

    // Where the clock panel reads the time: the local wall clock, or a
    // clock a test or a benchmark sets.
    using Clock = COleDateTime (*)();

    explicit BoardWindow(CWnd* parent = nullptr);
    ~BoardWindow() override;

    // Moves and sizes the window to rc, lays the board out from g_width and
    // g_height, restarts both timers, starts a weather download, renders
    // (tick 0) and shows the window.
    void PlaceBoard(RECT rc);
    // The board's picture, handed to the layered window: only what changed
    // since the last one. A board size no picture can be made for is
    // skipped: the previous picture stays until a valid placement.
    void Render();
    // The board drawn whole from nothing, into dc (a memory DC holding a
    // 32-bit DIB section of the board's size) or pushed whole: the way it was
    // drawn before it kept its picture, the reference for tests and the benchmark.
    void ComposeFrame(HDC dc);
    void RenderWholeFrame();
    // Sets the weather record to "Loading" and starts one download, unless
    // a download of this board is still running.
    void StartWeatherThread();
    // Hides the board at the operator's word: it then stays hidden until
    // placed again, whatever monitors come and go.
    void Hide();
    void SetClock(Clock clock) { m_clock = clock; }
    // Other update entry points than User32's (a test watching what the window is given).
    void UseLayeredUpdate(KeptPicture::UpdateFn whole, KeptPicture::UpdateIndirectFn part) {
        m_picture.UseUpdate(whole, part);
    }

    BOOL PreTranslateMessage(MSG* msg) override;

    int TickCount() const { return m_tickCount; }
    DWORD PendingRetryMs() const { return m_retries.PendingMs(); }
    // The strings of the last picture in drawing order, their families and format.
    const std::vector<Outline>& Outlines() const { return m_outlines; }
    const Gdiplus::FontFamily* FamilyOf(const Outline& outline) const {
        return outline.digitFace ? &m_digitFamily : m_pTextFamily.get();
    }
    const Gdiplus::StringFormat& Format() const { return m_format; }
    // The clock row's own window (ClockBand.h) and its area of the board.
    HWND ClockBandWindow() const { return m_band.m_hWnd; }
    const RECT& ClockBandArea() const { return m_band.Area(); }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange*) override {}
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    int OnCreate(LPCREATESTRUCT create);
    void OnTimer(UINT_PTR id);
    void OnWeatherResult(BOOL published);
    void RestartRetries();  // the schedule from its start, no retry pending
    void OnLButtonDown(UINT flags, POINT point);
    void LayOut();  // the five layout figures from g_width and g_height, and the clock's band
    RECT ClockRow();  // ClockWeatherPainter.cpp
    layout::BoardLayout Layout() const {
        return layout::BoardLayout{m_margin, m_xLeftDivider, m_xRightDivider, m_yHeaderRule, m_yPanelRule};
    }
    // Hides the board when the monitor under it has gone, and shows it again
    // once an extended monitor is back: true when it came back.
    bool CheckScreens();
    // The size of m_rcBoard when a picture can be made for it, else 0 x 0.
    SIZE PictureSize() const;

    // The paint steps (Render.cpp and the painters). Given the surface
    // graphics draws on, the colour goes straight into its pixels.
    picture::Seen DrawBackground(Gdiplus::Graphics& graphics, FrameBuffer* surface);  // bg.jpg, or the colour
    void FillBackground(Gdiplus::Graphics& graphics, const RECT& area, FrameBuffer* surface);
    void DrawDividers(Gdiplus::Graphics& graphics, const RECT* area = nullptr);  // those reaching the area
    void CollectOutlines();  // one clock reading, then both painters into m_outlines
    void DrawRateTables();    // RateTablePainter.cpp
    void DrawClockWeather();  // ClockWeatherPainter.cpp
    void FillOutlines(Gdiplus::Graphics& graphics);  // every outline into its ink's path, both filled
    // Strings into m_outlines (TextPath.cpp): centred digit text in the digit
    // ink, and labels with their smaller suffix in either ink.
    void AddDigitText(const CString& text, int x, int width, int y, BOOL large);
    void AddLabelText(Ink ink, const CString& text, int x, int width, int y, int emSize);
    void AddOutline(Ink ink, const std::wstring& text, bool digitFace, int emSize, int x, int y);
    Gdiplus::Size Measure(int emSize, const CString& text) { return m_picture.Measure(emSize, text); }

    UniqueModule m_hUser32;
    RECT m_rcBoard{0, 0, 0, 0};
    int m_xLeftDivider = 0, m_xRightDivider = 0, m_yHeaderRule = 0, m_yPanelRule = 0, m_margin = 0;
    int m_tickCount = 0;
    std::unique_ptr<Gdiplus::FontFamily> m_pTextFamily;
    Gdiplus::FontFamily m_digitFamily;
    Gdiplus::StringFormat m_format;
    Gdiplus::GraphicsPath m_textPath, m_digitPath;  // the whole frame's two inks
    std::vector<Outline> m_outlines;
    Clock m_clock = &COleDateTime::GetCurrentTime;
    COleDateTime m_now;  // the clock as the last render read it
    KeptPicture m_picture;
    SolidFill m_fill;
    ClockBand m_band;
    RetrySchedule m_retries;
    bool m_updateMissingReported = false;
    ScreenWatch m_screens;
};
