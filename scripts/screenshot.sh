#!/usr/bin/env bash
# Writes docs/screenshot.png: the launcher's screen on the demo's media
# folder, drawn by its own widgets on the offscreen platform (no display).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build

bash scripts/setup.sh
bash scripts/lib/prepare-demo.sh
cmake --build "$build" -j 2 --target grab_screen

mkdir -p docs
cd demo-run
MOVDIR="$root/demo-run/media" QT_QPA_PLATFORM=offscreen \
    "$build/launcher/images/grab_screen" "$root/docs/screenshot.png"
echo "screenshot: wrote docs/screenshot.png"
