// A Marrowin library whose functions all do nothing; PellixStub.def exports
// them by their decorated names from ordinal 100 on, so ordinal 24 is empty.
#include "Marrowin.h"

extern "C" {
int WINAPI Pellix_Initialize(void) { return 0; }
int WINAPI Pellix_Uninitialize(void) { return 0; }
int WINAPI Pellix_GetCameraID(int*, int*, int*) { return 0; }
int WINAPI Pellix_GetFrameFormat(PellixFrameFormat*, PellixFrameFormat*, PellixFrameFormat*) { return 0; }
int WINAPI Pellix_SetFrameFormat(const PellixFrameFormat*) { return 0; }
int WINAPI Pellix_GetFrameRate(float*) { return 0; }
int WINAPI Pellix_GetImageFlip(int*, int*) { return 0; }
int WINAPI Pellix_SetImageFlip(int*, int*) { return 0; }
int WINAPI Pellix_GetExposureTime(float*, float*, float*) { return 0; }
int WINAPI Pellix_SetExposureTime(float*) { return 0; }
int WINAPI Pellix_AutoExposure(int, RECT*) { return 0; }
int WINAPI Pellix_GetGlobalGain(float*, float*, float*) { return 0; }
int WINAPI Pellix_SetGlobalGain(float*) { return 0; }
int WINAPI Pellix_GetBlueGain(float*, float*, float*) { return 0; }
int WINAPI Pellix_SetBlueGain(float*) { return 0; }
int WINAPI Pellix_GetGreenGain(float*, float*, float*) { return 0; }
int WINAPI Pellix_SetGreenGain(float*) { return 0; }
int WINAPI Pellix_GetRedGain(float*, float*, float*) { return 0; }
int WINAPI Pellix_SetRedGain(float*) { return 0; }
int WINAPI Pellix_GetSaturation(float*, float*, float*) { return 0; }
int WINAPI Pellix_SetSaturation(float*) { return 0; }
int WINAPI Pellix_GetKelvin(float*, float*, float*) { return 0; }
int WINAPI Pellix_SetKelvin(float*) { return 0; }
int WINAPI Pellix_GetGamma(float*, float*, float*) { return 0; }
int WINAPI Pellix_SetGamma(float*) { return 0; }
int WINAPI Pellix_WhiteBalance(RECT*) { return 0; }
int WINAPI Pellix_GetBitmap(BITMAPINFOHEADER*, BYTE*) { return 0; }
}
