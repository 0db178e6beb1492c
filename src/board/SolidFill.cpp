#include "board/SolidFill.h"

#include "board/KeptPicture.h"

namespace {

void FillRect(Gdiplus::Graphics& graphics, const Gdiplus::SolidBrush& brush, const RECT& r) {
    graphics.FillRectangle(&brush, static_cast<Gdiplus::REAL>(r.left), static_cast<Gdiplus::REAL>(r.top),
                           static_cast<Gdiplus::REAL>(r.right - r.left), static_cast<Gdiplus::REAL>(r.bottom - r.top));
}

}  // namespace

bool SolidFill::PixelOf(Gdiplus::ARGB colour, std::uint32_t* pixel) {
    if (m_known && m_colour == colour) {
        *pixel = m_pixel;
        return true;
    }
    FrameBuffer sample(nullptr, 4, 4);
    if (!sample.valid()) return false;
    {
        Gdiplus::Graphics graphics(sample.dc());
        SetUpGraphics(graphics);
        const Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
        FillRect(graphics, brush, RECT{-4, -4, 8, 8});
        graphics.Flush(Gdiplus::FlushIntentionSync);
    }
    ::GdiFlush();
    m_known = true;
    m_colour = colour;
    m_pixel = *pixel = sample.Pixel(2, 2);
    return true;
}

void SolidFill::Fill(Gdiplus::Graphics& graphics, FrameBuffer& surface, const RECT& shape, const RECT& area,
                     Gdiplus::ARGB colour) {
    RECT part{};
    if (!::IntersectRect(&part, &shape, &area)) return;
    // A pixel a whole pixel inside the rectangle is covered whole, however
    // the edge is anti-aliased.
    RECT inner = shape;
    ::InflateRect(&inner, -1, -1);
    RECT direct{};
    std::uint32_t pixel = 0;
    if (!::IntersectRect(&direct, &inner, &part) || !PixelOf(colour, &pixel)) {
        direct = RECT{part.left, part.top, part.left, part.top};  // GDI+ fills all of it
    }
    graphics.Flush(Gdiplus::FlushIntentionSync);
    surface.Fill(direct, pixel);
    // Around it, what is left of the part (one pixel deep at most): GDI+'s
    // own edge. GDI+ works over all of a filled rectangle, clipped or not:
    // each edge is filled from the rectangle's own part a pixel around it,
    // whose other sides lie beyond the clip, so its pixels are covered as
    // when the whole rectangle is filled.
    const RECT edges[] = {
        {part.left, part.top, part.right, direct.top},        {part.left, direct.bottom, part.right, part.bottom},
        {part.left, direct.top, direct.left, direct.bottom}, {direct.right, direct.top, part.right, direct.bottom},
    };
    const Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
    for (const RECT& edge : edges) {
        RECT around = edge;
        ::InflateRect(&around, 1, 1);
        if (::IsRectEmpty(&edge) || !::IntersectRect(&around, &around, &shape)) continue;
        const Gdiplus::GraphicsState state = graphics.Save();
        graphics.SetClip(Gdiplus::Rect(edge.left, edge.top, edge.right - edge.left, edge.bottom - edge.top),
                         Gdiplus::CombineModeIntersect);
        FillRect(graphics, brush, around);
        graphics.Restore(state);
    }
}
