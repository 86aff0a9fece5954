// The video window: the borderless child of the live-preview view that shows
// one camera's live picture. One subclass per camera path; CreateVideoWnd
// picks it by CamType.
#pragma once

#include <AfxWindows.h>

class COrvikDoc;
class CXGraphDll;

// Control id of the video window inside its view.
const UINT kVideoWndId = 12312;

class CVideoWnd : public CWnd {
public:
    CVideoWnd();
    ~CVideoWnd() override;

    // In this order: the slots other programs' builds of the camera dialogs
    // call through.
    virtual void DrawFrame(HWND hwnd);
    virtual void Pause();
    virtual void Start();
    virtual void SetDocument(COrvikDoc* doc);
    virtual COrvikDoc* GetDocument();
    virtual void SignalFrame();
    virtual void Shutdown();

    // Size of the picture the window shows; 0 x 0 when the path sets none.
    int m_nFrameWidth;
    int m_nFrameHeight;
    HANDLE m_hFrameThread;
    COrvikDoc* m_pDocument;
    // The capture graph (DirectShow path only), owned by that subclass.
    CXGraphDll* m_pGraph;
    HCURSOR m_hCursorA;  // resource 192
    HCURSOR m_hCursorB;  // resource 191: point measurement

protected:
    // Sets `stopEvent` and waits for m_hFrameThread to end, then closes it.
    // Messages sent to this thread meanwhile are answered, so a step that
    // waits on one cannot hold the join up; the thread is never terminated.
    void JoinFrameThread(HANDLE stopEvent);
    // The document of the parent view, which the mouse handlers serve.
    COrvikDoc* GetViewDocument() const;
    // The measurement forwarding and cursor rule of the paths whose
    // pictures Orvik measures on (Marrowin, DirectShow).
    void ForwardMouse(UINT message, UINT nFlags, CPoint point);
    BOOL SetMeasureCursor(UINT nHitTest);

    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
};

// A new, not yet created window for the camera type, or null (types other
// than 0 to 6). The caller owns it.
CVideoWnd* CreateVideoWnd(int camType);

// CamType 1: no camera, nothing drawn.
class CPlainVideoWnd : public CVideoWnd {
public:
    CPlainVideoWnd();
};

// CamType 2: the preview renderer of a Trevlo graph drawing into this window.
class CGraphVideoWnd : public CVideoWnd {
public:
    CGraphVideoWnd();
    ~CGraphVideoWnd() override;
    void DrawFrame(HWND hwnd) override;
    void Pause() override;
    void Start() override;

    // InitGraph failed: the window is not to be created or started.
    bool m_bInitFailed;
    bool m_bGraphBuilt;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()
};

// CamType 3 to 6: the Hestral library's display thread draws into this window.
class CHestralVideoWnd : public CVideoWnd {
public:
    CHestralVideoWnd();
    ~CHestralVideoWnd() override;
    void DrawFrame(HWND hwnd) override;
    void Pause() override;
    void Start() override;
    void SignalFrame() override;
    void Shutdown() override;

    // Starts the camera at m_nResolution; sets m_bInitFailed when it cannot.
    void InitCamera();

    bool m_bInitFailed;
    int m_nResolution;
    int m_nDisplayWidth;
    int m_nDisplayHeight;
    int m_nDisplayScale;
    BYTE m_bStartFlag;
    HANDLE m_hFrameEvent;
    // Ends the frame thread (manual reset, set once).
    HANDLE m_hStopEvent;

protected:
    // Waits on the frame event and draws; ends on the stop event or a failed wait.
    static DWORD WINAPI KX410RecodeThreadProc(LPVOID param);
    // The same with a 20 ms cadence instead of the event; nothing starts it.
    static DWORD WINAPI funcKX410ThreadProc(LPVOID param);
    // Stops the camera and starts it again at `resolution` (CameraInit's
    // index); `choice` 0 high, 1 low.
    void Restart(int resolution, int choice);

    afx_msg LRESULT OnHighResolution(WPARAM wParam, LPARAM lParam);  // 0x430
    afx_msg LRESULT OnLowResolution(WPARAM wParam, LPARAM lParam);   // 0x480
    afx_msg void OnClose();
    DECLARE_MESSAGE_MAP()
};

// Message 0x430 asks the Hestral window for the high resolution, 0x480 for the low.
const UINT kMsgHestralHighResolution = 0x430;
const UINT kMsgHestralLowResolution = 0x480;
// Posted to the video dialog after a Hestral camera started.
const UINT kMsgVideoBoxRefresh = 0x501;
