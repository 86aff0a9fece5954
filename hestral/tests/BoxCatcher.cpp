#include "BoxCatcher.h"

namespace {
std::vector<CaughtBox> g_boxes;
std::vector<HWND> g_seen; // a box is activated again when another window took the focus
HHOOK g_hook;
} // namespace

CBoxCatcher::CBoxCatcher()
{
    g_boxes.clear();
    g_seen.clear();
    m_hook = g_hook = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

CBoxCatcher::~CBoxCatcher()
{
    UnhookWindowsHookEx(m_hook);
}

std::vector<CaughtBox> CBoxCatcher::Take()
{
    std::vector<CaughtBox> b;
    b.swap(g_boxes);
    return b;
}

LRESULT CALLBACK CBoxCatcher::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_DESTROYWND) {
        for (HWND& h : g_seen)
            if (h == (HWND)wParam) h = nullptr;
    }
    if (code == HCBT_ACTIVATE) {
        HWND box = (HWND)wParam;
        char cls[32] = {};
        GetClassNameA(box, cls, sizeof cls);
        bool seen = false;
        for (HWND h : g_seen) seen = seen || h == box;
        // Only this thread's boxes: other programs' dialogs can reach the hook too.
        const bool ours = GetWindowThreadProcessId(box, nullptr) == GetCurrentThreadId();
        if (lstrcmpA(cls, "#32770") == 0 && !seen && ours) {
            g_seen.push_back(box);
            CaughtBox b;
            char text[512] = {};
            GetWindowTextA(box, text, sizeof text);
            b.caption = text;
            text[0] = 0;
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            b.text = text;
            b.window = box;
            g_boxes.push_back(b);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}
