// The pipeline's stages on small hand-made frames; every expected value is
// worked out by hand from the stage's rule.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <vector>
#include "Pipeline.h"

namespace {

struct Rgb {
    int b, g, r;
    bool operator==(const Rgb& o) const { return b == o.b && g == o.g && r == o.r; }
};

std::ostream& operator<<(std::ostream& os, const Rgb& p)
{
    return os << "(b " << p.b << ", g " << p.g << ", r " << p.r << ")";
}

Rgb At(const std::vector<uint8_t>& img, int width, int x, int y)
{
    const uint8_t* p = &img[((size_t)y * width + x) * 3];
    return {p[0], p[1], p[2]};
}

std::vector<uint8_t> Uniform(int w, int h, int b, int g, int r)
{
    std::vector<uint8_t> img((size_t)w * h * 3);
    for (size_t i = 0; i < img.size(); i += 3) {
        img[i] = (uint8_t)b;
        img[i + 1] = (uint8_t)g;
        img[i + 2] = (uint8_t)r;
    }
    return img;
}

// Records what automatic exposure sends to the camera.
struct FakeSensor : IZentuSensor {
    std::vector<std::pair<char, int>> writes;
    void SetGain(int gain) override { writes.push_back({'g', gain}); }
    void SetExposureLines(uint16_t lines) override { writes.push_back({'e', lines}); }
};

} // namespace

// Mosaic: green 100, red 200, blue 20, each plus 4 x row + column, so that
// every site case and the green diagonal show in the result.
TEST(Demosaic, SiteCasesAndBlackBorder)
{
    const int w = 6, h = 6;
    std::vector<uint8_t> raw(w * h);
    for (int i = 0; i < h; i++)
        for (int j = 0; j < w; j++) {
            int base = (i % 2 == 0) ? (j % 2 == 0 ? 100 : 200) : (j % 2 == 0 ? 20 : 100);
            raw[i * w + j] = (uint8_t)(base + 4 * i + j);
        }
    std::vector<uint8_t> out(w * h * 3, 0xEE);
    DemosaicBilinear(raw.data(), out.data(), w, h);

    struct Case { int x, y; Rgb want; } cases[] = {
        {1, 1, {25, 103, 205}}, // green on a blue row
        {2, 1, {26, 106, 206}}, // blue
        {1, 2, {29, 109, 209}}, // red
        {2, 2, {30, 108, 210}}, // green on a red row
        {3, 3, {35, 113, 215}},
        {4, 4, {40, 118, 220}},
    };
    for (const Case& c : cases) EXPECT_EQ(At(out, w, c.x, c.y), c.want) << c.x << "," << c.y;
    for (int k = 0; k < 6; k++) {
        EXPECT_EQ(At(out, w, k, 0), (Rgb{0, 0, 0}));
        EXPECT_EQ(At(out, w, k, 5), (Rgb{0, 0, 0}));
        EXPECT_EQ(At(out, w, 0, k), (Rgb{0, 0, 0}));
        EXPECT_EQ(At(out, w, 5, k), (Rgb{0, 0, 0}));
    }
}

TEST(Resample, ConstantAndRampWindows)
{
    for (bool fast : {true, false}) {
        SCOPED_TRACE(fast ? "vector path" : "plain");
        SetPipelineFastPaths(fast);
        std::vector<uint8_t> work = Uniform(2048, 1536, 9, 99, 199);
        std::vector<uint8_t> out(1280 * 1024 * 3);
        ResampleToOutput(out.data(), work.data());
        EXPECT_EQ(out, Uniform(1280, 1024, 9, 99, 199));

        // Blue = column, green = row (both modulo 256), red = 7.
        for (int y = 0; y < 1536; y++)
            for (int x = 0; x < 2048; x++) {
                uint8_t* p = &work[((size_t)y * 2048 + x) * 3];
                p[0] = (uint8_t)x;
                p[1] = (uint8_t)y;
                p[2] = 7;
            }
        ResampleToOutput(out.data(), work.data());
        // Columns 64-65, 65-66, 67-68, 68-69 and, last, 1982-1983 (190, 191).
        EXPECT_EQ(At(out, 1280, 0, 0).b, 64);
        EXPECT_EQ(At(out, 1280, 1, 0).b, 65);
        EXPECT_EQ(At(out, 1280, 2, 0).b, 67);
        EXPECT_EQ(At(out, 1280, 3, 0).b, 68);
        EXPECT_EQ(At(out, 1280, 1279, 0).b, 190);
        // Rows 0-1, 1-2, 3-4, 4-5.
        EXPECT_EQ(At(out, 1280, 0, 0).g, 0);
        EXPECT_EQ(At(out, 1280, 0, 1).g, 1);
        EXPECT_EQ(At(out, 1280, 0, 2).g, 3);
        EXPECT_EQ(At(out, 1280, 0, 3).g, 4);
        EXPECT_EQ(At(out, 1280, 5, 1023).r, 7);
    }
    SetPipelineFastPaths(true);
}

