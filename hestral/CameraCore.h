// The one camera object of the Hestral library: every camera parameter, the
// sensor bring-up, timing and resolution modes, the raw-to-BGR pipeline,
// auto exposure, the registry parameter teams and the DrawDib display.
#pragma once
#include <windows.h>
#include <vfw.h>
#include <cstdint>
#include <memory>
#include <vector>
#include "CritSec.h"
#include "UsbCamera.h"

typedef void(__stdcall* CameraFrameProc)(BYTE* bgr);

// Dead pixels: the camera's own table for the mode, or those found by detection.
struct HestralDefects {
    int count = 0;
    uint16_t x[100], y[100];
};

struct HestralRect {
    int x = 0, y = 0, w = 0, h = 0;
};

class CCameraCore {
public:
    // Probes the devices and loads the start-up team; touches no device.
    CCameraCore();
    virtual ~CCameraCore();
    CCameraCore(const CCameraCore&) = delete;
    CCameraCore& operator=(const CCameraCore&) = delete;

    CUsbCamera& Usb() { return *m_usb; }
    int SelectDevice(int k) { return m_usb->Select(k); }
    void SetRegion(int x, int y, int w, int h);
    HestralRect Region() const { return m_region; }
    // Open, bring-up, timing, start exposure and gain, defect list. Shows
    // the device's and the sensor's message boxes; false on failure.
    bool InitDevice(CameraFrameProc callback, int mode);
    bool SetupDisplay(HWND window);
    void ProcessLive(BYTE* raw);
    void Draw();
    // Raw frame of the current mode to a BGR picture of the output size,
    // bottom-up unless the vertical flip is on. The raw bytes may be repaired.
    void Pipeline(BYTE* raw, BYTE* bgr);
    void SwitchResolution(int mode);
    void Close();

    // Teams (registry).
    int SaveTeam(int team);
    int LoadTeam(int team);
    static int StartTeam();
    void LoadDefaults();

    // Geometry.
    int Mode() const { return m_mode; }
    int SensorWidth() const { return m_sensorW; }
    int SensorHeight() const { return m_sensorH; }
    int OutputWidth() const { return m_outW; }
    int OutputHeight() const { return m_outH; }
    const BYTE* Output() const { return m_out.data(); }
    bool SetWbWindow(int x, int y, int w, int h);
    bool SetDisplayRect(int x, int y, int w, int h);
    HestralRect WbWindow() const;

    // Parameters; setters that reach the sensor write it at once.
    void SetExposure(int rows);
    void SetAnalogGain(int g);
    void SetGains(int r, int g, int b);
    void SetGamma(int gamma);
    void SetContrast(int contrast);
    void SetFrameSpeed(int fast);
    void SetLightFrequency(int f);
    void RequestDefectDetection() { m_detectRequest = true; }
    void RecomputeTiming();
    void UpdateRowLength();
    static WORD GainRegister(int g);

    // Tables, built from the parameters.
    void BuildGainTables();
    void BuildToneTable();
    void BuildColorMatrix();

    // Guards every parameter field and table below, the defect list, the
    // detection request and the work buffers: the exports read and write them
    // on the caller's thread, the display thread reads them (and auto white
    // balance and auto exposure write them) while it processes a frame.
    CCritSec& ParamLock() { return m_params; }

    // The plain parameter fields, read and written by the exported getters
    // and setters; guarded by ParamLock().
    int aeOn = 1, aeTarget = 120, exposure = 300, exposureAtInit = 300, maxExposure = 2000;
    int analogGain = 20, wbRequest = 0, colorOn = 1, gainR = 74, gainG = 64, gainB = 96;
    int gamma = 100, contrast = 20, saturation = 128, frameSpeed = 0, sampleType = 0;
    int lightFrequency = 0, mono = 0, vflip = 0, hflip = 0, b2rgb = 0;
    int matrix[9] = {205, -65, -12, -63, 222, -32, -34, -125, 286}; // R00..B02
    int resolution = 0;
    uint32_t exposureUs = 50000000;
    int team = 0;
    // Timing.
    int rowLength[4] = {2753, 2055, 1989, 1927};
    int clock = 24, rowTime = 0, flickerStep = 0;
    // Auto exposure: the smoothed luminance between frames.
    int aeSmoothed = 0;

    // One auto-exposure step on a processed picture; writes the sensor.
    void AutoExposureStep(const BYTE* bgr, int width, int height);
    // One-shot white balance over the window of a processed picture.
    void WhiteBalance(const BYTE* bgr, int width, int height);

    HestralDefects defects;
    uint8_t gainTable[3][256] = {}; // blue, green, red
    uint8_t tone[256] = {};
    int32_t applied[3][3] = {};     // colour x saturation matrix, RGB order, >> 14

    // The geometry of a mode (a region in mode 3) without device traffic.
    void SetGeometry(int mode);

private:
    void SensorWindow(int mode);
    bool BringUp();
    void WriteExposure();
    void FixDefects(BYTE* raw);
    void DetectDefects(const BYTE* raw);
    void Demosaic(const BYTE* raw, BYTE* out, int width, int height);
    void Reduce(const BYTE* work, BYTE* out);
    void ColorAndTone(BYTE* bgr, int pixels);

    CCritSec m_params;
    std::unique_ptr<CUsbCamera> m_usb;
    CameraFrameProc m_callback = nullptr; // set before the threads start
    bool m_detectRequest = false;         // guarded by ParamLock()
    // The geometry changes only while no thread processes frames.
    int m_mode = 0, m_sensorW = 1024, m_sensorH = 768, m_outW = 1024, m_outH = 768;
    HestralRect m_region{360, 272, 640, 480};
    // Written by the caller's setters, read by the display thread: the
    // reader checks a copy against the picture before using it.
    volatile LONG m_wb[4] = {};
    volatile LONG m_display[4] = {};
    std::vector<BYTE> m_work, m_out, m_green;
    BITMAPINFOHEADER m_bih = {};
    HWND m_window = nullptr;
    HDC m_dc = nullptr;
    HDRAWDIB m_drawDib = nullptr;
};
