#include "Ado.h"

#include <sqlite3.h>
#include <cwchar>
#include <string>
#include <vector>

struct AdoResult {
    std::vector<std::wstring> names;
    std::vector<std::vector<_variant_t>> rows;
};

namespace {

const wchar_t kConnectionSource[] = L"ADODB.Connection";
const wchar_t kRecordsetSource[] = L"ADODB.Recordset";

[[noreturn]] void Raise(HRESULT hr, const wchar_t* source, const std::wstring& description) {
    ICreateErrorInfo* create = nullptr;
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(::CreateErrorInfo(&create))) {
        create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
        create->SetSource(const_cast<LPOLESTR>(source));
        create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
        create->Release();
    }
    // _com_error takes over the reference.
    throw _com_error(hr, info, false);
}

[[noreturn]] void Raise(ErrorValueEnum e, const wchar_t* source) {
    const wchar_t* text = L"";
    switch (e) {
    case adErrNoCurrentRecord:
        text = L"Either BOF or EOF is True, or the current record has been deleted.";
        break;
    case adErrItemNotFound:
        text = L"Item cannot be found in the collection corresponding to the requested name or ordinal.";
        break;
    case adErrObjectClosed: text = L"Operation is not allowed when the object is closed."; break;
    case adErrObjectOpen: text = L"Operation is not allowed when the object is open."; break;
    case adErrInvalidConnection:
        text = L"The connection cannot be used to perform this operation. It is either closed or invalid in this context.";
        break;
    }
    Raise(AdoErrorHResult(e), source, text);
}

std::string ToUtf8(const std::wstring& s) {
    if (s.empty()) return std::string();
    int n = ::WideCharToMultiByte(CP_UTF8, 0, s.data(), (int)s.size(), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, s.data(), (int)s.size(), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring EngineMessage(sqlite3* db) {
    const void* m = sqlite3_errmsg16(db);
    return m ? static_cast<const wchar_t*>(m) : L"";
}

std::wstring Trim(const std::wstring& s) {
    size_t b = s.find_first_not_of(L" \t\r\n");
    if (b == std::wstring::npos) return std::wstring();
    size_t e = s.find_last_not_of(L" \t\r\n");
    return s.substr(b, e - b + 1);
}

// The value of Data Source in a connection string ("key=value;..."), quotes
// removed; empty when it is not there.
std::wstring DataSource(const std::wstring& connection) {
    size_t pos = 0;
    while (pos <= connection.size()) {
        size_t end = connection.find(L';', pos);
        if (end == std::wstring::npos) end = connection.size();
        std::wstring part = connection.substr(pos, end - pos);
        size_t eq = part.find(L'=');
        if (eq != std::wstring::npos && _wcsicmp(Trim(part.substr(0, eq)).c_str(), L"Data Source") == 0) {
            std::wstring value = Trim(part.substr(eq + 1));
            if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0])
                value = value.substr(1, value.size() - 2);
            return value;
        }
        pos = end + 1;
    }
    return std::wstring();
}

class Statement {
public:
    ~Statement() { sqlite3_finalize(m_stmt); }
    sqlite3_stmt* get() const { return m_stmt; }
    sqlite3_stmt** out() { return &m_stmt; }
private:
    sqlite3_stmt* m_stmt = nullptr;
};

// One statement, as the Jet engine takes them: a trailing semicolon is
// allowed, a second statement is not.
void Prepare(sqlite3* db, const std::wstring& sql, Statement& stmt, const wchar_t* source) {
    const void* tail = nullptr;
    if (sqlite3_prepare16_v2(db, sql.c_str(), (int)((sql.size() + 1) * sizeof(wchar_t)), stmt.out(), &tail) != SQLITE_OK)
        Raise(DB_E_ERRORSINCOMMAND, source, EngineMessage(db));
    if (!stmt.get()) Raise(DB_E_ERRORSINCOMMAND, source, L"Invalid SQL statement.");
    for (const wchar_t* p = static_cast<const wchar_t*>(tail); p && *p; ++p)
        if (!iswspace(*p) && *p != L';')
            Raise(DB_E_ERRORSINCOMMAND, source, L"Characters found after end of SQL statement.");
}

