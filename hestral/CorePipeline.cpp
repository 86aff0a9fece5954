// The raw-to-BGR pipeline, white balance and auto exposure of the core.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include "CameraCore.h"

namespace {

inline int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// 0 red, 1 green, 2 blue on the G R / B G pattern.
inline int Site(int x, int y)
{
    if ((y & 1) == 0) return (x & 1) ? 0 : 1;
    return (x & 1) ? 1 : 2;
}

// Mirrored coordinates keep the colour site of a pixel beyond the border.
inline int Reflect(int v, int n) { return v < 0 ? -v : v >= n ? 2 * (n - 1) - v : v; }

struct Raw {
    const BYTE* p;
    int w, h;
    int at(int x, int y) const { return p[(size_t)Reflect(y, h) * w + Reflect(x, w)]; }
};

// Bytes blue, green, red; channel c of RGB order is byte 2 - c.
inline void Put(BYTE* out, int w, int x, int y, int r, int g, int b)
{
    BYTE* o = out + ((size_t)y * w + x) * 3;
    o[0] = (BYTE)b;
    o[1] = (BYTE)g;
    o[2] = (BYTE)r;
}

void Bilinear(const BYTE* raw, BYTE* out, int w, int h)
{
    std::memset(out, 0, (size_t)w * h * 3);
    for (int y = 1; y < h - 1; y++) {
        const BYTE* up = raw + (size_t)(y - 1) * w;
        const BYTE* row = raw + (size_t)y * w;
        const BYTE* dn = raw + (size_t)(y + 1) * w;
        for (int x = 1; x < w - 1; x++) {
            const int p = row[x];
            const int edge = (up[x] + dn[x] + row[x - 1] + row[x + 1]) / 4;
            const int diag = (up[x - 1] + up[x + 1] + dn[x - 1] + dn[x + 1]) / 4;
            const int horiz = (row[x - 1] + row[x + 1]) / 2, vert = (up[x] + dn[x]) / 2;
            const int g = (p + up[x + 1]) / 2;
            switch (Site(x, y)) {
            case 0: Put(out, w, x, y, p, edge, diag); break;
            case 2: Put(out, w, x, y, diag, edge, p); break;
            default:
                if ((y & 1) == 0) Put(out, w, x, y, horiz, g, vert);
                else Put(out, w, x, y, vert, g, horiz);
            }
        }
    }
}

void EdgeDirected(const BYTE* raw, BYTE* out, int w, int h, std::vector<BYTE>& greenPlane)
{
    Raw r{raw, w, h};
    greenPlane.resize((size_t)w * h);
    BYTE* G = greenPlane.data();
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const int p = r.at(x, y);
            if (Site(x, y) == 1) {
                G[(size_t)y * w + x] = (BYTE)p;
                continue;
            }
            const int gl = r.at(x - 1, y), gr = r.at(x + 1, y), gu = r.at(x, y - 1), gd = r.at(x, y + 1);
            const int pl = r.at(x - 2, y), pr = r.at(x + 2, y), pu = r.at(x, y - 2), pd = r.at(x, y + 2);
            const int dh = std::abs(gl - gr) + std::abs(2 * p - pl - pr);
            const int dv = std::abs(gu - gd) + std::abs(2 * p - pu - pd);
            int g;
            if (dh < dv) g = (gl + gr) / 2 + (2 * p - pl - pr) / 4;
            else if (dv < dh) g = (gu + gd) / 2 + (2 * p - pu - pd) / 4;
            else g = (gl + gr + gu + gd) / 4 + (4 * p - pl - pr - pu - pd) / 8;
            G[(size_t)y * w + x] = (BYTE)Clamp255(g);
        }
    auto g = [&](int x, int y) { return (int)G[(size_t)Reflect(y, h) * w + Reflect(x, w)]; };
    std::memset(out, 0, (size_t)w * h * 3);
    for (int y = 2; y < h - 2; y++)
        for (int x = 2; x < w - 2; x++) {
            const int site = Site(x, y), own = g(x, y);
            if (site == 1) {
                // The colour of the row's neighbours, then the column's.
                const int ch = (r.at(x - 1, y) + r.at(x + 1, y)) / 2 + (2 * own - g(x - 1, y) - g(x + 1, y)) / 4;
                const int cv = (r.at(x, y - 1) + r.at(x, y + 1)) / 2 + (2 * own - g(x, y - 1) - g(x, y + 1)) / 4;
                if ((y & 1) == 0) Put(out, w, x, y, Clamp255(ch), own, Clamp255(cv));
                else Put(out, w, x, y, Clamp255(cv), own, Clamp255(ch));
                continue;
            }
            const int ca = r.at(x - 1, y - 1), cb = r.at(x + 1, y + 1), cc = r.at(x + 1, y - 1), cd = r.at(x - 1, y + 1);
            const int ga = g(x - 1, y - 1), gb = g(x + 1, y + 1), gc = g(x + 1, y - 1), gd = g(x - 1, y + 1);
            const int d1 = std::abs(ca - cb) + std::abs(2 * own - ga - gb);
            const int d2 = std::abs(cc - cd) + std::abs(2 * own - gc - gd);
            int other;
            if (d1 < d2) other = (ca + cb) / 2 + (2 * own - ga - gb) / 4;
            else if (d2 < d1) other = (cc + cd) / 2 + (2 * own - gc - gd) / 4;
            else other = (ca + cb + cc + cd) / 4 + (4 * own - ga - gb - gc - gd) / 4;
            other = Clamp255(other);
            const int p = r.at(x, y);
            if (site == 0) Put(out, w, x, y, p, own, other);
            else Put(out, w, x, y, other, own, p);
        }
}

