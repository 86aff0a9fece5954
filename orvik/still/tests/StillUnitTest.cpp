// Ruler files and the display window's writers, built whole and tested
// directly: the file bytes of the calibration dialog, the table of files it
// refuses, and the BMP and JPEG files of pictures of every depth.
#include <gtest/gtest.h>
#include <windows.h>

#include <AfxTestScript.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "MeasureLayer.h"
#include "MeasureShape.h"
#include "OverlayMerge.h"
#include "Resource.h"
#include "RulerFile.h"
#include "RulerSetDlg.h"
#include "ScaleBarShape.h"
#include "StillImageWnd.h"

namespace {

// ---------------------------------------------------------------- ruler files
const char kDefaults[] = "0.200\r\r\n0.200\r\r\n10.00000\r\r\n10.00000\r\r\n100\r\r\n150\r\r\n50\r\r\n100\r\r\n150\r\r\n"
                         "50\r\r\n0\r\r\n";

TEST(RulerFile, DefaultsGiveTheDocumentedBytes)
{
    EXPECT_EQ(std::string(kDefaults), FormatRulerFile(RulerFile()));
}

TEST(RulerFile, ReadsWhatItWritesWithAnyLineEnd)
{
    RulerFile r;
    r.xResult = L"0.004";
    r.yResult = L"0.002";
    r.xReal = L"0.1";
    r.yReal = L"0.05";
    r.xLength = 200;
    r.yLength = 25;
    r.unit = 1;
    std::string bytes = FormatRulerFile(r);
    for (const char* end : {"\r\r\n", "\r\n", "\n"}) {
        std::string text = bytes;
        for (size_t at; (at = text.find("\r\r\n")) != std::string::npos;)
            text.replace(at, 3, "\x01");
        for (size_t at; (at = text.find('\x01')) != std::string::npos;)
            text.replace(at, 1, end);
        RulerFile back;
        ASSERT_TRUE(ParseRulerFile(text, back)) << end;
        EXPECT_STREQ(L"0.1", back.xReal);
        EXPECT_STREQ(L"0.05", back.yReal);
        EXPECT_STREQ(L"0.004", back.xResult);
        // The corner is always (100, 100); the ends follow the lengths.
        EXPECT_EQ(100, back.xStart);
        EXPECT_EQ(300, back.xEnd);
        EXPECT_EQ(200, back.xLength);
        EXPECT_EQ(100, back.yStart);
        EXPECT_EQ(125, back.yEnd);
        EXPECT_EQ(25, back.yLength);
        EXPECT_EQ(1, back.unit);
    }
}

// Lines of a good file with one line replaced (index), or cut to `keep`.
std::string Variant(int index, const char* line, int keep = 11)
{
    const char* lines[] = {"0.200", "0.200", "10.00000", "10.00000", "100", "150", "50", "100", "150", "50", "0"};
    std::string out;
    for (int i = 0; i < keep; ++i)
        out += std::string(i == index ? line : lines[i]) + "\r\r\n";
    return out;
}

TEST(RulerFile, RefusesBadFilesAndChangesNothing)
{
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"unit 5", Variant(10, "5")},
        {"unit -1", Variant(10, "-1")},
        {"ten lines", Variant(-1, "", 10)},
        {"empty", ""},
        {"real length text", Variant(2, "ten")},
        {"real length zero", Variant(3, "0")},
        {"real length negative", Variant(2, "-4")},
        {"real length infinite", Variant(2, "inf")},
        {"half a number", Variant(2, "10.5mm")},
        {"x length zero", Variant(6, "0")},
        {"y length negative", Variant(9, "-50")},
        {"x end on the corner", Variant(5, "100")},
        {"y end above the corner", Variant(8, "90")},
        {"end not a number", Variant(5, "abc")},
        {"result not a number", Variant(0, "1.#INF00")},
        {"twelve lines", Variant(-1, "") + "7\r\r\n"},
        {"huge coordinate", Variant(5, "99999999999")},
    };
    for (const auto& c : cases) {
        RulerFile kept;
        kept.xReal = L"kept";
        EXPECT_FALSE(ParseRulerFile(c.bytes, kept)) << c.what;
        EXPECT_STREQ(L"kept", kept.xReal) << c.what;
    }
    RulerFile good;
    EXPECT_TRUE(ParseRulerFile(Variant(-1, ""), good));
}

