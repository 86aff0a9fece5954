// The stand-in compressor's COM server. It files itself among the video
// compressors, under the name capture programs look for.
#include "WmvCodecFilter.h"

namespace {

const AMOVIESETUP_MEDIATYPE kInputTypes = {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24};
const AMOVIESETUP_MEDIATYPE kOutputTypes = {&MEDIATYPE_Video, &MEDIASUBTYPE_WMV3_Standin};

const AMOVIESETUP_PIN kPins[] = {
    {const_cast<LPWSTR>(L"Input"), FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, &kInputTypes},
    {const_cast<LPWSTR>(L"Output"), FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, &kOutputTypes},
};

// "Do not use": the graph never builds it in on its own, only hosts that
// pick it from the category do.
const AMOVIESETUP_FILTER kFilter = {&CLSID_WmvCodecStandin, L"Microsoft Windows Media Video 9", 0x200000, 2, kPins,
                                    &CLSID_VideoCompressorCategory};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"Microsoft Windows Media Video 9", &CLSID_WmvCodecStandin, CWmvCodecFilter::CreateInstance, nullptr,
     &kFilter},
};
int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);

STRMBASE_PLUGIN_ENTRY_POINTS
