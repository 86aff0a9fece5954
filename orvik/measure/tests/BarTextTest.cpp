// The scale bar dragged with the move tool, the reticle's drawing and the
// text label with its editor, as the operator meets them in the view.
#include "MeasureHarness.h"
#include "ReticleShape.h"
#include "ScaleBarShape.h"
#include "TextShape.h"

namespace {

class Bar : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(view.Open());
        view.tool = kToolMove;
    }
    CScaleBarShape* ScaleBar() { return static_cast<CScaleBarShape*>(layer.GetShape(0)); }
    std::vector<POINT> Ends() {
        CPoint x, y;
        ScaleBar()->GetEnds(x, y);
        return {x, y};
    }
    CTestView view;
    CMeasureLayer& layer = view.layer;
};

// The arms stand for the known lengths (10.0 each), so dragging the X end
// from 100 to 150 makes each X pixel 10 / 100 long. The bar is hidden (the
// view never showed it) and still takes the drag.
TEST_F(Bar, DraggingAnEndRecalibrates) {
    ASSERT_EQ(0, layer.GetShowScaleBar());
    view.Drag({100, 50}, {{120, 50}, {150, 50}});
    EXPECT_EQ((std::vector<POINT>{{150, 50}, {50, 100}}), Ends());
    EXPECT_DOUBLE_EQ(0.1, layer.GetCalibration().unitsPerPixelX);
    EXPECT_DOUBLE_EQ(0.2, layer.GetCalibration().unitsPerPixelY);
    EXPECT_EQ(2, view.rulerChanged);
    EXPECT_EQ((std::vector<std::wstring>{L"10.00000um", L"10.00000um"}), Texts(layer, 0));

    view.Drag({50, 100}, {{50, 125}});
    EXPECT_DOUBLE_EQ(10.0 / 75, layer.GetCalibration().unitsPerPixelY);
    EXPECT_EQ(3, view.rulerChanged);
}

// An end dragged across the corner stops one pixel short of it.
TEST_F(Bar, EndsStopBeyondTheCorner) {
    struct Case {
        POINT grab, to;
        std::vector<POINT> ends;
        double ux, uy;
    } cases[] = {
        {{100, 50}, {20, 50}, {{51, 50}, {50, 100}}, 10.0, 0.2},
        {{100, 50}, {20, 90}, {{51, 50}, {50, 100}}, 10.0, 0.2},   // the X end keeps its row
        {{50, 100}, {50, 10}, {{100, 50}, {50, 51}}, 0.2, 10.0},
        {{50, 100}, {0, 10}, {{100, 50}, {50, 51}}, 0.2, 10.0},
    };
    for (const Case& c : cases) {
        ScaleBar()->SetEnds(100, 50, 50, 100);
        ASSERT_TRUE(layer.SetCalibration(MeasureCalibration()));
        view.Drag(c.grab, {c.to});
        EXPECT_EQ(c.ends, Ends()) << c.grab << " to " << c.to;
        EXPECT_DOUBLE_EQ(c.ux, layer.GetCalibration().unitsPerPixelX);
        EXPECT_DOUBLE_EQ(c.uy, layer.GetCalibration().unitsPerPixelY);
    }
}

TEST_F(Bar, WholeBarMovesWithoutRecalibrating) {
    view.Drag({60, 60}, {{70, 65}, {80, 70}});
    EXPECT_EQ((std::vector<POINT>{{120, 60}, {70, 110}}), Ends());
    EXPECT_EQ(2, view.rulerChanged);
    EXPECT_DOUBLE_EQ(0.2, layer.GetCalibration().unitsPerPixelX);
    EXPECT_DOUBLE_EQ(0.2, layer.GetCalibration().unitsPerPixelY);

    // Only the move tool drags it; a press beside it grabs nothing.
    for (int tool : {kToolDeleteOne, kToolNone, kToolLastShape}) {
        view.tool = tool;
        view.Drag({120, 60}, {{200, 60}});
    }
    view.tool = kToolMove;
    view.Drag({300, 300}, {{310, 310}});
    EXPECT_EQ((std::vector<POINT>{{120, 60}, {70, 110}}), Ends());
    EXPECT_EQ(2, view.rulerChanged);
}

