#include "SpreadSheet.h"
#include <AfxDb.h>
#include <odbcinst.h>
#include <climits>

namespace {

const wchar_t kWorkbookSeparator[] = L",;.?";
const wchar_t kBackupSheet[] = L"CSpreadSheetBackup";
// A commit over an existing sheet writes the table here first, so a failing
// statement never leaves the workbook without the rows.
const wchar_t kStagingSheet[] = L"CSpreadSheetCommit";

// A value is quoted when reading it back unquoted would change it.
bool NeedsQuotes(const CString& value, const CString& sep) {
    if (value.IsEmpty()) return false;
    return value.Find(sep) >= 0 || value.FindOneOf(L"\"\r\n") >= 0 || value[0] == L' ' ||
           value[value.GetLength() - 1] == L' ';
}

CString JoinValues(const CStringArray& values, const CString& sep) {
    CString line;
    for (INT_PTR i = 0; i < values.GetSize(); ++i) {
        if (i) line += sep;
        CString v = values[i];
        if (NeedsQuotes(v, sep)) {
            v.Replace(L"\"", L"\"\"");
            line += L"\"" + v + L"\"";
        } else {
            line += v;
        }
    }
    return line;
}

// Splits at the separator outside double quotes; "" inside quotes is one quote.
void SplitValues(const CString& line, const CString& sep, CStringArray& out) {
    out.RemoveAll();
    const int n = line.GetLength(), sepLen = sep.GetLength();
    CString value;
    bool quoted = false;
    for (int i = 0; i < n;) {
        wchar_t c = line[i];
        if (quoted) {
            if (c == L'"' && i + 1 < n && line[i + 1] == L'"') {
                value += L'"';
                i += 2;
            } else if (c == L'"') {
                quoted = false;
                ++i;
            } else {
                value += c;
                ++i;
            }
        } else if (c == L'"') {
            quoted = true;
            ++i;
        } else if (sepLen && wcsncmp(static_cast<LPCWSTR>(line) + i, sep, sepLen) == 0) {
            out.Add(value);
            value.Empty();
            i += sepLen;
        } else {
            value += c;
            ++i;
        }
    }
    out.Add(value);
}

// A quoted value may hold line breaks: the line goes on while a quote is open.
bool QuoteOpen(const CString& line) {
    bool open = false;
    for (int i = 0; i < line.GetLength(); ++i)
        if (line[i] == L'"') open = !open;
    return open;
}

CString SqlText(CString value) {
    value.Replace(L"'", L"''");
    return L"'" + value + L"'";
}

CString SqlName(CString name) {
    name.Replace(L"]", L"]]");
    return L"[" + name + L"]";
}

// A connection-string value holding ';' or braces is enclosed in braces.
CString ConnectValue(CString value) {
    if (value.FindOneOf(L";{}") < 0) return value;
    value.Replace(L"}", L"}}");
    return L"{" + value + L"}";
}

bool HasField(const CStringArray& fields, const CString& name) {
    for (INT_PTR i = 0; i < fields.GetSize(); ++i)
        if (fields[i] == name) return true;
    return false;
}

// The first name listed twice, or empty.
CString DuplicateIn(const CStringArray& fields, const CStringArray& others) {
    for (INT_PTR i = 0; i < fields.GetSize(); ++i) {
        if (HasField(others, fields[i])) return fields[i];
        for (INT_PTR j = 0; j < i; ++j)
            if (fields[j] == fields[i]) return fields[i];
    }
    return CString();
}

} // namespace

CSpreadSheet::CSpreadSheet(CString File, CString SheetOrSeparator, bool Backup)
    : m_bAppend(false), m_bBackup(Backup), m_bExcel(false), m_bTransaction(false), m_dCurrentRow(1),
      m_dTotalRows(0), m_dTotalColumns(0), m_sFile(File), m_Database(nullptr) {
    CString ext = File.Right(4);
    ext.MakeLower();
    m_bExcel = ext == L".xls";
    if (m_bExcel) {
        m_sSheetName = SheetOrSeparator;
        m_sSeparator = kWorkbookSeparator;
        m_Database = new CDatabase;
        m_sExcelDriver = GetExcelDriver();
        m_sDsn.Format(L"DRIVER={%s};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"%s\";DBQ=%s",
                      (LPCWSTR)m_sExcelDriver, (LPCWSTR)m_sFile, (LPCWSTR)ConnectValue(m_sFile));
        Open();
        if (m_bAppend && m_bBackup && !ReplaceSheet(kBackupSheet)) m_bBackup = false;
    } else {
        m_sSeparator = SheetOrSeparator.IsEmpty() ? CString(L",") : SheetOrSeparator;
        Open();
        if (m_bAppend && m_bBackup) {
            m_sSql.Format(L"%s.bak", (LPCWSTR)m_sFile);
            if (!WriteText(m_sSql)) m_bBackup = false;
        }
    }
    m_dCurrentRow = 1;
}

