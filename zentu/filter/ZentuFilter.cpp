#include "ZentuFilter.h"
#include "ParameterSet.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {

const VIDEOINFOHEADER* Vih(const AM_MEDIA_TYPE& mt)
{
    if (mt.formattype != FORMAT_VideoInfo || !mt.pbFormat || mt.cbFormat < sizeof(VIDEOINFOHEADER))
        return nullptr;
    return reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat);
}

// The size index of a width and height (any height sign), or -1.
int SizeIndexOf(LONG width, LONG height)
{
    for (int i = 0; i < 3; ++i) {
        const ZentuFrameSize fs = ZentuSizeOf(uint32_t(i));
        if (width == fs.outWidth && std::labs(height) == fs.outHeight)
            return i;
    }
    return -1;
}

// Video, RGB24, fixed-size samples and a format block: what both
// SetFormat and SetMediaType look at.
const VIDEOINFOHEADER* UsableRgb24(const AM_MEDIA_TYPE& mt)
{
    if (mt.majortype != MEDIATYPE_Video || mt.subtype != MEDIASUBTYPE_RGB24 || !mt.bFixedSizeSamples)
        return nullptr;
    return Vih(mt);
}

// A test hook: Wine reports every processor of the machine, so the
// single-processor path can only be had this way.
bool ForcedSingleProcessor()
{
    char value[8];
    return GetEnvironmentVariableA("ZENTU_SINGLE_PROCESSOR", value, sizeof value) > 0 && value[0] == '1';
}


}  // namespace

// ---------------------------------------------------------------------------
// The output pin

CPushPinZentu::CPushPinZentu(HRESULT* phr, CZentu* filter)
    : CSourceStream(L"Zentu output pin", phr, filter, L"Out"), m_zentu(filter), m_sensor(&m_deviceLock)
{
    InitializeCriticalSection(&m_deviceLock);
    SetPinCategory(PIN_CATEGORY_CAPTURE);
    m_path = ForcedSingleProcessor() ? CRawFrameReader::Path::Direct : CRawFrameReader::Path::FromSystem;
    m_owner.sensor = &m_sensor;
    LoadStartupSettings(m_owner, ParameterFlavour::Filter);
}

CPushPinZentu::~CPushPinZentu()
{
    StopCapture();
    DeleteCriticalSection(&m_deviceLock);
}

STDMETHODIMP CPushPinZentu::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IAMStreamConfig)
        return GetInterface(static_cast<IAMStreamConfig*>(this), ppv);
    if (riid == IID_ISpecifyPropertyPages)
        return GetInterface(static_cast<ISpecifyPropertyPages*>(this), ppv);
    if (riid == IID_IZentu)
        return GetInterface(static_cast<IZentu*>(this), ppv);
    return CSourceStream::NonDelegatingQueryInterface(riid, ppv);
}

namespace {

SIZE SizeOf(int index)
{
    const ZentuFrameSize fs = ZentuSizeOf(uint32_t(index));
    return {fs.outWidth, fs.outHeight};
}

// The camera sets no frame period of its own; the caps keep the figures its
// hosts have always read.
const VideoRates kRates = {0, 1, 30, 1, 30};
const int kSizes = 3;

}  // namespace

HRESULT CPushPinZentu::SizeType(int index, CMediaType* pmt)
{
    return Rgb24SizeType(SizeOf(index), 0, pmt);
}

HRESULT CPushPinZentu::GetMediaType(int position, CMediaType* pmt)
{
    if (position < 0)
        return E_INVALIDARG;
    if (position > 2)
        return VFW_S_NO_MORE_ITEMS;
    return SizeType(position, pmt);
}

HRESULT CPushPinZentu::CheckMediaType(const CMediaType* pmt)
{
    if (!pmt)
        return E_POINTER;
    const VIDEOINFOHEADER* vih = UsableRgb24(*pmt);
    if (!vih)
        return E_INVALIDARG;
    CAutoLock lock(m_pFilter->pStateLock());
    const ZentuFrameSize fs = ZentuSizeOf(m_owner.settings.sizeIndex);
    if (vih->bmiHeader.biWidth != fs.outWidth || std::labs(vih->bmiHeader.biHeight) != fs.outHeight)
        return E_INVALIDARG;
    return S_OK;
}

