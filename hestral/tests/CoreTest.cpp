// The camera core without a device: timing, gain map, tables, the pipeline on
// synthetic Bayer frames, white balance, auto-exposure steps, dead pixels and
// the parameter teams in the registry.
#include <gtest/gtest.h>
#include <cstdlib>
#include <vector>
#include "CameraCore.h"

namespace {

const char kRoot[] = "Software\\Tessavin";

void ClearTeams() { RegDeleteTreeA(HKEY_CURRENT_USER, kRoot); }

// A raw frame whose G, R and B sites hold g, r and b.
std::vector<BYTE> Field(int w, int h, int r, int g, int b)
{
    std::vector<BYTE> raw((size_t)w * h + 512);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const bool even = (y & 1) == 0, odd = (x & 1) != 0;
            raw[(size_t)y * w + x] = (BYTE)(even ? (odd ? r : g) : (odd ? g : b));
        }
    return raw;
}

struct Core : ::testing::Test {
    void SetUp() override { ClearTeams(); }
    void TearDown() override { ClearTeams(); }
    // Gains 64, matrix off, gamma 100, contrast 0: the pipeline is the demosaic.
    static void Neutral(CCameraCore& c)
    {
        c.colorOn = 0;
        c.SetGains(64, 64, 64);
        c.gamma = 100;
        c.contrast = 0;
        c.BuildToneTable();
    }
};

TEST_F(Core, AnalogGainMap)
{
    const struct { int g; WORD reg; } cases[] = {
        {0, 8}, {24, 32}, {25, 81}, {40, 96}, {41, 352}, {85, 11616}, {86, 0x2D60}, {100, 0x2D60}};
    for (auto& c : cases) EXPECT_EQ(CCameraCore::GainRegister(c.g), c.reg) << c.g;
    CCameraCore core;
    core.SetAnalogGain(100);
    EXPECT_EQ(core.analogGain, 86);
}

TEST_F(Core, RequestsOnAClosedDeviceFail)
{
    CCameraCore core;
    WORD v = 0;
    EXPECT_EQ(core.Usb().PortByte(0, 0), -1);
    EXPECT_FALSE(core.Usb().ReadRegister(0, &v));
    EXPECT_FALSE(core.Usb().ReadNv(0x3FF0, &v));
    BYTE raw[16];
    EXPECT_LT(core.Usb().ReadRawFrame(raw), 0);
}

TEST_F(Core, TimingByModeFrequencyAndClock)
{
    const struct { int mode, fast, freq, step, rowTime; } cases[] = {
        {0, 0, 0, 87, 114}, {0, 0, 1, 72, 114}, {0, 1, 0, 174, 57}, {0, 1, 1, 145, 57},
        {1, 0, 0, 116, 85}, {1, 0, 1, 97, 85},  {1, 1, 0, 233, 42}, {1, 1, 1, 194, 42},
        {2, 0, 0, 120, 82}, {2, 0, 1, 100, 82}, {2, 1, 0, 241, 41}, {2, 1, 1, 201, 41},
    };
    CCameraCore core;
    for (auto& c : cases) {
        core.SetGeometry(c.mode);
        core.lightFrequency = c.freq;
        core.exposure = 300;
        core.SetFrameSpeed(c.fast);
        EXPECT_EQ(core.flickerStep, c.step) << c.mode << c.fast << c.freq;
        EXPECT_EQ(core.rowTime, c.rowTime) << c.mode << c.fast << c.freq;
        EXPECT_EQ(core.exposure, 300 / c.step * c.step);
    }
}

TEST_F(Core, GeometryOfTheModes)
{
    CCameraCore core;
    const struct { int mode, sw, sh, ow, oh; } cases[] = {
        {0, 2048, 1536, 1280, 1024}, {1, 1024, 768, 1024, 768}, {2, 640, 480, 640, 480},
        {7, 1024, 768, 1024, 768}, {3, 642, 480, 642, 480}};
    core.SetRegion(361, 273, 642, 480);
    for (auto& c : cases) {
        core.SetGeometry(c.mode);
        EXPECT_EQ(core.SensorWidth(), c.sw);
        EXPECT_EQ(core.SensorHeight(), c.sh);
        EXPECT_EQ(core.OutputWidth(), c.ow);
        EXPECT_EQ(core.OutputHeight(), c.oh);
        EXPECT_EQ(core.maxExposure, 2 * c.sh);
    }
    EXPECT_EQ(core.Region().x, 360);
    EXPECT_EQ(core.Region().y, 272);
    core.SetRegion(2000, 1900, 800, 600);
    EXPECT_EQ(core.Region().w, 592);
    EXPECT_EQ(core.Region().h, 44);
}

