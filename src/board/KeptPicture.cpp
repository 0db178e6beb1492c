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

}  // namespace

void AddOutlinePath(Gdiplus::GraphicsPath& path, const Outline& o, const Gdiplus::FontFamily* textFamily,
                    const Gdiplus::FontFamily* digitFamily, const Gdiplus::StringFormat* format) {
    path.AddString(o.text.c_str(), static_cast<INT>(o.text.size()), o.digitFace ? digitFamily : textFamily,
                   Gdiplus::FontStyleRegular, static_cast<Gdiplus::REAL>(o.emSize), Gdiplus::Rect(o.x, o.y, 0, 0),
                   format);
}

RECT InkReach(float left, float top, float right, float bottom) {
    return RECT{static_cast<LONG>(std::floor(left)) - 2, static_cast<LONG>(std::floor(top)) - 2,
                static_cast<LONG>(std::ceil(right)) + 2, static_cast<LONG>(std::ceil(bottom)) + 2};
}

bool KeepLayered(HWND window) {
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (style & WS_EX_LAYERED) return false;
    ::SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
    return true;
}

bool KeptPicture::SameSettings(const Scene& s) const {
    return m_key.valid && m_key.size.cx == s.size.cx && m_key.size.cy == s.size.cy &&
           m_key.board.cx == s.board.cx && m_key.board.cy == s.board.cy && m_key.layout == s.layout &&
           m_key.text == s.text && m_key.background == s.background && m_key.digits == s.digits &&
           ::EqualRect(&m_key.band, &m_band);
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

KeptPicture::Glyph& KeptPicture::GlyphOf(const Outline& o, const Scene& s) {
    auto it = m_glyphs.find(o);
    if (it != m_glyphs.end()) return it->second;
    Glyph glyph;
    glyph.path = std::make_unique<Gdiplus::GraphicsPath>(Gdiplus::FillModeAlternate);
    AddOutlinePath(*glyph.path, o, s.textFamily, s.digitFamily, s.format);
    Gdiplus::RectF box;
    if (glyph.path->GetPointCount() > 0 && glyph.path->GetBounds(&box) == Gdiplus::Ok) {
        glyph.bounds = InkReach(box.X, box.Y, box.X + box.Width, box.Y + box.Height);
    }
    return m_glyphs.emplace(o, std::move(glyph)).first->second;
}

const std::vector<KeptPicture::Figure>& KeptPicture::FiguresOf(Glyph& glyph) {
    if (glyph.split) return glyph.figures;
    glyph.split = true;
    Gdiplus::PathData data;
    if (glyph.path->GetPathData(&data) != Gdiplus::Ok) {
        glyph.figures.push_back(Figure{0, glyph.bounds});  // the whole string, then
        return glyph.figures;
    }
    for (INT first = 0; first < data.Count;) {
        INT end = first + 1;
        while (end < data.Count && (data.Types[end] & Gdiplus::PathPointTypePathTypeMask) != Gdiplus::PathPointTypeStart) ++end;
        Figure figure;
        figure.shape = picture::ContentHash(data.Points + first, sizeof(Gdiplus::PointF) * (end - first));
        figure.shape = picture::ContentHash(data.Types + first, static_cast<std::size_t>(end - first), figure.shape);
        float left = data.Points[first].X, right = left, top = data.Points[first].Y, bottom = top;
        for (INT k = first; k < end; ++k) {
            left = std::min(left, data.Points[k].X), right = std::max(right, data.Points[k].X);
            top = std::min(top, data.Points[k].Y), bottom = std::max(bottom, data.Points[k].Y);
        }
        figure.bounds = InkReach(left, top, right, bottom);  // a curve lies within its control points
        figure.first = first;
        figure.count = end - first;
        glyph.figures.push_back(figure);
        first = end;
    }
    glyph.points.assign(data.Points, data.Points + data.Count);
    glyph.types.assign(data.Types, data.Types + data.Count);
    return glyph.figures;
}

RECT KeptPicture::ChangedArea(const std::vector<Outline>& before, const Scene& s) {
    auto sorted = [](const std::vector<Outline>& list) {
        std::vector<const Outline*> out;
        for (const Outline& o : list) out.push_back(&o);
        std::sort(out.begin(), out.end(), [](const Outline* a, const Outline* b) { return *a < *b; });
        return out;
    };
    const std::vector<const Outline*> a = sorted(before), b = sorted(*s.outlines);
    std::vector<const Outline*> gone, come;
    const auto less = [](const Outline* x, const Outline* y) { return *x < *y; };
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(gone), less);
    std::set_difference(b.begin(), b.end(), a.begin(), a.end(), std::back_inserter(come), less);
    // Each ink is filled as one path (alternate fill): outside the outlines
    // that are on one side only, every pixel's coverage stays as it was. A
    // string that changed in one glyph keeps the others where they were.
    std::map<std::pair<Ink, std::uint64_t>, std::pair<int, RECT>> balance;
    RECT area{0, 0, 0, 0};
    for (const auto& [list, step] : {std::make_pair(&gone, -1), std::make_pair(&come, 1)}) {
        for (const Outline* o : *list) {
            for (const Figure& f : FiguresOf(GlyphOf(*o, s))) {
                if (f.count == 0) {  // a string not split into figures has no shape to balance
                    Include(area, f.bounds);
                    continue;
                }
                auto& entry = balance[{o->ink, f.shape}];
                entry.first += step;
                entry.second = f.bounds;
            }
        }
    }
    for (const auto& entry : balance) {
        if (entry.second.first != 0) Include(area, entry.second.second);
    }
    return area;
}

