#include "ToolkitCore.h"
#include "ToolkitFrame.h"
#include <shlwapi.h>

namespace {
HINSTANCE g_hToolkit = nullptr;
HINSTANCE g_hToolkitRes = nullptr;
CBCGPVisualManager* g_pVisualManager = nullptr;
UINT g_nDockMode = BCGP_DT_STANDARD;
CBCGPVisualManager2007::Style g_style2007 = CBCGPVisualManager2007::VS2007_LunaBlue;
}

UINT BCGM_CHANGE_ACTIVE_TAB = ::RegisterWindowMessageW(L"Veltrane.Toolkit.ChangeActiveTab");
UINT BCGM_RESETTOOLBAR = ::RegisterWindowMessageW(L"Veltrane.Toolkit.ResetToolbar");

CBCGPContextMenuManager* g_pContextMenuManager = nullptr;
CBCGPKeyboardManager* g_pKeyboardManager = nullptr;
CBCGPTooltipManager* g_pTooltipManager = nullptr;

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_hToolkit = hInstance;
    return TRUE;
}

void BCGCBProSetResourceHandle(HINSTANCE hinstRes) { g_hToolkitRes = hinstRes; }
HINSTANCE BCGCBProGetResourceHandle() { return g_hToolkitRes ? g_hToolkitRes : g_hToolkit; }

CString ToolkitLoadString(UINT nID) {
    // A language library without the string falls back to the English one here.
    const wchar_t* p = nullptr;
    int n = 0;
    if (g_hToolkitRes) n = ::LoadStringW(g_hToolkitRes, nID, reinterpret_cast<LPWSTR>(&p), 0);
    if (n <= 0) n = ::LoadStringW(g_hToolkit, nID, reinterpret_cast<LPWSTR>(&p), 0);
    return n > 0 ? CString(p, n) : CString();
}

void BCGCBProCleanUp() {
    delete g_pContextMenuManager;
    g_pContextMenuManager = nullptr;
    delete g_pKeyboardManager;
    g_pKeyboardManager = nullptr;
    delete g_pTooltipManager;
    g_pTooltipManager = nullptr;
    CBCGPVisualManager::DestroyInstance();
}

// ---------------------------------------------------------------- visual managers
IMPLEMENT_DYNCREATE(CBCGPVisualManager, CObject)
IMPLEMENT_DYNCREATE(CBCGPVisualManagerXP, CBCGPVisualManager)
IMPLEMENT_DYNCREATE(CBCGPWinXPVisualManager, CBCGPVisualManagerXP)
IMPLEMENT_DYNCREATE(CBCGPVisualManager2003, CBCGPWinXPVisualManager)
IMPLEMENT_DYNCREATE(CBCGPVisualManagerVS2005, CBCGPVisualManager2003)
IMPLEMENT_DYNCREATE(CBCGPVisualManager2007, CBCGPVisualManager2003)
IMPLEMENT_DYNCREATE(CBCGPVisualManagerVS2008, CBCGPVisualManagerVS2005)

CBCGPVisualManager::CBCGPVisualManager() : m_hbrFace(nullptr) {}
CBCGPVisualManager::~CBCGPVisualManager() {
    if (m_hbrFace) ::DeleteObject(m_hbrFace);
}

HBRUSH CBCGPVisualManager::GetFaceBrush() {
    if (!m_hbrFace) m_hbrFace = ::CreateSolidBrush(GetFaceColor());
    return m_hbrFace;
}

void CBCGPVisualManager::SetDefaultManager(CRuntimeClass* pRTI) {
    CObject* obj = pRTI ? pRTI->CreateObject() : nullptr;
    CBCGPVisualManager* vm = DYNAMIC_DOWNCAST(CBCGPVisualManager, obj);
    if (!vm) {
        delete obj;
        return;   // not a visual manager: keep the current one
    }
    DestroyInstance();
    g_pVisualManager = vm;
    // Bars repaint in the new look.
    if (CWnd* main = AfxGetMainWnd())
        if (main->m_hWnd) ::RedrawWindow(main->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_ERASE);
}

CBCGPVisualManager* CBCGPVisualManager::GetInstance() {
    if (!g_pVisualManager) g_pVisualManager = new CBCGPVisualManager;
    return g_pVisualManager;
}

void CBCGPVisualManager::DestroyInstance() {
    delete g_pVisualManager;
    g_pVisualManager = nullptr;
}

BOOL CBCGPVisualManager2007::SetStyle(Style style, LPCWSTR) {
    if (style < VS2007_LunaBlue || style > VS2007_Silver) return FALSE;
    g_style2007 = style;
    return TRUE;
}
CBCGPVisualManager2007::Style CBCGPVisualManager2007::GetStyle() { return g_style2007; }

