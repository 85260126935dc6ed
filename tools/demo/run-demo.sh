#!/usr/bin/env bash
# The template converter on sample data: a folder of template tables of 42, 43 and 44 records (code page
# 1251, made by pxlib, not by our engine), ostrel.exe run on it under Wine, and what changed: the record
# counts before and after, the new record as read back, and a screenshot of the progress window.
# Called by `./x demo`, which builds everything, provides a display and the Wine prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${X_BUILD_DIR:-$root/build}
native=$build/native/bin
win=$build/win64/bin
out=$build/demo
export WINEPREFIX=${WINEPREFIX:-$build/win64/wineprefix}

rm -rf "$out"
mkdir -p "$out/templates"
for n in 42 43 44; do
  "$native/pxfixture" template "$out/templates/style$n.db" "$n" --codepage 1251
done

counts() {
  local f
  for f in "$out"/templates/*.db; do
    printf '  %-12s %3s records\n' "$(basename "$f")" "$("$native/pdxtool" count "$f")"
  done
}
echo "Template tables in $out/templates, before the run:"
counts

echo
echo "Running ostrel.exe on the folder (the window shows for about three seconds)..."
folder=$(winepath -w "$out/templates" 2>/dev/null)
"$root/tools/wine/wine-run.sh" "$win/ostrel.exe" "$folder" &
pid=$!

# The window appears, the run starts one second later; take the picture while the bar shows the table.
window=""
for _ in $(seq 1 100); do
  # The form's window: the program's top-level window that is more than a few pixels wide.
  window=$(xwininfo -root -tree 2>/dev/null | awk '/"ostrel.exe"/ {
    for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+[+-]/) { split($i, g, "x"); if (g[1] + 0 > 100) { print $1; exit } } }')
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -n "$window" ]; then
  sleep 1.6
  /usr/bin/import -window "$window" "$out/ostrel-window.png" 2>/dev/null || echo "(no screenshot: import failed)"
else
  echo "(no screenshot: the window was not found)"
fi
wait "$pid" || true

echo
echo "After the run:"
counts
echo
echo "The new record of style43.db: inserted after moving to the last record, it is the next-to-last (43 of 44)."
echo "As our engine reads it:"
ours=$("$native/pdxtool" dump "$out/templates/style43.db" | sed -n '43p')
printf '%s\n' "$ours" | tr '\t' '\n' | sed 's/^/  /'
theirs=$("$native/pxfixture" dump "$out/templates/style43.db" | sed -n '43p')
if [ "$ours" = "$theirs" ]; then
  echo "pxlib, the independent reader, reads the same record."
else
  echo "pxlib reads it differently:"
  printf '%s\n' "$theirs" | tr '\t' '\n' | sed 's/^/  /'
fi
[ -f "$out/ostrel-window.png" ] && echo && echo "Screenshot of the progress window: $out/ostrel-window.png"

# ---- The page setup dialog (tessip): pagesetup.exe shows the dialog of a TPageDialog, saves its picture
# for the README (docs/images/pagesetup-dialog.png) and presses OK; then what came back.
echo
echo "Running pagesetup.exe: the page setup dialog of a new TPageDialog, its picture taken, then OK pressed..."
shot="$root/docs/images/pagesetup-dialog.png"
"$root/tools/wine/wine-run.sh" "$win/pagesetup.exe" --shot "$(winepath -w "$shot" 2>/dev/null)" --ok |
  tr -d '\r' | sed 's/^/  /'
echo "Picture of the page setup dialog: $shot"

# ---- The owner-drawn menus (VeskMenus): menushow.exe opens the showcase's menus one by one and saves their
# pictures for the README (docs/images/menus-*.png), then previews a form written by hand.
echo
echo "Running menushow.exe: the showcase's drop-downs and popup menus, one picture each..."
shots="$root/docs/images/menus"
mkdir -p "$shots"
"$root/tools/wine/wine-run.sh" "$win/menushow.exe" --shots "$(winepath -w "$shots" 2>/dev/null)"
ls "$shots" | sed 's/^/  /'
echo "A form written by hand, its popup menu previewed with entry 1 highlighted:"
"$root/tools/wine/wine-run.sh" "$win/menushow.exe" "$(winepath -w "$root/tests/menus/forms/popup.dfm" 2>/dev/null)" \
  --popup PopupMenu1 --select 1 --shot "$(winepath -w "$out/popup-preview.png" 2>/dev/null)" &&
  echo "  $out/popup-preview.png"

# ---- Design time (VeskMenus in the IDE stand-in): a design session of ide/DesignDemo.dfm with the package
# loaded; pictures of the form designer, the palette and the Object Inspector, of the menu designer opened by
# the component's verb, and of the bar and shadow dialogs opened by their property editors; then the edition
# commands on the same form.
echo
echo "Running ide.exe design on ide/DesignDemo.dfm with VeskMenus.dll: its windows, the menu designer and the two dialogs..."
design="$root/docs/images/design"
mkdir -p "$design"
w() { winepath -w "$1" 2>/dev/null; }
demo_form=$(w "$root/ide/DesignDemo.dfm")
session() { # DIR, then the session's options
  local dir=$1
  shift
  rm -rf "$dir"
  "$root/tools/wine/wine-run.sh" "$win/ide.exe" design "$demo_form" "$(w "$win/VeskMenus.dll")" "$@" \
    --shots "$(w "$dir")" | tr -d '\r' | sed 's/^/  /'
}
session "$out/design-session" --select VeskMenu1
cp "$out/design-session/form.png" "$design/form-designer.png"
cp "$out/design-session/inspector.png" "$design/object-inspector.png"
cp "$out/design-session/palette.png" "$design/palette.png"
session "$out/design-verb" --select VeskMenu1 --verb VeskMenu1 0
cp "$out/design-verb/verb-1.png" "$design/menu-designer.png"
session "$out/design-bar" --select VeskMenu1 --edit VeskMenu1.MenuBar
cp "$out/design-bar/dialog.png" "$design/bar-dialog.png"
session "$out/design-shadow" --select VeskMenuItem1 --edit VeskMenuItem1.Shadow
cp "$out/design-shadow/dialog.png" "$design/shadow-dialog.png"
echo "Pictures for the README: $(cd "$design" && echo *.png)"

echo
echo "The edition commands: VeskMenu1's items saved as an edition, opened onto a copy of the form, and items generated for MainMenu1:"
cp "$root/ide/DesignDemo.dfm" "$out/DesignDemo.dfm"
ide_run() { "$root/tools/wine/wine-run.sh" "$win/ide.exe" "$@" | tr -d '\r' | sed 's/^/  /'; }
ide_run edition save "$(w "$out/DesignDemo.dfm")" VeskMenu1 "$(w "$out/demo.vmn")"
echo "  demo.vmn: $(stat -c %s "$out/demo.vmn") bytes, starting $(head -c 4 "$out/demo.vmn"), records: $(grep -a -o TPF0 "$out/demo.vmn" | wc -l)"
ide_run edition open "$(w "$out/DesignDemo.dfm")" VeskMenu1 "$(w "$out/demo.vmn")" "$(w "$out/DesignDemo-opened.dfm")"
echo "  DesignDemo-opened.dfm: items $(grep -c ': TVeskMenuItem' "$out/DesignDemo-opened.dfm")"
ide_run generate "$(w "$out/DesignDemo.dfm")" VeskMenu1 MainMenu1 "$(w "$out/DesignDemo-generated.dfm")"
echo "  DesignDemo-generated.dfm: items $(grep -c ': TVeskMenuItem' "$out/DesignDemo-generated.dfm") (three before, one per entry of MainMenu1 added)"