TEST(Defects, RepairsFromTwoLeftAndSkipsEdgesAndStrays)
{
    const int w = 8, h = 4;
    std::vector<uint8_t> buf(w * h + 16, 0x33);
    uint8_t* raw = buf.data();
    for (int i = 0; i < w * h; i++) raw[i] = (uint8_t)i;
    DefectList d;
    const uint16_t pairs[][2] = {{3, 1}, {0, 2}, {1, 2}, {2, 2}, {7, 3}, {8, 0}, {5, 4}, {60000, 60000}};
    d.count = 0;
    for (auto& p : pairs) {
        d.column[d.count] = p[0];
        d.row[d.count] = p[1];
        d.count++;
    }
    FixDefectPixels(raw, w, h, d);
    std::vector<uint8_t> want(w * h + 16, 0x33);
    for (int i = 0; i < w * h; i++) want[i] = (uint8_t)i;
    want[1 * 8 + 3] = 1 * 8 + 1;
    want[3 * 8 + 7] = 3 * 8 + 5;
    EXPECT_EQ(buf, want);
}

TEST(Luma, CentreQuarterOfUniformFrames)
{
    // ((v x 28033) >> 15) + 16 for a uniform grey v.
    const struct { int v, luma; } cases[] = {{0, 16}, {60, 67}, {100, 101}, {150, 144}, {255, 234}};
    for (auto c : cases) {
        std::vector<uint8_t> img = Uniform(64, 48, c.v, c.v, c.v);
        EXPECT_EQ(MeasureCenterLuma(64, img.data(), 48), c.luma) << c.v;
    }
    std::vector<uint8_t> img = Uniform(8, 1, 200, 200, 200);
    EXPECT_EQ(MeasureCenterLuma(8, img.data(), 1), 16); // no centre rows
}

struct AeCase {
    const char* name;
    int grey, gain, exposure;
    int wantGain, wantExposure, wantLines; // wantLines 0: nothing written
    int wantSmoothed;
};

