#include "ToolkitFrame.h"
#include "ToolkitRes.h"

namespace {
const DWORD kWindowStyleBits = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

// Update handlers reach a status pane through this.
class CStatusCmdUI : public CCmdUI {
public:
    CBCGPStatusBar* m_pBar = nullptr;
    void Enable(BOOL bOn) override {
        m_bEnableChanged = TRUE;
        m_bEnabled = bOn;
        UINT style = m_pBar->GetPaneStyle((int)m_nIndex);
        UINT next = bOn ? (style & ~SBPS_DISABLED) : (style | SBPS_DISABLED);
        if (next != style) m_pBar->SetPaneStyle((int)m_nIndex, next);
    }
    void SetCheck(int nCheck) override {
        m_nCheck = nCheck;
        UINT style = m_pBar->GetPaneStyle((int)m_nIndex);
        UINT next = nCheck ? (style | SBPS_POPOUT) : (style & ~SBPS_POPOUT);
        if (next != style) m_pBar->SetPaneStyle((int)m_nIndex, next);
    }
    void SetText(LPCWSTR text) override {
        if (m_pBar->GetPaneText((int)m_nIndex) != (text ? text : L"")) m_pBar->SetPaneText((int)m_nIndex, text);
    }
};

HFONT BarFont() { return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)); }
}  // namespace

// ---------------------------------------------------------------- status bar
IMPLEMENT_DYNAMIC(CBCGPStatusBar, CBCGPControlBar)
BEGIN_MESSAGE_MAP(CBCGPStatusBar, CBCGPControlBar)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
    ON_MESSAGE(WM_SETTEXT, OnSetText)
END_MESSAGE_MAP()

CBCGPStatusBar::CBCGPStatusBar() {}

LRESULT CBCGPStatusBar::OnSetText(WPARAM, LPARAM lParam) {
    return SetPaneText(0, reinterpret_cast<LPCWSTR>(lParam));
}

BOOL CBCGPStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) { return CreateEx(pParentWnd, 0, dwStyle, nID); }

BOOL CBCGPStatusBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID) {
    if (!pParentWnd || !pParentWnd->m_hWnd || m_hWnd) return FALSE;
    m_dwBarStyle = (dwStyle & CBRS_ALL) | CBRS_ALIGN_BOTTOM;
    DWORD style = (dwStyle & kWindowStyleBits) | WS_CHILD | (dwCtrlStyle & 0xFFFF) | CCS_BOTTOM;
    if (!CWnd::CreateEx(0, STATUSCLASSNAMEW, nullptr, style, 0, 0, 0, 0, pParentWnd->m_hWnd,
                        reinterpret_cast<HMENU>((UINT_PTR)nID)))
        return FALSE;
    SendMessage(WM_SETFONT, (WPARAM)BarFont(), FALSE);
    return TRUE;
}

BOOL CBCGPStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount) {
    if (nIDCount < 0 || (nIDCount > 0 && !lpIDArray)) return FALSE;
    m_panes.clear();
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, BarFont());
    BOOL ok = TRUE;
    for (int i = 0; i < nIDCount; ++i) {
        Pane p{lpIDArray[i], SBPS_NORMAL, 0, CString()};
        if (p.id) {
            // The pane is as wide as the text its id names.
            if (!p.text.LoadString(p.id)) ok = FALSE;
            SIZE sz = {0, 0};
            ::GetTextExtentPoint32W(dc, p.text, p.text.GetLength(), &sz);
            p.cx = sz.cx + 8;
        } else {
            p.style = SBPS_STRETCH | SBPS_NOBORDERS;
            p.cx = 100;
        }
        m_panes.push_back(p);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    ApplyParts();
    return ok;
}

int CBCGPStatusBar::CommandToIndex(UINT nIDFind) const {
    for (size_t i = 0; i < m_panes.size(); ++i)
        if (m_panes[i].id == nIDFind) return (int)i;
    return -1;
}

UINT CBCGPStatusBar::GetItemID(int nIndex) const {
    return (nIndex >= 0 && nIndex < (int)m_panes.size()) ? m_panes[nIndex].id : 0;
}

void CBCGPStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth) {
    if (nIndex < 0 || nIndex >= (int)m_panes.size()) return;
    m_panes[nIndex].id = nID;
    m_panes[nIndex].style = nStyle;
    m_panes[nIndex].cx = cxWidth < 0 ? 0 : cxWidth;
    ApplyParts();
}

void CBCGPStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const {
    nID = 0;
    nStyle = 0;
    cxWidth = 0;
    if (nIndex < 0 || nIndex >= (int)m_panes.size()) return;
    nID = m_panes[nIndex].id;
    nStyle = m_panes[nIndex].style;
    cxWidth = m_panes[nIndex].cx;
}

void CBCGPStatusBar::SetPaneWidth(int nIndex, int cx) {
    if (nIndex < 0 || nIndex >= (int)m_panes.size()) return;
    m_panes[nIndex].cx = cx < 0 ? 0 : cx;
    ApplyParts();
}

int CBCGPStatusBar::GetPaneWidth(int nIndex) const {
    return (nIndex >= 0 && nIndex < (int)m_panes.size()) ? m_panes[nIndex].cx : 0;
}

BOOL CBCGPStatusBar::SetPaneText(int nIndex, LPCWSTR lpszNewText, BOOL) {
    if (nIndex < 0 || nIndex >= (int)m_panes.size()) return FALSE;
    m_panes[nIndex].text = lpszNewText ? lpszNewText : L"";
    if (m_hWnd) {
        // A disabled pane shows nothing.
        LPCWSTR shown = (m_panes[nIndex].style & SBPS_DISABLED) ? L"" : (LPCWSTR)m_panes[nIndex].text;
        SendMessage(SB_SETTEXTW, nIndex | ((m_panes[nIndex].style & SBPS_NOBORDERS) ? SBT_NOBORDERS : 0), (LPARAM)shown);
    }
    return TRUE;
}

CString CBCGPStatusBar::GetPaneText(int nIndex) const {
    return (nIndex >= 0 && nIndex < (int)m_panes.size()) ? m_panes[nIndex].text : CString();
}

UINT CBCGPStatusBar::GetPaneStyle(int nIndex) const {
    return (nIndex >= 0 && nIndex < (int)m_panes.size()) ? m_panes[nIndex].style : 0;
}

void CBCGPStatusBar::SetPaneStyle(int nIndex, UINT nStyle) {
    if (nIndex < 0 || nIndex >= (int)m_panes.size()) return;
    BOOL relayout = (m_panes[nIndex].style & SBPS_STRETCH) != (nStyle & SBPS_STRETCH);
    m_panes[nIndex].style = nStyle;
    if (relayout) ApplyParts();
    else SetPaneText(nIndex, m_panes[nIndex].text);
}

void CBCGPStatusBar::ApplyParts() {
    if (!m_hWnd) return;
    CRect rc;
    GetClientRect(&rc);
    int fixed = 0, stretch = -1;
    for (size_t i = 0; i < m_panes.size(); ++i) {
        if ((m_panes[i].style & SBPS_STRETCH) && stretch < 0) stretch = (int)i;
        else fixed += m_panes[i].cx;
    }
    std::vector<int> edges;
    int x = 0;
    for (size_t i = 0; i < m_panes.size(); ++i) {
        int cx = m_panes[i].cx;
        if ((int)i == stretch) cx = rc.Width() - fixed > cx ? rc.Width() - fixed : cx;
        x += cx;
        edges.push_back(x);
    }
    if (!edges.empty() && stretch < 0) edges.back() = -1;
    SendMessage(SB_SETPARTS, edges.size(), edges.empty() ? 0 : (LPARAM)edges.data());
    for (size_t i = 0; i < m_panes.size(); ++i) SetPaneText((int)i, m_panes[i].text);
}

CSize CBCGPStatusBar::CalcFixedLayout(BOOL, BOOL) {
    if (!m_hWnd) return CSize(0, 0);
    SendMessage(WM_SIZE, 0, 0);   // the control takes its own height
    CRect rc;
    GetWindowRect(&rc);
    return CSize(rc.Width(), rc.Height());
}

LRESULT CBCGPStatusBar::OnIdleUpdateCmdUI(WPARAM, LPARAM) {
    CFrameWnd* frame = GetTopLevelFrame();
    if (!frame || !IsWindowVisible()) return 0;
    CStatusCmdUI state;
    state.m_pBar = this;
    state.m_pOther = this;
    state.m_nIndexMax = (UINT)m_panes.size();
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        state.m_nID = m_panes[state.m_nIndex].id;
        if (!state.m_nID) continue;
        state.DoUpdate(frame, FALSE);
    }
    return 0;
}

