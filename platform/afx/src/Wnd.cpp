#include "AfxWindows.h"
#include "AfxImpl.h"
#include "AfxTestScript.h"
#include <unordered_map>
#include <vector>
#include <mutex>
#include <atomic>

// ---------------------------------------------------------------- command targets
IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

CCmdTarget::CCmdTarget() {}

static const AFX_MSGMAP* PASCAL NoBaseMap() { return nullptr; }
const AFX_MSGMAP* PASCAL CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr, nullptr}};
    static const AFX_MSGMAP map = {&NoBaseMap, entries};
    return &map;
}
const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindEntry(const AFX_MSGMAP* pMap, UINT nMsg, UINT nCode, UINT nID) {
    for (; pMap; pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = pMap->lpEntries; e->nSig != AfxSig_end; ++e) {
            UINT msg = e->pnRegistered ? *e->pnRegistered : e->nMessage;
            if (msg == nMsg && e->nCode == nCode && nID >= e->nID && nID <= e->nLastID) return e;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    UINT nMsg = WM_COMMAND;
    UINT code = (UINT)nCode;
    if (HIWORD(code) == WM_NOTIFY && nCode != (int)CN_UPDATE_COMMAND_UI) { nMsg = WM_NOTIFY; code = LOWORD(code); }
    const AFX_MSGMAP_ENTRY* e = FindEntry(GetMessageMap(), nMsg, code, nID);
    if (!e) return FALSE;
    if (pHandlerInfo) {
        pHandlerInfo->pTarget = this;
        pHandlerInfo->pmf = e->pfn;
        return TRUE;
    }
    switch (e->nSig) {
    case AfxSig_vv:
        (this->*e->pfn)();
        return TRUE;
    case AfxSig_vw:
        (this->*AfxPmfCast<void (CCmdTarget::*)(UINT)>(e->pfn))(nID);
        return TRUE;
    case AfxSig_cmdui:
    case AfxSig_cmduiw: {
        CCmdUI* pCmdUI = static_cast<CCmdUI*>(pExtra);
        pCmdUI->m_bContinueRouting = FALSE;
        (this->*AfxPmfCast<void (CCmdTarget::*)(CCmdUI*)>(e->pfn))(pCmdUI);
        return !pCmdUI->m_bContinueRouting;
    }
    case AfxSig_vNMHDRpl: {
        auto* p = static_cast<std::pair<NMHDR*, LRESULT*>*>(pExtra);
        (this->*AfxPmfCast<void (CCmdTarget::*)(NMHDR*, LRESULT*)>(e->pfn))(p->first, p->second);
        return TRUE;
    }
    }
    return FALSE;
}

void CCmdTarget::BeginWaitCursor() { if (CWinApp* app = AfxGetApp()) app->DoWaitCursor(1); else ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT)); }
void CCmdTarget::EndWaitCursor() { if (CWinApp* app = AfxGetApp()) app->DoWaitCursor(-1); else ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW)); }
void CCmdTarget::RestoreWaitCursor() { if (CWinApp* app = AfxGetApp()) app->DoWaitCursor(0); }

CWaitCursor::CWaitCursor() : m_hcurPrev(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
CWaitCursor::~CWaitCursor() { ::SetCursor(m_hcurPrev ? m_hcurPrev : ::LoadCursorW(nullptr, IDC_ARROW)); }
void CWaitCursor::Restore() { ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT)); }

// ---------------------------------------------------------------- CCmdUI
CCmdUI::CCmdUI()
    : m_nID(0), m_nIndex(0), m_pMenu(nullptr), m_pSubMenu(nullptr), m_pOther(nullptr), m_bEnableChanged(FALSE),
      m_bContinueRouting(FALSE), m_nIndexMax(0), m_pParentMenu(nullptr), m_bEnabled(TRUE), m_nCheck(0) {}

