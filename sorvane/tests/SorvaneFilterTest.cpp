// The Sorvane plug-in as a host sees it: created by class id from the
// registered Sorvane.ax, in graphs of Wine's own filters.
#include "GraphHelpers.h"
#include "PixelOps.h"
#include "Sorvane.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace {

// Debugger traces of this thread's OutputDebugStringA calls, seen as the
// exception that carries them to a debugger.
std::vector<std::string> g_traces;
DWORD g_traceThread = 0;

LONG CALLBACK CatchTrace(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    if (r->ExceptionCode == DBG_PRINTEXCEPTION_C && r->NumberParameters >= 2 &&
        GetCurrentThreadId() == g_traceThread)
        g_traces.emplace_back(reinterpret_cast<const char*>(r->ExceptionInformation[1]),
                              size_t(r->ExceptionInformation[0]) ? size_t(r->ExceptionInformation[0]) - 1 : 0);
    return EXCEPTION_CONTINUE_SEARCH;
}

class TraceCatcher {
public:
    TraceCatcher()
    {
        g_traces.clear();
        g_traceThread = GetCurrentThreadId();
        m_handler = AddVectoredExceptionHandler(1, CatchTrace);
    }
    ~TraceCatcher() { RemoveVectoredExceptionHandler(m_handler); }
    static bool Saw(const std::string& line)
    {
        for (const std::string& t : g_traces)
            if (t == line)
                return true;
        return false;
    }

private:
    void* m_handler;
};

const int kWidth = 33;  // rows of 99 bytes padded to 100
const int kHeight = 17;

std::vector<BYTE> Pattern(int width, int height)
{
    std::vector<BYTE> f(size_t(DibStride(width)) * size_t(height));
    for (size_t i = 0; i < f.size(); ++i)
        f[i] = BYTE((i * 2654435761u) >> 13);
    return f;
}

TestSourceConfig Rgb24(int width = kWidth, int height = kHeight)
{
    TestSourceConfig c;
    c.width = width;
    c.height = height;
    c.frame = Pattern(width, abs(height));
    return c;
}

void Connect(IGraphBuilder* graph, IBaseFilter* from, IBaseFilter* to, int outIndex = 0)
{
    Com<IPin> out(FindPin(from, PINDIR_OUTPUT, outIndex)), in(FindPin(to, PINDIR_INPUT));
    ASSERT_TRUE(out && in);
    ASSERT_HRESULT_SUCCEEDED(graph->ConnectDirect(out.Get(), in.Get(), nullptr));
}

class SorvaneFilterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        ASSERT_HRESULT_SUCCEEDED(CreateFilter(CLSID_SorvaneFilter, &m_sorvane));
        ASSERT_HRESULT_SUCCEEDED(m_sorvane->QueryInterface(IID_ISorvane, m_settings.OutVoid()));
        ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                                  IID_IGraphBuilder, m_graph.OutVoid()));
    }
    void TearDown() override
    {
        m_graph.Reset();
        m_settings.Reset();
        m_sorvane.Reset();
        CoUninitialize();
    }

    // Source -> Sorvane -> Sample Grabber -> Null Renderer in the graph.
    void Chain(CTestSource* source, Com<ISampleGrabber>* grabber)
    {
        Com<IBaseFilter> grabberFilter, renderer;
        ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(source->Filter(), L"Source"));
        ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(m_sorvane.Get(), L"Kelm Sorvane"));
        ASSERT_HRESULT_SUCCEEDED(AddGrabber(m_graph.Get(), L"Grabber", &grabberFilter, grabber));
        ASSERT_HRESULT_SUCCEEDED(CreateFilter(CLSID_NullRenderer, &renderer));
        ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(renderer.Get(), L"Null"));
        Connect(m_graph.Get(), source->Filter(), m_sorvane.Get());
        Connect(m_graph.Get(), m_sorvane.Get(), grabberFilter.Get());
        Connect(m_graph.Get(), grabberFilter.Get(), renderer.Get());
    }

    // The chain run until frames arrive; the grabbed frame.
    std::vector<BYTE> Process(const TestSourceConfig& config)
    {
        Com<CTestSource> source(CTestSource::Create(config));
        Com<ISampleGrabber> grabber;
        Chain(source.Get(), &grabber);
        EXPECT_TRUE(RunUntilFrames(m_graph.Get(), source.Get(), 3, {grabber.Get()}));
        return GrabbedFrame(grabber.Get());
    }

    Com<IBaseFilter> m_sorvane;
    Com<ISorvane> m_settings;
    Com<IGraphBuilder> m_graph;
};

