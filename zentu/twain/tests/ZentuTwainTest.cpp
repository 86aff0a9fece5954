// The Zentu TWAIN source as a TWAIN application sees it: through Wine's own
// Source Manager, against the simulated camera driver. Pictures are checked
// against what the pipeline makes of the driver's scene; the source dialog,
// its settings sheet and its message boxes are driven by messages.
#include "TwainApp.h"
#include "BoxCatcher.h"
#include "ZentuGraph.h"
#include "ZentuRes.h"
#include "ZentuSimProtocol.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

const int kCapture = 1134, kSettings = 1135, kRgbBgr = 1136, kPreview = 1137, kSize = 1132;

// The source's settings as the tests store them, seen through IZentu so that
// the capture filter's reference pipeline can take them.
class StoredSettings : public IZentu {
public:
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override
    {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetSize(int* v) override { *v = int(s.sizeIndex); return S_OK; }
    STDMETHODIMP SetSize(int) override { return E_NOTIMPL; }
    STDMETHODIMP GetWhiteBalance(int* q, BYTE* r, BYTE* g, BYTE* b) override
    {
        *q = 0, *r = BYTE(s.gainR), *g = BYTE(s.gainG), *b = BYTE(s.gainB);
        return S_OK;
    }
    STDMETHODIMP SetWhiteBalance(int, BYTE, BYTE, BYTE) override { return E_NOTIMPL; }
    STDMETHODIMP GetExposure(int* a, BYTE* t, WORD* e, WORD* g) override
    {
        *a = int(s.autoExposure), *t = BYTE(s.aeTarget), *e = WORD(s.exposureTime), *g = WORD(s.gain);
        return S_OK;
    }
    STDMETHODIMP SetExposure(int, BYTE, WORD, WORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetSpeed(BYTE* v) override { *v = BYTE(s.speed); return S_OK; }
    STDMETHODIMP SetSpeed(BYTE) override { return E_NOTIMPL; }
    STDMETHODIMP GetGamma(BYTE* v) override { *v = BYTE(s.gamma); return S_OK; }
    STDMETHODIMP SetGamma(BYTE) override { return E_NOTIMPL; }
    STDMETHODIMP GetContrast(BYTE* v) override { *v = BYTE(s.contrast); return S_OK; }
    STDMETHODIMP SetContrast(BYTE) override { return E_NOTIMPL; }
    STDMETHODIMP GetSaturation(int* e, BYTE* v) override
    {
        *e = int(s.enableSaturation), *v = BYTE(s.saturation);
        return S_OK;
    }
    STDMETHODIMP SetSaturation(int, BYTE) override { return E_NOTIMPL; }
    STDMETHODIMP GetWhiteBlack(int* v) override { *v = int(s.mono); return S_OK; }
    STDMETHODIMP SetWhiteBlack(int) override { return E_NOTIMPL; }
    STDMETHODIMP GetVFlip(int* v) override { *v = int(s.vFlip); return S_OK; }
    STDMETHODIMP SetVFlip(int) override { return E_NOTIMPL; }
    STDMETHODIMP SetHZ(int) override { return E_NOTIMPL; }
    STDMETHODIMP GetHZ(int* v) override { *v = int(s.hz); return S_OK; }
    STDMETHODIMP SaveParaTeam() override { return E_NOTIMPL; }
    STDMETHODIMP SetParaTeam(BYTE) override { return E_NOTIMPL; }
    STDMETHODIMP GetParaTeam(BYTE* v) override { *v = BYTE(s.paraTeam); return S_OK; }
    STDMETHODIMP GetHFlip(int* v) override { *v = int(s.hFlip); return S_OK; }
    STDMETHODIMP SetHFlip(int) override { return E_NOTIMPL; }
    STDMETHODIMP GetExposureUnit(int* v) override { *v = 0; return S_OK; }

    ZentuSettings s;
};

void PutDword(const char* name, DWORD value)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quillon\\Zentu\\dshow", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr), ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

DWORD GetDword(const char* name)
{
    DWORD value = 0xFFFFFFFF, size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, "Software\\Quillon\\Zentu\\dshow", name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

// Rows reversed and red and blue exchanged: a DIB's pixels as top-down RGB.
std::vector<BYTE> TopDownRgb(const std::vector<BYTE>& dib, int w, int h)
{
    std::vector<BYTE> out(dib.size());
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const BYTE* s = &dib[(size_t(h - 1 - y) * w + x) * 3];
            BYTE* d = &out[(size_t(y) * w + x) * 3];
            d[0] = s[2], d[1] = s[1], d[2] = s[0];
        }
    return out;
}

// Item sizes by TWAIN's own definitions of the types.
TW_UINT32 ItemBytes(TW_UINT16 type)
{
    switch (type) {
    case TWTY_FIX32: return 4;
    case TWTY_FRAME: return 16;
    case TWTY_STR32: return 34;
    default: return 2;
    }
}

std::string OutputFolder()
{
    const char* v = std::getenv("TWAIN_OUTPUT");
    if (!v || !*v)
        return std::string();
    std::string path = std::string("Z:") + v;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    CreateDirectoryA(path.c_str(), nullptr);
    return path + "\\";
}

class ZentuTwain : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.IsOpen()) << "the simulated Zentu driver is not running";
        ASSERT_TRUE(sim.Reset());
        ClearZentuRegistry();
        // Manual exposure at 640 x 480: every frame is the same picture.
        ref.s.sizeIndex = 2;
        ref.s.autoExposure = 0;
        ref.s.exposureTime = 300;
        ref.s.gain = 20;
        PutDword("eZentuSize", ref.s.sizeIndex);
        PutDword("AutoExposure", 0);
        PutDword("ExposureTime", ref.s.exposureTime);
        PutDword("Gain", ref.s.gain);
        ASSERT_TRUE(app.OpenManager()) << "no twain_32.dll";
        ASSERT_TRUE(app.FindSource()) << "the manager lists no Zentu source (installed as sane.ds?)";
    }
    void TearDown() override { ClearZentuRegistry(); }

    void OpenEnabled(bool showUi)
    {
        ASSERT_EQ(app.OpenSource(), TWRC_SUCCESS);
        ASSERT_EQ(app.Enable(showUi), TWRC_SUCCESS);
    }
    // Enabled without the dialog: the source offers the first frame itself.
    void Ready()
    {
        OpenEnabled(false);
        ASSERT_TRUE(app.WaitNotice(MSG_XFERREADY)) << "no MSG_XFERREADY";
    }
    std::vector<BYTE> NativePixels(int* w, int* h)
    {
        TW_HANDLE dib = nullptr;
        EXPECT_EQ(app.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib), TWRC_XFERDONE);
        std::vector<BYTE> pixels;
        if (!dib)
            return pixels;
        const BITMAPINFOHEADER* bih = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
        EXPECT_EQ(bih->biSize, 40u);
        EXPECT_EQ(bih->biPlanes, 1);
        EXPECT_EQ(bih->biBitCount, 24);
        EXPECT_EQ(bih->biCompression, DWORD(BI_RGB));
        EXPECT_GT(bih->biHeight, 0);  // bottom-up, as the preview paints it
        *w = bih->biWidth;
        *h = bih->biHeight;
        EXPECT_EQ(bih->biSizeImage, DWORD(*w * 3 * *h));
        EXPECT_EQ(GlobalSize(dib), 40u + bih->biSizeImage);
        const BYTE* bits = reinterpret_cast<const BYTE*>(bih + 1);
        pixels.assign(bits, bits + bih->biSizeImage);
        GlobalUnlock(dib);
        GlobalFree(dib);
        return pixels;
    }
    void EndTransfer()
    {
        TW_PENDINGXFERS pending = {99, 0};
        EXPECT_EQ(app.Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
        EXPECT_EQ(pending.Count, 0);
    }
    int Mismatches(const std::vector<BYTE>& dib) { return FrameMismatches(&ref, 2, sim, dib); }

    CZentuSimControl sim;
    StoredSettings ref;
    TwainApp app;
};

