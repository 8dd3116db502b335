#!/bin/sh
# Runs a test program as an unprivileged user, so that permission checks that
# root passes through are exercised too. The build tree may lie in a home
# that only root can enter, so the user runs a copy in a fresh folder under
# /tmp; the test programs need no other file from the build or source tree.
# Usage: run_as_normal_user.sh [emulator...] <test program>
cannot_run() {
    echo "not run as a normal user: $*"
    exit 77
}
[ "$(id -u)" -eq 0 ] || cannot_run "the suite runs as one already and has run this test so"
command -v setpriv >/dev/null || cannot_run "setpriv (util-linux) is missing"
id nobody >/dev/null 2>&1 || cannot_run "this system has no user nobody"

copy=$(mktemp -d /tmp/as-normal-user.XXXXXX) || exit 1
trap 'rm -rf "$copy"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
chmod 755 "$copy"
# The program comes last, after the emulator that runs a cross build's.
for program; do :; done
copied=$copy/${program##*/}
install -m 755 "$program" "$copied" || exit 1
left=$#
for arg; do
    left=$((left - 1))
    [ "$left" -eq 0 ] && arg=$copied
    set -- "$@" "$arg"
    shift
done

cd /tmp || exit 1
setpriv --reuid=nobody --regid=nogroup --clear-groups -- \
  env HOME=/tmp XDG_RUNTIME_DIR= QT_QPA_PLATFORM=offscreen "$@"
