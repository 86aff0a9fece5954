// The stand-in "Microsoft Windows Media Video 9" compressor: RGB24 frames in,
// 'WMV3' frames out, each one a key frame in the run-length form of WmvRle.h.
#pragma once

#include "Strmbase.h"

// {33564D57-0000-0010-8000-00AA00389B71}: the FourCC 'WMV3' as a subtype.
extern const GUID MEDIASUBTYPE_WMV3_Standin;
extern const CLSID CLSID_WmvCodecStandin;

class CWmvCodecFilter : public CTransformFilter {
public:
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);

    HRESULT CheckInputType(const CMediaType* mtIn) override;
    HRESULT CheckTransform(const CMediaType* mtIn, const CMediaType* mtOut) override;
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProps) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override;
    HRESULT StartStreaming() override;
    HRESULT Receive(IMediaSample* pSample) override;

private:
    CWmvCodecFilter(LPUNKNOWN pUnk, HRESULT* phr);

    // Streaming thread only, reset when streaming starts.
    REFERENCE_TIME m_nextStart = 0;
};
