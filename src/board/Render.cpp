// The board drawn whole: background, dividers and every string composed
// off-screen with GDI+, and the pieces the kept picture (KeptPicture.cpp)
// draws with.
#include "board/BoardWindow.h"
#include "board/FrameBuffer.h"
#include "board/FrameSize.h"
#include "core/Core.h"
#include "core/Globals.h"

void SetUpGraphics(Gdiplus::Graphics& graphics) {
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
}

void BoardWindow::RenderWholeFrame() {
    if (!m_hWnd || !m_pfnUpdateLayeredWindow) return;
    const SIZE picture = PictureSize();
    if (picture.cx == 0) return;
    const long long width = picture.cx, height = picture.cy;

    WindowDC windowDC(m_hWnd);
    if (!windowDC.get()) return;
    FrameBuffer frame(windowDC.get(), static_cast<int>(width), static_cast<int>(height));
    if (!frame.valid()) return;
    m_blend.SourceConstantAlpha = kBoardAlpha;
    RECT window{};
    GetWindowRect(&window);
    ComposeFrame(frame.dc());
    KeepLayered();
    POINT destination{window.left, window.top};
    SIZE size{static_cast<LONG>(width), static_cast<LONG>(height)};
    POINT source{0, 0};
    m_pfnUpdateLayeredWindow(m_hWnd, windowDC.get(), &destination, &size, frame.dc(), &source, 0, &m_blend,
                             ULW_ALPHA);
    m_pushWhole = true;  // the window no longer shows the kept picture
}

SIZE BoardWindow::PictureSize() const {
    const long long width = framesize::Extent(m_rcBoard.left, m_rcBoard.right);
    const long long height = framesize::Extent(m_rcBoard.top, m_rcBoard.bottom);
    if (!framesize::Drawable(width, height)) return SIZE{0, 0};
    return SIZE{static_cast<LONG>(width), static_cast<LONG>(height)};
}

void BoardWindow::ComposeFrame(HDC dc) {
    Gdiplus::Graphics graphics(dc);
    SetUpGraphics(graphics);
    DrawBackground(graphics);
    DrawDividers(graphics);
    CollectOutlines();
    FillOutlines(graphics);
}

void BoardWindow::CollectOutlines() {
    m_outlines.clear();
    DrawRateTables();
    DrawClockWeather();
}

void BoardWindow::FillOutlines(Gdiplus::Graphics& graphics) {
    m_textPath.Reset();
    m_digitPath.Reset();
    for (const Outline& o : m_outlines) {
        Gdiplus::GraphicsPath& path = o.ink == Ink::Digit ? m_digitPath : m_textPath;
        // A family that failed to load leaves its status in the path and the
        // string out of the picture; there is nothing to report to a guest.
        path.AddString(o.text.c_str(), static_cast<INT>(o.text.size()), FamilyOf(o), Gdiplus::FontStyleRegular,
                       static_cast<Gdiplus::REAL>(o.emSize), Gdiplus::Rect(o.x, o.y, 0, 0), &m_format);
    }
    FillInks(graphics, m_digitPath, m_textPath, g_clrDigi, g_clrFont);
}

void FillInks(Gdiplus::Graphics& graphics, const Gdiplus::GraphicsPath& digits, const Gdiplus::GraphicsPath& text,
              const Gdiplus::Color& digitColour, const Gdiplus::Color& textColour) {
    {
        Gdiplus::SolidBrush brush(digitColour);
        graphics.FillPath(&brush, &digits);
    }
    Gdiplus::SolidBrush brush(textColour);
    graphics.FillPath(&brush, &text);
}

void BoardWindow::DrawBackground(Gdiplus::Graphics& graphics) {
    // Looked up on every render, so placing or removing the picture shows
    // within a second.
    const CString picture = g_appPath + "bg.jpg";
    if (g_core->isFileExist(picture)) {
        g_core->drawPic(graphics, 0, 0, picture);
        return;
    }
    Gdiplus::SolidBrush background(g_clrBg);
    graphics.FillRectangle(&background, 0.0f, 0.0f, static_cast<Gdiplus::REAL>(g_width),
                           static_cast<Gdiplus::REAL>(g_height));
}

void BoardWindow::DrawDividers(Gdiplus::Graphics& graphics) {
    Gdiplus::Pen wide(g_clrFont, 4.0f);
    wide.SetStartCap(Gdiplus::LineCapRound);
    wide.SetEndCap(Gdiplus::LineCapRound);
    Gdiplus::Pen thin(g_clrFont, 2.0f);
    thin.SetStartCap(Gdiplus::LineCapRound);
    thin.SetEndCap(Gdiplus::LineCapRound);
    // Rules under the side panels' headings, the rule across the middle panel,
    // then the two vertical dividers.
    graphics.DrawLine(&thin, m_margin, m_yHeaderRule, m_xLeftDivider - m_margin, m_yHeaderRule);
    graphics.DrawLine(&thin, m_xRightDivider + m_margin, m_yHeaderRule, g_width - m_margin, m_yHeaderRule);
    graphics.DrawLine(&thin, m_xLeftDivider + m_margin, m_yPanelRule, m_xRightDivider - m_margin, m_yPanelRule);
    graphics.DrawLine(&wide, m_xLeftDivider, m_margin, m_xLeftDivider, g_height - m_margin);
    graphics.DrawLine(&wide, m_xRightDivider, m_margin, m_xRightDivider, g_height - m_margin);
}

void BoardWindow::KeepLayered() {
    const DWORD style = GetExStyle();
    if (!(style & WS_EX_LAYERED)) ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(style | WS_EX_LAYERED));
}