void EdgeSensing(const BYTE* raw, BYTE* out, int w, int h, std::vector<BYTE>& greenPlane)
{
    Raw r{raw, w, h};
    greenPlane.resize((size_t)w * h);
    BYTE* G = greenPlane.data();
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            if (Site(x, y) == 1) {
                G[(size_t)y * w + x] = (BYTE)r.at(x, y);
                continue;
            }
            const int l = r.at(x - 1, y), rt = r.at(x + 1, y), u = r.at(x, y - 1), d = r.at(x, y + 1);
            const int dv = std::abs(u - d), dh = std::abs(l - rt);
            G[(size_t)y * w + x] = (BYTE)(dv < dh ? (u + d) / 2 : dh < dv ? (l + rt) / 2 : (l + rt + u + d) / 4);
        }
    auto g = [&](int x, int y) { return (int)G[(size_t)Reflect(y, h) * w + Reflect(x, w)]; };
    for (int y = 1; y < h - 1; y++)
        for (int x = 1; x < w - 1; x++) {
            const int site = Site(x, y), own = g(x, y);
            if (site == 1) {
                const int ch = (r.at(x - 1, y) + r.at(x + 1, y)) / 2 - (g(x - 1, y) + g(x + 1, y)) / 2 + own;
                const int cv = (r.at(x, y - 1) + r.at(x, y + 1)) / 2 - (g(x, y - 1) + g(x, y + 1)) / 2 + own;
                if ((y & 1) == 0) Put(out, w, x, y, Clamp255(ch), own, Clamp255(cv));
                else Put(out, w, x, y, Clamp255(cv), own, Clamp255(ch));
                continue;
            }
            const int c = (r.at(x - 1, y - 1) + r.at(x + 1, y + 1) + r.at(x + 1, y - 1) + r.at(x - 1, y + 1)) / 4;
            const int gm = (g(x - 1, y - 1) + g(x + 1, y + 1) + g(x + 1, y - 1) + g(x - 1, y + 1)) / 4;
            const int other = Clamp255(c - gm + own), p = r.at(x, y);
            if (site == 0) Put(out, w, x, y, p, own, other);
            else Put(out, w, x, y, other, own, p);
        }
    // The border copies its inner neighbour.
    const size_t stride = (size_t)w * 3;
    for (int y = 1; y < h - 1; y++) {
        BYTE* row = out + y * stride;
        std::memcpy(row, row + 3, 3);
        std::memcpy(row + stride - 3, row + stride - 6, 3);
    }
    std::memcpy(out, out + stride, stride);
    std::memcpy(out + (h - 1) * stride, out + (h - 2) * stride, stride);
}

} // namespace

