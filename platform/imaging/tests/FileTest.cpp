// Files: round trips through our writer and reader, pictures written by
// independent writers (IMAGING_SAMPLES), files for independent readers
// (IMAGING_OUTPUT), and damaged files.
#include "Pictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::wstring TempDir()
{
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::wstring d = std::wstring(dir) + L"veltrane-imaging\\";
    CreateDirectoryW(d.c_str(), nullptr);
    return d;
}

std::wstring TempFile(const wchar_t* name)
{
    return TempDir() + name;
}

// A folder given by the test's environment as a Unix path.
std::string FolderFromEnv(const char* name)
{
    const char* v = std::getenv(name);
    if (!v || !*v)
        return std::string();
    std::string path = std::string("Z:") + v;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path + "\\";
}

std::vector<BYTE> ReadAll(const std::wstring& path)
{
    std::vector<BYTE> bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(f, nullptr));
    DWORD got = 0;
    if (!bytes.empty())
        ReadFile(f, bytes.data(), DWORD(bytes.size()), &got, nullptr);
    CloseHandle(f);
    bytes.resize(got);
    return bytes;
}

void WriteAll(const std::wstring& path, const std::vector<BYTE>& bytes)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD put = 0;
    WriteFile(f, bytes.data(), DWORD(bytes.size()), &put, nullptr);
    CloseHandle(f);
}

double Psnr(const LBitmapBase& a, const LBitmapBase& b)
{
    const std::vector<BYTE> pa = Pixels(a), pb = Pixels(b);
    if (pa.size() != pb.size())
        return 0;
    double se = 0;
    for (size_t i = 0; i < pa.size(); ++i)
        se += (pa[i] - pb[i]) * double(pa[i] - pb[i]);
    if (se == 0)
        return 99;
    return 10 * std::log10(255.0 * 255.0 * double(pa.size()) / se);
}

// A smooth picture, as a camera would give, for the JPEG tests.
void MakeSmooth(LBitmapBase& bmp, int w, int h)
{
    const int stride = ((w * 24 + 31) / 32) * 4;
    std::vector<BYTE> rows(size_t(stride) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            BYTE* p = &rows[size_t(y) * stride + x * 3];
            p[0] = BYTE(128 + 100 * std::sin(x / 9.0));
            p[1] = BYTE(128 + 100 * std::cos(y / 7.0));
            p[2] = BYTE((x + y) * 255 / (w + h));
        }
    BITMAPINFO info = {};
    info.bmiHeader = Header(w, -h, 24);
    bmp.ConvertFromDIB(&info, rows.data());
}

// A palette or 16/32-bit bitmap of coded indices or values.
void MakeDepth(LBitmap& bmp, int w, int h, int bpp)
{
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[256];
    } info = {};
    info.h = Header(w, h, bpp);
    for (int i = 0; i < 256; ++i)
        info.colors[i] = RGBQUAD{BYTE(i), BYTE(255 - i), BYTE(i * 3), 0};
    const int stride = ((w * bpp + 31) / 32) * 4;
    std::vector<BYTE> bits(size_t(stride) * h);
    for (size_t i = 0; i < bits.size(); ++i)
        bits[i] = BYTE(i * 29 + 7);
    if (bpp == 32)  // the fourth byte carries nothing
        for (size_t i = 3; i < bits.size(); i += 4)
            bits[i] = 0;
    bmp.ConvertFromDIB(reinterpret_cast<BITMAPINFO*>(&info), bits.data());
}

TEST(BmpFiles, RoundTripsAreBitIdenticalAtEveryDepth)
{
    for (int bpp : {1, 4, 8, 16, 24, 32}) {
        LBitmap bmp;
        MakeDepth(bmp, 37, 11, bpp);
        ASSERT_TRUE(bmp.IsAllocated()) << bpp;
        const std::wstring path = TempFile(L"depth.bmp");
        ASSERT_EQ(bmp.Save(path.c_str(), FILE_BMP, 0), SUCCESS) << bpp;
        LBitmap back;
        ASSERT_EQ(back.Load(path.c_str(), 0), SUCCESS) << bpp;
        EXPECT_EQ(back.GetBitsPerPixel(), bpp);
        EXPECT_EQ(Pixels(back), Pixels(bmp)) << bpp;
        if (bpp <= 8) {
            EXPECT_EQ(0, std::memcmp(back.GetPalette(), bmp.GetPalette(), sizeof(RGBQUAD) << bpp));
        }
        // At 24 bits every depth gives the colours it shows.
        LBitmap wide;
        ASSERT_EQ(wide.Load(path.c_str(), 24), SUCCESS);
        LBitmap expected;
        expected.Copy(bmp);
        expected.ChangeIntensity(0);  // brings it to 24 bits, unchanged
        EXPECT_EQ(Pixels(wide), Pixels(expected)) << bpp;
    }
}

