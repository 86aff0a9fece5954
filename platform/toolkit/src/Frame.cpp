#include "ToolkitFrame.h"
#include "ToolkitRes.h"

namespace {
const UINT WM_TK_CHECKACTIVE = WM_USER + 0x3A0;
const UINT kTabStripId = 0xE8F0;
const int kTabStripHeight = 24;
// Ids of the bar menu's toolbar items, clear of the program's commands.
const UINT kBarMenuFirst = 0xE880;
}

CBCGPMDITabParams::CBCGPMDITabParams()
    : m_style(CBCGPTabWnd::STYLE_3D_SCROLLED), m_tabLocation(CBCGPTabWnd::LOCATION_TOP), m_bTabCloseButton(TRUE),
      m_bTabIcons(FALSE), m_bAutoColor(FALSE), m_bDocumentMenu(FALSE), m_bEnableTabSwap(TRUE), m_bFlatFrame(TRUE),
      m_bActiveTabCloseButton(FALSE), m_nTabBorderSize(1) {}

// ---------------------------------------------------------------- frame
IMPLEMENT_DYNAMIC(CBCGPMDIFrameWnd, CMDIFrameWnd)
BEGIN_MESSAGE_MAP(CBCGPMDIFrameWnd, CMDIFrameWnd)
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_TK_CHECKACTIVE, OnCheckActiveChild)
    ON_UPDATE_COMMAND_UI_RANGE(ID_INDICATOR_CAPS, ID_INDICATOR_SCRL, OnUpdateKeyIndicator)
    ON_WM_CONTEXTMENU()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CBCGPMDIFrameWnd::CBCGPMDIFrameWnd()
    : m_dwDockStyle(0), m_dwAutoHide(0), m_uiControlBarMenuCmd(0), m_uiViewToolbarsCmd(0), m_uiFullScreenCmd(0),
      m_bFullScreen(FALSE), m_wpBeforeFullScreen(), m_dwStyleBeforeFullScreen(0), m_bMDITabs(FALSE), m_hwndTabs(nullptr),
      m_hwndLastActive(nullptr), m_bActiveKnown(FALSE), m_bCheckPosted(FALSE) {}

CBCGPMDIFrameWnd::~CBCGPMDIFrameWnd() {
    for (POSITION pos = m_rows.GetHeadPosition(); pos;) delete static_cast<Row*>(m_rows.GetNext(pos));
}

BOOL CBCGPMDIFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext) {
    if (!CMDIFrameWnd::LoadFrame(nIDResource, dwDefaultStyle, pParentWnd, pContext)) return FALSE;
    if (CBCGPWorkspace* ws = CBCGPWorkspace::GetInstance()) ws->LoadState(this);
    RecalcLayout();
    return TRUE;
}

BOOL CBCGPMDIFrameWnd::EnableDocking(DWORD dwDockStyle) {
    m_dwDockStyle = dwDockStyle & CBRS_ALIGN_ANY;
    return TRUE;
}

BOOL CBCGPMDIFrameWnd::EnableAutoHideBars(DWORD dwDockStyle, BOOL) {
    m_dwAutoHide = dwDockStyle & CBRS_ALIGN_ANY;
    return TRUE;
}

CBCGPMDIFrameWnd::Row* CBCGPMDIFrameWnd::FindRow(const CBCGPBaseControlBar* pBar) const {
    for (POSITION pos = m_rows.GetHeadPosition(); pos;) {
        Row* r = static_cast<Row*>(m_rows.GetNext(pos));
        if (r->bars.Find(const_cast<CBCGPBaseControlBar*>(pBar))) return r;
    }
    return nullptr;
}

