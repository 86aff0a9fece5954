/* An ODBC driver for .xls workbooks, loaded by unixODBC (which Wine's odbc32
 * hands connections to). A worksheet is a table whose first row holds the
 * column names; every value is text. It understands the statements
 *   CREATE TABLE t (c type, ...)    DROP TABLE t
 *   INSERT INTO t [(c, ...)] VALUES ('v', ...)
 *   UPDATE t SET c='v', ... [WHERE c='v' AND ...]    SELECT * FROM t
 * where t is [sheet], [sheet$] or [sheet$A1:IV65536] (the range is not
 * used: INSERT appends after the last used row). The workbook is kept in
 * memory while connected and written after every change. */
#define SIZEOF_LONG_INT 4
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <ctype.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "Workbook.h"

#define EXPORT __attribute__((visibility("default")))

enum { kEnv = 0x56454e31, kDbc = 0x56444331, kStmt = 0x56535431 };

typedef struct {
    char state[6];
    char text[512];
} Diag;

typedef struct {
    int magic;
    Diag diag;
    int has_diag;
} Head;

typedef struct {
    Head h;
} Env;

typedef struct {
    Head h;
    int connected, readonly, firstrow_names;
    char path[4096];
    Workbook wb;
} Dbc;

typedef struct {
    Head h;
    Dbc *dbc;
    /* a result: column names, then rows of cells (NULL: empty) */
    int ncols, nrows, cur;
    Text *names;
    const Sheet *sheet;
    int first_row, col_got, got_col;
    size_t got_off;
    SQLLEN rowcount;
} Stmt;

static Head *head_of(SQLHANDLE h, int magic) {
    Head *p = (Head *)h;
    return p && p->magic == magic ? p : NULL;
}

static SQLRETURN diag(Head *h, const char *state, const char *fmt, ...) __attribute__((format(printf, 3, 4)));
static SQLRETURN diag(Head *h, const char *state, const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    snprintf(h->diag.state, sizeof h->diag.state, "%s", state);
    char msg[480];
    vsnprintf(msg, sizeof msg, fmt, ap);
    snprintf(h->diag.text, sizeof h->diag.text, "[Veltrane][Excel Driver] %s", msg);
    h->has_diag = 1;
    va_end(ap);
    return SQL_ERROR;
}

static void clear_diag(Head *h) { h->has_diag = 0; }

/* ---------------------------------------------------------------- text */

static int wlen(const SQLWCHAR *s, SQLINTEGER n) {
    if (n != SQL_NTS) return n < 0 ? 0 : (int)n;
    int k = 0;
    while (s[k]) ++k;
    return k;
}

