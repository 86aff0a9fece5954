#include "SorvaneFilter.h"

#include "PixelOps.h"

#include <cstdlib>
#include <new>

CUnknown* WINAPI CSorvaneFilter::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr)
{
    return CreatedInstance(new (std::nothrow) CSorvaneFilter(pUnk, phr), phr);
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
        m_settings.width = width;
        m_settings.height = height;
    }
    return CTransInPlaceFilter::CompleteConnect(direction, pReceivePin);
}

HRESULT CSorvaneFilter::BreakConnect(PIN_DIRECTION direction)
{
    if (direction == PINDIR_INPUT) {
        CAutoLock lock(&m_csSettings);
        m_settings.width = m_settings.height = 0;
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
    // A sample may announce a new format; its size holds from then on.
    long announcedWidth = -1, announcedHeight = -1;
    AM_MEDIA_TYPE* pmt = nullptr;
    if (pSample->GetMediaType(&pmt) == S_OK && pmt) {
        if (pmt->subtype != MEDIASUBTYPE_RGB24 || !FrameSize(*pmt, &announcedWidth, &announcedHeight))
            announcedWidth = announcedHeight = 0;
        DeleteMediaType(pmt);
    }
    Settings s;
    {
        CAutoLock lock(&m_csSettings);
        if (announcedWidth >= 0) {
            m_settings.width = announcedWidth;
            m_settings.height = announcedHeight;
        }
        s = m_settings;
    }
    if (!s.bEnable)
        return S_OK;
    const int w = int(s.width), h = int(s.height);
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

    if (s.bFlip)
        ImgFlip(frame, w, h);
    if (s.bMirror)
        ImgMirror(frame, w, h);
    if (s.bGray)
        ImgGray(frame, w, h);
    if (s.bInvert)
        ImgInvert(frame, w, h);
    if (s.bBinary)
        ImgBinary(frame, w, h, s.threshold);
    if (s.bEmboss)
        ImgEmboss(frame, w, h);
    if (s.bSharp)
        ImgSharp(frame, w, h);
    if (s.bAddOne)
        ImgAddOne(frame, w, h);
    if (s.bAddTwo)
        ImgAddTwo(frame, w, h);
    if (s.bMultiply)
        ImgMultiply(frame, w, h, static_cast<float>(s.tenths * 0.1));
    if (s.bRgb)
        ImgRgbGain(frame, w, h, s.r, s.g, s.b);
    // No mask yet, or the caller's image is gone: nothing to overlay.
    CAutoLock lock(&m_csMask);
    if (m_bMask && m_mask && *m_mask)
        ImgMaskOverlay(frame, w, h, 0, 0, *m_mask, w, h, 1, 1, 1);
    return S_OK;
}

#define SORVANE_PUT(member, value) \
    {                              \
        CAutoLock lock(&m_csSettings); \
        member = value;            \
        return S_OK;               \
    }

STDMETHODIMP CSorvaneFilter::put_EnableProcess(BOOL b) SORVANE_PUT(m_settings.bEnable, b)
STDMETHODIMP CSorvaneFilter::put_Flip(BOOL b) SORVANE_PUT(m_settings.bFlip, b)
STDMETHODIMP CSorvaneFilter::put_Mirror(BOOL b) SORVANE_PUT(m_settings.bMirror, b)
STDMETHODIMP CSorvaneFilter::put_Gray(BOOL b) SORVANE_PUT(m_settings.bGray, b)
STDMETHODIMP CSorvaneFilter::put_Invert(BOOL b) SORVANE_PUT(m_settings.bInvert, b)
STDMETHODIMP CSorvaneFilter::put_Emboss(BOOL b) SORVANE_PUT(m_settings.bEmboss, b)
STDMETHODIMP CSorvaneFilter::put_Sharp(BOOL b) SORVANE_PUT(m_settings.bSharp, b)
STDMETHODIMP CSorvaneFilter::put_AddOne(BOOL b) SORVANE_PUT(m_settings.bAddOne, b)
STDMETHODIMP CSorvaneFilter::put_AddTwo(BOOL b) SORVANE_PUT(m_settings.bAddTwo, b)

STDMETHODIMP CSorvaneFilter::put_Binary(BOOL b, long threshold)
{
    CAutoLock lock(&m_csSettings);
    m_settings.bBinary = b;
    m_settings.threshold = threshold;
    return S_OK;
}

STDMETHODIMP CSorvaneFilter::put_Multiply(BOOL b, long tenths)
{
    CAutoLock lock(&m_csSettings);
    m_settings.bMultiply = b;
    m_settings.tenths = tenths;
    return S_OK;
}

STDMETHODIMP CSorvaneFilter::put_RgbGain(BOOL b, long r, long g, long bl)
{
    CAutoLock lock(&m_csSettings);
    m_settings.bRgb = b;
    m_settings.r = r;
    m_settings.g = g;
    m_settings.b = bl;
    return S_OK;
}

STDMETHODIMP CSorvaneFilter::put_MaskOverlay(BOOL b, BYTE** mask)
{
    CAutoLock lock(&m_csMask);
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

STDMETHODIMP CSorvaneFilter::get_EnableProcess(BOOL* p) SORVANE_GET(m_settings.bEnable, p)
STDMETHODIMP CSorvaneFilter::get_Flip(BOOL* p) SORVANE_GET(m_settings.bFlip, p)
STDMETHODIMP CSorvaneFilter::get_Mirror(BOOL* p) SORVANE_GET(m_settings.bMirror, p)
STDMETHODIMP CSorvaneFilter::get_Gray(BOOL* p) SORVANE_GET(m_settings.bGray, p)
STDMETHODIMP CSorvaneFilter::get_Invert(BOOL* p) SORVANE_GET(m_settings.bInvert, p)
STDMETHODIMP CSorvaneFilter::get_Emboss(BOOL* p) SORVANE_GET(m_settings.bEmboss, p)
STDMETHODIMP CSorvaneFilter::get_Sharp(BOOL* p) SORVANE_GET(m_settings.bSharp, p)
STDMETHODIMP CSorvaneFilter::get_AddOne(BOOL* p) SORVANE_GET(m_settings.bAddOne, p)
STDMETHODIMP CSorvaneFilter::get_AddTwo(BOOL* p) SORVANE_GET(m_settings.bAddTwo, p)
STDMETHODIMP CSorvaneFilter::get_MaskOverlay(BOOL* p) {
    CAutoLock lock(&m_csMask);
    *p = m_bMask;
    return S_OK;
}

STDMETHODIMP CSorvaneFilter::get_Binary(BOOL* p, long* pThreshold)
{
    CAutoLock lock(&m_csSettings);
    *p = m_settings.bBinary;
    *pThreshold = m_settings.threshold;
    return S_OK;
}

STDMETHODIMP CSorvaneFilter::get_Multiply(BOOL* p, long* pTenths)
{
    CAutoLock lock(&m_csSettings);
    *p = m_settings.bMultiply;
    *pTenths = m_settings.tenths;
    return S_OK;
}

STDMETHODIMP CSorvaneFilter::get_RgbGain(BOOL* p, long* pR, long* pG, long* pB)
{
    CAutoLock lock(&m_csSettings);
    *p = m_settings.bRgb;
    *pR = m_settings.r;
    *pG = m_settings.g;
    *pB = m_settings.b;
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