TEST(BmpFiles, A24BitFileHasTheDibLayout)
{
    LBitmap bmp;
    MakeCoded(bmp, 101, 5);
    const std::wstring path = TempFile(L"w101.bmp");
    ASSERT_EQ(bmp.Save(path.c_str(), FILE_BMP, 24), SUCCESS);
    const std::vector<BYTE> f = ReadAll(path);
    ASSERT_EQ(f.size(), 54u + 304u * 5u);
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(*reinterpret_cast<const DWORD*>(&f[2]), f.size());
    EXPECT_EQ(*reinterpret_cast<const DWORD*>(&f[10]), 54u);
    const BITMAPINFOHEADER* h = reinterpret_cast<const BITMAPINFOHEADER*>(&f[14]);
    EXPECT_EQ(h->biSize, 40u);
    EXPECT_EQ(h->biWidth, 101);
    EXPECT_EQ(h->biHeight, 5);
    EXPECT_EQ(h->biBitCount, 24);
    // Bottom-up: the file's first row is the picture's last.
    const std::vector<BYTE> rows = CodedRows(101, 5);
    EXPECT_EQ(0, std::memcmp(&f[54], &rows[4 * 304], 304));
}

std::vector<BYTE> BmpBytes(int w, int h, int bpp, DWORD compression, const std::vector<BYTE>& pixels,
                           const std::vector<RGBQUAD>& colours = {})
{
    std::vector<BYTE> f(54 + colours.size() * 4);
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = DWORD(f.size());
    fh.bfSize = DWORD(f.size() + pixels.size());
    BITMAPINFOHEADER ih = Header(w, h, bpp);
    ih.biCompression = compression;
    ih.biClrUsed = DWORD(colours.size());
    std::memcpy(&f[0], &fh, 14);
    std::memcpy(&f[14], &ih, 40);
    if (!colours.empty())
        std::memcpy(&f[54], colours.data(), colours.size() * 4);
    f.insert(f.end(), pixels.begin(), pixels.end());
    return f;
}

TEST(BmpFiles, TopDownFilesLoadTheRightWayUp)
{
    LBitmap bmp;
    MakeCoded(bmp, 6, 4);
    const std::vector<BYTE> rows = CodedRows(6, 4);
    const std::wstring path = TempFile(L"topdown.bmp");
    WriteAll(path, BmpBytes(6, -4, 24, BI_RGB, rows));
    LBitmap back;
    ASSERT_EQ(back.Load(path.c_str(), 24), SUCCESS);
    EXPECT_EQ(back.GetHeight(), 4);
    EXPECT_EQ(Pixels(back), Pixels(bmp));
}

TEST(BmpFiles, RunLengthFilesDecode)
{
    const std::vector<RGBQUAD> colours = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}};
    // 5 x 3, bottom row first: row 0 = 1 1 1 2 2 (runs), row 1 = 3 0 1 2 3
    // (an absolute run of five), then a delta of (1, 1), a run of two 2s
    // from column 1 of the top row, and the end mark.
    const std::vector<BYTE> rle8 = {3, 1, 2, 2, 0, 0, 0, 5, 3, 0, 1, 2, 3, 0, 0, 0, 0, 2, 1, 0, 2, 2, 0, 1};
    const std::wstring path = TempFile(L"rle8.bmp");
    WriteAll(path, BmpBytes(5, 3, 8, BI_RLE8, rle8, colours));
    LBitmap bmp;
    ASSERT_EQ(bmp.Load(path.c_str(), 0), SUCCESS);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 8);
    const std::vector<BYTE> expect = {0, 2, 2, 0, 0, /* top */ 3, 0, 1, 2, 3, 1, 1, 1, 2, 2};
    EXPECT_EQ(Pixels(bmp), expect);
    // The same in 4 bits: nibbles in pairs, absolute runs padded to words.
    const std::vector<BYTE> rle4 = {3, 0x11, 2, 0x22, 0, 0, 0, 5, 0x30, 0x12, 0x30, 0, 0, 0, 0, 2, 1, 0, 2, 0x22, 0, 1};
    const std::wstring path4 = TempFile(L"rle4.bmp");
    WriteAll(path4, BmpBytes(5, 3, 4, BI_RLE4, rle4, colours));
    LBitmap four;
    ASSERT_EQ(four.Load(path4.c_str(), 8), SUCCESS);
    EXPECT_EQ(Pixels(four), expect);
}

