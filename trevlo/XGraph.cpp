// CXGraphDll: the device, the frame size, the graphs, running and tear-down.
#include "TrevloImpl.h"

#include "AfxTestScript.h"
#include "Sorvane.h"

#include <cwchar>

// mingw's qedit.h names these classes without defining them.
static const CLSID kClsidSampleGrabber = {0xc1f400a0, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
static const CLSID kClsidNullRenderer = {0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};

int DefaultSizeClass = 0;

// name, size class, CamType, CamSubType
const SupportedCamera SupportedCameraNames[17] = {
    {L"Vantor-Q7L", 2, 2, 0},
    {L"Vantor-R5V", 1, 2, 3},
    {L"Camera-Q7L", 2, -1, -1},
    {L"Camera-R5V", 1, 2, 2},
    {L"Camera-Q3N", 2, -1, -1},
    {L"Hollin W8K", 2, 2, 1},
    {L"Hollin Q7L", 2, -1, -1},
    {L"Vantor-T4M", 0, 4, -1},
    {L"Vantor-T6M", 0, 3, -1},
    {L"Syntek STK1160", 0, -1, -1},
    {L"Camera-J20", 3, 2, 5},
    {L"Camera-J40", 3, 2, 6},
    {L"Camera-J60", 3, 2, 7},
    {L"K-LB4.2", 0, 2, 4},
    {L"Camera-S3K", -1, 0, -1},
    {L"Vantor-T2W", -1, 5, -1},
    {L"Vantor-T8M", -1, 6, -1},
};

const SupportedCamera* FindSupportedCamera(LPCWSTR name)
{
    if (!name)
        return nullptr;
    for (const SupportedCamera& c : SupportedCameraNames)
        if (wcscmp(c.name, name) == 0)
            return &c;
    return nullptr;
}

LPCWSTR CameraNameForType(int camType, int camSubType)
{
    for (const SupportedCamera& c : SupportedCameraNames)
        if (c.camType >= 0 && c.camType == camType && (c.camSubType < 0 || c.camSubType == camSubType))
            return c.name;
    return nullptr;
}

static AFX_EXTENSION_MODULE g_trevloModule = {FALSE, nullptr, nullptr};

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        if (!AfxInitExtensionModule(g_trevloModule, hInstance))
            return FALSE;
        new CDynLinkLibrary(g_trevloModule);
    } else if (reason == DLL_PROCESS_DETACH) {
        AfxTermExtensionModule(g_trevloModule);
    }
    return TRUE;
}

// ------------------------------------------------------------ graph routines

void FreeMediaTypeBlock(AM_MEDIA_TYPE& mt)
{
    if (mt.cbFormat && mt.pbFormat)
        CoTaskMemFree(mt.pbFormat);
    mt.cbFormat = 0;
    mt.pbFormat = nullptr;
    if (mt.pUnk) {
        mt.pUnk->Release();
        mt.pUnk = nullptr;
    }
}

void DeleteMediaTypeBlock(AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return;
    FreeMediaTypeBlock(*pmt);
    CoTaskMemFree(pmt);
}

const VIDEOINFOHEADER* VideoInfo(const AM_MEDIA_TYPE* pmt)
{
    if (!pmt || pmt->formattype != FORMAT_VideoInfo || !pmt->pbFormat || pmt->cbFormat < sizeof(VIDEOINFOHEADER))
        return nullptr;
    return reinterpret_cast<const VIDEOINFOHEADER*>(pmt->pbFormat);
}

HRESULT FirstPin(IBaseFilter* filter, PIN_DIRECTION dir, bool unconnected, IPin** ppPin)
{
    *ppPin = nullptr;
    if (!filter)
        return E_POINTER;
    Com<IEnumPins> pins;
    HRESULT hr = filter->EnumPins(pins.Out());
    if (FAILED(hr))
        return hr;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION d;
        bool take = SUCCEEDED(pin->QueryDirection(&d)) && d == dir;
        if (take && unconnected) {
            IPin* peer = nullptr;
            if (SUCCEEDED(pin->ConnectedTo(&peer)) && peer) {
                peer->Release();
                take = false;
            }
        }
        if (take) {
            *ppPin = pin;
            return S_OK;
        }
        pin->Release();
    }
    return E_FAIL;
}

// First unconnected output of `from` to first unconnected input of `to`.
static HRESULT ConnectFilters(IGraphBuilder* graph, IBaseFilter* from, IBaseFilter* to)
{
    Com<IPin> out, in;
    HRESULT hr = FirstPin(from, PINDIR_OUTPUT, true, out.Out());
    if (FAILED(hr))
        return hr;
    hr = FirstPin(to, PINDIR_INPUT, true, in.Out());
    if (FAILED(hr))
        return hr;
    return graph->Connect(out.Get(), in.Get());
}

