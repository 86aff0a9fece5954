#include "ZentuSimControl.h"
#include <cstring>

CZentuSimControl::CZentuSimControl()
    : m_h(CreateFileA("\\\\.\\zentu-ctl", GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr))
{
}

CZentuSimControl::~CZentuSimControl()
{
    if (m_h != INVALID_HANDLE_VALUE) CloseHandle(m_h);
}

bool CZentuSimControl::Command(DWORD code, unsigned camera, unsigned a, unsigned b, unsigned c,
                               void* out, DWORD outLen, DWORD* got,
                               const void* extra, DWORD extraLen)
{
    std::vector<unsigned char> in(sizeof(ZentuSimCommand) + extraLen);
    ZentuSimCommand cmd = {camera, a, b, c};
    std::memcpy(in.data(), &cmd, sizeof cmd);
    if (extraLen) std::memcpy(in.data() + sizeof cmd, extra, extraLen);
    DWORD n = 0;
    BOOL ok = DeviceIoControl(m_h, code, in.data(), (DWORD)in.size(), out, outLen, &n, nullptr);
    if (got) *got = n;
    return ok != FALSE;
}

bool CZentuSimControl::Reset() { return Command(ZSIM_RESET, 0, 0, 0, 0); }
bool CZentuSimControl::SetPresent(unsigned mask) { return Command(ZSIM_SET_PRESENT, 0, mask, 0, 0); }
bool CZentuSimControl::ClearLog() { return Command(ZSIM_CLEAR_LOG, 0, 0, 0, 0); }

std::vector<ZentuSimLogEntry> CZentuSimControl::Log()
{
    std::vector<ZentuSimLogEntry> all;
    std::vector<unsigned char> buf(sizeof(ZentuSimLogHeader) + 4096 * sizeof(ZentuSimLogEntry));
    for (;;) {
        DWORD got = 0;
        if (!Command(ZSIM_GET_LOG, 0, (unsigned)all.size(), 0, 0, buf.data(), (DWORD)buf.size(), &got))
            break;
        size_t n = (got - sizeof(ZentuSimLogHeader)) / sizeof(ZentuSimLogEntry);
        if (n == 0) break;
        const ZentuSimLogEntry* e = reinterpret_cast<const ZentuSimLogEntry*>(buf.data() + sizeof(ZentuSimLogHeader));
        all.insert(all.end(), e, e + n);
    }
    return all;
}

std::vector<ZentuSimLogEntry> CZentuSimControl::VendorLog()
{
    std::vector<ZentuSimLogEntry> v;
    for (const ZentuSimLogEntry& e : Log())
        if (e.kind == ZSIM_LOG_VENDOR) v.push_back(e);
    return v;
}

std::vector<unsigned short> CZentuSimControl::Registers(unsigned camera)
{
    std::vector<unsigned short> r(ZENTU_SIM_REGISTERS);
    if (!Command(ZSIM_GET_REGS, camera, 0, 0, 0, r.data(), (DWORD)(r.size() * 2))) r.clear();
    return r;
}

bool CZentuSimControl::SetRegister(unsigned reg, unsigned value, unsigned camera)
{
    return Command(ZSIM_SET_REG, camera, reg, value, 0);
}

std::vector<unsigned short> CZentuSimControl::ReadNv(unsigned address, unsigned count, unsigned camera)
{
    std::vector<unsigned short> w(count);
    if (!Command(ZSIM_NV_READ, camera, address, count, 0, w.data(), count * 2)) w.clear();
    return w;
}

bool CZentuSimControl::WriteNv(unsigned address, const std::vector<unsigned short>& words, unsigned camera)
{
    return Command(ZSIM_NV_WRITE, camera, address, (unsigned)words.size(), 0, nullptr, 0, nullptr,
                   words.data(), (DWORD)(words.size() * 2));
}

bool CZentuSimControl::SetFault(unsigned kind, unsigned count, unsigned param, unsigned camera)
{
    return Command(ZSIM_SET_FAULT, camera, kind, count, param);
}

bool CZentuSimControl::SetScene(unsigned scene, unsigned camera) { return Command(ZSIM_SET_SCENE, camera, scene, 0, 0); }
bool CZentuSimControl::SetPeriod(unsigned us, unsigned camera) { return Command(ZSIM_SET_PERIOD, camera, us, 0, 0); }

ZentuSimStatus CZentuSimControl::Status(unsigned camera)
{
    ZentuSimStatus s = {};
    Command(ZSIM_GET_STATUS, camera, 0, 0, 0, &s, sizeof s);
    return s;
}