TEST(AutoExposure, StepTable)
{
    // Target 100, S starting at 100, P = 100 lines, output height 480.
    const AeCase cases[] = {
        {"within 9 of the target", 100, 10, 300, 10, 300, 0, 100},
        {"black frame grows by a quarter", 0, 10, 94, 10, 117, 100, 125},
        {"black frame, tiny exposure", 0, 10, 3, 10, 4, 4, 125},
        {"dark, E below P", 60, 10, 20, 10, 21, 21, 108},
        {"dark, G above 15, E between 2P and 300", 60, 20, 250, 20, 258, 200, 108},
        {"dark, G above 15, past the height", 60, 20, 470, 32, 480, 400, 108},
        {"dark, G at most 15", 60, 10, 250, 11, 250, 200, 108},
        {"bright, G0 below 9, E above 4P", 150, 6, 500, 5, 478, 400, 89},
        {"saturated then E above 3P", 250, 8, 500, 5, 337, 300, 75},
        {"bright, G0 from 9, E from P", 150, 20, 250, 18, 250, 200, 89},
        {"bright, E below P, D/4 below G0", 150, 8, 50, 6, 50, 50, 89},
        {"bright, no gain left", 150, 0, 20, 0, 19, 19, 89},
        {"bright, exposure 0 writes 1", 150, 0, 0, 0, 0, 1, 89},
    };
    for (const AeCase& c : cases) {
        ZentuOwner owner;
        FakeSensor sensor;
        owner.sensor = &sensor;
        owner.settings.aeTarget = 100;
        owner.settings.gain = (uint32_t)c.gain;
        owner.pipe.aeExposure = (uint16_t)c.exposure;
        owner.pipe.aeStep = 100;
        std::vector<uint8_t> img = Uniform(640, 480, c.grey, c.grey, c.grey);
        RunAutoExposure(img.data(), owner, 640, 480);
        EXPECT_EQ((int)owner.settings.gain, c.wantGain) << c.name;
        EXPECT_EQ(owner.pipe.aeExposure, c.wantExposure) << c.name;
        EXPECT_EQ(owner.pipe.aeSmoothed, c.wantSmoothed) << c.name;
        if (c.wantLines == 0) {
            EXPECT_TRUE(sensor.writes.empty()) << c.name;
        } else {
            std::vector<std::pair<char, int>> want = {{'g', c.wantGain}, {'e', c.wantLines}};
            EXPECT_EQ(sensor.writes, want) << c.name;
        }
    }
}

TEST(AutoExposure, BlackFramesGrowToTheHeightAndOffDoesNothing)
{
    ZentuOwner owner;
    FakeSensor sensor;
    owner.sensor = &sensor;
    owner.pipe.aeStep = 100;
    std::vector<uint8_t> img = Uniform(640, 480, 0, 0, 0);
    const int want[] = {117, 146, 182, 227, 283, 353, 441, 480, 480};
    for (int e : want) {
        RunAutoExposure(img.data(), owner, 640, 480);
        EXPECT_EQ(owner.pipe.aeExposure, e);
    }
    owner.settings.autoExposure = 0;
    sensor.writes.clear();
    RunAutoExposure(img.data(), owner, 640, 480);
    EXPECT_TRUE(sensor.writes.empty());
}

TEST(ExposureLimits, FlickerStepByClockAndMains)
{
    // {size, speed, hz, P}
    const int cases[][4] = {
        {0, 1, 1, 174}, {0, 1, 0, 145}, {0, 0, 1, 87}, {0, 0, 0, 72},
        {1, 1, 1, 233}, {1, 1, 0, 194}, {1, 0, 1, 116}, {1, 0, 0, 97},
        {2, 1, 1, 241}, {2, 1, 0, 201}, {2, 0, 1, 120}, {2, 0, 0, 100},
    };
    for (auto& c : cases) {
        ZentuOwner owner;
        owner.settings.sizeIndex = (uint32_t)c[0];
        owner.settings.speed = (uint32_t)c[1];
        owner.settings.hz = (uint32_t)c[2];
        owner.settings.exposureTime = 777;
        ComputeExposureLimits(owner);
        EXPECT_EQ(owner.pipe.aeStep, c[3]) << c[0] << c[1] << c[2];
        EXPECT_EQ(owner.pipe.aeExposure, 777);
    }
    ZentuOwner owner;
    owner.settings.sizeIndex = 0;
    owner.settings.speed = 1;
    ComputeExposureLimits(owner);
    EXPECT_EQ(owner.pipe.exposureUnit, 57);
}

TEST(WhiteBalance, GainsFromChannelSums)
{
    struct Case { int b, g, r; int wantR, wantG, wantB; } cases[] = {
        {0, 100, 100, 105, 64, 122},   // blue sum 0: unchanged
        {50, 0, 80, 105, 64, 122},     // green sum 0: unchanged
        {50, 100, 80, 80, 64, 128},    // both within 255
        {10, 200, 100, 25, 12, 255},   // blue pinned
        {100, 200, 10, 255, 12, 25},   // red pinned
    };
    for (auto& c : cases) {
        ZentuOwner owner;
        std::vector<uint8_t> img = Uniform(8, 8, c.b, c.g, c.r);
        RunWhiteBalanceOnce(img.data(), 8, owner, 8);
        EXPECT_EQ((int)owner.settings.gainR, c.wantR) << c.b << " " << c.g << " " << c.r;
        EXPECT_EQ((int)owner.settings.gainG, c.wantG) << c.b << " " << c.g << " " << c.r;
        EXPECT_EQ((int)owner.settings.gainB, c.wantB) << c.b << " " << c.g << " " << c.r;
    }
    // A red sum of 63 changes nothing.
    ZentuOwner owner;
    std::vector<uint8_t> img = Uniform(8, 8, 50, 100, 0);
    img[2] = 63;
    RunWhiteBalanceOnce(img.data(), 8, owner, 8);
    EXPECT_EQ(owner.settings.gainR, 105u);
}