HRESULT FindInGraph(IGraphBuilder* graph, REFIID iid, void** ppv)
{
    *ppv = nullptr;
    Com<IEnumFilters> filters;
    HRESULT hr = graph->EnumFilters(filters.Out());
    if (FAILED(hr))
        return hr;
    IBaseFilter* filter = nullptr;
    while (filters->Next(1, &filter, nullptr) == S_OK) {
        hr = filter->QueryInterface(iid, ppv);
        if (SUCCEEDED(hr) && *ppv) {
            filter->Release();
            return S_OK;
        }
        Com<IEnumPins> pins;
        if (SUCCEEDED(filter->EnumPins(pins.Out()))) {
            IPin* pin = nullptr;
            while (pins->Next(1, &pin, nullptr) == S_OK) {
                hr = pin->QueryInterface(iid, ppv);
                pin->Release();
                if (SUCCEEDED(hr) && *ppv) {
                    filter->Release();
                    return S_OK;
                }
            }
        }
        filter->Release();
    }
    return E_NOINTERFACE;
}

// Everything connected downstream of `filter` leaves the graph.
static void RemoveDownstream(IGraphBuilder* graph, IBaseFilter* filter)
{
    Com<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.Out())))
        return;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION dir;
        IPin* peer = nullptr;
        if (SUCCEEDED(pin->QueryDirection(&dir)) && dir == PINDIR_OUTPUT && SUCCEEDED(pin->ConnectedTo(&peer)) &&
            peer) {
            PIN_INFO info = {};
            if (SUCCEEDED(peer->QueryPinInfo(&info)) && info.pFilter) {
                RemoveDownstream(graph, info.pFilter);
                pin->Disconnect();
                peer->Disconnect();
                graph->RemoveFilter(info.pFilter);
                info.pFilter->Release();
            }
            peer->Release();
        }
        pin->Release();
    }
}

static bool HasConnectedPin(IBaseFilter* filter)
{
    Com<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.Out())))
        return false;
    IPin* pin = nullptr;
    bool connected = false;
    while (!connected && pins->Next(1, &pin, nullptr) == S_OK) {
        IPin* peer = nullptr;
        if (SUCCEEDED(pin->ConnectedTo(&peer)) && peer) {
            peer->Release();
            connected = true;
        }
        pin->Release();
    }
    return connected;
}

// -------------------------------------------------------------------- object

CXGraphDll::CXGraphDll()
    : m_pBuilder(nullptr), m_pGraph(nullptr), m_pGrabber(nullptr), m_pStreamConfig(nullptr), m_pSmartTee(nullptr),
      m_pFileSink(nullptr), m_pSorvaneFilter(nullptr), m_pSorvane(nullptr), m_pCaptureFilter(nullptr),
      m_apDeviceMonikers(), m_nDeviceCount(0), m_hParentWnd(nullptr), m_lWidth(0), m_lHeight(0), m_nSizeIndex(0),
      m_nDisplayMode(0), m_bHasCamera(FALSE)
{
}

CXGraphDll::~CXGraphDll()
{
    ClearSizes();
    for (CString& name : m_astrDeviceNames)
        name.Empty();
}

void CXGraphDll::ClearSizes()
{
    for (INT_PTR i = 0; i < m_aSizes.GetSize(); ++i)
        delete static_cast<SizeEntry*>(m_aSizes.GetAt(i));
    m_aSizes.RemoveAll();
}

void CXGraphDll::Error(wchar_t* text)
{
    AfxScriptedMessageBox(nullptr, text, L"Error!", MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
}

// ------------------------------------------------------------------- devices

HRESULT CXGraphDll::InitGraph()
{
    HRESULT hr = CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ICaptureGraphBuilder2, reinterpret_cast<void**>(&m_pBuilder));
    // Without a builder there is nothing to attach the graph to.
    if (FAILED(hr) || !m_pBuilder) {
        m_pBuilder = nullptr;
        Report(L"Could not create filter graph");
        return E_FAIL;
    }
    hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                          reinterpret_cast<void**>(&m_pGraph));
    if (FAILED(hr) || !m_pGraph) {
        m_pGraph = nullptr;
        Report(L"Could not create filter graph");
        return E_FAIL;
    }
    m_pBuilder->SetFiltergraph(m_pGraph);

    GetDefaultCapDevice(&m_pCaptureFilter);
    hr = m_pCaptureFilter ? m_pGraph->AddFilter(m_pCaptureFilter, L"Cap") : E_FAIL;
    if (FAILED(hr)) {
        Report(L"Could not get the capture device");
        return E_FAIL;
    }
    if (hr == S_OK)
        m_bHasCamera = TRUE;

    hr = m_pBuilder->FindInterface(&PIN_CATEGORY_CAPTURE, nullptr, m_pCaptureFilter, IID_IAMStreamConfig,
                                   reinterpret_cast<void**>(&m_pStreamConfig));
    if (FAILED(hr))
        hr = m_pBuilder->FindInterface(&PIN_CATEGORY_PREVIEW, nullptr, m_pCaptureFilter, IID_IAMStreamConfig,
                                       reinterpret_cast<void**>(&m_pStreamConfig));
    return hr;
}

