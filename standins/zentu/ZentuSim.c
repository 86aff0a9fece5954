/* Simulated Zentu camera driver for Wine's winedevice (x86_64 kernel mode).

   Serves the camera protocol on \\.\zentu-0 .. \\.\zentu-3: the vendor-request
   control code, a sensor register file, the non-volatile memory and raw frames
   read in chunks, paced by a frame clock of its own. \\.\zentu-ctl is the test
   channel (ZentuSimProtocol.h). */
#include <ntddk.h>
#include "ZentuSimProtocol.h"
#include "ZentuScene.h"

#define IOCTL_CAMERA_VENDOR_REQUEST 0x222059u
#define STATUS_OK_BYTE 8
#define FRAME_MAX (2048u * 1536u)
#define FRAME_SLACK 65536u
#define TAG 0x536e745au /* "ZtnS" */

typedef struct Camera {
    unsigned index;
    PDEVICE_OBJECT device;
    BOOLEAN present;
    USHORT regs[ZENTU_SIM_REGISTERS];
    USHORT nv[ZENTU_SIM_NV_WORDS];
    UCHAR gpio;
    BOOLEAN streaming, unplugged, stalled;
    LIST_ENTRY reads; /* pending IRP_MJ_READ, oldest first */
    ULONG pendingReads, openHandles;
    ULONG scene, periodOverride;
    ULONG midFrames, midOffset;
    ULONG sizeFrames;
    LONG sizeAdjust;
    ULONG badReplies;
    UCHAR badStatus;
    ULONG framesStarted, framesDropped, periodUs, width, height;
    /* Frame state, touched only by the frame thread. */
    UCHAR *frame;
    ULONG frameBytes, pos;
    BOOLEAN active, cutPending;
    ULONG frameAge; /* ticks since the frame started */
    LONGLONG nextTick;
} Camera;

typedef struct Extension {
    int camera; /* -1 for the control device */
} Extension;

static Camera g_cameras[ZENTU_SIM_CAMERAS];
static KSPIN_LOCK g_lock;
static KEVENT g_wake;
static volatile LONG g_quit;
static PVOID g_thread;
static ZentuSimLogEntry *g_log;
static ULONG g_logCount, g_logOverflow;
static LARGE_INTEGER g_perfFreq;

static const USHORT g_powerOn[][2] = {
    {0, 0x1643}, {1, 20}, {2, 32}, {3, 1535}, {4, 2047}, {5, 336}, {9, 300},
    {10, 0x8000}, {13, 0}, {34, 0}, {35, 0}, {53, 16},
};

static LONGLONG now_us(void)
{
    LARGE_INTEGER c = KeQueryPerformanceCounter(NULL);
    return c.QuadPart / g_perfFreq.QuadPart * 1000000 +
           c.QuadPart % g_perfFreq.QuadPart * 1000000 / g_perfFreq.QuadPart;
}

static void log_entry(unsigned cam, UCHAR kind, UCHAR dir, UCHAR req, USHORT value, USHORT index, ULONG length)
{
    ZentuSimLogEntry *e;
    if (g_logCount >= ZENTU_SIM_LOG_ENTRIES) { g_logOverflow = 1; return; }
    e = &g_log[g_logCount++];
    e->camera = (UCHAR)cam; e->kind = kind; e->dir = dir; e->request = req;
    e->value = value; e->index = index; e->length = length;
}

static void reset_registers(Camera *c)
{
    USHORT chip = c->regs[0];
    unsigned i;
    RtlZeroMemory(c->regs, sizeof c->regs);
    for (i = 0; i < sizeof g_powerOn / sizeof g_powerOn[0]; i++)
        c->regs[g_powerOn[i][0]] = g_powerOn[i][1];
    if (chip) c->regs[0] = chip;
}

