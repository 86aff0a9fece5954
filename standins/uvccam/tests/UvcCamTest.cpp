// The simulated cameras as a capture program sees them under Wine: the
// device enumerator's list, a capture graph of Wine's filters around a
// camera, its stream configuration, its controls and the pixels they change.
#include "CameraGraph.h"
#include "UvcScene.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class Com32 : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)); }
    void TearDown() override { CoUninitialize(); }
};

using DeviceList = Com32;
using CameraTest = Com32;

// The patch centres sit in the top quarter; grey at mid-height left of the
// counter's row; the scale band at the bottom.
int PatchX(const Frame& f, int i) { return (2 * i + 1) * f.width / 16; }
int PatchY(const Frame& f) { return f.height / 8; }
int GreyY(const Frame& f) { return f.height * 3 / 8; }

TEST_F(DeviceList, ListsExactlyTheInstalledCamerasInInstallationOrder)
{
    const std::vector<std::vector<std::wstring>> sets = {
        {L"Vantor-Q7L", L"Camera-R5V", L"Hollin W8K"},
        {L"Camera-J60", L"Camera-J20", L"Camera-J40", L"Vantor-T4M", L"Camera-S3K"},
        {L"Camera-R5V"},
    };
    for (const auto& set : sets) {
        std::wstring list;
        for (const auto& n : set)
            list += (list.empty() ? L"" : L";") + n;
        ScopedCameras cameras(list.c_str());
        ASSERT_HRESULT_SUCCEEDED(cameras.Result());
        HRESULT hr = E_FAIL;
        EXPECT_EQ(VideoInputNames(&hr), set);
        EXPECT_EQ(hr, S_OK);
    }
}

TEST_F(DeviceList, NoCamerasLeaveTheCategoryEmpty)
{
    ScopedCameras cameras(L"");
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    HRESULT hr = E_FAIL;
    EXPECT_TRUE(VideoInputNames(&hr).empty());
    // Other capture filters of the prefix may still fill the category.
    if (VideoInputNames(&hr, true).empty()) {
        EXPECT_EQ(hr, S_FALSE);
    }
}

TEST_F(DeviceList, RefusesListsWithEmptyOrOverlongNames)
{
    ScopedCameras before(L"Camera-R5V");
    for (LPCWSTR bad : {L"Camera-R5V;", L";Camera-R5V", L"a;;b",
                        L"A name of a camera far longer than any name a device has ever had"}) {
        ScopedCameras cameras(bad);
        EXPECT_EQ(cameras.Result(), E_INVALIDARG) << bad;
        // Nothing changed.
        EXPECT_EQ(VideoInputNames(), std::vector<std::wstring>{L"Camera-R5V"});
    }
}