void CCmdUI::Enable(BOOL bOn) {
    m_bEnabled = bOn;
    if (m_pMenu) {
        if (!m_pSubMenu)
            m_pMenu->EnableMenuItem(m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    } else if (m_pOther) {
        m_pOther->EnableWindow(bOn);
    }
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck) {
    m_nCheck = nCheck;
    if (m_pMenu) {
        if (!m_pSubMenu) m_pMenu->CheckMenuItem(m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
    } else if (m_pOther && (m_pOther->SendMessage(WM_GETDLGCODE) & DLGC_BUTTON)) {
        m_pOther->SendMessage(BM_SETCHECK, nCheck);
    }
}

void CCmdUI::SetRadio(BOOL bOn) {
    m_nCheck = bOn ? 1 : 0;
    if (m_pMenu) {
        if (m_pSubMenu) return;
        MENUITEMINFOW mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_STATE;
        ::GetMenuItemInfoW(m_pMenu->m_hMenu, m_nIndex, TRUE, &mii);
        mii.fType |= MFT_RADIOCHECK;
        mii.fState = (mii.fState & ~MFS_CHECKED) | (bOn ? MFS_CHECKED : 0);
        ::SetMenuItemInfoW(m_pMenu->m_hMenu, m_nIndex, TRUE, &mii);
    } else {
        SetCheck(bOn ? 1 : 0);
    }
}

void CCmdUI::SetText(LPCWSTR lpszText) {
    if (m_pMenu) {
        if (m_pSubMenu) return;
        UINT state = m_pMenu->GetMenuState(m_nIndex, MF_BYPOSITION);
        state &= ~(MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR | MF_POPUP | 0xFF00);
        m_pMenu->ModifyMenu(m_nIndex, MF_BYPOSITION | MF_STRING | state, m_nID, lpszText);
    } else if (m_pOther) {
        m_pOther->SetWindowText(lpszText);
    }
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) {
    m_bEnableChanged = FALSE;
    BOOL handled = pTarget->OnCmdMsg(m_nID, (int)CN_UPDATE_COMMAND_UI, this, nullptr);
    if (bDisableIfNoHndler && !m_bEnableChanged) {
        AFX_CMDHANDLERINFO info = {nullptr, nullptr};
        BOOL hasHandler = pTarget->OnCmdMsg(m_nID, CN_COMMAND, nullptr, &info);
        Enable(hasHandler);
        m_bEnableChanged = FALSE;   // the default, not an update handler's choice
    }
    return handled;
}

// ---------------------------------------------------------------- handle maps
// The permanent map is one for every thread: a window object is found from a
// frame thread too. Temporary wrappers belong to the thread that asked for
// them, keyed by handle so that a drawing loop reuses them; the user-interface
// thread frees its own at idle time, other threads theirs when they end.
namespace {
struct HandleMaps {
    std::mutex lock;
    std::unordered_map<HWND, CWnd*> permanent;
};
HandleMaps& Maps() { static HandleMaps m; return m; }

// Live temporary wrappers of all threads, for the tests.
std::atomic<long> g_tempCount{0};

struct TempMaps {
    std::unordered_map<HWND, CWnd*> wnds;
    std::unordered_map<void*, CObject*> gdi;
    ~TempMaps() { Free(); }
    void Free() {
        std::unordered_map<HWND, CWnd*> w;
        std::unordered_map<void*, CObject*> g;
        w.swap(wnds);
        g.swap(gdi);
        g_tempCount -= long(w.size() + g.size());
        for (auto& kv : w) { kv.second->m_hWnd = nullptr; delete kv.second; }
        for (auto& kv : g) {
            CObject* o = kv.second;
            if (CDC* dc = DYNAMIC_DOWNCAST(CDC, o)) dc->m_hDC = dc->m_hAttribDC = nullptr;
            else if (CGdiObject* go = DYNAMIC_DOWNCAST(CGdiObject, o)) go->m_hObject = nullptr;
            else if (CMenu* m = DYNAMIC_DOWNCAST(CMenu, o)) m->m_hMenu = nullptr;
            delete o;
        }
    }
};
// Native thread storage, so that a thread's wrappers can be freed in
// DLL_THREAD_DETACH, when the runtime's own thread storage is already gone.
DWORD g_tempTls = TLS_OUT_OF_INDEXES;
TempMaps& Temp() {
    if (g_tempTls == TLS_OUT_OF_INDEXES) {
        DWORD idx = ::TlsAlloc();
        if (InterlockedCompareExchange(reinterpret_cast<volatile LONG*>(&g_tempTls), (LONG)idx,
                                       (LONG)TLS_OUT_OF_INDEXES) != (LONG)TLS_OUT_OF_INDEXES)
            ::TlsFree(idx);
    }
    TempMaps* p = static_cast<TempMaps*>(::TlsGetValue(g_tempTls));
    if (!p) {
        p = new TempMaps;
        ::TlsSetValue(g_tempTls, p);
    }
    return *p;
}
#define t_temp Temp()

thread_local CWnd* t_pWndInit = nullptr;
thread_local HHOOK t_hHookCbt = nullptr;
}

CObject* AfxImplFindTempGdi(void* h, CRuntimeClass* pClass) {
    auto it = t_temp.gdi.find(h);
    if (it == t_temp.gdi.end()) return nullptr;
    if (it->second->GetRuntimeClass() == pClass) return it->second;
    // The handle now names an object of another kind: the old wrapper is stale.
    CObject* stale = it->second;
    t_temp.gdi.erase(it);
    --g_tempCount;
    if (CDC* dc = DYNAMIC_DOWNCAST(CDC, stale)) dc->m_hDC = dc->m_hAttribDC = nullptr;
    else if (CGdiObject* go = DYNAMIC_DOWNCAST(CGdiObject, stale)) go->m_hObject = nullptr;
    else if (CMenu* m = DYNAMIC_DOWNCAST(CMenu, stale)) m->m_hMenu = nullptr;
    delete stale;
    return nullptr;
}

void AfxImplAddTempGdi(void* h, CObject* p) {
    t_temp.gdi[h] = p;
    ++g_tempCount;
}

long AFXAPI AfxTestTempWrapperCount() { return g_tempCount.load(); }

void AFXAPI AfxUnlockTempMaps() { t_temp.Free(); }

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_THREAD_DETACH && g_tempTls != TLS_OUT_OF_INDEXES) {
        if (TempMaps* p = static_cast<TempMaps*>(::TlsGetValue(g_tempTls))) {
            ::TlsSetValue(g_tempTls, nullptr);
            delete p;
        }
    }
    return TRUE;
}

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr), m_msgCur(), m_pPendingContext(nullptr) {}

CWnd::~CWnd() {
    if (m_hWnd) {
        HWND h = m_hWnd;
        // A destroyed C++ object must not receive messages any more.
        Detach();
        ::DestroyWindow(h);
    }
}

CWnd* PASCAL CWnd::FromHandlePermanent(HWND hWnd) {
    if (!hWnd) return nullptr;
    std::lock_guard<std::mutex> g(Maps().lock);
    auto it = Maps().permanent.find(hWnd);
    return it == Maps().permanent.end() ? nullptr : it->second;
}

CWnd* PASCAL CWnd::FromHandle(HWND hWnd) {
    if (!hWnd) return nullptr;
    if (CWnd* p = FromHandlePermanent(hWnd)) return p;
    auto t = t_temp.wnds.find(hWnd);
    if (t != t_temp.wnds.end()) return t->second;
    CWnd* p = new CWnd;
    p->m_hWnd = hWnd;
    t_temp.wnds[hWnd] = p;
    ++g_tempCount;
    return p;
}

