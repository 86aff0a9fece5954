// Bars on native controls: menu bar (the frame's HMENU), toolbars (a
// common-controls toolbar each), status bar, docking bars, the task pane and
// the tab window.
#pragma once
#include "ToolkitCore.h"
#include <vector>

// ---------------------------------------------------------------- bases
class TOOLKIT_API CBCGPBaseControlBar : public CWnd {
    DECLARE_DYNAMIC(CBCGPBaseControlBar)
public:
    CBCGPBaseControlBar();
    virtual DWORD GetBarStyle() const { return m_dwBarStyle; }
    virtual void SetBarStyle(DWORD dwStyle) { m_dwBarStyle = dwStyle; }
    virtual void EnableDocking(DWORD dwAlignment) { m_dwDockAlign = dwAlignment & CBRS_ALIGN_ANY; }
    DWORD GetEnabledAlignment() const { return m_dwDockAlign; }
    // The side the bar is laid out on (a CBRS_ALIGN_* value).
    DWORD GetCurrentAlignment() const;
    // The size the bar wants on its side: height for top and bottom, width for left and right.
    virtual CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz);
    BOOL IsVisible() const { return m_hWnd && IsWindowVisible(); }
    virtual void ShowControlBar(BOOL bShow, BOOL bDelay = FALSE, BOOL bActivate = FALSE);
    CBCGPMDIFrameWnd* GetDockFrame() const;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    DWORD m_dwBarStyle;
    DWORD m_dwDockAlign;
protected:
    void NotifyFrameLayout();
};

class TOOLKIT_API CBCGPControlBar : public CBCGPBaseControlBar {
    DECLARE_DYNAMIC(CBCGPControlBar)
};

// ---------------------------------------------------------------- menu bar
// Carries the frame's native menu, which the framework switches per MDI
// child; the bar itself takes no room.
class TOOLKIT_API CBCGPMenuBar : public CBCGPControlBar {
    DECLARE_DYNAMIC(CBCGPMenuBar)
public:
    virtual BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT nID = AFX_IDW_TOOLBAR + 6);
    HMENU GetHMenu() const;
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    static void SetShowAllCommands(BOOL b = TRUE) { s_bShowAllCommands = b; }
    static BOOL s_bShowAllCommands;
};

// ---------------------------------------------------------------- toolbar buttons
class TOOLKIT_API CBCGPToolbarButton : public CObject {
    DECLARE_SERIAL(CBCGPToolbarButton)
public:
    CBCGPToolbarButton();
    CBCGPToolbarButton(UINT uiID, int iImage, LPCWSTR lpszText = nullptr, BOOL bUserButton = FALSE, BOOL bLocked = FALSE);
    ~CBCGPToolbarButton() override;
    UINT m_nID;
    int m_iImage;
    CString m_strText;
    UINT m_nStyle;          // TBBS_* / separators
    BOOL m_bVisible;
    virtual void SetVisible(BOOL bShow = TRUE) { m_bVisible = bShow; }
    BOOL IsVisible() const { return m_bVisible; }
    // Width of the control the button hosts (0: a plain button).
    virtual int GetControlWidth() const { return 0; }
    virtual void CreateControl(CBCGPToolBar* pBar, const RECT& rect) { (void)pBar; (void)rect; }
    virtual void DestroyControl() {}
    virtual HMENU GetDropMenu() const { return nullptr; }
    // Copies what the button shows; the control of a combo box is not copied.
    virtual void CopyFrom(const CBCGPToolbarButton& src);
    CBCGPToolBar* m_pParentBar;
};

#define TBBS_BREAK 0x20000000

class TOOLKIT_API CBCGPToolbarMenuButton : public CBCGPToolbarButton {
    DECLARE_SERIAL(CBCGPToolbarMenuButton)
public:
    CBCGPToolbarMenuButton();
    // Copies hMenu; the caller keeps its own.
    CBCGPToolbarMenuButton(UINT uiID, HMENU hMenu, int iImage, LPCWSTR lpszText = nullptr, BOOL bUserButton = FALSE);
    ~CBCGPToolbarMenuButton() override;
    HMENU GetDropMenu() const override { return m_hMenu; }
    void CopyFrom(const CBCGPToolbarButton& src) override;
    HMENU m_hMenu;
};

