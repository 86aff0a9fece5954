// One table kept in memory and written to a worksheet of an Excel workbook
// (through ODBC) or to a delimited text file.
#pragma once

#include <AfxCore.h>

class CDatabase;

class CSpreadSheet {
public:
    // A file name ending in ".xls" opens the worksheet named by the second
    // argument; any other name is a text file whose field separator it is.
    CSpreadSheet(CString File, CString SheetOrSeparator, bool Backup = true);
    ~CSpreadSheet();
    CSpreadSheet(const CSpreadSheet&) = delete;
    CSpreadSheet& operator=(const CSpreadSheet&) = delete;

    bool AddHeaders(CStringArray& FieldNames, bool replace = false);
    bool DeleteSheet();
    // Row 1 is the header row; row 0 appends after the last row.
    bool AddRow(CStringArray& RowValues, long row = 0, bool replace = false);
    // Row 0 is the current row.
    bool AddCell(CString CellValue, short column, long row = 0);
    bool AddCell(CString CellValue, CString column, long row = 0, bool byLetters = false);

    bool ReadRow(CStringArray& RowValues, long row = 0);
    bool ReadColumn(CStringArray& ColumnValues, short column);
    bool ReadColumn(CStringArray& ColumnValues, CString column, bool byLetters = false);
    bool ReadCell(CString& CellValue, short column, long row = 0);
    bool ReadCell(CString& CellValue, CString column, long row = 0, bool byLetters = false);

    // Letters "A" to "ZZ" (any case), or the position of a field name; 0 when neither.
    short ColumnIndex(CString name, bool byLetters);

    void BeginTransaction() { m_bTransaction = true; }
    bool Commit();
    bool RollBack();
    bool Convert(CString SheetOrSeparator);
    void CopyFieldNames() { m_aHeader.Copy(m_aFieldNames); }
    short GetTotalColumns() const { return m_dTotalColumns; }
    long GetTotalRows() const { return m_dTotalRows; }
    CString GetLastError() const { return m_sLastError; }

private:
    bool Open();
    bool Loaded();
    bool Connect();
    bool OpenWorkbook();
    bool OpenText();
    void ClearTable();
    CString GetExcelDriver();
    bool Fail(LPCWSTR text);
    bool CommitIfDirect();
    bool SetHeader(CStringArray& FieldNames, bool replace);
    bool ResolveRow(long& row);
    bool CheckColumn(short column);
    void SplitRow(long row, CStringArray& values);
    bool ReplaceRows(CStringArray& NewRowValues, CStringArray& OldRowValues);
    bool Execute(const CString& sql);
    bool DropSheet(const CString& sheet);
    bool WriteSheet(const CString& sheet, bool exists);
    bool ReplaceSheet(const CString& sheet);
    bool WriteText(const CString& path);

    bool m_bAppend;        // the sheet or file was read
    bool m_bBackup;
    bool m_bExcel;
    bool m_bTransaction;
    long m_dCurrentRow;
    long m_dTotalRows;     // the header row counts as row 1
    short m_dTotalColumns;
    CString m_sDsn;
    CString m_sSql;
    CString m_sSheetName;
    CString m_sExcelDriver;
    CString m_sFile;
    CString m_sSeparator;
    CString m_sLastError;
    CStringArray m_aHeader;
    CStringArray m_aFieldNames;
    CStringArray m_aRows;  // data rows (row 2 onwards), each one joined line
    CDatabase* m_Database;
};
