#include "WmvRle.h"

#include <cstring>

size_t WmvRleMaxSize(int width, int height)
{
    if (width <= 0 || height <= 0)
        return 0;
    // Every pixel a run of its own.
    return size_t(width) * size_t(height) * 4;
}

bool WmvRleAccepts(const BITMAPINFOHEADER& in)
{
    return in.biBitCount == 24 && in.biCompression == BI_RGB && in.biWidth > 0 && in.biHeight > 0 &&
           in.biWidth <= 16384 && in.biHeight <= 16384;
}

BITMAPINFOHEADER WmvRleOutputFormat(const BITMAPINFOHEADER& in)
{
    BITMAPINFOHEADER out = {};
    out.biSize = sizeof(BITMAPINFOHEADER);
    out.biWidth = in.biWidth;
    out.biHeight = in.biHeight;
    out.biPlanes = 1;
    out.biBitCount = 24;
    out.biCompression = kWmvRleFourcc;
    out.biSizeImage = DWORD(WmvRleMaxSize(in.biWidth, in.biHeight));
    return out;
}

size_t WmvRleEncode(const uint8_t* dib, int width, int height, int stride, uint8_t* out)
{
    uint8_t* o = out;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = dib + size_t(y) * size_t(stride);
        int x = 0;
        while (x < width) {
            const uint8_t* p = row + size_t(x) * 3;
            int n = 1;
            while (x + n < width && n < 255 && memcmp(p, p + size_t(n) * 3, 3) == 0)
                ++n;
            *o++ = uint8_t(n);
            *o++ = p[0];
            *o++ = p[1];
            *o++ = p[2];
            x += n;
        }
    }
    return size_t(o - out);
}

bool WmvRleDecode(const uint8_t* data, size_t size, int width, int height, int stride, uint8_t* dib)
{
    if (width <= 0 || height <= 0)
        return false;
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = dib + size_t(y) * size_t(stride);
        int x = 0;
        while (x < width) {
            if (end - p < 4)
                return false;
            const int n = p[0];
            if (n == 0 || x + n > width)
                return false;
            for (int i = 0; i < n; ++i) {
                uint8_t* q = row + size_t(x + i) * 3;
                q[0] = p[1];
                q[1] = p[2];
                q[2] = p[3];
            }
            x += n;
            p += 4;
        }
    }
    return p == end;
}
