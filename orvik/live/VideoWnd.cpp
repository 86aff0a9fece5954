#include "VideoWnd.h"
#include <Globals.h>

#include "LiveFrame.h"
#include "MeasureLayer.h"
#include "OrvikDoc.h"
#include "OrvikView.h"
#include "PellixVideoWnd.h"

namespace {

// The program's cursor, or a system one where the resources lack it (tests).
HCURSOR LoadProgramCursor(UINT id, LPCWSTR fallback) {
    if (HCURSOR own = ::LoadCursorW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id))) return own;
    if (HCURSOR own = ::LoadCursorW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(id))) return own;
    return ::LoadCursorW(nullptr, fallback);
}

}  // namespace

BEGIN_MESSAGE_MAP(CVideoWnd, CWnd)
    ON_WM_TIMER()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CVideoWnd::CVideoWnd()
    : m_nFrameWidth(0),
      m_nFrameHeight(0),
      m_hFrameThread(nullptr),
      m_pDocument(nullptr),
      m_pGraph(nullptr),
      m_hCursorA(LoadProgramCursor(192, IDC_ARROW)),
      m_hCursorB(LoadProgramCursor(191, IDC_CROSS)) {}

CVideoWnd::~CVideoWnd() = default;

void CVideoWnd::DrawFrame(HWND) {}
void CVideoWnd::Pause() {}
void CVideoWnd::Start() {}
void CVideoWnd::SetDocument(COrvikDoc* doc) { m_pDocument = doc; }
COrvikDoc* CVideoWnd::GetDocument() { return m_pDocument; }
void CVideoWnd::SignalFrame() {}
void CVideoWnd::Shutdown() {}

void CVideoWnd::JoinFrameThread(HANDLE stopEvent) {
    if (!m_hFrameThread) return;
    ::SetEvent(stopEvent);
    // A step may sit in a library call that ends by its own time-out: the
    // join waits for it (tracing now and then), since a killed thread would
    // leave the library's, the heap's or GDI's locks held.
    const DWORD kTraceAfterMs = 5000;
    for (;;) {
        const DWORD r = ::MsgWaitForMultipleObjects(1, &m_hFrameThread, FALSE, kTraceAfterMs, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) break;
        if (r == WAIT_TIMEOUT) {
            ::OutputDebugStringW(L"CVideoWnd: the frame thread has not ended yet\n");
            continue;
        }
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // answers what was sent
    }
    ::CloseHandle(m_hFrameThread);
    m_hFrameThread = nullptr;
}

COrvikDoc* CVideoWnd::GetViewDocument() const {
    // The permanent map only: the frame thread asks too, and must not make
    // temporary window objects.
    if (m_hWnd) {
        if (auto* view = dynamic_cast<COrvikView*>(CWnd::FromHandlePermanent(::GetParent(m_hWnd)))) {
            if (COrvikDoc* doc = view->GetDocument()) return doc;
        }
    }
    return m_pDocument;
}

void CVideoWnd::ForwardMouse(UINT message, UINT nFlags, CPoint point) {
    COrvikDoc* doc = GetViewDocument();
    if (!doc || !doc->m_pMeasureLayer) return;
    CMeasureLayer* layer = doc->m_pMeasureLayer;
    const int tool = doc->m_nMeasureTool;
    switch (message) {
    case WM_MOUSEMOVE: layer->OnMouseMove(nFlags, point.x, point.y, tool); break;
    case WM_LBUTTONDOWN: layer->OnLButtonDown(nFlags, point.x, point.y, tool); break;
    case WM_LBUTTONUP: layer->OnLButtonUp(nFlags, point.x, point.y, tool); break;
    default: break;
    }
}

BOOL CVideoWnd::SetMeasureCursor(UINT nHitTest) {
    COrvikDoc* doc = GetViewDocument();
    if (nHitTest != HTCLIENT || !doc || !doc->m_bDrawMeasurements) return static_cast<BOOL>(Default());
    ::SetCursor(doc->m_nMeasureTool == 1 ? m_hCursorB : ::LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
}

void CVideoWnd::OnTimer(UINT_PTR) { Default(); }

void CVideoWnd::OnLButtonDblClk(UINT, CPoint) {
    if (ILiveFrame* frame = GetLiveFrame()) frame->ToggleFullScreen();
    Default();
}

BOOL CVideoWnd::OnEraseBkgnd(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    ::FillRect(pDC->GetSafeHdc(), &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    return static_cast<BOOL>(Default());
}

void CVideoWnd::OnPaint() { CPaintDC dc(this); }

// ---------------------------------------------------------------- factory

CVideoWnd* CreateVideoWnd(int camType) {
    switch (camType) {
    case kCamMarrowin: return new CPellixVideoWnd;
    case kCamNone: return new CPlainVideoWnd;
    case kCamDirectShow: return new CGraphVideoWnd;
    case kCamHestralT6M:
    case kCamHestralT4M:
    case kCamHestralT2W:
    case kCamHestralT8M: return new CHestralVideoWnd;
    default: return nullptr;
    }
}

CPlainVideoWnd::CPlainVideoWnd() = default;
