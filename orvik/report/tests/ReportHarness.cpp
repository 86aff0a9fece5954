#include "ReportHarness.h"
#include <gtest/gtest.h>
#include <cstring>

const wchar_t kFilePrinter[] = L"FilePS";

HDC CreateFilePrinterDC() { return CreateDCW(nullptr, kFilePrinter, nullptr, nullptr); }

namespace {

// Every metafile takes the printer's resolution: without the printer the
// figures would be the screen's, so nothing runs.
class FilePrinterPresent : public testing::Environment {
public:
    void SetUp() override
    {
        HDC dc = CreateFilePrinterDC();
        ASSERT_NE(nullptr, dc) << "the printer FilePS is missing from the Wine prefix (tools/wine-env adds it)";
        EXPECT_EQ(600, GetDeviceCaps(dc, LOGPIXELSY));
        DeleteDC(dc);
    }
};
testing::Environment* const g_printer = testing::AddGlobalTestEnvironment(new FilePrinterPresent);

} // namespace

EmfRecorder::EmfRecorder(bool printing) : m_reference(CreateFilePrinterDC())
{
    m_dc.Attach(CreateEnhMetaFileW(m_reference, nullptr, nullptr, nullptr));
    m_dc.m_bPrinting = printing;
}

EmfRecorder::~EmfRecorder()
{
    if (m_dc.m_hDC) DeleteEnhMetaFile(CloseEnhMetaFile(m_dc.Detach()));
    if (m_emf) DeleteEnhMetaFile(m_emf);
    if (m_reference) DeleteDC(m_reference);
}

void EmfRecorder::Read()
{
    if (m_emf || !m_dc.m_hDC) return;
    m_emf = CloseEnhMetaFile(m_dc.Detach());
    const UINT size = GetEnhMetaFileBits(m_emf, 0, nullptr);
    std::vector<BYTE> bits(size);
    GetEnhMetaFileBits(m_emf, size, bits.data());
    POINT at = {0, 0};
    for (UINT offset = 0; offset + sizeof(EMR) <= size;) {
        const EMR* r = reinterpret_cast<const EMR*>(&bits[offset]);
        if (r->nSize == 0) break;
        switch (r->iType) {
        case EMR_EXTTEXTOUTW: {
            const EMREXTTEXTOUTW* t = reinterpret_cast<const EMREXTTEXTOUTW*>(r);
            const wchar_t* s = reinterpret_cast<const wchar_t*>(&bits[offset + t->emrtext.offString]);
            texts.push_back({std::wstring(s, t->emrtext.nChars), {t->emrtext.ptlReference.x, t->emrtext.ptlReference.y},
                             {t->rclBounds.left, t->rclBounds.top, t->rclBounds.right, t->rclBounds.bottom}});
            break;
        }
        case EMR_MOVETOEX: {
            const EMRMOVETOEX* m = reinterpret_cast<const EMRMOVETOEX*>(r);
            at = {m->ptl.x, m->ptl.y};
            break;
        }
        case EMR_LINETO: {
            const EMRLINETO* l = reinterpret_cast<const EMRLINETO*>(r);
            lines.push_back({at, {l->ptl.x, l->ptl.y}});
            at = {l->ptl.x, l->ptl.y};
            break;
        }
        case EMR_POLYGON16: {
            const EMRPOLYGON16* p = reinterpret_cast<const EMRPOLYGON16*>(r);
            std::vector<POINT> pts;
            for (DWORD i = 0; i < p->cpts; ++i) pts.push_back({p->apts[i].x, p->apts[i].y});
            polygons.push_back(pts);
            break;
        }
        case EMR_POLYGON: {
            const EMRPOLYGON* p = reinterpret_cast<const EMRPOLYGON*>(r);
            std::vector<POINT> pts;
            for (DWORD i = 0; i < p->cptl; ++i) pts.push_back({p->aptl[i].x, p->aptl[i].y});
            polygons.push_back(pts);
            break;
        }
        case EMR_RECTANGLE: {
            const EMRRECTANGLE* q = reinterpret_cast<const EMRRECTANGLE*>(r);
            // Wine records the box with its right and bottom edges inclusive.
            rectangles.push_back({q->rclBox.left, q->rclBox.top, q->rclBox.right + 1, q->rclBox.bottom + 1});
            break;
        }
        case EMR_STRETCHDIBITS: {
            const EMRSTRETCHDIBITS* s = reinterpret_cast<const EMRSTRETCHDIBITS*>(r);
            stretches.push_back({s->xDest, s->yDest, s->cxDest, s->cyDest, s->cxSrc, s->cySrc});
            break;
        }
        case EMR_STRETCHBLT: {
            const EMRSTRETCHBLT* s = reinterpret_cast<const EMRSTRETCHBLT*>(r);
            stretches.push_back({s->xDest, s->yDest, s->cxDest, s->cyDest, s->cxSrc, s->cySrc});
            break;
        }
        case EMR_EXTCREATEFONTINDIRECTW: {
            const EMREXTCREATEFONTINDIRECTW* f = reinterpret_cast<const EMREXTCREATEFONTINDIRECTW*>(r);
            fontEscapements.push_back(int(f->elfw.elfLogFont.lfEscapement));
            fontFaces.push_back(f->elfw.elfLogFont.lfFaceName);
            break;
        }
        case EMR_SETBKMODE:
            backgroundModes.push_back(int(reinterpret_cast<const EMRSETBKMODE*>(r)->iMode));
            break;
        case EMR_CREATEPEN: {
            const EMRCREATEPEN* p = reinterpret_cast<const EMRCREATEPEN*>(r);
            pens.push_back({int(p->lopn.lopnStyle), int(p->lopn.lopnWidth.x), p->lopn.lopnColor});
            break;
        }
        case EMR_SETTEXTCOLOR:
            textColours.push_back(reinterpret_cast<const EMRSETTEXTCOLOR*>(r)->crColor);
            break;
        default:
            break;
        }
        offset += r->nSize;
    }
}

std::vector<unsigned char> BmpFile::Build(unsigned char fill) const
{
    std::vector<unsigned char> out;
    auto put = [&out](unsigned long v, int n) {
        for (int i = 0; i < n; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    const int absHeight = height < 0 ? -height : height;
    const int row = ((width * bits + 31) / 32) * 4;
    const int headerSize = core ? 12 : 40;
    const int entry = core ? 3 : 4;
    const int offBits = (fileHeader ? 14 : 0) + headerSize + colours * entry;
    if (fileHeader) {
        put(0x4D42, 2);
        put(offBits + row * absHeight, 4);
        put(0, 4);
        put(offBits, 4);
    }
    if (core) {
        put(12, 4); put(width, 2); put(height, 2); put(1, 2); put(bits, 2);
    } else {
        put(40, 4); put(width, 4); put(static_cast<unsigned long>(height), 4); put(1, 2); put(bits, 2);
        put(0, 4); put(0, 4); put(0, 4); put(0, 4); put(colours, 4); put(0, 4);
    }
    for (int i = 0; i < colours; ++i) {
        out.push_back(static_cast<unsigned char>(i)); out.push_back(static_cast<unsigned char>(255 - i));
        out.push_back(static_cast<unsigned char>(i / 2));
        if (!core) out.push_back(0x77);   // a reserved byte the reader must not keep for core files
    }
    out.insert(out.end(), size_t(row) * absHeight, fill);
    return out;
}

std::string WriteTempFile(const char* name, const std::vector<unsigned char>& bytes)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + name;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return path;
}
