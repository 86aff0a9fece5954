#include "AfxWindows.h"
#include "AfxDialogs.h"
#include "AfxTestScript.h"
#include "AfxImpl.h"
#include <objbase.h>
#include <cwchar>

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp* AFXAPI AfxGetApp() { return g_pApp; }
CWinThread* AFXAPI AfxGetThread() { return g_pApp; }
CWnd* AFXAPI AfxGetMainWnd() { return g_pApp ? g_pApp->GetMainWnd() : nullptr; }

// ---------------------------------------------------------------- CWinThread
IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

CWinThread::CWinThread()
    : m_pMainWnd(nullptr), m_pActiveWnd(nullptr), m_bAutoDelete(FALSE), m_hThread(::GetCurrentThread()),
      m_nThreadID(::GetCurrentThreadId()), m_msgCur() {}
CWinThread::~CWinThread() {}
BOOL CWinThread::InitInstance() { return FALSE; }
int CWinThread::ExitInstance() { return (int)m_msgCur.wParam; }
CWnd* CWinThread::GetMainWnd() { return m_pActiveWnd ? m_pActiveWnd : m_pMainWnd; }

BOOL CWinThread::PreTranslateMessage(MSG* pMsg) {
    CWnd* main = GetMainWnd();
    HWND stop = main ? main->GetSafeHwnd() : nullptr;
    if (CWnd::WalkPreTranslateTree(stop, pMsg)) return TRUE;
    // Messages to a modeless dialog's controls or other top-level windows still
    // get the main frame's accelerators.
    if (main && main->m_hWnd && pMsg->hwnd != main->m_hWnd && !::IsChild(main->m_hWnd, pMsg->hwnd))
        return main->PreTranslateMessage(pMsg);
    return FALSE;
}

BOOL CWinThread::PumpMessage() {
    if (!::GetMessageW(&m_msgCur, nullptr, 0, 0)) return FALSE;
    if (!PreTranslateMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageW(&m_msgCur);
    }
    return TRUE;
}

BOOL CWinThread::IsIdleMessage(MSG* pMsg) {
    // Timer ticks and caret blinks do not restart idle processing.
    return pMsg->message != WM_TIMER && pMsg->message != 0x0118 && pMsg->message != WM_PAINT;
}

BOOL CWinThread::OnIdle(LONG lCount) {
    if (lCount <= 0) {
        CWnd* main = m_pMainWnd;
        if (main && main->m_hWnd && ::IsWindowVisible(main->m_hWnd)) {
            main->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
            main->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
        }
    } else if (lCount == 1) {
        AfxUnlockTempMaps();
    }
    return lCount < 1;
}

int CWinThread::Run() {
    LONG lIdle = 0;
    BOOL bIdle = TRUE;
    MSG msg;
    for (;;) {
        while (bIdle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(lIdle++)) bIdle = FALSE;
        }
        do {
            if (!PumpMessage()) return ExitInstance();
            if (IsIdleMessage(&m_msgCur)) { bIdle = TRUE; lIdle = 0; }
        } while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
        if (!bIdle) ::WaitMessage(), bIdle = TRUE, lIdle = 0;
    }
}

// ---------------------------------------------------------------- CCommandLineInfo
CCommandLineInfo::CCommandLineInfo()
    : m_bShowSplash(TRUE), m_bRunEmbedded(FALSE), m_bRunAutomated(FALSE), m_nShellCommand(FileNew) {}
CCommandLineInfo::~CCommandLineInfo() {}

void CCommandLineInfo::ParseParam(LPCWSTR p, BOOL bFlag, BOOL) {
    if (bFlag) {
        if (_wcsicmp(p, L"pt") == 0) m_nShellCommand = FilePrintTo;
        else if (_wcsicmp(p, L"p") == 0) m_nShellCommand = FilePrint;
        else if (_wcsicmp(p, L"dde") == 0) m_nShellCommand = FileDDE;
        else if (_wcsicmp(p, L"Embedding") == 0) { m_bRunEmbedded = TRUE; m_bShowSplash = FALSE; }
        else if (_wcsicmp(p, L"Automation") == 0) { m_bRunAutomated = TRUE; m_bShowSplash = FALSE; }
        else if (_wcsicmp(p, L"Register") == 0 || _wcsicmp(p, L"Regserver") == 0) m_nShellCommand = AppRegister;
        else if (_wcsicmp(p, L"Unregister") == 0 || _wcsicmp(p, L"Unregserver") == 0) m_nShellCommand = AppUnregister;
        return;
    }
    if (m_strFileName.IsEmpty()) {
        m_strFileName = p;
        if (m_nShellCommand == FileNew) m_nShellCommand = FileOpen;
    } else if (m_nShellCommand == FilePrintTo) {
        if (m_strPrinterName.IsEmpty()) m_strPrinterName = p;
        else if (m_strDriverName.IsEmpty()) m_strDriverName = p;
        else if (m_strPortName.IsEmpty()) m_strPortName = p;
    }
}