/* Defect tables of sizes 0 to 3 and the lot date, on otherwise erased memory. */
static void reset_nv(Camera *c)
{
    static const USHORT defects[3][3][2] = {
        {{100, 200}, {1000, 700}, {2000, 1500}},
        {{50, 60}, {900, 500}, {0, 0}},
        {{10, 20}, {600, 400}, {0, 0}},
    };
    static const USHORT counts[4] = {3, 2, 2, 0};
    unsigned s, i;
    for (i = 0; i < ZENTU_SIM_NV_WORDS; i++) c->nv[i] = 0xFFFF;
    c->nv[0x24C0] = 0xAA22;
    for (s = 0; s < 4; s++) {
        c->nv[0x24C4 + 4 * s] = (USHORT)(s * 257);
        c->nv[0x24C6 + 4 * s] = counts[s];
        for (i = 0; i < counts[s]; i++) {
            c->nv[0x2500 + 400 * s + 4 * i] = defects[s][i][0];
            c->nv[0x2502 + 400 * s + 4 * i] = defects[s][i][1];
        }
    }
    c->nv[0x3FF0] = 0x2612;
}

static void geometry(const Camera *c, ULONG *w, ULONG *h, ULONG *colSkip, ULONG *rowSkip)
{
    *colSkip = (c->regs[35] & 7u) + 1;
    *rowSkip = (c->regs[34] & 7u) + 1;
    *w = ((ULONG)c->regs[4] + 1) / *colSkip;
    *h = ((ULONG)c->regs[3] + 1) / *rowSkip;
    if (*w > 2048) *w = 2048;
    if (*h > 1536) *h = 1536;
    if (*w == 0) *w = 1;
    if (*h == 0) *h = 1;
}

/* The camera's frame time: line length by output width and pixel clock,
   times the larger of the rows and the exposure. */
static ULONG period_us(const Camera *c)
{
    ULONG w, h, cs, rs, clock, line, outH, rows;
    if (c->periodOverride) return c->periodOverride;
    geometry(c, &w, &h, &cs, &rs);
    clock = (c->regs[10] & 1) ? 24 : 48;
    line = (clock == 48 ? 512 : 256) + (w == 2048 ? 1280 : w == 1024 ? 2048 : w == 640 ? 1920 : w);
    outH = h == 1536 ? 1024 : h;
    rows = outH + 25 > c->regs[9] ? outH + 25 : c->regs[9];
    return line * rows / clock;
}

/* Takes the cancel routine back; FALSE when a cancel is already under way
   and the cancel routine will complete the IRP. */
static BOOLEAN claim_irp(PIRP irp)
{
    InitializeListHead(&irp->Tail.Overlay.ListEntry);
    return IoSetCancelRoutine(irp, NULL) != NULL;
}

static void complete(PIRP irp, NTSTATUS status, ULONG_PTR info)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = info;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
}

static void cancel_read(PDEVICE_OBJECT device, PIRP irp)
{
    Extension *ext = device->DeviceExtension;
    KIRQL irql;
    IoReleaseCancelSpinLock(irp->CancelIrql);
    KeAcquireSpinLock(&g_lock, &irql);
    if (!IsListEmpty(&irp->Tail.Overlay.ListEntry) && ext->camera >= 0)
        g_cameras[ext->camera].pendingReads--;
    RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    InitializeListHead(&irp->Tail.Overlay.ListEntry);
    KeReleaseSpinLock(&g_lock, irql);
    complete(irp, STATUS_CANCELLED, 0);
}

/* Pops the oldest pending read that is still ours; NULL when none. */
static PIRP pop_read(Camera *c)
{
    while (!IsListEmpty(&c->reads)) {
        PLIST_ENTRY e = RemoveHeadList(&c->reads);
        PIRP irp = CONTAINING_RECORD(e, IRP, Tail.Overlay.ListEntry);
        c->pendingReads--;
        if (claim_irp(irp)) return irp;
    }
    return NULL;
}

