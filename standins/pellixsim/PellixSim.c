/* Simulated EZ-USB general-purpose driver with the Marrowin camera behind it.
 *
 * Devices \\.\Pellix-0 to -3 speak the driver's public control codes (vendor
 * request, bulk write, bulk read); \\.\PellixSimControl is the test channel.
 * The camera is one sensor register file and a continuous stream of
 * back-to-back raw frames (8-bit, G R / B G) of the programmed geometry, made
 * from a deterministic scene. Bulk reads are queued and completed by the
 * driver's own thread, paced at the configured frame rate. */
#include <ntddk.h>
#include "PellixSimControl.h"

/* The header only offers the amd64 macro over the kernel's shared page,
 * which Wine does not map; call the export instead. */
#undef KeQueryTickCount
NTKERNELAPI VOID NTAPI KeQueryTickCount(PLARGE_INTEGER count);

/* Monotonic time in 100 ns units. */
static ULONGLONG now100ns(void)
{
    LARGE_INTEGER ticks;
    KeQueryTickCount(&ticks);
    return (ULONGLONG)ticks.QuadPart * KeQueryTimeIncrement();
}

#define IOCTL_VENDOR 0x222059u
#define IOCTL_BULK_WRITE 0x222051u
#define IOCTL_BULK_READ 0x22204Eu

#define MAX_W 2592
#define MAX_H 1944
#define TAG 0x6C786550u /* "Pelx" */

typedef struct DeviceExt {
    int index; /* 0..3, or -1 for the control device */
} DeviceExt;

/* Everything below is guarded by g_lock unless said otherwise. */
static KSPIN_LOCK g_lock;
static PellixSimConfig g_cfg;
static USHORT g_regs[256];
static PellixSimLogRecord g_log[PELLIX_SIM_LOG_SIZE];
static ULONG g_logCount;
static PellixSimStats g_stats;
static LIST_ENTRY g_queue; /* pending bulk reads */
static ULONG g_epoch;      /* counts starts of streaming */
static ULONG g_streaming;  /* between 0xB3 and 0xB8; survives a reset of the test state */
static ULONGLONG g_pos;    /* next stream byte to hand out */
static ULONGLONG g_t0;     /* interrupt time of the start of streaming */
static ULONG g_streamW, g_streamH, g_colStart, g_rowStart, g_colStep, g_rowStep;
static volatile LONG g_sceneDirty;
static KEVENT g_wake;

/* Written only by the worker thread. */
static UCHAR *g_base;        /* one frame of the scene without marker */
static ULONG g_baseW, g_baseH;

static KIRQL lock(void) { return KeAcquireSpinLockRaiseToDpc(&g_lock); }
static void unlock(KIRQL irql) { KeReleaseSpinLock(&g_lock, irql); }

static void defaultConfig(void)
{
    RtlZeroMemory(&g_cfg, sizeof g_cfg);
    g_cfg.presentMask = 1;
    g_cfg.chipVersion = 0x1801;
    g_cfg.framesPerSecond = 30;
    g_cfg.scene = PELLIX_SCENE_FIXED;
    g_cfg.level[0] = g_cfg.level[3] = 120;
    g_cfg.level[1] = 160;
    g_cfg.level[2] = 80;
    g_cfg.shutterRef = 1000;
    g_cfg.marker = 1;
}

/* Power-on register values; 0x0D = 1 brings them back. */
static void resetRegisters(void)
{
    int i;
    RtlZeroMemory(g_regs, sizeof g_regs);
    g_regs[0x00] = (USHORT)g_cfg.chipVersion;
    g_regs[0x03] = (g_cfg.chipVersion == 0x1621 ? 1536 : MAX_H) - 1;
    g_regs[0x04] = (g_cfg.chipVersion == 0x1621 ? 2048 : MAX_W) - 1;
    g_regs[0x09] = 1000;
    for (i = 0x2B; i <= 0x2E; ++i)
        g_regs[i] = 0x0008; /* gain 1.0 in the 1..4 range */
    g_sceneDirty = 1;
}

static void logRecord(ULONG kind, ULONG dir, ULONG req, ULONG value, const UCHAR *data, ULONG len)
{
    PellixSimLogRecord *r;
    ULONG i;
    if (g_logCount >= PELLIX_SIM_LOG_SIZE)
        return;
    r = &g_log[g_logCount++];
    r->kind = kind;
    r->direction = dir;
    r->request = req;
    r->value = value;
    r->length = len;
    for (i = 0; i < len && i < sizeof r->data; ++i)
        r->data[i] = data[i];
}

