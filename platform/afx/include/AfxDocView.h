// Documents, views, frames and document templates (included by AfxWindows.h).
#pragma once

struct CCreateContext {
    CRuntimeClass* m_pNewViewClass;
    CDocument* m_pCurrentDoc;
    CDocTemplate* m_pNewDocTemplate;
    CView* m_pLastView;
    CFrameWnd* m_pCurrentFrame;
};

class AFX_API CPrintInfo {
public:
    CPrintInfo();
    ~CPrintInfo();
    void SetMinPage(UINT n) { m_nMinPage = n; }
    void SetMaxPage(UINT n) { m_nMaxPage = n; }
    UINT GetMinPage() const { return m_nMinPage; }
    UINT GetMaxPage() const { return m_nMaxPage; }
    UINT GetFromPage() const { return m_nFromPage; }
    UINT GetToPage() const { return m_nToPage; }
    class CPrintDialog* m_pPD;
    BOOL m_bDirect;
    BOOL m_bPreview;
    BOOL m_bContinuePrinting;
    UINT m_nCurPage;
    UINT m_nNumPreviewPages;
    CString m_strPageDesc;
    LPVOID m_lpUserData;
    CRect m_rectDraw;
    UINT m_nMinPage, m_nMaxPage, m_nFromPage, m_nToPage;
};

class AFX_API CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)
    DECLARE_MESSAGE_MAP()
public:
    CDocument();
    ~CDocument() override;

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(LPCWSTR lpszTitle);
    const CString& GetPathName() const { return m_strPathName; }
    virtual void SetPathName(LPCWSTR lpszPathName, BOOL bAddToMRU = TRUE);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
    virtual BOOL IsModified() { return m_bModified; }
    virtual void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }

    void AddView(CView* pView);
    void RemoveView(CView* pView);
    POSITION GetFirstViewPosition() const { return m_viewList.GetHeadPosition(); }
    CView* GetNextView(POSITION& rPosition) const { return static_cast<CView*>(m_viewList.GetNext(rPosition)); }
    void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);

    virtual void DeleteContents() {}
    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(LPCWSTR lpszPathName);
    virtual BOOL OnSaveDocument(LPCWSTR lpszPathName);
    virtual void OnCloseDocument();
    virtual void OnChangedViewList();
    virtual BOOL CanCloseFrame(CFrameWnd* pFrame);
    virtual BOOL SaveModified();
    virtual BOOL DoSave(LPCWSTR lpszPathName, BOOL bReplace = TRUE);
    virtual BOOL DoFileSave();
    virtual void UpdateFrameCounts();
    virtual void ReportSaveLoadException(LPCWSTR lpszPathName, CException* e, BOOL bSaving, UINT nIDPDefault);
    virtual void PreCloseFrame(CFrameWnd* pFrame) { (void)pFrame; }
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    afx_msg void OnFileClose();
    afx_msg void OnFileSave();
    afx_msg void OnFileSaveAs();

    BOOL m_bAutoDelete;
    BOOL m_bEmbedded;
protected:
    CString m_strTitle;
    CString m_strPathName;
    CDocTemplate* m_pDocTemplate;
    CPtrList m_viewList;
    BOOL m_bModified;
    friend class CDocTemplate;
    friend class CMultiDocTemplate;
};

class AFX_API CView : public CWnd {
    DECLARE_DYNAMIC(CView)
    DECLARE_MESSAGE_MAP()
public:
    CView();
    ~CView() override;
    CDocument* GetDocument() const { return m_pDocument; }
    virtual void OnDraw(CDC* pDC) = 0;
    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
    virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);
    virtual void OnActivateFrame(UINT nState, CFrameWnd* pFrameWnd) { (void)nState; (void)pFrameWnd; }
    virtual void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr);
    virtual BOOL OnPreparePrinting(CPrintInfo* pInfo);
    virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) { (void)pDC; (void)pInfo; }
    virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo);
    virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) { (void)pDC; (void)pInfo; }
    BOOL DoPreparePrinting(CPrintInfo* pInfo);
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    void PostNcDestroy() override;

    afx_msg int OnCreate(LPCREATESTRUCT lpcs);
    afx_msg void OnDestroy();
    afx_msg void OnPaint();
    afx_msg LRESULT OnInitialUpdateMsg(WPARAM, LPARAM);
    afx_msg void OnFilePrint();
    afx_msg void OnFilePrintPreview();