void CBCGPDockManager::SetDockMode(UINT nMode) { g_nDockMode = nMode; }
UINT CBCGPDockManager::GetDockMode() { return g_nDockMode; }

// ---------------------------------------------------------------- managers
CBCGPContextMenuManager::~CBCGPContextMenuManager() {
    for (POSITION pos = m_menus.GetHeadPosition(); pos;) {
        Entry* e = m_menus.GetNext(pos);
        if (e->menu) ::DestroyMenu(e->menu);
        delete e;
    }
}

BOOL CBCGPContextMenuManager::AddMenu(LPCWSTR lpszName, UINT nMenuResId) {
    HINSTANCE h = AfxFindResourceHandle(MAKEINTRESOURCEW(nMenuResId), RT_MENU);
    HMENU menu = ::LoadMenuW(h, MAKEINTRESOURCEW(nMenuResId));
    if (!menu) return FALSE;
    m_menus.AddTail(new Entry{lpszName ? CString(lpszName) : CString(), menu});
    return TRUE;
}

HMENU CBCGPContextMenuManager::GetMenuByName(LPCWSTR lpszName) const {
    for (POSITION pos = m_menus.GetHeadPosition(); pos;) {
        Entry* e = m_menus.GetNext(pos);
        if (e->name == lpszName) return e->menu;
    }
    return nullptr;
}

CBCGPToolTipParams::CBCGPToolTipParams()
    : m_bBoldLabel(TRUE), m_bDrawDescription(TRUE), m_bDrawIcon(TRUE), m_bRoundedCorners(FALSE),
      m_bDrawSeparator(FALSE), m_bVislManagerTheme(FALSE), m_nMaxDescrWidth(200), m_clrFill((COLORREF)-1),
      m_clrText((COLORREF)-1) {}

CBCGPTooltipManager::CBCGPTooltipManager() : m_nTypes(0), m_pRTC(nullptr) {}

void CBCGPTooltipManager::SetTooltipParams(UINT nTypes, CRuntimeClass* pRTC, CBCGPToolTipParams* pParams) {
    m_nTypes = nTypes;
    m_pRTC = pRTC;
    m_params = pParams ? *pParams : CBCGPToolTipParams();
}

// ---------------------------------------------------------------- workspace
CBCGPWorkspace* CBCGPWorkspace::s_pInstance = nullptr;

CBCGPWorkspace::CBCGPWorkspace(BOOL) : m_bStateLoaded(FALSE) {
    if (!s_pInstance) s_pInstance = this;
}
CBCGPWorkspace::~CBCGPWorkspace() {
    if (s_pInstance == this) s_pInstance = nullptr;
}

BOOL CBCGPWorkspace::SetRegistryBase(LPCWSTR lpszSectionName) {
    m_strRegSection = lpszSectionName ? lpszSectionName : L"";
    return TRUE;
}

CString CBCGPWorkspace::GetRegSectionPath(LPCWSTR szSectionAdd) {
    // The application's key when it has one, else the toolkit's own.
    CString path = L"Software\\";
    CWinApp* app = AfxGetApp();
    if (app && app->m_pszRegistryKey && app->m_pszProfileName && *app->m_pszRegistryKey) {
        path += app->m_pszRegistryKey;
        path += L"\\";
        path += app->m_pszProfileName;
    } else {
        path += L"BCGSoft\\";
        path += (app && app->m_pszAppName) ? app->m_pszAppName : L"Application";
    }
    path += L"\\";
    if (!m_strRegSection.IsEmpty()) {
        path += m_strRegSection;
        if (m_strRegSection.Right(1) != L"\\") path += L"\\";
    }
    if (szSectionAdd && *szSectionAdd) {
        path += szSectionAdd;
        path += L"\\";
    }
    return path;
}

namespace {
CString WithoutSlash(const CString& s) { return s.Right(1) == L"\\" ? s.Left(s.GetLength() - 1) : s; }
}

int CBCGPWorkspace::GetSectionInt(LPCWSTR sub, LPCWSTR entry, int nDefault) {
    CString path = WithoutSlash(GetRegSectionPath(sub));
    DWORD value = 0, type = 0, size = sizeof value;
    HKEY h = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &h) != ERROR_SUCCESS) return nDefault;
    LONG r = ::RegQueryValueExW(h, entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(h);
    return (r == ERROR_SUCCESS && type == REG_DWORD) ? (int)value : nDefault;
}