HRESULT CPushPinZentu::SetMediaType(const CMediaType* pmt)
{
    if (!pmt)
        return E_POINTER;
    const VIDEOINFOHEADER* vih = Vih(*pmt);
    if (!vih || vih->bmiHeader.biBitCount != 24)
        return E_INVALIDARG;
    const int index = SizeIndexOf(vih->bmiHeader.biWidth, vih->bmiHeader.biHeight);
    if (index < 0)
        return E_INVALIDARG;
    CAutoLock lock(m_pFilter->pStateLock());
    if (IsConnected() && uint32_t(index) != m_owner.settings.sizeIndex)
        return E_INVALIDARG;
    HRESULT hr = CSourceStream::SetMediaType(pmt);
    if (SUCCEEDED(hr))
        m_owner.settings.sizeIndex = uint32_t(index);
    return hr;
}

HRESULT CPushPinZentu::DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* request)
{
    if (!alloc || !request)
        return E_POINTER;
    CAutoLock lock(m_pFilter->pStateLock());
    const VIDEOINFOHEADER* vih = Vih(m_mt);
    if (!vih)
        return E_FAIL;
    if (request->cBuffers == 0)
        request->cBuffers = 3;
    request->cbBuffer = LONG(DIBSIZE(vih->bmiHeader));
    ALLOCATOR_PROPERTIES actual = {};
    HRESULT hr = alloc->SetProperties(request, &actual);
    if (FAILED(hr))
        return hr;
    if (actual.cbBuffer < request->cbBuffer || actual.cBuffers < request->cBuffers)
        return E_FAIL;
    return S_OK;
}

bool CPushPinZentu::StartCapture()
{
    StopCapture();
    {
        CAutoLock lock(&m_deviceLock);
        m_transport = StartCaptureSequence(m_owner);
        m_sensor.SetTransport(m_transport);
    }
    if (!m_transport)
        return false;
    if (!m_reader.Start(m_transport, m_path)) {
        StopCapture();
        return false;
    }
    return true;
}

void CPushPinZentu::StopCapture()
{
    m_reader.Stop();
    CAutoLock lock(&m_deviceLock);
    if (m_transport) {
        UsbStopStream(m_transport);
        FreeTransport(m_transport);  // writes 7 := 0 and closes the device
    }
    m_transport = nullptr;
    m_sensor.SetTransport(nullptr);
    m_streaming = false;
}

HRESULT CPushPinZentu::OnThreadCreate()
{
    m_sampleTime = 0;
    if (!StartCapture())
        return E_FAIL;
    // Half of each frame's rows on a second thread, which ends with the stream;
    // not where one processor is all there is.
    const bool helped = m_path != CRawFrameReader::Path::Direct && m_rowHelper.Start();
    m_owner.rowHelper = helped ? &m_rowHelper : nullptr;
    m_startTick = GetTickCount();
    return S_OK;
}

HRESULT CPushPinZentu::OnThreadDestroy()
{
    m_owner.rowHelper = nullptr;
    m_rowHelper.Stop();
    StopCapture();
    return S_OK;
}

HRESULT CPushPinZentu::OnThreadStartPlay()
{
    if (!m_transport)
        return E_FAIL;
    if (!m_streaming) {
        UsbStartStream(m_transport);
        m_streaming = true;
    }
    return S_OK;
}

void CPushPinZentu::ReleaseRaw(void* self)
{
    CPushPinZentu* pin = static_cast<CPushPinZentu*>(self);
    if (pin->m_heldRaw)
        pin->m_reader.Release(pin->m_heldRaw);
    pin->m_heldRaw = nullptr;
}

HRESULT CPushPinZentu::FillBuffer(IMediaSample* sample)
{
    if (!m_transport)
        return E_FAIL;
    if (!sample)
        return E_POINTER;
    const VIDEOINFOHEADER* vih = Vih(m_mt);
    if (!vih)
        return E_FAIL;
    const ZentuSettings& s = m_owner.settings;
    const ZentuFrameSize fs = ZentuSizeOf(s.sizeIndex);
    // The pipeline writes a frame of the settings' size: never more than the
    // sample holds.
    const LONG need = LONG(DIBSIZE(vih->bmiHeader));
    if (sample->GetSize() < need || need < fs.outWidth * fs.outHeight * 3)
        return E_FAIL;
    BYTE* out = nullptr;
    if (FAILED(sample->GetPointer(&out)) || !out)
        return E_FAIL;

    BYTE* raw = nullptr;
    // A short wait, so that the loop sees the thread's commands in time.
    const int got = m_reader.Acquire(&raw, nullptr, 40);
    if (got < 0)
        return E_FAIL;
    if (got == 0)
        return S_FALSE;
    m_heldRaw = raw;
    RunPipeline(m_owner, raw, out, ReleaseRaw, this);
    ReleaseRaw(this);

    const LONGLONG line = (s.speed ? 512 : 256) + (fs.outWidth == 1280 ? 1280 : fs.outWidth == 1024 ? 2048 : 1920);
    const LONGLONG rows = std::max<LONGLONG>(fs.outHeight + 25, s.exposureTime);
    const LONGLONG clockKHz = s.speed ? 48000 : 24000;
    REFERENCE_TIME start = m_sampleTime;
    REFERENCE_TIME end = start + line * rows / clockKHz * 10000;
    m_sampleTime = end;
    sample->SetTime(&start, &end);
    sample->SetSyncPoint(TRUE);
    return S_OK;
}

