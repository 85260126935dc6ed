#!/usr/bin/env bash
# ide.exe as a script runs it: the palette of our five packages, and its errors with their exit codes.
set -u
bin=$1 wine_run=$2
cd "$bin"
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# run EXPECTED_STATUS ARGS...: ide.exe's standard output and error, without the CRs Wine writes
run() {
  local want=$1; shift
  "$wine_run" ./ide.exe "$@" >"$out" 2>"$err"
  local status=$?
  sed -i 's/\r$//' "$out" "$err"
  [ "$status" -eq "$want" ] || fail "ide.exe $* exited with $status instead of $want: $(cat "$err")"
}

run 0 palette VeskMenus.dll tessip.dll NEWQRV.dll Ferrolin.dll Ocellon.dll
diff -u - "$out" <<'TEXT' || fail "the palette of the five packages"
VeskMenus.dll: "VeskMenus Components", flags 40000002 (design-time only)
tessip.dll: "Page Setup Dialog", flags 40000002 (design-time only)
NEWQRV.dll: "New QRV", flags 40000003 (design-time only, never rebuilt)
Ferrolin.dll: "Ardento Components", flags 40000002 (design-time only)
Ocellon.dll: "XP Styles", flags 40000000 (design-time and run-time)
palette:
  Corvessa: TColorButton
  Custom: TVeskMenu
  Dialogs: TPageDialog
  Umbrevale: TKTNEWQRVFrame
  Ardento: TMasterFileSetting
  XP: TXPManifest
components without icon:
  TVeskMenuItem
component editors:
  TVeskMenu: TVeskMenuEditor
property editors:
  TAboutColorButtonProperty in TColorButton, property ABOUT: TAboutColorButtonProperty
  TVeskMenuBar in any component, any property: TVeskMenuBarEditor
  TShadowText in any component, any property: TShadowTextEditor
TEXT
[ -s "$err" ] && fail "standard error is not empty: $(cat "$err")"

run 0 palette IdeTestOrder.dll IdeTestNeeds.dll
grep -qx 'IdeTestNeeds.dll: "Needs the order test", flags 40000002 (design-time only)' "$out" || fail "two packages, one requiring the other"

run 2 palette
grep -q '^usage: ide.exe palette PACKAGE.dll' "$err" || fail "the usage: $(cat "$err")"
run 2 list NEWQRV.dll
run 1 palette vcl30.dll
grep -qE '^ide: .*vcl30\.dll is not a package: it has no package information$' "$err" || fail "not a package: $(cat "$err")"
run 1 palette IdeTestNeeds.dll
grep -qx 'ide: Package IdeTestNeeds requires package IdeTestOrder, which is not loaded' "$err" || fail "the required package: $(cat "$err")"
[ -s "$out" ] && fail "an error printed a palette: $(cat "$out")"
run 1 palette NEWQRV.dll no-such.dll
grep -qE '^ide: Cannot load package .*no-such\.dll: system error 2' "$err" || fail "a missing file: $(cat "$err")"
echo "ok: the palette of the five packages and ide.exe's errors"
