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
#define IDB_ABOUT                195  // the About box's banner
// The adjust panels' button pictures, 16 px.
#define IDB_AUTO_EXPOSURE        172
#define IDB_AUTO_WB              173
#define IDB_DEFAULT              198
#define IDB_DATABASE             199

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
#define IDD_PELLIX_ADJUST        160  // Marrowin adjust panel
#define IDD_CAPTURE_BOX          161  // capture panel
#define IDD_VIDEO_BOX            162  // video control panel
#define IDD_MEASURE_COLOR        174  // colours of the measurement layer
#define IDD_THRESHOLD            176  // binary threshold of the live picture
#define IDD_CAPTURE_SET          179  // capture settings
#define IDD_RECORD               195  // recording of the live picture
#define IDD_RATIO                183  // factor of the multiply mask operation
#define IDD_MARKER               200  // marker overlay units and colour
#define IDD_UVC_PANEL            185  // UVC camera-control panel (shares 185 with a menu)
#define IDD_HESTRAL_ADJUST       217  // Hestral adjust panel
#define IDD_RULER_SET            166  // calibration of a still image (modeless)
#define IDD_IMAGE_PROCESS        203  // strength of one still-image operation, with previews
#define IDD_COLOR_SCHEME         196  // camera presets, Marrowin and Hestral
#define IDD_SCHEME_NAME          197  // name of a new preset
#define IDD_UVC_COLOR_SCHEME     201  // camera presets, DirectShow cameras
#define IDD_UVC_SCHEME_NAME      202  // name of a new DirectShow preset

// About box
#define IDC_ABOUT_LINK           1041
#define IDC_ABOUT_TITLE          1088

// Slider rows shared by the adjust panels: slider, value, minimum, maximum label
#define IDC_SLD_EXPOSURE         1004
#define IDC_SLD_GAIN             1008
#define IDC_SLD_RED              1012
#define IDC_SLD_GREEN            1016
#define IDC_SLD_BLUE             1020
#define IDC_SLD_WB_EXPOSURE      1021  // UVC: white balance (R5V) or exposure (P8Z)
#define IDC_SLD_GAMMA            1024
#define IDC_SLD_SATURATION       1028
#define IDC_SLD_CONTRAST         1080
#define IDC_SLD_BRIGHTNESS       1076
#define IDC_SLD_SHARPNESS        1085
#define IDC_SLD_AE_TARGET        1098
#define IDC_SLD_EXPOSURE_TIME    1094
#define IDC_LBL_EXPOSURE_MIN     1026
#define IDC_LBL_EXPOSURE_VAL     1027
#define IDC_LBL_EXPOSURE_MAX     1029
#define IDC_LBL_GAIN_MIN         1030
#define IDC_LBL_GAIN_VAL         1031
#define IDC_LBL_GAIN_MAX         1033
#define IDC_LBL_RED_MIN          1034
#define IDC_LBL_RED_VAL          1035
#define IDC_LBL_RED_MAX          1038
#define IDC_LBL_GREEN_MIN        1039
#define IDC_LBL_GREEN_VAL        1040
#define IDC_LBL_GREEN_MAX        1041
#define IDC_LBL_BLUE_MIN         1042
#define IDC_LBL_BLUE_VAL         1043
#define IDC_LBL_BLUE_MAX         1044
#define IDC_LBL_GAMMA_MIN        1036
#define IDC_LBL_GAMMA_VAL        1045
#define IDC_LBL_GAMMA_MAX        1047
#define IDC_LBL_SATURATION_MIN   1037
#define IDC_LBL_SATURATION_VAL   1046
#define IDC_LBL_SATURATION_MAX   1048
#define IDC_LBL_CONTRAST_MIN     1081
#define IDC_LBL_CONTRAST_VAL     1082
#define IDC_LBL_CONTRAST_MAX     1083
#define IDC_LBL_BRIGHTNESS_VAL   1077
#define IDC_LBL_BRIGHTNESS_MIN   1078
#define IDC_LBL_BRIGHTNESS_MAX   1079
#define IDC_LBL_SHARPNESS_VAL    1049
#define IDC_LBL_SHARPNESS_MIN    1050
#define IDC_LBL_SHARPNESS_MAX    1051
#define IDC_LBL_WB_MIN           1053
#define IDC_LBL_WB_VAL           1055
#define IDC_LBL_WB_MAX           1056
#define IDC_LBL_AE_TARGET_MIN    1091
#define IDC_LBL_AE_TARGET_VAL    1092
#define IDC_LBL_AE_TARGET_MAX    1093
#define IDC_LBL_EXPTIME_MIN      1095
#define IDC_LBL_EXPTIME_VAL      1096
#define IDC_LBL_EXPTIME_MAX      1097

