// The Zentu capture filter as DirectShow programs see it, in the host's own
// bitness: found by the device enumerator, run in capture graphs of Wine's
// filters against the simulated camera driver, and controlled through IZentu.
#include "ZentuGraph.h"
#include "UsbTransport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

class ZentuFilter : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        ASSERT_TRUE(sim.IsOpen()) << "the simulated Zentu driver is not running";
        ASSERT_TRUE(sim.Reset());
        ASSERT_TRUE(sim.SetPeriod(20000));
        ClearZentuRegistry();
        SetEnvironmentVariableA("ZENTU_SINGLE_PROCESSOR", nullptr);
    }
    void TearDown() override
    {
        sim.Reset();
        ClearZentuRegistry();
        SetEnvironmentVariableA("ZENTU_SINGLE_PROCESSOR", nullptr);
        CoUninitialize();
    }
    // Manual exposure, so that frames can be compared with the pipeline's.
    static void Manual(IZentu* z) { ASSERT_EQ(z->SetExposure(0, 100, 300, 20), S_OK); }

    int VendorWrites(int reg, int value)
    {
        int n = 0;
        for (const ZentuSimLogEntry& e : sim.VendorLog())
            if (e.request == 9 && e.dir == 1 && e.index == reg && e.value == value)
                n++;
        return n;
    }

    CZentuSimControl sim;
};

// The pin's own IZentu, not held: the pin outlives the call.
IZentu* PinZentu(IPin* pin)
{
    IZentu* z = nullptr;
    if (SUCCEEDED(pin->QueryInterface(IID_IZentu, reinterpret_cast<void**>(&z))))
        z->Release();
    return z;
}

}  // namespace

TEST_F(ZentuFilter, DeviceEnumeratorListsTheCamera)
{
    const std::vector<std::wstring> names = VideoInputNames();
    EXPECT_NE(std::find(names.begin(), names.end(), std::wstring(ZENTU_FILTER_NAME)), names.end());
    Com<IBaseFilter> filter;
    ASSERT_EQ(BindVideoInput(ZENTU_FILTER_NAME, filter.Out()), S_OK);
    CLSID clsid = {};
    EXPECT_EQ(filter->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_Zentu));
    Com<IAMFilterMiscFlags> flags;
    ASSERT_EQ(filter->QueryInterface(IID_IAMFilterMiscFlags, flags.OutVoid()), S_OK);
    EXPECT_EQ(flags->GetMiscFlags(), ULONG(AM_FILTER_MISC_FLAGS_IS_SOURCE));
    LPWSTR vendor = nullptr;
    EXPECT_EQ(filter->QueryVendorInfo(&vendor), E_NOTIMPL);
    // Pages: the filter names the setup page, the pin the size page.
    Com<ISpecifyPropertyPages> pages;
    ASSERT_EQ(filter->QueryInterface(IID_ISpecifyPropertyPages, pages.OutVoid()), S_OK);
    CAUUID ids = {};
    ASSERT_EQ(pages->GetPages(&ids), S_OK);
    ASSERT_EQ(ids.cElems, 1u);
    EXPECT_TRUE(IsEqualCLSID(ids.pElems[0], CLSID_ZentuSetupPage));
    CoTaskMemFree(ids.pElems);
    Com<IPin> pin;
    ASSERT_EQ(filter->FindPin(L"Out", pin.Out()), S_OK);
    ASSERT_EQ(pin->QueryInterface(IID_ISpecifyPropertyPages, pages.OutVoid()), S_OK);
    ASSERT_EQ(pages->GetPages(&ids), S_OK);
    ASSERT_EQ(ids.cElems, 1u);
    EXPECT_TRUE(IsEqualCLSID(ids.pElems[0], CLSID_ZentuSizePage));
    CoTaskMemFree(ids.pElems);
}

