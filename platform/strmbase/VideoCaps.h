// IAMStreamConfig for a source of bottom-up RGB24 frames in a table of
// sizes: the media type of one size and the capabilities of each.
#pragma once

#include <windows.h>
#include <strmif.h>

#include "MediaType.h"

// A source's frame timing, in 100 ns units. `average` goes into the media
// types (0 leaves it unset); `shortest` and `longest` into the caps, whose
// bit rates are those of `slowestFps` and `fastestFps` frames a second.
struct VideoRates {
    REFERENCE_TIME average;
    LONGLONG shortest;
    LONGLONG longest;
    int slowestFps;
    int fastestFps;
};

// The type of one frame size, with its image size and, given an average
// period, that period and its bit rate.
HRESULT Rgb24SizeType(SIZE size, REFERENCE_TIME average, CMediaType* pmt);

// GetNumberOfCapabilities over a table of `count` sizes.
HRESULT Rgb24CapsCount(int count, int* piCount, int* piSize);

// GetStreamCaps for entry `index` of a table of `count` sizes, sizeAt(i)
// giving the SIZE of entry i: E_INVALIDARG below the table, S_FALSE past it.
HRESULT Rgb24SizeCaps(SIZE size, const VideoRates& rates, AM_MEDIA_TYPE** ppmt, BYTE* pSCC);
template <class SizeAt>
HRESULT Rgb24StreamCaps(int count, SizeAt sizeAt, const VideoRates& rates, int index, AM_MEDIA_TYPE** ppmt, BYTE* pSCC)
{
    if (index < 0)
        return E_INVALIDARG;
    if (index >= count)
        return S_FALSE;
    if (!ppmt || !pSCC)
        return E_POINTER;
    return Rgb24SizeCaps(sizeAt(index), rates, ppmt, pSCC);
}
