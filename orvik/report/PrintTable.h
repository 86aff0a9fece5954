// CPrintTableDef (filled by the caller) and CPrintTable (drawn from it by
// CPagePrinter::BeginTable): a ruled grid with a heading band, whose cells
// are filled afterwards with CPagePrinter::PrintTableCell.
#pragma once
#include <windows.h>
#include <string>

class CPagePrinter;
class CPrintTable;
struct PrintState;

struct PrintColumn {
    double width = 0;
    std::string heading;
    int shade = 0;
};

class CPrintTableDef {
public:
    static const int kMaxColumns = 25;
    CPrintTableDef() = default;
    ~CPrintTableDef();
    CPrintTableDef(const CPrintTableDef&) = delete;
    CPrintTableDef& operator=(const CPrintTableDef&) = delete;

    int rowGroup = 0;        // 0: a box per cell; n: a rule every n rows, no boxes
    int inInches = 0;        // top, left, right and the widths are inches
    int equalColumns = 1;
    int headingShade = 0;
    int fontSize = 10;
    int penWidth = 1;
    int columnCount = 2;     // 1 to 25
    int rowCount = 2;
    int outerBorder = 1;
    int columnRules = 1;
    int rowRules = 1;
    int freeLayout = 0;
    int noHeadings = 0;
    int headingRows = 1;
    int linesPerRow = 1;
    double top = 0;
    double left = 0;
    double right = 0;
    double bottom = 0;       // written by the table, in the definition's unit
    PrintColumn columns[kMaxColumns];
    CPrintTable* table = nullptr;   // owned
};

// The table's geometry in logical units.
struct PrintTableGeometry {
    int top = 0, left = 0, right = 0, bottom = 0;
    int widths[CPrintTableDef::kMaxColumns] = {};
};

// Final: the definition deletes it as what it is (no virtual destructor).
class CPrintTable final {
public:
    CPrintTable(CPagePrinter* printer, CPrintTableDef* def);
    virtual void Draw();
    virtual void PrintCell(const char* text, int row, int column, int size, int flags);
    virtual void PrintFreeCell(const char* text, int row, int column, int size, int flags);
    virtual void DrawHeadings();
    virtual void DrawOuterFrame();
    virtual void DrawRowLines();
    virtual void DrawColumnLines();
    virtual int RowHeight(int dataRow);
    virtual void DrawCell(int row, int column);

    const PrintTableGeometry& Geometry() const { return m_geometry; }

private:
    int Band();
    int ColumnStart(int column) const;
    RECT CellRect(int row, int column);
    void CellText(const char* text, int row, int column, int size, int flags, int inset);

    PrintState* m_state;
    CPrintTableDef* m_def;
    CPagePrinter* m_printer;
    PrintTableGeometry m_geometry;
};
