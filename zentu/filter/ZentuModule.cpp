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

HRESULT Mapper(IFilterMapper2** mapper)
{
    return CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                            reinterpret_cast<void**>(mapper));
}

class ComScope {
public:
    ComScope() : m_hr(CoInitialize(nullptr)) {}
    ~ComScope()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_hr;
};

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
    ComScope com;
    IFilterMapper2* mapper = nullptr;
    hr = Mapper(&mapper);
    if (FAILED(hr))
        return hr;
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
    hr = mapper->RegisterFilter(CLSID_Zentu, ZENTU_FILTER_NAME, nullptr, &CLSID_VideoInputDeviceCategory,
                                ZENTU_FILTER_NAME, &rf2);
    mapper->Release();
    return hr;
}

STDAPI DllUnregisterServer()
{
    HRESULT hr = AMovieDllRegisterServer2(FALSE);
    ComScope com;
    IFilterMapper2* mapper = nullptr;
    HRESULT hrMapper = Mapper(&mapper);
    if (SUCCEEDED(hrMapper)) {
        hrMapper = mapper->UnregisterFilter(&CLSID_VideoInputDeviceCategory, ZENTU_FILTER_NAME, CLSID_Zentu);
        mapper->Release();
    }
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
