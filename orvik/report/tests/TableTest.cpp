// Regions and tables of CPagePrinter, read back from metafile records.
#include "PagePrinter.h"
#include "PrintRegion.h"
#include "PrintTable.h"
#include "ReportHarness.h"
#include <gtest/gtest.h>
#include <algorithm>

namespace {

// 10 pt at 600 dpi: h = 83.33; heading band 125, data row 125.
const int kRow = 125;

std::vector<int> HorizontalRuleRows(const EmfRecorder& emf)
{
    std::vector<int> rows;
    for (const EmfLine& l : emf.lines)
        if (l.from.y == l.to.y) rows.push_back(l.from.y);
    return rows;
}

} // namespace

TEST(PrintTable, ColumnWidthsSpanTheTable)
{
    struct { int equal; int count; double left, right; std::vector<double> given; std::vector<int> widths; } cases[] = {
        {0, 2, 100, 800, {300, 300}, {300, 400}},
        {1, 3, 100, 800, {}, {233, 233, 234}},
        {0, 2, 100, 800, {500, 400}, {500, 200}},   // too wide: the last one shrinks
    };
    for (const auto& c : cases) {
        EmfRecorder emf;
        CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
        CPrintTableDef def;
        def.equalColumns = c.equal;
        def.columnCount = c.count;
        def.left = c.left;
        def.right = c.right;
        def.top = 1000;
        for (size_t i = 0; i < c.given.size(); ++i) def.columns[i].width = c.given[i];
        page.BeginTable(&def);
        ASSERT_NE(nullptr, def.table);
        for (int i = 0; i < c.count; ++i) EXPECT_EQ(c.widths[i], def.table->Geometry().widths[i]) << i;
    }
}

TEST(PrintTable, RowGroupsRuleEveryNthRowAndDrawNoCellBoxes)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    CPrintTableDef def;
    def.rowGroup = 2;
    def.rowCount = 5;
    def.top = 1000;
    def.left = 600;
    def.right = 3000;
    page.BeginTable(&def);
    emf.Read();
    // Rules at the top edges of data rows 2 and 4.
    EXPECT_EQ((std::vector<int>{1000 + kRow + kRow, 1000 + kRow + 3 * kRow}), HorizontalRuleRows(emf));
    // The heading band and the outer frame only.
    EXPECT_EQ(2u, emf.polygons.size());
    EXPECT_DOUBLE_EQ(1000 + kRow + 5 * kRow, def.bottom);
    // One column rule, from below the band to the bottom.
    int vertical = 0;
    for (const EmfLine& l : emf.lines)
        if (l.from.x == l.to.x) {
            ++vertical;
            EXPECT_EQ(600 + 1200, l.from.x);
            EXPECT_EQ(1000 + kRow, l.from.y);
            EXPECT_EQ(1000 + 6 * kRow, l.to.y);
        }
    EXPECT_EQ(1, vertical);
    ASSERT_EQ(2u, emf.texts.size());
    EXPECT_EQ(L"Col 1", emf.texts[0].text);
    EXPECT_EQ(L"Col 2", emf.texts[1].text);
}

TEST(PrintTable, WithoutHeadingsEveryCellHasItsBoxAndRulesStartOneRowDown)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    CPrintTableDef def;
    def.noHeadings = 1;
    def.rowCount = 3;
    def.top = 500;
    def.left = 0;
    def.right = 2000;
    def.columns[0].heading = "never shown";
    page.BeginTable(&def);
    EXPECT_EQ(0, def.headingRows);
    emf.Read();
    EXPECT_TRUE(emf.texts.empty());
    EXPECT_EQ((std::vector<int>{500 + kRow, 500 + 2 * kRow, 500 + 3 * kRow}), HorizontalRuleRows(emf));
    // The outer frame and 2 x 3 cells.
    EXPECT_EQ(7u, emf.polygons.size());
}

