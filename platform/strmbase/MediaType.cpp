#include "MediaType.h"

#include <cstdlib>
#include <cstring>

void WINAPI FreeMediaType(AM_MEDIA_TYPE& mt)
{
    if (mt.cbFormat) {
        CoTaskMemFree(mt.pbFormat);
        mt.cbFormat = 0;
    }
    mt.pbFormat = nullptr;
    if (mt.pUnk) {
        mt.pUnk->Release();
        mt.pUnk = nullptr;
    }
}

void WINAPI DeleteMediaType(AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return;
    FreeMediaType(*pmt);
    CoTaskMemFree(pmt);
}

HRESULT WINAPI CopyMediaType(AM_MEDIA_TYPE* pmtTarget, const AM_MEDIA_TYPE* pmtSource)
{
    *pmtTarget = *pmtSource;
    if (pmtSource->cbFormat) {
        pmtTarget->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(pmtSource->cbFormat));
        if (!pmtTarget->pbFormat) {
            pmtTarget->cbFormat = 0;
            return E_OUTOFMEMORY;
        }
        memcpy(pmtTarget->pbFormat, pmtSource->pbFormat, pmtSource->cbFormat);
    } else {
        pmtTarget->pbFormat = nullptr;
    }
    if (pmtTarget->pUnk)
        pmtTarget->pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* WINAPI CreateMediaType(const AM_MEDIA_TYPE* pSrc)
{
    auto* pmt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!pmt)
        return nullptr;
    if (FAILED(CopyMediaType(pmt, pSrc))) {
        CoTaskMemFree(pmt);
        return nullptr;
    }
    return pmt;
}

DWORD GetBitmapSize(const BITMAPINFOHEADER* pHeader)
{
    return DIBSIZE(*pHeader);
}

CMediaType::CMediaType() { InitMediaType(); }

CMediaType::CMediaType(const GUID* type)
{
    InitMediaType();
    majortype = *type;
}

CMediaType::CMediaType(const AM_MEDIA_TYPE& mt, HRESULT* phr)
{
    InitMediaType();
    const HRESULT hr = Set(mt);
    if (phr)
        *phr = hr;
}

CMediaType::CMediaType(const CMediaType& mt, HRESULT* phr) : AM_MEDIA_TYPE()
{
    InitMediaType();
    const HRESULT hr = Set(mt);
    if (phr)
        *phr = hr;
}

CMediaType::~CMediaType() { FreeMediaType(*this); }

CMediaType& CMediaType::operator=(const CMediaType& mt)
{
    Set(mt);
    return *this;
}

CMediaType& CMediaType::operator=(const AM_MEDIA_TYPE& mt)
{
    Set(mt);
    return *this;
}

bool CMediaType::operator==(const CMediaType& mt) const
{
    return majortype == mt.majortype && subtype == mt.subtype && formattype == mt.formattype &&
           cbFormat == mt.cbFormat && (cbFormat == 0 || memcmp(pbFormat, mt.pbFormat, cbFormat) == 0);
}

HRESULT CMediaType::Set(const CMediaType& mt)
{
    return Set(static_cast<const AM_MEDIA_TYPE&>(mt));
}

HRESULT CMediaType::Set(const AM_MEDIA_TYPE& mt)
{
    if (&mt == this)
        return S_OK;
    FreeMediaType(*this);
    const HRESULT hr = CopyMediaType(this, &mt);
    if (FAILED(hr))
        InitMediaType();
    return hr;
}

void CMediaType::SetSampleSize(ULONG sz)
{
    if (sz == 0) {
        SetVariableSize();
    } else {
        bFixedSizeSamples = TRUE;
        lSampleSize = sz;
    }
}

BOOL CMediaType::SetFormat(const BYTE* p, ULONG length)
{
    if (!AllocFormatBuffer(length))
        return FALSE;
    memcpy(pbFormat, p, length);
    return TRUE;
}

void CMediaType::ResetFormatBuffer()
{
    if (cbFormat)
        CoTaskMemFree(pbFormat);
    cbFormat = 0;
    pbFormat = nullptr;
}

BYTE* CMediaType::AllocFormatBuffer(ULONG length)
{
    if (cbFormat == length && pbFormat)
        return pbFormat;
    BYTE* p = static_cast<BYTE*>(CoTaskMemAlloc(length));
    if (!p)
        return nullptr;
    ResetFormatBuffer();
    pbFormat = p;
    cbFormat = length;
    return p;
}

BYTE* CMediaType::ReallocFormatBuffer(ULONG length)
{
    BYTE* p = static_cast<BYTE*>(CoTaskMemAlloc(length));
    if (!p)
        return nullptr;
    if (cbFormat)
        memcpy(p, pbFormat, cbFormat < length ? cbFormat : length);
    ResetFormatBuffer();
    pbFormat = p;
    cbFormat = length;
    return p;
}

void CMediaType::InitMediaType()
{
    memset(static_cast<AM_MEDIA_TYPE*>(this), 0, sizeof(AM_MEDIA_TYPE));
    lSampleSize = 1;
    bFixedSizeSamples = TRUE;
}

BOOL CMediaType::IsPartiallySpecified() const
{
    return majortype == GUID_NULL || formattype == GUID_NULL;
}

BOOL CMediaType::MatchesPartial(const CMediaType* p) const
{
    if (p->majortype != GUID_NULL && p->majortype != majortype)
        return FALSE;
    if (p->subtype != GUID_NULL && p->subtype != subtype)
        return FALSE;
    if (p->formattype != GUID_NULL) {
        if (p->formattype != formattype || p->cbFormat != cbFormat)
            return FALSE;
        if (cbFormat && memcmp(p->pbFormat, pbFormat, cbFormat) != 0)
            return FALSE;
    }
    return TRUE;
}
