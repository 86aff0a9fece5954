// The file object of a bitmap: information about the file the bitmap names.
#pragma once

#include "LBaseFile.h"

class LBitmapBase;

class LFile : public LBaseFile {
public:
    explicit LFile(LBitmapBase* bitmap) : m_bitmap(bitmap) {}

    // Reads format, size and bits per pixel of the bitmap's file without
    // loading the pixels. flags and options are accepted and not needed.
    L_INT GetInfo(pFILEINFO info, UINT size, UINT flags = 0, pLOADFILEOPTION options = nullptr);

private:
    LBitmapBase* m_bitmap;
};
