// Time per frame of each pixel operation, as a ratio to a memcpy of the same
// frame measured in the same run.
#include "PixelOps.h"
#include "BenchTiming.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

struct Op {
    const char* name;
    double goal;  // ratio to memcpy
    std::function<int(BYTE*, int, int)> run;
};

}  // namespace

int main(int argc, char** argv)
{
    const int repeats = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    std::vector<BYTE> mask;
    int maskWidth = 0, maskHeight = 0;
    const Op ops[] = {
        {"flip", 2, ImgFlip},
        {"mirror", 4, ImgMirror},
        {"gray", 2, ImgGray},
        {"invert", 2, ImgInvert},
        {"binary", 2, [](BYTE* f, int w, int h) { return ImgBinary(f, w, h, 128); }},
        {"emboss", 4, ImgEmboss},
        {"sharp", 4, ImgSharp},
        {"addone", 4, ImgAddOne},
        {"addtwo", 4, ImgAddTwo},
        {"multiply", 4, [](BYTE* f, int w, int h) { return ImgMultiply(f, w, h, 1.5f); }},
        {"rgbgain", 4, [](BYTE* f, int w, int h) { return ImgRgbGain(f, w, h, 10, 20, 30); }},
        {"maskoverlay", 4, [&](BYTE* f, int w, int h) {
             return ImgMaskOverlay(f, w, h, 0, 0, mask.data(), maskWidth, maskHeight, 1, 1, 1);
         }},
    };
    const int sizes[][2] = {{2592, 1944}, {1280, 1024}};
    int slow = 0;
    for (auto& size : sizes) {
        const int w = size[0], h = size[1];
        const size_t bytes = size_t(DibStride(w)) * h;
        // Every operation starts from the same noise picture.
        std::vector<BYTE> picture(bytes), frame(bytes), copy(bytes);
        for (size_t i = 0; i < bytes; ++i)
            picture[i] = BYTE((i * 2654435761u) >> 24);
        mask = picture;  // a busy mask: about one pixel in 16M is the key colour
        maskWidth = w, maskHeight = h;
        auto fresh = [&] { std::memcpy(frame.data(), picture.data(), bytes); };
        const double base = BenchTimeMs(fresh, [&] { std::memcpy(copy.data(), frame.data(), bytes); }, repeats);
        const double cold = BenchMemoryCopyMs(bytes);
        std::printf("%d x %d: memcpy of the frame %.3f ms, from memory %.3f ms\n", w, h, base, cold);
        std::printf("  %-12s %9s %8s %8s %6s\n", "operation", "ms/frame", "ratio", "vs mem", "goal");
        for (const Op& op : ops) {
            const double ms = BenchTimeMs(fresh, [&] { op.run(frame.data(), w, h); }, repeats);
            const double ratio = ms / base;
            const bool ok = ratio <= op.goal;
            slow += !ok;
            std::printf("  %-12s %9.3f %7.2fx %7.2fx %5.0fx%s\n", op.name, ms, ratio, ms / cold, op.goal,
                        ok ? "" : "  SLOWER THAN GOAL");
        }
    }
    std::printf("%d of %d measurements slower than their goal\n", slow, int(2 * (sizeof ops / sizeof ops[0])));
    return 0;
}