TEST_F(Core, UniformFieldComesThroughEveryDemosaicUnchanged)
{
    CCameraCore core;
    Neutral(core);
    for (int mode : {1, 0})
        for (int method : {0, 1, 2}) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " method " << method);
            core.SetGeometry(mode);
            core.b2rgb = method;
            const int w = core.OutputWidth(), h = core.OutputHeight();
            std::vector<BYTE> raw = Field(core.SensorWidth(), core.SensorHeight(), 200, 100, 50);
            std::vector<BYTE> out((size_t)w * h * 3);
            core.Pipeline(raw.data(), out.data());
            int bad = 0;
            for (int y = 3; y < h - 3; y++)
                for (int x = 3; x < w - 3; x++) {
                    const BYTE* p = &out[((size_t)y * w + x) * 3];
                    if (p[0] != 50 || p[1] != 100 || p[2] != 200) bad++;
                }
            EXPECT_EQ(bad, 0);
            // Bilinear borders are black, edge-directed ones two pixels wide,
            // edge-sensing borders are filled.
            const BYTE* corner = &out[0];
            const BYTE* second = &out[((size_t)1 * w + 1) * 3];
            if (mode == 1) {
                EXPECT_EQ(corner[1], method == 2 ? 100 : 0);
                EXPECT_EQ(second[1], method == 1 ? 0 : 100);
            }
        }
}

TEST_F(Core, SaturationMonochromeAndTone)
{
    CCameraCore core;
    Neutral(core);
    core.SetGeometry(2);
    const int w = 640, h = 480;
    std::vector<BYTE> raw = Field(w, h, 200, 100, 50), out((size_t)w * h * 3);
    auto centre = [&] { return std::vector<int>{out[(240 * w + 320) * 3], out[(240 * w + 320) * 3 + 1], out[(240 * w + 320) * 3 + 2]}; };
    // An identity colour matrix with saturation 128 changes nothing.
    core.colorOn = 1;
    const int identity[9] = {128, 0, 0, 0, 128, 0, 0, 0, 128};
    std::copy(identity, identity + 9, core.matrix);
    core.saturation = 128;
    core.BuildColorMatrix();
    core.Pipeline(raw.data(), out.data());
    EXPECT_EQ(centre(), (std::vector<int>{50, 100, 200}));
    // Saturation 0 makes the picture grey.
    core.saturation = 0;
    core.BuildColorMatrix();
    core.Pipeline(raw.data(), out.data());
    std::vector<int> c = centre();
    EXPECT_EQ(c[0], c[1]);
    EXPECT_EQ(c[1], c[2]);
    EXPECT_NEAR(c[1], (200 * 308 + 100 * 609 + 50 * 82) / 1000, 2);
    // Monochrome: equal channels, the luma of the colour.
    core.mono = 1;
    core.Pipeline(raw.data(), out.data());
    c = centre();
    EXPECT_EQ(c[0], c[1]);
    EXPECT_EQ(c[2], (200 * 19595 + 100 * 38469 + 50 * 7472) >> 16);
    // Gamma 100 and contrast 0 are the identity; contrast spreads from 128.
    core.gamma = 100;
    core.contrast = 0;
    core.BuildToneTable();
    for (int i = 0; i < 256; i++) ASSERT_EQ(core.tone[i], i);
    core.contrast = 64;
    core.BuildToneTable();
    EXPECT_EQ(core.tone[192], 224);
    EXPECT_EQ(core.tone[64], 32);
    core.contrast = 0;
    core.gamma = 200;
    core.BuildToneTable();
    EXPECT_EQ(core.tone[128], 64); // 255 x (128/255)^2
}

