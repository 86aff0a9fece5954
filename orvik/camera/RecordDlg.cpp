#include "RecordDlg.h"

#include <AfxDialogs.h>
#include <CameraSdk.h>
#include <Globals.h>
#include <OrvikDoc.h>
#include <Trevlo.h>

#include "Resource.h"

namespace {

constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT kIdbBrowse = 180;

bool IsPellix() { return g_CamType == kCamMarrowin; }
bool IsGraph() { return g_CamType == kCamDirectShow; }

CString Text(UINT id) {
    CString s;
    s.LoadString(id);
    return s;
}

int Stride24(int width) { return (width * 3 + 3) & ~3; }

}  // namespace

bool MakeRecordFrame(bool directShow, int width, int height, int stride, const BYTE* src, RecordFrame& out) {
    if (width <= 0 || height <= 0 || !src) return false;
    int step = 1;
    if (directShow && width > 1024) {
        if (width == 1600 && height == 1200)
            step = 2;
        else if (width != 1280)
            return false;
    }
    out.width = width / step;
    out.height = height / step;
    const int outStride = Stride24(out.width);
    out.pixels.assign((size_t)outStride * out.height, 0);
    for (int y = 0; y < out.height; ++y) {
        const BYTE* s = src + (size_t)y * step * stride;
        BYTE* d = out.pixels.data() + (size_t)y * outStride;
        if (step == 1) {
            memcpy(d, s, (size_t)out.width * 3);
            continue;
        }
        for (int x = 0; x < out.width; ++x, d += 3, s += 3 * step) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
    return true;
}

BEGIN_MESSAGE_MAP(CRecordDlg, CBCGPDialog)
    ON_BN_CLICKED(IDC_REC_BROWSE, OnBrowse)
    ON_BN_CLICKED(IDC_REC_START, OnStartPause)
    ON_WM_TIMER()
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CRecordDlg::CRecordDlg(COrvikDoc* doc, CWnd* pParent)
    : CBCGPDialog(IDD_RECORD, pParent), m_nState(kNotStarted), m_pDoc(doc), m_bNeverPressed(1) {}

void CRecordDlg::DoDataExchange(CDataExchange* pDX) {
    CBCGPDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_REC_PATH, m_wndPath);
    DDX_Control(pDX, IDCANCEL, m_btnEnd);
    DDX_Control(pDX, IDC_REC_START, m_btnStart);
    DDX_Control(pDX, IDC_REC_BROWSE, m_btnBrowse);
}

BOOL CRecordDlg::OnInitDialog() {
    CBCGPDialog::OnInitDialog();
    CBCGPButton::EnableWinXPTheme(FALSE);
    m_btnBrowse.SetImage(kIdbBrowse);
    m_btnBrowse.SetWindowText(L"");
    m_btnBrowse.SetMouseCursorHand();
    m_btnBrowse.SetTooltip(Text(IDS_TIP_BROWSE));
    return TRUE;
}

void CRecordDlg::OnBrowse() {
    CFileDialog dlg(FALSE, L".avi", L"video", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, L"AVI Files(*.avi)|*.avi||",
                    this);
    SetDlgItemText(IDC_REC_PATH, dlg.DoModal() == IDOK ? dlg.GetPathName() : CString());
}

void CRecordDlg::OnStartPause() {
    CString path;
    GetDlgItemText(IDC_REC_PATH, path);
    if (path.IsEmpty()) {
        MessageBox(Text(IDS_SELECT_PATH_FIRST), Text(IDS_HINT), MB_OK | OrvikRtlFlag());
        return;
    }
    if (!m_pDoc) return;
    CXGraphDll* graph = IsGraph() ? m_pDoc->GetCaptureGraph() : nullptr;
    switch (m_nState) {
    case kNotStarted:
        if (IsPellix()) {
            if (!m_pDoc->m_bRecording) m_pDoc->StartRecording(path);
        } else if (IsHestralCamType()) {
            if (!m_pDoc->m_bRecording) {
                m_pDoc->StartRecording(path);  // chooses the rate by the camera's width
                SetTimer(kFrameTimer, 300, nullptr);
            }
        } else if (IsGraph()) {
            m_pDoc->StartRecording(path);
            SetTimer(kFrameTimer, 200, nullptr);
            OutputDebugStringW(L"start record");
        }
        m_nState = kRecording;
        m_btnStart.SetWindowText(Text(IDS_STOP));
        break;
    case kRecording:
        if (IsPellix()) m_pDoc->PauseRecording(true);
        if (graph) {
            graph->Pause();
            OutputDebugStringW(L"pause record");
        }
        m_btnStart.SetWindowText(Text(IDS_START));
        m_nState = kPaused;
        break;
    default:
        if (IsPellix()) m_pDoc->PauseRecording(false);
        if (graph) {
            graph->Run();
            OutputDebugStringW(L"start record again");
        }
        m_nState = kRecording;
        m_btnStart.SetWindowText(Text(IDS_STOP));
        break;
    }
    m_bNeverPressed = 0;
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, GetSystemMetrics(SM_CXSCREEN) - 150, 100, 0, 0, SWP_NOSIZE);
}

