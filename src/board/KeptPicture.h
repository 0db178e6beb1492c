// What the board keeps between renders, so that a render draws again only
// what changed: what the picture was drawn from, the strings on it with
// their glyph outlines and measurements, the background picture where
// bg.jpg gives one, and the window's update. Each second only the clock's
// colon blinks; a minute changes a digit or two; the tables, the weather
// block, the colours, the size and the background picture seldom change.
// A render works out which glyph outlines changed, draws the background
// again under them (copied from the kept background picture, or the colour
// and the dividers where there is none), fills again every string that
// touches that area (whole, clipped to it), and hands the window only that
// area. The pixels are those of a whole picture drawn from nothing.
//
// The clock's row goes to a window of its own (ClockBand.h): what changes
// there each second is pushed into that small window, the board's own
// picture is transparent under it, and a change reaching across the band's
// edge goes to both.
//
// The window keeps the picture it was given, so the board keeps no
// board-sized picture of its own for it: each render draws into a scratch
// surface whose pages go back to the system after a whole picture. The
// window is given the whole picture again whenever it may not show it any
// more: after a placement, a move or a hidden spell, a lost layered style,
// a refused update, a display change or a resume, and once a minute in any
// case; bg.jpg's bytes are compared with what was drawn at that minute too.
#pragma once
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "board/FrameBuffer.h"
#include "board/Layout.h"
#include "board/Outline.h"
#include "core/PictureCheck.h"
#include "framework/Afx.h"
#include "framework/GdiPlus.h"

// The whole board is shown at 253/255 of each pixel's own opacity.
constexpr BYTE kBoardAlpha = 253;

// A string's glyph outlines added to path, in the family its face names. A
// family that failed to load leaves its status in the path and the string
// out of the picture; there is nothing to report to a guest.
void AddOutlinePath(Gdiplus::GraphicsPath& path, const Outline& o, const Gdiplus::FontFamily* textFamily,
                    const Gdiplus::FontFamily* digitFamily, const Gdiplus::StringFormat* format);
// The pixels that filling outlines within these bounds may touch:
// anti-aliasing reaches into the pixels around them.
RECT InkReach(float left, float top, float right, float bottom);

class KeptPicture {
public:
    using UpdateFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);
    using UpdateIndirectFn = BOOL(WINAPI*)(HWND, const UPDATELAYEREDWINDOWINFO*);

    // One render's board: what its picture depends on and how to draw it.
    struct Scene {
        SIZE size{};   // the picture's: the window's
        SIZE board{};  // the board's width and height in the settings
        layout::BoardLayout layout{};
        Gdiplus::ARGB text = 0, background = 0, digits = 0;
        CString backgroundFile;  // bg.jpg
        std::time_t now = 0;     // the render's one clock reading
        const std::vector<Outline>* outlines = nullptr;  // every string, in drawing order
        const Gdiplus::FontFamily* textFamily = nullptr;
        const Gdiplus::FontFamily* digitFamily = nullptr;
        const Gdiplus::StringFormat* format = nullptr;
        // The clock band's window and its area of the picture (none: the
        // board shows all of it).
        HWND bandWindow = nullptr;
        RECT band{0, 0, 0, 0};
        // The background and the dividers, whole, on a transparent surface
        // (graphics draws on it); what of bg.jpg reached them.
        std::function<picture::Seen(Gdiplus::Graphics&, FrameBuffer&)> drawBackground;
        // The background colour and the dividers over an area, clipped to it
        // (where no bg.jpg is drawn), the area transparent before: the same
        // pixels there as a whole picture has.
        std::function<void(Gdiplus::Graphics&, FrameBuffer&, const RECT&)> drawPlainBackground;
    };

    // UpdateLayeredWindow, and UpdateLayeredWindowIndirect where the system
    // has it (Vista on): a part of the picture can then be handed over alone.
    void UseUpdate(UpdateFn whole, UpdateIndirectFn part) {
        m_update = whole;
        m_updatePart = part;
    }
    bool CanPush() const { return m_update != nullptr; }

    // Draws what changed since the last render and hands the window that
    // part, or all of it when the window needs it.
    void Render(HWND window, const Scene& scene);
    // The next push hands the window all of the picture.
    void PushWholeNext() { m_pushWhole = true; }
    // Hands the window a picture composed elsewhere; the board's own goes
    // whole at the next push.
    void PushOther(HWND window, HDC windowDC, const FrameBuffer& frame);

    // The text family's size of text at em (getTextBounds, remembered while
    // the board keeps its size).
    Gdiplus::Size Measure(int emSize, const CString& text);
    void ForgetMeasurements() { m_measured.clear(); }

