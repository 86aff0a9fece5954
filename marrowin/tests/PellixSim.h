// The test channel of the simulated EZ-USB camera, for tests and benchmarks.
#ifndef PELLIX_SIM_H
#define PELLIX_SIM_H

#include <windows.h>

#include <vector>

#include "PellixSimControl.h"

class PellixSim {
public:
    PellixSim();
    ~PellixSim();
    bool Open() const { return m_h != INVALID_HANDLE_VALUE; }

    void Reset();
    PellixSimConfig Config();
    void Set(const PellixSimConfig &c);
    std::vector<WORD> Registers();
    WORD Register(int reg) { return Registers()[reg]; }
    void SetRegister(int reg, WORD value);
    std::vector<PellixSimLogRecord> TakeLog();
    PellixSimStats Stats(bool clear = false);

    // Shorthands over Config/Set.
    template <typename F> void Change(F f)
    {
        PellixSimConfig c = Config();
        f(c);
        Set(c);
    }

private:
    bool Ioctl(DWORD code, const void *in, DWORD inLen, void *out, DWORD outLen);
    HANDLE m_h;
};

#endif
