#include "Settings.h"

#include "Globals.h"

#include <cwchar>
#include <cstdlib>
#include <vector>

int ReadIniInt(LPCWSTR section, LPCWSTR key, int def)
{
    return int(GetPrivateProfileIntW(section, key, def, g_strSettingsPath));
}

CString ReadIniStr(LPCWSTR section, LPCWSTR key, LPCWSTR def, DWORD size)
{
    if (size == 0)
        return CString();
    std::vector<WCHAR> buffer(size, L'\0');
    GetPrivateProfileStringW(section, key, def ? def : L"", buffer.data(), size, g_strSettingsPath);
    buffer[size - 1] = L'\0';
    return CString(buffer.data());
}

long ReadIniLong(LPCWSTR section, LPCWSTR key, LPCWSTR def)
{
    return _wtol(ReadIniStr(section, key, def, 256));
}

double ReadIniFloat(LPCWSTR section, LPCWSTR key, LPCWSTR def)
{
    return _wtof(ReadIniStr(section, key, def, 510));
}

void WriteIniInt(LPCWSTR section, LPCWSTR key, int value)
{
    WCHAR text[16];
    swprintf(text, 16, L"%d", value);
    WritePrivateProfileStringW(section, key, text, g_strSettingsPath);
}

void WriteIniFloat1(LPCWSTR section, LPCWSTR key, double value)
{
    WCHAR text[64];
    swprintf(text, 64, L"%.1f", value);
    WritePrivateProfileStringW(section, key, text, g_strSettingsPath);
}

void WriteIniStr(LPCWSTR section, LPCWSTR key, LPCWSTR value)
{
    WritePrivateProfileStringW(section, key, value, g_strSettingsPath);
}

using namespace ini;

