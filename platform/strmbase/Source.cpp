#include "Source.h"

#include <new>

#include <uuids.h>
#include <vfwmsgs.h>

CSource::CSource(LPCWSTR name, LPUNKNOWN pUnk, CLSID clsid, HRESULT* phr)
    : CBaseFilter(name, pUnk, &m_cStateLock, clsid, phr)
{
}

CSource::~CSource()
{
    // A stream's destructor removes it from the table.
    while (m_iPins > 0)
        delete m_paStreams[m_iPins - 1];
    delete[] m_paStreams;
}

int CSource::GetPinCount()
{
    CAutoLock lock(&m_cStateLock);
    return m_iPins;
}

CBasePin* CSource::GetPin(int n)
{
    CAutoLock lock(&m_cStateLock);
    if (n < 0 || n >= m_iPins)
        return nullptr;
    return m_paStreams[n];
}

HRESULT CSource::AddPin(CSourceStream* pStream)
{
    CAutoLock lock(&m_cStateLock);
    CSourceStream** streams = new (std::nothrow) CSourceStream*[m_iPins + 1];
    if (!streams)
        return E_OUTOFMEMORY;
    for (int i = 0; i < m_iPins; ++i)
        streams[i] = m_paStreams[i];
    streams[m_iPins] = pStream;
    delete[] m_paStreams;
    m_paStreams = streams;
    ++m_iPins;
    return S_OK;
}

HRESULT CSource::RemovePin(CSourceStream* pStream)
{
    CAutoLock lock(&m_cStateLock);
    for (int i = 0; i < m_iPins; ++i) {
        if (m_paStreams[i] == pStream) {
            for (int j = i + 1; j < m_iPins; ++j)
                m_paStreams[j - 1] = m_paStreams[j];
            --m_iPins;
            return S_OK;
        }
    }
    return S_FALSE;
}

CSourceStream::CSourceStream(LPCWSTR objectName, HRESULT* phr, CSource* pms, LPCWSTR pName)
    : CBaseOutputPin(objectName, pms, pms->pStateLock(), phr, pName), m_pFilter(pms)
{
    const HRESULT hr = pms->AddPin(this);
    if (phr && FAILED(hr))
        *phr = hr;
}

CSourceStream::~CSourceStream()
{
    m_pFilter->RemovePin(this);
}

STDMETHODIMP CSourceStream::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IKsPropertySet && m_category != GUID_NULL)
        return GetInterface(static_cast<IKsPropertySet*>(this), ppv);
    return CBaseOutputPin::NonDelegatingQueryInterface(riid, ppv);
}

void CSourceStream::SetPinCategory(REFGUID category)
{
    m_category = category;
}

STDMETHODIMP CSourceStream::Set(REFGUID guidPropSet, DWORD, LPVOID, DWORD, LPVOID, DWORD)
{
    // The category is the pin's own; nobody may change it.
    return guidPropSet == AMPROPSETID_Pin ? E_PROP_ID_UNSUPPORTED : E_PROP_SET_UNSUPPORTED;
}

STDMETHODIMP CSourceStream::Get(REFGUID guidPropSet, DWORD dwPropID, LPVOID, DWORD, LPVOID pPropData,
                                DWORD cbPropData, DWORD* pcbReturned)
{
    if (guidPropSet != AMPROPSETID_Pin)
        return E_PROP_SET_UNSUPPORTED;
    if (dwPropID != AMPROPERTY_PIN_CATEGORY)
        return E_PROP_ID_UNSUPPORTED;
    // No buffer asks only for the size.
    if (!pPropData) {
        if (!pcbReturned)
            return E_POINTER;
        *pcbReturned = sizeof(GUID);
        return S_OK;
    }
    if (cbPropData < sizeof(GUID))
        return E_UNEXPECTED;
    *static_cast<GUID*>(pPropData) = m_category;
    if (pcbReturned)
        *pcbReturned = sizeof(GUID);
    return S_OK;
}

