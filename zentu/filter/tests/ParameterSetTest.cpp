// Parameter sets through the registry, as another program sees them: values
// are planted and read back with the plain registry calls.
#include <gtest/gtest.h>
#include <string>
#include "ParameterSet.h"

namespace {

const wchar_t kRoot[] = L"Software\\Quillon\\Zentu";

std::wstring KeyOf(int set)
{
    const wchar_t* names[] = {L"dshow", L"dshowB", L"dshowC", L"dshowD"};
    return std::wstring(kRoot) + L"\\" + names[set];
}

void Put(int set, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, KeyOf(set).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void PutDword(int set, const wchar_t* name, DWORD v) { Put(set, name, REG_DWORD, &v, sizeof v); }

// The stored DWORD, or -1 when the value is missing or of another type.
long long Get(int set, const wchar_t* name)
{
    DWORD v = 0, size = sizeof v, type = 0;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyOf(set).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    LONG r = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS && type == REG_DWORD && size == 4 ? (long long)v : -1;
}

class ParameterSets : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kRoot); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kRoot); }
};

} // namespace

TEST_F(ParameterSets, LoadClampsAndIgnoresValuesOfOtherShapes)
{
    PutDword(0, L"ExposureTime", 5000);
    PutDword(0, L"AETarget", 20);
    PutDword(0, L"Gamma", 0);
    PutDword(0, L"Saturation", 300);
    PutDword(0, L"eZentuSize", 0xFFFFFFFF);
    PutDword(0, L"HFlip", 0);
    Put(0, L"Contrast", REG_SZ, L"50", 6);
    const WORD shortValue = 3;
    Put(0, L"r", REG_DWORD, &shortValue, sizeof shortValue);
    const DWORD binary = 9;
    Put(0, L"g", REG_BINARY, &binary, sizeof binary);

    ZentuSettings s;
    LoadParameterSet(s, ParameterFlavour::Filter);
    EXPECT_EQ(s.exposureTime, 4000u);
    EXPECT_EQ(s.aeTarget, 40u);
    EXPECT_EQ(s.gamma, 10u);
    EXPECT_EQ(s.saturation, 255u);
    EXPECT_EQ(s.sizeIndex, 2u); // compared unsigned
    EXPECT_EQ(s.hFlip, 0u);
    EXPECT_EQ(s.contrast, 30u); // REG_SZ: kept
    EXPECT_EQ(s.gainR, 105u);   // two bytes: kept
    EXPECT_EQ(s.gainG, 64u);    // REG_BINARY: kept
    EXPECT_EQ(s.vFlip, 1u);     // missing: kept
}

TEST_F(ParameterSets, SaveWritesEveryValueAndTheSelection)
{
    const struct { ParameterFlavour flavour; long long bgr; } cases[] = {
        {ParameterFlavour::Filter, -1}, {ParameterFlavour::Twain, 0},
    };
    for (auto& c : cases) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
        ZentuSettings s;
        s.paraTeam = 1;
        s.bgr = 0;
        s.gain = 33;
        s.exposureTime = 1234;
        s.speed = 1;
        s.hz = 0;
        SaveParameterSet(s, c.flavour);
        EXPECT_EQ(Get(0, L"ParaTeam"), 1);
        EXPECT_EQ(Get(0, L"BGR"), c.bgr);
        EXPECT_EQ(Get(0, L"eZentuSize"), -1); // set A's values stay untouched
        const struct { const wchar_t* name; long long v; } want[] = {
            {L"eZentuSize", 1}, {L"bAutoWB", 0}, {L"r", 105}, {L"g", 64}, {L"b", 122}, {L"AutoExposure", 1},
            {L"AETarget", 100}, {L"ExposureTime", 1234}, {L"AnalogGain", 33}, {L"Gamma", 100}, {L"Contrast", 30},
            {L"EnableSaturation", 1}, {L"Saturation", 100}, {L"WhiteBlack", 0}, {L"VFlip", 1}, {L"HFlip", 1},
            {L"Gain", 33}, {L"Speed", 1}, {L"HZ", 0},
        };
        for (auto& w : want) EXPECT_EQ(Get(1, w.name), w.v) << std::string(w.name, w.name + wcslen(w.name));
        // The set reads back as it was written.
        ZentuSettings back;
        back.paraTeam = 1;
        LoadParameterSet(back, c.flavour);
        EXPECT_EQ(back.exposureTime, 1234u);
        EXPECT_EQ(back.gain, 33u);
        EXPECT_EQ(back.speed, 1u);
        EXPECT_EQ(back.hz, 0u);
    }
}

