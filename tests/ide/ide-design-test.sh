#!/usr/bin/env bash
# ide.exe design as a script runs it: the pictures of a session's windows with their titles (the designed
# form's caption, "Object Inspector", the palette, owner "." menu for the framework's menu designer), and the
# errors of design, copy and paste with their exit codes; with the menus package, an editor's dialog and the
# menu designer a verb opens.
set -u
bin=$1 wine_run=$2 source=$3
cd "$bin"
work=design-test
rm -rf "$work" && mkdir -p "$work"
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
run() {
  local want=$1; shift
  "$wine_run" ./ide.exe "$@" >"$out" 2>"$err"
  local status=$?
  sed -i 's/\r$//' "$out" "$err"
  [ "$status" -eq "$want" ] || fail "ide.exe $* exited with $status instead of $want: $(cat "$err")"
}
cat >"$work/Demo.dfm" <<'FORM'
object DemoForm: TDemoForm
  Left = 320
  Top = 40
  Caption = 'Demo form'
  ClientHeight = 160
  ClientWidth = 300
  object Label1: TLabel
    Left = 100
    Top = 100
    Caption = 'A label'
  end
  object Timer1: TTimer
    OnTimer = Timer1Timer
    Left = 8
    Top = 8
  end
  object MainMenu1: TMainMenu
    Left = 80
    Top = 8
    object File1: TMenuItem
      Caption = '&File'
    end
  end
end
FORM

run 0 design "$work/Demo.dfm" --select Timer1 --open MainMenu1 --shots "$work/shots"
diff -u - "$out" <<'TEXT' || fail "the pictures and their windows' titles"
form.png: Demo form
inspector.png: Object Inspector
palette.png: Component Palette
open-1.png: DemoForm.MainMenu1
TEXT
for f in form inspector palette open-1; do
  png=$work/shots/$f.png
  [ -s "$png" ] || fail "$png is missing or empty"
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is not a PNG file"
done
[ "$(cmp -s "$work/shots/form.png" "$work/shots/palette.png"; echo $?)" = 1 ] || fail "two windows, one picture"

# With the menus package: the property editor's dialog (cancelled) and the menu designer its verb opens.
cp "$source/ide/DesignDemo.dfm" "$work/DesignDemo.dfm"
run 0 design "$work/DesignDemo.dfm" VeskMenus.dll --edit VeskMenu1.MenuBar --verb VeskMenu1 0 --shots "$work/demo"
grep -qx 'form.png: Design demo' "$out" || fail "the demo form: $(cat "$out")"
grep -q '^dialog.png: ' "$out" || fail "no dialog from the MenuBar editor: $(cat "$out")"
grep -qx 'verb-1.png: DemoForm.VeskMenu1' "$out" || fail "the menu designer's title: $(cat "$out")"
for f in dialog inspector-edited verb-1; do [ -s "$work/demo/$f.png" ] || fail "$f.png is missing"; done

run 1 design "$work/Demo.dfm" --select Nobody --shots "$work/shots"
grep -qx 'ide: The form has no component named Nobody' "$err" || fail "an unknown component: $(cat "$err")"
run 1 design "$work/Demo.dfm" --edit Timer1.Colour --shots "$work/shots"
grep -qx 'ide: The component Timer1 has no property Colour' "$err" || fail "an unknown property: $(cat "$err")"
run 1 design "$work/Demo.dfm" --verb Timer1 0 --shots "$work/shots"
grep -qx 'ide: The component editor of Timer1 has no verb 0' "$err" || fail "a verb that is not there: $(cat "$err")"
run 1 design "$work/Missing.dfm" --shots "$work/shots"
grep -q '^ide: ' "$err" || fail "a missing form file"
run 2 design "$work/Demo.dfm" --verb Timer1
run 2 design "$work/Demo.dfm" --edit Timer1
run 1 copy "$work/Demo.dfm" Nobody
grep -qx 'ide: The form has no component named Nobody' "$err" || fail "copy of an unknown component: $(cat "$err")"
echo ok
