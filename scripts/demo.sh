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

[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j 2 --target launcher launcher_images player_stand_in

# The launcher's working directory: images/, the player and, once a clip is
# chosen, the launch script "exec".
mkdir -p "$run"
rm -rf "$run/images"
cp -R "$build/images" "$run/images"
install -m 755 "$build/zorvid" "$run/zorvid"

media=$run/media
mkdir -p "$media/Films" "$media/Music Videos" "$media/Holiday 2026"

# <file> <lavfi test source>: a 3-second 240x180 clip with a tone, made once.
make_clip() {
    [ -e "$1" ] && return 0
    local partial
    partial="$(dirname "$1")/.partial-$(basename "$1")"
    ffmpeg -nostdin -v error -y \
        -f lavfi -i "$2=size=240x180:rate=25" \
        -f lavfi -i "sine=frequency=440" \
        -t 3 -pix_fmt yuv420p "$partial"
    mv "$partial" "$1"
}

make_placeholder() {
    [ -e "$1" ] && return 0
    printf 'Placeholder, not a video: install ffmpeg and run scripts/demo.sh again for real clips.\n' > "$1"
}

if command -v ffmpeg >/dev/null 2>&1; then
    echo "demo: making sample clips in $media"
    find "$media" -name 'placeholder-*' -delete
    make_clip "$media/Welcome.mp4" testsrc
    make_clip "$media/Films/Colour Bars.avi" smptebars
    make_clip "$media/Films/Director's Cut \"2026\".mp4" testsrc2
    make_clip "$media/Music Videos/Mandelbrot Zoom.mp4" mandelbrot
    make_clip "$media/Holiday 2026/Café at Dusk.mp4" rgbtestsrc
else
    echo "demo: ffmpeg not found, so the sample files are placeholders"
    make_placeholder "$media/placeholder-welcome.mp4"
    make_placeholder "$media/Films/placeholder-clip.mp4"
    make_placeholder "$media/Films/placeholder-bars.avi"
    make_placeholder "$media/Music Videos/placeholder-music-video.mp4"
    make_placeholder "$media/Holiday 2026/placeholder-holiday.mp4"
fi

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
export MOVDIR="$media"
echo "demo: starting the launcher in $run on $MOVDIR"
"$build/launcher/launcher"
