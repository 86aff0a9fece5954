// The Marrowin adjust panel over a recording fake of the camera table, the
// notifying slider and the adjust pane, created as their hosts create them.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <cmath>
#include <string>
#include <vector>

#include <Ado.h>
#include <AfxTestScript.h>

#include "CamAdjustBar.h"
#include "ColorSchemeDlg.h"
#include "CameraSdk.h"
#include "HestralAdjustDlg.h"
#include "Globals.h"
#include "NotifySliderCtrl.h"
#include "PellixAdjustDlg.h"
#include "Resource.h"

namespace {

// ------------------------------------------------------------------ fake camera
struct FakeCamera {
    float exposure = 10.0f, gain = 1.0f, red = 2.0f, green = 2.0f, blue = 2.0f, gamma = 1.0f, sat = 0.5f;
    std::vector<std::string> sets;  // "Red=2.0" in call order
    std::atomic<int> autoExposures{0};
    std::atomic<int> inAutoExposure{0};
    std::atomic<bool> overlapped{false};
    RECT lastArea{};
    int lastTarget = 0;
};
FakeCamera* g_cam;
CRITICAL_SECTION g_lock;

void Record(const char* name, float v)
{
    char buf[64];
    snprintf(buf, sizeof buf, "%s=%.2f", name, v);
    EnterCriticalSection(&g_lock);
    g_cam->sets.push_back(buf);
    LeaveCriticalSection(&g_lock);
}

#define FAKE_PAIR(Name, field, lo, hi)                                       \
    int WINAPI Get##Name(float* v, float* mn, float* mx)                     \
    {                                                                        \
        *v = g_cam->field;                                                   \
        if (mn) *mn = lo;                                                    \
        if (mx) *mx = hi;                                                    \
        return 0;                                                            \
    }                                                                        \
    int WINAPI Set##Name(float* v)                                           \
    {                                                                        \
        g_cam->field = *v;                                                   \
        Record(#Name, *v);                                                   \
        return 0;                                                            \
    }
FAKE_PAIR(Exposure, exposure, 0.1f, 500.0f)
FAKE_PAIR(Gain, gain, 1.0f, 8.0f)
FAKE_PAIR(Red, red, 1.0f, 4.0f)
FAKE_PAIR(Green, green, 1.0f, 4.0f)
FAKE_PAIR(Blue, blue, 1.0f, 4.0f)
FAKE_PAIR(Gamma, gamma, 0.01f, 100.0f)
FAKE_PAIR(Saturation, sat, 0.0f, 1.0f)

int WINAPI AutoExposure(int target, RECT* area)
{
    if (g_cam->inAutoExposure++) g_cam->overlapped = true;
    g_cam->lastTarget = target;
    if (area) g_cam->lastArea = *area;
    Sleep(5);
    g_cam->exposure = 29.0f;  // converges on 29 ms
    g_cam->inAutoExposure--;
    g_cam->autoExposures++;
    return 0;
}
int WINAPI WhiteBalance(RECT*) { return 0; }

void BindFake()
{
    g_PellixSdk.Pellix_GetExposureTime = GetExposure;
    g_PellixSdk.Pellix_SetExposureTime = SetExposure;
    g_PellixSdk.Pellix_GetGlobalGain = GetGain;
    g_PellixSdk.Pellix_SetGlobalGain = SetGain;
    g_PellixSdk.Pellix_GetRedGain = GetRed;
    g_PellixSdk.Pellix_SetRedGain = SetRed;
    g_PellixSdk.Pellix_GetGreenGain = GetGreen;
    g_PellixSdk.Pellix_SetGreenGain = SetGreen;
    g_PellixSdk.Pellix_GetBlueGain = GetBlue;
    g_PellixSdk.Pellix_SetBlueGain = SetBlue;
    g_PellixSdk.Pellix_GetGamma = GetGamma;
    g_PellixSdk.Pellix_SetGamma = SetGamma;
    g_PellixSdk.Pellix_GetSaturation = GetSaturation;
    g_PellixSdk.Pellix_SetSaturation = SetSaturation;
    g_PellixSdk.Pellix_AutoExposure = AutoExposure;
    g_PellixSdk.Pellix_WhiteBalance = WhiteBalance;
}

// Pumps messages until `done` or five seconds (twenty under emulation).
template <typename F> bool PumpUntil(F done)
{
    DWORD end = GetTickCount() + 20000;
    while (!done()) {
        if ((int)(GetTickCount() - end) > 0) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

std::wstring Text(HWND dlg, int id)
{
    wchar_t buf[128] = {};
    GetDlgItemTextW(dlg, id, buf, 128);
    return buf;
}
int Pos(HWND dlg, int id) { return (int)SendDlgItemMessageW(dlg, id, TBM_GETPOS, 0, 0); }

void Move(HWND dlg, int id, int pos)
{
    HWND slider = GetDlgItem(dlg, id);
    SendMessageW(slider, TBM_SETPOS, TRUE, pos);
    SendMessageW(dlg, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, pos), (LPARAM)slider);
}
void Click(HWND dlg, int id)
{
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id));
}

std::wstring ReadIni(const std::wstring& path, LPCWSTR key)
{
    wchar_t buf[64] = {};
    GetPrivateProfileStringW(L"Camera", key, L"<none>", buf, 64, path.c_str());
    return buf;
}

class PellixAdjust : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeCriticalSection(&g_lock);
        g_cam = &m_cam;
        m_savedSdk = SaveSdk();
        BindFake();
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        m_path = std::wstring(tmp) + L"adjust_test_setting.ini";
        DeleteFileW(m_path.c_str());
        m_savedPath = g_strSettingsPath;
        g_strSettingsPath = m_path.c_str();
        CPellixAdjustDlg::SetPassInterval(20);
        m_host.CreateEx(0, AfxRegisterWndClass(0), L"host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 600), nullptr, 0);
    }
    void TearDown() override
    {
        m_host.DestroyWindow();
        g_strSettingsPath = m_savedPath;
        RestoreSdk(m_savedSdk);
        DeleteFileW(m_path.c_str());
        g_cam = nullptr;
        DeleteCriticalSection(&g_lock);
    }
    struct Saved {
        std::vector<unsigned char> bytes;
    };
    static Saved SaveSdk()
    {
        Saved s;
        auto* p = reinterpret_cast<unsigned char*>(&g_PellixSdk);
        s.bytes.assign(p, p + sizeof g_PellixSdk);
        return s;
    }
    static void RestoreSdk(const Saved& s) { memcpy(reinterpret_cast<void*>(&g_PellixSdk), s.bytes.data(), s.bytes.size()); }

