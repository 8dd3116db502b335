#!/usr/bin/env bash
# Runs a command on a private X server served over VNC on 127.0.0.1 only, and
# lets no other local user in: the display wants a fresh cookie, the VNC
# server a fresh one-time password, each kept in a file only this user can
# read. Prints how to connect, password included, then runs the command.
# Everything it started or wrote goes when the command ends, or on Ctrl+C.
# Usage: scripts/lib/serve-headless.sh <command...>
set -euo pipefail
. "$(dirname "$0")/wait-until.sh"

# What this writes is for this user alone; the command gets the usual umask.
command_umask=$(umask)
umask 077
state=$(mktemp -d "${TMPDIR:-/tmp}/mediakit-headless.XXXXXX")
# Each server and the command run in sessions of their own, out of reach of
# Ctrl+C, and are stopped here in this order: the command with all it
# started (the player too), so that none reports a lost display; x11vnc,
# killed outright as it can hang in its own clean-up and has nothing of ours
# to clean up; the X server.
command_group= vnc_pid= x_pid=
cleanup() {
    if [ -n "$command_group" ]; then
        kill -TERM -- "-$command_group" 2>/dev/null || true
        wait "$command_group" 2>/dev/null || true
        wait_until 50 group_ended "$command_group" || true
    fi
    [ -z "$vnc_pid" ] || kill -KILL "$vnc_pid" 2>/dev/null || true
    [ -z "$x_pid" ] || kill "$x_pid" 2>/dev/null || true
    wait 2>/dev/null  # without a line for each process that ends by a signal
    rm -rf "$state"
}
group_ended() {
    ! kill -0 -- "-$1" 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

fail() { # <what> <log>
    echo "serve-headless: $1" >&2
    cat "$2" >&2
    exit 1
}

# The X server takes every cookie in its file, whatever display an entry
# names, and picks a free display itself; the clients look their cookie up
# by display, so the entry is named after the display once it is known.
# The cookie goes to xauth on its input: a command line is public.
export XAUTHORITY=$state/Xauthority
cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
: >"$XAUTHORITY"
echo "add :0 . $cookie" | xauth -q -f "$XAUTHORITY" source -
setsid Xvfb -displayfd 3 -auth "$XAUTHORITY" -screen 0 240x320x24 -nolisten tcp \
    3>"$state/display" >"$state/Xvfb.log" 2>&1 &
x_pid=$!
wait_until 100 grep -qs . "$state/display" || fail "the X server did not start" "$state/Xvfb.log"
export DISPLAY=:$(cat "$state/display")
printf 'remove :0\nadd %s . %s\n' "$DISPLAY" "$cookie" | xauth -q -f "$XAUTHORITY" source -

# VNC authentication uses 8 characters and no more.
password=
while [ ${#password} -lt 8 ]; do
    password+=$(head -c 64 /dev/urandom | LC_ALL=C tr -dc 'A-Za-z0-9')
done
password=${password:0:8}
echo "$password" >"$state/vnc-password"
setsid x11vnc -display "$DISPLAY" -auth "$XAUTHORITY" -localhost -autoport 5900 -forever -shared \
    -passwdfile "$state/vnc-password" -quiet >"$state/x11vnc.out" 2>"$state/x11vnc.log" &
vnc_pid=$!
wait_until 100 grep -qs '^PORT=' "$state/x11vnc.out" || fail "the VNC server did not start" "$state/x11vnc.log"
port=$(sed -n 's/^PORT=//p' "$state/x11vnc.out")

cat <<INFO

The screen is served over VNC at 127.0.0.1, port $port (this machine only).
Connect with a VNC viewer and this run's password, for example:
    vncviewer 127.0.0.1::$port
VNC password: $password
From another machine, tunnel it first:
    ssh -L $port:127.0.0.1:$port <this machine>    then: vncviewer 127.0.0.1::$port
It stops when the program ends, or on Ctrl+C here.

INFO

umask "$command_umask"
setsid "$@" &
command_group=$!
wait "$command_group"
