#include "OrvikView.h"
#include "OrvikDoc.h"
#include "VideoWnd.h"
#include <Globals.h>

IMPLEMENT_DYNCREATE(COrvikView, CScrollView)

BEGIN_MESSAGE_MAP(COrvikView, CScrollView)
    ON_WM_CREATE()
END_MESSAGE_MAP()

COrvikView::COrvikView()
    : m_pMainFrame(dynamic_cast<CFrameWnd*>(AfxGetMainWnd())), m_pPlaceholder(nullptr), m_pVideoWnd(nullptr),
      m_bLive(false) {}

COrvikView::~COrvikView() {
    if (m_bLive) {
        g_bPreviewOpen = 0;
        g_bPreviewRunning = 0;
    }
    delete m_pPlaceholder;
}

COrvikDoc* COrvikView::GetDocument() const { return static_cast<COrvikDoc*>(m_pDocument); }

int COrvikView::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CScrollView::OnCreate(lpCreateStruct) == -1) return -1;
    m_bLive = g_bOpeningPreview && !g_bPreviewOpen;
    if (COrvikDoc* doc = GetDocument()) doc->m_bLive = m_bLive;
    if (m_bLive) g_bPreviewOpen = 1;
    return 0;
}

void COrvikView::OnInitialUpdate() {
    CScrollView::OnInitialUpdate();
    SetScrollSizes(MM_TEXT, CSize(100, 100));
}

void COrvikView::OnDraw(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    pDC->FillRect(&rc, CBrush::FromHandle((HBRUSH)GetStockObject(WHITE_BRUSH)));
}

BOOL COrvikView::OnPreparePrinting(CPrintInfo* pInfo) { return DoPreparePrinting(pInfo); }
void COrvikView::OnBeginPrinting(CDC*, CPrintInfo*) {}
void COrvikView::OnEndPrinting(CDC*, CPrintInfo*) {}

LRESULT COrvikView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return CScrollView::WindowProc(message, wParam, lParam);
}