static void render_frame(Camera *c)
{
    ULONG w, h, cs, rs, x, y, s, i;
    unsigned long long factor;
    UCHAR *p = c->frame;
    KIRQL irql;
    ULONG scene, offset = 0;
    LONG adjust = 0;
    USHORT nv[0x2500 - 0x24C0 + 4 * 400];

    KeAcquireSpinLock(&g_lock, &irql);
    geometry(c, &w, &h, &cs, &rs);
    factor = zentu_scene_factor(c->regs[9], c->regs[53]);
    scene = c->scene;
    if (c->midFrames) { c->midFrames--; offset = c->midOffset; }
    if (c->sizeFrames) { c->sizeFrames--; adjust = c->sizeAdjust; }
    RtlCopyMemory(nv, &c->nv[0x24C0], sizeof nv);
    c->width = w; c->height = h;
    c->framesStarted++;
    i = c->framesStarted;
    KeReleaseSpinLock(&g_lock, irql);

    for (y = 0; y < h; y++)
        for (x = 0; x < w; x++)
            *p++ = zentu_scene_raw(scene, x, y, cs, rs, factor);
    /* Hot pixels where the camera's own defect table says they are. */
    s = w == 2048 ? 0 : w == 1024 ? 1 : w == 640 ? 2 : 3;
    if (nv[0] == 0xAA22 && nv[4 + 4 * s] == s * 257 && nv[6 + 4 * s] < 100) {
        ULONG k, n = nv[6 + 4 * s];
        for (k = 0; k < n; k++) {
            ULONG dx = nv[0x40 + 400 * s + 4 * k], dy = nv[0x42 + 400 * s + 4 * k];
            if (dx < w && dy < h) c->frame[dy * w + dx] = 255;
        }
    }
    for (x = 0; x < ZENTU_SCENE_STAMP_BYTES && x < w * h; x++)
        c->frame[x] = (UCHAR)(i >> (8 * x));

    c->frameBytes = w * h;
    if (adjust > 0) {
        ULONG extra = (ULONG)adjust > FRAME_SLACK ? FRAME_SLACK : (ULONG)adjust;
        RtlFillMemory(c->frame + c->frameBytes, extra, 0x5A);
        c->frameBytes += extra;
    } else if (adjust < 0) {
        ULONG less = (ULONG)-adjust;
        c->frameBytes = less >= c->frameBytes ? 0 : c->frameBytes - less;
    }
    c->pos = offset < c->frameBytes ? offset : c->frameBytes;
    c->active = TRUE;
}

/* One frame-clock tick. A frame still being read goes on (the tick's frame
   is lost) while the host has reads waiting or for two ticks more; a frame
   the host has left for longer is cut short, so that its next read ends with
   0 bytes. A new frame starts only when a read waits for it; otherwise the
   camera's frame is lost. */
static void tick(Camera *c)
{
    KIRQL irql;
    BOOLEAN waiting;
    KeAcquireSpinLock(&g_lock, &irql);
    waiting = c->pendingReads > 0;
    if (!waiting || c->active) c->framesDropped++;
    KeReleaseSpinLock(&g_lock, irql);
    if (c->active) {
        if (waiting || ++c->frameAge < 3) return;
        if (c->pos > 0) c->cutPending = TRUE;
        c->active = FALSE;
    }
    if (waiting) {
        render_frame(c);
        c->frameAge = 0;
    }
}

/* Completes what the current frame can give: min(asked, left), a 0-byte read
   when the frame ended on a chunk boundary, and nothing past a short read. */
static void serve(Camera *c)
{
    for (;;) {
        KIRQL irql;
        PIRP irp;
        ULONG asked, n;
        PVOID dst;
        if (!c->active && !c->cutPending) return;
        KeAcquireSpinLock(&g_lock, &irql);
        irp = pop_read(c);
        KeReleaseSpinLock(&g_lock, irql);
        if (!irp) return;
        if (c->cutPending) {
            c->cutPending = FALSE;
            complete(irp, STATUS_SUCCESS, 0);
            continue;
        }
        asked = IoGetCurrentIrpStackLocation(irp)->Parameters.Read.Length;
        n = c->frameBytes - c->pos;
        if (n > asked) n = asked;
        dst = irp->MdlAddress ? MmGetSystemAddressForMdlSafe(irp->MdlAddress, NormalPagePriority) : NULL;
        if (!dst) { complete(irp, STATUS_INSUFFICIENT_RESOURCES, 0); continue; }
        RtlCopyMemory(dst, c->frame + c->pos, n);
        c->pos += n;
        if (n < asked) c->active = FALSE;
        complete(irp, STATUS_SUCCESS, n);
    }
}

static void fail_reads(Camera *c, NTSTATUS status)
{
    for (;;) {
        KIRQL irql;
        PIRP irp;
        KeAcquireSpinLock(&g_lock, &irql);
        irp = pop_read(c);
        KeReleaseSpinLock(&g_lock, irql);
        if (!irp) return;
        complete(irp, status, 0);
    }
}

