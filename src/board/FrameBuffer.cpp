#include "board/FrameBuffer.h"

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

std::uint32_t FrameBuffer::Pixel(int x, int y) const {
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    return m_bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x)];
}