TEST(Colour, SaturationMatrixRows)
{
    int32_t m[16];
    BuildSaturationMatrix(128, m);
    const int32_t identity[16] = {128, 0, 0, 0, 0, 128, 0, 0, 0, 0, 128, 0, 0, 0, 0, 1};
    EXPECT_EQ(std::vector<int32_t>(m, m + 16), std::vector<int32_t>(identity, identity + 16));
    BuildSaturationMatrix(0, m);
    const int32_t grey[16] = {39, 39, 39, 0, 78, 78, 78, 0, 10, 10, 10, 0, 0, 0, 0, 1};
    EXPECT_EQ(std::vector<int32_t>(m, m + 16), std::vector<int32_t>(grey, grey + 16));
    BuildSaturationMatrix(255, m); // shifts round toward minus infinity
    const int32_t vivid[16] = {215, -40, -40, 0, -78, 177, -78, 0, -11, -11, 244, 0, 0, 0, 0, 1};
    EXPECT_EQ(std::vector<int32_t>(m, m + 16), std::vector<int32_t>(vivid, vivid + 16));
}

TEST(Colour, SaturationPixelsThroughBaseMatrix)
{
    ZentuOwner owner;
    owner.settings.saturation = 128;
    owner.settings.gainR = owner.settings.gainG = owner.settings.gainB = 64;
    UpdateChannelTables(owner);
    struct Case { Rgb in, want; } cases[] = {
        {{128, 128, 128}, {127, 127, 128}}, // (128 x 128 x column sum) >> 14
        {{0, 0, 255}, {0, 0, 255}},         // red clamps high, the others low
        {{0, 0, 0}, {0, 0, 0}},
    };
    for (auto& c : cases) {
        std::vector<uint8_t> img = Uniform(1, 1, c.in.b, c.in.g, c.in.r);
        ApplySaturation(owner, img.data(), 1);
        EXPECT_EQ(At(img, 1, 0, 0), c.want) << c.in;
    }
    // Gains double green before the matrix: G' = 100 -> 200.
    owner.settings.gainG = 128;
    UpdateChannelTables(owner);
    std::vector<uint8_t> img = Uniform(1, 1, 0, 100, 0);
    ApplySaturation(owner, img.data(), 1);
    // red: 200 x -65 < 0; green: 200 x 222 x 128 >> 14 = 346 -> 255; blue: 200 x -32 < 0.
    EXPECT_EQ(At(img, 1, 0, 0), (Rgb{0, 255, 0}));
}