static void NTAPI frame_clock(PVOID context)
{
    (void)context;
    while (!g_quit) {
        LONGLONG now = now_us(), wait = 5000;
        unsigned i;
        LARGE_INTEGER timeout;
        for (i = 0; i < ZENTU_SIM_CAMERAS; i++) {
            Camera *c = &g_cameras[i];
            KIRQL irql;
            BOOLEAN run, unplugged;
            ULONG period;
            KeAcquireSpinLock(&g_lock, &irql);
            run = c->streaming && !c->stalled && !c->unplugged;
            unplugged = c->unplugged;
            period = period_us(c);
            c->periodUs = period;
            KeReleaseSpinLock(&g_lock, irql);
            if (unplugged) { fail_reads(c, STATUS_DEVICE_NOT_CONNECTED); continue; }
            if (!run) { c->active = FALSE; c->nextTick = 0; continue; }
            if (c->nextTick == 0 || now - c->nextTick > (LONGLONG)period) c->nextTick = now;
            if (now >= c->nextTick) {
                tick(c);
                c->nextTick += period;
            }
            serve(c);
            if (c->nextTick - now < wait) wait = c->nextTick - now;
        }
        if (wait < 500) wait = 500;
        timeout.QuadPart = -wait * 10;
        KeWaitForSingleObject(&g_wake, Executive, KernelMode, FALSE, &timeout);
    }
    PsTerminateSystemThread(STATUS_SUCCESS);
}

static NTSTATUS set_link(unsigned i, BOOLEAN present)
{
    WCHAR name[] = L"\\DosDevices\\zentu-0", target[] = L"\\Device\\ZentuSim0";
    UNICODE_STRING n, t;
    NTSTATUS st = STATUS_SUCCESS;
    name[sizeof name / sizeof name[0] - 2] = (WCHAR)(L'0' + i);
    target[sizeof target / sizeof target[0] - 2] = (WCHAR)(L'0' + i);
    RtlInitUnicodeString(&n, name);
    RtlInitUnicodeString(&t, target);
    if (present && !g_cameras[i].present) st = IoCreateSymbolicLink(&n, &t);
    if (!present && g_cameras[i].present) st = IoDeleteSymbolicLink(&n);
    if (NT_SUCCESS(st)) g_cameras[i].present = present;
    return st;
}

static void reset_camera(Camera *c)
{
    c->regs[0] = 0;
    reset_registers(c);
    reset_nv(c);
    c->gpio = 0;
    c->streaming = c->unplugged = c->stalled = FALSE;
    c->scene = ZSIM_SCENE_CHART;
    c->periodOverride = 0;
    c->midFrames = c->midOffset = c->sizeFrames = 0;
    c->sizeAdjust = 0;
    c->badReplies = 0;
    c->framesStarted = c->framesDropped = 0;
}