// ---------------------------------------------------------------------------

TEST_F(ZentuTwain, ManagerListsTheSourceWithItsIdentity)
{
    const TW_IDENTITY& id = app.source;
    EXPECT_STREQ(id.Manufacturer, "Quillon");
    EXPECT_STREQ(id.ProductFamily, "Zentu");
    EXPECT_STREQ(id.Version.Info, "Zentu");
    EXPECT_EQ(id.Version.MajorNum, 1);
    EXPECT_EQ(id.Version.MinorNum, 0);
    EXPECT_EQ(id.Version.Language, 86);
    EXPECT_EQ(id.Version.Country, 86);
    EXPECT_EQ(id.ProtocolMajor, 1);
    EXPECT_EQ(id.ProtocolMinor, 8);
    EXPECT_EQ(id.SupportedGroups, DG_CONTROL | DG_IMAGE);
    ASSERT_EQ(app.OpenSource(), TWRC_SUCCESS);
    EXPECT_EQ(app.CloseSource(), TWRC_SUCCESS);
}

struct CapRow {
    TW_UINT16 cap, container, itemType;
    TW_UINT32 count, currentIndex, defaultIndex;
    TW_UINT32 ops;
};

TEST_F(ZentuTwain, EveryCapabilityAnswersAsTheTableStates)
{
    ASSERT_EQ(app.OpenSource(), TWRC_SUCCESS);
    const TW_UINT32 r13 = 13, r31 = 31;
    const CapRow rows[] = {
        {CAP_SUPPORTEDCAPS, TWON_ARRAY, TWTY_UINT16, 35, 0, 0, r13},
        {ICAP_PIXELFLAVOR, TWON_ENUMERATION, TWTY_UINT16, 2, 0, 0, r31},
        {ICAP_XFERMECH, TWON_ENUMERATION, TWTY_UINT16, 3, 0, 0, r31},
        {ICAP_PLANARCHUNKY, TWON_ENUMERATION, TWTY_UINT16, 1, 0, 0, r13},
        {ICAP_COMPRESSION, TWON_ENUMERATION, TWTY_UINT16, 1, 0, 0, r31},
        {ICAP_MINIMUMWIDTH, TWON_ONEVALUE, TWTY_FIX32, 1, 0, 0, r13},
        {ICAP_MINIMUMHEIGHT, TWON_ONEVALUE, TWTY_FIX32, 1, 0, 0, r13},
        {ICAP_PHYSICALWIDTH, TWON_ONEVALUE, TWTY_FIX32, 1, 0, 0, r13},
        {ICAP_PHYSICALHEIGHT, TWON_ONEVALUE, TWTY_FIX32, 1, 0, 0, r13},
        {ICAP_UNITS, TWON_ENUMERATION, TWTY_UINT16, 3, 0, 0, r31},
        {CAP_DEVICEONLINE, TWON_ONEVALUE, TWTY_BOOL, 1, 0, 0, r13},
        {CAP_AUTOFEED, TWON_ONEVALUE, TWTY_BOOL, 1, 0, 0, r13},
        {CAP_FEEDERLOADED, TWON_ONEVALUE, TWTY_BOOL, 1, 0, 0, r13},
        {ICAP_AUTOBRIGHT, TWON_ONEVALUE, TWTY_BOOL, 1, 0, 0, r31},
        {ICAP_BRIGHTNESS, TWON_RANGE, TWTY_FIX32, 1, 0, 0, r31},
        {ICAP_CONTRAST, TWON_RANGE, TWTY_FIX32, 1, 0, 0, r31},
        {ICAP_HIGHLIGHT, TWON_RANGE, TWTY_FIX32, 1, 0, 0, r31},
        {ICAP_ORIENTATION, TWON_ENUMERATION, TWTY_UINT16, 1, 0, 0, r31},
        {ICAP_SHADOW, TWON_RANGE, TWTY_FIX32, 1, 0, 0, r31},
        {ICAP_BITDEPTH, TWON_ENUMERATION, TWTY_UINT16, 1, 0, 0, r31},
        {ICAP_PIXELTYPE, TWON_ENUMERATION, TWTY_UINT16, 2, 0, 0, r31},
        {ICAP_BITDEPTHREDUCTION, TWON_ENUMERATION, TWTY_UINT16, 3, 0, 0, r31},
        {ICAP_BITORDER, TWON_ENUMERATION, TWTY_UINT16, 2, 0, 0, r13},
        {ICAP_THRESHOLD, TWON_RANGE, TWTY_FIX32, 1, 0, 0, r31},
        {ICAP_HALFTONES, TWON_ENUMERATION, TWTY_STR32, 2, 0, 0, r31},
        {ICAP_FRAMES, TWON_ONEVALUE, TWTY_FRAME, 1, 0, 0, r31},
        {ICAP_MAXFRAMES, TWON_ONEVALUE, TWTY_UINT16, 1, 0, 0, r13},
        {ICAP_XNATIVERESOLUTION, TWON_ONEVALUE, TWTY_FIX32, 1, 0, 0, r13},
        {ICAP_YNATIVERESOLUTION, TWON_ONEVALUE, TWTY_FIX32, 1, 0, 0, r13},
        {CAP_XFERCOUNT, TWON_ONEVALUE, TWTY_INT16, 1, 0, 0, r31},
        {ICAP_IMAGEFILEFORMAT, TWON_ENUMERATION, TWTY_UINT16, 1, 0, 0, r31},
        {ICAP_UNDEFINEDIMAGESIZE, TWON_ONEVALUE, TWTY_BOOL, 1, 0, 0, r31},
        {CAP_INDICATORS, TWON_ONEVALUE, TWTY_BOOL, 1, 0, 0, r31},
        {CAP_UICONTROLLABLE, TWON_ONEVALUE, TWTY_BOOL, 1, 0, 0, r13},
        {ICAP_SUPPORTEDSIZES, TWON_ENUMERATION, TWTY_UINT16, 1, 0, 0, r31},
    };
    std::vector<TW_UINT16> listed;
    for (const CapRow& r : rows) {
        SCOPED_TRACE(r.cap);
        TW_CAPABILITY cap = {r.cap, TWON_DONTCARE16, nullptr};
        ASSERT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_SUCCESS);
        EXPECT_EQ(app.Status(), TWCC_SUCCESS);  // a success leaves no code behind
        EXPECT_EQ(cap.ConType, r.container);
        CapContainer c(cap);
        ASSERT_NE(c.As<void>(), nullptr);
        EXPECT_EQ(*c.As<TW_UINT16>(), r.itemType);
        if (r.container == TWON_ENUMERATION) {
            const TW_ENUMERATION* e = c.As<TW_ENUMERATION>();
            EXPECT_EQ(e->NumItems, r.count);
            EXPECT_EQ(e->CurrentIndex, r.currentIndex);
            EXPECT_EQ(e->DefaultIndex, r.defaultIndex);
            EXPECT_GE(c.Size(), 14 + r.count * ItemBytes(r.itemType));
        } else if (r.container == TWON_ARRAY) {
            const TW_ARRAY* a = c.As<TW_ARRAY>();
            ASSERT_EQ(a->NumItems, r.count);
            const TW_UINT16* items = reinterpret_cast<const TW_UINT16*>(a->ItemList);
            listed.assign(items, items + a->NumItems);
        } else if (r.container == TWON_ONEVALUE) {
            // Room for the whole item, a frame's 16 bytes too.
            EXPECT_GE(c.Size(), 2 + ItemBytes(r.itemType));
        } else {
            EXPECT_GE(c.Size(), sizeof(TW_RANGE));
        }
        TW_CAPABILITY query = {r.cap, TWON_DONTCARE16, nullptr};
        ASSERT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_QUERYSUPPORT, &query), TWRC_SUCCESS);
        EXPECT_EQ(query.ConType, TWON_ONEVALUE);
        CapContainer q(query);
        EXPECT_EQ(q.As<TW_ONEVALUE>()->Item, r.ops);
    }
    // The supported list names exactly the capabilities that answer, in its own order.
    const std::vector<TW_UINT16> order = {
        CAP_SUPPORTEDCAPS, ICAP_PIXELFLAVOR, ICAP_XFERMECH, ICAP_PLANARCHUNKY, ICAP_COMPRESSION,
        ICAP_PHYSICALWIDTH, ICAP_PHYSICALHEIGHT, ICAP_MINIMUMHEIGHT, ICAP_MINIMUMWIDTH, ICAP_UNITS,
        CAP_DEVICEONLINE, CAP_AUTOFEED, CAP_FEEDERLOADED, ICAP_AUTOBRIGHT, ICAP_BRIGHTNESS, ICAP_CONTRAST,
        ICAP_HIGHLIGHT, ICAP_ORIENTATION, ICAP_SHADOW, ICAP_BITDEPTH, ICAP_PIXELTYPE, ICAP_BITDEPTHREDUCTION,
        ICAP_BITORDER, ICAP_HALFTONES, ICAP_THRESHOLD, ICAP_FRAMES, ICAP_MAXFRAMES, ICAP_XNATIVERESOLUTION,
        ICAP_YNATIVERESOLUTION, CAP_XFERCOUNT, ICAP_IMAGEFILEFORMAT, ICAP_UNDEFINEDIMAGESIZE, CAP_INDICATORS,
        CAP_UICONTROLLABLE, ICAP_SUPPORTEDSIZES};
    EXPECT_EQ(listed, order);
    EXPECT_EQ(app.CloseSource(), TWRC_SUCCESS);
}

