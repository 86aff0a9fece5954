#include "AfxWindows.h"
#include "AfxDialogs.h"
#include "AfxImpl.h"

#define AFX_WS_DEFAULT_VIEW (WS_CHILD | WS_VISIBLE | WS_BORDER)

// ---------------------------------------------------------------- CPrintInfo
CPrintInfo::CPrintInfo()
    : m_pPD(new CPrintDialog(FALSE, PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOSELECTION | PD_HIDEPRINTTOFILE)),
      m_bDirect(FALSE), m_bPreview(FALSE), m_bContinuePrinting(TRUE), m_nCurPage(1), m_nNumPreviewPages(1),
      m_lpUserData(nullptr), m_nMinPage(1), m_nMaxPage(0xFFFF), m_nFromPage(1), m_nToPage(0xFFFF) {}
CPrintInfo::~CPrintInfo() {
    // The printer settings the job borrowed stay with the application.
    if (CWinApp* app = AfxGetApp()) {
        if (m_pPD->m_pd.hDevMode == app->m_hDevMode) m_pPD->m_pd.hDevMode = nullptr;
        if (m_pPD->m_pd.hDevNames == app->m_hDevNames) m_pPD->m_pd.hDevNames = nullptr;
    }
    delete m_pPD;
}

// ---------------------------------------------------------------- CDocument
IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
    ON_COMMAND(ID_FILE_CLOSE, OnFileClose)
    ON_COMMAND(ID_FILE_SAVE, OnFileSave)
    ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
END_MESSAGE_MAP()

CDocument::CDocument() : m_bAutoDelete(TRUE), m_bEmbedded(FALSE), m_pDocTemplate(nullptr), m_bModified(FALSE) {}
CDocument::~CDocument() {
    POSITION pos = m_viewList.GetHeadPosition();
    while (pos) static_cast<CView*>(m_viewList.GetNext(pos))->m_pDocument = nullptr;
    m_viewList.RemoveAll();
    if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(LPCWSTR t) {
    m_strTitle = t;
    UpdateFrameCounts();
}
void CDocument::SetPathName(LPCWSTR path, BOOL) {
    wchar_t full[MAX_PATH];
    LPWSTR file = nullptr;
    if (::GetFullPathNameW(path, MAX_PATH, full, &file)) m_strPathName = full;
    else m_strPathName = path;
    CString name = m_strPathName.Mid(m_strPathName.ReverseFind(L'\\') + 1);
    SetTitle(name);
}

void CDocument::AddView(CView* pView) {
    m_viewList.AddTail(pView);
    pView->m_pDocument = this;
    OnChangedViewList();
}
void CDocument::RemoveView(CView* pView) {
    POSITION pos = m_viewList.Find(pView);
    if (!pos) return;
    m_viewList.RemoveAt(pos);
    pView->m_pDocument = nullptr;
    OnChangedViewList();
}
void CDocument::OnChangedViewList() {
    // The last view gone closes an auto-deleting document.
    if (m_viewList.IsEmpty() && m_bAutoDelete) { OnCloseDocument(); return; }
    UpdateFrameCounts();
}
void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
    for (POSITION pos = GetFirstViewPosition(); pos;) {
        CView* v = GetNextView(pos);
        if (v != pSender) v->OnUpdate(pSender, lHint, pHint);
    }
}
void CDocument::UpdateFrameCounts() {
    for (POSITION pos = GetFirstViewPosition(); pos;) {
        CView* v = GetNextView(pos);
        if (CFrameWnd* f = v->GetParentFrame()) f->OnUpdateFrameTitle(TRUE);
    }
}

BOOL CDocument::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    return m_pDocTemplate && m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::ReportSaveLoadException(LPCWSTR path, CException* e, BOOL, UINT nIDPDefault) {
    CString prompt;
    if (e && e->IsKindOf(RUNTIME_CLASS(CFileException))) {
        CFileException* fe = static_cast<CFileException*>(e);
        if (fe->m_strFileName.IsEmpty()) fe->m_strFileName = path;
    } else if (e && e->IsKindOf(RUNTIME_CLASS(CArchiveException))) {
        CArchiveException* ae = static_cast<CArchiveException*>(e);
        if (ae->m_strFileName.IsEmpty()) ae->m_strFileName = path;
    }
    // The exception's own text says what went wrong; the default says only that it did.
    wchar_t buf[512] = {0};
    if (e && e->GetErrorMessage(buf, 512) && buf[0]) prompt = buf;
    else AfxFormatString1(prompt, nIDPDefault, path);
    AfxMessageBox(prompt, MB_ICONEXCLAMATION, nIDPDefault);
}

