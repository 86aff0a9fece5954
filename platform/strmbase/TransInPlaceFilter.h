// A transform that works on the upstream sample itself and passes the same
// buffer on, copying only when the two sides' allocators differ or the
// upstream buffers are read-only.
#pragma once

#include "TransformFilter.h"

class CTransInPlaceFilter;

class CTransInPlaceInputPin : public CTransformInputPin {
public:
    CTransInPlaceInputPin(LPCWSTR objectName, CTransInPlaceFilter* pFilter, HRESULT* phr, LPCWSTR pinName);

    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** ppEnum) override;
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    STDMETHODIMP GetAllocator(IMemAllocator** ppAllocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly) override;

protected:
    CTransInPlaceFilter* m_pTIPFilter;
};

class CTransInPlaceOutputPin : public CTransformOutputPin {
public:
    CTransInPlaceOutputPin(LPCWSTR objectName, CTransInPlaceFilter* pFilter, HRESULT* phr, LPCWSTR pinName);

    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** ppEnum) override;
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT DecideAllocator(IMemInputPin* pPin, IMemAllocator** ppAlloc) override;

    // Takes over the upstream allocator once downstream has accepted it.
    void SetAllocator(IMemAllocator* pAllocator);

protected:
    CTransInPlaceFilter* m_pTIPFilter;
};

class CTransInPlaceFilter : public CTransformFilter {
public:
    // bModifiesData false promises that Transform only reads the sample.
    CTransInPlaceFilter(LPCWSTR name, LPUNKNOWN pUnk, REFCLSID clsid, HRESULT* phr, bool bModifiesData = true);

    // The output type is the input type.
    HRESULT CheckTransform(const CMediaType*, const CMediaType*) override { return S_OK; }
    HRESULT GetMediaType(int, CMediaType*) override { return E_UNEXPECTED; }
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProps) override;
    HRESULT CompleteConnect(PIN_DIRECTION dir, IPin* pReceivePin) override;
    HRESULT Receive(IMediaSample* pSample) override;

    virtual HRESULT Transform(IMediaSample* pSample) = 0;

protected:
    bool CreatePins() override;
    IMediaSample* Copy(IMediaSample* pSource);
    bool UsingDifferentAllocators() const;
    CTransInPlaceInputPin* InputPin() const { return static_cast<CTransInPlaceInputPin*>(m_pInput); }
    CTransInPlaceOutputPin* OutputPin() const { return static_cast<CTransInPlaceOutputPin*>(m_pOutput); }

    const bool m_bModifiesData;

    friend class CTransInPlaceInputPin;
    friend class CTransInPlaceOutputPin;
};
