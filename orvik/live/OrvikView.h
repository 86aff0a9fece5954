// The live-preview view: a scrolling view that holds the live video window
// of the configured camera, centred at 1:1 or fitted with the frame's aspect
// ratio, and starts and stops the camera with itself. A view made while
// another preview is live holds an empty placeholder instead.
#pragma once

#include <AfxWindows.h>

class COrvikDoc;
class CVideoWnd;

// Where the video window goes in the view's client area.
struct LiveLayout {
    CRect rect;               // the video window, client coordinates
    bool setScroll = false;   // 1:1: the scroll sizes become scrollSize
    CSize scrollSize;
    float zoom = 1.0f;        // window pixels per frame pixel
};
// 1:1 (zoomMode 1) centres the frame when the client is larger, else puts it
// at (0, 0) with scroll bars of its size; fit keeps the frame's aspect ratio.
// A frame size of 0 (a path that sets none) fills the client.
LiveLayout ComputeLiveLayout(int zoomMode, SIZE frame, SIZE client);

// The empty child window of a preview view that is not live.
class CCamChildWnd : public CWnd {
public:
    CCamChildWnd() = default;
};

class COrvikView : public CScrollView {
    DECLARE_DYNCREATE(COrvikView)
public:
    COrvikView();
    ~COrvikView() override;
    COrvikDoc* GetDocument() const;
    CVideoWnd* GetVideoWnd() const { return m_pVideoWnd; }

    void OnDraw(CDC* pDC) override;
    void OnInitialUpdate() override;
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnDestroy();
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint point);
    afx_msg void OnFileSaveAs();
    afx_msg void OnFilePrintPreview();
    DECLARE_MESSAGE_MAP()

    CFrameWnd* m_pMainFrame;
    CCamChildWnd* m_pPlaceholder;
    CVideoWnd* m_pVideoWnd;
    bool m_bLive;
};
