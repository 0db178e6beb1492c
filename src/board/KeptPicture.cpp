#include "board/KeptPicture.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "core/Core.h"
#include "core/Globals.h"
#include "core/PictureFile.h"

namespace {

bool Touches(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

void Include(RECT& area, const RECT& more) {
    if (::IsRectEmpty(&more)) return;
    if (::IsRectEmpty(&area)) {
        area = more;
        return;
    }
    ::UnionRect(&area, &area, &more);
}

bool SameLayout(const layout::BoardLayout& a, const layout::BoardLayout& b) {
    return a.margin == b.margin && a.xLeftDivider == b.xLeftDivider && a.xRightDivider == b.xRightDivider &&
           a.yHeaderRule == b.yHeaderRule && a.yPanelRule == b.yPanelRule;
}

}  // namespace

bool KeepLayered(HWND window) {
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (style & WS_EX_LAYERED) return false;
    ::SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
    return true;
}

bool KeptPicture::SameSettings(const Scene& s) const {
    return m_key.valid && m_key.size.cx == s.size.cx && m_key.size.cy == s.size.cy &&
           m_key.board.cx == s.board.cx && m_key.board.cy == s.board.cy && SameLayout(m_key.layout, s.layout) &&
           m_key.text == s.text && m_key.background == s.background && m_key.digits == s.digits;
}

bool KeptPicture::BackgroundChanged(const Scene& s, bool minuteDue) const {
    switch (picture::Decide(m_key.seen, picture::StampOf(s.backgroundFile), minuteDue)) {
    case picture::Next::Keep:
        return false;
    case picture::Next::Redraw:
        return true;
    case picture::Next::TryRead:
        return picture::HashOf(s.backgroundFile).has_value();
    case picture::Next::CompareContent: {
        // A file held by the program writing it keeps the picture drawn
        // until the next look.
        const auto hash = picture::HashOf(s.backgroundFile);
        return hash && *hash != m_key.seen.hash;
    }
    }
    return true;
}

const KeptPicture::Glyph& KeptPicture::GlyphOf(const Outline& o, const Scene& s) {
    auto it = m_glyphs.find(o);
    if (it != m_glyphs.end()) return it->second;
    Glyph glyph;
    glyph.path = std::make_unique<Gdiplus::GraphicsPath>(Gdiplus::FillModeAlternate);
    // A family that failed to load leaves its status in the path and the
    // string out of the picture; there is nothing to report to a guest.
    glyph.path->AddString(o.text.c_str(), static_cast<INT>(o.text.size()), o.digitFace ? s.digitFamily : s.textFamily,
                          Gdiplus::FontStyleRegular, static_cast<Gdiplus::REAL>(o.emSize),
                          Gdiplus::Rect(o.x, o.y, 0, 0), s.format);
    Gdiplus::RectF box;
    if (glyph.path->GetPointCount() > 0 && glyph.path->GetBounds(&box) == Gdiplus::Ok) {
        // Anti-aliasing reaches into the pixels around the outline itself.
        glyph.bounds = RECT{static_cast<LONG>(std::floor(box.X)) - 2, static_cast<LONG>(std::floor(box.Y)) - 2,
                            static_cast<LONG>(std::ceil(box.X + box.Width)) + 2,
                            static_cast<LONG>(std::ceil(box.Y + box.Height)) + 2};
    }
    return m_glyphs.emplace(o, std::move(glyph)).first->second;
}

RECT KeptPicture::ChangedArea(const std::vector<Outline>& before, const Scene& s) {
    auto sorted = [](const std::vector<Outline>& list) {
        std::vector<const Outline*> out;
        for (const Outline& o : list) out.push_back(&o);
        std::sort(out.begin(), out.end(), [](const Outline* a, const Outline* b) { return *a < *b; });
        return out;
    };
    const std::vector<const Outline*> a = sorted(before), b = sorted(*s.outlines);
    std::vector<const Outline*> changed;
    const auto less = [](const Outline* x, const Outline* y) { return *x < *y; };
    std::set_symmetric_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(changed), less);
    RECT area{0, 0, 0, 0};
    for (const Outline* o : changed) Include(area, GlyphOf(*o, s).bounds);
    return area;
}

void KeptPicture::FillStrings(const RECT& area, const Scene& s) {
    Gdiplus::Graphics graphics(m_frame.dc());
    SetUpGraphics(graphics);
    graphics.SetClip(Gdiplus::Rect(area.left, area.top, area.right - area.left, area.bottom - area.top));
    m_textPath.Reset();
    m_digitPath.Reset();
    for (const Outline& o : *s.outlines) {
        const Glyph& glyph = GlyphOf(o, s);
        if (Touches(glyph.bounds, area)) (o.ink == Ink::Digit ? m_digitPath : m_textPath).AddPath(glyph.path.get(), FALSE);
    }
    FillInks(graphics, m_digitPath, m_textPath, Gdiplus::Color(s.digits), Gdiplus::Color(s.text));
}