// One row of the frame-processing table: what is set through ISorvane, and
// what the pixel operations make of the source frame for it.
struct ProcessCase {
    const char* name;
    std::function<void(ISorvane*)> set;
    std::function<void(BYTE*, int, int)> expect;
};

TEST_F(SorvaneFilterTest, FramesComeOutAsThePixelOperationsMakeThem)
{
    auto all = [](ISorvane* s) {
        s->put_Flip(TRUE);
        s->put_Mirror(TRUE);
        s->put_Gray(TRUE);
        s->put_Invert(TRUE);
        s->put_Binary(TRUE, 100);
        s->put_Emboss(TRUE);
        s->put_Sharp(TRUE);
        s->put_AddOne(TRUE);
        s->put_AddTwo(TRUE);
        s->put_Multiply(TRUE, 15);
        s->put_RgbGain(TRUE, 10, -20, 30);
    };
    const ProcessCase cases[] = {
        {"defaults change nothing", [](ISorvane*) {}, [](BYTE*, int, int) {}},
        {"enable off passes everything", [&](ISorvane* s) { all(s); s->put_EnableProcess(FALSE); },
         [](BYTE*, int, int) {}},
        {"flip", [](ISorvane* s) { s->put_Flip(TRUE); }, ImgFlip},
        {"mirror", [](ISorvane* s) { s->put_Mirror(TRUE); }, ImgMirror},
        {"gray", [](ISorvane* s) { s->put_Gray(TRUE); }, ImgGray},
        {"invert", [](ISorvane* s) { s->put_Invert(TRUE); }, ImgInvert},
        {"binary", [](ISorvane* s) { s->put_Binary(TRUE, 90); },
         [](BYTE* f, int w, int h) { ImgBinary(f, w, h, 90); }},
        {"emboss", [](ISorvane* s) { s->put_Emboss(TRUE); }, ImgEmboss},
        {"sharp", [](ISorvane* s) { s->put_Sharp(TRUE); }, ImgSharp},
        {"add one", [](ISorvane* s) { s->put_AddOne(TRUE); }, ImgAddOne},
        {"add two", [](ISorvane* s) { s->put_AddTwo(TRUE); }, ImgAddTwo},
        {"multiply 0.7", [](ISorvane* s) { s->put_Multiply(TRUE, 7); },
         [](BYTE* f, int w, int h) { ImgMultiply(f, w, h, 0.7f); }},
        {"rgb offsets", [](ISorvane* s) { s->put_RgbGain(TRUE, 10, -20, 30); },
         [](BYTE* f, int w, int h) { ImgRgbGain(f, w, h, 10, -20, 30); }},
        {"flags off keep their parameters out", [](ISorvane* s) {
             s->put_Binary(FALSE, 90);
             s->put_Multiply(FALSE, 30);
             s->put_RgbGain(FALSE, 5, 5, 5);
         }, [](BYTE*, int, int) {}},
        {"flip, mirror and invert compose", [](ISorvane* s) {
             s->put_Invert(TRUE);
             s->put_Mirror(TRUE);
             s->put_Flip(TRUE);
         }, [](BYTE* f, int w, int h) { ImgFlip(f, w, h); ImgMirror(f, w, h); ImgInvert(f, w, h); }},
        {"the whole chain in its order", all, [](BYTE* f, int w, int h) {
             ImgFlip(f, w, h);
             ImgMirror(f, w, h);
             ImgGray(f, w, h);
             ImgInvert(f, w, h);
             ImgBinary(f, w, h, 100);
             ImgEmboss(f, w, h);
             ImgSharp(f, w, h);
             ImgAddOne(f, w, h);
             ImgAddTwo(f, w, h);
             ImgMultiply(f, w, h, 1.5f);
             ImgRgbGain(f, w, h, 10, -20, 30);
         }},
        {"gray then sharp", [](ISorvane* s) { s->put_Sharp(TRUE); s->put_Gray(TRUE); },
         [](BYTE* f, int w, int h) { ImgGray(f, w, h); ImgSharp(f, w, h); }},
    };
    for (const ProcessCase& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        c.set(m_settings.Get());
        const TestSourceConfig config = Rgb24();
        std::vector<BYTE> expected = config.frame;
        c.expect(expected.data(), kWidth, kHeight);
        EXPECT_EQ(Process(config), expected);
    }
}

