// The stand-in UVC property library as Orvik uses it: linked at load time,
// and its functions found by name in the DLL; what it sets seen in the
// frames of the DirectShow device of the same name.
#include "CameraGraph.h"
#include "ROREREverizaZizidodu.h"
#include "UvcScene.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

class UvcLib : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        DetachUVCDeviceALL();
    }
    void TearDown() override
    {
        DetachUVCDeviceALL();
        CoUninitialize();
    }
};

int Stride(int width)
{
    return (width * 24 + 31) / 32 * 4;
}

TEST_F(UvcLib, ExportsItsFunctionsUnderTheirPlainNames)
{
    HMODULE dll = GetModuleHandleW(L"ROREREverizaZizidodu.dll");
    ASSERT_NE(dll, nullptr) << "not linked at load time";
    for (const char* name :
         {"DetachUVCDeviceALL", "GetVMCUVCDevCount", "GetDevFriendlyNameByIndex", "AttachUVCDeviceByIndex",
          "SetImageMirrorStatus", "SetImageVerticalStatus", "SetDSP_RedGainValue", "SetDSP_GreenGainValue",
          "SetDSP_BlueGainValue", "GetDSP_RedGainValue", "GetDSP_GreenGainValue", "GetDSP_BlueGainValue",
          "SetAutoWhiteBalanceStatus", "GetAutoWhiteBalanceStatus", "GetImage_GetRGBBuffer"})
        EXPECT_NE(GetProcAddress(dll, name), nullptr) << name;
    // Called by name, with the calling convention of our header.
    typedef int(UVCAPI * CountFn)(void);
    typedef int(UVCAPI * NameFn)(int, char*, int);
    ScopedCameras cameras(L"Camera-J60");
    auto count = reinterpret_cast<CountFn>(reinterpret_cast<void*>(GetProcAddress(dll, "GetVMCUVCDevCount")));
    auto name = reinterpret_cast<NameFn>(reinterpret_cast<void*>(GetProcAddress(dll, "GetDevFriendlyNameByIndex")));
    ASSERT_TRUE(count && name);
    EXPECT_EQ(count(), 1);
    char buffer[250];
    EXPECT_EQ(name(0, buffer, 250), 1);
    EXPECT_STREQ(buffer, "Camera-J60");
}

TEST_F(UvcLib, CountsAndNamesTheInstalledJSeriesCamerasInOrder)
{
    ScopedCameras cameras(L"Camera-R5V;Camera-J40;Hollin W8K;Camera-J20");
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    ASSERT_EQ(GetVMCUVCDevCount(), 2);
    struct Case {
        int index, size;
        int result;
        const char* name;
    } cases[] = {
        {0, 250, 1, "Camera-J40"}, {1, 250, 1, "Camera-J20"}, {1, 5, 1, "Came"},
        {1, 1, 1, ""},             {2, 250, 0, ""},           {-1, 250, 0, ""},
    };
    for (const Case& c : cases) {
        char buffer[260];
        memset(buffer, 'x', sizeof(buffer));
        EXPECT_EQ(GetDevFriendlyNameByIndex(c.index, buffer, c.size), c.result) << c.index;
        EXPECT_STREQ(buffer, c.name) << c.index << " " << c.size;
        EXPECT_EQ(buffer[c.size], 'x') << "wrote past the size";
    }
    EXPECT_EQ(AttachUVCDeviceByIndex(2), 0);
    EXPECT_EQ(AttachUVCDeviceByIndex(1), 1);

    ScopedCameras none(L"Camera-R5V");
    EXPECT_EQ(GetVMCUVCDevCount(), 0);
}

TEST_F(UvcLib, SetsNothingWithoutAnAttachedCamera)
{
    ScopedCameras cameras(L"Camera-J20");
    int gain = -1;
    BYTE on = 7;
    EXPECT_EQ(SetDSP_RedGainValue(10), 0);
    EXPECT_EQ(GetDSP_RedGainValue(&gain), 0);
    EXPECT_EQ(SetImageMirrorStatus(1), 0);
    EXPECT_EQ(SetAutoWhiteBalanceStatus(1), 0);
    EXPECT_EQ(GetAutoWhiteBalanceStatus(&on), 0);
    EXPECT_EQ(gain, -1);
    EXPECT_EQ(on, 7);
    ASSERT_EQ(AttachUVCDeviceByIndex(0), 1);
    EXPECT_EQ(SetDSP_RedGainValue(256), 0);
    EXPECT_EQ(SetDSP_RedGainValue(-1), 0);
    EXPECT_EQ(SetDSP_RedGainValue(255), 1);
    EXPECT_EQ(GetDSP_RedGainValue(&gain), 1);
    EXPECT_EQ(gain, 255);
}