TEST(PrintTable, CellsAreInsetAndOutOfRangeCellsPrintNothing)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    CPrintTableDef def;
    def.columnCount = 3;
    def.rowCount = 2;
    def.top = 1000;
    def.left = 300;
    def.right = 3300;
    def.columns[1].heading = "Length";
    page.PrintTableCell(&def, 0, 0, 10, 0, "before the table");   // no table yet: nothing
    page.BeginTable(&def);
    page.PrintTableCell(&def, 1, 2, 30, kPrintCentre, "%d um", 125);
    page.PrintTableCell(&def, 2, 0, 10, 0, "row beyond");
    page.PrintTableCell(&def, 0, 3, 10, 0, "column beyond");
    page.PrintTableCell(&def, 0, -1, 10, 0, "negative column");
    emf.Read();
    ASSERT_EQ(4u, emf.texts.size());   // three headings and one cell
    EXPECT_EQ(L"Length", emf.texts[1].text);
    const EmfText& cell = emf.texts[3];
    EXPECT_EQ(L"125 um", cell.text);
    // Column 2 spans 2300..3300, row 1 spans 1250..1375; centred within the
    // 2-unit inset, at the table's 10 pt (the 30 asked for is capped).
    EXPECT_GT(cell.reference.x, 2302);
    EXPECT_LT(cell.bounds.right, 3298);
    EXPECT_GE(cell.bounds.top, 1000 + kRow + kRow + 2);
    EXPECT_LE(cell.bounds.bottom, 1000 + kRow + 2 * kRow - 2);
}

TEST(PrintTable, RefusedDefinitionsAndASecondBeginTable)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    for (int count : {0, -1, 26}) {
        CPrintTableDef def;
        def.columnCount = count;
        def.right = 1000;
        page.BeginTable(&def);
        EXPECT_EQ(nullptr, def.table) << count;
    }
    // Wider than the frame: no table.
    CPrintTableDef wide;
    wide.right = 5000;
    page.BeginTable(&wide);
    EXPECT_EQ(nullptr, wide.table);

    // In inches, twice: the same geometry, the definition still in inches.
    CPrintTableDef def;
    def.inInches = 1;
    def.equalColumns = 0;
    def.top = 1.0;
    def.left = 0.5;
    def.right = 4.5;
    def.columns[0].width = 1.5;
    def.columns[1].width = 2.5;
    page.BeginTable(&def);
    ASSERT_NE(nullptr, def.table);
    const PrintTableGeometry first = def.table->Geometry();
    const double bottom = def.bottom;
    page.BeginTable(&def);
    ASSERT_NE(nullptr, def.table);
    EXPECT_DOUBLE_EQ(4.5, def.right);
    EXPECT_DOUBLE_EQ(1.5, def.columns[0].width);
    EXPECT_EQ(first.left, def.table->Geometry().left);
    EXPECT_EQ(300, def.table->Geometry().left);
    EXPECT_EQ(900, def.table->Geometry().widths[0]);
    EXPECT_EQ(first.widths[1], def.table->Geometry().widths[1]);
    EXPECT_DOUBLE_EQ(bottom, def.bottom);
    EXPECT_NEAR(1.0 + 3 * kRow / 600.0, def.bottom, 0.01);
}

TEST(PrintRegion, AcceptanceLimitsAndSubRegions)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    EXPECT_EQ(nullptr, page.AddRegion(100, 100, 500, 4801, kShadeLightGray));   // beyond the page
    EXPECT_EQ(nullptr, page.AddRegion(-1, 100, 500, 1000, 0));
    page.SetWidth(3000);
    CPrintRegion* region = page.AddRegion(100, 100, 2000, 4000, kShadeLightGray);
    ASSERT_NE(nullptr, region);
    EXPECT_EQ(3000, region->m_right);   // shortened to the frame
    EXPECT_EQ(101, region->m_innerTop);
    EXPECT_EQ(101, region->m_innerLeft);
    CPrintRegion* sub = page.AddSubRegion(region, 50, 60, 500, 5000, 0);
    ASSERT_NE(nullptr, sub);
    EXPECT_EQ(151, sub->m_top);
    EXPECT_EQ(161, sub->m_left);
    EXPECT_EQ(3000, sub->m_right);
    EXPECT_EQ(600, sub->m_bottom);       // bottom + the parent's outer top
    EXPECT_EQ(kShadeLightGray, sub->m_style);
    EXPECT_EQ(nullptr, page.AddSubRegion(nullptr, 0, 0, 10, 10, 0));
    // Text in the region: relative to the inner origin, the row answered
    // relative to it too.
    const int next = page.Printf(region, 20, 30, kPrintSingleLine, 10, "%s", "inside");
    emf.Read();
    ASSERT_EQ(1u, emf.texts.size());
    EXPECT_EQ(131, emf.texts[0].reference.x);
    EXPECT_EQ(121, emf.texts[0].reference.y);
    EXPECT_NEAR(emf.texts[0].bounds.bottom - 101, next, 1);
}

