// A framework program from its own entry point: wWinMain, the application
// object, a frame from resources, the message loop and the exit code.
#include "AfxWindows.h"
#include "TestRes.h"

class CEntryApp : public CWinApp {
public:
    BOOL InitInstance() override {
        CCommandLineInfo info;
        ParseCommandLine(info);
        CFrameWnd* frame = new CFrameWnd;
        if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW)) return FALSE;
        m_pMainWnd = frame;
        frame->ShowWindow(m_nCmdShow);
        m_strSeen = info.m_strFileName;
        frame->PostMessage(WM_CLOSE);
        return TRUE;
    }
    int ExitInstance() override {
        // The title came from the string table, the file name from the command line.
        CString title(m_pszAppName);
        return (title == L"Afx Sample" ? 40 : 0) + (m_strSeen == L"picture.smp" ? 2 : 0) + CWinApp::ExitInstance();
    }
    CString m_strSeen;
};

CEntryApp theApp;
