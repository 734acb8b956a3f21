#!/usr/bin/env bash
# tools/test32's steps (sourced with an argument: a script that would run stops
# at its usage) with stand-ins for the emulated Wine and its server.
set -uo pipefail
# shellcheck source=tools/test32
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/test32" functions || exit 1
tmp=$(mktemp -d)
trap 'kill $(cat "$tmp/clients") 2>/dev/null; rm -rf "$tmp"' EXIT
failures=0
bad() { echo "FAIL: $*"; failures=$((failures + 1)); }

mkdir "$tmp/bin" && touch "$tmp/clients"
cat >"$tmp/bin/wine" <<'EOF'
#!/usr/bin/env bash
t=${0%/bin/*}
case ${0##*/}:$1 in
  wineserver:-k) kill $(cat "$t/clients") 2>/dev/null; : >"$t/clients"; touch "$t/killed" ;;
  wineserver:-w) while [ -s "$t/clients" ]; do sleep 0.1; done ;;
  wine:wineboot) s=$WINEPREFIX/drive_c/windows/system32 && mkdir -p "$s" && : >"$s/kernel32.dll"
    printf '[Software\\\\Classes\\\\exefile]\n' >"$WINEPREFIX/system.reg"
    sleep 600 & echo $! >>"$t/clients" # a crashed service that runs on
    printf '%s\n' '0030:0034:trace:loaddll:build_module Loaded L"C:\\windows\\services.exe" at 00400000: builtin' \
      'wine: Unhandled illegal instruction (thread 0034), starting debugger...' 'wine: L"x" has been updated.' ;;
  wine:reg) echo '"Managed"="N"' >>"$WINEPREFIX/user.reg" ;;
  wine:*) [ -e "$t/killed" ] && exec echo '[  PASSED  ] 1 test.' # a check passes from a fresh server
    case $1 in hang) exec sleep 30 ;; crash) echo 'qemu: uncaught target signal 11' && exit 139 ;; *) exit 1 ;; esac ;;
esac
EOF
chmod +x "$tmp/bin/wine" && ln -s wine "$tmp/bin/wineserver"
wine32=$tmp/bin/wine WINESERVER=$tmp/bin/wineserver WINEPREFIX=$tmp/prefix HOME=$tmp/home
top=$tmp logs=$tmp process_timeout=30 boot_wait=1

# The boot's service that runs on is named and ended boot_wait s after the
# prefix is made, not process_timeout s, and the run goes on.
{ (setup_prefix) >"$tmp/boot.out" 2>&1 && [ "$SECONDS" -lt 20 ] &&
  grep -q '^ *services.exe: wine: Unhandled' "$tmp/boot.out"; } || bad "boot: $(cat "$tmp/boot.out")"

# A check the emulator broke (a hang past its bound, qemu's crash) is tried
# once more from a fresh server, its first log kept; one that failed is not.
process_timeout=1
while read -r check want; do
  out=$(rm -f "$tmp/killed" && try32 "$tmp/$check.log" "$check" && pass "$check")
  got="$? $(find "$tmp" -name "$check.first-try.log" | wc -l) $(grep -c 'passed on the second try' <<<"$out")"
  [ "$got" = "$want" ] || bad "$check: exit code, first logs kept, second tries $got: $out"
done <<EOF
hang 0 1 1
crash 0 1 1
fails 1 0 0
EOF
[ "$failures" -eq 0 ] || exit 1
echo "test32_test: a boot's process left running ended, emulator-broken checks tried twice"
