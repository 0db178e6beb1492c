#include "controls/ColourPopup.h"

#include <windowsx.h>

#include <algorithm>
#include <cstddef>
#include <memory>

#include "controls/FillSolid.h"
#include "framework/ColorDialog.h"

namespace {

// Posted to itself when the popup has lost the capture to someone else.
constexpr UINT kCaptureLost = WM_USER + 1;

RECT ToRect(const PaletteRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

bool IsGridCell(int row, int col) { return row >= 0 && row < PALETTE_ROWS && col >= 0 && col < PALETTE_COLUMNS; }

COLORREF EntryColour(int row, int col) { return g_palette[row * PALETTE_COLUMNS + col].colour & 0x00FFFFFF; }

}  // namespace

ColourPopup* ColourPopup::Open(CWnd* owner, POINT pt, COLORREF initial, PaletteColour* customColours) {
    std::unique_ptr<ColourPopup> popup(new ColourPopup(owner, pt, initial, customColours));
    // A creation refused by a hook can leave a dead handle bound: ask the
    // system, not m_hWnd.
    if (!popup->m_hWnd || !::IsWindow(popup->m_hWnd)) return nullptr;
    // From here the window owns the object: PostNcDestroy deletes it.
    popup->m_bOwnedByWindow = true;
    return popup.release();
}

ColourPopup::ColourPopup(CWnd* owner, POINT pt, COLORREF initial, PaletteColour* customColours) {
    LoadDefaults();
    m_pOwner = owner;
    m_initialColour = m_selectedColour = initial;
    m_pCustomColours = customColours;
    if (m_pCustomColours) LoadCustomColours(g_palette, m_pCustomColours);
    // The first match wins: white is "White", never the system colour of the
    // same value; silver is "Silver", never a placeholder.
    const PaletteCell chosen = FindPaletteCell(g_palette, initial);
    m_nChosenRow = chosen.row;
    m_nChosenCol = chosen.col;

    LPCWSTR cls = AfxRegisterWndClass(CS_CLASSDC | CS_SAVEBITS | CS_HREDRAW | CS_VREDRAW, nullptr,
                                      static_cast<HBRUSH>(::GetStockObject(LTGRAY_BRUSH)), nullptr);
    if (!CreateEx(0, cls, CString(""), WS_POPUP | WS_VISIBLE, pt.x, pt.y, 100, 100,
                  owner ? owner->GetSafeHwnd() : nullptr, nullptr)) {
        return;
    }
    LayOut();
    AddCellTips();
    SetCapture();
}

// The font and the tooltip control go with their members.
ColourPopup::~ColourPopup() = default;

void ColourPopup::LoadDefaults() {
    m_nHotRow = m_nHotCol = -1;
    m_nChosenRow = m_nChosenCol = -1;
    m_strCustomText = "自定义...";
    for (PaletteEntry& e : g_palette) {
        if (e.sysColorIndex != PALETTE_NO_SYSCOLOR) e.colour = ::GetSysColor(e.sysColorIndex);
    }
}

void ColourPopup::LayOut() {
    if (!m_font.GetSafeHandle()) {
        // The record without iPaddedBorderWidth, which every Windows accepts.
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
            m_font.CreateFontIndirect(&metrics.lfMessageFont);
        }
    }
    SIZE text{};
    {
        WindowDC dc(m_hWnd);
        ScopedSelect font(dc.get(), m_font.GetSafeHandle());
        const std::wstring caption = Widen(m_strCustomText);
        ::GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &text);
    }
    m_layout = ComputePaletteLayout(::GetSystemMetrics(SM_CXEDGE), text.cx, text.cy);
    RECT now{};
    GetWindowRect(&now);
    m_rcWindow = RECT{now.left, now.top, now.left + m_layout.width, now.top + m_layout.height};
    MoveWindow(m_rcWindow, TRUE);
}

RECT ColourPopup::CellRect(int row, int col) const { return ToRect(PaletteCellRect(m_layout, row, col)); }

void ColourPopup::AddCellTips() {
    if (!m_toolTip.Create(this, 0)) return;  // the palette works without tips
    for (int row = 0; row < PALETTE_ROWS; ++row) {
        if (row == PALETTE_SEPARATOR_ROW) continue;
        if (row == PALETTE_CUSTOM_ROW) {
            const RECT custom = ToRect(m_layout.custom);
            m_toolTip.AddTool(this, "Selects a custom color", &custom, 1);
            continue;
        }
        for (int col = 0; col < PALETTE_COLUMNS; ++col) {
            const RECT cell = CellRect(row, col);
            // One id for all: the control tells the tools apart by rectangle.
            m_toolTip.AddTool(this, g_palette[row * PALETTE_COLUMNS + col].name, &cell, 1);
        }
    }
}

