// Per-frame operations of the Sorvane filter.
//
// Every operation works in place on a 24-bit frame in the Windows DIB layout:
// rows bottom-up, pixels blue, green, red, rows padded to a multiple of four
// bytes (see DibStride). Each returns 0 when done and -1, leaving the frame
// untouched, when the frame pointer is null or the width or height is not
// positive.
#pragma once

#include <windows.h>

// Bytes per row of a 24-bit DIB.
inline int DibStride(int width) { return ((width * 24 + 31) / 32) * 4; }

int ImgFlip(BYTE* frame, int width, int height);
int ImgMirror(BYTE* frame, int width, int height);
int ImgGray(BYTE* frame, int width, int height);
int ImgInvert(BYTE* frame, int width, int height);
int ImgBinary(BYTE* frame, int width, int height, long threshold);
int ImgEmboss(BYTE* frame, int width, int height);
int ImgSharp(BYTE* frame, int width, int height);
int ImgAddOne(BYTE* frame, int width, int height);
int ImgAddTwo(BYTE* frame, int width, int height);
int ImgMultiply(BYTE* frame, int width, int height, float factor);
int ImgRgbGain(BYTE* frame, int width, int height, long r, long g, long b);
// Invert, emboss and multiply over rows `stride` bytes apart (at least
// 3 x width): the same rules, for frames that are not DIB-packed. Orvik's
// live filters use these.
// Tests and benchmarks: true forces the plain loops where a fast path exists
// (the grey and binary luma); false lets the fast paths run. The environment
// variable VELTRANE_PLAIN_PATHS=1 forces them from the start.
void ImgForcePlain(bool plain);
bool ImgPlainForced();
// Tests: true keeps the fast paths to 128-bit vectors where the processor
// has wider ones, so that both vector paths run on such a machine.
void ImgForceNarrowVectors(bool narrow);
int ImgInvertRows(BYTE* frame, int width, int height, int stride);
int ImgEmbossRows(BYTE* frame, int width, int height, int stride);
int ImgMultiplyRows(BYTE* frame, int width, int height, int stride, float factor);

int ImgMaskOverlay(BYTE* frame, int width, int height, int x0, int y0,
                   const BYTE* mask, int maskWidth, int maskHeight,
                   BYTE keyRed, BYTE keyGreen, BYTE keyBlue);
