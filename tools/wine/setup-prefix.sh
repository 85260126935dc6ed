#!/usr/bin/env bash
# Makes the private Wine prefix once, without prompts: fonts, no window manager waits, and crashes that end
# the process with a failure code instead of opening a debugger dialog that would hang the test.
set -euo pipefail
prefix=$1
stamp="$prefix/.ready-1"
[ -e "$stamp" ] && exit 0
rm -rf "$prefix"
mkdir -p "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
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
