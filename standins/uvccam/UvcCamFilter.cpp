#include "UvcCamFilter.h"

#include "UvcCamStream.h"

#include <new>

namespace {

HRESULT Range(const UvcRange& r, long* pMin, long* pMax, long* pStep, long* pDefault, long* pCaps)
{
    if (!pMin || !pMax || !pStep || !pDefault || !pCaps)
        return E_POINTER;
    if (r.min > r.max)
        return E_PROP_ID_UNSUPPORTED;
    *pMin = r.min;
    *pMax = r.max;
    *pStep = r.step;
    *pDefault = r.def;
    *pCaps = 2 | (r.hasAuto ? 1 : 0);  // manual, and automatic where there is one
    return S_OK;
}

// Flags 1 automatic, 2 manual; 0 is taken as manual. A manual value must lie
// in range; in automatic mode the camera picks the value itself.
HRESULT SetValue(const UvcRange& r, long value, long flags, LONG* pValue, LONG* pFlags, UvcDeviceState* device)
{
    if (r.min > r.max)
        return E_PROP_ID_UNSUPPORTED;
    if (flags != 0 && flags != 1 && flags != 2)
        return E_INVALIDARG;
    if (flags == 1) {
        if (!r.hasAuto)
            return E_INVALIDARG;
        InterlockedExchange(pFlags, 1);
    } else {
        if (value < r.min || value > r.max)
            return E_INVALIDARG;
        InterlockedExchange(pValue, value);
        InterlockedExchange(pFlags, 2);
    }
    UvcTouch(device);
    return S_OK;
}

HRESULT GetValue(const UvcRange& r, long* pValue, long* pFlags, LONG value, LONG flags)
{
    if (!pValue || !pFlags)
        return E_POINTER;
    if (r.min > r.max)
        return E_PROP_ID_UNSUPPORTED;
    *pValue = value;
    *pFlags = flags;
    return S_OK;
}

}  // namespace

CUnknown* WINAPI CUvcCamFilter::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr)
{
    return CreatedInstance(new (std::nothrow) CUvcCamFilter(pUnk, phr), phr);
}

CUvcCamFilter::CUvcCamFilter(LPUNKNOWN pUnk, HRESULT* phr)
    : CSource(L"UVC camera", pUnk, CLSID_UvcCamera, phr), m_cameraControl(this), m_pModel(&UvcModelFor(nullptr))
{
    // Made without a moniker: the first installed camera.
    WCHAR names[1][UVC_NAME_CHARS];
    HRESULT hr = Bind(UvcInstalledNames(names, 1) ? names[0] : L"Camera-R5V");
    m_pStream = new (std::nothrow) CUvcCamStream(&hr, this);
    if (!m_pStream)
        hr = E_OUTOFMEMORY;
    if (phr && FAILED(hr))
        *phr = hr;
}

CUvcCamFilter::~CUvcCamFilter()
{
    if (m_pRunClock)
        m_pRunClock->Release();
}

HRESULT CUvcCamFilter::Bind(LPCWSTR name)
{
    UvcDeviceState* device = UvcDevice(name);
    if (!device)
        return E_OUTOFMEMORY;
    CAutoLock lock(&m_cStateLock);
    m_pDevice = device;
    m_pModel = &UvcModelFor(name);
    if (m_pStream)
        m_pStream->ResetFormat();
    return S_OK;
}

STDMETHODIMP CUvcCamFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IAMVideoProcAmp)
        return GetInterface(static_cast<IAMVideoProcAmp*>(this), ppv);
    if (riid == IID_IAMCameraControl)
        return GetInterface(static_cast<IAMCameraControl*>(&m_cameraControl), ppv);
    if (riid == IID_IAMVideoControl)
        return GetInterface(static_cast<IAMVideoControl*>(this), ppv);
    if (riid == IID_IPersistPropertyBag)
        return GetInterface(static_cast<IPersistPropertyBag*>(this), ppv);
    if (riid == IID_ISpecifyPropertyPages)
        return GetInterface(static_cast<ISpecifyPropertyPages*>(this), ppv);
    return CSource::NonDelegatingQueryInterface(riid, ppv);
}