STDMETHODIMP CSourceStream::QuerySupported(REFGUID guidPropSet, DWORD dwPropID, DWORD* pTypeSupport)
{
    if (guidPropSet != AMPROPSETID_Pin)
        return E_PROP_SET_UNSUPPORTED;
    if (dwPropID != AMPROPERTY_PIN_CATEGORY)
        return E_PROP_ID_UNSUPPORTED;
    if (pTypeSupport)
        *pTypeSupport = KSPROPERTY_SUPPORT_GET;
    return S_OK;
}

HRESULT CSourceStream::Active()
{
    CAutoLock lock(m_pFilter->pStateLock());
    if (m_pFilter->IsActive())
        return S_FALSE;
    if (!IsConnected())
        return S_OK;
    HRESULT hr = CBaseOutputPin::Active();
    if (FAILED(hr))
        return hr;
    if (!Create())
        return E_FAIL;
    hr = Init();
    if (FAILED(hr)) {
        // The thread could not start streaming: end it, or stopping and
        // destroying the pin would wait for it for ever.
        Exit();
        Close();
        CBaseOutputPin::Inactive();
        return hr;
    }
    return Pause();
}

HRESULT CSourceStream::Inactive()
{
    CAutoLock lock(m_pFilter->pStateLock());
    if (!IsConnected())
        return S_OK;
    // Decommitting first ends a wait for a free buffer.
    HRESULT hr = CBaseOutputPin::Inactive();
    if (FAILED(hr))
        return hr;
    if (ThreadExists()) {
        Stop();
        hr = Exit();
        Close();
    }
    return hr;
}

HRESULT CSourceStream::CheckMediaType(const CMediaType* pmt)
{
    CAutoLock lock(m_pFilter->pStateLock());
    CMediaType mt;
    if (FAILED(GetMediaType(&mt)))
        return E_FAIL;
    return mt == *pmt ? S_OK : E_FAIL;
}

HRESULT CSourceStream::GetMediaType(int iPosition, CMediaType* pMediaType)
{
    if (iPosition < 0)
        return E_INVALIDARG;
    if (iPosition > 0)
        return VFW_S_NO_MORE_ITEMS;
    return GetMediaType(pMediaType);
}

HRESULT CSourceStream::GetMediaType(CMediaType*)
{
    return E_UNEXPECTED;
}

DWORD CSourceStream::ThreadProc()
{
    for (;;) {
        const DWORD com = GetRequest();
        switch (com) {
        case CMD_INIT:
            Reply(DWORD(OnThreadCreate()));
            break;
        case CMD_PAUSE:
        case CMD_RUN:
            Reply(DWORD(S_OK));
            DoBufferProcessingLoop();
            break;
        case CMD_STOP:
            Reply(DWORD(S_OK));
            break;
        case CMD_EXIT:
            OnThreadDestroy();
            Reply(DWORD(S_OK));
            return 0;
        default:
            Reply(DWORD(E_UNEXPECTED));
            break;
        }
    }
}

HRESULT CSourceStream::DoBufferProcessingLoop()
{
    OnThreadStartPlay();
    for (;;) {
        DWORD com;
        while (!CheckRequest(&com)) {
            IMediaSample* sample = nullptr;
            HRESULT hr = GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
            if (FAILED(hr)) {
                // Decommitted: a stop is on its way; wait for it.
                Sleep(1);
                continue;
            }
            hr = FillBuffer(sample);
            if (hr == S_OK) {
                hr = Deliver(sample);
                sample->Release();
                if (hr != S_OK)
                    return S_OK;  // downstream stopped taking samples
            } else if (hr == S_FALSE && !FalseFillEndsStream()) {
                sample->Release();
            } else {
                sample->Release();
                DeliverEndOfStream();
                if (FAILED(hr))
                    m_pFilter->NotifyEvent(EC_ERRORABORT, hr, 0);
                return hr;
            }
        }
        // Pause and run keep the stream going; anything else ends the loop.
        if (com != CMD_RUN && com != CMD_PAUSE)
            return S_OK;
        GetRequest();
        Reply(DWORD(S_OK));
    }
}
