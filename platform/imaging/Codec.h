// BMP and JPEG in memory. Every reader checks each length against the bytes
// it was given before it reads, so a damaged file ends in an error code.
#pragma once

#include "Frame.h"

#include <vector>

namespace imaging {

// Format, size and depth of a file's bytes, without decoding the pixels.
L_INT ReadInfo(const BYTE* data, size_t size, FILEINFO& info);

// Decodes at the file's own depth (bpp 0) or converts to the given one.
L_INT Decode(const BYTE* data, size_t size, int bpp, Frame& out);

L_INT DecodeBmp(const BYTE* data, size_t size, int bpp, Frame& out, FILEINFO* info);
L_INT DecodeJpeg(const BYTE* data, size_t size, int bpp, Frame& out, FILEINFO* info);

// The frame is written at its own depth.
L_INT EncodeBmp(const Frame& f, std::vector<BYTE>& out);
// 24-bit or grey 8-bit frames; quality is libjpeg's 1..100.
L_INT EncodeJpeg(const Frame& f, int quality, std::vector<BYTE>& out);

// The library's quality factor (2 best .. 255 smallest) as libjpeg quality.
int JpegQualityFromFactor(int qfactor);

// Whole files, through the wide or the ANSI name.
L_INT ReadFileBytes(const wchar_t* path, std::vector<BYTE>& out);
L_INT WriteFileBytes(const wchar_t* path, const std::vector<BYTE>& bytes);

}  // namespace imaging