STDMETHODIMP CPushPinZentu::SetFormat(AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    const VIDEOINFOHEADER* vih = UsableRgb24(*pmt);
    const int index = vih ? SizeIndexOf(vih->bmiHeader.biWidth, vih->bmiHeader.biHeight) : -1;
    if (index < 0)
        return E_INVALIDARG;
    CAutoLock lock(m_pFilter->pStateLock());
    if (IsConnected())
        return m_pFilter->IsStopped() ? S_OK : VFW_E_WRONG_STATE;
    m_controls.Write(&ZentuSettings::sizeIndex, uint32_t(index));
    return S_OK;
}

STDMETHODIMP CPushPinZentu::GetFormat(AM_MEDIA_TYPE** ppmt)
{
    if (!ppmt)
        return E_POINTER;
    CAutoLock lock(m_pFilter->pStateLock());
    CMediaType mt;
    HRESULT hr = SizeType(int(m_owner.settings.sizeIndex), &mt);
    if (FAILED(hr))
        return hr;
    *ppmt = CreateMediaType(&mt);
    return *ppmt ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CPushPinZentu::GetNumberOfCapabilities(int* count, int* size)
{
    return Rgb24CapsCount(kSizes, count, size);
}

STDMETHODIMP CPushPinZentu::GetStreamCaps(int index, AM_MEDIA_TYPE** ppmt, BYTE* pSCC)
{
    return Rgb24StreamCaps(kSizes, SizeOf, kRates, index, ppmt, pSCC);
}

STDMETHODIMP CPushPinZentu::GetPages(CAUUID* pages)
{
    if (!pages)
        return E_POINTER;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->cElems = 1;
    pages->pElems[0] = CLSID_ZentuSizePage;
    return S_OK;
}

// IZentu on the pin: a null out pointer gives E_FAIL.

STDMETHODIMP CPushPinZentu::GetSize(int* index)
{
    return m_controls.Read(index, &ZentuSettings::sizeIndex) ? S_OK : E_FAIL;
}

STDMETHODIMP CPushPinZentu::SetSize(int index)
{
    if (IsConnected())
        return VFW_E_ALREADY_CONNECTED;
    if (index < 0 || index > 2)
        return E_INVALIDARG;
    CAutoLock lock(m_pFilter->pStateLock());
    m_controls.Write(&ZentuSettings::sizeIndex, uint32_t(index));
    return S_OK;
}

STDMETHODIMP CPushPinZentu::GetWhiteBalance(int* request, BYTE* r, BYTE* g, BYTE* b)
{
    return m_controls.GetWhiteBalance(request, r, g, b) ? S_OK : E_FAIL;
}

STDMETHODIMP CPushPinZentu::SetWhiteBalance(int request, BYTE r, BYTE g, BYTE b)
{
    m_controls.SetWhiteBalance(request, r, g, b);
    return S_OK;
}

STDMETHODIMP CPushPinZentu::GetExposure(int* autoExposure, BYTE* target, WORD* time, WORD* gain)
{
    return m_controls.GetExposure(autoExposure, target, time, gain) ? S_OK : E_FAIL;
}

STDMETHODIMP CPushPinZentu::SetExposure(int autoExposure, BYTE target, WORD time, WORD gain)
{
    m_controls.SetExposure(autoExposure, target, time, gain);
    return S_OK;
}

STDMETHODIMP CPushPinZentu::GetSpeed(BYTE* speed)
{
    return m_controls.Read(speed, &ZentuSettings::speed) ? S_OK : E_FAIL;
}

STDMETHODIMP CPushPinZentu::SetSpeed(BYTE speed)
{
    m_controls.SetSpeed(speed);
    return S_OK;
}

STDMETHODIMP CPushPinZentu::GetGamma(BYTE* gamma)
{
    return m_controls.Read(gamma, &ZentuSettings::gamma) ? S_OK : E_FAIL;
}

STDMETHODIMP CPushPinZentu::SetGamma(BYTE gamma)
{
    m_controls.SetGamma(gamma);
    return S_OK;
}

STDMETHODIMP CPushPinZentu::GetContrast(BYTE* contrast)
{
    return m_controls.Read(contrast, &ZentuSettings::contrast) ? S_OK : E_FAIL;
}

STDMETHODIMP CPushPinZentu::SetContrast(BYTE contrast)
{
    m_controls.SetContrast(contrast);
    return S_OK;
}

STDMETHODIMP CPushPinZentu::GetSaturation(int* enable, BYTE* value)
{
    return m_controls.GetSaturation(enable, value) ? S_OK : E_FAIL;
}

STDMETHODIMP CPushPinZentu::SetSaturation(int enable, BYTE value)
{
    m_controls.SetSaturation(enable, value);
    return S_OK;
}

STDMETHODIMP CPushPinZentu::GetWhiteBlack(int* mono)
{
    return m_controls.Read(mono, &ZentuSettings::mono) ? S_OK : E_FAIL;
}

STDMETHODIMP CPushPinZentu::SetWhiteBlack(int mono)
{
    m_controls.Write(&ZentuSettings::mono, uint32_t(mono));
    return S_OK;
}

STDMETHODIMP CPushPinZentu::GetVFlip(int* flip)
{
    return m_controls.Read(flip, &ZentuSettings::vFlip) ? S_OK : E_FAIL;
}

STDMETHODIMP CPushPinZentu::SetVFlip(int flip)
{
    m_controls.Write(&ZentuSettings::vFlip, uint32_t(flip));
    return S_OK;
}

STDMETHODIMP CPushPinZentu::SetHZ(int fiftyHz)
{
    m_controls.SetHZ(fiftyHz);
    return S_OK;
}

STDMETHODIMP CPushPinZentu::GetHZ(int* fiftyHz)
{
    return m_controls.Read(fiftyHz, &ZentuSettings::hz) ? S_OK : E_FAIL;
}

STDMETHODIMP CPushPinZentu::SaveParaTeam()
{
    m_controls.SaveParaTeam();
    return S_OK;
}

STDMETHODIMP CPushPinZentu::SetParaTeam(BYTE set)
{
    // The state lock keeps the connection as it is while the set loads.
    CAutoLock state(m_pFilter->pStateLock());
    // A connected pin keeps its size: its samples hold only that.
    m_controls.SetParaTeam(set, IsConnected() != FALSE);
    return S_OK;
}

STDMETHODIMP CPushPinZentu::GetParaTeam(BYTE* set)
{
    return m_controls.Read(set, &ZentuSettings::paraTeam) ? S_OK : E_FAIL;
}

STDMETHODIMP CPushPinZentu::GetHFlip(int* mirror)
{
    return m_controls.Read(mirror, &ZentuSettings::hFlip) ? S_OK : E_FAIL;
}

STDMETHODIMP CPushPinZentu::SetHFlip(int mirror)
{
    m_controls.Write(&ZentuSettings::hFlip, uint32_t(mirror));
    return S_OK;
}

STDMETHODIMP CPushPinZentu::GetExposureUnit(int* microseconds)
{
    return m_controls.GetExposureUnit(microseconds) ? S_OK : E_FAIL;
}

// ---------------------------------------------------------------------------
// The filter

CUnknown* WINAPI CZentu::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr)
{
    return CreatedInstance(new (std::nothrow) CZentu(pUnk, phr), phr);
}

