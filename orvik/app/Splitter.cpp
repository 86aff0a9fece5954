#include "Splitter.h"

IMPLEMENT_DYNCREATE(CMySplitterWnd, CMDIChildWnd)

CMySplitterWnd::CMySplitterWnd() {}

BOOL CMySplitterWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
    return m_wndSplitter.Create(this, 2, 2, CSize(10, 10), pContext,
                                WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | SPLS_DYNAMIC_SPLIT, AFX_IDW_PANE_FIRST);
}
