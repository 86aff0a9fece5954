// The test programs' side of the simulated driver's control channel.
#pragma once
#include <windows.h>
#include <vector>
#include "ZentuSimProtocol.h"

class CZentuSimControl {
public:
    CZentuSimControl();
    ~CZentuSimControl();
    CZentuSimControl(const CZentuSimControl&) = delete;
    CZentuSimControl& operator=(const CZentuSimControl&) = delete;

    bool IsOpen() const { return m_h != INVALID_HANDLE_VALUE; }
    bool Reset();
    bool SetPresent(unsigned mask);
    std::vector<ZentuSimLogEntry> Log();     // everything since the last clear
    std::vector<ZentuSimLogEntry> VendorLog(); // vendor requests only
    bool ClearLog();
    std::vector<unsigned short> Registers(unsigned camera = 0);
    bool SetRegister(unsigned reg, unsigned value, unsigned camera = 0);
    std::vector<unsigned short> ReadNv(unsigned address, unsigned count, unsigned camera = 0);
    bool WriteNv(unsigned address, const std::vector<unsigned short>& words, unsigned camera = 0);
    bool SetFault(unsigned kind, unsigned count, unsigned param = 0, unsigned camera = 0);
    bool SetScene(unsigned scene, unsigned camera = 0);
    bool SetPeriod(unsigned microseconds, unsigned camera = 0);
    ZentuSimStatus Status(unsigned camera = 0);

private:
    bool Command(DWORD code, unsigned camera, unsigned a, unsigned b, unsigned c,
                 void* out = nullptr, DWORD outLen = 0, DWORD* got = nullptr,
                 const void* extra = nullptr, DWORD extraLen = 0);
    HANDLE m_h;
};
