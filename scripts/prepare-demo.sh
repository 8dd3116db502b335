#!/usr/bin/env bash
# Builds what the demo needs and prepares demo-run/: the launcher's working
# directory (images/, zorvid) and a sample media folder, demo-run/media, with
# short clips when ffmpeg is installed, else clearly named placeholders.
# Safe to run again: existing files are kept.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build
run=$root/demo-run

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