static HRESULT VideoInputEnumerator(IEnumMoniker** ppEnum, HRESULT* phrCreate)
{
    *ppEnum = nullptr;
    Com<ICreateDevEnum> devices;
    HRESULT hr = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                  devices.OutVoid());
    if (phrCreate)
        *phrCreate = hr;
    if (FAILED(hr))
        return hr;
    // An empty category answers S_FALSE and no enumerator.
    hr = devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, ppEnum, 0);
    if (hr != S_OK || !*ppEnum) {
        SafeRelease(*ppEnum);
        return S_FALSE;
    }
    return S_OK;
}

static bool FriendlyName(IMoniker* moniker, CString* name)
{
    Com<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.OutVoid())))
        return false;
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    const bool ok = SUCCEEDED(bag->Read(L"FriendlyName", &v, nullptr)) && V_VT(&v) == VT_BSTR;
    if (ok)
        *name = V_BSTR(&v);
    VariantClear(&v);
    return ok;
}

HRESULT CXGraphDll::GetDefaultCapDevice(IBaseFilter** ppFilter)
{
    if (!ppFilter)
        return S_FALSE;
    *ppFilter = nullptr;
    Com<IEnumMoniker> monikers;
    if (VideoInputEnumerator(monikers.Out(), nullptr) != S_OK)
        return S_FALSE;
    monikers->Reset();
    IMoniker* moniker = nullptr;
    while (monikers->Next(1, &moniker, nullptr) == S_OK) {
        CString name;
        if (FriendlyName(moniker, &name)) {
            OutputDebugStringW(name);
            const SupportedCamera* supported = FindSupportedCamera(name);
            if (supported && supported->sizeClass >= 0) {
                if (supported->sizeClass)
                    DefaultSizeClass = supported->sizeClass;
                if (SUCCEEDED(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter,
                                                    reinterpret_cast<void**>(ppFilter))) &&
                    *ppFilter) {
                    moniker->Release();
                    return S_OK;
                }
                *ppFilter = nullptr;
            }
        }
        moniker->Release();
    }
    return E_FAIL;
}

void CXGraphDll::GetAllCapDevice()
{
    for (int i = 0; i < 256; ++i) {
        SafeRelease(m_apDeviceMonikers[i]);
        m_astrDeviceNames[i].Empty();
    }
    m_nDeviceCount = 0;
    Com<IEnumMoniker> monikers;
    HRESULT hrCreate = S_OK;
    const HRESULT hr = VideoInputEnumerator(monikers.Out(), &hrCreate);
    if (FAILED(hrCreate)) {
        Report(L"Error Creating Device Enumerator");
        return;
    }
    if (hr != S_OK) {
        Report(L"Sorry, you have no video capture hardware.\r\n\r\nVideo capture will not function properly.");
        return;
    }
    // The tables hold 256 devices; later ones are not listed.
    IMoniker* moniker = nullptr;
    while (m_nDeviceCount < 256 && monikers->Next(1, &moniker, nullptr) == S_OK) {
        m_apDeviceMonikers[m_nDeviceCount] = moniker;
        FriendlyName(moniker, &m_astrDeviceNames[m_nDeviceCount]);
        ++m_nDeviceCount;
    }
}

// --------------------------------------------------------------------- sizes

HRESULT CXGraphDll::GetAllAvailSize()
{
    if (!m_pStreamConfig)
        return E_POINTER;
    ClearSizes();
    int count = 0, size = 0;
    HRESULT hr = m_pStreamConfig->GetNumberOfCapabilities(&count, &size);
    if (FAILED(hr) || size != sizeof(VIDEO_STREAM_CONFIG_CAPS))
        return hr;
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* pmt = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps;
        hr = m_pStreamConfig->GetStreamCaps(i, &pmt, reinterpret_cast<BYTE*>(&caps));
        if (FAILED(hr))
            continue;
        // Only video-info formats carry a size we can read.
        if (const VIDEOINFOHEADER* vih = VideoInfo(pmt)) {
            SizeEntry* entry = new SizeEntry{vih->bmiHeader.biWidth, vih->bmiHeader.biHeight, pmt->subtype};
            if (m_aSizes.GetSize() == 0)
                m_aSizes.Add(entry);
            else
                m_aSizes.InsertAt(0, entry);
        }
        DeleteMediaTypeBlock(pmt);
    }
    return hr;
}

