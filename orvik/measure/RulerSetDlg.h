// The calibration dialog of a still-image view (dialog 166, modeless, hidden
// on OK and Cancel): the scale bar's arms in image pixels, the real lengths
// they stand for and the unit, the resulting units per pixel, applied to
// every open still image, and ruler files in "rulerdata\" beside the program.
#pragma once
#include "MeasureTypes.h"
#include "RulerFile.h"
#include "Toolkit.h"

class CMeasureLayer;

// What the dialog reaches of a still image through its document's first view.
struct RulerTarget {
    CMeasureLayer* layer = nullptr;
    MeasureCalibration* calibration = nullptr;  // the view's own record
    HWND pictureWindow = nullptr;
};
// False for a document without a view (one being closed).
typedef bool (*RulerTargetLookup)(CDocument* doc, RulerTarget& target);

class CRulerSetDlg : public CBCGPDialog {
public:
    CRulerSetDlg();

    // Set once by the still-image view before any dialog is used.
    static void SetTargetLookup(RulerTargetLookup lookup);
    // The program folder followed by "rulerdata\".
    static CString RulerFolder();

    BOOL Create(CWnd* pParentWnd);
    // Fills the unit combo, stores the document and reads its scale bar.
    void Init(CDocument* doc);
    // The arms from the scale bar and the units per pixel from the real
    // lengths; FALSE, with the result fields cleared, when a real length is
    // not a number above 0 or an arm is empty.
    BOOL RefreshFromScaleBar();
    // Refreshes, then gives the calibration to every open still image; FALSE,
    // and nothing changes, when the refresh found no valid calibration.
    BOOL ApplyCalibration();
    // The show-scale-bar state that closing the dialog restores.
    void SetRestoreFlag(int show) { m_nRestoreFlag = show; }

    // What the Save and Load buttons do once their file dialog gave a path.
    // Errors are shown in the standard file-error box; a refused file changes
    // nothing.
    BOOL SaveRulerFile(LPCWSTR path);
    BOOL LoadRulerFile(LPCWSTR path);

    // The calibration in force after the last refresh, at full precision.
    MeasureCalibration GetCalibration() const { return m_cal; }

    CComboBox m_comboUnit;
    int m_nXEnd = 250, m_nXLength = 50, m_nXStart = 200;
    int m_nYEnd = 250, m_nYLength = 50, m_nYStart = 200;
    CString m_strXReal = L"10.00000", m_strYReal = L"10.00000";
    CString m_strXResult = L"10.00000", m_strYResult = L"10.00000";

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    afx_msg void OnSelChangeUnit();
    afx_msg void OnChangeXReal();
    afx_msg void OnChangeYReal();
    afx_msg void OnSave();
    afx_msg void OnLoad();
    DECLARE_MESSAGE_MAP()

private:
    bool Target(RulerTarget& target) const;
    void ShowUnitLabels(int unit);
    // One axis of the edit-change handlers.
    void RecomputeResult(const CString& real, int length, CString& result);
    void Close();
    // Members to controls without the edit-change handlers reacting.
    void ShowMembers();

    CDocument* m_pDoc = nullptr;
    int m_nRestoreFlag = 0;
    MeasureCalibration m_cal;     // valid only while m_bValid
    bool m_bValid = false;
    bool m_bShowing = false;      // ShowMembers is writing the controls
};
