// Helpers for tests that see the simulated cameras as a peer program does:
// installed cameras, the system device enumerator, and a capture graph of
// Wine's own filters (Capture Graph Builder 2, Smart Tee, Sample Grabber,
// Null Renderer) around one camera.
#pragma once

#include "Com.h"
#include "Strmbase.h"
#include "UvcCamInstall.h"
#include "VideoInputs.h"

#include <string>
#include <vector>

// A file beside the test program.
std::wstring BesideProgram(LPCWSTR file);

// The video input devices' friendly names in enumeration order: only the
// simulated cameras, unless `all` (the prefix holds other capture filters
// too); the result of CreateClassEnumerator in *hr.
std::vector<std::wstring> VideoInputNames(HRESULT* hr = nullptr, bool all = false);

// One frame, top row first, as (R, G, B).
struct Frame {
    int width = 0, height = 0;
    std::vector<BYTE> dib;  // bottom-up BGR, rows padded to 4 bytes
    void Pixel(int x, int y, int rgb[3]) const;
    int R(int x, int y) const;
    int G(int x, int y) const;
    int B(int x, int y) const;
    // The burned-in frame counter.
    ULONG Counter() const;
};

class CameraGraph {
public:
    CameraGraph();
    ~CameraGraph();
    CameraGraph(const CameraGraph&) = delete;
    CameraGraph& operator=(const CameraGraph&) = delete;

    // Adds the camera. Run then builds: camera -> Smart Tee; "Capture" ->
    // Sample Grabber (RGB24) -> Null Renderer; "Preview" -> Null Renderer,
    // or with `renderPreview` whatever the graph renders it with (Wine's
    // video renderer: a window, and seconds to tear down). The capture pin
    // is found by category, as a capture program finds it.
    HRESULT Build(LPCWSTR cameraName, bool renderPreview = false);
    HRESULT Run();
    HRESULT Stop();
    // The next frame whose counter is at least `after` (one after the last
    // frame seen by default), within `ms`.
    bool NextFrame(Frame* frame, DWORD ms = 5000);
    // A frame made after everything set before this call: frames already on
    // their way through the graph's buffers are passed over.
    bool SettledFrame(Frame* frame);

    IBaseFilter* Camera() const { return m_camera.Get(); }
    IPin* CapturePin() const { return m_capturePin.Get(); }
    ICaptureGraphBuilder2* Builder() const { return m_builder.Get(); }
    IGraphBuilder* Graph() const { return m_graph.Get(); }
    IAMStreamConfig* StreamConfig();
    template <class T>
    HRESULT CameraInterface(REFIID iid, Com<T>* out) { return m_camera->QueryInterface(iid, out->OutVoid()); }

private:
    Com<IGraphBuilder> m_graph;
    Com<ICaptureGraphBuilder2> m_builder;
    Com<IBaseFilter> m_camera, m_tee, m_grabberFilter, m_null, m_previewNull;
    bool m_renderPreview = false;
    Com<ISampleGrabber> m_grabber;
    Com<IPin> m_capturePin;
    Com<IAMStreamConfig> m_config;
    ULONG m_lastCounter = 0;
    bool m_seen = false;
};
