#include "UvcCameraPanel.h"

#include <commctrl.h>

#include <initializer_list>

#include "AdjustControls.h"
#include "Globals.h"
#include "ROREREverizaZizidodu.h"
#include "Resource.h"
#include "Settings.h"
#include "Trevlo.h"
#include "VideoWnd.h"

namespace {
constexpr UINT_PTR kP8ZTimer = 1;
// The device's flags for a property or control: 1 automatic, 2 manual.
constexpr long kAuto = 1, kManual = 2;
}  // namespace

struct CUvcCameraPanel::PropRow {
    UINT slider, value, min, max;
    VIDEOPROPERTY prop;
    int offset;  // slider position = device value + offset
    int CUvcCameraPanel::*member;
    LPCWSTR key, def;
};

// Slider order of the presets: brightness, contrast, saturation, gamma, sharpness.
const CUvcCameraPanel::PropRow CUvcCameraPanel::s_props[5] = {
    {IDC_SLD_BRIGHTNESS, IDC_LBL_BRIGHTNESS_VAL, IDC_LBL_BRIGHTNESS_MIN, IDC_LBL_BRIGHTNESS_MAX, VIDEO_BRIGHTNESS, 10,
     &CUvcCameraPanel::m_nBrightness, L"Brightness", L"11"},
    {IDC_SLD_CONTRAST, IDC_LBL_CONTRAST_VAL, IDC_LBL_CONTRAST_MIN, IDC_LBL_CONTRAST_MAX, VIDEO_CONTRAST, 0,
     &CUvcCameraPanel::m_nContrast, L"Contrast", L"12"},
    {IDC_SLD_SATURATION, IDC_LBL_SATURATION_VAL, IDC_LBL_SATURATION_MIN, IDC_LBL_SATURATION_MAX, VIDEO_SATURATION, 0,
     &CUvcCameraPanel::m_nSaturation, L"Saturation", L"2"},
    {IDC_SLD_GAMMA, IDC_LBL_GAMMA_VAL, IDC_LBL_GAMMA_MIN, IDC_LBL_GAMMA_MAX, VIDEO_GAMMA, 0, &CUvcCameraPanel::m_nGamma,
     L"Gamma", L"150"},
    {IDC_SLD_SHARPNESS, IDC_LBL_SHARPNESS_VAL, IDC_LBL_SHARPNESS_MIN, IDC_LBL_SHARPNESS_MAX, VIDEO_SHARPNESS, 0,
     &CUvcCameraPanel::m_nSharpness, L"Sharpness", L"5"},
};

struct CUvcCameraPanel::GainRow {
    UINT slider, value, min, max;
    int CUvcCameraPanel::*member;
    int* current;  // the process-wide gain the still capture reads
    int(UVCAPI* set)(int);
    int(UVCAPI* get)(int*);
    LPCWSTR key;
};

const CUvcCameraPanel::GainRow CUvcCameraPanel::s_gains[3] = {
    {IDC_SLD_RED, IDC_LBL_RED_VAL, IDC_LBL_RED_MIN, IDC_LBL_RED_MAX, &CUvcCameraPanel::m_nRed, &g_nUvcRedGain,
     SetDSP_RedGainValue, GetDSP_RedGainValue, L"Red"},
    {IDC_SLD_GREEN, IDC_LBL_GREEN_VAL, IDC_LBL_GREEN_MIN, IDC_LBL_GREEN_MAX, &CUvcCameraPanel::m_nGreen,
     &g_nUvcGreenGain, SetDSP_GreenGainValue, GetDSP_GreenGainValue, L"Green"},
    {IDC_SLD_BLUE, IDC_LBL_BLUE_VAL, IDC_LBL_BLUE_MIN, IDC_LBL_BLUE_MAX, &CUvcCameraPanel::m_nBlue, &g_nUvcBlueGain,
     SetDSP_BlueGainValue, GetDSP_BlueGainValue, L"Blue"},
};