TEST(RulerFile, DecimalCommaOrRefusal)
{
    const struct {
        const wchar_t* text;
        bool ok;
        double value;
    } cases[] = {
        {L"10,5", true, 10.5}, {L"10.5", true, 10.5}, {L" 7 ", true, 7}, {L"1e-3", true, 0.001},
        {L"1,234.5", false, 0}, {L"1,2,3", false, 0}, {L"", false, 0}, {L"abc", false, 0},
        {L"nan", false, 0}, {L"0x10", false, 0}, {L"10 mm", false, 0},
    };
    for (const auto& c : cases) {
        double v = -1;
        EXPECT_EQ(c.ok, ParseDecimal(c.text, v)) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(c.value, v) << c.text;
        }
    }
}

// ---------------------------------------------------------------- writers
std::wstring TempPath(const wchar_t* name)
{
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + L"still-unit-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
}

std::string ReadAll(const std::wstring& path)
{
    std::ifstream f(path.c_str(), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// A picture of the given depth whose pixel (x, y) has a value every depth
// can hold: a palette index for 1, 4 and 8 bits, else a colour.
struct Source {
    int w, h, bpp;
    std::vector<BYTE> header;   // BITMAPINFO with its colour table
    std::vector<BYTE> bits;     // bottom-up rows
    // The 24-bit BGR the picture shows at (x, y), top row 0.
    std::vector<BYTE> expected;

    Source(int width, int height, int depth) : w(width), h(height), bpp(depth)
    {
        const int colours = bpp <= 8 ? 1 << bpp : 0;
        header.assign(sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD), 0);
        BITMAPINFOHEADER* bi = reinterpret_cast<BITMAPINFOHEADER*>(header.data());
        bi->biSize = sizeof *bi;
        bi->biWidth = w;
        bi->biHeight = h;
        bi->biPlanes = 1;
        bi->biBitCount = WORD(bpp);
        bi->biCompression = BI_RGB;
        RGBQUAD* pal = reinterpret_cast<RGBQUAD*>(bi + 1);
        for (int i = 0; i < colours; ++i)
            pal[i] = RGBQUAD{BYTE(i * 37 + 11), BYTE(255 - i * 13), BYTE(i * 59 + 3), 0};
        const int stride = ((w * bpp + 31) / 32) * 4;
        bits.assign(size_t(stride) * h, 0);
        expected.assign(size_t(w) * h * 3, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                BYTE* row = &bits[size_t(h - 1 - y) * stride];
                BYTE* want = &expected[(size_t(y) * w + x) * 3];
                if (bpp <= 8) {
                    const int index = (x * 3 + y * 5) % colours;
                    const int bit = x * bpp;
                    row[bit / 8] |= BYTE(index << (8 - bpp - bit % 8));
                    want[0] = pal[index].rgbBlue;
                    want[1] = pal[index].rgbGreen;
                    want[2] = pal[index].rgbRed;
                } else if (bpp == 16) {
                    // 5-5-5, each channel scaled to 0..255 and rounded.
                    const int b = (x * 3) & 31, g = (y * 7) & 31, r = (x + y) & 31;
                    const WORD v = WORD(r << 10 | g << 5 | b);
                    std::memcpy(row + x * 2, &v, 2);
                    want[0] = BYTE((b * 510 + 31) / 62);
                    want[1] = BYTE((g * 510 + 31) / 62);
                    want[2] = BYTE((r * 510 + 31) / 62);
                } else {
                    const BYTE px[4] = {BYTE(x * 9), BYTE(y * 11), BYTE(x * y), 0x55};
                    std::memcpy(row + x * (bpp / 8), px, bpp / 8);
                    std::memcpy(want, px, 3);
                }
            }
    }
    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(header.data()); }
};

// The pixel rows of a 24-bit BMP file as top-down BGR without padding.
bool Bmp24Pixels(const std::string& file, int w, int h, std::vector<BYTE>& out)
{
    const int stride = Dib24Stride(w);
    if (file.size() != size_t(54 + stride * h))
        return false;
    out.assign(size_t(w) * h * 3, 0);
    for (int y = 0; y < h; ++y)
        std::memcpy(&out[size_t(y) * w * 3], &file[54 + size_t(h - 1 - y) * stride], size_t(w) * 3);
    return true;
}