HRESULT CXGraphDll::SetDisplayMode(int mode)
{
    static const SIZE classSizes[] = {{0, 0}, {1600, 1200}, {1280, 1024}, {1024, 768}, {800, 600}};
    for (INT_PTR i = 0; i < m_aSizes.GetSize(); ++i) {
        const SizeEntry* e = static_cast<const SizeEntry*>(m_aSizes.GetAt(i));
        bool take = false;
        if (mode == 0)
            take = DefaultSizeClass >= 1 && DefaultSizeClass <= 4 && e->width == classSizes[DefaultSizeClass].cx &&
                   e->height == classSizes[DefaultSizeClass].cy;
        else if (mode == 1)
            take = e->width == 1280 || e->width == 1024;
        if (take) {
            m_lWidth = e->width;
            m_lHeight = e->height;
            m_nSizeIndex = int(i);
            break;
        }
    }
    m_nDisplayMode = mode;
    return S_OK;
}

HRESULT CXGraphDll::GetVideoSize(long& w, long& h)
{
    if (!m_pCaptureFilter)
        return E_POINTER;
    w = m_lWidth;
    h = m_lHeight;
    return S_OK;
}

// The capture pin's format: the chosen entry's subtype at the chosen size,
// or for the AVI graph at width 1280. Without a match the device keeps its
// format.
void CXGraphDll::ChooseFormat(bool width1280)
{
    Com<IAMStreamConfig> config;
    if (!m_pBuilder || !m_pCaptureFilter ||
        FAILED(m_pBuilder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, m_pCaptureFilter,
                                         IID_IAMStreamConfig, config.OutVoid())) ||
        !config)
        return;
    int count = 0, size = 0;
    if (FAILED(config->GetNumberOfCapabilities(&count, &size)) || size != sizeof(VIDEO_STREAM_CONFIG_CAPS) ||
        m_nSizeIndex < 0 || m_nSizeIndex >= m_aSizes.GetSize())
        return;
    const SizeEntry* chosen = static_cast<const SizeEntry*>(m_aSizes.GetAt(m_nSizeIndex));
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* pmt = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps;
        if (FAILED(config->GetStreamCaps(i, &pmt, reinterpret_cast<BYTE*>(&caps))))
            continue;
        const VIDEOINFOHEADER* vih = VideoInfo(pmt);
        const bool match = vih && pmt->subtype == chosen->subtype &&
                           (width1280 ? vih->bmiHeader.biWidth == 1280
                                      : vih->bmiHeader.biWidth == m_lWidth && vih->bmiHeader.biHeight == m_lHeight);
        if (match) {
            const HRESULT hr = config->SetFormat(pmt);
            DeleteMediaTypeBlock(pmt);
            if (width1280 && FAILED(hr))
                AfxMessageBox(L"set format failed");
            return;
        }
        DeleteMediaTypeBlock(pmt);
    }
}

// -------------------------------------------------------------------- graphs

// The Smart Tee's output pin of that id ("Capture" or "Preview").
HRESULT CXGraphDll::SmartTeePin(LPCWSTR id, IPin** ppPin)
{
    if (!ppPin)
        return E_POINTER;
    *ppPin = nullptr;
    if (!m_pSmartTee || !m_pBuilder)
        return E_POINTER;
    Com<IEnumPins> pins;
    HRESULT hr = m_pSmartTee->EnumPins(pins.Out());
    if (FAILED(hr))
        return hr;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        LPWSTR pinId = nullptr;
        PIN_DIRECTION dir;
        const bool match = SUCCEEDED(pin->QueryDirection(&dir)) && dir == PINDIR_OUTPUT &&
                           SUCCEEDED(pin->QueryId(&pinId)) && pinId && wcscmp(pinId, id) == 0;
        CoTaskMemFree(pinId);
        if (match) {
            *ppPin = pin;
            return S_OK;
        }
        pin->Release();
    }
    return E_FAIL;
}

HRESULT CXGraphDll::GetSmartTeeCapturePin(IPin** ppPin) { return SmartTeePin(L"Capture", ppPin); }
HRESULT CXGraphDll::GetSmartTeePreviewPin(IPin** ppPin) { return SmartTeePin(L"Preview", ppPin); }

#define TREVLO_FAIL(text, code)   \
    do {                          \
        const HRESULT hr_ = (code); \
        Report(text);             \
        return FAILED(hr_) ? hr_ : E_FAIL; \
    } while (0)

