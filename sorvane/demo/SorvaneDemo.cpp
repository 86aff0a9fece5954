// Applies every Sorvane pixel operation to a generated test picture and writes
// the picture and each result as a BMP file into the folder given.
#include "PixelOps.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

const int kWidth = 640, kHeight = 480;

// Colour bars over the top half, a grey ramp and a red-blue ramp below, and a
// diagonal line so flips and mirrors show which way they went.
std::vector<BYTE> TestPicture()
{
    static const BYTE bars[8][3] = {{255, 255, 255}, {0, 255, 255}, {255, 255, 0}, {0, 255, 0},
                                    {255, 0, 255},   {0, 0, 255},   {255, 0, 0},   {0, 0, 0}};
    const int stride = DibStride(kWidth);
    std::vector<BYTE> bits(size_t(stride) * kHeight);
    for (int row = 0; row < kHeight; ++row) {
        const int y = kHeight - 1 - row;  // top-down coordinates; DIB rows run bottom-up
        BYTE* p = bits.data() + size_t(row) * stride;
        for (int x = 0; x < kWidth; ++x, p += 3) {
            if (y < kHeight / 2) {
                const BYTE* c = bars[x * 8 / kWidth];
                p[0] = c[0], p[1] = c[1], p[2] = c[2];
            } else if (y < kHeight * 3 / 4) {
                p[0] = p[1] = p[2] = BYTE(x * 255 / (kWidth - 1));
            } else {
                p[0] = BYTE(x * 255 / (kWidth - 1));
                p[1] = 64;
                p[2] = BYTE(255 - x * 255 / (kWidth - 1));
            }
            if (std::abs(x * kHeight / kWidth - y) < 2)
                p[0] = p[1] = p[2] = 0;
        }
    }
    return bits;
}

bool WriteBmp(const std::wstring& path, const std::vector<BYTE>& bits)
{
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = kWidth;
    info.biHeight = kHeight;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = DWORD(bits.size());
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = DWORD(file.bfOffBits + bits.size());
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f == nullptr)
        return false;
    const bool ok = fwrite(&file, sizeof file, 1, f) == 1 && fwrite(&info, sizeof info, 1, f) == 1 &&
                    fwrite(bits.data(), bits.size(), 1, f) == 1;
    return fclose(f) == 0 && ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        fwprintf(stderr, L"usage: sorvane_demo <output folder>\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::vector<BYTE> picture = TestPicture();
    std::vector<BYTE> mask = picture;
    ImgInvert(mask.data(), kWidth, kHeight / 2);  // a mask over the lower half

    struct Step {
        const wchar_t* name;
        std::function<int(BYTE*)> run;
    } steps[] = {
        {L"input", [](BYTE*) { return 0; }},
        {L"flip", [](BYTE* f) { return ImgFlip(f, kWidth, kHeight); }},
        {L"mirror", [](BYTE* f) { return ImgMirror(f, kWidth, kHeight); }},
        {L"gray", [](BYTE* f) { return ImgGray(f, kWidth, kHeight); }},
        {L"invert", [](BYTE* f) { return ImgInvert(f, kWidth, kHeight); }},
        {L"binary", [](BYTE* f) { return ImgBinary(f, kWidth, kHeight, 128); }},
        {L"emboss", [](BYTE* f) { return ImgEmboss(f, kWidth, kHeight); }},
        {L"sharp", [](BYTE* f) { return ImgSharp(f, kWidth, kHeight); }},
        {L"addone", [](BYTE* f) { return ImgAddOne(f, kWidth, kHeight); }},
        {L"addtwo", [](BYTE* f) { return ImgAddTwo(f, kWidth, kHeight); }},
        {L"multiply", [](BYTE* f) { return ImgMultiply(f, kWidth, kHeight, 0.5f); }},
        {L"rgbgain", [](BYTE* f) { return ImgRgbGain(f, kWidth, kHeight, 60, 0, 0); }},
        {L"maskoverlay", [&](BYTE* f) {
             return ImgMaskOverlay(f, kWidth, kHeight, 0, 0, mask.data(), kWidth, kHeight / 2, 0, 0, 0);
         }},
    };
    int failed = 0;
    for (const Step& step : steps) {
        std::vector<BYTE> frame = picture;
        const std::wstring path = folder + L"\\" + step.name + L".bmp";
        if (step.run(frame.data()) != 0 || !WriteBmp(path, frame)) {
            fwprintf(stderr, L"failed: %ls\n", step.name);
            ++failed;
            continue;
        }
        wprintf(L"%ls\n", path.c_str());
    }
    return failed == 0 ? 0 : 1;
}
