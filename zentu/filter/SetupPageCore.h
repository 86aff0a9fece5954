// The setup page's dialog logic, apart from any property-page framework, so
// that the TWAIN source's settings dialog can show the same page.
#pragma once
#include <windows.h>

// What the page needs of a camera. The getters give false when they fail.
class CZentuCameraControl {
public:
    virtual bool GetParaTeam(BYTE* set) = 0;
    virtual bool GetGamma(BYTE* gamma) = 0;
    virtual bool GetSaturation(int* enable, BYTE* value) = 0;
    virtual bool GetContrast(BYTE* contrast) = 0;
    virtual bool GetExposure(int* autoExposure, BYTE* target, WORD* time, WORD* gain) = 0;
    virtual bool GetWhiteBalance(int* request, BYTE* r, BYTE* g, BYTE* b) = 0;
    virtual bool GetWhiteBlack(int* mono) = 0;
    virtual bool GetVFlip(int* flip) = 0;
    virtual bool GetHFlip(int* mirror) = 0;
    virtual bool GetSpeed(BYTE* speed) = 0;
    virtual bool GetHZ(int* fiftyHz) = 0;
    virtual void SetParaTeam(BYTE set) = 0;
    virtual void SaveParaTeam() = 0;
    virtual void SetGamma(BYTE gamma) = 0;
    virtual void SetContrast(BYTE contrast) = 0;
    virtual void SetSaturation(int enable, BYTE value) = 0;
    virtual void SetExposure(int autoExposure, BYTE target, WORD time, WORD gain) = 0;
    virtual void SetWhiteBalance(int request, BYTE r, BYTE g, BYTE b) = 0;
    virtual void SetWhiteBlack(int mono) = 0;
    virtual void SetVFlip(int flip) = 0;
    virtual void SetHFlip(int mirror) = 0;
    virtual void SetSpeed(BYTE speed) = 0;
    virtual void SetHZ(int fiftyHz) = 0;

protected:
    ~CZentuCameraControl() = default;
};

class CSetupPageCore {
public:
    // The page's copy of the camera's settings.
    struct Copy {
        int paraTeam = 0, gamma = 100, enableSaturation = 1, saturation = 100, contrast = 30;
        int autoExposure = 1, target = 100, time = 300, gain = 20;
        int wbRequest = 0, r = 105, g = 64, b = 122;
        int mono = 0, vFlip = 1, hFlip = 1, speed = 0, hz = 1;
    };

    void Connect(CZentuCameraControl* camera);
    void Disconnect();
    // The dialog is up: every control shows the copy; then messages count.
    void Activate(HWND dialog);
    void Deactivate();
    // True when the message was one of the page's.
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    const Copy& Settings() const { return m_copy; }

private:
    void Load();
    void ShowAll();
    void EnableControls();
    void SetEdit(int id, int value);
    void OnEditChange(int id);
    void OnScroll(HWND bar);
    void OnCommand(int id);
    void SendExposure();
    void AwbOnce();
    void Defaults();

    CZentuCameraControl* m_camera = nullptr;
    HWND m_dlg = nullptr;
    Copy m_copy;
    bool m_active = false;
    bool m_quiet = false; // the page writes its own edits: not a user's change
};
