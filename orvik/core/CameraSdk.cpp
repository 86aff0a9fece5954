#include "CameraSdk.h"

CHestralSdk g_HestralSdk;
CPellixSdk g_PellixSdk;

namespace {

template <class Fn>
bool Lookup(HMODULE module, LPCSTR proc, Fn& entry)
{
    entry = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, proc)));
    return entry != nullptr;
}

}  // namespace

#define ORVIK_SDK_CLEAR(name, ...) name = nullptr;

CHestralSdk::CHestralSdk() : m_hModule(nullptr)
{
    ORVIK_HESTRAL_FUNCTIONS(ORVIK_SDK_CLEAR)
}

bool CHestralSdk::Bind()
{
    Unbind();
    m_hModule = LoadLibraryW(L"Hestral.dll");
    if (!m_hModule)
        return false;
    bool all = true;
#define ORVIK_HESTRAL_LOOKUP(name) all &= Lookup(m_hModule, #name, name);
    ORVIK_HESTRAL_FUNCTIONS(ORVIK_HESTRAL_LOOKUP)
#undef ORVIK_HESTRAL_LOOKUP
    return all;
}

void CHestralSdk::Unbind()
{
    if (m_hModule)
        FreeLibrary(m_hModule);
    m_hModule = nullptr;
    ORVIK_HESTRAL_FUNCTIONS(ORVIK_SDK_CLEAR)
}

CPellixSdk::CPellixSdk() : m_hModule(nullptr)
{
    ORVIK_PELLIX_FUNCTIONS(ORVIK_SDK_CLEAR)
}

CPellixSdk::~CPellixSdk()
{
    if (m_hModule)
        FreeLibrary(m_hModule);
}

bool CPellixSdk::Bind()
{
    Unbind();
    m_hModule = LoadLibraryW(L"Marrowin.dll");
    if (!m_hModule)
        return false;
    bool all = true;
#define ORVIK_PELLIX_LOOKUP(name, proc) all &= Lookup(m_hModule, proc, name);
    ORVIK_PELLIX_FUNCTIONS(ORVIK_PELLIX_LOOKUP)
#undef ORVIK_PELLIX_LOOKUP
    return all;
}

void CPellixSdk::Unbind()
{
    if (m_hModule)
        FreeLibrary(m_hModule);
    m_hModule = nullptr;
    ORVIK_PELLIX_FUNCTIONS(ORVIK_SDK_CLEAR)
}

#undef ORVIK_SDK_CLEAR
