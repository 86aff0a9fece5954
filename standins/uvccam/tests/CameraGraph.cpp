#include "CameraGraph.h"

#include <gtest/gtest.h>

namespace {

const WCHAR kSimulatedCameraClsid[] = L"{7A3E5B21-4C1D-4E8F-9B2A-6D0C1E2F3A41}";

}  // namespace

std::wstring BesideProgram(LPCWSTR file)
{
    WCHAR path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path);
    return p.substr(0, p.find_last_of(L"\\/") + 1) + file;
}

std::vector<std::wstring> VideoInputNames(HRESULT* phr, bool all)
{
    std::vector<std::wstring> names;
    for (const VideoInput& input : VideoInputs(phr))
        if (all || _wcsicmp(input.clsid.c_str(), kSimulatedCameraClsid) == 0)
            names.push_back(input.name);
    return names;
}

void Frame::Pixel(int x, int y, int rgb[3]) const
{
    const int stride = (width * 24 + 31) / 32 * 4;
    const BYTE* p = &dib[size_t(height - 1 - y) * size_t(stride) + size_t(x) * 3];
    rgb[0] = p[2];
    rgb[1] = p[1];
    rgb[2] = p[0];
}

int Frame::R(int x, int y) const
{
    int c[3];
    Pixel(x, y, c);
    return c[0];
}

int Frame::G(int x, int y) const
{
    int c[3];
    Pixel(x, y, c);
    return c[1];
}

int Frame::B(int x, int y) const
{
    int c[3];
    Pixel(x, y, c);
    return c[2];
}

ULONG Frame::Counter() const
{
    ULONG counter = 0;
    for (int bit = 0; bit < 32; ++bit)
        counter = (counter << 1) | (G(8 + 8 * bit + 4, height / 2) > 127 ? 1 : 0);
    return counter;
}

CameraGraph::CameraGraph() = default;

CameraGraph::~CameraGraph()
{
    if (m_graph)
        Stop();
}

IAMStreamConfig* CameraGraph::StreamConfig()
{
    if (!m_config && m_builder && m_camera)
        m_builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, m_camera.Get(), IID_IAMStreamConfig,
                                 m_config.OutVoid());
    return m_config.Get();
}

HRESULT CameraGraph::Build(LPCWSTR cameraName, bool renderPreview)
{
    m_renderPreview = renderPreview;
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                  m_graph.OutVoid());
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2,
                              m_builder.OutVoid());
    if (SUCCEEDED(hr))
        hr = m_builder->SetFiltergraph(m_graph.Get());
    if (SUCCEEDED(hr))
        hr = BindVideoInput(cameraName, m_camera.Out());
    if (SUCCEEDED(hr))
        hr = m_graph->AddFilter(m_camera.Get(), L"Cap");
    if (FAILED(hr))
        return hr;
    return S_OK;
}

HRESULT CameraGraph::Run()
{
    HRESULT hr = S_OK;
    if (!m_tee) {
        hr = m_builder->FindPin(m_camera.Get(), PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, FALSE, 0,
                                m_capturePin.Out());
        if (SUCCEEDED(hr))
            hr = CoCreateInstance(CLSID_SmartTee, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, m_tee.OutVoid());
        if (SUCCEEDED(hr))
            hr = m_graph->AddFilter(m_tee.Get(), L"Smart Tee");
        Com<IPin> teeIn, teeCapture, teePreview, grabIn, grabOut, nullIn;
        if (SUCCEEDED(hr))
            hr = m_tee->FindPin(L"Input", teeIn.Out());
        if (SUCCEEDED(hr))
            hr = m_graph->Connect(m_capturePin.Get(), teeIn.Get());
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
            hr = m_graph->AddFilter(m_grabberFilter.Get(), L"Grabber");
        if (SUCCEEDED(hr))
            hr = CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  m_null.OutVoid());
        if (SUCCEEDED(hr))
            hr = m_graph->AddFilter(m_null.Get(), L"NULL renderer");
        if (SUCCEEDED(hr))
            hr = m_tee->FindPin(L"Capture", teeCapture.Out());
        if (SUCCEEDED(hr))
            hr = m_tee->FindPin(L"Preview", teePreview.Out());
        if (SUCCEEDED(hr))
            hr = m_grabberFilter->FindPin(L"In", grabIn.Out());
        if (SUCCEEDED(hr))
            hr = m_grabberFilter->FindPin(L"Out", grabOut.Out());
        if (SUCCEEDED(hr))
            hr = m_null->FindPin(L"In", nullIn.Out());
        if (SUCCEEDED(hr))
            hr = m_graph->ConnectDirect(teeCapture.Get(), grabIn.Get(), &mt);
        if (SUCCEEDED(hr))
            hr = m_graph->ConnectDirect(grabOut.Get(), nullIn.Get(), &mt);
        if (SUCCEEDED(hr))
            hr = m_grabber->SetBufferSamples(TRUE);
        if (SUCCEEDED(hr) && m_renderPreview) {
            hr = m_graph->Render(teePreview.Get());
        } else if (SUCCEEDED(hr)) {
            Com<IPin> previewIn;
            hr = CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  m_previewNull.OutVoid());
            if (SUCCEEDED(hr))
                hr = m_graph->AddFilter(m_previewNull.Get(), L"Preview renderer");
            if (SUCCEEDED(hr))
                hr = m_previewNull->FindPin(L"In", previewIn.Out());
            if (SUCCEEDED(hr))
                hr = m_graph->Connect(teePreview.Get(), previewIn.Get());
        }
        if (FAILED(hr))
            return hr;
    }
    Com<IMediaControl> control;
    hr = m_graph->QueryInterface(IID_IMediaControl, control.OutVoid());
    if (SUCCEEDED(hr))
        hr = control->Run();
    return hr;
}

HRESULT CameraGraph::Stop()
{
    Com<IMediaControl> control;
    HRESULT hr = m_graph->QueryInterface(IID_IMediaControl, control.OutVoid());
    if (SUCCEEDED(hr))
        hr = control->Stop();
    return hr;
}

bool CameraGraph::NextFrame(Frame* frame, DWORD ms)
{
    AM_MEDIA_TYPE mt = {};
    if (FAILED(m_grabber->GetConnectedMediaType(&mt)))
        return false;
    const BITMAPINFOHEADER bih = reinterpret_cast<VIDEOINFOHEADER*>(mt.pbFormat)->bmiHeader;
    FreeMediaType(mt);
    const DWORD t0 = GetTickCount();
    do {
        long size = 0;
        if (SUCCEEDED(m_grabber->GetCurrentBuffer(&size, nullptr)) && size > 0) {
            frame->width = bih.biWidth;
            frame->height = bih.biHeight;
            frame->dib.assign(size_t(size), 0);
            if (SUCCEEDED(m_grabber->GetCurrentBuffer(&size, reinterpret_cast<long*>(frame->dib.data())))) {
                const ULONG counter = frame->Counter();
                if (!m_seen || counter > m_lastCounter) {
                    m_seen = true;
                    m_lastCounter = counter;
                    return true;
                }
            }
        }
        Sleep(10);
    } while (GetTickCount() - t0 < ms);
    return false;
}

bool CameraGraph::SettledFrame(Frame* frame)
{
    if (!NextFrame(frame))
        return false;
    const ULONG first = frame->Counter();
    while (frame->Counter() < first + 8) {
        if (!NextFrame(frame))
            return false;
    }
    return true;
}
