// The one critical section owner and the one scoped lock of the code base:
// header-only, so a module that links no base class can use them.
#pragma once

#include <windows.h>

class CCritSec {
public:
    CCritSec() { InitializeCriticalSection(&m_cs); }
    ~CCritSec() { DeleteCriticalSection(&m_cs); }
    CCritSec(const CCritSec&) = delete;
    CCritSec& operator=(const CCritSec&) = delete;
    void Lock() { EnterCriticalSection(&m_cs); }
    void Unlock() { LeaveCriticalSection(&m_cs); }
    CRITICAL_SECTION* Native() { return &m_cs; }

private:
    CRITICAL_SECTION m_cs;
};

// Held from construction to the end of the scope. Takes a bare
// CRITICAL_SECTION too, for the locks whose owner another layer fixes.
class CAutoLock {
public:
    explicit CAutoLock(CCritSec* lock) : m_cs(lock->Native()) { EnterCriticalSection(m_cs); }
    explicit CAutoLock(CRITICAL_SECTION* cs) : m_cs(cs) { EnterCriticalSection(m_cs); }
    ~CAutoLock() { LeaveCriticalSection(m_cs); }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

private:
    CRITICAL_SECTION* m_cs;
};