// ---------------------------------------------------------------- docking bar
IMPLEMENT_DYNAMIC(CBCGPDockingControlBar, CBCGPControlBar)
BEGIN_MESSAGE_MAP(CBCGPDockingControlBar, CBCGPControlBar)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CBCGPDockingControlBar::CBCGPDockingControlBar() : m_sizeDefault(200, 200), m_bHasGripper(TRUE), m_dwBCGStyle(0) {}

BOOL CBCGPDockingControlBar::Create(LPCWSTR lpszCaption, CWnd* pParentWnd, const RECT& rect, BOOL bHasGripper, UINT nID,
                                    DWORD dwStyle, DWORD, DWORD dwBCGStyle, CCreateContext*) {
    if (!pParentWnd || !pParentWnd->m_hWnd || m_hWnd) return FALSE;
    m_sizeDefault = CSize(rect.right - rect.left, rect.bottom - rect.top);
    if (m_sizeDefault.cx <= 0) m_sizeDefault.cx = 200;
    if (m_sizeDefault.cy <= 0) m_sizeDefault.cy = 200;
    m_bHasGripper = bHasGripper;
    m_dwBCGStyle = dwBCGStyle;
    m_dwBarStyle = dwStyle & CBRS_ALL;
    if (!(m_dwBarStyle & CBRS_ALIGN_ANY)) m_dwBarStyle |= CBRS_ALIGN_LEFT;
    LPCWSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), nullptr);
    return CWnd::CreateEx(0, cls, lpszCaption, (dwStyle & kWindowStyleBits) | WS_CHILD | WS_CLIPCHILDREN, rect.left,
                          rect.top, m_sizeDefault.cx, m_sizeDefault.cy, pParentWnd->m_hWnd,
                          reinterpret_cast<HMENU>((UINT_PTR)nID));
}

BOOL CBCGPDockingControlBar::Create(LPCWSTR lpszCaption, CWnd* pParentWnd, CSize sizeDefault, BOOL bHasGripper, UINT nID,
                                    DWORD dwStyle, DWORD dwTabbedStyle, DWORD dwBCGStyle) {
    return Create(lpszCaption, pParentWnd, CRect(0, 0, sizeDefault.cx, sizeDefault.cy), bHasGripper, nID, dwStyle,
                  dwTabbedStyle, dwBCGStyle, nullptr);
}

CSize CBCGPDockingControlBar::CalcFixedLayout(BOOL, BOOL) { return m_sizeDefault; }

void CBCGPDockingControlBar::GetContentRect(CRect& rect) const {
    GetClientRect(&rect);
    rect.top += GetCaptionHeight();
    if (rect.top > rect.bottom) rect.top = rect.bottom;
}

int CBCGPDockingControlBar::OnCreate(LPCREATESTRUCT lpcs) { return CBCGPControlBar::OnCreate(lpcs); }

void CBCGPDockingControlBar::OnSize(UINT, int, int) { Invalidate(); }

BOOL CBCGPDockingControlBar::OnEraseBkgnd(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, CBCGPVisualManager::GetInstance()->GetFaceColor());
    return TRUE;
}

