// The two SDK camera libraries as Orvik reaches them: one table of function
// pointers each, bound by name when start-up has found a camera of that
// family. Each pointer bears the name of its function, so a call reads
// g_PellixSdk.Pellix_Initialize(). Five Hestral functions are imported by
// ordinal at load time instead (Hestral.h, libHestralOrvik.a).
#pragma once

#include <windows.h>

#include "Hestral.h"
#include "Marrowin.h"

// Hestral: C calling convention. Entries in table order.
#define ORVIK_HESTRAL_FUNCTIONS(X)                                                                       \
    X(CameraGetMultiCameraNumber) X(CameraInit) X(CameraUnInit) X(CameraPlay) X(CameraStop)              \
    X(CameraSaveCurrentImage) X(CameraCaptureFile) X(CameraGetImageSize) X(CameraSetAeState)             \
    X(CameraGetAeState) X(CameraSetAWBState) X(CameraGetAWBState) X(CameraSetAeTarget)                   \
    X(CameraGetAeTarget) X(CameraSetExposureTime) X(CameraGetExposureTime) X(CameraGetMaxExposureTime)   \
    X(CameraSetAnalogGain) X(CameraGetAnalogGain) X(CameraSetGain) X(CameraGetGain) X(CameraSetGamma)    \
    X(CameraGetGamma) X(CameraSetColorEnhancement) X(CameraGetColorEnhancement) X(CameraSetSaturation)   \
    X(CameraGetSaturation) X(CameraSetContrast) X(CameraGetContrast) X(CameraSetMirror)                  \
    X(CameraGetMirror) X(CameraSetMonochrome) X(CameraGetMonochrome) X(CameraSetFrameSpeed)              \
    X(CameraGetFrameSpeed) X(CameraSetLightFrquency) X(CameraGetLightFrquency) X(CameraSaveParameter)    \
    X(CameraReadParameter) X(CameraGetCurrentParameterTeam) X(CameraSetGpio) X(CameraReadGpio)           \
    X(CameraWriteGpio) X(CameraGetRowTime) X(CameraSetROI) X(CameraGetROI) X(CameraSetWBWindow)          \
    X(CameraSetDisplayWindow) X(CameraEnableDeadPixelCorrection) X(CameraSetB2RGBMode)                   \
    X(CameraGetB2RGBMode) X(CameraLoadDefault) X(CameraSetVideoMessage) X(CameraCaptureToBuf)

// Marrowin: standard call, bound by the library's decorated export names;
// Pellix_SetExposureTime by ordinal 24. Entries in table order.
#define ORVIK_PELLIX_FUNCTIONS(X)                                                                        \
    X(Pellix_Initialize, "_Pellix_Initialize@0")                                                         \
    X(Pellix_Uninitialize, "_Pellix_Uninitialize@0")                                                     \
    X(Pellix_GetCameraID, "_Pellix_GetCameraID@12")                                                      \
    X(Pellix_GetFrameFormat, "_Pellix_GetFrameFormat@12")                                                \
    X(Pellix_SetFrameFormat, "_Pellix_SetFrameFormat@4")                                                 \
    X(Pellix_GetFrameRate, "_Pellix_GetFrameRate@4")                                                     \
    X(Pellix_GetImageFlip, "_Pellix_GetImageFlip@8")                                                     \
    X(Pellix_SetImageFlip, "_Pellix_SetImageFlip@8")                                                     \
    X(Pellix_GetExposureTime, "_Pellix_GetExposureTime@12")                                              \
    X(Pellix_SetExposureTime, MAKEINTRESOURCEA(24))                                                      \
    X(Pellix_AutoExposure, "_Pellix_AutoExposure@8")                                                     \
    X(Pellix_GetGlobalGain, "_Pellix_GetGlobalGain@12")                                                  \
    X(Pellix_SetGlobalGain, "_Pellix_SetGlobalGain@4")                                                   \
    X(Pellix_GetBlueGain, "_Pellix_GetBlueGain@12")                                                      \
    X(Pellix_SetBlueGain, "_Pellix_SetBlueGain@4")                                                       \
    X(Pellix_GetGreenGain, "_Pellix_GetGreenGain@12")                                                    \
    X(Pellix_SetGreenGain, "_Pellix_SetGreenGain@4")                                                     \
    X(Pellix_GetRedGain, "_Pellix_GetRedGain@12")                                                        \
    X(Pellix_SetRedGain, "_Pellix_SetRedGain@4")                                                         \
    X(Pellix_GetSaturation, "_Pellix_GetSaturation@12")                                                  \
    X(Pellix_SetSaturation, "_Pellix_SetSaturation@4")                                                   \
    X(Pellix_GetKelvin, "_Pellix_GetKelvin@12")                                                          \
    X(Pellix_SetKelvin, "_Pellix_SetKelvin@4")                                                           \
    X(Pellix_GetGamma, "_Pellix_GetGamma@12")                                                            \
    X(Pellix_SetGamma, "_Pellix_SetGamma@4")                                                             \
    X(Pellix_WhiteBalance, "_Pellix_WhiteBalance@4")                                                     \
    X(Pellix_GetBitmap, "_Pellix_GetBitmap@8")

// One pointer type per exported signature, taken from the libraries' own
// declarations so the two can never drift apart.
#define ORVIK_SDK_TYPEDEF(name, ...) typedef decltype(&::name) PFN_##name;
ORVIK_HESTRAL_FUNCTIONS(ORVIK_SDK_TYPEDEF)
ORVIK_PELLIX_FUNCTIONS(ORVIK_SDK_TYPEDEF)
#undef ORVIK_SDK_TYPEDEF

#define ORVIK_SDK_MEMBER(name, ...) PFN_##name name;

class CHestralSdk {
public:
    CHestralSdk();
    // Nothing: the library goes with the process.
    ~CHestralSdk() = default;
    CHestralSdk(const CHestralSdk&) = delete;
    CHestralSdk& operator=(const CHestralSdk&) = delete;

    // Loads "Hestral.dll" and looks up every entry. False when the library
    // or any entry is missing: the camera then counts as absent. The entries
    // found stay set, so a caller may see which one is missing.
    bool Bind();
    // Frees the library and clears the handle and every entry, so nothing
    // can call into an unloaded library.
    void Unbind();

    HMODULE m_hModule;
    ORVIK_HESTRAL_FUNCTIONS(ORVIK_SDK_MEMBER)
};

class CPellixSdk {
public:
    CPellixSdk();
    // Frees the library when it is still loaded.
    ~CPellixSdk();
    CPellixSdk(const CPellixSdk&) = delete;
    CPellixSdk& operator=(const CPellixSdk&) = delete;

    // Loads "Marrowin.dll" and looks up every entry; as CHestralSdk::Bind.
    bool Bind();
    void Unbind();

    HMODULE m_hModule;
    ORVIK_PELLIX_FUNCTIONS(ORVIK_SDK_MEMBER)
};

#undef ORVIK_SDK_MEMBER

extern CHestralSdk g_HestralSdk;
extern CPellixSdk g_PellixSdk;
