#include "ColorSchemeDlg.h"

#include "HestralAdjustDlg.h"

#include <AfxTestScript.h>
#include <cmath>

#include "Globals.h"
#include "PellixAdjustDlg.h"
#include "Resource.h"

namespace {
float Round1(float v) { return (float)(std::floor(v * 10.0 + 0.5) / 10.0); }

bool IsNull(const _variant_t& v) { return v.vt == VT_NULL || v.vt == VT_EMPTY; }
float AsFloat(Recordset& rs, LPCWSTR field) {
    _variant_t v = rs.GetCollect(field);
    return IsNull(v) ? 0.0f : (float)(double)v;
}
int AsInt(Recordset& rs, LPCWSTR field) {
    _variant_t v = rs.GetCollect(field);
    return IsNull(v) ? 0 : (int)(long)v;
}
// The text ADO would show: 30.000000 reads "30".
CString AsText(Recordset& rs, LPCWSTR field) {
    _variant_t v = rs.GetCollect(field);
    if (IsNull(v)) return CString();
    if (FAILED(VariantChangeType(&v, &v, 0, VT_BSTR))) return CString();
    return CString(v.bstrVal);
}

void ShowComError(const _com_error& e) {
    _bstr_t d = e.Description();
    CString text = d.length() ? CString((LPCWSTR)d) : CString(e.ErrorMessage());
    AfxMessageBox(text, MB_OK | OrvikRtlFlag());
}

bool HaveDatabase() { return g_pPresetDb && g_pPresetDb->GetState() == adStateOpen; }
}  // namespace

// ------------------------------------------------------------------ name dialog

BEGIN_MESSAGE_MAP(CSchemeNameDlg, CBCGPDialog)
END_MESSAGE_MAP()

CSchemeNameDlg::CSchemeNameDlg(CWnd* pParent, UINT nIDTemplate) : CBCGPDialog(nIDTemplate, pParent) {}

void CSchemeNameDlg::DoDataExchange(CDataExchange* pDX) {
    CBCGPDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_SCH_NAME, m_strName);
}

BOOL CSchemeNameDlg::OnInitDialog() {
    CBCGPDialog::OnInitDialog();
    CString text;
    if (text.LoadString(IDS_OK)) SetDlgItemText(IDOK, text);
    if (text.LoadString(IDS_CANCEL)) SetDlgItemText(IDCANCEL, text);
    return TRUE;
}

void CSchemeNameDlg::OnOK() {
    if (!UpdateData(TRUE)) return;
    if (m_strName.IsEmpty()) {
        CString text, caption;
        text.LoadString(IDS_ENTER_ITEM_NAME);
        caption.LoadString(IDS_HINT);
        AfxScriptedMessageBox(m_hWnd, text, caption, MB_OK | OrvikRtlFlag());
        return;
    }
    EndDialog(IDOK);
}

// ------------------------------------------------------------------ the shared list dialog

BEGIN_MESSAGE_MAP(CSchemeDlgBase, CBCGPDialog)
    ON_BN_CLICKED(IDC_SCH_ADD, OnAdd)
    ON_BN_CLICKED(IDC_SCH_APPLY, OnApply)
    ON_BN_CLICKED(IDC_SCH_DELETE, OnDelete)
END_MESSAGE_MAP()

CSchemeDlgBase::CSchemeDlgBase(UINT nIDTemplate, CWnd* pParent) : CBCGPDialog(nIDTemplate, pParent) {}

CSchemeDlgBase::~CSchemeDlgBase() {
    try {
        if (m_pRecordset && m_pRecordset->GetState() == adStateOpen) m_pRecordset->Close();
    } catch (_com_error&) {
    }
}

void CSchemeDlgBase::DoDataExchange(CDataExchange* pDX) {
    CBCGPDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SCH_LIST, m_list);
    DDX_Control(pDX, IDCANCEL, m_btnExit);
    DDX_Control(pDX, IDC_SCH_DELETE, m_btnDelete);
    DDX_Control(pDX, IDC_SCH_APPLY, m_btnApply);
    DDX_Control(pDX, IDC_SCH_ADD, m_btnAdd);
}

