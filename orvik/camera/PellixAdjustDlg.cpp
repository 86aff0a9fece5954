#include "PellixAdjustDlg.h"

#include <cmath>
#include <cstdlib>

#include "AdjustControls.h"
#include "CameraSdk.h"
#include "ColorSchemeDlg.h"
#include "Resource.h"
#include "Settings.h"

namespace {
// The worker's new exposure, as the bits of a float in wParam.
constexpr UINT WM_WORKER_EXPOSURE = WM_APP + 0x1CE;

using PfnGet = int(WINAPI*)(float*, float*, float*);
using PfnSet = int(WINAPI*)(float*);
}  // namespace

DWORD CPellixAdjustDlg::s_dwPassInterval = 2000;

struct CPellixAdjustDlg::Row {
    UINT slider, value, min, max, name;
    PfnGet CPellixSdk::*get;
    PfnSet CPellixSdk::*set;
    float scale;  // 0: the gamma mapping
    int line, page;  // 0: the trackbar's own
};

// Slider index order is the refresh order: exposure, gain, red, green, blue, gamma, saturation.
const CPellixAdjustDlg::Row CPellixAdjustDlg::s_rows[7] = {
    {IDC_SLD_EXPOSURE, IDC_LBL_EXPOSURE_VAL, IDC_LBL_EXPOSURE_MIN, IDC_LBL_EXPOSURE_MAX, IDS_EXPOSURE,
     &CPellixSdk::Pellix_GetExposureTime, &CPellixSdk::Pellix_SetExposureTime, 100, 1, 600},
    {IDC_SLD_GAIN, IDC_LBL_GAIN_VAL, IDC_LBL_GAIN_MIN, IDC_LBL_GAIN_MAX, IDS_GAIN, &CPellixSdk::Pellix_GetGlobalGain,
     &CPellixSdk::Pellix_SetGlobalGain, 10, 1, 5},
    {IDC_SLD_RED, IDC_LBL_RED_VAL, IDC_LBL_RED_MIN, IDC_LBL_RED_MAX, IDS_RED, &CPellixSdk::Pellix_GetRedGain,
     &CPellixSdk::Pellix_SetRedGain, 8, 0, 0},
    {IDC_SLD_GREEN, IDC_LBL_GREEN_VAL, IDC_LBL_GREEN_MIN, IDC_LBL_GREEN_MAX, IDS_GREEN,
     &CPellixSdk::Pellix_GetGreenGain, &CPellixSdk::Pellix_SetGreenGain, 8, 0, 0},
    {IDC_SLD_BLUE, IDC_LBL_BLUE_VAL, IDC_LBL_BLUE_MIN, IDC_LBL_BLUE_MAX, IDS_BLUE, &CPellixSdk::Pellix_GetBlueGain,
     &CPellixSdk::Pellix_SetBlueGain, 8, 0, 0},
    {IDC_SLD_GAMMA, IDC_LBL_GAMMA_VAL, IDC_LBL_GAMMA_MIN, IDC_LBL_GAMMA_MAX, IDS_GAMMA, &CPellixSdk::Pellix_GetGamma,
     &CPellixSdk::Pellix_SetGamma, 0, 1, 10},
    {IDC_SLD_SATURATION, IDC_LBL_SATURATION_VAL, IDC_LBL_SATURATION_MIN, IDC_LBL_SATURATION_MAX, IDS_SATURATION,
     &CPellixSdk::Pellix_GetSaturation, &CPellixSdk::Pellix_SetSaturation, 510, 1, 8},
};

namespace {
const int kExposure = 0, kGain = 1, kGamma = 5;

// One decimal, half away from zero.
float RoundTenth(float v) { return (float)(std::round((double)v * 10.0) / 10.0); }

// Every call goes through the table, which may be unbound (no camera).
int CallGet(PfnGet CPellixSdk::*get, float* v, float* mn, float* mx)
{
    PfnGet f = g_PellixSdk.*get;
    return f ? f(v, mn, mx) : -1;
}
int CallSet(PfnSet CPellixSdk::*set, float v)
{
    PfnSet f = g_PellixSdk.*set;
    return f ? f(&v) : -1;
}
}  // namespace

