// The colour combo box (its entries and the pixels it draws) and the
// measurement colour dialog, run modally from the program's resources and
// driven through the framework's scripted answers.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ColorCombo.h"
#include "DialogDriver.h"
#include "MeasureColorDlg.h"
#include "Resource.h"

using namespace dialog_driver;

namespace {

// A colour nobody draws.
const COLORREF kUntouched = RGB(0x12, 0x34, 0x56);

// A 32-bit top-down picture with a memory DC on it, first all kUntouched.
class Canvas {
public:
    Canvas(int w, int h) : m_w(w), m_h(h)
    {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        m_bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_dc = CreateCompatibleDC(nullptr);
        m_old = SelectObject(m_dc, m_bmp);
        const COLORREF untouched = kUntouched;
        for (int i = 0; i < w * h; ++i)
            m_bits[i] = GetRValue(untouched) << 16 | GetGValue(untouched) << 8 | GetBValue(untouched);
    }
    ~Canvas()
    {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
        DeleteObject(m_bmp);
    }
    HDC dc() const { return m_dc; }
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        DWORD v = m_bits[y * m_w + x];
        return RGB((v >> 16) & 255, (v >> 8) & 255, v & 255);
    }
    // Pixels of exactly `c` in [x0, x1) x [y0, y1).
    int Count(COLORREF c, int x0, int y0, int x1, int y1) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += At(x, y) == c;
        return n;
    }
    int Count(COLORREF c) const { return Count(c, 0, 0, m_w, m_h); }
private:
    int m_w, m_h;
    HBITMAP m_bmp;
    HDC m_dc;
    HGDIOBJ m_old;
    DWORD* m_bits = nullptr;
};

// The table as users know it, worked out from the colour names.
const struct { COLORREF color; const wchar_t* name; } kTable[] = {
    {0x000000, L"Black"}, {0xFFFFFF, L"White"}, {0x0000FF, L"Red"}, {0x00FF00, L"Green"},
    {0xFF0000, L"Blue"}, {0xFFFF00, L"Cyan"}, {0xFF00FF, L"Magenta"}, {0x00FFFF, L"Yellow"},
};

// Pixels of each table colour in what a combo paints of itself (its field
// shows only while the combo is shown).
std::vector<int> TableColorPixels(HWND combo)
{
    RECT rc;
    GetClientRect(combo, &rc);
    Canvas canvas(rc.right, rc.bottom);
    SendMessageW(combo, WM_PRINTCLIENT, (WPARAM)canvas.dc(), PRF_CLIENT);
    std::vector<int> counts;
    for (const auto& t : kTable) counts.push_back(canvas.Count(t.color));
    return counts;
}

// Whether the field shows the swatch of `index` (-1: none) and no other
// colour of the table; black and white are the frame and the background too.
testing::AssertionResult ShowsOnly(const std::vector<int>& counts, int index)
{
    for (int i = kColorRed; i < kColorCount; ++i) {
        if (i == index ? counts[i] > 100 : counts[i] == 0) continue;
        return testing::AssertionFailure() << counts[i] << " pixels of colour " << i << ", expected the swatch of " << index;
    }
    return testing::AssertionSuccess();
}

class ColorComboTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_parent.CreateEx(0, AfxRegisterWndClass(0), L"combo", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr));
        ASSERT_TRUE(m_combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                                   CRect(5, 5, 200, 150), &m_parent, 1067));
    }
    void TearDown() override { m_parent.DestroyWindow(); }
    CWnd m_parent;
    CColorCombo m_combo;
};

TEST_F(ColorComboTest, FillListsTheTableAndAddRefusesAColourTwice)
{
    m_combo.FillColors();
    ASSERT_EQ(m_combo.GetCount(), 8);
    for (int i = 0; i < 8; ++i) {
        CString name;
        m_combo.GetLBText(i, name);
        EXPECT_EQ(CString(kTable[i].name), name) << i;
        EXPECT_EQ(m_combo.GetItemData(i), kTable[i].color) << i;
    }
    EXPECT_EQ(m_combo.GetCurSel(), 0);
    EXPECT_EQ(m_combo.GetSelectedColor(), 0x000000u);

    EXPECT_EQ(m_combo.AddColor(0x00FF00, L"Green again"), -1);
    EXPECT_EQ(m_combo.GetCount(), 8);
    EXPECT_EQ(m_combo.AddColor(RGB(1, 2, 3), L"Dark"), 8);
    EXPECT_EQ(m_combo.GetItemData(8), RGB(1, 2, 3));
    m_combo.SetCurSel(6);
    EXPECT_EQ(m_combo.GetSelectedColor(), 0xFF00FFu);
    m_combo.SetCurSel(-1);
    EXPECT_EQ(m_combo.GetSelectedColor(), CLR_INVALID);

    // Indices the table lacks select nothing, whatever CB_SETCURSEL would do.
    for (int bad : {-1, 8, 9, 1000}) {
        SelectColorIndex(m_combo, bad);
        EXPECT_EQ(m_combo.GetCurSel(), -1) << bad;
    }
    SelectColorIndex(m_combo, 7);
    EXPECT_EQ(m_combo.GetCurSel(), 7);
}