// A one-value container of the application's, as MSG_SET takes it.
HGLOBAL OneValue(TW_UINT16 itemType, const void* item, size_t bytes, SIZE_T size = 0)
{
    HGLOBAL h = GlobalAlloc(GHND, size ? size : 2 + (bytes > 4 ? bytes : 4));
    BYTE* p = static_cast<BYTE*>(GlobalLock(h));
    std::memcpy(p, &itemType, 2);
    if (size == 0 || size >= 2 + bytes)
        std::memcpy(p + 2, item, bytes);
    GlobalUnlock(h);
    return h;
}

TW_FIX32 Fix(TW_INT16 whole, TW_UINT16 frac = 0) { return TW_FIX32{whole, frac}; }

TEST_F(ZentuTwain, CapabilitySetResetAndTheirFailures)
{
    ASSERT_EQ(app.OpenSource(), TWRC_SUCCESS);
    struct SetRow {
        TW_UINT16 cap, itemType;
        TW_UINT32 value;  // a 16-bit item, or a FIX32's whole part
        TW_UINT16 rc, condition;
    } rows[] = {
        {ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY, TWRC_SUCCESS, TWCC_SUCCESS},
        {ICAP_XFERMECH, TWTY_UINT16, 3, TWRC_FAILURE, TWCC_BADVALUE},
        {ICAP_XFERMECH, TWTY_UINT32, TWSX_FILE, TWRC_FAILURE, TWCC_BADVALUE},  // the wrong item type
        {ICAP_BRIGHTNESS, TWTY_FIX32, 10, TWRC_FAILURE, TWCC_BADVALUE},
        {ICAP_BRIGHTNESS, TWTY_FIX32, 1000, TWRC_SUCCESS, TWCC_SUCCESS},
        {ICAP_BRIGHTNESS, TWTY_FIX32, TW_UINT32(-1000), TWRC_SUCCESS, TWCC_SUCCESS},
        {ICAP_BRIGHTNESS, TWTY_FIX32, 0, TWRC_FAILURE, TWCC_BADVALUE},  // only minimum, maximum and step
        {CAP_XFERCOUNT, TWTY_INT16, 0xFFFF, TWRC_SUCCESS, TWCC_SUCCESS},
        {CAP_XFERCOUNT, TWTY_INT16, 26, TWRC_FAILURE, TWCC_BADVALUE},
        {ICAP_BITDEPTH, TWTY_UINT16, 24, TWRC_SUCCESS, TWCC_SUCCESS},
        {CAP_DEVICEONLINE, TWTY_BOOL, 0, TWRC_FAILURE, TWCC_CAPBADOPERATION},
        {ICAP_PLANARCHUNKY, TWTY_UINT16, 0, TWRC_FAILURE, TWCC_CAPBADOPERATION},
        {0x7777, TWTY_UINT16, 0, TWRC_FAILURE, TWCC_CAPUNSUPPORTED},
        {0, TWTY_INT8, 0, TWRC_FAILURE, TWCC_CAPUNSUPPORTED},  // no empty record answers
    };
    for (const SetRow& r : rows) {
        SCOPED_TRACE(std::to_string(r.cap) + " := " + std::to_string(r.value));
        TW_CAPABILITY cap = {r.cap, TWON_ONEVALUE, nullptr};
        if (r.itemType == TWTY_FIX32) {
            const TW_FIX32 f = Fix(TW_INT16(r.value));
            cap.hContainer = OneValue(r.itemType, &f, 4);
        } else {
            cap.hContainer = OneValue(r.itemType, &r.value, 4);
        }
        EXPECT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap), r.rc);
        EXPECT_EQ(app.Status(), r.condition);
        EXPECT_EQ(app.Status(), TWCC_SUCCESS);  // reported once
        GlobalFree(cap.hContainer);
    }

    // A set value is current; the enumeration finds it, and a reset brings
    // the default back and returns it.
    TW_CAPABILITY cap = {ICAP_XFERMECH, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_SUCCESS);
    {
        CapContainer c(cap);
        EXPECT_EQ(c.As<TW_ENUMERATION>()->CurrentIndex, 2u);
        EXPECT_EQ(c.As<TW_ENUMERATION>()->DefaultIndex, 0u);
    }
    cap.hContainer = nullptr;
    ASSERT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_RESET, &cap), TWRC_SUCCESS);
    {
        CapContainer c(cap);
        EXPECT_EQ(cap.ConType, TWON_ONEVALUE);
        EXPECT_EQ(c.As<TW_ONEVALUE>()->Item, TW_UINT32(TWSX_NATIVE));
    }
    cap.hContainer = nullptr;
    ASSERT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT, &cap), TWRC_SUCCESS);
    {
        CapContainer c(cap);
        EXPECT_EQ(c.As<TW_ONEVALUE>()->Item, TW_UINT32(TWSX_NATIVE));
    }

    // The brightness range after the set of -1000: FIX32 values converted,
    // -1000 staying -1000 exactly.
    cap = {ICAP_BRIGHTNESS, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_SUCCESS);
    {
        CapContainer c(cap);
        // Each value a TW_FIX32 in its 32 bits: Whole first, then Frac.
        const TW_RANGE* r = c.As<TW_RANGE>();
        auto fix = [](TW_UINT32 v) {
            TW_FIX32 f;
            std::memcpy(&f, &v, 4);
            return std::to_string(f.Whole) + "+" + std::to_string(f.Frac);
        };
        EXPECT_EQ(fix(r->MinValue), "-1000+0");
        EXPECT_EQ(fix(r->MaxValue), "1000+0");
        EXPECT_EQ(fix(r->StepSize), "1000+0");
        EXPECT_EQ(fix(r->DefaultValue), "0+0");
        EXPECT_EQ(fix(r->CurrentValue), "-1000+0");
    }
    // 8.5 inches: Whole 8, Frac 32768.
    cap = {ICAP_PHYSICALWIDTH, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GETDEFAULT, &cap), TWRC_SUCCESS);
    {
        CapContainer c(cap);
        const TW_FIX32* f = reinterpret_cast<const TW_FIX32*>(c.As<BYTE>() + 2);
        EXPECT_EQ(f->Whole, 8);
        EXPECT_EQ(f->Frac, 32768);
    }
    // The frame: a whole TW_FRAME in its one-value container, and settable to itself.
    cap = {ICAP_FRAMES, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_SUCCESS);
    TW_FRAME frame;
    {
        CapContainer c(cap);
        std::memcpy(&frame, c.As<BYTE>() + 2, sizeof frame);
        EXPECT_EQ(frame.Left.Whole, 0);
        EXPECT_EQ(frame.Right.Whole, 8);
        EXPECT_EQ(frame.Right.Frac, 32768);
        EXPECT_EQ(frame.Bottom.Whole, 11);
    }
    cap.hContainer = OneValue(TWTY_FRAME, &frame, sizeof frame);
    EXPECT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap), TWRC_SUCCESS);
    GlobalFree(cap.hContainer);
    // A container too short for its item, and none at all, are refused unread.
    cap.hContainer = OneValue(TWTY_FRAME, &frame, sizeof frame, 8);
    EXPECT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADVALUE);
    GlobalFree(cap.hContainer);
    cap.hContainer = nullptr;
    EXPECT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADVALUE);

    // ICAP_BITDEPTH: the one value 24. The half-tones: two names.
    cap = {ICAP_BITDEPTH, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_SUCCESS);
    {
        CapContainer c(cap);
        EXPECT_EQ(c.As<TW_ENUMERATION>()->NumItems, 1u);
        EXPECT_EQ(*reinterpret_cast<const TW_UINT16*>(c.As<TW_ENUMERATION>()->ItemList), 24);
    }
    cap = {ICAP_HALFTONES, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_SUCCESS);
    {
        CapContainer c(cap);
        const char* names = reinterpret_cast<const char*>(c.As<TW_ENUMERATION>()->ItemList);
        EXPECT_STREQ(names, "FLOYD/STEINBURG");
        EXPECT_STREQ(names + 34, "ORDERED");
    }
    // A message capabilities do not take.
    cap = {ICAP_UNITS, TWON_DONTCARE16, nullptr};
    EXPECT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GETFIRST, &cap), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_CAPUNSUPPORTED);
    EXPECT_EQ(app.CloseSource(), TWRC_SUCCESS);
}