class TOOLKIT_API CBCGPToolbarComboBoxButton : public CBCGPToolbarButton {
    DECLARE_SERIAL(CBCGPToolbarComboBoxButton)
public:
    CBCGPToolbarComboBoxButton();
    CBCGPToolbarComboBoxButton(UINT uiID, int iImage, DWORD dwStyle = CBS_DROPDOWNLIST, int iWidth = 150);
    ~CBCGPToolbarComboBoxButton() override;
    // Items live in the button so that it may be filled before it is placed.
    INT_PTR AddItem(LPCWSTR lpszItem, DWORD_PTR dwData = 0);
    INT_PTR GetCount() const { return (INT_PTR)m_items.size(); }
    BOOL SelectItem(int iIndex, BOOL bNotify = TRUE);
    BOOL SelectItem(LPCWSTR lpszText);
    int GetCurSel() const { return m_iSelIndex; }
    LPCWSTR GetItem(int iIndex = -1) const;
    DWORD_PTR GetItemData(int iIndex = -1) const;
    LPCWSTR GetText() const;
    void RemoveAllItems();
    CComboBox* GetComboBox() { return m_pWndCombo; }
    int GetControlWidth() const override { return m_iWidth; }
    void CreateControl(CBCGPToolBar* pBar, const RECT& rect) override;
    void DestroyControl() override;
    void CopyFrom(const CBCGPToolbarButton& src) override;
    // The native selection changed (the user picked an item).
    void OnSelChanged();
private:
    struct Item { CString text; DWORD_PTR data; };
    std::vector<Item> m_items;
    int m_iSelIndex;
    DWORD m_dwStyle;
    int m_iWidth;
    CComboBox* m_pWndCombo;
};

// Which image a command has on the toolbars loaded so far.
class TOOLKIT_API CImageHash {
public:
    static int GetImageOfCommand(UINT nCommand, BOOL bUserImage = FALSE);
    static void Set(UINT nCommand, int iImage);
    static void Clear();
};

// ---------------------------------------------------------------- toolbar
class TOOLKIT_API CBCGPToolBar : public CBCGPControlBar {
    DECLARE_SERIAL(CBCGPToolBar)
    DECLARE_MESSAGE_MAP()
public:
    CBCGPToolBar();
    ~CBCGPToolBar() override;
    virtual BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT nID = AFX_IDW_TOOLBAR);
    virtual BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                          DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP,
                          CRect rcBorders = CRect(1, 1, 1, 1), UINT nID = AFX_IDW_TOOLBAR);
    // Buttons and images from the TOOLBAR and BITMAP resources of one id.
    virtual BOOL LoadToolBar(UINT uiResID, UINT uiColdResID = 0, UINT uiMenuResID = 0, BOOL bLocked = FALSE,
                             UINT uiDisabledResID = 0, UINT uiMenuDisabledResID = 0, UINT uiHotResID = 0);
    // Replaces the bar's images with those of a bitmap resource (same order).
    virtual BOOL LoadBitmap(UINT uiResID, UINT uiColdResID = 0, UINT uiMenuResID = 0, BOOL bLocked = FALSE,
                            UINT uiDisabledResID = 0, UINT uiMenuDisabledResID = 0);
    static void ResetAllImages();
    static void EnableQuickCustomization(BOOL bEnable = TRUE) { s_bQuickCustomize = bEnable; }
    static BOOL IsQuickCustomization() { return s_bQuickCustomize; }
    static void SetBasicCommands(CList<UINT, UINT>& lstCommands);
    static const CList<UINT, UINT>& GetBasicCommands();
    static int GetCommandButtons(UINT uiCmd, CObList& listButtons);
    static BOOL IsLastCommandFromButton(CBCGPToolbarButton* pButton);
    static CBCGPToolbarButton* GetLastCommandButton();
    static const CObList& GetAllToolbars();

    // Replaces every button with command uiCmd by a copy of button; returns how many.
    int ReplaceButton(UINT uiCmd, const CBCGPToolbarButton& button, BOOL bAll = FALSE);
    int InsertButton(const CBCGPToolbarButton& button, INT_PTR iInsertAt = -1);
    int InsertSeparator(INT_PTR iInsertAt = -1);
    BOOL RemoveButton(int iIndex);
    void RemoveAllButtons();
    void EnableCustomizeButton(BOOL bEnable, int iCustomizeCmd, const CString& strCustomizeText, BOOL bQuickCustomize = TRUE);
    BOOL IsCustomizeButton() const { return m_bCustomizeButton; }
    int GetCount() const { return (int)m_buttons.size(); }
    CBCGPToolbarButton* GetButton(int iIndex) const;
    int CommandToIndex(UINT nIDFind, int iIndexFirst = 0) const;
    virtual void AdjustLayout();
    void SetExclusiveRowMode(BOOL bExclusive = TRUE) { m_bExclusiveRow = bExclusive; }
    BOOL IsExclusiveRow() const { return m_bExclusiveRow; }
    virtual int GetAvailableExpandSize() const;
    UINT GetResourceID() const { return m_uiOriginalResID; }
    // Back to the buttons of the resource; the frame hears BCGM_RESETTOOLBAR.
    virtual BOOL RestoreOriginalstate();
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    HIMAGELIST GetImageList() const { return m_hImages; }

    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM, LPARAM);
    afx_msg void OnDestroy();
    // Shows a menu button's menu under it; the chosen command goes to the frame.
    void DropDown(int iIndex);
