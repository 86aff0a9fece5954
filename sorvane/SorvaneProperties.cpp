#include "SorvaneProperties.h"

#include "resource.h"

#include <commctrl.h>
#include <cwchar>
#include <initializer_list>
#include <new>

CUnknown* WINAPI CSorvaneProperties::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr)
{
    return CreatedInstance(new (std::nothrow) CSorvaneProperties(pUnk), phr);
}

CSorvaneProperties::CSorvaneProperties(LPUNKNOWN pUnk)
    : CBasePropertyPage(L"Kelm Sorvane Property Page", pUnk, IDD_SORVANE_PAGE, IDS_SORVANE_PAGE_TITLE)
{
}

void CSorvaneProperties::Read(Settings* s) const
{
    m_pSorvane->get_EnableProcess(&s->enable);
    m_pSorvane->get_Flip(&s->flip);
    m_pSorvane->get_Mirror(&s->mirror);
    m_pSorvane->get_Gray(&s->gray);
    m_pSorvane->get_Invert(&s->invert);
    m_pSorvane->get_Binary(&s->binary, &s->threshold);
    m_pSorvane->get_Emboss(&s->emboss);
    m_pSorvane->get_Sharp(&s->sharp);
    m_pSorvane->get_AddOne(&s->addOne);
    m_pSorvane->get_AddTwo(&s->addTwo);
    m_pSorvane->get_Multiply(&s->multiply, &s->tenths);
    m_pSorvane->get_RgbGain(&s->rgb, &s->r, &s->g, &s->b);
}

HRESULT CSorvaneProperties::OnConnect(IUnknown* pUnknown)
{
    if (!pUnknown)
        return E_POINTER;
    if (m_pSorvane)
        return E_UNEXPECTED;
    HRESULT hr = pUnknown->QueryInterface(IID_ISorvane, reinterpret_cast<void**>(&m_pSorvane));
    if (FAILED(hr)) {
        m_pSorvane = nullptr;
        return E_NOINTERFACE;
    }
    // Both copies start as the filter is, so closing the page before it was
    // ever shown puts back exactly that.
    Read(&m_live);
    m_restore = m_live;
    return S_OK;
}

HRESULT CSorvaneProperties::OnDisconnect()
{
    // The frame may disconnect a page whose connection never succeeded.
    if (!m_pSorvane)
        return S_OK;
    const Settings& s = m_restore;
    m_pSorvane->put_EnableProcess(s.enable);
    m_pSorvane->put_Flip(s.flip);
    m_pSorvane->put_Mirror(s.mirror);
    m_pSorvane->put_Gray(s.gray);
    m_pSorvane->put_Invert(s.invert);
    m_pSorvane->put_Sharp(s.sharp);
    m_pSorvane->put_Emboss(s.emboss);
    m_pSorvane->put_Binary(s.binary, s.threshold);
    m_pSorvane->put_AddOne(s.addOne);
    m_pSorvane->put_AddTwo(s.addTwo);
    m_pSorvane->put_Multiply(s.multiply, s.tenths);
    m_pSorvane->put_RgbGain(s.rgb, s.r, s.g, s.b);
    m_pSorvane->Release();
    m_pSorvane = nullptr;
    return S_OK;
}

void CSorvaneProperties::SetCheck(int id, BOOL on)
{
    CheckDlgButton(m_hwnd, id, on ? BST_CHECKED : BST_UNCHECKED);
}

HRESULT CSorvaneProperties::OnActivate()
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES};
    if (!InitCommonControlsEx(&icc))
        return E_FAIL;
    if (!m_pSorvane)
        return E_UNEXPECTED;
    SendDlgItemMessageW(m_hwnd, IDC_RED, TBM_SETRANGE, TRUE, MAKELPARAM(0, 63));
    SendDlgItemMessageW(m_hwnd, IDC_GREEN, TBM_SETRANGE, TRUE, MAKELPARAM(0, 63));
    SendDlgItemMessageW(m_hwnd, IDC_BLUE, TBM_SETRANGE, TRUE, MAKELPARAM(0, 63));
    SendDlgItemMessageW(m_hwnd, IDC_THRESHOLD, TBM_SETRANGE, TRUE, MAKELPARAM(0, 255));
    SendDlgItemMessageW(m_hwnd, IDC_MULTIPLY, TBM_SETRANGE, TRUE, MAKELPARAM(5, 40));

    Read(&m_live);
    // Processing off: the filter's current values are what closing restores.
    m_restore = m_live;
    if (m_live.enable) {
        SetCheck(IDC_ENABLE, TRUE);
        Read(&m_restore);
        SetCheck(IDC_BINARY_ENABLE, m_live.binary);
        SetCheck(IDC_MULTIPLY_ENABLE, m_live.multiply);
        SetCheck(IDC_RGB_ENABLE, m_live.rgb);
        SetCheck(IDC_RGB_ENABLE2, m_live.rgb);
        SetCheck(IDC_RGB_ENABLE3, m_live.rgb);
        SetLabels(true);
        MoveTrackbars();
    } else {
        // A click toggles the live copy, so every box must show it.
        SetCheck(IDC_BINARY_ENABLE, m_live.binary);
        SetCheck(IDC_MULTIPLY_ENABLE, m_live.multiply);
        SetCheck(IDC_RGB_ENABLE, m_live.rgb);
        SetCheck(IDC_RGB_ENABLE2, m_live.rgb);
        SetCheck(IDC_RGB_ENABLE3, m_live.rgb);
    }
    SetCheck(IDC_FLIP, m_live.flip);
    SetCheck(IDC_MIRROR, m_live.mirror);
    SetCheck(IDC_GRAY, m_live.gray);
    SetCheck(IDC_INVERT, m_live.invert);
    SetCheck(IDC_ADDONE, m_live.addOne);
    SetCheck(IDC_ADDTWO, m_live.addTwo);
    SetCheck(IDC_SHARP, m_live.sharp);
    SetCheck(IDC_EMBOSS, m_live.emboss);
    EnableControls();
    return S_OK;
}

