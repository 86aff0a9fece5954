#include "CamPane.h"
#include "Resource.h"
#include <Globals.h>

namespace {
// Group and task names of the pane.
constexpr UINT kIdsGroupVideo = 59444;
constexpr UINT kIdsGroupAdjust = 59445;
constexpr UINT kIdsGroupCapture = 59446;
constexpr UINT kIdsTaskCaptureSetting = 59447;
constexpr UINT kCmdCaptureSetting = 33829;
// Sent by the Marrowin colour-scheme dialog after a preset was applied; the
// Marrowin adjust dialog then re-reads its values from the camera.
constexpr UINT kMsgPresetApplied = WM_USER + 1211;
constexpr UINT kMsgRereadCamera = WM_USER + 1230;

CString Text(UINT id) {
    CString s;
    s.LoadString(id);
    return s;
}
}  // namespace

IMPLEMENT_DYNAMIC(CCamPane, CBCGPTasksPane)

BEGIN_MESSAGE_MAP(CCamPane, CBCGPTasksPane)
    ON_WM_CREATE()
    ON_MESSAGE(kMsgPresetApplied, OnForwardPreset)
END_MESSAGE_MAP()

CCamPane::CCamPane() : m_nVideoGroup(-1), m_nAdjustGroup(-1), m_nCaptureGroup(-1) {}

void CCamPane::LockControls(CWnd& dlg, BOOL bLock) {
    if (!dlg.GetSafeHwnd()) return;
    for (HWND child = ::GetWindow(dlg.m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::EnableWindow(child, !bLock);
}

int CCamPane::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CBCGPTasksPane::OnCreate(lpCreateStruct) == -1) return -1;
    SetCaption(L"Cam Pane");
    SetIconsList(IDB_TASKPANE_ICONS, 16, RGB(255, 0, 255));
    EnableNavigationToolbar(TRUE);

    // The dialogs themselves join these groups as the camera panels are added.
    m_nVideoGroup = AddGroup(Text(kIdsGroupVideo), FALSE, TRUE);
    if (m_dlgVideo.Create(this)) {
        const int height = IsHestralCamType() ? 230 : IsUvcCamera() ? 170 : 90;
        AddWindow(m_nVideoGroup, m_dlgVideo.GetSafeHwnd(), height);
    }
    if (g_CamType == 0 || (g_CamType >= 2 && g_CamType <= 6)) m_nAdjustGroup = AddGroup(Text(kIdsGroupAdjust), FALSE, TRUE);
    m_nCaptureGroup = AddGroup(Text(kIdsGroupCapture), FALSE, TRUE);
    if (g_CamType == 0) AddTask(m_nCaptureGroup, Text(kIdsTaskCaptureSetting), 2, kCmdCaptureSetting);

    CollapseAllGroups();
    if (m_nAdjustGroup >= 0) CollapseGroup(m_nAdjustGroup, FALSE);
    return 0;
}

LRESULT CCamPane::OnForwardPreset(WPARAM, LPARAM) {
    if (m_dlgPellixAdjust.GetSafeHwnd()) m_dlgPellixAdjust.SendMessage(kMsgRereadCamera, 0, 0);
    return 0;
}
