// The Sorvane filter: ISorvane settings applied to each RGB24 frame in place.
#pragma once

#include "Sorvane.h"
#include "Strmbase.h"

class CSorvaneFilter : public CTransInPlaceFilter, public ISorvane, public ISpecifyPropertyPages {
public:
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT CheckInputType(const CMediaType* mtIn) override;
    HRESULT Transform(IMediaSample* pSample) override;
    HRESULT CompleteConnect(PIN_DIRECTION direction, IPin* pReceivePin) override;
    HRESULT BreakConnect(PIN_DIRECTION direction) override;
    HRESULT StartStreaming() override;
    HRESULT StopStreaming() override;

    // ISorvane
    STDMETHODIMP put_EnableProcess(BOOL bEnable) override;
    STDMETHODIMP put_Flip(BOOL bFlip) override;
    STDMETHODIMP put_Mirror(BOOL bMirror) override;
    STDMETHODIMP put_Gray(BOOL bGray) override;
    STDMETHODIMP put_Invert(BOOL bInvert) override;
    STDMETHODIMP put_Binary(BOOL bBinary, long threshold) override;
    STDMETHODIMP put_Emboss(BOOL bEmboss) override;
    STDMETHODIMP put_Sharp(BOOL bSharp) override;
    STDMETHODIMP put_AddOne(BOOL bAddOne) override;
    STDMETHODIMP put_AddTwo(BOOL bAddTwo) override;
    STDMETHODIMP put_Multiply(BOOL bMultiply, long tenths) override;
    STDMETHODIMP put_RgbGain(BOOL bRgb, long r, long g, long b) override;
    STDMETHODIMP put_MaskOverlay(BOOL bMask, BYTE** mask) override;
    STDMETHODIMP get_EnableProcess(BOOL* pbEnable) override;
    STDMETHODIMP get_Flip(BOOL* pbFlip) override;
    STDMETHODIMP get_Mirror(BOOL* pbMirror) override;
    STDMETHODIMP get_Gray(BOOL* pbGray) override;
    STDMETHODIMP get_Invert(BOOL* pbInvert) override;
    STDMETHODIMP get_Binary(BOOL* pbBinary, long* pThreshold) override;
    STDMETHODIMP get_Emboss(BOOL* pbEmboss) override;
    STDMETHODIMP get_Sharp(BOOL* pbSharp) override;
    STDMETHODIMP get_AddOne(BOOL* pbAddOne) override;
    STDMETHODIMP get_AddTwo(BOOL* pbAddTwo) override;
    STDMETHODIMP get_Multiply(BOOL* pbMultiply, long* pTenths) override;
    STDMETHODIMP get_RgbGain(BOOL* pbRgb, long* pR, long* pG, long* pB) override;
    STDMETHODIMP get_MaskOverlay(BOOL* pbMask) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pPages) override;

private:
    CSorvaneFilter(LPUNKNOWN pUnk, HRESULT* phr);

    // Written by the host's threads under m_csSettings; Transform on the
    // streaming thread reads them without it, each being one aligned word.
    CCritSec m_csSettings;
    // The frame size comes from the connected input type, in
    // CompleteConnect, on the thread that connects.
    long m_width = 0;
    long m_height = 0;
    long m_bitCount = 24;
    BOOL m_bEnable = TRUE;
    BOOL m_bFlip = FALSE;
    BOOL m_bMirror = FALSE;
    BOOL m_bGray = FALSE;
    BOOL m_bInvert = FALSE;
    BOOL m_bBinary = FALSE;
    long m_threshold = 128;
    BOOL m_bEmboss = FALSE;
    BOOL m_bSharp = FALSE;
    BOOL m_bAddOne = FALSE;
    BOOL m_bAddTwo = FALSE;
    BOOL m_bMultiply = FALSE;
    long m_tenths = 10;
    BOOL m_bRgb = FALSE;
    long m_r = 0, m_g = 0, m_b = 0;
    BOOL m_bMask = FALSE;
    BYTE** m_mask = nullptr;
};
