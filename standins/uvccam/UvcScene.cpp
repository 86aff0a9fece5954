#include "UvcScene.h"

#include <algorithm>
#include <cmath>
#include <cstring>

const UvcPatch kUvcPatches[8] = {
    {160, 32, 32}, {32, 160, 32}, {32, 32, 160}, {160, 160, 32},
    {32, 160, 160}, {160, 32, 160}, {224, 224, 224}, {16, 16, 16},
};

namespace {

enum { ROW_PATCHES, ROW_GREY, ROW_TICKS10, ROW_TICKS50, ROW_TICKS100 };

void ChartRow(int kind, int width, BYTE* row)
{
    for (int x = 0; x < width; ++x) {
        BYTE r = kUvcGrey, g = kUvcGrey, b = kUvcGrey;
        if (kind == ROW_PATCHES) {
            const UvcPatch& p = kUvcPatches[std::min(7, int((long long)x * 8 / width))];
            r = p.r, g = p.g, b = p.b;
        } else if (kind >= ROW_TICKS10) {
            const int pitch = kind == ROW_TICKS10 ? 10 : kind == ROW_TICKS50 ? 50 : 100;
            r = g = b = x % pitch == 0 ? 0 : kUvcWhite;
        }
        row[3 * x] = b;
        row[3 * x + 1] = g;
        row[3 * x + 2] = r;
    }
}

}  // namespace

void CUvcScene::Prepare(const UvcDeviceState& s, int width)
{
    const LONG* pa = s.procAmp;
    const double exposure = s.cameraControlFlags[CameraControl_Exposure] == 1 ? -4 : s.cameraControl[CameraControl_Exposure];
    const double wb = s.procAmpFlags[VideoProcAmp_WhiteBalance] == 1 ? 5200 : pa[VideoProcAmp_WhiteBalance];
    const double common = std::pow(2.0, exposure + 4) * (16.0 + pa[VideoProcAmp_Gain]) / 16.0;
    // Channels in memory order: blue, green, red.
    double factor[3] = {common * 5200.0 / wb, common, common * wb / 5200.0};
    if (!s.autoWhiteBalance) {
        for (int c = 0; c < 3; ++c)
            factor[c] *= (128.0 + s.dspGain[2 - c]) / 128.0;
    }
    const double gammaExp = 150.0 / pa[VideoProcAmp_Gamma];
    for (int c = 0; c < 3; ++c) {
        for (int v = 0; v < 256; ++v) {
            double x = v * factor[c];
            x = 128.0 + (x - 128.0) * pa[VideoProcAmp_Contrast] / 12.0;
            x += 4.0 * pa[VideoProcAmp_Brightness];
            x = std::min(255.0, std::max(0.0, x));
            x = 255.0 * std::pow(x / 255.0, gammaExp);
            m_lut[c][v] = BYTE(std::lround(std::min(255.0, std::max(0.0, x))));
        }
    }
    const bool colour = pa[VideoProcAmp_ColorEnable] != 0;
    const LONG sat = pa[VideoProcAmp_Saturation];
    const bool mirror = (s.flipMode & VideoControlFlag_FlipHorizontal) != 0;
    for (int kind = 0; kind < 5; ++kind) {
        std::vector<BYTE> chart(size_t(width) * 3);
        ChartRow(kind, width, chart.data());
        std::vector<BYTE>& row = m_rows[kind];
        row.resize(chart.size());
        for (int x = 0; x < width; ++x) {
            const BYTE* in = &chart[size_t(mirror ? width - 1 - x : x) * 3];
            int b = m_lut[0][in[0]], g = m_lut[1][in[1]], r = m_lut[2][in[2]];
            const int y = (77 * r + 150 * g + 29 * b + 128) >> 8;
            if (!colour) {
                r = g = b = y;
            } else if (sat != 2) {
                auto mix = [&](int c) { return std::min(255, std::max(0, y + (c - y) * int(sat) / 2)); };
                r = mix(r), g = mix(g), b = mix(b);
            }
            BYTE* out = &row[size_t(x) * 3];
            out[0] = BYTE(b), out[1] = BYTE(g), out[2] = BYTE(r);
        }
    }
    m_version = s.version;
    m_width = width;
    m_flips = s.flipMode;
}

void CUvcScene::Render(const UvcDeviceState& state, LONG counter, int width, int height, BYTE* dib, int stride)
{
    if (width <= 0 || height <= 0)
        return;
    if (state.version != m_version || width != m_width || state.flipMode != m_flips)
        Prepare(state, width);
    const bool vflip = (state.flipMode & VideoControlFlag_FlipVertical) != 0;
    const int band = height - height / 8;
    const int bandHeight = height - band;
    const size_t rowBytes = size_t(width) * 3;
    for (int y = 0; y < height; ++y) {
        // Picture row y of the chart, before the vertical flip.
        const int cy = vflip ? height - 1 - y : y;
        int kind = ROW_GREY;
        if (cy < height / 4) {
            kind = ROW_PATCHES;
        } else if (cy >= band) {
            const int depth = cy - band;
            kind = depth * 4 < bandHeight ? ROW_TICKS10 : depth * 2 < bandHeight ? ROW_TICKS50 : ROW_TICKS100;
        }
        BYTE* out = dib + size_t(height - 1 - y) * size_t(stride);
        memcpy(out, m_rows[kind].data(), rowBytes);
        memset(out + rowBytes, 0, size_t(stride) - rowBytes);
    }
    if (width >= 264 && height >= 8) {
        for (int y = height / 2 - 4; y < height / 2 + 4; ++y) {
            BYTE* out = dib + size_t(height - 1 - y) * size_t(stride);
            for (int bit = 0; bit < 32; ++bit) {
                const BYTE v = (ULONG(counter) >> (31 - bit)) & 1 ? 255 : 0;
                memset(out + size_t(8 + 8 * bit) * 3, v, 24);
            }
        }
    }
}
