// The camera's capture pin: the frame sizes of its model in RGB24, frames of
// the test scene at a steady rate on the real-time clock.
#pragma once

#include "Strmbase.h"
#include "UvcScene.h"

class CUvcCamFilter;

class CUvcCamStream : public CSourceStream, public IAMStreamConfig, public IQualProp, public IAMDroppedFrames,
                      public ISpecifyPropertyPages {
public:
    CUvcCamStream(HRESULT* phr, CUvcCamFilter* filter);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IAMStreamConfig
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE** ppmt) override;
    STDMETHODIMP GetNumberOfCapabilities(int* piCount, int* piSize) override;
    STDMETHODIMP GetStreamCaps(int iIndex, AM_MEDIA_TYPE** ppmt, BYTE* pSCC) override;

    // IQualProp
    STDMETHODIMP get_FramesDroppedInRenderer(int* pcFrames) override;
    STDMETHODIMP get_FramesDrawn(int* pcFramesDrawn) override;
    STDMETHODIMP get_AvgFrameRate(int* piAvgFrameRate) override;
    STDMETHODIMP get_Jitter(int* iJitter) override;
    STDMETHODIMP get_AvgSyncOffset(int* piAvg) override;
    STDMETHODIMP get_DevSyncOffset(int* piDev) override;

    // IAMDroppedFrames
    STDMETHODIMP GetNumDropped(long* plDropped) override;
    STDMETHODIMP GetNumNotDropped(long* plNotDropped) override;
    STDMETHODIMP GetDroppedInfo(long lSize, long* plArray, long* plNumCopied) override;
    STDMETHODIMP GetAverageFrameSize(long* plAverageSize) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pPages) override;

    // CSourceStream
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pmt) override;
    HRESULT SetMediaType(const CMediaType* pmt) override;
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProps) override;
    HRESULT FillBuffer(IMediaSample* pSample) override;
    HRESULT OnThreadStartPlay() override;

    // The frame period in 100 ns units.
    REFERENCE_TIME FramePeriod();
    // The model changed (the filter was bound to its device).
    void ResetFormat();

    static const REFERENCE_TIME kDefaultPeriod = 666666;  // 15 frames a second
    static const REFERENCE_TIME kMinPeriod = 333333;      // 30
    static const REFERENCE_TIME kMaxPeriod = 10000000;    // 1

private:
    HRESULT SizeType(int index, CMediaType* pmt);
    bool Offered(const CMediaType& mt) const;

    CUvcCamFilter* m_pCam;
    CMediaType m_format;           // what the pin connects with; under the filter lock
    CUvcScene m_scene;             // streaming thread only
    LONGLONG m_nextDue = 0;        // streaming thread only, performance-counter ticks
    LONGLONG m_firstFrame = 0;     // streaming thread writes, counters read
    volatile LONG m_delivered = 0; // frames filled since streaming started
    LONGLONG m_lastFrameTicks = 0;
    CCritSec m_counterLock;        // m_firstFrame and m_lastFrameTicks
};