static int sensorMaxW(void) { return g_cfg.chipVersion == 0x1621 ? 2048 : MAX_W; }
static int sensorMaxH(void) { return g_cfg.chipVersion == 0x1621 ? 1536 : MAX_H; }

/* Latches the geometry of registers 1 to 4, 0x22 and 0x23 for the stream. */
static void startStream(void)
{
    ULONG colSkip = (g_regs[0x23] & 7) + 1, rowSkip = (g_regs[0x22] & 7) + 1;
    ULONG colBin = ((g_regs[0x23] >> 4) & 3) + 1;
    LONG colStart, rowStart;
    if (g_cfg.chipVersion == 0x1621) {
        colStart = (LONG)g_regs[0x02] - (colBin == 3 ? 36 : 32);
        rowStart = (LONG)g_regs[0x01] - 20;
    } else {
        colStart = (LONG)g_regs[0x02] - 18;
        rowStart = (LONG)g_regs[0x01] - 54;
    }
    g_colStart = colStart < 0 ? 0 : (ULONG)colStart;
    g_rowStart = rowStart < 0 ? 0 : (ULONG)rowStart;
    g_colStep = colSkip;
    g_rowStep = rowSkip;
    g_streamW = (g_regs[0x04] + 1u) / colSkip;
    g_streamH = (g_regs[0x03] + 1u) / rowSkip;
    if (g_streamW * g_streamH > MAX_W * MAX_H)
        g_streamW = g_streamH = 0;
    g_streaming = 1;
    g_stats.width = g_streamW;
    g_stats.height = g_streamH;
    g_pos = 0;
    g_t0 = now100ns();
    ++g_epoch;
    g_sceneDirty = 1;
}

/* ---- the scene --------------------------------------------------------- */

/* Brightness along one axis in 1/65536: 1 at the centre, 1 - v at the edges. */
static ULONG vignette(ULONG pos, ULONG size, ULONG percent)
{
    LONGLONG d = 2 * (LONGLONG)pos - ((LONGLONG)size - 1);
    LONGLONG den = ((LONGLONG)size - 1) * ((LONGLONG)size - 1);
    if (den <= 0)
        return 65536;
    return (ULONG)(65536 - (LONGLONG)percent * 65536 * d * d / (100 * den));
}

/* Class gain in 1/256 of the EXPOSED scene from a gain register. */
static ULONGLONG gain256(USHORT reg)
{
    ULONG global = (reg >> 8) & 0xFF, low = reg & 0x3F;
    ULONG den = (reg & 0x40) ? 4 : 8;
    return (ULONGLONG)(8 + global) * low * 256 / (8 * den);
}

/* Rebuilds the frame without marker; runs on the worker thread only. */
static void buildScene(ULONG w, ULONG h, ULONG colStart, ULONG rowStart, ULONG colStep, ULONG rowStep)
{
    static ULONG fx[MAX_W], fy[MAX_H];
    PellixSimConfig cfg;
    USHORT regs[256];
    ULONGLONG level256[4];
    ULONG x, y, k, maxW, maxH;
    KIRQL irql = lock();
    cfg = g_cfg;
    RtlCopyMemory(regs, g_regs, sizeof regs);
    maxW = sensorMaxW();
    maxH = sensorMaxH();
    g_sceneDirty = 0;
    unlock(irql);

    for (k = 0; k < 4; ++k) {
        static const int reg[4] = {0x2B, 0x2D, 0x2C, 0x2E};
        level256[k] = (ULONGLONG)cfg.level[k] * 256;
        if (cfg.scene == PELLIX_SCENE_EXPOSED) {
            ULONGLONG s = ((ULONGLONG)regs[0x08] << 16) | regs[0x09];
            ULONG ref = cfg.shutterRef ? cfg.shutterRef : 1;
            level256[k] = (ULONGLONG)cfg.level[k] * s * gain256(regs[reg[k]]) / ref;
            if (level256[k] > 255 * 256 * 4)
                level256[k] = 255 * 256 * 4;
        }
    }
    /* Skipping reads pixel pairs, so the Bayer phase survives. */
    for (x = 0; x < w; ++x) {
        ULONG sx = colStart + (x / 2) * 2 * colStep + (x & 1);
        fx[x] = vignette(sx < maxW ? sx : maxW - 1, maxW, cfg.vignettePercent);
    }
    for (y = 0; y < h; ++y) {
        ULONG sy = rowStart + (y / 2) * 2 * rowStep + (y & 1);
        fy[y] = vignette(sy < maxH ? sy : maxH - 1, maxH, cfg.vignettePercent);
    }
    for (y = 0; y < h; ++y) {
        UCHAR *row = g_base + (SIZE_T)y * w;
        for (x = 0; x < w; ++x) {
            ULONGLONG v = level256[(y & 1) * 2 + (x & 1)];
            v = ((v * fx[x]) >> 16) * fy[y] >> 16;
            v = (v + 128) >> 8;
            row[x] = (UCHAR)(v > 255 ? 255 : v);
        }
    }
    g_baseW = w;
    g_baseH = h;
}

