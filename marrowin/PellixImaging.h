// Per-pixel steps of the Marrowin bitmap path and the fits of flat-field
// correction, as plain functions over raw G R / B G frames.
#ifndef PELLIX_IMAGING_H
#define PELLIX_IMAGING_H

#include <windows.h>
#include <cstddef>

// Bilinear demosaic of a w x h raw frame (w, h even, at least 2) into 3 x w
// bytes per row, blue, green, red; the flips mirror rows and reverse them.
void PellixDemosaic(const BYTE *raw, int w, int h, BYTE *bgr, bool flipH, bool flipV);

// Tests and benchmarks: true forces the plain loops where a vector path
// exists; VELTRANE_PLAIN_PATHS=1 forces them from the start.
void PellixForcePlain(bool plain);
bool PellixPlainForced();

// Saturation code 1..511 (256 neutral): t[256] scales a channel, m[768] the grey part.
void PellixSaturationTables(int code, int *t, int *m);
void PellixApplySaturation(BYTE *bgr, size_t pixels, const int *t, const int *m);

// The four-point curve (points in 0..255, xa < xb) and the output table
// trunc(255 x (curve / 255) ^ gamma).
void PellixCurve(int xa, int ya, int xb, int yb, int *curve);
void PellixOutputTable(const int *curve, double gamma, int *output);
void PellixMapBytes(BYTE *raw, size_t bytes, const int *table);

// 768 bins: blue, green (mean of the pair), red; each pixel counts 4.
void PellixHistogram(const BYTE *raw, int w, int h, int *bins);

#pragma pack(push, 4)
struct PellixColourRow {
    int kelvin;
    int filler;
    double red, green, blue; // linear, normalised to the largest
    BYTE r, g, b;            // display colour
    BYTE reserved[5];
};
#pragma pack(pop)
static_assert(sizeof(PellixColourRow) == 40, "colour-temperature rows are 40 bytes");

// Black-body colours from 1000 K to 30000 K in steps of 100 K.
const int kPellixColourRows = 291;
const PellixColourRow *PellixColourTable();

// Least-squares polynomial (coefficients constant first, in powers of x).
bool PellixPolyFit(const double *x, const double *y, int n, int degree, double *coef);
double PellixPolyEval(const double *coef, int degree, double x);

#endif