    HWND Open(CPellixAdjustDlg& dlg)
    {
        EXPECT_TRUE(dlg.Create(IDD_PELLIX_ADJUST, &m_host));
        return dlg.m_hWnd;
    }

    FakeCamera m_cam;
    Saved m_savedSdk;
    std::wstring m_path;
    CString m_savedPath;
    CWnd m_host;
};

TEST(PellixGamma, MappingBothWays)
{
    struct {
        float gamma;
        int pos;
    } const cases[] = {{0.5f, 50}, {1.0f, 100}, {2.0f, 150}, {0.01f, 1}, {100.0f, 199}, {4.0f, 175}};
    for (const auto& c : cases) {
        EXPECT_EQ(CPellixAdjustDlg::GammaToPos(c.gamma), c.pos) << c.gamma;
        EXPECT_NEAR(CPellixAdjustDlg::PosToGamma(c.pos), c.gamma, 1e-4) << c.pos;
    }
}

TEST_F(PellixAdjust, NoSettingsAppliesTheDefaultsInOrderAndTheLabelsFollow)
{
    CPellixAdjustDlg dlg;
    HWND h = Open(dlg);
    ASSERT_TRUE(h);
    std::vector<std::string> want = {"Gain=1.00", "Red=2.00", "Blue=2.00", "Green=2.00", "Gamma=1.00", "Saturation=1.00"};
    EnterCriticalSection(&g_lock);
    std::vector<std::string> first(m_cam.sets.begin(), m_cam.sets.begin() + std::min<size_t>(6, m_cam.sets.size()));
    LeaveCriticalSection(&g_lock);
    EXPECT_EQ(first, want);
    EXPECT_EQ(Text(h, IDC_LBL_RED_VAL), L"Red: 2.0");
    EXPECT_EQ(Pos(h, IDC_SLD_RED), 16);
    EXPECT_EQ(Pos(h, IDC_SLD_GAMMA), 100);
    EXPECT_EQ(Text(h, IDC_LBL_GAMMA_MAX), L"100.0");
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_PX_CONTINUOUS_AE), (UINT)BST_CHECKED);

    dlg.RefreshFromCamera();  // the ranges, as a preview's first auto exposure sets them
    m_cam.sets.clear();
    Click(h, IDC_PX_DEFAULT);
    want = {"Gain=1.00", "Red=2.00", "Blue=2.00", "Green=2.00", "Gamma=1.00", "Saturation=0.50"};
    EnterCriticalSection(&g_lock);
    EXPECT_EQ(m_cam.sets, want);
    LeaveCriticalSection(&g_lock);
    EXPECT_EQ(Text(h, IDC_LBL_SATURATION_VAL), L"Saturation: 0.5");
    EXPECT_EQ(Pos(h, IDC_SLD_SATURATION), 255);
}

TEST_F(PellixAdjust, BadSettingTextAppliesZeroAndClosingWritesTheCamerasValues)
{
    WritePrivateProfileStringW(L"Camera", L"Saturation", L"abc", m_path.c_str());
    WritePrivateProfileStringW(L"Camera", L"Red", L"3.25", m_path.c_str());
    {
        CPellixAdjustDlg dlg;
        HWND h = Open(dlg);
        ASSERT_TRUE(h);
        EXPECT_EQ(m_cam.sat, 0.0f);
        EXPECT_EQ(m_cam.red, 3.25f);
        CheckDlgButton(h, IDC_PX_CONTINUOUS_AE, BST_UNCHECKED);  // stored as 0
        Click(h, IDC_PX_CONTINUOUS_AE);
        m_cam.gain = 2.04f;
        dlg.DestroyWindow();
    }
    EXPECT_EQ(ReadIni(m_path, L"Saturation"), L"0.0");
    EXPECT_EQ(ReadIni(m_path, L"Red"), L"3.2");
    EXPECT_EQ(ReadIni(m_path, L"Gain"), L"2.0");
    EXPECT_EQ(ReadIni(m_path, L"Gamma"), L"1.0");
    EXPECT_EQ(ReadIni(m_path, L"bContinueAutoExposure"), L"0");
}

