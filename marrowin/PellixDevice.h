// The camera behind the EZ-USB general-purpose driver: vendor requests,
// sensor registers and the two bulk pipes.
#ifndef PELLIX_DEVICE_H
#define PELLIX_DEVICE_H

#include <windows.h>
#include <string>

// The sensor's registers, for ReadRegister and WriteRegister.
namespace PellixRegister {
const BYTE kChipVersion = 0x00, kRowStart = 0x01, kColumnStart = 0x02, kHeight = 0x03, kWidth = 0x04;
const BYTE kHorizontalBlank = 0x05, kVerticalBlank = 0x06, kShutterHigh = 0x08, kShutterLow = 0x09;
const BYTE kReset = 0x0D, kRowMode = 0x22, kColumnMode = 0x23;
const BYTE kGreenGain = 0x2B, kBlueGain = 0x2C, kRedGain = 0x2D, kGreen2Gain = 0x2E;
} // namespace PellixRegister

class CPellixDevice {
public:
    CPellixDevice() = default;
    ~CPellixDevice() { Close(); }
    CPellixDevice(const CPellixDevice &) = delete;
    CPellixDevice &operator=(const CPellixDevice &) = delete;

    // Opens the first \\.\Pellix-<n>, n = 0 to 31, that opens.
    bool OpenFirst();
    void Close();

    // Direction 1 reads the data stage from the device, 0 sends it.
    bool Vendor(BYTE direction, BYTE request, WORD value, void *data, DWORD length);
    bool ReadRegister(BYTE reg, WORD *value);
    bool WriteRegister(BYTE reg, WORD value);
    bool BulkWrite(const void *data, DWORD length);
    // Reads exactly length bytes from pipe 1 on a handle of its own, so that a
    // read never waits behind a vendor request on the main handle.
    bool BulkRead(void *data, DWORD length) const;

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    std::string m_path;
};

#endif