BOOL CDocument::OnOpenDocument(LPCWSTR path) {
    CFile file;
    CFileException fe;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite, &fe)) {
        ReportSaveLoadException(path, &fe, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        return FALSE;
    }
    DeleteContents();
    SetModifiedFlag();
    try {
        CArchive ar(&file, CArchive::load);
        ar.m_pDocument = this;
        Serialize(ar);
    } catch (CException* e) {
        file.Abort();
        DeleteContents();
        ReportSaveLoadException(path, e, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        e->Delete();
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCWSTR path) {
    CFile file;
    CFileException fe;
    if (!file.Open(path, CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive, &fe)) {
        ReportSaveLoadException(path, &fe, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
        return FALSE;
    }
    try {
        CArchive ar(&file, CArchive::store);
        ar.m_pDocument = this;
        Serialize(ar);
        file.Close();
    } catch (CException* e) {
        file.Abort();
        // A half-written file is worse than none.
        ::DeleteFileW(path);
        ReportSaveLoadException(path, e, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
        e->Delete();
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::OnCloseDocument() {
    BOOL autoDelete = m_bAutoDelete;
    m_bAutoDelete = FALSE;
    while (!m_viewList.IsEmpty()) {
        CView* v = static_cast<CView*>(m_viewList.GetHead());
        CFrameWnd* f = v->GetParentFrame();
        if (f) { PreCloseFrame(f); f->DestroyWindow(); }
        else v->DestroyWindow();
        if (!m_viewList.IsEmpty() && m_viewList.GetHead() == v) RemoveView(v);
    }
    m_bAutoDelete = autoDelete;
    DeleteContents();
    if (m_bAutoDelete) delete this;
}

BOOL CDocument::CanCloseFrame(CFrameWnd* pFrameArg) {
    for (POSITION pos = GetFirstViewPosition(); pos;) {
        CView* v = GetNextView(pos);
        CFrameWnd* f = v->GetParentFrame();
        if (f && f != pFrameArg) return TRUE;   // another frame still shows the document
    }
    return SaveModified();
}

BOOL CDocument::SaveModified() {
    if (!IsModified()) return TRUE;
    CString name = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName.Mid(m_strPathName.ReverseFind(L'\\') + 1);
    if (name.IsEmpty()) name.LoadString(AFX_IDS_UNTITLED);
    CString prompt;
    AfxFormatString1(prompt, AFX_IDP_ASK_TO_SAVE, name);
    switch (AfxMessageBox(prompt, MB_YESNOCANCEL, AFX_IDP_ASK_TO_SAVE)) {
    case IDYES: return DoFileSave();
    case IDNO: return TRUE;
    default: return FALSE;
    }
}

BOOL CDocument::DoFileSave() {
    DWORD attr = m_strPathName.IsEmpty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(m_strPathName);
    if (m_strPathName.IsEmpty() || (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY)))
        return DoSave(nullptr);
    return DoSave(m_strPathName);
}

BOOL CDocument::DoSave(LPCWSTR path, BOOL bReplace) {
    CString name(path);
    if (name.IsEmpty()) {
        name = m_strPathName;
        if (name.IsEmpty()) {
            name = m_strTitle;
            name.Remove(L':');
            CString ext;
            if (m_pDocTemplate && m_pDocTemplate->GetDocString(ext, CDocTemplate::filterExt) && !ext.IsEmpty()) {
                int semi = ext.Find(L';');
                if (semi >= 0) ext = ext.Left(semi);
                name += ext;
            }
        }
        CWinApp* app = AfxGetApp();
        if (!app || !app->DoPromptFileName(name, bReplace ? AFX_IDS_SAVEFILE : AFX_IDS_SAVEFILECOPY,
                                            OFN_HIDEREADONLY | OFN_PATHMUSTEXIST, FALSE, m_pDocTemplate))
            return FALSE;
    }
    if (!OnSaveDocument(name)) return FALSE;
    if (bReplace) SetPathName(name);
    return TRUE;
}

void CDocument::OnFileClose() {
    if (!SaveModified()) return;
    OnCloseDocument();
}
void CDocument::OnFileSave() { DoFileSave(); }
void CDocument::OnFileSaveAs() { DoSave(nullptr); }

// ---------------------------------------------------------------- CView
IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdateMsg)
END_MESSAGE_MAP()

CView::CView() : m_pDocument(nullptr) {}
CView::~CView() { if (m_pDocument) m_pDocument->RemoveView(this); }

BOOL CView::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    cs.style |= WS_CLIPSIBLINGS;
    return TRUE;
}

int CView::OnCreate(LPCREATESTRUCT lpcs) {
    if (CWnd::OnCreate(lpcs) == -1) return -1;
    CCreateContext* ctx = m_pPendingContext;
    m_pPendingContext = nullptr;
    if (ctx && ctx->m_pCurrentDoc) ctx->m_pCurrentDoc->AddView(this);
    return 0;
}
void CView::OnDestroy() {
    CFrameWnd* f = GetParentFrame();
    if (f && f->GetActiveView() == this) f->SetActiveView(nullptr, FALSE);
    CWnd::OnDestroy();
}
void CView::PostNcDestroy() { delete this; }
void CView::OnPaint() {
    CPaintDC dc(this);
    OnPrepareDC(&dc, nullptr);
    OnDraw(&dc);
}
LRESULT CView::OnInitialUpdateMsg(WPARAM, LPARAM) { OnInitialUpdate(); return 0; }
void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }
void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }
void CView::OnActivateView(BOOL, CView*, CView*) {}
void CView::OnPrepareDC(CDC* pDC, CPrintInfo* pInfo) {
    if (pInfo) pInfo->m_bContinuePrinting = pInfo->GetMaxPage() != 0xFFFF || pInfo->m_nCurPage == 1;
    (void)pDC;
}
void CView::OnPrint(CDC* pDC, CPrintInfo*) { OnDraw(pDC); }
BOOL CView::OnPreparePrinting(CPrintInfo* pInfo) { return DoPreparePrinting(pInfo); }

BOOL CView::DoPreparePrinting(CPrintInfo* pInfo) {
    CPrintDialog* pd = pInfo->m_pPD;
    pd->m_pd.nMinPage = (WORD)pInfo->GetMinPage();
    pd->m_pd.nMaxPage = (WORD)pInfo->GetMaxPage();
    // The caller's page range where it lies inside the document, else all.
    const UINT lo = pInfo->GetMinPage(), hi = pInfo->GetMaxPage();
    const UINT from = pInfo->m_nFromPage < lo || pInfo->m_nFromPage > hi ? lo : pInfo->m_nFromPage;
    pd->m_pd.nFromPage = (WORD)from;
    pd->m_pd.nToPage = (WORD)(pInfo->m_nToPage < from || pInfo->m_nToPage > hi ? hi : pInfo->m_nToPage);
    // The printer and settings chosen in Print Setup (or the default printer
    // the first time), which the application keeps for the next job.
    CWinApp* app = AfxGetApp();
    PRINTDLGW chosen = {};
    if (app && app->GetPrinterDeviceDefaults(&chosen)) {
        pd->m_pd.hDevMode = chosen.hDevMode;
        pd->m_pd.hDevNames = chosen.hDevNames;
    }
    if (pInfo->m_bDirect) {
        if (!pd->m_pd.hDevNames && !pd->GetDefaults()) return FALSE;
        if (!pd->CreatePrinterDC()) return FALSE;
    } else {
        const INT_PTR answer = pd->DoModal();
        // The dialog may hand back new settings in place of those lent to it.
        if (app && chosen.hDevNames) {
            app->m_hDevMode = pd->m_pd.hDevMode;
            app->m_hDevNames = pd->m_pd.hDevNames;
        }
        if (answer != IDOK) return FALSE;
        if (!pd->GetPrinterDC() && !pd->CreatePrinterDC()) return FALSE;
    }
    pInfo->m_nFromPage = pd->m_pd.nFromPage;
    pInfo->m_nToPage = pd->m_pd.nToPage;
    return TRUE;
}

void CView::OnFilePrint() {
    CPrintInfo info;
    if (m_msgCur.message == WM_COMMAND && LOWORD(m_msgCur.wParam) == ID_FILE_PRINT_DIRECT) info.m_bDirect = TRUE;
    if (!OnPreparePrinting(&info)) return;
    CDC dc;
    dc.Attach(info.m_pPD->GetPrinterDC());
    dc.m_bPrinting = TRUE;
    CString title = m_pDocument ? m_pDocument->GetTitle() : CString();
    OnBeginPrinting(&dc, &info);
    BOOL ok = dc.StartDoc(title) > 0;
    UINT first = (info.m_pPD->m_pd.Flags & PD_PAGENUMS) ? info.m_nFromPage : info.GetMinPage();
    UINT last = (info.m_pPD->m_pd.Flags & PD_PAGENUMS) ? info.m_nToPage : info.GetMaxPage();
    for (info.m_nCurPage = first; ok && info.m_nCurPage <= last; ++info.m_nCurPage) {
        OnPrepareDC(&dc, &info);
        if (!info.m_bContinuePrinting) break;
        if (dc.StartPage() <= 0) { ok = FALSE; break; }
        info.m_rectDraw.SetRect(0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES));
        OnPrint(&dc, &info);
        if (dc.EndPage() <= 0) ok = FALSE;
    }
    if (ok) dc.EndDoc(); else dc.AbortDoc();
    OnEndPrinting(&dc, &info);
    dc.Detach();   // the print dialog owns the DC
}
void CView::OnFilePrintPreview() {}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// ---------------------------------------------------------------- CScrollView
IMPLEMENT_DYNAMIC(CScrollView, CView)

