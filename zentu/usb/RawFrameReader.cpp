#include "RawFrameReader.h"
#include <process.h>

CRawFrameReader::CRawFrameReader()
{
    InitializeCriticalSection(&m_queueLock);
    m_bufferFree = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_frameReady = CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

CRawFrameReader::~CRawFrameReader()
{
    Stop();
    CloseHandle(m_bufferFree);
    CloseHandle(m_frameReady);
    DeleteCriticalSection(&m_queueLock);
}

bool CRawFrameReader::Start(CUsbTransport* transport, Path path)
{
    Stop();
    m_transport = transport;
    bool threaded = path == Path::ReaderThread;
    if (path == Path::FromSystem) {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        threaded = si.dwNumberOfProcessors > 1;
    }
    m_threaded = false;
    // No exception may leave the library (the 64-bit filter is a COM server).
    try {
        if (!threaded) {
            m_direct.resize(transport->frameSize);
            return true;
        }
        for (auto& b : m_buffers) b.resize(transport->frameSize);
        m_free.reserve(kBuffers);
        m_filled.reserve(kBuffers);
    } catch (...) {
        return false;
    }
    EnterCriticalSection(&m_queueLock);
    m_free = {0, 1, 2};
    m_filled.clear();
    LeaveCriticalSection(&m_queueLock);
    m_run = true;
    m_running = true;
    SetEvent(m_bufferFree);
    ResetEvent(m_frameReady);
    m_thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadProc, this, 0, nullptr));
    if (!m_thread) {
        m_run = false;
        m_running = false;
        for (auto& b : m_buffers) {
            if (m_direct.empty()) m_direct.swap(b);
            std::vector<BYTE>().swap(b);
        }
        return true;
    }
    m_threaded = true;
    return true;
}

void CRawFrameReader::Stop()
{
    if (m_thread) {
        m_run = false;
        SetEvent(m_bufferFree);
        CancelTransportReads(m_transport);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    m_threaded = false;
}

unsigned __stdcall CRawFrameReader::ThreadProc(void* self)
{
    static_cast<CRawFrameReader*>(self)->Run();
    return 0;
}

void CRawFrameReader::Run()
{
    while (m_run) {
        WaitForSingleObject(m_bufferFree, INFINITE);
        while (m_run) {
            EnterCriticalSection(&m_queueLock);
            int b = -1;
            if (!m_free.empty()) {
                b = m_free.front();
                m_free.erase(m_free.begin());
            }
            LeaveCriticalSection(&m_queueLock);
            if (b < 0) break;
            int r = ReadRawFrame(m_transport, m_buffers[b].data());
            EnterCriticalSection(&m_queueLock);
            if (r == 1) m_filled.push_back(b);
            else m_free.insert(m_free.begin(), b);
            LeaveCriticalSection(&m_queueLock);
            if (r == 1) SetEvent(m_frameReady);
            if (r < 0) {
                m_running = false;
                SetEvent(m_frameReady); // a waiting consumer learns at once
                return;
            }
        }
    }
    m_running = false;
}

int CRawFrameReader::Acquire(BYTE** raw, HANDLE command, DWORD timeoutMs)
{
    *raw = nullptr;
    if (!m_threaded) {
        if (!m_transport || m_direct.empty()) return -1;
        int r = ReadRawFrame(m_transport, m_direct.data());
        if (r == 1) *raw = m_direct.data();
        return r;
    }
    if (!m_running) return -1;
    EnterCriticalSection(&m_queueLock);
    int b = -1;
    if (!m_filled.empty()) {
        b = m_filled.front();
        m_filled.erase(m_filled.begin());
    }
    LeaveCriticalSection(&m_queueLock);
    if (b < 0) {
        HANDLE waits[2] = {m_frameReady, command};
        WaitForMultipleObjects(command ? 2 : 1, waits, FALSE, timeoutMs);
        return 0;
    }
    *raw = m_buffers[b].data();
    return 1;
}

void CRawFrameReader::Release(BYTE* raw)
{
    if (!m_threaded || !raw) return;
    for (int b = 0; b < kBuffers; b++)
        if (m_buffers[b].data() == raw) {
            EnterCriticalSection(&m_queueLock);
            m_free.insert(m_free.begin(), b);
            LeaveCriticalSection(&m_queueLock);
            SetEvent(m_bufferFree);
            return;
        }
}
