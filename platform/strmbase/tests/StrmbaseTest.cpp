// Where a fault in the base classes would hide behind a working filter:
// media-type agreement, object lifetimes, the in-place allocator hand-over,
// and registration. Built and run for both architectures.
#include "TestSource.h"
#include "Strmbase.h"

#include <gtest/gtest.h>

#include <initguid.h>

#include <string>

namespace {

// {2B0F4F61-8E0A-4C55-B7C6-5A1E2D3C4B01}
DEFINE_GUID(CLSID_TestInPlace, 0x2b0f4f61, 0x8e0a, 0x4c55, 0xb7, 0xc6, 0x5a, 0x1e, 0x2d, 0x3c, 0x4b, 0x01);

// Counts frames and inverts their first byte.
class CTestInPlace : public CTransInPlaceFilter {
public:
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr)
    {
        return new CTestInPlace(pUnk, phr);
    }
    CTestInPlace(LPUNKNOWN pUnk, HRESULT* phr) : CTransInPlaceFilter(L"Test in-place", pUnk, CLSID_TestInPlace, phr) {}

    HRESULT CheckInputType(const CMediaType* mt) override
    {
        return *mt->Type() == MEDIATYPE_Video ? S_OK : E_INVALIDARG;
    }
    HRESULT Transform(IMediaSample* sample) override
    {
        BYTE* p = nullptr;
        sample->GetPointer(&p);
        p[0] = BYTE(~p[0]);
        InterlockedIncrement(&m_frames);
        return S_OK;
    }
    bool SharesAllocator() const
    {
        return m_pInput->PeekAllocator() && m_pInput->PeekAllocator() == m_pOutput->PeekAllocator();
    }
    IMemAllocator* OutputAllocator() const { return m_pOutput->PeekAllocator(); }
    volatile LONG m_frames = 0;
};

const AMOVIESETUP_MEDIATYPE kTypes = {&MEDIATYPE_Video, &MEDIASUBTYPE_NULL};
const AMOVIESETUP_PIN kPins[] = {
    {const_cast<LPWSTR>(L"In"), FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, &kTypes},
};
const AMOVIESETUP_FILTER kSetup = {&CLSID_TestInPlace, L"Veltrane strmbase test filter", 0x600000, 1, kPins,
                                   &CLSID_VideoCompressorCategory};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"Veltrane strmbase test filter", &CLSID_TestInPlace, CTestInPlace::CreateInstance, nullptr, &kSetup},
};
int g_cTemplates = 1;