static NTSTATUS vendor_request(Camera *c, PIRP irp, PIO_STACK_LOCATION sp)
{
    const UCHAR *in = irp->AssociatedIrp.SystemBuffer;
    ULONG inLen = sp->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLen = sp->Parameters.DeviceIoControl.OutputBufferLength;
    UCHAR reply[3], *out;
    ULONG n = 0;
    USHORT value, index;
    UCHAR status = STATUS_OK_BYTE;
    KIRQL irql;
    NTSTATUS st = STATUS_SUCCESS;

    if (!in || inLen < 10) return STATUS_INVALID_PARAMETER;
    value = (USHORT)(in[6] | in[7] << 8);
    index = (USHORT)(in[8] | in[9] << 8);
    KeAcquireSpinLock(&g_lock, &irql);
    log_entry(c->index, ZSIM_LOG_VENDOR, in[0], in[4], value, index, outLen);
    if (c->unplugged) {
        KeReleaseSpinLock(&g_lock, irql);
        return STATUS_DEVICE_NOT_CONNECTED;
    }
    if (c->badReplies) { c->badReplies--; status = c->badStatus; }
    switch (in[4]) {
    case 1: /* stream: 3 on, anything else off */
        c->streaming = value == 3;
        break;
    case 6: /* port byte: 0 read, 0xFE00 write, 0xFF00 set */
        if (index == 0xFE00 || index == 0xFF00) c->gpio = (UCHAR)value;
        reply[0] = c->gpio;
        n = 1;
        break;
    case 8:
        reply[0] = (UCHAR)(c->regs[index & 0xFF] >> 8);
        reply[1] = (UCHAR)c->regs[index & 0xFF];
        reply[2] = status;
        n = 3;
        break;
    case 9:
        if ((index & 0xFF) == 13 && (value & 1)) reset_registers(c);
        if ((index & 0xFF) != 0) c->regs[index & 0xFF] = value;
        reply[0] = status;
        n = 1;
        break;
    case 16:
        c->nv[index % ZENTU_SIM_NV_WORDS] = value;
        reply[0] = status;
        n = 1;
        break;
    case 17:
        reply[0] = (UCHAR)(c->nv[index % ZENTU_SIM_NV_WORDS] >> 8);
        reply[1] = (UCHAR)c->nv[index % ZENTU_SIM_NV_WORDS];
        reply[2] = status;
        n = 3;
        break;
    default:
        st = STATUS_INVALID_DEVICE_REQUEST;
        break;
    }
    KeReleaseSpinLock(&g_lock, irql);
    KeSetEvent(&g_wake, IO_NO_INCREMENT, FALSE);
    if (!NT_SUCCESS(st)) return st;
    if (n > outLen) n = outLen;
    if (n) {
        out = irp->MdlAddress ? MmGetSystemAddressForMdlSafe(irp->MdlAddress, NormalPagePriority) : NULL;
        if (!out) return STATUS_INVALID_PARAMETER;
        RtlCopyMemory(out, reply, n);
    }
    irp->IoStatus.Information = n;
    return STATUS_SUCCESS;
}