CString CSchemeDlgBase::Str(UINT id) {
    CString s;
    s.LoadString(id);
    return s;
}

BOOL CSchemeDlgBase::OnInitDialog() {
    CBCGPDialog::OnInitDialog();
    if (FAILED(m_pRecordset.CreateInstance(__uuidof(Recordset)))) {
        AfxScriptedMessageBox(m_hWnd, L"MS Access Driver not supported", L"Error", MB_OK);
        return FALSE;
    }
    CBCGPButton::EnableWinXPTheme(FALSE);
    struct {
        CBCGPButton* button;
        UINT tip;
    } const buttons[] = {{&m_btnApply, IDS_TIP_APPLY}, {&m_btnExit, IDS_TIP_EXIT},
                         {&m_btnDelete, IDS_TIP_DELETE}, {&m_btnAdd, IDS_TIP_ADD}};
    for (const auto& b : buttons) {
        b.button->SetMouseCursorHand();
        b.button->SetTooltip(Str(b.tip));
    }
    // Without the database nothing could be stored or removed.
    if (!HaveDatabase()) {
        m_btnAdd.EnableWindow(FALSE);
        m_btnDelete.EnableWindow(FALSE);
    }

    m_list.InsertColumn(0, Str(IDS_COL_NO), LVCFMT_CENTER, 35);
    m_list.InsertColumn(1, Str(IDS_COL_ITEM), LVCFMT_CENTER, 145);
    int count = 0;
    const Column* cols = ValueColumns(&count);
    for (int i = 0; i < count; ++i)
        m_list.InsertColumn(2 + i, ColumnTitle(cols[i]), LVCFMT_CENTER, cols[i].width);
    FillList();
    m_list.SetExtendedStyle(ListStyle());
    return TRUE;
}

CString CSchemeDlgBase::Quoted(const CString& name) {
    CString q = name;
    q.Replace(L"'", L"''");
    return q;
}

Recordset* CSchemeDlgBase::Query(const CString& sql) {
    if (!m_pRecordset) return nullptr;
    try {
        // The one recordset serves every query: an open one is closed first.
        if (m_pRecordset->GetState() == adStateOpen) m_pRecordset->Close();
        // Start-up has already said that the database could not be opened.
        if (!HaveDatabase()) return nullptr;
        m_pRecordset->Open(_variant_t((LPCWSTR)sql), g_pPresetDb, adOpenDynamic, adLockOptimistic, adCmdText);
        if (m_pRecordset->GetadoEOF() && m_pRecordset->GetBOF()) {
            m_pRecordset->Close();
            return nullptr;
        }
        m_pRecordset->MoveFirst();
        return m_pRecordset;
    } catch (_com_error& e) {
        ShowComError(e);
        return nullptr;
    }
}

BOOL CSchemeDlgBase::Execute(const CString& sql) {
    try {
        if (!HaveDatabase()) _com_issue_error(AdoErrorHResult(adErrInvalidConnection));
        g_pPresetDb->Execute(_bstr_t((LPCWSTR)sql), nullptr, adCmdText);
        return TRUE;
    } catch (_com_error& e) {
        ShowComError(e);
        return FALSE;
    }
}

void CSchemeDlgBase::FillList() {
    m_list.DeleteAllItems();
    CString sql;
    sql.Format(L"SELECT * FROM %s ORDER BY id ASC", Table());
    Recordset* rs = Query(sql);
    if (!rs) return;
    int count = 0;
    const Column* cols = ValueColumns(&count);
    try {
        for (int i = 0; !rs->GetadoEOF(); ++i, rs->MoveNext()) {
            CString number;
            number.Format(L"%d", i + 1);
            m_list.InsertItem(i, number);
            m_list.SetItemText(i, 1, AsText(*rs, L"name"));
            for (int c = 0; c < count; ++c) m_list.SetItemText(i, 2 + c, AsText(*rs, cols[c].field));
        }
    } catch (_com_error& e) {
        ShowComError(e);
    }
}

