#include "OutputBar.h"

BEGIN_MESSAGE_MAP(COutputBar, CBCGPDockingControlBar)
    ON_WM_CREATE()
    ON_WM_SIZE()
END_MESSAGE_MAP()

int COutputBar::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CBCGPDockingControlBar::OnCreate(lpCreateStruct) == -1) return -1;
    CRect empty(0, 0, 0, 0);
    if (!m_wndTabs.Create(CBCGPTabWnd::STYLE_FLAT, empty, this, 1, CBCGPTabWnd::LOCATION_BOTTOM, FALSE)) return -1;
    m_wndTabs.SetFlatFrame(FALSE, FALSE);
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | LVS_AUTOARRANGE;
    COutputList* lists[] = {&m_wndList1, &m_wndList2, &m_wndList3};
    for (UINT i = 0; i < 3; ++i)
        if (!lists[i]->Create(style, empty, &m_wndTabs, i + 2)) return -1;
    m_wndTabs.AddTab(&m_wndList1, L"Output 1", (UINT)-1, TRUE);
    m_wndTabs.AddTab(&m_wndList2, L"Output 2", (UINT)-1, TRUE);
    m_wndTabs.AddTab(&m_wndList3, L"Output 3", (UINT)-1, TRUE);
    return 0;
}

void COutputBar::OnSize(UINT nType, int cx, int cy) {
    CBCGPDockingControlBar::OnSize(nType, cx, cy);
    if (m_wndTabs.GetSafeHwnd())
        m_wndTabs.SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BEGIN_MESSAGE_MAP(CWorkspaceBarBase, CBCGPDockingControlBar)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_PAINT()
END_MESSAGE_MAP()

int CWorkspaceBarBase::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CBCGPDockingControlBar::OnCreate(lpCreateStruct) == -1) return -1;
    if (!m_wndTree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, CRect(0, 0, 0, 0),
                          this, 1))
        return -1;
    HTREEITEM root = m_wndTree.InsertItem(m_pszRoot);
    m_wndTree.InsertItem(L"Item 1", root);
    m_wndTree.InsertItem(L"Item 2", root);
    return 0;
}

void CWorkspaceBarBase::OnSize(UINT nType, int cx, int cy) {
    CBCGPDockingControlBar::OnSize(nType, cx, cy);
    if (m_wndTree.GetSafeHwnd())
        m_wndTree.SetWindowPos(nullptr, 1, 1, cx - 2, cy - 2, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWorkspaceBarBase::OnPaint() {
    CPaintDC dc(this);
    if (!m_wndTree.GetSafeHwnd()) return;
    CRect tree;
    m_wndTree.GetWindowRect(&tree);
    ScreenToClient(&tree);
    tree.InflateRect(1, 1);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    dc.Draw3dRect(&tree, shadow, shadow);
}