void CBCGPMDIFrameWnd::DockControlBar(CBCGPBaseControlBar* pBar, UINT, LPCRECT) {
    // A bar that was never created is ignored, as are bars of other frames.
    if (!pBar || !pBar->m_hWnd || ::GetParent(pBar->m_hWnd) != m_hWnd) return;
    if (Row* old = FindRow(pBar)) old->bars.RemoveAt(old->bars.Find(pBar));
    DWORD allowed = pBar->GetEnabledAlignment() ? pBar->GetEnabledAlignment() : CBRS_ALIGN_ANY;
    if (m_dwDockStyle) allowed &= m_dwDockStyle;
    DWORD side = pBar->GetCurrentAlignment();
    if (!(allowed & side)) {
        static const DWORD order[] = {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT};
        for (DWORD a : order)
            if (allowed & a) {
                side = a;
                break;
            }
    }
    pBar->m_dwBarStyle = (pBar->m_dwBarStyle & ~CBRS_ALIGN_ANY) | side;
    Row* row = new Row;
    row->side = side;
    row->bars.AddTail(pBar);
    m_rows.AddTail(row);
    if (!m_bars.Find(pBar)) m_bars.AddTail(pBar);
    RecalcLayout();
}

BOOL CBCGPMDIFrameWnd::DockControlBarLeftOf(CBCGPControlBar* pBar, CBCGPControlBar* pLeftOf) {
    if (!pBar || !pLeftOf || pBar == pLeftOf || !pBar->m_hWnd || !pLeftOf->m_hWnd) return FALSE;
    Row* target = FindRow(pLeftOf);
    if (!target) return FALSE;
    if (Row* old = FindRow(pBar)) {
        old->bars.RemoveAt(old->bars.Find(pBar));
        if (old->bars.IsEmpty() && old != target) {
            m_rows.RemoveAt(m_rows.Find(old));
            delete old;
        }
    }
    target->bars.InsertBefore(target->bars.Find(pLeftOf), pBar);
    pBar->m_dwBarStyle = (pBar->m_dwBarStyle & ~CBRS_ALIGN_ANY) | target->side;
    if (!m_bars.Find(pBar)) m_bars.AddTail(pBar);
    RecalcLayout();
    return TRUE;
}

void CBCGPMDIFrameWnd::ShowControlBar(CBCGPBaseControlBar* pBar, BOOL bShow, BOOL, BOOL) {
    if (!pBar || !pBar->m_hWnd) return;
    pBar->ShowWindow(bShow ? SW_SHOWNOACTIVATE : SW_HIDE);
    RecalcLayout();
}

CBCGPBaseControlBar* CBCGPMDIFrameWnd::GetControlBar(UINT nID) {
    for (POSITION pos = m_bars.GetHeadPosition(); pos;) {
        CBCGPBaseControlBar* b = static_cast<CBCGPBaseControlBar*>(m_bars.GetNext(pos));
        if (b->m_hWnd && (UINT)b->GetDlgCtrlID() == nID) return b;
    }
    return nullptr;
}

BOOL CBCGPMDIFrameWnd::IsDocked(const CBCGPBaseControlBar* pBar) const { return FindRow(pBar) != nullptr; }

void CBCGPMDIFrameWnd::EnableControlBarMenu(BOOL bEnable, UINT uiCustomizeCmd, const CString& strCustomizeText,
                                            UINT uiViewToolbarsMenuEntryID, BOOL, BOOL) {
    m_uiControlBarMenuCmd = bEnable ? uiCustomizeCmd : 0;
    m_strCustomizeText = strCustomizeText;
    m_uiViewToolbarsCmd = uiViewToolbarsMenuEntryID;
}