TEST_F(Core, StepEdgesKeepTheirPlaceWithoutWideFringes)
{
    CCameraCore core;
    Neutral(core);
    core.SetGeometry(2);
    const int w = 640, h = 480;
    for (int method : {1, 2})
        for (bool vertical : {true, false}) {
            SCOPED_TRACE(testing::Message() << "method " << method << (vertical ? " vertical" : " horizontal"));
            core.b2rgb = method;
            std::vector<BYTE> raw((size_t)w * h + 512);
            for (int y = 0; y < h; y++)
                for (int x = 0; x < w; x++) raw[(size_t)y * w + x] = (vertical ? x >= 321 : y >= 241) ? 220 : 40;
            std::vector<BYTE> out((size_t)w * h * 3);
            core.Pipeline(raw.data(), out.data());
            // Output rows are bottom-up.
            auto px = [&](int x, int y) { return &out[((size_t)(h - 1 - y) * w + x) * 3]; };
            int fringe = 0;
            for (int k = 10; k < (vertical ? w : h) - 10; k++) {
                const BYTE* p = vertical ? px(k, 200) : px(300, k);
                if (p[0] != p[1] || p[2] != p[1]) fringe++;
            }
            EXPECT_LE(fringe, 2);
            const BYTE* before = vertical ? px(318, 200) : px(300, 238);
            const BYTE* after = vertical ? px(323, 200) : px(300, 243);
            EXPECT_EQ(before[1], 40);
            EXPECT_EQ(after[1], 220);
        }
}

TEST_F(Core, WhiteBalanceEqualisesAGreyCard)
{
    CCameraCore core;
    Neutral(core);
    core.SetGeometry(2);
    const int w = 640, h = 480;
    std::vector<BYTE> out((size_t)w * h * 3);
    // A grey card under a cast: each channel ends near the green.
    std::vector<BYTE> raw = Field(w, h, 100, 200, 150);
    core.wbRequest = 1;
    core.Pipeline(raw.data(), out.data());
    EXPECT_EQ(core.wbRequest, 0);
    EXPECT_EQ(core.gainG, 64);
    const BYTE* p = &out[(240 * w + 320) * 3];
    EXPECT_NEAR(p[0], 200, 2);
    EXPECT_NEAR(p[2], 200, 2);
    // Gains beyond 255: the largest becomes 255.
    raw = Field(w, h, 20, 250, 40);
    core.wbRequest = 1;
    core.Pipeline(raw.data(), out.data());
    EXPECT_EQ(core.gainR, 255);
    EXPECT_EQ(core.gainG, 16320 / 800);
    EXPECT_EQ(core.gainB, 400 * 255 / 800);
    // Too little red in the window: nothing changes.
    core.SetGains(70, 64, 80);
    ASSERT_TRUE(core.SetWbWindow(100, 100, 1, 1));
    raw = Field(w, h, 50, 200, 150);
    core.wbRequest = 1;
    core.Pipeline(raw.data(), out.data());
    EXPECT_EQ(core.gainR, 70);
    EXPECT_EQ(core.gainB, 80);
    EXPECT_FALSE(core.SetWbWindow(600, 0, 41, 10));
    // The default window of the largest mode lies inside its output picture.
    core.SetGeometry(0);
    HestralRect r = core.WbWindow();
    EXPECT_LE(r.x + r.w, 1280);
    EXPECT_LE(r.y + r.h, 1024);
}

TEST_F(Core, AutoExposureSteps)
{
    // Grey v measures as Y = v x 28033 >> 15.
    const struct {
        const char* name;
        int grey, smoothed, exposure, gain;
        int wantExposure, wantGain, wantSmoothed;
    } cases[] = {
        {"dead zone", 145, 120, 300, 20, 300, 20, 120},
        {"dark, gain above 9", 94, 80, 300, 20, 232, 20, 140},
        {"black frame", 0, 0, 8, 20, 11, 20, 150},
        {"white frame", 255, 120, 1160, 20, 812, 11, 90},
        {"bright, gain doubled", 160, 136, 470, 5, 348, 10, 112},
        {"dark, low gain raised", 94, 80, 500, 5, 464, 10, 140},
    };
    CCameraCore core;
    core.SetGeometry(2);
    core.SetFrameSpeed(0); // step 120 rows in mode 2
    core.SetGeometry(1);
    core.RecomputeTiming(); // step 116 rows in mode 1
    ASSERT_EQ(core.flickerStep, 116);
    const int w = 640, h = 480;
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<BYTE> img((size_t)w * h * 3, (BYTE)c.grey);
        core.aeTarget = 120;
        core.aeSmoothed = c.smoothed;
        core.exposure = c.exposure;
        core.analogGain = c.gain;
        core.AutoExposureStep(img.data(), w, h);
        EXPECT_EQ(core.exposure, c.wantExposure);
        EXPECT_EQ(core.analogGain, c.wantGain);
        EXPECT_EQ(core.aeSmoothed, c.wantSmoothed);
    }
}