TEST(Colour, ChannelTablesMonoAndTone)
{
    ZentuOwner owner;
    owner.settings.gainR = 128;
    owner.settings.gainG = 64;
    owner.settings.gainB = 32;
    UpdateChannelTables(owner);
    std::vector<uint8_t> img = Uniform(1, 1, 201, 77, 200);
    ApplyChannelTables(owner, img.data(), 1);
    EXPECT_EQ(At(img, 1, 0, 0), (Rgb{100, 77, 255}));

    img = Uniform(1, 1, 10, 200, 100);
    ConvertToGray(img.data(), 1);
    EXPECT_EQ(At(img, 1, 0, 0), (Rgb{149, 149, 149}));

    BuildToneTable(100, owner, 0);
    for (int i = 0; i < 256; i++) EXPECT_EQ(owner.pipe.tone[i], i) << "linear at " << i;
    BuildToneTable(100, owner, 64);
    EXPECT_EQ(owner.pipe.tone[0], 0);
    EXPECT_EQ(owner.pipe.tone[64], 32);
    EXPECT_EQ(owner.pipe.tone[128], 128);
    EXPECT_EQ(owner.pipe.tone[192], 224);
    EXPECT_EQ(owner.pipe.tone[255], 255);
    BuildToneTable(200, owner, 0);
    EXPECT_EQ(owner.pipe.tone[16], 1);
    EXPECT_EQ(owner.pipe.tone[128], 64);
    EXPECT_EQ(owner.pipe.tone[255], 255);
    BuildToneTable(50, owner, 0);
    EXPECT_EQ(owner.pipe.tone[64], 127);

    img = Uniform(1, 1, 16, 128, 255);
    BuildToneTable(200, owner, 0);
    ApplyToneTable(owner, img.data(), 1);
    EXPECT_EQ(At(img, 1, 0, 0), (Rgb{1, 64, 255}));
}

TEST(Orientation, FlipAndMirror)
{
    // 2 x 3 pixels, blue = 10 x row + column.
    std::vector<uint8_t> img(2 * 3 * 3, 0);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 2; x++) img[(y * 2 + x) * 3] = (uint8_t)(10 * y + x);
    FlipVertical(img.data(), 2, 3);
    EXPECT_EQ(At(img, 2, 0, 0).b, 20);
    EXPECT_EQ(At(img, 2, 1, 1).b, 11);
    EXPECT_EQ(At(img, 2, 1, 2).b, 1);
    MirrorHorizontal(img.data(), 2, 3);
    EXPECT_EQ(At(img, 2, 0, 0).b, 21);
    EXPECT_EQ(At(img, 2, 1, 2).b, 0);
}

// The settings' flip senses are inverted: VFlip 0 flips, HFlip 1 mirrors.
TEST(Pipeline, OrientationFollowsTheSettings)
{
    const struct { uint32_t vFlip, hFlip; bool bottom, right; } cases[] = {
        {1, 1, false, true}, {0, 1, true, true}, {1, 0, false, false}, {0, 0, true, false},
    };
    for (auto& c : cases) {
        ZentuOwner owner;
        owner.settings.sizeIndex = 2;
        owner.settings.autoExposure = 0;
        owner.settings.vFlip = c.vFlip;
        owner.settings.hFlip = c.hFlip;
        std::vector<uint8_t> raw(640 * 480, 10);
        for (int y = 10; y < 30; y++)
            for (int x = 10; x < 30; x++) raw[y * 640 + x] = 250; // near raw (0, 0)
        std::vector<uint8_t> out(640 * 480 * 3);
        bool released = false;
        RunPipeline(owner, raw.data(), out.data(), [](void* p) { *static_cast<bool*>(p) = true; }, &released);
        EXPECT_TRUE(released);
        int x = c.right ? 639 - 20 : 20, y = c.bottom ? 479 - 20 : 20;
        EXPECT_GT(At(out, 640, x, y).g, 200) << c.vFlip << c.hFlip;
        EXPECT_LT(At(out, 640, 639 - x, 479 - y).g, 60) << c.vFlip << c.hFlip;
    }
}

TEST(Pipeline, WhiteBalanceRequestMeasuresOnceAndRebuildsTables)
{
    ZentuOwner owner;
    owner.settings.sizeIndex = 1;
    owner.settings.autoExposure = 0;
    owner.settings.whiteBalanceRequest = 1;
    // A grey scene seen with red at half strength: raw red sites 50, others 100.
    std::vector<uint8_t> raw(1024 * 768);
    for (int y = 0; y < 768; y++)
        for (int x = 0; x < 1024; x++) raw[y * 1024 + x] = (y % 2 == 0 && x % 2 == 1) ? 50 : 100;
    std::vector<uint8_t> out(1024 * 768 * 3);
    RunPipeline(owner, raw.data(), out.data());
    EXPECT_EQ(owner.settings.whiteBalanceRequest, 0u);
    EXPECT_GT(owner.settings.gainR, 120u); // about twice unity
    EXPECT_LT(owner.settings.gainR, 136u);
    EXPECT_EQ(owner.pipe.channel[0][50], std::min<uint32_t>(255, (50 * owner.settings.gainR) >> 6));
}

