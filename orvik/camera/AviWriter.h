// Writes frames, given as GDI bitmaps or raw pixels, into one AVI clip
// through AVIFile, compressed by the codec of a four-character code.
#pragma once
#include <windows.h>
#include <vfw.h>

class CAviWriter {
public:
    // AVIFileInit; nothing open, state 0: every AddFrame fails until Init.
    CAviWriter();
    // The above, then Init with the three values.
    CAviWriter(const wchar_t* fileName, DWORD codec, DWORD frameRate);
    // ReleaseAll (closing and completing the clip), then AVIFileExit.
    ~CAviWriter();
    CAviWriter(const CAviWriter&) = delete;
    CAviWriter& operator=(const CAviWriter&) = delete;

    // Takes the file name (at most 259 characters), the codec's FourCC
    // (mmioFOURCC('D','I','B',' ') writes the frames uncompressed) and the
    // frames per second; the clip is created by the first frame. A clip still
    // open is closed first. Returns 1.
    int Init(const wchar_t* fileName, DWORD codec, DWORD frameRate);

    // Appends one frame. The first frame fixes the clip's size and depth; a
    // later frame of another size or depth is refused with E_FAIL and nothing
    // is written. A failed write closes the clip with the frames so far, and
    // every later call fails. S_OK or E_FAIL (the reason in
    // GetLastErrorMessage).
    HRESULT AddFrame(HBITMAP bitmap);
    // The same for rows packed exactly as the clip's format, bottom-up,
    // width x height x bitsPerPixel / 8 bytes with no row padding.
    HRESULT AddFrame(int width, int height, const void* buffer, int bitsPerPixel);

    // State 0, then closes what is open: the DC, both streams, the file (which
    // completes it), the frame buffer and its heap.
    void ReleaseAll();

    // The header the stream was created with (its suggested buffer size is
    // the frame buffer's bytes; AVIFile writes the largest sample's instead).
    const AVISTREAMINFOW& GetStreamHeader() const { return m_streamHeader; }

    // "Method Succeeded" after Init, else the last failure.
    const wchar_t* GetLastErrorMessage() const { return m_errorText; }

    // Not thread-safe: one thread adds frames and deletes the writer, or the
    // caller keeps the two apart.

private:
    enum State { kNotReady = 0, kFirstFrame = 1, kFurtherFrames = 2 };
    using BitmapAppend = HRESULT (CAviWriter::*)(HBITMAP);
    using BufferAppend = HRESULT (CAviWriter::*)(int, int, const void*, int);

    HRESULT CreateStreams(int width, int height, int bitsPerPixel);
    void SetErrorMessage(const wchar_t* text);
    void FillTables();
    HRESULT WriteSample(const void* data, LONG bytes);

    HRESULT AppendBitmapFail(HBITMAP bitmap);
    HRESULT AppendBitmapFirst(HBITMAP bitmap);
    HRESULT AppendBitmap(HBITMAP bitmap);
    HRESULT AppendBufferFail(int width, int height, const void* buffer, int bitsPerPixel);
    HRESULT AppendBufferFirst(int width, int height, const void* buffer, int bitsPerPixel);
    HRESULT AppendBuffer(int width, int height, const void* buffer, int bitsPerPixel);

    HDC m_dc = nullptr;
    HANDLE m_heap = nullptr;
    void* m_buffer = nullptr;
    LONG m_frameIndex = 0;
    PAVIFILE m_file = nullptr;
    PAVISTREAM m_stream = nullptr;
    PAVISTREAM m_compressed = nullptr;
    AVISTREAMINFOW m_streamHeader = {};
    AVICOMPRESSOPTIONS m_options = {};
    DWORD m_frameRate = 0;
    DWORD m_codec = 0;
    wchar_t m_fileName[260] = {};
    wchar_t m_errorText[260] = {};
    int m_state = kNotReady;
    BitmapAppend m_append[3] = {};
    BufferAppend m_appendBuffer[3] = {};

    // The clip's format, set with the streams; later frames must match it.
    BITMAPINFOHEADER m_format = {};
    SIZE_T m_bufferBytes = 0;
};
