// The Sorvane property page driven as a property frame would drive it:
// created by class id, given a site and the filter, activated in a window,
// its controls worked by id, and the filter's settings read back.
#include "Sorvane.h"
#include "Strmbase.h"

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
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ULONG(++m_ref); }
    STDMETHODIMP_(ULONG) Release() override { return ULONG(--m_ref); }
    STDMETHODIMP OnStatusChange(DWORD flags) override
    {
        if (flags & PROPPAGESTATUS_DIRTY)
            ++m_dirtyNotices;
        return S_OK;
    }
    STDMETHODIMP GetLocaleID(LCID* pLocaleID) override
    {
        *pLocaleID = LOCALE_USER_DEFAULT;
        return S_OK;
    }
    STDMETHODIMP GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return E_NOTIMPL; }

    int m_ref = 0;  // stack object: counted only to see the page let go
    int m_dirtyNotices = 0;
};

struct Values {
    BOOL enable, flip, mirror, gray, invert, binary;
    long threshold;
    BOOL emboss, sharp, addOne, addTwo, multiply;
    long tenths;
    BOOL rgb;
    long r, g, b;
    bool operator==(const Values& o) const
    {
        return enable == o.enable && flip == o.flip && mirror == o.mirror && gray == o.gray &&
               invert == o.invert && binary == o.binary && threshold == o.threshold && emboss == o.emboss &&
               sharp == o.sharp && addOne == o.addOne && addTwo == o.addTwo && multiply == o.multiply &&
               tenths == o.tenths && rgb == o.rgb && r == o.r && g == o.g && b == o.b;
    }
};

Values Read(ISorvane* s)
{
    Values v = {};
    s->get_EnableProcess(&v.enable);
    s->get_Flip(&v.flip);
    s->get_Mirror(&v.mirror);
    s->get_Gray(&v.gray);
    s->get_Invert(&v.invert);
    s->get_Binary(&v.binary, &v.threshold);
    s->get_Emboss(&v.emboss);
    s->get_Sharp(&v.sharp);
    s->get_AddOne(&v.addOne);
    s->get_AddTwo(&v.addTwo);
    s->get_Multiply(&v.multiply, &v.tenths);
    s->get_RgbGain(&v.rgb, &v.r, &v.g, &v.b);
    return v;
}

class SorvanePageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_SorvaneFilter, nullptr, CLSCTX_INPROC_SERVER,
                                                  IID_IUnknown, reinterpret_cast<void**>(&m_filter)));
        ASSERT_HRESULT_SUCCEEDED(m_filter->QueryInterface(IID_ISorvane, reinterpret_cast<void**>(&m_sorvane)));
        ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_SorvanePropertyPage, nullptr, CLSCTX_INPROC_SERVER,
                                                  IID_IPropertyPage, reinterpret_cast<void**>(&m_page)));
        // Hidden: without a window manager, hiding a shown frame waits for X.
        m_parent = CreateWindowExW(0, L"STATIC", L"Frame", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_parent, nullptr);
        ASSERT_EQ(m_page->SetPageSite(&m_site), S_OK);
    }
    void TearDown() override
    {
        if (m_page) {
            if (m_active)
                m_page->Deactivate();
            if (m_connected)
                m_page->SetObjects(0, nullptr);
            m_page->SetPageSite(nullptr);
            m_page->Release();
        }
        EXPECT_EQ(m_site.m_ref, 0);
        if (m_parent)
            DestroyWindow(m_parent);
        if (m_sorvane)
            m_sorvane->Release();
        if (m_filter)
            m_filter->Release();
        CoUninitialize();
    }

    void Open()
    {
        ASSERT_EQ(m_page->SetObjects(1, &m_filter), S_OK);
        m_connected = true;
        RECT rc = {0, 0, 500, 400};
        ASSERT_EQ(m_page->Activate(m_parent, &rc, FALSE), S_OK);
        m_active = true;
        m_dialog = GetWindow(m_parent, GW_CHILD);
        ASSERT_NE(m_dialog, nullptr);
    }
    void Close()
    {
        m_page->Deactivate();
        m_active = false;
        m_page->SetObjects(0, nullptr);
        m_connected = false;
    }

    HWND Item(int id) const { return GetDlgItem(m_dialog, id); }
    std::wstring Text(int id) const
    {
        WCHAR text[128] = {};
        GetDlgItemTextW(m_dialog, id, text, 128);
        return text;
    }
    bool Checked(int id) const { return IsDlgButtonChecked(m_dialog, id) == BST_CHECKED; }
    void Click(int id) const { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    // The end of a drag of the trackbar to pos.
    void Drag(int id, int pos) const
    {
        SendMessageW(Item(id), TBM_SETPOS, TRUE, pos);
        SendMessageW(m_dialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(Item(id)));
    }

    IUnknown* m_filter = nullptr;
    ISorvane* m_sorvane = nullptr;
    IPropertyPage* m_page = nullptr;
    TestPageSite m_site;
    HWND m_parent = nullptr;
    HWND m_dialog = nullptr;
    bool m_connected = false;
    bool m_active = false;
};

