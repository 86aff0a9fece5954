// Test helpers that see the Zentu capture filter as a peer program does: the
// system device enumerator, a capture graph of Wine's own filters (Capture
// Graph Builder 2, Smart Tee, Sample Grabber, Null Renderer), and the frame
// the pipeline makes of the simulated driver's scene.
#pragma once
#include "Com.h"
#include "Strmbase.h"
#include "IZentu.h"
#include "Pipeline.h"
#include "VideoInputs.h"
#include "ZentuSimControl.h"

#include <string>
#include <vector>

std::vector<std::wstring> VideoInputNames();

// Removes every parameter set, so the filter starts from its initial values.
void ClearZentuRegistry();

struct Grabbed {
    std::vector<BYTE> bytes;
    REFERENCE_TIME start = 0, end = 0;
};

class ZentuGraph {
public:
    // What the Sample Grabber's callback does with each frame: keep a copy of
    // the last few (for NextFrames), or only count them, so that a benchmark
    // measures the graph and not the harness's 4 MB copy a frame.
    enum class Grab { Copies, CountOnly };
    // Whether Smart Tee stands between the camera and the grabber (a
    // benchmark leaves it out to tell its cost from the filter's).
    enum class Tee { SmartTee, None };

    explicit ZentuGraph(Grab grab = Grab::Copies, Tee tee = Tee::SmartTee);
    ~ZentuGraph();
    ZentuGraph(const ZentuGraph&) = delete;
    ZentuGraph& operator=(const ZentuGraph&) = delete;

    // The camera from the device enumerator, at a size (-1 keeps its own),
    // connected: capture pin (found by category) -> Smart Tee; "Capture" ->
    // Sample Grabber -> Null Renderer; "Preview" -> Null Renderer. Without
    // the tee: capture pin -> Sample Grabber -> Null Renderer.
    HRESULT Build(int size = -1);
    HRESULT Run();
    HRESULT Pause();
    HRESULT Stop();
    // Frames delivered so far, and waiting for more.
    int Frames();
    bool WaitFrames(int count, DWORD ms = 10000);
    // The frames grabbed after this call, once `count` came (Grab::Copies).
    bool NextFrames(int count, std::vector<Grabbed>* frames, DWORD ms = 10000);
    // The first event of this code within ms; its first parameter in *param.
    bool WaitEvent(long code, DWORD ms, LONG_PTR* param = nullptr);

    IBaseFilter* Camera() const { return m_camera.Get(); }
    IPin* CapturePin() const { return m_capturePin.Get(); }
    IZentu* Zentu() const { return m_zentu.Get(); }
    IAMStreamConfig* StreamConfig() const { return m_config.Get(); }
    IMediaControl* Control() const { return m_control.Get(); }

private:
    class Callback;
    Com<IGraphBuilder> m_graph;
    Com<ICaptureGraphBuilder2> m_builder;
    Com<IBaseFilter> m_camera, m_tee, m_grabberFilter, m_null, m_previewNull;
    Com<ISampleGrabber> m_grabber;
    Com<IPin> m_capturePin;
    Com<IAMStreamConfig> m_config;
    Com<IZentu> m_zentu;
    Com<IMediaControl> m_control;
    Callback* m_callback = nullptr;
    bool m_withTee = true;
};

// The raw frame the simulated driver sends for a size with its current
// registers (its frame counter left as `stamp`), and what the pipeline makes
// of it with the filter's settings.
std::vector<BYTE> SceneRawFrame(int size, CZentuSimControl& sim, BYTE stamp);
// The filter's settings and the driver's defect table for its size, with the
// tables built, as the pipeline of the filter's own frames sees them.
void PipelineOwnerOf(IZentu* zentu, ZentuOwner& owner);
std::vector<BYTE> ReferenceFrame(IZentu* zentu, const std::vector<BYTE>& raw);
// Bytes that differ between a grabbed frame and the reference, leaving out
// the pixels the frame counter reaches.
int FrameMismatches(IZentu* zentu, int size, CZentuSimControl& sim, const std::vector<BYTE>& grabbed);
