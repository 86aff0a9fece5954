// The live view's pixel arithmetic: real-time filters and mask operations.
//
// Every routine works in place on a 24-bit frame: `height` rows of `width`
// pixels, bytes blue, green, red, rows `stride` bytes apart (a DIB's stride is
// Dib24Stride(width); pass the buffer's real one). Bytes between the end of a
// row's pixels and the next row are never written. Each returns 0 when done
// and -1, leaving the frame untouched, for a null frame, a size <= 0 or a
// stride shorter than a row (mask operations: the same for the mask).
// Stateless; any thread, one frame per call.
#pragma once
#include <windows.h>

#include "OverlayMerge.h"  // Dib24Stride, MergeOverlay: the still burn-in rule

// Grey g = (30 byte0 + 59 byte1 + 11 byte2 + 50) / 100 into all three bytes.
int RTGray(BYTE* frame, int width, int height, int stride);
// 255 in all three bytes where the grey of RTGray is above `threshold`, else 0.
int RTBinary(BYTE* frame, int width, int height, int stride, unsigned threshold);
// Every byte b becomes 255 - b.
int RTInvert(BYTE* frame, int width, int height, int stride);

// 3 x 3 kernels per channel over the interior (rows and columns 1 to n - 2);
// the outermost rows and columns keep their values. Kernel rows run in memory
// order: the first one is the row before in the buffer.
int RTSharp(BYTE* frame, int width, int height, int stride);     // -1 -1 -1 / -1 9 -1 / -1 -1 -1
int RTGaussBlur(BYTE* frame, int width, int height, int stride); // 1 2 1 / 2 4 2 / 1 2 1, (sum + 7) / 16
int RTEdgeDetectSobelV(BYTE* frame, int width, int height, int stride);  // -1 -2 -1 / 0 0 0 / 1 2 1
int RTEdgeDetectSobelH(BYTE* frame, int width, int height, int stride);  // -1 0 1 / -2 0 2 / -1 0 1
// Each byte minus the same byte one row on in memory and one pixel to the
// right, plus 128; the last row and column keep their values.
int RTEmboss(BYTE* frame, int width, int height, int stride);
// Edge-weighted equalisation of brightness. Returns -1 also when its work
// planes cannot be allocated (the frame is then untouched).
int RTEqualize(BYTE* frame, int width, int height, int stride);

// Two-image arithmetic over the rows and columns frame and mask share.
int RTMaskAnd(BYTE* frame, int width, int height, int stride, const BYTE* mask, int maskWidth, int maskHeight, int maskStride);
int RTMaskOr(BYTE* frame, int width, int height, int stride, const BYTE* mask, int maskWidth, int maskHeight, int maskStride);
int RTMaskXor(BYTE* frame, int width, int height, int stride, const BYTE* mask, int maskWidth, int maskHeight, int maskStride);
// f + m, 255 when above.
int RTMaskAdd(BYTE* frame, int width, int height, int stride, const BYTE* mask, int maskWidth, int maskHeight, int maskStride);
// |f - m|.
int RTMaskSub(BYTE* frame, int width, int height, int stride, const BYTE* mask, int maskWidth, int maskHeight, int maskStride);
// f / m in integers, 255 where m is 0.
int RTMaskDivide(BYTE* frame, int width, int height, int stride, const BYTE* mask, int maskWidth, int maskHeight, int maskStride);
// Every byte b becomes the integer part of b x ratio, 255 from 255 up.
int RTMultiply(BYTE* frame, int width, int height, int stride, float ratio);

// Histogram equalisation of an 8-bit plane (`width` bytes a row, rows
// `stride` apart): level v becomes count(<= v) x 255 / (width x height), and
// row y of `plane` lands in row height - 1 - y of `out` (which may not be
// `plane`). 0, or -1 for a null plane or a bad size.
int RTEqualizePlane(const BYTE* plane, BYTE* out, int width, int height, int stride);

// The text of an edit field as a number (ANSI code page, then atof); 0 for
// null or text that is not a number. The text may be of any length.
float StrToFloat(const wchar_t* text);

// Tests and benchmarks only: true forces the plain per-pixel loops, false
// lets the fast paths run. Invert, emboss and multiply are Sorvane's
// (PixelOps.h), held to their plain rules by its own tests.
void RTForcePlain(bool plain);
bool RTPlainForced();
