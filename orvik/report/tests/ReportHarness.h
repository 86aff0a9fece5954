// Shared pieces of the printing tests: the file printer, metafiles whose
// reference is that printer, their records read back, and small BMP files.
#pragma once
#include <AfxWindows.h>
#include <commdlg.h>
#include <string>
#include <vector>

// The test prefix's printer (tools/wine-env adds it).
extern const wchar_t kFilePrinter[];
HDC CreateFilePrinterDC();

struct EmfText {
    std::wstring text;
    POINT reference;
    RECT bounds;
};
struct EmfLine {
    POINT from, to;
};
// A StretchDIBits or a StretchBlt.
struct EmfStretch {
    int x, y, width, height, srcWidth, srcHeight;
};
struct EmfPen {
    int style, width;
    COLORREF colour;
};

// A metafile at the file printer's resolution (600 dpi), attached to a CDC.
class EmfRecorder {
public:
    explicit EmfRecorder(bool printing = true);
    ~EmfRecorder();
    CDC& dc() { return m_dc; }
    // Closes the metafile and reads its records (once).
    void Read();
    std::vector<EmfText> texts;
    std::vector<EmfLine> lines;
    std::vector<std::vector<POINT>> polygons;
    std::vector<RECT> rectangles;
    std::vector<EmfStretch> stretches;
    std::vector<EmfPen> pens;
    std::vector<COLORREF> textColours;
    std::vector<int> backgroundModes;
    std::vector<int> fontEscapements;   // of every font created
    std::vector<std::wstring> fontFaces;
private:
    HDC m_reference;
    CDC m_dc;
    HENHMETAFILE m_emf = nullptr;
};

// A BMP file's bytes: optional file header, info (40) or core (12) header,
// colour table, bits. Fields can be damaged after building.
struct BmpFile {
    int width = 3, height = 2, bits = 24;
    bool fileHeader = true;
    bool core = false;
    int colours = 0;   // colour-table entries written
    std::vector<unsigned char> Build(unsigned char fill = 0x40) const;
};
// Writes bytes to a file in the temporary folder; returns its narrow path.
std::string WriteTempFile(const char* name, const std::vector<unsigned char>& bytes);
