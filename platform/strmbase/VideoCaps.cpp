#include "VideoCaps.h"

#include <amvideo.h>
#include <uuids.h>

#include <algorithm>

namespace {

LONG ClampedBits(LONGLONG bits)
{
    return LONG(std::min<LONGLONG>(0x7FFFFFFF, bits));
}

}  // namespace

HRESULT Rgb24SizeType(SIZE size, REFERENCE_TIME average, CMediaType* pmt)
{
    VIDEOINFOHEADER vih = {};
    vih.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih.bmiHeader.biWidth = size.cx;
    vih.bmiHeader.biHeight = size.cy;
    vih.bmiHeader.biPlanes = 1;
    vih.bmiHeader.biBitCount = 24;
    vih.bmiHeader.biCompression = BI_RGB;
    vih.bmiHeader.biSizeImage = DIBSIZE(vih.bmiHeader);
    if (average > 0) {
        const LONGLONG fps = (10000000 + average / 2) / average;
        vih.AvgTimePerFrame = average;
        vih.dwBitRate = DWORD(std::min<LONGLONG>(0xFFFFFFFF, LONGLONG(vih.bmiHeader.biSizeImage) * 8 * fps));
    }
    pmt->InitMediaType();
    pmt->SetType(&MEDIATYPE_Video);
    pmt->SetSubtype(&MEDIASUBTYPE_RGB24);
    pmt->SetFormatType(&FORMAT_VideoInfo);
    pmt->SetTemporalCompression(FALSE);
    pmt->SetSampleSize(vih.bmiHeader.biSizeImage);
    return pmt->SetFormat(reinterpret_cast<BYTE*>(&vih), sizeof(vih)) ? S_OK : E_OUTOFMEMORY;
}

HRESULT Rgb24CapsCount(int count, int* piCount, int* piSize)
{
    if (!piCount || !piSize)
        return E_POINTER;
    *piCount = count;
    *piSize = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    return S_OK;
}

HRESULT Rgb24SizeCaps(SIZE size, const VideoRates& rates, AM_MEDIA_TYPE** ppmt, BYTE* pSCC)
{
    CMediaType mt;
    HRESULT hr = Rgb24SizeType(size, rates.average, &mt);
    if (FAILED(hr))
        return hr;
    *ppmt = CreateMediaType(&mt);
    if (!*ppmt)
        return E_OUTOFMEMORY;
    const LONGLONG frameBits = LONGLONG(mt.GetSampleSize()) * 8;
    VIDEO_STREAM_CONFIG_CAPS caps = {};
    caps.guid = FORMAT_VideoInfo;
    caps.VideoStandard = AnalogVideo_None;
    caps.InputSize = size;
    caps.MinCroppingSize = caps.MaxCroppingSize = size;
    caps.CropGranularityX = caps.CropGranularityY = 1;
    caps.CropAlignX = caps.CropAlignY = 1;
    caps.MinOutputSize = caps.MaxOutputSize = size;
    caps.MinFrameInterval = rates.shortest;
    caps.MaxFrameInterval = rates.longest;
    caps.MinBitsPerSecond = ClampedBits(frameBits * rates.slowestFps);
    caps.MaxBitsPerSecond = ClampedBits(frameBits * rates.fastestFps);
    CopyMemory(pSCC, &caps, sizeof caps);
    return S_OK;
}
