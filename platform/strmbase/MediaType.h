// AM_MEDIA_TYPE with value semantics, and the media-type helpers.
#pragma once

#include <windows.h>
#include <strmif.h>
#include <amvideo.h>
#include <uuids.h>

void WINAPI FreeMediaType(AM_MEDIA_TYPE& mt);
void WINAPI DeleteMediaType(AM_MEDIA_TYPE* pmt);
HRESULT WINAPI CopyMediaType(AM_MEDIA_TYPE* pmtTarget, const AM_MEDIA_TYPE* pmtSource);
AM_MEDIA_TYPE* WINAPI CreateMediaType(const AM_MEDIA_TYPE* pSrc);

// Bytes of a DIB with rows padded to four bytes; |height|, as top-down DIBs
// carry a negative one.
DWORD GetBitmapSize(const BITMAPINFOHEADER* pHeader);
#define WIDTHBYTES(bits) ((DWORD)(((bits) + 31) & (~31)) / 8)
#define DIBWIDTHBYTES(bi) (DWORD)WIDTHBYTES((DWORD)(bi).biWidth * (DWORD)(bi).biBitCount)
#define DIBSIZE(bi) (DIBWIDTHBYTES(bi) * (DWORD)abs((bi).biHeight))
#define HEADER(pVideoInfo) (&(((VIDEOINFOHEADER*)(pVideoInfo))->bmiHeader))

class CMediaType : public AM_MEDIA_TYPE {
public:
    CMediaType();
    explicit CMediaType(const GUID* majortype);
    CMediaType(const AM_MEDIA_TYPE& mt, HRESULT* phr = nullptr);
    CMediaType(const CMediaType& mt, HRESULT* phr = nullptr);
    ~CMediaType();

    CMediaType& operator=(const CMediaType& mt);
    CMediaType& operator=(const AM_MEDIA_TYPE& mt);
    bool operator==(const CMediaType& mt) const;
    bool operator!=(const CMediaType& mt) const { return !(*this == mt); }

    HRESULT Set(const CMediaType& mt);
    HRESULT Set(const AM_MEDIA_TYPE& mt);
    BOOL IsValid() const { return majortype != GUID_NULL; }

    const GUID* Type() const { return &majortype; }
    void SetType(const GUID* p) { majortype = *p; }
    const GUID* Subtype() const { return &subtype; }
    void SetSubtype(const GUID* p) { subtype = *p; }
    const GUID* FormatType() const { return &formattype; }
    void SetFormatType(const GUID* p) { formattype = *p; }
    BOOL IsFixedSize() const { return bFixedSizeSamples; }
    BOOL IsTemporalCompressed() const { return bTemporalCompression; }
    ULONG GetSampleSize() const { return bFixedSizeSamples ? lSampleSize : 0; }
    void SetSampleSize(ULONG sz);
    void SetVariableSize() { bFixedSizeSamples = FALSE; }
    void SetTemporalCompression(BOOL b) { bTemporalCompression = b; }

    BYTE* Format() const { return pbFormat; }
    ULONG FormatLength() const { return cbFormat; }
    BOOL SetFormat(const BYTE* p, ULONG length);
    void ResetFormatBuffer();
    BYTE* AllocFormatBuffer(ULONG length);
    BYTE* ReallocFormatBuffer(ULONG length);

    void InitMediaType();
    // A type with a null major or format type leaves the rest open.
    BOOL IsPartiallySpecified() const;
    // Every field the partial type fixes agrees with ours.
    BOOL MatchesPartial(const CMediaType* ppartial) const;
};