TEST_F(ZentuFilter, MediaTypesStreamCapsAndPinCategory)
{
    Com<IBaseFilter> filter;
    ASSERT_EQ(BindVideoInput(ZENTU_FILTER_NAME, filter.Out()), S_OK);
    Com<IPin> pin;
    ASSERT_EQ(filter->FindPin(L"Out", pin.Out()), S_OK);

    // Three types, one per size, in size order.
    Com<IEnumMediaTypes> types;
    ASSERT_EQ(pin->EnumMediaTypes(types.Out()), S_OK);
    const int sizes[3][2] = {{1280, 1024}, {1024, 768}, {640, 480}};
    for (int i = 0; i < 3; i++) {
        AM_MEDIA_TYPE* mt = nullptr;
        ASSERT_EQ(types->Next(1, &mt, nullptr), S_OK);
        const VIDEOINFOHEADER* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
        EXPECT_TRUE(mt->subtype == MEDIASUBTYPE_RGB24 && mt->bFixedSizeSamples && !mt->bTemporalCompression);
        EXPECT_EQ(vih->bmiHeader.biWidth, sizes[i][0]);
        EXPECT_EQ(vih->bmiHeader.biHeight, sizes[i][1]);
        EXPECT_EQ(mt->lSampleSize, ULONG(sizes[i][0] * sizes[i][1] * 3));
        EXPECT_EQ(vih->AvgTimePerFrame, 0);
        DeleteMediaType(mt);
    }
    AM_MEDIA_TYPE* none = nullptr;
    EXPECT_EQ(types->Next(1, &none, nullptr), S_FALSE);

    Com<IAMStreamConfig> config;
    ASSERT_EQ(pin->QueryInterface(IID_IAMStreamConfig, config.OutVoid()), S_OK);
    int count = 0, capsSize = 0;
    ASSERT_EQ(config->GetNumberOfCapabilities(&count, &capsSize), S_OK);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(capsSize, 128);
    for (int i = 0; i < 3; i++) {
        AM_MEDIA_TYPE* mt = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps;
        ASSERT_EQ(config->GetStreamCaps(i, &mt, reinterpret_cast<BYTE*>(&caps)), S_OK);
        EXPECT_EQ(caps.InputSize.cx, sizes[i][0]);
        EXPECT_EQ(caps.MaxOutputSize.cy, sizes[i][1]);
        EXPECT_EQ(caps.MinFrameInterval, 1);
        EXPECT_EQ(caps.MaxFrameInterval, 30);
        EXPECT_EQ(caps.MinBitsPerSecond, LONG(mt->lSampleSize * 8));
        EXPECT_EQ(caps.MaxBitsPerSecond, LONG(mt->lSampleSize * 240));
        // Unconnected, a format sets the size.
        EXPECT_EQ(config->SetFormat(mt), S_OK);
        int size = -1;
        EXPECT_EQ(PinZentu(pin.Get())->GetSize(&size), S_OK);
        EXPECT_EQ(size, i);
        // Any height sign is the same size.
        reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biHeight *= -1;
        EXPECT_EQ(pin->QueryAccept(mt), S_OK);
        DeleteMediaType(mt);
    }
    AM_MEDIA_TYPE* mt = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps;
    EXPECT_EQ(config->GetStreamCaps(3, &mt, reinterpret_cast<BYTE*>(&caps)), S_FALSE);
    EXPECT_EQ(config->GetStreamCaps(-1, &mt, reinterpret_cast<BYTE*>(&caps)), E_INVALIDARG);
    ASSERT_EQ(config->GetFormat(&mt), S_OK);
    EXPECT_EQ(reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biWidth, 640);
    // Only the current size passes; 800 x 600 is none of them.
    reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biWidth = 1024;
    reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biHeight = 768;
    EXPECT_NE(pin->QueryAccept(mt), S_OK);
    reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biWidth = 800;
    reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biHeight = 600;
    EXPECT_EQ(config->SetFormat(mt), E_INVALIDARG);
    DeleteMediaType(mt);

    Com<IKsPropertySet> ks;
    ASSERT_EQ(pin->QueryInterface(IID_IKsPropertySet, ks.OutVoid()), S_OK);
    GUID category = GUID_NULL;
    DWORD got = 0;
    EXPECT_EQ(ks->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category, sizeof category, &got), S_OK);
    EXPECT_TRUE(IsEqualGUID(category, PIN_CATEGORY_CAPTURE));
    EXPECT_EQ(got, 16u);
    const std::tuple<const GUID*, DWORD, DWORD, HRESULT> cases[] = {
        {&AMPROPSETID_Pin, 1, 16, HRESULT(0x80070490)},
        {&PIN_CATEGORY_CAPTURE, 0, 16, HRESULT(0x80070492)},
        {&AMPROPSETID_Pin, 0, 15, E_UNEXPECTED},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ks->Get(*std::get<0>(c), std::get<1>(c), nullptr, 0, &category, std::get<2>(c), &got),
                  std::get<3>(c));
    EXPECT_EQ(ks->Set(AMPROPSETID_Pin, 0, nullptr, 0, &category, 16), E_NOTIMPL);
}

