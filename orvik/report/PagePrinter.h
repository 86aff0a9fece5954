// CPagePrinter: lays out a printed page on any device context (a printer or
// a preview): positioned text, text in rectangles, lines, boxes, check boxes,
// shaded regions, tables and bitmap files. Positions come in two forms:
// ints in logical units and doubles in inches. Texts are narrow strings.
// The caller owns the context and its document and page cycle.
#pragma once
#include "PrintState.h"
#include <memory>
#include <vector>

class CPrintRegion;
class CPrintTableDef;

// Turns one 32-bit value into a narrow text that the formatter owns.
typedef const char* (*PrintValueFormatter)(long value);

// The axes of the unit conversions (the values of HORZRES and VERTRES).
enum PrintAxis { kAxisHorizontal = HORZRES, kAxisVertical = VERTRES };

class CPagePrinter {
public:
    static const int kStackDepth = 10;

    CPagePrinter(int originX, int originY, int width, int height, CDC* context, int mappingMode);
    virtual ~CPagePrinter();

    virtual void SetValueFormatter(PrintValueFormatter formatter);
    virtual int PrintText(const char* text, int column, int flags, int size);
    virtual void PrintTableCell(CPrintTableDef* def, int row, int column, int size, int flags, const char* format, ...);
    virtual double PrintValue(CPrintRegion* region, double row, double column, int flags, int size, long value);
    virtual int PrintValue(CPrintRegion* region, int row, int column, int flags, int size, long value);
    virtual double Printf(CPrintRegion* region, double row, double column, int flags, int size, const char* format, ...);
    virtual int Printf(CPrintRegion* region, int row, int column, int flags, int size, const char* format, ...);
    virtual double PrintValue(double row, double column, long value);
    virtual int PrintValue(int row, int column, long value);
    virtual double Printf(double row, double column, const char* format, ...);
    virtual int Printf(int row, int column, const char* format, ...);
    virtual double PrintValue(double row, double column, int flags, int size, long value);
    virtual double PrintfContinue(double row, double* column, int flags, int size, const char* format, ...);
    virtual double Printf(double row, double column, int flags, int size, const char* format, ...);
    virtual int PrintValue(int row, int column, int flags, int size, long value);
    virtual int PrintfContinue(int row, int* column, int flags, int size, const char* format, ...);
    virtual int Printf(int row, int column, int flags, int size, const char* format, ...);
    virtual void PrintValueInRect(CPrintRegion* region, double top, double left, double bottom, double right, int flags,
                                  int size, long value);
    virtual void PrintValueInRect(CPrintRegion* region, int top, int left, int bottom, int right, int flags, int size,
                                  long value);
    virtual void PrintInRect(CPrintRegion* region, double top, double left, double bottom, double right, int flags,
                             int size, const char* text);
    virtual void PrintInRect(CPrintRegion* region, int top, int left, int bottom, int right, int flags, int size,
                             const char* text);
    virtual void PrintValueInRect(double top, double left, double bottom, double right, int flags, int size, long value);
    virtual void PrintValueInRect(int top, int left, int bottom, int right, int flags, int size, long value);
    virtual void PrintInRect(double top, double left, double bottom, double right, int flags, int size, const char* text);
    virtual void PrintInRect(int top, int left, int bottom, int right, int flags, int size, const char* text);
    virtual double SetLineFactor(double factor);
    virtual const char* SetFontName(const char* face);
    virtual double GetColumn(BOOL inInches, BOOL addWidest);
    virtual COLORREF SetTextColour(COLORREF colour);
    virtual int SetFontSize(int points);
    virtual double SetWidth(double right);
    virtual int SetWidth(int right);
    virtual double SetHeight(double bottom);
    virtual int SetHeight(int bottom);
    virtual void PrintLine(CPrintRegion* region, double startRow, double startColumn, double endRow, double endColumn,
                           int penWidth, int lineStyle);
    virtual void PrintLine(CPrintRegion* region, int startRow, int startColumn, int endRow, int endColumn, int penWidth,
                           int lineStyle);
    virtual void PrintLine(double startRow, double startColumn, double endRow, double endColumn, int penWidth,
                           int lineStyle);
    virtual void PrintLine(int startRow, int startColumn, int endRow, int endColumn, int penWidth, int lineStyle);
    virtual void PrintBox(CPrintRegion* region, double top, double left, double bottom, double right, int penWidth,
                          int shade, int lineStyle);
    virtual void PrintBox(CPrintRegion* region, int top, int left, int bottom, int right, int penWidth, int shade,
                          int lineStyle);
    virtual void PrintBox(double top, double left, double bottom, double right, int penWidth, int shade, int lineStyle);
    virtual void PrintBox(int top, int left, int bottom, int right, int penWidth, int shade, int lineStyle);
    virtual void PrintCheckBox(CPrintRegion* region, const char* label, BOOL checked, double row, double column,
                               int size, BOOL labelFirst, int penWidth, int fillShade, int flags);
    virtual void PrintCheckBox(CPrintRegion* region, const char* label, BOOL checked, int row, int column, int size,
                               BOOL labelFirst, int penWidth, int fillShade, int flags);
    virtual void PrintCheckBox(const char* label, BOOL checked, double row, double column, int size, BOOL labelFirst,
                               int penWidth, int fillShade, int flags);
    virtual void PrintCheckBox(const char* label, BOOL checked, int row, int column, int size, BOOL labelFirst,
                               int penWidth, int fillShade, int flags);
    virtual void BeginTable(CPrintTableDef* def);
    virtual CPrintRegion* AddRegion(int top, int left, int bottom, int right, int style);
    virtual CPrintRegion* AddRegion(double top, double left, double bottom, double right, int style);
    virtual void PrintBitmap(double top, double left, double bottom, double right, const char* fileName);
    virtual void PrintBitmap(int top, int left, int bottom, int right, const char* fileName);