TEST_F(ParameterSets, SelectingASetTwiceLoadsItOnce)
{
    PutDword(2, L"Gamma", 150);
    ZentuSettings s;
    EXPECT_TRUE(SetParaTeam(s, 2, ParameterFlavour::Filter));
    EXPECT_EQ(s.gamma, 150u);
    PutDword(2, L"Gamma", 77); // a sentinel between the calls
    EXPECT_FALSE(SetParaTeam(s, 2, ParameterFlavour::Filter));
    EXPECT_EQ(s.gamma, 150u);
}

TEST_F(ParameterSets, OutOfRangeSetUsesSetAAndLoadsAsDAtTheNextStart)
{
    PutDword(0, L"Contrast", 11);
    PutDword(3, L"Contrast", 44);
    ZentuSettings s;
    EXPECT_TRUE(SetParaTeam(s, 7, ParameterFlavour::Filter));
    EXPECT_EQ(s.contrast, 11u);
    SaveParameterSet(s, ParameterFlavour::Filter);
    EXPECT_EQ(Get(0, L"ParaTeam"), 7);

    ZentuOwner next;
    LoadStartupSettings(next, ParameterFlavour::Filter);
    EXPECT_EQ(next.settings.paraTeam, 3u);
    EXPECT_EQ(next.settings.contrast, 44u);
}

TEST_F(ParameterSets, FilterReadsAnalogGainTwainReadsGainAndBgr)
{
    PutDword(0, L"AnalogGain", 33);
    PutDword(0, L"Gain", 44);
    PutDword(0, L"BGR", 0);
    ZentuOwner filter, twain;
    LoadStartupSettings(filter, ParameterFlavour::Filter);
    LoadStartupSettings(twain, ParameterFlavour::Twain);
    EXPECT_EQ(filter.settings.gain, 33u);
    EXPECT_EQ(twain.settings.gain, 44u);
    EXPECT_EQ(filter.settings.bgr, 1u);
    EXPECT_EQ(twain.settings.bgr, 0u);
    PutDword(0, L"AnalogGain", 0);
    LoadParameterSet(filter.settings, ParameterFlavour::Filter);
    EXPECT_EQ(filter.settings.gain, 1u);
}

TEST_F(ParameterSets, TablesFollowTheStoredSet)
{
    PutDword(0, L"ParaTeam", 1);
    PutDword(1, L"Gamma", 200);
    PutDword(1, L"Contrast", 0);
    PutDword(1, L"r", 128);
    PutDword(1, L"b", 32);
    ZentuOwner owner;
    LoadStartupSettings(owner, ParameterFlavour::Filter);
    EXPECT_EQ(owner.settings.paraTeam, 1u);
    // (128 / 255)^2 x 255 = 64.2; (16 / 255)^2 x 255 = 1.0
    EXPECT_EQ(owner.pipe.tone[128], 64);
    EXPECT_EQ(owner.pipe.tone[16], 1);
    EXPECT_EQ(owner.pipe.channel[0][100], 200);
    EXPECT_EQ(owner.pipe.channel[0][200], 255);
    EXPECT_EQ(owner.pipe.channel[1][100], 100);
    EXPECT_EQ(owner.pipe.channel[2][201], 100);
}
