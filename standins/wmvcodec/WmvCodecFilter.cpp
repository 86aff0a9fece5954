#include "WmvCodecFilter.h"

#include "WmvRle.h"

#include <new>

const GUID MEDIASUBTYPE_WMV3_Standin = {0x33564d57, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
// {5D0A3E61-2B7C-4F09-9C8E-1A4B6D2E7F30}
const CLSID CLSID_WmvCodecStandin = {0x5d0a3e61, 0x2b7c, 0x4f09, {0x9c, 0x8e, 0x1a, 0x4b, 0x6d, 0x2e, 0x7f, 0x30}};

namespace {

// What a frame lasts when the camera does not say.
const REFERENCE_TIME kFallbackPeriod = 333333;

const VIDEOINFOHEADER* Vih(const CMediaType* mt)
{
    if (!mt || *mt->FormatType() != FORMAT_VideoInfo || !mt->Format() ||
        mt->FormatLength() < sizeof(VIDEOINFOHEADER))
        return nullptr;
    return reinterpret_cast<const VIDEOINFOHEADER*>(mt->Format());
}

}  // namespace

CUnknown* WINAPI CWmvCodecFilter::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr)
{
    return CreatedInstance(new (std::nothrow) CWmvCodecFilter(pUnk, phr), phr);
}

CWmvCodecFilter::CWmvCodecFilter(LPUNKNOWN pUnk, HRESULT*)
    : CTransformFilter(L"Microsoft Windows Media Video 9", pUnk, CLSID_WmvCodecStandin)
{
}

