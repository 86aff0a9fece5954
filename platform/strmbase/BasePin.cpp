#include "BasePin.h"

#include <cwchar>
#include <new>

namespace {

WCHAR* CopyString(LPCWSTR s)
{
    const size_t n = wcslen(s) + 1;
    WCHAR* p = new (std::nothrow) WCHAR[n];
    if (p)
        wmemcpy(p, s, n);
    return p;
}

}  // namespace

// ---------------------------------------------------------------- CBasePin

CBasePin::CBasePin(LPCWSTR objectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT*,
                   LPCWSTR pinName, PIN_DIRECTION dir)
    : CUnknown(objectName, nullptr), m_pName(CopyString(pinName ? pinName : L"")), m_dir(dir),
      m_pLock(pLock), m_pFilter(pFilter)
{
}

CBasePin::~CBasePin()
{
    if (m_Connected)
        m_Connected->Release();
    if (m_pQSink)
        m_pQSink->Release();
    delete[] m_pName;
}

STDMETHODIMP CBasePin::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IPin)
        return GetInterface(static_cast<IPin*>(this), ppv);
    if (riid == IID_IQualityControl)
        return GetInterface(static_cast<IQualityControl*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CBasePin::NonDelegatingAddRef()
{
    return m_pFilter->AddRef();
}

STDMETHODIMP_(ULONG) CBasePin::NonDelegatingRelease()
{
    return m_pFilter->Release();
}

STDMETHODIMP CBasePin::Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt)
{
    if (!pReceivePin)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    if (m_Connected)
        return VFW_E_ALREADY_CONNECTED;
    if (!IsStopped())
        return VFW_E_NOT_STOPPED;
    if (!pmt)
        return AgreeMediaType(pReceivePin, nullptr);
    CMediaType mt(*pmt);
    return AgreeMediaType(pReceivePin, &mt);
}

HRESULT CBasePin::AgreeMediaType(IPin* pReceivePin, const CMediaType* pmt)
{
    if (pmt && !pmt->IsPartiallySpecified())
        return AttemptConnection(pReceivePin, pmt);

    HRESULT hrFailure = VFW_E_NO_ACCEPTABLE_TYPES;
    for (int pass = 0; pass < 2; ++pass) {
        const bool mine = (pass == 0) == bool(m_bTryMyTypesFirst);
        IEnumMediaTypes* pEnum = nullptr;
        const HRESULT hrEnum = mine ? EnumMediaTypes(&pEnum) : pReceivePin->EnumMediaTypes(&pEnum);
        if (FAILED(hrEnum) || !pEnum)
            continue;
        const HRESULT hr = TryMediaTypes(pReceivePin, pmt, pEnum);
        pEnum->Release();
        if (SUCCEEDED(hr))
            return S_OK;
        // Keep the most telling reason rather than the generic one.
        if (hr != E_FAIL && hr != VFW_E_NO_ACCEPTABLE_TYPES)
            hrFailure = hr;
    }
    return hrFailure;
}

HRESULT CBasePin::TryMediaTypes(IPin* pReceivePin, const CMediaType* pmt, IEnumMediaTypes* pEnum)
{
    HRESULT hrFailure = VFW_E_NO_ACCEPTABLE_TYPES;
    for (;;) {
        AM_MEDIA_TYPE* p = nullptr;
        ULONG fetched = 0;
        if (pEnum->Next(1, &p, &fetched) != S_OK || fetched != 1 || !p)
            break;
        CMediaType candidate(*p);
        DeleteMediaType(p);
        if (pmt && !candidate.MatchesPartial(pmt))
            continue;
        const HRESULT hr = AttemptConnection(pReceivePin, &candidate);
        if (SUCCEEDED(hr))
            return hr;
        hrFailure = hr;
    }
    return hrFailure;
}

HRESULT CBasePin::AttemptConnection(IPin* pReceivePin, const CMediaType* pmt)
{
    HRESULT hr = CheckConnect(pReceivePin);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    hr = CheckMediaType(pmt);
    if (hr != S_OK) {
        BreakConnect();
        return FAILED(hr) ? hr : VFW_E_TYPE_NOT_ACCEPTED;
    }
    m_Connected = pReceivePin;
    m_Connected->AddRef();
    hr = SetMediaType(pmt);
    if (SUCCEEDED(hr)) {
        hr = pReceivePin->ReceiveConnection(static_cast<IPin*>(this), pmt);
        if (SUCCEEDED(hr)) {
            hr = CompleteConnect(pReceivePin);
            if (SUCCEEDED(hr))
                return hr;
            pReceivePin->Disconnect();
        }
    }
    BreakConnect();
    m_Connected->Release();
    m_Connected = nullptr;
    m_mt.ResetFormatBuffer();
    m_mt.InitMediaType();
    return hr;
}