protected:
    CDocument* m_pDocument;
    friend class CDocument;
};

class AFX_API CScrollView : public CView {
    DECLARE_DYNAMIC(CScrollView)
    DECLARE_MESSAGE_MAP()
public:
    CScrollView();
    static const SIZE sizeDefault;
    void SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage = sizeDefault,
                        const SIZE& sizeLine = sizeDefault);
    CPoint GetScrollPosition() const;
    CSize GetTotalSize() const { return m_totalLog; }
    void ScrollToPosition(POINT pt);
    void GetDeviceScrollSizes(int& nMapMode, SIZE& sizeTotal, SIZE& sizePage, SIZE& sizeLine) const;
    void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr) override;
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
protected:
    void UpdateBars();
    void ScrollBy(int nBar, int nNewPos);
    int m_nMapMode;
    CSize m_totalLog, m_totalDev, m_pageDev, m_lineDev;
};

class AFX_API CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
    DECLARE_MESSAGE_MAP()
public:
    CFrameWnd();
    ~CFrameWnd() override;
    static const CRect rectDefault;
    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* pParentWnd = nullptr, LPCWSTR lpszMenuName = nullptr,
                DWORD dwExStyle = 0, CCreateContext* pContext = nullptr);
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;
    virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
    CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);
    virtual void RecalcLayout(BOOL bNotify = TRUE);
    virtual void ActivateFrame(int nCmdShow = -1);
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    virtual void OnUpdateFrameMenu(HMENU hMenuAlt);
    virtual HACCEL GetDefaultAccelerator();
    virtual CFrameWnd* GetActiveFrame() { return this; }
    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
    virtual CDocument* GetActiveDocument();
    void SetTitle(LPCWSTR lpszTitle) { m_strTitle = lpszTitle; }
    CString GetTitle() const { return m_strTitle; }
    virtual BOOL IsFrameWnd() const { return TRUE; }
    void BeginModalState() {}
    void EndModalState() {}
    // Pane 0 of the frame's status bar (the child AFX_IDW_STATUS_BAR); an id
    // shows the prompt of its string, the part before any '\n'.
    void SetMessageText(LPCWSTR lpszText);
    void SetMessageText(UINT nID);
    // Applies update handlers to every item of a popup menu being opened.
    void UpdateMenuPopup(CMenu* pPopup);
    virtual void OnIdleUpdateCmdUI() {}

    afx_msg int OnCreate(LPCREATESTRUCT lpcs);
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnIdleUpdateCmdUIMsg(WPARAM, LPARAM);
    afx_msg LRESULT OnSetMessageString(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMenuSelect(WPARAM wParam, LPARAM lParam);

    // Set by the document template from the frame's creation until its first
    // update is done: a close asked meanwhile (a message sent while the view
    // waits on another thread) is carried out afterwards, not under the
    // opening's feet.
    BOOL m_bOpening;
    BOOL m_bCloseWhenOpen;
    void EndOpening();

    CString m_strTitle;
    HMENU m_hMenuDefault;
    HACCEL m_hAccelTable;
    UINT m_nIDHelp;
    BOOL m_bAutoMenuEnable;
    UINT m_nWindow;
protected:
    CView* m_pViewActive;
    friend class CWnd;
};