// Marrowin adjust panel (160)
#define IDC_PX_DEFAULT           1054
#define IDC_PX_COLOR_SCHEME      1063
#define IDC_PX_WHITE_BALANCE     1082
#define IDC_PX_AUTO_EXPOSURE     1090
#define IDC_PX_CONTINUOUS_AE     1052

// Hestral adjust panel (217)
#define IDC_HS_COLOR_ENHANCE     1088
#define IDC_HS_AUTO_EXPOSURE     1090
#define IDC_HS_WHITE_BALANCE     1054
#define IDC_HS_DEFAULT           1102
#define IDC_HS_COLOR_SCHEME      1103

// UVC camera panel (185): row captions, check boxes, buttons
#define IDC_UVC_CAP_WB_EXPOSURE  1113
#define IDC_UVC_CAP_BLUE         1114
#define IDC_UVC_CAP_GREEN        1115
#define IDC_UVC_CAP_RED          1116
#define IDC_UVC_CAP_SHARPNESS    1117
#define IDC_UVC_CAP_GAMMA        1118
#define IDC_UVC_CAP_CONTRAST     1119
#define IDC_UVC_CAP_SATURATION   1120
#define IDC_UVC_CAP_BRIGHTNESS   1121
#define IDC_UVC_AUTO_WB          1084
#define IDC_UVC_AUTO_EXPOSURE    1128
#define IDC_UVC_DEFAULT          1054
#define IDC_UVC_COLOR_SCHEME     1063

// Capture panel (161)
#define IDC_CAP_BROWSE           1054
#define IDC_CAP_FOLDER           1053
#define IDC_CAP_TYPE             1057
#define IDC_CAP_WAIT             1083
#define IDC_CAP_INTERVAL         1084
#define IDC_CAP_IMAGES           1085
#define IDC_CAP_SPIN_WAIT        1086
#define IDC_CAP_SPIN_INTERVAL    1087
#define IDC_CAP_SPIN_IMAGES      1088
#define IDC_CAP_PREFIX           1089
#define IDC_CAP_NUMBER           1090
#define IDC_CAP_REMAINING        1091
#define IDC_CAP_CURRENT_NAME     1092
#define IDC_CAP_CURRENT_INDEX    1093
#define IDC_CAP_START            1094
#define IDC_CAP_STOP             1095
#define IDC_CAP_RESOLUTION_LABEL 1122
#define IDC_CAP_RESOLUTION       1123
#define IDC_CAP_CAPTURE          1124
#define IDC_CAP_RECORD           1125
#define IDC_CAP_RECORD_GROUP     1126
#define IDC_CAP_CAPTURE_GROUP    1127
#define IDC_REC_PATH             1053
#define IDC_REC_BROWSE           1054
#define IDC_REC_START            1094

// Video control panel (162)
#define IDC_VID_HFLIP            1000
#define IDC_VID_VFLIP            1001
#define IDC_VID_LIVE             1054
#define IDC_VID_PAUSE            1055
#define IDC_VID_HIGH_RES         1099
#define IDC_VID_LOW_RES          1100
#define IDC_VID_LED              1104
#define IDC_VID_HALOGEN          1105
#define IDC_VID_RES_GROUP        1106
#define IDC_VID_LIGHT_GROUP      1107

