#!/usr/bin/env bash
# The archives the board test fetches from, read from a machine's apt sources
# in either format: a local mirror and a proxy are kept, disabled entries,
# source packages, other suites and other settings are not.
# Usage: apt_sources_test.sh <scripts/lib/apt-sources.sh>
set -euo pipefail
. "$1"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

# <machine>: apt reads only that machine's sources and configuration.
use_machine() {
    mkdir -p "$tmp/$1/sources.list.d" "$tmp/$1/apt.conf.d"
    touch "$tmp/$1/sources.list"
    printf 'Dir::Etc::%s "%s";\n' SourceList "$tmp/$1/sources.list" SourceParts "$tmp/$1/sources.list.d" \
        Parts "$tmp/$1/apt.conf.d" Main "$tmp/$1/none" > "$tmp/$1/apt.conf"
    export APT_CONFIG=$tmp/$1/apt.conf
}
# <what> <expected> <actual>
check() {
    [ "$2" = "$3" ] && return
    echo "FAIL: $1"; diff <(echo "$2") <(echo "$3") || true
    failures=$((failures + 1))
}

use_machine deb822
cat > "$tmp/deb822/sources.list.d/debian.sources" <<'SOURCES'
# A proxy and a local mirror
Types: deb deb-src
URIs: http://127.0.0.1:3142/debian/ file:/srv/mirror/debian
Suites: bookworm bookworm-updates bookworm-backports bookworm-proposed-updates
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://127.0.0.1:3142/debian-security
Suites: bookworm-security
Components: main

Types: deb
URIs: http://127.0.0.1:9/disabled
Suites: bookworm
Components: main
Enabled: no

Types: deb-src
URIs: http://127.0.0.1:9/sources-only
Suites: bookworm
Components: main
SOURCES
printf '%s\n' 'Acquire::http::Proxy "http://127.0.0.1:3142";' 'Acquire::http::Proxy::127.0.0.1 "DIRECT";' \
    'Acquire::https::Proxy-Auto-Detect "/usr/bin/find-proxy";' 'Acquire::http::Timeout "9";' \
    > "$tmp/deb822/apt.conf.d/proxy"
check "deb822 sources" "http://127.0.0.1:3142/debian/ bookworm
http://127.0.0.1:3142/debian/ bookworm-updates
file:/srv/mirror/debian/ bookworm
file:/srv/mirror/debian/ bookworm-updates
http://127.0.0.1:3142/debian-security/ bookworm-security" "$(apt_release_sources bookworm)"
check "proxies passed on, nothing else" '--aptopt=Acquire::http::Proxy "http://127.0.0.1:3142";
--aptopt=Acquire::http::Proxy::127.0.0.1 "DIRECT";
--aptopt=Acquire::https::Proxy-Auto-Detect "/usr/bin/find-proxy";' "$(apt_proxy_options)"

use_machine one-line
cat > "$tmp/one-line/sources.list" <<'SOURCES'
# deb http://127.0.0.1:9/commented-out bookworm main
deb [ arch=amd64,armhf signed-by=/usr/share/keyrings/debian-archive-keyring.gpg ] file:///srv/mirror/debian bookworm main
deb-src http://127.0.0.1:9/sources-only bookworm main
deb http://127.0.0.1:9/other-release trixie main
deb http://127.0.0.1:3142/debian-security bookworm-security main
SOURCES
echo 'deb http://127.0.0.1:3142/debian bookworm-updates main' > "$tmp/one-line/sources.list.d/updates.list"
check "one-line sources" "file:/srv/mirror/debian/ bookworm
http://127.0.0.1:3142/debian-security/ bookworm-security
http://127.0.0.1:3142/debian/ bookworm-updates" "$(apt_release_sources bookworm)"
check "no proxy" "" "$(apt_proxy_options)"

echo "apt sources: $((4 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