BOOL CWnd::Attach(HWND hWnd) {
    if (!hWnd) return FALSE;
    auto t = t_temp.wnds.find(hWnd);
    if (t != t_temp.wnds.end()) {
        t->second->m_hWnd = nullptr;
        delete t->second;
        t_temp.wnds.erase(t);
        --g_tempCount;
    }
    std::lock_guard<std::mutex> g(Maps().lock);
    Maps().permanent[hWnd] = this;
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND h = m_hWnd;
    if (h) {
        std::lock_guard<std::mutex> g(Maps().lock);
        auto it = Maps().permanent.find(h);
        if (it != Maps().permanent.end() && it->second == this) Maps().permanent.erase(it);
    }
    m_hWnd = nullptr;
    return h;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!hWnd || !Attach(hWnd)) return FALSE;
    WNDPROC old = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (old != &AfxWndProc) m_pfnSuper = old;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    HWND h = ::GetDlgItem(pParent->GetSafeHwnd(), nID);
    return h ? SubclassWindow(h) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    if (m_hWnd && m_pfnSuper) ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

LRESULT CALLBACK AfxCbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && t_pWndInit) {
        CWnd* p = t_pWndInit;
        t_pWndInit = nullptr;
        p->SubclassWindow(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(t_hHookCbt, code, wParam, lParam);
}

namespace {
// Attaches the next window this thread creates to pWnd.
struct CreationHook {
    explicit CreationHook(CWnd* pWnd) : prev(t_pWndInit), hadHook(t_hHookCbt != nullptr) {
        t_pWndInit = pWnd;
        if (!hadHook) t_hHookCbt = ::SetWindowsHookExW(WH_CBT, &AfxCbtHook, nullptr, ::GetCurrentThreadId());
    }
    ~CreationHook() {
        t_pWndInit = prev;
        if (!hadHook && t_hHookCbt) { ::UnhookWindowsHookEx(t_hHookCbt); t_hHookCbt = nullptr; }
    }
    CWnd* prev;
    bool hadHook;
};
}

void AfxImplInitControls() {
    static LONG done = 0;
    if (InterlockedExchange(&done, 1)) return;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                                ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&icc);
}

HWND AfxImplCreateDialog(CWnd* pWnd, HINSTANCE h, LPCWSTR name, HWND hParent, DLGPROC proc, BOOL bModal,
                         INT_PTR* pResult) {
    AfxImplInitControls();
    CreationHook hook(pWnd);
    if (bModal) {
        *pResult = ::DialogBoxParamW(h, name, hParent, proc, 0);
        return nullptr;
    }
    return ::CreateDialogParamW(h, name, hParent, proc, 0);
}

HWND AfxImplCreateMDIChild(CWnd* pWnd, HWND hWndClient, MDICREATESTRUCTW* pMcs) {
    CreationHook hook(pWnd);
    return reinterpret_cast<HWND>(::SendMessageW(hWndClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(pMcs)));
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (!pWnd) return ::DefWindowProcW(hWnd, nMsg, wParam, lParam);
    MSG prev = pWnd->m_msgCur;
    pWnd->m_msgCur.hwnd = hWnd;
    pWnd->m_msgCur.message = nMsg;
    pWnd->m_msgCur.wParam = wParam;
    pWnd->m_msgCur.lParam = lParam;
    LRESULT r = pWnd->WindowProc(nMsg, wParam, lParam);
    if (nMsg == WM_NCDESTROY) {
        WNDPROC super = pWnd->m_pfnSuper;
        if (super) ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
        pWnd->m_pfnSuper = nullptr;
        pWnd->Detach();
        pWnd->PostNcDestroy();   // may delete pWnd
        return r;
    }
    // The handler may have destroyed and deleted the window (WM_CLOSE).
    if (CWnd::FromHandlePermanent(hWnd) == pWnd) pWnd->m_msgCur = prev;
    return r;
}

LPCWSTR AFXAPI AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
    static std::mutex lock;
    static std::vector<CString> names;
    CString name;
    name.Format(L"Afx:%p:%x:%p:%p:%p", (void*)AfxGetInstanceHandle(), nClassStyle, (void*)hCursor,
                (void*)hbrBackground, (void*)hIcon);
    std::lock_guard<std::mutex> g(lock);
    for (const CString& n : names) if (n == name) return n;
    WNDCLASSW wc = {};
    wc.style = nClassStyle;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;
    wc.hIcon = hIcon;
    wc.lpszClassName = name;
    if (!::RegisterClassW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    names.push_back(name);
    return names.back();
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    // Views and plain windows get double clicks (the measuring tools close polygons with them).
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
    if (m_hWnd) return FALSE;
    CREATESTRUCTW cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = (LONG)dwStyle;
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) { PostNcDestroy(); return FALSE; }
    AfxImplInitControls();
    HWND h;
    {
        CreationHook hook(this);
        h = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, (DWORD)cs.style, cs.x, cs.y, cs.cx, cs.cy,
                              cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    }
    // A failed WM_CREATE has already ended in WM_NCDESTROY and PostNcDestroy.
    return h != nullptr;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                    CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, (pParentWnd ? pParentWnd->m_hWnd : nullptr), reinterpret_cast<HMENU>((UINT_PTR)nID), lpParam);
}

BOOL CWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                  UINT nID, CCreateContext* pContext) {
    m_pPendingContext = pContext;
    BOOL ok = CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID, nullptr);
    return ok;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

