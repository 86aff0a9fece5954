// CDatabase, CRecordset and CDBException over the wide ODBC API.
#include "AfxDb.h"

IMPLEMENT_DYNAMIC(CDBException, CException)
IMPLEMENT_DYNAMIC(CDatabase, CObject)
IMPLEMENT_DYNAMIC(CRecordset, CObject)

namespace {

bool Failed(SQLRETURN rc) { return rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO; }

// The diagnostics are read before the caller frees the handle they belong to.
CDBException* MakeException(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle) {
    CDBException* e = new CDBException(rc);
    e->BuildErrorString(type, handle);
    if (e->m_strError.IsEmpty()) e->m_strError.Format(L"ODBC call failed (%d)\n", static_cast<int>(rc));
    return e;
}

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle) {
    if (Failed(rc)) AfxThrowDBException(rc, type, handle);
}

} // namespace

// ---------------------------------------------------------------- CDBException
CDBException::CDBException(RETCODE nRetCode) : m_nRetCode(nRetCode) {}

void CDBException::BuildErrorString(SQLSMALLINT nHandleType, SQLHANDLE hHandle) {
    if (hHandle == SQL_NULL_HANDLE) return;
    for (SQLSMALLINT rec = 1;; ++rec) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR text[SQL_MAX_MESSAGE_LENGTH] = {};
        SQLSMALLINT len = 0;
        SQLRETURN rc = SQLGetDiagRecW(nHandleType, hHandle, rec, state, &native, text,
                                      SQL_MAX_MESSAGE_LENGTH, &len);
        if (Failed(rc)) break;
        m_strError += reinterpret_cast<LPCWSTR>(text);
        m_strError += L"\n";
        CString origin;
        origin.Format(L"State:%s,Native:%ld,Origin:%s\n", reinterpret_cast<LPCWSTR>(state),
                      static_cast<long>(native), reinterpret_cast<LPCWSTR>(text));
        m_strStateNativeOrigin += origin;
    }
}

BOOL CDBException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    if (lpszError && nMaxError) lstrcpynW(lpszError, m_strError, nMaxError);
    return TRUE;
}

void AFXAPI AfxThrowDBException(RETCODE nRetCode, SQLSMALLINT nHandleType, SQLHANDLE hHandle) {
    throw MakeException(nRetCode, nHandleType, hHandle);
}

// ---------------------------------------------------------------- CDatabase
CDatabase::CDatabase() : m_henv(SQL_NULL_HENV), m_hdbc(SQL_NULL_HDBC) {}

CDatabase::~CDatabase() {
    Close();
    if (m_henv != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, m_henv);
}

BOOL CDatabase::OpenEx(LPCWSTR lpszConnectString, DWORD dwOptions) {
    if (IsOpen()) Close();
    if (m_henv == SQL_NULL_HENV) {
        Check(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_henv), SQL_HANDLE_ENV, SQL_NULL_HANDLE);
        Check(SQLSetEnvAttr(m_henv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
              SQL_HANDLE_ENV, m_henv);
    }
    SQLHDBC hdbc = SQL_NULL_HDBC;
    Check(SQLAllocHandle(SQL_HANDLE_DBC, m_henv, &hdbc), SQL_HANDLE_ENV, m_henv);
    if (dwOptions & openReadOnly)
        SQLSetConnectAttrW(hdbc, SQL_ATTR_ACCESS_MODE, reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);
    CString in = lpszConnectString ? lpszConnectString : L"";
    SQLWCHAR out[1024] = {};
    SQLSMALLINT outLen = 0;
    // No dialog can be shown from here: a missing keyword is the caller's error.
    SQLRETURN rc = SQLDriverConnectW(hdbc, nullptr, reinterpret_cast<SQLWCHAR*>(const_cast<LPWSTR>((LPCWSTR)in)),
                                     SQL_NTS, out, 1024, &outLen, SQL_DRIVER_NOPROMPT);
    if (Failed(rc)) {
        CDBException* e = MakeException(rc, SQL_HANDLE_DBC, hdbc);
        SQLFreeHandle(SQL_HANDLE_DBC, hdbc);
        throw e;
    }
    m_hdbc = hdbc;
    m_strConnect = reinterpret_cast<LPCWSTR>(out);
    return TRUE;
}

BOOL CDatabase::Open(LPCWSTR lpszDSN, BOOL bExclusive, BOOL bReadOnly, LPCWSTR lpszConnect, BOOL) {
    CString connect = lpszConnect ? lpszConnect : L"";
    if (connect.Left(5).CompareNoCase(L"ODBC;") == 0) connect = connect.Mid(5);
    if (lpszDSN && *lpszDSN) {
        CString dsn;
        dsn.Format(L"DSN=%s;", lpszDSN);
        connect = dsn + connect;
    }
    return OpenEx(connect, (bExclusive ? openExclusive : 0) | (bReadOnly ? openReadOnly : 0) | noOdbcDialog);
}

void CDatabase::Close() {
    if (m_hdbc == SQL_NULL_HDBC) return;
    SQLDisconnect(m_hdbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_hdbc);
    m_hdbc = SQL_NULL_HDBC;
}

