// CReportPrinter: layout read back from metafiles whose reference is the
// file printer, page breaks and callbacks on the printer itself, and one
// sample report printed to the file printer for Ghostscript
// (check-report.sh reads REPORT_OUTPUT).
#include "ReportHarness.h"
#include "ReportPrinter.h"
#include <AfxTestScript.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <winspool.h>

namespace {

// The file printer's A4 page at 600 dpi.
const int kWidth = 4658;

struct Callback {
    int page, starting;
    bool operator==(const Callback& o) const { return page == o.page && starting == o.starting; }
};
std::vector<Callback> g_calls;
void Record(CReportPrinter*, int page, int starting) { g_calls.push_back({page, starting}); }

std::wstring Join(const std::vector<EmfText>& texts)
{
    std::wstring all;
    for (const EmfText& t : texts) all += t.text;
    return all;
}

} // namespace

TEST(ReportPrinter, ScalesColumnsToThePrintableWidth)
{
    EmfRecorder emf;
    CReportPrinter report;
    report.AttachContext(emf.dc().Detach());
    struct { int printable; std::vector<int> given, scaled; } cases[] = {
        {1000, {1, 2, 1}, {250, 500, 250}},
        {950, {30, 40, 30}, {270, 360, 270}},   // the factor is the integer 9
        {1000, {0, 0}, {0, 0}},
    };
    for (const auto& c : cases) {
        report.SetMargins(-1, -1, 0, kWidth - c.printable);
        report.SetColumns(c.given, TRUE);
        EXPECT_EQ(c.scaled, report.ColumnWidths());
    }
    report.SetColumns({7, 9}, FALSE);
    EXPECT_EQ((std::vector<int>{7, 9}), report.ColumnWidths());
}

TEST(ReportPrinter, WrapsLongTextWithoutLosingAnyOfIt)
{
    EmfRecorder emf;
    CReportPrinter report;
    report.AttachContext(emf.dc().m_hDC);
    const int set = report.AddFontSet(L"Courier New", 10, 14);
    const CSize one = report.Context().GetTextExtent(L"x", 1);
    // A printable width of exactly 40 characters of the fixed-pitch font.
    report.SetMargins(36, 0, 300, kWidth - 300 - 40 * one.cx);
    const std::wstring exact(40, L'e');
    report.PrintText(set, exact.c_str(), kAlignLeft, TRUE, 0);
    // Words of 9 characters break at spaces; a run of 60 without one is cut
    // at the width; the count of lines is more than the unwrapped extent says.
    std::wstring words;
    for (int i = 0; i < 10; ++i) words += L"abcdefgh ";
    report.PrintText(set, words.c_str(), kAlignLeft, TRUE, 0);
    const std::wstring run(60, L'r');
    report.PrintText(set, run.c_str(), kAlignLeft, TRUE, 0);
    std::wstring tail;
    for (int i = 0; i < 19; ++i) tail += L"abcdefghijklmnopqrstuvwxyz0123456 ";
    report.PrintText(set, tail.c_str(), kAlignLeft, TRUE, 0);
    emf.Read();
    ASSERT_GE(emf.texts.size(), 4u);
    EXPECT_EQ(exact, emf.texts[0].text);
    EXPECT_EQ(L"abcdefgh abcdefgh abcdefgh abcdefgh ", emf.texts[1].text);
    size_t i = 1;
    std::wstring joined;
    while (i < emf.texts.size() && joined.size() < words.size()) joined += emf.texts[i++].text;
    EXPECT_EQ(words, joined);
    ASSERT_LT(i + 1, emf.texts.size());
    EXPECT_EQ(std::wstring(40, L'r'), emf.texts[i].text);
    EXPECT_EQ(std::wstring(20, L'r'), emf.texts[i + 1].text);
    std::vector<EmfText> rest(emf.texts.begin() + long(i) + 2, emf.texts.end());
    EXPECT_EQ(tail, Join(rest));
    for (const EmfText& t : emf.texts) EXPECT_LE(t.text.size(), 40u) << std::string(t.text.begin(), t.text.end());
    // Each line one line-height below the one before.
    EXPECT_EQ(MulDiv(36, 600, 72), emf.texts[0].reference.y);
    EXPECT_GT(emf.texts[1].reference.y, emf.texts[0].reference.y);
}

