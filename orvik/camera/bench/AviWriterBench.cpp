// Time of one CAviWriter::AddFrame at 1280 x 1024 x 24, uncompressed and
// through the stand-in 'WMV3' compressor, as a ratio to a memcpy of the
// frame measured in the same run.
#include "AviWriter.h"
#include "BenchTiming.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>


int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(3, atoi(argv[1])) : 15;
    const int w = 1280, h = 1024, stride = ((w * 24 + 31) / 32) * 4;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    BYTE* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    if (!bitmap)
        return 1;
    // A camera-like picture: smooth runs, so the run-length form is typical.
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < w * 3; ++i)
            bits[size_t(y) * stride + i] = BYTE((i / 48) * 7 + y / 16);
    const size_t bytes = size_t(stride) * h;
    std::vector<BYTE> a(bits, bits + bytes), b(bytes);
    std::vector<double> copies;
    for (int i = 0; i < frames; ++i) {
        const double t0 = BenchNow();
        std::memcpy(b.data(), a.data(), bytes);
        copies.push_back((BenchNow() - t0) * 1000.0);
    }
    const double base = BenchMedian(copies);
    std::printf("%d x %d: memcpy of the frame %.3f ms\n", w, h, base);
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const struct {
        const char* name;
        DWORD codec;
    } codecs[] = {{"uncompressed", mmioFOURCC('D', 'I', 'B', ' ')}, {"WMV3 stand-in", mmioFOURCC('W', 'M', 'V', '3')}};
    for (const auto& c : codecs) {
        const std::wstring path = std::wstring(dir) + L"orvik-avi-bench.avi";
        std::vector<double> ms;
        {
            CAviWriter writer(path.c_str(), c.codec, 7);
            if (FAILED(writer.AddFrame(bitmap))) {  // the first frame creates the clip
                std::printf("  %-14s failed: %ls\n", c.name, writer.GetLastErrorMessage());
                continue;
            }
            for (int i = 0; i < frames; ++i) {
                const double t0 = BenchNow();
                writer.AddFrame(bitmap);
                ms.push_back((BenchNow() - t0) * 1000.0);
            }
        }
        DeleteFileW(path.c_str());
        const double m = BenchMedian(ms);
        std::printf("  AddFrame %-14s %8.3f ms %7.2fx memcpy\n", c.name, m, m / base);
    }
    DeleteObject(bitmap);
    return 0;
}