void CWnd::PostNcDestroy() {}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(m_msgCur.message, m_msgCur.wParam, m_msgCur.lParam); }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT r = 0;
    if (!OnWndMsg(message, wParam, lParam, &r)) r = DefWindowProc(message, wParam, lParam);
    return r;
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

namespace {
CPoint PointOf(LPARAM lParam) { return CPoint((short)LOWORD(lParam), (short)HIWORD(lParam)); }

// A temporary CDC around a handle the system passed in a message.
struct MsgDC {
    explicit MsgDC(HDC h) { dc.m_hDC = dc.m_hAttribDC = h; }
    ~MsgDC() { dc.m_hDC = dc.m_hAttribDC = nullptr; }
    CDC dc;
};
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    LRESULT r = 0;
    if (message == WM_COMMAND) {
        if (OnCommand(wParam, lParam)) { *pResult = 0; return TRUE; }
        return FALSE;
    }
    if (message == WM_NOTIFY) {
        NMHDR* p = reinterpret_cast<NMHDR*>(lParam);
        if (p && p->hwndFrom) {
            if (CWnd* child = FromHandlePermanent(p->hwndFrom))
                if (child->OnChildNotify(message, wParam, lParam, pResult)) return TRUE;
        }
        return OnNotify(wParam, lParam, pResult);
    }
    // Owner-draw messages go to the control they concern first.
    if (message == WM_DRAWITEM || message == WM_MEASUREITEM || message == WM_COMPAREITEM || message == WM_DELETEITEM) {
        HWND hCtl = nullptr;
        if (message == WM_DRAWITEM) {
            auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (d->CtlType != ODT_MENU) hCtl = d->hwndItem;
        } else if (message == WM_MEASUREITEM) {
            auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (m->CtlType != ODT_MENU) hCtl = ::GetDlgItem(m_hWnd, (int)m->CtlID);
        } else if (message == WM_COMPAREITEM) {
            hCtl = reinterpret_cast<COMPAREITEMSTRUCT*>(lParam)->hwndItem;
        } else {
            hCtl = reinterpret_cast<DELETEITEMSTRUCT*>(lParam)->hwndItem;
        }
        if (CWnd* child = FromHandlePermanent(hCtl))
            if (child->OnChildNotify(message, wParam, lParam, pResult)) return TRUE;
    }
    UINT ctlColorType = 0;
    BOOL isCtlColor = FALSE;
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        ctlColorType = message - WM_CTLCOLORMSGBOX;
        isCtlColor = TRUE;
    }
    const AFX_MSGMAP_ENTRY* e = FindEntry(GetMessageMap(), isCtlColor ? (UINT)WM_CTLCOLOR : message, 0, 0);
    if (!e) return FALSE;
    typedef void (CWnd::*PV)();
    switch (e->nSig) {
    case AfxSig_vv:
        (this->*AfxPmfCast<PV>(e->pfn))();
        break;
    case AfxSig_lwl:
        r = (this->*AfxPmfCast<LRESULT (CWnd::*)(WPARAM, LPARAM)>(e->pfn))(wParam, lParam);
        break;
    case AfxSig_is:
        r = (this->*AfxPmfCast<int (CWnd::*)(LPCREATESTRUCT)>(e->pfn))(reinterpret_cast<LPCREATESTRUCT>(lParam));
        break;
    case AfxSig_vwii:
        (this->*AfxPmfCast<void (CWnd::*)(UINT, int, int)>(e->pfn))((UINT)wParam, (short)LOWORD(lParam), (short)HIWORD(lParam));
        break;
    case AfxSig_vtimer:
        (this->*AfxPmfCast<void (CWnd::*)(UINT_PTR)>(e->pfn))((UINT_PTR)wParam);
        break;
    case AfxSig_bD: {
        MsgDC dc(reinterpret_cast<HDC>(wParam));
        r = (this->*AfxPmfCast<BOOL (CWnd::*)(CDC*)>(e->pfn))(&dc.dc);
        break;
    }
    case AfxSig_vwp:
        (this->*AfxPmfCast<void (CWnd::*)(UINT, CPoint)>(e->pfn))((UINT)wParam, PointOf(lParam));
        break;
    case AfxSig_vwww:
        (this->*AfxPmfCast<void (CWnd::*)(UINT, UINT, UINT)>(e->pfn))((UINT)wParam, LOWORD(lParam), HIWORD(lParam));
        break;
    case AfxSig_bWww:
        r = (this->*AfxPmfCast<BOOL (CWnd::*)(CWnd*, UINT, UINT)>(e->pfn))(
            FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam), HIWORD(lParam));
        break;
    case AfxSig_vwwS: {
        HWND hBar = reinterpret_cast<HWND>(lParam);
        (this->*AfxPmfCast<void (CWnd::*)(UINT, UINT, CScrollBar*)>(e->pfn))(
            LOWORD(wParam), HIWORD(wParam), static_cast<CScrollBar*>(FromHandle(hBar)));
        break;
    }
    case AfxSig_hDWw: {
        MsgDC dc(reinterpret_cast<HDC>(wParam));
        r = reinterpret_cast<LRESULT>((this->*AfxPmfCast<HBRUSH (CWnd::*)(CDC*, CWnd*, UINT)>(e->pfn))(
            &dc.dc, FromHandle(reinterpret_cast<HWND>(lParam)), ctlColorType));
        break;
    }
    case AfxSig_vWp:
        (this->*AfxPmfCast<void (CWnd::*)(CWnd*, CPoint)>(e->pfn))(FromHandle(reinterpret_cast<HWND>(wParam)), PointOf(lParam));
        break;
    case AfxSig_bwsp:
        r = (this->*AfxPmfCast<BOOL (CWnd::*)(UINT, short, CPoint)>(e->pfn))(
            LOWORD(wParam), (short)HIWORD(wParam), PointOf(lParam));
        break;
    case AfxSig_vW:
        (this->*AfxPmfCast<void (CWnd::*)(CWnd*)>(e->pfn))(FromHandle(reinterpret_cast<HWND>(wParam)));
        break;
    case AfxSig_vb:
        (this->*AfxPmfCast<void (CWnd::*)(BOOL, UINT)>(e->pfn))((BOOL)wParam, (UINT)lParam);
        break;
    case AfxSig_vwW:
        (this->*AfxPmfCast<void (CWnd::*)(UINT, CWnd*, BOOL)>(e->pfn))(
            LOWORD(wParam), FromHandle(reinterpret_cast<HWND>(lParam)), HIWORD(wParam) != 0);
        break;
    default:
        return FALSE;
    }
    *pResult = r;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT nID = LOWORD(wParam);
    HWND hWndCtrl = reinterpret_cast<HWND>(lParam);
    int nCode = HIWORD(wParam);
    if (!hWndCtrl) {
        // Menu or accelerator: a command its update handler disables is not run.
        CCmdUI state;
        state.m_nID = nID;
        OnCmdMsg(nID, (int)CN_UPDATE_COMMAND_UI, &state, nullptr);
        if (state.m_bEnableChanged && !state.m_bEnabled) return TRUE;
        nCode = CN_COMMAND;
    } else if (CWnd* child = FromHandlePermanent(hWndCtrl)) {
        LRESULT r = 0;
        if (child->OnChildNotify(WM_COMMAND, wParam, lParam, &r)) return TRUE;
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
    NMHDR* p = reinterpret_cast<NMHDR*>(lParam);
    if (!p) return FALSE;
    const AFX_MSGMAP_ENTRY* e = FindEntry(GetMessageMap(), WM_NOTIFY, p->code, (UINT)p->idFrom);
    if (!e) return FALSE;
    *pResult = 0;
    (this->*AfxPmfCast<void (CCmdTarget::*)(NMHDR*, LRESULT*)>(e->pfn))(p, pResult);
    return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL PASCAL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg) {
    for (HWND h = pMsg->hwnd; h; h = ::GetParent(h)) {
        if (CWnd* p = FromHandlePermanent(h))
            if (p->PreTranslateMessage(pMsg)) return TRUE;
        if (h == hWndStop) break;
    }
    return FALSE;
}