CZentu::CZentu(LPUNKNOWN pUnk, HRESULT* phr) : CSource(ZENTU_FILTER_NAME, pUnk, CLSID_Zentu, phr)
{
    m_pin = new (std::nothrow) CPushPinZentu(phr, this);
    if (!m_pin)
        *phr = E_OUTOFMEMORY;
}

CZentu::~CZentu() = default;

STDMETHODIMP CZentu::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IZentu)
        return GetInterface(static_cast<IZentu*>(this), ppv);
    if (riid == IID_ISpecifyPropertyPages)
        return GetInterface(static_cast<ISpecifyPropertyPages*>(this), ppv);
    if (riid == IID_IAMFilterMiscFlags)
        return GetInterface(static_cast<IAMFilterMiscFlags*>(this), ppv);
    return CSource::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CZentu::GetState(DWORD ms, FILTER_STATE* state)
{
    HRESULT hr = CSource::GetState(ms, state);
    if (hr == S_OK && *state == State_Paused)
        return VFW_S_CANT_CUE;
    return hr;
}

STDMETHODIMP CZentu::GetPages(CAUUID* pages)
{
    if (!pages)
        return E_POINTER;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->cElems = 1;
    pages->pElems[0] = CLSID_ZentuSetupPage;
    return S_OK;
}

