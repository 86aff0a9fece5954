// The camera probe against devices registered in the prefix: the simulated
// UVC cameras under any names, entries with no filter behind them, an empty
// category; message boxes recorded through the framework's script seam.
#include "DeviceProbe.h"
#include "Globals.h"
#include "Messages.h"
#include "UvcCamInstall.h"

#include <dvdmedia.h>

#include <AfxTestScript.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const WCHAR kNoCamera[] = L"msgbox|Hint|Cannot preview successfully.Please check your camera.|0x0|unanswered\n";

// A class with no server behind it: listed, never bindable.
const CLSID kNoServer = {0x5c2b7e10, 0x3d4a, 0x4b8e, {0x9f, 0x21, 0x6a, 0x0d, 0x44, 0x17, 0xe2, 0x93}};

HRESULT Mapper(IFilterMapper2** mapper)
{
    return CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                            reinterpret_cast<void**>(mapper));
}


// A video input entry whose class has no server. Listed before the
// simulated cameras when its instance name sorts first.
class FakeDevice {
public:
    FakeDevice(LPCWSTR name, LPCWSTR instance) : m_instance(instance)
    {
        Com<IFilterMapper2> mapper;
        m_hr = Mapper(mapper.Out());
        if (FAILED(m_hr))
            return;
        REGFILTER2 rf2 = {};
        rf2.dwVersion = 1;
        rf2.dwMerit = MERIT_DO_NOT_USE;
        m_hr = mapper->RegisterFilter(kNoServer, name, nullptr, &CLSID_VideoInputDeviceCategory, instance, &rf2);
    }
    ~FakeDevice()
    {
        Com<IFilterMapper2> mapper;
        if (SUCCEEDED(Mapper(mapper.Out())))
            mapper->UnregisterFilter(&CLSID_VideoInputDeviceCategory, m_instance.c_str(), kNoServer);
    }
    HRESULT Result() const { return m_hr; }
    // Leaves the entry without a name to read.
    bool ForgetName()
    {
        const std::wstring key = L"CLSID\\{860BB310-5D01-11d0-BD3B-00A0C911CE86}\\Instance\\" + m_instance;
        HKEY h = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS)
            return false;
        const bool done = RegDeleteValueW(h, L"FriendlyName") == ERROR_SUCCESS;
        RegCloseKey(h);
        return done;
    }

private:
    std::wstring m_instance;
    HRESULT m_hr = E_FAIL;
};

// Takes the suite's other video input device (the Zentu camera) out of the
// category for a while.
class OtherDevicesAway {
public:
    OtherDevicesAway()
    {
        m_module = LoadLibraryW(ZENTU_AX);
        m_hr = Call("DllUnregisterServer");
    }
    ~OtherDevicesAway()
    {
        Call("DllRegisterServer");
        if (m_module)
            FreeLibrary(m_module);
    }
    HRESULT Result() const { return m_hr; }

private:
    HRESULT Call(const char* name)
    {
        using Fn = HRESULT(STDAPICALLTYPE*)();
        Fn fn = m_module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m_module, name))) : nullptr;
        return fn ? fn() : E_FAIL;
    }
    HMODULE m_module = nullptr;
    HRESULT m_hr = E_FAIL;
};

// A system class made uncreatable for a while: treated as one with no server.
class ClassAway {
public:
    explicit ClassAway(REFCLSID clsid) : m_clsid(clsid) { m_hr = CoTreatAsClass(clsid, kNoServer); }
    ~ClassAway() { CoTreatAsClass(m_clsid, CLSID_NULL); }
    HRESULT Result() const { return m_hr; }

private:
    CLSID m_clsid;
    HRESULT m_hr = E_FAIL;
};

