// The Zentu property pages driven as a property frame drives them: created by
// class id, given a site and an object, activated in a window, their controls
// worked by id; what reaches the camera is read back through IZentu (a
// recording stand-in, or the real filter with its registry sets).
#include "ZentuGraph.h"
#include "ZentuRes.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

class TestPageSite : public IPropertyPageSite {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IPropertyPageSite) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP OnStatusChange(DWORD flags) override
    {
        if (flags & PROPPAGESTATUS_DIRTY)
            ++dirty;
        return S_OK;
    }
    STDMETHODIMP GetLocaleID(LCID* id) override
    {
        *id = LOCALE_USER_DEFAULT;
        return S_OK;
    }
    STDMETHODIMP GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return E_NOTIMPL; }
    int dirty = 0;
};

// An IZentu that keeps its settings and logs every setter call.
class RecordingZentu : public IZentu {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IZentu) {
            *ppv = static_cast<IZentu*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP GetSize(int* v) override { *v = size; return S_OK; }
    STDMETHODIMP SetSize(int v) override { Log(L"SetSize", v); size = v; return S_OK; }
    STDMETHODIMP GetWhiteBalance(int* q, BYTE* r, BYTE* g, BYTE* b) override
    {
        *q = wb;
        *r = BYTE(rgb[0]);
        *g = BYTE(rgb[1]);
        *b = BYTE(rgb[2]);
        return S_OK;
    }
    STDMETHODIMP SetWhiteBalance(int q, BYTE r, BYTE g, BYTE b) override
    {
        Log(L"SetWhiteBalance", q, r, g, b);
        wb = q;
        rgb[0] = r, rgb[1] = g, rgb[2] = b;
        return S_OK;
    }
    STDMETHODIMP GetExposure(int* a, BYTE* t, WORD* e, WORD* g) override
    {
        *a = ae, *t = BYTE(target), *e = WORD(time), *g = WORD(gain);
        return S_OK;
    }
    STDMETHODIMP SetExposure(int a, BYTE t, WORD e, WORD g) override
    {
        Log(L"SetExposure", a, t, e, g);
        ae = a, target = t, time = e, gain = g;
        return S_OK;
    }
    STDMETHODIMP GetSpeed(BYTE* v) override { *v = BYTE(speed); return S_OK; }
    STDMETHODIMP SetSpeed(BYTE v) override { Log(L"SetSpeed", v); speed = v; return S_OK; }
    STDMETHODIMP GetGamma(BYTE* v) override { *v = BYTE(gamma); return S_OK; }
    STDMETHODIMP SetGamma(BYTE v) override { Log(L"SetGamma", v); gamma = v; return S_OK; }
    STDMETHODIMP GetContrast(BYTE* v) override { *v = BYTE(contrast); return S_OK; }
    STDMETHODIMP SetContrast(BYTE v) override { Log(L"SetContrast", v); contrast = v; return S_OK; }
    STDMETHODIMP GetSaturation(int* e, BYTE* v) override { *e = satOn, *v = BYTE(sat); return S_OK; }
    STDMETHODIMP SetSaturation(int e, BYTE v) override { Log(L"SetSaturation", e, v); satOn = e, sat = v; return S_OK; }
    STDMETHODIMP GetWhiteBlack(int* v) override { *v = mono; return S_OK; }
    STDMETHODIMP SetWhiteBlack(int v) override { Log(L"SetWhiteBlack", v); mono = v; return S_OK; }
    STDMETHODIMP GetVFlip(int* v) override { *v = vflip; return S_OK; }
    STDMETHODIMP SetVFlip(int v) override { Log(L"SetVFlip", v); vflip = v; return S_OK; }
    STDMETHODIMP SetHZ(int v) override { Log(L"SetHZ", v); hz = v; return S_OK; }
    STDMETHODIMP GetHZ(int* v) override { *v = hz; return S_OK; }
    STDMETHODIMP SaveParaTeam() override { Log(L"SaveParaTeam"); return S_OK; }
    STDMETHODIMP SetParaTeam(BYTE v) override { Log(L"SetParaTeam", v); team = v; return S_OK; }
    STDMETHODIMP GetParaTeam(BYTE* v) override { *v = BYTE(team); return S_OK; }
    STDMETHODIMP GetHFlip(int* v) override { *v = hflip; return S_OK; }
    STDMETHODIMP SetHFlip(int v) override { Log(L"SetHFlip", v); hflip = v; return S_OK; }
    STDMETHODIMP GetExposureUnit(int* v) override { *v = 50; return S_OK; }

