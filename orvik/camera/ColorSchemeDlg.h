// The camera presets kept in data.mdb: CColorSchemeDlg for the Marrowin and
// Hestral cameras (table Params), CUvcColorSchemeDlg for the DirectShow
// cameras (P8ZParams for sub-types 5 to 7, R5VParams otherwise), each with
// its name dialog for saving. Modal; opened by the adjust dialogs, which hand
// over their current values first.
#pragma once

#include <Ado.h>
#include <ToolkitControls.h>

// Posted to the Hestral adjust dialog once g_HestralPendingPreset holds the
// applied preset.
constexpr UINT WM_HESTRAL_APPLY_PRESET = 0x502;

// What the UVC camera panel does with an applied preset.
class CUvcPresetTarget {
public:
    // P8Z cameras. exposureMode is the panel's 1 auto / 2 manual exposure.
    virtual void ApplyPreset(int brightness, int saturation, int contrast, int gamma, int sharpness, int red,
                             int green, int blue, int exposure, int exposureMode, int autoWhiteBalance) = 0;
    // R5V cameras.
    virtual void ApplyPreset(int brightness, int saturation, int contrast, int gamma, int sharpness, int red,
                             int green, int blue, int whiteBalance, int autoWhiteBalance) = 0;
protected:
    ~CUvcPresetTarget() = default;
};

// Asks for the name of a new preset; refuses an empty one.
class CSchemeNameDlg : public CBCGPDialog {
    DECLARE_MESSAGE_MAP()
public:
    explicit CSchemeNameDlg(CWnd* pParent, UINT nIDTemplate = 197);
    CString m_strName;
protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
};

class CUvcSchemeNameDlg : public CSchemeNameDlg {
public:
    explicit CUvcSchemeNameDlg(CWnd* pParent) : CSchemeNameDlg(pParent, 202) {}
};

// List, add, apply and delete over one table; the families differ in their
// columns and in what Add saves and Apply sets.
class CSchemeDlgBase : public CBCGPDialog {
    DECLARE_MESSAGE_MAP()
public:
    ~CSchemeDlgBase() override;

    struct Column {
        UINT title;  // string id
        int width;
        LPCWSTR field;
    };

protected:
    CSchemeDlgBase(UINT nIDTemplate, CWnd* pParent);
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    virtual LPCWSTR Table() const = 0;
    // Columns 2.. of the list, in order.
    virtual const Column* ValueColumns(int* count) const = 0;
    virtual DWORD ListStyle() const { return LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES; }
    virtual CString ColumnTitle(const Column& c) const { return Str(c.title); }
    // Collects the values and asks for a name; FALSE when cancelled.
    virtual BOOL AskName(CString& name) = 0;
    // The insert statement's column list and values for name (already quoted).
    virtual CString InsertSql(const CString& quotedName) = 0;
    virtual void ApplyRow(Recordset& row) = 0;

    // The current row of the query, or nullptr (no row, or an error shown).
    Recordset* Query(const CString& sql);
    // Runs an insert or delete; an error is shown and FALSE returned.
    BOOL Execute(const CString& sql);
    void FillList();
    CString SelectedName() const;
    int Ask(UINT text, UINT caption);
    static CString Quoted(const CString& name);
    static CString Str(UINT id);

    afx_msg void OnAdd();
    afx_msg void OnApply();
    afx_msg void OnDelete();

    CBCGPListCtrl m_list;
    CBCGPButton m_btnExit, m_btnDelete, m_btnApply, m_btnAdd;
    CString m_strNewName;
    _RecordsetPtr m_pRecordset;
};

class CColorSchemeDlg : public CSchemeDlgBase {
public:
    // pOpener: the adjust dialog that opens this one; it is told to show the
    // applied preset.
    explicit CColorSchemeDlg(CWnd* pOpener);
    // Hestral: the six values saved by Add (the Marrowin values come from the camera).
    void SetCurrentValues(float saturation, float contrast, float gamma, float red, float green, float blue);

protected:
    LPCWSTR Table() const override { return L"Params"; }
    const Column* ValueColumns(int* count) const override;
    BOOL AskName(CString& name) override;
    CString InsertSql(const CString& quotedName) override;
    void ApplyRow(Recordset& row) override;

private:
    CWnd* m_pOpener;
    float m_fSaturation, m_fContrast, m_fGamma, m_fRed, m_fGreen, m_fBlue;
    // What Add saves, in the column order saturation, globlegain, gamma, red, green, blue.
    float m_save[6];
};

class CUvcColorSchemeDlg : public CSchemeDlgBase {
public:
    CUvcColorSchemeDlg(CWnd* pParent, CUvcPresetTarget* pPanel);
    // exposureOrWb: exposure on P8Z cameras, white balance on R5V cameras.
    void SetCurrentValues(int brightness, int saturation, int contrast, int gamma, int sharpness, int red, int green,
                          int blue, int exposureOrWb, int autoWhiteBalance, int autoExposure);

protected:
    LPCWSTR Table() const override;
    const Column* ValueColumns(int* count) const override;
    DWORD ListStyle() const override { return LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_FLATSB; }
    CString ColumnTitle(const Column& c) const override;
    BOOL AskName(CString& name) override;
    CString InsertSql(const CString& quotedName) override;
    void ApplyRow(Recordset& row) override;

private:
    static bool IsP8Z();
    CUvcPresetTarget* m_pPanel;
    int m_values[11];
};
