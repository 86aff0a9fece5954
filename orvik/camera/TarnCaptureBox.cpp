#include "TarnCaptureBox.h"

#include <AfxDialogs.h>
#include <CameraSdk.h>
#include <Globals.h>
#include <Messages.h>
#include <LiveFrame.h>
#include <OrvikDoc.h>
#include <Settings.h>

#include <commctrl.h>
#include <shlobj.h>

#include <climits>

#include "DialogInit.h"
#include "Resource.h"

namespace {

constexpr UINT kIdbBrowse = 180, kIdbStop = 181, kIdbStart = 182, kIdbRecord = 226;
constexpr int kWaitMax = 360000, kIntervalMax = 360000, kImagesMax = 1000000;

CString Text(UINT id) {
    CString s;
    s.LoadString(id);
    return s;
}

CString Decimal(int n) {
    CString s;
    s.Format(L"%d", n);
    return s;
}

bool FileExists(const CString& path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

CaptureFieldCheck CheckCaptureField(LPCWSTR text, int lo, int hi, int fallback, int& value) {
    if (!text || !*text) {
        value = fallback;
        return kFieldSilentFallback;
    }
    long long n = 0;
    bool overflow = false;
    for (LPCWSTR p = text; *p; ++p) {
        if (*p < L'0' || *p > L'9') {
            value = fallback;
            return kFieldSilentFallback;
        }
        if (!overflow) {
            n = n * 10 + (*p - L'0');
            overflow = n > hi;  // stays out of range however many digits follow
        }
    }
    if (!overflow && n >= lo) {
        value = int(n);
        return kFieldAccepted;
    }
    value = fallback;
    return (!overflow && n == 0) ? kFieldSilentFallback : kFieldMessageFallback;
}

CString CaptureStillPath(const CString& folder, const CString& prefix, int number, LPCWSTR ext) {
    CString path = folder;
    if (path.IsEmpty() || path[path.GetLength() - 1] != L'\\') path += L'\\';
    return path + prefix + Decimal(number) + ext;
}

BEGIN_MESSAGE_MAP(CTarnCaptureBox, CBCGPDialog)
    ON_WM_TIMER()
    ON_BN_CLICKED(IDC_CAP_START, OnStartSeries)
    ON_BN_CLICKED(IDC_CAP_STOP, OnStopSeries)
    ON_BN_CLICKED(IDC_CAP_BROWSE, OnBrowse)
    ON_EN_CHANGE(IDC_CAP_WAIT, OnChangeWait)
    ON_EN_CHANGE(IDC_CAP_INTERVAL, OnChangeInterval)
    ON_EN_CHANGE(IDC_CAP_IMAGES, OnChangeImages)
    ON_CBN_SELCHANGE(IDC_CAP_RESOLUTION, OnResolution)
    ON_BN_CLICKED(IDC_CAP_CAPTURE, OnCapture)
    ON_BN_CLICKED(IDC_CAP_RECORD, OnRecord)
    ON_WM_CTLCOLOR()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CTarnCaptureBox::CTarnCaptureBox(CWnd* pParent)
    : CBCGPDialog(IDD_CAPTURE_BOX, pParent),
      m_nImages(5),
      m_nInterval(1),
      m_nWait(1),
      m_nTaken(0),
      m_nWaitElapsed(0),
      m_nRunningNumber(0),
      m_hBrush(nullptr),
      m_bExchanging(false) {
    m_strFileType = ReadIniStr(ini::kSave, L"FileType", L"", 260);
    m_strFolder = ReadIniStr(ini::kSave, L"FilePath", L"", 260);
    m_nRunningNumber = ReadIniInt(ini::kSave, L"Suffix", 0);
    m_strNumber = Decimal(m_nRunningNumber);
    m_strPrefix = ReadIniStr(ini::kSave, L"Prefix", L"", 260);
}

CTarnCaptureBox::~CTarnCaptureBox() {
    if (m_hBrush) DeleteObject(m_hBrush);
}

BOOL CTarnCaptureBox::Create(CWnd* pParent) { return CBCGPDialog::Create(IDD_CAPTURE_BOX, pParent); }

COrvikDoc* CTarnCaptureBox::CameraDoc() { return COrvikDoc::GetFirstDoc(); }

void CTarnCaptureBox::SaveStill(COrvikDoc* doc, LPCWSTR path, LPCWSTR ext) { doc->SaveStill(path, ext); }

bool CTarnCaptureBox::ChooseFolder(CString& folder) {
    return AfxBrowseForFolder(m_hWnd, L"Select Folder:", BIF_RETURNONLYFSDIRS, folder) != FALSE;
}

BOOL CTarnCaptureBox::OnInitDialog() {
    CBCGPDialog::OnInitDialog();
    AddDialogInitItems(m_hWnd, IDD_CAPTURE_BOX);
    m_hBrush = CreateSolidBrush(RGB(255, 255, 255));
    OutputDebugStringW(L"CTarnCaptureBox::OnInitDialog");

    m_nWait = ReadIniInt(ini::kSave, L"Wait", 5);
    m_nInterval = ReadIniInt(ini::kSave, L"Interval", 5);
    m_nImages = ReadIniInt(ini::kSave, L"Images", 5);
    SendDlgItemMessage(IDC_CAP_SPIN_WAIT, UDM_SETRANGE32, 0, kWaitMax);
    SendDlgItemMessage(IDC_CAP_SPIN_INTERVAL, UDM_SETRANGE32, 1, kIntervalMax);
    SendDlgItemMessage(IDC_CAP_SPIN_IMAGES, UDM_SETRANGE32, 1, kImagesMax);
    SendDlgItemMessage(IDC_CAP_TYPE, CB_SETCURSEL, m_strFileType == L".bmp" ? 0 : 1, 0);
    CString type;
    GetDlgItemText(IDC_CAP_TYPE, type);
    m_strFileType = type;

    m_btnBrowse.SubclassDlgItem(IDC_CAP_BROWSE, this);
    m_btnStop.SubclassDlgItem(IDC_CAP_STOP, this);
    m_btnStart.SubclassDlgItem(IDC_CAP_START, this);
    m_btnCapture.SubclassDlgItem(IDC_CAP_CAPTURE, this);
    m_btnRecord.SubclassDlgItem(IDC_CAP_RECORD, this);
    CBCGPButton::EnableWinXPTheme(FALSE);
    m_btnStart.SetImage(kIdbStart);
    m_btnStart.SetWindowText(Text(IDS_MULTI_CAPTURE));
    m_btnStart.SetTooltip(Text(IDS_TIP_MULTI_CAPTURE));
    m_btnStop.SetImage(kIdbStop);
    m_btnStop.SetWindowText(Text(IDS_STOP));
    m_btnStop.SetTooltip(Text(IDS_TIP_STOP_SERIES));
    m_btnCapture.SetImage(kIdbStart);
    m_btnCapture.SetWindowText(Text(IDS_CAPTURE));
    m_btnCapture.SetTooltip(Text(IDS_CAPTURE));
    SetDlgItemText(IDC_CAP_CAPTURE_GROUP, Text(IDS_CAPTURE));
    m_btnRecord.SetImage(kIdbRecord);
    m_btnRecord.SetWindowText(Text(IDS_RECORD_VIDEO));
    SetDlgItemText(IDC_CAP_RECORD_GROUP, Text(IDS_RECORD_VIDEO));
    m_btnRecord.SetTooltip(Text(IDS_RECORD_VIDEO));
    m_btnBrowse.SetImage(kIdbBrowse);
    m_btnBrowse.SetWindowText(L"");

    Exchange(false);
    FillResolutions();
    return TRUE;
}

void CTarnCaptureBox::FillResolutions() {
    static const wchar_t* const kUvc[] = {L"1024 X 768", L"1280 X 1024", L"2048 X 1536", L"2592 X 1944"};
    CComboBox* combo = static_cast<CComboBox*>(GetDlgItem(IDC_CAP_RESOLUTION));
    if (!combo) return;
    combo->ResetContent();
    auto hide = [this, combo] {
        combo->ShowWindow(SW_HIDE);
        if (CWnd* label = GetDlgItem(IDC_CAP_RESOLUTION_LABEL)) label->ShowWindow(SW_HIDE);
    };
    if (g_CamType == kCamDirectShow) {
        if (IsUvcCamera()) {
            const int count = g_CamSubType - 3;  // 5: two sizes, 6: three, 7: four
            for (int i = 0; i < count; ++i) combo->AddString(kUvc[i]);
            combo->SetCurSel(count - 1);
        } else if (g_CamSubType == 4 || g_CamSubType == 2 || g_CamSubType == 3 || g_CamSubType == 0) {
            combo->AddString(g_CamSubType == 4 ? L"720 X 576" : g_CamSubType == 0 ? L"1280 X 1024" : L"1600 X 1200");
            combo->SetCurSel(0);
        } else {
            hide();
        }
    } else if (IsHestralCamType()) {
        int w = 0, h = 0;
        if (g_HestralSdk.CameraGetImageSize) g_HestralSdk.CameraGetImageSize(&w, &h);
        static const struct {
            int width;
            const wchar_t* text;
        } kHestral[] = {{2048, L"2048 X 1536"}, {3488, L"3488 X 1536"}, {1280, L"1280 X 1024"},
                        {1024, L"1024 X 768"},  {1600, L"1600 X 1200"}};
        for (const auto& r : kHestral)
            if (r.width == g_HestralFrameWidth) combo->AddString(r.text);
        combo->SetCurSel(0);
    } else {
        hide();
    }
}

void CTarnCaptureBox::Exchange(bool save) {
    struct {
        int id;
        CString* text;
    } strings[] = {{IDC_CAP_FOLDER, &m_strFolder},           {IDC_CAP_PREFIX, &m_strPrefix},
                   {IDC_CAP_NUMBER, &m_strNumber},           {IDC_CAP_CURRENT_NAME, &m_strCurrentName},
                   {IDC_CAP_CURRENT_INDEX, &m_strCurrentIndex}, {IDC_CAP_REMAINING, &m_strRemaining}};
    if (save) {
        for (auto& s : strings) GetDlgItemText(s.id, *s.text);
        GetDlgItemText(IDC_CAP_TYPE, m_strFileType);
        // The number boxes were checked as they changed; read them the same way.
        struct {
            int id, lo, hi, fallback;
            int* value;
        } numbers[] = {{IDC_CAP_WAIT, 0, kWaitMax, 0, &m_nWait},
                       {IDC_CAP_INTERVAL, 1, kIntervalMax, 1, &m_nInterval},
                       {IDC_CAP_IMAGES, 1, kImagesMax, 5, &m_nImages}};
        for (auto& n : numbers) {
            CString t;
            GetDlgItemText(n.id, t);
            CheckCaptureField(t, n.lo, n.hi, n.fallback, *n.value);
        }
        return;
    }
    m_bExchanging = true;
    for (auto& s : strings) SetDlgItemText(s.id, *s.text);
    SetDlgItemText(IDC_CAP_WAIT, Decimal(m_nWait));
    SetDlgItemText(IDC_CAP_INTERVAL, Decimal(m_nInterval));
    SetDlgItemText(IDC_CAP_IMAGES, Decimal(m_nImages));
    m_bExchanging = false;
}

void CTarnCaptureBox::CheckField(int id, int lo, int hi, int fallback, UINT message, int& value) {
    if (m_bExchanging) return;
    CString text;
    GetDlgItemText(id, text);
    const CaptureFieldCheck check = CheckCaptureField(text, lo, hi, fallback, value);
    if (check == kFieldAccepted) return;
    if (check == kFieldMessageFallback) MessageBox(Text(message), L"", MB_OK | OrvikRtlFlag());
    m_bExchanging = true;
    SetDlgItemText(id, Decimal(value));
    m_bExchanging = false;
    SendDlgItemMessage(id, EM_SETSEL, 0, -1);
}

void CTarnCaptureBox::OnChangeWait() { CheckField(IDC_CAP_WAIT, 0, kWaitMax, 0, IDS_WAIT_RANGE, m_nWait); }
void CTarnCaptureBox::OnChangeInterval() {
    CheckField(IDC_CAP_INTERVAL, 1, kIntervalMax, 1, IDS_WAIT_RANGE, m_nInterval);
}
void CTarnCaptureBox::OnChangeImages() { CheckField(IDC_CAP_IMAGES, 1, kImagesMax, 5, IDS_IMAGES_RANGE, m_nImages); }

void CTarnCaptureBox::OnResolution() {
    if (!IsUvcCamera()) return;
    const int sel = int(SendDlgItemMessage(IDC_CAP_RESOLUTION, CB_GETCURSEL, 0, 0));
    if (sel >= 0 && sel <= g_CamSubType - 4) g_nUvcStillResolution = sel + 2;
}

void CTarnCaptureBox::OnBrowse() {
    Exchange(true);
    const CString before = m_strFolder;
    OutputDebugStringW(before);
    CString chosen = m_strFolder;
    if (ChooseFolder(chosen)) {
        m_strFolder = chosen;
        OutputDebugStringW(m_strFolder);
    }
    if (m_strFolder != before) {
        m_nRunningNumber = 0;
        m_strNumber = L"0";
    }
    Exchange(false);
}

void CTarnCaptureBox::OnStartSeries() {
    if (IsUvcCamera()) g_bTimedSeriesRunning = 1;
    m_nTaken = 0;
    m_nWaitElapsed = 0;
    Exchange(true);
    if (m_nWait != 0)
        SetTimer(kWaitTimer, 1000, nullptr);
    else
        SetTimer(kSeriesTimer, UINT(m_nInterval) * 1000, nullptr);
    m_btnStart.EnableWindow(FALSE);
    m_btnCapture.EnableWindow(!g_bTimedSeriesRunning);
}

void CTarnCaptureBox::EndSeries() {
    g_bTimedSeriesRunning = 0;
    KillTimer(kSeriesTimer);
    KillTimer(kWaitTimer);
    m_nTaken = 0;
    m_nWaitElapsed = 0;
    m_strCurrentName.Empty();
    m_strCurrentIndex.Empty();
    m_strRemaining.Empty();
    Exchange(false);
    m_btnStart.EnableWindow(TRUE);
    m_btnCapture.EnableWindow(TRUE);
}

void CTarnCaptureBox::OnStopSeries() {
    EndSeries();
    SetDlgItemText(IDC_CAP_CURRENT_NAME, CString(L' ', 48));
    SetDlgItemText(IDC_CAP_CURRENT_INDEX, CString(L' ', 54));
}

void CTarnCaptureBox::TakeStill() {
    if (m_nTaken == m_nImages) {
        EndSeries();
        return;
    }
    // Without a live preview (closed during the series) there is nothing to
    // take stills from: the series ends and says why.
    COrvikDoc* doc = CameraDoc();
    if (!doc) {
        EndSeries();
        ShowNoCameraMessage();
        return;
    }
    ++m_nTaken;
    m_strCurrentIndex = Decimal(m_nTaken);
    SetDlgItemText(IDC_CAP_CURRENT_INDEX, m_strCurrentIndex);
    const int type = int(SendDlgItemMessage(IDC_CAP_TYPE, CB_GETCURSEL, 0, 0));
    const wchar_t* ext = type == 0 ? L".bmp" : type == 1 ? L".jpg" : L"";
    // A still never replaces a file: the number moves on to a free name, so
    // a run that ended without saving its number overwrites nothing either.
    CString path = CaptureStillPath(m_strFolder, m_strPrefix, m_nRunningNumber, ext);
    while (FileExists(path) && m_nRunningNumber < INT_MAX)
        path = CaptureStillPath(m_strFolder, m_strPrefix, ++m_nRunningNumber, ext);
    m_strNumber = Decimal(m_nRunningNumber);
    m_strCurrentName = m_strPrefix + m_strNumber + ext;
    SetDlgItemText(IDC_CAP_CURRENT_NAME, m_strCurrentName);
    SaveStill(doc, path, ext);
    m_bExchanging = true;
    SetDlgItemText(IDC_CAP_NUMBER, m_strNumber);
    m_bExchanging = false;
    WriteIniStr(ini::kSave, L"Suffix", m_strNumber);
    ++m_nRunningNumber;
}

void CTarnCaptureBox::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kWaitTimer) {
        if (m_nWaitElapsed < m_nWait - 1) {
            ++m_nWaitElapsed;
            m_strRemaining = Decimal(m_nWait - m_nWaitElapsed);
            SetDlgItemText(IDC_CAP_REMAINING, m_strRemaining);
        } else {
            m_nWaitElapsed = 0;
            m_strRemaining = L"0";
            Exchange(false);
            KillTimer(kWaitTimer);
            SetTimer(kSeriesTimer, UINT(m_nInterval) * 1000, nullptr);
        }
    } else if (nIDEvent == kSeriesTimer) {
        TakeStill();
    }
    CBCGPDialog::OnTimer(nIDEvent);
}