// ---------------------------------------------------------------- CWinApp
IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCWSTR lpszAppName)
    : m_hInstance(nullptr), m_lpCmdLine(nullptr), m_nCmdShow(SW_SHOWNORMAL), m_pszAppName(nullptr),
      m_pszExeName(nullptr), m_pszProfileName(nullptr), m_pszRegistryKey(nullptr), m_pszHelpFilePath(nullptr),
      m_nMaxMRU(0), m_hDevMode(nullptr), m_hDevNames(nullptr), m_nWaitCursorCount(0), m_hcurWaitCursorRestore(nullptr) {
    if (lpszAppName) { m_strAppName = lpszAppName; m_pszAppName = m_strAppName; }
    g_pApp = this;
}

CWinApp::~CWinApp() {
    POSITION pos = m_templateList.GetHeadPosition();
    while (pos) delete static_cast<CDocTemplate*>(m_templateList.GetNext(pos));
    m_templateList.RemoveAll();
    if (m_hDevMode) ::GlobalFree(m_hDevMode);
    if (m_hDevNames) ::GlobalFree(m_hDevNames);
    if (g_pApp == this) g_pApp = nullptr;
}

BOOL AFXAPI AfxWinInit(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow) {
    CWinApp* app = g_pApp;
    if (!app) return FALSE;
    app->m_hInstance = hInstance ? hInstance : ::GetModuleHandleW(nullptr);
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;
    return TRUE;
}

BOOL CWinApp::InitApplication() {
    if (!m_hInstance) m_hInstance = ::GetModuleHandleW(nullptr);
    wchar_t path[MAX_PATH];
    ::GetModuleFileNameW(m_hInstance, path, MAX_PATH);
    CString full(path);
    CString name = full.Mid(full.ReverseFind(L'\\') + 1);
    int dot = name.ReverseFind(L'.');
    if (dot >= 0) name = name.Left(dot);
    if (!m_pszExeName) { m_strExeName = name; m_pszExeName = m_strExeName; }
    if (!m_pszAppName) {
        CString title;
        if (!title.LoadString(AFX_IDS_APP_TITLE)) title = name;
        m_strAppName = title;
        m_pszAppName = m_strAppName;
    }
    if (!m_pszProfileName) {
        m_strProfileName = name + L".INI";
        m_pszProfileName = m_strProfileName;
    }
    return TRUE;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() {
    return (int)m_msgCur.wParam;
}

int CWinApp::Run() {
    if (!m_pMainWnd) ::PostQuitMessage(0);
    return CWinThread::Run();
}

BOOL CWinApp::OnIdle(LONG lCount) { return CWinThread::OnIdle(lCount); }

int AFXAPI AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrev, LPWSTR lpCmdLine, int nCmdShow) {
    CWinApp* app = AfxGetApp();
    if (!app || !AfxWinInit(hInstance, hPrev, lpCmdLine, nCmdShow)) return -1;
    if (!app->InitApplication()) return -1;
    if (!app->InitInstance()) {
        if (app->m_pMainWnd) app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}

int CWinApp::DoMessageBox(LPCWSTR lpszPrompt, UINT nType, UINT) {
    CWnd* main = GetMainWnd();
    HWND owner = main ? main->GetSafeHwnd() : nullptr;
    if (owner) {
        HWND popup = ::GetLastActivePopup(owner);
        if (popup && ::IsWindowEnabled(popup)) owner = popup;
    }
    if ((nType & MB_ICONMASK) == 0) {
        switch (nType & MB_TYPEMASK) {
        case MB_OK: case MB_OKCANCEL: nType |= MB_ICONEXCLAMATION; break;
        case MB_YESNO: case MB_YESNOCANCEL: nType |= MB_ICONQUESTION; break;
        case MB_ABORTRETRYIGNORE: case MB_RETRYCANCEL: break;
        }
    }
    return AfxScriptedMessageBox(owner, lpszPrompt, m_pszAppName, nType);
}

void CWinApp::DoWaitCursor(int nCode) {
    m_nWaitCursorCount += nCode;
    if (m_nWaitCursorCount > 0) {
        HCURSOR prev = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        if (nCode > 0 && m_nWaitCursorCount == 1) m_hcurWaitCursorRestore = prev;
    } else {
        m_nWaitCursorCount = 0;
        ::SetCursor(m_hcurWaitCursorRestore ? m_hcurWaitCursorRestore : ::LoadCursorW(nullptr, IDC_ARROW));
    }
}

// Without an application (a test host of an extension library) the caption is "Error".
int AFXAPI AfxMessageBox(LPCWSTR lpszText, UINT nType, UINT nIDHelp) {
    if (CWinApp* app = AfxGetApp()) return app->DoMessageBox(lpszText, nType, nIDHelp);
    return AfxScriptedMessageBox(nullptr, lpszText, L"Error", nType);
}
int AFXAPI AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
    CString s;
    s.LoadString(nIDPrompt);
    return AfxMessageBox(s, nType, nIDHelp == UINT(-1) ? nIDPrompt : nIDHelp);
}

