// The camera library tables bound against the real libraries and against a
// Marrowin library that lacks ordinal 24. The libraries sit in real\ and
// stub\ beside the program; the bare-name load finds the folder chosen here.
#include "CameraSdk.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class LibraryFolder {
public:
    explicit LibraryFolder(LPCWSTR sub) { SetDllDirectoryW((ProgramFolder() + sub).c_str()); }
    ~LibraryFolder() { SetDllDirectoryW(nullptr); }
};

struct Entry {
    const char* member;
    void* pointer;
    LPCSTR proc;  // what the library exports it as
};

// Pellix entries as the library exports them, by hand.
std::vector<Entry> PellixEntries(const CPellixSdk& s)
{
#define E(member, proc) {#member, reinterpret_cast<void*>(s.member), proc}
    return {
        E(Pellix_Initialize, "_Pellix_Initialize@0"),
        E(Pellix_Uninitialize, "_Pellix_Uninitialize@0"),
        E(Pellix_GetCameraID, "_Pellix_GetCameraID@12"),
        E(Pellix_GetFrameFormat, "_Pellix_GetFrameFormat@12"),
        E(Pellix_SetFrameFormat, "_Pellix_SetFrameFormat@4"),
        E(Pellix_GetFrameRate, "_Pellix_GetFrameRate@4"),
        E(Pellix_GetImageFlip, "_Pellix_GetImageFlip@8"),
        E(Pellix_SetImageFlip, "_Pellix_SetImageFlip@8"),
        E(Pellix_GetExposureTime, "_Pellix_GetExposureTime@12"),
        E(Pellix_SetExposureTime, "_Pellix_SetExposureTime@4"),
        E(Pellix_AutoExposure, "_Pellix_AutoExposure@8"),
        E(Pellix_GetGlobalGain, "_Pellix_GetGlobalGain@12"),
        E(Pellix_SetGlobalGain, "_Pellix_SetGlobalGain@4"),
        E(Pellix_GetBlueGain, "_Pellix_GetBlueGain@12"),
        E(Pellix_SetBlueGain, "_Pellix_SetBlueGain@4"),
        E(Pellix_GetGreenGain, "_Pellix_GetGreenGain@12"),
        E(Pellix_SetGreenGain, "_Pellix_SetGreenGain@4"),
        E(Pellix_GetRedGain, "_Pellix_GetRedGain@12"),
        E(Pellix_SetRedGain, "_Pellix_SetRedGain@4"),
        E(Pellix_GetSaturation, "_Pellix_GetSaturation@12"),
        E(Pellix_SetSaturation, "_Pellix_SetSaturation@4"),
        E(Pellix_GetKelvin, "_Pellix_GetKelvin@12"),
        E(Pellix_SetKelvin, "_Pellix_SetKelvin@4"),
        E(Pellix_GetGamma, "_Pellix_GetGamma@12"),
        E(Pellix_SetGamma, "_Pellix_SetGamma@4"),
        E(Pellix_WhiteBalance, "_Pellix_WhiteBalance@4"),
        E(Pellix_GetBitmap, "_Pellix_GetBitmap@8"),
    };
#undef E
}

std::vector<Entry> HestralEntries(const CHestralSdk& s)
{
    std::vector<Entry> entries;
#define E(member) entries.push_back({#member, reinterpret_cast<void*>(s.member), #member});
    ORVIK_HESTRAL_FUNCTIONS(E)
#undef E
    return entries;
}

void* Export(HMODULE module, LPCSTR proc)
{
    return reinterpret_cast<void*>(GetProcAddress(module, proc));
}

TEST(PellixSdk, BindsEveryEntryOfTheRealLibraryAndUnbindsClean)
{
    LibraryFolder folder(L"real");
    CPellixSdk sdk;
    ASSERT_TRUE(sdk.Bind());
    ASSERT_NE(sdk.m_hModule, nullptr);
    EXPECT_EQ(sdk.m_hModule, GetModuleHandleW(L"Marrowin.dll"));
    for (const Entry& e : PellixEntries(sdk)) {
        EXPECT_NE(e.pointer, nullptr) << e.member;
        EXPECT_EQ(e.pointer, Export(sdk.m_hModule, e.proc)) << e.member;
    }
    // The one entry bound by ordinal is the library's ordinal 24.
    EXPECT_EQ(reinterpret_cast<void*>(sdk.Pellix_SetExposureTime), Export(sdk.m_hModule, MAKEINTRESOURCEA(24)));
    EXPECT_EQ(sizeof(CPellixSdk), sizeof(HMODULE) + 27 * sizeof(void*));

    // Binding again holds the library once, so one Unbind frees it.
    ASSERT_TRUE(sdk.Bind());
    sdk.Unbind();
    EXPECT_EQ(sdk.m_hModule, nullptr);
    EXPECT_EQ(GetModuleHandleW(L"Marrowin.dll"), nullptr);
    for (const Entry& e : PellixEntries(sdk))
        EXPECT_EQ(e.pointer, nullptr) << e.member;
}

