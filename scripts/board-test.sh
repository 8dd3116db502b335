#!/usr/bin/env bash
# Runs the kit on an emulated ARM board: QEMU's virt machine with a 240x320
# panel, virtio keyboard, tablet and multitouch, and tty1 on the panel. It
# installs the kit's cross-built package there, starts the kit's power
# service at boot, drives the launcher, the player and panelnap from the
# host through QMP and the serial console (scripts/lib/board/), prints one
# line per check and a count, and keeps the screens as PNG files in
# build-ARCH/board/shots/ (build-ARCH/board/16-bit/shots/ for that panel).
# Usage: scripts/board-test.sh [prepare] [armhf|arm64] [--short] [--16-bit] [--wayland] [--idle]
#   prepare  only brings the kit's package and the board up to date
#   armhf    the 32-bit board, a Cortex-A15 (the default)
#   arm64    the 64-bit board
#   --short  only the checks that can tell architectures apart: the first
#            screen, a clip on each of the player's paths, panelnap 10
#   --16-bit a 16-bit (RGB565) panel, as most small SPI panels are: the
#            launcher's colours, a framebuffer clip's colours, and the
#            launcher's screen after it
#   --wayland a Wayland kiosk instead: sway on the panel, the launcher and
#            the player full screen on it, panelnap through the session's
#            agent (its own userland, with sway and Qt's Wayland plugin)
#   --idle   also waits for a timed blank (panelnap 45), about 75 s more
# The board itself (QEMU, the kernel, busybox, the userland) is prepared
# once by scripts/lib/board/prepare.sh and kept in build-ARCH/board/; only
# the kit is put on it afresh for each run. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

usage="usage: $0 [prepare] [armhf|arm64] [--short] [--16-bit] [--wayland] [--idle]"
arch=armhf prepare_only=no depth=32 wayland=no check_options=()
for argument in "$@"; do
    case $argument in
        prepare) prepare_only=yes ;;
        armhf | arm64) arch=$argument ;;
        --short) check_options+=(--short) ;;
        --16-bit) depth=16 check_options+=(--16-bit) ;;
        --wayland) wayland=yes check_options+=(--wayland) ;;
        --idle) check_options+=(--idle) ;;
        *) echo "$usage" >&2; exit 2 ;;
    esac
done
case $arch in
    armhf) machine=(qemu-system-arm -M virt -cpu cortex-a15) ;;
    arm64) machine=(qemu-system-aarch64 -M virt -cpu cortex-a57) ;;
esac
build=$root/build-$arch
board=$build/board
mkdir -p "$board"

bash scripts/setup.sh python3 ffmpeg

# The kit: brought up to date when the cross build exists, else made by the
# cross test (which runs the whole suite under qemu-user first).
if [ -f "$build/build.ninja" ]; then
    cmake --build "$build" -j 2 > "$board/build.log" || { cat "$board/build.log"; exit 1; }
    if ! grep -q '^ninja: no work to do' "$board/build.log" ||
        ! ls "$build"/mediakit_*_"$arch".deb >/dev/null 2>&1; then
        (cd "$build" && cpack -G DEB >/dev/null)
    fi
else
    bash scripts/cross-test.sh "$arch"
fi
package=$(ls -t "$build"/mediakit_*_"$arch".deb | head -n 1)
dpkg-deb -c "$package" | grep '/usr/bin/mediakit-launcher$' >/dev/null ||
    { echo "board-test: $package has no launcher (was Qt for $arch installable?)" >&2; exit 1; }

# The userland: the package's own dependencies, a shell and coreutils for the
# start script and the player stand-in, the players, and a font.
mapfile -t packages < <(dpkg-deb -f "$package" Depends | tr ',' '\n' | sed 's/(.*)//; s/|.*//; s/[[:space:]]//g')
userland=userland
if [ "$wayland" = yes ]; then
    userland="userland-wayland"
    packages+=(sway qt6-wayland)
fi
bash scripts/lib/board/prepare.sh "$arch" --userland "$userland" dash coreutils mpv ffmpeg fonts-dejavu-core "${packages[@]}"
[ "$prepare_only" = no ] || exit 0