TEST(ReportPrinter, AlignsLinesAndKeepsTextWithoutAPrintableWidth)
{
    EmfRecorder emf;
    CReportPrinter report;
    report.AttachContext(emf.dc().m_hDC);
    const int set = report.AddFontSet(L"Courier New", 12, 12);
    report.SetMargins(0, 0, 200, kWidth - 200 - 2000);
    const int cx = report.Context().GetTextExtent(L"Title", 5).cx;
    report.PrintText(set, L"Title", kAlignCentre, TRUE, 0);
    report.PrintText(set, L"Title", kAlignRight, TRUE, 0);
    report.PrintText(set, L"Title", kAlignLeft, FALSE, 30);
    const int y = report.CurrentY();
    report.PrintText(set, L"Title", 7, TRUE, 0);   // any other value: left
    // Margins wider than the page: written once, unwrapped.
    report.SetMargins(-1, -1, 3000, 3000);
    report.PrintText(set, L"no room at all", kAlignLeft, TRUE, 0);
    emf.Read();
    ASSERT_EQ(5u, emf.texts.size());
    EXPECT_EQ(200 + 1000 - cx / 2, emf.texts[0].reference.x);
    EXPECT_EQ(200 + 2000 - cx, emf.texts[1].reference.x);
    EXPECT_EQ(230, emf.texts[2].reference.x);
    EXPECT_EQ(y, emf.texts[3].reference.y);   // no advance after the third
    EXPECT_EQ(200, emf.texts[3].reference.x);
    EXPECT_EQ(L"no room at all", emf.texts[4].text);
}

TEST(ReportPrinter, TableRowsPlaceCellsByColumnAndIgnoreExtraCells)
{
    EmfRecorder emf;
    CReportPrinter report;
    report.AttachContext(emf.dc().m_hDC);
    const int set = report.AddFontSet(L"Courier New", 10, 10);
    report.SetMargins(0, 0, 100, kWidth - 100 - 3000);
    report.SetColumns({1000, 2000}, FALSE);
    report.SetHorizontalRules(1);
    report.SetVerticalRules(1);
    report.SetRulePenWidth(3);
    report.PrintTableRow(set, L"first|second|third|fourth");
    report.PrintTableRow(set, L"only");
    report.SetVerticalRules(0);
    report.SetColumnAlignment(0, kAlignRight);
    report.SetColumnAlignment(1, kAlignCentre);
    report.PrintTableRow(set, L"right|centre");
    const int right = report.Context().GetTextExtent(L"right", 5).cx;
    const int centre = report.Context().GetTextExtent(L"centre", 6).cx;
    emf.Read();
    ASSERT_EQ(5u, emf.texts.size());
    // Not left-aligned: the first cell moves by a quarter of the padding too.
    EXPECT_EQ(100 + 1000 - right + 50 / 4, emf.texts[3].reference.x);
    EXPECT_EQ(100 + 1000 + (2000 - centre) / 2 + 50, emf.texts[4].reference.x);
    EXPECT_EQ(L"first", emf.texts[0].text);
    EXPECT_EQ(100 + 50 / 4, emf.texts[0].reference.x);   // vertical rules: a quarter padding
    EXPECT_EQ(L"second", emf.texts[1].text);
    EXPECT_EQ(100 + 1000 + 50, emf.texts[1].reference.x);
    EXPECT_GT(emf.texts[2].reference.y, emf.texts[0].reference.y);
    // Three column borders and two rules per row, then two rules only.
    EXPECT_EQ(12u, emf.lines.size());
    ASSERT_FALSE(emf.pens.empty());
    EXPECT_EQ(3, emf.pens.back().width);
}

TEST(ReportPrinter, OpeningAnUnknownPrinterAndStartingAPageOffAPrinterFail)
{
    CReportPrinter report;
    EXPECT_EQ(-1, report.Open(L"No Such Printer"));
    EXPECT_EQ(kErrorOpenPrinter, report.GetError());
    // Without a context no page starts (Wine starts pages on memory contexts).
    CReportPrinter closed;
    EXPECT_EQ(-1, closed.StartPage());
    EXPECT_EQ(kErrorStartPage, closed.GetError());
}

