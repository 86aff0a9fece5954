#include "Codec.h"

#include <algorithm>
#include <cstring>

namespace imaging {

namespace {

inline DWORD U32(const BYTE* p) { return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24; }
inline WORD U16(const BYTE* p) { return WORD(p[0] | p[1] << 8); }
inline void Put32(BYTE* p, DWORD v) { p[0] = BYTE(v); p[1] = BYTE(v >> 8); p[2] = BYTE(v >> 16); p[3] = BYTE(v >> 24); }
inline void Put16(BYTE* p, WORD v) { p[0] = BYTE(v); p[1] = BYTE(v >> 8); }

struct Mask {
    DWORD mask = 0;
    int shift = 0;
    DWORD max = 0;
    static Mask From(DWORD m)
    {
        Mask r;
        r.mask = m;
        if (m) {
            while (!((m >> r.shift) & 1))
                ++r.shift;
            r.max = m >> r.shift;
        }
        return r;
    }
    BYTE Get(DWORD v) const { return max ? BYTE(((v & mask) >> shift) * 255 / max) : 0; }
    bool Contiguous() const { return max && ((max + 1) & max) == 0; }
};

struct Header {
    LONG width = 0, height = 0;
    int bpp = 0;
    DWORD compression = 0;
    DWORD offBits = 0;
    int colors = 0;
    Mask r, g, b;
};

// The frame's native depth for a file: 16 and 32-bit files with other masks
// than the plain ones are widened to 24 bits.
int NativeDepth(const Header& h)
{
    if (h.bpp == 16 && !(h.r.mask == 0x7C00 && h.g.mask == 0x03E0 && h.b.mask == 0x001F))
        return 24;
    if (h.bpp == 32 && !(h.r.mask == 0xFF0000 && h.g.mask == 0xFF00 && h.b.mask == 0xFF))
        return 24;
    return h.bpp;
}

L_INT ParseHeader(const BYTE* data, size_t size, Header& h, Frame* palette)
{
    if (size < 2 || data[0] != 'B' || data[1] != 'M')
        return LERR_FILE_FORMAT;
    if (size < 18)
        return LERR_FILE_CORRUPT;
    const DWORD hs = U32(data + 14);
    if (hs != 12 && hs != 40 && hs != 52 && hs != 56 && hs != 64 && hs != 108 && hs != 124)
        return LERR_FILE_FORMAT;
    if (size < 14 + size_t(hs))
        return LERR_FILE_CORRUPT;
    const BYTE* ih = data + 14;
    h.offBits = U32(data + 10);
    int planes;
    size_t paletteAt = 14 + hs;
    DWORD clrUsed = 0;
    if (hs == 12) {
        h.width = U16(ih + 4);
        h.height = short(U16(ih + 6));
        planes = U16(ih + 8);
        h.bpp = U16(ih + 10);
    } else {
        h.width = LONG(U32(ih + 4));
        h.height = LONG(U32(ih + 8));
        planes = U16(ih + 12);
        h.bpp = U16(ih + 14);
        h.compression = U32(ih + 16);
        clrUsed = U32(ih + 32);
    }
    if (planes != 1 || h.width <= 0 || h.height == 0 || h.height == LONG(0x80000000))
        return LERR_FILE_FORMAT;
    if (h.bpp != 1 && h.bpp != 4 && h.bpp != 8 && h.bpp != 16 && h.bpp != 24 && h.bpp != 32)
        return LERR_FILE_FORMAT;
    switch (h.compression) {
    case BI_RGB: break;
    case BI_RLE8: if (h.bpp != 8 || h.height < 0) return LERR_FILE_FORMAT; break;
    case BI_RLE4: if (h.bpp != 4 || h.height < 0) return LERR_FILE_FORMAT; break;
    case BI_BITFIELDS: if (h.bpp != 16 && h.bpp != 32) return LERR_FILE_FORMAT; break;
    default: return LERR_FILE_FORMAT;
    }
    if (h.compression == BI_BITFIELDS) {
        const BYTE* m = ih + 40;
        if (hs == 40) {
            if (size < 14 + 40 + 12)
                return LERR_FILE_CORRUPT;
            paletteAt += 12;
        }
        h.r = Mask::From(U32(m));
        h.g = Mask::From(U32(m + 4));
        h.b = Mask::From(U32(m + 8));
        if (!h.r.Contiguous() || !h.g.Contiguous() || !h.b.Contiguous())
            return LERR_FILE_FORMAT;
    } else if (h.bpp == 16) {
        h.r = Mask::From(0x7C00); h.g = Mask::From(0x03E0); h.b = Mask::From(0x001F);
    } else if (h.bpp == 32) {
        h.r = Mask::From(0xFF0000); h.g = Mask::From(0xFF00); h.b = Mask::From(0xFF);
    }
    if (!SizeAllowed(h.width, h.height < 0 ? -(long long)h.height : h.height, h.bpp))
        return LERR_IMAGE_TOO_LARGE;
    if (h.bpp <= 8) {
        const DWORD maxColors = 1u << h.bpp;
        if (clrUsed > maxColors)
            return LERR_FILE_FORMAT;
        h.colors = clrUsed ? int(clrUsed) : int(maxColors);
        const size_t entry = hs == 12 ? 3 : 4;
        // Some writers leave out entries they never use; read what is there.
        const size_t end = std::min<size_t>(size, h.offBits >= paletteAt ? h.offBits : size);
        const size_t present = end > paletteAt ? (end - paletteAt) / entry : 0;
        const int n = int(std::min<size_t>(present, size_t(h.colors)));
        if (n == 0)
            return LERR_FILE_CORRUPT;
        if (palette) {
            for (int i = 0; i < n; ++i) {
                const BYTE* q = data + paletteAt + i * entry;
                palette->palette[i] = RGBQUAD{q[0], q[1], q[2], 0};
            }
        }
    }
    if (h.offBits < paletteAt || h.offBits > size)
        return LERR_FILE_CORRUPT;
    return SUCCESS;
}

L_INT DecodeRle(const BYTE* p, const BYTE* end, Frame& f, bool four)
{
    // Rows arrive bottom-up; the frame is top-down.
    int x = 0, y = 0;
    auto put = [&](int v) {
        if (x < f.width && y < f.height) {
            BYTE* row = f.Row(f.height - 1 - y);
            if (four)
                row[x >> 1] = BYTE((x & 1) ? (row[x >> 1] & 0xF0) | (v & 15) : (row[x >> 1] & 0x0F) | (v << 4));
            else
                row[x] = BYTE(v);
        }
        ++x;
    };
    while (end - p >= 2) {
        const int count = p[0], value = p[1];
        p += 2;
        if (count) {
            for (int i = 0; i < count; ++i)
                put(four ? ((i & 1) ? value & 15 : value >> 4) : value);
            continue;
        }
        switch (value) {
        case 0: x = 0; ++y; break;
        case 1: return SUCCESS;
        case 2:
            if (end - p < 2)
                return LERR_FILE_CORRUPT;
            x += p[0];
            y += p[1];
            p += 2;
            break;
        default: {
            const size_t bytes = four ? (value + 1) / 2 : value;
            const size_t padded = (bytes + 1) & ~size_t(1);
            if (size_t(end - p) < padded)
                return LERR_FILE_CORRUPT;
            for (int i = 0; i < value; ++i)
                put(four ? ((i & 1) ? p[i / 2] & 15 : p[i / 2] >> 4) : p[i]);
            p += padded;
        }
        }
        if (y > f.height)
            return LERR_FILE_CORRUPT;
    }
    return LERR_FILE_CORRUPT;  // no end-of-picture mark: cut short
}

}  // namespace

L_INT DecodeBmp(const BYTE* data, size_t size, int bpp, Frame& out, FILEINFO* info)
{
    Header h;
    Frame palette;
    L_INT rc = ParseHeader(data, size, h, &palette);
    if (rc != SUCCESS)
        return rc;
    const int height = h.height < 0 ? -h.height : h.height;
    const bool topDown = h.height < 0;
    if (info) {
        info->Format = FILE_BMP;
        info->Width = h.width;
        info->Height = height;
        info->BitsPerPixel = h.bpp;
        info->SizeMem = DWORD(Stride(h.width, h.bpp)) * DWORD(height);
        info->IsProgressive = FALSE;
        return SUCCESS;
    }
    const int fileStride = Stride(h.width, h.bpp);
    const BYTE* pixels = data + h.offBits;
    const size_t available = size - h.offBits;
    if (h.compression != BI_RLE8 && h.compression != BI_RLE4 && available < size_t(fileStride) * height)
        return LERR_FILE_CORRUPT;

    Frame f;
    const int native = NativeDepth(h);
    rc = f.Allocate(h.width, height, native);
    if (rc != SUCCESS)
        return rc;
    if (h.bpp <= 8) {
        std::memcpy(f.palette, palette.palette, sizeof f.palette);
        f.colors = h.colors;
    }
    if (h.compression == BI_RLE8 || h.compression == BI_RLE4) {
        rc = DecodeRle(pixels, pixels + available, f, h.compression == BI_RLE4);
        if (rc != SUCCESS)
            return rc;
    } else if (native == h.bpp) {
        for (int y = 0; y < height; ++y)
            std::memcpy(f.Row(y), pixels + size_t(topDown ? y : height - 1 - y) * fileStride, fileStride);
        if (h.bpp == 32)
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < h.width; ++x)
                    f.Row(y)[x * 4 + 3] = 0;
    } else {
        for (int y = 0; y < height; ++y) {
            const BYTE* s = pixels + size_t(topDown ? y : height - 1 - y) * fileStride;
            BYTE* d = f.Row(y);
            for (int x = 0; x < h.width; ++x, d += 3) {
                const DWORD v = h.bpp == 16 ? U16(s + x * 2) : U32(s + x * 4);
                d[0] = h.b.Get(v);
                d[1] = h.g.Get(v);
                d[2] = h.r.Get(v);
            }
        }
    }
    // A file's own depth asks for the picture as it is held.
    if (bpp != 0 && bpp != f.bpp && bpp != h.bpp) {
        Frame c;
        rc = Convert(f, bpp, c);
        if (rc != SUCCESS)
            return rc;
        out = static_cast<Frame&&>(c);
    } else {
        out = static_cast<Frame&&>(f);
    }
    return SUCCESS;
}