void CBCGPMDIFrameWnd::RecalcLayout(BOOL) {
    if (!m_hWnd || !m_hWndMDIClient) return;
    CRect rc;
    GetClientRect(&rc);

    auto place = [&rc](DWORD side, CObList& bars) {
        int thick = 0;
        std::vector<std::pair<CBCGPBaseControlBar*, CSize>> shown;
        for (POSITION pos = bars.GetHeadPosition(); pos;) {
            CBCGPBaseControlBar* b = static_cast<CBCGPBaseControlBar*>(bars.GetNext(pos));
            if (!b->m_hWnd || !b->IsWindowVisible()) continue;
            BOOL horz = side == CBRS_ALIGN_TOP || side == CBRS_ALIGN_BOTTOM;
            CSize sz = b->CalcFixedLayout(FALSE, horz);
            shown.push_back({b, sz});
            int t = horz ? sz.cy : sz.cx;
            if (t > thick) thick = t;
        }
        if (shown.empty()) return;
        int n = (int)shown.size(), i = 0;
        int along = 0;
        for (auto& s : shown) {
            CBCGPBaseControlBar* b = s.first;
            CSize sz = s.second;
            switch (side) {
            case CBRS_ALIGN_TOP:
            case CBRS_ALIGN_BOTTOM: {
                int y = side == CBRS_ALIGN_TOP ? rc.top : rc.bottom - thick;
                // The last bar of a row takes what is left of it.
                int w = (i == n - 1) ? rc.Width() - along : sz.cx;
                if (w < 0) w = 0;
                b->SetWindowPos(nullptr, rc.left + along, y, w, thick, SWP_NOZORDER | SWP_NOACTIVATE);
                along += sz.cx;
                break;
            }
            default: {
                int x = side == CBRS_ALIGN_LEFT ? rc.left : rc.right - thick;
                int h = rc.Height() / n;
                int top = rc.top + i * h;
                if (i == n - 1) h = rc.Height() - i * h;
                b->SetWindowPos(nullptr, x, top, thick, h, SWP_NOZORDER | SWP_NOACTIVATE);
                break;
            }
            }
            ++i;
        }
        switch (side) {
        case CBRS_ALIGN_TOP: rc.top += thick; break;
        case CBRS_ALIGN_BOTTOM: rc.bottom -= thick; break;
        case CBRS_ALIGN_LEFT: rc.left += thick; break;
        default: rc.right -= thick; break;
        }
        if (rc.bottom < rc.top) rc.bottom = rc.top;
        if (rc.right < rc.left) rc.right = rc.left;
    };

    // Bars never docked (the status bar, say) keep the outermost place on their side.
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        CBCGPBaseControlBar* b = DYNAMIC_DOWNCAST(CBCGPBaseControlBar, CWnd::FromHandlePermanent(h));
        if (!b || m_bars.Find(b)) continue;
        CObList one;
        one.AddTail(b);
        place(b->GetCurrentAlignment(), one);
    }
    for (POSITION pos = m_rows.GetHeadPosition(); pos;) {
        Row* r = static_cast<Row*>(m_rows.GetNext(pos));
        place(r->side, r->bars);
    }
    if (m_hwndTabs) {
        BOOL show = m_bMDITabs && !m_children.empty();
        if (show) {
            int y = m_tabParams.m_tabLocation == CBCGPTabWnd::LOCATION_BOTTOM ? rc.bottom - kTabStripHeight : rc.top;
            ::SetWindowPos(m_hwndTabs, nullptr, rc.left, y, rc.Width(), kTabStripHeight, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
            if (m_tabParams.m_tabLocation == CBCGPTabWnd::LOCATION_BOTTOM) rc.bottom -= kTabStripHeight;
            else rc.top += kTabStripHeight;
            if (rc.bottom < rc.top) rc.bottom = rc.top;
        } else {
            ::ShowWindow(m_hwndTabs, SW_HIDE);
        }
    }
    ::MoveWindow(m_hWndMDIClient, rc.left, rc.top, rc.Width(), rc.Height(), TRUE);
}