TEST(PellixSdk, ALibraryWithoutOrdinal24LeavesThatEntryNullAndFails)
{
    LibraryFolder folder(L"stub");
    CPellixSdk sdk;
    EXPECT_FALSE(sdk.Bind());
    ASSERT_NE(sdk.m_hModule, nullptr);
    // The stub exports it by name, just not at 24.
    ASSERT_NE(Export(sdk.m_hModule, "_Pellix_SetExposureTime@4"), nullptr);
    ASSERT_EQ(Export(sdk.m_hModule, MAKEINTRESOURCEA(24)), nullptr);
    for (const Entry& e : PellixEntries(sdk)) {
        if (std::string(e.member) == "Pellix_SetExposureTime") {
            EXPECT_EQ(e.pointer, nullptr);
        } else {
            EXPECT_NE(e.pointer, nullptr) << e.member;
        }
    }
    sdk.Unbind();
    EXPECT_EQ(GetModuleHandleW(L"Marrowin.dll"), nullptr);
}

TEST(PellixSdk, AMissingLibraryFailsWithNothingBound)
{
    LibraryFolder folder(L"none");
    CPellixSdk sdk;
    EXPECT_FALSE(sdk.Bind());
    EXPECT_EQ(sdk.m_hModule, nullptr);
    for (const Entry& e : PellixEntries(sdk))
        EXPECT_EQ(e.pointer, nullptr) << e.member;
}

TEST(PellixSdk, TheDestructorFreesABoundLibrary)
{
    LibraryFolder folder(L"real");
    {
        CPellixSdk sdk;
        ASSERT_TRUE(sdk.Bind());
        ASSERT_NE(GetModuleHandleW(L"Marrowin.dll"), nullptr);
    }
    EXPECT_EQ(GetModuleHandleW(L"Marrowin.dll"), nullptr);
}

TEST(HestralSdk, BindsAllFiftyFourByNameAndUnbindsClean)
{
    LibraryFolder folder(L"real");
    CHestralSdk sdk;
    ASSERT_TRUE(sdk.Bind());
    ASSERT_NE(sdk.m_hModule, nullptr);
    const std::vector<Entry> entries = HestralEntries(sdk);
    EXPECT_EQ(entries.size(), 54u);
    EXPECT_EQ(sizeof(CHestralSdk), sizeof(HMODULE) + 54 * sizeof(void*));
    for (const Entry& e : entries) {
        EXPECT_NE(e.pointer, nullptr) << e.member;
        EXPECT_EQ(e.pointer, Export(sdk.m_hModule, e.proc)) << e.member;
    }
    // The first, the last and the never-called entries sit where the table puts them.
    EXPECT_STREQ(entries.front().member, "CameraGetMultiCameraNumber");
    EXPECT_STREQ(entries[52].member, "CameraSetVideoMessage");
    EXPECT_STREQ(entries.back().member, "CameraCaptureToBuf");

    sdk.Unbind();
    EXPECT_EQ(sdk.m_hModule, nullptr);
    EXPECT_EQ(GetModuleHandleW(L"Hestral.dll"), nullptr);
    for (const Entry& e : HestralEntries(sdk))
        EXPECT_EQ(e.pointer, nullptr) << e.member;
    sdk.Unbind();  // twice is harmless
}

TEST(HestralSdk, AMissingLibraryFails)
{
    LibraryFolder folder(L"none");
    CHestralSdk sdk;
    EXPECT_FALSE(sdk.Bind());
    EXPECT_EQ(sdk.m_hModule, nullptr);
    EXPECT_EQ(sdk.CameraInit, nullptr);
}

}  // namespace