const IniKey kIniKeys[] = {
    {kCamera, L"CamType", kIniInt, 0, L"2"},
    {kCamera, L"CamSubType", kIniInt, 0, L"2"},
    {kCamera, L"bTolmira", kIniInt, 0, L"2"},
    {kCamera, L"bHorizontal", kIniInt, 0, L"0"},
    {kCamera, L"bVertical", kIniInt, 0, L"0"},
    {kCamera, L"ExposurePercent", kIniInt, 0, L"70"},
    {kCamera, L"Saturation", kIniString, 510, L"1.0"},
    {kCamera, L"Gain", kIniString, 510, L"1.0"},
    {kCamera, L"Gamma", kIniString, 510, L"1.0"},
    {kCamera, L"Red", kIniString, 510, L"2.0"},
    {kCamera, L"Green", kIniString, 510, L"2.0"},
    {kCamera, L"Blue", kIniString, 510, L"2.0"},
    {kCamera, L"bContinueAutoExposure", kIniInt, 0, nullptr},

    {kGeneral, L"LogoTitle", kIniString, 256, L""},
    {kGeneral, L"Lang", kIniInt, 0, L"0"},
    {kGeneral, L"AppName", kIniString, 256, L"Orvik.exe"},
    {kGeneral, L"Version", kIniString, 256, L""},

    {kNodrel, L"Resolution", kIniString, 256, L"11"},
    {kNodrel, L"Saturation", kIniString, 256, L"11"},
    {kNodrel, L"Contrast", kIniString, 256, L"11"},
    {kNodrel, L"Gamma", kIniString, 256, L"11"},
    {kNodrel, L"Red", kIniString, 256, L"11"},
    {kNodrel, L"Green", kIniString, 256, L"11"},
    {kNodrel, L"Blue", kIniString, 256, L"11"},
    {kNodrel, L"bColE", kIniString, 256, L"11"},
    {kNodrel, L"AETarget", kIniString, 256, L"11"},
    {kNodrel, L"AETime", kIniString, 256, L"11"},
    {kNodrel, L"Gain", kIniString, 256, L"11"},
    {kNodrel, L"bAE", kIniString, 256, L"11"},
    {kNodrel, L"LightSource", kIniString, 256, L"11"},

    {kSave, L"FileType", kIniString, 260, L""},
    {kSave, L"FilePath", kIniString, 260, L""},
    {kSave, L"Prefix", kIniString, 260, L""},
    {kSave, L"Suffix", kIniInt, 0, L"0"},
    {kSave, L"Wait", kIniInt, 0, L"5"},
    {kSave, L"Interval", kIniInt, 0, L"5"},
    {kSave, L"Images", kIniInt, 0, L"5"},
    {kSave, L"SingleCapSubX", kIniInt, 0, L"1"},
    {kSave, L"SingleCapSubY", kIniInt, 0, L"1"},
    {kSave, L"MultiCapSubX", kIniInt, 0, L"2"},
    {kSave, L"MultiCapSubY", kIniInt, 0, L"2"},
    {kSave, L"SaveWithMarker", kIniInt, 0, L"1"},
    {kSave, L"SaveWithTime", kIniInt, 0, L"1"},

    {kMarker, L"RulerUnit", kIniInt, 0, L"5"},
    {kMarker, L"CircleUnit", kIniInt, 0, L"40"},
    {kMarker, L"GridUnit", kIniInt, 0, L"40"},
    {kMarker, L"MarkerColor", kIniInt, 0, L"3"},

    {kCameraP8Z, L"Brightness", kIniString, 256, L"11"},
    {kCameraP8Z, L"Contrast", kIniString, 256, L"12"},
    {kCameraP8Z, L"Saturation", kIniString, 256, L"2"},
    {kCameraP8Z, L"Gamma", kIniString, 256, L"150"},
    {kCameraP8Z, L"Sharpness", kIniString, 256, L"5"},
    {kCameraP8Z, L"WhiteBalance", kIniString, 256, L"5200"},
    {kCameraP8Z, L"AutoWB", kIniString, 256, L"2"},
    {kCameraP8Z, L"AutoExpose", kIniString, 256, L"2"},
    {kCameraP8Z, L"Red", kIniString, 256, L"0"},
    {kCameraP8Z, L"Green", kIniString, 256, L"0"},
    {kCameraP8Z, L"Blue", kIniString, 256, L"0"},
    {kCameraP8Z, L"LightSource", kIniString, 256, L"11"},
    {kCameraP8Z, L"LEDRed", kIniString, 256, L"2"},
    {kCameraP8Z, L"LEDGreen", kIniString, 256, L"2"},
    {kCameraP8Z, L"LEDBlue", kIniString, 256, L"2"},
    {kCameraP8Z, L"LEDBrightness", kIniString, 256, L"11"},
    {kCameraP8Z, L"LEDContrast", kIniString, 256, L"12"},
    {kCameraP8Z, L"LEDSaturation", kIniString, 256, L"2"},
    {kCameraP8Z, L"LEDGamma", kIniString, 256, L"150"},
    {kCameraP8Z, L"LEDSharpness", kIniString, 256, L"5"},
    {kCameraP8Z, L"LSDRed", kIniString, 256, L"2"},
    {kCameraP8Z, L"LSDGreen", kIniString, 256, L"2"},
    {kCameraP8Z, L"LSDBlue", kIniString, 256, L"2"},
    {kCameraP8Z, L"LSDBrightness", kIniString, 256, L"11"},
    {kCameraP8Z, L"LSDContrast", kIniString, 256, L"12"},
    {kCameraP8Z, L"LSDSaturation", kIniString, 256, L"2"},
    {kCameraP8Z, L"LSDGamma", kIniString, 256, L"150"},
    {kCameraP8Z, L"LSDSharpness", kIniString, 256, L"5"},

    {kCameraR5V, L"Brightness", kIniString, 256, L"11"},
    {kCameraR5V, L"Contrast", kIniString, 256, L"12"},
    {kCameraR5V, L"Saturation", kIniString, 256, L"2"},
    {kCameraR5V, L"Gamma", kIniString, 256, L"150"},
    {kCameraR5V, L"Sharpness", kIniString, 256, L"5"},
    {kCameraR5V, L"WhiteBalance", kIniString, 256, L"5200"},
    {kCameraR5V, L"AutoWB", kIniString, 256, L"2"},
    {kCameraR5V, L"Red", kIniString, 256, L"0"},
    {kCameraR5V, L"Green", kIniString, 256, L"0"},
    {kCameraR5V, L"Blue", kIniString, 256, L"0"},
};

const size_t kIniKeyCount = sizeof kIniKeys / sizeof kIniKeys[0];
