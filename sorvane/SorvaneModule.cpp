// The plug-in's COM server: its classes, set-up data and entry points.
#include "SorvaneFilter.h"
#include "SorvaneProperties.h"

namespace {

const AMOVIESETUP_MEDIATYPE kPinTypes = {&MEDIATYPE_NULL, &MEDIASUBTYPE_NULL};

const AMOVIESETUP_PIN kPins[] = {
    {const_cast<LPWSTR>(L"Input"), FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, &kPinTypes},
    {const_cast<LPWSTR>(L"Output"), FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, &kPinTypes},
};

// Merit "do not use": only hosts that ask for it by class id build it in.
const AMOVIESETUP_FILTER kFilter = {&CLSID_SorvaneFilter, L"Kelm Sorvane Filter.", 0x200000, 2, kPins, nullptr};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"Kelm Sorvane Filter.", &CLSID_SorvaneFilter, CSorvaneFilter::CreateInstance, nullptr, &kFilter},
    {L"Kelm Sorvane Property Page", &CLSID_SorvanePropertyPage, CSorvaneProperties::CreateInstance, nullptr,
     nullptr},
};
int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);

STRMBASE_PLUGIN_ENTRY_POINTS
