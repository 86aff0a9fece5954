#include "OrvikApp.h"
#include "ChildFrm.h"
#include "MainFrm.h"
#include "OrvikDoc.h"
#include "OrvikView.h"
#include "OzuFreeDoc.h"
#include "OzuFreeView.h"
#include "Resource.h"
#include "Splash.h"
#include <AfxDialogs.h>
#include <AfxTestScript.h>
#include <CameraSdk.h>
#include <DeviceProbe.h>
#include <Messages.h>
#include <Globals.h>
#include <Imaging.h>
#include <ROREREverizaZizidodu.h>
#include <Settings.h>
#include <Trevlo.h>
#include <shlwapi.h>
#include <cstring>

COrvikApp theApp;

// ---------------------------------------------------------------- tables
namespace {
const OrvikLanguage kLanguages[] = {
    {LANG_ARABIC, 1, 16, &g_bLangArabic, L"LangAr.dll", nullptr},
    {LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED, SUBLANG_CHINESE_SIMPLIFIED, &g_bLangChinese, L"LangZh.dll",
     L"BCGCBProResCHS.dll"},
    {LANG_KOREAN, 1, 2, &g_bLangKorean, L"LangEn.dll", L"BCGCBProResKOR.dll"},
    {LANG_FRENCH, 1, 6, &g_bLangFrench, L"LangFr.dll", L"BCGCBProResFRA.dll"},
    {LANG_GERMAN, 1, 5, &g_bLangGerman, L"LangDe.dll", L"BCGCBProResDEU.dll"},
    {LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN, SUBLANG_JAPANESE_JAPAN, &g_bLangJapanese, L"LangJa.dll",
     L"BCGCBProResJPN.dll"},
    {LANG_POLISH, SUBLANG_POLISH_POLAND, SUBLANG_POLISH_POLAND, &g_bLangPolish, L"LangPl.dll", L"BCGCBProResPLK.dll"},
    {LANG_ENGLISH, 1, 13, &g_bLangEnglish, L"LangEn.dll", nullptr},
};
const OrvikLanguage kOtherLanguage = {0, 0, 0, &g_bLangEnglish, L"LangEn.dll", nullptr};

// Hestral frame width by CamType: [Nodrel] Resolution 0, any other value.
const struct { int camType; int width0; int widthOther; } kHestralWidths[] = {
    {3, 2048, 1024}, {4, 1280, 1024}, {5, 3488, 1200}, {6, 2592, 1024},
};

const wchar_t kInstanceMutex[] = L"{1AB792D6-EAF2-3267-9A84-91356G1126A3}";
// How long shut-down waits for an auto-focus program it asked to close.
const DWORD kTolmiraCloseWaitMs = 10000;

BOOL IsUvcSubType(int subType) { return subType >= 5 && subType <= 7; }

CString Text(UINT id) {
    CString s;
    s.LoadString(id);
    return s;
}

void DeleteToolkitKey(LPCWSTR path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    ::SHDeleteKeyW(HKEY_CURRENT_USER, path);
    ::RegCloseKey(key);
}

// A process started from the program folder, shown normally.
BOOL StartProgram(const CString& path, PROCESS_INFORMATION& pi) {
    STARTUPINFOW si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    std::memset(&pi, 0, sizeof pi);
    if (::CreateProcessW(path, nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &si, &pi))
        return TRUE;
    std::memset(&pi, 0, sizeof pi);
    return FALSE;
}
}  // namespace

const OrvikLanguage& OrvikLanguageFor(LANGID id) {
    WORD primary = PRIMARYLANGID(id), sub = SUBLANGID(id);
    for (const OrvikLanguage& l : kLanguages)
        if (l.primary == primary && sub >= l.subFirst && sub <= l.subLast) return l;
    return kOtherLanguage;
}

BOOL OrvikIsArabicLangId(LANGID id) {
    return PRIMARYLANGID(id) == LANG_ARABIC && SUBLANGID(id) >= 1 && SUBLANGID(id) <= 16;
}

LPCWSTR OrvikProbeName(int camType, int camSubType) { return CameraNameForType(camType, camSubType); }

int OrvikHestralFrameWidth(int camType, long resolution) {
    for (const auto& w : kHestralWidths)
        if (w.camType == camType) return resolution == 0 ? w.width0 : w.widthOther;
    return 0;
}

int OrvikMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    return AfxScriptedMessageBox(owner, text, caption, type);
}

// ---------------------------------------------------------------- the application
BEGIN_MESSAGE_MAP(COrvikApp, CWinApp)
    ON_COMMAND(ID_FILE_NEW, OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
    ON_COMMAND(ID_CAPTURE_TO_VIEW, OnCaptureToView)
    ON_UPDATE_COMMAND_UI(ID_CAPTURE_TO_VIEW, OnUpdateLiveCommand)
    ON_UPDATE_COMMAND_UI(ID_RECORD, OnUpdateLiveCommand)
    ON_UPDATE_COMMAND_UI(ID_CAPTURE, OnUpdateLiveCommand)
    ON_COMMAND(ID_AUTO_FOCUS, OnAutoFocus)
    ON_UPDATE_COMMAND_UI(ID_AUTO_FOCUS, OnUpdateAutoFocus)
    ON_COMMAND(ID_RESOLUTION_COMBO, OnResolutionCombo)
    ON_CBN_SELENDOK(ID_RESOLUTION_COMBO, OnResolutionCombo)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_UPDATE_COMMAND_UI(ID_APP_ABOUT, OnUpdateAppAbout)
    ON_COMMAND(ID_APP_EXIT, CWinApp::OnAppExit)
    ON_COMMAND(ID_LANG_CHINESE, OnLangChinese)
    ON_COMMAND(ID_LANG_ENGLISH, OnLangEnglish)
    ON_COMMAND(ID_LANG_GERMAN, OnLangGerman)
    ON_COMMAND(ID_LANG_FRENCH, OnLangFrench)
    ON_COMMAND(ID_LANG_JAPANESE, OnLangJapanese)
    ON_COMMAND(ID_LANG_ARABIC, OnLangArabic)
    ON_COMMAND(ID_LANG_POLISH, OnLangPolish)
    ON_UPDATE_COMMAND_UI_RANGE(ID_LANG_CHINESE, ID_LANG_POLISH, OnUpdateLang)
END_MESSAGE_MAP()

COrvikApp::COrvikApp()
    : m_pPreviewTemplate(nullptr), m_pStillTemplate(nullptr), m_hToolkitRes(nullptr), m_hLangRes(nullptr),
      m_nLangId(0), m_bCameraReady(0) {
    std::memset(m_pDeviceMonikers, 0, sizeof m_pDeviceMonikers);
    std::memset(&m_piTolmira, 0, sizeof m_piTolmira);
}

void COrvikApp::ChooseLanguage() {
    const OrvikLanguage& lang = OrvikLanguageFor((LANGID)m_nLangId);
    *lang.flag = 1;
    m_hLangRes = ::LoadLibraryW(lang.orvikLib);
    // Without the library the program's own English resources stay in use.
    if (m_hLangRes) AfxSetResourceHandle(m_hLangRes);
    if (lang.toolkitLib) {
        m_hToolkitRes = ::LoadLibraryW(lang.toolkitLib);
        if (m_hToolkitRes) BCGCBProSetResourceHandle(m_hToolkitRes);
    }
}

BOOL COrvikApp::InitInstance() {
    // The toolkit's bar and window state never survives from one run to the next.
    DeleteToolkitKey(L"Software\\BCGP AppWizard-Generated Applications");
    DeleteToolkitKey(L"Software\\BCGSoft");

    wchar_t module[MAX_PATH] = {}, drive[_MAX_DRIVE] = {}, dir[_MAX_DIR] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    _wsplitpath_s(module, drive, _MAX_DRIVE, dir, _MAX_DIR, nullptr, 0, nullptr, 0);
    g_strAppFolder = CString(drive) + dir;
    g_strSettingsPath = g_strAppFolder + L"setting.ini";

    g_CamType = CamTypeFromSetting(ReadIniInt(ini::kCamera, L"CamType", 2));
    g_bTolmira = ReadIniInt(ini::kCamera, L"bTolmira", 2);
    g_HorizontalFlip = ReadIniInt(ini::kCamera, L"bHorizontal", 0) ? 1 : 0;
    g_VerticalFlip = ReadIniInt(ini::kCamera, L"bVertical", 0) ? 1 : 0;
    std::memset(g_szLogoTitle, 0, sizeof g_szLogoTitle);
    ::GetPrivateProfileStringW(ini::kGeneral, L"LogoTitle", L"", g_szLogoTitle, 256, g_strSettingsPath);
    m_hLangRes = nullptr;
    m_nLangId = (DWORD)ReadIniInt(ini::kGeneral, L"Lang", 0);
    if (m_nLangId == 0) m_nLangId = ::GetSystemDefaultLangID();
    ChooseLanguage();

    ::OutputDebugStringW(L"COrvikApp::InitInstance");

    CCommandLineInfo splashInfo;
    ParseCommandLine(splashInfo);
    CSplashWnd::EnableSplashScreen(splashInfo.m_bShowSplash);

    // A second copy starts like the first: the mutex is only a name.
    g_hInstanceMutex = ::CreateMutexW(nullptr, FALSE, kInstanceMutex);

    if (!AfxOleInit()) {
        AfxMessageBox(L"OleInit error");
        return FALSE;
    }
    AfxEnableControlContainer();
    ::CoInitialize(nullptr);

    m_bCameraReady = 0;
    if (!ProbeCamera()) return FALSE;
    m_bCameraReady = 1;

    LBase::LoadLibraries(0x2F);
    Enable3dControls();
    AfxOleInit();
    OpenDatabase();

    SetRegistryKey(L"BCGP AppWizard-Generated Applications");
    LoadStdProfileSettings(4);
    SetRegistryBase(L"Settings");
    InitContextMenuManager();
    InitKeyboardManager();
    InitTooltipManager();
    CBCGPToolTipParams params;
    params.m_bVislManagerTheme = TRUE;
    GetTooltipManager()->SetTooltipParams(BCGP_TOOLTIP_TYPE_ALL, RUNTIME_CLASS(CBCGPToolTipCtrl), &params);

    m_pStillTemplate = new CMultiDocTemplate(IDR_STILLTYPE, RUNTIME_CLASS(COzuFreeDoc), RUNTIME_CLASS(CChildFrame),
                                             RUNTIME_CLASS(COzuFreeView));
    AddDocTemplate(m_pStillTemplate);
    UINT previewId = g_CamType == kCamMarrowin ? IDR_PELLIXTYPE : (g_CamType == kCamDirectShow || IsHestralCamType()) ? IDR_PREVIEWTYPE : 0;
    if (previewId) {
        m_pPreviewTemplate = new CMultiDocTemplate(previewId, RUNTIME_CLASS(COrvikDoc), RUNTIME_CLASS(CChildFrame),
                                                   RUNTIME_CLASS(COrvikView));
        AddDocTemplate(m_pPreviewTemplate);
    }

    // A frame whose creation failed has deleted itself.
    CMainFrame* frame = new CMainFrame;
    if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)) return FALSE;
    m_pMainWnd = frame;

    EnableShellOpen();
    RegisterShellFileTypes(TRUE);

    // No document and no shell command from the command line.
    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    cmdInfo.m_nShellCommand = CCommandLineInfo::FileNothing;
    if (!ProcessShellCommand(cmdInfo)) return FALSE;

    frame->ShowWindow(SW_SHOWMAXIMIZED);
    frame->SetWindowText(L"kdkdkdkkd");
    frame->ShowWindow(SW_SHOWMAXIMIZED);
    frame->UpdateWindow();

    if (m_pPreviewTemplate) OnFileNew();
    if (g_bTolmira != 0) StartTolmira();
    return TRUE;
}

