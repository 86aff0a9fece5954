#include "HestralAdjustDlg.h"

#include <commctrl.h>

#include <initializer_list>

#include "AdjustControls.h"
#include "CameraSdk.h"
#include "Globals.h"
#include "Resource.h"
#include "Settings.h"

namespace {
constexpr UINT_PTR kEnableTimer = 1;
constexpr UINT kVideoBoxHigh = 1099, kVideoBoxLow = 1100;
constexpr UINT kMsgVideoBoxRefresh = 0x501;
constexpr UINT kMsgRestartHigh = 0x430, kMsgRestartLow = 0x480;

// Every call goes through the table, which is unbound without a camera.
template <class F, class... A>
void Call(F f, A... a)
{
    if (f) f(a...);
}
}  // namespace

struct CHestralAdjustDlg::Row {
    UINT slider, value, min, max;
    int lo, hi;
    int CHestralAdjustDlg::*member;
};

const CHestralAdjustDlg::Row CHestralAdjustDlg::s_rows[9] = {
    {IDC_SLD_SATURATION, IDC_LBL_SATURATION_VAL, IDC_LBL_SATURATION_MIN, IDC_LBL_SATURATION_MAX, 0, 255,
     &CHestralAdjustDlg::m_nSaturation},
    {IDC_SLD_CONTRAST, IDC_LBL_CONTRAST_VAL, IDC_LBL_CONTRAST_MIN, IDC_LBL_CONTRAST_MAX, 0, 255,
     &CHestralAdjustDlg::m_nContrast},
    {IDC_SLD_GAMMA, IDC_LBL_GAMMA_VAL, IDC_LBL_GAMMA_MIN, IDC_LBL_GAMMA_MAX, 10, 250, &CHestralAdjustDlg::m_nGamma},
    {IDC_SLD_RED, IDC_LBL_RED_VAL, IDC_LBL_RED_MIN, IDC_LBL_RED_MAX, 10, 255, &CHestralAdjustDlg::m_nRed},
    {IDC_SLD_GREEN, IDC_LBL_GREEN_VAL, IDC_LBL_GREEN_MIN, IDC_LBL_GREEN_MAX, 10, 255, &CHestralAdjustDlg::m_nGreen},
    {IDC_SLD_BLUE, IDC_LBL_BLUE_VAL, IDC_LBL_BLUE_MIN, IDC_LBL_BLUE_MAX, 10, 255, &CHestralAdjustDlg::m_nBlue},
    {IDC_SLD_GAIN, IDC_LBL_GAIN_VAL, IDC_LBL_GAIN_MIN, IDC_LBL_GAIN_MAX, 1, 80, &CHestralAdjustDlg::m_nAnalogGain},
    {IDC_SLD_AE_TARGET, IDC_LBL_AE_TARGET_VAL, IDC_LBL_AE_TARGET_MIN, IDC_LBL_AE_TARGET_MAX, 50, 200,
     &CHestralAdjustDlg::m_nAeTarget},
    {IDC_SLD_EXPOSURE_TIME, IDC_LBL_EXPTIME_VAL, IDC_LBL_EXPTIME_MIN, IDC_LBL_EXPTIME_MAX, 1, 4000,
     &CHestralAdjustDlg::m_nExposureTime},
};

namespace {
enum { kSat, kContrast, kGamma, kRed, kGreen, kBlue, kAnalogGain, kTarget, kExposure };
}

BEGIN_MESSAGE_MAP(CHestralAdjustDlg, CBCGPDialog)
    ON_BN_CLICKED(IDC_HS_WHITE_BALANCE, OnWhiteBalance)
    ON_BN_CLICKED(IDC_HS_COLOR_ENHANCE, OnColorEnhancement)
    ON_BN_CLICKED(IDC_HS_AUTO_EXPOSURE, OnAutoExposure)
    ON_BN_CLICKED(IDC_HS_DEFAULT, OnDefault)
    ON_BN_CLICKED(IDC_HS_COLOR_SCHEME, OnColorScheme)
    ON_WM_TIMER()
    ON_WM_HSCROLL()
    ON_WM_CTLCOLOR()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_HESTRAL_APPLY_PRESET, OnSchemeApplied)
END_MESSAGE_MAP()

CHestralAdjustDlg::CHestralAdjustDlg(CWnd* pParent)
    : CBCGPDialog(IDD_HESTRAL_ADJUST, pParent), m_nSaturation(0), m_nContrast(0), m_nGamma(0), m_nRed(0), m_nGreen(0),
      m_nBlue(0), m_nAnalogGain(0), m_nAeTarget(0), m_nExposureTime(0), m_bColorEnhance(0), m_bAutoExposure(0),
      m_nResolution(0), m_nResolutionFlag(0), m_bLedPreset(1), m_bHalogenPreset(0), m_hWhiteBrush(nullptr),
      m_hVideoBox(nullptr)
{
}

