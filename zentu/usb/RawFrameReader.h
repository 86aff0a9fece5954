// Raw frames for an owner's streaming or preview thread: on a multi-processor
// machine a reader thread fills a queue of three raw buffers while the
// pipeline works; otherwise each frame is read directly when asked for.
#pragma once
#include <windows.h>
#include <atomic>
#include <vector>
#include "UsbTransport.h"

class CRawFrameReader {
public:
    enum class Path { FromSystem, ReaderThread, Direct };

    CRawFrameReader();
    ~CRawFrameReader();
    CRawFrameReader(const CRawFrameReader&) = delete;
    CRawFrameReader& operator=(const CRawFrameReader&) = delete;

    // Starts delivering frames of the transport's size. The path follows the
    // processor count unless a caller forces it; a reader thread that cannot
    // start falls back to direct reads. False when the frame buffers cannot be had.
    bool Start(CUsbTransport* transport, Path path = Path::FromSystem);
    // Ends the reader thread; reads in flight are cancelled, so a camera that
    // stopped sending cannot hold the stop.
    void Stop();
    bool UsesThread() const { return m_threaded; }

    // 1 with a frame in *raw, to be handed back with Release; 0 when no frame
    // came this time (the wait ended, or `command` was signalled); negative
    // when reading failed (the reader thread has ended).
    int Acquire(BYTE** raw, HANDLE command = nullptr, DWORD timeoutMs = INFINITE);
    void Release(BYTE* raw);

private:
    static unsigned __stdcall ThreadProc(void* self);
    void Run();

    static const int kBuffers = 3;
    CUsbTransport* m_transport = nullptr;
    bool m_threaded = false;
    std::vector<BYTE> m_buffers[kBuffers];
    std::vector<BYTE> m_direct;
    // Guarded by m_queueLock: buffer indexes, oldest first.
    CRITICAL_SECTION m_queueLock;
    std::vector<int> m_free, m_filled;
    HANDLE m_bufferFree, m_frameReady; // auto-reset
    HANDLE m_thread = nullptr;
    std::atomic<bool> m_run{false};     // written by Start and Stop
    std::atomic<bool> m_running{false}; // cleared by the reader thread as it ends
};
