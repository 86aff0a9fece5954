/* Cells of a workbook, and one reader and one writer of BIFF8 workbooks in
 * compound files: values only (formats, formulas and other streams of a
 * file written elsewhere are not kept). */
#include "Workbook.h"

#include <errno.h>
#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

/* ------------------------------------------------------------------ model */

void text_free(Text *t) {
    free(t->t);
    t->t = NULL;
    t->n = 0;
}

int text_set(Text *t, const uint16_t *s, int n) {
    uint16_t *p = NULL;
    if (n > 0) {
        p = malloc((size_t)n * 2);
        if (!p) return -1;
        memcpy(p, s, (size_t)n * 2);
    }
    free(t->t);
    t->t = p;
    t->n = n;
    return 0;
}

static uint16_t fold(uint16_t c) { return c >= 'a' && c <= 'z' ? (uint16_t)(c - 32) : c; }

int text_eq_nocase(const Text *a, const uint16_t *s, int n) {
    if (a->n != n) return 0;
    for (int i = 0; i < n; ++i)
        if (fold(a->t[i]) != fold(s[i])) return 0;
    return 1;
}

void sheet_clear(Sheet *sh) {
    for (int r = 0; r < sh->nrows; ++r) {
        for (int c = 0; c < sh->r[r].n; ++c) text_free(&sh->r[r].c[c]);
        free(sh->r[r].c);
    }
    free(sh->r);
    sh->r = NULL;
    sh->nrows = 0;
}

void wb_free(Workbook *wb) {
    for (int i = 0; i < wb->n; ++i) {
        sheet_clear(&wb->s[i]);
        text_free(&wb->s[i].name);
    }
    free(wb->s);
    wb->s = NULL;
    wb->n = 0;
}

Sheet *wb_find(Workbook *wb, const uint16_t *name, int n) {
    for (int i = 0; i < wb->n; ++i)
        if (text_eq_nocase(&wb->s[i].name, name, n)) return &wb->s[i];
    return NULL;
}

Sheet *wb_add(Workbook *wb, const uint16_t *name, int n) {
    Sheet *s = realloc(wb->s, (size_t)(wb->n + 1) * sizeof *s);
    if (!s) return NULL;
    wb->s = s;
    Sheet *sh = &s[wb->n];
    memset(sh, 0, sizeof *sh);
    if (text_set(&sh->name, name, n)) return NULL;
    wb->n++;
    return sh;
}

const Text *sheet_cell(const Sheet *sh, int row, int col) {
    if (row < 0 || row >= sh->nrows || col < 0 || col >= sh->r[row].n) return NULL;
    const Text *t = &sh->r[row].c[col];
    return t->n ? t : NULL;
}

int sheet_set(Sheet *sh, int row, int col, const uint16_t *s, int n) {
    if (row < 0 || row >= WB_MAX_ROWS || col < 0 || col >= WB_MAX_COLS) return -1;
    if (n == 0 && row >= sh->nrows) return 0;
    if (row >= sh->nrows) {
        Row *r = realloc(sh->r, (size_t)(row + 1) * sizeof *r);
        if (!r) return -1;
        memset(r + sh->nrows, 0, (size_t)(row + 1 - sh->nrows) * sizeof *r);
        sh->r = r;
        sh->nrows = row + 1;
    }
    Row *r = &sh->r[row];
    if (col >= r->n) {
        if (n == 0) return 0;
        Text *c = realloc(r->c, (size_t)(col + 1) * sizeof *c);
        if (!c) return -1;
        memset(c + r->n, 0, (size_t)(col + 1 - r->n) * sizeof *c);
        r->c = c;
        r->n = col + 1;
    }
    return text_set(&r->c[col], s, n);
}

int sheet_row_cols(const Sheet *sh, int row) {
    if (row < 0 || row >= sh->nrows) return 0;
    int n = sh->r[row].n;
    while (n > 0 && sh->r[row].c[n - 1].n == 0) --n;
    return n;
}

int sheet_used_rows(const Sheet *sh) {
    int n = sh->nrows;
    while (n > 0 && sheet_row_cols(sh, n - 1) == 0) --n;
    return n;
}

int sheet_used_cols(const Sheet *sh) {
    int most = 0;
    for (int r = 0; r < sh->nrows; ++r) {
        int n = sheet_row_cols(sh, r);
        if (n > most) most = n;
    }
    return most;
}

