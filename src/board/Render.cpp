// The render cycle: the board's strings and settings handed to the kept
// picture, the whole frame drawn from nothing for reference, and the paint
// steps both draw with.
#include <algorithm>

#include "board/BoardWindow.h"
#include "board/FrameBuffer.h"
#include "board/FrameSize.h"
#include "core/Core.h"
#include "core/Globals.h"

namespace {

// The operator's background picture, beside the program.
CString BackgroundFile() { return g_appPath + "bg.jpg"; }

}  // namespace

void SetUpGraphics(Gdiplus::Graphics& graphics) {
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
}

void BoardWindow::Render() {
    if (!m_hWnd) return;
    if (!m_picture.CanPush()) {
        // Nothing could reach the screen; say so once rather than every second.
        if (!m_updateMissingReported) {
            m_updateMissingReported = true;
            AfxMessageBox("UpdateLayeredWindow ERROR!", MB_OK);
        }
        return;
    }
    const SIZE size = PictureSize();
    if (size.cx == 0) return;
    CollectOutlines();
    KeptPicture::Scene scene;
    scene.size = size;
    scene.board = SIZE{g_width, g_height};
    scene.layout = Layout();
    scene.text = g_clrFont.GetValue();
    scene.background = g_clrBg.GetValue();
    scene.digits = g_clrDigi.GetValue();
    scene.backgroundFile = BackgroundFile();
    scene.now = m_now.GetTime();
    scene.outlines = &m_outlines;
    scene.textFamily = m_pTextFamily.get();
    scene.digitFamily = &m_digitFamily;
    scene.format = &m_format;
    scene.bandWindow = m_band.m_hWnd;
    scene.band = m_band.Area();
    scene.drawBackground = [this](Gdiplus::Graphics& graphics, FrameBuffer& surface) {
        const picture::Seen seen = DrawBackground(graphics, &surface);
        DrawDividers(graphics);
        return seen;
    };
    scene.drawPlainBackground = [this](Gdiplus::Graphics& graphics, FrameBuffer& surface, const RECT& area) {
        FillBackground(graphics, area, &surface);
        DrawDividers(graphics, &area);
    };
    m_picture.Render(m_hWnd, scene);
}

void BoardWindow::RenderWholeFrame() {
    if (!m_hWnd || !m_picture.CanPush()) return;
    const SIZE size = PictureSize();
    if (size.cx == 0) return;
    WindowDC windowDC(m_hWnd);
    if (!windowDC.get()) return;
    FrameBuffer frame(windowDC.get(), size.cx, size.cy);
    if (!frame.valid()) return;
    ComposeFrame(frame.dc());
    KeepLayered(m_hWnd);
    m_picture.PushOther(m_hWnd, windowDC.get(), frame);
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
    DrawBackground(graphics, nullptr);  // GDI+ alone, as the board drew before
    DrawDividers(graphics);
    CollectOutlines();
    FillOutlines(graphics);
}

void BoardWindow::CollectOutlines() {
    m_now = m_clock();  // one reading: nothing on the board disagrees with the rest
    m_outlines.clear();
    DrawRateTables();
    DrawClockWeather();
}

void BoardWindow::FillOutlines(Gdiplus::Graphics& graphics) {
    m_textPath.Reset();
    m_digitPath.Reset();
    for (const Outline& o : m_outlines) {
        AddOutlinePath(o.ink == Ink::Digit ? m_digitPath : m_textPath, o, m_pTextFamily.get(), &m_digitFamily,
                       &m_format);
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

picture::Seen BoardWindow::DrawBackground(Gdiplus::Graphics& graphics, FrameBuffer* surface) {
    // The kept picture looks at the file every second, so placing, replacing
    // or removing it shows within a second.
    const picture::Seen seen = g_core->drawPic(graphics, 0, 0, BackgroundFile());
    // No picture, or one that cannot be drawn (held by the program writing
    // it, cut short, empty): the background colour, never a see-through board.
    if (!seen.drawn) FillBackground(graphics, RECT{0, 0, g_width, g_height}, surface);
    return seen;
}

void BoardWindow::FillBackground(Gdiplus::Graphics& graphics, const RECT& area, FrameBuffer* surface) {
    // Only around the part asked for, since GDI+ works over all of a filled
    // rectangle, clipped or not; a pixel beyond it on every side, so that
    // with anti-aliasing the part's own edge pixels are covered as wholly as
    // when the board is filled whole (the caller clips to the part).
    RECT fill{0, 0, g_width, g_height}, around = area;
    ::InflateRect(&around, 1, 1);
    if (!::IntersectRect(&fill, &fill, &around)) return;
    if (surface) {
        m_fill.Fill(graphics, *surface, fill, area, g_clrBg.GetValue());
        return;
    }
    Gdiplus::SolidBrush background(g_clrBg);
    graphics.FillRectangle(&background, static_cast<Gdiplus::REAL>(fill.left), static_cast<Gdiplus::REAL>(fill.top),
                           static_cast<Gdiplus::REAL>(fill.right - fill.left),
                           static_cast<Gdiplus::REAL>(fill.bottom - fill.top));
}

void BoardWindow::DrawDividers(Gdiplus::Graphics& graphics, const RECT* area) {
    Gdiplus::Pen wide(g_clrFont, 4.0f);
    wide.SetStartCap(Gdiplus::LineCapRound);
    wide.SetEndCap(Gdiplus::LineCapRound);
    Gdiplus::Pen thin(g_clrFont, 2.0f);
    thin.SetStartCap(Gdiplus::LineCapRound);
    thin.SetEndCap(Gdiplus::LineCapRound);
    // Rules under the side panels' headings, the rule across the middle panel,
    // then the two vertical dividers.
    struct Line {
        const Gdiplus::Pen* pen;
        int x1, y1, x2, y2;
    };
    const Line lines[] = {
        {&thin, m_margin, m_yHeaderRule, m_xLeftDivider - m_margin, m_yHeaderRule},
        {&thin, m_xRightDivider + m_margin, m_yHeaderRule, g_width - m_margin, m_yHeaderRule},
        {&thin, m_xLeftDivider + m_margin, m_yPanelRule, m_xRightDivider - m_margin, m_yPanelRule},
        {&wide, m_xLeftDivider, m_margin, m_xLeftDivider, g_height - m_margin},
        {&wide, m_xRightDivider, m_margin, m_xRightDivider, g_height - m_margin},
    };
    for (const Line& l : lines) {
        // Half the pen's width around the line and its round caps, and the
        // pixels anti-aliasing reaches: a line outside the area is not drawn.
        RECT reach{std::min(l.x1, l.x2) - 4, std::min(l.y1, l.y2) - 4, std::max(l.x1, l.x2) + 5,
                   std::max(l.y1, l.y2) + 5};
        if (area && !::IntersectRect(&reach, &reach, area)) continue;
        graphics.DrawLine(l.pen, l.x1, l.y1, l.x2, l.y2);
    }
}
