#!/usr/bin/env bash
# Prepares what the emulated board is made of, in build-ARCH/board/: QEMU 10
# or later (on Debian 12 from its backports: 7.2 has no touchscreen device),
# a Debian kernel with the modules the board loads, a static busybox for its
# initramfs, and a userland of this machine's release holding the given
# packages, unpacked without running any ARM code here.
# Each part is made once and kept with a note of what it was made from (the
# release, the architecture, the package list and this script itself), and
# made again only when that changes. Prints nothing when all is ready.
# Usage: scripts/lib/board/prepare.sh armhf|arm64 [--userland NAME] <package>...
#   --userland NAME  the userland's folder in build-ARCH/board/ (userland),
#                    so that boards with other packages each keep their own
set -euo pipefail
script=$(realpath "$0")
cd "$(dirname "$script")/../../.."
root=$PWD

arch=${1:?usage: prepare.sh armhf|arm64 [--userland NAME] <package>...}
shift
userland_name=userland
if [ "${1:-}" = --userland ]; then
    userland_name=${2:?usage: prepare.sh armhf|arm64 [--userland NAME] <package>...}
    shift 2
fi
packages=$(IFS=,; echo "$*")
case $arch in
    armhf) triplet=arm-linux-gnueabihf kernel_package=linux-image-armmp-lpae ;;
    arm64) triplet=aarch64-linux-gnu kernel_package=linux-image-arm64 ;;
    *) echo "prepare: no board for $arch" >&2; exit 2 ;;
esac
# The board runs the release this machine runs: the package is built against
# its libraries.
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
# Its packages come from where this machine's apt takes them: a local mirror
# or proxy named in the sources is used as it is.
. scripts/lib/apt-sources.sh
mapfile -t release_sources < <(apt_release_sources "$suite")
archive=$(printf '%s\n' "${release_sources[@]}" | awk -v suite="$suite" '$2 == suite { print $1; exit }')
[ -n "$archive" ] || { echo "prepare: no apt source of this machine names $suite itself" >&2; exit 1; }
board=$root/build-$arch/board
mkdir -p "$board/downloads"
recipe=$(sha256sum "$script" | cut -d' ' -f1)

bash scripts/setup.sh mmdebstrap kmod cpio

# <part> <what it is made from>: succeeds when the part is there and was
# made from that, by this very script.
ready() {
    [ -e "$board/$1" ] && [ "$(cat "$board/$1.made-from" 2>/dev/null)" = "$2 $recipe" ]
}
made() {
    echo "$2 $recipe" > "$board/$1.made-from"
}

# <package...>: downloads Debian packages into downloads/; with APT_PRIVATE
# set, from that private package list instead of the system's.
download() {
    local options=(-o APT::Sandbox::User=root "${APT_PRIVATE[@]}")
    (cd "$board/downloads" && apt-get "${options[@]}" download "$@" >/dev/null 2>&1) ||
        { apt-get "${options[@]}" update -qq && (cd "$board/downloads" && apt-get "${options[@]}" download "$@" >/dev/null); }
}
APT_PRIVATE=()

# QEMU, for the host: qemu-system-arm holds the 32-bit and the 64-bit
# boards. Debian 12's own 7.2 has no touchscreen device, so there it comes
# from backports, through a package list of its own so that the system's
# sources stay as they are; its libraries come from the release. Later
# releases have it in their own archive.
qemu=$board/qemu
host=$(dpkg --print-architecture)
if ! ready qemu "$suite $host"; then
    from=
    if [ "$suite" = bookworm ]; then
        echo "prepare: fetching QEMU 10 from bookworm-backports"
        mkdir -p "$board/apt/lists/partial" "$board/apt/cache"
        echo "deb $archive bookworm-backports main" > "$board/apt/sources.list"
        APT_PRIVATE=(-o "Dir::Etc::SourceList=$board/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
            -o "Dir::State::Lists=$board/apt/lists" -o "Dir::Cache=$board/apt/cache"
            -o "APT::Architectures=$host")
        apt-get -o APT::Sandbox::User=root "${APT_PRIVATE[@]}" update -qq
        from=/bookworm-backports
    else
        echo "prepare: fetching QEMU"
    fi
    rm -f "$board"/downloads/qemu-system-*.deb
    download "qemu-system-arm$from" "qemu-system-common$from" "qemu-system-data$from"
    APT_PRIVATE=()
    rm -rf "$qemu" "$qemu.partial"
    for deb in "$board"/downloads/qemu-system-*.deb; do dpkg-deb -x "$deb" "$qemu.partial"; done
    dpkg-deb -f "$board"/downloads/qemu-system-arm_*.deb Depends > "$qemu.partial/depends"
    mv "$qemu.partial" "$qemu"
    made qemu "$suite $host"
fi
mapfile -t qemu_libraries < <(tr ',' '\n' < "$qemu/depends" | sed 's/(.*)//; s/|.*//; s/[[:space:]]//g' | grep -v '^qemu-')
bash scripts/setup.sh "${qemu_libraries[@]}"

# The kernel, and the modules the board needs that it does not hold built
# in: virtio's MMIO transport, the GPU, input, 9p for the shared folders,
# overlayfs for the root, and the Cirrus VGA of the 16-bit panel.
modules="virtio_mmio virtio-gpu virtio_input evdev 9pnet_virtio 9p overlay cirrus"
if ! ready modules "$suite $arch $kernel_package $modules"; then
    echo "prepare: fetching the kernel, $kernel_package"
    rm -f "$board"/downloads/linux-image-*.deb
    download "$kernel_package:$arch"
    image=$(dpkg-deb -f "$board/downloads/${kernel_package}_"*.deb Depends | sed 's/[ ,].*//')
    download "$image:$arch"
    rm -rf "$board/kernel" "$board/modules" "$board/modules.partial"
    dpkg-deb -x "$board/downloads/${image}_"*.deb "$board/kernel"
    version=${image#linux-image-}
    cp "$board/kernel/boot/vmlinuz-$version" "$board/vmlinuz"
    # The modules lie in /lib/modules, or from Debian 13 on in /usr/lib/modules.
    modules_root=$board/kernel
    [ -d "$modules_root/usr/lib/modules" ] && modules_root=$modules_root/usr
    depmod -b "$modules_root" "$version"
    mkdir "$board/modules.partial"
    for module in $modules; do
        modprobe -d "$modules_root" -S "$version" --show-depends "$module"
    done | awk '$1 == "insmod" && !seen[$2]++ { print $2 }' | while read -r file; do
        cp "$file" "$board/modules.partial/"
        basename "$file" >> "$board/modules.partial/order"
    done
    touch "$board/modules.partial/order"
    rm -rf "$board/kernel"
    mv "$board/modules.partial" "$board/modules"
    made modules "$suite $arch $kernel_package $modules"
fi

if ! ready busybox "$suite $arch"; then
    echo "prepare: fetching busybox"
    rm -f "$board"/downloads/busybox-static_*.deb
    download "busybox-static:$arch"
    dpkg-deb --fsys-tarfile "$board"/downloads/busybox-static_*.deb | tar -xO --wildcards '*bin/busybox' > "$board/busybox.partial"
    chmod 755 "$board/busybox.partial"
    mv "$board/busybox.partial" "$board/busybox"
    made busybox "$suite $arch"
fi

userland=$board/$userland_name
if ! ready "$userland_name" "$suite $arch $packages"; then
    echo "prepare: unpacking the $arch userland: $packages"
    rm -rf "$userland" "$userland.partial"
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
    made "$userland_name" "$suite $arch $packages"
fi