// One item drawn into a 120 x 18 rectangle: background, the swatch from
// (2, 2) to (32, 16) with a black frame, the name from x = 39.
TEST_F(ColorComboTest, DrawItemPaintsSwatchNameAndBackground)
{
    m_combo.FillColors();
    const COLORREF window = GetSysColor(COLOR_WINDOW), windowText = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT), inactive = GetSysColor(COLOR_INACTIVECAPTIONTEXT);
    const struct {
        UINT item;
        UINT state;
        COLORREF back, text, swatch;
    } cases[] = {
        {6, 0, window, windowText, 0xFF00FF},
        {3, ODS_SELECTED, window, windowText, 0x00FF00},
        {7, ODS_FOCUS | ODS_SELECTED, highlight, ~highlight & 0xFFFFFF, 0x00FFFF},
        {2, ODS_DISABLED, window, inactive, inactive},
        // An empty selection: background (and focus) only.
        {(UINT)-1, ODS_FOCUS, highlight, CLR_INVALID, CLR_INVALID},
        {(UINT)-1, 0, window, CLR_INVALID, CLR_INVALID},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "item " << (int)c.item << " state " << c.state);
        Canvas canvas(130, 20);
        // Crisp text, so its colour is exact (the combo draws in its own font).
        HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                                 L"MS Sans Serif");
        HGDIOBJ oldFont = SelectObject(canvas.dc(), font);
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_COMBOBOX;
        dis.CtlID = 1067;
        dis.itemID = c.item;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = c.state;
        dis.hwndItem = m_combo.m_hWnd;
        dis.hDC = canvas.dc();
        dis.rcItem = {0, 0, 120, 18};
        m_combo.DrawItem(&dis);
        SelectObject(canvas.dc(), oldFont);
        DeleteObject(font);
        // The focus rectangle is the outermost ring; inside it, background.
        EXPECT_EQ(canvas.At(35, 9), c.back);
        EXPECT_EQ(canvas.At(118, 16), c.back);
        EXPECT_EQ(canvas.At(125, 9), kUntouched);  // nothing outside the item
        if (c.swatch == CLR_INVALID) {
            EXPECT_EQ(canvas.At(10, 5), c.back);
            EXPECT_EQ(canvas.Count(c.back, 1, 1, 119, 17), 118 * 16);
            continue;
        }
        EXPECT_EQ(canvas.At(10, 5), c.swatch);
        EXPECT_EQ(canvas.Count(c.swatch, 3, 3, 31, 15), 28 * 12);
        EXPECT_EQ(canvas.At(2, 2), 0x000000u);   // the frame
        EXPECT_EQ(canvas.At(31, 15), 0x000000u);
        EXPECT_EQ(canvas.Count(c.back, 32, 1, 39, 17), 7 * 16);
        EXPECT_GT(canvas.Count(c.text, 39, 1, 119, 17), 10);
    }
}

// Through the window: the closed combo paints its selection by asking its
// parent, which hands the drawing to the combo.
TEST_F(ColorComboTest, TheControlPaintsItsSelectionThroughDrawItem)
{
    m_combo.FillColors();
    m_parent.ShowWindow(SW_SHOWNOACTIVATE);  // a hidden combo paints no text field
    for (int sel : {(int)kColorMagenta, (int)kColorBlue, -1}) {
        m_combo.SetCurSel(sel);
        EXPECT_TRUE(ShowsOnly(TableColorPixels(m_combo.m_hWnd), sel));
    }
}

// ---------------------------------------------------------------- the measurement colour dialog
class MeasureColorDlgTest : public ::testing::Test {
protected:
    void TearDown() override { AfxTestSetScript(L""); }
};