namespace {

TEST(MediaType, CopiesAreDeepAndCompareByValue)
{
    VIDEOINFOHEADER vih = {};
    vih.bmiHeader.biWidth = 8;
    CMediaType a;
    a.SetType(&MEDIATYPE_Video);
    a.SetSubtype(&MEDIASUBTYPE_RGB24);
    a.SetFormatType(&FORMAT_VideoInfo);
    ASSERT_TRUE(a.SetFormat(reinterpret_cast<BYTE*>(&vih), sizeof(vih)));
    CMediaType b(a);
    EXPECT_NE(a.Format(), b.Format());
    EXPECT_TRUE(a == b);
    reinterpret_cast<VIDEOINFOHEADER*>(b.Format())->bmiHeader.biWidth = 9;
    EXPECT_FALSE(a == b);
    AM_MEDIA_TYPE* c = CreateMediaType(&a);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(CMediaType(*c) == a);
    DeleteMediaType(c);
    EXPECT_FALSE(a.IsPartiallySpecified());
}

TEST(MediaType, PartialTypesMatchOnWhatTheyFix)
{
    VIDEOINFOHEADER vih = {};
    CMediaType full;
    full.SetType(&MEDIATYPE_Video);
    full.SetSubtype(&MEDIASUBTYPE_RGB24);
    full.SetFormatType(&FORMAT_VideoInfo);
    full.SetFormat(reinterpret_cast<BYTE*>(&vih), sizeof(vih));
    struct Case {
        const char* name;
        GUID major, sub, format;
        bool matches;
    } cases[] = {
        {"nothing fixed", GUID_NULL, GUID_NULL, GUID_NULL, true},
        {"major only", MEDIATYPE_Video, GUID_NULL, GUID_NULL, true},
        {"major and sub", MEDIATYPE_Video, MEDIASUBTYPE_RGB24, GUID_NULL, true},
        {"other major", MEDIATYPE_Audio, GUID_NULL, GUID_NULL, false},
        {"other sub", MEDIATYPE_Video, MEDIASUBTYPE_RGB32, GUID_NULL, false},
        {"format without its block", MEDIATYPE_Video, MEDIASUBTYPE_RGB24, FORMAT_VideoInfo, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMediaType partial;
        partial.SetType(&c.major);
        partial.SetSubtype(&c.sub);
        partial.SetFormatType(&c.format);
        EXPECT_EQ(bool(partial.IsPartiallySpecified()), c.format == GUID_NULL);
        EXPECT_EQ(bool(full.MatchesPartial(&partial)), c.matches);
    }
}

TEST(Objects, PinsKeepTheirFilterAliveAndAllReachZero)
{
    const LONG baseline = CBaseObject::ObjectsActive();
    CTestSource* source = CTestSource::Create(TestSourceConfig());
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(CBaseObject::ObjectsActive(), baseline + 2);  // filter and pin
    IPin* pin = nullptr;
    ASSERT_EQ(source->FindPin(L"Out", &pin), S_OK);
    IEnumPins* pins = nullptr;
    ASSERT_EQ(source->EnumPins(&pins), S_OK);
    EXPECT_EQ(source->Release(), 2u);  // the pin and the enumerator hold it
    pins->Release();
    PIN_INFO info;
    ASSERT_EQ(pin->QueryPinInfo(&info), S_OK);
    EXPECT_STREQ(info.achName, L"Out");
    EXPECT_EQ(info.dir, PINDIR_OUTPUT);
    info.pFilter->Release();
    EXPECT_EQ(pin->Release(), 0u);
    EXPECT_EQ(CBaseObject::ObjectsActive(), baseline);
}

class GraphTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                                  IID_IGraphBuilder, reinterpret_cast<void**>(&m_graph)));
    }
    void TearDown() override
    {
        if (m_graph)
            m_graph->Release();
        CoUninitialize();
    }
    IBaseFilter* Add(REFCLSID clsid, LPCWSTR name)
    {
        IBaseFilter* f = nullptr;
        EXPECT_HRESULT_SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                                  reinterpret_cast<void**>(&f)));
        if (f) {
            EXPECT_HRESULT_SUCCEEDED(m_graph->AddFilter(f, name));
        }
        return f;
    }
    void Connect(IBaseFilter* from, LPCWSTR outName, IBaseFilter* to, LPCWSTR inName)
    {
        IPin* out = nullptr;
        IPin* in = nullptr;
        ASSERT_EQ(from->FindPin(outName, &out), S_OK);
        ASSERT_EQ(to->FindPin(inName, &in), S_OK);
        EXPECT_HRESULT_SUCCEEDED(m_graph->ConnectDirect(out, in, nullptr));
        out->Release();
        in->Release();
    }
    // Runs until the filter saw `frames` frames; false on timeout.
    bool Run(CTestInPlace* filter, LONG frames)
    {
        IMediaControl* control = nullptr;
        IMediaFilter* mf = nullptr;
        m_graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control));
        m_graph->QueryInterface(IID_IMediaFilter, reinterpret_cast<void**>(&mf));
        mf->SetSyncSource(nullptr);
        mf->Release();
        const LONG start = filter->m_frames;
        bool ok = SUCCEEDED(control->Run());
        const DWORD t0 = GetTickCount();
        while (ok && filter->m_frames < start + frames && GetTickCount() - t0 < 10000)
            Sleep(5);
        ok = ok && filter->m_frames >= start + frames;
        EXPECT_HRESULT_SUCCEEDED(control->Stop());
        control->Release();
        return ok;
    }
    IGraphBuilder* m_graph = nullptr;
};