// Gains, automatic white balance and flips set through the library reach
// the DirectShow device of the same name, and only that one.
TEST_F(UvcLib, SettingsShowInTheFramesOfTheDeviceOfTheSameName)
{
    ScopedCameras cameras(L"Camera-J20;Camera-J40");
    ASSERT_EQ(AttachUVCDeviceByIndex(1), 1);
    CameraGraph j40, j20;
    ASSERT_HRESULT_SUCCEEDED(j40.Build(L"Camera-J40"));
    ASSERT_HRESULT_SUCCEEDED(j20.Build(L"Camera-J20"));
    ASSERT_HRESULT_SUCCEEDED(j40.Run());
    ASSERT_HRESULT_SUCCEEDED(j20.Run());
    const int greyY = 480 * 3 / 8, greyX = 630;

    struct Case {
        int red, green, blue, awb;
        int grey[3];
    } cases[] = {
        {64, 0, 0, 0, {192, 128, 128}},
        {0, 128, 32, 0, {128, 255, 160}},
        {64, 128, 32, 1, {128, 128, 128}},  // automatic white balance: the gains rest
        {0, 0, 0, 0, {128, 128, 128}},
    };
    for (const Case& c : cases) {
        SetDSP_RedGainValue(c.red);
        SetDSP_GreenGainValue(c.green);
        SetDSP_BlueGainValue(c.blue);
        SetAutoWhiteBalanceStatus(c.awb ? 2 : 0);  // any non-zero value is on
        int r = -1, g = -1, b = -1;
        BYTE awb = 9;
        GetDSP_RedGainValue(&r);
        GetDSP_GreenGainValue(&g);
        GetDSP_BlueGainValue(&b);
        GetAutoWhiteBalanceStatus(&awb);
        EXPECT_EQ(r, c.red);
        EXPECT_EQ(g, c.green);
        EXPECT_EQ(b, c.blue);
        EXPECT_EQ(awb, c.awb);
        Frame f, other;
        ASSERT_TRUE(j40.SettledFrame(&f));
        ASSERT_TRUE(j20.NextFrame(&other));
        EXPECT_EQ(f.R(greyX, greyY), c.grey[0]) << c.red;
        EXPECT_EQ(f.G(greyX, greyY), c.grey[1]) << c.green;
        EXPECT_EQ(f.B(greyX, greyY), c.grey[2]) << c.blue;
        EXPECT_EQ(other.R(greyX, greyY), 128);
        EXPECT_EQ(other.G(greyX, greyY), 128);
    }

    Com<IAMVideoControl> video;
    ASSERT_HRESULT_SUCCEEDED(j40.CameraInterface(IID_IAMVideoControl, &video));
    struct Flip {
        int mirror, vertical;
        long mode;
    } flips[] = {{1, 0, VideoControlFlag_FlipHorizontal}, {1, 1, 3}, {0, 1, VideoControlFlag_FlipVertical}, {0, 0, 0}};
    for (const Flip& c : flips) {
        ASSERT_EQ(SetImageMirrorStatus(c.mirror), 1);
        ASSERT_EQ(SetImageVerticalStatus(c.vertical), 1);
        long mode = -1;
        ASSERT_EQ(video->GetMode(j40.CapturePin(), &mode), S_OK);
        EXPECT_EQ(mode, c.mode);
        Frame f;
        ASSERT_TRUE(j40.SettledFrame(&f));
        const int y = c.vertical ? f.height - 1 - f.height / 8 : f.height / 8;
        EXPECT_EQ(f.R(f.width / 16, y), kUvcPatches[c.mirror ? 7 : 0].r);
        EXPECT_EQ(f.G(f.width / 16, y), kUvcPatches[c.mirror ? 7 : 0].g);
    }
}

