// Strings, collections, run-time classes, files, archives, profiles and the
// scripted answers, as a framework program sees them.
#include <gtest/gtest.h>
#include "AfxWindows.h"
#include "AfxDialogs.h"
#include "AfxTestScript.h"
#include "TestRes.h"
#include <winspool.h>
#include <string>
#include <vector>

namespace {

std::wstring W(const CString& s) { return std::wstring(s, s.GetLength()); }

CString TempPath(LPCWSTR name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return CString(dir) + name;
}

std::string ReadBytes(LPCWSTR path) {
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    CloseHandle(h);
    return out;
}

void WriteBytes(LPCWSTR path, const std::string& bytes) {
    HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(h, bytes.data(), (DWORD)bytes.size(), &put, nullptr);
    CloseHandle(h);
}

// ---------------------------------------------------------------- CString

TEST(CStringTest, SlicingClampsToTheString) {
    CString s(L"Veltrane");
    struct { CString got; LPCWSTR want; } cases[] = {
        {s.Mid(3), L"trane"},      {s.Mid(3, 2), L"tr"},     {s.Mid(6, 10), L"ne"},
        {s.Mid(20), L""},          {s.Mid(-2, 3), L"Vel"},   {s.Left(3), L"Vel"},
        {s.Left(99), L"Veltrane"}, {s.Left(-1), L""},        {s.Right(4), L"rane"},
        {s.Right(99), L"Veltrane"}, {s.Right(0), L""},
    };
    for (auto& c : cases) EXPECT_EQ(W(c.got), c.want);
}

TEST(CStringTest, SearchingFindsPositionsOrMinusOne) {
    CString s(L"a.b.c.bmp");
    EXPECT_EQ(s.Find(L'.'), 1);
    EXPECT_EQ(s.Find(L'.', 2), 3);
    EXPECT_EQ(s.Find(L'x'), -1);
    EXPECT_EQ(s.Find(L"c.b"), 4);
    EXPECT_EQ(s.Find(L"bmp", 7), -1);
    EXPECT_EQ(s.Find(L'.', 50), -1);
    EXPECT_EQ(s.ReverseFind(L'.'), 5);
    EXPECT_EQ(s.ReverseFind(L'/'), -1);
    EXPECT_EQ(s.FindOneOf(L"cb"), 2);
    EXPECT_EQ(CString().Find(L""), 0);
}

TEST(CStringTest, EditingMembersChangeTheText) {
    struct Case { LPCWSTR start; int op; LPCWSTR want; int ret; };
    const Case cases[] = {
        {L"  pad \t", 0, L"pad", 0},          {L"xxpadxx", 1, L"pad", 0},
        {L"  pad  ", 2, L"pad  ", 0},         {L"  pad  ", 3, L"  pad", 0},
        {L"a-b-c", 4, L"a+b+c", 2},           {L"aXXbXX", 5, L"a--b--", 2},
        {L"banana", 6, L"bnn", 3},            {L"abc", 7, L"aZbc", 4},
        {L"abcdef", 8, L"aef", 3},            {L"abc", 9, L"abc", 3},
        {L"MiXeD", 10, L"mixed", 0},          {L"MiXeD", 11, L"MIXED", 0},
        {L"abc", 12, L"cba", 0},              {L"aaa", 13, L"bbbbbb", 3},
    };
    for (const Case& c : cases) {
        CString s(c.start);
        int r = 0;
        switch (c.op) {
        case 0: s.Trim(); break;
        case 1: s.Trim(L'x'); break;
        case 2: s.TrimLeft(); break;
        case 3: s.TrimRight(); break;
        case 4: r = s.Replace(L'-', L'+'); break;
        case 5: r = s.Replace(L"XX", L"--"); break;
        case 6: r = s.Remove(L'a'); break;
        case 7: r = s.Insert(1, L'Z'); break;
        case 8: r = s.Delete(1, 3); break;
        case 9: r = s.Delete(5, 2); break;
        case 10: s.MakeLower(); break;
        case 11: s.MakeUpper(); break;
        case 12: s.MakeReverse(); break;
        case 13: r = s.Replace(L"a", L"bb"); break;
        }
        EXPECT_EQ(W(s), c.want) << "case " << c.op;
        if (c.ret) { EXPECT_EQ(r, c.ret) << "case " << c.op; }
    }
}

TEST(CStringTest, FormatUsesWindowsConventions) {
    struct { CString got; LPCWSTR want; } cases[3 + 6];
    int n = 0;
    CString s;
    s.Format(L"%d|%5d|%-3d|%x", 42, 7, 1, 255); cases[n++] = {s, L"42|    7|1  |ff"};
    s.Format(L"%s=%.3f", L"len", 12.34567); cases[n++] = {s, L"len=12.346"};
    s.Format(L"%.5f", 0.2); cases[n++] = {s, L"0.20000"};
    // msvcrt's rounding of an exact half, as a Windows program gets it (the
    // C99 swprintf that libstdc++ selects gives "1.2").
    s.Format(L"%.1f", 1.25); cases[n++] = {s, L"1.3"};
    s.Format(L"%c%c", L'o', L'k'); cases[n++] = {s, L"ok"};
    s.Format(L"%%%d%%", 5); cases[n++] = {s, L"%5%"};
    CString a(L"x");
    a.AppendFormat(L"-%d", 3); cases[n++] = {a, L"x-3"};
    CString big;
    big.Format(L"%s%s", (LPCWSTR)CString(L'a', 3000), L"!");
    EXPECT_EQ(big.GetLength(), 3001);
    for (int i = 0; i < n; ++i) EXPECT_EQ(W(cases[i].got), cases[i].want);
}

TEST(CStringTest, ConversionsComparisonsAndBuffers) {
    CString narrow("ANSI text");
    EXPECT_EQ(W(narrow), L"ANSI text");
    CString a(L"abc"), b(L"ABD");
    EXPECT_LT(a.CompareNoCase(b), 0);
    EXPECT_GT(a.Compare(b), 0);
    EXPECT_TRUE(a == L"abc");
    EXPECT_TRUE(L"abc" == a);
    EXPECT_TRUE(a != b);
    EXPECT_EQ(W(a + L"-" + b + L'!'), L"abc-ABD!");

    CString self(L"xhello");
    self = self.Mid(1);   // the source lies in the target's own buffer
    EXPECT_EQ(W(self), L"hello");
    self += self;
    EXPECT_EQ(W(self), L"hellohello");

    CString buf;
    wcscpy(buf.GetBuffer(32), L"written");
    buf.ReleaseBuffer();
    EXPECT_EQ(buf.GetLength(), 7);
    LPWSTR p = buf.GetBufferSetLength(3);
    p[0] = L'W';
    buf.ReleaseBuffer(3);
    EXPECT_EQ(W(buf), L"Wri");

    BSTR bs = buf.AllocSysString();
    EXPECT_EQ(SysStringLen(bs), 3u);
    SysFreeString(bs);

    CString e;
    EXPECT_TRUE(e.IsEmpty());
    EXPECT_STREQ((LPCWSTR)e, L"");
    CString copy(e);
    copy += L"";
    EXPECT_TRUE(copy.IsEmpty());
}

TEST(CStringTest, LoadStringFollowsTheResourceLibrary) {
    CString s;
    ASSERT_TRUE(s.LoadString(IDS_GREETING));
    CString hello;
    hello.Format(IDS_GREETING, L"Ana", 2);
    EXPECT_EQ(W(hello), L"Hello Ana, 2 times");

    HINSTANCE lang = LoadLibraryW(L"AfxTestLang.dll");
    ASSERT_NE(lang, nullptr);
    AfxSetResourceHandle(lang);
    EXPECT_EQ(AfxGetResourceHandle(), lang);
    hello.Format(IDS_GREETING, L"Ana", 3);
    EXPECT_EQ(W(hello), L"Bonjour Ana, 3 fois");
    // A string the language library lacks still comes from the program.
    ASSERT_TRUE(s.LoadString(IDS_ONLY_IN_EXE));
    EXPECT_EQ(W(s), L"from the program");
    // And the framework's own strings from the framework.
    ASSERT_TRUE(s.LoadString(AFX_IDP_ASK_TO_SAVE));
    EXPECT_EQ(W(s), L"Save changes to %1?");
    EXPECT_FALSE(s.LoadString(4321));
    EXPECT_TRUE(s.IsEmpty());

    AfxFreeLibrary(lang);   // frees the resource library and falls back to the program
    EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleW(nullptr));
    AfxSetResourceHandle(nullptr);
    ASSERT_TRUE(s.LoadString(IDS_GREETING));
    EXPECT_EQ(W(s), L"Hello %s, %d times");
}

