#!/usr/bin/env bash
# Runs the launcher on a sample media folder: installs what is missing, builds
# if needed, prepares demo-run/ and starts the launcher there. Safe to run
# again. With no display it serves the screen over VNC on 127.0.0.1 only.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build
run=$root/demo-run

# Where the window goes: the user's QT_QPA_PLATFORM, else their X11 or
# Wayland session, else a private X server shown over VNC.
if [ -n "${QT_QPA_PLATFORM:-}" ]; then
    screen=user
elif [ -n "${DISPLAY:-}" ]; then
    screen=x11
elif [ -n "${WAYLAND_DISPLAY:-}" ]; then
    screen=wayland
else
    screen=vnc
fi
# Qt 6.4's own vnc plugin listens on every interface, so the VNC server is
# x11vnc on a private Xvfb, bound to 127.0.0.1.
extra_packages=()
case $screen in
    wayland) extra_packages=(qt6-wayland) ;;
    vnc) extra_packages=(x11vnc) ;;
esac
bash scripts/setup.sh "${extra_packages[@]}"

bash scripts/prepare-demo.sh

started_pids=()
cleanup() {
    local pid
    for pid in "${started_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
}
trap cleanup EXIT

port_in_use() {
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

wait_until() { # <tries of 0.1 s> <command...>
    local tries=$1
    shift
    until "$@"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.1
    done
}

serve_over_vnc() {
    local display=99 port=5900
    while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
        display=$((display + 1))
    done
    while port_in_use "$port"; do
        port=$((port + 1))
    done

    Xvfb ":$display" -screen 0 240x320x24 -nolisten tcp >/dev/null 2>&1 &
    started_pids+=($!)
    wait_until 50 test -e "/tmp/.X11-unix/X$display" || { echo "demo: Xvfb did not start" >&2; exit 1; }

    x11vnc -display ":$display" -localhost -rfbport "$port" -forever -shared -nopw -quiet >/dev/null 2>&1 &
    started_pids+=($!)
    wait_until 100 port_in_use "$port" || { echo "demo: x11vnc did not start" >&2; exit 1; }

    export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
    cat <<INFO

The launcher is served over VNC at 127.0.0.1, port $port (this machine only).
Connect with a VNC viewer, for example:
    vncviewer 127.0.0.1::$port
From another machine, tunnel it first:
    ssh -L $port:127.0.0.1:$port <this machine>    then: vncviewer 127.0.0.1::$port
Press Exit in the launcher, or Ctrl+C here, to stop.

INFO
}

case $screen in
    wayland) export QT_QPA_PLATFORM=wayland ;;
    vnc) serve_over_vnc ;;
esac

cd "$run"
export MOVDIR="$run/media"
echo "demo: starting the launcher in $run on $MOVDIR"
"$build/launcher/launcher"