void CBCGPDockingControlBar::DrawCaption(CDC* pDC, const CRect& rect) {
    pDC->FillSolidRect(&rect, CBCGPVisualManager::GetInstance()->GetCaptionColor());
    CString text;
    GetWindowText(text);
    HGDIOBJ old = ::SelectObject(pDC->m_hDC, BarFont());
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(::GetSysColor(COLOR_CAPTIONTEXT));
    CRect rcText = rect;
    rcText.left += 6;
    pDC->DrawText(text, &rcText, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    ::SelectObject(pDC->m_hDC, old);
}

void CBCGPDockingControlBar::OnPaint() {
    CPaintDC dc(this);
    if (!m_bHasGripper) return;
    CRect rc;
    GetClientRect(&rc);
    rc.bottom = rc.top + GetCaptionHeight();
    DrawCaption(&dc, rc);
}

// ---------------------------------------------------------------- task pane
IMPLEMENT_DYNAMIC(CBCGPTasksPane, CBCGPDockingControlBar)
BEGIN_MESSAGE_MAP(CBCGPTasksPane, CBCGPDockingControlBar)
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {
const int kGroupCaption = 22;
const int kTaskHeight = 20;
const int kMargin = 4;
const UINT kFirstPaneCtrl = 0x7000;
}

CBCGPTasksPane::CBCGPTasksPane() : m_hIcons(nullptr), m_bNavToolbar(FALSE), m_nNextCtrlId(kFirstPaneCtrl) {}
CBCGPTasksPane::~CBCGPTasksPane() {
    if (m_hIcons) ImageList_Destroy(m_hIcons);
}

void CBCGPTasksPane::SetCaption(LPCWSTR lpszCaption) {
    if (m_hWnd) SetWindowText(lpszCaption ? lpszCaption : L"");
}

BOOL CBCGPTasksPane::SetIconsList(UINT uiImageListResID, int cx, COLORREF clrTransparent) {
    HINSTANCE h = AfxFindResourceHandle(MAKEINTRESOURCEW(uiImageListResID), RT_BITMAP);
    HIMAGELIST il = ImageList_LoadImageW(h, MAKEINTRESOURCEW(uiImageListResID), cx, 0, clrTransparent, IMAGE_BITMAP,
                                         LR_CREATEDIBSECTION);
    if (!il) return FALSE;
    SetIconsList(il);
    return TRUE;
}

void CBCGPTasksPane::SetIconsList(HIMAGELIST hIcons) {
    if (m_hIcons && m_hIcons != hIcons) ImageList_Destroy(m_hIcons);
    m_hIcons = hIcons;
}

void CBCGPTasksPane::EnableNavigationToolbar(BOOL bEnable, UINT, CSize, CSize) { m_bNavToolbar = bEnable; }

int CBCGPTasksPane::AddGroup(LPCWSTR lpszGroupName, BOOL bBottomLocation, BOOL bSpecial, HICON) {
    Group g;
    g.name = lpszGroupName ? lpszGroupName : L"";
    g.special = bSpecial;
    g.bottom = bBottomLocation;
    g.collapsed = FALSE;
    g.hwndCaption = nullptr;
    if (m_hWnd) {
        // A real button, so that clicks and accessibility tools reach it.
        g.hwndCaption = ::CreateWindowExW(0, L"BUTTON", g.name, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_LEFT | BS_FLAT,
                                          0, 0, 0, 0, m_hWnd, reinterpret_cast<HMENU>((UINT_PTR)m_nNextCtrlId++),
                                          AfxGetInstanceHandle(), nullptr);
        ::SendMessageW(g.hwndCaption, WM_SETFONT, (WPARAM)BarFont(), FALSE);
    }
    m_groups.push_back(g);
    RecalcLayout();
    return (int)m_groups.size() - 1;
}

int CBCGPTasksPane::AddTask(int nGroup, LPCWSTR lpszTaskName, int nTaskIcon, UINT uiCommandID, DWORD_PTR) {
    if (nGroup < 0 || nGroup >= (int)m_groups.size()) return -1;
    Task t{lpszTaskName ? lpszTaskName : L"", nTaskIcon, uiCommandID, nullptr};
    if (m_hWnd) {
        t.hwndButton = ::CreateWindowExW(0, L"BUTTON", t.text, WS_CHILD | BS_PUSHBUTTON | BS_LEFT | BS_FLAT, 0, 0, 0, 0,
                                         m_hWnd, reinterpret_cast<HMENU>((UINT_PTR)m_nNextCtrlId++),
                                         AfxGetInstanceHandle(), nullptr);
        ::SendMessageW(t.hwndButton, WM_SETFONT, (WPARAM)BarFont(), FALSE);
    }
    m_groups[nGroup].tasks.push_back(t);
    RecalcLayout();
    return (int)m_groups[nGroup].tasks.size() - 1;
}

int CBCGPTasksPane::AddWindow(int nGroup, HWND hwndTask, int nWndHeight, BOOL bAutoDestroyWindow, DWORD_PTR) {
    if (nGroup < 0 || nGroup >= (int)m_groups.size() || !::IsWindow(hwndTask) || !m_hWnd) return -1;
    if (::GetParent(hwndTask) != m_hWnd) ::SetParent(hwndTask, m_hWnd);
    m_groups[nGroup].windows.push_back(Hosted{hwndTask, nWndHeight < 0 ? 0 : nWndHeight, bAutoDestroyWindow});
    RecalcLayout();
    return (int)m_groups[nGroup].windows.size() - 1;
}

BOOL CBCGPTasksPane::CollapseGroup(int nGroup, BOOL bCollapse) {
    if (nGroup < 0 || nGroup >= (int)m_groups.size()) return FALSE;
    m_groups[nGroup].collapsed = bCollapse;
    RecalcLayout();
    return TRUE;
}

void CBCGPTasksPane::CollapseAllGroups(BOOL bCollapse) {
    for (Group& g : m_groups) g.collapsed = bCollapse;
    RecalcLayout();
}

BOOL CBCGPTasksPane::IsGroupCollapsed(int nGroup) const {
    return nGroup >= 0 && nGroup < (int)m_groups.size() && m_groups[nGroup].collapsed;
}

CRect CBCGPTasksPane::GetGroupRect(int nGroup) const {
    if (nGroup < 0 || nGroup >= (int)m_groups.size()) return CRect(0, 0, 0, 0);
    return m_groups[nGroup].rect;
}

HWND CBCGPTasksPane::GetGroupCaptionWnd(int nGroup) const {
    return (nGroup >= 0 && nGroup < (int)m_groups.size()) ? m_groups[nGroup].hwndCaption : nullptr;
}

HWND CBCGPTasksPane::GetTaskWnd(int nGroup, int nTask) const {
    if (nGroup < 0 || nGroup >= (int)m_groups.size()) return nullptr;
    const Group& g = m_groups[nGroup];
    return (nTask >= 0 && nTask < (int)g.tasks.size()) ? g.tasks[nTask].hwndButton : nullptr;
}

void CBCGPTasksPane::RecalcLayout(BOOL bRedraw) {
    if (!m_hWnd) return;
    CRect content;
    GetContentRect(content);
    int width = content.Width() - 2 * kMargin;
    if (width < 0) width = 0;
    int y = content.top + kMargin;
    for (Group& g : m_groups) {
        int top = y;
        if (g.hwndCaption) ::MoveWindow(g.hwndCaption, kMargin, y, width, kGroupCaption, bRedraw);
        y += kGroupCaption;
        for (Task& t : g.tasks) {
            if (!t.hwndButton) continue;
            if (g.collapsed) {
                ::ShowWindow(t.hwndButton, SW_HIDE);
                continue;
            }
            ::MoveWindow(t.hwndButton, kMargin + 8, y, width - 8, kTaskHeight, bRedraw);
            ::ShowWindow(t.hwndButton, SW_SHOWNA);
            y += kTaskHeight;
        }
        for (Hosted& w : g.windows) {
            if (!::IsWindow(w.hwnd)) continue;
            if (g.collapsed) {
                ::ShowWindow(w.hwnd, SW_HIDE);
                continue;
            }
            ::MoveWindow(w.hwnd, kMargin, y, width, w.height, bRedraw);
            ::ShowWindow(w.hwnd, SW_SHOWNA);
            y += w.height;
        }
        g.rect = CRect(content.left, top, content.right, y);
        y += kMargin;
    }
    if (bRedraw) Invalidate();
}

BOOL CBCGPTasksPane::OnCommand(WPARAM wParam, LPARAM lParam) {
    HWND from = reinterpret_cast<HWND>(lParam);
    if (from && HIWORD(wParam) == BN_CLICKED) {
        for (Group& g : m_groups) {
            if (g.hwndCaption == from) {
                g.collapsed = !g.collapsed;
                RecalcLayout();
                return TRUE;
            }
            for (Task& t : g.tasks) {
                if (t.hwndButton != from) continue;
                // As a menu command: the frame routes it and honours update handlers.
                if (t.cmd) {
                    HWND frame = ::GetParent(m_hWnd);
                    ::SendMessageW(frame, WM_COMMAND, MAKEWPARAM(t.cmd, 0), 0);
                }
                return TRUE;
            }
        }
    }
    return CBCGPDockingControlBar::OnCommand(wParam, lParam);
}

void CBCGPTasksPane::OnSize(UINT nType, int cx, int cy) {
    CBCGPDockingControlBar::OnSize(nType, cx, cy);
    RecalcLayout();
}

void CBCGPTasksPane::OnDestroy() {
    for (Group& g : m_groups)
        for (Hosted& w : g.windows)
            if (w.autoDestroy && ::IsWindow(w.hwnd)) ::DestroyWindow(w.hwnd);
    CBCGPDockingControlBar::OnDestroy();
}

// ---------------------------------------------------------------- tab window
IMPLEMENT_DYNAMIC(CBCGPTabWnd, CWnd)
BEGIN_MESSAGE_MAP(CBCGPTabWnd, CWnd)
    ON_WM_SIZE()
END_MESSAGE_MAP()

CBCGPTabWnd::CBCGPTabWnd() : m_hwndTabs(nullptr), m_style(STYLE_3D), m_location(LOCATION_BOTTOM), m_bFlatFrame(TRUE) {}
CBCGPTabWnd::~CBCGPTabWnd() {}

BOOL CBCGPTabWnd::Create(Style style, const RECT& rect, CWnd* pParentWnd, UINT nID, Location location, BOOL) {
    if (!pParentWnd || !pParentWnd->m_hWnd || m_hWnd) return FALSE;
    m_style = style;
    m_location = location;
    LPCWSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    if (!CWnd::CreateEx(0, cls, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left, rect.top,
                        rect.right - rect.left, rect.bottom - rect.top, pParentWnd->m_hWnd,
                        reinterpret_cast<HMENU>((UINT_PTR)nID)))
        return FALSE;
    m_hwndTabs = ::CreateWindowExW(0, WC_TABCONTROLW, nullptr,
                                   WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_FOCUSNEVER |
                                       (location == LOCATION_BOTTOM ? TCS_BOTTOM : 0),
                                   0, 0, 0, 0, m_hWnd, reinterpret_cast<HMENU>((UINT_PTR)1), AfxGetInstanceHandle(), nullptr);
    if (!m_hwndTabs) return FALSE;
    ::SendMessageW(m_hwndTabs, WM_SETFONT, (WPARAM)BarFont(), FALSE);
    Layout();
    return TRUE;
}

void CBCGPTabWnd::AddTab(CWnd* pTabWnd, LPCWSTR lpszTabLabel, UINT, BOOL) {
    if (!m_hwndTabs || !pTabWnd || !pTabWnd->m_hWnd) return;
    if (::GetParent(pTabWnd->m_hWnd) != m_hWnd) ::SetParent(pTabWnd->m_hWnd, m_hWnd);
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    CString label = lpszTabLabel ? lpszTabLabel : L"";
    item.pszText = const_cast<LPWSTR>((LPCWSTR)label);
    int at = (int)m_tabs.size();
    ::SendMessageW(m_hwndTabs, TCM_INSERTITEMW, at, (LPARAM)&item);
    m_tabs.push_back(Tab{pTabWnd, label});
    if (at == 0) ::SendMessageW(m_hwndTabs, TCM_SETCURSEL, 0, 0);
    Layout();
}

int CBCGPTabWnd::GetActiveTab() const {
    return m_hwndTabs ? (int)::SendMessageW(m_hwndTabs, TCM_GETCURSEL, 0, 0) : -1;
}

BOOL CBCGPTabWnd::SetActiveTab(int iTab) {
    if (iTab < 0 || iTab >= (int)m_tabs.size()) return FALSE;
    ::SendMessageW(m_hwndTabs, TCM_SETCURSEL, iTab, 0);
    Layout();
    return TRUE;
}

CWnd* CBCGPTabWnd::GetTabWnd(int iTab) const { return (iTab >= 0 && iTab < (int)m_tabs.size()) ? m_tabs[iTab].wnd : nullptr; }
CString CBCGPTabWnd::GetTabLabel(int iTab) const {
    return (iTab >= 0 && iTab < (int)m_tabs.size()) ? m_tabs[iTab].label : CString();
}

void CBCGPTabWnd::Layout() {
    if (!m_hWnd || !m_hwndTabs) return;
    CRect rc;
    GetClientRect(&rc);
    ::MoveWindow(m_hwndTabs, 0, 0, rc.Width(), rc.Height(), TRUE);
    RECT display = rc;
    ::SendMessageW(m_hwndTabs, TCM_ADJUSTRECT, FALSE, (LPARAM)&display);
    int active = GetActiveTab();
    for (size_t i = 0; i < m_tabs.size(); ++i) {
        HWND h = m_tabs[i].wnd->m_hWnd;
        if (!::IsWindow(h)) continue;
        if ((int)i == active) {
            ::SetWindowPos(h, HWND_TOP, display.left, display.top, display.right - display.left,
                           display.bottom - display.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        } else {
            ::ShowWindow(h, SW_HIDE);
        }
    }
}

void CBCGPTabWnd::OnSize(UINT, int, int) { Layout(); }

BOOL CBCGPTabWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    NMHDR* p = reinterpret_cast<NMHDR*>(lParam);
    if (p && p->hwndFrom == m_hwndTabs && p->code == TCN_SELCHANGE) {
        Layout();
        if (pResult) *pResult = 0;
        return TRUE;
    }
    return CWnd::OnNotify(wParam, lParam, pResult);
}

// ---------------------------------------------------------------- popup menu
IMPLEMENT_DYNAMIC(CBCGPPopupMenu, CObject)

CBCGPPopupMenu::CBCGPPopupMenu() : m_nLastCommand(0), m_bAutoDestroyMenu(TRUE) {}
CBCGPPopupMenu::~CBCGPPopupMenu() {}

BOOL CBCGPPopupMenu::Create(CWnd* pWndParent, int x, int y, HMENU hMenu, BOOL, BOOL bOwnMessage, BOOL bAutoDestroy) {
    m_bAutoDestroyMenu = bAutoDestroy;
    if (!hMenu || !::IsMenu(hMenu)) {
        delete this;
        return FALSE;
    }
    HWND owner = pWndParent ? pWndParent->GetSafeHwnd() : nullptr;
    HWND target = owner;
    if (!bOwnMessage) {
        // Commands go to the main frame unless the owner handles them itself.
        if (CWnd* main = AfxGetMainWnd()) target = main->GetSafeHwnd();
    }
    if (!owner) owner = target;
    UINT id = (UINT)::TrackPopupMenuEx(hMenu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, x, y, owner, nullptr);
    m_nLastCommand = id;
    if (bAutoDestroy) ::DestroyMenu(hMenu);
    if (id && target) ::SendMessageW(target, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    delete this;
    return TRUE;
}

// ---------------------------------------------------------------- customize dialog
IMPLEMENT_DYNAMIC(CBCGPToolbarCustomize, CWnd)
BEGIN_MESSAGE_MAP(CBCGPToolbarCustomize, CWnd)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CBCGPToolbarCustomize* CBCGPToolbarCustomize::s_pActive = nullptr;

CBCGPToolbarCustomize::CBCGPToolbarCustomize(CFrameWnd* pWndParentFrame, BOOL bAutoSetFromMenus, UINT uiFlags,
                                             CList<CRuntimeClass*, CRuntimeClass*>*)
    : m_pParentFrame(pWndParentFrame), m_bAutoSetFromMenus(bAutoSetFromMenus), m_uiFlags(uiFlags), m_bFilling(FALSE) {}

CBCGPToolbarCustomize::~CBCGPToolbarCustomize() {
    if (s_pActive == this) s_pActive = nullptr;
}

BOOL CBCGPToolbarCustomize::Create() {
    if (m_hWnd || !m_pParentFrame || !m_pParentFrame->m_hWnd) return FALSE;
    LPCWSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CRect frame;
    m_pParentFrame->GetWindowRect(&frame);
    const int w = 320, h = 300;
    if (!CWnd::CreateEx(WS_EX_DLGMODALFRAME, cls, ToolkitLoadString(IDS_TK_CUSTOMIZE),
                        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, frame.left + 40, frame.top + 40, w, h,
                        m_pParentFrame->m_hWnd, nullptr))
        return FALSE;
    s_pActive = this;
    HFONT font = BarFont();
    CRect rc;
    GetClientRect(&rc);
    HINSTANCE inst = AfxGetInstanceHandle();
    HWND label = ::CreateWindowExW(0, L"STATIC", ToolkitLoadString(IDS_TK_TOOLBARS_LABEL), WS_CHILD | WS_VISIBLE, 10, 8,
                                   rc.Width() - 20, 16, m_hWnd, (HMENU)(UINT_PTR)IDC_LABEL, inst, nullptr);
    HWND list = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr,
                                  WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                                  10, 28, rc.Width() - 110, rc.Height() - 38, m_hWnd,
                                  (HMENU)(UINT_PTR)IDC_TOOLBARS, inst, nullptr);
    HWND reset = ::CreateWindowExW(0, L"BUTTON", ToolkitLoadString(IDS_TK_RESET), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                   rc.Width() - 90, 28, 80, 24, m_hWnd, (HMENU)(UINT_PTR)IDC_RESET, inst, nullptr);
    HWND close = ::CreateWindowExW(0, L"BUTTON", ToolkitLoadString(IDS_TK_CLOSE), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                   rc.Width() - 90, rc.Height() - 34, 80, 24, m_hWnd, (HMENU)(UINT_PTR)IDC_CLOSEBTN, inst,
                                   nullptr);
    for (HWND c : {label, list, reset, close})
        if (c) ::SendMessageW(c, WM_SETFONT, (WPARAM)font, FALSE);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNW col = {};
    col.mask = LVCF_WIDTH;
    col.cx = rc.Width() - 140;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, (LPARAM)&col);
    Fill();
    return TRUE;
}

