/* The simulated Zentu camera driver's test channel: \\.\zentu-ctl.
   Shared by the driver and the test programs; product code never opens it. */
#ifndef ZENTU_SIM_PROTOCOL_H
#define ZENTU_SIM_PROTOCOL_H

#define ZENTU_SIM_CAMERAS 4
#define ZENTU_SIM_REGISTERS 256
#define ZENTU_SIM_NV_WORDS 16384
#define ZENTU_SIM_LOG_ENTRIES 16384

/* CTL_CODE(FILE_DEVICE_UNKNOWN, 0x900 + n, METHOD_BUFFERED, FILE_ANY_ACCESS) */
#define ZENTU_SIM_CODE(n) (0x00220000u | ((0x900u + (n)) << 2))
#define ZSIM_RESET        ZENTU_SIM_CODE(0)  /* every camera back to power-on, log cleared, camera 0 present */
#define ZSIM_SET_PRESENT  ZENTU_SIM_CODE(1)  /* a = bit mask of the cameras whose \\.\zentu-<n> exists */
#define ZSIM_GET_LOG      ZENTU_SIM_CODE(2)  /* a = first entry; out: ZentuSimLogHeader + entries */
#define ZSIM_CLEAR_LOG    ZENTU_SIM_CODE(3)
#define ZSIM_GET_REGS     ZENTU_SIM_CODE(4)  /* out: 256 register words */
#define ZSIM_SET_REG      ZENTU_SIM_CODE(5)  /* a = register, b = value */
#define ZSIM_NV_READ      ZENTU_SIM_CODE(6)  /* a = address, b = count; out: words */
#define ZSIM_NV_WRITE     ZENTU_SIM_CODE(7)  /* a = address, b = count; the words follow the command */
#define ZSIM_SET_FAULT    ZENTU_SIM_CODE(8)  /* a = ZSIM_FAULT_*, b and c below */
#define ZSIM_SET_SCENE    ZENTU_SIM_CODE(9)  /* a = ZSIM_SCENE_* */
#define ZSIM_SET_PERIOD   ZENTU_SIM_CODE(10) /* a = frame period in microseconds, 0 = from the sensor timing */
#define ZSIM_GET_STATUS   ZENTU_SIM_CODE(11) /* out: ZentuSimStatus */

/* Faults, each for the camera named in the command. */
#define ZSIM_FAULT_MIDFRAME   1 /* the next b frames start c bytes in, as if reading began mid-frame */
#define ZSIM_FAULT_FRAME_SIZE 2 /* the next b frames carry (signed) c bytes more than their geometry */
#define ZSIM_FAULT_STATUS     3 /* the next b vendor replies end in status c instead of 8 */
#define ZSIM_FAULT_UNPLUG     4 /* b = 1: reads and requests fail as for a removed camera */
#define ZSIM_FAULT_STALL      5 /* b = 1: the sensor stops sending; reads stay pending */

#define ZSIM_SCENE_CHART 0 /* the colour chart with its orientation marker */
#define ZSIM_SCENE_FLAT  1 /* a uniform grey field */

/* Log entry kinds. */
#define ZSIM_LOG_VENDOR 1 /* a vendor request: dir, request, value, index, length = output bytes */
#define ZSIM_LOG_READ   2 /* a frame read: length = bytes asked for */
#define ZSIM_LOG_OPEN   3
#define ZSIM_LOG_CLOSE  4 /* the last reference of a handle went (cleanup) */

typedef struct ZentuSimCommand {
    unsigned int camera;
    unsigned int a, b, c;
} ZentuSimCommand;

typedef struct ZentuSimLogEntry {
    unsigned char camera, kind, dir, request;
    unsigned short value, index;
    unsigned int length;
} ZentuSimLogEntry;

typedef struct ZentuSimLogHeader {
    unsigned int total;    /* entries logged since the last clear */
    unsigned int overflow; /* 1 when entries were lost for want of room */
} ZentuSimLogHeader;

typedef struct ZentuSimStatus {
    unsigned int present, streaming, unplugged, stalled;
    unsigned int framesStarted, framesDropped, pendingReads, openHandles;
    unsigned int frameWidth, frameHeight, periodUs, lastFrame;
} ZentuSimStatus;

#endif