/* Frame byte at offset off of frame number frame, marker and overrides included. */
static void stampFrame(UCHAR *dst, ULONG off, ULONG len, ULONG w, ULONG h, ULONG frame,
                       const PellixSimConfig *cfg)
{
    ULONG i, r, c;
    if (cfg->marker && w >= 48 && h >= 16) {
        UCHAR values[4];
        values[0] = 0xA5;
        values[1] = (UCHAR)frame;
        values[2] = (UCHAR)(frame >> 8);
        values[3] = 0x3C;
        for (i = 0; i < 4; ++i)
            for (r = 0; r < 4; ++r) {
                ULONG at = (PELLIX_SIM_MARKER_ROW + r) * w + PELLIX_SIM_MARKER_COL(i);
                for (c = 0; c < 4; ++c)
                    if (at + c >= off && at + c < off + len)
                        dst[at + c - off] = values[i];
            }
    }
    for (i = 0; i < cfg->overrideCount && i < PELLIX_SIM_OVERRIDES; ++i) {
        const PellixSimOverride *o = &cfg->overrides[i];
        ULONG at;
        if (o->x >= w || o->y >= h)
            continue;
        at = (ULONG)o->y * w + o->x;
        if (at >= off && at < off + len)
            dst[at - off] = (UCHAR)o->value;
    }
}

/* ---- bulk reads: queue and worker thread ------------------------------- */

static VOID NTAPI cancelRead(PDEVICE_OBJECT dev, PIRP irp)
{
    KIRQL irql;
    (void)dev;
    IoReleaseCancelSpinLock(irp->CancelIrql);
    irql = lock();
    RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    InitializeListHead(&irp->Tail.Overlay.ListEntry);
    g_stats.pending--;
    unlock(irql);
    irp->IoStatus.Status = STATUS_CANCELLED;
    irp->IoStatus.Information = 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
}

/* Takes irp out of the queue unless its cancel routine already owns it. */
static BOOLEAN claimRead(PIRP irp)
{
    RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    InitializeListHead(&irp->Tail.Overlay.ListEntry);
    if (IoSetCancelRoutine(irp, NULL) == NULL)
        return FALSE;
    g_stats.pending--;
    return TRUE;
}

