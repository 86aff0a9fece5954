#include "DeviceProbe.h"

#include "Globals.h"
#include "Messages.h"
#include "Resource.h"

#include <AfxTestScript.h>

// qedit.h declares the interfaces only; the values are in libstrmiids.
EXTERN_C const CLSID CLSID_SampleGrabber;
EXTERN_C const CLSID CLSID_NullRenderer;

namespace {

void FreeMediaTypeBlock(AM_MEDIA_TYPE& mt)
{
    if (mt.cbFormat && mt.pbFormat)
        CoTaskMemFree(mt.pbFormat);
    mt.cbFormat = 0;
    mt.pbFormat = nullptr;
    if (mt.pUnk)
        mt.pUnk->Release();
    mt.pUnk = nullptr;
}

void DeleteMediaTypeBlock(AM_MEDIA_TYPE* mt)
{
    if (!mt)
        return;
    FreeMediaTypeBlock(*mt);
    CoTaskMemFree(mt);
}

// The VIDEOINFOHEADER of a media type, or null when its block is anything else.
const VIDEOINFOHEADER* VideoInfo(const AM_MEDIA_TYPE& mt)
{
    if (mt.formattype != FORMAT_VideoInfo || mt.cbFormat < sizeof(VIDEOINFOHEADER) || !mt.pbFormat)
        return nullptr;
    return reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat);
}

// "FriendlyName" of a device, or false when it cannot be read.
bool FriendlyName(IMoniker* moniker, CString& name)
{
    Com<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.OutVoid())) || !bag)
        return false;
    VARIANT value;
    VariantInit(&value);
    const bool read = SUCCEEDED(bag->Read(L"FriendlyName", &value, nullptr)) && value.vt == VT_BSTR;
    if (read)
        name = value.bstrVal;
    VariantClear(&value);
    return read;
}

}  // namespace

CDeviceProbe::CDeviceProbe(LPCWSTR name)
    : m_bFound(FALSE), m_strWanted(name), m_pChosenDevice(nullptr), m_bPreviewOn(FALSE), m_hOwner(nullptr),
      m_nVideoWidth(0), m_nVideoHeight(0)
{
    for (int i = 0; i < kDeviceSlots; ++i)
        m_pDeviceMonikers[i] = nullptr;
    m_strWanted.Trim();
    LookUp();
}

CDeviceProbe::~CDeviceProbe()
{
    FreeFrameSizes(m_FrameSizes);
    for (int i = 0; i < kDeviceSlots; ++i)
        ReleaseInterface(m_pDeviceMonikers[i]);
    ReleaseInterface(m_pChosenDevice);
}

void CDeviceProbe::LookUp()
{
    Com<ICreateDevEnum> devices;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                devices.OutVoid())))
        return;
    // An empty category answers S_FALSE with no enumerator.
    Com<IEnumMoniker> monikers;
    devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.Out(), 0);
    if (!monikers)
        return;
    monikers->Reset();
    BOOL found = FALSE;
    for (;;) {
        Com<IMoniker> moniker;
        if (monikers->Next(1, moniker.Out(), nullptr) != S_OK || !moniker)
            break;
        CString name;
        if (!FriendlyName(moniker.Get(), name))
            continue;
        name.Trim();
        OutputDebugStringW(name);
        OutputDebugStringW(m_strWanted);
        if (name.Find(m_strWanted) < 0)
            continue;
        OutputDebugStringW(name);
        if (g_HestralMode) {
            // The camera library opens the device itself; presence is enough.
            found = TRUE;
            break;
        }
        const HRESULT hr = moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, m_pDeviceFilter.OutVoid());
        CString code;
        code.Format(L"%x", hr);
        OutputDebugStringW(code);
        if (m_pDeviceFilter) {
            found = TRUE;
            break;
        }
    }
    m_bFound = found;
}

HRESULT CDeviceProbe::CreateProbeGraph()
{
    if (m_pChosenDevice)
        m_pChosenDevice->BindToObject(nullptr, nullptr, IID_IBaseFilter, m_pDeviceFilter.OutVoid());
    if (!m_bFound || !m_pDeviceFilter) {
        ShowNoCameraMessage();
        return E_FAIL;
    }
    CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2,
                     m_pBuilder.OutVoid());
    CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, m_pGraph.OutVoid());
    // Without its builder the graph is of no use either.
    if (!m_pGraph || !m_pBuilder) {
        ShowErrorBox(L"Could not create filter graph");
        return E_FAIL;
    }
    m_pBuilder->SetFiltergraph(m_pGraph.Get());
    const HRESULT hr = m_pGraph->AddFilter(m_pDeviceFilter.Get(), L"Cap");
    if (SUCCEEDED(hr))
        return hr;
    ShowNoCameraMessage();
    return E_FAIL;
}