TEST_F(GraphTest, InPlaceFilterHandsTheUpstreamAllocatorOn)
{
    TestSourceConfig config;
    config.buffers = 4;
    CTestSource* source = CTestSource::Create(config);
    CTestInPlace* filter = new CTestInPlace(nullptr, nullptr);
    filter->NonDelegatingAddRef();
    ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(source, L"Source"));
    ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(filter, L"In place"));
    IBaseFilter* renderer = Add(CLSID_NullRenderer, L"Null");
    Connect(source, L"Out", filter, L"Input");
    Connect(filter, L"Output", renderer, L"In");

    EXPECT_TRUE(filter->SharesAllocator());
    ALLOCATOR_PROPERTIES props = {};
    ASSERT_NE(filter->OutputAllocator(), nullptr);
    filter->OutputAllocator()->GetProperties(&props);
    EXPECT_EQ(props.cBuffers, 4);
    for (int run = 0; run < 3; ++run)
        EXPECT_TRUE(Run(filter, 10)) << run;

    // Output and input types are one and the same.
    IPin* in = nullptr;
    IPin* out = nullptr;
    filter->FindPin(L"Input", &in);
    filter->FindPin(L"Output", &out);
    AM_MEDIA_TYPE a, b;
    in->ConnectionMediaType(&a);
    out->ConnectionMediaType(&b);
    EXPECT_TRUE(CMediaType(a) == CMediaType(b));
    FreeMediaType(a);
    FreeMediaType(b);
    in->Release();
    out->Release();
    renderer->Release();
    filter->Release();
    source->Release();
}

TEST_F(GraphTest, ConnectAgreesOnTypesThatMatchAPartialOne)
{
    CTestSource* source = CTestSource::Create(TestSourceConfig());
    CTestInPlace* filter = new CTestInPlace(nullptr, nullptr);
    filter->NonDelegatingAddRef();
    ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(source, L"Source"));
    ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(filter, L"In place"));
    IPin* out = nullptr;
    IPin* in = nullptr;
    ASSERT_EQ(source->FindPin(L"Out", &out), S_OK);
    ASSERT_EQ(filter->FindPin(L"Input", &in), S_OK);

    CMediaType audio;
    audio.SetType(&MEDIATYPE_Audio);
    EXPECT_HRESULT_FAILED(m_graph->ConnectDirect(out, in, &audio));
    IPin* connected = nullptr;
    EXPECT_EQ(out->ConnectedTo(&connected), VFW_E_NOT_CONNECTED);

    CMediaType rgb24;
    rgb24.SetType(&MEDIATYPE_Video);
    rgb24.SetSubtype(&MEDIASUBTYPE_RGB24);
    ASSERT_HRESULT_SUCCEEDED(m_graph->ConnectDirect(out, in, &rgb24));
    ASSERT_EQ(in->ConnectedTo(&connected), S_OK);
    EXPECT_EQ(connected, out);
    connected->Release();
    AM_MEDIA_TYPE mt;
    ASSERT_EQ(in->ConnectionMediaType(&mt), S_OK);
    EXPECT_TRUE(mt.formattype == FORMAT_VideoInfo);  // the source's whole type
    EXPECT_EQ(mt.cbFormat, ULONG(sizeof(VIDEOINFOHEADER)));
    FreeMediaType(mt);
    EXPECT_EQ(out->Connect(in, nullptr), VFW_E_ALREADY_CONNECTED);
    in->Release();
    out->Release();
    filter->Release();
    source->Release();
}