struct ScriptedBoxes {
    ScriptedBoxes() { AfxTestSetScript(L""); AfxTestClearRecord(); }
};

TEST(StillImageWnd, BmpHeadersAndLayoutAtAWidthOf101)
{
    CStillImageWnd wnd;
    Source src(101, 7, 24);
    ASSERT_EQ(SUCCESS, wnd.ConvertFromDIB(src.Info(), src.bits.data()));
    const std::wstring path = TempPath(L"layout.bmp");
    ASSERT_TRUE(wnd.SaveBmp(path.c_str(), 1));
    const std::string f = ReadAll(path);
    DeleteFileW(path.c_str());
    ASSERT_EQ(size_t(54 + 304 * 7), f.size());
    BITMAPFILEHEADER fh;
    BITMAPINFOHEADER ih;
    std::memcpy(&fh, f.data(), 14);
    std::memcpy(&ih, f.data() + 14, 40);
    EXPECT_EQ(0x4D42, fh.bfType);
    EXPECT_EQ(DWORD(54 + 304 * 7), fh.bfSize);
    EXPECT_EQ(0, fh.bfReserved1 | fh.bfReserved2);
    EXPECT_EQ(DWORD(54), fh.bfOffBits);
    EXPECT_EQ(DWORD(40), ih.biSize);
    EXPECT_EQ(101, ih.biWidth);
    EXPECT_EQ(7, ih.biHeight);
    EXPECT_EQ(1, ih.biPlanes);
    EXPECT_EQ(24, ih.biBitCount);
    EXPECT_EQ(DWORD(BI_RGB), ih.biCompression);
    EXPECT_EQ(DWORD(0), ih.biSizeImage | ih.biClrUsed | ih.biClrImportant | DWORD(ih.biXPelsPerMeter));
    // Only the hidden scale bar: burn-in leaves the picture as it is.
    std::vector<BYTE> pixels;
    ASSERT_TRUE(Bmp24Pixels(f, 101, 7, pixels));
    EXPECT_TRUE(pixels == src.expected);
}

// Every depth the layer loads is written as the 24-bit picture it shows,
// with the same line burned in at the same place, never read past its rows.
TEST(StillImageWnd, EveryDepthBurnsInOverTheSamePicture)
{
    for (int bpp : {1, 4, 8, 16, 24, 32}) {
        CStillImageWnd wnd;
        Source src(45, 23, bpp);
        ASSERT_EQ(SUCCESS, wnd.ConvertFromDIB(src.Info(), src.bits.data())) << bpp;
        ASSERT_EQ(bpp, wnd.GetBitsPerPixel());
        CMeasureLayer* layer = wnd.GetLayer();
        layer->CreateShape(kShapeScaleBar);
        CMeasureShape* line = layer->CreateShape(kShapeLine);
        line->AddOneCoord(40, 18);
        line->AddOneCoord(4, 18);

        const std::wstring plain = TempPath(L"plain.bmp"), burnt = TempPath(L"burnt.bmp");
        ASSERT_TRUE(wnd.SaveBmp(plain.c_str(), 0)) << bpp;
        ASSERT_TRUE(wnd.SaveBmp(burnt.c_str(), 1)) << bpp;
        std::vector<BYTE> a, b;
        ASSERT_TRUE(Bmp24Pixels(ReadAll(plain), 45, 23, a)) << bpp;
        ASSERT_TRUE(Bmp24Pixels(ReadAll(burnt), 45, 23, b)) << bpp;
        DeleteFileW(plain.c_str());
        DeleteFileW(burnt.c_str());
        EXPECT_TRUE(a == src.expected) << bpp << " bits: the unburnt file is not the picture";
        // The line is green (colour 3) across row 18, the text white above it.
        const BYTE* mid = &b[(size_t(18) * 45 + 22) * 3];
        EXPECT_EQ(0, mid[0]) << bpp;
        EXPECT_EQ(255, mid[1]) << bpp;
        EXPECT_EQ(0, mid[2]) << bpp;
        int changed = 0, outside = 0;
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 45; ++x)
                if (std::memcmp(&a[(size_t(y) * 45 + x) * 3], &b[(size_t(y) * 45 + x) * 3], 3)) {
                    ++changed;
                    outside += y > 20 && x > 10 && x < 34;  // the end handles reach lower
                }
        EXPECT_GT(changed, 40) << bpp;
        EXPECT_EQ(0, outside) << bpp << " bits: pixels below the line changed";

        // Merge puts the same pixels into the picture itself.
        ASSERT_TRUE(wnd.MergeMeasurements());
        EXPECT_EQ(24, wnd.GetBitsPerPixel());
        layer->DeleteAllShapes();
        ASSERT_TRUE(wnd.SaveBmp(plain.c_str(), 0));
        std::vector<BYTE> merged;
        ASSERT_TRUE(Bmp24Pixels(ReadAll(plain), 45, 23, merged));
        DeleteFileW(plain.c_str());
        EXPECT_TRUE(merged == b) << bpp;
    }
}