TEST_F(ZentuFilter, EachSizeDeliversThePipelinesFrameOfTheScene)
{
    for (int size = 0; size < 3; size++) {
        SCOPED_TRACE(size);
        ZentuGraph graph;
        ASSERT_EQ(graph.Build(size), S_OK);
        Manual(graph.Zentu());
        // Connected: the size stays.
        EXPECT_EQ(graph.Zentu()->SetSize((size + 1) % 3), HRESULT(0x80040204));
        AM_MEDIA_TYPE* mt = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps;
        ASSERT_EQ(graph.StreamConfig()->GetStreamCaps((size + 1) % 3, &mt, reinterpret_cast<BYTE*>(&caps)), S_OK);
        EXPECT_EQ(graph.StreamConfig()->SetFormat(mt), S_OK);
        int now = -1;
        graph.Zentu()->GetSize(&now);
        EXPECT_EQ(now, size);

        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        EXPECT_EQ(graph.StreamConfig()->SetFormat(mt), HRESULT(0x80040227));
        DeleteMediaType(mt);
        std::vector<Grabbed> frames;
        ASSERT_TRUE(graph.NextFrames(2, &frames));
        for (const Grabbed& f : frames)
            EXPECT_EQ(FrameMismatches(graph.Zentu(), size, sim, f.bytes), 0);
        // Sensor times: 300 lines of exposure is less than the frame's rows.
        const ZentuFrameSize fs = ZentuSizeOf(uint32_t(size));
        const LONGLONG line = 256 + (size == 0 ? 1280 : size == 1 ? 2048 : 1920);
        const LONGLONG period = line * (fs.outHeight + 25) / 24000 * 10000;
        EXPECT_EQ(frames[0].end - frames[0].start, period);
        EXPECT_EQ(frames[1].start, frames[0].end);
        EXPECT_EQ(graph.Stop(), S_OK);
    }
}

TEST_F(ZentuFilter, PausedFilterCannotCue)
{
    ZentuGraph graph;
    ASSERT_EQ(graph.Build(2), S_OK);
    ASSERT_TRUE(SUCCEEDED(graph.Pause()));
    FILTER_STATE state;
    EXPECT_EQ(graph.Camera()->GetState(0, &state), VFW_S_CANT_CUE);
    EXPECT_EQ(state, State_Paused);
    EXPECT_EQ(graph.Stop(), S_OK);
    EXPECT_EQ(graph.Camera()->GetState(0, &state), S_OK);
}