TEST_F(ZentuTwain, ApplicationsOfProtocolOnePointFiveHearBadCap)
{
    const struct { TW_UINT16 major, minor, condition; } rows[] = {
        {1, 5, TWCC_BADCAP}, {1, 4, TWCC_BADCAP}, {1, 6, TWCC_CAPUNSUPPORTED}, {2, 0, TWCC_CAPUNSUPPORTED}};
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.major) + "." + std::to_string(r.minor));
        app.app.ProtocolMajor = r.major;
        app.app.ProtocolMinor = r.minor;
        ASSERT_EQ(app.OpenSource(), TWRC_SUCCESS);
        TW_CAPABILITY cap = {0x7777, TWON_DONTCARE16, nullptr};
        EXPECT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_FAILURE);
        EXPECT_EQ(app.Status(), r.condition);
        EXPECT_EQ(app.CloseSource(), TWRC_SUCCESS);
    }
}

// ---------------------------------------------------------------------------
// The state machine, as one walk: each row starts in the state the previous
// one left.

enum Probe { S3 = 3, S4, S5, S6, S7 };

// The state as an application can tell it, by triplets that change nothing.
// Their condition codes are read away again.
int StateOf(TwainApp& app)
{
    TW_PENDINGXFERS pending = {};
    if (app.Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, &pending) != TWRC_SUCCESS)
        return S3;
    int state;
    TW_SETUPMEMXFER setup = {};
    TW_IMAGEINFO info = {};
    if (app.Source(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) != TWRC_SUCCESS)
        state = S7;
    else if (app.Source(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) == TWRC_SUCCESS)
        state = S6;
    else
        state = app.SourceDialog() ? S5 : S4;
    app.Status();
    return state;
}