static int fail(char *err, size_t errlen, const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(err, errlen, fmt, ap);
    va_end(ap);
    return -1;
}

static uint16_t get16(const uint8_t *p) { return (uint16_t)(p[0] | p[1] << 8); }
static uint32_t get32(const uint8_t *p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24; }

/* ------------------------------------------------------- compound file */

#define ENDOFCHAIN 0xFFFFFFFEu
#define FREESECT 0xFFFFFFFFu
#define FATSECT 0xFFFFFFFDu
#define NOSTREAM 0xFFFFFFFFu

static const uint8_t kMagic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

typedef struct {
    const uint8_t *d;
    size_t len;
    uint32_t ssize;
    uint32_t *fat;
    uint32_t nfat; /* entries */
} Cfb;

static const uint8_t *cfb_sector(const Cfb *f, uint32_t s) {
    size_t off = ((size_t)s + 1) * f->ssize;
    if (s >= ENDOFCHAIN - 16 || off + f->ssize > f->len) return NULL;
    return f->d + off;
}

/* Follows a chain in fat (sectors of unit bytes in base) into a new buffer of size bytes. */
static uint8_t *cfb_chain(const Cfb *f, const uint32_t *fat, uint32_t nfat, uint32_t start, size_t size,
                          int mini, const uint8_t *ministream, size_t minilen) {
    const uint32_t unit = mini ? 64 : f->ssize;
    uint8_t *out = malloc(size ? size : 1);
    if (!out) return NULL;
    size_t got = 0;
    uint32_t s = start, steps = 0;
    while (got < size) {
        if (s >= nfat || ++steps > nfat) goto bad;
        const uint8_t *src;
        if (mini) {
            if ((size_t)s * 64 + 64 > minilen) goto bad;
            src = ministream + (size_t)s * 64;
        } else if (!(src = cfb_sector(f, s))) {
            goto bad;
        }
        size_t n = size - got < unit ? size - got : unit;
        memcpy(out + got, src, n);
        got += n;
        s = fat[s];
    }
    return out;
bad:
    free(out);
    return NULL;
}

static size_t chain_len(const uint32_t *fat, uint32_t nfat, uint32_t start) {
    size_t n = 0;
    for (uint32_t s = start; s < nfat && n <= nfat; s = fat[s]) ++n;
    return n;
}