CSpreadSheet::~CSpreadSheet() {
    if (m_Database) {
        if (m_Database->IsOpen()) m_Database->Close();
        delete m_Database;
    }
}

bool CSpreadSheet::Fail(LPCWSTR text) {
    m_sLastError = text;
    return false;
}

CString CSpreadSheet::GetExcelDriver() {
    wchar_t buf[2000] = {};
    WORD len = 0;
    if (!SQLGetInstalledDriversW(buf, 2000, &len)) return CString();
    for (LPCWSTR p = buf; *p && p < buf + 2000; p += wcslen(p) + 1)
        if (wcsstr(p, L"Excel")) return p;
    return CString();
}

void CSpreadSheet::ClearTable() {
    m_aFieldNames.RemoveAll();
    m_aRows.RemoveAll();
    m_dTotalRows = 0;
    m_dTotalColumns = 0;
}

bool CSpreadSheet::Open() {
    // What was held is dropped first, so a roll-back never doubles rows.
    ClearTable();
    m_bAppend = false;
    return m_bExcel ? OpenWorkbook() : OpenText();
}

bool CSpreadSheet::Loaded() {
    m_dTotalColumns = static_cast<short>(m_aFieldNames.GetSize());
    m_dTotalRows = m_dTotalColumns ? static_cast<long>(m_aRows.GetSize()) + 1 : 0;
    m_bAppend = true;
    return true;
}

bool CSpreadSheet::Connect() {
    if (m_Database->IsOpen()) return true;
    // An empty driver name makes the driver manager abort the process.
    if (m_sExcelDriver.IsEmpty()) return Fail(L"No Excel ODBC driver is installed\n");
    try {
        m_Database->OpenEx(m_sDsn, CDatabase::noOdbcDialog);
    } catch (CDBException* e) {
        m_sLastError = e->m_strError;
        e->Delete();
        return false;
    }
    return true;
}

bool CSpreadSheet::OpenWorkbook() {
    if (!Connect()) return false;
    CRecordset rs(m_Database);
    m_sSql.Format(L"SELECT * FROM %s", (LPCWSTR)SqlName(m_sSheetName + L"$A1:IV65536"));
    try {
        rs.Open(CRecordset::forwardOnly, m_sSql, CRecordset::readOnly);
        CODBCFieldInfo info;
        for (short i = 0; i < rs.GetODBCFieldCount(); ++i) {
            rs.GetODBCFieldInfo(i, info);
            m_aFieldNames.Add(info.m_strName);
        }
        CStringArray values;
        while (!rs.IsEOF()) {
            values.RemoveAll();
            CString v;
            for (short i = 0; i < rs.GetODBCFieldCount(); ++i) {
                rs.GetFieldValue(i, v);
                values.Add(v);
            }
            m_aRows.Add(JoinValues(values, m_sSeparator));
            rs.MoveNext();
        }
        rs.Close();
    } catch (CDBException* e) {
        e->Delete();
        ClearTable();
        return Fail(L"Error reading row\n");
    }
    return Loaded();
}

bool CSpreadSheet::OpenText() {
    CStdioFile file;
    if (!file.Open(m_sFile, CFile::modeRead | CFile::typeText)) return false;
    try {
        CString line, more;
        while (file.ReadString(line)) {
            while (QuoteOpen(line) && file.ReadString(more)) line += L"\n" + more;
            m_aRows.Add(line);
        }
        file.Close();
        // A file of one empty line holds no header; any other first line is one.
        if (m_aRows.GetSize() == 1 && m_aRows[0].IsEmpty()) m_aRows.RemoveAll();
        if (m_aRows.GetSize()) {
            SplitValues(m_aRows[0], m_sSeparator, m_aFieldNames);
            m_aRows.RemoveAt(0);
        }
    } catch (CException* e) {
        e->Delete();
        ClearTable();
        return Fail(L"Error reading file\n");
    }
    return Loaded();
}

bool CSpreadSheet::CommitIfDirect() { return m_bTransaction || Commit(); }

