// Time per frame of each live filter, mask operation and cached overlay, as
// a ratio to a memcpy of the same frame measured in the same run, and as a
// share of the Marrowin path's 20 ms frame step.
#include "BenchTiming.h"
#include "OverlayCache.h"
#include "RealTime.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Op {
    std::string name;
    double goal;  // ratio to memcpy; 0 for none
    std::function<int(BYTE*, int, int, int)> run;
};

const double kFrameStepMs = 20.0;

}  // namespace

int main(int argc, char** argv)
{
    const int repeats = argc > 1 ? std::max(1, atoi(argv[1])) : 11;
    std::vector<BYTE> mask;
    int maskWidth = 0, maskHeight = 0, maskStride = 0;
    COverlayCache cache;
    std::vector<Op> ops = {
        {"gray", 2, RTGray},
        {"binary", 2, [](BYTE* f, int w, int h, int s) { return RTBinary(f, w, h, s, 128); }},
        {"invert", 2, RTInvert},
        {"emboss", 4, RTEmboss},
        {"sharp", 4, RTSharp},
        {"gaussblur", 4, RTGaussBlur},
        {"sobelv", 4, RTEdgeDetectSobelV},
        {"sobelh", 4, RTEdgeDetectSobelH},
        {"equalize", 0, RTEqualize},
        {"maskand", 2, [&](BYTE* f, int w, int h, int s) { return RTMaskAnd(f, w, h, s, mask.data(), maskWidth, maskHeight, maskStride); }},
        {"maskor", 2, [&](BYTE* f, int w, int h, int s) { return RTMaskOr(f, w, h, s, mask.data(), maskWidth, maskHeight, maskStride); }},
        {"maskxor", 2, [&](BYTE* f, int w, int h, int s) { return RTMaskXor(f, w, h, s, mask.data(), maskWidth, maskHeight, maskStride); }},
        {"maskadd", 2, [&](BYTE* f, int w, int h, int s) { return RTMaskAdd(f, w, h, s, mask.data(), maskWidth, maskHeight, maskStride); }},
        {"masksub", 2, [&](BYTE* f, int w, int h, int s) { return RTMaskSub(f, w, h, s, mask.data(), maskWidth, maskHeight, maskStride); }},
        {"maskdivide", 2, [&](BYTE* f, int w, int h, int s) { return RTMaskDivide(f, w, h, s, mask.data(), maskWidth, maskHeight, maskStride); }},
        {"multiply", 2, [](BYTE* f, int w, int h, int s) { return RTMultiply(f, w, h, s, 1.5f); }},
    };
    const struct {
        const char* name;
        MarkerKind kind;
    } overlays[] = {{"ruler", kMarkerRuler}, {"grid", kMarkerGrid}, {"circles", kMarkerCircles}};
    for (const auto& o : overlays)
        for (int unit : {1, 2, 5, 50}) {
            const MarkerKind kind = o.kind;
            ops.push_back({std::string(o.name) + " u=" + std::to_string(unit), 2,
                           [&cache, kind, unit](BYTE* f, int w, int h, int s) {
                               return cache.Apply(f, w, h, s, true, kind, unit, RGB(0, 255, 0));
                           }});
        }
    const int sizes[][2] = {{1296, 972}, {2592, 1944}};
    int slow = 0, measured = 0;
    for (auto& size : sizes) {
        const int w = size[0], h = size[1], stride = Dib24Stride(w);
        const size_t bytes = size_t(stride) * h;
        std::vector<BYTE> picture(bytes), frame(bytes), copy(bytes);
        for (size_t i = 0; i < bytes; ++i)
            picture[i] = BYTE((i * 2654435761u) >> 24);
        mask.assign(picture.rbegin(), picture.rend());
        maskWidth = w, maskHeight = h, maskStride = stride;
        auto fresh = [&] { std::memcpy(frame.data(), picture.data(), bytes); };
        const double base = BenchTimeMs(fresh, [&] { std::memcpy(copy.data(), frame.data(), bytes); }, repeats);
        std::printf("%d x %d: memcpy of the frame %.3f ms\n", w, h, base);
        std::printf("  %-14s %9s %8s %6s %10s\n", "operation", "ms/frame", "ratio", "goal", "of 20 ms");
        for (const Op& op : ops) {
            const double ms = BenchTimeMs(fresh, [&] { op.run(frame.data(), w, h, stride); }, repeats);
            const double ratio = ms / base;
            const bool ok = op.goal == 0 || ratio <= op.goal;
            slow += !ok;
            measured += op.goal != 0;
            char goal[16] = "-";
            if (op.goal != 0)
                std::snprintf(goal, sizeof goal, "%.0fx", op.goal);
            std::printf("  %-14s %9.3f %7.2fx %6s %9.0f%%%s\n", op.name.c_str(), ms, ratio, goal,
                        100.0 * ms / kFrameStepMs, ok ? "" : "  SLOWER THAN GOAL");
        }
    }
    std::printf("%d of %d measurements slower than their goal\n", slow, measured);
    return 0;
}
