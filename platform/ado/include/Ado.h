// The ADO surface Orvik uses for its preset database, over SQLite. The
// connection string is the Jet one; only its Data Source is read, and that
// file must already exist. Errors are raised as _com_error, whose
// Description() carries the engine's text.
#pragma once

#include <comdef.h>
#include <oledberr.h>

enum CursorTypeEnum {
    adOpenUnspecified = -1,
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3
};

enum LockTypeEnum {
    adLockUnspecified = -1,
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4
};

enum CommandTypeEnum {
    adCmdUnspecified = -1,
    adCmdText = 1
};

enum ObjectStateEnum {
    adStateClosed = 0,
    adStateOpen = 1
};

enum ErrorValueEnum {
    adErrNoCurrentRecord = 3021,
    adErrItemNotFound = 3265,
    adErrObjectClosed = 3704,
    adErrObjectOpen = 3705,
    adErrInvalidConnection = 3709
};

// ADO's own errors come as FACILITY_CONTROL codes.
inline HRESULT AdoErrorHResult(ErrorValueEnum e) {
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, e);
}

// Reference-counted like the COM objects it stands for, so smart pointers
// can be copied and returned freely.
class AdoObject {
public:
    AdoObject() = default;
    AdoObject(const AdoObject&) = delete;
    AdoObject& operator=(const AdoObject&) = delete;
    void AddRef() { ++m_refs; }
    void Release() { if (--m_refs == 0) delete this; }
protected:
    virtual ~AdoObject() = default;
private:
    long m_refs = 0;
};

// The shape of _com_ptr_t: CreateInstance by class id, and a null pointer
// dereferenced through -> raises E_POINTER instead of crashing.
template <class T>
class AdoPtr {
public:
    AdoPtr() = default;
    AdoPtr(decltype(nullptr)) {}
    explicit AdoPtr(T* p) : m_p(p) { if (m_p) m_p->AddRef(); }
    AdoPtr(const AdoPtr& o) : m_p(o.m_p) { if (m_p) m_p->AddRef(); }
    AdoPtr& operator=(const AdoPtr& o) {
        if (o.m_p) o.m_p->AddRef();
        if (m_p) m_p->Release();
        m_p = o.m_p;
        return *this;
    }
    ~AdoPtr() { if (m_p) m_p->Release(); }

    HRESULT CreateInstance(const CLSID& clsid, IUnknown* outer = nullptr,
                           DWORD context = CLSCTX_ALL) {
        (void)context;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (!IsEqualCLSID(clsid, __uuidof(T))) return REGDB_E_CLASSNOTREG;
        *this = AdoPtr(new T);
        return S_OK;
    }
    void Release() { if (m_p) { m_p->Release(); m_p = nullptr; } }

    T* operator->() const {
        if (!m_p) _com_issue_error(E_POINTER);
        return m_p;
    }
    T* GetInterfacePtr() const { return m_p; }
    operator T*() const { return m_p; }

private:
    T* m_p = nullptr;
};

struct sqlite3;
class Connection;
class Recordset;
class Fields;
class Field;
struct AdoResult;

__CRT_UUID_DECL(Connection, 0x00000514, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xaa, 0x00, 0x6d, 0x2e, 0xa4)
__CRT_UUID_DECL(Recordset, 0x00000535, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xaa, 0x00, 0x6d, 0x2e, 0xa4)

typedef AdoPtr<Connection> _ConnectionPtr;
typedef AdoPtr<Recordset> _RecordsetPtr;
typedef AdoPtr<Fields> FieldsPtr;
typedef AdoPtr<Field> FieldPtr;

class Connection : public AdoObject {
public:
    // user, password and options are accepted for the shape; the file has none.
    HRESULT Open(const _bstr_t& connectionString, const _bstr_t& userId,
                 const _bstr_t& password, long options);
    HRESULT Close();
    long GetState() const { return m_db ? adStateOpen : adStateClosed; }
    // Runs one statement to its end. recordsAffected (when given) receives
    // the number of rows changed; the recordset returned is closed.
    _RecordsetPtr Execute(const _bstr_t& commandText, VARIANT* recordsAffected, long options);

private:
    friend class Recordset;
    ~Connection() override;
    sqlite3* m_db = nullptr;
};

// The rows of a query are read in full when it opens (the tables are small),
// so the cursor stays valid whatever the connection does next.
class Recordset : public AdoObject {
public:
    HRESULT Open(const _variant_t& source, Connection* activeConnection,
                 CursorTypeEnum cursorType, LockTypeEnum lockType, long options);
    HRESULT Close();
    long GetState() const { return m_result ? adStateOpen : adStateClosed; }
    VARIANT_BOOL GetadoEOF() const;
    VARIANT_BOOL GetBOF() const;
    HRESULT MoveFirst();
    HRESULT MoveNext();
    // The current row's value of a field, by name (not case-sensitive) or ordinal.
    _variant_t GetCollect(const _variant_t& index) const;
    FieldsPtr GetFields();

private:
    friend class Connection;
    friend class Fields;
    friend class Field;
    ~Recordset() override;
    void RequireOpen() const;
    long ColumnOf(const _variant_t& index) const;
    _variant_t ValueAt(long column) const;
    AdoResult* m_result = nullptr;
    long m_row = 0;
};

class Fields : public AdoObject {
public:
    long GetCount() const;
    FieldPtr GetItem(const _variant_t& index);
private:
    friend class Recordset;
    explicit Fields(Recordset* rs) : m_rs(rs) {}
    _RecordsetPtr m_rs;
};

// Follows the recordset's cursor, as an ADO field does.
class Field : public AdoObject {
public:
    _variant_t GetValue() const;
    _bstr_t GetName() const;
private:
    friend class Fields;
    Field(Recordset* rs, long column) : m_rs(rs), m_column(column) {}
    _RecordsetPtr m_rs;
    long m_column;
};