// The number of frame sizes the capture pin of a bound camera offers: a
// simulated camera's model shows in it.
int OfferedSizes(IBaseFilter* camera)
{
    Com<IEnumPins> pins;
    if (!camera || FAILED(camera->EnumPins(pins.Out())))
        return -1;
    for (;;) {
        Com<IPin> pin;
        if (pins->Next(1, pin.Out(), nullptr) != S_OK)
            return -1;
        Com<IAMStreamConfig> config;
        int count = 0, size = 0;
        if (SUCCEEDED(config.QueryFrom(pin.Get(), IID_IAMStreamConfig)) &&
            SUCCEEDED(config->GetNumberOfCapabilities(&count, &size)))
            return count;
    }
}

std::string Narrow(LPCWSTR text)
{
    std::string s;
    for (; *text; ++text)
        s += char(*text);
    return s;
}

// The same object, whichever interface each pointer is.
bool SameObject(IUnknown* a, IUnknown* b)
{
    Com<IUnknown> ua, ub;
    if (!a || !b || FAILED(ua.QueryFrom(a, IID_IUnknown)) || FAILED(ub.QueryFrom(b, IID_IUnknown)))
        return false;
    return ua.Get() == ub.Get();
}

// Handles the thread's messages for a while, as the program's loop would.
void Pump(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    } while (LONG(end - GetTickCount()) > 0);
}

std::vector<std::wstring> FilterNames(IGraphBuilder* graph)
{
    std::vector<std::wstring> names;
    Com<IEnumFilters> filters;
    if (!graph || FAILED(graph->EnumFilters(filters.Out())))
        return names;
    for (;;) {
        Com<IBaseFilter> filter;
        if (filters->Next(1, filter.Out(), nullptr) != S_OK)
            break;
        FILTER_INFO info = {};
        filter->QueryFilterInfo(&info);
        names.push_back(info.achName);
        if (info.pGraph)
            info.pGraph->Release();
    }
    return names;
}

bool Has(const std::vector<std::wstring>& names, LPCWSTR name)
{
    for (const auto& n : names)
        if (n == name)
            return true;
    return false;
}

class Probe : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitialize(nullptr));
        AfxTestSetScript(L"");
        AfxTestClearRecord();
        g_HestralMode = 0;
        g_bLangArabic = 0;
    }
    void TearDown() override
    {
        g_HestralMode = 0;
        g_bLangArabic = 0;
        AfxTestSetScript(nullptr);
        CoUninitialize();
    }
    static std::wstring Record() { return std::wstring(AfxTestGetRecord()); }
};

TEST_F(Probe, MatchesTrimmedCaseSensitiveSubstringsAndTakesTheFirst)
{
    const struct {
        LPCWSTR installed;
        LPCWSTR wanted;
        bool found;
        int sizes;  // offered by the camera taken: 3 for "Hollin W8K", 5 for names the model table lacks
    } cases[] = {
        {L" Camera-R5V ", L"Camera-R5V", true, 5},
        {L"Camera-R5V", L"  Camera-R5V\t", true, 5},
        {L"Camera-R5V Pro", L"Camera-R5V", true, 5},
        {L"camera-r5v", L"Camera-R5V", false, 0},
        {L"Camera-R5", L"Camera-R5V", false, 0},
        {L"Hollin W8K;Hollin W8K Pro", L"Hollin W8K", true, 3},
        {L"Hollin W8K Pro;Hollin W8K", L"Hollin W8K", true, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + Narrow(c.installed) + "' for '" + Narrow(c.wanted) + "'");
        ScopedCameras cameras(c.installed);
        ASSERT_HRESULT_SUCCEEDED(cameras.Result());
        AfxTestClearRecord();
        CDeviceProbe probe(c.wanted);
        EXPECT_EQ(probe.m_bFound, c.found ? TRUE : FALSE);
        EXPECT_EQ(probe.GetDeviceFilter() != nullptr, c.found);
        if (c.found) {
            EXPECT_EQ(OfferedSizes(probe.GetDeviceFilter()), c.sizes);
        }
        // The look-up itself never shows anything.
        EXPECT_EQ(Record(), L"");
    }
}