/* The "Workbook" stream of a compound file. */
static uint8_t *cfb_workbook(const uint8_t *d, size_t len, size_t *outlen, char *err, size_t errlen) {
    Cfb f = {d, len, 0, NULL, 0};
    uint8_t *dir = NULL, *ministream = NULL, *minifat = NULL, *out = NULL;
    if (len < 512 || memcmp(d, kMagic, 8) != 0) {
        fail(err, errlen, "The file is not an Excel workbook");
        return NULL;
    }
    uint16_t shift = get16(d + 0x1E);
    if (shift != 9 && shift != 12) {
        fail(err, errlen, "The workbook's compound file is damaged");
        return NULL;
    }
    f.ssize = 1u << shift;
    uint32_t nfatsect = get32(d + 0x2C), firstdir = get32(d + 0x30), cutoff = get32(d + 0x38);
    uint32_t firstmini = get32(d + 0x3C), nmini = get32(d + 0x40), difat = get32(d + 0x44);
    const uint32_t per = f.ssize / 4;
    if (nfatsect > len / f.ssize + 1) goto damaged;
    f.fat = malloc(((size_t)nfatsect * per + 1) * 4);
    if (!f.fat) goto damaged;
    /* The FAT's sectors: 109 in the header, the rest in the DIFAT chain. */
    uint32_t listed = 0;
    for (uint32_t i = 0; i < 109 && listed < nfatsect; ++i, ++listed) {
        const uint8_t *s = cfb_sector(&f, get32(d + 0x4C + i * 4));
        if (!s) goto damaged;
        for (uint32_t k = 0; k < per; ++k) f.fat[listed * per + k] = get32(s + k * 4);
    }
    for (uint32_t guard = 0; listed < nfatsect && guard < nfatsect; ++guard) {
        const uint8_t *ds = cfb_sector(&f, difat);
        if (!ds) goto damaged;
        for (uint32_t i = 0; i + 1 < per && listed < nfatsect; ++i, ++listed) {
            const uint8_t *s = cfb_sector(&f, get32(ds + i * 4));
            if (!s) goto damaged;
            for (uint32_t k = 0; k < per; ++k) f.fat[listed * per + k] = get32(s + k * 4);
        }
        difat = get32(ds + (per - 1) * 4);
    }
    if (listed < nfatsect) goto damaged;
    f.nfat = nfatsect * per;

    size_t dirlen = chain_len(f.fat, f.nfat, firstdir) * f.ssize;
    if (!dirlen || !(dir = cfb_chain(&f, f.fat, f.nfat, firstdir, dirlen, 0, NULL, 0))) goto damaged;
    const uint8_t *root = dir, *book = NULL;
    for (size_t off = 0; off + 128 <= dirlen; off += 128) {
        const uint8_t *e = dir + off;
        uint16_t nlen = get16(e + 0x40);
        if (e[0x42] != 2 || nlen < 2 || nlen > 64) continue;
        static const char *names[] = {"Workbook", "Book"};
        for (int k = 0; k < 2; ++k) {
            size_t n = strlen(names[k]);
            if (nlen != (n + 1) * 2) continue;
            int same = 1;
            for (size_t i = 0; i < n && same; ++i) same = fold(get16(e + i * 2)) == fold((uint16_t)names[k][i]);
            if (!same) continue;
            if (k == 1) {
                fail(err, errlen, "The workbook is in an older Excel format than Excel 97");
                goto out;
            }
            book = e;
        }
    }
    if (!book) {
        fail(err, errlen, "The file holds no Excel workbook");
        goto out;
    }
    uint32_t start = get32(book + 0x74);
    size_t size = get32(book + 0x78);
    if (size > len * 2 + 4096) goto damaged;
    if (size < cutoff) {
        size_t rootsize = get32(root + 0x78);
        if (rootsize > len) goto damaged;
        ministream = cfb_chain(&f, f.fat, f.nfat, get32(root + 0x74), rootsize, 0, NULL, 0);
        size_t mflen = (size_t)nmini * f.ssize;
        if (!ministream || nmini > f.nfat || !(minifat = cfb_chain(&f, f.fat, f.nfat, firstmini, mflen, 0, NULL, 0)))
            goto damaged;
        uint32_t *mfat = (uint32_t *)malloc(mflen ? mflen : 4);
        if (!mfat) goto damaged;
        for (size_t i = 0; i < mflen / 4; ++i) mfat[i] = get32(minifat + i * 4);
        out = cfb_chain(&f, mfat, (uint32_t)(mflen / 4), start, size, 1, ministream, rootsize);
        free(mfat);
    } else {
        out = cfb_chain(&f, f.fat, f.nfat, start, size, 0, NULL, 0);
    }
    if (!out) goto damaged;
    *outlen = size;
    goto out;
damaged:
    fail(err, errlen, "The workbook's compound file is damaged");
out:
    free(f.fat);
    free(dir);
    free(ministream);
    free(minifat);
    return out;
}

/* --------------------------------------------------------- BIFF8 reading */

/* A record's payload with its CONTINUE records: strings may cross them. */
typedef struct {
    const uint8_t *seg[2048];
    uint16_t len[2048];
    int nseg, cur;
    size_t off;
    int bad;
} Parts;

static int parts_left(Parts *p) {
    while (p->cur < p->nseg && p->off >= p->len[p->cur]) {
        p->cur++;
        p->off = 0;
    }
    return p->cur < p->nseg;
}

static uint8_t parts_u8(Parts *p) {
    if (!parts_left(p)) {
        p->bad = 1;
        return 0;
    }
    return p->seg[p->cur][p->off++];
}

static uint32_t parts_uint(Parts *p, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= (uint32_t)parts_u8(p) << (8 * i);
    return v;
}

/* An XLUnicodeRichExtendedString: its characters continue in the next
 * record with a fresh flag byte. */
static int parts_string(Parts *p, int cchbytes, Text *out) {
    int cch = (int)parts_uint(p, cchbytes);
    uint8_t flags = parts_u8(p);
    uint32_t runs = flags & 8 ? parts_uint(p, 2) : 0;
    uint32_t ext = flags & 4 ? parts_uint(p, 4) : 0;
    uint16_t *t = malloc((size_t)(cch ? cch : 1) * 2);
    if (!t) return -1;
    int wide = flags & 1;
    for (int i = 0; i < cch && !p->bad; ++i) {
        if (p->off >= p->len[p->cur] && parts_left(p)) wide = parts_u8(p) & 1;
        t[i] = (uint16_t)(wide ? parts_uint(p, 2) : parts_u8(p));
    }
    for (uint32_t i = 0; i < runs * 4 + ext && !p->bad; ++i) parts_u8(p);
    if (p->bad) {
        free(t);
        return -1;
    }
    out->t = t;
    out->n = cch;
    return 0;
}