STDMETHODIMP CBasePin::ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt)
{
    if (!pConnector || !pmt)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    if (m_Connected)
        return VFW_E_ALREADY_CONNECTED;
    if (!IsStopped())
        return VFW_E_NOT_STOPPED;
    HRESULT hr = CheckConnect(pConnector);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    CMediaType mt(*pmt);
    hr = CheckMediaType(&mt);
    if (hr != S_OK) {
        BreakConnect();
        return FAILED(hr) ? hr : VFW_E_TYPE_NOT_ACCEPTED;
    }
    m_Connected = pConnector;
    m_Connected->AddRef();
    hr = SetMediaType(&mt);
    if (SUCCEEDED(hr)) {
        hr = CompleteConnect(pConnector);
        if (SUCCEEDED(hr))
            return S_OK;
    }
    BreakConnect();
    m_Connected->Release();
    m_Connected = nullptr;
    m_mt.ResetFormatBuffer();
    m_mt.InitMediaType();
    return hr;
}

STDMETHODIMP CBasePin::Disconnect()
{
    CAutoLock lock(m_pLock);
    if (!IsStopped())
        return VFW_E_NOT_STOPPED;
    if (!m_Connected)
        return S_FALSE;
    const HRESULT hr = BreakConnect();
    if (FAILED(hr))
        return hr;
    m_Connected->Release();
    m_Connected = nullptr;
    m_mt.ResetFormatBuffer();
    m_mt.InitMediaType();
    return S_OK;
}

STDMETHODIMP CBasePin::ConnectedTo(IPin** pPin)
{
    if (!pPin)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    *pPin = m_Connected;
    if (!m_Connected)
        return VFW_E_NOT_CONNECTED;
    m_Connected->AddRef();
    return S_OK;
}

