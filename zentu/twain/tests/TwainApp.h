// A small TWAIN application for the tests: it opens Wine's Source Manager
// (twain_32.dll), finds and opens the Zentu source, and pumps its thread's
// messages through MSG_PROCESSEVENT as every TWAIN application must.
#pragma once
#include "TwainProtocol.h"

#include <vector>

class TwainApp {
public:
    explicit TwainApp(TW_UINT16 protocolMinor = 9, TW_UINT16 protocolMajor = 1);
    ~TwainApp();
    TwainApp(const TwainApp&) = delete;
    TwainApp& operator=(const TwainApp&) = delete;

    // The manager opened with this application's window; false when
    // twain_32.dll or DSM_Entry cannot be had.
    bool OpenManager();
    // The Zentu source among those the manager lists.
    bool FindSource();
    TW_UINT16 OpenSource();
    TW_UINT16 CloseSource();
    TW_UINT16 Enable(bool showUi);
    TW_UINT16 Disable();

    TW_UINT16 Manager(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
    TW_UINT16 Source(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
    // The source's condition code (DAT_STATUS), which it then clears.
    TW_UINT16 Status();

    // Pumps messages until the source sent `notice`, at most `ms`.
    bool WaitNotice(TW_UINT16 notice, DWORD ms = 10000);
    // Pumps messages until `done` holds, at most `ms`.
    template <class F>
    bool PumpUntil(F done, DWORD ms = 10000)
    {
        const DWORD t0 = GetTickCount();
        while (!done()) {
            if (GetTickCount() - t0 > ms)
                return false;
            PumpOnce(10);
        }
        return true;
    }
    void PumpOnce(DWORD waitMs);
    // The source dialog among this thread's windows, or null.
    HWND SourceDialog() const;

    TW_IDENTITY app = {};
    TW_IDENTITY source = {};
    HWND window = nullptr;
    std::vector<TW_UINT16> notices;
    bool managerOpen = false, sourceOpen = false, enabled = false;

private:
    HMODULE m_dsm = nullptr;
    DSMENTRYPROC m_entry = nullptr;
};

// A capability's container, locked for reading and freed afterwards.
class CapContainer {
public:
    explicit CapContainer(const TW_CAPABILITY& cap) : m_h(cap.hContainer), m_p(m_h ? GlobalLock(m_h) : nullptr) {}
    ~CapContainer()
    {
        if (m_h) {
            GlobalUnlock(m_h);
            GlobalFree(m_h);
        }
    }
    CapContainer(const CapContainer&) = delete;
    CapContainer& operator=(const CapContainer&) = delete;
    template <class T>
    const T* As() const { return static_cast<const T*>(m_p); }
    SIZE_T Size() const { return m_h ? GlobalSize(m_h) : 0; }

private:
    HGLOBAL m_h;
    void* m_p;
};