BOOL AFXAPI AfxOleInit() {
    static bool done = false;
    if (done) return TRUE;
    HRESULT hr = ::OleInitialize(nullptr);
    if (FAILED(hr)) return FALSE;
    done = true;
    return TRUE;
}
void AFXAPI AfxEnableControlContainer() {}

void AFXAPI AfxFormatString1(CString& r, UINT nIDS, LPCWSTR a) { AfxFormatString2(r, nIDS, a, nullptr); }
void AFXAPI AfxFormatString2(CString& r, UINT nIDS, LPCWSTR a, LPCWSTR b) {
    CString fmt;
    fmt.LoadString(nIDS);
    r.Empty();
    for (int i = 0; i < fmt.GetLength(); ++i) {
        if (fmt[i] == L'%' && i + 1 < fmt.GetLength() && (fmt[i + 1] == L'1' || fmt[i + 1] == L'2')) {
            LPCWSTR arg = fmt[i + 1] == L'1' ? a : b;
            if (arg) r += arg;
            ++i;
        } else {
            r += fmt[i];
        }
    }
}

// ---------------------------------------------------------------- templates and documents
void CWinApp::AddDocTemplate(CDocTemplate* p) { m_templateList.AddTail(p); }
POSITION CWinApp::GetFirstDocTemplatePosition() const { return m_templateList.GetHeadPosition(); }
CDocTemplate* CWinApp::GetNextDocTemplate(POSITION& pos) const { return static_cast<CDocTemplate*>(m_templateList.GetNext(pos)); }

CDocument* CWinApp::OpenDocumentFile(LPCWSTR lpszFileName) {
    CDocTemplate* best = nullptr;
    CDocTemplate::Confidence bestMatch = CDocTemplate::noAttempt;
    CDocument* open = nullptr;
    for (POSITION pos = GetFirstDocTemplatePosition(); pos;) {
        CDocTemplate* t = GetNextDocTemplate(pos);
        CDocument* match = nullptr;
        CDocTemplate::Confidence c = t->MatchDocType(lpszFileName, match);
        if (c > bestMatch) { bestMatch = c; best = t; }
        if (c == CDocTemplate::yesAlreadyOpen) { open = match; break; }
    }
    if (open) {
        POSITION vp = open->GetFirstViewPosition();
        if (vp) {
            CView* v = open->GetNextView(vp);
            if (CFrameWnd* f = v->GetParentFrame()) f->ActivateFrame();
        }
        return open;
    }
    if (!best) {
        AfxMessageBox(AFX_IDP_FAILED_TO_OPEN_DOC);
        return nullptr;
    }
    return best->OpenDocumentFile(lpszFileName);
}

BOOL CWinApp::SaveAllModified() {
    for (POSITION pos = GetFirstDocTemplatePosition(); pos;)
        if (!GetNextDocTemplate(pos)->SaveAllModified()) return FALSE;
    return TRUE;
}
void CWinApp::CloseAllDocuments(BOOL bEndSession) {
    for (POSITION pos = GetFirstDocTemplatePosition(); pos;) GetNextDocTemplate(pos)->CloseAllDocuments(bEndSession);
}
int CWinApp::GetOpenDocumentCount() {
    int n = 0;
    for (POSITION pos = GetFirstDocTemplatePosition(); pos;) {
        CDocTemplate* t = GetNextDocTemplate(pos);
        for (POSITION d = t->GetFirstDocPosition(); d;) { t->GetNextDoc(d); ++n; }
    }
    return n;
}