BEGIN_MESSAGE_MAP(CScrollView, CView)
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_MOUSEWHEEL()
END_MESSAGE_MAP()

const SIZE CScrollView::sizeDefault = {0, 0};

CScrollView::CScrollView() : m_nMapMode(MM_TEXT) {}

void CScrollView::SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage, const SIZE& sizeLine) {
    m_nMapMode = nMapMode;
    m_totalLog = sizeTotal;
    CSize total = sizeTotal, page = sizePage, line = sizeLine;
    if (nMapMode != MM_TEXT) {
        HDC hdc = ::GetDC(nullptr);
        ::SetMapMode(hdc, nMapMode);
        POINT p[3] = {{total.cx, total.cy}, {page.cx, page.cy}, {line.cx, line.cy}};
        ::LPtoDP(hdc, p, 3);
        ::ReleaseDC(nullptr, hdc);
        total = CSize(abs(p[0].x), abs(p[0].y));
        page = CSize(abs(p[1].x), abs(p[1].y));
        line = CSize(abs(p[2].x), abs(p[2].y));
    }
    m_totalDev = total;
    m_pageDev = page;
    m_lineDev = line;
    if (m_pageDev.cx == 0) m_pageDev.cx = m_totalDev.cx / 10;
    if (m_pageDev.cy == 0) m_pageDev.cy = m_totalDev.cy / 10;
    if (m_lineDev.cx == 0) m_lineDev.cx = m_pageDev.cx / 10;
    if (m_lineDev.cy == 0) m_lineDev.cy = m_pageDev.cy / 10;
    if (m_hWnd) { UpdateBars(); Invalidate(TRUE); }
}

void CScrollView::GetDeviceScrollSizes(int& nMapMode, SIZE& sizeTotal, SIZE& sizePage, SIZE& sizeLine) const {
    nMapMode = m_nMapMode;
    sizeTotal = m_totalDev;
    sizePage = m_pageDev;
    sizeLine = m_lineDev;
}

void CScrollView::UpdateBars() {
    static thread_local bool inside = false;
    if (inside || !m_hWnd) return;
    inside = true;
    // Two passes: showing one bar can make the other necessary.
    for (int pass = 0; pass < 2; ++pass) {
        CRect rc;
        GetClientRect(&rc);
        SCROLLINFO si = {};
        si.cbSize = sizeof si;
        si.fMask = SIF_PAGE | SIF_RANGE | SIF_POS;
        si.nMin = 0;
        si.nMax = m_totalDev.cx > 0 ? m_totalDev.cx - 1 : 0;
        si.nPage = (UINT)rc.Width();
        si.nPos = GetScrollPos(SB_HORZ);
        ::SetScrollInfo(m_hWnd, SB_HORZ, &si, TRUE);
        si.nMax = m_totalDev.cy > 0 ? m_totalDev.cy - 1 : 0;
        si.nPage = (UINT)rc.Height();
        si.nPos = GetScrollPos(SB_VERT);
        ::SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
    }
    inside = false;
}

CPoint CScrollView::GetScrollPosition() const {
    CPoint pt(GetScrollPos(SB_HORZ), GetScrollPos(SB_VERT));
    if (m_nMapMode != MM_TEXT && m_hWnd) {
        CWindowDC dc(nullptr);
        dc.SetMapMode(m_nMapMode);
        dc.DPtoLP(&pt);
    }
    return pt;
}

void CScrollView::ScrollBy(int nBar, int nNewPos) {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    ::GetScrollInfo(m_hWnd, nBar, &si);
    int maxPos = si.nMax - (int)(si.nPage ? si.nPage - 1 : 0);
    if (nNewPos > maxPos) nNewPos = maxPos;
    if (nNewPos < si.nMin) nNewPos = si.nMin;
    int old = si.nPos;
    if (nNewPos == old) return;
    ::SetScrollPos(m_hWnd, nBar, nNewPos, TRUE);
    int actual = ::GetScrollPos(m_hWnd, nBar);
    if (nBar == SB_HORZ) ScrollWindow(old - actual, 0);
    else ScrollWindow(0, old - actual);
}

void CScrollView::ScrollToPosition(POINT pt) {
    CPoint p(pt);
    if (m_nMapMode != MM_TEXT) {
        CWindowDC dc(nullptr);
        dc.SetMapMode(m_nMapMode);
        dc.LPtoDP(&p);
        p.x = abs(p.x);
        p.y = abs(p.y);
    }
    if (!m_hWnd) return;
    ScrollBy(SB_HORZ, p.x);
    ScrollBy(SB_VERT, p.y);
}

void CScrollView::OnPrepareDC(CDC* pDC, CPrintInfo* pInfo) {
    pDC->SetMapMode(m_nMapMode);
    if (!pDC->IsPrinting()) {
        CPoint pt(GetScrollPos(SB_HORZ), GetScrollPos(SB_VERT));
        pDC->SetViewportOrg(-pt.x, -pt.y);
    }
    CView::OnPrepareDC(pDC, pInfo);
}

void CScrollView::OnSize(UINT nType, int cx, int cy) {
    CView::OnSize(nType, cx, cy);
    UpdateBars();
}

static int NewScrollPos(HWND h, int nBar, UINT code, UINT thumb, int line, int page) {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    ::GetScrollInfo(h, nBar, &si);
    switch (code) {
    case SB_TOP: return si.nMin;
    case SB_BOTTOM: return si.nMax;
    case SB_LINEUP: return si.nPos - line;
    case SB_LINEDOWN: return si.nPos + line;
    case SB_PAGEUP: return si.nPos - page;
    case SB_PAGEDOWN: return si.nPos + page;
    case SB_THUMBTRACK: case SB_THUMBPOSITION: return si.nTrackPos ? si.nTrackPos : (int)thumb;
    default: return si.nPos;
    }
}