TEST_F(SorvaneFilterTest, MaskOverlayCopiesAllButTheKeyColour)
{
    const TestSourceConfig config = Rgb24();
    // Left half the key colour (1, 1, 1), right half a solid colour.
    std::vector<BYTE> mask(config.frame.size(), 0);
    const int stride = DibStride(kWidth);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            BYTE* p = &mask[size_t(y) * stride + x * 3];
            if (x < kWidth / 2)
                p[0] = p[1] = p[2] = 1;
            else
                p[0] = 200, p[1] = 100, p[2] = 50;
        }
    BYTE* maskImage = mask.data();
    m_settings->put_MaskOverlay(TRUE, &maskImage);

    std::vector<BYTE> expected = config.frame;
    for (int y = 0; y < kHeight; ++y)
        for (int x = kWidth / 2; x < kWidth; ++x) {
            BYTE* p = &expected[size_t(y) * stride + x * 3];
            p[0] = 200, p[1] = 100, p[2] = 50;
        }
    EXPECT_EQ(Process(config), expected);
}

TEST_F(SorvaneFilterTest, MaskFlagWithoutAnImageSkipsTheOverlay)
{
    BYTE* gone = nullptr;
    for (BYTE** mask : {static_cast<BYTE**>(nullptr), &gone}) {
        TearDown();
        SetUp();
        m_settings->put_Invert(TRUE);
        m_settings->put_MaskOverlay(TRUE, mask);
        const TestSourceConfig config = Rgb24();
        std::vector<BYTE> expected = config.frame;
        ImgInvert(expected.data(), kWidth, kHeight);
        EXPECT_EQ(Process(config), expected);
    }
}

// Masks that the caller makes unreadable as soon as put_MaskOverlay has
// replaced them; a read of one is counted and let through.
struct StaleMasks {
    std::vector<BYTE*> blocks;
    SIZE_T size = 0;
    volatile LONG reads = 0;
};
StaleMasks* g_stale = nullptr;