STDMETHODIMP CBasePin::ConnectionMediaType(AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    if (!m_Connected) {
        memset(pmt, 0, sizeof(*pmt));
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(pmt, &m_mt);
}

STDMETHODIMP CBasePin::QueryPinInfo(PIN_INFO* pInfo)
{
    if (!pInfo)
        return E_POINTER;
    pInfo->pFilter = m_pFilter;
    m_pFilter->AddRef();
    lstrcpynW(pInfo->achName, m_pName ? m_pName : L"", MAX_PIN_NAME);
    pInfo->dir = m_dir;
    return S_OK;
}

STDMETHODIMP CBasePin::QueryDirection(PIN_DIRECTION* pPinDir)
{
    if (!pPinDir)
        return E_POINTER;
    *pPinDir = m_dir;
    return S_OK;
}

STDMETHODIMP CBasePin::QueryId(LPWSTR* Id)
{
    if (!Id)
        return E_POINTER;
    const size_t n = wcslen(m_pName ? m_pName : L"") + 1;
    *Id = static_cast<LPWSTR>(CoTaskMemAlloc(n * sizeof(WCHAR)));
    if (!*Id)
        return E_OUTOFMEMORY;
    wmemcpy(*Id, m_pName ? m_pName : L"", n);
    return S_OK;
}

STDMETHODIMP CBasePin::QueryAccept(const AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    CMediaType mt(*pmt);
    const HRESULT hr = CheckMediaType(&mt);
    return hr == S_OK ? S_OK : S_FALSE;
}

STDMETHODIMP CBasePin::EnumMediaTypes(IEnumMediaTypes** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = new (std::nothrow) CEnumMediaTypes(this, 0);
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CBasePin::QueryInternalConnections(IPin**, ULONG*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CBasePin::EndOfStream()
{
    return S_OK;
}

STDMETHODIMP CBasePin::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    m_tStart = tStart;
    m_tStop = tStop;
    m_dRate = dRate;
    return S_OK;
}

STDMETHODIMP CBasePin::Notify(IBaseFilter*, Quality)
{
    return E_NOTIMPL;
}

STDMETHODIMP CBasePin::SetSink(IQualityControl* piqc)
{
    CAutoLock lock(m_pLock);
    if (piqc)
        piqc->AddRef();
    if (m_pQSink)
        m_pQSink->Release();
    m_pQSink = piqc;
    return S_OK;
}

HRESULT CBasePin::GetMediaType(int, CMediaType*)
{
    return VFW_S_NO_MORE_ITEMS;
}

HRESULT CBasePin::SetMediaType(const CMediaType* pmt)
{
    return m_mt.Set(*pmt);
}

HRESULT CBasePin::CheckConnect(IPin* pPin)
{
    PIN_DIRECTION dir;
    const HRESULT hr = pPin->QueryDirection(&dir);
    if (FAILED(hr))
        return hr;
    return dir == m_dir ? VFW_E_INVALID_DIRECTION : S_OK;
}

HRESULT CBasePin::BreakConnect()
{
    return S_OK;
}

HRESULT CBasePin::CompleteConnect(IPin*)
{
    return S_OK;
}

// --------------------------------------------------------- CEnumMediaTypes

CEnumMediaTypes::CEnumMediaTypes(CBasePin* pPin, int position) : CEnumBase(pPin, position) {}

STDMETHODIMP CEnumMediaTypes::Next(ULONG cMediaTypes, AM_MEDIA_TYPE** ppMediaTypes, ULONG* pcFetched)
{
    if (!ppMediaTypes || (cMediaTypes > 1 && !pcFetched))
        return E_POINTER;
    ULONG fetched = 0;
    while (fetched < cMediaTypes) {
        CMediaType mt;
        if (m_pOwner->GetMediaType(m_Position, &mt) != S_OK)
            break;
        AM_MEDIA_TYPE* p = CreateMediaType(&mt);
        if (!p)
            break;
        ppMediaTypes[fetched++] = p;
        ++m_Position;
    }
    if (pcFetched)
        *pcFetched = fetched;
    return fetched == cMediaTypes ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumMediaTypes::Skip(ULONG cMediaTypes)
{
    for (ULONG i = 0; i < cMediaTypes; ++i) {
        CMediaType mt;
        if (m_pOwner->GetMediaType(m_Position, &mt) != S_OK)
            return S_FALSE;
        ++m_Position;
    }
    return S_OK;
}

STDMETHODIMP CEnumMediaTypes::Reset()
{
    m_Position = 0;
    return S_OK;
}

STDMETHODIMP CEnumMediaTypes::Clone(IEnumMediaTypes** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = new (std::nothrow) CEnumMediaTypes(m_pOwner, m_Position);
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}

// ----------------------------------------------------------- CBaseInputPin

CBaseInputPin::CBaseInputPin(LPCWSTR objectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr,
                             LPCWSTR pinName)
    : CBasePin(objectName, pFilter, pLock, phr, pinName, PINDIR_INPUT)
{
}

CBaseInputPin::~CBaseInputPin()
{
    if (m_pAllocator)
        m_pAllocator->Release();
}

STDMETHODIMP CBaseInputPin::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IMemInputPin)
        return GetInterface(static_cast<IMemInputPin*>(this), ppv);
    return CBasePin::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CBaseInputPin::GetAllocator(IMemAllocator** ppAllocator)
{
    if (!ppAllocator)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    if (!m_pAllocator) {
        const HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IMemAllocator, reinterpret_cast<void**>(&m_pAllocator));
        if (FAILED(hr))
            return hr;
    }
    *ppAllocator = m_pAllocator;
    m_pAllocator->AddRef();
    return S_OK;
}

STDMETHODIMP CBaseInputPin::NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly)
{
    if (!pAllocator)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    pAllocator->AddRef();
    if (m_pAllocator)
        m_pAllocator->Release();
    m_pAllocator = pAllocator;
    m_bReadOnly = bReadOnly;
    return S_OK;
}

STDMETHODIMP CBaseInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*)
{
    return E_NOTIMPL;
}

HRESULT CBaseInputPin::CheckStreaming()
{
    if (!IsConnected() || IsStopped() || m_bFlushing)
        return VFW_E_WRONG_STATE;
    return S_OK;
}

STDMETHODIMP CBaseInputPin::Receive(IMediaSample* pSample)
{
    if (!pSample)
        return E_POINTER;
    return CheckStreaming();
}

STDMETHODIMP CBaseInputPin::ReceiveMultiple(IMediaSample** pSamples, long nSamples, long* nSamplesProcessed)
{
    if (!pSamples || !nSamplesProcessed)
        return E_POINTER;
    HRESULT hr = S_OK;
    *nSamplesProcessed = 0;
    while (nSamples-- > 0) {
        hr = Receive(pSamples[*nSamplesProcessed]);
        if (hr != S_OK)
            break;
        ++*nSamplesProcessed;
    }
    return hr;
}

STDMETHODIMP CBaseInputPin::ReceiveCanBlock()
{
    return S_OK;
}

STDMETHODIMP CBaseInputPin::BeginFlush()
{
    CAutoLock lock(m_pLock);
    m_bFlushing = TRUE;
    return S_OK;
}

STDMETHODIMP CBaseInputPin::EndFlush()
{
    CAutoLock lock(m_pLock);
    m_bFlushing = FALSE;
    return S_OK;
}

HRESULT CBaseInputPin::BreakConnect()
{
    if (m_pAllocator) {
        m_pAllocator->Decommit();
        m_pAllocator->Release();
        m_pAllocator = nullptr;
    }
    return S_OK;
}

