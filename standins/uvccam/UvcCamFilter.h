// The simulated UVC camera: a capture source bound to one device of the
// shared device table by the friendly name its moniker carries. The camera's
// controls sit on the filter, as a UVC driver's do.
#pragma once

#include "Strmbase.h"
#include "UvcDevices.h"

#include <ocidl.h>

// {7A3E5B21-4C1D-4E8F-9B2A-6D0C1E2F3A41}
EXTERN_C const CLSID CLSID_UvcCamera;

class CUvcCamStream;

class CUvcCamFilter : public CSource,
                      public IAMVideoProcAmp,
                      public IAMVideoControl,
                      public IPersistPropertyBag,
                      public ISpecifyPropertyPages {
public:
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);
    ~CUvcCamFilter() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IMediaFilter: the stream time as the streaming thread reads it.
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME tStart) override;

    // IAMVideoProcAmp
    STDMETHODIMP GetRange(long Property, long* pMin, long* pMax, long* pSteppingDelta, long* pDefault,
                          long* pCapsFlags) override;
    STDMETHODIMP Set(long Property, long lValue, long Flags) override;
    STDMETHODIMP Get(long Property, long* lValue, long* Flags) override;

    // IAMVideoControl
    STDMETHODIMP GetCaps(IPin* pPin, long* pCapsFlags) override;
    STDMETHODIMP SetMode(IPin* pPin, long Mode) override;
    STDMETHODIMP GetMode(IPin* pPin, long* Mode) override;
    STDMETHODIMP GetCurrentActualFrameRate(IPin* pPin, LONGLONG* ActualFrameRate) override;
    STDMETHODIMP GetMaxAvailableFrameRate(IPin* pPin, long iIndex, SIZE Dimensions,
                                          LONGLONG* MaxAvailableFrameRate) override;
    STDMETHODIMP GetFrameRateList(IPin* pPin, long iIndex, SIZE Dimensions, long* ListSize,
                                  LONGLONG** FrameRates) override;

    // IPersistPropertyBag: the device enumerator hands us our moniker's bag.
    STDMETHODIMP GetClassID(CLSID* pClsID) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) override;
    STDMETHODIMP Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL fSaveAllProperties) override;

    // ISpecifyPropertyPages: the camera has no pages of its own.
    STDMETHODIMP GetPages(CAUUID* pPages) override;

    UvcDeviceState* Device() const { return m_pDevice; }
    const UvcModel& Model() const { return *m_pModel; }
    // The stream time now, when the filter runs on a clock.
    bool StreamTime(REFERENCE_TIME* pNow);

private:
    CUvcCamFilter(LPUNKNOWN pUnk, HRESULT* phr);
    HRESULT Bind(LPCWSTR name);

    // IAMCameraControl shares method names with IAMVideoProcAmp: a nested
    // object answers for it.
    class CameraControl : public IAMCameraControl {
    public:
        explicit CameraControl(CUvcCamFilter* owner) : m_owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return m_owner->QueryInterface(riid, ppv); }
        STDMETHODIMP_(ULONG) AddRef() override { return m_owner->AddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return m_owner->Release(); }
        STDMETHODIMP GetRange(long Property, long* pMin, long* pMax, long* pSteppingDelta, long* pDefault,
                              long* pCapsFlags) override;
        STDMETHODIMP Set(long Property, long lValue, long Flags) override;
        STDMETHODIMP Get(long Property, long* lValue, long* Flags) override;

    private:
        CUvcCamFilter* m_owner;
    };

    CameraControl m_cameraControl;
    CUvcCamStream* m_pStream = nullptr;         // owned by CSource
    UvcDeviceState* m_pDevice = nullptr;        // in the shared section; set before streaming
    const UvcModel* m_pModel;
    // The streaming thread may not take the filter lock: Stop holds it
    // while it waits for that thread. Its copy of the run state has a lock
    // of its own.
    CCritSec m_clockLock;
    IReferenceClock* m_pRunClock = nullptr;  // held while running
    REFERENCE_TIME m_tRunStart = 0;
};
