// Resource and command ids of Orvik and its language libraries. Every
// Lang*.dll carries the same ids; the program holds an English copy.
#pragma once

#include <AfxResource.h>

// ---------------------------------------------------------------- menus and document types
#define IDR_MAINFRAME            128  // frame without documents (menu, icon, strings)
#define IDR_PELLIXTYPE           129  // live preview, CamType 0
#define IDR_MYMENU               130
#define IDR_POPUP_MDITABS        132
#define IDR_POPUP_DROP_MDITABS   133
#define IDR_PREVIEWTYPE          185  // live preview, CamType 2..6
#define IDR_STILLTYPE            206  // still image
#define IDR_REALTIME_MENU        177  // sub-menu 0: the Realtime drop-down
#define IDR_LOGIC_MENU           184  // sub-menu 0: the Logic drop-down

// ---------------------------------------------------------------- toolbars and bitmaps
#define IDR_TOOLBAR_CAMERA       163
#define IDR_TOOLBAR_REALTIME     165
#define IDR_TOOLBAR_LOGIC        167
#define IDR_TOOLBAR_PROCESSING   141
#define IDR_TOOLBAR_MEASUREMENT  143
#define IDB_TOOLBAR_EXTRA1       201
#define IDB_TOOLBAR_EXTRA2       202
#define IDB_TOOLBAR_EXTRA3       203
#define IDB_TASKPANE_ICONS       153  // 16 px, magenta key
#define IDB_SPLASH               194

// Control ids of the bars (the menu bar shares 0xE806 with the Logic toolbar).
#define ID_BAR_CAMERA            0xE800
#define ID_BAR_STATUS            0xE801
#define ID_BAR_MENU              0xE806
#define ID_BAR_LOGIC             0xE806
#define ID_BAR_REALTIME          0xE807
#define ID_BAR_PROCESSING        0xE812
#define ID_BAR_MEASUREMENT       0xE813

// ---------------------------------------------------------------- dialogs
#define IDD_ABOUTBOX             100

// ---------------------------------------------------------------- commands
#define ID_VIEW_CUSTOMIZE        32770
#define ID_VIEW_TOOLBARS         32771
#define ID_WINDOW_MANAGER        32823
#define ID_VIEW_CAMPANE          32826
#define ID_VIEW_APPLOOK_2000     32833
#define ID_VIEW_APPLOOK_XP       32834
#define ID_VIEW_APPLOOK_2003     32835
#define ID_VIEW_APPLOOK_WIN_XP   32836
#define ID_VIEW_APPLOOK_VS2005   32837
#define ID_VIEW_APPLOOK_2007     32838
#define ID_VIEW_APPLOOK_2007_1   32839
#define ID_VIEW_APPLOOK_2007_2   32840
#define ID_VIEW_APPLOOK_2007_3   32841
#define ID_VIEW_APPLOOK_VS2008   32842
#define ID_MDI_NEW_VERT_GROUP    32852
#define ID_MDI_NEW_HORZ_TAB_GROUP 32853
#define ID_MDI_MOVE_TO_PREV_GROUP 32854
#define ID_MDI_CANCEL            32855
#define ID_MDI_MOVE_TO_NEXT_GROUP 32856
#define ID_AUTO_FOCUS            32860
#define ID_PREVIEW_CAMERA        32861
#define ID_CAPTURE               32862
#define ID_REALTIME_DROPDOWN     32874
#define ID_LOGIC_DROPDOWN        32886
#define ID_VIEW_FULLSCREEN       32907
#define ID_RECORD                32909
#define ID_CAPTURE_TO_VIEW       32920
#define ID_LANG_CHINESE          32929
#define ID_LANG_ENGLISH          32930
#define ID_LANG_GERMAN           32931
#define ID_LANG_FRENCH           32932
#define ID_LANG_JAPANESE         32933
#define ID_LANG_ARABIC           32934
#define ID_LANG_POLISH           32935
#define ID_RESOLUTION_COMBO      32944
#define ID_HELP_MANUAL           32945

// ---------------------------------------------------------------- status-bar indicators
#define ID_INDICATOR_MEMORY      59402  // image size in memory
#define ID_INDICATOR_ZOOM        59403  // zoom percent
#define ID_INDICATOR_DIMENSIONS  59404  // image dimensions
#define ID_INDICATOR_BPP         59405  // bits per pixel
#define ID_INDICATOR_FILE        59406  // file name with path

// ---------------------------------------------------------------- strings
#define IDS_NO_CAPTURE_HARDWARE  59435  // "Sorry, you have no video capture hardware. ..."
#define IDS_DB_CONNECT_FAILED    59436  // "connect database failed, please check the file of data.mdb."
#define IDS_HINT                 59441  // "Hint"
#define IDS_CAMERA_PANE          59449  // "Camera Pane"
#define IDS_TOOLBAR_REALTIME     59450  // "Realtime"
#define IDS_TOOLBAR_CAMERA       59451  // "Camera"
#define IDS_TOOLBAR_LOGIC        59452  // "Logic"
#define IDS_TOOLBAR_PROCESSING   59453  // "Image Processing"
#define IDS_TOOLBAR_MEASUREMENT  59454  // "Image Measurement"
#define IDS_TOOLBAR_CUSTOMIZE    59455  // "Customize..."
#define IDS_SAVE_IMAGE_PROMPT    59470  // "Do you want to save Image?"
#define IDS_CANNOT_PREVIEW       59473  // "Cannot preview successfully.Please check your camera."
#define IDS_ABOUT_ITEM           59474  // About item text, followed by the logo title