void CScrollView::OnHScroll(UINT code, UINT pos, CScrollBar* bar) {
    if (bar && bar->m_hWnd) { CView::OnHScroll(code, pos, bar); return; }
    ScrollBy(SB_HORZ, NewScrollPos(m_hWnd, SB_HORZ, code, pos, m_lineDev.cx, m_pageDev.cx));
}
void CScrollView::OnVScroll(UINT code, UINT pos, CScrollBar* bar) {
    if (bar && bar->m_hWnd) { CView::OnVScroll(code, pos, bar); return; }
    ScrollBy(SB_VERT, NewScrollPos(m_hWnd, SB_VERT, code, pos, m_lineDev.cy, m_pageDev.cy));
}
BOOL CScrollView::OnMouseWheel(UINT, short zDelta, CPoint) {
    int lines = -zDelta / WHEEL_DELTA * 3;
    ScrollBy(SB_VERT, GetScrollPos(SB_VERT) + lines * m_lineDev.cy);
    return TRUE;
}

// ---------------------------------------------------------------- CFrameWnd
IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopup)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUIMsg)
    ON_MESSAGE(WM_SETMESSAGESTRING, OnSetMessageString)
    ON_MESSAGE(WM_MENUSELECT, OnMenuSelect)
END_MESSAGE_MAP()

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

CFrameWnd::CFrameWnd()
    : m_bOpening(FALSE), m_bCloseWhenOpen(FALSE), m_hMenuDefault(nullptr), m_hAccelTable(nullptr), m_nIDHelp(0),
      m_bAutoMenuEnable(TRUE), m_nWindow(0), m_pViewActive(nullptr) {}
CFrameWnd::~CFrameWnd() {}

void CFrameWnd::EndOpening() {
    m_bOpening = FALSE;
    if (m_bCloseWhenOpen && m_hWnd) {
        m_bCloseWhenOpen = FALSE;
        PostMessage(WM_CLOSE);
    }
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return TRUE;
}

BOOL CFrameWnd::Create(LPCWSTR cls, LPCWSTR name, DWORD style, const RECT& r, CWnd* parent, LPCWSTR menuName,
                       DWORD exStyle, CCreateContext* ctx) {
    HMENU menu = nullptr;
    if (menuName) {
        menu = ::LoadMenuW(AfxFindResourceHandle(menuName, RT_MENU), menuName);
        if (!menu) return FALSE;
    }
    m_strTitle = name;
    m_hMenuDefault = menu;
    m_pPendingContext = ctx;
    int x = r.left, y = r.top, w = r.right - r.left, h = r.bottom - r.top;
    if (x == CW_USEDEFAULT) { w = CW_USEDEFAULT; h = 0; }
    return CreateEx(exStyle, cls, name, style, x, y, w, h, (parent ? parent->m_hWnd : nullptr), menu, nullptr);
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD style, CWnd* parent, CCreateContext* ctx) {
    m_nIDHelp = nIDResource;
    CString strings;
    strings.LoadString(nIDResource);
    AfxExtractSubString(m_strTitle, strings, 0);
    if (m_strTitle.IsEmpty()) if (CWinApp* app = AfxGetApp()) m_strTitle = app->m_pszAppName;
    HICON icon = ::LoadIconW(AfxFindResourceHandle(MAKEINTRESOURCEW(nIDResource), RT_GROUP_ICON), MAKEINTRESOURCEW(nIDResource));
    LPCWSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                      reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), icon);
    LPCWSTR menuName = ::FindResourceW(AfxFindResourceHandle(MAKEINTRESOURCEW(nIDResource), RT_MENU),
                                       MAKEINTRESOURCEW(nIDResource), RT_MENU) ? MAKEINTRESOURCEW(nIDResource) : nullptr;
    CString title = m_strTitle;
    if (!Create(cls, title, style, rectDefault, parent, menuName, 0, ctx)) return FALSE;
    HINSTANCE hAcc = AfxFindResourceHandle(MAKEINTRESOURCEW(nIDResource), RT_ACCELERATOR);
    m_hAccelTable = ::LoadAcceleratorsW(hAcc, MAKEINTRESOURCEW(nIDResource));
    if (!ctx) SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE);
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs) {
    CCreateContext* ctx = m_pPendingContext;
    m_pPendingContext = nullptr;
    if (!OnCreateClient(lpcs, ctx)) return -1;
    RecalcLayout();
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* ctx) {
    if (ctx && ctx->m_pNewViewClass) return CreateView(ctx, AFX_IDW_PANE_FIRST) != nullptr;
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* ctx, UINT nID) {
    CObject* obj = ctx->m_pNewViewClass->CreateObject();
    CWnd* view = DYNAMIC_DOWNCAST(CWnd, obj);
    if (!view) { delete obj; return nullptr; }
    // A failed creation has deleted the view in PostNcDestroy.
    if (!view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 0, 0), this, nID, ctx)) return nullptr;
    if (view->GetExStyle() & WS_EX_CLIENTEDGE) ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED);
    return view;
}

void CFrameWnd::RecalcLayout(BOOL) {
    if (!m_hWnd) return;
    HWND pane = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST);
    if (!pane) return;
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    ::MoveWindow(pane, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

void CFrameWnd::OnSize(UINT nType, int, int) {
    if (nType != SIZE_MINIMIZED) RecalcLayout();
}

BOOL CFrameWnd::OnEraseBkgnd(CDC* pDC) {
    // The pane covers the client area; erasing under it only flickers.
    if (m_pViewActive || ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST)) return TRUE;
    return CWnd::OnEraseBkgnd(pDC);
}

void CFrameWnd::OnSetFocus(CWnd* pOld) {
    if (m_pViewActive && m_pViewActive->m_hWnd) m_pViewActive->SetFocus();
    else CWnd::OnSetFocus(pOld);
}

void CFrameWnd::ActivateFrame(int nCmdShow) {
    if (nCmdShow == -1) {
        if (!IsWindowVisible()) nCmdShow = SW_SHOWNORMAL;
        else if (IsIconic()) nCmdShow = SW_RESTORE;
    }
    if (nCmdShow != -1) ShowWindow(nCmdShow);
    BringWindowToTop();
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible) {
    (void)pDoc;
    CView* view = nullptr;
    if (!GetActiveView()) {
        // The first pane, directly in the frame or inside a splitter.
        HWND pane = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST);
        view = DYNAMIC_DOWNCAST(CView, CWnd::FromHandlePermanent(pane));
        if (!view && pane) view = DYNAMIC_DOWNCAST(CView, CWnd::FromHandlePermanent(::GetDlgItem(pane, AFX_IDW_PANE_FIRST)));
        if (view) SetActiveView(view, FALSE);
    }
    if (bMakeVisible) {
        SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE);
        ActivateFrame();
        if (view) view->OnActivateView(TRUE, view, view);
    }
    OnUpdateFrameTitle(TRUE);
    EndOpening();
}

