#include "OrvikView.h"

#include "LiveFrame.h"
#include "MeasureLayer.h"
#include "OrvikDoc.h"
#include "PellixVideoWnd.h"
#include "StillFrame.h"
#include "VideoWnd.h"
#include <Globals.h>
#include <Hestral.h>
#include <Imaging.h>
#include <Trevlo.h>

IMPLEMENT_DYNCREATE(COrvikView, CScrollView)

BEGIN_MESSAGE_MAP(COrvikView, CScrollView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_DESTROY()
    ON_WM_CONTEXTMENU()
    ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
    ON_COMMAND(ID_FILE_PRINT_PREVIEW, OnFilePrintPreview)
END_MESSAGE_MAP()

namespace {
// Scale bar of the live measurement layer.
constexpr int kScaleBarShape = 9;
// Timer of the Marrowin video window.
constexpr UINT_PTR kPellixTimer = 1;
constexpr UINT kPellixTimerMs = 150;


void LockDialog(LiveDialog dialog, BOOL lock) {
    if (ILiveFrame* frame = GetLiveFrame()) frame->LockCameraDialog(dialog, lock);
}
}  // namespace

COrvikView::COrvikView()
    : m_pMainFrame(dynamic_cast<CFrameWnd*>(AfxGetMainWnd())), m_pPlaceholder(nullptr), m_pVideoWnd(nullptr),
      m_bLive(false) {}

COrvikView::~COrvikView() {
    if (m_bLive) {
        g_bPreviewOpen = 0;
        g_bPreviewRunning = 0;
    }
    delete m_pVideoWnd;
    m_pVideoWnd = nullptr;
    delete m_pPlaceholder;
    m_pPlaceholder = nullptr;
}

COrvikDoc* COrvikView::GetDocument() const { return static_cast<COrvikDoc*>(m_pDocument); }

int COrvikView::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    ::OutputDebugStringW(L"COrvikView::OnCreate");
    if (CScrollView::OnCreate(lpCreateStruct) == -1) return -1;
    if (g_bLangArabic) ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, ::GetWindowLongW(m_hWnd, GWL_EXSTYLE) ^ WS_EX_LAYOUTRTL);

    COrvikDoc* doc = GetDocument();
    m_bLive = g_bOpeningPreview && !g_bPreviewOpen;
    if (doc) doc->m_bLive = m_bLive;
    if (!m_bLive) {
        m_pPlaceholder = new CCamChildWnd;
        if (!m_pPlaceholder->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 20, 20), this, kVideoWndId))
            return -1;
        ::OutputDebugStringW(L"COrvikView::OnCreate///");
        return 0;
    }

    g_bPreviewOpen = 1;
    m_pVideoWnd = CreateVideoWnd(g_CamType);
    if (m_pVideoWnd) m_pVideoWnd->SetDocument(doc);
    if (!m_pVideoWnd ||
        !m_pVideoWnd->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 20, 20), this, kVideoWndId)) {
        ::OutputDebugStringW(L"failed to create videownd");
        return -1;
    }
    if (doc && doc->m_pMeasureLayer) {
        doc->m_pMeasureLayer->SetViewWindow(m_pVideoWnd->GetSafeHwnd());
        doc->m_pMeasureLayer->CreateShape(kScaleBarShape);
    }

    ILiveFrame* frame = GetLiveFrame();
    if (g_CamType == kCamMarrowin) {
        m_pVideoWnd->SetTimer(kPellixTimer, kPellixTimerMs, nullptr);
        m_pVideoWnd->Start();
        g_bPreviewRunning = 1;
        LockDialog(kLivePellixAdjust, FALSE);
        LockDialog(kLiveCaptureBox, FALSE);
        LockDialog(kLiveVideoBox, FALSE);
        if (frame) frame->RunPellixAutoExposure();
    } else if (g_CamType == kCamDirectShow) {
        m_pVideoWnd->Start();
        g_bPreviewRunning = 1;
        LockDialog(kLiveUvcPanel, FALSE);
        if (frame) frame->StartUvcPanel(m_pVideoWnd);
        LockDialog(kLiveCaptureBox, FALSE);
        if (frame && g_CamSubType >= 0 && g_CamSubType <= 4) frame->UpdateFlipChecks();
        LockDialog(kLiveVideoBox, FALSE);
    } else if (IsHestralCamType()) {
        m_pVideoWnd->Start();
        CHestralVideoWnd* hestral = dynamic_cast<CHestralVideoWnd*>(m_pVideoWnd);
        if (hestral && hestral->m_bInitFailed) return -1;
        g_bPreviewRunning = 1;
        if (frame) frame->StartHestralAdjust();
        LockDialog(kLiveCaptureBox, FALSE);
        LockDialog(kLiveVideoBox, FALSE);
    }
    ::OutputDebugStringW(L"COrvikView::OnCreate///");
    return 0;
}

