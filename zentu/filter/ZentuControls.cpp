#include "ZentuControls.h"

bool CZentuControls::GetWhiteBalance(int* request, BYTE* r, BYTE* g, BYTE* b) const
{
    if (!request || !r || !g || !b)
        return false;
    CAutoLock lock(&m_lock);
    const ZentuSettings& s = m_owner.settings;
    *request = int(s.whiteBalanceRequest);
    *r = BYTE(s.gainR);
    *g = BYTE(s.gainG);
    *b = BYTE(s.gainB);
    return true;
}

bool CZentuControls::GetExposure(int* autoExposure, BYTE* target, WORD* time, WORD* gain) const
{
    if (!autoExposure || !target || !time || !gain)
        return false;
    CAutoLock lock(&m_lock);
    const ZentuSettings& s = m_owner.settings;
    *autoExposure = int(s.autoExposure);
    *target = BYTE(s.aeTarget);
    *time = WORD(s.exposureTime);
    *gain = WORD(s.gain);
    return true;
}

bool CZentuControls::GetSaturation(int* enable, BYTE* value) const
{
    if (!enable || !value)
        return false;
    CAutoLock lock(&m_lock);
    *enable = int(m_owner.settings.enableSaturation);
    *value = BYTE(m_owner.settings.saturation);
    return true;
}

bool CZentuControls::GetExposureUnit(int* microseconds) const
{
    if (!microseconds)
        return false;
    CAutoLock lock(&m_lock);
    *microseconds = int(m_owner.pipe.exposureUnit);
    return true;
}

// Through the TWAIN source a request only asks for the next frame's
// measurement and the gains it carries are not taken; the filter takes them.
void CZentuControls::SetWhiteBalance(int request, BYTE r, BYTE g, BYTE b)
{
    CAutoLock lock(&m_lock);
    ZentuSettings& s = m_owner.settings;
    if (request == 0 || m_flavour == ParameterFlavour::Filter) {
        s.gainR = r;
        s.gainG = g;
        s.gainB = b;
        UpdateChannelTables(m_owner);
    }
    s.whiteBalanceRequest = uint32_t(request);
}

void CZentuControls::SetExposure(int autoExposure, BYTE target, WORD time, WORD gain)
{
    CAutoLock lock(&m_lock);
    ZentuSettings& s = m_owner.settings;
    s.autoExposure = uint32_t(autoExposure);
    s.aeTarget = target;
    s.exposureTime = time;
    s.gain = gain;
    if (DeviceOpen() && autoExposure == 0) {
        SetSensorExposure(m_transport, time);
        SetSensorGain(m_transport, gain);
    }
}

void CZentuControls::SetSpeed(BYTE speed)
{
    CAutoLock lock(&m_lock);
    m_owner.settings.speed = speed;
    if (DeviceOpen()) {
        SetSensorSpeed(m_transport, speed != 0);
        if (LimitsAtOnce())
            ComputeExposureLimits(m_owner);
    }
}

void CZentuControls::SetGamma(BYTE gamma)
{
    CAutoLock lock(&m_lock);
    m_owner.settings.gamma = gamma;
    BuildToneTable(m_owner.settings.gamma, m_owner, m_owner.settings.contrast);
}

void CZentuControls::SetContrast(BYTE contrast)
{
    CAutoLock lock(&m_lock);
    m_owner.settings.contrast = contrast;
    BuildToneTable(m_owner.settings.gamma, m_owner, m_owner.settings.contrast);
}

void CZentuControls::SetSaturation(int enable, BYTE value)
{
    CAutoLock lock(&m_lock);
    m_owner.settings.enableSaturation = uint32_t(enable);
    m_owner.settings.saturation = value;
}

void CZentuControls::SetHZ(int fiftyHz)
{
    CAutoLock lock(&m_lock);
    m_owner.settings.hz = uint32_t(fiftyHz);
    if (LimitsAtOnce())
        ComputeExposureLimits(m_owner);
}

void CZentuControls::SetParaTeam(BYTE set, bool keepSize)
{
    CAutoLock lock(&m_lock);
    const uint32_t size = m_owner.settings.sizeIndex;
    if (!::SetParaTeam(m_owner.settings, set, m_flavour))
        return;
    if (keepSize)
        m_owner.settings.sizeIndex = size;
    BuildToneTable(m_owner.settings.gamma, m_owner, m_owner.settings.contrast);
    UpdateChannelTables(m_owner);
    if (LimitsAtOnce())
        ComputeExposureLimits(m_owner);
}

void CZentuControls::SaveParaTeam()
{
    CAutoLock lock(&m_lock);
    SaveParameterSet(m_owner.settings, m_flavour);
}