bool CUvcCamFilter::StreamTime(REFERENCE_TIME* pNow)
{
    CAutoLock lock(&m_clockLock);
    REFERENCE_TIME now = 0;
    if (!m_pRunClock || FAILED(m_pRunClock->GetTime(&now)))
        return false;
    *pNow = now - m_tRunStart;
    return true;
}

STDMETHODIMP CUvcCamFilter::Stop()
{
    {
        CAutoLock lock(&m_clockLock);
        if (m_pRunClock)
            m_pRunClock->Release();
        m_pRunClock = nullptr;
    }
    return CSource::Stop();
}

STDMETHODIMP CUvcCamFilter::Pause()
{
    {
        CAutoLock lock(&m_clockLock);
        if (m_pRunClock)
            m_pRunClock->Release();
        m_pRunClock = nullptr;
    }
    return CSource::Pause();
}

STDMETHODIMP CUvcCamFilter::Run(REFERENCE_TIME tStart)
{
    CAutoLock state(&m_cStateLock);
    const HRESULT hr = CSource::Run(tStart);
    if (SUCCEEDED(hr)) {
        CAutoLock lock(&m_clockLock);
        if (m_pRunClock)
            m_pRunClock->Release();
        m_pRunClock = m_pClock;
        if (m_pRunClock)
            m_pRunClock->AddRef();
        m_tRunStart = tStart;
    }
    return hr;
}

STDMETHODIMP CUvcCamFilter::GetRange(long Property, long* pMin, long* pMax, long* pSteppingDelta, long* pDefault,
                                     long* pCapsFlags)
{
    return Range(UvcProcAmpRange(Property), pMin, pMax, pSteppingDelta, pDefault, pCapsFlags);
}

STDMETHODIMP CUvcCamFilter::Set(long Property, long lValue, long Flags)
{
    const UvcRange& r = UvcProcAmpRange(Property);
    if (r.min > r.max)
        return E_PROP_ID_UNSUPPORTED;
    return SetValue(r, lValue, Flags, &m_pDevice->procAmp[Property], &m_pDevice->procAmpFlags[Property], m_pDevice);
}

STDMETHODIMP CUvcCamFilter::Get(long Property, long* lValue, long* Flags)
{
    const UvcRange& r = UvcProcAmpRange(Property);
    if (r.min > r.max)
        return E_PROP_ID_UNSUPPORTED;
    return GetValue(r, lValue, Flags, m_pDevice->procAmp[Property], m_pDevice->procAmpFlags[Property]);
}

STDMETHODIMP CUvcCamFilter::CameraControl::GetRange(long Property, long* pMin, long* pMax, long* pSteppingDelta,
                                                    long* pDefault, long* pCapsFlags)
{
    return Range(UvcCameraControlRange(Property), pMin, pMax, pSteppingDelta, pDefault, pCapsFlags);
}

STDMETHODIMP CUvcCamFilter::CameraControl::Set(long Property, long lValue, long Flags)
{
    const UvcRange& r = UvcCameraControlRange(Property);
    if (r.min > r.max)
        return E_PROP_ID_UNSUPPORTED;
    UvcDeviceState* d = m_owner->m_pDevice;
    return SetValue(r, lValue, Flags, &d->cameraControl[Property], &d->cameraControlFlags[Property], d);
}

STDMETHODIMP CUvcCamFilter::CameraControl::Get(long Property, long* lValue, long* Flags)
{
    const UvcRange& r = UvcCameraControlRange(Property);
    if (r.min > r.max)
        return E_PROP_ID_UNSUPPORTED;
    UvcDeviceState* d = m_owner->m_pDevice;
    return GetValue(r, lValue, Flags, d->cameraControl[Property], d->cameraControlFlags[Property]);
}

namespace {
const long kFlipCaps = VideoControlFlag_FlipHorizontal | VideoControlFlag_FlipVertical;
}

STDMETHODIMP CUvcCamFilter::GetCaps(IPin* pPin, long* pCapsFlags)
{
    if (!pPin || !pCapsFlags)
        return E_POINTER;
    if (pPin != static_cast<IPin*>(m_pStream))
        return E_INVALIDARG;
    *pCapsFlags = kFlipCaps;
    return S_OK;
}

