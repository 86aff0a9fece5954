// The burn-in rule shared by the measurement layer and the live still: an
// overlay drawn on grey 128 replaces the picture byte by byte wherever it is
// not 128.
#pragma once
#include <windows.h>

// Bytes of one row of a 24-bit DIB of `width` pixels, padded to four bytes.
inline int Dib24Stride(int width) { return (width * 24 + 31) / 32 * 4; }

// Overlay byte value that leaves the picture's byte as it is.
const BYTE kOverlayTransparent = 128;

// frame and overlay: `height` rows of Dib24Stride(width) bytes each, the same
// layout. Each byte is decided on its own, so a drawn channel of exactly 128
// keeps the picture's value; row padding is never touched. Any thread; the
// caller owns both buffers. Returns 0, or -1 for a null buffer or a size <= 0.
int MergeOverlay(BYTE* frame, const BYTE* overlay, int width, int height);

// Tests only: true forces the plain byte loop, false lets the SSE2 path run.
void MergeOverlayForcePlain(bool plain);