TEST(StillImageWnd, MeasureDataIsTheDrawingOnGrey)
{
    CStillImageWnd wnd;
    Source src(60, 30, 24);
    ASSERT_EQ(SUCCESS, wnd.ConvertFromDIB(src.Info(), src.bits.data()));
    wnd.GetLayer()->CreateShape(kShapeScaleBar);
    CMeasureShape* line = wnd.GetLayer()->CreateShape(kShapeLine);
    line->AddOneCoord(50, 25);
    line->AddOneCoord(5, 25);
    wnd.m_bMeasureData = TRUE;
    const std::wstring path = TempPath(L"data.bmp");
    ASSERT_TRUE(wnd.SaveBmp(path.c_str(), 0));
    std::vector<BYTE> px;
    ASSERT_TRUE(Bmp24Pixels(ReadAll(path), 60, 30, px));
    DeleteFileW(path.c_str());
    int grey = 0, green = 0;
    for (size_t i = 0; i < px.size(); i += 3) {
        grey += px[i] == 128 && px[i + 1] == 128 && px[i + 2] == 128;
        green += px[i] == 0 && px[i + 1] == 255 && px[i + 2] == 0;
    }
    EXPECT_GT(green, 40);
    EXPECT_GT(grey, 60 * 30 / 2);
    EXPECT_EQ(128, px[0]);   // the top left corner is far from the line
}

TEST(StillImageWnd, MirrorRowsKeepsPaddingAndPixels)
{
    const int w = 5, h = 2, stride = Dib24Stride(w);
    std::vector<BYTE> buf(size_t(stride) * h);
    for (size_t i = 0; i < buf.size(); ++i)
        buf[i] = BYTE(i);
    std::vector<BYTE> orig = buf;
    CStillImageWnd::MirrorRows(buf.data(), w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            EXPECT_EQ(0, std::memcmp(&buf[y * stride + x * 3], &orig[y * stride + (w - 1 - x) * 3], 3));
        EXPECT_EQ(orig[y * stride + 15], buf[y * stride + 15]);
    }
}

// A file that cannot be written is reported, answers FALSE and leaves
// nothing behind; the JPEG path has no scratch file to fall back on.
TEST(StillImageWnd, UnwritableFilesAreReported)
{
    ScriptedBoxes boxes;
    CStillImageWnd wnd;
    Source src(8, 8, 24);
    ASSERT_EQ(SUCCESS, wnd.ConvertFromDIB(src.Info(), src.bits.data()));
    const std::wstring bad = TempPath(L"no-such-folder\\x.bmp");
    EXPECT_FALSE(wnd.SaveBmp(bad.c_str(), 0));
    EXPECT_FALSE(wnd.SaveJpeg(TempPath(L"no-such-folder\\x.jpg").c_str(), 0));
    const CString record = AfxTestGetRecord();
    int n = 0;
    for (int at = 0; (at = record.Find(L"msgbox|", at)) >= 0; ++at)
        ++n;
    EXPECT_EQ(2, n) << (LPCWSTR)record;
}

