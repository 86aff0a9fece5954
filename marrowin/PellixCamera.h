// The one Marrowin camera of a process: initialisation, frame format,
// acquisition, bitmaps and the camera properties behind the Pellix_ exports.
#ifndef PELLIX_CAMERA_H
#define PELLIX_CAMERA_H

#include "Marrowin.h"
#include "PellixDevice.h"

#include <atomic>

// The four colour gains of the Bayer sensor.
enum class PellixGain { Green, Blue, Red, Green2 };

class CPellixCamera {
public:
    static CPellixCamera &Instance();

    bool Initialised() const { return m_initialised; }

    int Initialize();
    int Uninitialize();
    int SetFrameFormat(const PellixFrameFormat &f);
    int GetFrameFormat(PellixFrameFormat *current, PellixFrameFormat *min, PellixFrameFormat *max);
    int GetFrameRate(float *fps);
    int GetImageFlip(int *h, int *v);
    int SetImageFlip(const int *h, const int *v);
    int GetCameraID(int *id, int *a, int *b);
    int GetBitmap(BITMAPINFOHEADER *header, BYTE *pixels);

    int GetExposure(double *ms, double *min, double *max);
    int SetExposure(double ms);
    int GetGlobalGain(float *value, float *min, float *max);
    int SetGlobalGain(float value);
    int GetColourGain(PellixGain gain, float *value, float *min, float *max);
    int SetColourGain(PellixGain gain, float value);
    int GetSaturation(float *value, float *min, float *max);
    int SetSaturation(float value);
    int GetKelvin(float *value, float *min, float *max);
    int SetKelvin(float value);
    int GetGamma(float *value, float *min, float *max);
    int SetGamma(float value);
    int SetCurve(float xa, float ya, float xb, float yb);

    int AutoExposure(int target, const RECT *area);
    int WhiteBalance(const RECT *area);
    int GetHistogram(int *bins, int *bytes);

    int FlatFieldMemory(int *bytes);
    int FlatFieldCreate(double *model);
    int FlatFieldImport(const double *model);
    int FlatFieldSet(int on);
    int FlatFieldGet(int *on);

private:
    CPellixCamera() = default;

    int StartAcquisition();
    int StopAcquisition();
    bool Running() const { return m_thread != nullptr; }
    static DWORD WINAPI AcquisitionThread(void *self);
    void Acquire();
    bool AcquireMutex();
    void DropMutex();
    static DWORD WINAPI MutexOwner(void *self);
    // Waits for a frame of the current format published since the start.
    bool WaitFrame(DWORD ms);
    int FrameW() const { return m_format.width / m_format.columnSkip; }
    int FrameH() const { return m_format.height / m_format.rowSkip; }
    BYTE *Receive() const { return m_frame; }
    BYTE *Consumer() const { return m_frame + m_frameBytes + 512; }
    BYTE *Work() const { return m_frame + 2 * m_frameBytes + 512; }
    void ApplyFlatField(BYTE *raw, const PellixFrameFormat &f);
    bool CheckArea(const RECT *area, int minSpan, RECT *out) const;
    void RebuildOutputTable();
    bool AllocateFlatField();
    void FreeBuffers();

    std::atomic<bool> m_initialised{false};

    // The "EzUsbApi" mutex lives on its owner thread from initialisation to
    // uninitialisation, so that any thread may uninitialise.
    HANDLE m_mutexThread = nullptr;
    HANDLE m_mutexAcquired = nullptr;
    HANDLE m_mutexRelease = nullptr;
    std::atomic<int> m_mutexResult{0};

    HANDLE m_frameEvent = nullptr;
    CRITICAL_SECTION m_lock; // the frame copies, the format and the flip flags
    bool m_lockMade = false;
    CPellixDevice m_device;

    // Written by the caller's thread while acquisition is stopped.
    HANDLE m_thread = nullptr;
    std::atomic<bool> m_run{false};
    std::atomic<float> m_fps{0};
    std::atomic<unsigned> m_published{0}; // frames published since the start
    bool m_variantB = false;
    int m_maxW = 0, m_maxH = 0;
    PellixFrameFormat m_format{};
    int m_frameBytes = 0;

    // The receive area is the acquisition thread's; the consumer copy is
    // guarded by m_lock, and so is the work copy, which GetBitmap uses.
    BYTE *m_frame = nullptr; // receive area, consumer copy, work copy
    // The tone and colour settings, the flip flags and the flat field:
    // guarded by m_lock; the acquisition thread reads none of them.
    int *m_curve = nullptr;
    int *m_output = nullptr;
    int *m_clamp = nullptr;
    int *m_satT = nullptr;
    int *m_satM = nullptr;
    bool m_outputOn = false;
    double m_gamma = 1.0;
    int m_saturation = 256;
    int m_kelvin = 0;
    int m_flipH = 0, m_flipV = 0;

    float *m_ffcGains = nullptr;
    WORD *m_gainMap = nullptr;
    double *m_ownModel = nullptr;
    bool m_ffcOn = false;
    bool m_gainMapValid = false;
};

#endif
