// The exported functions: library state, lifecycle, the acquisition and
// display threads and the stills.
#define HESTRAL_BUILD
#include "Hestral.h"
#include <process.h>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <vector>
#include "CameraCore.h"
#include "HestralRes.h"
#include "HestralText.h"
#include "StillFiles.h"

namespace {

enum : uint8_t { kRunning = 0, kPaused = 1, kStopped = 2 };

CCameraCore* g_core = nullptr;
// Polled by both threads; written by the caller and by the acquisition
// thread when the camera fails.
std::atomic<uint8_t> g_run{kStopped};
short g_region[4] = {360, 272, 640, 480}; // the caller's thread only
// Set by the caller at any time, read by the acquisition thread.
std::atomic<UINT> g_videoMessage{0};
HWND g_notify = nullptr; // set before the threads start
// The four frame buffers; the acquire and shared pointers are swapped
// under g_lock by the acquisition thread, the display and shared pointers
// by the display thread.
BYTE* g_acquire = nullptr;
BYTE* g_shared = nullptr;
BYTE* g_display = nullptr;
BYTE* g_lastRaw = nullptr;
size_t g_bufferBytes = 0;
bool g_newFrame = false; // guarded by g_lock
CRITICAL_SECTION g_lock;
bool g_lockMade = false;
HANDLE g_ended[2] = {};

void Notify(LPARAM what)
{
    // Orvik never sets a message number; message 0 would reach it as WM_NULL.
    const UINT message = g_videoMessage.load();
    if (g_notify && message) PostMessageA(g_notify, message, 0, what);
}

void CloseEvents()
{
    for (HANDLE& h : g_ended) {
        if (h) CloseHandle(h);
        h = nullptr;
    }
}

void __cdecl AcquisitionThread(void*)
{
    while (g_run.load() != kStopped) {
        const int r = g_core->Usb().ReadRawFrame(g_acquire);
        if (r == 1) {
            EnterCriticalSection(&g_lock);
            std::swap(g_acquire, g_shared);
            g_newFrame = true;
            LeaveCriticalSection(&g_lock);
            Notify(1);
        } else if (r == 0) {
            Notify(0);
        } else {
            Notify(-1);
            g_run = kStopped;
            break;
        }
    }
    SetEvent(g_ended[0]);
}

void __cdecl DisplayThread(void*)
{
    for (uint8_t state; (state = g_run.load()) != kStopped;) {
        bool taken = false;
        if (state == kRunning) {
            EnterCriticalSection(&g_lock);
            if (g_newFrame) {
                std::swap(g_display, g_shared);
                g_newFrame = false;
                taken = true;
            }
            LeaveCriticalSection(&g_lock);
        }
        if (!taken) {
            Sleep(state == kRunning ? 1 : 10);
            continue;
        }
        const size_t frame = (size_t)g_core->SensorWidth() * g_core->SensorHeight();
        std::memcpy(g_lastRaw, g_display, frame);
        g_core->ProcessLive(g_display);
        g_core->Draw();
    }
    SetEvent(g_ended[1]);
}

bool StartThreads()
{
    CloseEvents();
    g_ended[0] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_ended[1] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!g_ended[0] || !g_ended[1]) {
        CloseEvents();
        return false;
    }
    g_run = kRunning;
    if (_beginthread(AcquisitionThread, 0, nullptr) == (uintptr_t)-1) SetEvent(g_ended[0]);
    if (_beginthread(DisplayThread, 0, nullptr) == (uintptr_t)-1) SetEvent(g_ended[1]);
    return true;
}

// Ends both threads; false when they were not running.
bool StopThreads()
{
    if (g_run.load() == kStopped) {
        // After a failed read the thread stopped itself: its events are still open.
        if (g_ended[0]) WaitForMultipleObjects(2, g_ended, TRUE, INFINITE);
        CloseEvents();
        return false;
    }
    g_run = kStopped;
    WaitForMultipleObjects(2, g_ended, TRUE, INFINITE);
    CloseEvents();
    return true;
}

void FreeBuffers()
{
    for (BYTE** p : {&g_acquire, &g_shared, &g_display, &g_lastRaw}) {
        delete[] *p;
        *p = nullptr;
    }
    g_bufferBytes = 0;
}

bool AllocBuffers(size_t bytes)
{
    FreeBuffers();
    for (BYTE** p : {&g_acquire, &g_shared, &g_display, &g_lastRaw}) {
        *p = new (std::nothrow) BYTE[bytes]();
        if (!*p) {
            FreeBuffers();
            return false;
        }
    }
    g_bufferBytes = bytes;
    return true;
}

