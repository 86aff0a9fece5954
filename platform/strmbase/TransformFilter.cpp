#include "TransformFilter.h"

#include <new>

// ------------------------------------------------------ CTransformInputPin

CTransformInputPin::CTransformInputPin(LPCWSTR objectName, CTransformFilter* pFilter, HRESULT* phr,
                                       LPCWSTR pinName)
    : CBaseInputPin(objectName, pFilter, &pFilter->m_csFilter, phr, pinName), m_pTransformFilter(pFilter)
{
}

HRESULT CTransformInputPin::CheckConnect(IPin* pPin)
{
    const HRESULT hr = m_pTransformFilter->CheckConnect(PINDIR_INPUT, pPin);
    return FAILED(hr) ? hr : CBaseInputPin::CheckConnect(pPin);
}

HRESULT CTransformInputPin::BreakConnect()
{
    m_pTransformFilter->BreakConnect(PINDIR_INPUT);
    return CBaseInputPin::BreakConnect();
}

HRESULT CTransformInputPin::CompleteConnect(IPin* pReceivePin)
{
    const HRESULT hr = m_pTransformFilter->CompleteConnect(PINDIR_INPUT, pReceivePin);
    return FAILED(hr) ? hr : CBaseInputPin::CompleteConnect(pReceivePin);
}

HRESULT CTransformInputPin::CheckMediaType(const CMediaType* pmt)
{
    HRESULT hr = m_pTransformFilter->CheckInputType(pmt);
    if (hr != S_OK)
        return hr;
    CTransformOutputPin* out = m_pTransformFilter->m_pOutput;
    if (out && out->IsConnected())
        hr = m_pTransformFilter->CheckTransform(pmt, &out->CurrentMediaType());
    return hr;
}

HRESULT CTransformInputPin::SetMediaType(const CMediaType* pmt)
{
    const HRESULT hr = CBasePin::SetMediaType(pmt);
    return FAILED(hr) ? hr : m_pTransformFilter->SetMediaType(PINDIR_INPUT, pmt);
}

STDMETHODIMP CTransformInputPin::Receive(IMediaSample* pSample)
{
    CAutoLock lock(&m_pTransformFilter->m_csReceive);
    HRESULT hr = CBaseInputPin::Receive(pSample);
    if (hr == S_OK)
        hr = m_pTransformFilter->Receive(pSample);
    return hr;
}

STDMETHODIMP CTransformInputPin::EndOfStream()
{
    CAutoLock lock(&m_pTransformFilter->m_csReceive);
    const HRESULT hr = CheckStreaming();
    return hr == S_OK ? m_pTransformFilter->EndOfStream() : hr;
}

STDMETHODIMP CTransformInputPin::BeginFlush()
{
    CAutoLock lock(&m_pTransformFilter->m_csFilter);
    if (!IsConnected() || !m_pTransformFilter->m_pOutput->IsConnected())
        return VFW_E_NOT_CONNECTED;
    const HRESULT hr = CBaseInputPin::BeginFlush();
    return FAILED(hr) ? hr : m_pTransformFilter->BeginFlush();
}

STDMETHODIMP CTransformInputPin::EndFlush()
{
    CAutoLock lock(&m_pTransformFilter->m_csFilter);
    if (!IsConnected() || !m_pTransformFilter->m_pOutput->IsConnected())
        return VFW_E_NOT_CONNECTED;
    const HRESULT hr = m_pTransformFilter->EndFlush();
    return FAILED(hr) ? hr : CBaseInputPin::EndFlush();
}

STDMETHODIMP CTransformInputPin::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    CBasePin::NewSegment(tStart, tStop, dRate);
    return m_pTransformFilter->NewSegment(tStart, tStop, dRate);
}

// ----------------------------------------------------- CTransformOutputPin

CTransformOutputPin::CTransformOutputPin(LPCWSTR objectName, CTransformFilter* pFilter, HRESULT* phr,
                                         LPCWSTR pinName)
    : CBaseOutputPin(objectName, pFilter, &pFilter->m_csFilter, phr, pinName), m_pTransformFilter(pFilter)
{
}

HRESULT CTransformOutputPin::CheckConnect(IPin* pPin)
{
    // Nothing flows out before something flows in.
    if (!m_pTransformFilter->m_pInput->IsConnected())
        return E_UNEXPECTED;
    const HRESULT hr = m_pTransformFilter->CheckConnect(PINDIR_OUTPUT, pPin);
    return FAILED(hr) ? hr : CBaseOutputPin::CheckConnect(pPin);
}

HRESULT CTransformOutputPin::BreakConnect()
{
    m_pTransformFilter->BreakConnect(PINDIR_OUTPUT);
    return CBaseOutputPin::BreakConnect();
}

HRESULT CTransformOutputPin::CompleteConnect(IPin* pReceivePin)
{
    const HRESULT hr = m_pTransformFilter->CompleteConnect(PINDIR_OUTPUT, pReceivePin);
    return FAILED(hr) ? hr : CBaseOutputPin::CompleteConnect(pReceivePin);
}

HRESULT CTransformOutputPin::CheckMediaType(const CMediaType* pmt)
{
    CTransformInputPin* in = m_pTransformFilter->m_pInput;
    if (!in->IsConnected())
        return E_UNEXPECTED;
    return m_pTransformFilter->CheckTransform(&in->CurrentMediaType(), pmt);
}

