// One camera frame on its way to a still file.
#pragma once

#include <windows.h>

#include <vector>

// 24-bit pixels, rows `stride` apart; a negative height runs top-down, as a DIB's.
struct CStillFrame {
    std::vector<BYTE> pixels;
    int width = 0;
    int height = 0;
    int stride = 0;
};

class LBitmapBase;

// The frame as a 24-bit picture of the imaging library; false when the frame
// is empty, its buffer smaller than its rows, or memory runs out.
bool StillFrameToBitmap(const CStillFrame& still, LBitmapBase& bitmap);
// FILE_BMP or FILE_JFIF for "bmp" or "jpg" (with or without the dot, any
// case); 0 for anything else.
int StillFileFormat(LPCWSTR ext);
// Writes the frame as BMP (24 bits) or JPEG (quality factor 10) through the
// imaging library, encoded from memory. False, and no file left, on failure.
bool WriteStillFrame(const CStillFrame& still, LPCWSTR path, int format);
