#include "AdjustControls.h"

void DressAdjustButtons(const AdjustButton* buttons, size_t count)
{
    CBCGPButton::EnableWinXPTheme(FALSE);
    for (size_t i = 0; i < count; ++i) {
        CBCGPButton* button = buttons[i].button;
        if (!button->GetSafeHwnd()) continue;
        button->SetMouseCursorHand();
        button->SetImage(buttons[i].image);
        CString text;
        if (text.LoadString(buttons[i].caption)) button->SetWindowText(text);
        if (text.LoadString(buttons[i].tip)) button->SetTooltip(text);
    }
}

void SetLabelInt(HWND dlg, UINT id, int value)
{
    wchar_t text[16];
    wsprintfW(text, L"%d", value);
    ::SetDlgItemTextW(dlg, id, text);
}

void EnableChildren(HWND dlg, BOOL enable)
{
    if (!dlg) return;
    for (HWND child = ::GetWindow(dlg, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::EnableWindow(child, enable);
}