TEST_F(ZentuTwain, StateMachine)
{
    enum Action { Call, Open, Close, EnableNoUi, EnableUi, Disable, AwaitReady, PressCapture, Native };
    struct Row {
        int from;
        Action action;
        TW_UINT32 dg;
        TW_UINT16 dat, msg, rc, condition;
        int to;
    };
    const Row rows[] = {
        {S3, Open, 0, 0, 0, TWRC_SUCCESS, TWCC_SUCCESS, S4},
        {S4, Call, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, TWRC_FAILURE, TWCC_SEQERROR, S4},
        {S4, Call, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, TWRC_FAILURE, TWCC_SEQERROR, S4},
        {S4, Disable, 0, 0, 0, TWRC_FAILURE, TWCC_SEQERROR, S4},
        {S4, Call, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, TWRC_FAILURE, TWCC_SEQERROR, S4},
        {S4, Call, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, TWRC_FAILURE, TWCC_BADPROTOCOL, S4},
        {S4, Call, DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, TWRC_FAILURE, TWCC_SEQERROR, S4},
        {S4, Call, DG_IMAGE, 0x0199, MSG_GET, TWRC_FAILURE, TWCC_BADPROTOCOL, S4},
        {S4, Call, DG_CONTROL, DAT_STATUS, MSG_SET, TWRC_FAILURE, TWCC_BADPROTOCOL, S4},
        {S4, Call, DG_CONTROL, DAT_IMAGEINFO, MSG_GET, TWRC_FAILURE, TWCC_BADPROTOCOL, S4},
        {S4, Call, DG_IMAGE, DAT_PALETTE8, MSG_GET, TWRC_SUCCESS, TWCC_SUCCESS, S4},
        {S4, Call, DG_CONTROL, DAT_XFERGROUP, MSG_GET, TWRC_SUCCESS, TWCC_SUCCESS, S4},
        {S4, EnableNoUi, 0, 0, 0, TWRC_SUCCESS, TWCC_SUCCESS, S5},
        {S5, EnableNoUi, 0, 0, 0, TWRC_FAILURE, TWCC_SEQERROR, S5},
        {S5, Call, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, TWRC_FAILURE, TWCC_SEQERROR, S5},
        {S5, Call, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, TWRC_FAILURE, TWCC_SEQERROR, S5},
        {S5, Call, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, TWRC_FAILURE, TWCC_SEQERROR, S5},
        {S5, AwaitReady, 0, 0, 0, TWRC_SUCCESS, TWCC_SUCCESS, S6},
        {S6, Call, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, TWRC_FAILURE, TWCC_SEQERROR, S6},
        {S6, Open, 0, 0, 0, TWRC_FAILURE, TWCC_OPERATIONERROR, S6},  // the manager's word for it
        {S6, Native, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, TWRC_XFERDONE, TWCC_SUCCESS, S7},
        {S7, Native, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, TWRC_FAILURE, TWCC_SEQERROR, S7},
        {S7, Call, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, TWRC_FAILURE, TWCC_SEQERROR, S7},
        {S7, Call, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, TWRC_FAILURE, TWCC_BADPROTOCOL, S7},
        {S7, Call, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, TWRC_SUCCESS, TWCC_SUCCESS, S5},
        {S5, PressCapture, 0, 0, 0, TWRC_SUCCESS, TWCC_SUCCESS, S6},
        {S6, Call, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, TWRC_SUCCESS, TWCC_SUCCESS, S5},
        {S5, Disable, 0, 0, 0, TWRC_SUCCESS, TWCC_SUCCESS, S4},
        // Enabled again after a disable: the session outlived its dialog.
        {S4, EnableUi, 0, 0, 0, TWRC_SUCCESS, TWCC_SUCCESS, S5},
        {S5, PressCapture, 0, 0, 0, TWRC_SUCCESS, TWCC_SUCCESS, S6},
        {S6, Native, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, TWRC_XFERDONE, TWCC_SUCCESS, S7},
        {S7, Close, 0, 0, 0, TWRC_SUCCESS, TWCC_SUCCESS, S3},
        {S3, Open, 0, 0, 0, TWRC_SUCCESS, TWCC_SUCCESS, S4},
        {S4, Close, 0, 0, 0, TWRC_SUCCESS, TWCC_SUCCESS, S3},
    };
    int i = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE("row " + std::to_string(i++));
        ASSERT_EQ(StateOf(app), r.from);
        TW_UINT16 rc = 0xFFFF;
        union {
            TW_PENDINGXFERS pending;
            TW_IMAGEMEMXFER mem;
            TW_PALETTE8 palette;
            TW_UINT32 group;
            TW_HANDLE dib;
            TW_STATUS status;
        } data = {};
        switch (r.action) {
        case Call: rc = app.Source(r.dg, r.dat, r.msg, &data); break;
        case Native:
            rc = app.Source(r.dg, r.dat, r.msg, &data.dib);
            if (data.dib)
                GlobalFree(data.dib);
            break;
        case Open: {
            // A second opening is the manager's to report; the source's code
            // is read below only for a first one.
            TW_IDENTITY again = app.source;
            rc = app.sourceOpen ? app.Manager(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &again) : app.OpenSource();
            if (app.sourceOpen && rc != TWRC_SUCCESS) {
                TW_STATUS dsm = {};
                app.Manager(DG_CONTROL, DAT_STATUS, MSG_GET, &dsm);
                EXPECT_EQ(dsm.ConditionCode, r.condition);
                EXPECT_EQ(app.Status(), TWCC_MAXCONNECTIONS);  // what the source told the manager
                EXPECT_EQ(rc, r.rc);
                EXPECT_EQ(StateOf(app), r.to);
                continue;
            }
            break;
        }
        case Close: rc = app.CloseSource(); break;
        case EnableNoUi: rc = app.Enable(false); break;
        case EnableUi: rc = app.Enable(true); break;
        case Disable: rc = app.Disable(); break;
        case AwaitReady: rc = app.WaitNotice(MSG_XFERREADY) ? TWRC_SUCCESS : TWRC_FAILURE; break;
        case PressCapture: {
            HWND dialog = app.SourceDialog();
            ASSERT_NE(dialog, nullptr);
            ASSERT_TRUE(app.PumpUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, kCapture)) != FALSE; }));
            SendMessageA(GetDlgItem(dialog, kCapture), BM_CLICK, 0, 0);
            rc = app.WaitNotice(MSG_XFERREADY) ? TWRC_SUCCESS : TWRC_FAILURE;
            break;
        }
        }
        EXPECT_EQ(rc, r.rc);
        if (r.to != S3) {
            EXPECT_EQ(app.Status(), r.condition);
        }
        if (r.action == Call && r.dat == DAT_PENDINGXFERS && rc == TWRC_SUCCESS) {
            EXPECT_EQ(data.pending.Count, 0);
        }
        if (r.action == Call && r.dat == DAT_XFERGROUP) {
            EXPECT_EQ(data.group, DG_IMAGE);
        }
        ASSERT_EQ(StateOf(app), r.to);
    }
}

