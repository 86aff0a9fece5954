/* Test-only control channel of the simulated EZ-USB camera. Opened as
 * \\.\PellixSimControl; no product code uses it. Shared by the simulated
 * driver and the tests, so it is plain C with fixed-size fields. */
#ifndef PELLIX_SIM_CONTROL_H
#define PELLIX_SIM_CONTROL_H

#define PELLIX_SIM_CODE(fn) ((0x22u << 16) | ((fn) << 2)) /* METHOD_BUFFERED, any access */
#define PELLIX_SIM_RESET      PELLIX_SIM_CODE(0x900) /* everything back to the defaults */
#define PELLIX_SIM_GET_CONFIG PELLIX_SIM_CODE(0x901) /* out: PellixSimConfig */
#define PELLIX_SIM_SET_CONFIG PELLIX_SIM_CODE(0x902) /* in: PellixSimConfig */
#define PELLIX_SIM_GET_REGS   PELLIX_SIM_CODE(0x903) /* out: 256 uint16 */
#define PELLIX_SIM_SET_REG    PELLIX_SIM_CODE(0x904) /* in: 2 uint16, register and value */
#define PELLIX_SIM_GET_LOG    PELLIX_SIM_CODE(0x905) /* out: uint32 count, then records; clears */
#define PELLIX_SIM_GET_STATS  PELLIX_SIM_CODE(0x906) /* out: PellixSimStats; in (any): clears */

#define PELLIX_SIM_DEVICES 4      /* \\.\Pellix-0 to -3 exist; the mask says which answer */
#define PELLIX_SIM_OVERRIDES 16
#define PELLIX_SIM_LOG_SIZE 1024

/* The identity words of request 0xB9. */
#define PELLIX_SIM_ID_WORD0 0x20261210u
#define PELLIX_SIM_ID_WORD1 0x0000B00Bu

enum PellixSimScene {
    PELLIX_SCENE_FIXED = 0,   /* level per Bayer class, whatever the exposure */
    PELLIX_SCENE_EXPOSED = 1  /* level x shutter / shutterRef x global gain x colour gain */
};

/* The per-frame marker: 4 x 4 blocks of one value at rows 8 to 11, columns
 * 8 + 8 i: 0xA5, frame number low byte, high byte, 0x3C. Frame 1 is the first
 * after a start of streaming. Their centres demosaic to grey of that value. */
#define PELLIX_SIM_MARKER_ROW 8
#define PELLIX_SIM_MARKER_COL(i) (8 + 8 * (i))

#pragma pack(push, 4)
typedef struct PellixSimOverride {
    unsigned short x, y;      /* frame pixel */
    unsigned int value;
} PellixSimOverride;

typedef struct PellixSimConfig {
    unsigned int presentMask;     /* bit n: \\.\Pellix-n opens */
    unsigned int chipVersion;     /* register 0 */
    unsigned int framesPerSecond; /* stream pacing; 0: as fast as read */
    unsigned int stall;           /* 1: bulk reads wait until cleared */
    int failReads;                /* next n bulk reads fail; -1: all (unplugged) */
    int shortReads;               /* next n bulk reads return half their length */
    int failTransfers;            /* next n vendor requests and bulk writes fail */
    unsigned int scene;           /* PellixSimScene */
    unsigned int level[4];        /* G (even row, even column), R, B, second G */
    unsigned int vignettePercent; /* brightness loss at the edge, each axis */
    unsigned int shutterRef;      /* shutter count at which EXPOSED gives the level */
    unsigned int marker;          /* 1: stamp the frame marker */
    unsigned int overrideCount;
    PellixSimOverride overrides[PELLIX_SIM_OVERRIDES]; /* after scene and marker */
} PellixSimConfig;

enum PellixSimLogKind { PELLIX_LOG_VENDOR = 1, PELLIX_LOG_BULK_WRITE = 2 };

typedef struct PellixSimLogRecord {
    unsigned int kind;     /* PellixSimLogKind */
    unsigned int direction;
    unsigned int request;  /* vendor request code; pipe for bulk writes */
    unsigned int value;    /* vendor request value */
    unsigned int length;   /* data stage bytes */
    unsigned char data[16];
} PellixSimLogRecord;

typedef struct PellixSimStats {
    unsigned int reads;        /* bulk reads completed with data */
    unsigned int oddReads;     /* of them, not a multiple of 512 bytes */
    unsigned int maxRead, minRead;
    unsigned long long bytes;
    unsigned int streaming;
    unsigned int width, height; /* of the stream, latched at 0xB3 */
    unsigned int pending;       /* bulk reads queued */
} PellixSimStats;
#pragma pack(pop)

#endif
