// The rules of the pixel operations written as plainly as possible, one pixel
// or byte at a time. The fast implementations must match them byte for byte.
#pragma once

#include <windows.h>

#include <vector>

namespace ref {

inline int Stride(int w) { return ((w * 24 + 31) / 32) * 4; }
inline BYTE Clamp(int v) { return BYTE(v < 0 ? 0 : v > 255 ? 255 : v); }

inline void Flip(BYTE* f, int w, int h)
{
    const int s = Stride(w);
    std::vector<BYTE> copy(f, f + s * h);
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < s; ++i)
            f[y * s + i] = copy[(h - 1 - y) * s + i];
}

inline void Mirror(BYTE* f, int w, int h)
{
    const int s = Stride(w);
    std::vector<BYTE> out(s * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                out[y * s + (w - 1 - x) * 3 + c] = f[y * s + x * 3 + c];
    for (int i = 0; i < s * h; ++i)
        f[i] = out[i];
}

struct LumaTables {
    float red[256], green[256], blue[256];
    LumaTables()
    {
        red[0] = green[0] = blue[0] = 0;
        for (int k = 1; k < 256; ++k) {
            red[k] = red[k - 1] + 0.3f;
            green[k] = green[k - 1] + 0.59f;
            blue[k] = blue[k - 1] + 0.11f;
        }
    }
};

inline int Luma(const BYTE* p)
{
    static const LumaTables t;
    float sum = t.red[p[2]] + t.green[p[1]];
    sum = sum + t.blue[p[0]];
    return int(sum);
}

template <class Rule>
void EachPixel(BYTE* f, int w, int h, Rule rule)
{
    const int s = Stride(w);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            rule(f + y * s + x * 3);
}

inline void Gray(BYTE* f, int w, int h)
{
    EachPixel(f, w, h, [](BYTE* p) { p[0] = p[1] = p[2] = BYTE(Luma(p)); });
}

inline void Binary(BYTE* f, int w, int h, long t)
{
    EachPixel(f, w, h, [t](BYTE* p) { p[0] = p[1] = p[2] = Luma(p) >= t ? 255 : 0; });
}

inline void Invert(BYTE* f, int w, int h)
{
    EachPixel(f, w, h, [](BYTE* p) { for (int c = 0; c < 3; ++c) p[c] = BYTE(~p[c]); });
}

inline void Emboss(BYTE* f, int w, int h)
{
    const int s = Stride(w);
    for (int y = 0; y + 1 < h; ++y)
        for (int x = 0; x + 1 < w; ++x)
            for (int c = 0; c < 3; ++c) {
                BYTE* p = f + y * s + x * 3 + c;
                *p = Clamp(*p - p[s + 3] + 128);
            }
}

inline void Sharp(BYTE* f, int w, int h)
{
    const int s = Stride(w);
    std::vector<BYTE> copy(f, f + s * h);
    for (int y = 1; y + 1 < h; ++y)
        for (int x = 1; x + 1 < w; ++x)
            for (int c = 0; c < 3; ++c) {
                const int i = y * s + x * 3 + c;
                f[i] = Clamp(5 * copy[i] - copy[i - s] - copy[i + s] - copy[i - 3] - copy[i + 3]);
            }
}

inline void Scale(BYTE* f, int w, int h, int times)
{
    for (int i = 0; i < Stride(w) * h; ++i)
        f[i] = Clamp(f[i] * times);
}

inline void Multiply(BYTE* f, int w, int h, float factor)
{
    EachPixel(f, w, h, [factor](BYTE* p) {
        for (int c = 0; c < 3; ++c)
            p[c] = Clamp(int(double(p[c]) * double(factor)));
    });
}

inline void RgbGain(BYTE* f, int w, int h, long r, long g, long b)
{
    EachPixel(f, w, h, [=](BYTE* p) {
        p[0] = Clamp(int(p[0] + b));
        p[1] = Clamp(int(p[1] + g));
        p[2] = Clamp(int(p[2] + r));
    });
}

inline void MaskOverlay(BYTE* f, int w, int h, int x0, int y0, const BYTE* m, int mw, int mh,
                        BYTE kr, BYTE kg, BYTE kb)
{
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int mx = x - x0, my = y - y0;
            if (x >= mw || y >= mh || mx < 0 || my < 0 || mx >= mw || my >= mh)
                continue;
            const BYTE* mp = m + my * Stride(mw) + mx * 3;
            if (mp[2] == kr && mp[1] == kg && mp[0] == kb)
                continue;
            for (int c = 0; c < 3; ++c)
                f[y * Stride(w) + x * 3 + c] = mp[c];
        }
}

}  // namespace ref
