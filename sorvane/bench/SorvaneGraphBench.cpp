// Frames per second through a graph of test source -> Sorvane -> Null
// Renderer at 1280 x 1024, with all operations off and with gray + sharp on,
// beside the time the two operations take on their own. The source writes
// each buffer only once, so what remains is the graph's own cost.
#include "GraphHelpers.h"
#include "PixelOps.h"
#include "Sorvane.h"
#include "BenchTiming.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const int kWidth = 1280, kHeight = 1024;
const int kBuffers = 4;

// Milliseconds per frame through the graph, over `frames` frames after a
// warm-up; negative when the graph did not run.
double GraphMsPerFrame(bool graySharp, int frames)
{
    Com<IBaseFilter> sorvane, renderer;
    Com<ISorvane> settings;
    Com<IGraphBuilder> graph;
    if (FAILED(CreateFilter(CLSID_SorvaneFilter, &sorvane)) ||
        FAILED(sorvane->QueryInterface(IID_ISorvane, settings.OutVoid())) ||
        FAILED(CreateFilter(CLSID_NullRenderer, &renderer)) ||
        FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                graph.OutVoid())))
        return -1;
    settings->put_Gray(graySharp);
    settings->put_Sharp(graySharp);
    TestSourceConfig config;
    config.width = kWidth;
    config.height = kHeight;
    config.refill = false;
    config.buffers = kBuffers;
    config.frame.resize(size_t(DibStride(kWidth)) * kHeight);
    for (size_t i = 0; i < config.frame.size(); ++i)
        config.frame[i] = BYTE((i * 2654435761u) >> 24);
    Com<CTestSource> source(CTestSource::Create(config));
    graph->AddFilter(source->Filter(), L"Source");
    graph->AddFilter(sorvane.Get(), L"Kelm Sorvane");
    graph->AddFilter(renderer.Get(), L"Null");
    Com<IPin> out(FindPin(source->Filter(), PINDIR_OUTPUT)), in(FindPin(sorvane.Get(), PINDIR_INPUT));
    Com<IPin> out2(FindPin(sorvane.Get(), PINDIR_OUTPUT)), in2(FindPin(renderer.Get(), PINDIR_INPUT));
    if (FAILED(graph->ConnectDirect(out.Get(), in.Get(), nullptr)) ||
        FAILED(graph->ConnectDirect(out2.Get(), in2.Get(), nullptr)))
        return -1;
    Com<IMediaControl> control;
    Com<IMediaFilter> mediaFilter;
    graph->QueryInterface(IID_IMediaControl, control.OutVoid());
    graph->QueryInterface(IID_IMediaFilter, mediaFilter.OutVoid());
    mediaFilter->SetSyncSource(nullptr);
    if (FAILED(control->Run()))
        return -1;
    auto waitFor = [&](LONG count) {
        while (source->FramesDelivered() < count)
            Sleep(0);
    };
    const LONG warm = 10;
    waitFor(warm);
    const double t0 = BenchNow();
    waitFor(warm + frames);
    const double ms = (BenchNow() - t0) * 1000.0 / frames;
    control->Stop();
    return ms;
}

// The operations alone, over as many frames as the source has buffers, so
// the frames are as cold in the caches as in the graph; a mean over all
// frames after one warm-up pass, as the graph's figure is.
double OpsMsPerFrame(int frames)
{
    std::vector<std::vector<BYTE>> pool(kBuffers, std::vector<BYTE>(size_t(DibStride(kWidth)) * kHeight));
    for (auto& frame : pool)
        for (size_t i = 0; i < frame.size(); ++i)
            frame[i] = BYTE((i * 2654435761u) >> 24);
    auto pass = [&](int n) {
        for (int i = 0; i < n; ++i) {
            BYTE* frame = pool[size_t(i) % pool.size()].data();
            ImgGray(frame, kWidth, kHeight);
            ImgSharp(frame, kWidth, kHeight);
        }
    };
    pass(kBuffers);
    const double t0 = BenchNow();
    pass(frames);
    return (BenchNow() - t0) * 1000.0 / frames;
}

}  // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(10, atoi(argv[1]) * 10) : 150;
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        return 1;
    const double ops = OpsMsPerFrame(frames);
    const double off = GraphMsPerFrame(false, frames);
    const double on = GraphMsPerFrame(true, frames);
    CoUninitialize();
    if (off < 0 || on < 0) {
        std::printf("the Sorvane graph did not run (is Sorvane.ax registered?)\n");
        return 1;
    }
    std::printf("%d x %d through source -> Sorvane -> Null Renderer, %d frames:\n", kWidth, kHeight, frames);
    std::printf("  gray + sharp on their own   %8.3f ms/frame\n", ops);
    std::printf("  graph, all operations off   %8.3f ms/frame  %7.1f frames/s\n", off, 1000.0 / off);
    std::printf("  graph, gray + sharp         %8.3f ms/frame  %7.1f frames/s\n", on, 1000.0 / on);
    std::printf("  graph alone against the operations: %.1f %%\n", off / ops * 100.0);
    const double overhead = (on - ops) / ops;
    std::printf("  graph overhead against the operations: %.1f %% (goal under 10 %%)%s\n", overhead * 100.0,
                overhead < 0.10 ? "" : "  [over goal]");
    return 0;
}