// Sizes by model, the pin found by category, 4 buffers on the allocator,
// and a frame of every size through the Smart Tee and the Sample Grabber.
TEST_F(CameraTest, DeliversEveryOfferedSizeThroughWinesCaptureFilters)
{
    struct Case {
        LPCWSTR camera;
        std::vector<SIZE> sizes;
    } cases[] = {
        {L"Camera-R5V", {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}}},
        {L"Hollin W8K", {{640, 480}, {1024, 768}, {1280, 1024}}},
        {L"Camera-J20", {{640, 480}, {800, 600}, {1024, 768}}},
    };
    ScopedCameras cameras(L"Camera-R5V;Hollin W8K;Camera-J20");
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    for (const Case& c : cases) {
        CameraGraph probe;
        ASSERT_HRESULT_SUCCEEDED(probe.Build(c.camera));
        IAMStreamConfig* config = probe.StreamConfig();
        ASSERT_NE(config, nullptr) << "no IAMStreamConfig on the capture pin";
        int count = 0, size = 0;
        ASSERT_HRESULT_SUCCEEDED(config->GetNumberOfCapabilities(&count, &size));
        EXPECT_EQ(size, 128);
        ASSERT_EQ(count, int(c.sizes.size()));
        for (int i = 0; i < count; ++i) {
            AM_MEDIA_TYPE* mt = nullptr;
            VIDEO_STREAM_CONFIG_CAPS caps = {};
            ASSERT_EQ(config->GetStreamCaps(i, &mt, reinterpret_cast<BYTE*>(&caps)), S_OK);
            const BITMAPINFOHEADER& bih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader;
            EXPECT_TRUE(mt->subtype == MEDIASUBTYPE_RGB24);
            EXPECT_EQ(bih.biWidth, c.sizes[i].cx);
            EXPECT_EQ(bih.biHeight, c.sizes[i].cy);
            EXPECT_EQ(caps.InputSize.cx, c.sizes[i].cx);

            CameraGraph graph;
            ASSERT_HRESULT_SUCCEEDED(graph.Build(c.camera));
            ASSERT_EQ(graph.StreamConfig()->SetFormat(mt), S_OK);
            ASSERT_HRESULT_SUCCEEDED(graph.Run()) << c.camera << " " << bih.biWidth;
            Frame frame;
            ASSERT_TRUE(graph.NextFrame(&frame)) << bih.biWidth;
            EXPECT_EQ(frame.width, c.sizes[i].cx);
            EXPECT_EQ(frame.height, c.sizes[i].cy);
            EXPECT_EQ(frame.dib.size(), size_t((frame.width * 3 + 3) / 4 * 4) * size_t(frame.height));
            AM_MEDIA_TYPE* current = nullptr;
            ASSERT_HRESULT_SUCCEEDED(graph.StreamConfig()->GetFormat(&current));
            EXPECT_EQ(reinterpret_cast<VIDEOINFOHEADER*>(current->pbFormat)->bmiHeader.biWidth, c.sizes[i].cx);
            DeleteMediaType(current);
            if (i == 0) {
                // The Smart Tee keeps the camera's allocator for its capture branch.
                Com<IPin> peer;
                ASSERT_HRESULT_SUCCEEDED(graph.CapturePin()->ConnectedTo(peer.Out()));
                Com<IMemInputPin> input;
                ASSERT_HRESULT_SUCCEEDED(peer->QueryInterface(IID_IMemInputPin, input.OutVoid()));
                Com<IMemAllocator> allocator;
                ASSERT_HRESULT_SUCCEEDED(input->GetAllocator(allocator.Out()));
                ALLOCATOR_PROPERTIES props = {};
                allocator->GetProperties(&props);
                EXPECT_GE(props.cBuffers, 4);
            }
            EXPECT_HRESULT_SUCCEEDED(graph.Stop());
            DeleteMediaType(mt);
        }
        // A size the model lacks is refused and the format stays.
        AM_MEDIA_TYPE* mt = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps = {};
        ASSERT_EQ(config->GetStreamCaps(0, &mt, reinterpret_cast<BYTE*>(&caps)), S_OK);
        reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biWidth = 2592;
        EXPECT_EQ(config->SetFormat(mt), VFW_E_INVALIDMEDIATYPE);
        DeleteMediaType(mt);
        EXPECT_EQ(config->GetStreamCaps(count, &mt, reinterpret_cast<BYTE*>(&caps)), S_FALSE);
    }
}

// The chart at power-on, read back as documented: patches, grey, scale
// ticks every 10 pixels, a counter that advances; the preview rendered by
// the graph's own choice of renderer.
TEST_F(CameraTest, FramesShowTheChartAndACounter)
{
    ScopedCameras cameras(L"Camera-R5V");
    CameraGraph graph;
    ASSERT_HRESULT_SUCCEEDED(graph.Build(L"Camera-R5V", true));
    ASSERT_HRESULT_SUCCEEDED(graph.Run());
    Frame a, b;
    ASSERT_TRUE(graph.NextFrame(&a));
    ASSERT_TRUE(graph.NextFrame(&b));
    EXPECT_GT(b.Counter(), a.Counter());
    ASSERT_EQ(a.width, 640);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(a.R(PatchX(a, i), PatchY(a)), kUvcPatches[i].r) << i;
        EXPECT_EQ(a.G(PatchX(a, i), PatchY(a)), kUvcPatches[i].g) << i;
        EXPECT_EQ(a.B(PatchX(a, i), PatchY(a)), kUvcPatches[i].b) << i;
    }
    EXPECT_EQ(a.G(a.width - 5, GreyY(a)), 128);
    // Top quarter of the scale band: a tick on every tenth column.
    const int tickY = a.height - a.height / 8 + 1;
    for (int x = 0; x < 200; ++x)
        EXPECT_EQ(a.G(x, tickY), x % 10 == 0 ? 0 : 224) << x;
    // Bottom row: only the hundreds.
    for (int x = 0; x < 640; x += 10)
        EXPECT_EQ(a.G(x, a.height - 1), x % 100 == 0 ? 0 : 224) << x;
}

struct PropertyCase {
    bool procAmp;      // else camera control
    long property;
    long value;
    long flags;
    // Expected after the change: grey at mid-height, and the red patch.
    int grey[3];
    int red[3];
};