static double rk_value(uint32_t rk) {
    double v;
    if (rk & 2) {
        v = (double)((int32_t)rk >> 2);
    } else {
        uint64_t bits = (uint64_t)(rk & 0xFFFFFFFCu) << 32;
        memcpy(&v, &bits, 8);
    }
    return rk & 1 ? v / 100 : v;
}

static int set_ascii(Sheet *sh, int row, int col, const char *s) {
    uint16_t w[64];
    int n = 0;
    while (s[n] && n < 64) {
        w[n] = (uint8_t)s[n];
        ++n;
    }
    return sheet_set(sh, row, col, w, n);
}

static int set_number(Sheet *sh, int row, int col, double v) {
    char buf[40];
    if (!isfinite(v)) return set_ascii(sh, row, col, "#NUM!");
    snprintf(buf, sizeof buf, "%.15g", v);
    return set_ascii(sh, row, col, buf);
}

typedef struct {
    const uint8_t *d;
    size_t len, pos;
} Stream;

/* The next record; its CONTINUE records are gathered when parts is given. */
static int next_record(Stream *s, uint16_t *id, const uint8_t **data, uint16_t *len, Parts *parts) {
    if (s->pos + 4 > s->len) return 0;
    *id = get16(s->d + s->pos);
    *len = get16(s->d + s->pos + 2);
    if (s->pos + 4 + *len > s->len) return 0;
    *data = s->d + s->pos + 4;
    s->pos += 4 + (size_t)*len;
    if (parts) {
        parts->nseg = 1;
        parts->cur = 0;
        parts->off = 0;
        parts->bad = 0;
        parts->seg[0] = *data;
        parts->len[0] = *len;
        while (s->pos + 4 <= s->len && get16(s->d + s->pos) == 0x003C && parts->nseg < 2048) {
            uint16_t n = get16(s->d + s->pos + 2);
            if (s->pos + 4 + n > s->len) return 0;
            parts->seg[parts->nseg] = s->d + s->pos + 4;
            parts->len[parts->nseg++] = n;
            s->pos += 4 + (size_t)n;
        }
    }
    return 1;
}

static int read_sheet(const uint8_t *d, size_t len, size_t pos, Sheet *sh, const Text *sst, uint32_t nsst,
                      Parts *parts) {
    Stream s = {d, len, pos};
    uint16_t id, n;
    const uint8_t *p;
    if (!next_record(&s, &id, &p, &n, NULL) || id != 0x0809) return -1;
    int pending_row = -1, pending_col = -1; /* a formula whose text follows */
    while (next_record(&s, &id, &p, &n, NULL)) {
        if (id == 0x000A) return 0;
        if (n < 6 && id != 0x0207) continue;
        int row = n >= 4 ? get16(p) : 0, col = n >= 4 ? get16(p + 2) : 0, rc = 0;
        switch (id) {
        case 0x00FD: /* LABELSST */
            if (n >= 10 && get32(p + 6) < nsst) rc = sheet_set(sh, row, col, sst[get32(p + 6)].t, sst[get32(p + 6)].n);
            break;
        case 0x0204: { /* LABEL */
            Text t = {0};
            s.pos -= 4 + (size_t)n;
            next_record(&s, &id, &p, &n, parts);
            parts->off = 6;
            if (parts_string(parts, 2, &t) == 0) {
                rc = sheet_set(sh, row, col, t.t, t.n);
                free(t.t);
            }
            break;
        }
        case 0x0203: /* NUMBER */
            if (n >= 14) {
                double v;
                memcpy(&v, p + 6, 8);
                rc = set_number(sh, row, col, v);
            }
            break;
        case 0x027E: /* RK */
            if (n >= 10) rc = set_number(sh, row, col, rk_value(get32(p + 6)));
            break;
        case 0x00BD: /* MULRK */
            for (int i = 0; 4 + i * 6 + 6 <= n - 2 && rc == 0; ++i)
                rc = set_number(sh, row, col + i, rk_value(get32(p + 4 + i * 6 + 2)));
            break;
        case 0x0205: /* BOOLERR */
            if (n >= 8) rc = p[7] ? set_ascii(sh, row, col, "#ERROR") : set_ascii(sh, row, col, p[6] ? "TRUE" : "FALSE");
            break;
        case 0x0006: /* FORMULA: its last value */
            if (n >= 14) {
                if (get16(p + 12) != 0xFFFF) {
                    double v;
                    memcpy(&v, p + 6, 8);
                    rc = set_number(sh, row, col, v);
                } else if (p[6] == 0) {
                    pending_row = row;
                    pending_col = col;
                } else if (p[6] == 1) {
                    rc = set_ascii(sh, row, col, p[8] ? "TRUE" : "FALSE");
                } else if (p[6] == 2) {
                    rc = set_ascii(sh, row, col, "#ERROR");
                }
            }
            break;
        case 0x0207: /* STRING after a formula */
            if (pending_row >= 0) {
                Text t = {0};
                s.pos -= 4 + (size_t)n;
                next_record(&s, &id, &p, &n, parts);
                if (parts_string(parts, 2, &t) == 0) {
                    rc = sheet_set(sh, pending_row, pending_col, t.t, t.n);
                    free(t.t);
                }
                pending_row = -1;
            }
            break;
        }
        if (rc) return -1;
    }
    return -1;
}

