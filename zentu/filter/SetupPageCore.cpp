#include "SetupPageCore.h"
#include "ZentuRes.h"

#include <commctrl.h>
#include <initializer_list>

namespace {

struct Slider {
    int bar, edit, spin, lo, hi;
};

const Slider kSliders[] = {
    {IDC_GAMMA, IDC_GAMMA_EDIT, IDC_GAMMA_SPIN, 10, 250},
    {IDC_CONTRAST, IDC_CONTRAST_EDIT, IDC_CONTRAST_SPIN, 0, 100},
    {IDC_SATURATION, IDC_SATURATION_EDIT, IDC_SATURATION_SPIN, 0, 255},
    {IDC_TARGET, IDC_TARGET_EDIT, IDC_TARGET_SPIN, 50, 200},
    {IDC_EXPTIME, IDC_EXPTIME_EDIT, IDC_EXPTIME_SPIN, 1, 4000},
    {IDC_GAIN, IDC_GAIN_EDIT, IDC_GAIN_SPIN, 1, 80},
    {IDC_R, IDC_R_EDIT, IDC_R_SPIN, 10, 255},
    {IDC_G, IDC_G_EDIT, IDC_G_SPIN, 10, 255},
    {IDC_B, IDC_B_EDIT, IDC_B_SPIN, 10, 255},
};

const Slider* ByBar(int id)
{
    for (const Slider& s : kSliders)
        if (s.bar == id)
            return &s;
    return nullptr;
}

const Slider* ByEdit(int id)
{
    for (const Slider& s : kSliders)
        if (s.edit == id)
            return &s;
    return nullptr;
}

int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

}  // namespace

void CSetupPageCore::Connect(CZentuCameraControl* camera)
{
    m_camera = camera;
    Load();
}

void CSetupPageCore::Disconnect()
{
    m_camera = nullptr;
    m_active = false;
}

void CSetupPageCore::Load()
{
    if (!m_camera)
        return;
    Copy& c = m_copy;
    BYTE b8 = 0, r8 = 0, g8 = 0, bl8 = 0;
    WORD time = 0, gain = 0;
    int i1 = 0;
    if (m_camera->GetParaTeam(&b8)) c.paraTeam = b8;
    if (m_camera->GetGamma(&b8)) c.gamma = b8;
    if (m_camera->GetSaturation(&i1, &b8)) { c.enableSaturation = i1; c.saturation = b8; }
    if (m_camera->GetContrast(&b8)) c.contrast = b8;
    if (m_camera->GetExposure(&i1, &b8, &time, &gain)) {
        c.autoExposure = i1;
        c.target = b8;
        c.time = time;
        c.gain = gain;
    }
    if (m_camera->GetWhiteBalance(&i1, &r8, &g8, &bl8)) {
        c.wbRequest = i1;
        c.r = r8;
        c.g = g8;
        c.b = bl8;
    }
    if (m_camera->GetWhiteBlack(&i1)) c.mono = i1;
    if (m_camera->GetVFlip(&i1)) c.vFlip = i1;
    if (m_camera->GetHFlip(&i1)) c.hFlip = i1;
    if (m_camera->GetSpeed(&b8)) c.speed = b8;
    if (m_camera->GetHZ(&i1)) c.hz = i1;
}

void CSetupPageCore::Activate(HWND dialog)
{
    m_dlg = dialog;
    for (const Slider& s : kSliders) {
        SendDlgItemMessageW(m_dlg, s.bar, TBM_SETRANGEMIN, FALSE, s.lo);
        SendDlgItemMessageW(m_dlg, s.bar, TBM_SETRANGEMAX, TRUE, s.hi);
        SendDlgItemMessageW(m_dlg, s.spin, UDM_SETBUDDY, WPARAM(GetDlgItem(m_dlg, s.edit)), 0);
        SendDlgItemMessageW(m_dlg, s.spin, UDM_SETRANGE32, WPARAM(s.lo), LPARAM(s.hi));
    }
    ShowAll();
    m_active = true;
}

void CSetupPageCore::Deactivate()
{
    m_active = false;
    m_dlg = nullptr;
}

void CSetupPageCore::SetEdit(int id, int value)
{
    const bool was = m_quiet;
    m_quiet = true;
    SetDlgItemInt(m_dlg, id, UINT(value), FALSE);
    m_quiet = was;
}

