#include "ComBase.h"

LONG CBaseObject::m_cObjects = 0;

CBaseObject::CBaseObject(LPCWSTR name) : m_pName(name)
{
    InterlockedIncrement(&m_cObjects);
}

CBaseObject::~CBaseObject()
{
    InterlockedDecrement(&m_cObjects);
}

CUnknown::CUnknown(LPCWSTR name, LPUNKNOWN pUnk, HRESULT*)
    : CBaseObject(name), m_cRef(0),
      m_pUnknown(pUnk ? pUnk : reinterpret_cast<LPUNKNOWN>(static_cast<INonDelegatingUnknown*>(this)))
{
}

HRESULT STDMETHODCALLTYPE CUnknown::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown)
        return GetInterface(reinterpret_cast<LPUNKNOWN>(static_cast<INonDelegatingUnknown*>(this)), ppv);
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CUnknown::NonDelegatingAddRef()
{
    return ULONG(InterlockedIncrement(&m_cRef));
}

ULONG STDMETHODCALLTYPE CUnknown::NonDelegatingRelease()
{
    const LONG ref = InterlockedDecrement(&m_cRef);
    if (ref == 0) {
        // Guards against a destructor that takes and drops a reference.
        m_cRef = 1;
        delete this;
        return 0;
    }
    return ULONG(ref);
}

HRESULT GetInterface(LPUNKNOWN pUnk, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = pUnk;
    pUnk->AddRef();
    return S_OK;
}
