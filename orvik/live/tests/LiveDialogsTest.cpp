// The live view's threshold, ratio and marker dialogs, run modally from the
// program's resources and driven through the framework's scripted answers:
// their controls, what they show, what moves and OK change in the settings,
// and the marker dialog's setting.ini read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "DialogDriver.h"
#include "Globals.h"
#include "MarkerDlg.h"
#include "RatioDlg.h"
#include "Resource.h"
#include "ThresholdDlg.h"

using namespace dialog_driver;

namespace {

int SliderValue(HWND dlg, UINT msg) { return (int)SendDlgItemMessageW(dlg, IDC_SET_SLIDER, msg, 0, 0); }

// The controls of a slider dialog and what they show.
void ExpectSlider(HWND dlg, int min, int max, int page, int pos, const wchar_t* label)
{
    for (int id : {IDC_SET_SLIDER, IDC_SET_VALUE, IDOK, IDCANCEL}) EXPECT_TRUE(GetDlgItem(dlg, id)) << id;
    EXPECT_EQ(SliderValue(dlg, TBM_GETRANGEMIN), min);
    EXPECT_EQ(SliderValue(dlg, TBM_GETRANGEMAX), max);
    EXPECT_EQ(SliderValue(dlg, TBM_GETPAGESIZE), page);
    EXPECT_EQ(SliderValue(dlg, TBM_GETLINESIZE), 1);
    EXPECT_EQ(SliderValue(dlg, TBM_GETPOS), pos);
    EXPECT_EQ(ItemText(dlg, IDC_SET_VALUE), label);
}

// A user's move of the slider: a drag of the thumb to `pos`, as the trackbar
// reports it to its dialog.
void Drag(HWND dlg, int pos)
{
    HWND slider = GetDlgItem(dlg, IDC_SET_SLIDER);
    SendMessageW(slider, TBM_SETPOS, TRUE, pos);
    SendMessageW(dlg, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, pos), (LPARAM)slider);
}

// A key on the slider: the trackbar moves itself and reports a line or page
// move, whose position argument is 0.
void Key(HWND dlg, UINT vk)
{
    HWND slider = GetDlgItem(dlg, IDC_SET_SLIDER);
    SendMessageW(slider, WM_KEYDOWN, vk, 0);
    SendMessageW(slider, WM_KEYUP, vk, 0xC0000000);
}

class SliderDialogs : public ::testing::Test {
protected:
    void TearDown() override { AfxTestSetScript(L""); }
    LiveViewSettings m_settings;
};

