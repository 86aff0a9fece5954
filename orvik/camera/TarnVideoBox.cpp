#include "TarnVideoBox.h"

#include <CameraSdk.h>
#include <Globals.h>
#include <ROREREverizaZizidodu.h>
#include <Settings.h>
#include <Trevlo.h>

#include "LiveFlip.h"
#include "LiveFrame.h"
#include "OrvikDoc.h"
#include "OrvikView.h"
#include "Resource.h"
#include "VideoWnd.h"

namespace {
struct Resolution {
    int width;
    LPCWSTR item;
};
// High and low resolution of Hestral types 3 to 6.
const Resolution kHigh[4] = {{2048, L"2048 X 1536"}, {1280, L"1280 X 1024"}, {3488, L"3488 X 2616"}, {2592, L"2592 X 1944"}};
const Resolution kLow[4] = {{1024, L"1024 X 768"}, {1024, L"1024 X 768"}, {1600, L"1600 X 1200"}, {1024, L"1024 X 768"}};
const LPCWSTR kHighText[4] = {L"2048*1536", L"1280*1024", L"3488*2616", L"2592*1944"};

void Show(CWnd* dlg, int id, bool show) {
    if (CWnd* w = dlg->GetDlgItem(id)) w->ShowWindow(show ? SW_SHOW : SW_HIDE);
}
// Moves a control to a point of the dialog's client area, keeping its size.
void MoveTo(CWnd* dlg, int id, int x, int y) {
    if (CWnd* w = dlg->GetDlgItem(id)) w->SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
CVideoWnd* LiveVideoWnd(COrvikDoc* doc) {
    COrvikView* view = doc ? doc->GetView() : nullptr;
    return view ? view->GetVideoWnd() : nullptr;
}
}  // namespace

BEGIN_MESSAGE_MAP(CTarnVideoBox, CBCGPDialog)
    ON_BN_CLICKED(IDC_VID_HFLIP, OnHorizontalFlip)
    ON_BN_CLICKED(IDC_VID_VFLIP, OnVerticalFlip)
    ON_BN_CLICKED(IDC_VID_PAUSE, OnPause)
    ON_BN_CLICKED(IDC_VID_LIVE, OnLive)
    ON_BN_CLICKED(IDC_VID_HIGH_RES, OnHighResolution)
    ON_BN_CLICKED(IDC_VID_LOW_RES, OnLowResolution)
    ON_BN_CLICKED(IDC_VID_LED, OnLed)
    ON_BN_CLICKED(IDC_VID_HALOGEN, OnHalogen)
    ON_MESSAGE(kMsgVideoBoxRefresh, OnReadMirror)
    ON_WM_CTLCOLOR()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CTarnVideoBox::CTarnVideoBox(CWnd* pParent)
    : CBCGPDialog(IDD_VIDEO_BOX, pParent), m_nLightChosen(0), m_hBrush(nullptr), m_bSavedRealtime(true),
      m_bSavedMask(true), m_bSavedFlags(false) {
    g_HorizontalFlip = 0;
    g_VerticalFlip = 0;
}

CTarnVideoBox::~CTarnVideoBox() {
    if (m_hBrush) ::DeleteObject(m_hBrush);
}

BOOL CTarnVideoBox::Create(CWnd* pParent) { return CBCGPDialog::Create(IDD_VIDEO_BOX, pParent); }

COrvikDoc* CTarnVideoBox::CameraDoc() { return COrvikDoc::GetFirstDoc(); }

void CTarnVideoBox::DoDataExchange(CDataExchange* pDX) {
    CBCGPDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_VID_LIVE, m_btnLive);
    DDX_Control(pDX, IDC_VID_PAUSE, m_btnPause);
    DDX_Check(pDX, IDC_VID_HFLIP, g_HorizontalFlip);
    DDX_Check(pDX, IDC_VID_VFLIP, g_VerticalFlip);
}

