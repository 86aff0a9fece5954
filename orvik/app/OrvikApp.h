// Orvik's application object: brings the program up in a fixed order (toolkit
// state, settings, language, OLE/COM, camera probe and binding, imaging,
// database, toolkit, templates, main frame, first preview, auto-focus
// program) and takes it down again, restarting it after a language change.
#pragma once

#include <AfxWindows.h>
#include <Toolkit.h>
#include <Ado.h>

struct IMoniker;

// One row of the language table: which LANGIDs choose which libraries.
struct OrvikLanguage {
    WORD primary;        // PRIMARYLANGID
    WORD subFirst;       // SUBLANGID range, inclusive
    WORD subLast;
    int* flag;           // the language flag set for it
    LPCWSTR orvikLib;    // Orvik's resource library
    LPCWSTR toolkitLib;  // the toolkit's resource library, or null
};
// The row for a language id; ids the table does not name get English.
const OrvikLanguage& OrvikLanguageFor(LANGID id);
// Primary language Arabic, sublanguages 1 to 16: laid out right to left.
BOOL OrvikIsArabicLangId(LANGID id);

// The DirectShow friendly name start-up probes for a camera type, or null
// when that type probes nothing.
LPCWSTR OrvikProbeName(int camType, int camSubType);
// The Hestral frame width for CamType 3..6 and [Nodrel] Resolution; 0 for other types.
int OrvikHestralFrameWidth(int camType, long resolution);

// The program's own message boxes go through the framework's box, so that a
// test can answer them.
int OrvikMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

class COrvikApp : public CWinApp, public CBCGPWorkspace {
public:
    COrvikApp();

    BOOL InitInstance() override;
    int ExitInstance() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL SaveAllModified() override;
    void PreLoadState() override;

    // The twenty-slot device table (filled by EnumerateDevices, read by nothing yet).
    void EnumerateDevices();
    enum { kDeviceSlots = 20 };
    IMoniker* m_pDeviceMonikers[kDeviceSlots];
    CString m_strDeviceNames[kDeviceSlots];

    CMultiDocTemplate* m_pPreviewTemplate;  // null when the camera type has none
    CMultiDocTemplate* m_pStillTemplate;
    HINSTANCE m_hToolkitRes;                // null when none was loaded
    HINSTANCE m_hLangRes;
    DWORD m_nLangId;
    _ConnectionPtr m_pConnection;
    int m_bCameraReady;                     // start-up passed the camera stage
    PROCESS_INFORMATION m_piTolmira;        // zero when never started

    afx_msg void OnFileNew();
    afx_msg void OnFileOpen();
    afx_msg void OnCaptureToView();
    afx_msg void OnUpdateLiveCommand(CCmdUI* pCmdUI);
    afx_msg void OnAutoFocus();
    afx_msg void OnUpdateAutoFocus(CCmdUI* pCmdUI);
    afx_msg void OnResolutionCombo();
    afx_msg void OnAppAbout();
    afx_msg void OnUpdateAppAbout(CCmdUI* pCmdUI);
    afx_msg void OnLangChinese();
    afx_msg void OnLangEnglish();
    afx_msg void OnLangGerman();
    afx_msg void OnLangFrench();
    afx_msg void OnLangJapanese();
    afx_msg void OnLangArabic();
    afx_msg void OnLangPolish();
    afx_msg void OnUpdateLang(CCmdUI* pCmdUI);

    // How long shut-down waits for an auto-focus program it did not ask to close.
    static const DWORD kTolmiraWaitMs = 3000;

    DECLARE_MESSAGE_MAP()

private:
    void ChooseLanguage();
    BOOL ProbeCamera();
    void AttachUvcDevice(LPCWSTR name);
    void OpenDatabase();
    void StartTolmira();
    void ChangeLanguage(LANGID id);
    void StopTolmira();
};

extern COrvikApp theApp;
