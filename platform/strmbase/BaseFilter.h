// A filter: state, clock, graph membership and its pins.
#pragma once

#include "ComBase.h"

#include <strmif.h>
#include <control.h>
#include <evcode.h>
#include <vfwmsgs.h>

class CBasePin;

class CBaseFilter : public CUnknown, public IBaseFilter {
public:
    CBaseFilter(LPCWSTR name, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid, HRESULT* phr = nullptr);
    ~CBaseFilter() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IPersist
    STDMETHODIMP GetClassID(CLSID* pClsID) override;
    // IMediaFilter
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME tStart) override;
    STDMETHODIMP GetState(DWORD dwMSecs, FILTER_STATE* State) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* pClock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** pClock) override;
    // IBaseFilter
    STDMETHODIMP EnumPins(IEnumPins** ppEnum) override;
    STDMETHODIMP FindPin(LPCWSTR Id, IPin** ppPin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* pInfo) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* pVendorInfo) override;

    virtual int GetPinCount() = 0;
    virtual CBasePin* GetPin(int n) = 0;

    BOOL IsStopped() const { return m_State == State_Stopped; }
    BOOL IsActive() const { return m_State != State_Stopped; }
    IFilterGraph* GetFilterGraph() const { return m_pGraph; }
    // Posts an event to the graph, if the filter is in one.
    HRESULT NotifyEvent(long EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2);

protected:
    FILTER_STATE m_State = State_Stopped;  // changed under m_pLock
    IReferenceClock* m_pClock = nullptr;
    REFERENCE_TIME m_tStart = 0;
    CLSID m_clsid;
    CCritSec* m_pLock;
    WCHAR* m_pName = nullptr;               // name in the graph
    IFilterGraph* m_pGraph = nullptr;       // not held: the graph holds us
    IMediaEventSink* m_pSink = nullptr;     // not held, as the graph
};

class CEnumPins : public CEnumBase<IEnumPins, &IID_IEnumPins, CBaseFilter> {
public:
    CEnumPins(CBaseFilter* pFilter, int position);

    STDMETHODIMP Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) override;
    STDMETHODIMP Skip(ULONG cPins) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumPins** ppEnum) override;
};
