// setting.ini through the helpers, checked against the file as the Win32
// profile functions leave it and as an independent reader parses it.
#include "Globals.h"
#include "Settings.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

namespace {

// How each key is read and written, by hand from the file's description:
// read i = profile int, l = text converted as an integer, f = text
// converted as a fraction, s = text; write d = "%d", f = "%.1f", s = as
// text, - = never written.
struct Expected {
    LPCWSTR section;
    LPCWSTR key;
    char read;
    DWORD size;
    LPCWSTR def;
    char write;
};

const Expected kExpected[] = {
    {L"Camera", L"CamType", 'i', 0, L"2", '-'},
    {L"Camera", L"CamSubType", 'i', 0, L"2", '-'},
    {L"Camera", L"bTolmira", 'i', 0, L"2", '-'},
    {L"Camera", L"bHorizontal", 'i', 0, L"0", 'd'},
    {L"Camera", L"bVertical", 'i', 0, L"0", 'd'},
    {L"Camera", L"ExposurePercent", 'i', 0, L"70", '-'},
    {L"Camera", L"Saturation", 'f', 510, L"1.0", 'f'},
    {L"Camera", L"Gain", 'f', 510, L"1.0", 'f'},
    {L"Camera", L"Gamma", 'f', 510, L"1.0", 'f'},
    {L"Camera", L"Red", 'f', 510, L"2.0", 'f'},
    {L"Camera", L"Green", 'f', 510, L"2.0", 'f'},
    {L"Camera", L"Blue", 'f', 510, L"2.0", 'f'},
    {L"Camera", L"bContinueAutoExposure", '-', 0, nullptr, 'd'},
    {L"Gerneral", L"LogoTitle", 's', 256, L"", '-'},
    {L"Gerneral", L"Lang", 'i', 0, L"0", 'd'},
    {L"Gerneral", L"AppName", 's', 256, L"Orvik.exe", '-'},
    {L"Gerneral", L"Version", 's', 256, L"", '-'},
    {L"Nodrel", L"Resolution", 'l', 256, L"11", 'd'},
    {L"Nodrel", L"Saturation", 'l', 256, L"11", 'd'},
    {L"Nodrel", L"Contrast", 'l', 256, L"11", 'd'},
    {L"Nodrel", L"Gamma", 'l', 256, L"11", 'd'},
    {L"Nodrel", L"Red", 'l', 256, L"11", 'd'},
    {L"Nodrel", L"Green", 'l', 256, L"11", 'd'},
    {L"Nodrel", L"Blue", 'l', 256, L"11", 'd'},
    {L"Nodrel", L"bColE", 'l', 256, L"11", 'd'},
    {L"Nodrel", L"AETarget", 'l', 256, L"11", 'd'},
    {L"Nodrel", L"AETime", 'l', 256, L"11", 'd'},
    {L"Nodrel", L"Gain", 'l', 256, L"11", 'd'},
    {L"Nodrel", L"bAE", 'l', 256, L"11", 'd'},
    {L"Nodrel", L"LightSource", 'l', 256, L"11", 'd'},
    {L"Save", L"FileType", 's', 260, L"", 's'},
    {L"Save", L"FilePath", 's', 260, L"", 's'},
    {L"Save", L"Prefix", 's', 260, L"", 's'},
    {L"Save", L"Suffix", 'i', 0, L"0", 'd'},
    {L"Save", L"Wait", 'i', 0, L"5", 'd'},
    {L"Save", L"Interval", 'i', 0, L"5", 'd'},
    {L"Save", L"Images", 'i', 0, L"5", 'd'},
    {L"Save", L"SingleCapSubX", 'i', 0, L"1", 'd'},
    {L"Save", L"SingleCapSubY", 'i', 0, L"1", 'd'},
    {L"Save", L"MultiCapSubX", 'i', 0, L"2", 'd'},
    {L"Save", L"MultiCapSubY", 'i', 0, L"2", 'd'},
    {L"Save", L"SaveWithMarker", 'i', 0, L"1", 'd'},
    {L"Save", L"SaveWithTime", 'i', 0, L"1", 'd'},
    {L"Marker", L"RulerUnit", 'i', 0, L"5", 'd'},
    {L"Marker", L"CircleUnit", 'i', 0, L"40", 'd'},
    {L"Marker", L"GridUnit", 'i', 0, L"40", 'd'},
    {L"Marker", L"MarkerColor", 'i', 0, L"3", 'd'},
    {L"Camera-P8Z", L"Brightness", 'l', 256, L"11", 'd'},
    {L"Camera-P8Z", L"Contrast", 'l', 256, L"12", 'd'},
    {L"Camera-P8Z", L"Saturation", 'l', 256, L"2", 'd'},
    {L"Camera-P8Z", L"Gamma", 'l', 256, L"150", 'd'},
    {L"Camera-P8Z", L"Sharpness", 'l', 256, L"5", 'd'},
    {L"Camera-P8Z", L"WhiteBalance", 'l', 256, L"5200", 'd'},
    {L"Camera-P8Z", L"AutoWB", 'l', 256, L"2", 'd'},
    {L"Camera-P8Z", L"AutoExpose", 'l', 256, L"2", 'd'},
    {L"Camera-P8Z", L"Red", 'l', 256, L"0", 'd'},
    {L"Camera-P8Z", L"Green", 'l', 256, L"0", 'd'},
    {L"Camera-P8Z", L"Blue", 'l', 256, L"0", 'd'},
    {L"Camera-P8Z", L"LightSource", 'l', 256, L"11", 'd'},
    {L"Camera-P8Z", L"LEDRed", 'l', 256, L"2", '-'},
    {L"Camera-P8Z", L"LEDGreen", 'l', 256, L"2", '-'},
    {L"Camera-P8Z", L"LEDBlue", 'l', 256, L"2", '-'},
    {L"Camera-P8Z", L"LEDBrightness", 'l', 256, L"11", '-'},
    {L"Camera-P8Z", L"LEDContrast", 'l', 256, L"12", '-'},
    {L"Camera-P8Z", L"LEDSaturation", 'l', 256, L"2", '-'},
    {L"Camera-P8Z", L"LEDGamma", 'l', 256, L"150", '-'},
    {L"Camera-P8Z", L"LEDSharpness", 'l', 256, L"5", '-'},
    {L"Camera-P8Z", L"LSDRed", 'l', 256, L"2", '-'},
    {L"Camera-P8Z", L"LSDGreen", 'l', 256, L"2", '-'},
    {L"Camera-P8Z", L"LSDBlue", 'l', 256, L"2", '-'},
    {L"Camera-P8Z", L"LSDBrightness", 'l', 256, L"11", '-'},
    {L"Camera-P8Z", L"LSDContrast", 'l', 256, L"12", '-'},
    {L"Camera-P8Z", L"LSDSaturation", 'l', 256, L"2", '-'},
    {L"Camera-P8Z", L"LSDGamma", 'l', 256, L"150", '-'},
    {L"Camera-P8Z", L"LSDSharpness", 'l', 256, L"5", '-'},
    {L"Camera-R5V", L"Brightness", 'l', 256, L"11", 'd'},
    {L"Camera-R5V", L"Contrast", 'l', 256, L"12", 'd'},
    {L"Camera-R5V", L"Saturation", 'l', 256, L"2", 'd'},
    {L"Camera-R5V", L"Gamma", 'l', 256, L"150", 'd'},
    {L"Camera-R5V", L"Sharpness", 'l', 256, L"5", 'd'},
    {L"Camera-R5V", L"WhiteBalance", 'l', 256, L"5200", 'd'},
    {L"Camera-R5V", L"AutoWB", 'l', 256, L"2", 'd'},
    {L"Camera-R5V", L"Red", 'l', 256, L"0", 'd'},
    {L"Camera-R5V", L"Green", 'l', 256, L"0", 'd'},
    {L"Camera-R5V", L"Blue", 'l', 256, L"0", 'd'},
};

std::string Narrow(LPCWSTR text)
{
    std::string s;
    for (; *text; ++text)
        s += char(*text);
    return s;
}

// section -> key -> value, as written (ANSI, CR LF lines).
std::map<std::string, std::map<std::string, std::string>> ParseIni(const std::string& bytes)
{
    std::map<std::string, std::map<std::string, std::string>> out;
    std::string section;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            out[section];
        } else if (size_t eq = line.find('='); eq != std::string::npos) {
            out[section][line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return out;
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = g_strSettingsPath;
        m_path = ScratchFolder(L"orvik_settings_test") + L"setting.ini";
        g_strSettingsPath = m_path.c_str();
    }
    void TearDown() override
    {
        DeleteFileW(m_path.c_str());
        g_strSettingsPath = m_saved;
    }
    bool FileExists() const { return GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    std::wstring m_path;
    CString m_saved;
};

TEST_F(Settings, TheKeyTableHoldsEveryKeyWithItsTypeBufferAndDefault)
{
    ASSERT_EQ(kIniKeyCount, sizeof kExpected / sizeof kExpected[0]);
    for (size_t i = 0; i < kIniKeyCount; ++i) {
        const Expected& e = kExpected[i];
        const IniKey& k = kIniKeys[i];
        SCOPED_TRACE(Narrow(e.section) + "/" + Narrow(e.key));
        EXPECT_STREQ(k.section, e.section);
        EXPECT_STREQ(k.key, e.key);
        EXPECT_EQ(k.type, e.read == 'i' || e.read == '-' ? kIniInt : kIniString);
        EXPECT_EQ(k.size, e.size);
        if (e.def) {
            EXPECT_STREQ(k.def, e.def);
        } else {
            EXPECT_EQ(k.def, nullptr);
        }
    }
}

TEST_F(Settings, AMissingFileGivesEveryDefaultAndStaysMissing)
{
    ASSERT_FALSE(FileExists());
    for (const Expected& e : kExpected) {
        SCOPED_TRACE(Narrow(e.section) + "/" + Narrow(e.key));
        switch (e.read) {
        case 'i':
            // A default the table does not give must not come back.
            EXPECT_EQ(ReadIniInt(e.section, e.key, _wtoi(e.def)), _wtoi(e.def));
            break;
        case 'l':
            EXPECT_EQ(ReadIniLong(e.section, e.key, e.def), _wtol(e.def));
            break;
        case 'f':
            EXPECT_DOUBLE_EQ(ReadIniFloat(e.section, e.key, e.def), _wtof(e.def));
            break;
        case 's':
            EXPECT_STREQ(ReadIniStr(e.section, e.key, e.def, e.size), e.def);
            break;
        }
    }
    // The start-up values that matter most, spelt out.
    EXPECT_EQ(ReadIniInt(ini::kCamera, L"CamType", 2), 2);
    EXPECT_EQ(ReadIniLong(ini::kNodrel, L"Resolution", L"11"), 11);
    EXPECT_FALSE(FileExists());
}

TEST_F(Settings, EveryWrittenKeyLandsInItsSectionInItsFormat)
{
    std::map<std::string, std::map<std::string, std::string>> expected;
    int n = 0;
    for (const Expected& e : kExpected) {
        ++n;
        std::string text;
        switch (e.write) {
        case 'd': {
            const int value = (n % 2 ? -n : n * 100);
            WriteIniInt(e.section, e.key, value);
            text = std::to_string(value);
            break;
        }
        case 'f':
            // One decimal, rounded: 1.46 -> "1.5", 3.04 -> "3.0".
            WriteIniFloat1(e.section, e.key, n % 2 ? 1.46 : 3.04);
            text = n % 2 ? "1.5" : "3.0";
            break;
        case 's':
            WriteIniStr(e.section, e.key, L"C:\\Captures\\Slide 7");
            text = "C:\\Captures\\Slide 7";
            break;
        default:
            continue;
        }
        expected[Narrow(e.section)][Narrow(e.key)] = text;
    }
    ASSERT_TRUE(FileExists());
    const auto parsed = ParseIni(ReadFileBytes(m_path));
    EXPECT_EQ(parsed, expected);

    // And the readers take them back.
    EXPECT_EQ(ReadIniInt(ini::kGeneral, L"Lang", 0), -15);
    EXPECT_EQ(ReadIniLong(ini::kNodrel, L"Resolution", L"11"), 1800);
    EXPECT_DOUBLE_EQ(ReadIniFloat(ini::kCamera, L"Saturation", L"1.0"), 1.5);
    EXPECT_STREQ(ReadIniStr(ini::kSave, L"FilePath", L"", 260), L"C:\\Captures\\Slide 7");
}

TEST_F(Settings, IntKeysParseAsTheProfileFunctionsDo)
{
    const struct {
        const char* value;
        int result;
    } cases[] = {
        {"", 2},  // an empty value gives the default, not 0
        {"-1", -1},
        {" 5", 5},
        {"abc", 0},
        {"7x", 7},
        {"3", 3},
    };
    for (const auto& c : cases) {
        WriteFileBytes(m_path, std::string("[Camera]\r\nCamType=") + c.value + "\r\n");
        EXPECT_EQ(ReadIniInt(ini::kCamera, L"CamType", 2), c.result) << "'" << c.value << "'";
    }
}

TEST_F(Settings, OnlyTheMisspeltGeneralSectionCounts)
{
    WriteFileBytes(m_path, "[General]\r\nLang=1031\r\nLogoTitle=Wrong section\r\n");
    EXPECT_EQ(ReadIniInt(ini::kGeneral, L"Lang", 0), 0);
    EXPECT_STREQ(ReadIniStr(ini::kGeneral, L"LogoTitle", L"", 256), L"");

    WriteFileBytes(m_path, "[General]\r\nLang=1031\r\n[Gerneral]\r\nLang=1036\r\nLogoTitle=Microscope 3\r\n");
    EXPECT_EQ(ReadIniInt(ini::kGeneral, L"Lang", 0), 1036);
    EXPECT_STREQ(ReadIniStr(ini::kGeneral, L"LogoTitle", L"", 256), L"Microscope 3");
}

TEST_F(Settings, StringsAreCutToTheirBuffer)
{
    const std::string longTitle(300, 'T');
    WriteFileBytes(m_path, "[Gerneral]\r\nLogoTitle=" + longTitle + "\r\n");
    EXPECT_EQ(ReadIniStr(ini::kGeneral, L"LogoTitle", L"", 256).GetLength(), 255);
    // A value that is no number reads as 0 where the reader converts it.
    WriteFileBytes(m_path, "[Nodrel]\r\nResolution=high\r\n[Camera]\r\nGain=much\r\n");
    EXPECT_EQ(ReadIniLong(ini::kNodrel, L"Resolution", L"11"), 0);
    EXPECT_DOUBLE_EQ(ReadIniFloat(ini::kCamera, L"Gain", L"1.0"), 0.0);
}

}  // namespace
