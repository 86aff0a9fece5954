// Holds one COM reference and lets it go exactly once.
#pragma once

#include <unknwn.h>

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    void Reset()
    {
        if (m_p)
            m_p->Release();
        m_p = nullptr;
    }
    // For a call that hands out a new reference.
    T** Out()
    {
        Reset();
        return &m_p;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    template <class U>
    HRESULT QueryFrom(U* from, REFIID iid)
    {
        Reset();
        return from ? from->QueryInterface(iid, OutVoid()) : E_POINTER;
    }

private:
    T* m_p = nullptr;
};