void CBCGPToolbarCustomize::Fill() {
    HWND list = ::GetDlgItem(m_hWnd, IDC_TOOLBARS);
    m_bFilling = TRUE;
    ListView_DeleteAllItems(list);
    const CObList& bars = CBCGPToolBar::GetAllToolbars();
    int i = 0;
    for (POSITION pos = bars.GetHeadPosition(); pos;) {
        CBCGPToolBar* bar = static_cast<CBCGPToolBar*>(bars.GetNext(pos));
        if (!bar->m_hWnd || ::GetParent(bar->m_hWnd) != m_pParentFrame->m_hWnd) continue;
        CString title;
        bar->GetWindowText(title);
        if (title.IsEmpty()) title.Format(ToolkitLoadString(IDS_TK_TOOLBAR_NAME), bar->GetDlgCtrlID());
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = i;
        item.pszText = const_cast<LPWSTR>((LPCWSTR)title);
        item.lParam = (LPARAM)bar;
        ::SendMessageW(list, LVM_INSERTITEMW, 0, (LPARAM)&item);
        ListView_SetCheckState(list, i, bar->IsWindowVisible());
        ++i;
    }
    m_bFilling = FALSE;
}

BOOL CBCGPToolbarCustomize::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    NMLISTVIEW* nm = reinterpret_cast<NMLISTVIEW*>(lParam);
    if (nm && nm->hdr.idFrom == IDC_TOOLBARS && nm->hdr.code == LVN_ITEMCHANGED && !m_bFilling &&
        (nm->uChanged & LVIF_STATE) && ((nm->uNewState ^ nm->uOldState) & LVIS_STATEIMAGEMASK)) {
        // A check shows the bar, a cleared one hides it.
        CBCGPToolBar* bar = reinterpret_cast<CBCGPToolBar*>(nm->lParam);
        BOOL show = ((nm->uNewState & LVIS_STATEIMAGEMASK) >> 12) == 2;
        if (CBCGPToolBar::GetAllToolbars().Find(bar) && bar->m_hWnd && bar->IsWindowVisible() != show)
            bar->ShowControlBar(show);
        if (pResult) *pResult = 0;
        return TRUE;
    }
    return CWnd::OnNotify(wParam, lParam, pResult);
}

BOOL CBCGPToolbarCustomize::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    if (id == IDC_CLOSEBTN || id == IDCANCEL) {
        DestroyWindow();
        return TRUE;
    }
    if (id == IDC_RESET) {
        HWND list = ::GetDlgItem(m_hWnd, IDC_TOOLBARS);
        int sel = ListView_GetNextItem(list, -1, LVNI_SELECTED);
        if (sel >= 0) {
            LVITEMW item = {};
            item.mask = LVIF_PARAM;
            item.iItem = sel;
            ::SendMessageW(list, LVM_GETITEMW, 0, (LPARAM)&item);
            CBCGPToolBar* bar = reinterpret_cast<CBCGPToolBar*>(item.lParam);
            // The list may be older than the bar: only bars still alive are reset.
            if (CBCGPToolBar::GetAllToolbars().Find(bar)) bar->RestoreOriginalstate();
        }
        return TRUE;
    }
    return CWnd::OnCommand(wParam, lParam);
}

void CBCGPToolbarCustomize::OnClose() { DestroyWindow(); }

void CBCGPToolbarCustomize::PostNcDestroy() { delete this; }
