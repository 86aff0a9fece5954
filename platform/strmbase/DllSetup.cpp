#include "DllSetup.h"

#include <new>
#include <olectl.h>
#include <uuids.h>

HINSTANCE g_hInst = nullptr;
LONG CClassFactory::m_cLocked = 0;

CClassFactory::CClassFactory(const CFactoryTemplate* pTemplate)
    : CBaseObject(L"Class factory"), m_pTemplate(pTemplate)
{
}

STDMETHODIMP CClassFactory::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef()
{
    return ULONG(InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) CClassFactory::Release()
{
    const LONG ref = InterlockedDecrement(&m_cRef);
    if (ref == 0)
        delete this;
    return ULONG(ref);
}

STDMETHODIMP CClassFactory::CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid, void** pv)
{
    if (!pv)
        return E_POINTER;
    *pv = nullptr;
    // An outer object may only ask for the inner unknown.
    if (pUnkOuter && riid != IID_IUnknown)
        return E_NOINTERFACE;
    HRESULT hr = S_OK;
    CUnknown* obj = m_pTemplate->CreateInstance(pUnkOuter, &hr);
    if (!obj)
        return FAILED(hr) ? hr : E_OUTOFMEMORY;
    if (FAILED(hr)) {
        delete obj;
        return hr;
    }
    obj->NonDelegatingAddRef();
    hr = obj->NonDelegatingQueryInterface(riid, pv);
    obj->NonDelegatingRelease();
    return hr;
}

STDMETHODIMP CClassFactory::LockServer(BOOL fLock)
{
    if (fLock)
        InterlockedIncrement(&m_cLocked);
    else
        InterlockedDecrement(&m_cLocked);
    return S_OK;
}

BOOL WINAPI DllEntryPoint(HINSTANCE hInstance, ULONG ulReason, LPVOID)
{
    switch (ulReason) {
    case DLL_PROCESS_ATTACH:
        // Thread notifications stay on: the static runtime's thread-local
        // storage needs them.
        g_hInst = hInstance;
        for (int i = 0; i < g_cTemplates; ++i)
            if (g_Templates[i].m_lpfnInit)
                g_Templates[i].m_lpfnInit(TRUE, g_Templates[i].m_ClsID);
        break;
    case DLL_PROCESS_DETACH:
        for (int i = 0; i < g_cTemplates; ++i)
            if (g_Templates[i].m_lpfnInit)
                g_Templates[i].m_lpfnInit(FALSE, g_Templates[i].m_ClsID);
        break;
    default:
        break;
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rClsID, REFIID riid, void** pv)
{
    if (!pv)
        return E_POINTER;
    *pv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory)
        return E_NOINTERFACE;
    for (int i = 0; i < g_cTemplates; ++i) {
        if (!g_Templates[i].IsClassID(rClsID))
            continue;
        CClassFactory* factory = new (std::nothrow) CClassFactory(&g_Templates[i]);
        if (!factory)
            return E_OUTOFMEMORY;
        factory->AddRef();
        const HRESULT hr = factory->QueryInterface(riid, pv);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow()
{
    return CClassFactory::IsLocked() || CBaseObject::ObjectsActive() ? S_FALSE : S_OK;
}

namespace {

// "{xxxxxxxx-...}"
void GuidText(REFGUID guid, WCHAR (&text)[40])
{
    StringFromGUID2(guid, text, 40);
}

LONG SetValue(HKEY key, LPCWSTR name, LPCWSTR value)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          DWORD((wcslen(value) + 1) * sizeof(WCHAR)));
}

HRESULT RegisterServer(const CFactoryTemplate& t, LPCWSTR modulePath)
{
    WCHAR clsid[40];
    GuidText(*t.m_ClsID, clsid);
    WCHAR path[100];
    wsprintfW(path, L"CLSID\\%s", clsid);
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    LONG rc = SetValue(key, nullptr, t.m_Name);
    HKEY server = nullptr;
    if (rc == ERROR_SUCCESS)
        rc = RegCreateKeyExW(key, L"InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, &server, nullptr);
    if (rc == ERROR_SUCCESS) {
        rc = SetValue(server, nullptr, modulePath);
        if (rc == ERROR_SUCCESS)
            rc = SetValue(server, L"ThreadingModel", L"Both");
        RegCloseKey(server);
    }
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterServer(const CFactoryTemplate& t)
{
    WCHAR clsid[40];
    GuidText(*t.m_ClsID, clsid);
    WCHAR path[100];
    wsprintfW(path, L"CLSID\\%s", clsid);
    const LONG rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, path);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}

HRESULT RegisterFilter(IFilterMapper2* mapper, const AMOVIESETUP_FILTER& f, BOOL bRegister)
{
    const CLSID* category = f.clsCategory ? f.clsCategory : &CLSID_LegacyAmFilterCategory;
    if (!bRegister) {
        const HRESULT hr = mapper->UnregisterFilter(category, nullptr, *f.clsID);
        // Already gone is what we wanted.
        return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ? S_OK : hr;
    }
    REGFILTER2 rf2 = {};
    rf2.dwVersion = 1;
    rf2.dwMerit = f.dwMerit;
    rf2.cPins = f.nPins;
    rf2.rgPins = f.lpPin;
    return mapper->RegisterFilter(*f.clsID, f.strName, nullptr, category, nullptr, &rf2);
}

}  // namespace

STDAPI AMovieDllRegisterServer2(BOOL bRegister)
{
    WCHAR modulePath[MAX_PATH];
    const DWORD n = GetModuleFileNameW(g_hInst, modulePath, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return E_FAIL;

    const HRESULT hrInit = CoInitialize(nullptr);
    HRESULT hr = S_OK;
    if (bRegister) {
        for (int i = 0; i < g_cTemplates && SUCCEEDED(hr); ++i)
            hr = RegisterServer(g_Templates[i], modulePath);
    }
    IFilterMapper2* mapper = nullptr;
    if (SUCCEEDED(hr)) {
        hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                              reinterpret_cast<void**>(&mapper));
    }
    for (int i = 0; i < g_cTemplates && SUCCEEDED(hr); ++i) {
        if (g_Templates[i].m_pAMovieSetup_Filter)
            hr = RegisterFilter(mapper, *g_Templates[i].m_pAMovieSetup_Filter, bRegister);
    }
    if (mapper)
        mapper->Release();
    if (!bRegister) {
        // The classes go even when the mapper could not be reached.
        for (int i = 0; i < g_cTemplates; ++i) {
            const HRESULT hrClass = UnregisterServer(g_Templates[i]);
            if (SUCCEEDED(hr))
                hr = hrClass;
        }
    }
    if (SUCCEEDED(hrInit))
        CoUninitialize();
    return hr;
}

CFilterMapper::CFilterMapper() : m_com(CoInitialize(nullptr))
{
    m_hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                            reinterpret_cast<void**>(&m_mapper));
}

CFilterMapper::~CFilterMapper()
{
    if (m_mapper)
        m_mapper->Release();
    if (SUCCEEDED(m_com))
        CoUninitialize();
}
