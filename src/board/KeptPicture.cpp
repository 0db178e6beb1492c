// The render cycle with a kept picture. Each second only the clock row
// changes; the tables, the weather block, the colours, the size and the
// background picture change seldom. The board keeps two pictures of its own
// size: the background with the dividers, and the whole board as last
// pushed. A render works out which strings changed, copies the background
// back under them, fills again every string that touches that area (clipped
// to it), and hands the window only that area. The pixels are those of a
// whole picture drawn from nothing (RenderWholeFrame).
#include <algorithm>
#include <cmath>
#include <iterator>

#include "board/BoardWindow.h"
#include "core/Core.h"
#include "core/Globals.h"

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

bool BoardWindow::PictureKey::operator==(const PictureKey& o) const {
    return width == o.width && height == o.height && std::equal(layout, layout + 5, o.layout) && text == o.text &&
           background == o.background && digits == o.digits && picture == o.picture &&
           pictureSize == o.pictureSize && ::CompareFileTime(&pictureWritten, &o.pictureWritten) == 0;
}

BoardWindow::PictureKey BoardWindow::CurrentKey(int width, int height) const {
    PictureKey key;
    key.width = width;
    key.height = height;
    const int layout[5] = {m_margin, m_xLeftDivider, m_xRightDivider, m_yHeaderRule, m_yPanelRule};
    std::copy(layout, layout + 5, key.layout);
    key.text = g_clrFont.GetValue();
    key.background = g_clrBg.GetValue();
    key.digits = g_clrDigi.GetValue();
    // Looked up every second: a picture placed, replaced or removed shows
    // at the next tick.
    WIN32_FILE_ATTRIBUTE_DATA info{};
    const CString picture = g_appPath + "bg.jpg";
    if (::GetFileAttributesExW(Widen(picture).c_str(), GetFileExInfoStandard, &info) &&
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        key.picture = true;
        key.pictureSize = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        key.pictureWritten = info.ftLastWriteTime;
    }
    return key;
}

const BoardWindow::Glyph& BoardWindow::GlyphOf(const Outline& o) {
    auto it = m_glyphs.find(o);
    if (it != m_glyphs.end()) return it->second;
    Glyph glyph;
    glyph.path = std::make_unique<Gdiplus::GraphicsPath>(Gdiplus::FillModeAlternate);
    glyph.path->AddString(o.text.c_str(), static_cast<INT>(o.text.size()), FamilyOf(o), Gdiplus::FontStyleRegular,
                          static_cast<Gdiplus::REAL>(o.emSize), Gdiplus::Rect(o.x, o.y, 0, 0), &m_format);
    Gdiplus::RectF box;
    if (glyph.path->GetPointCount() > 0 && glyph.path->GetBounds(&box) == Gdiplus::Ok) {
        // Anti-aliasing reaches into the pixels around the outline itself.
        glyph.bounds = RECT{static_cast<LONG>(std::floor(box.X)) - 2, static_cast<LONG>(std::floor(box.Y)) - 2,
                            static_cast<LONG>(std::ceil(box.X + box.Width)) + 2,
                            static_cast<LONG>(std::ceil(box.Y + box.Height)) + 2};
    }
    return m_glyphs.emplace(o, std::move(glyph)).first->second;
}

RECT BoardWindow::ChangedArea(const std::vector<Outline>& before, const std::vector<Outline>& after) {
    auto sorted = [](const std::vector<Outline>& list) {
        std::vector<const Outline*> out;
        for (const Outline& o : list) out.push_back(&o);
        std::sort(out.begin(), out.end(), [](const Outline* a, const Outline* b) { return *a < *b; });
        return out;
    };
    const std::vector<const Outline*> a = sorted(before), b = sorted(after);
    std::vector<const Outline*> changed;
    const auto less = [](const Outline* x, const Outline* y) { return *x < *y; };
    std::set_symmetric_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(changed), less);
    RECT area{0, 0, 0, 0};
    for (const Outline* o : changed) Include(area, GlyphOf(*o).bounds);
    return area;
}

