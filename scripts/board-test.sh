#!/usr/bin/env bash
# Runs the kit on an emulated armhf board: qemu-system-arm -M virt with a
# 240x320 virtio-gpu framebuffer, virtio keyboard, tablet and multitouch, and
# tty1 on the panel. It installs the kit's cross-built package there, starts
# the kit's power service at boot, drives the launcher, the player and
# panelnap from the host through QMP and the serial console (scripts/lib/board/),
# prints one line per check and a count, and keeps the screens as PNG files
# in build-armhf/board/shots/.
# Usage: scripts/board-test.sh [armhf] [--idle]
#   --idle  also waits for a timed blank (panelnap 45), about 75 s more
# Prepares what is missing, cached in build-armhf/board/: QEMU 10 (on Debian
# 12 from its backports: 7.2 has no touchscreen device), a Debian armmp
# kernel, a busybox initramfs and an armhf userland of this machine's release
# with Qt, mpv and ffmpeg, unpacked without running any ARM code here. Safe
# to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

idle=()
for argument in "$@"; do
    case $argument in
        armhf) ;;
        --idle) idle=(--idle) ;;
        *) echo "usage: $0 [armhf] [--idle]" >&2; exit 2 ;;
    esac
done
arch=armhf
triplet=arm-linux-gnueabihf
# The board runs the release this machine runs: the package is built against
# its libraries.
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
# Its packages come from where this machine's apt takes them: a local mirror
# or proxy named in the sources is used as it is.
. scripts/lib/apt-sources.sh
mapfile -t release_sources < <(apt_release_sources "$suite")
archive=$(printf '%s\n' "${release_sources[@]}" | awk -v suite="$suite" '$2 == suite { print $1; exit }')
[ -n "$archive" ] || { echo "board-test: no apt source of this machine names $suite itself" >&2; exit 1; }
build=$root/build-$arch
board=$build/board
mkdir -p "$board/downloads"

bash scripts/setup.sh mmdebstrap kmod cpio python3 ffmpeg

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

# <package...>: downloads Debian packages into downloads/; with APT_PRIVATE
# set, from that private package list instead of the system's.
download() {
    local options=(-o APT::Sandbox::User=root "${APT_PRIVATE[@]}")
    (cd "$board/downloads" && apt-get "${options[@]}" download "$@" >/dev/null 2>&1) ||
        { apt-get "${options[@]}" update -qq && (cd "$board/downloads" && apt-get "${options[@]}" download "$@" >/dev/null); }
}
APT_PRIVATE=()

# QEMU 10 or later, for its touchscreen device. Debian 12's own 7.2 has
# none, so there it comes from backports, through a package list of its own
# so that the system's sources stay as they are; its libraries come from
# the release. Later releases have it in their own archive.
qemu=$board/qemu
if [ ! -x "$qemu/usr/bin/qemu-system-arm" ]; then
    from=
    if [ "$suite" = bookworm ]; then
        echo "board-test: fetching QEMU 10 from bookworm-backports"
        mkdir -p "$board/apt/lists/partial" "$board/apt/cache"
        echo "deb $archive bookworm-backports main" > "$board/apt/sources.list"
        APT_PRIVATE=(-o "Dir::Etc::SourceList=$board/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
            -o "Dir::State::Lists=$board/apt/lists" -o "Dir::Cache=$board/apt/cache"
            -o "APT::Architectures=$(dpkg --print-architecture)")
        apt-get -o APT::Sandbox::User=root "${APT_PRIVATE[@]}" update -qq
        from=/bookworm-backports
    else
        echo "board-test: fetching QEMU"
    fi
    rm -f "$board"/downloads/qemu-system-*.deb
    download "qemu-system-arm$from" "qemu-system-common$from" "qemu-system-data$from"
    APT_PRIVATE=()
    rm -rf "$qemu.partial"
    for deb in "$board"/downloads/qemu-system-*.deb; do dpkg-deb -x "$deb" "$qemu.partial"; done
    mv "$qemu.partial" "$qemu"
fi
mapfile -t qemu_libraries < <(dpkg-deb -f "$board"/downloads/qemu-system-arm_*.deb Depends |
    tr ',' '\n' | sed 's/(.*)//; s/[[:space:]]//g' | grep -v '^qemu-')
bash scripts/setup.sh "${qemu_libraries[@]}"