BEGIN_MESSAGE_MAP(CPellixAdjustDlg, CBCGPDialog)
    ON_BN_CLICKED(IDC_PX_AUTO_EXPOSURE, OnAutoExposure)
    ON_BN_CLICKED(IDC_PX_WHITE_BALANCE, OnWhiteBalance)
    ON_BN_CLICKED(IDC_PX_CONTINUOUS_AE, OnContinuousAutoExposure)
    ON_BN_CLICKED(IDC_PX_DEFAULT, OnDefault)
    ON_BN_CLICKED(IDC_PX_COLOR_SCHEME, OnColorScheme)
    ON_WM_HSCROLL()
    ON_WM_CTLCOLOR()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_ADJUST_REFRESH, OnRefresh)
    ON_MESSAGE(WM_WORKER_EXPOSURE, OnExposureFromWorker)
END_MESSAGE_MAP()

CPellixAdjustDlg::CPellixAdjustDlg(CWnd* pParent)
    : CBCGPDialog(IDD_PELLIX_ADJUST, pParent), m_hWhiteBrush(nullptr), m_bContinuous(0),
      m_nExposureTarget(ReadIniInt(ini::kCamera, L"ExposurePercent", 70)), m_hThread(nullptr), m_hRun(nullptr),
      m_hStop(nullptr)
{
    InitializeCriticalSection(&m_autoExposure);
}

CPellixAdjustDlg::~CPellixAdjustDlg()
{
    if (m_hWnd) DestroyWindow();
    DeleteCriticalSection(&m_autoExposure);
}

BOOL CPellixAdjustDlg::Create(UINT nIDTemplate, CWnd* pParentWnd) { return CBCGPDialog::Create(nIDTemplate, pParentWnd); }

void CPellixAdjustDlg::DoDataExchange(CDataExchange* pDX)
{
    CBCGPDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PX_DEFAULT, m_btnDefault);
    DDX_Control(pDX, IDC_PX_COLOR_SCHEME, m_btnColorScheme);
    DDX_Control(pDX, IDC_PX_WHITE_BALANCE, m_btnWhiteBalance);
    DDX_Control(pDX, IDC_PX_AUTO_EXPOSURE, m_btnAutoExposure);
    for (int i = 0; i < 7; ++i) DDX_Control(pDX, s_rows[i].slider, m_sliders[i]);
}

int CPellixAdjustDlg::GammaToPos(float gamma)
{
    if (gamma <= 0) return 0;
    double p = gamma < 1.0f ? 100.0 * gamma : 200.0 - 100.0 / gamma;
    return (int)std::lround(p);
}

float CPellixAdjustDlg::PosToGamma(int pos)
{
    if (pos >= 200) pos = 199;
    return pos <= 100 ? pos / 100.0f : 100.0f / (200 - pos);
}

BOOL CPellixAdjustDlg::OnInitDialog()
{
    CBCGPDialog::OnInitDialog();
    m_hWhiteBrush = CreateSolidBrush(RGB(255, 255, 255));
    // Continuous auto exposure always starts on, whatever was stored.
    m_hStop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_hRun = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    m_hThread = CreateThread(nullptr, 0, &CPellixAdjustDlg::ThreadProc, this, 0, nullptr);
    CheckDlgButton(IDC_PX_CONTINUOUS_AE, BST_CHECKED);
    m_bContinuous = 1;

    const AdjustButton buttons[] = {{&m_btnAutoExposure, IDB_AUTO_EXPOSURE, IDS_AUTO_EXP, IDS_TIP_AUTO_EXPOSURE},
                                    {&m_btnWhiteBalance, IDB_AUTO_WB, IDS_AUTO_WB, IDS_TIP_AUTO_WB},
                                    {&m_btnColorScheme, IDB_DATABASE, IDS_DATABASE, IDS_TIP_DATABASE},
                                    {&m_btnDefault, IDB_DEFAULT, IDS_DEFAULT, IDS_TIP_DEFAULT}};
    DressAdjustButtons(buttons, sizeof buttons / sizeof buttons[0]);
    LoadSettings();
    return TRUE;
}

void CPellixAdjustDlg::LoadSettings()
{
    auto read = [](LPCWSTR key, LPCWSTR def) {
        // The narrow conversion, as the file has always been read: "abc" is 0.
        CString text = ReadIniStr(ini::kCamera, key, def, 510);
        char narrow[512] = {};
        WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
        return (float)atof(narrow);
    };
    float sat = read(L"Saturation", L"1.0"), gain = read(L"Gain", L"1.0"), gamma = read(L"Gamma", L"1.0");
    float r = read(L"Red", L"2.0"), g = read(L"Green", L"2.0"), b = read(L"Blue", L"2.0");
    ApplyToCamera(sat, gamma, gain, r, g, b);
    SendMessage(WM_ADJUST_REFRESH);
}