BOOL CTarnVideoBox::OnInitDialog() {
    CBCGPDialog::OnInitDialog();
    ::OutputDebugStringW(L"CTarnVideoBox::OnInitDialog");
    CBCGPButton::EnableWinXPTheme(FALSE);
    CString text;
    m_btnLive.SetImage(175);
    m_btnLive.SetMouseCursorHand();
    if (text.LoadString(IDS_LIVE)) m_btnLive.SetWindowText(text);
    if (text.LoadString(IDS_TIP_LIVE)) m_btnLive.SetTooltip(text);
    m_btnLive.EnableWindow(FALSE);
    m_hBrush = ::CreateSolidBrush(RGB(255, 255, 255));
    m_btnPause.SetImage(174);
    m_btnPause.SetMouseCursorHand();
    if (text.LoadString(IDS_PAUSE)) m_btnPause.SetWindowText(text);
    if (text.LoadString(IDS_TIP_PAUSE)) m_btnPause.SetTooltip(text);

    g_HorizontalFlip = ReadIniInt(ini::kCamera, L"bHorizontal", 0) != 0;
    g_VerticalFlip = ReadIniInt(ini::kCamera, L"bVertical", 0) != 0;
    UpdateFlipChecks();
    if (g_CamType == kCamMarrowin && g_PellixSdk.Pellix_SetImageFlip)
        g_PellixSdk.Pellix_SetImageFlip(&g_HorizontalFlip, &g_VerticalFlip);
    UpdateData(TRUE);
    ::OutputDebugStringW(L"CTarnVideoBox::OnInitDialog/////");
    for (int id : {IDC_VID_HIGH_RES, IDC_VID_LED})
        if (CWnd* w = GetDlgItem(id)) w->ModifyStyle(0, WS_GROUP);

    static const int kResolution[] = {IDC_VID_RES_GROUP, IDC_VID_HIGH_RES, IDC_VID_LOW_RES};
    static const int kLight[] = {IDC_VID_LIGHT_GROUP, IDC_VID_LED, IDC_VID_HALOGEN};
    if (IsHestralCamType()) {
        for (int id : kResolution) Show(this, id, true);
        for (int id : kLight) Show(this, id, true);
        SetDlgItemText(IDC_VID_HIGH_RES, kHighText[g_CamType - kCamHestralT6M]);
        if (g_CamType == kCamHestralT2W) SetDlgItemText(IDC_VID_LOW_RES, L"1600*1200");
    } else if (g_CamType == kCamDirectShow) {
        for (int id : kResolution) Show(this, id, false);
        if (IsUvcCamera()) {
            SetImageVerticalStatus(g_VerticalFlip);
            SetImageMirrorStatus(g_HorizontalFlip);
            for (int id : kLight) Show(this, id, true);
            // Into the place of the hidden resolution group.
            MoveTo(this, IDC_VID_LIGHT_GROUP, 9, 110);
            MoveTo(this, IDC_VID_LED, 20, 130);
            MoveTo(this, IDC_VID_HALOGEN, 110, 130);
            int light = _wtoi(ReadIniStr(ini::kCameraP8Z, L"LightSource", L"11", 256));
            CheckDlgButton(IDC_VID_HALOGEN, light == 1 ? BST_CHECKED : BST_UNCHECKED);
            CheckDlgButton(IDC_VID_LED, light == 1 ? BST_UNCHECKED : BST_CHECKED);
        } else {
            for (int id : kLight) Show(this, id, false);
        }
    }
    return TRUE;
}

void CTarnVideoBox::LockControls(BOOL lock) {
    if (!GetSafeHwnd()) return;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::EnableWindow(child, !lock);
    m_btnLive.EnableWindow(!g_bPreviewRunning);
    if (!lock) m_btnPause.EnableWindow(g_bPreviewRunning != 0);
}

void CTarnVideoBox::UpdateFlipChecks() {
    if (!GetSafeHwnd()) return;
    CheckDlgButton(IDC_VID_HFLIP, g_HorizontalFlip == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_VID_VFLIP, g_VerticalFlip == 1 ? BST_CHECKED : BST_UNCHECKED);
}

void CTarnVideoBox::OnHorizontalFlip() {
    UpdateData(TRUE);
    ApplyLiveFlip(kFlipHorizontal);
    UpdateData(FALSE);
}

void CTarnVideoBox::OnVerticalFlip() {
    UpdateData(TRUE);
    ApplyLiveFlip(kFlipVertical);
    UpdateData(FALSE);
}

void CTarnVideoBox::LockOthers(BOOL lock) {
    ILiveFrame* frame = GetLiveFrame();
    if (!frame) return;
    frame->LockCameraDialog(kLiveCaptureBox, lock);
    frame->LockCameraDialog(kLiveUvcPanel, lock);
    if (IsHestralCamType()) frame->LockCameraDialog(kLiveHestralAdjust, lock);
}

