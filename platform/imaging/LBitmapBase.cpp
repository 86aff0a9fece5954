#include "LBitmapBase.h"

#include "Codec.h"

#include <cstring>
#include <vector>

using imaging::Frame;

std::wstring ImagingWidePath(const char* name)
{
    if (!name || !*name)
        return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, name, -1, &wide[0], n);
    wide.resize(size_t(n - 1));
    return wide;
}

LBitmapBase::LBitmapBase() : m_file(this), m_dialogFile(this)
{
}

LBitmapBase::~LBitmapBase() = default;

void LBitmapBase::Replace(Frame&& frame)
{
    m_frame = static_cast<Frame&&>(frame);
    Changed();
}

L_INT LBitmapBase::Prepare24()
{
    if (m_frame.Empty())
        return Fail(LERR_NO_BITMAP);
    return Check(imaging::To24(m_frame));
}

L_INT LBitmapBase::Copy(const LBitmapBase& source)
{
    if (&source == this)
        return SUCCESS;
    if (source.m_frame.Empty())
        return Fail(LERR_NO_BITMAP);
    const Frame& from = source.m_frame;
    if (m_frame.width == from.width && m_frame.height == from.height && m_frame.bpp == from.bpp) {
        // The rows already held are reused: no fresh pages to fault in.
        std::memcpy(m_frame.bits, from.bits, from.Bytes());
        std::memcpy(m_frame.palette, from.palette, sizeof from.palette);
        m_frame.colors = from.colors;
        Changed();
        return SUCCESS;
    }
    Frame copy;
    const L_INT rc = copy.CopyFrom(from);
    if (rc != SUCCESS)
        return Fail(rc);
    Replace(static_cast<Frame&&>(copy));
    return SUCCESS;
}

void LBitmapBase::SwapPicture(LBitmapBase& other)
{
    if (&other == this)
        return;
    Frame held = static_cast<Frame&&>(m_frame);
    m_frame = static_cast<Frame&&>(other.m_frame);
    other.m_frame = static_cast<Frame&&>(held);
    Changed();
    other.Changed();
}

L_INT LBitmapBase::ConvertFromDIB(const BITMAPINFO* info, const BYTE* bits)
{
    if (!info || !bits)
        return Fail(LERR_INV_PARAMETER);
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 || h.biCompression != BI_RGB)
        return Fail(LERR_INV_PARAMETER);
    const int bpp = h.biBitCount;
    const long long height = h.biHeight < 0 ? -(long long)h.biHeight : h.biHeight;
    Frame f;
    L_INT rc = f.Allocate(h.biWidth, int(height > imaging::kMaxSide ? 0 : height), bpp);
    if (rc != SUCCESS)
        return Fail(rc == LERR_BITS_PER_PIXEL ? LERR_INV_PARAMETER : rc);
    if (bpp <= 8) {
        const DWORD n = h.biClrUsed && h.biClrUsed < (1u << bpp) ? h.biClrUsed : (1u << bpp);
        const RGBQUAD* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(info) + h.biSize);
        for (DWORD i = 0; i < n; ++i)
            f.palette[i] = RGBQUAD{table[i].rgbBlue, table[i].rgbGreen, table[i].rgbRed, 0};
        f.colors = int(n);
    }
    const bool topDown = h.biHeight < 0;
    for (int y = 0; y < f.height; ++y)
        std::memcpy(f.Row(y), bits + size_t(topDown ? y : f.height - 1 - y) * f.stride, f.stride);
    Replace(static_cast<Frame&&>(f));
    return SUCCESS;
}

