// Device-independent bitmap files printed into rectangles of a page. One
// bitmap is loaded at a time for the whole program (user-interface thread
// only). Files are read with the classic file functions, so names are narrow
// and shorter than 128 characters; 40-byte info headers and 12-byte core
// headers are read, uncompressed or RLE; other headers are refused.
#pragma once
#include "PrintState.h"

// Loads the file named by the state's text, stretches it into the state's
// frame and frees it: 1, or 0 when the file cannot be read.
int PrintDib(PrintState& state);
// Loads only when nothing is loaded, paints at the frame's top-left at the
// bitmap's own size, and keeps it loaded.
int PrintDibKeep(PrintState& state);
int LoadDib(PrintState& state);
void FreeDib();
void PaintDib(PrintState& state, int x, int y, int width, int height);
// The header, colour table and bits in one movable block, or none.
HGLOBAL ReadDib(const char* fileName);
// The header (widened to an info header) and the colour table (4-byte
// entries) in one movable block, or none for a header that cannot be used.
// Leaves the file at the bits.
HGLOBAL ReadDibHeader(HFILE file);
int GetDibInfo(HGLOBAL block, BITMAPINFOHEADER* header);
int DibPaletteSize(const void* header);
int DibNumColors(const void* header);
int StretchDib(HDC dc, int x, int y, int width, int height, HGLOBAL block, int srcX, int srcY, int srcWidth,
               int srcHeight, DWORD rasterOp);
// Reads size bytes in pieces of 32768: size, or 0 on a short read.
long ReadFileChunks(HFILE file, void* buffer, long size);

// The pieces of the last ReadFileChunks (for the tests).
int DibLastReadPieces();
// The largest bitmap block read (bits included).
const DWORD kDibMaxBytes = 512u * 1024 * 1024;