// Every step of the documented pipeline, worked by hand from the grey (128)
// and the red patch (160, 32, 32).
const PropertyCase kPropertyCases[] = {
    {true, VideoProcAmp_Brightness, 5, 2, {148, 148, 148}, {180, 52, 52}},
    {true, VideoProcAmp_Brightness, -10, 2, {88, 88, 88}, {120, 0, 0}},
    {true, VideoProcAmp_Contrast, 24, 2, {128, 128, 128}, {192, 0, 0}},
    {true, VideoProcAmp_Contrast, 0, 2, {128, 128, 128}, {128, 128, 128}},
    {true, VideoProcAmp_Saturation, 0, 2, {128, 128, 128}, {71, 71, 71}},
    {true, VideoProcAmp_Saturation, 4, 2, {128, 128, 128}, {249, 0, 0}},
    {true, VideoProcAmp_Gamma, 300, 2, {181, 181, 181}, {202, 90, 90}},
    {true, VideoProcAmp_ColorEnable, 0, 2, {128, 128, 128}, {71, 71, 71}},
    {true, VideoProcAmp_WhiteBalance, 6500, 2, {160, 128, 102}, {200, 32, 26}},
    {true, VideoProcAmp_WhiteBalance, 2800, 1, {128, 128, 128}, {160, 32, 32}},  // automatic: neutral
    {true, VideoProcAmp_Gain, 8, 2, {192, 192, 192}, {240, 48, 48}},
    {true, VideoProcAmp_Hue, 90, 2, {128, 128, 128}, {160, 32, 32}},
    {true, VideoProcAmp_Sharpness, 10, 2, {128, 128, 128}, {160, 32, 32}},
    {true, VideoProcAmp_BacklightCompensation, 1, 2, {128, 128, 128}, {160, 32, 32}},
    {false, CameraControl_Exposure, -5, 2, {64, 64, 64}, {80, 16, 16}},
    {false, CameraControl_Exposure, -3, 2, {255, 255, 255}, {255, 64, 64}},
    {false, CameraControl_Exposure, -1, 1, {128, 128, 128}, {160, 32, 32}},  // automatic
    {false, CameraControl_Focus, 10, 2, {128, 128, 128}, {160, 32, 32}},
};

TEST_F(CameraTest, ControlsRoundTripAndTurnThePixelsAsDocumented)
{
    ScopedCameras cameras(L"Camera-R5V");
    CameraGraph graph;
    ASSERT_HRESULT_SUCCEEDED(graph.Build(L"Camera-R5V"));
    // 30 frames a second, so each change shows sooner.
    AM_MEDIA_TYPE* mt = nullptr;
    ASSERT_HRESULT_SUCCEEDED(graph.StreamConfig()->GetFormat(&mt));
    reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->AvgTimePerFrame = 333333;
    ASSERT_EQ(graph.StreamConfig()->SetFormat(mt), S_OK);
    DeleteMediaType(mt);
    Com<IAMVideoProcAmp> procAmp;
    Com<IAMCameraControl> control;
    ASSERT_HRESULT_SUCCEEDED(graph.CameraInterface(IID_IAMVideoProcAmp, &procAmp));
    ASSERT_HRESULT_SUCCEEDED(graph.CameraInterface(IID_IAMCameraControl, &control));
    ASSERT_HRESULT_SUCCEEDED(graph.Run());

    for (const PropertyCase& c : kPropertyCases) {
        SCOPED_TRACE(testing::Message() << (c.procAmp ? "proc-amp " : "camera control ") << c.property << " = "
                                        << c.value << " flags " << c.flags);
        long min = 0, max = 0, step = 0, def = 0, caps = 0;
        auto getRange = [&] {
            return c.procAmp ? procAmp->GetRange(c.property, &min, &max, &step, &def, &caps)
                             : control->GetRange(c.property, &min, &max, &step, &def, &caps);
        };
        auto set = [&](long v, long f) { return c.procAmp ? procAmp->Set(c.property, v, f) : control->Set(c.property, v, f); };
        auto get = [&](long* v, long* f) { return c.procAmp ? procAmp->Get(c.property, v, f) : control->Get(c.property, v, f); };
        ASSERT_EQ(getRange(), S_OK);
        EXPECT_TRUE(caps & 2);
        EXPECT_EQ(set(max + 1, 2), E_INVALIDARG);
        EXPECT_EQ(set(min - 1, 0), E_INVALIDARG);
        ASSERT_EQ(set(c.value, c.flags), S_OK);
        long value = 0, flags = 0;
        ASSERT_EQ(get(&value, &flags), S_OK);
        EXPECT_EQ(flags, c.flags);
        if (c.flags == 2) {
            EXPECT_EQ(value, c.value);
        }
        Frame f;
        ASSERT_TRUE(graph.SettledFrame(&f));
        int grey[3], red[3];
        f.Pixel(f.width - 5, GreyY(f), grey);
        f.Pixel(PatchX(f, 0), PatchY(f), red);
        for (int ch = 0; ch < 3; ++ch) {
            EXPECT_EQ(grey[ch], c.grey[ch]) << "grey channel " << ch;
            EXPECT_EQ(red[ch], c.red[ch]) << "red patch channel " << ch;
        }
        // Back to the default, manually.
        ASSERT_EQ(set(def, 2), S_OK);
    }
    // What the camera lacks it says so.
    long v = 0, f = 0;
    EXPECT_EQ(control->Get(CameraControl_Pan, &v, &f), E_PROP_ID_UNSUPPORTED);
    EXPECT_EQ(procAmp->Get(42, &v, &f), E_PROP_ID_UNSUPPORTED);
    EXPECT_EQ(procAmp->Set(VideoProcAmp_Brightness, 0, 1), E_INVALIDARG);  // no automatic brightness
}