TEST_F(Probe, HestralModeCountsAnEntryWithNoFilterAsPresent)
{
    ScopedCameras cameras(L"Camera-R5V");
    FakeDevice device(L"Vantor-T6M", L"0 Orvik probe test");
    ASSERT_HRESULT_SUCCEEDED(device.Result());

    g_HestralMode = 1;
    {
        CDeviceProbe probe(L"Vantor-T6M");
        EXPECT_TRUE(probe.m_bFound);
        EXPECT_EQ(probe.GetDeviceFilter(), nullptr);  // nothing bound
    }
    EXPECT_EQ(Record(), L"");

    g_HestralMode = 0;
    CDeviceProbe probe(L"Vantor-T6M");
    EXPECT_FALSE(probe.m_bFound);
    EXPECT_EQ(Record(), L"");
    EXPECT_EQ(probe.CreateProbeGraph(), E_FAIL);
    EXPECT_EQ(Record(), kNoCamera);
    probe.Release();
    EXPECT_EQ(probe.GetGraph(), nullptr);
}

TEST_F(Probe, AnUnbindableFirstMatchGivesWayToTheNextDevice)
{
    ScopedCameras cameras(L"Camera-R5V");
    FakeDevice first(L"Camera-R5V", L"0 Orvik probe test");
    ASSERT_HRESULT_SUCCEEDED(first.Result());
    CDeviceProbe probe(L"Camera-R5V");
    EXPECT_TRUE(probe.m_bFound);
    EXPECT_EQ(OfferedSizes(probe.GetDeviceFilter()), 5);
}

TEST_F(Probe, AnEmptyCategoryFindsNothingAndShowsNothingUntilTheGraph)
{
    OtherDevicesAway away;
    ASSERT_HRESULT_SUCCEEDED(away.Result());
    ScopedCameras cameras(L"");
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());

    CDeviceProbe probe(L"Camera-R5V");
    EXPECT_FALSE(probe.m_bFound);
    EXPECT_EQ(Record(), L"");
    EXPECT_EQ(probe.CreateProbeGraph(), E_FAIL);
    EXPECT_EQ(Record(), kNoCamera);
    probe.Release();

    // The device table says so in its own box, caption empty, and stays empty.
    AfxTestClearRecord();
    probe.EnumerateDevices();
    EXPECT_EQ(Record(), L"msgbox||Sorry, you have no video capture hardware.\n\nVideo capture will not function "
                        L"properly.|0x0|unanswered\n");
    for (int i = 0; i < CDeviceProbe::kDeviceSlots; ++i) {
        EXPECT_EQ(probe.GetDeviceMoniker(i), nullptr);
        EXPECT_STREQ(probe.GetDeviceName(i), L"");
    }
}

TEST_F(Probe, MessagesReadRightToLeftUnderArabic)
{
    g_bLangArabic = 1;
    CDeviceProbe probe(L"No such camera anywhere");
    EXPECT_EQ(probe.CreateProbeGraph(), E_FAIL);
    ShowErrorBox(L"Could not create filter graph");
    EXPECT_EQ(Record(), L"msgbox|Hint|Cannot preview successfully.Please check your camera.|0x100000|unanswered\n"
                        L"msgbox|Error!|Could not create filter graph|0x112000|unanswered\n");
}