void BoardWindow::Render() {
    if (!m_hWnd) return;
    if (!m_pfnUpdateLayeredWindow) {
        // Nothing could reach the screen; say so once rather than every second.
        if (!m_updateMissingReported) {
            m_updateMissingReported = true;
            AfxMessageBox("UpdateLayeredWindow ERROR!", MB_OK);
        }
        return;
    }
    const SIZE picture = PictureSize();
    if (picture.cx == 0) return;
    WindowDC windowDC(m_hWnd);
    if (!windowDC.get()) return;
    const int w = picture.cx, h = picture.cy;
    if (!m_frame.valid() || m_frame.width() != w || m_frame.height() != h) {
        m_frame = FrameBuffer(windowDC.get(), w, h);
        m_base = FrameBuffer(windowDC.get(), w, h);
        m_key = PictureKey{};
        if (!m_frame.valid() || !m_base.valid()) {
            // Out of memory or handles: the last picture stays on the screen.
            m_frame = FrameBuffer();
            m_base = FrameBuffer();
            return;
        }
    }

    const PictureKey key = CurrentKey(w, h);
    const bool whole = !(key == m_key);
    if (whole) {
        m_base.Clear();  // a smaller picture leaves the rest transparent
        Gdiplus::Graphics graphics(m_base.dc());
        SetUpGraphics(graphics);
        DrawBackground(graphics);
        DrawDividers(graphics);
        m_key = key;
    }
    CollectOutlines();
    const RECT area = whole ? RECT{0, 0, w, h} : ChangedArea(m_drawn, m_outlines);
    if (!::IsRectEmpty(&area)) {
        m_frame.CopyFrom(m_base, area);
        Gdiplus::Graphics graphics(m_frame.dc());
        SetUpGraphics(graphics);
        graphics.SetClip(Gdiplus::Rect(area.left, area.top, area.right - area.left, area.bottom - area.top));
        m_textPath.Reset();
        m_digitPath.Reset();
        for (const Outline& o : m_outlines) {
            const Glyph& glyph = GlyphOf(o);
            if (Touches(glyph.bounds, area)) (o.ink == Ink::Digit ? m_digitPath : m_textPath).AddPath(glyph.path.get(), FALSE);
        }
        FillInks(graphics, m_digitPath, m_textPath, g_clrDigi, g_clrFont);
    }
    m_drawn = m_outlines;
    // Glyphs are kept for the strings on the board, and no longer.
    std::map<Outline, Glyph> kept;
    for (const Outline& o : m_drawn) {
        if (m_glyphs.count(o)) kept.insert(m_glyphs.extract(o));
    }
    m_glyphs.swap(kept);

    m_blend.SourceConstantAlpha = kBoardAlpha;
    KeepLayered();
    Push(windowDC.get(), whole || ::IsRectEmpty(&area) ? nullptr : &area);
}

void BoardWindow::Push(HDC windowDC, const RECT* dirty) {
    // The window's own position, so a board dragged away stays where it was dropped.
    RECT window{};
    GetWindowRect(&window);
    POINT destination{window.left, window.top};
    SIZE size{m_frame.width(), m_frame.height()};
    POINT source{0, 0};
    // A part is enough only where the window shows the rest already, in place.
    const bool moved = destination.x != m_pushedAt.x || destination.y != m_pushedAt.y;
    if (!dirty || m_pushWhole || moved || !m_pfnUpdateLayeredWindowIndirect) {
        m_pfnUpdateLayeredWindow(m_hWnd, windowDC, &destination, &size, m_frame.dc(), &source, 0, &m_blend, ULW_ALPHA);
    } else {
        UPDATELAYEREDWINDOWINFO info{sizeof info, windowDC, &destination, &size, m_frame.dc(), &source, 0, &m_blend,
                                     ULW_ALPHA, dirty};
        m_pfnUpdateLayeredWindowIndirect(m_hWnd, &info);
    }
    m_pushedAt = destination;
    // A hidden window may lose what it showed; it gets all of it once back.
    m_pushWhole = !IsWindowVisible();
}