// What CameraUnInit does, the lock aside. Running threads are stopped
// first: they use the core and the buffers.
void Release()
{
    StopThreads();
    if (g_core) {
        g_core->Close();
        delete g_core;
        g_core = nullptr;
    }
    FreeBuffers();
}

int ReadFrameTries(BYTE* raw)
{
    int r = 0;
    for (int i = 0; i < 10; i++)
        if ((r = g_core->Usb().ReadRawFrame(raw)) == 1) break;
    return r;
}

// The still files of one raw frame at the core's current mode.
int WriteStills(const char* base, int flags, int quality, BYTE* raw, BYTE* image)
{
    int result = 1;
    if (flags & CAMERA_FILE_RAW) result = WriteRawFile(base, raw, g_core->SensorWidth(), g_core->SensorHeight());
    if (flags & (CAMERA_FILE_JPEG | CAMERA_FILE_BMP)) {
        g_core->Pipeline(raw, image);
        const int w = g_core->OutputWidth(), h = g_core->OutputHeight();
        if (flags & CAMERA_FILE_JPEG) result = WriteJpegFile(base, image, w, h, quality);
        if (flags & CAMERA_FILE_BMP) result = WriteBmpFile(base, image, w, h);
    }
    return result;
}

// f on the camera under its parameter lock; 0 when there is none.
template <class F>
int WithCore(F f)
{
    if (!g_core) return 0;
    const CAutoLock lock(&g_core->ParamLock());
    return f(*g_core);
}

} // namespace

int __cdecl CameraInit(CameraFrameProc callback, int mode, HWND display, int device, HWND notify)
{
    Release();
    if (!g_lockMade) {
        InitializeCriticalSection(&g_lock);
        g_lockMade = true;
    }
    g_core = new (std::nothrow) CCameraCore;
    if (!g_core) return -1;
    if (!g_core->SelectDevice(device)) {
        delete g_core;
        g_core = nullptr;
        return -1;
    }
    g_notify = notify;
    g_core->SetRegion(g_region[0], g_region[1], g_region[2], g_region[3]);
    if (!g_core->InitDevice(callback, mode)) {
        delete g_core;
        g_core = nullptr;
        MessageBoxA(nullptr, HestralText(IDS_INIT_FAILED).c_str(), HestralText(IDS_ERROR_CAPTION).c_str(),
                    MB_ICONERROR);
        PostQuitMessage(1);
        return -1;
    }
    if (!AllocBuffers((size_t)2 * g_core->SensorWidth() * g_core->SensorHeight() + 512)) {
        delete g_core;
        g_core = nullptr;
        return -2;
    }
    if (!g_core->SetupDisplay(display)) {
        delete g_core;
        g_core = nullptr;
        FreeBuffers();
        return -1;
    }
    g_newFrame = false;
    return 1;
}

int __cdecl CameraPlay()
{
    if (!g_core || g_run.load() == kRunning) return 0;
    StopThreads(); // events left by a thread that ended on its own
    if (!StartThreads()) return 0;
    g_core->Usb().Stream(3);
    return 1;
}

int __cdecl CameraStop()
{
    return StopThreads() ? 1 : 0;
}

int __cdecl CameraUnInit()
{
    Release();
    if (g_lockMade) {
        DeleteCriticalSection(&g_lock);
        g_lockMade = false;
    }
    return 1;
}

int __cdecl CameraSnap(BYTE* dst, int kind)
{
    if (!g_core || !dst) return 0;
    const bool wasRunning = g_run.load() == kRunning;
    StopThreads();
    int r;
    if (kind == 0) {
        r = ReadFrameTries(dst);
    } else {
        BYTE* raw = new (std::nothrow) BYTE[(size_t)g_core->SensorWidth() * g_core->SensorHeight() + 512];
        if (!raw) {
            if (wasRunning) StartThreads();
            return -2;
        }
        r = ReadFrameTries(raw);
        if (r == 1) g_core->Pipeline(raw, dst);
        delete[] raw;
    }
    if (wasRunning) StartThreads();
    return r;
}

int __cdecl CameraCaptureToBuf(BYTE* dst, int kind)
{
    if (!g_core || !g_lastRaw || !dst) return 0;
    const bool wasRunning = g_run.load() == kRunning;
    StopThreads();
    const size_t frame = (size_t)g_core->SensorWidth() * g_core->SensorHeight();
    if (kind == 0) {
        std::memcpy(dst, g_lastRaw, frame);
    } else {
        // The pipeline repairs dead pixels in place: the last raw frame stays as read.
        BYTE* raw = new (std::nothrow) BYTE[frame + 512];
        if (!raw) {
            if (wasRunning) StartThreads();
            return -2;
        }
        std::memcpy(raw, g_lastRaw, frame);
        g_core->Pipeline(raw, dst);
        delete[] raw;
    }
    if (wasRunning) StartThreads();
    return 1;
}