// The forwarders check the out pointers themselves (E_POINTER); setters pass
// the pin's result on, so a refused size is not reported as done.
#define ZENTU_NEED(p) \
    if (!(p))         \
        return E_POINTER
STDMETHODIMP CZentu::GetSize(int* i) { ZENTU_NEED(i); return m_pin->GetSize(i); }
STDMETHODIMP CZentu::SetSize(int i) { return m_pin->SetSize(i); }
STDMETHODIMP CZentu::GetWhiteBalance(int* q, BYTE* r, BYTE* g, BYTE* b)
{
    ZENTU_NEED(q && r && g && b);
    return m_pin->GetWhiteBalance(q, r, g, b);
}
STDMETHODIMP CZentu::SetWhiteBalance(int q, BYTE r, BYTE g, BYTE b) { return m_pin->SetWhiteBalance(q, r, g, b); }
STDMETHODIMP CZentu::GetExposure(int* a, BYTE* t, WORD* e, WORD* g)
{
    ZENTU_NEED(a && t && e && g);
    return m_pin->GetExposure(a, t, e, g);
}
STDMETHODIMP CZentu::SetExposure(int a, BYTE t, WORD e, WORD g) { return m_pin->SetExposure(a, t, e, g); }
STDMETHODIMP CZentu::GetSpeed(BYTE* v) { ZENTU_NEED(v); return m_pin->GetSpeed(v); }
STDMETHODIMP CZentu::SetSpeed(BYTE v) { return m_pin->SetSpeed(v); }
STDMETHODIMP CZentu::GetGamma(BYTE* v) { ZENTU_NEED(v); return m_pin->GetGamma(v); }
STDMETHODIMP CZentu::SetGamma(BYTE v) { return m_pin->SetGamma(v); }
STDMETHODIMP CZentu::GetContrast(BYTE* v) { ZENTU_NEED(v); return m_pin->GetContrast(v); }
STDMETHODIMP CZentu::SetContrast(BYTE v) { return m_pin->SetContrast(v); }
STDMETHODIMP CZentu::GetSaturation(int* e, BYTE* v) { ZENTU_NEED(e && v); return m_pin->GetSaturation(e, v); }
STDMETHODIMP CZentu::SetSaturation(int e, BYTE v) { return m_pin->SetSaturation(e, v); }
STDMETHODIMP CZentu::GetWhiteBlack(int* v) { ZENTU_NEED(v); return m_pin->GetWhiteBlack(v); }
STDMETHODIMP CZentu::SetWhiteBlack(int v) { return m_pin->SetWhiteBlack(v); }
STDMETHODIMP CZentu::GetVFlip(int* v) { ZENTU_NEED(v); return m_pin->GetVFlip(v); }
STDMETHODIMP CZentu::SetVFlip(int v) { return m_pin->SetVFlip(v); }
STDMETHODIMP CZentu::SetHZ(int v) { return m_pin->SetHZ(v); }
STDMETHODIMP CZentu::GetHZ(int* v) { ZENTU_NEED(v); return m_pin->GetHZ(v); }
STDMETHODIMP CZentu::SaveParaTeam() { return m_pin->SaveParaTeam(); }
STDMETHODIMP CZentu::SetParaTeam(BYTE v) { return m_pin->SetParaTeam(v); }
STDMETHODIMP CZentu::GetParaTeam(BYTE* v) { ZENTU_NEED(v); return m_pin->GetParaTeam(v); }
STDMETHODIMP CZentu::GetHFlip(int* v) { ZENTU_NEED(v); return m_pin->GetHFlip(v); }
STDMETHODIMP CZentu::SetHFlip(int v) { return m_pin->SetHFlip(v); }
STDMETHODIMP CZentu::GetExposureUnit(int* v) { ZENTU_NEED(v); return m_pin->GetExposureUnit(v); }
#undef ZENTU_NEED