void KeptPicture::DrawArea(const RECT& area, const Scene& s) {
    if (m_base.valid()) {
        m_scratch.CopyFrom(m_base, area);
    } else {
        if (!m_blank) m_scratch.Clear(area);  // as a whole picture starts: nothing under the colour
        Gdiplus::Graphics graphics(m_scratch.dc());
        SetUpGraphics(graphics);
        graphics.SetClip(Gdiplus::Rect(area.left, area.top, area.right - area.left, area.bottom - area.top));
        s.drawPlainBackground(graphics, m_scratch, area);
    }
    FillStrings(area, s);
}

void KeptPicture::FillStrings(const RECT& area, const Scene& s) {
    // GDI+ fills a path through a buffer of the path's bounds, and the
    // board's strings span all of it: strings apart from each other are
    // filled apart, in groups whose areas (every pixel their glyphs can
    // touch) do not overlap. Within a group's area no other string reaches,
    // so its pixels are those of both whole paths filled.
    struct Group {
        RECT bounds;
        std::vector<const Outline*> strings;
    };
    std::vector<Group> groups;
    for (const Outline& o : *s.outlines) {
        const Glyph& glyph = GlyphOf(o, s);
        if (!Touches(glyph.bounds, area)) continue;
        Group joined{glyph.bounds, {&o}};
        for (bool grew = true; grew;) {
            grew = false;
            for (auto it = groups.begin(); it != groups.end();) {
                if (!Touches(it->bounds, joined.bounds)) {
                    ++it;
                    continue;
                }
                Include(joined.bounds, it->bounds);
                joined.strings.insert(joined.strings.end(), it->strings.begin(), it->strings.end());
                it = groups.erase(it);
                grew = true;
            }
        }
        groups.push_back(std::move(joined));
    }
    Gdiplus::Graphics graphics(m_scratch.dc());
    SetUpGraphics(graphics);
    for (const Group& group : groups) {
        RECT clip{};
        ::IntersectRect(&clip, &group.bounds, &area);
        graphics.SetClip(Gdiplus::Rect(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top));
        m_textPath.Reset();
        m_digitPath.Reset();
        for (const Outline* o : group.strings) {
            AddReaching(o->ink == Ink::Digit ? m_digitPath : m_textPath, GlyphOf(*o, s), clip);
        }
        FillInks(graphics, m_digitPath, m_textPath, Gdiplus::Color(s.digits), Gdiplus::Color(s.text));
    }
}

void KeptPicture::AddReaching(Gdiplus::GraphicsPath& ink, Glyph& glyph, const RECT& clip) {
    RECT inside{};
    if (::IntersectRect(&inside, &glyph.bounds, &clip) && ::EqualRect(&inside, &glyph.bounds)) {
        ink.AddPath(glyph.path.get(), FALSE);
        return;
    }
    // Cut by the clip (the colon's blink cuts the time): only its outlines
    // that reach it. An outline away from a pixel changes neither its
    // coverage nor, being closed, the parity of the alternate fill there.
    for (const Figure& f : FiguresOf(glyph)) {
        if (!Touches(f.bounds, clip)) continue;
        if (f.count == 0) {
            ink.AddPath(glyph.path.get(), FALSE);
            return;
        }
        const Gdiplus::GraphicsPath figure(&glyph.points[f.first], &glyph.types[f.first], f.count,
                                           Gdiplus::FillModeAlternate);
        ink.AddPath(&figure, FALSE);
    }
}

