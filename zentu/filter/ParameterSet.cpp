#include "ParameterSet.h"

namespace {

const char* const kKeys[4] = {
    "Software\\Quillon\\Zentu\\dshow",
    "Software\\Quillon\\Zentu\\dshowB",
    "Software\\Quillon\\Zentu\\dshowC",
    "Software\\Quillon\\Zentu\\dshowD",
};

HKEY OpenKey(const char* path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return nullptr;
    return key;
}

void WriteDword(HKEY key, const char* name, DWORD value)
{
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

} // namespace

DWORD ReadRegistryDword(DWORD minimum, DWORD maximum, HKEY key, const char* name, DWORD def)
{
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return def;
    if (value < minimum) return minimum;
    if (value > maximum) return maximum;
    return value;
}

const char* ParameterSetKey(DWORD set)
{
    return set < 4 ? kKeys[set] : kKeys[0];
}

void LoadParameterSet(ZentuSettings& s, ParameterFlavour flavour)
{
    HKEY key = OpenKey(ParameterSetKey(s.paraTeam));
    if (!key) return;
    s.sizeIndex = ReadRegistryDword(0, 2, key, "eZentuSize", s.sizeIndex);
    s.whiteBalanceRequest = ReadRegistryDword(0, 1, key, "bAutoWB", s.whiteBalanceRequest);
    s.gainR = ReadRegistryDword(0, 255, key, "r", s.gainR);
    s.gainG = ReadRegistryDword(0, 255, key, "g", s.gainG);
    s.gainB = ReadRegistryDword(0, 255, key, "b", s.gainB);
    s.autoExposure = ReadRegistryDword(0, 1, key, "AutoExposure", s.autoExposure);
    s.aeTarget = ReadRegistryDword(40, 200, key, "AETarget", s.aeTarget);
    s.exposureTime = ReadRegistryDword(1, 4000, key, "ExposureTime", s.exposureTime);
    if (flavour == ParameterFlavour::Filter) s.gain = ReadRegistryDword(1, 80, key, "AnalogGain", s.gain);
    s.gamma = ReadRegistryDword(10, 250, key, "Gamma", s.gamma);
    s.contrast = ReadRegistryDword(0, 100, key, "Contrast", s.contrast);
    s.enableSaturation = ReadRegistryDword(0, 1, key, "EnableSaturation", s.enableSaturation);
    s.saturation = ReadRegistryDword(0, 255, key, "Saturation", s.saturation);
    s.mono = ReadRegistryDword(0, 1, key, "WhiteBlack", s.mono);
    s.vFlip = ReadRegistryDword(0, 1, key, "VFlip", s.vFlip);
    s.hFlip = ReadRegistryDword(0, 1, key, "HFlip", s.hFlip);
    if (flavour == ParameterFlavour::Twain) s.gain = ReadRegistryDword(1, 80, key, "Gain", s.gain);
    s.speed = ReadRegistryDword(0, 1, key, "Speed", s.speed);
    s.hz = ReadRegistryDword(0, 1, key, "HZ", s.hz);
    RegCloseKey(key);
}

void SaveParameterSet(const ZentuSettings& s, ParameterFlavour flavour)
{
    HKEY key = OpenKey(kKeys[0]);
    if (!key) return;
    WriteDword(key, "ParaTeam", s.paraTeam);
    if (flavour == ParameterFlavour::Twain) WriteDword(key, "BGR", s.bgr);
    RegCloseKey(key);

    key = OpenKey(ParameterSetKey(s.paraTeam));
    if (!key) return;
    WriteDword(key, "eZentuSize", s.sizeIndex);
    WriteDword(key, "bAutoWB", s.whiteBalanceRequest);
    WriteDword(key, "r", s.gainR);
    WriteDword(key, "g", s.gainG);
    WriteDword(key, "b", s.gainB);
    WriteDword(key, "AutoExposure", s.autoExposure);
    WriteDword(key, "AETarget", s.aeTarget);
    WriteDword(key, "ExposureTime", s.exposureTime);
    WriteDword(key, "AnalogGain", s.gain);
    WriteDword(key, "Gamma", s.gamma);
    WriteDword(key, "Contrast", s.contrast);
    WriteDword(key, "EnableSaturation", s.enableSaturation);
    WriteDword(key, "Saturation", s.saturation);
    WriteDword(key, "WhiteBlack", s.mono);
    WriteDword(key, "VFlip", s.vFlip);
    WriteDword(key, "HFlip", s.hFlip);
    WriteDword(key, "Gain", s.gain);
    WriteDword(key, "Speed", s.speed);
    WriteDword(key, "HZ", s.hz);
    RegCloseKey(key);
}

void LoadStartupSettings(ZentuOwner& owner, ParameterFlavour flavour)
{
    ZentuSettings& s = owner.settings;
    if (HKEY key = OpenKey(kKeys[0])) {
        s.paraTeam = ReadRegistryDword(0, 3, key, "ParaTeam", s.paraTeam);
        if (flavour == ParameterFlavour::Twain) s.bgr = ReadRegistryDword(0, 1, key, "BGR", s.bgr);
        RegCloseKey(key);
    }
    LoadParameterSet(s, flavour);
    BuildToneTable(s.gamma, owner, s.contrast);
    UpdateChannelTables(owner);
}

bool SetParaTeam(ZentuSettings& s, DWORD set, ParameterFlavour flavour)
{
    if (set == s.paraTeam) return false;
    s.paraTeam = set;
    LoadParameterSet(s, flavour);
    return true;
}