TEST(CStringTest, ExtractSubStringSplitsDocumentStrings) {
    CString doc(L"\nDoc\nSample Document\nSample Files (*.smp)\n.smp");
    CString part;
    EXPECT_TRUE(AfxExtractSubString(part, doc, 0));
    EXPECT_EQ(W(part), L"");
    EXPECT_TRUE(AfxExtractSubString(part, doc, 4));
    EXPECT_EQ(W(part), L".smp");
    EXPECT_FALSE(AfxExtractSubString(part, doc, 5));
    EXPECT_TRUE(part.IsEmpty());
}

// ---------------------------------------------------------------- collections

TEST(CollectionTest, ArraysInsertRemoveAndGrow) {
    CPtrArray a;
    int x[5];
    for (int i = 0; i < 3; ++i) a.Add(&x[i]);
    a.InsertAt(1, &x[3], 2);
    ASSERT_EQ(a.GetSize(), 5);
    void* want[] = {&x[0], &x[3], &x[3], &x[1], &x[2]};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(a[i], want[i]);
    a.RemoveAt(0, 3);
    ASSERT_EQ(a.GetSize(), 2);
    EXPECT_EQ(a.GetAt(0), &x[1]);
    a.RemoveAt(5);   // out of range: nothing happens
    a.SetAtGrow(4, &x[4]);
    EXPECT_EQ(a.GetSize(), 5);
    EXPECT_EQ(a[3], nullptr);
    a.RemoveAll();
    EXPECT_TRUE(a.IsEmpty());

    CStringArray s;
    s.Add(L"b");
    s.InsertAt(0, L"a");
    s.Add(CString(L"c"));
    s.RemoveAt(1);
    ASSERT_EQ(s.GetSize(), 2);
    EXPECT_EQ(W(s[0]), L"a");
    EXPECT_EQ(W(s[1]), L"c");
    for (int i = 0; i < 100; ++i) s.Add(L"grow");
    EXPECT_EQ(s.GetSize(), 102);
    EXPECT_EQ(W(s[1]), L"c");
}

