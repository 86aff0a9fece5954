#include "UsbCamera.h"
#include <cstdio>

namespace {

HANDLE OpenDevice(int n)
{
    char path[32];
    std::snprintf(path, sizeof path, "\\\\.\\zentu-%d", n);
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
}

int ReadNvWord(void* context, WORD address, WORD* word)
{
    return static_cast<CUsbCamera*>(context)->ReadNv(address, word) ? 1 : 0;
}

} // namespace

CUsbCamera::CUsbCamera() : m_chunks(new BYTE[4][kChunkBufferBytes])
{
    for (int n = 0; n < 4; n++) {
        HANDLE h = OpenDevice(n);
        m_present[n] = h != INVALID_HANDLE_VALUE;
        if (m_present[n]) {
            CloseHandle(h);
            m_count++;
        }
    }
}

CUsbCamera::~CUsbCamera()
{
    Close();
    delete[] m_chunks;
}

int CUsbCamera::Select(int k)
{
    m_selected = 0;
    if (k < 1 || k > m_count) return 0;
    for (int n = 0, seen = 0; n < 4; n++)
        if (m_present[n] && ++seen == k) {
            m_selected = n;
            return 1;
        }
    return 0;
}

bool CUsbCamera::Open()
{
    if (m_device == INVALID_HANDLE_VALUE) m_device = OpenDevice(m_selected);
    m_open = m_device != INVALID_HANDLE_VALUE;
    return m_open;
}

void CUsbCamera::Close()
{
    if (m_device != INVALID_HANDLE_VALUE) CloseHandle(m_device);
    m_device = INVALID_HANDLE_VALUE;
    m_open = false;
}

void CUsbCamera::SetFrameSize(int width, int height)
{
    m_width = width;
    m_height = height;
    m_chunk = (DWORD)width * 128;
    m_frame = (DWORD)width * height;
}

bool CUsbCamera::Stream(WORD value)
{
    return IsOpen() && SendVendorRequest(m_device, 0, 1, value, 15, nullptr, 0, nullptr);
}

bool CUsbCamera::WriteRegister(WORD reg, WORD value)
{
    BYTE reply[1] = {};
    DWORD got = 0;
    return IsOpen() && SendVendorRequest(m_device, 1, 9, value, reg, reply, 1, &got) && got >= 1 &&
           reply[0] == kRequestStatusOk;
}

bool CUsbCamera::ReadRegister(WORD reg, WORD* value)
{
    BYTE reply[3] = {};
    DWORD got = 0;
    if (!IsOpen() || !SendVendorRequest(m_device, 1, 8, 0, reg, reply, 3, &got) || got < 3 ||
        reply[2] != kRequestStatusOk)
        return false;
    *value = (WORD)(reply[0] << 8 | reply[1]);
    return true;
}

int CUsbCamera::PortByte(BYTE value, WORD index)
{
    BYTE reply[1] = {};
    DWORD got = 0;
    if (!IsOpen() || !SendVendorRequest(m_device, 1, 6, value, index, reply, 1, &got) || got < 1) return -1;
    return reply[0];
}

bool CUsbCamera::WriteNv(WORD address, WORD word)
{
    BYTE reply[1] = {};
    DWORD got = 0;
    return IsOpen() && SendVendorRequest(m_device, 1, 16, word, address, reply, 1, &got) && got >= 1 &&
           reply[0] == kRequestStatusOk;
}

bool CUsbCamera::ReadNv(WORD address, WORD* word)
{
    BYTE reply[3] = {};
    DWORD got = 0;
    if (!IsOpen() || !SendVendorRequest(m_device, 1, 17, 0, address, reply, 3, &got) || got < 3 ||
        reply[2] != kRequestStatusOk)
        return false;
    *word = (WORD)(reply[0] << 8 | reply[1]);
    return true;
}

int CUsbCamera::ReadRawFrame(BYTE* destination)
{
    if (!IsOpen()) return -1;
    return ReadChunkedFrame(m_device, m_chunks, m_chunk, m_frame, destination);
}

int CUsbCamera::ReadDefectTable(int mode, DefectList* list)
{
    return ReadDefectTableWith(ReadNvWord, this, mode, list);
}