    int size = 1, wb = 0, rgb[3] = {105, 64, 122}, ae = 1, target = 100, time = 300, gain = 20;
    int speed = 0, gamma = 100, contrast = 30, satOn = 1, sat = 100, mono = 0, vflip = 1, hflip = 1, hz = 1,
        team = 0;
    std::vector<std::wstring> calls;

private:
    void Log(const wchar_t* name, int a = -1, int b = -1, int c = -1, int d = -1)
    {
        wchar_t text[96];
        wsprintfW(text, L"%s", name);
        const int args[4] = {a, b, c, d};
        for (int k = 0; k < 4 && args[k] != -1; k++)
            wsprintfW(text + lstrlenW(text), L"%s%d", k ? L"," : L" ", args[k]);
        calls.push_back(text);
    }
};

class ZentuPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        ClearZentuRegistry();
        parent = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 700, 560, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_NE(parent, nullptr);
    }
    void TearDown() override
    {
        if (page) {
            page->Deactivate();
            page->SetObjects(0, nullptr);
            page->SetPageSite(nullptr);
            page->Release();
        }
        DestroyWindow(parent);
        ClearZentuRegistry();
        CoUninitialize();
    }
    // The page of that class on `object`, active in the host window.
    void Open(REFCLSID clsid, IUnknown* object)
    {
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                   reinterpret_cast<void**>(&page)), S_OK);
        ASSERT_EQ(page->SetPageSite(&site), S_OK);
        ASSERT_EQ(page->SetObjects(1, &object), S_OK);
        const RECT rc = {0, 0, 640, 500};
        ASSERT_EQ(page->Activate(parent, &rc, FALSE), S_OK);
        dialog = GetWindow(parent, GW_CHILD);
        ASSERT_NE(dialog, nullptr);
    }
    HWND Item(int id) { return GetDlgItem(dialog, id); }
    void Click(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    void Type(int id, int value) { SetDlgItemInt(dialog, id, UINT(value), FALSE); }
    int Shown(int id) { return int(GetDlgItemInt(dialog, id, nullptr, FALSE)); }
    int Pos(int id) { return int(SendMessageW(Item(id), TBM_GETPOS, 0, 0)); }
    void Slide(int id, int pos)
    {
        SendMessageW(Item(id), TBM_SETPOS, TRUE, pos);
        SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, pos), LPARAM(Item(id)));
    }
    std::wstring Text(int id)
    {
        wchar_t text[128] = {};
        GetWindowTextW(Item(id), text, 128);
        return text;
    }

    HWND parent = nullptr, dialog = nullptr;
    TestPageSite site;
    RecordingZentu z;  // outlives the page, which holds it until TearDown
    IPropertyPage* page = nullptr;
};

}  // namespace

