#include "controls/ColourPicker.h"

#include <commctrl.h>

#include <algorithm>

#include "controls/ColourPopup.h"
#include "controls/FillSolid.h"

namespace {
constexpr COLORREF kDisabledColour = 0x00C0C0C0;
constexpr UINT kRedrawNow = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;
}  // namespace

CXColourPicker::CXColourPicker() {
    for (PaletteColour& c : m_customColours) c = 0x00FFFFFF;
    m_savedColour = ::GetSysColor(COLOR_BTNFACE);
    m_defaultColour = ::GetSysColor(COLOR_APPWORKSPACE);
}

void CXColourPicker::PreSubclassWindow() {
    // Template buttons are plain push buttons (style 0): this makes them
    // exactly owner-draw.
    ModifyStyle(0, BS_OWNERDRAW, 0);
    CButton::PreSubclassWindow();
}

void CXColourPicker::SetColour(COLORREF colour) {
    m_colour = colour;
    m_savedColour = colour;
    if (m_hWnd) RedrawWindow(nullptr, nullptr, kRedrawNow);
}

LRESULT CXColourPicker::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(&client);
        FillSolidRect(reinterpret_cast<HDC>(wp), client, m_colour);
        return TRUE;
    }
    case WM_ENABLE:
        OnEnable(static_cast<BOOL>(wp));
        return Default();
    case CLRN_SELENDOK:
        OnSelEndOk(static_cast<COLORREF>(wp));
        return 1;
    case CLRN_SELENDCANCEL:
        OnSelEndCancel(static_cast<COLORREF>(wp));
        return 1;
    case CLRN_SELCHANGE:
        return 1;  // a preview: the button keeps its colour until the end
    default:
        break;
    }
    return CButton::WindowProc(msg, wp, lp);
}

BOOL CXColourPicker::OnReflectedCommand(UINT code) {
    if (code != BN_CLICKED) return FALSE;
    OnClicked();
    return TRUE;
}

void CXColourPicker::NotifyParent(UINT msg, COLORREF colour) const {
    const HWND parent = GetParentHwnd();
    if (parent) ::SendMessageW(parent, msg, colour, static_cast<LPARAM>(GetDlgCtrlID()));
}

void CXColourPicker::OnClicked() {
    RECT rc{};
    GetWindowRect(&rc);
    // The popup deletes itself when its window goes; the button keeps no
    // pointer to it. It holds the capture, so no second click comes before
    // it has ended.
    ColourPopup::Open(this, POINT{rc.left, rc.bottom}, m_colour, m_customColours);
    NotifyParent(CLRN_DROPDOWN, m_colour);
}

void CXColourPicker::OnSelEndOk(COLORREF colour) {
    // The parent sees the end while GetColour still gives the old colour.
    NotifyParent(CLRN_CLOSEUP, colour);
    NotifyParent(CLRN_SELENDOK, colour);
    if (colour != m_colour) {
        SetColour(colour);
        NotifyParent(CLRN_SELCHANGE, colour);
    }
}

void CXColourPicker::OnSelEndCancel(COLORREF colour) {
    SetColour(colour);
    NotifyParent(CLRN_CLOSEUP, colour);
    NotifyParent(CLRN_SELENDCANCEL, colour);
}

void CXColourPicker::OnEnable(BOOL enable) {
    if (enable) {
        m_colour = m_savedColour;
    } else {
        m_savedColour = m_colour;
        m_colour = kDisabledColour;
    }
    RedrawWindow(nullptr, nullptr, kRedrawNow);
}

void CXColourPicker::DrawItem(LPDRAWITEMSTRUCT dis) {
    const HDC dc = dis->hDC;
    const UINT state = dis->itemState;
    const bool selected = (state & ODS_SELECTED) != 0;
    const bool disabled = (state & ODS_DISABLED) != 0;
    RECT r = dis->rcItem;

    UINT frame = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
    if (selected) frame |= DFCS_PUSHED;
    if (disabled) frame |= DFCS_INACTIVE;
    ::DrawFrameControl(dc, &r, DFC_BUTTON, frame);  // shrinks r to the face
    if (selected) ::OffsetRect(&r, 1, 1);
    if (state & ODS_FOCUS) {
        RECT focus{r.left, r.top, r.right - 1, r.bottom};
        ::DrawFocusRect(dc, &focus);
    }
    const int edgeX = ::GetSystemMetrics(SM_CXEDGE);
    ::InflateRect(&r, -edgeX, -::GetSystemMetrics(SM_CYEDGE));

    // The drop-down arrow, rows narrowing by two, in the DC's own pen.
    const int w = std::max(::GetSystemMetrics(SM_CXHTHUMB) / 3 + 2, ::GetSystemMetrics(SM_CYVTHUMB) / 3 + 2);
    const int x0 = r.right - 2 * edgeX - 6;
    const int y0 = (r.top + r.bottom) / 2 - 2;
    for (int k = 0; w - 2 * k > 0; ++k) {
        ::MoveToEx(dc, x0 + k, y0 + k, nullptr);
        ::LineTo(dc, x0 + k + w - 2 * k, y0 + k);
    }

    r.right -= 2 * edgeX + 7 + edgeX / 2;
    ::DrawEdge(dc, &r, EDGE_ETCHED, BF_RIGHT);
    r.right -= 2 * edgeX + 1;
    if (disabled) return;  // a disabled button shows no swatch

    const COLORREF swatch = m_colour == CLR_DEFAULT ? m_defaultColour : m_colour;
    FillSolidRect(dc, r, swatch);
    ::FrameRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
}
