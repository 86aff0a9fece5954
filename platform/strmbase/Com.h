// Holds one COM reference and releases it when it goes.
#pragma once

#include <unknwn.h>

template <class T>
class Com {
public:
    Com() = default;
    explicit Com(T* p) : m_p(p) {}
    ~Com() { Reset(); }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
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