BOOL CWinApp::DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpen, CDocTemplate* pTemplate) {
    CString filter, ext, name;
    // One filter per template, then "All Files (*.*)".
    for (POSITION pos = GetFirstDocTemplatePosition(); pos;) {
        CDocTemplate* t = GetNextDocTemplate(pos);
        if (pTemplate && t != pTemplate) continue;
        CString fn, fe;
        if (t->GetDocString(fn, CDocTemplate::filterName) && !fn.IsEmpty() && t->GetDocString(fe, CDocTemplate::filterExt) && !fe.IsEmpty()) {
            filter += fn + L"|*" + fe + L"|";
            if (ext.IsEmpty()) ext = fe.Mid(fe[0] == L'.' ? 1 : 0);
        }
    }
    CString all;
    if (!all.LoadString(AFX_IDS_ALLFILTER)) all = L"All Files (*.*)";
    filter += all + L"|*.*||";
    CFileDialog dlg(bOpen, ext.IsEmpty() ? nullptr : (LPCWSTR)ext, fileName, lFlags | OFN_HIDEREADONLY, filter, nullptr);
    CString title;
    title.LoadString(nIDSTitle);
    dlg.m_ofn.lpstrTitle = title.IsEmpty() ? nullptr : (LPCWSTR)title;
    if (dlg.DoModal() != IDOK) return FALSE;
    fileName = dlg.GetPathName();
    return TRUE;
}

