// The library's still files: raw Bayer bytes, 24-bit BMP and JPEG.
#pragma once
#include <windows.h>

// 1 written; -6 the file cannot be created (after the library's message box).
int WriteRawFile(const char* base, const BYTE* raw, int width, int height);
// The picture bottom-up, bytes blue, green, red, rows without padding.
int WriteBmpFile(const char* base, const BYTE* bgr, int width, int height);
// 1 written, 0 failed (after the library's message box).
int WriteJpegFile(const char* base, const BYTE* bgr, int width, int height, int quality);
