#include "PellixVideoWnd.h"

#include <CameraSdk.h>
#include <Globals.h>

#include <cstdlib>
#include <cstring>

#include "GdiScope.h"
#include "MarkerOverlay.h"
#include "MeasureLayer.h"
#include "OrvikDoc.h"
#include "RealTime.h"

namespace {

const DWORD kFrameCadenceMs = 20;
// A step may sit in the library's grab, which ends by its own time-out; the
// join waits for it (and again, with a trace) rather than kill the thread.
const DWORD kThreadJoinMs = 5000;

const wchar_t* const kRecordingText[6] = {L"Recording.",    L"Recording..",    L"Recording...",
                                          L"Recording....", L"Recording.....", L"Recording......"};

}  // namespace

BEGIN_MESSAGE_MAP(CPellixVideoWnd, CVideoWnd)
    ON_WM_DESTROY()
    ON_WM_ERASEBKGND()
    ON_WM_TIMER()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CPellixVideoWnd::CPellixVideoWnd()
    : m_nFrameCounter(0),
      m_header(),
      m_bHaveFrame(false),
      m_hRunEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_hStopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    PellixFrameFormat current = {}, minimum = {}, maximum = {};
    if (g_PellixSdk.Pellix_GetFrameFormat && g_PellixSdk.Pellix_GetFrameFormat(&current, &minimum, &maximum) == 0) {
        // The live picture is half the sensor each way.
        current.columnSkip = 2;
        current.rowSkip = 2;
        g_PellixSdk.Pellix_SetFrameFormat(&current);
        float exposure = 20.0f;
        g_PellixSdk.Pellix_SetExposureTime(&exposure);
        m_frame.resize(size_t(maximum.width) * maximum.height * 3);
        m_nFrameWidth = maximum.width / 2;
        m_nFrameHeight = maximum.height / 2;
    }
    if (m_hRunEvent && m_hStopEvent)
        m_hFrameThread = ::CreateThread(nullptr, 0, funcTarnThreadProc, this, 0, nullptr);
}

CPellixVideoWnd::~CPellixVideoWnd() {
    EndFrameThread();
    if (m_hRunEvent) ::CloseHandle(m_hRunEvent);
    if (m_hStopEvent) ::CloseHandle(m_hStopEvent);
}

DWORD WINAPI CPellixVideoWnd::funcTarnThreadProc(LPVOID param) {
    ::OutputDebugStringW(L"funcTarnThreadProc\n");
    auto* self = static_cast<CPellixVideoWnd*>(param);
    const HANDLE waits[2] = {self->m_hStopEvent, self->m_hRunEvent};
    for (;;) {
        // Paused by the run event between steps, never inside one.
        if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) break;
        self->DrawFrame(self->m_hWnd);
        if (::WaitForSingleObject(self->m_hStopEvent, kFrameCadenceMs) != WAIT_TIMEOUT) break;
    }
    return 0;
}

void CPellixVideoWnd::EndFrameThread() {
    if (!m_hFrameThread) return;
    ::SetEvent(m_hStopEvent);
    while (::WaitForSingleObject(m_hFrameThread, kThreadJoinMs) == WAIT_TIMEOUT)
        ::OutputDebugStringW(L"CPellixVideoWnd: the frame thread has not ended yet\n");
    ::CloseHandle(m_hFrameThread);
    m_hFrameThread = nullptr;
}

void CPellixVideoWnd::Start() {
    if (m_hRunEvent) ::SetEvent(m_hRunEvent);
}

void CPellixVideoWnd::Pause() {
    if (m_hRunEvent) ::ResetEvent(m_hRunEvent);
}

// No step may draw into a window that is going.
void CPellixVideoWnd::OnDestroy() {
    EndFrameThread();
    CVideoWnd::OnDestroy();
}

// Once a frame shows, each step repaints the whole picture: erasing behind it
// would only flash white.
BOOL CPellixVideoWnd::OnEraseBkgnd(CDC* pDC) {
    return m_bHaveFrame ? TRUE : CVideoWnd::OnEraseBkgnd(pDC);
}

bool CPellixVideoWnd::CopyLastFrame(BITMAPINFOHEADER& header, std::vector<BYTE>& pixels) {
    std::lock_guard<std::mutex> hold(m_frameLock);
    if (!m_bHaveFrame) return false;
    header = m_header;
    const size_t bytes = size_t(m_header.biWidth) * std::abs(m_header.biHeight) * 3;
    pixels.assign(m_frame.begin(), m_frame.begin() + bytes);
    return true;
}

