// The Pellix_ exports: argument checks in the documented order, then the camera.
#include "Marrowin.h"
#include "PellixCamera.h"

namespace {

// One lock around the interface, so an adjust panel's worker, the
// user-interface thread and still capture may call at the same time. The
// acquisition thread never enters here: it keeps its own lock. Recursive,
// so an entry may call another.
class CInterfaceLock {
public:
    CInterfaceLock() { EnterCriticalSection(Section()); }
    ~CInterfaceLock() { LeaveCriticalSection(Section()); }
    CInterfaceLock(const CInterfaceLock &) = delete;
    CInterfaceLock &operator=(const CInterfaceLock &) = delete;
private:
    static CRITICAL_SECTION *Section()
    {
        struct Holder {
            CRITICAL_SECTION cs;
            Holder() { InitializeCriticalSection(&cs); }
        };
        static Holder holder;
        return &holder.cs;
    }
};

// Runs f on the camera once the library is initialised, without the
// interface lock; nothing is thrown across the interface.
template <typename F> int CallUnlocked(F f)
{
    CPellixCamera &cam = CPellixCamera::Instance();
    if (!cam.Initialised())
        return PELLIX_E_NOT_INITIALIZED;
    try {
        return f(cam);
    } catch (...) {
        return PELLIX_E_MEMORY;
    }
}

template <typename F> int Call(F f)
{
    CInterfaceLock lock;
    return CallUnlocked(f);
}

int GetProperty(float *value, float *min, float *max, int (CPellixCamera::*get)(float *, float *, float *))
{
    return Call([&](CPellixCamera &cam) { return value ? (cam.*get)(value, min, max) : PELLIX_E_ARGUMENT; });
}

int GetGain(PellixGain gain, float *value, float *min, float *max)
{
    return Call([&](CPellixCamera &cam) { return value ? cam.GetColourGain(gain, value, min, max) : PELLIX_E_ARGUMENT; });
}

int SetGain(PellixGain gain, const float *value)
{
    return Call([&](CPellixCamera &cam) { return value ? cam.SetColourGain(gain, *value) : PELLIX_E_ARGUMENT; });
}

} // namespace