TEST_F(PellixAdjust, SlidersSendTheirScaledValues)
{
    CPellixAdjustDlg dlg;
    HWND h = Open(dlg);
    ASSERT_TRUE(h);
    dlg.RefreshFromCamera();  // ranges, as a preview's first auto exposure sets them
    CheckDlgButton(h, IDC_PX_CONTINUOUS_AE, BST_UNCHECKED);
    Click(h, IDC_PX_CONTINUOUS_AE);
    Sleep(100);  // lets a pass under way finish
    struct {
        int slider, label, pos;
        float FakeCamera::*field;
        float value;
        const wchar_t* text;
    } const cases[] = {
        {IDC_SLD_EXPOSURE, IDC_LBL_EXPOSURE_VAL, 29, &FakeCamera::exposure, 0.29f, L"Exposure: 0.3"},
        {IDC_SLD_GAIN, IDC_LBL_GAIN_VAL, 25, &FakeCamera::gain, 2.5f, L"Gain: 2.5"},
        {IDC_SLD_RED, IDC_LBL_RED_VAL, 20, &FakeCamera::red, 2.5f, L"Red: 2.5"},
        {IDC_SLD_GREEN, IDC_LBL_GREEN_VAL, 8, &FakeCamera::green, 1.0f, L"Green: 1.0"},
        {IDC_SLD_BLUE, IDC_LBL_BLUE_VAL, 32, &FakeCamera::blue, 4.0f, L"Blue: 4.0"},
        {IDC_SLD_GAMMA, IDC_LBL_GAMMA_VAL, 150, &FakeCamera::gamma, 2.0f, L"Gamma: 2.0"},
        {IDC_SLD_SATURATION, IDC_LBL_SATURATION_VAL, 255, &FakeCamera::sat, 0.5f, L"Saturation: 0.5"},
    };
    for (const auto& c : cases) {
        Move(h, c.slider, c.pos);
        EXPECT_NEAR(m_cam.*c.field, c.value, 1e-5) << c.slider;
        EXPECT_EQ(Text(h, c.label), c.text) << c.slider;
        // The slider stays where the operator put it (29 stays 29).
        EXPECT_EQ(Pos(h, c.slider), c.pos) << c.slider;
    }
    // Ranges from the camera's limits times the scale.
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_SLD_RED, TBM_GETRANGEMIN, 0, 0), 8);
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_SLD_RED, TBM_GETRANGEMAX, 0, 0), 32);
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_SLD_GAMMA, TBM_GETRANGEMIN, 0, 0), 1);
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_SLD_GAMMA, TBM_GETRANGEMAX, 0, 0), 199);
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_SLD_EXPOSURE, TBM_GETPAGESIZE, 0, 0), 600);
}

TEST_F(PellixAdjust, ContinuousAutoExposureStopsAndResumesWithTheCheckBoxAndEndsWithTheDialog)
{
    auto dlg = std::make_unique<CPellixAdjustDlg>();
    HWND h = Open(*dlg);
    ASSERT_TRUE(h);
    dlg->RefreshFromCamera();
    // Running from the start, on the centre area, and the slider follows.
    ASSERT_TRUE(PumpUntil([&] { return m_cam.autoExposures >= 2; }));
    EXPECT_EQ(m_cam.lastTarget, 70);
    EXPECT_EQ(m_cam.lastArea.left, 100);
    EXPECT_EQ(m_cam.lastArea.bottom, 200);
    ASSERT_TRUE(PumpUntil([&] { return Pos(h, IDC_SLD_EXPOSURE) == 2900; }));

    CheckDlgButton(h, IDC_PX_CONTINUOUS_AE, BST_UNCHECKED);
    Click(h, IDC_PX_CONTINUOUS_AE);
    EXPECT_FALSE(dlg->IsContinuous());
    Sleep(100);  // lets a pass under way finish
    int stopped = m_cam.autoExposures;
    // Ten intervals with the box off: no pass starts.
    DWORD until = GetTickCount() + 200;
    PumpUntil([&] { return (int)(GetTickCount() - until) > 0; });
    EXPECT_EQ(m_cam.autoExposures, stopped);

    // The one-shot never overlaps the worker.
    CheckDlgButton(h, IDC_PX_CONTINUOUS_AE, BST_CHECKED);
    Click(h, IDC_PX_CONTINUOUS_AE);
    for (int i = 0; i < 5; ++i) Click(h, IDC_PX_AUTO_EXPOSURE);
    ASSERT_TRUE(PumpUntil([&] { return m_cam.autoExposures >= stopped + 8; }));
    EXPECT_FALSE(m_cam.overlapped);

    // Closing waits for the worker: nothing calls the camera afterwards.
    dlg->DestroyWindow();
    int after = m_cam.autoExposures;
    dlg.reset();
    Sleep(100);
    EXPECT_EQ(m_cam.autoExposures, after);
    EXPECT_EQ(m_cam.inAutoExposure, 0);
}

// ------------------------------------------------------------------ notifying slider
struct Spy {
    CWnd wnd;
    static int s_count;
    static int s_posAtNotice;
    static HWND s_slider;
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l)
    {
        if (m == WM_SLIDER_RELEASED) {
            ++s_count;
            s_posAtNotice = (int)SendMessageW(s_slider, TBM_GETPOS, 0, 0);
            return 0;
        }
        return DefWindowProcW(h, m, w, l);
    }
};
int Spy::s_count, Spy::s_posAtNotice;
HWND Spy::s_slider;

