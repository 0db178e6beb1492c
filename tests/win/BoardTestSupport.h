// Shared pieces of the board's Windows tests: the shared settings a board
// reads, a board whose seams record what it does, and a stand-in for
// UpdateLayeredWindow that keeps a copy of every picture handed over.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Globals.h"
#include "board/BoardWindow.h"
#include "core/Core.h"
#include "res/resource.h"

namespace boardtest {

// The core instance and the shared settings for one test, put back to the
// program's start state afterwards.
class SharedSettings {
public:
    SharedSettings(int width, int height) : m_core(std::make_unique<CCore>()) {
        g_core = m_core.get();
        g_appPath = g_core->getAppPath();
        g_fontName = "黑体";
        Resize(width, height);
        g_clrFont = Gdiplus::Color(0xFFFFFFFF);
        g_clrBg = Gdiplus::Color(0xFF204080);
        g_clrDigi = Gdiplus::Color(0xFFFFD700);
    }
    SharedSettings(const SharedSettings&) = delete;
    SharedSettings& operator=(const SharedSettings&) = delete;
    ~SharedSettings() {
        g_core = nullptr;
        g_width = g_height = 0;
    }
    // Board size and the text sizes the settings dialog derives from it.
    static void Resize(int width, int height) {
        g_width = width;
        g_height = height;
        const layout::TextSizes t = layout::ComputeTextSizes(width);
        g_textSizeLarge = t.large;
        g_textSizeSmall = t.small;
        g_textSizeMedium = t.medium;
    }

private:
    std::unique_ptr<CCore> m_core;
};

// One call of UpdateLayeredWindow, with a copy of the source bitmap.
struct UpdateCall {
    HWND hwnd = nullptr;
    bool hasDestination = false;
    POINT destination{};
    SIZE size{};
    POINT source{};
    COLORREF key = 0;
    BLENDFUNCTION blend{};
    DWORD flags = 0;
    DWORD exStyle = 0;
    // The source DC's bitmap as the board made it.
    int bitsPerPixel = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    BOOL result = FALSE;

    // 0xAARRGGBB, premultiplied; 0 outside the picture.
    std::uint32_t Pixel(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
};

inline std::vector<UpdateCall>& UpdateCalls() {
    static std::vector<UpdateCall> calls;
    return calls;
}

// Records the call and then really updates the window.
inline BOOL WINAPI RecordingUpdateLayeredWindow(HWND hwnd, HDC dst, POINT* dstPoint, SIZE* size, HDC src,
                                                POINT* srcPoint, COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
    UpdateCall call;
    call.hwnd = hwnd;
    call.hasDestination = dstPoint != nullptr;
    if (dstPoint) call.destination = *dstPoint;
    if (size) call.size = *size;
    if (srcPoint) call.source = *srcPoint;
    call.key = key;
    if (blend) call.blend = *blend;
    call.flags = flags;
    call.exStyle = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    DIBSECTION dib{};
    HGDIOBJ bitmap = ::GetCurrentObject(src, OBJ_BITMAP);
    if (bitmap && ::GetObjectW(bitmap, sizeof(dib), &dib) == sizeof(dib) && dib.dsBm.bmBits) {
        call.bitsPerPixel = dib.dsBmih.biBitCount;
        call.width = dib.dsBm.bmWidth;
        call.height = dib.dsBm.bmHeight;
        if (call.bitsPerPixel == 32) {
            const auto* bits = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
            call.pixels.assign(bits, bits + static_cast<size_t>(call.width) * static_cast<size_t>(call.height));
        }
    }
    call.result = ::UpdateLayeredWindow(hwnd, dst, dstPoint, size, src, srcPoint, key, blend, flags);
    UpdateCalls().push_back(std::move(call));
    return UpdateCalls().back().result;
}

// One string handed to a path.
struct Outline {
    bool toDigitPath = false;
    std::wstring text;
    const Gdiplus::FontFamily* family = nullptr;
    int emSize = 0;
    int x = 0;
    int y = 0;
};

// A board with its seams opened: the panels are whatever the test puts in,
// the missing-update report is counted, and every string is recorded.
class TestBoard : public BoardWindow {
public:
    using BoardWindow::AddDigitText;
    using BoardWindow::AddLabelText;
    using BoardWindow::FillTextPaths;
    using BoardWindow::m_blend;
    using BoardWindow::m_digitFamily;
    using BoardWindow::m_digitPath;
    using BoardWindow::m_hMemDC;
    using BoardWindow::m_margin;
    using BoardWindow::m_pfnUpdateLayeredWindow;
    using BoardWindow::m_pTextFamily;
    using BoardWindow::m_textPath;

    // Loads the font families as the window's initialisation does, for
    // tests that need no window.
    void LoadFamilies() { OnInitDialog(); }
    bool CreateHidden() {
        if (!Create(IDD_BOARD, nullptr)) return false;
        m_pfnUpdateLayeredWindow = &RecordingUpdateLayeredWindow;
        return true;
    }

    std::function<void(TestBoard&)> panels;
    int panelCalls = 0;
    int missingReports = 0;
    std::vector<Outline> outlines;
    bool recordOutlines = true;  // off for long runs
    HDC memDCDuringPanels = nullptr;

protected:
    void DrawPanels() override {
        ++panelCalls;
        memDCDuringPanels = m_hMemDC;
        if (panels) panels(*this);
    }
    void ReportUpdateMissing() override { ++missingReports; }
    void AddOutline(Gdiplus::GraphicsPath& path, const std::wstring& text, const Gdiplus::FontFamily* family,
                    int emSize, int x, int y) override {
        if (recordOutlines) outlines.push_back(Outline{&path == &m_digitPath, text, family, emSize, x, y});
        BoardWindow::AddOutline(path, text, family, emSize, x, y);
    }
};

}  // namespace boardtest