// The probe and binding of the configured camera type; FALSE ends start-up.
BOOL COrvikApp::ProbeCamera() {
    if (g_CamType == kCamMarrowin) {
        CDeviceProbe probe(OrvikProbeName(0, 0));
        HRESULT hr = probe.CreateProbeGraph();
        probe.Release();
        if (hr == E_FAIL) return FALSE;
        // A missing Marrowin library or function is no camera, not a crash.
        if (!g_PellixSdk.Bind()) {
            ShowNoCameraMessage();
            return FALSE;
        }
        g_PellixSdk.Pellix_Initialize();
    } else if (g_CamType == kCamDirectShow) {
        g_CamSubType = ReadIniInt(ini::kCamera, L"CamSubType", 2);
        LPCWSTR name = OrvikProbeName(2, g_CamSubType);
        if (!name) return TRUE;   // an unknown model probes nothing
        CDeviceProbe probe(name);
        HRESULT hr = probe.CreateProbeGraph();
        probe.Release();
        if (hr == E_FAIL) return FALSE;
        if (IsUvcSubType(g_CamSubType)) AttachUvcDevice(name);
    } else if (IsHestralCamType()) {
        g_HestralFrameWidth = OrvikHestralFrameWidth(g_CamType, ReadIniLong(ini::kNodrel, L"Resolution", L"11"));
        g_HestralMode = 1;
        CDeviceProbe probe(OrvikProbeName(g_CamType, 0));
        if (!probe.m_bFound || !g_HestralSdk.Bind()) {
            ShowNoCameraMessage();
            return FALSE;
        }
    }
    return TRUE;
}