void CDeviceProbe::Release()
{
    if (m_pGraph) {
        Com<IMediaControl> control;
        if (SUCCEEDED(control.QueryFrom(m_pGraph.Get(), IID_IMediaControl)))
            control->Stop();
        Com<IVideoWindow> window;
        if (SUCCEEDED(window.QueryFrom(m_pGraph.Get(), IID_IVideoWindow))) {
            window->put_Visible(OAFALSE);
            window->put_Owner(0);
        }
        m_pGraph.Reset();
    }
    m_pBuilder.Reset();
}

void CDeviceProbe::ChooseDevice(IMoniker* device)
{
    if (device == m_pChosenDevice)
        return;
    if (device) {
        device->AddRef();
        Com<IBaseFilter> test;
        if (FAILED(device->BindToObject(nullptr, nullptr, IID_IBaseFilter, test.OutVoid())) || !test) {
            device->Release();
            ReleaseInterface(m_pChosenDevice);
            return;
        }
    }
    ReleaseInterface(m_pChosenDevice);
    m_pChosenDevice = device;
    if (m_bPreviewOn) {
        StopPreview(TRUE);
        TearDownGraph();
    }
    Release();
    if (m_bPreviewOn) {
        CreateProbeGraph();
        BuildGrabberGraph(m_hOwner);
    }
}

HRESULT CDeviceProbe::BuildGrabberGraph(HWND window)
{
    if (!m_pDeviceFilter || !m_bFound || !m_pGraph || !m_pBuilder)
        return E_FAIL;

    HRESULT hr = CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_ALL, IID_ISampleGrabber,
                                  m_pGrabber.OutVoid());
    if (!m_pGrabber) {
        ShowErrorBox(L"Could not create SampleGrabber (is qedit.dll registered?)");
        return hr;
    }
    AM_MEDIA_TYPE wanted = {};
    wanted.majortype = MEDIATYPE_Video;
    wanted.subtype = MEDIASUBTYPE_RGB24;
    wanted.formattype = GUID_NULL;
    hr = m_pGrabber->SetMediaType(&wanted);
    if (FAILED(hr)) {
        ShowErrorBox(L"Could not set media type");
        return hr;
    }
    Com<IBaseFilter> grabber;
    grabber.QueryFrom(m_pGrabber.Get(), IID_IBaseFilter);
    hr = m_pGraph->AddFilter(grabber.Get(), L"Grabber");
    if (FAILED(hr)) {
        ShowErrorBox(L"Could not put sample grabber in graph");
        return hr;
    }

    Com<IBaseFilter> nullRenderer;
    Com<IPin> videoPort;
    if (SUCCEEDED(m_pBuilder->FindPin(m_pDeviceFilter.Get(), PINDIR_OUTPUT, &PIN_CATEGORY_VIDEOPORT, nullptr, FALSE,
                                      0, videoPort.Out())) &&
        videoPort) {
        CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_ALL, IID_IBaseFilter, nullRenderer.OutVoid());
        if (!nullRenderer) {
            // Reported as success with nothing rendered, as the player always did.
            ShowErrorBox(L"Unable to make a NULL renderer");
            return S_OK;
        }
        hr = m_pGraph->AddFilter(nullRenderer.Get(), L"NULL renderer");
        if (FAILED(hr)) {
            ShowErrorBox(L"Can't add the filter to graph");
            return hr;
        }
    }

    const struct {
        const GUID* category;
        const GUID* type;
    } routes[] = {
        {&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Interleaved},
        {&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video},
        {&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video},
    };
    hr = E_FAIL;
    for (const auto& route : routes) {
        hr = m_pBuilder->RenderStream(route.category, route.type, m_pDeviceFilter.Get(), grabber.Get(),
                                      nullRenderer.Get());
        if (SUCCEEDED(hr))
            break;
    }
    if (FAILED(hr)) {
        ShowErrorBox(L"Can't build the graph");
        return hr;
    }

    if (FAILED(m_pBuilder->FindInterface(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, m_pDeviceFilter.Get(),
                                         IID_IAMStreamConfig, m_pStreamConfig.OutVoid())))
        m_pBuilder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, m_pDeviceFilter.Get(),
                                  IID_IAMStreamConfig, m_pStreamConfig.OutVoid());

    AM_MEDIA_TYPE connected = {};
    hr = m_pGrabber->GetConnectedMediaType(&connected);
    if (FAILED(hr)) {
        ShowErrorBox(L"Could not read the connected media type");
        return hr;
    }
    // Only a VIDEOINFOHEADER block tells the picture size; anything else
    // would be read past its end.
    const VIDEOINFOHEADER* info = VideoInfo(connected);
    if (!info) {
        FreeMediaTypeBlock(connected);
        ShowErrorBox(L"Could not read the connected media type");
        return VFW_E_INVALIDMEDIATYPE;
    }
    const LONG width = info->bmiHeader.biWidth;
    const LONG height = info->bmiHeader.biHeight;
    FreeMediaTypeBlock(connected);

    m_pGrabber->SetBufferSamples(TRUE);

    RECT client = {};
    GetClientRect(window, &client);
    const LONG clientWidth = client.right - client.left;
    const LONG clientHeight = client.bottom - client.top;
    const LONG left = clientWidth > width ? (clientWidth - width) / 2 : 0;
    const LONG top = clientHeight > height ? (clientHeight - height) / 2 : 0;
    SetupVideoWindow(window, left, top, width, height);

    Com<IMediaControl> control;
    hr = control.QueryFrom(m_pGraph.Get(), IID_IMediaControl);
    if (SUCCEEDED(hr))
        hr = control->Run();
    if (FAILED(hr)) {
        ShowErrorBox(L"Could not run graph");
        return hr;
    }
    return S_OK;
}

