#!/usr/bin/env bash
# Two ostrel.exe started together on one folder of templates (three of 43 records, one of 42), round after
# round: every 43-record table must end with exactly 44 records and the 42-record one unchanged, since each
# converter counts and inserts under the table's write lock; both end with exit code 0. Then a converter
# that cannot open its window (no display) must end with exit code 2, having changed nothing.
set -euo pipefail
bin=$1 host=$2 work=$3 wine_run=$4
rounds=${ROUNDS:-6}
"$(dirname "$0")/copy-program.sh" "$bin" "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
records() { "$host/pxfixture" dump "$1" | wc -l; }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

for round in $(seq "$rounds"); do
  dir="$work/round$round"
  mkdir -p "$dir"
  for t in a b c; do "$host/pxfixture" template "$dir/$t.db" 43; done
  "$host/pxfixture" template "$dir/d42.db" 42
  timeout 60 "$wine_run" "$work/ostrel.exe" "$(windows_path "$dir")" & first=$!
  timeout 60 "$wine_run" "$work/ostrel.exe" "$(windows_path "$dir")" & second=$!
  code=0; wait $first || code=$?
  [ $code -eq 0 ] || fail "round $round: the first converter ended with exit code $code"
  code=0; wait $second || code=$?
  [ $code -eq 0 ] || fail "round $round: the second converter ended with exit code $code"
  for t in a b c; do
    n=$(records "$dir/$t.db")
    [ "$n" -eq 44 ] || fail "round $round: $t.db holds $n records instead of 44"
  done
  [ "$(records "$dir/d42.db")" -eq 42 ] || fail "round $round: d42.db changed"
  if ls "$dir" | grep -qi '\.jnl$'; then fail "round $round: a journal was left"; fi
done
echo "ok: $rounds rounds of two converters together, every 43-record table ended with 44 records"

dir="$work/nodisplay"
mkdir -p "$dir"
"$host/pxfixture" template "$dir/a.db" 43
code=0
env -u DISPLAY timeout 60 "$wine_run" "$work/ostrel.exe" "$(windows_path "$dir")" >/dev/null 2>&1 || code=$?
[ $code -eq 2 ] || fail "without a display the converter ended with exit code $code instead of 2"
[ "$(records "$dir/a.db")" -eq 43 ] || fail "without a display the converter changed a.db"
echo "ok: without a display the converter ends with exit code $code and changes nothing"
