#include "BaseFilter.h"
#include "BasePin.h"

#include <cwchar>
#include <new>

namespace {

WCHAR* CopyString(LPCWSTR s)
{
    if (!s)
        return nullptr;
    const size_t n = wcslen(s) + 1;
    WCHAR* p = new (std::nothrow) WCHAR[n];
    if (p)
        wmemcpy(p, s, n);
    return p;
}

}  // namespace

CBaseFilter::CBaseFilter(LPCWSTR name, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid, HRESULT*)
    : CUnknown(name, pUnk), m_clsid(clsid), m_pLock(pLock)
{
}

CBaseFilter::~CBaseFilter()
{
    delete[] m_pName;
    if (m_pClock)
        m_pClock->Release();
}

STDMETHODIMP CBaseFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IBaseFilter)
        return GetInterface(static_cast<IBaseFilter*>(this), ppv);
    if (riid == IID_IMediaFilter)
        return GetInterface(static_cast<IMediaFilter*>(this), ppv);
    if (riid == IID_IPersist)
        return GetInterface(static_cast<IPersist*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CBaseFilter::GetClassID(CLSID* pClsID)
{
    if (!pClsID)
        return E_POINTER;
    *pClsID = m_clsid;
    return S_OK;
}

STDMETHODIMP CBaseFilter::Stop()
{
    CAutoLock lock(m_pLock);
    HRESULT hr = S_OK;
    if (m_State != State_Stopped) {
        for (int i = 0; i < GetPinCount(); ++i) {
            CBasePin* pin = GetPin(i);
            if (pin && pin->IsConnected()) {
                const HRESULT hrPin = pin->Inactive();
                if (FAILED(hrPin) && SUCCEEDED(hr))
                    hr = hrPin;
            }
        }
    }
    m_State = State_Stopped;
    return hr;
}

STDMETHODIMP CBaseFilter::Pause()
{
    CAutoLock lock(m_pLock);
    if (m_State == State_Stopped) {
        for (int i = 0; i < GetPinCount(); ++i) {
            CBasePin* pin = GetPin(i);
            if (pin && pin->IsConnected()) {
                const HRESULT hr = pin->Active();
                if (FAILED(hr))
                    return hr;
            }
        }
    }
    m_State = State_Paused;
    return S_OK;
}

STDMETHODIMP CBaseFilter::Run(REFERENCE_TIME tStart)
{
    CAutoLock lock(m_pLock);
    m_tStart = tStart;
    if (m_State == State_Stopped) {
        const HRESULT hr = Pause();
        if (FAILED(hr))
            return hr;
    }
    if (m_State != State_Running) {
        for (int i = 0; i < GetPinCount(); ++i) {
            CBasePin* pin = GetPin(i);
            if (pin && pin->IsConnected()) {
                const HRESULT hr = pin->Run(tStart);
                if (FAILED(hr))
                    return hr;
            }
        }
    }
    m_State = State_Running;
    return S_OK;
}

STDMETHODIMP CBaseFilter::GetState(DWORD, FILTER_STATE* State)
{
    if (!State)
        return E_POINTER;
    *State = m_State;
    return S_OK;
}

STDMETHODIMP CBaseFilter::SetSyncSource(IReferenceClock* pClock)
{
    CAutoLock lock(m_pLock);
    if (pClock)
        pClock->AddRef();
    if (m_pClock)
        m_pClock->Release();
    m_pClock = pClock;
    return S_OK;
}

STDMETHODIMP CBaseFilter::GetSyncSource(IReferenceClock** pClock)
{
    if (!pClock)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    *pClock = m_pClock;
    if (m_pClock)
        m_pClock->AddRef();
    return S_OK;
}

STDMETHODIMP CBaseFilter::EnumPins(IEnumPins** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = new (std::nothrow) CEnumPins(this, 0);
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CBaseFilter::FindPin(LPCWSTR Id, IPin** ppPin)
{
    if (!Id || !ppPin)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    for (int i = 0; i < GetPinCount(); ++i) {
        CBasePin* pin = GetPin(i);
        if (pin && wcscmp(pin->Name(), Id) == 0)
            return GetInterface(static_cast<IPin*>(pin), reinterpret_cast<void**>(ppPin));
    }
    *ppPin = nullptr;
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP CBaseFilter::QueryFilterInfo(FILTER_INFO* pInfo)
{
    if (!pInfo)
        return E_POINTER;
    pInfo->achName[0] = 0;
    if (m_pName)
        lstrcpynW(pInfo->achName, m_pName, MAX_FILTER_NAME);
    pInfo->pGraph = m_pGraph;
    if (m_pGraph)
        m_pGraph->AddRef();
    return S_OK;
}

STDMETHODIMP CBaseFilter::JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName)
{
    CAutoLock lock(m_pLock);
    m_pGraph = pGraph;
    m_pSink = nullptr;
    if (pGraph) {
        IMediaEventSink* sink = nullptr;
        if (SUCCEEDED(pGraph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink)))) {
            m_pSink = sink;
            sink->Release();  // the graph outlives our membership
        }
    }
    delete[] m_pName;
    m_pName = CopyString(pName);
    return S_OK;
}

STDMETHODIMP CBaseFilter::QueryVendorInfo(LPWSTR*)
{
    return E_NOTIMPL;
}

HRESULT CBaseFilter::NotifyEvent(long EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2)
{
    if (!m_pSink)
        return E_NOTIMPL;
    if (EventCode == EC_COMPLETE || EventCode == EC_ERRORABORT)
        EventParam2 = reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this));
    return m_pSink->Notify(EventCode, EventParam1, EventParam2);
}

CEnumPins::CEnumPins(CBaseFilter* pFilter, int position) : CEnumBase(pFilter, position) {}

STDMETHODIMP CEnumPins::Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched)
{
    if (!ppPins || (cPins > 1 && !pcFetched))
        return E_POINTER;
    ULONG fetched = 0;
    while (fetched < cPins && m_Position < m_pOwner->GetPinCount()) {
        CBasePin* pin = m_pOwner->GetPin(m_Position++);
        if (!pin)
            break;
        ppPins[fetched] = pin;
        pin->AddRef();
        ++fetched;
    }
    if (pcFetched)
        *pcFetched = fetched;
    return fetched == cPins ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumPins::Skip(ULONG cPins)
{
    const int left = m_pOwner->GetPinCount() - m_Position;
    if (int(cPins) > left)
        return S_FALSE;
    m_Position += int(cPins);
    return S_OK;
}

STDMETHODIMP CEnumPins::Reset()
{
    m_Position = 0;
    return S_OK;
}

STDMETHODIMP CEnumPins::Clone(IEnumPins** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = new (std::nothrow) CEnumPins(m_pOwner, m_Position);
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}