TEST(CollectionTest, ListsKeepOrderAndPositions) {
    CList<UINT, UINT> l;
    l.AddTail(2u);
    l.AddHead(1u);
    POSITION three = l.AddTail(3u);
    l.InsertBefore(three, 25u);
    std::vector<UINT> seen;
    for (POSITION p = l.GetHeadPosition(); p;) seen.push_back(l.GetNext(p));
    EXPECT_EQ(seen, (std::vector<UINT>{1, 2, 25, 3}));
    EXPECT_EQ(l.Find(25u) != nullptr, true);
    l.RemoveAt(l.Find(25u));
    EXPECT_EQ(l.GetCount(), 3);
    EXPECT_EQ(l.RemoveHead(), 1u);
    EXPECT_EQ(l.GetAt(l.FindIndex(1)), 3u);
    EXPECT_EQ(l.FindIndex(5), nullptr);

    CObList objects;
    CPtrArray owner;
    objects.AddTail(&owner);
    EXPECT_EQ(objects.GetHead(), &owner);
}

// ---------------------------------------------------------------- run-time classes and archives

class CShape : public CObject {
    DECLARE_SERIAL(CShape)
public:
    CShape() {}
    int m_kind = 0;
    CString m_name;
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) ar << m_kind << m_name;
        else ar >> m_kind >> m_name;
    }
};
IMPLEMENT_SERIAL(CShape, CObject, 3)