TEST_F(GraphTest, InPlaceFilterWritesIntoUpstreamBuffersOnlyWhenAllowed)
{
    for (bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only" : "writable");
        TearDown();
        SetUp();
        TestSourceConfig config;
        config.refill = false;
        config.readOnly = readOnly;
        config.countChanges = true;
        config.frame.assign(size_t(64 * 3) * 48, 7);  // 64 x 48 RGB24 rows need no padding
        CTestSource* source = CTestSource::Create(config);
        CTestInPlace* filter = new CTestInPlace(nullptr, nullptr);
        filter->NonDelegatingAddRef();
        ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(source, L"Source"));
        ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(filter, L"In place"));
        IBaseFilter* renderer = Add(CLSID_NullRenderer, L"Null");
        Connect(source, L"Out", filter, L"Input");
        Connect(filter, L"Output", renderer, L"In");
        EXPECT_TRUE(Run(filter, 30));
        // Writable buffers are processed where they are; read-only ones copied.
        if (readOnly)
            EXPECT_EQ(source->ChangedBuffers(), 0);
        else
            EXPECT_GT(source->ChangedBuffers(), 0);
        renderer->Release();
        filter->Release();
        source->Release();
    }
}

TEST_F(GraphTest, InPlaceFilterFeedsBothSmartTeeBranches)
{
    TestSourceConfig config;
    config.buffers = 3;
    CTestSource* source = CTestSource::Create(config);
    CTestInPlace* filter = new CTestInPlace(nullptr, nullptr);
    filter->NonDelegatingAddRef();
    ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(source, L"Source"));
    ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(filter, L"In place"));
    IBaseFilter* tee = Add(CLSID_SmartTee, L"Tee");
    IBaseFilter* null1 = Add(CLSID_NullRenderer, L"Null 1");
    IBaseFilter* null2 = Add(CLSID_NullRenderer, L"Null 2");
    Connect(source, L"Out", filter, L"Input");
    Connect(filter, L"Output", tee, L"Input");
    Connect(tee, L"Capture", null1, L"In");
    Connect(tee, L"Preview", null2, L"In");
    for (int run = 0; run < 3; ++run)
        EXPECT_TRUE(Run(filter, 30)) << run;
    for (IBaseFilter* f : {tee, null1, null2})
        f->Release();
    filter->Release();
    source->Release();
}

// The capture graph builder finds a source's pin by the category it reads
// through IKsPropertySet, and finds no pin of a source that names none.
TEST_F(GraphTest, CaptureGraphBuilderFindsPinsByTheirCategory)
{
    ICaptureGraphBuilder2* builder = nullptr;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                              IID_ICaptureGraphBuilder2, reinterpret_cast<void**>(&builder)));
    ASSERT_HRESULT_SUCCEEDED(builder->SetFiltergraph(m_graph));
    struct Case {
        GUID category;
        GUID asked;
        bool found;
    } cases[] = {
        {PIN_CATEGORY_CAPTURE, PIN_CATEGORY_CAPTURE, true},
        {PIN_CATEGORY_CAPTURE, PIN_CATEGORY_PREVIEW, false},
        {GUID_NULL, PIN_CATEGORY_CAPTURE, false},
    };
    for (const Case& c : cases) {
        TestSourceConfig config;
        config.pinCategory = c.category;
        CTestSource* source = CTestSource::Create(config);
        ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(source, L"Source"));
        IPin* pin = nullptr;
        const HRESULT hr = builder->FindPin(source, PINDIR_OUTPUT, &c.asked, &MEDIATYPE_Video, FALSE, 0, &pin);
        EXPECT_EQ(SUCCEEDED(hr) && pin == source->OutputPin(), c.found);
        if (pin)
            pin->Release();
        IKsPropertySet* props = nullptr;
        source->OutputPin()->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(&props));
        if (props) {
            GUID read = GUID_NULL;
            DWORD got = 0;
            EXPECT_EQ(props->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &read, sizeof(read), &got),
                      S_OK);
            EXPECT_TRUE(read == c.category && got == sizeof(GUID));
            EXPECT_EQ(props->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &read, 4, &got),
                      E_UNEXPECTED);
            EXPECT_EQ(props->Set(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &read, sizeof(read)),
                      E_PROP_ID_UNSUPPORTED);
            props->Release();
        }
        EXPECT_EQ(props != nullptr, c.category != GUID_NULL);
        m_graph->RemoveFilter(source);
        source->Release();
    }
    builder->Release();
}