int __cdecl CameraImageProcess(BYTE* raw, BYTE* bgr)
{
    if (!g_core) return 0;
    g_core->Pipeline(raw, bgr);
    return 1;
}

int __cdecl CameraCaptureFile(const char* base, int flags, BYTE quality, int mode)
{
    if (!g_core || g_run.load() == kStopped) {
        MessageBoxA(nullptr, HestralText(IDS_CAMERA_CLOSED).c_str(), nullptr, MB_OK);
        return 0;
    }
    const bool wasRunning = g_run.load() == kRunning;
    StopThreads();
    const int oldMode = g_core->Mode();
    const bool switched = mode != oldMode && !(oldMode == 1 && (mode < 0 || mode > 3));
    if (switched) g_core->SwitchResolution(mode);
    int result;
    BYTE* raw = new (std::nothrow) BYTE[(size_t)g_core->SensorWidth() * g_core->SensorHeight() + 512];
    BYTE* image = new (std::nothrow) BYTE[(size_t)g_core->OutputWidth() * g_core->OutputHeight() * 3];
    if (!raw || !image) {
        result = -2;
    } else {
        result = ReadFrameTries(raw);
        if (result == 1) result = WriteStills(base, flags, quality, raw, image);
    }
    delete[] raw;
    delete[] image;
    // Every way out leaves the camera as it was.
    if (switched) g_core->SwitchResolution(oldMode);
    if (wasRunning) StartThreads();
    return result;
}

int __cdecl CameraSaveCurrentImage(const char* base, int flags, BYTE quality)
{
    if (!g_core || !g_display) return 0;
    StopThreads();
    const size_t frame = (size_t)g_core->SensorWidth() * g_core->SensorHeight();
    int result;
    BYTE* raw = new (std::nothrow) BYTE[frame + 512];
    BYTE* image = new (std::nothrow) BYTE[(size_t)g_core->OutputWidth() * g_core->OutputHeight() * 3];
    if (!raw || !image) {
        result = -2;
    } else {
        std::memcpy(raw, g_display, frame);
        result = WriteStills(base, flags, quality, raw, image);
    }
    delete[] raw;
    delete[] image;
    // The threads run again even when they did not before; a camera never
    // played would give them no frames, and no stop could end them.
    StartThreads();
    g_core->Usb().Stream(3);
    return result;
}

int __cdecl CameraGetMultiCameraNumber(BYTE* count, BYTE* resolution)
{
    // A probe of its own: a camera already opened by CameraInit stays as it is.
    CCameraCore* probe = new (std::nothrow) CCameraCore;
    if (!probe) return -1;
    if (count) *count = (BYTE)probe->Usb().Count();
    if (resolution) *resolution = (BYTE)probe->resolution;
    delete probe;
    return 1;
}

int __cdecl CameraEnableDeadPixelCorrection()
{
    return WithCore([&](CCameraCore& core) -> int {
        if (core.Mode() == 0) CameraWriteLotDate();
        core.RequestDefectDetection();
        return 1;
    });
}

int __cdecl CameraWriteLotDate()
{
    return WithCore([&](CCameraCore& core) -> int {
        SYSTEMTIME t;
        GetLocalTime(&t);
        const WORD word = (WORD)((t.wYear - 2009) * 512 + t.wMonth * 32 + t.wDay);
        core.Usb().WriteLotWord(word);
        WORD back = 0;
        core.Usb().ReadLotWord(&back);
        return 1;
    });
}

int __cdecl CameraReadBN(WORD* year, BYTE* month, BYTE* day)
{
    return WithCore([&](CCameraCore& core) -> int {
        WORD word = 0;
        if (!core.Usb().ReadLotWord(&word)) return 0;
        const int m = (word >> 5) & 15;
        if (year) *year = (WORD)(word / 512 + 2009);
        if (month) *month = (BYTE)m;
        if (day) *day = (BYTE)(word & 31);
        return m == 15 ? 0 : 1;
    });
}

int __cdecl CameraReadGpio(BYTE* value)
{
    return WithCore([&](CCameraCore& core) -> int {
        const int r = core.Usb().ReadGpio();
        if (r < 0) return -1;
        if (value) *value = (BYTE)r;
        return 1;
    });
}

