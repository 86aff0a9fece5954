#include "UvcCamStream.h"

#include "UvcCamFilter.h"

#include <algorithm>

namespace {

LONGLONG Ticks()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

LONGLONG TicksPerSecond()
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
}

const VIDEOINFOHEADER* Vih(const AM_MEDIA_TYPE& mt)
{
    if (mt.formattype != FORMAT_VideoInfo || !mt.pbFormat || mt.cbFormat < sizeof(VIDEOINFOHEADER))
        return nullptr;
    return reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat);
}

}  // namespace

CUvcCamStream::CUvcCamStream(HRESULT* phr, CUvcCamFilter* filter)
    : CSourceStream(L"UVC camera stream", phr, filter, L"Capture"), m_pCam(filter)
{
    SetPinCategory(PIN_CATEGORY_CAPTURE);
    ResetFormat();
}

STDMETHODIMP CUvcCamStream::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IAMStreamConfig)
        return GetInterface(static_cast<IAMStreamConfig*>(this), ppv);
    if (riid == IID_IQualProp)
        return GetInterface(static_cast<IQualProp*>(this), ppv);
    if (riid == IID_IAMDroppedFrames)
        return GetInterface(static_cast<IAMDroppedFrames*>(this), ppv);
    if (riid == IID_ISpecifyPropertyPages)
        return GetInterface(static_cast<ISpecifyPropertyPages*>(this), ppv);
    return CSourceStream::NonDelegatingQueryInterface(riid, ppv);
}

void CUvcCamStream::ResetFormat()
{
    CAutoLock lock(m_pFilter->pStateLock());
    SizeType(0, &m_format);
}

HRESULT CUvcCamStream::SizeType(int index, CMediaType* pmt)
{
    const UvcModel& model = m_pCam->Model();
    if (index < 0 || index >= model.sizeCount)
        return VFW_S_NO_MORE_ITEMS;
    return Rgb24SizeType({model.sizes[index].width, model.sizes[index].height}, kDefaultPeriod, pmt);
}

// One of the model's sizes, bottom-up RGB24, at a rate the camera can do.
bool CUvcCamStream::Offered(const CMediaType& mt) const
{
    if (*mt.Type() != MEDIATYPE_Video || *mt.Subtype() != MEDIASUBTYPE_RGB24)
        return false;
    const VIDEOINFOHEADER* vih = Vih(mt);
    if (!vih || vih->bmiHeader.biBitCount != 24 || vih->bmiHeader.biCompression != BI_RGB)
        return false;
    if (vih->AvgTimePerFrame != 0 && (vih->AvgTimePerFrame < kMinPeriod || vih->AvgTimePerFrame > kMaxPeriod))
        return false;
    const UvcModel& model = m_pCam->Model();
    for (int i = 0; i < model.sizeCount; ++i) {
        if (model.sizes[i].width == vih->bmiHeader.biWidth && model.sizes[i].height == vih->bmiHeader.biHeight)
            return true;
    }
    return false;
}

HRESULT CUvcCamStream::CheckMediaType(const CMediaType* pmt)
{
    return pmt && Offered(*pmt) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

// The current format first, then every size of the model.
HRESULT CUvcCamStream::GetMediaType(int iPosition, CMediaType* pmt)
{
    CAutoLock lock(m_pFilter->pStateLock());
    if (iPosition < 0)
        return E_INVALIDARG;
    if (iPosition == 0) {
        *pmt = m_format;
        return S_OK;
    }
    return SizeType(iPosition - 1, pmt);
}

HRESULT CUvcCamStream::SetMediaType(const CMediaType* pmt)
{
    HRESULT hr = CSourceStream::SetMediaType(pmt);
    if (SUCCEEDED(hr)) {
        CAutoLock lock(m_pFilter->pStateLock());
        m_format = *pmt;
        // The whole frame, whatever size the connecting side wrote.
        VIDEOINFOHEADER* vih = reinterpret_cast<VIDEOINFOHEADER*>(m_format.Format());
        vih->bmiHeader.biSizeImage = DIBSIZE(vih->bmiHeader);
        if (vih->AvgTimePerFrame == 0)
            vih->AvgTimePerFrame = kDefaultPeriod;
        m_format.SetSampleSize(vih->bmiHeader.biSizeImage);
        m_mt = m_format;
    }
    return hr;
}

STDMETHODIMP CUvcCamStream::SetFormat(AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    CMediaType mt(*pmt);
    if (!Offered(mt))
        return VFW_E_INVALIDMEDIATYPE;
    CAutoLock lock(m_pFilter->pStateLock());
    if (!m_pFilter->IsStopped())
        return VFW_E_NOT_STOPPED;
    if (IsConnected()) {
        if (GetConnected()->QueryAccept(&mt) != S_OK)
            return VFW_E_INVALIDMEDIATYPE;
    }
    VIDEOINFOHEADER* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt.Format());
    vih->bmiHeader.biSizeImage = DIBSIZE(vih->bmiHeader);
    if (vih->AvgTimePerFrame == 0)
        vih->AvgTimePerFrame = kDefaultPeriod;
    mt.SetSampleSize(vih->bmiHeader.biSizeImage);
    m_format = mt;
    if (IsConnected()) {
        IFilterGraph* graph = m_pFilter->GetFilterGraph();
        return graph ? graph->Reconnect(this) : VFW_E_NOT_IN_GRAPH;
    }
    return S_OK;
}