void CSetupPageCore::ShowAll()
{
    // The spins rewrite their edits too; none of it is a user's change.
    const bool was = m_quiet;
    m_quiet = true;
    const Copy& c = m_copy;
    const int values[] = {c.gamma, c.contrast, c.saturation, c.target, c.time, c.gain, c.r, c.g, c.b};
    int k = 0;
    for (const Slider& s : kSliders) {
        SendDlgItemMessageW(m_dlg, s.bar, TBM_SETPOS, TRUE, values[k]);
        SendDlgItemMessageW(m_dlg, s.spin, UDM_SETPOS32, 0, values[k]);
        SetEdit(s.edit, values[k]);
        ++k;
    }
    CheckDlgButton(m_dlg, IDC_COLOR_ENHANCE, c.enableSaturation ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_dlg, IDC_AE, c.autoExposure ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_dlg, IDC_VFLIP, c.vFlip ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_dlg, IDC_HFLIP, c.hFlip ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_dlg, IDC_MONO, c.mono ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(m_dlg, IDC_SPEED_NORMAL, IDC_SPEED_HIGH, c.speed ? IDC_SPEED_HIGH : IDC_SPEED_NORMAL);
    CheckRadioButton(m_dlg, IDC_HZ_50, IDC_HZ_60, c.hz ? IDC_HZ_50 : IDC_HZ_60);
    CheckRadioButton(m_dlg, IDC_GROUP_A, IDC_GROUP_D, IDC_GROUP_A + Clamp(c.paraTeam, 0, 3));
    EnableControls();
    m_quiet = was;
}

void CSetupPageCore::EnableControls()
{
    const BOOL sat = m_copy.enableSaturation ? TRUE : FALSE;
    const BOOL ae = m_copy.autoExposure ? TRUE : FALSE;
    for (int id : {IDC_SATURATION, IDC_SATURATION_EDIT, IDC_SATURATION_SPIN})
        EnableWindow(GetDlgItem(m_dlg, id), sat);
    for (int id : {IDC_TARGET, IDC_TARGET_EDIT, IDC_TARGET_SPIN})
        EnableWindow(GetDlgItem(m_dlg, id), ae);
    for (int id : {IDC_EXPTIME, IDC_EXPTIME_EDIT, IDC_EXPTIME_SPIN, IDC_GAIN, IDC_GAIN_EDIT, IDC_GAIN_SPIN})
        EnableWindow(GetDlgItem(m_dlg, id), !ae);
}

bool CSetupPageCore::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!m_active || !m_dlg)
        return false;
    if (msg == WM_HSCROLL && lParam) {
        OnScroll(reinterpret_cast<HWND>(lParam));
        return true;
    }
    if (msg != WM_COMMAND)
        return false;
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (code == EN_CHANGE) {
        if (!m_quiet)
            OnEditChange(id);
        return true;
    }
    if (code == BN_CLICKED)
        OnCommand(id);
    return true;
}

// A trackbar moves its edit; the edit sends the setting.
void CSetupPageCore::OnScroll(HWND bar)
{
    const Slider* s = ByBar(GetDlgCtrlID(bar));
    if (!s)
        return;
    const bool ae = m_copy.autoExposure != 0;
    if ((s->bar == IDC_TARGET && !ae) || ((s->bar == IDC_EXPTIME || s->bar == IDC_GAIN) && ae) ||
        (s->bar == IDC_SATURATION && !m_copy.enableSaturation))
        return;
    const int pos = int(SendMessageW(bar, TBM_GETPOS, 0, 0));
    SetEdit(s->edit, pos);
    OnEditChange(s->edit);
}

void CSetupPageCore::OnEditChange(int id)
{
    const Slider* s = ByEdit(id);
    if (!s || !m_camera)
        return;
    BOOL ok = FALSE;
    const UINT typed = GetDlgItemInt(m_dlg, id, &ok, FALSE);
    if (!ok)
        return;  // empty or not a number: nothing to send yet
    // A number beyond the control's range is sent as the nearest it allows.
    const int v = Clamp(typed > 100000 ? 100000 : int(typed), s->lo, s->hi);
    const bool ae = m_copy.autoExposure != 0;
    Copy& c = m_copy;
    switch (id) {
    case IDC_GAMMA_EDIT: c.gamma = v; break;
    case IDC_CONTRAST_EDIT: c.contrast = v; break;
    case IDC_SATURATION_EDIT: c.saturation = v; break;
    case IDC_TARGET_EDIT: if (!ae) return; c.target = v; break;
    case IDC_EXPTIME_EDIT: if (ae) return; c.time = v; break;
    case IDC_GAIN_EDIT: if (ae) return; c.gain = v; break;
    case IDC_R_EDIT: c.r = v; break;
    case IDC_G_EDIT: c.g = v; break;
    case IDC_B_EDIT: c.b = v; break;
    default: return;
    }
    SendDlgItemMessageW(m_dlg, s->bar, TBM_SETPOS, TRUE, v);
    switch (id) {
    case IDC_GAMMA_EDIT: m_camera->SetGamma(BYTE(c.gamma)); break;
    case IDC_CONTRAST_EDIT: m_camera->SetContrast(BYTE(c.contrast)); break;
    case IDC_SATURATION_EDIT: m_camera->SetSaturation(c.enableSaturation, BYTE(c.saturation)); break;
    case IDC_TARGET_EDIT:
    case IDC_EXPTIME_EDIT:
    case IDC_GAIN_EDIT: SendExposure(); break;
    default: m_camera->SetWhiteBalance(c.wbRequest, BYTE(c.r), BYTE(c.g), BYTE(c.b)); break;
    }
}