// The ranges a camera panel lays its sliders out by.
TEST_F(CameraTest, RangesAndDefaults)
{
    ScopedCameras cameras(L"Camera-J20");
    CameraGraph graph;
    ASSERT_HRESULT_SUCCEEDED(graph.Build(L"Camera-J20"));
    Com<IAMVideoProcAmp> procAmp;
    Com<IAMCameraControl> control;
    ASSERT_HRESULT_SUCCEEDED(graph.CameraInterface(IID_IAMVideoProcAmp, &procAmp));
    ASSERT_HRESULT_SUCCEEDED(graph.CameraInterface(IID_IAMCameraControl, &control));
    struct Range {
        bool procAmp;
        long property, min, max, def, caps;
    } ranges[] = {
        {true, VideoProcAmp_Brightness, -10, 10, 0, 2}, {true, VideoProcAmp_Contrast, 0, 24, 12, 2},
        {true, VideoProcAmp_Saturation, 0, 10, 2, 2},   {true, VideoProcAmp_Sharpness, 0, 10, 5, 2},
        {true, VideoProcAmp_Gamma, 100, 300, 150, 2},   {true, VideoProcAmp_WhiteBalance, 2800, 6500, 5200, 3},
        {true, VideoProcAmp_Gain, 0, 48, 0, 2},         {false, CameraControl_Exposure, -7, -1, -4, 3},
        {false, CameraControl_Focus, 0, 255, 128, 3},
    };
    for (const Range& r : ranges) {
        long min, max, step, def, caps, value, flags;
        const HRESULT hr = r.procAmp ? procAmp->GetRange(r.property, &min, &max, &step, &def, &caps)
                                     : control->GetRange(r.property, &min, &max, &step, &def, &caps);
        ASSERT_EQ(hr, S_OK) << r.property;
        EXPECT_EQ(min, r.min);
        EXPECT_EQ(max, r.max);
        EXPECT_EQ(def, r.def);
        EXPECT_EQ(caps, r.caps);
        EXPECT_EQ(step, 1);
        ASSERT_EQ(r.procAmp ? procAmp->Get(r.property, &value, &flags) : control->Get(r.property, &value, &flags), S_OK);
        EXPECT_EQ(value, r.def);
        EXPECT_EQ(flags, 2);
    }
}

