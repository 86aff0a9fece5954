// The Zentu capture filter: a live push source with one RGB24 output pin that
// owns the camera (transport, pipeline and settings).
#pragma once
#include "Strmbase.h"
#include "IZentu.h"
#include "Pipeline.h"
#include "RawFrameReader.h"
#include "TransportSensor.h"
#include "UsbTransport.h"
#include "ZentuControls.h"

class CZentu;

class CPushPinZentu : public CSourceStream, public IAMStreamConfig, public ISpecifyPropertyPages, public IZentu {
public:
    CPushPinZentu(HRESULT* phr, CZentu* filter);
    ~CPushPinZentu() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // CSourceStream
    HRESULT FillBuffer(IMediaSample* sample) override;
    // A frame the camera did not deliver in time is skipped, not the end.
    bool FalseFillEndsStream() const override { return false; }
    HRESULT OnThreadCreate() override;
    HRESULT OnThreadDestroy() override;
    HRESULT OnThreadStartPlay() override;
    HRESULT GetMediaType(int position, CMediaType* pmt) override;
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT SetMediaType(const CMediaType* pmt) override;
    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* request) override;
    STDMETHODIMP Notify(IBaseFilter*, Quality) override { return E_FAIL; }
    STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    // IKsPropertySet: the pin category can only be read.
    STDMETHODIMP Set(REFGUID, DWORD, LPVOID, DWORD, LPVOID, DWORD) override { return E_NOTIMPL; }

    // IAMStreamConfig
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE** ppmt) override;
    STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override;
    STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** ppmt, BYTE* caps) override;

    // ISpecifyPropertyPages: the size page.
    STDMETHODIMP GetPages(CAUUID* pages) override;

    // IZentu
    STDMETHODIMP GetSize(int* index) override;
    STDMETHODIMP SetSize(int index) override;
    STDMETHODIMP GetWhiteBalance(int* request, BYTE* r, BYTE* g, BYTE* b) override;
    STDMETHODIMP SetWhiteBalance(int request, BYTE r, BYTE g, BYTE b) override;
    STDMETHODIMP GetExposure(int* autoExposure, BYTE* target, WORD* time, WORD* gain) override;
    STDMETHODIMP SetExposure(int autoExposure, BYTE target, WORD time, WORD gain) override;
    STDMETHODIMP GetSpeed(BYTE* speed) override;
    STDMETHODIMP SetSpeed(BYTE speed) override;
    STDMETHODIMP GetGamma(BYTE* gamma) override;
    STDMETHODIMP SetGamma(BYTE gamma) override;
    STDMETHODIMP GetContrast(BYTE* contrast) override;
    STDMETHODIMP SetContrast(BYTE contrast) override;
    STDMETHODIMP GetSaturation(int* enable, BYTE* value) override;
    STDMETHODIMP SetSaturation(int enable, BYTE value) override;
    STDMETHODIMP GetWhiteBlack(int* mono) override;
    STDMETHODIMP SetWhiteBlack(int mono) override;
    STDMETHODIMP GetVFlip(int* flip) override;
    STDMETHODIMP SetVFlip(int flip) override;
    STDMETHODIMP SetHZ(int fiftyHz) override;
    STDMETHODIMP GetHZ(int* fiftyHz) override;
    STDMETHODIMP SaveParaTeam() override;
    STDMETHODIMP SetParaTeam(BYTE set) override;
    STDMETHODIMP GetParaTeam(BYTE* set) override;
    STDMETHODIMP GetHFlip(int* mirror) override;
    STDMETHODIMP SetHFlip(int mirror) override;
    STDMETHODIMP GetExposureUnit(int* microseconds) override;

private:
    static HRESULT SizeType(int index, CMediaType* pmt);
    bool StartCapture();
    void StopCapture();
    static void ReleaseRaw(void* self);

    CZentu* m_zentu;
    CRITICAL_SECTION m_deviceLock; // the transport, the tone table, the locked settings
    CTransportSensor m_sensor;
    ZentuOwner m_owner;              // settings guarded by m_deviceLock
    // Written by the streaming thread under m_deviceLock, which the
    // interface's setters take to reach the device.
    CUsbTransport* m_transport = nullptr;
    CZentuControls m_controls{m_deviceLock, m_owner, m_transport, ParameterFlavour::Filter};
    // The streaming thread's alone (OnThreadCreate to OnThreadDestroy).
    CRawFrameReader m_reader;
    CRawFrameReader::Path m_path;
    BYTE* m_heldRaw = nullptr; // the frame the pipeline works on
    ZentuRowHelper m_rowHelper;
    REFERENCE_TIME m_sampleTime = 0;
    DWORD m_startTick = 0;
    bool m_streaming = false;
};

class CZentu : public CSource, public IZentu, public ISpecifyPropertyPages, public IAMFilterMiscFlags {
public:
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);
    ~CZentu() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    STDMETHODIMP GetState(DWORD ms, FILTER_STATE* state) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

    // ISpecifyPropertyPages: the setup page.
    STDMETHODIMP GetPages(CAUUID* pages) override;
    // IAMFilterMiscFlags
    STDMETHODIMP_(ULONG) GetMiscFlags() override { return AM_FILTER_MISC_FLAGS_IS_SOURCE; }

    // IZentu, forwarded to the pin.
    STDMETHODIMP GetSize(int* index) override;
    STDMETHODIMP SetSize(int index) override;
    STDMETHODIMP GetWhiteBalance(int* request, BYTE* r, BYTE* g, BYTE* b) override;
    STDMETHODIMP SetWhiteBalance(int request, BYTE r, BYTE g, BYTE b) override;
    STDMETHODIMP GetExposure(int* autoExposure, BYTE* target, WORD* time, WORD* gain) override;
    STDMETHODIMP SetExposure(int autoExposure, BYTE target, WORD time, WORD gain) override;
    STDMETHODIMP GetSpeed(BYTE* speed) override;
    STDMETHODIMP SetSpeed(BYTE speed) override;
    STDMETHODIMP GetGamma(BYTE* gamma) override;
    STDMETHODIMP SetGamma(BYTE gamma) override;
    STDMETHODIMP GetContrast(BYTE* contrast) override;
    STDMETHODIMP SetContrast(BYTE contrast) override;
    STDMETHODIMP GetSaturation(int* enable, BYTE* value) override;
    STDMETHODIMP SetSaturation(int enable, BYTE value) override;
    STDMETHODIMP GetWhiteBlack(int* mono) override;
    STDMETHODIMP SetWhiteBlack(int mono) override;
    STDMETHODIMP GetVFlip(int* flip) override;
    STDMETHODIMP SetVFlip(int flip) override;
    STDMETHODIMP SetHZ(int fiftyHz) override;
    STDMETHODIMP GetHZ(int* fiftyHz) override;
    STDMETHODIMP SaveParaTeam() override;
    STDMETHODIMP SetParaTeam(BYTE set) override;
    STDMETHODIMP GetParaTeam(BYTE* set) override;
    STDMETHODIMP GetHFlip(int* mirror) override;
    STDMETHODIMP SetHFlip(int mirror) override;
    STDMETHODIMP GetExposureUnit(int* microseconds) override;

    // What the pin's threads see of the filter.
    using CBaseFilter::NotifyEvent;

private:
    CZentu(LPUNKNOWN pUnk, HRESULT* phr);
    CPushPinZentu* m_pin = nullptr;
};

// Set by DllMain: the user's language is Chinese, so the pages show the
// Chinese dialogs and titles.
extern bool g_zentuChinese;
