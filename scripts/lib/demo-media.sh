#!/usr/bin/env bash
# Fills a folder with the demo's sample media (Films, Music Videos, Holiday
# 2026): short clips when ffmpeg is installed, else clearly named
# placeholders. Safe to run again: existing files are kept, and a run that
# makes none prints nothing.
# Usage: scripts/lib/demo-media.sh <folder>
set -euo pipefail

media=${1:?usage: demo-media.sh <folder>}
mkdir -p "$media/Films" "$media/Music Videos" "$media/Holiday 2026"

# <message>: said once, before the first file this run makes.
announced=no
announce() {
    [ "$announced" = yes ] || echo "$1"
    announced=yes
}

# <file> <lavfi test source>: a 3-second 240x180 clip with a tone, made once.
make_clip() {
    [ -e "$1" ] && return 0
    announce "demo: making sample clips in $media"
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
    announce "demo: ffmpeg not found, so the sample files are placeholders"
    printf 'Placeholder, not a video: install ffmpeg and run scripts/demo.sh again for real clips.\n' > "$1"
}

if command -v ffmpeg >/dev/null 2>&1; then
    find "$media" -name 'placeholder-*' -delete
    make_clip "$media/Welcome.mp4" testsrc
    make_clip "$media/Films/Colour Bars.avi" smptebars
    make_clip "$media/Films/Director's Cut \"2026\".mp4" testsrc2
    make_clip "$media/Music Videos/Mandelbrot Zoom.mp4" mandelbrot
    make_clip "$media/Holiday 2026/Café at Dusk.mp4" rgbtestsrc
else
    make_placeholder "$media/placeholder-welcome.mp4"
    make_placeholder "$media/Films/placeholder-clip.mp4"
    make_placeholder "$media/Films/placeholder-bars.avi"
    make_placeholder "$media/Music Videos/placeholder-music-video.mp4"
    make_placeholder "$media/Holiday 2026/placeholder-holiday.mp4"
fi
