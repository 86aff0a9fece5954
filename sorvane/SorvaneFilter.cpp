#include "SorvaneFilter.h"

#include "PixelOps.h"

#include <cstdlib>
#include <new>

CUnknown* WINAPI CSorvaneFilter::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr)
{
    CSorvaneFilter* filter = new (std::nothrow) CSorvaneFilter(pUnk, phr);
    if (!filter && phr)
        *phr = E_OUTOFMEMORY;
    return filter;
}

CSorvaneFilter::CSorvaneFilter(LPUNKNOWN pUnk, HRESULT* phr)
    : CTransInPlaceFilter(L"Kelm Sorvane", pUnk, CLSID_SorvaneFilter, phr, true)
{
}

STDMETHODIMP CSorvaneFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    OutputDebugStringA("NonDelegatingQueryInterface");
    if (riid == IID_ISorvane)
        return GetInterface(static_cast<ISorvane*>(this), ppv);
    if (riid == IID_ISpecifyPropertyPages)
        return GetInterface(static_cast<ISpecifyPropertyPages*>(this), ppv);
    return CTransInPlaceFilter::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CSorvaneFilter::CheckInputType(const CMediaType* mtIn)
{
    OutputDebugStringA("CheckInputType");
    if (IsStopped() && *mtIn->Type() == MEDIATYPE_Video) {
        if (*mtIn->Subtype() == MEDIASUBTYPE_RGB24)
            return S_OK;
        OutputDebugStringA("CheckInputType failed");
    }
    OutputDebugStringA("CheckInputType failed2");
    return E_INVALIDARG;
}

namespace {

// Width and |height| of an RGB24 video-info type; false for any other type.
bool FrameSize(const AM_MEDIA_TYPE& mt, long* width, long* height)
{
    if (mt.formattype != FORMAT_VideoInfo || mt.cbFormat < sizeof(VIDEOINFOHEADER) || !mt.pbFormat)
        return false;
    const BITMAPINFOHEADER& bih = reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat)->bmiHeader;
    if (bih.biWidth < 0)
        return false;
    *width = bih.biWidth;
    *height = labs(bih.biHeight);
    return true;
}

}  // namespace

HRESULT CSorvaneFilter::CompleteConnect(PIN_DIRECTION direction, IPin* pReceivePin)
{
    OutputDebugStringA("CSorvaneFilter::CompleteConnect");
    if (direction == PINDIR_INPUT) {
        // The connected type, not the last candidate CheckInputType saw:
        // a candidate may still have been refused after the check.
        long width = 0, height = 0;
        if (!FrameSize(m_pInput->CurrentMediaType(), &width, &height))
            width = height = 0;
        CAutoLock lock(&m_csSettings);
        m_width = width;
        m_height = height;
    }
    return CTransInPlaceFilter::CompleteConnect(direction, pReceivePin);
}

HRESULT CSorvaneFilter::BreakConnect(PIN_DIRECTION direction)
{
    if (direction == PINDIR_INPUT) {
        CAutoLock lock(&m_csSettings);
        m_width = m_height = 0;
    }
    return CTransInPlaceFilter::BreakConnect(direction);
}

HRESULT CSorvaneFilter::StartStreaming()
{
    OutputDebugStringA("StartStreaming");
    return S_OK;
}

HRESULT CSorvaneFilter::StopStreaming()
{
    OutputDebugStringA("StopStreaming");
    return S_OK;
}

HRESULT CSorvaneFilter::Transform(IMediaSample* pSample)
{
    if (!m_bEnable)
        return S_OK;
    // A sample may announce a new format; its size holds from then on.
    AM_MEDIA_TYPE* pmt = nullptr;
    if (pSample->GetMediaType(&pmt) == S_OK && pmt) {
        long width = 0, height = 0;
        if (pmt->subtype != MEDIASUBTYPE_RGB24 || !FrameSize(*pmt, &width, &height))
            width = height = 0;
        m_width = width;
        m_height = height;
        DeleteMediaType(pmt);
    }
    const int w = int(m_width), h = int(m_height);
    if (w <= 0 || h <= 0)
        return S_OK;
    BYTE* frame = nullptr;
    if (FAILED(pSample->GetPointer(&frame)) || !frame)
        return S_OK;
    // A frame that does not fill the sample is passed on untouched rather
    // than processed past its end.
    const LONGLONG needed = LONGLONG(DibStride(w)) * h;
    if (needed > pSample->GetActualDataLength() || needed > pSample->GetSize())
        return S_OK;

    if (m_bFlip)
        ImgFlip(frame, w, h);
    if (m_bMirror)
        ImgMirror(frame, w, h);
    if (m_bGray)
        ImgGray(frame, w, h);
    if (m_bInvert)
        ImgInvert(frame, w, h);
    if (m_bBinary)
        ImgBinary(frame, w, h, m_threshold);
    if (m_bEmboss)
        ImgEmboss(frame, w, h);
    if (m_bSharp)
        ImgSharp(frame, w, h);
    if (m_bAddOne)
        ImgAddOne(frame, w, h);
    if (m_bAddTwo)
        ImgAddTwo(frame, w, h);
    if (m_bMultiply)
        ImgMultiply(frame, w, h, static_cast<float>(m_tenths * 0.1));
    if (m_bRgb)
        ImgRgbGain(frame, w, h, m_r, m_g, m_b);
    // No mask yet, or the caller's image is gone: nothing to overlay.
    BYTE** mask = m_mask;
    if (m_bMask && mask && *mask)
        ImgMaskOverlay(frame, w, h, 0, 0, *mask, w, h, 1, 1, 1);
    return S_OK;
}