void CCameraCore::BuildGainTables()
{
    const int gains[3] = {gainB, gainG, gainR};
    for (int c = 0; c < 3; c++)
        for (int i = 0; i < 256; i++) gainTable[c][i] = (uint8_t)std::min(255, (i * gains[c]) >> 6);
}

void CCameraCore::BuildToneTable()
{
    for (int i = 0; i < 256; i++) {
        // The small bias keeps gamma 100 the identity despite rounding in pow.
        int t = (int)(255.0 * std::pow(i / 255.0, gamma / 100.0) + 1e-9);
        t = Clamp255(t);
        const int d = std::abs(128 - t) * contrast / 128;
        t = t >= 128 ? std::min(255, t + d) : std::max(0, t - d);
        tone[i] = (uint8_t)t;
    }
}

void CCameraCore::BuildColorMatrix()
{
    const int s = saturation;
    const int lum[3] = {(128 - s) * 308 / 1000, (128 - s) * 609 / 1000, (128 - s) * 82 / 1000};
    int S[3][3];
    for (int c = 0; c < 3; c++)
        for (int d = 0; d < 3; d++) S[c][d] = (c == d ? s : 0) + lum[d];
    for (int c = 0; c < 3; c++)
        for (int e = 0; e < 3; e++) {
            int v = 0;
            for (int d = 0; d < 3; d++) v += matrix[c * 3 + d] * S[d][e];
            applied[c][e] = v;
        }
}

void CCameraCore::DetectDefects(const BYTE* raw)
{
    const int w = m_sensorW, h = m_sensorH;
    unsigned hist[256] = {};
    for (int y = 2; y <= h - 3; y++)
        for (int x = 4; x <= w - 5; x++) hist[raw[(size_t)y * w + x]]++;
    int level = 255;
    unsigned sum = 0;
    for (int v = 255; v >= 10; v--) {
        sum += hist[v];
        if (sum >= 100) {
            level = v;
            break;
        }
    }
    HestralDefects d;
    for (int y = 2; y <= h - 3 && d.count < 100; y++)
        for (int x = 4; x <= w - 5 && d.count < 100; x++)
            if (raw[(size_t)y * w + x] > level) {
                d.x[d.count] = (uint16_t)x;
                d.y[d.count++] = (uint16_t)y;
            }
    defects = d;
}

void CCameraCore::FixDefects(BYTE* raw)
{
    const int w = m_sensorW, h = m_sensorH;
    for (int i = 0; i < defects.count; i++) {
        const int x = defects.x[i], y = defects.y[i];
        // Coordinates from the camera's memory are not trusted to fit the frame.
        if (x <= 2 || x >= w - 2 || y >= h) continue;
        BYTE* p = raw + (size_t)y * w + x;
        *p = (BYTE)((p[-2] + p[2]) / 2);
    }
}

void CCameraCore::Demosaic(const BYTE* raw, BYTE* out, int w, int h)
{
    if (b2rgb == 1) EdgeDirected(raw, out, w, h, m_green);
    else if (b2rgb == 2) EdgeSensing(raw, out, w, h, m_green);
    else Bilinear(raw, out, w, h);
}

void CCameraCore::Reduce(const BYTE* work, BYTE* out)
{
    const size_t stride = 2048 * 3;
    for (int oy = 0; oy < 1024; oy++) {
        const int r0 = 3 * (oy / 2) + (oy & 1);
        const BYTE* a = work + r0 * stride;
        const BYTE* b = a + stride;
        BYTE* o = out + (size_t)oy * 1280 * 3;
        for (int ox = 0; ox < 1280; ox++) {
            const int c0 = (65 + 3 * (ox / 2) + (ox & 1)) * 3;
            for (int k = 0; k < 3; k++)
                o[ox * 3 + k] = (BYTE)((a[c0 + k] + a[c0 + 3 + k] + b[c0 + k] + b[c0 + 3 + k]) / 4);
        }
    }
}

