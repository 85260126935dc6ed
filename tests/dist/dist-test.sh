#!/usr/bin/env bash
# The zips of tools/dist/make-dist.sh unpacked into empty folders: each holds what its programs need. The
# converter, started there on a folder with a 43-record table, gives it its 44th record; ide.exe, copied
# beside the packages, loads all five from there (no DLL comes from the build tree: it is on no path).
set -euo pipefail
src=$1 bin=$2 host=$3 work=$4 wine_run=$5
fail() { echo "FAIL: $*" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work/unpacked" "$work/tables"
"$src/tools/dist/make-dist.sh" "$bin" "$work/dist" >/dev/null
for zip in ostrel packages; do
  (cd "$work/unpacked" && cmake -E tar xf "$work/dist/$zip.zip")
done
listing() { (cd "$work/unpacked/$1" && ls | tr '\n' ' '); }
[ "$(listing ostrel)" = "libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll ostrel.exe pdxengine.dll " ] ||
  fail "ostrel/ holds $(listing ostrel)"
[ "$(listing packages)" = "Ferrolin.dll NEWQRV.dll Ocellon.dll VeskMenus.dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll tessip.dll vcl30.dll " ] ||
  fail "packages/ holds $(listing packages)"

# The converter from its folder, on a folder given on its command line.
"$host/pxfixture" template "$work/tables/styles.db" 43 --codepage 1251
(cd "$work/unpacked/ostrel" && timeout 60 "$wine_run" ./ostrel.exe "$work/tables") || fail "ostrel.exe failed"
[ "$("$host/pxfixture" dump "$work/tables/styles.db" | wc -l)" -eq 44 ] || fail "the table did not get its record"

# ide.exe beside the unpacked packages.
cp "$bin/ide.exe" "$work/unpacked/packages/"
out=$(cd "$work/unpacked/packages" &&
      "$wine_run" ./ide.exe palette VeskMenus.dll tessip.dll NEWQRV.dll Ferrolin.dll Ocellon.dll | tr -d '\r')
for line in '  Dialogs: TPageDialog' '  Umbrevale: TKTNEWQRVFrame' '  Ardento: TMasterFileSetting' '  XP: TXPManifest' \
            'VeskMenus.dll: "VeskMenus Components", flags 40000002 (design-time only)'; do
  printf '%s\n' "$out" | grep -qxF "$line" || fail "ide.exe palette from the unpacked folder lacks '$line':
$out"
done
echo "ok: ostrel/ converts from its folder, packages/ loads in ide.exe from its folder"
