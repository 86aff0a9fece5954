// Time of each imaging operation on a 3488 x 2616 24-bit picture (the largest
// still), as a ratio to a memcpy of the same picture measured in the same run.
#include "Imaging.h"
#include "BenchTiming.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const int repeats = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    const int w = 3488, h = 2616, stride = ((w * 24 + 31) / 32) * 4;
    std::vector<BYTE> rows(size_t(stride) * h);
    unsigned seed = 1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1103515245u + 12345u;
            BYTE* p = &rows[size_t(y) * stride + x * 3];
            const int noise = int((seed >> 16) & 15);
            p[0] = BYTE(100 + 80 * std::sin(x / 50.0) + noise);
            p[1] = BYTE(100 + 80 * std::cos(y / 40.0) + noise);
            p[2] = BYTE((x + y) * 200 / (w + h) + noise);
        }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    LBitmap source(&info, rows.data());
    LBitmap work;

    std::vector<BYTE> copy(rows.size());
    const double base = BenchTimeMs([] {}, [&] { std::memcpy(copy.data(), rows.data(), rows.size()); }, 9);

    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring jpg = std::wstring(dir) + L"imaging-bench.jpg", bmp = std::wstring(dir) + L"imaging-bench.bmp";
    source.Save(jpg.c_str(), FILE_JFIF, 24, 10);
    source.Save(bmp.c_str(), FILE_BMP, 24);

    struct Op {
        const char* name;
        std::function<void()> run;
    };
    const Op ops[] = {
        {"copy", [&] { work.Copy(source); }},
        {"invert", [&] { work.Invert(); }},
        {"reverse", [&] { work.Reverse(); }},
        {"flip", [&] { work.Flip(); }},
        {"rotate 90", [&] { work.Rotate(9000, ROTATE_RESIZE, 0); }},
        {"rotate 180", [&] { work.Rotate(18000, ROTATE_RESIZE, 0); }},
        {"rotate 33.3 resize", [&] { work.Rotate(3330, ROTATE_RESIZE, 0xFFFFFF); }},
        {"average 3", [&] { work.AverageFilter(3); }},
        {"average 255", [&] { work.AverageFilter(255); }},
        {"median 3", [&] { work.MedianFilter(3); }},
        {"median 20", [&] { work.MedianFilter(20); }},
        {"sharpen 500", [&] { work.Sharpen(500); }},
        {"emboss 500", [&] { work.Emboss(0, 500); }},
        {"intensity 300", [&] { work.ChangeIntensity(300); }},
        {"contrast 300", [&] { work.ChangeContrast(300); }},
        {"saturation 300", [&] { work.ChangeSaturation(300); }},
        {"size to 152 x 114", [&] { work.Size(152, 114, SIZE_RESAMPLE); }},
        {"convert to DIB", [&] { GlobalFree(work.ConvertToDIB()); }},
        {"save JPEG factor 10", [&] { work.Save(jpg.c_str(), FILE_JFIF, 24, 10); }},
        {"load JPEG", [&] { work.Load(jpg.c_str(), 24); }},
        {"save BMP", [&] { work.Save(bmp.c_str(), FILE_BMP, 24); }},
        {"load BMP", [&] { work.Load(bmp.c_str(), 24); }},
    };
    std::printf("%d x %d, 24 bits: memcpy %.2f ms (median of 9)\n", w, h, base);
    std::printf("%-22s %10s %10s\n", "operation", "ms", "x memcpy");
    // A second argument keeps only the operations whose names contain it.
    const char* only = argc > 2 ? argv[2] : nullptr;
    for (const Op& op : ops) {
        if (only && !std::strstr(op.name, only))
            continue;
        const double ms = BenchTimeMs([&] { work.Copy(source); }, op.run, repeats);
        std::printf("%-22s %10.1f %10.1f\n", op.name, ms, ms / base);
        std::fflush(stdout);
    }
    DeleteFileW(jpg.c_str());
    DeleteFileW(bmp.c_str());
    return 0;
}
