// Pins: connection and media-type agreement, and the sample transport of
// input and output pins.
#pragma once

#include "BaseFilter.h"
#include "MediaType.h"

class CBasePin : public CUnknown, public IPin, public IQualityControl {
public:
    CBasePin(LPCWSTR objectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr,
             LPCWSTR pinName, PIN_DIRECTION dir);
    ~CBasePin() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    // A pin lives as long as its filter.
    STDMETHODIMP_(ULONG) NonDelegatingAddRef() override;
    STDMETHODIMP_(ULONG) NonDelegatingRelease() override;

    // IPin
    STDMETHODIMP Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pPin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* pInfo) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* pPinDir) override;
    STDMETHODIMP QueryId(LPWSTR* Id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** ppEnum) override;
    STDMETHODIMP QueryInternalConnections(IPin** apPin, ULONG* nPin) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override = 0;
    STDMETHODIMP EndFlush() override = 0;
    STDMETHODIMP NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;
    // IQualityControl
    STDMETHODIMP Notify(IBaseFilter* pSender, Quality q) override;
    STDMETHODIMP SetSink(IQualityControl* piqc) override;

    // What derived pins decide.
    virtual HRESULT CheckMediaType(const CMediaType* pmt) = 0;
    virtual HRESULT GetMediaType(int iPosition, CMediaType* pMediaType);
    virtual HRESULT SetMediaType(const CMediaType* pmt);
    virtual HRESULT CheckConnect(IPin* pPin);
    virtual HRESULT BreakConnect();
    virtual HRESULT CompleteConnect(IPin* pReceivePin);
    virtual HRESULT Active() { return S_OK; }
    virtual HRESULT Inactive() { return S_OK; }
    virtual HRESULT Run(REFERENCE_TIME) { return S_OK; }

    BOOL IsConnected() const { return m_Connected != nullptr; }
    IPin* GetConnected() const { return m_Connected; }
    BOOL IsStopped() const { return m_pFilter->IsStopped(); }
    CMediaType& CurrentMediaType() { return m_mt; }
    LPCWSTR Name() const { return m_pName; }

protected:
    virtual HRESULT AgreeMediaType(IPin* pReceivePin, const CMediaType* pmt);
    HRESULT AttemptConnection(IPin* pReceivePin, const CMediaType* pmt);
    HRESULT TryMediaTypes(IPin* pReceivePin, const CMediaType* pmt, IEnumMediaTypes* pEnum);

    WCHAR* m_pName;
    IPin* m_Connected = nullptr;   // held while connected
    PIN_DIRECTION m_dir;
    CCritSec* m_pLock;              // the filter's lock
    CBaseFilter* m_pFilter;
    CMediaType m_mt;                // the connected type
    BOOL m_bTryMyTypesFirst = FALSE;
    IQualityControl* m_pQSink = nullptr;
    REFERENCE_TIME m_tStart = 0, m_tStop = 0;
    double m_dRate = 1.0;
};

class CEnumMediaTypes : public CEnumBase<IEnumMediaTypes, &IID_IEnumMediaTypes, CBasePin> {
public:
    CEnumMediaTypes(CBasePin* pPin, int position);

    STDMETHODIMP Next(ULONG cMediaTypes, AM_MEDIA_TYPE** ppMediaTypes, ULONG* pcFetched) override;
    STDMETHODIMP Skip(ULONG cMediaTypes) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumMediaTypes** ppEnum) override;
};

class CBaseInputPin : public CBasePin, public IMemInputPin {
public:
    CBaseInputPin(LPCWSTR objectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr, LPCWSTR pinName);
    ~CBaseInputPin() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IMemInputPin
    STDMETHODIMP GetAllocator(IMemAllocator** ppAllocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* pProps) override;
    STDMETHODIMP Receive(IMediaSample* pSample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** pSamples, long nSamples, long* nSamplesProcessed) override;
    STDMETHODIMP ReceiveCanBlock() override;

    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

    HRESULT BreakConnect() override;
    HRESULT Inactive() override;
    // VFW_E_WRONG_STATE unless samples may flow now.
    virtual HRESULT CheckStreaming();

    BOOL IsReadOnly() const { return m_bReadOnly; }
    BOOL IsFlushing() const { return m_bFlushing; }
    IMemAllocator* PeekAllocator() const { return m_pAllocator; }

protected:
    IMemAllocator* m_pAllocator = nullptr;  // the allocator upstream uses
    BOOL m_bReadOnly = FALSE;
    BOOL m_bFlushing = FALSE;
};

class CBaseOutputPin : public CBasePin {
public:
    CBaseOutputPin(LPCWSTR objectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr, LPCWSTR pinName);
    ~CBaseOutputPin() override;

    HRESULT CompleteConnect(IPin* pReceivePin) override;
    HRESULT CheckConnect(IPin* pPin) override;
    HRESULT BreakConnect() override;
    HRESULT Active() override;
    HRESULT Inactive() override;

    virtual HRESULT DecideAllocator(IMemInputPin* pPin, IMemAllocator** pAlloc);
    virtual HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProps) = 0;
    virtual HRESULT InitAllocator(IMemAllocator** ppAlloc);
    virtual HRESULT GetDeliveryBuffer(IMediaSample** ppSample, REFERENCE_TIME* pStartTime,
                                      REFERENCE_TIME* pEndTime, DWORD dwFlags);
    virtual HRESULT Deliver(IMediaSample* pSample);
    virtual HRESULT DeliverEndOfStream();
    virtual HRESULT DeliverBeginFlush();
    virtual HRESULT DeliverEndFlush();
    virtual HRESULT DeliverNewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate);

    // Output pins take no stream control from downstream.
    STDMETHODIMP EndOfStream() override { return E_UNEXPECTED; }
    STDMETHODIMP BeginFlush() override { return E_UNEXPECTED; }
    STDMETHODIMP EndFlush() override { return E_UNEXPECTED; }

    IMemInputPin* ConnectedIMemInputPin() const { return m_pInputPin; }
    IMemAllocator* PeekAllocator() const { return m_pAllocator; }

protected:
    IMemAllocator* m_pAllocator = nullptr;  // held while connected
    IMemInputPin* m_pInputPin = nullptr;    // held while connected
};