// The filters both graphs start with: Smart Tee, Sample Grabber and Sorvane,
// the device's format chosen and Sorvane in the graph.
HRESULT CXGraphDll::AddProcessingFilters(bool anyHeight1280)
{
    SafeRelease(m_pSmartTee);
    SafeRelease(m_pGrabber);
    SafeRelease(m_pSorvane);
    SafeRelease(m_pSorvaneFilter);

    HRESULT hr = CoCreateInstance(CLSID_SmartTee, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  reinterpret_cast<void**>(&m_pSmartTee));
    if (FAILED(hr) || !m_pSmartTee)
        TREVLO_FAIL(L"Could not create smart tee", hr);
    hr = CoCreateInstance(kClsidSampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_ISampleGrabber,
                          reinterpret_cast<void**>(&m_pGrabber));
    if (FAILED(hr) || !m_pGrabber)
        TREVLO_FAIL(L"Could not create SampleGrabber (is qedit.dll registered?)", hr);
    hr = CoCreateInstance(CLSID_SorvaneFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                          reinterpret_cast<void**>(&m_pSorvaneFilter));
    if (FAILED(hr) || !m_pSorvaneFilter)
        TREVLO_FAIL(L"Could not create Sorvane (is Sorvane.dll registered?)", hr);
    hr = m_pSorvaneFilter->QueryInterface(IID_ISorvane, reinterpret_cast<void**>(&m_pSorvane));
    if (FAILED(hr) || !m_pSorvane)
        TREVLO_FAIL(L"Could not get ISorvane (is Sorvane.dll registered?)", hr);

    ChooseFormat(anyHeight1280);

    hr = m_pGraph->AddFilter(m_pSorvaneFilter, L"Kelm Sorvane");
    if (FAILED(hr))
        TREVLO_FAIL(L"Could not put Sorvane filter in graph", hr);
    return S_OK;
}

// A new filter of that class, put in the graph under `name`.
HRESULT CXGraphDll::AddNewFilter(REFCLSID clsid, LPCWSTR name, LPCWSTR failure, IBaseFilter** ppFilter)
{
    *ppFilter = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  reinterpret_cast<void**>(ppFilter));
    if (FAILED(hr) || !*ppFilter)
        TREVLO_FAIL(failure, hr);
    hr = m_pGraph->AddFilter(*ppFilter, name);
    if (FAILED(hr))
        TREVLO_FAIL(L"Can't add the filter to graph", hr);
    return S_OK;
}

// What both graphs share once their filters are in: the device's capture pin
// through Sorvane into the Smart Tee, and the tee's two outputs.
HRESULT CXGraphDll::ConnectThroughSmartTee(IPin** teeCapture, IPin** teePreview)
{
    HRESULT hr;
    {
        Com<IPin> capturePin, sorvaneIn;
        // The builder does not take a missing filter kindly.
        hr = m_pCaptureFilter ? m_pBuilder->FindPin(m_pCaptureFilter, PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE,
                                                    &MEDIATYPE_Video, FALSE, 0, capturePin.Out())
                              : E_POINTER;
        if (FAILED(hr) || !capturePin)
            TREVLO_FAIL(L"Can't find Capture pin in capture filter", hr);
        hr = FirstPin(m_pSorvaneFilter, PINDIR_INPUT, false, sorvaneIn.Out());
        if (FAILED(hr))
            TREVLO_FAIL(L"Can't find Sorvane filter's input pin", hr);
        hr = m_pGraph->Connect(capturePin.Get(), sorvaneIn.Get());
        if (FAILED(hr))
            TREVLO_FAIL(L"Can't connect sorvane filter to capture filter", hr);
    }
    hr = m_pGraph->AddFilter(m_pSmartTee, L"Smart Tee");
    if (FAILED(hr))
        TREVLO_FAIL(L"Could not put smart tee in graph", hr);
    hr = ConnectFilters(m_pGraph, m_pSorvaneFilter, m_pSmartTee);
    if (FAILED(hr))
        TREVLO_FAIL(L"Can't connect smart tee filter to sorvane filter", hr);
    hr = GetSmartTeeCapturePin(teeCapture);
    if (FAILED(hr))
        TREVLO_FAIL(L"Can't get smart tee filter's capture pin", hr);
    hr = GetSmartTeePreviewPin(teePreview);
    if (FAILED(hr))
        TREVLO_FAIL(L"Can't get smart tee filter's preview pin", hr);
    return S_OK;
}