L_INT EncodeBmp(const Frame& f, std::vector<BYTE>& out)
{
    if (f.Empty())
        return LERR_NO_BITMAP;
    const DWORD paletteBytes = f.bpp <= 8 ? DWORD(4u << f.bpp) : 0;
    const DWORD offBits = 14 + 40 + paletteBytes;
    const unsigned long long total = offBits + (unsigned long long)f.Bytes();
    if (total > 0xFFFFFFFFull)
        return LERR_IMAGE_TOO_LARGE;
    try {
        out.assign(size_t(total), 0);
    } catch (...) {
        return LERR_NO_MEMORY;
    }
    BYTE* p = out.data();
    p[0] = 'B';
    p[1] = 'M';
    Put32(p + 2, DWORD(total));
    Put32(p + 10, offBits);
    BYTE* ih = p + 14;
    Put32(ih, 40);
    Put32(ih + 4, DWORD(f.width));
    Put32(ih + 8, DWORD(f.height));
    Put16(ih + 12, 1);
    Put16(ih + 14, WORD(f.bpp));
    Put32(ih + 20, DWORD(f.Bytes()));
    if (f.bpp <= 8) {
        Put32(ih + 32, DWORD(1u << f.bpp));
        for (int i = 0; i < (1 << f.bpp); ++i) {
            BYTE* q = ih + 40 + i * 4;
            q[0] = f.palette[i].rgbBlue;
            q[1] = f.palette[i].rgbGreen;
            q[2] = f.palette[i].rgbRed;
        }
    }
    for (int y = 0; y < f.height; ++y)
        std::memcpy(p + offBits + size_t(f.height - 1 - y) * f.stride, f.Row(y), f.stride);
    return SUCCESS;
}

