// The Zentu camera inside the TWAIN source: the settings, the transport, the
// raw-frame reader and the pipeline the capture filter uses too, a preview
// thread that keeps three processed frames with use counts, and the camera's
// side of the source dialog and its settings sheet.
#pragma once
#include "TWAIN.h"
#include "CritSec.h"
#include "DeviceControl.h"
#include "Pipeline.h"
#include "RawFrameReader.h"
#include "SetupPageCore.h"
#include "TransportSensor.h"
#include "ZentuControls.h"

#include <atomic>
#include <memory>

class CUSBDevice : public CTWAIN {
public:
    // Null when its frame buffers cannot be had.
    static std::unique_ptr<CUSBDevice> Create();
    ~CUSBDevice() override;
    CUSBDevice(const CUSBDevice&) = delete;
    CUSBDevice& operator=(const CUSBDevice&) = delete;

    int GetFrameSize(int* width, int* height) override;
    int StartPreview() override;
    void StopPreview() override;
    int GrabFrame(const FrameDescriptor* frame) override;
    void OnCommand(HWND dialog, WPARAM wParam, LPARAM lParam) override;
    bool OnFrameMessage(HWND dialog, WPARAM ok) override;
    void OnDrawItem(HWND dialog, const DRAWITEMSTRUCT* item) override;
    void OnInitDialog(HWND dialog) override;
    int GetSize(int* index) override;
    int GetWhiteBalance(int* request, BYTE* r, BYTE* g, BYTE* b) override;
    int SetWhiteBalance(int request, BYTE r, BYTE g, BYTE b) override;
    int GetExposure(int* autoExposure, BYTE* target, WORD* time, WORD* gain) override;
    int SetExposure(int autoExposure, BYTE target, WORD time, WORD gain) override;
    int GetGamma(BYTE* gamma) override;
    int SetGamma(BYTE gamma) override;
    int GetContrast(BYTE* contrast) override;
    int SetContrast(BYTE contrast) override;
    int GetSaturation(int* enable, BYTE* value) override;
    int SetSaturation(int enable, BYTE value) override;
    int GetWhiteBlack(int* mono) override;
    int SetWhiteBlack(int mono) override;
    int GetVFlip(int* flip) override;
    int SetVFlip(int flip) override;
    int GetHFlip(int* mirror) override;
    int SetHFlip(int mirror) override;
    int GetHZ(int* fiftyHz) override;
    int SetHZ(int fiftyHz) override;
    int SetParaTeam(BYTE set) override;
    int GetParaTeam(BYTE* set) override;
    int SaveParaTeam() override;
    int GetExposureUnit(int* microseconds) override;
    virtual int GetSpeed(BYTE* speed);
    virtual int SetSpeed(BYTE speed);

    // The operator's RGB/BGR choice for memory transfers.
    bool Bgr() const { return m_owner.settings.bgr != 0; }

    // The source dialog's and the preview's message: wParam 1 a new frame,
    // 0 the camera failed.
    static const UINT kFrameMessage = WM_USER + 100;

private:
    CUSBDevice();
    static unsigned __stdcall PreviewProc(void* self);
    void Preview();
    bool StartCapture();
    void StopCapture();
    static void ReleaseRaw(void* self);
    int TakeFreeFrame();
    void Publish(int frame);
    void Release(int frame);
    // The current frame with one use taken, or -1; its size in *w, *h.
    int UseCurrent(int* w, int* h);
    void DropCurrent();
    void Post(WPARAM ok);
    void ShowSettings(HWND dialog);
    static INT_PTR CALLBACK SettingsPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);

    static const int kFrames = 3;

    CRITICAL_SECTION m_deviceLock;  // the transport, the tone table, the frames' use counts
    CTransportSensor m_sensor;
    ZentuOwner m_owner;
    CUsbTransport* m_transport = nullptr;  // written by the preview thread under the lock
    CZentuControls m_controls{m_deviceLock, m_owner, m_transport, ParameterFlavour::Twain};
    CRawFrameReader m_reader;              // the preview thread's
    CRawFrameReader::Path m_path;
    BYTE* m_heldRaw = nullptr;             // the preview thread's
    // Processed frames, each with its use count; m_current is the frame
    // transfers and painting take. All under m_deviceLock.
    // The preview thread writes a frame only while it holds its only use.
    std::unique_ptr<BYTE[]> m_frames[kFrames];
    // Guarded by m_deviceLock.
    int m_uses[kFrames] = {};
    int m_current = -1;
    int m_streamWidth = 0, m_streamHeight = 0;
    HANDLE m_bufferFree;  // auto-reset: a frame's last use went
    HANDLE m_stop;        // manual-reset: the preview thread is to end
    HANDLE m_thread = nullptr;
    std::atomic<bool> m_run{false};
    std::atomic<HWND> m_dialog{nullptr};  // written by the dialog's thread
    // A frame message is on its way: the next frame posts none, so that a
    // dialog slower to paint than the camera is not flooded.
    std::atomic<bool> m_framePosted{false};
    BITMAPINFOHEADER m_paint = {};         // set once; the size comes with each frame
    bool m_captureDisabled = true;         // the dialog's thread's
    bool m_gotFrame = false;               // the dialog's thread's
    CDeviceControl m_control;
    CSetupPageCore m_page;
};

// Set at process attach: the user's language is Chinese, so the dialogs and
// the sheet are the Chinese ones. The module holds the resources.
extern bool g_twainChinese;
extern HINSTANCE g_twainModule;