TEST_F(SorvanePageTest, ActivationShowsTheFiltersSettings)
{
    m_sorvane->put_Binary(TRUE, 77);
    m_sorvane->put_Multiply(TRUE, 25);
    m_sorvane->put_RgbGain(TRUE, 5, 6, 7);
    m_sorvane->put_Gray(TRUE);
    Open();

    PROPPAGEINFO info = {};
    ASSERT_EQ(m_page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L"Properties");
    EXPECT_GT(info.size.cx, 0);
    EXPECT_GT(info.size.cy, 0);
    CoTaskMemFree(info.pszTitle);

    EXPECT_TRUE(Checked(1009));
    EXPECT_TRUE(Checked(1018));
    EXPECT_TRUE(Checked(1019));
    EXPECT_TRUE(Checked(1015));
    EXPECT_TRUE(Checked(1002));
    EXPECT_FALSE(Checked(1000));
    EXPECT_EQ(Text(1023), L"Binary: 77");
    EXPECT_EQ(Text(1024), L"Multiply: 2.5");
    EXPECT_EQ(Text(1020), L"Red: 5");
    EXPECT_EQ(Text(1021), L"Green: 6");
    EXPECT_EQ(Text(1022), L"Blue: 7");
    EXPECT_EQ(Text(1009), L"Enable or disable all camera process.");
    EXPECT_EQ(Text(1007), L"Sharpness");
    EXPECT_EQ(Text(1005), L"Enhance1.0");
    EXPECT_EQ(Text(1006), L"Enhance2.0");
    EXPECT_EQ(Text(1025), L"Default");
    EXPECT_FALSE(IsWindowVisible(Item(1016)));
    EXPECT_FALSE(IsWindowVisible(Item(1017)));

    const struct { int id; long min, max, pos; } bars[] = {
        {1010, 0, 63, 5}, {1011, 0, 63, 6}, {1012, 0, 63, 7}, {1013, 0, 255, 77}, {1014, 5, 40, 25},
    };
    for (const auto& bar : bars) {
        SCOPED_TRACE(bar.id);
        EXPECT_EQ(SendMessageW(Item(bar.id), TBM_GETRANGEMIN, 0, 0), bar.min);
        EXPECT_EQ(SendMessageW(Item(bar.id), TBM_GETRANGEMAX, 0, 0), bar.max);
        EXPECT_EQ(SendMessageW(Item(bar.id), TBM_GETPOS, 0, 0), bar.pos);
        EXPECT_TRUE(IsWindowEnabled(Item(bar.id)));
    }
    EXPECT_EQ(m_page->IsPageDirty(), S_FALSE);
}

