#!/usr/bin/env bash
# check_pe.sh EXE PROCESSOR OBJDUMP: the program is a GUI-subsystem PE image of
# the expected machine type that imports only KERNEL32 and msvcrt at start,
# both KnownDLLs, and every other system DLL as a delay import, loaded once the
# entry has restricted the DLL search; COMCTL32 for InitCommonControls alone,
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

dlls=$(awk '/DLL Name:/ {print $3}' <<<"$private" | tr '\n' ' ')
[ "$dlls" = "KERNEL32.dll msvcrt.dll " ] || fail "imports at start $dlls, not only KERNEL32.dll msvcrt.dll"
# Names a delay import lists, one line a DLL (see cmake/delay_imports.cmake).
delayed=$(python3 "$(dirname "$0")/../../tools/check_package.py" --delay-imports "$exe") ||
  fail "cannot read the delay imports"
allowed=" ADVAPI32.dll COMCTL32.dll ole32.dll SHELL32.dll USER32.dll "
while read -r dll _; do
  [ -n "$dll" ] || continue
  case "$allowed" in
    *" $dll "*) ;;
    *) fail "delay-loads $dll, which is not a system DLL of the allowed list" ;;
  esac
done <<<"$delayed"
grep -qx 'COMCTL32.dll #17' <<<"$delayed" || fail "COMCTL32 is not delay-loaded by ordinal 17 alone"
# A function marked ! has no stub to reach the helper: its first call would
# jump to what its address table entry holds.
grep -q '!' <<<"$delayed" && fail "delay imports without their stubs: $(grep -o '[^ ]*!' <<<"$delayed" | tr '\n' ' ')"

echo "$(basename "$exe"): $want_format $want_magic, GUI, imports:" $dlls "delay-loads:" $(cut -d' ' -f1 <<<"$delayed")
[ "$failures" -eq 0 ]
