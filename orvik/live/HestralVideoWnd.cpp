#include "VideoWnd.h"

#include <AfxTestScript.h>
#include <CameraSdk.h>
#include <Globals.h>

#include "LiveFrame.h"
#include "OrvikDoc.h"
#include "OrvikView.h"

namespace {

// The library draws the picture itself; Orvik takes nothing from its frames.
void __stdcall OnCameraFrame(BYTE*) {}

}  // namespace

BEGIN_MESSAGE_MAP(CHestralVideoWnd, CVideoWnd)
    ON_MESSAGE(kMsgHestralHighResolution, OnHighResolution)
    ON_MESSAGE(kMsgHestralLowResolution, OnLowResolution)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CHestralVideoWnd::CHestralVideoWnd()
    : m_bInitFailed(false),
      m_nResolution(0),
      m_nDisplayWidth(1024),
      m_nDisplayHeight(768),
      m_nDisplayScale(100),
      m_bStartFlag(0),
      // Both events before the thread: it waits on them from its first moment.
      m_hFrameEvent(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_hStopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    BYTE count = 0, resolution = 0;
    if (g_HestralSdk.CameraGetMultiCameraNumber && g_HestralSdk.CameraGetMultiCameraNumber(&count, &resolution) == 1)
        m_nResolution = resolution;
    if (m_hFrameEvent && m_hStopEvent)
        m_hFrameThread = ::CreateThread(nullptr, 0, KX410RecodeThreadProc, this, 0, nullptr);
}

CHestralVideoWnd::~CHestralVideoWnd() {
    JoinFrameThread(m_hStopEvent);
    if (m_hFrameEvent) ::CloseHandle(m_hFrameEvent);
    if (m_hStopEvent) ::CloseHandle(m_hStopEvent);
}

DWORD WINAPI CHestralVideoWnd::KX410RecodeThreadProc(LPVOID param) {
    ::OutputDebugStringW(L"KX410RecodeThreadProc\n");
    auto* self = static_cast<CHestralVideoWnd*>(param);
    const HANDLE waits[2] = {self->m_hStopEvent, self->m_hFrameEvent};
    // Anything but a frame signal (the stop event, a failed wait) ends the loop.
    while (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1)
        self->DrawFrame(self->m_hWnd);
    return 0;
}

DWORD WINAPI CHestralVideoWnd::funcKX410ThreadProc(LPVOID param) {
    ::OutputDebugStringW(L"funcKX410ThreadProc\n");
    auto* self = static_cast<CHestralVideoWnd*>(param);
    while (::WaitForSingleObject(self->m_hStopEvent, 20) == WAIT_TIMEOUT) self->DrawFrame(self->m_hWnd);
    return 0;
}

void CHestralVideoWnd::DrawFrame(HWND) {}
void CHestralVideoWnd::Pause() {}
void CHestralVideoWnd::Start() { InitCamera(); }

void CHestralVideoWnd::SignalFrame() {
    if (m_hFrameEvent) ::SetEvent(m_hFrameEvent);
}

void CHestralVideoWnd::Shutdown() {
    if (COrvikDoc* doc = GetViewDocument()) doc->StopRecording();
    JoinFrameThread(m_hStopEvent);
}

void CHestralVideoWnd::InitCamera() {
    m_bInitFailed = false;
    CWnd* parent = m_hWnd ? GetParent() : nullptr;
    const int result = g_HestralSdk.CameraInit
                           ? g_HestralSdk.CameraInit(OnCameraFrame, m_nResolution, m_hWnd, 1, parent->GetSafeHwnd())
                           : CAMERA_MISSING;
    if (result != CAMERA_OK) {
        AfxScriptedMessageBox(m_hWnd, L"Init Camera failed", L"Error", MB_OK | MB_ICONSTOP | OrvikRtlFlag());
        m_bInitFailed = true;
        return;
    }
    int width = 0, height = 0;
    g_HestralSdk.CameraGetImageSize(&width, &height);
    m_nFrameWidth = width;
    m_nFrameHeight = height;
    // White balance over the centre half of the picture.
    g_HestralSdk.CameraSetWBWindow(WORD(width >> 2), WORD(height >> 2), WORD(width >> 1), WORD(height >> 1));
    g_HestralSdk.CameraPlay();
    m_bStartFlag = 0;
    ::CameraGetMirror(0, &g_HorizontalFlip);
    ::CameraGetMirror(1, &g_VerticalFlip);
    if (ILiveFrame* frame = GetLiveFrame()) frame->PostToVideoBox(kMsgVideoBoxRefresh);
}

void CHestralVideoWnd::Restart(int resolution, int choice) {
    m_nResolution = resolution;
    g_nHestralResolution = choice;
    ::CameraStop();
    ::CameraUnInit();
    ::Sleep(100);
    InitCamera();
    COrvikDoc* doc = GetViewDocument();
    if (doc && doc->m_nZoomMode == 1 && m_hWnd) {
        // The view lays the window out again at the new frame size.
        if (CWnd* view = GetParent()) {
            CRect rc;
            view->GetClientRect(&rc);
            view->SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.Width(), rc.Height()));
        }
    }
}

LRESULT CHestralVideoWnd::OnHighResolution(WPARAM, LPARAM) {
    Restart(g_CamType == kCamHestralT8M ? 1 : 0, 0);
    return 0;
}

LRESULT CHestralVideoWnd::OnLowResolution(WPARAM, LPARAM) {
    Restart(g_CamType == kCamHestralT8M ? 2 : 1, 1);
    return 0;
}

void CHestralVideoWnd::OnClose() {
    JoinFrameThread(m_hStopEvent);
    ::CameraStop();
    ::CameraUnInit();
    Default();
}