HRESULT CTransformOutputPin::SetMediaType(const CMediaType* pmt)
{
    const HRESULT hr = CBasePin::SetMediaType(pmt);
    return FAILED(hr) ? hr : m_pTransformFilter->SetMediaType(PINDIR_OUTPUT, pmt);
}

HRESULT CTransformOutputPin::GetMediaType(int iPosition, CMediaType* pmt)
{
    if (!m_pTransformFilter->m_pInput->IsConnected())
        return VFW_S_NO_MORE_ITEMS;
    return m_pTransformFilter->GetMediaType(iPosition, pmt);
}

HRESULT CTransformOutputPin::DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProps)
{
    return m_pTransformFilter->DecideBufferSize(pAlloc, pProps);
}

// -------------------------------------------------------- CTransformFilter

CTransformFilter::CTransformFilter(LPCWSTR name, LPUNKNOWN pUnk, REFCLSID clsid)
    : CBaseFilter(name, pUnk, &m_csFilter, clsid)
{
}

CTransformFilter::~CTransformFilter()
{
    delete m_pInput;
    delete m_pOutput;
}

bool CTransformFilter::CreatePins()
{
    HRESULT hr = S_OK;
    m_pInput = new (std::nothrow) CTransformInputPin(L"Transform input pin", this, &hr, L"Input");
    m_pOutput = new (std::nothrow) CTransformOutputPin(L"Transform output pin", this, &hr, L"Output");
    return m_pInput && m_pOutput;
}

CBasePin* CTransformFilter::GetPin(int n)
{
    if (!m_pInput && !m_pOutput && !CreatePins()) {
        delete m_pInput;
        delete m_pOutput;
        m_pInput = nullptr;
        m_pOutput = nullptr;
    }
    if (n == 0)
        return m_pInput;
    if (n == 1)
        return m_pOutput;
    return nullptr;
}

STDMETHODIMP CTransformFilter::Stop()
{
    CAutoLock lock(&m_csFilter);
    if (m_State == State_Stopped)
        return S_OK;
    // Decommitting the allocators first releases a streaming thread that
    // waits for a buffer, so the receive lock can be taken.
    if (m_pInput)
        m_pInput->Inactive();
    if (m_pOutput && m_pOutput->IsConnected())
        m_pOutput->Inactive();
    HRESULT hr;
    {
        CAutoLock receive(&m_csReceive);
        hr = StopStreaming();
    }
    m_State = State_Stopped;
    return hr;
}

STDMETHODIMP CTransformFilter::Pause()
{
    CAutoLock lock(&m_csFilter);
    if (m_State == State_Stopped) {
        CAutoLock receive(&m_csReceive);
        const HRESULT hr = StartStreaming();
        if (FAILED(hr))
            return hr;
    }
    return CBaseFilter::Pause();
}

HRESULT CTransformFilter::Transform(IMediaSample*, IMediaSample*)
{
    return E_UNEXPECTED;
}

HRESULT CTransformFilter::InitializeOutputSample(IMediaSample* pSample, IMediaSample** ppOutSample)
{
    *ppOutSample = nullptr;
    REFERENCE_TIME tStart = 0, tStop = 0;
    const HRESULT hrTime = pSample->GetTime(&tStart, &tStop);
    const bool timed = hrTime == S_OK || hrTime == VFW_S_NO_STOP_TIME;
    const DWORD flags = pSample->IsSyncPoint() == S_OK ? 0 : AM_GBF_NOTASYNCPOINT;
    IMediaSample* out = nullptr;
    HRESULT hr = m_pOutput->GetDeliveryBuffer(&out, timed ? &tStart : nullptr, timed ? &tStop : nullptr, flags);
    if (FAILED(hr))
        return hr;
    if (timed)
        out->SetTime(&tStart, hrTime == S_OK ? &tStop : nullptr);
    else
        out->SetTime(nullptr, nullptr);
    out->SetSyncPoint(pSample->IsSyncPoint() == S_OK);
    out->SetDiscontinuity(pSample->IsDiscontinuity() == S_OK);
    out->SetPreroll(pSample->IsPreroll() == S_OK);
    AM_MEDIA_TYPE* pmt = nullptr;
    if (pSample->GetMediaType(&pmt) == S_OK && pmt) {
        out->SetMediaType(pmt);
        DeleteMediaType(pmt);
    }
    LONGLONG mStart = 0, mStop = 0;
    if (pSample->GetMediaTime(&mStart, &mStop) == S_OK)
        out->SetMediaTime(&mStart, &mStop);
    *ppOutSample = out;
    return S_OK;
}

HRESULT CTransformFilter::Receive(IMediaSample* pSample)
{
    IMediaSample* out = nullptr;
    HRESULT hr = InitializeOutputSample(pSample, &out);
    if (FAILED(hr))
        return hr;
    hr = Transform(pSample, out);
    if (hr == S_OK)
        hr = m_pOutput->Deliver(out);
    else if (hr == S_FALSE)
        hr = S_OK;  // the transform chose to drop this sample
    out->Release();
    return hr;
}

HRESULT CTransformFilter::EndOfStream()
{
    return m_pOutput->IsConnected() ? m_pOutput->DeliverEndOfStream() : S_OK;
}

HRESULT CTransformFilter::BeginFlush()
{
    return m_pOutput->DeliverBeginFlush();
}

HRESULT CTransformFilter::EndFlush()
{
    return m_pOutput->DeliverEndFlush();
}

HRESULT CTransformFilter::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    return m_pOutput->IsConnected() ? m_pOutput->DeliverNewSegment(tStart, tStop, dRate) : S_OK;
}
