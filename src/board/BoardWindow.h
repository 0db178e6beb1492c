// The board: a borderless popup dialog on the extended screen, drawn only
// through UpdateLayeredWindow with per-pixel alpha. It ticks once a second
// (re-render) and once an hour (new weather download), and can be dragged.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "board/FrameBuffer.h"
#include "board/Layout.h"
#include "board/RateLayout.h"
#include "board/Outline.h"
#include "board/ScreenWatch.h"
#include "framework/Afx.h"
#include "framework/GdiPlus.h"

class BoardWindow : public CDialog {
public:
    static constexpr UINT_PTR TIMER_TICK = 1;
    static constexpr UINT TICK_PERIOD_MS = 1000;
    static constexpr UINT_PTR TIMER_WEATHER = 2;
    static constexpr UINT WEATHER_PERIOD_MS = 3600000;
    // A new download after a failed one (see WeatherRetryDelayMs).
    static constexpr UINT_PTR TIMER_RETRY = 3;

    // Where the clock panel reads the time: the local wall clock, or a
    // clock a test or a benchmark sets.
    using Clock = COleDateTime (*)();

    explicit BoardWindow(CWnd* parent = nullptr);
    ~BoardWindow() override;

    // Moves and sizes the window to rc, lays the board out from g_width and
    // g_height, restarts both timers, starts a weather download, renders
    // (tick 0) and shows the window.
    void PlaceBoard(RECT rc);
    // The board's picture, handed to the layered window. The board keeps its
    // last picture and draws again only what changed: the clock row every
    // second, the date at midnight, the weather when the record changes, the
    // tables on Refresh; everything when the colours, the size or the
    // background picture change. A board size no bitmap can be made for is
    // skipped: the previous picture stays until a valid placement.
    void Render();
    // The board drawn the way it was before it kept its picture: composed
    // whole and pushed whole. The reference for tests and the benchmark.
    void RenderWholeFrame();
    // The five layout figures from g_width and g_height (part of PlaceBoard;
    // also for composing frames off-screen).
    void LayOut();
    // Draws one whole picture (background, dividers, all text) into dc, a
    // memory DC holding a 32-bit DIB section of the board's size.
    void ComposeFrame(HDC dc);
    // Sets the weather record to "Loading" and starts one download, unless
    // a download of this board is still running.
    void StartWeatherThread();
    // Hides the board at the operator's word: it then stays hidden until
    // placed again, whatever monitors come and go.
    void Hide();
    void SetClock(Clock clock) { m_clock = clock; }

    BOOL PreTranslateMessage(MSG* msg) override;

    int TickCount() const { return m_tickCount; }
    // The delay of the retry waiting to start, or 0 when none waits.
    DWORD PendingRetryMs() const { return m_retryPending ? m_retryDelayMs : 0; }
    const RECT& BoardRect() const { return m_rcBoard; }
    layout::BoardLayout Layout() const {
        return layout::BoardLayout{m_margin, m_xLeftDivider, m_xRightDivider, m_yHeaderRule, m_yPanelRule};
    }
    // The strings of the last picture, in drawing order.
    const std::vector<Outline>& Outlines() const { return m_outlines; }
    const Gdiplus::FontFamily* FamilyOf(const Outline& outline) const {
        return outline.digitFace ? &m_digitFamily : m_pTextFamily.get();
    }
    const Gdiplus::StringFormat& Format() const { return m_format; }
    // The picture the last Render handed to the window.
    const FrameBuffer& Picture() const { return m_frame; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange*) override {}
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    int OnCreate(LPCREATESTRUCT create);
    void OnTimer(UINT_PTR id);
    void OnWeatherResult(BOOL published);
    void RestartRetries();
    void OnLButtonDown(UINT flags, POINT point);
    // Hides the board when the monitor under it has gone, and shows it again
    // once an extended monitor is back: true when it came back.
    bool CheckScreens();

