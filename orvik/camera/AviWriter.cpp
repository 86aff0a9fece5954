#include "AviWriter.h"

#include <cstdlib>
#include <cwchar>

namespace {

const wchar_t kSucceeded[] = L"Method Succeeded";
const wchar_t kWriteFailed[] = L"Unable to Write Video Stream to the output Movie File";
const wchar_t kFrameMismatch[] = L"The frame differs in size or depth from the movie";

// Larger sizes would overflow the buffer's byte count.
const int kMaxSide = 16384;

}  // namespace

CAviWriter::CAviWriter()
{
    AVIFileInit();
    // State 0 with both tables set, so a frame before Init fails cleanly.
    FillTables();
}

CAviWriter::CAviWriter(const wchar_t* fileName, DWORD codec, DWORD frameRate) : CAviWriter()
{
    Init(fileName, codec, frameRate);
}

CAviWriter::~CAviWriter()
{
    ReleaseAll();
    AVIFileExit();
}

void CAviWriter::FillTables()
{
    m_append[kNotReady] = &CAviWriter::AppendBitmapFail;
    m_append[kFirstFrame] = &CAviWriter::AppendBitmapFirst;
    m_append[kFurtherFrames] = &CAviWriter::AppendBitmap;
    m_appendBuffer[kNotReady] = &CAviWriter::AppendBufferFail;
    m_appendBuffer[kFirstFrame] = &CAviWriter::AppendBufferFirst;
    m_appendBuffer[kFurtherFrames] = &CAviWriter::AppendBuffer;
}

int CAviWriter::Init(const wchar_t* fileName, DWORD codec, DWORD frameRate)
{
    ReleaseAll();
    m_fileName[0] = L'\0';
    if (fileName)
        wcsncat(m_fileName, fileName, 259);
    m_codec = codec;
    m_frameRate = frameRate;
    SetErrorMessage(kSucceeded);
    FillTables();
    m_frameIndex = 0;
    m_state = kFirstFrame;
    return 1;
}

void CAviWriter::SetErrorMessage(const wchar_t* text)
{
    m_errorText[0] = L'\0';
    wcsncat(m_errorText, text, 259);
}

HRESULT CAviWriter::AddFrame(HBITMAP bitmap)
{
    return (this->*m_append[m_state])(bitmap);
}

HRESULT CAviWriter::AddFrame(int width, int height, const void* buffer, int bitsPerPixel)
{
    return (this->*m_appendBuffer[m_state])(width, height, buffer, bitsPerPixel);
}

void CAviWriter::ReleaseAll()
{
    m_state = kNotReady;
    if (m_dc) {
        DeleteDC(m_dc);
        m_dc = nullptr;
    }
    if (m_compressed) {
        AVIStreamRelease(m_compressed);
        m_compressed = nullptr;
    }
    if (m_stream) {
        AVIStreamRelease(m_stream);
        m_stream = nullptr;
    }
    if (m_file) {
        AVIFileRelease(m_file);
        m_file = nullptr;
    }
    if (m_buffer) {
        HeapFree(m_heap, HEAP_NO_SERIALIZE, m_buffer);
        m_buffer = nullptr;
    }
    if (m_heap) {
        HeapDestroy(m_heap);
        m_heap = nullptr;
    }
    m_bufferBytes = 0;
}

HRESULT CAviWriter::CreateStreams(int width, int height, int bitsPerPixel)
{
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || bitsPerPixel <= 0 ||
        bitsPerPixel > 32) {
        SetErrorMessage(L"Unable to Set Video Stream Format");
        return E_FAIL;
    }
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    m_dc = CreateCompatibleDC(nullptr);
    if (!m_dc) {
        SetErrorMessage(L"Unable to Create Compatible DC");
        return E_FAIL;
    }
    const SIZE_T w = screenWidth > width ? screenWidth : width;
    const SIZE_T h = screenHeight > height ? screenHeight : height;
    const SIZE_T bytes = w * h * 4;
    m_heap = HeapCreate(HEAP_NO_SERIALIZE, bytes, 0);
    if (!m_heap) {
        SetErrorMessage(L"Unable to Create Heap");
        return E_FAIL;
    }
    m_buffer = HeapAlloc(m_heap, HEAP_NO_SERIALIZE | HEAP_ZERO_MEMORY, bytes);
    if (!m_buffer) {
        SetErrorMessage(L"Unable to Allocate Memory on Heap");
        return E_FAIL;
    }
    m_bufferBytes = bytes;
    if (AVIFileOpenW(&m_file, m_fileName, OF_CREATE | OF_WRITE, nullptr) != AVIERR_OK) {
        m_file = nullptr;
        SetErrorMessage(L"Unable to Create the Movie File");
        return E_FAIL;
    }

    m_streamHeader = AVISTREAMINFOW{};
    m_streamHeader.fccType = streamtypeVIDEO;
    m_streamHeader.fccHandler = m_codec;
    m_streamHeader.dwScale = 1;
    m_streamHeader.dwRate = m_frameRate;
    m_streamHeader.dwQuality = static_cast<DWORD>(-1);
    m_streamHeader.dwSuggestedBufferSize = static_cast<DWORD>(bytes);
    SetRect(&m_streamHeader.rcFrame, 0, 0, width, height);
    wcscpy(m_streamHeader.szName, L"Video Stream");
    if (AVIFileCreateStreamW(m_file, &m_stream, &m_streamHeader) != AVIERR_OK) {
        m_stream = nullptr;
        SetErrorMessage(L"Unable to Create Video Stream in the Movie File");
        return E_FAIL;
    }

    m_options = AVICOMPRESSOPTIONS{};
    m_options.fccType = streamtypeVIDEO;
    m_options.fccHandler = m_codec;
    m_options.dwKeyFrameEvery = 1;
    m_options.dwFlags = AVICOMPRESSF_KEYFRAMES | AVICOMPRESSF_VALID;
    if (AVIMakeCompressedStream(&m_compressed, m_stream, &m_options, nullptr) != AVIERR_OK) {
        m_compressed = nullptr;
        SetErrorMessage(L"Unable to Create Compressed Stream: Check your CODEC options");
        return E_FAIL;
    }

    BITMAPINFOHEADER bih = {};
    bih.biSize = sizeof(BITMAPINFOHEADER);
    bih.biWidth = width;
    bih.biHeight = height;
    bih.biPlanes = 1;
    bih.biBitCount = static_cast<WORD>(bitsPerPixel);
    bih.biCompression = BI_RGB;
    bih.biSizeImage = static_cast<DWORD>(SIZE_T(width) * height * bitsPerPixel / 8);
    if (AVIStreamSetFormat(m_compressed, 0, &bih, sizeof bih) != AVIERR_OK) {
        SetErrorMessage(L"Unable to Set Video Stream Format");
        return E_FAIL;
    }
    m_format = bih;
    return S_OK;
}

