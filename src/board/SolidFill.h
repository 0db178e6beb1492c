// A rectangle of one colour written straight into a surface's pixels, with
// the very bytes GDI+ writes for that colour. GDI+ fills the board's
// background through a buffer the size of the filled rectangle and blends it
// pixel by pixel: a tenth of a second for a whole 3840 x 2160 board, where
// writing the pixels costs a few milliseconds. The bytes come from GDI+
// itself (one pixel it filled whole, on a surface of the same kind, asked
// once per colour), so they hold for any colour and any premultiplication;
// only along the rectangle's own edges, where anti-aliasing may cover a pixel
// in part, GDI+ still fills.
#pragma once
#include <cstdint>

#include "board/FrameBuffer.h"
#include "framework/GdiPlus.h"

class SolidFill {
public:
    // What graphics.FillRectangle(colour, shape) gives within `area` of
    // `surface`, where `area` is transparent and graphics draws on
    // `surface` (clipped to `area` or wider).
    void Fill(Gdiplus::Graphics& graphics, FrameBuffer& surface, const RECT& shape, const RECT& area,
              Gdiplus::ARGB colour);

private:
    // The pixel GDI+ writes where the colour covers it whole, over a
    // transparent one; false when no sample could be made (GDI+ fills all).
    bool PixelOf(Gdiplus::ARGB colour, std::uint32_t* pixel);

    bool m_known = false;
    Gdiplus::ARGB m_colour = 0;
    std::uint32_t m_pixel = 0;
};