TEST_F(Probe, BuildsTheProbeGraphAndReleaseDropsIt)
{
    ScopedCameras cameras(L"Camera-R5V");
    CDeviceProbe probe(L"Camera-R5V");
    ASSERT_TRUE(probe.m_bFound);
    IBaseFilter* camera = probe.GetDeviceFilter();
    ASSERT_NE(camera, nullptr);

    const HRESULT hr = probe.CreateProbeGraph();
    EXPECT_HRESULT_SUCCEEDED(hr);
    EXPECT_EQ(Record(), L"");
    ASSERT_NE(probe.GetGraph(), nullptr);
    FILTER_INFO info = {};
    ASSERT_HRESULT_SUCCEEDED(camera->QueryFilterInfo(&info));
    EXPECT_STREQ(info.achName, L"Cap");
    EXPECT_TRUE(SameObject(info.pGraph, probe.GetGraph()));
    if (info.pGraph)
        info.pGraph->Release();

    probe.Release();
    EXPECT_EQ(probe.GetGraph(), nullptr);
    // The graph is gone: it took the camera out as it went.
    info = FILTER_INFO{};
    ASSERT_HRESULT_SUCCEEDED(camera->QueryFilterInfo(&info));
    EXPECT_EQ(info.pGraph, nullptr);
    if (info.pGraph)
        info.pGraph->Release();
    probe.Release();  // once more: nothing left to release
    EXPECT_EQ(Record(), L"");
}

TEST_F(Probe, WithoutAGraphBuilderTheGraphIsRefusedNotUsed)
{
    ScopedCameras cameras(L"Camera-R5V");
    CDeviceProbe probe(L"Camera-R5V");
    ASSERT_TRUE(probe.m_bFound);
    {
        ClassAway away(CLSID_CaptureGraphBuilder2);
        ASSERT_HRESULT_SUCCEEDED(away.Result());
        Com<ICaptureGraphBuilder2> builder;
        ASSERT_HRESULT_FAILED(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                               IID_ICaptureGraphBuilder2, builder.OutVoid()));
        EXPECT_EQ(probe.CreateProbeGraph(), E_FAIL);
    }
    EXPECT_EQ(Record(), L"msgbox|Error!|Could not create filter graph|0x12000|unanswered\n");
    probe.Release();
    EXPECT_EQ(probe.GetGraph(), nullptr);
    // With the builder back the same probe builds its graph.
    EXPECT_HRESULT_SUCCEEDED(probe.CreateProbeGraph());
    probe.Release();
}

// The preview player that nothing in the program calls, run once over a
// camera: grabber graph, frame sizes, stop, tear-down back to the camera.
TEST_F(Probe, ThePlayerPreviewsThroughTheGrabberAndTearsDownToTheCamera)
{
    ScopedCameras cameras(L"Camera-R5V");
    HWND owner = CreateWindowExW(0, L"STATIC", L"Probe player", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 700,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    {
        CDeviceProbe probe(L"Camera-R5V");
        ASSERT_HRESULT_SUCCEEDED(probe.CreateProbeGraph());
        EXPECT_EQ(probe.BuildGrabberGraph(owner), S_OK);
        EXPECT_EQ(Record(), L"");
        const auto running = FilterNames(probe.GetGraph());
        EXPECT_TRUE(Has(running, L"Cap"));
        EXPECT_TRUE(Has(running, L"Grabber"));
        EXPECT_GT(running.size(), 2u);
        Pump(300);

        probe.ListFrameSizes();
        const LONG heights[] = {480, 600, 768, 1024, 1200};
        ASSERT_EQ(probe.GetFrameSizes().GetSize(), 5);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(static_cast<FrameSizeRecord*>(probe.GetFrameSizes().GetAt(i))->height, heights[i]);

        probe.StopPreview(TRUE);
        probe.TearDownGraph();
        EXPECT_EQ(FilterNames(probe.GetGraph()), std::vector<std::wstring>{L"Cap"});
        probe.Release();
        EXPECT_EQ(Record(), L"");
    }
    Pump(100);
    DestroyWindow(owner);
}

TEST_F(Probe, WithoutTheDeviceEnumeratorNothingIsFoundAndTheTableSaysSo)
{
    ScopedCameras cameras(L"Camera-R5V");
    ClassAway away(CLSID_SystemDeviceEnum);
    ASSERT_HRESULT_SUCCEEDED(away.Result());
    CDeviceProbe probe(L"Camera-R5V");
    EXPECT_FALSE(probe.m_bFound);
    EXPECT_EQ(Record(), L"");
    probe.EnumerateDevices();
    // No application here, so the framework's own caption.
    EXPECT_EQ(Record(), L"msgbox|Error|Error Creating Device Enumerator|0x0|unanswered\n");
    for (int i = 0; i < CDeviceProbe::kDeviceSlots; ++i)
        EXPECT_EQ(probe.GetDeviceMoniker(i), nullptr);
}

TEST_F(Probe, TheDeviceTableNeverGrowsPastItsSlots)
{
    OtherDevicesAway away;
    ASSERT_HRESULT_SUCCEEDED(away.Result());
    std::wstring names;
    for (int i = 0; i < 12; ++i)
        names += (i ? L";" : L"") + std::wstring(L"Dev-") + (i < 10 ? L"0" : L"") + std::to_wstring(i);
    ScopedCameras cameras(names.c_str());
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());

    IMoniker* guard = reinterpret_cast<IMoniker*>(0x7e57);
    IMoniker* monikers[12] = {};
    CString slots[12];
    monikers[10] = monikers[11] = guard;
    slots[10] = slots[11] = L"guard";
    EnumerateVideoDevices(monikers, slots, 10);
    for (int i = 0; i < 10; ++i) {
        CString expected;
        expected.Format(L"Dev-%02d", i);
        EXPECT_STREQ(slots[i], expected);
        EXPECT_NE(monikers[i], nullptr);
    }
    EXPECT_EQ(monikers[10], guard);
    EXPECT_EQ(monikers[11], guard);
    EXPECT_STREQ(slots[10], L"guard");
    EXPECT_STREQ(slots[11], L"guard");
    EXPECT_EQ(Record(), L"");

    // A second walk lets the first one's monikers go and fills the table anew.
    EnumerateVideoDevices(monikers, slots, 3);
    EXPECT_STREQ(slots[2], L"Dev-02");
    for (int i = 0; i < 10; ++i)
        CDeviceProbe::ReleaseInterface(monikers[i]);
}

