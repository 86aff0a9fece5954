// CPagePrinter drawn into metafiles whose reference is the file printer
// (600 dpi): units, the page offset, rows, columns, setters, check boxes and
// the state stack, read back from the metafile's records.
#include "PagePrinter.h"
#include "ReportHarness.h"
#include <gtest/gtest.h>

namespace {

// The application's default printer settings, with a chosen orientation.
struct App {
    explicit App(int orientation = DMORIENT_PORTRAIT) : app(L"OrvikReportTest")
    {
        PRINTDLGW pd = {};
        pd.lStructSize = sizeof pd;
        if (app.GetPrinterDeviceDefaults(&pd) && pd.hDevMode) {
            DEVMODEW* dm = static_cast<DEVMODEW*>(GlobalLock(pd.hDevMode));
            dm->dmOrientation = short(orientation);
            GlobalUnlock(pd.hDevMode);
        }
    }
    CWinApp app;
};

const int kDpi = 600;

} // namespace

TEST(PagePrinter, ConvertsInchesAndUnitsInBothMappingModes)
{
    EmfRecorder text, aniso;
    CPagePrinter page(0, 0, 4800, 6600, &text.dc(), MM_TEXT);
    // An 8.5 x 11 inch page drawn as 1000 x 1000 logical units.
    CPagePrinter scaled(0, 0, int(8.5 * kDpi), 11 * kDpi, &aniso.dc(), MM_ANISOTROPIC);
    struct { CPagePrinter* p; double inches; int axis; int units; } cases[] = {
        {&page, 1.0, kAxisHorizontal, 600}, {&page, 0.5, kAxisVertical, 300}, {&page, 0.0, kAxisHorizontal, 0},
        {&page, -2.0, kAxisVertical, 0},    {&scaled, 1.0, kAxisHorizontal, 117}, {&scaled, 1.0, kAxisVertical, 90},
        {&scaled, -1.0, kAxisVertical, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.units, c.p->InchesToUnits(c.inches, c.axis)) << c.inches << " in, axis " << c.axis;
        if (c.inches > 0 && c.p == &page) {
            EXPECT_DOUBLE_EQ(c.inches, c.p->UnitsToInches(c.units, c.axis));
        }
    }
    EXPECT_DOUBLE_EQ(0.0, page.UnitsToInches(-5, kAxisHorizontal));
    EXPECT_NEAR(1.0, scaled.UnitsToInches(117, kAxisHorizontal), 0.01);
    // Any other mapping mode is taken as MM_TEXT.
    EmfRecorder other;
    CPagePrinter odd(0, 0, 4800, 6600, &other.dc(), MM_LOENGLISH);
    EXPECT_EQ(MM_TEXT, odd.MappingMode());
    EXPECT_EQ(600, odd.InchesToUnits(1.0, kAxisHorizontal));
}

TEST(PagePrinter, CentresAnEightInchColumnOnWiderPages)
{
    struct { int orientation; bool printing; double widthInches; int offset; } cases[] = {
        {DMORIENT_LANDSCAPE, true, 10.8, 0},    // not above 10.9
        {DMORIENT_LANDSCAPE, true, 11.0, 150},  // half of 0.5 in
        {DMORIENT_PORTRAIT, true, 8.5, 150},
        {DMORIENT_PORTRAIT, true, 8.0, 0},      // strictly wider only
        {DMORIENT_LANDSCAPE, false, 8.5, 150},  // not printing: the portrait rule
    };
    for (const auto& c : cases) {
        App app(c.orientation);
        EmfRecorder emf(c.printing);
        CPagePrinter page(0, 0, int(c.widthInches * kDpi), 6000, &emf.dc(), MM_TEXT);
        EXPECT_EQ(c.offset, page.State().pageOffset) << c.widthInches << " in, orientation " << c.orientation;
        page.Printf(100, 0, kPrintSingleLine, 10, "x");
        emf.Read();
        ASSERT_EQ(1u, emf.texts.size());
        EXPECT_EQ(c.offset, emf.texts[0].reference.x) << c.widthInches << " in";
    }
}

