// Catches the message boxes a call shows on this thread: records caption and
// text, and answers each with OK, so the tests run unattended.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct CaughtBox {
    std::string caption, text;
    HWND window = nullptr;
};

class CBoxCatcher {
public:
    CBoxCatcher();
    ~CBoxCatcher();
    std::vector<CaughtBox> Take();

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK m_hook;
};