struct BadFile {
    const char* name;
    std::vector<BYTE> bytes;
    L_INT expected;
};

std::vector<BadFile> BadFiles()
{
    LBitmap good;
    MakeCoded(good, 16, 8);
    const std::wstring bmpPath = TempFile(L"good.bmp"), jpgPath = TempFile(L"good.jpg");
    good.Save(bmpPath.c_str(), FILE_BMP, 24);
    LBitmap smooth;
    MakeSmooth(smooth, 64, 48);
    smooth.Save(jpgPath.c_str(), FILE_JFIF, 24, 10);
    const std::vector<BYTE> bmp = ReadAll(bmpPath), jpg = ReadAll(jpgPath);
    auto patched = [](std::vector<BYTE> b, size_t at, DWORD v, int bytes = 4) {
        for (int i = 0; i < bytes; ++i)
            b[at + i] = BYTE(v >> (8 * i));
        return b;
    };
    auto cut = [](const std::vector<BYTE>& b, size_t n) { return std::vector<BYTE>(b.begin(), b.begin() + n); };
    // The SOF0 marker: its height and width sit 5 and 7 bytes after it.
    size_t sof = 0;
    for (size_t i = 2; i + 1 < jpg.size(); ++i)
        if (jpg[i] == 0xFF && jpg[i + 1] == 0xC0) {
            sof = i;
            break;
        }
    std::vector<BYTE> hugeJpg = jpg;
    hugeJpg[sof + 5] = 0x7F; hugeJpg[sof + 6] = 0xFF;
    hugeJpg[sof + 7] = 0x7F; hugeJpg[sof + 8] = 0xFF;
    std::vector<BYTE> zeroJpg = jpg;
    zeroJpg[sof + 7] = 0; zeroJpg[sof + 8] = 0;
    std::vector<BYTE> garbled = jpg;
    for (size_t i = jpg.size() / 2; i < jpg.size() / 2 + 40; ++i)
        garbled[i] = 0xFF;
    return {
        {"empty file", {}, LERR_FILE_FORMAT},
        {"wrong magic", patched(bmp, 0, 'P' | 'K' << 8, 2), LERR_FILE_FORMAT},
        {"magic only", cut(bmp, 2), LERR_FILE_CORRUPT},
        {"header cut short", cut(bmp, 30), LERR_FILE_CORRUPT},
        {"pixels cut short", cut(bmp, bmp.size() - 10), LERR_FILE_CORRUPT},
        {"zero width", patched(bmp, 18, 0), LERR_FILE_FORMAT},
        {"zero height", patched(bmp, 22, 0), LERR_FILE_FORMAT},
        {"negative width", patched(bmp, 18, DWORD(-16)), LERR_FILE_FORMAT},
        {"absurd size", patched(patched(bmp, 18, 100000), 22, 100000), LERR_IMAGE_TOO_LARGE},
        {"too many bytes", patched(patched(bmp, 18, 30000), 22, 30000), LERR_IMAGE_TOO_LARGE},
        {"largest height", patched(bmp, 22, 0x80000000), LERR_FILE_FORMAT},
        {"odd header size", patched(bmp, 14, 41), LERR_FILE_FORMAT},
        {"seven bits per pixel", patched(bmp, 28, 7, 2), LERR_FILE_FORMAT},
        {"two planes", patched(bmp, 26, 2, 2), LERR_FILE_FORMAT},
        {"unknown compression", patched(bmp, 30, 9), LERR_FILE_FORMAT},
        {"pixels beyond the end", patched(bmp, 10, 0x7FFFFFFF), LERR_FILE_CORRUPT},
        {"pixels inside the header", patched(bmp, 10, 20), LERR_FILE_CORRUPT},
        {"run-length 24-bit", patched(bmp, 30, BI_RLE8), LERR_FILE_FORMAT},
        {"jpeg cut in half", cut(jpg, jpg.size() / 2), LERR_FILE_CORRUPT},
        {"jpeg header only", cut(jpg, 20), LERR_FILE_CORRUPT},
        {"jpeg absurd size", hugeJpg, LERR_IMAGE_TOO_LARGE},
        {"jpeg zero width", zeroJpg, LERR_FILE_CORRUPT},
        {"jpeg damaged inside", garbled, LERR_FILE_CORRUPT},
        {"jpeg magic only", {0xFF, 0xD8, 0xFF}, LERR_FILE_CORRUPT},
    };
}

