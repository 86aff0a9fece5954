// The preset database as Orvik uses it: the shipped data.mdb opened by the Jet
// connection string, the presets' statements, and the failures its callers
// catch as _com_error.
#include "Ado.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L'\\') + 1);
}

// The string Orvik builds from its program folder.
std::wstring JetString(const std::wstring& file) {
    return L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file;
}

std::wstring Shipped() { return ExeFolder() + L"data.mdb"; }

std::string ReadAll(const std::wstring& path) {
    std::ifstream f(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

_ConnectionPtr OpenDb(const std::wstring& file) {
    _ConnectionPtr c;
    EXPECT_EQ(S_OK, c.CreateInstance(__uuidof(Connection), nullptr,
                                     CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER));
    c->Open(JetString(file).c_str(), L"", L"", 0);
    return c;
}

void Exec(const _ConnectionPtr& c, const std::wstring& sql) {
    c->Execute(sql.c_str(), nullptr, adCmdText);
}

// The HRESULT of the _com_error that f raises (S_OK when none).
template <class F>
HRESULT ErrorOf(F f, std::wstring* description = nullptr) {
    try {
        f();
    } catch (_com_error& e) {
        EXPECT_NE(nullptr, e.ErrorMessage());
        if (description) *description = e.Description().length() ? (const wchar_t*)e.Description() : L"";
        return e.Error();
    }
    return S_OK;
}

struct Row {
    long id;
    std::wstring name;
    std::vector<_variant_t> values;
};

// Walks a query the way the preset dialogs do.
std::vector<Row> Query(const _ConnectionPtr& c, const std::wstring& sql, const std::vector<const wchar_t*>& columns) {
    _RecordsetPtr rs;
    EXPECT_EQ(S_OK, rs.CreateInstance(__uuidof(Recordset)));
    rs->Open(sql.c_str(), c, adOpenDynamic, adLockOptimistic, adCmdText);
    std::vector<Row> rows;
    if (!rs->GetadoEOF()) rs->MoveFirst();
    while (!rs->GetadoEOF()) {
        Row r;
        _variant_t id = rs->GetCollect(L"id");
        EXPECT_EQ(VT_I4, id.vt);
        r.id = id;
        _variant_t name = rs->GetFields()->GetItem(L"name")->GetValue();
        EXPECT_EQ(VT_BSTR, name.vt);
        r.name = name.bstrVal;
        for (const wchar_t* col : columns) r.values.push_back(rs->GetFields()->GetItem(col)->GetValue());
        rows.push_back(r);
        rs->MoveNext();
    }
    rs->Close();
    EXPECT_EQ(adStateClosed, rs->GetState());
    return rows;
}

struct Family {
    const wchar_t* table;
    const wchar_t* insert;  // the dialogs' statement, name first, then the columns below
    std::vector<const wchar_t*> columns;
    VARTYPE type;
};

const std::vector<Family>& Families() {
    static const std::vector<Family> f = {
        {L"Params",
         L"insert into Params(name,red,green,blue,globlegain,gamma,saturation) values('%ls',%f,%f,%f,%f,%f,%f)",
         {L"red", L"green", L"blue", L"globlegain", L"gamma", L"saturation"}, VT_R8},
        {L"P8ZParams",
         L"insert into P8ZParams(name,red,green,blue,brightness,saturation,contrast,gamma,exposure, batuowb,bautoexpose) "
         L"values('%ls',%d,%d,%d,%d,%d,%d,%d,%d,%d,%d)",
         {L"red", L"green", L"blue", L"brightness", L"saturation", L"contrast", L"gamma", L"exposure", L"batuowb",
          L"bautoexpose"}, VT_I4},
        {L"R5VParams",
         L"insert into R5VParams(name,red,green,blue,brightness,saturation,contrast,gamma,sharpness,whitebalance,bwhitebalance) "
         L"values('%ls',%d,%d,%d,%d,%d,%d,%d,%d,%d,%d)",
         {L"red", L"green", L"blue", L"brightness", L"saturation", L"contrast", L"gamma", L"sharpness",
          L"whitebalance", L"bwhitebalance"}, VT_I4},
    };
    return f;
}

// The insert statement of a family, with value k + i in its i-th column.
std::wstring InsertSql(const Family& f, const std::wstring& sqlName, int k) {
    wchar_t sql[1024];
    if (f.type == VT_R8)
        swprintf(sql, 1024, f.insert, sqlName.c_str(), k + 0.5, k + 1.0, k + 2.0, k + 3.0, k + 4.0, k + 5.0);
    else
        swprintf(sql, 1024, f.insert, sqlName.c_str(), k, k + 1, k + 2, k + 3, k + 4, k + 5, k + 6, k + 7, k + 8, k + 9);
    return sql;
}

std::wstring ListSql(const Family& f) { return std::wstring(L"SELECT * FROM ") + f.table + L" ORDER BY id ASC"; }

std::wstring FindSql(const Family& f, const std::wstring& sqlName) {
    return std::wstring(L"select * from ") + f.table + L" where name='" + sqlName + L"'";
}

void ExpectValues(const Family& f, const Row& r, int k) {
    ASSERT_EQ(f.columns.size(), r.values.size());
    for (size_t i = 0; i < r.values.size(); ++i) {
        SCOPED_TRACE(f.columns[i]);
        EXPECT_EQ(f.type, r.values[i].vt);
        if (f.type == VT_R8) EXPECT_EQ(k + (i == 0 ? 0.5 : double(i)), (double)r.values[i]);
        else EXPECT_EQ(k + (long)i, (long)r.values[i]);
    }
}

// A copy of the shipped file in a folder of its own, opened as Orvik opens it.
class PresetDb : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        wchar_t name[64];
        swprintf(name, 64, L"ado_test_Größe_%lu_%lu\\", GetCurrentProcessId(), GetTickCount());
        m_folder = std::wstring(tmp) + name;
        ASSERT_TRUE(CreateDirectoryW(m_folder.c_str(), nullptr));
        ASSERT_TRUE(CopyFileW(Shipped().c_str(), File().c_str(), TRUE));
    }
    void TearDown() override {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((m_folder + L"*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::wstring p = m_folder + fd.cFileName;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L"..")) RemoveDirectoryW(p.c_str());
                    continue;
                }
                SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(p.c_str());
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryW(m_folder.c_str());
    }
    std::wstring File() const { return m_folder + L"data.mdb"; }
    std::wstring m_folder;
};

TEST(AdoShipped, OpensBesideTheProgramByTheJetStringWithThreeEmptyTables) {
    std::string before = ReadAll(Shipped());
    ASSERT_FALSE(before.empty());
    _ConnectionPtr c = OpenDb(Shipped());
    EXPECT_EQ(adStateOpen, c->GetState());
    const std::vector<std::vector<const wchar_t*>> names = {
        {L"id", L"name", L"red", L"green", L"blue", L"globlegain", L"gamma", L"saturation"},
        {L"id", L"name", L"red", L"green", L"blue", L"brightness", L"saturation", L"contrast", L"gamma", L"exposure",
         L"batuowb", L"bautoexpose"},
        {L"id", L"name", L"red", L"green", L"blue", L"brightness", L"saturation", L"contrast", L"gamma", L"sharpness",
         L"whitebalance", L"bwhitebalance"}};
    for (size_t t = 0; t < Families().size(); ++t) {
        SCOPED_TRACE(Families()[t].table);
        _RecordsetPtr rs;
        ASSERT_EQ(S_OK, rs.CreateInstance(__uuidof(Recordset)));
        rs->Open(ListSql(Families()[t]).c_str(), c, adOpenDynamic, adLockOptimistic, adCmdText);
        EXPECT_EQ(adStateOpen, rs->GetState());
        EXPECT_TRUE(rs->GetadoEOF());
        EXPECT_TRUE(rs->GetBOF());
        FieldsPtr fields = rs->GetFields();
        ASSERT_EQ((long)names[t].size(), fields->GetCount());
        for (size_t i = 0; i < names[t].size(); ++i)
            EXPECT_STREQ(names[t][i], (const wchar_t*)fields->GetItem((long)i)->GetName());
        rs->Close();
    }
    c->Close();
    EXPECT_EQ(adStateClosed, c->GetState());
    EXPECT_EQ(before, ReadAll(Shipped()));
}

TEST_F(PresetDb, EachTableListsInIdOrderFindsAndDeletesByExactNameAndKeepsRowsOverReopen) {
    _ConnectionPtr c = OpenDb(File());
    for (const Family& f : Families()) {
        SCOPED_TRACE(f.table);
        const std::vector<std::wstring> names = {L"abc", L"ABC", L"third"};
        for (size_t i = 0; i < names.size(); ++i) {
            _variant_t affected;
            c->Execute(InsertSql(f, names[i], 10 * (int)i).c_str(), &affected, adCmdText);
            EXPECT_EQ(1L, (long)affected);
        }
        std::vector<Row> rows = Query(c, ListSql(f), f.columns);
        ASSERT_EQ(3u, rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(names[i], rows[i].name);
            if (i) {
                EXPECT_LT(rows[i - 1].id, rows[i].id);
            }
            ExpectValues(f, rows[i], 10 * (int)i);
        }

        // "abc" and "ABC" are different names, for finding and for deleting.
        std::vector<Row> found = Query(c, FindSql(f, L"ABC"), f.columns);
        ASSERT_EQ(1u, found.size());
        ExpectValues(f, found[0], 10);
        _variant_t affected;
        c->Execute((std::wstring(L"delete from ") + f.table + L" where name='abc'").c_str(), &affected, adCmdText);
        EXPECT_EQ(1L, (long)affected);
        EXPECT_TRUE(Query(c, FindSql(f, L"abc"), f.columns).empty());
        EXPECT_EQ(1u, Query(c, FindSql(f, L"ABC"), f.columns).size());

        // A new preset goes after the others, even after a deletion.
        Exec(c, InsertSql(f, L"fourth", 30));
        rows = Query(c, ListSql(f), f.columns);
        ASSERT_EQ(3u, rows.size());
        EXPECT_EQ(L"fourth", rows[2].name);
        EXPECT_GT(rows[2].id, rows[1].id);
    }
    c->Close();

    // Spaces, case and quotes in the connection string, as a user may write it.
    ASSERT_EQ(S_OK, c.CreateInstance(__uuidof(Connection)));
    c->Open((L"Provider=Microsoft.Jet.OLEDB.4.0; data source = \"" + File() + L"\" ;Persist Security Info=False").c_str(),
            L"", L"", 0);
    for (const Family& f : Families()) {
        SCOPED_TRACE(f.table);
        std::vector<Row> rows = Query(c, ListSql(f), f.columns);
        ASSERT_EQ(3u, rows.size());
        EXPECT_EQ(L"ABC", rows[0].name);
        EXPECT_EQ(L"third", rows[1].name);
        EXPECT_EQ(L"fourth", rows[2].name);
        ExpectValues(f, rows[2], 30);
    }
}

TEST_F(PresetDb, HestralPresetKeepsItsColumnsAndShowsValuesAsText) {
    _ConnectionPtr c = OpenDb(File());
    // contrast 30, gamma 100, red 12, green 10, blue 14, saturation 120, each one column along
    wchar_t sql[512];
    swprintf(sql, 512, Families()[0].insert, L"hestral", 10.0, 14.0, 120.0, 100.0, 12.0, 30.0);
    Exec(c, sql);
    Exec(c, L"insert into Params(name,red,green,blue,globlegain,gamma,saturation) values('half',1.5,0,0,0,0,0)");
    std::vector<Row> rows = Query(c, L"select * from Params where name='hestral'",
                                  {L"saturation", L"globlegain", L"gamma", L"red", L"green", L"blue"});
    ASSERT_EQ(1u, rows.size());
    const wchar_t* text[] = {L"30", L"100", L"12", L"10", L"14", L"120"};
    for (int i = 0; i < 6; ++i) EXPECT_STREQ(text[i], (const wchar_t*)_bstr_t(rows[0].values[i]));
    EXPECT_EQ(100, (int)(float)rows[0].values[1]);
    rows = Query(c, L"select * from Params where name='half'", {L"red"});
    ASSERT_EQ(1u, rows.size());
    EXPECT_STREQ(L"1.5", (const wchar_t*)_bstr_t(rows[0].values[0]));
}

TEST_F(PresetDb, QuotesAndNonAsciiNamesRoundTripAndARawQuoteIsAnError) {
    _ConnectionPtr c = OpenDb(File());
    const std::wstring typed = L"Größe 'x' \x9855\x5fae\x93e1 \"q\"";
    std::wstring escaped;
    for (wchar_t ch : typed) escaped += ch == L'\'' ? std::wstring(L"''") : std::wstring(1, ch);
    for (const Family& f : Families()) {
        SCOPED_TRACE(f.table);
        Exec(c, InsertSql(f, escaped, 1));
        std::vector<Row> rows = Query(c, FindSql(f, escaped), f.columns);
        ASSERT_EQ(1u, rows.size());
        EXPECT_EQ(typed, rows[0].name);

        // Inserted as typed, the quote ends the text early: the statement
        // fails with the engine's message, and nothing is stored.
        std::wstring description;
        EXPECT_EQ(DB_E_ERRORSINCOMMAND, ErrorOf([&] { Exec(c, InsertSql(f, typed, 2)); }, &description));
        EXPECT_FALSE(description.empty());
        EXPECT_EQ(DB_E_ERRORSINCOMMAND, ErrorOf([&] {
            Exec(c, std::wstring(L"delete from ") + f.table + L" where name='" + typed + L"'");
        }));
        EXPECT_NE(S_OK, ErrorOf([&] { Query(c, FindSql(f, typed), f.columns); }));
        EXPECT_EQ(1u, Query(c, ListSql(f), f.columns).size());
    }
    // One statement at a time: a second one is refused and not run.
    EXPECT_EQ(DB_E_ERRORSINCOMMAND, ErrorOf([&] { Exec(c, L"delete from Params where name='x'; drop table Params"); }));
    EXPECT_EQ(1u, Query(c, ListSql(Families()[0]), Families()[0].columns).size());
    Exec(c, L"delete from Params where name='nobody';");
}

TEST_F(PresetDb, AFileThatCannotBeOpenedForPresetsFailsAndIsLeftAsItWas) {
    struct Case {
        const char* what;
        std::wstring connection;
        std::wstring file;  // to compare before and after; empty: none
    };
    const std::wstring text = m_folder + L"text.mdb", empty = m_folder + L"empty.mdb", ro = m_folder + L"ro.mdb";
    { std::ofstream(text.c_str(), std::ios::binary) << "Standard Jet DB, or so it says\n"; }
    { std::ofstream(empty.c_str(), std::ios::binary); }
    ASSERT_TRUE(CopyFileW(File().c_str(), ro.c_str(), TRUE));
    ASSERT_TRUE(SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::wstring missing = m_folder + L"missing\\data.mdb", missingHere = m_folder + L"none.mdb";
    const Case cases[] = {
        {"missing file", JetString(missingHere), L""},
        {"missing folder", JetString(missing), L""},
        {"not a database", JetString(text), text},
        {"empty file", JetString(empty), empty},
        {"read-only file", JetString(ro), ro},
        {"folder", JetString(m_folder), L""},
        {"no data source", L"Provider=Microsoft.Jet.OLEDB.4.0;", L""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        std::string before = k.file.empty() ? std::string() : ReadAll(k.file);
        _ConnectionPtr c;
        ASSERT_EQ(S_OK, c.CreateInstance(__uuidof(Connection)));
        std::wstring description;
        HRESULT hr = ErrorOf([&] { c->Open(k.connection.c_str(), L"", L"", 0); }, &description);
        EXPECT_TRUE(FAILED(hr));
        EXPECT_FALSE(description.empty());
        EXPECT_EQ(adStateClosed, c->GetState());
        if (!k.file.empty()) {
            EXPECT_EQ(before, ReadAll(k.file));
        }

        // The presets dialogs still open without a database: their statements
        // fail as errors the dialogs catch.
        EXPECT_EQ(AdoErrorHResult(adErrObjectClosed), ErrorOf([&] { Exec(c, InsertSql(Families()[0], L"a", 1)); }));
        _RecordsetPtr rs;
        ASSERT_EQ(S_OK, rs.CreateInstance(__uuidof(Recordset)));
        EXPECT_EQ(AdoErrorHResult(adErrInvalidConnection), ErrorOf([&] {
            rs->Open(ListSql(Families()[0]).c_str(), c, adOpenDynamic, adLockOptimistic, adCmdText);
        }));
        EXPECT_EQ(adStateClosed, rs->GetState());
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(missingHere.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(missing.c_str()));
}

TEST_F(PresetDb, MisuseRaisesComErrorsInsteadOfCrashing) {
    _ConnectionPtr none;
    EXPECT_EQ(E_POINTER, ErrorOf([&] { Exec(none, L"delete from Params"); }));
    _RecordsetPtr rs;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, rs.CreateInstance(__uuidof(Connection)));
    EXPECT_EQ(nullptr, rs.GetInterfacePtr());
    EXPECT_EQ(E_POINTER, ErrorOf([&] { rs->GetState(); }));

    _ConnectionPtr c = OpenDb(File());
    EXPECT_EQ(AdoErrorHResult(adErrObjectOpen), ErrorOf([&] { c->Open(JetString(File()).c_str(), L"", L"", 0); }));
    std::wstring description;
    EXPECT_EQ(DB_E_ERRORSINCOMMAND, ErrorOf([&] { Query(c, L"SELECT * FROM Presets ORDER BY id ASC", {}); },
                                            &description));
    EXPECT_NE(std::wstring::npos, description.find(L"Presets"));
    EXPECT_EQ(DB_E_ERRORSINCOMMAND, ErrorOf([&] { Exec(c, L""); }));

    Exec(c, InsertSql(Families()[1], L"one", 1));
    Exec(c, InsertSql(Families()[1], L"two", 2));
    ASSERT_EQ(S_OK, rs.CreateInstance(__uuidof(Recordset)));
    rs->Open(ListSql(Families()[1]).c_str(), c, adOpenDynamic, adLockOptimistic, adCmdText);
    EXPECT_EQ(AdoErrorHResult(adErrObjectOpen), ErrorOf([&] {
        rs->Open(ListSql(Families()[1]).c_str(), c, adOpenDynamic, adLockOptimistic, adCmdText);
    }));
    EXPECT_EQ(AdoErrorHResult(adErrItemNotFound), ErrorOf([&] { rs->GetCollect(L"sharpness"); }));
    EXPECT_EQ(AdoErrorHResult(adErrItemNotFound), ErrorOf([&] { rs->GetCollect(99L); }));
    // Field names are not case-sensitive; a field follows the cursor.
    FieldPtr name = rs->GetFields()->GetItem(L"NAME");
    EXPECT_STREQ(L"one", (const wchar_t*)_bstr_t(name->GetValue()));
    rs->MoveNext();
    EXPECT_STREQ(L"two", (const wchar_t*)_bstr_t(name->GetValue()));
    EXPECT_FALSE(rs->GetBOF());
    rs->MoveNext();
    EXPECT_TRUE(rs->GetadoEOF());
    EXPECT_EQ(AdoErrorHResult(adErrNoCurrentRecord), ErrorOf([&] { name->GetValue(); }));
    EXPECT_EQ(AdoErrorHResult(adErrNoCurrentRecord), ErrorOf([&] { rs->MoveNext(); }));
    rs->MoveFirst();
    EXPECT_EQ(1L, (long)rs->GetCollect(L"red"));
    // The rows stay readable after the connection closes.
    c->Close();
    EXPECT_EQ(1L, (long)rs->GetCollect(L"red"));
    rs->Close();
    EXPECT_EQ(AdoErrorHResult(adErrObjectClosed), ErrorOf([&] { rs->Close(); }));
    EXPECT_EQ(AdoErrorHResult(adErrObjectClosed), ErrorOf([&] { rs->GetadoEOF(); }));
    EXPECT_EQ(AdoErrorHResult(adErrObjectClosed), ErrorOf([&] { name->GetValue(); }));
    EXPECT_EQ(AdoErrorHResult(adErrObjectClosed), ErrorOf([&] { c->Close(); }));

    // An empty result is both BOF and EOF and has no first row.
    c = OpenDb(File());
    rs->Open(L"select * from R5VParams where name='none'", c, adOpenDynamic, adLockOptimistic, adCmdText);
    EXPECT_TRUE(rs->GetBOF());
    EXPECT_TRUE(rs->GetadoEOF());
    EXPECT_EQ(AdoErrorHResult(adErrNoCurrentRecord), ErrorOf([&] { rs->MoveFirst(); }));
    EXPECT_EQ(AdoErrorHResult(adErrNoCurrentRecord), ErrorOf([&] { rs->GetCollect(L"name"); }));
}

// Leaves written.mdb beside the program for the build machine's sqlite3.
TEST(AdoWritten, RowsForTheIndependentReader) {
    const std::wstring file = ExeFolder() + L"written.mdb";
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(CopyFileW(Shipped().c_str(), file.c_str(), FALSE));
    _ConnectionPtr c = OpenDb(file);
    wchar_t sql[512];
    swprintf(sql, 512, Families()[0].insert, L"hestral", 10.0, 14.0, 120.0, 100.0, 12.0, 30.0);
    Exec(c, sql);
    Exec(c, InsertSql(Families()[0], L"Größe ''x'' \x9855\x5fae\x93e1", 1));
    Exec(c, InsertSql(Families()[1], L"p8z", 1));
    Exec(c, InsertSql(Families()[2], L"r5v", 101));
    Exec(c, InsertSql(Families()[2], L"gone", 0));
    Exec(c, L"delete from R5VParams where name='gone'");
    Exec(c, InsertSql(Families()[2], L"R5V", 201));
    c->Close();
}

} // namespace