BOOL ColourPopup::PreTranslateMessage(MSG* msg) {
    m_toolTip.RelayEvent(msg);
    return CWnd::PreTranslateMessage(msg);
}

LRESULT ColourPopup::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_MOUSEMOVE:
        // With the capture held this also comes from outside the window,
        // where the coordinates can be negative.
        OnMouseMove(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wp));
        return 0;
    case WM_LBUTTONUP:
        Default();
        OnLButtonUp();  // may destroy the window and this object
        return 0;
    case WM_CAPTURECHANGED:
        // Windows sends WM_CANCELMODE (and so takes the capture) when the
        // focus moves; Wine also delivers a late focus-out of the colour
        // dialog's time just after the capture was taken back. Decide once
        // that has settled.
        if (!m_bLettingGo && reinterpret_cast<HWND>(lp) != m_hWnd) PostMessage(kCaptureLost);
        return 0;
    case kCaptureLost:
        OnCaptureLost();  // may destroy the window and this object
        return 0;
    default:
        break;
    }
    return CWnd::WindowProc(msg, wp, lp);
}

void ColourPopup::PostNcDestroy() {
    if (m_bOwnedByWindow) delete this;
}

void ColourPopup::OnPaint() {
    PaintDC dc(m_hWnd);
    for (int row = 0; row < PALETTE_ROWS; ++row) {
        for (int col = 0; col < PALETTE_COLUMNS; ++col) PaintCell(dc.get(), row, col);
    }
    RECT client{};
    GetClientRect(&client);
    ::DrawEdge(dc.get(), &client, EDGE_RAISED, BF_RECT);
}

