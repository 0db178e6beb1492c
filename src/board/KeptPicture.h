// What the board keeps between renders, so that a render draws again only
// what changed: two pictures of the board's size (the background with the
// dividers, and the whole board as last pushed), what they were drawn from,
// the strings on them with their glyph outlines and measurements, and the
// window's update. Each second only the clock row changes; the tables, the
// weather block, the colours, the size and the background picture seldom
// do. A render works out which strings changed, copies the background back
// under them, fills again every string that touches that area (clipped to
// it), and hands the window only that area. The pixels are those of a whole
// picture drawn from nothing.
//
// The window is given the whole picture again whenever it may not show it
// any more: after a placement, a move or a hidden spell, a lost layered
// style, a failed update, a display change or a resume, and once a minute
// in any case; bg.jpg's bytes are compared with what was drawn at that
// minute too.
#pragma once
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
        // The background and the dividers, whole; what of bg.jpg reached them.
        std::function<picture::Seen(Gdiplus::Graphics&)> drawBackground;
    };

    // UpdateLayeredWindow, and UpdateLayeredWindowIndirect where the system
    // has it (Vista on): a part of the picture can then be handed over alone.
    void UseUpdate(UpdateFn whole, UpdateIndirectFn part) {
        m_update = whole;
        m_updatePart = part;
    }
    bool CanPush() const { return m_update != nullptr; }

    // Draws what changed since the last render into the kept picture and
    // hands the window that part, or all of it when the window needs it.
    void Render(HWND window, const Scene& scene);
    // The next push hands the window all of the picture.
    void PushWholeNext() { m_pushWhole = true; }
    // Hands the window a picture composed elsewhere; the kept one goes whole
    // at the next push.
    void PushOther(HWND window, HDC windowDC, const FrameBuffer& frame);

    // The text family's size of text at em (getTextBounds, remembered while
    // the board keeps its size).
    Gdiplus::Size Measure(int emSize, const CString& text);
    void ForgetMeasurements() { m_measured.clear(); }

private:
    // What the kept pictures depend on besides their strings: when any of it
    // changes, everything is drawn again.
    struct Key {
        bool valid = false;
        SIZE size{}, board{};
        layout::BoardLayout layout{};
        Gdiplus::ARGB text = 0, background = 0, digits = 0;
        picture::Seen seen;  // what of bg.jpg reached the background
    };
    // One string's glyph outlines, kept while the string is on the board.
    struct Glyph {
        std::unique_ptr<Gdiplus::GraphicsPath> path;
        RECT bounds{};  // every pixel its fill can touch
    };
    bool SameSettings(const Scene& scene) const;
    bool BackgroundChanged(const Scene& scene, bool minuteDue) const;
    const Glyph& GlyphOf(const Outline& outline, const Scene& scene);
    // The area of the strings on one list and not on the other.
    RECT ChangedArea(const std::vector<Outline>& before, const Scene& scene);
    void FillStrings(const RECT& area, const Scene& scene);
    // Hands m_frame to the window: `dirty` of it, or all of it when null or
    // when handing a part fails. True when all of it went.
    bool Push(HWND window, HDC windowDC, const RECT* dirty);

    UpdateFn m_update = nullptr;
    UpdateIndirectFn m_updatePart = nullptr;
    BLENDFUNCTION m_blend{AC_SRC_OVER, 0, kBoardAlpha, AC_SRC_ALPHA};
    FrameBuffer m_base;   // background and dividers
    FrameBuffer m_frame;  // the whole board as last pushed
    Key m_key;
    std::vector<Outline> m_drawn;
    std::map<Outline, Glyph> m_glyphs;
    std::map<std::pair<int, CString>, Gdiplus::Size> m_measured;
    Gdiplus::GraphicsPath m_textPath{Gdiplus::FillModeAlternate};
    Gdiplus::GraphicsPath m_digitPath{Gdiplus::FillModeAlternate};
    bool m_pushWhole = true;         // the window shows nothing of m_frame yet
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