void CPellixVideoWnd::ApplyRealtimeProcessing(const COrvikDoc& doc, BYTE* frame, int w, int h, int stride) {
    if (doc.m_bRealtimeEnable) {
        switch (doc.m_nFilterMode) {
        case kFilterGray: RTGray(frame, w, h, stride); break;
        case kFilterBinary: RTBinary(frame, w, h, stride, doc.m_settings.threshold); break;
        case kFilterInvert: RTInvert(frame, w, h, stride); break;
        case kFilterSharp: RTSharp(frame, w, h, stride); break;
        case kFilterEmboss: RTEmboss(frame, w, h, stride); break;
        case kFilterGaussBlur: RTGaussBlur(frame, w, h, stride); break;
        case kFilterEqualize: RTEqualize(frame, w, h, stride); break;
        default: break;
        }
    }
    const int op = doc.m_nMaskOperation;
    if (!doc.m_bMaskEnable || op == kMaskNone) return;
    if (op == kMaskMultiply) {
        RTMultiply(frame, w, h, stride, doc.m_settings.ratio);
        return;
    }
    // Held for the operation: a mask loaded meanwhile frees this one after it.
    const std::shared_ptr<const CLiveMask> mask = doc.GetMask();
    if (!mask || mask->pixels.empty()) return;
    const BYTE* m = mask->pixels.data();
    const int mw = mask->width, mh = mask->height, ms = mask->stride;
    switch (op) {
    case kMaskAnd: RTMaskAnd(frame, w, h, stride, m, mw, mh, ms); break;
    case kMaskOr: RTMaskOr(frame, w, h, stride, m, mw, mh, ms); break;
    case kMaskXor: RTMaskXor(frame, w, h, stride, m, mw, mh, ms); break;
    case kMaskAdd: RTMaskAdd(frame, w, h, stride, m, mw, mh, ms); break;
    case kMaskSub: RTMaskSub(frame, w, h, stride, m, mw, mh, ms); break;
    case kMaskDivide: RTMaskDivide(frame, w, h, stride, m, mw, mh, ms); break;
    default: break;
    }
}

void CPellixVideoWnd::DrawFrame(HWND hwnd) {
    COrvikDoc* doc = GetViewDocument();
    if (!doc || !hwnd || m_frame.empty()) return;
    std::lock_guard<std::mutex> hold(m_frameLock);
    bool recorded = false;
    if (g_bPreviewRunning) {
        BITMAPINFOHEADER header = {};
        header.biSize = sizeof header;
        if (!g_PellixSdk.Pellix_GetBitmap || g_PellixSdk.Pellix_GetBitmap(&header, m_frame.data()) != 0) return;
        const int w = header.biWidth, h = std::abs(header.biHeight);
        if (header.biBitCount != 24 || w <= 0 || h <= 0 || size_t(w) * h * 3 > m_frame.size()) return;
        m_header = header;
        m_bHaveFrame = true;
        // Marrowin rows are packed: 3 w bytes.
        ApplyRealtimeProcessing(*doc, m_frame.data(), w, h, w * 3);
        if (doc->m_bRecording) recorded = AppendClipFrame(doc, w, h);
    }
    if (!m_bHaveFrame) return;  // nothing to show before the first grab
    ComposeAndShow(hwnd, doc, m_header.biWidth, std::abs(m_header.biHeight), recorded);
}

bool CPellixVideoWnd::AppendClipFrame(COrvikDoc* doc, int w, int h) {
    const int w2 = w / 2, h2 = h / 2;
    if (w2 <= 0 || h2 <= 0) return false;
    // The live rows run top-down, so the clip's section does too: upright.
    BITMAPINFO info = Dib24Info(w2, -h2);
    void* bits = nullptr;
    GdiObject section(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section || !bits) return false;
    const int stride2 = Dib24Stride(w2);
    const BYTE* src = m_frame.data();
    for (int y = 0; y < h2; ++y) {
        const BYTE* s = src + size_t(2 * y) * w * 3;
        BYTE* d = static_cast<BYTE*>(bits) + size_t(y) * stride2;
        for (int x = 0; x < w2; ++x, s += 6, d += 3) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
        std::memset(d, 0, stride2 - w2 * 3);
    }
    ::GdiFlush();
    if (!doc->AppendRecordingFrame(static_cast<HBITMAP>(section.Get()))) return false;
    ++m_nFrameCounter;
    return true;
}