bool CRecordDlg::GrabFrame(RecordFrame& frame) {
    if (IsGraph()) {
        CXGraphDll* graph = m_pDoc ? m_pDoc->GetCaptureGraph() : nullptr;
        long w = 0, h = 0, size = 0;
        if (!graph || FAILED(graph->GetVideoSize(w, h)) || w <= 0 || h <= 0) return false;
        if (FAILED(graph->CaptureToBuf(&size, nullptr)) || size <= 0) return false;
        // The buffer is the grab's own size; a grab too small for the frame
        // the graph reports is refused rather than read past.
        const int stride = Stride24(int(w));
        if ((long long)stride * h > size) return false;
        std::vector<BYTE> buf((size_t)size);
        long got = size;
        if (FAILED(graph->CaptureToBuf(&got, buf.data())) || got < (long long)stride * h) return false;
        return MakeRecordFrame(true, int(w), int(h), stride, buf.data(), frame);
    }
    if (IsHestralCamType()) {
        int w = 0, h = 0;
        if (!g_HestralSdk.CameraGetImageSize || !g_HestralSdk.CameraCaptureToBuf ||
            g_HestralSdk.CameraGetImageSize(&w, &h) != CAMERA_OK || w <= 0 || h <= 0)
            return false;
        // Room for padded rows, as the library's callers have always given it.
        std::vector<BYTE> buf((size_t)Stride24(w) * h);
        if (g_HestralSdk.CameraCaptureToBuf(buf.data(), 1) != CAMERA_OK) return false;
        return MakeRecordFrame(false, w, h, w * 3, buf.data(), frame);
    }
    return false;
}

void CRecordDlg::OnTimer(UINT_PTR nIDEvent) {
    // A paused clip takes no frames: the camera paths that feed from here
    // would otherwise keep appending while the button says paused.
    RecordFrame frame;
    if (nIDEvent == kFrameTimer && m_nState == kRecording && m_pDoc && GrabFrame(frame)) {
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = frame.width;
        bmi.bmiHeader.biHeight = frame.height;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 24;
        bmi.bmiHeader.biCompression = BI_RGB;
        CString trace;
        trace.Format(L"%d", frame.width);
        OutputDebugStringW(trace);
        HDC screen = ::GetDC(nullptr);
        void* bits = nullptr;
        if (HBITMAP bitmap = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0)) {
            SetDIBits(screen, bitmap, 0, UINT(frame.height), frame.pixels.data(), &bmi, DIB_RGB_COLORS);
            m_pDoc->AppendRecordingFrame(bitmap);
            DeleteObject(bitmap);
        }
        ::ReleaseDC(nullptr, screen);
    }
    CBCGPDialog::OnTimer(nIDEvent);
}

void CRecordDlg::EndRecording() {
    if (!m_pDoc) return;
    if (IsPellix()) {
        m_pDoc->StopRecording();
    } else if (!m_bNeverPressed) {
        KillTimer(kFrameTimer);
        m_pDoc->StopRecording();
    }
}

void CRecordDlg::OnCancel() {
    EndRecording();
    CBCGPDialog::OnCancel();
}

void CRecordDlg::OnClose() {
    // The default handling ends through OnCancel, which stops the clip; the
    // stop is not repeated here (it would only find no writer).
    CBCGPDialog::OnClose();
}