static VOID NTAPI worker(PVOID context)
{
    (void)context;
    for (;;) {
        LARGE_INTEGER timeout;
        PIRP irp = NULL;
        ULONG len = 0, w = 0, h = 0, epoch = 0, colStart = 0, rowStart = 0, colStep = 1, rowStep = 1;
        ULONGLONG pos = 0, waitUntil = 0;
        NTSTATUS status = STATUS_SUCCESS;
        int fault = 0; /* 1 fail, 2 short */
        PellixSimConfig cfg;
        KIRQL irql;

        timeout.QuadPart = -50000; /* 5 ms */
        KeWaitForSingleObject(&g_wake, Executive, KernelMode, FALSE, &timeout);

        for (;;) {
            irql = lock();
            irp = NULL;
            if (!IsListEmpty(&g_queue) && !g_cfg.stall && g_streaming) {
                PIRP head = CONTAINING_RECORD(g_queue.Flink, IRP, Tail.Overlay.ListEntry);
                PIO_STACK_LOCATION sp = IoGetCurrentIrpStackLocation(head);
                ULONG n = g_streamW * g_streamH;
                len = sp->Parameters.DeviceIoControl.OutputBufferLength;
                waitUntil = 0;
                if (g_cfg.framesPerSecond && n) {
                    ULONGLONG period = 10000000ull / g_cfg.framesPerSecond;
                    ULONGLONG end = g_pos + len;
                    waitUntil = g_t0 + (end / n) * period + (end % n) * period / n;
                }
                if (waitUntil <= now100ns() && claimRead(head)) {
                    irp = head;
                    pos = g_pos;
                    g_pos += len;
                    w = g_streamW;
                    h = g_streamH;
                    epoch = g_epoch;
                    colStart = g_colStart;
                    rowStart = g_rowStart;
                    colStep = g_colStep;
                    rowStep = g_rowStep;
                    cfg = g_cfg;
                    if (g_cfg.failReads) {
                        fault = 1;
                        if (g_cfg.failReads > 0)
                            g_cfg.failReads--;
                    } else if (g_cfg.shortReads) {
                        fault = 2;
                        g_cfg.shortReads--;
                    }
                }
            }
            unlock(irql);
            if (!irp)
                break;

            if (fault == 1) {
                status = STATUS_DEVICE_DATA_ERROR;
                irp->IoStatus.Information = 0;
            } else {
                UCHAR *dst = MmGetSystemAddressForMdlSafe(irp->MdlAddress, NormalPagePriority);
                ULONG n = w * h, done = 0, give = fault == 2 ? len / 2 : len;
                if (!dst || !n) {
                    status = STATUS_DEVICE_DATA_ERROR;
                    give = 0;
                }
                while (done < give) {
                    ULONGLONG at = pos + done;
                    ULONG frame = (ULONG)(at / n) + 1, off = (ULONG)(at % n);
                    ULONG chunk = n - off;
                    if (chunk > give - done)
                        chunk = give - done;
                    if (g_sceneDirty || g_baseW != w || g_baseH != h)
                        buildScene(w, h, colStart, rowStart, colStep, rowStep);
                    RtlCopyMemory(dst + done, g_base + off, chunk);
                    stampFrame(dst + done, off, chunk, w, h, frame, &cfg);
                    done += chunk;
                }
                irp->IoStatus.Information = give;
                irql = lock();
                if (status == STATUS_SUCCESS && epoch == g_epoch) {
                    g_stats.reads++;
                    if (len % 512)
                        g_stats.oddReads++;
                    if (len > g_stats.maxRead)
                        g_stats.maxRead = len;
                    if (!g_stats.minRead || len < g_stats.minRead)
                        g_stats.minRead = len;
                    g_stats.bytes += give;
                }
                unlock(irql);
            }
            irp->IoStatus.Status = status;
            IoCompleteRequest(irp, IO_NO_INCREMENT);
            status = STATUS_SUCCESS;
            fault = 0;
        }
    }
}

static NTSTATUS queueRead(PIRP irp)
{
    KIRQL irql = lock();
    IoSetCancelRoutine(irp, cancelRead);
    if (irp->Cancel && IoSetCancelRoutine(irp, NULL)) {
        unlock(irql);
        irp->IoStatus.Status = STATUS_CANCELLED;
        irp->IoStatus.Information = 0;
        IoCompleteRequest(irp, IO_NO_INCREMENT);
        return STATUS_CANCELLED;
    }
    IoMarkIrpPending(irp);
    InsertTailList(&g_queue, &irp->Tail.Overlay.ListEntry);
    g_stats.pending++;
    unlock(irql);
    KeSetEvent(&g_wake, IO_NO_INCREMENT, FALSE);
    return STATUS_PENDING;
}

/* ---- presence -------------------------------------------------------- */

static const WCHAR *names[PELLIX_SIM_DEVICES] = {
    L"\\Device\\PellixSim0", L"\\Device\\PellixSim1", L"\\Device\\PellixSim2", L"\\Device\\PellixSim3"};
static const WCHAR *links[PELLIX_SIM_DEVICES] = {
    L"\\DosDevices\\Pellix-0", L"\\DosDevices\\Pellix-1", L"\\DosDevices\\Pellix-2", L"\\DosDevices\\Pellix-3"};
static ULONG g_linked; /* devices whose \\DosDevices link exists; caller's thread only */