CRect CBCGPMDIFrameWnd::GetMDIClientRect() const {
    CRect rc(0, 0, 0, 0);
    if (!m_hWndMDIClient) return rc;
    ::GetWindowRect(m_hWndMDIClient, &rc);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

void CBCGPMDIFrameWnd::ShowFullScreen() {
    if (!m_hWnd) return;
    if (!m_bFullScreen) {
        m_wpBeforeFullScreen.length = sizeof m_wpBeforeFullScreen;
        ::GetWindowPlacement(m_hWnd, &m_wpBeforeFullScreen);
        m_dwStyleBeforeFullScreen = GetStyle();
        m_hiddenForFullScreen.RemoveAll();
        // Only the work area stays: every visible bar is put away.
        for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
            CBCGPBaseControlBar* b = DYNAMIC_DOWNCAST(CBCGPBaseControlBar, CWnd::FromHandlePermanent(h));
            if (b && b->IsWindowVisible() && !DYNAMIC_DOWNCAST(CBCGPMenuBar, b)) {
                m_hiddenForFullScreen.AddTail(b);
                b->ShowWindow(SW_HIDE);
            }
        }
        m_bFullScreen = TRUE;
        ModifyStyle(WS_CAPTION | WS_THICKFRAME, 0);
        MONITORINFO mi = {};
        mi.cbSize = sizeof mi;
        ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &mi);
        SetWindowPos(nullptr, mi.rcMonitor.left, mi.rcMonitor.top, mi.rcMonitor.right - mi.rcMonitor.left,
                     mi.rcMonitor.bottom - mi.rcMonitor.top, SWP_NOZORDER | SWP_FRAMECHANGED);
    } else {
        m_bFullScreen = FALSE;
        ModifyStyle(0, m_dwStyleBeforeFullScreen & (WS_CAPTION | WS_THICKFRAME));
        ::SetWindowPlacement(m_hWnd, &m_wpBeforeFullScreen);
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        for (POSITION pos = m_hiddenForFullScreen.GetHeadPosition(); pos;) {
            CBCGPBaseControlBar* b = static_cast<CBCGPBaseControlBar*>(m_hiddenForFullScreen.GetNext(pos));
            // Bars destroyed meanwhile are skipped.
            for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
                if (CWnd::FromHandlePermanent(h) == b) {
                    b->ShowWindow(SW_SHOWNOACTIVATE);
                    break;
                }
        }
        m_hiddenForFullScreen.RemoveAll();
    }
    RecalcLayout();
}

// ---------------------------------------------------------------- tabbed MDI
void CBCGPMDIFrameWnd::EnableMDITabs(BOOL bEnable, BOOL bIcons, CBCGPTabWnd::Location tabLocation, BOOL bTabCloseButton,
                                     CBCGPTabWnd::Style style, BOOL, BOOL bActiveTabCloseButton) {
    CBCGPMDITabParams p;
    p.m_bTabIcons = bIcons;
    p.m_tabLocation = tabLocation;
    p.m_bTabCloseButton = bTabCloseButton;
    p.m_style = style;
    p.m_bActiveTabCloseButton = bActiveTabCloseButton;
    EnableMDITabbedGroups(bEnable, p);
}

void CBCGPMDIFrameWnd::EnableMDITabbedGroups(BOOL bEnable, const CBCGPMDITabParams& params) {
    m_bMDITabs = bEnable;
    BOOL relocate = m_tabParams.m_tabLocation != params.m_tabLocation;
    m_tabParams = params;
    if (m_hwndTabs && relocate) {
        ::DestroyWindow(m_hwndTabs);
        m_hwndTabs = nullptr;
    }
    if (bEnable && !m_hwndTabs && m_hWnd) {
        m_hwndTabs = ::CreateWindowExW(0, WC_TABCONTROLW, nullptr,
                                       WS_CHILD | WS_CLIPSIBLINGS | TCS_FOCUSNEVER |
                                           (params.m_tabLocation == CBCGPTabWnd::LOCATION_BOTTOM ? TCS_BOTTOM : 0),
                                       0, 0, 0, 0, m_hWnd, reinterpret_cast<HMENU>((UINT_PTR)kTabStripId),
                                       AfxGetInstanceHandle(), nullptr);
        ::SendMessageW(m_hwndTabs, WM_SETFONT, (WPARAM)::GetStockObject(DEFAULT_GUI_FONT), FALSE);
    }
    RebuildTabs();
    RecalcLayout();
}

