#!/usr/bin/env bash
# ostrel.exe as shipped, started under Wine WITHOUT an argument from a folder that holds it, its engine and
# two template tables (42 and 43 records): it must find the tables in its own folder, convert the 43-record
# one, close its window by itself (so that the process ends) with exit code 0 (the run finished) and leave a
# table that pxlib reads: 44 records, the new style record the next-to-last with the Cyrillic name intact.
# About three seconds of real pauses.
set -euo pipefail
bin=$1 host=$2 work=$3 wine_run=$4
"$(dirname "$0")/copy-program.sh" "$bin" "$work"
"$host/pxfixture" template "$work/styles42.db" 42 --codepage 1251
"$host/pxfixture" template "$work/styles43.db" 43 --codepage 1251
before42=$("$host/pxfixture" dump "$work/styles42.db")
before43=$("$host/pxfixture" dump "$work/styles43.db")

cd "$work"
timeout 60 "$wine_run" "$work/ostrel.exe"

fail() { echo "FAIL: $*" >&2; exit 1; }
after42=$("$host/pxfixture" dump "$work/styles42.db")
after43=$("$host/pxfixture" dump "$work/styles43.db")
[ "$before42" = "$after42" ] || fail "the 42-record table changed"
[ "$(printf '%s\n' "$after43" | wc -l)" -eq 44 ] || fail "the 43-record table does not hold 44 records"
# The old records keep their order: the first 42, then the new one, then the old last.
[ "$(printf '%s\n' "$after43" | sed -n '1,42p')" = "$(printf '%s\n' "$before43" | sed -n '1,42p')" ] ||
  fail "records 1-42 changed"
[ "$(printf '%s\n' "$after43" | sed -n '44p')" = "$(printf '%s\n' "$before43" | sed -n '43p')" ] ||
  fail "the old last record is not last"
expected=$(printf '%s\t' "Level=132" "Name=Тип позиции" "FontName=Times New Roman" "FontSize=12" "FontColor=0" \
  "Bold=false" "Italic=false" "Underline=false" "Align=12" "Bullets=false" "FirstInd=0" "LeftInd=0" \
  "RightInd=152" "TabPos=0" "SpaceBefore=0" "SpaceAfter=0" "SpaceLine=0" "BackColor=16777215" \
  "PageBreak=false" "LineSpacingRule=0" "NoControlChar=true")
expected=${expected%$'\t'}
new=$(printf '%s\n' "$after43" | sed -n '43p')
[ "$new" = "$expected" ] || fail "the new record reads
  $new
instead of
  $expected"
echo "ok: styles43.db holds 44 records, the new style is the next-to-last; styles42.db is unchanged"
