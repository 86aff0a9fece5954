#include "TransInPlaceFilter.h"

#include <cstring>
#include <new>

// --------------------------------------------------- CTransInPlaceInputPin

CTransInPlaceInputPin::CTransInPlaceInputPin(LPCWSTR objectName, CTransInPlaceFilter* pFilter, HRESULT* phr,
                                             LPCWSTR pinName)
    : CTransformInputPin(objectName, pFilter, phr, pinName), m_pTIPFilter(pFilter)
{
}

STDMETHODIMP CTransInPlaceInputPin::EnumMediaTypes(IEnumMediaTypes** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    CTransInPlaceOutputPin* out = m_pTIPFilter->OutputPin();
    if (out && out->IsConnected())
        return out->GetConnected()->EnumMediaTypes(ppEnum);
    return CTransformInputPin::EnumMediaTypes(ppEnum);
}

HRESULT CTransInPlaceInputPin::CheckMediaType(const CMediaType* pmt)
{
    const HRESULT hr = m_pTIPFilter->CheckInputType(pmt);
    if (hr != S_OK)
        return hr;
    CTransInPlaceOutputPin* out = m_pTIPFilter->OutputPin();
    if (out && out->IsConnected())
        return out->GetConnected()->QueryAccept(pmt) == S_OK ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

STDMETHODIMP CTransInPlaceInputPin::GetAllocator(IMemAllocator** ppAllocator)
{
    if (!ppAllocator)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    CTransInPlaceOutputPin* out = m_pTIPFilter->OutputPin();
    if (out && out->IsConnected() && out->ConnectedIMemInputPin())
        return out->ConnectedIMemInputPin()->GetAllocator(ppAllocator);
    return CTransformInputPin::GetAllocator(ppAllocator);
}

STDMETHODIMP CTransInPlaceInputPin::NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly)
{
    if (!pAllocator)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    HRESULT hr = CTransformInputPin::NotifyAllocator(pAllocator, bReadOnly);
    if (FAILED(hr))
        return hr;
    CTransInPlaceOutputPin* out = m_pTIPFilter->OutputPin();
    if (out && out->IsConnected() && out->ConnectedIMemInputPin() && out->PeekAllocator() != pAllocator) {
        // Downstream may refuse; then each side keeps its own and Receive copies.
        if (SUCCEEDED(out->ConnectedIMemInputPin()->NotifyAllocator(pAllocator, bReadOnly)))
            out->SetAllocator(pAllocator);
    }
    return S_OK;
}

// -------------------------------------------------- CTransInPlaceOutputPin

CTransInPlaceOutputPin::CTransInPlaceOutputPin(LPCWSTR objectName, CTransInPlaceFilter* pFilter, HRESULT* phr,
                                               LPCWSTR pinName)
    : CTransformOutputPin(objectName, pFilter, phr, pinName), m_pTIPFilter(pFilter)
{
}

STDMETHODIMP CTransInPlaceOutputPin::EnumMediaTypes(IEnumMediaTypes** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    CTransInPlaceInputPin* in = m_pTIPFilter->InputPin();
    if (!in || !in->IsConnected())
        return VFW_E_NOT_CONNECTED;
    return in->GetConnected()->EnumMediaTypes(ppEnum);
}