void CBCGPMDIFrameWnd::RebuildTabs() {
    if (!m_hwndTabs) return;
    ::SendMessageW(m_hwndTabs, TCM_DELETEALLITEMS, 0, 0);
    CMDIChildWnd* active = MDIGetActive();
    for (size_t i = 0; i < m_children.size(); ++i) {
        CString title;
        if (m_children[i]->m_hWnd) m_children[i]->GetWindowText(title);
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<LPWSTR>((LPCWSTR)title);
        ::SendMessageW(m_hwndTabs, TCM_INSERTITEMW, i, (LPARAM)&item);
        if (m_children[i] == active) ::SendMessageW(m_hwndTabs, TCM_SETCURSEL, i, 0);
    }
}

BOOL CBCGPMDIFrameWnd::MDITabMoveToNextGroup(BOOL) { return FALSE; }
// One tab group only: nothing offers this command (see the tab strip's menu).
void CBCGPMDIFrameWnd::MDITabNewGroup(BOOL) {}

BOOL CBCGPMDIFrameWnd::OnShowMDITabContextMenu(CPoint, DWORD, BOOL) { return FALSE; }

CBCGPMDIChildWnd* CBCGPMDIFrameWnd::CreateDocumentWindow(LPCWSTR, CObject*) { return nullptr; }

namespace {
CString StateKey(LPCWSTR profile) {
    CString key = profile ? profile : L"";
    if (!key.IsEmpty() && key.Right(1) != L"\\") key += L"\\";
    return key + L"MDIState";
}
}

BOOL CBCGPMDIFrameWnd::SaveMDIState(LPCWSTR lpszProfileName) {
    if (!lpszProfileName || !*lpszProfileName) return FALSE;
    CString key = StateKey(lpszProfileName);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, key);
    HKEY h = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return FALSE;
    DWORD count = 0;
    CMDIChildWnd* active = MDIGetActive();
    DWORD activeIndex = (DWORD)-1;
    for (CBCGPMDIChildWnd* c : m_children) {
        CDocument* doc = c->GetActiveDocument();
        CString name = doc ? (doc->GetPathName().IsEmpty() ? doc->GetTitle() : doc->GetPathName()) : CString();
        CString value;
        value.Format(L"Document%u", (unsigned)count);
        ::RegSetValueExW(h, value, 0, REG_SZ, reinterpret_cast<const BYTE*>((LPCWSTR)name),
                         (DWORD)((name.GetLength() + 1) * sizeof(wchar_t)));
        if (c == active) activeIndex = count;
        ++count;
    }
    ::RegSetValueExW(h, L"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
    ::RegSetValueExW(h, L"Active", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&activeIndex), sizeof activeIndex);
    ::RegCloseKey(h);
    return TRUE;
}

BOOL CBCGPMDIFrameWnd::LoadMDIState(LPCWSTR lpszProfileName) {
    if (!lpszProfileName || !*lpszProfileName) return FALSE;
    HKEY h = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, StateKey(lpszProfileName), 0, KEY_READ, &h) != ERROR_SUCCESS) return FALSE;
    DWORD count = 0, size = sizeof count, type = 0;
    ::RegQueryValueExW(h, L"Count", nullptr, &type, reinterpret_cast<BYTE*>(&count), &size);
    for (DWORD i = 0; i < count && i < 256; ++i) {
        CString value;
        value.Format(L"Document%u", (unsigned)i);
        wchar_t buf[MAX_PATH + 1] = L"";
        DWORD bytes = sizeof buf - sizeof(wchar_t);
        if (::RegQueryValueExW(h, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &bytes) != ERROR_SUCCESS ||
            type != REG_SZ)
            continue;
        buf[bytes / sizeof(wchar_t)] = 0;
        if (buf[0]) CreateDocumentWindow(buf, nullptr);
    }
    ::RegCloseKey(h);
    return TRUE;
}

