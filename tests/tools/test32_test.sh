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
  wineserver:-k) kill $(cat "$t/clients") 2>/dev/null; : >"$t/clients" ;;
  wineserver:-w) while [ -s "$t/clients" ]; do sleep 0.1; done ;;
  wine:wineboot) s=$WINEPREFIX/drive_c/windows/system32 && mkdir -p "$s" && : >"$s/kernel32.dll"
    printf '[Software\\\\Classes\\\\exefile]\n' >"$WINEPREFIX/system.reg"
    sleep 600 & echo $! >>"$t/clients" # a crashed service that runs on
    printf '%s\n' '0030:0034:trace:loaddll:build_module Loaded L"C:\\windows\\services.exe" at 00400000: builtin' \
      'wine: Unhandled illegal instruction (thread 0034), starting debugger...' 'wine: L"x" has been updated.' ;;
  wine:reg) echo '"Managed"="N"' >>"$WINEPREFIX/user.reg" ;;
esac
EOF
chmod +x "$tmp/bin/wine" && ln -s wine "$tmp/bin/wineserver"
wine32=$tmp/bin/wine WINESERVER=$tmp/bin/wineserver WINEPREFIX=$tmp/prefix HOME=$tmp/home
top=$tmp logs=$tmp process_timeout=30 boot_wait=1

# The boot's service that runs on is named and ended boot_wait s after the
# prefix is made, not process_timeout s, and the run goes on.
{ (setup_prefix) >"$tmp/boot.out" 2>&1 && [ "$SECONDS" -lt 20 ] &&
  grep -q '^ *services.exe: wine: Unhandled' "$tmp/boot.out"; } || bad "boot: $(cat "$tmp/boot.out")"

[ "$failures" -eq 0 ] || exit 1
echo "test32_test: a boot's process left running ended after the bound, the run went on"
