// CSpreadSheet in text mode, read back from the bytes on disk, and the
// database classes it uses for workbooks.
#include "SpreadSheet.h"
#include <AfxDb.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

class SpreadSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        dir.Format(L"%ssheet-%lu-%lu\\", tmp, GetCurrentProcessId(), GetTickCount() + counter++);
        ASSERT_TRUE(CreateDirectoryW(dir, nullptr));
    }
    void TearDown() override {
        for (const CString& f : Files()) DeleteFileW(dir + f);
        RemoveDirectoryW(dir);
    }
    CString Path(LPCWSTR name) const { return dir + name; }
    std::string Bytes(LPCWSTR name) const {
        std::ifstream in(std::wstring(Path(name)).c_str(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Write(LPCWSTR name, const std::string& bytes) const {
        std::ofstream out(std::wstring(Path(name)).c_str(), std::ios::binary);
        out << bytes;
    }
    std::vector<CString> Files() const {
        std::vector<CString> names;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW(dir + L"*", &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return names;
    }
    CString dir;
    static inline int counter = 0;
};

void Set(CStringArray& a, std::initializer_list<LPCWSTR> values) {
    a.RemoveAll();
    for (LPCWSTR v : values) a.Add(v);
}

std::vector<std::wstring> Row(CSpreadSheet& sheet, long row) {
    CStringArray a;
    std::vector<std::wstring> out;
    if (!sheet.ReadRow(a, row)) return {L"<" + std::wstring(sheet.GetLastError()) + L">"};
    for (INT_PTR i = 0; i < a.GetSize(); ++i) out.push_back(std::wstring(a[i]));
    return out;
}

using Values = std::vector<std::wstring>;

} // namespace

TEST_F(SpreadSheetTest, ColumnIndexByLettersAndByName) {
    Write(L"t.csv", "Name,Value,name\r\n");
    CSpreadSheet sheet(Path(L"t.csv"), L",", false);
    struct { LPCWSTR name; bool letters; short index; } cases[] = {
        {L"A", true, 1},     {L"Z", true, 26},     {L"AA", true, 27},  {L"IV", true, 256},
        {L"iv", true, 256},  {L"ZZ", true, 702},   {L"1", true, 0},    {L"A1", true, 0},
        {L"AAA", true, 0},   {L"", true, 0},       {L"Name", false, 1}, {L"Value", false, 2},
        {L"name", false, 3}, {L"NAME", false, 0},  {L"Other", false, 0}, {L"B", false, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.index, sheet.ColumnIndex(c.name, c.letters)) << c.name << " " << c.letters;
        if (c.index == 0) {
            EXPECT_STREQ(L"Invalid field name or column alphabet\n", sheet.GetLastError());
        }
    }
}

TEST_F(SpreadSheetTest, ValuesWithQuotesSeparatorsAndBreaksRoundTrip) {
    {
        CSpreadSheet sheet(Path(L"t.csv"), L",", false);
        CStringArray a;
        Set(a, {L"Name", L"Length, mm", L"Note"});
        ASSERT_TRUE(sheet.AddHeaders(a));
        Set(a, {L"O'Brien", L"1,5", L"say \"hi\""});
        ASSERT_TRUE(sheet.AddRow(a));
        Set(a, {L" padded ", L"", L"two\nlines"});
        ASSERT_TRUE(sheet.AddRow(a));
        Set(a, {L"plain"});
        ASSERT_TRUE(sheet.AddRow(a));
    }
    EXPECT_EQ("Name,\"Length, mm\",Note\r\n"
              "O'Brien,\"1,5\",\"say \"\"hi\"\"\"\r\n"
              "\" padded \",,\"two\r\nlines\"\r\n"
              "plain\r\n",
              Bytes(L"t.csv"));
    CSpreadSheet again(Path(L"t.csv"), L",", false);
    EXPECT_EQ(4, again.GetTotalRows());
    EXPECT_EQ(3, again.GetTotalColumns());
    EXPECT_EQ((Values{L"Name", L"Length, mm", L"Note"}), Row(again, 1));
    EXPECT_EQ((Values{L"O'Brien", L"1,5", L"say \"hi\""}), Row(again, 2));
    EXPECT_EQ((Values{L" padded ", L"", L"two\nlines"}), Row(again, 3));
    EXPECT_EQ((Values{L"plain"}), Row(again, 4));
    CString cell;
    ASSERT_TRUE(again.ReadCell(cell, CString(L"Length, mm"), 2));
    EXPECT_STREQ(L"1,5", cell);
}

TEST_F(SpreadSheetTest, MultiCharacterSeparator) {
    {
        CSpreadSheet sheet(Path(L"t.txt"), L";;", false);
        CStringArray a;
        Set(a, {L"a;b", L"c"});
        ASSERT_TRUE(sheet.AddHeaders(a));
        Set(a, {L"x;;y", L"z"});
        ASSERT_TRUE(sheet.AddRow(a));
    }
    EXPECT_EQ("a;b;;c\r\n\"x;;y\";;z\r\n", Bytes(L"t.txt"));
    CSpreadSheet again(Path(L"t.txt"), L";;", false);
    EXPECT_EQ((Values{L"x;;y", L"z"}), Row(again, 2));
}

TEST_F(SpreadSheetTest, InsertReplaceAppendAndCellsPastTheEnd) {
    CSpreadSheet sheet(Path(L"t.csv"), L",", false);
    CStringArray a;
    Set(a, {L"K", L"V"});
    ASSERT_TRUE(sheet.AddHeaders(a));
    Set(a, {L"1", L"one"});
    ASSERT_TRUE(sheet.AddRow(a));
    Set(a, {L"3", L"three"});
    ASSERT_TRUE(sheet.AddRow(a));
    Set(a, {L"2", L"two"});
    ASSERT_TRUE(sheet.AddRow(a, 3));            // before the row that was 3
    Set(a, {L"3", L"THREE"});
    ASSERT_TRUE(sheet.AddRow(a, 4, true));
    Set(a, {L"6"});
    ASSERT_TRUE(sheet.AddRow(a, 6));            // row 5 comes in empty
    ASSERT_TRUE(sheet.AddCell(L"eight", CString(L"V"), 8));
    ASSERT_TRUE(sheet.AddCell(L"six", 2, 6));
    ASSERT_TRUE(sheet.AddCell(L"B", CString(L"b"), 1, true));   // renames a field
    EXPECT_EQ(8, sheet.GetTotalRows());
    EXPECT_EQ("K,B\r\n1,one\r\n2,two\r\n3,THREE\r\n\r\n6,six\r\n\r\n,eight\r\n", Bytes(L"t.csv"));
    CSpreadSheet again(Path(L"t.csv"), L",", false);
    CStringArray column;
    ASSERT_TRUE(again.ReadColumn(column, CString(L"B")));
    std::vector<std::wstring> got;
    for (INT_PTR i = 0; i < column.GetSize(); ++i) got.push_back(std::wstring(column[i]));
    EXPECT_EQ((Values{L"B", L"one", L"two", L"THREE", L"", L"six", L"", L"eight"}), got);
}

TEST_F(SpreadSheetTest, TransactionWaitsForCommitAndRollBackRestores) {
    const std::string before = "K,V\r\n1,one\r\n";
    Write(L"t.csv", before);
    CSpreadSheet sheet(Path(L"t.csv"), L",", false);
    sheet.BeginTransaction();
    CStringArray a;
    Set(a, {L"2", L"two"});
    ASSERT_TRUE(sheet.AddRow(a));
    ASSERT_TRUE(sheet.AddCell(L"ONE", 2, 2));
    EXPECT_EQ(before, Bytes(L"t.csv"));
    ASSERT_TRUE(sheet.RollBack());
    EXPECT_EQ(2, sheet.GetTotalRows());
    EXPECT_EQ((Values{L"1", L"one"}), Row(sheet, 2));
    // Rolling back twice re-reads the file; it never doubles the rows.
    ASSERT_TRUE(sheet.RollBack());
    EXPECT_EQ(2, sheet.GetTotalRows());

    sheet.BeginTransaction();
    ASSERT_TRUE(sheet.AddRow(a));
    EXPECT_EQ(before, Bytes(L"t.csv"));
    ASSERT_TRUE(sheet.Commit());
    EXPECT_EQ("K,V\r\n1,one\r\n2,two\r\n", Bytes(L"t.csv"));
    // Committed: the next change is written at once.
    Set(a, {L"3", L"three"});
    ASSERT_TRUE(sheet.AddRow(a));
    EXPECT_EQ("K,V\r\n1,one\r\n2,two\r\n3,three\r\n", Bytes(L"t.csv"));
}

TEST_F(SpreadSheetTest, BackupKeepsTheFileAsRead) {
    const std::string before = "K,V\r\n1,one\r\n";
    Write(L"t.csv", before);
    {
        CSpreadSheet sheet(Path(L"t.csv"), L",", true);
        CStringArray a;
        Set(a, {L"2", L"two"});
        ASSERT_TRUE(sheet.AddRow(a));
    }
    EXPECT_EQ(before, Bytes(L"t.csv.bak"));
    EXPECT_EQ("K,V\r\n1,one\r\n2,two\r\n", Bytes(L"t.csv"));
    // A new file has nothing to back up; no stray files are left behind.
    {
        CSpreadSheet fresh(Path(L"new.csv"), L",", true);
        CStringArray a;
        Set(a, {L"K"});
        ASSERT_TRUE(fresh.AddHeaders(a));
    }
    std::vector<CString> files = Files();
    std::sort(files.begin(), files.end(), [](const CString& x, const CString& y) { return x.Compare(y) < 0; });
    ASSERT_EQ(3u, files.size());
    EXPECT_STREQ(L"new.csv", files[0]);
    EXPECT_STREQ(L"t.csv", files[1]);
    EXPECT_STREQ(L"t.csv.bak", files[2]);
}

TEST_F(SpreadSheetTest, FailuresLeaveTheTableAndSayWhy) {
    Write(L"t.csv", "K,V\r\n1,one\r\n");
    CSpreadSheet sheet(Path(L"t.csv"), L",", false);
    CStringArray a;
    CString cell;
    struct { const char* what; std::function<bool()> op; LPCWSTR error; } cases[] = {
        {"duplicate header", [&] { return (Set(a, {L"X", L"V"}), sheet.AddHeaders(a)); }, L"Duplicate header row field:V\n"},
        {"shorter header", [&] { return (Set(a, {L"K"}), sheet.AddRow(a, 1, true)); },
         L"Number of columns in new header row cannot be less than the number of columns in previous header row"},
        {"too many values", [&] { return (Set(a, {L"1", L"2", L"3"}), sheet.AddRow(a)); },
         L"Number of columns to be added cannot be greater than the number of fields\n"},
        {"negative row", [&] { return (Set(a, {L"1"}), sheet.AddRow(a, -2)); }, L"Row number cannot be negative\n"},
        {"row past the end", [&] { return sheet.ReadRow(a, 3); }, L"Desired row is greater than total number of rows in spreadsheet\n"},
        {"column zero", [&] { return sheet.ReadCell(cell, 0, 2); }, L"Column cannot be zero\n"},
        {"column past the fields", [&] { return sheet.ReadCell(cell, 3, 2); }, L"Column number is outside the table\n"},
        {"column past the sheet", [&] { return sheet.ReadColumn(a, CString(L"ZZ"), true); }, L"Column number is outside the table\n"},
        {"negative column", [&] { return sheet.ReadCell(cell, -15, 2); }, L"Column number is outside the table\n"},
        {"cell past the fields", [&] { return sheet.AddCell(L"x", 3, 2); },
         L"Cell column to be added cannot be greater than the number of fields\n"},
        {"cell zero", [&] { return sheet.AddCell(L"x", 0, 2); }, L"Column cannot be zero\n"},
        {"unknown field", [&] { return sheet.AddCell(L"x", CString(L"Q"), 2); }, L"Invalid field name or column alphabet\n"},
        {"renamed onto another field", [&] { return sheet.AddCell(L"V", 1, 1); }, L"Duplicate header row field:V\n"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(c.op()) << c.what;
        EXPECT_STREQ(c.error, sheet.GetLastError()) << c.what;
    }
    EXPECT_EQ("K,V\r\n1,one\r\n", Bytes(L"t.csv"));
    EXPECT_EQ((Values{L"K", L"V"}), Row(sheet, 1));
}

TEST_F(SpreadSheetTest, EmptyFileHasNoHeader) {
    for (const char* bytes : {"", "\r\n"}) {
        Write(L"t.csv", bytes);
        CSpreadSheet sheet(Path(L"t.csv"), L",", false);
        EXPECT_EQ(0, sheet.GetTotalRows());
        EXPECT_EQ(0, sheet.GetTotalColumns());
        CStringArray a;
        Set(a, {L"1"});
        EXPECT_FALSE(sheet.AddRow(a, 2));
        EXPECT_STREQ(L"No header row. Add header row first\n", sheet.GetLastError());
    }
    // An empty first line before data is a header of one unnamed field: the rows stay.
    Write(L"t.csv", "\r\n1\r\n2\r\n");
    CSpreadSheet sheet(Path(L"t.csv"), L",", false);
    EXPECT_EQ(3, sheet.GetTotalRows());
    CStringArray a;
    Set(a, {L"3"});
    ASSERT_TRUE(sheet.AddRow(a));
    EXPECT_EQ("\r\n1\r\n2\r\n3\r\n", Bytes(L"t.csv"));
}

TEST_F(SpreadSheetTest, DeleteSheetEmptiesTheFile) {
    Write(L"t.csv", "K,V\r\n1,one\r\n");
    CSpreadSheet sheet(Path(L"t.csv"), L",", false);
    ASSERT_TRUE(sheet.DeleteSheet());
    EXPECT_EQ(0, sheet.GetTotalRows());
    EXPECT_EQ("", Bytes(L"t.csv"));
}

TEST_F(SpreadSheetTest, FailedWriteKeepsTheOldFile) {
    CSpreadSheet sheet(Path(L"missing\\t.csv"), L",", false);
    CStringArray a;
    Set(a, {L"K"});
    EXPECT_FALSE(sheet.AddHeaders(a));
    EXPECT_STREQ(L"Error writing file\n", sheet.GetLastError());

    // A file that cannot be replaced keeps its bytes, and no temporary file stays.
    Write(L"t.csv", "K\r\n1\r\n");
    CSpreadSheet locked(Path(L"t.csv"), L",", false);
    HANDLE h = CreateFileW(Path(L"t.csv"), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    Set(a, {L"2"});
    EXPECT_FALSE(locked.AddRow(a));
    EXPECT_STREQ(L"Error writing file\n", locked.GetLastError());
    CloseHandle(h);
    EXPECT_EQ("K\r\n1\r\n", Bytes(L"t.csv"));
    EXPECT_EQ(1u, Files().size());
    ASSERT_TRUE(locked.Commit());   // the rows waited in memory
    EXPECT_EQ("K\r\n1\r\n2\r\n", Bytes(L"t.csv"));
}

TEST_F(SpreadSheetTest, WorkbookWithoutDriverFailsCleanly) {
    // This prefix lists no Excel driver (not even the workbook tests' one,
    // should a crashed run have left it); an empty driver name would make the
    // driver manager abort the process, so no connection is tried.
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\ODBC\\ODBCINST.INI\\ODBC Drivers", L"" XLSODBC_NAME);
    CSpreadSheet sheet(Path(L"book;1.xls"), L"Sheet1", true);
    EXPECT_STREQ(L"No Excel ODBC driver is installed\n", sheet.GetLastError());
    CStringArray a;
    Set(a, {L"K"});
    EXPECT_FALSE(sheet.AddHeaders(a));
    EXPECT_STREQ(L"No Excel ODBC driver is installed\n", sheet.GetLastError());
    EXPECT_FALSE(sheet.DeleteSheet());
    EXPECT_TRUE(Files().empty());

    Write(L"t.csv", "K\r\n1\r\n");
    CSpreadSheet text(Path(L"t.csv"), L",", false);
    EXPECT_FALSE(text.Convert(L"Sheet1"));
    EXPECT_FALSE(text.GetLastError().IsEmpty());
    EXPECT_EQ(1u, Files().size());
}

TEST(Database, FailuresThrowWithTheDriverManagersText) {
    CDatabase db;
    try {
        db.OpenEx(L"DRIVER={No Such Driver};DBQ=C:\\x.xls", CDatabase::noOdbcDialog);
        ADD_FAILURE() << "connected";
    } catch (CDBException* e) {
        EXPECT_FALSE(e->m_strError.IsEmpty());
        wchar_t text[512];
        EXPECT_TRUE(e->GetErrorMessage(text, 512));
        EXPECT_STREQ(e->m_strError, text);
        e->Delete();
    }
    EXPECT_FALSE(db.IsOpen());
    auto throws = [](const std::function<void()>& op) {
        try {
            op();
        } catch (CDBException* e) {
            e->Delete();
            return true;
        }
        return false;
    };
    EXPECT_TRUE(throws([&] { db.ExecuteSQL(L"DROP TABLE [x]"); }));
    CRecordset rs(&db);
    EXPECT_TRUE(throws([&] { rs.Open(CRecordset::forwardOnly, L"SELECT * FROM [x]", CRecordset::readOnly); }));
    EXPECT_TRUE(rs.IsEOF());
}

namespace {

// The workbook driver, listed in the prefix only while a workbook test runs.
class DriverListed {
public:
    DriverListed() {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_, nullptr);
        const wchar_t data[] = L"Installed";
        RegSetValueExW(key_, L"" XLSODBC_NAME, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data);
    }
    ~DriverListed() {
        RegDeleteValueW(key_, L"" XLSODBC_NAME);
        RegCloseKey(key_);
    }

private:
    static constexpr LPCWSTR kKey = L"Software\\ODBC\\ODBCINST.INI\\ODBC Drivers";
    HKEY key_ = nullptr;
};

// The folder the independent reader checks afterwards, as a Windows path.
CString OutputFolder() {
    const char* unix = getenv("XLS_OUTPUT");
    if (!unix) return CString();
    CString path = L"Z:";
    for (const char* c = unix; *c; ++c) path += static_cast<wchar_t>(*c == '/' ? '\\' : *c);
    CreateDirectoryW(path, nullptr);
    return path + L"\\";
}

std::vector<Values> Table(CSpreadSheet& sheet) {
    std::vector<Values> rows;
    for (long r = 1; r <= sheet.GetTotalRows(); ++r) rows.push_back(Row(sheet, r));
    return rows;
}

} // namespace

// Through ODBC into a workbook whose path holds ';', read back by the writer
// here and by xlrd afterwards (check-workbook.py).
TEST_F(SpreadSheetTest, WorkbookThroughOdbc) {
    DriverListed listed;
    const CString folder = OutputFolder();
    ASSERT_FALSE(folder.IsEmpty()) << "XLS_OUTPUT is not set";
    const CString path = folder + L"names;1.xls";
    DeleteFileW(path);
    const std::vector<Values> want = {
        {L"Name", L"City", L"Note"},
        {L"O'Brien", L"Cork, IE", L"5' 11\""},
        {L"Zoë Łukasz", L"", L"a,;.?b"},
        {L"[x]", L"]]", L""},
    };
    {
        CSpreadSheet sheet(path, L"Names", true);
        sheet.BeginTransaction();
        CStringArray a;
        for (const Values& row : want) {
            a.RemoveAll();
            for (const std::wstring& v : row) a.Add(v.c_str());
            ASSERT_TRUE(sheet.AddRow(a)) << sheet.GetLastError();
        }
        ASSERT_TRUE(sheet.Commit()) << sheet.GetLastError();
    }
    {
        CSpreadSheet sheet(path, L"Names", false);
        EXPECT_EQ(3, sheet.GetTotalColumns());
        EXPECT_EQ(want, Table(sheet));
        // A replaced row goes out as one UPDATE.
        CStringArray a;
        Set(a, {L"O'Brien", L"Dublin", L"it's"});
        ASSERT_TRUE(sheet.AddRow(a, 2, true)) << sheet.GetLastError();
    }
    std::vector<Values> now = want;
    now[1] = {L"O'Brien", L"Dublin", L"it's"};
    {
        // With the backup on, the table as read is kept in its own sheet.
        CSpreadSheet sheet(path, L"Names", true);
        EXPECT_EQ(now, Table(sheet));
        CSpreadSheet backup(path, L"CSpreadSheetBackup", false);
        EXPECT_EQ(now, Table(backup));
        CSpreadSheet staging(path, L"CSpreadSheetCommit", false);
        EXPECT_EQ(0, staging.GetTotalRows());

        // A value the driver refuses fails the commit and loses no row.
        sheet.BeginTransaction();
        CStringArray a;
        Set(a, {L"long", L"", L""});
        a.SetAt(2, CString(L'x', 40000));
        ASSERT_TRUE(sheet.AddRow(a));
        EXPECT_FALSE(sheet.Commit());
        EXPECT_FALSE(sheet.GetLastError().IsEmpty());
    }
    CSpreadSheet again(path, L"Names", false);
    EXPECT_EQ(now, Table(again));
    CSpreadSheet staging(path, L"CSpreadSheetCommit", false);
    EXPECT_EQ(0, staging.GetTotalRows());
}

// A commit drops the sheet and writes it again as the table: what the sheet
// held outside the table (here a column and a row the table no longer has)
// is gone.
TEST_F(SpreadSheetTest, WorkbookCommitDropsCellsOutsideTheTable) {
    DriverListed listed;
    const CString path = Path(L"notes.xls");
    try {
        CDatabase db;
        db.OpenEx(L"DRIVER={" XLSODBC_NAME L"};CREATE_DB=\"" + path + L"\";DBQ=" + path, CDatabase::noOdbcDialog);
        db.ExecuteSQL(L"CREATE TABLE [S] ([K] char(255), [V] char(255))");
        db.ExecuteSQL(L"INSERT INTO [S] ([K], [V]) VALUES ('1', 'one')");
        db.ExecuteSQL(L"INSERT INTO [S] ([K]) VALUES ('2')");
        db.Close();
    } catch (CDBException* e) {
        ADD_FAILURE() << std::wstring(e->m_strError);
        e->Delete();
        return;
    }
    CSpreadSheet sheet(path, L"S", false);
    EXPECT_EQ((std::vector<Values>{{L"K", L"V"}, {L"1", L"one"}, {L"2", L""}}), Table(sheet));
    CStringArray a;
    Set(a, {L"K"});
    CSpreadSheet narrow(path, L"S", false);
    EXPECT_TRUE(narrow.DeleteSheet()) << narrow.GetLastError();
    ASSERT_TRUE(narrow.AddHeaders(a)) << narrow.GetLastError();
    Set(a, {L"3"});
    ASSERT_TRUE(narrow.AddRow(a)) << narrow.GetLastError();
    CSpreadSheet back(path, L"S", false);
    EXPECT_EQ((std::vector<Values>{{L"K"}, {L"3"}}), Table(back));
}
