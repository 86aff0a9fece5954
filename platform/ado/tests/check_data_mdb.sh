#!/bin/sh
# Reads the shipped data.mdb and the rows the Wine test wrote with the build
# machine's own sqlite3.
set -eu
sqlite3=$1 shipped=$2 written=$3

q() { "$sqlite3" -bail -readonly "$1" "$2"; }
expect() {
  [ "$2" = "$3" ] && return
  printf 'FAIL: %s\nexpected:\n%s\nactual:\n%s\n' "$1" "$2" "$3" >&2
  exit 1
}
columns() { q "$1" "SELECT group_concat(name || ' ' || type || CASE pk WHEN 1 THEN ' key' ELSE '' END, ', ') FROM pragma_table_info('$2')"; }

for f in "$shipped" "$written"; do
  expect "$f integrity" ok "$(q "$f" 'PRAGMA integrity_check')"
  expect "$f tables" "P8ZParams Params R5VParams sqlite_sequence" \
    "$(q "$f" "SELECT group_concat(name, ' ') FROM (SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name)")"
  expect "$f Params" "id INTEGER key, name TEXT, red REAL, green REAL, blue REAL, globlegain REAL, gamma REAL, saturation REAL" \
    "$(columns "$f" Params)"
  expect "$f P8ZParams" "id INTEGER key, name TEXT, red INTEGER, green INTEGER, blue INTEGER, brightness INTEGER, saturation INTEGER, contrast INTEGER, gamma INTEGER, exposure INTEGER, batuowb INTEGER, bautoexpose INTEGER" \
    "$(columns "$f" P8ZParams)"
  expect "$f R5VParams" "id INTEGER key, name TEXT, red INTEGER, green INTEGER, blue INTEGER, brightness INTEGER, saturation INTEGER, contrast INTEGER, gamma INTEGER, sharpness INTEGER, whitebalance INTEGER, bwhitebalance INTEGER" \
    "$(columns "$f" R5VParams)"
  # Counted ids: AUTOINCREMENT on every table.
  expect "$f autoincrement" 3 \
    "$(q "$f" "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND sql LIKE '%id INTEGER PRIMARY KEY AUTOINCREMENT%'")"
done

expect "shipped rows" "0 0 0" \
  "$(q "$shipped" "SELECT (SELECT count(*) FROM Params) || ' ' || (SELECT count(*) FROM P8ZParams) || ' ' || (SELECT count(*) FROM R5VParams)")"

expect "written Params" "1|hestral|10.0|14.0|120.0|100.0|12.0|30.0|real
2|Größe 'x' 顕微鏡|1.5|2.0|3.0|4.0|5.0|6.0|real" \
  "$(q "$written" "SELECT id, name, red, green, blue, globlegain, gamma, saturation, typeof(saturation) FROM Params ORDER BY id")"
expect "written P8ZParams" "1|p8z|1|2|3|4|5|6|7|8|9|10|integer" \
  "$(q "$written" "SELECT id, name, red, green, blue, brightness, saturation, contrast, gamma, exposure, batuowb, bautoexpose, typeof(bautoexpose) FROM P8ZParams ORDER BY id")"
expect "written R5VParams" "1|r5v|101|102|103|104|105|106|107|108|109|110
3|R5V|201|202|203|204|205|206|207|208|209|210" \
  "$(q "$written" "SELECT id, name, red, green, blue, brightness, saturation, contrast, gamma, sharpness, whitebalance, bwhitebalance FROM R5VParams ORDER BY id")"
expect "written by name" "r5v" "$(q "$written" "SELECT group_concat(name) FROM R5VParams WHERE name = 'r5v'")"
echo "data.mdb and written.mdb read back by $("$sqlite3" -version | cut -d' ' -f1)"
