#include "AMThread.h"

CAMThread::CAMThread()
    : m_evSend(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_evComplete(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

CAMThread::~CAMThread()
{
    Close();
    CloseHandle(m_evSend);
    CloseHandle(m_evComplete);
}

BOOL CAMThread::Create()
{
    CAutoLock lock(&m_AccessLock);
    if (ThreadExists())
        return FALSE;
    DWORD id;
    m_hThread = CreateThread(nullptr, 0, InitialThreadProc, this, 0, &id);
    return m_hThread != nullptr;
}

DWORD WINAPI CAMThread::InitialThreadProc(LPVOID pv)
{
    CAMThread* self = static_cast<CAMThread*>(pv);
    return self->ThreadProc();
}

void CAMThread::Close()
{
    if (m_hThread) {
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
}

DWORD CAMThread::CallWorker(DWORD dwParam)
{
    CAutoLock lock(&m_AccessLock);
    if (!ThreadExists())
        return DWORD(E_FAIL);
    m_dwParam = dwParam;
    SetEvent(m_evSend);
    // Ends early if the worker quits without answering.
    HANDLE waits[2] = {m_evComplete, m_hThread};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0)
        return DWORD(E_FAIL);
    return m_dwReturnVal;
}

DWORD CAMThread::GetRequest()
{
    WaitForSingleObject(m_evSend, INFINITE);
    ResetEvent(m_evSend);
    return m_dwParam;
}

BOOL CAMThread::CheckRequest(DWORD* pParam)
{
    if (WaitForSingleObject(m_evSend, 0) != WAIT_OBJECT_0)
        return FALSE;
    if (pParam)
        *pParam = m_dwParam;
    return TRUE;
}

void CAMThread::Reply(DWORD dw)
{
    m_dwReturnVal = dw;
    SetEvent(m_evComplete);
}
