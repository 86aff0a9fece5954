// The camera settings the capture filter's pin and the TWAIN source share:
// each read and each change under the device lock, with the tables and
// sensor writes a change needs. The two owners differ only in when the
// exposure limits follow a change and in what a white-balance request takes,
// both fixed by the flavour.
#pragma once
#include "CritSec.h"
#include "ParameterSet.h"
#include "Pipeline.h"
#include "UsbTransport.h"

class CZentuControls {
public:
    // The lock, the settings and the transport pointer stay the owner's; the
    // transport is written by the owner's capture thread under the lock.
    CZentuControls(CRITICAL_SECTION& lock, ZentuOwner& owner, CUsbTransport*& transport, ParameterFlavour flavour)
        : m_lock(lock), m_owner(owner), m_transport(transport), m_flavour(flavour)
    {
    }
    CZentuControls(const CZentuControls&) = delete;
    CZentuControls& operator=(const CZentuControls&) = delete;

    // The getters leave a null out untouched and answer false.
    template <class T, class Field>
    bool Read(T* out, Field ZentuSettings::*field) const
    {
        if (!out)
            return false;
        CAutoLock lock(&m_lock);
        *out = T(m_owner.settings.*field);
        return true;
    }
    bool GetWhiteBalance(int* request, BYTE* r, BYTE* g, BYTE* b) const;
    bool GetExposure(int* autoExposure, BYTE* target, WORD* time, WORD* gain) const;
    bool GetSaturation(int* enable, BYTE* value) const;
    bool GetExposureUnit(int* microseconds) const;

    // A flag or value the pipeline reads per frame: nothing else follows.
    template <class Field>
    void Write(Field ZentuSettings::*field, uint32_t value)
    {
        CAutoLock lock(&m_lock);
        m_owner.settings.*field = value;
    }
    void SetWhiteBalance(int request, BYTE r, BYTE g, BYTE b);
    void SetExposure(int autoExposure, BYTE target, WORD time, WORD gain);
    void SetSpeed(BYTE speed);
    void SetGamma(BYTE gamma);
    void SetContrast(BYTE contrast);
    void SetSaturation(int enable, BYTE value);
    void SetHZ(int fiftyHz);
    // keepSize: the stream running holds frames of the current size, which
    // a loaded set does not change.
    void SetParaTeam(BYTE set, bool keepSize);
    void SaveParaTeam();

private:
    // The filter moves the exposure limits at once; the TWAIN source at its
    // next capture start.
    bool LimitsAtOnce() const { return m_flavour == ParameterFlavour::Filter; }
    bool DeviceOpen() const { return m_transport && m_transport->open; }

    CRITICAL_SECTION& m_lock;
    ZentuOwner& m_owner;
    CUsbTransport*& m_transport;
    const ParameterFlavour m_flavour;
};
