// What the two halves of CXGraphDll share: an owning interface pointer and
// the graph routines.
#pragma once

#include "Trevlo.h"

#include <Com.h>

template <class T>
void SafeRelease(T*& p)
{
    if (p)
        p->Release();
    p = nullptr;
}

void FreeMediaTypeBlock(AM_MEDIA_TYPE& mt);
void DeleteMediaTypeBlock(AM_MEDIA_TYPE* pmt);
// The VIDEOINFOHEADER of a media type, or null when it carries none.
const VIDEOINFOHEADER* VideoInfo(const AM_MEDIA_TYPE* pmt);

// The first pin of `filter` in `dir`; with `unconnected` the first one not
// yet connected.
HRESULT FirstPin(IBaseFilter* filter, PIN_DIRECTION dir, bool unconnected, IPin** ppPin);
// The first interface `iid` on a filter of the graph, or on one of its pins.
HRESULT FindInGraph(IGraphBuilder* graph, REFIID iid, void** ppv);