STDMETHODIMP CUvcCamStream::GetFormat(AM_MEDIA_TYPE** ppmt)
{
    if (!ppmt)
        return E_POINTER;
    CAutoLock lock(m_pFilter->pStateLock());
    *ppmt = CreateMediaType(&m_format);
    return *ppmt ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CUvcCamStream::GetNumberOfCapabilities(int* piCount, int* piSize)
{
    return Rgb24CapsCount(m_pCam->Model().sizeCount, piCount, piSize);
}

STDMETHODIMP CUvcCamStream::GetStreamCaps(int iIndex, AM_MEDIA_TYPE** ppmt, BYTE* pSCC)
{
    const UvcModel& model = m_pCam->Model();
    const VideoRates rates = {kDefaultPeriod, kMinPeriod, kMaxPeriod, 1, 30};
    return Rgb24StreamCaps(
        model.sizeCount, [&](int i) { return SIZE{model.sizes[i].width, model.sizes[i].height}; }, rates, iIndex,
        ppmt, pSCC);
}

HRESULT CUvcCamStream::DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProps)
{
    ALLOCATOR_PROPERTIES want = *pProps;
    // Wine's Smart Tee holds three of them at once.
    want.cBuffers = std::max<long>(want.cBuffers, 4);
    want.cbBuffer = std::max<long>(want.cbBuffer, long(GetBitmapSize(HEADER(m_mt.Format()))));
    want.cbAlign = std::max<long>(want.cbAlign, 1);
    ALLOCATOR_PROPERTIES actual = {};
    HRESULT hr = pAlloc->SetProperties(&want, &actual);
    if (FAILED(hr))
        return hr;
    return actual.cBuffers < want.cBuffers || actual.cbBuffer < want.cbBuffer ? E_FAIL : S_OK;
}

REFERENCE_TIME CUvcCamStream::FramePeriod()
{
    const VIDEOINFOHEADER* vih = Vih(m_mt);
    return vih && vih->AvgTimePerFrame > 0 ? vih->AvgTimePerFrame : kDefaultPeriod;
}

HRESULT CUvcCamStream::OnThreadStartPlay()
{
    CAutoLock lock(&m_counterLock);
    m_nextDue = Ticks();
    m_firstFrame = 0;
    m_lastFrameTicks = 0;
    InterlockedExchange(&m_delivered, 0);
    return S_OK;
}