int __cdecl CameraWriteGpio(BYTE value)
{
    return WithCore([&](CCameraCore& core) -> int {
        return core.Usb().WriteGpio(value) < 0 ? 0 : 1;
    });
}

int __cdecl CameraSetGpio(BYTE value)
{
    return WithCore([&](CCameraCore& core) -> int {
        core.Usb().SetGpio(value);
        return 1;
    });
}

int __cdecl CameraReadParameter(BYTE team)
{
    return WithCore([&](CCameraCore& core) -> int {
        return core.LoadTeam(team);
    });
}

int __cdecl CameraSaveParameter(BYTE team)
{
    return WithCore([&](CCameraCore& core) -> int {
        return core.SaveTeam(team);
    });
}

int __cdecl CameraLoadDefault()
{
    return WithCore([&](CCameraCore& core) -> int {
        core.LoadDefaults();
        return 1;
    });
}

int __cdecl CameraGetCurrentParameterTeam(BYTE* team)
{
    return WithCore([&](CCameraCore& core) -> int {
        *team = (BYTE)core.team;
        return 1;
    });
}

int __cdecl CameraSetAWBState(int on)
{
    if (!WithCore([&](CCameraCore& core) -> int {
            core.wbRequest = on ? 1 : 0;
            return 1;
        }))
        return 0;
    // The display thread balances the next frame.
    Sleep(200);
    return 1;
}

int __cdecl CameraGetAWBState(int* on)
{
    return WithCore([&](CCameraCore& core) -> int {
        *on = core.wbRequest;
        return 1;
    });
}

int __cdecl CameraSetAeState(int on)
{
    return WithCore([&](CCameraCore& core) -> int {
        core.aeOn = on ? 1 : 0;
        return 1;
    });
}

int __cdecl CameraGetAeState(int* on)
{
    return WithCore([&](CCameraCore& core) -> int {
        *on = core.aeOn;
        return 1;
    });
}

int __cdecl CameraSetAeTarget(BYTE target)
{
    return WithCore([&](CCameraCore& core) -> int {
        core.aeTarget = target;
        return 1;
    });
}

int __cdecl CameraGetAeTarget(BYTE* target)
{
    return WithCore([&](CCameraCore& core) -> int {
        *target = (BYTE)core.aeTarget;
        return 1;
    });
}

int __cdecl CameraSetAnalogGain(WORD gain)
{
    return WithCore([&](CCameraCore& core) -> int {
        core.SetAnalogGain(gain);
        return 1;
    });
}

int __cdecl CameraGetAnalogGain(WORD* gain)
{
    return WithCore([&](CCameraCore& core) -> int {
        *gain = (WORD)core.analogGain;
        return 1;
    });
}

int __cdecl CameraSetB2RGBMode(BYTE mode)
{
    return WithCore([&](CCameraCore& core) -> int {
        core.b2rgb = mode;
        return 1;
    });
}

int __cdecl CameraGetB2RGBMode(BYTE* mode)
{
    return WithCore([&](CCameraCore& core) -> int {
        *mode = (BYTE)core.b2rgb;
        return 1;
    });
}

int __cdecl CameraSetColorEnhancement(int on)
{
    return WithCore([&](CCameraCore& core) -> int {
        core.colorOn = on ? 1 : 0;
        return 1;
    });
}

int __cdecl CameraGetColorEnhancement(int* on)
{
    return WithCore([&](CCameraCore& core) -> int {
        *on = core.colorOn;
        return 1;
    });
}

int __cdecl CameraSetContrast(BYTE contrast)
{
    return WithCore([&](CCameraCore& core) -> int {
        core.SetContrast(contrast);
        return 1;
    });
}

int __cdecl CameraGetContrast(BYTE* contrast)
{
    return WithCore([&](CCameraCore& core) -> int {
        *contrast = (BYTE)core.contrast;
        return 1;
    });
}

int __cdecl CameraSetExposureTime(int rows)
{
    return WithCore([&](CCameraCore& core) -> int {
        core.SetExposure(rows);
        return 1;
    });
}

int __cdecl CameraGetExposureTime(int* rows)
{
    return WithCore([&](CCameraCore& core) -> int {
        *rows = core.exposure;
        return 1;
    });
}

int __cdecl CameraGetMaxExposureTime(WORD* rows)
{
    return WithCore([&](CCameraCore& core) -> int {
        *rows = (WORD)core.maxExposure;
        return 1;
    });
}

int __cdecl CameraSetFrameSpeed(BYTE fast)
{
    return WithCore([&](CCameraCore& core) -> int {
        core.SetFrameSpeed(fast);
        return 1;
    });
}

