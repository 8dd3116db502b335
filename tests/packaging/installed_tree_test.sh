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

# Away from any X display and controlling terminal, which the stand-in would
# put to sleep; the rest of the arguments are the emulator, if any.
record=$tmp/record
out=$(env -u DISPLAY EZXPM_LCD_SLEEP_FILE="$record" setsid -w "$@" "$root/usr/bin/panelnap" 45)
[ "$out" = "set lcd sleep time to 45 seconds." ] || fail "the installed panelnap printed: $out"
[ "$(cat "$record" 2>/dev/null)" = 45 ] || fail "the stand-in library was not called"

env -u DISPLAY EZXPM_LCD_SLEEP_FILE="$record" LD_LIBRARY_PATH="$replacement" \
    setsid -w "$@" "$root/usr/bin/panelnap" 45 >/dev/null
[ "$(cat "$record" 2>/dev/null)" = "replacement 45" ] ||
    fail "a library on LD_LIBRARY_PATH did not take the stand-in's place"

finish "installed tree"