/* UTF-16 to UTF-8, for paths and messages. */
static void to_utf8(const uint16_t *s, int n, char *out, size_t cap) {
    size_t o = 0;
    for (int i = 0; i < n && o + 4 < cap; ++i) {
        uint32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        if (c < 0x80) {
            out[o++] = (char)c;
        } else if (c < 0x800) {
            out[o++] = (char)(0xC0 | c >> 6);
            out[o++] = (char)(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out[o++] = (char)(0xE0 | c >> 12);
            out[o++] = (char)(0x80 | ((c >> 6) & 0x3F));
            out[o++] = (char)(0x80 | (c & 0x3F));
        } else {
            out[o++] = (char)(0xF0 | c >> 18);
            out[o++] = (char)(0x80 | ((c >> 12) & 0x3F));
            out[o++] = (char)(0x80 | ((c >> 6) & 0x3F));
            out[o++] = (char)(0x80 | (c & 0x3F));
        }
    }
    out[o] = 0;
}

/* ------------------------------------------------- connection keywords */

/* The value of key in a connection string: {braced}, "quoted" or plain. */
static int conn_value(const uint16_t *s, int n, const char *key, uint16_t *out, int cap) {
    int i = 0;
    while (i < n) {
        while (i < n && (s[i] == ' ' || s[i] == ';')) ++i;
        int k0 = i;
        while (i < n && s[i] != '=' && s[i] != ';') ++i;
        int k1 = i;
        while (k1 > k0 && s[k1 - 1] == ' ') --k1;
        int match = (int)strlen(key) == k1 - k0;
        for (int j = 0; match && j < k1 - k0; ++j) match = toupper(s[k0 + j] < 128 ? s[k0 + j] : 0) == key[j];
        if (i >= n || s[i] == ';') continue;
        ++i;
        while (i < n && s[i] == ' ') ++i;
        int len = 0;
        if (i < n && (s[i] == '{' || s[i] == '"')) {
            uint16_t close = s[i] == '{' ? '}' : '"';
            for (++i; i < n; ++i) {
                if (s[i] == close) {
                    if (close == '}' && i + 1 < n && s[i + 1] == '}') ++i;
                    else break;
                }
                if (match && len < cap - 1) out[len++] = s[i];
            }
            if (i < n) ++i;
            while (i < n && s[i] != ';') ++i;
        } else {
            int v0 = i;
            while (i < n && s[i] != ';') ++i;
            int v1 = i;
            while (v1 > v0 && s[v1 - 1] == ' ') --v1;
            for (int j = v0; match && j < v1 && len < cap - 1; ++j) out[len++] = s[j];
        }
        if (match) {
            out[len] = 0;
            return len;
        }
    }
    return -1;
}

/* A Windows path of the Wine prefix as a path of this system. */
static int unix_path(const uint16_t *w, int n, char *out, size_t cap) {
    char p[4096];
    to_utf8(w, n, p, sizeof p);
    if (p[0] == '/') {
        snprintf(out, cap, "%s", p);
        return 0;
    }
    if (!isalpha((unsigned char)p[0]) || p[1] != ':' || (p[2] != '\\' && p[2] != '/')) return -1;
    const char *prefix = getenv("WINEPREFIX");
    char home[4096];
    if (!prefix || !*prefix) {
        snprintf(home, sizeof home, "%s/.wine", getenv("HOME") ? getenv("HOME") : "");
        prefix = home;
    }
    int k = snprintf(out, cap, "%s/dosdevices/%c:", prefix, tolower((unsigned char)p[0]));
    if (k < 0 || (size_t)k + strlen(p + 2) >= cap) return -1;
    for (const char *c = p + 2; *c; ++c) out[k++] = *c == '\\' ? '/' : *c;
    out[k] = 0;
    return 0;
}

static int is_true(const uint16_t *v, int n) {
    return n > 0 && (v[0] == '1' || v[0] == 'T' || v[0] == 't' || v[0] == 'Y' || v[0] == 'y');
}

/* ------------------------------------------------------------- the SQL */

typedef struct {
    const uint16_t *s;
    int n, i;
} Lex;

static void skip_space(Lex *l) {
    while (l->i < l->n && (l->s[l->i] == ' ' || l->s[l->i] == '\t' || l->s[l->i] == '\r' || l->s[l->i] == '\n'))
        ++l->i;
}

static int keyword(Lex *l, const char *kw) {
    skip_space(l);
    int k = (int)strlen(kw);
    if (l->i + k > l->n) return 0;
    for (int j = 0; j < k; ++j)
        if (toupper(l->s[l->i + j] < 128 ? l->s[l->i + j] : 0) != kw[j]) return 0;
    if (l->i + k < l->n && (isalnum(l->s[l->i + k] < 128 ? l->s[l->i + k] : 0) || l->s[l->i + k] == '_')) return 0;
    l->i += k;
    return 1;
}

static int punct(Lex *l, char c) {
    skip_space(l);
    if (l->i < l->n && l->s[l->i] == c) {
        ++l->i;
        return 1;
    }
    return 0;
}

static int at_end(Lex *l) {
    skip_space(l);
    if (l->i < l->n && l->s[l->i] == ';') ++l->i;
    skip_space(l);
    return l->i >= l->n;
}

/* [name with ]] for ]], "name", `name` or a bare name, into out. */
static int name(Lex *l, uint16_t *out, int cap) {
    skip_space(l);
    int len = 0;
    if (l->i >= l->n) return -1;
    uint16_t open = l->s[l->i];
    if (open == '[' || open == '"' || open == '`') {
        uint16_t close = open == '[' ? ']' : open;
        for (++l->i; l->i < l->n; ++l->i) {
            if (l->s[l->i] == close) {
                if (l->i + 1 < l->n && l->s[l->i + 1] == close) ++l->i;
                else break;
            }
            if (len >= cap) return -1;
            out[len++] = l->s[l->i];
        }
        if (l->i >= l->n) return -1;
        ++l->i;
        return len;
    }
    while (l->i < l->n && (l->s[l->i] == '_' || l->s[l->i] == '$' || l->s[l->i] >= 128 ||
                           isalnum(l->s[l->i]))) {
        if (len >= cap) return -1;
        out[len++] = l->s[l->i++];
    }
    return len ? len : -1;
}

/* 'text with '' for ', a number or NULL, into out (malloc'd). */
static int literal(Lex *l, Text *out) {
    skip_space(l);
    out->t = NULL;
    out->n = 0;
    if (keyword(l, "NULL")) return 0;
    if (l->i >= l->n) return -1;
    uint16_t *buf = malloc((size_t)(l->n - l->i + 1) * 2);
    if (!buf) return -1;
    int len = 0;
    if (l->s[l->i] == '\'') {
        for (++l->i; l->i < l->n; ++l->i) {
            if (l->s[l->i] == '\'') {
                if (l->i + 1 < l->n && l->s[l->i + 1] == '\'') ++l->i;
                else break;
            }
            buf[len++] = l->s[l->i];
        }
        if (l->i >= l->n) {
            free(buf);
            return -1;
        }
        ++l->i;
    } else {
        while (l->i < l->n && (isdigit(l->s[l->i] < 128 ? l->s[l->i] : 0) || l->s[l->i] == '.' ||
                               l->s[l->i] == '-' || l->s[l->i] == '+' || l->s[l->i] == 'e' || l->s[l->i] == 'E'))
            buf[len++] = l->s[l->i++];
        if (!len) {
            free(buf);
            return -1;
        }
    }
    out->t = buf;
    out->n = len;
    return 0;
}

/* The sheet of a table name: what comes before a '$' that ends the name
 * or starts a cell range. */
static int sheet_part(const uint16_t *t, int n) {
    for (int i = n - 1; i >= 0; --i) {
        if (t[i] != '$') continue;
        int j = i + 1;
        while (j < n && ((t[j] >= 'A' && t[j] <= 'Z') || (t[j] >= 'a' && t[j] <= 'z') ||
                         (t[j] >= '0' && t[j] <= '9') || t[j] == ':'))
            ++j;
        if (j == n) return i;
        break;
    }
    return n;
}

#define MAX_NAME 256

typedef struct {
    uint16_t t[MAX_NAME];
    int n;
} Name;

static int table(Lex *l, Name *out) {
    int n = name(l, out->t, MAX_NAME);
    if (n < 0) return -1;
    out->n = sheet_part(out->t, n);
    return out->n > 0 ? 0 : -1;
}

static void name_utf8(const Name *nm, char *out, size_t cap) { to_utf8(nm->t, nm->n, out, cap); }

/* Columns of a table: the names in its first row. */
static int find_column(const Sheet *sh, const uint16_t *s, int n) {
    int cols = sheet_row_cols(sh, 0);
    for (int c = 0; c < cols; ++c) {
        const Text *t = sheet_cell(sh, 0, c);
        if (t && text_eq_nocase(t, s, n)) return c;
    }
    return -1;
}

static const Text kEmpty = {NULL, 0};
static const Text *cell_or_empty(const Sheet *sh, int r, int c) {
    const Text *t = sheet_cell(sh, r, c);
    return t ? t : &kEmpty;
}

static int text_same(const Text *a, const Text *b) {
    return a->n == b->n && (a->n == 0 || memcmp(a->t, b->t, (size_t)a->n * 2) == 0);
}

static Sheet *live_sheet(Dbc *d, const Name *nm) {
    Sheet *sh = wb_find(&d->wb, nm->t, nm->n);
    return sh && !sh->dropped ? sh : NULL;
}

static SQLRETURN save(Stmt *st) {
    char err[600];
    if (wb_write(st->dbc->path, &st->dbc->wb, err, sizeof err)) return diag(&st->h, "HY000", "%s", err);
    return SQL_SUCCESS;
}

static SQLRETURN no_table(Stmt *st, const Name *nm) {
    char n8[1024];
    name_utf8(nm, n8, sizeof n8);
    return diag(&st->h, "42S02", "The table '%s' does not exist", n8);
}

static SQLRETURN syntax(Stmt *st) { return diag(&st->h, "42000", "Syntax error in the statement"); }

static SQLRETURN read_only(Stmt *st) {
    return st->dbc->readonly ? diag(&st->h, "HY000", "The workbook is opened read-only") : SQL_SUCCESS;
}

static SQLRETURN do_create(Stmt *st, Lex *l) {
    Name nm, col;
    if (table(l, &nm) || !punct(l, '(')) return syntax(st);
    char n8[1024];
    name_utf8(&nm, n8, sizeof n8);
    if (nm.n > WB_MAX_SHEET_NAME) return diag(&st->h, "HY000", "The sheet name '%s' is longer than 31 characters", n8);
    for (int i = 0; i < nm.n; ++i)
        if (nm.t[i] == ':' || nm.t[i] == '\\' || nm.t[i] == '/' || nm.t[i] == '?' || nm.t[i] == '*' ||
            nm.t[i] == '[' || nm.t[i] == ']')
            return diag(&st->h, "HY000", "The sheet name '%s' holds a character a sheet name cannot", n8);
    Name *cols = malloc(WB_MAX_COLS * sizeof *cols);
    if (!cols) return diag(&st->h, "HY001", "Out of memory");
    int ncols = 0;
    SQLRETURN rc = SQL_SUCCESS;
    do {
        if ((col.n = name(l, col.t, MAX_NAME)) <= 0) {
            rc = syntax(st);
            goto out;
        }
        if (ncols == WB_MAX_COLS) {
            rc = diag(&st->h, "HY000", "A sheet holds no more than 256 columns");
            goto out;
        }
        for (int j = 0; j < ncols; ++j)
            if (cols[j].n == col.n && memcmp(cols[j].t, col.t, (size_t)col.n * 2) == 0) {
                rc = diag(&st->h, "42S21", "The column name is given twice");
                goto out;
            }
        cols[ncols++] = col;
        /* the type and its size are not kept: every cell is text */
        Name type;
        if (name(l, type.t, MAX_NAME) <= 0) {
            rc = syntax(st);
            goto out;
        }
        if (punct(l, '(')) {
            while (l->i < l->n && l->s[l->i] != ')') ++l->i;
            if (!punct(l, ')')) {
                rc = syntax(st);
                goto out;
            }
        }
    } while (punct(l, ','));
    if (!punct(l, ')') || !at_end(l)) {
        rc = syntax(st);
        goto out;
    }
    Sheet *sh = wb_find(&st->dbc->wb, nm.t, nm.n);
    if (sh && !sh->dropped && sheet_used_rows(sh) > 0) {
        rc = diag(&st->h, "42S01", "The table '%s' already exists", n8);
        goto out;
    }
    if (!sh && !(sh = wb_add(&st->dbc->wb, nm.t, nm.n))) {
        rc = diag(&st->h, "HY001", "Out of memory");
        goto out;
    }
    sheet_clear(sh);
    sh->dropped = 0;
    for (int c = 0; c < ncols; ++c)
        if (sheet_set(sh, 0, c, cols[c].t, cols[c].n)) {
            rc = diag(&st->h, "HY001", "Out of memory");
            goto out;
        }
    rc = save(st);
out:
    free(cols);
    return rc;
}

static SQLRETURN do_drop(Stmt *st, Lex *l) {
    Name nm;
    if (table(l, &nm) || !at_end(l)) return syntax(st);
    Sheet *sh = live_sheet(st->dbc, &nm);
    if (!sh) return no_table(st, &nm);
    /* Emptied and left in its place, so that a table created again keeps
     * the sheet's position; an empty dropped sheet is not written. */
    sheet_clear(sh);
    sh->dropped = 1;
    return save(st);
}

/* A list of values: ( 'a', 'b' ... ) */
static int values(Lex *l, Text *out, int cap) {
    if (!punct(l, '(')) return -1;
    int n = 0;
    do {
        if (n == cap || literal(l, &out[n])) return -1;
        ++n;
    } while (punct(l, ','));
    return punct(l, ')') ? n : -1;
}

static void free_texts(Text *t, int n) {
    for (int i = 0; i < n; ++i) free(t[i].t);
}

static SQLRETURN check_length(Stmt *st, const Text *v) {
    return v->n > WB_MAX_CELL ? diag(&st->h, "22001", "A cell holds no more than 32767 characters") : SQL_SUCCESS;
}

static SQLRETURN do_insert(Stmt *st, Lex *l) {
    Name nm;
    if (!keyword(l, "INTO") || table(l, &nm)) return syntax(st);
    Sheet *sh = live_sheet(st->dbc, &nm);
    if (!sh) return no_table(st, &nm);
    int ncols = sheet_row_cols(sh, 0);
    int *map = malloc(WB_MAX_COLS * sizeof *map);
    Text *vals = calloc(WB_MAX_COLS, sizeof *vals);
    int nmap = 0, nvals = 0;
    SQLRETURN rc = SQL_SUCCESS;
    if (!map || !vals) {
        rc = diag(&st->h, "HY001", "Out of memory");
        goto out;
    }
    skip_space(l);
    if (punct(l, '(')) {
        do {
            Name col;
            if ((col.n = name(l, col.t, MAX_NAME)) <= 0 || nmap == WB_MAX_COLS) {
                rc = syntax(st);
                goto out;
            }
            int c = find_column(sh, col.t, col.n);
            if (c < 0) {
                char c8[1024];
                name_utf8(&col, c8, sizeof c8);
                rc = diag(&st->h, "42S22", "The table has no column '%s'", c8);
                goto out;
            }
            map[nmap++] = c;
        } while (punct(l, ','));
        if (!punct(l, ')')) {
            rc = syntax(st);
            goto out;
        }
    } else {
        for (nmap = 0; nmap < ncols; ++nmap) map[nmap] = nmap;
    }
    if (!keyword(l, "VALUES") || (nvals = values(l, vals, WB_MAX_COLS)) < 0 || !at_end(l)) {
        nvals = nvals < 0 ? WB_MAX_COLS : nvals;
        rc = syntax(st);
        goto out;
    }
    if (nvals != nmap) {
        rc = diag(&st->h, "21S01", "%d values are given for %d columns", nvals, nmap);
        goto out;
    }
    for (int i = 0; i < nvals; ++i)
        if ((rc = check_length(st, &vals[i])) != SQL_SUCCESS) goto out;
    int row = sheet_used_rows(sh);
    if (row >= WB_MAX_ROWS) {
        rc = diag(&st->h, "HY000", "The sheet is full");
        goto out;
    }
    for (int i = 0; i < nvals; ++i)
        if (sheet_set(sh, row, map[i], vals[i].t, vals[i].n)) {
            rc = diag(&st->h, "HY001", "Out of memory");
            goto out;
        }
    st->rowcount = 1;
    rc = save(st);
out:
    if (vals) free_texts(vals, nvals);
    free(vals);
    free(map);
    return rc;
}

/* col = 'v' pairs joined by sep ("," or "AND"). */
static int pairs(Lex *l, const Sheet *sh, const char *sep, int *cols, Text *vals, int cap, int *missing) {
    int n = 0;
    int parens = 0;
    while (punct(l, '(')) ++parens;
    do {
        Name col;
        if (n == cap || (col.n = name(l, col.t, MAX_NAME)) <= 0 || !punct(l, '=') || literal(l, &vals[n])) return -n - 1;
        cols[n] = find_column(sh, col.t, col.n);
        if (cols[n] < 0) *missing = 1;
        ++n;
    } while (sep[0] == ',' ? punct(l, ',') : keyword(l, sep));
    while (parens-- > 0)
        if (!punct(l, ')')) return -n - 1;
    return n;
}

static SQLRETURN do_update(Stmt *st, Lex *l) {
    Name nm;
    if (table(l, &nm) || !keyword(l, "SET")) return syntax(st);
    Sheet *sh = live_sheet(st->dbc, &nm);
    if (!sh) return no_table(st, &nm);
    int *scol = malloc(WB_MAX_COLS * sizeof *scol), *wcol = malloc(WB_MAX_COLS * sizeof *wcol);
    Text *sval = calloc(WB_MAX_COLS, sizeof *sval), *wval = calloc(WB_MAX_COLS, sizeof *wval);
    int ns = 0, nw = 0, missing = 0;
    SQLRETURN rc = SQL_SUCCESS;
    if (!scol || !wcol || !sval || !wval) {
        rc = diag(&st->h, "HY001", "Out of memory");
        goto out;
    }
    ns = pairs(l, sh, ",", scol, sval, WB_MAX_COLS, &missing);
    if (ns < 0) {
        ns = -ns - 1;
        rc = syntax(st);
        goto out;
    }
    if (keyword(l, "WHERE")) {
        nw = pairs(l, sh, "AND", wcol, wval, WB_MAX_COLS, &missing);
        if (nw < 0) {
            nw = -nw - 1;
            rc = syntax(st);
            goto out;
        }
    }
    if (!at_end(l)) {
        rc = syntax(st);
        goto out;
    }
    if (missing) {
        rc = diag(&st->h, "42S22", "The table has no such column");
        goto out;
    }
    for (int i = 0; i < ns; ++i)
        if ((rc = check_length(st, &sval[i])) != SQL_SUCCESS) goto out;
    /* Cells hold text: an empty cell equals ''. */
    int rows = sheet_used_rows(sh);
    st->rowcount = 0;
    for (int r = 1; r < rows; ++r) {
        int match = 1;
        for (int i = 0; i < nw && match; ++i) match = text_same(cell_or_empty(sh, r, wcol[i]), &wval[i]);
        if (!match) continue;
        for (int i = 0; i < ns; ++i)
            if (sheet_set(sh, r, scol[i], sval[i].t, sval[i].n)) {
                rc = diag(&st->h, "HY001", "Out of memory");
                goto out;
            }
        st->rowcount++;
    }
    rc = save(st);
out:
    if (sval) free_texts(sval, ns);
    if (wval) free_texts(wval, nw);
    free(scol);
    free(wcol);
    free(sval);
    free(wval);
    return rc;
}

static void close_result(Stmt *st) {
    for (int i = 0; i < st->ncols; ++i) free(st->names[i].t);
    free(st->names);
    st->names = NULL;
    st->ncols = st->nrows = 0;
    st->cur = -1;
    st->sheet = NULL;
}

static SQLRETURN do_select(Stmt *st, Lex *l) {
    Name nm;
    if (!punct(l, '*') || !keyword(l, "FROM") || table(l, &nm) || !at_end(l)) return syntax(st);
    const Sheet *sh = live_sheet(st->dbc, &nm);
    if (!sh) return no_table(st, &nm);
    int names = st->dbc->firstrow_names;
    int cols = sheet_used_cols(sh), rows = sheet_used_rows(sh);
    st->names = calloc((size_t)(cols ? cols : 1), sizeof *st->names);
    if (!st->names) return diag(&st->h, "HY001", "Out of memory");
    st->ncols = cols;
    for (int c = 0; c < cols; ++c) {
        const Text *t = names ? sheet_cell(sh, 0, c) : NULL;
        if (t) {
            text_set(&st->names[c], t->t, t->n);
        } else { /* an unnamed column is F and its number */
            uint16_t w[8];
            char a[8];
            int n = snprintf(a, sizeof a, "F%d", c + 1);
            for (int i = 0; i < n; ++i) w[i] = (uint8_t)a[i];
            text_set(&st->names[c], w, n);
        }
    }
    st->sheet = sh;
    st->first_row = names ? 1 : 0;
    st->nrows = rows > st->first_row ? rows - st->first_row : 0;
    st->cur = -1;
    return SQL_SUCCESS;
}

static SQLRETURN execute(Stmt *st, const SQLWCHAR *sql, SQLINTEGER len) {
    clear_diag(&st->h);
    close_result(st);
    st->rowcount = -1;
    if (!st->dbc || !st->dbc->connected) return diag(&st->h, "08003", "Not connected");
    Lex l = {sql, wlen(sql, len), 0};
    if (keyword(&l, "SELECT")) return do_select(st, &l);
    SQLRETURN rc = read_only(st);
    if (rc != SQL_SUCCESS) return rc;
    if (keyword(&l, "CREATE")) return keyword(&l, "TABLE") ? do_create(st, &l) : syntax(st);
    if (keyword(&l, "DROP")) return keyword(&l, "TABLE") ? do_drop(st, &l) : syntax(st);
    if (keyword(&l, "INSERT")) return do_insert(st, &l);
    if (keyword(&l, "UPDATE")) return do_update(st, &l);
    return diag(&st->h, "42000", "Only CREATE TABLE, DROP TABLE, INSERT, UPDATE and SELECT * are supported");
}

/* --------------------------------------------------------- entry points */

static SQLRETURN alloc(SQLSMALLINT type, SQLHANDLE in, SQLHANDLE *out) {
    if (!out) return SQL_ERROR;
    *out = SQL_NULL_HANDLE;
    if (type == SQL_HANDLE_ENV) {
        Env *e = calloc(1, sizeof *e);
        if (!e) return SQL_ERROR;
        e->h.magic = kEnv;
        *out = e;
        return SQL_SUCCESS;
    }
    if (type == SQL_HANDLE_DBC) {
        if (!head_of(in, kEnv)) return SQL_INVALID_HANDLE;
        Dbc *d = calloc(1, sizeof *d);
        if (!d) return SQL_ERROR;
        d->h.magic = kDbc;
        *out = d;
        return SQL_SUCCESS;
    }
    if (type == SQL_HANDLE_STMT) {
        Dbc *d = (Dbc *)head_of(in, kDbc);
        if (!d) return SQL_INVALID_HANDLE;
        Stmt *s = calloc(1, sizeof *s);
        if (!s) return SQL_ERROR;
        s->h.magic = kStmt;
        s->dbc = d;
        s->cur = -1;
        *out = s;
        return SQL_SUCCESS;
    }
    return SQL_ERROR;
}

EXPORT SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE in, SQLHANDLE *out) { return alloc(type, in, out); }
EXPORT SQLRETURN SQL_API SQLAllocEnv(SQLHENV *out) { return alloc(SQL_HANDLE_ENV, NULL, out); }
EXPORT SQLRETURN SQL_API SQLAllocConnect(SQLHENV env, SQLHDBC *out) { return alloc(SQL_HANDLE_DBC, env, out); }
EXPORT SQLRETURN SQL_API SQLAllocStmt(SQLHDBC dbc, SQLHSTMT *out) { return alloc(SQL_HANDLE_STMT, dbc, out); }