void CWinApp::OnFileNew() {
    POSITION pos = GetFirstDocTemplatePosition();
    if (!pos) return;
    // No chooser dialog: the first template makes new documents.
    GetNextDocTemplate(pos)->OpenDocumentFile(nullptr);
}
void CWinApp::OnFileOpen() {
    CString name;
    if (!DoPromptFileName(name, AFX_IDS_OPENFILE, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, TRUE, nullptr)) return;
    OpenDocumentFile(name);
}
void CWinApp::OnAppExit() { if (m_pMainWnd) m_pMainWnd->SendMessage(WM_CLOSE); }
void CWinApp::OnFilePrintSetup() {
    CPrintDialog dlg(TRUE);
    dlg.m_pd.hDevMode = m_hDevMode;
    dlg.m_pd.hDevNames = m_hDevNames;
    if (dlg.DoModal() == IDOK) { m_hDevMode = dlg.m_pd.hDevMode; m_hDevNames = dlg.m_pd.hDevNames; }
    dlg.m_pd.hDevMode = dlg.m_pd.hDevNames = nullptr;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) {
    for (int i = 1; i < __argc; ++i) {
        LPCWSTR p = __wargv ? __wargv[i] : nullptr;
        if (!p) continue;
        BOOL flag = FALSE;
        BOOL last = i + 1 == __argc;
        if (p[0] == L'-' || p[0] == L'/') { flag = TRUE; ++p; }
        info.ParseParam(p, flag, last);
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& info) {
    switch (info.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        // The application's own File New handler wins over the framework's.
        if (!OnCmdMsg(ID_FILE_NEW, CN_COMMAND, nullptr, nullptr)) OnFileNew();
        return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(info.m_strFileName) != nullptr;
    case CCommandLineInfo::FileNothing:
    case CCommandLineInfo::FileDDE:
    case CCommandLineInfo::AppRegister:
        return TRUE;
    case CCommandLineInfo::AppUnregister:
        return FALSE;
    default:
        return TRUE;
    }
}

// ---------------------------------------------------------------- profile
void CWinApp::SetRegistryKey(LPCWSTR key) {
    m_strRegistryKey = key;
    m_pszRegistryKey = m_strRegistryKey;
    // The profile now lives in the registry under the application's name.
    if (!m_pszAppName) InitApplication();
    m_strProfileName = m_pszAppName;
    m_pszProfileName = m_strProfileName;
}
void CWinApp::SetRegistryKey(UINT id) {
    CString s;
    s.LoadString(id);
    SetRegistryKey(s);
}
HKEY CWinApp::GetAppRegistryKey() {
    if (!m_pszRegistryKey || !m_pszProfileName) return nullptr;
    CString path = CString(L"Software\\") + m_pszRegistryKey + L"\\" + m_pszProfileName;
    HKEY h = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return h;
}
HKEY CWinApp::GetSectionKey(LPCWSTR section) {
    HKEY app = GetAppRegistryKey();
    if (!app) return nullptr;
    HKEY h = nullptr;
    LONG r = ::RegCreateKeyExW(app, section, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &h, nullptr);
    ::RegCloseKey(app);
    return r == ERROR_SUCCESS ? h : nullptr;
}

UINT CWinApp::GetProfileInt(LPCWSTR section, LPCWSTR entry, int nDefault) {
    if (m_pszRegistryKey) {
        HKEY h = GetSectionKey(section);
        if (!h) return (UINT)nDefault;
        DWORD v = 0, type = 0, size = sizeof v;
        LONG r = ::RegQueryValueExW(h, entry, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size);
        ::RegCloseKey(h);
        return r == ERROR_SUCCESS && type == REG_DWORD ? v : (UINT)nDefault;
    }
    return ::GetPrivateProfileIntW(section, entry, nDefault, m_pszProfileName);
}
BOOL CWinApp::WriteProfileInt(LPCWSTR section, LPCWSTR entry, int nValue) {
    if (m_pszRegistryKey) {
        HKEY h = GetSectionKey(section);
        if (!h) return FALSE;
        DWORD v = (DWORD)nValue;
        LONG r = ::RegSetValueExW(h, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
        ::RegCloseKey(h);
        return r == ERROR_SUCCESS;
    }
    wchar_t buf[16];
    swprintf(buf, 16, L"%d", nValue);
    return ::WritePrivateProfileStringW(section, entry, buf, m_pszProfileName);
}
CString CWinApp::GetProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR def) {
    if (m_pszRegistryKey) {
        HKEY h = GetSectionKey(section);
        if (!h) return CString(def);
        DWORD type = 0, size = 0;
        CString s;
        LONG r = ::RegQueryValueExW(h, entry, nullptr, &type, nullptr, &size);
        if (r == ERROR_SUCCESS && type == REG_SZ) {
            ::RegQueryValueExW(h, entry, nullptr, &type, reinterpret_cast<BYTE*>(s.GetBuffer(size / 2 + 1)), &size);
            s.ReleaseBuffer();
        } else {
            s = def;
        }
        ::RegCloseKey(h);
        return s;
    }
    CString s;
    for (DWORD size = 256;; size *= 4) {
        DWORD n = ::GetPrivateProfileStringW(section, entry, def ? def : L"", s.GetBuffer((int)size), size, m_pszProfileName);
        s.ReleaseBuffer((int)n);
        if (n < size - 1 || size > (1u << 20)) break;
    }
    return s;
}
BOOL CWinApp::WriteProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR value) {
    if (m_pszRegistryKey) {
        if (!entry) {
            HKEY app = GetAppRegistryKey();
            if (!app) return FALSE;
            LONG r = ::RegDeleteKeyW(app, section);
            ::RegCloseKey(app);
            return r == ERROR_SUCCESS;
        }
        HKEY h = GetSectionKey(section);
        if (!h) return FALSE;
        LONG r = value ? ::RegSetValueExW(h, entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                          (DWORD)((wcslen(value) + 1) * sizeof(wchar_t)))
                       : ::RegDeleteValueW(h, entry);
        ::RegCloseKey(h);
        return r == ERROR_SUCCESS;
    }
    return ::WritePrivateProfileStringW(section, entry, value, m_pszProfileName);
}

BOOL CWinApp::GetPrinterDeviceDefaults(PRINTDLGW* pd) {
    if (!m_hDevNames) {
        PRINTDLGW p = {};
        p.lStructSize = sizeof p;
        p.Flags = PD_RETURNDEFAULT;
        if (!::PrintDlgW(&p)) return FALSE;
        m_hDevMode = p.hDevMode;
        m_hDevNames = p.hDevNames;
    }
    pd->hDevMode = m_hDevMode;
    pd->hDevNames = m_hDevNames;
    return TRUE;
}

HCURSOR CWinApp::LoadCursor(UINT id) const { return LoadCursor(MAKEINTRESOURCEW(id)); }
HCURSOR CWinApp::LoadCursor(LPCWSTR name) const { return ::LoadCursorW(AfxFindResourceHandle(name, RT_GROUP_CURSOR), name); }
HICON CWinApp::LoadIcon(UINT id) const {
    return ::LoadIconW(AfxFindResourceHandle(MAKEINTRESOURCEW(id), RT_GROUP_ICON), MAKEINTRESOURCEW(id));
}