void ColourPopup::PaintCell(HDC dc, int row, int col) {
    if (!IsGridCell(row, col)) return;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    if (row == PALETTE_CUSTOM_ROW) {
        RECT rc = ToRect(m_layout.custom);
        FillSolidRect(dc, rc, face);
        if (m_nHotRow == PALETTE_CUSTOM_ROW) ::DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT);
        ScopedSelect font(dc, m_font.GetSafeHandle());
        const std::wstring caption = Widen(m_strCustomText);
        ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    RECT cell = CellRect(row, col);
    if (row == PALETTE_SEPARATOR_ROW) {
        FillSolidRect(dc, cell, face);
        // A 4-pixel groove centred in the row; painted left to right the
        // pieces make one groove closed at both ends.
        RECT band{cell.left, cell.top + m_layout.box / 2 - 2, CellRect(row, PALETTE_COLUMNS - 1).right,
                  cell.bottom - m_layout.box / 2 + 2};
        UINT sides = BF_TOP | BF_BOTTOM;
        if (col == 0) sides |= BF_LEFT;
        if (col == PALETTE_COLUMNS - 1) sides |= BF_RIGHT;
        ::DrawEdge(dc, &band, EDGE_SUNKEN, sides);
        return;
    }
    FillSolidRect(dc, cell, face);
    if (row == m_nHotRow && col == m_nHotCol) {
        ::DrawEdge(dc, &cell, EDGE_RAISED, BF_RECT);
    } else if (row == m_nChosenRow && col == m_nChosenCol) {
        ::DrawEdge(dc, &cell, EDGE_SUNKEN, BF_RECT);
    }
    ::InflateRect(&cell, -(m_layout.margin + 1), -(m_layout.margin + 1));
    UniqueBrush brush(::CreateSolidBrush(EntryColour(row, col)));
    UniquePen pen(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
    ScopedSelect selBrush(dc, brush.get());
    ScopedSelect selPen(dc, pen.get());
    ::Rectangle(dc, cell.left, cell.top, cell.right, cell.bottom);
}

void ColourPopup::OnMouseMove(POINT pt) {
    const PaletteCell hit = PaletteHitTest(m_layout, pt.x, pt.y);
    if (hit != HotCell()) MoveHot(hit.row, hit.col);
}

void ColourPopup::MoveHot(int row, int col) {
    const int oldRow = m_nHotRow;
    const int oldCol = m_nHotCol;
    if (IsGridCell(oldRow, oldCol) || oldRow == PALETTE_SEPARATOR_ROW || oldRow == PALETTE_CUSTOM_ROW) {
        // Repaint the old cell without its raised edge (sunken again if it
        // is the chosen one).
        m_nHotRow = m_nHotCol = -1;
        WindowDC dc(m_hWnd);
        PaintCell(dc.get(), oldRow, oldCol);
    }
    if (!IsGridCell(row, col)) return;  // nothing hot: the selected colour stays
    m_nHotRow = row;
    m_nHotCol = col;
    if (row == PALETTE_SEPARATOR_ROW) return;
    {
        WindowDC dc(m_hWnd);
        PaintCell(dc.get(), row, col);
    }
    const HWND owner = m_pOwner ? m_pOwner->GetSafeHwnd() : nullptr;
    if (row == PALETTE_CUSTOM_ROW) {
        // The custom button previews the colour the palette opened with.
        if (owner) ::SendMessageW(owner, CLRN_SELCHANGE, m_initialColour, 0);
        return;
    }
    m_selectedColour = EntryColour(row, col);
    if (owner) ::SendMessageW(owner, CLRN_SELCHANGE, m_selectedColour, 0);
}

void ColourPopup::OnKeyDown(UINT key) {
    PaletteKey move;
    switch (key) {
    case VK_DOWN: move = PaletteKey::Down; break;
    case VK_UP: move = PaletteKey::Up; break;
    case VK_RIGHT: move = PaletteKey::Right; break;
    case VK_LEFT: move = PaletteKey::Left; break;
    case VK_RETURN:
        Finish(CLRN_SELENDOK);
        return;
    case VK_ESCAPE:
        m_selectedColour = m_initialColour;
        Finish(CLRN_SELENDCANCEL);
        return;
    default:
        Default();
        return;
    }
    const PaletteCell target = PaletteKeyTarget(move, HotCell(), ChosenCell());
    MoveHot(target.row, target.col);
    Default();
}

void ColourPopup::OnLButtonUp() {
    const DWORD pos = ::GetMessagePos();
    const POINT pt{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    Finish(::PtInRect(&m_rcWindow, pt) ? CLRN_SELENDOK : CLRN_SELENDCANCEL);
}

void ColourPopup::OnCaptureLost() {
    if (m_bLettingGo || ::GetCapture() == m_hWnd) return;
    if (::GetActiveWindow() == m_hWnd) {
        SetCapture();
        return;
    }
    Finish(CLRN_SELENDCANCEL);
}

void ColourPopup::Finish(UINT message) {
    if (message != CLRN_SELENDCANCEL && m_nHotRow == PALETTE_SEPARATOR_ROW) return;  // takes nothing: stay open
    m_bLettingGo = true;
    ::ReleaseCapture();
    if (message == CLRN_SELENDCANCEL) {
        m_selectedColour = m_initialColour;
    } else if (m_nHotRow == PALETTE_CUSTOM_ROW) {
        RunColourDialog();
        SetCapture();
        m_bLettingGo = false;
        return;
    }
    m_nChosenRow = m_nHotRow;
    m_nChosenCol = m_nHotCol;
    // Written back at every end, so colours made in the colour dialog stay
    // with the picker even when the palette is then cancelled.
    if (m_pCustomColours) StoreCustomColours(g_palette, m_pCustomColours);
    const HWND owner = m_pOwner ? m_pOwner->GetSafeHwnd() : nullptr;
    if (owner) {
        ::SendMessageW(owner, message, m_selectedColour,
                       static_cast<LPARAM>(PaletteCellParam(PaletteCell{m_nChosenRow, m_nChosenCol})));
    }
    DestroyWindow();  // deletes this object
}

void ColourPopup::RunColourDialog() {
    // The dialog edits its own COLORREF copy of the custom rows.
    PaletteColour table[CUSTOM_COLOUR_COUNT];
    StoreCustomColours(g_palette, table);
    COLORREF custom[CUSTOM_COLOUR_COUNT];
    std::transform(table, table + CUSTOM_COLOUR_COUNT, custom, [](PaletteColour c) { return c & 0x00FFFFFF; });
    CColorDialog dlg(m_initialColour, CC_FULLOPEN | CC_ANYCOLOR, this);
    dlg.m_cc.hwndOwner = m_hWnd;
    dlg.m_cc.lpCustColors = custom;
    if (dlg.DoModal() != IDOK) return;
    m_selectedColour = dlg.GetColor();
    std::copy(custom, custom + CUSTOM_COLOUR_COUNT, table);
    LoadCustomColours(g_palette, table);
    Invalidate(TRUE);
}