// The frame index moves on whether the write succeeds or not; a failure ends
// the clip with the frames written so far.
HRESULT CAviWriter::WriteSample(const void* data, LONG bytes)
{
    const HRESULT hr = AVIStreamWrite(m_compressed, m_frameIndex, 1, const_cast<void*>(data), bytes, 0, nullptr,
                                      nullptr);
    ++m_frameIndex;
    if (FAILED(hr)) {
        SetErrorMessage(kWriteFailed);
        ReleaseAll();
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CAviWriter::AppendBitmapFail(HBITMAP)
{
    return E_FAIL;
}

HRESULT CAviWriter::AppendBitmapFirst(HBITMAP bitmap)
{
    BITMAP bm = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm)) {
        SetErrorMessage(kFrameMismatch);
        return E_FAIL;  // no frame: the writer still waits for its first one
    }
    if (FAILED(CreateStreams(bm.bmWidth, bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight, bm.bmBitsPixel))) {
        ReleaseAll();
        return E_FAIL;
    }
    m_state = kFurtherFrames;
    return AppendBitmap(bitmap);
}

HRESULT CAviWriter::AppendBitmap(HBITMAP bitmap)
{
    // A frame of another shape would overrun the buffer or break the stream.
    BITMAP bm = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm) || bm.bmWidth != m_format.biWidth ||
        (bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight) != m_format.biHeight ||
        bm.bmBitsPixel != m_format.biBitCount) {
        SetErrorMessage(kFrameMismatch);
        return E_FAIL;
    }
    // Room for the colour masks or table GetDIBits may add after the header.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    if (!GetDIBits(m_dc, bitmap, 0, m_format.biHeight, nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                   DIB_RGB_COLORS)) {
        SetErrorMessage(kFrameMismatch);
        return E_FAIL;
    }
    BITMAPINFOHEADER& bih = info.header;
    bih.biCompression = BI_RGB;
    bih.biHeight = m_format.biHeight;  // bottom-up, as the clip stores rows
    bih.biSizeImage = ((bih.biWidth * bih.biBitCount + 31) / 32) * 4 * bih.biHeight;
    if (bih.biBitCount != m_format.biBitCount || bih.biSizeImage > m_bufferBytes) {
        SetErrorMessage(kFrameMismatch);
        return E_FAIL;
    }
    if (GetDIBits(m_dc, bitmap, 0, m_format.biHeight, m_buffer, reinterpret_cast<BITMAPINFO*>(&info),
                  DIB_RGB_COLORS) != m_format.biHeight) {
        SetErrorMessage(kWriteFailed);
        ReleaseAll();
        return E_FAIL;
    }
    return WriteSample(m_buffer, static_cast<LONG>(bih.biSizeImage));
}

HRESULT CAviWriter::AppendBufferFail(int, int, const void*, int)
{
    return E_FAIL;
}

HRESULT CAviWriter::AppendBufferFirst(int width, int height, const void* buffer, int bitsPerPixel)
{
    if (!buffer) {
        SetErrorMessage(kFrameMismatch);
        return E_FAIL;
    }
    if (FAILED(CreateStreams(width, height, bitsPerPixel))) {
        ReleaseAll();
        return E_FAIL;
    }
    m_state = kFurtherFrames;
    return AppendBuffer(width, height, buffer, bitsPerPixel);
}

HRESULT CAviWriter::AppendBuffer(int width, int height, const void* buffer, int bitsPerPixel)
{
    if (!buffer || width != m_format.biWidth || height != m_format.biHeight || bitsPerPixel != m_format.biBitCount) {
        SetErrorMessage(kFrameMismatch);
        return E_FAIL;
    }
    return WriteSample(buffer, static_cast<LONG>(m_format.biSizeImage));
}
