#include "board/FrameBuffer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "board/FrameSize.h"

FrameBuffer::FrameBuffer(HDC reference, int width, int height) {
    if (!framesize::Drawable(width, height)) return;
    m_dc.reset(::CreateCompatibleDC(reference));
    if (!m_dc) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap.reset(::CreateDIBSection(m_dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!m_bitmap || !bits) {
        Release();
        return;
    }
    m_previous = ::SelectObject(m_dc.get(), m_bitmap.get());
    if (!m_previous || m_previous == HGDI_ERROR) {
        m_previous = nullptr;
        Release();
        return;
    }
    m_bits = static_cast<std::uint32_t*>(bits);
    m_width = width;
    m_height = height;
}

FrameBuffer::FrameBuffer(FrameBuffer&& other) noexcept
    : m_dc(std::move(other.m_dc)),
      m_bitmap(std::move(other.m_bitmap)),
      m_previous(std::exchange(other.m_previous, nullptr)),
      m_bits(std::exchange(other.m_bits, nullptr)),
      m_width(std::exchange(other.m_width, 0)),
      m_height(std::exchange(other.m_height, 0)) {}

FrameBuffer& FrameBuffer::operator=(FrameBuffer&& other) noexcept {
    if (this != &other) {
        Release();
        m_dc = std::move(other.m_dc);
        m_bitmap = std::move(other.m_bitmap);
        m_previous = std::exchange(other.m_previous, nullptr);
        m_bits = std::exchange(other.m_bits, nullptr);
        m_width = std::exchange(other.m_width, 0);
        m_height = std::exchange(other.m_height, 0);
    }
    return *this;
}

FrameBuffer::~FrameBuffer() { Release(); }

void FrameBuffer::Release() {
    // A bitmap still selected into a DC cannot be deleted: put the DC's own back first.
    if (m_dc && m_previous) ::SelectObject(m_dc.get(), m_previous);
    m_previous = nullptr;
    m_bits = nullptr;
    m_width = m_height = 0;
    m_dc.reset();
    m_bitmap.reset();
}

void FrameBuffer::CopyFrom(const FrameBuffer& other, const RECT& area) {
    if (!m_bits || !other.m_bits || other.m_width != m_width || other.m_height != m_height) return;
    const int left = std::max(0, static_cast<int>(area.left));
    const int right = std::min(m_width, static_cast<int>(area.right));
    if (left >= right) return;
    ::GdiFlush();  // GDI may still be drawing into either surface
    for (int y = std::max(0, static_cast<int>(area.top)); y < std::min(m_height, static_cast<int>(area.bottom)); ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(left);
        std::memcpy(m_bits + at, other.m_bits + at, static_cast<std::size_t>(right - left) * sizeof *m_bits);
    }
}

void FrameBuffer::Clear() { Clear(RECT{0, 0, m_width, m_height}); }

void FrameBuffer::Clear(const RECT& area) {
    const int left = std::max(0, static_cast<int>(area.left));
    const int right = std::min(m_width, static_cast<int>(area.right));
    if (!m_bits || left >= right) return;
    ::GdiFlush();  // GDI may still be drawing into the surface
    for (int y = std::max(0, static_cast<int>(area.top)); y < std::min(m_height, static_cast<int>(area.bottom)); ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(left);
        std::memset(m_bits + at, 0, static_cast<std::size_t>(right - left) * sizeof *m_bits);
    }
}

std::uint32_t FrameBuffer::Pixel(int x, int y) const {
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    return m_bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x)];
}
