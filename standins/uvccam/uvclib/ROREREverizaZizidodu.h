// The UVC property library: attach one of the UVC cameras of its kind, and
// set its sensor's mirror, vertical flip, automatic white balance and
// colour gains, or take one RGB frame from it. Standard calls, exported
// under undecorated names. Every function returns 1 on success and 0 on
// failure (no camera attached, a bad argument).
#pragma once

#include <windows.h>

#define UVCAPI __stdcall

#ifdef __cplusplus
extern "C" {
#endif

int UVCAPI DetachUVCDeviceALL(void);
int UVCAPI GetVMCUVCDevCount(void);
// The narrow friendly name, truncated to size - 1 characters and terminated.
int UVCAPI GetDevFriendlyNameByIndex(int index, char* name, int size);
int UVCAPI AttachUVCDeviceByIndex(int index);
int UVCAPI SetImageMirrorStatus(int on);
int UVCAPI SetImageVerticalStatus(int on);
// Gains 0..255.
int UVCAPI SetDSP_RedGainValue(int gain);
int UVCAPI SetDSP_GreenGainValue(int gain);
int UVCAPI SetDSP_BlueGainValue(int gain);
int UVCAPI GetDSP_RedGainValue(int* gain);
int UVCAPI GetDSP_GreenGainValue(int* gain);
int UVCAPI GetDSP_BlueGainValue(int* gain);
// Any non-zero value switches it on.
int UVCAPI SetAutoWhiteBalanceStatus(int on);
int UVCAPI GetAutoWhiteBalanceStatus(BYTE* on);
// A bottom-up 24-bit frame of width x height, rows padded to 4 bytes, into
// buf when bufSize holds it; *length becomes the bytes the frame takes. A
// null buf asks only for the length.
int UVCAPI GetImage_GetRGBBuffer(int width, int height, BYTE* buf, int bufSize, int* length);

#ifdef __cplusplus
}
#endif