class CCircle : public CShape {
    DECLARE_DYNCREATE(CCircle)
};
IMPLEMENT_DYNCREATE(CCircle, CShape)

TEST(RuntimeClassTest, KindsAndCreation) {
    CCircle c;
    EXPECT_TRUE(c.IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(c.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(c.IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_STREQ(c.GetRuntimeClass()->m_lpszClassName, "CCircle");
    CObject* made = RUNTIME_CLASS(CCircle)->CreateObject();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CCircle)));
    delete made;
    EXPECT_EQ(RUNTIME_CLASS(CWnd)->CreateObject() != nullptr, true);   // CWnd is DYNCREATE
    EXPECT_EQ(RUNTIME_CLASS(CCmdTarget)->CreateObject(), nullptr);     // DYNAMIC only
    EXPECT_EQ(CRuntimeClass::FromName("CShape"), RUNTIME_CLASS(CShape));
    EXPECT_EQ(CRuntimeClass::FromName(L"CMDIChildWnd"), RUNTIME_CLASS(CMDIChildWnd));
    EXPECT_EQ(CRuntimeClass::FromName("NoSuchClass"), nullptr);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CShape, made = new CStringArray), nullptr);
    delete made;
}

TEST(RuntimeClassTest, DowncastEvaluatesItsOperandOnce) {
    // A walk that moves on with each call: the one-element list ends after
    // the first, and a second call would read past the end.
    CShape only;
    CCircle circle;
    CObList list;
    list.AddTail(&only);
    POSITION pos = list.GetHeadPosition();
    EXPECT_EQ(DYNAMIC_DOWNCAST(CShape, list.GetNext(pos)), &only);
    EXPECT_EQ(pos, nullptr);
    int calls = 0;
    auto next = [&]() -> CObject* { ++calls; return &circle; };
    EXPECT_EQ(DYNAMIC_DOWNCAST(CCircle, next()), &circle);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CWnd, next()), nullptr);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CShape, nullptr), nullptr);
}

TEST(ArchiveTest, ObjectsAndStringsRoundTripAndTruncationIsAnError) {
    CString path = TempPath(L"afx_archive.bin");
    {
        CFile f(path, CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&f, CArchive::store);
        CShape s;
        s.m_kind = 7;
        s.m_name = L"r\u00e9gion";
        ar << &s;
        CStringArray names;
        names.Add(L"one");
        names.Add(L"two");
        names.Serialize(ar);
        ar << 1.5 << (WORD)9;
    }
    {
        CFile f(path, CFile::modeRead);
        CArchive ar(&f, CArchive::load);
        CShape* s = nullptr;
        ar >> s;
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->m_kind, 7);
        EXPECT_EQ(W(s->m_name), L"r\u00e9gion");
        delete s;
        CStringArray names;
        names.Serialize(ar);
        ASSERT_EQ(names.GetSize(), 2);
        EXPECT_EQ(W(names[1]), L"two");
        double d = 0;
        WORD w = 0;
        ar >> d >> w;
        EXPECT_EQ(d, 1.5);
        EXPECT_EQ(w, 9);
    }
    std::string bytes = ReadBytes(path);
    WriteBytes(path, bytes.substr(0, bytes.size() - 3));
    CFile f(path, CFile::modeRead);
    CArchive ar(&f, CArchive::load);
    CShape* s = nullptr;
    ar >> s;
    delete s;
    CStringArray names;
    names.Serialize(ar);
    double d;
    int cause = -1;
    try {
        ar >> d;
    } catch (CArchiveException* e) {
        cause = e->m_cause;
        e->Delete();
    }
    EXPECT_EQ(cause, CArchiveException::endOfFile);
}

// ---------------------------------------------------------------- files