protected:
    void Rebuild();
    void AddNative(int iIndex);
    std::vector<CBCGPToolbarButton*> m_buttons;
    std::vector<UINT> m_originalIDs;
    HIMAGELIST m_hImages;
    CSize m_sizeImage;
    UINT m_uiOriginalResID;
    BOOL m_bExclusiveRow;
    BOOL m_bCustomizeButton;
    int m_iCustomizeCmd;
    CString m_strCustomizeText;
    static BOOL s_bQuickCustomize;
};

// ---------------------------------------------------------------- status bar
#define SBPS_NORMAL 0x0000
#define SBPS_NOBORDERS 0x0100
#define SBPS_POPOUT 0x0200
#define SBPS_DISABLED 0x04000000
#define SBPS_STRETCH 0x08000000

class TOOLKIT_API CBCGPStatusBar : public CBCGPControlBar {
    DECLARE_DYNAMIC(CBCGPStatusBar)
    DECLARE_MESSAGE_MAP()
public:
    CBCGPStatusBar();
    virtual BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT nID = AFX_IDW_STATUS_BAR);
    virtual BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = 0, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                          UINT nID = AFX_IDW_STATUS_BAR);
    // Ids name the panes; each pane's width comes from the string of its id.
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
    int GetCount() const { return (int)m_panes.size(); }
    int CommandToIndex(UINT nIDFind) const;
    UINT GetItemID(int nIndex) const;
    void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
    void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
    void SetPaneWidth(int nIndex, int cx);
    int GetPaneWidth(int nIndex) const;
    BOOL SetPaneText(int nIndex, LPCWSTR lpszNewText, BOOL bUpdate = TRUE);
    CString GetPaneText(int nIndex) const;
    UINT GetPaneStyle(int nIndex) const;
    void SetPaneStyle(int nIndex, UINT nStyle);
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM, LPARAM);
    // The frame's message text (SetMessageText) goes to the first pane.
    afx_msg LRESULT OnSetText(WPARAM, LPARAM lParam);
protected:
    void ApplyParts();
    struct Pane { UINT id; UINT style; int cx; CString text; };
    std::vector<Pane> m_panes;
};

// ---------------------------------------------------------------- docking bars
#define CBRS_BCGP_FLOAT 0x0001
#define CBRS_BCGP_AUTOHIDE 0x0002
#define CBRS_BCGP_RESIZE 0x0004
#define CBRS_BCGP_CLOSE 0x0008
#define CBRS_BCGP_AUTO_ROLLUP 0x0010
#define CBRS_BCGP_REGULAR_TABS 0x0020
#define CBRS_BCGP_OUTLOOK_TABS 0x0040
#define dwDefaultBCGDockingBarStyle (CBRS_BCGP_FLOAT | CBRS_BCGP_AUTOHIDE | CBRS_BCGP_RESIZE | CBRS_BCGP_CLOSE)