TEST_F(Core, DeadPixelsFoundAndRepairedAndBadTableEntriesSkipped)
{
    CCameraCore core;
    Neutral(core);
    core.SetGeometry(1);
    const int w = 1024, h = 768;
    std::vector<BYTE> raw = Field(w, h, 90, 120, 80), out((size_t)w * h * 3);
    const int hot[5][2] = {{101, 50}, {500, 300}, {700, 701}, {33, 400}, {1000, 100}};
    for (auto& p : hot) raw[(size_t)p[1] * w + p[0]] = 255;
    core.RequestDefectDetection();
    core.Pipeline(raw.data(), out.data());
    EXPECT_EQ(core.defects.count, 5);
    for (auto& p : hot) {
        const size_t i = (size_t)p[1] * w + p[0];
        EXPECT_EQ(raw[i], (raw[i - 2] + raw[i + 2]) / 2) << p[0] << "," << p[1];
    }
    // Entries beyond the frame, as an erased table would give, are left alone.
    core.defects.count = 3;
    core.defects.x[0] = 65535; core.defects.y[0] = 65535;
    core.defects.x[1] = 1023; core.defects.y[1] = 10;
    core.defects.x[2] = 10; core.defects.y[2] = 768;
    std::vector<BYTE> before = raw;
    core.Pipeline(raw.data(), out.data());
    EXPECT_EQ(raw, before);
}

TEST_F(Core, MirrorAndFlip)
{
    CCameraCore core;
    Neutral(core);
    core.SetGeometry(2);
    const int w = 640, h = 480;
    std::vector<BYTE> raw((size_t)w * h + 512, 40);
    for (int y = 0; y < 100; y++)
        for (int x = 0; x < 100; x++) raw[(size_t)y * w + x] = 200; // bright top-left
    std::vector<BYTE> out((size_t)w * h * 3);
    auto at = [&](int x, int row) { return (int)out[((size_t)row * w + x) * 3 + 1]; };
    core.Pipeline(raw.data(), out.data());
    EXPECT_EQ(at(50, h - 51), 200); // bottom-up: the top is the last row
    core.hflip = 1;
    core.Pipeline(raw.data(), out.data());
    EXPECT_EQ(at(w - 51, h - 51), 200);
    core.hflip = 0;
    core.vflip = 1;
    core.Pipeline(raw.data(), out.data());
    EXPECT_EQ(at(50, 50), 200);
}

// Teams, read back with RegQueryValueEx.
DWORD ReadDword(const char* key, const char* name, bool* present = nullptr)
{
    HKEY k;
    DWORD v = 0, type = 0, size = sizeof v;
    bool ok = RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &k) == ERROR_SUCCESS;
    if (ok) {
        ok = RegQueryValueExA(k, name, nullptr, &type, (BYTE*)&v, &size) == ERROR_SUCCESS && type == REG_DWORD;
        RegCloseKey(k);
    }
    if (present) *present = ok;
    return v;
}

void Write(const char* key, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(k, name, 0, type, (const BYTE*)data, size);
    RegCloseKey(k);
}

void WriteDword(const char* key, const char* name, DWORD v) { Write(key, name, REG_DWORD, &v, 4); }