TEST(FileTest, TextFilesAreAnsiWithCrLf) {
    CString path = TempPath(L"afx_text.txt");
    {
        CStdioFile f;
        ASSERT_TRUE(f.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeText));
        f.WriteString(L"first line\n");
        f.WriteString(L"caf\u00e9 0.123\n");
        f.WriteString(L"no newline");
        f.Close();
    }
    EXPECT_EQ(ReadBytes(path), "first line\r\ncaf\xe9 0.123\r\nno newline");
    CStdioFile f;
    ASSERT_TRUE(f.Open(path, CFile::modeRead | CFile::typeText));
    CString line;
    std::vector<std::wstring> lines;
    while (f.ReadString(line)) lines.push_back(W(line));
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"first line", L"caf\u00e9 0.123", L"no newline"}));
}

TEST(FileTest, BinaryFilesAndErrors) {
    CString path = TempPath(L"afx_bin.dat");
    {
        CFile f(path, CFile::modeCreate | CFile::modeReadWrite);
        f.Write("abc\ndef", 7);
        EXPECT_EQ(f.GetLength(), 7u);
        f.Seek(4, CFile::begin);
        char c[3];
        EXPECT_EQ(f.Read(c, 3), 3u);
        EXPECT_EQ(std::string(c, 3), "def");
        EXPECT_EQ(f.GetFileName().Compare(L"afx_bin.dat"), 0);
    }
    EXPECT_EQ(ReadBytes(path), "abc\ndef");

    CFile missing;
    CFileException e;
    EXPECT_FALSE(missing.Open(TempPath(L"no_such_dir\\x.dat"), CFile::modeRead, &e));
    EXPECT_EQ(e.m_cause, CFileException::badPath);
    EXPECT_FALSE(missing.Open(TempPath(L"no_such_file.dat"), CFile::modeRead, &e));
    EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    wchar_t msg[256];
    e.GetErrorMessage(msg, 256);
    EXPECT_NE(std::wstring(msg).find(L"no_such_file.dat was not found."), std::wstring::npos) << msg;

    int cause = -1;
    try {
        CFile f(TempPath(L"no_such_file.dat"), CFile::modeRead);
    } catch (CFileException* ex) {
        cause = ex->m_cause;
        ex->Delete();
    }
    EXPECT_EQ(cause, CFileException::fileNotFound);
}

// ---------------------------------------------------------------- profiles

class ProfileApp : public CWinApp {
public:
    ProfileApp() : CWinApp(L"AfxProfileTest") {}
};

TEST(ProfileTest, PrivateProfileWritesAnsiAndReadsDefaultsForEmptyValues) {
    ProfileApp app;
    CString ini = TempPath(L"afx_profile.ini");
    DeleteFileW(ini);
    app.m_pszProfileName = ini;
    EXPECT_TRUE(app.WriteProfileInt(L"Workspace", L"Layout", 3));
    EXPECT_TRUE(app.WriteProfileString(L"Workspace", L"Name", L"Caf\u00e9"));
    EXPECT_EQ(app.GetProfileInt(L"Workspace", L"Layout", 9), 3u);
    EXPECT_EQ(W(app.GetProfileString(L"Workspace", L"Name")), L"Caf\u00e9");
    wchar_t raw[64];
    GetPrivateProfileStringW(L"Workspace", L"Layout", L"", raw, 64, ini);
    EXPECT_STREQ(raw, L"3");
    std::string bytes = ReadBytes(ini);
    EXPECT_NE(bytes.find("Name=Caf\xe9"), std::string::npos) << bytes;   // ANSI, not UTF-16

    WriteBytes(ini, "[Workspace]\r\nLayout=\r\nName=\r\n");
    EXPECT_EQ(app.GetProfileInt(L"Workspace", L"Layout", 9), 9u);
    EXPECT_EQ(app.GetProfileInt(L"Workspace", L"Missing", -1), (UINT)-1);
    EXPECT_EQ(W(app.GetProfileString(L"Workspace", L"Missing", L"dflt")), L"dflt");
    app.m_pszProfileName = nullptr;
}