TEST(ReportPrinter, OpensThePrinterChosenInThePrintDialog)
{
    AfxTestClearRecord();
    AfxTestSetScript(L"print cancel; print copies 3");
    CReportPrinter report;
    EXPECT_EQ(-1, report.Open(nullptr));
    ASSERT_EQ(0, report.Open(nullptr));
    EXPECT_EQ(3, report.Copies());
    HDC dc = report.Context().m_hDC;
    EXPECT_EQ(600, GetDeviceCaps(dc, LOGPIXELSY));
    // Printing to a file is not offered: "print|caption|text|0xFLAGS".
    const std::wstring record = static_cast<LPCWSTR>(AfxTestGetRecord());
    const size_t at = record.find(L"print|");
    ASSERT_NE(std::wstring::npos, at) << record;
    const size_t flagsAt = record.find(L"|0x", at);
    ASSERT_NE(std::wstring::npos, flagsAt) << record;
    const unsigned long flags = wcstoul(record.c_str() + flagsAt + 1, nullptr, 16);
    EXPECT_TRUE(flags & PD_DISABLEPRINTTOFILE) << record;
    report.EndDocument();
    EXPECT_EQ(0u, GetObjectType(dc));
    AfxTestSetScript(L"");
}

TEST(ReportPrinter, PicturesFromResourcesAndFilesAreAlignedAndTakeTheirSpace)
{
    EmfRecorder emf;
    CReportPrinter report;
    report.AttachContext(emf.dc().m_hDC);
    report.SetMargins(0, 0, 100, 200);
    EXPECT_EQ(1, report.PrintBitmapResource(101, kAlignRight, nullptr));
    EXPECT_EQ(16, report.CurrentY());
    const SIZE size = {320, 160};
    EXPECT_EQ(1, report.PrintBitmapResource(101, kAlignLeft, &size));
    EXPECT_EQ(1, report.PrintBitmapResource(101, kAlignCentre, &size));
    EXPECT_EQ(0, report.PrintBitmapResource(999, kAlignLeft, &size));
    EXPECT_EQ(16 + 160 + 160, report.CurrentY());
    emf.Read();
    ASSERT_EQ(3u, emf.stretches.size());
    EXPECT_EQ(kWidth - 200 - 16, emf.stretches[0].x);
    EXPECT_EQ(0, emf.stretches[0].y);
    EXPECT_EQ(16, emf.stretches[0].width);
    EXPECT_EQ(100, emf.stretches[1].x);
    EXPECT_EQ(16, emf.stretches[1].y);
    EXPECT_EQ(320, emf.stretches[1].width);
    EXPECT_EQ(16, emf.stretches[1].srcWidth);
    EXPECT_EQ((kWidth - 320) / 2, emf.stretches[2].x);
}

TEST(ReportPrinter, TableSettingsResetSaveAndRestore)
{
    EmfRecorder emf;
    CReportPrinter report;
    report.AttachContext(emf.dc().m_hDC);
    const int set = report.AddFontSet(L"Courier New", 10, 10);
    report.SetColumns({500, 500}, FALSE);
    report.SetCellPadding(80);
    report.SaveTable();
    report.SetCellPadding(0);
    // New columns are also the saved copy.
    report.SetColumns({900, 100}, FALSE);
    report.RestoreTable();
    EXPECT_EQ((std::vector<int>{900, 100}), report.ColumnWidths());
    report.PrintTableRow(set, L"a|b");
    report.ResetTable();   // padding 50 again
    report.PrintTableRow(set, L"a|b");
    emf.Read();
    ASSERT_EQ(4u, emf.texts.size());
    EXPECT_EQ(900 + 80, emf.texts[1].reference.x);
    EXPECT_EQ(900 + 50, emf.texts[3].reference.x);
    EXPECT_EQ(0, emf.texts[0].reference.x);   // left-aligned, no rules: no padding
}

namespace {

// The printer's port is a Unix file; Wine names it with Z:.
std::wstring PortFile()
{
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(kFilePrinter), &printer, nullptr)) return std::wstring();
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    std::wstring port;
    if (GetPrinterW(printer, 2, buffer.data(), needed, &needed))
        port = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data())->pPortName;
    ClosePrinter(printer);
    if (port.empty() || port[0] != L'/') return std::wstring();
    return L"Z:" + port;
}

std::wstring OutputFolder()
{
    const char* out = getenv("REPORT_OUTPUT");
    if (!out || !*out) return std::wstring();
    std::string folder = std::string("Z:") + out;
    CreateDirectoryA(folder.c_str(), nullptr);
    return std::wstring(folder.begin(), folder.end());
}