TEST_F(CameraTest, FlipsTurnTheChartButNotTheCounter)
{
    ScopedCameras cameras(L"Hollin W8K");
    CameraGraph graph;
    ASSERT_HRESULT_SUCCEEDED(graph.Build(L"Hollin W8K"));
    Com<IAMVideoControl> video;
    ASSERT_HRESULT_SUCCEEDED(graph.CameraInterface(IID_IAMVideoControl, &video));
    ASSERT_HRESULT_SUCCEEDED(graph.Run());
    IPin* pin = graph.CapturePin();
    long caps = 0;
    ASSERT_EQ(video->GetCaps(pin, &caps), S_OK);
    EXPECT_EQ(caps, VideoControlFlag_FlipHorizontal | VideoControlFlag_FlipVertical);
    EXPECT_EQ(video->SetMode(pin, VideoControlFlag_ExternalTriggerEnable), E_INVALIDARG);

    struct Case {
        long mode;
        int topLeftPatch;  // the patch seen in the top left corner, -1 for the scale band
        bool patchesAtBottom;
    } cases[] = {
        {0, 0, false},
        {VideoControlFlag_FlipHorizontal, 7, false},
        {VideoControlFlag_FlipVertical, -1, true},
        {VideoControlFlag_FlipHorizontal | VideoControlFlag_FlipVertical, -1, true},
    };
    ULONG lastCounter = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ASSERT_EQ(video->SetMode(pin, c.mode), S_OK);
        long mode = -1;
        ASSERT_EQ(video->GetMode(pin, &mode), S_OK);
        EXPECT_EQ(mode, c.mode);
        Frame f;
        ASSERT_TRUE(graph.SettledFrame(&f));
        EXPECT_GT(f.Counter(), lastCounter);
        lastCounter = f.Counter();
        const int topY = f.height / 8, bottomY = f.height - 1 - f.height / 8;
        const int patchY = c.patchesAtBottom ? bottomY : topY;
        const bool mirrored = c.mode & VideoControlFlag_FlipHorizontal;
        for (int i = 0; i < 8; ++i) {
            const UvcPatch& p = kUvcPatches[mirrored ? 7 - i : i];
            EXPECT_EQ(f.R(PatchX(f, i), patchY), p.r) << i;
            EXPECT_EQ(f.B(PatchX(f, i), patchY), p.b) << i;
        }
        // The white of the scale band, or a patch.
        EXPECT_EQ(f.G(5, 0), c.topLeftPatch < 0 ? 224 : kUvcPatches[c.topLeftPatch].g);
        // The scale reads from the right when mirrored: column w-1-x.
        const int tickRow = c.patchesAtBottom ? 1 : f.height - 2;
        const int x0 = mirrored ? f.width - 1 : 0;
        EXPECT_EQ(f.G(x0, tickRow), 0);
        EXPECT_EQ(f.G(mirrored ? f.width - 1 - 5 : 5, tickRow), 224);
    }
}

// Loose: a frame rate near the one set, on the real-time clock.
TEST_F(CameraTest, FrameRateFollowsTheClock)
{
    ScopedCameras cameras(L"Camera-R5V");
    struct Case {
        REFERENCE_TIME period;
        double fps;
    } cases[] = {{0, 15.0}, {1000000, 10.0}};
    for (const Case& c : cases) {
        CameraGraph graph;
        ASSERT_HRESULT_SUCCEEDED(graph.Build(L"Camera-R5V"));
        if (c.period) {
            AM_MEDIA_TYPE* mt = nullptr;
            ASSERT_HRESULT_SUCCEEDED(graph.StreamConfig()->GetFormat(&mt));
            reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->AvgTimePerFrame = c.period;
            ASSERT_EQ(graph.StreamConfig()->SetFormat(mt), S_OK);
            DeleteMediaType(mt);
        }
        ASSERT_HRESULT_SUCCEEDED(graph.Run());
        Frame f;
        ASSERT_TRUE(graph.NextFrame(&f));
        const ULONG first = f.Counter();
        const DWORD t0 = GetTickCount();
        Sleep(2000);
        ASSERT_TRUE(graph.NextFrame(&f));
        const double seconds = (GetTickCount() - t0) / 1000.0;
        const double fps = (f.Counter() - first) / seconds;
        EXPECT_GT(fps, c.fps * 0.6);
        EXPECT_LT(fps, c.fps * 1.3);
        Com<IQualProp> qual;
        ASSERT_HRESULT_SUCCEEDED(graph.CapturePin()->QueryInterface(IID_IQualProp, qual.OutVoid()));
        int avg = 0;
        ASSERT_EQ(qual->get_AvgFrameRate(&avg), S_OK);
        EXPECT_GT(avg, int(c.fps * 60));
        EXPECT_LT(avg, int(c.fps * 130));
        Com<IAMDroppedFrames> dropped;
        ASSERT_HRESULT_SUCCEEDED(graph.CapturePin()->QueryInterface(IID_IAMDroppedFrames, dropped.OutVoid()));
        long notDropped = 0, droppedCount = -1;
        EXPECT_EQ(dropped->GetNumNotDropped(&notDropped), S_OK);
        EXPECT_EQ(dropped->GetNumDropped(&droppedCount), S_OK);
        EXPECT_GE(notDropped, long(f.Counter() - first));
        EXPECT_EQ(droppedCount, 0);
    }
}

}  // namespace