void CTarnCaptureBox::OnCapture() {
    if (COrvikDoc* doc = CameraDoc())
        doc->OnSaveStill();
    else
        ShowNoCameraMessage();
}

void CTarnCaptureBox::OnRecord() {
    COrvikDoc* doc = CameraDoc();
    if (!doc) {
        ShowNoCameraMessage();
        return;
    }
    if (ILiveFrame* frame = GetLiveFrame()) frame->DoRecordDialog(doc);
}

void CTarnCaptureBox::LockControls(BOOL lock) {
    for (CWnd* child = GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT))
        child->EnableWindow(!lock);
}

HBRUSH CTarnCaptureBox::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    if (nCtlColor == CTLCOLOR_STATIC) pDC->SetBkMode(TRANSPARENT);
    return m_hBrush ? m_hBrush : CBCGPDialog::OnCtlColor(pDC, pWnd, nCtlColor);
}

void CTarnCaptureBox::OnDestroy() {
    Exchange(true);
    CBCGPDialog::OnDestroy();
    WriteIniStr(ini::kSave, L"Prefix", m_strPrefix);
    WriteIniStr(ini::kSave, L"FilePath", m_strFolder);
    WriteIniStr(ini::kSave, L"FileType", m_strFileType);
    WriteIniInt(ini::kSave, L"Images", m_nImages);
    WriteIniInt(ini::kSave, L"Suffix", m_nRunningNumber + m_nTaken);
    WriteIniInt(ini::kSave, L"Interval", m_nInterval);
    WriteIniInt(ini::kSave, L"Wait", m_nWait);
    if (m_hBrush) {
        DeleteObject(m_hBrush);
        m_hBrush = nullptr;
    }
}
