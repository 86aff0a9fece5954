// Small generated pictures and comparisons shared by the imaging tests.
#pragma once

#include "Imaging.h"

#include <cstdint>
#include <cstring>
#include <vector>

// Every pixel distinct enough to show where it went: blue from x, green from
// y, red from both.
inline std::vector<BYTE> CodedRows(int width, int height, int seed = 0)
{
    const int stride = ((width * 24 + 31) / 32) * 4;
    std::vector<BYTE> rows(size_t(stride) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            BYTE* p = &rows[size_t(y) * stride + x * 3];
            p[0] = BYTE(x * 7 + seed);
            p[1] = BYTE(y * 11 + seed);
            p[2] = BYTE((x * 13 + y * 5 + seed * 3) ^ 0x5A);
        }
    return rows;
}

inline BITMAPINFOHEADER Header(int width, int height, int bpp)
{
    BITMAPINFOHEADER h = {};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = WORD(bpp);
    h.biCompression = BI_RGB;
    return h;
}

// A 24-bit bitmap whose row 0 (the top) is rows' first row.
inline void MakeCoded(LBitmapBase& bmp, int width, int height, int seed = 0)
{
    const std::vector<BYTE> rows = CodedRows(width, height, seed);
    BITMAPINFO info = {};
    info.bmiHeader = Header(width, -height, 24);
    bmp.ConvertFromDIB(&info, rows.data());
}

inline void MakeFlat(LBitmapBase& bmp, int width, int height, BYTE b, BYTE g, BYTE r)
{
    const int stride = ((width * 24 + 31) / 32) * 4;
    std::vector<BYTE> rows(size_t(stride) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            BYTE* p = &rows[size_t(y) * stride + x * 3];
            p[0] = b; p[1] = g; p[2] = r;
        }
    BITMAPINFO info = {};
    info.bmiHeader = Header(width, -height, 24);
    bmp.ConvertFromDIB(&info, rows.data());
}

// All rows, top first, without padding.
inline std::vector<BYTE> Pixels(const LBitmapBase& bmp)
{
    const int lineBytes = (bmp.GetWidth() * bmp.GetBitsPerPixel() + 7) / 8;
    std::vector<BYTE> out(size_t(lineBytes) * bmp.GetHeight());
    std::vector<BYTE> row(bmp.GetBytesPerLine());
    for (int y = 0; y < bmp.GetHeight(); ++y) {
        bmp.GetRow(row.data(), y, DWORD(row.size()));
        std::memcpy(&out[size_t(y) * lineBytes], row.data(), lineBytes);
    }
    return out;
}

// Pixel (x, y) of a 24-bit bitmap as blue, green, red.
struct Bgr {
    int b, g, r;
    bool operator==(const Bgr& o) const { return b == o.b && g == o.g && r == o.r; }
};

inline Bgr At(const LBitmapBase& bmp, int x, int y)
{
    std::vector<BYTE> row(bmp.GetBytesPerLine());
    bmp.GetRow(row.data(), y, DWORD(row.size()));
    return Bgr{row[x * 3], row[x * 3 + 1], row[x * 3 + 2]};
}

inline double MeanOf(const LBitmapBase& bmp)
{
    const std::vector<BYTE> p = Pixels(bmp);
    double sum = 0;
    for (BYTE v : p)
        sum += v;
    return sum / double(p.size());
}
