#!/usr/bin/python3
"""xlrd reads the workbook xlsodbc_workbook_test wrote: the two sheets kept,
each 120 x 4 text cells, the long ones whole."""
import sys
import xlrd

book = xlrd.open_workbook(sys.argv[1])
failed = book.sheet_names() != ["Plain", "Wide"]
for s, sheet in enumerate(book.sheets()):
    base = 0x141 if s & 1 else ord("a")
    for r in range(120):
        for c in range(4):
            n = (r * 7 + c * 3) % 40 + 1
            n = 9000 if (r, c) == (5, 1) else 20000 if (r, c) == (70, 0) else n
            want = "".join(chr(base + (i + r + c) % 26) for i in range(n))
            if sheet.cell_value(r, c) != want:
                print(f"FAILED: sheet {s} cell {r},{c}")
                failed = True
print("sheets:", book.sheet_names(), "FAILED" if failed else "ok")
sys.exit(1 if failed else 0)