// The fused passes of RunPipeline against the steps one by one, on a busy
// frame, in every colour mode and orientation, at every size.
TEST(Pipeline, FusedPassesMatchTheStepsByteForByte)
{
    // The widest vectors the processor has, 128-bit ones with and without
    // byte shuffles.
    for (int level : {2, 1, 0})
        for (uint32_t size = 0; size < 3; size++) {
            SetPipelineVectorLevel(level);
            ZentuFrameSize fs = ZentuSizeOf(size);
            std::vector<uint8_t> raw((size_t)fs.rawWidth * fs.rawHeight);
            for (size_t i = 0; i < raw.size(); i++) raw[i] = (uint8_t)((i * 2654435761u) >> 24);
            const struct { uint32_t mono, sat, saturation, vFlip, hFlip, gamma, contrast; } modes[] = {
                {0, 1, 100, 1, 1, 100, 30}, {0, 1, 255, 0, 0, 180, 80}, {0, 1, 0, 0, 1, 40, 0},
                {0, 0, 128, 1, 0, 100, 30}, {1, 0, 128, 0, 1, 70, 100},
            };
            for (auto& m : modes) {
                ZentuOwner a, b;
                for (ZentuOwner* o : {&a, &b}) {
                    o->settings.sizeIndex = size;
                    o->settings.mono = m.mono;
                    o->settings.enableSaturation = m.sat;
                    o->settings.saturation = m.saturation;
                    o->settings.vFlip = m.vFlip;
                    o->settings.hFlip = m.hFlip;
                    o->settings.gainR = 90;
                    o->settings.gainB = 140;
                    o->pipe.aeStep = 100;
                    o->pipe.defects.count = 2;
                    o->pipe.defects.column[0] = 5;
                    o->pipe.defects.row[0] = 7;
                    o->pipe.defects.column[1] = 300;
                    o->pipe.defects.row[1] = 200;
                    BuildToneTable(m.gamma, *o, m.contrast);
                    UpdateChannelTables(*o);
                }
                std::vector<uint8_t> rawA = raw, rawB = raw;
                std::vector<uint8_t> outA((size_t)fs.outWidth * fs.outHeight * 3), outB(outA.size());
                // The rows shared with a second thread on every other mode.
                ZentuRowHelper helper;
                const bool helped = (&m - modes) % 2 == 1;
                if (helped) {
                    ASSERT_TRUE(helper.Start());
                    a.rowHelper = &helper;
                }
                RunPipeline(a, rawA.data(), outA.data());
                SetPipelineFastPaths(false);
                RunPipelineByStages(b, rawB.data(), outB.data());
                SetPipelineFastPaths(true);
                EXPECT_TRUE(outA == outB) << "size " << size << " mono " << m.mono << " sat " << m.sat << " level "
                                          << level << (helped ? ", two threads" : "");
                EXPECT_EQ(a.settings.exposureTime, b.settings.exposureTime);
                EXPECT_EQ(a.settings.gain, b.settings.gain);
            }
        }
    SetPipelineVectorLevel(2);
}

// A helper thread serves frame after frame, of each size, and can be
// stopped and started again; a stopped one leaves the frames to the caller.
TEST(Pipeline, RowHelperServesFramesAndStops)
{
    ZentuRowHelper helper;
    for (int round = 0; round < 2; round++) {
        ASSERT_TRUE(helper.Start());
        for (int frame = 0; frame < 6; frame++) {
            const uint32_t size = frame % 3;
            ZentuFrameSize fs = ZentuSizeOf(size);
            std::vector<uint8_t> raw((size_t)fs.rawWidth * fs.rawHeight);
            for (size_t i = 0; i < raw.size(); i++) raw[i] = (uint8_t)(((i + frame) * 2654435761u) >> 24);
            ZentuOwner a, b;
            for (ZentuOwner* o : {&a, &b}) {
                o->settings.sizeIndex = size;
                o->pipe.aeStep = 100;
                BuildToneTable(100, *o, 30);
                UpdateChannelTables(*o);
            }
            a.rowHelper = &helper;
            std::vector<uint8_t> rawA = raw, outA((size_t)fs.outWidth * fs.outHeight * 3), outB(outA.size());
            RunPipeline(a, rawA.data(), outA.data());
            RunPipeline(b, raw.data(), outB.data());
            EXPECT_TRUE(outA == outB) << "round " << round << " frame " << frame;
            EXPECT_EQ(a.settings.exposureTime, b.settings.exposureTime);
        }
        helper.Stop();
        EXPECT_FALSE(helper.Running());
    }
}