void COrvikView::OnSize(UINT nType, int cx, int cy) {
    CScrollView::OnSize(nType, cx, cy);
    COrvikDoc* doc = GetDocument();
    if (!m_pVideoWnd || !m_pVideoWnd->GetSafeHwnd() || !doc) return;
    CRect client;
    GetClientRect(&client);
    const CSize frame(m_pVideoWnd->m_nFrameWidth, m_pVideoWnd->m_nFrameHeight);
    const int zoomMode = doc->m_nZoomMode;
    CString trace;
    if (zoomMode != 1) {
        trace.Format(L"cxWindow%d, cyWindow%d", client.Width(), client.Height());
        ::OutputDebugStringW(trace);
    }
    const LiveLayout layout = ComputeLiveLayout(zoomMode, frame, client.Size());
    if (layout.setScroll) {
        SetScrollSizes(MM_TEXT, layout.scrollSize);
        ScrollToPosition(CPoint(0, 0));
    } else {
        trace.Format(L"%d, %d", layout.rect.Width(), layout.rect.Height());
        ::OutputDebugStringW(trace);
        const CSize total = GetTotalSize();
        if (total.cx > client.Width() || total.cy > client.Height()) {
            SetScrollSizes(MM_TEXT, client.Size());
            ScrollToPosition(CPoint(0, 0));
        }
    }
    doc->m_nDisplayWidth = layout.rect.Width();
    doc->m_nDisplayHeight = layout.rect.Height();
    // Live measurements stay in frame pixels, as on the captured still.
    if (doc->m_pMeasureLayer) doc->m_pMeasureLayer->SetZoom(layout.zoom);
    m_pVideoWnd->SetWindowPos(nullptr, layout.rect.left, layout.rect.top, layout.rect.Width(), layout.rect.Height(),
                              SWP_NOZORDER | SWP_NOACTIVATE | (layout.setScroll ? 0 : SWP_SHOWWINDOW));
    if (g_CamType == kCamDirectShow && m_pVideoWnd->m_pGraph)
        m_pVideoWnd->m_pGraph->SetParentWnd(m_pVideoWnd->GetSafeHwnd(), 0, 0, layout.rect.Width(), layout.rect.Height());
}

LRESULT COrvikView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && g_CamType == kCamDirectShow && m_pVideoWnd && GetLiveFrame()) {
        LockDialog(kLiveVideoBox, TRUE);
        LockDialog(kLiveCaptureBox, TRUE);
        LockDialog(kLiveUvcPanel, TRUE);
    }
    return CScrollView::WindowProc(message, wParam, lParam);
}

void COrvikView::OnDestroy() {
    // Only the live view runs the camera; a placeholder's end leaves it alone.
    if (IsHestralCamType() && m_pVideoWnd) {
        if (!g_bPreviewStopped) {
            g_bPreviewOpen = 0;
            CameraStop();
        }
        CameraUnInit();
        g_bPreviewStopped = 0;
        if (GetLiveFrame()) {
            g_bPreviewRunning = 0;
            LockDialog(kLiveVideoBox, TRUE);
            LockDialog(kLiveCaptureBox, TRUE);
            LockDialog(kLiveHestralAdjust, TRUE);
        }
    }
    CScrollView::OnDestroy();
}

void COrvikView::OnContextMenu(CWnd*, CPoint) {}

// The Marrowin picture as it is now, to the one fixed file the command has always written.
void COrvikView::OnFileSaveAs() {
    CPellixVideoWnd* pellix = dynamic_cast<CPellixVideoWnd*>(m_pVideoWnd);
    if (!pellix) return;
    BITMAPINFOHEADER header = {};
    CStillFrame still;
    if (!pellix->CopyLastFrame(header, still.pixels)) return;
    still.width = header.biWidth;
    still.height = header.biHeight;
    still.stride = header.biWidth * 3;
    WriteStillFrame(still, L"c:\\temp.bmp", FILE_BMP);
}

void COrvikView::OnFilePrintPreview() { CScrollView::OnFilePrintPreview(); }

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