LONG CALLBACK CatchStaleRead(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    if (!g_stale || r->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || r->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    const BYTE* at = reinterpret_cast<const BYTE*>(r->ExceptionInformation[1]);
    for (BYTE* block : g_stale->blocks)
        if (at >= block && at < block + g_stale->size) {
            InterlockedIncrement(&g_stale->reads);
            DWORD old;
            VirtualProtect(block, g_stale->size, PAGE_READWRITE, &old);
            return EXCEPTION_CONTINUE_EXECUTION;
        }
    return EXCEPTION_CONTINUE_SEARCH;
}

// The caller's side of the borrowed mask: once put_MaskOverlay has returned
// with a new mask (or none), the old image and its pointer variable are
// never read again, with frames streaming all the while.
TEST_F(SorvaneFilterTest, ReplacedMaskIsNeverReadWhileFramesStream)
{
    const int width = 160, height = 120, rounds = 120;
    const TestSourceConfig config = Rgb24(width, height);
    const size_t imageBytes = config.frame.size();
    StaleMasks stale;
    stale.size = 64 + imageBytes;
    // Each block: the pointer variable, then the image: a solid colour of
    // its round with a key-coloured left column.
    for (int i = 0; i < rounds; ++i) {
        BYTE* block = static_cast<BYTE*>(VirtualAlloc(nullptr, stale.size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        ASSERT_NE(block, nullptr);
        stale.blocks.push_back(block);
        BYTE* image = block + 64;
        *reinterpret_cast<BYTE**>(block) = image;
        std::fill(image, image + imageBytes, BYTE(10 + i));
        for (int y = 0; y < height; ++y)
            std::fill(image + size_t(y) * DibStride(width), image + size_t(y) * DibStride(width) + 3, BYTE(1));
    }
    g_stale = &stale;
    void* handler = AddVectoredExceptionHandler(1, CatchStaleRead);

    Com<CTestSource> source(CTestSource::Create(config));
    Com<ISampleGrabber> grabber;
    ASSERT_NO_FATAL_FAILURE(Chain(source.Get(), &grabber));
    Com<IMediaControl> control;
    Com<IMediaFilter> clockless;
    ASSERT_HRESULT_SUCCEEDED(m_graph->QueryInterface(IID_IMediaControl, control.OutVoid()));
    ASSERT_HRESULT_SUCCEEDED(m_graph->QueryInterface(IID_IMediaFilter, clockless.OutVoid()));
    clockless->SetSyncSource(nullptr);
    ASSERT_HRESULT_SUCCEEDED(control->Run());
    // Until n more frames have left the source; false after 10 s.
    auto framesPass = [&](LONG n) {
        const LONG until = source->FramesDelivered() + n;
        const DWORD start = GetTickCount();
        while (source->FramesDelivered() < until) {
            if (GetTickCount() - start > 10000)
                return false;
            Sleep(0);
        }
        return true;
    };
    bool streamed = true;
    for (int i = 0; i < rounds && streamed; ++i) {
        // Every fifth round turns the overlay off in between.
        if (i % 5 == 4) {
            m_settings->put_MaskOverlay(FALSE, nullptr);
            DWORD old;
            VirtualProtect(stale.blocks[i - 1], stale.size, PAGE_NOACCESS, &old);
            streamed = framesPass(1);
        }
        m_settings->put_MaskOverlay(TRUE, reinterpret_cast<BYTE**>(stale.blocks[i]));
        if (i > 0 && i % 5 != 4) {
            DWORD old;
            VirtualProtect(stale.blocks[i - 1], stale.size, PAGE_NOACCESS, &old);
        }
        streamed = streamed && framesPass(1);
    }
    // Past the frames already queued with the earlier masks.
    streamed = streamed && framesPass(config.buffers + 2);
    control->Stop();
    RemoveVectoredExceptionHandler(handler);
    g_stale = nullptr;

    EXPECT_TRUE(streamed) << "the source stalled";
    EXPECT_EQ(stale.reads, 0) << "frames read a mask after it was replaced";
    // The last mask was taken: all but the key column is its colour.
    std::vector<BYTE> expected(imageBytes, BYTE(10 + rounds - 1));
    for (int y = 0; y < height; ++y)
        std::copy_n(&config.frame[size_t(y) * DibStride(width)], 3, &expected[size_t(y) * DibStride(width)]);
    EXPECT_EQ(GrabbedFrame(grabber.Get()), expected);
    for (BYTE* block : stale.blocks)
        VirtualFree(block, 0, MEM_RELEASE);
}

TEST_F(SorvaneFilterTest, FrameSizeIsTheConnectedOneNotTheLastQueried)
{
    const TestSourceConfig config = Rgb24();
    Com<CTestSource> source(CTestSource::Create(config));
    Com<ISampleGrabber> grabber;
    ASSERT_NO_FATAL_FAILURE(Chain(source.Get(), &grabber));

    // Candidate types asked about after the connection: larger and smaller.
    Com<IPin> in(FindPin(m_sorvane.Get(), PINDIR_INPUT));
    for (int size : {640, 8}) {
        VIDEOINFOHEADER vih = {};
        vih.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        vih.bmiHeader.biWidth = size;
        vih.bmiHeader.biHeight = size / 2;
        vih.bmiHeader.biBitCount = 24;
        vih.bmiHeader.biPlanes = 1;
        CMediaType mt;
        mt.SetType(&MEDIATYPE_Video);
        mt.SetSubtype(&MEDIASUBTYPE_RGB24);
        mt.SetFormatType(&FORMAT_VideoInfo);
        mt.SetFormat(reinterpret_cast<BYTE*>(&vih), sizeof(vih));
        in->QueryAccept(&mt);
    }
    m_settings->put_Flip(TRUE);
    ASSERT_TRUE(RunUntilFrames(m_graph.Get(), source.Get(), 3, {grabber.Get()}));
    std::vector<BYTE> expected = config.frame;
    ImgFlip(expected.data(), kWidth, kHeight);
    EXPECT_EQ(GrabbedFrame(grabber.Get()), expected);
}

TEST_F(SorvaneFilterTest, SampleShorterThanTheFramePassesUntouched)
{
    TestSourceConfig config = Rgb24();
    config.actualLength = long(config.frame.size() / 2);
    m_settings->put_Flip(TRUE);
    m_settings->put_Invert(TRUE);
    const std::vector<BYTE> expected(config.frame.begin(), config.frame.begin() + config.actualLength);
    EXPECT_EQ(Process(config), expected);
}

TEST_F(SorvaneFilterTest, TopDownFramesAreProcessedOnTheirRealHeight)
{
    const TestSourceConfig config = Rgb24(kWidth, -kHeight);
    m_settings->put_Sharp(TRUE);
    std::vector<BYTE> expected = config.frame;
    ImgSharp(expected.data(), kWidth, kHeight);
    EXPECT_EQ(Process(config), expected);
}

TEST_F(SorvaneFilterTest, AcceptsOnlyRgb24VideoWhileStopped)
{
    Com<CTestSource> source(CTestSource::Create(Rgb24()));
    ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(source->Filter(), L"Source"));
    ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(m_sorvane.Get(), L"Kelm Sorvane"));
    Com<IPin> out(FindPin(source->Filter(), PINDIR_OUTPUT)), in(FindPin(m_sorvane.Get(), PINDIR_INPUT));

    struct Case {
        const char* name;
        GUID major, sub;
        HRESULT expected;
    } cases[] = {
        {"RGB24", MEDIATYPE_Video, MEDIASUBTYPE_RGB24, S_OK},
        {"RGB32", MEDIATYPE_Video, MEDIASUBTYPE_RGB32, E_INVALIDARG},
        {"YUY2", MEDIATYPE_Video, MEDIASUBTYPE_YUY2, E_INVALIDARG},
        {"RGB565", MEDIATYPE_Video, MEDIASUBTYPE_RGB565, E_INVALIDARG},
        {"audio", MEDIATYPE_Audio, MEDIASUBTYPE_RGB24, E_INVALIDARG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMediaType mt;
        mt.SetType(&c.major);
        mt.SetSubtype(&c.sub);
        EXPECT_EQ(in->ReceiveConnection(out.Get(), &mt), c.expected);
        in->Disconnect();
    }

    // A whole graph with an RGB32 source does not connect either, and says why.
    TraceCatcher traces;
    TestSourceConfig rgb32 = Rgb24();
    rgb32.bitCount = 32;
    Com<CTestSource> source32(CTestSource::Create(rgb32));
    ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(source32->Filter(), L"Source32"));
    Com<IPin> out32(FindPin(source32->Filter(), PINDIR_OUTPUT));
    EXPECT_HRESULT_FAILED(m_graph->ConnectDirect(out32.Get(), in.Get(), nullptr));
    EXPECT_TRUE(TraceCatcher::Saw("CheckInputType"));
    EXPECT_TRUE(TraceCatcher::Saw("CheckInputType failed"));
    EXPECT_TRUE(TraceCatcher::Saw("CheckInputType failed2"));
    EXPECT_FALSE(TraceCatcher::Saw("CSorvaneFilter::CompleteConnect"));
    EXPECT_HRESULT_SUCCEEDED(m_graph->ConnectDirect(out.Get(), in.Get(), nullptr));
    EXPECT_TRUE(TraceCatcher::Saw("CSorvaneFilter::CompleteConnect"));
}

TEST_F(SorvaneFilterTest, WorksInFrontOfTheSmartTeeAndRefusesTypesWhileRunning)
{
    const TestSourceConfig config = Rgb24();
    Com<CTestSource> source(CTestSource::Create(config));
    Com<IBaseFilter> tee, grabberFilter1, grabberFilter2, null1, null2;
    Com<ISampleGrabber> grabber1, grabber2;
    ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(source->Filter(), L"Source"));
    ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(m_sorvane.Get(), L"Kelm Sorvane"));
    ASSERT_HRESULT_SUCCEEDED(CreateFilter(CLSID_SmartTee, &tee));
    ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(tee.Get(), L"Smart Tee"));
    ASSERT_HRESULT_SUCCEEDED(AddGrabber(m_graph.Get(), L"Capture grabber", &grabberFilter1, &grabber1));
    ASSERT_HRESULT_SUCCEEDED(AddGrabber(m_graph.Get(), L"Preview grabber", &grabberFilter2, &grabber2));
    ASSERT_HRESULT_SUCCEEDED(CreateFilter(CLSID_NullRenderer, &null1));
    ASSERT_HRESULT_SUCCEEDED(CreateFilter(CLSID_NullRenderer, &null2));
    ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(null1.Get(), L"Null 1"));
    ASSERT_HRESULT_SUCCEEDED(m_graph->AddFilter(null2.Get(), L"Null 2"));
    Connect(m_graph.Get(), source->Filter(), m_sorvane.Get());
    Connect(m_graph.Get(), m_sorvane.Get(), tee.Get());
    Connect(m_graph.Get(), tee.Get(), grabberFilter1.Get(), 0);
    Connect(m_graph.Get(), tee.Get(), grabberFilter2.Get(), 1);
    Connect(m_graph.Get(), grabberFilter1.Get(), null1.Get());
    Connect(m_graph.Get(), grabberFilter2.Get(), null2.Get());
    m_settings->put_Gray(TRUE);

    Com<IMediaControl> control;
    ASSERT_HRESULT_SUCCEEDED(m_graph->QueryInterface(IID_IMediaControl, control.OutVoid()));
    Com<IMediaFilter> mediaFilter;
    ASSERT_HRESULT_SUCCEEDED(m_graph->QueryInterface(IID_IMediaFilter, mediaFilter.OutVoid()));
    mediaFilter->SetSyncSource(nullptr);
    TraceCatcher traces;
    // Several runs: a starved allocator shows as a hang on a later start.
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        const LONG before = source->FramesDelivered();
        ASSERT_HRESULT_SUCCEEDED(control->Run());
        Com<IPin> in(FindPin(m_sorvane.Get(), PINDIR_INPUT));
        AM_MEDIA_TYPE mt;
        ASSERT_HRESULT_SUCCEEDED(in->ConnectionMediaType(&mt));
        EXPECT_EQ(in->QueryAccept(&mt), S_FALSE);
        FreeMediaType(mt);
        const DWORD start = GetTickCount();
        while (source->FramesDelivered() < before + 20 && GetTickCount() - start < 10000)
            Sleep(5);
        EXPECT_GE(source->FramesDelivered(), before + 20);
        ASSERT_HRESULT_SUCCEEDED(control->Stop());
    }
    EXPECT_TRUE(TraceCatcher::Saw("StartStreaming"));
    EXPECT_TRUE(TraceCatcher::Saw("StopStreaming"));
    std::vector<BYTE> expected = config.frame;
    ImgGray(expected.data(), kWidth, kHeight);
    EXPECT_EQ(GrabbedFrame(grabber1.Get()), expected);
    EXPECT_EQ(GrabbedFrame(grabber2.Get()), expected);
}