TEST(PrintRegion, TitleBandsAndBorders)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    CPrintRegion* plain = page.AddRegion(100, 100, 1000, 2000, 0);
    ASSERT_NE(nullptr, plain);
    plain->PrintTitle("Plain", 12, 0, 0);
    // Twice 12 pt: 200 units.
    EXPECT_EQ(100 + 200 + 1, plain->m_innerTop);
    CPrintRegion* boxed = page.AddRegion(1100, 100, 2000, 2000, 0);
    ASSERT_NE(nullptr, boxed);
    boxed->PrintTitle("Boxed", 12, kPrintBoxed, kShadeLightGray);
    boxed->DrawBorder();
    emf.Read();
    ASSERT_EQ(2u, emf.texts.size());
    ASSERT_EQ(1u, emf.rectangles.size());
    const RECT band = emf.rectangles[0];
    const int textHeight = emf.texts[1].bounds.bottom - emf.texts[1].bounds.top;
    EXPECT_EQ(band.bottom - band.top, boxed->m_innerTop - 1 - 1100);
    EXPECT_NEAR(textHeight + 10, band.bottom - band.top, 2);
    ASSERT_EQ(1u, emf.polygons.size());
    EXPECT_EQ(1100, emf.polygons[0][0].y);
}

TEST(PrintRegion, TextInShadedRegionsIsTransparentAndWhiteOnDarkStyles)
{
    struct { int style; bool transparent; bool white; } cases[] = {
        {0, false, false}, {kShadeLightGray, true, false}, {kShadeBlack, true, true},
    };
    for (const auto& c : cases) {
        EmfRecorder emf;
        CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
        CPrintRegion* region = page.AddRegion(100, 100, 1000, 2000, c.style);
        ASSERT_NE(nullptr, region);
        page.PrintInRect(region, 10, 10, 200, 1500, kPrintSingleLine, 10, "in the region");
        page.PrintBox(region, 300, 10, 400, 5000, 1, 0, 0);   // the right edge kept in the region
        emf.Read();
        bool transparent = false, white = false;
        for (int m : emf.backgroundModes) transparent |= m == TRANSPARENT;
        for (COLORREF col : emf.textColours) white |= col == RGB(255, 255, 255);
        EXPECT_EQ(c.transparent, transparent) << c.style;
        EXPECT_EQ(c.white, white) << c.style;
        ASSERT_EQ(1u, emf.texts.size());
        EXPECT_EQ(111, emf.texts[0].reference.x);
        ASSERT_EQ(1u, emf.polygons.size());
        EXPECT_EQ(2000, emf.polygons[0][1].x);
        EXPECT_EQ(401, emf.polygons[0][0].y);
    }
}

TEST(PrintTable, ShadedHeadingsGetWhiteTextOnDarkShadesOnly)
{
    struct { int shade; bool white; } cases[] = {{kShadeLightGray, false}, {kShadeDarkGray, true}};
    for (const auto& c : cases) {
        EmfRecorder emf;
        CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
        CPrintTableDef def;
        def.headingShade = c.shade;
        def.columnCount = 1;
        def.rowCount = 1;
        def.right = 1200;
        def.columns[0].heading = "Area";
        page.BeginTable(&def);
        emf.Read();
        bool white = false, transparent = false;
        for (COLORREF col : emf.textColours) white |= col == RGB(255, 255, 255);
        for (int m : emf.backgroundModes) transparent |= m == TRANSPARENT;
        EXPECT_EQ(c.white, white) << c.shade;
        EXPECT_TRUE(transparent) << c.shade;
        ASSERT_EQ(1u, emf.texts.size());
        EXPECT_EQ(L"Area", emf.texts[0].text);
        // Boxed in the band, bold and centred in the column.
        ASSERT_EQ(1u, emf.rectangles.size());
        EXPECT_EQ(kRow, emf.rectangles[0].bottom);
        EXPECT_GT(emf.texts[0].reference.x, 300);
    }
}
