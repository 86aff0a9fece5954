#include "RulerSetDlg.h"

#include "Globals.h"
#include "MeasureLayer.h"
#include "Resource.h"
#include "ScaleBarShape.h"

#include <AfxDialogs.h>

#include <memory>

namespace {

RulerTargetLookup g_lookup = nullptr;

// More than any ruler file holds: such a file is refused unread.
const ULONGLONG kMaxRulerFileBytes = 64 * 1024;

// Opens the file and runs io on it; a failure to open, read or write is
// reported with the standard file-error box and gives false.
template <class Io>
bool WithFile(LPCWSTR path, UINT mode, Io io)
{
    CFileException error;
    CFile file;
    if (!file.Open(path, mode | CFile::typeBinary, &error)) {
        error.ReportError();
        return false;
    }
    try {
        io(file);
        file.Close();
    } catch (CFileException* e) {
        e->ReportError();
        e->Delete();
        file.Abort();
        return false;
    }
    return true;
}

}  // namespace

BEGIN_MESSAGE_MAP(CRulerSetDlg, CBCGPDialog)
    ON_CBN_SELCHANGE(IDC_RS_UNIT, OnSelChangeUnit)
    ON_EN_CHANGE(IDC_RS_X_REAL, OnChangeXReal)
    ON_EN_CHANGE(IDC_RS_Y_REAL, OnChangeYReal)
    ON_BN_CLICKED(IDC_RS_SAVE, OnSave)
    ON_BN_CLICKED(IDC_RS_LOAD, OnLoad)
END_MESSAGE_MAP()

CRulerSetDlg::CRulerSetDlg() : CBCGPDialog(IDD_RULER_SET, nullptr) {}

void CRulerSetDlg::SetTargetLookup(RulerTargetLookup lookup) { g_lookup = lookup; }

CString CRulerSetDlg::RulerFolder() { return g_strAppFolder + L"rulerdata\\"; }

BOOL CRulerSetDlg::Create(CWnd* pParentWnd)
{
    m_pParentWnd = pParentWnd;
    return CBCGPDialog::Create(IDD_RULER_SET, pParentWnd);
}

bool CRulerSetDlg::Target(RulerTarget& target) const
{
    return m_pDoc && g_lookup && g_lookup(m_pDoc, target) && target.layer;
}

void CRulerSetDlg::DoDataExchange(CDataExchange* pDX)
{
    CBCGPDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RS_UNIT, m_comboUnit);
    DDX_Text(pDX, IDC_RS_X_END, m_nXEnd);
    DDX_Text(pDX, IDC_RS_X_LENGTH, m_nXLength);
    DDX_Text(pDX, IDC_RS_X_START, m_nXStart);
    DDX_Text(pDX, IDC_RS_Y_END, m_nYEnd);
    DDX_Text(pDX, IDC_RS_Y_LENGTH, m_nYLength);
    DDX_Text(pDX, IDC_RS_Y_START, m_nYStart);
    DDX_Text(pDX, IDC_RS_X_REAL, m_strXReal);
    DDV_MaxChars(pDX, m_strXReal, 255);
    DDX_Text(pDX, IDC_RS_Y_REAL, m_strYReal);
    DDV_MaxChars(pDX, m_strYReal, 255);
    DDX_Text(pDX, IDC_RS_X_RESULT, m_strXResult);
    DDX_Text(pDX, IDC_RS_Y_RESULT, m_strYResult);
}

// The first exchange fills the edits one by one: their change handlers must
// not read the others back half filled.
BOOL CRulerSetDlg::OnInitDialog()
{
    m_bShowing = true;
    const BOOL r = CBCGPDialog::OnInitDialog();
    m_bShowing = false;
    return r;
}

void CRulerSetDlg::ShowMembers()
{
    m_bShowing = true;
    UpdateData(FALSE);
    m_bShowing = false;
}

void CRulerSetDlg::ShowUnitLabels(int unit)
{
    const CString name = MeasureUnitName(unit);
    SetDlgItemText(IDC_RS_X_UNIT_PER_PIXEL, name + L"/pixel");
    SetDlgItemText(IDC_RS_Y_UNIT_PER_PIXEL, name + L"/pixel");
    SetDlgItemText(IDC_RS_X_UNIT, name);
    SetDlgItemText(IDC_RS_Y_UNIT, name);
}

