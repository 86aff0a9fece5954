#include "Globals.h"

CamType g_CamType = kCamMarrowin;
int g_CamSubType = 0;

CString g_strAppFolder;
CString g_strSettingsPath;

WCHAR g_szLogoTitle[256] = {};

int g_HorizontalFlip = 0;
int g_VerticalFlip = 0;

int g_bTolmira = 0;

int g_HestralFrameWidth = 0;
int g_nHestralResolution = 0;
int g_nLightSource = 0;

BYTE g_HestralMode = 0;

int g_bLangArabic = 0;
int g_bLangChinese = 0;
int g_bLangEnglish = 0;
int g_bLangFrench = 0;
int g_bLangGerman = 0;
int g_bLangJapanese = 0;
int g_bLangKorean = 0;
int g_bLangPolish = 0;

int g_bRestart = 0;

HANDLE g_hInstanceMutex = nullptr;

int g_bUvcAttached = 0;
Connection* g_pPresetDb = nullptr;
HestralPreset g_HestralPendingPreset = {};

int g_bPreviewOpen = 0;
int g_bPreviewRunning = 0;
int g_bPreviewStopped = 0;
int g_bOpeningPreview = 0;

int g_bTimedSeriesRunning = 0;
int g_nRecordFrameRate = 6;
int g_nUvcStillResolution = 3;
int g_nUvcRedGain = 0;
int g_nUvcGreenGain = 0;
int g_nUvcBlueGain = 0;

UINT OrvikRtlFlag()
{
    return g_bLangArabic ? MB_RTLREADING : 0;
}