HRESULT CXGraphDll::MakeGraph()
{
    if (!m_pGraph || !m_pBuilder)
        return E_POINTER;
    HRESULT hr = AddProcessingFilters(false);
    if (FAILED(hr))
        return hr;
    Com<IBaseFilter> grabber;
    hr = m_pGrabber->QueryInterface(IID_IBaseFilter, grabber.OutVoid());
    if (FAILED(hr) || !grabber)
        TREVLO_FAIL(L"Could not get sample grabber filter", hr);
    AM_MEDIA_TYPE mt = {};
    mt.majortype = MEDIATYPE_Video;
    mt.subtype = MEDIASUBTYPE_RGB24;
    mt.formattype = GUID_NULL;
    hr = m_pGrabber->SetMediaType(&mt);
    if (FAILED(hr))
        TREVLO_FAIL(L"Could not set media type", hr);
    hr = m_pGraph->AddFilter(grabber.Get(), L"Grabber");
    if (FAILED(hr))
        TREVLO_FAIL(L"Could not put sample grabber in graph", hr);

    Com<IBaseFilter> nullRenderer, vmr;
    hr = AddNewFilter(kClsidNullRenderer, L"NULL renderer", L"Unable to make a NULL renderer", nullRenderer.Out());
    if (FAILED(hr))
        return hr;
    hr = AddNewFilter(CLSID_VideoMixingRenderer, L"VM7 renderer", L"Unable to make a VM7 renderer", vmr.Out());
    if (FAILED(hr))
        return hr;

    Com<IPin> teeCapture, teePreview, grabberIn, grabberOut, nullIn;
    hr = ConnectThroughSmartTee(teeCapture.Out(), teePreview.Out());
    if (FAILED(hr))
        return hr;
    FirstPin(grabber.Get(), PINDIR_INPUT, false, grabberIn.Out());
    FirstPin(grabber.Get(), PINDIR_OUTPUT, false, grabberOut.Out());
    FirstPin(nullRenderer.Get(), PINDIR_INPUT, false, nullIn.Out());
    hr = grabberIn ? m_pGraph->ConnectDirect(teeCapture.Get(), grabberIn.Get(), &mt) : E_FAIL;
    if (FAILED(hr))
        TREVLO_FAIL(L"Can't grab filter to smart tee filter", hr);
    hr = grabberOut && nullIn ? m_pGraph->ConnectDirect(grabberOut.Get(), nullIn.Get(), &mt) : E_FAIL;
    if (FAILED(hr))
        TREVLO_FAIL(L"Can't connect null render to grab filter", hr);
    // The preview goes straight to the renderer added above where it takes
    // the camera's format. Otherwise that renderer leaves before Render brings
    // in one of its own: left idle, it would answer for the graph's video
    // window, and the preview would show in a window away from the one placed.
    {
        Com<IPin> vmrIn;
        FirstPin(vmr.Get(), PINDIR_INPUT, false, vmrIn.Out());
        AM_MEDIA_TYPE format = {};
        const bool known = SUCCEEDED(teeCapture->ConnectionMediaType(&format));
        hr = known && vmrIn && vmrIn->QueryAccept(&format) == S_OK
                 ? m_pGraph->ConnectDirect(teePreview.Get(), vmrIn.Get(), &format)
                 : E_FAIL;
        if (known)
            FreeMediaTypeBlock(format);
        if (FAILED(hr)) {
            m_pGraph->RemoveFilter(vmr.Get());
            hr = m_pGraph->Render(teePreview.Get());
        }
    }
    if (FAILED(hr))
        TREVLO_FAIL(L"Can't connect vm render to smart tee filter", hr);

    AM_MEDIA_TYPE connected = {};
    hr = m_pGrabber->GetConnectedMediaType(&connected);
    if (FAILED(hr))
        TREVLO_FAIL(L"Could not read the connected media type", hr);
    FreeMediaTypeBlock(connected);
    return m_pGrabber->SetBufferSamples(TRUE);
}

HRESULT CXGraphDll::FindCompressor(wchar_t* name, IBaseFilter** ppFilter)
{
    if (!name || !ppFilter)
        return E_POINTER;
    *ppFilter = nullptr;
    Com<ICreateDevEnum> devices;
    HRESULT hr = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                  devices.OutVoid());
    if (FAILED(hr)) {
        Report(L"Failed to create system enumerator");
        return hr;
    }
    Com<IEnumMoniker> monikers;
    hr = devices->CreateClassEnumerator(CLSID_VideoCompressorCategory, monikers.Out(), 0);
    if (FAILED(hr)) {
        Report(L"Failed to create class enumerator");
        return hr;
    }
    if (hr != S_OK || !monikers)
        return S_FALSE;
    IMoniker* moniker = nullptr;
    while ((hr = monikers->Next(1, &moniker, nullptr)) == S_OK) {
        CString found;
        if (FriendlyName(moniker, &found)) {
            OutputDebugStringW(found);
            OutputDebugStringW(name);
            if (wcscmp(found, name) == 0) {
                hr = moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(ppFilter));
                moniker->Release();
                if (FAILED(hr))
                    *ppFilter = nullptr;
                return hr;
            }
        }
        moniker->Release();
    }
    return hr;
}

