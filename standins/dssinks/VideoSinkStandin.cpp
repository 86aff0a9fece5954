#include "VideoSinkStandin.h"

#include <new>

CVideoSinkPin::CVideoSinkPin(CVideoSinkStandin* pFilter, CCritSec* pLock, HRESULT* phr)
    : CBaseInputPin(L"Video sink input", pFilter, pLock, phr, L"VMR Input0"), m_pSink(pFilter)
{
}

HRESULT CVideoSinkPin::CheckMediaType(const CMediaType* pmt)
{
    return *pmt->Type() == MEDIATYPE_Video && *pmt->Subtype() == MEDIASUBTYPE_RGB24 &&
                   *pmt->FormatType() == FORMAT_VideoInfo
               ? S_OK
               : VFW_E_TYPE_NOT_ACCEPTED;
}

STDMETHODIMP CVideoSinkPin::Receive(IMediaSample* pSample)
{
    return CBaseInputPin::Receive(pSample);
}

STDMETHODIMP CVideoSinkPin::EndOfStream()
{
    return m_pSink->NotifyEvent(EC_COMPLETE, S_OK, 0);
}

CUnknown* WINAPI CVideoSinkStandin::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr)
{
    return CreatedInstance(new (std::nothrow) CVideoSinkStandin(pUnk, phr), phr);
}

CVideoSinkStandin::CVideoSinkStandin(LPUNKNOWN pUnk, HRESULT* phr)
    : CBaseFilter(L"Video Mixing Renderer", pUnk, &m_csFilter, CLSID_VideoMixingRenderer, phr),
      m_pin(this, &m_csFilter, phr)
{
}
