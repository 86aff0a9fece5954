#!/usr/bin/python3
"""Reads the workbook orvik_spreadsheet_test left with xlrd, a reader of its own."""
import sys
import xlrd

book = xlrd.open_workbook(sys.argv[1] + "/names;1.xls")
names = book.sheet_names()
want = [
    ["Name", "City", "Note"],
    ["O'Brien", "Dublin", "it's"],
    ["Zoë Łukasz", "", "a,;.?b"],
    ["[x]", "]]", ""],
]
failed = False
if names[0] != "Names" or "CSpreadSheetBackup" not in names or "CSpreadSheetCommit" in names:
    print(f"FAILED: sheets {names}")
    failed = True
sheet = book.sheet_by_name("Names")
got = [[str(sheet.cell_value(r, c)) for c in range(sheet.ncols)] for r in range(sheet.nrows)]
if got != want:
    print(f"FAILED: cells {got}\n  wanted {want}")
    failed = True
for r in range(sheet.nrows):
    for c in range(sheet.ncols):
        if sheet.cell_type(r, c) not in (xlrd.XL_CELL_TEXT, xlrd.XL_CELL_EMPTY):
            print(f"FAILED: cell {r},{c} is not text")
            failed = True
print("sheets:", names)
sys.exit(1 if failed else 0)