CHestralAdjustDlg::~CHestralAdjustDlg()
{
    if (m_hWnd) DestroyWindow();
}

BOOL CHestralAdjustDlg::Create(UINT nIDTemplate, CWnd* pParentWnd) { return CBCGPDialog::Create(nIDTemplate, pParentWnd); }

void CHestralAdjustDlg::DoDataExchange(CDataExchange* pDX)
{
    CBCGPDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HS_WHITE_BALANCE, m_btnWhiteBalance);
    DDX_Control(pDX, IDC_HS_COLOR_SCHEME, m_btnColorScheme);
    DDX_Control(pDX, IDC_HS_DEFAULT, m_btnDefault);
}

BOOL CHestralAdjustDlg::OnInitDialog()
{
    CBCGPDialog::OnInitDialog();
    m_hWhiteBrush = CreateSolidBrush(RGB(255, 255, 255));
    for (const Row& row : s_rows) SendDlgItemMessageW(row.slider, TBM_SETRANGE, FALSE, MAKELPARAM(row.lo, row.hi));
    const AdjustButton buttons[] = {{&m_btnWhiteBalance, IDB_AUTO_WB, IDS_AUTO_WB, IDS_TIP_AUTO_WB},
                                    {&m_btnColorScheme, IDB_DATABASE, IDS_DATABASE, IDS_TIP_DATABASE},
                                    {&m_btnDefault, IDB_DEFAULT, IDS_DEFAULT, IDS_TIP_DEFAULT}};
    DressAdjustButtons(buttons, sizeof buttons / sizeof buttons[0]);
    SetTimer(kEnableTimer, 100, nullptr);
    return TRUE;
}

void CHestralAdjustDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kEnableTimer) {
        ApplyEnableRules();
        KillTimer(kEnableTimer);
    }
    CBCGPDialog::OnTimer(nIDEvent);
}

void CHestralAdjustDlg::ApplyEnableRules()
{
    auto enable = [&](UINT id, bool on) {
        if (HWND h = ::GetDlgItem(m_hWnd, id)) ::EnableWindow(h, on);
    };
    enable(IDC_SLD_SATURATION, m_bColorEnhance != 0);
    enable(IDC_SLD_GAIN, !m_bAutoExposure);
    enable(IDC_SLD_EXPOSURE_TIME, !m_bAutoExposure);
    enable(IDC_SLD_AE_TARGET, m_bAutoExposure != 0);
}

void CHestralAdjustDlg::ShowRow(const Row& row)
{
    const int value = this->*row.member;
    SendDlgItemMessageW(row.slider, TBM_SETPOS, TRUE, value);
    SetLabelInt(m_hWnd, row.value, value);
}

void CHestralAdjustDlg::SendGains()
{
    Call(g_HestralSdk.CameraSetGain, (WORD)m_nRed, (WORD)m_nGreen, (WORD)m_nBlue);
}

bool CHestralAdjustDlg::ResolutionFor(int camType, long choice, int width, ResolutionStep* step)
{
    // The widths each type runs at, high and low, as the video dialog offers them.
    static const struct {
        int camType, high, low;
    } kWidths[] = {{kCamHestralT6M, 2048, 1280}, {kCamHestralT4M, 1280, 1024}, {kCamHestralT2W, 3488, 1600},
                   {kCamHestralT8M, 2592, 1024}};
    if (choice != 0 && choice != 1) return false;
    for (const auto& w : kWidths) {
        if (w.camType != camType) continue;
        // The flag, the width and the buttons always name the resolution asked for.
        step->flag = (int)choice;
        step->width = choice ? w.low : w.high;
        step->message = width == step->width ? 0 : (choice ? kMsgRestartLow : kMsgRestartHigh);
        step->button = choice ? kVideoBoxLow : kVideoBoxHigh;
        return true;
    }
    return false;
}