TEST(NotifySlider, OneNoticeAtTheReleaseNoneForKeysNoneWithoutAWindow)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Spy::Proc;
    wc.lpszClassName = L"NotifySpy";
    wc.hInstance = GetModuleHandleW(nullptr);
    RegisterClassW(&wc);
    HWND spy = CreateWindowW(L"NotifySpy", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                             wc.hInstance, nullptr);
    ASSERT_TRUE(spy);
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 400, 200),
                                nullptr, 0));
    CNotifySliderCtrl slider;
    ASSERT_TRUE(slider.Create(WS_CHILD | WS_VISIBLE | TBS_HORZ, CRect(0, 0, 300, 30), &parent, 100));
    slider.SetRange(0, 100, TRUE);
    slider.SetPos(0);
    Spy::s_slider = slider.m_hWnd;
    Spy::s_count = 0;

    // Without a notify window: the slider still moves, and nothing is told.
    CRect channel;
    SendMessageW(slider.m_hWnd, TBM_GETCHANNELRECT, 0, (LPARAM)&channel);
    int y = channel.CenterPoint().y;
    SendMessageW(slider.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(channel.right - 5, y));
    SendMessageW(slider.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(channel.right - 5, y));
    EXPECT_EQ(Spy::s_count, 0);
    EXPECT_GT(slider.GetPos(), 0);

    slider.SetNotifyWnd(spy);
    // A drag of the thumb: one notice, at the release, with the new position.
    slider.SetPos(0);
    CRect thumb;
    SendMessageW(slider.m_hWnd, TBM_GETTHUMBRECT, 0, (LPARAM)&thumb);
    CPoint p = thumb.CenterPoint();
    SendMessageW(slider.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    for (int x = p.x; x < p.x + 150; x += 10) SendMessageW(slider.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, p.y));
    EXPECT_EQ(Spy::s_count, 0);
    SendMessageW(slider.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(p.x + 150, p.y));
    EXPECT_EQ(Spy::s_count, 1);
    EXPECT_GT(Spy::s_posAtNotice, 30);
    EXPECT_EQ(Spy::s_posAtNotice, slider.GetPos());

    // Keys move it and tell no one.
    int before = slider.GetPos();
    SendMessageW(slider.m_hWnd, WM_KEYDOWN, VK_LEFT, 0);
    SendMessageW(slider.m_hWnd, WM_KEYUP, VK_LEFT, 0xC0000000);
    EXPECT_EQ(slider.GetPos(), before - 1);
    EXPECT_EQ(Spy::s_count, 1);
    slider.DestroyWindow();
    parent.DestroyWindow();
    DestroyWindow(spy);
}

// ------------------------------------------------------------------ adjust pane
TEST_F(PellixAdjust, PaneHoldsTheDialogInsideAOnePixelBorder)
{
    CCamAdjustBar bar;
    ASSERT_TRUE(bar.CreateEx(0, AfxRegisterWndClass(0), L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100), &m_host, 1));
    bar.SetWindowPos(nullptr, 0, 0, 300, 200, SWP_NOZORDER);
    CWnd* container = bar.GetDlgItem(IDC_CAM_ADJUST_CONTAINER);
    ASSERT_TRUE(container);
    CRect r;
    container->GetWindowRect(&r);
    bar.ScreenToClient(&r);
    EXPECT_TRUE(r == CRect(1, 1, 299, 199)) << r.left << "," << r.top << " " << r.Width() << "x" << r.Height();
    CPellixAdjustDlg* dlg = bar.GetContainer().GetDialog();
    ASSERT_TRUE(dlg && dlg->m_hWnd);
    EXPECT_EQ(::GetParent(dlg->m_hWnd), container->m_hWnd);
    EXPECT_TRUE(::GetDlgItem(dlg->m_hWnd, IDC_SLD_SATURATION));
    bar.DestroyWindow();
}

// ------------------------------------------------------------------ Hestral over a recording fake
std::vector<std::string>* g_hestralCalls;
void Note(const char* name, int a, int b = -1, int c = -1)
{
    char buf[64];
    if (b < 0)
        snprintf(buf, sizeof buf, "%s=%d", name, a);
    else
        snprintf(buf, sizeof buf, "%s=%d,%d,%d", name, a, b, c);
    g_hestralCalls->push_back(buf);
}
int HSetSaturation(BYTE v) { return Note("Saturation", v), 1; }
int HSetContrast(BYTE v) { return Note("Contrast", v), 1; }
int HSetGamma(BYTE v) { return Note("Gamma", v), 1; }
int HSetGain(WORD r, WORD g, WORD b) { return Note("Gain", r, g, b), 1; }
int HSetAnalogGain(WORD v) { return Note("AnalogGain", v), 1; }
int HSetColorEnhancement(int v) { return Note("ColorEnhancement", v), 1; }
int HSetAeState(int v) { return Note("AeState", v), 1; }
int HGetSaturation(BYTE* v) { return *v = 90, 1; }
int HGetGamma(BYTE* v) { return *v = 120, 1; }
int HGetAnalogGain(WORD* v) { return *v = 33, 1; }
int HGetExposureTime(int* v) { return *v = 500, 1; }
int HGetGain(int* r, int* g, int* b) { return *r = 70, *g = 64, *b = 90, 1; }

class HestralAdjust : public PellixAdjust {
protected:
    void SetUp() override
    {
        PellixAdjust::SetUp();
        auto* p = reinterpret_cast<unsigned char*>(&g_HestralSdk);
        m_savedHestral.assign(p, p + sizeof g_HestralSdk);
        g_hestralCalls = &m_calls;
        g_HestralSdk.CameraSetSaturation = HSetSaturation;
        g_HestralSdk.CameraSetContrast = HSetContrast;
        g_HestralSdk.CameraSetGamma = HSetGamma;
        g_HestralSdk.CameraSetGain = HSetGain;
        g_HestralSdk.CameraSetAnalogGain = HSetAnalogGain;
        g_HestralSdk.CameraSetColorEnhancement = HSetColorEnhancement;
        g_HestralSdk.CameraSetAeState = HSetAeState;
        g_HestralSdk.CameraGetSaturation = HGetSaturation;
        g_HestralSdk.CameraGetGamma = HGetGamma;
        g_HestralSdk.CameraGetAnalogGain = HGetAnalogGain;
        g_HestralSdk.CameraGetExposureTime = HGetExposureTime;
        g_HestralSdk.CameraGetGain = HGetGain;
    }
    void TearDown() override
    {
        memcpy(reinterpret_cast<void*>(&g_HestralSdk), m_savedHestral.data(), m_savedHestral.size());
        g_hestralCalls = nullptr;
        PellixAdjust::TearDown();
    }
    std::vector<unsigned char> m_savedHestral;
    std::vector<std::string> m_calls;
};

