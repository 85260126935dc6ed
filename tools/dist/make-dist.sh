#!/usr/bin/env bash
# Gathers what a user installs from the Windows tree's bin folder into DIST:
#   DIST/ostrel/     the template converter, its database engine and the DLLs they need
#   DIST/packages/   the five component packages, the framework's runtime package vcl30.dll and the DLLs
#                    they need
# and each folder as a zip beside it (ostrel.zip, packages.zip). The DLLs a module needs are found by
# reading its import table (objdump), recursively; those not in BIN belong to Windows.
#   tools/dist/make-dist.sh BIN DIST
set -euo pipefail
bin=$1 dist=$2
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

# needs FILE...: the files and, recursively, the DLLs of BIN they import (one name a line).
needs() {
  local todo=("$@") seen=() name dep
  while [ ${#todo[@]} -gt 0 ]; do
    name=${todo[0]}; todo=("${todo[@]:1}")
    [[ " ${seen[*]-} " == *" $name "* ]] && continue
    seen+=("$name")
    [ -f "$bin/$name" ] || { echo "make-dist: $bin/$name is missing: build the Windows tree first" >&2; exit 1; }
    while read -r dep; do
      # Windows names DLLs ignoring case; ours are in bin under the name they were linked with.
      local found
      found=$(cd "$bin" && ls | grep -ixF "$dep" || true)
      [ -n "$found" ] && todo+=("$found")
    done < <("$objdump" -p "$bin/$name" | sed -n 's/^\s*DLL Name: //p')
  done
  printf '%s\n' "${seen[@]}"
}

gather() {
  local folder=$1; shift
  rm -rf "${dist:?}/$folder" "$dist/$folder.zip"
  mkdir -p "$dist/$folder"
  needs "$@" | while read -r f; do cp "$bin/$f" "$dist/$folder/"; done
  (cd "$dist" && cmake -E tar cf "$folder.zip" --format=zip "$folder")
  echo "make-dist: $dist/$folder.zip: $(cd "$dist/$folder" && ls | tr '\n' ' ')"
}

mkdir -p "$dist"
# The converter loads the engine at run time: it is no import of the program, so it is named here.
gather ostrel ostrel.exe pdxengine.dll
gather packages VeskMenus.dll tessip.dll NEWQRV.dll Ferrolin.dll Ocellon.dll vcl30.dll
