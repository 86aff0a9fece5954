// The stand-in codec's bitstream: a run-length form of 24-bit pixels. It
// takes the place of Windows Media Video 9, which this machine lacks, in
// files carrying the 'WMV3' FourCC; no real WMV decoder reads it.
//
// A frame is the picture's rows in DIB order (bottom row first), each row a
// sequence of runs of `count` (1..255) equal pixels, written as the byte
// count followed by the pixel's blue, green and red. Runs never cross a row.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// The FourCC both stand-ins (the DirectShow filter and the Video for Windows
// driver) write into the frames' format.
const DWORD kWmvRleFourcc = MAKEFOURCC('W', 'M', 'V', '3');

// Whether the stand-in takes pictures of this format: bottom-up 24-bit RGB,
// at most 16384 pixels each way.
bool WmvRleAccepts(const BITMAPINFOHEADER& in);

// The format of the frames it makes from pictures of format `in`.
BITMAPINFOHEADER WmvRleOutputFormat(const BITMAPINFOHEADER& in);

// The largest frame the encoder can make for width x height pixels.
size_t WmvRleMaxSize(int width, int height);

// Encodes a bottom-up 24-bit DIB whose rows lie `stride` bytes apart into
// `out` (at least WmvRleMaxSize bytes); gives the bytes written.
size_t WmvRleEncode(const uint8_t* dib, int width, int height, int stride, uint8_t* out);

// Decodes `size` bytes into a DIB of that shape; false when the data does
// not fill the picture exactly (truncated, overlong or a run of zero).
bool WmvRleDecode(const uint8_t* data, size_t size, int width, int height, int stride, uint8_t* dib);
