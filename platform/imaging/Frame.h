// The pixel store behind every bitmap, and the plain functions that work on it.
// Rows run top to bottom, each padded to four bytes as in a DIB; pixels are
// blue-green-red (24 bits), blue-green-red-unused (32), 5-5-5 (16) or palette
// indices (1, 4, 8).
#pragma once

#include "ImagingTypes.h"

namespace imaging {

// Pictures larger than this are refused before anything is allocated: one
// 24-bit copy stays well inside a 32-bit process.
constexpr int kMaxSide = 32767;
constexpr unsigned long long kMaxBytes = 512ull << 20;

inline int Stride(int width, int bpp) { return ((width * bpp + 31) / 32) * 4; }

class Frame {
public:
    Frame() = default;
    ~Frame() { Free(); }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    Frame(Frame&& other) noexcept { *this = static_cast<Frame&&>(other); }
    Frame& operator=(Frame&& other) noexcept;

    // Allocates zeroed rows; the old content is dropped only on success.
    L_INT Allocate(int width, int height, int bpp);
    void Free();
    L_INT CopyFrom(const Frame& other);

    bool Empty() const { return bits == nullptr; }
    BYTE* Row(int y) { return bits + size_t(y) * stride; }
    const BYTE* Row(int y) const { return bits + size_t(y) * stride; }
    size_t Bytes() const { return size_t(stride) * height; }

    BYTE* bits = nullptr;
    int width = 0;
    int height = 0;
    int bpp = 0;
    int stride = 0;
    int colors = 0;           // palette entries in use (bpp <= 8)
    RGBQUAD palette[256] = {};
};

// Whether a picture of this size and depth may be allocated at all.
bool SizeAllowed(long long width, long long height, int bpp);

// Fills a grey ramp palette of 2^bpp entries.
void GreyPalette(Frame& f);
bool IsGreyPalette(const Frame& f);

// Depth conversion: any depth to 24 or 32, palette depths to larger palette
// depths. Anything else answers LERR_BITS_PER_PIXEL.
L_INT Convert(const Frame& src, int bpp, Frame& dst);
// Brings a frame to 24 bits in place (no-op when it already is).
L_INT To24(Frame& f);

// Geometry, any depth.
void FlipRows(Frame& f);
L_INT Mirror(Frame& f);               // left to right
L_INT RotateRight(const Frame& src, int quarterTurns, Frame& dst);   // clockwise, exact
// A half turn in place, whole-byte depths (LERR_BITS_PER_PIXEL for others).
L_INT Turn180(Frame& f);
// Free rotation, 24 bits, clockwise, angle in hundredths of a degree.
L_INT RotateAny(const Frame& src, int hundredths, bool resize, COLORREF fill, Frame& dst);
L_INT Resample(const Frame& src, int width, int height, bool smooth, Frame& dst);

// Processing on 24-bit frames, in place; large pictures are cut into bands
// processed on a few threads, each pixel's result the same as without. A
// failure (LERR_NO_MEMORY) leaves the picture as it was.
void Invert(Frame& f);
L_INT BoxMean(Frame& f, int dim);
L_INT Median(Frame& f, int dim);
L_INT Sharpen(Frame& f, int amount);
L_INT Emboss(Frame& f, int direction, int depth);
void ApplyTable(Frame& f, const BYTE table[256]);
void Saturation(Frame& f, int amount);

}  // namespace imaging