// ---------------------------------------------------------------------------
// Transfers

TEST_F(ZentuTwain, NativeTransferIsTheUprightFrameInItsOwnColours)
{
    Ready();
    TW_IMAGEINFO info = {};
    ASSERT_EQ(app.Source(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.ImageWidth, 640);
    EXPECT_EQ(info.ImageLength, 480);
    EXPECT_EQ(info.SamplesPerPixel, 3);
    EXPECT_EQ(info.BitsPerPixel, 24);
    EXPECT_EQ(info.PixelType, TWPT_RGB);
    const TW_INT16 bits[8] = {8, 8, 8, 8, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(info.BitsPerSample, bits, sizeof bits), 0);
    TW_IMAGELAYOUT layout = {};
    ASSERT_EQ(app.Source(DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout), TWRC_SUCCESS);
    EXPECT_EQ(layout.Frame.Right.Whole, 640);
    EXPECT_EQ(layout.Frame.Bottom.Whole, 480);
    // The operator's RGB/BGR choice is on (its default): a DIB stays a DIB.
    int w = 0, h = 0;
    const std::vector<BYTE> dib = NativePixels(&w, &h);
    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 480);
    EXPECT_EQ(Mismatches(dib), 0);
    EndTransfer();
}

TEST_F(ZentuTwain, MemoryTransferComesInStripsOfTheApplicationsBuffer)
{
    Ready();
    TW_SETUPMEMXFER setup = {};
    ASSERT_EQ(app.Source(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
    EXPECT_EQ(setup.Preferred, 640u * 480 * 3);
    EXPECT_EQ(setup.MinBufSize, 640u * 480 * 3);
    EXPECT_EQ(setup.MaxBufSize, 640u * 480 * 3);

    // Less than a row: refused, and the buffer is left as it was.
    HGLOBAL tiny = GlobalAlloc(GHND, 16);
    TW_IMAGEMEMXFER xfer = {};
    xfer.Memory = {TWMF_APPOWNS | TWMF_HANDLE, 16, tiny};
    EXPECT_EQ(app.Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADVALUE);
    EXPECT_EQ(GlobalSize(tiny), 16u);
    EXPECT_EQ(xfer.Memory.TheMem, tiny);
    GlobalFree(tiny);

    // Strips of 100 rows and a bit into a buffer of the application's own.
    const DWORD row = 640 * 3, length = row * 100 + 7;
    std::vector<BYTE> buffer(length), image;
    DWORD expectRow = 0;
    TW_UINT16 rc;
    int strips = 0;
    do {
        xfer = {};
        xfer.Memory = {TWMF_APPOWNS | TWMF_POINTER, length, buffer.data()};
        rc = app.Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
        ASSERT_TRUE(rc == TWRC_SUCCESS || rc == TWRC_XFERDONE) << rc;
        EXPECT_EQ(xfer.Compression, TWCP_NONE);
        EXPECT_EQ(xfer.BytesPerRow, row);
        EXPECT_EQ(xfer.Columns, 640u);
        EXPECT_EQ(xfer.XOffset, 0u);
        EXPECT_EQ(xfer.YOffset, expectRow);
        EXPECT_EQ(xfer.Rows, std::min<DWORD>(100, 480 - expectRow));
        EXPECT_EQ(xfer.BytesWritten, xfer.Rows * row);
        image.insert(image.end(), buffer.begin(), buffer.begin() + xfer.BytesWritten);
        expectRow += xfer.Rows;
        strips++;
    } while (rc == TWRC_SUCCESS && strips < 10);
    EXPECT_EQ(rc, TWRC_XFERDONE);
    EXPECT_EQ(strips, 5);
    ASSERT_EQ(image.size(), size_t(row) * 480);
    // Top-down RGB: the same picture as a DIB once turned back.
    EXPECT_EQ(Mismatches(TopDownRgb(image, 640, 480)), 0);
    EndTransfer();

    // The RGB/BGR box off: the buffer then gets the DIB's own rows, and the
    // choice is kept in the registry when the session ends.
    HWND dialog = app.SourceDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kRgbBgr), BST_CHECKED);
    SendMessageA(GetDlgItem(dialog, kRgbBgr), BM_CLICK, 0, 0);
    SendMessageA(dialog, WM_COMMAND, kCapture, LPARAM(GetDlgItem(dialog, kCapture)));
    ASSERT_TRUE(app.WaitNotice(MSG_XFERREADY));
    std::vector<BYTE> whole(size_t(row) * 480);
    HGLOBAL handle = GlobalAlloc(GHND, whole.size());
    xfer = {};
    xfer.Memory = {TWMF_APPOWNS | TWMF_HANDLE, DWORD(whole.size()), handle};
    ASSERT_EQ(app.Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer), TWRC_XFERDONE);
    EXPECT_EQ(xfer.Rows, 480u);
    EXPECT_EQ(xfer.Memory.TheMem, handle);
    std::memcpy(whole.data(), GlobalLock(handle), whole.size());
    GlobalUnlock(handle);
    GlobalFree(handle);
    EXPECT_EQ(Mismatches(whole), 0);
    EndTransfer();
    EXPECT_EQ(app.Disable(), TWRC_SUCCESS);
    EXPECT_EQ(app.CloseSource(), TWRC_SUCCESS);
    EXPECT_EQ(GetDword("BGR"), 0u);
}

