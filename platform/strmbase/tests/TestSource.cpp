#include "TestSource.h"

#include <algorithm>
#include <cstring>
#include <new>

#include <initguid.h>
DEFINE_GUID(CLSID_TestSource, 0x6e1c2a55, 0x3d9b, 0x4b7f, 0x9a, 0x47, 0x1f, 0x5f, 0x2c, 0x3b, 0x8d, 0x01);

class CTestStream : public CSourceStream {
public:
    CTestStream(HRESULT* phr, CTestSource* source)
        : CSourceStream(L"Test source stream", phr, source, L"Out"), m_pSource(source)
    {
    }

    HRESULT GetMediaType(CMediaType* pmt) override
    {
        const TestSourceConfig& c = m_pSource->m_config;
        VIDEOINFOHEADER vih = {};
        vih.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        vih.bmiHeader.biWidth = c.width;
        vih.bmiHeader.biHeight = c.height;
        vih.bmiHeader.biPlanes = 1;
        vih.bmiHeader.biBitCount = c.bitCount;
        vih.bmiHeader.biCompression = BI_RGB;
        vih.bmiHeader.biSizeImage = DIBSIZE(vih.bmiHeader);
        vih.AvgTimePerFrame = 333333;
        pmt->InitMediaType();
        pmt->SetType(&MEDIATYPE_Video);
        pmt->SetSubtype(c.bitCount == 32 ? &MEDIASUBTYPE_RGB32 : &MEDIASUBTYPE_RGB24);
        pmt->SetFormatType(&FORMAT_VideoInfo);
        pmt->SetTemporalCompression(FALSE);
        pmt->SetSampleSize(vih.bmiHeader.biSizeImage);
        return pmt->SetFormat(reinterpret_cast<BYTE*>(&vih), sizeof(vih)) ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProps) override
    {
        const CMediaType& mt = CurrentMediaType();
        ALLOCATOR_PROPERTIES want = *pProps;
        want.cBuffers = std::max(want.cBuffers, m_pSource->m_config.buffers);
        want.cbBuffer = std::max<long>(want.cbBuffer, long(GetBitmapSize(HEADER(mt.pbFormat))));
        // Aligned rows, as a capture driver's buffers are.
        want.cbAlign = std::max<long>(want.cbAlign, 16);
        ALLOCATOR_PROPERTIES actual = {};
        HRESULT hr = pAlloc->SetProperties(&want, &actual);
        if (FAILED(hr))
            return hr;
        return actual.cBuffers < want.cBuffers || actual.cbBuffer < want.cbBuffer ? E_FAIL : S_OK;
    }

    HRESULT DecideAllocator(IMemInputPin* pPin, IMemAllocator** ppAlloc) override
    {
        HRESULT hr = CSourceStream::DecideAllocator(pPin, ppAlloc);
        if (SUCCEEDED(hr) && m_pSource->m_config.readOnly)
            hr = pPin->NotifyAllocator(*ppAlloc, TRUE);
        return hr;
    }

    HRESULT FillBuffer(IMediaSample* pSample) override
    {
        const TestSourceConfig& c = m_pSource->m_config;
        BYTE* data = nullptr;
        HRESULT hr = pSample->GetPointer(&data);
        if (FAILED(hr))
            return hr;
        const long size = pSample->GetSize();
        long length = long(GetBitmapSize(HEADER(CurrentMediaType().pbFormat)));
        if (c.actualLength >= 0)
            length = c.actualLength;
        length = std::min(length, size);
        const size_t bytes = std::min<size_t>(size_t(length), c.frame.size());
        if (c.refill || std::find(m_filled.begin(), m_filled.end(), data) == m_filled.end()) {
            memset(data, 0, size_t(size));
            memcpy(data, c.frame.data(), bytes);
            if (!c.refill)
                m_filled.push_back(data);
        } else if (c.countChanges && memcmp(data, c.frame.data(), bytes) != 0) {
            InterlockedIncrement(&m_pSource->m_cChanged);
            memcpy(data, c.frame.data(), bytes);
        }
        pSample->SetActualDataLength(length);
        pSample->SetTime(nullptr, nullptr);
        pSample->SetSyncPoint(TRUE);
        InterlockedIncrement(&m_pSource->m_cFrames);
        return S_OK;
    }

private:
    CTestSource* m_pSource;
    std::vector<BYTE*> m_filled;  // with refill off: buffers written once already
};

CTestSource::CTestSource(const TestSourceConfig& config, HRESULT* phr)
    : CSource(L"Test source", nullptr, CLSID_TestSource, phr), m_config(config)
{
}

CTestSource* CTestSource::Create(const TestSourceConfig& config)
{
    HRESULT hr = S_OK;
    CTestSource* source = new (std::nothrow) CTestSource(config, &hr);
    if (!source)
        return nullptr;
    source->NonDelegatingAddRef();
    CTestStream* stream = new (std::nothrow) CTestStream(&hr, source);
    if (!stream || FAILED(hr)) {
        source->NonDelegatingRelease();
        return nullptr;
    }
    if (config.pinCategory != GUID_NULL)
        stream->SetPinCategory(config.pinCategory);
    return source;
}

IPin* CTestSource::OutputPin()
{
    return GetPin(0);
}
