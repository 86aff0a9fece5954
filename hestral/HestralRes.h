// String ids of the Hestral library's own message boxes.
#pragma once
#define IDS_CAMERA_NOT_FOUND 101
#define IDS_SENSOR_INIT_FAILED 102
#define IDS_INIT_FAILED 103
#define IDS_ERROR_CAPTION 104
#define IDS_CAMERA_CLOSED 105
#define IDS_CANT_CREATE_FILE 106
#define IDS_JPEG_CANT_OPEN 107
#define IDS_NO_IMAGE 108
#define IDS_MEMORY_OVER 109
#define IDS_WRITE_ERROR 110
