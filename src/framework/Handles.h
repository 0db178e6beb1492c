// Move-only owners of Windows handles: one line per handle type.
#pragma once
#include "framework/Win.h"
#include <utility>

template <typename H, typename Close>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : m_h(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : m_h(std::exchange(o.m_h, H())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.m_h, H()));
        return *this;
    }
    ~UniqueHandle() { reset(); }
    H get() const { return m_h; }
    explicit operator bool() const { return m_h != H(); }
    H release() { return std::exchange(m_h, H()); }
    void reset(H h = H()) {
        if (m_h != H()) Close()(m_h);
        m_h = h;
    }

private:
    H m_h = H();
};

struct GdiObjectCloser { void operator()(HGDIOBJ h) const { ::DeleteObject(h); } };
struct DcCloser { void operator()(HDC h) const { ::DeleteDC(h); } };
struct KernelCloser { void operator()(HANDLE h) const { ::CloseHandle(h); } };
struct ModuleCloser { void operator()(HMODULE h) const { ::FreeLibrary(h); } };
struct IconCloser { void operator()(HICON h) const { ::DestroyIcon(h); } };
struct GlobalCloser { void operator()(HGLOBAL h) const { ::GlobalFree(h); } };
// A timer of the default timer queue; deleting it waits for its callback if
// that is running, so nothing the callback uses goes first.
struct TimerQueueTimerCloser { void operator()(HANDLE h) const { ::DeleteTimerQueueTimer(nullptr, h, INVALID_HANDLE_VALUE); } };

using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectCloser>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiObjectCloser>;
using UniquePen = UniqueHandle<HPEN, GdiObjectCloser>;
using UniqueFont = UniqueHandle<HFONT, GdiObjectCloser>;
using UniqueMemDC = UniqueHandle<HDC, DcCloser>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelCloser>;
using UniqueModule = UniqueHandle<HMODULE, ModuleCloser>;
using UniqueIcon = UniqueHandle<HICON, IconCloser>;
using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalCloser>;
using UniqueTimerQueueTimer = UniqueHandle<HANDLE, TimerQueueTimerCloser>;

// A window's DC (GetDC), released with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : m_hwnd(hwnd), m_hdc(::GetDC(hwnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() { if (m_hdc) ::ReleaseDC(m_hwnd, m_hdc); }
    HDC get() const { return m_hdc; }

private:
    HWND m_hwnd;
    HDC m_hdc;
};

// BeginPaint/EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : m_hwnd(hwnd) { m_hdc = ::BeginPaint(hwnd, &m_ps); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { ::EndPaint(m_hwnd, &m_ps); }
    HDC get() const { return m_hdc; }
    const PAINTSTRUCT& info() const { return m_ps; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps{};
    HDC m_hdc = nullptr;
};

// Selects an object into a DC and puts the previous one back.
class ScopedSelect {
public:
    ScopedSelect(HDC hdc, HGDIOBJ obj) : m_hdc(hdc), m_old(::SelectObject(hdc, obj)) {}
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    ~ScopedSelect() { if (m_old && m_old != HGDI_ERROR) ::SelectObject(m_hdc, m_old); }

private:
    HDC m_hdc;
    HGDIOBJ m_old;
};