private:
    // What the picture depends on besides its strings: when any of it
    // changes, everything is drawn again.
    struct Key {
        bool valid = false;
        SIZE size{}, board{};
        layout::BoardLayout layout{};
        Gdiplus::ARGB text = 0, background = 0, digits = 0;
        RECT band{};         // the clock band's area, transparent on the board
        picture::Seen seen;  // what of bg.jpg reached the background
    };
    // One closed outline of a glyph: its points, and every pixel its fill can touch.
    struct Figure {
        std::uint64_t shape = 0;
        RECT bounds{};
        INT first = 0, count = 0;  // its points in the string's (none: the whole string)
    };
    // One string's glyph outlines, kept while the string is on the board.
    struct Glyph {
        std::unique_ptr<Gdiplus::GraphicsPath> path;
        RECT bounds{};  // every pixel its fill can touch
        std::vector<Figure> figures;  // worked out when the string first changes or is filled in part
        std::vector<Gdiplus::PointF> points;
        std::vector<BYTE> types;
        bool split = false;
    };
    bool SameSettings(const Scene& scene) const;
    bool BackgroundChanged(const Scene& scene, bool minuteDue) const;
    Glyph& GlyphOf(const Outline& outline, const Scene& scene);
    const std::vector<Figure>& FiguresOf(Glyph& glyph);
    // The area of the glyph outlines on one list of strings and not on the
    // other: the colon alone when it blinks, the digits that changed.
    RECT ChangedArea(const std::vector<Outline>& before, const Scene& scene);
    // The background under `area`, then every string touching it, clipped.
    void DrawArea(const RECT& area, const Scene& scene);
    void FillStrings(const RECT& area, const Scene& scene);
    // The string's outlines that reach `clip`, into the path of its ink.
    void AddReaching(Gdiplus::GraphicsPath& ink, Glyph& glyph, const RECT& clip);
    // Hands `area` of the scratch surface to the windows, or all of it
    // (`whole`): the clock band's part to the band, then the board the rest,
    // transparent under the band. True when everything went.
    bool Push(HWND window, HDC windowDC, HWND band, const RECT& area, bool whole);
    // `part` of the scratch surface to one layered window placed at `at`:
    // `dirty` of it (scratch coordinates), or all of it when null.
    bool Update(HWND window, HDC windowDC, POINT at, const RECT& part, const RECT* dirty);

    UpdateFn m_update = nullptr;
    UpdateIndirectFn m_updatePart = nullptr;
    BLENDFUNCTION m_blend{AC_SRC_OVER, 0, kBoardAlpha, AC_SRC_ALPHA};
    FrameBuffer m_base;     // bg.jpg with the dividers, only where bg.jpg was drawn
    FrameBuffer m_scratch;  // what a render draws and hands over
    bool m_blank = false;   // the scratch surface is as made: transparent
    Key m_key;
    RECT m_band{0, 0, 0, 0};  // the band's area of the picture, when it has a window
    std::vector<Outline> m_drawn;
    std::map<Outline, Glyph> m_glyphs;
    std::map<std::pair<int, CString>, Gdiplus::Size> m_measured;
    Gdiplus::GraphicsPath m_textPath{Gdiplus::FillModeAlternate};
    Gdiplus::GraphicsPath m_digitPath{Gdiplus::FillModeAlternate};
    bool m_pushWhole = true;         // the window shows nothing of the board yet
    bool m_hiddenSincePush = false;  // hidden since all of it went to a visible window
    POINT m_pushedAt{0, 0};
    picture::MinuteCheck m_minute;   // the whole push and bg.jpg's bytes, once a minute
};

// Puts WS_EX_LAYERED back if the window lost it, keeping its other styles;
// true when it had been lost (what the window showed is gone with it).
bool KeepLayered(HWND window);

// Anti-aliased drawing and high-quality scaling, for every picture of the board.
void SetUpGraphics(Gdiplus::Graphics& graphics);

// Fills the digit path, then the text path over it: where a digit-ink and a
// text-ink string overlap, the text colour is on top.
void FillInks(Gdiplus::Graphics& graphics, const Gdiplus::GraphicsPath& digits, const Gdiplus::GraphicsPath& text,
              const Gdiplus::Color& digitColour, const Gdiplus::Color& textColour);
