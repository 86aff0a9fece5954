// The camera operations the shared setup page calls, reached on the TWAIN
// device instead of IZentu.
#pragma once
#include "SetupPageCore.h"

class CUSBDevice;

class CDeviceControl : public CZentuCameraControl {
public:
    explicit CDeviceControl(CUSBDevice* device) : m_device(device) {}
    bool GetParaTeam(BYTE* set) override;
    bool GetGamma(BYTE* gamma) override;
    bool GetSaturation(int* enable, BYTE* value) override;
    bool GetContrast(BYTE* contrast) override;
    bool GetExposure(int* autoExposure, BYTE* target, WORD* time, WORD* gain) override;
    bool GetWhiteBalance(int* request, BYTE* r, BYTE* g, BYTE* b) override;
    bool GetWhiteBlack(int* mono) override;
    bool GetVFlip(int* flip) override;
    bool GetHFlip(int* mirror) override;
    bool GetSpeed(BYTE* speed) override;
    bool GetHZ(int* fiftyHz) override;
    void SetParaTeam(BYTE set) override;
    void SaveParaTeam() override;
    void SetGamma(BYTE gamma) override;
    void SetContrast(BYTE contrast) override;
    void SetSaturation(int enable, BYTE value) override;
    void SetExposure(int autoExposure, BYTE target, WORD time, WORD gain) override;
    void SetWhiteBalance(int request, BYTE r, BYTE g, BYTE b) override;
    void SetWhiteBlack(int mono) override;
    void SetVFlip(int flip) override;
    void SetHFlip(int mirror) override;
    void SetSpeed(BYTE speed) override;
    void SetHZ(int fiftyHz) override;

private:
    CUSBDevice* m_device;
};