TEST(PagePrinter, ReturnsTheNextRowWithTheLineFactorGap)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    EXPECT_DOUBLE_EQ(1.0, page.SetLineFactor(1.5));
    EXPECT_DOUBLE_EQ(1.5, page.SetLineFactor(0));   // only reads
    const int next = page.Printf(200, 300, kPrintSingleLine, 10, "Row %d", 1);
    // 10 pt at 600 dpi is 83 units; half of it, truncated.
    EXPECT_EQ(41, next - page.State().textRect.bottom);
    const int after = page.Printf(next, 300, "Row %d", 2);
    emf.Read();
    ASSERT_EQ(2u, emf.texts.size());
    EXPECT_EQ(L"Row 1", emf.texts[0].text);
    EXPECT_EQ(200, emf.texts[0].reference.y);
    EXPECT_EQ(300, emf.texts[0].reference.x);
    EXPECT_EQ(next, emf.texts[1].reference.y);
    EXPECT_GT(after, next);
    // The inch form answers in inches.
    EmfRecorder emf2;
    CPagePrinter inches(0, 0, 4800, 6600, &emf2.dc(), MM_TEXT);
    const double row = inches.Printf(1.0, 1.0, kPrintSingleLine, 10, "x");
    EXPECT_NEAR(inches.UnitsToInches(inches.State().textRect.bottom, kAxisVertical), row, 1e-9);
}

TEST(PagePrinter, ColumnMinusOneContinuesAfterTheLastPageText)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    page.Printf(100, 300, kPrintSingleLine, 12, "Hello");
    const int helloRight = page.State().textRight;
    // A rectangle form draws and pops: the next -1 column is unchanged, but
    // GetColumn answers that text's right edge.
    page.PrintInRect(1000, 2000, 1200, 4000, kPrintSingleLine, 12, "Boxed away");
    const double rectRight = page.GetColumn(FALSE, FALSE);
    EXPECT_GT(rectRight, 2000.0);
    EXPECT_EQ(helloRight, page.State().textRight);
    page.Printf(100, -1, "World");
    emf.Read();
    ASSERT_EQ(3u, emf.texts.size());
    EXPECT_EQ(L"World", emf.texts[2].text);
    EXPECT_EQ(helloRight, emf.texts[2].reference.x);
    EXPECT_EQ(2000, emf.texts[1].reference.x);

    // PrintfContinue hands back the column for the next piece of the line.
    EmfRecorder emf2;
    CPagePrinter line(0, 0, 4800, 6600, &emf2.dc(), MM_TEXT);
    int column = 600;
    line.PrintfContinue(100, &column, kPrintSingleLine, 10, "%s", "first ");
    const int afterFirst = column;
    line.PrintfContinue(100, &column, kPrintSingleLine, 10, "%s", "second");
    emf2.Read();
    ASSERT_EQ(2u, emf2.texts.size());
    EXPECT_EQ(afterFirst, emf2.texts[1].reference.x);
    EXPECT_GT(column, afterFirst);
}

TEST(PagePrinter, FrameSettersRestoreReadAndStore)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    EXPECT_EQ(4800, page.SetWidth(3000));
    EXPECT_EQ(3000, page.SetWidth(0));        // reads
    EXPECT_EQ(3000, page.SetWidth(-1));       // restores the page width
    EXPECT_EQ(4800, page.State().right);
    EXPECT_EQ(6600, page.SetHeight(1200));
    EXPECT_EQ(1200, page.SetHeight(-1));
    EXPECT_EQ(6600, page.State().bottom);
    EXPECT_DOUBLE_EQ(11.0, page.SetHeight(2.0));
    EXPECT_EQ(1200, page.State().bottom);
    EXPECT_DOUBLE_EQ(2.0, page.SetHeight(-1.0));
    EXPECT_EQ(10, page.SetFontSize(14));
    EXPECT_EQ(14, page.SetFontSize(0));
    // Texts beyond the frame draw nothing.
    page.SetWidth(1000);
    EXPECT_EQ(0, page.Printf(0, 1500, "%s", "outside"));
    emf.Read();
    EXPECT_TRUE(emf.texts.empty());
}

TEST(PagePrinter, EmptyTextDrawsNothingAndKeepFlagsKeep)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    page.SetFontSize(12);
    EXPECT_EQ(24, page.Primitive().DrawText(page.State(), 1.0));   // no text yet
    page.State().y = 700;
    EXPECT_EQ(700, page.PrintText("", 100, kPrintKeep, 0));
    EXPECT_EQ(0x420, page.State().textFlags);
    page.PrintText("bold", 100, kPrintBold | kPrintSingleLine, 0);
    page.PrintText("still bold", 100, kPrintKeep, 0);
    EXPECT_EQ(kPrintBold | kPrintSingleLine, page.State().textFlags);
    emf.Read();
    ASSERT_EQ(2u, emf.texts.size());
}