TEST(Demosaic, VectorPathMatchesTheRowLoop)
{
    const int sizes[][2] = {{6, 6},  {18, 5}, {20, 4}, {34, 9},    {36, 3},
                            {50, 7}, {66, 4}, {67, 3}, {640, 480}, {2048, 12}};
    for (auto& sz : sizes) {
        const int w = sz[0], h = sz[1];
        std::vector<uint8_t> raw((size_t)w * h);
        for (size_t i = 0; i < raw.size(); i++) raw[i] = (uint8_t)((i * 2654435761u) >> 24);
        raw[0] = 255;
        raw[raw.size() - 1] = 255;
        std::vector<uint8_t> plain((size_t)w * h * 3 + 16, 0xA5);
        SetPipelineFastPaths(false);
        DemosaicBilinear(raw.data(), plain.data(), w, h);
        SetPipelineFastPaths(true);
        for (int level : {2, 1, 0}) {
            SetPipelineVectorLevel(level);
            std::vector<uint8_t> fast(plain.size(), 0xA5);
            DemosaicBilinear(raw.data(), fast.data(), w, h);
            EXPECT_TRUE(fast == plain) << w << " x " << h << ", vector level " << level;
        }
        SetPipelineVectorLevel(2);
    }
}

// Tables and matrices the vector path cannot reproduce in its lanes (a
// channel table that is no gain, entries too wide to split, saturating
// constants) must still give what the steps give.
TEST(Pipeline, FusedPassesMatchTheStepsForUnusualTables)
{
    const struct { const char* what; int table; int32_t scale, constant; } cases[] = {
        {"table no gain", 1, 1, 0},
        {"entries split in two", -1, 3, 0},
        {"entries too wide to split", -1, 300, 0},
        {"constant past the top", -1, 1, 0x500000},
        {"constant below zero", -1, 1, -0x500000},
    };
    std::vector<uint8_t> raw(1024 * 768);
    for (size_t i = 0; i < raw.size(); i++) raw[i] = (uint8_t)((i * 2654435761u) >> 24);
    for (const auto& c : cases) {
        ZentuOwner a, b;
        for (ZentuOwner* o : {&a, &b}) {
            o->settings.saturation = 255;
            BuildToneTable(100, *o, 30);
            UpdateChannelTables(*o);
            if (c.table >= 0) o->pipe.channel[c.table][200] = 3;
            for (int k = 0; k < 12; k++) o->pipe.baseMatrix[k] *= c.scale;
            o->pipe.baseMatrix[12] = o->pipe.baseMatrix[13] = o->pipe.baseMatrix[14] = c.constant;
        }
        std::vector<uint8_t> rawA = raw, rawB = raw, outA(1024 * 768 * 3), outB(outA.size());
        RunPipeline(a, rawA.data(), outA.data());
        SetPipelineFastPaths(false);
        RunPipelineByStages(b, rawB.data(), outB.data());
        SetPipelineFastPaths(true);
        EXPECT_TRUE(outA == outB) << c.what;
    }
}

