#!/usr/bin/env bash
# Installs the Debian packages the kit needs to build, test and run its demo,
# but only those that are missing; safe to run again. apt's output goes to a
# log, shown in part and kept only when the install fails.
set -euo pipefail
. "$(dirname "$0")/lib/quiet.sh"

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
  # The sanitizer runtime of the release's default clang, whatever its version
  libgtest-dev clang libclang-rt-dev
  libx11-dev libxext-dev libxss-dev
  # The power service's input devices and its word with systemd and logind
  libevdev-dev libsystemd-dev
  xvfb xauth valgrind
  # Devanagari and Thai for the test that reads long names in every script
  fonts-freefont-ttf
  # The demo's headless screen, and xdpyinfo for the test that keeps others out of it
  x11vnc x11-utils
  # The players, for the test of where stopped clips start again
  mpv ffmpeg
  # The Wayland session agent: its client library, the protocols' XML and
  # wayland-scanner; sway, headless, and wtype, its virtual keyboard, for the
  # agent's test
  libwayland-dev libwayland-bin wayland-protocols plasma-wayland-protocols
  sway wtype
)

missing=()
for p in "$@" "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  # A package named with an architecture (qt6-base-dev:armhf) is the target's
  # own library for a cross build, installed beside the native one.
  for p in "${missing[@]}"; do
    case $p in
      *:*) dpkg --print-foreign-architectures | grep -qx "${p#*:}" \
             || "${sudo_cmd[@]}" dpkg --add-architecture "${p#*:}" ;;
    esac
  done
  # Another install in progress holds dpkg's lock: wait for it, rather than
  # take the failure for a package that cannot be installed.
  lock_wait=(-o DPkg::Lock::Timeout=600)
  log=$(mktemp "${TMPDIR:-/tmp}/mediakit-setup.XXXXXX")
  quietly "$log" "${sudo_cmd[@]}" apt-get "${lock_wait[@]}" update -qq
  quietly "$log" env DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get "${lock_wait[@]}" install -y -qq \
    --no-install-recommends "${missing[@]}"
  rm -f "$log"
fi