# The kernel, and the modules the board needs: virtio's MMIO transport, the
# GPU, input, 9p for the shared folders, overlayfs for the root.
if [ ! -f "$board/modules/order" ]; then
    echo "board-test: fetching the armmp kernel"
    rm -f "$board"/downloads/linux-image-*.deb
    download "linux-image-armmp-lpae:$arch"
    image=$(dpkg-deb -f "$board"/downloads/linux-image-armmp-lpae_*.deb Depends | sed 's/ .*//')
    download "$image:$arch"
    rm -rf "$board/kernel" "$board/modules"
    dpkg-deb -x "$board/downloads/${image}_"*.deb "$board/kernel"
    version=${image#linux-image-}
    cp "$board/kernel/boot/vmlinuz-$version" "$board/vmlinuz"
    # The modules lie in /lib/modules, or from Debian 13 on in /usr/lib/modules.
    modules_root=$board/kernel
    [ -d "$modules_root/usr/lib/modules" ] && modules_root=$modules_root/usr
    depmod -b "$modules_root" "$version"
    mkdir "$board/modules.partial"
    for module in virtio_mmio virtio-gpu virtio_input evdev 9pnet_virtio 9p overlay; do
        modprobe -d "$modules_root" -S "$version" --show-depends "$module"
    done | awk '$1 == "insmod" && !seen[$2]++ { print $2 }' | while read -r file; do
        cp "$file" "$board/modules.partial/"
        basename "$file" >> "$board/modules.partial/order"
    done
    rm -rf "$board/kernel"
    mv "$board/modules.partial" "$board/modules"
fi

if [ ! -x "$board/busybox" ]; then
    echo "board-test: fetching busybox"
    rm -f "$board"/downloads/busybox-static_*.deb
    download "busybox-static:$arch"
    dpkg-deb --fsys-tarfile "$board"/downloads/busybox-static_*.deb | tar -xO --wildcards '*bin/busybox' > "$board/busybox.partial"
    chmod 755 "$board/busybox.partial"
    mv "$board/busybox.partial" "$board/busybox"
fi

# The userland: the package's own dependencies, a shell and coreutils for the
# start script and the player stand-in, the players, and a font. Made again
# when that list changes.
packages="dash,coreutils,mpv,ffmpeg,fonts-dejavu-core,$(dpkg-deb -f "$package" Depends |
    tr ',' '\n' | sed 's/(.*)//; s/|.*//; s/[[:space:]]//g' | paste -sd,)"
userland=$board/userland
if [ "$(cat "$userland.packages" 2>/dev/null)" != "$suite $packages" ]; then
    echo "board-test: unpacking the $arch userland: $packages"
    rm -rf "$userland" "$userland.partial" "$userland.packages"
    mirrors=()
    for source in "${release_sources[@]}"; do mirrors+=("deb $source main"); done
    mapfile -t proxy_options < <(apt_proxy_options)
    mmdebstrap --quiet --mode=auto --variant=extract --architectures="$arch" --include="$packages" \
        "${proxy_options[@]}" "$suite" "$userland.partial" "${mirrors[@]}"
    # No maintainer scripts ran: make the links update-alternatives would
    # make for BLAS and LAPACK, which ffmpeg's libraries load.
    for library in "$userland.partial/usr/lib/$triplet"/{blas,lapack}/lib*.so.3; do
        [ -e "$library" ] || continue
        ln -sfn "${library#"$userland.partial/usr/lib/$triplet/"}" "$userland.partial/usr/lib/$triplet/${library##*/}"
    done
    # Past Debian 12 the packages keep everything under /usr and leave the
    # /bin, /lib and /sbin links to the installer; without them the programs'
    # loader, /lib/ld-linux-*.so, is missing.
    for dir in bin lib sbin; do
        [ -e "$userland.partial/$dir" ] || ln -s "usr/$dir" "$userland.partial/$dir"
    done
    mv "$userland.partial" "$userland"
    echo "$suite $packages" > "$userland.packages"
fi

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
rm -rf "$board/kit" "$board/shots" "$board/initramfs"
dpkg-deb -x "$package" "$board/kit"
mkdir -p "$board/kit/opt/board" "$board/kit/media" "$board/shots" "$board/state"
cp "$build/bench/minimal_window" "$build/bench/make_media_dir" "$build/bench/listing_bench" \
    "$build/bench/libfirst_frame_probe.so" "$board/kit/opt/board/"
cp -R "$board/clips" "$board/kit/media/card"
cp -R "$long" "$board/kit/media/long"

mkdir -p "$board/initramfs/bin"
cp "$board/busybox" "$board/initramfs/bin/busybox"
cp scripts/lib/board/guest "$board/initramfs/bin/board"
cp scripts/lib/board/init "$board/initramfs/init"
cp -R "$board/modules" "$board/initramfs/modules"
(cd "$board/initramfs" && find . | cpio -o -H newc --quiet | gzip -1) > "$board/initrd.gz"

# The board's folders shared from here: <tag> <folder> [,readonly=on]
shares=()
share() {
    shares+=(-fsdev "local,id=$1,path=$2,security_model=none${3:-}" -device "virtio-9p-device,fsdev=$1,mount_tag=$1")
}
share userland "$userland" ,readonly=on
share kit "$board/kit" ,readonly=on
share state "$board/state"
# Modules of this QEMU only: the system's own, of another version, would not load.
QEMU_MODULE_DIR=$(echo "$qemu"/usr/lib/*/qemu)
export QEMU_MODULE_DIR
# The virt board's virtio-mmio devices come in legacy mode unless told
# otherwise, and the kernel's GPU and input drivers refuse that mode.
exec python3 -B scripts/lib/board/checks.py --work "$board" --images "$build/images" "${idle[@]}" -- \
    "$qemu/usr/bin/qemu-system-arm" -M virt -cpu cortex-a15 -smp 2 -m 1024 \
    -display none -audio none -nic none -no-reboot -L "$qemu/usr/share/qemu" \
    -global virtio-mmio.force-legacy=false \
    -kernel "$board/vmlinuz" -initrd "$board/initrd.gz" \
    -append "console=ttyAMA0 panic=-1 vt.global_cursor_default=0" \
    -device virtio-gpu-device,xres=240,yres=320 \
    -device virtio-keyboard-device,id=keyboard \
    -device virtio-tablet-device,id=tablet \
    -device virtio-multitouch-device,id=touch \
    "${shares[@]}"