// A bar docked at a frame edge with a caption; its client hosts the content.
class TOOLKIT_API CBCGPDockingControlBar : public CBCGPControlBar {
    DECLARE_DYNAMIC(CBCGPDockingControlBar)
    DECLARE_MESSAGE_MAP()
public:
    CBCGPDockingControlBar();
    virtual BOOL Create(LPCWSTR lpszCaption, CWnd* pParentWnd, const RECT& rect, BOOL bHasGripper, UINT nID,
                        DWORD dwStyle, DWORD dwTabbedStyle = CBRS_BCGP_REGULAR_TABS,
                        DWORD dwBCGStyle = dwDefaultBCGDockingBarStyle, CCreateContext* pContext = nullptr);
    virtual BOOL Create(LPCWSTR lpszCaption, CWnd* pParentWnd, CSize sizeDefault, BOOL bHasGripper, UINT nID,
                        DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_LEFT, DWORD dwTabbedStyle = CBRS_BCGP_REGULAR_TABS,
                        DWORD dwBCGStyle = dwDefaultBCGDockingBarStyle);
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    // The part of the window under the caption.
    virtual void GetContentRect(CRect& rect) const;
    int GetCaptionHeight() const { return m_bHasGripper ? 20 : 0; }
    afx_msg int OnCreate(LPCREATESTRUCT lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
protected:
    virtual void DrawCaption(CDC* pDC, const CRect& rect);
    CSize m_sizeDefault;
    BOOL m_bHasGripper;
    DWORD m_dwBCGStyle;
};

// ---------------------------------------------------------------- task pane
// Collapsible groups of tasks (each sends its command to the frame) and hosted
// child windows, stacked under the caption.
class TOOLKIT_API CBCGPTasksPane : public CBCGPDockingControlBar {
    DECLARE_DYNAMIC(CBCGPTasksPane)
    DECLARE_MESSAGE_MAP()
public:
    CBCGPTasksPane();
    ~CBCGPTasksPane() override;
    void SetCaption(LPCWSTR lpszCaption);
    BOOL SetIconsList(UINT uiImageListResID, int cx, COLORREF clrTransparent = RGB(255, 0, 255));
    void SetIconsList(HIMAGELIST hIcons);
    void EnableNavigationToolbar(BOOL bEnable = TRUE, UINT uiToolbarBmpRes = 0, CSize sizeToolbarImage = CSize(0, 0),
                                 CSize sizeToolbarButton = CSize(0, 0));
    int AddGroup(LPCWSTR lpszGroupName, BOOL bBottomLocation = FALSE, BOOL bSpecial = FALSE, HICON hIcon = nullptr);
    int AddTask(int nGroup, LPCWSTR lpszTaskName, int nTaskIcon = -1, UINT uiCommandID = 0, DWORD_PTR dwUserData = 0);
    int AddWindow(int nGroup, HWND hwndTask, int nWndHeight, BOOL bAutoDestroyWindow = FALSE, DWORD_PTR dwUserData = 0);
    int GetGroupCount() const { return (int)m_groups.size(); }
    BOOL CollapseGroup(int nGroup, BOOL bCollapse = TRUE);
    void CollapseAllGroups(BOOL bCollapse = TRUE);
    BOOL IsGroupCollapsed(int nGroup) const;
    // Where a group sits in the pane's client (caption and content), empty when out of range.
    CRect GetGroupRect(int nGroup) const;
    HWND GetGroupCaptionWnd(int nGroup) const;
    HWND GetTaskWnd(int nGroup, int nTask) const;
    virtual void RecalcLayout(BOOL bRedraw = TRUE);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnDestroy();
    BOOL IsNavigationToolbarEnabled() const { return m_bNavToolbar; }
protected:
    struct Task { CString text; int icon; UINT cmd; HWND hwndButton; };
    struct Hosted { HWND hwnd; int height; BOOL autoDestroy; };
    struct Group {
        CString name; BOOL special; BOOL bottom; BOOL collapsed; HWND hwndCaption;
        std::vector<Task> tasks; std::vector<Hosted> windows; CRect rect;
    };
    std::vector<Group> m_groups;
    HIMAGELIST m_hIcons;
    BOOL m_bNavToolbar;
    UINT m_nNextCtrlId;
};

// ---------------------------------------------------------------- tab window
class TOOLKIT_API CBCGPTabWnd : public CWnd {
    DECLARE_DYNAMIC(CBCGPTabWnd)
    DECLARE_MESSAGE_MAP()
public:
    enum Style {
        STYLE_3D = 0, STYLE_FLAT = 1, STYLE_FLAT_SHARED_HORZ_SCROLL = 2, STYLE_3D_SCROLLED = 3,
        STYLE_3D_ONENOTE = 4, STYLE_3D_VS2005 = 5, STYLE_3D_ROUNDED = 6, STYLE_3D_ROUNDED_SCROLL = 7
    };
    enum Location { LOCATION_BOTTOM = 0, LOCATION_TOP = 1 };
    CBCGPTabWnd();
    ~CBCGPTabWnd() override;
    BOOL Create(Style style, const RECT& rect, CWnd* pParentWnd, UINT nID, Location location = LOCATION_BOTTOM,
                BOOL bCloseBtn = FALSE);
    void SetFlatFrame(BOOL bFlat = TRUE, BOOL bRepaint = TRUE) { m_bFlatFrame = bFlat; (void)bRepaint; }
    void AddTab(CWnd* pTabWnd, LPCWSTR lpszTabLabel, UINT uiImageId = (UINT)-1, BOOL bDetachable = TRUE);
    int GetTabsNum() const { return (int)m_tabs.size(); }
    int GetActiveTab() const;
    BOOL SetActiveTab(int iTab);
    CWnd* GetTabWnd(int iTab) const;
    CString GetTabLabel(int iTab) const;
    Style GetStyle() const { return m_style; }
    Location GetLocation() const { return m_location; }
    afx_msg void OnSize(UINT nType, int cx, int cy);
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
protected:
    void Layout();
    struct Tab { CWnd* wnd; CString label; };
    std::vector<Tab> m_tabs;
    HWND m_hwndTabs;
    Style m_style;
    Location m_location;
    BOOL m_bFlatFrame;
};

// ---------------------------------------------------------------- popups and customization
// Made with new: it deletes itself once the menu closed.
class TOOLKIT_API CBCGPPopupMenu : public CObject {
    DECLARE_DYNAMIC(CBCGPPopupMenu)
public:
    CBCGPPopupMenu();
    ~CBCGPPopupMenu() override;
    // Shows hMenu at (x, y) of the screen; its command goes to pWndParent's frame.
    // With bAutoDestroy the menu handle is destroyed afterwards.
    virtual BOOL Create(CWnd* pWndParent, int x, int y, HMENU hMenu, BOOL bLocked = FALSE, BOOL bOwnMessage = FALSE,
                        BOOL bAutoDestroy = TRUE);
    UINT m_nLastCommand;
    BOOL m_bAutoDestroyMenu;
};

// Modeless: lists the frame's toolbars with show/hide checks and a reset.
// Deletes itself when closed.
class TOOLKIT_API CBCGPToolbarCustomize : public CWnd {
    DECLARE_DYNAMIC(CBCGPToolbarCustomize)
    DECLARE_MESSAGE_MAP()
public:
    CBCGPToolbarCustomize(CFrameWnd* pWndParentFrame, BOOL bAutoSetFromMenus = FALSE, UINT uiFlags = 0x000F,
                          CList<CRuntimeClass*, CRuntimeClass*>* plistCustomPages = nullptr);
    ~CBCGPToolbarCustomize() override;
    virtual BOOL Create();
    UINT GetFlags() const { return m_uiFlags; }
    // The list of toolbars and the reset and close buttons, for callers that drive it.
    enum { IDC_TOOLBARS = 100, IDC_RESET = 101, IDC_CLOSEBTN = 102, IDC_LABEL = 103 };
    static CBCGPToolbarCustomize* GetActive() { return s_pActive; }
    void PostNcDestroy() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    afx_msg void OnClose();
protected:
    void Fill();
    CFrameWnd* m_pParentFrame;
    BOOL m_bAutoSetFromMenus;
    UINT m_uiFlags;
    BOOL m_bFilling;
    CFont m_font;
    static CBCGPToolbarCustomize* s_pActive;
};
