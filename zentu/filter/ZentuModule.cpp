// The Zentu capture filter's COM server: the filter and its two pages, and
// the filter's registration as a video input device.
#include "ZentuFilter.h"
#include "ZentuPages.h"

bool g_zentuChinese = false;

namespace {

const AMOVIESETUP_MEDIATYPE kPinTypes = {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24};
const AMOVIESETUP_PIN kPins[] = {
    {const_cast<LPWSTR>(L"Preview"), FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, &kPinTypes},
};
const DWORD kMerit = 0x200000;
// Filed by the base registration as a plain filter too.
const AMOVIESETUP_FILTER kFilter = {&CLSID_Zentu, ZENTU_FILTER_NAME, kMerit, 1, kPins, nullptr};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {ZENTU_FILTER_NAME, &CLSID_Zentu, CZentu::CreateInstance, nullptr, &kFilter},
    {L"Zentu SetupPage", &CLSID_ZentuSetupPage, CSetupPage::CreateInstance, nullptr, nullptr},
    {L"Zentu SizePage", &CLSID_ZentuSizePage, CSizePropertyPage::CreateInstance, nullptr, nullptr},
};
int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);

STDAPI DllRegisterServer()
{
    HRESULT hr = AMovieDllRegisterServer2(TRUE);
    if (FAILED(hr))
        return hr;
    CFilterMapper mapper;
    if (FAILED(mapper.Result()))
        return mapper.Result();
    REGFILTERPINS2 pin = {};
    pin.dwFlags = REG_PINFLAG_B_OUTPUT;
    pin.cInstances = 1;
    pin.nMediaTypes = 1;
    pin.lpMediaType = &kPinTypes;
    pin.nMediums = 0;
    pin.lpMedium = nullptr;
    pin.clsPinCategory = &PIN_CATEGORY_CAPTURE;
    REGFILTER2 rf2 = {};
    rf2.dwVersion = 2;
    rf2.dwMerit = kMerit;
    rf2.cPins2 = 1;
    rf2.rgPins2 = &pin;
    return mapper->RegisterFilter(CLSID_Zentu, ZENTU_FILTER_NAME, nullptr, &CLSID_VideoInputDeviceCategory,
                                  ZENTU_FILTER_NAME, &rf2);
}

STDAPI DllUnregisterServer()
{
    HRESULT hr = AMovieDllRegisterServer2(FALSE);
    CFilterMapper mapper;
    if (SUCCEEDED(mapper.Result()))
        mapper->UnregisterFilter(&CLSID_VideoInputDeviceCategory, ZENTU_FILTER_NAME, CLSID_Zentu);
    return FAILED(hr) ? hr : S_OK;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        const LANGID lang = GetUserDefaultLangID();
        g_zentuChinese = PRIMARYLANGID(lang) == LANG_CHINESE && SUBLANGID(lang) == 2;
    }
    return DllEntryPoint(hInstance, dwReason, lpReserved);
}