HRESULT CDeviceProbe::SetupVideoWindow(HWND window, long left, long top, long width, long height)
{
    m_nVideoWidth = width;
    m_nVideoHeight = height;
    Com<IVideoWindow> video;
    if (FAILED(video.QueryFrom(m_pGraph.Get(), IID_IVideoWindow)) || !video) {
        ShowErrorBox(L"Could not get video window interface");
        return HRESULT(0xFFFFFFFF);
    }
    video->put_Owner(reinterpret_cast<OAHWND>(window));
    video->put_MessageDrain(reinterpret_cast<OAHWND>(window));
    video->put_Left(left);
    video->put_Top(top);
    video->put_Width(width);
    video->put_Height(height);
    video->put_WindowStyle(WS_CHILD);
    return video->put_Visible(OATRUE);
}

void CDeviceProbe::StopPreview(BOOL stop)
{
    Com<IMediaControl> control;
    if (FAILED(control.QueryFrom(m_pGraph.Get(), IID_IMediaControl)) || !control)
        return;
    Com<IVideoWindow> video;
    if (FAILED(video.QueryFrom(m_pGraph.Get(), IID_IVideoWindow)) || !video) {
        ShowErrorBox(L"Could not get video window interface");
        return;
    }
    if (stop) {
        control->Stop();
        video->put_Visible(OAFALSE);
    } else {
        if (FAILED(control->Run()))
            control->Stop();
        video->put_Visible(OATRUE);
    }
}

void CDeviceProbe::TogglePreview()
{
    m_bPreviewOn = !m_bPreviewOn;
    StopPreview(m_bPreviewOn ? FALSE : TRUE);
}

void CDeviceProbe::TearDownGraph()
{
    m_pGrabber.Reset();
    m_pStreamConfig.Reset();
    Com<IVideoWindow> video;
    if (SUCCEEDED(video.QueryFrom(m_pGraph.Get(), IID_IVideoWindow)) && video) {
        video->put_Owner(0);
        video->put_Visible(OAFALSE);
    }
    if (m_pDeviceFilter)
        RemoveDownstreamFilters(m_pDeviceFilter.Get());
}

