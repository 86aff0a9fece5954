// Resource ids of the Zentu TWAIN source (the setup page's come from the
// capture filter's ZentuRes.h).
#pragma once

// Strings: the source's identity, the sheet's caption, the messages.
#define IDS_INFO 1
#define IDS_MANUFACTURER 2
#define IDS_FAMILY 3
#define IDS_PRODUCT 4
#define IDS_SETTINGS_ZH 5
#define IDS_SETTINGS_EN 6
#define IDS_START_FAILED 7
#define IDS_PREVIEW_FAILED 8
#define IDS_OPEN_FAILED 9
#define IDS_SAVE_TITLE 10
#define IDS_SIZE_1280 11
#define IDS_SIZE_1024 12
#define IDS_SIZE_640 13

// The source dialog.
#define IDD_SOURCE_ZH 1130
#define IDD_SOURCE_EN 1131
#define IDC_SOURCE_SIZE 1132
#define IDC_CAPTURE 1134
#define IDC_SETTINGS 1135
#define IDC_RGBBGR 1136
#define IDC_PREVIEW 1137