void CWnd::CalcWindowRect(LPRECT r, UINT) { ::AdjustWindowRectEx(r, GetStyle(), FALSE, GetExStyle()); }

// ---------------------------------------------------------------- handlers' defaults
int CWnd::OnCreate(LPCREATESTRUCT) { return (int)Default(); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return (BOOL)Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return (BOOL)Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return (BOOL)Default(); }
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }

// ---------------------------------------------------------------- thin members
// Every member is harmless on a window that was never created.
#define NOWND(ret) if (!m_hWnd) return ret

CWnd* CWnd::GetParent() const { NOWND(nullptr); return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::GetOwner() const { NOWND(nullptr); return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }
CWnd* CWnd::GetTopLevelParent() const {
    NOWND(nullptr);
    HWND h = m_hWnd, p;
    while ((::GetWindowLongW(h, GWL_STYLE) & WS_CHILD) && (p = ::GetParent(h)) != nullptr) h = p;
    return FromHandle(h);
}
CFrameWnd* CWnd::GetParentFrame() const {
    NOWND(nullptr);
    for (HWND h = ::GetParent(m_hWnd); h; h = ::GetParent(h)) {
        CWnd* p = FromHandlePermanent(h);
        if (p && p->IsKindOf(RUNTIME_CLASS(CFrameWnd))) return static_cast<CFrameWnd*>(p);
    }
    return nullptr;
}
CFrameWnd* CWnd::GetTopLevelFrame() const {
    NOWND(nullptr);
    CFrameWnd* f = IsKindOf(RUNTIME_CLASS(CFrameWnd)) ? (CFrameWnd*)this : GetParentFrame();
    while (f) { CFrameWnd* up = f->GetParentFrame(); if (!up) break; f = up; }
    return f;
}
CWnd* CWnd::GetDlgItem(int nID) const { NOWND(nullptr); return FromHandle(::GetDlgItem(m_hWnd, nID)); }
void CWnd::GetDlgItem(int nID, HWND* ph) const { *ph = m_hWnd ? ::GetDlgItem(m_hWnd, nID) : nullptr; }
int CWnd::GetDlgCtrlID() const { NOWND(0); return ::GetDlgCtrlID(m_hWnd); }
int CWnd::SetDlgCtrlID(int nID) { NOWND(0); return (int)::SetWindowLongPtrW(m_hWnd, GWLP_ID, nID); }
CWnd* CWnd::GetWindow(UINT nCmd) const { NOWND(nullptr); return FromHandle(::GetWindow(m_hWnd, nCmd)); }
CWnd* CWnd::SetParent(CWnd* p) { NOWND(nullptr); return FromHandle(::SetParent(m_hWnd, (p ? p->m_hWnd : nullptr))); }
CWnd* PASCAL CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::SetFocus() { NOWND(nullptr); return FromHandle(::SetFocus(m_hWnd)); }
CWnd* PASCAL CWnd::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
CWnd* PASCAL CWnd::GetDesktopWindow() { return FromHandle(::GetDesktopWindow()); }
CWnd* PASCAL CWnd::FindWindow(LPCWSTR c, LPCWSTR n) { return FromHandle(::FindWindowW(c, n)); }
BOOL CWnd::IsChild(const CWnd* p) const { NOWND(FALSE); return ::IsChild(m_hWnd, (p ? p->m_hWnd : nullptr)); }
CMenu* CWnd::GetMenu() const { NOWND(nullptr); return CMenu::FromHandle(::GetMenu(m_hWnd)); }
BOOL CWnd::SetMenu(CMenu* p) { NOWND(FALSE); return ::SetMenu(m_hWnd, p ? p->m_hMenu : nullptr); }
void CWnd::DrawMenuBar() { NOWND(); ::DrawMenuBar(m_hWnd); }
CMenu* CWnd::GetSystemMenu(BOOL b) const { NOWND(nullptr); return CMenu::FromHandle(::GetSystemMenu(m_hWnd, b)); }
LRESULT CWnd::SendMessage(UINT m, WPARAM w, LPARAM l) const { NOWND(0); return ::SendMessageW(m_hWnd, m, w, l); }
BOOL CWnd::PostMessage(UINT m, WPARAM w, LPARAM l) const { NOWND(FALSE); return ::PostMessageW(m_hWnd, m, w, l); }
LRESULT CWnd::SendDlgItemMessage(int id, UINT m, WPARAM w, LPARAM l) const { NOWND(0); return ::SendDlgItemMessageW(m_hWnd, id, m, w, l); }
void CWnd::SendMessageToDescendants(UINT m, WPARAM w, LPARAM l, BOOL bDeep) {
    NOWND();
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (CWnd* p = FromHandlePermanent(h)) p->WindowProc(m, w, l);   // routed even when not our class
        else ::SendMessageW(h, m, w, l);
        if (bDeep && ::GetWindow(h, GW_CHILD)) {
            CWnd tmp;
            tmp.m_hWnd = h;
            tmp.SendMessageToDescendants(m, w, l, TRUE);
            tmp.m_hWnd = nullptr;
        }
    }
}
DWORD CWnd::GetStyle() const { NOWND(0); return (DWORD)::GetWindowLongW(m_hWnd, GWL_STYLE); }
DWORD CWnd::GetExStyle() const { NOWND(0); return (DWORD)::GetWindowLongW(m_hWnd, GWL_EXSTYLE); }
static BOOL ModifyStyleImpl(HWND h, int index, DWORD remove, DWORD add, UINT flags) {
    DWORD s = (DWORD)::GetWindowLongW(h, index);
    DWORD n = (s & ~remove) | add;
    if (s == n) return FALSE;
    ::SetWindowLongW(h, index, (LONG)n);
    if (flags) ::SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}
