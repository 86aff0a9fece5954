// regsvr32 registers Sorvane.ax and regsvr32 /u takes it out again, as the
// registry and the system device enumerator show. Ends registered.
#include "Sorvane.h"
#include "Strmbase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::wstring ModuleBeside(LPCWSTR name)
{
    WCHAR path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1) + name;
}

// The 32-bit regsvr32, as the installer runs it; its exit code.
DWORD RunRegsvr32(const std::wstring& args)
{
    WCHAR system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(system) + L"\\regsvr32.exe\" /s " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return DWORD(-1);
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = DWORD(-1);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

std::wstring GuidText(REFGUID guid)
{
    WCHAR text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

// A value under HKCR, or "<missing>".
std::wstring ClassesValue(const std::wstring& key, LPCWSTR name)
{
    WCHAR data[MAX_PATH * 2] = {};
    DWORD size = sizeof(data);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return data;
}

// The friendly name under which the device enumerator lists the filter in
// the legacy filter category, or "<missing>"; its merit from the filter data.
std::wstring ListedName(REFCLSID clsid, DWORD* merit = nullptr)
{
    std::wstring found = L"<missing>";
    ICreateDevEnum* devEnum = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                reinterpret_cast<void**>(&devEnum))))
        return L"<no device enumerator>";
    IEnumMoniker* monikers = nullptr;
    if (devEnum->CreateClassEnumerator(CLSID_LegacyAmFilterCategory, &monikers, 0) == S_OK) {
        IMoniker* moniker = nullptr;
        while (monikers->Next(1, &moniker, nullptr) == S_OK) {
            IPropertyBag* bag = nullptr;
            if (SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag)))) {
                VARIANT id, name;
                VariantInit(&id);
                VariantInit(&name);
                if (SUCCEEDED(bag->Read(L"CLSID", &id, nullptr)) && id.vt == VT_BSTR &&
                    _wcsicmp(id.bstrVal, GuidText(clsid).c_str()) == 0 &&
                    SUCCEEDED(bag->Read(L"FriendlyName", &name, nullptr)) && name.vt == VT_BSTR)
                {
                    found = name.bstrVal;
                    VARIANT data;
                    VariantInit(&data);
                    // The filter data starts with its version and the merit.
                    if (merit && SUCCEEDED(bag->Read(L"FilterData", &data, nullptr)) &&
                        data.vt == (VT_ARRAY | VT_UI1) && data.parray->rgsabound[0].cElements >= 8)
                        memcpy(merit, static_cast<BYTE*>(data.parray->pvData) + 4, sizeof(DWORD));
                    VariantClear(&data);
                }
                VariantClear(&id);
                VariantClear(&name);
                bag->Release();
            }
            moniker->Release();
        }
        monikers->Release();
    }
    devEnum->Release();
    return found;
}

TEST(SorvaneRegistration, Regsvr32RegistersAndUnregisters)
{
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    const std::wstring module = ModuleBeside(L"Sorvane.ax");
    const std::wstring quoted = L"\"" + module + L"\"";
    const std::wstring filterKey = L"CLSID\\" + GuidText(CLSID_SorvaneFilter);
    const std::wstring pageKey = L"CLSID\\" + GuidText(CLSID_SorvanePropertyPage);

    // Whatever fails below, the other tests of later runs find it registered.
    struct Reregister {
        std::wstring module;
        ~Reregister() { RunRegsvr32(module); }
    } reregister{quoted};

    ASSERT_EQ(RunRegsvr32(L"/u " + quoted), 0u);
    EXPECT_EQ(ClassesValue(filterKey, nullptr), L"<missing>");
    EXPECT_EQ(ClassesValue(pageKey, nullptr), L"<missing>");
    EXPECT_EQ(ListedName(CLSID_SorvaneFilter), L"<missing>");
    IUnknown* unknown = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_SorvaneFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&unknown)),
              REGDB_E_CLASSNOTREG);

    // Unregistering twice is not an error.
    EXPECT_EQ(RunRegsvr32(L"/u " + quoted), 0u);

    ASSERT_EQ(RunRegsvr32(quoted), 0u);
    EXPECT_EQ(ClassesValue(filterKey, nullptr), L"Kelm Sorvane Filter.");
    EXPECT_EQ(_wcsicmp(ClassesValue(filterKey + L"\\InprocServer32", nullptr).c_str(), module.c_str()), 0)
        << ClassesValue(filterKey + L"\\InprocServer32", nullptr);
    EXPECT_EQ(ClassesValue(filterKey + L"\\InprocServer32", L"ThreadingModel"), L"Both");
    EXPECT_EQ(ClassesValue(pageKey, nullptr), L"Kelm Sorvane Property Page");
    EXPECT_EQ(ClassesValue(pageKey + L"\\InprocServer32", L"ThreadingModel"), L"Both");
    DWORD merit = 0;
    EXPECT_EQ(ListedName(CLSID_SorvaneFilter, &merit), L"Kelm Sorvane Filter.");
    EXPECT_EQ(merit, 0x200000u);
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_SorvaneFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                              reinterpret_cast<void**>(&unknown)));
    unknown->Release();
    CoUninitialize();
}

}  // namespace