// Preset dialogs (196, 201) and their name dialogs (197, 202)
#define IDC_SCH_ADD              1054
#define IDC_SCH_LIST             1065
#define IDC_SCH_APPLY            1066
#define IDC_SCH_DELETE           1067
#define IDC_SCH_NAME             1069

// Capture settings (179)
#define IDC_CS_SINGLE_X          1060
#define IDC_CS_SINGLE_Y          1061
#define IDC_CS_MULTI_X           1062
#define IDC_CS_MULTI_Y           1063
#define IDC_CS_SAVE_TIME         1073
#define IDC_CS_SAVE_MARKER       1074

// Threshold (176) and ratio (183) dialogs: the slider and its value
#define IDC_SET_SLIDER           1059
#define IDC_SET_VALUE            1061
#define IDC_PROC_BEFORE          1003  // the processing dialog's previews, value box and slider
#define IDC_PROC_AFTER           1004
#define IDC_PROC_VALUE           1009
#define IDC_PROC_SLIDER          1059

// Marker settings (200)
#define IDC_MK_GRID_UNIT         1054
#define IDC_MK_CIRCLE_UNIT       1055
#define IDC_MK_RULER_UNIT        1070
#define IDC_MK_SAVE_MARKER       1071  // shown only: saving the marker is a setting.ini key
#define IDC_MK_COLOR             1072

// Measurement colours (174)
#define IDC_MC_POINTS            1067
#define IDC_MC_LINES             1068
#define IDC_MC_ADJUST_POINTS     1069
#define IDC_MC_TEXT              1070

// Calibration (166)
#define IDC_RS_X_RESULT          1050
#define IDC_RS_Y_RESULT          1051
#define IDC_RS_X_UNIT_PER_PIXEL  1052
#define IDC_RS_Y_UNIT_PER_PIXEL  1053
#define IDC_RS_X_UNIT            1054
#define IDC_RS_Y_UNIT            1055
#define IDC_RS_X_REAL            1056
#define IDC_RS_Y_REAL            1057
#define IDC_RS_UNIT              1058
#define IDC_RS_X_START           1060
#define IDC_RS_X_END             1061
#define IDC_RS_X_LENGTH          1062
#define IDC_RS_Y_START           1063
#define IDC_RS_Y_END             1064
#define IDC_RS_Y_LENGTH          1065
#define IDC_RS_SAVE              1066
#define IDC_RS_LOAD              1067
#define IDC_RS_DEFAULT           1068  // no handler
#define IDC_RS_PAUSE_COMBO       1084  // no handler
#define IDC_RS_PAUSE_BUTTON      1087  // no handler

// ---------------------------------------------------------------- commands
#define ID_VIEW_CUSTOMIZE        32770
#define ID_VIEW_TOOLBARS         32771
#define ID_WINDOW_MANAGER        32823
#define ID_VIEW_CAMPANE          32826
#define ID_SAVE_STILL            32827  // Capture button of the toolbar
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
#define ID_FLIP_HORIZONTAL       32863
#define ID_FLIP_VERTICAL         32864
#define ID_RELOAD_CAMERA         32865
#define ID_ZOOM_SUITABLE         32866
#define ID_ZOOM_REAL             32867
#define ID_OVERLAY_RULER         32869
#define ID_OVERLAY_SQUARE        32870
#define ID_OVERLAY_CIRCLE        32871
#define ID_MARKER_SETTING        32872
#define ID_FILTER_GRAY           32873
#define ID_REALTIME_DROPDOWN     32874  // "Binary" filter, drops down the Realtime menu
#define ID_FILTER_BINARY         32874
#define ID_FILTER_INVERT         32875
#define ID_FILTER_SHARPNESS      32876
#define ID_FILTER_EMBOSS         32877
#define ID_FILTER_CLEAR_NOISE    32878
#define ID_FILTER_EQUALIZE       32879
#define ID_MASK_AND              32881
#define ID_MASK_OR               32882
#define ID_MASK_XOR              32883
#define ID_MASK_ADD              32884
#define ID_MASK_SUB              32885
#define ID_LOGIC_DROPDOWN        32886  // "MULTIPLY" mask, drops down the Logic menu
#define ID_MASK_MULTIPLY         32886
#define ID_MASK_DIVIDE           32887
#define ID_MASK_LOAD             32888
#define ID_THRESHOLD             32889
#define ID_RATIO                 32890
#define ID_MEASURE_POINT         32893
#define ID_MEASURE_LINE          32894
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
#define ID_CAPTURE_SETTING       33829

