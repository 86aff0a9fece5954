// Result codes, constants and records shared by the imaging classes.
#pragma once

#include <windows.h>

typedef int L_INT;

// Every member answers SUCCESS or one of the negative codes below.
enum : L_INT {
    SUCCESS = 1,
    FAILURE = 0,
    LERR_NO_MEMORY = -1,
    LERR_NO_BITMAP = -2,
    LERR_FILE_READ = -3,
    LERR_FILE_WRITE = -4,
    LERR_FILE_FORMAT = -5,
    LERR_FILE_NOT_FOUND = -6,
    LERR_FILE_CORRUPT = -7,
    LERR_IMAGE_TOO_LARGE = -8,
    LERR_INV_PARAMETER = -9,
    LERR_BITS_PER_PIXEL = -10,
    LERR_CLIPBOARD = -11,
    LERR_NO_WINDOW = -12,
    LERR_DLG_CANCELED = -13,
};

// File formats of Load and Save.
enum : L_INT {
    FILE_BMP = 6,
    FILE_JFIF = 10,
};

// Colour order of Load: blue-green-red rows, or grey/palette indices.
enum : L_INT {
    ORDER_BGRORGRAY = 4,
};

// Rotate flags.
enum : UINT {
    ROTATE_RESIZE = 1,
};

// Size flags.
enum : UINT {
    SIZE_NORMAL = 0,
    SIZE_RESAMPLE = 2,
};

// CopyToClipboard flags.
enum : UINT {
    COPY2CB_EMPTY = 1,
    COPY2CB_DIB = 2,
    COPY2CB_DDB = 4,
    COPY2CB_PALETTE = 8,
};

// GetInfo flags.
enum : UINT {
    FILEINFO_TOTALPAGES = 1,
};

// Load options. The loader reads none of the fields; callers may clear them.
struct LOADFILEOPTION {
    UINT uStructSize;
    UINT Flags;
    L_INT PageNumber;
    L_INT Passes;
    UINT Reserved1;
    UINT Flags2;
    UINT Reserved2[4];
};

// Save options: no writer option is used yet.
struct SAVEFILEOPTION {
    UINT uStructSize;
    UINT Flags;
    UINT Reserved[6];
};

struct FILEINFO {
    UINT uStructSize;
    L_INT Format;          // FILE_BMP or FILE_JFIF
    L_INT Width;
    L_INT Height;
    L_INT BitsPerPixel;    // as stored in the file: 1, 4, 8, 16, 24 or 32
    L_INT TotalPages;      // always 1
    DWORD SizeDisk;        // file size in bytes
    DWORD SizeMem;         // bytes a bitmap of this depth needs
    BOOL IsProgressive;    // JPEG only
};

typedef LOADFILEOPTION* pLOADFILEOPTION;
typedef SAVEFILEOPTION* pSAVEFILEOPTION;
typedef FILEINFO* pFILEINFO;
