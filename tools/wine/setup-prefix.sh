#!/usr/bin/env bash
# Makes the private Wine prefix once, without prompts: fonts, no window manager waits, and crashes that end
# the process with a failure code instead of opening a debugger dialog that would hang the test. Then, on
# every run, makes sure the test printers are installed (a prefix made before they were part of the set-up
# gets them too): "TestPS", the default, and a second one with a Cyrillic name (tools/wine/addprn.c).
set -euo pipefail
prefix=$(realpath -m "$1")
here=$(cd "$(dirname "$0")" && pwd)
stamp="$prefix/.ready-1"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
if [ ! -e "$stamp" ]; then
  rm -rf "$prefix"
  mkdir -p "$prefix"
  echo "x: making the Wine prefix $prefix"
  wineboot --init >/dev/null 2>&1
  # Debian's Wine looks for its fonts beside /usr/share/wine, not inside it.
  cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
  r() { wine reg add "$@" /f >/dev/null 2>&1; }
  r 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
  r 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d 'no-such-debugger.exe'
  r 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
  r 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /d 'Liberation Serif'
  r 'HKCU\Software\Wine\Fonts\Replacements' /v 'Arial' /d 'Liberation Sans'
  r 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /d 'Liberation Mono'
  r 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Serif' /d 'Liberation Serif'
  wineserver -w
  touch "$stamp"
fi

# The printers: addprn.exe, built beside the prefix when its source is newer, adds what is missing (and
# names it) and leaves the rest; each run costs a start of Wine, whose server the tests then reuse.
addprn="$prefix/addprn.exe"
if [ ! -e "$addprn" ] || [ "$here/addprn.c" -nt "$addprn" ]; then
  x86_64-w64-mingw32-gcc-posix -O1 -Wall -o "$addprn.tmp" "$here/addprn.c" -lwinspool
  mv "$addprn.tmp" "$addprn"
fi
wine "$addprn" | tr -d '\r' | sed 's/^addprn: /x: /'
