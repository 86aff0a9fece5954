/* The cells of an .xls workbook (BIFF8 in a compound file), kept as text. */
#ifndef XLSODBC_WORKBOOK_H
#define XLSODBC_WORKBOOK_H

#include <stddef.h>
#include <stdint.h>

#define WB_MAX_ROWS 65536
#define WB_MAX_COLS 256
#define WB_MAX_SHEET_NAME 31
#define WB_MAX_CELL 32767

typedef struct {
    uint16_t *t; /* UTF-16, not terminated */
    int n;
} Text;

typedef struct {
    Text *c;
    int n;
} Row;

typedef struct {
    Text name;
    Row *r;
    int nrows;
    int dropped; /* emptied by DROP TABLE: kept in its place, not written */
} Sheet;

typedef struct {
    Sheet *s;
    int n;
} Workbook;

void text_free(Text *t);
int text_set(Text *t, const uint16_t *s, int n);
int text_eq_nocase(const Text *a, const uint16_t *s, int n);

void wb_free(Workbook *wb);
Sheet *wb_find(Workbook *wb, const uint16_t *name, int n);
Sheet *wb_add(Workbook *wb, const uint16_t *name, int n);
void sheet_clear(Sheet *sh);
/* row and col from 0 */
const Text *sheet_cell(const Sheet *sh, int row, int col);
int sheet_set(Sheet *sh, int row, int col, const uint16_t *s, int n);
int sheet_used_rows(const Sheet *sh);
int sheet_used_cols(const Sheet *sh);
int sheet_row_cols(const Sheet *sh, int row);

/* 0 on success; otherwise err holds why. A missing file is reported as -2. */
int wb_read(const char *path, Workbook *wb, char *err, size_t errlen);
/* Writes a new file beside path and renames it over path. */
int wb_write(const char *path, const Workbook *wb, char *err, size_t errlen);

#endif