void CBCGPMDIFrameWnd::ShowWindowsDialog() {
    // The open windows as a menu; the one chosen becomes active.
    if (m_children.empty()) return;
    HMENU menu = ::CreatePopupMenu();
    for (size_t i = 0; i < m_children.size(); ++i) {
        CString title;
        m_children[i]->GetWindowText(title);
        ::AppendMenuW(menu, MF_STRING | (m_children[i] == MDIGetActive() ? MF_CHECKED : 0), i + 1, title);
    }
    POINT pt;
    ::GetCursorPos(&pt);
    UINT id = (UINT)::TrackPopupMenuEx(menu, TPM_RETURNCMD, pt.x, pt.y, m_hWnd, nullptr);
    ::DestroyMenu(menu);
    if (id >= 1 && id <= m_children.size()) MDIActivate(m_children[id - 1]);
}

void CBCGPMDIFrameWnd::AddTabbedChild(CBCGPMDIChildWnd* pChild) {
    m_children.push_back(pChild);
    RebuildTabs();
    RecalcLayout();
    PostActiveCheck();
}

void CBCGPMDIFrameWnd::RemoveTabbedChild(CBCGPMDIChildWnd* pChild) {
    for (auto it = m_children.begin(); it != m_children.end(); ++it)
        if (*it == pChild) {
            m_children.erase(it);
            break;
        }
    RebuildTabs();
    RecalcLayout();
    PostActiveCheck();
}

void CBCGPMDIFrameWnd::UpdateTabText(CBCGPMDIChildWnd* pChild) {
    if (!m_hwndTabs) return;
    for (size_t i = 0; i < m_children.size(); ++i) {
        if (m_children[i] != pChild) continue;
        CString title;
        pChild->GetWindowText(title);
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<LPWSTR>((LPCWSTR)title);
        ::SendMessageW(m_hwndTabs, TCM_SETITEMW, i, (LPARAM)&item);
    }
}

CBCGPMDIChildWnd* CBCGPMDIFrameWnd::GetTabbedChild(int iTab) const {
    return (iTab >= 0 && iTab < (int)m_children.size()) ? m_children[iTab] : nullptr;
}

void CBCGPMDIFrameWnd::PostActiveCheck() {
    if (m_bCheckPosted || !m_hWnd) return;
    m_bCheckPosted = ::PostMessageW(m_hWnd, WM_TK_CHECKACTIVE, 0, 0);
}

LRESULT CBCGPMDIFrameWnd::OnCheckActiveChild(WPARAM, LPARAM) {
    m_bCheckPosted = FALSE;
    OnActiveChildMaybeChanged();
    return 0;
}

void CBCGPMDIFrameWnd::OnActiveChildMaybeChanged() {
    if (!m_hWnd) return;
    CMDIChildWnd* active = MDIGetActive();
    HWND h = active ? active->m_hWnd : nullptr;
    if (m_bActiveKnown && h == m_hwndLastActive) return;
    m_bActiveKnown = TRUE;
    m_hwndLastActive = h;
    int index = -1;
    for (size_t i = 0; i < m_children.size(); ++i)
        if (m_children[i] == active) index = (int)i;
    if (m_hwndTabs && index >= 0) ::SendMessageW(m_hwndTabs, TCM_SETCURSEL, index, 0);
    SendMessage(BCGM_CHANGE_ACTIVE_TAB, (WPARAM)index, (LPARAM)active);
}

