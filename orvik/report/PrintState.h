// The page printer's drawing state and its drawing primitive.
#pragma once
#include <AfxWindows.h>
#include <commdlg.h>
#include <string>

// Bits of PrintState::textFlags.
enum PrintTextFlag {
    kPrintBold = 0x0001,
    kPrintItalic = 0x0002,
    kPrintUnderline = 0x0004,
    kPrintStrikeOut = 0x0008,
    kPrintBoxed = 0x0010,
    kPrintDefaultBit = 0x0020,
    kPrintRight = 0x0040,
    kPrintCentre = 0x0080,
    kPrintExpandTabs = 0x0100,
    kPrintSingleLine = 0x0200,
    kPrintNoClip = 0x0400,
    kPrintVCentre = 0x0800,
};

// Bits of PrintState::shade (first set bit wins) and of the line style.
enum PrintShade { kShadeGray = 1, kShadeLightGray = 2, kShadeDarkGray = 4, kShadeBlack = 8 };
enum PrintLineStyle { kLineDot = 1, kLineDash = 2, kLineDashDot = 0x10, kLineDashDotDot = 0x20 };

// "Keep the current value" for flags, shade and line style arguments.
const int kPrintKeep = 0xFFFF;

struct PrintState {
    CDC* context = nullptr;
    int x = 0;           // left edge of the frame, or the column of the next text
    int y = 0;           // top edge of the frame, or the row of the next text
    int right = 0;
    int bottom = 0;
    int fontSize = 10;   // points
    std::string text;    // narrow, as callers pass it
    int textFlags = 0x420;
    int shade = 0;
    int lineStyle = 0;
    std::string faceName = "Times New Roman";
    int pageWidth = 1000;
    int pageHeight = 1000;
    int textRight = 0;   // of the last drawn or measured text
    int textHeight = 10;
    RECT textRect = {0, 0, 0, 0};
    int pageOffset = 0;  // added to every x when drawing
    TEXTMETRICW* metrics = nullptr;
};

// The stock brush of a shade (the hollow brush for none) and the pen styles.
HBRUSH PrintShadeBrush(int shade);
int PrintLinePenStyle(int lineStyle);
int PrintBoxPenStyle(int lineStyle);

// Draws one PrintState on its context.
class CPrintPrimitive {
public:
    CPrintPrimitive() = default;
    virtual ~CPrintPrimitive() = default;
    // Measures the state's text into its frame: text height, right and rectangle.
    virtual void MeasureText(PrintState& state, double factor);
    // Draws the state's text in its frame; returns font size x factor, or
    // twice the font size for an empty text (nothing drawn).
    virtual int DrawText(PrintState& state, double factor);
    // A line from (x, y) to (right, bottom) in the state's line style.
    virtual void Line(PrintState& state, int penWidth);
    // A closed polygon round the frame, filled with the state's shade.
    virtual void Box(PrintState& state, int penWidth);
    // The frame filled with the state's shade, no outline.
    virtual void FillFrame(PrintState& state);

    int m_escapement = 0;   // tenths of a degree, for the next DrawText only
private:
    // The frame in device units; the context is switched to MM_TEXT until
    // the returned SaveDC level is restored.
    RECT BeginDeviceText(PrintState& state, HFONT* font, UINT* format, int* saved);
    void EndDeviceText(PrintState& state, const RECT& measured, HFONT font, int saved);
};

// A caller's narrow text in the context's wide characters (the ANSI code page).
std::wstring PrintWide(const std::string& text);