    // What a kept picture depends on besides its strings: when any of it
    // changes, the whole picture is drawn again.
    struct PictureKey {
        int width = 0, height = 0;
        int layout[5] = {};
        Gdiplus::ARGB text = 0, background = 0, digits = 0;
        bool picture = false;  // bg.jpg, with its size and write time
        ULONGLONG pictureSize = 0;
        FILETIME pictureWritten{};
        bool operator==(const PictureKey& other) const;
    };
    // One string's glyph outlines, kept while the string is on the board.
    struct Glyph {
        std::unique_ptr<Gdiplus::GraphicsPath> path;
        RECT bounds{};  // every pixel its fill can touch
    };
    // The size of m_rcBoard when a picture can be made for it, else 0 x 0.
    SIZE PictureSize() const;
    PictureKey CurrentKey(int width, int height) const;
    const Glyph& GlyphOf(const Outline& outline);
    // The area of the strings on one list and not on the other.
    RECT ChangedArea(const std::vector<Outline>& before, const std::vector<Outline>& after);
    // Hands m_frame to the window: all of it, or only `dirty` of it where
    // the window already shows the rest.
    void Push(HDC windowDC, const RECT* dirty);

    // Render pieces (Render.cpp).
    void DrawBackground(Gdiplus::Graphics& graphics);
    void DrawDividers(Gdiplus::Graphics& graphics);
    // Both panel painters, in drawing order, into m_outlines.
    void CollectOutlines();
    void DrawRateTables();    // RateTablePainter.cpp
    void DrawRateRows(const char* table, int count, const layout::Column (&columns)[3],
                      const layout::RateTableLayout& t, int small);
    void DrawClockWeather();  // ClockWeatherPainter.cpp
    // Every outline into the path of its ink, then both paths filled.
    void FillOutlines(Gdiplus::Graphics& graphics);
    // Puts WS_EX_LAYERED back if the window lost it, keeping its other styles.
    void KeepLayered();

    // Strings into the outline list (TextPath.cpp): centred digit text in
    // the digit ink, and labels with their smaller suffix in either ink.
    void AddDigitText(const CString& text, int x, int width, int y, BOOL large);
    void AddLabelText(Ink ink, const CString& text, int x, int width, int y, int emSize);
    void AddOutline(Ink ink, const std::wstring& text, bool digitFace, int emSize, int x, int y);
    // The text family's size of text at em (getTextBounds, remembered).
    Gdiplus::Size Measure(int emSize, const CString& text);

    BLENDFUNCTION m_blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    HMODULE m_hUser32 = nullptr;
    using UpdateLayeredWindowFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);
    UpdateLayeredWindowFn m_pfnUpdateLayeredWindow = nullptr;
    using UpdateLayeredWindowIndirectFn = BOOL(WINAPI*)(HWND, const UPDATELAYEREDWINDOWINFO*);
    UpdateLayeredWindowIndirectFn m_pfnUpdateLayeredWindowIndirect = nullptr;
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
    std::vector<Outline> m_outlines;
    Clock m_clock = &COleDateTime::GetCurrentTime;
    // The kept picture: background and dividers, and the whole board as last
    // pushed, with the strings on it and what it depends on.
    FrameBuffer m_base;
    FrameBuffer m_frame;
    PictureKey m_key;
    std::vector<Outline> m_drawn;
    std::map<Outline, Glyph> m_glyphs;
    std::map<std::pair<int, CString>, Gdiplus::Size> m_measured;
    bool m_pushWhole = true;  // the window shows nothing of m_frame yet
    POINT m_pushedAt{0, 0};
    bool m_updateMissingReported = false;
    int m_failures = 0;  // failed downloads since the last success or placement
    bool m_retryPending = false;
    DWORD m_retryDelayMs = 0;
    ScreenWatch m_screens;
};

// The whole board is shown at 253/255 of each pixel's own opacity.
constexpr BYTE kBoardAlpha = 253;

// Anti-aliased drawing and high-quality scaling, for every picture of the board.
void SetUpGraphics(Gdiplus::Graphics& graphics);

// Fills the digit path, then the text path over it: where a digit-ink and a
// text-ink string overlap, the text colour is on top.
void FillInks(Gdiplus::Graphics& graphics, const Gdiplus::GraphicsPath& digits, const Gdiplus::GraphicsPath& text,
              const Gdiplus::Color& digitColour, const Gdiplus::Color& textColour);