void CPellixAdjustDlg::ApplyToCamera(float sat, float gamma, float gain, float r, float g, float b)
{
    CallSet(&CPellixSdk::Pellix_SetGlobalGain, gain);
    CallSet(&CPellixSdk::Pellix_SetRedGain, r);
    CallSet(&CPellixSdk::Pellix_SetBlueGain, b);
    CallSet(&CPellixSdk::Pellix_SetGreenGain, g);
    CallSet(&CPellixSdk::Pellix_SetGamma, gamma);
    CallSet(&CPellixSdk::Pellix_SetSaturation, sat);
}

void CPellixAdjustDlg::ReadFromCamera(float* sat, float* gamma, float* gain, float* r, float* g, float* b)
{
    float mn, mx;
    CallGet(&CPellixSdk::Pellix_GetSaturation, sat, &mn, &mx);
    CallGet(&CPellixSdk::Pellix_GetGamma, gamma, &mn, &mx);
    CallGet(&CPellixSdk::Pellix_GetGlobalGain, gain, &mn, &mx);
    CallGet(&CPellixSdk::Pellix_GetRedGain, r, &mn, &mx);
    CallGet(&CPellixSdk::Pellix_GetBlueGain, b, &mn, &mx);
    CallGet(&CPellixSdk::Pellix_GetGreenGain, g, &mn, &mx);
}

void CPellixAdjustDlg::SaveSettings()
{
    float sat = 0, gamma = 0, gain = 0, r = 0, g = 0, b = 0;
    ReadFromCamera(&sat, &gamma, &gain, &r, &g, &b);
    WriteIniFloat1(ini::kCamera, L"Saturation", sat);
    WriteIniFloat1(ini::kCamera, L"Gamma", gamma);
    WriteIniFloat1(ini::kCamera, L"Gain", gain);
    WriteIniFloat1(ini::kCamera, L"Red", r);
    WriteIniFloat1(ini::kCamera, L"Green", g);
    WriteIniFloat1(ini::kCamera, L"Blue", b);
}

void CPellixAdjustDlg::ShowValue(const Row& row, float value)
{
    CString name, text;
    name.LoadString(row.name);
    text.Format(L"%s: %.1f", (LPCWSTR)name, value);
    SetDlgItemText(row.value, text);
}

void CPellixAdjustDlg::ShowRow(const Row& row, float value, float min, float max, bool setRange)
{
    CSliderCtrl& slider = m_sliders[&row - s_rows];
    ShowValue(row, value);
    CString text;
    text.Format(L"%.1f", min);
    SetDlgItemText(row.min, text);
    text.Format(L"%.1f", max);
    SetDlgItemText(row.max, text);
    auto pos = [&](float v) { return row.scale ? (int)(v * row.scale) : GammaToPos(v); };
    if (setRange) {
        if (row.scale)
            slider.SetRange(pos(min), pos(max), TRUE);
        else  // round(100 min) .. round(200 - 100 min)
            slider.SetRange((int)(100 * min + 0.5f), (int)(200 - 100 * min + 0.5f), TRUE);
        if (row.line) slider.SetLineSize(row.line);
        if (row.page) slider.SetPageSize(row.page);
    }
    // Exposure rounds, so the position the operator chose is the one shown.
    slider.SetPos(&row == &s_rows[kExposure] ? (int)std::lround(value * row.scale) : pos(value));
}

void CPellixAdjustDlg::RefreshFromCamera()
{
    for (const Row& row : s_rows) {
        float v = 0, mn = 0, mx = 0;
        CallGet(row.get, &v, &mn, &mx);
        ShowRow(row, v, mn, mx, true);
    }
    UpdateData(FALSE);
}

LRESULT CPellixAdjustDlg::OnRefresh(WPARAM, LPARAM)
{
    for (int i = kGain; i < 7; ++i) {
        float v = 0, mn = 0, mx = 0;
        CallGet(s_rows[i].get, &v, &mn, &mx);
        ShowRow(s_rows[i], v, mn, mx, false);
    }
    return 0;
}

void CPellixAdjustDlg::ShowExposure(float ms)
{
    ShowValue(s_rows[kExposure], ms);
    m_sliders[kExposure].SetPos((int)std::lround(ms * 100));
}

LRESULT CPellixAdjustDlg::OnExposureFromWorker(WPARAM wParam, LPARAM)
{
    float ms;
    DWORD bits = (DWORD)wParam;
    memcpy(&ms, &bits, sizeof ms);
    ShowExposure(ms);
    return 0;
}