TEST_F(SorvaneFilterTest, SettingsReadBackAsStored)
{
    ISorvane* s = m_settings.Get();
    BOOL flag = -1;
    long a = -1, b = -1, c = -1;
    // Initial values.
    s->get_EnableProcess(&flag);
    EXPECT_EQ(flag, TRUE);
    s->get_Binary(&flag, &a);
    EXPECT_EQ(flag, FALSE);
    EXPECT_EQ(a, 128);
    s->get_Multiply(&flag, &a);
    EXPECT_EQ(flag, FALSE);
    EXPECT_EQ(a, 10);
    s->get_RgbGain(&flag, &a, &b, &c);
    EXPECT_EQ(flag, FALSE);
    EXPECT_EQ(a + b + c, 0);

    using Put = HRESULT (STDMETHODCALLTYPE ISorvane::*)(BOOL);
    using Get = HRESULT (STDMETHODCALLTYPE ISorvane::*)(BOOL*);
    const struct { const char* name; Put put; Get get; } flags[] = {
        {"enable", &ISorvane::put_EnableProcess, &ISorvane::get_EnableProcess},
        {"flip", &ISorvane::put_Flip, &ISorvane::get_Flip},
        {"mirror", &ISorvane::put_Mirror, &ISorvane::get_Mirror},
        {"gray", &ISorvane::put_Gray, &ISorvane::get_Gray},
        {"invert", &ISorvane::put_Invert, &ISorvane::get_Invert},
        {"emboss", &ISorvane::put_Emboss, &ISorvane::get_Emboss},
        {"sharp", &ISorvane::put_Sharp, &ISorvane::get_Sharp},
        {"add one", &ISorvane::put_AddOne, &ISorvane::get_AddOne},
        {"add two", &ISorvane::put_AddTwo, &ISorvane::get_AddTwo},
    };
    for (const auto& f : flags) {
        SCOPED_TRACE(f.name);
        for (BOOL value : {TRUE, FALSE, 7}) {
            EXPECT_EQ((s->*f.put)(value), S_OK);
            flag = -1;
            EXPECT_EQ((s->*f.get)(&flag), S_OK);
            EXPECT_EQ(flag, value);
        }
    }
    // Parameters are stored as given, out of range or not.
    EXPECT_EQ(s->put_Binary(TRUE, 300), S_OK);
    s->get_Binary(&flag, &a);
    EXPECT_EQ(flag, TRUE);
    EXPECT_EQ(a, 300);
    EXPECT_EQ(s->put_Multiply(TRUE, -5), S_OK);
    s->get_Multiply(&flag, &a);
    EXPECT_EQ(a, -5);
    EXPECT_EQ(s->put_RgbGain(TRUE, 1, -2, 999), S_OK);
    s->get_RgbGain(&flag, &a, &b, &c);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, -2);
    EXPECT_EQ(c, 999);
    BYTE* image = nullptr;
    EXPECT_EQ(s->put_MaskOverlay(TRUE, &image), S_OK);
    flag = -1;
    EXPECT_EQ(s->get_MaskOverlay(&flag), S_OK);
    EXPECT_EQ(flag, TRUE);
}