void CFrameWnd::SetActiveView(CView* pNew, BOOL bNotify) {
    CView* old = m_pViewActive;
    if (pNew == old) return;
    m_pViewActive = nullptr;
    if (old && bNotify) old->OnActivateView(FALSE, pNew, old);
    m_pViewActive = pNew;
    if (pNew && bNotify) pNew->OnActivateView(TRUE, pNew, old);
}

CDocument* CFrameWnd::GetActiveDocument() { return m_pViewActive ? m_pViewActive->GetDocument() : nullptr; }

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
    if (!m_hWnd) return;
    CDocument* doc = GetActiveDocument();
    if (bAddToTitle && (GetStyle() & FWS_ADDTOTITLE) && doc) SetWindowText(doc->GetTitle() + L" - " + m_strTitle);
    else SetWindowText(m_strTitle);
}

void CFrameWnd::OnUpdateFrameMenu(HMENU hMenuAlt) {
    HMENU h = hMenuAlt ? hMenuAlt : m_hMenuDefault;
    if (m_hWnd && h && ::GetMenu(m_hWnd) != h) ::SetMenu(m_hWnd, h);
}

HACCEL CFrameWnd::GetDefaultAccelerator() { return m_hAccelTable; }

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) {
        HACCEL acc = GetDefaultAccelerator();
        if (acc && ::TranslateAcceleratorW(m_hWnd, acc, pMsg)) return TRUE;
    }
    return FALSE;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    // View (and through it the document and its template), then this frame,
    // then the application; child frames leave the application to the main frame.
    if (m_pViewActive && m_pViewActive->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    if (!(GetStyle() & WS_CHILD) || !m_hWnd) {
        CWinApp* app = AfxGetApp();
        if (app && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    }
    return FALSE;
}

BOOL CFrameWnd::OnCommand(WPARAM wParam, LPARAM lParam) { return CWnd::OnCommand(wParam, lParam); }

void CFrameWnd::UpdateMenuPopup(CMenu* pPopup) {
    if (!pPopup) return;
    CCmdUI state;
    state.m_pMenu = pPopup;
    state.m_nIndexMax = pPopup->GetMenuItemCount();
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        state.m_nID = pPopup->GetMenuItemID((int)state.m_nIndex);
        if (state.m_nID == 0 || state.m_nID == (UINT)-1) continue;   // separators and sub-menus
        if (state.m_nID >= AFX_IDM_FIRST_MDICHILD) continue;        // the window list
        state.m_pSubMenu = nullptr;
        state.DoUpdate(this, m_bAutoMenuEnable && state.m_nID < 0xF000);
    }
}

LRESULT CFrameWnd::OnInitMenuPopup(WPARAM wParam, LPARAM lParam) {
    if (!HIWORD(lParam)) {
        CMenu menu;
        menu.m_hMenu = reinterpret_cast<HMENU>(wParam);
        UpdateMenuPopup(&menu);
        menu.m_hMenu = nullptr;
    }
    return Default();
}

void CFrameWnd::SetMessageText(LPCWSTR lpszText) { SendMessage(WM_SETMESSAGESTRING, 0, (LPARAM)lpszText); }
void CFrameWnd::SetMessageText(UINT nID) { SendMessage(WM_SETMESSAGESTRING, nID, 0); }

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam) {
    // A status bar shows WM_SETTEXT in its first pane.
    HWND bar = ::GetDlgItem(m_hWnd, AFX_IDW_STATUS_BAR);
    if (!bar) return 0;
    CString text;
    if (lParam) {
        text = reinterpret_cast<LPCWSTR>(lParam);
    } else if (wParam && text.LoadString((UINT)wParam)) {
        int nl = text.Find(L'\n');
        if (nl >= 0) text = text.Left(nl);
    }
    ::SendMessageW(bar, WM_SETTEXT, 0, (LPARAM)(LPCWSTR)text);
    return 0;
}

// The prompt of the menu item under the cursor; the idle text once the menu closes.
LRESULT CFrameWnd::OnMenuSelect(WPARAM wParam, LPARAM lParam) {
    const UINT flags = HIWORD(wParam);
    if (flags == 0xFFFF && !lParam)
        SetMessageText(AFX_IDS_IDLEMESSAGE);
    else if (!(flags & (MF_POPUP | MF_SEPARATOR)))
        SetMessageText((UINT)LOWORD(wParam));
    else
        SetMessageText(L"");
    return Default();
}

LRESULT CFrameWnd::OnIdleUpdateCmdUIMsg(WPARAM, LPARAM) {
    OnIdleUpdateCmdUI();
    return 0;
}

void CFrameWnd::OnClose() {
    if (m_bOpening) {
        m_bCloseWhenOpen = TRUE;
        return;
    }
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        if (!app->SaveAllModified()) return;
        app->CloseAllDocuments(FALSE);
        if (m_hWnd) DestroyWindow();
        return;
    }
    CDocument* doc = GetActiveDocument();
    if (doc) {
        if (!doc->CanCloseFrame(this)) return;
        BOOL otherFrame = FALSE;
        for (POSITION pos = doc->GetFirstViewPosition(); pos;) {
            CView* v = doc->GetNextView(pos);
            if (v->GetParentFrame() != this) otherFrame = TRUE;
        }
        if (!otherFrame && doc->m_bAutoDelete) { doc->OnCloseDocument(); return; }
        doc->PreCloseFrame(this);
    }
    DestroyWindow();
}

void CFrameWnd::OnDestroy() {
    // The menu bar is destroyed with the window: keep a template's shared menu out of it.
    if (m_hMenuDefault && ::GetMenu(m_hWnd) != m_hMenuDefault && !(GetStyle() & WS_CHILD)) ::SetMenu(m_hWnd, m_hMenuDefault);
    CWnd::OnDestroy();
}

void CFrameWnd::PostNcDestroy() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    delete this;
}