TEST(BadFiles, EachFailsClearlyAndTheBitmapKeepsItsPicture)
{
    for (const BadFile& bad : BadFiles()) {
        const std::wstring path = TempFile(L"bad.bin");
        WriteAll(path, bad.bytes);
        LBitmap bmp;
        MakeCoded(bmp, 3, 2);
        const std::vector<BYTE> before = Pixels(bmp);
        EXPECT_EQ(bmp.Load(path.c_str(), 24), bad.expected) << bad.name;
        EXPECT_EQ(bmp.GetWidth(), 3) << bad.name;
        EXPECT_EQ(Pixels(bmp), before) << bad.name;
        EXPECT_NE(bmp.Load(path.c_str(), 0), SUCCESS) << bad.name;
    }
    LBitmap bmp;
    EXPECT_EQ(bmp.Load(TempFile(L"no such file.bmp").c_str(), 24), LERR_FILE_NOT_FOUND);
    EXPECT_EQ(bmp.Load(L"Z:\\no\\such\\folder\\x.bmp", 24), LERR_FILE_NOT_FOUND);
}

TEST(BadFiles, EveryCutOfAGoodFileFailsWithoutACrash)
{
    // Every length of a small BMP and JPEG: no read beyond the bytes given.
    LBitmap good;
    MakeSmooth(good, 21, 13);
    for (int format : {FILE_BMP, FILE_JFIF}) {
        const std::wstring path = TempFile(L"cut.src");
        ASSERT_EQ(good.Save(path.c_str(), format, 24, 10), SUCCESS);
        const std::vector<BYTE> bytes = ReadAll(path);
        const std::wstring cutPath = TempFile(L"cut.bin");
        for (size_t n = 0; n < bytes.size(); n += format == FILE_BMP ? 1 : 7) {
            WriteAll(cutPath, std::vector<BYTE>(bytes.begin(), bytes.begin() + n));
            LBitmap bmp;
            EXPECT_NE(bmp.Load(cutPath.c_str(), 24), SUCCESS) << format << " cut at " << n;
        }
    }
}

TEST(JpegFiles, TheBestFactorDecodesCloseToTheSource)
{
    LBitmap src;
    MakeSmooth(src, 120, 90);
    struct Case { int qfactor; double minPsnr; } cases[] = {{2, 45}, {10, 38}, {60, 28}};
    for (const Case& c : cases) {
        const std::wstring path = TempFile(L"q.jpg");
        ASSERT_EQ(src.Save(path.c_str(), FILE_JFIF, 24, c.qfactor), SUCCESS);
        LBitmap back;
        ASSERT_EQ(back.Load(path.c_str(), 24), SUCCESS);
        EXPECT_EQ(back.GetWidth(), 120);
        EXPECT_EQ(back.GetHeight(), 90);
        EXPECT_GE(Psnr(src, back), c.minPsnr) << "factor " << c.qfactor;
    }
}

TEST(JpegFiles, ALowerFactorIsTheBetterQuality)
{
    LBitmap src;
    MakeSmooth(src, 120, 90);
    double lastPsnr = 100;
    size_t lastSize = SIZE_MAX;
    for (int qfactor : {2, 10, 30, 80, 255}) {
        const std::wstring path = TempFile(L"f.jpg");
        ASSERT_EQ(src.Save(path.c_str(), FILE_JFIF, 24, qfactor), SUCCESS);
        LBitmap back;
        ASSERT_EQ(back.Load(path.c_str(), 24), SUCCESS);
        const double psnr = Psnr(src, back);
        const size_t size = ReadAll(path).size();
        EXPECT_LE(psnr, lastPsnr) << qfactor;
        EXPECT_LT(size, lastSize) << qfactor;
        lastPsnr = psnr;
        lastSize = size;
    }
}

