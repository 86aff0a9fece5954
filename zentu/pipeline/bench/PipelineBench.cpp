// Pipeline time per frame at each size, stage by stage, each beside a memcpy
// of that stage's output and the sensor's frame period. Prints ratios only.
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>
#include "Pipeline.h"
#include "BenchTiming.h"

namespace {

// Median of several runs, in milliseconds; prepare runs before each, untimed.
double Time(const std::function<void()>& fn, const std::function<void()>& prepare = [] {}, int runs = 9)
{
    return BenchTimeMs(prepare, fn, runs);
}

struct NullSensor : IZentuSensor {
    void SetGain(int) override {}
    void SetExposureLines(uint16_t) override {}
};

} // namespace

int main()
{
    // "ratio" is against a copy of the stage's output as large as it is (often
    // cache-hot), "vs mem" against the same bytes copied at memory speed.
    std::printf("%-4s %-22s %9s %9s %7s %7s\n", "size", "stage", "ms", "memcpy ms", "ratio", "vs mem");
    for (uint32_t size = 0; size < 3; size++) {
        ZentuFrameSize fs = ZentuSizeOf(size);
        const int pixels = fs.outWidth * fs.outHeight;
        const size_t outBytes = (size_t)pixels * 3;
        std::vector<uint8_t> raw((size_t)fs.rawWidth * fs.rawHeight), rawCopy(raw.size());
        for (size_t i = 0; i < raw.size(); i++) raw[i] = (uint8_t)((i * 2654435761u) >> 24);
        std::vector<uint8_t> out(outBytes), scratch(std::max(outBytes, (size_t)2048 * 1536 * 3));
        std::vector<uint8_t> work((size_t)2048 * 1536 * 3);
        NullSensor sensor;
        ZentuOwner owner;
        owner.sensor = &sensor;
        owner.settings.sizeIndex = size;
        ComputeExposureLimits(owner);
        BuildToneTable(owner.settings.gamma, owner, owner.settings.contrast);
        UpdateChannelTables(owner);
        owner.pipe.defects.count = 3;
        for (int k = 0; k < 3; k++) {
            owner.pipe.defects.column[k] = (uint16_t)(100 + k);
            owner.pipe.defects.row[k] = (uint16_t)(100 + k);
        }

        auto row = [&](const char* stage, double ms, size_t bytes) {
            double base = Time([&] { std::memcpy(scratch.data(), out.data(), bytes); });
            std::printf("%-4u %-22s %9.2f %9.2f %7.2f %7.2f\n", size, stage, ms, base, ms / base,
                        ms / BenchMemoryCopyMs(bytes));
        };

        row("defect repair", Time([&] { FixDefectPixels(raw.data(), fs.rawWidth, fs.rawHeight, owner.pipe.defects); }), raw.size());
        if (size == 0) {
            double d = Time([&] { DemosaicBilinear(raw.data(), work.data(), 2048, 1536); });
            double base = Time([&] { std::memcpy(scratch.data(), work.data(), work.size()); });
            std::printf("%-4u %-22s %9.2f %9.2f %7.2f %7.2f\n", size, "demosaic", d, base, d / base,
                        d / BenchMemoryCopyMs(work.size()));
            row("resample", Time([&] { ResampleToOutput(out.data(), work.data()); }), outBytes);
        } else {
            row("demosaic", Time([&] { DemosaicBilinear(raw.data(), out.data(), fs.outWidth, fs.outHeight); }), outBytes);
        }
        row("centre luma (AE)", Time([&] { RunAutoExposure(out.data(), owner, fs.outWidth, fs.outHeight); }), outBytes);
        row("colour matrix", Time([&] { ApplySaturation(owner, out.data(), pixels); }), outBytes);
        row("channel tables", Time([&] { ApplyChannelTables(owner, out.data(), pixels); }), outBytes);
        row("gray", Time([&] { ConvertToGray(out.data(), pixels); }), outBytes);
        row("tone table", Time([&] { ApplyToneTable(owner, out.data(), pixels); }), outBytes);
        row("mirror", Time([&] { MirrorHorizontal(out.data(), fs.outWidth, fs.outHeight); }), outBytes);
        row("flip", Time([&] { FlipVertical(out.data(), fs.outWidth, fs.outHeight); }), outBytes);
        // A fresh raw frame each run, as the camera writes it, outside the time.
        auto fresh = [&] { std::memcpy(rawCopy.data(), raw.data(), raw.size()); };
        double whole = Time([&] { RunPipeline(owner, rawCopy.data(), out.data()); }, fresh);
        row("whole pipeline", whole, outBytes);
        ZentuRowHelper helper;
        double shared = 0;
        if (helper.Start()) {
            owner.rowHelper = &helper;
            shared = Time([&] { RunPipeline(owner, rawCopy.data(), out.data()); }, fresh);
            owner.rowHelper = nullptr;
            helper.Stop();
            row("  with a second thread", shared, outBytes);
        }
        row("  the steps one by one", Time([&] { RunPipelineByStages(owner, rawCopy.data(), out.data()); }, fresh),
            outBytes);
        // Shortest frame period: High clock, exposure within the frame.
        const int line = 512 + (size == 0 ? 1280 : size == 1 ? 2048 : 1920);
        const double periodMs = (double)line * (fs.outHeight + 25) / 48000.0;
        std::printf("%-4u %-22s %9.2f   pipeline / period %.2f, with a second thread %.2f (goal below 0.25)\n",
                    size, "sensor frame period", periodMs, whole / periodMs, shared / periodMs);
    }
    return 0;
}