BOOL CBCGPMDIFrameWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    NMHDR* p = reinterpret_cast<NMHDR*>(lParam);
    if (!p) return FALSE;
    if (p->hwndFrom == m_hwndTabs && m_hwndTabs) {
        if (p->code == TCN_SELCHANGE) {
            int i = (int)::SendMessageW(m_hwndTabs, TCM_GETCURSEL, 0, 0);
            if (CBCGPMDIChildWnd* c = GetTabbedChild(i)) MDIActivate(c);
            PostActiveCheck();
            if (pResult) *pResult = 0;
            return TRUE;
        }
        if (p->code == NM_RCLICK) {
            POINT pt;
            ::GetCursorPos(&pt);
            // The frame keeps one tab group, so it offers neither a new group
            // nor a move to another.
            const DWORD allowed = 0;
            OnShowMDITabContextMenu(CPoint(pt.x, pt.y), allowed, FALSE);
            if (pResult) *pResult = 1;
            return TRUE;
        }
    }
    if (p->code == TBN_DROPDOWN) {
        if (CBCGPToolBar* bar = DYNAMIC_DOWNCAST(CBCGPToolBar, CWnd::FromHandlePermanent(p->hwndFrom))) {
            const NMTOOLBARW* tb = reinterpret_cast<const NMTOOLBARW*>(p);
            int index = -1;
            for (int i = 0; i < bar->GetCount(); ++i)
                if (bar->GetButton(i)->m_nID == (UINT)tb->iItem && bar->GetButton(i)->GetDropMenu()) {
                    index = i;
                    break;
                }
            if (index < 0 && bar->IsCustomizeButton()) index = bar->GetCount();
            bar->DropDown(index);
            if (pResult) *pResult = TBDDRET_DEFAULT;
            return TRUE;
        }
    }
    if (p->code == TTN_GETDISPINFOW) {
        // A button's tip is the second part of its command's string.
        NMTTDISPINFOW* tt = reinterpret_cast<NMTTDISPINFOW*>(p);
        if (!(tt->uFlags & TTF_IDISHWND) && p->idFrom) {
            CString full, tip;
            full.LoadString((UINT)p->idFrom);
            if (!AfxExtractSubString(tip, full, 1)) tip = full;
            lstrcpynW(tt->szText, tip, 80);
            tt->lpszText = tt->szText;
            if (pResult) *pResult = 0;
            return TRUE;
        }
    }
    return CMDIFrameWnd::OnNotify(wParam, lParam, pResult);
}

void CBCGPMDIFrameWnd::OnUpdateKeyIndicator(CCmdUI* pCmdUI) {
    int vk = pCmdUI->m_nID == ID_INDICATOR_CAPS ? VK_CAPITAL : pCmdUI->m_nID == ID_INDICATOR_NUM ? VK_NUMLOCK : VK_SCROLL;
    pCmdUI->Enable(::GetKeyState(vk) & 1);
}

// Flat toolbars are transparent: they ask the frame to paint what lies behind
// them, and the frame's own erase skips everything once an MDI client exists.
BOOL CBCGPMDIFrameWnd::OnEraseBkgnd(CDC* pDC) {
    HDC dc = pDC->m_hDC;
    if (::WindowFromDC(dc) == m_hWnd && m_hWndMDIClient) {
        RECT client;
        ::GetWindowRect(m_hWndMDIClient, &client);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&client), 2);
        ::ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    }
    RECT box;
    if (::GetClipBox(dc, &box) != NULLREGION) ::FillRect(dc, &box, ::GetSysColorBrush(COLOR_BTNFACE));
    return TRUE;
}