CString CSchemeDlgBase::SelectedName() const {
    POSITION pos = m_list.GetFirstSelectedItemPosition();
    if (!pos) return CString();
    int item = m_list.GetNextSelectedItem(pos);
    return m_list.GetItemText(item, 1).Left(256);
}

int CSchemeDlgBase::Ask(UINT text, UINT caption) {
    return AfxScriptedMessageBox(m_hWnd, Str(text), Str(caption), MB_YESNO | OrvikRtlFlag());
}

void CSchemeDlgBase::OnAdd() {
    if (!AskName(m_strNewName)) return;
    CString sql;
    sql.Format(L"SELECT * FROM %s ORDER BY id ASC", Table());
    if (Recordset* rs = Query(sql)) {
        try {
            for (; !rs->GetadoEOF(); rs->MoveNext()) {
                _variant_t v = rs->GetCollect(L"name");
                if (IsNull(v)) continue;
                if (AsText(*rs, L"name") == m_strNewName) {
                    AfxScriptedMessageBox(m_hWnd, Str(IDS_NAME_EXISTS), L"", MB_OK | OrvikRtlFlag());
                    return;
                }
            }
        } catch (_com_error& e) {
            ShowComError(e);
            return;
        }
    }
    if (Execute(InsertSql(Quoted(m_strNewName)))) FillList();
}

void CSchemeDlgBase::OnApply() {
    CString name = SelectedName();
    if (name.IsEmpty()) return;
    if (Ask(IDS_CONFIRM_APPLY, IDS_CONFIRM) != IDYES) return;
    CString sql;
    sql.Format(L"select * from %s where name='%s'", Table(), (LPCWSTR)Quoted(name));
    Recordset* rs = Query(sql);
    if (!rs) return;
    try {
        ApplyRow(*rs);
    } catch (_com_error& e) {
        ShowComError(e);
    }
}

void CSchemeDlgBase::OnDelete() {
    CString name = SelectedName();
    if (name.IsEmpty()) return;
    if (Ask(IDS_CONFIRM_DELETE, IDS_CONFIRM) != IDYES) return;
    CString sql;
    sql.Format(L"delete from %s where name='%s'", Table(), (LPCWSTR)Quoted(name));
    if (Execute(sql)) FillList();
}

// ------------------------------------------------------------------ Marrowin and Hestral

CColorSchemeDlg::CColorSchemeDlg(CWnd* pOpener)
    : CSchemeDlgBase(IDD_COLOR_SCHEME, pOpener), m_pOpener(pOpener), m_fSaturation(0), m_fContrast(0), m_fGamma(0),
      m_fRed(0), m_fGreen(0), m_fBlue(0), m_save() {}

void CColorSchemeDlg::SetCurrentValues(float saturation, float contrast, float gamma, float red, float green,
                                       float blue) {
    m_fSaturation = saturation;
    m_fContrast = contrast;
    m_fGamma = gamma;
    m_fRed = red;
    m_fGreen = green;
    m_fBlue = blue;
}

const CSchemeDlgBase::Column* CColorSchemeDlg::ValueColumns(int* count) const {
    // The Hestral cameras keep their six values one column along.
    static const Column marrowin[] = {{IDS_SATURATION, 60, L"saturation"}, {IDS_GAIN, 80, L"globlegain"},
                                      {IDS_GAMMA, 50, L"gamma"},           {IDS_RED, 50, L"red"},
                                      {IDS_GREEN, 50, L"green"},           {IDS_BLUE, 50, L"blue"}};
    static const Column hestral[] = {{IDS_COL_CONTRAST, 60, L"saturation"}, {IDS_GAMMA, 80, L"globlegain"},
                                     {IDS_RED, 50, L"gamma"},               {IDS_GREEN, 50, L"red"},
                                     {IDS_BLUE, 50, L"green"},              {IDS_SATURATION, 50, L"blue"}};
    *count = 6;
    return IsHestralCamType() ? hestral : marrowin;
}