bool CSpreadSheet::SetHeader(CStringArray& FieldNames, bool replace) {
    if (FieldNames.GetSize() == 0) return Fail(L"Problems with adding headers\n");
    CStringArray none;
    bool fresh = m_dTotalRows == 0;
    CString dup = DuplicateIn(FieldNames, fresh || replace ? none : m_aFieldNames);
    if (!dup.IsEmpty()) {
        m_sLastError.Format(L"Duplicate header row field:%s\n", (LPCWSTR)dup);
        return false;
    }
    if (!fresh && replace && FieldNames.GetSize() < m_aFieldNames.GetSize())
        return Fail(L"Number of columns in new header row cannot be less than the number of columns in previous header row");
    // A worksheet ends at column IV.
    const INT_PTR most = m_bExcel ? 256 : SHRT_MAX;
    if (FieldNames.GetSize() > most) return Fail(L"Problems with adding headers\n");
    if (fresh || replace) {
        m_aFieldNames.Copy(FieldNames);
    } else {
        if (m_aFieldNames.GetSize() + FieldNames.GetSize() > most) return Fail(L"Problems with adding headers\n");
        for (INT_PTR i = 0; i < FieldNames.GetSize(); ++i) m_aFieldNames.Add(FieldNames[i]);
    }
    m_dTotalColumns = static_cast<short>(m_aFieldNames.GetSize());
    if (fresh) m_dTotalRows = 1;
    return CommitIfDirect();
}

bool CSpreadSheet::AddHeaders(CStringArray& FieldNames, bool replace) { return SetHeader(FieldNames, replace); }

bool CSpreadSheet::DeleteSheet() {
    if (m_bExcel) {
        if (!Connect() || !DropSheet(m_sSheetName)) return Fail(L"Error deleting sheet\n");
        ClearTable();
        m_bAppend = false;
        return true;
    }
    ClearTable();
    return CommitIfDirect();
}

bool CSpreadSheet::AddRow(CStringArray& RowValues, long row, bool replace) {
    if (row < 0) return Fail(L"Row number cannot be negative\n");
    if (row == 0) row = m_dTotalRows + 1;
    if (row == 1) return SetHeader(RowValues, replace);
    if (m_dTotalRows == 0) return Fail(L"No header row. Add header row first\n");
    if (RowValues.GetSize() > m_dTotalColumns)
        return Fail(L"Number of columns to be added cannot be greater than the number of fields\n");
    CString line = JoinValues(RowValues, m_sSeparator);
    while (m_dTotalRows + 1 < row) {   // empty rows up to the one asked for
        m_aRows.Add(L"");
        ++m_dTotalRows;
    }
    m_dCurrentRow = row;
    if (replace && row <= m_dTotalRows) {
        CStringArray old;
        SplitRow(row, old);
        m_aRows.SetAt(row - 2, line);
        if (m_bExcel && !m_bTransaction) {
            // One UPDATE serves only when no other row holds the same values.
            const CString oldLine = JoinValues(old, m_sSeparator);
            int same = 0;
            for (INT_PTR i = 0; i < m_aRows.GetSize(); ++i)
                if (i != row - 2 && m_aRows[i] == oldLine) ++same;
            if (same == 0 && m_bAppend) {
                CStringArray padded;
                padded.Copy(RowValues);
                while (padded.GetSize() < m_dTotalColumns) padded.Add(L"");
                while (old.GetSize() < m_dTotalColumns) old.Add(L"");
                return ReplaceRows(padded, old);
            }
        }
        return CommitIfDirect();
    }
    m_aRows.InsertAt(row - 2, line);
    ++m_dTotalRows;
    return CommitIfDirect();
}

bool CSpreadSheet::ResolveRow(long& row) {
    if (row == 0) row = m_dCurrentRow;
    if (row < 0) return Fail(L"Row number cannot be negative\n");
    return true;
}

bool CSpreadSheet::CheckColumn(short column) {
    if (column == 0) return Fail(L"Column cannot be zero\n");
    if (column < 0 || column > m_dTotalColumns)
        return Fail(L"Column number is outside the table\n");
    return true;
}

void CSpreadSheet::SplitRow(long row, CStringArray& values) {
    if (row == 1)
        values.Copy(m_aFieldNames);
    else
        SplitValues(m_aRows[row - 2], m_sSeparator, values);
}

bool CSpreadSheet::AddCell(CString CellValue, short column, long row) {
    if (!ResolveRow(row)) return false;
    if (column == 0) return Fail(L"Column cannot be zero\n");
    if (column < 0 || column > m_dTotalColumns)
        return Fail(L"Cell column to be added cannot be greater than the number of fields\n");
    CStringArray values;
    if (row <= m_dTotalRows) SplitRow(row, values);
    while (values.GetSize() < column) values.Add(L"");
    values.SetAt(column - 1, CellValue);
    if (row == 1) {
        for (INT_PTR i = 0; i < m_aFieldNames.GetSize(); ++i)
            if (i != column - 1 && m_aFieldNames[i] == CellValue) {
                m_sLastError.Format(L"Duplicate header row field:%s\n", (LPCWSTR)CellValue);
                return false;
            }
        m_aFieldNames.SetAt(column - 1, CellValue);
        m_dCurrentRow = 1;
        return CommitIfDirect();
    }
    return AddRow(values, row, row <= m_dTotalRows);
}