TEST_F(ZentuPages, SetupPageShowsEverySettingWithItsRangeAndEnabledState)
{
    z.ae = 0, z.time = 1500, z.gain = 40, z.gamma = 180, z.satOn = 0, z.sat = 90, z.speed = 1, z.hz = 0, z.team = 2;
    z.target = 45;  // stored below the trackbar's range
    Open(CLSID_ZentuSetupPage, &z);
    const struct { int bar, edit, lo, hi, value; } rows[] = {
        {IDC_GAMMA, IDC_GAMMA_EDIT, 10, 250, 180},        {IDC_CONTRAST, IDC_CONTRAST_EDIT, 0, 100, 30},
        {IDC_SATURATION, IDC_SATURATION_EDIT, 0, 255, 90}, {IDC_EXPTIME, IDC_EXPTIME_EDIT, 1, 4000, 1500},
        {IDC_GAIN, IDC_GAIN_EDIT, 1, 80, 40},             {IDC_R, IDC_R_EDIT, 10, 255, 105},
        {IDC_G, IDC_G_EDIT, 10, 255, 64},                 {IDC_B, IDC_B_EDIT, 10, 255, 122},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.bar);
        EXPECT_EQ(SendMessageW(Item(r.bar), TBM_GETRANGEMIN, 0, 0), r.lo);
        EXPECT_EQ(SendMessageW(Item(r.bar), TBM_GETRANGEMAX, 0, 0), r.hi);
        EXPECT_EQ(Pos(r.bar), r.value);
        EXPECT_EQ(Shown(r.edit), r.value);
    }
    EXPECT_EQ(Pos(IDC_TARGET), 50);
    EXPECT_EQ(Shown(IDC_TARGET_EDIT), 45);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_AE), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_COLOR_ENHANCE), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SPEED_HIGH), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_HZ_60), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_GROUP_C), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_VFLIP), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SATURATION)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_TARGET)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_EXPTIME)));
    EXPECT_TRUE(z.calls.empty()) << "showing the page sent a setting";

    // AE on: target enabled, manual controls off, and the exposure sent.
    Click(IDC_AE);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_TARGET)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_GAIN_EDIT)));
    ASSERT_EQ(z.calls.size(), 1u);
    EXPECT_EQ(z.calls[0], L"SetExposure 1,45,1500,40");
    EXPECT_GT(site.dirty, 0);
}

TEST_F(ZentuPages, EachEditAndTrackbarSendsExactlyItsSetter)
{
    z.ae = 0;
    Open(CLSID_ZentuSetupPage, &z);
    const struct { int edit; int value; const wchar_t* call; } edits[] = {
        {IDC_GAMMA_EDIT, 120, L"SetGamma 120"},
        {IDC_CONTRAST_EDIT, 70, L"SetContrast 70"},
        {IDC_SATURATION_EDIT, 140, L"SetSaturation 1,140"},
        {IDC_EXPTIME_EDIT, 900, L"SetExposure 0,100,900,20"},
        {IDC_GAIN_EDIT, 60, L"SetExposure 0,100,900,60"},
        {IDC_R_EDIT, 99, L"SetWhiteBalance 0,99,64,122"},
        {IDC_G_EDIT, 88, L"SetWhiteBalance 0,99,88,122"},
        {IDC_B_EDIT, 77, L"SetWhiteBalance 0,99,88,77"},
        {IDC_TARGET_EDIT, 150, nullptr},  // AE is off: the target is not sent
        {IDC_GAMMA_EDIT, 999, L"SetGamma 250"},  // beyond the range: its end
    };
    for (const auto& e : edits) {
        SCOPED_TRACE(e.edit);
        z.calls.clear();
        Type(e.edit, e.value);
        if (!e.call) {
            EXPECT_TRUE(z.calls.empty());
            continue;
        }
        ASSERT_EQ(z.calls.size(), 1u);
        EXPECT_EQ(z.calls[0], e.call);
    }
    EXPECT_EQ(Pos(IDC_EXPTIME), 900);

    // A trackbar moves its edit, which sends.
    z.calls.clear();
    Slide(IDC_CONTRAST, 42);
    EXPECT_EQ(Shown(IDC_CONTRAST_EDIT), 42);
    ASSERT_EQ(z.calls.size(), 1u);
    EXPECT_EQ(z.calls[0], L"SetContrast 42");

    // With AE on, the exposure-time trackbar changes nothing.
    Click(IDC_AE);
    z.calls.clear();
    Slide(IDC_EXPTIME, 3000);
    EXPECT_TRUE(z.calls.empty());
    EXPECT_EQ(Shown(IDC_EXPTIME_EDIT), 900);

    // Check boxes and radios.
    z.calls.clear();
    Click(IDC_VFLIP);
    Click(IDC_HFLIP);
    Click(IDC_MONO);
    Click(IDC_SPEED_HIGH);
    Click(IDC_HZ_60);
    Click(IDC_SAVE);
    const std::vector<std::wstring> want = {L"SetVFlip 0", L"SetHFlip 0", L"SetWhiteBlack 1",
                                            L"SetSpeed 1", L"SetHZ 0", L"SaveParaTeam"};
    EXPECT_EQ(z.calls, want);
}

