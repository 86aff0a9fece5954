// Orvik's MDI main window: menu bar, toolbars by camera type, status bar, the
// camera task pane, the visual looks, the Preview command, the camera panels'
// lock state by active tab, and closing.
#pragma once

#include <Toolkit.h>
#include "CamPane.h"
#include "LiveFrame.h"

class COrvikDoc;

class CMainFrame : public CBCGPMDIFrameWnd, public ILiveFrame {
    DECLARE_DYNAMIC(CMainFrame)
public:
    CMainFrame();
    ~CMainFrame() override;

    // The first document of the live-preview template, or null.
    COrvikDoc* GetCameraDoc();
    BOOL CreateTaskPane();

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    BOOL OnShowMDITabContextMenu(CPoint point, DWORD dwAllowedItems, BOOL bTabDrop) override;
    CBCGPMDIChildWnd* CreateDocumentWindow(LPCWSTR lpcszDocName, CObject* pObj) override;

    CBCGPMenuBar m_wndMenuBar;
    CBCGPToolBar m_wndToolBar;             // Camera, 163
    CBCGPToolBar m_wndRealtimeBar;         // 165, CamType 0 only
    CBCGPToolBar m_wndLogicBar;            // 167, CamType 0 only
    CBCGPToolBar m_wndProcessingBar;       // 141
    CBCGPToolBar m_wndMeasurementBar;      // 143
    CBCGPStatusBar m_wndStatusBar;
    CCamPane m_wndCamPane;
    CBCGPToolbarCustomize* m_pCustomizeDlg;  // while the customization dialog is open
    UINT m_nAppLook;

    // ILiveFrame: the live preview's calls on the camera dialogs.
    void LockCameraDialog(LiveDialog dialog, BOOL lock) override;
    void UpdateFlipChecks() override;
    BOOL GetFlipCheck(UINT id) override;
    void OnHorizontalFlip() override;
    void OnVerticalFlip() override;
    void PostToVideoBox(UINT message) override;
    void RunPellixAutoExposure() override;
    void StartUvcPanel(CVideoWnd* videoWnd) override;
    void StartHestralAdjust() override;
    int GetResolutionFlag() override;
    void SetResolutionFlag(int flag) override;
    void SetLightSource(int halogen) override;
    HWND GetCameraDialogWnd(LiveDialog dialog) override;
    void ToggleFullScreen() override;
    INT_PTR DoRecordDialog(COrvikDoc* doc) override;
    INT_PTR DoCaptureSettingsDialog(COrvikDoc* doc) override;

    // Set by the video control dialog and read by still capture: 0 high, 1 low resolution.
    int m_nResolutionFlag;
    // The Hestral lighting: LED and halogen.
    int m_bLed;
    int m_bHalogen;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnPreviewCamera();
    afx_msg void OnUpdatePreviewCamera(CCmdUI* pCmdUI);
    afx_msg void OnUpdateFileSave(CCmdUI* pCmdUI);
    afx_msg void OnWindowManager();
    afx_msg void OnViewCustomize();
    afx_msg void OnViewStatusBar();
    afx_msg void OnUpdateViewStatusBar(CCmdUI* pCmdUI);
    afx_msg LRESULT OnToolbarReset(WPARAM wParam, LPARAM lParam);
    afx_msg void OnApplicationLook(UINT id);
    afx_msg void OnUpdateApplicationLook(CCmdUI* pCmdUI);
    afx_msg void OnMoveToNextGroup();
    afx_msg void OnMoveToPrevGroup();
    afx_msg void OnNewHorzTabGroup();
    afx_msg void OnNewVertTabGroup();
    afx_msg void OnMdiCancel();
    afx_msg LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    afx_msg void OnViewFullScreen();
    afx_msg void OnClose();
    afx_msg LRESULT OnChangeActiveTab(WPARAM wParam, LPARAM lParam);
    afx_msg void OnHelp();
    afx_msg void OnUpdateIndicator(CCmdUI* pCmdUI);
    afx_msg void OnUpdateFileNew(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()

private:
    BOOL CreateToolBar(CBCGPToolBar& bar, UINT nID, UINT nResID);
    void SetBarTitle(CBCGPToolBar& bar, UINT nStringID);
    void PrepareResolutionCombo();
};
