// A stand-in for the platform's Video Mixing Renderer 7 where a test needs
// one that takes RGB24, as the platform's does: Wine's refuses it. It shows
// nothing; it takes each frame and lets it go, counting them.
#pragma once

#include "Strmbase.h"

class CVideoSinkStandin;

class CVideoSinkPin : public CBaseInputPin {
public:
    CVideoSinkPin(CVideoSinkStandin* pFilter, CCritSec* pLock, HRESULT* phr);
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    STDMETHODIMP Receive(IMediaSample* pSample) override;
    STDMETHODIMP EndOfStream() override;

private:
    CVideoSinkStandin* m_pSink;
};

class CVideoSinkStandin : public CBaseFilter {
public:
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &m_pin : nullptr; }

private:
    friend class CVideoSinkPin;
    CVideoSinkStandin(LPUNKNOWN pUnk, HRESULT* phr);

    CCritSec m_csFilter;
    CVideoSinkPin m_pin;
};