void CCameraCore::WhiteBalance(const BYTE* bgr, int width, int height)
{
    HestralRect r = WbWindow();
    // The window may have been set for another picture size.
    if (r.x < 0 || r.y < 0 || r.w <= 0 || r.h <= 0 || r.x + r.w > width || r.y + r.h > height) return;
    unsigned long long B = 0, G = 0, R = 0;
    for (int y = r.y; y < r.y + r.h; y++) {
        const BYTE* p = bgr + ((size_t)y * width + r.x) * 3;
        for (int x = 0; x < r.w; x++, p += 3) {
            B += p[0];
            G += p[1];
            R += p[2];
        }
    }
    if (R <= 63 || B <= 63 || G == 0) return;
    const unsigned long long rg = G / (R / 64), bg = G / (B / 64);
    if (rg <= 255 && bg <= 255) {
        gainR = (int)rg;
        gainG = 64;
        gainB = (int)bg;
    } else if (rg < bg) {
        gainB = 255;
        gainR = (int)(rg * 255 / bg);
        gainG = (int)(16320 / bg);
    } else {
        gainR = 255;
        gainG = (int)(16320 / rg);
        gainB = (int)(bg * 255 / rg);
    }
}

void CCameraCore::ColorAndTone(BYTE* img, int pixels)
{
    if (mono) {
        for (int i = 0; i < pixels; i++) {
            BYTE* p = img + (size_t)i * 3;
            const BYTE grey = (BYTE)((p[2] * 19595 + p[1] * 38469 + p[0] * 7472) >> 16);
            p[0] = p[1] = p[2] = grey;
        }
    } else if (colorOn) {
        for (int i = 0; i < pixels; i++) {
            BYTE* p = img + (size_t)i * 3;
            const int in[3] = {gainTable[2][p[2]], gainTable[1][p[1]], gainTable[0][p[0]]}; // R, G, B
            int o[3];
            for (int c = 0; c < 3; c++)
                o[c] = Clamp255((applied[c][0] * in[0] + applied[c][1] * in[1] + applied[c][2] * in[2]) >> 14);
            p[0] = (BYTE)o[2];
            p[1] = (BYTE)o[1];
            p[2] = (BYTE)o[0];
        }
    } else {
        for (int i = 0; i < pixels; i++) {
            BYTE* p = img + (size_t)i * 3;
            p[0] = gainTable[0][p[0]];
            p[1] = gainTable[1][p[1]];
            p[2] = gainTable[2][p[2]];
        }
    }
    const size_t n = (size_t)pixels * 3;
    for (size_t i = 0; i < n; i++) img[i] = tone[img[i]];
}

void CCameraCore::Pipeline(BYTE* raw, BYTE* bgr)
{
    const int w = m_outW, h = m_outH;
    bool mirror, upright;
    {
        // The caller's frame callback runs outside the lock: it may call back
        // into the library from another thread.
        CAutoLock lock(&m_params);
        if (m_detectRequest) {
            m_detectRequest = false;
            DetectDefects(raw);
        }
        FixDefects(raw);
        if (m_mode == 0) {
            Demosaic(raw, m_work.data(), 2048, 1536);
            Reduce(m_work.data(), bgr);
        } else {
            Demosaic(raw, bgr, w, h);
        }
        if (!mono && wbRequest) {
            wbRequest = 0;
            WhiteBalance(bgr, w, h);
            BuildGainTables();
        }
        ColorAndTone(bgr, w * h);
        mirror = hflip != 0;
        upright = vflip != 0;
    }
    const size_t stride = (size_t)w * 3;
    if (mirror)
        for (int y = 0; y < h; y++) {
            BYTE* row = bgr + y * stride;
            for (int a = 0, b = w - 1; a < b; a++, b--)
                for (int k = 0; k < 3; k++) std::swap(row[a * 3 + k], row[b * 3 + k]);
        }
    if (m_callback) m_callback(bgr);
    if (!upright)
        for (int a = 0, b = h - 1; a < b; a++, b--)
            std::swap_ranges(bgr + a * stride, bgr + (a + 1) * stride, bgr + b * stride);
}