/* An absent camera has no link, so opening \\.\Pellix-n fails as unplugged. */
static void updateLinks(void)
{
    ULONG want, i;
    KIRQL irql = lock();
    want = g_cfg.presentMask;
    unlock(irql);
    for (i = 0; i < PELLIX_SIM_DEVICES; ++i) {
        UNICODE_STRING devName, linkName;
        ULONG bit = 1u << i;
        if ((want & bit) == (g_linked & bit))
            continue;
        RtlInitUnicodeString(&devName, names[i]);
        RtlInitUnicodeString(&linkName, links[i]);
        if (want & bit) {
            if (NT_SUCCESS(IoCreateSymbolicLink(&linkName, &devName)))
                g_linked |= bit;
        } else {
            IoDeleteSymbolicLink(&linkName);
            g_linked &= ~bit;
        }
    }
}

/* ---- dispatch ---------------------------------------------------------- */

static NTSTATUS complete(PIRP irp, NTSTATUS status, ULONG_PTR info)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = info;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI dispatchCreate(PDEVICE_OBJECT dev, PIRP irp)
{
    DeviceExt *ext = dev->DeviceExtension;
    NTSTATUS status = STATUS_SUCCESS;
    if (ext->index >= 0) {
        KIRQL irql = lock();
        if (!(g_cfg.presentMask & (1u << ext->index)))
            status = STATUS_NO_SUCH_DEVICE;
        unlock(irql);
    }
    return complete(irp, status, 0);
}

static NTSTATUS NTAPI dispatchClose(PDEVICE_OBJECT dev, PIRP irp)
{
    (void)dev;
    return complete(irp, STATUS_SUCCESS, 0);
}

/* A closing handle takes its pending reads with it. */
static NTSTATUS NTAPI dispatchCleanup(PDEVICE_OBJECT dev, PIRP irp)
{
    PFILE_OBJECT file = IoGetCurrentIrpStackLocation(irp)->FileObject;
    LIST_ENTRY done;
    PLIST_ENTRY e;
    KIRQL irql;
    (void)dev;
    InitializeListHead(&done);
    irql = lock();
    for (e = g_queue.Flink; e != &g_queue;) {
        PIRP q = CONTAINING_RECORD(e, IRP, Tail.Overlay.ListEntry);
        e = e->Flink;
        if (IoGetCurrentIrpStackLocation(q)->FileObject == file && claimRead(q))
            InsertTailList(&done, &q->Tail.Overlay.ListEntry);
    }
    unlock(irql);
    while (!IsListEmpty(&done)) {
        PIRP q = CONTAINING_RECORD(RemoveHeadList(&done), IRP, Tail.Overlay.ListEntry);
        complete(q, STATUS_CANCELLED, 0);
    }
    return complete(irp, STATUS_SUCCESS, 0);
}

/* One vendor request; the data stage is the output buffer in both directions. */
static NTSTATUS vendorRequest(const UCHAR *block, UCHAR *data, ULONG len, ULONG_PTR *info)
{
    ULONG dir = block[0], req = block[4];
    ULONG value = block[6] | (block[7] << 8);
    NTSTATUS status = STATUS_SUCCESS;
    KIRQL irql = lock();
    if (g_cfg.failTransfers) {
        if (g_cfg.failTransfers > 0)
            g_cfg.failTransfers--;
        unlock(irql);
        return STATUS_IO_DEVICE_ERROR;
    }
    *info = 0;
    switch (req) {
    case 0xB7:
        if (len < 2 || value > 255) {
            status = STATUS_INVALID_PARAMETER;
        } else if (dir == 1) {
            data[0] = (UCHAR)(g_regs[value] >> 8);
            data[1] = (UCHAR)g_regs[value];
            *info = 2;
        } else {
            USHORT v = (USHORT)((data[0] << 8) | data[1]);
            if (value == 0x0D && v == 1) {
                resetRegisters();
            } else if (value != 0x00) {
                g_regs[value] = v;
                g_sceneDirty = 1;
            }
            *info = 2;
        }
        break;
    case 0xB3:
        startStream();
        *info = len;
        break;
    case 0xB8:
        g_streaming = 0;
        *info = len;
        break;
    case 0xB9:
        if (len < 8) {
            status = STATUS_INVALID_PARAMETER;
        } else {
            ULONG w0 = PELLIX_SIM_ID_WORD0, w1 = PELLIX_SIM_ID_WORD1;
            RtlCopyMemory(data, &w0, 4);
            RtlCopyMemory(data + 4, &w1, 4);
            *info = 8;
        }
        break;
    default:
        status = STATUS_INVALID_PARAMETER;
    }
    if (status == STATUS_SUCCESS)
        logRecord(PELLIX_LOG_VENDOR, dir, req, value, data, len);
    unlock(irql);
    return status;
}