HGLOBAL LBitmapBase::ConvertToDIB() const
{
    if (m_frame.Empty()) {
        Fail(LERR_NO_BITMAP);
        return nullptr;
    }
    const size_t tableBytes = m_frame.bpp <= 8 ? (size_t(4) << m_frame.bpp) : 0;
    const size_t total = sizeof(BITMAPINFOHEADER) + tableBytes + m_frame.Bytes();
    HGLOBAL dib = GlobalAlloc(GMEM_MOVEABLE, total);
    BYTE* p = dib ? static_cast<BYTE*>(GlobalLock(dib)) : nullptr;
    if (!p) {
        if (dib)
            GlobalFree(dib);
        Fail(LERR_NO_MEMORY);
        return nullptr;
    }
    BITMAPINFOHEADER h = {};
    h.biSize = sizeof h;
    h.biWidth = m_frame.width;
    h.biHeight = m_frame.height;
    h.biPlanes = 1;
    h.biBitCount = WORD(m_frame.bpp);
    h.biCompression = BI_RGB;
    h.biSizeImage = DWORD(m_frame.Bytes());
    if (m_frame.bpp <= 8)
        h.biClrUsed = DWORD(1) << m_frame.bpp;
    std::memcpy(p, &h, sizeof h);
    std::memcpy(p + sizeof h, m_frame.palette, tableBytes);
    BYTE* rows = p + sizeof h + tableBytes;
    for (int y = 0; y < m_frame.height; ++y)
        std::memcpy(rows + size_t(m_frame.height - 1 - y) * m_frame.stride, m_frame.Row(y), m_frame.stride);
    GlobalUnlock(dib);
    return dib;
}

L_INT LBitmapBase::Free()
{
    m_frame.Free();
    Changed();
    return SUCCESS;
}

L_INT LBitmapBase::LoadBytes(const std::wstring& path, L_INT bitsPerPixel, pFILEINFO info)
{
    if (bitsPerPixel != 0 && bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 &&
        bitsPerPixel != 24 && bitsPerPixel != 32)
        return Fail(LERR_BITS_PER_PIXEL);
    std::vector<BYTE> bytes;
    L_INT rc = imaging::ReadFileBytes(path.c_str(), bytes);
    if (rc != SUCCESS)
        return Fail(rc);
    if (info) {
        FILEINFO fi = {};
        rc = imaging::ReadInfo(bytes.data(), bytes.size(), fi);
        if (rc != SUCCESS)
            return Fail(rc);
        const UINT size = info->uStructSize && info->uStructSize < sizeof fi ? info->uStructSize : sizeof fi;
        fi.uStructSize = size;
        fi.TotalPages = 1;
        fi.SizeDisk = DWORD(bytes.size());
        std::memcpy(info, &fi, size);
    }
    Frame f;
    rc = imaging::Decode(bytes.data(), bytes.size(), bitsPerPixel, f);
    if (rc != SUCCESS)
        return Fail(rc);
    Replace(static_cast<Frame&&>(f));
    return SUCCESS;
}

L_INT LBitmapBase::Load(const char* file, L_INT bitsPerPixel, L_INT, pLOADFILEOPTION, pFILEINFO info)
{
    return LoadBytes(ImagingWidePath(file), bitsPerPixel, info);
}

L_INT LBitmapBase::Load(const wchar_t* file, L_INT bitsPerPixel, L_INT, pLOADFILEOPTION, pFILEINFO info)
{
    return LoadBytes(file ? std::wstring(file) : std::wstring(), bitsPerPixel, info);
}

L_INT LBitmapBase::Load(L_INT bitsPerPixel, L_INT, pLOADFILEOPTION, pFILEINFO info)
{
    return LoadBytes(ImagingWidePath(m_fileName.c_str()), bitsPerPixel, info);
}

L_INT LBitmapBase::SaveBytes(const std::wstring& path, L_INT format, L_INT bitsPerPixel, L_INT qfactor)
{
    if (m_frame.Empty())
        return Fail(LERR_NO_BITMAP);
    if (format != FILE_BMP && format != FILE_JFIF)
        return Fail(LERR_FILE_FORMAT);
    const int depth = bitsPerPixel == 0 ? m_frame.bpp : bitsPerPixel;
    if (depth != m_frame.bpp && depth != 24)
        return Fail(LERR_BITS_PER_PIXEL);
    const Frame* source = &m_frame;
    Frame converted;
    if (depth != m_frame.bpp) {
        const L_INT rc = imaging::Convert(m_frame, depth, converted);
        if (rc != SUCCESS)
            return Fail(rc);
        source = &converted;
    }
    std::vector<BYTE> bytes;
    L_INT rc = format == FILE_BMP ? imaging::EncodeBmp(*source, bytes)
                                  : imaging::EncodeJpeg(*source, imaging::JpegQualityFromFactor(qfactor), bytes);
    if (rc == SUCCESS)
        rc = imaging::WriteFileBytes(path.c_str(), bytes);
    return Check(rc);
}

