#include "StillFiles.h"
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "HestralRes.h"
#include "HestralText.h"
#include <jpeglib.h>

namespace {

void Box(UINT id)
{
    MessageBoxA(nullptr, HestralText(id).c_str(), nullptr, MB_OK);
}

std::string Name(const char* base, const char* ext)
{
    return std::string(base) + ext;
}

FILE* Create(const std::string& name)
{
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) Box(IDS_CANT_CREATE_FILE);
    return f;
}

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf back;
};

void JpegErrorExit(j_common_ptr cinfo)
{
    (*cinfo->err->output_message)(cinfo);
    longjmp(reinterpret_cast<JpegError*>(cinfo->err)->back, 1);
}

void JpegMessage(j_common_ptr cinfo)
{
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    MessageBoxA(nullptr, text, nullptr, MB_OK);
}

} // namespace

int WriteRawFile(const char* base, const BYTE* raw, int width, int height)
{
    FILE* f = Create(Name(base, ".raw"));
    if (!f) return -6;
    const size_t n = (size_t)width * height;
    const bool ok = std::fwrite(raw, 1, n, f) == n;
    if (std::fclose(f) != 0 || !ok) {
        Box(IDS_WRITE_ERROR);
        return 0;
    }
    return 1;
}

int WriteBmpFile(const char* base, const BYTE* bgr, int width, int height)
{
    FILE* f = Create(Name(base, ".bmp"));
    if (!f) return -6;
    // Rows padded to four bytes, as every BMP reader expects; widths that are
    // multiples of four come out unchanged.
    const size_t row = (size_t)width * 3, stride = (row + 3) & ~(size_t)3;
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfSize = (DWORD)(stride * height + 54);
    fh.bfOffBits = 54;
    BITMAPINFOHEADER ih = {};
    ih.biSize = sizeof ih;
    ih.biWidth = width;
    ih.biHeight = height;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    bool ok = std::fwrite(&fh, 14, 1, f) == 1 && std::fwrite(&ih, 40, 1, f) == 1;
    if (stride == row) {
        ok = ok && std::fwrite(bgr, 1, row * height, f) == row * height;
    } else {
        const BYTE pad[3] = {};
        for (int y = 0; ok && y < height; y++)
            ok = std::fwrite(bgr + y * row, 1, row, f) == row && std::fwrite(pad, 1, stride - row, f) == stride - row;
    }
    if (std::fclose(f) != 0 || !ok) {
        Box(IDS_WRITE_ERROR);
        return 0;
    }
    return 1;
}

int WriteJpegFile(const char* base, const BYTE* bgr, int width, int height, int quality)
{
    if (!bgr || width <= 0 || height <= 0) {
        Box(IDS_NO_IMAGE);
        return 0;
    }
    const size_t row = (size_t)width * 3;
    std::vector<BYTE> rgb;
    try {
        rgb.resize(row * height);
    } catch (...) {
        Box(IDS_MEMORY_OVER);
        return 0;
    }
    // Top-down rows, red first.
    for (int y = 0; y < height; y++) {
        const BYTE* s = bgr + (size_t)(height - 1 - y) * row;
        BYTE* d = rgb.data() + (size_t)y * row;
        for (int x = 0; x < width; x++) {
            d[x * 3] = s[x * 3 + 2];
            d[x * 3 + 1] = s[x * 3 + 1];
            d[x * 3 + 2] = s[x * 3];
        }
    }
    // volatile: read after the compression may have jumped back.
    volatile int q = quality < 1 ? 1 : quality > 100 ? 100 : quality;
    const std::string name = Name(base, ".jpg");
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) {
        char text[MAX_PATH + 64];
        std::snprintf(text, sizeof text, HestralText(IDS_JPEG_CANT_OPEN).c_str(), name.c_str());
        MessageBoxA(nullptr, text, nullptr, MB_OK);
        return 0;
    }
    jpeg_compress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegErrorExit;
    err.mgr.output_message = JpegMessage;
    if (setjmp(err.back)) {
        jpeg_destroy_compress(&cinfo);
        std::fclose(f);
        return 0;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = (JDIMENSION)width;
    cinfo.image_height = (JDIMENSION)height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, q, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW line = rgb.data() + (size_t)cinfo.next_scanline * row;
        jpeg_write_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_compress(&cinfo);
    const bool ok = std::fclose(f) == 0;
    jpeg_destroy_compress(&cinfo);
    if (!ok) {
        Box(IDS_WRITE_ERROR);
        return 0;
    }
    return 1;
}