void CSetupPageCore::SendExposure()
{
    const Copy& c = m_copy;
    m_camera->SetExposure(c.autoExposure, BYTE(c.target), WORD(c.time), WORD(c.gain));
}

void CSetupPageCore::OnCommand(int id)
{
    if (!m_camera)
        return;
    Copy& c = m_copy;
    const bool checked = IsDlgButtonChecked(m_dlg, id) == BST_CHECKED;
    switch (id) {
    case IDC_COLOR_ENHANCE:
        c.enableSaturation = checked;
        EnableControls();
        SetEdit(IDC_SATURATION_EDIT, c.saturation);
        m_camera->SetSaturation(c.enableSaturation, BYTE(c.saturation));
        break;
    case IDC_AE:
        c.autoExposure = checked;
        EnableControls();
        SetEdit(IDC_TARGET_EDIT, c.target);
        SetEdit(IDC_EXPTIME_EDIT, c.time);
        SetEdit(IDC_GAIN_EDIT, c.gain);
        SendExposure();
        break;
    case IDC_VFLIP: c.vFlip = checked; m_camera->SetVFlip(c.vFlip); break;
    case IDC_HFLIP: c.hFlip = checked; m_camera->SetHFlip(c.hFlip); break;
    case IDC_MONO: c.mono = checked; m_camera->SetWhiteBlack(c.mono); break;
    case IDC_SPEED_NORMAL: c.speed = 0; m_camera->SetSpeed(0); break;
    case IDC_SPEED_HIGH: c.speed = 1; m_camera->SetSpeed(1); break;
    case IDC_HZ_50: c.hz = 1; m_camera->SetHZ(1); break;
    case IDC_HZ_60: c.hz = 0; m_camera->SetHZ(0); break;
    case IDC_GROUP_A:
    case IDC_GROUP_B:
    case IDC_GROUP_C:
    case IDC_GROUP_D:
        m_camera->SetParaTeam(BYTE(id - IDC_GROUP_A));
        Sleep(1);
        Load();
        ShowAll();
        break;
    case IDC_SAVE: m_camera->SaveParaTeam(); break;
    case IDC_AWB_ONCE: AwbOnce(); break;
    case IDC_DEFAULT: Defaults(); break;
    default: break;
    }
}

// The next frame measures; the page waits for it (2000 polls at most) and
// shows the gains it found without sending them back.
void CSetupPageCore::AwbOnce()
{
    Copy& c = m_copy;
    m_camera->SetWhiteBalance(1, BYTE(c.r), BYTE(c.g), BYTE(c.b));
    c.wbRequest = 1;
    for (int i = 0; i < 2000; ++i) {
        Sleep(1);
        int request = 1;
        BYTE r = 0, g = 0, b = 0;
        if (!m_camera->GetWhiteBalance(&request, &r, &g, &b))
            continue;
        c.r = r;
        c.g = g;
        c.b = b;
        c.wbRequest = request;
        if (request == 0)
            break;
    }
    const int values[3] = {c.r, c.g, c.b};
    const int bars[3] = {IDC_R, IDC_G, IDC_B};
    const int edits[3] = {IDC_R_EDIT, IDC_G_EDIT, IDC_B_EDIT};
    for (int k = 0; k < 3; ++k) {
        SendDlgItemMessageW(m_dlg, bars[k], TBM_SETPOS, TRUE, values[k]);
        SetEdit(edits[k], values[k]);
    }
}

void CSetupPageCore::Defaults()
{
    Copy& c = m_copy;
    c.gamma = 100;
    m_camera->SetGamma(100);
    c.contrast = 30;
    m_camera->SetContrast(30);
    c.enableSaturation = 1;
    c.saturation = 100;
    m_camera->SetSaturation(1, 100);
    c.wbRequest = 0;
    c.r = 105;
    c.g = 64;
    c.b = 122;
    m_camera->SetWhiteBalance(0, 105, 64, 122);
    c.speed = 0;
    m_camera->SetSpeed(0);
    c.vFlip = 1;
    m_camera->SetVFlip(1);
    c.hFlip = 1;
    m_camera->SetHFlip(1);
    c.mono = 0;
    m_camera->SetWhiteBlack(0);
    c.hz = 1;
    m_camera->SetHZ(1);
    c.autoExposure = 1;
    c.time = 300;
    c.target = 100;
    c.gain = 20;
    m_camera->SetExposure(1, 100, 300, 20);
    ShowAll();
}
