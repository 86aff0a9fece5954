// The toolkit's MDI frame: docked bars around the MDI client, tabbed MDI
// children, full-screen mode and its saved state.
#pragma once
#include "ToolkitBars.h"

class CBCGPMDIChildWnd;

struct TOOLKIT_API CBCGPMDITabParams {
    CBCGPMDITabParams();
    CBCGPTabWnd::Style m_style;
    CBCGPTabWnd::Location m_tabLocation;
    BOOL m_bTabCloseButton;
    BOOL m_bTabIcons;
    BOOL m_bAutoColor;
    BOOL m_bDocumentMenu;
    BOOL m_bEnableTabSwap;
    BOOL m_bFlatFrame;
    BOOL m_bActiveTabCloseButton;
    int m_nTabBorderSize;
};

// Items a tab's context menu may offer (OnShowMDITabContextMenu).
#define BCGP_MDI_CREATE_VERT_GROUP 0x0001
#define BCGP_MDI_CREATE_HORZ_GROUP 0x0002
#define BCGP_MDI_CAN_MOVE_PREV 0x0004
#define BCGP_MDI_CAN_MOVE_NEXT 0x0008
#define BCGP_MDI_CAN_BE_DOCKED 0x0010

class TOOLKIT_API CBCGPMDIFrameWnd : public CMDIFrameWnd {
    DECLARE_DYNAMIC(CBCGPMDIFrameWnd)
    DECLARE_MESSAGE_MAP()
public:
    CBCGPMDIFrameWnd();
    ~CBCGPMDIFrameWnd() override;

    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;

    // Docking
    BOOL EnableDocking(DWORD dwDockStyle);
    BOOL EnableAutoHideBars(DWORD dwDockStyle, BOOL bActivateOnMouseClick = FALSE);
    void DockControlBar(CBCGPBaseControlBar* pBar, UINT nDockBarID = 0, LPCRECT lpRect = nullptr);
    // Puts pBar into pLeftOf's row, just before it.
    BOOL DockControlBarLeftOf(CBCGPControlBar* pBar, CBCGPControlBar* pLeftOf);
    void ShowControlBar(CBCGPBaseControlBar* pBar, BOOL bShow, BOOL bDelay, BOOL bActivate);
    CBCGPBaseControlBar* GetControlBar(UINT nID);
    BOOL IsDocked(const CBCGPBaseControlBar* pBar) const;
    void EnableControlBarMenu(BOOL bEnable, UINT uiCustomizeCmd, const CString& strCustomizeText, UINT uiViewToolbarsMenuEntryID,
                              BOOL bContextMenuShowsToolbarsOnly = FALSE, BOOL bViewMenuShowsToolbarsOnly = FALSE);
    UINT GetControlBarMenuCommand() const { return m_uiControlBarMenuCmd; }
    CBCGPDockManager* GetDockManager() { return &m_dockManager; }
    void RecalcLayout(BOOL bNotify = TRUE) override;
    // The MDI client's place in frame client co-ordinates.
    CRect GetMDIClientRect() const;

    // Full screen
    void EnableFullScreenMode(UINT uiFullScreenCmd) { m_uiFullScreenCmd = uiFullScreenCmd; }
    void ShowFullScreen();
    BOOL IsFullScreen() const { return m_bFullScreen; }

    // Tabbed MDI
    void EnableMDITabs(BOOL bEnable = TRUE, BOOL bIcons = TRUE,
                       CBCGPTabWnd::Location tabLocation = CBCGPTabWnd::LOCATION_TOP, BOOL bTabCloseButton = FALSE,
                       CBCGPTabWnd::Style style = CBCGPTabWnd::STYLE_3D_SCROLLED, BOOL bTabCustomTooltips = FALSE,
                       BOOL bActiveTabCloseButton = FALSE);
    void EnableMDITabbedGroups(BOOL bEnable, const CBCGPMDITabParams& params);
    BOOL AreMDITabs() const { return m_bMDITabs; }
    const CBCGPMDITabParams& GetMDITabParams() const { return m_tabParams; }
    HWND GetMDITabsWnd() const { return m_hwndTabs; }
    // One group only: moving between groups and new groups are accepted and change nothing.
    BOOL MDITabMoveToNextGroup(BOOL bNext = TRUE);
    void MDITabNewGroup(BOOL bVert = TRUE);
    int GetMDITabGroupsCount() const { return m_bMDITabs ? 1 : 0; }
    virtual BOOL OnShowMDITabContextMenu(CPoint point, DWORD dwAllowedItems, BOOL bTabDrop);
    virtual CBCGPMDIChildWnd* CreateDocumentWindow(LPCWSTR lpcszDocName, CObject* pObj);
    // Open documents' path names into the registry section lpszProfileName (under HKCU).
    BOOL SaveMDIState(LPCWSTR lpszProfileName);
    BOOL LoadMDIState(LPCWSTR lpszProfileName);
    void ShowWindowsDialog();
    // The active child as the tabs know it; re-reads it and reports a change.
    void OnActiveChildMaybeChanged();
    // The same, once the messages now queued have run.
    void PostActiveCheck();
    CBCGPMDIChildWnd* GetTabbedChild(int iTab) const;
    int GetTabbedChildCount() const { return (int)m_children.size(); }

    const CObList& GetControlBars() const { return m_bars; }

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg LRESULT OnCheckActiveChild(WPARAM, LPARAM);
    afx_msg void OnUpdateKeyIndicator(CCmdUI* pCmdUI);
    // Over a bar: the toolbars to show or hide, and customization.
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint point);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);

    // Called by the toolkit's MDI child.
    void AddTabbedChild(CBCGPMDIChildWnd* pChild);
    void RemoveTabbedChild(CBCGPMDIChildWnd* pChild);
    void UpdateTabText(CBCGPMDIChildWnd* pChild);
protected:
    struct Row { DWORD side; CObList bars; };
    Row* FindRow(const CBCGPBaseControlBar* pBar) const;
    void RebuildTabs();
    CObList m_bars;            // every bar docked to the frame, in docking order
    CPtrList m_rows;           // Row*, in docking order
    DWORD m_dwDockStyle;
    DWORD m_dwAutoHide;
    CBCGPDockManager m_dockManager;
    UINT m_uiControlBarMenuCmd;
    CString m_strCustomizeText;
    UINT m_uiViewToolbarsCmd;
    UINT m_uiFullScreenCmd;
    BOOL m_bFullScreen;
    WINDOWPLACEMENT m_wpBeforeFullScreen;
    DWORD m_dwStyleBeforeFullScreen;
    CPtrList m_hiddenForFullScreen;
    BOOL m_bMDITabs;
    CBCGPMDITabParams m_tabParams;
    HWND m_hwndTabs;
    std::vector<CBCGPMDIChildWnd*> m_children;
    HWND m_hwndLastActive;
    BOOL m_bActiveKnown;
    BOOL m_bCheckPosted;
};

class TOOLKIT_API CBCGPMDIChildWnd : public CMDIChildWnd {
    DECLARE_DYNCREATE(CBCGPMDIChildWnd)
    DECLARE_MESSAGE_MAP()
public:
    CBCGPMDIChildWnd();
    CBCGPMDIFrameWnd* GetToolkitFrame() const;
    afx_msg int OnCreate(LPCREATESTRUCT lpcs);
    afx_msg void OnDestroy();
    afx_msg LRESULT OnMDIActivateTk(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSetTextTk(WPARAM wParam, LPARAM lParam);
};
