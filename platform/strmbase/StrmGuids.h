// Class ids of Wine's DirectShow filters that the mingw-w64 headers do not
// declare (the values are in libstrmiids). ISampleGrabber itself comes from
// qedit.h.
#pragma once

#include <windows.h>
#include <guiddef.h>
#include <qedit.h>

EXTERN_C const CLSID CLSID_SampleGrabber;  // {C1F400A0-3F08-11D3-9F0B-006008039E37}
EXTERN_C const CLSID CLSID_NullRenderer;   // {C1F400A4-3F08-11D3-9F0B-006008039E37}