TEST(ProfileTest, RegistryProfileUnderTheRegistryKey) {
    ProfileApp app;
    app.SetRegistryKey(L"VeltraneAfxTest");
    EXPECT_TRUE(app.WriteProfileInt(L"Settings", L"Zoom", 150));
    EXPECT_TRUE(app.WriteProfileString(L"Settings", L"Folder", L"C:\\captures"));
    HKEY h;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\VeltraneAfxTest\\AfxProfileTest\\Settings", 0, KEY_READ, &h), ERROR_SUCCESS);
    DWORD v = 0, size = sizeof v, type = 0;
    EXPECT_EQ(RegQueryValueExW(h, L"Zoom", nullptr, &type, (BYTE*)&v, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, (DWORD)REG_DWORD);
    EXPECT_EQ(v, 150u);
    RegCloseKey(h);
    EXPECT_EQ(app.GetProfileInt(L"Settings", L"Zoom", 0), 150u);
    EXPECT_EQ(W(app.GetProfileString(L"Settings", L"Folder")), L"C:\\captures");
    EXPECT_EQ(app.GetProfileInt(L"Settings", L"Absent", 5), 5u);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VeltraneAfxTest");
}

// ---------------------------------------------------------------- command line and entry point

TEST(CommandLineTest, ParametersSetTheShellCommand) {
    struct Case { std::vector<std::pair<LPCWSTR, BOOL>> params; int command; LPCWSTR file; BOOL splash; };
    const Case cases[] = {
        {{}, CCommandLineInfo::FileNew, L"", TRUE},
        {{{L"a.smp", FALSE}}, CCommandLineInfo::FileOpen, L"a.smp", TRUE},
        {{{L"p", TRUE}, {L"b.smp", FALSE}}, CCommandLineInfo::FilePrint, L"b.smp", TRUE},
        {{{L"Embedding", TRUE}}, CCommandLineInfo::FileNew, L"", FALSE},
        {{{L"Unregister", TRUE}}, CCommandLineInfo::AppUnregister, L"", TRUE},
        {{{L"dde", TRUE}}, CCommandLineInfo::FileDDE, L"", TRUE},
    };
    for (const Case& c : cases) {
        CCommandLineInfo info;
        for (size_t i = 0; i < c.params.size(); ++i)
            info.ParseParam(c.params[i].first, c.params[i].second, i + 1 == c.params.size());
        EXPECT_EQ((int)info.m_nShellCommand, c.command);
        EXPECT_EQ(W(info.m_strFileName), c.file);
        EXPECT_EQ(info.m_bShowSplash, c.splash);
    }
}

TEST(EntryPointTest, AProgramRunsFromWinMainToItsExitCode) {
    wchar_t cmd[] = L"afx_sample.exe picture.smp";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessW(L"afx_sample.exe", cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(code, 42u);
}

// ---------------------------------------------------------------- scripted answers

class ScriptTest : public ::testing::Test {
protected:
    void TearDown() override { AfxTestSetScript(L""); AfxTestClearRecord(); }
};

TEST_F(ScriptTest, MessageBoxesAnswerFromTheScriptAndAreRecorded) {
    AfxTestSetScript(L"msgbox IDYES; msgbox 7\nmsgbox IDCANCEL");
    AfxTestClearRecord();
    EXPECT_EQ(AfxMessageBox(L"Delete the item ?", MB_YESNO | MB_ICONWARNING), IDYES);
    EXPECT_EQ(AfxScriptedMessageBox(nullptr, L"Second", L"Hint", MB_YESNO | MB_RTLREADING), IDNO);
    CWnd never;
    EXPECT_EQ(never.MessageBox(L"Third", L"Cap", MB_OKCANCEL), IDCANCEL);
    // Nothing left: the box's own cancel answer, and the call is marked.
    EXPECT_EQ(AfxMessageBox(L"Fourth", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(AfxMessageBox(L"Fifth", MB_OK), IDOK);
    CString rec = AfxTestGetRecord();
    CString want;
    want.Format(L"msgbox|Error|Delete the item ?|0x%X\n"
                L"msgbox|Hint|Second|0x%X\n"
                L"msgbox|Cap|Third|0x%X\n"
                L"msgbox|Error|Fourth|0x%X|unanswered\n"
                L"msgbox|Error|Fifth|0x%X|unanswered\n",
                MB_YESNO | MB_ICONWARNING, MB_YESNO | MB_RTLREADING, MB_OKCANCEL, MB_YESNOCANCEL, MB_OK);
    EXPECT_EQ(W(rec), W(want));
}

TEST_F(ScriptTest, FileFolderColourAndPrintDialogsTakeScriptedAnswers) {
    AfxTestSetScript(L"save C:\\out\\a.bmp filter 2; open cancel; folder C:\\captures; color 0x00FF00; color cancel");
    CFileDialog save(FALSE, L"jpg", L"still", OFN_OVERWRITEPROMPT, L"JPEG (*.jpg)|*.jpg|Bitmap (*.bmp)|*.bmp||");
    ASSERT_EQ(save.DoModal(), IDOK);
    EXPECT_EQ(W(save.GetPathName()), L"C:\\out\\a.bmp");
    EXPECT_EQ(W(save.GetFileName()), L"a.bmp");
    EXPECT_EQ(W(save.GetFileExt()), L"bmp");
    EXPECT_EQ(W(save.GetFileTitle()), L"a");
    EXPECT_EQ(save.m_ofn.nFilterIndex, 2u);
    // The system dialog adds the dot to the default extension itself.
    CFileDialog dotted(FALSE, L".avi", L"video");
    EXPECT_STREQ(dotted.m_ofn.lpstrDefExt, L"avi");
    EXPECT_STREQ(save.m_ofn.lpstrDefExt, L"jpg");

    CFileDialog open(TRUE);
    EXPECT_EQ(open.DoModal(), IDCANCEL);

    CString folder;
    EXPECT_TRUE(AfxBrowseForFolder(nullptr, L"Choose", BIF_RETURNONLYFSDIRS, folder));
    EXPECT_EQ(W(folder), L"C:\\captures");

    CColorDialog colour(RGB(1, 2, 3));
    ASSERT_EQ(colour.DoModal(), IDOK);
    EXPECT_EQ(colour.GetColor(), RGB(0, 255, 0));
    EXPECT_EQ(colour.DoModal(), IDCANCEL);

    CString rec = AfxTestGetRecord();
    EXPECT_NE(rec.Find(L"save||still|"), -1) << (LPCWSTR)rec;
    EXPECT_NE(rec.Find(L"folder|Choose||"), -1) << (LPCWSTR)rec;
    EXPECT_NE(rec.Find(L"color||0x030201|"), -1) << (LPCWSTR)rec;

    // The print dialog takes its answers too: a cancel, then the default
    // printer with two copies (cancelled all the same where there is none).
    AfxTestClearRecord();
    AfxTestSetScript(L"print cancel; print copies 2");
    CPrintDialog cancelled(FALSE);
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    wchar_t printer[256] = L"";
    DWORD size = 256;
    const bool hasPrinter = GetDefaultPrinterW(printer, &size) != FALSE;
    CPrintDialog two(FALSE);
    const INT_PTR answer = two.DoModal();
    if (hasPrinter) {
        EXPECT_EQ(answer, IDOK);
        EXPECT_EQ(two.GetCopies(), 2);
        EXPECT_EQ(W(two.GetDeviceName()), std::wstring(printer));
    } else {
        EXPECT_EQ(answer, IDCANCEL);
    }
    rec = AfxTestGetRecord();
    int prints = 0;
    for (int at = rec.Find(L"print|"); at >= 0; at = rec.Find(L"print|", at + 1)) ++prints;
    EXPECT_EQ(prints, 2) << (LPCWSTR)rec;
    EXPECT_EQ(rec.Find(L"unanswered"), -1) << (LPCWSTR)rec;
}

}  // namespace