static int read_biff(const uint8_t *d, size_t len, Workbook *wb, char *err, size_t errlen) {
    Stream s = {d, len, 0};
    uint16_t id, n;
    const uint8_t *p;
    Text *sst = NULL;
    uint32_t nsst = 0;
    size_t *pos = NULL;
    int rc = -1;
    Parts *parts = calloc(1, sizeof *parts);
    if (!parts) return fail(err, errlen, "Out of memory");
    if (!next_record(&s, &id, &p, &n, NULL) || id != 0x0809 || n < 4 || get16(p) != 0x0600 ||
        get16(p + 2) != 0x0005) {
        fail(err, errlen, "The workbook is not in the Excel 97-2003 format");
        goto out;
    }
    for (;;) {
        size_t at = s.pos;
        if (!next_record(&s, &id, &p, &n, NULL)) {
            fail(err, errlen, "The workbook is damaged");
            goto out;
        }
        if (id == 0x000A) break;
        if (id == 0x002F) {
            fail(err, errlen, "The workbook is protected by a password");
            goto out;
        }
        if (id == 0x0085 && n >= 8) { /* BOUNDSHEET */
            if (p[5] != 0) continue; /* charts and macro sheets */
            s.pos = at;
            next_record(&s, &id, &p, &n, parts);
            parts->off = 6;
            Text name = {0};
            if (parts_string(parts, 1, &name)) {
                fail(err, errlen, "The workbook is damaged");
                goto out;
            }
            Sheet *sh = wb_add(wb, name.t, name.n);
            free(name.t);
            size_t *np = realloc(pos, (size_t)wb->n * sizeof *np);
            if (!sh || !np) {
                fail(err, errlen, "Out of memory");
                goto out;
            }
            pos = np;
            pos[wb->n - 1] = get32(p);
        } else if (id == 0x00FC && n >= 8) { /* SST */
            s.pos = at;
            next_record(&s, &id, &p, &n, parts);
            uint32_t count = get32(p + 4);
            parts->off = 8;
            if (count > len) {
                fail(err, errlen, "The workbook is damaged");
                goto out;
            }
            sst = calloc(count ? count : 1, sizeof *sst);
            if (!sst) {
                fail(err, errlen, "Out of memory");
                goto out;
            }
            for (nsst = 0; nsst < count; ++nsst)
                if (parts_string(parts, 2, &sst[nsst])) break;
        }
    }
    for (int i = 0; i < wb->n; ++i) {
        if (read_sheet(d, len, pos[i], &wb->s[i], sst, nsst, parts)) {
            fail(err, errlen, "The workbook's sheet %d is damaged", i + 1);
            goto out;
        }
    }
    rc = 0;
out:
    for (uint32_t i = 0; i < nsst; ++i) free(sst[i].t);
    free(sst);
    free(pos);
    free(parts);
    return rc;
}