TEST(PagePrinter, CheckBoxesDrawBoxDiagonalsOrFillAndPrintTheLabelAsText)
{
    struct { BOOL checked; int fill; size_t polygons; size_t lines; } cases[] = {
        {FALSE, 0, 1, 0}, {TRUE, 0, 1, 2}, {TRUE, kShadeBlack, 2, 0},
    };
    for (const auto& c : cases) {
        EmfRecorder emf;
        CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
        // A box of 12 pt is 100 units; the label stands two boxes right.
        page.PrintCheckBox("50% done %s %n", c.checked, 600, 1200, 12, FALSE, 2, c.fill, kPrintSingleLine);
        emf.Read();
        ASSERT_EQ(1u, emf.texts.size());
        EXPECT_EQ(L"50% done %s %n", emf.texts[0].text);
        EXPECT_EQ(1400, emf.texts[0].reference.x);
        ASSERT_EQ(c.polygons, emf.polygons.size()) << "checked " << c.checked << " fill " << c.fill;
        const std::vector<POINT>& box = emf.polygons[0];
        ASSERT_EQ(4u, box.size());
        EXPECT_EQ(1200, box[0].x);
        EXPECT_EQ(600, box[0].y);
        EXPECT_EQ(1300, box[2].x);
        EXPECT_EQ(700, box[2].y);
        ASSERT_EQ(c.lines, emf.lines.size());
        if (c.lines == 2) {
            EXPECT_EQ(1200, emf.lines[0].from.x);
            EXPECT_EQ(700, emf.lines[0].to.y);
            EXPECT_EQ(1300, emf.lines[1].from.x);
            EXPECT_EQ(1200, emf.lines[1].to.x);
        }
    }
    // Label first: the box starts after the label and the widest character.
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    page.PrintCheckBox("Label", TRUE, 600, 1200, 12, TRUE, 1, 0, kPrintSingleLine);
    emf.Read();
    ASSERT_EQ(1u, emf.polygons.size());
    EXPECT_GT(emf.polygons[0][0].x, emf.texts[0].reference.x + 100);
}

TEST(PagePrinter, LinesAndBoxesUseTheStyleAndThePageOffsetAndDoNotLast)
{
    App app;
    EmfRecorder emf;
    CPagePrinter page(0, 0, int(8.5 * kDpi), 6600, &emf.dc(), MM_TEXT);   // offset 150
    page.PrintLine(100, 200, 100, 900, 3, kLineDash);
    page.PrintBox(1000, 200, 1400, 900, 2, kShadeGray, kLineDot);
    EXPECT_EQ(0, page.State().lineStyle);
    EXPECT_EQ(0, page.State().shade);
    emf.Read();
    ASSERT_EQ(1u, emf.lines.size());
    EXPECT_EQ(350, emf.lines[0].from.x);
    EXPECT_EQ(1050, emf.lines[0].to.x);
    ASSERT_EQ(1u, emf.polygons.size());
    EXPECT_EQ(350, emf.polygons[0][0].x);
    EXPECT_EQ(1400, emf.polygons[0][2].y);
    ASSERT_GE(emf.pens.size(), 2u);
    EXPECT_EQ(PS_DASH, emf.pens[0].style);
    EXPECT_EQ(3, emf.pens[0].width);
    EXPECT_EQ(PS_DOT, emf.pens[1].style);
}

TEST(PagePrinter, StateStackRefusesAnEleventhLevelAndOperationsStillRestore)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    for (int i = 0; i < CPagePrinter::kStackDepth; ++i) {
        page.SetFontSize(10 + i);
        EXPECT_TRUE(page.PushState()) << i;
    }
    page.SetFontSize(40);
    EXPECT_FALSE(page.PushState());
    EXPECT_EQ(10, page.StackDepth());
    // At full depth the drawing operations still keep the state.
    page.PrintBox(100, 100, 200, 200, 1, kShadeBlack, kLineDash);
    page.PrintInRect(300, 100, 500, 900, kPrintBold, 20, "deep");
    EXPECT_EQ(40, page.State().fontSize);
    page.PopState();   // the refused push: nothing to take back
    EXPECT_EQ(40, page.State().fontSize);
    page.PopState();
    EXPECT_EQ(19, page.State().fontSize);
    for (int i = 0; i < 20; ++i) page.PopState();
    EXPECT_EQ(0, page.StackDepth());
    EXPECT_EQ(10, page.State().fontSize);
}

TEST(PagePrinter, FormattedTextIsBoundedAndFaceNamesAreCut)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    const std::string longText(5000, 'w');
    page.Printf(100, 0, kPrintSingleLine | kPrintNoClip, 6, "%s%s", longText.c_str(), longText.c_str());
    const std::string face(80, 'F');
    EXPECT_STREQ("Times New Roman", page.SetFontName(face.c_str()));
    EXPECT_EQ(std::string(31, 'F'), page.State().faceName);
    EXPECT_EQ(std::string(31, 'F'), page.SetFontName(nullptr));
    emf.Read();
    ASSERT_EQ(1u, emf.texts.size());
    EXPECT_EQ(1023u, emf.texts[0].text.size());
}

