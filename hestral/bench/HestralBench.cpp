// Processed frames per second of the Hestral pipeline in each mode and
// demosaic method, against the sensor's frame rate (rows x row time).
#include <windows.h>
#include <cstdio>
#include <vector>
#include "CameraCore.h"
#include "ZentuScene.h"
#include "BenchTiming.h"

int main()
{
    CCameraCore core;
    core.SetRegion(360, 272, 640, 480);
    std::printf("%-6s %-7s %12s %12s %8s\n", "mode", "method", "frames/s", "sensor f/s", "ratio");
    for (int mode : {0, 1, 2, 3}) {
        core.SetGeometry(mode);
        core.RecomputeTiming();
        const int w = core.SensorWidth(), h = core.SensorHeight();
        const int skip = mode == 0 || mode == 3 ? 1 : mode == 1 ? 2 : 3;
        std::vector<BYTE> raw((size_t)w * h + 512), work(raw.size());
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) raw[(size_t)y * w + x] = zentu_scene_raw(0, x, y, skip, skip, 65536);
        std::vector<BYTE> out((size_t)core.OutputWidth() * core.OutputHeight() * 3);
        const double sensor = 1e6 / ((double)h * (core.rowTime > 0 ? core.rowTime : 1));
        for (int method : {0, 1, 2}) {
            core.b2rgb = method;
            const int n = mode == 0 ? 4 : 10;
            const double t0 = BenchNow();
            for (int i = 0; i < n; i++) {
                work = raw;
                core.Pipeline(work.data(), out.data());
            }
            const double fps = n / (BenchNow() - t0);
            std::printf("%-6d %-7d %12.1f %12.1f %8.2f\n", mode, method, fps, sensor, fps / sensor);
        }
    }
    return 0;
}