// Still-image commands
#define ID_IMG_AVERAGE           32772
#define ID_IMG_MEDIAN            32774
#define ID_IMG_SHARPEN           32775
#define ID_IMG_EMBOSS            32776
#define ID_IMG_REVERSE           32777
#define ID_IMG_FLIP              32778
#define ID_IMG_ROTATE_90         32779
#define ID_IMG_ROTATE_180        32780
#define ID_IMG_ROTATE_270        32781
#define ID_IMG_ROTATE_ANY        32782
#define ID_IMG_ZOOM_IN           32783
#define ID_IMG_ZOOM_OUT          32784
#define ID_MEAS_LINE             32786
#define ID_MEAS_ANGLE            32788
#define ID_MEAS_RECTANGLE        32789
#define ID_MEAS_ROUND            32790
#define ID_MEAS_MOVE             32791
#define ID_VIEW_WORKSPACE2       32792
#define ID_IMG_ZOOM_1_1          32799
#define ID_MEAS_DELETE_ONE       32824
#define ID_MEAS_DELETE_ALL       32825
#define ID_IMG_INVERT            32911
#define ID_IMG_BRIGHTNESS        32912
#define ID_IMG_CONTRAST          32913
#define ID_IMG_SATURATION        32914
#define ID_MEAS_MERGE            32915
#define ID_MEAS_GENERATE_DATA    32916
#define ID_MEAS_CALIBRATION      32918
#define ID_MEAS_TOOL_SET         32919
#define ID_MEAS_SHOW_RULER       32925
#define ID_MEAS_TEXT             32927
#define ID_MEAS_POLYGON          32928

// ---------------------------------------------------------------- status-bar indicators
#define ID_INDICATOR_MEMORY      59402  // image size in memory
#define ID_INDICATOR_ZOOM        59403  // zoom percent
#define ID_INDICATOR_DIMENSIONS  59404  // image dimensions
#define ID_INDICATOR_BPP         59405  // bits per pixel
#define ID_INDICATOR_FILE        59406  // file name with path