TEST(PagePrinter, ValueFormatterAndItsAbsence)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    EXPECT_EQ(0, page.PrintValue(100, 100, 42L));
    page.SetValueFormatter([](long v) -> const char* { return v == 42 ? "forty-two" : "other"; });
    EXPECT_GT(page.PrintValue(100, 100, 42L), 100);
    page.PrintValueInRect(500, 100, 700, 2000, kPrintSingleLine, 10, 7L);
    emf.Read();
    ASSERT_EQ(2u, emf.texts.size());
    EXPECT_EQ(L"forty-two", emf.texts[0].text);
    EXPECT_EQ(L"other", emf.texts[1].text);
}

TEST(PagePrinter, BoxedTextOnDarkShadesTurnsWhiteOnATransparentBackground)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    page.State().shade = kShadeBlack;
    page.PrintInRect(100, 100, 300, 1000, kPrintBoxed | kPrintSingleLine, 10, "white");
    emf.Read();
    ASSERT_EQ(1u, emf.rectangles.size());
    EXPECT_EQ(100, emf.rectangles[0].left);
    EXPECT_EQ(300, emf.rectangles[0].bottom);
    bool white = false;
    for (COLORREF c : emf.textColours) white |= c == RGB(255, 255, 255);
    EXPECT_TRUE(white);
}

TEST(PagePrinter, DefaultPrinterSettingsAndTheirAbsence)
{
    EmfRecorder emf;
    {
        // No application settings: nothing to read, nothing changed.
        EXPECT_EQ(0, CPagePrinter::GetDefaultOrientation(&emf.dc()));
        EXPECT_EQ(0, CPagePrinter::SetPrinterOrientation(&emf.dc(), DMORIENT_LANDSCAPE));
        EXPECT_EQ("", CPagePrinter::GetDefaultPrinterName());
    }
    App app(DMORIENT_LANDSCAPE);
    EXPECT_EQ("FilePS", CPagePrinter::GetDefaultPrinterName());
    EXPECT_EQ(DMORIENT_LANDSCAPE, CPagePrinter::GetDefaultOrientation(&emf.dc()));
    EmfRecorder preview(false);
    EXPECT_EQ(0, CPagePrinter::GetDefaultOrientation(&preview.dc()));
    EXPECT_EQ(0, CPagePrinter::SetPrinterOrientation(&emf.dc(), 3));
    // A real printer context turns to landscape.
    CDC printer;
    printer.Attach(CreateFilePrinterDC());
    printer.m_bPrinting = TRUE;
    const int portraitWidth = printer.GetDeviceCaps(HORZRES);
    EXPECT_EQ(1, CPagePrinter::SetPrinterOrientation(&printer, DMORIENT_LANDSCAPE));
    EXPECT_GT(printer.GetDeviceCaps(HORZRES), portraitWidth);
}

TEST(PagePrinter, AnisotropicTextIsPlacedInDeviceUnits)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, int(8.5 * kDpi), 11 * kDpi, &emf.dc(), MM_ANISOTROPIC);
    page.Printf(500, 500, kPrintSingleLine, 10, "middle");
    emf.Read();
    ASSERT_EQ(1u, emf.texts.size());
    // 500 of 1000 units, plus the offset of a page wider than 8 inches
    // (29 units), in 5100 x 6600 device pixels.
    EXPECT_NEAR(2698, emf.texts[0].reference.x, 2);
    EXPECT_NEAR(3300, emf.texts[0].reference.y, 2);
}

TEST(PagePrinter, RotatedTextTurnsOneTextOnly)
{
    EmfRecorder emf;
    CPagePrinter page(0, 0, 4800, 6600, &emf.dc(), MM_TEXT);
    page.SetFontName("Arial");
    // Outside the frame: rotated text has no frame test.
    page.SetWidth(1000);
    page.PrintRotatedText(100, 2000, 2000, 2200, kPrintSingleLine | kPrintNoClip, 10, "up", 900);
    page.PrintInRect(100, 100, 300, 900, kPrintSingleLine, 10, "level");
    emf.Read();
    ASSERT_EQ(2u, emf.texts.size());
    EXPECT_EQ(L"up", emf.texts[0].text);
    EXPECT_EQ((std::vector<int>{900, 0}), emf.fontEscapements);
    EXPECT_EQ(L"Arial", emf.fontFaces[0]);
}