BOOL CBCGPWorkspace::WriteSectionInt(LPCWSTR sub, LPCWSTR entry, int nValue) {
    CString path = WithoutSlash(GetRegSectionPath(sub));
    HKEY h = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return FALSE;
    DWORD v = (DWORD)nValue;
    LONG r = ::RegSetValueExW(h, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    ::RegCloseKey(h);
    return r == ERROR_SUCCESS;
}

int CBCGPWorkspace::GetInt(LPCWSTR entry, int nDefault) { return GetSectionInt(L"", entry, nDefault); }
BOOL CBCGPWorkspace::WriteInt(LPCWSTR entry, int nValue) { return WriteSectionInt(L"", entry, nValue); }

CString CBCGPWorkspace::GetString(LPCWSTR entry, LPCWSTR lpszDefault) {
    CString path = WithoutSlash(GetRegSectionPath());
    HKEY h = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &h) != ERROR_SUCCESS) return lpszDefault;
    wchar_t buf[1024];
    DWORD type = 0, size = sizeof buf - sizeof(wchar_t);
    LONG r = ::RegQueryValueExW(h, entry, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    ::RegCloseKey(h);
    if (r != ERROR_SUCCESS || type != REG_SZ) return lpszDefault;
    buf[size / sizeof(wchar_t)] = 0;
    return buf;
}

BOOL CBCGPWorkspace::WriteString(LPCWSTR entry, LPCWSTR value) {
    CString path = WithoutSlash(GetRegSectionPath());
    HKEY h = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return FALSE;
    LONG r = ::RegSetValueExW(h, entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                              (DWORD)((wcslen(value) + 1) * sizeof(wchar_t)));
    ::RegCloseKey(h);
    return r == ERROR_SUCCESS;
}

BOOL CBCGPWorkspace::CleanState(LPCWSTR lpszSectionName) {
    CString saved = m_strRegSection;
    if (lpszSectionName) m_strRegSection = lpszSectionName;
    // Never the application's whole key: only what the registry base names.
    if (m_strRegSection.IsEmpty()) {
        m_strRegSection = saved;
        return FALSE;
    }
    CString path = WithoutSlash(GetRegSectionPath());
    m_strRegSection = saved;
    LONG r = ::SHDeleteKeyW(HKEY_CURRENT_USER, path);
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

BOOL CBCGPWorkspace::InitContextMenuManager() {
    if (!g_pContextMenuManager) g_pContextMenuManager = new CBCGPContextMenuManager;
    return TRUE;
}
BOOL CBCGPWorkspace::InitKeyboardManager() {
    if (!g_pKeyboardManager) g_pKeyboardManager = new CBCGPKeyboardManager;
    return TRUE;
}
BOOL CBCGPWorkspace::InitTooltipManager() {
    if (!g_pTooltipManager) g_pTooltipManager = new CBCGPTooltipManager;
    return TRUE;
}
CBCGPContextMenuManager* CBCGPWorkspace::GetContextMenuManager() {
    InitContextMenuManager();
    return g_pContextMenuManager;
}
CBCGPKeyboardManager* CBCGPWorkspace::GetKeyboardManager() {
    InitKeyboardManager();
    return g_pKeyboardManager;
}
CBCGPTooltipManager* CBCGPWorkspace::GetTooltipManager() {
    InitTooltipManager();
    return g_pTooltipManager;
}

BOOL CBCGPWorkspace::LoadState(CBCGPMDIFrameWnd* pFrame) {
    PreLoadState();
    if (pFrame) {
        // Bars hidden when the state was saved stay hidden.
        const CObList& bars = pFrame->GetControlBars();
        for (POSITION pos = bars.GetHeadPosition(); pos;) {
            CBCGPBaseControlBar* bar = static_cast<CBCGPBaseControlBar*>(bars.GetNext(pos));
            CString sub;
            sub.Format(L"ControlBar-%u", (unsigned)bar->GetDlgCtrlID());
            int visible = GetSectionInt(sub, L"Visible", -1);
            if (visible == 0) pFrame->ShowControlBar(bar, FALSE, FALSE, FALSE);
        }
    }
    LoadCustomState();
    m_bStateLoaded = TRUE;
    return TRUE;
}

BOOL CBCGPWorkspace::SaveState(CBCGPMDIFrameWnd* pFrame) {
    BOOL ok = TRUE;
    if (pFrame) {
        const CObList& bars = pFrame->GetControlBars();
        for (POSITION pos = bars.GetHeadPosition(); pos;) {
            CBCGPBaseControlBar* bar = static_cast<CBCGPBaseControlBar*>(bars.GetNext(pos));
            CString sub;
            sub.Format(L"ControlBar-%u", (unsigned)bar->GetDlgCtrlID());
            ok &= WriteSectionInt(sub, L"Visible", bar->IsVisible() ? 1 : 0);
            ok &= WriteSectionInt(sub, L"Side", (int)bar->GetCurrentAlignment());
        }
    }
    SaveCustomState();
    return ok;
}