HRESULT CBaseInputPin::Inactive()
{
    m_bFlushing = FALSE;
    return S_OK;
}

// ---------------------------------------------------------- CBaseOutputPin

CBaseOutputPin::CBaseOutputPin(LPCWSTR objectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr,
                               LPCWSTR pinName)
    : CBasePin(objectName, pFilter, pLock, phr, pinName, PINDIR_OUTPUT)
{
}

CBaseOutputPin::~CBaseOutputPin()
{
    CBaseOutputPin::BreakConnect();
}

HRESULT CBaseOutputPin::CheckConnect(IPin* pPin)
{
    HRESULT hr = CBasePin::CheckConnect(pPin);
    if (FAILED(hr))
        return hr;
    hr = pPin->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&m_pInputPin));
    return FAILED(hr) ? E_NOINTERFACE : S_OK;
}

HRESULT CBaseOutputPin::CompleteConnect(IPin*)
{
    return DecideAllocator(m_pInputPin, &m_pAllocator);
}

HRESULT CBaseOutputPin::BreakConnect()
{
    if (m_pAllocator) {
        m_pAllocator->Decommit();
        m_pAllocator->Release();
        m_pAllocator = nullptr;
    }
    if (m_pInputPin) {
        m_pInputPin->Release();
        m_pInputPin = nullptr;
    }
    return S_OK;
}

HRESULT CBaseOutputPin::InitAllocator(IMemAllocator** ppAlloc)
{
    return CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                            reinterpret_cast<void**>(ppAlloc));
}

HRESULT CBaseOutputPin::DecideAllocator(IMemInputPin* pPin, IMemAllocator** ppAlloc)
{
    *ppAlloc = nullptr;
    ALLOCATOR_PROPERTIES props = {};
    pPin->GetAllocatorRequirements(&props);
    if (props.cbAlign == 0)
        props.cbAlign = 1;

    // The downstream allocator first, then one of our own.
    HRESULT hr = pPin->GetAllocator(ppAlloc);
    if (SUCCEEDED(hr)) {
        hr = DecideBufferSize(*ppAlloc, &props);
        if (SUCCEEDED(hr)) {
            hr = pPin->NotifyAllocator(*ppAlloc, FALSE);
            if (SUCCEEDED(hr))
                return S_OK;
        }
    }
    if (*ppAlloc) {
        (*ppAlloc)->Release();
        *ppAlloc = nullptr;
    }
    hr = InitAllocator(ppAlloc);
    if (SUCCEEDED(hr)) {
        hr = DecideBufferSize(*ppAlloc, &props);
        if (SUCCEEDED(hr)) {
            hr = pPin->NotifyAllocator(*ppAlloc, FALSE);
            if (SUCCEEDED(hr))
                return S_OK;
        }
    }
    if (*ppAlloc) {
        (*ppAlloc)->Release();
        *ppAlloc = nullptr;
    }
    return hr;
}

HRESULT CBaseOutputPin::Active()
{
    if (!m_pAllocator)
        return VFW_E_NO_ALLOCATOR;
    return m_pAllocator->Commit();
}

HRESULT CBaseOutputPin::Inactive()
{
    if (!m_pAllocator)
        return VFW_E_NO_ALLOCATOR;
    return m_pAllocator->Decommit();
}

HRESULT CBaseOutputPin::GetDeliveryBuffer(IMediaSample** ppSample, REFERENCE_TIME* pStartTime,
                                          REFERENCE_TIME* pEndTime, DWORD dwFlags)
{
    if (!m_pAllocator)
        return VFW_E_NO_ALLOCATOR;
    return m_pAllocator->GetBuffer(ppSample, pStartTime, pEndTime, dwFlags);
}

HRESULT CBaseOutputPin::Deliver(IMediaSample* pSample)
{
    if (!m_pInputPin)
        return VFW_E_NOT_CONNECTED;
    return m_pInputPin->Receive(pSample);
}

HRESULT CBaseOutputPin::DeliverEndOfStream()
{
    if (!m_Connected)
        return VFW_E_NOT_CONNECTED;
    return m_Connected->EndOfStream();
}

HRESULT CBaseOutputPin::DeliverBeginFlush()
{
    if (!m_Connected)
        return VFW_E_NOT_CONNECTED;
    return m_Connected->BeginFlush();
}

HRESULT CBaseOutputPin::DeliverEndFlush()
{
    if (!m_Connected)
        return VFW_E_NOT_CONNECTED;
    return m_Connected->EndFlush();
}

HRESULT CBaseOutputPin::DeliverNewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    if (!m_Connected)
        return VFW_E_NOT_CONNECTED;
    return m_Connected->NewSegment(tStart, tStop, dRate);
}
