// The camera plug-in's COM server, and the installation of the simulated
// devices as video input devices.
#include "UvcCamFilter.h"
#include "UvcCamInstall.h"

#include <initguid.h>
DEFINE_GUID(CLSID_UvcCamera, 0x7a3e5b21, 0x4c1d, 0x4e8f, 0x9b, 0x2a, 0x6d, 0x0c, 0x1e, 0x2f, 0x3a, 0x41);

#include <cwchar>
#include <vector>

CFactoryTemplate g_Templates[] = {
    {L"Veltrane UVC camera", &CLSID_UvcCamera, CUvcCamFilter::CreateInstance, nullptr, nullptr},
};
int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);

namespace {

const WCHAR kDefaultCameras[] = L"Camera-R5V";

const AMOVIESETUP_MEDIATYPE kPinTypes = {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24};
const AMOVIESETUP_PIN kPins[] = {
    {const_cast<LPWSTR>(L"Capture"), FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, &kPinTypes},
};

// Instance names sort as the installation order: the device enumerator
// lists a category by instance name.
void InstanceName(int index, WCHAR (&name)[32])
{
    wsprintfW(name, L"Veltrane UVC camera %02d", index);
}

// Every instance we may ever have made, whatever the stored list says.
HRESULT RemoveDevices()
{
    CFilterMapper mapper;
    if (FAILED(mapper.Result()))
        return mapper.Result();
    for (int i = 0; i < UVC_MAX_DEVICES; ++i) {
        WCHAR instance[32];
        InstanceName(i, instance);
        mapper->UnregisterFilter(&CLSID_VideoInputDeviceCategory, instance, CLSID_UvcCamera);
    }
    return S_OK;
}

HRESULT AddDevices(const WCHAR (*names)[UVC_NAME_CHARS], int count)
{
    CFilterMapper mapper;
    HRESULT hr = mapper.Result();
    if (FAILED(hr))
        return hr;
    REGFILTER2 rf2 = {};
    rf2.dwVersion = 1;
    rf2.dwMerit = MERIT_DO_NOT_USE;
    rf2.cPins = 1;
    rf2.rgPins = kPins;
    for (int i = 0; i < count && SUCCEEDED(hr); ++i) {
        WCHAR instance[32];
        InstanceName(i, instance);
        hr = mapper->RegisterFilter(CLSID_UvcCamera, names[i], nullptr, &CLSID_VideoInputDeviceCategory, instance,
                                    &rf2);
    }
    return hr;
}

// "a;b;c" into a checked list of names and a double-NUL-terminated string.
HRESULT ParseNames(LPCWSTR list, WCHAR (*names)[UVC_NAME_CHARS], int* count, std::vector<WCHAR>* multiSz)
{
    *count = 0;
    multiSz->clear();
    const WCHAR* p = list;
    while (*p) {
        const WCHAR* end = wcschr(p, L';');
        const size_t n = end ? size_t(end - p) : wcslen(p);
        if (n == 0 || n >= UVC_NAME_CHARS || *count >= UVC_MAX_DEVICES)
            return E_INVALIDARG;
        lstrcpynW(names[*count], p, int(n + 1));
        multiSz->insert(multiSz->end(), p, p + n);
        multiSz->push_back(0);
        ++*count;
        p = end ? end + 1 : p + n;
        if (end && !*p)
            return E_INVALIDARG;  // a trailing separator names an empty camera
    }
    multiSz->push_back(0);
    return S_OK;
}

}  // namespace

STDAPI InstallCameras(LPCWSTR names)
{
    if (!names)
        return E_POINTER;
    WCHAR parsed[UVC_MAX_DEVICES][UVC_NAME_CHARS];
    int count = 0;
    std::vector<WCHAR> multiSz;
    HRESULT hr = ParseNames(names, parsed, &count, &multiSz);
    if (FAILED(hr))
        return hr;
    hr = RemoveDevices();
    if (FAILED(hr))
        return hr;
    if (!UvcStoreInstalledNames(multiSz.data()))
        return E_FAIL;
    UvcResetDevices();
    return AddDevices(parsed, count);
}

STDAPI DllRegisterServer()
{
    HRESULT hr = AMovieDllRegisterServer2(TRUE);
    if (FAILED(hr))
        return hr;
    WCHAR names[UVC_MAX_DEVICES][UVC_NAME_CHARS];
    bool listed = false;
    const int count = UvcInstalledNames(names, UVC_MAX_DEVICES, &listed);
    if (!listed)
        return InstallCameras(kDefaultCameras);
    hr = RemoveDevices();
    return SUCCEEDED(hr) ? AddDevices(names, count) : hr;
}

// The list stays stored, so registering again brings the same cameras back.
STDAPI DllUnregisterServer()
{
    const HRESULT hr = RemoveDevices();
    const HRESULT hrServer = AMovieDllRegisterServer2(FALSE);
    return FAILED(hr) ? hr : hrServer;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved)
{
    return DllEntryPoint(hInstance, dwReason, lpReserved);
}