HRESULT CSorvaneProperties::OnDeactivate()
{
    return S_OK;
}

HRESULT CSorvaneProperties::OnApplyChanges()
{
    m_restore = m_live;
    m_bDirty = FALSE;
    return S_OK;
}

void CSorvaneProperties::SetLabels(bool blank)
{
    WCHAR text[64];
    swprintf(text, 64, blank ? L"Binary: %d" : L"Binary:%d", int(m_live.threshold));
    SetDlgItemTextW(m_hwnd, IDC_THRESHOLD_LABEL, text);
    swprintf(text, 64, blank ? L"Multiply: %1.1f" : L"Multiply:%1.1f", m_live.tenths * 0.1);
    SetDlgItemTextW(m_hwnd, IDC_MULTIPLY_LABEL, text);
    swprintf(text, 64, blank ? L"Red: %d" : L"Red:%d", int(m_live.r));
    SetDlgItemTextW(m_hwnd, IDC_RED_LABEL, text);
    swprintf(text, 64, blank ? L"Green: %d" : L"Green:%d", int(m_live.g));
    SetDlgItemTextW(m_hwnd, IDC_GREEN_LABEL, text);
    swprintf(text, 64, blank ? L"Blue: %d" : L"Blue:%d", int(m_live.b));
    SetDlgItemTextW(m_hwnd, IDC_BLUE_LABEL, text);
}

void CSorvaneProperties::MoveTrackbars()
{
    SendDlgItemMessageW(m_hwnd, IDC_THRESHOLD, TBM_SETPOS, TRUE, m_live.threshold);
    SendDlgItemMessageW(m_hwnd, IDC_MULTIPLY, TBM_SETPOS, TRUE, m_live.tenths);
    SendDlgItemMessageW(m_hwnd, IDC_RED, TBM_SETPOS, TRUE, m_live.r);
    SendDlgItemMessageW(m_hwnd, IDC_GREEN, TBM_SETPOS, TRUE, m_live.g);
    SendDlgItemMessageW(m_hwnd, IDC_BLUE, TBM_SETPOS, TRUE, m_live.b);
}

void CSorvaneProperties::EnableControls()
{
    const BOOL on = m_live.enable;
    auto enable = [this](int id, BOOL state) { EnableWindow(GetDlgItem(m_hwnd, id), state); };
    // "Enhance2.0" (1006) is not offered on this page and stays disabled.
    for (int id : {IDC_FLIP, IDC_MIRROR, IDC_GRAY, IDC_INVERT, IDC_ADDONE, IDC_SHARP, IDC_EMBOSS, IDC_RGB_ENABLE,
                   IDC_RGB_ENABLE2, IDC_RGB_ENABLE3, IDC_BINARY_ENABLE, IDC_MULTIPLY_ENABLE})
        enable(id, on);
    enable(IDC_THRESHOLD, on && m_live.binary);
    enable(IDC_THRESHOLD_LABEL, on && m_live.binary);
    enable(IDC_MULTIPLY, on && m_live.multiply);
    enable(IDC_MULTIPLY_LABEL, on && m_live.multiply);
    for (int id : {IDC_RED, IDC_GREEN, IDC_BLUE, IDC_RED_LABEL, IDC_GREEN_LABEL, IDC_BLUE_LABEL})
        enable(id, on && m_live.rgb);
}

void CSorvaneProperties::SetDirty()
{
    m_bDirty = TRUE;
    if (m_pPageSite)
        m_pPageSite->OnStatusChange(PROPPAGESTATUS_DIRTY);
}

