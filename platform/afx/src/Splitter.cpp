#include "AfxExtension.h"
#include "AfxImpl.h"

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

BEGIN_MESSAGE_MAP(CSplitterWnd, CWnd)
    ON_WM_SIZE()
END_MESSAGE_MAP()

CSplitterWnd::CSplitterWnd() : m_nMaxRows(1), m_nMaxCols(1) {}

BOOL CSplitterWnd::Create(CWnd* pParentWnd, int nMaxRows, int nMaxCols, SIZE sizeMin, CCreateContext* pContext,
                          DWORD dwStyle, UINT nID) {
    if (!pParentWnd || nMaxRows < 1 || nMaxCols < 1 || nMaxRows > 16 || nMaxCols > 16) return FALSE;
    m_nMaxRows = nMaxRows;
    m_nMaxCols = nMaxCols;
    m_sizeMin = sizeMin;
    // The splitter draws no scroll bars of its own; its panes do.
    DWORD style = (dwStyle & ~(WS_HSCROLL | WS_VSCROLL | SPLS_DYNAMIC_SPLIT | SPLS_INVERT_TRACKER)) | WS_CHILD | WS_CLIPCHILDREN;
    CRect rc;
    pParentWnd->GetClientRect(&rc);
    if (!CWnd::Create(nullptr, nullptr, style, rc, pParentWnd, nID, nullptr)) return FALSE;
    if (pContext && pContext->m_pNewViewClass) {
        CObject* obj = pContext->m_pNewViewClass->CreateObject();
        CWnd* view = DYNAMIC_DOWNCAST(CWnd, obj);
        if (!view) { delete obj; DestroyWindow(); return FALSE; }
        CRect client;
        GetClientRect(&client);
        if (!view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, client, this, IdFromRowCol(0, 0), pContext)) {
            DestroyWindow();
            return FALSE;
        }
    }
    return TRUE;
}

CWnd* CSplitterWnd::GetPane(int row, int col) const {
    if (!m_hWnd) return nullptr;
    return CWnd::FromHandlePermanent(::GetDlgItem(m_hWnd, IdFromRowCol(row, col)));
}

void CSplitterWnd::RecalcLayout() {
    HWND pane = m_hWnd ? ::GetDlgItem(m_hWnd, IdFromRowCol(0, 0)) : nullptr;
    if (!pane) return;
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    ::MoveWindow(pane, 0, 0, rc.right, rc.bottom, TRUE);
}

void CSplitterWnd::OnSize(UINT nType, int cx, int cy) {
    CWnd::OnSize(nType, cx, cy);
    RecalcLayout();
}