L_INT ReadInfo(const BYTE* data, size_t size, FILEINFO& info)
{
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
        Frame none;
        return DecodeBmp(data, size, 0, none, &info);
    }
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
        Frame none;
        return DecodeJpeg(data, size, 0, none, &info);
    }
    return LERR_FILE_FORMAT;
}

L_INT Decode(const BYTE* data, size_t size, int bpp, Frame& out)
{
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return DecodeBmp(data, size, bpp, out, nullptr);
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        return DecodeJpeg(data, size, bpp, out, nullptr);
    return LERR_FILE_FORMAT;
}

L_INT ReadFileBytes(const wchar_t* path, std::vector<BYTE>& out)
{
    if (!path || !*path)
        return LERR_FILE_NOT_FOUND;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? L_INT(LERR_FILE_NOT_FOUND) : L_INT(LERR_FILE_READ);
    }
    L_INT rc = SUCCESS;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) {
        rc = LERR_FILE_READ;
    } else if (size.QuadPart > LONGLONG(kMaxBytes) + (1 << 20)) {
        rc = LERR_IMAGE_TOO_LARGE;
    } else {
        try {
            out.resize(size_t(size.QuadPart));
        } catch (...) {
            rc = LERR_NO_MEMORY;
        }
        DWORD got = 0;
        if (rc == SUCCESS && !out.empty() && (!ReadFile(file, out.data(), DWORD(out.size()), &got, nullptr) || got != out.size()))
            rc = LERR_FILE_READ;
    }
    CloseHandle(file);
    return rc;
}

L_INT WriteFileBytes(const wchar_t* path, const std::vector<BYTE>& bytes)
{
    if (!path || !*path)
        return LERR_FILE_WRITE;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LERR_FILE_WRITE;
    DWORD put = 0;
    const bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &put, nullptr) && put == bytes.size();
    CloseHandle(file);
    if (!ok) {
        // A half-written picture is worse than none.
        DeleteFileW(path);
        return LERR_FILE_WRITE;
    }
    return SUCCESS;
}

}  // namespace imaging
