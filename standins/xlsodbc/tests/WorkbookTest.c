/* The workbook writer and reader on what the spreadsheet writer's tests do
 * not reach: shared strings longer than a record (split into CONTINUE
 * records, narrow and wide), many sheets and cells, and a sheet dropped.
 * Writes argv[1], reads it back; check-long.py reads it with xlrd.
 * argv[2] is spoilt to see a file that is no workbook refused. */
#include "Workbook.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int failures;
#define CHECK(c) ((c) ? (void)0 : (void)(printf("FAILED: %s (line %d)\n", #c, __LINE__), ++failures))

/* Cell text r,c of sheet s: long runs at a few places, wide letters in odd sheets. */
static int cell_text(int s, int r, int c, uint16_t *out) {
    int n = (r * 7 + c * 3) % 40 + 1;
    if (r == 5 && c == 1) n = 9000;
    if (r == 70 && c == 0) n = 20000;
    for (int i = 0; i < n; ++i) out[i] = (uint16_t)((s & 1 ? 0x0141 : 'a') + (i + r + c) % 26);
    return n;
}

int main(int argc, char **argv) {
    if (argc != 3) return 2;
    static uint16_t buf[20000];
    char err[600];
    Workbook wb = {0};
    const char *names[] = {"Plain", "Wide", "Gone"};
    for (int s = 0; s < 3; ++s) {
        uint16_t name[8];
        int n = (int)strlen(names[s]);
        for (int i = 0; i < n; ++i) name[i] = (uint16_t)names[s][i];
        Sheet *sh = wb_add(&wb, name, n);
        for (int r = 0; r < 120; ++r)
            for (int c = 0; c < 4; ++c) sheet_set(sh, r, c, buf, cell_text(s, r, c, buf));
    }
    sheet_clear(&wb.s[2]);
    wb.s[2].dropped = 1;
    CHECK(wb_write(argv[1], &wb, err, sizeof err) == 0);
    Workbook back = {0};
    CHECK(wb_read(argv[1], &back, err, sizeof err) == 0);
    CHECK(back.n == 2);
    for (int s = 0; s < 2 && s < back.n; ++s) {
        CHECK(text_eq_nocase(&back.s[s].name, wb.s[s].name.t, wb.s[s].name.n));
        CHECK(sheet_used_rows(&back.s[s]) == 120 && sheet_used_cols(&back.s[s]) == 4);
        for (int r = 0; r < 120; ++r)
            for (int c = 0; c < 4; ++c) {
                const Text *t = sheet_cell(&back.s[s], r, c);
                int n = cell_text(s, r, c, buf);
                if (!t || t->n != n || memcmp(t->t, buf, (size_t)n * 2)) {
                    printf("FAILED: sheet %d cell %d,%d\n", s, r, c);
                    ++failures;
                }
            }
    }
    /* Not a workbook: refused with a reason, nothing read. */
    CHECK(wb_write(argv[2], &wb, err, sizeof err) == 0);
    FILE *f = fopen(argv[2], "r+b");
    fputc('X', f);
    fclose(f);
    Workbook bad = {0};
    CHECK(wb_read(argv[2], &bad, err, sizeof err) == -1 && bad.n == 0 && strstr(err, "not an Excel workbook"));
    wb_free(&wb);
    wb_free(&back);
    return failures ? 1 : 0;
}
