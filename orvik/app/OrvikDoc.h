// The live-preview document: the state of the live picture. Until the live
// view exists it holds only what the frame switches on a Preview.
#pragma once

#include <AfxWindows.h>

class CXGraphDll;

class COrvikDoc : public CDocument {
    DECLARE_DYNCREATE(COrvikDoc)
public:
    COrvikDoc();
    // This document shows the one live preview (set by its view).
    bool m_bLive;
    // Gates the real-time filter and the marker overlay.
    bool m_bRealtimeEnable;
    // Gates the mask operation.
    bool m_bMaskEnable;
    // The capture graph of the document's DirectShow video window; null while
    // the document has none.
    virtual CXGraphDll* GetCaptureGraph() const { return nullptr; }
};