HRESULT CXGraphDll::MakeCaptureGraph()
{
    if (!m_pGraph || !m_pBuilder)
        return E_POINTER;
    SafeRelease(m_pFileSink);
    HRESULT hr = AddProcessingFilters(true);
    if (FAILED(hr))
        return hr;

    wchar_t compressorName[] = L"Microsoft Windows Media Video 9";
    Com<IBaseFilter> compressor;
    hr = FindCompressor(compressorName, compressor.Out());
    if (hr != S_OK || !compressor)
        TREVLO_FAIL(L"Could not create compressor", E_FAIL);
    hr = m_pGraph->AddFilter(compressor.Get(), compressorName);
    if (FAILED(hr))
        TREVLO_FAIL(L"Can't add the filter to graph", hr);
    Com<IBaseFilter> vmr, writer;
    hr = AddNewFilter(CLSID_VideoMixingRenderer, L"VM7 renderer", L"Unable to make a VM7 renderer", vmr.Out());
    if (FAILED(hr))
        return hr;
    hr = AddNewFilter(CLSID_FileWriter, L"File Writer", L"Unable to make a FileWriter", writer.Out());
    if (FAILED(hr))
        return hr;
    hr = writer->QueryInterface(IID_IFileSinkFilter, reinterpret_cast<void**>(&m_pFileSink));
    if (FAILED(hr) || !m_pFileSink)
        TREVLO_FAIL(L"Unable to get IFileSinkFilter", hr);
    m_pFileSink->SetFileName(L"C:\\temp.avi", nullptr);
    Com<IBaseFilter> mux;
    hr = CoCreateInstance(CLSID_AviDest, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, mux.OutVoid());
    if (FAILED(hr) || !mux)
        TREVLO_FAIL(L"Could not create AVI Mux Filter (is qcap.dll registered?)", hr);
    m_pGraph->AddFilter(mux.Get(), L"AVI Mux");
    // Full interleaving, set while the mux is unconnected (a change later
    // reconnects it): every mux offers it, and Wine's offers nothing else;
    // there its default mode makes Run fail and the first frame crash it.
    {
        Com<IConfigInterleaving> interleaving;
        if (SUCCEEDED(mux->QueryInterface(IID_IConfigInterleaving, interleaving.OutVoid())) && interleaving)
            interleaving->put_Mode(INTERLEAVE_FULL);
    }

    Com<IPin> teeCapture, teePreview, compressorIn, vmrIn;
    hr = ConnectThroughSmartTee(teeCapture.Out(), teePreview.Out());
    if (FAILED(hr))
        return hr;
    FirstPin(compressor.Get(), PINDIR_INPUT, false, compressorIn.Out());
    hr = compressorIn ? m_pGraph->ConnectDirect(teeCapture.Get(), compressorIn.Get(), nullptr) : E_FAIL;
    if (FAILED(hr))
        TREVLO_FAIL(L"Can't connect wmv to capture filter", hr);
    // The mux's output before its input: the mux reconnects every input
    // already connected when its output connects, and Wine's mux cannot
    // take a reconnected input (it drops the input's allocator on the
    // disconnect and then reads through it).
    hr = ConnectFilters(m_pGraph, mux.Get(), writer.Get());
    if (FAILED(hr))
        TREVLO_FAIL(L"Can't connect mux to filewriter", hr);
    hr = ConnectFilters(m_pGraph, compressor.Get(), mux.Get());
    if (FAILED(hr))
        TREVLO_FAIL(L"Can't connect compressor to mux", hr);
    FirstPin(vmr.Get(), PINDIR_INPUT, false, vmrIn.Out());
    hr = vmrIn ? m_pGraph->Connect(teePreview.Get(), vmrIn.Get()) : E_FAIL;
    if (FAILED(hr))
        TREVLO_FAIL(L"Can't render preview pin", hr);
    return hr;
}

// ------------------------------------------------------------------- running

static HRESULT Control(IGraphBuilder* graph, HRESULT (STDMETHODCALLTYPE IMediaControl::*op)())
{
    if (!graph)
        return E_FAIL;
    Com<IMediaControl> control;
    HRESULT hr = graph->QueryInterface(IID_IMediaControl, control.OutVoid());
    if (FAILED(hr))
        return hr;
    return (control.Get()->*op)();
}

HRESULT CXGraphDll::Run() { return Control(m_pGraph, &IMediaControl::Run); }
HRESULT CXGraphDll::Pause() { return Control(m_pGraph, &IMediaControl::Pause); }
HRESULT CXGraphDll::Stop() { return Control(m_pGraph, &IMediaControl::Stop); }
HRESULT CXGraphDll::MakeGraphRun() { return Run(); }

HRESULT CXGraphDll::ChangeVideoSize(long w, long h)
{
    if (!m_pCaptureFilter)
        return E_POINTER;
    Stop();
    TearDownGraph();
    m_lWidth = w;
    m_lHeight = h;
    MakeGraph();
    SetParentWnd(m_hParentWnd, 0, 0, w, h);
    return MakeGraphRun();
}

// -------------------------------------------------------------- video window

