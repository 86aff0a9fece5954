// A worker thread that takes one request at a time from its owner and
// answers each one.
#pragma once

#include "ComBase.h"

class CAMThread {
public:
    CAMThread();
    virtual ~CAMThread();
    CAMThread(const CAMThread&) = delete;
    CAMThread& operator=(const CAMThread&) = delete;

    BOOL Create();
    BOOL ThreadExists() const { return m_hThread != nullptr; }
    // Waits for the thread to end and closes it.
    void Close();

    // Owner side: posts a request and waits for the worker's reply.
    DWORD CallWorker(DWORD dwParam);

    // Worker side.
    DWORD GetRequest();
    BOOL CheckRequest(DWORD* pParam);
    void Reply(DWORD dw);

protected:
    virtual DWORD ThreadProc() = 0;

    CCritSec m_AccessLock;  // one caller at a time
    CCritSec m_WorkerLock;  // held by the worker while it works

private:
    static DWORD WINAPI InitialThreadProc(LPVOID pv);

    HANDLE m_hThread = nullptr;
    HANDLE m_evSend;      // manual reset: a request is waiting
    HANDLE m_evComplete;  // auto reset: the reply is ready
    DWORD m_dwParam = 0;
    DWORD m_dwReturnVal = 0;
};