BOOL CColorSchemeDlg::AskName(CString& name) {
    if (IsHestralCamType()) {
        const float values[6] = {m_fContrast, m_fGamma, m_fRed, m_fGreen, m_fBlue, m_fSaturation};
        for (int i = 0; i < 6; ++i) m_save[i] = Round1(values[i]);
    } else {
        float sat = 0, gamma = 0, gain = 0, r = 0, g = 0, b = 0;
        CPellixAdjustDlg::ReadFromCamera(&sat, &gamma, &gain, &r, &g, &b);
        const float values[6] = {sat, gain, gamma, r, g, b};
        for (int i = 0; i < 6; ++i) m_save[i] = Round1(values[i]);
    }
    CSchemeNameDlg dlg(this);
    if (dlg.DoModal() != IDOK) return FALSE;
    name = dlg.m_strName;
    return TRUE;
}

CString CColorSchemeDlg::InsertSql(const CString& quotedName) {
    CString sql;
    sql.Format(L"insert into Params(name,red,green,blue,globlegain,gamma,saturation) values('%s',%f,%f,%f,%f,%f,%f)",
               (LPCWSTR)quotedName, m_save[3], m_save[4], m_save[5], m_save[1], m_save[2], m_save[0]);
    return sql;
}

void CColorSchemeDlg::ApplyRow(Recordset& row) {
    if (IsHestralCamType()) {
        HestralPreset& p = g_HestralPendingPreset;
        p.saturation = (int)AsFloat(row, L"blue");
        p.gamma = (int)AsFloat(row, L"globlegain");
        p.contrast = (int)AsFloat(row, L"saturation");
        p.red = (int)AsFloat(row, L"gamma");
        p.green = (int)AsFloat(row, L"red");
        p.blue = (int)AsFloat(row, L"green");
        // The adjust dialog sends what it holds: the preset goes into it first.
        if (auto* adjust = dynamic_cast<CHestralAdjustDlg*>(m_pOpener)) {
            adjust->m_nSaturation = p.saturation;
            adjust->m_nGamma = p.gamma;
            adjust->m_nContrast = p.contrast;
            adjust->m_nRed = p.red;
            adjust->m_nGreen = p.green;
            adjust->m_nBlue = p.blue;
        }
        if (m_pOpener && m_pOpener->GetSafeHwnd()) m_pOpener->PostMessage(WM_HESTRAL_APPLY_PRESET);
        return;
    }
    CPellixAdjustDlg::ApplyToCamera(AsFloat(row, L"saturation"), AsFloat(row, L"gamma"), AsFloat(row, L"globlegain"),
                                    AsFloat(row, L"red"), AsFloat(row, L"green"), AsFloat(row, L"blue"));
    // The adjust dialog that opened us shows the camera's new values.
    if (m_pOpener && m_pOpener->GetSafeHwnd()) m_pOpener->SendMessage(WM_ADJUST_REFRESH);
}

// ------------------------------------------------------------------ DirectShow cameras

CUvcColorSchemeDlg::CUvcColorSchemeDlg(CWnd* pParent, CUvcPresetTarget* pPanel)
    : CSchemeDlgBase(IDD_UVC_COLOR_SCHEME, pParent), m_pPanel(pPanel), m_values() {}

void CUvcColorSchemeDlg::SetCurrentValues(int brightness, int saturation, int contrast, int gamma, int sharpness,
                                          int red, int green, int blue, int exposureOrWb, int autoWhiteBalance,
                                          int autoExposure) {
    const int v[11] = {brightness, saturation, contrast, gamma, sharpness, red, green, blue,
                       exposureOrWb, autoWhiteBalance, autoExposure};
    for (int i = 0; i < 11; ++i) m_values[i] = v[i];
}

bool CUvcColorSchemeDlg::IsP8Z() { return IsUvcCamera(); }

LPCWSTR CUvcColorSchemeDlg::Table() const { return IsP8Z() ? L"P8ZParams" : L"R5VParams"; }