void KeptPicture::Render(HWND window, const Scene& s) {
    WindowDC windowDC(window);
    if (!windowDC.get()) return;
    const int w = s.size.cx, h = s.size.cy;
    if (!m_frame.valid() || m_frame.width() != w || m_frame.height() != h) {
        m_frame = FrameBuffer(windowDC.get(), w, h);
        m_base = FrameBuffer(windowDC.get(), w, h);
        m_key = Key{};
        m_pushWhole = true;
        if (!m_frame.valid() || !m_base.valid()) {
            // Out of memory or handles: the last picture stays on the screen.
            m_frame = FrameBuffer();
            m_base = FrameBuffer();
            return;
        }
    }

    const bool minuteDue = m_minute.Due(s.now);
    const bool whole = !SameSettings(s) || BackgroundChanged(s, minuteDue);
    if (whole) {
        m_base.Clear();  // a smaller picture leaves the rest transparent
        Gdiplus::Graphics graphics(m_base.dc());
        SetUpGraphics(graphics);
        // What reached the picture, not what the file system says: a picture
        // that could not be read is tried again at the next render.
        m_key = Key{true, s.size, s.board, s.layout, s.text, s.background, s.digits, s.drawBackground(graphics)};
    }
    RECT area = whole ? RECT{0, 0, w, h} : ChangedArea(m_drawn, s);
    const RECT picture{0, 0, w, h};
    if (!::IntersectRect(&area, &area, &picture)) area = RECT{0, 0, 0, 0};  // strings below the bottom edge
    if (!::IsRectEmpty(&area)) {
        m_frame.CopyFrom(m_base, area);
        FillStrings(area, s);
    }
    m_drawn = *s.outlines;
    // Glyphs are kept for the strings on the board, and no longer.
    std::map<Outline, Glyph> kept;
    for (const Outline& o : m_drawn) {
        if (m_glyphs.count(o)) kept.insert(m_glyphs.extract(o));
    }
    m_glyphs.swap(kept);

    // A hidden window may lose what it showed: all of it once it is back.
    const bool visible = ::IsWindowVisible(window);
    if (!visible) m_hiddenSincePush = true;
    const bool lostLayered = KeepLayered(window);
    const bool all = whole || m_pushWhole || lostLayered || minuteDue || (visible && m_hiddenSincePush);
    if (!all && ::IsRectEmpty(&area)) return;  // nothing the window shows has changed
    if (Push(window, windowDC.get(), all ? nullptr : &area)) {
        m_minute.Done(s.now);
        if (visible) m_hiddenSincePush = false;
    }
}

bool KeptPicture::Push(HWND window, HDC windowDC, const RECT* dirty) {
    // The window's own position, so a board dragged away stays where it was dropped.
    RECT rc{};
    ::GetWindowRect(window, &rc);
    POINT destination{rc.left, rc.top};
    SIZE size{m_frame.width(), m_frame.height()};
    POINT source{0, 0};
    // A part is enough only where the window shows the rest already, in place.
    const bool moved = destination.x != m_pushedAt.x || destination.y != m_pushedAt.y;
    bool partDone = false;
    if (dirty && !moved && m_updatePart) {
        UPDATELAYEREDWINDOWINFO info{sizeof info, windowDC, &destination, &size, m_frame.dc(), &source, 0, &m_blend,
                                     ULW_ALPHA, dirty};
        partDone = m_updatePart(window, &info) != FALSE;
    }
    // All of it when asked, and at once when a part did not go: the window
    // may show anything there now.
    const bool wholeDone = !partDone && m_update(window, windowDC, &destination, &size, m_frame.dc(), &source, 0,
                                                 &m_blend, ULW_ALPHA) != FALSE;
    if (partDone || wholeDone) m_pushedAt = destination;
    m_pushWhole = !partDone && !wholeDone;  // nothing went: all of it next time
    return wholeDone;
}

void KeptPicture::PushOther(HWND window, HDC windowDC, const FrameBuffer& frame) {
    RECT rc{};
    ::GetWindowRect(window, &rc);
    POINT destination{rc.left, rc.top};
    SIZE size{frame.width(), frame.height()};
    POINT source{0, 0};
    m_update(window, windowDC, &destination, &size, frame.dc(), &source, 0, &m_blend, ULW_ALPHA);
    m_pushWhole = true;  // the window no longer shows the kept picture
}

Gdiplus::Size KeptPicture::Measure(int emSize, const CString& text) {
    // Every render places every string again; measuring is the costly part,
    // and the strings seldom change. The clock makes new ones each minute:
    // start over rather than grow without end.
    if (m_measured.size() > 4096) m_measured.clear();
    const auto key = std::make_pair(emSize, text);
    auto it = m_measured.find(key);
    if (it == m_measured.end()) it = m_measured.emplace(key, g_core->getTextBounds(g_fontName, emSize, text)).first;
    return it->second;
}
