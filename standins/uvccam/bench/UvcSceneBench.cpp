// Time to make one frame of the simulated camera, beside a memcpy of the
// same frame and the frame period: the simulator must never be what limits
// a live-view benchmark.
#include "UvcScene.h"
#include "BenchTiming.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

volatile unsigned g_sink;

template <typename F>
double PerFrameMs(int frames, F&& f)
{
    const double t0 = BenchNow();
    for (int i = 0; i < frames; ++i)
        f(i);
    return (BenchNow() - t0) * 1000.0 / frames;
}

}  // namespace

int main()
{
    const int sizes[][2] = {{1600, 1200}, {1024, 768}, {2592, 1944}};
    UvcDeviceState* device = UvcDevice(L"Bench camera");
    if (!device) {
        fprintf(stderr, "no device table\n");
        return 1;
    }
    for (const auto& s : sizes) {
        const int w = s[0], h = s[1];
        const int stride = (w * 24 + 31) / 32 * 4;
        // Touched before timing, and read after, so neither pass is free.
        std::vector<BYTE> a(size_t(stride) * h, 1), b(a.size(), 2);
        const int frames = 60;
        const double copy = PerFrameMs(frames, [&](int i) {
            a[size_t(i) * 4099 % a.size()] = BYTE(i);
            memcpy(b.data(), a.data(), a.size());
            g_sink = g_sink + b[size_t(i) * 7919 % b.size()];
        });
        CUvcScene scene;
        const double steady = PerFrameMs(frames, [&](int i) {
            scene.Render(*device, i, w, h, a.data(), stride);
            g_sink = g_sink + a[size_t(i) * 7919 % a.size()];
        });
        // Every frame with new settings: the tables are made again.
        const double changing = PerFrameMs(frames, [&](int i) {
            device->procAmp[VideoProcAmp_Brightness] = i % 2;
            UvcTouch(device);
            scene.Render(*device, i, w, h, a.data(), stride);
            g_sink = g_sink + a[size_t(i) * 7919 % a.size()];
        });
        printf("%4d x %4d: frame %.2f ms (%.2f x memcpy), settings changing %.2f ms (%.2f x memcpy); "
               "frame period at 15 fps 66.67 ms\n",
               w, h, steady, steady / copy, changing, changing / copy);
    }
    return 0;
}