// Drawn only while shown: two arms, two end ticks, the known lengths.
TEST_F(Bar, DrawnOnlyWhenShown) {
    EmfDrawing hidden = RecordLayer(layer);
    EXPECT_TRUE(hidden.texts.empty());
    EXPECT_EQ(0, hidden.lineTos);
    layer.SetShowScaleBar(1);
    EmfDrawing shown = RecordLayer(layer);
    ASSERT_EQ(2u, shown.texts.size());
    EXPECT_EQ(L"10.00000um", shown.texts[0].text);
    EXPECT_EQ((POINT{110, 45}), shown.texts[0].at);
    EXPECT_EQ((POINT{50, 105}), shown.texts[1].at);
    const std::vector<std::pair<POINT, POINT>> lines = {
        {{45, 50}, {100, 50}}, {{100, 45}, {100, 55}}, {{50, 45}, {50, 100}}, {{45, 100}, {55, 100}}};
    EXPECT_EQ(lines, shown.lines);
}

// 640 x 480 with spacing 50: each axis, then 160 ticks either side of the
// centre 5 pixels apart, long every 10th and middle every 5th.
TEST(Reticle, AxesAndTicks) {
    CMeasureLayer layer;
    layer.CreateShape(kShapeScaleBar);
    layer.CreateShape(kShapeReticle);
    EmfDrawing d = RecordLayer(layer);
    ASSERT_EQ(2 + 4 * 160, d.lineTos);
    using L = std::pair<POINT, POINT>;
    EXPECT_EQ((L{{0, 240}, {640, 240}}), d.lines[0]);
    EXPECT_EQ((L{{315, 235}, {315, 245}}), d.lines[1]);
    EXPECT_EQ((L{{325, 235}, {325, 245}}), d.lines[2]);
    EXPECT_EQ((L{{295, 230}, {295, 250}}), d.lines[1 + 2 * 4]);    // i 5
    EXPECT_EQ((L{{270, 225}, {270, 255}}), d.lines[1 + 2 * 9]);    // i 10
    EXPECT_EQ((L{{320, 0}, {320, 480}}), d.lines[321]);
    EXPECT_EQ((L{{315, 235}, {325, 235}}), d.lines[322]);
    EXPECT_EQ((L{{315, 245}, {325, 245}}), d.lines[323]);
    EXPECT_EQ((L{{305, -560}, {335, -560}}), d.lines[322 + 2 * 159]);   // i 160: 800 up, off the picture

    // Device pixels: the zoom does not apply. New size and spacing.
    layer.SetZoom(2.0f);
    layer.SetImageSize(200, 100);
    layer.SetSpacing(100, 30);
    d = RecordLayer(layer);
    ASSERT_EQ(2 + 4 * 50, d.lineTos);
    EXPECT_EQ((L{{0, 50}, {200, 50}}), d.lines[0]);
    EXPECT_EQ((L{{90, 45}, {90, 55}}), d.lines[1]);
    EXPECT_EQ((L{{95, 47}, {105, 47}}), d.lines[1 + 2 * 50 + 1]);   // d = trunc(1 x 30 / 10.0)
}

class Label : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(view.Open());
        view.tool = kToolText;
    }
    // Places a label and returns its editor.
    HWND Place(int x, int y) {
        view.Click(x, y);
        label = static_cast<CTextShape*>(layer.GetShape(layer.GetShapeCount() - 1));
        return label->GetEditorWindow();
    }
    static HWND Edit(HWND editor) { return ::GetDlgItem(editor, CTextEditPopup::IDC_TEXT_EDIT); }
    static void Type(HWND editor, const wchar_t* text) { ::SendMessageW(Edit(editor), WM_SETTEXT, 0, (LPARAM)text); }
    static void Press(HWND editor, int id) { ::SendMessageW(::GetDlgItem(editor, id), BM_CLICK, 0, 0); }
    std::vector<std::wstring> Drawn() { return RecordLayer(layer).Strings(); }

    CTestView view;
    CMeasureLayer& layer = view.layer;
    CTextShape* label = nullptr;
};