TEST_F(ZentuFilter, SettingsRoundTripAndReachTheSensor)
{
    ZentuGraph graph;
    ASSERT_EQ(graph.Build(2), S_OK);
    IZentu* z = graph.Zentu();
    Manual(z);
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    ASSERT_TRUE(graph.WaitFrames(1));

    sim.ClearLog();
    ASSERT_EQ(z->SetExposure(0, 120, 2000, 30), S_OK);
    std::vector<unsigned short> regs = sim.Registers();
    EXPECT_EQ(regs[9], 2000);
    EXPECT_EQ(regs[53], SensorGainRegister(30));
    EXPECT_EQ(VendorWrites(9, 2000), 1);
    int ae = -1;
    BYTE target = 0;
    WORD time = 0, gain = 0;
    EXPECT_EQ(z->GetExposure(&ae, &target, &time, &gain), S_OK);
    EXPECT_EQ(std::make_tuple(ae, int(target), int(time), int(gain)), std::make_tuple(0, 120, 2000, 30));
    // Exposure 2000 at size 2, Normal clock: (2176 x 2000 / 24000) x 10000.
    std::vector<Grabbed> frames;
    ASSERT_TRUE(graph.NextFrames(3, &frames));
    EXPECT_EQ(frames[2].end - frames[2].start, 1810000);

    ASSERT_EQ(z->SetSpeed(1), S_OK);
    regs = sim.Registers();
    EXPECT_EQ(regs[10], 0x8000);
    EXPECT_EQ(regs[5], 336);
    ASSERT_EQ(z->SetSpeed(0), S_OK);
    EXPECT_EQ(sim.Registers()[10], 0x8001);

    // Automatic exposure stores without writing.
    sim.ClearLog();
    ASSERT_EQ(z->SetExposure(1, 100, 1234, 11), S_OK);
    EXPECT_EQ(VendorWrites(9, 1234), 0);

    // The rest round-trip.
    EXPECT_EQ(z->SetGamma(150), S_OK);
    EXPECT_EQ(z->SetContrast(55), S_OK);
    EXPECT_EQ(z->SetSaturation(0, 77), S_OK);
    EXPECT_EQ(z->SetWhiteBlack(1), S_OK);
    EXPECT_EQ(z->SetVFlip(0), S_OK);
    EXPECT_EQ(z->SetHFlip(0), S_OK);
    EXPECT_EQ(z->SetHZ(0), S_OK);
    EXPECT_EQ(z->SetWhiteBalance(0, 70, 80, 90), S_OK);
    BYTE v = 0, r = 0, g = 0, b = 0;
    int i = -1, j = -1;
    z->GetGamma(&v);
    EXPECT_EQ(v, 150);
    z->GetContrast(&v);
    EXPECT_EQ(v, 55);
    z->GetSaturation(&i, &v);
    EXPECT_EQ(std::make_pair(i, int(v)), std::make_pair(0, 77));
    z->GetWhiteBlack(&i);
    EXPECT_EQ(i, 1);
    z->GetVFlip(&i);
    z->GetHFlip(&j);
    EXPECT_EQ(std::make_pair(i, j), std::make_pair(0, 0));
    z->GetHZ(&i);
    EXPECT_EQ(i, 0);
    z->GetWhiteBalance(&i, &r, &g, &b);
    EXPECT_EQ(std::make_tuple(i, int(r), int(g), int(b)), std::make_tuple(0, 70, 80, 90));
    int unit = 0;
    EXPECT_EQ(z->GetExposureUnit(&unit), S_OK);
    EXPECT_GT(unit, 0);
    EXPECT_EQ(graph.Stop(), S_OK);
}

TEST_F(ZentuFilter, NullOutPointersOnTheFilterAndOnThePin)
{
    Com<IBaseFilter> filter;
    ASSERT_EQ(BindVideoInput(ZENTU_FILTER_NAME, filter.Out()), S_OK);
    Com<IZentu> onFilter;
    ASSERT_EQ(filter->QueryInterface(IID_IZentu, onFilter.OutVoid()), S_OK);
    Com<IPin> pin;
    ASSERT_EQ(filter->FindPin(L"Out", pin.Out()), S_OK);
    IZentu* onPin = PinZentu(pin.Get());
    ASSERT_TRUE(onPin);
    const std::pair<IZentu*, HRESULT> sides[] = {{onFilter.Get(), E_POINTER}, {onPin, E_FAIL}};
    for (const auto& side : sides) {
        IZentu* z = side.first;
        const HRESULT want = side.second;
        BYTE v;
        int i;
        EXPECT_EQ(z->GetSize(nullptr), want);
        EXPECT_EQ(z->GetWhiteBalance(&i, nullptr, &v, &v), want);
        EXPECT_EQ(z->GetExposure(&i, &v, nullptr, nullptr), want);
        EXPECT_EQ(z->GetSpeed(nullptr), want);
        EXPECT_EQ(z->GetGamma(nullptr), want);
        EXPECT_EQ(z->GetContrast(nullptr), want);
        EXPECT_EQ(z->GetSaturation(nullptr, &v), want);
        EXPECT_EQ(z->GetWhiteBlack(nullptr), want);
        EXPECT_EQ(z->GetVFlip(nullptr), want);
        EXPECT_EQ(z->GetHZ(nullptr), want);
        EXPECT_EQ(z->GetParaTeam(nullptr), want);
        EXPECT_EQ(z->GetHFlip(nullptr), want);
        EXPECT_EQ(z->GetExposureUnit(nullptr), want);
        EXPECT_EQ(z->SetSize(3), E_INVALIDARG);
        EXPECT_EQ(z->SetSize(-1), E_INVALIDARG);
    }
}

