// Orvik's process-wide state: settled once at start-up and read everywhere
// else. One definition each, in Globals.cpp; all zero at load.
#pragma once

#include <AfxCore.h>

#include "CamType.h"

// [Camera] CamType, and for type 2 the DirectShow model CamSubType 0..7.
extern CamType g_CamType;

// A setting outside the known roads behaves as kCamNone.
inline CamType CamTypeFromSetting(int value) {
    return value >= kCamMarrowin && value <= kCamHestralT8M ? static_cast<CamType>(value) : kCamNone;
}
extern int g_CamSubType;

inline bool IsHestralCamType() { return g_CamType >= kCamHestralT6M && g_CamType <= kCamHestralT8M; }
// DirectShow models 5..7 are UVC cameras driven through the UVC library too.
inline bool IsUvcCamera() { return g_CamType == kCamDirectShow && g_CamSubType >= 5 && g_CamSubType <= 7; }

// Program folder (with its trailing backslash) and folder + "setting.ini".
extern CString g_strAppFolder;
extern CString g_strSettingsPath;

// [Gerneral] LogoTitle: the caption of the main frame and the About box.
extern WCHAR g_szLogoTitle[256];

// [Camera] bHorizontal / bVertical, 0 or 1.
extern int g_HorizontalFlip;
extern int g_VerticalFlip;

// [Camera] bTolmira, the raw value (0 off, 1 on and closed with the frame,
// anything else on).
extern int g_bTolmira;

// Pixel width chosen for the Hestral camera types.
extern int g_HestralFrameWidth;
// The resolution the live Hestral camera was last restarted at: 0 high, 1 low.
extern int g_nHestralResolution;

// The lamp the adjust dialogs' Default presets are for: 0 LED, 1 halogen.
extern int g_nLightSource;

// Set for CamType 3..6 before the probe: the probe then checks presence only.
extern BYTE g_HestralMode;

// Language flags; exactly one is 1 after start-up. Arabic means right-to-left.
extern int g_bLangArabic;
extern int g_bLangChinese;
extern int g_bLangEnglish;
extern int g_bLangFrench;
extern int g_bLangGerman;
extern int g_bLangJapanese;
extern int g_bLangKorean;
extern int g_bLangPolish;

// Set by the language commands; shut-down then starts the program again.
extern int g_bRestart;

extern HANDLE g_hInstanceMutex;

// The preset database (data.mdb), open from start-up to shut-down; null when
// it could not be opened.
class Connection;
extern Connection* g_pPresetDb;

// A Hestral preset read by the preset dialog, waiting for the Hestral adjust
// dialog to set it on the camera and its sliders (message 0x502).
struct HestralPreset {
    int saturation, gamma, contrast, red, green, blue;
};
extern HestralPreset g_HestralPendingPreset;

// 1 once the UVC property library attached a device.
extern int g_bUvcAttached;

// Live-preview state shared by the frame, the views and the camera dialogs.
extern int g_bPreviewOpen;     // a live preview is open (or being opened)
extern int g_bPreviewRunning;  // its picture is running
extern int g_bPreviewStopped;  // a Hestral camera was stopped by Pause
extern int g_bOpeningPreview;  // a live preview is being created

// Set by the capture dialog while a timed series runs.
extern int g_bTimedSeriesRunning;
// Frames a second of the clip being recorded (6 until a rate was chosen).
extern int g_nRecordFrameRate;
// Still resolution of the UVC sub-types 5 to 7: 0 640 x 480, 1 800 x 600,
// 2 1024 x 768, 3 1280 x 1024, 4 2048 x 1536, 5 2592 x 1944.
extern int g_nUvcStillResolution;
// The red, green and blue DSP gains of the UVC property library.
extern int g_nUvcRedGain;
extern int g_nUvcGreenGain;
extern int g_nUvcBlueGain;

// MB_RTLREADING while the Arabic flag is set, else 0: every message box that
// Orvik shows itself adds it.
UINT OrvikRtlFlag();
