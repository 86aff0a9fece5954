// Bitmap files read by the module functions and printed into rectangles; a
// table of damaged files, each refused or printed within its rectangle.
#include "DibPrint.h"
#include "PagePrinter.h"
#include "ReportHarness.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {

BITMAPINFOHEADER Info(HGLOBAL block)
{
    BITMAPINFOHEADER h = {};
    GetDibInfo(block, &h);
    return h;
}

void SetLong(std::vector<unsigned char>& b, size_t at, long v) { memcpy(&b[at], &v, 4); }

} // namespace

TEST(DibPrint, ReadsInfoHeadersWithAndWithoutAFileHeader)
{
    BmpFile bmp;   // 3 x 2, 24 bits
    HGLOBAL withHeader = ReadDib(WriteTempFile("orvik-report-a.bmp", bmp.Build(0x5A)).c_str());
    bmp.fileHeader = false;
    HGLOBAL bare = ReadDib(WriteTempFile("orvik-report-b.bmp", bmp.Build(0x5A)).c_str());
    ASSERT_NE(nullptr, withHeader);
    ASSERT_NE(nullptr, bare);
    const BITMAPINFOHEADER h = Info(withHeader);
    EXPECT_EQ(24u, h.biSizeImage);   // rows of 12 bytes
    EXPECT_EQ(0, DibNumColors(&h));
    ASSERT_EQ(GlobalSize(withHeader) >= 64, true);
    const BYTE* a = static_cast<const BYTE*>(GlobalLock(withHeader));
    const BYTE* b = static_cast<const BYTE*>(GlobalLock(bare));
    EXPECT_EQ(0, memcmp(a, b, 40 + 24));
    EXPECT_EQ(0x5A, a[40]);
    GlobalUnlock(withHeader);
    GlobalUnlock(bare);
    GlobalFree(withHeader);
    GlobalFree(bare);
}

TEST(DibPrint, WidensCoreHeadersAndTheirColourTables)
{
    BmpFile bmp;
    bmp.core = true;
    bmp.bits = 8;
    bmp.width = 4;
    bmp.height = 2;
    bmp.colours = 256;
    HGLOBAL block = ReadDib(WriteTempFile("orvik-report-core.bmp", bmp.Build(7)).c_str());
    ASSERT_NE(nullptr, block);
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(block));
    const BITMAPINFOHEADER* h = reinterpret_cast<const BITMAPINFOHEADER*>(p);
    EXPECT_EQ(40u, h->biSize);
    EXPECT_EQ(4, h->biWidth);
    EXPECT_EQ(256u, h->biClrUsed);
    EXPECT_EQ(256, DibNumColors(h));
    EXPECT_EQ(1024, DibPaletteSize(h));
    const RGBQUAD* table = reinterpret_cast<const RGBQUAD*>(p + 40);
    for (int i : {0, 1, 100, 255}) {
        EXPECT_EQ(BYTE(i), table[i].rgbBlue) << i;
        EXPECT_EQ(BYTE(255 - i), table[i].rgbGreen) << i;
        EXPECT_EQ(BYTE(i / 2), table[i].rgbRed) << i;
        EXPECT_EQ(0, table[i].rgbReserved) << i;
    }
    EXPECT_EQ(7, p[40 + 1024]);
    GlobalUnlock(block);
    GlobalFree(block);
}

TEST(DibPrint, ReadsBitsInPiecesOf32768Bytes)
{
    // One row of 8-bit pixels: 32768 bytes are one piece, a row byte more two.
    for (int bytes : {32768, 32769, 65536 + 5}) {
        BmpFile bmp;
        bmp.bits = 8;
        bmp.width = bytes;   // rows padded to 4: pick heights of 1
        bmp.height = 1;
        bmp.colours = 2;
        const int row = ((bytes * 8 + 31) / 32) * 4;
        HGLOBAL block = ReadDib(WriteTempFile("orvik-report-chunks.bmp", bmp.Build()).c_str());
        ASSERT_NE(nullptr, block) << bytes;
        EXPECT_EQ((row + 32767) / 32768, DibLastReadPieces()) << bytes;
        GlobalFree(block);
    }
    BmpFile exact;
    exact.bits = 32;
    exact.width = 8192;
    exact.height = 1;
    HGLOBAL one = ReadDib(WriteTempFile("orvik-report-chunks.bmp", exact.Build()).c_str());
    ASSERT_NE(nullptr, one);
    EXPECT_EQ(1, DibLastReadPieces());
    GlobalFree(one);
}