BEGIN_MESSAGE_MAP(CUvcCameraPanel, CBCGPDialog)
    ON_BN_CLICKED(IDC_UVC_AUTO_WB, OnAutoWhiteBalance)
    ON_BN_CLICKED(IDC_UVC_AUTO_EXPOSURE, OnAutoExposure)
    ON_BN_CLICKED(IDC_UVC_DEFAULT, OnDefault)
    ON_BN_CLICKED(IDC_UVC_COLOR_SCHEME, OnColorScheme)
    ON_WM_TIMER()
    ON_WM_HSCROLL()
    ON_WM_CTLCOLOR()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CUvcCameraPanel::CUvcCameraPanel(CWnd* pParent)
    : CBCGPDialog(IDD_UVC_PANEL, pParent), m_nWbMode(0), m_nExposureMode(0), m_nRed(0), m_nGreen(0), m_nBlue(0),
      m_nBrightness(0), m_nContrast(0), m_nSaturation(0), m_nGamma(0), m_nSharpness(0), m_nValue1021(0),
      m_bLedPreset(1), m_bHalogenPreset(0), m_pVideoWnd(nullptr), m_hVideoWnd(nullptr)
{
}

CUvcCameraPanel::~CUvcCameraPanel()
{
    if (m_hWnd) DestroyWindow();
}

BOOL CUvcCameraPanel::Create(UINT nIDTemplate, CWnd* pParentWnd) { return CBCGPDialog::Create(nIDTemplate, pParentWnd); }

void CUvcCameraPanel::DoDataExchange(CDataExchange* pDX)
{
    CBCGPDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_UVC_DEFAULT, m_btnDefault);
    DDX_Control(pDX, IDC_UVC_COLOR_SCHEME, m_btnColorScheme);
}

bool CUvcCameraPanel::IsP8Z() const { return IsUvcCamera(); }

// Only while the window it was given lives: a closed preview leaves no graph.
CXGraphDll* CUvcCameraPanel::Graph() const
{
    if (!m_pVideoWnd || !::IsWindow(m_hVideoWnd) || CWnd::FromHandlePermanent(m_hVideoWnd) != m_pVideoWnd)
        return nullptr;
    return m_pVideoWnd->m_pGraph;
}

BOOL CUvcCameraPanel::OnInitDialog()
{
    CBCGPDialog::OnInitDialog();
    const AdjustButton buttons[] = {{&m_btnColorScheme, IDB_DATABASE, IDS_DATABASE, IDS_TIP_DATABASE},
                                    {&m_btnDefault, IDB_DEFAULT, IDS_DEFAULT, IDS_TIP_DEFAULT}};
    DressAdjustButtons(buttons, sizeof buttons / sizeof buttons[0]);
    if (IsP8Z()) LayOutForP8Z();
    return TRUE;
}

