#!/bin/sh
# Installs the build tree under a scratch root, as unpacking the package
# elsewhere would, and runs the installed panelnap there: it must find the
# stand-in library in the kit's private directory by itself, and a library of
# the same name on LD_LIBRARY_PATH must take the stand-in's place.
# Usage: installed_tree_test.sh <build dir> <directory of the replacement library> [emulator...]
set -eu
build=$1
replacement=$2
shift 2
. "$(dirname "$0")/checks.sh"

root=$tmp/root
cmake --install "$build" --prefix "$root/usr" >/dev/null

# Only the commands users call go into everyone's PATH.
for program in "$root/usr/bin"/*; do
    case ${program##*/} in
        panelnap | mediakit-launcher) ;;
        *) fail "bin/ holds ${program##*/}" ;;
    esac
done

# The panel's power service: in the kit's libexec folder, with a systemd
# unit that names it there, and nothing that enables the unit.
unit=$root/usr/lib/systemd/system/ezxpmd.service
[ -x "$root/usr/libexec/mediakit/ezxpmd" ] || fail "no ezxpmd in libexec/mediakit"
grep -qxF "ExecStart=$root/usr/libexec/mediakit/ezxpmd" "$unit" ||
    fail "the unit does not start the installed ezxpmd"
[ ! -e "$root/etc" ] && [ ! -e "$root/usr/lib/systemd/system/multi-user.target.wants" ] ||
    fail "the installed tree enables something"
# The player's helper lies where zorvid looks for it.
if [ -e "$root/usr/share/mediakit/zorvid" ]; then
    [ -x "$root/usr/share/mediakit/../../libexec/mediakit/zorvid-panel" ] ||
        fail "no zorvid-panel where zorvid looks for it"
fi

# The Wayland session's agent lies where the library looks for it.
for library in "$root"/usr/lib/*/mediakit/libezxpm-xscale-r.so; do
    [ -x "${library%/*}/../../../libexec/mediakit/ezxpm-agent" ] ||
        fail "no ezxpm-agent where $library looks for it"
done

# Away from any X display and controlling terminal, which the stand-in would
# put to sleep; the rest of the arguments are the emulator, if any.
record=$tmp/record
out=$(env -u DISPLAY -u WAYLAND_DISPLAY EZXPM_LCD_SLEEP_FILE="$record" setsid -w "$@" "$root/usr/bin/panelnap" 45)
[ "$out" = "set lcd sleep time to 45 seconds." ] || fail "the installed panelnap printed: $out"
[ "$(cat "$record" 2>/dev/null)" = 45 ] || fail "the stand-in library was not called"

env -u DISPLAY -u WAYLAND_DISPLAY EZXPM_LCD_SLEEP_FILE="$record" LD_LIBRARY_PATH="$replacement" \
    setsid -w "$@" "$root/usr/bin/panelnap" 45 >/dev/null
[ "$(cat "$record" 2>/dev/null)" = "replacement 45" ] ||
    fail "a library on LD_LIBRARY_PATH did not take the stand-in's place"

finish "installed tree"