L_INT LBitmapBase::Save(const char* file, L_INT format, L_INT bitsPerPixel, L_INT qfactor, UINT, pSAVEFILEOPTION)
{
    return SaveBytes(ImagingWidePath(file), format, bitsPerPixel, qfactor);
}

L_INT LBitmapBase::Save(const wchar_t* file, L_INT format, L_INT bitsPerPixel, L_INT qfactor, UINT,
                        pSAVEFILEOPTION)
{
    return SaveBytes(file ? std::wstring(file) : std::wstring(), format, bitsPerPixel, qfactor);
}

L_INT LBitmapBase::SetFileName(const char* name)
{
    try {
        m_fileName = name ? name : "";
    } catch (...) {
        return Fail(LERR_NO_MEMORY);
    }
    return SUCCESS;
}

L_INT LBitmapBase::GetFileName(char* buffer, UINT size) const
{
    if (!buffer || size == 0)
        return Fail(LERR_INV_PARAMETER);
    const size_t n = m_fileName.size() < size - 1 ? m_fileName.size() : size - 1;
    std::memcpy(buffer, m_fileName.data(), n);
    buffer[n] = '\0';
    return SUCCESS;
}

L_INT LBitmapBase::GetRow(BYTE* buffer, L_INT row, DWORD bytes) const
{
    if (m_frame.Empty())
        return Fail(LERR_NO_BITMAP);
    if (!buffer || row < 0 || row >= m_frame.height)
        return Fail(LERR_INV_PARAMETER);
    const DWORD n = bytes < DWORD(m_frame.stride) ? bytes : DWORD(m_frame.stride);
    std::memcpy(buffer, m_frame.Row(row), n);
    return L_INT(n);
}

L_INT LBitmapBase::ChangeBitsPerPixel(L_INT bitsPerPixel)
{
    if (m_frame.Empty())
        return Fail(LERR_NO_BITMAP);
    if (bitsPerPixel == m_frame.bpp)
        return SUCCESS;
    Frame out;
    const L_INT rc = imaging::Convert(m_frame, bitsPerPixel, out);
    if (rc != SUCCESS)
        return Fail(rc);
    Replace(static_cast<Frame&&>(out));
    return SUCCESS;
}

L_INT LBitmapBase::Reverse()
{
    if (m_frame.Empty())
        return Fail(LERR_NO_BITMAP);
    imaging::Mirror(m_frame);
    Changed();
    return SUCCESS;
}

L_INT LBitmapBase::Flip()
{
    if (m_frame.Empty())
        return Fail(LERR_NO_BITMAP);
    imaging::FlipRows(m_frame);
    Changed();
    return SUCCESS;
}

L_INT LBitmapBase::Rotate(L_INT angle, UINT flags, COLORREF fill)
{
    if (m_frame.Empty())
        return Fail(LERR_NO_BITMAP);
    int a = angle % 36000;
    if (a < 0)
        a += 36000;
    const bool resize = (flags & ROTATE_RESIZE) != 0;
    // A half turn needs no second picture.
    if (a == 18000 && m_frame.bpp >= 8) {
        imaging::Turn180(m_frame);
        Changed();
        return SUCCESS;
    }
    Frame out;
    L_INT rc;
    if (a % 9000 == 0 && (resize || a % 18000 == 0)) {
        rc = imaging::RotateRight(m_frame, a / 9000, out);
    } else {
        rc = Prepare24();
        if (rc != SUCCESS)
            return rc;
        rc = imaging::RotateAny(m_frame, a, resize, fill, out);
    }
    if (rc != SUCCESS)
        return Fail(rc);
    Replace(static_cast<Frame&&>(out));
    return SUCCESS;
}

L_INT LBitmapBase::Size(L_INT width, L_INT height, UINT flags)
{
    if (m_frame.Empty())
        return Fail(LERR_NO_BITMAP);
    if (!imaging::SizeAllowed(width, height, 24))
        return Fail(width <= 0 || height <= 0 ? LERR_INV_PARAMETER : LERR_IMAGE_TOO_LARGE);
    L_INT rc = Prepare24();
    if (rc != SUCCESS)
        return rc;
    Frame out;
    rc = imaging::Resample(m_frame, width, height, (flags & SIZE_RESAMPLE) != 0, out);
    if (rc != SUCCESS)
        return Fail(rc);
    Replace(static_cast<Frame&&>(out));
    return SUCCESS;
}