TEST(JpegFiles, GreyPicturesStayGrey)
{
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[256];
    } info = {};
    info.h = Header(40, 30, 8);
    for (int i = 0; i < 256; ++i)
        info.colors[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    std::vector<BYTE> bits(40 * 30);
    for (size_t i = 0; i < bits.size(); ++i)
        bits[i] = BYTE(i % 40 * 6);
    LBitmap grey(reinterpret_cast<BITMAPINFO*>(&info), bits.data());
    const std::wstring path = TempFile(L"grey.jpg");
    ASSERT_EQ(grey.Save(path.c_str(), FILE_JFIF, 0, 2), SUCCESS);
    LBitmap back;
    const std::wstring dir = TempDir();
    back.SetFileName((std::string(dir.begin(), dir.end()) + "grey.jpg").c_str());
    FILEINFO fi = {};
    ASSERT_EQ(back.File().GetInfo(&fi, sizeof fi, FILEINFO_TOTALPAGES, nullptr), SUCCESS);
    EXPECT_EQ(fi.Format, FILE_JFIF);
    EXPECT_EQ(fi.BitsPerPixel, 8);
    EXPECT_EQ(fi.Width, 40);
    ASSERT_EQ(back.Load(fi.BitsPerPixel, ORDER_BGRORGRAY, nullptr, nullptr), SUCCESS);
    EXPECT_EQ(back.GetBitsPerPixel(), 8);
    EXPECT_NEAR(Pixels(back)[5], bits[5 + 29 * 40], 3);
    // A colour picture cannot be written as a grey JPEG by accident.
    LBitmap colour;
    MakeCoded(colour, 4, 4);
    EXPECT_EQ(colour.Save(path.c_str(), FILE_JFIF, 8, 2), LERR_BITS_PER_PIXEL);
}

TEST(Files, WriteFailuresAreReported)
{
    LBitmap bmp;
    MakeCoded(bmp, 4, 4);
    EXPECT_EQ(bmp.Save(L"Z:\\no\\such\\folder\\x.bmp", FILE_BMP, 24), LERR_FILE_WRITE);
    EXPECT_EQ(bmp.Save(TempFile(L"x.tif").c_str(), 3, 24), LERR_FILE_FORMAT);
    LBitmap empty;
    EXPECT_EQ(empty.Save(TempFile(L"x.bmp").c_str(), FILE_BMP, 24), LERR_NO_BITMAP);
}

TEST(Files, DefaultLoadOptionsAndFileNames)
{
    LOADFILEOPTION options;
    std::memset(&options, 0xCC, sizeof options);
    ASSERT_EQ(LBaseFile::GetDefaultLoadFileOption(&options, sizeof options), SUCCESS);
    EXPECT_EQ(options.uStructSize, sizeof options);
    EXPECT_EQ(options.Passes, 0);
    // Every format is built in: unloading, even twice, takes none away.
    EXPECT_EQ(LBase::LoadLibraries(0xFF), SUCCESS);
    LBase::UnloadLibraries(0xFF);
    LBase::UnloadLibraries(0xFF);
    for (auto format : {std::make_pair(FILE_JFIF, L"unloaded.jpg"), std::make_pair(FILE_BMP, L"unloaded.bmp")}) {
        LBitmap coded;
        MakeCoded(coded, 9, 5);
        const std::wstring path = TempFile(format.second);
        EXPECT_EQ(coded.Save(path.c_str(), format.first, 24, 2), SUCCESS);
        LBitmap back;
        EXPECT_EQ(back.Load(path.c_str(), 24), SUCCESS);
        EXPECT_EQ(back.GetWidth(), 9);
    }

    LBitmap bmp;
    EXPECT_STREQ(bmp.GetFileName(), "");
    bmp.SetFileName("C:\\pictures\\a.bmp");
    char small[8];
    ASSERT_EQ(bmp.GetFileName(small, sizeof small), SUCCESS);
    EXPECT_STREQ(small, "C:\\pict");
    FILEINFO fi = {};
    EXPECT_EQ(bmp.File().GetInfo(&fi, sizeof fi), LERR_FILE_NOT_FOUND);
}

