#include "DibPrint.h"
#include <cstring>

namespace {

const WORD kBitmapFileType = 0x4D42;   // "BM"
const int kChunk = 32768;

struct DibModule {
    HGLOBAL header = nullptr;
    HGLOBAL bitmap = nullptr;
    bool loaded = false;
    DWORD bitsOffset = 0;
    RECT source = {0, 0, 0, 0};
    int lastPieces = 0;
};
DibModule g_dib;

// Rows padded to 4 bytes, computed wide: a header's sizes are never trusted.
bool RequiredImageSize(const BITMAPINFOHEADER& h, DWORD* size)
{
    const long long height = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
    const long long row = ((static_cast<long long>(h.biWidth) * h.biBitCount + 31) / 32) * 4;
    const long long total = row * height;
    if (h.biWidth <= 0 || height == 0 || total <= 0 || total > kDibMaxBytes) return false;
    *size = DWORD(total);
    return true;
}

bool KnownBitCount(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

} // namespace

int DibLastReadPieces() { return g_dib.lastPieces; }

int DibNumColors(const void* header)
{
    const BITMAPINFOHEADER* info = static_cast<const BITMAPINFOHEADER*>(header);
    int bits;
    if (info->biSize != sizeof(BITMAPCOREHEADER)) {
        if (info->biClrUsed != 0) return int(info->biClrUsed);
        bits = info->biBitCount;
    } else {
        bits = static_cast<const BITMAPCOREHEADER*>(header)->bcBitCount;
    }
    switch (bits) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

int DibPaletteSize(const void* header)
{
    const BITMAPINFOHEADER* info = static_cast<const BITMAPINFOHEADER*>(header);
    return DibNumColors(header) * (info->biSize == sizeof(BITMAPCOREHEADER) ? sizeof(RGBTRIPLE) : sizeof(RGBQUAD));
}

long ReadFileChunks(HFILE file, void* buffer, long size)
{
    BYTE* p = static_cast<BYTE*>(buffer);
    long left = size;
    g_dib.lastPieces = 0;
    while (left > 0) {
        const long piece = left > kChunk ? kChunk : left;
        ++g_dib.lastPieces;
        if (_lread(file, p, UINT(piece)) != UINT(piece)) return 0;
        p += piece;
        left -= piece;
    }
    return size;
}

HGLOBAL ReadDibHeader(HFILE file)
{
    const LONG start = _llseek(file, 0, FILE_CURRENT);
    BITMAPFILEHEADER fileHeader;
    if (_lread(file, &fileHeader, sizeof fileHeader) != sizeof fileHeader) return nullptr;
    bool haveFileHeader = fileHeader.bfType == kBitmapFileType;
    if (!haveFileHeader) {
        g_dib.bitsOffset = 0;
        _llseek(file, start, FILE_BEGIN);
    }

    BITMAPINFOHEADER h;
    if (_lread(file, &h, sizeof h) != sizeof h) return nullptr;
    bool core = false;
    if (h.biSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER c;
        memcpy(&c, &h, sizeof c);
        ZeroMemory(&h, sizeof h);
        h.biSize = sizeof h;
        h.biWidth = c.bcWidth;
        h.biHeight = c.bcHeight;
        h.biPlanes = c.bcPlanes;
        h.biBitCount = c.bcBitCount;
        h.biClrUsed = h.biClrImportant = DibNumColors(&h);
        _llseek(file, -LONG(sizeof h - sizeof c), FILE_CURRENT);
        core = true;
    } else if (h.biSize != sizeof h) {
        return nullptr;
    }

    // Only what the painter can paint safely: known depths, uncompressed or
    // RLE of the matching depth, a colour table no longer than the depth
    // allows, and bits whose size is worked out from width and height.
    if (!KnownBitCount(h.biBitCount)) return nullptr;
    DWORD required;
    if (!RequiredImageSize(h, &required)) return nullptr;
    if (h.biCompression == BI_RGB) {
        h.biSizeImage = required;
    } else if ((h.biCompression == BI_RLE8 && h.biBitCount == 8) || (h.biCompression == BI_RLE4 && h.biBitCount == 4)) {
        if (h.biHeight < 0 || h.biSizeImage == 0 || h.biSizeImage > kDibMaxBytes) return nullptr;
    } else {
        return nullptr;
    }
    const DWORD maxColours = h.biBitCount <= 8 ? (1u << h.biBitCount) : 256u;
    if (h.biClrUsed > maxColours) return nullptr;
    if (h.biClrUsed == 0) h.biClrUsed = DibNumColors(&h);
    const DWORD colours = h.biClrUsed;

    HGLOBAL block = GlobalAlloc(GHND, sizeof h + colours * sizeof(RGBQUAD));
    if (!block) return nullptr;
    BYTE* p = static_cast<BYTE*>(GlobalLock(block));
    memcpy(p, &h, sizeof h);
    RGBQUAD* table = reinterpret_cast<RGBQUAD*>(p + sizeof h);
    bool ok = true;
    if (colours) {
        if (core) {
            // 3-byte entries widened in place, from the last one down.
            const UINT bytes = colours * sizeof(RGBTRIPLE);
            ok = _lread(file, table, bytes) == bytes;
            const RGBTRIPLE* triples = reinterpret_cast<const RGBTRIPLE*>(table);
            for (int i = int(colours) - 1; ok && i >= 0; --i) {
                const RGBTRIPLE t = triples[i];
                table[i].rgbBlue = t.rgbtBlue;
                table[i].rgbGreen = t.rgbtGreen;
                table[i].rgbRed = t.rgbtRed;
                table[i].rgbReserved = 0;
            }
        } else {
            const UINT bytes = colours * sizeof(RGBQUAD);
            ok = _lread(file, table, bytes) == bytes;
        }
    }
    GlobalUnlock(block);
    if (!ok) {
        GlobalFree(block);
        return nullptr;
    }
    if (haveFileHeader && fileHeader.bfOffBits) {
        g_dib.bitsOffset = fileHeader.bfOffBits;
        _llseek(file, start + LONG(fileHeader.bfOffBits), FILE_BEGIN);
    } else {
        g_dib.bitsOffset = DWORD(_llseek(file, 0, FILE_CURRENT));
    }
    return block;
}

int GetDibInfo(HGLOBAL block, BITMAPINFOHEADER* header)
{
    if (!block) return 0;
    const void* p = GlobalLock(block);
    if (!p) return 0;
    memcpy(header, p, sizeof *header);
    GlobalUnlock(block);
    if (header->biSize != sizeof(BITMAPCOREHEADER)) {
        DWORD required;
        if (header->biSizeImage == 0 && RequiredImageSize(*header, &required)) header->biSizeImage = required;
        if (header->biClrUsed == 0) header->biClrUsed = DibNumColors(header);
    }
    return 1;
}

HGLOBAL ReadDib(const char* fileName)
{
    OFSTRUCT of;
    const HFILE file = OpenFile(fileName, &of, OF_READ);
    if (file == HFILE_ERROR) return nullptr;
    HGLOBAL block = ReadDibHeader(file);
    BITMAPINFOHEADER h;
    if (!GetDibInfo(block, &h)) {
        _lclose(file);
        return nullptr;
    }
    const DWORD head = h.biSize + DibPaletteSize(&h);
    HGLOBAL grown = GlobalReAlloc(block, head + h.biSizeImage, GMEM_MOVEABLE | GMEM_ZEROINIT);
    if (!grown) {
        GlobalFree(block);
        _lclose(file);
        return nullptr;
    }
    BYTE* p = static_cast<BYTE*>(GlobalLock(grown));
    const long read = ReadFileChunks(file, p + head, long(h.biSizeImage));
    GlobalUnlock(grown);
    _lclose(file);
    if (read == 0) {
        GlobalFree(grown);
        return nullptr;
    }
    return grown;
}

void FreeDib()
{
    if (g_dib.bitmap && g_dib.bitmap != g_dib.header) GlobalFree(g_dib.bitmap);
    if (g_dib.header) GlobalFree(g_dib.header);
    g_dib.bitmap = g_dib.header = nullptr;
    g_dib.loaded = false;
    SetRectEmpty(&g_dib.source);
}

int LoadDib(PrintState& state)
{
    FreeDib();
    OFSTRUCT of;
    const HFILE file = OpenFile(state.text.c_str(), &of, OF_READ);
    if (file == HFILE_ERROR) return 0;
    g_dib.header = ReadDibHeader(file);
    _lclose(file);
    if (!g_dib.header) return 0;
    g_dib.loaded = true;
    g_dib.bitmap = ReadDib(state.text.c_str());
    BITMAPINFOHEADER h;
    GetDibInfo(g_dib.header, &h);
    if (h.biCompression != BI_RGB && !g_dib.bitmap) {
        FreeDib();
        return 0;
    }
    return 1;
}

int StretchDib(HDC dc, int x, int y, int width, int height, HGLOBAL block, int srcX, int srcY, int srcWidth,
               int srcHeight, DWORD rasterOp)
{
    const BITMAPINFO* info = static_cast<const BITMAPINFO*>(GlobalLock(block));
    if (!info) return 0;
    const BYTE* bits = reinterpret_cast<const BYTE*>(info) + info->bmiHeader.biSize + DibPaletteSize(info);
    const int result = StretchDIBits(dc, x, y, width, height, srcX, srcY, srcWidth, srcHeight, bits, info,
                                     DIB_RGB_COLORS, rasterOp);
    GlobalUnlock(block);
    return result;
}

void PaintDib(PrintState& state, int x, int y, int width, int height)
{
    if (!g_dib.loaded || !g_dib.bitmap) return;
    BITMAPINFOHEADER h;
    GetDibInfo(g_dib.bitmap, &h);
    const int sourceHeight = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    StretchDib(state.context->m_hDC, x, y, width, height, g_dib.bitmap, 0, 0, h.biWidth, sourceHeight, SRCCOPY);
}

namespace {

// The escape takes the rectangle's edges.
void SendBounds(PrintState& state, int x, int y, int width, int height)
{
    RECT bounds = {x, y, x + width, y + height};
    state.context->Escape(SET_BOUNDS, sizeof bounds, reinterpret_cast<LPCSTR>(&bounds), nullptr);
}

} // namespace

int PrintDib(PrintState& state)
{
    if (!LoadDib(state)) return 0;
    const int x = state.x, y = state.y, width = state.right - state.x, height = state.bottom - state.y;
    SendBounds(state, x, y, width, height);
    PaintDib(state, x, y, width, height);
    FreeDib();
    return 1;
}

int PrintDibKeep(PrintState& state)
{
    if (!g_dib.loaded && !LoadDib(state)) return 0;
    BITMAPINFOHEADER h;
    GetDibInfo(g_dib.header, &h);
    const int width = h.biWidth, height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    SendBounds(state, state.x, state.y, state.right - state.x, state.bottom - state.y);
    PaintDib(state, state.x, state.y, width, height);
    return 1;
}