int wb_read(const char *path, Workbook *wb, char *err, size_t errlen) {
    FILE *f = fopen(path, "rb");
    if (!f) {
        fail(err, errlen, "Cannot open the workbook %s: %s", path, strerror(errno));
        return errno == ENOENT ? -2 : -1;
    }
    uint8_t *d = NULL;
    size_t len = 0, cap = 0, got;
    do {
        if (len == cap) {
            cap = cap ? cap * 2 : 65536;
            uint8_t *nd = realloc(d, cap);
            if (!nd) {
                free(d);
                fclose(f);
                return fail(err, errlen, "Out of memory");
            }
            d = nd;
        }
        got = fread(d + len, 1, cap - len, f);
        len += got;
    } while (got);
    fclose(f);
    size_t blen = 0;
    uint8_t *book = len == 0 ? NULL : cfb_workbook(d, len, &blen, err, errlen);
    free(d);
    if (len == 0) return 0; /* an empty file is a new workbook */
    if (!book) return -1;
    int rc = read_biff(book, blen, wb, err, errlen);
    free(book);
    if (rc) wb_free(wb);
    return rc;
}

/* --------------------------------------------------------- BIFF8 writing */

typedef struct {
    uint8_t *d;
    size_t n, cap;
    int bad;
} Buf;

