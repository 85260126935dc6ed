#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's private prefix (made by setup-prefix.sh). CTest runs
# test programs from inside the Windows tree, so the prefix is found beside the current directory's tree.
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${WINEPREFIX:-}" ]; then
  dir=$PWD
  while [ "$dir" != / ] && [ ! -d "$dir/wineprefix" ]; do dir=$(dirname "$dir"); done
  if [ -d "$dir/wineprefix" ]; then WINEPREFIX=$dir/wineprefix; else WINEPREFIX=$here/../../build/win64/wineprefix; fi
fi
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
exec wine "$@"