// Bottom-up RGB24 only, as the camera branch delivers it.
HRESULT CWmvCodecFilter::CheckInputType(const CMediaType* mtIn)
{
    const VIDEOINFOHEADER* vih = Vih(mtIn);
    if (*mtIn->Type() != MEDIATYPE_Video || *mtIn->Subtype() != MEDIASUBTYPE_RGB24 || !vih ||
        !WmvRleAccepts(vih->bmiHeader))
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

// The one output type: everything AVI Mux writes into the stream header
// (frame rectangle, frame period, buffer size) filled in, since the mux
// takes them as they come.
HRESULT CWmvCodecFilter::GetMediaType(int iPosition, CMediaType* pMediaType)
{
    if (iPosition < 0)
        return E_INVALIDARG;
    if (iPosition > 0)
        return VFW_S_NO_MORE_ITEMS;
    const VIDEOINFOHEADER* in = Vih(&m_pInput->CurrentMediaType());
    if (!in)
        return E_UNEXPECTED;
    const LONG w = in->bmiHeader.biWidth, h = in->bmiHeader.biHeight;
    VIDEOINFOHEADER vih = {};
    SetRect(&vih.rcSource, 0, 0, w, h);
    SetRect(&vih.rcTarget, 0, 0, w, h);
    vih.AvgTimePerFrame = in->AvgTimePerFrame > 0 ? in->AvgTimePerFrame : kFallbackPeriod;
    vih.bmiHeader = WmvRleOutputFormat(in->bmiHeader);
    const double bitRate = double(vih.bmiHeader.biSizeImage) * 8 * 1e7 / double(vih.AvgTimePerFrame);
    vih.dwBitRate = bitRate < 4294967295.0 ? DWORD(bitRate) : 0xFFFFFFFF;
    pMediaType->InitMediaType();
    pMediaType->SetType(&MEDIATYPE_Video);
    pMediaType->SetSubtype(&MEDIASUBTYPE_WMV3_Standin);
    pMediaType->SetFormatType(&FORMAT_VideoInfo);
    pMediaType->SetVariableSize();
    pMediaType->SetTemporalCompression(FALSE);
    return pMediaType->SetFormat(reinterpret_cast<BYTE*>(&vih), sizeof(vih)) ? S_OK : E_OUTOFMEMORY;
}

HRESULT CWmvCodecFilter::CheckTransform(const CMediaType* mtIn, const CMediaType* mtOut)
{
    HRESULT hr = CheckInputType(mtIn);
    if (FAILED(hr))
        return hr;
    const VIDEOINFOHEADER* in = Vih(mtIn);
    const VIDEOINFOHEADER* out = Vih(mtOut);
    if (*mtOut->Type() != MEDIATYPE_Video || *mtOut->Subtype() != MEDIASUBTYPE_WMV3_Standin || !out ||
        out->bmiHeader.biCompression != kWmvRleFourcc || out->bmiHeader.biWidth != in->bmiHeader.biWidth ||
        out->bmiHeader.biHeight != in->bmiHeader.biHeight ||
        out->bmiHeader.biSizeImage < WmvRleMaxSize(in->bmiHeader.biWidth, in->bmiHeader.biHeight))
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT CWmvCodecFilter::DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProps)
{
    const VIDEOINFOHEADER* in = Vih(&m_pInput->CurrentMediaType());
    if (!in)
        return E_UNEXPECTED;
    // Keeps the downstream pin's prefix and alignment (AVI Mux asks for a
    // prefix of its own).
    pProps->cbBuffer = long(WmvRleMaxSize(in->bmiHeader.biWidth, in->bmiHeader.biHeight));
    if (pProps->cBuffers < 2)
        pProps->cBuffers = 2;
    if (pProps->cbAlign <= 0)
        pProps->cbAlign = 1;
    ALLOCATOR_PROPERTIES actual = {};
    HRESULT hr = pAlloc->SetProperties(pProps, &actual);
    if (FAILED(hr))
        return hr;
    return actual.cbBuffer < pProps->cbBuffer || actual.cBuffers < 1 ? E_FAIL : S_OK;
}

HRESULT CWmvCodecFilter::StartStreaming()
{
    m_nextStart = 0;
    return S_OK;
}

// Each input frame becomes one key frame, with the input's times; a frame
// that comes without them gets the next period, since AVI Mux refuses
// untimed samples.
HRESULT CWmvCodecFilter::Receive(IMediaSample* pSample)
{
    const VIDEOINFOHEADER* in = Vih(&m_pInput->CurrentMediaType());
    if (!in)
        return E_UNEXPECTED;
    const BITMAPINFOHEADER& bih = in->bmiHeader;
    const long need = long(DIBSIZE(bih));
    BYTE* src = nullptr;
    if (FAILED(pSample->GetPointer(&src)) || pSample->GetActualDataLength() < need)
        return VFW_E_BUFFER_UNDERFLOW;

    // A live source delivers while the graph is paused too; those frames have
    // no stream time yet and belong to no recording, which begins at Run.
    if (m_State != State_Running)
        return S_OK;
    const REFERENCE_TIME period = in->AvgTimePerFrame > 0 ? in->AvgTimePerFrame : kFallbackPeriod;
    REFERENCE_TIME start = 0, stop = 0;
    const HRESULT hrTime = pSample->GetTime(&start, &stop);
    if (hrTime == VFW_S_NO_STOP_TIME)
        stop = start + period;
    else if (FAILED(hrTime)) {
        start = m_nextStart;
        stop = start + period;
    }
    m_nextStart = stop;
    // A live camera's first frames can come before the graph's start time
    // (Wine's graph starts 200 ms ahead); they belong to no recording, and
    // AVI Mux refuses a stream that begins before zero.
    if (start < 0)
        return S_OK;

    IMediaSample* out = nullptr;
    HRESULT hr = m_pOutput->GetDeliveryBuffer(&out, nullptr, nullptr, 0);
    if (FAILED(hr))
        return hr;
    BYTE* dst = nullptr;
    hr = out->GetPointer(&dst);
    if (SUCCEEDED(hr) && out->GetSize() < long(WmvRleMaxSize(bih.biWidth, bih.biHeight)))
        hr = E_UNEXPECTED;
    if (SUCCEEDED(hr)) {
        const size_t size = WmvRleEncode(src, bih.biWidth, bih.biHeight, int(DIBWIDTHBYTES(bih)), dst);
        out->SetActualDataLength(long(size));
        out->SetTime(&start, &stop);
        out->SetSyncPoint(TRUE);
        out->SetDiscontinuity(pSample->IsDiscontinuity() == S_OK);
        out->SetPreroll(pSample->IsPreroll() == S_OK);
        hr = m_pOutput->Deliver(out);
    }
    out->Release();
    return hr;
}

