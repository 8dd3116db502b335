#!/usr/bin/env bash
# Cross-builds the kit for an ARM architecture of Debian, runs the whole test
# suite under qemu-user and packs the Debian package, checked with lintian,
# all in build-ARCH/.
# Usage: scripts/cross-test.sh armhf|arm64|armel
# Installs what is missing (cross compiler, qemu-user, the target's Qt,
# GoogleTest, X11 and Wayland's client library through multiarch); safe to
# run again.
set -euo pipefail
cd "$(dirname "$0")/.."

arch=${1:-}
case $arch in
    armhf) triplet=arm-linux-gnueabihf ;;
    arm64) triplet=aarch64-linux-gnu ;;
    armel) triplet=arm-linux-gnueabi ;;
    *) echo "usage: $0 armhf|arm64|armel" >&2; exit 2 ;;
esac
build=build-$arch

bash scripts/setup.sh "g++-$triplet" qemu-user dpkg-dev file \
    "libstdc++6:$arch" "libgtest-dev:$arch" \
    "libx11-dev:$arch" "libxext-dev:$arch" "libxss-dev:$arch" \
    "libevdev-dev:$arch" "libsystemd-dev:$arch" "libwayland-dev:$arch"

# Multiarch needs the target's libraries at the very versions of the native
# ones; where the archive cannot offer that (armel beside a system with
# security updates), the launcher is left out and panelnap is still built.
launcher=ON
if ! bash scripts/setup.sh "qt6-base-dev:$arch"; then
    echo "cross-test: Qt 6 for $arch cannot be installed here, so this build has panelnap only" >&2
    launcher=OFF
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/toolchains/$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DKIT_WERROR=ON -DKIT_BUILD_LAUNCHER=$launcher >/dev/null
cmake --build "$build" -j 2
ctest --test-dir "$build" --output-on-failure -j 2
bash scripts/package.sh "$build"