// The JPEG is written straight from the picture, for the independent
// readers that check it after this test (see check-written.sh).
TEST(StillImageWnd, JpegFilesForTheReaders)
{
    const wchar_t* dir = _wgetenv(L"STILL_WRITTEN");
    if (!dir)
        GTEST_SKIP() << "STILL_WRITTEN not set";
    for (int bpp : {8, 24}) {
        CStillImageWnd wnd;
        Source src(64, 48, bpp);
        ASSERT_EQ(SUCCESS, wnd.ConvertFromDIB(src.Info(), src.bits.data()));
        const std::wstring base = std::wstring(dir) + L"\\jpeg" + std::to_wstring(bpp);
        ASSERT_TRUE(wnd.SaveJpeg((base + L".jpg").c_str(), 0));
        ASSERT_TRUE(wnd.SaveBmp((base + L".bmp").c_str(), 0));
    }
}

}  // namespace

// ---------------------------------------------------------------- the calibration dialog
namespace {

CMeasureLayer* g_dialogLayer = nullptr;
MeasureCalibration g_dialogRecord;

bool TestTarget(CDocument*, RulerTarget& t)
{
    t.layer = g_dialogLayer;
    t.calibration = &g_dialogRecord;
    return g_dialogLayer != nullptr;
}

struct DialogFixture {
    CMeasureLayer layer;
    CRulerSetDlg dlg;
    CDocument* doc = reinterpret_cast<CDocument*>(&layer);  // only passed back to TestTarget
    DialogFixture()
    {
        layer.CreateShape(kShapeScaleBar);
        g_dialogLayer = &layer;
        CRulerSetDlg::SetTargetLookup(TestTarget);
        created = dlg.Create(nullptr) != FALSE;
        if (created)
            dlg.Init(doc);
    }
    ~DialogFixture()
    {
        if (dlg.m_hWnd)
            dlg.DestroyWindow();
        g_dialogLayer = nullptr;
    }
    CScaleBarShape* Bar() { return dynamic_cast<CScaleBarShape*>(layer.GetShape(0)); }
    CString Text(int id)
    {
        wchar_t buf[64] = {};
        GetDlgItemTextW(dlg.m_hWnd, id, buf, 64);
        return buf;
    }
    bool created = false;
};

}  // namespace

TEST(RulerSetDlg, DefaultsReadTwoHundredths)
{
    DialogFixture f;
    ASSERT_TRUE(f.created);
    EXPECT_STREQ(L"0.200", f.Text(IDC_RS_X_RESULT));
    EXPECT_STREQ(L"0.200", f.Text(IDC_RS_Y_RESULT));
    EXPECT_STREQ(L"um/pixel", f.Text(IDC_RS_X_UNIT_PER_PIXEL));
    EXPECT_STREQ(L"um", f.Text(IDC_RS_Y_UNIT));
    EXPECT_EQ(50, f.dlg.m_nXLength);
}

// A 0.1 mm scale over 250 pixels: 0.0004 mm a pixel, shown as "0.000" but
// measured in full, so a 100-pixel line reads 0.040 mm and not 0.000.
TEST(RulerSetDlg, MeasuresAtFullPrecisionWithADecimalComma)
{
    DialogFixture f;
    ASSERT_TRUE(f.created);
    CPoint e, c;
    f.Bar()->GetEnds(e, c);
    f.Bar()->SetEnds(c.x + 250, e.y, c.x, e.y + 250);
    f.dlg.m_comboUnit.SetCurSel(1);
    SetDlgItemTextW(f.dlg.m_hWnd, IDC_RS_X_REAL, L"0,1");
    SetDlgItemTextW(f.dlg.m_hWnd, IDC_RS_Y_REAL, L"0.1");
    f.dlg.UpdateData(TRUE);
    ASSERT_TRUE(f.dlg.ApplyCalibration());
    EXPECT_STREQ(L"0.000", f.Text(IDC_RS_X_RESULT));
    const MeasureCalibration cal = f.layer.GetCalibration();
    EXPECT_EQ(1, cal.unit);
    EXPECT_DOUBLE_EQ(0.1 / 250, cal.unitsPerPixelX);
    EXPECT_DOUBLE_EQ(0.1 / 250, cal.unitsPerPixelY);
    EXPECT_DOUBLE_EQ(0.1, cal.knownLengthX);
    EXPECT_DOUBLE_EQ(0.1 / 250, g_dialogRecord.unitsPerPixelX);
    CMeasureShape* line = f.layer.CreateShape(kShapeLine);
    line->AddOneCoord(10, 300);
    line->AddOneCoord(110, 300);
    const std::vector<CString> texts = f.layer.GetShapeTexts(1);
    ASSERT_FALSE(texts.empty());
    EXPECT_STREQ(L"L=0.040mm", texts[0]);
}

