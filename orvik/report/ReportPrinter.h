// CReportPrinter: prints a text report page by page on a Windows printer:
// word-wrapped and aligned text in font sets, rules, pictures and simple
// tables, breaking pages itself and calling back at every page start and end.
// Margins: top in points, the others in device pixels.
#pragma once
#include <AfxWindows.h>
#include <commdlg.h>
#include <memory>
#include <vector>

class CReportPrinter;
// starting is 1 at a page start, 0 at a page end.
typedef void (*ReportPageCallback)(CReportPrinter* printer, int page, int starting);

enum ReportAlign { kAlignCentre = 0, kAlignLeft = 1, kAlignRight = 2 };
enum ReportError { kErrorNone = 0, kErrorStartPage = 7, kErrorOpenPrinter = 8 };

class CReportPrinter {
public:
    CReportPrinter();
    ~CReportPrinter();
    CReportPrinter(const CReportPrinter&) = delete;
    CReportPrinter& operator=(const CReportPrinter&) = delete;

    // A named printer, or the print dialog without a name: 0, or -1 (error 8
    // when the named printer cannot be opened, or the dialog was cancelled).
    int Open(LPCWSTR printerName, int copies = 1);
    // 0, or -1 when the job cannot be started.
    int StartDocument();
    // Ends the job and deletes the context the class opened.
    void EndDocument();
    void SetOrientation(int orientation);
    void SetPageCallback(ReportPageCallback callback);
    int GetError() const { return m_error; }

    int StartPage();
    void EndPage();
    void NewPage();

    void SetMargins(int top, int bottom, int left, int right);
    void SetLineSpacing(int points) { m_lineSpacing = points; }
    void GetCurrentPosition(int* x, int* y) const;
    COLORREF SetTextColor(COLORREF colour);
    COLORREF GetTextColor() const;

    int AddFontSet(LPCWSTR face, int size1, int size2);
    void SelectFontSet(int index);
    int SelectFirstFontSet();
    int GetFontSet() const { return m_currentSet; }
    void SetFontStyle(int set, int style);

    void PrintText(int set, LPCWSTR text, int align, BOOL advance, int xOffset);
    void PrintBlankLines(int set, int count);
    void PrintBlankLinesCurrentFont(int count);
    void PrintRule(int style);
    void PrintRule(int style, int width, COLORREF colour);
    // size null: the bitmap's own size. 1, or 0 when it cannot be loaded.
    int PrintBitmapResource(UINT resourceId, int align, const SIZE* size);
    int PrintBitmapFile(LPCWSTR fileName, int align, const SIZE* size);

    void SetColumns(const std::vector<int>& widths, BOOL scale);
    void ResetTable();
    void SaveTable();
    void RestoreTable();
    void SetCellPadding(int pixels) { m_table.rules.padding = pixels; }
    void SetHorizontalRules(int on) { m_table.rules.horizontalRules = on; }
    void SetVerticalRules(int on) { m_table.rules.verticalRules = on; }
    void SetRulePenWidth(int width) { m_table.rules.penWidth = width; }
    // A column's alignment (ReportAlign); ResetTable makes every one left.
    void SetColumnAlignment(int column, int align);
    // Cells separated by "|"; cells beyond the columns are ignored.
    void PrintTableRow(int set, LPCWSTR rowText);

    // For the tests and callers that lay out by hand.
    CDC& Context() { return m_dc; }
    int PageNumber() const { return m_pageNumber; }
    int PageWidth() const { return m_pageWidth; }
    int PageHeight() const { return m_pageHeight; }
    int CurrentY() const { return m_currentY; }
    int Copies() const { return m_copies; }
    std::vector<int> ColumnWidths() const;
    // Attaches a context the caller keeps (such as a metafile's).
    void AttachContext(HDC dc);

private:
    struct FontSet {
        CFont fonts[4];
        int inUse = 0;
    };
    struct Column {
        int width = 0;
        int align = kAlignLeft;
    };
    struct TableRules {
        int padding = 50;   // device pixels
        int horizontalRules = 0, verticalRules = 0, penWidth = 0;
    };
    struct TableSettings {
        std::vector<Column> columns;
        std::vector<Column> saved;
        TableRules rules, savedRules;
        int flag = 0;
    };

    int TopMarginPixels() const;
    int SpacingPixels() const;
    void BeginFirstPage();
    void BreakPageIfNeeded(int height);
    void ReadPageSize();
    int PrintBitmap(HBITMAP bitmap, int align, const SIZE* size);
    void ReleaseContext();

    int m_copies = 1;
    int m_pageWidth = 0;
    int m_pageHeight = 0;
    int m_leftMargin = 0;
    int m_topMargin = 0;
    int m_rightMargin = 0;
    int m_bottomMargin = 0;
    int m_currentY = 0;
    int m_callbackSet = 0;
    int m_lineSpacing = 0;
    int m_pageNumber = 0;
    int m_inPageBreak = 0;
    std::vector<std::unique_ptr<FontSet>> m_fonts;
    int m_currentSet = -1;
    TableSettings m_table;
    CDC m_dc;
    int m_contextOwned = 0;
    int m_error = kErrorNone;
    ReportPageCallback m_callback = nullptr;
};
