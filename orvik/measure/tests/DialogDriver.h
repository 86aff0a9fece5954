// Runs a modal dialog the way its user meets it: the framework's scripted
// answer clicks a button to end it, and a step of the test runs in between,
// once OnInitDialog has filled the controls and before that click arrives.
// The step talks to the controls synchronously (messages sent, not posted),
// so all of it happens ahead of the scripted click.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <AfxTestScript.h>
#include <AfxWindows.h>

#include <cstdio>
#include <functional>
#include <string>

namespace dialog_driver {

using Step = std::function<void(HWND)>;

inline Step& PendingStep()
{
    static Step step;
    return step;
}

inline LRESULT CALLBACK AfterInit(int code, WPARAM wParam, LPARAM lParam)
{
    auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && m->message == WM_INITDIALOG && PendingStep()) {
        Step step = std::move(PendingStep());
        PendingStep() = nullptr;
        step(m->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// `script` as AfxTestSetScript takes it, for example "dialog 176 IDOK".
inline INT_PTR RunModal(CDialog& dlg, LPCWSTR script, Step step)
{
    bool ran = false;
    AfxTestSetScript(script);
    AfxTestClearRecord();
    PendingStep() = [&](HWND h) { ran = true; step(h); };
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, AfterInit, nullptr, GetCurrentThreadId());
    INT_PTR result = dlg.DoModal();
    UnhookWindowsHookEx(hook);
    PendingStep() = nullptr;
    EXPECT_TRUE(ran) << "the dialog never reached its initialisation";
    return result;
}

// What a click on the button sends its dialog.
inline void Click(HWND dlg, int id)
{
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

// A choice in a drop-down list, with the notification the list sends.
inline void Choose(HWND dlg, int id, int index)
{
    HWND combo = GetDlgItem(dlg, id);
    SendMessageW(combo, CB_SETCURSEL, index, 0);
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

inline std::wstring Text(HWND h)
{
    wchar_t buf[256] = {};
    GetWindowTextW(h, buf, 256);
    return buf;
}

inline std::wstring ItemText(HWND dlg, int id) { return Text(GetDlgItem(dlg, id)); }

inline int CurSel(HWND dlg, int id) { return (int)SendDlgItemMessageW(dlg, id, CB_GETCURSEL, 0, 0); }

// A file's bytes, empty when it cannot be read.
inline std::string FileBytes(const std::wstring& path)
{
    std::string text;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buf[512];
        for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
        fclose(f);
    }
    return text;
}

// Whether the record of message boxes holds one with this text.
inline bool BoxShown(LPCWSTR text)
{
    return AfxTestGetRecord().Find(CString(L"|") + text + L"|") >= 0;
}

// Dialogs and strings from one of the program's language libraries (in
// orvik/bin, ../bin from the test) while it lives.
class LanguageResources {
public:
    explicit LanguageResources(const wchar_t* file) : m_before(AfxGetResourceHandle())
    {
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring p(path);
        p = p.substr(0, p.find_last_of(L"\\/"));
        p = p.substr(0, p.find_last_of(L"\\/")) + L"\\bin\\" + file;
        m_module = LoadLibraryExW(p.c_str(), nullptr, 0);
        if (m_module) AfxSetResourceHandle(m_module);
    }
    ~LanguageResources()
    {
        AfxSetResourceHandle(m_before);
        if (m_module) FreeLibrary(m_module);
    }
    bool Loaded() const { return m_module != nullptr; }
private:
    HINSTANCE m_before;
    HMODULE m_module;
};

}  // namespace dialog_driver