TEST_F(Probe, ADeviceWithoutANameLeavesItsSlotEmpty)
{
    OtherDevicesAway away;
    ASSERT_HRESULT_SUCCEEDED(away.Result());
    ScopedCameras cameras(L"Dev-00;Dev-01;Dev-02");
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    // Listed between the first and the second camera.
    FakeDevice nameless(L"Nameless", L"Veltrane UVC camera 00a");
    ASSERT_HRESULT_SUCCEEDED(nameless.Result());
    ASSERT_TRUE(nameless.ForgetName());

    CDeviceProbe probe(L"Dev-01");
    EXPECT_TRUE(probe.m_bFound);
    probe.EnumerateDevices();
    const LPCWSTR expected[] = {L"Dev-00", L"", L"Dev-01", L"Dev-02", L"", L"", L"", L"", L"", L""};
    for (int i = 0; i < CDeviceProbe::kDeviceSlots; ++i) {
        EXPECT_STREQ(probe.GetDeviceName(i), expected[i]) << i;
        EXPECT_EQ(probe.GetDeviceMoniker(i) != nullptr, *expected[i] != 0) << i;
    }
    EXPECT_EQ(Record(), L"");
}

// ---------------------------------------------------------------- frame sizes

// The media types' pUnk, counted: every media type handed out must be freed.
class Token : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override
    {
        if (iid == IID_IUnknown) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ULONG(++m_refs); }
    STDMETHODIMP_(ULONG) Release() override { return ULONG(--m_refs); }
    long m_refs = 0;
};

struct Cap {
    LONG width, height;
    GUID subtype;
    GUID format;
    ULONG formatSize;
};