TEST_F(ZentuPages, DefaultSendsTheListedValuesInOrder)
{
    z.gamma = 200, z.speed = 1, z.ae = 0;
    Open(CLSID_ZentuSetupPage, &z);
    Click(IDC_DEFAULT);
    const std::vector<std::wstring> want = {
        L"SetGamma 100",     L"SetContrast 30", L"SetSaturation 1,100", L"SetWhiteBalance 0,105,64,122",
        L"SetSpeed 0",       L"SetVFlip 1",     L"SetHFlip 1",          L"SetWhiteBlack 0",
        L"SetHZ 1",          L"SetExposure 1,100,300,20"};
    EXPECT_EQ(z.calls, want);
    EXPECT_EQ(Shown(IDC_GAMMA_EDIT), 100);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_AE), BST_CHECKED);
}

TEST_F(ZentuPages, AwbOnceGivesUpOnAStoppedFilter)
{
    // The recording stand-in never measures: the request stays set.
    Open(CLSID_ZentuSetupPage, &z);
    const DWORD t0 = GetTickCount();
    Click(IDC_AWB_ONCE);
    EXPECT_GE(GetTickCount() - t0, 1000u);
    ASSERT_EQ(z.calls.size(), 1u);
    EXPECT_EQ(z.calls[0], L"SetWhiteBalance 1,105,64,122");
    EXPECT_EQ(z.wb, 1);
    EXPECT_EQ(Shown(IDC_R_EDIT), 105);
}

TEST_F(ZentuPages, AwbOnceOnARunningFilterShowsTheMeasuredGains)
{
    CZentuSimControl sim;
    ASSERT_TRUE(sim.IsOpen() && sim.Reset() && sim.SetPeriod(20000));
    {
        ZentuGraph graph;
        ASSERT_EQ(graph.Build(2), S_OK);
        ASSERT_EQ(graph.Zentu()->SetExposure(0, 100, 300, 20), S_OK);
        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        ASSERT_TRUE(graph.WaitFrames(1));
        Open(CLSID_ZentuSetupPage, graph.Camera());
        const DWORD t0 = GetTickCount();
        Click(IDC_AWB_ONCE);
        EXPECT_LT(GetTickCount() - t0, 1500u);
        int request = 1;
        BYTE r = 0, g = 0, b = 0;
        graph.Zentu()->GetWhiteBalance(&request, &r, &g, &b);
        EXPECT_EQ(request, 0);
        EXPECT_EQ(Shown(IDC_R_EDIT), r);
        EXPECT_EQ(Pos(IDC_B), b);
        page->Deactivate();
        page->SetObjects(0, nullptr);
        EXPECT_EQ(graph.Stop(), S_OK);
    }
    sim.Reset();
}