TEST_F(SorvaneFilterTest, NamesOnePropertyPage)
{
    Com<ISpecifyPropertyPages> pages;
    TraceCatcher traces;
    ASSERT_HRESULT_SUCCEEDED(m_sorvane->QueryInterface(IID_ISpecifyPropertyPages, pages.OutVoid()));
    EXPECT_TRUE(TraceCatcher::Saw("NonDelegatingQueryInterface"));
    CAUUID ids = {};
    ASSERT_EQ(pages->GetPages(&ids), S_OK);
    ASSERT_EQ(ids.cElems, 1u);
    EXPECT_TRUE(IsEqualGUID(ids.pElems[0], CLSID_SorvanePropertyPage));
    CoTaskMemFree(ids.pElems);
    EXPECT_EQ(pages->GetPages(nullptr), E_POINTER);

    CLSID clsid;
    Com<IPersist> persist;
    ASSERT_HRESULT_SUCCEEDED(m_sorvane->QueryInterface(IID_IPersist, persist.OutVoid()));
    ASSERT_HRESULT_SUCCEEDED(persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualGUID(clsid, CLSID_SorvaneFilter));
    // Both interfaces lead back to one object.
    Com<IUnknown> a, b;
    m_sorvane->QueryInterface(IID_IUnknown, a.OutVoid());
    m_settings->QueryInterface(IID_IUnknown, b.OutVoid());
    EXPECT_EQ(a.Get(), b.Get());
}

TEST_F(SorvaneFilterTest, ModuleCanUnloadOnceEverythingIsReleased)
{
    HMODULE module = GetModuleHandleW(L"Sorvane.ax");
    ASSERT_NE(module, nullptr);
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    auto canUnload = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    ASSERT_NE(canUnload, nullptr);

    // A graph that ran holds the filter; releasing everything frees it.
    Process(Rgb24());
    EXPECT_EQ(canUnload(), S_FALSE);
    m_graph.Reset();
    EXPECT_EQ(canUnload(), S_FALSE);
    m_settings.Reset();
    m_sorvane.Reset();
    EXPECT_EQ(canUnload(), S_OK);
}

}  // namespace