    CPrintRegion* AddSubRegion(CPrintRegion* parent, int top, int left, int bottom, int right, int style);
    CPrintRegion* AddSubRegion(CPrintRegion* parent, double top, double left, double bottom, double right, int style);

    // Text in a rectangle at an angle (tenths of a degree), without the
    // frame test of PrintInRect.
    void PrintRotatedText(int top, int left, int bottom, int right, int flags, int size, const char* text,
                          int escapement);
    void PrintRotatedText(double top, double left, double bottom, double right, int flags, int size, const char* text,
                          int escapement);

    int InchesToUnits(double inches, int axis) const;
    double UnitsToInches(int units, int axis) const;
    void InchesToUnits(double* row, double* column, int* rowOut, int* columnOut) const;
    void InchesToUnits(double top, double left, double bottom, double right, int* out) const;

    // FALSE, and nothing stored, when the stack already holds ten states; the
    // matching PopState then leaves the state as it is.
    BOOL PushState();
    void PopState();
    int StackDepth() const { return m_top + 1; }

    // 1 portrait, 2 landscape; 0 when the context is not printing or there
    // are no default printer settings.
    static int GetDefaultOrientation(CDC* context);
    // Returns 0 and changes nothing without default printer settings.
    static int SetPrinterOrientation(CDC* context, int orientation);
    // The default printer's device name; empty without default settings.
    static std::string GetDefaultPrinterName();

    // For the regions and tables.
    PrintState& State() { return m_state; }
    CPrintPrimitive& Primitive() { return m_primitive; }
    int LastTextRight() const { return m_lastTextRight; }
    void SetLastTextRight(int right) { m_lastTextRight = right; }
    int MappingMode() const { return m_mappingMode; }
    int PixelsPerInchY() const { return m_pixelsY; }
    double LineFactor() const { return m_lineFactor; }
    // Draws the state's text with the line factor and keeps its right edge.
    void DrawStateText(double factor);

private:
    int PointText(int row, int column, int flags, int size, const char* text);
    int RowGap() const;
    int FormatText(const char* format, va_list args);
    void InRect(int top, int left, int bottom, int right, int flags, int size, const char* text, bool frameTest);
    const char* FormatValue(long value) const;

    CPrintPrimitive m_primitive;
    PrintState m_state;
    PrintState m_stack[kStackDepth];
    int m_top = -1;
    int m_refusedPushes = 0;
    int m_pixelsX = 0, m_pixelsY = 0;
    int m_lastTextRight = 0;
    TEXTMETRICW m_metrics = {};
    int m_orientation = 0;
    PrintValueFormatter m_formatter = nullptr;
    double m_lineFactor = 1.0;
    double m_pageWidthInches = 0, m_pageHeightInches = 0;
    std::vector<std::unique_ptr<CPrintRegion>> m_regions;
    char m_text[1024] = {};
    std::string m_previousFace;
    int m_mappingMode = MM_TEXT;
};