TEST_F(SorvanePageTest, EachBoxSwitchesItsOperation)
{
    m_sorvane->put_Binary(FALSE, 60);
    m_sorvane->put_Multiply(FALSE, 20);
    m_sorvane->put_RgbGain(FALSE, 1, 2, 3);
    Open();
    using Get = HRESULT (STDMETHODCALLTYPE ISorvane::*)(BOOL*);
    const struct { int id; Get get; } boxes[] = {
        {1000, &ISorvane::get_Flip},   {1001, &ISorvane::get_Mirror}, {1002, &ISorvane::get_Gray},
        {1004, &ISorvane::get_Invert}, {1005, &ISorvane::get_AddOne}, {1007, &ISorvane::get_Sharp},
        {1008, &ISorvane::get_Emboss},
    };
    for (const auto& box : boxes) {
        SCOPED_TRACE(box.id);
        BOOL on = -1;
        Click(box.id);
        (m_sorvane->*box.get)(&on);
        EXPECT_EQ(on, TRUE);
        EXPECT_TRUE(Checked(box.id));
        Click(box.id);
        (m_sorvane->*box.get)(&on);
        EXPECT_EQ(on, FALSE);
    }
    EXPECT_EQ(m_page->IsPageDirty(), S_OK);
    EXPECT_GE(m_site.m_dirtyNotices, 1);

    // The parameter boxes send their current parameter along.
    BOOL on = FALSE;
    long a = 0, b = 0, c = 0;
    Click(1018);
    m_sorvane->get_Binary(&on, &a);
    EXPECT_EQ(on, TRUE);
    EXPECT_EQ(a, 60);
    EXPECT_TRUE(IsWindowEnabled(Item(1013)));
    Click(1019);
    m_sorvane->get_Multiply(&on, &a);
    EXPECT_EQ(on, TRUE);
    EXPECT_EQ(a, 20);
    Click(1015);
    m_sorvane->get_RgbGain(&on, &a, &b, &c);
    EXPECT_EQ(on, TRUE);
    EXPECT_EQ(a * 100 + b * 10 + c, 123);
    EXPECT_TRUE(Checked(1016));
    EXPECT_TRUE(Checked(1017));

    // The master switch, last: off disables every operation control.
    Click(1009);
    m_sorvane->get_EnableProcess(&on);
    EXPECT_EQ(on, FALSE);
    for (int id : {1000, 1001, 1002, 1004, 1005, 1007, 1008, 1010, 1011, 1012, 1013, 1014, 1015, 1018, 1019}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(IsWindowEnabled(Item(id)));
    }
    EXPECT_TRUE(IsWindowEnabled(Item(1009)));
}

TEST_F(SorvanePageTest, TrackbarsSendTheirValueOnRelease)
{
    m_sorvane->put_Binary(TRUE, 128);
    m_sorvane->put_Multiply(TRUE, 10);
    m_sorvane->put_RgbGain(TRUE, 0, 0, 0);
    Open();
    BOOL on = FALSE;
    long a = 0, b = 0, c = 0;

    Drag(1014, 40);
    EXPECT_EQ(Text(1024), L"Multiply:4.0");
    m_sorvane->get_Multiply(&on, &a);
    EXPECT_EQ(on, TRUE);
    EXPECT_EQ(a, 40);

    Drag(1013, 200);
    EXPECT_EQ(Text(1023), L"Binary:200");
    m_sorvane->get_Binary(&on, &a);
    EXPECT_EQ(a, 200);

    Drag(1010, 12);
    Drag(1011, 34);
    Drag(1012, 63);
    EXPECT_EQ(Text(1020), L"Red:12");
    EXPECT_EQ(Text(1021), L"Green:34");
    EXPECT_EQ(Text(1022), L"Blue:63");
    m_sorvane->get_RgbGain(&on, &a, &b, &c);
    EXPECT_EQ(on, TRUE);
    EXPECT_EQ(a, 12);
    EXPECT_EQ(b, 34);
    EXPECT_EQ(c, 63);
    EXPECT_EQ(m_page->IsPageDirty(), S_OK);

    // Moving without releasing sends nothing.
    SendMessageW(Item(1014), TBM_SETPOS, TRUE, 7);
    SendMessageW(m_dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 7), reinterpret_cast<LPARAM>(Item(1014)));
    m_sorvane->get_Multiply(&on, &a);
    EXPECT_EQ(a, 40);
}