static NTSTATUS control_request(PIRP irp, PIO_STACK_LOCATION sp)
{
    ULONG code = sp->Parameters.DeviceIoControl.IoControlCode;
    ULONG inLen = sp->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLen = sp->Parameters.DeviceIoControl.OutputBufferLength;
    void *buf = irp->AssociatedIrp.SystemBuffer;
    ZentuSimCommand cmd;
    Camera *c;
    KIRQL irql;
    ULONG i, n = 0;

    if (!buf || inLen < sizeof cmd) return STATUS_INVALID_PARAMETER;
    RtlCopyMemory(&cmd, buf, sizeof cmd);
    if (cmd.camera >= ZENTU_SIM_CAMERAS) return STATUS_INVALID_PARAMETER;
    c = &g_cameras[cmd.camera];

    switch (code) {
    case ZSIM_RESET:
    case ZSIM_SET_PRESENT:
        /* Links are made and removed at passive level, outside the lock. */
        for (i = 0; i < ZENTU_SIM_CAMERAS; i++) {
            ULONG mask = code == ZSIM_RESET ? 1 : cmd.a;
            NTSTATUS st = set_link(i, (mask >> i) & 1);
            if (!NT_SUCCESS(st)) return st;
        }
        if (code == ZSIM_SET_PRESENT) break;
        KeAcquireSpinLock(&g_lock, &irql);
        for (i = 0; i < ZENTU_SIM_CAMERAS; i++) reset_camera(&g_cameras[i]);
        g_logCount = g_logOverflow = 0;
        KeReleaseSpinLock(&g_lock, irql);
        break;
    case ZSIM_GET_LOG: {
        ZentuSimLogHeader h;
        ULONG room, count;
        if (outLen < sizeof h) return STATUS_BUFFER_TOO_SMALL;
        room = (outLen - sizeof h) / sizeof(ZentuSimLogEntry);
        KeAcquireSpinLock(&g_lock, &irql);
        h.total = g_logCount;
        h.overflow = g_logOverflow;
        count = cmd.a < g_logCount ? g_logCount - cmd.a : 0;
        if (count > room) count = room;
        RtlCopyMemory((char *)buf + sizeof h, g_log + cmd.a, count * sizeof(ZentuSimLogEntry));
        KeReleaseSpinLock(&g_lock, irql);
        RtlCopyMemory(buf, &h, sizeof h);
        n = sizeof h + count * sizeof(ZentuSimLogEntry);
        break;
    }
    case ZSIM_CLEAR_LOG:
        KeAcquireSpinLock(&g_lock, &irql);
        g_logCount = g_logOverflow = 0;
        KeReleaseSpinLock(&g_lock, irql);
        break;
    case ZSIM_GET_REGS:
        if (outLen < sizeof c->regs) return STATUS_BUFFER_TOO_SMALL;
        KeAcquireSpinLock(&g_lock, &irql);
        RtlCopyMemory(buf, c->regs, sizeof c->regs);
        KeReleaseSpinLock(&g_lock, irql);
        n = sizeof c->regs;
        break;
    case ZSIM_SET_REG:
        KeAcquireSpinLock(&g_lock, &irql);
        c->regs[cmd.a & 0xFF] = (USHORT)cmd.b;
        KeReleaseSpinLock(&g_lock, irql);
        break;
    case ZSIM_NV_READ:
        if (cmd.a >= ZENTU_SIM_NV_WORDS || cmd.b > ZENTU_SIM_NV_WORDS - cmd.a) return STATUS_INVALID_PARAMETER;
        if (outLen < cmd.b * 2) return STATUS_BUFFER_TOO_SMALL;
        KeAcquireSpinLock(&g_lock, &irql);
        RtlCopyMemory(buf, c->nv + cmd.a, cmd.b * 2);
        KeReleaseSpinLock(&g_lock, irql);
        n = cmd.b * 2;
        break;
    case ZSIM_NV_WRITE:
        if (cmd.a >= ZENTU_SIM_NV_WORDS || cmd.b > ZENTU_SIM_NV_WORDS - cmd.a) return STATUS_INVALID_PARAMETER;
        if (inLen < sizeof cmd + cmd.b * 2) return STATUS_INVALID_PARAMETER;
        KeAcquireSpinLock(&g_lock, &irql);
        RtlCopyMemory(c->nv + cmd.a, (char *)buf + sizeof cmd, cmd.b * 2);
        KeReleaseSpinLock(&g_lock, irql);
        break;
    case ZSIM_SET_FAULT:
        KeAcquireSpinLock(&g_lock, &irql);
        switch (cmd.a) {
        case ZSIM_FAULT_MIDFRAME: c->midFrames = cmd.b; c->midOffset = cmd.c; break;
        case ZSIM_FAULT_FRAME_SIZE: c->sizeFrames = cmd.b; c->sizeAdjust = (LONG)cmd.c; break;
        case ZSIM_FAULT_STATUS: c->badReplies = cmd.b; c->badStatus = (UCHAR)cmd.c; break;
        case ZSIM_FAULT_UNPLUG: c->unplugged = cmd.b != 0; break;
        case ZSIM_FAULT_STALL: c->stalled = cmd.b != 0; break;
        default: KeReleaseSpinLock(&g_lock, irql); return STATUS_INVALID_PARAMETER;
        }
        KeReleaseSpinLock(&g_lock, irql);
        break;
    case ZSIM_SET_SCENE:
        c->scene = cmd.a;
        break;
    case ZSIM_SET_PERIOD:
        c->periodOverride = cmd.a;
        break;
    case ZSIM_GET_STATUS: {
        ZentuSimStatus s;
        if (outLen < sizeof s) return STATUS_BUFFER_TOO_SMALL;
        KeAcquireSpinLock(&g_lock, &irql);
        s.present = c->present; s.streaming = c->streaming;
        s.unplugged = c->unplugged; s.stalled = c->stalled;
        s.framesStarted = c->framesStarted; s.framesDropped = c->framesDropped;
        s.pendingReads = c->pendingReads; s.openHandles = c->openHandles;
        s.frameWidth = c->width; s.frameHeight = c->height;
        s.periodUs = period_us(c); s.lastFrame = c->framesStarted;
        KeReleaseSpinLock(&g_lock, irql);
        RtlCopyMemory(buf, &s, sizeof s);
        n = sizeof s;
        break;
    }
    default:
        return STATUS_INVALID_DEVICE_REQUEST;
    }
    KeSetEvent(&g_wake, IO_NO_INCREMENT, FALSE);
    irp->IoStatus.Information = n;
    return STATUS_SUCCESS;
}