// A first start sends the fallbacks in the file's order; a scheme's six
// values go out with the contrast; the unused pair carries the analog gain.
TEST_F(HestralAdjust, FirstStartSchemeAndColourPairReachTheCamera)
{
    CHestralAdjustDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_HESTRAL_ADJUST, &m_host));
    dlg.LoadSettings(nullptr, nullptr);
    const std::vector<std::string> first = {"AeState=1",  "ColorEnhancement=1", "Saturation=11",
                                            "Contrast=11", "Gamma=11",           "Gain=11,11,11"};
    EXPECT_EQ(m_calls, first);
    EXPECT_EQ(dlg.m_nAnalogGain, 33);  // the camera's own
    EXPECT_EQ(Pos(dlg.m_hWnd, IDC_SLD_EXPOSURE_TIME), 500);

    m_calls.clear();
    dlg.m_nSaturation = 90;
    dlg.m_nGamma = 140;
    dlg.m_nRed = 70;
    dlg.m_nGreen = 60;
    dlg.m_nBlue = 80;
    dlg.m_nContrast = 33;
    dlg.SendMessage(WM_HESTRAL_APPLY_PRESET);
    const std::vector<std::string> scheme = {"Saturation=90", "Gamma=140", "Gain=70,60,80", "Contrast=33"};
    EXPECT_EQ(m_calls, scheme);
    EXPECT_EQ(Pos(dlg.m_hWnd, IDC_SLD_CONTRAST), 33);
    EXPECT_EQ(Text(dlg.m_hWnd, IDC_LBL_GAMMA_VAL), L"140");

    m_calls.clear();
    dlg.ApplyColorValues(100.7f, 150.2f, 20.9f, 50.5f, 60.0f, 70.0f);
    const std::vector<std::string> pair = {"Saturation=100", "Gamma=150", "Gain=50,60,70", "AnalogGain=20"};
    EXPECT_EQ(m_calls, pair);
    float v[6] = {};
    dlg.ReadColorValues(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
    const float read[6] = {90, 120, 33, 70, 64, 90};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(v[i], read[i]) << i;
    dlg.DestroyWindow();
    EXPECT_EQ(GetPrivateProfileIntW(L"Nodrel", L"Contrast", -1, m_path.c_str()), 33);
    EXPECT_EQ(GetPrivateProfileIntW(L"Nodrel", L"Gain", -1, m_path.c_str()), 20);
}

// The stored resolution against the width the camera runs at: the flag, the
// width and the video dialog's button always name the resolution asked for,
// and only a camera at another width is restarted.
TEST(HestralResolution, StoredChoiceAgainstTheRunningWidth)
{
    const UINT high = 0x430, low = 0x480;
    const struct {
        long choice;
        int camType, width;
        int flag, frameWidth;
        UINT message, button;
    } cases[] = {
        {0, 3, 2048, 0, 2048, 0, 1099},   {0, 3, 1280, 0, 2048, high, 1099},
        {0, 4, 1280, 0, 1280, 0, 1099},   {0, 4, 1024, 0, 1280, high, 1099},
        {0, 5, 3488, 0, 3488, 0, 1099},   {0, 5, 1600, 0, 3488, high, 1099},
        {0, 6, 2592, 0, 2592, 0, 1099},   {0, 6, 1280, 0, 2592, high, 1099},
        {1, 3, 2048, 1, 1280, low, 1100}, {1, 3, 1280, 1, 1280, 0, 1100},
        {1, 4, 1280, 1, 1024, low, 1100}, {1, 5, 1600, 1, 1600, 0, 1100},
        {1, 6, 2592, 1, 1024, low, 1100}, {1, 6, 1024, 1, 1024, 0, 1100},
    };
    for (const auto& c : cases) {
        CHestralAdjustDlg::ResolutionStep step = {};
        ASSERT_TRUE(CHestralAdjustDlg::ResolutionFor(c.camType, c.choice, c.width, &step));
        const std::string where = std::to_string(c.choice) + "/" + std::to_string(c.camType) + "/" + std::to_string(c.width);
        EXPECT_EQ(step.flag, c.flag) << where;
        EXPECT_EQ(step.width, c.frameWidth) << where;
        EXPECT_EQ(step.message, c.message) << where;
        EXPECT_EQ(step.button, c.button) << where;
        // The flag agrees with the restart asked for.
        if (step.message) {
            EXPECT_EQ(step.message == low, step.flag == 1) << where;
        }
    }
    CHestralAdjustDlg::ResolutionStep step = {};
    EXPECT_FALSE(CHestralAdjustDlg::ResolutionFor(4, 11, 1280, &step));  // no stored choice: nothing done
    EXPECT_FALSE(CHestralAdjustDlg::ResolutionFor(2, 0, 1280, &step));
}

// ------------------------------------------------------------------ presets
// The preset dialogs over copies of the shipped data.mdb, left beside the test
// for the build machine's sqlite3 to read back (check-presets.sh).
std::wstring ExeFolder()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s = path;
    return s.substr(0, s.find_last_of(L'\\') + 1);
}

struct PresetCall {
    std::vector<int> args;
};
class FakePanel : public CUvcPresetTarget {
public:
    void ApplyPreset(int a, int b, int c, int d, int e, int f, int g, int h, int i, int j, int k) override
    {
        calls.push_back({a, b, c, d, e, f, g, h, i, j, k});
    }
    void ApplyPreset(int a, int b, int c, int d, int e, int f, int g, int h, int i, int j) override
    {
        calls.push_back({a, b, c, d, e, f, g, h, i, j});
    }
    std::vector<std::vector<int>> calls;
};