static NTSTATUS controlRequest(PIRP irp, PIO_STACK_LOCATION sp)
{
    ULONG code = sp->Parameters.DeviceIoControl.IoControlCode;
    ULONG inLen = sp->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLen = sp->Parameters.DeviceIoControl.OutputBufferLength;
    UCHAR *buf = irp->AssociatedIrp.SystemBuffer;
    ULONG_PTR info = 0;
    NTSTATUS status = STATUS_SUCCESS;
    KIRQL irql = lock();
    switch (code) {
    case PELLIX_SIM_RESET:
        defaultConfig();
        resetRegisters();
        g_logCount = 0;
        {
            ULONG w = g_stats.width, h = g_stats.height, p = g_stats.pending;
            RtlZeroMemory(&g_stats, sizeof g_stats);
            g_stats.width = w;
            g_stats.height = h;
            g_stats.pending = p;
        }
        break;
    case PELLIX_SIM_GET_CONFIG:
        if (outLen < sizeof g_cfg) { status = STATUS_BUFFER_TOO_SMALL; break; }
        RtlCopyMemory(buf, &g_cfg, sizeof g_cfg);
        info = sizeof g_cfg;
        break;
    case PELLIX_SIM_SET_CONFIG:
        if (inLen < sizeof g_cfg) { status = STATUS_BUFFER_TOO_SMALL; break; }
        RtlCopyMemory(&g_cfg, buf, sizeof g_cfg);
        g_regs[0] = (USHORT)g_cfg.chipVersion;
        g_sceneDirty = 1;
        break;
    case PELLIX_SIM_GET_REGS:
        if (outLen < sizeof g_regs) { status = STATUS_BUFFER_TOO_SMALL; break; }
        RtlCopyMemory(buf, g_regs, sizeof g_regs);
        info = sizeof g_regs;
        break;
    case PELLIX_SIM_SET_REG:
        if (inLen < 4 || ((USHORT *)buf)[0] > 255) { status = STATUS_INVALID_PARAMETER; break; }
        g_regs[((USHORT *)buf)[0]] = ((USHORT *)buf)[1];
        g_sceneDirty = 1;
        break;
    case PELLIX_SIM_GET_LOG: {
        ULONG n = outLen < 4 ? 0 : (outLen - 4) / sizeof(PellixSimLogRecord);
        if (outLen < 4) { status = STATUS_BUFFER_TOO_SMALL; break; }
        if (n > g_logCount)
            n = g_logCount;
        RtlCopyMemory(buf, &n, 4);
        RtlCopyMemory(buf + 4, g_log, n * sizeof(PellixSimLogRecord));
        info = 4 + n * sizeof(PellixSimLogRecord);
        g_logCount = 0;
        break;
    }
    case PELLIX_SIM_GET_STATS:
        if (outLen < sizeof g_stats) { status = STATUS_BUFFER_TOO_SMALL; break; }
        g_stats.streaming = g_streaming;
        RtlCopyMemory(buf, &g_stats, sizeof g_stats);
        info = sizeof g_stats;
        if (inLen) {
            ULONG w = g_stats.width, h = g_stats.height, p = g_stats.pending;
            RtlZeroMemory(&g_stats, sizeof g_stats);
            g_stats.width = w;
            g_stats.height = h;
            g_stats.pending = p;
        }
        break;
    default:
        status = STATUS_INVALID_DEVICE_REQUEST;
    }
    unlock(irql);
    updateLinks();
    KeSetEvent(&g_wake, IO_NO_INCREMENT, FALSE);
    return complete(irp, status, info);
}

