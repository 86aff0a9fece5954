#include "ZentuGraph.h"

#include "ZentuScene.h"

#include <cstring>

std::vector<std::wstring> VideoInputNames()
{
    std::vector<std::wstring> names;
    for (const VideoInput& input : VideoInputs())
        names.push_back(input.name);
    return names;
}

void ClearZentuRegistry()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quillon\\Zentu");
}

class ZentuGraph::Callback : public ISampleGrabberCB {
public:
    explicit Callback(bool copies) : m_copies(copies) { InitializeCriticalSection(&m_lock); }
    virtual ~Callback() { DeleteCriticalSection(&m_lock); }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_ISampleGrabberCB) {
            *ppv = static_cast<ISampleGrabberCB*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SampleCB(double, IMediaSample* sample) override
    {
        if (!m_copies) {
            InterlockedIncrement(&m_count);
            return S_OK;
        }
        Grabbed g;
        BYTE* p = nullptr;
        if (FAILED(sample->GetPointer(&p)))
            return S_OK;
        g.bytes.assign(p, p + sample->GetActualDataLength());
        sample->GetTime(&g.start, &g.end);
        EnterCriticalSection(&m_lock);
        m_frames.push_back(std::move(g));
        if (m_frames.size() > 8)
            m_frames.erase(m_frames.begin());
        InterlockedIncrement(&m_count);
        LeaveCriticalSection(&m_lock);
        return S_OK;
    }
    STDMETHODIMP BufferCB(double, BYTE*, long) override { return S_OK; }

    int Count() { return int(InterlockedCompareExchange(&m_count, 0, 0)); }
    // The last `n` frames, when at least `n` came after frame `after`.
    bool Last(int after, int n, std::vector<Grabbed>* out)
    {
        EnterCriticalSection(&m_lock);
        const bool ok = m_count - after >= n && int(m_frames.size()) >= n;
        if (ok)
            out->assign(m_frames.end() - n, m_frames.end());
        LeaveCriticalSection(&m_lock);
        return ok;
    }

private:
    const bool m_copies;
    CRITICAL_SECTION m_lock;  // m_frames, taken by the streaming thread and the test's
    std::vector<Grabbed> m_frames;
    volatile LONG m_count = 0;  // written by the streaming thread
};

ZentuGraph::ZentuGraph(Grab grab, Tee tee)
    : m_callback(new Callback(grab == Grab::Copies)), m_withTee(tee == Tee::SmartTee)
{
}

ZentuGraph::~ZentuGraph()
{
    if (m_control)
        m_control->Stop();
    if (m_grabber)
        m_grabber->SetCallback(nullptr, 0);
    m_control.Reset();
    m_config.Reset();
    m_zentu.Reset();
    m_capturePin.Reset();
    m_grabber.Reset();
    m_grabberFilter.Reset();
    m_null.Reset();
    m_previewNull.Reset();
    m_tee.Reset();
    m_camera.Reset();
    m_builder.Reset();
    m_graph.Reset();
    delete m_callback;
}

