// An in-process COM server of filters and pages: the class table each
// module defines, its class factory, and registration.
#pragma once

#include "ComBase.h"

#include <strmif.h>

typedef REGPINTYPES AMOVIESETUP_MEDIATYPE;
typedef REGFILTERPINS AMOVIESETUP_PIN;

struct AMOVIESETUP_FILTER {
    const CLSID* clsID;
    LPCWSTR strName;
    DWORD dwMerit;
    UINT nPins;
    const AMOVIESETUP_PIN* lpPin;
    // Null files the filter under the legacy filter category.
    const CLSID* clsCategory;
};

typedef CUnknown*(WINAPI* LPFNNewCOMObject)(LPUNKNOWN pUnkOuter, HRESULT* phr);
typedef void(WINAPI* LPFNInitRoutine)(BOOL bLoading, const CLSID* rclsid);

class CFactoryTemplate {
public:
    LPCWSTR m_Name;
    const CLSID* m_ClsID;
    LPFNNewCOMObject m_lpfnNew;
    LPFNInitRoutine m_lpfnInit;
    const AMOVIESETUP_FILTER* m_pAMovieSetup_Filter;

    BOOL IsClassID(REFCLSID rclsid) const { return IsEqualCLSID(*m_ClsID, rclsid); }
    CUnknown* CreateInstance(LPUNKNOWN pUnk, HRESULT* phr) const { return m_lpfnNew(pUnk, phr); }
};

// Defined by each module.
extern CFactoryTemplate g_Templates[];
extern int g_cTemplates;

// Set by DllEntryPoint: the module's resources.
extern HINSTANCE g_hInst;

class CClassFactory : public IClassFactory, public CBaseObject {
public:
    explicit CClassFactory(const CFactoryTemplate* pTemplate);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid, void** pv) override;
    STDMETHODIMP LockServer(BOOL fLock) override;

    static BOOL IsLocked() { return m_cLocked > 0; }

private:
    const CFactoryTemplate* const m_pTemplate;
    LONG m_cRef = 0;
    static LONG m_cLocked;
};

BOOL WINAPI DllEntryPoint(HINSTANCE hInstance, ULONG ulReason, LPVOID pv);
STDAPI AMovieDllRegisterServer2(BOOL bRegister);

// The entry points of a plug-in whose classes register through g_Templates
// alone.
#define STRMBASE_PLUGIN_ENTRY_POINTS                                                        \
    STDAPI DllRegisterServer() { return AMovieDllRegisterServer2(TRUE); }                   \
    STDAPI DllUnregisterServer() { return AMovieDllRegisterServer2(FALSE); }                \
    extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved) \
    {                                                                                       \
        return DllEntryPoint(hInstance, dwReason, lpReserved);                              \
    }

// The Filter Mapper for filing filters under a category (the video input
// devices), with COM started on the calling thread for as long as it lives.
class CFilterMapper {
public:
    CFilterMapper();
    ~CFilterMapper();
    // S_OK, or why there is no mapper.
    HRESULT Result() const { return m_hr; }
    IFilterMapper2* operator->() const { return m_mapper; }
    CFilterMapper(const CFilterMapper&) = delete;
    CFilterMapper& operator=(const CFilterMapper&) = delete;

private:
    HRESULT m_com;
    HRESULT m_hr;
    IFilterMapper2* m_mapper = nullptr;
};
STDAPI DllGetClassObject(REFCLSID rClsID, REFIID riid, void** pv);
STDAPI DllCanUnloadNow();