_variant_t ColumnValue(sqlite3_stmt* stmt, int i) {
    _variant_t v;
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER: {
        sqlite3_int64 n = sqlite3_column_int64(stmt, i);
        if (n >= INT32_MIN && n <= INT32_MAX) v = _variant_t((long)n);
        else { v.vt = VT_I8; v.llVal = n; }
        break;
    }
    case SQLITE_FLOAT: v = _variant_t(sqlite3_column_double(stmt, i)); break;
    case SQLITE_TEXT: {
        const wchar_t* s = static_cast<const wchar_t*>(sqlite3_column_text16(stmt, i));
        int bytes = sqlite3_column_bytes16(stmt, i);
        BSTR b = ::SysAllocStringLen(s, bytes / sizeof(wchar_t));
        if (!b) _com_issue_error(E_OUTOFMEMORY);
        v.vt = VT_BSTR;
        v.bstrVal = b;
        break;
    }
    case SQLITE_BLOB: {
        int bytes = sqlite3_column_bytes(stmt, i);
        SAFEARRAY* a = ::SafeArrayCreateVector(VT_UI1, 0, bytes);
        if (!a) _com_issue_error(E_OUTOFMEMORY);
        if (bytes > 0) memcpy(a->pvData, sqlite3_column_blob(stmt, i), bytes);
        v.vt = VT_ARRAY | VT_UI1;
        v.parray = a;
        break;
    }
    default: v.vt = VT_NULL; break;
    }
    return v;
}

} // namespace

// --- Connection ---------------------------------------------------------

Connection::~Connection() { sqlite3_close_v2(m_db); }

HRESULT Connection::Open(const _bstr_t& connectionString, const _bstr_t&, const _bstr_t&, long) {
    if (m_db) Raise(adErrObjectOpen, kConnectionSource);
    std::wstring path = DataSource(connectionString.length() ? static_cast<const wchar_t*>(connectionString) : L"");
    if (path.empty()) Raise(E_FAIL, kConnectionSource, L"The connection string names no Data Source.");

    // Never create the file: a missing database is an error for the caller to report.
    // The read-only attribute is checked as such: the engine would open the
    // file for reading only, and every save would fail later.
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        Raise(E_FAIL, kConnectionSource, L"'" + path + L"' is a folder, not a database file.");
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        Raise(E_FAIL, kConnectionSource, L"Cannot open '" + path + L"' for writing; the file is read-only.");
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(ToUtf8(path).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    std::wstring problem;
    if (rc != SQLITE_OK) {
        problem = L"Could not find or open file '" + path + L"'.";
    } else {
        sqlite3_busy_timeout(db, 2000);
        // The header is only read on first use; read it now so that a file
        // that is no database fails here. An empty file would pass as an
        // empty database.
        sqlite3_stmt* stmt = nullptr;
        rc = sqlite3_prepare_v2(db, "PRAGMA page_count", -1, &stmt, nullptr);
        if (rc == SQLITE_OK) rc = sqlite3_step(stmt);
        bool empty = rc == SQLITE_ROW && sqlite3_column_int64(stmt, 0) == 0;
        sqlite3_finalize(stmt);
        if ((rc != SQLITE_ROW && rc != SQLITE_DONE) || empty)
            problem = L"Unrecognized database format '" + path + L"'.";
        else if (sqlite3_db_readonly(db, "main") == 1)
            problem = L"Cannot open '" + path + L"' for writing; the file is read-only.";
    }
    if (!problem.empty()) {
        sqlite3_close_v2(db);
        Raise(E_FAIL, kConnectionSource, problem);
    }
    m_db = db;
    return S_OK;
}

HRESULT Connection::Close() {
    if (!m_db) Raise(adErrObjectClosed, kConnectionSource);
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    return S_OK;
}

_RecordsetPtr Connection::Execute(const _bstr_t& commandText, VARIANT* recordsAffected, long) {
    if (!m_db) Raise(adErrObjectClosed, kConnectionSource);
    Statement stmt;
    Prepare(m_db, commandText.length() ? static_cast<const wchar_t*>(commandText) : L"", stmt, kConnectionSource);
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) Raise(E_FAIL, kConnectionSource, EngineMessage(m_db));
    if (recordsAffected) {
        ::VariantClear(recordsAffected);
        recordsAffected->vt = VT_I4;
        recordsAffected->lVal = sqlite3_changes(m_db);
    }
    _RecordsetPtr rs;
    rs.CreateInstance(__uuidof(Recordset));
    return rs;
}

// --- Recordset ----------------------------------------------------------

Recordset::~Recordset() { delete m_result; }