# What this run shares with the board, made afresh: the package unpacked as
# dpkg would, the bench's start-up programs, and the demo's clips as a card.
bash scripts/lib/demo-media.sh "$board/clips" >/dev/null
# Two 40-second clips in a folder of their own, long enough to tell a clip
# stopped from one that ended, and to outlast a sleep time; made once.
long=$board/long-clips
if [ ! -e "$long/Second Walk.mp4" ]; then
    mkdir -p "$long"
    ffmpeg -nostdin -v error -y -f lavfi -i "testsrc=size=240x180:rate=25" -t 40 -pix_fmt yuv420p \
        "$long/.partial.mp4"
    cp "$long/.partial.mp4" "$long/Long Walk.mp4"
    mv "$long/.partial.mp4" "$long/Second Walk.mp4"
fi
# The 16-bit panel's and the kiosk's runs keep their sockets, logs and
# screens apart.
work=$board
[ "$depth" = 32 ] || work=$board/$depth-bit
[ "$wayland" = no ] || work=$board/wayland
rm -rf "$board/kit" "$work/shots" "$work/logs" "$board/initramfs"
dpkg-deb -x "$package" "$board/kit"
mkdir -p "$board/kit/opt/board" "$board/kit/media" "$work/shots" "$board/state"
cp "$build/bench/minimal_window" "$build/bench/make_media_dir" "$build/bench/listing_bench" \
    "$build/bench/libfirst_frame_probe.so" "$board/kit/opt/board/"
cp -R "$board/clips" "$board/kit/media/card"
cp -R "$long" "$board/kit/media/long"

mkdir -p "$board/initramfs/bin"
cp "$board/busybox" "$board/initramfs/bin/busybox"
cp scripts/lib/board/guest "$board/initramfs/bin/board"
cp scripts/lib/board/init "$board/initramfs/init"
cp scripts/lib/board/kiosk "$board/initramfs/bin/kiosk"
cp scripts/lib/board/sway-kiosk.conf "$board/kit/opt/board/"
cp -R "$board/modules" "$board/initramfs/modules"
(cd "$board/initramfs" && find . | cpio -o -H newc --quiet | gzip -1) > "$board/initrd.gz"

# The panel. virtio-gpu offers 32-bit pixels only, and its kernel driver
# refuses a 16-bit framebuffer; QEMU's Cirrus VGA shows one, at the depth
# and size the kernel's video= option chooses.
if [ "$depth" = 32 ]; then
    panel=(-device virtio-gpu-device,xres=240,yres=320)
    video=
else
    panel=(-device cirrus-vga,romfile=)
    video=" video=VGA-1:240x320-$depth"
fi
# The kiosk's board starts no power service at boot: panelnap's times are
# the session's there.
kiosk=
[ "$wayland" = no ] || kiosk=" board.kiosk=wayland"
# The board's folders shared from here: <tag> <folder> [,readonly=on]
shares=()
share() {
    shares+=(-fsdev "local,id=$1,path=$2,security_model=none${3:-}" -device "virtio-9p-device,fsdev=$1,mount_tag=$1")
}
share userland "$board/$userland" ,readonly=on
share kit "$board/kit" ,readonly=on
share state "$board/state"
mkdir -p "$work/logs"
share logs "$work/logs"
qemu=$board/qemu
# Modules of this QEMU only: the system's own, of another version, would not load.
QEMU_MODULE_DIR=$(echo "$qemu"/usr/lib/*/qemu)
export QEMU_MODULE_DIR
# The virt board's virtio-mmio devices come in legacy mode unless told
# otherwise, and the kernel's GPU and input drivers refuse that mode.
exec python3 -B scripts/lib/board/checks.py --work "$work" --images "$build/images" "${check_options[@]}" -- \
    "$qemu/usr/bin/${machine[0]}" "${machine[@]:1}" -smp 2 -m 1024 \
    -display none -audio none -nic none -no-reboot -L "$qemu/usr/share/qemu" \
    -global virtio-mmio.force-legacy=false \
    -kernel "$board/vmlinuz" -initrd "$board/initrd.gz" \
    -append "console=ttyAMA0 panic=-1 vt.global_cursor_default=0$video$kiosk" \
    "${panel[@]}" \
    -device virtio-keyboard-device,id=keyboard \
    -device virtio-tablet-device,id=tablet \
    -device virtio-multitouch-device,id=touch \
    "${shares[@]}"