// Four 8 x 8 quadrants: red, green / blue, black (rows stored bottom-up).
std::vector<unsigned char> QuadrantBitmap()
{
    BmpFile bmp;
    bmp.width = 16;
    bmp.height = 16;
    std::vector<unsigned char> b = bmp.Build();
    const size_t bits = 14 + 40;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool top = y >= 8, left = x < 8;
            unsigned char* p = &b[bits + size_t(y) * 48 + size_t(x) * 3];
            const COLORREF c = top ? (left ? RGB(255, 0, 0) : RGB(0, 255, 0)) : (left ? RGB(0, 0, 255) : RGB(0, 0, 0));
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    return b;
}

} // namespace

TEST(ReportPrinter, PrintsASampleReportOnTheFilePrinter)
{
    const std::wstring port = PortFile();
    ASSERT_FALSE(port.empty()) << "the file printer FilePS is missing from the prefix (tools/wine-env adds it)";
    DeleteFileW(port.c_str());
    const std::wstring out = OutputFolder();
    if (!out.empty()) {
        DeleteFileW((out + L"/sample.ps").c_str());
        DeleteFileW((out + L"/expected.txt").c_str());
    }
    const std::string picture = WriteTempFile("orvik-report-sample.bmp", QuadrantBitmap());
    const std::wstring pictureW(picture.begin(), picture.end());

    g_calls.clear();
    HDC dc;
    {
        CReportPrinter report;
        ASSERT_EQ(0, report.Open(kFilePrinter, 1));
        dc = report.Context().m_hDC;
        ASSERT_EQ(0, report.StartDocument());
        EXPECT_EQ(kWidth, report.PageWidth());
        report.SetPageCallback(Record);
        ASSERT_EQ(0, report.StartPage());
        report.SetMargins(72, 300, 600, 600);   // one inch at the top
        report.SetLineSpacing(4);
        const int set = report.AddFontSet(L"Courier New", 12, 20);
        report.SetFontStyle(set, 3);
        report.PrintText(set, L"Sample report", kAlignCentre, TRUE, 0);
        EXPECT_EQ((std::vector<Callback>{{1, 1}}), g_calls);
        report.SetFontStyle(set, 0);
        const int ruleY = report.CurrentY();
        report.PrintRule(PS_SOLID, 12, RGB(0, 0, 0));
        const int pictureY = report.CurrentY();
        const SIZE size = {1200, 1200};
        EXPECT_EQ(1, report.PrintBitmapFile(pictureW.c_str(), kAlignLeft, &size));
        EXPECT_EQ(pictureY + 1200, report.CurrentY());
        EXPECT_EQ(0, report.PrintBitmapFile(L"C:\\no such picture.bmp", kAlignLeft, &size));
        report.SetColumns({1, 1, 1}, TRUE);
        report.SetHorizontalRules(1);
        report.PrintTableRow(set, L"Length|Area|Angle");
        report.PrintTableRow(set, L"12.5 um|40.1 um2|45.0");
        // Enough lines to need a second page; the callbacks come before the
        // line that would pass the bottom margin.
        for (int i = 1; i <= 60; ++i) {
            wchar_t line[64];
            swprintf(line, 64, L"Line %d of the measurement notes", i);
            report.PrintText(set, line, kAlignLeft, TRUE, 0);
        }
        EXPECT_EQ(2, report.PageNumber());
        EXPECT_EQ((std::vector<Callback>{{1, 1}, {1, 0}, {2, 1}}), g_calls);
        report.EndPage();
        report.EndDocument();
        EXPECT_EQ((std::vector<Callback>{{1, 1}, {1, 0}, {2, 1}, {2, 0}}), g_calls);
        // The context it opened is gone.
        EXPECT_EQ(0u, GetObjectType(dc));

        if (!out.empty()) {
            ASSERT_TRUE(CopyFileW(port.c_str(), (out + L"/sample.ps").c_str(), FALSE));
            // Where the checker looks, in device pixels of 600 dpi.
            FILE* f = _wfopen((out + L"/expected.txt").c_str(), L"wb");
            ASSERT_NE(nullptr, f);
            fprintf(f, "rule %d\npicture %d %d %d %d\n", ruleY, 600, pictureY, 1200, 1200);
            fclose(f);
        }
    }
    HANDLE file = CreateFileW(port.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    char head[16] = {};
    DWORD read = 0;
    ReadFile(file, head, 15, &read, nullptr);
    CloseHandle(file);
    EXPECT_EQ(std::string("%!PS-Adobe"), std::string(head, 10));
}