HRESULT CUvcCamStream::FillBuffer(IMediaSample* pSample)
{
    UvcDeviceState* device = m_pCam->Device();
    if (!device)
        return E_UNEXPECTED;
    const VIDEOINFOHEADER* vih = Vih(m_mt);
    if (!vih)
        return E_UNEXPECTED;
    const int width = vih->bmiHeader.biWidth;
    const int height = vih->bmiHeader.biHeight;
    const long bytes = long(DIBSIZE(vih->bmiHeader));
    BYTE* data = nullptr;
    HRESULT hr = pSample->GetPointer(&data);
    if (FAILED(hr))
        return hr;
    if (pSample->GetSize() < bytes)
        return E_UNEXPECTED;

    // A frame every period of the real-time clock, as a sensor delivers them.
    const REFERENCE_TIME period = FramePeriod();
    const LONGLONG perSecond = TicksPerSecond();
    const LONGLONG periodTicks = LONGLONG(double(period) * double(perSecond) / 1e7);
    LONGLONG now = Ticks();
    if (now < m_nextDue) {
        Sleep(DWORD((m_nextDue - now) * 1000 / perSecond));
        while ((now = Ticks()) < m_nextDue)
            Sleep(0);
    }
    // Late by more than a frame: start the beat again rather than burst.
    m_nextDue = now - m_nextDue > periodTicks ? now + periodTicks : m_nextDue + periodTicks;

    UvcDeviceState snapshot = *device;
    const LONG counter = InterlockedIncrement(&device->frameCounter) - 1;
    m_scene.Render(snapshot, counter, width, height, data, int(DIBWIDTHBYTES(vih->bmiHeader)));
    pSample->SetActualDataLength(bytes);
    REFERENCE_TIME start = 0;
    if (m_pCam->StreamTime(&start)) {
        REFERENCE_TIME stop = start + period;
        pSample->SetTime(&start, &stop);
    } else {
        pSample->SetTime(nullptr, nullptr);
    }
    pSample->SetSyncPoint(TRUE);
    {
        CAutoLock lock(&m_counterLock);
        if (!m_firstFrame)
            m_firstFrame = now;
        m_lastFrameTicks = now;
    }
    InterlockedIncrement(&m_delivered);
    return S_OK;
}

STDMETHODIMP CUvcCamStream::get_FramesDroppedInRenderer(int* pcFrames)
{
    if (!pcFrames)
        return E_POINTER;
    *pcFrames = 0;
    return S_OK;
}

STDMETHODIMP CUvcCamStream::get_FramesDrawn(int* pcFramesDrawn)
{
    if (!pcFramesDrawn)
        return E_POINTER;
    *pcFramesDrawn = int(m_delivered);
    return S_OK;
}

// Hundredths of frames a second, over the frames since streaming started.
STDMETHODIMP CUvcCamStream::get_AvgFrameRate(int* piAvgFrameRate)
{
    if (!piAvgFrameRate)
        return E_POINTER;
    CAutoLock lock(&m_counterLock);
    const LONG frames = m_delivered;
    const LONGLONG span = m_lastFrameTicks - m_firstFrame;
    *piAvgFrameRate = frames > 1 && span > 0 ? int(double(frames - 1) * 100.0 * double(TicksPerSecond()) / double(span)) : 0;
    return S_OK;
}

STDMETHODIMP CUvcCamStream::get_Jitter(int* iJitter)
{
    if (!iJitter)
        return E_POINTER;
    *iJitter = 0;
    return S_OK;
}

STDMETHODIMP CUvcCamStream::get_AvgSyncOffset(int* piAvg)
{
    if (!piAvg)
        return E_POINTER;
    *piAvg = 0;
    return S_OK;
}

STDMETHODIMP CUvcCamStream::get_DevSyncOffset(int* piDev)
{
    if (!piDev)
        return E_POINTER;
    *piDev = 0;
    return S_OK;
}

// The simulated sensor never drops a frame: a late frame is simply later.
STDMETHODIMP CUvcCamStream::GetNumDropped(long* plDropped)
{
    if (!plDropped)
        return E_POINTER;
    *plDropped = 0;
    return S_OK;
}

STDMETHODIMP CUvcCamStream::GetNumNotDropped(long* plNotDropped)
{
    if (!plNotDropped)
        return E_POINTER;
    *plNotDropped = m_delivered;
    return S_OK;
}

STDMETHODIMP CUvcCamStream::GetDroppedInfo(long lSize, long* plArray, long* plNumCopied)
{
    if (lSize < 0)
        return E_INVALIDARG;
    if (!plArray || !plNumCopied)
        return E_POINTER;
    *plNumCopied = 0;
    return S_OK;
}

STDMETHODIMP CUvcCamStream::GetAverageFrameSize(long* plAverageSize)
{
    if (!plAverageSize)
        return E_POINTER;
    CAutoLock lock(m_pFilter->pStateLock());
    *plAverageSize = long(m_format.GetSampleSize());
    return S_OK;
}

STDMETHODIMP CUvcCamStream::GetPages(CAUUID* pPages)
{
    if (!pPages)
        return E_POINTER;
    pPages->cElems = 0;
    pPages->pElems = nullptr;
    return S_OK;
}