void KeptPicture::Render(HWND window, const Scene& s) {
    WindowDC windowDC(window);
    if (!windowDC.get()) return;
    const int w = s.size.cx, h = s.size.cy;
    const RECT picture{0, 0, w, h};
    if (m_key.valid && (m_key.size.cx != w || m_key.size.cy != h)) {
        m_key = Key{};
        m_base = FrameBuffer();
        m_scratch = FrameBuffer();
    }
    m_blank = !m_scratch.valid();
    if (m_blank) {
        // Its pages are the system's until drawn on. Out of memory or
        // handles: the last picture stays on the screen.
        m_scratch = FrameBuffer(windowDC.get(), w, h);
        if (!m_scratch.valid()) return;
    }
    // The band goes to its own window only where it has one.
    m_band = RECT{0, 0, 0, 0};
    if (s.bandWindow) ::IntersectRect(&m_band, &s.band, &picture);

    const bool minuteDue = m_minute.Due(s.now);
    const bool redraw = !SameSettings(s) || BackgroundChanged(s, minuteDue);
    // A hidden window may lose what it showed: all of it once it is back.
    const bool visible = ::IsWindowVisible(window);
    if (!visible) m_hiddenSincePush = true;
    const bool lostLayered = KeepLayered(window) | (s.bandWindow && KeepLayered(s.bandWindow));
    RECT rc{};
    ::GetWindowRect(window, &rc);
    const bool moved = rc.left != m_pushedAt.x || rc.top != m_pushedAt.y;  // a part goes only where the rest is
    bool all = redraw || m_pushWhole || lostLayered || minuteDue || moved || (visible && m_hiddenSincePush);

    if (redraw) {
        if (!m_blank) m_scratch.Clear();  // a smaller picture leaves the rest transparent
        Gdiplus::Graphics graphics(m_scratch.dc());
        SetUpGraphics(graphics);
        // What reached the picture, not what the file system says: a picture
        // that could not be read is tried again at the next render.
        const picture::Seen seen = s.drawBackground(graphics, m_scratch);
        m_blank = false;
        m_key = Key{true, s.size, s.board, s.layout, s.text, s.background, s.digits, m_band, seen};
        // The background is kept only where it saves work: bg.jpg drawn.
        if (m_key.seen.drawn) {
            if (!m_base.valid()) m_base = FrameBuffer(windowDC.get(), w, h);
            m_base.CopyFrom(m_scratch, picture);
            m_key.valid = m_base.valid();  // no room to keep it: drawn whole again at the next render
        } else {
            m_base = FrameBuffer();
        }
    }
    RECT area = all ? picture : ChangedArea(m_drawn, s);
    if (!::IntersectRect(&area, &area, &picture)) area = RECT{0, 0, 0, 0};  // strings below the bottom edge
    m_drawn = *s.outlines;
    if (!::IsRectEmpty(&area)) {
        if (redraw) {
            FillStrings(area, s);  // on the background just drawn
        } else {
            DrawArea(area, s);
        }
        m_blank = false;
        bool pushed = Push(window, windowDC.get(), s.bandWindow, area, all);
        if (!pushed && !all) {
            // A refused part: the window may show anything there now. All of it, at once.
            all = true;
            DrawArea(picture, s);
            pushed = Push(window, windowDC.get(), s.bandWindow, picture, true);
        }
        m_pushWhole = !pushed;  // nothing went: all of it next time
        if (pushed) m_pushedAt = POINT{rc.left, rc.top};
        if (pushed && all) {
            m_minute.Done(s.now);
            if (visible) m_hiddenSincePush = false;
        }
        // The window keeps what it was given: the pages of a whole picture go back.
        if (all) m_scratch = FrameBuffer();
    }
    // Glyphs are kept for the strings on the board, and no longer.
    std::map<Outline, Glyph> kept;
    for (const Outline& o : m_drawn) {
        if (m_glyphs.count(o)) kept.insert(m_glyphs.extract(o));
    }
    m_glyphs.swap(kept);
}

bool KeptPicture::Push(HWND window, HDC windowDC, HWND band, const RECT& area, bool whole) {
    // The window's own position, so a board dragged away stays where it was dropped.
    RECT rc{};
    ::GetWindowRect(window, &rc);
    const RECT picture{0, 0, m_scratch.width(), m_scratch.height()};
    bool pushed = true;
    RECT inBand{};
    if (::IntersectRect(&inBand, &area, &m_band)) {
        // The band shows the picture as drawn; the board is transparent under it.
        pushed = Update(band, windowDC, POINT{rc.left + m_band.left, rc.top + m_band.top}, m_band,
                        whole ? nullptr : &inBand);
        m_scratch.Clear(inBand);
    }
    if (whole || !::EqualRect(&inBand, &area)) {
        pushed = Update(window, windowDC, POINT{rc.left, rc.top}, picture, whole ? nullptr : &area) && pushed;
    }
    return pushed;
}

bool KeptPicture::Update(HWND window, HDC windowDC, POINT at, const RECT& part, const RECT* dirty) {
    SIZE size{part.right - part.left, part.bottom - part.top};
    POINT source{part.left, part.top};
    if (!dirty) return m_update(window, windowDC, &at, &size, m_scratch.dc(), &source, 0, &m_blend, ULW_ALPHA);
    if (!m_updatePart) return false;  // before Vista: all of it
    RECT inWindow = *dirty;  // the window's coordinates
    ::OffsetRect(&inWindow, -part.left, -part.top);
    UPDATELAYEREDWINDOWINFO info{sizeof info, windowDC, &at, &size, m_scratch.dc(), &source, 0, &m_blend,
                                 ULW_ALPHA, &inWindow};
    return m_updatePart(window, &info) != FALSE;
}

void KeptPicture::PushOther(HWND window, HDC windowDC, const FrameBuffer& frame) {
    RECT rc{};
    ::GetWindowRect(window, &rc);
    POINT destination{rc.left, rc.top};
    SIZE size{frame.width(), frame.height()};
    POINT source{0, 0};
    m_update(window, windowDC, &destination, &size, frame.dc(), &source, 0, &m_blend, ULW_ALPHA);
    m_pushWhole = true;  // the window no longer shows the board's own picture
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