// The RGB buffer: the DIB-padded length, never more than the caller's
// buffer, and the same picture as a DirectShow frame of the device.
TEST_F(UvcLib, RgbBufferIsAFrameOfTheDevice)
{
    ScopedCameras cameras(L"Camera-J60");
    ASSERT_EQ(AttachUVCDeviceByIndex(0), 1);
    struct Size {
        int w, h;
    } sizes[] = {{1280, 1024}, {2048, 1536}, {2592, 1944}, {641, 3}, {1, 1}};
    for (const Size& s : sizes) {
        int length = -1;
        EXPECT_EQ(GetImage_GetRGBBuffer(s.w, s.h, nullptr, 0, &length), 1);
        EXPECT_EQ(length, Stride(s.w) * s.h) << s.w;
        // One byte short: nothing written.
        std::vector<BYTE> small(size_t(length), 0xA5);
        EXPECT_EQ(GetImage_GetRGBBuffer(s.w, s.h, small.data(), length - 1, &length), 0);
        EXPECT_EQ(std::count(small.begin(), small.end(), 0xA5), long(small.size()));
    }
    int length = 0;
    EXPECT_EQ(GetImage_GetRGBBuffer(0, 10, nullptr, 0, &length), 0);
    EXPECT_EQ(GetImage_GetRGBBuffer(-5, 10, nullptr, 0, &length), 0);

    SetDSP_BlueGainValue(64);
    SetImageMirrorStatus(1);
    CameraGraph graph;
    ASSERT_HRESULT_SUCCEEDED(graph.Build(L"Camera-J60"));
    AM_MEDIA_TYPE* mt = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps;
    ASSERT_EQ(graph.StreamConfig()->GetStreamCaps(2, &mt, reinterpret_cast<BYTE*>(&caps)), S_OK);
    ASSERT_EQ(graph.StreamConfig()->SetFormat(mt), S_OK);
    DeleteMediaType(mt);
    ASSERT_HRESULT_SUCCEEDED(graph.Run());
    Frame shown;
    ASSERT_TRUE(graph.SettledFrame(&shown));
    ASSERT_EQ(shown.width, 1024);
    Frame still;
    still.width = 1024;
    still.height = 768;
    still.dib.assign(size_t(Stride(1024)) * 768 + 16, 0x5A);
    ASSERT_EQ(GetImage_GetRGBBuffer(1024, 768, still.dib.data(), int(still.dib.size()), &length), 1);
    EXPECT_EQ(length, Stride(1024) * 768);
    EXPECT_EQ(still.dib.back(), 0x5A) << "wrote past the frame";
    still.dib.resize(size_t(length));
    // Alike but for the counter rows.
    int differing = 0;
    for (int y = 0; y < 768; ++y) {
        if (y >= 768 / 2 - 4 && y < 768 / 2 + 4)
            continue;
        for (int x = 0; x < 1024; ++x)
            differing += shown.R(x, y) != still.R(x, y) || shown.G(x, y) != still.G(x, y) || shown.B(x, y) != still.B(x, y);
    }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(still.B(1024 - 1 - 1024 / 16, 768 / 8), 48);  // the mirrored red patch, blue 32 x 1.5
    EXPECT_GE(still.Counter(), shown.Counter());
}

TEST_F(UvcLib, LogsEachCallWhenAskedTo)
{
    ScopedCameras cameras(L"Camera-J20");
    WCHAR dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    WCHAR path[MAX_PATH];
    GetTempFileNameW(dir, L"uvc", 0, path);
    DeleteFileW(path);
    char narrow[MAX_PATH];
    WideCharToMultiByte(CP_ACP, 0, path, -1, narrow, MAX_PATH, nullptr, nullptr);
    SetEnvironmentVariableA("VELTRANE_UVCLIB_LOG", narrow);
    AttachUVCDeviceByIndex(0);
    SetDSP_GreenGainValue(12);
    int len = 0;
    GetImage_GetRGBBuffer(8, 2, nullptr, 0, &len);
    SetEnvironmentVariableA("VELTRANE_UVCLIB_LOG", nullptr);
    SetDSP_GreenGainValue(13);
    std::ifstream in(narrow);
    std::string line, all;
    while (std::getline(in, line))
        all += line + "|";
    EXPECT_EQ(all, "AttachUVCDeviceByIndex 0|SetDSP_GreenGainValue 12|GetImage_GetRGBBuffer 8 2 null 0|");
    in.close();
    DeleteFileW(path);
}

}  // namespace
