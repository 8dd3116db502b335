#!/usr/bin/env bash
# Runs the launcher on a sample media folder: installs what is missing, builds
# if needed, prepares demo-run/ and starts the launcher there. Safe to run
# again. With no display it serves the screen over VNC on 127.0.0.1 only, to
# this user alone (scripts/lib/serve-headless.sh).
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
# Qt 6.4's own vnc plugin listens on every interface and asks for no
# password, so the VNC server is x11vnc on a private Xvfb (scripts/setup.sh
# installs both), bound to 127.0.0.1.
extra_packages=()
[ "$screen" = wayland ] && extra_packages=(qt6-wayland)
# Real sample clips need ffmpeg, playing them mpv. Where they cannot be
# installed (no network, no sudo) the demo still runs, on placeholders.
bash scripts/setup.sh "${extra_packages[@]}" ffmpeg mpv || bash scripts/setup.sh "${extra_packages[@]}"

bash scripts/lib/prepare-demo.sh

if ! command -v ffmpeg >/dev/null 2>&1; then
    trap 'echo "demo: ffmpeg and mpv could not be installed, so the samples were placeholders and nothing could play. Install them (apt-get install ffmpeg mpv) and run scripts/demo.sh again." >&2' EXIT
fi

cd "$run"
export MOVDIR="$run/media"
echo "demo: starting the launcher in $run on $MOVDIR"
case $screen in
    wayland) QT_QPA_PLATFORM=wayland "$build/launcher/launcher" ;;
    vnc) QT_QPA_PLATFORM=xcb "$root/scripts/lib/serve-headless.sh" "$build/launcher/launcher" ;;
    *) "$build/launcher/launcher" ;;
esac