bool CSpreadSheet::AddCell(CString CellValue, CString column, long row, bool byLetters) {
    short index = ColumnIndex(column, byLetters);
    if (index == 0) return false;
    return AddCell(CellValue, index, row);
}

bool CSpreadSheet::ReadRow(CStringArray& RowValues, long row) {
    if (!ResolveRow(row)) return false;
    if (row > m_dTotalRows)
        return Fail(L"Desired row is greater than total number of rows in spreadsheet\n");
    SplitRow(row, RowValues);
    m_dCurrentRow = row;
    return true;
}

bool CSpreadSheet::ReadColumn(CStringArray& ColumnValues, short column) {
    if (!CheckColumn(column)) return false;
    ColumnValues.RemoveAll();
    CStringArray values;
    for (long row = 1; row <= m_dTotalRows; ++row) {
        SplitRow(row, values);
        ColumnValues.Add(column <= values.GetSize() ? values[column - 1] : CString());
    }
    return true;
}

bool CSpreadSheet::ReadColumn(CStringArray& ColumnValues, CString column, bool byLetters) {
    short index = ColumnIndex(column, byLetters);
    if (index == 0) return false;
    return ReadColumn(ColumnValues, index);
}

bool CSpreadSheet::ReadCell(CString& CellValue, short column, long row) {
    if (!CheckColumn(column) || !ResolveRow(row)) return false;
    if (row > m_dTotalRows) return Fail(L"Error reading row\n");
    CStringArray values;
    SplitRow(row, values);
    CellValue = column <= values.GetSize() ? values[column - 1] : CString();
    m_dCurrentRow = row;
    return true;
}

bool CSpreadSheet::ReadCell(CString& CellValue, CString column, long row, bool byLetters) {
    short index = ColumnIndex(column, byLetters);
    if (index == 0) return false;
    return ReadCell(CellValue, index, row);
}

short CSpreadSheet::ColumnIndex(CString name, bool byLetters) {
    if (byLetters) {
        name.MakeUpper();
        int n = name.GetLength();
        bool letters = n == 1 || n == 2;
        for (int i = 0; i < n && letters; ++i) letters = name[i] >= L'A' && name[i] <= L'Z';
        if (letters) return static_cast<short>(n == 1 ? name[0] - 64 : (name[0] - 64) * 26 + name[1] - 64);
    } else {
        for (INT_PTR i = 0; i < m_aFieldNames.GetSize(); ++i)
            if (m_aFieldNames[i] == name) return static_cast<short>(i + 1);
    }
    m_sLastError = L"Invalid field name or column alphabet\n";
    return 0;
}

bool CSpreadSheet::RollBack() {
    if (Open()) {
        m_bTransaction = false;
        return true;
    }
    return Fail(L"Error in returning to previous state\n");
}

bool CSpreadSheet::Execute(const CString& sql) {
    m_sSql = sql;
    try {
        m_Database->ExecuteSQL(sql);
    } catch (CDBException* e) {
        m_sLastError = e->m_strError;
        e->Delete();
        return false;
    }
    return true;
}

bool CSpreadSheet::DropSheet(const CString& sheet) {
    CString sql;
    sql.Format(L"DROP TABLE %s", (LPCWSTR)SqlName(sheet + L"$A1:IV65536"));
    return Execute(sql);
}

// Over a sheet that exists (and was just dropped) the table is created in its range.
bool CSpreadSheet::WriteSheet(const CString& sheet, bool exists) {
    CString fields;
    for (INT_PTR i = 0; i < m_aFieldNames.GetSize(); ++i) {
        if (i) fields += L", ";
        fields += SqlName(m_aFieldNames[i]);
    }
    CString sql;
    sql.Format(L"CREATE TABLE %s (", (LPCWSTR)SqlName(exists ? sheet + L"$A1:IV65536" : sheet));
    for (INT_PTR i = 0; i < m_aFieldNames.GetSize(); ++i)
        sql += SqlName(m_aFieldNames[i]) + (i + 1 < m_aFieldNames.GetSize() ? L" char(255), " : L" char(255))");
    if (!Execute(sql)) return false;
    CStringArray values;
    for (long i = 1; i < m_dTotalRows; ++i) {
        SplitRow(i + 1, values);
        while (values.GetSize() < m_dTotalColumns) values.Add(L"");
        CString range;
        range.Format(L"%s$A1:IV%ld", (LPCWSTR)sheet, i);
        sql.Format(L"INSERT INTO %s (%s) VALUES (", (LPCWSTR)SqlName(range), (LPCWSTR)fields);
        for (short c = 0; c < m_dTotalColumns; ++c) sql += SqlText(values[c]) + (c + 1 < m_dTotalColumns ? L", " : L")");
        if (!Execute(sql)) return false;
    }
    return true;
}

