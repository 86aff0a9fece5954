#include "ChildFrm.h"

IMPLEMENT_DYNCREATE(CChildFrame, CBCGPMDIChildWnd)

BEGIN_MESSAGE_MAP(CChildFrame, CBCGPMDIChildWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

CChildFrame::CChildFrame() {}

BOOL CChildFrame::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!CBCGPMDIChildWnd::PreCreateWindow(cs)) return FALSE;
    cs.style &= ~WS_SYSMENU;
    return TRUE;
}

int CChildFrame::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CBCGPMDIChildWnd::OnCreate(lpCreateStruct) == -1) return -1;
    // The MDI client gives its children a system menu whatever they ask for.
    ModifyStyle(WS_SYSMENU, 0, SWP_FRAMECHANGED);
    return 0;
}

void CChildFrame::ActivateFrame(int) {
    ::OutputDebugStringW(L"dkkkkkkk");
    CBCGPMDIChildWnd::ActivateFrame(SW_SHOWMAXIMIZED);
    // Also when the frame was already shown in another state.
    if (!IsZoomed()) MDIMaximize();
}
