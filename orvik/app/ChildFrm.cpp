#include "ChildFrm.h"

IMPLEMENT_DYNCREATE(CChildFrame, CBCGPMDIChildWnd)

CChildFrame::CChildFrame() {}

BOOL CChildFrame::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!CBCGPMDIChildWnd::PreCreateWindow(cs)) return FALSE;
    cs.style &= ~WS_SYSMENU;
    return TRUE;
}

void CChildFrame::ActivateFrame(int) {
    ::OutputDebugStringW(L"dkkkkkkk");
    CBCGPMDIChildWnd::ActivateFrame(SW_SHOWMAXIMIZED);
}
