// A push source: a filter of output pins, each fed by its own thread.
#pragma once

#include "AMThread.h"
#include "BasePin.h"

class CSourceStream;

class CSource : public CBaseFilter {
public:
    CSource(LPCWSTR name, LPUNKNOWN pUnk, CLSID clsid, HRESULT* phr = nullptr);
    ~CSource() override;

    int GetPinCount() override;
    CBasePin* GetPin(int n) override;

    // Streams add themselves as they are made; the filter deletes them.
    HRESULT AddPin(CSourceStream* pStream);
    HRESULT RemovePin(CSourceStream* pStream);
    CCritSec* pStateLock() { return &m_cStateLock; }

protected:
    int m_iPins = 0;
    CSourceStream** m_paStreams = nullptr;
    CCritSec m_cStateLock;
};

class CSourceStream : public CAMThread, public CBaseOutputPin, public IKsPropertySet {
public:
    CSourceStream(LPCWSTR objectName, HRESULT* phr, CSource* pms, LPCWSTR pName);
    ~CSourceStream() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // A capture source names what its pin is for (PIN_CATEGORY_CAPTURE and
    // the like): the capture graph builder finds pins only by that category,
    // read through IKsPropertySet. Pins without one do not offer it.
    void SetPinCategory(REFGUID category);

    // IKsPropertySet: the pin category, read-only.
    STDMETHODIMP Set(REFGUID guidPropSet, DWORD dwPropID, LPVOID pInstanceData, DWORD cbInstanceData,
                     LPVOID pPropData, DWORD cbPropData) override;
    STDMETHODIMP Get(REFGUID guidPropSet, DWORD dwPropID, LPVOID pInstanceData, DWORD cbInstanceData,
                     LPVOID pPropData, DWORD cbPropData, DWORD* pcbReturned) override;
    STDMETHODIMP QuerySupported(REFGUID guidPropSet, DWORD dwPropID, DWORD* pTypeSupport) override;

    enum Command { CMD_INIT, CMD_PAUSE, CMD_RUN, CMD_STOP, CMD_EXIT };

    HRESULT Active() override;
    HRESULT Inactive() override;
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override;
    // One type sources say only which type they make.
    virtual HRESULT GetMediaType(CMediaType* pMediaType);

    // S_OK delivers the sample, S_FALSE ends the stream (but see
    // FalseFillEndsStream).
    virtual HRESULT FillBuffer(IMediaSample* pSample) = 0;
    virtual HRESULT OnThreadCreate() { return S_OK; }
    virtual HRESULT OnThreadDestroy() { return S_OK; }
    virtual HRESULT OnThreadStartPlay() { return S_OK; }
    virtual HRESULT DoBufferProcessingLoop();
    // What FillBuffer's S_FALSE means: true (the default) ends the stream;
    // false drops the sample and asks again, for a live source that had no
    // frame this time.
    virtual bool FalseFillEndsStream() const { return true; }

protected:
    DWORD ThreadProc() override;
    HRESULT Init() { return HRESULT(CallWorker(CMD_INIT)); }
    HRESULT Exit() { return HRESULT(CallWorker(CMD_EXIT)); }
    HRESULT Run() { return HRESULT(CallWorker(CMD_RUN)); }
    HRESULT Pause() { return HRESULT(CallWorker(CMD_PAUSE)); }
    HRESULT Stop() { return HRESULT(CallWorker(CMD_STOP)); }

    CSource* m_pFilter;
    CCritSec m_cSharedState;  // state shared with the streaming thread

private:
    GUID m_category = GUID_NULL;  // set before the pin is used
};
