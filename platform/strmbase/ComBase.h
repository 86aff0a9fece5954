// COM object basics shared by our filters, pins, pages and class factories.
#pragma once

#include <windows.h>

#include "CritSec.h"
#include <unknwn.h>

#include <new>

// Counts every live object of a module, so DllCanUnloadNow can tell when the
// module is free to go.
class CBaseObject {
public:
    explicit CBaseObject(LPCWSTR name);
    virtual ~CBaseObject();
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;

    static LONG ObjectsActive() { return m_cObjects; }

protected:
    LPCWSTR m_pName;  // for debugging only; not owned

private:
    static LONG m_cObjects;
};

// The unknown an aggregating outer object talks to: same vtable layout as
// IUnknown, different names, so one class can carry both.
struct INonDelegatingUnknown {
    virtual HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID, void**) = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingAddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingRelease() = 0;
};

class CUnknown : public INonDelegatingUnknown, public CBaseObject {
public:
    CUnknown(LPCWSTR name, LPUNKNOWN pUnk, HRESULT* phr = nullptr);
    ~CUnknown() override = default;

    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE NonDelegatingAddRef() override;
    ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;

    LPUNKNOWN GetOwner() const { return m_pUnknown; }

protected:
    volatile LONG m_cRef;

private:
    LPUNKNOWN const m_pUnknown;  // the outer object, or ourselves
};

// The one shape of a class's CreateInstance, over `object` made by
// new (std::nothrow): a null one reports E_OUTOFMEMORY, one whose
// constructor failed through *phr is deleted again. phr may be null.
template <class T>
CUnknown* CreatedInstance(T* object, HRESULT* phr)
{
    if (!object) {
        if (phr)
            *phr = E_OUTOFMEMORY;
        return nullptr;
    }
    if (phr && FAILED(*phr)) {
        delete object;
        return nullptr;
    }
    return object;
}

// Hands out pUnk with a reference, as QueryInterface must.
HRESULT GetInterface(LPUNKNOWN pUnk, void** ppv);

// IUnknown of a class derived from CUnknown, forwarded to the owner.
#define DECLARE_IUNKNOWN                                                        \
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override               \
    { return GetOwner()->QueryInterface(riid, ppv); }                           \
    STDMETHODIMP_(ULONG) AddRef() override { return GetOwner()->AddRef(); }     \
    STDMETHODIMP_(ULONG) Release() override { return GetOwner()->Release(); }

// The COM identity of an enumerator: one interface, a count of its own, and a
// reference on the object whose list it walks.
template <class Interface, const IID* piid, class Owner>
class CEnumBase : public Interface {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == *piid)
            return GetInterface(static_cast<Interface*>(this), ppv);
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&m_cRef)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG ref = InterlockedDecrement(&m_cRef);
        if (ref == 0)
            delete this;
        return ULONG(ref);
    }

protected:
    CEnumBase(Owner* owner, int position) : m_pOwner(owner), m_Position(position) { m_pOwner->AddRef(); }
    virtual ~CEnumBase() { m_pOwner->Release(); }
    CEnumBase(const CEnumBase&) = delete;
    CEnumBase& operator=(const CEnumBase&) = delete;

    Owner* m_pOwner;
    int m_Position;

private:
    LONG m_cRef = 1;
};
