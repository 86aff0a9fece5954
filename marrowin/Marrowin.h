// Marrowin camera SDK: the Pellix_ functions of Marrowin.dll.
//
// One camera per process. Every function returns 0 or one of the PELLIX_E_
// codes; property values pass as 32-bit floats through pointers. The exports
// are standard-call under their decorated names (_Pellix_SetExposureTime@4),
// ordinals 1 to 34 in name order. The library holds the "EzUsbApi" mutex on
// a thread of its own, so Pellix_Initialize and Pellix_Uninitialize may be
// called from different threads.
#ifndef MARROWIN_H
#define MARROWIN_H

#include <windows.h>

#define PELLIX_E_FAILED         ((int)0x80000001) // device or thread failure, or not running
#define PELLIX_E_NOT_INITIALIZED ((int)0x80000002)
#define PELLIX_E_ARGUMENT       ((int)0x80000003) // null pointer or a frame-format alignment rule
#define PELLIX_E_BUSY           ((int)0x80000005) // already initialised, or another process holds the camera
#define PELLIX_E_NO_DEVICE      ((int)0x80000006)
#define PELLIX_E_SENSOR         ((int)0x80000008) // unsupported chip version
#define PELLIX_E_MEMORY         ((int)0x80000009)
#define PELLIX_E_TRANSFER       ((int)0x8000000B)
#define PELLIX_E_RANGE          ((int)0x8000000C)
#define PELLIX_E_NOT_WRITABLE   ((int)0x8000000D)
#define PELLIX_E_TIMEOUT        ((int)0x8000000F)

#pragma pack(push, 1)
// The sensor window: start and size in sensor pixels, then skip and bin.
// The delivered frame is (width / columnSkip) x (height / rowSkip) pixels.
struct PellixFrameFormat {
    WORD columnStart;
    WORD rowStart;
    WORD width;
    WORD height;
    BYTE columnSkip; // 1..8
    BYTE columnBin;  // 1..4
    BYTE rowSkip;    // 1..8
    BYTE rowBin;     // 1..4
};
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(PellixFrameFormat) == 12, "PellixFrameFormat is a 12-byte device record");
extern "C" {
#endif

int WINAPI Pellix_AutoExposure(int target, RECT *area);
int WINAPI Pellix_FFC_Create(double *model);
int WINAPI Pellix_FFC_Get(int *on);
int WINAPI Pellix_FFC_Import(double *model);
int WINAPI Pellix_FFC_Memory(int *bytes);
int WINAPI Pellix_FFC_Set(int *on);
int WINAPI Pellix_GetBitmap(BITMAPINFOHEADER *header, BYTE *pixels);
int WINAPI Pellix_GetBlueGain(float *value, float *min, float *max);
int WINAPI Pellix_GetCameraID(int *id, int *a, int *b);
int WINAPI Pellix_GetExposureTime(float *ms, float *min, float *max);
int WINAPI Pellix_GetFrameFormat(PellixFrameFormat *current, PellixFrameFormat *min, PellixFrameFormat *max);
int WINAPI Pellix_GetFrameRate(float *fps);
int WINAPI Pellix_GetGamma(float *value, float *min, float *max);
int WINAPI Pellix_GetGlobalGain(float *value, float *min, float *max);
int WINAPI Pellix_GetGreenGain(float *value, float *min, float *max);
int WINAPI Pellix_GetHistogram(int *bins, int *bytes);
int WINAPI Pellix_GetImageFlip(int *horizontal, int *vertical);
int WINAPI Pellix_GetKelvin(float *kelvin, float *min, float *max);
int WINAPI Pellix_GetRedGain(float *value, float *min, float *max);
int WINAPI Pellix_GetSaturation(float *value, float *min, float *max);
int WINAPI Pellix_Initialize(void);
int WINAPI Pellix_LUT(float xa, float ya, float xb, float yb);
int WINAPI Pellix_SetBlueGain(float *value);
int WINAPI Pellix_SetExposureTime(float *ms);
int WINAPI Pellix_SetFrameFormat(const PellixFrameFormat *format);
int WINAPI Pellix_SetGamma(float *value);
int WINAPI Pellix_SetGlobalGain(float *value);
int WINAPI Pellix_SetGreenGain(float *value);
int WINAPI Pellix_SetImageFlip(int *horizontal, int *vertical);
int WINAPI Pellix_SetKelvin(float *kelvin);
int WINAPI Pellix_SetRedGain(float *value);
int WINAPI Pellix_SetSaturation(float *value);
int WINAPI Pellix_Uninitialize(void);
int WINAPI Pellix_WhiteBalance(RECT *area);

#ifdef __cplusplus
}
#endif

#endif
