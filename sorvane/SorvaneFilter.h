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

    // What one frame works from: Transform copies it under m_csSettings at
    // the start of each frame, so a setter never changes a frame half-way.
    struct Settings {
        long width = 0;  // of the connected or announced RGB24 type
        long height = 0;
        BOOL bEnable = TRUE;
        BOOL bFlip = FALSE;
        BOOL bMirror = FALSE;
        BOOL bGray = FALSE;
        BOOL bInvert = FALSE;
        BOOL bBinary = FALSE;
        long threshold = 128;
        BOOL bEmboss = FALSE;
        BOOL bSharp = FALSE;
        BOOL bAddOne = FALSE;
        BOOL bAddTwo = FALSE;
        BOOL bMultiply = FALSE;
        long tenths = 10;
        BOOL bRgb = FALSE;
        long r = 0, g = 0, b = 0;
    };

    CCritSec m_csSettings;
    // Guarded by m_csSettings; written by the host's threads (setters,
    // connection) and by the streaming thread when a sample announces a type.
    Settings m_settings;

    // Guarded by m_csMask, which the streaming thread holds for as long as it
    // reads the caller's mask: put_MaskOverlay waits for that read to end, so
    // once it returns the previous mask is never read again.
    CCritSec m_csMask;
    BOOL m_bMask = FALSE;
    BYTE** m_mask = nullptr;
};