static SQLRETURN free_handle(SQLSMALLINT type, SQLHANDLE h) {
    if (type == SQL_HANDLE_ENV && head_of(h, kEnv)) {
        ((Head *)h)->magic = 0;
        free(h);
        return SQL_SUCCESS;
    }
    if (type == SQL_HANDLE_DBC && head_of(h, kDbc)) {
        Dbc *d = h;
        wb_free(&d->wb);
        d->h.magic = 0;
        free(d);
        return SQL_SUCCESS;
    }
    if (type == SQL_HANDLE_STMT && head_of(h, kStmt)) {
        close_result(h);
        ((Head *)h)->magic = 0;
        free(h);
        return SQL_SUCCESS;
    }
    return SQL_INVALID_HANDLE;
}

EXPORT SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE h) { return free_handle(type, h); }
EXPORT SQLRETURN SQL_API SQLFreeEnv(SQLHENV h) { return free_handle(SQL_HANDLE_ENV, h); }
EXPORT SQLRETURN SQL_API SQLFreeConnect(SQLHDBC h) { return free_handle(SQL_HANDLE_DBC, h); }
EXPORT SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT h, SQLUSMALLINT option) {
    if (option == SQL_DROP) return free_handle(SQL_HANDLE_STMT, h);
    if (!head_of(h, kStmt)) return SQL_INVALID_HANDLE;
    if (option == SQL_CLOSE) close_result(h);
    return SQL_SUCCESS;
}
EXPORT SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT h) { return SQLFreeStmt(h, SQL_CLOSE); }

