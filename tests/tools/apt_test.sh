#!/usr/bin/env bash
# tools/apt.sh offline. The "machine's" sources: a local archive, one suite of
# it in mid-sync (its index not the size its Release gives), and a source on
# the loopback that nothing answers.
set -uo pipefail
# shellcheck source=tools/apt.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/apt.sh"
apt_retry_wait=0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
chmod 755 "$tmp"
repo=$tmp/repo
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# suite NAME SKEW PACKAGE[:DEPENDS]...: a suite whose Release gives the size
# of its index plus SKEW. Only downloaded, a package need not be a real one.
suite() {
  local name=$1 skew=$2 index=$repo/dists/$1/main/binary-i386/Packages p deb depends
  shift 2
  mkdir -p "${index%/*}" "$repo/pool"
  for p in "$@"; do
    deb=pool/${p%:*}_1_i386.deb
    depends=${p#"${p%:*}"}
    echo "$p" >"$repo/$deb"
    printf 'Package: %s\n%bVersion: 1\nArchitecture: i386\nFilename: %s\nSize: %s\nSHA256: %s\n\n' \
      "${p%:*}" "${depends:+Depends: ${depends#:}\n}" "$deb" "$(stat -c %s "$repo/$deb")" \
      "$(sha256sum <"$repo/$deb" | cut -d' ' -f1)"
  done >"$index"
  printf 'Suite: %s\nComponents: main\nDate: %s\nSHA256:\n %s %s main/binary-i386/Packages\n' \
    "$name" "$(date -Ru)" "$(sha256sum <"$index" | cut -d' ' -f1)" \
    $(($(stat -c %s "$index") + skew)) >"${index%/main/*}/Release"
}
suite whole 0 linkto-probe linkto-needy:linkto-synced
suite syncing 1 linkto-synced

cat >"$tmp/a.list" <<EOF
deb [trusted=yes] copy:$repo whole main # the machine's
deb-src [trusted=yes] copy:$repo whole main
deb [arch=amd64 trusted=yes] copy:$repo amd64 main
deb [ arch=amd64,i386 signed-by=$tmp/none.gpg ] http://127.0.0.1:9/ silent main
EOF
printf 'Types: deb deb-src\nURIs: copy:%s\nSuites: %s\nComponents: main\n%s\n\n' \
  "$repo" syncing 'Trusted: yes' "$repo" whole 'Enabled: no' >"$tmp/b.sources"
apt_private "$tmp/apt" i386 "$tmp/a.list" "$tmp/none.list" "$tmp/b.sources"
diff - <(cat "$tmp"/apt/etc/sources.list{,.d/machine.sources}) <<EOF || fail "private sources"
deb [arch=i386 trusted=yes] copy:$repo whole main
deb [arch=i386 signed-by=$tmp/none.gpg] http://127.0.0.1:9/ silent main
Types: deb
URIs: copy:$repo
Suites: syncing
Components: main
Architectures: i386
Trusted: yes

EOF

export APT_CONFIG=$tmp/apt/apt.conf
log=$tmp/apt.log
warnings=$(apt_update "$log" -o Acquire::Retries=0 2>&1) || fail "apt_update failed"
if [ "$(grep -c 'apt-get update failed' <<<"$warnings")" != 2 ] ||
  ! grep -q '^E: .*syncing.*Hash Sum mismatch' "$log"; then
  fail "a failed update is not retried once, then gone past: $warnings"
fi
# what a failure names ("-" where all is downloaded), the packages asked for
while read -r missing names; do
  # shellcheck disable=SC2086
  if message=$(apt_get "$log" -d -- $names 2>&1); then
    if [ "$missing" != - ] || [ ! -f "$tmp/apt/cache/archives/${names}_1_i386.deb" ]; then
      fail "$names: apt_get succeeded, cache: $(ls "$tmp/apt/cache/archives")"
    fi
  elif [[ $missing = - || $message != *"cannot get $missing (see $log)"* ]]; then
    fail "$names: $message"
  fi
done <<EOF
- linkto-probe
linkto-synced linkto-needy
linkto-absent linkto-probe linkto-absent
EOF
[ "$failures" -eq 0 ] || { cat "$log"; exit 1; }
echo "apt_test: private sources, update retried and gone past, 3 downloads as expected"
