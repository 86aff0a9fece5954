// Frames per second the capture filter delivers through a capture graph at
// each size, against the rate the simulated sensor sends at (its own timing),
// and the host's CPU time per delivered frame.
#include "ZentuGraph.h"

#include <cstdio>

namespace {

double CpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& f) {
        return double((ULONGLONG(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

}  // namespace

int main()
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CZentuSimControl sim;
    if (!sim.IsOpen() || !sim.Reset()) {
        std::printf("the simulated Zentu driver is not running\n");
        return 1;
    }
    ClearZentuRegistry();
    sim.SetPeriod(0);  // the sensor's own frame timing
    std::printf("%-12s %10s %10s %8s %12s\n", "size", "sensor fps", "delivered", "ratio", "CPU ms/frame");
    const char* names[3] = {"1280 x 1024", "1024 x 768", "640 x 480"};
    for (int size = 0; size < 3; size++) {
        ZentuGraph graph;
        if (FAILED(graph.Build(size)) || FAILED(graph.Run()) || !graph.WaitFrames(2)) {
            std::printf("%-12s could not stream\n", names[size]);
            continue;
        }
        const ZentuSimStatus s0 = sim.Status();
        const int f0 = graph.Frames();
        const double c0 = CpuSeconds();
        const DWORD t0 = GetTickCount();
        Sleep(4000);
        const DWORD ms = GetTickCount() - t0;
        const int frames = graph.Frames() - f0;
        const double cpu = CpuSeconds() - c0;
        const ZentuSimStatus s1 = sim.Status();
        graph.Stop();
        const double sensorFps = (s1.framesStarted - s0.framesStarted) * 1000.0 / ms;
        const double fps = frames * 1000.0 / ms;
        std::printf("%-12s %10.1f %10.1f %8.2f %12.1f\n", names[size], sensorFps, fps,
                    sensorFps > 0 ? fps / sensorFps : 0.0, frames ? cpu * 1000.0 / frames : 0.0);
    }
    sim.Reset();
    ClearZentuRegistry();
    CoUninitialize();
    return 0;
}
