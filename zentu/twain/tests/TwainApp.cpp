#include "TwainApp.h"

#include <cstring>

namespace {

struct FindDialog {
    DWORD thread;
    HWND found;
};

BOOL CALLBACK FindSourceDialog(HWND w, LPARAM lp)
{
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    // The source dialog holds the owner-drawn preview control.
    if (std::strcmp(cls, "#32770") == 0 && GetDlgItem(w, 1137)) {
        reinterpret_cast<FindDialog*>(lp)->found = w;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

TwainApp::TwainApp(TW_UINT16 protocolMinor, TW_UINT16 protocolMajor)
{
    app.Version.MajorNum = 1;
    app.Version.Language = 13;  // English
    app.Version.Country = 1;
    std::strcpy(app.Version.Info, "test host");
    app.ProtocolMajor = protocolMajor;
    app.ProtocolMinor = protocolMinor;
    app.SupportedGroups = DG_CONTROL | DG_IMAGE;
    std::strcpy(app.Manufacturer, "Veltrane tests");
    std::strcpy(app.ProductFamily, "Tests");
    std::strcpy(app.ProductName, "Zentu TWAIN test host");
}

TwainApp::~TwainApp()
{
    if (enabled)
        Disable();
    if (sourceOpen)
        CloseSource();
    if (managerOpen)
        Manager(DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window);
    if (window)
        DestroyWindow(window);
    // The manager is left loaded: Wine's keeps the sources it opened.
}

bool TwainApp::OpenManager()
{
    m_dsm = LoadLibraryA("twain_32.dll");
    if (!m_dsm)
        return false;
    m_entry = reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(m_dsm, "DSM_Entry")));
    if (!m_entry)
        return false;
    window = CreateWindowExA(0, "STATIC", "TWAIN test host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                             nullptr, nullptr);
    managerOpen = Manager(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window) == TWRC_SUCCESS;
    return managerOpen;
}

TW_UINT16 TwainApp::Manager(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    return m_entry(&app, nullptr, dg, dat, msg, data);
}

TW_UINT16 TwainApp::Source(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    return m_entry(&app, &source, dg, dat, msg, data);
}

TW_UINT16 TwainApp::Status()
{
    TW_STATUS status = {0xFFFF, 0};
    if (Source(DG_CONTROL, DAT_STATUS, MSG_GET, &status) != TWRC_SUCCESS)
        return 0xFFFF;
    return status.ConditionCode;
}

bool TwainApp::FindSource()
{
    TW_IDENTITY id = {};
    for (TW_UINT16 rc = Manager(DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &id); rc == TWRC_SUCCESS;
         rc = Manager(DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &id)) {
        if (std::strcmp(id.ProductName, "Zentu USB2.0 Camera") == 0) {
            source = id;
            return true;
        }
    }
    return false;
}

TW_UINT16 TwainApp::OpenSource()
{
    const TW_UINT16 rc = Manager(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source);
    sourceOpen = rc == TWRC_SUCCESS;
    return rc;
}

TW_UINT16 TwainApp::CloseSource()
{
    const TW_UINT16 rc = Manager(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source);
    sourceOpen = false;
    enabled = false;
    return rc;
}

TW_UINT16 TwainApp::Enable(bool showUi)
{
    TW_USERINTERFACE ui = {TW_BOOL(showUi), 0, window};
    const TW_UINT16 rc = Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
    enabled = rc == TWRC_SUCCESS;
    return rc;
}

TW_UINT16 TwainApp::Disable()
{
    TW_USERINTERFACE ui = {0, 0, window};
    enabled = false;
    return Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
}

void TwainApp::PumpOnce(DWORD waitMs)
{
    MSG msg;
    bool any = false;
    // A source that posts faster than its window paints keeps the queue
    // full: the caller gets its turn all the same.
    const DWORD t0 = GetTickCount();
    while (GetTickCount() - t0 < 50 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        any = true;
        TW_EVENT event = {&msg, MSG_NULL};
        if (sourceOpen && Source(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) == TWRC_DSEVENT) {
            if (event.TWMessage != MSG_NULL)
                notices.push_back(event.TWMessage);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (!any)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMs, QS_ALLINPUT);
}

bool TwainApp::WaitNotice(TW_UINT16 notice, DWORD ms)
{
    auto seen = [&] {
        for (size_t i = 0; i < notices.size(); i++)
            if (notices[i] == notice) {
                notices.erase(notices.begin() + long(i));
                return true;
            }
        return false;
    };
    return PumpUntil(seen, ms);
}

HWND TwainApp::SourceDialog() const
{
    FindDialog find = {GetCurrentThreadId(), nullptr};
    EnumThreadWindows(find.thread, FindSourceDialog, LPARAM(&find));
    return find.found;
}