void CRulerSetDlg::Init(CDocument* doc)
{
    m_comboUnit.ResetContent();
    for (int i = 0; i < kMeasureUnitCount; ++i)
        m_comboUnit.InsertString(i, MeasureUnitNames[i]);
    m_comboUnit.SetCurSel(0);
    ShowUnitLabels(0);
    m_pDoc = doc;
    RefreshFromScaleBar();
}

BOOL CRulerSetDlg::RefreshFromScaleBar()
{
    RulerTarget target;
    if (!Target(target))
        return FALSE;
    CScaleBarShape* bar = dynamic_cast<CScaleBarShape*>(target.layer->GetShape(0));
    if (!bar)
        return FALSE;
    CPoint e, f;
    bar->GetEnds(e, f);
    m_nXStart = f.x;
    m_nXEnd = e.x;
    m_nXLength = e.x - f.x;
    m_nYStart = e.y;
    m_nYEnd = f.y;
    m_nYLength = f.y - e.y;

    double realX = 0, realY = 0;
    m_bValid = m_nXLength > 0 && m_nYLength > 0 && ParseDecimal(m_strXReal, realX) && ParseDecimal(m_strYReal, realY) &&
               realX > 0 && realY > 0;
    if (m_bValid) {
        // Kept whole for measuring: three decimals would turn a microscope's
        // 0.0004 mm per pixel into 0.
        m_cal.unit = m_comboUnit.GetCurSel();
        if (m_cal.unit < 0 || m_cal.unit >= kMeasureUnitCount)
            m_cal.unit = 0;
        m_cal.knownLengthX = realX;
        m_cal.knownLengthY = realY;
        m_cal.unitsPerPixelX = realX / m_nXLength;
        m_cal.unitsPerPixelY = realY / m_nYLength;
        m_strXResult.Format(L"%.3f", m_cal.unitsPerPixelX);
        m_strYResult.Format(L"%.3f", m_cal.unitsPerPixelY);
    } else {
        m_strXResult.Empty();
        m_strYResult.Empty();
    }
    ShowMembers();
    CString trace;
    trace.Format(L"%d", m_nXLength);
    ::OutputDebugStringW(trace);
    return m_bValid;
}

BOOL CRulerSetDlg::ApplyCalibration()
{
    if (!RefreshFromScaleBar())
        return FALSE;
    RulerTarget own;
    if (!Target(own))
        return FALSE;
    if (own.calibration)
        *own.calibration = m_cal;
    own.layer->SetCalibration(m_cal);
    own.layer->Redraw();

    // Every still image shares the calibration: the still-image template is
    // the application's first.
    CWinApp* app = AfxGetApp();
    POSITION tp = app ? app->GetFirstDocTemplatePosition() : nullptr;
    CDocTemplate* tmpl = tp ? app->GetNextDocTemplate(tp) : nullptr;
    for (POSITION dp = tmpl ? tmpl->GetFirstDocPosition() : nullptr; dp;) {
        RulerTarget other;
        if (!g_lookup || !g_lookup(tmpl->GetNextDoc(dp), other) || !other.layer)
            continue;
        if (other.calibration)
            *other.calibration = m_cal;
        other.layer->SetCalibration(m_cal);
        if (other.pictureWindow)
            ::InvalidateRect(other.pictureWindow, nullptr, FALSE);
    }
    return TRUE;
}

void CRulerSetDlg::OnSelChangeUnit() { ShowUnitLabels(m_comboUnit.GetCurSel()); }

void CRulerSetDlg::RecomputeResult(const CString& real, int length, CString& result)
{
    double value = 0;
    if (length > 0 && ParseDecimal(real, value) && value > 0)
        result.Format(L"%.3f", value / length);
    else
        result.Empty();
}

void CRulerSetDlg::OnChangeXReal()
{
    if (m_bShowing || !UpdateData(TRUE))
        return;
    RecomputeResult(m_strXReal, m_nXLength, m_strXResult);
    ShowMembers();
}

void CRulerSetDlg::OnChangeYReal()
{
    if (m_bShowing || !UpdateData(TRUE))
        return;
    RecomputeResult(m_strYReal, m_nYLength, m_strYResult);
    ShowMembers();
}

void CRulerSetDlg::Close()
{
    ShowWindow(SW_HIDE);
    RulerTarget target;
    if (Target(target))
        target.layer->SetShowScaleBar(m_nRestoreFlag);
}