// For a sheet of our own that may not be there yet: a failing drop only means it is new.
bool CSpreadSheet::ReplaceSheet(const CString& sheet) {
    CString before = m_sLastError;
    bool existed = DropSheet(sheet);
    m_sLastError = before;
    return WriteSheet(sheet, existed);
}

bool CSpreadSheet::ReplaceRows(CStringArray& NewRowValues, CStringArray& OldRowValues) {
    CString sql;
    sql.Format(L"UPDATE %s SET ", (LPCWSTR)SqlName(m_sSheetName));
    for (short c = 0; c < m_dTotalColumns; ++c)
        sql += SqlName(m_aFieldNames[c]) + L"=" + SqlText(NewRowValues[c]) + (c + 1 < m_dTotalColumns ? L", " : L"");
    sql += L" WHERE (";
    for (short c = 0; c < m_dTotalColumns; ++c)
        sql += SqlName(m_aFieldNames[c]) + L"=" + SqlText(OldRowValues[c]) + (c + 1 < m_dTotalColumns ? L" AND " : L")");
    return Execute(sql);
}

bool CSpreadSheet::WriteText(const CString& path) {
    // The table goes to a new file beside the old one, which it then replaces.
    CString dir = path;
    int slash = dir.ReverseFind(L'\\');
    if (dir.ReverseFind(L'/') > slash) slash = dir.ReverseFind(L'/');
    dir = slash >= 0 ? dir.Left(slash + 1) : CString(L".");
    wchar_t temp[MAX_PATH];
    if (!GetTempFileNameW(dir, L"sht", 0, temp)) return Fail(L"Error writing file\n");
    bool ok = true;
    try {
        CStdioFile file;
        if (!file.Open(temp, CFile::modeCreate | CFile::modeWrite | CFile::typeText)) {
            ok = false;
        } else {
            if (m_dTotalRows > 0) {
                file.WriteString(JoinValues(m_aFieldNames, m_sSeparator) + L"\n");
                for (INT_PTR i = 0; i < m_aRows.GetSize(); ++i) file.WriteString(m_aRows[i] + L"\n");
            }
            file.Close();
        }
    } catch (CException* e) {
        e->Delete();
        ok = false;
    }
    if (ok) ok = MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    if (!ok) {
        DeleteFileW(temp);
        return Fail(L"Error writing file\n");
    }
    return true;
}

bool CSpreadSheet::Commit() {
    m_bTransaction = false;
    if (!m_bExcel) return WriteText(m_sFile);
    if (!Connect()) return false;
    if (m_dTotalColumns == 0) return Fail(L"No header row. Add header row first\n");
    if (m_bAppend) {
        if (!ReplaceSheet(kStagingSheet)) {
            CString why = m_sLastError;
            DropSheet(kStagingSheet);
            m_sLastError = why;
            return false;
        }
        if (!DropSheet(m_sSheetName) || !WriteSheet(m_sSheetName, true)) {
            m_sLastError += L"The table is kept in the sheet CSpreadSheetCommit\n";
            return false;
        }
        DropSheet(kStagingSheet);
    } else if (!WriteSheet(m_sSheetName, false)) {
        return false;
    }
    m_bAppend = true;
    return true;
}

bool CSpreadSheet::Convert(CString SheetOrSeparator) {
    CString name = m_sFile;
    if (name.GetLength() >= 4 && name[name.GetLength() - 4] == L'.') name = name.Left(name.GetLength() - 4);
    name += m_bExcel ? L".csv" : L".xls";
    CSpreadSheet other(name, SheetOrSeparator, false);
    other.ClearTable();
    other.BeginTransaction();
    if (m_dTotalRows > 0) {
        if (!other.AddHeaders(m_aFieldNames)) return Fail(other.GetLastError());
        CStringArray values;
        for (long row = 2; row <= m_dTotalRows; ++row) {
            SplitRow(row, values);
            if (!other.AddRow(values, row)) return Fail(other.GetLastError());
        }
    }
    if (!other.Commit()) return Fail(other.GetLastError());
    return true;
}
