// A 32-bit top-down DIB section selected into its own memory DC: the surface
// one board picture is composed on. Every pixel carries the alpha GDI+ drew,
// which UpdateLayeredWindow needs (a bitmap "compatible with the window DC"
// keeps none under Wine). Move-only; releases the DC and the bitmap together.
#pragma once
#include <cstdint>

#include "framework/Handles.h"

class FrameBuffer {
public:
    FrameBuffer() = default;  // no surface
    // A zeroed (fully transparent) width x height surface for drawing in a DC
    // compatible with `reference` (null: the screen). Check valid(): no
    // bitmap is made for an empty or oversized request (see FrameSize.h).
    FrameBuffer(HDC reference, int width, int height);
    FrameBuffer(const FrameBuffer&) = delete;
    FrameBuffer& operator=(const FrameBuffer&) = delete;
    FrameBuffer(FrameBuffer&& other) noexcept;
    FrameBuffer& operator=(FrameBuffer&& other) noexcept;
    ~FrameBuffer();

    bool valid() const { return m_bits != nullptr; }
    HDC dc() const { return m_dc.get(); }
    HBITMAP bitmap() const { return m_bitmap.get(); }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // Premultiplied BGRA, rows top to bottom, `width` pixels per row.
    const std::uint32_t* pixels() const { return m_bits; }
    // 0xAARRGGBB of one pixel; 0 outside the surface.
    std::uint32_t Pixel(int x, int y) const;
    // The pixels of `area` (inside both surfaces, of the same size) from other.
    void CopyFrom(const FrameBuffer& other, const RECT& area);
    // Every pixel of the surface, or of `area` of it, fully transparent again.
    void Clear();
    void Clear(const RECT& area);

private:
    void Release();

    UniqueMemDC m_dc;
    UniqueBitmap m_bitmap;
    HGDIOBJ m_previous = nullptr;  // the DC's own bitmap, put back before release
    std::uint32_t* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
};
