// What the pipeline writes to the camera, sent through a transport under the
// owner's device lock.
#pragma once
#include "UsbTransport.h"

class CTransportSensor : public IZentuSensor {
public:
    explicit CTransportSensor(CRITICAL_SECTION* deviceLock) : m_lock(deviceLock) {}
    // Set and cleared under the device lock by the owner's start and stop.
    void SetTransport(CUsbTransport* t) { m_transport = t; }
    CUsbTransport* Transport() const { return m_transport; }
    void SetGain(int gain) override;
    void SetExposureLines(uint16_t lines) override;
    void LockDevice() override { EnterCriticalSection(m_lock); }
    void UnlockDevice() override { LeaveCriticalSection(m_lock); }

private:
    CRITICAL_SECTION* m_lock;
    CUsbTransport* m_transport = nullptr;
};