void CPellixVideoWnd::ComposeAndShow(HWND hwnd, COrvikDoc* doc, int w, int h, bool recording) {
    int dw = w, dh = h;
    if (doc->m_nZoomMode == 0) {
        dw = doc->m_nDisplayWidth;
        dh = doc->m_nDisplayHeight;
        if (dw <= 0 || dh <= 0) {
            // No layout yet: the window's own size.
            RECT rc;
            ::GetClientRect(hwnd, &rc);
            dw = rc.right;
            dh = rc.bottom;
        }
    }
    if (dw <= 0 || dh <= 0) return;

    // The stretch takes rows padded to four bytes.
    const BYTE* rows = m_frame.data();
    const int stride = Dib24Stride(w);
    if (stride != w * 3) {
        m_padded.resize(size_t(stride) * h);
        for (int y = 0; y < h; ++y)
            std::memcpy(&m_padded[size_t(y) * stride], &m_frame[size_t(y) * w * 3], size_t(w) * 3);
        rows = m_padded.data();
    }

    HDC windowDc = ::GetDC(hwnd);
    if (!windowDc) return;
    {
        ::SetStretchBltMode(windowDc, HALFTONE);
        ::SetBrushOrgEx(windowDc, 0, 0, nullptr);
        MemoryDc memory;
        GdiObject bitmap(::CreateCompatibleBitmap(windowDc, dw, dh));
        if (memory.Get() && bitmap) {
            HDC mem = memory.Get();
            GdiSelection selected(mem, bitmap.Get());
            ::SetStretchBltMode(mem, HALFTONE);
            ::SetBrushOrgEx(mem, 0, 0, nullptr);
            const BITMAPINFO info = Dib24Info(w, -h);
            ::StretchDIBits(mem, 0, 0, dw, dh, 0, 0, w, h, rows, &info, DIB_RGB_COLORS, SRCCOPY);
            if (doc->m_bDrawMeasurements && doc->m_pMeasureLayer) {
                // A wrapper of this thread's own: the framework's maps are per thread.
                CDC dc;
                dc.Attach(mem);
                doc->m_pMeasureLayer->DrawAll(&dc);
                dc.Detach();
            }
            if (doc->m_bRealtimeEnable) {
                const LiveViewSettings& s = doc->m_settings;
                const int kind = doc->m_nOverlayKind;
                const int unit = kind == kMarkerRuler ? s.rulerUnit.load()
                                 : kind == kMarkerGrid ? s.gridUnit.load()
                                                       : s.circleUnit.load();
                DrawMarkerOverlay(mem, MarkerKind(kind), dw, dh, s.markerColor, unit);
            }
            if (recording) {
                LOGFONTW lf = {};
                lf.lfHeight = 20;
                lf.lfWidth = 20;
                GdiObject font(::CreateFontIndirectW(&lf));
                GdiSelection fontSelected(mem, font.Get());
                ::SetBkMode(mem, TRANSPARENT);
                ::SetTextColor(mem, RGB(0, 255, 0));
                const wchar_t* text = kRecordingText[(m_nFrameCounter - 1) % 6];
                ::TextOutW(mem, 20, 20, text, lstrlenW(text));
            }
            ::BitBlt(windowDc, 0, 0, dw, dh, mem, 0, 0, SRCCOPY);
        }
    }
    ::ReleaseDC(hwnd, windowDc);
}

void CPellixVideoWnd::OnTimer(UINT_PTR) {}

void CPellixVideoWnd::OnMouseMove(UINT nFlags, CPoint point) {
    ForwardMouse(WM_MOUSEMOVE, nFlags, point);
    Default();
}

void CPellixVideoWnd::OnLButtonDown(UINT nFlags, CPoint point) {
    ForwardMouse(WM_LBUTTONDOWN, nFlags, point);
    Default();
}

void CPellixVideoWnd::OnLButtonUp(UINT nFlags, CPoint point) {
    ForwardMouse(WM_LBUTTONUP, nFlags, point);
    Default();
}

BOOL CPellixVideoWnd::OnSetCursor(CWnd*, UINT nHitTest, UINT) { return SetMeasureCursor(nHitTest); }