void CDeviceProbe::RemoveDownstreamFilters(IBaseFilter* filter)
{
    if (!filter)
        return;
    Com<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.Out())) || !pins)
        return;
    pins->Reset();
    for (;;) {
        Com<IPin> pin;
        if (pins->Next(1, pin.Out(), nullptr) != S_OK || !pin)
            break;
        Com<IPin> peer;
        if (FAILED(pin->ConnectedTo(peer.Out())) || !peer)
            continue;
        PIN_INFO info = {};
        if (FAILED(peer->QueryPinInfo(&info)))
            continue;
        if (info.dir == PINDIR_INPUT) {
            RemoveDownstreamFilters(info.pFilter);
            peer->Disconnect();
            pin->Disconnect();
            if (m_pGraph)
                m_pGraph->RemoveFilter(info.pFilter);
        }
        if (info.pFilter)
            info.pFilter->Release();
    }
}

void CDeviceProbe::EnumerateDevices()
{
    EnumerateVideoDevices(m_pDeviceMonikers, m_strDeviceNames, kDeviceSlots);
}

void CDeviceProbe::ShowDeviceProperties()
{
    Com<ISpecifyPropertyPages> specify;
    if (FAILED(specify.QueryFrom(m_pDeviceFilter.Get(), IID_ISpecifyPropertyPages)) || !specify)
        return;
    CAUUID pages = {};
    if (SUCCEEDED(specify->GetPages(&pages))) {
        IUnknown* object = m_pDeviceFilter.Get();
        OleCreatePropertyFrame(nullptr, 30, 30, nullptr, 1, &object, pages.cElems, pages.pElems, 0, 0, nullptr);
        CoTaskMemFree(pages.pElems);
    }
}

void CDeviceProbe::ListFrameSizes()
{
    ListStreamFrameSizes(m_pStreamConfig.Get(), m_FrameSizes);
}

void EnumerateVideoDevices(IMoniker** monikers, CString* names, int slots)
{
    for (int i = 0; i < slots; ++i) {
        CDeviceProbe::ReleaseInterface(monikers[i]);
        names[i] = L"";
    }
    Com<ICreateDevEnum> devices;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                devices.OutVoid())) ||
        !devices) {
        AfxMessageBox(L"Error Creating Device Enumerator", MB_OK);
        return;
    }
    Com<IEnumMoniker> found;
    if (devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, found.Out(), 0) != S_OK || !found) {
        CString text;
        text.LoadString(IDS_NO_CAPTURE_HARDWARE);
        AfxScriptedMessageBox(nullptr, text, L"", OrvikRtlFlag());
        return;
    }
    found->Reset();
    // One slot per device, named or not; a full table ends the walk, so
    // nothing is written past it.
    for (int slot = 0; slot < slots; ++slot) {
        Com<IMoniker> moniker;
        if (found->Next(1, moniker.Out(), nullptr) != S_OK || !moniker)
            break;
        CString name;
        if (FriendlyName(moniker.Get(), name)) {
            names[slot] = name;
            OutputDebugStringW(name);
            monikers[slot] = moniker.Get();
            monikers[slot]->AddRef();
        }
    }
}

void FreeFrameSizes(CPtrArray& sizes)
{
    for (INT_PTR i = 0; i < sizes.GetSize(); ++i)
        delete static_cast<FrameSizeRecord*>(sizes.GetAt(i));
    sizes.RemoveAll();
}

void ListStreamFrameSizes(IAMStreamConfig* config, CPtrArray& sizes)
{
    FreeFrameSizes(sizes);
    if (!config)
        return;
    int count = 0, capsSize = 0;
    if (FAILED(config->GetNumberOfCapabilities(&count, &capsSize)) || capsSize != sizeof(VIDEO_STREAM_CONFIG_CAPS))
        return;
    for (int index = 0; index < count; ++index) {
        AM_MEDIA_TYPE* type = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps = {};
        if (FAILED(config->GetStreamCaps(index, &type, reinterpret_cast<BYTE*>(&caps))) || !type)
            continue;
        if (const VIDEOINFOHEADER* info = VideoInfo(*type)) {
            const LONG height = info->bmiHeader.biHeight;
            INT_PTR at = sizes.GetSize();
            bool duplicate = false;
            for (INT_PTR i = 0; i < sizes.GetSize(); ++i) {
                const LONG other = static_cast<FrameSizeRecord*>(sizes.GetAt(i))->height;
                if (other == height) {
                    duplicate = true;
                    break;
                }
                if (other > height) {
                    at = i;
                    break;
                }
            }
            if (!duplicate)
                sizes.InsertAt(at, new FrameSizeRecord{info->bmiHeader.biWidth, height, type->subtype});
        }
        DeleteMediaTypeBlock(type);
    }
}
