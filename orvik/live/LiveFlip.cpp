#include "LiveFlip.h"

#include "CameraSdk.h"
#include "OrvikDoc.h"
#include <Globals.h>
#include <ROREREverizaZizidodu.h>
#include <Trevlo.h>

namespace {
bool Apply(LiveFlipAxis axis, int on) {
    if (g_CamType == 0)
        return g_PellixSdk.Pellix_SetImageFlip &&
               g_PellixSdk.Pellix_SetImageFlip(&g_HorizontalFlip, &g_VerticalFlip) == 0;
    if (g_CamType == 2 && g_CamSubType >= 5 && g_CamSubType <= 7)
        return (axis == kFlipHorizontal ? SetImageMirrorStatus(on) : SetImageVerticalStatus(on)) != 0;
    if (g_CamType == 2) {
        COrvikDoc* doc = COrvikDoc::FindLiveDoc();
        CXGraphDll* graph = doc ? doc->GetCaptureGraph() : nullptr;
        if (!graph) return false;
        return SUCCEEDED(axis == kFlipHorizontal ? graph->put_Mirror(on) : graph->put_Flip(on));
    }
    if (g_CamType >= 3 && g_CamType <= 6)
        return g_HestralSdk.CameraSetMirror && g_HestralSdk.CameraSetMirror(axis == kFlipHorizontal ? 0 : 1, on) == CAMERA_OK;
    return false;
}
}  // namespace

bool ApplyLiveFlip(LiveFlipAxis axis) {
    const int on = axis == kFlipHorizontal ? g_HorizontalFlip : g_VerticalFlip;
    const bool done = Apply(axis, on);
    CString trace;
    trace.Format(L"live flip %s %d: %s", axis == kFlipHorizontal ? L"horizontal" : L"vertical", on,
                 done ? L"applied" : L"not applied");
    ::OutputDebugStringW(trace);
    return done;
}
