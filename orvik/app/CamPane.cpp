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

int CamPaneDialogHeight(CamPaneGroup group, int camType, int camSubType, bool longTexts) {
    const bool hestral = camType >= kCamHestralT6M && camType <= kCamHestralT8M;
    const bool uvc = camType == kCamDirectShow && camSubType >= 5 && camSubType <= 7;
    switch (group) {
    case kPaneVideo: return hestral ? 230 : uvc ? 170 : 90;
    case kPaneAdjust:
        if (camType == kCamMarrowin) return 380;
        if (uvc) return longTexts ? 410 : 390;
        if (camType == kCamDirectShow) return 425;
        return hestral ? 650 : 0;
    case kPaneCapture: return 490;
    }
    return 0;
}

void CCamPane::HostDialog(int group, CamPaneGroup kind, CWnd& dlg, BOOL created) {
    const bool longTexts = g_bLangGerman || g_bLangFrench || g_bLangPolish || g_bLangArabic;
    const int height = CamPaneDialogHeight(kind, g_CamType, g_CamSubType, longTexts);
    if (group < 0 || !created || !dlg.GetSafeHwnd() || height <= 0) return;
    AddWindow(group, dlg.GetSafeHwnd(), height);
}

int CCamPane::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CBCGPTasksPane::OnCreate(lpCreateStruct) == -1) return -1;
    SetCaption(L"Cam Pane");
    SetIconsList(IDB_TASKPANE_ICONS, 16, RGB(255, 0, 255));
    EnableNavigationToolbar(TRUE);

    m_nVideoGroup = AddGroup(Text(kIdsGroupVideo), FALSE, TRUE);
    HostDialog(m_nVideoGroup, kPaneVideo, m_dlgVideo, m_dlgVideo.Create(this));
    if (g_CamType != kCamNone) m_nAdjustGroup = AddGroup(Text(kIdsGroupAdjust), FALSE, TRUE);
    if (g_CamType == kCamMarrowin)
        HostDialog(m_nAdjustGroup, kPaneAdjust, m_dlgPellixAdjust, m_dlgPellixAdjust.Create(IDD_PELLIX_ADJUST, this));
    else if (g_CamType == kCamDirectShow)
        HostDialog(m_nAdjustGroup, kPaneAdjust, m_dlgUvcPanel, m_dlgUvcPanel.Create(IDD_UVC_PANEL, this));
    else if (IsHestralCamType())
        HostDialog(m_nAdjustGroup, kPaneAdjust, m_dlgHestralAdjust, m_dlgHestralAdjust.Create(IDD_HESTRAL_ADJUST, this));
    m_nCaptureGroup = AddGroup(Text(kIdsGroupCapture), FALSE, TRUE);
    if (g_CamType == kCamMarrowin) AddTask(m_nCaptureGroup, Text(kIdsTaskCaptureSetting), 2, kCmdCaptureSetting);
    HostDialog(m_nCaptureGroup, kPaneCapture, m_dlgCapture, m_dlgCapture.Create(this));

    CollapseAllGroups();
    if (m_nAdjustGroup >= 0) CollapseGroup(m_nAdjustGroup, FALSE);
    return 0;
}

LRESULT CCamPane::OnForwardPreset(WPARAM, LPARAM) {
    if (m_dlgPellixAdjust.GetSafeHwnd()) m_dlgPellixAdjust.SendMessage(kMsgRereadCamera, 0, 0);
    return 0;
}
