#!/bin/sh
# Reads the presets the adjust test saved through the dialogs with the build
# machine's own sqlite3: the values in their columns, names as typed.
set -eu
sqlite3=$1 dir=$2

q() { "$sqlite3" -bail -readonly -separator '|' "$dir/presets-$1.mdb" "$2"; }
expect() {
  [ "$2" = "$3" ] && return
  printf 'FAIL: %s\nexpected:\n%s\nactual:\n%s\n' "$1" "$2" "$3" >&2
  exit 1
}

expect "Marrowin rows" "plain|0.3|1.0|1.0|3.0|2.0|2.0
it's|0.5|1.0|1.0|3.0|2.0|2.0
Grüße 日本|0.8|1.0|1.0|3.0|2.0|2.0
ABC|1.0|1.0|1.0|3.0|2.0|2.0" \
  "$(q MarrowinNamesAreKeptAsTypedAndApplyingMovesTheCameraAndTheSliders \
     'SELECT name, saturation, globlegain, gamma, red, green, blue FROM Params ORDER BY id')"

expect "Hestral row" "hestral|30.0|100.0|12.0|10.0|14.0|120.0" \
  "$(q HestralColumnsAreShiftedOneAlongAndComeBackOnApply \
     'SELECT name, saturation, globlegain, gamma, red, green, blue FROM Params')"

expect "P8Z row" "u'v|6|7|8|1|2|3|4|9|1|2" \
  "$(q DirectShowFamiliesStoreTheirColumnsAndApplyInThePanelsOrder \
     'SELECT name, red, green, blue, brightness, saturation, contrast, gamma, exposure, batuowb, bautoexpose FROM P8ZParams')"
expect "R5V row" "u'v|6|7|8|1|2|3|4|5|9|1" \
  "$(q DirectShowFamiliesStoreTheirColumnsAndApplyInThePanelsOrder \
     'SELECT name, red, green, blue, brightness, saturation, contrast, gamma, sharpness, whitebalance, bwhitebalance FROM R5VParams')"

expect "failed statements lost no row" "kept" \
  "$(q WithoutTheDatabaseOrWhenAStatementFailsNothingIsLostAndAMessageIsShown 'SELECT group_concat(name) FROM Params')"
echo ok
