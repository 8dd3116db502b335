#!/usr/bin/env bash
# Measures the media list and the launcher's start-up on generated
# directories, each figure the median of RUNS runs (default 7):
#  - FileBrowser::setDir on 1,000, 10,000 and 100,000 entries, up to the first
#    paint, against readdir and sort of the same names, and one scroll step's
#    repaint after it;
#  - CPU time from process start until the loop idles after the first painted
#    frame, and peak resident memory, of the real launcher against an empty Qt
#    window, both on the offscreen platform.
# Usage: scripts/bench.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
runs=${1:-7}
build=$root/build-bench

bash scripts/setup.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j 2 --target launcher launcher_images make_media_dir listing_bench \
    minimal_window first_frame_probe >/dev/null

tmp_base=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && tmp_base=/dev/shm
work=$(mktemp -d "$tmp_base/mediakit-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/xdg
mkdir -m 700 "$XDG_RUNTIME_DIR"
for entries in 20 1000 10000 100000; do
    "$build/bench/make_media_dir" "$work/$entries" "$entries"
done

# The launcher's working directory, as installed: its images and little else.
mkdir "$work/run"
cp -R "$build/images" "$work/run/images"
cd "$work/run"

echo "== Listing: CPU ms, median of $runs runs"
"$build/bench/listing_bench" "$runs" "$work/1000" "$work/10000" "$work/100000" | tee "$work/listing"
baseline_100k=$(awk '$1 == 100000 { print $4 }' "$work/listing")

median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# Each run starts every program once, so that all share the machine's load.
# <name> <command...>: one run; appends "cpu_ms maxrss_kb" to $work/<name>.
first_frame() {
    local name=$1 line
    shift
    line=$(LD_PRELOAD=$build/bench/libfirst_frame_probe.so "$@" | grep '^first-frame') ||
        { echo "bench: no first frame from $*" >&2; exit 1; }
    echo "$line" | sed 's/.*cpu_ms=\([0-9.]*\) maxrss_kb=\([0-9]*\).*/\1 \2/' >>"$work/$name"
}
for ((run = 0; run < runs; run++)); do
    first_frame minimal "$build/bench/minimal_window"
    first_frame label "$build/bench/minimal_window" --label
    # Set for the launcher itself: through env(1) the probe would be loaded
    # into env too, and its CPU time counted for the launcher after exec.
    MOVDIR="$work/20" first_frame small "$build/launcher/launcher"
    MOVDIR="$work/100000" first_frame big "$build/launcher/launcher"
done
cpu() { cut -d' ' -f1 "$work/$1" | median; }
rss() { cut -d' ' -f2 "$work/$1" | median; }
minimal_cpu=$(cpu minimal)
label_cpu=$(cpu label)
small_cpu=$(cpu small)
big_cpu=$(cpu big)
minimal_rss=$(rss minimal)
big_rss=$(rss big)

echo
echo "== Start-up: CPU ms from process start to the idle loop after the first frame, median of $runs"
awk -v m="$minimal_cpu" -v l="$label_cpu" -v s="$small_cpu" -v b="$big_cpu" -v base="$baseline_100k" 'BEGIN {
    printf "minimal window                %8.1f\n", m
    printf "  the same with one text line %8.1f   (for scale: the first text loads the fonts)\n", l
    printf "launcher, 20 entries          %8.1f   %.2fx the window with one text line (target <= 1.25)\n", s, s / l
    printf "launcher, 100000 entries      %8.1f   extra %.1f = %.2fx the listing baseline (target <= 1.6)\n", b, b - m, (b - m) / base
}'
echo
echo "== Peak resident memory (ru_maxrss) at that point, MiB, median of $runs"
awk -v m="$minimal_rss" -v b="$big_rss" 'BEGIN {
    printf "minimal window                %8.1f\n", m / 1024
    printf "launcher, 100000 entries      %8.1f   extra %.1f (target <= 15)\n", b / 1024, (b - m) / 1024
}'