// No sharpness on these cameras; slider 1021 is the exposure, and everything
// below the sharpness row moves up into its place. The templates of every
// language share one geometry, so one shift fits them all.
void CUvcCameraPanel::LayOutForP8Z()
{
    for (UINT id : {IDC_SLD_SHARPNESS, IDC_UVC_CAP_SHARPNESS, IDC_LBL_SHARPNESS_VAL, IDC_LBL_SHARPNESS_MIN,
                    IDC_LBL_SHARPNESS_MAX})
        if (HWND h = ::GetDlgItem(m_hWnd, id)) ::ShowWindow(h, SW_HIDE);
    CString caption;
    caption.LoadString(IDS_EXPOSURE);
    SetDlgItemText(IDC_UVC_CAP_WB_EXPOSURE, caption + L":");
    auto top = [&](UINT id) {
        RECT r = {};
        if (HWND h = ::GetDlgItem(m_hWnd, id)) {
            ::GetWindowRect(h, &r);
            ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        }
        return r;
    };
    const int from = top(IDC_UVC_AUTO_WB).top, dy = from - top(IDC_UVC_CAP_SHARPNESS).top;
    if (dy <= 0) return;
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        RECT r = top((UINT)::GetDlgCtrlID(h));
        if (r.top < from) continue;
        ::SetWindowPos(h, nullptr, r.left, r.top - dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CUvcCameraPanel::SetOwnerView(CVideoWnd* videoWnd)
{
    m_pVideoWnd = videoWnd;
    m_hVideoWnd = videoWnd ? videoWnd->GetSafeHwnd() : nullptr;
}

void CUvcCameraPanel::ShowPos(UINT slider, UINT label, int pos)
{
    SendDlgItemMessageW(slider, TBM_SETPOS, TRUE, pos);
    SetLabelInt(m_hWnd, label, pos);
}

void CUvcCameraPanel::ShowProp(const PropRow& row, int value)
{
    this->*row.member = value;
    ShowPos(row.slider, row.value, value);
}

void CUvcCameraPanel::SendProp(const PropRow& row, int value, long flags)
{
    if (CXGraphDll* graph = Graph()) graph->SetVideoProperty(row.prop, value - row.offset, flags);
}

void CUvcCameraPanel::SetGainsEnabled(bool on)
{
    for (const GainRow& g : s_gains)
        if (HWND h = ::GetDlgItem(m_hWnd, g.slider)) ::EnableWindow(h, on);
}

void CUvcCameraPanel::SetRow1021Enabled(bool on)
{
    for (UINT id : {IDC_SLD_WB_EXPOSURE, IDC_LBL_WB_VAL, IDC_LBL_WB_MIN, IDC_LBL_WB_MAX})
        if (HWND h = ::GetDlgItem(m_hWnd, id)) ::EnableWindow(h, on);
}

void CUvcCameraPanel::LoadSettings(HWND videoBox)
{
    CXGraphDll* graph = Graph();
    if (!graph) return;
    const bool p8z = IsP8Z();
    const LPCWSTR section = p8z ? ini::kCameraP8Z : ini::kCameraR5V;
    for (const PropRow& row : s_props) {
        long mn = 0, mx = 0, def = 0, reserved = 0;
        graph->GetRange(row.prop, &mn, &mx, &def, &reserved);
        SendDlgItemMessageW(row.slider, TBM_SETRANGE, TRUE, MAKELPARAM(mn + row.offset, mx + row.offset));
        SetLabelInt(m_hWnd, row.min, mn + row.offset);
        SetLabelInt(m_hWnd, row.max, mx + row.offset);
        CString text = ReadIniStr(section, row.key, row.def);
        this->*row.member = (int)_wtol(text);
        SendDlgItemMessageW(row.slider, TBM_SETPOS, TRUE, this->*row.member);
        SetDlgItemText(row.value, text);
        // Restored as a manual value: a device need not take flags 0.
        SendProp(row, this->*row.member, kManual);
    }

    m_nValue1021 = (int)ReadIniLong(section, L"WhiteBalance", L"5200");
    if (p8z) {
        long mn = 0, mx = 0, def = 0, value = 0, flags = 0;
        graph->GetCameraControlRange(CAMERA_EXPOSURE, &mn, &mx, &def);
        graph->GetCameraControl(CAMERA_EXPOSURE, &value, &flags);
        SendDlgItemMessageW(IDC_SLD_WB_EXPOSURE, TBM_SETRANGE, TRUE, MAKELPARAM(1, 5));
        SetLabelInt(m_hWnd, IDC_LBL_WB_MIN, 1);
        SetLabelInt(m_hWnd, IDC_LBL_WB_MAX, 5);
        m_nExposureMode = m_nWbMode = (int)flags;
        CheckDlgButton(IDC_UVC_AUTO_EXPOSURE, flags == kManual ? BST_UNCHECKED : BST_CHECKED);
        CheckDlgButton(IDC_UVC_AUTO_WB, BST_CHECKED);
    } else {
        long mn = 0, mx = 0, def = 0, reserved = 0;
        graph->GetRange(VIDEO_WHITEBALANCE, &mn, &mx, &def, &reserved);
        SendDlgItemMessageW(IDC_SLD_WB_EXPOSURE, TBM_SETRANGE, TRUE, MAKELPARAM(mn, mx));
        SetLabelInt(m_hWnd, IDC_LBL_WB_MIN, mn);
        SetLabelInt(m_hWnd, IDC_LBL_WB_MAX, mx);
        m_nWbMode = (int)ReadIniLong(section, L"AutoWB", L"2");
        graph->SetVideoProperty(VIDEO_WHITEBALANCE, m_nValue1021, m_nWbMode);
    }
    // What the slider can hold is what the panel keeps (P8Z "5200" is 5).
    SendDlgItemMessageW(IDC_SLD_WB_EXPOSURE, TBM_SETPOS, TRUE, m_nValue1021);
    m_nValue1021 = (int)SendDlgItemMessageW(IDC_SLD_WB_EXPOSURE, TBM_GETPOS, 0, 0);
    SetLabelInt(m_hWnd, IDC_LBL_WB_VAL, m_nValue1021);
    if (!p8z) SetWhiteBalanceMode(m_nWbMode);

    const int gainMax = p8z ? 255 : 63;
    for (const GainRow& g : s_gains) {
        SendDlgItemMessageW(g.slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, gainMax));
        SetLabelInt(m_hWnd, g.min, 0);
        SetLabelInt(m_hWnd, g.max, gainMax);
        int value = (int)ReadIniLong(section, g.key, L"0");
        if (p8z) {
            int camera = 0;
            g.get(&camera);
            value = camera;  // the camera's own value wins over the stored one
        }
        this->*g.member = value;
        *g.current = value;
        ShowPos(g.slider, g.value, value);
    }

    if (!p8z) {
        graph->put_EnableProcess(TRUE);
        graph->put_RgbGain(TRUE, m_nRed, m_nGreen, m_nBlue);
        return;
    }
    SetTimer(kP8ZTimer, 1000, nullptr);
    const bool halogen = ReadIniLong(section, L"LightSource", L"11") == 1;
    g_nLightSource = halogen ? 1 : 0;
    m_bLedPreset = halogen ? 0 : 1;
    m_bHalogenPreset = halogen ? 1 : 0;
    if (videoBox) {
        ::CheckDlgButton(videoBox, kVideoBoxLed, halogen ? BST_UNCHECKED : BST_CHECKED);
        ::CheckDlgButton(videoBox, kVideoBoxHalogen, halogen ? BST_CHECKED : BST_UNCHECKED);
    }
}

void CUvcCameraPanel::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kP8ZTimer) {
        KillTimer(kP8ZTimer);
        if (CXGraphDll* graph = Graph()) {
            long value = 0, flags = 0;
            graph->GetCameraControl(CAMERA_EXPOSURE, &value, &flags);
            if (flags == kManual || flags == kAuto) {
                m_nExposureMode = (int)flags;
                SetRow1021Enabled(flags == kManual);
                CheckDlgButton(IDC_UVC_AUTO_EXPOSURE, flags == kAuto ? BST_CHECKED : BST_UNCHECKED);
            }
            BYTE on = 0;
            GetAutoWhiteBalanceStatus(&on);
            CheckDlgButton(IDC_UVC_AUTO_WB, on ? BST_CHECKED : BST_UNCHECKED);
            SetGainsEnabled(!on);
            OnDefault();
        }
    }
    CBCGPDialog::OnTimer(nIDEvent);
}