TEST(RulerSetDlg, ALengthThatIsNoNumberChangesNothing)
{
    DialogFixture f;
    ASSERT_TRUE(f.created);
    const MeasureCalibration before = f.layer.GetCalibration();
    for (const wchar_t* text : {L"abc", L"0", L"-3", L"1,2.5"}) {
        SetDlgItemTextW(f.dlg.m_hWnd, IDC_RS_X_REAL, text);
        f.dlg.UpdateData(TRUE);
        EXPECT_FALSE(f.dlg.ApplyCalibration()) << text;
        EXPECT_DOUBLE_EQ(before.unitsPerPixelX, f.layer.GetCalibration().unitsPerPixelX) << text;
        EXPECT_STREQ(L"", f.Text(IDC_RS_X_RESULT)) << text;
    }
}

// Save writes the documented bytes; a file of the table is refused with the
// file-error box and leaves dialog, bar and layer as they were; a good one
// moves the bar's corner to (100, 100).
TEST(RulerSetDlg, SavesLoadsAndRefuses)
{
    ScriptedBoxes boxes;
    DialogFixture f;
    ASSERT_TRUE(f.created);
    const std::wstring path = TempPath(L"a.rlr");
    ASSERT_TRUE(f.dlg.SaveRulerFile(path.c_str()));
    CPoint e0, c0;
    f.Bar()->GetEnds(e0, c0);
    const std::string saved = ReadAll(path);
    // The bar sits at its own place; the file always puts the corner at 100.
    EXPECT_EQ(std::string(kDefaults), saved);

    const std::string bad[] = {Variant(10, "7"), Variant(-1, "", 9), Variant(6, "x"), Variant(9, "0")};
    for (const std::string& b : bad) {
        std::ofstream(path.c_str(), std::ios::binary) << b;
        AfxTestClearRecord();
        EXPECT_FALSE(f.dlg.LoadRulerFile(path.c_str()));
        EXPECT_NE(-1, AfxTestGetRecord().Find(L"msgbox|"));
        CPoint e, c;
        f.Bar()->GetEnds(e, c);
        EXPECT_EQ(e0, e);
        EXPECT_EQ(c0, c);
        EXPECT_EQ(0, f.dlg.m_comboUnit.GetCurSel());
        EXPECT_DOUBLE_EQ(0.2, f.layer.GetCalibration().unitsPerPixelX);
    }

    std::ofstream(path.c_str(), std::ios::binary) << "0.050\r\r\n0.100\r\r\n10\r\r\n5\r\r\n100\r\r\n300\r\r\n200\r\r\n"
                                                     "100\r\r\n150\r\r\n50\r\r\n2\r\r\n";
    ASSERT_TRUE(f.dlg.LoadRulerFile(path.c_str()));
    CPoint e, c;
    f.Bar()->GetEnds(e, c);
    EXPECT_EQ(CPoint(300, 100), e);
    EXPECT_EQ(CPoint(100, 150), c);
    EXPECT_EQ(2, f.layer.GetCalibration().unit);
    EXPECT_DOUBLE_EQ(10.0 / 200, f.layer.GetCalibration().unitsPerPixelX);
    EXPECT_DOUBLE_EQ(5.0 / 50, f.layer.GetCalibration().unitsPerPixelY);
    EXPECT_STREQ(L"cm", f.Text(IDC_RS_X_UNIT));
    DeleteFileW(path.c_str());
}

// ---------------------------------------------------------------- processing dialog
#include "ImageProcessDlg.h"

#include <commctrl.h>