HRESULT CXGraphDll::SetParentWnd(HWND parent, long x, long y, long cx, long cy)
{
    m_hParentWnd = parent;
    if (!m_pGraph)
        return E_POINTER;
    Com<IVideoWindow> window;
    HRESULT hr = m_pGraph->QueryInterface(IID_IVideoWindow, window.OutVoid());
    if (FAILED(hr) || !window) {
        Report(L"Could not get video window interface");
        return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    // A child first, then placed: placed while still a top-level window, the
    // position is taken on the screen and kept as the child's offset.
    window->put_Owner(reinterpret_cast<OAHWND>(parent));
    window->put_WindowStyle(WS_CHILD | WS_VISIBLE);
    window->put_MessageDrain(reinterpret_cast<OAHWND>(parent));
    window->SetWindowPosition(x, y, cx, cy);
    return window->put_Visible(OATRUE);
}

HRESULT CXGraphDll::ShowVideoWindow(BOOL show)
{
    if (!m_pGraph)
        return E_POINTER;
    Com<IVideoWindow> window;
    HRESULT hr = m_pGraph->QueryInterface(IID_IVideoWindow, window.OutVoid());
    if (FAILED(hr))
        return hr;
    return window->put_Visible(show ? OATRUE : OAFALSE);
}

HRESULT CXGraphDll::FullScreen()
{
    if (!m_pGraph)
        return E_POINTER;
    Com<IVideoWindow> window;
    HRESULT hr = m_pGraph->QueryInterface(IID_IVideoWindow, window.OutVoid());
    if (FAILED(hr))
        return hr;
    // A renderer may answer without writing the mode: take it as windowed.
    long mode = OAFALSE;
    if (FAILED(window->get_FullScreenMode(&mode)))
        mode = OAFALSE;
    return window->put_FullScreenMode(mode == OATRUE ? OAFALSE : OATRUE);
}

// ----------------------------------------------------------------- tear-down

void CXGraphDll::HideVideoWindow()
{
    Com<IVideoWindow> window;
    if (m_pGraph && SUCCEEDED(m_pGraph->QueryInterface(IID_IVideoWindow, window.OutVoid())) && window) {
        window->put_Visible(OAFALSE);
        window->put_Owner(0);
    }
}

HRESULT CXGraphDll::TearDownGraph()
{
    HideVideoWindow();
    SafeRelease(m_pSorvane);
    SafeRelease(m_pSorvaneFilter);
    SafeRelease(m_pGrabber);
    SafeRelease(m_pFileSink);
    SafeRelease(m_pSmartTee);
    if (m_pCaptureFilter && m_pGraph) {
        RemoveDownstream(m_pGraph, m_pCaptureFilter);
        // Filters a build added but never connected (the renderer the
        // preview branch did not use, or what a failed build left) go too,
        // so that rebuilding does not pile them up.
        for (bool removed = true; removed;) {
            removed = false;
            Com<IEnumFilters> filters;
            if (FAILED(m_pGraph->EnumFilters(filters.Out())))
                break;
            IBaseFilter* filter = nullptr;
            while (!removed && filters->Next(1, &filter, nullptr) == S_OK) {
                if (filter != m_pCaptureFilter && !HasConnectedPin(filter))
                    removed = SUCCEEDED(m_pGraph->RemoveFilter(filter));
                filter->Release();
            }
        }
    }
    return S_OK;
}

HRESULT CXGraphDll::ClearGraph()
{
    if (!m_pGraph)
        return S_OK;
    Stop();
    Com<IVideoWindow> window;
    const HRESULT hrWindow = m_pGraph->QueryInterface(IID_IVideoWindow, window.OutVoid());
    if (SUCCEEDED(hrWindow) && window) {
        window->put_Visible(OAFALSE);
        window->put_Owner(0);
    }
    window.Reset();
    Stop();
    // A filter that will not leave would otherwise be taken again forever.
    for (;;) {
        Com<IEnumFilters> filters;
        if (FAILED(m_pGraph->EnumFilters(filters.Out())))
            break;
        IBaseFilter* filter = nullptr;
        if (filters->Next(1, &filter, nullptr) != S_OK)
            break;
        const HRESULT hr = m_pGraph->RemoveFilter(filter);
        filter->Release();
        if (FAILED(hr))
            break;
    }
    for (int i = 0; i < 256; ++i)
        SafeRelease(m_apDeviceMonikers[i]);
    m_nDeviceCount = 0;
    SafeRelease(m_pCaptureFilter);
    SafeRelease(m_pSorvane);
    SafeRelease(m_pSorvaneFilter);
    SafeRelease(m_pGrabber);
    SafeRelease(m_pStreamConfig);
    SafeRelease(m_pFileSink);
    SafeRelease(m_pSmartTee);
    SafeRelease(m_pGraph);
    SafeRelease(m_pBuilder);
    return hrWindow;
}
