#include "OrvikView.h"
#include "OrvikDoc.h"
#include <Globals.h>

IMPLEMENT_DYNCREATE(COrvikView, CView)

BEGIN_MESSAGE_MAP(COrvikView, CView)
    ON_WM_CREATE()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

COrvikView::COrvikView() : m_bLive(false) {}

COrvikView::~COrvikView() {
    if (m_bLive) {
        g_bPreviewOpen = 0;
        g_bPreviewRunning = 0;
    }
}

COrvikDoc* COrvikView::GetDocument() const { return static_cast<COrvikDoc*>(m_pDocument); }

int COrvikView::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CView::OnCreate(lpCreateStruct) == -1) return -1;
    m_bLive = g_bOpeningPreview && !g_bPreviewOpen;
    if (COrvikDoc* doc = GetDocument()) doc->m_bLive = m_bLive;
    if (m_bLive) g_bPreviewOpen = 1;
    return 0;
}

BOOL COrvikView::OnEraseBkgnd(CDC*) { return TRUE; }

void COrvikView::OnDraw(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, RGB(0, 0, 0));
}