// ---------------------------------------------------------------- CMDIFrameWnd
IMPLEMENT_DYNAMIC(CMDIFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
    ON_COMMAND_RANGE(ID_WINDOW_ARRANGE, ID_WINDOW_TILE_VERT, OnWindowCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_WINDOW_ARRANGE, ID_WINDOW_TILE_VERT, OnUpdateWindowCommand)
END_MESSAGE_MAP()

CMDIFrameWnd::CMDIFrameWnd() : m_hWndMDIClient(nullptr) {}

BOOL CMDIFrameWnd::LoadFrame(UINT nIDResource, DWORD style, CWnd* parent, CCreateContext* ctx) {
    return CFrameWnd::LoadFrame(nIDResource, style, parent, ctx);
}

HMENU CMDIFrameWnd::GetWindowMenuPopup(HMENU hMenuBar) {
    if (!hMenuBar) return nullptr;
    int n = ::GetMenuItemCount(hMenuBar);
    for (int i = n - 1; i >= 0; --i) {
        HMENU sub = ::GetSubMenu(hMenuBar, i);
        if (!sub) continue;
        int m = ::GetMenuItemCount(sub);
        for (int k = 0; k < m; ++k) {
            UINT id = ::GetMenuItemID(sub, k);
            if (id >= ID_WINDOW_NEW && id <= ID_WINDOW_SPLIT) return sub;
        }
    }
    return nullptr;
}

BOOL CMDIFrameWnd::OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext*) {
    CMenu menu;
    menu.m_hMenu = GetWindowMenuPopup(m_hMenuDefault);
    BOOL ok = CreateClient(lpcs, &menu);
    menu.m_hMenu = nullptr;
    return ok;
}

BOOL CMDIFrameWnd::CreateClient(LPCREATESTRUCT, CMenu* pWindowMenu) {
    CLIENTCREATESTRUCT ccs = {};
    ccs.hWindowMenu = pWindowMenu ? pWindowMenu->m_hMenu : nullptr;
    ccs.idFirstChild = AFX_IDM_FIRST_MDICHILD;
    m_hWndMDIClient = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL, 0, 0, 0, 0,
                                        m_hWnd, reinterpret_cast<HMENU>((UINT_PTR)AFX_IDW_PANE_FIRST),
                                        AfxGetInstanceHandle(), &ccs);
    return m_hWndMDIClient != nullptr;
}

LRESULT CMDIFrameWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefFrameProcW(m_hWnd, m_hWndMDIClient, message, wParam, lParam);
}

BOOL CMDIFrameWnd::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) {
        if (CMDIChildWnd* child = MDIGetActive())
            if (child->m_hAccelShared && ::TranslateAcceleratorW(m_hWnd, child->m_hAccelShared, pMsg)) return TRUE;
        if (m_hWndMDIClient && ::TranslateMDISysAccel(m_hWndMDIClient, pMsg)) return TRUE;
    }
    return CFrameWnd::PreTranslateMessage(pMsg);
}

BOOL CMDIFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    CMDIChildWnd* child = MDIGetActive();
    if (child && child->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CMDIFrameWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    // The window list belongs to the MDI client.
    if (LOWORD(wParam) >= AFX_IDM_FIRST_MDICHILD && lParam == 0) return FALSE;
    return CFrameWnd::OnCommand(wParam, lParam);
}

void CMDIFrameWnd::RecalcLayout(BOOL bNotify) { CFrameWnd::RecalcLayout(bNotify); }

CFrameWnd* CMDIFrameWnd::GetActiveFrame() {
    CMDIChildWnd* child = MDIGetActive();
    return child ? static_cast<CFrameWnd*>(child) : this;
}
CDocument* CMDIFrameWnd::GetActiveDocument() {
    CMDIChildWnd* child = MDIGetActive();
    return child ? child->GetActiveDocument() : nullptr;
}
void CMDIFrameWnd::OnUpdateFrameTitle(BOOL) { if (m_hWnd) SetWindowText(m_strTitle); }

void CMDIFrameWnd::OnUpdateFrameMenu(HMENU hMenuAlt) {
    HMENU h = hMenuAlt ? hMenuAlt : m_hMenuDefault;
    if (!m_hWndMDIClient || !h) return;
    ::SendMessageW(m_hWndMDIClient, WM_MDISETMENU, reinterpret_cast<WPARAM>(h),
                   reinterpret_cast<LPARAM>(GetWindowMenuPopup(h)));
    ::DrawMenuBar(m_hWnd);
}

HACCEL CMDIFrameWnd::GetDefaultAccelerator() { return m_hAccelTable; }

CMDIChildWnd* CMDIFrameWnd::MDIGetActive(BOOL* pbMaximized) const {
    if (pbMaximized) *pbMaximized = FALSE;
    if (!m_hWndMDIClient) return nullptr;
    BOOL max = FALSE;
    HWND h = reinterpret_cast<HWND>(::SendMessageW(m_hWndMDIClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&max)));
    if (pbMaximized) *pbMaximized = max;
    return DYNAMIC_DOWNCAST(CMDIChildWnd, CWnd::FromHandlePermanent(h));
}
void CMDIFrameWnd::MDIActivate(CWnd* p) { if (m_hWndMDIClient && p) ::SendMessageW(m_hWndMDIClient, WM_MDIACTIVATE, (WPARAM)p->m_hWnd, 0); }
void CMDIFrameWnd::MDINext() { if (m_hWndMDIClient) ::SendMessageW(m_hWndMDIClient, WM_MDINEXT, 0, 0); }
void CMDIFrameWnd::MDIPrev() { if (m_hWndMDIClient) ::SendMessageW(m_hWndMDIClient, WM_MDINEXT, 0, 1); }
void CMDIFrameWnd::MDICascade() { if (m_hWndMDIClient) ::SendMessageW(m_hWndMDIClient, WM_MDICASCADE, 0, 0); }
void CMDIFrameWnd::MDITile(int n) { if (m_hWndMDIClient) ::SendMessageW(m_hWndMDIClient, WM_MDITILE, n, 0); }
void CMDIFrameWnd::MDIIconArrange() { if (m_hWndMDIClient) ::SendMessageW(m_hWndMDIClient, WM_MDIICONARRANGE, 0, 0); }
void CMDIFrameWnd::MDIMaximize(CWnd* p) { if (m_hWndMDIClient && p) ::SendMessageW(m_hWndMDIClient, WM_MDIMAXIMIZE, (WPARAM)p->m_hWnd, 0); }
void CMDIFrameWnd::MDIRestore(CWnd* p) { if (m_hWndMDIClient && p) ::SendMessageW(m_hWndMDIClient, WM_MDIRESTORE, (WPARAM)p->m_hWnd, 0); }

void CMDIFrameWnd::OnWindowCommand(UINT nID) {
    switch (nID) {
    case ID_WINDOW_ARRANGE: MDIIconArrange(); break;
    case ID_WINDOW_CASCADE: MDICascade(); break;
    case ID_WINDOW_TILE_HORZ: MDITile(MDITILE_HORIZONTAL); break;
    case ID_WINDOW_TILE_VERT: MDITile(MDITILE_VERTICAL); break;
    }
}
void CMDIFrameWnd::OnUpdateWindowCommand(CCmdUI* pCmdUI) { pCmdUI->Enable(MDIGetActive() != nullptr); }

