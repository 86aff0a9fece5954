// A picture in memory: creation, copy, files, DIB exchange and geometry.
#pragma once

#include "Frame.h"
#include "LBase.h"
#include "LDialogFile.h"
#include "LFile.h"

#include <string>

class LBitmapBase : public LBase {
public:
    LBitmapBase();
    ~LBitmapBase() override;
    LBitmapBase(const LBitmapBase&) = delete;
    LBitmapBase& operator=(const LBitmapBase&) = delete;

    // A deep copy; on failure this picture stays as it was.
    L_INT Copy(const LBitmapBase& source);
    // Exchanges the two pictures (not their file names); needs no memory,
    // so it cannot fail.
    void SwapPicture(LBitmapBase& other);
    // From a DIB header (a negative height means top-down rows), its colour
    // table for 8 bits or fewer, and the pixel rows.
    L_INT ConvertFromDIB(const BITMAPINFO* info, const BYTE* bits);
    // A packed DIB (header, colour table for 8 bits or fewer, bottom-up rows);
    // the caller frees it with GlobalFree. NULL on failure.
    HGLOBAL ConvertToDIB() const;
    L_INT Free();

    // bitsPerPixel 0 keeps the file's own depth; 24 and 32 convert any file.
    L_INT Load(const char* file, L_INT bitsPerPixel = 0, L_INT order = ORDER_BGRORGRAY,
               pLOADFILEOPTION options = nullptr, pFILEINFO info = nullptr);
    L_INT Load(const wchar_t* file, L_INT bitsPerPixel = 0, L_INT order = ORDER_BGRORGRAY,
               pLOADFILEOPTION options = nullptr, pFILEINFO info = nullptr);
    // Loads the file named by SetFileName.
    L_INT Load(L_INT bitsPerPixel, L_INT order = ORDER_BGRORGRAY, pLOADFILEOPTION options = nullptr,
               pFILEINFO info = nullptr);
    // format FILE_BMP (bitsPerPixel 24, or 0 for the picture's own depth) or
    // FILE_JFIF (24, or 8 for a grey picture); qfactor 2 is the best JPEG.
    L_INT Save(const char* file, L_INT format, L_INT bitsPerPixel, L_INT qfactor = 2, UINT flags = 0,
               pSAVEFILEOPTION options = nullptr);
    L_INT Save(const wchar_t* file, L_INT format, L_INT bitsPerPixel, L_INT qfactor = 2, UINT flags = 0,
               pSAVEFILEOPTION options = nullptr);

    // The file name in the ANSI code page, as the caller gave it.
    L_INT SetFileName(const char* name);
    const char* GetFileName() const { return m_fileName.c_str(); }
    // Copies at most size - 1 bytes and a terminating zero.
    L_INT GetFileName(char* buffer, UINT size) const;

    BOOL IsAllocated() const { return !m_frame.Empty(); }
    L_INT GetWidth() const { return m_frame.width; }
    L_INT GetHeight() const { return m_frame.height; }
    L_INT GetBitsPerPixel() const { return m_frame.bpp; }
    L_INT GetBytesPerLine() const { return m_frame.stride; }
    // Bytes the pixel rows take in memory.
    DWORD GetSize() const { return DWORD(m_frame.Bytes()); }
    // Copies row n, counted from the top, into buffer; answers the bytes copied.
    L_INT GetRow(BYTE* buffer, L_INT row, DWORD bytes) const;
    // The colour table of a picture of 8 bits or fewer.
    const RGBQUAD* GetPalette() const { return m_frame.bpp <= 8 ? m_frame.palette : nullptr; }

    // Brings the picture to 24 or 32 bits, or a palette picture to a larger
    // palette depth; other conversions answer LERR_BITS_PER_PIXEL.
    L_INT ChangeBitsPerPixel(L_INT bitsPerPixel);

    // Mirror left to right, and top to bottom.
    L_INT Reverse();
    L_INT Flip();
    // Clockwise by hundredths of a degree; ROTATE_RESIZE grows the canvas to
    // hold the whole turned picture, fill paints the uncovered corners.
    // Multiples of 90 degrees are exact; other angles interpolate bilinearly.
    L_INT Rotate(L_INT angle, UINT flags, COLORREF fill);
    // SIZE_RESAMPLE filters (bilinear when enlarging, averaging every source
    // pixel when reducing); otherwise the nearest pixel.
    L_INT Size(L_INT width, L_INT height, UINT flags);

    // The file object bound to this picture's file name.
    LFile& File() { return m_file; }
    // The file dialogs bound to this picture.
    LDialogFile& DialogFile() { return m_dialogFile; }

protected:
    // Called after the picture changed; the bitmap window repaints.
    virtual void Changed() {}
    // Replaces the picture and tells Changed.
    void Replace(imaging::Frame&& frame);
    // Brings the picture to 24 bits for processing.
    L_INT Prepare24();

    imaging::Frame m_frame;

private:
    L_INT LoadBytes(const std::wstring& path, L_INT bitsPerPixel, pFILEINFO info);
    L_INT SaveBytes(const std::wstring& path, L_INT format, L_INT bitsPerPixel, L_INT qfactor);

    std::string m_fileName;
    LFile m_file;
    LDialogFile m_dialogFile;
};

// The ANSI name as a wide path.
std::wstring ImagingWidePath(const char* name);