struct Worker : CAMThread {
    DWORD ThreadProc() override
    {
        for (;;) {
            const DWORD request = GetRequest();
            Reply(request * 2);
            if (request == 0)
                return 0;
        }
    }
};

TEST(AMThread, AnswersEachRequestInTurn)
{
    Worker worker;
    ASSERT_TRUE(worker.Create());
    EXPECT_FALSE(worker.Create());
    EXPECT_EQ(worker.CallWorker(21), 42u);
    EXPECT_EQ(worker.CallWorker(5), 10u);
    EXPECT_EQ(worker.CallWorker(0), 0u);
    worker.Close();
    EXPECT_FALSE(worker.ThreadExists());
}

std::wstring ClassesValue(const std::wstring& key, LPCWSTR name)
{
    WCHAR data[MAX_PATH * 2] = {};
    DWORD size = sizeof(data);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return data;
}

TEST(Registration, ServerAndFilterEntriesComeAndGo)
{
    g_hInst = GetModuleHandleW(nullptr);
    WCHAR clsid[40], category[40];
    StringFromGUID2(CLSID_TestInPlace, clsid, 40);
    StringFromGUID2(CLSID_VideoCompressorCategory, category, 40);
    const std::wstring server = std::wstring(L"CLSID\\") + clsid;
    const std::wstring instance = std::wstring(L"CLSID\\") + category + L"\\Instance\\" + clsid;
    WCHAR self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);

    ASSERT_EQ(AMovieDllRegisterServer2(TRUE), S_OK);
    EXPECT_EQ(ClassesValue(server, nullptr), L"Veltrane strmbase test filter");
    EXPECT_EQ(ClassesValue(server + L"\\InprocServer32", nullptr), self);
    EXPECT_EQ(ClassesValue(server + L"\\InprocServer32", L"ThreadingModel"), L"Both");
    EXPECT_EQ(ClassesValue(instance, L"FriendlyName"), L"Veltrane strmbase test filter");

    ASSERT_EQ(AMovieDllRegisterServer2(FALSE), S_OK);
    EXPECT_EQ(ClassesValue(server, nullptr), L"<missing>");
    EXPECT_EQ(ClassesValue(instance, L"FriendlyName"), L"<missing>");
    EXPECT_EQ(AMovieDllRegisterServer2(FALSE), S_OK);
}

TEST(ClassFactory, MakesObjectsAndCountsLocks)
{
    IClassFactory* factory = nullptr;
    ASSERT_EQ(DllGetClassObject(CLSID_TestInPlace, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    IBaseFilter* filter = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter)), S_OK);
    IUnknown* inner = nullptr;
    EXPECT_EQ(factory->CreateInstance(filter, IID_IBaseFilter, reinterpret_cast<void**>(&inner)), E_NOINTERFACE);
    factory->LockServer(TRUE);
    factory->Release();
    filter->Release();
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    // Lock held by a factory that is gone: only the unlock frees the module.
    ASSERT_EQ(DllGetClassObject(CLSID_TestInPlace, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    factory->LockServer(FALSE);
    factory->Release();
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    void* nothing = nullptr;
    EXPECT_EQ(DllGetClassObject(CLSID_NULL, IID_IClassFactory, &nothing), CLASS_E_CLASSNOTAVAILABLE);
}

}  // namespace