namespace {

// A 24-bit picture whose every pixel differs from its neighbours.
void MakeCoded(LBitmap& bmp, int w, int h)
{
    std::vector<BYTE> rows(size_t((w * 3 + 3) & ~3) * h);
    const int stride = (w * 3 + 3) & ~3;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            BYTE* p = &rows[size_t(y) * stride + x * 3];
            p[0] = BYTE(x * 7 + y);
            p[1] = BYTE(y * 5 + 40);
            p[2] = BYTE((x ^ y) * 3);
        }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    ASSERT_EQ(SUCCESS, bmp.ConvertFromDIB(&info, rows.data()));
}

TEST(ImageProcessDlg, PreviewsFitEveryShapeInsideTheBox)
{
    const struct {
        int w, h, fw, fh;
    } cases[] = {
        {400, 100, 152, 38}, {100, 400, 32, 130}, {100, 100, 100, 100}, {152, 130, 152, 130},
        {160, 150, 138, 130},  // between 1:1 and 152:130: fitted by its height
        {150, 140, 139, 130},  // narrower than the box but too high
        {2000, 10, 152, 1},    {10, 5000, 1, 130},   {1, 1, 1, 1},
    };
    for (const auto& c : cases) {
        const CSize s = CImageProcessDlg::FitSize(c.w, c.h);
        EXPECT_EQ(CSize(c.fw, c.fh), s) << c.w << " x " << c.h;
    }
}

struct ProcessDialog {
    LBitmap picture;
    CImageProcessDlg dlg;
    explicit ProcessDialog(int mode, int w = 400, int h = 100)
    {
        MakeCoded(picture, w, h);
        dlg.Init(picture, mode);
        created = dlg.Create(IDD_IMAGE_PROCESS, nullptr) != FALSE;
    }
    ~ProcessDialog()
    {
        if (dlg.m_hWnd)
            dlg.DestroyWindow();
    }
    HWND Slider() const { return ::GetDlgItem(dlg.m_hWnd, IDC_PROC_SLIDER); }
    std::wstring Value() const
    {
        wchar_t buf[32] = {};
        ::GetDlgItemTextW(dlg.m_hWnd, IDC_PROC_VALUE, buf, 32);
        return buf;
    }
    bool created = false;
};

TEST(ImageProcessDlg, EachModeStartsWithItsTitleRangeAndParameter)
{
    const struct {
        int mode;
        const wchar_t* title;
        int low, high, parameter;
    } cases[] = {
        {1, L"ImageAverage", 3, 255, 3},      {2, L"ImageMedian", 2, 20, 2},
        {3, L"ImageSharpen", -100, 100, 10},  {4, L"ImageEmboss", 0, 100, 0},
        {5, L"ImageRotate", 0, 360, 0},       {6, L"ImageBrightness", -100, 100, 10},
        {7, L"ImageConstrast", -100, 100, 10}, {8, L"ImageSaturation", -100, 100, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        ProcessDialog d(c.mode);
        ASSERT_TRUE(d.created);
        wchar_t caption[64] = {};
        ::GetWindowTextW(d.dlg.m_hWnd, caption, 64);
        EXPECT_STREQ(c.title, caption);
        EXPECT_EQ(c.low, (int)::SendMessageW(d.Slider(), TBM_GETRANGEMIN, 0, 0));
        EXPECT_EQ(c.high, (int)::SendMessageW(d.Slider(), TBM_GETRANGEMAX, 0, 0));
        EXPECT_EQ(c.parameter, d.dlg.m_nParameter);
        EXPECT_EQ(std::to_wstring(c.parameter), d.Value());
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d.dlg.m_hWnd, IDC_PROC_VALUE)));
        // Previews fitted to the box: 400 x 100 shows at 152 x 38.
        EXPECT_EQ(152, d.dlg.AfterPicture().GetWidth());
        EXPECT_EQ(38, d.dlg.AfterPicture().GetHeight());
    }
}