// ---------------------------------------------------------------- strings
#define IDS_IMAGE_AVERAGE        59394  // titles of the processing dialog, by mode
#define IDS_IMAGE_MEDIAN         59395
#define IDS_IMAGE_SHARPEN        59396
#define IDS_IMAGE_EMBOSS         59397
#define IDS_IMAGE_ROTATE         59398
#define IDS_IMAGE_BRIGHTNESS     59399
#define IDS_IMAGE_CONTRAST       59400  // "ImageConstrast"
#define IDS_IMAGE_SATURATION     59401
#define IDS_EXPOSURE             59407  // slider names and button captions of the camera panels
#define IDS_GAIN                 59408
#define IDS_RED                  59409
#define IDS_GREEN                59410
#define IDS_BLUE                 59411
#define IDS_GAMMA                59412
#define IDS_SATURATION           59413
#define IDS_AUTO_EXP             59415
#define IDS_AUTO_WB              59416
#define IDS_DATABASE             59417
#define IDS_DEFAULT              59418
#define IDS_TIP_AUTO_EXPOSURE    59419
#define IDS_TIP_AUTO_WB          59420
#define IDS_TIP_DATABASE         59421
#define IDS_TIP_DEFAULT          59422
#define IDS_MULTI_CAPTURE        59423
#define IDS_TIP_MULTI_CAPTURE    59424
#define IDS_RECORD_VIDEO         59425
#define IDS_STOP                 59427
#define IDS_TIP_STOP_SERIES      59428
#define IDS_WAIT_RANGE           59429  // wait or interval out of range
#define IDS_IMAGES_RANGE         59430  // images out of range
#define IDS_PAUSE                59431
#define IDS_TIP_PAUSE            59432
#define IDS_LIVE                 59433
#define IDS_TIP_LIVE             59434
#define IDS_NO_CAPTURE_HARDWARE  59435  // "Sorry, you have no video capture hardware. ..."
#define IDS_DB_CONNECT_FAILED    59436  // "connect database failed, please check the file of data.mdb."
#define IDS_MASK_DEPTH           59437  // "Only support 24-bit or 32-bit images!"
#define IDS_OK                   59438
#define IDS_CANCEL               59439
#define IDS_ENTER_ITEM_NAME      59440
#define IDS_HINT                 59441  // "Hint"
#define IDS_TIP_APPLY            59442
#define IDS_TIP_EXIT             59443
#define IDS_GROUP_VIDEO          59444  // "Video"
#define IDS_GROUP_ADJUST         59445  // "Adjust"
#define IDS_GROUP_CAPTURE        59446  // "Capture"
#define IDS_TASK_CAPTURE_SETTING 59447  // "Capture setting"
#define IDS_CAPTURE              59448
#define IDS_CAMERA_PANE          59449  // "Camera Pane"
#define IDS_TOOLBAR_REALTIME     59450  // "Realtime"
#define IDS_TOOLBAR_CAMERA       59451  // "Camera"
#define IDS_TOOLBAR_LOGIC        59452  // "Logic"
#define IDS_TOOLBAR_PROCESSING   59453  // "Image Processing"
#define IDS_TOOLBAR_MEASUREMENT  59454  // "Image Measurement"
#define IDS_TOOLBAR_CUSTOMIZE    59455  // "Customize..."
#define IDS_TIP_BROWSE           59456
#define IDS_START                59457
#define IDS_SELECT_PATH_FIRST    59458
#define IDS_TIP_DELETE           59459
#define IDS_TIP_ADD              59460
#define IDS_CONFIRM_DELETE       59461
#define IDS_CONFIRM              59462
#define IDS_NAME_EXISTS          59463
#define IDS_CONFIRM_APPLY        59464
#define IDS_SAVE_IMAGE_PROMPT    59470  // "Do you want to save Image?"
#define IDS_DELETE_ALL_MEASURES  59471
#define IDS_SAVE_MEASURES        59472
#define IDS_CANNOT_PREVIEW       59473  // "Cannot preview successfully.Please check your camera."
#define IDS_ABOUT_ITEM           59474  // About item text, followed by the logo title
#define IDS_CHOOSE_COLOR         59475  // a colour combo left without a selection
#define IDS_UNIT_POSITIVE        59476  // a marker unit of 0 or less
#define IDS_RULER_LENGTH_POSITIVE 59477 // a real length that is no number above 0
#define IDS_SAVE_UNKNOWN_TYPE    59478  // Save of a picture whose file is neither .bmp nor .jpg
// Column titles of the preset lists
#define IDS_COL_NO               59520
#define IDS_COL_ITEM             59521
#define IDS_COL_CONTRAST         59522
#define IDS_COL_BRIGHTNESS       59523
#define IDS_COL_SHARPNESS        59524
#define IDS_COL_WHITE_BALANCE    59525
#define IDS_COL_AUTO_EXPOSURE    59526
#define IDS_COL_AUTO_WB          59527
