// The small editor a text label opens over its view: a multi-line edit and
// the buttons OK and Cancel.
#pragma once
#include <AfxWindows.h>

class CTextShape;

class CTextEditPopup : public CWnd {
public:
    enum { IDC_TEXT_EDIT = 33121, IDC_TEXT_OK = 33122, IDC_TEXT_CANCEL = 33123, IDC_TEXT_POPUP = 33321 };

    // The label that gets the text (not owned; the label owns the editor).
    void SetOwner(CTextShape* pOwner) { m_pOwner = pOwner; }

protected:
    // Escape in the edit cancels; Return is a line break, as a multi-line
    // edit takes it.
    class CTextEditBox : public CEdit {
    protected:
        afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
        DECLARE_MESSAGE_MAP()
    };

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnPaint();
    afx_msg void OnOK();
    afx_msg void OnCancel();
    DECLARE_MESSAGE_MAP()

    CButton m_ok;
    CButton m_cancel;
    CTextEditBox m_edit;
    CTextShape* m_pOwner = nullptr;
};