static NTSTATUS NTAPI dispatchIoctl(PDEVICE_OBJECT dev, PIRP irp)
{
    DeviceExt *ext = dev->DeviceExtension;
    PIO_STACK_LOCATION sp = IoGetCurrentIrpStackLocation(irp);
    ULONG code = sp->Parameters.DeviceIoControl.IoControlCode;
    ULONG inLen = sp->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLen = sp->Parameters.DeviceIoControl.OutputBufferLength;
    const UCHAR *in = irp->AssociatedIrp.SystemBuffer;
    UCHAR *out = NULL;
    ULONG_PTR info = 0;
    NTSTATUS status;

    if (ext->index < 0)
        return controlRequest(irp, sp);
    if (outLen && irp->MdlAddress)
        out = MmGetSystemAddressForMdlSafe(irp->MdlAddress, NormalPagePriority);

    switch (code) {
    case IOCTL_VENDOR:
        if (inLen < 10 || (outLen && !out))
            return complete(irp, STATUS_INVALID_PARAMETER, 0);
        status = vendorRequest(in, out, outLen, &info);
        return complete(irp, status, info);
    case IOCTL_BULK_WRITE: {
        KIRQL irql;
        ULONG pipe;
        if (inLen < 4 || (outLen && !out))
            return complete(irp, STATUS_INVALID_PARAMETER, 0);
        RtlCopyMemory(&pipe, in, 4);
        irql = lock();
        if (g_cfg.failTransfers) {
            if (g_cfg.failTransfers > 0)
                g_cfg.failTransfers--;
            unlock(irql);
            return complete(irp, STATUS_IO_DEVICE_ERROR, 0);
        }
        logRecord(PELLIX_LOG_BULK_WRITE, 0, pipe, 0, out, outLen);
        unlock(irql);
        return complete(irp, STATUS_SUCCESS, outLen);
    }
    case IOCTL_BULK_READ: {
        ULONG pipe = 0;
        if (inLen >= 4)
            RtlCopyMemory(&pipe, in, 4);
        if (pipe != 1 || !outLen || !irp->MdlAddress)
            return complete(irp, STATUS_INVALID_PARAMETER, 0);
        return queueRead(irp);
    }
    default:
        return complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}

static NTSTATUS makeDevice(PDRIVER_OBJECT driver, const WCHAR *name, const WCHAR *link, int index)
{
    UNICODE_STRING devName, linkName;
    PDEVICE_OBJECT dev;
    NTSTATUS status;
    RtlInitUnicodeString(&devName, name);
    RtlInitUnicodeString(&linkName, link);
    status = IoCreateDevice(driver, sizeof(DeviceExt), &devName, FILE_DEVICE_UNKNOWN, 0, FALSE, &dev);
    if (!NT_SUCCESS(status))
        return status;
    ((DeviceExt *)dev->DeviceExtension)->index = index;
    dev->Flags |= DO_DIRECT_IO;
    dev->Flags &= ~DO_DEVICE_INITIALIZING;
    if (!link)
        return STATUS_SUCCESS; /* linked by updateLinks */
    return IoCreateSymbolicLink(&linkName, &devName);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING path)
{
    HANDLE thread;
    NTSTATUS status;
    int i;
    (void)path;

    KeInitializeSpinLock(&g_lock);
    KeInitializeEvent(&g_wake, SynchronizationEvent, FALSE);
    InitializeListHead(&g_queue);
    defaultConfig();
    resetRegisters();
    g_base = ExAllocatePoolWithTag(NonPagedPool, MAX_W * MAX_H, TAG);
    if (!g_base)
        return STATUS_INSUFFICIENT_RESOURCES;

    driver->MajorFunction[IRP_MJ_CREATE] = dispatchCreate;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatchClose;
    driver->MajorFunction[IRP_MJ_CLEANUP] = dispatchCleanup;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatchIoctl;

    for (i = 0; i < PELLIX_SIM_DEVICES; ++i) {
        status = makeDevice(driver, names[i], NULL, i);
        if (!NT_SUCCESS(status))
            return status;
    }
    status = makeDevice(driver, L"\\Device\\PellixSimControl", L"\\DosDevices\\PellixSimControl", -1);
    if (!NT_SUCCESS(status))
        return status;
    status = PsCreateSystemThread(&thread, THREAD_ALL_ACCESS, NULL, NULL, NULL, worker, NULL);
    if (!NT_SUCCESS(status))
        return status;
    ZwClose(thread);
    updateLinks();
    return STATUS_SUCCESS;
}