TEST_F(MeasureColorDlgTest, OpensWithTheGivenIndicesAndOkStoresTheChoice)
{
    CMeasureColorDlg dlg;
    // Four different indices, in the dialog's own order: text, lines, points, adjust points.
    dlg.SetColors(1, 5, 6, 4);
    INT_PTR r = RunModal(dlg, L"dialog 174 IDOK", [](HWND h) {
        for (int id : {IDC_MC_POINTS, IDC_MC_LINES, IDC_MC_ADJUST_POINTS, IDC_MC_TEXT, IDOK, IDCANCEL})
            EXPECT_TRUE(GetDlgItem(h, id)) << id;
        for (int id : {IDC_MC_POINTS, IDC_MC_LINES, IDC_MC_ADJUST_POINTS, IDC_MC_TEXT}) {
            EXPECT_EQ(SendDlgItemMessageW(h, id, CB_GETCOUNT, 0, 0), 8) << id;
            EXPECT_TRUE(GetWindowLongW(GetDlgItem(h, id), GWL_STYLE) & CBS_OWNERDRAWFIXED) << id;
        }
        EXPECT_EQ(CurSel(h, IDC_MC_POINTS), 6);
        EXPECT_EQ(CurSel(h, IDC_MC_LINES), 5);
        EXPECT_EQ(CurSel(h, IDC_MC_ADJUST_POINTS), 4);
        EXPECT_EQ(CurSel(h, IDC_MC_TEXT), 1);
        Choose(h, IDC_MC_TEXT, kColorYellow);
        // The dialog hands the combo's drawing to the combo: a yellow swatch.
        ShowWindow(h, SW_SHOWNA);
        EXPECT_TRUE(ShowsOnly(TableColorPixels(GetDlgItem(h, IDC_MC_TEXT)), kColorYellow));
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(dlg.m_text, kColorYellow);
    EXPECT_EQ(dlg.m_lines, 5);
    EXPECT_EQ(dlg.m_points, 6);
    EXPECT_EQ(dlg.m_adjustPoints, 4);
}

TEST_F(MeasureColorDlgTest, CancelAfterChangesKeepsEveryIndex)
{
    CMeasureColorDlg dlg;  // the defaults before SetColors: text 2, lines 3, points 4, adjust 2
    INT_PTR r = RunModal(dlg, L"dialog 174 IDCANCEL", [](HWND h) {
        EXPECT_EQ(CurSel(h, IDC_MC_TEXT), 2);
        EXPECT_EQ(CurSel(h, IDC_MC_LINES), 3);
        EXPECT_EQ(CurSel(h, IDC_MC_POINTS), 4);
        EXPECT_EQ(CurSel(h, IDC_MC_ADJUST_POINTS), 2);
        for (int id : {IDC_MC_POINTS, IDC_MC_LINES, IDC_MC_ADJUST_POINTS, IDC_MC_TEXT}) Choose(h, id, 0);
    });
    EXPECT_EQ(r, IDCANCEL);
    EXPECT_EQ(dlg.m_text, 2);
    EXPECT_EQ(dlg.m_lines, 3);
    EXPECT_EQ(dlg.m_points, 4);
    EXPECT_EQ(dlg.m_adjustPoints, 2);
}

// Stored indices the table lacks show no selection, and OK is refused until
// one is chosen, so no -1 reaches the layer's colour lookups.
TEST_F(MeasureColorDlgTest, OkWaitsForAColourInEveryCombo)
{
    CMeasureColorDlg dlg;
    dlg.SetColors(9, -1, 3, 2);
    INT_PTR r = RunModal(dlg, L"dialog 174 IDOK; msgbox IDOK", [&](HWND h) {
        EXPECT_EQ(CurSel(h, IDC_MC_TEXT), -1);
        EXPECT_EQ(CurSel(h, IDC_MC_LINES), -1);
        // The empty field paints its background only.
        ShowWindow(h, SW_SHOWNA);
        EXPECT_TRUE(ShowsOnly(TableColorPixels(GetDlgItem(h, IDC_MC_TEXT)), -1));

        Click(h, IDOK);
        EXPECT_TRUE(IsWindow(h));
        EXPECT_TRUE(BoxShown(L"Please choose a colour.")) << (LPCWSTR)AfxTestGetRecord();
        EXPECT_EQ(dlg.m_text, 9);
        EXPECT_EQ(dlg.m_lines, -1);
        Choose(h, IDC_MC_LINES, kColorCyan);
        Choose(h, IDC_MC_TEXT, kColorWhite);
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(dlg.m_text, kColorWhite);
    EXPECT_EQ(dlg.m_lines, kColorCyan);
    EXPECT_EQ(dlg.m_points, 3);
    EXPECT_EQ(dlg.m_adjustPoints, 2);
}

// From the Chinese language library: its caption and its refusal text.
TEST_F(MeasureColorDlgTest, ComesFromTheLanguageLibrary)
{
    LanguageResources zh(L"LangZh.dll");
    ASSERT_TRUE(zh.Loaded());
    CMeasureColorDlg dlg;
    dlg.SetColors(8, 3, 4, 2);
    INT_PTR r = RunModal(dlg, L"dialog 174 IDCANCEL; msgbox IDOK", [](HWND h) {
        EXPECT_EQ(Text(h), L"测量工具设置");
        EXPECT_EQ(ItemText(h, IDOK), L"确定");
        CString name;
        CComboBox* combo = static_cast<CComboBox*>(CWnd::FromHandle(GetDlgItem(h, IDC_MC_LINES)));
        combo->GetLBText(kColorMagenta, name);
        EXPECT_EQ(name, CString(L"Magenta"));
        Click(h, IDOK);
        EXPECT_TRUE(BoxShown(L"请选择一种颜色。")) << (LPCWSTR)AfxTestGetRecord();
    });
    EXPECT_EQ(r, IDCANCEL);
}

}  // namespace
