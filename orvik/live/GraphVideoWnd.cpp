#include "VideoWnd.h"

#include <Globals.h>
#include <Trevlo.h>

namespace {

const UINT_PTR kFlipTimer = 1;
const UINT kFlipDelayMs = 1000;

// The models whose processing filter takes the flip flags one tick after each
// start.
bool RefreshesFlips(int subType) { return subType == 0 || subType == 3; }

}  // namespace

BEGIN_MESSAGE_MAP(CGraphVideoWnd, CVideoWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_TIMER()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_SETCURSOR()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CGraphVideoWnd::CGraphVideoWnd() : m_bInitFailed(false), m_bGraphBuilt(false) {
    switch (g_CamSubType) {
    case 0: m_nFrameWidth = 1200; m_nFrameHeight = 1024; break;
    case 3: m_nFrameWidth = 1600; m_nFrameHeight = 1200; break;
    case 5:
    case 6:
    case 7: m_nFrameWidth = 1024; m_nFrameHeight = 768; break;
    default: break;  // the view skips its layout for a size of zero
    }
    m_pGraph = new CXGraphDll;
    if (FAILED(m_pGraph->InitGraph())) {
        // The graph has shown its own box. The program ends, but not inside
        // the caller's creation of its windows: the close is posted, and this
        // window refuses to be created.
        m_bInitFailed = true;
        if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_CLOSE);
    }
}

CGraphVideoWnd::~CGraphVideoWnd() {
    if (m_pGraph) {
        m_pGraph->TearDownGraph();
        m_pGraph->ClearGraph();
        delete m_pGraph;
        m_pGraph = nullptr;
    }
}

int CGraphVideoWnd::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (m_bInitFailed) return -1;
    return CVideoWnd::OnCreate(lpCreateStruct);
}

// The renderer's window is a child of this one: the graph stops and takes it
// back before this window goes, or it would be destroyed under the renderer,
// which goes on using it until the graph is torn down.
void CGraphVideoWnd::OnDestroy() {
    if (m_pGraph && m_bGraphBuilt) {
        m_pGraph->Stop();
        m_pGraph->TearDownGraph();
    }
    CVideoWnd::OnDestroy();
}

void CGraphVideoWnd::DrawFrame(HWND) {}

void CGraphVideoWnd::Pause() {
    if (!m_bInitFailed) m_pGraph->Pause();
}

void CGraphVideoWnd::Start() {
    if (m_bInitFailed) return;
    if (!m_bGraphBuilt) {
        m_pGraph->GetAllAvailSize();
        m_pGraph->SetDisplayMode(0);
        if (FAILED(m_pGraph->MakeGraph())) return;
        m_pGraph->SetParentWnd(m_hWnd, 0, 0, m_nFrameWidth, m_nFrameHeight);
        m_pGraph->put_EnableProcess(TRUE);
        m_bGraphBuilt = true;
    }
    m_pGraph->Run();
    if (RefreshesFlips(g_CamSubType) && m_hWnd) SetTimer(kFlipTimer, kFlipDelayMs, nullptr);
}

void CGraphVideoWnd::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != kFlipTimer || !RefreshesFlips(g_CamSubType)) {
        CVideoWnd::OnTimer(nIDEvent);
        return;
    }
    m_pGraph->put_Flip(g_VerticalFlip ? TRUE : FALSE);
    m_pGraph->put_Mirror(g_HorizontalFlip ? TRUE : FALSE);
    KillTimer(kFlipTimer);
}

void CGraphVideoWnd::OnMouseMove(UINT nFlags, CPoint point) {
    ForwardMouse(WM_MOUSEMOVE, nFlags, point);
    Default();
}

void CGraphVideoWnd::OnLButtonDown(UINT nFlags, CPoint point) {
    ForwardMouse(WM_LBUTTONDOWN, nFlags, point);
    Default();
}

void CGraphVideoWnd::OnLButtonUp(UINT nFlags, CPoint point) {
    ForwardMouse(WM_LBUTTONUP, nFlags, point);
    Default();
}

BOOL CGraphVideoWnd::OnSetCursor(CWnd*, UINT nHitTest, UINT) { return SetMeasureCursor(nHitTest); }

// The renderer's window covers the picture: no white fill under it.
BOOL CGraphVideoWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
