#!/usr/bin/env bash
# pagesetup.exe as a person or a script runs it under Wine: what it prints after pressing OK or Cancel of
# the real dialog (units, options, margins rounded by the dialog's units), its picture of the dialog, and
# its answers to wrong arguments.
set -euo pipefail
exe=$1 work=$2 wine_run=$3
rm -rf "$work"
mkdir -p "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
run() { timeout 60 "$wine_run" "$exe" "$@" 2>"$work/stderr" | tr -d '\r'; }

# Arguments, then the lines expected (result, margins top/left/bottom/right, unit, options, printer).
check() {
  local expected=$1; shift
  local got
  got=$(run "$@") || fail "pagesetup.exe $* failed: $(cat "$work/stderr")"
  [ "$got" = "$expected" ] || fail "pagesetup.exe $*
printed:
$got
expected:
$expected"
}
lines() { printf '%s\n' "result=$1" "MarginTop=$2" "MarginLeft=$3" "MarginBottom=$4" "MarginRight=$5" \
  "MeasureUnits=$6" "PageOptions=$7" "Printer=TestPS"; }

check "$(lines true 25 15 25 15 muMillimeters '[poMargins]')" --ok
# 15.004 mm goes in as 1500 hundredths; 0.125 and 0.375 to the even neighbour.
check "$(lines false 15 0.12 0.38 1000 muMillimeters '[poMargins]')" --cancel --margins 15.004,0.125,0.375,1e3
check "$(lines true 0.984 0.591 0.984 0.591 muInches '[poMargins]')" --inches --ok
check "$(lines false 1 2 3 4.062 muInches '[poMargins,poDisablePaper]')" \
  --inches --margins 1,2,3,4.0625 --options poMargins,poDisablePaper --cancel
# Without poMargins the dialog starts from its own margins (an inch), and those come back after OK.
check "$(lines true 25.4 25.4 25.4 25.4 muMillimeters '[poDisableMargins,poDisablePrinter]')" \
  --options 'poDisableMargins,poMargins,poDisablePrinter' --margins 25,15,25,15 --ok

# The picture: a PNG as wide and high as the dialog's window.
run --shot "$work/dialog.png" --cancel >/dev/null || fail "--shot failed: $(cat "$work/stderr")"
[ "$(head -c 8 "$work/dialog.png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "no PNG written"
width=$(od -An -tu1 -j16 -N4 "$work/dialog.png" | awk '{print $1*16777216+$2*65536+$3*256+$4}')
height=$(od -An -tu1 -j20 -N4 "$work/dialog.png" | awk '{print $1*16777216+$2*65536+$3*256+$4}')
[ "$width" -gt 300 ] && [ "$height" -gt 300 ] || fail "the picture is ${width}x${height}"

# Wrong arguments: a message naming the fault, exit code 2, nothing on standard output.
for args in "--options poFoo" "--margins 1,2,3" "--margins 1,x,3,4" "--ok --cancel" "--shot" "--bogus"; do
  # shellcheck disable=SC2086
  timeout 60 "$wine_run" "$exe" $args >"$work/out" 2>"$work/stderr" && code=0 || code=$?
  [ "$code" = 2 ] || fail "pagesetup.exe $args: exit code $code"
  [ ! -s "$work/out" ] || fail "pagesetup.exe $args printed $(cat "$work/out")"
  grep -q "^pagesetup: " "$work/stderr" || fail "pagesetup.exe $args: no message"
done
echo "ok: pagesetup.exe pressed OK and Cancel, printed the margins, drew a ${width}x${height} picture"
