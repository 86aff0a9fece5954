#include "USBDevice.h"
#include "ParameterSet.h"
#include "UsbTransport.h"
#include "ZentuRes.h"
#include "ZentuTwainRes.h"

#include <commctrl.h>
#include <process.h>
#include <cstring>
#include <new>

bool g_twainChinese = false;
HINSTANCE g_twainModule = nullptr;

namespace {

// The largest picture the pipeline makes (size 0).
const size_t kFrameBytes = size_t(1280) * 1024 * 3;
const int kPreviewWidth = 640, kPreviewHeight = 480, kMargin = 8, kColumn = 132;


// A test hook, as in the capture filter: Wine reports every processor.
bool ForcedSingleProcessor()
{
    char value[8];
    return GetEnvironmentVariableA("ZENTU_SINGLE_PROCESSOR", value, sizeof value) > 0 && value[0] == '1';
}

void Warn(HWND owner, UINT text)
{
    char message[128] = {};
    LoadStringA(g_twainModule, text, message, sizeof message);
    MessageBoxA(owner, message, nullptr, MB_OK | MB_ICONWARNING);
}

}  // namespace

std::unique_ptr<CUSBDevice> CUSBDevice::Create()
{
    std::unique_ptr<CUSBDevice> device(new (std::nothrow) CUSBDevice);
    if (!device)
        return nullptr;
    for (auto& frame : device->m_frames) {
        frame.reset(new (std::nothrow) BYTE[kFrameBytes]);
        if (!frame)
            return nullptr;
    }
    return device;
}

CUSBDevice::CUSBDevice() : m_sensor(&m_deviceLock), m_control(this)
{
    InitializeCriticalSection(&m_deviceLock);
    m_bufferFree = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_path = ForcedSingleProcessor() ? CRawFrameReader::Path::Direct : CRawFrameReader::Path::FromSystem;
    m_owner.sensor = &m_sensor;
    LoadStartupSettings(m_owner, ParameterFlavour::Twain);
    m_paint.biSize = sizeof m_paint;
    m_paint.biPlanes = 1;
    m_paint.biBitCount = 24;
}

CUSBDevice::~CUSBDevice()
{
    StopPreview();
    CloseHandle(m_bufferFree);
    CloseHandle(m_stop);
    SaveParameterSet(m_owner.settings, ParameterFlavour::Twain);
    DeleteCriticalSection(&m_deviceLock);
}

int CUSBDevice::GetFrameSize(int* width, int* height)
{
    if (!width || !height)
        return 0;
    CAutoLock lock(&m_deviceLock);
    *width = m_streamWidth;
    *height = m_streamHeight;
    return 1;
}

// ---------------------------------------------------------------------------
// The preview thread

int CUSBDevice::StartPreview()
{
    StopPreview();
    ResetEvent(m_stop);
    m_framePosted = false;  // one posted to a dialog since destroyed never comes
    m_run = true;
    m_thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, PreviewProc, this, 0, nullptr));
    if (!m_thread) {
        m_run = false;
        Warn(m_dialog, IDS_START_FAILED);
        return 0;
    }
    return 1;
}

