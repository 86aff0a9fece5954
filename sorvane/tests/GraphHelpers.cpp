#include "GraphHelpers.h"

IPin* FindPin(IBaseFilter* filter, PIN_DIRECTION dir, int skip)
{
    Com<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.Out())))
        return nullptr;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION d;
        if (SUCCEEDED(pin->QueryDirection(&d)) && d == dir && skip-- == 0)
            return pin;
        pin->Release();
    }
    return nullptr;
}

HRESULT CreateFilter(REFCLSID clsid, Com<IBaseFilter>* filter)
{
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter->OutVoid());
}

HRESULT AddGrabber(IGraphBuilder* graph, LPCWSTR name, Com<IBaseFilter>* filter, Com<ISampleGrabber>* grabber)
{
    HRESULT hr = CreateFilter(CLSID_SampleGrabber, filter);
    if (FAILED(hr))
        return hr;
    hr = (*filter)->QueryInterface(IID_ISampleGrabber, grabber->OutVoid());
    if (FAILED(hr))
        return hr;
    AM_MEDIA_TYPE mt = {};
    mt.majortype = MEDIATYPE_Video;
    mt.subtype = MEDIASUBTYPE_RGB24;
    (*grabber)->SetMediaType(&mt);
    (*grabber)->SetBufferSamples(TRUE);
    return graph->AddFilter(filter->Get(), name);
}

bool RunUntilFrames(IGraphBuilder* graph, CTestSource* source, LONG frames,
                    const std::vector<ISampleGrabber*>& grabbers, DWORD timeoutMs)
{
    Com<IMediaControl> control;
    Com<IMediaFilter> mediaFilter;
    if (FAILED(graph->QueryInterface(IID_IMediaControl, control.OutVoid())) ||
        FAILED(graph->QueryInterface(IID_IMediaFilter, mediaFilter.OutVoid())))
        return false;
    // No clock: frames go through as fast as the filters take them.
    mediaFilter->SetSyncSource(nullptr);
    if (FAILED(control->Run()))
        return false;
    const DWORD start = GetTickCount();
    bool done = false;
    while (!done && GetTickCount() - start < timeoutMs) {
        done = source->FramesDelivered() >= frames;
        for (ISampleGrabber* g : grabbers) {
            long size = 0;
            if (g->GetCurrentBuffer(&size, nullptr) != S_OK || size <= 0)
                done = false;
        }
        if (!done)
            Sleep(5);
    }
    control->Stop();
    return done;
}

std::vector<BYTE> GrabbedFrame(ISampleGrabber* grabber)
{
    long size = 0;
    if (grabber->GetCurrentBuffer(&size, nullptr) != S_OK || size <= 0)
        return {};
    std::vector<BYTE> frame(static_cast<size_t>(size));
    if (grabber->GetCurrentBuffer(&size, reinterpret_cast<long*>(frame.data())) != S_OK)
        return {};
    frame.resize(size_t(size));
    return frame;
}
