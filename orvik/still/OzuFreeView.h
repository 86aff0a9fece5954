// The view of a still image: a scroll view whose window the display window
// paints, with the measurement layer on top. It routes the mouse to the
// layer, keeps the layer's mapping in step with scrolling and zooming, shows
// the picture's properties in the status bar and carries the commands of the
// still-image menu.
#pragma once

#include <AfxWindows.h>

#include "RulerSetDlg.h"
#include "StillImageWnd.h"

class COzuFreeDoc;

class COzuFreeView : public CScrollView {
    DECLARE_DYNCREATE(COzuFreeView)
public:
    COzuFreeView();
    ~COzuFreeView() override;

    COzuFreeDoc* GetDocument() const;
    CMeasureLayer* GetLayer() const { return m_wndImage.GetLayer(); }

    // Closing asks to save only when the picture changed and saving was not
    // done or declined since.
    virtual BOOL HasUnsavedChanges() const { return m_bModified && m_bSavePrompt; }
    // The save dialog, the burn-in question and the write; TRUE once written.
    virtual BOOL SaveImage();
    // Scroll sizes for the current zoom, back at the top left.
    void ResetScrollSizes();

    enum { kUndoSlots = 20 };
    CStillImageWnd m_wndImage;
    int m_nZoom;                       // 25, 50, 100, 200 or 400 percent
    int m_nUndoCount;
    CStillImageWnd* m_pUndo[kUndoSlots];
    BOOL m_bMeasureMode;               // mouse input goes to the layer
    BOOL m_bMeasuring;                 // measuring input arrived or a tool was chosen
    BOOL m_bModified;
    BOOL m_bSavePrompt;
    int m_nZoomIndex;                  // into the layer's zoom factors
    int m_nReserved;
    int m_nSavedScrollY, m_nSavedScrollX;
    BOOL m_bShowRuler;
    CRulerSetDlg m_dlgRuler;

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnInitialUpdate() override;
    void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;
    void OnDraw(CDC* pDC) override;
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override;
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg LRESULT OnPaletteMessage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnReload(WPARAM wParam, LPARAM lParam);

    afx_msg void OnFileSave();
    afx_msg void OnFileSaveAs();
    afx_msg void OnZoom11();
    afx_msg void OnZoomIn();
    afx_msg void OnZoomOut();
    afx_msg void OnEditCopy();
    afx_msg void OnEditUndo();
    afx_msg void OnEditRedo();
    afx_msg void OnInvert();
    afx_msg void OnProcess(UINT nID);
    afx_msg void OnReverse();
    afx_msg void OnFlip();
    afx_msg void OnRotate(UINT nID);
    afx_msg void OnTool(UINT nID);
    afx_msg void OnMeasureMerge();
    afx_msg void OnDeleteOne();
    afx_msg void OnDeleteAll();
    afx_msg void OnGenerateMeasureData();
    afx_msg void OnNothing();
    afx_msg void OnCalibration();
    afx_msg void OnMeasureToolSet();
    afx_msg void OnShowRuler();
    afx_msg void OnFilePrint();

    afx_msg void OnUpdateAlways(CCmdUI* pCmdUI);
    afx_msg void OnUpdateGeometry(CCmdUI* pCmdUI);
    afx_msg void OnUpdateZoomIn(CCmdUI* pCmdUI);
    afx_msg void OnUpdateZoomOut(CCmdUI* pCmdUI);
    afx_msg void OnUpdateUndo(CCmdUI* pCmdUI);
    afx_msg void OnUpdateRedo(CCmdUI* pCmdUI);
    afx_msg void OnUpdateGenerateMeasureData(CCmdUI* pCmdUI);
    afx_msg void OnUpdateShowRuler(CCmdUI* pCmdUI);
    afx_msg void OnUpdateMemory(CCmdUI* pCmdUI);
    afx_msg void OnUpdateZoomPane(CCmdUI* pCmdUI);
    afx_msg void OnUpdateDimensions(CCmdUI* pCmdUI);
    afx_msg void OnUpdateBitsPerPixel(CCmdUI* pCmdUI);
    afx_msg void OnUpdateFileName(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()

public:
    // The undo stack: a copy of the picture before each change, the oldest
    // forgotten past kUndoSlots; a new change ends the redo chain. FALSE when
    // no copy could be made: the change then goes on without its undo step.
    BOOL Push();
    // Drops the step of a change that did not happen.
    void Pop();

private:
    // The current picture and undo slot n change places.
    void SwapWithSlot(int n);
    void AfterUndoOrRedo();
    // The picture changed by one library call.
    void Changed();

    // The picture's size at the current zoom.
    CSize ZoomedSize() const;
    // Hands the layer the offset that maps view points to image points.
    void SyncLayerOffset();
    void RecordScroll(int bar);
    // A scroll of the bar SB_HORZ or SB_VERT, with the layer kept in step.
    void Scrolled(int bar, UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    // Each bar shown when the picture at `size` is larger than the client.
    void ShowBarsFor(const CSize& size, bool atLeast);
    void ZoomTo(int zoom, int index, const CSize& total, int posX, int posY);
    bool InPicture(const CPoint& point) const;
    void SetToolCursor(int tool) const;
    bool ToolMessageInPicture(CPoint point, int tool);
    // The burn-in question: 1 for Yes, 0 for No or no question.
    int AskBurnIn();
    BOOL SaveTo(LPCWSTR path, BOOL jpeg, int burnIn);

    CString m_strLastSavePath;  // the whole path of the last completed SaveImage
};