TEST(ImageProcessDlg, TheParameterFollowsTheSliderOnlyWhenTheButtonIsReleased)
{
    ProcessDialog d(CImageProcessDlg::kRotate, 400, 100);
    ASSERT_TRUE(d.created);
    // A keyboard move: the value box follows, the parameter does not.
    ::SendMessageW(d.Slider(), TBM_SETPOS, TRUE, 90);
    ::SendMessageW(d.dlg.m_hWnd, WM_HSCROLL, MAKEWPARAM(TB_LINEDOWN, 0), (LPARAM)d.Slider());
    EXPECT_EQ(L"90", d.Value());
    EXPECT_EQ(0, d.dlg.m_nParameter);
    // The release: parameter in hundredths of a degree, and the preview is
    // the turned picture fitted by its turned size (100 x 400).
    ::SendMessageW(d.Slider(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    ::SendMessageW(d.Slider(), WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    const int pos = (int)::SendMessageW(d.Slider(), TBM_GETPOS, 0, 0);
    EXPECT_EQ(pos * 100, d.dlg.m_nParameter);
    ::SendMessageW(d.Slider(), TBM_SETPOS, TRUE, 90);
    EXPECT_EQ(1, ::SendMessageW(d.dlg.m_hWnd, CReleaseNotifySlider::WM_SLIDER_RELEASED, 0, 0));
    EXPECT_EQ(9000, d.dlg.m_nParameter);
    EXPECT_EQ(32, d.dlg.AfterPicture().GetWidth());
    EXPECT_EQ(130, d.dlg.AfterPicture().GetHeight());
}

TEST(ImageProcessDlg, TheAfterBoxShowsThePreviewCentredOnBlack)
{
    ProcessDialog d(CImageProcessDlg::kBrightness, 100, 100);
    ASSERT_TRUE(d.created);
    HWND after = ::GetDlgItem(d.dlg.m_hWnd, IDC_PROC_AFTER);
    RECT rc;
    ::GetClientRect(after, &rc);
    EXPECT_EQ(152, rc.right);
    EXPECT_EQ(130, rc.bottom);
    // Painted into a DIB through WM_PAINT's own DC: repaint repeatedly (each
    // paint frees the previous one's DIB), then read it from the screen DC.
    d.dlg.ShowWindow(SW_SHOWNOACTIVATE);
    for (int i = 0; i < 20; ++i) {
        ::InvalidateRect(after, nullptr, FALSE);
        ::UpdateWindow(after);
    }
    HDC dc = ::GetDC(after);
    const COLORREF corner = ::GetPixel(dc, 2, 2), left = ::GetPixel(dc, 25, 65), inside = ::GetPixel(dc, 27, 65),
                   right = ::GetPixel(dc, 127, 65);
    ::ReleaseDC(after, dc);
    if (corner == CLR_INVALID)
        GTEST_SKIP() << "the box is not on the screen";
    EXPECT_EQ(RGB(0, 0, 0), corner);
    EXPECT_EQ(RGB(0, 0, 0), left);   // 100 wide from x = 26
    EXPECT_NE(RGB(0, 0, 0), inside);
    EXPECT_EQ(RGB(0, 0, 0), right);
}

}  // namespace

// ---------------------------------------------------------------- the unused relatives
#include "PictureFamily.h"

namespace {

TEST(PictureFamily, TheViewScrollsOverAHundredSquareAndTheControlPaintsItsPicture)
{
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(nullptr, parent);
    CWnd* host = CWnd::FromHandle(parent);
    CImageView* view = static_cast<CImageView*>(RUNTIME_CLASS(CImageView)->CreateObject());
    ASSERT_NE(nullptr, view);
    ASSERT_TRUE(view->Create(nullptr, L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 50), host, 1));
    view->OnInitialUpdate();
    EXPECT_EQ(CSize(100, 100), view->GetTotalSize());
    view->DestroyWindow();

    CAnimPictureCtrl ctrl;
    ASSERT_TRUE(ctrl.Create(L"", WS_CHILD | WS_VISIBLE, CRect(60, 0, 160, 100), host, 2));
    MakeCoded(ctrl.Picture(), 40, 30);
    ctrl.Invalidate(FALSE);
    ctrl.UpdateWindow();
    HDC dc = ::GetDC(ctrl.m_hWnd);
    const COLORREF inside = ::GetPixel(dc, 3, 2);
    ::ReleaseDC(ctrl.m_hWnd, dc);
    if (inside != CLR_INVALID) {
        // Pixel (3, 2) of the coded picture: blue 23, green 50, red 3.
        EXPECT_EQ(RGB(3, 50, 23), inside);
    }
    ctrl.DestroyWindow();
    ::DestroyWindow(parent);
}

}  // namespace
