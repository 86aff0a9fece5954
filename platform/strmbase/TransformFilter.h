// A filter with one input and one output pin that turns each input sample
// into an output sample.
#pragma once

#include "BasePin.h"

class CTransformFilter;

class CTransformInputPin : public CBaseInputPin {
public:
    CTransformInputPin(LPCWSTR objectName, CTransformFilter* pFilter, HRESULT* phr, LPCWSTR pinName);

    HRESULT CheckConnect(IPin* pPin) override;
    HRESULT BreakConnect() override;
    HRESULT CompleteConnect(IPin* pReceivePin) override;
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT SetMediaType(const CMediaType* pmt) override;

    STDMETHODIMP Receive(IMediaSample* pSample) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

protected:
    CTransformFilter* m_pTransformFilter;
};

class CTransformOutputPin : public CBaseOutputPin {
public:
    CTransformOutputPin(LPCWSTR objectName, CTransformFilter* pFilter, HRESULT* phr, LPCWSTR pinName);

    HRESULT CheckConnect(IPin* pPin) override;
    HRESULT BreakConnect() override;
    HRESULT CompleteConnect(IPin* pReceivePin) override;
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT SetMediaType(const CMediaType* pmt) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pmt) override;
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProps) override;

protected:
    CTransformFilter* m_pTransformFilter;
};

class CTransformFilter : public CBaseFilter {
public:
    CTransformFilter(LPCWSTR name, LPUNKNOWN pUnk, REFCLSID clsid);
    ~CTransformFilter() override;

    int GetPinCount() override { return 2; }
    CBasePin* GetPin(int n) override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;

    // What a transform decides.
    virtual HRESULT Transform(IMediaSample* pIn, IMediaSample* pOut);
    virtual HRESULT CheckInputType(const CMediaType* mtIn) = 0;
    virtual HRESULT CheckTransform(const CMediaType* mtIn, const CMediaType* mtOut) = 0;
    virtual HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProps) = 0;
    virtual HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) = 0;

    virtual HRESULT StartStreaming() { return S_OK; }
    virtual HRESULT StopStreaming() { return S_OK; }
    virtual HRESULT CheckConnect(PIN_DIRECTION, IPin*) { return S_OK; }
    virtual HRESULT BreakConnect(PIN_DIRECTION) { return S_OK; }
    virtual HRESULT CompleteConnect(PIN_DIRECTION, IPin*) { return S_OK; }
    virtual HRESULT SetMediaType(PIN_DIRECTION, const CMediaType*) { return S_OK; }

    // Called on the streaming thread by the input pin.
    virtual HRESULT Receive(IMediaSample* pSample);
    virtual HRESULT EndOfStream();
    virtual HRESULT BeginFlush();
    virtual HRESULT EndFlush();
    virtual HRESULT NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate);

protected:
    // Makes both pins at once; false when out of memory.
    virtual bool CreatePins();
    HRESULT InitializeOutputSample(IMediaSample* pSample, IMediaSample** ppOutSample);

    CCritSec m_csFilter;   // state and connections
    CCritSec m_csReceive;  // held while a sample is processed
    CTransformInputPin* m_pInput = nullptr;
    CTransformOutputPin* m_pOutput = nullptr;

    friend class CTransformInputPin;
    friend class CTransformOutputPin;
};