TEST_F(Label, OkTakesTheTypedText) {
    HWND editor = Place(300, 200);
    ASSERT_TRUE(::IsWindow(editor));
    EXPECT_EQ(view.m_hWnd, ::GetParent(editor));
    EXPECT_EQ(CTextEditPopup::IDC_TEXT_POPUP, ::GetDlgCtrlID(editor));
    CRect rc;
    ::GetWindowRect(editor, &rc);
    ::MapWindowPoints(nullptr, view, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(CRect(0, 0, 230, 140), rc);
    EXPECT_EQ(Edit(editor), ::GetFocus());
    EXPECT_TRUE(Drawn().empty());

    Type(editor, L"Cell wall");
    Press(editor, CTextEditPopup::IDC_TEXT_OK);
    EXPECT_FALSE(::IsWindow(editor));
    EmfDrawing d = RecordLayer(layer);
    ASSERT_EQ(1u, d.texts.size());
    EXPECT_EQ(L"Cell wall", d.texts[0].text);
    EXPECT_EQ((POINT{300, 200}), d.texts[0].at);
}

// Cancel and Escape both leave a label that draws nothing; Return in the
// edit is a line break, and the lines are drawn as one.
TEST_F(Label, CancelEscapeAndLines) {
    HWND editor = Place(100, 100);
    Type(editor, L"gone");
    Press(editor, CTextEditPopup::IDC_TEXT_CANCEL);
    EXPECT_FALSE(::IsWindow(editor));
    EXPECT_STREQ(L"", label->GetText());
    EXPECT_EQ(1, label->GetCoordCount());

    editor = Place(100, 150);
    Type(editor, L"gone too");
    ::SendMessageW(Edit(editor), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(::IsWindow(editor));
    EXPECT_STREQ(L"", label->GetText());
    EXPECT_TRUE(Drawn().empty());

    editor = Place(100, 200);
    ::SendMessageW(Edit(editor), WM_CHAR, 'a', 0);
    ::SendMessageW(Edit(editor), WM_KEYDOWN, VK_RETURN, 0);
    ::SendMessageW(Edit(editor), WM_CHAR, '\r', 0);
    ::SendMessageW(Edit(editor), WM_CHAR, 'b', 0);
    EXPECT_TRUE(::IsWindow(editor));
    Press(editor, CTextEditPopup::IDC_TEXT_OK);
    EXPECT_EQ(std::vector<std::wstring>{L"a\r\nb"}, Drawn());
}

TEST_F(Label, LongTextKeeps255) {
    HWND editor = Place(50, 300);
    std::wstring text;
    for (int i = 0; i < 300; ++i) text += wchar_t(L'A' + i % 26);
    Type(editor, text.c_str());
    Press(editor, CTextEditPopup::IDC_TEXT_OK);
    EXPECT_EQ(text.substr(0, 255), std::wstring(label->GetText()));
    label->SetText(text.c_str());
    EXPECT_EQ(255u, wcslen(label->GetText()));
}

// Each press with the tool places its own label with its own editor.
TEST_F(Label, EachLabelHasItsEditor) {
    HWND first = Place(100, 300);
    CTextShape* firstLabel = label;
    HWND second = Place(400, 300);
    ASSERT_EQ(3, layer.GetShapeCount());
    EXPECT_NE(first, second);
    EXPECT_TRUE(::IsWindow(first) && ::IsWindow(second));
    Type(second, L"two");
    Press(second, CTextEditPopup::IDC_TEXT_OK);
    Type(first, L"one");
    Press(first, CTextEditPopup::IDC_TEXT_OK);
    EXPECT_STREQ(L"one", firstLabel->GetText());
    EXPECT_STREQ(L"two", label->GetText());
}

// The move tool never moves a label; delete-one takes its anchor, so it is
// neither drawn nor hit again, and its late editor repaints nothing.
TEST_F(Label, MoveNeverDeleteOneHides) {
    HWND editor = Place(300, 300);
    Type(editor, L"fixed");
    Press(editor, CTextEditPopup::IDC_TEXT_OK);
    view.tool = kToolMove;
    view.Drag({305, 305}, {{400, 400}});
    EXPECT_EQ((std::vector<POINT>{{300, 300}}), Vertices(label));
    EXPECT_EQ(kHitBody, label->HitTest(305, 305));

    view.tool = kToolDeleteOne;
    view.Click(305, 305);
    EXPECT_EQ(2, layer.GetShapeCount());
    EXPECT_EQ(0, label->GetCoordCount());
    EXPECT_EQ(kHitNone, label->HitTest(305, 305));
    EXPECT_TRUE(Drawn().empty());
    CRect r;
    EXPECT_EQ(-1, label->GetInvalidRect(r));
    EXPECT_EQ(-1, label->GetTextRect(r));

    view.tool = kToolText;
    editor = Place(500, 500);
    label->Discard();
    view.ValidateRect(nullptr);
    Type(editor, L"late");
    Press(editor, CTextEditPopup::IDC_TEXT_OK);
    // Only where the editor was needs painting.
    if (::GetUpdateRect(view, &r, FALSE)) {
        CRect both;
        both.UnionRect(&r, CRect(0, 0, 230, 140));
        EXPECT_EQ(CRect(0, 0, 230, 140), both) << r;
    }
    EXPECT_TRUE(Drawn().empty());
}

}  // namespace
