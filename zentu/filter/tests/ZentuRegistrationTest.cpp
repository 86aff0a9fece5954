// Registering and unregistering the capture filter's module, as regsvr32
// does: the COM classes in this bitness's registry view and the video input
// device the device enumerator lists.
#include "ZentuGraph.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

#ifdef _WIN64
const wchar_t kModule[] = L"Zentu64.ax";
#else
const wchar_t kModule[] = L"Zentu.ax";
#endif

std::wstring BesideProgram(const wchar_t* file)
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path);
    return p.substr(0, p.find_last_of(L"\\/") + 1) + file;
}

bool Listed()
{
    const std::vector<std::wstring> names = VideoInputNames();
    return std::find(names.begin(), names.end(), std::wstring(ZENTU_FILTER_NAME)) != names.end();
}

bool ClassKey(const wchar_t* clsid)
{
    HKEY key;
    const std::wstring path = std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32";
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

using ServerFn = HRESULT(STDAPICALLTYPE*)();

}  // namespace

TEST(ZentuRegistration, UnregisterRemovesTheDeviceAndTheClassesRegisterBringsThemBack)
{
    CoInitialize(nullptr);
    HMODULE module = LoadLibraryW(BesideProgram(kModule).c_str());
    ASSERT_NE(module, nullptr);
    auto reg = reinterpret_cast<ServerFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
    auto unreg = reinterpret_cast<ServerFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllUnregisterServer")));
    ASSERT_TRUE(reg && unreg);
    const wchar_t* classes[] = {L"{2B967553-33A8-4AF1-ADF4-D53EFF4E16FE}", L"{ED6B0505-522A-4B7A-9A42-0322F46A4EBA}",
                                L"{D2FCE93E-DBCA-4A74-97E3-4ACDA42E31CD}"};
    EXPECT_TRUE(Listed());

    EXPECT_EQ(unreg(), S_OK);
    EXPECT_FALSE(Listed());
    for (const wchar_t* c : classes)
        EXPECT_FALSE(ClassKey(c)) << c;

    // Registering twice is as registering once.
    EXPECT_EQ(reg(), S_OK);
    EXPECT_EQ(reg(), S_OK);
    EXPECT_TRUE(Listed());
    for (const wchar_t* c : classes)
        EXPECT_TRUE(ClassKey(c)) << c;
    const std::vector<std::wstring> names = VideoInputNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), std::wstring(ZENTU_FILTER_NAME)), 1);
    FreeLibrary(module);
    CoUninitialize();
}