void CUSBDevice::StopPreview()
{
    if (m_thread) {
        m_run = false;
        SetEvent(m_stop);
        SetEvent(m_bufferFree);
        {
            // A stalled camera must not hold the stop: its reads are cancelled.
            CAutoLock lock(&m_deviceLock);
            CancelTransportReads(m_transport);
        }
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    DropCurrent();
}

unsigned __stdcall CUSBDevice::PreviewProc(void* self)
{
    static_cast<CUSBDevice*>(self)->Preview();
    return 0;
}

bool CUSBDevice::StartCapture()
{
    {
        CAutoLock lock(&m_deviceLock);
        m_transport = StartCaptureSequence(m_owner);
        m_sensor.SetTransport(m_transport);
    }
    if (!m_transport)
        return false;
    if (!m_reader.Start(m_transport, m_path)) {
        StopCapture();
        return false;
    }
    const ZentuFrameSize fs = ZentuSizeOf(m_owner.settings.sizeIndex);
    CAutoLock lock(&m_deviceLock);
    m_streamWidth = fs.outWidth;
    m_streamHeight = fs.outHeight;
    return true;
}

void CUSBDevice::StopCapture()
{
    m_reader.Stop();
    CAutoLock lock(&m_deviceLock);
    StopCaptureSequence(m_transport);  // stream off, 7 := 0, closed
    m_transport = nullptr;
    m_sensor.SetTransport(nullptr);
    m_streamWidth = m_streamHeight = 0;
}

void CUSBDevice::ReleaseRaw(void* self)
{
    CUSBDevice* device = static_cast<CUSBDevice*>(self);
    if (device->m_heldRaw)
        device->m_reader.Release(device->m_heldRaw);
    device->m_heldRaw = nullptr;
}

int CUSBDevice::TakeFreeFrame()
{
    while (m_run) {
        {
            CAutoLock lock(&m_deviceLock);
            for (int i = 0; i < kFrames; i++)
                if (m_uses[i] == 0) {
                    m_uses[i] = 1;
                    return i;
                }
        }
        WaitForSingleObject(m_bufferFree, 1000);
    }
    return -1;
}

void CUSBDevice::Release(int frame)
{
    CAutoLock lock(&m_deviceLock);
    if (frame >= 0 && --m_uses[frame] == 0)
        SetEvent(m_bufferFree);
}

void CUSBDevice::Publish(int frame)
{
    CAutoLock lock(&m_deviceLock);
    const int previous = m_current;
    m_current = frame;
    if (previous >= 0 && --m_uses[previous] == 0)
        SetEvent(m_bufferFree);
}

void CUSBDevice::DropCurrent()
{
    CAutoLock lock(&m_deviceLock);
    const int previous = m_current;
    m_current = -1;
    if (previous >= 0 && --m_uses[previous] == 0)
        SetEvent(m_bufferFree);
}

int CUSBDevice::UseCurrent(int* w, int* h)
{
    CAutoLock lock(&m_deviceLock);
    if (m_current < 0)
        return -1;
    ++m_uses[m_current];
    *w = m_streamWidth;
    *h = m_streamHeight;
    return m_current;
}

void CUSBDevice::Post(WPARAM ok)
{
    const HWND dialog = m_dialog;
    if (!dialog || (ok && m_framePosted.exchange(true)))
        return;
    if (!PostMessageA(dialog, kFrameMessage, ok, 0) && ok)
        m_framePosted = false;
}

void CUSBDevice::Preview()
{
    if (!StartCapture()) {
        Post(0);
        return;
    }
    // Half of each frame's rows on a second thread, which ends with the preview;
    // not where one processor is all there is.
    ZentuRowHelper rows;
    const bool helped = m_path != CRawFrameReader::Path::Direct && rows.Start();
    m_owner.rowHelper = helped ? &rows : nullptr;
    struct Unset {
        ZentuOwner& owner;
        ~Unset() { owner.rowHelper = nullptr; }
    } unset{m_owner};
    {
        CAutoLock lock(&m_deviceLock);
        UsbStartStream(m_transport);
    }
    while (m_run) {
        const int frame = TakeFreeFrame();
        if (frame < 0)
            break;
        BYTE* raw = nullptr;
        const int got = m_reader.Acquire(&raw, m_stop, 40);
        if (got < 0) {
            Release(frame);
            // A camera that went away: no stale frame is handed out after it.
            if (m_run) {
                DropCurrent();
                StopCapture();
                Post(0);
                return;
            }
            break;
        }
        if (got == 0) {
            Release(frame);
            Sleep(1);
            continue;
        }
        m_heldRaw = raw;
        RunPipeline(m_owner, raw, m_frames[frame].get(), ReleaseRaw, this);
        ReleaseRaw(this);
        Publish(frame);
        Post(1);
    }
    StopCapture();
}

int CUSBDevice::GrabFrame(const FrameDescriptor* frame)
{
    if (!frame || !frame->buffer)
        return 0;
    int w = 0, h = 0;
    const int current = UseCurrent(&w, &h);
    if (current < 0)
        return 0;
    const size_t row = size_t(w) * 3;
    if (frame->length < row * h) {
        Release(current);
        return 0;
    }
    const BYTE* src = m_frames[current].get();
    if (frame->memoryTransfer && Bgr()) {
        // Top-down RGB, as a memory transfer is read.
        for (int y = 0; y < h; y++) {
            const BYTE* s = src + (size_t(h) - 1 - y) * row;
            BYTE* d = frame->buffer + size_t(y) * row;
            for (int x = 0; x < w; x++, s += 3, d += 3) {
                d[0] = s[2];
                d[1] = s[1];
                d[2] = s[0];
            }
        }
    } else {
        std::memcpy(frame->buffer, src, row * h);
    }
    Release(current);
    return 1;
}

// ---------------------------------------------------------------------------
// The source dialog's camera side

void CUSBDevice::OnInitDialog(HWND dialog)
{
    m_dialog = dialog;
    m_gotFrame = false;
    m_captureDisabled = true;
    EnableWindow(GetDlgItem(dialog, IDC_CAPTURE), FALSE);
    // The preview takes 640 x 480 pixels; the controls stand in a column
    // beside it and the dialog is sized round both.
    SetWindowPos(GetDlgItem(dialog, IDC_PREVIEW), nullptr, kMargin, kMargin, kPreviewWidth, kPreviewHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    const int x = kMargin * 2 + kPreviewWidth;
    const int ids[] = {IDC_SOURCE_SIZE, IDC_CAPTURE, IDC_SETTINGS, IDC_RGBBGR, IDCANCEL};
    int y = kMargin;
    for (int id : ids) {
        const int height = id == IDC_SOURCE_SIZE ? 160 : 26;
        SetWindowPos(GetDlgItem(dialog, id), nullptr, x, y, kColumn, height, SWP_NOZORDER | SWP_NOACTIVATE);
        y += 34;
    }
    RECT rc = {0, 0, x + kColumn + kMargin, kPreviewHeight + 2 * kMargin};
    AdjustWindowRectEx(&rc, DWORD(GetWindowLongA(dialog, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongA(dialog, GWL_EXSTYLE)));
    SetWindowPos(dialog, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    StartPreview();
    HWND combo = GetDlgItem(dialog, IDC_SOURCE_SIZE);
    for (UINT id : {IDS_SIZE_1280, IDS_SIZE_1024, IDS_SIZE_640}) {
        char text[32] = {};
        LoadStringA(g_twainModule, id, text, sizeof text);
        SendMessageA(combo, CB_ADDSTRING, 0, LPARAM(text));
    }
    SendMessageA(combo, CB_SETCURSEL, m_owner.settings.sizeIndex, 0);
    CheckDlgButton(dialog, IDC_RGBBGR, m_owner.settings.bgr ? BST_CHECKED : BST_UNCHECKED);
}

bool CUSBDevice::OnFrameMessage(HWND dialog, WPARAM ok)
{
    if (ok)
        m_framePosted = false;
    if (!ok) {
        m_captureDisabled = true;
        EnableWindow(GetDlgItem(dialog, IDC_CAPTURE), FALSE);
        Warn(dialog, IDS_PREVIEW_FAILED);
        return false;
    }
    {
        // A message the stopped preview posted before it ended: its frame is gone.
        CAutoLock lock(&m_deviceLock);
        if (m_current < 0)
            return false;
    }
    const bool first = !m_gotFrame;
    m_gotFrame = true;
    if (m_captureDisabled) {
        m_captureDisabled = false;
        EnableWindow(GetDlgItem(dialog, IDC_CAPTURE), TRUE);
    }
    InvalidateRect(GetDlgItem(dialog, IDC_PREVIEW), nullptr, FALSE);
    return first;
}

void CUSBDevice::OnDrawItem(HWND, const DRAWITEMSTRUCT* item)
{
    if (!item || item->CtlID != IDC_PREVIEW)
        return;
    const RECT& rc = item->rcItem;
    int w = 0, h = 0;
    // A use of the frame for as long as it is painted, so that the preview
    // thread cannot write into it meanwhile.
    const int current = UseCurrent(&w, &h);
    if (current < 0) {
        FillRect(item->hDC, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return;
    }
    BITMAPINFOHEADER header = m_paint;
    header.biWidth = w;
    header.biHeight = h;
    SetStretchBltMode(item->hDC, HALFTONE);
    SetBrushOrgEx(item->hDC, 0, 0, nullptr);
    StretchDIBits(item->hDC, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, 0, 0, w, h,
                  m_frames[current].get(), reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS, SRCCOPY);
    Release(current);
}

void CUSBDevice::OnCommand(HWND dialog, WPARAM wParam, LPARAM)
{
    switch (LOWORD(wParam)) {
    case IDC_SOURCE_SIZE: {
        if (HIWORD(wParam) != CBN_SELCHANGE)
            return;
        const LRESULT sel = SendDlgItemMessageA(dialog, IDC_SOURCE_SIZE, CB_GETCURSEL, 0, 0);
        if (sel < 0 || sel > 2)
            return;
        m_captureDisabled = true;
        EnableWindow(GetDlgItem(dialog, IDC_CAPTURE), FALSE);
        StopPreview();
        m_owner.settings.sizeIndex = uint32_t(sel);
        StartPreview();
        return;
    }
    case IDC_SETTINGS:
        ShowSettings(dialog);
        return;
    case IDC_RGBBGR:
        m_owner.settings.bgr = IsDlgButtonChecked(dialog, IDC_RGBBGR) == BST_CHECKED ? 1 : 0;
        return;
    }
}

// ---------------------------------------------------------------------------
// The settings sheet: the capture filter's setup page on this device.

INT_PTR CALLBACK CUSBDevice::SettingsPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        CUSBDevice* device = reinterpret_cast<CUSBDevice*>(reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam);
        SetWindowLongPtrA(page, DWLP_USER, LONG_PTR(device));
        device->m_page.Connect(&device->m_control);
        device->m_page.Activate(page);
        return TRUE;
    }
    CUSBDevice* device = reinterpret_cast<CUSBDevice*>(GetWindowLongPtrA(page, DWLP_USER));
    if (!device)
        return FALSE;
    if (msg == WM_DESTROY) {
        device->m_page.Deactivate();
        device->m_page.Disconnect();
        return FALSE;
    }
    return device->m_page.OnMessage(msg, wParam, lParam) ? TRUE : FALSE;
}

void CUSBDevice::ShowSettings(HWND dialog)
{
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_USETITLE;
    page.hInstance = g_twainModule;
    page.pszTemplate = MAKEINTRESOURCEA(g_twainChinese ? IDD_SETUP_ZH : IDD_SETUP_EN);
    page.pszTitle = MAKEINTRESOURCEA(g_twainChinese ? IDS_SETUP_TITLE_ZH : IDS_SETUP_TITLE_EN);
    page.pfnDlgProc = SettingsPageProc;
    page.lParam = LPARAM(this);
    PROPSHEETHEADERA sheet = {};
    sheet.dwSize = sizeof sheet;
    sheet.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    sheet.hwndParent = dialog;
    sheet.hInstance = g_twainModule;
    sheet.pszCaption = MAKEINTRESOURCEA(g_twainChinese ? IDS_SETTINGS_ZH : IDS_SETTINGS_EN);
    sheet.nPages = 1;
    sheet.ppsp = &page;
    PropertySheetA(&sheet);
}

// ---------------------------------------------------------------------------
// The camera settings; locked ones as in the capture filter.

int CUSBDevice::GetSize(int* index)
{
    return m_controls.Read(index, &ZentuSettings::sizeIndex) ? 1 : 0;
}

int CUSBDevice::GetWhiteBalance(int* request, BYTE* r, BYTE* g, BYTE* b)
{
    return m_controls.GetWhiteBalance(request, r, g, b) ? 1 : 0;
}

// A request only asks for the next frame's measurement; the gains it
// carries are not taken.
int CUSBDevice::SetWhiteBalance(int request, BYTE r, BYTE g, BYTE b)
{
    m_controls.SetWhiteBalance(request, r, g, b);
    return 0;
}

int CUSBDevice::GetExposure(int* autoExposure, BYTE* target, WORD* time, WORD* gain)
{
    return m_controls.GetExposure(autoExposure, target, time, gain) ? 1 : 0;
}

int CUSBDevice::SetExposure(int autoExposure, BYTE target, WORD time, WORD gain)
{
    m_controls.SetExposure(autoExposure, target, time, gain);
    return 0;
}

int CUSBDevice::GetSpeed(BYTE* speed)
{
    return m_controls.Read(speed, &ZentuSettings::speed) ? 1 : 0;
}

// The exposure limits follow the clock at the next capture start.
int CUSBDevice::SetSpeed(BYTE speed)
{
    m_controls.SetSpeed(speed);
    return 0;
}

int CUSBDevice::GetGamma(BYTE* gamma)
{
    return m_controls.Read(gamma, &ZentuSettings::gamma) ? 1 : 0;
}

int CUSBDevice::SetGamma(BYTE gamma)
{
    m_controls.SetGamma(gamma);
    return 0;
}

int CUSBDevice::GetContrast(BYTE* contrast)
{
    return m_controls.Read(contrast, &ZentuSettings::contrast) ? 1 : 0;
}

int CUSBDevice::SetContrast(BYTE contrast)
{
    m_controls.SetContrast(contrast);
    return 0;
}

int CUSBDevice::GetSaturation(int* enable, BYTE* value)
{
    return m_controls.GetSaturation(enable, value) ? 1 : 0;
}

int CUSBDevice::SetSaturation(int enable, BYTE value)
{
    m_controls.SetSaturation(enable, value);
    return 0;
}

int CUSBDevice::GetWhiteBlack(int* mono)
{
    return m_controls.Read(mono, &ZentuSettings::mono) ? 1 : 0;
}

int CUSBDevice::SetWhiteBlack(int mono)
{
    m_controls.Write(&ZentuSettings::mono, uint32_t(mono));
    return 0;
}

int CUSBDevice::GetVFlip(int* flip)
{
    return m_controls.Read(flip, &ZentuSettings::vFlip) ? 1 : 0;
}

int CUSBDevice::SetVFlip(int flip)
{
    m_controls.Write(&ZentuSettings::vFlip, uint32_t(flip));
    return 0;
}

int CUSBDevice::GetHFlip(int* mirror)
{
    return m_controls.Read(mirror, &ZentuSettings::hFlip) ? 1 : 0;
}

int CUSBDevice::SetHFlip(int mirror)
{
    m_controls.Write(&ZentuSettings::hFlip, uint32_t(mirror));
    return 0;
}

int CUSBDevice::GetHZ(int* fiftyHz)
{
    return m_controls.Read(fiftyHz, &ZentuSettings::hz) ? 1 : 0;
}

// Takes effect on the exposure limits at the next capture start.
int CUSBDevice::SetHZ(int fiftyHz)
{
    m_controls.SetHZ(fiftyHz);
    return 0;
}

int CUSBDevice::SetParaTeam(BYTE set)
{
    // A running preview keeps its size: its raw frames are of that size.
    CAutoLock lock(&m_deviceLock);
    m_controls.SetParaTeam(set, m_transport != nullptr);
    return 0;
}

int CUSBDevice::GetParaTeam(BYTE* set)
{
    return m_controls.Read(set, &ZentuSettings::paraTeam) ? 1 : 0;
}

int CUSBDevice::SaveParaTeam()
{
    m_controls.SaveParaTeam();
    return 0;
}

int CUSBDevice::GetExposureUnit(int* microseconds)
{
    return m_controls.GetExposureUnit(microseconds) ? 1 : 0;
}