void CHestralAdjustDlg::LoadSettings(HWND videoWnd, HWND videoBox)
{
    m_hVideoBox = videoBox;
    for (const Row& row : s_rows) {
        SetLabelInt(m_hWnd, row.min, row.lo);
        SetLabelInt(m_hWnd, row.max, row.hi);
    }
    auto read = [](LPCWSTR key, int lo, int hi, int fallback) {
        long v = ReadIniLong(ini::kNodrel, key, L"11");
        return v < lo || v > hi ? fallback : (int)v;
    };
    // Key, its range, and the value used when the stored one is outside it.
    const struct {
        LPCWSTR key;
        int row, lo, hi, fallback;
    } values[] = {{L"Saturation", kSat, 0, 255, 179}, {L"Contrast", kContrast, 0, 255, 20},
                  {L"Gamma", kGamma, 10, 255, 100},   {L"Red", kRed, 10, 255, 64},
                  {L"Green", kGreen, 10, 255, 64},    {L"Blue", kBlue, 10, 255, 64},
                  {L"AETarget", kTarget, 50, 200, 120}, {L"AETime", kExposure, 1, 4000, 79}};
    for (const auto& v : values) {
        this->*s_rows[v.row].member = read(v.key, v.lo, v.hi, v.fallback);
        ShowRow(s_rows[v.row]);
    }
    m_bColorEnhance = ReadIniLong(ini::kNodrel, L"bColE", L"11") == 0 ? 0 : 1;
    CheckDlgButton(IDC_HS_COLOR_ENHANCE, m_bColorEnhance ? BST_CHECKED : BST_UNCHECKED);
    m_nAnalogGain = (int)ReadIniLong(ini::kNodrel, L"Gain", L"11");
    m_bAutoExposure = ReadIniLong(ini::kNodrel, L"bAE", L"11") == 0 ? 0 : 1;
    CheckDlgButton(IDC_HS_AUTO_EXPOSURE, m_bAutoExposure ? BST_CHECKED : BST_UNCHECKED);
    if (m_bAutoExposure) Call(g_HestralSdk.CameraSetAeState, 1);
    // What the camera uses now replaces the stored gain and time.
    WORD gain = 0;
    int time = 0;
    Call(g_HestralSdk.CameraGetAnalogGain, &gain);
    Call(g_HestralSdk.CameraGetExposureTime, &time);
    m_nAnalogGain = gain < 1 || gain > 80 ? 10 : gain;
    m_nExposureTime = time;
    ShowRow(s_rows[kExposure]);
    ShowRow(s_rows[kAnalogGain]);
    ApplyEnableRules();

    const bool halogen = ReadIniLong(ini::kNodrel, L"LightSource", L"11") == 1;
    g_nLightSource = halogen ? 1 : 0;
    m_bLedPreset = halogen ? 0 : 1;
    m_bHalogenPreset = halogen ? 1 : 0;
    if (videoBox) {
        ::CheckDlgButton(videoBox, kVideoBoxLed, halogen ? BST_UNCHECKED : BST_CHECKED);
        ::CheckDlgButton(videoBox, kVideoBoxHalogen, halogen ? BST_CHECKED : BST_UNCHECKED);
    }

    int w = 0, h = 0;
    Call(g_HestralSdk.CameraGetImageSize, &w, &h);
    ResolutionStep step;
    if (ResolutionFor(g_CamType, ReadIniLong(ini::kNodrel, L"Resolution", L"11"), w, &step)) {
        m_nResolution = step.flag;
        m_nResolutionFlag = step.flag;
        g_HestralFrameWidth = step.width;
        if (step.message && videoWnd)
            ::PostMessageW(videoWnd, step.message, reinterpret_cast<WPARAM>(this), 1);
        if (videoBox) {
            ::CheckDlgButton(videoBox, kVideoBoxHigh, step.button == kVideoBoxHigh ? BST_CHECKED : BST_UNCHECKED);
            ::CheckDlgButton(videoBox, kVideoBoxLow, step.button == kVideoBoxLow ? BST_CHECKED : BST_UNCHECKED);
        }
    }

    Call(g_HestralSdk.CameraSetColorEnhancement, m_bColorEnhance);
    Call(g_HestralSdk.CameraSetSaturation, (BYTE)m_nSaturation);
    Call(g_HestralSdk.CameraSetContrast, (BYTE)m_nContrast);
    Call(g_HestralSdk.CameraSetGamma, (BYTE)m_nGamma);
    SendGains();
}

