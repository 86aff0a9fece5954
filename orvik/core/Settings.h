// setting.ini: every section and key Orvik keeps, and the few helpers that
// read and write them. Every access passes the full path g_strSettingsPath,
// so the working directory never matters. The misspelt section names are the
// file's own and stay as they are.
#pragma once

#include <AfxCore.h>

namespace ini {
constexpr wchar_t kCamera[] = L"Camera";
constexpr wchar_t kGeneral[] = L"Gerneral";
constexpr wchar_t kNodrel[] = L"Nodrel";
constexpr wchar_t kSave[] = L"Save";
constexpr wchar_t kMarker[] = L"Marker";
constexpr wchar_t kCameraP8Z[] = L"Camera-P8Z";
constexpr wchar_t kCameraR5V[] = L"Camera-R5V";
}  // namespace ini

// "int" keys: GetPrivateProfileIntW.
int ReadIniInt(LPCWSTR section, LPCWSTR key, int def);
// "string" keys: GetPrivateProfileStringW into a buffer of `size` characters.
CString ReadIniStr(LPCWSTR section, LPCWSTR key, LPCWSTR def, DWORD size = 256);
// String keys holding a decimal integer (_wtol), 256-character buffer.
long ReadIniLong(LPCWSTR section, LPCWSTR key, LPCWSTR def);
// String keys holding a decimal fraction, 510-character buffer.
double ReadIniFloat(LPCWSTR section, LPCWSTR key, LPCWSTR def);

void WriteIniInt(LPCWSTR section, LPCWSTR key, int value);     // "%d"
void WriteIniFloat1(LPCWSTR section, LPCWSTR key, double value);  // "%.1f"
void WriteIniStr(LPCWSTR section, LPCWSTR key, LPCWSTR value);

// ---------------------------------------------------------------- every key of the file
// How a key is read: "int" keys with GetPrivateProfileIntW, "string" keys
// into a buffer of `size` characters (then converted by the reader as its
// own code says: _wtol, a fraction, or text).
enum IniType { kIniInt, kIniString };

struct IniKey {
    LPCWSTR section;
    LPCWSTR key;
    IniType type;
    DWORD size;   // buffer in characters for string keys, 0 for int keys
    LPCWSTR def;  // the default as text (decimal for int keys); null for a key only ever written
};

extern const IniKey kIniKeys[];
extern const size_t kIniKeyCount;
