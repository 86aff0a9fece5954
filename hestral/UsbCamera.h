// The Hestral library's client of the Zentu kernel driver: finds the cameras
// zentu-0 to zentu-3, opens the chosen one, sends the vendor requests and
// reads raw frames in chunks of one width x 128 bytes.
#pragma once
#include <windows.h>
#include "UsbTransport.h"

class CUsbCamera {
public:
    CUsbCamera(); // probes the four devices
    virtual ~CUsbCamera();
    CUsbCamera(const CUsbCamera&) = delete;
    CUsbCamera& operator=(const CUsbCamera&) = delete;

    int Count() const { return m_count; }
    bool Present(int n) const { return n >= 0 && n < 4 && m_present[n]; }
    // k is 1-based among the present devices; 0 when there is no k-th.
    int Select(int k);
    int SelectedDevice() const { return m_selected; }
    bool Open();
    void Close();
    bool IsOpen() const { return m_device != INVALID_HANDLE_VALUE; }
    void SetFrameSize(int width, int height);

    // Stream values: 3 on, 0 off, 1 reset.
    bool Stream(WORD value);
    bool WriteRegister(WORD reg, WORD value);
    bool ReadRegister(WORD reg, WORD* value);
    // The reply byte, or -1 when the request fails.
    int PortByte(BYTE value, WORD index);
    bool WriteNv(WORD address, WORD word);
    bool ReadNv(WORD address, WORD* word);
    // The camera's lot word in its memory, and its GPIO port: the reply
    // byte, or -1 when the request fails.
    bool WriteLotWord(WORD word) { return WriteNv(kLotAddress, word); }
    bool ReadLotWord(WORD* word) { return ReadNv(kLotAddress, word); }
    int ReadGpio() { return PortByte(0, 0); }
    int WriteGpio(BYTE value) { return PortByte(value, 0xFE00); }
    int SetGpio(BYTE value) { return PortByte(value, 0xFF00); }
    // 1 a whole frame, 0 no frame this time, negative a failed read.
    int ReadRawFrame(BYTE* destination);
    int ReadDefectTable(int mode, DefectList* list);

private:
    static const WORD kLotAddress = 0x3FF0;
    HANDLE m_device = INVALID_HANDLE_VALUE;
    bool m_open = false;
    int m_count = 0;
    bool m_present[4] = {};
    int m_selected = 0; // device number 0..3
    int m_width = 0, m_height = 0;
    DWORD m_chunk = 0, m_frame = 0;
    BYTE (*m_chunks)[kChunkBufferBytes];
};
