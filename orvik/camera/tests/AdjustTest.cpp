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

#include "CamAdjustBar.h"
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
    dlg.SendMessage(WM_HESTRAL_SCHEME_APPLIED);
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

}  // namespace