#define SORVANE_PUT(member, value) \
    {                              \
        CAutoLock lock(&m_csSettings); \
        member = value;            \
        return S_OK;               \
    }

STDMETHODIMP CSorvaneFilter::put_EnableProcess(BOOL b) SORVANE_PUT(m_bEnable, b)
STDMETHODIMP CSorvaneFilter::put_Flip(BOOL b) SORVANE_PUT(m_bFlip, b)
STDMETHODIMP CSorvaneFilter::put_Mirror(BOOL b) SORVANE_PUT(m_bMirror, b)
STDMETHODIMP CSorvaneFilter::put_Gray(BOOL b) SORVANE_PUT(m_bGray, b)
STDMETHODIMP CSorvaneFilter::put_Invert(BOOL b) SORVANE_PUT(m_bInvert, b)
STDMETHODIMP CSorvaneFilter::put_Emboss(BOOL b) SORVANE_PUT(m_bEmboss, b)
STDMETHODIMP CSorvaneFilter::put_Sharp(BOOL b) SORVANE_PUT(m_bSharp, b)
STDMETHODIMP CSorvaneFilter::put_AddOne(BOOL b) SORVANE_PUT(m_bAddOne, b)
STDMETHODIMP CSorvaneFilter::put_AddTwo(BOOL b) SORVANE_PUT(m_bAddTwo, b)

STDMETHODIMP CSorvaneFilter::put_Binary(BOOL b, long threshold)
{
    CAutoLock lock(&m_csSettings);
    m_bBinary = b;
    m_threshold = threshold;
    return S_OK;
}

STDMETHODIMP CSorvaneFilter::put_Multiply(BOOL b, long tenths)
{
    CAutoLock lock(&m_csSettings);
    m_bMultiply = b;
    m_tenths = tenths;
    return S_OK;
}

STDMETHODIMP CSorvaneFilter::put_RgbGain(BOOL b, long r, long g, long bl)
{
    CAutoLock lock(&m_csSettings);
    m_bRgb = b;
    m_r = r;
    m_g = g;
    m_b = bl;
    return S_OK;
}

STDMETHODIMP CSorvaneFilter::put_MaskOverlay(BOOL b, BYTE** mask)
{
    CAutoLock lock(&m_csSettings);
    m_bMask = b;
    m_mask = mask;
    return S_OK;
}

#define SORVANE_GET(member, out) \
    {                            \
        CAutoLock lock(&m_csSettings); \
        *out = member;           \
        return S_OK;             \
    }

STDMETHODIMP CSorvaneFilter::get_EnableProcess(BOOL* p) SORVANE_GET(m_bEnable, p)
STDMETHODIMP CSorvaneFilter::get_Flip(BOOL* p) SORVANE_GET(m_bFlip, p)
STDMETHODIMP CSorvaneFilter::get_Mirror(BOOL* p) SORVANE_GET(m_bMirror, p)
STDMETHODIMP CSorvaneFilter::get_Gray(BOOL* p) SORVANE_GET(m_bGray, p)
STDMETHODIMP CSorvaneFilter::get_Invert(BOOL* p) SORVANE_GET(m_bInvert, p)
STDMETHODIMP CSorvaneFilter::get_Emboss(BOOL* p) SORVANE_GET(m_bEmboss, p)
STDMETHODIMP CSorvaneFilter::get_Sharp(BOOL* p) SORVANE_GET(m_bSharp, p)
STDMETHODIMP CSorvaneFilter::get_AddOne(BOOL* p) SORVANE_GET(m_bAddOne, p)
STDMETHODIMP CSorvaneFilter::get_AddTwo(BOOL* p) SORVANE_GET(m_bAddTwo, p)
STDMETHODIMP CSorvaneFilter::get_MaskOverlay(BOOL* p) SORVANE_GET(m_bMask, p)

STDMETHODIMP CSorvaneFilter::get_Binary(BOOL* p, long* pThreshold)
{
    CAutoLock lock(&m_csSettings);
    *p = m_bBinary;
    *pThreshold = m_threshold;
    return S_OK;
}

STDMETHODIMP CSorvaneFilter::get_Multiply(BOOL* p, long* pTenths)
{
    CAutoLock lock(&m_csSettings);
    *p = m_bMultiply;
    *pTenths = m_tenths;
    return S_OK;
}

STDMETHODIMP CSorvaneFilter::get_RgbGain(BOOL* p, long* pR, long* pG, long* pB)
{
    CAutoLock lock(&m_csSettings);
    *p = m_bRgb;
    *pR = m_r;
    *pG = m_g;
    *pB = m_b;
    return S_OK;
}

STDMETHODIMP CSorvaneFilter::GetPages(CAUUID* pPages)
{
    if (!pPages)
        return E_POINTER;
    pPages->cElems = 1;
    pPages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pPages->pElems) {
        pPages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pPages->pElems[0] = CLSID_SorvanePropertyPage;
    return S_OK;
}