static NTSTATUS NTAPI dispatch(PDEVICE_OBJECT device, PIRP irp)
{
    Extension *ext = device->DeviceExtension;
    PIO_STACK_LOCATION sp = IoGetCurrentIrpStackLocation(irp);
    Camera *c = ext->camera >= 0 ? &g_cameras[ext->camera] : NULL;
    NTSTATUS st = STATUS_SUCCESS;
    KIRQL irql;

    irp->IoStatus.Information = 0;
    switch (sp->MajorFunction) {
    case IRP_MJ_CREATE:
        if (c) {
            KeAcquireSpinLock(&g_lock, &irql);
            c->openHandles++;
            log_entry(c->index, ZSIM_LOG_OPEN, 0, 0, 0, 0, 0);
            KeReleaseSpinLock(&g_lock, irql);
        }
        break;
    case IRP_MJ_CLEANUP:
    case IRP_MJ_CLOSE:
        /* Wine sends only IRP_MJ_CLOSE, at the last handle's close, even with
           reads pending; Windows sends IRP_MJ_CLEANUP first. Whichever comes
           first ends the handle's pending reads. */
        if (c && sp->FileObject && sp->FileObject->FsContext2 != (PVOID)1) {
            LIST_ENTRY mine;
            PLIST_ENTRY e, next;
            sp->FileObject->FsContext2 = (PVOID)1;
            InitializeListHead(&mine);
            KeAcquireSpinLock(&g_lock, &irql);
            for (e = c->reads.Flink; e != &c->reads; e = next) {
                PIRP r = CONTAINING_RECORD(e, IRP, Tail.Overlay.ListEntry);
                next = e->Flink;
                if (IoGetCurrentIrpStackLocation(r)->FileObject != sp->FileObject) continue;
                RemoveEntryList(e);
                c->pendingReads--;
                if (claim_irp(r)) InsertTailList(&mine, &r->Tail.Overlay.ListEntry);
            }
            if (c->openHandles) c->openHandles--;
            if (c->openHandles == 0) c->streaming = FALSE;
            log_entry(c->index, ZSIM_LOG_CLOSE, 0, 0, 0, 0, 0);
            KeReleaseSpinLock(&g_lock, irql);
            while (!IsListEmpty(&mine)) {
                PIRP r = CONTAINING_RECORD(RemoveHeadList(&mine), IRP, Tail.Overlay.ListEntry);
                complete(r, STATUS_CANCELLED, 0);
            }
        }
        break;
    case IRP_MJ_READ: {
        ULONG len = sp->Parameters.Read.Length;
        if (!c) { st = STATUS_INVALID_DEVICE_REQUEST; break; }
        KeAcquireSpinLock(&g_lock, &irql);
        log_entry(c->index, ZSIM_LOG_READ, 0, 0, 0, 0, len);
        if (c->unplugged) {
            KeReleaseSpinLock(&g_lock, irql);
            st = STATUS_DEVICE_NOT_CONNECTED;
            break;
        }
        if (len == 0) { KeReleaseSpinLock(&g_lock, irql); break; }
        IoMarkIrpPending(irp);
        IoSetCancelRoutine(irp, cancel_read);
        if (irp->Cancel && IoSetCancelRoutine(irp, NULL)) {
            KeReleaseSpinLock(&g_lock, irql);
            complete(irp, STATUS_CANCELLED, 0);
            return STATUS_PENDING;
        }
        InsertTailList(&c->reads, &irp->Tail.Overlay.ListEntry);
        c->pendingReads++;
        KeReleaseSpinLock(&g_lock, irql);
        KeSetEvent(&g_wake, IO_NO_INCREMENT, FALSE);
        return STATUS_PENDING;
    }
    case IRP_MJ_DEVICE_CONTROL:
        if (c && sp->Parameters.DeviceIoControl.IoControlCode == IOCTL_CAMERA_VENDOR_REQUEST)
            st = vendor_request(c, irp, sp);
        else if (!c)
            st = control_request(irp, sp);
        else
            st = STATUS_INVALID_DEVICE_REQUEST;
        break;
    default:
        st = STATUS_INVALID_DEVICE_REQUEST;
        break;
    }
    irp->IoStatus.Status = st;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return st;
}

