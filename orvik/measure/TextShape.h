// The free text label (type 11): placed with the text tool, typed into its
// own editor, drawn and burned in like a value text, on one line.
#pragma once
#include "MeasureShape.h"
#include "TextEditPopup.h"

class CTextShape : public CMeasureShape {
public:
    static const int kMaxText = 255;

    CTextShape(HWND hwndView, CMeasureLayer* pLayer, MeasureCalibration* pCal, MeasureViewSettings* pView);
    ~CTextShape() override;

    void Draw(CDC* pDC) override;
    int OnLButtonDown(UINT nFlags, int x, int y, int tool) override;
    int OnLButtonUp(UINT nFlags, int x, int y, int tool) override;
    int OnMouseMove(UINT nFlags, int x, int y, int tool) override;
    void Invalidate() override;
    bool HitBody(int x, int y) override;
    // Removes the anchor only: the label stays in the list, draws nothing
    // and is never hit again.
    void Discard() override;
    std::vector<CString> GetValueTexts() const override;

    // Longer texts keep their first 255 characters.
    void SetText(LPCWSTR text);
    LPCWSTR GetText() const { return m_text; }
    void SetPosition(int x, int y);
    // Hit and repaint rectangles from the value font's metrics, in image
    // pixels; -1 without an anchor, else 0.
    int GetTextRect(CRect& rect) const;
    int GetInvalidRect(CRect& rect) const;
    // The editor's OK or Cancel: the text, then a repaint, under the
    // layer's lock (the frame thread may be drawing the label).
    void TakeEditorText(LPCWSTR text);
    HWND GetEditorWindow() const { return m_editor.GetSafeHwnd(); }

private:
    // Average and maximum character width and the height of the value font.
    void GetMetrics(int& avg, int& max, int& height) const;
    int TextRect(CRect& rect, bool repaint) const;

    wchar_t m_text[kMaxText + 1];
    CTextEditPopup m_editor;
};