void CCameraCore::AutoExposureStep(const BYTE* bgr, int width, int height)
{
    int x0 = 0, x1 = width, y0 = 0, y1 = height;
    if (width > 640) {
        x0 = width / 4;
        x1 = width * 3 / 4;
        y0 = height / 4;
        y1 = height * 3 / 4;
    }
    unsigned long long sb = 0, sg = 0, sr = 0, n = 0;
    for (int y = y0; y < y1; y++) {
        const BYTE* p = bgr + ((size_t)y * width + x0) * 3;
        for (int x = x0; x < x1; x++, p += 3) {
            sb += p[0];
            sg += p[1];
            sr += p[2];
        }
        n += (unsigned)(x1 - x0);
    }
    if (!n) return;
    const int B = (int)(sb / n), G = (int)(sg / n), R = (int)(sr / n);
    int Y = (G * 16425 + R * 8432 + B * 3176) >> 15;
    const int T = aeTarget;
    const int lo = T >= 84 ? 20 : T / 4, hi = T >= 106 ? 210 : 2 * T;
    const bool black = Y < lo, white = Y > hi;
    if (black) Y = 0;
    if (white) Y = 255;
    const int Yp = (Y + aeSmoothed) / 2;
    const int e = std::min(std::abs(Yp - T), T);
    if (e <= 9) {
        aeSmoothed = T;
        return;
    }
    int X = exposure, S = flickerStep, Gn = analogGain;
    const int Xmax = maxExposure;
    const int half = ((T / 2) & ~1) < (e & ~1) ? T / 4 : e / 2;
    auto quarterRule = [&] { return (e & ~3) <= (X & ~3) ? e / 4 : X / 4; };
    if (Yp < T) {
        aeSmoothed = T + half;
        if (black) X = std::min(X + (X < 4 ? 1 : X / 4), Xmax);
        if (X < S) {
            if (X < 10 && e >= 16) X += 1;
            X += X < 30 ? 1 : e / 8;
        } else if (Gn > 9) {
            if (X < 2 * S) X += e / 4;
            else if (X < 300) X += e / 2;
            else {
                X += e;
                if (X > Xmax) {
                    X = Xmax;
                    Gn = std::min(Gn + e, 36);
                }
            }
        } else if (X >= 4 * S) {
            Gn += std::min(e / 8, 6);
        } else {
            Gn += e >= 16 ? std::min(e / 16, 6) : 1;
        }
    } else {
        aeSmoothed = T - half;
        if (white) {
            Gn -= Gn / 4;
            if (X > 4 * S) X -= X / 4;
            else if (X >= 8) X -= X / 8;
            else if (X > 0) X -= 1;
        }
        if (Gn < 9) {
            if (X > 4 * S) {
                X -= std::min(X / 4, e);
                if (Gn > 4) Gn--;
                if (X < 4 * S) Gn = 2 * Gn + 2;
            } else if (X > 3 * S) {
                X -= ((X / 2) & ~1) < (e & ~1) ? X / 4 : e / 2;
                if (Gn > 4) Gn--;
                if (X < 3 * S) Gn = 2 * Gn + 2;
            } else if (X > 2 * S) {
                X -= quarterRule();
                if (Gn > 2) Gn--;
                if (X < 2 * S) Gn = 2 * Gn + 2;
            } else if (X > S) {
                X -= quarterRule();
                if (Gn > 0) Gn--;
                if (X < S) Gn = 4 * Gn + 4;
            } else if (Gn > e / 4) {
                Gn -= e / 8;
            } else if (Gn > 0) {
                Gn -= 1;
            } else if (X < 2) {
            } else if (X < 31) {
                if (e >= 16) X -= 1;
            } else {
                X -= (X & ~1) < ((e / 4) & ~1) ? X / 2 : e / 8;
            }
        } else if (X < 30) {
            Gn -= 1;
        } else if (X < S) {
            Gn -= e >= 16 ? std::min(e / 16, 4) : 1;
        } else {
            Gn -= std::min(e / 8, 4);
        }
    }
    X = std::max(0, X);
    Gn = std::max(0, Gn);
    if (S > 0 && X >= S) X = X / S * S;
    exposure = X;
    SetAnalogGain(Gn);
    WriteExposure();
}