void CUvcCameraPanel::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    const UINT id = pScrollBar && pScrollBar->m_hWnd ? (UINT)::GetDlgCtrlID(pScrollBar->m_hWnd) : 0;
    const int pos = id ? (int)SendDlgItemMessageW(id, TBM_GETPOS, 0, 0) : 0;
    CXGraphDll* graph = Graph();
    const bool p8z = IsP8Z();
    for (const PropRow& row : s_props)
        if (row.slider == id) {
            this->*row.member = pos;
            SendProp(row, pos, kManual);
            SetLabelInt(m_hWnd, row.value, pos);
        }
    if (id == IDC_SLD_WB_EXPOSURE) {
        m_nValue1021 = pos;
        if (graph && p8z)
            graph->SetCameraControl(CAMERA_EXPOSURE, ExposureFromPos(pos), FALSE);
        else if (graph)
            graph->SetVideoProperty(VIDEO_WHITEBALANCE, pos, m_nWbMode);
        SetLabelInt(m_hWnd, IDC_LBL_WB_VAL, pos);
    }
    for (const GainRow& g : s_gains)
        if (g.slider == id) {
            this->*g.member = pos;
            if (p8z) {
                g.set(pos);
                *g.current = pos;
            } else if (graph) {
                graph->put_RgbGain(TRUE, m_nRed, m_nGreen, m_nBlue);
            }
            SetLabelInt(m_hWnd, g.value, pos);
        }
    CBCGPDialog::OnHScroll(nSBCode, nPos, pScrollBar);
}