TEST_F(Core, TeamRoundTripWithTheValueNames)
{
    CCameraCore core;
    core.SetGeometry(1);
    core.aeOn = 0; core.aeTarget = 150; core.exposure = 700; core.analogGain = 33; core.wbRequest = 1;
    core.gainR = 10; core.gainG = 20; core.gainB = 30; core.gamma = 180; core.contrast = 55; core.colorOn = 0;
    core.saturation = 200; core.frameSpeed = 1; core.sampleType = 1; core.lightFrequency = 1; core.mono = 1;
    core.vflip = 1; core.hflip = 1; core.b2rgb = 2;
    const int m[9] = {1, 2, 3, 4, 5, 6, 7, 8, -9};
    std::copy(m, m + 9, core.matrix);
    ASSERT_EQ(core.SaveTeam(2), 1);
    const char* c = "Software\\Tessavin\\KX410\\setupc";
    EXPECT_EQ(ReadDword(c, "Color Correct Enable "), 0u);
    EXPECT_EQ(ReadDword(c, "Saturation"), 200u);
    EXPECT_EQ(ReadDword(c, "Light Frquency"), 1u);
    EXPECT_EQ(ReadDword(c, "Sample Type"), 1u);
    EXPECT_EQ(ReadDword(c, "B02 Mt"), 8182u);
    EXPECT_EQ(ReadDword(c, "Resolution"), 1u);
    EXPECT_EQ(ReadDword(c, "ExposureTime"), 700u);

    core.LoadDefaults();
    ASSERT_EQ(core.LoadTeam(2), 1);
    EXPECT_EQ(core.team, 2);
    const int got[] = {core.aeOn, core.aeTarget, core.exposure, core.analogGain, core.wbRequest, core.gainR,
                       core.gainG, core.gainB, core.gamma, core.contrast, core.colorOn, core.saturation,
                       core.frameSpeed, core.sampleType, core.lightFrequency, core.mono, core.vflip, core.hflip,
                       core.b2rgb};
    const int want[] = {0, 150, 700, 33, 1, 10, 20, 30, 180, 55, 0, 200, 1, 0, 1, 1, 1, 1, 2};
    for (size_t i = 0; i < sizeof want / sizeof *want; i++) EXPECT_EQ(got[i], want[i]) << i;
    for (int i = 0; i < 9; i++) EXPECT_EQ(core.matrix[i], m[i]);
}

TEST_F(Core, TeamLoadClampsAndKeepsValuesOfTheWrongShape)
{
    const char* a = "Software\\Tessavin\\KX410\\setupa";
    CCameraCore core;
    WriteDword(a, "Gamma", 5);
    WriteDword(a, "Contrast", 300);
    Write(a, "Gain r", REG_SZ, "90", 3);
    const BYTE two[2] = {1, 2};
    Write(a, "Gain b", REG_BINARY, two, 2);
    WriteDword(a, "R00 Mt", 8191 + 150);
    WriteDword(a, "G11 Mt", 1);
    core.gainR = 71;
    core.gainB = 72;
    core.matrix[4] = 99; // G01 missing: the fixed default
    ASSERT_EQ(core.LoadTeam(7), 1); // any other team number is team 0
    EXPECT_EQ(core.gamma, 10);
    EXPECT_EQ(core.contrast, 100);
    EXPECT_EQ(core.gainR, 71);
    EXPECT_EQ(core.gainB, 72);
    EXPECT_EQ(core.matrix[0], 150);
    EXPECT_EQ(core.matrix[4], 222);
    WriteDword(a, "Gamma", 300);
    core.LoadTeam(0);
    EXPECT_EQ(core.gamma, 250);
}

TEST_F(Core, ExposureInMicrosecondsOnlyAfterAChangeAndTheStartTeam)
{
    const char* a = "Software\\Tessavin\\KX410\\setupa";
    {
        CCameraCore core;
        core.SetGeometry(1);
        core.RecomputeTiming();
        core.exposure = core.exposureAtInit = 232;
        core.SaveTeam(0);
        bool present = true;
        ReadDword(a, "EXPTIME US", &present);
        EXPECT_FALSE(present);
        core.exposure = 348;
        core.SaveTeam(0);
        EXPECT_EQ(ReadDword(a, "EXPTIME US", &present), 348u * 85);
        EXPECT_TRUE(present);
        bool team = true;
        ReadDword(a, "ParTeam Team", &team);
        EXPECT_FALSE(team); // never written
    }
    WriteDword("Software\\Tessavin\\KX410\\setupd", "Gamma", 77);
    WriteDword(a, "ParTeam Team", 3);
    CCameraCore started;
    EXPECT_EQ(started.team, 3);
    EXPECT_EQ(started.gamma, 77);
    ClearTeams();
    CCameraCore fresh;
    EXPECT_EQ(fresh.team, 0);
    EXPECT_EQ(fresh.gamma, 100);
}

} // namespace