int __cdecl CameraGetFrameSpeed(BYTE* fast)
{
    return WithCore([&](CCameraCore& core) -> int {
        *fast = (BYTE)core.frameSpeed;
        return 1;
    });
}

int __cdecl CameraSetGain(WORD r, WORD g, WORD b)
{
    return WithCore([&](CCameraCore& core) -> int {
        core.SetGains(r, g, b);
        return 1;
    });
}

int __cdecl CameraGetGain(int* r, int* g, int* b)
{
    return WithCore([&](CCameraCore& core) -> int {
        *r = core.gainR;
        *g = core.gainG;
        *b = core.gainB;
        return 1;
    });
}

int __cdecl CameraSetGamma(BYTE gamma)
{
    return WithCore([&](CCameraCore& core) -> int {
        core.SetGamma(gamma);
        return 1;
    });
}

int __cdecl CameraGetGamma(BYTE* gamma)
{
    return WithCore([&](CCameraCore& core) -> int {
        *gamma = (BYTE)core.gamma;
        return 1;
    });
}

int __cdecl CameraGetImageSize(int* width, int* height)
{
    return WithCore([&](CCameraCore& core) -> int {
        *width = core.OutputWidth();
        *height = core.OutputHeight();
        return 1;
    });
}

int __cdecl CameraSetLightFrquency(BYTE frequency)
{
    return WithCore([&](CCameraCore& core) -> int {
        core.SetLightFrequency(frequency);
        return 1;
    });
}

int __cdecl CameraGetLightFrquency(BYTE* frequency)
{
    return WithCore([&](CCameraCore& core) -> int {
        *frequency = (BYTE)core.lightFrequency;
        return 1;
    });
}

int __cdecl CameraSetMirror(int direction, int on)
{
    return WithCore([&](CCameraCore& core) -> int {
        if (direction == 0) core.hflip = on ? 1 : 0;
        else if (direction == 1) core.vflip = on ? 1 : 0;
        else return -4;
        return 1;
    });
}

int __cdecl CameraGetMirror(int direction, int* on)
{
    return WithCore([&](CCameraCore& core) -> int {
        if (direction == 0) *on = core.hflip;
        else if (direction == 1) *on = core.vflip;
        else return -4;
        return 1;
    });
}

int __cdecl CameraSetMonochrome(int on)
{
    return WithCore([&](CCameraCore& core) -> int {
        core.mono = on ? 1 : 0;
        return -4;
    });
}

int __cdecl CameraGetMonochrome(int* on)
{
    return WithCore([&](CCameraCore& core) -> int {
        *on = core.mono;
        return -4;
    });
}

int __cdecl CameraSetROI(short x, short y, short w, short h)
{
    g_region[0] = x;
    g_region[1] = y;
    g_region[2] = w;
    g_region[3] = h;
    return 1;
}

int __cdecl CameraGetROI(short* x, short* y, short* w, short* h)
{
    return WithCore([&](CCameraCore& core) -> int {
        const HestralRect r = core.Region();
        g_region[0] = *x = (short)r.x;
        g_region[1] = *y = (short)r.y;
        g_region[2] = *w = (short)r.w;
        g_region[3] = *h = (short)r.h;
        return 1;
    });
}

int __cdecl CameraGetRowTime(int* us)
{
    return WithCore([&](CCameraCore& core) -> int {
        *us = core.rowTime;
        return 1;
    });
}

int __cdecl CameraSetSaturation(BYTE saturation)
{
    return WithCore([&](CCameraCore& core) -> int {
        core.saturation = saturation;
        core.BuildColorMatrix();
        return 1;
    });
}

int __cdecl CameraGetSaturation(BYTE* saturation)
{
    return WithCore([&](CCameraCore& core) -> int {
        *saturation = (BYTE)core.saturation;
        return 1;
    });
}

int __cdecl CameraGetSnapMode(BYTE* mode)
{
    if (mode) *mode = 0;
    return 1;
}

int __cdecl CameraSetSnapMode(int)
{
    return -4;
}

int __cdecl CameraSetVideoMessage(UINT message)
{
    g_videoMessage = message;
    return 1;
}

int __cdecl CameraSetWBWindow(WORD x, WORD y, WORD w, WORD h)
{
    return WithCore([&](CCameraCore& core) -> int {
        return core.SetWbWindow(x, y, w, h) ? 1 : 0;
    });
}

int __cdecl CameraSetDisplayWindow(WORD x, WORD y, WORD w, WORD h)
{
    return WithCore([&](CCameraCore& core) -> int {
        return core.SetDisplayRect(x, y, w, h) ? 1 : 0;
    });
}