TEST_F(ZentuTwain, FileTransferWritesAnUprightBmp)
{
    const std::string folder = OutputFolder();
    ASSERT_FALSE(folder.empty()) << "TWAIN_OUTPUT is not set";
    const std::string path = folder + "transfer.bmp";
    DeleteFileA(path.c_str());
    Ready();
    TW_SETUPFILEXFER setup = {};
    std::strcpy(setup.FileName, path.c_str());
    setup.Format = TWFF_BMP;
    ASSERT_EQ(app.Source(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
    ASSERT_EQ(app.Source(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
    EXPECT_EQ(app.Status(), TWCC_SUCCESS);
    EndTransfer();

    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    std::vector<BYTE> bytes(GetFileSize(f, nullptr));
    DWORD got = 0;
    ReadFile(f, bytes.data(), DWORD(bytes.size()), &got, nullptr);
    CloseHandle(f);
    ASSERT_EQ(bytes.size(), 54u + 640 * 480 * 3);
    BITMAPFILEHEADER file;
    std::memcpy(&file, bytes.data(), sizeof file);
    EXPECT_EQ(file.bfType, 0x4D42);
    EXPECT_EQ(file.bfSize, bytes.size());
    EXPECT_EQ(file.bfOffBits, 54u);
    const std::vector<BYTE> pixels(bytes.begin() + 54, bytes.end());
    EXPECT_EQ(Mismatches(pixels), 0);
    // What ImageMagick is to see in the file (tests/check-bmp.sh): these
    // pixels, top row first, as a plain PPM.
    const std::vector<BYTE> rgb = TopDownRgb(pixels, 640, 480);
    const std::string ppm = folder + "expected.ppm";
    f = CreateFileA(ppm.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    const char header[] = "P6\n640 480\n255\n";
    DWORD put = 0;
    WriteFile(f, header, sizeof header - 1, &put, nullptr);
    WriteFile(f, rgb.data(), DWORD(rgb.size()), &put, nullptr);
    CloseHandle(f);
}

TEST_F(ZentuTwain, FileNameOfTheWholeFieldIsCutTo255)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    ASSERT_TRUE(SetCurrentDirectoryA(dir));
    const std::string name(255, 'z');
    DeleteFileA(name.c_str());
    ASSERT_EQ(app.OpenSource(), TWRC_SUCCESS);
    TW_SETUPFILEXFER setup = {};
    std::memset(setup.FileName, 'z', sizeof setup.FileName);  // no terminating zero
    ASSERT_EQ(app.Source(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
    EXPECT_NE(GetFileAttributesA(name.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileA(name.c_str());
    // A folder that does not exist cannot take the file.
    std::strcpy(setup.FileName, "Q:\\no\\such\\folder\\x.bmp");
    EXPECT_EQ(app.Source(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_BADVALUE);
    EXPECT_EQ(app.CloseSource(), TWRC_SUCCESS);
}

// The operator's save dialog, answered by another thread: a name, or Cancel.
struct SaveAnswer {
    DWORD thread;
    const char* name;  // null: cancel
    std::string title;
};

BOOL CALLBACK FindSaveDialog(HWND w, LPARAM lp)
{
    char title[64] = {};
    GetWindowTextA(w, title, sizeof title);
    if (std::strcmp(title, "Save Image File") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(lp) = w;
    return FALSE;
}

void AnswerSaveDialog(SaveAnswer* answer)
{
    HWND dialog = nullptr;
    for (int i = 0; i < 1000 && !dialog; i++) {
        EnumThreadWindows(answer->thread, FindSaveDialog, LPARAM(&dialog));
        if (!dialog)
            Sleep(10);
    }
    if (!dialog) {
        PostThreadMessageA(answer->thread, WM_QUIT, 0, 0);
        return;
    }
    answer->title = "Save Image File";
    if (!answer->name) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    SetDlgItemTextA(dialog, 0x47c, answer->name);  // the file name box
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

TEST_F(ZentuTwain, SetupFileGetAsksTheOperatorForAName)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "chosen";
    DeleteFileA((path + ".bmp").c_str());
    ASSERT_EQ(app.OpenSource(), TWRC_SUCCESS);
    SaveAnswer answer = {GetCurrentThreadId(), path.c_str(), ""};
    std::thread worker(AnswerSaveDialog, &answer);
    TW_SETUPFILEXFER setup = {};
    const TW_UINT16 rc = app.Source(DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, &setup);
    worker.join();
    EXPECT_EQ(answer.title, "Save Image File");
    ASSERT_EQ(rc, TWRC_SUCCESS);
    EXPECT_STREQ(setup.FileName, (path + ".bmp").c_str());  // the default extension added
    EXPECT_EQ(setup.Format, TWFF_BMP);
    EXPECT_EQ(setup.VRefNum, 0);

    SaveAnswer cancel = {GetCurrentThreadId(), nullptr, ""};
    std::thread canceller(AnswerSaveDialog, &cancel);
    EXPECT_EQ(app.Source(DG_CONTROL, DAT_SETUPFILEXFER, MSG_GETDEFAULT, &setup), TWRC_FAILURE);
    canceller.join();
    EXPECT_EQ(app.Status(), TWCC_SUCCESS);  // the operator's choice, no error
    EXPECT_EQ(app.CloseSource(), TWRC_SUCCESS);
}

// ---------------------------------------------------------------------------
// The source dialog

// The preview control's pixels: how many of a sample grid are not black.
int LitSamples(HWND preview)
{
    HDC dc = GetDC(preview);
    int lit = 0;
    for (int y = 20; y < 480; y += 40)
        for (int x = 20; x < 640; x += 40)
            if (GetPixel(dc, x, y) & 0xFFFFFF)
                lit++;
    ReleaseDC(preview, dc);
    return lit;
}

TEST_F(ZentuTwain, SourceDialogPreviewsAndItsButtonsSpeakToTheApplication)
{
    OpenEnabled(true);
    HWND dialog = app.SourceDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindowVisible(dialog));
    char caption[64] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "Zentu USB2.0 Camera");
    HWND preview = GetDlgItem(dialog, kPreview);
    RECT rc;
    GetClientRect(preview, &rc);
    EXPECT_EQ(rc.right, 640);
    EXPECT_EQ(rc.bottom, 480);
    HWND capture = GetDlgItem(dialog, kCapture);
    EXPECT_FALSE(IsWindowEnabled(capture));  // until the first frame
    EXPECT_EQ(SendDlgItemMessageA(dialog, kSize, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendDlgItemMessageA(dialog, kSize, CB_GETCURSEL, 0, 0), 2);
    ASSERT_TRUE(app.PumpUntil([&] { return IsWindowEnabled(capture) != FALSE; }));
    ASSERT_TRUE(app.PumpUntil([&] { return LitSamples(preview) > 100; })) << "the preview stays black";

    SendMessageA(capture, BM_CLICK, 0, 0);
    ASSERT_TRUE(app.WaitNotice(MSG_XFERREADY));
    int w = 0, h = 0;
    EXPECT_EQ(Mismatches(NativePixels(&w, &h)), 0);
    EndTransfer();

    // Another size restarts the preview; the next transfer is of that size.
    SendDlgItemMessageA(dialog, kSize, CB_SETCURSEL, 1, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kSize, CBN_SELCHANGE), LPARAM(GetDlgItem(dialog, kSize)));
    EXPECT_FALSE(IsWindowEnabled(capture));
    ASSERT_TRUE(app.PumpUntil([&] { return IsWindowEnabled(capture) != FALSE; }));
    SendMessageA(capture, BM_CLICK, 0, 0);
    ASSERT_TRUE(app.WaitNotice(MSG_XFERREADY));
    const std::vector<BYTE> bigger = NativePixels(&w, &h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    ref.s.sizeIndex = 1;
    EXPECT_EQ(FrameMismatches(&ref, 1, sim, bigger), 0);
    EndTransfer();

    SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(app.WaitNotice(MSG_CLOSEDSREQ));
    EXPECT_EQ(app.Disable(), TWRC_SUCCESS);
    EXPECT_EQ(app.SourceDialog(), nullptr);
    EXPECT_EQ(app.CloseSource(), TWRC_SUCCESS);
    EXPECT_EQ(GetDword("eZentuSize"), 1u);
}

// Run once as it comes and once under a Chinese system locale.
TEST_F(ZentuTwain, SourceDialogSpeaksTheUsersLanguage)
{
    const LANGID lang = GetUserDefaultLangID();
    const bool chinese = PRIMARYLANGID(lang) == LANG_CHINESE && SUBLANGID(lang) == SUBLANG_CHINESE_SIMPLIFIED;
    OpenEnabled(true);
    HWND dialog = app.SourceDialog();
    ASSERT_NE(dialog, nullptr);
    wchar_t caption[64] = {};
    GetWindowTextW(dialog, caption, 64);
    EXPECT_STREQ(caption, chinese ? L"Zentu Camera (USB2.0)" : L"Zentu USB2.0 Camera");
    GetWindowTextW(GetDlgItem(dialog, kCapture), caption, 64);
    EXPECT_STREQ(caption, chinese ? L"\u62cd\u6444(&C)" : L"&Capture");
    EXPECT_EQ(app.Disable(), TWRC_SUCCESS);
    EXPECT_EQ(app.CloseSource(), TWRC_SUCCESS);
}

// The sheet: the window of the application's thread that holds the setup page.
struct SheetFound {
    HWND sheet, page;
};

BOOL CALLBACK FindSheet(HWND w, LPARAM lp)
{
    HWND page = FindWindowExA(w, nullptr, "#32770", nullptr);
    if (page && GetDlgItem(page, IDC_SPEED_HIGH)) {
        *reinterpret_cast<SheetFound*>(lp) = {w, page};
        return FALSE;
    }
    return TRUE;
}

// The sheet is modal on the application's thread, so another thread works it.
TEST_F(ZentuTwain, SettingsSheetShowsTheSetupPageOnTheCamera)
{
    OpenEnabled(true);
    HWND dialog = app.SourceDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(app.PumpUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, kCapture)) != FALSE; }));
    ASSERT_EQ(sim.Registers()[10], 0x8001);  // Normal pixel clock

    std::string sheetCaption;
    int gammaShown = -1;
    const DWORD uiThread = GetCurrentThreadId();
    std::thread worker([&] {
        SheetFound found = {nullptr, nullptr};
        for (int i = 0; i < 1000 && !found.page; i++) {
            EnumThreadWindows(uiThread, FindSheet, LPARAM(&found));
            if (!found.page)
                Sleep(10);
        }
        if (!found.page) {
            // No sheet came: end whatever modal loop there is rather than hang.
            PostThreadMessageA(uiThread, WM_QUIT, 0, 0);
            return;
        }
        char text[64] = {};
        GetWindowTextA(found.sheet, text, sizeof text);
        sheetCaption = text;
        gammaShown = int(GetDlgItemInt(found.page, IDC_GAMMA_EDIT, nullptr, FALSE));
        SendMessageA(GetDlgItem(found.page, IDC_SPEED_HIGH), BM_CLICK, 0, 0);
        PostMessageA(found.sheet, WM_COMMAND, IDOK, 0);
    });
    SendMessageA(GetDlgItem(dialog, kSettings), BM_CLICK, 0, 0);  // returns when the sheet closes
    worker.join();
    EXPECT_EQ(sheetCaption, "Zentu Settings");
    EXPECT_EQ(gammaShown, 100);
    // The page's High reached the open camera: clock register and 5 := 336.
    std::vector<unsigned short> regs = sim.Registers();
    EXPECT_EQ(regs[10], 0x8000);
    EXPECT_EQ(regs[5], 336);
    EXPECT_EQ(app.Disable(), TWRC_SUCCESS);
    EXPECT_EQ(app.CloseSource(), TWRC_SUCCESS);
    EXPECT_EQ(GetDword("Speed"), 1u);
}

// ---------------------------------------------------------------------------
// Failures

TEST_F(ZentuTwain, SecondApplicationIsRefusedWithMaxConnections)
{
    ASSERT_EQ(app.OpenSource(), TWRC_SUCCESS);
    {
        // Another application of this process, through the same manager.
        TwainApp other;
        std::strcpy(other.app.ProductName, "another application");
        other.OpenManager();
        other.source = app.source;
        EXPECT_EQ(other.OpenSource(), TWRC_FAILURE);
        EXPECT_FALSE(other.sourceOpen);
    }
    EXPECT_EQ(app.Status(), TWCC_MAXCONNECTIONS);
    // The first one's session goes on.
    TW_CAPABILITY cap = {ICAP_XFERMECH, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_SUCCESS);
    CapContainer c(cap);
    EXPECT_EQ(app.CloseSource(), TWRC_SUCCESS);
}

// The message boxes among the dialogs that took the activation (the hidden
// source dialog takes it back when a box closes).
std::vector<CaughtBox> MessageBoxes(CBoxCatcher& catcher)
{
    std::vector<CaughtBox> boxes;
    for (const CaughtBox& b : catcher.Take())
        if (!b.text.empty())
            boxes.push_back(b);
    return boxes;
}

TEST_F(ZentuTwain, MissingCameraIsReportedAndTheApplicationAskedToClose)
{
    ASSERT_TRUE(sim.SetPresent(0));
    CBoxCatcher boxes;
    OpenEnabled(false);
    ASSERT_TRUE(app.WaitNotice(MSG_CLOSEDSREQ)) << "the application is left waiting";
    const std::vector<CaughtBox> shown = MessageBoxes(boxes);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Failed to preview Zentu!");
    TW_HANDLE dib = nullptr;
    EXPECT_EQ(app.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib), TWRC_FAILURE);
    EXPECT_EQ(dib, nullptr);
    EXPECT_EQ(app.Disable(), TWRC_SUCCESS);
    EXPECT_EQ(app.CloseSource(), TWRC_SUCCESS);
    EXPECT_EQ(sim.Status().openHandles, 0u);
}

TEST_F(ZentuTwain, UnpluggedCameraFailsTheNextTransferAndLeavesNothingOpen)
{
    CBoxCatcher boxes;
    Ready();
    HWND dialog = app.SourceDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(sim.SetFault(ZSIM_FAULT_UNPLUG, 1));
    ASSERT_TRUE(app.WaitNotice(MSG_CLOSEDSREQ)) << "the application is left waiting";
    const std::vector<CaughtBox> shown = MessageBoxes(boxes);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Failed to preview Zentu!");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kCapture)));
    // No stale frame is handed out.
    TW_HANDLE dib = nullptr;
    EXPECT_EQ(app.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib), TWRC_FAILURE);
    EXPECT_EQ(app.Status(), TWCC_OPERATIONERROR);
    EXPECT_EQ(dib, nullptr);
    TW_PENDINGXFERS pending = {};
    EXPECT_EQ(app.Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(app.Disable(), TWRC_SUCCESS);
    EXPECT_EQ(app.CloseSource(), TWRC_SUCCESS);
    EXPECT_EQ(sim.Status().openHandles, 0u);
}

}  // namespace

// Every line out at once, so that a run ended by its time limit shows where it was.
static const int g_unbuffered = (setvbuf(stdout, nullptr, _IONBF, 0), 0);