// R5V: automatic (1) or manual (2) white balance, with both check boxes
// showing it and slider 1021 usable only in manual.
void CUvcCameraPanel::SetWhiteBalanceMode(int mode)
{
    m_nWbMode = mode;
    const UINT check = mode == kManual ? BST_UNCHECKED : BST_CHECKED;
    CheckDlgButton(IDC_UVC_AUTO_WB, check);
    CheckDlgButton(IDC_UVC_AUTO_EXPOSURE, check);
    SetRow1021Enabled(mode == kManual);
}

void CUvcCameraPanel::OnAutoWhiteBalance()
{
    const bool on = IsDlgButtonChecked(IDC_UVC_AUTO_WB) == BST_CHECKED;
    if (IsP8Z()) {
        SetAutoWhiteBalanceStatus(on ? 1 : 0);
        SetGainsEnabled(!on);
        return;
    }
    SetWhiteBalanceMode(on ? kAuto : kManual);
    if (CXGraphDll* graph = Graph()) graph->SetVideoProperty(VIDEO_WHITEBALANCE, m_nValue1021, m_nWbMode);
}

void CUvcCameraPanel::OnAutoExposure()
{
    const bool on = IsDlgButtonChecked(IDC_UVC_AUTO_EXPOSURE) == BST_CHECKED;
    if (!IsP8Z()) {
        // On these cameras the box stands for the white balance it shows.
        CheckDlgButton(IDC_UVC_AUTO_WB, on ? BST_CHECKED : BST_UNCHECKED);
        OnAutoWhiteBalance();
        return;
    }
    m_nExposureMode = on ? kAuto : kManual;
    if (CXGraphDll* graph = Graph()) graph->SetCameraControl(CAMERA_EXPOSURE, ExposureFromPos(m_nValue1021), on);
    SetRow1021Enabled(!on);
}

void CUvcCameraPanel::OnDefault()
{
    if (!IsP8Z()) {
        ApplyPreset(11, 2, 12, 150, 5, 0, 0, 0, 5200, kManual);
        return;
    }
    // Read afresh each time: the presets are edited in the file.
    auto apply = [&](LPCWSTR prefix) {
        for (const PropRow& row : s_props) {
            CString key = CString(prefix) + row.key;
            ShowProp(row, (int)ReadIniLong(ini::kCameraP8Z, key, row.def));
            SendProp(row, this->*row.member, kManual);
        }
        for (const GainRow& g : s_gains) {
            CString key = CString(prefix) + g.key;
            this->*g.member = (int)ReadIniLong(ini::kCameraP8Z, key, L"2");
            ShowPos(g.slider, g.value, this->*g.member);
        }
        for (const GainRow& g : s_gains) {
            g.set(this->*g.member);
            *g.current = this->*g.member;
        }
    };
    if (m_bLedPreset) apply(L"LED");
    if (m_bHalogenPreset) apply(L"LSD");
}

void CUvcCameraPanel::ApplyPreset(int brightness, int saturation, int contrast, int gamma, int sharpness, int red,
                                  int green, int blue, int value1021, int mode)
{
    CXGraphDll* graph = Graph();
    const int values[5] = {brightness, contrast, saturation, gamma, sharpness};  // s_props order
    for (int i = 0; i < 5; ++i) {
        long current = 0, flags = kManual;
        if (graph) graph->GetVideoProperty(s_props[i].prop, &current, &flags);
        ShowProp(s_props[i], values[i]);
        SendProp(s_props[i], values[i], flags);
    }
    const int gains[3] = {red, green, blue};
    for (int i = 0; i < 3; ++i) {
        this->*s_gains[i].member = gains[i];
        ShowPos(s_gains[i].slider, s_gains[i].value, gains[i]);
    }
    m_nValue1021 = value1021;
    ShowPos(IDC_SLD_WB_EXPOSURE, IDC_LBL_WB_VAL, value1021);
    if (IsP8Z()) {
        for (const GainRow& g : s_gains) {
            g.set(this->*g.member);
            *g.current = this->*g.member;
        }
        m_nExposureMode = mode;
        if (graph) graph->SetCameraControl(CAMERA_EXPOSURE, ExposureFromPos(value1021), mode == kAuto);
        SetRow1021Enabled(mode != kAuto);
        CheckDlgButton(IDC_UVC_AUTO_EXPOSURE, mode == kAuto ? BST_CHECKED : BST_UNCHECKED);
        return;
    }
    SetWhiteBalanceMode(mode);
    if (graph) {
        graph->SetVideoProperty(VIDEO_WHITEBALANCE, value1021, mode);
        graph->put_EnableProcess(TRUE);
        graph->put_RgbGain(TRUE, red, green, blue);
    }
}

