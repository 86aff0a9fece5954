// Database classes of the framework layer over the ODBC API: a connection, a
// forward-only read-only record set and the exception carrying the driver's
// diagnostics. Only what a table reader and writer needs. A static library
// beside the framework's DLL, so only programs that use a database load ODBC.
#pragma once

#include "AfxCore.h"
#include <sql.h>
#include <sqlext.h>
#include <vector>

class CDBException : public CException {
    DECLARE_DYNAMIC(CDBException)
public:
    explicit CDBException(RETCODE nRetCode = SQL_ERROR);
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;
    // Collects the diagnostic records of a handle into m_strError, one a line.
    void BuildErrorString(SQLSMALLINT nHandleType, SQLHANDLE hHandle);
    RETCODE m_nRetCode;
    CString m_strError;
    CString m_strStateNativeOrigin;
};

// Throws a CDBException with the handle's diagnostics when nRetCode is a failure.
void AFXAPI AfxThrowDBException(RETCODE nRetCode, SQLSMALLINT nHandleType, SQLHANDLE hHandle);

class CDatabase : public CObject {
    DECLARE_DYNAMIC(CDatabase)
public:
    enum DbOpenOptions {
        openExclusive = 0x0001, openReadOnly = 0x0002, useCursorLib = 0x0004,
        noOdbcDialog = 0x0008, forceOdbcDialog = 0x0010
    };
    CDatabase();
    ~CDatabase() override;
    // Connects with a full connection string; a failure throws CDBException.
    virtual BOOL OpenEx(LPCWSTR lpszConnectString, DWORD dwOptions = 0);
    virtual BOOL Open(LPCWSTR lpszDSN, BOOL bExclusive = FALSE, BOOL bReadOnly = FALSE,
                      LPCWSTR lpszConnect = L"ODBC;", BOOL bUseCursorLib = TRUE);
    virtual void Close();
    BOOL IsOpen() const { return m_hdbc != SQL_NULL_HDBC; }
    // Runs one statement that returns no rows; a failure throws CDBException.
    void ExecuteSQL(LPCWSTR lpszSQL);
    const CString& GetConnect() const { return m_strConnect; }
    SQLHENV m_henv;
    SQLHDBC m_hdbc;
protected:
    CString m_strConnect;
};

struct CODBCFieldInfo {
    CString m_strName;
    SWORD m_nSQLType;
    UDWORD m_nPrecision;
    SWORD m_nScale;
    SWORD m_nNullability;
};

// Reads every column of a fetched record as text at once, so values may be
// asked for in any order and more than once.
class CRecordset : public CObject {
    DECLARE_DYNAMIC(CRecordset)
public:
    enum OpenType { dynaset, snapshot, forwardOnly, dynamic };
    enum OpenOptions { none = 0x0, readOnly = 0x0004, appendOnly = 0x0008, executeDirect = 0x2000 };
    explicit CRecordset(CDatabase* pDatabase = nullptr);
    ~CRecordset() override;
    // Runs lpszSQL and moves to the first record; a failure throws CDBException.
    virtual BOOL Open(UINT nOpenType = forwardOnly, LPCWSTR lpszSQL = nullptr, DWORD dwOptions = none);
    virtual void Close();
    BOOL IsOpen() const { return m_hstmt != SQL_NULL_HSTMT; }
    BOOL IsEOF() const { return m_bEOF; }
    BOOL IsBOF() const { return m_bBOF; }
    void MoveNext();
    short GetODBCFieldCount() const { return static_cast<short>(m_fields.size()); }
    void GetODBCFieldInfo(short nIndex, CODBCFieldInfo& fieldinfo) const;
    void GetFieldValue(short nIndex, CString& strValue) const;
    void GetFieldValue(LPCWSTR lpszName, CString& strValue) const;
    CDatabase* m_pDatabase;
    SQLHSTMT m_hstmt;
private:
    void Fetch();
    std::vector<CODBCFieldInfo> m_fields;
    std::vector<CString> m_values;
    BOOL m_bEOF;
    BOOL m_bBOF;
};