void CDatabase::ExecuteSQL(LPCWSTR lpszSQL) {
    if (!IsOpen()) AfxThrowDBException(SQL_INVALID_HANDLE, SQL_HANDLE_DBC, SQL_NULL_HANDLE);
    SQLHSTMT hstmt = SQL_NULL_HSTMT;
    Check(SQLAllocHandle(SQL_HANDLE_STMT, m_hdbc, &hstmt), SQL_HANDLE_DBC, m_hdbc);
    SQLRETURN rc = SQLExecDirectW(hstmt, reinterpret_cast<SQLWCHAR*>(const_cast<LPWSTR>(lpszSQL)), SQL_NTS);
    if (Failed(rc) && rc != SQL_NO_DATA) {
        CDBException* e = MakeException(rc, SQL_HANDLE_STMT, hstmt);
        SQLFreeHandle(SQL_HANDLE_STMT, hstmt);
        throw e;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, hstmt);
}

// ---------------------------------------------------------------- CRecordset
CRecordset::CRecordset(CDatabase* pDatabase)
    : m_pDatabase(pDatabase), m_hstmt(SQL_NULL_HSTMT), m_bEOF(TRUE), m_bBOF(TRUE) {}

CRecordset::~CRecordset() { Close(); }

BOOL CRecordset::Open(UINT, LPCWSTR lpszSQL, DWORD) {
    Close();
    if (m_pDatabase == nullptr || !m_pDatabase->IsOpen() || lpszSQL == nullptr)
        AfxThrowDBException(SQL_INVALID_HANDLE, SQL_HANDLE_DBC, SQL_NULL_HANDLE);
    SQLHDBC hdbc = m_pDatabase->m_hdbc;
    Check(SQLAllocHandle(SQL_HANDLE_STMT, hdbc, &m_hstmt), SQL_HANDLE_DBC, hdbc);
    try {
        Check(SQLExecDirectW(m_hstmt, reinterpret_cast<SQLWCHAR*>(const_cast<LPWSTR>(lpszSQL)), SQL_NTS),
              SQL_HANDLE_STMT, m_hstmt);
        SQLSMALLINT count = 0;
        Check(SQLNumResultCols(m_hstmt, &count), SQL_HANDLE_STMT, m_hstmt);
        m_fields.resize(count);
        for (SQLSMALLINT i = 0; i < count; ++i) {
            SQLWCHAR name[256] = {};
            SQLSMALLINT nameLen = 0, type = 0, scale = 0, nullable = 0;
            SQLULEN size = 0;
            Check(SQLDescribeColW(m_hstmt, i + 1, name, 256, &nameLen, &type, &size, &scale, &nullable),
                  SQL_HANDLE_STMT, m_hstmt);
            CODBCFieldInfo& f = m_fields[i];
            f.m_strName = reinterpret_cast<LPCWSTR>(name);
            f.m_nSQLType = type;
            f.m_nPrecision = static_cast<UDWORD>(size);
            f.m_nScale = scale;
            f.m_nNullability = nullable;
        }
        m_bBOF = FALSE;
        Fetch();
        m_bBOF = m_bEOF;
    } catch (CDBException*) {
        Close();
        throw;
    }
    return TRUE;
}

void CRecordset::Close() {
    if (m_hstmt != SQL_NULL_HSTMT) {
        SQLFreeHandle(SQL_HANDLE_STMT, m_hstmt);
        m_hstmt = SQL_NULL_HSTMT;
    }
    m_fields.clear();
    m_values.clear();
    m_bEOF = m_bBOF = TRUE;
}

void CRecordset::Fetch() {
    m_values.assign(m_fields.size(), CString());
    SQLRETURN rc = SQLFetch(m_hstmt);
    if (rc == SQL_NO_DATA) {
        m_bEOF = TRUE;
        return;
    }
    Check(rc, SQL_HANDLE_STMT, m_hstmt);
    m_bEOF = FALSE;
    for (size_t i = 0; i < m_fields.size(); ++i) {
        // Long values arrive in pieces; each call hands back the next one.
        CString value;
        for (;;) {
            SQLWCHAR part[1024];
            SQLLEN got = 0;
            rc = SQLGetData(m_hstmt, static_cast<SQLUSMALLINT>(i + 1), SQL_C_WCHAR, part, sizeof part, &got);
            if (rc == SQL_NO_DATA || got == SQL_NULL_DATA) break;
            Check(rc, SQL_HANDLE_STMT, m_hstmt);
            value += reinterpret_cast<LPCWSTR>(part);
            if (rc == SQL_SUCCESS) break;
        }
        m_values[i] = value;
    }
}

void CRecordset::MoveNext() {
    if (m_bEOF || m_hstmt == SQL_NULL_HSTMT) AfxThrowDBException(SQL_ERROR, SQL_HANDLE_STMT, SQL_NULL_HANDLE);
    Fetch();
}

void CRecordset::GetODBCFieldInfo(short nIndex, CODBCFieldInfo& fieldinfo) const {
    if (nIndex < 0 || nIndex >= GetODBCFieldCount())
        AfxThrowDBException(SQL_ERROR, SQL_HANDLE_STMT, SQL_NULL_HANDLE);
    fieldinfo = m_fields[nIndex];
}

void CRecordset::GetFieldValue(short nIndex, CString& strValue) const {
    if (m_bEOF || nIndex < 0 || nIndex >= GetODBCFieldCount())
        AfxThrowDBException(SQL_ERROR, SQL_HANDLE_STMT, SQL_NULL_HANDLE);
    strValue = m_values[nIndex];
}

void CRecordset::GetFieldValue(LPCWSTR lpszName, CString& strValue) const {
    for (short i = 0; i < GetODBCFieldCount(); ++i)
        if (m_fields[i].m_strName.CompareNoCase(lpszName) == 0) return GetFieldValue(i, strValue);
    AfxThrowDBException(SQL_ERROR, SQL_HANDLE_STMT, SQL_NULL_HANDLE);
}