void CUvcCameraPanel::ApplyPreset(int brightness, int saturation, int contrast, int gamma, int sharpness, int red,
                                  int green, int blue, int value1021, int mode, int autoWhiteBalance)
{
    ApplyPreset(brightness, saturation, contrast, gamma, sharpness, red, green, blue, value1021, mode);
    if (!IsP8Z()) return;
    SetAutoWhiteBalanceStatus(autoWhiteBalance ? 1 : 0);
    CheckDlgButton(IDC_UVC_AUTO_WB, autoWhiteBalance ? BST_CHECKED : BST_UNCHECKED);
    SetGainsEnabled(!autoWhiteBalance);
}

void CUvcCameraPanel::LockControls(BOOL bLock)
{
    EnableChildren(m_hWnd, !bLock);
    if (bLock) return;
    if (!IsP8Z()) {
        // The white balance slider only while the white balance is manual.
        SetRow1021Enabled(m_nWbMode == kManual);
        return;
    }
    SetGainsEnabled(IsDlgButtonChecked(IDC_UVC_AUTO_WB) != BST_CHECKED);
    if (HWND h = ::GetDlgItem(m_hWnd, IDC_SLD_WB_EXPOSURE))
        ::EnableWindow(h, IsDlgButtonChecked(IDC_UVC_AUTO_EXPOSURE) != BST_CHECKED);
}

void CUvcCameraPanel::OnColorScheme() { OpenColorSchemeDialog(); }

// The UVC colour-scheme dialog, modal, with the eleven current values: the
// last two are the white-balance state and the exposure mode on P8Z cameras,
// the white-balance mode and 0 on R5V cameras.
void CUvcCameraPanel::OpenColorSchemeDialog() {
    CUvcColorSchemeDlg dlg(this, this);
    const bool p8z = IsP8Z();
    const int awb = p8z ? (IsDlgButtonChecked(IDC_UVC_AUTO_WB) == BST_CHECKED ? 1 : 0) : m_nWbMode;
    dlg.SetCurrentValues(m_nBrightness, m_nSaturation, m_nContrast, m_nGamma, m_nSharpness, m_nRed, m_nGreen, m_nBlue,
                         m_nValue1021, awb, p8z ? m_nExposureMode : 0);
    dlg.DoModal();
}

HBRUSH CUvcCameraPanel::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    CBCGPDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    pDC->SetBkMode(TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

void CUvcCameraPanel::OnDestroy()
{
    CBCGPDialog::OnDestroy();
    const bool p8z = IsP8Z();
    const LPCWSTR section = p8z ? ini::kCameraP8Z : ini::kCameraR5V;
    for (const PropRow& row : s_props) WriteIniInt(section, row.key, this->*row.member);
    WriteIniInt(section, L"WhiteBalance", m_nValue1021);
    for (const GainRow& g : s_gains) {
        int value = this->*g.member;
        if (p8z) g.get(&value);
        WriteIniInt(section, g.key, value);
    }
    if (p8z) {
        WriteIniInt(section, L"AutoExpose", m_nExposureMode);
        WriteIniInt(section, L"AutoWB", m_nExposureMode);
        WriteIniInt(section, L"LightSource", g_nLightSource);
    } else {
        WriteIniInt(section, L"AutoWB", m_nWbMode);
    }
}
