// CPrintRegion: a shaded rectangle of a page with its own inner origin,
// title band and border; the page printer's region forms draw into it.
#pragma once

class CPagePrinter;

class CPrintRegion {
public:
    CPrintRegion() = default;
    virtual ~CPrintRegion() = default;
    // 0 for a rectangle off the page; else limits it to the printer's frame,
    // fills it with the style's shade and returns 1.
    virtual int Create(CPagePrinter* printer, int top, int left, int right, int bottom, int style);
    // A full-width band at the top; the content starts below it.
    virtual void PrintTitle(const char* text, int size, int flags, int shade);
    virtual void DrawBorder();

    int m_innerTop = 0;
    int m_innerLeft = 0;
    int m_top = 0;
    int m_left = 0;
    int m_right = 0;
    int m_bottom = 0;
    int m_style = 0;    // shade bits; > 0 transparent text background, > 2 white text
    CPagePrinter* m_printer = nullptr;
};