TEST_F(SorvanePageTest, DefaultSendsBackTheValuesOfActivation)
{
    m_sorvane->put_Binary(TRUE, 77);
    m_sorvane->put_Multiply(TRUE, 25);
    m_sorvane->put_RgbGain(TRUE, 5, 6, 7);
    const Values before = Read(m_sorvane);
    Open();
    Drag(1013, 10);
    Drag(1014, 40);
    Drag(1010, 50);
    Click(1025);
    EXPECT_TRUE(Read(m_sorvane) == before);
    EXPECT_EQ(Text(1023), L"Binary:77");
    EXPECT_EQ(Text(1024), L"Multiply:2.5");
    EXPECT_EQ(Text(1020), L"Red:5");
    EXPECT_EQ(SendMessageW(Item(1013), TBM_GETPOS, 0, 0), 77);
    EXPECT_EQ(SendMessageW(Item(1014), TBM_GETPOS, 0, 0), 25);
}

TEST_F(SorvanePageTest, ClosingWithoutApplyRestoresAndApplyKeeps)
{
    m_sorvane->put_Binary(TRUE, 77);
    m_sorvane->put_Multiply(TRUE, 25);
    const Values before = Read(m_sorvane);
    Open();
    Click(1000);
    Click(1002);
    Drag(1013, 10);
    Close();
    EXPECT_TRUE(Read(m_sorvane) == before);

    Open();
    Click(1001);
    Drag(1014, 30);
    ASSERT_EQ(m_page->Apply(), S_OK);
    EXPECT_EQ(m_page->IsPageDirty(), S_FALSE);
    const Values applied = Read(m_sorvane);
    Click(1004);
    Close();
    EXPECT_TRUE(Read(m_sorvane) == applied);
    BOOL on = FALSE;
    long tenths = 0;
    m_sorvane->get_Mirror(&on);
    EXPECT_EQ(on, TRUE);
    m_sorvane->get_Multiply(&on, &tenths);
    EXPECT_EQ(tenths, 30);
}

TEST_F(SorvanePageTest, ProcessingOffAtActivationDisablesAndRestoresEverything)
{
    m_sorvane->put_EnableProcess(FALSE);
    m_sorvane->put_Gray(TRUE);
    m_sorvane->put_Multiply(TRUE, 25);
    m_sorvane->put_RgbGain(TRUE, 9, 8, 7);
    const Values before = Read(m_sorvane);
    Open();
    EXPECT_FALSE(Checked(1009));
    // The boxes still show the filter, so a click cannot invert them.
    EXPECT_TRUE(Checked(1002));
    EXPECT_TRUE(Checked(1019));
    for (int id : {1000, 1002, 1008, 1010, 1013, 1014, 1015, 1018, 1019, 1023, 1024}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(IsWindowEnabled(Item(id)));
    }
    Click(1009);
    EXPECT_TRUE(IsWindowEnabled(Item(1002)));
    EXPECT_TRUE(IsWindowEnabled(Item(1014)));
    EXPECT_FALSE(IsWindowEnabled(Item(1013)));
    Click(1002);
    BOOL gray = TRUE;
    m_sorvane->get_Gray(&gray);
    EXPECT_EQ(gray, FALSE);
    EXPECT_FALSE(Checked(1002));
    Close();
    EXPECT_TRUE(Read(m_sorvane) == before);
}

TEST_F(SorvanePageTest, DisconnectWithoutConnectionAndForeignObjects)
{
    EXPECT_EQ(m_page->SetObjects(0, nullptr), S_OK);
    // Something that is not the filter is refused, and leaves nothing held.
    EXPECT_HRESULT_FAILED(m_page->SetObjects(1, reinterpret_cast<IUnknown**>(&m_page)));
    EXPECT_EQ(m_page->SetObjects(0, nullptr), S_OK);
    EXPECT_EQ(m_page->Help(nullptr), E_NOTIMPL);
    EXPECT_EQ(m_page->TranslateAccelerator(nullptr), E_NOTIMPL);
}

}  // namespace