const CSchemeDlgBase::Column* CUvcColorSchemeDlg::ValueColumns(int* count) const {
    static const Column p8z[] = {{IDS_COL_BRIGHTNESS, 50, L"brightness"},
                                 {IDS_SATURATION, 50, L"saturation"},
                                 {IDS_IMAGE_CONTRAST, 50, L"contrast"},
                                 {IDS_GAMMA, 50, L"gamma"},
                                 {IDS_RED, 50, L"red"},
                                 {IDS_GREEN, 50, L"green"},
                                 {IDS_BLUE, 60, L"blue"},
                                 {IDS_EXPOSURE, 60, L"exposure"},
                                 {IDS_COL_AUTO_EXPOSURE, 70, L"bautoexpose"},
                                 {IDS_COL_AUTO_WB, 70, L"batuowb"}};
    static const Column r5v[] = {{IDS_COL_BRIGHTNESS, 50, L"brightness"},
                                 {IDS_SATURATION, 50, L"saturation"},
                                 {IDS_IMAGE_CONTRAST, 50, L"contrast"},
                                 {IDS_GAMMA, 50, L"gamma"},
                                 {IDS_COL_SHARPNESS, 50, L"sharpness"},
                                 {IDS_RED, 40, L"red"},
                                 {IDS_GREEN, 40, L"green"},
                                 {IDS_BLUE, 40, L"blue"},
                                 {IDS_COL_WHITE_BALANCE, 50, L"whitebalance"}};
    if (!IsP8Z()) {
        *count = 9;
        return r5v;
    }
    *count = 10;
    return p8z;
}

CString CUvcColorSchemeDlg::ColumnTitle(const Column& c) const {
    // The English P8Z list has always spelt its contrast title this way.
    if (IsP8Z() && g_bLangEnglish && c.title == IDS_IMAGE_CONTRAST) return L"Contstrast";
    return CSchemeDlgBase::ColumnTitle(c);
}

BOOL CUvcColorSchemeDlg::AskName(CString& name) {
    CUvcSchemeNameDlg dlg(this);
    if (dlg.DoModal() != IDOK) return FALSE;
    name = dlg.m_strName;
    return TRUE;
}

CString CUvcColorSchemeDlg::InsertSql(const CString& quotedName) {
    const int* v = m_values;
    CString sql;
    if (IsP8Z())
        sql.Format(L"insert into P8ZParams(name,red,green,blue,brightness,saturation,contrast,gamma,exposure, batuowb,"
                   L"bautoexpose) values('%s',%d,%d,%d,%d,%d,%d,%d,%d,%d,%d)",
                   (LPCWSTR)quotedName, v[5], v[6], v[7], v[0], v[1], v[2], v[3], v[8], v[9], v[10]);
    else
        sql.Format(L"insert into R5VParams(name,red,green,blue,brightness,saturation,contrast,gamma,sharpness,"
                   L"whitebalance,bwhitebalance) values('%s',%d,%d,%d,%d,%d,%d,%d,%d,%d,%d)",
                   (LPCWSTR)quotedName, v[5], v[6], v[7], v[0], v[1], v[2], v[3], v[4], v[8], v[9]);
    return sql;
}

void CUvcColorSchemeDlg::ApplyRow(Recordset& row) {
    if (!m_pPanel) return;
    auto i = [&row](LPCWSTR f) { return AsInt(row, f); };
    if (IsP8Z())
        // Exposure mode before the white-balance flag, as the panel takes them.
        m_pPanel->ApplyPreset(i(L"brightness"), i(L"saturation"), i(L"contrast"), i(L"gamma"), 0, i(L"red"),
                              i(L"green"), i(L"blue"), i(L"exposure"), i(L"bautoexpose"), i(L"batuowb"));
    else
        m_pPanel->ApplyPreset(i(L"brightness"), i(L"saturation"), i(L"contrast"), i(L"gamma"), i(L"sharpness"),
                              i(L"red"), i(L"green"), i(L"blue"), i(L"whitebalance"), i(L"bwhitebalance"));
}