class Presets : public PellixAdjust {
protected:
    void SetUp() override
    {
        PellixAdjust::SetUp();
        m_savedType = g_CamType;
        m_savedSub = g_CamSubType;
        // One file per test: presets-<test>.mdb.
        std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        m_db = ExeFolder() + L"presets-" + std::wstring(test.begin(), test.end()) + L".mdb";
        SetFileAttributesW(m_db.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(CopyFileW((ExeFolder() + L"data.mdb").c_str(), m_db.c_str(), FALSE));
        Connect(m_db);
        AfxTestClearRecord();
    }
    void TearDown() override
    {
        AfxTestSetScript(nullptr);
        g_pPresetDb = nullptr;
        m_conn.Release();
        g_CamType = m_savedType;
        g_CamSubType = m_savedSub;
        PellixAdjust::TearDown();
    }
    void Connect(const std::wstring& file)
    {
        g_pPresetDb = nullptr;
        m_conn.Release();
        ASSERT_EQ(S_OK, m_conn.CreateInstance(__uuidof(Connection)));
        m_conn->Open((L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file).c_str(), L"", L"", 0);
        g_pPresetDb = m_conn;
    }
    // Row `row` of the list (-1: the column titles), cells joined by '|'.
    static std::wstring Line(HWND dlg, int row)
    {
        HWND list = GetDlgItem(dlg, IDC_SCH_LIST);
        HWND header = (HWND)SendMessageW(list, LVM_GETHEADER, 0, 0);
        int cols = (int)SendMessageW(header, HDM_GETITEMCOUNT, 0, 0);
        std::wstring out;
        for (int c = 0; c < cols; ++c) {
            wchar_t buf[260] = {};
            if (row < 0) {
                LVCOLUMNW col = {};
                col.mask = LVCF_TEXT;
                col.pszText = buf;
                col.cchTextMax = 260;
                SendMessageW(list, LVM_GETCOLUMNW, c, (LPARAM)&col);
            } else {
                LVITEMW item = {};
                item.iSubItem = c;
                item.pszText = buf;
                item.cchTextMax = 260;
                SendMessageW(list, LVM_GETITEMTEXTW, row, (LPARAM)&item);
            }
            out += (c ? L"|" : L"") + std::wstring(buf);
        }
        return out;
    }
    static std::vector<std::wstring> Rows(HWND dlg)
    {
        std::vector<std::wstring> rows;
        int n = (int)SendDlgItemMessageW(dlg, IDC_SCH_LIST, LVM_GETITEMCOUNT, 0, 0);
        for (int i = 0; i < n; ++i) rows.push_back(Line(dlg, i));
        return rows;
    }
    static std::wstring Titles(HWND dlg) { return Line(dlg, -1); }
    static void Select(HWND dlg, int row)
    {
        HWND list = GetDlgItem(dlg, IDC_SCH_LIST);
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = 0;
        SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&item);
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, row, (LPARAM)&item);
    }
    // Add with the name dialog answered by `name`.
    static void Add(HWND dlg, const std::wstring& name)
    {
        AfxTestSetScript((L"dialog 197 IDOK 1069=" + name).c_str());
        Click(dlg, IDC_SCH_ADD);
    }
    static void AddUvc(HWND dlg, const std::wstring& name)
    {
        AfxTestSetScript((L"dialog 202 IDOK 1069=" + name).c_str());
        Click(dlg, IDC_SCH_ADD);
    }
    static void Answer(HWND dlg, int id, LPCWSTR answer)
    {
        AfxTestSetScript(answer);
        Click(dlg, id);
    }
    static std::wstring Record() { return (LPCWSTR)AfxTestGetRecord(); }

    _ConnectionPtr m_conn;
    std::wstring m_db;
    CamType m_savedType = kCamMarrowin;
    int m_savedSub = 0;
};

