#!/usr/bin/env bash
# pdxtool.exe under Wine inserts into tables that pxlib made (code pages 1251 and 866), and pxlib reads the
# result: the new record at its place with the Cyrillic text intact, the others unchanged. A value the
# table's code page cannot hold is refused with a non-zero exit and leaves the file byte for byte as it was.
set -euo pipefail
pdxtool=$1 host=$2 work=$3 wine_run=$4
bin=$(dirname "$pdxtool")
rm -rf "$work"
mkdir -p "$work"
cp "$pdxtool" "$bin/pdxengine.dll" "$work/"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  if [ -f "$bin/$dll" ]; then cp "$bin/$dll" "$work/"; fi
done
cd "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }
dump() { "$host/pxfixture" dump "$1"; }
line() { printf '%s\n' "$1" | sed -n "$2p"; }
tool() { timeout 60 "$wine_run" "$work/pdxtool.exe" "$@"; }

for cp in 1251 866; do
  table=styles$cp.db
  "$host/pxfixture" template "$table" 5 --codepage "$cp"
  before=$(dump "$table")

  # Before record 2: the new record is the second, the old second the third.
  tool insert "$table" --before 2 Level=77 "Name=Заголовок №$cp, Ёлка" FontSize=9 Bold=true
  after=$(dump "$table")
  [ "$(printf '%s\n' "$after" | wc -l)" -eq 6 ] || fail "$table does not hold 6 records after the insert"
  new=$(line "$after" 2)
  case "$new" in
    "Level=77	Name=Заголовок №$cp, Ёлка	FontName=NULL	FontSize=9	FontColor=NULL	Bold=true	"*) ;;
    *) fail "$table: pxlib reads the new record as: $new" ;;
  esac
  [ "$(line "$after" 1)" = "$(line "$before" 1)" ] || fail "$table: record 1 changed"
  [ "$(printf '%s\n' "$after" | sed -n '3,6p')" = "$(printf '%s\n' "$before" | sed -n '1!p')" ] ||
    fail "$table: records after the new one are not the old 2-5 in order"

  # Without --before: at the end.
  tool insert "$table" Level=78 Name=Последний
  after=$(dump "$table")
  case "$(line "$after" 7)" in
    "Level=78	Name=Последний	"*) ;;
    *) fail "$table: the record inserted without --before is not last" ;;
  esac

  # Refused: a character the code page cannot hold (Greek omega is in neither 1251 nor 866).
  cp "$table" before.db
  if tool insert "$table" "Name=Ом Ω" 2>err.txt; then fail "$table: a value its code page cannot hold was taken"; fi
  [ -s err.txt ] || fail "$table: the refusal printed no message"
  cmp -s "$table" before.db || fail "$table: a refused insert changed the file"
  if [ "$cp" = 866 ]; then
    if tool insert "$table" Level=40000 2>err.txt; then fail "$table: a short out of range was taken"; fi
    cmp -s "$table" before.db || fail "$table: a refused short changed the file"
  fi
  echo "ok: $table: inserted before record 2 and at the end, pxlib reads them; refused values changed nothing"
done