class AFX_API CMDIFrameWnd : public CFrameWnd {
    DECLARE_DYNAMIC(CMDIFrameWnd)
    DECLARE_MESSAGE_MAP()
public:
    CMDIFrameWnd();
    HWND m_hWndMDIClient;
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
    BOOL CreateClient(LPCREATESTRUCT lpcs, CMenu* pWindowMenu);
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void RecalcLayout(BOOL bNotify = TRUE) override;
    CFrameWnd* GetActiveFrame() override;
    CDocument* GetActiveDocument() override;
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;
    void OnUpdateFrameMenu(HMENU hMenuAlt) override;
    HACCEL GetDefaultAccelerator() override;
    CMDIChildWnd* MDIGetActive(BOOL* pbMaximized = nullptr) const;
    void MDIActivate(CWnd* pWndActivate);
    void MDINext();
    void MDIPrev();
    void MDICascade();
    void MDITile(int nType = MDITILE_HORIZONTAL);
    void MDIIconArrange();
    void MDIMaximize(CWnd* pWnd);
    void MDIRestore(CWnd* pWnd);
    HMENU GetWindowMenuPopup(HMENU hMenuBar);
    afx_msg void OnWindowCommand(UINT nID);
    afx_msg void OnUpdateWindowCommand(CCmdUI* pCmdUI);
};

class AFX_API CMDIChildWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIChildWnd)
    DECLARE_MESSAGE_MAP()
public:
    CMDIChildWnd();
    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CMDIFrameWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;
    BOOL DestroyWindow() override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void ActivateFrame(int nCmdShow = -1) override;
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;
    void OnUpdateFrameMenu(BOOL bActive, CWnd* pActivateWnd, HMENU hMenuAlt);
    CMDIFrameWnd* GetMDIFrame() const;
    void MDIDestroy();
    void MDIActivate();
    void MDIMaximize();
    void MDIRestore();
    afx_msg LRESULT OnMDIActivate(WPARAM wParam, LPARAM lParam);
    HMENU m_hMenuShared;
    HACCEL m_hAccelShared;
};

class AFX_API CDocTemplate : public CCmdTarget {
    DECLARE_DYNAMIC(CDocTemplate)
public:
    enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };
    enum Confidence { noAttempt, maybeAttemptForeign, maybeAttemptNative, yesAttemptForeign, yesAttemptNative, yesAlreadyOpen };
    ~CDocTemplate() override;
    virtual BOOL GetDocString(CString& rString, DocStringIndex index) const;
    virtual POSITION GetFirstDocPosition() const = 0;
    virtual CDocument* GetNextDoc(POSITION& rPos) const = 0;
    virtual void AddDocument(CDocument* pDoc);
    virtual void RemoveDocument(CDocument* pDoc);
    virtual Confidence MatchDocType(LPCWSTR lpszPathName, CDocument*& rpDocMatch);
    virtual CDocument* CreateNewDocument();
    virtual CFrameWnd* CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther);
    virtual void InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible = TRUE);
    virtual BOOL SaveAllModified();
    virtual void CloseAllDocuments(BOOL bEndSession);
    virtual CDocument* OpenDocumentFile(LPCWSTR lpszPathName, BOOL bMakeVisible = TRUE) = 0;
    virtual void SetDefaultTitle(CDocument* pDocument) = 0;
    virtual void LoadTemplate();
    UINT GetResourceId() const { return m_nIDResource; }
    HMENU m_hMenuShared;
    HACCEL m_hAccelTable;
protected:
    CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass, CRuntimeClass* pViewClass);
    UINT m_nIDResource;
    CRuntimeClass* m_pDocClass;
    CRuntimeClass* m_pFrameClass;
    CRuntimeClass* m_pViewClass;
    CString m_strDocStrings;
};

class AFX_API CMultiDocTemplate : public CDocTemplate {
    DECLARE_DYNAMIC(CMultiDocTemplate)
public:
    CMultiDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass, CRuntimeClass* pViewClass);
    ~CMultiDocTemplate() override;
    POSITION GetFirstDocPosition() const override { return m_docList.GetHeadPosition(); }
    CDocument* GetNextDoc(POSITION& rPos) const override { return static_cast<CDocument*>(m_docList.GetNext(rPos)); }
    void AddDocument(CDocument* pDoc) override;
    void RemoveDocument(CDocument* pDoc) override;
    CDocument* OpenDocumentFile(LPCWSTR lpszPathName, BOOL bMakeVisible = TRUE) override;
    void SetDefaultTitle(CDocument* pDocument) override;
    void LoadTemplate() override;
    CPtrList m_docList;
    UINT m_nUntitledCount;
};