TEST(DibPrint, PrintsAFileStretchedIntoItsRectangle)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    BmpFile bmp;
    bmp.width = 30;
    bmp.height = 20;
    const std::string file = WriteTempFile("orvik-report-print.bmp", bmp.Build());
    page.PrintBitmap(600, 300, 1800, 2100, file.c_str());
    page.PrintBitmap(1.0, 0.5, 2.0, 1.5, file.c_str());
    emf.Read();
    ASSERT_EQ(2u, emf.stretches.size());
    const EmfStretch& s = emf.stretches[0];
    EXPECT_EQ(300, s.x);
    EXPECT_EQ(600, s.y);
    EXPECT_EQ(1800, s.width);
    EXPECT_EQ(1200, s.height);
    EXPECT_EQ(30, s.srcWidth);
    EXPECT_EQ(20, s.srcHeight);
    EXPECT_EQ(600, emf.stretches[1].width);
}

TEST(DibPrint, DamagedFilesAreRefusedOrPrintedWithinTheirRectangle)
{
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
        int loads;      // LoadDib's answer
        bool painted;
    };
    BmpFile base;
    base.width = 16;
    base.height = 8;
    base.bits = 8;
    base.colours = 256;
    const std::vector<unsigned char> good = base.Build(3);
    auto with = [&good](size_t at, long v) { std::vector<unsigned char> b = good; SetLong(b, at, v); return b; };
    auto cut = [&good](size_t n) { return std::vector<unsigned char>(good.begin(), good.begin() + long(n)); };
    BmpFile topDown = base;
    topDown.height = -8;
    BmpFile coreShort = base;
    coreShort.core = true;
    coreShort.colours = 2;
    coreShort.bits = 1;
    coreShort.width = 2;
    coreShort.height = 2;
    const size_t hdr = 14;
    const std::vector<Case> cases = {
        {"good", good, 1, true},
        {"top-down", topDown.Build(), 1, true},
        {"empty file", {}, 0, false},
        {"file header only", cut(14), 0, false},
        {"short info header", cut(30), 0, false},
        {"V5 header size", with(hdr + 0, 124), 0, false},
        {"header size 0", with(hdr + 0, 0), 0, false},
        {"colour count past 256", with(hdr + 32, 0x40000001), 0, false},
        {"colour count 257", with(hdr + 32, 257), 0, false},
        {"short colour table", cut(14 + 40 + 100), 0, false},
        {"image size too small", with(hdr + 20, 4), 1, true},
        {"image size huge", with(hdr + 20, 0x7FFFFFFF), 1, true},
        {"bits cut short", cut(good.size() - 1), 1, false},
        {"width times height overflows", [&] { auto b = with(hdr + 4, 0x10000); SetLong(b, hdr + 8, 0x10000); return b; }(), 0, false},
        {"negative width", with(hdr + 4, -16), 0, false},
        {"zero height", with(hdr + 8, 0), 0, false},
        {"bit count 7", [&] { auto b = good; b[hdr + 14] = 7; return b; }(), 0, false},
        {"bitfields", with(hdr + 16, BI_BITFIELDS), 0, false},
        {"RLE8 without a size", with(hdr + 16, BI_RLE8), 0, false},
        {"bits offset past the end", with(10, 0x100000), 1, false},
        {"small core file", coreShort.Build(), 0, false},   // shorter than an info header
    };
    for (const Case& c : cases) {
        const std::string file = WriteTempFile("orvik-report-damaged.bmp", c.bytes);
        PrintState probe;
        probe.text = file;
        EXPECT_EQ(c.loads, LoadDib(probe)) << c.name;
        FreeDib();

        EmfRecorder emf;
        CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
        page.PrintBitmap(100, 200, 900, 1800, file.c_str());
        emf.Read();
        ASSERT_EQ(c.painted ? 1u : 0u, emf.stretches.size()) << c.name;
        if (c.painted) {
            EXPECT_EQ(200, emf.stretches[0].x) << c.name;
            EXPECT_EQ(100, emf.stretches[0].y) << c.name;
            EXPECT_EQ(1600, emf.stretches[0].width) << c.name;
            EXPECT_EQ(800, emf.stretches[0].height) << c.name;
            EXPECT_EQ(16, emf.stretches[0].srcWidth) << c.name;
            EXPECT_EQ(8, emf.stretches[0].srcHeight) << c.name;
        }
    }
    PrintState missing;
    missing.text = "C:\\no such folder\\none.bmp";
    EXPECT_EQ(0, LoadDib(missing));
}

TEST(DibPrint, KeptBitmapsPaintAtTheirOwnSize)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    BmpFile bmp;
    bmp.width = 40;
    bmp.height = 10;
    PrintState& s = page.State();
    s.text = WriteTempFile("orvik-report-keep.bmp", bmp.Build());
    s.x = 500;
    s.y = 700;
    s.right = 3000;
    s.bottom = 3000;
    EXPECT_EQ(1, PrintDibKeep(s));
    s.text = "C:\\missing.bmp";   // still loaded: painted again without reading
    EXPECT_EQ(1, PrintDibKeep(s));
    FreeDib();
    EXPECT_EQ(0, PrintDibKeep(s));
    emf.Read();
    ASSERT_EQ(2u, emf.stretches.size());
    EXPECT_EQ(40, emf.stretches[1].width);
    EXPECT_EQ(10, emf.stretches[1].height);
}