void CBCGPMDIFrameWnd::OnContextMenu(CWnd* pWnd, CPoint point) {
    CBCGPBaseControlBar* over = pWnd ? DYNAMIC_DOWNCAST(CBCGPBaseControlBar, CWnd::FromHandlePermanent(pWnd->m_hWnd)) : nullptr;
    if (!m_uiControlBarMenuCmd || !over) {
        Default();
        return;
    }
    std::vector<CBCGPToolBar*> bars;
    HMENU menu = ::CreatePopupMenu();
    for (POSITION pos = m_bars.GetHeadPosition(); pos;) {
        CObject* obj = m_bars.GetNext(pos);
        CBCGPToolBar* bar = DYNAMIC_DOWNCAST(CBCGPToolBar, obj);
        if (!bar || !bar->m_hWnd) continue;
        CString title;
        bar->GetWindowText(title);
        if (title.IsEmpty()) title.Format(ToolkitLoadString(IDS_TK_TOOLBAR_NAME), bar->GetDlgCtrlID());
        bars.push_back(bar);
        ::AppendMenuW(menu, MF_STRING | (bar->IsWindowVisible() ? MF_CHECKED : 0), kBarMenuFirst + bars.size() - 1, title);
    }
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, m_uiControlBarMenuCmd, m_strCustomizeText);
    if (point.x == -1 && point.y == -1) {
        CRect rc;
        over->GetWindowRect(&rc);
        point = rc.TopLeft();
    }
    UINT id = (UINT)::TrackPopupMenuEx(menu, TPM_RETURNCMD, point.x, point.y, m_hWnd, nullptr);
    ::DestroyMenu(menu);
    if (id >= kBarMenuFirst && id < kBarMenuFirst + bars.size()) {
        CBCGPToolBar* bar = bars[id - kBarMenuFirst];
        ShowControlBar(bar, !bar->IsWindowVisible(), FALSE, FALSE);
    } else if (id == m_uiControlBarMenuCmd) {
        SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }
}

void CBCGPMDIFrameWnd::OnClose() {
    if (CBCGPWorkspace* ws = CBCGPWorkspace::GetInstance()) ws->SaveState(this);
    CMDIFrameWnd::OnClose();
}

void CBCGPMDIFrameWnd::OnDestroy() {
    m_hiddenForFullScreen.RemoveAll();
    CMDIFrameWnd::OnDestroy();
}

// ---------------------------------------------------------------- child
IMPLEMENT_DYNCREATE(CBCGPMDIChildWnd, CMDIChildWnd)
BEGIN_MESSAGE_MAP(CBCGPMDIChildWnd, CMDIChildWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_MDIACTIVATE, OnMDIActivateTk)
    ON_MESSAGE(WM_SETTEXT, OnSetTextTk)
END_MESSAGE_MAP()

CBCGPMDIChildWnd::CBCGPMDIChildWnd() {}

CBCGPMDIFrameWnd* CBCGPMDIChildWnd::GetToolkitFrame() const { return DYNAMIC_DOWNCAST(CBCGPMDIFrameWnd, GetMDIFrame()); }

int CBCGPMDIChildWnd::OnCreate(LPCREATESTRUCT lpcs) {
    if (CMDIChildWnd::OnCreate(lpcs) == -1) return -1;
    if (CBCGPMDIFrameWnd* f = GetToolkitFrame()) f->AddTabbedChild(this);
    return 0;
}

void CBCGPMDIChildWnd::OnDestroy() {
    if (CBCGPMDIFrameWnd* f = GetToolkitFrame()) f->RemoveTabbedChild(this);
    CMDIChildWnd::OnDestroy();
}

LRESULT CBCGPMDIChildWnd::OnMDIActivateTk(WPARAM wParam, LPARAM lParam) {
    LRESULT r = CMDIChildWnd::OnMDIActivate(wParam, lParam);
    if (CBCGPMDIFrameWnd* f = GetToolkitFrame()) f->PostActiveCheck();
    return r;
}

LRESULT CBCGPMDIChildWnd::OnSetTextTk(WPARAM, LPARAM) {
    LRESULT r = Default();
    if (CBCGPMDIFrameWnd* f = GetToolkitFrame()) f->UpdateTabText(this);
    return r;
}