TEST_F(ZentuPages, ParameterGroupLoadsTheSetIntoTheControls)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quillon\\Zentu\\dshowB", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr), ERROR_SUCCESS);
    const std::pair<const char*, DWORD> setB[] = {{"Gamma", 77}, {"Contrast", 12}, {"AutoExposure", 0},
                                                  {"ExposureTime", 2222}, {"HFlip", 0}};
    for (auto& v : setB)
        RegSetValueExA(key, v.first, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v.second), 4);
    RegCloseKey(key);
    Com<IBaseFilter> filter;
    ASSERT_EQ(CoCreateInstance(CLSID_Zentu, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.OutVoid()), S_OK);
    Open(CLSID_ZentuSetupPage, filter.Get());
    EXPECT_EQ(Shown(IDC_GAMMA_EDIT), 100);
    Click(IDC_GROUP_B);
    EXPECT_EQ(Shown(IDC_GAMMA_EDIT), 77);
    EXPECT_EQ(Pos(IDC_CONTRAST), 12);
    EXPECT_EQ(Shown(IDC_EXPTIME_EDIT), 2222);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_AE), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_HFLIP), BST_UNCHECKED);
    Com<IZentu> z;
    ASSERT_EQ(filter->QueryInterface(IID_IZentu, z.OutVoid()), S_OK);
    BYTE team = 0;
    z->GetParaTeam(&team);
    EXPECT_EQ(team, 1);

    // SAVE writes the set in use, with the change the page made.
    Type(IDC_CONTRAST_EDIT, 64);
    Click(IDC_SAVE);
    DWORD value = 0, bytes = 4;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\Quillon\\Zentu\\dshowB", "Contrast", RRF_RT_REG_DWORD,
                           nullptr, &value, &bytes), ERROR_SUCCESS);
    EXPECT_EQ(value, 64u);
    EXPECT_EQ(page->Apply(), S_OK);
}

TEST_F(ZentuPages, SizePageAppliesTheCheckedSize)
{
    Com<IBaseFilter> filter;
    ASSERT_EQ(CoCreateInstance(CLSID_Zentu, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.OutVoid()), S_OK);
    Com<IPin> pin;
    ASSERT_EQ(filter->FindPin(L"Out", pin.Out()), S_OK);
    Open(CLSID_ZentuSizePage, pin.Get());
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SIZE_1024), BST_CHECKED);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    Click(IDC_SIZE_640);
    EXPECT_EQ(page->IsPageDirty(), S_OK);
    EXPECT_EQ(page->Apply(), S_OK);
    Com<IZentu> z;
    ASSERT_EQ(pin->QueryInterface(IID_IZentu, z.OutVoid()), S_OK);
    int size = -1;
    z->GetSize(&size);
    EXPECT_EQ(size, 2);
    PROPPAGEINFO info = {};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L"Video Size");
    EXPECT_GT(info.size.cx, 0);
    CoTaskMemFree(info.pszTitle);
}

TEST_F(ZentuPages, PagesNeedIZentu)
{
    Com<IBaseFilter> grabber;
    ASSERT_EQ(CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                               grabber.OutVoid()), S_OK);
    for (const CLSID* clsid : {&CLSID_ZentuSetupPage, &CLSID_ZentuSizePage}) {
        IPropertyPage* p = nullptr;
        ASSERT_EQ(CoCreateInstance(*clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                   reinterpret_cast<void**>(&p)), S_OK);
        IUnknown* object = grabber.Get();
        EXPECT_EQ(p->SetObjects(1, &object), E_NOINTERFACE);
        EXPECT_EQ(p->Help(nullptr), E_NOTIMPL);
        EXPECT_EQ(p->TranslateAccelerator(nullptr), E_NOTIMPL);
        p->Release();
    }
}

// Run with the user's language Chinese (its own CTest entry).
TEST_F(ZentuPages, ChineseTextsForAChineseUser)
{
    if (GetUserDefaultLangID() != 0x0804)
        GTEST_SKIP() << "the user's language is not Chinese here";
    Open(CLSID_ZentuSetupPage, &z);
    EXPECT_EQ(Text(IDC_AE), L"自动曝光");
    EXPECT_EQ(Text(IDC_DEFAULT), L"默认");
    PROPPAGEINFO info = {};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L" 设置");
    CoTaskMemFree(info.pszTitle);
}

TEST_F(ZentuPages, EnglishTextsOtherwise)
{
    if (GetUserDefaultLangID() == 0x0804)
        GTEST_SKIP();
    Open(CLSID_ZentuSetupPage, &z);
    EXPECT_EQ(Text(IDC_AE), L"AE");
    EXPECT_EQ(Text(IDC_AWB_ONCE), L"AWB Once");
    PROPPAGEINFO info = {};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L" SETUP");
    CoTaskMemFree(info.pszTitle);
}
