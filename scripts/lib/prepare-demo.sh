#!/usr/bin/env bash
# Builds what the demo needs and prepares demo-run/: the launcher's working
# directory (images/, zorvid) and a sample media folder, demo-run/media, with
# short clips when ffmpeg is installed, else clearly named placeholders
# (scripts/lib/demo-media.sh).
# Safe to run again: existing files are kept.
# Prints nothing for what is already done; a build or set-up that fails
# shows the end of its log.
set -euo pipefail
cd "$(dirname "$0")/../.."
. scripts/lib/quiet.sh
root=$PWD
build=build
run=$root/demo-run

[ -f "$build/build.ninja" ] || quietly "$build/configure.log" cmake -S . -B "$build" -G Ninja
build_quietly demo "$build" --target launcher launcher_images player_stand_in

# The launcher's working directory: images/, the player and, once a clip is
# chosen, the launch script "exec".
mkdir -p "$run"
rm -rf "$run/images"
cp -R "$build/images" "$run/images"
install -m 755 "$build/zorvid" "$run/zorvid"

bash scripts/lib/demo-media.sh "$run/media"