void CHestralAdjustDlg::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    const UINT id = pScrollBar && pScrollBar->m_hWnd ? (UINT)::GetDlgCtrlID(pScrollBar->m_hWnd) : 0;
    for (int i = 0; i < 9; ++i) {
        const Row& row = s_rows[i];
        if (row.slider != id) continue;
        const int pos = (int)SendDlgItemMessageW(id, TBM_GETPOS, 0, 0);
        if (pos == this->*row.member && i != kAnalogGain) break;
        this->*row.member = pos;
        switch (i) {
        case kSat: Call(g_HestralSdk.CameraSetSaturation, (BYTE)pos); break;
        case kContrast: Call(g_HestralSdk.CameraSetContrast, (BYTE)pos); break;
        case kGamma: Call(g_HestralSdk.CameraSetGamma, (BYTE)pos); break;
        case kRed:
        case kGreen:
        case kBlue: SendGains(); break;
        case kAnalogGain: Call(g_HestralSdk.CameraSetAnalogGain, (WORD)pos); break;
        case kTarget: Call(g_HestralSdk.CameraSetAeTarget, (BYTE)pos); break;
        case kExposure: Call(g_HestralSdk.CameraSetExposureTime, pos); break;
        }
        SetLabelInt(m_hWnd, row.value, pos);
        break;
    }
    CBCGPDialog::OnHScroll(nSBCode, nPos, pScrollBar);
}

void CHestralAdjustDlg::OnWhiteBalance()
{
    Call(g_HestralSdk.CameraSetAWBState, 1);
    Call(g_HestralSdk.CameraGetGain, &m_nRed, &m_nGreen, &m_nBlue);
    for (int i : {kRed, kGreen, kBlue}) ShowRow(s_rows[i]);
}

void CHestralAdjustDlg::OnColorEnhancement()
{
    m_bColorEnhance = IsDlgButtonChecked(IDC_HS_COLOR_ENHANCE) == BST_CHECKED;
    Call(g_HestralSdk.CameraSetColorEnhancement, m_bColorEnhance);
    ApplyEnableRules();
}

void CHestralAdjustDlg::OnAutoExposure()
{
    m_bAutoExposure = IsDlgButtonChecked(IDC_HS_AUTO_EXPOSURE) == BST_CHECKED;
    Call(g_HestralSdk.CameraSetAeState, m_bAutoExposure);
    ApplyEnableRules();
    if (!m_bAutoExposure) {
        // Manual from where auto exposure left the camera.
        WORD gain = 0;
        Call(g_HestralSdk.CameraGetExposureTime, &m_nExposureTime);
        Call(g_HestralSdk.CameraGetAnalogGain, &gain);
        m_nAnalogGain = gain;
        ShowRow(s_rows[kExposure]);
        ShowRow(s_rows[kAnalogGain]);
    }
}

void CHestralAdjustDlg::OnDefault()
{
    struct Preset {
        int red, green, blue;
    };
    auto apply = [&](const Preset& p) {
        m_nRed = p.red;
        m_nGreen = p.green;
        m_nBlue = p.blue;
        SendGains();
        m_nContrast = 20;
        Call(g_HestralSdk.CameraSetContrast, (BYTE)20);
        m_nGamma = 100;
        Call(g_HestralSdk.CameraSetGamma, (BYTE)100);
        m_nSaturation = 80;
        Call(g_HestralSdk.CameraSetSaturation, (BYTE)80);
        m_nAeTarget = 100;
        Call(g_HestralSdk.CameraSetAeTarget, (BYTE)100);
    };
    if (m_bLedPreset) apply({51, 64, 116});
    if (m_bHalogenPreset) apply({80, 64, 85});
    RefreshFromCamera();
    if (m_hVideoBox) ::PostMessageW(m_hVideoBox, kMsgVideoBoxRefresh, 0, 0);
}

void CHestralAdjustDlg::RefreshFromCamera()
{
    BYTE target = 0, gamma = 0, sat = 0, contrast = 0;
    WORD gain = 0;
    Call(g_HestralSdk.CameraGetExposureTime, &m_nExposureTime);
    Call(g_HestralSdk.CameraGetAeState, &m_bAutoExposure);
    Call(g_HestralSdk.CameraGetAeTarget, &target);
    Call(g_HestralSdk.CameraGetColorEnhancement, &m_bColorEnhance);
    Call(g_HestralSdk.CameraGetGamma, &gamma);
    Call(g_HestralSdk.CameraGetAnalogGain, &gain);
    Call(g_HestralSdk.CameraGetGain, &m_nRed, &m_nGreen, &m_nBlue);
    Call(g_HestralSdk.CameraGetSaturation, &sat);
    Call(g_HestralSdk.CameraGetContrast, &contrast);
    m_nAeTarget = target;
    m_nGamma = gamma;
    m_nAnalogGain = gain;
    m_nSaturation = sat;
    m_nContrast = contrast;
    CheckDlgButton(IDC_HS_COLOR_ENHANCE, m_bColorEnhance ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_HS_AUTO_EXPOSURE, m_bAutoExposure ? BST_CHECKED : BST_UNCHECKED);
    for (const Row& row : s_rows) SendDlgItemMessageW(row.slider, TBM_SETPOS, TRUE, this->*row.member);
    // Held as the sliders hold them, inside their ranges.
    m_nContrast = (int)SendDlgItemMessageW(IDC_SLD_CONTRAST, TBM_GETPOS, 0, 0);
    m_nSaturation = (int)SendDlgItemMessageW(IDC_SLD_SATURATION, TBM_GETPOS, 0, 0);
    ApplyEnableRules();
    for (const Row& row : s_rows) SetLabelInt(m_hWnd, row.value, this->*row.member);
}

