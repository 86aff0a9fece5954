// The Hestral adjust dialog and the UVC camera panel in Orvik started as a
// user starts it, over the simulated Zentu driver and the simulated UVC
// cameras: each control moved by a message to its id, and what the sensor's
// registers, the UVC device's state, the property library's log, the live
// picture and setting.ini show afterwards.
#include <gtest/gtest.h>
#include "OrvikHarness.h"
#include "UvcCamInstall.h"
#include "UvcDevices.h"
#include "ZentuSimControl.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

using namespace orvik_test;

namespace {

const std::wstring kBin = ORVIK_BIN_DIR;

bool Eventually(const std::function<bool()>& done, DWORD timeoutMs = 30000) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(50))
        if (done()) return true;
    return done();
}

struct ById {
    UINT id;
    HWND found;
};
BOOL CALLBACK FirstWithId(HWND h, LPARAM lp) {
    ById* s = reinterpret_cast<ById*>(lp);
    if ((UINT)GetDlgCtrlID(h) != s->id) return TRUE;
    s->found = h;
    return FALSE;
}
HWND Descendant(HWND top, UINT id) {
    ById s{id, nullptr};
    EnumChildWindows(top, FirstWithId, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// One Orvik run with its adjust panel: the dialog holding `marker` and the
// live video window (id 12312, laid out bigger than its placeholder).
class PanelRun {
public:
    PanelRun(const OrvikFolder& folder, UINT marker) : m_run(folder) {
        m_frame = m_run.WaitMainWindow(90000);
        if (!m_frame) return;
        Eventually([&] {
            HWND control = Descendant(m_frame, marker);
            m_dlg = control ? GetParent(control) : nullptr;
            HWND video = Descendant(m_frame, 12312);
            RECT r = {};
            if (video) GetWindowRect(video, &r);
            m_video = r.right - r.left > 20 ? video : nullptr;
            return m_dlg && m_video;
        });
    }
    bool Ready() const { return m_dlg && m_video; }
    HWND Dlg() const { return m_dlg; }
    HWND Video() const { return m_video; }
    HWND Item(UINT id) const { return GetDlgItem(m_dlg, id); }
    int Pos(UINT slider) const { return (int)SendMessageW(Item(slider), TBM_GETPOS, 0, 0); }
    bool Checked(UINT id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool Enabled(UINT id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    std::wstring Text(UINT id) const {
        wchar_t text[64] = {};
        GetWindowTextW(Item(id), text, 64);
        return text;
    }
    // As a drag ends: the thumb moved, then the dialog told.
    void Slide(UINT slider, int pos) const {
        HWND h = Item(slider);
        SendMessageW(h, TBM_SETPOS, TRUE, pos);
        DWORD_PTR r;
        SendMessageTimeoutW(m_dlg, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, pos), (LPARAM)h, SMTO_NORMAL, 60000, &r);
    }
    void Command(WPARAM id) const {
        DWORD_PTR r;
        SendMessageTimeoutW(m_frame, WM_COMMAND, id, 0, SMTO_NORMAL, 60000, &r);
    }
    void Click(UINT id) const {
        DWORD_PTR r;
        SendMessageTimeoutW(Item(id), BM_CLICK, 0, 0, SMTO_NORMAL, 60000, &r);
    }
    // Mean red minus mean blue of the live picture as the screen shows it.
    double RedOverBlue() const {
        RECT r;
        GetWindowRect(m_video, &r);
        Shot s = CaptureScreen(r);
        double sum = 0;
        for (DWORD p : s.px) sum += (double)((p >> 16) & 255) - (double)(p & 255);
        return s.px.empty() ? 0.0 : sum / (double)s.px.size();
    }
    // Something drawn with contrast in it (the chart), not a blank window.
    bool ShowsPicture() const {
        return Eventually([&] {
            RECT r;
            GetWindowRect(m_video, &r);
            Shot s = CaptureScreen(r);
            int lo = 255, hi = 0;
            for (DWORD p : s.px) {
                const int g = (int)((p >> 8) & 255);
                lo = g < lo ? g : lo;
                hi = g > hi ? g : hi;
            }
            return hi - lo > 80;
        });
    }
    // How far the live picture's pixels are from grey, on average.
    double Colourfulness() const {
        RECT r;
        GetWindowRect(m_video, &r);
        Shot s = CaptureScreen(r);
        double sum = 0;
        for (DWORD p : s.px) {
            const int red = (p >> 16) & 255, green = (p >> 8) & 255, blue = p & 255;
            sum += std::abs(red - green) + std::abs(blue - green);
        }
        return s.px.empty() ? 0.0 : sum / (double)s.px.size();
    }
    // The picture turns redder (sign 1) or bluer (-1) than `from` by `margin`.
    bool Turns(double from, int sign, double margin) const {
        double now = 0;
        bool ok = Eventually([&] { return sign * ((now = RedOverBlue()) - from) > margin; });
        if (!ok) printf("red - blue %.1f, from %.1f\n", now, from);
        return ok;
    }
    DWORD Close() { return m_run.Close(60000); }

private:
    OrvikRun m_run;
    HWND m_frame = nullptr, m_dlg = nullptr, m_video = nullptr;
};

std::wstring Settings(const std::wstring& camera, const std::wstring& more) {
    return L"[Camera]\r\nbTolmira=0\r\n" + camera + L"[Gerneral]\r\nLogoTitle=Orvik Adjust Test\r\n" + more;
}

int IniInt(const OrvikFolder& folder, LPCWSTR section, LPCWSTR key) {
    return (int)GetPrivateProfileIntW(section, key, -12345, folder.Path(L"setting.ini").c_str());
}

// Control ids of the Hestral dialog.
enum : UINT {
    kSat = 1028, kContrast = 1080, kGamma = 1024, kRed = 1012, kGreen = 1016, kBlue = 1020, kAnalogGain = 1008,
    kTarget = 1098, kExposureTime = 1094, kColorEnhance = 1088, kAutoExposure = 1090, kHsDefault = 1102,
};

// ---------------------------------------------------------------- Hestral
struct FreshHestral {
    FreshHestral() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessavin"); }
};

struct HestralCase {
    int camType;
    LPCWSTR camera;
};

class HestralAdjust : public ::testing::TestWithParam<HestralCase> {};

// Every type: the enable rules, the exposure time and analog gain in the
// sensor's registers, the LED preset, and what closing writes.
TEST_P(HestralAdjust, SlidersReachTheSensorAndClosingKeepsThem) {
    FreshHestral fresh;
    ScopedCameras cameras(GetParam().camera);
    CZentuSimControl sim;
    ASSERT_TRUE(sim.IsOpen());
    OrvikFolder folder(kBin);
    // Of [Nodrel] only a gamma past the slider's end and a saturation past its range.
    folder.WriteSettings(Settings(L"CamType=" + std::to_wstring(GetParam().camType) + L"\r\n",
                                  L"[Nodrel]\r\nGamma=252\r\nSaturation=300\r\n"));
    {
        PanelRun run(folder, kColorEnhance);
        ASSERT_TRUE(run.Ready());
        // Missing keys: target 120, colour enhancement and auto exposure on.
        EXPECT_TRUE(Eventually([&] { return run.Text(1092) == L"120"; }));
        EXPECT_EQ(run.Pos(kGamma), 250);
        EXPECT_EQ(run.Text(1045), L"252");
        EXPECT_EQ(run.Pos(kSat), 179);
        EXPECT_TRUE(run.Checked(kColorEnhance));
        EXPECT_TRUE(run.Checked(kAutoExposure));
        EXPECT_TRUE(Eventually([&] { return !run.Enabled(kExposureTime) && !run.Enabled(kAnalogGain); }));
        EXPECT_TRUE(run.Enabled(kTarget));

        run.Click(kAutoExposure);
        EXPECT_FALSE(run.Checked(kAutoExposure));
        EXPECT_TRUE(run.Enabled(kExposureTime) && run.Enabled(kAnalogGain) && !run.Enabled(kTarget));
        run.Slide(kExposureTime, 450);
        EXPECT_TRUE(Eventually([&] { return sim.Registers()[9] == 450; })) << sim.Registers()[9];
        EXPECT_EQ(run.Text(1096), L"450");
        run.Slide(kAnalogGain, 10);
        const unsigned short gain10 = sim.Registers()[53];
        run.Slide(kAnalogGain, 41);
        EXPECT_TRUE(Eventually([&] { return sim.Registers()[53] != gain10; }));

        run.Click(kHsDefault);  // LED, the light source of a first start
        const struct { UINT slider; int pos; } led[] = {{kRed, 51},       {kGreen, 64}, {kBlue, 116}, {kContrast, 20},
                                                        {kGamma, 100},    {kSat, 80},   {kTarget, 100}};
        for (const auto& c : led) EXPECT_EQ(run.Pos(c.slider), c.pos) << c.slider;
        run.Slide(kContrast, 33);
        EXPECT_EQ(run.Close(), 0ul);
    }
    const struct { LPCWSTR key; int value; } saved[] = {
        {L"AETime", 450}, {L"Gain", 41}, {L"bAE", 0}, {L"bColE", 1}, {L"Red", 51}, {L"Blue", 116},
        {L"Contrast", 33}, {L"Gamma", 100}, {L"Saturation", 80}, {L"AETarget", 100}, {L"LightSource", 0}};
    for (const auto& k : saved) EXPECT_EQ(IniInt(folder, L"Nodrel", k.key), k.value) << Narrow(k.key);
}

INSTANTIATE_TEST_SUITE_P(Types, HestralAdjust,
                         ::testing::Values(HestralCase{3, L"Vantor-T6M"}, HestralCase{5, L"Vantor-T2W"},
                                           HestralCase{6, L"Vantor-T8M"}),
                         [](const ::testing::TestParamInfo<HestralCase>& i) {
                             return "Type" + std::to_string(i.param.camType);
                         });

// Type 4 at length: the saturation in the picture, the stored low
// resolution restarting the camera, and a second start restoring the file and
// applying the halogen preset.
TEST(HestralAdjustType4, SaturationShowsInThePictureAndASecondStartRestoresAndPresets) {
    FreshHestral fresh;
    ScopedCameras cameras(L"Vantor-T4M");
    CZentuSimControl sim;
    ASSERT_TRUE(sim.IsOpen());
    OrvikFolder folder(kBin);
    folder.WriteSettings(Settings(L"CamType=4\r\n", L"[Nodrel]\r\nResolution=1\r\nbAE=0\r\nAETime=300\r\nRed=64\r\nGreen=64\r\nBlue=64\r\n"));
    {
        PanelRun run(folder, kColorEnhance);
        ASSERT_TRUE(run.Ready());
        // Stored low on a camera that starts high: restarted at 1024 wide.
        EXPECT_TRUE(Eventually([&] { return sim.Status().frameWidth == 1024; })) << sim.Status().frameWidth;
        EXPECT_FALSE(run.Checked(kAutoExposure));
        // Saturation in the picture: none gives grey, full gives colour.
        ASSERT_TRUE(run.ShowsPicture());
        ASSERT_TRUE(run.Checked(kColorEnhance));
        run.Slide(kSat, 0);
        EXPECT_TRUE(Eventually([&] { return run.Colourfulness() < 4; })) << run.Colourfulness();
        run.Slide(kSat, 255);
        EXPECT_TRUE(Eventually([&] { return run.Colourfulness() > 20; })) << run.Colourfulness();
        run.Slide(kRed, 10);
        run.Slide(kBlue, 255);
        run.Slide(kGamma, 140);
        EXPECT_EQ(run.Close(), 0ul);
    }
    EXPECT_EQ(IniInt(folder, L"Nodrel", L"Resolution"), 1);
    EXPECT_EQ(IniInt(folder, L"Nodrel", L"Red"), 10);
    WritePrivateProfileStringW(L"Nodrel", L"LightSource", L"1", folder.Path(L"setting.ini").c_str());
    {
        PanelRun run(folder, kColorEnhance);
        ASSERT_TRUE(run.Ready());
        EXPECT_TRUE(Eventually([&] { return run.Pos(kBlue) == 255; }));
        EXPECT_EQ(run.Pos(kRed), 10);
        EXPECT_EQ(run.Pos(kGamma), 140);
        EXPECT_FALSE(run.Checked(kAutoExposure));
        run.Click(kHsDefault);
        EXPECT_EQ(run.Pos(kRed), 80);
        EXPECT_EQ(run.Pos(kGreen), 64);
        EXPECT_EQ(run.Pos(kBlue), 85);
        EXPECT_EQ(run.Close(), 0ul);
    }
    EXPECT_EQ(IniInt(folder, L"Nodrel", L"Red"), 80);
    EXPECT_EQ(IniInt(folder, L"Nodrel", L"LightSource"), 1);
}

// ---------------------------------------------------------------- UVC
enum : UINT {
    kBrightness = 1076, kUvcContrast = 1080, kSlider1021 = 1021, kAutoWb = 1084, kUvcAutoExposure = 1128,
    kUvcDefault = 1054, kSharpnessCaption = 1117,
};
const WPARAM kCmdPreviewCamera = 32861;

// One simulated UVC camera installed alone, its device state, and a folder
// for Orvik with the camera's sub-type and section.
struct UvcSetup {
    ScopedCameras cameras;
    UvcDeviceState* dev;
    OrvikFolder folder{kBin};
    UvcSetup(LPCWSTR name, int subType, const std::wstring& section)
        : cameras(name), dev(UvcDevice(name)) {
        folder.WriteSettings(Settings(L"CamSubType=" + std::to_wstring(subType) + L"\r\nCamType=2\r\n", section));
    }
    bool Ready() const { return SUCCEEDED(cameras.Result()) && dev; }
};

// A P8Z camera: the timer's LED preset, exposure positions as device values,
// gains and white balance in the property library, and what closing writes.
TEST(UvcPanel, P8ZControlsReachTheCameraAndItsLibrary) {
    UvcSetup setup(L"Camera-J20", 5,
                   L"[Camera-P8Z]\r\nWhiteBalance=4\r\nLEDRed=40\r\nLEDGreen=50\r\nLEDBlue=60\r\n"
                   L"LEDBrightness=13\r\nLEDContrast=9\r\n");
    ASSERT_TRUE(setup.Ready());
    UvcDeviceState* dev = setup.dev;
    const OrvikFolder& folder = setup.folder;
    {
        PanelRun run(folder, kUvcAutoExposure);
        ASSERT_TRUE(run.Ready());
        // No sharpness row: the rows below it take its place, 1021 as the exposure.
        EXPECT_FALSE(IsWindowVisible(run.Item(kSharpnessCaption)));
        RECT sharpness, awb;
        GetWindowRect(run.Item(kSharpnessCaption), &sharpness);
        GetWindowRect(run.Item(kAutoWb), &awb);
        EXPECT_EQ(awb.top, sharpness.top);
        EXPECT_EQ(run.Text(1113), L"Exposure:");
        // A second after loading, the LED preset from the file.
        EXPECT_TRUE(Eventually([&] { return dev->dspGain[0] == 40 && dev->dspGain[2] == 60; }))
            << dev->dspGain[0] << " " << dev->dspGain[2];
        EXPECT_TRUE(Eventually([&] { return dev->procAmp[0] == 3 && dev->procAmp[1] == 9; })) << dev->procAmp[0];
        EXPECT_EQ(run.Pos(kBrightness), 13);
        EXPECT_EQ(run.Pos(kSlider1021), 4);

        // Device exposure = position - 6, manual.
        run.Slide(kSlider1021, 3);
        EXPECT_EQ(dev->cameraControl[4], -3);
        EXPECT_EQ(dev->cameraControlFlags[4], 2);
        if (run.Checked(kUvcAutoExposure)) run.Click(kUvcAutoExposure);
        run.Click(kUvcAutoExposure);
        EXPECT_TRUE(run.Checked(kUvcAutoExposure));
        EXPECT_EQ(dev->cameraControlFlags[4], 1);
        EXPECT_FALSE(run.Enabled(kSlider1021));
        run.Click(kUvcAutoExposure);
        EXPECT_EQ(dev->cameraControlFlags[4], 2);
        EXPECT_EQ(dev->cameraControl[4], -3);

        run.Slide(kBrightness, 15);
        EXPECT_EQ(dev->procAmp[0], 5);
        run.Slide(kRed, 200);
        EXPECT_EQ(dev->dspGain[0], 200);
        // Automatic white balance locks the gain sliders, also through an unlock.
        if (!run.Checked(kAutoWb)) run.Click(kAutoWb);
        EXPECT_EQ(dev->autoWhiteBalance, 1);
        EXPECT_FALSE(run.Enabled(kRed));
        run.Command(kCmdPreviewCamera);  // unlocks the panel
        EXPECT_FALSE(run.Enabled(kRed));
        EXPECT_TRUE(run.Enabled(kBrightness));
        run.Click(kAutoWb);
        EXPECT_EQ(dev->autoWhiteBalance, 0);
        EXPECT_TRUE(run.Enabled(kRed));
        EXPECT_EQ(run.Close(), 0ul);
    }
    const std::wstring log = ReadTextFile(folder.Path(L"uvclib.log"));
    EXPECT_NE(log.find(L"SetDSP_RedGainValue 40"), std::wstring::npos);
    EXPECT_NE(log.find(L"SetDSP_RedGainValue 200"), std::wstring::npos);
    const struct { LPCWSTR key; int value; } saved[] = {
        {L"Brightness", 15}, {L"WhiteBalance", 3}, {L"Red", 200}, {L"Green", 50}, {L"AutoExpose", 2}, {L"LightSource", 0}};
    for (const auto& k : saved) EXPECT_EQ(IniInt(folder, L"Camera-P8Z", k.key), k.value) << Narrow(k.key);
}

// An R5V camera: properties with the manual flag, slider 1021 as white
// balance, check box 1128 switching that white balance (never the exposure),
// gains in the processing filter's picture, Default, and what closing writes.
TEST(UvcPanel, R5VControlsReachTheDeviceAndThePicture) {
    UvcSetup setup(L"Camera-R5V", 2, L"[Camera-R5V]\r\nBrightness=14\r\nAutoWB=2\r\n");
    ASSERT_TRUE(setup.Ready());
    UvcDeviceState* dev = setup.dev;
    const OrvikFolder& folder = setup.folder;
    {
        PanelRun run(folder, kUvcAutoExposure);
        ASSERT_TRUE(run.Ready());
        EXPECT_TRUE(Eventually([&] { return dev->procAmp[0] == 4; })) << dev->procAmp[0];
        EXPECT_EQ(dev->procAmpFlags[0], 2);
        EXPECT_EQ(run.Pos(kBrightness), 14);
        EXPECT_EQ(dev->procAmp[7], 5200);
        EXPECT_EQ((int)SendMessageW(run.Item(kRed), TBM_GETRANGEMAX, 0, 0), 63);
        EXPECT_TRUE(run.Enabled(kSlider1021));

        run.Slide(kSlider1021, 4000);
        EXPECT_EQ(dev->procAmp[7], 4000);
        EXPECT_EQ(dev->procAmpFlags[7], 2);
        const LONG exposure = dev->cameraControl[4], exposureFlags = dev->cameraControlFlags[4];
        run.Click(kUvcAutoExposure);
        EXPECT_EQ(dev->procAmpFlags[7], 1);
        EXPECT_TRUE(run.Checked(kAutoWb));
        EXPECT_FALSE(run.Enabled(kSlider1021));
        EXPECT_EQ(dev->cameraControl[4], exposure);
        EXPECT_EQ(dev->cameraControlFlags[4], exposureFlags);
        run.Click(kAutoWb);
        EXPECT_EQ(dev->procAmpFlags[7], 2);
        EXPECT_FALSE(run.Checked(kUvcAutoExposure));

        run.Slide(kUvcContrast, 20);
        EXPECT_EQ(dev->procAmp[1], 20);
        // The gains are the processing filter's offsets, from none.
        ASSERT_TRUE(run.ShowsPicture());
        const LONG frames = dev->frameCounter;
        ASSERT_TRUE(Eventually([&] { return dev->frameCounter >= frames + 5; }));
        const double start = run.RedOverBlue();
        run.Slide(kRed, 63);
        run.Slide(kBlue, 0);
        EXPECT_TRUE(run.Turns(start, 1, 20));
        run.Slide(kRed, 0);
        run.Slide(kBlue, 63);
        EXPECT_TRUE(run.Turns(start, -1, 20));

        run.Click(kUvcDefault);
        EXPECT_EQ(dev->procAmp[0], 1);
        EXPECT_EQ(dev->procAmp[1], 12);
        EXPECT_EQ(dev->procAmp[7], 5200);
        EXPECT_EQ(run.Pos(kBlue), 0);
        run.Slide(kGreen, 30);
        EXPECT_EQ(run.Close(), 0ul);
    }
    const struct { LPCWSTR key; int value; } saved[] = {
        {L"Brightness", 11}, {L"Contrast", 12}, {L"WhiteBalance", 5200}, {L"Green", 30}, {L"AutoWB", 2}};
    for (const auto& k : saved) EXPECT_EQ(IniInt(folder, L"Camera-R5V", k.key), k.value) << Narrow(k.key);
}

}  // namespace
