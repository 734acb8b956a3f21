#!/usr/bin/env bash
# check_pe.sh EXE PROCESSOR OBJDUMP: the program is a GUI-subsystem PE image of
# the expected machine type that imports system DLLs only, InitCommonControls
# by ordinal 17.
set -u
exe=$1 processor=$2 objdump=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

headers=$("$objdump" -f "$exe") || { echo "cannot read $exe"; exit 1; }
private=$("$objdump" -p "$exe") || exit 1

case "$processor" in
  x86_64) want_format="pei-x86-64" want_magic="PE32+" ;;
  i686) want_format="pei-i386" want_magic="PE32" ;;
  *) echo "unknown processor $processor"; exit 1 ;;
esac
grep -q "file format $want_format" <<<"$headers" || fail "format is not $want_format"
magic=$(awk '/^Magic/ {print $2}' <<<"$private")
case "$want_magic:$magic" in
  PE32+:020b | PE32:010b) ;;
  *) fail "optional header magic $magic is not $want_magic" ;;
esac
subsystem=$(awk '/^Subsystem/ {print $2}' <<<"$private")
[ "$subsystem" = "00000002" ] || fail "subsystem $subsystem is not Windows GUI (2)"

allowed=" KERNEL32.dll USER32.dll SHELL32.dll ole32.dll ADVAPI32.dll COMCTL32.dll msvcrt.dll "
dlls=$(awk '/DLL Name:/ {print $3}' <<<"$private")
[ -n "$dlls" ] || fail "no imports found"
for dll in $dlls; do
  case "$allowed" in
    *" $dll "*) ;;
    *) fail "imports $dll, which is not a system DLL of the allowed list" ;;
  esac
done
# The comctl32 import table lists InitCommonControls by ordinal, not by name.
comctl=$(awk '/DLL Name: COMCTL32.dll/ {on=1; next} /DLL Name:/ {on=0} on' <<<"$private")
grep -qE '^[[:space:]]*80*11[[:space:]].*<none>' <<<"$comctl" \
  || fail "COMCTL32 is not imported by ordinal 17"
grep -q InitCommonControls <<<"$comctl" && fail "InitCommonControls imported by name"

echo "$(basename "$exe"): $want_format $want_magic, GUI, imports:" $dlls
[ "$failures" -eq 0 ]