BOOL CWnd::ModifyStyle(DWORD r, DWORD a, UINT f) { NOWND(FALSE); return ModifyStyleImpl(m_hWnd, GWL_STYLE, r, a, f); }
BOOL CWnd::ModifyStyleEx(DWORD r, DWORD a, UINT f) { NOWND(FALSE); return ModifyStyleImpl(m_hWnd, GWL_EXSTYLE, r, a, f); }
void CWnd::SetWindowText(LPCWSTR s) { NOWND(); ::SetWindowTextW(m_hWnd, s); }
int CWnd::GetWindowText(LPWSTR s, int n) const { if (!m_hWnd) { if (s && n) *s = 0; return 0; } return ::GetWindowTextW(m_hWnd, s, n); }
void CWnd::GetWindowText(CString& r) const {
    r.Empty();
    NOWND();
    int n = ::GetWindowTextLengthW(m_hWnd);
    ::GetWindowTextW(m_hWnd, r.GetBuffer(n + 1), n + 1);
    r.ReleaseBuffer();
}
int CWnd::GetWindowTextLength() const { NOWND(0); return ::GetWindowTextLengthW(m_hWnd); }
void CWnd::SetDlgItemText(int id, LPCWSTR s) { NOWND(); ::SetDlgItemTextW(m_hWnd, id, s); }
int CWnd::GetDlgItemText(int id, LPWSTR s, int n) const { if (!m_hWnd) { if (s && n) *s = 0; return 0; } return (int)::GetDlgItemTextW(m_hWnd, id, s, n); }
int CWnd::GetDlgItemText(int id, CString& r) const {
    r.Empty();
    NOWND(0);
    HWND h = ::GetDlgItem(m_hWnd, id);
    if (!h) return 0;
    int n = ::GetWindowTextLengthW(h);
    ::GetWindowTextW(h, r.GetBuffer(n + 1), n + 1);
    r.ReleaseBuffer();
    return r.GetLength();
}
void CWnd::SetDlgItemInt(int id, UINT v, BOOL s) { NOWND(); ::SetDlgItemInt(m_hWnd, id, v, s); }
UINT CWnd::GetDlgItemInt(int id, BOOL* t, BOOL s) const { if (!m_hWnd) { if (t) *t = FALSE; return 0; } return ::GetDlgItemInt(m_hWnd, id, t, s); }
void CWnd::CheckDlgButton(int id, UINT c) { NOWND(); ::CheckDlgButton(m_hWnd, id, c); }
UINT CWnd::IsDlgButtonChecked(int id) const { NOWND(0); return ::IsDlgButtonChecked(m_hWnd, id); }
void CWnd::SetFont(CFont* f, BOOL b) { NOWND(); ::SendMessageW(m_hWnd, WM_SETFONT, (WPARAM)(f ? f->m_hObject : nullptr), b); }
CFont* CWnd::GetFont() const { NOWND(nullptr); HFONT h = (HFONT)::SendMessageW(m_hWnd, WM_GETFONT, 0, 0); return h ? CFont::FromHandle(h) : nullptr; }
void CWnd::SetIcon(HICON h, BOOL big) { NOWND(); ::SendMessageW(m_hWnd, WM_SETICON, big ? ICON_BIG : ICON_SMALL, (LPARAM)h); }
void CWnd::GetClientRect(LPRECT r) const { ::SetRectEmpty(r); NOWND(); ::GetClientRect(m_hWnd, r); }
void CWnd::GetWindowRect(LPRECT r) const { ::SetRectEmpty(r); NOWND(); ::GetWindowRect(m_hWnd, r); }
void CWnd::ClientToScreen(LPPOINT p) const { NOWND(); ::ClientToScreen(m_hWnd, p); }
void CWnd::ClientToScreen(LPRECT r) const { NOWND(); ::MapWindowPoints(m_hWnd, nullptr, (LPPOINT)r, 2); }
void CWnd::ScreenToClient(LPPOINT p) const { NOWND(); ::ScreenToClient(m_hWnd, p); }
void CWnd::ScreenToClient(LPRECT r) const { NOWND(); ::MapWindowPoints(nullptr, m_hWnd, (LPPOINT)r, 2); }
void CWnd::MoveWindow(int x, int y, int w, int h, BOOL b) { NOWND(); ::MoveWindow(m_hWnd, x, y, w, h, b); }
void CWnd::MoveWindow(LPCRECT r, BOOL b) { MoveWindow(r->left, r->top, r->right - r->left, r->bottom - r->top, b); }
BOOL CWnd::SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT f) {
    NOWND(FALSE);
    HWND a = after ? after->m_hWnd : nullptr;
    return ::SetWindowPos(m_hWnd, a, x, y, cx, cy, f);
}
void CWnd::CenterWindow(CWnd* pAlt) {
    NOWND();
    HWND hCenter = pAlt ? pAlt->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    if (!hCenter && (GetStyle() & WS_CHILD)) hCenter = ::GetParent(m_hWnd);
    RECT rcArea, rcCenter, rc;
    ::GetWindowRect(m_hWnd, &rc);
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcArea, 0);
    if (hCenter && ::IsWindowVisible(hCenter) && !::IsIconic(hCenter)) ::GetWindowRect(hCenter, &rcCenter);
    else rcCenter = rcArea;
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    int x = (rcCenter.left + rcCenter.right) / 2 - w / 2;
    int y = (rcCenter.top + rcCenter.bottom) / 2 - h / 2;
    if (GetStyle() & WS_CHILD) {
        POINT p = {x, y};
        ::ScreenToClient(::GetParent(m_hWnd), &p);
        x = p.x; y = p.y;
    } else {
        if (x + w > rcArea.right) x = rcArea.right - w;
        if (x < rcArea.left) x = rcArea.left;
        if (y + h > rcArea.bottom) y = rcArea.bottom - h;
        if (y < rcArea.top) y = rcArea.top;
    }
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
BOOL CWnd::ShowWindow(int n) { NOWND(FALSE); return ::ShowWindow(m_hWnd, n); }
BOOL CWnd::IsWindowVisible() const { NOWND(FALSE); return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::IsIconic() const { NOWND(FALSE); return ::IsIconic(m_hWnd); }
BOOL CWnd::IsZoomed() const { NOWND(FALSE); return ::IsZoomed(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL b) { NOWND(FALSE); return ::EnableWindow(m_hWnd, b); }
BOOL CWnd::IsWindowEnabled() const { NOWND(FALSE); return ::IsWindowEnabled(m_hWnd); }
void CWnd::Invalidate(BOOL b) { NOWND(); ::InvalidateRect(m_hWnd, nullptr, b); }
void CWnd::InvalidateRect(LPCRECT r, BOOL b) { NOWND(); ::InvalidateRect(m_hWnd, r, b); }
void CWnd::InvalidateRgn(CRgn* p, BOOL b) { NOWND(); ::InvalidateRgn(m_hWnd, p ? (HRGN)p->m_hObject : nullptr, b); }
void CWnd::ValidateRect(LPCRECT r) { NOWND(); ::ValidateRect(m_hWnd, r); }
void CWnd::UpdateWindow() { NOWND(); ::UpdateWindow(m_hWnd); }
BOOL CWnd::RedrawWindow(LPCRECT r, CRgn* p, UINT f) { NOWND(FALSE); return ::RedrawWindow(m_hWnd, r, p ? (HRGN)p->m_hObject : nullptr, f); }
CDC* CWnd::GetDC() {
    NOWND(nullptr);
    CDC* dc = new CDC;
    dc->Attach(::GetDC(m_hWnd));
    dc->m_hWnd = m_hWnd;
    return dc;
}
CDC* CWnd::GetWindowDC() {
    NOWND(nullptr);
    CDC* dc = new CDC;
    dc->Attach(::GetWindowDC(m_hWnd));
    dc->m_hWnd = m_hWnd;
    return dc;
}
int CWnd::ReleaseDC(CDC* pDC) {
    if (!pDC) return 0;
    int r = ::ReleaseDC(m_hWnd, pDC->Detach());
    delete pDC;
    return r;
}
UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT ms, TIMERPROC p) { NOWND(0); return ::SetTimer(m_hWnd, id, ms, p); }
BOOL CWnd::KillTimer(UINT_PTR id) { NOWND(FALSE); return ::KillTimer(m_hWnd, id); }
CWnd* CWnd::SetCapture() { NOWND(nullptr); return FromHandle(::SetCapture(m_hWnd)); }
CWnd* PASCAL CWnd::GetCapture() { return FromHandle(::GetCapture()); }
int CWnd::SetScrollPos(int bar, int pos, BOOL b) { NOWND(0); return ::SetScrollPos(m_hWnd, bar, pos, b); }
int CWnd::GetScrollPos(int bar) const { NOWND(0); return ::GetScrollPos(m_hWnd, bar); }
void CWnd::SetScrollRange(int bar, int a, int b, BOOL r) { NOWND(); ::SetScrollRange(m_hWnd, bar, a, b, r); }
void CWnd::GetScrollRange(int bar, LPINT a, LPINT b) const { *a = *b = 0; NOWND(); ::GetScrollRange(m_hWnd, bar, a, b); }
BOOL CWnd::SetScrollInfo(int bar, LPSCROLLINFO p, BOOL b) { NOWND(FALSE); p->cbSize = sizeof(SCROLLINFO); ::SetScrollInfo(m_hWnd, bar, p, b); return TRUE; }
BOOL CWnd::GetScrollInfo(int bar, LPSCROLLINFO p, UINT mask) { NOWND(FALSE); p->cbSize = sizeof(SCROLLINFO); p->fMask = mask; return ::GetScrollInfo(m_hWnd, bar, p); }
void CWnd::ShowScrollBar(UINT bar, BOOL b) { NOWND(); ::ShowScrollBar(m_hWnd, (int)bar, b); }
void CWnd::ScrollWindow(int x, int y, LPCRECT r, LPCRECT c) { NOWND(); ::ScrollWindow(m_hWnd, x, y, r, c); }
BOOL CWnd::SetForegroundWindow() { NOWND(FALSE); return ::SetForegroundWindow(m_hWnd); }
void CWnd::BringWindowToTop() { NOWND(); ::BringWindowToTop(m_hWnd); }
void CWnd::DragAcceptFiles(BOOL b) { NOWND(); ::DragAcceptFiles(m_hWnd, b); }

int CWnd::MessageBox(LPCWSTR lpszText, LPCWSTR lpszCaption, UINT nType) {
    CString caption(lpszCaption);
    if (!lpszCaption) {
        CWinApp* app = AfxGetApp();
        caption = app && app->m_pszAppName ? app->m_pszAppName : L"Error";
    }
    return AfxScriptedMessageBox(m_hWnd, lpszText, caption, nType);
}

// ---------------------------------------------------------------- controls
IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)