HRESULT CTransInPlaceOutputPin::CheckMediaType(const CMediaType* pmt)
{
    CTransInPlaceInputPin* in = m_pTIPFilter->InputPin();
    if (!in || !in->IsConnected())
        return VFW_E_NOT_CONNECTED;
    const HRESULT hr = m_pTIPFilter->CheckInputType(pmt);
    if (hr != S_OK)
        return hr;
    if (*pmt == in->CurrentMediaType())
        return S_OK;
    // Another type goes out only if upstream can send it too.
    return in->GetConnected()->QueryAccept(pmt) == S_OK ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

void CTransInPlaceOutputPin::SetAllocator(IMemAllocator* pAllocator)
{
    pAllocator->AddRef();
    if (m_pAllocator)
        m_pAllocator->Release();
    m_pAllocator = pAllocator;
}

HRESULT CTransInPlaceOutputPin::DecideAllocator(IMemInputPin* pPin, IMemAllocator** ppAlloc)
{
    *ppAlloc = nullptr;
    CTransInPlaceInputPin* in = m_pTIPFilter->InputPin();
    IMemAllocator* upstream = in ? in->PeekAllocator() : nullptr;
    if (upstream && SUCCEEDED(pPin->NotifyAllocator(upstream, in->IsReadOnly()))) {
        upstream->AddRef();
        *ppAlloc = upstream;
        return S_OK;
    }
    // Downstream insists on its own buffers: size them like upstream's.
    return CTransformOutputPin::DecideAllocator(pPin, ppAlloc);
}

// ----------------------------------------------------- CTransInPlaceFilter

CTransInPlaceFilter::CTransInPlaceFilter(LPCWSTR name, LPUNKNOWN pUnk, REFCLSID clsid, HRESULT*,
                                         bool bModifiesData)
    : CTransformFilter(name, pUnk, clsid), m_bModifiesData(bModifiesData)
{
}

bool CTransInPlaceFilter::CreatePins()
{
    HRESULT hr = S_OK;
    m_pInput = new (std::nothrow) CTransInPlaceInputPin(L"TransInPlace input pin", this, &hr, L"Input");
    m_pOutput = new (std::nothrow) CTransInPlaceOutputPin(L"TransInPlace output pin", this, &hr, L"Output");
    return m_pInput && m_pOutput;
}

HRESULT CTransInPlaceFilter::DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProps)
{
    ALLOCATOR_PROPERTIES want = *pProps;
    IMemAllocator* upstream = m_pInput->PeekAllocator();
    ALLOCATOR_PROPERTIES up = {};
    if (upstream && SUCCEEDED(upstream->GetProperties(&up)) && up.cBuffers > 0) {
        // Downstream buffers mirror upstream's: a Smart Tee that queues
        // frames needs the same count.
        want.cBuffers = up.cBuffers;
        want.cbBuffer = up.cbBuffer;
        want.cbAlign = up.cbAlign;
        want.cbPrefix = up.cbPrefix;
    } else {
        const CMediaType& mt = m_pInput->CurrentMediaType();
        if (want.cBuffers < 1)
            want.cBuffers = 1;
        if (want.cbBuffer < LONG(mt.GetSampleSize()))
            want.cbBuffer = LONG(mt.GetSampleSize());
        if (mt.formattype == FORMAT_VideoInfo && mt.cbFormat >= sizeof(VIDEOINFOHEADER)) {
            const LONG image = LONG(GetBitmapSize(HEADER(mt.pbFormat)));
            if (want.cbBuffer < image)
                want.cbBuffer = image;
        }
    }
    if (want.cbAlign < 1)
        want.cbAlign = 1;
    ALLOCATOR_PROPERTIES actual = {};
    const HRESULT hr = pAlloc->SetProperties(&want, &actual);
    if (FAILED(hr))
        return hr;
    if (actual.cBuffers < want.cBuffers || actual.cbBuffer < want.cbBuffer)
        return E_FAIL;
    return S_OK;
}

HRESULT CTransInPlaceFilter::CompleteConnect(PIN_DIRECTION dir, IPin*)
{
    if (dir != PINDIR_OUTPUT || !m_pInput->IsConnected())
        return S_OK;
    if (m_pOutput->CurrentMediaType() == m_pInput->CurrentMediaType())
        return S_OK;
    // Downstream took another type than upstream sends: upstream must switch.
    if (!m_pGraph)
        return VFW_E_NOT_IN_GRAPH;
    IFilterGraph2* graph2 = nullptr;
    HRESULT hr = m_pGraph->QueryInterface(IID_IFilterGraph2, reinterpret_cast<void**>(&graph2));
    if (FAILED(hr))
        return hr;
    hr = graph2->ReconnectEx(m_pInput, &m_pOutput->CurrentMediaType());
    graph2->Release();
    return hr;
}

bool CTransInPlaceFilter::UsingDifferentAllocators() const
{
    return m_pInput->PeekAllocator() != m_pOutput->PeekAllocator();
}

IMediaSample* CTransInPlaceFilter::Copy(IMediaSample* pSource)
{
    IMediaSample* dest = nullptr;
    if (FAILED(InitializeOutputSample(pSource, &dest)))
        return nullptr;
    const long length = pSource->GetActualDataLength();
    BYTE* from = nullptr;
    BYTE* to = nullptr;
    if (length < 0 || length > dest->GetSize() || FAILED(pSource->GetPointer(&from)) ||
        FAILED(dest->GetPointer(&to))) {
        dest->Release();
        return nullptr;
    }
    memcpy(to, from, size_t(length));
    dest->SetActualDataLength(length);
    return dest;
}

HRESULT CTransInPlaceFilter::Receive(IMediaSample* pSample)
{
    IMediaSample* sample = pSample;
    const bool copy = UsingDifferentAllocators() || (m_bModifiesData && m_pInput->IsReadOnly());
    if (copy) {
        sample = Copy(pSample);
        if (!sample)
            return E_UNEXPECTED;
    }
    HRESULT hr = Transform(sample);
    if (hr == S_OK)
        hr = m_pOutput->Deliver(sample);
    else if (hr == S_FALSE)
        hr = S_OK;  // the transform chose to drop this sample
    if (copy)
        sample->Release();
    return hr;
}