// Each colour step and the tone table on its own, in place: whole blocks on
// the vector path and the pixels after the last block in the loop, for counts
// on either side of a block and values at both ends of the range.
TEST(Colour, StepsOnTheVectorPathMatchTheirLoops)
{
    const int counts[] = {1, 15, 16, 17, 33, 4099};
    const int saturations[] = {0, 100, 128, 255};
    const int gains[] = {0, 64, 105, 255};
    for (int level : {2, 1, 0})
        for (int pixels : counts)
            for (int saturation : saturations)
                for (int gain : gains) {
                    std::vector<uint8_t> img((size_t)pixels * 3);
                    for (size_t i = 0; i < img.size(); i++)
                        img[i] = i % 5 == 0 ? 255 : i % 7 == 0 ? 0 : (uint8_t)((i * 2654435761u) >> 24);
                    ZentuOwner owner;
                    owner.settings.saturation = (uint32_t)saturation;
                    owner.settings.gainR = (uint32_t)gain;
                    owner.settings.gainB = (uint32_t)(255 - gain);
                    UpdateChannelTables(owner);
                    BuildToneTable(40 + (uint32_t)gain, owner, (uint32_t)saturation / 4);
                    for (int step = 0; step < 4; step++) {
                        std::vector<uint8_t> out[2];
                        SetPipelineVectorLevel(level);
                        for (int fast = 0; fast < 2; fast++) {
                            SetPipelineFastPaths(fast != 0);
                            out[fast] = img;
                            if (step == 0) ConvertToGray(out[fast].data(), pixels);
                            else if (step == 1) ApplyChannelTables(owner, out[fast].data(), pixels);
                            else if (step == 2) ApplySaturation(owner, out[fast].data(), pixels);
                            else ApplyToneTable(owner, out[fast].data(), pixels);
                        }
                        EXPECT_TRUE(out[0] == out[1]) << "step " << step << ", " << pixels << " pixels, saturation "
                                                      << saturation << ", red gain " << gain << ", level " << level;
                    }
                }
    SetPipelineVectorLevel(2);
    SetPipelineFastPaths(true);
}

// Blocks of sixteen from both ends on the vector path, the middle in the
// loop: widths around one and two blocks and an odd middle pixel.
TEST(Orientation, MirrorOnTheVectorPathMatchesTheLoop)
{
    for (int w : {1, 2, 15, 16, 31, 32, 33, 47, 48, 63, 64, 65, 100, 1280}) {
        std::vector<uint8_t> img((size_t)w * 3 * 3);
        for (size_t i = 0; i < img.size(); i++) img[i] = (uint8_t)((i * 2654435761u) >> 24);
        std::vector<uint8_t> out[2] = {img, img};
        for (int fast = 0; fast < 2; fast++) {
            SetPipelineFastPaths(fast != 0);
            MirrorHorizontal(out[fast].data(), w, 3);
        }
        EXPECT_TRUE(out[0] == out[1]) << "width " << w;
    }
    SetPipelineFastPaths(true);
}

// The output rows are written past the cache where they are aligned, and in
// the ordinary way where not: the same bytes either way.
TEST(Pipeline, SameBytesAtEveryOutputAlignment)
{
    const ZentuFrameSize fs = ZentuSizeOf(0);
    std::vector<uint8_t> raw((size_t)fs.rawWidth * fs.rawHeight);
    for (size_t i = 0; i < raw.size(); i++) raw[i] = (uint8_t)((i * 2654435761u) >> 24);
    const size_t bytes = (size_t)fs.outWidth * fs.outHeight * 3;
    std::vector<uint8_t> reference(bytes), store(bytes + 64);
    auto owner = [](ZentuOwner& o) {
        o.settings.sizeIndex = 0;
        o.pipe.aeStep = 100;
        BuildToneTable(120, o, 40);
        UpdateChannelTables(o);
    };
    ZentuOwner b;
    owner(b);
    std::vector<uint8_t> rawB = raw;
    SetPipelineFastPaths(false);
    RunPipelineByStages(b, rawB.data(), reference.data());
    SetPipelineFastPaths(true);
    uint8_t* base = store.data() + (32 - (uintptr_t)store.data() % 32);
    for (int offset : {0, 8, 1, 16}) {
        ZentuOwner a;
        owner(a);
        std::vector<uint8_t> rawA = raw;
        RunPipeline(a, rawA.data(), base + offset);
        EXPECT_TRUE(std::equal(reference.begin(), reference.end(), base + offset)) << "offset " << offset;
    }
}