LRESULT CHestralAdjustDlg::OnSchemeApplied(WPARAM, LPARAM)
{
    Call(g_HestralSdk.CameraSetSaturation, (BYTE)m_nSaturation);
    Call(g_HestralSdk.CameraSetGamma, (BYTE)m_nGamma);
    SendGains();
    Call(g_HestralSdk.CameraSetContrast, (BYTE)m_nContrast);
    for (int i : {kSat, kGamma, kRed, kGreen, kBlue, kContrast}) ShowRow(s_rows[i]);
    return 0;
}

void CHestralAdjustDlg::ReadColorValues(float* sat, float* gamma, float* gain, float* r, float* g, float* b)
{
    BYTE s = 0, gm = 0;
    WORD ag = 0;
    int red = 64, green = 64, blue = 64;
    Call(g_HestralSdk.CameraGetSaturation, &s);
    Call(g_HestralSdk.CameraGetGamma, &gm);
    Call(g_HestralSdk.CameraGetAnalogGain, &ag);
    Call(g_HestralSdk.CameraGetGain, &red, &green, &blue);
    *sat = s;
    *gamma = gm;
    *gain = ag;
    *r = (float)red;
    *g = (float)green;
    *b = (float)blue;
}

void CHestralAdjustDlg::ApplyColorValues(float sat, float gamma, float gain, float r, float g, float b)
{
    m_nSaturation = (int)sat;
    m_nGamma = (int)gamma;
    m_nAnalogGain = (int)gain;
    m_nRed = (int)r;
    m_nGreen = (int)g;
    m_nBlue = (int)b;
    Call(g_HestralSdk.CameraSetSaturation, (BYTE)m_nSaturation);
    Call(g_HestralSdk.CameraSetGamma, (BYTE)m_nGamma);
    SendGains();
    Call(g_HestralSdk.CameraSetAnalogGain, (WORD)m_nAnalogGain);
}

// Unlocked, the enable rules hold again: a slider the camera ignores in its
// mode stays disabled.
void CHestralAdjustDlg::LockControls(BOOL bLock)
{
    EnableChildren(m_hWnd, !bLock);
    if (!bLock) ApplyEnableRules();
}

void CHestralAdjustDlg::OnColorScheme() { OpenColorSchemeDialog(); }

// The colour-scheme dialog, modal, with saturation, contrast, gamma and the
// three gains.
void CHestralAdjustDlg::OpenColorSchemeDialog()
{
    CColorSchemeDlg dlg(this);
    dlg.SetCurrentValues((float)m_nSaturation, (float)m_nContrast, (float)m_nGamma, (float)m_nRed, (float)m_nGreen,
                         (float)m_nBlue);
    dlg.DoModal();
}

HBRUSH CHestralAdjustDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    CBCGPDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    pDC->SetBkMode(TRANSPARENT);
    return m_hWhiteBrush;
}

void CHestralAdjustDlg::OnDestroy()
{
    CBCGPDialog::OnDestroy();
    if (m_hWhiteBrush) DeleteObject(m_hWhiteBrush);
    m_hWhiteBrush = nullptr;
    const struct {
        LPCWSTR key;
        int value;
    } keys[] = {{L"Saturation", m_nSaturation}, {L"Contrast", m_nContrast},     {L"Gamma", m_nGamma},
                {L"Red", m_nRed},               {L"Green", m_nGreen},           {L"Blue", m_nBlue},
                {L"bColE", m_bColorEnhance ? 1 : 0}, {L"AETarget", m_nAeTarget}, {L"AETime", m_nExposureTime},
                {L"Gain", m_nAnalogGain},       {L"bAE", m_bAutoExposure ? 1 : 0}, {L"Resolution", m_nResolution},
                {L"LightSource", g_nLightSource}};
    for (const auto& k : keys) WriteIniInt(ini::kNodrel, k.key, k.value);
}