static void NTAPI unload(PDRIVER_OBJECT driver)
{
    unsigned i;
    UNICODE_STRING n;
    g_quit = 1;
    KeSetEvent(&g_wake, IO_NO_INCREMENT, FALSE);
    if (g_thread) {
        KeWaitForSingleObject(g_thread, Executive, KernelMode, FALSE, NULL);
        ObDereferenceObject(g_thread);
    }
    for (i = 0; i < ZENTU_SIM_CAMERAS; i++) {
        set_link(i, FALSE);
        if (g_cameras[i].frame) ExFreePool(g_cameras[i].frame);
    }
    RtlInitUnicodeString(&n, L"\\DosDevices\\zentu-ctl");
    IoDeleteSymbolicLink(&n);
    while (driver->DeviceObject) IoDeleteDevice(driver->DeviceObject);
    if (g_log) ExFreePool(g_log);
}

static NTSTATUS make_device(PDRIVER_OBJECT driver, const WCHAR *name, int camera, PDEVICE_OBJECT *out)
{
    UNICODE_STRING n;
    NTSTATUS st;
    RtlInitUnicodeString(&n, name);
    st = IoCreateDevice(driver, sizeof(Extension), &n, FILE_DEVICE_UNKNOWN, 0, FALSE, out);
    if (!NT_SUCCESS(st)) return st;
    ((Extension *)(*out)->DeviceExtension)->camera = camera;
    (*out)->Flags |= DO_DIRECT_IO;
    (*out)->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registry)
{
    WCHAR name[] = L"\\Device\\ZentuSim0";
    UNICODE_STRING link, target;
    PDEVICE_OBJECT dev;
    HANDLE thread;
    NTSTATUS st;
    unsigned i;
    (void)registry;

    KeQueryPerformanceCounter(&g_perfFreq);
    if (g_perfFreq.QuadPart <= 0) g_perfFreq.QuadPart = 1000000;
    KeInitializeSpinLock(&g_lock);
    KeInitializeEvent(&g_wake, SynchronizationEvent, FALSE);
    g_log = ExAllocatePoolWithTag(NonPagedPool, ZENTU_SIM_LOG_ENTRIES * sizeof(ZentuSimLogEntry), TAG);
    if (!g_log) return STATUS_INSUFFICIENT_RESOURCES;

    driver->MajorFunction[IRP_MJ_CREATE] = dispatch;
    driver->MajorFunction[IRP_MJ_CLEANUP] = dispatch;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatch;
    driver->MajorFunction[IRP_MJ_READ] = dispatch;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatch;
    driver->DriverUnload = unload;

    for (i = 0; i < ZENTU_SIM_CAMERAS; i++) {
        Camera *c = &g_cameras[i];
        c->index = i;
        InitializeListHead(&c->reads);
        reset_camera(c);
        c->frame = ExAllocatePoolWithTag(NonPagedPool, FRAME_MAX + FRAME_SLACK, TAG);
        if (!c->frame) { unload(driver); return STATUS_INSUFFICIENT_RESOURCES; }
        name[sizeof name / sizeof name[0] - 2] = (WCHAR)(L'0' + i);
        st = make_device(driver, name, (int)i, &dev);
        if (!NT_SUCCESS(st)) { unload(driver); return st; }
        c->device = dev;
    }
    st = make_device(driver, L"\\Device\\ZentuSimCtl", -1, &dev);
    if (!NT_SUCCESS(st)) { unload(driver); return st; }
    RtlInitUnicodeString(&link, L"\\DosDevices\\zentu-ctl");
    RtlInitUnicodeString(&target, L"\\Device\\ZentuSimCtl");
    st = IoCreateSymbolicLink(&link, &target);
    if (NT_SUCCESS(st)) st = set_link(0, TRUE);
    if (NT_SUCCESS(st)) st = PsCreateSystemThread(&thread, THREAD_ALL_ACCESS, NULL, NULL, NULL, frame_clock, NULL);
    if (!NT_SUCCESS(st)) { unload(driver); return st; }
    ObReferenceObjectByHandle(thread, THREAD_ALL_ACCESS, NULL, KernelMode, &g_thread, NULL);
    ZwClose(thread);
    return STATUS_SUCCESS;
}
