#include "CamAdjustBar.h"

#include "PellixAdjustDlg.h"
#include "Resource.h"

BEGIN_MESSAGE_MAP(CCamAdjustContainer, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CCamAdjustContainer::CCamAdjustContainer() : m_pDialog(nullptr) {}

CCamAdjustContainer::~CCamAdjustContainer()
{
    if (m_pDialog && m_pDialog->m_hWnd) m_pDialog->DestroyWindow();
    delete m_pDialog;
}

int CCamAdjustContainer::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CWnd::OnCreate(lpcs) == -1) return -1;
    m_pDialog = new CPellixAdjustDlg(nullptr);
    m_pDialog->Create(IDD_PELLIX_ADJUST, this);
    m_pDialog->ShowWindow(SW_SHOW);
    return 0;
}

void CCamAdjustContainer::OnSize(UINT nType, int cx, int cy) { CWnd::OnSize(nType, cx, cy); }

void CCamAdjustContainer::OnPaint() { CPaintDC dc(this); }

BEGIN_MESSAGE_MAP(CCamAdjustBar, CBCGPDockingControlBar)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_PAINT()
END_MESSAGE_MAP()

int CCamAdjustBar::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CBCGPDockingControlBar::OnCreate(lpcs) == -1) return -1;
    if (!m_container.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 200), this,
                            IDC_CAM_ADJUST_CONTAINER))
        return -1;
    return 0;
}

void CCamAdjustBar::OnSize(UINT nType, int cx, int cy)
{
    CBCGPDockingControlBar::OnSize(nType, cx, cy);
    if (m_container.m_hWnd)
        m_container.SetWindowPos(nullptr, 1, 1, cx - 2, cy - 2, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CCamAdjustBar::OnPaint() { CPaintDC dc(this); }