// Attaches the UVC property library to the device of the model's exact name;
// with no such device nothing is attached and the flag stays clear.
void COrvikApp::AttachUvcDevice(LPCWSTR name) {
    if (g_bUvcAttached) {
        DetachUVCDeviceALL();
        g_bUvcAttached = 0;
    }
    int count = GetVMCUVCDevCount();
    int match = -1;
    for (int i = 0; i < count; ++i) {
        // The library need not terminate a name that fills the buffer.
        char narrow[250];
        std::memset(narrow, 0, sizeof narrow);
        GetDevFriendlyNameByIndex(i, narrow, (int)sizeof narrow);
        narrow[sizeof narrow - 1] = 0;
        wchar_t wide[sizeof narrow] = {};
        ::MultiByteToWideChar(CP_ACP, 0, narrow, -1, wide, (int)(sizeof wide / sizeof wide[0]));
        if (std::wcscmp(wide, name) == 0) match = i;
    }
    if (match >= 0 && AttachUVCDeviceByIndex(match)) g_bUvcAttached = 1;
}

void COrvikApp::OpenDatabase() {
    try {
        HRESULT hr = m_pConnection.CreateInstance(__uuidof(Connection), nullptr,
                                                  CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER);
        if (FAILED(hr)) _com_issue_error(hr);
        CString source;
        source.Format(L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%sdata.mdb", (LPCWSTR)g_strAppFolder);
        m_pConnection->Open(_bstr_t((LPCWSTR)source), L"", L"", 0);
        g_pPresetDb = m_pConnection.GetInterfacePtr();
    } catch (_com_error&) {
        OrvikMessageBox(nullptr, Text(IDS_DB_CONNECT_FAILED), L"", MB_OK | OrvikRtlFlag());
    }
}

// The handles of an earlier start are closed first; a failed start leaves none.
void COrvikApp::StartTolmira() {
    if (m_piTolmira.hThread) ::CloseHandle(m_piTolmira.hThread);
    if (m_piTolmira.hProcess) ::CloseHandle(m_piTolmira.hProcess);
    StartProgram(g_strAppFolder + L"Tolmira.exe", m_piTolmira);
}

int COrvikApp::ExitInstance() {
    if (IsUvcCamera()) DetachUVCDeviceALL();

    if (m_bCameraReady) {
        try {
            if (m_pConnection && m_pConnection->GetState() == adStateOpen) m_pConnection->Close();
        } catch (_com_error&) {
        }
        if (g_CamType == kCamMarrowin) g_PellixSdk.Pellix_Uninitialize();
        else if (IsHestralCamType()) g_HestralSdk.Unbind();
    }
    // Released before COM goes away, not when the application object is destroyed.
    g_pPresetDb = nullptr;
    m_pConnection.Release();
    for (IMoniker*& moniker : m_pDeviceMonikers) {
        if (moniker) moniker->Release();
        moniker = nullptr;
    }

    LBase::UnloadLibraries(0x2F);
    CleanState();
    BCGCBProCleanUp();
    ::CoUninitialize();

    if (g_bRestart) {
        CString appName = ReadIniStr(ini::kGeneral, L"AppName", L"Orvik.exe", 256);
        PROCESS_INFORMATION pi;
        if (StartProgram(g_strAppFolder + appName, pi)) {
            ::CloseHandle(pi.hThread);
            ::CloseHandle(pi.hProcess);
        }
    }

    if (g_hInstanceMutex) ::ReleaseMutex(g_hInstanceMutex);

    if (m_hToolkitRes) {
        BCGCBProSetResourceHandle(nullptr);
        ::FreeLibrary(m_hToolkitRes);
        m_hToolkitRes = nullptr;
    }
    if (m_hLangRes) {
        AfxSetResourceHandle(nullptr);
        AfxFreeLibrary(m_hLangRes);
        m_hLangRes = nullptr;
    }

    StopTolmira();
    return CWinApp::ExitInstance();
}

// The auto-focus program was asked to close with the frame only for
// bTolmira 1; otherwise it may run on, and shut-down does not wait for it long.
void COrvikApp::StopTolmira() {
    if (!m_piTolmira.hProcess) return;
    ::WaitForSingleObject(m_piTolmira.hProcess, g_bTolmira == 1 ? kTolmiraCloseWaitMs : kTolmiraWaitMs);
    ::CloseHandle(m_piTolmira.hProcess);
    if (m_piTolmira.hThread) ::CloseHandle(m_piTolmira.hThread);
    std::memset(&m_piTolmira, 0, sizeof m_piTolmira);
}

BOOL COrvikApp::PreTranslateMessage(MSG* pMsg) {
    if (CSplashWnd::PreTranslateAppMessage(pMsg)) return TRUE;
    return CWinApp::PreTranslateMessage(pMsg);
}

BOOL COrvikApp::SaveAllModified() {
    if (!CWinApp::SaveAllModified()) return FALSE;
    if (CBCGPMDIFrameWnd* frame = DYNAMIC_DOWNCAST(CBCGPMDIFrameWnd, m_pMainWnd)) frame->SaveMDIState(GetRegSectionPath());
    return TRUE;
}

void COrvikApp::PreLoadState() {
    if (CBCGPContextMenuManager* menus = GetContextMenuManager()) menus->AddMenu(L"My menu", IDR_MYMENU);
}

void COrvikApp::EnumerateDevices() {
    for (IMoniker*& moniker : m_pDeviceMonikers) {
        if (moniker) moniker->Release();
        moniker = nullptr;
    }
    EnumerateVideoDevices(m_pDeviceMonikers, m_strDeviceNames, kDeviceSlots);
}

void COrvikApp::OnFileNew() {
    g_bOpeningPreview = 1;
    if (m_pPreviewTemplate) m_pPreviewTemplate->OpenDocumentFile(nullptr, TRUE);
}

void COrvikApp::OnFileOpen() {
    g_bOpeningPreview = 0;
    CFileDialog dlg(TRUE, L".bmp", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    L"Image File (*.bmp, *.jpg)|*.bmp;*.jpg||", nullptr);
    if (dlg.DoModal() != IDOK || !m_pStillTemplate) return;
    const CString path = dlg.GetPathName();
    CDocument* open = nullptr;
    if (m_pStillTemplate->MatchDocType(path, open) == CDocTemplate::yesAlreadyOpen && open) {
        POSITION pos = open->GetFirstViewPosition();
        CView* view = pos ? open->GetNextView(pos) : nullptr;
        if (CFrameWnd* frame = view ? view->GetParentFrame() : nullptr) frame->ActivateFrame();
        return;
    }
    m_pStillTemplate->OpenDocumentFile(path, TRUE);
}

void COrvikApp::ChangeLanguage(LANGID id) {
    g_bRestart = 1;
    m_nLangId = id;
    WriteIniInt(ini::kGeneral, L"Lang", id);
    if (m_pMainWnd) m_pMainWnd->PostMessage(WM_CLOSE);
}

void COrvikApp::OnLangChinese() { ChangeLanguage(2052); }
void COrvikApp::OnLangEnglish() { ChangeLanguage(1033); }
void COrvikApp::OnLangGerman() { ChangeLanguage(1031); }
void COrvikApp::OnLangFrench() { ChangeLanguage(1036); }
void COrvikApp::OnLangJapanese() { ChangeLanguage(1041); }
void COrvikApp::OnLangArabic() { ChangeLanguage(1025); }
void COrvikApp::OnLangPolish() { ChangeLanguage(1045); }
void COrvikApp::OnUpdateLang(CCmdUI*) {}
