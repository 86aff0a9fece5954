// The scripted answers as a test harness drives a whole program: a script file
// named in the environment, and the record appended to a file.
#include <gtest/gtest.h>
#include "AfxWindows.h"
#include "AfxDialogs.h"
#include "AfxTestScript.h"
#include <string>

namespace {

std::wstring TempPath(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    CloseHandle(h);
    return out;
}

TEST(ScriptEnvironmentTest, ScriptFileAnswersAndRecordFileCollects) {
    std::wstring script = TempPath(L"afx_script.txt");
    std::wstring record = TempPath(L"afx_record.txt");
    DeleteFileW(record.c_str());
    const char text[] = "# answers for one run\r\nmsgbox IDRETRY\r\nopen C:\\in\\b\xc3\xa9.jpg filter 1; msgbox IDNO\r\n";
    HANDLE h = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(h, text, sizeof text - 1, &put, nullptr);
    CloseHandle(h);
    // Read once, on the first modal call of the process.
    SetEnvironmentVariableW(L"VELTRANE_AFX_SCRIPT", script.c_str());
    SetEnvironmentVariableW(L"VELTRANE_AFX_RECORD", record.c_str());

    EXPECT_TRUE(AfxTestIsScripted());
    EXPECT_EQ(AfxMessageBox(L"Retry?", MB_RETRYCANCEL), IDRETRY);
    CFileDialog open(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, L"JPEG|*.jpg||");
    ASSERT_EQ(open.DoModal(), IDOK);
    EXPECT_EQ(std::wstring(open.GetPathName()), L"C:\\in\\b\u00e9.jpg");   // the script is UTF-8
    EXPECT_EQ(AfxMessageBox(L"Keep caf\u00e9?", MB_YESNO), IDNO);
    EXPECT_EQ(AfxMessageBox(L"Unscripted", MB_YESNO), IDNO);

    char want[256];
    snprintf(want, sizeof want,
             "msgbox|Error|Retry?|0x%X\nopen|||0x%X\nmsgbox|Error|Keep caf\xc3\xa9?|0x%X\nmsgbox|Error|Unscripted|0x%X|unanswered\n",
             (unsigned)MB_RETRYCANCEL, (unsigned)(OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING),
             (unsigned)MB_YESNO, (unsigned)MB_YESNO);
    EXPECT_EQ(ReadBytes(record), want);
}

}  // namespace