BOOL CStatic::Create(LPCWSTR t, DWORD s, const RECT& r, CWnd* p, UINT id) { return CWnd::Create(L"STATIC", t, s, r, p, id); }
BOOL CButton::Create(LPCWSTR t, DWORD s, const RECT& r, CWnd* p, UINT id) { return CWnd::Create(L"BUTTON", t, s, r, p, id); }
BOOL CEdit::Create(DWORD s, const RECT& r, CWnd* p, UINT id) { return CWnd::Create(L"EDIT", nullptr, s, r, p, id); }
BOOL CListBox::Create(DWORD s, const RECT& r, CWnd* p, UINT id) { return CWnd::Create(L"LISTBOX", nullptr, s, r, p, id); }
BOOL CComboBox::Create(DWORD s, const RECT& r, CWnd* p, UINT id) { return CWnd::Create(L"COMBOBOX", nullptr, s, r, p, id); }
BOOL CScrollBar::Create(DWORD s, const RECT& r, CWnd* p, UINT id) { return CWnd::Create(L"SCROLLBAR", nullptr, s, r, p, id); }

void CEdit::SetSel(int a, int b, BOOL bNoScroll) {
    SendMessage(EM_SETSEL, (WPARAM)a, (LPARAM)b);
    if (!bNoScroll) SendMessage(EM_SCROLLCARET);
}
void CEdit::GetSel(int& a, int& b) const {
    DWORD da = 0, db = 0;
    SendMessage(EM_GETSEL, (WPARAM)&da, (LPARAM)&db);
    a = (int)da; b = (int)db;
}