// ---------------------------------------------------------------- CMDIChildWnd
IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIChildWnd, CFrameWnd)
    ON_MESSAGE(WM_MDIACTIVATE, OnMDIActivate)
END_MESSAGE_MAP()

CMDIChildWnd::CMDIChildWnd() : m_hMenuShared(nullptr), m_hAccelShared(nullptr) {}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const {
    HWND client = m_hWnd ? ::GetParent(m_hWnd) : nullptr;
    HWND frame = client ? ::GetParent(client) : nullptr;
    if (CMDIFrameWnd* f = DYNAMIC_DOWNCAST(CMDIFrameWnd, CWnd::FromHandlePermanent(frame))) return f;
    return DYNAMIC_DOWNCAST(CMDIFrameWnd, AfxGetMainWnd());
}

BOOL CMDIChildWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return TRUE;
}

BOOL CMDIChildWnd::Create(LPCWSTR cls, LPCWSTR name, DWORD style, const RECT& r, CMDIFrameWnd* parent, CCreateContext* ctx) {
    if (!parent) parent = DYNAMIC_DOWNCAST(CMDIFrameWnd, AfxGetMainWnd());
    if (!parent || !parent->m_hWndMDIClient) return FALSE;
    CREATESTRUCTW cs = {};
    cs.lpszClass = cls;
    cs.lpszName = name;
    cs.style = (LONG)(style & ~(WS_VISIBLE | WS_MAXIMIZE));
    cs.x = r.left; cs.y = r.top; cs.cx = r.right - r.left; cs.cy = r.bottom - r.top;
    if (r.left == CW_USEDEFAULT) { cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT; }
    cs.hwndParent = parent->m_hWndMDIClient;
    cs.hInstance = AfxGetInstanceHandle();
    if (!PreCreateWindow(cs)) return FALSE;
    m_strTitle = cs.lpszName;
    MDICREATESTRUCTW mcs = {};
    mcs.szClass = cs.lpszClass;
    mcs.szTitle = cs.lpszName;
    mcs.hOwner = cs.hInstance;
    mcs.x = cs.x; mcs.y = cs.y; mcs.cx = cs.cx; mcs.cy = cs.cy;
    mcs.style = (DWORD)cs.style & ~(WS_CHILD);
    m_pPendingContext = ctx;
    HWND h = AfxImplCreateMDIChild(this, parent->m_hWndMDIClient, &mcs);
    return h != nullptr;
}

BOOL CMDIChildWnd::LoadFrame(UINT nIDResource, DWORD style, CWnd* parent, CCreateContext* ctx) {
    m_nIDHelp = nIDResource;
    if (ctx && ctx->m_pNewDocTemplate) {
        m_hMenuShared = ctx->m_pNewDocTemplate->m_hMenuShared;
        m_hAccelShared = ctx->m_pNewDocTemplate->m_hAccelTable;
    }
    HICON icon = ::LoadIconW(AfxFindResourceHandle(MAKEINTRESOURCEW(nIDResource), RT_GROUP_ICON), MAKEINTRESOURCEW(nIDResource));
    LPCWSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                      reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), icon);
    return Create(cls, nullptr, style | WS_CHILD, rectDefault, DYNAMIC_DOWNCAST(CMDIFrameWnd, parent), ctx);
}

LRESULT CMDIChildWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefMDIChildProcW(m_hWnd, message, wParam, lParam);
}

BOOL CMDIChildWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    MDIDestroy();
    return TRUE;
}

void CMDIChildWnd::MDIDestroy() {
    HWND client = ::GetParent(m_hWnd);
    HWND self = m_hWnd;
    CMDIFrameWnd* frame = GetMDIFrame();
    ::SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(self), 0);
    // With the last child gone the frame shows its own menu again.
    if (frame && frame->m_hWnd && !::SendMessageW(client, WM_MDIGETACTIVE, 0, 0)) frame->OnUpdateFrameMenu(nullptr);
}
void CMDIChildWnd::MDIActivate() { if (CMDIFrameWnd* f = GetMDIFrame()) f->MDIActivate(this); }
void CMDIChildWnd::MDIMaximize() { if (CMDIFrameWnd* f = GetMDIFrame()) f->MDIMaximize(this); }
void CMDIChildWnd::MDIRestore() { if (CMDIFrameWnd* f = GetMDIFrame()) f->MDIRestore(this); }

BOOL CMDIChildWnd::PreTranslateMessage(MSG*) { return FALSE; }

void CMDIChildWnd::ActivateFrame(int nCmdShow) {
    if (!IsWindowVisible()) ShowWindow(nCmdShow == -1 ? SW_SHOW : nCmdShow);
    MDIActivate();
    // Wine does not re-send WM_MDIACTIVATE for the child that is already active.
    OnUpdateFrameMenu(TRUE, this, nullptr);
}

void CMDIChildWnd::OnUpdateFrameMenu(BOOL bActive, CWnd*, HMENU hMenuAlt) {
    CMDIFrameWnd* frame = GetMDIFrame();
    if (!frame) return;
    if (bActive) frame->OnUpdateFrameMenu(hMenuAlt ? hMenuAlt : m_hMenuShared);
    else frame->OnUpdateFrameMenu(nullptr);
}

LRESULT CMDIChildWnd::OnMDIActivate(WPARAM wParam, LPARAM lParam) {
    HWND activating = reinterpret_cast<HWND>(lParam);
    (void)wParam;
    BOOL bActivate = activating == m_hWnd;
    if (bActivate) OnUpdateFrameMenu(TRUE, this, nullptr);
    else if (!activating) OnUpdateFrameMenu(FALSE, nullptr, nullptr);
    if (m_pViewActive) m_pViewActive->OnActivateView(bActivate, m_pViewActive, m_pViewActive);
    return Default();
}

void CMDIChildWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
    if (!m_hWnd) return;
    CDocument* doc = GetActiveDocument();
    if (bAddToTitle && doc) {
        CString t = doc->GetTitle();
        if (m_nWindow > 0) { CString n; n.Format(L":%u", m_nWindow); t += n; }
        SetWindowText(t);
    } else if (!m_strTitle.IsEmpty()) {
        SetWindowText(m_strTitle);
    }
}

// ---------------------------------------------------------------- templates
IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CMultiDocTemplate, CDocTemplate)