void CSorvaneProperties::OnClick(int id)
{
    Settings& s = m_live;
    switch (id) {
    case IDC_ENABLE: s.enable = !s.enable; m_pSorvane->put_EnableProcess(s.enable); break;
    case IDC_FLIP: s.flip = !s.flip; m_pSorvane->put_Flip(s.flip); break;
    case IDC_MIRROR: s.mirror = !s.mirror; m_pSorvane->put_Mirror(s.mirror); break;
    case IDC_GRAY: s.gray = !s.gray; m_pSorvane->put_Gray(s.gray); break;
    case IDC_INVERT: s.invert = !s.invert; m_pSorvane->put_Invert(s.invert); break;
    case IDC_SHARP: s.sharp = !s.sharp; m_pSorvane->put_Sharp(s.sharp); break;
    case IDC_EMBOSS: s.emboss = !s.emboss; m_pSorvane->put_Emboss(s.emboss); break;
    case IDC_ADDONE: s.addOne = !s.addOne; m_pSorvane->put_AddOne(s.addOne); break;
    case IDC_ADDTWO: s.addTwo = !s.addTwo; m_pSorvane->put_AddTwo(s.addTwo); break;
    case IDC_BINARY_ENABLE: s.binary = !s.binary; m_pSorvane->put_Binary(s.binary, s.threshold); break;
    case IDC_MULTIPLY_ENABLE: s.multiply = !s.multiply; m_pSorvane->put_Multiply(s.multiply, s.tenths); break;
    case IDC_RGB_ENABLE:
        s.rgb = !s.rgb;
        SetCheck(IDC_RGB_ENABLE2, s.rgb);
        SetCheck(IDC_RGB_ENABLE3, s.rgb);
        m_pSorvane->put_RgbGain(s.rgb, s.r, s.g, s.b);
        break;
    default:
        return;
    }
    SetDirty();
    EnableControls();
}

void CSorvaneProperties::OnTrackbar(int id)
{
    const long pos = long(SendDlgItemMessageW(m_hwnd, id, TBM_GETPOS, 0, 0));
    WCHAR text[64];
    switch (id) {
    case IDC_THRESHOLD:
        m_live.threshold = pos;
        swprintf(text, 64, L"Binary:%d", int(pos));
        SetDlgItemTextW(m_hwnd, IDC_THRESHOLD_LABEL, text);
        m_pSorvane->put_Binary(1, pos);
        break;
    case IDC_MULTIPLY:
        m_live.tenths = pos;
        swprintf(text, 64, L"Multiply:%1.1f", pos * 0.1);
        SetDlgItemTextW(m_hwnd, IDC_MULTIPLY_LABEL, text);
        m_pSorvane->put_Multiply(1, pos);
        break;
    case IDC_RED:
        m_live.r = pos;
        swprintf(text, 64, L"Red:%d", int(pos));
        SetDlgItemTextW(m_hwnd, IDC_RED_LABEL, text);
        m_pSorvane->put_RgbGain(1, m_live.r, m_live.g, m_live.b);
        break;
    case IDC_GREEN:
        m_live.g = pos;
        swprintf(text, 64, L"Green:%d", int(pos));
        SetDlgItemTextW(m_hwnd, IDC_GREEN_LABEL, text);
        m_pSorvane->put_RgbGain(1, m_live.r, m_live.g, m_live.b);
        break;
    case IDC_BLUE:
        m_live.b = pos;
        swprintf(text, 64, L"Blue:%d", int(pos));
        SetDlgItemTextW(m_hwnd, IDC_BLUE_LABEL, text);
        m_pSorvane->put_RgbGain(1, m_live.r, m_live.g, m_live.b);
        break;
    default:
        return;
    }
    SetDirty();
}

void CSorvaneProperties::OnDefault()
{
    m_live.threshold = m_restore.threshold;
    m_live.tenths = m_restore.tenths;
    m_live.r = m_restore.r;
    m_live.g = m_restore.g;
    m_live.b = m_restore.b;
    SetLabels(false);
    m_pSorvane->put_Binary(m_live.binary, m_live.threshold);
    m_pSorvane->put_Multiply(m_live.multiply, m_live.tenths);
    m_pSorvane->put_RgbGain(m_live.rgb, m_live.r, m_live.g, m_live.b);
    MoveTrackbars();
    EnableControls();
}

INT_PTR CSorvaneProperties::OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (m_pSorvane && m_hwnd) {
        if (uMsg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
            if (LOWORD(wParam) == IDC_DEFAULT)
                OnDefault();
            else
                OnClick(LOWORD(wParam));
            return TRUE;
        }
        if (uMsg == WM_HSCROLL && lParam) {
            const int code = LOWORD(wParam);
            if (code == TB_ENDTRACK || code == TB_THUMBPOSITION)
                OnTrackbar(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
            return TRUE;
        }
    }
    return CBasePropertyPage::OnReceiveMessage(hwnd, uMsg, wParam, lParam);
}
