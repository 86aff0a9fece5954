// The UVC panel's presets as the colour-scheme dialog applies them, over a
// live video window on the simulated P8Z camera and the stand-in property
// library: the device's exposure, its modes and the gains afterwards.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <Globals.h>

#include <memory>
#include <string>

#include "ROREREverizaZizidodu.h"
#include "Resource.h"
#include "UvcCamInstall.h"
#include "UvcCameraPanel.h"
#include "UvcDevices.h"
#include "VideoWndTestHost.h"

using namespace videownd_test;

namespace {

const auto* g_host = ::testing::AddGlobalTestEnvironment(new HostEnvironment);

TEST(UvcPreset, P8ZPresetKeepsItsModesApartAndConvertsTheExposure) {
    ScopedCameras cameras{L"Camera-J20"};
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring ini = std::wstring(tmp) + L"uvc_preset_setting.ini";
    DeleteFileW(ini.c_str());
    const CString savedPath = g_strSettingsPath;
    g_strSettingsPath = ini.c_str();
    g_CamType = kCamDirectShow;
    g_CamSubType = 5;
    ASSERT_GE(GetVMCUVCDevCount(), 1);
    ASSERT_TRUE(AttachUVCDeviceByIndex(0));
    UvcDeviceState* dev = UvcDevice(L"Camera-J20");
    ASSERT_NE(dev, nullptr);
    {
        std::unique_ptr<COrvikDoc> doc(new COrvikDoc);
        std::unique_ptr<CGraphVideoWnd> wnd(new CGraphVideoWnd);
        ASSERT_TRUE(CreateOnFrame(wnd.get(), doc.get(), CRect(0, 0, 320, 240)));
        wnd->Start();
        CUvcCameraPanel panel;
        ASSERT_TRUE(panel.Create(IDD_UVC_PANEL, Frame()));
        panel.SetOwnerView(wnd.get());
        panel.LoadSettings(nullptr);

        // (slider 1021, exposure mode, automatic white balance) as a scheme stores them.
        const struct {
            int pos, mode, awb;
            LONG exposure, flags;
        } cases[] = {{5, 2, 0, -1, 2}, {2, 2, 1, -4, 2}, {3, 1, 0, -3, 1}, {1, 1, 1, -5, 1}};
        for (const auto& c : cases) {
            SCOPED_TRACE(c.pos * 100 + c.mode * 10 + c.awb);
            panel.ApplyPreset(12, 3, 14, 160, 5, 30, 40, 50, c.pos, c.mode, c.awb);
            if (c.flags == 2) {
                EXPECT_EQ(dev->cameraControl[4], c.exposure);
            }
            EXPECT_EQ(dev->cameraControlFlags[4], c.flags);
            EXPECT_EQ(dev->autoWhiteBalance, c.awb);
            EXPECT_EQ(IsDlgButtonChecked(panel.m_hWnd, 1128) == BST_CHECKED, c.mode == 1);
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(panel.m_hWnd, 1021)) != FALSE, c.mode == 2);
            EXPECT_EQ(IsDlgButtonChecked(panel.m_hWnd, 1084) == BST_CHECKED, c.awb == 1);
        }
        EXPECT_EQ(dev->dspGain[0], 30);
        EXPECT_EQ(dev->dspGain[1], 40);
        EXPECT_EQ(dev->dspGain[2], 50);
        EXPECT_EQ(dev->procAmp[0], 2);  // brightness 12 is device 2
        EXPECT_EQ(dev->procAmp[5], 160);
        EXPECT_EQ(g_nUvcGreenGain, 40);
        panel.DestroyWindow();
        wnd.reset();
        Pump();
    }
    DetachUVCDeviceALL();
    g_strSettingsPath = savedPath;
    DeleteFileW(ini.c_str());
    g_CamSubType = 0;
}

}  // namespace