HRESULT ZentuGraph::Build(int size)
{
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                  m_graph.OutVoid());
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2,
                              m_builder.OutVoid());
    if (SUCCEEDED(hr))
        hr = m_builder->SetFiltergraph(m_graph.Get());
    if (SUCCEEDED(hr))
        hr = BindVideoInput(ZENTU_FILTER_NAME, m_camera.Out());
    if (SUCCEEDED(hr))
        hr = m_graph->AddFilter(m_camera.Get(), L"Zentu");
    if (SUCCEEDED(hr))
        hr = m_camera->QueryInterface(IID_IZentu, m_zentu.OutVoid());
    if (SUCCEEDED(hr))
        hr = m_graph->QueryInterface(IID_IMediaControl, m_control.OutVoid());
    if (SUCCEEDED(hr))
        hr = m_builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, m_camera.Get(), IID_IAMStreamConfig,
                                      m_config.OutVoid());
    if (SUCCEEDED(hr) && size >= 0) {
        AM_MEDIA_TYPE* mt = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps;
        hr = m_config->GetStreamCaps(size, &mt, reinterpret_cast<BYTE*>(&caps));
        if (hr == S_OK)
            hr = m_config->SetFormat(mt);
        if (mt)
            DeleteMediaType(mt);
    }
    if (SUCCEEDED(hr))
        hr = m_builder->FindPin(m_camera.Get(), PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, FALSE, 0,
                                m_capturePin.Out());
    // The pin the grabber takes its samples from: the tee's capture pin, or
    // the camera's own.
    IPin* feed = m_capturePin.Get();
    Com<IPin> teeIn, teeCapture, teePreview, grabIn, grabOut, nullIn, previewIn;
    if (m_withTee) {
        if (SUCCEEDED(hr))
            hr = CoCreateInstance(CLSID_SmartTee, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, m_tee.OutVoid());
        if (SUCCEEDED(hr))
            hr = m_graph->AddFilter(m_tee.Get(), L"Smart Tee");
        if (SUCCEEDED(hr))
            hr = m_tee->FindPin(L"Input", teeIn.Out());
        if (SUCCEEDED(hr))
            hr = m_graph->Connect(m_capturePin.Get(), teeIn.Get());
        if (SUCCEEDED(hr))
            hr = m_tee->FindPin(L"Capture", teeCapture.Out());
        feed = teeCapture.Get();
    }
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                              m_grabberFilter.OutVoid());
    if (SUCCEEDED(hr))
        hr = m_grabberFilter->QueryInterface(IID_ISampleGrabber, m_grabber.OutVoid());
    AM_MEDIA_TYPE mt = {};
    mt.majortype = MEDIATYPE_Video;
    mt.subtype = MEDIASUBTYPE_RGB24;
    if (SUCCEEDED(hr))
        hr = m_grabber->SetMediaType(&mt);
    if (SUCCEEDED(hr))
        hr = m_grabber->SetCallback(m_callback, 0);
    if (SUCCEEDED(hr))
        hr = m_graph->AddFilter(m_grabberFilter.Get(), L"Grabber");
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, m_null.OutVoid());
    if (SUCCEEDED(hr))
        hr = m_graph->AddFilter(m_null.Get(), L"Null");
    if (SUCCEEDED(hr))
        hr = m_grabberFilter->FindPin(L"In", grabIn.Out());
    if (SUCCEEDED(hr))
        hr = m_grabberFilter->FindPin(L"Out", grabOut.Out());
    if (SUCCEEDED(hr))
        hr = m_null->FindPin(L"In", nullIn.Out());
    if (SUCCEEDED(hr))
        hr = m_graph->ConnectDirect(feed, grabIn.Get(), nullptr);
    if (SUCCEEDED(hr))
        hr = m_graph->ConnectDirect(grabOut.Get(), nullIn.Get(), nullptr);
    if (m_withTee) {
        if (SUCCEEDED(hr))
            hr = CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  m_previewNull.OutVoid());
        if (SUCCEEDED(hr))
            hr = m_graph->AddFilter(m_previewNull.Get(), L"Preview null");
        if (SUCCEEDED(hr))
            hr = m_tee->FindPin(L"Preview", teePreview.Out());
        if (SUCCEEDED(hr))
            hr = m_previewNull->FindPin(L"In", previewIn.Out());
        if (SUCCEEDED(hr))
            hr = m_graph->Connect(teePreview.Get(), previewIn.Get());
    }
    if (SUCCEEDED(hr)) {
        // Samples carry the sensor's times; the grabber must not wait on them.
        Com<IMediaFilter> mf;
        if (SUCCEEDED(m_graph->QueryInterface(IID_IMediaFilter, mf.OutVoid())))
            mf->SetSyncSource(nullptr);
    }
    return hr;
}

HRESULT ZentuGraph::Run() { return m_control->Run(); }
HRESULT ZentuGraph::Pause() { return m_control->Pause(); }
HRESULT ZentuGraph::Stop() { return m_control->Stop(); }
int ZentuGraph::Frames() { return m_callback->Count(); }

bool ZentuGraph::WaitFrames(int count, DWORD ms)
{
    const DWORD t0 = GetTickCount();
    while (m_callback->Count() < count) {
        if (GetTickCount() - t0 > ms)
            return false;
        Sleep(5);
    }
    return true;
}

bool ZentuGraph::NextFrames(int count, std::vector<Grabbed>* frames, DWORD ms)
{
    const int after = m_callback->Count();
    const DWORD t0 = GetTickCount();
    while (!m_callback->Last(after, count, frames)) {
        if (GetTickCount() - t0 > ms)
            return false;
        Sleep(5);
    }
    return true;
}

bool ZentuGraph::WaitEvent(long code, DWORD ms, LONG_PTR* param)
{
    Com<IMediaEvent> events;
    if (FAILED(m_graph->QueryInterface(IID_IMediaEvent, events.OutVoid())))
        return false;
    const DWORD t0 = GetTickCount();
    for (;;) {
        long got = 0;
        LONG_PTR p1 = 0, p2 = 0;
        if (events->GetEvent(&got, &p1, &p2, 20) == S_OK) {
            events->FreeEventParams(got, p1, p2);
            if (got == code) {
                if (param)
                    *param = p1;
                return true;
            }
        }
        if (GetTickCount() - t0 > ms)
            return false;
    }
}

namespace {

struct Geometry {
    int width, height, skip;
    std::vector<std::pair<int, int>> defects;  // the driver's own table
};

Geometry GeometryOf(int size)
{
    switch (size) {
    case 0: return {2048, 1536, 1, {{100, 200}, {1000, 700}, {2000, 1500}}};
    case 2: return {640, 480, 3, {{10, 20}, {600, 400}}};
    default: return {1024, 768, 2, {{50, 60}, {900, 500}}};
    }
}

}  // namespace

