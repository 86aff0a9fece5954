// Tolmira as Orvik meets it: a separate process, found by its window title,
// asked to close with WM_CLOSE; its log read back as a file.
#include "Tolmira.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string ReadAll(const std::wstring& path)
{
    std::string bytes;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buf[1024];
        size_t got;
        while ((got = fread(buf, 1, sizeof buf, f)) > 0)
            bytes.append(buf, got);
        fclose(f);
    }
    return bytes;
}

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindOfProcess(HWND window, LPARAM param)
{
    Search* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    WCHAR title[128] = {};
    GetWindowTextW(window, title, 128);
    if (pid == s->pid && wcscmp(title, TOLMIRA_WINDOW_TITLE) == 0) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

// The program's window, found by its title as Orvik finds it.
HWND WaitForWindow(DWORD pid)
{
    for (int i = 0; i < 200; ++i) {
        Search s = {pid, nullptr};
        EnumWindows(FindOfProcess, reinterpret_cast<LPARAM>(&s));
        if (s.found)
            return s.found;
        Sleep(50);
    }
    return nullptr;
}

class Tolmira : public ::testing::Test {
protected:
    void Start()
    {
        WCHAR app[MAX_PATH];
        lstrcpynW(app, TOLMIRA_EXE, MAX_PATH);
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_SHOWNORMAL;
        ASSERT_TRUE(CreateProcessW(app, nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                                   &si, &m_process));
    }
    void TearDown() override
    {
        if (m_process.hProcess) {
            if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(m_process.hProcess, 9);
            CloseHandle(m_process.hProcess);
            CloseHandle(m_process.hThread);
        }
        SetEnvironmentVariableW(TOLMIRA_LOG_VARIABLE, nullptr);
    }
    std::string Lines(const char* first, const char* second = nullptr) const
    {
        std::string pid = std::to_string(m_process.dwProcessId);
        std::string text = std::string(first) + " " + pid + "\r\n";
        if (second)
            text += std::string(second) + " " + pid + "\r\n";
        return text;
    }
    PROCESS_INFORMATION m_process = {};
};

TEST_F(Tolmira, LogsItsStartAndItsCloseThenEnds)
{
    WCHAR temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring log = std::wstring(temp) + L"tolmira_test.log";
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(TOLMIRA_LOG_VARIABLE, log.c_str());

    Start();
    HWND window = WaitForWindow(m_process.dwProcessId);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(ReadAll(log), Lines("start"));
    EXPECT_EQ(WaitForSingleObject(m_process.hProcess, 200), DWORD(WAIT_TIMEOUT));  // it stays up

    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(m_process.hProcess, 10000), DWORD(WAIT_OBJECT_0));
    DWORD code = 1;
    GetExitCodeProcess(m_process.hProcess, &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ReadAll(log), Lines("start", "close"));
    DeleteFileW(log.c_str());
}

TEST_F(Tolmira, WithoutTheVariableLogsBesideItself)
{
    SetEnvironmentVariableW(TOLMIRA_LOG_VARIABLE, nullptr);
    std::wstring log = TOLMIRA_EXE;
    log = log.substr(0, log.find_last_of(L"\\/") + 1) + L"Tolmira.log";
    DeleteFileW(log.c_str());

    Start();
    HWND window = WaitForWindow(m_process.dwProcessId);
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(m_process.hProcess, 10000), DWORD(WAIT_OBJECT_0));
    EXPECT_EQ(ReadAll(log), Lines("start", "close"));
    DeleteFileW(log.c_str());
}

}  // namespace
