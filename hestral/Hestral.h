// Hestral: one USB camera of the first SDK family through the Zentu kernel
// driver. Plain C functions (C calling convention), ordinals in the
// alphabetical order of the names; one camera per process.
#pragma once
#include <windows.h>

#ifdef HESTRAL_BUILD
#define HESTRAL_API extern "C" // exported through Hestral.def
#else
#define HESTRAL_API extern "C" __declspec(dllimport)
#endif

// Called on the display thread with each processed frame, rows top-down,
// bytes blue, green, red.
typedef void(__stdcall* CameraFrameProc)(BYTE* bgr);

enum {
    CAMERA_OK = 1,
    CAMERA_NONE = 0,          // no camera core, already in that state, or failed
    CAMERA_MISSING = -1,      // camera missing or initialisation failed
    CAMERA_NO_MEMORY = -2,
    CAMERA_UNSUPPORTED = -4,
    CAMERA_FILE_FAILED = -6,  // file cannot be created
};

// CameraCaptureFile flags.
enum { CAMERA_FILE_JPEG = 1, CAMERA_FILE_BMP = 2, CAMERA_FILE_RAW = 4 };

HESTRAL_API int __cdecl CameraCaptureFile(const char* base, int flags, BYTE quality, int mode);
HESTRAL_API int __cdecl CameraCaptureToBuf(BYTE* dst, int kind);
HESTRAL_API int __cdecl CameraEnableDeadPixelCorrection();
HESTRAL_API int __cdecl CameraGetAWBState(int* on);
HESTRAL_API int __cdecl CameraGetAeState(int* on);
HESTRAL_API int __cdecl CameraGetAeTarget(BYTE* target);
HESTRAL_API int __cdecl CameraGetAnalogGain(WORD* gain);
HESTRAL_API int __cdecl CameraGetB2RGBMode(BYTE* mode);
HESTRAL_API int __cdecl CameraGetColorEnhancement(int* on);
HESTRAL_API int __cdecl CameraGetContrast(BYTE* contrast);
HESTRAL_API int __cdecl CameraGetCurrentParameterTeam(BYTE* team);
HESTRAL_API int __cdecl CameraGetExposureTime(int* rows);
HESTRAL_API int __cdecl CameraGetFrameSpeed(BYTE* fast);
HESTRAL_API int __cdecl CameraGetGain(int* r, int* g, int* b);
HESTRAL_API int __cdecl CameraGetGamma(BYTE* gamma);
HESTRAL_API int __cdecl CameraGetImageSize(int* width, int* height);
HESTRAL_API int __cdecl CameraGetLightFrquency(BYTE* frequency);
HESTRAL_API int __cdecl CameraGetMaxExposureTime(WORD* rows);
HESTRAL_API int __cdecl CameraGetMirror(int direction, int* on);
HESTRAL_API int __cdecl CameraGetMonochrome(int* on);
HESTRAL_API int __cdecl CameraGetMultiCameraNumber(BYTE* count, BYTE* resolution);
HESTRAL_API int __cdecl CameraGetROI(short* x, short* y, short* w, short* h);
HESTRAL_API int __cdecl CameraGetRowTime(int* us);
HESTRAL_API int __cdecl CameraGetSaturation(BYTE* saturation);
HESTRAL_API int __cdecl CameraGetSnapMode(BYTE* mode);
// Repairs the listed dead pixels of the raw frame in place.
HESTRAL_API int __cdecl CameraImageProcess(BYTE* raw, BYTE* bgr);
HESTRAL_API int __cdecl CameraInit(CameraFrameProc callback, int mode, HWND display, int device, HWND notify);
HESTRAL_API int __cdecl CameraLoadDefault();
HESTRAL_API int __cdecl CameraPlay();
HESTRAL_API int __cdecl CameraReadBN(WORD* year, BYTE* month, BYTE* day);
HESTRAL_API int __cdecl CameraReadGpio(BYTE* value);
HESTRAL_API int __cdecl CameraReadParameter(BYTE team);
HESTRAL_API int __cdecl CameraSaveCurrentImage(const char* base, int flags, BYTE quality);
HESTRAL_API int __cdecl CameraSaveParameter(BYTE team);
HESTRAL_API int __cdecl CameraSetAWBState(int on);
HESTRAL_API int __cdecl CameraSetAeState(int on);
HESTRAL_API int __cdecl CameraSetAeTarget(BYTE target);
HESTRAL_API int __cdecl CameraSetAnalogGain(WORD gain);
HESTRAL_API int __cdecl CameraSetB2RGBMode(BYTE mode);
HESTRAL_API int __cdecl CameraSetColorEnhancement(int on);
HESTRAL_API int __cdecl CameraSetContrast(BYTE contrast);
HESTRAL_API int __cdecl CameraSetDisplayWindow(WORD x, WORD y, WORD w, WORD h);
HESTRAL_API int __cdecl CameraSetExposureTime(int rows);
HESTRAL_API int __cdecl CameraSetFrameSpeed(BYTE fast);
HESTRAL_API int __cdecl CameraSetGain(WORD r, WORD g, WORD b);
HESTRAL_API int __cdecl CameraSetGamma(BYTE gamma);
HESTRAL_API int __cdecl CameraSetGpio(BYTE value);
HESTRAL_API int __cdecl CameraSetLightFrquency(BYTE frequency);
HESTRAL_API int __cdecl CameraSetMirror(int direction, int on);
HESTRAL_API int __cdecl CameraSetMonochrome(int on);
HESTRAL_API int __cdecl CameraSetROI(short x, short y, short w, short h);
HESTRAL_API int __cdecl CameraSetSaturation(BYTE saturation);
HESTRAL_API int __cdecl CameraSetSnapMode(int mode);
HESTRAL_API int __cdecl CameraSetVideoMessage(UINT message);
HESTRAL_API int __cdecl CameraSetWBWindow(WORD x, WORD y, WORD w, WORD h);
HESTRAL_API int __cdecl CameraSnap(BYTE* dst, int kind);
HESTRAL_API int __cdecl CameraStop();
HESTRAL_API int __cdecl CameraUnInit();
HESTRAL_API int __cdecl CameraWriteGpio(BYTE value);
HESTRAL_API int __cdecl CameraWriteLotDate();