void CListBox::GetText(int i, CString& s) const {
    int n = GetTextLen(i);
    if (n < 0) { s.Empty(); return; }
    SendMessage(LB_GETTEXT, i, (LPARAM)s.GetBuffer(n + 1));
    s.ReleaseBuffer();
}
void CComboBox::GetLBText(int i, CString& s) const {
    int n = GetLBTextLen(i);
    if (n < 0) { s.Empty(); return; }
    SendMessage(CB_GETLBTEXT, i, (LPARAM)s.GetBuffer(n + 1));
    s.ReleaseBuffer();
}

void CButton::DrawItem(LPDRAWITEMSTRUCT) {}
void CListBox::DrawItem(LPDRAWITEMSTRUCT) {}
void CListBox::MeasureItem(LPMEASUREITEMSTRUCT) {}
void CComboBox::DrawItem(LPDRAWITEMSTRUCT) {}
void CComboBox::MeasureItem(LPMEASUREITEMSTRUCT) {}
int CComboBox::CompareItem(LPCOMPAREITEMSTRUCT) { return 0; }

BOOL CButton::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* pResult) {
    if (message != WM_DRAWITEM) return FALSE;
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    if (pResult) *pResult = TRUE;
    return TRUE;
}
BOOL CListBox::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_DRAWITEM) DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    else if (message == WM_MEASUREITEM) MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
    else return FALSE;
    if (pResult) *pResult = TRUE;
    return TRUE;
}
BOOL CComboBox::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* pResult) {
    LRESULT r = TRUE;
    if (message == WM_DRAWITEM) DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    else if (message == WM_MEASUREITEM) MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
    else if (message == WM_COMPAREITEM) r = CompareItem(reinterpret_cast<LPCOMPAREITEMSTRUCT>(lParam));
    else return FALSE;
    if (pResult) *pResult = r;
    return TRUE;
}
