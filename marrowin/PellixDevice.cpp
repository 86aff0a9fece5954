#include "PellixDevice.h"

#include <cstdio>

namespace {

const DWORD kVendorRequest = 0x222059;
const DWORD kBulkWrite = 0x222051;
const DWORD kBulkRead = 0x22204E;

HANDLE OpenPath(const std::string &path)
{
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

} // namespace

bool CPellixDevice::OpenFirst()
{
    Close();
    for (int n = 0; n < 32; ++n) {
        char path[32];
        std::snprintf(path, sizeof path, "\\\\.\\Pellix-%d", n);
        HANDLE h = OpenPath(path);
        if (h != INVALID_HANDLE_VALUE) {
            m_handle = h;
            m_path = path;
            return true;
        }
    }
    return false;
}

void CPellixDevice::Close()
{
    if (m_handle != INVALID_HANDLE_VALUE)
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    m_path.clear();
}

bool CPellixDevice::Vendor(BYTE direction, BYTE request, WORD value, void *data, DWORD length)
{
    // direction, type 2 (vendor), recipient 0 (device), reserved, request,
    // alignment, value, index 0
    BYTE block[10] = {direction, 2, 0, 0, request, 0, BYTE(value), BYTE(value >> 8), 0, 0};
    DWORD returned = 0;
    return DeviceIoControl(m_handle, kVendorRequest, block, sizeof block, data, length, &returned, nullptr) != FALSE;
}

bool CPellixDevice::ReadRegister(BYTE reg, WORD *value)
{
    BYTE data[2] = {};
    if (!Vendor(1, 0xB7, reg, data, sizeof data))
        return false;
    *value = WORD((data[0] << 8) | data[1]);
    return true;
}

bool CPellixDevice::WriteRegister(BYTE reg, WORD value)
{
    BYTE data[2] = {BYTE(value >> 8), BYTE(value)};
    return Vendor(0, 0xB7, reg, data, sizeof data);
}

bool CPellixDevice::BulkWrite(const void *data, DWORD length)
{
    DWORD pipe = 0, returned = 0;
    if (!DeviceIoControl(m_handle, kBulkWrite, &pipe, sizeof pipe, const_cast<void *>(data), length, &returned,
                         nullptr))
        return false;
    return returned == length;
}

bool CPellixDevice::BulkRead(void *data, DWORD length) const
{
    HANDLE h = OpenPath(m_path);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD pipe = 1, returned = 0;
    BOOL ok = DeviceIoControl(h, kBulkRead, &pipe, sizeof pipe, data, length, &returned, nullptr);
    CloseHandle(h);
    return ok && returned == length;
}
