// The board: a borderless popup dialog on the extended screen, drawn only
// through UpdateLayeredWindow with per-pixel alpha. It ticks once a second
// (re-render) and once an hour (new weather download), and can be dragged.
#pragma once
#include <memory>
#include <string>

#include "board/Layout.h"
#include "framework/Afx.h"
#include "framework/GdiPlus.h"

class BoardWindow : public CDialog {
public:
    static constexpr UINT_PTR TIMER_TICK = 1;
    static constexpr UINT TICK_PERIOD_MS = 1000;
    static constexpr UINT_PTR TIMER_WEATHER = 2;
    static constexpr UINT WEATHER_PERIOD_MS = 3600000;

    explicit BoardWindow(CWnd* parent = nullptr);
    ~BoardWindow() override;

    // Moves and sizes the window to rc, lays the board out from g_width and
    // g_height, restarts both timers, starts a weather download, renders
    // (tick 0) and shows the window.
    void PlaceBoard(RECT rc);
    // One complete picture of the board, handed to the layered window. A
    // board size no bitmap can be made for is skipped: the previous picture
    // stays until a valid placement.
    void Render();
    // The five layout figures from g_width and g_height (part of PlaceBoard;
    // also for driving ComposeFrame off-screen).
    void LayOut();
    // Draws one whole picture (background, dividers, all text) into dc, a
    // memory DC holding a 32-bit DIB section of the board's size. Render
    // uses it; tests and benchmarks drive it off-screen.
    void ComposeFrame(HDC dc);
    // Sets the weather record to "Loading" and starts one download.
    void StartWeatherThread();

    BOOL PreTranslateMessage(MSG* msg) override;

    // Read-only views for the painters' callers and for tests.
    int TickCount() const { return m_tickCount; }
    const RECT& BoardRect() const { return m_rcBoard; }
    layout::BoardLayout Layout() const {
        return layout::BoardLayout{m_margin, m_xLeftDivider, m_xRightDivider, m_yHeaderRule, m_yPanelRule};
    }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange*) override {}
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    int OnCreate(LPCREATESTRUCT create);
    void OnTimer(UINT_PTR id);
    void OnLButtonDown(UINT flags, POINT point);

    // Render pieces (Render.cpp) and the two panel painters.
    void DrawBackground(Gdiplus::Graphics& graphics);
    void DrawDividers(Gdiplus::Graphics& graphics);
    void DrawRateTables();    // RateTablePainter.cpp
    void DrawClockWeather();  // ClockWeatherPainter.cpp
    // Both panel painters, in drawing order. Virtual so that tests can put
    // known text into the paths instead.
    virtual void DrawPanels();
    // Fills the digit path, then the text path on top of it.
    void FillTextPaths(Gdiplus::Graphics& graphics);
    // Puts WS_EX_LAYERED back if the window lost it, keeping its other styles.
    void KeepLayered();
    // Tells the operator, once, that this system has no UpdateLayeredWindow.
    virtual void ReportUpdateMissing();

    // Text into the paths (TextPath.cpp). Virtual so that tests can record
    // where the painters put each string.
    virtual void AddDigitText(const CString& text, int x, int width, int y, BOOL large);
    virtual void AddLabelText(Gdiplus::GraphicsPath& path, const CString& text, int x, int width, int y, int emSize);
    // One string's outline into path at (x, y), em size in pixels, default
    // format. Every string of the board passes here (virtual for tests).
    virtual void AddOutline(Gdiplus::GraphicsPath& path, const std::wstring& text, const Gdiplus::FontFamily* family,
                            int emSize, int x, int y);
    // The digit family when it has a glyph for every character of text, else
    // the text family (a price typed as "面议" must not show as boxes).
    const Gdiplus::FontFamily* DigitFamilyFor(const std::wstring& text) const;

    HDC m_hMemDC = nullptr;  // the memory DC of the render in progress, else null
    BLENDFUNCTION m_blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    HMODULE m_hUser32 = nullptr;
    using UpdateLayeredWindowFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);
    UpdateLayeredWindowFn m_pfnUpdateLayeredWindow = nullptr;
    RECT m_rcBoard{0, 0, 0, 0};
    int m_xLeftDivider = 0;
    int m_xRightDivider = 0;
    int m_yHeaderRule = 0;
    int m_yPanelRule = 0;
    int m_margin = 0;
    int m_tickCount = 0;
    std::unique_ptr<Gdiplus::FontFamily> m_pTextFamily;
    Gdiplus::FontFamily m_digitFamily;
    Gdiplus::StringFormat m_format;
    Gdiplus::GraphicsPath m_textPath;
    Gdiplus::GraphicsPath m_digitPath;
    bool m_updateMissingReported = false;
};