class FakeStreamConfig : public IAMStreamConfig {
public:
    FakeStreamConfig(std::vector<Cap> caps, int capsSize = sizeof(VIDEO_STREAM_CONFIG_CAPS))
        : m_caps(std::move(caps)), m_capsSize(capsSize)
    {
    }
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override
    {
        *ppv = (iid == IID_IUnknown || iid == IID_IAMStreamConfig) ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE**) override { return E_NOTIMPL; }
    STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override
    {
        *count = int(m_caps.size());
        *size = m_capsSize;
        return S_OK;
    }
    STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) override
    {
        if (index < 0 || index >= int(m_caps.size()))
            return S_FALSE;
        const Cap& c = m_caps[size_t(index)];
        AM_MEDIA_TYPE* mt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
        *mt = AM_MEDIA_TYPE{};
        mt->majortype = MEDIATYPE_Video;
        mt->subtype = c.subtype;
        mt->formattype = c.format;
        mt->cbFormat = c.formatSize;
        mt->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(c.formatSize));
        ZeroMemory(mt->pbFormat, c.formatSize);
        // Both header kinds start their bitmap header at different offsets;
        // fill the one the format names, as far as the block reaches.
        BITMAPINFOHEADER bih = {};
        bih.biSize = sizeof bih;
        bih.biWidth = c.width;
        bih.biHeight = c.height;
        const size_t at = c.format == FORMAT_VideoInfo2 ? offsetof(VIDEOINFOHEADER2, bmiHeader)
                                                        : offsetof(VIDEOINFOHEADER, bmiHeader);
        if (c.formatSize >= at + sizeof bih)
            CopyMemory(mt->pbFormat + at, &bih, sizeof bih);
        mt->pUnk = &m_token;
        m_token.AddRef();
        *type = mt;
        ZeroMemory(caps, sizeof(VIDEO_STREAM_CONFIG_CAPS));
        return S_OK;
    }
    Token m_token;

private:
    std::vector<Cap> m_caps;
    int m_capsSize;
};

const ULONG kVih = sizeof(VIDEOINFOHEADER);

TEST(FrameSizes, SortedByHeightOnePerHeightTheFirstKept)
{
    FakeStreamConfig config({
        {640, 480, MEDIASUBTYPE_RGB24, FORMAT_VideoInfo, kVih},
        {320, 240, MEDIASUBTYPE_RGB24, FORMAT_VideoInfo, kVih},
        {640, 480, MEDIASUBTYPE_YUY2, FORMAT_VideoInfo, kVih},
        {1280, 960, MEDIASUBTYPE_RGB24, FORMAT_VideoInfo, kVih},
        // Blocks that are no VIDEOINFOHEADER, or too short for one, are passed over.
        {160, 120, MEDIASUBTYPE_RGB24, FORMAT_VideoInfo2, sizeof(VIDEOINFOHEADER2)},
        {176, 144, MEDIASUBTYPE_RGB24, FORMAT_VideoInfo, 16},
    });
    CPtrArray sizes;
    ListStreamFrameSizes(&config, sizes);
    ASSERT_EQ(sizes.GetSize(), 3);
    const LONG heights[] = {240, 480, 960};
    const LONG widths[] = {320, 640, 1280};
    for (int i = 0; i < 3; ++i) {
        const FrameSizeRecord* r = static_cast<FrameSizeRecord*>(sizes.GetAt(i));
        EXPECT_EQ(r->height, heights[i]);
        EXPECT_EQ(r->width, widths[i]);
    }
    EXPECT_TRUE(static_cast<FrameSizeRecord*>(sizes.GetAt(1))->subtype == MEDIASUBTYPE_RGB24);
    // Every media type handed out was freed.
    EXPECT_EQ(config.m_token.m_refs, 0);

    // A second listing starts afresh; a capability block of another size lists nothing.
    ListStreamFrameSizes(&config, sizes);
    EXPECT_EQ(sizes.GetSize(), 3);
    FakeStreamConfig odd({{640, 480, MEDIASUBTYPE_RGB24, FORMAT_VideoInfo, kVih}}, 64);
    ListStreamFrameSizes(&odd, sizes);
    EXPECT_EQ(sizes.GetSize(), 0);
    ListStreamFrameSizes(nullptr, sizes);
    EXPECT_EQ(sizes.GetSize(), 0);
    FreeFrameSizes(sizes);
}

}  // namespace
