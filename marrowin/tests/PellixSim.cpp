#include "PellixSim.h"

#include <cstdio>
#include <cstdlib>

PellixSim::PellixSim()
{
    m_h = CreateFileW(L"\\\\.\\PellixSimControl", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
}

PellixSim::~PellixSim()
{
    if (m_h != INVALID_HANDLE_VALUE)
        CloseHandle(m_h);
}

bool PellixSim::Ioctl(DWORD code, const void *in, DWORD inLen, void *out, DWORD outLen)
{
    DWORD got = 0;
    if (!DeviceIoControl(m_h, code, const_cast<void *>(in), inLen, out, outLen, &got, nullptr)) {
        std::fprintf(stderr, "simulated camera: control 0x%lx failed (%lu)\n", code, GetLastError());
        return false;
    }
    return true;
}

void PellixSim::Reset() { Ioctl(PELLIX_SIM_RESET, nullptr, 0, nullptr, 0); }

PellixSimConfig PellixSim::Config()
{
    PellixSimConfig c{};
    Ioctl(PELLIX_SIM_GET_CONFIG, nullptr, 0, &c, sizeof c);
    return c;
}

void PellixSim::Set(const PellixSimConfig &c) { Ioctl(PELLIX_SIM_SET_CONFIG, &c, sizeof c, nullptr, 0); }

std::vector<WORD> PellixSim::Registers()
{
    std::vector<WORD> regs(256);
    Ioctl(PELLIX_SIM_GET_REGS, nullptr, 0, regs.data(), 512);
    return regs;
}

void PellixSim::SetRegister(int reg, WORD value)
{
    WORD in[2] = {WORD(reg), value};
    Ioctl(PELLIX_SIM_SET_REG, in, sizeof in, nullptr, 0);
}

std::vector<PellixSimLogRecord> PellixSim::TakeLog()
{
    std::vector<BYTE> buf(4 + PELLIX_SIM_LOG_SIZE * sizeof(PellixSimLogRecord));
    std::vector<PellixSimLogRecord> out;
    if (!Ioctl(PELLIX_SIM_GET_LOG, nullptr, 0, buf.data(), DWORD(buf.size())))
        return out;
    DWORD n = *reinterpret_cast<DWORD *>(buf.data());
    const PellixSimLogRecord *r = reinterpret_cast<const PellixSimLogRecord *>(buf.data() + 4);
    out.assign(r, r + n);
    return out;
}

PellixSimStats PellixSim::Stats(bool clear)
{
    PellixSimStats s{};
    DWORD any = 1;
    Ioctl(PELLIX_SIM_GET_STATS, clear ? &any : nullptr, clear ? sizeof any : 0, &s, sizeof s);
    return s;
}