TEST_F(ZentuFilter, WhiteBalanceOnceMeasuresOnTheNextFrame)
{
    ZentuGraph graph;
    ASSERT_EQ(graph.Build(1), S_OK);
    IZentu* z = graph.Zentu();
    Manual(z);
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    ASSERT_TRUE(graph.WaitFrames(1));
    ASSERT_EQ(z->SetWhiteBalance(1, 64, 64, 64), S_OK);
    int request = 1;
    BYTE r = 0, g = 0, b = 0;
    const DWORD t0 = GetTickCount();
    while (request && GetTickCount() - t0 < 3000) {
        Sleep(5);
        z->GetWhiteBalance(&request, &r, &g, &b);
    }
    EXPECT_EQ(request, 0);
    // The sensor sees red and blue weaker: the measured gains lift them.
    EXPECT_GT(r, 64);
    EXPECT_GT(b, 64);
    EXPECT_EQ(graph.Stop(), S_OK);
}

TEST_F(ZentuFilter, ParameterSetsComeFromTheRegistry)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quillon\\Zentu\\dshow", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr), ERROR_SUCCESS);
    DWORD two = 2;
    RegSetValueExA(key, "ParaTeam", 0, REG_DWORD, reinterpret_cast<BYTE*>(&two), 4);
    RegCloseKey(key);
    const std::pair<const char*, DWORD> setC[] = {{"Gamma", 180}, {"Contrast", 44}, {"eZentuSize", 0}};
    const std::pair<const char*, DWORD> setD[] = {{"Gamma", 60}, {"eZentuSize", 2}, {"AnalogGain", 33}};
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quillon\\Zentu\\dshowC", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr), ERROR_SUCCESS);
    for (auto& v : setC)
        RegSetValueExA(key, v.first, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v.second), 4);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quillon\\Zentu\\dshowD", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr), ERROR_SUCCESS);
    for (auto& v : setD)
        RegSetValueExA(key, v.first, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v.second), 4);
    RegCloseKey(key);

    // The set ParaTeam names is the one in use.
    ZentuGraph graph;
    ASSERT_EQ(graph.Build(), S_OK);
    IZentu* z = graph.Zentu();
    BYTE set = 9, gamma = 0;
    int size = -1;
    z->GetParaTeam(&set);
    z->GetGamma(&gamma);
    z->GetSize(&size);
    EXPECT_EQ(set, 2);
    EXPECT_EQ(gamma, 180);
    EXPECT_EQ(size, 0);

    // Another set while connected: its values, but the connection's size.
    ASSERT_EQ(z->SetParaTeam(3), S_OK);
    z->GetGamma(&gamma);
    z->GetSize(&size);
    EXPECT_EQ(gamma, 60);
    EXPECT_EQ(size, 0);
    WORD time, gain;
    int ae;
    BYTE target;
    z->GetExposure(&ae, &target, &time, &gain);
    EXPECT_EQ(gain, 33);
    // And frames still come at that size, whole.
    Manual(z);
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    std::vector<Grabbed> frames;
    ASSERT_TRUE(graph.NextFrames(1, &frames));
    EXPECT_EQ(frames[0].bytes.size(), size_t(1280 * 1024 * 3));
    EXPECT_EQ(FrameMismatches(z, 0, sim, frames[0].bytes), 0);
    EXPECT_EQ(graph.Stop(), S_OK);

    // Saving writes the selected set and ParaTeam.
    ASSERT_EQ(z->SetContrast(66), S_OK);
    ASSERT_EQ(z->SaveParaTeam(), S_OK);
    DWORD value = 0, bytes = 4;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\Quillon\\Zentu\\dshowD", "Contrast", RRF_RT_REG_DWORD,
                           nullptr, &value, &bytes), ERROR_SUCCESS);
    EXPECT_EQ(value, 66u);
    bytes = 4;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\Quillon\\Zentu\\dshow", "ParaTeam", RRF_RT_REG_DWORD,
                           nullptr, &value, &bytes), ERROR_SUCCESS);
    EXPECT_EQ(value, 3u);
}