TEST_F(Presets, MarrowinNamesAreKeptAsTypedAndApplyingMovesTheCameraAndTheSliders)
{
    g_CamType = kCamMarrowin;
    CPellixAdjustDlg adjust;
    HWND adj = Open(adjust);
    ASSERT_TRUE(adj);
    adjust.RefreshFromCamera();
    CheckDlgButton(adj, IDC_PX_CONTINUOUS_AE, BST_UNCHECKED);  // no auto exposure among the calls
    Click(adj, IDC_PX_CONTINUOUS_AE);

    // The adjust dialog's button opens the preset dialog.
    AfxTestSetScript(L"dialog 196 IDCANCEL");
    Click(adj, IDC_PX_COLOR_SCHEME);
    EXPECT_NE(Record().find(L"dialog|"), std::wstring::npos) << Record();

    CColorSchemeDlg dlg(&adjust);
    ASSERT_TRUE(dlg.Create(IDD_COLOR_SCHEME, &adjust));
    HWND h = dlg.m_hWnd;
    EXPECT_EQ(Titles(h), L"No.|Item|Saturation|Gain|Gamma|Red|Green|Blue");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDC_SCH_ADD)));

    struct {
        LPCWSTR name;
        float sat;
    } const names[] = {{L"plain", 0.25f}, {L"it's", 0.5f}, {L"Gr\u00fc\u00dfe \u65e5\u672c", 0.75f},
                       {L"abc", 0.125f}, {L"ABC", 1.0f}, {L"x' or '1'='1", 0.3f}};
    for (const auto& n : names) {
        m_cam.sat = n.sat;
        m_cam.red = 3.04f;
        Add(h, n.name);
    }
    std::vector<std::wstring> rows = Rows(h);
    ASSERT_EQ(rows.size(), 6u) << Record();
    EXPECT_EQ(rows[0], L"1|plain|0.3|1|1|3|2|2");
    EXPECT_EQ(rows[1], L"2|it's|0.5|1|1|3|2|2");
    EXPECT_EQ(rows[2], L"3|Gr\u00fc\u00dfe \u65e5\u672c|0.8|1|1|3|2|2");
    EXPECT_EQ(rows[4], L"5|ABC|1|1|1|3|2|2");
    EXPECT_EQ(rows[5], L"6|x' or '1'='1|0.3|1|1|3|2|2");

    // A taken name (exact case) is refused and nothing is stored.
    AfxTestClearRecord();
    Add(h, L"abc");
    EXPECT_NE(Record().find(L"Item name already exists."), std::wstring::npos) << Record();
    EXPECT_EQ(Rows(h).size(), 6u);

    // Apply "it's": the camera in its order, then the adjust dialog shows it.
    Select(h, 1);
    EnterCriticalSection(&g_lock);
    m_cam.sets.clear();
    LeaveCriticalSection(&g_lock);
    Answer(h, IDC_SCH_APPLY, L"msgbox IDYES");
    std::vector<std::string> want = {"Gain=1.00", "Red=3.00", "Blue=2.00", "Green=2.00", "Gamma=1.00", "Saturation=0.50"};
    EnterCriticalSection(&g_lock);
    EXPECT_EQ(m_cam.sets, want);
    LeaveCriticalSection(&g_lock);
    EXPECT_EQ(Text(adj, IDC_LBL_SATURATION_VAL), L"Saturation: 0.5");
    EXPECT_EQ(Text(adj, IDC_LBL_RED_VAL), L"Red: 3.0");

    // Apply answered No does nothing.
    m_cam.sets.clear();
    Answer(h, IDC_SCH_APPLY, L"msgbox IDNO");
    EXPECT_TRUE(m_cam.sets.empty());

    // Delete "abc": No keeps it, Yes removes it and leaves "ABC".
    Select(h, 3);
    Answer(h, IDC_SCH_DELETE, L"msgbox IDNO");
    EXPECT_EQ(Rows(h).size(), 6u);
    Select(h, 3);
    Answer(h, IDC_SCH_DELETE, L"msgbox IDYES");
    rows = Rows(h);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[3], L"4|ABC|1|1|1|3|2|2");
    // The quoted name removed only itself.
    Select(h, 4);
    Answer(h, IDC_SCH_DELETE, L"msgbox IDYES");
    EXPECT_EQ(Rows(h).size(), 4u);
    dlg.DestroyWindow();
}

TEST_F(Presets, EmptyNameIsRefusedAndTheNameDialogStaysOpen)
{
    CSchemeNameDlg name(&m_host);
    ASSERT_TRUE(name.Create(IDD_SCHEME_NAME, &m_host));
    AfxTestSetScript(L"msgbox IDOK");
    Click(name.m_hWnd, IDOK);
    EXPECT_NE(Record().find(L"Please input the itemname."), std::wstring::npos) << Record();
    EXPECT_NE(Record().find(L"|Hint|"), std::wstring::npos) << Record();
    EXPECT_TRUE(IsWindow(name.m_hWnd));
    name.DestroyWindow();
}

TEST_F(Presets, HestralColumnsAreShiftedOneAlongAndComeBackOnApply)
{
    g_CamType = kCamHestralT6M;
    CColorSchemeDlg dlg(&m_host);
    dlg.SetCurrentValues(120, 30, 100, 12, 10, 14);
    ASSERT_TRUE(dlg.Create(IDD_COLOR_SCHEME, &m_host));
    HWND h = dlg.m_hWnd;
    EXPECT_EQ(Titles(h), L"No.|Item|Contrast|Gamma|Red|Green|Blue|Saturation");
    Add(h, L"hestral");
    std::vector<std::wstring> rows = Rows(h);
    ASSERT_EQ(rows.size(), 1u) << Record();
    EXPECT_EQ(rows[0], L"1|hestral|30|100|12|10|14|120");

    g_HestralPendingPreset = {};
    Select(h, 0);
    Answer(h, IDC_SCH_APPLY, L"msgbox IDYES");
    const HestralPreset& p = g_HestralPendingPreset;
    EXPECT_EQ((std::vector<int>{p.saturation, p.contrast, p.gamma, p.red, p.green, p.blue}),
              (std::vector<int>{120, 30, 100, 12, 10, 14}));
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, m_host.m_hWnd, WM_HESTRAL_APPLY_PRESET, WM_HESTRAL_APPLY_PRESET, PM_REMOVE));
    dlg.DestroyWindow();
}

// Applied from the Hestral adjust dialog, the preset goes to the camera and
// that dialog's sliders, through the dialog itself.
TEST_F(Presets, AHestralPresetReachesTheCameraThroughTheAdjustDialogThatOpenedIt)
{
    g_CamType = kCamHestralT6M;
    std::vector<unsigned char> saved(reinterpret_cast<unsigned char*>(&g_HestralSdk),
                                     reinterpret_cast<unsigned char*>(&g_HestralSdk) + sizeof g_HestralSdk);
    std::vector<std::string> calls;
    g_hestralCalls = &calls;
    g_HestralSdk.CameraSetSaturation = HSetSaturation;
    g_HestralSdk.CameraSetContrast = HSetContrast;
    g_HestralSdk.CameraSetGamma = HSetGamma;
    g_HestralSdk.CameraSetGain = HSetGain;
    {
        CHestralAdjustDlg adjust;
        ASSERT_TRUE(adjust.Create(IDD_HESTRAL_ADJUST, &m_host));
        CColorSchemeDlg dlg(&adjust);
        dlg.SetCurrentValues(120, 30, 100, 12, 10, 14);
        ASSERT_TRUE(dlg.Create(IDD_COLOR_SCHEME, &m_host));
        Add(dlg.m_hWnd, L"warm");
        calls.clear();
        Select(dlg.m_hWnd, 0);
        Answer(dlg.m_hWnd, IDC_SCH_APPLY, L"msgbox IDYES");
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        const std::vector<std::string> sent = {"Saturation=120", "Gamma=100", "Gain=12,10,14", "Contrast=30"};
        EXPECT_EQ(calls, sent);
        EXPECT_EQ(Pos(adjust.m_hWnd, IDC_SLD_CONTRAST), 30);
        EXPECT_EQ(adjust.m_nSaturation, 120);
        dlg.DestroyWindow();
        adjust.DestroyWindow();
    }
    std::memcpy(reinterpret_cast<void*>(&g_HestralSdk), saved.data(), saved.size());
    g_hestralCalls = nullptr;
}