std::vector<BYTE> SceneRawFrame(int size, CZentuSimControl& sim, BYTE stamp)
{
    const Geometry g = GeometryOf(size);
    std::vector<unsigned short> regs = sim.Registers();
    const unsigned long long factor = regs.size() > 53 ? zentu_scene_factor(regs[9], regs[53]) : 0;
    std::vector<BYTE> raw(size_t(g.width) * size_t(g.height));
    for (int y = 0; y < g.height; y++)
        for (int x = 0; x < g.width; x++)
            raw[size_t(y) * g.width + x] = zentu_scene_raw(ZSIM_SCENE_CHART, unsigned(x), unsigned(y),
                                                           unsigned(g.skip), unsigned(g.skip), factor);
    for (auto& d : g.defects)
        raw[size_t(d.second) * g.width + d.first] = 255;
    for (int i = 0; i < ZENTU_SCENE_STAMP_BYTES; i++)
        raw[size_t(i)] = stamp;
    return raw;
}

void PipelineOwnerOf(IZentu* zentu, ZentuOwner& owner)
{
    ZentuSettings& s = owner.settings;
    int size = 1, wb = 0, ae = 0, i = 0;
    BYTE r = 0, g = 0, b = 0, target = 0, v = 0;
    WORD time = 0, gain = 0;
    zentu->GetSize(&size);
    s.sizeIndex = uint32_t(size);
    zentu->GetWhiteBalance(&wb, &r, &g, &b);
    s.whiteBalanceRequest = uint32_t(wb);
    s.gainR = r;
    s.gainG = g;
    s.gainB = b;
    zentu->GetExposure(&ae, &target, &time, &gain);
    s.autoExposure = uint32_t(ae);
    s.aeTarget = target;
    s.exposureTime = time;
    s.gain = gain;
    zentu->GetGamma(&v);
    s.gamma = v;
    zentu->GetContrast(&v);
    s.contrast = v;
    zentu->GetSaturation(&i, &v);
    s.enableSaturation = uint32_t(i);
    s.saturation = v;
    zentu->GetWhiteBlack(&i);
    s.mono = uint32_t(i);
    zentu->GetVFlip(&i);
    s.vFlip = uint32_t(i);
    zentu->GetHFlip(&i);
    s.hFlip = uint32_t(i);
    zentu->GetSpeed(&v);
    s.speed = v;
    zentu->GetHZ(&i);
    s.hz = uint32_t(i);
    BuildToneTable(s.gamma, owner, s.contrast);
    UpdateChannelTables(owner);
    const Geometry geo = GeometryOf(size);
    owner.pipe.defects.count = uint16_t(geo.defects.size());
    for (size_t k = 0; k < geo.defects.size(); ++k) {
        owner.pipe.defects.column[k] = uint16_t(geo.defects[k].first);
        owner.pipe.defects.row[k] = uint16_t(geo.defects[k].second);
    }
}

std::vector<BYTE> ReferenceFrame(IZentu* zentu, const std::vector<BYTE>& rawIn)
{
    ZentuOwner owner;
    PipelineOwnerOf(zentu, owner);
    std::vector<BYTE> raw = rawIn;
    const ZentuFrameSize fs = ZentuSizeOf(owner.settings.sizeIndex);
    std::vector<BYTE> out(size_t(fs.outWidth) * fs.outHeight * 3);
    RunPipelineByStages(owner, raw.data(), out.data());
    return out;
}

int FrameMismatches(IZentu* zentu, int size, CZentuSimControl& sim, const std::vector<BYTE>& grabbed)
{
    const std::vector<BYTE> dark = ReferenceFrame(zentu, SceneRawFrame(size, sim, 0));
    const std::vector<BYTE> bright = ReferenceFrame(zentu, SceneRawFrame(size, sim, 255));
    if (grabbed.size() != dark.size())
        return -1;
    const ZentuFrameSize fs = ZentuSizeOf(uint32_t(size));
    const int w = fs.outWidth, h = fs.outHeight;
    // Pixels the counter bytes reach, and a margin round them.
    std::vector<bool> counter(size_t(w) * h, false);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const size_t p = (size_t(y) * w + x) * 3;
            if (std::memcmp(&dark[p], &bright[p], 3) == 0)
                continue;
            for (int dy = -2; dy <= 2; dy++)
                for (int dx = -2; dx <= 2; dx++)
                    if (y + dy >= 0 && y + dy < h && x + dx >= 0 && x + dx < w)
                        counter[size_t(y + dy) * w + x + dx] = true;
        }
    int bad = 0;
    for (size_t p = 0; p < counter.size(); p++)
        if (!counter[p])
            for (int c = 0; c < 3; c++)
                if (grabbed[p * 3 + c] != dark[p * 3 + c])
                    bad++;
    return bad;
}