// Pictures from ImageMagick and cjpeg, with the pixels ImageMagick and djpeg
// read from them.
TEST(IndependentFiles, LoadAsTheirWritersMeantThem)
{
    const std::string dir = FolderFromEnv("IMAGING_SAMPLES");
    // CTest sets it, after making the files; without it nothing is checked.
    ASSERT_FALSE(dir.empty()) << "IMAGING_SAMPLES is not set: run this test through CTest";
    std::ifstream manifest(dir + "manifest.txt");
    ASSERT_TRUE(manifest) << dir;
    std::string line;
    int files = 0;
    while (std::getline(manifest, line)) {
        std::istringstream in(line);
        std::string name;
        int bpp, w, h, tolerance;
        if (!(in >> name >> bpp >> w >> h >> tolerance))
            continue;
        ++files;
        const std::string path = dir + name;
        LBitmap bmp;
        bmp.SetFileName(path.c_str());
        FILEINFO fi = {};
        ASSERT_EQ(bmp.File().GetInfo(&fi, sizeof fi), SUCCESS) << name;
        EXPECT_EQ(fi.BitsPerPixel, bpp) << name;
        EXPECT_EQ(fi.Width, w) << name;
        EXPECT_EQ(fi.Height, h) << name;
        ASSERT_EQ(bmp.Load(fi.BitsPerPixel, ORDER_BGRORGRAY, nullptr, nullptr), SUCCESS) << name;
        EXPECT_EQ(bmp.GetBitsPerPixel() == bpp || (bpp == 16 && bmp.GetBitsPerPixel() == 24), true) << name;
        LBitmap wide;
        ASSERT_EQ(wide.Load(path.c_str(), 24), SUCCESS) << name;
        std::ifstream raw(dir + name.substr(0, name.rfind('.')) + ".rgb", std::ios::binary);
        std::vector<BYTE> rgb((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
        ASSERT_EQ(rgb.size(), size_t(w) * h * 3) << name;
        const std::vector<BYTE> ours = Pixels(wide);
        int worst = 0;
        for (size_t i = 0; i < rgb.size(); i += 3)
            for (int k = 0; k < 3; ++k)
                worst = std::max(worst, std::abs(int(ours[i + 2 - k]) - int(rgb[i + k])));
        EXPECT_LE(worst, tolerance) << name;
    }
    EXPECT_GE(files, 10);
}

void WriteRgb(const std::string& path, const LBitmapBase& bmp)
{
    const std::vector<BYTE> bgr = Pixels(bmp);
    std::vector<BYTE> rgb(bgr.size());
    for (size_t i = 0; i < bgr.size(); i += 3) {
        rgb[i] = bgr[i + 2];
        rgb[i + 1] = bgr[i + 1];
        rgb[i + 2] = bgr[i];
    }
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(rgb.data()), std::streamsize(rgb.size()));
}

// Files for the independent readers of check-output.sh.
TEST(IndependentFiles, WrittenForOtherReaders)
{
    const std::string dir = FolderFromEnv("IMAGING_OUTPUT");
    ASSERT_FALSE(dir.empty()) << "IMAGING_OUTPUT is not set: run this test through CTest";
    CreateDirectoryA(dir.c_str(), nullptr);
    LBitmap coded;
    MakeCoded(coded, 101, 37);
    ASSERT_EQ(coded.Save((dir + "saved24.bmp").c_str(), FILE_BMP, 24), SUCCESS);
    WriteRgb(dir + "saved24.rgb", coded);
    LBitmap pal;
    MakeDepth(pal, 29, 17, 8);
    ASSERT_EQ(pal.Save((dir + "saved8.bmp").c_str(), FILE_BMP, 0), SUCCESS);
    LBitmap pal24;
    pal24.Copy(pal);
    pal24.ChangeIntensity(0);
    WriteRgb(dir + "saved8.rgb", pal24);
    LBitmap as24;
    as24.Copy(pal);
    ASSERT_EQ(as24.Save((dir + "saved8as24.bmp").c_str(), FILE_BMP, 24), SUCCESS);
    WriteRgb(dir + "saved8as24.rgb", pal24);

    LBitmap smooth;
    MakeSmooth(smooth, 3488 / 8, 2616 / 8);
    std::ofstream list(dir + "jpegs.txt");
    for (int qfactor : {2, 10}) {
        const std::string name = "jpeg_q" + std::to_string(qfactor);
        ASSERT_EQ(smooth.Save((dir + name + ".jpg").c_str(), FILE_JFIF, 24, qfactor), SUCCESS);
        WriteRgb(dir + name + ".rgb", smooth);
        list << name << " " << smooth.GetWidth() << " " << smooth.GetHeight() << " " << (qfactor == 2 ? 42 : 36) << "\n";
    }
}

}  // namespace