TEST_F(Presets, DirectShowFamiliesStoreTheirColumnsAndApplyInThePanelsOrder)
{
    struct {
        int sub;
        LPCWSTR titles;
        LPCWSTR row;
        std::vector<int> applied;
    } const cases[] = {
        // brightness, saturation, contrast, gamma, sharpness, red, green, blue, exposure, AWB, exposure mode
        {5, L"No.|Item|Brightness|Saturation|Contstrast|Gamma|Red|Green|Blue|Exposure|Auto exposure|Auto white balance",
         L"1|u'v|1|2|3|4|6|7|8|9|2|1", {1, 2, 3, 4, 0, 6, 7, 8, 9, 2, 1}},
        {0, L"No.|Item|Brightness|Saturation|ImageConstrast|Gamma|Sharpness|Red|Green|Blue|White balance",
         L"1|u'v|1|2|3|4|5|6|7|8|9", {1, 2, 3, 4, 5, 6, 7, 8, 9, 1}},
    };
    int savedEnglish = g_bLangEnglish;
    g_bLangEnglish = 1;
    g_CamType = kCamDirectShow;
    for (const auto& c : cases) {
        g_CamSubType = c.sub;
        FakePanel panel;
        CUvcColorSchemeDlg dlg(&m_host, &panel);
        dlg.SetCurrentValues(1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2);
        ASSERT_TRUE(dlg.Create(IDD_UVC_COLOR_SCHEME, &m_host));
        HWND h = dlg.m_hWnd;
        EXPECT_EQ(Titles(h), c.titles) << c.sub;
        AddUvc(h, L"u'v");
        std::vector<std::wstring> rows = Rows(h);
        ASSERT_EQ(rows.size(), 1u) << Record();
        EXPECT_EQ(rows[0], c.row) << c.sub;
        Select(h, 0);
        Answer(h, IDC_SCH_APPLY, L"msgbox IDYES");
        ASSERT_EQ(panel.calls.size(), 1u);
        EXPECT_EQ(panel.calls[0], c.applied) << c.sub;
        dlg.DestroyWindow();
    }
    g_bLangEnglish = savedEnglish;
}

TEST_F(Presets, WithoutTheDatabaseOrWhenAStatementFailsNothingIsLostAndAMessageIsShown)
{
    g_CamType = kCamHestralT6M;
    {
        CColorSchemeDlg dlg(&m_host);
        ASSERT_TRUE(dlg.Create(IDD_COLOR_SCHEME, &m_host));
        Add(dlg.m_hWnd, L"kept");
        ASSERT_EQ(Rows(dlg.m_hWnd).size(), 1u);
        dlg.DestroyWindow();
    }
    // No connection: Add and Delete disabled, the list empty.
    g_pPresetDb = nullptr;
    m_conn.Release();
    AfxTestClearRecord();
    {
        CColorSchemeDlg dlg(&m_host);
        AfxTestSetScript(L"msgbox IDOK");
        ASSERT_TRUE(dlg.Create(IDD_COLOR_SCHEME, &m_host));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg.m_hWnd, IDC_SCH_ADD)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg.m_hWnd, IDC_SCH_DELETE)));
        EXPECT_TRUE(Rows(dlg.m_hWnd).empty());
        dlg.DestroyWindow();
    }
    // A read-only file is refused when it is opened, as start-up opens it.
    ASSERT_TRUE(SetFileAttributesW(m_db.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_THROW(Connect(m_db), _com_error);
    SetFileAttributesW(m_db.c_str(), FILE_ATTRIBUTE_NORMAL);
    // A statement failing under the open dialog: a message, the row already there stays.
    Connect(m_db);
    {
        CColorSchemeDlg dlg(&m_host);
        ASSERT_TRUE(dlg.Create(IDD_COLOR_SCHEME, &m_host));
        ASSERT_EQ(Rows(dlg.m_hWnd).size(), 1u);
        m_conn->Close();
        AfxTestClearRecord();
        AfxTestSetScript(L"dialog 197 IDOK 1069=lost; msgbox IDOK; msgbox IDOK; msgbox IDOK");
        Click(dlg.m_hWnd, IDC_SCH_ADD);
        EXPECT_NE(Record().find(L"msgbox|"), std::wstring::npos) << Record();
        Select(dlg.m_hWnd, 0);
        AfxTestSetScript(L"msgbox IDYES; msgbox IDOK");
        Click(dlg.m_hWnd, IDC_SCH_DELETE);
        dlg.DestroyWindow();
    }
    Connect(m_db);
    {
        CColorSchemeDlg dlg(&m_host);
        ASSERT_TRUE(dlg.Create(IDD_COLOR_SCHEME, &m_host));
        std::vector<std::wstring> rows = Rows(dlg.m_hWnd);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].substr(0, 7), L"1|kept|");
        dlg.DestroyWindow();
    }
}

}  // namespace

