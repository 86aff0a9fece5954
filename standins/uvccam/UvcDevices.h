// The simulated UVC cameras: the camera models by friendly name, and the
// state of every device, shared by the capture filter and the UVC property
// library through one named section, so that what one of them sets shows in
// the frames of the other.
#pragma once

#include <windows.h>
#include <strmif.h>

enum { UVC_MAX_DEVICES = 16, UVC_NAME_CHARS = 64, UVC_PROCAMP_COUNT = 10, UVC_CAMCONTROL_COUNT = 7 };

struct UvcFrameSize {
    LONG width;
    LONG height;
};

// What a camera of one name offers. Names the table does not know get the
// full size list.
struct UvcModel {
    const UvcFrameSize* sizes;  // ascending; the first is the size at power-on
    int sizeCount;
    bool library;               // served by the UVC property library too
};
const UvcModel& UvcModelFor(LPCWSTR name);

// One property: range, step, default and whether it has an automatic mode.
// A property with min > max is not supported.
struct UvcRange {
    LONG min, max, step, def;
    bool hasAuto;
};
const UvcRange& UvcProcAmpRange(long property);    // VideoProcAmp_Brightness ...
const UvcRange& UvcCameraControlRange(long property);  // CameraControl_Pan ...

// Values are plain LONGs, each written whole, so readers on other threads
// never see half a value; `version` grows with every change so a frame
// source can tell when its tables are stale.
struct UvcDeviceState {
    WCHAR name[UVC_NAME_CHARS];
    LONG procAmp[UVC_PROCAMP_COUNT];
    LONG procAmpFlags[UVC_PROCAMP_COUNT];          // 1 automatic, 2 manual
    LONG cameraControl[UVC_CAMCONTROL_COUNT];
    LONG cameraControlFlags[UVC_CAMCONTROL_COUNT];
    LONG flipMode;                                 // VideoControlFlag_FlipHorizontal | _FlipVertical
    LONG dspGain[3];                               // red, green, blue, 0..255
    LONG autoWhiteBalance;                         // 0 or 1
    LONG frameCounter;                             // frames the device has produced
    LONG version;
};

// The device of that name, made with its power-on values when it is new;
// null when the table is full. The section lives as long as one process of
// the session holds it.
UvcDeviceState* UvcDevice(LPCWSTR name);
// Power-on values for every device (a new set of cameras was installed).
void UvcResetDevices();
void UvcTouch(UvcDeviceState* device);

// The installed device names, in installation order (the order the system
// device enumerator lists them in). Kept under HKCU so every process of the
// prefix sees one list.
int UvcInstalledNames(WCHAR (*names)[UVC_NAME_CHARS], int max, bool* listed = nullptr);
bool UvcStoreInstalledNames(LPCWSTR multiSz);

// The index of the device the UVC property library attached, -1 for none.
LONG UvcAttachedIndex();
void UvcSetAttachedIndex(LONG index);