STDMETHODIMP CUvcCamFilter::SetMode(IPin* pPin, long Mode)
{
    if (!pPin)
        return E_POINTER;
    if (pPin != static_cast<IPin*>(m_pStream) || (Mode & ~kFlipCaps))
        return E_INVALIDARG;
    InterlockedExchange(&m_pDevice->flipMode, Mode);
    UvcTouch(m_pDevice);
    return S_OK;
}

STDMETHODIMP CUvcCamFilter::GetMode(IPin* pPin, long* Mode)
{
    if (!pPin || !Mode)
        return E_POINTER;
    if (pPin != static_cast<IPin*>(m_pStream))
        return E_INVALIDARG;
    *Mode = m_pDevice->flipMode;
    return S_OK;
}

STDMETHODIMP CUvcCamFilter::GetCurrentActualFrameRate(IPin* pPin, LONGLONG* ActualFrameRate)
{
    if (!pPin || !ActualFrameRate)
        return E_POINTER;
    if (pPin != static_cast<IPin*>(m_pStream))
        return E_INVALIDARG;
    if (!m_pStream->IsConnected())
        return VFW_E_NOT_CONNECTED;
    *ActualFrameRate = m_pStream->FramePeriod();
    return S_OK;
}

STDMETHODIMP CUvcCamFilter::GetMaxAvailableFrameRate(IPin* pPin, long iIndex, SIZE, LONGLONG* MaxAvailableFrameRate)
{
    if (!pPin || !MaxAvailableFrameRate)
        return E_POINTER;
    if (pPin != static_cast<IPin*>(m_pStream) || iIndex < 0 || iIndex >= m_pModel->sizeCount)
        return E_INVALIDARG;
    *MaxAvailableFrameRate = CUvcCamStream::kMinPeriod;
    return S_OK;
}

STDMETHODIMP CUvcCamFilter::GetFrameRateList(IPin* pPin, long iIndex, SIZE, long* ListSize, LONGLONG** FrameRates)
{
    if (!pPin || !ListSize)
        return E_POINTER;
    if (pPin != static_cast<IPin*>(m_pStream) || iIndex < 0 || iIndex >= m_pModel->sizeCount)
        return E_INVALIDARG;
    static const LONGLONG kRates[] = {CUvcCamStream::kMinPeriod, CUvcCamStream::kDefaultPeriod,
                                      CUvcCamStream::kMaxPeriod};
    *ListSize = 3;
    if (FrameRates) {
        *FrameRates = static_cast<LONGLONG*>(CoTaskMemAlloc(sizeof(kRates)));
        if (!*FrameRates)
            return E_OUTOFMEMORY;
        memcpy(*FrameRates, kRates, sizeof(kRates));
    }
    return S_OK;
}

STDMETHODIMP CUvcCamFilter::GetClassID(CLSID* pClsID)
{
    return CSource::GetClassID(pClsID);
}

STDMETHODIMP CUvcCamFilter::InitNew()
{
    return S_OK;
}

STDMETHODIMP CUvcCamFilter::Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog)
{
    if (!pPropBag)
        return E_POINTER;
    {
        CAutoLock lock(&m_cStateLock);
        if (m_pStream->IsConnected())
            return VFW_E_ALREADY_CONNECTED;
    }
    VARIANT name;
    VariantInit(&name);
    V_VT(&name) = VT_BSTR;
    HRESULT hr = pPropBag->Read(L"FriendlyName", &name, pErrorLog);
    if (FAILED(hr))
        return hr;
    hr = V_VT(&name) == VT_BSTR && V_BSTR(&name) ? Bind(V_BSTR(&name)) : E_FAIL;
    VariantClear(&name);
    return hr;
}

STDMETHODIMP CUvcCamFilter::Save(IPropertyBag*, BOOL, BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP CUvcCamFilter::GetPages(CAUUID* pPages)
{
    if (!pPages)
        return E_POINTER;
    pPages->cElems = 0;
    pPages->pElems = nullptr;
    return S_OK;
}