CDocTemplate::CDocTemplate(UINT id, CRuntimeClass* doc, CRuntimeClass* frame, CRuntimeClass* view)
    : m_hMenuShared(nullptr), m_hAccelTable(nullptr), m_nIDResource(id), m_pDocClass(doc), m_pFrameClass(frame),
      m_pViewClass(view) {
    m_strDocStrings.LoadString(id);
}
CDocTemplate::~CDocTemplate() {}

void CDocTemplate::LoadTemplate() {
    if (m_strDocStrings.IsEmpty()) m_strDocStrings.LoadString(m_nIDResource);
}

BOOL CDocTemplate::GetDocString(CString& r, DocStringIndex i) const {
    return AfxExtractSubString(r, m_strDocStrings, (int)i);
}

void CDocTemplate::AddDocument(CDocument* pDoc) { pDoc->m_pDocTemplate = this; }
void CDocTemplate::RemoveDocument(CDocument* pDoc) { pDoc->m_pDocTemplate = nullptr; }

CDocTemplate::Confidence CDocTemplate::MatchDocType(LPCWSTR path, CDocument*& rpMatch) {
    rpMatch = nullptr;
    wchar_t full[MAX_PATH];
    if (!::GetFullPathNameW(path, MAX_PATH, full, nullptr)) lstrcpynW(full, path, MAX_PATH);
    for (POSITION pos = GetFirstDocPosition(); pos;) {
        CDocument* d = GetNextDoc(pos);
        if (d->GetPathName().CompareNoCase(full) == 0) { rpMatch = d; return yesAlreadyOpen; }
    }
    CString exts;
    if (GetDocString(exts, filterExt) && !exts.IsEmpty()) {
        CString p(path);
        int dot = p.ReverseFind(L'.');
        CString ext = dot >= 0 ? p.Mid(dot) : CString();
        for (int i = 0;; ++i) {
            CString one;
            if (!AfxExtractSubString(one, exts, i, L';')) break;
            one.Trim();
            if (!one.IsEmpty() && !ext.IsEmpty() && one.CompareNoCase(ext) == 0) return yesAttemptNative;
        }
    }
    return yesAttemptForeign;
}

CDocument* CDocTemplate::CreateNewDocument() {
    if (!m_pDocClass) return nullptr;
    CObject* obj = m_pDocClass->CreateObject();
    CDocument* doc = DYNAMIC_DOWNCAST(CDocument, obj);
    if (!doc) { delete obj; return nullptr; }
    AddDocument(doc);
    return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther) {
    CCreateContext ctx = {m_pViewClass, pDoc, this, nullptr, pOther};
    if (!m_pFrameClass) return nullptr;
    CObject* obj = m_pFrameClass->CreateObject();
    CFrameWnd* frame = DYNAMIC_DOWNCAST(CFrameWnd, obj);
    if (!frame) { delete obj; return nullptr; }
    frame->m_bOpening = TRUE;
    if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &ctx)) return nullptr;
    return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible) {
    pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

BOOL CDocTemplate::SaveAllModified() {
    for (POSITION pos = GetFirstDocPosition(); pos;)
        if (!GetNextDoc(pos)->SaveModified()) return FALSE;
    return TRUE;
}

void CDocTemplate::CloseAllDocuments(BOOL) {
    POSITION pos = GetFirstDocPosition();
    while (pos) {
        CDocument* d = GetNextDoc(pos);   // pos moves on before d goes away
        d->OnCloseDocument();
    }
}

CMultiDocTemplate::CMultiDocTemplate(UINT id, CRuntimeClass* doc, CRuntimeClass* frame, CRuntimeClass* view)
    : CDocTemplate(id, doc, frame, view), m_nUntitledCount(0) {
    LoadTemplate();
}
CMultiDocTemplate::~CMultiDocTemplate() {
    while (!m_docList.IsEmpty()) {
        CDocument* d = static_cast<CDocument*>(m_docList.RemoveHead());
        d->m_pDocTemplate = nullptr;
    }
    if (m_hMenuShared) ::DestroyMenu(m_hMenuShared);
    if (m_hAccelTable) ::DestroyAcceleratorTable(m_hAccelTable);
}

void CMultiDocTemplate::LoadTemplate() {
    CDocTemplate::LoadTemplate();
    LPCWSTR name = MAKEINTRESOURCEW(m_nIDResource);
    if (!m_hMenuShared) {
        HINSTANCE h = AfxFindResourceHandle(name, RT_MENU);
        if (::FindResourceW(h, name, RT_MENU)) m_hMenuShared = ::LoadMenuW(h, name);
    }
    if (!m_hAccelTable) {
        HINSTANCE h = AfxFindResourceHandle(name, RT_ACCELERATOR);
        if (::FindResourceW(h, name, RT_ACCELERATOR)) m_hAccelTable = ::LoadAcceleratorsW(h, name);
    }
}

void CMultiDocTemplate::AddDocument(CDocument* pDoc) {
    CDocTemplate::AddDocument(pDoc);
    m_docList.AddTail(pDoc);
}
void CMultiDocTemplate::RemoveDocument(CDocument* pDoc) {
    CDocTemplate::RemoveDocument(pDoc);
    if (POSITION pos = m_docList.Find(pDoc)) m_docList.RemoveAt(pos);
}

void CMultiDocTemplate::SetDefaultTitle(CDocument* pDoc) {
    CString name;
    if (!GetDocString(name, docName) || name.IsEmpty()) name.LoadString(AFX_IDS_UNTITLED);
    CString title;
    title.Format(L"%s%u", (LPCWSTR)name, m_nUntitledCount + 1);
    pDoc->SetTitle(title);
}

CDocument* CMultiDocTemplate::OpenDocumentFile(LPCWSTR path, BOOL bMakeVisible) {
    CDocument* doc = CreateNewDocument();
    if (!doc) { AfxMessageBox(AFX_IDP_FAILED_TO_CREATE_DOC); return nullptr; }
    BOOL autoDelete = doc->m_bAutoDelete;
    doc->m_bAutoDelete = FALSE;   // a failed frame must not take the document with it
    CFrameWnd* frame = CreateNewFrame(doc, nullptr);
    doc->m_bAutoDelete = autoDelete;
    if (!frame) {
        AfxMessageBox(AFX_IDP_FAILED_TO_CREATE_DOC);
        delete doc;
        return nullptr;
    }
    if (!path) {
        SetDefaultTitle(doc);
        if (!doc->OnNewDocument()) { frame->DestroyWindow(); return nullptr; }
        ++m_nUntitledCount;
    } else {
        CWaitCursor wait;
        if (!doc->OnOpenDocument(path)) { frame->DestroyWindow(); return nullptr; }
        doc->SetPathName(path);
    }
    InitialUpdateFrame(frame, doc, bMakeVisible);
    return doc;
}