EXPORT SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV env, SQLINTEGER attr, SQLPOINTER value, SQLINTEGER len) {
    (void)attr, (void)value, (void)len;
    return head_of(env, kEnv) ? SQL_SUCCESS : SQL_INVALID_HANDLE;
}

static SQLRETURN set_connect_attr(SQLHDBC dbc, SQLINTEGER attr, SQLPOINTER value) {
    Dbc *d = (Dbc *)head_of(dbc, kDbc);
    if (!d) return SQL_INVALID_HANDLE;
    if (attr == SQL_ATTR_ACCESS_MODE) d->readonly = (SQLULEN)value == SQL_MODE_READ_ONLY;
    return SQL_SUCCESS;
}
EXPORT SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC dbc, SQLINTEGER attr, SQLPOINTER value, SQLINTEGER len) {
    (void)len;
    return set_connect_attr(dbc, attr, value);
}
EXPORT SQLRETURN SQL_API SQLSetConnectAttrW(SQLHDBC dbc, SQLINTEGER attr, SQLPOINTER value, SQLINTEGER len) {
    (void)len;
    return set_connect_attr(dbc, attr, value);
}

EXPORT SQLRETURN SQL_API SQLDriverConnectW(SQLHDBC dbc, SQLHWND hwnd, SQLWCHAR *in, SQLSMALLINT inlen, SQLWCHAR *out,
                                           SQLSMALLINT outmax, SQLSMALLINT *outlen, SQLUSMALLINT completion) {
    (void)hwnd, (void)completion;
    Dbc *d = (Dbc *)head_of(dbc, kDbc);
    if (!d) return SQL_INVALID_HANDLE;
    clear_diag(&d->h);
    if (d->connected) return diag(&d->h, "08002", "Already connected");
    int n = wlen(in, inlen);
    uint16_t v[4096];
    int len = conn_value(in, n, "DBQ", v, 4096);
    if (len <= 0) len = conn_value(in, n, "CREATE_DB", v, 4096);
    if (len <= 0) return diag(&d->h, "HY000", "The connection string names no workbook (DBQ)");
    if (unix_path(v, len, d->path, sizeof d->path)) {
        char p8[4096];
        to_utf8(v, len, p8, sizeof p8);
        return diag(&d->h, "HY000", "The workbook path '%s' is not a path of a drive", p8);
    }
    uint16_t flag[16];
    int fl = conn_value(in, n, "READONLY", flag, 16);
    d->readonly = fl > 0 && is_true(flag, fl);
    fl = conn_value(in, n, "FIRSTROWHASNAMES", flag, 16);
    d->firstrow_names = fl <= 0 || is_true(flag, fl);
    int create = conn_value(in, n, "CREATE_DB", flag, 16) >= 0;
    char err[600];
    int rc = wb_read(d->path, &d->wb, err, sizeof err);
    /* A missing workbook is created by the first table written into it. */
    if (rc == -2 && create) rc = 0;
    if (rc) return diag(&d->h, rc == -2 ? "08001" : "HY000", "%s", err);
    d->connected = 1;
    if (out && outmax > 0) {
        int k = n < outmax - 1 ? n : outmax - 1;
        memcpy(out, in, (size_t)k * 2);
        out[k] = 0;
    }
    if (outlen) *outlen = (SQLSMALLINT)n;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLDisconnect(SQLHDBC dbc) {
    Dbc *d = (Dbc *)head_of(dbc, kDbc);
    if (!d) return SQL_INVALID_HANDLE;
    wb_free(&d->wb);
    d->connected = 0;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT h, SQLWCHAR *sql, SQLINTEGER len) {
    Stmt *st = (Stmt *)head_of(h, kStmt);
    if (!st) return SQL_INVALID_HANDLE;
    return execute(st, sql, len);
}

EXPORT SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT h, SQLSMALLINT *count) {
    Stmt *st = (Stmt *)head_of(h, kStmt);
    if (!st) return SQL_INVALID_HANDLE;
    if (count) *count = (SQLSMALLINT)st->ncols;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLRowCount(SQLHSTMT h, SQLLEN *count) {
    Stmt *st = (Stmt *)head_of(h, kStmt);
    if (!st) return SQL_INVALID_HANDLE;
    if (count) *count = st->rowcount;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLDescribeColW(SQLHSTMT h, SQLUSMALLINT col, SQLWCHAR *name, SQLSMALLINT max,
                                         SQLSMALLINT *namelen, SQLSMALLINT *type, SQLULEN *size,
                                         SQLSMALLINT *digits, SQLSMALLINT *nullable) {
    Stmt *st = (Stmt *)head_of(h, kStmt);
    if (!st) return SQL_INVALID_HANDLE;
    clear_diag(&st->h);
    if (col < 1 || col > st->ncols) return diag(&st->h, "07009", "No column %u", col);
    const Text *t = &st->names[col - 1];
    SQLRETURN rc = SQL_SUCCESS;
    if (name && max > 0) {
        int k = t->n < max - 1 ? t->n : max - 1;
        if (k) memcpy(name, t->t, (size_t)k * 2);
        name[k] = 0;
        if (k < t->n) rc = SQL_SUCCESS_WITH_INFO;
    }
    if (namelen) *namelen = (SQLSMALLINT)t->n;
    if (type) *type = SQL_WVARCHAR;
    if (size) *size = 255;
    if (digits) *digits = 0;
    if (nullable) *nullable = SQL_NULLABLE;
    return rc;
}

EXPORT SQLRETURN SQL_API SQLFetch(SQLHSTMT h) {
    Stmt *st = (Stmt *)head_of(h, kStmt);
    if (!st) return SQL_INVALID_HANDLE;
    clear_diag(&st->h);
    if (!st->sheet) return diag(&st->h, "24000", "No result to fetch from");
    if (st->cur + 1 >= st->nrows) {
        st->cur = st->nrows;
        return SQL_NO_DATA;
    }
    st->cur++;
    st->got_col = 0;
    st->got_off = 0;
    return SQL_SUCCESS;
}

/* Text in pieces: each call hands back what the last one left. */
EXPORT SQLRETURN SQL_API SQLGetData(SQLHSTMT h, SQLUSMALLINT col, SQLSMALLINT ctype, SQLPOINTER buf, SQLLEN max,
                                    SQLLEN *ind) {
    Stmt *st = (Stmt *)head_of(h, kStmt);
    if (!st) return SQL_INVALID_HANDLE;
    clear_diag(&st->h);
    if (!st->sheet || st->cur < 0 || st->cur >= st->nrows) return diag(&st->h, "24000", "No row fetched");
    if (col < 1 || col > st->ncols) return diag(&st->h, "07009", "No column %u", col);
    if (ctype != SQL_C_WCHAR && ctype != SQL_C_CHAR && ctype != SQL_C_DEFAULT)
        return diag(&st->h, "HYC00", "Cells are read as text only");
    if (st->got_col != col) {
        st->got_col = col;
        st->got_off = 0;
    }
    const Text *t = sheet_cell(st->sheet, st->cur + st->first_row, col - 1);
    if (!t) {
        if (st->got_off) return SQL_NO_DATA;
        st->got_off = 1;
        if (ind) *ind = SQL_NULL_DATA;
        return SQL_SUCCESS;
    }
    size_t done = st->got_off;
    if (done >= (size_t)t->n && done) return SQL_NO_DATA;
    if (ctype == SQL_C_WCHAR) {
        size_t left = (size_t)t->n - done, room = max >= 2 ? (size_t)max / 2 - 1 : 0;
        size_t k = left < room ? left : room;
        if (buf && max >= 2) {
            memcpy(buf, t->t + done, k * 2);
            ((SQLWCHAR *)buf)[k] = 0;
        }
        if (ind) *ind = (SQLLEN)(left * 2);
        st->got_off = done + k;
        if (k < left) return diag(&st->h, "01004", "String data, right truncated"), SQL_SUCCESS_WITH_INFO;
        if (!st->got_off) st->got_off = 1;
        return SQL_SUCCESS;
    }
    /* The narrow form in UTF-8, handed back whole or cut. */
    char *u = malloc((size_t)t->n * 4 + 1);
    if (!u) return diag(&st->h, "HY001", "Out of memory");
    to_utf8(t->t, t->n, u, (size_t)t->n * 4 + 1);
    size_t ulen = strlen(u), left = ulen > done ? ulen - done : 0;
    size_t room = max >= 1 ? (size_t)max - 1 : 0, k = left < room ? left : room;
    if (buf && max >= 1) {
        memcpy(buf, u + done, k);
        ((char *)buf)[k] = 0;
    }
    free(u);
    if (ind) *ind = (SQLLEN)left;
    st->got_off = done + k;
    if (k < left) return diag(&st->h, "01004", "String data, right truncated"), SQL_SUCCESS_WITH_INFO;
    if (!st->got_off) st->got_off = 1;
    return SQL_SUCCESS;
}

static Head *any_head(SQLSMALLINT type, SQLHANDLE h) {
    return head_of(h, type == SQL_HANDLE_ENV ? kEnv : type == SQL_HANDLE_DBC ? kDbc : kStmt);
}

EXPORT SQLRETURN SQL_API SQLGetDiagRecW(SQLSMALLINT type, SQLHANDLE h, SQLSMALLINT rec, SQLWCHAR *state,
                                        SQLINTEGER *native, SQLWCHAR *text, SQLSMALLINT max, SQLSMALLINT *len) {
    Head *hd = any_head(type, h);
    if (!hd) return SQL_INVALID_HANDLE;
    if (rec != 1 || !hd->has_diag) return SQL_NO_DATA;
    if (state)
        for (int i = 0; i < 6; ++i) state[i] = (SQLWCHAR)(unsigned char)hd->diag.state[i];
    if (native) *native = 0;
    /* The message is kept in UTF-8 (names in it may be any letters). */
    uint16_t w[512];
    int n = 0;
    for (const unsigned char *c = (const unsigned char *)hd->diag.text; *c && n < 511; ++n) {
        uint32_t u = *c++;
        int more = u >= 0xF0 ? 3 : u >= 0xE0 ? 2 : u >= 0xC0 ? 1 : 0;
        if (more) u &= 0x3F >> more;
        for (; more && (*c & 0xC0) == 0x80; --more) u = u << 6 | (*c++ & 0x3F);
        if (u >= 0x10000 && n < 510) {
            w[n++] = (uint16_t)(0xD800 + ((u - 0x10000) >> 10));
            u = 0xDC00 + ((u - 0x10000) & 0x3FF);
        }
        w[n] = (uint16_t)u;
    }
    if (text && max > 0) {
        int k = n < max - 1 ? n : max - 1;
        memcpy(text, w, (size_t)k * 2);
        text[k] = 0;
    }
    if (len) *len = (SQLSMALLINT)n;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE h, SQLSMALLINT rec, SQLCHAR *state,
                                       SQLINTEGER *native, SQLCHAR *text, SQLSMALLINT max, SQLSMALLINT *len) {
    Head *hd = any_head(type, h);
    if (!hd) return SQL_INVALID_HANDLE;
    if (rec != 1 || !hd->has_diag) return SQL_NO_DATA;
    if (state) memcpy(state, hd->diag.state, 6);
    if (native) *native = 0;
    if (text && max > 0) snprintf((char *)text, (size_t)max, "%s", hd->diag.text);
    if (len) *len = (SQLSMALLINT)strlen(hd->diag.text);
    return SQL_SUCCESS;
}

static SQLRETURN diag_field(SQLSMALLINT type, SQLHANDLE h, SQLSMALLINT rec, SQLSMALLINT id, SQLPOINTER info) {
    Head *hd = any_head(type, h);
    if (!hd) return SQL_INVALID_HANDLE;
    if (rec == 0 && id == SQL_DIAG_NUMBER) {
        if (info) *(SQLINTEGER *)info = hd->has_diag ? 1 : 0;
        return SQL_SUCCESS;
    }
    if (rec == 0 && id == SQL_DIAG_RETURNCODE) {
        if (info) *(SQLRETURN *)info = hd->has_diag ? SQL_ERROR : SQL_SUCCESS;
        return SQL_SUCCESS;
    }
    return SQL_NO_DATA;
}

EXPORT SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE h, SQLSMALLINT rec, SQLSMALLINT id,
                                         SQLPOINTER info, SQLSMALLINT max, SQLSMALLINT *len) {
    (void)max, (void)len;
    return diag_field(type, h, rec, id, info);
}
EXPORT SQLRETURN SQL_API SQLGetDiagFieldW(SQLSMALLINT type, SQLHANDLE h, SQLSMALLINT rec, SQLSMALLINT id,
                                          SQLPOINTER info, SQLSMALLINT max, SQLSMALLINT *len) {
    (void)max, (void)len;
    return diag_field(type, h, rec, id, info);
}

static SQLRETURN get_info(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT max, SQLSMALLINT *len,
                          int wide) {
    Dbc *d = (Dbc *)head_of(dbc, kDbc);
    if (!d) return SQL_INVALID_HANDLE;
    const char *s = NULL;
    switch (type) {
    case SQL_DRIVER_ODBC_VER: s = "03.00"; break;
    case SQL_DRIVER_NAME: s = "libveltrane-xlsodbc.so"; break;
    case SQL_DRIVER_VER: s = "01.00.0000"; break;
    case SQL_DBMS_NAME: s = "EXCEL"; break;
    case SQL_DBMS_VER: s = "08.00.0000"; break;
    case SQL_DATA_SOURCE_READ_ONLY: s = d->readonly ? "Y" : "N"; break;
    case SQL_IDENTIFIER_QUOTE_CHAR: s = "`"; break;
    case SQL_GETDATA_EXTENSIONS:
        if (value) *(SQLUINTEGER *)value = SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER;
        if (len) *len = 4;
        return SQL_SUCCESS;
    case SQL_TXN_CAPABLE:
        if (value) *(SQLUSMALLINT *)value = SQL_TC_NONE;
        if (len) *len = 2;
        return SQL_SUCCESS;
    case SQL_CURSOR_COMMIT_BEHAVIOR:
    case SQL_CURSOR_ROLLBACK_BEHAVIOR:
        if (value) *(SQLUSMALLINT *)value = SQL_CB_PRESERVE;
        if (len) *len = 2;
        return SQL_SUCCESS;
    case SQL_MAX_CONCURRENT_ACTIVITIES:
    case SQL_MAX_DRIVER_CONNECTIONS:
        if (value) *(SQLUSMALLINT *)value = 0;
        if (len) *len = 2;
        return SQL_SUCCESS;
    default:
        return diag(&d->h, "HY096", "Information type %u is not answered", type);
    }
    int n = (int)strlen(s);
    if (wide) {
        int room = max / 2;
        if (value && room > 0) {
            int k = n < room - 1 ? n : room - 1;
            for (int i = 0; i < k; ++i) ((SQLWCHAR *)value)[i] = (SQLWCHAR)s[i];
            ((SQLWCHAR *)value)[k] = 0;
        }
        if (len) *len = (SQLSMALLINT)(n * 2);
    } else {
        if (value && max > 0) snprintf(value, (size_t)max, "%s", s);
        if (len) *len = (SQLSMALLINT)n;
    }
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLGetInfo(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT max,
                                    SQLSMALLINT *len) {
    return get_info(dbc, type, value, max, len, 0);
}
EXPORT SQLRETURN SQL_API SQLGetInfoW(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT max,
                                     SQLSMALLINT *len) {
    return get_info(dbc, type, value, max, len, 1);
}

/* Every change is written at once: there is nothing to commit or roll back. */
EXPORT SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE h, SQLSMALLINT completion) {
    (void)completion;
    return any_head(type, h) ? SQL_SUCCESS : SQL_INVALID_HANDLE;
}