void CPellixAdjustDlg::RunAutoExposure(RECT* area)
{
    EnterCriticalSection(&m_autoExposure);
    if (g_PellixSdk.Pellix_AutoExposure) g_PellixSdk.Pellix_AutoExposure(m_nExposureTarget, area);
    LeaveCriticalSection(&m_autoExposure);
}

void CPellixAdjustDlg::OnAutoExposure()
{
    UpdateData(TRUE);
    RunAutoExposure(nullptr);
    RefreshFromCamera();
}

void CPellixAdjustDlg::OnWhiteBalance()
{
    UpdateData(TRUE);
    if (g_PellixSdk.Pellix_WhiteBalance) g_PellixSdk.Pellix_WhiteBalance(nullptr);
    RefreshFromCamera();
}

void CPellixAdjustDlg::OnContinuousAutoExposure()
{
    // The worker holds at the top of its loop; a pass under way finishes.
    m_bContinuous = IsDlgButtonChecked(IDC_PX_CONTINUOUS_AE) == BST_CHECKED;
    if (m_hRun) {
        if (m_bContinuous)
            SetEvent(m_hRun);
        else
            ResetEvent(m_hRun);
    }
}

void CPellixAdjustDlg::OnDefault()
{
    ApplyToCamera(0.5f, 1.0f, 1.0f, 2.0f, 2.0f, 2.0f);
    SendMessage(WM_ADJUST_REFRESH);
}

// The colour-scheme dialog comes with the presets; nothing to open yet.
void CPellixAdjustDlg::OnColorScheme()
{
    CColorSchemeDlg dlg(this);
    dlg.DoModal();
}

void CPellixAdjustDlg::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    int i = 0;
    while (i < 7 && (!pScrollBar || m_sliders[i].m_hWnd != pScrollBar->m_hWnd)) ++i;
    if (i < 7) {
        const Row& row = s_rows[i];
        int pos = m_sliders[i].GetPos();
        float v = row.scale ? pos / row.scale : PosToGamma(pos);
        if (i == kGain) {
            v = RoundTenth(v);
            CString trace;
            trace.Format(L"%f", v);
            OutputDebugStringW(trace);
            CallSet(row.set, v);
            float mn, mx;
            CallGet(row.get, &v, &mn, &mx);
            v = RoundTenth(v);
        } else {
            CallSet(row.set, v);
            if (i == kExposure) m_sliders[i].SetPos((int)std::lround(v * 100));
        }
        ShowValue(row, v);
    }
    CBCGPDialog::OnHScroll(nSBCode, nPos, pScrollBar);
}

HBRUSH CPellixAdjustDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    CBCGPDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    pDC->SetBkMode(TRANSPARENT);
    return m_hWhiteBrush;
}

void CPellixAdjustDlg::OnDestroy()
{
    WriteIniInt(ini::kCamera, L"bContinueAutoExposure", m_bContinuous);
    SaveSettings();
    // The worker only posts to this window, so waiting for it cannot deadlock.
    if (m_hThread) {
        SetEvent(m_hStop);
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
    if (m_hRun) CloseHandle(m_hRun);
    if (m_hStop) CloseHandle(m_hStop);
    m_hRun = m_hStop = nullptr;
    if (m_hWhiteBrush) DeleteObject(m_hWhiteBrush);
    m_hWhiteBrush = nullptr;
    CBCGPDialog::OnDestroy();
}

DWORD WINAPI CPellixAdjustDlg::ThreadProc(LPVOID param)
{
    OutputDebugStringW(L"ThreadProc");
    static_cast<CPellixAdjustDlg*>(param)->WorkerLoop();
    return 0;
}

void CPellixAdjustDlg::WorkerLoop()
{
    HANDLE waits[2] = {m_hStop, m_hRun};
    HWND hWnd = m_hWnd;
    for (;;) {
        // Held here while the check box is off; ends when the dialog goes.
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return;
        OutputDebugStringW(L"Start ThreadProc");
        float ms = 0, mn, mx;
        CallGet(&CPellixSdk::Pellix_GetExposureTime, &ms, &mn, &mx);
        OutputDebugStringW(L"adjust");
        RECT area = {100, 100, 200, 200};
        RunAutoExposure(&area);
        CallGet(&CPellixSdk::Pellix_GetExposureTime, &ms, &mn, &mx);
        DWORD bits;
        memcpy(&bits, &ms, sizeof bits);
        ::PostMessageW(hWnd, WM_WORKER_EXPOSURE, bits, 0);
        if (WaitForSingleObject(m_hStop, s_dwPassInterval) == WAIT_OBJECT_0) return;
    }
}
