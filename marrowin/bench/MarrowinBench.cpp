// Bitmaps per second at full and half sensor size against the simulated
// camera (unpaced), and the processing's share of the time per bitmap: the
// same demosaic and tables timed on their own in the same run.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "Marrowin.h"
#include "PellixImaging.h"
#include "PellixSim.h"
#include "BenchTiming.h"

namespace {

template <typename T> T Bind(HMODULE lib, const char *name)
{
    return reinterpret_cast<T>(reinterpret_cast<void *>(GetProcAddress(lib, name)));
}

} // namespace

int main()
{
    PellixSim sim;
    if (!sim.Open()) {
        std::fprintf(stderr, "the simulated EZ-USB driver is not running\n");
        return 1;
    }
    sim.Reset();
    sim.Change([](PellixSimConfig &c) { c.framesPerSecond = 0; }); // as fast as read
    HMODULE lib = LoadLibraryW(L"Marrowin.dll");
    auto init = Bind<decltype(&Pellix_Initialize)>(lib, "_Pellix_Initialize@0");
    auto uninit = Bind<decltype(&Pellix_Uninitialize)>(lib, "_Pellix_Uninitialize@0");
    auto setFormat = Bind<decltype(&Pellix_SetFrameFormat)>(lib, "_Pellix_SetFrameFormat@4");
    auto getBitmap = Bind<decltype(&Pellix_GetBitmap)>(lib, "_Pellix_GetBitmap@8");
    auto setSaturation = Bind<decltype(&Pellix_SetSaturation)>(lib, "_Pellix_SetSaturation@4");
    auto setGamma = Bind<decltype(&Pellix_SetGamma)>(lib, "_Pellix_SetGamma@4");
    if (!init || init() != 0) {
        std::fprintf(stderr, "Pellix_Initialize failed\n");
        return 1;
    }
    const PellixFrameFormat formats[2] = {{0, 0, 2592, 1944, 1, 1, 1, 1}, {0, 0, 2592, 1944, 2, 1, 2, 1}};
    for (int processing = 0; processing < 2; ++processing) {
        if (processing) {
            float s = 0.7f, g = 0.8f;
            setSaturation(&s);
            setGamma(&g);
        }
        for (const PellixFrameFormat &f : formats) {
            setFormat(&f);
            const int w = f.width / f.columnSkip, h = f.height / f.rowSkip;
            BITMAPINFOHEADER hdr;
            std::vector<BYTE> px(size_t(w) * h * 3), raw(size_t(w) * h), copy(size_t(w) * h);
            getBitmap(&hdr, px.data());
            int n = 0;
            const double t0 = BenchNow();
            while (BenchNow() - t0 < 3.0)
                n += getBitmap(&hdr, px.data()) == 0;
            const double perBitmap = (BenchNow() - t0) / n;
            // The processing alone on a frame of the same size.
            int curve[256], output[256], t[256], m[768];
            PellixCurve(0, 0, 255, 255, curve);
            PellixOutputTable(curve, 0.8, output);
            PellixSaturationTables(357, t, m);
            for (size_t i = 0; i < raw.size(); ++i)
                raw[i] = BYTE(i * 7);
            const double p0 = BenchNow();
            const int reps = 10;
            for (int i = 0; i < reps; ++i) {
                std::memcpy(copy.data(), raw.data(), raw.size());
                if (processing)
                    PellixMapBytes(copy.data(), copy.size(), output);
                PellixDemosaic(copy.data(), w, h, px.data(), false, false);
                if (processing)
                    PellixApplySaturation(px.data(), size_t(w) * h, t, m);
            }
            const double perProcessing = (BenchNow() - p0) / reps;
            // Against a copy of the bitmap, cache-hot and at memory speed.
            std::vector<BYTE> bitmapCopy(px.size());
            const double copyMs = BenchTimeMs([] {}, [&] { std::memcpy(bitmapCopy.data(), px.data(), px.size()); }, 9);
            const double memoryMs = BenchMemoryCopyMs(px.size());
            std::printf("%s %4d x %4d: %6.1f bitmaps/s, processing %5.1f ms of %5.1f ms per bitmap (%.0f%%), "
                        "%.1fx a memcpy of the bitmap, %.1fx from memory\n",
                        processing ? "gamma+saturation" : "plain           ", w, h, 1.0 / perBitmap,
                        perProcessing * 1e3, perBitmap * 1e3, 100 * perProcessing / perBitmap,
                        perProcessing * 1e3 / copyMs, perProcessing * 1e3 / memoryMs);
        }
    }
    uninit();
    sim.Reset();
    return 0;
}
