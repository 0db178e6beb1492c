#include "framework/ColorDialog.h"

CColorDialog::CColorDialog(COLORREF initial, DWORD flags, CWnd* parent) {
    for (COLORREF& c : m_ownCustomColours) c = 0x00FFFFFF;
    m_cc.lStructSize = sizeof(m_cc);
    m_cc.hwndOwner = parent ? parent->GetSafeHwnd() : nullptr;
    m_cc.rgbResult = initial;
    m_cc.lpCustColors = m_ownCustomColours;
    m_cc.Flags = flags | CC_RGBINIT;
}

INT_PTR CColorDialog::DoModal() {
    if (!m_cc.lpCustColors) m_cc.lpCustColors = m_ownCustomColours;  // ChooseColor needs the array
    return ::ChooseColorW(&m_cc) ? IDOK : IDCANCEL;
}
