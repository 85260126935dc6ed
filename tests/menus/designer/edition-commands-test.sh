#!/usr/bin/env bash
# ide.exe's edition commands as a script runs them, with Free Pascal's Classes (vmnreader) as the independent
# reader of the editions they write and as the writer of one they open; and their errors.
set -u
bin=$1 wine_run=$2 vmnreader=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
# run EXPECTED_STATUS ARGS...: ide.exe's standard output and error, without the CRs Wine writes
run() {
  local want=$1; shift
  "$wine_run" "$bin/ide.exe" "$@" >out.txt 2>err.txt
  local status=$?
  sed -i 's/\r$//' out.txt err.txt
  [ "$status" -eq "$want" ] || fail "ide.exe $* exited with $status instead of $want: $(cat err.txt)"
}

cat >form.dfm <<'TEXT'
object Form1: TForm1
  Caption = 'Form1'
  object MainMenu1: TMainMenu
    object A: TMenuItem
      Caption = 'A'
      OnClick = AClick
      object A1: TMenuItem
        Caption = 'A1'
      end
      object A2: TMenuItem
        Caption = 'A2'
      end
    end
    object B: TMenuItem
      Caption = 'B'
    end
  end
  object VeskMenu1: TVeskMenu
    object First: TVeskMenuItem
      TrColor = clFuchsia
      SeparatorText = 'Разделитель 日本'
      MenuItem = A
    end
    object Second: TVeskMenuItem
      Font.Name = 'System'
      Font.Height = -13
      Shadow.Active = True
      MenuItem = B
    end
  end
end
TEXT

# 1. Saved: two records, each after its own "TPF0", and the closing 0 byte; Free Pascal reads them into
# components of the same shape (the separator text's 29 bytes of UTF-8) and writes the same bytes again.
run 0 edition save form.dfm VeskMenu1 two.vmn
[ "$(head -c 4 two.vmn)" = TPF0 ] || fail "the edition does not start with TPF0"
[ "$(grep -ao TPF0 two.vmn | wc -l)" -eq 2 ] || fail "two signatures"
[ "$(tail -c 1 two.vmn | od -An -tx1 | tr -d ' ')" = 00 ] || fail "the closing 0 byte"
"$vmnreader" read two.vmn >fpc.txt 2>fpcerr.txt || fail "Free Pascal does not read the edition: $(cat fpcerr.txt)"
grep -q '^TVeskMenuItem First Menu=MainMenu1 MenuItem=A TrColor=clFuchsia .* SeparatorText=29 Shadow.Active=False$' fpc.txt ||
  fail "the first item as Free Pascal read it: $(cat fpc.txt)"
grep -q '^TVeskMenuItem Second Menu=MainMenu1 MenuItem=B TrColor=clNone Font=System/-13 .*Shadow.Active=True$' fpc.txt ||
  fail "the second item as Free Pascal read it: $(cat fpc.txt)"
grep -q "^written again: the same $(stat -c %s two.vmn) bytes$" fpc.txt || fail "written again: $(cat fpc.txt)"

# 2. Opened onto another form's menu: its items replaced, in the edition's order, the rest of the form kept.
sed -e 's/object First: TVeskMenuItem/object Old1: TVeskMenuItem/' -e '/object Second/,/^    end/d' form.dfm >other.dfm
run 0 edition open other.dfm VeskMenu1 two.vmn opened.dfm
grep -q '^object Form1: TForm1$' opened.dfm || fail "the form's class: $(head -1 opened.dfm)"
grep -q 'OnClick = AClick' opened.dfm || fail "the handler's name kept"
[ "$(grep -o 'object [A-Za-z0-9]*: TVeskMenuItem' opened.dfm | tr '\n' ' ')" = \
  "object First: TVeskMenuItem object Second: TVeskMenuItem " ] || fail "the items opened: $(cat opened.dfm)"
grep -q 'Shadow.Active = True' opened.dfm || fail "the values opened"
# Saved again from the form written as text: the same bytes (the Cyrillic and Japanese text included).
run 0 edition save opened.dfm VeskMenu1 again.vmn
cmp -s two.vmn again.vmn || fail "the edition saved again from the opened form differs"

# 3. An edition Free Pascal wrote from text opens too.
cat >fpc-edition.txt <<'TEXT'
object Third: TVeskMenuItem
  SelColor = clLime
  MenuItem = A2
end
object Fourth: TVeskMenuItem
  Options = [omAlwaysDefFont]
  MenuItem = A1
end
TEXT
"$vmnreader" fromtext fpc-edition.txt fpc.vmn || fail "Free Pascal's ObjectTextToBinary"
run 0 edition open form.dfm VeskMenu1 fpc.vmn fpc-opened.dfm
[ "$(grep -o 'object [A-Za-z0-9]*: TVeskMenuItem' fpc-opened.dfm | tr '\n' ' ')" = \
  "object Third: TVeskMenuItem object Fourth: TVeskMenuItem " ] || fail "Free Pascal's edition: $(cat fpc-opened.dfm)"
grep -q 'SelColor = clLime' fpc-opened.dfm && grep -q 'MenuItem = A2' fpc-opened.dfm || fail "its values"

# 4. Generated for the plain menu: A, A1, A2, B after the two items there were.
run 0 generate form.dfm VeskMenu1 MainMenu1 generated.dfm
[ "$(awk '/object VeskMenuItem[0-9]+: TVeskMenuItem/ {on = 1} on && /MenuItem = / {print $3; on = 0}' generated.dfm |
    tr '\n' ' ')" = "A A1 A2 B " ] || fail "generated: $(cat generated.dfm)"

# 5. Errors: a clear message, exit code 1, no form written; a wrong command line: 2.
head -c 40 two.vmn >cut.vmn
printf 'TPF0\tTMenuItem\x05Item1\x00\x00\x00' >foreign.vmn
while IFS='|' read -r want args pattern; do
  rm -f never.dfm
  # shellcheck disable=SC2086
  run "$want" $args
  grep -qE "$pattern" err.txt || fail "ide.exe $args: $(cat err.txt)"
  [ -e never.dfm ] && fail "ide.exe $args wrote the form"
done <<'CASES'
1|edition open form.dfm VeskMenu1 cut.vmn never.dfm|^ide: .*Stream read error
1|edition open form.dfm VeskMenu1 foreign.vmn never.dfm|^ide: The edition holds a TMenuItem
1|edition open form.dfm VeskMenu1 missing.vmn never.dfm|^ide: .*missing\.vmn
1|edition open missing.dfm VeskMenu1 two.vmn never.dfm|^ide: Cannot read the form missing\.dfm
1|edition save form.dfm MainMenu1 never.dfm|^ide: The form form\.dfm has no TVeskMenu named MainMenu1$
1|generate form.dfm VeskMenu1 PopupMenu9 never.dfm|^ide: The form has no menu named PopupMenu9$
2|edition save form.dfm VeskMenu1|^usage: ide.exe edition save
2|generate form.dfm VeskMenu1 MainMenu1|^usage:
CASES
echo "ok: ide.exe edition save, edition open and generate, read and written by Free Pascal, and their errors"
