#include "LiveFlip.h"

#include "CameraSdk.h"
#include "OrvikDoc.h"
#include <Globals.h>
#include <ROREREverizaZizidodu.h>
#include <Trevlo.h>

namespace {
bool Apply(LiveFlipAxis axis, int on) {
    if (g_CamType == kCamMarrowin)
        return g_PellixSdk.Pellix_SetImageFlip &&
               g_PellixSdk.Pellix_SetImageFlip(&g_HorizontalFlip, &g_VerticalFlip) == 0;
    if (IsUvcCamera())
        return (axis == kFlipHorizontal ? SetImageMirrorStatus(on) : SetImageVerticalStatus(on)) != 0;
    if (g_CamType == kCamDirectShow) {
        COrvikDoc* doc = COrvikDoc::FindLiveDoc();
        CXGraphDll* graph = doc ? doc->GetCaptureGraph() : nullptr;
        if (!graph) return false;
        return SUCCEEDED(axis == kFlipHorizontal ? graph->put_Mirror(on) : graph->put_Flip(on));
    }
    if (IsHestralCamType())
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
