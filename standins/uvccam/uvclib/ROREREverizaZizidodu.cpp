// The stand-in of the UVC property library over the simulated cameras: it
// serves the installed cameras of the models it drives, and what it sets
// lands in the shared device state, so it shows in the frames of the
// DirectShow device of the same name.
#include "ROREREverizaZizidodu.h"

#include "UvcDevices.h"
#include "UvcScene.h"

#include <strmif.h>

#include <cstdarg>
#include <cstdio>

namespace {

// One line per call into the file that VELTRANE_UVCLIB_LOG names, so tests
// of the callers can see what reached the camera and in which order.
void Log(const char* format, ...)
{
    char path[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("VELTRANE_UVCLIB_LOG", path, sizeof(path));
    if (n == 0 || n >= sizeof(path))
        return;
    FILE* f = fopen(path, "a");
    if (!f)
        return;
    va_list args;
    va_start(args, format);
    vfprintf(f, format, args);
    va_end(args);
    fputc('\n', f);
    fclose(f);
}

// The installed cameras this library drives, in installation order.
int LibraryDevices(WCHAR (*names)[UVC_NAME_CHARS])
{
    WCHAR all[UVC_MAX_DEVICES][UVC_NAME_CHARS];
    const int count = UvcInstalledNames(all, UVC_MAX_DEVICES);
    int n = 0;
    for (int i = 0; i < count; ++i) {
        if (UvcModelFor(all[i]).library)
            lstrcpynW(names[n++], all[i], UVC_NAME_CHARS);
    }
    return n;
}

UvcDeviceState* Attached()
{
    const LONG index = UvcAttachedIndex();
    WCHAR names[UVC_MAX_DEVICES][UVC_NAME_CHARS];
    if (index < 0 || index >= LibraryDevices(names))
        return nullptr;
    return UvcDevice(names[index]);
}

int SetFlip(long flag, int on)
{
    UvcDeviceState* d = Attached();
    if (!d)
        return 0;
    LONG mode = d->flipMode;
    mode = on ? (mode | flag) : (mode & ~flag);
    InterlockedExchange(&d->flipMode, mode);
    UvcTouch(d);
    return 1;
}

int SetGain(int channel, int gain)
{
    UvcDeviceState* d = Attached();
    if (!d || gain < 0 || gain > 255)
        return 0;
    InterlockedExchange(&d->dspGain[channel], gain);
    UvcTouch(d);
    return 1;
}

int GetGain(int channel, int* gain)
{
    UvcDeviceState* d = Attached();
    if (!d || !gain)
        return 0;
    *gain = d->dspGain[channel];
    return 1;
}

}  // namespace

int UVCAPI DetachUVCDeviceALL(void)
{
    Log("DetachUVCDeviceALL");
    UvcSetAttachedIndex(-1);
    return 1;
}

int UVCAPI GetVMCUVCDevCount(void)
{
    Log("GetVMCUVCDevCount");
    WCHAR names[UVC_MAX_DEVICES][UVC_NAME_CHARS];
    return LibraryDevices(names);
}

int UVCAPI GetDevFriendlyNameByIndex(int index, char* name, int size)
{
    Log("GetDevFriendlyNameByIndex %d %d", index, size);
    WCHAR names[UVC_MAX_DEVICES][UVC_NAME_CHARS];
    if (!name || size <= 0)
        return 0;
    name[0] = 0;
    if (index < 0 || index >= LibraryDevices(names))
        return 0;
    char narrow[UVC_NAME_CHARS * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, names[index], -1, narrow, sizeof(narrow) - 1, nullptr, nullptr);
    lstrcpynA(name, narrow, size);
    return 1;
}

int UVCAPI AttachUVCDeviceByIndex(int index)
{
    Log("AttachUVCDeviceByIndex %d", index);
    WCHAR names[UVC_MAX_DEVICES][UVC_NAME_CHARS];
    if (index < 0 || index >= LibraryDevices(names) || !UvcDevice(names[index]))
        return 0;
    UvcSetAttachedIndex(index);
    return 1;
}

int UVCAPI SetImageMirrorStatus(int on)
{
    Log("SetImageMirrorStatus %d", on);
    return SetFlip(VideoControlFlag_FlipHorizontal, on);
}

int UVCAPI SetImageVerticalStatus(int on)
{
    Log("SetImageVerticalStatus %d", on);
    return SetFlip(VideoControlFlag_FlipVertical, on);
}

int UVCAPI SetDSP_RedGainValue(int gain)
{
    Log("SetDSP_RedGainValue %d", gain);
    return SetGain(0, gain);
}

int UVCAPI SetDSP_GreenGainValue(int gain)
{
    Log("SetDSP_GreenGainValue %d", gain);
    return SetGain(1, gain);
}

int UVCAPI SetDSP_BlueGainValue(int gain)
{
    Log("SetDSP_BlueGainValue %d", gain);
    return SetGain(2, gain);
}

int UVCAPI GetDSP_RedGainValue(int* gain)
{
    Log("GetDSP_RedGainValue");
    return GetGain(0, gain);
}

int UVCAPI GetDSP_GreenGainValue(int* gain)
{
    Log("GetDSP_GreenGainValue");
    return GetGain(1, gain);
}

int UVCAPI GetDSP_BlueGainValue(int* gain)
{
    Log("GetDSP_BlueGainValue");
    return GetGain(2, gain);
}

int UVCAPI SetAutoWhiteBalanceStatus(int on)
{
    Log("SetAutoWhiteBalanceStatus %d", on);
    UvcDeviceState* d = Attached();
    if (!d)
        return 0;
    InterlockedExchange(&d->autoWhiteBalance, on ? 1 : 0);
    UvcTouch(d);
    return 1;
}

int UVCAPI GetAutoWhiteBalanceStatus(BYTE* on)
{
    Log("GetAutoWhiteBalanceStatus");
    UvcDeviceState* d = Attached();
    if (!d || !on)
        return 0;
    *on = d->autoWhiteBalance ? 1 : 0;
    return 1;
}

int UVCAPI GetImage_GetRGBBuffer(int width, int height, BYTE* buf, int bufSize, int* length)
{
    Log("GetImage_GetRGBBuffer %d %d %s %d", width, height, buf ? "buffer" : "null", bufSize);
    // Larger than any sensor, and small enough that the length fits an int.
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192)
        return 0;
    const int stride = (width * 24 + 31) / 32 * 4;
    const int bytes = stride * height;
    if (length)
        *length = bytes;
    if (!buf)
        return length ? 1 : 0;
    UvcDeviceState* d = Attached();
    if (!d || bufSize < bytes)
        return 0;
    CUvcScene scene;
    const UvcDeviceState snapshot = *d;
    scene.Render(snapshot, snapshot.frameCounter, width, height, buf, stride);
    return 1;
}
