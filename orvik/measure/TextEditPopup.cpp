#include "TextEditPopup.h"

#include "TextShape.h"

BEGIN_MESSAGE_MAP(CTextEditPopup::CTextEditBox, CEdit)
    ON_WM_KEYDOWN()
END_MESSAGE_MAP()

void CTextEditPopup::CTextEditBox::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (nChar == VK_ESCAPE) {
        ::SendMessageW(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(IDC_TEXT_CANCEL, BN_CLICKED), 0);
        return;
    }
    CEdit::OnKeyDown(nChar, nRepCnt, nFlags);
}

BEGIN_MESSAGE_MAP(CTextEditPopup, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_BN_CLICKED(IDC_TEXT_OK, OnOK)
    ON_BN_CLICKED(IDC_TEXT_CANCEL, OnCancel)
END_MESSAGE_MAP()

// Always at the view's top-left corner, whatever the label's place.
int CTextEditPopup::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
    MoveWindow(0, 0, 230, 140);
    m_edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_WANTRETURN, CRect(10, 10, 220, 100), this,
                  IDC_TEXT_EDIT);
    m_ok.Create(L"OK", WS_CHILD | WS_VISIBLE, CRect(10, 110, 100, 130), this, IDC_TEXT_OK);
    m_cancel.Create(L"Cancel", WS_CHILD | WS_VISIBLE, CRect(130, 110, 220, 130), this, IDC_TEXT_CANCEL);
    m_edit.SetFocus();
    return 0;
}

void CTextEditPopup::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    dc.Rectangle(&rc);
}

void CTextEditPopup::OnOK() {
    CString text;
    m_edit.GetWindowText(text);   // as long as it is; the label keeps 255
    if (m_pOwner) m_pOwner->TakeEditorText(text);
    SendMessage(WM_CLOSE);
}

// A cancelled label keeps its anchor and draws nothing.
void CTextEditPopup::OnCancel() {
    if (m_pOwner) m_pOwner->TakeEditorText(L"");
    SendMessage(WM_CLOSE);
}