extern "C" {

int WINAPI Pellix_Initialize(void)
{
    CInterfaceLock lock;
    try {
        return CPellixCamera::Instance().Initialize();
    } catch (...) {
        return PELLIX_E_MEMORY;
    }
}

int WINAPI Pellix_Uninitialize(void)
{
    return Call([](CPellixCamera &cam) { return cam.Uninitialize(); });
}

int WINAPI Pellix_SetFrameFormat(const PellixFrameFormat *format)
{
    return Call([&](CPellixCamera &cam) { return format ? cam.SetFrameFormat(*format) : PELLIX_E_ARGUMENT; });
}

int WINAPI Pellix_GetFrameFormat(PellixFrameFormat *current, PellixFrameFormat *min, PellixFrameFormat *max)
{
    return Call([&](CPellixCamera &cam) { return current ? cam.GetFrameFormat(current, min, max) : PELLIX_E_ARGUMENT; });
}

int WINAPI Pellix_GetFrameRate(float *fps)
{
    return Call([&](CPellixCamera &cam) { return fps ? cam.GetFrameRate(fps) : PELLIX_E_ARGUMENT; });
}

int WINAPI Pellix_GetImageFlip(int *horizontal, int *vertical)
{
    return Call([&](CPellixCamera &cam) { return cam.GetImageFlip(horizontal, vertical); });
}

int WINAPI Pellix_SetImageFlip(int *horizontal, int *vertical)
{
    return Call([&](CPellixCamera &cam) { return cam.SetImageFlip(horizontal, vertical); });
}

int WINAPI Pellix_GetCameraID(int *id, int *a, int *b)
{
    return Call([&](CPellixCamera &cam) { return id && a && b ? cam.GetCameraID(id, a, b) : PELLIX_E_ARGUMENT; });
}

int WINAPI Pellix_GetBitmap(BITMAPINFOHEADER *header, BYTE *pixels)
{
    // The frame copy has its own lock: the preview keeps running while a
    // long call (auto exposure, several seconds) holds the interface.
    return CallUnlocked([&](CPellixCamera &cam) { return cam.GetBitmap(header, pixels); });
}

int WINAPI Pellix_GetExposureTime(float *ms, float *min, float *max)
{
    return Call([&](CPellixCamera &cam) {
        if (!ms)
            return PELLIX_E_ARGUMENT;
        double v, lo, hi;
        const int rc = cam.GetExposure(&v, &lo, &hi);
        if (rc == 0) {
            *ms = float(v);
            if (min)
                *min = float(lo);
            if (max)
                *max = float(hi);
        }
        return rc;
    });
}

int WINAPI Pellix_SetExposureTime(float *ms)
{
    return Call([&](CPellixCamera &cam) { return ms ? cam.SetExposure(*ms) : PELLIX_E_ARGUMENT; });
}

int WINAPI Pellix_GetGlobalGain(float *value, float *min, float *max)
{
    return GetProperty(value, min, max, &CPellixCamera::GetGlobalGain);
}

int WINAPI Pellix_SetGlobalGain(float *value)
{
    return Call([&](CPellixCamera &cam) { return value ? cam.SetGlobalGain(*value) : PELLIX_E_ARGUMENT; });
}

int WINAPI Pellix_GetGreenGain(float *value, float *min, float *max) { return GetGain(PellixGain::Green, value, min, max); }
int WINAPI Pellix_GetBlueGain(float *value, float *min, float *max) { return GetGain(PellixGain::Blue, value, min, max); }
int WINAPI Pellix_GetRedGain(float *value, float *min, float *max) { return GetGain(PellixGain::Red, value, min, max); }

int WINAPI Pellix_SetGreenGain(float *value)
{
    const int rc = SetGain(PellixGain::Green, value);
    return rc == 0 ? SetGain(PellixGain::Green2, value) : rc;
}

int WINAPI Pellix_SetBlueGain(float *value) { return SetGain(PellixGain::Blue, value); }
int WINAPI Pellix_SetRedGain(float *value) { return SetGain(PellixGain::Red, value); }

int WINAPI Pellix_GetSaturation(float *value, float *min, float *max)
{
    return GetProperty(value, min, max, &CPellixCamera::GetSaturation);
}

int WINAPI Pellix_SetSaturation(float *value)
{
    return Call([&](CPellixCamera &cam) { return value ? cam.SetSaturation(*value) : PELLIX_E_ARGUMENT; });
}

int WINAPI Pellix_GetKelvin(float *kelvin, float *min, float *max)
{
    return GetProperty(kelvin, min, max, &CPellixCamera::GetKelvin);
}

int WINAPI Pellix_SetKelvin(float *kelvin)
{
    return Call([&](CPellixCamera &cam) { return kelvin ? cam.SetKelvin(*kelvin) : PELLIX_E_ARGUMENT; });
}

int WINAPI Pellix_GetGamma(float *value, float *min, float *max)
{
    return GetProperty(value, min, max, &CPellixCamera::GetGamma);
}

int WINAPI Pellix_SetGamma(float *value)
{
    return Call([&](CPellixCamera &cam) { return value ? cam.SetGamma(*value) : PELLIX_E_ARGUMENT; });
}

int WINAPI Pellix_LUT(float xa, float ya, float xb, float yb)
{
    return Call([&](CPellixCamera &cam) { return cam.SetCurve(xa, ya, xb, yb); });
}

int WINAPI Pellix_AutoExposure(int target, RECT *area)
{
    return Call([&](CPellixCamera &cam) { return cam.AutoExposure(target, area); });
}

int WINAPI Pellix_WhiteBalance(RECT *area)
{
    return Call([&](CPellixCamera &cam) { return cam.WhiteBalance(area); });
}

int WINAPI Pellix_GetHistogram(int *bins, int *bytes)
{
    return Call([&](CPellixCamera &cam) { return cam.GetHistogram(bins, bytes); });
}

int WINAPI Pellix_FFC_Memory(int *bytes)
{
    return Call([&](CPellixCamera &cam) { return bytes ? cam.FlatFieldMemory(bytes) : PELLIX_E_ARGUMENT; });
}

int WINAPI Pellix_FFC_Create(double *model)
{
    return Call([&](CPellixCamera &cam) { return cam.FlatFieldCreate(model); });
}

int WINAPI Pellix_FFC_Import(double *model)
{
    return Call([&](CPellixCamera &cam) { return model ? cam.FlatFieldImport(model) : PELLIX_E_ARGUMENT; });
}

int WINAPI Pellix_FFC_Set(int *on)
{
    return Call([&](CPellixCamera &cam) { return on ? cam.FlatFieldSet(*on) : PELLIX_E_ARGUMENT; });
}

int WINAPI Pellix_FFC_Get(int *on)
{
    return Call([&](CPellixCamera &cam) { return on ? cam.FlatFieldGet(on) : PELLIX_E_ARGUMENT; });
}

} // extern "C"
