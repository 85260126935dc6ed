#!/usr/bin/env bash
# Puts ostrel.exe as shipped into a fresh folder: the program, its engine and the runtime DLLs beside it.
#   copy-program.sh BIN FOLDER
set -euo pipefail
bin=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
cp "$bin/ostrel.exe" "$bin/pdxengine.dll" "$work/"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  [ -f "$bin/$dll" ] && cp "$bin/$dll" "$work/"
done
exit 0