HRESULT Recordset::Open(const _variant_t& source, Connection* activeConnection,
                        CursorTypeEnum, LockTypeEnum, long options) {
    if (m_result) Raise(adErrObjectOpen, kRecordsetSource);
    if (!activeConnection || !activeConnection->m_db) Raise(adErrInvalidConnection, kRecordsetSource);
    if (options != adCmdText && options != adCmdUnspecified)
        Raise(E_INVALIDARG, kRecordsetSource, L"Only command text is supported.");
    _bstr_t text(source);
    sqlite3* db = activeConnection->m_db;
    Statement stmt;
    Prepare(db, text.length() ? static_cast<const wchar_t*>(text) : L"", stmt, kRecordsetSource);

    AdoResult* result = new AdoResult;
    int columns = sqlite3_column_count(stmt.get());
    for (int i = 0; i < columns; ++i) {
        const void* n = sqlite3_column_name16(stmt.get(), i);
        result->names.push_back(n ? static_cast<const wchar_t*>(n) : L"");
    }
    int rc;
    try {
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
            std::vector<_variant_t> row;
            row.reserve(columns);
            for (int i = 0; i < columns; ++i) row.push_back(ColumnValue(stmt.get(), i));
            result->rows.push_back(std::move(row));
        }
    } catch (...) {
        delete result;
        throw;
    }
    if (rc != SQLITE_DONE) {
        delete result;
        Raise(E_FAIL, kRecordsetSource, EngineMessage(db));
    }
    // A statement that returns no columns leaves the recordset closed.
    if (columns == 0) {
        delete result;
        return S_OK;
    }
    m_result = result;
    m_row = 0;
    return S_OK;
}

HRESULT Recordset::Close() {
    RequireOpen();
    delete m_result;
    m_result = nullptr;
    return S_OK;
}

void Recordset::RequireOpen() const {
    if (!m_result) Raise(adErrObjectClosed, kRecordsetSource);
}

VARIANT_BOOL Recordset::GetadoEOF() const {
    RequireOpen();
    return m_row >= (long)m_result->rows.size() ? VARIANT_TRUE : VARIANT_FALSE;
}

VARIANT_BOOL Recordset::GetBOF() const {
    RequireOpen();
    return m_row < 0 || m_result->rows.empty() ? VARIANT_TRUE : VARIANT_FALSE;
}

HRESULT Recordset::MoveFirst() {
    RequireOpen();
    if (m_result->rows.empty()) Raise(adErrNoCurrentRecord, kRecordsetSource);
    m_row = 0;
    return S_OK;
}

HRESULT Recordset::MoveNext() {
    RequireOpen();
    if (m_row >= (long)m_result->rows.size()) Raise(adErrNoCurrentRecord, kRecordsetSource);
    ++m_row;
    return S_OK;
}

long Recordset::ColumnOf(const _variant_t& index) const {
    RequireOpen();
    long n = (long)m_result->names.size();
    if (index.vt == VT_BSTR) {
        for (long i = 0; i < n; ++i)
            if (_wcsicmp(m_result->names[i].c_str(), index.bstrVal ? index.bstrVal : L"") == 0) return i;
        Raise(adErrItemNotFound, kRecordsetSource);
    }
    long i = 0;
    try {
        i = (long)index;
    } catch (const _com_error&) {
        Raise(adErrItemNotFound, kRecordsetSource);
    }
    if (i < 0 || i >= n) Raise(adErrItemNotFound, kRecordsetSource);
    return i;
}

_variant_t Recordset::ValueAt(long column) const {
    RequireOpen();
    if (m_row < 0 || m_row >= (long)m_result->rows.size()) Raise(adErrNoCurrentRecord, kRecordsetSource);
    const std::vector<_variant_t>& row = m_result->rows[m_row];
    if (column < 0 || column >= (long)row.size()) Raise(adErrItemNotFound, kRecordsetSource);
    return row[column];
}

_variant_t Recordset::GetCollect(const _variant_t& index) const {
    return ValueAt(ColumnOf(index));
}

FieldsPtr Recordset::GetFields() {
    RequireOpen();
    return FieldsPtr(new Fields(this));
}

// --- Fields and Field ---------------------------------------------------

long Fields::GetCount() const {
    m_rs.GetInterfacePtr()->RequireOpen();
    return (long)m_rs.GetInterfacePtr()->m_result->names.size();
}

FieldPtr Fields::GetItem(const _variant_t& index) {
    return FieldPtr(new Field(m_rs, m_rs->ColumnOf(index)));
}

_variant_t Field::GetValue() const {
    return m_rs.GetInterfacePtr()->ValueAt(m_column);
}

_bstr_t Field::GetName() const {
    const Recordset* rs = m_rs.GetInterfacePtr();
    rs->RequireOpen();
    if (m_column >= (long)rs->m_result->names.size()) Raise(adErrItemNotFound, kRecordsetSource);
    return _bstr_t(rs->m_result->names[m_column].c_str());
}