TEST_F(ZentuFilter, NoCameraMeansTheFilterCannotPause)
{
    ASSERT_TRUE(sim.SetPresent(0));
    ZentuGraph graph;
    ASSERT_EQ(graph.Build(2), S_OK);
    // Wine's graph lets a renderer's "not yet" stand for the whole graph, so
    // the camera itself shows the failure: it stays stopped.
    graph.Pause();
    FILTER_STATE state;
    EXPECT_EQ(graph.Camera()->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Stopped);
    EXPECT_EQ(graph.Camera()->Pause(), E_FAIL);
    EXPECT_EQ(graph.Stop(), S_OK);
    // Back again, the same graph runs.
    ASSERT_TRUE(sim.SetPresent(1));
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    EXPECT_TRUE(graph.WaitFrames(1));
    EXPECT_EQ(graph.Stop(), S_OK);
}

TEST_F(ZentuFilter, UnplugEndsTheStreamWithAnErrorAndReplugRunsAgain)
{
    {
        ZentuGraph graph;
        ASSERT_EQ(graph.Build(2), S_OK);
        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        ASSERT_TRUE(graph.WaitFrames(2));
        ASSERT_TRUE(sim.SetFault(ZSIM_FAULT_UNPLUG, 1));
        LONG_PTR hr = 0;
        EXPECT_TRUE(graph.WaitEvent(EC_ERRORABORT, 5000, &hr));
        EXPECT_TRUE(FAILED(HRESULT(hr)));
        const DWORD t0 = GetTickCount();
        EXPECT_EQ(graph.Stop(), S_OK);
        EXPECT_LT(GetTickCount() - t0, 3000u);
    }
    ASSERT_TRUE(sim.SetFault(ZSIM_FAULT_UNPLUG, 0));
    ZentuGraph again;
    ASSERT_EQ(again.Build(2), S_OK);
    ASSERT_TRUE(SUCCEEDED(again.Run()));
    EXPECT_TRUE(again.WaitFrames(2));
    EXPECT_EQ(again.Stop(), S_OK);
}

TEST_F(ZentuFilter, FiftyStartsStopsAndSizeChangesKeepDelivering)
{
    for (int cycle = 0; cycle < 50; cycle++) {
        SCOPED_TRACE(cycle);
        ZentuGraph graph;
        ASSERT_EQ(graph.Build(cycle % 3), S_OK);
        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        ASSERT_TRUE(graph.WaitFrames(1));
        sim.ClearLog();
        ASSERT_EQ(graph.Stop(), S_OK);
        // The camera is closed each time: sensor off and the handle gone.
        EXPECT_EQ(VendorWrites(7, 0), 1);
        EXPECT_EQ(sim.Status().openHandles, 0u);
    }
}

TEST_F(ZentuFilter, SingleProcessorPathReadsDirectlyAndGoesOnAfterCutFrames)
{
    SetEnvironmentVariableA("ZENTU_SINGLE_PROCESSOR", "1");
    ZentuGraph graph;
    ASSERT_EQ(graph.Build(2), S_OK);
    Manual(graph.Zentu());
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    ASSERT_TRUE(graph.WaitFrames(1));
    // Frames cut short give no sample, and the stream does not end.
    ASSERT_TRUE(sim.SetFault(ZSIM_FAULT_FRAME_SIZE, 3, unsigned(-4096)));
    std::vector<Grabbed> frames;
    ASSERT_TRUE(graph.NextFrames(3, &frames));
    EXPECT_FALSE(graph.WaitEvent(EC_COMPLETE, 100));
    for (const Grabbed& f : frames)
        EXPECT_EQ(FrameMismatches(graph.Zentu(), 2, sim, f.bytes), 0);
    EXPECT_EQ(graph.Stop(), S_OK);
}