static void put(Buf *b, const void *p, size_t n) {
    if (b->bad) return;
    if (b->n + n > b->cap) {
        size_t cap = b->cap ? b->cap : 65536;
        while (cap < b->n + n) cap *= 2;
        uint8_t *d = realloc(b->d, cap);
        if (!d) {
            b->bad = 1;
            return;
        }
        b->d = d;
        b->cap = cap;
    }
    memcpy(b->d + b->n, p, n);
    b->n += n;
}
static void put8(Buf *b, unsigned v) {
    uint8_t c = (uint8_t)v;
    put(b, &c, 1);
}
static void put16(Buf *b, unsigned v) {
    put8(b, v & 0xFF);
    put8(b, (v >> 8) & 0xFF);
}
static void put32(Buf *b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
static void set32(Buf *b, size_t at, uint32_t v) {
    if (b->bad) return;
    for (int i = 0; i < 4; ++i) b->d[at + i] = (uint8_t)(v >> (8 * i));
}
static void set16(Buf *b, size_t at, unsigned v) {
    if (b->bad) return;
    b->d[at] = (uint8_t)v;
    b->d[at + 1] = (uint8_t)(v >> 8);
}
static size_t begin(Buf *b, unsigned id) {
    put16(b, id);
    put16(b, 0);
    return b->n;
}
static void end(Buf *b, size_t start) { set16(b, start - 2, (unsigned)(b->n - start)); }

static int narrow(const Text *t) {
    for (int i = 0; i < t->n; ++i)
        if (t->t[i] > 0xFF) return 0;
    return 1;
}

static void put_chars(Buf *b, const Text *t, int wide) {
    for (int i = 0; i < t->n; ++i) wide ? put16(b, t->t[i]) : put8(b, t->t[i]);
}

#define MAX_RECORD 8224

/* The shared strings: a string that does not fit goes on in a CONTINUE
 * record, whose first byte repeats its flags; a header is never split. */
static void put_sst(Buf *b, const Workbook *wb, uint32_t count) {
    size_t rec = begin(b, 0x00FC);
    put32(b, count);
    put32(b, count);
    for (int i = 0; i < wb->n; ++i) {
        const Sheet *sh = &wb->s[i];
        if (sh->dropped) continue;
        for (int r = 0; r < sh->nrows; ++r)
            for (int c = 0; c < sh->r[r].n; ++c) {
                const Text *t = &sh->r[r].c[c];
                if (!t->n) continue;
                int wide = !narrow(t), unit = wide ? 2 : 1;
                if (b->n - rec + 3 + unit > MAX_RECORD) {
                    end(b, rec);
                    rec = begin(b, 0x003C);
                }
                put16(b, (unsigned)t->n);
                put8(b, (unsigned)wide);
                for (int k = 0; k < t->n; ++k) {
                    if (b->n - rec + unit > MAX_RECORD) {
                        end(b, rec);
                        rec = begin(b, 0x003C);
                        put8(b, (unsigned)wide);
                    }
                    wide ? put16(b, t->t[k]) : put8(b, t->t[k]);
                }
            }
    }
    end(b, rec);
}

static void put_bof(Buf *b, unsigned type) {
    size_t r = begin(b, 0x0809);
    put16(b, 0x0600);
    put16(b, type);
    put16(b, 0x0DBB);
    put16(b, 0x07CC);
    put32(b, 0);
    put32(b, 0x06);
    end(b, r);
}

static void put_eof(Buf *b) { begin(b, 0x000A); }

static void put_globals_styles(Buf *b) {
    size_t r = begin(b, 0x0042); /* CODEPAGE: UTF-16 */
    put16(b, 1200);
    end(b, r);
    r = begin(b, 0x003D); /* WINDOW1 */
    put16(b, 0);
    put16(b, 0);
    put16(b, 0x3A5C);
    put16(b, 0x2328);
    put16(b, 0x0038);
    put16(b, 0);
    put16(b, 0);
    put16(b, 1);
    put16(b, 0x0258);
    end(b, r);
    /* Four fonts: font index 4 is never used. */
    for (int i = 0; i < 4; ++i) {
        r = begin(b, 0x0031);
        put16(b, 200);
        put16(b, 0);
        put16(b, 0x7FFF);
        put16(b, 400);
        put16(b, 0);
        put8(b, 0);
        put8(b, 0);
        put8(b, 0);
        put8(b, 0);
        put8(b, 5);
        put8(b, 0);
        put(b, "Arial", 5);
        end(b, r);
    }
    /* Fifteen style formats, then the cells' one (15). */
    for (int i = 0; i < 16; ++i) {
        r = begin(b, 0x00E0);
        put16(b, 0);
        put16(b, 0);
        put16(b, i < 15 ? 0xFFF5 : 0x0001);
        put8(b, 0x20);
        put8(b, 0);
        put8(b, 0);
        put8(b, i == 0 || i == 15 ? 0x00 : 0xF4);
        put32(b, 0);
        put32(b, 0);
        put16(b, 0x20C0);
        end(b, r);
    }
    r = begin(b, 0x0293); /* STYLE: Normal */
    put16(b, 0x8000);
    put8(b, 0);
    put8(b, 0xFF);
    end(b, r);
}

static int build_biff(const Workbook *wb, Buf *b) {
    size_t *patch = calloc((size_t)wb->n + 1, sizeof *patch);
    if (!patch) return -1;
    uint32_t count = 0;
    int written = 0, only = -1;
    for (int i = 0; i < wb->n; ++i)
        if (!wb->s[i].dropped) ++written;
    if (written == 0 && wb->n) only = 0; /* a workbook holds one sheet at least */
    put_bof(b, 0x0005);
    put_globals_styles(b);
    for (int i = 0; i < wb->n; ++i) {
        const Sheet *sh = &wb->s[i];
        if (sh->dropped && i != only) continue;
        size_t r = begin(b, 0x0085);
        patch[i] = b->n;
        put32(b, 0);
        put8(b, 0);
        put8(b, 0);
        int wide = !narrow(&sh->name);
        put8(b, (unsigned)sh->name.n);
        put8(b, (unsigned)wide);
        put_chars(b, &sh->name, wide);
        end(b, r);
        if (!sh->dropped)
            for (int row = 0; row < sh->nrows; ++row)
                for (int c = 0; c < sh->r[row].n; ++c) count += sh->r[row].c[c].n ? 1 : 0;
    }
    put_sst(b, wb, count);
    put_eof(b);
    uint32_t isst = 0;
    int first = 1;
    for (int i = 0; i < wb->n; ++i) {
        const Sheet *sh = &wb->s[i];
        if (sh->dropped && i != only) continue;
        set32(b, patch[i], (uint32_t)b->n);
        put_bof(b, 0x0010);
        int rows = sh->dropped ? 0 : sheet_used_rows(sh), cols = sh->dropped ? 0 : sheet_used_cols(sh);
        size_t r = begin(b, 0x0200); /* DIMENSIONS */
        put32(b, 0);
        put32(b, (uint32_t)rows);
        put16(b, 0);
        put16(b, (unsigned)cols);
        put16(b, 0);
        end(b, r);
        for (int row = 0; row < rows; ++row)
            for (int c = 0; c < sh->r[row].n; ++c) {
                if (!sh->r[row].c[c].n) continue;
                r = begin(b, 0x00FD);
                put16(b, (unsigned)row);
                put16(b, (unsigned)c);
                put16(b, 15);
                put32(b, isst++);
                end(b, r);
            }
        r = begin(b, 0x023E); /* WINDOW2 */
        put16(b, first ? 0x06B6 : 0x00B6);
        put16(b, 0);
        put16(b, 0);
        put16(b, 64);
        put16(b, 0);
        put16(b, 0);
        put16(b, 0);
        put16(b, 0);
        put32(b, 0);
        end(b, r);
        first = 0;
        put_eof(b);
    }
    free(patch);
    return b->bad ? -1 : 0;
}

/* A version-3 compound file of 512-byte sectors holding one stream; the
 * stream is at least the mini-stream limit long, so no mini stream is needed. */
static int build_cfb(const Buf *book, Buf *f, char *err, size_t errlen) {
    size_t size = book->n < 4096 ? 4096 : book->n;
    uint32_t nstream = (uint32_t)((size + 511) / 512), nfat = 1;
    while ((nstream + 1 + nfat + 127) / 128 > nfat) ++nfat;
    if (nfat > 109) return fail(err, errlen, "The workbook is too large");
    uint32_t dirsect = nstream, fat0 = nstream + 1, total = nstream + 1 + nfat;
    put(f, kMagic, 8);
    for (int i = 0; i < 16; ++i) put8(f, 0);
    put16(f, 0x003E);
    put16(f, 0x0003);
    put16(f, 0xFFFE);
    put16(f, 9);
    put16(f, 6);
    for (int i = 0; i < 6; ++i) put8(f, 0);
    put32(f, 0);
    put32(f, nfat);
    put32(f, dirsect);
    put32(f, 0);
    put32(f, 4096);
    put32(f, ENDOFCHAIN);
    put32(f, 0);
    put32(f, ENDOFCHAIN);
    put32(f, 0);
    for (uint32_t i = 0; i < 109; ++i) put32(f, i < nfat ? fat0 + i : FREESECT);
    put(f, book->d, book->n);
    for (size_t i = book->n; i < (size_t)nstream * 512; ++i) put8(f, 0);
    /* The directory: the root, the stream, two unused entries. */
    static const char *names[] = {"Root Entry", "Workbook"};
    for (int e = 0; e < 4; ++e) {
        size_t at = f->n;
        if (e < 2)
            for (const char *c = names[e]; *c; ++c) put16(f, (unsigned char)*c);
        while (f->n < at + 64) put8(f, 0);
        put16(f, e < 2 ? (unsigned)(strlen(names[e]) + 1) * 2 : 0);
        put8(f, e == 0 ? 5 : e == 1 ? 2 : 0);
        put8(f, e < 2 ? 1 : 0);
        put32(f, NOSTREAM);
        put32(f, NOSTREAM);
        put32(f, e == 0 ? 1 : NOSTREAM);
        while (f->n < at + 0x74) put8(f, 0);
        put32(f, e == 1 ? 0 : e == 0 ? ENDOFCHAIN : 0);
        put32(f, e == 1 ? (uint32_t)size : 0);
        put32(f, 0);
    }
    for (uint32_t s = 0; s < nfat * 128; ++s) {
        uint32_t v = FREESECT;
        if (s < nstream) v = s + 1 < nstream ? s + 1 : ENDOFCHAIN;
        else if (s == dirsect) v = ENDOFCHAIN;
        else if (s < total) v = FATSECT;
        put32(f, v);
    }
    return f->bad ? fail(err, errlen, "Out of memory") : 0;
}

int wb_write(const char *path, const Workbook *wb, char *err, size_t errlen) {
    Buf book = {0}, file = {0};
    int rc = -1;
    if (build_biff(wb, &book)) {
        fail(err, errlen, "Out of memory");
        goto out;
    }
    if (build_cfb(&book, &file, err, errlen)) goto out;
    size_t plen = strlen(path);
    char *tmp = malloc(plen + 16);
    if (!tmp) goto out;
    snprintf(tmp, plen + 16, "%s.%ld~", path, (long)getpid());
    FILE *f = fopen(tmp, "wb");
    int ok = f && fwrite(file.d, 1, file.n, f) == file.n;
    if (f && fclose(f) != 0) ok = 0;
    if (ok && rename(tmp, path) == 0) {
        rc = 0;
    } else {
        fail(err, errlen, "Cannot write the workbook %s: %s", path, strerror(errno));
        remove(tmp);
    }
    free(tmp);
out:
    free(book.d);
    free(file.d);
    return rc;
}