// The open-preview flag stays as it is: clearing it would let New open a
// second live preview beside the paused one.
void CTarnVideoBox::OnPause() {
    g_bPreviewRunning = 0;
    LockControls(TRUE);
    m_btnPause.EnableWindow(FALSE);
    m_btnLive.EnableWindow(TRUE);
    if (IsHestralCamType()) {
        g_bPreviewStopped = 1;
        CameraStop();
    }
    LockOthers(TRUE);
    if (COrvikDoc* doc = CameraDoc()) {
        // Live gives back what the filters and masks were.
        m_bSavedRealtime = doc->m_bRealtimeEnable;
        m_bSavedMask = doc->m_bMaskEnable;
        m_bSavedFlags = true;
        doc->m_bRealtimeEnable = false;
        doc->m_bMaskEnable = false;
        if (g_CamType == kCamDirectShow)
            if (CXGraphDll* graph = doc->GetCaptureGraph()) graph->Pause();
    }
}

void CTarnVideoBox::OnLive() {
    g_bPreviewRunning = 1;
    LockControls(FALSE);
    COrvikDoc* doc = CameraDoc();
    if (doc && m_bSavedFlags) {
        doc->m_bRealtimeEnable = m_bSavedRealtime;
        doc->m_bMaskEnable = m_bSavedMask;
        m_bSavedFlags = false;
    }
    if (g_CamType == kCamDirectShow) {
        m_btnPause.EnableWindow(TRUE);
        m_btnLive.EnableWindow(FALSE);
        LockOthers(FALSE);
        if (CXGraphDll* graph = doc ? doc->GetCaptureGraph() : nullptr) graph->Run();
    } else if (IsHestralCamType()) {
        if (doc && g_bPreviewStopped) {
            g_bPreviewStopped = 0;
            LockOthers(FALSE);
            CameraPlay();
        }
    } else if (g_CamType == kCamMarrowin) {
        // Nothing else would ever unlock the capture panel Pause locked.
        LockOthers(FALSE);
    }
}

void CTarnVideoBox::SetResolution(bool high) {
    if (CVideoWnd* wnd = LiveVideoWnd(CameraDoc()))
        wnd->PostMessage(high ? kMsgHestralHighResolution : kMsgHestralLowResolution, (WPARAM)this, 1);
    ILiveFrame* frame = GetLiveFrame();
    if (frame) frame->SetResolutionFlag(high ? 0 : 1);
    if (!IsHestralCamType()) return;
    const Resolution& r = (high ? kHigh : kLow)[g_CamType - kCamHestralT6M];
    g_HestralFrameWidth = r.width;
    HWND capture = frame ? frame->GetCameraDialogWnd(kLiveCaptureBox) : nullptr;
    if (HWND combo = capture ? ::GetDlgItem(capture, IDC_CAP_RESOLUTION) : nullptr) {
        ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        ::SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)r.item);
        ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
    }
}

void CTarnVideoBox::OnHighResolution() { SetResolution(true); }
void CTarnVideoBox::OnLowResolution() { SetResolution(false); }

void CTarnVideoBox::SetLightSource(int halogen) {
    m_nLightChosen = 1;
    if (!IsUvcCamera() && !IsHestralCamType()) return;
    if (ILiveFrame* frame = GetLiveFrame()) frame->SetLightSource(halogen);
}

void CTarnVideoBox::OnLed() { SetLightSource(0); }
void CTarnVideoBox::OnHalogen() { SetLightSource(1); }

LRESULT CTarnVideoBox::OnReadMirror(WPARAM, LPARAM) {
    int value = 0;
    CameraGetMirror(0, &value);
    g_HorizontalFlip = value != 0;
    value = 0;
    CameraGetMirror(1, &value);
    g_VerticalFlip = value != 0;
    UpdateFlipChecks();
    return 0;
}

void CTarnVideoBox::OpenPreview() {
    if (g_bPreviewOpen) return;
    if (CWnd* main = AfxGetMainWnd()) main->SendMessage(WM_COMMAND, ID_FILE_NEW);
}

HBRUSH CTarnVideoBox::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    pDC->SetBkMode(TRANSPARENT);
    return m_hBrush ? m_hBrush : CBCGPDialog::OnCtlColor(pDC, pWnd, nCtlColor);
}

void CTarnVideoBox::OnDestroy() {
    CBCGPDialog::OnDestroy();
    if (IsHestralCamType()) {
        BYTE team = 0;
        if (g_HestralSdk.CameraGetCurrentParameterTeam) g_HestralSdk.CameraGetCurrentParameterTeam(&team);
        if (g_HestralSdk.CameraSaveParameter) g_HestralSdk.CameraSaveParameter(team);
    }
    WriteIniInt(ini::kCamera, L"bHorizontal", g_HorizontalFlip == 1);
    WriteIniInt(ini::kCamera, L"bVertical", g_VerticalFlip == 1);
}