TEST_F(SliderDialogs, ThresholdFollowsTheSliderWhileOpen)
{
    CThresholdDlg dlg(m_settings);
    INT_PTR r = RunModal(dlg, L"dialog 176 IDOK", [&](HWND h) {
        ExpectSlider(h, 1, 255, 8, 128, L"128");

        Drag(h, 200);
        EXPECT_EQ(m_settings.threshold, 200);
        EXPECT_EQ(ItemText(h, IDC_SET_VALUE), L"200");
        Key(h, VK_RIGHT);  // one line
        EXPECT_EQ(SliderValue(h, TBM_GETPOS), 201);
        EXPECT_EQ(m_settings.threshold, 201);
        EXPECT_EQ(ItemText(h, IDC_SET_VALUE), L"201");
        Key(h, VK_NEXT);   // one page
        EXPECT_EQ(m_settings.threshold, 209);
        Key(h, VK_END);
        EXPECT_EQ(m_settings.threshold, 255);
        Key(h, VK_HOME);
        EXPECT_EQ(m_settings.threshold, 1);
        EXPECT_EQ(ItemText(h, IDC_SET_VALUE), L"1");
        Drag(h, 90);
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(m_settings.threshold, 90);

    // Close ends the dialog: the threshold stays as last moved.
    CThresholdDlg again(m_settings);
    r = RunModal(again, L"dialog 176 IDCANCEL", [&](HWND h) {
        EXPECT_EQ(SliderValue(h, TBM_GETPOS), 90);
        Drag(h, 33);
    });
    EXPECT_EQ(r, IDCANCEL);
    EXPECT_EQ(m_settings.threshold, 33);
}

TEST_F(SliderDialogs, RatioIsTheSliderPositionInTenths)
{
    m_settings.ratio = 2.0f;
    CRatioDlg dlg(m_settings);
    INT_PTR r = RunModal(dlg, L"dialog 183 IDOK", [&](HWND h) {
        ExpectSlider(h, 1, 50, 5, 20, L"2.0");
        Drag(h, 25);
        EXPECT_EQ(m_settings.ratio, 2.5f);
        EXPECT_EQ(ItemText(h, IDC_SET_VALUE), L"2.5");
        Key(h, VK_LEFT);
        EXPECT_EQ(m_settings.ratio, 2.4f);
        EXPECT_EQ(ItemText(h, IDC_SET_VALUE), L"2.4");
        Key(h, VK_PRIOR);  // a page down the scale
        EXPECT_EQ(m_settings.ratio, 1.9f);
        Key(h, VK_HOME);
        EXPECT_EQ(m_settings.ratio, 0.1f);
        EXPECT_EQ(ItemText(h, IDC_SET_VALUE), L"0.1");
        Key(h, VK_END);
        EXPECT_EQ(m_settings.ratio, 5.0f);
        EXPECT_EQ(ItemText(h, IDC_SET_VALUE), L"5.0");
        Drag(h, 7);
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(m_settings.ratio, 0.7f);

    // Every ratio a position gave opens at that position again (0.7 x 10 is
    // not 7 in every arithmetic); Cancel keeps the last move.
    for (int pos : {7, 3, 49, 1}) {
        m_settings.ratio = pos / 10.0f;
        CRatioDlg again(m_settings);
        r = RunModal(again, L"dialog 183 IDCANCEL", [&](HWND h) {
            EXPECT_EQ(SliderValue(h, TBM_GETPOS), pos);
            Drag(h, 12);
        });
        EXPECT_EQ(r, IDCANCEL);
        EXPECT_EQ(m_settings.ratio, 1.2f);
    }
}

// ---------------------------------------------------------------- the marker dialog
class MarkerDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        m_path = std::wstring(tmp) + L"orvik_marker_test.ini";
        DeleteFileW(m_path.c_str());
        m_saved = g_strSettingsPath;
        g_strSettingsPath = m_path.c_str();
    }
    void TearDown() override
    {
        AfxTestSetScript(L"");
        DeleteFileW(m_path.c_str());
        g_strSettingsPath = m_saved;
    }
    bool FileExists() const { return GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    int Ini(LPCWSTR key) const { return (int)GetPrivateProfileIntW(L"Marker", key, -999, m_path.c_str()); }
    std::string FileText() const { return FileBytes(m_path); }
    // The settings fields as one value, to see that nothing changed.
    std::string State() const
    {
        std::ostringstream o;
        o << m_settings.rulerUnit << ' ' << m_settings.gridUnit << ' ' << m_settings.circleUnit << ' '
          << m_settings.markerColorIndex << ' ' << std::hex << m_settings.markerColor << ' '
          << (int)m_settings.threshold << ' ' << m_settings.ratio;
        return o.str();
    }

    std::wstring m_path;
    CString m_saved;
    LiveViewSettings m_settings;
};

TEST_F(MarkerDialog, OkStoresUnitsAndColourAndWritesTheSettingsFile)
{
    CMarkerDlg dlg(m_settings);
    INT_PTR r = RunModal(dlg, L"dialog 200 IDOK", [&](HWND h) {
        for (int id : {IDC_MK_COLOR, IDC_MK_RULER_UNIT, IDC_MK_GRID_UNIT, IDC_MK_CIRCLE_UNIT, IDC_MK_SAVE_MARKER, IDOK,
                       IDCANCEL})
            EXPECT_TRUE(GetDlgItem(h, id)) << id;
        EXPECT_EQ(ItemText(h, IDC_MK_RULER_UNIT), L"5");
        EXPECT_EQ(ItemText(h, IDC_MK_GRID_UNIT), L"40");
        EXPECT_EQ(ItemText(h, IDC_MK_CIRCLE_UNIT), L"40");
        EXPECT_EQ(SendDlgItemMessageW(h, IDC_MK_COLOR, CB_GETCOUNT, 0, 0), 8);
        EXPECT_EQ(CurSel(h, IDC_MK_COLOR), kColorGreen);
        EXPECT_EQ(IsDlgButtonChecked(h, IDC_MK_SAVE_MARKER), (UINT)BST_UNCHECKED);

        Choose(h, IDC_MK_COLOR, kColorMagenta);
        SetDlgItemTextW(h, IDC_MK_RULER_UNIT, L"7");
        SetDlgItemTextW(h, IDC_MK_GRID_UNIT, L" 50");
        SetDlgItemTextW(h, IDC_MK_CIRCLE_UNIT, L"60");
        CheckDlgButton(h, IDC_MK_SAVE_MARKER, BST_CHECKED);  // bound to nothing
        EXPECT_FALSE(FileExists());
        EXPECT_EQ(m_settings.markerColorIndex, kColorGreen);  // nothing before OK
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(m_settings.markerColorIndex, kColorMagenta);
    const COLORREF c = m_settings.markerColor;
    EXPECT_EQ(GetRValue(c), 255);
    EXPECT_EQ(GetGValue(c), 0);
    EXPECT_EQ(GetBValue(c), 255);
    EXPECT_EQ(m_settings.rulerUnit, 7);
    EXPECT_EQ(m_settings.gridUnit, 50);
    EXPECT_EQ(m_settings.circleUnit, 60);

    EXPECT_EQ(Ini(L"MarkerColor"), 6);
    EXPECT_EQ(Ini(L"RulerUnit"), 7);
    EXPECT_EQ(Ini(L"GridUnit"), 50);
    EXPECT_EQ(Ini(L"CircleUnit"), 60);
    const std::string text = FileText();
    EXPECT_NE(text.find("MarkerColor=6"), std::string::npos) << text;
    EXPECT_EQ(text.find("Save"), std::string::npos) << text;  // the check box wrote nothing

    // Opening again shows what OK stored.
    CMarkerDlg again(m_settings);
    r = RunModal(again, L"dialog 200 IDCANCEL", [&](HWND h) {
        EXPECT_EQ(CurSel(h, IDC_MK_COLOR), kColorMagenta);
        EXPECT_EQ(ItemText(h, IDC_MK_RULER_UNIT), L"7");
        EXPECT_EQ(ItemText(h, IDC_MK_CIRCLE_UNIT), L"60");
    });
    EXPECT_EQ(r, IDCANCEL);
}

TEST_F(MarkerDialog, CancelChangesNothing)
{
    const std::string before = State();
    CMarkerDlg dlg(m_settings);
    INT_PTR r = RunModal(dlg, L"dialog 200 IDCANCEL", [&](HWND h) {
        Choose(h, IDC_MK_COLOR, kColorYellow);
        SetDlgItemTextW(h, IDC_MK_RULER_UNIT, L"12");
        SetDlgItemTextW(h, IDC_MK_GRID_UNIT, L"13");
        SetDlgItemTextW(h, IDC_MK_CIRCLE_UNIT, L"14");
    });
    EXPECT_EQ(r, IDCANCEL);
    EXPECT_EQ(State(), before);
    EXPECT_FALSE(FileExists());
}

// The overlays divide by the units: OK refuses what is not a whole number of
// pixels from 1 up, says why, and stores nothing until it is mended.
TEST_F(MarkerDialog, OkRefusesUnitsBelowOneAndText)
{
    const struct { int id; const wchar_t* text; const wchar_t* message; } bad[] = {
        {IDC_MK_RULER_UNIT, L"0", L"Please enter a number of pixels greater than 0."},
        {IDC_MK_GRID_UNIT, L"-3", L"Please enter a number of pixels greater than 0."},
        {IDC_MK_CIRCLE_UNIT, L"4x", L"Please enter an integer."},
        {IDC_MK_RULER_UNIT, L"", L"Please enter an integer."},
    };
    for (const auto& b : bad) {
        SCOPED_TRACE(testing::Message() << "control " << b.id << " text \"" << CString(b.text) << "\"");
        const std::string before = State();
        CMarkerDlg dlg(m_settings);
        INT_PTR r = RunModal(dlg, L"dialog 200 IDOK; msgbox IDOK", [&](HWND h) {
            Choose(h, IDC_MK_COLOR, kColorRed);
            SetDlgItemTextW(h, b.id, b.text);
            Click(h, IDOK);
            EXPECT_TRUE(IsWindow(h));
            EXPECT_TRUE(BoxShown(b.message)) << (LPCWSTR)AfxTestGetRecord();
            EXPECT_EQ(State(), before);
            EXPECT_FALSE(FileExists());
            SetDlgItemTextW(h, b.id, L"9");
        });
        EXPECT_EQ(r, IDOK);
        EXPECT_EQ(m_settings.markerColorIndex, kColorRed);
        EXPECT_EQ(Ini(b.id == IDC_MK_RULER_UNIT ? L"RulerUnit" : b.id == IDC_MK_GRID_UNIT ? L"GridUnit" : L"CircleUnit"), 9);
        DeleteFileW(m_path.c_str());
    }
}

// A stored colour index outside the table (from an edited setting.ini):
// nothing is selected, and OK waits for a colour instead of storing -1.
TEST_F(MarkerDialog, AnIndexOutsideTheTableIsNotStoredBack)
{
    for (int stored : {9, -1}) {
        m_settings.markerColorIndex = stored;
        m_settings.markerColor = RGB(1, 2, 3);
        CMarkerDlg dlg(m_settings);
        INT_PTR r = RunModal(dlg, L"dialog 200 IDOK; msgbox IDOK", [&](HWND h) {
            EXPECT_EQ(CurSel(h, IDC_MK_COLOR), -1);
            Click(h, IDOK);
            EXPECT_TRUE(BoxShown(L"Please choose a colour.")) << (LPCWSTR)AfxTestGetRecord();
            EXPECT_FALSE(FileExists());
            Choose(h, IDC_MK_COLOR, kColorBlack);
        });
        EXPECT_EQ(r, IDOK);
        EXPECT_EQ(m_settings.markerColorIndex, kColorBlack);
        EXPECT_EQ(m_settings.markerColor, RGB(0, 0, 0));
        EXPECT_EQ(Ini(L"MarkerColor"), 0);
        DeleteFileW(m_path.c_str());
    }
}

// The program's dialogs are Chinese: so are their templates in LangZh.dll.
TEST(LiveDialogsChinese, CaptionsFromTheLanguageLibrary)
{
    LanguageResources zh(L"LangZh.dll");
    ASSERT_TRUE(zh.Loaded());
    LiveViewSettings settings;
    CThresholdDlg threshold(settings);
    CRatioDlg ratio(settings);
    CMarkerDlg marker(settings);
    const struct { CDialog* dlg; const wchar_t* script; const wchar_t* caption; const wchar_t* second; } rows[] = {
        {&threshold, L"dialog 176 IDCANCEL", L"二值化阈值", L"关闭"},
        {&ratio, L"dialog 183 IDCANCEL", L"乘法因子设置", L"取消"},
        {&marker, L"dialog 200 IDCANCEL", L"标记设置", L"取消"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(RunModal(*row.dlg, row.script, [&](HWND h) {
            EXPECT_EQ(Text(h), row.caption);
            EXPECT_EQ(ItemText(h, IDOK), L"确定");
            EXPECT_EQ(ItemText(h, IDCANCEL), row.second);
        }), IDCANCEL);
    }
    AfxTestSetScript(L"");
}

}  // namespace
