# shellcheck shell=bash
# apt runs shared by tools/setup and tools/test32 (sourced, not run). They go
# on when an index cannot be had, as while a mirror is in mid-sync or a source
# does not answer, and fail only when a package that is needed cannot be.
# A private configuration takes its archives from the machine's own apt
# sources, so the mirror and proxy the machine is set up with serve it too.

# Seconds between a failed apt-get update and its one retry.
apt_retry_wait=${LINKTO_APT_RETRY_WAIT:-30}

# apt_update LOG [OPTION...]: apt-get update, its output added to LOG. A
# failure is retried once, then only warned about: apt keeps the indexes it
# had or got, and apt_get says what they lack.
apt_update() {
  local log=$1 try
  shift
  for try in 1 2; do
    LC_ALL=C apt-get "$@" update </dev/null >>"$log" 2>&1 && return 0
    [ "$try" = 2 ] && break
    echo "${0##*/}: warning: apt-get update failed, again in $apt_retry_wait s (see $log)" >&2
    sleep "$apt_retry_wait"
  done
  echo "${0##*/}: warning: apt-get update failed again, going on with the indexes apt has" \
    "(see $log)" >&2
}

# apt_get LOG OPTION... -- PACKAGE...: apt-get install of the packages without
# their recommendations (-d among the options: only downloaded), its output
# added to LOG. When it fails, says which packages could not be had: those
# asked for or those they need, as apt's errors name them.
apt_get() {
  local log=$1 options=() from names
  shift
  while [ "$1" != -- ]; do
    options+=("$1")
    shift
  done
  shift
  : >>"$log"
  from=$(($(wc -l <"$log") + 1))
  # In English: its errors are read for the names.
  LC_ALL=C apt-get -y "${options[@]}" install --no-install-recommends "$@" \
    </dev/null >>"$log" 2>&1 && return 0
  names=$(tail -n +"$from" "$log" | sed -n -E \
    -e 's/^E: Unable to locate package (.+)$/\1/p' \
    -e "s/^E: Package '(.+)' has no installation candidate$/\1/p" \
    -e 's/^ .*Depends: ([^ ]+) .*but it is not (installable|going to be installed)$/\1/p' \
    -e 's|^E: Failed to fetch .*/([^/_]+)_[^/ ]+\.deb .*|\1|p' | sort -u | tr '\n' ' ')
  echo "${0##*/}: cannot get ${names:-$* }(see $log)" >&2
  return 1
}

# apt_private DIR ARCH [SOURCE-FILE...]: a private apt configuration in DIR
# for ARCH alone, with nothing installed, used with APT_CONFIG=DIR/apt.conf.
# Its sources are the deb entries of the machine's (or of the files given, in
# the one-line format or deb822 by their .list or .sources name), restricted
# to ARCH; each keeps its keyring, and those that exclude ARCH are left out.
apt_private() {
  local dir=$1 arch=$2 list='' parts='' files=() f
  shift 2
  if [ $# -eq 0 ]; then
    eval "$(apt-config shell list Dir::Etc::SourceList/f parts Dir::Etc::SourceParts/d)"
    set -- "$list" "$parts"*.list "$parts"*.sources
  fi
  for f in "$@"; do
    [ -f "$f" ] && files+=("$f")
  done
  mkdir -p "$dir"/{lists/partial,cache/archives/partial,etc/sources.list.d,etc/preferences.d}
  : >"$dir/status"
  cat >"$dir/apt.conf" <<EOF
APT::Architecture "$arch";
APT::Architectures { "$arch"; };
Debug::NoLocking "true";
Dir::State "$dir";
Dir::State::Lists "$dir/lists";
Dir::State::status "$dir/status";
Dir::Cache "$dir/cache";
Dir::Etc::SourceList "$dir/etc/sources.list";
Dir::Etc::SourceParts "$dir/etc/sources.list.d";
Dir::Etc::Preferences "$dir/etc/preferences";
Dir::Etc::PreferencesParts "$dir/etc/preferences.d";
EOF
  : >"$dir/etc/sources.list.d/machine.sources"
  # One-line entries to sources.list, deb822 stanzas to machine.sources; an
  # option or field that apt does not need to find and trust a source is
  # dropped.
  awk -v arch="$arch" -v parts="$dir/etc/sources.list.d/machine.sources" '
    function wants(archs, n, a, i, named) {
      n = split(archs, a, /[ \t\n,]+/)
      for (i = 1; i <= n; i++) {
        if (a[i] == arch) return 1
        if (a[i] != "") named = 1
      }
      return !named
    }
    function stanza_end(types, enabled) {
      types = " " f["types"] " "
      gsub(/[ \t\n]+/, " ", types)
      enabled = tolower(f["enabled"])
      gsub(/[ \t\n]/, "", enabled)
      if (types ~ / deb / && enabled != "no" && ("uris" in f) && wants(f["architectures"])) {
        printf "Types: deb\nURIs:%s\nSuites:%s\n", f["uris"], f["suites"] >parts
        if ("components" in f) printf "Components:%s\n", f["components"] >parts
        printf "Architectures: %s\n", arch >parts
        if ("signed-by" in f) printf "Signed-By:%s\n", f["signed-by"] >parts
        if ("trusted" in f) printf "Trusted:%s\n", f["trusted"] >parts
        printf "\n" >parts
      }
      split("", f)
      key = ""
    }
    FNR == 1 { stanza_end() }
    FILENAME ~ /\.sources$/ {
      if (/^#/) next
      if (/^[ \t]*$/) stanza_end()
      else if (/^[ \t]/) { if (key != "") f[key] = f[key] "\n" $0 }
      else {
        key = tolower(substr($0, 1, index($0, ":") - 1))
        f[key] = substr($0, index($0, ":") + 1)
      }
      next
    }
    {
      line = $0
      sub(/[ \t]*#.*/, "", line)
      if (line !~ /^[ \t]*deb[ \t]/) next
      sub(/^[ \t]*deb[ \t]+/, "", line)
      opts = ""
      if (match(line, /^\[[^]]*\]/)) {
        opts = substr(line, 2, RLENGTH - 2)
        line = substr(line, RLENGTH + 1)
      }
      sub(/^[ \t]+/, "", line)
      keep = ""
      n = split(opts, o, /[ \t]+/)
      for (i = 1; i <= n; i++) {
        if (o[i] ~ /^arch=/ && !wants(substr(o[i], 6))) next
        if (o[i] ~ /^(signed-by|trusted)=/) keep = keep " " o[i]
      }
      print "deb [arch=" arch keep "] " line
    }
    END { stanza_end() }
  ' "${files[@]}" /dev/null >"$dir/etc/sources.list"
}
