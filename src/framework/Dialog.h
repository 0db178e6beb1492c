// CDialog: a dialog from a template in the program's resources, modal
// (DoModal runs its own loop, so PreTranslateMessage sees every message) or
// modeless (Create).
#pragma once
#include "framework/Wnd.h"

class CDialog;

class CDataExchange {
public:
    CDataExchange(CDialog* dlg, BOOL saveAndValidate) : m_pDlgWnd(dlg), m_bSaveAndValidate(saveAndValidate) {}
    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

// Binds template control `id` to `control` (subclassing it) the first time.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}
    ~CDialog() override;

    virtual INT_PTR DoModal();
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    void EndDialog(int result);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Win32 accessors the dialogs use.
    UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const {
        return ::GetDlgItemInt(m_hWnd, id, translated, isSigned);
    }
    void SetDlgItemText(int id, const CString& text) const;
    CString GetDlgItemText(int id) const;

    BOOL PreTranslateMessage(MSG* msg) override;
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    BOOL IsModal() const { return m_bModal; }

protected:
    virtual void DoDataExchange(CDataExchange*) {}
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;
    static INT_PTR CALLBACK AfxDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    BOOL CreateFromTemplate(HWND parent);
    bool m_bModal = false;
    bool m_bInModalLoop = false;
    int m_nModalResult = -1;
};