void CRulerSetDlg::OnOK()
{
    // A real length that is no number above 0 would measure nonsense: the
    // dialog stays open on it.
    if (!UpdateData(TRUE))
        return;
    if (!ApplyCalibration()) {
        CString text;
        text.LoadString(IDS_RULER_LENGTH_POSITIVE);
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION | OrvikRtlFlag());
        return;
    }
    Close();
}

// Cancel applies like OK; it closes even on a length it cannot apply.
void CRulerSetDlg::OnCancel()
{
    if (UpdateData(TRUE))
        ApplyCalibration();
    Close();
}

LRESULT CRulerSetDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ACTIVATE && LOWORD(wParam) == WA_ACTIVE) {
        RulerTarget target;
        if (Target(target))
            target.layer->SetShowScaleBar(1);
    }
    return CBCGPDialog::WindowProc(message, wParam, lParam);
}

BOOL CRulerSetDlg::SaveRulerFile(LPCWSTR path)
{
    RulerFile r;
    r.xResult = m_strXResult;
    r.yResult = m_strYResult;
    r.xReal = m_strXReal;
    r.yReal = m_strYReal;
    r.xLength = m_nXLength;
    r.yLength = m_nYLength;
    r.unit = m_comboUnit.GetCurSel();
    const std::string bytes = FormatRulerFile(r);
    return WithFile(path, CFile::modeCreate | CFile::modeWrite,
                    [&](CFile& file) { file.Write(bytes.data(), UINT(bytes.size())); });
}

BOOL CRulerSetDlg::LoadRulerFile(LPCWSTR path)
{
    std::string bytes;
    bool read = false;
    if (!WithFile(path, CFile::modeRead | CFile::shareDenyWrite, [&](CFile& file) {
            const ULONGLONG length = file.GetLength();
            if (length <= kMaxRulerFileBytes) {
                bytes.resize(size_t(length));
                read = bytes.empty() || file.Read(&bytes[0], UINT(length)) == length;
            }
        }))
        return FALSE;
    RulerFile r;
    if (!read || !ParseRulerFile(bytes, r)) {
        CFileException(CFileException::invalidFile, -1, path).ReportError();
        return FALSE;
    }

    m_strXResult = r.xResult;
    m_strYResult = r.yResult;
    m_strXReal = r.xReal;
    m_strYReal = r.yReal;
    m_nXStart = r.xStart;
    m_nXEnd = r.xEnd;
    m_nXLength = r.xLength;
    m_nYStart = r.yStart;
    m_nYEnd = r.yEnd;
    m_nYLength = r.yLength;
    m_comboUnit.SetCurSel(r.unit);
    ShowUnitLabels(r.unit);
    ShowMembers();

    RulerTarget target;
    if (Target(target))
        if (CScaleBarShape* bar = dynamic_cast<CScaleBarShape*>(target.layer->GetShape(0)))
            bar->SetEnds(m_nXEnd, m_nYStart, m_nXStart, m_nYEnd);
    RefreshFromScaleBar();
    ApplyCalibration();
    return TRUE;
}

namespace {

// The file dialog of both buttons, starting in the ruler folder.
bool AskRulerPath(BOOL open, CWnd* owner, CString& path)
{
    const CString folder = CRulerSetDlg::RulerFolder();
    ::CreateDirectoryW(folder, nullptr);
    // No blanks around the pattern: " *.rlr " matches no file in the dialog.
    CFileDialog dlg(open, L"rlr", L"*.rlr", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, L"Ruler Files(*.rlr)|*.rlr||",
                    owner);
    dlg.m_ofn.lpstrInitialDir = folder;
    if (dlg.DoModal() != IDOK)
        return false;
    path = dlg.GetPathName();
    return true;
}

}  // namespace

void CRulerSetDlg::OnSave()
{
    CString path;
    if (!AskRulerPath(FALSE, this, path))
        return;
    // "a.rlr.rlr", as a typed "a.rlr" with the default extension added.
    const CString name = path.Mid(path.ReverseFind(L'\\') + 1);
    const int dot = name.ReverseFind(L'.');
    if (dot > 0 && name.Left(dot).Right(4).CompareNoCase(L".rlr") == 0)
        path = path.Left(path.GetLength() - 4);
    SaveRulerFile(path);
}

void CRulerSetDlg::OnLoad()
{
    CString path;
    if (AskRulerPath(TRUE, this, path))
        LoadRulerFile(path);
}
