#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's private prefix (made by setup-prefix.sh).
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/../../build/win64/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
exec wine "$@"
