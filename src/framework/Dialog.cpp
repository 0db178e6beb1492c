#include "framework/Dialog.h"

#include "framework/Text.h"

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (!control.m_hWnd) control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd);
}

CDialog::~CDialog() {
    // Destroy while this class's handlers can still run (the base destructor
    // would only reach CWnd's).
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

INT_PTR CALLBACK CDialog::AfxDlgProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) {
        auto* dlg = dynamic_cast<CDialog*>(CWnd::FromHandle(hwnd));
        return dlg ? dlg->OnInitDialog() : TRUE;
    }
    return FALSE;
}

BOOL CDialog::CreateFromTemplate(HWND parent) {
    HookWindowCreate();
    HWND hwnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate), parent,
                                     &CDialog::AfxDlgProc, 0);
    UnhookWindowCreate();
    if (!hwnd) {
        ForgetRefusedWindow();
        return FALSE;
    }
    return TRUE;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    m_nIDTemplate = templateId;
    if (parent) m_pParentWnd = parent;
    m_bModal = false;
    return CreateFromTemplate(m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
}

INT_PTR CDialog::DoModal() {
    HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    const bool disableParent = parent && ::IsWindowEnabled(parent);
    if (disableParent) ::EnableWindow(parent, FALSE);
    m_bModal = true;
    m_bInModalLoop = true;
    m_nModalResult = -1;
    if (!CreateFromTemplate(parent)) {
        if (disableParent) ::EnableWindow(parent, TRUE);
        m_bModal = false;
        return -1;
    }
    if (!(GetStyle() & WS_VISIBLE)) ShowWindow(SW_SHOWNORMAL);
    while (m_bInModalLoop && m_hWnd) {
        MSG msg;
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // WM_QUIT inside a modal loop belongs to the outer loop: end the
            // dialog and post it again.
            if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!CWnd::WalkPreTranslateTree(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    // Re-enable the owner before the dialog goes, so activation returns to it.
    if (disableParent) ::EnableWindow(parent, TRUE);
    if (m_hWnd) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        DestroyWindow();
    }
    m_bModal = false;
    return m_nModalResult;
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    if (m_bModal) {
        m_bInModalLoop = false;
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wake the loop
    } else if (m_hWnd) {
        ShowWindow(SW_HIDE);  // a modeless dialog is hidden, not destroyed
    }
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::SetDlgItemText(int id, const CString& text) const {
    ::SetDlgItemTextW(m_hWnd, id, Widen(text).c_str());
}

CString CDialog::GetDlgItemText(int id) const {
    HWND item = GetDlgItem(id);
    if (!item) return CString();
    int length = ::GetWindowTextLengthW(item);
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    int got = ::GetWindowTextW(item, &buffer[0], length + 1);
    return Narrow(buffer.c_str(), got);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnCommand(WPARAM wp, LPARAM) {
    switch (LOWORD(wp)) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    // Keyboard input for this dialog or its controls gets the dialog keys
    // (Tab, Enter, Esc, arrows).
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
    if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd)) return FALSE;
    return ::IsDialogMessageW(m_hWnd, msg);
}
